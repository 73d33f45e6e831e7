// Conversions that follow the platform's published behaviour: best fit, whole characters on
// overflow, lengths, malformed input, UTF-7 forms and composition.
#include <gtest/gtest.h>
#include <cstring>
#include <fstream>
#include <sstream>
#include "support.h"

namespace {

struct BestFitEntry {
  char16_t wide;
  std::string bytes;
};

std::vector<BestFitEntry> ReadBestFit(const char* name) {
  std::ifstream in(std::string(TEST_DATA_DIR) + "/codepages/" + name);
  std::vector<BestFitEntry> out;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string cp, byte;
    fields >> cp;
    BestFitEntry e{static_cast<char16_t>(std::stoul(cp.substr(2), nullptr, 16)), {}};
    while (fields >> byte) e.bytes += static_cast<char>(std::stoul(byte, nullptr, 16));
    out.push_back(e);
  }
  return out;
}

std::string Narrow(UINT cp, DWORD flags, const std::u16string& w, BOOL* used = nullptr) {
  const int n = WideCharToMultiByte(cp, flags, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, used);
  std::string s(static_cast<size_t>(n), '\0');
  if (n) WideCharToMultiByte(cp, flags, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, used);
  return s;
}

}  // namespace

TEST(BestFit, TablesOf932And1252) {
  struct Table {
    UINT cp;
    const char* file;
    size_t count;
  } tables[] = {{932, "bestfit-932.tsv", 84}, {1252, "bestfit-1252.tsv", 442}};
  for (const Table& t : tables) {
    const std::vector<BestFitEntry> entries = ReadBestFit(t.file);
    ASSERT_EQ(entries.size(), t.count) << t.file;
    for (const BestFitEntry& e : entries) {
      SCOPED_TRACE(testing::Message() << t.cp << " U+" << std::hex << static_cast<unsigned>(e.wide));
      const std::u16string w(1, e.wide);
      BOOL used = TRUE;
      EXPECT_EQ(Narrow(t.cp, 0, w, &used), e.bytes);
      EXPECT_FALSE(used);
      used = FALSE;
      EXPECT_EQ(Narrow(t.cp, WC_NO_BEST_FIT_CHARS, w, &used), "?");
      EXPECT_TRUE(used);
    }
  }
  // The examples everyone meets: the yen sign, accented Latin and guillemets in 932.
  EXPECT_EQ(Narrow(932, 0, u"\u00A5\u00E9\u00AB"), "\x5C" "e" "\x81\xE1");
  // Characters of the code page itself are unchanged by the flag.
  EXPECT_EQ(Narrow(932, WC_NO_BEST_FIT_CHARS, u"表"), "\x95\x5C");
  EXPECT_EQ(Narrow(1252, WC_NO_BEST_FIT_CHARS, u"\u00E9\u20AC"), "\xE9\x80");
}

TEST(Overflow, NoHalfCharacterIsStored) {
  struct Case {
    UINT cp;
    std::u16string text;
    int size;
    std::string stored;  // what the buffer holds afterwards (rest untouched, 'X')
  } cases[] = {
      {932, u"あい", 1, "X"},
      {932, u"あい", 2, "\x82\xA0"},
      {932, u"あい", 3, "\x82\xA0X"},
      {932, u"aあ", 2, "aX"},
      {CP_UTF8, u"aあ", 3, "aXX"},
      {CP_UTF8, u"\U0001F600", 3, "XXX"},
      {CP_UTF7, u"aあ", 3, "aXX"},  // "+MEI-" is one character's bytes
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.cp << " size " << c.size);
    std::string buf(static_cast<size_t>(c.size), 'X');
    SetLastError(0);
    EXPECT_EQ(WideCharToMultiByte(c.cp, 0, c.text.c_str(), -1, buf.data(), c.size, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(buf, c.stored);
  }
  // Widening never splits a surrogate pair.
  char16_t w[2] = {u'X', u'X'};
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "a\xF0\x9F\x98\x80", 5, w, 2), 0);
  EXPECT_EQ(w[0], u'a');
  EXPECT_EQ(w[1], u'X');
}

