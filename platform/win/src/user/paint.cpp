// Painting: visible regions on the one screen, update regions and WM_PAINT, window DCs
// clipped to what shows of the window, the non-client frame, the caret and presentation.
#include <algorithm>
#include <map>

#include "user_internal.h"
#include "user/menus_internal.h"
#include "winbase.h"
#include "winplat_screen.h"

using namespace winplat::user;
using winplat::gdi::Region;
namespace screen = winplat::screen;
namespace gdi = winplat::gdi;

namespace {

std::atomic<uint64_t> g_vis_generation{1};

struct DCEntry {
  HWND hwnd;
  bool own;
};
std::map<HDC, DCEntry> g_dcs;

Region Rect(const RECT& r) { return Region::FromRect(r); }
Region And(const Region& a, const Region& b) { return Region::Combine(a, b, RGN_AND); }
Region Diff(const Region& a, const Region& b) { return Region::Combine(a, b, RGN_DIFF); }
Region Or(const Region& a, const Region& b) { return Region::Combine(a, b, RGN_OR); }

bool Drawn(const Window& w) { return (w.style & WS_VISIBLE) && !(w.minimized && IsTopLevel(w)); }

// Subtracts the windows above `h` among its siblings.
void SubtractSiblingsAbove(Region& r, HWND h) {
  auto w = PeekWnd(h);
  auto p = w ? PeekWnd(w->parent) : nullptr;
  if (!p) return;
  for (HWND s : p->children) {
    if (s == h) break;
    auto sw = PeekWnd(s);
    if (!sw || !Drawn(*sw)) continue;
    if (sw->exStyle & WS_EX_TRANSPARENT) continue;
    r = Diff(r, Rect(ScreenRect(s, false)));
  }
}

}  // namespace

namespace winplat::user {

void BumpVisGeneration() { ++g_vis_generation; }

Region VisibleRegion(HWND h, bool client, bool clipChildren, bool clipSiblings) {
  HWND desktop = Desktop();
  auto w = PeekWnd(h);
  if (!w) return Region{};
  if (h == desktop) {
    Region r = Rect(w->rect);
    if (clipChildren)
      for (HWND t : w->children) {
        auto tw = PeekWnd(t);
        if (tw && Drawn(*tw)) r = Diff(r, Rect(ScreenRect(t, false)));
      }
    return r;
  }
  if (!IsReallyVisible(h)) return Region{};
  Region r = Rect(ScreenRect(h, client));
  if (clipSiblings || IsTopLevel(*w)) SubtractSiblingsAbove(r, h);
  for (auto a = PeekWnd(w->parent); a && a->handle != desktop; a = PeekWnd(a->parent)) {
    r = And(r, Rect(ScreenRect(a->handle, true)));
    if ((a->style & WS_CLIPSIBLINGS) || IsTopLevel(*a)) SubtractSiblingsAbove(r, a->handle);
  }
  r = And(r, Rect(PeekWnd(desktop)->rect));
  if (clipChildren) {
    for (HWND c : w->children) {
      auto cw = PeekWnd(c);
      if (cw && Drawn(*cw) && !(cw->exStyle & WS_EX_TRANSPARENT)) r = Diff(r, Rect(ScreenRect(c, false)));
    }
  }
  return r;
}

void AddUpdate(HWND h, const Region& area, bool erase, bool allChildren, bool everyDescendant) {
  auto w = PeekWnd(h);
  if (!w) return;
  const RECT c{0, 0, w->client.right - w->client.left, w->client.bottom - w->client.top};
  Region r = And(area, Rect(c));
  if (!r.Empty()) {
    w->update = Or(w->update, r);
    w->erase = w->erase || erase;
  }
  if (!allChildren) return;
  for (HWND k : w->children) {
    auto kw = PeekWnd(k);
    if (!kw || !Drawn(*kw)) continue;
    Region kr = area;
    kr.Offset(-kw->rect.left, -kw->rect.top);
    const RECT whole{0, 0, kw->rect.right - kw->rect.left, kw->rect.bottom - kw->rect.top};
    Region inWindow = And(kr, Rect(whole));
    if (inWindow.Empty()) continue;
    RECT cl = kw->client;
    OffsetRect(&cl, -kw->rect.left, -kw->rect.top);
    if (!Diff(inWindow, Rect(cl)).Empty()) kw->ncPaint = true;
    inWindow.Offset(-cl.left, -cl.top);
    // A child that clips its children keeps them out, unless every descendant is asked for.
    AddUpdate(k, inWindow, erase, everyDescendant || !(kw->style & WS_CLIPCHILDREN), everyDescendant);
  }
}

void InvalidateWindowAll(HWND h, bool erase, bool frame) {
  auto w = PeekWnd(h);
  if (!w) return;
  if (frame) w->ncPaint = true;
  const RECT c{0, 0, w->client.right - w->client.left, w->client.bottom - w->client.top};
  AddUpdate(h, Rect(c), erase, false);
  for (HWND k : w->children) {
    auto kw = PeekWnd(k);
    if (kw && Drawn(*kw)) InvalidateWindowAll(k, erase, true);
  }
  WakeQueue();
}

namespace {
void InvalidateScreenIn(HWND h, const Region& area, HWND except) {
  auto w = PeekWnd(h);
  if (!w || !Drawn(*w)) return;
  if (h == except) return;
  Region vis = And(VisibleRegion(h, false, true, true), area);
  if (!vis.Empty()) {
    Region client = And(vis, Rect(ScreenRect(h, true)));
    if (!Diff(vis, client).Empty()) w->ncPaint = true;
    if (!client.Empty()) {
      const POINT o = h == Desktop() ? POINT{0, 0} : ClientOrigin(h);
      client.Offset(-o.x, -o.y);
      AddUpdate(h, client, true, false);
    }
  }
  const std::vector<HWND> kids = w->children;
  for (HWND k : kids) InvalidateScreenIn(k, area, except);
}
}  // namespace

void InvalidateScreen(const Region& area, HWND except) {
  if (area.Empty()) return;
  InvalidateScreenIn(Desktop(), area, except);
  WakeQueue();
}

namespace {
HWND FindPaint(HWND h) {
  auto w = PeekWnd(h);
  if (!w || !Drawn(*w)) return nullptr;
  if (!w->update.Empty() || w->ncPaint || w->internalPaint) return h;
  for (HWND k : w->children)
    if (HWND f = FindPaint(k)) return f;
  return nullptr;
}
}  // namespace

HWND NextPaintWindow() { return FindPaint(Desktop()); }

void ReleaseWindowDCs(HWND h) {
  for (auto it = g_dcs.begin(); it != g_dcs.end();) {
    if (it->second.hwnd == h) {
      DeleteDC(it->first);
      it = g_dcs.erase(it);
    } else {
      ++it;
    }
  }
  if (auto w = PeekWnd(h)) w->ownDC = nullptr;
}

}  // namespace winplat::user

