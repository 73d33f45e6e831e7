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

}  // namespace

AnsiString Format(const AnsiString& Fmt, TVarRecs Args) {
  return Format(Fmt, Args.begin(), Args.size());
}

AnsiString Format(const AnsiString& Fmt, const TVarRec* Args, std::size_t ArgCount) {
  AnsiString out;
  const std::size_t n = Fmt.size();
  std::size_t i = 0;
  std::size_t argIndex = 0;
  auto nextArg = [&]() -> const TVarRec& {
    if (argIndex >= ArgCount) FormatError(SArgumentMissing, Fmt);
    return Args[argIndex++];
  };
  // A number of the specification: digits, or "*" taking an integer argument.
  auto number = [&](int& value) -> bool {
    if (i < n && Fmt[i] == '*') {
      const TVarRec& a = nextArg();
      if (a.Kind() != TVarRec::vtInteger) FormatError(SInvalidFormat, Fmt);
      value = static_cast<int>(a.AsInt64());
      ++i;
      return true;
    }
    if (i < n && Fmt[i] >= '0' && Fmt[i] <= '9') {
      int64_t v = 0;
      while (i < n && Fmt[i] >= '0' && Fmt[i] <= '9') {
        v = v * 10 + (Fmt[i] - '0');
        if (v > 0x7FFFFFF) FormatError(SInvalidFormat, Fmt);
        ++i;
      }
      value = static_cast<int>(v);
      return true;
    }
    return false;
  };

  while (i < n) {
    char c = Fmt[i];
    if (c != '%') {
      std::size_t next = Fmt.find('%', i);
      if (next == AnsiString::npos) next = n;
      out.append(Fmt, i, next - i);
      i = next;
      continue;
    }
    ++i;
    if (i >= n) FormatError(SInvalidFormat, Fmt);
    if (Fmt[i] == '%') {
      out += '%';
      ++i;
      continue;
    }
    int first = 0;
    bool haveFirst = false;
    // An index ("%1:s") is digits followed by a colon.
    if (i < n && Fmt[i] >= '0' && Fmt[i] <= '9') {
      std::size_t j = i;
      while (j < n && Fmt[j] >= '0' && Fmt[j] <= '9') ++j;
      if (j < n && Fmt[j] == ':') {
        number(first);
        argIndex = static_cast<std::size_t>(first);
        ++i;  // ':'
      }
    }
    bool left = false;
    if (i < n && Fmt[i] == '-') {
      left = true;
      ++i;
    }
    int width = 0;
    haveFirst = number(width);
    if (width < 0) width = 0;
    int prec = -1;
    if (i < n && Fmt[i] == '.') {
      ++i;
      int p = 0;
      if (!number(p)) p = 0;
      prec = p < 0 ? -1 : p;
    }
    (void)haveFirst;
    if (i >= n) FormatError(SInvalidFormat, Fmt);
    char type = Fmt[i++];
    if (type >= 'A' && type <= 'Z') type = static_cast<char>(type + 32);
    std::string text;
    switch (type) {
      case 'd': {
        const TVarRec& a = nextArg();
        if (!IsIntegerArg(a)) FormatError(SInvalidFormat, Fmt);
        bool neg = !a.IsUnsigned() && a.AsInt64() < 0;
        uint64_t mag = a.IsUnsigned() ? static_cast<uint64_t>(a.AsInt64())
                       : neg          ? 0 - static_cast<uint64_t>(a.AsInt64())
                                      : static_cast<uint64_t>(a.AsInt64());
        text = UnsignedText(mag);
        PadDigits(text, prec);
        if (neg) text.insert(text.begin(), '-');
        break;
      }
      case 'u': {
        const TVarRec& a = nextArg();
        if (!IsIntegerArg(a)) FormatError(SInvalidFormat, Fmt);
        uint64_t v = a.Kind() == TVarRec::vtInteger
                         ? static_cast<uint32_t>(static_cast<int32_t>(a.AsInt64()))
                         : static_cast<uint64_t>(a.AsInt64());
        text = UnsignedText(v);
        PadDigits(text, prec);
        break;
      }
      case 'x': {
        const TVarRec& a = nextArg();
        if (!IsIntegerArg(a)) FormatError(SInvalidFormat, Fmt);
        uint64_t v = a.Kind() == TVarRec::vtInteger
                         ? static_cast<uint32_t>(static_cast<int32_t>(a.AsInt64()))
                         : static_cast<uint64_t>(a.AsInt64());
        text = HexText(v);
        PadDigits(text, prec);
        break;
      }
      case 'e': case 'f': case 'g': case 'n': case 'm': {
        const TVarRec& a = nextArg();
        if (a.Kind() != TVarRec::vtExtended) FormatError(SInvalidFormat, Fmt);
        long double v = a.AsExtended();
        switch (type) {
          case 'e': text = fwdetail::FloatText(v, ffExponent, prec < 0 ? 15 : prec, 3); break;
          case 'f': text = fwdetail::FloatText(v, ffFixed, 18, prec < 0 ? 2 : prec); break;
          case 'g': text = fwdetail::FloatText(v, ffGeneral, prec < 0 ? 15 : prec, 0); break;
          case 'n': text = fwdetail::FloatText(v, ffNumber, 18, prec < 0 ? 2 : prec); break;
          default: text = fwdetail::FloatText(v, ffCurrency, 18, prec < 0 ? CurrencyDecimals : prec); break;
        }
        break;
      }
      case 'p': {
        const TVarRec& a = nextArg();
        if (a.Kind() != TVarRec::vtPointer) FormatError(SInvalidFormat, Fmt);
        text = HexText(reinterpret_cast<uintptr_t>(a.AsPointer()));
        PadDigits(text, static_cast<int>(sizeof(void*) * 2));
        break;
      }
      case 's': {
        const TVarRec& a = nextArg();
        switch (a.Kind()) {
          case TVarRec::vtString: text = a.AsString(); break;
          case TVarRec::vtChar: text.assign(1, static_cast<char>(a.AsInt64())); break;
          case TVarRec::vtWideString: text = WideToAnsi(a.AsWideString()); break;
          case TVarRec::vtWideChar:
            text = WideToAnsi(WideString(1, static_cast<char16_t>(a.AsInt64())));
            break;
          default: FormatError(SInvalidFormat, Fmt);
        }
        if (prec >= 0 && static_cast<int>(text.size()) > prec) text.resize(static_cast<std::size_t>(prec));
        break;
      }
      default:
        FormatError(SInvalidFormat, Fmt);
    }
    if (static_cast<int>(text.size()) < width) {
      std::string pad(static_cast<std::size_t>(width) - text.size(), ' ');
      text = left ? text + pad : pad + text;
    }
    out += text;
  }
  return out;
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
