// Switches of the platform itself. The program always runs as the Unicode platform with ANSI code
// page 932; tests switch to a Windows 9x-like ANSI-only platform (every W call fails with
// ERROR_CALL_NOT_IMPLEMENTED) or to ANSI code page 1252, so both paths of their callers run.
#pragma once
#include "wintypes.h"

namespace winplat {

void SetAnsiOnlyPlatform(bool ansiOnly);
bool IsAnsiOnlyPlatform();

// 932 or 1252; anything else is refused (false).
bool SetAnsiCodePage(UINT codePage);
UINT AnsiCodePage();

}  // namespace winplat
