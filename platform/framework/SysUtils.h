// SysUtils: the exception family, conversions, string, file and path helpers, dates and times.
//
// ANSI strings are bytes of the platform's ANSI code page. The Ansi* functions and everything that
// looks for a character inside a string (paths, delimiters, quotes) walk it character by character,
// so a trail byte (0x5C "\", 0x7C "|" ...) of a double-byte character never matches. UpperCase,
// LowerCase, CompareText and SameText are ASCII-only, as in the class library.
//
// Paths: both "\" and "/" separate. PathDelim is "\"; IncludeTrailingPathDelimiter keeps an existing
// "\" or "/" and appends "\" otherwise, which the platform accepts.
#pragma once
#include <cstdint>
#include <exception>
#include <initializer_list>
#include <string>
#include <string_view>
#include "System.h"
#include "SysConst.h"
#include "windows.h"

// ---------------------------------------------------------------------------------------------
// Format arguments: one value of the "array of const" the class library's Format takes.
class TVarRec {
 public:
  enum TKind { vtInteger, vtInt64, vtExtended, vtString, vtWideString, vtChar, vtWideChar,
               vtBoolean, vtPointer };
  TVarRec(int v) : kind_(vtInteger), i_(v) {}
  TVarRec(short v) : kind_(vtInteger), i_(v) {}
  TVarRec(signed char v) : kind_(vtInteger), i_(v) {}
  TVarRec(unsigned char v) : kind_(vtInteger), i_(v) {}
  TVarRec(unsigned short v) : kind_(vtInteger), i_(v) {}
  TVarRec(unsigned v) : kind_(vtInt64), i_(v) {}
  TVarRec(long v) : kind_(sizeof(long) == 4 ? vtInteger : vtInt64), i_(v) {}
  TVarRec(long long v) : kind_(vtInt64), i_(v) {}
  TVarRec(unsigned long v) : kind_(vtInt64), i_(static_cast<int64_t>(v)), unsigned_(v > INT64_MAX) {}
  TVarRec(unsigned long long v) : kind_(vtInt64), i_(static_cast<int64_t>(v)), unsigned_(v > INT64_MAX) {}
  TVarRec(float v) : kind_(vtExtended), e_(v) {}
  TVarRec(double v) : kind_(vtExtended), e_(v) {}
  TVarRec(long double v) : kind_(vtExtended), e_(v) {}
  TVarRec(bool v) : kind_(vtBoolean), i_(v ? 1 : 0) {}
  TVarRec(char v) : kind_(vtChar), i_(static_cast<unsigned char>(v)) {}
  TVarRec(char16_t v) : kind_(vtWideChar), i_(v) {}
  TVarRec(const char* v) : kind_(vtString), s_(v ? v : "") {}
  TVarRec(const AnsiString& v) : kind_(vtString), s_(v) {}
  TVarRec(std::string_view v) : kind_(vtString), s_(v) {}
  TVarRec(const char16_t* v) : kind_(vtWideString), w_(v ? v : u"") {}
  TVarRec(const WideString& v) : kind_(vtWideString), w_(v) {}
  TVarRec(const void* v) : kind_(vtPointer), p_(v) {}
  TVarRec(std::nullptr_t) : kind_(vtPointer), p_(nullptr) {}

  TKind Kind() const { return kind_; }
  int64_t AsInt64() const { return i_; }
  bool IsUnsigned() const { return unsigned_; }
  long double AsExtended() const { return e_; }
  const AnsiString& AsString() const { return s_; }
  const WideString& AsWideString() const { return w_; }
  const void* AsPointer() const { return p_; }

 private:
  TKind kind_;
  int64_t i_ = 0;
  bool unsigned_ = false;
  long double e_ = 0;
  AnsiString s_;
  WideString w_;
  const void* p_ = nullptr;
};

using TVarRecs = std::initializer_list<TVarRec>;

