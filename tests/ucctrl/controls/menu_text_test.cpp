// The menu text utilities as tables: accelerator positions and marks (with the East Asian "(&X)"
// form), typed characters against captions, wide shortcut texts and moving the framework's marks
// into a wide caption.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "UcMenus.h"
#include "UcSysUtils.h"
#include "windows.h"
#include "winplat_mode.h"

namespace {

struct HotkeyCase {
  const char16_t* text;
  int pos;
  const char16_t* key;
  const char16_t* stripped;  // on an East Asian locale
};

TEST(MenuText, HotkeyPositionsMarksAndStripping) {
  const std::vector<HotkeyCase> cases = {
      {u"", 0, u"", u""},
      {u"File", 0, u"", u"File"},
      {u"&File", 2, u"F", u"File"},
      {u"Fi&le", 4, u"l", u"File"},
      {u"A&&B", 0, u"", u"AB"},          // a literal pair marks nothing
      {u"A&&&B", 5, u"B", u"AB"},
      {u"&A&B", 4, u"B", u"AB"},         // the last mark counts
      {u"End&", 0, u"", u"End"},         // a mark with nothing after it
      {u"ファイル(&F)", 7, u"F", u"ファイル"},  // the East Asian form goes whole
      {u"한국어(&K) 𠮷", 6, u"K", u"한국어 𠮷"},
      {u"(&", 0, u"", u"("},
  };
  ASSERT_TRUE(SysLocaleFarEast());
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(WideToAnsi(c.text)));
    EXPECT_EQ(HotkeyPos(c.text), c.pos);
    EXPECT_EQ(GetHotkey(c.text), WideString(c.key));
    EXPECT_EQ(StripHotkeys(c.text), WideString(c.stripped));
  }
  EXPECT_TRUE(SameCaption(u"ファイル(&F)", u"ファイル"));
  EXPECT_TRUE(SameCaption(u"&open", u"OPEN"));
  EXPECT_FALSE(SameCaption(u"Open", u"Close"));
}

TEST(MenuText, AWesternLocaleStripsOnlyTheMarks) {
  ASSERT_TRUE(winplat::SetAnsiCodePage(1252));
  EXPECT_FALSE(SysLocaleFarEast());
  EXPECT_EQ(StripHotkeys(u"Datei(&D)"), u"Datei(D)");
  EXPECT_FALSE(SameCaption(u"Datei(&D)", u"Datei"));
  winplat::SetAnsiCodePage(932);
}

TEST(MenuText, TypedCharactersAgainstCaptions) {
  struct Case {
    Word code;
    const char16_t* caption;
    bool match;
  };
  const std::vector<Case> cases = {
      {'f', u"&File", true},       {'F', u"&File", true},    {'i', u"&File", false},
      {'x', u"No mark", false},    {'b', u"A&&B", false},    {'k', u"한국어(&K)", true},
      {0x3042, u"&あいう", true},   {0xD55C, u"&한글", true}, {0, u"&\0", false},
      {0x81, u"&A", false},  // a lone lead byte: the keyboard gives 0, which matches nothing
      {0, u"File", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    EXPECT_EQ(IsWideCharAccel(c.code, c.caption), c.match);
  }
}

TEST(MenuText, ShortcutTexts) {
  struct Case {
    TShortCut shortcut;
    const char16_t* text;
  };
  const std::vector<Case> cases = {
      {scCtrl | 'N', u"Ctrl+N"},
      {scShift | scCtrl | 'S', u"Shift+Ctrl+S"},
      {scAlt | '1', u"Alt+1"},
      {scCtrl | VK_NUMPAD5, u"Ctrl+5"},
      {VK_F5, u"F5"},
      {scShift | (VK_F1 + 23), u"Shift+F24"},
      {scCtrl | VK_DELETE, u"Ctrl+Del"},
      {VK_RETURN, u"Enter"},
      {scAlt | VK_BACK, u"Alt+BkSp"},
      {scCtrl | VK_OEM_PLUS, u"Ctrl+="},
      {0, u""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.shortcut);
    EXPECT_EQ(WideShortCutToText(c.shortcut), WideString(c.text));
    EXPECT_EQ(WideToAnsi(WideShortCutToText(c.shortcut)), ShortCutToText(c.shortcut));
  }
}

TEST(MenuText, TheFrameworksMarksMoveIntoTheWideCaption) {
  struct Case {
    const char16_t* framework;  // the framework's caption, widened
    const char16_t* wide;
    const char16_t* result;
  };
  const std::vector<Case> cases = {
      // Hangul has no best-fit form in the code page: each character narrows to "?".
      {u"&?? x", u"한글 x", u"&한글 x"},
      {u"?&?", u"한글", u"한&글"},
      {u"??(&E)", u"한글", u"한글(&E)"},
      {u"??", u"한글", u"한글"},       // the same ANSI form: nothing to move
      {u"&Other", u"한글", u"한글"},   // not the same text: left alone
      {u"次 ? ??(&1)", u"次 한 𠮷", u"次 한 𠮷(&1)"},  // a surrogate pair narrows to two "?"
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(WideToAnsi(c.framework)));
    WideString dest = c.wide;
    SyncHotKeyPosition(c.framework, dest);
    EXPECT_EQ(dest, WideString(c.result));
  }
}

}  // namespace
