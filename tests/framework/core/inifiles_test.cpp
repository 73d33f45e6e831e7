// TIniFile and TMemIniFile against the fixtures in tests/data/framework.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include "Forms.h"
#include "IniFiles.h"

namespace {

AnsiString ReadAll(const AnsiString& name) {
  std::ifstream in(name, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// A fresh copy of a fixture in the scratch folder.
AnsiString Fixture(const char* name, const char* as) {
  std::ofstream(as, std::ios::binary) << ReadAll(AnsiString(TEST_DATA_DIR) + "/framework/" + name);
  return as;
}

std::vector<AnsiString> Items(TStrings& l) {
  std::vector<AnsiString> v;
  for (int i = 0; i < l.Count(); ++i) v.push_back(l.Strings(i));
  return v;
}
using V = std::vector<AnsiString>;

// Both classes read the same file the same way where the profile rules and the memory rules agree.
template <class T>
class IniRead : public ::testing::Test {};
using IniKinds = ::testing::Types<TIniFile, TMemIniFile>;
TYPED_TEST_SUITE(IniRead, IniKinds);

TYPED_TEST(IniRead, ChalkOptions) {
  TypeParam ini(Fixture("option.ini", "option_read.ini"));
  EXPECT_EQ(ini.ReadInteger("general", "LeftStart", 0), 32);  // section names ignore case
  EXPECT_EQ(ini.ReadInteger("General", "betweenchalkspace", 0), 10);
  TStringList sections;
  ini.ReadSections(&sections);
  EXPECT_EQ(Items(sections), (V{"General", "White", "yellow", "表ソ"}));
  EXPECT_EQ(ini.ReadInteger("White", "range", 0), 20);
  EXPECT_EQ(ini.ReadInteger("yellow", "rr", -1), 16);   // "0x10"
  EXPECT_EQ(ini.ReadInteger("表ソ", "r", 0), 0xE9);     // "$E9"
  EXPECT_EQ(ini.ReadInteger("表ソ", "g", 7), 7);        // not a number
  EXPECT_EQ(ini.ReadInteger("表ソ", "b", 5), 5);        // missing
  EXPECT_EQ(ini.ReadString("表ソ", "bmp", ""), "chalk_表.bmp");
  EXPECT_EQ(ini.ReadString("White", "none", "dflt"), "dflt");
  TStringList keys;
  ini.ReadSection("white", &keys);
  EXPECT_EQ(Items(keys), (V{"r", "g", "b", "range", "bmp"}));
  EXPECT_TRUE(ini.SectionExists("YELLOW"));
  EXPECT_FALSE(ini.SectionExists("blue"));
  EXPECT_TRUE(ini.ValueExists("yellow", "RR"));
  EXPECT_FALSE(ini.ValueExists("yellow", "range"));
  TStringList values;
  ini.ReadSectionValues("General", &values);
  EXPECT_EQ(Items(values), (V{"LeftStart=32", "BetweenChalkSpace=10"}));
}

TYPED_TEST(IniRead, SettingsTypedValues) {
  TypeParam ini(Fixture("settings.ini", "settings_read.ini"));
  EXPECT_EQ(ini.ReadInteger("general", "backcolor", 0), 2);
  EXPECT_EQ(ini.ReadString("GENERAL", "CustomBackColor", "clGreen"), "clNavy");
  EXPECT_TRUE(ini.ReadBool("general", "flag", false));
  EXPECT_FALSE(ini.ReadBool("general", "off", true));
  EXPECT_TRUE(ini.ReadBool("general", "missing", true));
  EXPECT_EQ(ini.ReadDate("general", "when", 0), EncodeDate(2026, 12, 10));
  EXPECT_EQ(ini.ReadDate("general", "flag", 3), 3);  // not a date
  EXPECT_DOUBLE_EQ(ini.ReadFloat("general", "float", 0), 1.5);
  EXPECT_EQ(ini.ReadString("Language", "38", ""), "Vel 黒板 Qz");
}

TEST(IniFile, ProfileRulesStripQuotes) {
  TIniFile ini(Fixture("option.ini", "option_quotes.ini"));
  EXPECT_EQ(ini.ReadString("yellow", "bmp", ""), "chalk_yellow.bmp");
}

TEST(IniFile, WritesGoStraightToTheFile) {
  AnsiString name = Fixture("settings.ini", "settings_write.ini");
  {
    TIniFile ini(name);
    ini.WriteInteger("general", "backcolor", 1);
    ini.WriteBool("general", "flag", false);
    ini.WriteString("新しい", "キー", "値");
    ini.DeleteKey("general", "off");
    ini.EraseSection("Language");
  }
  TIniFile again(name);
  EXPECT_EQ(again.ReadInteger("general", "backcolor", 0), 1);
  EXPECT_EQ(again.ReadString("general", "flag", ""), "0");
  EXPECT_EQ(again.ReadString("新しい", "キー", ""), "値");
  EXPECT_FALSE(again.ValueExists("general", "off"));
  EXPECT_FALSE(again.SectionExists("Language"));
  EXPECT_NE(ReadAll(name).find("backcolor=1"), AnsiString::npos);
}

TEST(IniFile, FailedWriteRaises) {
  TIniFile ini("no_such_folder/x.ini");
  try {
    ini.WriteString("a", "b", "c");
    FAIL();
  } catch (const EIniFileException& e) {
    EXPECT_EQ(e.Message(), "no_such_folder/x.ini に書き込めません");
  }
  TIniFile bad(Fixture("settings.ini", "settings_bad.ini"));
  EXPECT_THROW(bad.WriteString("general", "k", "two\r\nlines"), EIniFileException);
  EXPECT_EQ(bad.ReadString("general", "k", "none"), "none");
}

TEST(IniFile, LongValuesAndManySectionsAreNotCut) {
  AnsiString name = "long.ini";
  DeleteFile(name);
  TIniFile ini(name);
  AnsiString big(5000, 'v');
  ini.WriteString("s", "big", big);
  EXPECT_EQ(ini.ReadString("s", "big", ""), big);
  // Far more section names than the 16 KiB a first read takes.
  {
    std::ofstream out("many.ini", std::ios::binary);
    for (int i = 0; i < 1500; ++i) out << "[section_number_" << i << "]\r\nk=v\r\n";
  }
  TIniFile many("many.ini");
  TStringList sections;
  many.ReadSections(&sections);
  ASSERT_EQ(sections.Count(), 1500);
  EXPECT_EQ(sections.Strings(1499), "section_number_1499");
}

TEST(MemIniFile, WritesStayInMemoryUntilUpdateFile) {
  AnsiString name = Fixture("settings.ini", "settings_mem.ini");
  AnsiString before = ReadAll(name);
  TMemIniFile ini(name);
  ini.WriteInteger("General", "BackColor", 0);  // replaces the existing line, whatever the case
  ini.WriteString("new", "key", "value");
  ini.DeleteKey("general", "off");
  EXPECT_EQ(ini.ReadInteger("general", "backcolor", 9), 0);
  EXPECT_EQ(ReadAll(name), before);
  ini.UpdateFile();
  TMemIniFile again(name);
  EXPECT_EQ(again.ReadInteger("general", "backcolor", 9), 0);
  EXPECT_EQ(again.ReadString("NEW", "KEY", ""), "value");
  EXPECT_EQ(again.ReadString("general", "off", "gone"), "gone");
  TStringList lines;
  again.GetStrings(&lines);
  EXPECT_EQ(lines.Strings(0), "[general]");
  EXPECT_EQ(lines.Strings(1), "BackColor=0");
  again.EraseSection("general");
  EXPECT_FALSE(again.SectionExists("general"));
}

TEST(MemIniFile, MissingFileIsEmptyAndCaseSensitivityIsOptional) {
  DeleteFile("absent.ini");
  TMemIniFile ini("absent.ini");
  TStringList s;
  ini.ReadSections(&s);
  EXPECT_EQ(s.Count(), 0);
  ini.WriteString("A", "k", "1");
  EXPECT_EQ(ini.ReadString("a", "K", ""), "1");
  ini.SetCaseSensitive(true);
  EXPECT_EQ(ini.ReadString("a", "K", "no"), "no");
  EXPECT_EQ(ini.ReadString("A", "k", "no"), "1");
  EXPECT_FALSE(FileExists("absent.ini"));
}

TEST(MemIniFile, FailedUpdateLeavesNoHalfFile) {
  TMemIniFile lost("no_such_folder/x.ini");
  lost.WriteString("a", "b", "c");
  try {
    lost.UpdateFile();
    FAIL();
  } catch (const EFCreateError& e) {
    EXPECT_EQ(e.Message(), "ファイル no_such_folder/x.ini を作成できません");
  }
  // A folder in the file's place cannot be replaced: the folder stays, no temporary is left.
  ForceDirectories("taken.ini");
  TMemIniFile taken("taken.ini");
  taken.WriteString("a", "b", "c");
  EXPECT_THROW(taken.UpdateFile(), EFCreateError);
  EXPECT_TRUE(DirectoryExists("taken.ini"));
  EXPECT_FALSE(FileExists("taken.ini.$$$"));
}

TEST(Forms, ApplicationAndScreen) {
  AnsiString exe = Application->ExeName();
  EXPECT_EQ(ExtractFileName(exe), "test_framework_core");
  EXPECT_TRUE(FileExists(exe));
  EXPECT_GT(Screen->Width(), 0);
  EXPECT_GT(Screen->Height(), 0);
}

}  // namespace
