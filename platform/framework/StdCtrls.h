// StdCtrls: the standard controls over the platform's window classes: edits ("EDIT"), list
// boxes ("LISTBOX"), buttons, check boxes and radio buttons ("BUTTON"), and the labels and group
// boxes that paint themselves.
#pragma once
#include <memory>

#include "ActnList.h"
#include "Classes.h"
#include "Controls.h"
#include "Forms.h"
#include "Graphics.h"

using TBorderStyle = TFormBorderStyle;  // bsNone or bsSingle for controls

enum TTextLayout { tlTop, tlCenter, tlBottom };
enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
// The virtual styles are owner-drawn fixed lists without data (LBS_NODATA): the list has a
// Count of rows and the OnData events give their texts and objects.
enum TListBoxStyle { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable, lbVirtual, lbVirtualOwnerDraw };
enum TOwnerDrawStateItem {
  odSelected, odGrayed, odDisabled, odChecked, odFocused, odDefault, odHotLight, odInactive,
  odNoAccel, odNoFocusRect, odReserved1, odReserved2, odComboBoxEdit
};
using TOwnerDrawState = TSet<TOwnerDrawStateItem>;

// The owner-draw state of a DRAWITEMSTRUCT's itemState.
TOwnerDrawState OwnerDrawStateOf(UINT ItemState);

// Whether Key is the accelerator of Caption: the character after a single "&", without case.
bool IsAccel(Word Key, const AnsiString& Caption);

// ---------------------------------------------------------------------------------------------
// Labels: text painted on the parent, with an accelerator that focuses FocusControl.
class TCustomLabel : public TGraphicControl {
 public:
  explicit TCustomLabel(TComponent* AOwner);

  bool AutoSize() const { return auto_size_; }
  void SetAutoSize(bool Value);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment Value);
  TTextLayout Layout() const { return layout_; }
  void SetLayout(TTextLayout Value);
  bool WordWrap() const { return word_wrap_; }
  void SetWordWrap(bool Value);
  bool ShowAccelChar() const { return show_accel_char_; }
  void SetShowAccelChar(bool Value);
  bool Transparent() const { return !control_style_.Contains(csOpaque); }
  void SetTransparent(bool Value);
  TWinControl* FocusControl() const { return focus_control_; }
  void SetFocusControl(TWinControl* Value);

  // The text the label shows (its caption).
  virtual AnsiString GetLabelText();

 protected:
  // Draws (or with DT_CALCRECT measures into Rect) the label's text with the DrawText Flags.
  virtual void DoDrawText(TRect& Rect, UINT Flags);
  void Paint() override;
  // Fits the bounds to the text when AutoSize is on, keeping the side the alignment holds.
  virtual void AdjustBounds();
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Dispatch(TMessage& Message) override;

 private:
  void CMDialogChar(TMessage& Message);
  bool auto_size_ = true;
  TAlignment alignment_ = taLeftJustify;
  TTextLayout layout_ = tlTop;
  bool word_wrap_ = false;
  bool show_accel_char_ = true;
  TWinControl* focus_control_ = nullptr;
};

class TLabel : public TCustomLabel {
 public:
  using TCustomLabel::TCustomLabel;
};

// ---------------------------------------------------------------------------------------------
// Edits.
class TCustomEdit : public TWinControl {
 public:
  explicit TCustomEdit(TComponent* AOwner);

  bool AutoSelect() const { return auto_select_; }
  void SetAutoSelect(bool Value) { auto_select_ = Value; }
  bool AutoSize() const { return auto_size_; }
  void SetAutoSize(bool Value);
  TBorderStyle BorderStyle() const { return border_style_; }
  void SetBorderStyle(TBorderStyle Value);
  TEditCharCase CharCase() const { return char_case_; }
  void SetCharCase(TEditCharCase Value);
  bool HideSelection() const { return hide_selection_; }
  void SetHideSelection(bool Value);
  int MaxLength() const { return max_length_; }
  void SetMaxLength(int Value);
  bool Modified();
  void SetModified(bool Value);
  char PasswordChar() const { return password_char_; }
  void SetPasswordChar(char Value);
  bool ReadOnly() const { return read_only_; }
  void SetReadOnly(bool Value);

