// ChooseColor: 48 basic colours and 16 custom ones as owner-drawn buttons, the red, green and
// blue values as numbers, a sample of the choice, and the caller's hook.
#include <algorithm>
#include <cstdio>
#include <string>

#include "commdlg.h"
#include "controls/control_window.h"
#include "commdlg/commdlg_private.h"
#include "internal/modules.h"
#include "internal/wide_calls.h"
#include "windows.h"

namespace winplat::commdlg {

namespace {

constexpr int kBasicFirst = 0x720;   // 48 buttons
constexpr int kCustomFirst = 0x750;  // 16 buttons
constexpr int kRedId = 0x2C6, kGreenId = 0x2C7, kBlueId = 0x2C8;  // the platform's edit ids
constexpr int kSampleId = 0x2C5;
constexpr int kAddCustomId = 0x2C9;
constexpr int kDefineId = 0x2CF;     // opens the mixing part
constexpr int kCompactWidth = 152;   // dialog units: the basic and custom colours only
constexpr int kFullWidth = 218;
struct ColorDialog;

// The dialogs running, by window: kept here rather than in window properties or DWL_USER,
// which an old-style hook may use and which the ANSI-only platform's W property calls lack.
std::vector<std::pair<HWND, ColorDialog*>>& Running() {
  static std::vector<std::pair<HWND, ColorDialog*>> running;
  return running;
}
ColorDialog* StateOf(HWND h) {
  for (auto& r : Running())
    if (r.first == h) return r.second;
  return nullptr;
}
void Forget(HWND h) {
  auto& r = Running();
  r.erase(std::remove_if(r.begin(), r.end(), [h](const auto& e) { return e.first == h; }), r.end());
}

const COLORREF kBasic[48] = {
    RGB(255, 128, 128), RGB(255, 255, 128), RGB(128, 255, 128), RGB(0, 255, 128),   RGB(128, 255, 255), RGB(0, 128, 255),
    RGB(255, 128, 192), RGB(255, 128, 255), RGB(255, 0, 0),     RGB(255, 255, 0),   RGB(128, 255, 0),   RGB(0, 255, 64),
    RGB(0, 255, 255),   RGB(0, 128, 192),   RGB(128, 128, 192), RGB(255, 0, 255),   RGB(128, 64, 64),   RGB(255, 128, 64),
    RGB(0, 255, 0),     RGB(0, 128, 128),   RGB(0, 64, 128),    RGB(128, 128, 255), RGB(128, 0, 64),    RGB(255, 0, 128),
    RGB(128, 0, 0),     RGB(255, 128, 0),   RGB(0, 128, 0),     RGB(0, 128, 64),    RGB(0, 0, 255),     RGB(0, 0, 160),
    RGB(128, 0, 128),   RGB(128, 0, 255),   RGB(64, 0, 0),      RGB(128, 64, 0),    RGB(0, 64, 0),      RGB(0, 64, 64),
    RGB(0, 0, 128),     RGB(0, 0, 64),      RGB(64, 0, 64),     RGB(64, 0, 128),    RGB(0, 0, 0),       RGB(128, 128, 0),
    RGB(128, 128, 64),  RGB(128, 128, 128), RGB(64, 128, 128),  RGB(192, 192, 192), RGB(64, 0, 64),     RGB(255, 255, 255)};

struct ColorDialog {
  CHOOSECOLORW* w = nullptr;  // what the dialog works on
  LPARAM callerRecord = 0;
  COLORREF current = 0;
  COLORREF custom[16] = {};
  int nextCustom = 0;
  bool updating = false;
  bool ok = false;
};

// The dialog's width: the full one, or the compact one that hides the mixing part.
void SetOpen(HWND h, bool open) {
  RECT du{0, 0, open ? kFullWidth : kCompactWidth, 0};
  MapDialogRect(h, &du);
  RECT wr, cr;
  GetWindowRect(h, &wr);
  GetClientRect(h, &cr);
  int frame = (wr.right - wr.left) - cr.right;
  SetWindowPos(h, nullptr, 0, 0, du.right + frame, wr.bottom - wr.top, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
}

COLORREF ColorOfButton(ColorDialog& d, int id) {
  if (id >= kBasicFirst && id < kBasicFirst + 48) return kBasic[id - kBasicFirst];
  if (id >= kCustomFirst && id < kCustomFirst + 16) return d.custom[id - kCustomFirst];
  return d.current;
}

void ShowValues(HWND h, ColorDialog& d) {
  d.updating = true;
  SetDlgItemInt(h, kRedId, GetRValue(d.current), FALSE);
  SetDlgItemInt(h, kGreenId, GetGValue(d.current), FALSE);
  SetDlgItemInt(h, kBlueId, GetBValue(d.current), FALSE);
  d.updating = false;
  InvalidateRect(GetDlgItem(h, kSampleId), nullptr, FALSE);
}

INT_PTR CALLBACK ColorProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  auto* d = StateOf(h);
  if (msg == WM_INITDIALOG) {
    d = reinterpret_cast<ColorDialog*>(lp);
    Running().push_back({h, reinterpret_cast<ColorDialog*>(lp)});
    ShowValues(h, *d);
    // Without CC_FULLOPEN only the colour swatches show until the define button opens the rest.
    if (d->w->Flags & CC_FULLOPEN) EnableWindow(GetDlgItem(h, kDefineId), FALSE);
    else SetOpen(h, false);
    if (d->w->Flags & CC_PREVENTFULLOPEN) EnableWindow(GetDlgItem(h, kDefineId), FALSE);
    if ((d->w->Flags & CC_ENABLEHOOK) && d->w->lpfnHook) d->w->lpfnHook(h, WM_INITDIALOG, wp, d->callerRecord);
    return TRUE;
  }
  if (!d) return FALSE;
  if ((d->w->Flags & CC_ENABLEHOOK) && d->w->lpfnHook && d->w->lpfnHook(h, msg, wp, lp)) return TRUE;
  switch (msg) {
    case WM_DRAWITEM: {
      auto* di = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
      COLORREF c = ColorOfButton(*d, static_cast<int>(di->CtlID));
      bool chosen = di->CtlID != static_cast<UINT>(kSampleId) && c == d->current;
      HBRUSH frame = CreateSolidBrush(GetSysColor(chosen ? COLOR_WINDOWTEXT : COLOR_BTNSHADOW));
      FrameRect(di->hDC, &di->rcItem, frame);
      DeleteObject(frame);
      RECT in = di->rcItem;
      in.left += 2; in.top += 2; in.right -= 2; in.bottom -= 2;
      HBRUSH b = CreateSolidBrush(c);
      FillRect(di->hDC, &in, b);
      DeleteObject(b);
      if (di->itemState & ODS_FOCUS) DrawFocusRect(di->hDC, &di->rcItem);
      return TRUE;
    }
    case WM_COMMAND: {
      int id = LOWORD(wp), code = HIWORD(wp);
      if ((id >= kBasicFirst && id < kBasicFirst + 48) || (id >= kCustomFirst && id < kCustomFirst + 16)) {
        d->current = ColorOfButton(*d, id);
        if (id >= kCustomFirst) d->nextCustom = id - kCustomFirst;
        ShowValues(h, *d);
        for (int k = 0; k < 48; ++k) InvalidateRect(GetDlgItem(h, kBasicFirst + k), nullptr, FALSE);
        for (int k = 0; k < 16; ++k) InvalidateRect(GetDlgItem(h, kCustomFirst + k), nullptr, FALSE);
        return TRUE;
      }
      if ((id == kRedId || id == kGreenId || id == kBlueId) && code == EN_CHANGE && !d->updating) {
        auto value = [&](int eid) {
          BOOL ok = FALSE;
          UINT v = GetDlgItemInt(h, eid, &ok, FALSE);
          return static_cast<BYTE>(ok ? std::min(v, 255u) : 0u);
        };
        d->current = RGB(value(kRedId), value(kGreenId), value(kBlueId));
        InvalidateRect(GetDlgItem(h, kSampleId), nullptr, FALSE);
        return TRUE;
      }
      if (id == kDefineId) {
        SetOpen(h, true);
        EnableWindow(GetDlgItem(h, kDefineId), FALSE);
        SetFocus(GetDlgItem(h, kRedId));
        return TRUE;
      }
      if (id == kAddCustomId) {
        d->custom[d->nextCustom] = d->current;
        InvalidateRect(GetDlgItem(h, kCustomFirst + d->nextCustom), nullptr, FALSE);
        d->nextCustom = (d->nextCustom + 1) % 16;
        return TRUE;
      }
      if (id == IDOK) {
        d->ok = true;
        EndDialog(h, IDOK);
        return TRUE;
      }
      if (id == IDCANCEL) {
        EndDialog(h, IDCANCEL);
        return TRUE;
      }
      return FALSE;
    }
    case WM_DESTROY:
      Forget(h);
      return FALSE;
    default:
      return FALSE;
  }
}

DLGITEMTEMPLATEW Item(DWORD style, short x, short y, short cx, short cy, WORD id, const char16_t* cls, const char16_t* text) {
  DLGITEMTEMPLATEW it{};
  it.style = WS_CHILD | WS_VISIBLE | style;
  it.x = x; it.y = y; it.cx = cx; it.cy = cy;
  it.id = id;
  it.windowClass = cls;
  it.title = text;
  return it;
}

BOOL Run(CHOOSECOLORW* cc, LPARAM callerRecord, COLORREF* customOut) {
  controls::RegisterControlClasses();
  ColorDialog d;
  d.w = cc;
  d.callerRecord = callerRecord;
  d.current = (cc->Flags & CC_RGBINIT) ? cc->rgbResult : RGB(0, 0, 0);
  if (cc->lpCustColors) std::copy_n(cc->lpCustColors, 16, d.custom);
  std::vector<DLGITEMTEMPLATEW> items;
  items.push_back(Item(SS_LEFT, 4, 4, 100, 9, 0xFFFF, u"STATIC", u"基本色(&B):"));
  for (int k = 0; k < 48; ++k)
    items.push_back(Item(BS_OWNERDRAW | WS_TABSTOP | (k == 0 ? WS_GROUP : 0), static_cast<short>(4 + (k % 8) * 18),
                         static_cast<short>(14 + (k / 8) * 14), 16, 12, static_cast<WORD>(kBasicFirst + k), u"BUTTON", u""));
  items.push_back(Item(SS_LEFT, 4, 100, 100, 9, 0xFFFF, u"STATIC", u"作成した色(&C):"));
  for (int k = 0; k < 16; ++k)
    items.push_back(Item(BS_OWNERDRAW | WS_TABSTOP, static_cast<short>(4 + (k % 8) * 18), static_cast<short>(110 + (k / 8) * 14),
                         16, 12, static_cast<WORD>(kCustomFirst + k), u"BUTTON", u""));
  items.push_back(Item(BS_OWNERDRAW, 152, 14, 60, 40, kSampleId, u"BUTTON", u""));
  items.push_back(Item(SS_RIGHT, 152, 60, 24, 9, 0xFFFF, u"STATIC", u"赤(&R):"));
  items.push_back(Item(WS_BORDER | WS_TABSTOP | ES_NUMBER, 180, 58, 32, 12, kRedId, u"EDIT", u""));
  items.push_back(Item(SS_RIGHT, 152, 76, 24, 9, 0xFFFF, u"STATIC", u"緑(&G):"));
  items.push_back(Item(WS_BORDER | WS_TABSTOP | ES_NUMBER, 180, 74, 32, 12, kGreenId, u"EDIT", u""));
  items.push_back(Item(SS_RIGHT, 152, 92, 24, 9, 0xFFFF, u"STATIC", u"青(&U):"));
  items.push_back(Item(WS_BORDER | WS_TABSTOP | ES_NUMBER, 180, 90, 32, 12, kBlueId, u"EDIT", u""));
  items.push_back(Item(BS_PUSHBUTTON | WS_TABSTOP, 152, 110, 60, 14, kAddCustomId, u"BUTTON", u"色の追加(&A)"));
  items.push_back(Item(BS_PUSHBUTTON | WS_TABSTOP, 4, 142, 144, 14, kDefineId, u"BUTTON", u"色の作成(&D) >>"));
  items.push_back(Item(BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 4, 162, 50, 14, IDOK, u"BUTTON", u"OK"));
  items.push_back(Item(BS_PUSHBUTTON | WS_TABSTOP, 58, 162, 50, 14, IDCANCEL, u"BUTTON", u"キャンセル"));
  DLGTEMPLATEW t{};
  t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER | DS_SETFONT;
  t.cx = kFullWidth;
  t.cy = 182;
  t.title = u"色の設定";
  t.typeface = u"MS UI Gothic";
  t.pointSize = 9;
  t.items = items.data();
  t.cdit = static_cast<WORD>(items.size());
  INT_PTR r = DialogBoxIndirectParamW(nullptr, &t, cc->hwndOwner, ColorProc, reinterpret_cast<LPARAM>(&d));
  LastError() = r == -1 ? CDERR_DIALOGFAILURE : 0;
  // The custom colours are the caller's to keep, also after a cancel.
  if (customOut) std::copy_n(d.custom, 16, customOut);
  if (!d.ok) return FALSE;
  cc->rgbResult = d.current;
  return TRUE;
}

}  // namespace

}  // namespace winplat::commdlg

