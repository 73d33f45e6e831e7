// THintWindow: a borderless pop-up showing one text in the hint font.
#include "Controls.h"
#include "Forms.h"
#include "TypInfo.h"

THintWindow::THintWindow(TComponent* AOwner) : TCustomControl(AOwner) {
  SetColor(clInfoBk);
  Canvas()->Font()->Assign(Screen->HintFont());
  Canvas()->Brush()->SetStyle(bsClear);
  visible_ = false;
}

THintWindow* NewHintWindow(TComponent* AOwner) { return HintWindowClass ? HintWindowClass(AOwner) : new THintWindow(AOwner); }

void THintWindow::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.Style = WS_POPUP | WS_BORDER;
  Params.ExStyle = WS_EX_TOOLWINDOW;
  Params.WindowClass.style |= CS_SAVEBITS;
  Params.WndParent = nullptr;
}

void THintWindow::Paint() {
  RECT r = ClientRect();
  r.left += 2;
  r.top += 2;
  Canvas()->Font()->SetColor(Screen->HintFont()->Color());
  const AnsiString text = Caption();
  DrawTextA(Canvas()->Handle(), text.c_str(), -1, &r, DT_LEFT | DT_NOPREFIX | DT_WORDBREAK);
}

void THintWindow::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_NCHITTEST: Message.Result = HTTRANSPARENT; return;
    case CM_TEXTCHANGED:
      if (!Activating) {
        const AnsiString text = Caption();
        SetWidth(Canvas()->TextWidth(text) + 6);
        SetHeight(Canvas()->TextHeight(text) + 6);
      }
      return;
    default: TCustomControl::Dispatch(Message);
  }
}

void THintWindow::ActivateHint(const TRect& Rect, const AnsiString& AHint) {
  Activating = true;
  struct Reset {
    bool& b;
    ~Reset() { b = false; }
  } reset{Activating};
  SetCaption(AHint);
  TRect r = Rect;
  r.bottom += 4;
  SetBoundsRect(r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (r.top + h > Screen->DesktopHeight()) r.top = Screen->DesktopHeight() - h;
  if (r.left + w > Screen->DesktopWidth()) r.left = Screen->DesktopWidth() - w;
  if (r.left < Screen->DesktopLeft()) r.left = Screen->DesktopLeft();
  if (r.top < Screen->DesktopTop()) r.top = Screen->DesktopTop();
  SetWindowPos(Handle(), HWND_TOPMOST, r.left, r.top, w, h, SWP_SHOWWINDOW | SWP_NOACTIVATE);
  Invalidate();
}

void THintWindow::ActivateHintData(const TRect& Rect, const AnsiString& AHint, void*) { ActivateHint(Rect, AHint); }

TRect THintWindow::CalcHintRect(int MaxWidth, const AnsiString& AHint, void*) {
  RECT r{0, 0, MaxWidth, 0};
  DrawTextA(Canvas()->Handle(), AHint.c_str(), -1, &r, DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
  r.right += 6;
  r.bottom += 2;
  return r;
}

// Messages that end a hint: keys, clicks, activation, commands.
bool THintWindow::IsHintMsg(const MSG& Msg) {
  const UINT m = Msg.message;
  return (m >= WM_KEYFIRST && m <= WM_KEYLAST) || m == CM_ACTIVATE || m == CM_DEACTIVATE ||
         m == CM_APPKEYDOWN || m == CM_APPSYSCOMMAND || m == WM_COMMAND ||
         (m > WM_MOUSEMOVE && m <= WM_MOUSELAST) || m == WM_NCMOUSEMOVE;
}

static const bool registered = DeclareClass<THintWindow, TCustomControl>("THintWindow").Done();