  // The selection, in the window's character positions.
  virtual int GetSelStart();
  virtual void SetSelStart(int Value);
  virtual int GetSelLength();
  virtual void SetSelLength(int Value);
  virtual AnsiString GetSelText();
  void SetSelText(const AnsiString& Value);
  int SelStart() { return GetSelStart(); }
  int SelLength() { return GetSelLength(); }
  AnsiString SelText() { return GetSelText(); }

  void Clear();
  void ClearSelection();
  void CopyToClipboard();
  void CutToClipboard();
  void PasteFromClipboard();
  void SelectAll();
  bool CanUndo();
  void Undo();
  void ClearUndo();

  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  virtual void Change();
  void Dispatch(TMessage& Message) override;
  // Sets the height from the font when AutoSize is on.
  void AdjustHeight();
  void Loaded() override;

 private:
  void CNCommand(TMessage& Message);
  bool auto_select_ = true;
  bool auto_size_ = true;
  TBorderStyle border_style_ = bsSingle;
  TEditCharCase char_case_ = ecNormal;
  bool hide_selection_ = true;
  int max_length_ = 0;
  bool modified_ = false;
  char password_char_ = 0;
  bool read_only_ = false;
  bool creating_ = false;
};

class TEdit : public TCustomEdit {
 public:
  using TCustomEdit::TCustomEdit;
};

// ---------------------------------------------------------------------------------------------
// List boxes. Items are bound to the window while it exists and kept across its recreation.
class TCustomListBox;
using TDrawItemEvent = std::function<void(TWinControl* Control, int Index, TRect Rect, TOwnerDrawState State)>;
using TMeasureItemEvent = std::function<void(TWinControl* Control, int Index, int& Height)>;
// The data of a virtual list's row: its text, its object, and the row a text leads to (-1: none).
using TLBGetDataEvent = std::function<void(TWinControl* Control, int Index, AnsiString& Data)>;
using TLBGetDataObjectEvent = std::function<void(TWinControl* Control, int Index, TObject*& DataObject)>;
using TLBFindDataEvent = std::function<int(TWinControl* Control, const AnsiString& FindString)>;

// Setting Count of a list box that is not virtual.
inline constexpr const char* SListBoxMustBeVirtual = "リスト ボックス (%s) の Count を設定するにはスタイルが仮想でなければなりません";

class TCustomListBox : public TWinControl {
 public:
  explicit TCustomListBox(TComponent* AOwner);
  ~TCustomListBox() override;

  TStrings* Items() const { return items_.get(); }
  void SetItems(TStrings* Value) { items_->Assign(Value); }
  TListBoxStyle Style() const { return style_; }
  void SetStyle(TListBoxStyle Value);
  bool MultiSelect() const { return multi_select_; }
  void SetMultiSelect(bool Value);
  bool ExtendedSelect() const { return extended_select_; }
  void SetExtendedSelect(bool Value);
  bool Sorted() const { return sorted_; }
  void SetSorted(bool Value);
  int ItemHeight();
  void SetItemHeight(int Value);
  int Columns() const { return columns_; }
  void SetColumns(int Value);
  bool IntegralHeight() const { return integral_height_; }
  void SetIntegralHeight(bool Value);
  TBorderStyle BorderStyle() const { return border_style_; }
  void SetBorderStyle(TBorderStyle Value);
  TCanvas* Canvas() const { return canvas_.get(); }
  // The rows of a list: a virtual list's own count (settable only for the virtual styles),
  // else the count of Items.
  int Count();
  void SetCount(int Value);
  bool IsVirtual() const { return style_ == lbVirtual || style_ == lbVirtualOwnerDraw; }

