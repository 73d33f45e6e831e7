// The list view class "SysListView32" in its icon views: items with text, image, state and
// data, arranged in a grid of cells (large icons with the text below, or small icons with the
// text beside), selection by mouse and keyboard, and the parent's LVN_ and NM_ notifications.
#include <algorithm>
#include <string>
#include <vector>

#include "codepages/casemap.h"
#include "controls/control_window.h"
#include "commctrl.h"
#include "controls/paint.h"
#include "internal/text.h"
#include "wingdi.h"
#include "wintext.h"

namespace winplat::controls {

namespace {

struct LvItem {
  std::u16string text;
  int image = -1;
  UINT state = 0;
  LPARAM param = 0;
};

struct ListViewData {
  std::vector<LvItem> items;
  HIMAGELIST large = nullptr, small = nullptr, stateImages = nullptr;
  HFONT font = nullptr;
  COLORREF bk = CLR_DEFAULT, text = CLR_DEFAULT, textBk = CLR_DEFAULT;
  bool unicode = true;
  bool focused = false;
  int scrollY = 0;
  DWORD exStyle = 0;
};

bool SmallIcons(HWND h) {
  UINT v = Style(h) & LVS_TYPEMASK;
  return v == LVS_SMALLICON || v == LVS_LIST || v == LVS_REPORT;
}

int TextHeight(HWND h, ListViewData& d) { return FontHeight(h, d.font); }

SIZE ImageSize(HIMAGELIST il, int fallback) {
  int cx = fallback, cy = fallback;
  if (il) ImageList_GetIconSize(il, &cx, &cy);
  return SIZE{cx, cy};
}

// The cell every item takes, and how many fit across.
SIZE CellSize(HWND h, ListViewData& d) {
  int th = TextHeight(h, d);
  if (SmallIcons(h)) {
    SIZE s = ImageSize(d.small, 16);
    return SIZE{s.cx + 4 + 120, std::max<LONG>(s.cy, th) + 2};
  }
  SIZE s = ImageSize(d.large, 32);
  return SIZE{std::max<LONG>(s.cx + 32, 76), s.cy + 6 + th * 2 + 4};
}

int Columns(HWND h, ListViewData& d) {
  RECT r;
  GetClientRect(h, &r);
  return std::max(1, static_cast<int>(r.right - r.left) / static_cast<int>(CellSize(h, d).cx));
}

RECT CellRect(HWND h, ListViewData& d, int i) {
  SIZE c = CellSize(h, d);
  int cols = Columns(h, d);
  int x = (i % cols) * c.cx, y = (i / cols) * c.cy - d.scrollY;
  return RECT{x, y, x + c.cx, y + c.cy};
}

// After the items, the view's size or the scrolling changed: the scroll bar and the picture.
void Refresh(HWND h, ListViewData& d);

void ItemRects(HWND h, ListViewData& d, int i, RECT* icon, RECT* label) {
  RECT cell = CellRect(h, d, i);
  if (SmallIcons(h)) {
    SIZE s = ImageSize(d.small, 16);
    *icon = RECT{cell.left + 2, cell.top + 1, cell.left + 2 + s.cx, cell.top + 1 + s.cy};
    *label = RECT{icon->right + 2, cell.top, cell.right, cell.bottom};
    return;
  }
  SIZE s = ImageSize(d.large, 32);
  int ix = cell.left + (cell.right - cell.left - s.cx) / 2;
  *icon = RECT{ix, cell.top + 2, ix + s.cx, cell.top + 2 + s.cy};
  *label = RECT{cell.left + 2, icon->bottom + 2, cell.right - 2, cell.bottom - 2};
}

int HitItem(HWND h, ListViewData& d, POINT p, UINT* flags) {
  for (int i = 0; i < static_cast<int>(d.items.size()); ++i) {
    RECT ic, lb;
    ItemRects(h, d, i, &ic, &lb);
    if (PtInRect(&ic, p)) {
      if (flags) *flags = LVHT_ONITEMICON;
      return i;
    }
    if (PtInRect(&lb, p)) {
      if (flags) *flags = LVHT_ONITEMLABEL;
      return i;
    }
  }
  if (flags) *flags = LVHT_NOWHERE;
  return -1;
}

void Paint(HWND h, HDC dc, ListViewData& d) {
  RECT r;
  GetClientRect(h, &r);
  HGDIOBJ oldFont = SelectObject(dc, ControlFont(d.font));
  paint::Fill(dc, r, d.bk == CLR_DEFAULT ? GetSysColor(COLOR_WINDOW) : d.bk);
  bool showSel = d.focused || (Style(h) & LVS_SHOWSELALWAYS);
  HIMAGELIST il = SmallIcons(h) ? d.small : d.large;
  for (int i = 0; i < static_cast<int>(d.items.size()); ++i) {
    const LvItem& it = d.items[static_cast<size_t>(i)];
    RECT ic, lb;
    ItemRects(h, d, i, &ic, &lb);
    if (lb.top > r.bottom || ic.bottom < 0) continue;
    bool sel = (it.state & LVIS_SELECTED) && showSel;
    if (il && it.image >= 0)
      ImageList_Draw(il, it.image, dc, ic.left, ic.top, ILD_TRANSPARENT | (sel ? ILD_BLEND50 : 0));
    RECT calc = lb;
    UINT flags = DT_NOPREFIX | DT_END_ELLIPSIS | (SmallIcons(h) ? DT_SINGLELINE | DT_VCENTER | DT_LEFT : DT_CENTER | DT_WORDBREAK);
    DrawTextW(dc, it.text.c_str(), static_cast<int>(it.text.size()), &calc, flags | DT_CALCRECT);
    // The label's box: as wide as its text, centred in the cell for large icons.
    int w = std::min<int>(calc.right - calc.left, lb.right - lb.left);
    RECT box = lb;
    if (!SmallIcons(h)) {
      box.left = lb.left + ((lb.right - lb.left) - w) / 2 - 1;
      box.right = box.left + w + 2;
      box.bottom = std::min<LONG>(lb.bottom, lb.top + (calc.bottom - calc.top));
    } else {
      box.right = std::min<LONG>(lb.right, lb.left + w + 2);
    }
    if (sel) paint::FillSys(dc, box, COLOR_HIGHLIGHT);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, sel ? GetSysColor(COLOR_HIGHLIGHTTEXT) : (d.text == CLR_DEFAULT ? GetSysColor(COLOR_WINDOWTEXT) : d.text));
    RECT tr = box;
    tr.left += 1;
    DrawTextW(dc, it.text.c_str(), static_cast<int>(it.text.size()), &tr, flags);
    if (d.focused && (it.state & LVIS_FOCUSED)) {
      SetTextColor(dc, RGB(0, 0, 0));
      SetBkColor(dc, RGB(255, 255, 255));
      DrawFocusRect(dc, &box);
    }
  }
  SelectObject(dc, oldFont);
}

LRESULT NotifyLv(HWND h, UINT code, int item, UINT newState = 0, UINT oldState = 0, UINT changed = 0, LPARAM param = 0) {
  HWND p = NotifyTarget(h);
  if (!p) return 0;
  NMLISTVIEW nm{};
  nm.hdr.hwndFrom = h;
  nm.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(h));
  nm.hdr.code = code;
  nm.iItem = item;
  nm.uNewState = newState;
  nm.uOldState = oldState;
  nm.uChanged = changed;
  nm.lParam = param;
  return SendMessageW(p, WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(&nm));
}

