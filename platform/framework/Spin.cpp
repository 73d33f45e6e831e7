// TSpinEdit: the platform's edit with an up-down child window; the value is the edit's text.
#include "Spin.h"

#include <commctrl.h>

#include "SysUtils.h"
#include "TypInfo.h"

namespace {
constexpr int kButtonWidth = 15;
}

TSpinEdit::TSpinEdit(TComponent* AOwner) : TCustomEdit(AOwner) {
  control_style_.Exclude(csSetCaption);
  SetText("0");
}

void TSpinEdit::CreateParams(TCreateParams& Params) {
  TCustomEdit::CreateParams(Params);
  // The button is a child of the edit; the edit's painting leaves it alone.
  Params.Style |= WS_CLIPCHILDREN;
}

void TSpinEdit::CreateWnd() {
  TCustomEdit::CreateWnd();
  InitCommonControls();
  button_ = CreateWindowExA(0, UPDOWN_CLASSA, "", WS_CHILD | WS_VISIBLE, 0, 0, kButtonWidth, height_, handle_, nullptr,
                            nullptr, nullptr);
  // The position stays in the middle of a wide range: only the direction of a step counts.
  SendMessageA(button_, UDM_SETRANGE32, 0, 100);
  SendMessageA(button_, UDM_SETPOS32, 0, 50);
  PlaceButton();
}

void TSpinEdit::DestroyWnd() {
  button_ = nullptr;  // goes with the edit's window
  TCustomEdit::DestroyWnd();
}

void TSpinEdit::PlaceButton() {
  if (!button_) return;
  RECT r;
  GetClientRect(handle_, &r);
  MoveWindow(button_, r.right - kButtonWidth, 0, kButtonWidth, r.bottom, TRUE);
  // The text stops short of the button.
  SendMessageA(handle_, EM_SETMARGINS, EC_RIGHTMARGIN, MAKELONG(0, kButtonWidth + 2));
}

int TSpinEdit::CheckValue(int NewValue) const {
  if (max_value_ == min_value_) return NewValue;
  if (NewValue < min_value_) return min_value_;
  if (NewValue > max_value_) return max_value_;
  return NewValue;
}

int TSpinEdit::Value() {
  int v = 0;
  if (!TryStrToInt(Text(), v)) return min_value_;
  return v;
}

void TSpinEdit::SetValue(int NewValue) { SetText(IntToStr(CheckValue(NewValue))); }

void TSpinEdit::UpClick() {
  if (ReadOnly()) MessageBeep(0);
  else SetValue(Value() + increment_);
}

void TSpinEdit::DownClick() {
  if (ReadOnly()) MessageBeep(0);
  else SetValue(Value() - increment_);
}

bool TSpinEdit::IsValidChar(char Key) {
  const auto k = static_cast<unsigned char>(Key);
  bool ok = Key == '+' || Key == '-' || (Key >= '0' && Key <= '9') || (k < 0x20 && Key != '\r');
  // Without the editor only the buttons change the text.
  if (!editor_enabled_ && ok && (k >= 0x20 || Key == '\b' || k == 0x7F)) ok = false;
  return ok;
}

void TSpinEdit::KeyDown(Word& Key, TShiftState Shift) {
  if (Key == VK_UP) UpClick();
  else if (Key == VK_DOWN) DownClick();
  TCustomEdit::KeyDown(Key, Shift);
}

void TSpinEdit::KeyPress(char& Key) {
  if (!IsValidChar(Key)) {
    Key = 0;
    MessageBeep(0);
  }
  if (Key != 0) TCustomEdit::KeyPress(Key);
}

void TSpinEdit::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_NOTIFY: {
      auto* nm = reinterpret_cast<const NMUPDOWN*>(Message.LParam);
      if (button_ && nm && nm->hdr.hwndFrom == button_ && nm->hdr.code == static_cast<UINT>(UDN_DELTAPOS)) {
        if (nm->iDelta > 0) UpClick();
        else if (nm->iDelta < 0) DownClick();
        Message.Result = 1;  // the button's own position does not move
        return;
      }
      break;
    }
    case WM_SIZE:
      TCustomEdit::Dispatch(Message);
      PlaceButton();
      return;
    case WM_PASTE:
    case WM_CUT:
      if (!editor_enabled_ || ReadOnly()) return;
      break;
    case CM_EXIT:
      // Leaving the edit brings a value outside the range back into it.
      if (CheckValue(Value()) != Value()) SetValue(Value());
      break;
    case CM_ENABLEDCHANGED:
      TCustomEdit::Dispatch(Message);
      if (button_) EnableWindow(button_, Enabled());
      return;
    default:
      break;
  }
  TCustomEdit::Dispatch(Message);
}

static const bool registered =
    DeclareClass<TSpinEdit, TCustomEdit>("TSpinEdit")
        .Boolean("EditorEnabled", &TSpinEdit::EditorEnabled, &TSpinEdit::SetEditorEnabled, Default(1))
        .Integer("Increment", &TSpinEdit::Increment, &TSpinEdit::SetIncrement, Default(1))
        .Integer("MaxValue", &TSpinEdit::MaxValue, &TSpinEdit::SetMaxValue, Default(0))
        .Integer("MinValue", &TSpinEdit::MinValue, &TSpinEdit::SetMinValue, Default(0))
        .Integer("Value", &TSpinEdit::Value, &TSpinEdit::SetValue, Default(0))
        .Done();