  int ItemIndex();
  void SetItemIndex(int Value);
  int TopIndex();
  void SetTopIndex(int Value);
  int SelCount();
  bool Selected(int Index);
  void SetSelected(int Index, bool Value);
  int ItemAtPos(const TPoint& Pos, bool Existing);
  TRect ItemRect(int Index);

  void Clear();
  void ClearSelection();
  void SelectAll();
  void DeleteSelected();
  virtual void AddItem(const AnsiString& Item, TObject* AObject);
  virtual void CopySelection(TCustomListBox* Destination);

  TDrawItemEvent OnDrawItem;
  TMeasureItemEvent OnMeasureItem;
  TLBGetDataEvent OnData;
  TLBGetDataObjectEvent OnDataObject;
  TLBFindDataEvent OnDataFind;

 protected:
  friend class TListBoxStrings;
  // A virtual list's data, from the events (empty text, no object, -1 without a handler).
  virtual AnsiString DoGetData(int Index);
  virtual TObject* DoGetDataObject(int Index);
  virtual int DoFindData(const AnsiString& Data);
  // Typing into a virtual list looks up what was typed lately through DoFindData.
  void KeyPress(char& Key) override;
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Dispatch(TMessage& Message) override;
  virtual void DrawItem(int Index, TRect Rect, TOwnerDrawState State);
  virtual void MeasureItem(int Index, int& Height);
  // Items.Move is under way (an item leaves and comes back).
  bool Moving() const { return moving_; }
  void SetMoving(bool Value) { moving_ = Value; }

 private:
  void CNCommand(TMessage& Message);
  void CNDrawItem(TMessage& Message);
  void CNMeasureItem(TMessage& Message);
  // LB_GETTEXTLEN and LB_GETTEXT of a virtual window, answered from DoGetData.
  void AnswerVirtualText(TMessage& Message);
  std::unique_ptr<TStrings> items_;
  std::unique_ptr<TStringList> saved_items_;  // the items while there is no window
  std::unique_ptr<TControlCanvas> canvas_;
  TListBoxStyle style_ = lbStandard;
  bool multi_select_ = false;
  bool extended_select_ = true;
  bool sorted_ = false;
  bool integral_height_ = false;
  int item_height_ = 16;
  int columns_ = 0;
  TBorderStyle border_style_ = bsSingle;
  int saved_top_ = 0;
  int saved_index_ = -1;
  bool moving_ = false;
  int count_ = 0;                 // virtual styles: the rows
  bool window_virtual_ = false;   // the window was made without data
  int text_index_ = -1;           // the row LB_GETTEXTLEN last measured, and its text, so that
  AnsiString text_;               // the LB_GETTEXT that follows fills no more than it promised
  AnsiString filter_;             // what was typed into a virtual list lately
  DWORD filter_time_ = 0;
};

class TListBox : public TCustomListBox {
 public:
  using TCustomListBox::TCustomListBox;
};

// ---------------------------------------------------------------------------------------------
// Buttons and the boxes of the "BUTTON" class.

// The link of a button control to its action: a check box or radio button also follows the
// action's Checked.
class TButtonActionLink : public TControlActionLink, public TActionClientLink {
 public:
  explicit TButtonActionLink(TObject* AClient) : TControlActionLink(AClient) {}
  // A custom action whose Checked the client holds.
  bool IsCheckedLinked() override;
  void SetChecked(bool Value) override;
};

class TButtonControl : public TWinControl {
 public:
  explicit TButtonControl(TComponent* AOwner);
  bool WordWrap() const { return word_wrap_; }
  void SetWordWrap(bool Value);
  // Check boxes and radio buttons: whether the box is ticked.
  bool Checked() { return GetChecked(); }
  virtual void SetChecked(bool Value) {}
  // The stored test of a published Checked: not while the action supplies it.
  bool IsCheckedStored();

