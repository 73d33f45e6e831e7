// Menus: shortcuts and their texts, menu items in a tree, and the menus that show them (the
// window's main menu, pop-up menus) over the platform's menus.
#pragma once
#include <memory>
#include <vector>

#include "ActnList.h"
#include "Controls.h"
#include "Graphics.h"
#include "ImgList.h"
#include "StdCtrls.h"  // TOwnerDrawState
#include "winmenu.h"

// Key and modifiers as one value, and back.
TShortCut ShortCut(Word Key, TShiftState Shift);
void ShortCutToKey(TShortCut ShortCut, Word& Key, TShiftState& Shift);
// "Ctrl+N", "Shift+Alt+F9", "Del": modifiers in the order Shift+, Ctrl+, Alt+, then the key's
// name; empty when the key has none.
AnsiString ShortCutToText(TShortCut ShortCut);
// The shortcut a text names (modifiers in any order and case); 0 when it names none.
TShortCut TextToShortCut(AnsiString Text);
// The modifiers' texts of shortcut texts.
inline constexpr const char* SmkcShift = "Shift+";
inline constexpr const char* SmkcCtrl = "Ctrl+";
inline constexpr const char* SmkcAlt = "Alt+";

VSE_EXCEPTION_CLASS(EMenuError, Exception);

// The caption of a separator item.
extern const char* const cLineCaption;  // "-"

class TMenu;
class TMenuItem;

enum TMenuBreak : uint8_t { mbNone, mbBreak, mbBarBreak };
enum TFindItemKind : uint8_t { fkCommand, fkHandle, fkShortCut };
enum TPopupAlignment : uint8_t { paLeft, paRight, paCenter };
enum TTrackButton : uint8_t { tbRightButton, tbLeftButton };
using TMenuBiDiMode = TBiDiMode;

// Who decides an item's mnemonic: the menu adds missing ones and drops repeated ones
// (maAutomatic), the captions alone (maManual), or the parent's setting (maParent, items only).
enum TMenuAutoFlag : uint8_t { maAutomatic, maManual, maParent };
using TMenuItemAutoFlag = TMenuAutoFlag;

using TMenuChangeEvent = std::function<void(TObject* Sender, TMenuItem* Source, bool Rebuild)>;
using TMenuDrawItemEvent = std::function<void(TObject* Sender, TCanvas* ACanvas, TRect ARect, bool Selected)>;
using TAdvancedMenuDrawItemEvent =
    std::function<void(TObject* Sender, TCanvas* ACanvas, TRect ARect, TOwnerDrawState State)>;
using TMenuMeasureItemEvent = std::function<void(TObject* Sender, TCanvas* ACanvas, int& Width, int& Height)>;

// The characters automatic mnemonics are taken from, in the order they are tried.
extern const char* const ValidMenuHotkeys;  // "1234567890QWERTYUIOPASDFGHJKLZXCVBNM"
// The caption's mnemonic character (after the last single "&"), upper-cased; empty when none.
AnsiString GetHotkey(const AnsiString& Text);
// The caption without its "&" marks ("&&" stays a literal "&").
AnsiString StripHotkey(const AnsiString& Text);

// A menu item's link: the action's caption, checked and enabled state, hint, image, shortcut
// and visibility reach the item while it holds the action's values.
class TMenuActionLink : public TActionLink {
 public:
  explicit TMenuActionLink(TObject* AClient);
  bool IsCaptionLinked() override;
  bool IsCheckedLinked() override;
  bool IsEnabledLinked() override;
  bool IsHintLinked() override;
  bool IsImageIndexLinked() override;
  bool IsShortCutLinked() override;
  bool IsVisibleLinked() override;
  bool IsGroupIndexLinked() override;
  bool IsHelpContextLinked() override;
  // The item's own OnClick runs before the action: only the action's own handler is linked.
  bool IsOnExecuteLinked() override;
  void SetCaption(const AnsiString& Value) override;
  void SetChecked(bool Value) override;
  void SetEnabled(bool Value) override;
  void SetHint(const AnsiString& Value) override;
  void SetImageIndex(int Value) override;
  void SetShortCut(TShortCut Value) override;
  void SetVisible(bool Value) override;
  void SetGroupIndex(int Value) override;
  void SetHelpContext(int Value) override;

 protected:
  TMenuItem* client_;
};

class TMenuItem : public TComponent {
 public:
  explicit TMenuItem(TComponent* AOwner);
  ~TMenuItem() override;

