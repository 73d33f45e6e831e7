// Format and the number conversions.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>
#include "SysUtils.h"

namespace {

struct FormatCase {
  const char* fmt;
  std::vector<TVarRec> args;
  const char* expected;
};

TEST(Format, Table) {
  const FormatCase cases[] = {
      {"%d", {42}, "42"},
      {"%d", {-42}, "-42"},
      {"%5d|", {42}, "   42|"},
      {"%-5d|", {42}, "42   |"},
      {"%.4d", {-7}, "-0007"},
      {"%6.3d", {5}, "   005"},
      {"%d", {INT64_C(-9000000000)}, "-9000000000"},
      {"%u", {-1}, "4294967295"},
      {"%x", {255}, "FF"},
      {"%x", {-1}, "FFFFFFFF"},
      {"%.8X", {0x1234}, "00001234"},
      {"%x", {INT64_C(-1)}, "FFFFFFFFFFFFFFFF"},
      {"%s", {"abc"}, "abc"},
      {"%.2s", {"abc"}, "ab"},
      {"[%5s][%-5s]", {"ab", "cd"}, "[   ab][cd   ]"},
      {"%s", {'x'}, "x"},
      {"%s", {AnsiString("str")}, "str"},
      {"%*d", {4, 7}, "   7"},
      {"%-*.*d|", {6, 3, 7}, "007   |"},
      {"%1:s %0:s %s", {"a", "b", "c"}, "b a b"},
      {"%0:s-%0:s", {"x"}, "x-x"},
      {"100%%", {}, "100%"},
      {"%f", {1.5}, "1.50"},
      {"%.0f", {2.5}, "3"},
      {"%.2f", {0.125}, "0.13"},
      {"%.3f", {-1.0625}, "-1.063"},
      {"%.1f", {-0.04}, "0.0"},
      {"%g", {0.1}, "0.1"},
      {"%g", {100.0}, "100"},
      {"%g", {1.0 / 3}, "0.333333333333333"},
      {"%g", {1.5e20}, "1.5E20"},
      {"%g", {0.00001}, "1E-5"},
      {"%e", {1234.5}, "1.23450000000000E+003"},
      {"%.3e", {-0.00123}, "-1.23E-003"},
      {"%n", {1234567.891}, "1,234,567.89"},
      {"%.0n", {999.5}, "1,000"},
      {"%m", {1234.0}, "\\1,234"},
      {"%m", {-5.0}, "-\\5"},
      {"%8.2f|", {3.14159}, "    3.14|"},
      {"%s=%d", {"w", 3}, "w=3"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Format(c.fmt, c.args.data(), c.args.size()), c.expected) << c.fmt;
  }
}

TEST(Format, PointerAndWideText) {
  int x = 0;
  AnsiString p = Format("%p", {static_cast<const void*>(&x)});
  EXPECT_EQ(p.size(), sizeof(void*) * 2);
  EXPECT_EQ(StrToInt64("$" + p), static_cast<int64_t>(reinterpret_cast<intptr_t>(&x)));
  // Wide arguments are narrowed to the ANSI code page.
  EXPECT_EQ(Format("%s", {WideString(u"黒板")}), AnsiString("黒板"));
}

TEST(Format, ErrorsRaiseConvertError) {
  const std::vector<std::pair<const char*, std::vector<TVarRec>>> bad = {
      {"%d", {"text"}},   // string for an integer
      {"%s", {5}},        // integer for a string
      {"%f", {5}},        // integer for a float
      {"%d", {1.5}},      // float for an integer
      {"%d %d", {1}},     // missing argument
      {"%q", {1}},        // unknown type
      {"abc%", {}},       // dangling %
      {"%5:d", {1, 2}},   // index past the arguments
  };
  for (const auto& [fmt, args] : bad) {
    EXPECT_THROW(Format(fmt, args.data(), args.size()), EConvertError) << fmt;
  }
  try {
    Format("%d %d", {1});
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), Format(SArgumentMissing, {"%d %d"}));
  }
}

TEST(Exceptions, FamilyAndMessages) {
  try {
    throw EFOpenError(SFOpenError, {"a.txt"});
  } catch (const EStreamError& e) {
    EXPECT_EQ(e.Message(), "ファイル a.txt は開けません");
    EXPECT_STREQ(e.what(), e.Message().c_str());
    EXPECT_EQ(e.ClassName(), "EFOpenError");
  }
  // Everything is an Exception and a std::exception.
  EXPECT_THROW(throw EStringListError("x"), Exception);
  EXPECT_THROW(throw EConvertError("x"), std::exception);
  EXPECT_THROW(Abort(), EAbort);
}

TEST(Exceptions, AssertNamesFileAndLine) {
  EXPECT_NO_THROW(Assert(true, "never"));
  try {
    Assert(false, "checked");
    FAIL();
  } catch (const EAssertionFailed& e) {
    EXPECT_NE(e.Message().find("checked"), AnsiString::npos);
    EXPECT_NE(e.Message().find("format_test.cpp"), AnsiString::npos);
  }
}

