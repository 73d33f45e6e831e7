// The toolbar class "ToolbarWindow32": button records with images from an image list or added
// bitmaps, a string pool, check and check-group buttons, flat hot tracking, and WM_COMMAND to
// the parent for a click.
#include <algorithm>
#include <memory>
#include <vector>

#include "controls/control_window.h"
#include "commctrl.h"
#include "controls/paint.h"
#include "controls/toolbar_model.h"
#include "internal/text.h"
#include "wingdi.h"
#include "wintext.h"

namespace winplat::controls {

namespace {

struct ToolbarData {
  ToolbarModel m;
  HIMAGELIST images = nullptr;     // given with TB_SETIMAGELIST (not owned)
  HIMAGELIST ownImages = nullptr;  // built from TB_ADDBITMAP
  HWND notify = nullptr;           // TB_SETPARENT
  HFONT font = nullptr;
  bool unicode = true;             // the format of notifications
  int hot = -1, pressed = -1;
  bool tracking = false, leaveTracked = false;
  DWORD exStyle = 0;
  int maxTextRows = 1;
  HWND tips = nullptr;
  bool ownTips = false;
  ~ToolbarData() {
    if (ownImages) ImageList_Destroy(ownImages);
  }
};

HIMAGELIST Images(ToolbarData& d) { return d.images ? d.images : d.ownImages; }

HWND Target(HWND h, ToolbarData& d) { return d.notify ? d.notify : NotifyTarget(h); }

ToolbarModel::Measure Measurer(HWND h, ToolbarData& d, HDC* dcOut) {
  HDC dc = GetDC(h);
  SelectObject(dc, ControlFont(d.font));
  *dcOut = dc;
  return [dc](std::u16string_view t) {
    RECT r{0, 0, 0, 0};
    DrawTextW(dc, t.data(), static_cast<int>(t.size()), &r, DT_CALCRECT | DT_SINGLELINE);
    return SIZE{r.right - r.left, r.bottom - r.top};
  };
}

int LayoutNow(HWND h, ToolbarData& d) {
  RECT r;
  GetClientRect(h, &r);
  HDC dc = nullptr;
  auto measure = Measurer(h, d, &dc);
  ToolbarModel::Measure noText = [](std::u16string_view) { return SIZE{0, 0}; };
  int need = d.m.Layout(static_cast<int>(r.right - r.left), d.maxTextRows > 0 ? measure : noText);
  ReleaseDC(h, dc);
  return need;
}

// Fits the bar to its parent's width and to the height the buttons need (CCS_TOP), unless
// told not to.
void AutoSize(HWND h, ToolbarData& d) {
  int need = LayoutNow(h, d);
  DWORD style = Style(h);
  if (style & CCS_NORESIZE) return;
  HWND p = GetParent(h);
  RECT pr{0, 0, 0, 0};
  if (p) GetClientRect(p, &pr);
  int extra = (style & CCS_NODIVIDER) ? 0 : 2;
  int width = p ? static_cast<int>(pr.right - pr.left) : 0;
  if (style & CCS_NOPARENTALIGN) {
    RECT wr;
    GetWindowRect(h, &wr);
    width = wr.right - wr.left;
    SetWindowPos(h, nullptr, 0, 0, width, need + extra, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
  } else {
    int y = (style & CCS_BOTTOM) == CCS_BOTTOM ? static_cast<int>(pr.bottom) - need - extra : 0;
    SetWindowPos(h, nullptr, 0, y, width, need + extra, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  LayoutNow(h, d);
}

// One tool per button, its text asked for when it shows.
void SyncTools(HWND h, ToolbarData& d) {
  if (!d.tips) return;
  int off = (Style(h) & CCS_NODIVIDER) ? 0 : 2;
  for (int i = 0; i < d.m.Count(); ++i) {
    const auto* b = d.m.At(i);
    TOOLINFOW ti{};
    ti.cbSize = sizeof(ti);
    ti.hwnd = h;
    ti.uId = static_cast<UINT_PTR>(b->command);
    ti.rect = b->rect;
    ti.rect.top += off;
    ti.rect.bottom += off;
    if ((b->style & ToolbarModel::kSep) || (b->state & ToolbarModel::kHidden)) {
      SendMessageW(d.tips, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
      continue;
    }
    ti.lpszText = LPSTR_TEXTCALLBACKW;
    SendMessageW(d.tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
  }
}

void Changed(HWND h, ToolbarData& d) {
  LayoutNow(h, d);
  SyncTools(h, d);
  InvalidateRect(h, nullptr, FALSE);
}

void RelayToTips(HWND h, ToolbarData& d, UINT msg, WPARAM wp, LPARAM lp) {
  if (!d.tips) return;
  MSG m{};
  m.hwnd = h;
  m.message = msg;
  m.wParam = wp;
  m.lParam = lp;
  SendMessageW(d.tips, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&m));
}

// The tooltip asks the toolbar for a button's text: the parent answers, in the toolbar's format.
LRESULT TipText(HWND h, ToolbarData& d, NMTTDISPINFOW* n) {
  HWND p = Target(h, d);
  if (!p) return 0;
  if (d.unicode) return SendMessageW(p, WM_NOTIFY, n->hdr.idFrom, reinterpret_cast<LPARAM>(n));
  NMTTDISPINFOA a{};
  a.hdr = n->hdr;
  a.hdr.code = TTN_GETDISPINFOA;
  a.uFlags = n->uFlags;
  a.lParam = n->lParam;
  LRESULT r = SendMessageA(p, WM_NOTIFY, n->hdr.idFrom, reinterpret_cast<LPARAM>(&a));
  std::u16string t = a.lpszText && !IS_INTRESOURCE(a.lpszText)
                         ? AnsiToWide(a.lpszText)
                         : AnsiToWide(std::string(a.szText, std::find(a.szText, a.szText + 80, '\0')));
  size_t k = std::min<size_t>(t.size(), 79);
  std::copy_n(t.data(), k, n->szText);
  n->szText[k] = 0;
  n->lpszText = n->szText;
  return r;
}

void Paint(HWND h, HDC dc, ToolbarData& d) {
  RECT r;
  GetClientRect(h, &r);
  DWORD style = Style(h);
  HGDIOBJ oldFont = SelectObject(dc, ControlFont(d.font));
  paint::FillSys(dc, r, COLOR_BTNFACE);
  if (!(style & CCS_NODIVIDER)) {
    RECT div{r.left, r.top, r.right, r.top + 2};
    paint::DrawEdge3D(dc, div, paint::Edge::SunkenThin);
  }
  int off = (style & CCS_NODIVIDER) ? 0 : 2;
  bool flat = (style & TBSTYLE_FLAT) != 0;
  bool list = (style & TBSTYLE_LIST) != 0;
  HIMAGELIST il = Images(d);
  for (int i = 0; i < d.m.Count(); ++i) {
    const auto& b = *d.m.At(i);
    if (b.state & ToolbarModel::kHidden) continue;
    RECT br = b.rect;
    br.top += off;
    br.bottom += off;
    if (b.style & ToolbarModel::kSep) {
      if (flat && (br.right - br.left) > (br.bottom - br.top)) {
        int y = (br.top + br.bottom) / 2 - 1;
        RECT line{br.left + 2, y, br.right - 2, y + 2};
        paint::DrawEdge3D(dc, line, paint::Edge::SunkenThin);
      } else if (flat) {
        int x = (br.left + br.right) / 2 - 1;
        RECT line{x, br.top + 2, x + 2, br.bottom - 2};
        paint::DrawEdge3D(dc, line, paint::Edge::SunkenThin);
      }
      continue;
    }
    bool enabled = (b.state & ToolbarModel::kEnabled) != 0;
    paint::ToolState ts;
    ts.pressed = (b.state & ToolbarModel::kPressed) || (d.pressed == i && d.tracking && d.hot == i);
    ts.checked = (b.state & ToolbarModel::kChecked) != 0;
    ts.hot = enabled && d.hot == i;
    ts.disabled = !enabled;
    ts.flat = flat;
    paint::ToolButtonFace(dc, br, ts);
    int shift = ts.pressed || ts.checked ? 1 : 0;
    std::u16string text = d.maxTextRows > 0 ? d.m.TextOf(b) : std::u16string();
    int iw = d.m.BitmapWidth(), ih = d.m.BitmapHeight();
    int ix = list ? br.left + 4 : br.left + (br.right - br.left - iw) / 2;
    int iy = list || text.empty() ? br.top + (br.bottom - br.top - ih) / 2 : br.top + 3;
    if (il && b.image >= 0)
      ImageList_DrawEx(il, b.image, dc, ix + shift, iy + shift, 0, 0, CLR_NONE,
                       enabled ? CLR_NONE : GetSysColor(COLOR_BTNFACE),
                       ILD_TRANSPARENT | (enabled ? 0 : ILD_BLEND50));
    if (!text.empty()) {
      RECT tr = list ? RECT{ix + iw + 2, br.top, br.right - 2, br.bottom} : RECT{br.left + 1, iy + ih + 1, br.right - 1, br.bottom - 1};
      tr.left += shift;
      tr.top += shift;
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
      UINT flags = DT_SINGLELINE | DT_END_ELLIPSIS | (list ? DT_VCENTER | DT_LEFT : DT_CENTER | DT_TOP);
      if (b.style & TBSTYLE_NOPREFIX) flags |= DT_NOPREFIX;
      DrawTextW(dc, text.data(), static_cast<int>(text.size()), &tr, flags);
    }
  }
  SelectObject(dc, oldFont);
}

// A TBBUTTON into the model; the string is an index of the pool or a pointer to text in the
// message's kind.
ToolbarModel::Button FromRecord(const TBBUTTON& tb, bool wide) {
  ToolbarModel::Button b;
  b.image = tb.iBitmap;
  b.command = tb.idCommand;
  b.state = tb.fsState;
  b.style = tb.fsStyle;
  b.data = tb.dwData;
  if (tb.iString != -1 && (static_cast<ULONG_PTR>(tb.iString) >> 16) != 0) {
    if (wide) b.text = reinterpret_cast<const char16_t*>(tb.iString);
    else b.text = AnsiToWide(reinterpret_cast<const char*>(tb.iString));
  } else {
    b.string = tb.iString;
  }
  return b;
}

int IndexOfCommand(ToolbarData& d, WPARAM id) { return d.m.CommandToIndex(static_cast<int>(id)); }

LRESULT StateFlag(HWND h, ToolbarData& d, WPARAM id, BYTE flag, bool on) {
  int i = IndexOfCommand(d, id);
  if (i < 0) return FALSE;
  auto* b = d.m.At(i);
  BYTE before = b->state;
  if (on) b->state |= flag;
  else b->state &= static_cast<BYTE>(~flag);
  if (before != b->state) {
    if (flag == ToolbarModel::kHidden) Changed(h, d);
    else InvalidateRect(h, nullptr, FALSE);
  }
  return TRUE;
}

int CommandAt(ToolbarData& d, int i) {
  const auto* b = d.m.At(i);
  return b ? b->command : -1;
}

// A notification with the toolbar's header to whoever gets its notifications.
LRESULT SendNotify(HWND h, ToolbarData& d, NMHDR* hdr, UINT code) {
  hdr->hwndFrom = h;
  hdr->idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(h));
  hdr->code = code;
  HWND p = Target(h, d);
  return p ? SendMessageW(p, WM_NOTIFY, hdr->idFrom, reinterpret_cast<LPARAM>(hdr)) : 0;
}

// The parent may refuse a change of the hot button (TBN_HOTITEMCHANGE answering nonzero).
void SetHot(HWND h, ToolbarData& d, int i, DWORD why = HICF_MOUSE) {
  if (d.hot == i) return;
  NMTBHOTITEM n{};
  n.idOld = CommandAt(d, d.hot);
  n.idNew = CommandAt(d, i);
  n.dwFlags = why | (d.hot < 0 ? HICF_ENTERING : 0) | (i < 0 ? HICF_LEAVING : 0);
  if (SendNotify(h, d, &n.hdr, TBN_HOTITEMCHANGE) != 0) return;
  d.hot = i;
  InvalidateRect(h, nullptr, FALSE);
}

LRESULT NotifyMouse(HWND h, ToolbarData& d, UINT code, int i, LPARAM lp) {
  NMMOUSE n{};
  const auto* b = d.m.At(i);
  n.dwItemSpec = b ? static_cast<DWORD_PTR>(b->command) : static_cast<DWORD_PTR>(-1);
  n.dwItemData = b ? b->data : 0;
  n.pt = POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
  return SendNotify(h, d, &n.hdr, code);
}

int AddStrings(ToolbarData& d, WPARAM inst, LPARAM lp, bool wide) {
  if (inst || !lp) return -1;  // strings from resources: there are none here
  std::vector<std::u16string> list;
  if (wide) {
    for (auto* p = reinterpret_cast<const char16_t*>(lp); *p;) {
      std::u16string s(p);
      p += s.size() + 1;
      list.push_back(std::move(s));
    }
  } else {
    for (auto* p = reinterpret_cast<const char*>(lp); *p;) {
      std::string s(p);
      p += s.size() + 1;
      list.push_back(AnsiToWide(s));
    }
  }
  return d.m.AddStrings(list);
}

LRESULT ButtonInfo(ToolbarData& d, WPARAM wp, LPARAM lp, bool wide, bool set, HWND h) {
  // TBBUTTONINFOA and W share their layout but for the text pointer's type.
  auto* info = reinterpret_cast<TBBUTTONINFOW*>(lp);
  if (!info) return -1;
  int i = (info->dwMask & TBIF_BYINDEX) ? static_cast<int>(wp) : IndexOfCommand(d, wp);
  auto* b = d.m.At(i);
  if (!b) return -1;
  if (set) {
    if (info->dwMask & TBIF_COMMAND) b->command = info->idCommand;
    if (info->dwMask & TBIF_IMAGE) b->image = info->iImage;
    if (info->dwMask & TBIF_STATE) b->state = info->fsState;
    if (info->dwMask & TBIF_STYLE) b->style = info->fsStyle;
    if (info->dwMask & TBIF_LPARAM) b->data = info->lParam;
    if ((info->dwMask & TBIF_TEXT) && info->pszText) {
      b->text = wide ? std::u16string(reinterpret_cast<const char16_t*>(info->pszText))
                     : AnsiToWide(reinterpret_cast<const char*>(info->pszText));
    }
    Changed(h, d);
    return TRUE;
  }
  if (info->dwMask & TBIF_COMMAND) info->idCommand = b->command;
  if (info->dwMask & TBIF_IMAGE) info->iImage = b->image;
  if (info->dwMask & TBIF_STATE) info->fsState = b->state;
  if (info->dwMask & TBIF_STYLE) info->fsStyle = b->style;
  if (info->dwMask & TBIF_LPARAM) info->lParam = b->data;
  if (info->dwMask & TBIF_SIZE) info->cx = static_cast<WORD>(b->rect.right - b->rect.left);
  if ((info->dwMask & TBIF_TEXT) && info->pszText && info->cchText > 0) {
    std::u16string t = d.m.TextOf(*b);
    if (wide) {
      size_t n = std::min(t.size(), static_cast<size_t>(info->cchText - 1));
      std::copy_n(t.data(), n, reinterpret_cast<char16_t*>(info->pszText));
      reinterpret_cast<char16_t*>(info->pszText)[n] = 0;
    } else {
      std::string a = WideToAnsi(t);
      size_t n = std::min(a.size(), static_cast<size_t>(info->cchText - 1));
      std::copy_n(a.data(), n, reinterpret_cast<char*>(info->pszText));
      reinterpret_cast<char*>(info->pszText)[n] = 0;
    }
  }
  return i;
}

LRESULT CALLBACK ToolbarProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  ToolbarData* d = StateOf<ToolbarData>(h);
  if (msg == WM_NCCREATE) {
    d = new ToolbarData;
    SetState(h, d);
    d->m.SetListStyle((reinterpret_cast<CREATESTRUCTW*>(lp)->style & TBSTYLE_LIST) != 0);
    d->m.SetWrapable((reinterpret_cast<CREATESTRUCTW*>(lp)->style & TBSTYLE_WRAPABLE) != 0);
  }
  if (!d) return DefWindowProcW(h, msg, wp, lp);
  if (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) RelayToTips(h, *d, msg, wp, lp);
  switch (msg) {
    case WM_CREATE:
      if (Style(h) & TBSTYLE_TOOLTIPS) {
        d->tips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, u"", WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0, h, nullptr,
                                  nullptr, nullptr);
        d->ownTips = d->tips != nullptr;
      }
      return 0;
    case WM_DESTROY:
      if (d->ownTips && d->tips) DestroyWindow(d->tips);
      d->tips = nullptr;
      break;
    case WM_NOTIFY: {
      auto* hdr = reinterpret_cast<NMHDR*>(lp);
      if (d->tips && hdr && hdr->hwndFrom == d->tips && hdr->code == TTN_GETDISPINFOW)
        return TipText(h, *d, reinterpret_cast<NMTTDISPINFOW*>(lp));
      if (HWND p = Target(h, *d)) return SendMessageW(p, WM_NOTIFY, wp, lp);
      return 0;
    }
    case WM_NCDESTROY:
      SetState<ToolbarData>(h, nullptr);
      delete d;
      break;
    case WM_STYLECHANGED:
      if (wp == static_cast<WPARAM>(GWL_STYLE)) {
        DWORD st = reinterpret_cast<const STYLESTRUCT*>(lp)->styleNew;
        d->m.SetListStyle((st & TBSTYLE_LIST) != 0);
        d->m.SetWrapable((st & TBSTYLE_WRAPABLE) != 0);
        Changed(h, *d);
      }
      return 0;
    case WM_SIZE:
      LayoutNow(h, *d);
      SyncTools(h, *d);
      InvalidateRect(h, nullptr, FALSE);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = wp ? reinterpret_cast<HDC>(wp) : BeginPaint(h, &ps);
      Paint(h, dc, *d);
      if (!wp) EndPaint(h, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_SETFONT:
      d->font = reinterpret_cast<HFONT>(wp);
      Changed(h, *d);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(d->font);
    case WM_MOUSEMOVE: {
      int off = (Style(h) & CCS_NODIVIDER) ? 0 : 2;
      int i = d->m.HitTest(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp) - off});
      if (d->tracking) {
        SetHot(h, *d, i == d->pressed ? i : -1);
        return 0;
      }
      if (i >= 0 && !(d->m.At(i)->state & ToolbarModel::kEnabled)) i = -1;
      SetHot(h, *d, i);
      if (!d->leaveTracked) {
        TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, h, 0};
        d->leaveTracked = TrackMouseEvent(&tme) != FALSE;
      }
      return 0;
    }
    case WM_MOUSELEAVE:
      d->leaveTracked = false;
      if (!d->tracking) SetHot(h, *d, -1);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      int off = (Style(h) & CCS_NODIVIDER) ? 0 : 2;
      int i = d->m.HitTest(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp) - off});
      if (i < 0 || !(d->m.At(i)->state & ToolbarModel::kEnabled)) return 0;
      if (d->m.At(i)->style & TBSTYLE_DROPDOWN) {
        // The parent shows its drop-down; the button shows pressed while it does.
        NMTOOLBARW n{};
        n.iItem = d->m.At(i)->command;
        n.rcButton = d->m.At(i)->rect;
        n.rcButton.top += off;
        n.rcButton.bottom += off;
        d->pressed = i;
        InvalidateRect(h, nullptr, FALSE);
        SendNotify(h, *d, &n.hdr, TBN_DROPDOWN);
        d->pressed = -1;
        InvalidateRect(h, nullptr, FALSE);
        return 0;
      }
      d->pressed = i;
      d->tracking = true;
      d->hot = i;
      SetCapture(h);
      InvalidateRect(h, nullptr, FALSE);
      return 0;
    }
    case WM_LBUTTONUP:
      if (d->tracking) {
        int off = (Style(h) & CCS_NODIVIDER) ? 0 : 2;
        int i = d->m.HitTest(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp) - off});
        int was = d->pressed;
        d->tracking = false;
        d->pressed = -1;
        ReleaseCapture();
        InvalidateRect(h, nullptr, FALSE);
        NotifyMouse(h, *d, NM_CLICK, i == was ? i : -1, lp);
        if (i == was && i >= 0) {
          d->m.Click(i);
          int cmd = d->m.At(i)->command;
          if (HWND p = Target(h, *d))
            SendMessageW(p, WM_COMMAND, CommandParam(cmd, BN_CLICKED), reinterpret_cast<LPARAM>(h));
        }
      }
      return 0;
    case WM_RBUTTONUP: {
      int off = (Style(h) & CCS_NODIVIDER) ? 0 : 2;
      int i = d->m.HitTest(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp) - off});
      if (NotifyMouse(h, *d, NM_RCLICK, i, lp) != 0) return 0;
      break;
    }
    case WM_CAPTURECHANGED:
      if (d->tracking) {
        d->tracking = false;
        d->pressed = -1;
        InvalidateRect(h, nullptr, FALSE);
      }
      return 0;
    case TB_BUTTONSTRUCTSIZE:
      return 0;
    case TB_ADDBUTTONSA:
    case TB_ADDBUTTONSW:
    case TB_INSERTBUTTONA:
    case TB_INSERTBUTTONW: {
      if (!lp) return FALSE;
      bool wide = msg == TB_ADDBUTTONSW || msg == TB_INSERTBUTTONW;
      const auto* recs = reinterpret_cast<const TBBUTTON*>(lp);
      if (msg == TB_ADDBUTTONSA || msg == TB_ADDBUTTONSW) {
        for (WPARAM k = 0; k < wp; ++k) d->m.Insert(-1, FromRecord(recs[k], wide));
      } else if (!d->m.Insert(static_cast<int>(wp), FromRecord(*recs, wide))) {
        return FALSE;
      }
      Changed(h, *d);
      return TRUE;
    }
    case TB_DELETEBUTTON: {
      bool ok = d->m.Delete(static_cast<int>(wp));
      if (ok) Changed(h, *d);
      return ok;
    }
    case TB_BUTTONCOUNT:
      return d->m.Count();
    case TB_GETBUTTON: {
      const auto* b = d->m.At(static_cast<int>(wp));
      if (!b || !lp) return FALSE;
      auto* out = reinterpret_cast<TBBUTTON*>(lp);
      *out = TBBUTTON{};
      out->iBitmap = b->image;
      out->idCommand = b->command;
      out->fsState = b->state;
      out->fsStyle = b->style;
      out->dwData = b->data;
      out->iString = b->text.empty() ? b->string : -1;
      return TRUE;
    }
    case TB_COMMANDTOINDEX:
      return IndexOfCommand(*d, wp);
    case TB_ENABLEBUTTON:
      return StateFlag(h, *d, wp, ToolbarModel::kEnabled, LOWORD(lp) != 0);
    case TB_CHECKBUTTON: {
      int i = IndexOfCommand(*d, wp);
      if (i < 0) return FALSE;
      d->m.SetChecked(i, LOWORD(lp) != 0);
      InvalidateRect(h, nullptr, FALSE);
      return TRUE;
    }
    case TB_PRESSBUTTON:
      return StateFlag(h, *d, wp, ToolbarModel::kPressed, LOWORD(lp) != 0);
    case TB_HIDEBUTTON:
      return StateFlag(h, *d, wp, ToolbarModel::kHidden, LOWORD(lp) != 0);
    case TB_INDETERMINATE:
      return StateFlag(h, *d, wp, TBSTATE_INDETERMINATE, LOWORD(lp) != 0);
    case TB_ISBUTTONENABLED:
    case TB_ISBUTTONCHECKED:
    case TB_ISBUTTONPRESSED:
    case TB_ISBUTTONHIDDEN:
    case TB_ISBUTTONINDETERMINATE: {
      int i = IndexOfCommand(*d, wp);
      if (i < 0) return -1;
      BYTE flag = msg == TB_ISBUTTONENABLED ? ToolbarModel::kEnabled
                  : msg == TB_ISBUTTONCHECKED ? ToolbarModel::kChecked
                  : msg == TB_ISBUTTONPRESSED ? ToolbarModel::kPressed
                  : msg == TB_ISBUTTONHIDDEN ? ToolbarModel::kHidden
                                             : static_cast<BYTE>(TBSTATE_INDETERMINATE);
      return (d->m.At(i)->state & flag) ? TRUE : FALSE;
    }
    case TB_GETSTATE: {
      int i = IndexOfCommand(*d, wp);
      return i < 0 ? -1 : d->m.At(i)->state;
    }
    case TB_SETSTATE: {
      int i = IndexOfCommand(*d, wp);
      if (i < 0) return FALSE;
      bool hiddenChange = ((d->m.At(i)->state ^ LOWORD(lp)) & ToolbarModel::kHidden) != 0;
      d->m.At(i)->state = static_cast<BYTE>(LOWORD(lp));
      if (hiddenChange) Changed(h, *d);
      else InvalidateRect(h, nullptr, FALSE);
      return TRUE;
    }
    case TB_ADDSTRINGA:
    case TB_ADDSTRINGW: {
      int r = AddStrings(*d, wp, lp, msg == TB_ADDSTRINGW);
      Changed(h, *d);
      return r;
    }
    case TB_GETBUTTONTEXTA:
    case TB_GETBUTTONTEXTW: {
      int i = IndexOfCommand(*d, wp);
      if (i < 0) return -1;
      std::u16string t = d->m.TextOf(*d->m.At(i));
      if (msg == TB_GETBUTTONTEXTW) {
        if (lp) {
          std::copy(t.begin(), t.end(), reinterpret_cast<char16_t*>(lp));
          reinterpret_cast<char16_t*>(lp)[t.size()] = 0;
        }
        return static_cast<LRESULT>(t.size());
      }
      std::string a = WideToAnsi(t);
      if (lp) {
        std::copy(a.begin(), a.end(), reinterpret_cast<char*>(lp));
        reinterpret_cast<char*>(lp)[a.size()] = 0;
      }
      return static_cast<LRESULT>(a.size());
    }
    case TB_GETBUTTONINFOW:
    case TB_GETBUTTONINFOA:
      return ButtonInfo(*d, wp, lp, msg == TB_GETBUTTONINFOW, false, h);
    case TB_SETBUTTONINFOW:
    case TB_SETBUTTONINFOA:
      return ButtonInfo(*d, wp, lp, msg == TB_SETBUTTONINFOW, true, h);
    case TB_SETBITMAPSIZE:
      d->m.SetBitmapSize(LOWORD(lp), HIWORD(lp));
      Changed(h, *d);
      return TRUE;
    case TB_SETBUTTONSIZE:
      d->m.SetButtonSize(LOWORD(lp), HIWORD(lp));
      Changed(h, *d);
      return TRUE;
    case TB_GETBUTTONSIZE: {
      HDC dc = nullptr;
      auto measure = Measurer(h, *d, &dc);
      SIZE s = d->m.ButtonSize(measure);
      ReleaseDC(h, dc);
      return static_cast<LRESULT>(MAKELONG(s.cx, s.cy));
    }
    case TB_AUTOSIZE:
      AutoSize(h, *d);
      SyncTools(h, *d);
      InvalidateRect(h, nullptr, FALSE);
      return 0;
    case TB_SETIMAGELIST: {
      HIMAGELIST old = d->images;
      d->images = reinterpret_cast<HIMAGELIST>(lp);
      int cx = 0, cy = 0;
      if (d->images && ImageList_GetIconSize(d->images, &cx, &cy)) d->m.SetBitmapSize(cx, cy);
      Changed(h, *d);
      return reinterpret_cast<LRESULT>(old);
    }
    case TB_GETIMAGELIST:
      return reinterpret_cast<LRESULT>(d->images);
    case TB_ADDBITMAP: {
      // Bitmaps by handle (hInst 0, nID the bitmap); the system's standard bitmaps do not exist.
      const auto* ab = reinterpret_cast<const TBADDBITMAP*>(lp);
      if (!ab || ab->hInst) return -1;
      if (!d->ownImages)
        d->ownImages = ImageList_Create(d->m.BitmapWidth(), d->m.BitmapHeight(), ILC_COLOR24 | ILC_MASK, 4, 4);
      // The classic toolbar treats light grey as transparent in added bitmaps.
      int first = ImageList_GetImageCount(d->ownImages);
      if (ImageList_AddMasked(d->ownImages, reinterpret_cast<HBITMAP>(ab->nID), RGB(192, 192, 192)) < 0) return -1;
      InvalidateRect(h, nullptr, FALSE);
      return first;
    }
    case TB_GETITEMRECT:
    case TB_GETRECT: {
      int i = msg == TB_GETRECT ? IndexOfCommand(*d, wp) : static_cast<int>(wp);
      const auto* b = d->m.At(i);
      if (!b || !lp) return FALSE;
      RECT r = b->rect;
      int off = (Style(h) & CCS_NODIVIDER) ? 0 : 2;
      r.top += off;
      r.bottom += off;
      *reinterpret_cast<RECT*>(lp) = r;
      return TRUE;
    }
    case TB_HITTEST: {
      if (!lp) return -1;
      POINT p = *reinterpret_cast<POINT*>(lp);
      int off = (Style(h) & CCS_NODIVIDER) ? 0 : 2;
      p.y -= off;
      int i = d->m.HitTest(p);
      if (i >= 0) return i;
      // A separator under the point answers its index negated, nothing answers -1.
      for (int k = 0; k < d->m.Count(); ++k) {
        const auto* b = d->m.At(k);
        if ((b->style & ToolbarModel::kSep) && PtInRect(&b->rect, p)) return -k - 1;
      }
      return -1;
    }
    case TB_SETPARENT: {
      HWND old = Target(h, *d);
      d->notify = reinterpret_cast<HWND>(wp);
      return reinterpret_cast<LRESULT>(old);
    }
    case TB_SETSTYLE:
      SetWindowLongW(h, GWL_STYLE, static_cast<LONG>(lp));
      return 0;
    case TB_GETSTYLE:
      return static_cast<LRESULT>(Style(h));
    case TB_SETEXTENDEDSTYLE: {
      DWORD old = d->exStyle;
      d->exStyle = static_cast<DWORD>(lp);
      return static_cast<LRESULT>(old);
    }
    case TB_GETEXTENDEDSTYLE:
      return static_cast<LRESULT>(d->exStyle);
    case TB_SETUNICODEFORMAT: {
      bool old = d->unicode;
      d->unicode = wp != 0;
      return old ? TRUE : FALSE;
    }
    case TB_GETUNICODEFORMAT:
      return d->unicode ? TRUE : FALSE;
    case TB_SETINDENT:
      d->m.SetIndent(static_cast<int>(wp));
      Changed(h, *d);
      return TRUE;
    case TB_GETHOTITEM:
      return d->hot;
    case TB_SETHOTITEM: {
      int old = d->hot;
      SetHot(h, *d, static_cast<int>(wp), HICF_OTHER);
      return old;
    }
    case TB_SETMAXTEXTROWS:
      d->maxTextRows = static_cast<int>(wp);
      Changed(h, *d);
      return TRUE;
    case TB_GETTEXTROWS:
      return d->maxTextRows;
    case TB_GETTOOLTIPS:
      return reinterpret_cast<LRESULT>(d->tips);
    case TB_SETTOOLTIPS:
      if (d->ownTips && d->tips && d->tips != reinterpret_cast<HWND>(wp)) DestroyWindow(d->tips);
      d->tips = reinterpret_cast<HWND>(wp);
      d->ownTips = false;
      SyncTools(h, *d);
      return 0;
    case TB_GETROWS: {
      int rows = 0, lastTop = -1;
      for (int i = 0; i < d->m.Count(); ++i) {
        const auto* b = d->m.At(i);
        if (b->state & ToolbarModel::kHidden) continue;
        if (b->rect.top != lastTop) {
          ++rows;
          lastTop = b->rect.top;
        }
      }
      return rows;
    }
    default:
      break;
  }
  return DefWindowProcW(h, msg, wp, lp);
}

}  // namespace

ATOM RegisterToolbarClass() {
  return RegisterControlClass(u"ToolbarWindow32", ToolbarProc, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, IDC_ARROW);
}

}  // namespace winplat::controls
