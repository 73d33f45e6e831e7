// UTF-7 (RFC 2152) coder.
#include <array>

#include "UcSystem.h"

namespace {

constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr char kDirect[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789'(),-./:?";
constexpr char kOptionalDirect[] = "!\"#$%&*;<=>@[]^_`{|}";
constexpr char kWhite[] = "\t\r\n ";

struct Utf7Tables {
  std::array<int8_t, 128> inverse{};
  std::array<bool, 128> mustShiftStrict{};
  std::array<bool, 128> mustShiftOptional{};
  Utf7Tables() {
    inverse.fill(-1);
    for (int i = 0; i < 64; ++i) inverse[static_cast<unsigned char>(kBase64[i])] = static_cast<int8_t>(i);
    mustShiftStrict.fill(true);
    for (const char* p = kDirect; *p; ++p) mustShiftStrict[static_cast<unsigned char>(*p)] = false;
    for (const char* p = kWhite; *p; ++p) mustShiftStrict[static_cast<unsigned char>(*p)] = false;
    mustShiftOptional = mustShiftStrict;
    for (const char* p = kOptionalDirect; *p; ++p) mustShiftOptional[static_cast<unsigned char>(*p)] = false;
  }
};

const Utf7Tables& Tables() {
  static const Utf7Tables tables;
  return tables;
}

bool IsBase64(unsigned c) { return c < 128 && Tables().inverse[c] >= 0; }

}  // namespace

TUtf7Result ConvertUtf16ToUtf7(const WideChar*& Source, const WideChar* SourceEnd, char*& Dest,
                               char* DestEnd, bool OptionalDirect, bool ForceTerminator) {
  const auto& mustShiftTable = OptionalDirect ? Tables().mustShiftOptional : Tables().mustShiftStrict;
  bool inShift = false;
  uint32_t bits = 0;  // the low `count` bits are pending
  int count = 0;
  const WideChar* src = Source;
  char* dst = Dest;
  auto put = [&](char b) {
    if (dst >= DestEnd) return false;
    *dst++ = b;
    return true;
  };
  auto stop = [&](TUtf7Result r) {
    Source = src;
    Dest = dst;
    return r;
  };
  for (;;) {
    const bool atEnd = src >= SourceEnd;
    const unsigned c = atEnd ? 0u : *src;
    const bool mustShift = !atEnd && (c > 127 || mustShiftTable[c]);
    if (mustShift && !inShift) {
      if (!put('+')) return stop(utf7Exhausted);
      if (c == u'+') {
        if (!put('-')) return stop(utf7Exhausted);
        ++src;
        continue;
      }
      inShift = true;
    }
    if (inShift) {
      if (mustShift) {
        bits = (bits << 16) | c;
        count += 16;
      } else if (count % 6 != 0) {
        const int pad = 6 - count % 6;
        bits <<= pad;
        count += pad;
      }
      while (count >= 6) {
        count -= 6;
        if (!put(kBase64[(bits >> count) & 63])) return stop(utf7Exhausted);
      }
      bits &= (1u << count) - 1;
      if (!mustShift) {
        inShift = false;
        if (ForceTerminator || (!atEnd && (IsBase64(c) || c == u'-')))
          if (!put('-')) return stop(utf7Exhausted);
      }
    }
    if (atEnd) break;
    if (!mustShift && !put(static_cast<char>(c))) return stop(utf7Exhausted);
    ++src;
  }
  return stop(utf7Ok);
}

TUtf7Result ConvertUtf7ToUtf16(const char*& Source, const char* SourceEnd, WideChar*& Dest,
                               WideChar* DestEnd) {
  TUtf7Result result = utf7Ok;
  const char* src = Source;
  WideChar* dst = Dest;
  bool inShift = false, sawBase64 = false, produced = false;
  uint32_t bits = 0;
  int count = 0;
  auto stop = [&](TUtf7Result r) {
    Source = src;
    Dest = dst;
    return r;
  };
  for (;;) {
    const bool atEnd = src >= SourceEnd;
    const unsigned b = atEnd ? 0u : static_cast<unsigned char>(*src);
    if (inShift) {
      if (!atEnd && IsBase64(b)) {
        bits = (bits << 6) | static_cast<uint32_t>(Tables().inverse[b]);
        count += 6;
        sawBase64 = true;
        ++src;
        if (count >= 16) {
          count -= 16;
          if (dst >= DestEnd) return stop(utf7Exhausted);
          *dst++ = static_cast<WideChar>((bits >> count) & 0xFFFF);
          bits &= (1u << count) - 1;
          produced = true;
        }
        continue;
      }
      // The run ends here.
      if (!atEnd && b == '-') {
        ++src;
        if (!sawBase64) {
          if (dst >= DestEnd) return stop(utf7Exhausted);
          *dst++ = u'+';
        } else if (!produced) {
          result = utf7Invalid;
        }
      } else if (!produced) {
        result = utf7Invalid;
      }
      if (bits & ((1u << count) - 1)) result = utf7Invalid;
      bits = 0;
      count = 0;
      inShift = false;
      continue;  // the byte after the run is handled outside the shift
    }
    if (atEnd) break;
    ++src;
    if (b == '+') {
      inShift = true;
      sawBase64 = produced = false;
      continue;
    }
    if (dst >= DestEnd) {
      --src;
      return stop(utf7Exhausted);
    }
    *dst++ = static_cast<WideChar>(b);
    if (b > 127) result = utf7Invalid;
  }
  return stop(result);
}

AnsiString EncodeUtf7(const WideString& S) {
  if (S.empty()) return AnsiString();
  AnsiString out(S.size() * 7, '\0');
  const WideChar* src = S.data();
  char* dst = out.data();
  if (ConvertUtf16ToUtf7(src, S.data() + S.size(), dst, out.data() + out.size(), true, false) ==
      utf7Exhausted)
    throw EUcInternalError("Buffer overflow");
  out.resize(static_cast<size_t>(dst - out.data()));
  return out;
}

WideString DecodeUtf7(const AnsiString& S) {
  if (S.empty()) return WideString();
  WideString out(S.size(), u'\0');
  const char* src = S.data();
  WideChar* dst = out.data();
  switch (ConvertUtf7ToUtf16(src, S.data() + S.size(), dst, out.data() + out.size())) {
    case utf7Invalid: throw EUcGeneralError("Invalid UTF7");
    case utf7Exhausted: throw EUcInternalError("Buffer overflow");
    case utf7Ok: break;
  }
  out.resize(static_cast<size_t>(dst - out.data()));
  return out;
}
