// The floor of the wide-text layer: the platform flags, the layer's exception classes and small
// wide string, path and file helpers. Positions are 1-based, as in the class library.
#pragma once
#include <vector>

#include "SysUtils.h"
#include "System.h"
#include "windows.h"

// True on the NT family (platform identifier 2): the W calls are used. Set at start-up.
extern bool PlatformIsUnicode;
// True from version 5.1 on.
extern bool PlatformIsXPOrLater;
// Computes both flags from the platform's version. Runs at start-up; tests that switch the
// platform to its ANSI-only mode call it again.
void InitPlatformFlags();

VSE_EXCEPTION_CLASS(EUcGeneralError, Exception);
VSE_EXCEPTION_CLASS(EUcInternalError, Exception);

// A copy upper-cased with WideCharUpperBuff.
WideString WideUpperCopy(const WideString& S);
// The last code unit, 0 for empty text.
WideChar LastWideChar(const WideString& S);
bool IsWideDelimiter(const WideString& Delimiters, const WideString& S, int Index);
bool IsBackslashAt(const WideString& S, int Index);
// Position of the last character of S found in Delimiters (a NUL never matches), 0 when none.
int LastDelimiterPos(const WideString& Delimiters, const WideString& S);
WideString WideExtractFileName(const WideString& Path);
// From the last "." on when the last of ".", "\" and ":" is a "."; else empty.
WideString WideExtractFileExt(const WideString& Path);
WideString WideExpandFileName(const WideString& FileName);
HANDLE WideFileCreate(const WideString& FileName);
// Mode: access in bits 0-1 (0 read, 1 write, 2 both), sharing in bits 4-7 (0 and 1 none, 2 others
// read, 3 others write, 4 both). Any other access or sharing value gives INVALID_HANDLE_VALUE
// with ERROR_INVALID_PARAMETER.
HANDLE WideFileOpen(const WideString& FileName, uint32_t Mode);
// The last-write time as a packed local DOS date (high word) and time (low word); -1 for a
// missing file, a folder, a wildcard name or a time a DOS date cannot hold.
int32_t WideFileAge(const WideString& FileName);
// The name is there and is not a folder (wildcards never match); the file's date plays no part.
bool WideFileExists(const WideString& FileName);
// Value, or the last platform error raised as EOSError when Value is 0.
DWORD CheckOSResult(DWORD Value);
WideString WideModuleFileName(HMODULE Module);
// The text from Cursor up to Delim (or the end); Cursor moves past the delimiter or onto the NUL.
WideString NextToken(const WideChar*& Cursor, WideChar Delim);
// NextToken repeated until a piece comes back empty.
std::vector<WideString> SplitToArray(const WideChar* Buffer, WideChar Delim);
// Ch narrows to the conversion code page without a default character.
bool CanNarrowChar(WideChar Ch);
