// TSpeedButton: a windowless button, alone or one of a group that keeps one button down.
#include <wintext.h>

#include "ActnList.h"
#include "Buttons.h"
#include "TypInfo.h"

bool TSpeedButtonActionLink::IsCheckedLinked() {
  auto* a = dynamic_cast<TCustomAction*>(Action());
  auto* b = dynamic_cast<TSpeedButton*>(Client());
  return a && b && b->GroupIndex() != 0 && b->Down() == a->Checked();
}

bool TSpeedButtonActionLink::IsGroupIndexLinked() {
  auto* a = dynamic_cast<TCustomAction*>(Action());
  auto* b = dynamic_cast<TSpeedButton*>(Client());
  return a && b && b->GroupIndex() == a->GroupIndex();
}

// The action's state wins: a button of a group without AllowAllUp comes up too.
void TSpeedButtonActionLink::SetChecked(bool Value) {
  auto* b = dynamic_cast<TSpeedButton*>(Client());
  if (!b || !IsCheckedLinked()) return;
  const bool all_up = b->allow_all_up_;
  b->allow_all_up_ = true;
  b->SetDown(Value);
  b->allow_all_up_ = all_up;
}

void TSpeedButtonActionLink::SetGroupIndex(int Value) {
  if (auto* b = dynamic_cast<TSpeedButton*>(Client()); b && IsGroupIndexLinked()) b->SetGroupIndex(Value);
}

// ---------------------------------------------------------------------------------------------

TSpeedButton::TSpeedButton(TComponent* AOwner) : TGraphicControl(AOwner), glyph_(std::make_unique<TButtonGlyph>()) {
  SetControlStyle(TControlStyle{csCaptureMouse, csDoubleClicks, csSetCaption, csActionClient});
  width_ = 23;
  height_ = 22;
  glyph_->OnChange = [this] { Invalidate(); };
}

TSpeedButton::~TSpeedButton() = default;

void TSpeedButton::SetLayout(TButtonLayout Value) {
  if (layout_ == Value) return;
  layout_ = Value;
  Invalidate();
}

void TSpeedButton::SetMargin(int Value) {
  if (margin_ == Value || Value < -1) return;
  margin_ = Value;
  Invalidate();
}

void TSpeedButton::SetSpacing(int Value) {
  if (spacing_ == Value) return;
  spacing_ = Value;
  Invalidate();
}

void TSpeedButton::SetDown(bool Value) {
  if (group_index_ == 0) Value = false;
  if (Value == down_) return;
  if (down_ && !allow_all_up_) return;
  down_ = Value;
  if (Value) {
    if (state_ == bsUp) Invalidate();
    state_ = bsExclusive;
  } else {
    state_ = bsUp;
    Repaint();
  }
  if (Value) UpdateExclusive();
}

void TSpeedButton::SetGroupIndex(int Value) {
  if (group_index_ == Value) return;
  group_index_ = Value;
  UpdateExclusive();
}

void TSpeedButton::SetAllowAllUp(bool Value) {
  if (allow_all_up_ == Value) return;
  allow_all_up_ = Value;
  UpdateExclusive();
}

void TSpeedButton::SetFlat(bool Value) {
  if (flat_ == Value) return;
  flat_ = Value;
  Invalidate();
}

bool TSpeedButton::IsCheckedStored() const {
  auto* link = dynamic_cast<TSpeedButtonActionLink*>(ActionLink());
  return !link || !link->IsCheckedLinked();
}

void TSpeedButton::UpdateExclusive() {
  if (group_index_ == 0 || !Parent()) return;
  TMessage m{CM_BUTTONPRESSED, static_cast<WPARAM>(group_index_), reinterpret_cast<LPARAM>(this), 0};
  TWinControl* parent = Parent();
  for (int i = 0; i < parent->ControlCount(); ++i)
    if (parent->Controls(i) != this) parent->Controls(i)->Perform(m.Msg, m.WParam, m.LParam);
}

// Another button of the group went down (or changed its AllowAllUp): this one follows.
void TSpeedButton::ButtonPressed(TMessage& Message) {
  auto* sender = reinterpret_cast<TSpeedButton*>(Message.LParam);
  if (static_cast<int>(Message.WParam) != group_index_ || sender == this || group_index_ == 0) return;
  if (sender->Down() && down_) {
    down_ = false;
    state_ = bsUp;
    Invalidate();
  }
  allow_all_up_ = sender->AllowAllUp();
}

void TSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || !Enabled()) return;
  if (!down_) {
    state_ = bsDown;
    Repaint();
  }
  dragging_ = true;
}

