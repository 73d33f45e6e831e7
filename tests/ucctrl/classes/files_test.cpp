// Loading with character-set detection, saving as UTF-16LE with a mark, the file stream.
#include <gtest/gtest.h>

#include "support.h"
#include "UcSystem.h"

namespace {

using Strings = std::vector<std::u16string>;

TEST(UcStringsFiles, DetectsTheCharacterSetByMark) {
  const std::u16string text = u"日本\r\nabc\r\n";
  struct Case { std::string name, bytes; TextFileCharSet set; Strings lines; };
  const Case cases[] = {
      {"le.txt", "\xFF\xFE" + Utf16le(text), tcUtf16, {u"日本", u"abc"}},
      {"be.txt", "\xFE\xFF" + Utf16be(text), tcUtf16Swapped, {u"日本", u"abc"}},
      {"u8.txt", "\xEF\xBB\xBF" + UTF8Encode(text), tcUtf8, {u"日本", u"abc"}},
      {"ansi.txt", "日本\r\nabc\r\n", tcAnsi, {u"日本", u"abc"}},  // CP932 bytes
      {"one.txt", "x", tcAnsi, {u"x"}},
      {"two.txt", "ab", tcAnsi, {u"ab"}},
      {"half8.txt", "\xEF\xBB", tcAnsi, {u"\u30FB"}},
      {"odd.txt", std::string("\xFF\xFE" "a\0b", 5), tcUtf16, {u"a"}},  // the odd last byte is dropped
      {"empty.txt", "", tcAnsi, {}},
      {"mark.txt", "\xFF\xFE", tcUtf16, {}},
  };
  for (const auto& c : cases) {
    WriteBytes(c.name, c.bytes);
    TUcStringList list;
    list.LoadFromFile(AnsiToWide(c.name));
    EXPECT_EQ(list.DetectedFileCharSet(), c.set) << c.name;
    if (c.name != "half8.txt") EXPECT_EQ(Lines(list), c.lines) << c.name;
    else EXPECT_EQ(list.Count(), 1);  // EF BB is one (unmapped) double-byte character
  }
  EXPECT_EQ(TUcStringList().DetectedFileCharSet(), tcUtf16);
}

TEST(UcStringsFiles, MalformedUtf8LoadsWithReplacements) {
  WriteBytes("bad8.txt", "\xEF\xBB\xBF" "ok\r\n\xC3(\r\n\xF0\x9F\x98\x80\r\n");
  TUcStringList list;
  list.LoadFromFile(u"bad8.txt");
  EXPECT_EQ(Lines(list), (Strings{u"ok", u"\uFFFD(", u"\U0001F600"}));
}

TEST(UcStringsFiles, NulEndsTheTextOfAFileWithoutMark) {
  // UTF-16 without a mark loads as ANSI bytes: "a", NUL, "b", NUL ... ends at the first NUL.
  WriteBytes("nomark16.txt", Utf16le(u"ab\r\ncd\r\n"));
  TUcStringList list;
  list.LoadFromFile(u"nomark16.txt");
  EXPECT_EQ(list.DetectedFileCharSet(), tcAnsi);
  EXPECT_EQ(Lines(list), (Strings{u"a"}));
  // A zero unit in a big-endian file ends the text too; everything before it is swapped.
  WriteBytes("be0.txt", "\xFE\xFF" + Utf16be(std::u16string(u"表\0x", 3)));
  list.LoadFromFile(u"be0.txt");
  EXPECT_EQ(Lines(list), (Strings{u"表"}));
}

TEST(UcStringsFiles, SavesUtf16LittleEndianWithMarkWhateverWasLoaded) {
  for (const std::string& bytes : {std::string("日本\nabc"), std::string("\xEF\xBB\xBF" "\xE6\x97\xA5\xE6\x9C\xAC\nabc")}) {
    WriteBytes("in.txt", bytes);
    TUcStringList list;
    list.LoadFromFile(u"in.txt");
    list.SaveToFile(u"out.txt");
    EXPECT_EQ(ReadBytes("out.txt"), "\xFF\xFE" + Utf16le(u"日本\r\nabc\r\n"));
  }
  TUcStringList empty;
  empty.SaveToFile(u"empty-out.txt");
  EXPECT_EQ(ReadBytes("empty-out.txt"), "\xFF\xFE");
  // And the saved file loads back the same.
  TUcStringList back;
  back.LoadFromFile(u"out.txt");
  EXPECT_EQ(back.DetectedFileCharSet(), tcUtf16);
  EXPECT_EQ(Lines(back), (Strings{u"日本", u"abc"}));
}

TEST(UcStringsFiles, StreamsWithAndWithoutDetection) {
  TMemoryStream stream;
  TUcStringList list;
  list.SetTextStr(u"x\r\ny");
  list.SaveToStreamBOM(&stream, false);
  EXPECT_EQ(stream.Size(), 12);
  stream.SetPosition(0);
  TUcStringList read;
  read.LoadFromStreamCharSet(&stream, false);  // no detection: UTF-16LE
  EXPECT_EQ(Lines(read), (Strings{u"x", u"y"}));
}

TEST(UcFileStream, ModesAndErrors) {
  WriteBytes("fs.txt", "data");
  {
    TUcFileStream s(u"fs.txt", fmOpenRead | fmShareDenyWrite);
    char b[4];
    EXPECT_EQ(s.Read(b, 4), 4);
  }
  // Undefined access or sharing values are refused, not looked up.
  for (Word mode : {Word(0x0003), Word(0x0050), Word(0x00F0)}) {
    try {
      TUcFileStream s(u"fs.txt", mode);
      ADD_FAILURE() << mode;
    } catch (const EFOpenError& e) {
      EXPECT_NE(std::string(e.what()).find("fs.txt"), std::string::npos);
    }
  }
  try {
    TUcFileStream s(u"無い.txt", fmOpenRead);
    FAIL();
  } catch (const EFOpenError& e) {
    const std::string full = WideToAnsi(WideExpandFileName(u"無い.txt"));
    EXPECT_EQ(std::string(e.what()), "ファイル " + full + " は開けません");
  }
  try {
    TUcFileStream s(u"no-such-dir/x.txt", fmCreate);
    FAIL();
  } catch (const EFCreateError& e) {
    EXPECT_EQ(std::string(e.what()), "ファイル " + WideToAnsi(WideExpandFileName(u"no-such-dir/x.txt")) + " を作成できません");
  }
  // A file held without sharing cannot be loaded; nothing is read.
  TUcFileStream holder(u"fs.txt", fmOpenReadWrite | fmShareExclusive);
  TUcStringList list;
  list.Add(u"kept");
  EXPECT_THROW(list.LoadFromFile(u"fs.txt"), EFOpenError);
  EXPECT_EQ(Lines(list), (Strings{u"kept"}));
}

}  // namespace
