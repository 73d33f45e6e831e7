// The keyboard layout: virtual keys, scan codes (set 1 of the PC/AT keyboard), the characters
// of the keys and their names, as a US English layout gives them.
#include <algorithm>
#include <string>

#include "internal/text.h"
#include "internal/wide_calls.h"
#include "user_internal.h"
#include "winbase.h"

namespace {

// A key that writes a character: its scan code, its virtual key and the characters without
// and with Shift. Its name is the character without Shift (a letter's capital).
struct CharKey {
  UINT scan;
  UINT vk;
  char16_t plain;
  char16_t shifted;
};
const CharKey kCharKeys[] = {
    {0x02, '1', u'1', u'!'}, {0x03, '2', u'2', u'@'}, {0x04, '3', u'3', u'#'}, {0x05, '4', u'4', u'$'},
    {0x06, '5', u'5', u'%'}, {0x07, '6', u'6', u'^'}, {0x08, '7', u'7', u'&'}, {0x09, '8', u'8', u'*'},
    {0x0A, '9', u'9', u'('}, {0x0B, '0', u'0', u')'}, {0x0C, VK_OEM_MINUS, u'-', u'_'},
    {0x0D, VK_OEM_PLUS, u'=', u'+'},
    {0x10, 'Q', u'q', u'Q'}, {0x11, 'W', u'w', u'W'}, {0x12, 'E', u'e', u'E'}, {0x13, 'R', u'r', u'R'},
    {0x14, 'T', u't', u'T'}, {0x15, 'Y', u'y', u'Y'}, {0x16, 'U', u'u', u'U'}, {0x17, 'I', u'i', u'I'},
    {0x18, 'O', u'o', u'O'}, {0x19, 'P', u'p', u'P'}, {0x1A, VK_OEM_4, u'[', u'{'}, {0x1B, VK_OEM_6, u']', u'}'},
    {0x1E, 'A', u'a', u'A'}, {0x1F, 'S', u's', u'S'}, {0x20, 'D', u'd', u'D'}, {0x21, 'F', u'f', u'F'},
    {0x22, 'G', u'g', u'G'}, {0x23, 'H', u'h', u'H'}, {0x24, 'J', u'j', u'J'}, {0x25, 'K', u'k', u'K'},
    {0x26, 'L', u'l', u'L'}, {0x27, VK_OEM_1, u';', u':'}, {0x28, VK_OEM_7, u'\'', u'"'},
    {0x29, VK_OEM_3, u'`', u'~'}, {0x2B, VK_OEM_5, u'\\', u'|'},
    {0x2C, 'Z', u'z', u'Z'}, {0x2D, 'X', u'x', u'X'}, {0x2E, 'C', u'c', u'C'}, {0x2F, 'V', u'v', u'V'},
    {0x30, 'B', u'b', u'B'}, {0x31, 'N', u'n', u'N'}, {0x32, 'M', u'm', u'M'},
    {0x33, VK_OEM_COMMA, u',', u'<'}, {0x34, VK_OEM_PERIOD, u'.', u'>'}, {0x35, VK_OEM_2, u'/', u'?'},
    {0x56, VK_OEM_102, u'\\', u'|'},
};

// Keys of their own names. A scan code names another key with the extended flag (E0): the
// numeric pad's keys are the cursor keys then. `vk` is what the scan code gives alone.
struct NamedKey {
  UINT scan;
  UINT vk;
  const char16_t* name;
  const char16_t* extName;  // nullptr: the same key, the same name
  UINT extVk;               // 0: the same key
};
const NamedKey kNamedKeys[] = {
    {0x01, VK_ESCAPE, u"Esc", nullptr, 0},
    {0x0E, VK_BACK, u"Backspace", nullptr, 0},
    {0x0F, VK_TAB, u"Tab", nullptr, 0},
    {0x1C, VK_RETURN, u"Enter", u"Num Enter", 0},
    {0x1D, VK_CONTROL, u"Ctrl", u"Right Ctrl", 0},
    {0x2A, VK_SHIFT, u"Shift", nullptr, 0},
    {0x35, 0, nullptr, u"Num /", VK_DIVIDE},  // alone it is the "/" key, a key with a character
    {0x36, VK_SHIFT, u"Right Shift", nullptr, 0},
    {0x37, VK_MULTIPLY, u"Num *", u"Prnt Scrn", VK_SNAPSHOT},
    {0x38, VK_MENU, u"Alt", u"Right Alt", 0},
    {0x39, VK_SPACE, u"Space", nullptr, 0},
    {0x3A, VK_CAPITAL, u"Caps Lock", nullptr, 0},
    {0x3B, VK_F1, u"F1", nullptr, 0}, {0x3C, VK_F1 + 1, u"F2", nullptr, 0}, {0x3D, VK_F1 + 2, u"F3", nullptr, 0},
    {0x3E, VK_F1 + 3, u"F4", nullptr, 0}, {0x3F, VK_F1 + 4, u"F5", nullptr, 0}, {0x40, VK_F1 + 5, u"F6", nullptr, 0},
    {0x41, VK_F1 + 6, u"F7", nullptr, 0}, {0x42, VK_F1 + 7, u"F8", nullptr, 0}, {0x43, VK_F1 + 8, u"F9", nullptr, 0},
    {0x44, VK_F1 + 9, u"F10", nullptr, 0},
    // The Pause key sends this scan code after E1 1D; Num Lock sends it extended.
    {0x45, VK_NUMLOCK, u"Pause", u"Num Lock", 0},
    {0x46, VK_SCROLL, u"Scroll Lock", u"Break", VK_CANCEL},
    {0x47, VK_HOME, u"Num 7", u"Home", 0},
    {0x48, VK_UP, u"Num 8", u"Up", 0},
    {0x49, VK_PRIOR, u"Num 9", u"Page Up", 0},
    {0x4A, VK_SUBTRACT, u"Num -", nullptr, 0},
    {0x4B, VK_LEFT, u"Num 4", u"Left", 0},
    {0x4C, VK_CLEAR, u"Num 5", nullptr, 0},
    {0x4D, VK_RIGHT, u"Num 6", u"Right", 0},
    {0x4E, VK_ADD, u"Num +", nullptr, 0},
    {0x4F, VK_END, u"Num 1", u"End", 0},
    {0x50, VK_DOWN, u"Num 2", u"Down", 0},
    {0x51, VK_NEXT, u"Num 3", u"Page Down", 0},
    {0x52, VK_INSERT, u"Num 0", u"Insert", 0},
    {0x53, VK_DELETE, u"Num Del", u"Delete", 0},
    {0x54, VK_SNAPSHOT, u"Sys Req", nullptr, 0},
    {0x57, VK_F1 + 10, u"F11", nullptr, 0}, {0x58, VK_F1 + 11, u"F12", nullptr, 0},
    {0x5B, 0, nullptr, u"Left Windows", VK_LWIN},
    {0x5C, 0, nullptr, u"Right Windows", VK_RWIN},
    {0x5D, 0, nullptr, u"Application", VK_APPS},
    {0x64, VK_F1 + 12, u"F13", nullptr, 0}, {0x65, VK_F1 + 13, u"F14", nullptr, 0},
    {0x66, VK_F1 + 14, u"F15", nullptr, 0}, {0x67, VK_F1 + 15, u"F16", nullptr, 0},
    {0x68, VK_F1 + 16, u"F17", nullptr, 0}, {0x69, VK_F1 + 17, u"F18", nullptr, 0},
    {0x6A, VK_F1 + 18, u"F19", nullptr, 0}, {0x6B, VK_F1 + 19, u"F20", nullptr, 0},
    {0x6C, VK_F1 + 20, u"F21", nullptr, 0}, {0x6D, VK_F1 + 21, u"F22", nullptr, 0},
    {0x6E, VK_F1 + 22, u"F23", nullptr, 0}, {0x76, VK_F1 + 23, u"F24", nullptr, 0},
};

// Keys with no scan code of their own: the numeric pad's digits and point (Num Lock on), the
// side-specific modifiers and Pause.
struct AliasKey {
  UINT vk;
  UINT scan;
  bool extended;
};
const AliasKey kAliases[] = {
    {VK_NUMPAD7, 0x47, false}, {VK_NUMPAD8, 0x48, false}, {VK_NUMPAD9, 0x49, false},
    {VK_NUMPAD4, 0x4B, false}, {VK_NUMPAD5, 0x4C, false}, {VK_NUMPAD6, 0x4D, false},
    {VK_NUMPAD1, 0x4F, false}, {VK_NUMPAD2, 0x50, false}, {VK_NUMPAD3, 0x51, false},
    {VK_NUMPAD0, 0x52, false}, {VK_DECIMAL, 0x53, false}, {VK_PAUSE, 0x45, false},
    {VK_LSHIFT, 0x2A, false}, {VK_RSHIFT, 0x36, false},
    {VK_LCONTROL, 0x1D, false}, {VK_RCONTROL, 0x1D, true},
    {VK_LMENU, 0x38, false}, {VK_RMENU, 0x38, true},
};

const CharKey* CharKeyOfVk(UINT vk) {
  for (const auto& k : kCharKeys)
    if (k.vk == vk) return &k;
  return nullptr;
}
const CharKey* CharKeyOfScan(UINT scan) {
  for (const auto& k : kCharKeys)
    if (k.scan == scan) return &k;
  return nullptr;
}
const NamedKey* NamedKeyOfScan(UINT scan) {
  for (const auto& k : kNamedKeys)
    if (k.scan == scan) return &k;
  return nullptr;
}

// The scan code of a virtual key, with 0xE0 in the high byte for an extended key.
UINT ScanOf(UINT vk) {
  if (vk == 0) return 0;
  if (const CharKey* c = CharKeyOfVk(vk)) return c->scan;
  for (const auto& a : kAliases)
    if (a.vk == vk) return a.scan | (a.extended ? 0xE000u : 0u);
  for (const auto& k : kNamedKeys)
    if (k.vk == vk && k.name) return k.scan;
  for (const auto& k : kNamedKeys)
    if (k.extVk == vk) return k.scan | 0xE000u;
  return 0;
}

// The virtual key of a scan code (0xE0 in the high byte: extended); sides tells left from right
// for Shift, Ctrl and Alt.
UINT VkOf(UINT scan, bool sides) {
  const bool ext = (scan & 0xFF00u) == 0xE000u;
  scan &= 0xFF;
  if (sides) {
    if (scan == 0x2A) return VK_LSHIFT;
    if (scan == 0x36) return VK_RSHIFT;
    if (scan == 0x1D) return ext ? VK_RCONTROL : VK_LCONTROL;
    if (scan == 0x38) return ext ? VK_RMENU : VK_LMENU;
  }
  if (const NamedKey* k = NamedKeyOfScan(scan)) {
    if (ext && k->extVk) return k->extVk;
    if (k->vk) return k->vk;
    if (k->extVk && !CharKeyOfScan(scan)) return k->extVk;
  }
  if (const CharKey* c = CharKeyOfScan(scan)) return c->vk;
  return 0;
}

// The character a key writes without Shift: a letter's capital, the numeric pad's digits and
// signs, and the control characters of Backspace, Tab, Enter and Escape.
UINT CharOf(UINT vk) {
  if (vk >= 'A' && vk <= 'Z') return vk;
  if (const CharKey* c = CharKeyOfVk(vk)) return c->plain;
  if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) return '0' + (vk - VK_NUMPAD0);
  switch (vk) {
    case VK_SPACE: return ' ';
    case VK_BACK: return 8;
    case VK_TAB: return 9;
    case VK_RETURN: return 13;
    case VK_ESCAPE: return 0x1B;
    case VK_MULTIPLY: return '*';
    case VK_ADD: return '+';
    case VK_SUBTRACT: return '-';
    case VK_DECIMAL: return '.';
    case VK_DIVIDE: return '/';
    default: return 0;
  }
}