// ---------------------------------------------------------------- DCs

namespace {

// A DC on the screen for a window: device coordinates are screen pixels, the origin is the
// window's (or its client area's) top-left, and the visible region clips every call.
HDC MakeScreenDC(HWND h, const Region& vis, POINT org, HDC reuse) {
  auto backend = screen::CurrentBackend();
  screen::Framebuffer fb = backend->GetFramebuffer();
  gdi::Surface s;
  s.bits = fb.bits;
  s.pitch = fb.pitch;
  s.width = fb.width;
  s.height = fb.height;
  s.format = gdi::PixelFormat::Make(32, 0xFF0000, 0xFF00, 0xFF);
  HDC hdc = reuse;
  if (hdc) {
    gdi::SetDCSurface(hdc, s, fb.keepAlive);
  } else {
    hdc = gdi::CreateSurfaceDC(s, fb.keepAlive, false);
    if (!hdc) return nullptr;
  }
  gdi::SetDCVisibleRegion(hdc, &vis, org);
  if (auto dc = gdi::LookupDC(hdc)) {
    std::weak_ptr<screen::Backend> weak = backend;
    dc->onDamage = [weak](const RECT& r) {
      if (auto b = weak.lock()) b->Damage(r);
    };
  }
  (void)h;
  return hdc;
}

HDC GetDCCore(HWND h, const Region* extraClip, DWORD flags, const Region* update) {
  HWND target = h ? h : Desktop();
  auto w = GetWnd(target);
  if (!w) return nullptr;
  const bool window = (flags & DCX_WINDOW) != 0;
  bool clipChildren = (flags & DCX_CLIPCHILDREN) || (!(flags & DCX_CACHE) && (w->style & WS_CLIPCHILDREN));
  bool clipSiblings = (flags & DCX_CLIPSIBLINGS) || (!(flags & DCX_CACHE) && (w->style & WS_CLIPSIBLINGS));
  if (flags & 0x80000000u) {  // GetDC: the window's own styles decide
    clipChildren = (w->style & WS_CLIPCHILDREN) != 0;
    clipSiblings = (w->style & WS_CLIPSIBLINGS) != 0;
  }
  Region vis;
  POINT org;
  if (!h) {
    // The screen DC: everything, over all windows.
    const SIZE s = screen::CurrentBackend()->DisplaySize();
    vis = Region::FromRect(RECT{0, 0, s.cx, s.cy});
    org = POINT{0, 0};
  } else {
    vis = VisibleRegion(target, !window, clipChildren && !window, clipSiblings);
    org = window ? WindowOrigin(target) : ClientOrigin(target);
  }
  if (update) {
    Region u = *update;
    u.Offset(org.x, org.y);
    vis = Region::Combine(vis, u, RGN_AND);
  }
  if (extraClip) {
    Region x = *extraClip;
    x.Offset(org.x, org.y);
    vis = Region::Combine(vis, x, (flags & DCX_EXCLUDERGN) ? RGN_DIFF : RGN_AND);
  }
  const bool own = h && (w->cls->style & CS_OWNDC) && !window;
  HDC reuse = own ? w->ownDC : nullptr;
  HDC hdc = MakeScreenDC(target, vis, org, reuse);
  if (!hdc) return nullptr;
  if (own) w->ownDC = hdc;
  g_dcs[hdc] = DCEntry{h, own};
  return hdc;
}

}  // namespace