  // ---- the tree
  int Count() const { return static_cast<int>(items_.size()); }
  TMenuItem* Items(int Index) const { return items_.at(static_cast<size_t>(Index)); }
  TMenuItem* Parent() const { return parent_; }
  // The item takes Item as its last (Insert: Index-th) child; an item has one parent.
  void Add(TMenuItem* Item);
  void Insert(int Index, TMenuItem* Item);
  // Delete frees the child, Remove only takes it out.
  void Delete(int Index);
  void Remove(TMenuItem* Item);
  void Clear();
  int IndexOf(const TMenuItem* Item) const;
  // The child whose caption (without its "&" marks) is ACaption, ignoring case.
  TMenuItem* Find(const AnsiString& ACaption) const;
  int MenuIndex() const;
  void SetMenuIndex(int Value);
  TMenu* GetParentMenu() const;
  // The platform pop-up holding the children (made on first use).
  HMENU Handle();
  bool HandleAllocated() const { return handle_ != nullptr; }
  // Unique among the process's menu items: the platform item's identifier.
  WORD Command() const { return command_; }
  bool IsLine() const;

  // ---- what it does
  // Runs the action (or OnClick); an AutoCheck item turns its Checked over first.
  virtual void Click();
  // Asks the action link to update the item from its action.
  void InitiateAction();

