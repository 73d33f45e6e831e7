// File dialog logic: filters, listings, typed names, default extension and the answer buffer.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "commdlg/filedlg_model.h"
#include "internal/text.h"

namespace fs = std::filesystem;
using namespace winplat::commdlg;

TEST(FileDialogModel, FiltersAndPatterns) {
  const char16_t list[] = u"黒板 (*.zip)\0*.zip\0画像\0*.bmp; *.JPG\0すべて\0*.*\0dangling\0";
  auto f = ParseFilter(list);
  ASSERT_EQ(f.size(), 3u);
  EXPECT_EQ(f[0].description, u"黒板 (*.zip)");
  EXPECT_EQ(f[1].patterns, u"*.bmp; *.JPG");
  EXPECT_TRUE(MatchesPatterns(f[1].patterns, u"a.jpg"));
  EXPECT_TRUE(MatchesPatterns(f[1].patterns, u"B.BMP"));
  EXPECT_FALSE(MatchesPatterns(f[1].patterns, u"a.zip"));
  EXPECT_TRUE(MatchesPatterns(f[2].patterns, u"noext"));
  EXPECT_TRUE(MatchesPatterns(u"", u"x"));
  EXPECT_TRUE(ParseFilter(nullptr).empty());
}

TEST(FileDialogModel, ListsFoldersFirstThenMatchingFiles) {
  fs::create_directories("fd/sub");
  fs::create_directories("fd/Alpha");
  // Narrow literals are CP932 here: the Japanese name goes through a UTF-8 path.
  for (const char8_t* n : {u8"fd/b.zip", u8"fd/A.ZIP", u8"fd/c.txt", u8"fd/.hidden.zip", u8"fd/板書.zip"})
    std::ofstream(fs::path(n)) << "x";
  std::u16string base = winplat::Utf8ToWide(fs::current_path().string());
  std::u16string folder = FullFolder(base, u"fd");
  auto list = ListFolder(folder, u"*.zip");
  std::vector<std::u16string> names;
  for (auto& e : list) names.push_back(e.name + (e.folder ? u"/" : u""));
  EXPECT_EQ(names, (std::vector<std::u16string>{u"../", u"Alpha/", u"sub/", u"A.ZIP", u"b.zip", u"板書.zip"}));
  EXPECT_EQ(FullFolder(folder, u"..\\fd\\sub"), JoinPath(folder, u"sub"));
  EXPECT_EQ(FullFolder(folder, u"/tmp"), u"/tmp");
}

TEST(FileDialogModel, TypedNamesAndExtensions) {
  EXPECT_EQ(SplitTypedNames(u"  a b.txt "), std::vector<std::u16string>{u"a b.txt"});
  EXPECT_EQ(SplitTypedNames(u"\"x.zip\" \"y 2.zip\""), (std::vector<std::u16string>{u"x.zip", u"y 2.zip"}));
  EXPECT_EQ(SplitTypedNames(u"\"open"), std::vector<std::u16string>{u"open"});
  EXPECT_TRUE(SplitTypedNames(u"   ").empty());
  EXPECT_EQ(WithDefaultExtension(u"板書", u"zip"), u"板書.zip");
  EXPECT_EQ(WithDefaultExtension(u"a.b/c", u".zip"), u"a.b/c.zip");
  EXPECT_EQ(WithDefaultExtension(u"c.txt", u"zip"), u"c.txt");
  EXPECT_EQ(WithDefaultExtension(u"c", u""), u"c");
  EXPECT_EQ(ExtensionOffset(u"/d/a.zip"), 5u);
  EXPECT_EQ(ExtensionOffset(u"/d.x/a"), 6u);  // no extension: the end
}

TEST(FileDialogModel, AnswerBuffers) {
  Answer one = BuildAnswer(u"/home/t", {u"a.zip"}, false);
  EXPECT_EQ(one.buffer, std::u16string(u"/home/t/a.zip\0", 14));
  EXPECT_EQ(one.fileOffset, 8);
  EXPECT_EQ(one.extensionOffset, 10);
  Answer abs = BuildAnswer(u"/home/t", {u"/x/b"}, false);
  EXPECT_EQ(abs.buffer, std::u16string(u"/x/b\0", 5));
  EXPECT_EQ(abs.extensionOffset, 4);
  Answer many = BuildAnswer(u"/home/t", {u"a.zip", u"b.zip"}, true);
  EXPECT_EQ(many.buffer, std::u16string(u"/home/t\0a.zip\0b.zip\0\0", 21));
  EXPECT_EQ(many.fileOffset, 8);
  Answer single = BuildAnswer(u"/home/t", {u"a.zip"}, true);  // one file of a multi dialog: a full path
  EXPECT_EQ(single.buffer, std::u16string(u"/home/t/a.zip\0\0", 15));
}
