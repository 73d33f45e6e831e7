// Windows path names on a Linux file system.
//
// Both '\' and '/' separate; a leading drive "X:" means the root; "." and ".." are removed
// lexically, as the platform does. A component that does not exist as given is matched
// case-insensitively against its folder (files made on Windows differ in case). The result is
// an absolute UTF-8 path with '/' separators, the form the platform also hands back.
#pragma once
#include <string>
#include <string_view>
#include "wintypes.h"

namespace winplat {

enum class PathIntent {
  Existing,  // every component is looked up case-insensitively
  Create,    // the same; the last component stays as given unless a case variant exists
};

// The Linux path for a Windows path name. Never fails: components that match nothing stay as
// given, so the system call that follows reports what is missing. Empty input gives "".
std::string ResolvePath(std::u16string_view path, PathIntent intent = PathIntent::Existing);
// For ANSI names (converted from the ANSI code page first).
std::string ResolvePathA(std::string_view ansiPath, PathIntent intent = PathIntent::Existing);

// False, with ERROR_INVALID_NAME, when the path holds a wildcard or redirection character
// (< > " | ? *), which no file name holds. Linux would take them, so a name the ANSI conversion
// turned into "?" would otherwise make a file under another name than the one asked for.
// Control characters stay allowed: archives extract such names here.
bool CheckNameCharacters(std::u16string_view path);

// Lexical full form in wide text: separators become '/', the drive is dropped, a relative path is
// joined to the current folder, "." and ".." are removed. Touches no file.
std::u16string FullPathLexical(std::u16string_view path);

// Case folding used for names (upper case of the wide form).
char16_t FoldCase(char16_t c);
std::u16string FoldCase(std::u16string_view s);
bool NamesEqualNoCase(std::u16string_view a, std::u16string_view b);

// Matches a name against a find mask the way the platform's find calls do: '*' and '?' case
// insensitively; "*.*" matches every name, also names without a dot; "*." matches names without
// a dot; "x?.txt" also matches "x.txt" ('?' before a dot may match nothing).
bool MatchFindMask(std::u16string_view mask, std::u16string_view name);

// GetLastError code for an errno from a call on the given Linux path: ENOENT becomes
// ERROR_FILE_NOT_FOUND when the folder exists and ERROR_PATH_NOT_FOUND when it does not.
DWORD ErrorFromErrno(int err, const std::string& linuxPath = {});
// SetLastError(ErrorFromErrno(err, linuxPath)).
void SetLastErrorFromErrno(int err, const std::string& linuxPath = {});

// Folder part of a Linux path ("/a/b" -> "/a", "/a" -> "/", "a" -> ".").
std::string ParentOf(const std::string& linuxPath);
// Last component of a Linux path.
std::string LeafOf(const std::string& linuxPath);

}  // namespace winplat
