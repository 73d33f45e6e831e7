#include "UcExtCtrls.h"

#include <algorithm>

#include "Forms.h"
#include "TypInfo.h"

std::vector<TRect> ArrangeWideRadioButtons(int Count, int Columns, int ClientWidth, int ClientHeight, int TextHeight,
                                           bool RightToLeft) {
  return ArrangeRadioButtons(Count, Columns, ClientWidth, ClientHeight, TextHeight, RightToLeft);
}

// ---- buttons ----

TUcGroupButton::TUcGroupButton(TUcCustomRadioGroup* Group) : TUcRadioButton(Group), group_(Group) {
  group_->buttons_.push_back(this);
  SetVisible(false);
  SetEnabled(Group->Enabled());
  SetParentShowHint(false);
  OnClick = [this](TObject*) { group_->ButtonClick(this); };
  SetParent(Group);
}

TUcGroupButton::~TUcGroupButton() {
  auto& list = group_->buttons_;
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

void TUcGroupButton::Dispatch(TMessage& Message) {
  if (Message.Msg != CN_COMMAND) {
    TUcRadioButton::Dispatch(Message);
    return;
  }
  // One command at a time: checking a button may send another.
  if (in_click_) return;
  in_click_ = true;
  try {
    const WORD code = HIWORD(Message.WParam);
    if ((code == BN_CLICKED || code == BN_DOUBLECLICKED) && group_->CanModify()) TUcRadioButton::Dispatch(Message);
  } catch (...) {
    in_click_ = false;
    if (Application) Application->HandleException(this);
    return;
  }
  in_click_ = false;
}

void TUcGroupButton::KeyPress(char& Key) {
  group_->KeyPress(Key);
  if ((Key == '\b' || Key == ' ') && !group_->CanModify()) Key = 0;
  TUcRadioButton::KeyPress(Key);
}

void TUcGroupButton::KeyDown(Word& Key, TShiftState Shift) {
  group_->KeyDown(Key, Shift);
  TUcRadioButton::KeyDown(Key, Shift);
}

// ---- the group ----

TUcCustomRadioGroup::TUcCustomRadioGroup(TComponent* AOwner)
    : TUcCustomGroupBox(AOwner), items_(std::make_unique<TUcStringList>()) {
  SetControlStyle(TControlStyle{csSetCaption, csDoubleClicks});
  items_->OnChange = [this](TObject* Sender) { ItemsChange(Sender); };
}

TUcCustomRadioGroup::~TUcCustomRadioGroup() {
  items_->OnChange = nullptr;
  while (!buttons_.empty()) delete buttons_.back();
}

TUcGroupButton* TUcCustomRadioGroup::Buttons(int Index) const {
  if (Index < 0 || Index >= ButtonCount()) return nullptr;
  return buttons_[static_cast<size_t>(Index)];
}

void TUcCustomRadioGroup::ItemsChange(TObject*) {
  if (reading_) return;
  if (item_index_ >= items_->Count()) item_index_ = items_->Count() - 1;
  UpdateButtons();
}

void TUcCustomRadioGroup::UpdateButtons() {
  while (ButtonCount() < items_->Count()) new TUcGroupButton(this);
  while (ButtonCount() > items_->Count()) delete buttons_.back();
  for (int i = 0; i < ButtonCount(); ++i) buttons_[static_cast<size_t>(i)]->SetCaption(items_->Get(i));
  if (item_index_ >= 0) {
    updating_ = true;
    try {
      buttons_[static_cast<size_t>(item_index_)]->SetChecked(true);
    } catch (...) {
      updating_ = false;
      throw;
    }
    updating_ = false;
  }
  ArrangeButtons();
  Invalidate();
}

void TUcCustomRadioGroup::ArrangeButtons() {
  if (reading_ || buttons_.empty()) return;
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font()->Handle());
  TEXTMETRICA tm{};
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  const std::vector<TRect> rects =
      ArrangeWideRadioButtons(ButtonCount(), columns_, Width(), Height(), static_cast<int>(tm.tmHeight),
                              UseRightToLeftAlignment());
  // One batch of moves, without changing order or activation.
  HDWP batch = BeginDeferWindowPos(ButtonCount());
  for (int i = 0; i < ButtonCount(); ++i) {
    const TRect& r = rects[static_cast<size_t>(i)];
    TUcGroupButton* b = buttons_[static_cast<size_t>(i)];
    b->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
    if (batch && b->HandleAllocated())
      batch = DeferWindowPos(batch, b->Handle(), nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                             SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (batch) EndDeferWindowPos(batch);
  // Shown, each in the group's reading order.
  for (TUcGroupButton* b : buttons_) {
    b->SetVisible(true);
    if (b->BiDiMode() != BiDiMode()) b->SetBiDiMode(BiDiMode());
  }
}

void TUcCustomRadioGroup::ButtonClick(TUcGroupButton* Button) {
  if (updating_) return;
  auto it = std::find(buttons_.begin(), buttons_.end(), Button);
  item_index_ = it == buttons_.end() ? -1 : static_cast<int>(it - buttons_.begin());
  Click();
}

void TUcCustomRadioGroup::SetItemIndex(int Value) {
  if (reading_) {
    item_index_ = Value;
    return;
  }
  Value = std::clamp(Value, -1, ButtonCount() - 1);
  if (item_index_ == Value) return;
  if (item_index_ >= 0) buttons_[static_cast<size_t>(item_index_)]->SetChecked(false);
  item_index_ = Value;
  if (item_index_ >= 0) buttons_[static_cast<size_t>(item_index_)]->SetChecked(true);
}

void TUcCustomRadioGroup::SetColumns(int Value) {
  Value = std::clamp(Value, 1, 16);
  if (columns_ == Value) return;
  columns_ = Value;
  ArrangeButtons();
  Invalidate();
}

void TUcCustomRadioGroup::Loaded() {
  TUcCustomGroupBox::Loaded();
  ArrangeButtons();
}

void TUcCustomRadioGroup::ReadState(TReader* Reader) {
  reading_ = true;
  try {
    TUcCustomGroupBox::ReadState(Reader);
  } catch (...) {
    reading_ = false;
    throw;
  }
  reading_ = false;
  UpdateButtons();
}

void TUcCustomRadioGroup::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_ENABLEDCHANGED:
      for (TUcGroupButton* b : buttons_) b->SetEnabled(Enabled());
      break;
    case CM_FONTCHANGED:
    case CM_BIDIMODECHANGED:
    case WM_SIZE:
      TUcCustomGroupBox::Dispatch(Message);
      ArrangeButtons();
      return;
    default:
      break;
  }
  TUcCustomGroupBox::Dispatch(Message);
}

static const bool registered =
    DeclareClass<TUcCustomRadioGroup, TUcCustomGroupBox>("TUcCustomRadioGroup")
        .Integer("Columns", &TUcCustomRadioGroup::Columns, &TUcCustomRadioGroup::SetColumns, Default(1))
        .Integer("ItemIndex", &TUcCustomRadioGroup::ItemIndex, &TUcCustomRadioGroup::SetItemIndex, Default(-1))
        .Object("Items", &TUcCustomRadioGroup::Items)
        .Done() &&
    DeclareClass<TUcRadioGroup, TUcCustomRadioGroup>("TUcRadioGroup").Done();
