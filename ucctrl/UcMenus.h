// Wide menus: the menu text utilities (accelerator marks, shortcut texts), wide menu items with
// their own drawing and measuring, and the pop-up list that carries wide menu hints.
#pragma once
#include "ActnList.h"
#include "Menus.h"
#include "System.h"

// ---- menu text utilities ----

// Whether the system locale is East Asian: accelerators may then be written "(&X)".
bool SysLocaleFarEast();
// The 1-based position of the last character marked with "&" ("&&" is a literal pair); 0: none.
int HotkeyPos(const WideString& Text);
// The character HotkeyPos marks, or empty text.
WideString GetHotkey(const WideString& Text);
// Text without its accelerator marks (on an East Asian locale "(&X)" goes whole).
WideString StripHotkeys(const WideString& Text);
// Equal without accelerator marks, case-insensitively.
bool SameCaption(const WideString& A, const WideString& B);
// Whether the typed character CharCode is the accelerator of Caption (a code of 0, which the
// keyboard gives for a lone lead byte or an unmapped byte, matches nothing).
bool IsWideCharAccel(Word CharCode, const WideString& Caption);
// The wide text of a shortcut ("Ctrl+A"); the framework's text for the keys it names itself and
// on the ANSI-only platform.
WideString WideShortCutToText(TShortCut ShortCut);
// The keyboard's name of a key and the character it writes (Unicode platform only).
WideString WideGetKeyNameText(UINT VirtualKey);
WideChar WideVirtualKeyChar(UINT VirtualKey);
// Moves the accelerator marks the framework gave Source (the framework's caption, widened) into
// Dest (the wide caption) when the two differ only in their marks.
void SyncHotKeyPosition(const WideString& Source, WideString& Dest);

// ---- wide menu items ----

class TUcMenuItem : public TMenuItem {
 public:
  explicit TUcMenuItem(TComponent* AOwner) : TMenuItem(AOwner) {}
  // The wide caption, with the accelerator marks the framework gave its own caption moved in.
  WideString Caption();
  void SetCaption(const WideString& Value);
  WideString Hint();
  void SetHint(const WideString& Value);
  // The text the platform item shows: the wide caption, with a tab and the wide shortcut text for
  // an item with a shortcut that is neither a pop-up nor on a menu bar.
  WideString WidePlatformText();
  // Puts the wide text into the platform item at Position of Menu (Unicode platform only; a
  // bitmap, owner-drawn or separator item is left alone).
  void RefreshWideText(HMENU Menu, UINT Position);

  // Owner drawing with the wide caption and shortcut: the framework draws the item without text
  // (background, check mark, image or bitmap), then the texts are drawn wide.
  void AdvancedDrawItem(TCanvas* ACanvas, TRect ARect, TOwnerDrawState State, bool TopLevel) override;
  // The framework's size, widened by the wide texts' extra width; then OnMeasureItem, once.
  void MeasureItem(TCanvas* ACanvas, int& Width, int& Height) override;
  // The width of Text as the item draws it.
  int WideTextWidth(TCanvas* ACanvas, const WideString& Text);

 protected:
  void DefineProperties(TFiler* Filer) override;
  void ActionChange(TObject* Sender, bool CheckDefaults) override;
  TMenuActionLink* CreateActionLink() override;
  void AppendTo(HMENU Menu, bool ARightToLeft) override;
  void Loaded() override;
  void MenuChanged(bool Rebuild) override;
  // One piece of wide text (caption or shortcut) drawn, or measured with DT_CALCRECT.
  virtual void DoDrawWideText(TCanvas* ACanvas, const WideString& ACaption, TRect& Rect, bool Selected, int Flags);

 private:
  // The alignment of the item's texts (a pop-up menu's Alignment) with expand tabs and single line.
  void DrawWideTexts(TCanvas* ACanvas, TRect ARect, TOwnerDrawState State, bool TopLevel);

  WideString wide_caption_;
  WideString wide_hint_;
  bool menu_change_suppressed_ = false;
};

// Puts the wide texts of Menu's items into its platform menus, walking the items depth-first from
// the last to the first (Unicode platform only).
void RefreshWideMenuTexts(TMenu* Menu);

// The pop-up menus' list of the wide layer: the selected item's wide hint becomes the
// application's, and the wide texts are put in again when a menu loop starts. It takes the
// framework's list's place (and its registered menus) when installed, and gives both back when
// removed.
class TUcPopupList : public TPopupList {
 public:
  explicit TUcPopupList(TPopupList* Saved) : saved_(Saved) {}
  TPopupList* SavedPopupList() const { return saved_; }
  void WndProc(TMessage& Message) override;

 private:
  TPopupList* saved_;
};
// Installs the wide pop-up list in the framework's place (once); UninstallUcPopupList puts the
// framework's back.
TUcPopupList* InstallUcPopupList();
void UninstallUcPopupList();

class TUcMenuActionLink : public TMenuActionLink {
 public:
  explicit TUcMenuActionLink(TObject* AClient) : TMenuActionLink(AClient) {}
  bool IsCaptionLinked() override;
  bool IsHintLinked() override;
  void SetCaption(const AnsiString& Value) override;
  void SetHint(const AnsiString& Value) override;
};