// The class library's Format: %[index:][-][width][.prec]type with d u x e f g n m p s; width,
// precision and index may be "*". Raises EConvertError for a bad format or a missing or
// mismatched argument.
AnsiString Format(const AnsiString& Fmt, TVarRecs Args);
AnsiString Format(const AnsiString& Fmt, const TVarRec* Args, std::size_t ArgCount);

// ---------------------------------------------------------------------------------------------
// Exceptions. Every exception of the class library derives from Exception, which is a C++
// exception: what() gives the message bytes.
class Exception : public TObject, public std::exception {
 public:
  explicit Exception(const AnsiString& Msg) : message_(Msg) {}
  Exception(const AnsiString& Fmt, TVarRecs Args);  // CreateFmt
  Exception(const Exception&) = default;
  Exception& operator=(const Exception&) = default;
  ~Exception() override;
  const AnsiString& Message() const { return message_; }
  void SetMessage(const AnsiString& Msg) { message_ = Msg; }
  int HelpContext() const { return help_context_; }
  void SetHelpContext(int v) { help_context_ = v; }
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  AnsiString message_;
  int help_context_ = 0;
};

#define VSE_EXCEPTION_CLASS(Name, Base) \
  class Name : public Base {            \
   public:                              \
    using Base::Base;                   \
  }

VSE_EXCEPTION_CLASS(EAbort, Exception);
VSE_EXCEPTION_CLASS(EHeapException, Exception);
VSE_EXCEPTION_CLASS(EOutOfMemory, EHeapException);
VSE_EXCEPTION_CLASS(EInvalidPointer, EHeapException);
VSE_EXCEPTION_CLASS(EExternal, Exception);
VSE_EXCEPTION_CLASS(EIntError, EExternal);
VSE_EXCEPTION_CLASS(EDivByZero, EIntError);
VSE_EXCEPTION_CLASS(ERangeError, EIntError);
VSE_EXCEPTION_CLASS(EIntOverflow, EIntError);
VSE_EXCEPTION_CLASS(EMathError, EExternal);
VSE_EXCEPTION_CLASS(EInvalidOp, EMathError);
VSE_EXCEPTION_CLASS(EZeroDivide, EMathError);
VSE_EXCEPTION_CLASS(EOverflow, EMathError);
VSE_EXCEPTION_CLASS(EUnderflow, EMathError);
VSE_EXCEPTION_CLASS(EInvalidCast, Exception);
VSE_EXCEPTION_CLASS(EConvertError, Exception);
VSE_EXCEPTION_CLASS(EAbstractError, Exception);
VSE_EXCEPTION_CLASS(EAssertionFailed, Exception);
// Classes
VSE_EXCEPTION_CLASS(EStreamError, Exception);
VSE_EXCEPTION_CLASS(EFCreateError, EStreamError);
VSE_EXCEPTION_CLASS(EFOpenError, EStreamError);
VSE_EXCEPTION_CLASS(EFilerError, EStreamError);
VSE_EXCEPTION_CLASS(EReadError, EFilerError);
VSE_EXCEPTION_CLASS(EWriteError, EFilerError);
VSE_EXCEPTION_CLASS(EClassNotFound, EFilerError);
VSE_EXCEPTION_CLASS(EMethodNotFound, EFilerError);
VSE_EXCEPTION_CLASS(EInvalidImage, EFilerError);
VSE_EXCEPTION_CLASS(EResNotFound, Exception);
VSE_EXCEPTION_CLASS(EListError, Exception);
VSE_EXCEPTION_CLASS(EBitsError, Exception);
VSE_EXCEPTION_CLASS(EStringListError, Exception);
VSE_EXCEPTION_CLASS(EComponentError, Exception);
VSE_EXCEPTION_CLASS(EParserError, Exception);
VSE_EXCEPTION_CLASS(EOutOfResources, EOutOfMemory);
VSE_EXCEPTION_CLASS(EInvalidOperation, Exception);
// Graphics (raised by the Graphics unit; declared here with the rest of the family)
VSE_EXCEPTION_CLASS(EInvalidGraphic, Exception);
VSE_EXCEPTION_CLASS(EInvalidGraphicOperation, Exception);
// IniFiles
VSE_EXCEPTION_CLASS(EIniFileException, Exception);

