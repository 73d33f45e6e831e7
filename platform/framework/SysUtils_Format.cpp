// Format and the exception base.
#include <cstdio>
#include "SysUtils.h"
#include "SysUtils_internal.h"

namespace {

[[noreturn]] void FormatError(const char* msg, const AnsiString& fmt) {
  throw EConvertError(msg, {fmt});
}

std::string UnsignedText(uint64_t v) { return std::to_string(v); }

std::string HexText(uint64_t v) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string s;
  do {
    s.insert(s.begin(), kDigits[v & 15]);
    v >>= 4;
  } while (v != 0);
  return s;
}

void PadDigits(std::string& digits, int prec) {
  if (prec > 0 && static_cast<int>(digits.size()) < prec)
    digits.insert(digits.begin(), static_cast<std::size_t>(prec) - digits.size(), '0');
}

bool IsIntegerArg(const TVarRec& a) {
  return a.Kind() == TVarRec::vtInteger || a.Kind() == TVarRec::vtInt64;
}

// Text of one argument for %s, in the output's character type.
std::string StringArg(const TVarRec& a, const std::string*) {
  switch (a.Kind()) {
    case TVarRec::vtString: return a.AsString();
    case TVarRec::vtChar: return std::string(1, static_cast<char>(a.AsInt64()));
    case TVarRec::vtWideString: return WideToAnsi(a.AsWideString());
    default: return WideToAnsi(WideString(1, static_cast<char16_t>(a.AsInt64())));
  }
}

std::u16string StringArg(const TVarRec& a, const std::u16string*) {
  switch (a.Kind()) {
    case TVarRec::vtString: return AnsiToWide(a.AsString());
    case TVarRec::vtChar: return AnsiToWide(std::string(1, static_cast<char>(a.AsInt64())));
    case TVarRec::vtWideString: return a.AsWideString();
    default: return std::u16string(1, static_cast<char16_t>(a.AsInt64()));
  }
}

// Numbers come out as ANSI text (ASCII, but for a currency sign).
std::string FromAnsi(const std::string& s, const std::string*) { return s; }
std::u16string FromAnsi(const std::string& s, const std::u16string*) { return AnsiToWide(s); }

std::string FormatName(const std::string& f) { return f; }
std::string FormatName(const std::u16string& f) { return WideToAnsi(f); }

