// The message box as a window of our window manager: text, icon and buttons drawn by its own
// procedure; keyboard (Enter, Esc, Tab, arrows) and mouse answer it.
#include <algorithm>
#include <cstdio>

#include "internal/text.h"
#include "user_internal.h"
#include "winbase.h"
#include "winplat_screen.h"

using namespace winplat::user;
namespace screen = winplat::screen;

namespace {

struct BoxState {
  std::u16string text;
  UINT type = 0;
  std::vector<int> buttons;
  std::vector<RECT> rects;
  size_t focus = 0;
  int pressed = -1;
  int answer = 0;
  bool done = false;
  RECT textRect{};
};

const char16_t* Label(int id) {
  switch (id) {
    case IDOK: return u"OK";
    case IDCANCEL: return u"キャンセル";
    case IDABORT: return u"中止(&A)";
    case IDRETRY: return u"再試行(&R)";
    case IDIGNORE: return u"無視(&I)";
    case IDYES: return u"はい(&Y)";
    case IDNO: return u"いいえ(&N)";
    case IDCLOSE: return u"閉じる(&C)";
    case IDHELP: return u"ヘルプ";
    case IDTRYAGAIN: return u"再実行(&T)";
    case IDCONTINUE: return u"続行(&C)";
    default: return u"";
  }
}

std::vector<int> ButtonsOf(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE: return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL: return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO: return {IDYES, IDNO};
    case MB_RETRYCANCEL: return {IDRETRY, IDCANCEL};
    case MB_CANCELTRYCONTINUE: return {IDCANCEL, IDTRYAGAIN, IDCONTINUE};
    default: return {IDOK};
  }
}

HFONT BoxFont() {
  LOGFONTW lf{};
  lf.lfHeight = -12;
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = SHIFTJIS_CHARSET;
  std::u16string face = u"MS UI Gothic";
  face.copy(lf.lfFaceName, face.size());
  return CreateFontIndirectW(&lf);
}

BoxState* StateOf(HWND h) { return reinterpret_cast<BoxState*>(GetWindowLongPtrW(h, GWL_USERDATA)); }

void Answer(HWND h, BoxState* s, int id) {
  s->answer = id;
  s->done = true;
  WakeQueue();
  (void)h;
}

bool HasCancel(const BoxState& s) {
  return std::find(s.buttons.begin(), s.buttons.end(), IDCANCEL) != s.buttons.end() || s.buttons.size() == 1;
}

void PaintBox(HWND h, BoxState* s) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(h, &ps);
  if (!dc) return;
  HFONT f = BoxFont();
  HGDIOBJ of = SelectObject(dc, f);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  // The icon: the standard icon of the box's kind.
  const UINT icon = s->type & MB_ICONMASK;
  if (icon) {
    ULONG_PTR id = icon == MB_ICONHAND ? 32513 : icon == MB_ICONQUESTION ? 32514 : icon == MB_ICONEXCLAMATION ? 32515 : 32516;
    DrawIcon(dc, 12, 12, LoadIconW(nullptr, MAKEINTRESOURCEW(id)));
  }
  RECT tr = s->textRect;
  DrawTextW(dc, s->text.c_str(), static_cast<int>(s->text.size()), &tr, DT_NOPREFIX | DT_WORDBREAK | DT_EXPANDTABS);
  for (size_t i = 0; i < s->buttons.size(); ++i) {
    RECT r = s->rects[i];
    DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (s->pressed == static_cast<int>(i) ? DFCS_PUSHED : 0));
    if (i == s->focus) {
      FrameRect(dc, &s->rects[i], GetSysColorBrush(COLOR_WINDOWFRAME));
      RECT fr = s->rects[i];
      InflateRect(&fr, -4, -4);
      DrawFocusRect(dc, &fr);
    }
    RECT lr = s->rects[i];
    if (s->pressed == static_cast<int>(i)) OffsetRect(&lr, 1, 1);
    DrawTextW(dc, Label(s->buttons[i]), -1, &lr, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
  SelectObject(dc, of);
  DeleteObject(f);
  EndPaint(h, &ps);
}

