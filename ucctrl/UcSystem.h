// Conversions between wide (UTF-16) text and byte text: UTF-7, any code page, the code page of
// a locale or of the keyboard layout, byte swapping, wide resource strings and the wide command
// line.
#pragma once
#include "System.h"
#include "UcSysUtils.h"
#include "windows.h"

// The code page where a caller passes none; 0 is the platform's ANSI code page.
extern UINT ConversionCodePage;

// Results of the UTF-7 coder.
enum TUtf7Result { utf7Ok, utf7Exhausted, utf7Invalid };

// The UTF-16 to UTF-7 coder (RFC 2152). OptionalDirect writes the optional direct set as itself;
// ForceTerminator ends every shift with "-". Source and Dest are left where the coder stopped.
TUtf7Result ConvertUtf16ToUtf7(const WideChar*& Source, const WideChar* SourceEnd, char*& Dest,
                               char* DestEnd, bool OptionalDirect, bool ForceTerminator);
// The UTF-7 to UTF-16 coder. utf7Invalid does not stop decoding; utf7Exhausted does.
TUtf7Result ConvertUtf7ToUtf16(const char*& Source, const char* SourceEnd, WideChar*& Dest,
                               WideChar* DestEnd);

// Raises EUcInternalError "Buffer overflow" when the coder runs out of room.
AnsiString EncodeUtf7(const WideString& S);
// Raises EUcGeneralError "Invalid UTF7" for malformed input.
WideString DecodeUtf7(const AnsiString& S);

// 65000 UTF-7 and 65001 UTF-8 of our own; any other code page through the platform.
WideString BytesToWide(const AnsiString& S, UINT CodePage);
AnsiString WideToBytes(const WideString& S, UINT CodePage);

UINT LocaleAnsiCodePage(LCID Locale);
UINT KeyboardLayoutCodePage();
// A code of 256 or more unchanged; below, one byte of the keyboard's code page widened. A lone
// lead byte or a byte without a mapping gives 0.
WideChar KeyCharToWide(Word Key);

// Swaps the bytes of every unit in place up to the first zero unit.
void SwapWideBytes(PWideChar Buffer);

// A resource string: Identifier 0xFFFF or less names an entry of the string table of *Module;
// a larger one is the address of a byte string held in the program (UTF-8 after EF BB BF, else
// ANSI).
struct TResStringRec {
  HMODULE* Module;
  uintptr_t Identifier;
};
WideString LoadWideResourceString(const TResStringRec* ResStringRec);

// The Index-th parameter of the wide command line (0: the module file name); empty past the last.
WideString WideCommandLineParam(int Index);
// One parameter from P: blanks and pairs of quotes skipped, quoted runs taken whole without
// their quotes. Answers the position after it.
const WideChar* NextCommandLineParam(const WideChar* P, WideString& Param);
