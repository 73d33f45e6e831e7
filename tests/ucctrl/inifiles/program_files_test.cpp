// The program's own settings.ini and Language.ini, as the asset generator writes them, through
// TUcIniFile on both platform paths; and the board model's ANSI INI on the same settings file.
#include <gtest/gtest.h>

#include "support.h"

namespace {

const std::string kBin = VSE_BIN_DIR;

TEST(ProgramFiles, LanguageIniGivesTheThirtyNineTexts) {
  const std::string source = ReadBytes(kBin + "/Language.ini");
  ASSERT_FALSE(source.empty()) << "build the assets first";
  for (bool ansiOnly : {false, true}) {
    SCOPED_TRACE(ansiOnly);
    PlatformMode mode(ansiOnly);
    TUcIniFile ini(AnsiToWide(kBin + "/Language.ini"));
    TUcStringList keys;
    ini.ReadSection(u"Language", &keys);
    ASSERT_EQ(keys.Count(), 39);
    for (int i = 0; i < 39; ++i) EXPECT_EQ(keys.Get(i), AnsiToWide(std::to_string(i)));
    EXPECT_EQ(ini.ReadString(u"Language", u"38", u""), u"Vel 黒板 Qz");
    EXPECT_EQ(WideToAnsi(ini.ReadString(u"Language", u"38", u"")), "Vel \x8D\x95\x94\xC2 Qz");
    EXPECT_EQ(ini.ReadString(u"Language", u"0", u""), u"新しい黒板");
    EXPECT_EQ(ini.ReadString(u"Language", u"28", u""), u"ビットマップ画像 (*.bmp)|*.bmp");
    EXPECT_EQ(ini.ReadString(u"Language", u"34", u"none"), u"");
  }
  EXPECT_EQ(ReadBytes(kBin + "/Language.ini"), source);  // only read: never rewritten
}

TEST(ProgramFiles, SettingsAtStartUpAndAfterThePanel) {
  for (bool ansiOnly : {false, true}) {
    SCOPED_TRACE(ansiOnly);
    PlatformMode mode(ansiOnly);
    WriteBytes("settings.ini", ReadBytes(kBin + "/settings.ini"));
    {
      TUcIniFile ini(u"settings.ini");  // what the start-up reads
      EXPECT_FALSE(ini.ReadBool(u"general", u"Yogore", false));
      EXPECT_TRUE(ini.ReadBool(u"general", u"ChalkKasure", true));
      EXPECT_FALSE(ini.ReadBool(u"general", u"DrawDate", false));
      EXPECT_TRUE(ini.ReadBool(u"general", u"LogProgBar", true));
      EXPECT_TRUE(ini.ReadBool(u"general", u"CtrlNoBold", true));
      EXPECT_EQ(ini.ReadInteger(u"general", u"grid", 0), 32);
    }
    {
      TUcIniFile ini(u"settings.ini");  // the settings panel's OK
      ini.WriteInteger(u"general", u"grid", 48);
      ini.WriteBool(u"general", u"Yogore", true);
      ini.WriteInteger(u"general", u"backcolor", 2);
      ini.WriteBool(u"general", u"ChalkKasure", false);
      ini.WriteBool(u"general", u"DrawDate", true);
      ini.WriteBool(u"general", u"LogProgBar", false);
      ini.WriteBool(u"general", u"CtrlNoBold", false);
    }
    TUcIniFile fresh(u"settings.ini");
    EXPECT_EQ(fresh.ReadInteger(u"general", u"grid", 0), 48);
    EXPECT_TRUE(fresh.ReadBool(u"general", u"Yogore", false));
    EXPECT_EQ(fresh.ReadInteger(u"general", u"backcolor", 0), 2);
    EXPECT_FALSE(fresh.ReadBool(u"general", u"ChalkKasure", true));
    EXPECT_TRUE(fresh.ReadBool(u"general", u"DrawDate", false));
    EXPECT_FALSE(fresh.ReadBool(u"general", u"LogProgBar", true));
    EXPECT_FALSE(fresh.ReadBool(u"general", u"CtrlNoBold", true));
    EXPECT_EQ(fresh.ReadString(u"general", u"CustomBackColor", u""), u"clGreen");  // kept
    // The board model's ANSI INI reads the same file.
    TIniFile board("settings.ini");
    EXPECT_EQ(board.ReadInteger("general", "backcolor", 0), 2);
    EXPECT_EQ(board.ReadString("general", "CustomBackColor", ""), "clGreen");
    EXPECT_EQ(board.ReadInteger("general", "grid", 0), 48);
    EXPECT_TRUE(board.ReadBool("general", "Yogore", false));
  }
}

}  // namespace
