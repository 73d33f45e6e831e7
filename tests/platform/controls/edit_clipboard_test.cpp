// Edits and the clipboard: cut, copy and paste by message and by the keys, and what a password,
// read-only, one-line or limited edit makes of them.
#include <gtest/gtest.h>

#include <string>

#include "control_fixture.h"
#include "winbase.h"

namespace {

void SetClipboardText(const std::u16string& t) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, (t.size() + 1) * 2);
  auto* p = static_cast<char16_t*>(GlobalLock(mem));
  std::copy(t.begin(), t.end(), p);
  p[t.size()] = 0;
  GlobalUnlock(mem);
  SetClipboardData(CF_UNICODETEXT, mem);
  CloseClipboard();
}

std::u16string ClipboardText() {
  std::u16string out;
  if (!OpenClipboard(nullptr)) return u"<closed>";
  if (HANDLE mem = GetClipboardData(CF_UNICODETEXT)) {
    out = static_cast<const char16_t*>(GlobalLock(mem));
    GlobalUnlock(mem);
  }
  CloseClipboard();
  return out;
}

std::u16string TextOf(HWND h) {
  char16_t buf[256] = {};
  GetWindowTextW(h, buf, 256);
  return buf;
}

class EditClipboard : public ControlWindows {
 protected:
  void Chord(UINT modifier, UINT vk) {
    Screen().KeyDown(modifier);
    Screen().PressKey(vk);
    Screen().KeyUp(modifier);
    Pump();
  }
};

TEST_F(EditClipboard, CutCopyAndPasteByKeysAndMessages) {
  HWND e = Child(u"EDIT", u"黒板とチョーク", WS_BORDER, 10, 10, 200, 24, 700);
  SetFocus(e);
  struct Step {
    const char* what;
    int selStart, selEnd;
    UINT modifier, vk;  // vk 0: the message `msg` instead
    UINT msg;
    const char16_t* text;
    const char16_t* clipboard;
  } steps[] = {
      {"Ctrl+C", 0, 2, VK_CONTROL, 'C', 0, u"黒板とチョーク", u"黒板"},
      {"Ctrl+V", 7, 7, VK_CONTROL, 'V', 0, u"黒板とチョーク黒板", u"黒板"},
      {"Ctrl+X", 2, 3, VK_CONTROL, 'X', 0, u"黒板チョーク黒板", u"と"},
      {"Shift+Insert", 0, 0, VK_SHIFT, VK_INSERT, 0, u"と黒板チョーク黒板", u"と"},
      {"Ctrl+Insert", 3, 7, VK_CONTROL, VK_INSERT, 0, u"と黒板チョーク黒板", u"チョーク"},
      {"Shift+Delete", 7, 9, VK_SHIFT, VK_DELETE, 0, u"と黒板チョーク", u"黒板"},
      {"WM_PASTE", 0, 1, 0, 0, WM_PASTE, u"黒板黒板チョーク", u"黒板"},
      {"WM_COPY", 4, 8, 0, 0, WM_COPY, u"黒板黒板チョーク", u"チョーク"},
      {"WM_CUT", 0, 4, 0, 0, WM_CUT, u"チョーク", u"黒板黒板"},
      {"nothing selected", 1, 1, 0, 0, WM_CUT, u"チョーク", u"黒板黒板"},
  };
  for (const Step& s : steps) {
    SendMessageW(e, EM_SETSEL, static_cast<WPARAM>(s.selStart), s.selEnd);
    if (s.vk) {
      // The keys arrive as the screen sends them: key downs, translated into control characters.
      Chord(s.modifier, s.vk);
    } else {
      SendMessageW(e, s.msg, 0, 0);
    }
    EXPECT_EQ(TextOf(e), std::u16string(s.text)) << s.what;
    EXPECT_EQ(ClipboardText(), std::u16string(s.clipboard)) << s.what;
  }
  // A paste is undone like typing.
  SendMessageW(e, EM_SETSEL, 0, 0);
  SendMessageW(e, WM_PASTE, 0, 0);
  EXPECT_EQ(TextOf(e), u"黒板黒板チョーク");
  EXPECT_TRUE(SendMessageW(e, EM_UNDO, 0, 0));
  EXPECT_EQ(TextOf(e), u"チョーク");
  EXPECT_GE(CountCommands(700, EN_CHANGE), 6);
}

TEST_F(EditClipboard, KindsOfEditsKeepTheirRules) {
  struct Case {
    const char* what;
    DWORD style;
    int limit;
    const char16_t* clipboard;
    UINT msg;
    const char16_t* text;      // the edit's text afterwards (it starts as "abc", all selected)
    const char16_t* clipAfter;  // the clipboard afterwards
  } cases[] = {
      {"password copy", ES_PASSWORD, 0, u"keep", WM_COPY, u"abc", u"keep"},
      {"password cut", ES_PASSWORD, 0, u"keep", WM_CUT, u"abc", u"keep"},
      {"read-only paste", ES_READONLY, 0, u"new", WM_PASTE, u"abc", u"new"},
      {"read-only cut copies", ES_READONLY, 0, u"old", WM_CUT, u"abc", u"abc"},
      {"one line takes the first line", 0, 0, u"one\r\ntwo", WM_PASTE, u"one", u"one\r\ntwo"},
      {"several lines take all", ES_MULTILINE, 0, u"one\r\ntwo", WM_PASTE, u"one\r\ntwo", u"one\r\ntwo"},
      {"the limit cuts", 0, 4, u"\U00020B9F\U00020B9Fxy", WM_PASTE, u"\U00020B9F\U00020B9F", u"\U00020B9F\U00020B9Fxy"},
      {"empty clipboard", 0, 0, u"", WM_PASTE, u"abc", u""},
  };
  int id = 710;
  for (const Case& c : cases) {
    HWND e = Child(u"EDIT", u"abc", WS_BORDER | c.style, 10, 40, 200, 24, id);
    if (c.limit) SendMessageW(e, EM_SETLIMITTEXT, static_cast<WPARAM>(c.limit), 0);
    SetClipboardText(c.clipboard);
    SendMessageW(e, EM_SETSEL, 0, -1);
    SendMessageW(e, c.msg, 0, 0);
    EXPECT_EQ(TextOf(e), std::u16string(c.text)) << c.what;
    EXPECT_EQ(ClipboardText(), std::u16string(c.clipAfter)) << c.what;
    if (c.limit) EXPECT_EQ(CountCommands(id, EN_MAXTEXT), 1) << c.what;
    DestroyWindow(e);
    ++id;
  }
}

}  // namespace