  // ---- properties
  const AnsiString& Caption() const { return caption_; }
  void SetCaption(const AnsiString& Value);
  bool Checked() const { return checked_; }
  // Checking a radio item of a group unchecks the others of its group among its siblings.
  void SetChecked(bool Value);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool Value);
  bool Default() const { return default_; }
  void SetDefault(bool Value);
  bool RadioItem() const { return radio_item_; }
  void SetRadioItem(bool Value);
  uint8_t GroupIndex() const { return group_index_; }
  void SetGroupIndex(uint8_t Value);
  bool Visible() const { return visible_; }
  void SetVisible(bool Value);
  TShortCut ShortCut() const { return short_cut_; }
  void SetShortCut(TShortCut Value);
  const AnsiString& Hint() const { return hint_; }
  void SetHint(const AnsiString& Value);
  int ImageIndex() const { return image_index_; }
  void SetImageIndex(int Value);
  bool AutoCheck() const { return auto_check_; }
  void SetAutoCheck(bool Value) { auto_check_ = Value; }
  TMenuBreak Break() const { return break_; }
  void SetBreak(TMenuBreak Value);
  int HelpContext() const { return help_context_; }
  void SetHelpContext(int Value) { help_context_ = Value; }
  // A picture beside the caption (empty: none).
  TBitmap* Bitmap();
  void SetBitmap(TBitmap* Value);
  bool HasBitmap() const { return bitmap_ && !bitmap_->Empty(); }
  TBasicAction* Action() const;
  void SetAction(TBasicAction* Value);
  TMenuActionLink* ActionLink() const { return action_link_.get(); }

  // Whether the children's mnemonics are made by the menu; maParent follows the parent item
  // (the root follows its menu).
  TMenuItemAutoFlag AutoHotkeys() const { return auto_hotkeys_; }
  void SetAutoHotkeys(TMenuItemAutoFlag Value);
  bool IsAutoHotkeys() const;
  // Gives the children (and theirs) the mnemonics they lack and drops repeated ones; true when
  // a caption changed. Runs by itself when the menu is rebuilt and automatic mnemonics are on.
  bool RethinkHotkeys();

  // ---- owner drawing: the item is drawn by the framework (or its handlers) when its menu is
  // OwnerDraw, has Images, or the item has a bitmap.
  bool IsOwnerDraw() const;
  // On a main menu's bar.
  bool IsTopLevel() const { return IsOnMenuBar(); }
  TCustomImageList* GetImageList() const;
  // Runs OnDrawItem.
  virtual void DrawItem(TCanvas* ACanvas, TRect ARect, bool Selected);
  // With a handler (and an owner-drawn menu or images): DrawItem, then OnAdvancedDrawItem;
  // otherwise the framework's drawing: background, check mark, image or bitmap, caption and
  // shortcut.
  virtual void AdvancedDrawItem(TCanvas* ACanvas, TRect ARect, TOwnerDrawState State, bool TopLevel);
  // The framework's size of the item, then OnMeasureItem with it.
  virtual void MeasureItem(TCanvas* ACanvas, int& Width, int& Height);

  TNotifyEvent OnClick;
  TMenuDrawItemEvent OnDrawItem;
  TAdvancedMenuDrawItemEvent OnAdvancedDrawItem;
  TMenuMeasureItemEvent OnMeasureItem;

  // ---- streaming: the children are streamed inside their item
  bool HasParent() override { return true; }
  TComponent* GetParentComponent() override;
  void SetParentComponent(TComponent* Value) override;
  void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override;
  void SetChildOrder(TComponent* Child, int Order) override;

  // The text of the platform item: the caption, and for an item with a shortcut that is not
  // on a menu bar a tab and the shortcut's text.
  AnsiString PlatformText();

 protected:
  // Something changed: the menu rebuilds its platform menus (Rebuild) or updates them.
  virtual void MenuChanged(bool Rebuild);
  virtual void ActionChange(TObject* Sender, bool CheckDefaults);
  // The link class this item makes for an action.
  virtual TMenuActionLink* CreateActionLink();
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // Adds this item to the platform menu Menu at its end.
  virtual void AppendTo(HMENU Menu, bool ARightToLeft);
  // Puts the children into the platform pop-up again.
  void RebuildHandle();
  // One piece of an item's text (caption or shortcut) drawn, or measured with DT_CALCRECT:
  // clear background, bold for the default item, a disabled item embossed.
  virtual void DoDrawText(TCanvas* ACanvas, const AnsiString& ACaption, TRect& Rect, bool Selected, int Flags);
  // The steps of the framework's item drawing that a drawer of the item's own texts takes too.
  // The glyph column of the item drawn in ARect, mirrored in a right-to-left menu; ShowImage: an
  // image of the list (or the check mark) shows in it, Glyph: an image or the bitmap does.
  struct TGlyphColumn {
    TRect Rect;
    bool ShowImage;
    bool ValidIndex;
    bool Glyph;
  };
  TGlyphColumn GlyphColumn(const TRect& ARect, bool TopLevel) const;
  // The caption's rectangle beside the column, and the caption's text flags in State.
  TRect CaptionRect(const TRect& ARect, TRect Column, bool Selected, bool TopLevel) const;
  int CaptionFlags(TOwnerDrawState State) const;
  // R, the caption measured from S, placed: centred in S's height (in a right-to-left menu as
  // wide as S), a selected top-level item one pixel to the right.
  void PlaceMeasuredCaption(TRect& R, const TRect& S, bool Selected, bool TopLevel) const;
  // Alignment (a pop-up menu's), expanded tabs, a single line.
  int TextFlags() const;

 private:
  friend class TMenu;
  friend class TPopupMenu;
  void DoActionChange(TObject* Sender);
  void ChildrenChanged();
  void TurnSiblingsOff();
  bool IsOnMenuBar() const;
  bool InternalRethinkHotkeys(bool Force);
  void DrawDefault(TCanvas* ACanvas, TRect ARect, TOwnerDrawState State, bool TopLevel);

  std::vector<TMenuItem*> items_;
  TMenuItem* parent_ = nullptr;
  TMenu* menu_ = nullptr;  // set on a menu's root item
  HMENU handle_ = nullptr;
  WORD command_ = 0;
  AnsiString caption_;
  bool checked_ = false;
  bool enabled_ = true;
  bool default_ = false;
  bool radio_item_ = false;
  uint8_t group_index_ = 0;
  bool visible_ = true;
  TShortCut short_cut_ = 0;
  AnsiString hint_;
  int image_index_ = -1;
  bool auto_check_ = false;
  TMenuItemAutoFlag auto_hotkeys_ = maParent;
  TMenuBreak break_ = mbNone;
  int help_context_ = 0;
  std::unique_ptr<TBitmap> bitmap_;
  std::unique_ptr<TMenuActionLink> action_link_;
};

class TMenu : public TComponent {
 public:
  explicit TMenu(TComponent* AOwner);
  ~TMenu() override;

