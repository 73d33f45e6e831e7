#include "UcWindows.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "SysUtils.h"
#include "UcSysUtils.h"

namespace {

AnsiString Narrow(const WideChar* Text) { return Text ? WideToAnsi(WideString(Text)) : AnsiString(); }

AnsiString AnsiFromBufferMax(const char* P, size_t Count) {
  const void* nul = std::memchr(P, 0, Count);
  return AnsiString(P, nul ? static_cast<const char*>(nul) - P : Count);
}

// Upper case of one character on the ANSI path: through CharUpperA when it narrows to exactly
// the ANSI text that widens back to one character.
WideChar UpperOneAnsi(WideChar Ch) {
  if (!CanNarrowChar(Ch)) return Ch;
  AnsiString a = WideToAnsi(WideString(1, Ch));
  if (a.empty()) return Ch;
  CharUpperBuffA(a.data(), static_cast<DWORD>(a.size()));
  const WideString w = AnsiToWide(a);
  return w.size() == 1 ? w[0] : Ch;
}

}  // namespace

BOOL WideSetWindowText(HWND Wnd, const WideChar* Text) {
  if (PlatformIsUnicode) return SetWindowTextW(Wnd, Text);
  return SetWindowTextA(Wnd, Narrow(Text).c_str());
}

DWORD WideGetFullPathName(const WideChar* FileName, DWORD Size, PWideChar Buffer, PWideChar* FilePart) {
  if (PlatformIsUnicode) return GetFullPathNameW(FileName, Size, Buffer, FilePart);
  const AnsiString name = Narrow(FileName);
  std::string ansi(520, '\0');
  LPSTR ansiFile = nullptr;
  DWORD n = GetFullPathNameA(name.c_str(), static_cast<DWORD>(ansi.size()), ansi.data(), &ansiFile);
  if (n >= ansi.size()) {  // the 520 bytes were too small: n is what the path needs
    ansi.assign(n + 1, '\0');
    n = GetFullPathNameA(name.c_str(), static_cast<DWORD>(ansi.size()), ansi.data(), &ansiFile);
    if (n >= ansi.size()) n = 0;
  }
  if (FilePart) *FilePart = nullptr;
  if (n == 0) return 0;
  const AnsiString full = AnsiFromBufferMax(ansi.data(), n);
  const DWORD r = AnsiResultToWideBuffer(Size, Buffer, full, kAnsiResultFullPath);
  if (FilePart && ansiFile && r < Size) {
    const size_t at = static_cast<size_t>(ansiFile - ansi.data());
    if (at < full.size()) *FilePart = Buffer + AnsiToWide(full.substr(0, at)).size();
  }
  return r;
}

HANDLE WideCreateFile(const WideChar* FileName, DWORD Access, DWORD ShareMode,
                      LPSECURITY_ATTRIBUTES Security, DWORD Disposition, DWORD FlagsAndAttributes,
                      HANDLE Template) {
  if (PlatformIsUnicode)
    return CreateFileW(FileName, Access, ShareMode, Security, Disposition, FlagsAndAttributes, Template);
  return CreateFileA(Narrow(FileName).c_str(), Access, ShareMode, Security, Disposition,
                     FlagsAndAttributes, Template);
}

HANDLE WideFindFirstFile(const WideChar* FileName, WIN32_FIND_DATAW& FindData) {
  if (PlatformIsUnicode) return FindFirstFileW(FileName, &FindData);
  WIN32_FIND_DATAA ansi{};
  HANDLE h = FindFirstFileA(Narrow(FileName).c_str(), &ansi);
  if (h != INVALID_HANDLE_VALUE) {
    static_assert(offsetof(WIN32_FIND_DATAW, cFileName) == 44);
    std::memcpy(&FindData, &ansi, 44);
    const WideString name = AnsiToWide(AnsiFromBufferMax(ansi.cFileName, sizeof ansi.cFileName));
    const WideString alt = AnsiToWide(AnsiFromBufferMax(ansi.cAlternateFileName, sizeof ansi.cAlternateFileName));
    std::fill(std::begin(FindData.cFileName), std::end(FindData.cFileName), u'\0');
    std::fill(std::begin(FindData.cAlternateFileName), std::end(FindData.cAlternateFileName), u'\0');
    std::copy_n(name.begin(), std::min<size_t>(name.size(), MAX_PATH - 1), FindData.cFileName);
    std::copy_n(alt.begin(), std::min<size_t>(alt.size(), 13), FindData.cAlternateFileName);
  }
  return h;
}

