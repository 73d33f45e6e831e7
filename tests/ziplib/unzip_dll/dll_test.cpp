// libzipvault.so loaded by its Windows file name, as the blackboard loads it: every extraction
// entry found by name, aliases at one address, and a listing, a check and a memory extraction
// through the loaded library.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "windows.h"
#include "winplat_screen.h"

// The caller's own view of the interface, as a program that loads the library declares it.
typedef void* ZV_HWND;
typedef void* ZV_HARC;
typedef void* ZV_HGLOBAL;
#pragma pack(push, 1)
struct TArchiveEntryInfo {
  uint32_t dwOriginalSize, dwCompressedSize, dwCRC, uFlag, uOSType;
  uint16_t wRatio, wDate, wTime;
  char szFileName[513];
  char dummy1[3];
  char szAttribute[8];
  char szMode[8];
};
#pragma pack(pop)
static_assert(sizeof(TArchiveEntryInfo) == 558);

namespace {

const char* const kNames[] = {"Zip",           "Unzip",          "UnzipOpenArchive",  "UnzipCloseArchive",
                              "UnzipFindFirst", "UnzipFindNext",  "UnzipExtractToMem", "UnzipExtractAll",
                              "UnzipCheckArchive", "UnzipGetVersion", "UnzipGetRunning", "UnzipGetBackGroundMode",
                              "UnzipSetCursorMode", "UnzipSetBackGroundMode", "DllEntryPoint"};

template <class F>
F entry(HMODULE m, const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(m, name)));
}

class ZipvaultDll : public ::testing::Test {
 protected:
  void SetUp() override {
    m = LoadLibraryA((std::string(VSE_BIN_DIR) + "/ZIPVAULT.DLL").c_str());
    ASSERT_NE(m, nullptr) << GetLastError();
  }
  void TearDown() override {
    if (m) FreeLibrary(m);
  }
  HMODULE m = nullptr;
};

TEST_F(ZipvaultDll, EveryEntryByNameAndAliasesShareAnAddress) {
  for (const char* n : kNames) EXPECT_NE(GetProcAddress(m, n), nullptr) << n;
  EXPECT_EQ(GetProcAddress(m, "UnzipGetRunning"), GetProcAddress(m, "UnzipGetBackGroundMode"));
  EXPECT_EQ(GetProcAddress(m, "UnzipSetCursorMode"), GetProcAddress(m, "UnzipSetBackGroundMode"));
  // The caller asks for these too; they are not exported.
  EXPECT_EQ(GetProcAddress(m, "UnzipExtractMem"), nullptr);
  EXPECT_EQ(GetProcAddress(m, "UnzipSetOwnerWindowEx"), nullptr);
  EXPECT_EQ(entry<int (*)()>(m, "UnzipGetVersion")(), 131);
}

TEST_F(ZipvaultDll, OnlyTheEntriesAreVisible) {
  std::string cmd = "nm -D --defined-only '" + std::string(VSE_BIN_DIR) + "/libzipvault.so'";
  std::unique_ptr<FILE, int (*)(FILE*)> p(popen(cmd.c_str(), "r"), pclose);
  ASSERT_TRUE(p);
  std::set<std::string> seen;
  char line[512];
  while (fgets(line, sizeof line, p.get())) {
    char addr[64], type[8], name[400];
    if (sscanf(line, "%63s %7s %399s", addr, type, name) == 3 && std::strchr("TtWiDdBb", type[0]) &&
        std::string(name).find('@') == std::string::npos)
      seen.insert(name);
  }
  EXPECT_EQ(seen, std::set<std::string>(std::begin(kNames), std::end(kNames)));
}

TEST_F(ZipvaultDll, ListCheckAndExtractThroughTheLibrary) {
  const std::string arc = std::string(TEST_DATA_DIR) + "/ziplib/legacy/implode-first.zip";
  auto unzip = entry<int (*)(ZV_HWND, const char*, char*, uint32_t)>(m, "Unzip");
  char buf[1024];
  std::string cmd = "-l \"" + arc + "\"";
  ASSERT_EQ(unzip(nullptr, cmd.c_str(), buf, sizeof buf), 0);
  EXPECT_NE(std::strstr(buf, "  first.txt\r\n"), nullptr) << buf;

  EXPECT_EQ(entry<int (*)(const char*, int)>(m, "UnzipCheckArchive")(arc.c_str(), 24), 1);

  auto open = entry<ZV_HARC (*)(ZV_HWND, const char*, uint32_t)>(m, "UnzipOpenArchive");
  auto first = entry<int (*)(ZV_HARC, const char*, TArchiveEntryInfo*)>(m, "UnzipFindFirst");
  auto next = entry<int (*)(ZV_HARC, TArchiveEntryInfo*)>(m, "UnzipFindNext");
  auto close = entry<int (*)(ZV_HARC)>(m, "UnzipCloseArchive");
  ZV_HARC h = open(nullptr, arc.c_str(), 8388610);
  ASSERT_NE(h, nullptr);
  TArchiveEntryInfo info;
  ASSERT_EQ(first(h, "", &info), 0);
  EXPECT_STREQ(info.szFileName, "first.txt");
  EXPECT_STREQ(info.szMode, "Implode");
  EXPECT_EQ(next(h, &info), -1);
  EXPECT_EQ(close(h), 0);

  auto mem = entry<int (*)(ZV_HWND, const char*, const char*, ZV_HGLOBAL*, uint32_t*)>(m, "UnzipExtractToMem");
  ZV_HGLOBAL block = nullptr;
  uint32_t size = 0;
  ASSERT_EQ(mem(nullptr, arc.c_str(), "first.txt", &block, &size), 0);
  EXPECT_EQ(size, info.dwOriginalSize);
  // The block belongs to the caller, who frees it with the platform's global memory calls.
  EXPECT_NE(GlobalLock(block), nullptr);
  GlobalUnlock(block);
  EXPECT_EQ(GlobalFree(block), nullptr);
}