HDC WINAPI GetDCEx(HWND h, HRGN clip, DWORD flags) {
  Region r;
  const Region* extra = nullptr;
  if (clip && (flags & (DCX_INTERSECTRGN | DCX_EXCLUDERGN))) {
    if (auto ro = gdi::LookupRegion(clip)) {
      r = ro->region;
      extra = &r;
    }
  }
  Region upd;
  const Region* update = nullptr;
  if (h && (flags & DCX_INTERSECTUPDATE)) {
    if (auto w = PeekWnd(h)) {
      upd = w->update;
      update = &upd;
    }
  }
  return GetDCCore(h, extra, flags & 0x7FFFFFFFu, update);
}

HDC WINAPI GetDC(HWND h) { return GetDCCore(h, nullptr, 0x80000000u, nullptr); }
HDC WINAPI GetWindowDC(HWND h) { return GetDCCore(h, nullptr, DCX_WINDOW | 0x80000000u, nullptr); }

int WINAPI ReleaseDC(HWND, HDC hdc) {
  auto it = g_dcs.find(hdc);
  if (it == g_dcs.end()) return 0;
  if (!it->second.own) {
    DeleteDC(hdc);
    g_dcs.erase(it);
  }
  return 1;
}

HWND WINAPI WindowFromDC(HDC hdc) {
  auto it = g_dcs.find(hdc);
  return it == g_dcs.end() ? nullptr : it->second.hwnd;
}

// ---------------------------------------------------------------- update regions

BOOL WINAPI InvalidateRect(HWND h, const RECT* r, BOOL erase) {
  if (!h) {
    const SIZE s = screen::CurrentBackend()->DisplaySize();
    InvalidateScreen(Region::FromRect(RECT{0, 0, s.cx, s.cy}));
    return TRUE;
  }
  auto w = GetWnd(h);
  if (!w) return FALSE;
  const RECT c{0, 0, w->client.right - w->client.left, w->client.bottom - w->client.top};
  AddUpdate(h, Region::FromRect(r ? *r : c), erase != FALSE, !(w->style & WS_CLIPCHILDREN));
  WakeQueue();
  return TRUE;
}

BOOL WINAPI InvalidateRgn(HWND h, HRGN rgn, BOOL erase) {
  if (!rgn) return InvalidateRect(h, nullptr, erase);
  auto w = GetWnd(h);
  auto ro = gdi::LookupRegion(rgn);
  if (!w || !ro) return FALSE;
  AddUpdate(h, ro->region, erase != FALSE, !(w->style & WS_CLIPCHILDREN));
  WakeQueue();
  return TRUE;
}

BOOL WINAPI ValidateRect(HWND h, const RECT* r) {
  auto w = GetWnd(h);
  if (!w) return FALSE;
  if (!r) {
    w->update.Clear();
    w->erase = false;
    w->internalPaint = false;
    w->ncPaint = false;
  } else {
    w->update = Diff(w->update, Region::FromRect(*r));
    if (w->update.Empty()) w->erase = false;
  }
  return TRUE;
}

BOOL WINAPI ValidateRgn(HWND h, HRGN rgn) {
  if (!rgn) return ValidateRect(h, nullptr);
  auto w = GetWnd(h);
  auto ro = gdi::LookupRegion(rgn);
  if (!w || !ro) return FALSE;
  w->update = Diff(w->update, ro->region);
  return TRUE;
}

