// Multiple-document windows: the "MDICLIENT" class, which makes and destroys a frame's document
// windows and knows the active one, and the default procedures of frames and documents.
#include <algorithm>
#include <vector>

#include "internal/modules.h"
#include "internal/text.h"
#include "internal/wide_calls.h"
#include "user_internal.h"
#include "windows.h"

namespace {

struct MdiClient {
  HANDLE windowMenu = nullptr;
  UINT firstChild = 0;
  HWND active = nullptr;
  std::vector<HWND> children;
};

MdiClient* ClientOf(HWND h) { return reinterpret_cast<MdiClient*>(GetWindowLongPtrW(h, 0)); }

void Forget(MdiClient* c, HWND child) {
  c->children.erase(std::remove(c->children.begin(), c->children.end(), child), c->children.end());
  if (c->active == child) c->active = c->children.empty() ? nullptr : c->children.back();
}

// A default position or size of a document is the client's origin and client size.
void PlaceDefault(HWND client, int& x, int& y, int& cx, int& cy) {
  RECT r{};
  GetClientRect(client, &r);
  if (x == CW_USEDEFAULT) x = y = 0;
  if (cx == CW_USEDEFAULT) {
    cx = r.right - x;
    cy = r.bottom - y;
  }
}

LRESULT CALLBACK MdiClientProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_NCCREATE: {
      auto* c = new MdiClient;
      const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lp);
      if (cs && cs->lpCreateParams) {
        const auto* ccs = static_cast<const CLIENTCREATESTRUCT*>(cs->lpCreateParams);
        c->windowMenu = ccs->hWindowMenu;
        c->firstChild = ccs->idFirstChild;
      }
      SetWindowLongPtrW(h, 0, reinterpret_cast<LONG_PTR>(c));
      break;
    }
    case WM_NCDESTROY: {
      delete ClientOf(h);
      SetWindowLongPtrW(h, 0, 0);
      break;
    }
    case WM_MDICREATE: {
      MdiClient* c = ClientOf(h);
      auto* mcs = reinterpret_cast<MDICREATESTRUCTW*>(lp);
      if (!c || !mcs) return 0;
      int x = mcs->x, y = mcs->y, cx = mcs->cx, cy = mcs->cy;
      PlaceDefault(h, x, y, cx, cy);
      const UINT id = c->firstChild + static_cast<UINT>(c->children.size());
      const DWORD style = (mcs->style | WS_CHILD | WS_CLIPSIBLINGS) & ~static_cast<DWORD>(WS_POPUP);
      HWND child = CreateWindowExW(WS_EX_MDICHILD, mcs->szClass, mcs->szTitle, style, x, y, cx, cy, h,
                                   reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                                   static_cast<HINSTANCE>(mcs->hOwner), mcs);
      if (!child) return 0;
      c->children.push_back(child);
      c->active = child;
      return reinterpret_cast<LRESULT>(child);
    }
    case WM_MDIDESTROY: {
      HWND child = reinterpret_cast<HWND>(wp);
      if (MdiClient* c = ClientOf(h)) Forget(c, child);
      DestroyWindow(child);
      return 0;
    }
    case WM_MDIACTIVATE: {
      HWND child = reinterpret_cast<HWND>(wp);
      MdiClient* c = ClientOf(h);
      if (!c || std::find(c->children.begin(), c->children.end(), child) == c->children.end()) return 0;
      c->active = child;
      SetWindowPos(child, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
      return 0;
    }
    case WM_MDIGETACTIVE: {
      MdiClient* c = ClientOf(h);
      if (!c) return 0;
      // A document destroyed without WM_MDIDESTROY leaves the list here.
      std::vector<HWND> gone;
      for (HWND child : c->children)
        if (!IsWindow(child)) gone.push_back(child);
      for (HWND child : gone) Forget(c, child);
      if (lp) *reinterpret_cast<BOOL*>(lp) = FALSE;
      return reinterpret_cast<LRESULT>(c->active);
    }
    default:
      break;
  }
  return DefWindowProcW(h, msg, wp, lp);
}

[[maybe_unused]] const bool g_registered = [] {
  WNDCLASSW wc{};
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = MdiClientProc;
  wc.cbWndExtra = static_cast<int>(sizeof(void*));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(COLOR_APPWORKSPACE + 1));
  wc.lpszClassName = u"MDICLIENT";
  winplat::user::RegisterSystemClassW(wc);
  return true;
}();