class EInOutError : public Exception {
 public:
  using Exception::Exception;
  int ErrorCode = 0;
};

class EOSError : public Exception {
 public:
  using Exception::Exception;
  DWORD ErrorCode = 0;
};
using EWin32Error = EOSError;

// Raises EAbort, the silent exception.
[[noreturn]] void Abort();
// Raises EOSError for GetLastError, with the system's text for the code.
[[noreturn]] void RaiseLastOSError();
[[noreturn]] void RaiseLastOSError(DWORD LastError);
inline void RaiseLastWin32Error() { RaiseLastOSError(); }
// Raises EOSError when RetVal is false; returns it otherwise.
BOOL Win32Check(BOOL RetVal);
// The system's default sound.
inline void Beep() { MessageBeep(0); }
// The system's message for an error code ("" for a code it has no text for).
AnsiString SysErrorMessage(DWORD ErrorCode);

// Assert(cond) and Assert(cond, msg): EAssertionFailed naming the caller's file and line.
void Assert(bool Condition, const AnsiString& Msg = AnsiString(),
            const char* File = __builtin_FILE(), int Line = __builtin_LINE());

// ---------------------------------------------------------------------------------------------
// Conversions
AnsiString IntToStr(int Value);
AnsiString IntToStr(long Value);
AnsiString IntToStr(long long Value);
AnsiString IntToStr(unsigned Value);
AnsiString IntToStr(unsigned long Value);
AnsiString IntToStr(unsigned long long Value);
AnsiString IntToHex(int32_t Value, int Digits);
AnsiString IntToHex(int64_t Value, int Digits);
// Decimal with optional sign and leading blanks, or hexadecimal after "$", "x", "0x"; no trailing
// characters. A hexadecimal value may use all 32 (64) bits.
int32_t StrToInt(const AnsiString& S);
int32_t StrToIntDef(const AnsiString& S, int32_t Default);
bool TryStrToInt(const AnsiString& S, int32_t& Value);
int64_t StrToInt64(const AnsiString& S);
int64_t StrToInt64Def(const AnsiString& S, int64_t Default);
bool TryStrToInt64(const AnsiString& S, int64_t& Value);
bool StrToBool(const AnsiString& S);
bool StrToBoolDef(const AnsiString& S, bool Default);
bool TryStrToBool(const AnsiString& S, bool& Value);
AnsiString BoolToStr(bool B, bool UseBoolStrs = false);

enum TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };
AnsiString FloatToStr(Extended Value);
AnsiString FloatToStrF(Extended Value, TFloatFormat Format, int Precision, int Digits);
Extended StrToFloat(const AnsiString& S);
Extended StrToFloatDef(const AnsiString& S, Extended Default);
bool TryStrToFloat(const AnsiString& S, Extended& Value);
bool TryStrToFloat(const AnsiString& S, double& Value);

// Hexadecimal text and bytes: BinToHex writes 2 * BufSize upper-case digits; HexToBin decodes up
// to BufSize pairs and answers how many it decoded (it stops at the first invalid digit).
void BinToHex(const void* Buffer, char* Text, int BufSize);
int HexToBin(const char* Text, void* Buffer, int BufSize);