BOOL WINAPI GetUpdateRect(HWND h, LPRECT r, BOOL erase) {
  auto w = GetWnd(h);
  if (!w) return FALSE;
  if (r) *r = w->update.Empty() ? RECT{0, 0, 0, 0} : w->update.bounds;
  if (erase && w->erase && !w->update.Empty()) {
    HDC dc = GetDCEx(h, nullptr, DCX_INTERSECTUPDATE | DCX_CACHE | DCX_CLIPSIBLINGS | DCX_CLIPCHILDREN);
    w->erase = !SendW(h, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    ReleaseDC(h, dc);
  }
  return w->update.Empty() ? FALSE : TRUE;
}

int WINAPI GetUpdateRgn(HWND h, HRGN rgn, BOOL erase) {
  auto w = GetWnd(h);
  auto ro = gdi::LookupRegion(rgn);
  if (!w || !ro) return ERROR;
  ro->region = w->update;
  GetUpdateRect(h, nullptr, erase);
  return ro->region.Complexity();
}

BOOL WINAPI UpdateWindow(HWND h) {
  return RedrawWindow(h, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

namespace {
void UpdateNow(HWND h, bool children) {
  auto w = PeekWnd(h);
  if (!w || !IsReallyVisible(h)) return;
  if (!w->update.Empty() || w->ncPaint || w->internalPaint) {
    SendW(h, WM_PAINT, 0, 0);
    w = PeekWnd(h);
    if (!w) return;
  }
  if (!children) return;
  const std::vector<HWND> kids = w->children;
  for (HWND k : kids) UpdateNow(k, true);
}
}  // namespace

BOOL WINAPI RedrawWindow(HWND h, const RECT* r, HRGN rgn, UINT flags) {
  HWND target = h ? h : Desktop();
  auto w = GetWnd(target);
  if (!w) return FALSE;
  const RECT c{0, 0, w->client.right - w->client.left, w->client.bottom - w->client.top};
  Region area = Region::FromRect(r ? *r : c);
  if (rgn)
    if (auto ro = gdi::LookupRegion(rgn)) area = ro->region;
  const bool children = (flags & RDW_ALLCHILDREN) || (!(flags & RDW_NOCHILDREN) && !(w->style & WS_CLIPCHILDREN));
  if (flags & RDW_INVALIDATE) {
    if (flags & RDW_FRAME) w->ncPaint = true;
    AddUpdate(target, area, (flags & RDW_ERASE) != 0, children, (flags & RDW_ALLCHILDREN) != 0);
    if (flags & RDW_FRAME)
      if (children)
        for (HWND k : w->children)
          if (auto kw = PeekWnd(k)) kw->ncPaint = true;
  }
  if (flags & RDW_INTERNALPAINT) w->internalPaint = true;
  if (flags & RDW_VALIDATE) {
    w->update = Diff(w->update, area);
    if (flags & RDW_NOFRAME) w->ncPaint = false;
    if (flags & RDW_NOERASE) w->erase = false;
    if (flags & RDW_NOINTERNALPAINT) w->internalPaint = false;
  }
  if (flags & (RDW_UPDATENOW | RDW_ERASENOW)) UpdateNow(target, children || (flags & RDW_ALLCHILDREN));
  WakeQueue();
  return TRUE;
}

BOOL WINAPI LockWindowUpdate(HWND) { return TRUE; }

// ---------------------------------------------------------------- BeginPaint / EndPaint

namespace {
struct CaretState {
  HWND hwnd = nullptr;
  int width = 0, height = 0;
  POINT pos{0, 0};
  int hideCount = 1;  // created hidden
  bool drawn = false;
} g_caret;
UINT g_blink_ms = 530;

// The blink starts over (drawn, a full period) whenever the caret is shown or moved.
void RestartBlink() {
  if (!g_caret.hwnd) return;
  KillSystemTimer(g_caret.hwnd, kCaretTimerId);
  if (g_caret.hideCount == 0 && g_blink_ms != INFINITE) SetSystemTimer(g_caret.hwnd, kCaretTimerId, g_blink_ms);
}

void DrawCaret() {
  if (!g_caret.hwnd || !PeekWnd(g_caret.hwnd)) return;
  HDC dc = GetDC(g_caret.hwnd);
  RECT r{g_caret.pos.x, g_caret.pos.y, g_caret.pos.x + g_caret.width, g_caret.pos.y + g_caret.height};
  InvertRect(dc, &r);
  ReleaseDC(g_caret.hwnd, dc);
  g_caret.drawn = !g_caret.drawn;
}
void CaretOff() {
  if (g_caret.drawn) DrawCaret();
}
void CaretOnIfShown() {
  if (g_caret.hwnd && g_caret.hideCount == 0 && !g_caret.drawn) DrawCaret();
}
}  // namespace

namespace winplat::user {
void BlinkCaret(HWND h) {
  if (g_caret.hwnd == h && g_caret.hideCount == 0) DrawCaret();
}
// The caret goes with its window, without drawing.
void CaretWindowDestroyed(HWND h) {
  if (g_caret.hwnd == h) g_caret = CaretState{};
}
}  // namespace winplat::user

HDC WINAPI BeginPaint(HWND h, LPPAINTSTRUCT ps) {
  auto w = GetWnd(h);
  if (!w || !ps) return nullptr;
  if (g_caret.hwnd == h) CaretOff();
  const bool nc = w->ncPaint;
  w->ncPaint = false;
  if (nc) SendW(h, WM_NCPAINT, 1, 0);
  w = PeekWnd(h);
  if (!w) return nullptr;
  Region update = w->update;
  const bool erase = w->erase;
  w->update.Clear();
  w->erase = false;
  w->internalPaint = false;
  HDC dc = GetDCCore(h, nullptr, 0x80000000u, &update);
  if (!dc) return nullptr;
  ps->hdc = dc;
  ps->rcPaint = update.Empty() ? RECT{0, 0, 0, 0} : update.bounds;
  ps->fRestore = FALSE;
  ps->fIncUpdate = FALSE;
  ps->fErase = FALSE;
  if (erase) ps->fErase = SendW(h, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) ? FALSE : TRUE;
  return dc;
}

BOOL WINAPI EndPaint(HWND h, const PAINTSTRUCT* ps) {
  if (!ps) return FALSE;
  ReleaseDC(h, ps->hdc);
  if (g_caret.hwnd == h) CaretOnIfShown();
  return TRUE;
}

// ---------------------------------------------------------------- caret

BOOL WINAPI CreateCaret(HWND h, HBITMAP, int width, int height) {
  if (!GetWnd(h)) return FALSE;
  DestroyCaret();
  g_caret.hwnd = h;
  g_caret.width = width > 0 ? width : GetSystemMetrics(SM_CXBORDER);
  g_caret.height = height > 0 ? height : GetSystemMetrics(SM_CYBORDER);
  return TRUE;
}
BOOL WINAPI DestroyCaret() {
  if (!g_caret.hwnd) return FALSE;
  CaretOff();
  KillSystemTimer(g_caret.hwnd, kCaretTimerId);
  g_caret = CaretState{};
  return TRUE;
}
BOOL WINAPI HideCaret(HWND h) {
  if (!g_caret.hwnd || (h && h != g_caret.hwnd)) return FALSE;
  if (g_caret.hideCount++ == 0) {
    CaretOff();
    KillSystemTimer(g_caret.hwnd, kCaretTimerId);
  }
  return TRUE;
}
BOOL WINAPI ShowCaret(HWND h) {
  if (!g_caret.hwnd || (h && h != g_caret.hwnd) || g_caret.hideCount == 0) return FALSE;
  if (--g_caret.hideCount == 0) {
    CaretOnIfShown();
    RestartBlink();
  }
  return TRUE;
}
BOOL WINAPI SetCaretPos(int x, int y) {
  if (!g_caret.hwnd) return FALSE;
  CaretOff();
  g_caret.pos = POINT{x, y};
  CaretOnIfShown();
  RestartBlink();
  return TRUE;
}
BOOL WINAPI GetCaretPos(LPPOINT p) {
  if (!p) return FALSE;
  *p = g_caret.pos;
  return TRUE;
}
UINT WINAPI GetCaretBlinkTime() { return g_blink_ms; }
BOOL WINAPI SetCaretBlinkTime(UINT ms) {
  g_blink_ms = ms;
  CaretOnIfShown();
  RestartBlink();
  return TRUE;
}

// ---------------------------------------------------------------- colours and frames

HBRUSH WINAPI GetSysColorBrush(int index) {
  static HBRUSH brushes[31] = {};
  static COLORREF made[31] = {};
  if (index < 0 || index > 30) return nullptr;
  const COLORREF c = GetSysColor(index);
  if (!brushes[index] || made[index] != c) {
    brushes[index] = CreateSolidBrush(c);
    made[index] = c;
  }
  return brushes[index];
}

namespace {
void Line(HDC dc, int x0, int y0, int x1, int y1, COLORREF c) {
  RECT r{std::min(x0, x1), std::min(y0, y1), std::max(x0, x1) + 1, std::max(y0, y1) + 1};
  HBRUSH b = CreateSolidBrush(c);
  FillRect(dc, &r, b);
  DeleteObject(b);
}
void Fill(HDC dc, const RECT& r, COLORREF c) {
  HBRUSH b = CreateSolidBrush(c);
  FillRect(dc, &r, b);
  DeleteObject(b);
}
}  // namespace

BOOL WINAPI DrawEdge(HDC dc, LPRECT rc, UINT edge, UINT flags) {
  if (!dc || !rc) return FALSE;
  RECT r = *rc;
  const bool soft = (flags & BF_SOFT) != 0;
  auto pass = [&](UINT raised, UINT sunken, bool outer) {
    if (!(edge & (raised | sunken))) return;
    COLORREF tl, br;
    if (edge & raised) {
      tl = outer ? (soft ? GetSysColor(COLOR_3DHILIGHT) : GetSysColor(COLOR_3DLIGHT)) : GetSysColor(COLOR_3DHILIGHT);
      br = outer ? GetSysColor(COLOR_3DDKSHADOW) : GetSysColor(COLOR_3DSHADOW);
      if (outer && !soft) tl = GetSysColor(COLOR_3DLIGHT);
    } else {
      tl = outer ? GetSysColor(COLOR_3DSHADOW) : GetSysColor(COLOR_3DDKSHADOW);
      br = outer ? GetSysColor(COLOR_3DHILIGHT) : GetSysColor(COLOR_3DLIGHT);
    }
    if (flags & BF_MONO) tl = br = GetSysColor(COLOR_WINDOWFRAME);
    if (flags & BF_FLAT) tl = br = GetSysColor(COLOR_3DSHADOW);
    if (flags & BF_TOP) Line(dc, r.left, r.top, r.right - 1, r.top, tl);
    if (flags & BF_LEFT) Line(dc, r.left, r.top, r.left, r.bottom - 1, tl);
    if (flags & BF_BOTTOM) Line(dc, r.left, r.bottom - 1, r.right - 1, r.bottom - 1, br);
    if (flags & BF_RIGHT) Line(dc, r.right - 1, r.top, r.right - 1, r.bottom - 1, br);
    if (flags & BF_LEFT) ++r.left;
    if (flags & BF_TOP) ++r.top;
    if (flags & BF_RIGHT) --r.right;
    if (flags & BF_BOTTOM) --r.bottom;
  };
  pass(BDR_RAISEDOUTER, BDR_SUNKENOUTER, true);
  pass(BDR_RAISEDINNER, BDR_SUNKENINNER, false);
  if (flags & BF_MIDDLE) Fill(dc, r, GetSysColor(COLOR_3DFACE));
  if (flags & BF_ADJUST) *rc = r;
  return TRUE;
}

BOOL WINAPI DrawFrameControl(HDC dc, LPRECT rc, UINT type, UINT state) {
  if (!dc || !rc) return FALSE;
  RECT r = *rc;
  if (type == DFC_BUTTON) {
    if (state & (DFCS_BUTTONRADIO | DFCS_BUTTONRADIOIMAGE)) {
      // A round box: a diamond-cut square in the classic colours.
      const int s = std::min(r.right - r.left, r.bottom - r.top);
      RECT b{r.left, r.top, r.left + s, r.top + s};
      HBRUSH face = CreateSolidBrush(GetSysColor((state & DFCS_INACTIVE) ? COLOR_3DFACE : COLOR_WINDOW));
      HPEN shadow = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_3DSHADOW));
      HGDIOBJ ob = SelectObject(dc, face), op = SelectObject(dc, shadow);
      Ellipse(dc, b.left, b.top, b.right, b.bottom);
      SelectObject(dc, ob);
      SelectObject(dc, op);
      DeleteObject(face);
      DeleteObject(shadow);
      if (state & DFCS_CHECKED) {
        HBRUSH dot = CreateSolidBrush(GetSysColor(COLOR_WINDOWTEXT));
        HPEN none = CreatePen(PS_NULL, 0, 0);
        ob = SelectObject(dc, dot);
        op = SelectObject(dc, none);
        const int q = s / 3;
        Ellipse(dc, b.left + q, b.top + q, b.right - q + 1, b.bottom - q + 1);
        SelectObject(dc, ob);
        SelectObject(dc, op);
        DeleteObject(dot);
        DeleteObject(none);
      }
      return TRUE;
    }
    if ((state & 0x1F) == DFCS_BUTTONPUSH) {
      DrawEdge(dc, &r, (state & DFCS_PUSHED) ? EDGE_SUNKEN : EDGE_RAISED,
               BF_RECT | BF_MIDDLE | ((state & DFCS_FLAT) ? BF_FLAT : 0) | BF_SOFT);
      return TRUE;
    }
    // Check boxes.
    const int s = std::min(r.right - r.left, r.bottom - r.top);
    RECT b{r.left, r.top, r.left + s, r.top + s};
    DrawEdge(dc, &b, EDGE_SUNKEN, BF_RECT | BF_ADJUST | ((state & DFCS_FLAT) ? BF_FLAT : 0));
    Fill(dc, b, GetSysColor((state & (DFCS_INACTIVE | DFCS_PUSHED)) ? COLOR_3DFACE : COLOR_WINDOW));
    if (state & DFCS_CHECKED) {
      const COLORREF c = GetSysColor((state & DFCS_INACTIVE) ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT);
      const int w = b.right - b.left;
      // A tick from the left middle down to the bottom third, then up to the top right.
      for (int i = 0; i < w - 2; ++i) {
        const int x = b.left + 1 + i;
        const int y = i < w / 3 ? b.top + w / 2 - 1 + i : b.top + w / 2 - 1 + w / 3 - (i - w / 3);
        Line(dc, x, y, x, y + 2, c);
      }
    }
    return TRUE;
  }
  if (type == DFC_CAPTION || type == DFC_SCROLL) {
    DrawEdge(dc, &r, (state & DFCS_PUSHED) ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_ADJUST);
    const COLORREF c = GetSysColor((state & DFCS_INACTIVE) ? COLOR_GRAYTEXT : COLOR_BTNTEXT);
    const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
    const int k = std::max(2, std::min(r.right - r.left, r.bottom - r.top) / 4);
    if (type == DFC_CAPTION && (state & 0xF) == DFCS_CAPTIONCLOSE) {
      for (int i = -k; i <= k; ++i) {
        Line(dc, cx + i, cy + i, cx + i + 1, cy + i, c);
        Line(dc, cx + i, cy - i, cx + i + 1, cy - i, c);
      }
    } else if (type == DFC_SCROLL) {
      const UINT dir = state & 0xF;
      for (int i = 0; i <= k; ++i) {
        if (dir == DFCS_SCROLLUP) Line(dc, cx - i, cy - k / 2 + i, cx + i, cy - k / 2 + i, c);
        else if (dir == DFCS_SCROLLDOWN || dir == DFCS_SCROLLCOMBOBOX) Line(dc, cx - (k - i), cy - k / 2 + i, cx + (k - i), cy - k / 2 + i, c);
        else if (dir == DFCS_SCROLLLEFT) Line(dc, cx - k / 2 + i, cy - i, cx - k / 2 + i, cy + i, c);
        else if (dir == DFCS_SCROLLRIGHT) Line(dc, cx - k / 2 + i, cy - (k - i), cx - k / 2 + i, cy + (k - i), c);
      }
    }
    return TRUE;
  }
  return FALSE;
}

// ---------------------------------------------------------------- the non-client frame

namespace winplat::user {
void PaintNonClient(HWND h) {
  auto w = PeekWnd(h);
  if (!w) return;
  const RECT in = FrameInsets(w->style & ~(WS_VSCROLL | WS_HSCROLL), w->exStyle);
  const int bar = MenuBarHeight(h);
  if (in.left == 0 && in.top == 0 && bar == 0 && !(w->style & (WS_VSCROLL | WS_HSCROLL))) return;
  HDC dc = GetWindowDC(h);
  if (!dc) return;
  RECT r{0, 0, w->rect.right - w->rect.left, w->rect.bottom - w->rect.top};
  if (w->style & WS_THICKFRAME) {
    DrawEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_ADJUST);
    const int extra = GetSystemMetrics(SM_CXFRAME) - 2;
    for (int i = 0; i < extra; ++i) {
      HBRUSH b = GetSysColorBrush(ActiveWindow() == h ? COLOR_ACTIVEBORDER : COLOR_INACTIVEBORDER);
      FrameRect(dc, &r, b);
      InflateRect(&r, -1, -1);
    }
  } else if ((w->style & WS_DLGFRAME) || (w->exStyle & WS_EX_DLGMODALFRAME)) {
    DrawEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_ADJUST);
    FrameRect(dc, &r, GetSysColorBrush(COLOR_3DFACE));
    InflateRect(&r, -1, -1);
  } else if (w->style & WS_BORDER) {
    FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
    InflateRect(&r, -1, -1);
  }
  const int cap = CaptionHeight(w->style, w->exStyle);
  if (cap > 0) {
    const bool active = ActiveWindow() == h;
    RECT c{r.left, r.top, r.right, r.top + cap - 1};
    Fill(dc, c, GetSysColor(active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION));
    Line(dc, r.left, r.top + cap - 1, r.right - 1, r.top + cap - 1, GetSysColor(COLOR_3DFACE));
    RECT t = c;
    t.left += 4;
    if (w->style & WS_SYSMENU) {
      RECT b{c.right - cap + 1, c.top + 2, c.right - 2, c.bottom - 2};
      DrawFrameControl(dc, &b, DFC_CAPTION, DFCS_CAPTIONCLOSE);
      t.right = b.left - 2;
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT));
    LOGFONTW lf{};
    lf.lfHeight = -12;
    lf.lfWeight = FW_BOLD;
    lf.lfCharSet = SHIFTJIS_CHARSET;
    std::u16string face = u"MS UI Gothic";
    face.copy(lf.lfFaceName, face.size());
    HFONT f = CreateFontIndirectW(&lf);
    HGDIOBJ of = SelectObject(dc, f);
    DrawTextW(dc, w->text.c_str(), static_cast<int>(w->text.size()), &t, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    SelectObject(dc, of);
    DeleteObject(f);
    r.top += cap;
  }
  if (bar > 0) {
    PaintMenuBar(h, dc);
    r.top += bar;
  }
  if (w->exStyle & WS_EX_CLIENTEDGE) DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
  else if (w->exStyle & WS_EX_STATICEDGE) DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
  PaintScrollBars(h, dc);
  ReleaseDC(h, dc);
}
}  // namespace winplat::user

