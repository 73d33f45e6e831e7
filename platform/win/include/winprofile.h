// Private profile (INI) files.
//
// Files are ANSI text in the ANSI code page, or UTF-16 with a byte-order mark (UTF-16LE FF FE;
// FE FF and the UTF-8 mark EF BB BF are read too); a write keeps the file's encoding, and a new
// file is ANSI. Sections and keys match without regard to case (the CharUpperBuffW rule); blanks
// around names and values are trimmed; one pair of matching enclosing quotes (" or ') is
// stripped from a value; lines beginning with ';' are comments, never keys, and survive writes.
// There is no cache: every call reads the file, and every change replaces it whole through a
// temporary file beside it, so a failed write leaves the old file as it was.
//
// A file name without a folder is taken relative to the current directory (the program's
// folder, where the program runs), not the Windows folder.
//
// Writes refuse (FALSE, ERROR_INVALID_PARAMETER) names and values that could not be read back:
// a line break anywhere, '=' in a key, ']' in a section name.
//
// On the ANSI-only platform the W calls are stubs: they return 0 with ERROR_CALL_NOT_IMPLEMENTED.
#pragma once
#include "wintypes.h"

DWORD WINAPI GetPrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault,
                                      LPSTR lpReturnedString, DWORD nSize, LPCSTR lpFileName);
DWORD WINAPI GetPrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpDefault,
                                      LPWSTR lpReturnedString, DWORD nSize, LPCWSTR lpFileName);
UINT WINAPI GetPrivateProfileIntA(LPCSTR lpAppName, LPCSTR lpKeyName, INT nDefault, LPCSTR lpFileName);
UINT WINAPI GetPrivateProfileIntW(LPCWSTR lpAppName, LPCWSTR lpKeyName, INT nDefault, LPCWSTR lpFileName);
DWORD WINAPI GetPrivateProfileSectionA(LPCSTR lpAppName, LPSTR lpReturnedString, DWORD nSize, LPCSTR lpFileName);
DWORD WINAPI GetPrivateProfileSectionW(LPCWSTR lpAppName, LPWSTR lpReturnedString, DWORD nSize,
                                       LPCWSTR lpFileName);
DWORD WINAPI GetPrivateProfileSectionNamesA(LPSTR lpszReturnBuffer, DWORD nSize, LPCSTR lpFileName);
DWORD WINAPI GetPrivateProfileSectionNamesW(LPWSTR lpszReturnBuffer, DWORD nSize, LPCWSTR lpFileName);
// A null key erases the section, a null value deletes the key; all three null flushes (there
// is nothing to flush) and returns FALSE, as the platform does.
BOOL WINAPI WritePrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString, LPCSTR lpFileName);
BOOL WINAPI WritePrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpString,
                                       LPCWSTR lpFileName);
// lpString: "key=value" lines, each ended by a NUL, the list by a second NUL; null erases.
BOOL WINAPI WritePrivateProfileSectionA(LPCSTR lpAppName, LPCSTR lpString, LPCSTR lpFileName);
BOOL WINAPI WritePrivateProfileSectionW(LPCWSTR lpAppName, LPCWSTR lpString, LPCWSTR lpFileName);
