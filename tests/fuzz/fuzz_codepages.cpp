// Byte text from outside (archive member names, files) through every code page. The first byte
// picks the code page. Checks: counting and converting agree, widened text narrows and widens
// back to itself, and UTF-16 of any shape survives UTF-8 and UTF-7 when it is well formed.
#include <cstddef>
#include <cstdint>
#include <string>
#include "windows.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

std::u16string Widen(UINT cp, const std::string& s, DWORD flags = 0) {
  if (s.empty()) return {};
  const int n = MultiByteToWideChar(cp, flags, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::u16string w(static_cast<size_t>(n), u'\0');
  if (n) Check(MultiByteToWideChar(cp, flags, s.data(), static_cast<int>(s.size()), w.data(), n) == n);
  return w;
}

std::string Narrow(UINT cp, const std::u16string& w) {
  if (w.empty()) return {};
  const int n = WideCharToMultiByte(cp, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<size_t>(n), '\0');
  if (n) Check(WideCharToMultiByte(cp, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr) == n);
  return s;
}

bool WellFormed(const std::u16string& w) {
  for (size_t i = 0; i < w.size(); ++i) {
    if (w[i] >= 0xD800 && w[i] <= 0xDBFF) {
      if (i + 1 >= w.size() || w[i + 1] < 0xDC00 || w[i + 1] > 0xDFFF) return false;
      ++i;
    } else if (w[i] >= 0xDC00 && w[i] <= 0xDFFF) {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0 || size > 1 << 16) return 0;
  static const UINT kPages[] = {932, 1252, 437, CP_UTF8, CP_UTF7};
  const UINT cp = kPages[data[0] % 5];
  const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);

  const std::u16string w = Widen(cp, bytes);
  if (cp != CP_UTF7) Check(w.size() <= bytes.size());
  // Well-formed text that was read is written and read again unchanged (duplicate codes narrow
  // to one form); malformed text reads the same with the strict flag refused.
  const bool strictOk = bytes.empty() || cp == CP_UTF7 ||
      MultiByteToWideChar(cp, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0) > 0;
  if (strictOk && cp != CP_UTF7) Check(Widen(cp, Narrow(cp, w)) == w);
  // Malformed text shows: U+FFFD in UTF-8, the default U+30FB or a private-use byte in 932.
  if (!strictOk) {
    bool marked = false;
    for (char16_t c : w) marked = marked || c == 0xFFFD || (cp == 932 && (c == 0x30FB || (c >= 0xF8F0 && c <= 0xF8F3)));
    Check(marked);
  }

  // The bytes as UTF-16 code units: any shape.
  std::u16string units(bytes.size() / 2, u'\0');
  for (size_t i = 0; i < units.size(); ++i)
    units[i] = static_cast<char16_t>(static_cast<uint8_t>(bytes[2 * i]) | (static_cast<uint8_t>(bytes[2 * i + 1]) << 8));
  const std::string utf7 = Narrow(CP_UTF7, units);
  Check(Widen(CP_UTF7, utf7) == units);
  const std::u16string back = Widen(CP_UTF8, Narrow(CP_UTF8, units));
  if (WellFormed(units)) Check(back == units);
  else Check(back.size() == units.size() || back.size() < units.size());
  Narrow(cp == CP_UTF7 || cp == CP_UTF8 ? 932 : cp, units);
  return 0;
}