// ---------------------------------------------------------------- scrolling

BOOL WINAPI ScrollWindow(HWND h, int dx, int dy, const RECT* r, const RECT* clip) {
  return ScrollWindowEx(h, dx, dy, r, clip, nullptr, nullptr, SW_INVALIDATE | SW_ERASE) != ERROR;
}

// Contents move by repainting: the area scrolled is invalidated (no pixels are copied), and
// children move with SW_SCROLLCHILDREN.
int WINAPI ScrollWindowEx(HWND h, int dx, int dy, const RECT* r, const RECT* clip, HRGN update, LPRECT prc, UINT flags) {
  auto w = GetWnd(h);
  if (!w) return ERROR;
  RECT c{0, 0, w->client.right - w->client.left, w->client.bottom - w->client.top};
  RECT area = r ? *r : c;
  if (clip) IntersectRect(&area, &area, clip);
  if (flags & SW_SCROLLCHILDREN) {
    const std::vector<HWND> kids = w->children;
    for (HWND k : kids) {
      auto kw = PeekWnd(k);
      if (!kw) continue;
      SetWindowPos(k, nullptr, kw->rect.left + dx, kw->rect.top + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  if (update)
    if (auto ro = gdi::LookupRegion(update)) ro->region = Region::FromRect(area);
  if (prc) *prc = area;
  if (flags & SW_INVALIDATE) InvalidateRect(h, &area, (flags & SW_ERASE) ? TRUE : FALSE);
  return SIMPLEREGION;
}

// ---------------------------------------------------------------- the public additions

std::vector<RECT> winplat::user::WindowVisibleRects(HWND h, bool client) {
  if (!PeekWnd(h)) return {};
  return VisibleRegion(h, client, true, true).rects;
}

uint64_t winplat::user::VisibleRegionGeneration() { return g_vis_generation.load() + screen::ScreenGeneration(); }

void winplat::user::ScreenDamaged(const RECT& r) { screen::CurrentBackend()->Damage(r); }

void winplat::user::PresentScreen() { screen::CurrentBackend()->Present(); }

VSE_EXPORT("user32.dll", GetDC);
VSE_EXPORT("user32.dll", GetDCEx);
VSE_EXPORT("user32.dll", GetWindowDC);
VSE_EXPORT("user32.dll", ReleaseDC);
VSE_EXPORT("user32.dll", WindowFromDC);
VSE_EXPORT("user32.dll", InvalidateRect);
VSE_EXPORT("user32.dll", InvalidateRgn);
VSE_EXPORT("user32.dll", ValidateRect);
VSE_EXPORT("user32.dll", ValidateRgn);
VSE_EXPORT("user32.dll", UpdateWindow);
VSE_EXPORT("user32.dll", RedrawWindow);
VSE_EXPORT("user32.dll", BeginPaint);
VSE_EXPORT("user32.dll", EndPaint);
VSE_EXPORT("user32.dll", GetSysColorBrush);
VSE_EXPORT("user32.dll", DrawEdge);
VSE_EXPORT("user32.dll", DrawFrameControl);
VSE_EXPORT("user32.dll", CreateCaret);
VSE_EXPORT("user32.dll", DestroyCaret);
VSE_EXPORT("user32.dll", ShowCaret);
VSE_EXPORT("user32.dll", HideCaret);
VSE_EXPORT("user32.dll", SetCaretPos);
