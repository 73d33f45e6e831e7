// TCustomRadioGroup: a group box with one radio button per item, arranged in columns, whose
// checked button is ItemIndex.
#include "ExtCtrls.h"

#include <algorithm>

#include "TypInfo.h"

std::vector<TRect> ArrangeRadioButtons(int Count, int Columns, int ClientWidth, int ClientHeight, int TextHeight,
                                       bool RightToLeft) {
  std::vector<TRect> out;
  if (Count <= 0) return out;
  if (Columns < 1) Columns = 1;
  const int rows = (Count + Columns - 1) / Columns;
  const int columnWidth = (ClientWidth - 10) / Columns;
  // The room below the caption's line is shared by the rows; what is left over is split above
  // and below them.
  const int freeHeight = ClientHeight - TextHeight - 5;
  const int buttonHeight = freeHeight / rows;
  const int topOffset = (freeHeight % rows) / 2 + TextHeight + 1;
  out.reserve(static_cast<size_t>(Count));
  for (int i = 0; i < Count; ++i) {
    int left = (i / rows) * columnWidth + 8;
    if (RightToLeft) left = ClientWidth - left - columnWidth;
    const int top = (i % rows) * buttonHeight + topOffset;
    out.push_back(TRect{left, top, left + columnWidth, top + buttonHeight});
  }
  return out;
}

// A button of a radio group: clicked through the group, its keys go to the group first.
class TGroupButton : public TRadioButton {
 public:
  explicit TGroupButton(TCustomRadioGroup* Group) : TRadioButton(Group), group_(Group) {
    group_->buttons_.push_back(this);
    SetVisible(false);
    SetEnabled(Group->Enabled());
    SetParentShowHint(false);
    OnClick = [this](TObject*) { group_->ButtonClick(this); };
    SetParent(Group);
  }
  ~TGroupButton() override {
    auto& list = group_->buttons_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
  }

 protected:
  void Dispatch(TMessage& Message) override {
    if (Message.Msg == CN_COMMAND) {
      // One command at a time: checking a button may send another.
      if (in_click_) return;
      in_click_ = true;
      try {
        const WORD code = HIWORD(Message.WParam);
        if ((code == BN_CLICKED || code == BN_DOUBLECLICKED) && group_->CanModify()) TRadioButton::Dispatch(Message);
      } catch (...) {
        in_click_ = false;
        if (Application) Application->HandleException(this);
        return;
      }
      in_click_ = false;
      return;
    }
    TRadioButton::Dispatch(Message);
  }
  void KeyPress(char& Key) override {
    group_->KeyPress(Key);
    if ((Key == '\b' || Key == ' ') && !group_->CanModify()) Key = 0;
    TRadioButton::KeyPress(Key);
  }
  void KeyDown(Word& Key, TShiftState Shift) override {
    group_->KeyDown(Key, Shift);
    TRadioButton::KeyDown(Key, Shift);
  }

 private:
  TCustomRadioGroup* group_;
  bool in_click_ = false;
};

TCustomRadioGroup::TCustomRadioGroup(TComponent* AOwner)
    : TCustomGroupBox(AOwner), items_(std::make_unique<TStringList>()) {
  control_style_ = TControlStyle{csSetCaption, csDoubleClicks};
  items_->OnChange = [this](TObject* Sender) { ItemsChange(Sender); };
}

TCustomRadioGroup::~TCustomRadioGroup() {
  // The buttons go first, while the list they leave still exists.
  items_->OnChange = nullptr;
  while (!buttons_.empty()) delete buttons_.back();
}

TRadioButton* TCustomRadioGroup::Buttons(int Index) const {
  if (Index < 0 || Index >= ButtonCount()) return nullptr;
  return buttons_[static_cast<size_t>(Index)];
}

void TCustomRadioGroup::ItemsChange(TObject*) {
  if (reading_) return;
  if (item_index_ >= items_->Count()) item_index_ = items_->Count() - 1;
  UpdateButtons();
}

void TCustomRadioGroup::UpdateButtons() {
  while (ButtonCount() < items_->Count()) new TGroupButton(this);
  while (ButtonCount() > items_->Count()) delete buttons_.back();
  for (int i = 0; i < ButtonCount(); ++i) buttons_[static_cast<size_t>(i)]->SetCaption(items_->Strings(i));
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

void TCustomRadioGroup::ArrangeButtons() {
  if (reading_ || buttons_.empty()) return;
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font()->Handle());
  TEXTMETRICA tm{};
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  std::vector<TRect> rects = ArrangeRadioButtons(ButtonCount(), columns_, width_, height_, static_cast<int>(tm.tmHeight),
                                                 UseRightToLeftAlignment());
  for (int i = 0; i < ButtonCount(); ++i) {
    const TRect& r = rects[static_cast<size_t>(i)];
    TRadioButton* b = buttons_[static_cast<size_t>(i)];
    b->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
    b->SetVisible(true);
    if (b->BiDiMode() != BiDiMode()) b->SetBiDiMode(BiDiMode());
  }
}

void TCustomRadioGroup::ButtonClick(TRadioButton* Button) {
  if (updating_) return;
  auto it = std::find(buttons_.begin(), buttons_.end(), Button);
  item_index_ = it == buttons_.end() ? -1 : static_cast<int>(it - buttons_.begin());
  Click();
}

void TCustomRadioGroup::SetItemIndex(int Value) {
  if (reading_) {
    item_index_ = Value;
    return;
  }
  if (Value < -1) Value = -1;
  if (Value >= ButtonCount()) Value = ButtonCount() - 1;
  if (item_index_ == Value) return;
  if (item_index_ >= 0) buttons_[static_cast<size_t>(item_index_)]->SetChecked(false);
  item_index_ = Value;
  if (item_index_ >= 0) buttons_[static_cast<size_t>(item_index_)]->SetChecked(true);
}

void TCustomRadioGroup::SetColumns(int Value) {
  Value = std::clamp(Value, 1, 16);
  if (columns_ == Value) return;
  columns_ = Value;
  ArrangeButtons();
  Invalidate();
}

void TCustomRadioGroup::Loaded() {
  TCustomGroupBox::Loaded();
  ArrangeButtons();
}

void TCustomRadioGroup::ReadState(TReader* Reader) {
  reading_ = true;
  try {
    TCustomGroupBox::ReadState(Reader);
  } catch (...) {
    reading_ = false;
    throw;
  }
  reading_ = false;
  UpdateButtons();
}

void TCustomRadioGroup::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_ENABLEDCHANGED:
      for (TRadioButton* b : buttons_) b->SetEnabled(Enabled());
      break;
    case CM_FONTCHANGED:
    case CM_BIDIMODECHANGED:
      TCustomGroupBox::Dispatch(Message);
      ArrangeButtons();
      return;
    case WM_SIZE:
      TCustomGroupBox::Dispatch(Message);
      ArrangeButtons();
      return;
    default:
      break;
  }
  TCustomGroupBox::Dispatch(Message);
}

static const bool registered =
    DeclareClass<TCustomRadioGroup, TCustomGroupBox>("TCustomRadioGroup")
        .Integer("Columns", &TCustomRadioGroup::Columns, &TCustomRadioGroup::SetColumns, Default(1))
        .Integer("ItemIndex", &TCustomRadioGroup::ItemIndex, &TCustomRadioGroup::SetItemIndex, Default(-1))
        .Object("Items", &TCustomRadioGroup::Items)
        .Done() &&
    DeclareClass<TRadioGroup, TCustomRadioGroup>("TRadioGroup").Done();