// One call of the library at a time, for any pair of entries: a call made while another runs
// (here from the message box the running call shows) returns an error at once and does nothing.
TEST_F(ZipvaultDll, NoCallWhileAnotherRuns) {
  auto zip = entry<int (*)(ZV_HWND, const char*, char*, uint32_t)>(m, "Zip");
  auto unzip = entry<int (*)(ZV_HWND, const char*, char*, uint32_t)>(m, "Unzip");
  auto check = entry<int (*)(const char*, int)>(m, "UnzipCheckArchive");
  auto open = entry<ZV_HARC (*)(ZV_HWND, const char*, uint32_t)>(m, "UnzipOpenArchive");
  auto first = entry<int (*)(ZV_HARC, const char*, TArchiveEntryInfo*)>(m, "UnzipFindFirst");
  auto next = entry<int (*)(ZV_HARC, TArchiveEntryInfo*)>(m, "UnzipFindNext");
  auto close = entry<int (*)(ZV_HARC)>(m, "UnzipCloseArchive");
  auto mem = entry<int (*)(ZV_HWND, const char*, const char*, ZV_HGLOBAL*, uint32_t*)>(m, "UnzipExtractToMem");
  auto all = entry<int (*)(ZV_HWND, const char*, const char*, uint32_t)>(m, "UnzipExtractAll");
  std::remove("nested.zip");
  std::remove("guard.zip");
  FILE* f = std::fopen("a.txt", "wb");
  std::fputs("guarded", f);
  std::fclose(f);
  ASSERT_EQ(zip(nullptr, "guard.zip a.txt", nullptr, 0), 0);
  ZV_HARC h = open(nullptr, "guard.zip", 0);
  ASSERT_NE(h, nullptr);

  std::vector<int> nested;
  auto nested_calls = [&] {
    TArchiveEntryInfo info;
    nested.push_back(zip(nullptr, "nested.zip a.txt", nullptr, 0));
    nested.push_back(unzip(nullptr, "-t guard.zip", nullptr, 0));
    nested.push_back(check("guard.zip", 0));
    nested.push_back(open(nullptr, "guard.zip", 0) == nullptr);
    nested.push_back(first(h, "", &info));
    nested.push_back(next(h, &info));
    ZV_HGLOBAL block = nullptr;
    uint32_t size = 0;
    nested.push_back(mem(nullptr, "guard.zip", "a.txt", &block, &size));
    nested.push_back(block == nullptr);
    nested.push_back(all(nullptr, "guard.zip", "nested", 0x8));
  };
  const std::vector<int> refused{-1, -1, 0, 1, -1, -1, -1, 1, -1};
  winplat::screen::SetMessageBoxAnswerer([&](const winplat::screen::MessageBoxRequest&) {
    nested_calls();
    return IDOK;
  });
  // Zip shows its warning for the name that matched nothing.
  EXPECT_EQ(zip(nullptr, "guard.zip a.txt nothing.txt", nullptr, 0), 0);
  EXPECT_EQ(nested, refused);
  // Unzip shows a box for an entry it skips.
  ASSERT_EQ(std::system("python3 -c \"import zipfile; zipfile.ZipFile('evil.zip','w').writestr('../evil.txt','x')\""), 0);
  nested.clear();
  EXPECT_EQ(unzip(nullptr, "-x evil.zip out", nullptr, 0), 1);
  winplat::screen::SetMessageBoxAnswerer({});
  EXPECT_EQ(nested, refused);
  EXPECT_EQ(std::fopen("nested.zip", "rb"), nullptr);
  EXPECT_EQ(std::fopen("nested/a.txt", "rb"), nullptr);
  // Afterwards everything runs again.
  TArchiveEntryInfo info;
  EXPECT_EQ(first(h, "", &info), 0);
  EXPECT_STREQ(info.szFileName, "a.txt");
  EXPECT_EQ(close(h), 0);
  EXPECT_EQ(check("guard.zip", 0), 1);
}

}  // namespace