TEST(Convert, IntToStrAndHex) {
  EXPECT_EQ(IntToStr(0), "0");
  EXPECT_EQ(IntToStr(INT32_MIN), "-2147483648");
  EXPECT_EQ(IntToStr(INT64_C(-9223372036854775807) - 1), "-9223372036854775808");
  EXPECT_EQ(IntToStr(static_cast<size_t>(7)), "7");
  EXPECT_EQ(IntToHex(255, 4), "00FF");
  EXPECT_EQ(IntToHex(-1, 2), "FFFFFFFF");
  EXPECT_EQ(IntToHex(INT64_C(0x123456789), 1), "123456789");
}

struct IntCase {
  const char* text;
  bool ok;
  int32_t value;
};

TEST(Convert, StrToIntTable) {
  const IntCase cases[] = {
      {"0", true, 0},          {"123", true, 123},          {"-123", true, -123},
      {"+5", true, 5},         {"  42", true, 42},          {"42 ", false, 0},
      {"", false, 0},          {" ", false, 0},             {"-", false, 0},
      {"$FF", true, 255},      {"0x1f", true, 31},          {"x10", true, 16},
      {"$FFFFFFFF", true, -1}, {"$100000000", false, 0},    {"-$10", true, -16},
      {"2147483647", true, INT32_MAX}, {"2147483648", false, 0},
      {"-2147483648", true, INT32_MIN}, {"-2147483649", false, 0},
      {"12a", false, 0},       {"1.5", false, 0},           {"$", false, 0},
      {"0x", false, 0},        {"00012", true, 12},
  };
  for (const auto& c : cases) {
    int32_t v = -99;
    EXPECT_EQ(TryStrToInt(c.text, v), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(v, c.value) << c.text;
    }
    EXPECT_EQ(StrToIntDef(c.text, -99), c.ok ? c.value : -99) << c.text;
  }
  try {
    StrToInt("abc");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "'abc' は有効な整数値ではありません");
  }
  EXPECT_EQ(StrToInt64("-9223372036854775808"), INT64_MIN);
  EXPECT_EQ(StrToInt64("$FFFFFFFFFFFFFFFF"), -1);
  EXPECT_EQ(StrToInt64Def("9223372036854775808", 3), 3);
}

TEST(Convert, Floats) {
  EXPECT_EQ(FloatToStr(0), "0");
  EXPECT_EQ(FloatToStr(-2.5), "-2.5");
  EXPECT_EQ(FloatToStr(1e15), "1E15");
  EXPECT_EQ(FloatToStr(123456789012345.0), "123456789012345");
  EXPECT_EQ(FloatToStr(0.0001), "0.0001");
  EXPECT_DOUBLE_EQ(static_cast<double>(StrToFloat(" 1.25e2 ")), 125.0);
  EXPECT_DOUBLE_EQ(static_cast<double>(StrToFloat("-.5")), -0.5);
  EXPECT_THROW(StrToFloat("1,5"), EConvertError);
  EXPECT_THROW(StrToFloat("e5"), EConvertError);
  EXPECT_EQ(StrToFloatDef("x", 7), 7);
  double d = 0;
  EXPECT_TRUE(TryStrToFloat(FloatToStr(0.1), d));
  EXPECT_EQ(d, 0.1);
}

TEST(Convert, HexAndBin) {
  const unsigned char bytes[] = {0x00, 0xAB, 0x7F};
  char text[7] = {};
  BinToHex(bytes, text, 3);
  EXPECT_STREQ(text, "00AB7F");
  unsigned char back[3] = {};
  EXPECT_EQ(HexToBin("00ab7f", back, 3), 3);
  EXPECT_EQ(std::memcmp(back, bytes, 3), 0);
  EXPECT_EQ(HexToBin("12zz", back, 2), 1);  // stops at the first bad digit
}

}  // namespace

namespace {

TEST(WideFormat, SameRulesOnWideText) {
  EXPECT_EQ(WideFormat(u"%s (%s)", {WideString(u"保存"), WideString(u"Ctrl+S")}), u"保存 (Ctrl+S)");
  EXPECT_EQ(WideFormat(u"[%-4s|%3s]", {WideString(u"黒"), AnsiString("板")}), u"[黒   |  板]");
  EXPECT_EQ(WideFormat(u"%.1s", {WideString(u"\U0001F600")}), WideString(1, u'\xD83D'));  // units
  EXPECT_EQ(WideFormat(u"%1:d-%0:.3d %x %g%%", {7, 255, 0.5}), u"255-007 FF 0.5%");
  EXPECT_THROW(WideFormat(u"%d", {WideString(u"x")}), EConvertError);
  try {
    WideFormat(u"黒%d", {});
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), Format(SArgumentMissing, {"黒%d"}));
  }
}

}  // namespace
