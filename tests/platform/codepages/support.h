// Helpers of the code-page tests: platform switches restored on scope exit, and conversions
// through the public calls.
#pragma once
#include <string>
#include "windows.h"
#include "winplat_mode.h"

struct PlatformGuard {
  UINT acp = winplat::AnsiCodePage();
  bool ansiOnly = winplat::IsAnsiOnlyPlatform();
  ~PlatformGuard() {
    winplat::SetAnsiCodePage(acp);
    winplat::SetAnsiOnlyPlatform(ansiOnly);
  }
};

inline std::u16string Widen(UINT cp, const std::string& s, DWORD flags = 0) {
  const int n = MultiByteToWideChar(cp, flags, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::u16string w(static_cast<size_t>(n), u'\0');
  if (n) MultiByteToWideChar(cp, flags, s.data(), static_cast<int>(s.size()), w.data(), n);
  return w;
}

inline std::string Narrow(UINT cp, const std::u16string& w, BOOL* used = nullptr, const char* def = nullptr) {
  const int n = WideCharToMultiByte(cp, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, def, used);
  std::string s(static_cast<size_t>(n), '\0');
  if (n) WideCharToMultiByte(cp, 0, w.data(), static_cast<int>(w.size()), s.data(), n, def, used);
  return s;
}
