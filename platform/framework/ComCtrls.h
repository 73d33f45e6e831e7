// ComCtrls: the common controls of the framework: the tool bar and its buttons (driven by
// actions), the progress bar and the list view.
#pragma once
#include <memory>
#include <vector>

#include "ActnList.h"
#include "Controls.h"
#include "ImgList.h"
#include "commctrl.h"

class TToolBar;
class TMenuItem;
class TPopupMenu;

enum TToolButtonStyle : uint8_t { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider };

// The link of a tool button: besides a control's, it follows the action's checked state
// (the button's Down) and image.
class TToolButtonActionLink : public TControlActionLink, public TActionClientLink {
 public:
  explicit TToolButtonActionLink(TObject* AClient) : TControlActionLink(AClient) {}
  bool IsCheckedLinked() override;
  bool IsImageIndexLinked() override;
  void SetChecked(bool Value) override;
  void SetImageIndex(int Value) override;
};

// A button of a tool bar: no window of its own, its place kept in step with the tool bar's
// platform button (so hints and clicks find it).
class TToolButton : public TGraphicControl {
 public:
  explicit TToolButton(TComponent* AOwner);
  ~TToolButton() override;

  void Click() override;
  // The platform button's index in its tool bar; -1 outside one.
  int Index() const;
  TToolBar* ToolBar() const { return tool_bar_; }

  bool AllowAllUp() const { return allow_all_up_; }
  void SetAllowAllUp(bool Value);
  bool Down() const { return down_; }
  void SetDown(bool Value);
  bool Grouped() const { return grouped_; }
  void SetGrouped(bool Value);
  int ImageIndex() const { return image_index_; }
  void SetImageIndex(int Value);
  bool Indeterminate() const { return indeterminate_; }
  void SetIndeterminate(bool Value);
  bool Marked() const { return marked_; }
  void SetMarked(bool Value);
  TToolButtonStyle Style() const { return style_; }
  void SetStyle(TToolButtonStyle Value);
  // A new row starts after this button.
  bool Wrap() const { return wrap_; }
  void SetWrap(bool Value);
  TPopupMenu* DropdownMenu() const { return dropdown_menu_; }
  void SetDropdownMenu(TPopupMenu* Value);
  // A button standing for a menu item takes its caption, hint, image, check and enabled state,
  // and clicks it.
  TMenuItem* MenuItem() const { return menu_item_; }
  virtual void SetMenuItem(TMenuItem* Value);
  // The index of the button's caption in the tool bar's string pool (-1: none).
  INT_PTR StringIndex() const { return string_index_; }
  void SetStringIndex(INT_PTR Value) { string_index_ = Value; }

  void SetParent(TWinControl* AParent) override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

 protected:
  void ActionChange(TObject* Sender, bool CheckDefaults) override;
  TControlActionLinkClass GetActionLinkClass() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Paint() override;
  void Dispatch(TMessage& Message) override;

 private:
  friend class TToolBar;
  // Tells the tool bar that the button's record changed.
  void Changed();

  TToolBar* tool_bar_ = nullptr;
  bool allow_all_up_ = false;
  bool down_ = false;
  bool grouped_ = false;
  int image_index_ = -1;
  bool indeterminate_ = false;
  bool marked_ = false;
  TToolButtonStyle style_ = tbsButton;
  bool wrap_ = false;
  TPopupMenu* dropdown_menu_ = nullptr;
  TMenuItem* menu_item_ = nullptr;
  INT_PTR string_index_ = -1;
  AnsiString pooled_caption_;  // the caption the pool entry holds
  bool placing_ = false;  // the tool bar moves the button
};

class TToolBar : public TWinControl {
 public:
  explicit TToolBar(TComponent* AOwner);
  ~TToolBar() override;

  int ButtonCount() const { return static_cast<int>(buttons_.size()); }
  TToolButton* Buttons(int Index) const { return buttons_.at(static_cast<size_t>(Index)); }