TEST(Lengths, AnyNegativeLengthMeansNulTerminated) {
  for (int len : {-1, -2, -100, INT32_MIN}) {
    SCOPED_TRACE(len);
    char16_t w[8];
    EXPECT_EQ(MultiByteToWideChar(932, 0, "a\x95\x5C", len, w, 8), 3);
    EXPECT_EQ(std::u16string(w), u"a表");
    char s[8];
    EXPECT_EQ(WideCharToMultiByte(932, 0, u"a表", len, s, 8, nullptr, nullptr), 4);
    EXPECT_STREQ(s, "a\x95\x5C");
  }
}

TEST(Cp932Invalid, DefaultCharacterAndErrorFlag) {
  struct Case {
    std::string bytes;
    std::u16string wide;  // without flags
    bool fails;           // with MB_ERR_INVALID_CHARS
  } cases[] = {
      {"A\x81", u"A\u30FB", true},                       // lone lead byte at the end
      {std::string("\x81\n", 2), u"\u30FB\n", true},     // lead before a byte that cannot trail
      {"\x85\x40" "A", u"\u30FB" "A", true},             // an unassigned pair is one character
      {"\xA0", u"\uF8F0", true},                         // single bytes outside Shift-JIS
      {"\xFD", u"\uF8F1", true},
      {"\xFE", u"\uF8F2", true},
      {"\xFF", u"\uF8F3", true},
      {"\x80", u"\u0080", false},
      {"\xF0\x40", u"\uE000", false},                    // user-defined characters are valid
      {"\x82\xA0", u"あ", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.bytes));
    EXPECT_EQ(Widen(932, c.bytes), c.wide);
    SetLastError(0);
    const int n = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, c.bytes.data(), static_cast<int>(c.bytes.size()),
                                      nullptr, 0);
    if (c.fails) {
      EXPECT_EQ(n, 0);
      EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
    } else {
      EXPECT_EQ(n, static_cast<int>(c.wide.size()));
    }
  }
}

TEST(Surrogates, APairNarrowsToTwoDefaultCharacters) {
  for (UINT cp : {932u, 1252u}) {
    BOOL used = FALSE;
    EXPECT_EQ(Narrow(cp, 0, u"x\U0001F600y", &used), "x??y") << cp;
    EXPECT_TRUE(used);
    EXPECT_EQ(Narrow(cp, 0, std::u16string(1, char16_t(0xD800))), "?") << cp;
  }
}

TEST(Utf8, MaximalInvalidSubsequences) {
  struct Case {
    std::string bytes;
    std::u16string wide;
  } cases[] = {
      {"\x2D\xED\xA0\x80\x2D", u"-\uFFFD\uFFFD-"},               // encoded surrogate
      {"\x2D\xF4\x90\x80\x80\x2D", u"-\uFFFD\uFFFD\uFFFD-"},     // above U+10FFFF
      {"\x2D\xE0\x80\x80\x2D", u"-\uFFFD\uFFFD-"},               // overlong three-byte form
      {"\x2D\xF0\x80\x80\x80\x2D", u"-\uFFFD\uFFFD\uFFFD-"},     // overlong four-byte form
      {"\x2D\xE3\x81\x2D", u"-\uFFFD-"},                         // truncated
      {"\x2D\xED\x2D", u"-\uFFFD-"},
      {"\x2D\xC0\x80\x2D", u"-\uFFFD\uFFFD-"},                   // C0 and C1 never start a form
      {"\x2D\x80\xBF\x2D", u"-\uFFFD\uFFFD-"},
      {"\x2D\xF8\x88\x80\x80\x80\x2D", u"-\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD-"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.bytes));
    EXPECT_EQ(Widen(CP_UTF8, c.bytes), c.wide);
  }
}

