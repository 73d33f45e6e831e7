#include "UcSystem.h"

#include <cstring>

#include "SysUtils.h"
#include "UcWindows.h"

UINT ConversionCodePage = CP_ACP;

WideString BytesToWide(const AnsiString& S, UINT CodePage) {
  if (CodePage == CP_UTF7) return DecodeUtf7(S);
  if (CodePage == CP_UTF8) return UTF8Decode(S);
  if (S.empty()) return WideString();
  const int n = MultiByteToWideChar(CodePage, 0, S.data(), static_cast<int>(S.size()), nullptr, 0);
  if (n <= 0) return WideString();
  WideString w(static_cast<size_t>(n), u'\0');
  const int m = MultiByteToWideChar(CodePage, 0, S.data(), static_cast<int>(S.size()), w.data(), n);
  w.resize(static_cast<size_t>(m > 0 ? m : 0));
  return w;
}

AnsiString WideToBytes(const WideString& S, UINT CodePage) {
  if (CodePage == CP_UTF7) return EncodeUtf7(S);
  if (CodePage == CP_UTF8) return UTF8Encode(S);
  if (S.empty()) return AnsiString();
  const int n = WideCharToMultiByte(CodePage, 0, S.data(), static_cast<int>(S.size()), nullptr, 0,
                                    nullptr, nullptr);
  if (n <= 0) return AnsiString();
  AnsiString a(static_cast<size_t>(n), '\0');
  const int m = WideCharToMultiByte(CodePage, 0, S.data(), static_cast<int>(S.size()), a.data(), n,
                                    nullptr, nullptr);
  a.resize(static_cast<size_t>(m > 0 ? m : 0));
  return a;
}

UINT LocaleAnsiCodePage(LCID Locale) {
  char text[6] = {};
  const int n = GetLocaleInfoA(Locale, LOCALE_IDEFAULTANSICODEPAGE, text, sizeof text);
  const AnsiString digits = n > 0 ? AnsiString(text, strnlen(text, sizeof text)) : AnsiString();
  return static_cast<UINT>(StrToIntDef(digits, static_cast<int32_t>(GetACP())));
}

UINT KeyboardLayoutCodePage() {
  const auto layout = reinterpret_cast<uintptr_t>(GetKeyboardLayout(0));
  return LocaleAnsiCodePage(static_cast<LCID>(layout & 0xFFFF));
}

WideChar KeyCharToWide(Word Key) {
  if (Key >= 256) return static_cast<WideChar>(Key);
  const UINT codePage = KeyboardLayoutCodePage();
  const char byte = static_cast<char>(Key);
  // A lead byte alone is half a character; a byte the code page does not map is no character.
  if (IsDBCSLeadByteEx(codePage, static_cast<BYTE>(Key))) return 0;
  WideChar wide = 0;
  if (MultiByteToWideChar(codePage, MB_USEGLYPHCHARS | MB_ERR_INVALID_CHARS, &byte, 1, &wide, 1) != 1)
    return 0;
  if (wide == 0xFFFD || wide == 0x30FB) return 0;  // a default character: no single byte maps to them
  return wide;
}

void SwapWideBytes(PWideChar Buffer) {
  if (!Buffer) return;
  for (PWideChar p = Buffer; *p; ++p) *p = static_cast<WideChar>((*p >> 8) | (*p << 8));
}

WideString LoadWideResourceString(const TResStringRec* ResStringRec) {
  if (!ResStringRec || ResStringRec->Identifier == 0) return WideString();
  if (ResStringRec->Identifier <= 0xFFFF) {
    WideChar buffer[4097];
    const HINSTANCE module = ResStringRec->Module ? *ResStringRec->Module : nullptr;
    const int n = WideLoadString(module, static_cast<UINT>(ResStringRec->Identifier), buffer, 4097);
    return WideStringFromBufferMax(buffer, n);
  }
  const char* bytes = reinterpret_cast<const char*>(ResStringRec->Identifier);
  const size_t length = std::strlen(bytes);
  if (length > 3 && std::memcmp(bytes, "\xEF\xBB\xBF", 3) == 0)
    return UTF8Decode(UTF8String(bytes + 3, length - 3));
  return AnsiToWide(AnsiString(bytes, length));
}

const WideChar* NextCommandLineParam(const WideChar* P, WideString& Param) {
  Param.clear();
  for (;;) {
    if (*P >= 0x0001 && *P <= 0x0020) ++P;
    else if (P[0] == u'"' && P[1] == u'"') P += 2;
    else break;
  }
  while (*P > 0x0020) {
    if (*P == u'"') {
      ++P;
      while (*P && *P != u'"') Param.push_back(*P++);
      if (*P) ++P;
    } else {
      Param.push_back(*P++);
    }
  }
  return P;
}

WideString WideCommandLineParam(int Index) {
  if (Index == 0) return WideModuleFileName(nullptr);
  const WideChar* p = GetCommandLineW();
  if (!p) return WideString();
  WideString param;
  for (int i = 0; i <= Index; ++i) {
    p = NextCommandLineParam(p, param);
    if (param.empty()) return WideString();
  }
  return param;
}
