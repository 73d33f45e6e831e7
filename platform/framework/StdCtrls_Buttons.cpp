// The controls of the platform's "BUTTON" class: push buttons with a default and a cancel
// role and a modal result, check boxes with three states, and radio buttons that uncheck their
// siblings.
#include "StdCtrls.h"

#include "TypInfo.h"

namespace stdctrls_detail {
void AnswerCtlColor(TWinControl* Control, TMessage& Message);
bool IsCtlColor(UINT Msg);
}  // namespace stdctrls_detail

bool TButtonActionLink::IsCheckedLinked() {
  auto* action = dynamic_cast<TCustomAction*>(action_);
  auto* button = dynamic_cast<TButtonControl*>(client_);
  return action && button && button->Checked() == action->Checked();
}

void TButtonActionLink::SetChecked(bool Value) {
  if (IsCheckedLinked()) static_cast<TButtonControl*>(client_)->SetCheckedQuietly(Value);
}

TButtonControl::TButtonControl(TComponent* AOwner) : TWinControl(AOwner) {}

TControlActionLinkClass TButtonControl::GetActionLinkClass() {
  return [](TControl* c) -> TControlActionLink* { return new TButtonActionLink(c); };
}

void TButtonControl::ActionChange(TObject* Sender, bool CheckDefaults) {
  TWinControl::ActionChange(Sender, CheckDefaults);
  if (auto* action = dynamic_cast<TCustomAction*>(Sender))
    if (!CheckDefaults || !Checked()) SetCheckedQuietly(action->Checked());
}

void TButtonControl::SetCheckedQuietly(bool Value) {
  bool was = clicks_disabled_;
  clicks_disabled_ = true;
  try {
    SetChecked(Value);
  } catch (...) {
    clicks_disabled_ = was;
    throw;
  }
  clicks_disabled_ = was;
}

bool TButtonControl::IsCheckedStored() {
  auto* link = dynamic_cast<TActionClientLink*>(ActionLink());
  return !link || !link->IsCheckedLinked();
}

void TButtonControl::SetWordWrap(bool Value) {
  if (word_wrap_ == Value) return;
  word_wrap_ = Value;
  RecreateWnd();
}

void TButtonControl::Dispatch(TMessage& Message) {
  // Boxes and buttons paint on their parent's colour.
  if (stdctrls_detail::IsCtlColor(Message.Msg)) {
    stdctrls_detail::AnswerCtlColor(this, Message);
    return;
  }
  TWinControl::Dispatch(Message);
}

// ---- TButton ----

TButton::TButton(TComponent* AOwner) : TButtonControl(AOwner) {
  control_style_ = TControlStyle{csSetCaption, csDoubleClicks};
  width_ = 75;
  height_ = 25;
  SetTabStop(true);
}

void TButton::CreateParams(TCreateParams& Params) {
  TButtonControl::CreateParams(Params);
  CreateSubClass(Params, "BUTTON");
  Params.Style |= active_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
  if (WordWrap()) Params.Style |= BS_MULTILINE;
}

void TButton::CreateWnd() {
  active_ = default_;
  TButtonControl::CreateWnd();
}

void TButton::SetDefault(bool Value) {
  if (default_ == Value) return;
  default_ = Value;
  // The default button shows as such until another button takes the focus.
  if (HandleAllocated()) {
    TCustomForm* form = GetParentForm(this);
    TWinControl* focused = form ? form->ActiveControl() : nullptr;
    if (!dynamic_cast<TButton*>(focused)) SetButtonStyle(Value);
  }
}

void TButton::SetButtonStyle(bool ADefault) {
  active_ = ADefault;
  if (HandleAllocated()) SendMessageA(handle_, BM_SETSTYLE, ADefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, 1);
}

void TButton::Click() {
  if (TCustomForm* form = GetParentForm(this)) {
    if (modal_result_ != mrNone) form->SetModalResult(modal_result_);
  }
  TButtonControl::Click();
}