UINT MapKey(UINT code, UINT type) {
  switch (type) {
    case MAPVK_VK_TO_VSC: return ScanOf(code) & 0xFF;
    case MAPVK_VSC_TO_VK: return VkOf(code & 0xFF, false);
    case MAPVK_VK_TO_CHAR: return CharOf(code);
    case MAPVK_VSC_TO_VK_EX: return VkOf(code, true);
    case 4: return ScanOf(code);  // MAPVK_VK_TO_VSC_EX
    default: return 0;
  }
}

// The name of the key of lParam's scan code (bits 16-23) and extended flag (bit 24); bit 25
// ("do not care") leaves out which side Shift, Ctrl and Alt are on.
std::u16string KeyName(LONG lp) {
  UINT scan = (static_cast<UINT>(lp) >> 16) & 0xFF;
  bool ext = (static_cast<UINT>(lp) >> 24) & 1;
  if ((static_cast<UINT>(lp) >> 25) & 1) {
    if (scan == 0x36) scan = 0x2A;
    if (scan == 0x1D || scan == 0x38) ext = false;
  }
  const NamedKey* k = NamedKeyOfScan(scan);
  if (k && ext && k->extName) return k->extName;
  if (k && k->name) return k->name;
  if (const CharKey* c = CharKeyOfScan(scan)) {
    char16_t ch = c->plain;
    if (ch >= u'a' && ch <= u'z') ch = static_cast<char16_t>(ch - u'a' + u'A');
    return std::u16string(1, ch);
  }
  if (k && k->extName) return k->extName;
  return {};
}

}  // namespace

