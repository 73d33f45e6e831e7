// Code-page aware case mapping and comparison, through the platform.
#include <vector>
#include "SysUtils.h"
#include "windows.h"

AnsiString AnsiUpperCase(const AnsiString& S) {
  AnsiString r = S;
  if (!r.empty()) CharUpperBuffA(r.data(), static_cast<DWORD>(r.size()));
  return r;
}

AnsiString AnsiLowerCase(const AnsiString& S) {
  AnsiString r = S;
  if (!r.empty()) CharLowerBuffA(r.data(), static_cast<DWORD>(r.size()));
  return r;
}

namespace {
int Compare(DWORD flags, const AnsiString& S1, const AnsiString& S2) {
  int r = CompareStringA(LOCALE_USER_DEFAULT, flags, S1.data(), static_cast<int>(S1.size()),
                         S2.data(), static_cast<int>(S2.size()));
  return r == 0 ? CompareStr(S1, S2) : r - 2;
}
}  // namespace

int AnsiCompareStr(const AnsiString& S1, const AnsiString& S2) { return Compare(0, S1, S2); }
int AnsiCompareText(const AnsiString& S1, const AnsiString& S2) {
  return Compare(NORM_IGNORECASE, S1, S2);
}
bool AnsiSameStr(const AnsiString& S1, const AnsiString& S2) { return AnsiCompareStr(S1, S2) == 0; }
bool AnsiSameText(const AnsiString& S1, const AnsiString& S2) { return AnsiCompareText(S1, S2) == 0; }
int AnsiCompareFileName(const AnsiString& S1, const AnsiString& S2) { return AnsiCompareText(S1, S2); }
bool SameFileName(const AnsiString& S1, const AnsiString& S2) { return AnsiCompareFileName(S1, S2) == 0; }

WideString AnsiToWide(const AnsiString& S) {
  if (S.empty()) return WideString();
  int n = MultiByteToWideChar(CP_ACP, 0, S.data(), static_cast<int>(S.size()), nullptr, 0);
  if (n <= 0) return WideString();
  WideString w(static_cast<std::size_t>(n), u'\0');
  MultiByteToWideChar(CP_ACP, 0, S.data(), static_cast<int>(S.size()), w.data(), n);
  return w;
}

AnsiString WideToAnsi(const WideString& S) {
  if (S.empty()) return AnsiString();
  int n = WideCharToMultiByte(CP_ACP, 0, S.data(), static_cast<int>(S.size()), nullptr, 0, nullptr,
                              nullptr);
  if (n <= 0) return AnsiString();
  AnsiString a(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, S.data(), static_cast<int>(S.size()), a.data(), n, nullptr, nullptr);
  return a;
}

UTF8String UTF8Encode(const WideString& S) {
  if (S.empty()) return UTF8String();
  int n = WideCharToMultiByte(CP_UTF8, 0, S.data(), static_cast<int>(S.size()), nullptr, 0, nullptr,
                              nullptr);
  if (n <= 0) return UTF8String();
  UTF8String r(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, S.data(), static_cast<int>(S.size()), r.data(), n, nullptr, nullptr);
  return r;
}

WideString UTF8Decode(const UTF8String& S) {
  if (S.empty()) return WideString();
  // One pass: UTF-8 never takes more UTF-16 units than it has bytes.
  WideString w(S.size(), u'\0');
  const int n = MultiByteToWideChar(CP_UTF8, 0, S.data(), static_cast<int>(S.size()), w.data(),
                                    static_cast<int>(w.size()));
  if (n <= 0) return WideString();
  w.resize(static_cast<std::size_t>(n));
  return w;
}

namespace {

int WideCompare(DWORD flags, const WideString& S1, const WideString& S2) {
  SetLastError(0);
  int r = CompareStringW(LOCALE_USER_DEFAULT, flags, S1.data(), static_cast<int>(S1.size()),
                         S2.data(), static_cast<int>(S2.size()));
  if (r != 0) return r - 2;
  DWORD e = GetLastError();
  if (e == ERROR_CALL_NOT_IMPLEMENTED) return Compare(flags, WideToAnsi(S1), WideToAnsi(S2));
  RaiseLastOSError(e);
}

WideString WideCase(const WideString& S, bool upper) {
  WideString r = S;
  if (!r.empty()) {
    if (upper) CharUpperBuffW(r.data(), static_cast<DWORD>(r.size()));
    else CharLowerBuffW(r.data(), static_cast<DWORD>(r.size()));
  }
  return r;
}

}  // namespace

int WideCompareStr(const WideString& S1, const WideString& S2) { return WideCompare(0, S1, S2); }
int WideCompareText(const WideString& S1, const WideString& S2) {
  return WideCompare(NORM_IGNORECASE, S1, S2);
}
bool WideSameStr(const WideString& S1, const WideString& S2) { return WideCompareStr(S1, S2) == 0; }
bool WideSameText(const WideString& S1, const WideString& S2) { return WideCompareText(S1, S2) == 0; }
WideString WideUpperCase(const WideString& S) { return WideCase(S, true); }
WideString WideLowerCase(const WideString& S) { return WideCase(S, false); }