// Changes the state bits of an item in `mask`, telling the parent.
void SetItemState(HWND h, ListViewData& d, int i, UINT state, UINT mask) {
  LvItem& it = d.items[static_cast<size_t>(i)];
  UINT now = (it.state & ~mask) | (state & mask);
  if (now == it.state) return;
  // One item has the focus.
  if ((mask & LVIS_FOCUSED) && (state & LVIS_FOCUSED))
    for (size_t k = 0; k < d.items.size(); ++k)
      if (static_cast<int>(k) != i && (d.items[k].state & LVIS_FOCUSED)) SetItemState(h, d, static_cast<int>(k), 0, LVIS_FOCUSED);
  UINT old = it.state;
  it.state = now;
  NotifyLv(h, LVN_ITEMCHANGED, i, now, old, LVIF_STATE, it.param);
  InvalidateRect(h, nullptr, FALSE);
}

void SelectOnly(HWND h, ListViewData& d, int i) {
  for (int k = 0; k < static_cast<int>(d.items.size()); ++k)
    if (k != i) SetItemState(h, d, k, 0, LVIS_SELECTED);
  if (i >= 0) SetItemState(h, d, i, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

int Focused(ListViewData& d) {
  for (size_t k = 0; k < d.items.size(); ++k)
    if (d.items[k].state & LVIS_FOCUSED) return static_cast<int>(k);
  return -1;
}

// LVITEMA and W share their layout but for the text pointer's type.
int InsertOrSet(HWND h, ListViewData& d, const LVITEMW* in, bool wide, bool insert) {
  if (!in || in->iSubItem != 0) return -1;
  LvItem it;
  int at = in->iItem;
  if (!insert) {
    if (at < 0 || at >= static_cast<int>(d.items.size())) return -1;
    it = d.items[static_cast<size_t>(at)];
  }
  if ((in->mask & LVIF_TEXT) && in->pszText && in->pszText != LPSTR_TEXTCALLBACKW)
    it.text = wide ? std::u16string(in->pszText) : AnsiToWide(reinterpret_cast<const char*>(in->pszText));
  if (in->mask & LVIF_IMAGE) it.image = in->iImage;
  if (in->mask & LVIF_PARAM) it.param = in->lParam;
  if (!insert) {
    d.items[static_cast<size_t>(at)].text = it.text;
    d.items[static_cast<size_t>(at)].image = it.image;
    d.items[static_cast<size_t>(at)].param = it.param;
    if (in->mask & LVIF_STATE) SetItemState(h, d, at, in->state, in->stateMask);
    InvalidateRect(h, nullptr, FALSE);
    return TRUE;
  }
  if (in->mask & LVIF_STATE) it.state = in->state & in->stateMask;
  DWORD style = Style(h);
  if (style & (LVS_SORTASCENDING | LVS_SORTDESCENDING)) {
    bool asc = (style & LVS_SORTASCENDING) != 0;
    at = 0;
    while (at < static_cast<int>(d.items.size())) {
      int c = cp::CompareNoCase(d.items[static_cast<size_t>(at)].text, it.text);
      if (asc ? c > 0 : c < 0) break;
      ++at;
    }
  }
  at = std::clamp(at, 0, static_cast<int>(d.items.size()));
  d.items.insert(d.items.begin() + at, it);
  NotifyLv(h, LVN_INSERTITEM, at);
  Refresh(h, d);
  return at;
}

LRESULT GetItem(ListViewData& d, LVITEMW* out, bool wide) {
  if (!out || out->iItem < 0 || out->iItem >= static_cast<int>(d.items.size())) return FALSE;
  const LvItem& it = d.items[static_cast<size_t>(out->iItem)];
  if (out->mask & LVIF_IMAGE) out->iImage = it.image;
  if (out->mask & LVIF_PARAM) out->lParam = it.param;
  if (out->mask & LVIF_STATE) out->state = it.state & out->stateMask;
  if ((out->mask & LVIF_TEXT) && out->pszText && out->cchTextMax > 0) {
    if (wide) {
      size_t n = std::min<size_t>(it.text.size(), out->cchTextMax - 1);
      std::copy_n(it.text.data(), n, out->pszText);
      out->pszText[n] = 0;
    } else {
      std::string a = WideToAnsi(it.text);
      size_t n = std::min<size_t>(a.size(), out->cchTextMax - 1);
      char* p = reinterpret_cast<char*>(out->pszText);
      std::copy_n(a.data(), n, p);
      p[n] = 0;
    }
  }
  return TRUE;
}

void EnsureVisible(HWND h, ListViewData& d, int i) {
  RECT r, c = CellRect(h, d, i);
  GetClientRect(h, &r);
  if (c.top < 0) d.scrollY += c.top;
  else if (c.bottom > r.bottom) d.scrollY += c.bottom - r.bottom;
  d.scrollY = std::max(0, d.scrollY);
  Refresh(h, d);
}

// The height all rows take, and the most the view can scroll down.
int MaxScroll(HWND h, ListViewData& d) {
  RECT r;
  GetClientRect(h, &r);
  SIZE c = CellSize(h, d);
  int cols = Columns(h, d);
  int rows = (static_cast<int>(d.items.size()) + cols - 1) / cols;
  return std::max(0, rows * static_cast<int>(c.cy) - static_cast<int>(r.bottom - r.top));
}

// The vertical bar shows while the rows are taller than the view and hides when they fit
// (none with LVS_NOSCROLL); its positions are pixels.
void UpdateScrollBar(HWND h, ListViewData& d) {
  if (Style(h) & LVS_NOSCROLL) return;
  RECT r;
  GetClientRect(h, &r);
  SIZE c = CellSize(h, d);
  int cols = Columns(h, d);
  int rows = (static_cast<int>(d.items.size()) + cols - 1) / cols;
  SCROLLINFO si{};
  si.cbSize = sizeof(si);
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  si.nMin = 0;
  si.nMax = std::max(0, rows * static_cast<int>(c.cy) - 1);
  si.nPage = static_cast<UINT>(std::max<LONG>(0, r.bottom - r.top));
  si.nPos = d.scrollY;
  SetScrollInfo(h, SB_VERT, &si, TRUE);
}

void Refresh(HWND h, ListViewData& d) {
  d.scrollY = std::clamp(d.scrollY, 0, MaxScroll(h, d));
  UpdateScrollBar(h, d);
  // The bar coming or going changes the width, and with it the rows.
  d.scrollY = std::clamp(d.scrollY, 0, MaxScroll(h, d));
  InvalidateRect(h, nullptr, FALSE);
}

void ScrollTo(HWND h, ListViewData& d, int y) {
  int before = d.scrollY;
  d.scrollY = std::clamp(y, 0, MaxScroll(h, d));
  if (d.scrollY != before) Refresh(h, d);
}

LRESULT CALLBACK ListViewProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  ListViewData* d = StateOf<ListViewData>(h);
  if (msg == WM_NCCREATE) {
    d = new ListViewData;
    SetState(h, d);
  }
  if (!d) return DefWindowProcW(h, msg, wp, lp);
  switch (msg) {
    case WM_NCDESTROY:
      if (!(Style(h) & LVS_SHAREIMAGELISTS)) {
        if (d->large) ImageList_Destroy(d->large);
        if (d->small) ImageList_Destroy(d->small);
        if (d->stateImages) ImageList_Destroy(d->stateImages);
      }
      SetState<ListViewData>(h, nullptr);
      delete d;
      break;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = wp ? reinterpret_cast<HDC>(wp) : BeginPaint(h, &ps);
      Paint(h, dc, *d);
      if (!wp) EndPaint(h, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_SIZE:
      Refresh(h, *d);
      return 0;
    case WM_VSCROLL: {
      RECT r;
      GetClientRect(h, &r);
      const int line = static_cast<int>(CellSize(h, *d).cy), page = std::max<int>(line, r.bottom - r.top);
      switch (LOWORD(wp)) {
        case SB_LINEUP: ScrollTo(h, *d, d->scrollY - line); break;
        case SB_LINEDOWN: ScrollTo(h, *d, d->scrollY + line); break;
        case SB_PAGEUP: ScrollTo(h, *d, d->scrollY - page); break;
        case SB_PAGEDOWN: ScrollTo(h, *d, d->scrollY + page); break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: {
          SCROLLINFO si{sizeof(si), SIF_TRACKPOS, 0, 0, 0, 0, 0};
          GetScrollInfo(h, SB_VERT, &si);  // all 32 bits of the position
          ScrollTo(h, *d, si.nTrackPos);
          break;
        }
        case SB_TOP: ScrollTo(h, *d, 0); break;
        case SB_BOTTOM: ScrollTo(h, *d, MaxScroll(h, *d)); break;
        default: break;
      }
      return 0;
    }
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFONT:
      d->font = reinterpret_cast<HFONT>(wp);
      Refresh(h, *d);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(d->font);
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      d->focused = msg == WM_SETFOCUS;
      InvalidateRect(h, nullptr, FALSE);
      NotifyLv(h, d->focused ? NM_SETFOCUS : NM_KILLFOCUS, -1);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      if (GetFocus() != h) SetFocus(h);
      POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
      int i = HitItem(h, *d, p, nullptr);
      bool single = (Style(h) & LVS_SINGLESEL) != 0;
      if (i >= 0 && (wp & MK_CONTROL) && !single) {
        UINT now = d->items[static_cast<size_t>(i)].state & LVIS_SELECTED;
        SetItemState(h, *d, i, (now ? 0 : LVIS_SELECTED) | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
      } else {
        SelectOnly(h, *d, i);
      }
      NotifyLv(h, msg == WM_LBUTTONDOWN ? NM_CLICK : NM_DBLCLK, i);
      if (msg == WM_LBUTTONDBLCLK && i >= 0) NotifyLv(h, LVN_ITEMACTIVATE, i);
      return 0;
    }
    case WM_KEYDOWN: {
      if (HWND p = NotifyTarget(h)) {
        NMLVKEYDOWN kd{};
        kd.hdr.hwndFrom = h;
        kd.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(h));
        kd.hdr.code = LVN_KEYDOWN;
        kd.wVKey = static_cast<WORD>(wp);
        SendMessageW(p, WM_NOTIFY, kd.hdr.idFrom, reinterpret_cast<LPARAM>(&kd));
      }
      int n = static_cast<int>(d->items.size());
      if (n == 0) return 0;
      int cur = std::max(0, Focused(*d)), cols = Columns(h, *d), next = cur;
      switch (wp) {
        case VK_LEFT: next = cur - 1; break;
        case VK_RIGHT: next = cur + 1; break;
        case VK_UP: next = cur - cols; break;
        case VK_DOWN: next = cur + cols; break;
        case VK_HOME: next = 0; break;
        case VK_END: next = n - 1; break;
        case VK_RETURN: NotifyLv(h, LVN_ITEMACTIVATE, cur); return 0;
        default: return 0;
      }
      next = std::clamp(next, 0, n - 1);
      SelectOnly(h, *d, next);
      EnsureVisible(h, *d, next);
      return 0;
    }
    case WM_MOUSEWHEEL: {
      int delta = GET_WHEEL_DELTA_WPARAM(wp);
      ScrollTo(h, *d, d->scrollY - delta / WHEEL_DELTA * static_cast<int>(CellSize(h, *d).cy));
      return 0;
    }
    case LVM_GETITEMCOUNT:
      return static_cast<LRESULT>(d->items.size());
    case LVM_INSERTITEMA:
    case LVM_INSERTITEMW:
      return InsertOrSet(h, *d, reinterpret_cast<const LVITEMW*>(lp), msg == LVM_INSERTITEMW, true);
    case LVM_SETITEMA:
    case LVM_SETITEMW:
      return InsertOrSet(h, *d, reinterpret_cast<const LVITEMW*>(lp), msg == LVM_SETITEMW, false) > 0;
    case LVM_GETITEMA:
    case LVM_GETITEMW:
      return GetItem(*d, reinterpret_cast<LVITEMW*>(lp), msg == LVM_GETITEMW);
    case LVM_GETITEMTEXTA:
    case LVM_GETITEMTEXTW: {
      auto* it = reinterpret_cast<LVITEMW*>(lp);
      if (!it) return 0;
      it->iItem = static_cast<int>(wp);
      it->mask = LVIF_TEXT;
      if (!GetItem(*d, it, msg == LVM_GETITEMTEXTW)) return 0;
      return msg == LVM_GETITEMTEXTW ? static_cast<LRESULT>(std::char_traits<char16_t>::length(it->pszText))
                                     : static_cast<LRESULT>(std::char_traits<char>::length(reinterpret_cast<char*>(it->pszText)));
    }
    case LVM_SETITEMTEXTA:
    case LVM_SETITEMTEXTW: {
      auto* it = reinterpret_cast<LVITEMW*>(lp);
      if (!it) return FALSE;
      LVITEMW c = *it;
      c.iItem = static_cast<int>(wp);
      c.mask = LVIF_TEXT;
      return InsertOrSet(h, *d, &c, msg == LVM_SETITEMTEXTW, false) > 0;
    }
    case LVM_DELETEITEM: {
      int i = static_cast<int>(wp);
      if (i < 0 || i >= static_cast<int>(d->items.size())) return FALSE;
      NotifyLv(h, LVN_DELETEITEM, i, 0, 0, 0, d->items[static_cast<size_t>(i)].param);
      d->items.erase(d->items.begin() + i);
      Refresh(h, *d);
      return TRUE;
    }
    case LVM_DELETEALLITEMS:
      NotifyLv(h, LVN_DELETEALLITEMS, -1);
      d->items.clear();
      d->scrollY = 0;
      Refresh(h, *d);
      return TRUE;
    case LVM_SETIMAGELIST: {
      HIMAGELIST old = nullptr;
      HIMAGELIST* slot = wp == LVSIL_NORMAL ? &d->large : wp == LVSIL_SMALL ? &d->small : &d->stateImages;
      old = *slot;
      *slot = reinterpret_cast<HIMAGELIST>(lp);
      Refresh(h, *d);
      return reinterpret_cast<LRESULT>(old);
    }
    case LVM_GETIMAGELIST:
      return reinterpret_cast<LRESULT>(wp == LVSIL_NORMAL ? d->large : wp == LVSIL_SMALL ? d->small : d->stateImages);
    case LVM_SETITEMSTATE: {
      auto* it = reinterpret_cast<const LVITEMW*>(lp);
      if (!it) return FALSE;
      int i = static_cast<int>(wp);
      if (i == -1) {
        for (int k = 0; k < static_cast<int>(d->items.size()); ++k) SetItemState(h, *d, k, it->state, it->stateMask);
        return TRUE;
      }
      if (i < 0 || i >= static_cast<int>(d->items.size())) return FALSE;
      if ((Style(h) & LVS_SINGLESEL) && (it->stateMask & LVIS_SELECTED) && (it->state & LVIS_SELECTED))
        for (int k = 0; k < static_cast<int>(d->items.size()); ++k)
          if (k != i) SetItemState(h, *d, k, 0, LVIS_SELECTED);
      SetItemState(h, *d, i, it->state, it->stateMask);
      return TRUE;
    }
    case LVM_GETITEMSTATE: {
      int i = static_cast<int>(wp);
      if (i < 0 || i >= static_cast<int>(d->items.size())) return 0;
      return static_cast<LRESULT>(d->items[static_cast<size_t>(i)].state & static_cast<UINT>(lp));
    }
    case LVM_GETSELECTEDCOUNT:
      return std::count_if(d->items.begin(), d->items.end(), [](const LvItem& i) { return (i.state & LVIS_SELECTED) != 0; });
    case LVM_GETNEXTITEM: {
      UINT flags = LOWORD(lp);
      for (int k = static_cast<int>(wp) + 1; k < static_cast<int>(d->items.size()); ++k) {
        UINT st = d->items[static_cast<size_t>(k)].state;
        if ((flags & LVNI_SELECTED) && !(st & LVIS_SELECTED)) continue;
        if ((flags & LVNI_FOCUSED) && !(st & LVIS_FOCUSED)) continue;
        return k;
      }
      return -1;
    }
    case LVM_FINDITEMA:
    case LVM_FINDITEMW: {
      auto* fi = reinterpret_cast<const LVFINDINFOW*>(lp);
      if (!fi) return -1;
      std::u16string want;
      if (fi->flags & (LVFI_STRING | LVFI_PARTIAL))
        want = msg == LVM_FINDITEMW ? std::u16string(fi->psz ? fi->psz : u"")
                                    : AnsiToWide(fi->psz ? reinterpret_cast<const char*>(fi->psz) : "");
      int n = static_cast<int>(d->items.size());
      int start = static_cast<int>(wp) + 1;
      for (int step = 0; step < n; ++step) {
        int k = start + step;
        if (k >= n) {
          if (!(fi->flags & LVFI_WRAP)) break;
          k -= n;
        }
        const LvItem& it = d->items[static_cast<size_t>(k)];
        if (fi->flags & LVFI_PARAM) {
          if (it.param == fi->lParam) return k;
        } else if (fi->flags & LVFI_PARTIAL) {
          if (it.text.size() >= want.size() && cp::CompareNoCase(std::u16string_view(it.text).substr(0, want.size()), want) == 0) return k;
        } else if (cp::CompareNoCase(it.text, want) == 0) {
          return k;
        }
      }
      return -1;
    }
    case LVM_GETITEMRECT: {
      auto* r = reinterpret_cast<RECT*>(lp);
      int i = static_cast<int>(wp);
      if (!r || i < 0 || i >= static_cast<int>(d->items.size())) return FALSE;
      RECT ic, lb;
      ItemRects(h, *d, i, &ic, &lb);
      switch (r->left) {
        case LVIR_ICON: *r = ic; break;
        case LVIR_LABEL: *r = lb; break;
        default: *r = CellRect(h, *d, i); break;
      }
      return TRUE;
    }
    case LVM_GETITEMPOSITION: {
      auto* p = reinterpret_cast<POINT*>(lp);
      int i = static_cast<int>(wp);
      if (!p || i < 0 || i >= static_cast<int>(d->items.size())) return FALSE;
      RECT c = CellRect(h, *d, i);
      *p = POINT{c.left, c.top};
      return TRUE;
    }
    case LVM_HITTEST: {
      auto* ht = reinterpret_cast<LVHITTESTINFO*>(lp);
      if (!ht) return -1;
      ht->iItem = HitItem(h, *d, ht->pt, &ht->flags);
      ht->iSubItem = 0;
      return ht->iItem;
    }
    case LVM_ENSUREVISIBLE: {
      int i = static_cast<int>(wp);
      if (i < 0 || i >= static_cast<int>(d->items.size())) return FALSE;
      EnsureVisible(h, *d, i);
      return TRUE;
    }
    case LVM_SCROLL: {
      // The items are arranged in rows: only the vertical part scrolls, within the rows.
      ScrollTo(h, *d, d->scrollY + static_cast<int>(static_cast<int32_t>(lp)));
      return TRUE;
    }
    case LVM_GETORIGIN: {
      auto* p = reinterpret_cast<POINT*>(lp);
      if (!p) return FALSE;
      *p = POINT{0, d->scrollY};
      return TRUE;
    }
    case LVM_ARRANGE:
    case LVM_UPDATE:
    case LVM_REDRAWITEMS:
      InvalidateRect(h, nullptr, FALSE);
      return TRUE;
    case LVM_GETTOPINDEX: {
      SIZE c = CellSize(h, *d);
      return (d->scrollY / std::max<LONG>(1, c.cy)) * Columns(h, *d);
    }
    case LVM_GETCOUNTPERPAGE: {
      RECT r;
      GetClientRect(h, &r);
      SIZE c = CellSize(h, *d);
      return std::max<LONG>(1, (r.bottom - r.top) / std::max<LONG>(1, c.cy)) * Columns(h, *d);
    }
    case LVM_SETBKCOLOR:
      d->bk = static_cast<COLORREF>(lp);
      InvalidateRect(h, nullptr, FALSE);
      return TRUE;
    case LVM_GETBKCOLOR:
      return static_cast<LRESULT>(d->bk == CLR_DEFAULT ? GetSysColor(COLOR_WINDOW) : d->bk);
    case LVM_SETTEXTCOLOR:
      d->text = static_cast<COLORREF>(lp);
      InvalidateRect(h, nullptr, FALSE);
      return TRUE;
    case LVM_GETTEXTCOLOR:
      return static_cast<LRESULT>(d->text == CLR_DEFAULT ? GetSysColor(COLOR_WINDOWTEXT) : d->text);
    case LVM_SETTEXTBKCOLOR:
      d->textBk = static_cast<COLORREF>(lp);
      return TRUE;
    case LVM_GETTEXTBKCOLOR:
      return static_cast<LRESULT>(d->textBk);
    case LVM_SETEXTENDEDLISTVIEWSTYLE: {
      DWORD old = d->exStyle;
      DWORD mask = wp ? static_cast<DWORD>(wp) : 0xFFFFFFFFu;
      d->exStyle = (d->exStyle & ~mask) | (static_cast<DWORD>(lp) & mask);
      return static_cast<LRESULT>(old);
    }
    case LVM_GETEXTENDEDLISTVIEWSTYLE:
      return static_cast<LRESULT>(d->exStyle);
    case LVM_SETUNICODEFORMAT: {
      bool old = d->unicode;
      d->unicode = wp != 0;
      return old;
    }
    case LVM_GETUNICODEFORMAT:
      return d->unicode;
    case LVM_GETSTRINGWIDTHW:
    case LVM_GETSTRINGWIDTHA: {
      if (!lp) return 0;
      std::u16string s = msg == LVM_GETSTRINGWIDTHW ? std::u16string(reinterpret_cast<const char16_t*>(lp))
                                                    : AnsiToWide(reinterpret_cast<const char*>(lp));
      HDC dc = GetDC(h);
      HGDIOBJ old = SelectObject(dc, ControlFont(d->font));
      int w = paint::TextWidth(dc, s, s.size());
      SelectObject(dc, old);
      ReleaseDC(h, dc);
      return w;
    }
    default:
      break;
  }
  return DefWindowProcW(h, msg, wp, lp);
}

}  // namespace

ATOM RegisterListViewClass() {
  return RegisterControlClass(u"SysListView32", ListViewProc, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, IDC_ARROW);
}

}  // namespace winplat::controls
