// Text conversions inside the platform: between the ANSI code page, UTF-16 and the UTF-8 that
// Linux wants for file names, fontconfig and SDL.
#pragma once
#include <string>
#include <string_view>
#include "wintypes.h"

namespace winplat {

// Code page 0 (CP_ACP) is the current ANSI code page.
std::u16string AnsiToWide(std::string_view text, UINT codePage = 0);
std::string WideToAnsi(std::u16string_view text, UINT codePage = 0);
std::u16string Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::u16string_view text);
std::string AnsiToUtf8(std::string_view text);
std::string Utf8ToAnsi(std::string_view text);

}  // namespace winplat
