// MultiByteToWideChar, WideCharToMultiByte and the code-page queries.
#include <cstring>
#include <string>
#include "codepages/codec.h"
#include "winerror.h"
#include "winnls.h"
#include "winplat_mode.h"

using namespace winplat;

namespace {

int Fail(DWORD code) {
  SetLastError(code);
  return 0;
}

}  // namespace

int WINAPI MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                               LPWSTR lpWideCharStr, int cchWideChar) {
  if (!lpMultiByteStr || cbMultiByte == 0 || cchWideChar < 0 || (cchWideChar > 0 && !lpWideCharStr))
    return Fail(ERROR_INVALID_PARAMETER);
  const UINT cpage = cp::ResolveCodePage(CodePage);
  if (!cp::IsKnownCodePage(cpage)) return Fail(ERROR_INVALID_PARAMETER);
  if (cpage == CP_UTF8 || cpage == CP_UTF7) {
    if (dwFlags & ~static_cast<DWORD>(cpage == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0)) return Fail(ERROR_INVALID_FLAGS);
  } else {
    if (dwFlags & ~static_cast<DWORD>(MB_PRECOMPOSED | MB_COMPOSITE | MB_USEGLYPHCHARS | MB_ERR_INVALID_CHARS))
      return Fail(ERROR_INVALID_FLAGS);
    // MB_USEGLYPHCHARS changes nothing: none of these code pages has glyph forms for its
    // control characters.
    if ((dwFlags & MB_PRECOMPOSED) && (dwFlags & MB_COMPOSITE)) return Fail(ERROR_INVALID_FLAGS);
  }
  // Any negative length means a NUL-terminated string.
  const size_t n = cbMultiByte < 0 ? std::strlen(lpMultiByteStr) + 1 : static_cast<size_t>(cbMultiByte);
  const auto* bytes = reinterpret_cast<const uint8_t*>(lpMultiByteStr);
  size_t count = 0;
  bool invalid = false;
  if (dwFlags & MB_COMPOSITE) {
    std::u16string composed(n, u'\0');
    cp::ToWide(cpage, bytes, n, composed.data(), composed.size(), count, invalid);
    count = cp::Decompose(composed.data(), count, cchWideChar ? lpWideCharStr : nullptr,
                          static_cast<size_t>(cchWideChar));
  } else {
    cp::ToWide(cpage, bytes, n, cchWideChar ? lpWideCharStr : nullptr, static_cast<size_t>(cchWideChar), count,
               invalid);
  }
  if (invalid && (dwFlags & MB_ERR_INVALID_CHARS)) return Fail(ERROR_NO_UNICODE_TRANSLATION);
  if (count > 0x7FFFFFFF) return Fail(ERROR_INSUFFICIENT_BUFFER);
  if (cchWideChar && count > static_cast<size_t>(cchWideChar)) return Fail(ERROR_INSUFFICIENT_BUFFER);
  return static_cast<int>(count);
}