void TSpeedButton::MouseMove(TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseMove(Shift, X, Y);
  if (!dragging_) return;
  const bool inside = X >= 0 && X < width_ && Y >= 0 && Y <= height_;
  const TButtonState next = down_ ? bsExclusive : inside ? bsDown : bsUp;
  if (next == state_) return;
  state_ = next;
  Repaint();
}

void TSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseUp(Button, Shift, X, Y);
  if (!dragging_) return;
  dragging_ = false;
  const bool inside = X >= 0 && X < width_ && Y >= 0 && Y <= height_;
  if (group_index_ == 0) {
    state_ = bsUp;
    Repaint();
  } else if (inside) {
    SetDown(!down_);
    if (down_) state_ = bsExclusive;
    Repaint();
  } else {
    state_ = down_ ? bsExclusive : bsUp;
    Repaint();
  }
  // Clicked after the group's state changed, so the handler (or the action) sees it.
  if (inside) Click();
}

void TSpeedButton::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_BUTTONPRESSED: ButtonPressed(Message); return;
    case CM_ENABLEDCHANGED:
      if (!Enabled()) dragging_ = false;
      state_ = !Enabled() ? bsDisabled : down_ ? bsExclusive : bsUp;
      TGraphicControl::Dispatch(Message);
      return;
    case CM_TEXTCHANGED:
      TGraphicControl::Dispatch(Message);
      Invalidate();
      return;
    default: break;
  }
  TGraphicControl::Dispatch(Message);
}

void TSpeedButton::Paint() {
  if (!Enabled()) state_ = bsDisabled;
  else if (state_ == bsDisabled) state_ = down_ ? bsExclusive : bsUp;
  TCanvas* c = Canvas();
  HDC dc = c->Handle();
  RECT r{0, 0, width_, height_};
  const bool pushed = state_ == bsDown || state_ == bsExclusive;
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(clBtnFace);
  if (!flat_) {
    DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_ADJUSTRECT | (pushed ? DFCS_PUSHED : 0));
  } else {
    c->FillRect(TRect{r.left, r.top, r.right, r.bottom});
    // A flat button shows a frame only while pressed or down.
    if (pushed) DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
  }
  if (pushed) OffsetRect(&r, 1, 1);
  c->SetFont(Font());
  HGDIOBJ oldFont = SelectObject(dc, Font()->Handle());
  SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(Font()->Color())));
  DrawGlyphAndCaption(dc, TRect{r.left, r.top, r.right, r.bottom}, state_);
  SelectObject(dc, oldFont);
}

void TSpeedButton::DrawGlyphAndCaption(HDC DC, const TRect& Rect, TButtonState State) {
  glyph_->Draw(DC, Rect, TPoint{0, 0}, Caption(), layout_, margin_, spacing_, State, flat_, DrawTextBiDiModeFlags(0));
}

void TSpeedButton::ActionChange(TObject* Sender, bool CheckDefaults) {
  TGraphicControl::ActionChange(Sender, CheckDefaults);
  if (auto* a = dynamic_cast<TCustomAction*>(Sender)) {
    if (!CheckDefaults || group_index_ == 0) SetGroupIndex(a->GroupIndex());
    if (!CheckDefaults || !down_) SetDown(a->Checked());
  }
}

TControlActionLinkClass TSpeedButton::GetActionLinkClass() {
  return [](TControl* Client) -> TControlActionLink* { return new TSpeedButtonActionLink(Client); };
}

static const bool registered =
    DeclareClass<TSpeedButton, TGraphicControl>("TSpeedButton")
        .Boolean("AllowAllUp", &TSpeedButton::AllowAllUp, &TSpeedButton::SetAllowAllUp, Default(0))
        .Integer("GroupIndex", &TSpeedButton::GroupIndex, &TSpeedButton::SetGroupIndex, Default(0))
        .Boolean("Down", &TSpeedButton::Down, &TSpeedButton::SetDown, Default(0), &TSpeedButton::IsCheckedStored)
        .Boolean("Flat", &TSpeedButton::Flat, &TSpeedButton::SetFlat, Default(0))
        .Object("Glyph", &TSpeedButton::Glyph, [](TSpeedButton* b) { return !b->Glyph()->Empty(); })
        .Enum("Layout", {"blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom"}, &TSpeedButton::Layout,
              &TSpeedButton::SetLayout, Default(blGlyphLeft))
        .Integer("Margin", &TSpeedButton::Margin, &TSpeedButton::SetMargin, Default(-1))
        .Integer("NumGlyphs", &TSpeedButton::NumGlyphs, &TSpeedButton::SetNumGlyphs, Default(1))
        .Integer("Spacing", &TSpeedButton::Spacing, &TSpeedButton::SetSpacing, Default(4))
        .Done();