int ButtonAt(BoxState* s, LPARAM lp) {
  POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
  for (size_t i = 0; i < s->rects.size(); ++i)
    if (PtInRect(&s->rects[i], p)) return static_cast<int>(i);
  return -1;
}

LRESULT CALLBACK BoxProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  BoxState* s = StateOf(h);
  if (!s) return DefWindowProcW(h, msg, wp, lp);
  switch (msg) {
    case WM_PAINT:
      PaintBox(h, s);
      return 0;
    case WM_ERASEBKGND: {
      RECT r;
      GetClientRect(h, &r);
      FillRect(reinterpret_cast<HDC>(wp), &r, GetSysColorBrush(COLOR_3DFACE));
      return 1;
    }
    case WM_GETDLGCODE:
      return DLGC_WANTALLKEYS;
    case WM_KEYDOWN:
      if (wp == VK_RETURN || wp == VK_SPACE) Answer(h, s, s->buttons[s->focus]);
      else if (wp == VK_ESCAPE && HasCancel(*s)) Answer(h, s, s->buttons.size() == 1 ? s->buttons[0] : IDCANCEL);
      else if (wp == VK_TAB || wp == VK_RIGHT || wp == VK_DOWN) {
        const bool back = wp == VK_TAB && GetKeyState(VK_SHIFT) < 0;
        s->focus = (s->focus + (back ? s->buttons.size() - 1 : 1)) % s->buttons.size();
        InvalidateRect(h, nullptr, TRUE);
      } else if (wp == VK_LEFT || wp == VK_UP) {
        s->focus = (s->focus + s->buttons.size() - 1) % s->buttons.size();
        InvalidateRect(h, nullptr, TRUE);
      }
      return 0;
    case WM_CHAR: {
      // Mnemonics: the letter after '&' in a label.
      const char16_t c = static_cast<char16_t>(wp >= u'a' && wp <= u'z' ? wp - 32 : wp);
      for (int id : s->buttons) {
        const std::u16string l = Label(id);
        const size_t amp = l.find(u'&');
        if (amp != std::u16string::npos && amp + 1 < l.size() && l[amp + 1] == c) Answer(h, s, id);
      }
      return 0;
    }
    case WM_LBUTTONDOWN:
      s->pressed = ButtonAt(s, lp);
      if (s->pressed >= 0) {
        s->focus = static_cast<size_t>(s->pressed);
        SetCapture(h);
      }
      InvalidateRect(h, nullptr, TRUE);
      return 0;
    case WM_LBUTTONUP: {
      const int at = ButtonAt(s, lp);
      const int was = s->pressed;
      s->pressed = -1;
      if (GetCapture() == h) ReleaseCapture();
      InvalidateRect(h, nullptr, TRUE);
      if (was >= 0 && at == was) Answer(h, s, s->buttons[static_cast<size_t>(at)]);
      return 0;
    }
    case WM_CLOSE:
      if (HasCancel(*s)) Answer(h, s, s->buttons.size() == 1 ? s->buttons[0] : IDCANCEL);
      return 0;
    default:
      return DefWindowProcW(h, msg, wp, lp);
  }
}

}  // namespace

namespace winplat::user {

void RegisterMessageBoxClass() {
  WNDCLASSW wc{};
  wc.style = CS_SAVEBITS;
  wc.lpfnWndProc = BoxProc;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(COLOR_3DFACE + 1));
  wc.lpszClassName = u"VseMessageBox";
  RegisterSystemClassW(wc);
}

