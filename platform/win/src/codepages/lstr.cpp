// The lstr family. Null pointers are treated as empty strings, as the platform does.
#include <cstring>
#include "codepages/casemap.h"
#include "codepages/codec.h"
#include "winerror.h"
#include "winnls.h"
#include "internal/wide_calls.h"
#include "winplat_mode.h"

using namespace winplat;

namespace {

size_t WideLength(LPCWSTR s) {
  size_t n = 0;
  if (s)
    while (s[n]) ++n;
  return n;
}

bool StubbedOnAnsiPlatform() { return RefuseWideCall(); }

int Order(int cstr) { return cstr - CSTR_EQUAL; }

}  // namespace

int WINAPI lstrlenA(LPCSTR lpString) { return lpString ? static_cast<int>(std::strlen(lpString)) : 0; }
int WINAPI lstrlenW(LPCWSTR lpString) { return static_cast<int>(WideLength(lpString)); }

LPSTR WINAPI lstrcpyA(LPSTR lpString1, LPCSTR lpString2) {
  if (!lpString1) return nullptr;
  if (!lpString2) lpString2 = "";
  std::memmove(lpString1, lpString2, std::strlen(lpString2) + 1);
  return lpString1;
}

LPWSTR WINAPI lstrcpyW(LPWSTR lpString1, LPCWSTR lpString2) {
  if (!lpString1) return nullptr;
  const size_t n = WideLength(lpString2);
  if (n) std::memmove(lpString1, lpString2, n * sizeof(char16_t));
  lpString1[n] = 0;
  return lpString1;
}

LPSTR WINAPI lstrcpynA(LPSTR lpString1, LPCSTR lpString2, int iMaxLength) {
  if (!lpString1 || iMaxLength <= 0) return lpString1;
  const size_t max = static_cast<size_t>(iMaxLength) - 1;
  size_t n = 0;
  if (lpString2) {
    const cp::Table& t = *cp::GetTable(AnsiCodePage());
    while (n < max && lpString2[n]) {
      const bool lead = t.IsLead(static_cast<uint8_t>(lpString2[n])) && lpString2[n + 1];
      if (lead && n + 1 >= max) break;  // keep a double-byte character whole
      n += lead ? 2 : 1;
    }
    std::memmove(lpString1, lpString2, n);
  }
  lpString1[n] = 0;
  return lpString1;
}

LPWSTR WINAPI lstrcpynW(LPWSTR lpString1, LPCWSTR lpString2, int iMaxLength) {
  if (!lpString1 || iMaxLength <= 0) return lpString1;
  const size_t max = static_cast<size_t>(iMaxLength) - 1;
  size_t n = 0;
  if (lpString2)
    while (n < max && lpString2[n]) ++n;
  if (n) std::memmove(lpString1, lpString2, n * sizeof(char16_t));
  lpString1[n] = 0;
  return lpString1;
}

LPSTR WINAPI lstrcatA(LPSTR lpString1, LPCSTR lpString2) {
  if (!lpString1) return nullptr;
  lstrcpyA(lpString1 + std::strlen(lpString1), lpString2);
  return lpString1;
}

LPWSTR WINAPI lstrcatW(LPWSTR lpString1, LPCWSTR lpString2) {
  if (!lpString1) return nullptr;
  lstrcpyW(lpString1 + WideLength(lpString1), lpString2);
  return lpString1;
}

// A null string sorts before every other string, the empty one included.
template <typename Ch>
bool NullOrder(const Ch* a, const Ch* b, int& order) {
  if (a && b) return false;
  order = a ? 1 : b ? -1 : 0;
  return true;
}

int WINAPI lstrcmpA(LPCSTR lpString1, LPCSTR lpString2) {
  int order;
  if (NullOrder(lpString1, lpString2, order)) return order;
  return Order(CompareStringA(LOCALE_USER_DEFAULT, 0, lpString1, -1, lpString2, -1));
}

int WINAPI lstrcmpiA(LPCSTR lpString1, LPCSTR lpString2) {
  int order;
  if (NullOrder(lpString1, lpString2, order)) return order;
  return Order(CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, lpString1, -1, lpString2, -1));
}

int WINAPI lstrcmpW(LPCWSTR lpString1, LPCWSTR lpString2) {
  if (StubbedOnAnsiPlatform()) return 0;
  int order;
  if (NullOrder(lpString1, lpString2, order)) return order;
  return Order(cp::CompareWide(0, lpString1, WideLength(lpString1), lpString2, WideLength(lpString2)));
}

int WINAPI lstrcmpiW(LPCWSTR lpString1, LPCWSTR lpString2) {
  if (StubbedOnAnsiPlatform()) return 0;
  int order;
  if (NullOrder(lpString1, lpString2, order)) return order;
  return Order(cp::CompareWide(NORM_IGNORECASE, lpString1, WideLength(lpString1), lpString2, WideLength(lpString2)));
}
