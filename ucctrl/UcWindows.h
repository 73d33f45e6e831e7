// Wrappers of Windows calls that take the W form on a Unicode platform (PlatformIsUnicode) and
// the A form with conversions elsewhere, and the buffer helpers they share.
#pragma once
#include "System.h"
#include "windows.h"

BOOL WideSetWindowText(HWND Wnd, const WideChar* Text);
// ANSI path: GetFullPathNameA, its answer copied by AnsiResultToWideBuffer (flag 2). FilePart
// points at the file part inside Buffer, or is none when there is none or Buffer is too small.
DWORD WideGetFullPathName(const WideChar* FileName, DWORD Size, PWideChar Buffer, PWideChar* FilePart);
HANDLE WideCreateFile(const WideChar* FileName, DWORD Access, DWORD ShareMode,
                      LPSECURITY_ATTRIBUTES Security, DWORD Disposition, DWORD FlagsAndAttributes,
                      HANDLE Template);
HANDLE WideFindFirstFile(const WideChar* FileName, WIN32_FIND_DATAW& FindData);
// Count -1: the text up to its NUL.
int WideDrawText(HDC DC, const WideChar* Text, int Count, LPRECT Rect, UINT Format);
DWORD WideGetModuleFileName(HMODULE Module, PWideChar Buffer, DWORD Size);
// Arg with a zero high word is one character (the result's low word); else a buffer upper-cased
// in place.
PWideChar WideCharUpper(PWideChar Arg);
DWORD WideCharUpperBuff(PWideChar Buffer, DWORD Count);
int WideLoadString(HINSTANCE Module, UINT Id, PWideChar Buffer, int BufferMax);
// Reads string Id from the module's string table (RT_STRING) without LoadStringW: the length
// when Buffer is none or BufferMax <= 0, else the units copied (at most BufferMax - 1, then a NUL).
int ReadStringTableEntry(HINSTANCE Module, UINT Id, PWideChar Buffer, int BufferMax);

// How an ANSI answer of a call is handed back in a wide buffer of Size characters.
inline constexpr int kAnsiResultFullPath = 2;    // too small: length + 1, and an empty Buffer
inline constexpr int kAnsiResultModuleName = 4;  // too small: Size units without NUL, Size
DWORD AnsiResultToWideBuffer(DWORD Size, PWideChar Buffer, const AnsiString& Ansi, int Flags);

// P's high word is zero (an integer identifier rather than an address).
bool IsResourceIdentifier(const void* P);
// The text up to the NUL when Count is -1, else its first Count characters.
WideString WideStringFromBuffer(const WideChar* P, int Count);
// The first Count characters, or fewer when a NUL comes first: for answers of platform calls.
WideString WideStringFromBufferMax(const WideChar* P, int Count);
