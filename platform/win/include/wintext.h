// Text on device contexts: metrics, extents, TextOut, ExtTextOut and DrawText.
// Fonts are chosen with CreateFont / CreateFontIndirect (wingdi.h) and SelectObject.
#pragma once
#include "wingdi.h"
#include "wintypes.h"

// TEXTMETRIC::tmPitchAndFamily bits. TMPF_FIXED_PITCH set means the font is NOT fixed pitch.
#define TMPF_FIXED_PITCH 0x01
#define TMPF_VECTOR 0x02
#define TMPF_TRUETYPE 0x04
#define TMPF_DEVICE 0x08

struct TEXTMETRICA {
  LONG tmHeight;
  LONG tmAscent;
  LONG tmDescent;
  LONG tmInternalLeading;
  LONG tmExternalLeading;
  LONG tmAveCharWidth;
  LONG tmMaxCharWidth;
  LONG tmWeight;
  LONG tmOverhang;
  LONG tmDigitizedAspectX;
  LONG tmDigitizedAspectY;
  BYTE tmFirstChar;
  BYTE tmLastChar;
  BYTE tmDefaultChar;
  BYTE tmBreakChar;
  BYTE tmItalic;
  BYTE tmUnderlined;
  BYTE tmStruckOut;
  BYTE tmPitchAndFamily;
  BYTE tmCharSet;
};

struct TEXTMETRICW {
  LONG tmHeight;
  LONG tmAscent;
  LONG tmDescent;
  LONG tmInternalLeading;
  LONG tmExternalLeading;
  LONG tmAveCharWidth;
  LONG tmMaxCharWidth;
  LONG tmWeight;
  LONG tmOverhang;
  LONG tmDigitizedAspectX;
  LONG tmDigitizedAspectY;
  WCHAR tmFirstChar;
  WCHAR tmLastChar;
  WCHAR tmDefaultChar;
  WCHAR tmBreakChar;
  BYTE tmItalic;
  BYTE tmUnderlined;
  BYTE tmStruckOut;
  BYTE tmPitchAndFamily;
  BYTE tmCharSet;
};
static_assert(sizeof(TEXTMETRICA) == 56, "TEXTMETRICA is 56 bytes");
static_assert(sizeof(TEXTMETRICW) == 60, "TEXTMETRICW is 60 bytes");
using LPTEXTMETRICA = TEXTMETRICA*;
using LPTEXTMETRICW = TEXTMETRICW*;

// Text alignment (SetTextAlign).
#define TA_NOUPDATECP 0
#define TA_UPDATECP 1
#define TA_LEFT 0
#define TA_RIGHT 2
#define TA_CENTER 6
#define TA_TOP 0
#define TA_BOTTOM 8
#define TA_BASELINE 24
#define TA_RTLREADING 256
#define TA_MASK (TA_BASELINE | TA_CENTER | TA_UPDATECP | TA_RTLREADING)

// ExtTextOut options.
#define ETO_OPAQUE 0x0002
#define ETO_CLIPPED 0x0004
#define ETO_GLYPH_INDEX 0x0010
#define ETO_RTLREADING 0x0080
#define ETO_IGNORELANGUAGE 0x1000

// DrawText formats.
#define DT_TOP 0x00000000
#define DT_LEFT 0x00000000
#define DT_CENTER 0x00000001
#define DT_RIGHT 0x00000002
#define DT_VCENTER 0x00000004
#define DT_BOTTOM 0x00000008
#define DT_WORDBREAK 0x00000010
#define DT_SINGLELINE 0x00000020
#define DT_EXPANDTABS 0x00000040
#define DT_TABSTOP 0x00000080
#define DT_NOCLIP 0x00000100
#define DT_EXTERNALLEADING 0x00000200
#define DT_CALCRECT 0x00000400
#define DT_NOPREFIX 0x00000800
#define DT_INTERNAL 0x00001000
#define DT_EDITCONTROL 0x00002000
#define DT_PATH_ELLIPSIS 0x00004000
#define DT_END_ELLIPSIS 0x00008000
#define DT_MODIFYSTRING 0x00010000
#define DT_RTLREADING 0x00020000
#define DT_WORD_ELLIPSIS 0x00040000
#define DT_NOFULLWIDTHCHARBREAK 0x00080000
#define DT_HIDEPREFIX 0x00100000
#define DT_PREFIXONLY 0x00200000

