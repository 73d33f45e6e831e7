// Colour names, StringToColor and the system colours.
#include <gtest/gtest.h>

#include "Graphics.h"

TEST(Colors, StringToColorTable) {
  struct Case {
    const char* text;
    TColor expected;
  } cases[] = {
      {"clGreen", 0x008000},   {"CLGREEN", 0x008000},       {"clgreen", 0x008000},   {"clBlack", 0},
      {"clWhite", 0xFFFFFF},   {"clRed", 0x0000FF},         {"clBlue", 0xFF0000},    {"clMoneyGreen", 0xC0DCC0},
      {"clSkyBlue", 0xF0CAA6}, {"clCream", 0xF0FBFF},       {"clMedGray", 0xA4A0A0}, {"clBtnFace", TColorOf(0x8000000F)},
      {"clWindowText", TColorOf(0x80000008)}, {"clNone", 0x1FFFFFFF}, {"clDefault", 0x20000000},
      {"$00FF8000", 0x00FF8000}, {"$ff", 0xFF},             {"255", 255},            {"-1", -1},
      {"0", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(StringToColor(c.text), c.expected) << c.text;
  for (const char* bad : {"junk", "", "clGreenish", "$", "12x", "cl"}) EXPECT_THROW(StringToColor(bad), EConvertError) << bad;
}

TEST(Colors, ColorToStringNamesOrHex) {
  EXPECT_EQ(ColorToString(clGreen), "clGreen");
  EXPECT_EQ(ColorToString(clBtnFace), "clBtnFace");
  EXPECT_EQ(ColorToString(clNone), "clNone");
  EXPECT_EQ(ColorToString(0x00FF8000), "$00FF8000");
  EXPECT_EQ(ColorToString(0x00123456), "$00123456");
  // Every name reads back as its value, and every value writes as its name.
  int names = 0;
  GetColorValues([&](const AnsiString& name) {
    ++names;
    int32_t c = 0;
    ASSERT_TRUE(IdentToColor(name, c)) << name;
    EXPECT_EQ(ColorToString(c), name);
    EXPECT_EQ(StringToColor(ColorToString(c)), c);
  });
  EXPECT_GE(names, 50);
  AnsiString s;
  EXPECT_FALSE(ColorToIdent(0x123456, s));
}

TEST(Colors, ColorToRGBResolvesSystemColours) {
  // System colours come from the platform's scheme; RGB values pass unchanged.
  for (int i : {COLOR_BTNFACE, COLOR_WINDOW, COLOR_WINDOWTEXT, COLOR_HIGHLIGHT, COLOR_BTNSHADOW, COLOR_INFOBK})
    EXPECT_EQ(ColorToRGB(clSystemColor | i), static_cast<TColor>(GetSysColor(i))) << i;
  for (TColor c = clScrollBar; c <= clMenuBar; ++c) {
    EXPECT_GE(ColorToRGB(c), 0) << std::hex << c;
    EXPECT_LE(ColorToRGB(c), 0xFFFFFF) << std::hex << c;
  }
  EXPECT_EQ(ColorToRGB(clWindow), 0xFFFFFF);  // the classic scheme
  EXPECT_EQ(ColorToRGB(clWindowText), 0x000000);
  EXPECT_NE(ColorToRGB(clBtnFace), ColorToRGB(clBtnShadow));
  EXPECT_EQ(ColorToRGB(0x00123456), 0x00123456);
  EXPECT_EQ(ColorToRGB(clNone), clNone);
  EXPECT_EQ(ColorToRGB(clDefault), clDefault);
}