int WideDrawText(HDC DC, const WideChar* Text, int Count, LPRECT Rect, UINT Format) {
  if (PlatformIsUnicode) return DrawTextW(DC, Text, Count, Rect, Format);
  const AnsiString ansi = WideToAnsi(WideStringFromBuffer(Text, Count));
  return DrawTextA(DC, ansi.c_str(), -1, Rect, Format);
}

DWORD WideGetModuleFileName(HMODULE Module, PWideChar Buffer, DWORD Size) {
  if (PlatformIsUnicode) return GetModuleFileNameW(Module, Buffer, Size);
  char ansi[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameA(Module, ansi, MAX_PATH);
  if (n == 0) return 0;
  return AnsiResultToWideBuffer(Size, Buffer, AnsiFromBufferMax(ansi, std::min<DWORD>(n, MAX_PATH)),
                                kAnsiResultModuleName);
}

PWideChar WideCharUpper(PWideChar Arg) {
  if (PlatformIsUnicode) return CharUpperW(Arg);
  if (!IsResourceIdentifier(Arg)) {
    for (PWideChar p = Arg; *p; ++p) *p = UpperOneAnsi(*p);
    return Arg;
  }
  const WideChar ch = static_cast<WideChar>(reinterpret_cast<uintptr_t>(Arg) & 0xFFFF);
  return reinterpret_cast<PWideChar>(static_cast<uintptr_t>(UpperOneAnsi(ch)));
}

DWORD WideCharUpperBuff(PWideChar Buffer, DWORD Count) {
  if (PlatformIsUnicode) return CharUpperBuffW(Buffer, Count);
  for (DWORD i = 0; i < Count; ++i) Buffer[i] = UpperOneAnsi(Buffer[i]);
  return Count;
}

DWORD AnsiResultToWideBuffer(DWORD Size, PWideChar Buffer, const AnsiString& Ansi, int Flags) {
  const WideString wide = AnsiToWide(Ansi);
  const DWORD length = static_cast<DWORD>(wide.size());
  if (length < Size) {
    std::copy(wide.begin(), wide.end(), Buffer);
    Buffer[length] = 0;
    return length;
  }
  if (Flags & kAnsiResultModuleName) {
    std::copy_n(wide.begin(), Size, Buffer);
    return Size;
  }
  if (Size != 0) Buffer[0] = 0;
  return length + 1;
}

bool IsResourceIdentifier(const void* P) { return (reinterpret_cast<uintptr_t>(P) >> 16) == 0; }

WideString WideStringFromBuffer(const WideChar* P, int Count) {
  if (!P) return WideString();
  if (Count == -1) return WideString(P);
  return WideString(P, static_cast<size_t>(std::max(Count, 0)));
}

WideString WideStringFromBufferMax(const WideChar* P, int Count) {
  if (!P || Count <= 0) return WideString();
  int n = 0;
  while (n < Count && P[n]) ++n;
  return WideString(P, static_cast<size_t>(n));
}

int WideLoadString(HINSTANCE Module, UINT Id, PWideChar Buffer, int BufferMax) {
  if (PlatformIsUnicode) return LoadStringW(Module, Id, Buffer, BufferMax);
  return ReadStringTableEntry(Module, Id, Buffer, BufferMax);
}

int ReadStringTableEntry(HINSTANCE Module, UINT Id, PWideChar Buffer, int BufferMax) {
  if ((Id >> 16) == 0xFFFF) Id = static_cast<UINT>(-static_cast<int32_t>(Id));
  HRSRC info = FindResourceA(Module, MAKEINTRESOURCEA((Id >> 4) + 1), RT_STRING);
  if (!info) return 0;
  HGLOBAL data = LoadResource(Module, info);
  const auto* units = static_cast<const WideChar*>(LockResource(data));
  if (!units) return 0;
  const size_t count = SizeofResource(Module, info) / sizeof(WideChar);
  // Skip the counted strings before this one, never past the block.
  size_t at = 0;
  for (UINT skip = Id & 15; skip > 0 && at < count; --skip) at += 1u + units[at];
  if (at >= count) return 0;
  const int length = static_cast<int>(std::min<size_t>(units[at], count - at - 1));
  if (!Buffer || BufferMax <= 0) return length;
  const int n = std::min(BufferMax - 1, length);
  std::copy_n(units + at + 1, n, Buffer);
  Buffer[n] = 0;
  return n;
}
