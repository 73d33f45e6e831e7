// Case tables, CharUpper/CharLower and CompareString.
#include "codepages/casemap.h"
#include <clocale>
#include <cwctype>
#include <locale.h>
#include <memory>
#include <string>
#include "codepages/codec.h"
#include "winerror.h"
#include "winnls.h"
#include "internal/wide_calls.h"
#include "winplat_mode.h"

using namespace winplat;

namespace winplat::cp {
namespace {

struct CaseTables {
  char16_t upper[65536];
  char16_t lower[65536];
};

// The C library's Unicode case data (C.UTF-8), restricted so that the mapping stays inside the
// BMP, never touches surrogates, and never turns a non-ASCII letter into an ASCII one (the
// dotless i, the long s and the Kelvin sign would otherwise match "I", "S" and "k" in names).
bool Keep(uint32_t from, uint32_t to) {
  if (to > 0xFFFF || (to >= 0xD800 && to <= 0xDFFF)) return false;
  if (from >= 0x80 && to < 0x80) return false;
  return true;
}

std::unique_ptr<CaseTables> BuildCaseTables() {
  auto t = std::make_unique<CaseTables>();
  locale_t loc = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
  for (uint32_t c = 0; c < 65536; ++c) {
    t->upper[c] = t->lower[c] = static_cast<char16_t>(c);
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    uint32_t u = c, l = c;
    if (loc) {
      u = static_cast<uint32_t>(towupper_l(static_cast<wint_t>(c), loc));
      l = static_cast<uint32_t>(towlower_l(static_cast<wint_t>(c), loc));
    } else if (c < 0x80) {
      u = (c >= 'a' && c <= 'z') ? c - 32 : c;
      l = (c >= 'A' && c <= 'Z') ? c + 32 : c;
    }
    if (Keep(c, u)) t->upper[c] = static_cast<char16_t>(u);
    if (Keep(c, l)) t->lower[c] = static_cast<char16_t>(l);
  }
  if (loc) freelocale(loc);
  // Lower-casing keeps the upper-case class: a letter and its lower case compare equal.
  for (uint32_t c = 0; c < 65536; ++c)
    if (t->upper[t->lower[c]] != t->upper[c]) t->lower[c] = static_cast<char16_t>(c);
  return t;
}

const CaseTables& Cases() {
  static const auto t = BuildCaseTables();
  return *t;
}

}  // namespace

char16_t ToUpper(char16_t c) { return Cases().upper[c]; }
char16_t ToLower(char16_t c) { return Cases().lower[c]; }

int CompareNoCase(std::u16string_view a, std::u16string_view b) {
  const CaseTables& t = Cases();
  const size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    const char16_t x = t.upper[a[i]], y = t.upper[b[i]];
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

}  // namespace winplat::cp

namespace {

bool StubbedOnAnsiPlatform() { return RefuseWideCall(); }

bool IsSingleChar(const void* p) { return (reinterpret_cast<uintptr_t>(p) >> 16) == 0; }

// One byte of the ANSI code page through the wide case tables; bytes whose mapped character has
// no single-byte form stay as they are.
uint8_t MapAnsiByte(const cp::Table& t, uint8_t b, bool upper) {
  if (t.byteKind[b] != 1) return b;
  const char16_t w = upper ? cp::ToUpper(t.single[b]) : cp::ToLower(t.single[b]);
  const uint16_t back = t.fromWide[w];
  return back < 0x100 && t.RoundTrips(w, back) ? static_cast<uint8_t>(back) : b;
}

DWORD MapAnsiBuffer(char* s, DWORD n, bool upper) {
  if (!s) return 0;
  const cp::Table& t = *cp::GetTable(AnsiCodePage());
  for (DWORD i = 0; i < n; ++i) {
    const uint8_t b = static_cast<uint8_t>(s[i]);
    if (t.IsLead(b)) {
      ++i;  // the trail byte is never a letter of its own
      continue;
    }
    s[i] = static_cast<char>(MapAnsiByte(t, b, upper));
  }
  return n;
}

DWORD MapWideBuffer(char16_t* s, DWORD n, bool upper) {
  if (!s) return 0;
  for (DWORD i = 0; i < n; ++i) s[i] = upper ? cp::ToUpper(s[i]) : cp::ToLower(s[i]);
  return n;
}

LPSTR MapAnsi(LPSTR s, bool upper) {
  if (IsSingleChar(s)) {
    const cp::Table& t = *cp::GetTable(AnsiCodePage());
    const uintptr_t v = reinterpret_cast<uintptr_t>(s);
    return reinterpret_cast<LPSTR>((v & ~uintptr_t{0xFF}) | MapAnsiByte(t, static_cast<uint8_t>(v), upper));
  }
  size_t n = 0;
  while (s[n]) ++n;
  MapAnsiBuffer(s, static_cast<DWORD>(n), upper);
  return s;
}

LPWSTR MapWide(LPWSTR s, bool upper) {
  if (StubbedOnAnsiPlatform()) return nullptr;
  if (IsSingleChar(s)) {
    const char16_t c = static_cast<char16_t>(reinterpret_cast<uintptr_t>(s));
    return reinterpret_cast<LPWSTR>(static_cast<uintptr_t>(upper ? cp::ToUpper(c) : cp::ToLower(c)));
  }
  for (char16_t* p = s; *p; ++p) *p = upper ? cp::ToUpper(*p) : cp::ToLower(*p);
  return s;
}

}  // namespace

LPSTR WINAPI CharUpperA(LPSTR lpsz) { return MapAnsi(lpsz, true); }
LPSTR WINAPI CharLowerA(LPSTR lpsz) { return MapAnsi(lpsz, false); }
LPWSTR WINAPI CharUpperW(LPWSTR lpsz) { return MapWide(lpsz, true); }
LPWSTR WINAPI CharLowerW(LPWSTR lpsz) { return MapWide(lpsz, false); }
DWORD WINAPI CharUpperBuffA(LPSTR lpsz, DWORD cchLength) { return MapAnsiBuffer(lpsz, cchLength, true); }
DWORD WINAPI CharLowerBuffA(LPSTR lpsz, DWORD cchLength) { return MapAnsiBuffer(lpsz, cchLength, false); }

DWORD WINAPI CharUpperBuffW(LPWSTR lpsz, DWORD cchLength) {
  if (StubbedOnAnsiPlatform()) return 0;
  return MapWideBuffer(lpsz, cchLength, true);
}

DWORD WINAPI CharLowerBuffW(LPWSTR lpsz, DWORD cchLength) {
  if (StubbedOnAnsiPlatform()) return 0;
  return MapWideBuffer(lpsz, cchLength, false);
}

LPSTR WINAPI CharNextA(LPCSTR lpsz) {
  if (!lpsz || !*lpsz) return const_cast<LPSTR>(lpsz);
  const cp::Table& t = *cp::GetTable(AnsiCodePage());
  if (t.IsLead(static_cast<uint8_t>(*lpsz)) && lpsz[1]) return const_cast<LPSTR>(lpsz + 2);
  return const_cast<LPSTR>(lpsz + 1);
}

LPSTR WINAPI CharPrevA(LPCSTR lpszStart, LPCSTR lpszCurrent) {
  if (!lpszStart || !lpszCurrent || lpszCurrent <= lpszStart) return const_cast<LPSTR>(lpszStart);
  // Only a walk from the start knows whether a byte is a lead or a trail.
  LPCSTR p = lpszStart;
  for (;;) {
    LPCSTR q = CharNextA(p);
    if (q >= lpszCurrent || q == p) return const_cast<LPSTR>(p);
    p = q;
  }
}

namespace {

constexpr DWORD kCompareFlags = NORM_IGNORECASE | NORM_IGNORENONSPACE | NORM_IGNORESYMBOLS | LINGUISTIC_IGNORECASE |
                                LINGUISTIC_IGNOREDIACRITIC | SORT_STRINGSORT | NORM_IGNOREKANATYPE |
                                NORM_IGNOREWIDTH | NORM_LINGUISTIC_CASING | LOCALE_USE_CP_ACP;

}  // namespace

int WINAPI CompareStringW(LCID Locale, DWORD dwCmpFlags, LPCWSTR lpString1, int cchCount1, LPCWSTR lpString2,
                          int cchCount2) {
  if (StubbedOnAnsiPlatform()) return 0;
  if (!lpString1 || !lpString2) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (dwCmpFlags & ~kCompareFlags) {
    SetLastError(ERROR_INVALID_FLAGS);
    return 0;
  }
  auto len = [](LPCWSTR s, int n) {
    if (n >= 0) return static_cast<size_t>(n);
    size_t k = 0;
    while (s[k]) ++k;
    return k;
  };
  return cp::CompareWide(dwCmpFlags, lpString1, len(lpString1, cchCount1), lpString2, len(lpString2, cchCount2));
}

int WINAPI CompareStringA(LCID Locale, DWORD dwCmpFlags, LPCSTR lpString1, int cchCount1, LPCSTR lpString2,
                          int cchCount2) {
  if (!lpString1 || !lpString2) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (dwCmpFlags & ~kCompareFlags) {
    SetLastError(ERROR_INVALID_FLAGS);
    return 0;
  }
  // Short strings (names, list items) are widened on the stack.
  struct Widened {
    char16_t local[256];
    std::u16string heap;
    const char16_t* p = local;
    size_t n = 0;
    Widened(LPCSTR s, int count) {
      const size_t len = count >= 0 ? static_cast<size_t>(count) : std::char_traits<char>::length(s);
      const cp::Table& t = *cp::GetTable(AnsiCodePage());
      char16_t* out = local;
      if (len > sizeof local / sizeof local[0]) {
        heap.resize(len);
        out = heap.data();
        p = out;
      }
      bool invalid = false;
      n = cp::DecodeTable(t, reinterpret_cast<const uint8_t*>(s), len, out, len, invalid);
    }
  };
  const Widened a(lpString1, cchCount1), b(lpString2, cchCount2);
  return cp::CompareWide(dwCmpFlags, a.p, a.n, b.p, b.n);
}