int WINAPI WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar,
                               LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR lpDefaultChar,
                               LPBOOL lpUsedDefaultChar) {
  if (!lpWideCharStr || cchWideChar == 0 || cbMultiByte < 0 || (cbMultiByte > 0 && !lpMultiByteStr))
    return Fail(ERROR_INVALID_PARAMETER);
  const UINT cpage = cp::ResolveCodePage(CodePage);
  if (!cp::IsKnownCodePage(cpage)) return Fail(ERROR_INVALID_PARAMETER);
  size_t n;
  if (cchWideChar < 0) {  // any negative length means a NUL-terminated string
    n = 0;
    while (lpWideCharStr[n]) ++n;
    ++n;
  } else {
    n = static_cast<size_t>(cchWideChar);
  }
  char* out = cbMultiByte ? lpMultiByteStr : nullptr;
  const size_t cap = static_cast<size_t>(cbMultiByte);
  size_t count = 0;
  if (cpage == CP_UTF8 || cpage == CP_UTF7) {
    // No default character in these code pages: every character has a form.
    if (lpDefaultChar || lpUsedDefaultChar) return Fail(ERROR_INVALID_PARAMETER);
    if (dwFlags & ~static_cast<DWORD>(cpage == CP_UTF8 ? WC_ERR_INVALID_CHARS : 0)) return Fail(ERROR_INVALID_FLAGS);
    if (cpage == CP_UTF8) {
      bool invalid = false;
      count = cp::EncodeUtf8(lpWideCharStr, n, out, cap, invalid);
      if (invalid && (dwFlags & WC_ERR_INVALID_CHARS)) return Fail(ERROR_NO_UNICODE_TRANSLATION);
    } else {
      count = cp::EncodeUtf7(lpWideCharStr, n, out, cap);
    }
  } else {
    const DWORD known = WC_COMPOSITECHECK | WC_DISCARDNS | WC_SEPCHARS | WC_DEFAULTCHAR | WC_NO_BEST_FIT_CHARS;
    if (dwFlags & ~known) return Fail(ERROR_INVALID_FLAGS);
    const DWORD how = dwFlags & (WC_DISCARDNS | WC_SEPCHARS | WC_DEFAULTCHAR);
    if (how & (how - 1)) return Fail(ERROR_INVALID_FLAGS);  // at most one of them
    const cp::Table& t = *cp::GetTable(cpage);
    cp::EncodeOptions options;
    if (lpDefaultChar) {
      options.defChar = lpDefaultChar;
      options.defLen = (t.IsLead(static_cast<uint8_t>(lpDefaultChar[0])) && lpDefaultChar[1]) ? 2 : 1;
    }
    options.bestFit = !(dwFlags & WC_NO_BEST_FIT_CHARS);
    if (dwFlags & WC_COMPOSITECHECK)
      options.composite = (how & WC_DISCARDNS)     ? cp::Composite::DiscardNs
                          : (how & WC_DEFAULTCHAR) ? cp::Composite::DefaultChar
                                                   : cp::Composite::SepChars;
    bool used = false;
    count = cp::EncodeTable(t, lpWideCharStr, n, out, cap, options, used);
    if (lpUsedDefaultChar) *lpUsedDefaultChar = used ? TRUE : FALSE;
  }
  if (count > 0x7FFFFFFF) return Fail(ERROR_INSUFFICIENT_BUFFER);
  if (cbMultiByte && count > cap) return Fail(ERROR_INSUFFICIENT_BUFFER);
  return static_cast<int>(count);
}

UINT WINAPI GetACP() { return AnsiCodePage(); }

UINT WINAPI GetOEMCP() { return cp::ResolveCodePage(CP_OEMCP); }

BOOL WINAPI IsValidCodePage(UINT CodePage) { return cp::IsKnownCodePage(CodePage) ? TRUE : FALSE; }

BOOL WINAPI GetCPInfo(UINT CodePage, LPCPINFO lpCPInfo) {
  const UINT cpage = cp::ResolveCodePage(CodePage);
  if (!lpCPInfo || !cp::IsKnownCodePage(cpage)) return Fail(ERROR_INVALID_PARAMETER);
  std::memset(lpCPInfo, 0, sizeof *lpCPInfo);
  lpCPInfo->DefaultChar[0] = '?';
  if (cpage == CP_UTF8) {
    lpCPInfo->MaxCharSize = 4;
  } else if (cpage == CP_UTF7) {
    lpCPInfo->MaxCharSize = 5;
  } else {
    const cp::Table& t = *cp::GetTable(cpage);
    lpCPInfo->MaxCharSize = t.maxCharSize;
    std::memcpy(lpCPInfo->LeadByte, t.leadRanges, MAX_LEADBYTES);
  }
  return TRUE;
}

BOOL WINAPI IsDBCSLeadByteEx(UINT CodePage, BYTE TestChar) {
  const UINT cpage = cp::ResolveCodePage(CodePage);
  if (!cp::IsKnownCodePage(cpage)) return Fail(ERROR_INVALID_PARAMETER);
  const cp::Table* t = cp::GetTable(cpage);
  return t && t->IsLead(TestChar) ? TRUE : FALSE;
}

BOOL WINAPI IsDBCSLeadByte(BYTE TestChar) { return cp::GetTable(AnsiCodePage())->IsLead(TestChar) ? TRUE : FALSE; }