  // The root item: its children are the menu's items.
  TMenuItem* Items() const { return items_.get(); }
  virtual HMENU Handle();
  HWND WindowHandle() const { return window_handle_; }
  virtual void SetWindowHandle(HWND Value);
  bool OwnerDraw() const { return owner_draw_; }
  void SetOwnerDraw(bool Value);
  TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* Value);
  TMenuBiDiMode BiDiMode() const { return bidi_mode_; }
  void SetBiDiMode(TMenuBiDiMode Value);
  bool IsRightToLeft() const { return bidi_mode_ != bdLeftToRight; }

  // The item of a WM_COMMAND's identifier: clicked; true when there was one.
  bool DispatchCommand(WORD ACommand);
  // WM_INITMENUPOPUP of one of this menu's pop-ups: its items update from their actions.
  bool DispatchPopup(HMENU AMenuHandle);
  TMenuItem* FindItem(UINT_PTR Value, TFindItemKind Kind);
  // Runs the enabled item bound to the key; true when there was one.
  bool IsShortCut(TShortCut Key);
  // WM_MENUCHAR: the item of the pop-up Menu whose mnemonic is Ch (owner-drawn items have no
  // platform text to find it by); the answer to give, 0 when none.
  LRESULT ProcessMenuChar(char16_t Ch, HMENU Menu);
  // WM_MEASUREITEM and WM_DRAWITEM of one of this menu's items; false when the item is not one.
  bool MeasureItemMessage(MEASUREITEMSTRUCT& Measure);
  bool DrawItemMessage(const DRAWITEMSTRUCT& Draw);

  TMenuAutoFlag AutoHotkeys() const { return auto_hotkeys_; }
  void SetAutoHotkeys(TMenuAutoFlag Value);

  void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override;

  TMenuChangeEvent OnChange;

 protected:
  friend class TMenuItem;
  // The root item's platform menu: a menu bar or a pop-up.
  virtual HMENU CreateMenuHandle() = 0;
  virtual void MenuChanged(TObject* Sender, TMenuItem* Source, bool Rebuild);
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // Mnemonics made again and every platform pop-up filled again.
  void RebuildAll();
  void Loaded() override;

 private:
  void ImagesChanged(TObject* Sender);

  std::unique_ptr<TMenuItem> items_;
  HWND window_handle_ = nullptr;
  bool owner_draw_ = false;
  TCustomImageList* images_ = nullptr;
  TChangeLink images_link_;
  TMenuBiDiMode bidi_mode_ = bdLeftToRight;
  TMenuAutoFlag auto_hotkeys_ = maAutomatic;
};

// The menu bar of a form's window.
class TMainMenu : public TMenu {
 public:
  explicit TMainMenu(TComponent* AOwner) : TMenu(AOwner) {}
  // Puts the menu bar on the window (and takes it off the previous one).
  void SetWindowHandle(HWND Value) override;

 protected:
  HMENU CreateMenuHandle() override { return CreateMenu(); }
  void MenuChanged(TObject* Sender, TMenuItem* Source, bool Rebuild) override;
};

class TPopupMenu : public TMenu {
 public:
  explicit TPopupMenu(TComponent* AOwner);
  ~TPopupMenu() override;
  // Shows the menu at a screen point and tracks it; a chosen item is clicked when the
  // platform's WM_COMMAND arrives.
  virtual void Popup(int X, int Y);

  TPopupAlignment Alignment() const { return alignment_; }
  void SetAlignment(TPopupAlignment Value) { alignment_ = Value; }
  bool AutoPopup() const { return auto_popup_; }
  void SetAutoPopup(bool Value) { auto_popup_ = Value; }
  TComponent* PopupComponent() const { return popup_component_; }
  void SetPopupComponent(TComponent* Value) { popup_component_ = Value; }
  TTrackButton TrackButton() const { return track_button_; }
  void SetTrackButton(TTrackButton Value) { track_button_ = Value; }

  TNotifyEvent OnPopup;

 protected:
  HMENU CreateMenuHandle() override { return CreatePopupMenu(); }
  virtual void DoPopup(TObject* Sender);

 private:
  TPopupAlignment alignment_ = paLeft;
  bool auto_popup_ = true;
  TComponent* popup_component_ = nullptr;
  TTrackButton track_button_ = tbRightButton;
};

// The pop-up menus being shown, and the hidden window that receives their messages
// (WM_COMMAND, WM_INITMENUPOPUP, WM_MENUSELECT, WM_MEASUREITEM, WM_DRAWITEM). The wide layer
// puts a list of its own in place of this one, and back.
class TPopupList : public TList {
 public:
  TPopupList();
  ~TPopupList() override;
  void Add(TPopupMenu* Popup);
  void Remove(TPopupMenu* Popup);
  HWND Window();
  virtual void WndProc(TMessage& Message);

 private:
  HWND window_ = nullptr;
  WNDPROC instance_ = nullptr;
};
extern TPopupList* PopupList;
