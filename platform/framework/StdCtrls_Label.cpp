// TCustomLabel: text drawn on the parent's canvas, sized to its text, with an accelerator that
// focuses another control.
#include "StdCtrls.h"

#include <wintext.h>

#include "SysUtils.h"
#include "TypInfo.h"

TOwnerDrawState OwnerDrawStateOf(UINT ItemState) {
  TOwnerDrawState s;
  if (ItemState & ODS_SELECTED) s.Include(odSelected);
  if (ItemState & ODS_GRAYED) s.Include(odGrayed);
  if (ItemState & ODS_DISABLED) s.Include(odDisabled);
  if (ItemState & ODS_CHECKED) s.Include(odChecked);
  if (ItemState & ODS_FOCUS) s.Include(odFocused);
  if (ItemState & ODS_DEFAULT) s.Include(odDefault);
  if (ItemState & ODS_HOTLIGHT) s.Include(odHotLight);
  if (ItemState & ODS_INACTIVE) s.Include(odInactive);
  if (ItemState & ODS_NOACCEL) s.Include(odNoAccel);
  return s;
}

bool IsAccel(Word Key, const AnsiString& Caption) {
  // "&&" is a literal ampersand; the accelerator is the character after a single one. An
  // ampersand is never part of a double-byte character, but its follower may be one.
  for (size_t i = 0; i + 1 < Caption.size(); ++i) {
    if (Caption[i] != '&') continue;
    if (Caption[i + 1] == '&') {
      ++i;
      continue;
    }
    AnsiString c = Caption.substr(i + 1, IsDBCSLeadByte(static_cast<BYTE>(Caption[i + 1])) ? 2 : 1);
    AnsiString k(1, static_cast<char>(Key & 0xFF));
    return AnsiUpperCase(c) == AnsiUpperCase(k);
  }
  return false;
}

TCustomLabel::TCustomLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
  control_style_ = control_style_ + csOpaque + csReplicatable;
  width_ = 65;
  height_ = 17;
}

AnsiString TCustomLabel::GetLabelText() { return Caption(); }

void TCustomLabel::DoDrawText(TRect& Rect, UINT Flags) {
  AnsiString text = GetLabelText();
  // Measuring an empty text (or a lone accelerator sign) still gives one line's height.
  if ((Flags & DT_CALCRECT) && (text.empty() || (show_accel_char_ && text == "&"))) text += " ";
  if (!show_accel_char_) Flags |= DT_NOPREFIX;
  TCanvas* c = Canvas();
  c->SetFont(Font());
  HDC dc = c->Handle();
  RECT r{Rect.left, Rect.top, Rect.right, Rect.bottom};
  if (!Enabled()) {
    // Disabled text: embossed, a highlight copy one pixel down and right under a shadow one.
    OffsetRect(&r, 1, 1);
    c->Font()->SetColor(clBtnHighlight);
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, Flags);
    OffsetRect(&r, -1, -1);
    c->Font()->SetColor(clBtnShadow);
    DrawTextA(c->Handle(), text.c_str(), static_cast<int>(text.size()), &r, Flags);
  } else {
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, Flags);
  }
  Rect = TRect{r.left, r.top, r.right, r.bottom};
}