  int ButtonHeight() const { return button_height_; }
  void SetButtonHeight(int Value);
  int ButtonWidth() const { return button_width_; }
  void SetButtonWidth(int Value);
  bool Flat() const { return flat_; }
  void SetFlat(bool Value);
  bool List() const { return list_; }
  void SetList(bool Value);
  bool ShowCaptions() const { return show_captions_; }
  void SetShowCaptions(bool Value);
  bool Wrapable() const { return wrapable_; }
  void SetWrapable(bool Value);
  int Indent() const { return indent_; }
  void SetIndent(int Value);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool Value);
  TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* Value);
  TCustomImageList* DisabledImages() const { return disabled_images_; }
  void SetDisabledImages(TCustomImageList* Value);
  TCustomImageList* HotImages() const { return hot_images_; }
  void SetHotImages(TCustomImageList* Value);

  void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Dispatch(TMessage& Message) override;
  // Clicks and mouse moves belong to the platform's tool bar, not to the buttons.
  bool IsControlMouseMsg(TMessage& Message) override;
  void AlignControls(TControl* AControl, TRect& Rect) override;
  void Loaded() override;
  // The platform record of a button (the string pool entry is made here).
  virtual TBBUTTON ButtonRecord(TToolButton* Button);
  // Adds a button's caption to the string pool: answers its index.
  virtual INT_PTR AddButtonString(TToolButton* Button);

 private:
  friend class TToolButton;
  void InsertButton(TToolButton* Button);
  void RemoveButton(TToolButton* Button);
  void ButtonChanged(TToolButton* Button);
  // Makes the platform buttons again from the button list.
  void RecreateButtons();
  void ApplyImages();
  void PlaceButtons();
  void UpdateDownStates();
  void CNCommand(TMessage& Message);
  void CNNotify(TMessage& Message);
  void ImageListChange(TObject* Sender);

  std::vector<TToolButton*> buttons_;
  int button_height_ = 22, button_width_ = 23;
  bool flat_ = false, list_ = false, show_captions_ = false, wrapable_ = true, transparent_ = false;
  int indent_ = 0;
  TCustomImageList* images_ = nullptr;
  TCustomImageList* disabled_images_ = nullptr;
  TCustomImageList* hot_images_ = nullptr;
  TChangeLink image_link_, disabled_link_, hot_link_;
  bool updating_ = false;
};

// ---------------------------------------------------------------------------------------------
enum TProgressBarOrientation : uint8_t { pbHorizontal, pbVertical };

class TProgressBar : public TWinControl {
 public:
  explicit TProgressBar(TComponent* AOwner);
  int Min() const { return min_; }
  void SetMin(int Value);
  int Max() const { return max_; }
  void SetMax(int Value);
  // Kept within Min .. Max.
  int Position() const;
  void SetPosition(int Value);
  int Step() const { return step_; }
  void SetStep(int Value);
  bool Smooth() const { return smooth_; }
  void SetSmooth(bool Value);
  TProgressBarOrientation Orientation() const { return orientation_; }
  void SetOrientation(TProgressBarOrientation Value);
  void StepIt();
  void StepBy(int Delta);

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;

 private:
  int min_ = 0, max_ = 100, position_ = 0, step_ = 10;
  bool smooth_ = false;
  TProgressBarOrientation orientation_ = pbHorizontal;
};

// ---------------------------------------------------------------------------------------------
class TCustomListView;
class TListItems;

class TListItem : public TPersistent {
 public:
  explicit TListItem(TListItems* AOwner) : owner_(AOwner) {}
  const AnsiString& Caption() const { return caption_; }
  void SetCaption(const AnsiString& Value);
  int ImageIndex() const { return image_index_; }
  void SetImageIndex(int Value);
  void* Data() const { return data_; }
  void SetData(void* Value) { data_ = Value; }
  bool Selected() const;
  void SetSelected(bool Value);
  bool Focused() const;
  void SetFocused(bool Value);
  int Index() const;
  // The item's place in the list's client area (its icon's top-left).
  TPoint Position() const;
  void SetPosition(const TPoint& Value);
  TRect DisplayRect(int Code = LVIR_BOUNDS) const;
  void MakeVisible(bool PartialOK);
  void Delete();
  TListItems* Owner() const { return owner_; }
  TCustomListView* ListView() const;

