// Simple (one unit to one unit) case mapping of UTF-16, shared by CharUpper/CharLower,
// CompareString and the profile look-ups, so that all of them agree.
#pragma once
#include <cstddef>
#include <string_view>
#include "wintypes.h"

namespace winplat::cp {

char16_t ToUpper(char16_t c);
char16_t ToLower(char16_t c);
// Negative, zero or positive, as ordinal order after upper-casing both.
int CompareNoCase(std::u16string_view a, std::u16string_view b);

// CompareString without the platform-mode check; counts already resolved.
int CompareWide(DWORD flags, const char16_t* a, size_t na, const char16_t* b, size_t nb);

}  // namespace winplat::cp