void TCustomLabel::Paint() {
  TCanvas* c = Canvas();
  TRect rect = ClientRect();
  if (!Transparent()) {
    c->Brush()->SetColor(Color());
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(rect);
  }
  c->Brush()->SetStyle(bsClear);
  static constexpr UINT kAlign[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
  UINT flags = DrawTextBiDiModeFlags(DT_EXPANDTABS | (word_wrap_ ? DT_WORDBREAK : 0) | kAlign[alignment_]);
  if (layout_ != tlTop) {
    // Place the text's block at the centre or the bottom.
    TRect calc = rect;
    DoDrawText(calc, flags | DT_CALCRECT);
    int h = calc.bottom - calc.top;
    int offset = layout_ == tlBottom ? rect.bottom - h : (rect.bottom - rect.top - h) / 2;
    rect.top = offset;
    rect.bottom = offset + h;
  }
  DoDrawText(rect, flags);
}

void TCustomLabel::AdjustBounds() {
  if (ComponentState().Contains(csReading) || ComponentState().Contains(csLoading) || !auto_size_) return;
  TRect r = ClientRect();
  TCanvas* c = Canvas();
  if (auto* cc = dynamic_cast<TControlCanvas*>(c)) cc->FreeHandle();
  HDC screen = GetDC(nullptr);
  c->SetHandle(screen);
  DoDrawText(r, DT_EXPANDTABS | DT_CALCRECT | (word_wrap_ ? DT_WORDBREAK : 0));
  c->SetHandle(nullptr);
  ReleaseDC(nullptr, screen);
  int x = left_;
  int w = r.right - r.left;
  // A mirrored alignment keeps the other edge in place.
  TAlignment alignment = alignment_;
  if (UseRightToLeftAlignment() && alignment != taCenter)
    alignment = alignment == taLeftJustify ? taRightJustify : taLeftJustify;
  if (alignment == taRightJustify) x = left_ + width_ - w;
  else if (alignment == taCenter) x = left_ + (width_ - w) / 2;
  SetBounds(x, top_, w, r.bottom - r.top);
}

void TCustomLabel::Loaded() {
  TGraphicControl::Loaded();
  AdjustBounds();
}

void TCustomLabel::SetAutoSize(bool Value) {
  if (auto_size_ == Value) return;
  auto_size_ = Value;
  AdjustBounds();
}

void TCustomLabel::SetAlignment(TAlignment Value) {
  if (alignment_ == Value) return;
  alignment_ = Value;
  Invalidate();
}

void TCustomLabel::SetLayout(TTextLayout Value) {
  if (layout_ == Value) return;
  layout_ = Value;
  Invalidate();
}

void TCustomLabel::SetWordWrap(bool Value) {
  if (word_wrap_ == Value) return;
  word_wrap_ = Value;
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool Value) {
  if (show_accel_char_ == Value) return;
  show_accel_char_ = Value;
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::SetTransparent(bool Value) {
  if (Transparent() == Value) return;
  if (Value) control_style_.Exclude(csOpaque);
  else control_style_.Include(csOpaque);
  Invalidate();
}

void TCustomLabel::SetFocusControl(TWinControl* Value) {
  focus_control_ = Value;
  if (Value) Value->FreeNotification(this);
}

void TCustomLabel::Notification(TComponent* AComponent, TOperation Operation) {
  TGraphicControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == focus_control_) focus_control_ = nullptr;
}

void TCustomLabel::CMDialogChar(TMessage& Message) {
  if (focus_control_ && Enabled() && show_accel_char_ && IsAccel(static_cast<Word>(Message.WParam), Caption()) &&
      focus_control_->CanFocus()) {
    focus_control_->SetFocus();
    Message.Result = 1;
  }
}

void TCustomLabel::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
      AdjustBounds();
      Invalidate();
      break;
    case CM_DIALOGCHAR:
      CMDialogChar(Message);
      return;
    default:
      break;
  }
  TGraphicControl::Dispatch(Message);
}

static const bool registered =
    DeclareClass<TCustomLabel, TGraphicControl>("TCustomLabel")
        .Enum("Alignment", {"taLeftJustify", "taRightJustify", "taCenter"}, &TCustomLabel::Alignment,
              &TCustomLabel::SetAlignment, Default(taLeftJustify))
        .Boolean("AutoSize", &TCustomLabel::AutoSize, &TCustomLabel::SetAutoSize, Default(1))
        .Component("FocusControl", &TCustomLabel::FocusControl, &TCustomLabel::SetFocusControl)
        .Enum("Layout", {"tlTop", "tlCenter", "tlBottom"}, &TCustomLabel::Layout, &TCustomLabel::SetLayout,
              Default(tlTop))
        .Boolean("ShowAccelChar", &TCustomLabel::ShowAccelChar, &TCustomLabel::SetShowAccelChar, Default(1))
        .Boolean("Transparent", &TCustomLabel::Transparent, &TCustomLabel::SetTransparent, Default(0))
        .Boolean("WordWrap", &TCustomLabel::WordWrap, &TCustomLabel::SetWordWrap, Default(0))
        .Done() &&
    DeclareClass<TLabel, TCustomLabel>("TLabel").Done();