void TButton::CMDialogKey(TMessage& Message) {
  // Return reaches the active (default) button, Escape the cancel button, without modifiers.
  const UINT key = static_cast<UINT>(Message.WParam);
  if (((key == VK_RETURN && active_) || (key == VK_ESCAPE && cancel_)) &&
      KeyDataToShiftState(Message.LParam).Bits() == 0 && CanFocus()) {
    Click();
    Message.Result = 1;
    return;
  }
  Message.Result = 0;
}

void TButton::CMDialogChar(TMessage& Message) {
  if (IsAccel(static_cast<Word>(Message.WParam), Caption()) && CanFocus()) {
    Click();
    Message.Result = 1;
  }
}

void TButton::CMFocusChanged(TMessage& Message) {
  // A focused button is the one Return clicks; otherwise the default button is.
  auto* focused = reinterpret_cast<TWinControl*>(Message.LParam);
  if (auto* b = dynamic_cast<TButton*>(focused)) SetButtonStyle(b == this);
  else SetButtonStyle(default_);
}

void TButton::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_COMMAND:
      if (HIWORD(Message.WParam) == BN_CLICKED) Click();
      return;
    case CM_DIALOGKEY: CMDialogKey(Message); return;
    case CM_DIALOGCHAR: CMDialogChar(Message); return;
    case CM_FOCUSCHANGED: CMFocusChanged(Message); return;
    default: break;
  }
  TButtonControl::Dispatch(Message);
}

// ---- TCustomCheckBox ----

TCustomCheckBox::TCustomCheckBox(TComponent* AOwner) : TButtonControl(AOwner) {
  control_style_ = TControlStyle{csSetCaption, csDoubleClicks};
  width_ = 97;
  height_ = 17;
  SetTabStop(true);
}

void TCustomCheckBox::CreateParams(TCreateParams& Params) {
  TButtonControl::CreateParams(Params);
  CreateSubClass(Params, "BUTTON");
  // The box is the framework's: the window only shows State.
  Params.Style |= BS_3STATE;
  // A mirrored alignment puts the box on the other side.
  if ((alignment_ == taLeftJustify) != UseRightToLeftAlignment()) Params.Style |= BS_LEFTTEXT;
  if (WordWrap()) Params.Style |= BS_MULTILINE;
}

void TCustomCheckBox::CreateWnd() {
  TButtonControl::CreateWnd();
  SendMessageA(handle_, BM_SETCHECK, static_cast<WPARAM>(state_), 0);
}

void TCustomCheckBox::SetAlignment(TLeftRight Value) {
  if (alignment_ == Value) return;
  alignment_ = Value;
  RecreateWnd();
}

void TCustomCheckBox::SetState(TCheckBoxState Value) {
  if (state_ == Value) return;
  state_ = Value;
  if (HandleAllocated()) SendMessageA(handle_, BM_SETCHECK, static_cast<WPARAM>(state_), 0);
  // A change made by the program is a click too, except while the form is read.
  if (!ClicksDisabled() && !ComponentState().Contains(csLoading) && !ComponentState().Contains(csReading)) Click();
}

void TCustomCheckBox::Toggle() {
  switch (state_) {
    case cbUnchecked: SetState(allow_grayed_ ? cbGrayed : cbChecked); break;
    case cbChecked: SetState(cbUnchecked); break;
    case cbGrayed: SetState(cbChecked); break;
  }
}

void TCustomCheckBox::CMDialogChar(TMessage& Message) {
  if (IsAccel(static_cast<Word>(Message.WParam), Caption()) && CanFocus()) {
    SetFocus();
    if (Focused()) Toggle();
    Message.Result = 1;
  }
}

void TCustomCheckBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_COMMAND:
      if (HIWORD(Message.WParam) == BN_CLICKED) Toggle();
      return;
    case CM_DIALOGCHAR: CMDialogChar(Message); return;
    default: break;
  }
  TButtonControl::Dispatch(Message);
}

// ---- TRadioButton ----

TRadioButton::TRadioButton(TComponent* AOwner) : TButtonControl(AOwner) {
  control_style_ = TControlStyle{csSetCaption, csDoubleClicks};
  width_ = 113;
  height_ = 17;
}