 private:
  TListItems* owner_;
  AnsiString caption_;
  int image_index_ = -1;
  void* data_ = nullptr;
};

class TListItems : public TPersistent {
 public:
  explicit TListItems(TCustomListView* AOwner) : owner_(AOwner) {}
  ~TListItems() override;
  TListItem* Add();
  TListItem* Insert(int Index);
  void Delete(int Index);
  void Clear();
  int Count() const { return static_cast<int>(items_.size()); }
  TListItem* Item(int Index) const { return items_.at(static_cast<size_t>(Index)).get(); }
  int IndexOf(const TListItem* Value) const;
  void BeginUpdate();
  void EndUpdate();
  TCustomListView* Owner() const { return owner_; }

 private:
  friend class TCustomListView;
  friend class TListItem;
  TCustomListView* owner_;
  std::vector<std::unique_ptr<TListItem>> items_;
  int update_count_ = 0;
};

enum TViewStyle : uint8_t { vsIcon, vsSmallIcon, vsList, vsReport };
enum TIconArrangement : uint8_t { iaTop, iaLeft };

// How the icon view places its items: the list view's own properties, grouped.
class TIconOptions : public TPersistent {
 public:
  explicit TIconOptions(TCustomListView* AOwner) : owner_(AOwner) {}
  void Assign(TPersistent* Source) override;
  TIconArrangement Arrangement() const;
  void SetArrangement(TIconArrangement Value);
  bool AutoArrange() const;
  void SetAutoArrange(bool Value);
  bool WrapText() const { return wrap_text_; }
  void SetWrapText(bool Value) { wrap_text_ = Value; }

 private:
  TCustomListView* owner_;
  bool wrap_text_ = true;
};

class TCustomListView : public TWinControl {
 public:
  explicit TCustomListView(TComponent* AOwner);
  ~TCustomListView() override;

  TListItems* Items() const { return items_.get(); }
  TListItem* Selected() const;
  void SetSelected(TListItem* Value);
  int ItemIndex() const;
  void SetItemIndex(int Value);
  TListItem* ItemFocused() const;
  int SelCount() const;
  TListItem* GetItemAt(int X, int Y) const;
  // Scrolls the contents by DX, DY pixels.
  void Scroll(int DX, int DY);
  void Arrange();

  TViewStyle ViewStyle() const { return view_style_; }
  void SetViewStyle(TViewStyle Value);
  TCustomImageList* LargeImages() const { return large_images_; }
  void SetLargeImages(TCustomImageList* Value);
  TCustomImageList* SmallImages() const { return small_images_; }
  void SetSmallImages(TCustomImageList* Value);
  bool MultiSelect() const { return multi_select_; }
  void SetMultiSelect(bool Value);
  bool ReadOnly() const { return read_only_; }
  void SetReadOnly(bool Value) { read_only_ = Value; }
  bool HideSelection() const { return hide_selection_; }
  void SetHideSelection(bool Value);
  bool AutoArrange() const { return auto_arrange_; }
  void SetAutoArrange(bool Value);
  TIconArrangement Arrangement() const { return arrangement_; }
  void SetArrangement(TIconArrangement Value);
  TIconOptions* IconOptions() const { return icon_options_.get(); }

  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Dispatch(TMessage& Message) override;

 private:
  friend class TListItem;
  friend class TListItems;
  void InsertPlatformItem(int Index, const TListItem* Item);
  void UpdatePlatformItem(int Index, const TListItem* Item);
  void ResetPlatformItems();
  void ImageListChange(TObject* Sender);
  void CNNotify(TMessage& Message);
  UINT ItemState(int Index, UINT Mask) const;
  void SetItemState(int Index, UINT State, UINT Mask);