BOOL WINAPI GetTextMetricsA(HDC dc, TEXTMETRICA* metrics);
BOOL WINAPI GetTextMetricsW(HDC dc, TEXTMETRICW* metrics);

// Extent of the first `count` characters (bytes for the A form) in the selected font.
BOOL WINAPI GetTextExtentPoint32A(HDC dc, LPCSTR text, int count, SIZE* size);
BOOL WINAPI GetTextExtentPoint32W(HDC dc, LPCWSTR text, int count, SIZE* size);
BOOL WINAPI GetTextExtentPointA(HDC dc, LPCSTR text, int count, SIZE* size);
BOOL WINAPI GetTextExtentPointW(HDC dc, LPCWSTR text, int count, SIZE* size);
// Also answers how many characters fit in maxExtent (when fit is given) and the extent after each
// character (when dx is given; one entry per UTF-16 unit, or per byte for the A form).
BOOL WINAPI GetTextExtentExPointA(HDC dc, LPCSTR text, int count, int maxExtent, LPINT fit,
                                  LPINT dx, SIZE* size);
BOOL WINAPI GetTextExtentExPointW(HDC dc, LPCWSTR text, int count, int maxExtent, LPINT fit,
                                  LPINT dx, SIZE* size);

BOOL WINAPI TextOutA(HDC dc, int x, int y, LPCSTR text, int count);
BOOL WINAPI TextOutW(HDC dc, int x, int y, LPCWSTR text, int count);
BOOL WINAPI ExtTextOutA(HDC dc, int x, int y, UINT options, const RECT* rect, LPCSTR text,
                        UINT count, const INT* dx);
BOOL WINAPI ExtTextOutW(HDC dc, int x, int y, UINT options, const RECT* rect, LPCWSTR text,
                        UINT count, const INT* dx);

// count -1: the text runs to its NUL. Answers the height of the text (0 on failure).
int WINAPI DrawTextA(HDC dc, LPCSTR text, int count, LPRECT rect, UINT format);
int WINAPI DrawTextW(HDC dc, LPCWSTR text, int count, LPRECT rect, UINT format);

UINT WINAPI SetTextAlign(HDC dc, UINT align);
UINT WINAPI GetTextAlign(HDC dc);
// Extra pixels added to every character's advance (TextOut, ExtTextOut without dx, extents).
int WINAPI SetTextCharacterExtra(HDC dc, int extra);
int WINAPI GetTextCharacterExtra(HDC dc);

// Face name of the selected font; answers the characters copied including the NUL, or the length
// needed (including the NUL) when name is null.
int WINAPI GetTextFaceA(HDC dc, int size, LPSTR name);
int WINAPI GetTextFaceW(HDC dc, int size, LPWSTR name);

namespace winplat::gdi {

// The built-in test font: a face of fixed, exact metrics that needs no font file.
// For a requested em height of p pixels (lfHeight -p or p; 0 gives 16): tmHeight p,
// tmAscent p - p/4, tmDescent p/4, no leading; half-width characters advance (p + 1) / 2,
// wide characters (East Asian Width W or F) advance p. Every character except blanks is a solid
// box of full coverage; bold does not change the advances.
inline constexpr char16_t kTestFontFace[] = u"VSE Test Fixed";

// Test switch: while on, every font is realised as the test font (whatever face it asks for),
// keeping its height, weight, italic, underline and strike-out. Returns the previous state.
bool UseTestFontForAll(bool on);
bool UsingTestFontForAll();

}  // namespace winplat::gdi
