#include "UcSysUtils.h"

#include "UcSystem.h"
#include "UcWindows.h"

bool PlatformIsUnicode = false;
bool PlatformIsXPOrLater = false;

void InitPlatformFlags() {
  OSVERSIONINFOA v{};
  v.dwOSVersionInfoSize = sizeof(v);
  if (!GetVersionExA(&v)) {
    PlatformIsUnicode = PlatformIsXPOrLater = false;
    return;
  }
  PlatformIsUnicode = v.dwPlatformId == VER_PLATFORM_WIN32_NT;
  PlatformIsXPOrLater = v.dwMajorVersion > 5 || (v.dwMajorVersion == 5 && v.dwMinorVersion > 0);
}

namespace {
struct PlatformFlagsAtStartUp {
  PlatformFlagsAtStartUp() { InitPlatformFlags(); }
} platform_flags_at_start_up;

bool InRange(const WideString& S, int Index) { return Index >= 1 && Index <= static_cast<int>(S.size()); }

bool HasWildcard(const WideString& Name) { return Name.find_first_of(u"*?") != WideString::npos; }
}  // namespace

WideString WideUpperCopy(const WideString& S) {
  WideString r = S;
  if (!r.empty()) WideCharUpperBuff(r.data(), static_cast<DWORD>(r.size()));
  return r;
}

WideChar LastWideChar(const WideString& S) { return S.empty() ? WideChar(0) : S.back(); }

bool IsWideDelimiter(const WideString& Delimiters, const WideString& S, int Index) {
  return InRange(S, Index) && S[Index - 1] != 0 && Delimiters.find(S[Index - 1]) != WideString::npos;
}

bool IsBackslashAt(const WideString& S, int Index) { return InRange(S, Index) && S[Index - 1] == u'\\'; }

int LastDelimiterPos(const WideString& Delimiters, const WideString& S) {
  for (int i = static_cast<int>(S.size()); i >= 1; --i)
    if (S[i - 1] != 0 && Delimiters.find(S[i - 1]) != WideString::npos) return i;
  return 0;
}

WideString WideExtractFileName(const WideString& Path) {
  return Path.substr(static_cast<size_t>(LastDelimiterPos(u"\\:", Path)));
}

WideString WideExtractFileExt(const WideString& Path) {
  const int i = LastDelimiterPos(u".\\:", Path);
  if (i > 0 && Path[i - 1] == u'.') return Path.substr(static_cast<size_t>(i - 1));
  return WideString();
}

WideString WideExpandFileName(const WideString& FileName) {
  WideString buffer(MAX_PATH, u'\0');
  PWideChar filePart = nullptr;
  DWORD n = WideGetFullPathName(FileName.c_str(), MAX_PATH, buffer.data(), &filePart);
  if (n >= MAX_PATH) {  // too small: n is the size needed, with its NUL
    buffer.assign(n, u'\0');
    n = WideGetFullPathName(FileName.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), &filePart);
    if (n >= buffer.size()) return WideString();
  }
  return WideStringFromBufferMax(buffer.c_str(), static_cast<int>(n));
}

HANDLE WideFileCreate(const WideString& FileName) {
  return WideCreateFile(FileName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
}

HANDLE WideFileOpen(const WideString& FileName, uint32_t Mode) {
  static constexpr DWORD kAccess[3] = {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE};
  static constexpr DWORD kShare[5] = {0, 0, FILE_SHARE_READ, FILE_SHARE_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE};
  const uint32_t access = Mode & 3;
  const uint32_t share = (Mode & 0xF0) >> 4;
  if (access > 2 || share > 4) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  return WideCreateFile(FileName.c_str(), kAccess[access], kShare[share], nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
}

int32_t WideFileAge(const WideString& FileName) {
  if (FileName.empty() || HasWildcard(FileName)) return -1;
  WIN32_FIND_DATAW data{};
  HANDLE h = WideFindFirstFile(FileName.c_str(), data);
  if (h == INVALID_HANDLE_VALUE) return -1;
  FindClose(h);
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -1;
  FILETIME local{};
  WORD date = 0, time = 0;
  if (!FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) || !FileTimeToDosDateTime(&local, &date, &time))
    return -1;
  return static_cast<int32_t>((static_cast<uint32_t>(date) << 16) | time);
}

bool WideFileExists(const WideString& FileName) {
  if (FileName.empty() || HasWildcard(FileName)) return false;
  const DWORD attr = PlatformIsUnicode ? GetFileAttributesW(FileName.c_str())
                                       : GetFileAttributesA(WideToAnsi(FileName).c_str());
  return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

DWORD CheckOSResult(DWORD Value) {
  if (Value == 0) RaiseLastOSError();
  return Value;
}

WideString WideModuleFileName(HMODULE Module) {
  WideChar buffer[MAX_PATH + 1] = {};
  const DWORD n = CheckOSResult(WideGetModuleFileName(Module, buffer, MAX_PATH));
  return WideStringFromBufferMax(buffer, static_cast<int>(n < MAX_PATH ? n : MAX_PATH));
}

WideString NextToken(const WideChar*& Cursor, WideChar Delim) {
  const WideChar* start = Cursor;
  const WideChar* p = start;
  while (*p && *p != Delim) ++p;
  WideString token(start, static_cast<size_t>(p - start));
  Cursor = *p ? p + 1 : p;
  return token;
}

std::vector<WideString> SplitToArray(const WideChar* Buffer, WideChar Delim) {
  std::vector<WideString> pieces;
  if (!Buffer) return pieces;
  const WideChar* cursor = Buffer;
  for (;;) {
    WideString piece = NextToken(cursor, Delim);
    if (piece.empty()) break;
    if (pieces.size() == pieces.capacity()) pieces.reserve(pieces.size() + 256);
    pieces.push_back(std::move(piece));
  }
  pieces.shrink_to_fit();
  return pieces;
}

bool CanNarrowChar(WideChar Ch) {
  char bytes[8];
  BOOL usedDefault = FALSE;
  const int n = WideCharToMultiByte(ConversionCodePage, 0, &Ch, 1, bytes, sizeof bytes, nullptr, &usedDefault);
  return n > 0 && !usedDefault;
}
