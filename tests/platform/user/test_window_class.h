// A window class of a test program, registered the first time a test asks for it.
#pragma once
#include "windows.h"

inline bool RegisterTestClassOnce(const char16_t* name, WNDPROC proc, HBRUSH background = nullptr) {
  WNDCLASSW known{};
  if (GetClassInfoW(nullptr, name, &known)) return true;
  WNDCLASSW wc{};
  wc.lpfnWndProc = proc;
  wc.lpszClassName = name;
  wc.hbrBackground = background;
  return RegisterClassW(&wc) != 0;
}
