// Window classes: registration A and W, look-up by name or atom, class longs.
#include <cstring>
#include <mutex>

#include "internal/text.h"
#include "internal/wide_calls.h"
#include "user_internal.h"
#include "winbase.h"

namespace winplat::user {
ATOM FindAtomInternal(const std::u16string& name);
bool AtomName(ATOM atom, std::u16string* out);
}  // namespace winplat::user

using namespace winplat::user;

namespace {

std::vector<std::shared_ptr<WindowClass>>& Classes() {
  static auto* v = new std::vector<std::shared_ptr<WindowClass>>;
  return *v;
}

bool SameName(const std::u16string& a, const std::u16string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char16_t x = a[i], y = b[i];
    if (x >= u'a' && x <= u'z') x = static_cast<char16_t>(x - 32);
    if (y >= u'a' && y <= u'z') y = static_cast<char16_t>(y - 32);
    if (x != y) return false;
  }
  return true;
}

struct ClassArgs {
  UINT style; Proc proc; int clsExtra; int wndExtra; HINSTANCE instance; HICON icon; HCURSOR cursor;
  HBRUSH background; std::u16string menu; std::u16string name; ATOM atom; HICON iconSm;
};

ATOM Register(ClassArgs a) {
  if (!a.proc.Valid() || a.clsExtra < 0 || a.wndExtra < 0 || a.clsExtra > 40000 || a.wndExtra > 40000 ||
      (a.name.empty() && !a.atom)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (a.name.empty()) {
    std::u16string n;
    if (!AtomName(a.atom, &n)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
    a.name = n;
  }
  RegisterSystemClasses();
  for (auto& c : Classes()) {
    if (SameName(c->name, a.name) && (c->instance == a.instance || ((a.style & CS_GLOBALCLASS) && !c->system))) {
      SetLastError(ERROR_CLASS_ALREADY_EXISTS);
      return 0;
    }
  }
  auto c = std::make_shared<WindowClass>();
  c->name = a.name;
  c->atom = AddAtomInternal(a.name, true);
  c->style = a.style;
  c->proc = a.proc;
  c->clsExtra = a.clsExtra;
  c->wndExtra = a.wndExtra;
  c->instance = a.instance;
  c->icon = a.icon;
  c->iconSm = a.iconSm;
  c->cursor = a.cursor;
  c->background = a.background;
  c->menuName = a.menu;
  c->extra.assign(static_cast<size_t>(a.clsExtra), 0);
  Classes().push_back(c);
  return c->atom;
}

std::u16string MenuA(LPCSTR m) { return m && !IS_INTRESOURCE(m) ? winplat::AnsiToWide(m) : std::u16string(); }
std::u16string MenuW(LPCWSTR m) { return m && !IS_INTRESOURCE(m) ? std::u16string(m) : std::u16string(); }

std::u16string ClassArgA(LPCSTR name, ATOM* atom) {
  *atom = 0;
  if (!name) return {};
  if (IS_INTRESOURCE(name)) {
    *atom = static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(name));
    return {};
  }
  return winplat::AnsiToWide(name);
}

template <class WC>
void Fill(const WindowClass& c, WC* out, bool unicode) {
  out->style = c.style;
  out->lpfnWndProc = reinterpret_cast<WNDPROC>(ProcValueFor(c.proc, unicode, false));
  out->cbClsExtra = c.clsExtra;
  out->cbWndExtra = c.wndExtra;
  out->hInstance = c.instance;
  out->hIcon = c.icon;
  out->hCursor = c.cursor;
  out->hbrBackground = c.background;
  out->lpszMenuName = nullptr;
}

bool Unregister(const std::u16string& name, ATOM atom, HINSTANCE instance) {
  auto& v = Classes();
  for (size_t i = 0; i < v.size(); ++i) {
    auto& c = v[i];
    if (c->system) continue;
    if (!((atom && c->atom == atom) || (!atom && SameName(c->name, name)))) continue;
    if (c->instance != instance && !(c->style & CS_GLOBALCLASS)) continue;
    if (c->windows > 0) {
      SetLastError(ERROR_CLASS_HAS_WINDOWS);
      return false;
    }
    v.erase(v.begin() + static_cast<ptrdiff_t>(i));
    return true;
  }
  SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
  return false;
}

}  // namespace

namespace winplat::user {

std::u16string ClassArgName(LPCWSTR name, ATOM* atom) {
  *atom = 0;
  if (!name) return {};
  if (IS_INTRESOURCE(name)) {
    *atom = static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(name));
    return {};
  }
  return name;
}