template <class Str>
Str FormatT(const Str& Fmt, const TVarRec* Args, std::size_t ArgCount) {
  using C = typename Str::value_type;
  const Str* tag = nullptr;
  Str out;
  const std::size_t n = Fmt.size();
  std::size_t i = 0;
  std::size_t argIndex = 0;
  auto fail = [&](const char* msg) { FormatError(msg, FormatName(Fmt)); };
  auto nextArg = [&]() -> const TVarRec& {
    if (argIndex >= ArgCount) fail(SArgumentMissing);
    return Args[argIndex++];
  };
  auto digit = [&](std::size_t k) { return k < n && Fmt[k] >= C('0') && Fmt[k] <= C('9'); };
  // A number of the format item: digits, or "*" taking an integer argument.
  auto number = [&](int& value) -> bool {
    if (i < n && Fmt[i] == C('*')) {
      const TVarRec& a = nextArg();
      if (a.Kind() != TVarRec::vtInteger) fail(SInvalidFormat);
      value = static_cast<int>(a.AsInt64());
      ++i;
      return true;
    }
    if (digit(i)) {
      int64_t v = 0;
      while (digit(i)) {
        v = v * 10 + (Fmt[i] - C('0'));
        if (v > 0x7FFFFFF) fail(SInvalidFormat);
        ++i;
      }
      value = static_cast<int>(v);
      return true;
    }
    return false;
  };

  while (i < n) {
    if (Fmt[i] != C('%')) {
      std::size_t next = Fmt.find(C('%'), i);
      if (next == Str::npos) next = n;
      out.append(Fmt, i, next - i);
      i = next;
      continue;
    }
    ++i;
    if (i >= n) fail(SInvalidFormat);
    if (Fmt[i] == C('%')) {
      out += C('%');
      ++i;
      continue;
    }
    // An index ("%1:s") is digits followed by a colon.
    if (digit(i)) {
      std::size_t j = i;
      while (digit(j)) ++j;
      if (j < n && Fmt[j] == C(':')) {
        int index = 0;
        number(index);
        argIndex = static_cast<std::size_t>(index);
        ++i;  // ':'
      }
    }
    bool left = false;
    if (i < n && Fmt[i] == C('-')) {
      left = true;
      ++i;
    }
    int width = 0;
    number(width);
    if (width < 0) width = 0;
    int prec = -1;
    if (i < n && Fmt[i] == C('.')) {
      ++i;
      int p = 0;
      if (!number(p)) p = 0;
      prec = p < 0 ? -1 : p;
    }
    if (i >= n) fail(SInvalidFormat);
    C type = Fmt[i++];
    if (type >= C('A') && type <= C('Z')) type = static_cast<C>(type + 32);
    std::string text;  // numbers
    Str str;           // strings
    bool isString = false;
    switch (static_cast<char16_t>(type)) {
      case u'd': {
        const TVarRec& a = nextArg();
        if (!IsIntegerArg(a)) fail(SInvalidFormat);
        bool neg = !a.IsUnsigned() && a.AsInt64() < 0;
        uint64_t mag = a.IsUnsigned() ? static_cast<uint64_t>(a.AsInt64())
                       : neg          ? 0 - static_cast<uint64_t>(a.AsInt64())
                                      : static_cast<uint64_t>(a.AsInt64());
        text = UnsignedText(mag);
        PadDigits(text, prec);
        if (neg) text.insert(text.begin(), '-');
        break;
      }
      case u'u':
      case u'x': {
        const TVarRec& a = nextArg();
        if (!IsIntegerArg(a)) fail(SInvalidFormat);
        uint64_t v = a.Kind() == TVarRec::vtInteger
                         ? static_cast<uint32_t>(static_cast<int32_t>(a.AsInt64()))
                         : static_cast<uint64_t>(a.AsInt64());
        text = type == C('u') ? UnsignedText(v) : HexText(v);
        PadDigits(text, prec);
        break;
      }
      case u'e': case u'f': case u'g': case u'n': case u'm': {
        const TVarRec& a = nextArg();
        if (a.Kind() != TVarRec::vtExtended) fail(SInvalidFormat);
        long double v = a.AsExtended();
        switch (static_cast<char16_t>(type)) {
          case u'e': text = fwdetail::FloatText(v, ffExponent, prec < 0 ? 15 : prec, 3); break;
          case u'f': text = fwdetail::FloatText(v, ffFixed, 18, prec < 0 ? 2 : prec); break;
          case u'g': text = fwdetail::FloatText(v, ffGeneral, prec < 0 ? 15 : prec, 0); break;
          case u'n': text = fwdetail::FloatText(v, ffNumber, 18, prec < 0 ? 2 : prec); break;
          default: text = fwdetail::FloatText(v, ffCurrency, 18, prec < 0 ? CurrencyDecimals : prec); break;
        }
        break;
      }
      case u'p': {
        const TVarRec& a = nextArg();
        if (a.Kind() != TVarRec::vtPointer) fail(SInvalidFormat);
        text = HexText(reinterpret_cast<uintptr_t>(a.AsPointer()));
        PadDigits(text, static_cast<int>(sizeof(void*) * 2));
        break;
      }
      case u's': {
        const TVarRec& a = nextArg();
        if (a.Kind() != TVarRec::vtString && a.Kind() != TVarRec::vtChar &&
            a.Kind() != TVarRec::vtWideString && a.Kind() != TVarRec::vtWideChar)
          fail(SInvalidFormat);
        str = StringArg(a, tag);
        if (prec >= 0 && static_cast<int>(str.size()) > prec) str.resize(static_cast<std::size_t>(prec));
        isString = true;
        break;
      }
      default:
        fail(SInvalidFormat);
    }
    if (!isString) str = FromAnsi(text, tag);
    if (static_cast<int>(str.size()) < width) {
      Str pad(static_cast<std::size_t>(width) - str.size(), C(' '));
      str = left ? str + pad : pad + str;
    }
    out += str;
  }
  return out;
}

}  // namespace

AnsiString Format(const AnsiString& Fmt, TVarRecs Args) {
  return FormatT(Fmt, Args.begin(), Args.size());
}

AnsiString Format(const AnsiString& Fmt, const TVarRec* Args, std::size_t ArgCount) {
  return FormatT(Fmt, Args, ArgCount);
}

WideString WideFormat(const WideString& Fmt, TVarRecs Args) {
  return FormatT(Fmt, Args.begin(), Args.size());
}

WideString WideFormat(const WideString& Fmt, const TVarRec* Args, std::size_t ArgCount) {
  return FormatT(Fmt, Args, ArgCount);
}

// ---------------------------------------------------------------------------------------------
Exception::Exception(const AnsiString& Fmt, TVarRecs Args) : message_(Format(Fmt, Args)) {}
Exception::~Exception() = default;

void Abort() { throw EAbort(SOperationAborted); }

void Assert(bool Condition, const AnsiString& Msg, const char* File, int Line) {
  if (Condition) return;
  AnsiString m = Msg.empty() ? AnsiString(SAssertionFailed) : Msg;
  throw EAssertionFailed(SAssertError, {m, File ? File : "", Line});
}
