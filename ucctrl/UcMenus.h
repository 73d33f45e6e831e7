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

 protected:
  void DefineProperties(TFiler* Filer) override;
  void ActionChange(TObject* Sender, bool CheckDefaults) override;
  TMenuActionLink* CreateActionLink() override;
  void AppendTo(HMENU Menu, bool ARightToLeft) override;

 private:
  WideString wide_caption_;
  WideString wide_hint_;
};

class TUcMenuActionLink : public TMenuActionLink {
 public:
  explicit TUcMenuActionLink(TObject* AClient) : TMenuActionLink(AClient) {}
  bool IsCaptionLinked() override;
  bool IsHintLinked() override;
  void SetCaption(const AnsiString& Value) override;
  void SetHint(const AnsiString& Value) override;
};