// ---------------------------------------------------------------------------------------------
// Strings
AnsiString Trim(const AnsiString& S);
AnsiString TrimLeft(const AnsiString& S);
AnsiString TrimRight(const AnsiString& S);
AnsiString UpperCase(const AnsiString& S);
AnsiString LowerCase(const AnsiString& S);
int CompareStr(const AnsiString& S1, const AnsiString& S2);
int CompareText(const AnsiString& S1, const AnsiString& S2);
bool SameStr(const AnsiString& S1, const AnsiString& S2);
bool SameText(const AnsiString& S1, const AnsiString& S2);
// Code-page aware, through the platform's CharUpperBuffA/CharLowerBuffA and CompareStringA.
AnsiString AnsiUpperCase(const AnsiString& S);
AnsiString AnsiLowerCase(const AnsiString& S);
int AnsiCompareStr(const AnsiString& S1, const AnsiString& S2);
int AnsiCompareText(const AnsiString& S1, const AnsiString& S2);
bool AnsiSameStr(const AnsiString& S1, const AnsiString& S2);
bool AnsiSameText(const AnsiString& S1, const AnsiString& S2);
int AnsiCompareFileName(const AnsiString& S1, const AnsiString& S2);
bool SameFileName(const AnsiString& S1, const AnsiString& S2);
// 1-based position of SubStr in S at a character boundary, 0 when absent.
int AnsiPos(const AnsiString& SubStr, const AnsiString& S);
AnsiString QuotedStr(const AnsiString& S);
AnsiString AnsiQuotedStr(const AnsiString& S, char Quote);
// Takes a quoted string from the front of Src (advancing Src past it); "" when Src does not start
// with Quote. Doubled quotes inside become one.
AnsiString AnsiExtractQuotedStr(const char*& Src, char Quote);
// S without its enclosing quotes when it is quoted, else S.
AnsiString AnsiDequotedStr(const AnsiString& S, char Quote);

enum TReplaceFlag { rfReplaceAll, rfIgnoreCase };
using TReplaceFlags = TSet<TReplaceFlag>;
AnsiString StringReplace(const AnsiString& S, const AnsiString& OldPattern,
                         const AnsiString& NewPattern, TReplaceFlags Flags);

enum TMbcsByteType { mbSingleByte, mbLeadByte, mbTrailByte };
// Index is 1-based.
TMbcsByteType ByteType(const AnsiString& S, int Index);
TMbcsByteType StrByteType(const char* Str, unsigned Index);  // Index 0-based
// 1-based index of the last character of S that is one of Delimiters (single-byte), 0 when none.
int LastDelimiter(const AnsiString& Delimiters, const AnsiString& S);
bool IsDelimiter(const AnsiString& Delimiters, const AnsiString& S, int Index);
bool IsPathDelimiter(const AnsiString& S, int Index);
bool IsValidIdent(const AnsiString& Ident);
// The platform's lead-byte test for the current ANSI code page.
bool IsLeadByte(char C);
// Bytes and characters of an ANSI string: the index of the next character (0-based).
std::size_t NextCharIndex(const AnsiString& S, std::size_t Index);
AnsiString AdjustLineBreaks(const AnsiString& S);

// Wide and ANSI text through the platform's current ANSI code page.
WideString AnsiToWide(const AnsiString& S);
AnsiString WideToAnsi(const WideString& S);
// UTF-8 bytes and wide text: malformed input gives U+FFFD, characters beyond U+FFFF surrogate
// pairs.
using UTF8String = std::string;
UTF8String UTF8Encode(const WideString& S);
WideString UTF8Decode(const UTF8String& S);

// Wide comparison and case through CompareStringW and CharUpperBuffW. On the ANSI-only platform
// (where those calls are not implemented) the comparisons fall back to the ANSI forms of the
// texts, and the case functions leave the text unchanged, as the class library did there.
int WideCompareStr(const WideString& S1, const WideString& S2);
int WideCompareText(const WideString& S1, const WideString& S2);
bool WideSameStr(const WideString& S1, const WideString& S2);
bool WideSameText(const WideString& S1, const WideString& S2);
WideString WideUpperCase(const WideString& S);
WideString WideLowerCase(const WideString& S);
// Format for wide text: the same specifications; %s takes wide (or ANSI, widened) strings whole.
WideString WideFormat(const WideString& Fmt, TVarRecs Args);
WideString WideFormat(const WideString& Fmt, const TVarRec* Args, std::size_t ArgCount);

