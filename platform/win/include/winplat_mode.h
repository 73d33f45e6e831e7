// Switches of the platform itself. The program always runs as the Unicode platform with ANSI code
// page 932; tests switch to a Windows 9x-like ANSI-only platform (the W calls Windows 9x lacked fail
// with ERROR_CALL_NOT_IMPLEMENTED) or to ANSI code page 1252, so both paths of their callers run.
#pragma once
#include "wintypes.h"

namespace winplat {

void SetAnsiOnlyPlatform(bool ansiOnly);
bool IsAnsiOnlyPlatform();
// How many W calls the ANSI-only platform refused since the last reset.
unsigned WideCallViolations();
void ResetWideCallViolations();

// 932 or 1252; anything else is refused (false).
bool SetAnsiCodePage(UINT codePage);
UINT AnsiCodePage();

}  // namespace winplat
