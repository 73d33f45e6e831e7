// The LISTBOX class: strings and item data, sorted lists, single, multiple and extended
// selection by keyboard and mouse, scrolling, several columns, owner-drawn items of fixed or
// variable height, lists without data (LBS_NODATA: only a count of rows, LB_SETCOUNT), and
// folder listings (LB_DIR).
#include <algorithm>
#include <cstring>

#include "controls/control_window.h"
#include "controls/listbox_model.h"
#include "controls/paint.h"
#include "internal/paths.h"
#include "winbase.h"
#include "wingdi.h"
#include "wintext.h"

namespace winplat::controls {

namespace {

struct ListData {
  ListBoxModel m;
  HFONT font = nullptr;
  int itemHeight = 0;   // 0: from the font
  int columnWidth = 0;  // multi-column lists: LB_SETCOLUMNWIDTH's, 0 until given
  int fontColumnWidth = 0;  // the font's, worked out once per font
  bool focused = false;
  bool tracking = false;
  bool redraw = true;
  bool nodata = false;  // LBS_NODATA: rows without text or data, drawn by the owner
  DWORD bars = 0;  // WS_VSCROLL / WS_HSCROLL it was made with: shown while the items overflow
};

bool OwnerDraw(DWORD style) { return (style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) != 0; }
bool Variable(DWORD style) { return (style & LBS_OWNERDRAWVARIABLE) && !(style & LBS_MULTICOLUMN); }


int ItemHeight(HWND h, ListData& d) {
  if (d.itemHeight <= 0) d.itemHeight = FontHeight(h, d.font);
  return d.itemHeight;
}

// The height of one item: its own in a list of variable height, else the common one.
int HeightOf(HWND h, ListData& d, int index) {
  if (d.m.VariableHeight()) {
    int ih = d.m.ItemHeight(index);
    if (ih > 0) return ih;
  }
  return ItemHeight(h, d);
}

// LB_SETCOLUMNWIDTH's width, or sixteen average characters of the font.
int ColumnWidth(HWND h, ListData& d) {
  if (d.columnWidth > 0) return d.columnWidth;
  if (d.fontColumnWidth <= 0) d.fontColumnWidth = std::max(1, 16 * static_cast<int>(FontMetrics(h, d.font).tmAveCharWidth));
  return d.fontColumnWidth;
}

void UpdateRows(HWND h, ListData& d) {
  RECT r;
  GetClientRect(h, &r);
  int height = static_cast<int>(r.bottom - r.top);
  d.m.SetViewHeight(height);
  if (d.m.VariableHeight()) {
    d.m.SetVisibleRows(d.m.RowsFromTop());
    return;
  }
  d.m.SetVisibleRows(std::max(1, height / ItemHeight(h, d)));
  if (d.m.MultiColumn())
    d.m.SetVisibleColumns(std::max(1, static_cast<int>(r.right - r.left) / ColumnWidth(h, d)));
}

// The rectangle of an item in client coordinates, also for items scrolled out of view.
RECT ItemRect(HWND h, ListData& d, int index) {
  RECT c;
  GetClientRect(h, &c);
  int top = d.m.TopIndex();
  if (d.m.MultiColumn()) {
    int rows = d.m.VisibleRows(), ih = ItemHeight(h, d), cw = ColumnWidth(h, d);
    int col = index / rows - top / rows, row = index % rows;
    return RECT{col * cw, row * ih, (col + 1) * cw, (row + 1) * ih};
  }
  int y = 0;
  if (d.m.VariableHeight()) {
    for (int i = top; i < index; ++i) y += HeightOf(h, d, i);
    for (int i = index; i < top; ++i) y -= HeightOf(h, d, i);
  } else {
    y = (index - top) * ItemHeight(h, d);
  }
  return RECT{c.left, y, c.right, y + HeightOf(h, d, index)};
}

// The item under a client point: its index, Count() below the last one, -1 above the first.
int IndexAt(HWND h, ListData& d, int x, int y) {
  int top = d.m.TopIndex();
  if (y < 0) return top - 1;
  if (d.m.MultiColumn()) {
    int rows = d.m.VisibleRows(), ih = ItemHeight(h, d), cw = ColumnWidth(h, d);
    int row = y / ih;
    if (row >= rows) return d.m.Count();
    int col = x < 0 ? -1 : x / cw;
    return std::min(d.m.Count(), std::max(-1, top + col * rows + row));
  }
  if (d.m.VariableHeight()) {
    int bottom = 0;
    for (int i = top; i < d.m.Count(); ++i) {
      bottom += HeightOf(h, d, i);
      if (y < bottom) return i;
    }
    return d.m.Count();
  }
  return std::min(d.m.Count(), top + y / ItemHeight(h, d));
}

// The bar shows while the items overflow the view and hides when they fit; LBS_DISABLENOSCROLL
// keeps it, disabled.
void UpdateScroll(HWND h, ListData& d) {
  DWORD style = Style(h);
  bool multi = d.m.MultiColumn();
  if (!(d.bars & (multi ? WS_HSCROLL : WS_VSCROLL))) return;
  SCROLLINFO si{};
  si.cbSize = sizeof(si);
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | ((style & LBS_DISABLENOSCROLL) ? SIF_DISABLENOSCROLL : 0);
  si.nMin = 0;
  if (multi) {
    int rows = d.m.VisibleRows();
    si.nMax = d.m.Count() > 0 ? (d.m.Count() - 1) / rows : 0;
    si.nPage = static_cast<UINT>(d.m.VisibleColumns());
    si.nPos = d.m.TopIndex() / rows;
  } else {
    si.nMax = std::max(0, d.m.Count() - 1);
    si.nPage = static_cast<UINT>(d.m.VisibleRows());
    si.nPos = d.m.TopIndex();
  }
  SetScrollInfo(h, multi ? SB_HORZ : SB_VERT, &si, TRUE);
}

void Redraw(HWND h, ListData& d) {
  if (!d.redraw) return;
  if (d.m.VariableHeight()) UpdateRows(h, d);
  UpdateScroll(h, d);
  InvalidateRect(h, nullptr, FALSE);
}

// The largest top index that still fills the view (a multi-column list: the first item of
// the first column of the last page).
int MaxTop(HWND h, ListData& d) {
  int n = d.m.Count();
  if (n == 0) return 0;
  if (d.m.MultiColumn()) {
    int rows = d.m.VisibleRows();
    int columns = (n - 1) / rows + 1;
    return std::max(0, columns - d.m.VisibleColumns()) * rows;
  }
  if (d.m.VariableHeight()) {
    RECT c;
    GetClientRect(h, &c);
    int sum = 0, top = n;
    while (top > 0 && sum + HeightOf(h, d, top - 1) <= c.bottom - c.top) sum += HeightOf(h, d, --top);
    return std::min(top, n - 1);
  }
  return std::max(0, n - d.m.VisibleRows());
}

void ScrollTo(HWND h, ListData& d, int top) {
  top = std::clamp(top, 0, MaxTop(h, d));
  if (d.m.MultiColumn()) top -= top % d.m.VisibleRows();
  d.m.SetTopIndex(top);
  Redraw(h, d);
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
  for (int i = d.m.TopIndex(); i < d.m.Count(); ++i) {
    RECT row = ItemRect(h, d, i);
    if (row.left >= r.right) break;
    if (row.top >= r.bottom) {
      if (d.m.MultiColumn()) continue;
      break;
    }
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
    RECT row{r.left, r.top, d.m.MultiColumn() ? r.left + ColumnWidth(h, d) : r.right, r.top + ItemHeight(h, d)};
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

// Owner-drawn items of lists without strings are the parent's: it hears of each one removed.
void DeleteItemNotice(HWND h, ListData& d, int index) {
  DWORD style = Style(h);
  if (d.nodata || !OwnerDraw(style) || (style & LBS_HASSTRINGS)) return;
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

// Asks the parent for an item's height (WM_MEASUREITEM): once for the whole list of fixed
// height (index -1), for every item added to a list of variable height.
int MeasureItem(HWND h, ListData& d, int index, ULONG_PTR data) {
  MEASUREITEMSTRUCT mi{};
  mi.CtlType = ODT_LISTBOX;
  mi.CtlID = static_cast<UINT>(GetDlgCtrlID(h));
  mi.itemID = index < 0 ? 0 : static_cast<UINT>(index);
  mi.itemHeight = static_cast<UINT>(FontHeight(h, d.font));
  mi.itemData = data;
  if (HWND p = NotifyTarget(h)) SendMessageW(p, WM_MEASUREITEM, static_cast<WPARAM>(mi.CtlID), reinterpret_cast<LPARAM>(&mi));
  return std::clamp(static_cast<int>(mi.itemHeight), 1, 255);
}

int AddItem(HWND h, ListData& d, UINT msg, WPARAM wp, LPARAM lp) {
  bool strings = d.m.HasStrings();
  std::u16string_view text = strings && lp ? std::u16string_view(reinterpret_cast<const char16_t*>(lp)) : std::u16string_view();
  ULONG_PTR data = strings || d.nodata ? 0 : static_cast<ULONG_PTR>(lp);
  int r = msg == LB_ADDSTRING ? d.m.Add(text, data) : d.m.Insert(static_cast<int>(wp), text, data);
  if (r >= 0 && d.m.VariableHeight()) d.m.SetItemHeight(r, MeasureItem(h, d, r, static_cast<ULONG_PTR>(lp)));
  Redraw(h, d);
  return r;
}

// LB_DIR: the entries of a folder matching a file specification, of the attributes asked for.
// Folders show as "[name]", the drive as "[-c-]". Answers the index of the last one added.
int AddDirectory(HWND h, ListData& d, UINT attrs, const char16_t* spec) {
  std::u16string path = spec && *spec ? std::u16string(spec) : std::u16string(u"*.*");
  size_t cut = path.find_last_of(u"\\/:");
  std::u16string folder = cut == std::u16string::npos ? std::u16string() : path.substr(0, cut + 1);
  std::u16string pattern = cut == std::u16string::npos ? path : path.substr(cut + 1);
  if (pattern.empty()) pattern = u"*.*";
  const DWORD kinds = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
  int last = LB_ERR;
  auto add = [&](const std::u16string& text) {
    int r = AddItem(h, d, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    if (r >= 0) last = r;
  };
  std::u16string all = folder + u"*";
  WIN32_FIND_DATAW fd{};
  HANDLE f = FindFirstFileW(reinterpret_cast<LPCWSTR>(all.c_str()), &fd);
  if (f != INVALID_HANDLE_VALUE) {
    do {
      std::u16string name(reinterpret_cast<const char16_t*>(fd.cFileName));
      DWORD a = fd.dwFileAttributes;
      if (name == u".") continue;
      if (a & FILE_ATTRIBUTE_DIRECTORY) {
        // Folders are listed whatever the pattern, apart from hidden ones unless asked for.
        if ((attrs & DDL_DIRECTORY) && (!(a & FILE_ATTRIBUTE_HIDDEN) || (attrs & DDL_HIDDEN) || name == u".."))
          add(u"[" + name + u"]");
        continue;
      }
      if (!MatchFindMask(pattern, name)) continue;
      DWORD extra = a & kinds & ~FILE_ATTRIBUTE_ARCHIVE;
      bool wanted;
      if (attrs & DDL_EXCLUSIVE) wanted = (a & attrs & kinds) != 0;
      else wanted = (extra & ~attrs) == 0;  // read-write files always, others when their kind is asked
      if (wanted) add(name);
    } while (FindNextFileW(f, &fd));
    FindClose(f);
  }
  // Every drive letter names the one root here.
  if (attrs & DDL_DRIVES) add(u"[-c-]");
  return last;
}

LRESULT CALLBACK ListBoxProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  ListData* d = StateOf<ListData>(h);
  if (msg == WM_NCCREATE) {
    d = new ListData;
    SetState(h, d);
    SetControlKind(h, u"LISTBOX");
    DWORD style = static_cast<DWORD>(reinterpret_cast<CREATESTRUCTW*>(lp)->style);
    ListBoxModel::Selection kind = ListBoxModel::Selection::Single;
    if (style & LBS_NOSEL) kind = ListBoxModel::Selection::None;
    else if (style & LBS_EXTENDEDSEL) kind = ListBoxModel::Selection::Extended;
    else if (style & LBS_MULTIPLESEL) kind = ListBoxModel::Selection::Multiple;
    d->m.SetSelection(kind);
    d->m.SetSorted((style & LBS_SORT) != 0);
    d->m.SetHasStrings(!OwnerDraw(style) || (style & LBS_HASSTRINGS));
    d->m.SetMultiColumn((style & LBS_MULTICOLUMN) != 0);
    d->m.SetVariableHeight(Variable(style));
    // Rows without data need the owner to draw them at one height, and nothing to sort by.
    d->nodata = (style & LBS_NODATA) && (style & LBS_OWNERDRAWFIXED) && !(style & (LBS_HASSTRINGS | LBS_SORT));
    d->bars = style & (WS_VSCROLL | WS_HSCROLL);
  }
  if (!d) return DefWindowProcW(h, msg, wp, lp);
  DWORD style = Style(h);
  switch (msg) {
    case WM_CREATE:
      // The parent tells the height of the items of a fixed owner-drawn list.
      if (OwnerDraw(style) && !Variable(style)) d->itemHeight = MeasureItem(h, *d, -1, 0);
      UpdateRows(h, *d);
      UpdateScroll(h, *d);
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
      d->fontColumnWidth = 0;
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
      int i = IndexAt(h, *d, GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
      if (i < 0 || i >= d->m.Count()) return 0;
      // Capture first: the parent's answer to the change may hide the list or run a message
      // loop that takes the button's release, and either gives the capture back.
      d->tracking = true;
      SetCapture(h);
      Report(h, *d, d->m.Click(i, (wp & MK_SHIFT) != 0, (wp & MK_CONTROL) != 0));
      return 0;
    }
    case WM_MOUSEMOVE:
      // Dragging moves the selection of a single list, and the range of an extended one.
      if (d->tracking && (wp & MK_LBUTTON)) {
        int i = std::clamp(IndexAt(h, *d, GET_X_LPARAM(lp), GET_Y_LPARAM(lp)), 0, std::max(0, d->m.Count() - 1));
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
      // Three rows a notch, a column in a multi-column list.
      int step = d->m.MultiColumn() ? d->m.VisibleRows() : 3;
      ScrollTo(h, *d, d->m.TopIndex() + (GET_WHEEL_DELTA_WPARAM(wp) > 0 ? -step : step));
      return 0;
    }
    case WM_VSCROLL:
    case WM_HSCROLL: {
      // A multi-column list scrolls sideways by columns, the others up and down by rows.
      bool multi = d->m.MultiColumn();
      if ((msg == WM_HSCROLL) != multi) return 0;
      int unit = multi ? d->m.VisibleRows() : 1;
      int page = multi ? d->m.VisibleRows() * d->m.VisibleColumns() : d->m.VisibleRows();
      int top = d->m.TopIndex();
      switch (LOWORD(wp)) {
        case SB_LINEUP: top -= unit; break;
        case SB_LINEDOWN: top += unit; break;
        case SB_PAGEUP: top -= page; break;
        case SB_PAGEDOWN: top += page; break;
        case SB_TOP: top = 0; break;
        case SB_BOTTOM: top = d->m.Count(); break;
        case SB_THUMBPOSITION: case SB_THUMBTRACK: top = HIWORD(wp) * unit; break;
        default: break;
      }
      ScrollTo(h, *d, top);
      return 0;
    }
    case LB_ADDSTRING:
    case LB_INSERTSTRING:
      return AddItem(h, *d, msg, wp, lp);
    case LB_DIR:
      return AddDirectory(h, *d, static_cast<UINT>(wp), reinterpret_cast<const char16_t*>(lp));
    case LB_ADDFILE: {
      if (!lp) return LB_ERR;
      return AddItem(h, *d, LB_ADDSTRING, 0, lp);
    }
    case LB_SETCOLUMNWIDTH:
      d->columnWidth = std::max(1, static_cast<int>(wp));
      UpdateRows(h, *d);
      Redraw(h, *d);
      return 0;
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
    case LB_SETCOUNT: {
      if (!d->nodata) return LB_ERR;
      int r = d->m.SetCount(static_cast<int>(wp));
      Redraw(h, *d);
      return r;
    }
    case LB_GETTEXTLEN:
      if (d->nodata) return LB_ERR;
      if (!d->m.HasStrings()) return d->m.At(static_cast<int>(wp)) ? static_cast<LRESULT>(sizeof(ULONG_PTR)) : LB_ERR;
      return d->m.TextLength(static_cast<int>(wp));
    case LB_GETTEXT: {
      const auto* item = d->m.At(static_cast<int>(wp));
      if (!item || !lp || d->nodata) return LB_ERR;
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
      if (d->nodata) return LB_ERR;
      return d->m.SetData(static_cast<int>(wp), static_cast<ULONG_PTR>(lp)) ? 0 : LB_ERR;
    case LB_FINDSTRING:
    case LB_FINDSTRINGEXACT:
    case LB_SELECTSTRING: {
      if (!lp || d->nodata) return LB_ERR;
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
      int i = static_cast<int>(wp);
      if (i < 0 || (i >= d->m.Count() && !(i == 0 && d->m.Count() == 0))) return LB_ERR;
      ScrollTo(h, *d, i);
      return 0;
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
      // A list of variable height answers the item's own; the others the common one.
      if (d->m.VariableHeight()) return d->m.At(static_cast<int>(wp)) ? HeightOf(h, *d, static_cast<int>(wp)) : LB_ERR;
      return ItemHeight(h, *d);
    case LB_SETITEMHEIGHT:
      if (LOWORD(lp) == 0 || LOWORD(lp) > 255) return LB_ERR;
      if (d->m.VariableHeight()) {
        if (!d->m.SetItemHeight(static_cast<int>(wp), LOWORD(lp))) return LB_ERR;
      } else {
        d->itemHeight = LOWORD(lp);
      }
      UpdateRows(h, *d);
      Redraw(h, *d);
      return 0;
    case LB_GETITEMRECT: {
      int i = static_cast<int>(wp);
      if (!lp || (i != 0 && !d->m.At(i))) return LB_ERR;
      *reinterpret_cast<RECT*>(lp) = ItemRect(h, *d, i);
      return 1;
    }
    case LB_ITEMFROMPOINT: {
      int x = GET_X_LPARAM(lp), y = GET_Y_LPARAM(lp);
      int i = IndexAt(h, *d, x, y);
      RECT r;
      GetClientRect(h, &r);
      bool outside = x < 0 || y < 0 || x >= r.right || y >= r.bottom || i < 0 || i >= d->m.Count();
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
