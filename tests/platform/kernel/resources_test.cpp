// Module resources registered in the process, and the string-table loader.
#include <gtest/gtest.h>

#include <vector>

#include "winbase.h"
#include "winerror.h"
#include "winplat_mode.h"
#include "winplat_resource.h"
#include "winuser.h"

namespace {

// A string-table block: 16 counted strings (absent ones are empty).
std::vector<char16_t> Block(std::initializer_list<std::pair<int, std::u16string>> strings) {
  std::vector<std::u16string> slots(16);
  for (auto& [i, s] : strings) slots[static_cast<size_t>(i)] = s;
  std::vector<char16_t> units;
  for (auto& s : slots) {
    units.push_back(static_cast<char16_t>(s.size()));
    units.insert(units.end(), s.begin(), s.end());
  }
  return units;
}

class Resources : public ::testing::Test {
 protected:
  void SetUp() override {
    // Strings 16..31 live in block 2; 17 and 31 are set.
    auto block = Block({{1, u"日本語テキスト"}, {15, u"last"}});
    winplat::RegisterModuleResource(nullptr, RT_STRINGW, MAKEINTRESOURCEW(2), block.data(),
                                    static_cast<DWORD>(block.size() * 2));
    winplat::RegisterModuleResource(nullptr, MAKEINTRESOURCEW(10), u"Payload", "abc", 3);
  }
  void TearDown() override {
    winplat::UnregisterModuleResources(nullptr);
    winplat::SetAnsiOnlyPlatform(false);
  }
};

TEST_F(Resources, FindLoadLockAndSize) {
  HRSRC r = FindResourceA(nullptr, "payload", MAKEINTRESOURCEA(10));  // names match without case
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(FindResourceW(GetModuleHandleA(nullptr), u"PAYLOAD", MAKEINTRESOURCEW(10)), r);
  EXPECT_EQ(SizeofResource(nullptr, r), 3u);
  const char* data = static_cast<const char*>(LockResource(LoadResource(nullptr, r)));
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(std::string(data, 3), "abc");

  SetLastError(0);
  EXPECT_EQ(FindResourceA(nullptr, "missing", MAKEINTRESOURCEA(10)), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
  // Handles that were never given out are refused, not followed.
  int junk = 0;
  EXPECT_EQ(LoadResource(nullptr, reinterpret_cast<HRSRC>(&junk)), nullptr);
  EXPECT_EQ(LockResource(reinterpret_cast<HGLOBAL>(&junk)), nullptr);
  EXPECT_EQ(SizeofResource(nullptr, reinterpret_cast<HRSRC>(&junk)), 0u);
}

TEST_F(Resources, LoadStringCopiesWithinTheBuffer) {
  struct Case { UINT id; int max; std::u16string text; int result; };
  const Case cases[] = {
      {17, 100, u"日本語テキスト", 7},
      {17, 4, u"日本語", 3},  // max - 1 characters and a NUL
      {17, 1, u"", 0},
      {31, 100, u"last", 4},
      {16, 100, u"", 0},    // empty slot
      {40, 100, u"", 0},    // no block
  };
  for (const auto& c : cases) {
    char16_t buffer[100];
    std::fill(std::begin(buffer), std::end(buffer), u'#');
    EXPECT_EQ(LoadStringW(nullptr, c.id, buffer, c.max), c.result) << c.id << " " << c.max;
    EXPECT_EQ(std::u16string(buffer), c.text) << c.id << " " << c.max;
  }
  const char16_t* text = nullptr;
  EXPECT_EQ(LoadStringW(nullptr, 17, reinterpret_cast<LPWSTR>(&text), 0), 7);
  EXPECT_EQ(std::u16string(text, 7), u"日本語テキスト");
}

TEST_F(Resources, LoadStringAKeepsWholeDoubleByteCharacters) {
  char buffer[16];
  EXPECT_EQ(LoadStringA(nullptr, 17, buffer, sizeof buffer), 14);
  EXPECT_EQ(std::string(buffer), "日本語テキスト");  // CP932 literal
  EXPECT_EQ(LoadStringA(nullptr, 17, buffer, 6), 4);  // 5 bytes would split the third character
  EXPECT_EQ(std::string(buffer), "日本");
}

TEST_F(Resources, AnsiOnlyPlatformRefusesLoadStringW) {
  winplat::SetAnsiOnlyPlatform(true);
  char16_t buffer[8] = {};
  EXPECT_EQ(LoadStringW(nullptr, 17, buffer, 8), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED));
  EXPECT_NE(FindResourceA(nullptr, MAKEINTRESOURCEA(2), RT_STRING), nullptr);
}

}  // namespace
