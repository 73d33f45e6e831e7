// The extended combo box class ("ComboBoxEx32") as a drop-down list: the chosen item's image
// and text in a sunken field with the drop-down button beside it; a click or F4 (Alt+Down)
// shows the list below it, where a click chooses; Up and Down choose the neighbour at once.
// Items carry text, an image and a selected image of the image list, and a value; the parent
// hears CBN_DROPDOWN, CBN_SELCHANGE (a choice by the user) and CBN_CLOSEUP.
#include <algorithm>
#include <string>
#include <vector>

#include "controls/control_window.h"
#include "commctrl.h"
#include "controls/paint.h"
#include "internal/text.h"
#include "wingdi.h"
#include "wintext.h"

namespace winplat::controls {

namespace {

struct ComboItem {
  std::u16string text;
  int image = -1, selectedImage = -1;
  LPARAM param = 0;
};

struct ComboData {
  std::vector<ComboItem> items;
  int sel = -1;
  HIMAGELIST images = nullptr;
  HFONT font = nullptr;
  bool focused = false;
  HWND list = nullptr;  // the drop-down list while it shows
  int hot = -1;         // the list's row under the mouse
  bool openingClick = false;
};

constexpr const char16_t* kListClass = u"ComboLBoxEx";

int RowHeight(HWND h, const ComboData& d) {
  int cx = 0, cy = 0;
  if (d.images) ImageList_GetIconSize(d.images, &cx, &cy);
  return std::max(FontHeight(h, d.font), cy) + 2;
}

// One item in r: its image (the selected one when chosen) and its text.
void PaintItem(HDC dc, const RECT& r, const ComboData& d, int i, bool highlighted, bool selectedImage) {
  paint::FillSys(dc, r, highlighted ? COLOR_HIGHLIGHT : COLOR_WINDOW);
  if (i < 0 || i >= static_cast<int>(d.items.size())) return;
  const ComboItem& it = d.items[static_cast<size_t>(i)];
  int x = r.left + 2;
  if (d.images) {
    int cx = 0, cy = 0;
    ImageList_GetIconSize(d.images, &cx, &cy);
    const int image = selectedImage && it.selectedImage >= 0 ? it.selectedImage : it.image;
    if (image >= 0) ImageList_Draw(d.images, image, dc, x, r.top + (r.bottom - r.top - cy) / 2, ILD_TRANSPARENT);
    x += cx + 4;
  }
  RECT tr{x, r.top, r.right, r.bottom};
  const int mode = SetBkMode(dc, TRANSPARENT);
  const COLORREF color = SetTextColor(dc, GetSysColor(highlighted ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  DrawTextW(dc, it.text.c_str(), static_cast<int>(it.text.size()), &tr, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  SetTextColor(dc, color);
  SetBkMode(dc, mode);
}

RECT ButtonRect(HWND h) {
  RECT r;
  GetClientRect(h, &r);
  InflateRect(&r, -2, -2);
  r.left = std::max(r.left, r.right - GetSystemMetrics(SM_CXVSCROLL));
  return r;
}

void PaintBox(HWND h, HDC dc, const ComboData& d) {
  RECT r;
  GetClientRect(h, &r);
  const bool disabled = !IsWindowEnabled(h);
  paint::DrawEdge3D(dc, r, paint::Edge::Sunken);
  RECT field{r.left + 2, r.top + 2, r.right - 2, r.bottom - 2};
  const RECT button = ButtonRect(h);
  field.right = button.left;
  HGDIOBJ old = SelectObject(dc, ControlFont(d.font));
  paint::FillSys(dc, field, disabled ? COLOR_BTNFACE : COLOR_WINDOW);
  RECT item{field.left + 1, field.top + 1, field.right - 1, field.bottom - 1};
  if (d.sel >= 0) PaintItem(dc, item, d, d.sel, d.focused && !d.list && !disabled, true);
  SelectObject(dc, old);
  paint::ArrowButton(dc, button, 1, d.list != nullptr, disabled);
}

void CloseList(HWND h, ComboData& d) {
  if (!d.list) return;
  HWND list = d.list;
  d.list = nullptr;
  d.hot = -1;
  if (GetCapture() == list) ReleaseCapture();
  DestroyWindow(list);
  InvalidateRect(h, nullptr, FALSE);
  NotifyParent(h, CBN_CLOSEUP);
}

bool Choose(HWND h, ComboData& d, int i, bool notify) {
  if (i < -1 || i >= static_cast<int>(d.items.size())) return false;
  if (i == d.sel) return true;
  d.sel = i;
  InvalidateRect(h, nullptr, FALSE);
  if (d.list) InvalidateRect(d.list, nullptr, FALSE);
  if (notify) NotifyParent(h, CBN_SELCHANGE);
  return true;
}

void OpenList(HWND h, ComboData& d, bool byClick) {
  if (d.list || !IsWindowEnabled(h)) return;
  NotifyParent(h, CBN_DROPDOWN);
  RECT wr;
  GetWindowRect(h, &wr);
  const int rows = std::clamp(static_cast<int>(d.items.size()), 1, 8);
  d.hot = d.sel;
  d.openingClick = byClick;
  d.list = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kListClass, u"", WS_POPUP | WS_BORDER, wr.left, wr.bottom,
                           wr.right - wr.left, rows * RowHeight(h, d) + 2, h, nullptr, nullptr, h);
  if (!d.list) return;
  ShowWindow(d.list, SW_SHOWNA);
  SetCapture(d.list);
  InvalidateRect(h, nullptr, FALSE);
}

// ---- the drop-down list: rows of the combo box's items, the owner's state drawn ----

LRESULT CALLBACK ListProc(HWND l, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
    SetWindowLongPtrW(l, 0, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
  HWND h = reinterpret_cast<HWND>(GetWindowLongPtrW(l, 0));
  ComboData* d = h ? StateOf<ComboData>(h) : nullptr;
  if (!d) return DefWindowProcW(l, msg, wp, lp);
  const int row = RowHeight(h, *d);
  auto rowAt = [&](LPARAM p) {
    RECT c;
    GetClientRect(l, &c);
    const POINT pt{static_cast<short>(LOWORD(p)), static_cast<short>(HIWORD(p))};
    if (!PtInRect(&c, pt)) return -2;  // outside the list
    const int i = pt.y / row;
    return i < static_cast<int>(d->items.size()) ? i : -1;
  };
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(l, &ps);
      RECT c;
      GetClientRect(l, &c);
      paint::FillSys(dc, c, COLOR_WINDOW);
      HGDIOBJ old = SelectObject(dc, ControlFont(d->font));
      for (int i = 0; i < static_cast<int>(d->items.size()); ++i)
        PaintItem(dc, RECT{c.left, i * row, c.right, (i + 1) * row}, *d, i, i == d->hot, false);
      SelectObject(dc, old);
      EndPaint(l, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;  // the box keeps the focus
    case WM_MOUSEMOVE: {
      const int i = rowAt(lp);
      if (i >= 0 && i != d->hot) {
        d->hot = i;
        InvalidateRect(l, nullptr, FALSE);
      }
      if (i >= 0) d->openingClick = false;
      return 0;
    }
    case WM_LBUTTONDOWN:
      if (rowAt(lp) == -2) CloseList(h, *d);  // a click elsewhere closes the list
      return 0;
    case WM_LBUTTONUP: {
      const int i = rowAt(lp);
      if (i >= 0) {
        CloseList(h, *d);
        Choose(h, *d, i, true);
      } else if (!d->openingClick && i == -2) {
        CloseList(h, *d);
      }
      d->openingClick = false;
      return 0;
    }
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lp) != l && d->list == l) CloseList(h, *d);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(l, msg, wp, lp);
}

// COMBOBOXEXITEMA and W share their layout but for the text pointer's type.
LRESULT InsertOrSet(HWND h, ComboData& d, const COMBOBOXEXITEMW* in, bool wide, bool insert) {
  if (!in) return CB_ERR;
  const int count = static_cast<int>(d.items.size());
  int at = static_cast<int>(in->iItem);
  ComboItem it;
  if (insert) {
    if (at < 0 || at > count) at = count;
  } else {
    if (at < 0 || at >= count) return FALSE;
    it = d.items[static_cast<size_t>(at)];
  }
  if ((in->mask & CBEIF_TEXT) && in->pszText)
    it.text = wide ? std::u16string(in->pszText) : AnsiToWide(reinterpret_cast<const char*>(in->pszText));
  if (in->mask & CBEIF_IMAGE) it.image = in->iImage;
  if (in->mask & CBEIF_SELECTEDIMAGE) it.selectedImage = in->iSelectedImage;
  if (in->mask & CBEIF_LPARAM) it.param = in->lParam;
  if (insert) {
    d.items.insert(d.items.begin() + at, it);
    if (d.sel >= at) ++d.sel;
  } else {
    d.items[static_cast<size_t>(at)] = it;
  }
  InvalidateRect(h, nullptr, FALSE);
  if (d.list) InvalidateRect(d.list, nullptr, FALSE);
  return insert ? at : TRUE;
}

LRESULT GetItem(const ComboData& d, COMBOBOXEXITEMW* out, bool wide) {
  if (!out) return FALSE;
  const int at = out->iItem == -1 ? d.sel : static_cast<int>(out->iItem);
  if (at < 0 || at >= static_cast<int>(d.items.size())) return FALSE;
  const ComboItem& it = d.items[static_cast<size_t>(at)];
  if (out->mask & CBEIF_IMAGE) out->iImage = it.image;
  if (out->mask & CBEIF_SELECTEDIMAGE) out->iSelectedImage = it.selectedImage;
  if (out->mask & CBEIF_LPARAM) out->lParam = it.param;
  if ((out->mask & CBEIF_TEXT) && out->pszText && out->cchTextMax > 0) {
    if (wide) {
      const size_t n = std::min<size_t>(it.text.size(), static_cast<size_t>(out->cchTextMax - 1));
      std::copy_n(it.text.data(), n, out->pszText);
      out->pszText[n] = 0;
    } else {
      const std::string a = WideToAnsi(it.text);
      const size_t n = std::min<size_t>(a.size(), static_cast<size_t>(out->cchTextMax - 1));
      char* p = reinterpret_cast<char*>(out->pszText);
      std::copy_n(a.data(), n, p);
      p[n] = 0;
    }
  }
  return TRUE;
}

LRESULT CALLBACK ComboProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  ComboData* d = StateOf<ComboData>(h);
  if (msg == WM_NCCREATE) {
    d = new ComboData;
    SetState(h, d);
  }
  if (!d) return DefWindowProcW(h, msg, wp, lp);
  const int count = static_cast<int>(d->items.size());
  switch (msg) {
    case WM_NCDESTROY:
      if (d->list) DestroyWindow(d->list);
      SetState<ComboData>(h, nullptr);
      delete d;
      break;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = wp ? reinterpret_cast<HDC>(wp) : BeginPaint(h, &ps);
      PaintBox(h, dc, *d);
      if (!wp) EndPaint(h, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_SETFONT:
      d->font = reinterpret_cast<HFONT>(wp);
      if (lp) InvalidateRect(h, nullptr, FALSE);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(d->font);
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      d->focused = msg == WM_SETFOCUS;
      if (msg == WM_KILLFOCUS) CloseList(h, *d);
      InvalidateRect(h, nullptr, FALSE);
      return 0;
    case WM_ENABLE:
      if (!wp) CloseList(h, *d);
      InvalidateRect(h, nullptr, FALSE);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (GetFocus() != h) SetFocus(h);
      if (d->list) CloseList(h, *d);
      else OpenList(h, *d, true);
      return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      const bool alt = msg == WM_SYSKEYDOWN;
      if (wp == VK_F4 || (alt && (wp == VK_DOWN || wp == VK_UP))) {
        if (d->list) {
          const int hot = d->hot;
          CloseList(h, *d);
          if (hot >= 0) Choose(h, *d, hot, true);
        } else {
          OpenList(h, *d, false);
        }
        return 0;
      }
      if (alt) break;
      if (d->list && (wp == VK_RETURN || wp == VK_ESCAPE)) {
        const int hot = d->hot;
        CloseList(h, *d);
        if (wp == VK_RETURN && hot >= 0) Choose(h, *d, hot, true);
        return 0;
      }
      int next = d->list ? d->hot : d->sel;
      if (wp == VK_DOWN || wp == VK_RIGHT) next = std::min(next + 1, count - 1);
      else if (wp == VK_UP || wp == VK_LEFT) next = std::max(next - 1, count > 0 ? 0 : -1);
      else if (wp == VK_HOME) next = count > 0 ? 0 : -1;
      else if (wp == VK_END) next = count - 1;
      else return 0;
      if (d->list) {
        d->hot = next;
        InvalidateRect(d->list, nullptr, FALSE);
      } else {
        Choose(h, *d, next, true);
      }
      return 0;
    }
    case WM_GETTEXTLENGTH:
      return d->sel >= 0 ? static_cast<LRESULT>(d->items[static_cast<size_t>(d->sel)].text.size()) : 0;
    case WM_GETTEXT: {
      auto* buf = reinterpret_cast<char16_t*>(lp);
      if (!buf || wp == 0) return 0;
      const std::u16string text = d->sel >= 0 ? d->items[static_cast<size_t>(d->sel)].text : std::u16string();
      const size_t n = std::min<size_t>(text.size(), wp - 1);
      std::copy_n(text.data(), n, buf);
      buf[n] = 0;
      return static_cast<LRESULT>(n);
    }
    case WM_SETTEXT: {
      // A drop-down list shows only its items: the text chooses the item that has it.
      const std::u16string text = lp ? std::u16string(reinterpret_cast<const char16_t*>(lp)) : std::u16string();
      for (int i = 0; i < count; ++i)
        if (d->items[static_cast<size_t>(i)].text == text) return Choose(h, *d, i, false) ? TRUE : CB_ERR;
      return text.empty() ? (Choose(h, *d, -1, false), TRUE) : CB_ERR;
    }
    case CBEM_INSERTITEMW:
    case CBEM_INSERTITEMA:
      return InsertOrSet(h, *d, reinterpret_cast<const COMBOBOXEXITEMW*>(lp), msg == CBEM_INSERTITEMW, true);
    case CBEM_SETITEMW:
    case CBEM_SETITEMA:
      return InsertOrSet(h, *d, reinterpret_cast<const COMBOBOXEXITEMW*>(lp), msg == CBEM_SETITEMW, false);
    case CBEM_GETITEMW:
    case CBEM_GETITEMA:
      return GetItem(*d, reinterpret_cast<COMBOBOXEXITEMW*>(lp), msg == CBEM_GETITEMW);
    case CBEM_SETIMAGELIST: {
      HIMAGELIST old = d->images;
      d->images = reinterpret_cast<HIMAGELIST>(lp);
      InvalidateRect(h, nullptr, FALSE);
      return reinterpret_cast<LRESULT>(old);
    }
    case CBEM_GETIMAGELIST:
      return reinterpret_cast<LRESULT>(d->images);
    case CB_DELETESTRING: {
      const int i = static_cast<int>(wp);
      if (i < 0 || i >= count) return CB_ERR;
      d->items.erase(d->items.begin() + i);
      if (d->sel == i) d->sel = -1;
      else if (d->sel > i) --d->sel;
      d->hot = std::min(d->hot, count - 2);
      InvalidateRect(h, nullptr, FALSE);
      if (d->list) InvalidateRect(d->list, nullptr, FALSE);
      return count - 1;
    }
    case CB_RESETCONTENT:
      CloseList(h, *d);
      d->items.clear();
      d->sel = -1;
      InvalidateRect(h, nullptr, FALSE);
      return 0;
    case CB_GETCOUNT:
      return count;
    case CB_GETCURSEL:
      return d->sel;
    case CB_SETCURSEL: {
      const int i = static_cast<int>(wp);
      if (i < 0 || i >= count) {
        Choose(h, *d, -1, false);
        return CB_ERR;
      }
      Choose(h, *d, i, false);
      return i;
    }
    case CB_GETITEMDATA:
      if (static_cast<int>(wp) < 0 || static_cast<int>(wp) >= count) return CB_ERR;
      return d->items[wp].param;
    case CB_SETITEMDATA:
      if (static_cast<int>(wp) < 0 || static_cast<int>(wp) >= count) return CB_ERR;
      d->items[wp].param = lp;
      return TRUE;
    case CB_SHOWDROPDOWN:
      if (wp) OpenList(h, *d, false);
      else CloseList(h, *d);
      return TRUE;
    case CB_GETDROPPEDSTATE:
      return d->list != nullptr;
    default:
      break;
  }
  return DefWindowProcW(h, msg, wp, lp);
}

}  // namespace

ATOM RegisterComboBoxExClass() {
  RegisterControlClass(kListClass, ListProc, CS_SAVEBITS, IDC_ARROW);
  return RegisterControlClass(WC_COMBOBOXEXW, ComboProc, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, IDC_ARROW);
}

}  // namespace winplat::controls
