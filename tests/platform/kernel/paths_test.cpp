#include <gtest/gtest.h>

#include <filesystem>

#include "internal/paths.h"
#include "scratch.h"
#include "winerror.h"

using winplat::PathIntent;
using winplat::ResolvePath;

TEST(FindMask, MatchesAsThePlatformDoes) {
  struct Case {
    const char16_t* mask;
    const char16_t* name;
    bool match;
  };
  const Case cases[] = {
      {u"*", u"abc", true},           {u"*", u".", true},
      {u"*.*", u"abc", true},         {u"*.*", u"a.b.c", true},
      {u"*.*", u"..", true},          {u"*.bmp", u"1.BMP", true},
      {u"*.bmp", u"1.bmp.bak", false}, {u"*.bmp", u"bmp", false},
      {u"*.", u"README", true},       {u"*.", u"a.txt", false},
      {u"a*.*", u"abc", true},        {u"?.bmp", u"1.bmp", true},
      {u"?.bmp", u"12.bmp", false},   {u"??.bmp", u"1.bmp", true},  // '?' before a dot may match nothing
      {u"x?", u"x", true},            {u"x?", u"xy", true},
      {u"x?", u"xyz", false},         {u"SETTINGS.INI", u"settings.ini", true},
      {u"settings.ini", u"settings.inf", false},
      {u"*g.bmp", u"12g.bmp", true},  {u"*g.bmp", u"12.bmp", false},
      {u"*.dat", u"n.dat", true},     {u"ｆｏｏ*", u"ＦＯＯbar", true},  // full-width letters fold too
      {u"表*.txt", u"表紙.TXT", true}, {u"*.txt", u"表紙.txt", true},
      {u"a*b*c", u"axxbyyc", true},   {u"a*b*c", u"axxbyy", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(winplat::MatchFindMask(c.mask, c.name), c.match)
        << "case " << (&c - cases);
}

class Paths : public ScratchTest {};

TEST_F(Paths, SeparatorsDrivesAndDots) {
  std::filesystem::create_directories("sub/deeper");
  WriteBytes("sub/deeper/f.txt", "x");
  const std::string expect = Dir() + "/sub/deeper/f.txt";
  EXPECT_EQ(ResolvePath(u"sub\\deeper\\f.txt"), expect);
  EXPECT_EQ(ResolvePath(u"sub/deeper\\f.txt"), expect);
  EXPECT_EQ(ResolvePath(u".\\sub\\.\\x\\..\\deeper\\f.txt"), expect);
  EXPECT_EQ(ResolvePath(u"sub\\\\deeper\\f.txt"), expect);
  EXPECT_EQ(ResolvePath(u"sub\\deeper\\f.txt. "), expect);  // trailing dots and blanks dropped
  const std::string d = Dir();
  const std::u16string dirW(d.begin(), d.end());
  EXPECT_EQ(ResolvePath(u"C:" + dirW + u"\\sub\\deeper\\f.txt"), expect);
  EXPECT_EQ(ResolvePath(u"c:\\"), "/");
  EXPECT_EQ(ResolvePath(u""), "");
}

TEST_F(Paths, MissingComponentsMatchWithoutCase) {
  std::filesystem::create_directories("Blackboards/Page");
  WriteBytes("Blackboards/Page/settings.ini", "x");
  EXPECT_EQ(ResolvePath(u"BLACKBOARDS\\page\\SETTINGS.INI"), Dir() + "/Blackboards/Page/settings.ini");
  // Create: the folder resolves, a new last component stays as given.
  EXPECT_EQ(ResolvePath(u"blackboards\\PAGE\\New.TXT", PathIntent::Create), Dir() + "/Blackboards/Page/New.TXT");
  // Below a missing folder nothing is searched.
  EXPECT_EQ(ResolvePath(u"nothere\\PAGE"), Dir() + "/nothere/PAGE");
  // The exact name wins over a case variant.
  WriteBytes("Blackboards/Page/SETTINGS.INI", "y");
  EXPECT_EQ(ResolvePath(u"Blackboards\\Page\\SETTINGS.INI"), Dir() + "/Blackboards/Page/SETTINGS.INI");
}

TEST_F(Paths, NonAsciiNamesFoldInTheirWideForm) {
  std::filesystem::create_directories(u8"Über");
  // Outside the assertion macros: their stringized text must be code page 932.
  const std::u16string lower = u"über";
  const std::string upper = reinterpret_cast<const char*>(u8"Über");
  EXPECT_EQ(ResolvePath(lower), Dir() + "/" + upper);
  std::filesystem::create_directories(u8"ΑΒΓ");
  EXPECT_EQ(ResolvePath(u"αβγ"), Dir() + "/" + reinterpret_cast<const char*>(u8"ΑΒΓ"));
}

TEST_F(Paths, ErrnoMapsByTheMissingComponent) {
  std::filesystem::create_directories("there");
  EXPECT_EQ(winplat::ErrorFromErrno(ENOENT, Dir() + "/there/file"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(winplat::ErrorFromErrno(ENOENT, Dir() + "/missing/file"), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(winplat::ErrorFromErrno(EACCES), ERROR_ACCESS_DENIED);
  EXPECT_EQ(winplat::ErrorFromErrno(EPERM), ERROR_ACCESS_DENIED);
  EXPECT_EQ(winplat::ErrorFromErrno(ENOSPC), ERROR_DISK_FULL);
  EXPECT_EQ(winplat::ErrorFromErrno(ENOTEMPTY), ERROR_DIR_NOT_EMPTY);
  EXPECT_EQ(winplat::ErrorFromErrno(EEXIST), ERROR_ALREADY_EXISTS);
}

TEST(FindMask, ManyStarsStayFast) {
  const std::u16string name(250, u'a');
  EXPECT_FALSE(winplat::MatchFindMask(u"*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*b", name));
  EXPECT_TRUE(winplat::MatchFindMask(u"*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a", name));
  EXPECT_FALSE(winplat::MatchFindMask(u"*a*.*a*.*a*.*a*.*a*.*a*.*a*.b", name + u"." + name));
}
