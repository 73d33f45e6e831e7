// What the file dialogs do apart from their window: filters, folder listings, reading the
// typed name, the default extension, and the answer written into the caller's buffer.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "wintypes.h"

namespace winplat::commdlg {

struct Filter {
  std::u16string description;
  std::u16string patterns;  // "*.bmp;*.jpg"
};
// A double-NUL-ended list of description and pattern pairs. A last description without its
// patterns is dropped.
std::vector<Filter> ParseFilter(const char16_t* list);
// Whether a file name matches one of the patterns separated by ';'.
bool MatchesPatterns(std::u16string_view patterns, std::u16string_view name);

struct Entry {
  std::u16string name;
  bool folder = false;
};
// The folders (with ".." unless at the root) then the files of a folder that match the
// patterns, each group sorted without case. Hidden names (starting with '.') are left out.
std::vector<Entry> ListFolder(std::u16string_view folder, std::u16string_view patterns);

// The folder of the platform's form ('/' separators, absolute) for a typed or given folder,
// relative ones taken from `base`.
std::u16string FullFolder(std::u16string_view base, std::u16string_view folder);
std::u16string JoinPath(std::u16string_view folder, std::u16string_view name);

// The file calls the dialogs make, through the A calls on the ANSI-only platform (where the W
// calls of the kernel are not there).
DWORD FileAttributes(std::u16string_view path);
std::u16string CurrentFolder();
bool SetCurrentFolder(std::u16string_view path);

// The names typed into the name field: one name, or several in double quotes.
std::vector<std::u16string> SplitTypedNames(std::u16string_view typed);

// Appends ".ext" to a name without an extension (the name part has no '.').
std::u16string WithDefaultExtension(std::u16string_view name, std::u16string_view defExt);
// The offset of the extension (after its '.') within a path, or of the terminating NUL.
size_t ExtensionOffset(std::u16string_view path);
// The offset of the file name within a path.
size_t FileNameOffset(std::u16string_view path);

// The answer for the caller's buffer: one full path, or, for several files of a multi-select
// dialog, the folder then each name, NUL-separated, ending in two NULs. nFileOffset and
// nFileExtension as the platform gives them.
struct Answer {
  std::u16string buffer;  // including the final NUL(s)
  WORD fileOffset = 0;
  WORD extensionOffset = 0;
};
Answer BuildAnswer(std::u16string_view folder, const std::vector<std::u16string>& names, bool multi);

}  // namespace winplat::commdlg
