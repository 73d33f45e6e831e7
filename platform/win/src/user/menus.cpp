// Menu objects and their items, a window's menu, and the calls that read and change them.
// Items are found by position or, by command, anywhere in the menu's tree of sub-menus.
#include <algorithm>

#include "internal/wide_calls.h"
#include "user/menus_internal.h"
#include "winerror.h"

namespace winplat::user {

std::shared_ptr<MenuObject> GetMenuObject(HMENU h) {
  auto m = HandleTable::Instance().Get<MenuObject>(h, HandleKind::Menu);
  if (!m) SetLastError(ERROR_INVALID_MENU_HANDLE);
  return m;
}

namespace {

struct Found {
  std::shared_ptr<MenuObject> menu;
  size_t index = 0;
  MenuItemRecord* item() const { return &menu->items[index]; }
};

bool FindByCommand(const std::shared_ptr<MenuObject>& m, UINT id, Found* out, int depth) {
  if (depth > 32) return false;  // a menu that holds itself
  for (size_t i = 0; i < m->items.size(); ++i) {
    auto& it = m->items[i];
    if (!it.sub && it.id == id) {
      *out = Found{m, i};
      return true;
    }
  }
  for (size_t i = 0; i < m->items.size(); ++i) {
    auto& it = m->items[i];
    if (!it.sub) continue;
    if (it.id == id) {  // a pop-up item named by its identifier
      *out = Found{m, i};
      return true;
    }
    if (auto sub = HandleTable::Instance().Get<MenuObject>(it.sub, HandleKind::Menu);
        sub && FindByCommand(sub, id, out, depth + 1))
      return true;
  }
  return false;
}

bool Find(HMENU h, UINT item, bool byPosition, Found* out) {
  auto m = GetMenuObject(h);
  if (!m) return false;
  if (byPosition) {
    if (item >= m->items.size()) return false;
    *out = Found{m, item};
    return true;
  }
  return FindByCommand(m, item, out, 0);
}

// The item an old-style call (InsertMenu, AppendMenu, ModifyMenu) describes.
MenuItemRecord FromFlags(UINT flags, UINT_PTR idNew, const std::u16string* text, const void* raw) {
  MenuItemRecord r;
  r.state = flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_HILITE | MF_DEFAULT);
  r.type = flags & (MF_MENUBARBREAK | MF_MENUBREAK | MF_RIGHTJUSTIFY | MFT_RADIOCHECK);
  if (flags & MF_POPUP) {
    r.sub = reinterpret_cast<HMENU>(idNew);
    r.id = static_cast<UINT>(idNew);
  } else {
    r.id = static_cast<UINT>(idNew);
  }
  if (flags & MF_SEPARATOR) {
    r.type |= MFT_SEPARATOR;
  } else if (flags & MF_OWNERDRAW) {
    r.type |= MFT_OWNERDRAW;
    r.data = reinterpret_cast<ULONG_PTR>(raw);
  } else if (flags & MF_BITMAP) {
    r.type |= MFT_BITMAP;
    r.bitmap = reinterpret_cast<HBITMAP>(const_cast<void*>(raw));
  } else if (text) {
    r.text = *text;
  }
  return r;
}

bool SubMenuValid(const MenuItemRecord& r) {
  return !r.sub || HandleTable::Instance().Get<MenuObject>(r.sub, HandleKind::Menu) != nullptr;
}

BOOL InsertCore(HMENU h, UINT pos, UINT flags, UINT_PTR idNew, const std::u16string* text, const void* raw) {
  auto m = GetMenuObject(h);
  if (!m) return FALSE;
  MenuItemRecord r = FromFlags(flags, idNew, text, raw);
  if (!SubMenuValid(r)) {
    SetLastError(ERROR_INVALID_MENU_HANDLE);
    return FALSE;
  }
  if (flags & MF_BYPOSITION) {
    size_t at = pos == 0xFFFFFFFFu || pos > m->items.size() ? m->items.size() : pos;
    m->items.insert(m->items.begin() + static_cast<std::ptrdiff_t>(at), std::move(r));
    return TRUE;
  }
  // By command: before the item with that identifier; appended when there is none.
  Found f;
  if (pos != 0xFFFFFFFFu && FindByCommand(m, pos, &f, 0)) {
    f.menu->items.insert(f.menu->items.begin() + static_cast<std::ptrdiff_t>(f.index), std::move(r));
    return TRUE;
  }
  m->items.push_back(std::move(r));
  return TRUE;
}

BOOL ModifyCore(HMENU h, UINT pos, UINT flags, UINT_PTR idNew, const std::u16string* text, const void* raw) {
  Found f;
  if (!Find(h, pos, (flags & MF_BYPOSITION) != 0, &f)) {
    SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
    return FALSE;
  }
  MenuItemRecord r = FromFlags(flags, idNew, text, raw);
  if (!SubMenuValid(r)) {
    SetLastError(ERROR_INVALID_MENU_HANDLE);
    return FALSE;
  }
  // The replaced item's sub-menu goes with it, as DeleteMenu does.
  if (f.item()->sub && f.item()->sub != r.sub) DestroyMenu(f.item()->sub);
  *f.item() = std::move(r);
  return TRUE;
}

size_t BaseInfoSize() { return offsetof(MENUITEMINFOW, hbmpItem); }

bool InfoSizeOk(UINT size) { return size == sizeof(MENUITEMINFOW) || size == BaseInfoSize(); }

// Applies a MENUITEMINFO (wide text already taken) to an item.
bool ApplyInfo(MenuItemRecord& r, const MENUITEMINFOW& mi, const std::u16string* text) {
  if (mi.fMask & MIIM_SUBMENU) {
    MenuItemRecord probe;
    probe.sub = mi.hSubMenu;
    if (!SubMenuValid(probe)) {
      SetLastError(ERROR_INVALID_MENU_HANDLE);
      return false;
    }
  }
  if (mi.fMask & MIIM_TYPE) {
    r.type = mi.fType;
    if (mi.fType & MFT_BITMAP) {
      r.bitmap = reinterpret_cast<HBITMAP>(mi.dwTypeData);
      r.text.clear();
    } else if (!(mi.fType & (MFT_SEPARATOR | MFT_OWNERDRAW))) {
      r.text = text ? *text : std::u16string();
    } else {
      r.text.clear();
    }
  }
  if (mi.fMask & MIIM_FTYPE) r.type = (r.type & MFT_BITMAP) | (mi.fType & ~MFT_BITMAP);
  if ((mi.fMask & MIIM_STRING) && !(mi.fMask & MIIM_TYPE)) r.text = text ? *text : std::u16string();
  if (mi.fMask & MIIM_BITMAP && mi.cbSize >= sizeof(MENUITEMINFOW)) r.bitmapItem = mi.hbmpItem;
  if (mi.fMask & MIIM_STATE) r.state = mi.fState;
  if (mi.fMask & MIIM_ID) r.id = mi.wID;
  if (mi.fMask & MIIM_SUBMENU) r.sub = mi.hSubMenu;
  if (mi.fMask & MIIM_CHECKMARKS) {
    r.checked = mi.hbmpChecked;
    r.unchecked = mi.hbmpUnchecked;
  }
  if (mi.fMask & MIIM_DATA) r.data = mi.dwItemData;
  return true;
}

bool WantsText(const MENUITEMINFOW& mi, const MenuItemRecord& r) {
  if (mi.fMask & MIIM_STRING) return true;
  return (mi.fMask & MIIM_TYPE) && !(r.type & (MFT_BITMAP | MFT_SEPARATOR | MFT_OWNERDRAW));
}

// Fills the non-text fields; the caller copies the text in its kind.
void ReadInfo(const MenuItemRecord& r, MENUITEMINFOW& mi) {
  if (mi.fMask & (MIIM_TYPE | MIIM_FTYPE)) mi.fType = r.type;
  if ((mi.fMask & MIIM_TYPE) && (r.type & MFT_BITMAP)) mi.dwTypeData = reinterpret_cast<LPWSTR>(r.bitmap);
  if ((mi.fMask & MIIM_BITMAP) && mi.cbSize >= sizeof(MENUITEMINFOW)) mi.hbmpItem = r.bitmapItem;
  if (mi.fMask & MIIM_STATE) mi.fState = r.state;
  if (mi.fMask & MIIM_ID) mi.wID = r.id;
  if (mi.fMask & MIIM_SUBMENU) mi.hSubMenu = r.sub;
  if (mi.fMask & MIIM_CHECKMARKS) {
    mi.hbmpChecked = r.checked;
    mi.hbmpUnchecked = r.unchecked;
  }
  if (mi.fMask & MIIM_DATA) mi.dwItemData = r.data;
}

// Copies text into a caller's buffer of `cch` units (terminated); answers the units copied.
template <class Ch, class S>
UINT CopyText(const S& s, Ch* buf, UINT cch) {
  if (!buf || cch == 0) return 0;
  size_t n = std::min<size_t>(s.size(), cch - 1);
  std::copy_n(s.data(), n, buf);
  buf[n] = 0;
  return static_cast<UINT>(n);
}

template <class Info>
BOOL GetInfoCore(HMENU h, UINT item, BOOL byPos, Info* mi, bool wide) {
  if (!mi || !InfoSizeOk(mi->cbSize)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  Found f;
  if (!Find(h, item, byPos != FALSE, &f)) {
    SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
    return FALSE;
  }
  const MenuItemRecord& r = *f.item();
  auto* w = reinterpret_cast<MENUITEMINFOW*>(mi);  // same layout but for the text pointer's type
  LPWSTR given = w->dwTypeData;
  bool text = WantsText(*w, r);
  ReadInfo(r, *w);
  if (text) {
    if (wide) {
      w->dwTypeData = given;
      if (!given) w->cch = static_cast<UINT>(r.text.size());
      else w->cch = CopyText(r.text, reinterpret_cast<char16_t*>(given), w->cch);
    } else {
      std::string a = W2A(r.text);
      mi->dwTypeData = reinterpret_cast<decltype(mi->dwTypeData)>(given);
      if (!given) mi->cch = static_cast<UINT>(a.size());
      else mi->cch = CopyText(a, reinterpret_cast<char*>(given), mi->cch);
    }
  }
  return TRUE;
}

template <class Info>
BOOL SetInfoCore(HMENU h, UINT item, BOOL byPos, const Info* mi, bool wide) {
  if (!mi || !InfoSizeOk(mi->cbSize)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  Found f;
  if (!Find(h, item, byPos != FALSE, &f)) {
    SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
    return FALSE;
  }
  const auto* w = reinterpret_cast<const MENUITEMINFOW*>(mi);
  std::u16string text;
  bool hasText = false;
  if ((mi->fMask & (MIIM_TYPE | MIIM_STRING)) && mi->dwTypeData &&
      !((mi->fMask & MIIM_TYPE) && (mi->fType & (MFT_BITMAP | MFT_SEPARATOR | MFT_OWNERDRAW)))) {
    text = wide ? std::u16string(reinterpret_cast<const char16_t*>(w->dwTypeData))
                : A2W(reinterpret_cast<const char*>(mi->dwTypeData));
    hasText = true;
  }
  MenuItemRecord r = *f.item();
  if (!ApplyInfo(r, *w, hasText ? &text : nullptr)) return FALSE;
  *f.item() = std::move(r);
  return TRUE;
}

template <class Info>
BOOL InsertItemCore(HMENU h, UINT item, BOOL byPos, const Info* mi, bool wide) {
  if (!mi || !InfoSizeOk(mi->cbSize)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  auto m = GetMenuObject(h);
  if (!m) return FALSE;
  const auto* w = reinterpret_cast<const MENUITEMINFOW*>(mi);
  std::u16string text;
  bool hasText = false;
  if ((mi->fMask & (MIIM_TYPE | MIIM_STRING)) && mi->dwTypeData &&
      !((mi->fMask & MIIM_TYPE) && (mi->fType & (MFT_BITMAP | MFT_SEPARATOR | MFT_OWNERDRAW)))) {
    text = wide ? std::u16string(reinterpret_cast<const char16_t*>(w->dwTypeData))
                : A2W(reinterpret_cast<const char*>(mi->dwTypeData));
    hasText = true;
  }
  MenuItemRecord r;
  if (!ApplyInfo(r, *w, hasText ? &text : nullptr)) return FALSE;
  std::shared_ptr<MenuObject> target = m;
  size_t at = m->items.size();
  if (byPos) {
    if (item < m->items.size()) at = item;
  } else {
    Found f;
    if (FindByCommand(m, item, &f, 0)) {
      target = f.menu;
      at = f.index;
    }
  }
  target->items.insert(target->items.begin() + static_cast<std::ptrdiff_t>(at), std::move(r));
  return TRUE;
}

template <class Ch>
int GetStringCore(HMENU h, UINT item, Ch* buf, int cchMax, UINT flags, bool wide) {
  Found f;
  if (!Find(h, item, (flags & MF_BYPOSITION) != 0, &f)) {
    SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
    return 0;
  }
  const std::u16string& t = f.item()->text;
  if (wide) {
    if (!buf) return static_cast<int>(t.size());
    return cchMax > 0 ? static_cast<int>(CopyText(t, reinterpret_cast<char16_t*>(buf), static_cast<UINT>(cchMax))) : 0;
  }
  std::string a = W2A(t);
  if (!buf) return static_cast<int>(a.size());
  return cchMax > 0 ? static_cast<int>(CopyText(a, reinterpret_cast<char*>(buf), static_cast<UINT>(cchMax))) : 0;
}

// The windows' menus (the platform keeps them with the window; here beside it).
std::vector<std::pair<HWND, HMENU>>& WindowMenus() {
  static auto* v = new std::vector<std::pair<HWND, HMENU>>;
  return *v;
}

void DropDeadWindows() {
  auto& v = WindowMenus();
  v.erase(std::remove_if(v.begin(), v.end(), [](const auto& p) { return !IsWindow(p.first); }), v.end());
}

BOOL RemoveCore(HMENU h, UINT pos, UINT flags, bool destroySub) {
  Found f;
  if (!Find(h, pos, (flags & MF_BYPOSITION) != 0, &f)) {
    SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
    return FALSE;
  }
  HMENU sub = f.item()->sub;
  f.menu->items.erase(f.menu->items.begin() + static_cast<std::ptrdiff_t>(f.index));
  if (destroySub && sub) DestroyMenu(sub);
  return TRUE;
}

}  // namespace

}  // namespace winplat::user

using namespace winplat::user;
using winplat::HandleKind;
using winplat::HandleTable;

HMENU WINAPI CreateMenu() {
  auto m = std::make_shared<MenuObject>();
  return static_cast<HMENU>(HandleTable::Instance().Add(HandleKind::Menu, m));
}

HMENU WINAPI CreatePopupMenu() {
  auto m = std::make_shared<MenuObject>();
  m->popup = true;
  return static_cast<HMENU>(HandleTable::Instance().Add(HandleKind::Menu, m));
}

// Destroys the menu and, depth first, the sub-menus its items hold.
BOOL WINAPI DestroyMenu(HMENU h) {
  auto m = GetMenuObject(h);
  if (!m) return FALSE;
  HandleTable::Instance().Remove(h, HandleKind::Menu);
  for (auto& it : m->items)
    if (it.sub && it.sub != h) DestroyMenu(it.sub);
  auto& v = WindowMenus();
  v.erase(std::remove_if(v.begin(), v.end(), [h](const auto& p) { return p.second == h; }), v.end());
  return TRUE;
}

BOOL WINAPI IsMenu(HMENU h) { return HandleTable::Instance().Get<MenuObject>(h, HandleKind::Menu) ? TRUE : FALSE; }

BOOL WINAPI InsertMenuW(HMENU h, UINT pos, UINT flags, UINT_PTR id, LPCWSTR item) {
  if (VSE_WIDE_CALL_REFUSED()) return FALSE;
  std::u16string t = item && !(flags & (MF_BITMAP | MF_OWNERDRAW | MF_SEPARATOR)) ? std::u16string(item) : std::u16string();
  return InsertCore(h, pos, flags, id, &t, item);
}
BOOL WINAPI InsertMenuA(HMENU h, UINT pos, UINT flags, UINT_PTR id, LPCSTR item) {
  std::u16string t = item && !(flags & (MF_BITMAP | MF_OWNERDRAW | MF_SEPARATOR)) ? A2W(item) : std::u16string();
  return InsertCore(h, pos, flags, id, &t, item);
}
BOOL WINAPI AppendMenuW(HMENU h, UINT flags, UINT_PTR id, LPCWSTR item) {
  if (VSE_WIDE_CALL_REFUSED()) return FALSE;
  return InsertMenuW(h, 0xFFFFFFFFu, flags | MF_BYPOSITION, id, item);
}
BOOL WINAPI AppendMenuA(HMENU h, UINT flags, UINT_PTR id, LPCSTR item) {
  return InsertMenuA(h, 0xFFFFFFFFu, flags | MF_BYPOSITION, id, item);
}
BOOL WINAPI ModifyMenuW(HMENU h, UINT pos, UINT flags, UINT_PTR id, LPCWSTR item) {
  if (VSE_WIDE_CALL_REFUSED()) return FALSE;
  std::u16string t = item && !(flags & (MF_BITMAP | MF_OWNERDRAW | MF_SEPARATOR)) ? std::u16string(item) : std::u16string();
  return ModifyCore(h, pos, flags, id, &t, item);
}
BOOL WINAPI ModifyMenuA(HMENU h, UINT pos, UINT flags, UINT_PTR id, LPCSTR item) {
  std::u16string t = item && !(flags & (MF_BITMAP | MF_OWNERDRAW | MF_SEPARATOR)) ? A2W(item) : std::u16string();
  return ModifyCore(h, pos, flags, id, &t, item);
}
BOOL WINAPI InsertMenuItemW(HMENU h, UINT item, BOOL byPos, LPCMENUITEMINFOW mi) {
  if (VSE_WIDE_CALL_REFUSED()) return FALSE;
  return InsertItemCore(h, item, byPos, mi, true);
}
BOOL WINAPI InsertMenuItemA(HMENU h, UINT item, BOOL byPos, LPCMENUITEMINFOA mi) {
  return InsertItemCore(h, item, byPos, mi, false);
}
BOOL WINAPI RemoveMenu(HMENU h, UINT pos, UINT flags) { return RemoveCore(h, pos, flags, false); }
BOOL WINAPI DeleteMenu(HMENU h, UINT pos, UINT flags) { return RemoveCore(h, pos, flags, true); }

BOOL WINAPI GetMenuItemInfoW(HMENU h, UINT item, BOOL byPos, LPMENUITEMINFOW mi) {
  if (VSE_WIDE_CALL_REFUSED()) return FALSE;
  return GetInfoCore(h, item, byPos, mi, true);
}
BOOL WINAPI GetMenuItemInfoA(HMENU h, UINT item, BOOL byPos, LPMENUITEMINFOA mi) {
  return GetInfoCore(h, item, byPos, mi, false);
}
BOOL WINAPI SetMenuItemInfoW(HMENU h, UINT item, BOOL byPos, LPCMENUITEMINFOW mi) {
  if (VSE_WIDE_CALL_REFUSED()) return FALSE;
  return SetInfoCore(h, item, byPos, mi, true);
}
BOOL WINAPI SetMenuItemInfoA(HMENU h, UINT item, BOOL byPos, LPCMENUITEMINFOA mi) {
  return SetInfoCore(h, item, byPos, mi, false);
}
int WINAPI GetMenuStringW(HMENU h, UINT item, LPWSTR buf, int cchMax, UINT flags) {
  if (VSE_WIDE_CALL_REFUSED()) return 0;
  return GetStringCore(h, item, buf, cchMax, flags, true);
}
int WINAPI GetMenuStringA(HMENU h, UINT item, LPSTR buf, int cchMax, UINT flags) {
  return GetStringCore(h, item, buf, cchMax, flags, false);
}

int WINAPI GetMenuItemCount(HMENU h) {
  auto m = GetMenuObject(h);
  return m ? static_cast<int>(m->items.size()) : -1;
}

UINT WINAPI GetMenuItemID(HMENU h, int pos) {
  auto m = GetMenuObject(h);
  if (!m || pos < 0 || static_cast<size_t>(pos) >= m->items.size()) return 0xFFFFFFFFu;
  const auto& it = m->items[static_cast<size_t>(pos)];
  return it.sub ? 0xFFFFFFFFu : it.id;
}

HMENU WINAPI GetSubMenu(HMENU h, int pos) {
  auto m = GetMenuObject(h);
  if (!m || pos < 0 || static_cast<size_t>(pos) >= m->items.size()) return nullptr;
  return m->items[static_cast<size_t>(pos)].sub;
}

// The item's type and state flags; a pop-up item adds MF_POPUP and its item count in the high byte.
UINT WINAPI GetMenuState(HMENU h, UINT id, UINT flags) {
  Found f;
  if (!Find(h, id, (flags & MF_BYPOSITION) != 0, &f)) return 0xFFFFFFFFu;
  const auto& r = *f.item();
  UINT v = (r.type | r.state) & 0xFFFFu;
  if (r.sub) {
    int n = GetMenuItemCount(r.sub);
    v = (v & 0xFFu) | MF_POPUP | (static_cast<UINT>(std::max(n, 0)) << 8);
  }
  return v;
}

BOOL WINAPI EnableMenuItem(HMENU h, UINT id, UINT enable) {
  Found f;
  if (!Find(h, id, (enable & MF_BYPOSITION) != 0, &f)) return -1;
  auto& r = *f.item();
  UINT before = r.state & (MF_GRAYED | MF_DISABLED);
  r.state = (r.state & ~(MF_GRAYED | MF_DISABLED)) | (enable & (MF_GRAYED | MF_DISABLED));
  return static_cast<BOOL>(before);
}

DWORD WINAPI CheckMenuItem(HMENU h, UINT id, UINT check) {
  Found f;
  if (!Find(h, id, (check & MF_BYPOSITION) != 0, &f)) return 0xFFFFFFFFu;
  auto& r = *f.item();
  DWORD before = r.state & MF_CHECKED;
  r.state = (r.state & ~MF_CHECKED) | (check & MF_CHECKED);
  return before;
}

// Checks one item of a range with the radio mark and clears the others of the range.
BOOL WINAPI CheckMenuRadioItem(HMENU h, UINT first, UINT last, UINT check, UINT flags) {
  auto m = GetMenuObject(h);
  if (!m) return FALSE;
  bool byPos = (flags & MF_BYPOSITION) != 0;
  bool found = false;
  for (size_t i = 0; i < m->items.size(); ++i) {
    auto& r = m->items[i];
    UINT key = byPos ? static_cast<UINT>(i) : r.id;
    if (key < first || key > last || r.sub) continue;
    if (key == check) {
      r.state |= MF_CHECKED;
      r.type |= MFT_RADIOCHECK;
      found = true;
    } else {
      r.state &= ~MF_CHECKED;
    }
  }
  return found ? TRUE : FALSE;
}

BOOL WINAPI SetMenuDefaultItem(HMENU h, UINT item, UINT byPos) {
  auto m = GetMenuObject(h);
  if (!m) return FALSE;
  Found f;
  bool none = item == 0xFFFFFFFFu;
  if (!none && !Find(h, item, byPos != 0, &f)) return FALSE;
  for (auto& r : m->items) r.state &= ~MF_DEFAULT;
  if (!none) f.item()->state |= MF_DEFAULT;
  return TRUE;
}

UINT WINAPI GetMenuDefaultItem(HMENU h, UINT byPos, UINT) {
  auto m = GetMenuObject(h);
  if (!m) return 0xFFFFFFFFu;
  for (size_t i = 0; i < m->items.size(); ++i)
    if (m->items[i].state & MF_DEFAULT) return byPos ? static_cast<UINT>(i) : m->items[i].id;
  return 0xFFFFFFFFu;
}

HMENU WINAPI GetMenu(HWND h) {
  if (!IsWindow(h)) return nullptr;
  DropDeadWindows();
  for (const auto& p : WindowMenus())
    if (p.first == h) return p.second;
  return nullptr;
}

// A child window cannot have a menu; the previous menu is not destroyed. The frame is laid out
// again: the client area makes room for the bar, or takes its place.
BOOL WINAPI SetMenu(HWND h, HMENU menu) {
  auto w = GetWnd(h);
  if (!w) return FALSE;
  if (w->style & WS_CHILD) {
    SetLastError(ERROR_CHILD_WINDOW_MENU);
    return FALSE;
  }
  if (menu && !GetMenuObject(menu)) return FALSE;
  DropDeadWindows();
  auto& v = WindowMenus();
  v.erase(std::remove_if(v.begin(), v.end(), [h](const auto& p) { return p.first == h; }), v.end());
  if (menu) v.emplace_back(h, menu);
  if (w->created)
    SetWindowPos(h, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  return TRUE;
}

// Draws the bar again now (its items changed); the window must have its menu.
BOOL WINAPI DrawMenuBar(HWND h) {
  if (!IsWindow(h)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (!GetMenu(h)) return FALSE;
  if (MenuBarHeight(h) > 0 && IsReallyVisible(h)) {
    if (HDC dc = GetWindowDC(h)) {
      PaintMenuBar(h, dc);
      ReleaseDC(h, dc);
    }
  }
  return TRUE;
}

// ---------------------------------------------------------------- accelerators

namespace {
struct AcceleratorTable : winplat::HandleObject {
  std::vector<ACCEL> entries;
};

std::shared_ptr<AcceleratorTable> GetAccel(HACCEL h) {
  return HandleTable::Instance().Get<AcceleratorTable>(h, HandleKind::Other);
}

HACCEL CreateAccel(LPACCEL p, int n) {
  if (!p || n <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto t = std::make_shared<AcceleratorTable>();
  t->entries.assign(p, p + n);
  return static_cast<HACCEL>(HandleTable::Instance().Add(HandleKind::Other, t));
}

int CopyAccel(HACCEL h, LPACCEL dst, int n) {
  auto t = GetAccel(h);
  if (!t) return 0;
  if (!dst) return static_cast<int>(t->entries.size());
  int k = std::min(n, static_cast<int>(t->entries.size()));
  for (int i = 0; i < k; ++i) dst[i] = t->entries[static_cast<size_t>(i)];
  return k;
}

int TranslateAccel(HWND h, HACCEL ha, LPMSG m) {
  auto t = GetAccel(ha);
  if (!t || !m || !IsWindow(h)) return 0;
  bool key = m->message == WM_KEYDOWN || m->message == WM_SYSKEYDOWN;
  bool chr = m->message == WM_CHAR || m->message == WM_SYSCHAR;
  if (!key && !chr) return 0;
  bool shift = GetKeyState(VK_SHIFT) < 0, ctrl = GetKeyState(VK_CONTROL) < 0;
  bool alt = m->message == WM_SYSKEYDOWN || m->message == WM_SYSCHAR || GetKeyState(VK_MENU) < 0;
  for (const auto& e : t->entries) {
    bool match = false;
    if (e.fVirt & FVIRTKEY) {
      match = key && e.key == static_cast<WORD>(m->wParam) && shift == ((e.fVirt & FSHIFT) != 0) &&
              ctrl == ((e.fVirt & FCONTROL) != 0) && alt == ((e.fVirt & FALT) != 0);
    } else {
      match = chr && e.key == static_cast<WORD>(m->wParam) && alt == ((e.fVirt & FALT) != 0);
    }
    if (!match) continue;
    SendMessageW(h, WM_COMMAND, MAKEWPARAM(e.cmd, 1), 0);
    return 1;
  }
  return 0;
}
}  // namespace

HACCEL WINAPI CreateAcceleratorTableW(LPACCEL p, int n) {
  if (VSE_WIDE_CALL_REFUSED()) return nullptr;
  return CreateAccel(p, n);
}
HACCEL WINAPI CreateAcceleratorTableA(LPACCEL p, int n) { return CreateAccel(p, n); }
BOOL WINAPI DestroyAcceleratorTable(HACCEL h) {
  return GetAccel(h) && HandleTable::Instance().Remove(h, HandleKind::Other) ? TRUE : FALSE;
}
int WINAPI CopyAcceleratorTableW(HACCEL h, LPACCEL dst, int n) {
  if (VSE_WIDE_CALL_REFUSED()) return 0;
  return CopyAccel(h, dst, n);
}
int WINAPI CopyAcceleratorTableA(HACCEL h, LPACCEL dst, int n) { return CopyAccel(h, dst, n); }
int WINAPI TranslateAcceleratorW(HWND h, HACCEL t, LPMSG m) {
  if (VSE_WIDE_CALL_REFUSED()) return 0;
  return TranslateAccel(h, t, m);
}
int WINAPI TranslateAcceleratorA(HWND h, HACCEL t, LPMSG m) { return TranslateAccel(h, t, m); }

VSE_EXPORT("user32.dll", CreateMenu);
VSE_EXPORT("user32.dll", CreatePopupMenu);
VSE_EXPORT("user32.dll", DestroyMenu);
VSE_EXPORT("user32.dll", InsertMenuA);
VSE_EXPORT("user32.dll", InsertMenuW);
VSE_EXPORT("user32.dll", AppendMenuA);
VSE_EXPORT("user32.dll", AppendMenuW);
VSE_EXPORT("user32.dll", ModifyMenuA);
VSE_EXPORT("user32.dll", ModifyMenuW);
VSE_EXPORT("user32.dll", GetMenuItemInfoA);
VSE_EXPORT("user32.dll", GetMenuItemInfoW);
VSE_EXPORT("user32.dll", SetMenuItemInfoA);
VSE_EXPORT("user32.dll", SetMenuItemInfoW);
VSE_EXPORT("user32.dll", GetMenuStringA);
VSE_EXPORT("user32.dll", GetMenuStringW);
VSE_EXPORT("user32.dll", GetMenuItemCount);
VSE_EXPORT("user32.dll", GetMenuItemID);
VSE_EXPORT("user32.dll", EnableMenuItem);
VSE_EXPORT("user32.dll", CheckMenuItem);
VSE_EXPORT("user32.dll", DrawMenuBar);
VSE_EXPORT("user32.dll", TranslateAcceleratorA);
VSE_EXPORT("user32.dll", TranslateAcceleratorW);