// ---------------------------------------------------------------------------------------------
// Files and paths
inline constexpr char PathDelim = '\\';
inline constexpr char DriveDelim = ':';
inline constexpr char PathSep = ';';
inline constexpr const char* sLineBreak = "\r\n";

AnsiString IncludeTrailingPathDelimiter(const AnsiString& S);
AnsiString IncludeTrailingBackslash(const AnsiString& S);
AnsiString ExcludeTrailingPathDelimiter(const AnsiString& S);
AnsiString ExcludeTrailingBackslash(const AnsiString& S);
AnsiString ExtractFilePath(const AnsiString& FileName);
AnsiString ExtractFileDir(const AnsiString& FileName);
AnsiString ExtractFileName(const AnsiString& FileName);
AnsiString ExtractFileExt(const AnsiString& FileName);
AnsiString ExtractFileDrive(const AnsiString& FileName);
AnsiString ChangeFileExt(const AnsiString& FileName, const AnsiString& Extension);
AnsiString ExtractRelativePath(const AnsiString& BaseName, const AnsiString& DestName);
AnsiString ExpandFileName(const AnsiString& FileName);

// File attributes
inline constexpr int faReadOnly = 0x01;
inline constexpr int faHidden = 0x02;
inline constexpr int faSysFile = 0x04;
inline constexpr int faVolumeID = 0x08;
inline constexpr int faDirectory = 0x10;
inline constexpr int faArchive = 0x20;
inline constexpr int faAnyFile = 0x3F;

// Open modes: access in the low two bits, sharing in bits 4..6.
inline constexpr Word fmOpenRead = 0x0000;
inline constexpr Word fmOpenWrite = 0x0001;
inline constexpr Word fmOpenReadWrite = 0x0002;
inline constexpr Word fmShareCompat = 0x0000;
inline constexpr Word fmShareExclusive = 0x0010;
inline constexpr Word fmShareDenyWrite = 0x0020;
inline constexpr Word fmShareDenyRead = 0x0030;
inline constexpr Word fmShareDenyNone = 0x0040;
inline constexpr Word fmCreate = 0xFFFF;

// A file exists when it is there and is not a directory (wildcards never match).
bool FileExists(const AnsiString& FileName);
bool DirectoryExists(const AnsiString& Directory);
// Creates Dir and every missing parent; false when one cannot be made. Raises EInOutError for "".
bool ForceDirectories(const AnsiString& Dir);
bool CreateDir(const AnsiString& Dir);
bool RemoveDir(const AnsiString& Dir);
bool DeleteFile(const AnsiString& FileName);
bool RenameFile(const AnsiString& OldName, const AnsiString& NewName);
// The DOS date and time (local) of the last write, -1 for a missing file, a directory, a wildcard
// name or a time a DOS date cannot hold.
int32_t FileAge(const AnsiString& FileName);
int32_t FileGetAttr(const AnsiString& FileName);  // -1 when missing
int32_t FileSetAttr(const AnsiString& FileName, int32_t Attr);  // 0 or the error code
AnsiString GetCurrentDir();
bool SetCurrentDir(const AnsiString& Dir);
// Changes the current directory; EInOutError when it cannot.
void ChDir(const AnsiString& Dir);
// The current directory (there is one for every drive number).
void GetDir(Byte Drive, AnsiString& S);

// Handles of FileOpen/FileCreate are the platform's; INVALID_HANDLE_VALUE on failure.
HANDLE FileOpen(const AnsiString& FileName, uint32_t Mode);
HANDLE FileCreate(const AnsiString& FileName);
int32_t FileRead(HANDLE Handle, void* Buffer, int32_t Count);         // -1 on error
int32_t FileWrite(HANDLE Handle, const void* Buffer, int32_t Count);  // -1 on error
int64_t FileSeek(HANDLE Handle, int64_t Offset, int Origin);          // -1 on error
void FileClose(HANDLE Handle);
int32_t FileGetDate(HANDLE Handle);  // DOS date and time (local), -1 on error
TDateTime FileDateToDateTime(int32_t FileDate);
int32_t DateTimeToFileDate(TDateTime DateTime);

