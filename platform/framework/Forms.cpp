#include "Forms.h"

#include <vector>
#include "windows.h"

namespace {
TApplication g_application(nullptr);
TScreen g_screen(nullptr);
}  // namespace

TApplication* Application = &g_application;
TScreen* Screen = &g_screen;

AnsiString TApplication::ExeName() const {
  std::vector<char> buf(MAX_PATH + 1);
  for (;;) {
    DWORD n = GetModuleFileNameA(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) return AnsiString();
    if (n < buf.size() - 1 || buf.size() >= 65536) return AnsiString(buf.data(), n);
    buf.resize(buf.size() * 2);  // the name was cut
  }
}

int TScreen::Width() const { return GetSystemMetrics(SM_CXSCREEN); }
int TScreen::Height() const { return GetSystemMetrics(SM_CYSCREEN); }
