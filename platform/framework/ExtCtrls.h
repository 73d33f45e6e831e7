// ExtCtrls: panels (a bevelled surface with a caption that holds other controls) and radio
// groups (a group box that makes and arranges its own radio buttons from a list of items).
#pragma once
#include <memory>
#include <vector>

#include "StdCtrls.h"

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
using TBevelWidth = int;
using TBorderWidth = int;

// Draws a 3-D frame of Width lines inside Rect (top and left in TopColor, bottom and right in
// BottomColor) and shrinks Rect by it.
void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, int Width);

class TCustomPanel : public TCustomControl {
 public:
  explicit TCustomPanel(TComponent* AOwner);

  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment Value);
  TBevelCut BevelInner() const { return bevel_inner_; }
  void SetBevelInner(TBevelCut Value);
  TBevelCut BevelOuter() const { return bevel_outer_; }
  void SetBevelOuter(TBevelCut Value);
  TBevelWidth BevelWidth() const { return bevel_width_; }
  void SetBevelWidth(TBevelWidth Value);
  TBorderWidth BorderWidth() const { return border_width_; }
  void SetBorderWidth(TBorderWidth Value);
  TBorderStyle BorderStyle() const { return border_style_; }
  void SetBorderStyle(TBorderStyle Value);

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  void Dispatch(TMessage& Message) override;

 private:
  TAlignment alignment_ = taCenter;
  TBevelCut bevel_inner_ = bvNone;
  TBevelCut bevel_outer_ = bvRaised;
  TBevelWidth bevel_width_ = 1;
  TBorderWidth border_width_ = 0;
  TBorderStyle border_style_ = bsNone;
};

class TPanel : public TCustomPanel {
 public:
  using TCustomPanel::TCustomPanel;
};

// ---------------------------------------------------------------------------------------------
// A picture shown on its parent's surface: at its own size from the top left, centred, or
// stretched over the control (keeping its proportions when asked). Any change of the picture
// repaints it.
class TImage : public TGraphicControl {
 public:
  explicit TImage(TComponent* AOwner);
  ~TImage() override;

  TPicture* Picture() const { return picture_.get(); }
  void SetPicture(TPicture* Value) { picture_->Assign(Value); }
  // The control takes the picture's size whenever the picture changes.
  bool AutoSize() const { return auto_size_; }
  void SetAutoSize(bool Value);
  bool Center() const { return center_; }
  void SetCenter(bool Value);
  bool Stretch() const { return stretch_; }
  void SetStretch(bool Value);
  // Stretching (and shrinking a picture larger than the control) keeps the picture's proportions.
  bool Proportional() const { return proportional_; }
  void SetProportional(bool Value);
  // Handed on to the picture's graphic (an icon is always transparent).
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool Value);

  // Where the picture is drawn, in client coordinates.
  TRect DestRect();

 protected:
  void Paint() override;

 private:
  void PictureChanged(TObject* Sender);
  std::unique_ptr<TPicture> picture_;
  bool auto_size_ = false;
  bool center_ = false;
  bool stretch_ = false;
  bool proportional_ = false;
  bool transparent_ = false;
};

// ---------------------------------------------------------------------------------------------
// Where the radio buttons of a radio group go: Count buttons in Columns columns, filling each
// column top to bottom, inside a group of ClientWidth x ClientHeight whose font is TextHeight
// pixels high. Button i gets Rects[i] (the group's client coordinates). RightToLeft: the columns
// run from the right, each mirrored within ClientWidth.
std::vector<TRect> ArrangeRadioButtons(int Count, int Columns, int ClientWidth, int ClientHeight, int TextHeight,
                                       bool RightToLeft = false);

class TCustomRadioGroup : public TCustomGroupBox {
 public:
  explicit TCustomRadioGroup(TComponent* AOwner);
  ~TCustomRadioGroup() override;

  // One button per item, captioned with the item's text.
  TStrings* Items() const { return items_.get(); }
  void SetItems(TStrings* Value) { items_->Assign(Value); }
  // The checked button's index, -1 for none.
  int ItemIndex() const { return item_index_; }
  void SetItemIndex(int Value);
  // 1 to 16.
  int Columns() const { return columns_; }
  void SetColumns(int Value);
  int ButtonCount() const { return static_cast<int>(buttons_.size()); }
  TRadioButton* Buttons(int Index) const;

 protected:
  // Whether the checked button may change (always, here).
  virtual bool CanModify() { return true; }
  void Loaded() override;
  void ReadState(TReader* Reader) override;
  void Dispatch(TMessage& Message) override;
  // Makes or frees buttons to match the items, captions and checks them, and arranges them.
  void UpdateButtons();
  void ArrangeButtons();

 private:
  friend class TGroupButton;
  void ItemsChange(TObject* Sender);
  void ButtonClick(TRadioButton* Button);
  std::unique_ptr<TStringList> items_;
  std::vector<TRadioButton*> buttons_;  // children of the group, freed with it
  int item_index_ = -1;
  int columns_ = 1;
  bool reading_ = false;
  bool updating_ = false;
};

class TRadioGroup : public TCustomRadioGroup {
 public:
  using TCustomRadioGroup::TCustomRadioGroup;
};
