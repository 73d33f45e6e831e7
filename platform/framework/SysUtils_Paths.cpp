// Path names: "\" and "/" both separate, ":" ends a drive. Delimiters are found character by
// character, so a trail byte 0x5C of a double-byte character is never taken for "\".
#include <vector>
#include "SysUtils.h"

namespace {
const AnsiString kPathDelims = "\\/";
const AnsiString kPathAndDrive = "\\/:";

bool IsSep(char c) { return c == '\\' || c == '/'; }
}  // namespace

AnsiString IncludeTrailingPathDelimiter(const AnsiString& S) {
  if (IsPathDelimiter(S, static_cast<int>(S.size()))) return S;
  return S + PathDelim;
}

AnsiString IncludeTrailingBackslash(const AnsiString& S) { return IncludeTrailingPathDelimiter(S); }

AnsiString ExcludeTrailingPathDelimiter(const AnsiString& S) {
  if (IsPathDelimiter(S, static_cast<int>(S.size()))) return S.substr(0, S.size() - 1);
  return S;
}

AnsiString ExcludeTrailingBackslash(const AnsiString& S) { return ExcludeTrailingPathDelimiter(S); }

AnsiString ExtractFilePath(const AnsiString& FileName) {
  int i = LastDelimiter(kPathAndDrive, FileName);
  return FileName.substr(0, static_cast<std::size_t>(i));
}

AnsiString ExtractFileDir(const AnsiString& FileName) {
  int i = LastDelimiter(kPathAndDrive, FileName);
  if (i > 1 && IsSep(FileName[static_cast<std::size_t>(i - 1)]) &&
      !IsDelimiter(kPathAndDrive, FileName, i - 1))
    --i;
  return FileName.substr(0, static_cast<std::size_t>(i));
}

AnsiString ExtractFileName(const AnsiString& FileName) {
  int i = LastDelimiter(kPathAndDrive, FileName);
  return FileName.substr(static_cast<std::size_t>(i));
}

AnsiString ExtractFileExt(const AnsiString& FileName) {
  int i = LastDelimiter(".\\/:", FileName);
  if (i > 0 && FileName[static_cast<std::size_t>(i - 1)] == '.')
    return FileName.substr(static_cast<std::size_t>(i - 1));
  return AnsiString();
}

AnsiString ExtractFileDrive(const AnsiString& FileName) {
  if (FileName.size() >= 2 && FileName[1] == ':') return FileName.substr(0, 2);
  // "\\server\share" (either separator)
  if (FileName.size() >= 2 && IsSep(FileName[0]) && IsSep(FileName[1])) {
    int seps = 0;
    std::size_t i = 2;
    while (i < FileName.size()) {
      std::size_t next = NextCharIndex(FileName, i);
      if (next == i + 1 && IsSep(FileName[i])) {
        if (++seps == 2) break;
      }
      i = next;
    }
    if (seps >= 1) return FileName.substr(0, i);
  }
  return AnsiString();
}

AnsiString ChangeFileExt(const AnsiString& FileName, const AnsiString& Extension) {
  int i = LastDelimiter(".\\/:", FileName);
  if (i == 0 || FileName[static_cast<std::size_t>(i - 1)] != '.') i = static_cast<int>(FileName.size()) + 1;
  return FileName.substr(0, static_cast<std::size_t>(i - 1)) + Extension;
}

AnsiString ExtractRelativePath(const AnsiString& BaseName, const AnsiString& DestName) {
  AnsiString baseDrive = ExtractFileDrive(BaseName);
  AnsiString destDrive = ExtractFileDrive(DestName);
  if (!SameFileName(baseDrive, destDrive)) return DestName;
  auto split = [](const AnsiString& path) {
    std::vector<AnsiString> parts;
    AnsiString cur;
    for (std::size_t i = 0; i < path.size();) {
      std::size_t next = NextCharIndex(path, i);
      if (next == i + 1 && IsSep(path[i])) {
        parts.push_back(cur);
        cur.clear();
      } else {
        cur.append(path, i, next - i);
      }
      i = next;
    }
    return parts;  // the text after the last separator (the file name) is not a folder
  };
  std::vector<AnsiString> base = split(ExtractFilePath(BaseName).substr(baseDrive.size()));
  std::vector<AnsiString> dest = split(ExtractFilePath(DestName).substr(destDrive.size()));
  std::size_t common = 0;
  while (common < base.size() && common < dest.size() && SameFileName(base[common], dest[common]))
    ++common;
  AnsiString r;
  for (std::size_t i = common; i < base.size(); ++i) r += AnsiString("..") + PathDelim;
  for (std::size_t i = common; i < dest.size(); ++i) r += dest[i] + PathDelim;
  return r + ExtractFileName(DestName);
}