// What frames and documents do alike; Def is the default procedure of the caller's kind.
template <class DefProc>
LRESULT ChildDefault(HWND h, UINT msg, WPARAM wp, LPARAM lp, DefProc def) {
  switch (msg) {
    case WM_CLOSE:
      SendMessageW(GetParent(h), WM_MDIDESTROY, reinterpret_cast<WPARAM>(h), 0);
      return 0;
    case WM_CHILDACTIVATE:
      SendMessageW(GetParent(h), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(h), 0);
      return 0;
    default:
      return def(h, msg, wp, lp);
  }
}

template <class DefProc>
LRESULT FrameDefault(HWND h, HWND client, UINT msg, WPARAM wp, LPARAM lp, DefProc def) {
  switch (msg) {
    case WM_SIZE:
      // The client fills the frame's client area.
      if (client && wp != SIZE_MINIMIZED) MoveWindow(client, 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
      return def(h, msg, wp, lp);
    case WM_SETFOCUS:
      if (client && IsWindow(client)) {
        SetFocus(client);
        return 0;
      }
      return def(h, msg, wp, lp);
    default:
      return def(h, msg, wp, lp);
  }
}

}  // namespace

HWND WINAPI CreateMDIWindowW(LPCWSTR lpClassName, LPCWSTR lpWindowName, DWORD dwStyle, int X, int Y,
                             int nWidth, int nHeight, HWND hWndParent, HINSTANCE hInstance, LPARAM lParam) {
  if (VSE_WIDE_CALL_REFUSED()) return nullptr;
  if (!IsWindow(hWndParent)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  MDICREATESTRUCTW mcs{lpClassName, lpWindowName, hInstance, X, Y, nWidth, nHeight, dwStyle, lParam};
  return reinterpret_cast<HWND>(SendMessageW(hWndParent, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&mcs)));
}

HWND WINAPI CreateMDIWindowA(LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle, int X, int Y,
                             int nWidth, int nHeight, HWND hWndParent, HINSTANCE hInstance, LPARAM lParam) {
  if (!IsWindow(hWndParent)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  const std::u16string cls = IS_INTRESOURCE(lpClassName) ? std::u16string() : winplat::AnsiToWide(lpClassName);
  const std::u16string title = lpWindowName ? winplat::AnsiToWide(lpWindowName) : std::u16string();
  MDICREATESTRUCTW mcs{IS_INTRESOURCE(lpClassName) ? reinterpret_cast<LPCWSTR>(lpClassName) : cls.c_str(),
                       lpWindowName ? title.c_str() : nullptr,
                       hInstance, X, Y, nWidth, nHeight, dwStyle, lParam};
  return reinterpret_cast<HWND>(SendMessageW(hWndParent, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&mcs)));
}

LRESULT WINAPI DefMDIChildProcW(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  if (VSE_WIDE_CALL_REFUSED()) return 0;
  return ChildDefault(hWnd, uMsg, wParam, lParam, DefWindowProcW);
}

LRESULT WINAPI DefMDIChildProcA(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  return ChildDefault(hWnd, uMsg, wParam, lParam, DefWindowProcA);
}

LRESULT WINAPI DefFrameProcW(HWND hWnd, HWND hWndMDIClient, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  if (VSE_WIDE_CALL_REFUSED()) return 0;
  return FrameDefault(hWnd, hWndMDIClient, uMsg, wParam, lParam, DefWindowProcW);
}

LRESULT WINAPI DefFrameProcA(HWND hWnd, HWND hWndMDIClient, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  return FrameDefault(hWnd, hWndMDIClient, uMsg, wParam, lParam, DefWindowProcA);
}

// Flat scroll bars are drawn as the standard ones here: there is nothing to set up or undo.
BOOL WINAPI InitializeFlatSB(HWND hWnd) { return IsWindow(hWnd) ? TRUE : FALSE; }
HRESULT WINAPI UninitializeFlatSB(HWND hWnd) { return IsWindow(hWnd) ? S_OK : E_FAIL; }

VSE_EXPORT("user32.dll", CreateMDIWindowA);
VSE_EXPORT("user32.dll", CreateMDIWindowW);
VSE_EXPORT("user32.dll", DefMDIChildProcA);
VSE_EXPORT("user32.dll", DefMDIChildProcW);
VSE_EXPORT("user32.dll", DefFrameProcA);
VSE_EXPORT("user32.dll", DefFrameProcW);
VSE_EXPORT("comctl32.dll", InitializeFlatSB);
VSE_EXPORT("comctl32.dll", UninitializeFlatSB);