 protected:
  virtual bool GetChecked() { return false; }
  // Clicks made while a state is being set or read, which OnClick must not hear.
  bool ClicksDisabled() const { return clicks_disabled_; }
  void SetClicksDisabled(bool Value) { clicks_disabled_ = Value; }
  void Dispatch(TMessage& Message) override;
  // Takes the action's Checked too (with CheckDefaults only while unchecked).
  void ActionChange(TObject* Sender, bool CheckDefaults) override;
  TControlActionLinkClass GetActionLinkClass() override;

 private:
  friend class TButtonActionLink;
  // Checked as the action gives it: no click, which would run the action again.
  void SetCheckedQuietly(bool Value);
  bool word_wrap_ = false;
  bool clicks_disabled_ = false;
};

class TButton : public TButtonControl {
 public:
  explicit TButton(TComponent* AOwner);
  // Default: Return clicks it (wherever the focus is on its form, unless another button has it).
  bool Default() const { return default_; }
  void SetDefault(bool Value);
  // Cancel: Escape clicks it.
  bool Cancel() const { return cancel_; }
  void SetCancel(bool Value) { cancel_ = Value; }
  // Clicking sets the form's ModalResult to this (mrNone: nothing).
  TModalResult ModalResult() const { return modal_result_; }
  void SetModalResult(TModalResult Value) { modal_result_ = Value; }
  void Click() override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Dispatch(TMessage& Message) override;
  // Shows the button as the default push button (the one Return clicks) or not.
  virtual void SetButtonStyle(bool ADefault);
  bool active_ = false;  // the button Return clicks now

 private:
  void CMDialogKey(TMessage& Message);
  void CMDialogChar(TMessage& Message);
  void CMFocusChanged(TMessage& Message);
  bool default_ = false;
  bool cancel_ = false;
  TModalResult modal_result_ = mrNone;
};

class TCustomCheckBox : public TButtonControl {
 public:
  explicit TCustomCheckBox(TComponent* AOwner);
  // taRightJustify: the text right of the box (the usual); taLeftJustify: left of it.
  TLeftRight Alignment() const { return alignment_; }
  void SetAlignment(TLeftRight Value);
  bool AllowGrayed() const { return allow_grayed_; }
  void SetAllowGrayed(bool Value) { allow_grayed_ = Value; }
  TCheckBoxState State() const { return state_; }
  void SetState(TCheckBoxState Value);
  void SetChecked(bool Value) override { SetState(Value ? cbChecked : cbUnchecked); }

 protected:
  bool GetChecked() override { return state_ == cbChecked; }
  // A click: unchecked, then grayed when allowed, then checked, then unchecked again.
  virtual void Toggle();
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Dispatch(TMessage& Message) override;

 private:
  void CMDialogChar(TMessage& Message);
  TLeftRight alignment_ = taRightJustify;
  bool allow_grayed_ = false;
  TCheckBoxState state_ = cbUnchecked;
};

class TCheckBox : public TCustomCheckBox {
 public:
  using TCustomCheckBox::TCustomCheckBox;
};

class TRadioButton : public TButtonControl {
 public:
  explicit TRadioButton(TComponent* AOwner);
  TLeftRight Alignment() const { return alignment_; }
  void SetAlignment(TLeftRight Value);
  // Checking one unchecks the other radio buttons of its parent.
  void SetChecked(bool Value) override;

 protected:
  bool GetChecked() override { return checked_; }
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Dispatch(TMessage& Message) override;

 private:
  void CMDialogChar(TMessage& Message);
  TLeftRight alignment_ = taRightJustify;
  bool checked_ = false;
};

// ---------------------------------------------------------------------------------------------
// A frame with a caption that holds other controls.
class TCustomGroupBox : public TCustomControl {
 public:
  explicit TCustomGroupBox(TComponent* AOwner);

 protected:
  void Paint() override;
  void Dispatch(TMessage& Message) override;

 private:
  void CMDialogChar(TMessage& Message);
};

class TGroupBox : public TCustomGroupBox {
 public:
  using TCustomGroupBox::TCustomGroupBox;
};
