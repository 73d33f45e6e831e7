// The BUTTON class: push, default push, check box, three-state, radio button, group box and
// owner-drawn buttons, with the automatic styles and radio groups.
#include <memory>

#include "controls/control_window.h"
#include "controls/paint.h"
#include "wingdi.h"

namespace winplat::controls {

namespace {

struct ButtonData {
  int check = BST_UNCHECKED;
  bool pushed = false;     // shown held down (BST_PUSHED)
  bool focused = false;
  bool tracking = false;   // the mouse went down on it and holds the capture
  bool spaceDown = false;
  HFONT font = nullptr;
};

UINT Kind(DWORD style) { return style & BS_TYPEMASK; }
bool IsCheckKind(UINT k) { return k == BS_CHECKBOX || k == BS_AUTOCHECKBOX || k == BS_3STATE || k == BS_AUTO3STATE; }
bool IsRadioKind(UINT k) { return k == BS_RADIOBUTTON || k == BS_AUTORADIOBUTTON; }

void Paint(HWND h, HDC dc, ButtonData& d) {
  DWORD style = Style(h);
  UINT kind = Kind(style);
  RECT r;
  GetClientRect(h, &r);
  HGDIOBJ oldFont = SelectObject(dc, ControlFont(d.font));
  bool disabled = (style & WS_DISABLED) != 0;
  if (kind == BS_OWNERDRAW) {
    DRAWITEMSTRUCT di{};
    di.CtlType = ODT_BUTTON;
    di.CtlID = static_cast<UINT>(GetDlgCtrlID(h));
    di.itemAction = ODA_DRAWENTIRE;
    di.itemState = (d.pushed ? ODS_SELECTED : 0) | (d.focused ? ODS_FOCUS : 0) | (disabled ? ODS_DISABLED : 0);
    di.hwndItem = h;
    di.hDC = dc;
    di.rcItem = r;
    if (HWND p = NotifyTarget(h)) SendMessageW(p, WM_DRAWITEM, static_cast<WPARAM>(di.CtlID), reinterpret_cast<LPARAM>(&di));
    SelectObject(dc, oldFont);
    return;
  }
  UINT ctl = kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON ? WM_CTLCOLORBTN : WM_CTLCOLORSTATIC;
  HBRUSH bg = ParentBrush(h, dc, ctl);
  if (bg) FillRect(dc, &r, bg);
  else paint::FillSys(dc, r, COLOR_BTNFACE);
  std::u16string text = WindowText(h);
  paint::ButtonState s;
  s.pushed = d.pushed;
  s.focused = d.focused;
  s.disabled = disabled;
  s.check = d.check;
  bool pushLike = (style & BS_PUSHLIKE) && (IsCheckKind(kind) || IsRadioKind(kind));
  if (kind == BS_GROUPBOX) {
    paint::GroupBox(dc, r, text, disabled);
  } else if (IsCheckKind(kind) && !pushLike) {
    paint::CheckBox(dc, r, text, s, (style & BS_LEFTTEXT) != 0);
  } else if (IsRadioKind(kind) && !pushLike) {
    paint::RadioButton(dc, r, text, s, (style & BS_LEFTTEXT) != 0);
  } else {
    s.isDefault = kind == BS_DEFPUSHBUTTON;
    if (pushLike && d.check) s.pushed = true;
    paint::PushButton(dc, r, text, s);
  }
  SelectObject(dc, oldFont);
}

void Redraw(HWND h) { InvalidateRect(h, nullptr, FALSE); }

// Radio buttons of one group: from the first sibling with WS_GROUP at or before this one, up
// to the next WS_GROUP.
void UncheckGroup(HWND h) {
  HWND parent = GetParent(h);
  if (!parent) return;
  HWND first = h;
  while (!(Style(first) & WS_GROUP)) {
    HWND prev = GetWindow(first, GW_HWNDPREV);
    if (!prev) break;
    first = prev;
  }
  for (HWND w = first; w; w = GetWindow(w, GW_HWNDNEXT)) {
    if (w != first && (Style(w) & WS_GROUP)) break;
    if (w == h) continue;
    if (SendMessageW(w, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) {
      if (Kind(Style(w)) == BS_AUTORADIOBUTTON) SendMessageW(w, BM_SETCHECK, BST_UNCHECKED, 0);
    }
  }
}

// A completed click: the automatic styles change their state, then the parent hears BN_CLICKED.
void Click(HWND h, ButtonData& d) {
  UINT kind = Kind(Style(h));
  switch (kind) {
    case BS_AUTOCHECKBOX:
      SendMessageW(h, BM_SETCHECK, d.check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED, 0);
      break;
    case BS_AUTO3STATE:
      SendMessageW(h, BM_SETCHECK, static_cast<WPARAM>((d.check + 1) % 3), 0);
      break;
    case BS_AUTORADIOBUTTON:
      SendMessageW(h, BM_SETCHECK, BST_CHECKED, 0);
      UncheckGroup(h);
      break;
    default:
      break;
  }
  NotifyParent(h, BN_CLICKED);
}

bool Inside(HWND h, LPARAM lp) {
  RECT r;
  GetClientRect(h, &r);
  POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
  return PtInRect(&r, p) != FALSE;
}

void SetPushed(HWND h, ButtonData& d, bool on) {
  if (d.pushed == on) return;
  d.pushed = on;
  Redraw(h);
  if (Style(h) & BS_NOTIFY) NotifyParent(h, on ? BN_HILITE : BN_UNHILITE);
}

LRESULT CALLBACK ButtonProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  ButtonData* d = StateOf<ButtonData>(h);
  if (msg == WM_NCCREATE) {
    d = new ButtonData;
    SetState(h, d);
    SetControlKind(h, u"BUTTON");
  }
  if (!d) return DefWindowProcW(h, msg, wp, lp);
  UINT kind = Kind(Style(h));
  switch (msg) {
    case WM_NCDESTROY: {
      SetState<ButtonData>(h, nullptr);
      delete d;
      return DefWindowProcW(h, msg, wp, lp);
    }
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
      return 1;  // painting covers everything
    case WM_NCHITTEST:
      if (kind == BS_GROUPBOX) return HTTRANSPARENT;
      break;
    case WM_GETDLGCODE:
      switch (kind) {
        case BS_DEFPUSHBUTTON: return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
        case BS_PUSHBUTTON: case BS_OWNERDRAW: return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
        case BS_RADIOBUTTON: case BS_AUTORADIOBUTTON: return DLGC_BUTTON | DLGC_RADIOBUTTON;
        case BS_GROUPBOX: return DLGC_STATIC;
        default: return DLGC_BUTTON;
      }
    case WM_SETTEXT: {
      LRESULT r = DefWindowProcW(h, msg, wp, lp);
      Redraw(h);
      return r;
    }
    case WM_SETFONT:
      d->font = reinterpret_cast<HFONT>(wp);
      if (LOWORD(lp)) Redraw(h);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(d->font);
    case WM_ENABLE:
      Redraw(h);
      return 0;
    case WM_SETFOCUS:
      d->focused = true;
      Redraw(h);
      if (Style(h) & BS_NOTIFY) NotifyParent(h, BN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      d->focused = false;
      d->spaceDown = false;
      if (d->pushed && !d->tracking) SetPushed(h, *d, false);
      Redraw(h);
      if (Style(h) & BS_NOTIFY) NotifyParent(h, BN_KILLFOCUS);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (kind == BS_GROUPBOX) return 0;
      if (msg == WM_LBUTTONDBLCLK && (kind == BS_RADIOBUTTON || kind == BS_AUTORADIOBUTTON || kind == BS_OWNERDRAW ||
                                      (Style(h) & BS_NOTIFY))) {
        NotifyParent(h, BN_DOUBLECLICKED);
        return 0;
      }
      if (GetFocus() != h) SetFocus(h);
      SetCapture(h);
      d->tracking = true;
      SetPushed(h, *d, true);
      return 0;
    case WM_MOUSEMOVE:
      if (d->tracking) SetPushed(h, *d, Inside(h, lp));
      return 0;
    case WM_LBUTTONUP:
      if (d->tracking) {
        bool in = Inside(h, lp);
        d->tracking = false;
        SetPushed(h, *d, false);
        ReleaseCapture();
        if (in) Click(h, *d);
      }
      return 0;
    case WM_CAPTURECHANGED:
      if (d->tracking) {
        d->tracking = false;
        SetPushed(h, *d, false);
      }
      return 0;
    case WM_KEYDOWN:
      if (wp == VK_SPACE && kind != BS_GROUPBOX && !d->tracking) {
        d->spaceDown = true;
        SetPushed(h, *d, true);
        return 0;
      }
      break;
    case WM_KEYUP:
      if (wp == VK_SPACE && d->spaceDown) {
        d->spaceDown = false;
        SetPushed(h, *d, false);
        Click(h, *d);
        return 0;
      }
      break;
    case WM_CHAR:
      return 0;  // a button takes no characters
    case BM_GETCHECK:
      return d->check;
    case BM_SETCHECK: {
      int v = static_cast<int>(wp);
      if (!(kind == BS_3STATE || kind == BS_AUTO3STATE) && v == BST_INDETERMINATE) v = BST_CHECKED;
      if (!IsCheckKind(kind) && !IsRadioKind(kind)) return 0;
      if (v != BST_CHECKED && v != BST_INDETERMINATE) v = BST_UNCHECKED;
      if (d->check != v) {
        d->check = v;
        Redraw(h);
      }
      // A checked radio button is the group's tab stop.
      if (IsRadioKind(kind)) {
        LONG st = GetWindowLongW(h, GWL_STYLE);
        LONG want = v ? (st | static_cast<LONG>(WS_TABSTOP)) : (st & ~static_cast<LONG>(WS_TABSTOP));
        if (want != st) SetWindowLongW(h, GWL_STYLE, want);
      }
      return 0;
    }
    case BM_GETSTATE:
      return d->check | (d->pushed ? BST_PUSHED : 0) | (d->focused ? BST_FOCUS : 0);
    case BM_SETSTATE:
      SetPushed(h, *d, wp != 0);
      return 0;
    case BM_SETSTYLE: {
      LONG st = GetWindowLongW(h, GWL_STYLE);
      st = (st & ~0xFFFF) | static_cast<LONG>(wp & 0xFFFF);
      SetWindowLongW(h, GWL_STYLE, st);
      if (lp) Redraw(h);
      return 0;
    }
    case BM_CLICK:
      if (Style(h) & WS_DISABLED) return 0;
      Click(h, *d);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(h, msg, wp, lp);
}

}  // namespace

ATOM RegisterButtonClass() {
  return RegisterControlClass(u"Button", ButtonProc, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, IDC_ARROW);
}

}  // namespace winplat::controls
