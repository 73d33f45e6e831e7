// TCustomPanel: an outer and an inner bevel round a border, filled with the panel's colour,
// with the caption centred on one line.
#include "ExtCtrls.h"

#include <wintext.h>

#include "TypInfo.h"

void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, int Width) {
  TPen* pen = Canvas->Pen();
  pen->SetWidth(1);
  pen->SetStyle(psSolid);
  --Rect.bottom;
  --Rect.right;
  for (int i = 0; i < Width; ++i) {
    pen->SetColor(TopColor);
    Canvas->Polyline({TPoint{Rect.left, Rect.bottom}, TPoint{Rect.left, Rect.top}, TPoint{Rect.right, Rect.top}});
    pen->SetColor(BottomColor);
    Canvas->Polyline({TPoint{Rect.right, Rect.top}, TPoint{Rect.right, Rect.bottom}, TPoint{Rect.left - 1, Rect.bottom}});
    ++Rect.left;
    ++Rect.top;
    --Rect.right;
    --Rect.bottom;
  }
  ++Rect.bottom;
  ++Rect.right;
}

TCustomPanel::TCustomPanel(TComponent* AOwner) : TCustomControl(AOwner) {
  control_style_ = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csOpaque,
                                 csDoubleClicks, csReplicatable};
  width_ = 185;
  height_ = 41;
  SetColor(clBtnFace);
}

void TCustomPanel::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  if (border_style_ == bsSingle) Params.ExStyle |= WS_EX_CLIENTEDGE;
  // A panel repaints what it needs; resizing does not redraw it all.
  Params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
}

void TCustomPanel::Paint() {
  TCanvas* c = Canvas();
  TRect r{0, 0, width_, height_};
  RECT client;
  if (HandleAllocated() && GetClientRect(handle_, &client)) r = TRect{0, 0, client.right, client.bottom};
  auto bevel = [&](TBevelCut cut) {
    // A lowered bevel is lit from below.
    TColor top = cut == bvLowered ? clBtnShadow : clBtnHighlight;
    TColor bottom = cut == bvLowered ? clBtnHighlight : clBtnShadow;
    Frame3D(c, r, top, bottom, bevel_width_);
  };
  if (bevel_outer_ != bvNone) bevel(bevel_outer_);
  Frame3D(c, r, Color(), Color(), border_width_);
  if (bevel_inner_ != bvNone) bevel(bevel_inner_);
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(Color());
  c->FillRect(r);
  AnsiString text = Caption();
  if (text.empty()) return;
  c->Brush()->SetStyle(bsClear);
  c->SetFont(Font());
  int fh = c->TextHeight("W");
  RECT tr{r.left, (r.top + r.bottom - fh) / 2, r.right, 0};
  tr.bottom = tr.top + fh;
  static constexpr UINT kAlign[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
  SetBkMode(c->Handle(), TRANSPARENT);
  DrawTextA(c->Handle(), text.c_str(), static_cast<int>(text.size()), &tr,
            DT_EXPANDTABS | DT_VCENTER | DT_SINGLELINE | kAlign[alignment_]);
}

void TCustomPanel::SetAlignment(TAlignment Value) {
  if (alignment_ == Value) return;
  alignment_ = Value;
  Invalidate();
}

void TCustomPanel::SetBevelInner(TBevelCut Value) {
  if (bevel_inner_ == Value) return;
  bevel_inner_ = Value;
  Realign();
  Invalidate();
}

void TCustomPanel::SetBevelOuter(TBevelCut Value) {
  if (bevel_outer_ == Value) return;
  bevel_outer_ = Value;
  Realign();
  Invalidate();
}

void TCustomPanel::SetBevelWidth(TBevelWidth Value) {
  if (Value < 1 || bevel_width_ == Value) return;
  bevel_width_ = Value;
  Realign();
  Invalidate();
}

void TCustomPanel::SetBorderWidth(TBorderWidth Value) {
  if (Value < 0 || border_width_ == Value) return;
  border_width_ = Value;
  Realign();
  Invalidate();
}

void TCustomPanel::SetBorderStyle(TBorderStyle Value) {
  if (border_style_ == Value) return;
  border_style_ = Value;
  RecreateWnd();
}

void TCustomPanel::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_TEXTCHANGED) Invalidate();
  TCustomControl::Dispatch(Message);
}

static const bool registered =
    DeclareClass<TCustomPanel, TCustomControl>("TCustomPanel")
        .Enum("Alignment", {"taLeftJustify", "taRightJustify", "taCenter"}, &TCustomPanel::Alignment,
              &TCustomPanel::SetAlignment, Default(taCenter))
        .Enum("BevelInner", {"bvNone", "bvLowered", "bvRaised", "bvSpace"}, &TCustomPanel::BevelInner,
              &TCustomPanel::SetBevelInner, Default(bvNone))
        .Enum("BevelOuter", {"bvNone", "bvLowered", "bvRaised", "bvSpace"}, &TCustomPanel::BevelOuter,
              &TCustomPanel::SetBevelOuter, Default(bvRaised))
        .Integer("BevelWidth", &TCustomPanel::BevelWidth, &TCustomPanel::SetBevelWidth, Default(1))
        .Integer("BorderWidth", &TCustomPanel::BorderWidth, &TCustomPanel::SetBorderWidth, Default(0))
        .Enum("BorderStyle", {"bsNone", "bsSingle"}, &TCustomPanel::BorderStyle, &TCustomPanel::SetBorderStyle,
              Default(bsNone))
        .Done() &&
    DeclareClass<TPanel, TCustomPanel>("TPanel").Done();