BOOL WINAPI ChooseColorW(LPCHOOSECOLORW cc) {
  if (VSE_WIDE_CALL_REFUSED()) return FALSE;
  if (!cc || cc->lStructSize != sizeof(CHOOSECOLORW) || !cc->lpCustColors) {
    winplat::commdlg::LastError() = CDERR_STRUCTSIZE;
    return FALSE;
  }
  return winplat::commdlg::Run(cc, reinterpret_cast<LPARAM>(cc), cc->lpCustColors);
}

BOOL WINAPI ChooseColorA(LPCHOOSECOLORA cc) {
  if (!cc || cc->lStructSize != sizeof(CHOOSECOLORA) || !cc->lpCustColors) {
    winplat::commdlg::LastError() = CDERR_STRUCTSIZE;
    return FALSE;
  }
  CHOOSECOLORW w{};
  w.lStructSize = sizeof(w);
  w.hwndOwner = cc->hwndOwner;
  w.rgbResult = cc->rgbResult;
  w.lpCustColors = cc->lpCustColors;
  w.Flags = cc->Flags;
  w.lCustData = cc->lCustData;
  w.lpfnHook = cc->lpfnHook;
  BOOL ok = winplat::commdlg::Run(&w, reinterpret_cast<LPARAM>(cc), cc->lpCustColors);
  if (ok) cc->rgbResult = w.rgbResult;
  return ok;
}

VSE_EXPORT("comdlg32.dll", ChooseColorA);
VSE_EXPORT("comdlg32.dll", ChooseColorW);
