// Whole-file reads and replacing writes for the profile calls.
#pragma once
#include <string>
#include "wintypes.h"

namespace winplat::profile {

// False with the platform's error code (ERROR_FILE_NOT_FOUND for a missing file).
bool ReadWholeFile(const std::u16string& path, std::string& bytes, DWORD& error);
// Writes a temporary file beside `path`, then renames it over `path`: the old contents stay
// whole until the new ones are complete. False with the error code; nothing changed then.
bool ReplaceWholeFile(const std::u16string& path, const std::string& bytes, DWORD& error);

}  // namespace winplat::profile
