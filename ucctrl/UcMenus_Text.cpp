// The menu text utilities of the wide menus.
#include "SysUtils.h"
#include "UcMenus.h"
#include "UcSysUtils.h"
#include "UcSystem.h"
#include "windows.h"

bool SysLocaleFarEast() { return GetSystemMetrics(SM_DBCSENABLED) != 0; }

int HotkeyPos(const WideString& Text) {
  int pos = 0;
  size_t i = 0;
  while (i + 1 < Text.size()) {
    if (Text[i] != u'&') {
      ++i;
      continue;
    }
    if (Text[i + 1] != u'&') pos = static_cast<int>(i) + 2;  // the character after the mark
    i += 2;
  }
  return pos;
}

WideString GetHotkey(const WideString& Text) {
  const int pos = HotkeyPos(Text);
  return pos ? Text.substr(static_cast<size_t>(pos) - 1, 1) : WideString();
}

namespace {
// An East Asian accelerator group "(&X)" starting at I.
bool IsAccelGroupAt(const WideString& Text, size_t I) {
  return I + 3 < Text.size() && Text[I] == u'(' && Text[I + 1] == u'&' && Text[I + 3] == u')';
}
}  // namespace

WideString StripHotkeys(const WideString& Text) {
  const bool far_east = SysLocaleFarEast();
  WideString r;
  r.reserve(Text.size());
  for (size_t i = 0; i < Text.size(); ++i) {
    if (far_east && IsAccelGroupAt(Text, i)) {
      i += 3;
      continue;
    }
    if (Text[i] != u'&') r.push_back(Text[i]);
  }
  return r;
}

bool SameCaption(const WideString& A, const WideString& B) { return WideSameText(StripHotkeys(A), StripHotkeys(B)); }

bool IsWideCharAccel(Word CharCode, const WideString& Caption) {
  const WideChar c = KeyCharToWide(CharCode);
  if (c == 0) return false;
  const WideString key = GetHotkey(Caption);
  return !key.empty() && WideSameText(WideString(1, c), key);
}

WideString WideGetKeyNameText(UINT VirtualKey) {
  Assert(PlatformIsUnicode, "Assertion failure");
  const UINT scan = MapVirtualKeyW(VirtualKey, 0);
  char16_t name[256] = {};
  const int n = GetKeyNameTextW(static_cast<LONG>(scan << 16), name, 256);
  return n > 0 ? WideString(name, static_cast<size_t>(n)) : WideString();
}

WideChar WideVirtualKeyChar(UINT VirtualKey) {
  Assert(PlatformIsUnicode, "Assertion failure");
  return static_cast<WideChar>(MapVirtualKeyW(VirtualKey, 2) & 0xFFFF);
}

WideString WideShortCutToText(TShortCut ShortCut) {
  const UINT key = ShortCut & 0xFF;
  const bool framework_names = key == VK_BACK || key == VK_TAB || key == VK_RETURN || key == VK_ESCAPE ||
                               (key >= VK_SPACE && key <= VK_DOWN) || key == VK_INSERT || key == VK_DELETE ||
                               (key >= VK_F1 && key <= VK_F1 + 23);
  if (!PlatformIsUnicode || framework_names) return AnsiToWide(ShortCutToText(ShortCut));
  WideString name;
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z') || (key >= VK_NUMPAD0 && key <= VK_NUMPAD9)) {
    const WideChar c = WideVirtualKeyChar(key);
    if (c) name.assign(1, c);
  } else {
    name = WideGetKeyNameText(key);
  }
  if (name.empty()) return WideString();
  WideString r;
  if (ShortCut & scShift) r += AnsiToWide(SmkcShift);
  if (ShortCut & scCtrl) r += AnsiToWide(SmkcCtrl);
  if (ShortCut & scAlt) r += AnsiToWide(SmkcAlt);
  return r + name;
}

void SyncHotKeyPosition(const WideString& Source, WideString& Dest) {
  if (WideToAnsi(Source) == WideToAnsi(Dest)) return;
  if (WideToAnsi(StripHotkeys(Source)) != WideToAnsi(StripHotkeys(Dest))) return;
  const bool far_east = SysLocaleFarEast();
  const WideString plain = StripHotkeys(Dest);
  WideString r;
  size_t j = 0;
  for (size_t i = 0; i < Source.size(); ++i) {
    if (far_east && IsAccelGroupAt(Source, i)) {
      r.append(Source, i, 4);
      i += 3;
    } else if (Source[i] == u'&') {
      r.push_back(u'&');
    } else if (j < plain.size()) {
      // One character of the framework's caption stands for one unit of the wide caption: a
      // surrogate pair narrows to two "?", one per unit.
      r.push_back(plain[j++]);
    } else {
      r.push_back(Source[i]);
    }
  }
  if (j < plain.size()) r.append(plain, j, WideString::npos);
  if (WideToAnsi(r) != WideToAnsi(Source))
    throw EUcInternalError(Format("Internal Error: SyncHotKeyPosition Failed (\"%s\" <> \"%s\")",
                                  {WideToAnsi(Source), WideToAnsi(r)}));
  Dest = r;
}
