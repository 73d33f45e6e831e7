// Inside the user library: a menu's items as the menu calls and the pop-up tracker share them.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "user/user_internal.h"

namespace winplat::user {

struct MenuItemRecord {
  UINT type = MFT_STRING;   // MFT_* bits
  UINT state = 0;           // MFS_* bits
  UINT id = 0;
  HMENU sub = nullptr;      // the pop-up this item opens
  HBITMAP checked = nullptr, unchecked = nullptr;
  HBITMAP bitmap = nullptr;      // MFT_BITMAP: the item is this picture
  HBITMAP bitmapItem = nullptr;  // MIIM_BITMAP: a picture beside the text
  ULONG_PTR data = 0;
  std::u16string text;
};

struct MenuObject : HandleObject {
  std::vector<MenuItemRecord> items;
  bool popup = false;
};

// The menu of a live handle; null and ERROR_INVALID_MENU_HANDLE otherwise.
std::shared_ptr<MenuObject> GetMenuObject(HMENU h);

}  // namespace winplat::user

namespace winplat::user {

// ---- the menu bar in a window's frame

// Height of the window's menu bar: one row for a top-level window that has a menu, else 0.
int MenuBarHeight(HWND h);
// The bar in window coordinates, below the caption (empty without a bar).
RECT MenuBarRect(HWND h);
// The bar's items in window coordinates, left to right; owner-drawn items are measured by the
// window (WM_MEASUREITEM).
std::vector<RECT> MenuBarItemRects(HWND h);
// The bar item under a screen point; -1 when none.
int MenuBarItemAt(HWND h, POINT screen);
void PaintMenuBar(HWND h, HDC windowDC);
// The bar item shown selected (-1: none) while the window's menu is tracked; the bar is
// drawn again at once.
void SetMenuBarHot(HWND h, int item);
// The menu loop of the window's bar: SC_MOUSEMENU (lp: the screen point pressed) or
// SC_KEYMENU (lp: the character typed with Alt, 0 for Alt or F10 alone).
void TrackMenuBar(HWND h, UINT command, LPARAM lp);
// The index of the item whose mnemonic ("&" and the character, case ignored) is `ch`; -1 when none.
int MenuMnemonicItem(HMENU menu, char16_t ch);

}  // namespace winplat::user
