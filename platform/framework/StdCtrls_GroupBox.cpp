// TCustomGroupBox: an etched frame with its caption in the top edge, holding other controls.
#include "StdCtrls.h"

#include <wintext.h>

#include "TypInfo.h"

TCustomGroupBox::TCustomGroupBox(TComponent* AOwner) : TCustomControl(AOwner) {
  control_style_ = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks,
                                 csReplicatable};
  width_ = 185;
  height_ = 105;
}

void TCustomGroupBox::Paint() {
  TCanvas* c = Canvas();
  c->SetFont(Font());
  const int h = c->TextHeight("0");
  // The frame runs through the middle of the caption's line: a highlight line under a shadow
  // one, one pixel apart.
  TRect r{0, h / 2 - 1, width_, height_};
  TRect light{r.left + 1, r.top + 1, r.right, r.bottom};
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(clBtnHighlight);
  c->FrameRect(light);
  TRect dark{light.left - 1, light.top - 1, light.right - 1, light.bottom - 1};
  c->Brush()->SetColor(clBtnShadow);
  c->FrameRect(dark);
  AnsiString text = Caption();
  if (!text.empty()) {
    // 8 pixels in from the leading edge.
    RECT tr{8, 0, 0, h};
    if (UseRightToLeftAlignment()) tr.left = r.right - c->TextWidth(text) - 8;
    const UINT flags = DrawTextBiDiModeFlags(DT_SINGLELINE);
    DrawTextA(c->Handle(), text.c_str(), static_cast<int>(text.size()), &tr, flags | DT_CALCRECT);
    c->Brush()->SetColor(Color());
    c->FillRect(TRect{tr.left, tr.top, tr.right, tr.bottom});
    SetBkMode(c->Handle(), TRANSPARENT);
    if (!Enabled()) c->Font()->SetColor(clGrayText);
    DrawTextA(c->Handle(), text.c_str(), static_cast<int>(text.size()), &tr, flags);
  }
}

void TCustomGroupBox::CMDialogChar(TMessage& Message) {
  // The accelerator focuses the first control inside that takes the focus.
  if (IsAccel(static_cast<Word>(Message.WParam), Caption()) && CanFocus()) {
    std::vector<TWinControl*> list;
    GetTabOrderList(list);
    if (!list.empty()) list.front()->SetFocus();
    Message.Result = 1;
  }
}

void TCustomGroupBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_DIALOGCHAR: CMDialogChar(Message); return;
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
      TCustomControl::Dispatch(Message);
      Invalidate();
      return;
    default: break;
  }
  TCustomControl::Dispatch(Message);
}

static const bool registered = DeclareClass<TCustomGroupBox, TCustomControl>("TCustomGroupBox").Done() &&
                               DeclareClass<TGroupBox, TCustomGroupBox>("TGroupBox").Done();
