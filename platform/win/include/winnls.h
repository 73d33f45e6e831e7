// Code pages, case mapping, string comparison and locale information.
//
// Code pages: 932 (the Windows variant of Shift-JIS), 1252, 437, 65001 (UTF-8) and 65000 (UTF-7).
// CP_ACP follows the platform's ANSI code page (winplat_mode.h). Narrowing to 932 and 1252 maps
// characters outside the code page to near ones (best fit, "é" to "e"; not with
// WC_NO_BEST_FIT_CHARS); others become the default character ('?', one per UTF-16 unit),
// reported through lpUsedDefaultChar. A short buffer never receives half a character. Malformed
// input becomes the code page's default character (U+30FB for 932, U+FFFD for UTF-8), or fails
// with MB_ERR_INVALID_CHARS. A negative length of any value means a NUL-terminated string.
//
// Comparison is the platform's word sort in the user's locale: letters first by letter, then by
// accent, then by case (lower first), width and kana type; punctuation before digits before
// letters; hyphens and apostrophes count last (SORT_STRINGSORT: as punctuation); NUL and control
// characters never count. Case folds with the same table as CharUpperBuffW. Kanji sort in code
// page 932 order on a Japanese system. lstrcmp(i) sort a null string before every other.
//
// On the ANSI-only platform (Windows 9x-like) these W calls exist: MultiByteToWideChar,
// WideCharToMultiByte, lstrlenW, lstrcpyW, lstrcpynW, lstrcatW. CharUpperW, CharLowerW,
// CharUpperBuffW, CharLowerBuffW, CompareStringW, lstrcmpW, lstrcmpiW and GetLocaleInfoW are stubs
// there: they return 0 (or null) with ERROR_CALL_NOT_IMPLEMENTED.
#pragma once
#include "wintypes.h"

#define CP_ACP 0
#define CP_OEMCP 1
#define CP_MACCP 2
#define CP_THREAD_ACP 3
#define CP_UTF7 65000
#define CP_UTF8 65001

#define MB_PRECOMPOSED 0x00000001
#define MB_COMPOSITE 0x00000002
#define MB_USEGLYPHCHARS 0x00000004
#define MB_ERR_INVALID_CHARS 0x00000008

#define WC_DISCARDNS 0x00000010
#define WC_SEPCHARS 0x00000020
#define WC_DEFAULTCHAR 0x00000040
#define WC_ERR_INVALID_CHARS 0x00000080
#define WC_COMPOSITECHECK 0x00000200
#define WC_NO_BEST_FIT_CHARS 0x00000400

#define MAX_LEADBYTES 12
#define MAX_DEFAULTCHAR 2

struct CPINFO {
  UINT MaxCharSize;
  BYTE DefaultChar[MAX_DEFAULTCHAR];
  BYTE LeadByte[MAX_LEADBYTES];
};
using LPCPINFO = CPINFO*;

// Comparison flags and results.
#define NORM_IGNORECASE 0x00000001
#define NORM_IGNORENONSPACE 0x00000002
#define NORM_IGNORESYMBOLS 0x00000004
#define LINGUISTIC_IGNORECASE 0x00000010
#define LINGUISTIC_IGNOREDIACRITIC 0x00000020
#define SORT_STRINGSORT 0x00001000
#define NORM_IGNOREKANATYPE 0x00010000
#define NORM_IGNOREWIDTH 0x00020000
#define NORM_LINGUISTIC_CASING 0x08000000
#define CSTR_LESS_THAN 1
#define CSTR_EQUAL 2
#define CSTR_GREATER_THAN 3

// Locales.
using LCTYPE = DWORD;
#define LANG_NEUTRAL 0x00
#define LANG_ENGLISH 0x09
#define LANG_JAPANESE 0x11
#define SUBLANG_NEUTRAL 0x00
#define SUBLANG_DEFAULT 0x01
#define SORT_DEFAULT 0x0
#define MAKELANGID(p, s) (static_cast<WORD>((static_cast<WORD>(s) << 10) | static_cast<WORD>(p)))
#define PRIMARYLANGID(l) (static_cast<WORD>(l) & 0x3FF)
#define SUBLANGID(l) (static_cast<WORD>(l) >> 10)
#define MAKELCID(l, sort) (static_cast<DWORD>((static_cast<DWORD>(static_cast<WORD>(sort)) << 16) | static_cast<DWORD>(static_cast<WORD>(l))))
#define LANGIDFROMLCID(lcid) (static_cast<WORD>(lcid))
#define LOCALE_NEUTRAL 0x0000
#define LOCALE_INVARIANT 0x007F
#define LOCALE_USER_DEFAULT 0x0400
#define LOCALE_SYSTEM_DEFAULT 0x0800