  std::unique_ptr<TListItems> items_;
  std::unique_ptr<TIconOptions> icon_options_;
  TViewStyle view_style_ = vsIcon;
  TCustomImageList* large_images_ = nullptr;
  TCustomImageList* small_images_ = nullptr;
  TChangeLink large_link_, small_link_;
  bool multi_select_ = false;
  bool read_only_ = false;
  bool hide_selection_ = true;
  bool auto_arrange_ = false;
  TIconArrangement arrangement_ = iaTop;
  // Selection and focus kept while there is no window.
  std::vector<UINT> saved_states_;
};

class TListView : public TCustomListView {
 public:
  explicit TListView(TComponent* AOwner) : TCustomListView(AOwner) {}
};

// ---------------------------------------------------------------------------------------------
// The extended combo box: a drop-down list of the platform's "ComboBoxEx32" class whose items
// show an image of Images beside their caption.
class TCustomComboBoxEx;

class TComboExItem : public TCollectionItem {
 public:
  using TCollectionItem::TCollectionItem;
  const AnsiString& Caption() const { return caption_; }
  void SetCaption(const AnsiString& Value);
  int ImageIndex() const { return image_index_; }
  void SetImageIndex(int Value);
  // The image shown while the item is the chosen one (-1: ImageIndex).
  int SelectedImageIndex() const { return selected_image_index_; }
  void SetSelectedImageIndex(int Value);
  void* Data() const { return data_; }
  void SetData(void* Value) { data_ = Value; }
  void Assign(TPersistent* Source) override;
  AnsiString DisplayName() override { return caption_; }

 private:
  AnsiString caption_;
  int image_index_ = -1;
  int selected_image_index_ = -1;
  void* data_ = nullptr;
};

class TComboExItems : public TOwnedCollection {
 public:
  explicit TComboExItems(TCustomComboBoxEx* AOwner);
  TComboExItem* Add() { return static_cast<TComboExItem*>(TCollection::Add()); }
  TComboExItem* AddItem(const AnsiString& Caption, int ImageIndex = -1, int SelectedImageIndex = -1,
                        void* Data = nullptr);
  TComboExItem* Items(int Index) const { return static_cast<TComboExItem*>(TCollection::Items(Index)); }

 protected:
  // The box's window follows every change.
  void Update(TCollectionItem* Item) override;

 private:
  TCustomComboBoxEx* combo_;
};

// The link of an extended combo box to its action: its text (the chosen caption), enabled
// state, hint and visibility.
class TComboBoxExActionLink : public TControlActionLink {
 public:
  explicit TComboBoxExActionLink(TObject* AClient) : TControlActionLink(AClient) {}
};

class TCustomComboBoxEx : public TWinControl {
 public:
  explicit TCustomComboBoxEx(TComponent* AOwner);
  ~TCustomComboBoxEx() override;

  TComboExItems* ItemsEx() const { return items_.get(); }
  void SetItemsEx(TComboExItems* Value) { items_->Assign(Value); }
  // The chosen item (-1: none); kept while there is no window.
  int ItemIndex();
  void SetItemIndex(int Value);
  TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* Value);
  bool DroppedDown();
  void SetDroppedDown(bool Value);

  // A choice of the user: OnSelect when set, else OnChange.
  TNotifyEvent OnChange;
  TNotifyEvent OnSelect;

 protected:
  friend class TComboExItems;
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Dispatch(TMessage& Message) override;
  TControlActionLinkClass GetActionLinkClass() override;
  virtual void Select();
  virtual void Change();

 private:
  // Puts every item into the window again.
  void ResetPlatformItems();
  void ImageListChange(TObject* Sender);
  std::unique_ptr<TComboExItems> items_;
  TCustomImageList* images_ = nullptr;
  TChangeLink images_link_;
  int saved_index_ = -1;
};

class TComboBoxEx : public TCustomComboBoxEx {
 public:
  explicit TComboBoxEx(TComponent* AOwner) : TCustomComboBoxEx(AOwner) {}
};