struct TSearchRec {
  int32_t Time = 0;  // DOS date and time, local
  int64_t Size = 0;
  int32_t Attr = 0;
  AnsiString Name;
  int32_t ExcludeAttr = 0;
  HANDLE FindHandle = INVALID_HANDLE_VALUE;
  WIN32_FIND_DATAA FindData{};  // the platform's record of the match (cAlternateFileName...)
};
// 0 when a match was found, else the platform's error code. Attr adds hidden, system and
// directory entries (faHidden, faSysFile, faDirectory) to the normal files.
int FindFirst(const AnsiString& Path, int Attr, TSearchRec& F);
int FindNext(TSearchRec& F);
void FindClose(TSearchRec& F);

// ---------------------------------------------------------------------------------------------
// Dates and times (the Japanese locale's formats)
inline constexpr int HoursPerDay = 24;
inline constexpr int MinsPerDay = 24 * 60;
inline constexpr int SecsPerDay = 24 * 60 * 60;
inline constexpr int MSecsPerDay = SecsPerDay * 1000;
inline constexpr int DateDelta = 693594;  // days from 0001-01-01 to 1899-12-31

extern char DateSeparator;
extern char TimeSeparator;
extern char DecimalSeparator;
extern char ThousandSeparator;
extern AnsiString ShortDateFormat;
extern AnsiString LongDateFormat;
extern AnsiString ShortTimeFormat;
extern AnsiString LongTimeFormat;
extern AnsiString TimeAMString;
extern AnsiString TimePMString;
extern AnsiString CurrencyString;
extern Byte CurrencyFormat;
extern Byte NegCurrFormat;
extern Byte CurrencyDecimals;
extern AnsiString ShortMonthNames[12];
extern AnsiString LongMonthNames[12];
extern AnsiString ShortDayNames[7];
extern AnsiString LongDayNames[7];
extern Word TwoDigitYearCenturyWindow;

TDateTime EncodeDate(Word Year, Word Month, Word Day);
TDateTime EncodeTime(Word Hour, Word Min, Word Sec, Word MSec);
bool TryEncodeDate(Word Year, Word Month, Word Day, TDateTime& Date);
bool TryEncodeTime(Word Hour, Word Min, Word Sec, Word MSec, TDateTime& Time);
void DecodeDate(TDateTime Date, Word& Year, Word& Month, Word& Day);
void DecodeTime(TDateTime Time, Word& Hour, Word& Min, Word& Sec, Word& MSec);
int DayOfWeek(TDateTime Date);  // 1 = Sunday ... 7 = Saturday
bool IsLeapYear(Word Year);
Word DaysInAMonth(Word Year, Word Month);
TDateTime IncMonth(TDateTime Date, int NumberOfMonths = 1);
TDateTime Now();
TDateTime Date();
TDateTime Time();
TDateTime SystemTimeToDateTime(const SYSTEMTIME& SystemTime);
void DateTimeToSystemTime(TDateTime DateTime, SYSTEMTIME& SystemTime);

AnsiString FormatDateTime(const AnsiString& Fmt, TDateTime DateTime);
void DateTimeToString(AnsiString& Result, const AnsiString& Fmt, TDateTime DateTime);
AnsiString DateTimeToStr(TDateTime DateTime);  // "2026/12/10 8:05:03"; the time is left out at midnight
AnsiString DateToStr(TDateTime Date);
AnsiString TimeToStr(TDateTime Time);
TDateTime StrToDate(const AnsiString& S);
TDateTime StrToTime(const AnsiString& S);
TDateTime StrToDateTime(const AnsiString& S);
bool TryStrToDate(const AnsiString& S, TDateTime& Value);
bool TryStrToTime(const AnsiString& S, TDateTime& Value);
bool TryStrToDateTime(const AnsiString& S, TDateTime& Value);
