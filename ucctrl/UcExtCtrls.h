// The wide radio group: a wide group box with one wide radio button per item of a wide list.
#pragma once
#include <memory>
#include <vector>

#include "ExtCtrls.h"
#include "UcClasses.h"
#include "UcStdCtrls.h"

class TUcCustomRadioGroup;

// A button of a radio group: clicked through the group, its keys go to the group first.
class TUcGroupButton : public TUcRadioButton {
 public:
  explicit TUcGroupButton(TUcCustomRadioGroup* Group);
  ~TUcGroupButton() override;

 protected:
  void Dispatch(TMessage& Message) override;
  void KeyPress(char& Key) override;
  void KeyDown(Word& Key, TShiftState Shift) override;

 private:
  TUcCustomRadioGroup* group_;
  bool in_click_ = false;
};

// Where the buttons of a group go: ArrangeRadioButtons, mirrored within the client width for a
// right-to-left group.
std::vector<TRect> ArrangeWideRadioButtons(int Count, int Columns, int ClientWidth, int ClientHeight, int TextHeight,
                                           bool RightToLeft);

class TUcCustomRadioGroup : public TUcCustomGroupBox {
 public:
  explicit TUcCustomRadioGroup(TComponent* AOwner);
  ~TUcCustomRadioGroup() override;

  TUcStringList* Items() const { return items_.get(); }
  void SetItems(TWideStrings* Value) { items_->Assign(Value); }
  int ItemIndex() const { return item_index_; }
  void SetItemIndex(int Value);
  int Columns() const { return columns_; }
  void SetColumns(int Value);
  int ButtonCount() const { return static_cast<int>(buttons_.size()); }
  TUcGroupButton* Buttons(int Index) const;

 protected:
  friend class TUcGroupButton;
  virtual bool CanModify() { return true; }
  void Loaded() override;
  void ReadState(TReader* Reader) override;
  void Dispatch(TMessage& Message) override;
  void UpdateButtons();
  void ArrangeButtons();

 private:
  void ItemsChange(TObject* Sender);
  void ButtonClick(TUcGroupButton* Button);
  std::unique_ptr<TUcStringList> items_;
  std::vector<TUcGroupButton*> buttons_;
  int item_index_ = -1;
  int columns_ = 1;
  bool reading_ = false;
  bool updating_ = false;
};

class TUcRadioGroup : public TUcCustomRadioGroup {
 public:
  using TUcCustomRadioGroup::TUcCustomRadioGroup;
};
