// The UTF-7 coder: RFC 2152's examples, our own encoder's choices and its edge cases.
#include <gtest/gtest.h>

#include "UcSystem.h"

namespace {

struct Pair { std::u16string wide; std::string utf7; };

TEST(Utf7, RfcExamplesBothWays) {
  const Pair cases[] = {
      {u"A\u2262\u0391.", "A+ImIDkQ."},
      {u"Hi Mom -\u263A-!", "Hi Mom -+Jjo--!"},
      {u"日本語", "+ZeVnLIqe"},
      {u"Item 3 is \u00A31.", "Item 3 is +AKM-1."},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EncodeUtf7(c.wide), c.utf7);
    EXPECT_EQ(DecodeUtf7(c.utf7), c.wide) << c.utf7;
  }
}

TEST(Utf7, EncoderChoices) {
  const Pair cases[] = {
      {u"A+B", "A+-B"},
      {u"\u00E9", "+AOk"},        // no terminator at the end of the input
      {u"\u00E9a", "+AOk-a"},     // "-" before a base64 character
      {u"\u00E9.", "+AOk."},      // none before a direct character outside base64
      {u"\u00E9-", "+AOk--"},     // nor may "-" itself follow unmarked
      {u"!=#[]", "!=#[]"},        // the optional direct set is written directly
      {u"a b\tc\r\n", "a b\tc\r\n"},
      {u"~\\", "+AH4AXA"},        // outside both sets
      {u"\U0001F600", "+2D3eAA"}, // a surrogate pair is two units
      {u"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(EncodeUtf7(c.wide), c.utf7);
}

TEST(Utf7, DecoderCases) {
  const Pair cases[] = {
      {u"+", "+-"},
      {u"\u00E9", "+AOk-"},
      {u"\u00E9", "+AOk"},
      {u"\u00E9a", "+AOk-a"},
      {u"a+b", "a+-b"},
      {u"\u00E9\u00E9", "+AOkA6Q"},
      {u"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(DecodeUtf7(c.utf7), c.wide) << c.utf7;
}

TEST(Utf7, InvalidInputRaises) {
  const char* cases[] = {
      "+",        // a shift at the end that yields nothing
      "+.",       // ended by a direct character before any unit
      "a+AA-",    // 12 bits: no unit
      "+AOl",     // non-zero padding bits
      "ab\xC3",   // a byte above 127
  };
  for (const char* c : cases) {
    try {
      DecodeUtf7(c);
      ADD_FAILURE() << c;
    } catch (const EUcGeneralError& e) {
      EXPECT_STREQ(e.what(), "Invalid UTF7");
    }
  }
}

TEST(Utf7, CodersReportExhaustedOutput) {
  const std::u16string text = u"a日本";
  char out[4];
  const char16_t* src = text.data();
  char* dst = out;
  EXPECT_EQ(ConvertUtf16ToUtf7(src, text.data() + text.size(), dst, out + sizeof out, true, false),
            utf7Exhausted);
  EXPECT_EQ(dst, out + 4);  // "a+ZeV" needs five: it stops after four
  EXPECT_EQ(std::string(out, 4), "a+Ze");

  const std::string utf7 = "ab+ZeVnLA-";
  char16_t wide[3];
  const char* in = utf7.data();
  char16_t* w = wide;
  EXPECT_EQ(ConvertUtf7ToUtf16(in, utf7.data() + utf7.size(), w, wide + 3), utf7Exhausted);
  EXPECT_EQ(w, wide + 3);
  EXPECT_EQ(std::u16string(wide, 3), u"ab日");

  // The forced terminator ends every run with "-".
  const std::u16string e = u"\u00E9";
  src = e.data();
  char buf[16];
  dst = buf;
  EXPECT_EQ(ConvertUtf16ToUtf7(src, e.data() + 1, dst, buf + 16, true, true), utf7Ok);
  EXPECT_EQ(std::string(buf, static_cast<size_t>(dst - buf)), "+AOk-");
  // The strict form shifts the optional direct set.
  const std::u16string bang = u"!";
  src = bang.data();
  dst = buf;
  EXPECT_EQ(ConvertUtf16ToUtf7(src, bang.data() + 1, dst, buf + 16, false, false), utf7Ok);
  EXPECT_EQ(std::string(buf, static_cast<size_t>(dst - buf)), "+ACE");
}

TEST(Utf7, RoundTripsEveryUnit) {
  std::u16string all;
  for (char32_t c = 1; c < 0x10000; c += 7) all.push_back(static_cast<char16_t>(c));
  EXPECT_EQ(DecodeUtf7(EncodeUtf7(all)), all);
}

}  // namespace
