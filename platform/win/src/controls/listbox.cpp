// The LISTBOX class: strings and item data, sorted lists, single, multiple and extended
// selection by keyboard and mouse, scrolling, and owner-drawn items of fixed height.
#include <algorithm>
#include <cstring>

#include "controls/control_window.h"
#include "controls/listbox_model.h"
#include "controls/paint.h"
#include "wingdi.h"
#include "wintext.h"

namespace winplat::controls {

namespace {

struct ListData {
  ListBoxModel m;
  HFONT font = nullptr;
  int itemHeight = 0;  // 0: from the font
  bool focused = false;
  bool tracking = false;
  bool redraw = true;
};

bool OwnerDraw(DWORD style) { return (style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) != 0; }

int FontHeight(HWND h, HFONT f) {
  HDC dc = GetDC(h);
  HGDIOBJ old = SelectObject(dc, ControlFont(f));
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(h, dc);
  return std::max<int>(1, static_cast<int>(tm.tmHeight));
}

int ItemHeight(HWND h, ListData& d) {
  if (d.itemHeight <= 0) d.itemHeight = FontHeight(h, d.font);
  return d.itemHeight;
}

void UpdateRows(HWND h, ListData& d) {
  RECT r;
  GetClientRect(h, &r);
  d.m.SetVisibleRows(std::max(1, static_cast<int>(r.bottom - r.top) / ItemHeight(h, d)));
}

void UpdateScroll(HWND h, ListData& d) {
  if (!(Style(h) & WS_VSCROLL)) return;
  SCROLLINFO si{};
  si.cbSize = sizeof(si);
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | ((Style(h) & LBS_DISABLENOSCROLL) ? SIF_DISABLENOSCROLL : 0);
  si.nMin = 0;
  si.nMax = std::max(0, d.m.Count() - 1);
  si.nPage = static_cast<UINT>(d.m.VisibleRows());
  si.nPos = d.m.TopIndex();
  SetScrollInfo(h, SB_VERT, &si, TRUE);
}

void Redraw(HWND h, ListData& d) {
  if (!d.redraw) return;
  UpdateScroll(h, d);
  InvalidateRect(h, nullptr, FALSE);
}

void Paint(HWND h, HDC dc, ListData& d) {
  DWORD style = Style(h);
  RECT r;
  GetClientRect(h, &r);
  HGDIOBJ oldFont = SelectObject(dc, ControlFont(d.font));
  HBRUSH bg = ParentBrush(h, dc, WM_CTLCOLORLISTBOX);
  if (bg) FillRect(dc, &r, bg);
  else paint::FillSys(dc, r, COLOR_WINDOW);
  bool disabled = (style & WS_DISABLED) != 0;
  int ih = ItemHeight(h, d);
  for (int i = d.m.TopIndex(); i < d.m.Count(); ++i) {
    int top = static_cast<int>(r.top) + (i - d.m.TopIndex()) * ih;
    if (top >= r.bottom) break;
    RECT row{r.left, top, r.right, top + ih};
    bool sel = d.m.GetSel(i) > 0;
    bool caret = d.focused && i == d.m.Caret() && (d.m.MultiSel() || d.m.CurSel() == i || d.m.CurSel() < 0);
    const auto* item = d.m.At(i);
    if (OwnerDraw(style)) {
      DRAWITEMSTRUCT di{};
      di.CtlType = ODT_LISTBOX;
      di.CtlID = static_cast<UINT>(GetDlgCtrlID(h));
      di.itemID = static_cast<UINT>(i);
      di.itemAction = ODA_DRAWENTIRE;
      di.itemState = (sel ? ODS_SELECTED : 0) | (caret ? ODS_FOCUS : 0) | (disabled ? ODS_DISABLED : 0);
      di.hwndItem = h;
      di.hDC = dc;
      di.rcItem = row;
      di.itemData = item->data;
      if (HWND p = NotifyTarget(h)) SendMessageW(p, WM_DRAWITEM, static_cast<WPARAM>(di.CtlID), reinterpret_cast<LPARAM>(&di));
    } else {
      paint::ListItem(dc, row, item->text, sel, caret, disabled, d.focused);
    }
  }
  // An empty focused list shows the focus rectangle on its first row.
  if (d.focused && d.m.Count() == 0) {
    RECT row{r.left, r.top, r.right, r.top + ih};
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
    DrawFocusRect(dc, &row);
  }
  SelectObject(dc, oldFont);
}

void Report(HWND h, ListData& d, const ListBoxModel::Change& c) {
  if (c.selChanged || c.caretMoved || c.scrolled) Redraw(h, d);
  if (c.selChanged && (Style(h) & LBS_NOTIFY)) NotifyParent(h, LBN_SELCHANGE);
}

int IndexAt(HWND h, ListData& d, int y) {
  int row = y < 0 ? -1 : y / ItemHeight(h, d);
  return d.m.TopIndex() + row;
}

// Owner-drawn items of lists without strings are the parent's: it hears of each one removed.
void DeleteItemNotice(HWND h, ListData& d, int index) {
  DWORD style = Style(h);
  if (!OwnerDraw(style) || (style & LBS_HASSTRINGS)) return;
  const auto* item = d.m.At(index);
  if (!item) return;
  DELETEITEMSTRUCT ds{};
  ds.CtlType = ODT_LISTBOX;
  ds.CtlID = static_cast<UINT>(GetDlgCtrlID(h));
  ds.itemID = static_cast<UINT>(index);
  ds.hwndItem = h;
  ds.itemData = item->data;
  if (HWND p = NotifyTarget(h)) SendMessageW(p, WM_DELETEITEM, static_cast<WPARAM>(ds.CtlID), reinterpret_cast<LPARAM>(&ds));
}

LRESULT CALLBACK ListBoxProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  ListData* d = StateOf<ListData>(h);
  if (msg == WM_NCCREATE) {
    d = new ListData;
    SetState(h, d);
    DWORD style = static_cast<DWORD>(reinterpret_cast<CREATESTRUCTW*>(lp)->style);
    ListBoxModel::Selection kind = ListBoxModel::Selection::Single;
    if (style & LBS_NOSEL) kind = ListBoxModel::Selection::None;
    else if (style & LBS_EXTENDEDSEL) kind = ListBoxModel::Selection::Extended;
    else if (style & LBS_MULTIPLESEL) kind = ListBoxModel::Selection::Multiple;
    d->m.SetSelection(kind);
    d->m.SetSorted((style & LBS_SORT) != 0);
    d->m.SetHasStrings(!OwnerDraw(style) || (style & LBS_HASSTRINGS));
  }
  if (!d) return DefWindowProcW(h, msg, wp, lp);
  DWORD style = Style(h);
  switch (msg) {
    case WM_CREATE:
      if (OwnerDraw(style)) {
        // The parent tells the height of the items.
        MEASUREITEMSTRUCT mi{};
        mi.CtlType = ODT_LISTBOX;
        mi.CtlID = static_cast<UINT>(GetDlgCtrlID(h));
        mi.itemHeight = static_cast<UINT>(FontHeight(h, d->font));
        if (HWND p = NotifyTarget(h)) SendMessageW(p, WM_MEASUREITEM, static_cast<WPARAM>(mi.CtlID), reinterpret_cast<LPARAM>(&mi));
        d->itemHeight = std::max(1, static_cast<int>(mi.itemHeight));
      }
      UpdateRows(h, *d);
      return 0;
    case WM_NCDESTROY:
      for (int i = 0; i < d->m.Count(); ++i) DeleteItemNotice(h, *d, i);
      SetState<ListData>(h, nullptr);
      delete d;
      break;
    case WM_SIZE:
      UpdateRows(h, *d);
      Redraw(h, *d);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = wp ? reinterpret_cast<HDC>(wp) : BeginPaint(h, &ps);
      Paint(h, dc, *d);
      if (!wp) EndPaint(h, &ps);
      return 0;
    }
    case WM_PRINTCLIENT:
      Paint(h, reinterpret_cast<HDC>(wp), *d);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFONT:
      d->font = reinterpret_cast<HFONT>(wp);
      if (!OwnerDraw(style)) d->itemHeight = 0;
      UpdateRows(h, *d);
      if (LOWORD(lp)) Redraw(h, *d);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(d->font);
    case WM_SETREDRAW:
      d->redraw = wp != 0;
      if (d->redraw) Redraw(h, *d);
      return 0;
    case WM_ENABLE:
      Redraw(h, *d);
      return 0;
    case WM_SETFOCUS:
      d->focused = true;
      Redraw(h, *d);
      if (style & LBS_NOTIFY) NotifyParent(h, LBN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      d->focused = false;
      d->tracking = false;
      Redraw(h, *d);
      if (style & LBS_NOTIFY) NotifyParent(h, LBN_KILLFOCUS);
      return 0;
    case WM_KEYDOWN: {
      int caret = d->m.Caret();
      if (style & LBS_WANTKEYBOARDINPUT) {
        HWND p = NotifyTarget(h);
        LRESULT r = p ? SendMessageW(p, WM_VKEYTOITEM, CommandParam(static_cast<int>(wp), static_cast<WORD>(caret)),
                                     reinterpret_cast<LPARAM>(h))
                      : -1;
        if (r == -2) return 0;
        if (r >= 0) {
          Report(h, *d, d->m.Click(static_cast<int>(r), false, false));
          return 0;
        }
      }
      Report(h, *d, d->m.Key(static_cast<UINT>(wp), ShiftDown(), CtrlDown()));
      return 0;
    }
    case WM_CHAR:
      if (static_cast<char16_t>(wp) == u' ' && d->m.MultiSel()) return 0;  // WM_KEYDOWN did it
      Report(h, *d, d->m.CharKey(static_cast<char16_t>(wp)));
      return 0;
    case WM_LBUTTONDOWN: {
      if (GetFocus() != h) SetFocus(h);
      int i = IndexAt(h, *d, GET_Y_LPARAM(lp));
      if (i >= d->m.Count()) return 0;
      Report(h, *d, d->m.Click(i, (wp & MK_SHIFT) != 0, (wp & MK_CONTROL) != 0));
      d->tracking = true;
      SetCapture(h);
      return 0;
    }
    case WM_MOUSEMOVE:
      // Dragging moves the selection of a single list, and the range of an extended one.
      if (d->tracking && (wp & MK_LBUTTON)) {
        int i = std::clamp(IndexAt(h, *d, GET_Y_LPARAM(lp)), 0, std::max(0, d->m.Count() - 1));
        if (i != d->m.Caret() && d->m.Count() > 0) {
          auto k = d->m.GetSelectionKind();
          if (k == ListBoxModel::Selection::Single || k == ListBoxModel::Selection::None)
            Report(h, *d, d->m.Click(i, false, false));
          else if (k == ListBoxModel::Selection::Extended)
            Report(h, *d, d->m.Click(i, true, false));
        }
      }
      return 0;
    case WM_LBUTTONUP:
      if (d->tracking) {
        d->tracking = false;
        ReleaseCapture();
      }
      return 0;
    case WM_CAPTURECHANGED:
      d->tracking = false;
      return 0;
    case WM_LBUTTONDBLCLK:
      if (style & LBS_NOTIFY) NotifyParent(h, LBN_DBLCLK);
      return 0;
    case WM_MOUSEWHEEL: {
      int delta = GET_WHEEL_DELTA_WPARAM(wp);
      int rows = delta > 0 ? -3 : 3;
      int top = std::clamp(d->m.TopIndex() + rows, 0, std::max(0, d->m.Count() - d->m.VisibleRows()));
      d->m.SetTopIndex(top);
      Redraw(h, *d);
      return 0;
    }
    case WM_VSCROLL: {
      int top = d->m.TopIndex(), page = d->m.VisibleRows();
      switch (LOWORD(wp)) {
        case SB_LINEUP: --top; break;
        case SB_LINEDOWN: ++top; break;
        case SB_PAGEUP: top -= page; break;
        case SB_PAGEDOWN: top += page; break;
        case SB_TOP: top = 0; break;
        case SB_BOTTOM: top = d->m.Count(); break;
        case SB_THUMBPOSITION: case SB_THUMBTRACK: top = HIWORD(wp); break;
        default: break;
      }
      top = std::clamp(top, 0, std::max(0, d->m.Count() - page));
      d->m.SetTopIndex(top);
      Redraw(h, *d);
      return 0;
    }
    case LB_ADDSTRING:
    case LB_INSERTSTRING: {
      bool strings = d->m.HasStrings();
      std::u16string_view text = strings && lp ? std::u16string_view(reinterpret_cast<const char16_t*>(lp)) : std::u16string_view();
      ULONG_PTR data = strings ? 0 : static_cast<ULONG_PTR>(lp);
      int r = msg == LB_ADDSTRING ? d->m.Add(text, data) : d->m.Insert(static_cast<int>(wp), text, data);
      Redraw(h, *d);
      return r;
    }
    case LB_DELETESTRING: {
      int i = static_cast<int>(wp);
      DeleteItemNotice(h, *d, i);
      int r = d->m.Delete(i);
      Redraw(h, *d);
      return r;
    }
    case LB_RESETCONTENT:
      for (int i = 0; i < d->m.Count(); ++i) DeleteItemNotice(h, *d, i);
      d->m.Reset();
      Redraw(h, *d);
      return 0;
    case LB_GETCOUNT:
      return d->m.Count();
    case LB_GETTEXTLEN:
      if (!d->m.HasStrings()) return d->m.At(static_cast<int>(wp)) ? static_cast<LRESULT>(sizeof(ULONG_PTR)) : LB_ERR;
      return d->m.TextLength(static_cast<int>(wp));
    case LB_GETTEXT: {
      const auto* item = d->m.At(static_cast<int>(wp));
      if (!item || !lp) return LB_ERR;
      if (!d->m.HasStrings()) {
        std::memcpy(reinterpret_cast<void*>(lp), &item->data, sizeof(item->data));
        return static_cast<LRESULT>(sizeof(item->data));
      }
      auto* out = reinterpret_cast<char16_t*>(lp);
      std::copy(item->text.begin(), item->text.end(), out);
      out[item->text.size()] = 0;
      return static_cast<LRESULT>(item->text.size());
    }
    case LB_GETITEMDATA: {
      const auto* item = d->m.At(static_cast<int>(wp));
      return item ? static_cast<LRESULT>(item->data) : LB_ERR;
    }
    case LB_SETITEMDATA:
      return d->m.SetData(static_cast<int>(wp), static_cast<ULONG_PTR>(lp)) ? 0 : LB_ERR;
    case LB_FINDSTRING:
    case LB_FINDSTRINGEXACT:
    case LB_SELECTSTRING: {
      if (!lp) return LB_ERR;
      std::u16string_view text(reinterpret_cast<const char16_t*>(lp));
      int after = static_cast<int>(wp);
      int i = msg == LB_FINDSTRINGEXACT ? d->m.FindExact(after, text) : d->m.FindPrefix(after, text);
      if (msg == LB_SELECTSTRING && i >= 0) {
        if (d->m.MultiSel()) return LB_ERR;
        d->m.SetCurSel(i);
        Redraw(h, *d);
      }
      return i;
    }
    case LB_SETCURSEL: {
      int r = d->m.SetCurSel(static_cast<int>(wp));
      Redraw(h, *d);
      return r;
    }
    case LB_GETCURSEL:
      return d->m.CurSel();
    case LB_GETSEL:
      return d->m.GetSel(static_cast<int>(wp));
    case LB_SETSEL: {
      int r = d->m.SetSel(wp != 0, static_cast<int>(lp));
      if (r == 0 && static_cast<int>(lp) >= 0) d->m.SetCaret(static_cast<int>(lp));
      Redraw(h, *d);
      return r;
    }
    case LB_GETSELCOUNT:
      return d->m.SelCount();
    case LB_GETSELITEMS: {
      if (!d->m.MultiSel()) return LB_ERR;
      auto items = d->m.SelItems();
      int n = std::min(static_cast<int>(wp), static_cast<int>(items.size()));
      auto* out = reinterpret_cast<int*>(lp);
      if (!out) return LB_ERR;
      for (int i = 0; i < n; ++i) out[i] = items[static_cast<size_t>(i)];
      return n;
    }
    case LB_SELITEMRANGE: {
      int r = d->m.SelItemRange(wp != 0, LOWORD(lp), HIWORD(lp));
      Redraw(h, *d);
      return r;
    }
    case LB_SELITEMRANGEEX: {
      // first > last deselects the range.
      int first = static_cast<int>(wp), last = static_cast<int>(lp);
      int r = first <= last ? d->m.SelItemRange(true, first, last) : d->m.SelItemRange(false, last, first);
      Redraw(h, *d);
      return r;
    }
    case LB_GETTOPINDEX:
      return d->m.TopIndex();
    case LB_SETTOPINDEX: {
      int i = std::min(static_cast<int>(wp), std::max(0, d->m.Count() - d->m.VisibleRows()));
      int r = d->m.SetTopIndex(std::max(0, i));
      Redraw(h, *d);
      return r;
    }
    case LB_GETCARETINDEX:
      return d->m.Count() ? d->m.Caret() : 0;
    case LB_SETCARETINDEX: {
      int r = d->m.SetCaret(static_cast<int>(wp));
      Redraw(h, *d);
      return r;
    }
    case LB_GETANCHORINDEX:
      return d->m.Anchor();
    case LB_SETANCHORINDEX:
      return d->m.SetAnchor(static_cast<int>(wp));
    case LB_GETITEMHEIGHT:
      return ItemHeight(h, *d);
    case LB_SETITEMHEIGHT:
      if (LOWORD(lp) == 0 || LOWORD(lp) > 255) return LB_ERR;
      d->itemHeight = LOWORD(lp);
      UpdateRows(h, *d);
      Redraw(h, *d);
      return 0;
    case LB_GETITEMRECT: {
      int i = static_cast<int>(wp);
      if (!lp || (i != 0 && !d->m.At(i))) return LB_ERR;
      RECT r;
      GetClientRect(h, &r);
      int ih = ItemHeight(h, *d);
      r.top = (i - d->m.TopIndex()) * ih;
      r.bottom = r.top + ih;
      *reinterpret_cast<RECT*>(lp) = r;
      return 1;
    }
    case LB_ITEMFROMPOINT: {
      int y = GET_Y_LPARAM(lp);
      int i = IndexAt(h, *d, y);
      RECT r;
      GetClientRect(h, &r);
      bool outside = y < 0 || y >= r.bottom || i >= d->m.Count();
      i = std::clamp(i, 0, std::max(0, d->m.Count() - 1));
      return static_cast<LRESULT>(MAKELONG(i, outside ? 1 : 0));
    }
    case LB_INITSTORAGE:
      return static_cast<LRESULT>(wp);
    default:
      break;
  }
  return DefWindowProcW(h, msg, wp, lp);
}

}  // namespace

ATOM RegisterListBoxClass() {
  return RegisterControlClass(u"ListBox", ListBoxProc, CS_DBLCLKS, IDC_ARROW);
}

}  // namespace winplat::controls
