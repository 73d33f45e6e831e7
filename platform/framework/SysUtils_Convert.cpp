// Integer, boolean and hexadecimal conversions.
#include <cstring>
#include "SysUtils.h"

AnsiString IntToStr(int Value) { return std::to_string(Value); }
AnsiString IntToStr(long Value) { return std::to_string(Value); }
AnsiString IntToStr(long long Value) { return std::to_string(Value); }
AnsiString IntToStr(unsigned Value) { return std::to_string(Value); }
AnsiString IntToStr(unsigned long Value) { return std::to_string(Value); }
AnsiString IntToStr(unsigned long long Value) { return std::to_string(Value); }

namespace {

AnsiString Hex(uint64_t v, int digits) {
  static const char kDigits[] = "0123456789ABCDEF";
  AnsiString s;
  do {
    s.insert(s.begin(), kDigits[v & 15]);
    v >>= 4;
  } while (v != 0);
  if (digits > 32) digits = 32;
  if (static_cast<int>(s.size()) < digits) s.insert(0, static_cast<std::size_t>(digits) - s.size(), '0');
  return s;
}

// The class library's Val for integers: leading blanks, a sign, then decimal digits or a
// hexadecimal number after "$", "x", "X", "0x" or "0X"; nothing may follow. Decimal values must
// fit the signed range; hexadecimal ones may fill all `bits` bits.
bool ValInteger(const AnsiString& s, int bits, int64_t& out) {
  std::size_t i = 0, n = s.size();
  while (i < n && s[i] == ' ') ++i;
  bool neg = false;
  if (i < n && (s[i] == '+' || s[i] == '-')) {
    neg = s[i] == '-';
    ++i;
  }
  bool hex = false;
  if (i < n && (s[i] == '$' || s[i] == 'x' || s[i] == 'X')) {
    hex = true;
    ++i;
  } else if (i + 1 < n && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i >= n) return false;
  const uint64_t limitHex = bits == 64 ? UINT64_MAX : (uint64_t{1} << bits) - 1;
  const uint64_t limitDec = (uint64_t{1} << (bits - 1)) - (neg ? 0 : 1);
  uint64_t v = 0;
  for (; i < n; ++i) {
    char c = s[i];
    unsigned d;
    if (c >= '0' && c <= '9') d = static_cast<unsigned>(c - '0');
    else if (hex && c >= 'a' && c <= 'f') d = static_cast<unsigned>(c - 'a' + 10);
    else if (hex && c >= 'A' && c <= 'F') d = static_cast<unsigned>(c - 'A' + 10);
    else return false;
    if (hex) {
      if (v > (limitHex >> 4)) return false;
      v = (v << 4) | d;
    } else {
      if (v > (limitDec - d) / 10) return false;
      v = v * 10 + d;
    }
  }
  if (hex) {
    // A hexadecimal value fills the type's bits: $FFFFFFFF is -1 for 32 bits.
    int64_t sv = bits == 64 ? static_cast<int64_t>(v) : static_cast<int64_t>(static_cast<int32_t>(static_cast<uint32_t>(v)));
    out = neg ? static_cast<int64_t>(0 - static_cast<uint64_t>(sv)) : sv;
    if (bits == 32) out = static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(out)));
  } else {
    out = neg ? static_cast<int64_t>(0 - v) : static_cast<int64_t>(v);
  }
  return true;
}

}  // namespace

AnsiString IntToHex(int32_t Value, int Digits) { return Hex(static_cast<uint32_t>(Value), Digits); }
AnsiString IntToHex(int64_t Value, int Digits) { return Hex(static_cast<uint64_t>(Value), Digits); }

bool TryStrToInt(const AnsiString& S, int32_t& Value) {
  int64_t v;
  if (!ValInteger(S, 32, v)) return false;
  Value = static_cast<int32_t>(v);
  return true;
}

int32_t StrToInt(const AnsiString& S) {
  int32_t v;
  if (!TryStrToInt(S, v)) throw EConvertError(SInvalidInteger, {S});
  return v;
}

int32_t StrToIntDef(const AnsiString& S, int32_t Default) {
  int32_t v;
  return TryStrToInt(S, v) ? v : Default;
}

bool TryStrToInt64(const AnsiString& S, int64_t& Value) { return ValInteger(S, 64, Value); }

int64_t StrToInt64(const AnsiString& S) {
  int64_t v;
  if (!TryStrToInt64(S, v)) throw EConvertError(SInvalidInteger, {S});
  return v;
}

int64_t StrToInt64Def(const AnsiString& S, int64_t Default) {
  int64_t v;
  return TryStrToInt64(S, v) ? v : Default;
}

bool TryStrToBool(const AnsiString& S, bool& Value) {
  if (SameText(S, "True")) { Value = true; return true; }
  if (SameText(S, "False")) { Value = false; return true; }
  Extended f;
  if (TryStrToFloat(S, f)) { Value = f != 0; return true; }
  return false;
}

bool StrToBool(const AnsiString& S) {
  bool v;
  if (!TryStrToBool(S, v)) throw EConvertError("'%s' は有効なブール値ではありません", {S});
  return v;
}

bool StrToBoolDef(const AnsiString& S, bool Default) {
  bool v;
  return TryStrToBool(S, v) ? v : Default;
}

AnsiString BoolToStr(bool B, bool UseBoolStrs) {
  if (UseBoolStrs) return B ? "True" : "False";
  return B ? "-1" : "0";
}

void BinToHex(const void* Buffer, char* Text, int BufSize) {
  static const char kDigits[] = "0123456789ABCDEF";
  const auto* p = static_cast<const unsigned char*>(Buffer);
  for (int i = 0; i < BufSize; ++i) {
    *Text++ = kDigits[p[i] >> 4];
    *Text++ = kDigits[p[i] & 15];
  }
}

int HexToBin(const char* Text, void* Buffer, int BufSize) {
  auto value = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  auto* out = static_cast<unsigned char*>(Buffer);
  int i = 0;
  for (; i < BufSize; ++i) {
    int hi = value(Text[0]);
    if (hi < 0) break;
    int lo = value(Text[1]);
    if (lo < 0) break;
    out[i] = static_cast<unsigned char>((hi << 4) | lo);
    Text += 2;
  }
  return i;
}