// Local classes of the instance first, then global ones, then the system's.
std::shared_ptr<WindowClass> FindClass(const std::u16string& name, ATOM atom, HINSTANCE instance) {
  RegisterSystemClasses();
  auto matches = [&](const WindowClass& c) { return atom ? c.atom == atom : SameName(c.name, name); };
  std::shared_ptr<WindowClass> global, system;
  for (auto& c : Classes()) {
    if (!matches(*c)) continue;
    if (c->system) { if (!system) system = c; continue; }
    if (c->instance == instance) return c;
    if ((c->style & CS_GLOBALCLASS) && !global) global = c;
  }
  if (global) return global;
  if (system) return system;
  // Classes of another module are found too: one process, and programs pass 0 or their own.
  for (auto& c : Classes())
    if (matches(*c)) return c;
  return nullptr;
}

// Built-in classes (the dialog class, message boxes) register here; the controls register
// theirs with RegisterSystemClassW.
ATOM RegisterSystemClassW(const WNDCLASSW& wc) {
  for (auto& c : Classes())
    if (c->system && SameName(c->name, wc.lpszClassName)) return c->atom;
  auto c = std::make_shared<WindowClass>();
  c->name = wc.lpszClassName;
  c->atom = AddAtomInternal(c->name, true);
  c->style = wc.style | CS_GLOBALCLASS;
  c->proc = ResolveProc(reinterpret_cast<LONG_PTR>(wc.lpfnWndProc), true);
  c->clsExtra = wc.cbClsExtra;
  c->wndExtra = wc.cbWndExtra;
  c->cursor = wc.hCursor;
  c->background = wc.hbrBackground;
  c->extra.assign(static_cast<size_t>(wc.cbClsExtra), 0);
  c->system = true;
  Classes().push_back(c);
  return c->atom;
}

}  // namespace winplat::user

