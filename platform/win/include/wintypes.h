// Basic types of the Windows-like platform: integer widths, handles, strings, and the small
// records (points, rectangles, times) every area shares.
#pragma once
#include <cstddef>
#include <cstdint>

#define WINAPI
#define CALLBACK
#define APIENTRY

using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using UINT = uint32_t;
using INT = int32_t;
using LONG = int32_t;
using ULONG = uint32_t;
using SHORT = int16_t;
using USHORT = uint16_t;
using BOOL = int32_t;
using BOOLEAN = uint8_t;
using CHAR = char;
using UCHAR = unsigned char;
using WCHAR = char16_t;
using LONGLONG = int64_t;
using ULONGLONG = uint64_t;
using DWORDLONG = uint64_t;
using INT_PTR = intptr_t;
using UINT_PTR = uintptr_t;
using LONG_PTR = intptr_t;
using ULONG_PTR = uintptr_t;
using DWORD_PTR = uintptr_t;
using SIZE_T = size_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using ATOM = uint16_t;
using COLORREF = uint32_t;
using LCID = uint32_t;
using LANGID = uint16_t;
using HRESULT = int32_t;

using LPVOID = void*;
using LPCVOID = const void*;
using PVOID = void*;
using LPSTR = char*;
using LPCSTR = const char*;
using LPWSTR = char16_t*;
using LPCWSTR = const char16_t*;
using LPBYTE = BYTE*;
using LPDWORD = DWORD*;
using LPLONG = LONG*;
using LPBOOL = BOOL*;
using LPINT = INT*;
using LPWORD = WORD*;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif
#define MAX_PATH 260

// Handles are pointer-sized and opaque. Distinct types keep them apart at compile time.
#define VSE_DECLARE_HANDLE(name) struct name##__ { int unused; }; using name = name##__*
using HANDLE = void*;
VSE_DECLARE_HANDLE(HWND);
VSE_DECLARE_HANDLE(HINSTANCE);
VSE_DECLARE_HANDLE(HDC);
VSE_DECLARE_HANDLE(HGDIOBJ_);
VSE_DECLARE_HANDLE(HBITMAP);
VSE_DECLARE_HANDLE(HPEN);
VSE_DECLARE_HANDLE(HBRUSH);
VSE_DECLARE_HANDLE(HFONT);
VSE_DECLARE_HANDLE(HRGN);
VSE_DECLARE_HANDLE(HPALETTE);
VSE_DECLARE_HANDLE(HICON);
VSE_DECLARE_HANDLE(HMENU);
VSE_DECLARE_HANDLE(HHOOK);
VSE_DECLARE_HANDLE(HKEY);
VSE_DECLARE_HANDLE(HRSRC);
VSE_DECLARE_HANDLE(HACCEL);
VSE_DECLARE_HANDLE(HIMAGELIST);
VSE_DECLARE_HANDLE(HMONITOR);
using HGDIOBJ = void*;
using HMODULE = HINSTANCE;
using HCURSOR = HICON;
using HGLOBAL = HANDLE;
using HLOCAL = HANDLE;
using HFILE = int32_t;

#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1)))

#define MAKEWORD(lo, hi) (static_cast<WORD>((static_cast<BYTE>(lo)) | (static_cast<WORD>(static_cast<BYTE>(hi)) << 8)))
#define MAKELONG(lo, hi) (static_cast<LONG>((static_cast<WORD>(lo)) | (static_cast<DWORD>(static_cast<WORD>(hi)) << 16)))
#ifndef MAKEWPARAM
#define MAKEWPARAM(lo, hi) (static_cast<WPARAM>(static_cast<DWORD>(MAKELONG(lo, hi))))
#define MAKELPARAM(lo, hi) (static_cast<LPARAM>(static_cast<DWORD>(MAKELONG(lo, hi))))
#endif
#define LOWORD(l) (static_cast<WORD>(static_cast<DWORD_PTR>(l) & 0xFFFF))
#define HIWORD(l) (static_cast<WORD>((static_cast<DWORD_PTR>(l) >> 16) & 0xFFFF))
#define LOBYTE(w) (static_cast<BYTE>(static_cast<DWORD_PTR>(w) & 0xFF))
#define HIBYTE(w) (static_cast<BYTE>((static_cast<DWORD_PTR>(w) >> 8) & 0xFF))
#define RGB(r, g, b) (static_cast<COLORREF>((static_cast<BYTE>(r)) | (static_cast<WORD>(static_cast<BYTE>(g)) << 8) | (static_cast<DWORD>(static_cast<BYTE>(b)) << 16)))
#define GetRValue(c) (static_cast<BYTE>(c))
#define GetGValue(c) (static_cast<BYTE>((static_cast<WORD>(c)) >> 8))
#define GetBValue(c) (static_cast<BYTE>((c) >> 16))

struct POINT { LONG x; LONG y; };
struct SIZE { LONG cx; LONG cy; };
struct RECT { LONG left; LONG top; LONG right; LONG bottom; };
struct POINTS { SHORT x; SHORT y; };
using LPPOINT = POINT*;
using LPRECT = RECT*;
using LPCRECT = const RECT*;
using LPSIZE = SIZE*;

struct FILETIME { DWORD dwLowDateTime; DWORD dwHighDateTime; };
struct SYSTEMTIME {
  WORD wYear, wMonth, wDayOfWeek, wDay, wHour, wMinute, wSecond, wMilliseconds;
};
union LARGE_INTEGER {
  struct { DWORD LowPart; LONG HighPart; } u;
  LONGLONG QuadPart;
};
union ULARGE_INTEGER {
  struct { DWORD LowPart; DWORD HighPart; } u;
  ULONGLONG QuadPart;
};
using LPFILETIME = FILETIME*;
using LPSYSTEMTIME = SYSTEMTIME*;

struct SECURITY_ATTRIBUTES { DWORD nLength; LPVOID lpSecurityDescriptor; BOOL bInheritHandle; };
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

using FARPROC = intptr_t (*)();