UINT WINAPI MapVirtualKeyW(UINT code, UINT type) {
  if (VSE_WIDE_CALL_REFUSED()) return 0;
  return MapKey(code, type);
}
UINT WINAPI MapVirtualKeyA(UINT code, UINT type) { return MapKey(code, type); }

int WINAPI GetKeyNameTextW(LONG lp, LPWSTR out, int size) {
  if (VSE_WIDE_CALL_REFUSED()) return 0;
  if (!out || size <= 0) return 0;
  const std::u16string s = KeyName(lp);
  const size_t n = std::min(s.size(), static_cast<size_t>(size - 1));
  s.copy(reinterpret_cast<char16_t*>(out), n);
  out[n] = 0;
  return static_cast<int>(n);
}

int WINAPI GetKeyNameTextA(LONG lp, LPSTR out, int size) {
  if (!out || size <= 0) return 0;
  const std::string a = winplat::WideToAnsi(KeyName(lp));
  const size_t n = std::min(a.size(), static_cast<size_t>(size - 1));
  a.copy(out, n);
  out[n] = 0;
  return static_cast<int>(n);
}

namespace {
// The key and shift state (high byte: 1 Shift) that write a character; -1 when none does.
SHORT ScanChar(char16_t ch) {
  if (ch == u' ') return VK_SPACE;
  if (ch == u'\r') return VK_RETURN;
  if (ch == u'\t') return VK_TAB;
  if (ch == 8) return VK_BACK;
  if (ch == 0x1B) return VK_ESCAPE;
  for (const auto& k : kCharKeys) {
    if (k.plain == ch) return static_cast<SHORT>(k.vk);
    if (k.shifted == ch) return static_cast<SHORT>(0x100 | k.vk);
  }
  return -1;
}
}  // namespace

SHORT WINAPI VkKeyScanW(WCHAR ch) {
  if (VSE_WIDE_CALL_REFUSED()) return -1;
  return ScanChar(static_cast<char16_t>(ch));
}
// No key of this layout writes a byte above ASCII.
SHORT WINAPI VkKeyScanA(CHAR ch) {
  const auto b = static_cast<unsigned char>(ch);
  return b < 0x80 ? ScanChar(static_cast<char16_t>(b)) : static_cast<SHORT>(-1);
}

VSE_EXPORT("user32.dll", MapVirtualKeyA);
VSE_EXPORT("user32.dll", MapVirtualKeyW);
VSE_EXPORT("user32.dll", GetKeyNameTextA);
VSE_EXPORT("user32.dll", GetKeyNameTextW);
VSE_EXPORT("user32.dll", VkKeyScanA);
VSE_EXPORT("user32.dll", VkKeyScanW);