TEST(Utf7, EncodingAndDecodingForms) {
  struct Encode {
    std::u16string wide;
    std::string bytes;
  } encodes[] = {
      {u" \u0001 ", " +AAE- "},
      {u"A\u2262\u0391.", "A+ImIDkQ-."},
      {u"日本語", "+ZeVnLIqe-"},
      {u"a+b", "a+-b"},
      {std::u16string(u"a\0b", 3), std::string("a\0b", 3)},  // NUL is written directly
      {u"黒-", "+ntI--"},
  };
  for (const Encode& e : encodes) {
    SCOPED_TRACE(e.bytes);
    EXPECT_EQ(Narrow(CP_UTF7, 0, e.wide), e.bytes);
    EXPECT_EQ(Widen(CP_UTF7, e.bytes), e.wide);
  }
  char s[8];
  EXPECT_EQ(WideCharToMultiByte(CP_UTF7, 0, u"ab", -1, s, 8, nullptr, nullptr), 3);  // terminator as a NUL
  EXPECT_STREQ(s, "ab");
  struct Decode {
    std::string bytes;
    std::u16string wide;
  } decodes[] = {
      {"\x80\xFF", u"\u0080\u00FF"},
      {"a\xE9", u"a\u00E9"},
      {"+AGE\xE9", u"a\u00E9"},  // a high byte ends a base64 run and reads as itself
  };
  for (const Decode& d : decodes) {
    SCOPED_TRACE(testing::PrintToString(d.bytes));
    EXPECT_EQ(Widen(CP_UTF7, d.bytes), d.wide);
  }
}

TEST(Composition, CompositeCheckAndCompositeFlags) {
  struct Compose {
    UINT cp;
    DWORD flags;
    std::u16string wide;
    std::string bytes;
    bool used;
  } composes[] = {
      {1252, WC_COMPOSITECHECK, u"e\u0301", "\xE9", false},
      {1252, WC_COMPOSITECHECK, u"A\u030Ax", "\xC5x", false},
      {932, WC_COMPOSITECHECK, u"か\u3099", "\x82\xAA", false},
      {932, WC_COMPOSITECHECK, u"ヒ\u309A", "\x83\x73", false},
      {932, WC_COMPOSITECHECK, u"е\u0308", "\x84\x76", false},  // Cyrillic io
      {1252, 0, u"e\u0301", "e\xB4", false},                // without the flag: separate, the mark best-fits
      // No precomposed form: separate characters, the mark dropped, or one default character.
      {1252, WC_COMPOSITECHECK, u"q\u0323", "q?", true},
      {1252, WC_COMPOSITECHECK | WC_SEPCHARS, u"q\u0323", "q?", true},
      {1252, WC_COMPOSITECHECK | WC_DISCARDNS, u"q\u0323", "q", false},
      {1252, WC_COMPOSITECHECK | WC_DEFAULTCHAR, u"q\u0323", "?", true},
      // A composed character that only best-fits is still used; without best fit it is not.
      {932, WC_COMPOSITECHECK | WC_DEFAULTCHAR, u"e\u0301", "e", false},
      {932, WC_COMPOSITECHECK | WC_DEFAULTCHAR | WC_NO_BEST_FIT_CHARS, u"e\u0301", "?", true},
      {932, WC_COMPOSITECHECK | WC_DISCARDNS | WC_NO_BEST_FIT_CHARS, u"e\u0301", "e", false},
  };
  for (const Compose& c : composes) {
    SCOPED_TRACE(testing::Message() << c.cp << " flags " << std::hex << c.flags << " " << testing::PrintToString(c.bytes));
    BOOL used = !c.used;
    EXPECT_EQ(Narrow(c.cp, c.flags, c.wide, &used), c.bytes);
    EXPECT_EQ(used != FALSE, c.used);
  }
  struct Decompose {
    UINT cp;
    std::string bytes;
    std::u16string wide;
  } decomposes[] = {
      {1252, "caf\xE9", u"cafe\u0301"},
      {1252, "\xC5\xFF", u"A\u030Ay\u0308"},
      {932, "\x82\xAA\x83\x73", u"か\u3099ヒ\u309A"},
      {932, "\x82\xA0" "a", u"あa"},
  };
  for (const Decompose& d : decomposes) {
    SCOPED_TRACE(testing::PrintToString(d.bytes));
    EXPECT_EQ(Widen(d.cp, d.bytes, MB_COMPOSITE), d.wide);
    EXPECT_EQ(Widen(d.cp, d.bytes, MB_PRECOMPOSED), Widen(d.cp, d.bytes));
  }
  char16_t w[8];
  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(1252, MB_PRECOMPOSED | MB_COMPOSITE, "a", 1, w, 8), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));
  // A short buffer takes whole decomposed characters only.
  w[0] = w[1] = u'X';
  EXPECT_EQ(MultiByteToWideChar(1252, MB_COMPOSITE, "\xE9", 1, w, 1), 0);
  EXPECT_EQ(w[0], u'X');
}