// Shows the box as a window and answers what the user (or the answerer) chose.
int RunMessageBoxWindow(const screen::MessageBoxRequest& req, const std::function<int(const screen::MessageBoxRequest&)>& answerer) {
  RegisterSystemClasses();
  BoxState s;
  s.text = req.text;
  s.type = req.type;
  s.buttons = ButtonsOf(req.type);
  const int def = req.defaultButton;
  for (size_t i = 0; i < s.buttons.size(); ++i)
    if (s.buttons[i] == def) s.focus = i;
  // Layout: the text measured with the box's font, buttons centred below.
  HDC sdc = GetDC(nullptr);
  HFONT f = BoxFont();
  HGDIOBJ of = SelectObject(sdc, f);
  RECT tr{0, 0, 420, 0};
  DrawTextW(sdc, s.text.empty() ? u" " : s.text.c_str(), -1, &tr, DT_CALCRECT | DT_NOPREFIX | DT_WORDBREAK | DT_EXPANDTABS);
  SelectObject(sdc, of);
  DeleteObject(f);
  ReleaseDC(nullptr, sdc);
  const bool icon = (req.type & MB_ICONMASK) != 0;
  const int left = icon ? 56 : 16;
  const int textW = std::max<int>(tr.right, 40), textH = std::max<int>(tr.bottom, icon ? 32 : 16);
  const int bw = 88, bh = 24, gap = 8;
  const int buttonsW = static_cast<int>(s.buttons.size()) * bw + (static_cast<int>(s.buttons.size()) - 1) * gap;
  const int clientW = std::max(left + textW + 16, buttonsW + 32);
  const int textTop = icon && textH < 32 ? 12 + (32 - textH) / 2 : 16;
  s.textRect = RECT{left, textTop, left + textW, textTop + textH};
  const int by = std::max(textTop + textH, icon ? 44 : 0) + 16;
  const int clientH = by + bh + 12;
  int x0 = (clientW - buttonsW) / 2;
  for (size_t i = 0; i < s.buttons.size(); ++i) {
    s.rects.push_back(RECT{x0, by, x0 + bw, by + bh});
    x0 += bw + gap;
  }
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  RECT wr{0, 0, clientW, clientH};
  AdjustWindowRectEx(&wr, style, FALSE, WS_EX_DLGMODALFRAME);
  const int w = wr.right - wr.left, hgt = wr.bottom - wr.top;
  RECT ref;
  HWND owner = req.owner && IsWindow(req.owner) ? GetAncestor(req.owner, GA_ROOT) : nullptr;
  const SIZE scr = screen::CurrentBackend()->DisplaySize();
  if (owner && IsWindowVisible(owner)) GetWindowRect(owner, &ref);
  else ref = RECT{0, 0, scr.cx, scr.cy};
  int x = std::clamp<int>(ref.left + (ref.right - ref.left - w) / 2, 0, std::max<int>(0, scr.cx - w));
  int y = std::clamp<int>(ref.top + (ref.bottom - ref.top - hgt) / 2, 0, std::max<int>(0, scr.cy - hgt));
  const DWORD ex = WS_EX_DLGMODALFRAME | ((req.type & (MB_TOPMOST | MB_SYSTEMMODAL)) ? WS_EX_TOPMOST : 0);
  HWND h = CreateWindowExW(ex, u"VseMessageBox", req.caption.c_str(), style, x, y, w, hgt, owner, nullptr, nullptr, nullptr);
  if (!h) return req.defaultButton;
  SetWindowLongPtrW(h, GWL_USERDATA, reinterpret_cast<LONG_PTR>(&s));
  bool reenable = false;
  if (owner && IsWindowEnabled(owner)) {
    EnableWindow(owner, FALSE);
    reenable = true;
  }
  ShowWindow(h, SW_SHOWNORMAL);
  SetFocus(h);
  UpdateWindow(h);
  PresentScreen();
  if (answerer) {
    // The box is on the screen while the answerer decides (it may look at it).
    s.answer = answerer(req);
    s.done = true;
  } else {
    RunModalLoop(h, [&s, h] { return s.done || !IsWindow(h); });
  }
  if (reenable && IsWindow(owner)) EnableWindow(owner, TRUE);
  if (IsWindow(h)) {
    SetWindowLongPtrW(h, GWL_USERDATA, 0);
    DestroyWindow(h);
  }
  if (owner && IsWindow(owner) && IsWindowVisible(owner)) SetActiveWindow(owner);
  return s.done ? s.answer : (HasCancel(s) ? IDCANCEL : req.defaultButton);
}

}  // namespace winplat::user