#define LOCALE_NOUSEROVERRIDE 0x80000000
#define LOCALE_USE_CP_ACP 0x40000000
#define LOCALE_RETURN_NUMBER 0x20000000
#define LOCALE_ILANGUAGE 0x0001
#define LOCALE_SLANGUAGE 0x0002
#define LOCALE_SABBREVLANGNAME 0x0003
#define LOCALE_SNATIVELANGNAME 0x0004
#define LOCALE_ICOUNTRY 0x0005
#define LOCALE_SCOUNTRY 0x0006
#define LOCALE_IDEFAULTLANGUAGE 0x0009
#define LOCALE_IDEFAULTCOUNTRY 0x000A
#define LOCALE_IDEFAULTCODEPAGE 0x000B
#define LOCALE_SLIST 0x000C
#define LOCALE_SDECIMAL 0x000E
#define LOCALE_STHOUSAND 0x000F
#define LOCALE_SDATE 0x001D
#define LOCALE_STIME 0x001E
#define LOCALE_SSHORTDATE 0x001F
#define LOCALE_SLONGDATE 0x0020
#define LOCALE_S1159 0x0028
#define LOCALE_S2359 0x0029
#define LOCALE_SDAYNAME1 0x002A        // to LOCALE_SDAYNAME7 0x0030 (Monday first)
#define LOCALE_SABBREVDAYNAME1 0x0031  // to 0x0037
#define LOCALE_SMONTHNAME1 0x0038      // to 0x0043
#define LOCALE_SABBREVMONTHNAME1 0x0044  // to 0x004F
#define LOCALE_SISO639LANGNAME 0x0059
#define LOCALE_SISO3166CTRYNAME 0x005A
#define LOCALE_SENGLANGUAGE 0x1001
#define LOCALE_SENGCOUNTRY 0x1002
#define LOCALE_STIMEFORMAT 0x1003
#define LOCALE_IDEFAULTANSICODEPAGE 0x1004

int WINAPI MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                               LPWSTR lpWideCharStr, int cchWideChar);
int WINAPI WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar,
                               LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR lpDefaultChar,
                               LPBOOL lpUsedDefaultChar);
UINT WINAPI GetACP();
UINT WINAPI GetOEMCP();
BOOL WINAPI IsValidCodePage(UINT CodePage);
BOOL WINAPI GetCPInfo(UINT CodePage, LPCPINFO lpCPInfo);
BOOL WINAPI IsDBCSLeadByte(BYTE TestChar);
BOOL WINAPI IsDBCSLeadByteEx(UINT CodePage, BYTE TestChar);

// A pointer whose high word is zero is one character in its low word.
LPSTR WINAPI CharUpperA(LPSTR lpsz);
LPWSTR WINAPI CharUpperW(LPWSTR lpsz);
LPSTR WINAPI CharLowerA(LPSTR lpsz);
LPWSTR WINAPI CharLowerW(LPWSTR lpsz);
DWORD WINAPI CharUpperBuffA(LPSTR lpsz, DWORD cchLength);
DWORD WINAPI CharUpperBuffW(LPWSTR lpsz, DWORD cchLength);
DWORD WINAPI CharLowerBuffA(LPSTR lpsz, DWORD cchLength);
DWORD WINAPI CharLowerBuffW(LPWSTR lpsz, DWORD cchLength);
LPSTR WINAPI CharNextA(LPCSTR lpsz);
LPSTR WINAPI CharPrevA(LPCSTR lpszStart, LPCSTR lpszCurrent);

int WINAPI CompareStringA(LCID Locale, DWORD dwCmpFlags, LPCSTR lpString1, int cchCount1,
                          LPCSTR lpString2, int cchCount2);
int WINAPI CompareStringW(LCID Locale, DWORD dwCmpFlags, LPCWSTR lpString1, int cchCount1,
                          LPCWSTR lpString2, int cchCount2);

int WINAPI lstrlenA(LPCSTR lpString);
int WINAPI lstrlenW(LPCWSTR lpString);
LPSTR WINAPI lstrcpyA(LPSTR lpString1, LPCSTR lpString2);
LPWSTR WINAPI lstrcpyW(LPWSTR lpString1, LPCWSTR lpString2);
// Copies at most iMaxLength - 1 characters and always terminates; in a double-byte code page a
// character is never split.
LPSTR WINAPI lstrcpynA(LPSTR lpString1, LPCSTR lpString2, int iMaxLength);
LPWSTR WINAPI lstrcpynW(LPWSTR lpString1, LPCWSTR lpString2, int iMaxLength);
LPSTR WINAPI lstrcatA(LPSTR lpString1, LPCSTR lpString2);
LPWSTR WINAPI lstrcatW(LPWSTR lpString1, LPCWSTR lpString2);
int WINAPI lstrcmpA(LPCSTR lpString1, LPCSTR lpString2);
int WINAPI lstrcmpW(LPCWSTR lpString1, LPCWSTR lpString2);
int WINAPI lstrcmpiA(LPCSTR lpString1, LPCSTR lpString2);
int WINAPI lstrcmpiW(LPCWSTR lpString1, LPCWSTR lpString2);

// Locales known: 0x0411 (Japanese; the user's locale while the ANSI code page is 932) and 0x0409
// (English; while it is 1252). 0x0804, 0x0412 and 0x0404 answer their code pages only.
int WINAPI GetLocaleInfoA(LCID Locale, LCTYPE LCType, LPSTR lpLCData, int cchData);
int WINAPI GetLocaleInfoW(LCID Locale, LCTYPE LCType, LPWSTR lpLCData, int cchData);
LCID WINAPI GetUserDefaultLCID();
LCID WINAPI GetSystemDefaultLCID();
LCID WINAPI GetThreadLocale();
LANGID WINAPI GetUserDefaultLangID();
LANGID WINAPI GetSystemDefaultLangID();