void TRadioButton::CreateParams(TCreateParams& Params) {
  TButtonControl::CreateParams(Params);
  CreateSubClass(Params, "BUTTON");
  Params.Style |= BS_RADIOBUTTON;
  // A mirrored alignment puts the box on the other side.
  if ((alignment_ == taLeftJustify) != UseRightToLeftAlignment()) Params.Style |= BS_LEFTTEXT;
  if (WordWrap()) Params.Style |= BS_MULTILINE;
}

void TRadioButton::CreateWnd() {
  TButtonControl::CreateWnd();
  SendMessageA(handle_, BM_SETCHECK, checked_ ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TRadioButton::SetAlignment(TLeftRight Value) {
  if (alignment_ == Value) return;
  alignment_ = Value;
  RecreateWnd();
}

void TRadioButton::SetChecked(bool Value) {
  if (checked_ == Value) return;
  checked_ = Value;
  SetTabStop(Value);
  if (HandleAllocated()) SendMessageA(handle_, BM_SETCHECK, Value ? BST_CHECKED : BST_UNCHECKED, 0);
  if (!Value) return;
  // One radio button of a parent is checked at a time.
  if (TWinControl* p = Parent()) {
    for (int i = 0; i < p->ControlCount(); ++i)
      if (auto* other = dynamic_cast<TRadioButton*>(p->Controls(i)); other && other != this) other->SetChecked(false);
  }
  if (!ClicksDisabled() && !ComponentState().Contains(csLoading) && !ComponentState().Contains(csReading)) Click();
}

void TRadioButton::CMDialogChar(TMessage& Message) {
  if (IsAccel(static_cast<Word>(Message.WParam), Caption()) && CanFocus()) {
    SetFocus();
    if (Focused()) SetChecked(true);
    Message.Result = 1;
  }
}

void TRadioButton::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_COMMAND:
      switch (HIWORD(Message.WParam)) {
        case BN_CLICKED: SetChecked(true); break;
        case BN_DOUBLECLICKED: DblClick(); break;
        default: break;
      }
      return;
    case CM_DIALOGCHAR: CMDialogChar(Message); return;
    default: break;
  }
  TButtonControl::Dispatch(Message);
}

static const bool registered =
    DeclareClass<TButtonControl, TWinControl>("TButtonControl")
        .Boolean("WordWrap", &TButtonControl::WordWrap, &TButtonControl::SetWordWrap, Default(0))
        .Done() &&
    DeclareClass<TButton, TButtonControl>("TButton")
        .Boolean("Cancel", &TButton::Cancel, &TButton::SetCancel, Default(0))
        .Boolean("Default", &TButton::Default, &TButton::SetDefault, Default(0))
        .Integer("ModalResult", &TButton::ModalResult, &TButton::SetModalResult, Default(0))
        .Done() &&
    DeclareClass<TCustomCheckBox, TButtonControl>("TCustomCheckBox")
        .Enum("Alignment", {"taLeftJustify", "taRightJustify"}, &TCustomCheckBox::Alignment,
              &TCustomCheckBox::SetAlignment, Default(taRightJustify))
        .Boolean("AllowGrayed", &TCustomCheckBox::AllowGrayed, &TCustomCheckBox::SetAllowGrayed, Default(0))
        .Boolean("Checked", [](TCustomCheckBox* c) { return c->Checked(); },
                 [](TCustomCheckBox* c, bool v) { c->SetChecked(v); }, Default(0),
                 [](TCustomCheckBox* c) { return c->State() != cbGrayed && c->IsCheckedStored(); })
        .Enum("State", {"cbUnchecked", "cbChecked", "cbGrayed"}, &TCustomCheckBox::State, &TCustomCheckBox::SetState,
              Default(cbUnchecked))
        .Done() &&
    DeclareClass<TCheckBox, TCustomCheckBox>("TCheckBox").Done() &&
    DeclareClass<TRadioButton, TButtonControl>("TRadioButton")
        .Enum("Alignment", {"taLeftJustify", "taRightJustify"}, &TRadioButton::Alignment, &TRadioButton::SetAlignment,
              Default(taRightJustify))
        .Boolean("Checked", [](TRadioButton* c) { return c->Checked(); },
                 [](TRadioButton* c, bool v) { c->SetChecked(v); }, Default(0), &TRadioButton::IsCheckedStored)
        .Done();