ATOM WINAPI RegisterClassExW(const WNDCLASSEXW* wc) {
  if (VSE_WIDE_CALL_REFUSED()) return 0;
  if (!wc || wc->cbSize != sizeof(WNDCLASSEXW)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  ATOM atom;
  std::u16string name = ClassArgName(wc->lpszClassName, &atom);
  return Register({wc->style, ResolveProc(reinterpret_cast<LONG_PTR>(wc->lpfnWndProc), true), wc->cbClsExtra,
                   wc->cbWndExtra, wc->hInstance, wc->hIcon, wc->hCursor, wc->hbrBackground,
                   MenuW(wc->lpszMenuName), name, atom, wc->hIconSm});
}

ATOM WINAPI RegisterClassExA(const WNDCLASSEXA* wc) {
  if (!wc || wc->cbSize != sizeof(WNDCLASSEXA)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  ATOM atom;
  std::u16string name = ClassArgA(wc->lpszClassName, &atom);
  return Register({wc->style, ResolveProc(reinterpret_cast<LONG_PTR>(wc->lpfnWndProc), false), wc->cbClsExtra,
                   wc->cbWndExtra, wc->hInstance, wc->hIcon, wc->hCursor, wc->hbrBackground,
                   MenuA(wc->lpszMenuName), name, atom, wc->hIconSm ? wc->hIconSm : nullptr});
}

ATOM WINAPI RegisterClassW(const WNDCLASSW* wc) {
  if (VSE_WIDE_CALL_REFUSED()) return 0;
  if (!wc) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  WNDCLASSEXW ex{sizeof ex, wc->style, wc->lpfnWndProc, wc->cbClsExtra, wc->cbWndExtra, wc->hInstance,
                 wc->hIcon, wc->hCursor, wc->hbrBackground, wc->lpszMenuName, wc->lpszClassName, nullptr};
  return RegisterClassExW(&ex);
}

ATOM WINAPI RegisterClassA(const WNDCLASSA* wc) {
  if (!wc) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  WNDCLASSEXA ex{sizeof ex, wc->style, wc->lpfnWndProc, wc->cbClsExtra, wc->cbWndExtra, wc->hInstance,
                 wc->hIcon, wc->hCursor, wc->hbrBackground, wc->lpszMenuName, wc->lpszClassName, nullptr};
  return RegisterClassExA(&ex);
}

BOOL WINAPI UnregisterClassW(LPCWSTR name, HINSTANCE instance) {
  if (VSE_WIDE_CALL_REFUSED()) return FALSE;
  ATOM atom;
  std::u16string n = ClassArgName(name, &atom);
  return Unregister(n, atom, instance) ? TRUE : FALSE;
}

BOOL WINAPI UnregisterClassA(LPCSTR name, HINSTANCE instance) {
  ATOM atom;
  std::u16string n = ClassArgA(name, &atom);
  return Unregister(n, atom, instance) ? TRUE : FALSE;
}

BOOL WINAPI GetClassInfoExW(HINSTANCE instance, LPCWSTR name, WNDCLASSEXW* out) {
  if (VSE_WIDE_CALL_REFUSED()) return FALSE;
  ATOM atom;
  std::u16string n = ClassArgName(name, &atom);
  auto c = FindClass(n, atom, instance);
  if (!c || !out) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  Fill(*c, out, true);
  out->lpszClassName = name;
  out->hIconSm = c->iconSm;
  return c->atom;
}

BOOL WINAPI GetClassInfoExA(HINSTANCE instance, LPCSTR name, WNDCLASSEXA* out) {
  ATOM atom;
  std::u16string n = ClassArgA(name, &atom);
  auto c = FindClass(n, atom, instance);
  if (!c || !out) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  Fill(*c, out, false);
  out->lpszClassName = name;
  out->hIconSm = c->iconSm;
  return c->atom;
}

BOOL WINAPI GetClassInfoW(HINSTANCE instance, LPCWSTR name, LPWNDCLASSW out) {
  if (VSE_WIDE_CALL_REFUSED()) return FALSE;
  WNDCLASSEXW ex{};
  ex.cbSize = sizeof ex;
  if (!out || !GetClassInfoExW(instance, name, &ex)) {
    if (!out) SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *out = WNDCLASSW{ex.style, ex.lpfnWndProc, ex.cbClsExtra, ex.cbWndExtra, ex.hInstance, ex.hIcon,
                   ex.hCursor, ex.hbrBackground, ex.lpszMenuName, ex.lpszClassName};
  return TRUE;
}

BOOL WINAPI GetClassInfoA(HINSTANCE instance, LPCSTR name, LPWNDCLASSA out) {
  WNDCLASSEXA ex{};
  ex.cbSize = sizeof ex;
  if (!out || !GetClassInfoExA(instance, name, &ex)) {
    if (!out) SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *out = WNDCLASSA{ex.style, ex.lpfnWndProc, ex.cbClsExtra, ex.cbWndExtra, ex.hInstance, ex.hIcon,
                   ex.hCursor, ex.hbrBackground, ex.lpszMenuName, ex.lpszClassName};
  return TRUE;
}

int WINAPI GetClassNameW(HWND h, LPWSTR buffer, int size) {
  if (VSE_WIDE_CALL_REFUSED()) return 0;
  auto w = GetWnd(h);
  if (!w || !buffer || size <= 0) return 0;
  const size_t n = std::min(w->cls->name.size(), static_cast<size_t>(size - 1));
  w->cls->name.copy(buffer, n);
  buffer[n] = 0;
  return static_cast<int>(n);
}

int WINAPI GetClassNameA(HWND h, LPSTR buffer, int size) {
  auto w = GetWnd(h);
  if (!w || !buffer || size <= 0) return 0;
  const std::string a = winplat::WideToAnsi(w->cls->name);
  const size_t n = std::min(a.size(), static_cast<size_t>(size - 1));
  a.copy(buffer, n);
  buffer[n] = 0;
  return static_cast<int>(n);
}

namespace {

ULONG_PTR GetClassValue(HWND h, int index, bool unicode, bool narrow) {
  auto w = GetWnd(h);
  if (!w) return 0;
  WindowClass& c = *w->cls;
  if (index >= 0) {
    const size_t size = narrow ? 4 : sizeof(LONG_PTR);
    if (static_cast<size_t>(index) + size > c.extra.size()) {
      SetLastError(ERROR_INVALID_INDEX);
      return 0;
    }
    ULONG_PTR v = 0;
    std::memcpy(&v, &c.extra[static_cast<size_t>(index)], size);
    return v;
  }
  switch (index) {
    case GCL_MENUNAME: return 0;
    case GCL_HBRBACKGROUND: return reinterpret_cast<ULONG_PTR>(c.background);
    case GCL_HCURSOR: return reinterpret_cast<ULONG_PTR>(c.cursor);
    case GCL_HICON: return reinterpret_cast<ULONG_PTR>(c.icon);
    case GCL_HICONSM: return reinterpret_cast<ULONG_PTR>(c.iconSm);
    case GCL_HMODULE: return reinterpret_cast<ULONG_PTR>(c.instance);
    case GCL_CBWNDEXTRA: return static_cast<ULONG_PTR>(c.wndExtra);
    case GCL_CBCLSEXTRA: return static_cast<ULONG_PTR>(c.clsExtra);
    case GCL_WNDPROC: return static_cast<ULONG_PTR>(ProcValueFor(c.proc, unicode, narrow));
    case GCL_STYLE: return c.style;
    case GCW_ATOM: return c.atom;
    default: SetLastError(ERROR_INVALID_INDEX); return 0;
  }
}

ULONG_PTR SetClassValue(HWND h, int index, LONG_PTR v, bool unicode, bool narrow) {
  auto w = GetWnd(h);
  if (!w) return 0;
  WindowClass& c = *w->cls;
  const ULONG_PTR old = GetClassValue(h, index, unicode, narrow);
  if (index >= 0) {
    const size_t size = narrow ? 4 : sizeof(LONG_PTR);
    if (static_cast<size_t>(index) + size > c.extra.size()) return 0;
    std::memcpy(&c.extra[static_cast<size_t>(index)], &v, size);
    return old;
  }
  switch (index) {
    case GCL_HBRBACKGROUND: c.background = reinterpret_cast<HBRUSH>(v); break;
    case GCL_HCURSOR: c.cursor = reinterpret_cast<HCURSOR>(v); break;
    case GCL_HICON: c.icon = reinterpret_cast<HICON>(v); break;
    case GCL_HICONSM: c.iconSm = reinterpret_cast<HICON>(v); break;
    case GCL_WNDPROC:
      c.proc = ResolveProc(narrow ? static_cast<LONG_PTR>(static_cast<LONG>(v)) : v, unicode);
      c.ansiFace = Proc{};  // made again from the new procedure
      break;
    case GCL_STYLE: c.style = static_cast<UINT>(v); break;
    default: SetLastError(ERROR_INVALID_INDEX); return 0;
  }
  return old;
}

}  // namespace

DWORD WINAPI GetClassLongA(HWND h, int i) { return static_cast<DWORD>(GetClassValue(h, i, false, true)); }
DWORD WINAPI GetClassLongW(HWND h, int i) {
  if (VSE_WIDE_CALL_REFUSED()) return 0;
  return static_cast<DWORD>(GetClassValue(h, i, true, true));
}
DWORD WINAPI SetClassLongA(HWND h, int i, LONG v) { return static_cast<DWORD>(SetClassValue(h, i, v, false, true)); }
DWORD WINAPI SetClassLongW(HWND h, int i, LONG v) {
  if (VSE_WIDE_CALL_REFUSED()) return 0;
  return static_cast<DWORD>(SetClassValue(h, i, v, true, true));
}
ULONG_PTR WINAPI GetClassLongPtrA(HWND h, int i) { return GetClassValue(h, i, false, false); }
ULONG_PTR WINAPI GetClassLongPtrW(HWND h, int i) {
  if (VSE_WIDE_CALL_REFUSED()) return 0;
  return GetClassValue(h, i, true, false);
}
ULONG_PTR WINAPI SetClassLongPtrA(HWND h, int i, LONG_PTR v) { return SetClassValue(h, i, v, false, false); }
ULONG_PTR WINAPI SetClassLongPtrW(HWND h, int i, LONG_PTR v) {
  if (VSE_WIDE_CALL_REFUSED()) return 0;
  return SetClassValue(h, i, v, true, false);
}

VSE_EXPORT("user32.dll", RegisterClassA);
VSE_EXPORT("user32.dll", RegisterClassW);
VSE_EXPORT("user32.dll", RegisterClassExA);
VSE_EXPORT("user32.dll", RegisterClassExW);
VSE_EXPORT("user32.dll", UnregisterClassA);
VSE_EXPORT("user32.dll", UnregisterClassW);
VSE_EXPORT("user32.dll", GetClassInfoA);
VSE_EXPORT("user32.dll", GetClassInfoW);
VSE_EXPORT("user32.dll", GetClassInfoExA);
VSE_EXPORT("user32.dll", GetClassInfoExW);
VSE_EXPORT("user32.dll", GetClassNameA);
VSE_EXPORT("user32.dll", GetClassNameW);
VSE_EXPORT("user32.dll", GetClassLongA);
VSE_EXPORT("user32.dll", GetClassLongW);
VSE_EXPORT("user32.dll", SetClassLongA);
VSE_EXPORT("user32.dll", SetClassLongW);
VSE_EXPORT("user32.dll", GetClassLongPtrA);
VSE_EXPORT("user32.dll", GetClassLongPtrW);
VSE_EXPORT("user32.dll", SetClassLongPtrA);
VSE_EXPORT("user32.dll", SetClassLongPtrW);
