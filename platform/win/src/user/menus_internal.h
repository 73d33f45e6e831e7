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
