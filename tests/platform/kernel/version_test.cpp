#include <gtest/gtest.h>

#include "winbase.h"
#include "winplat_mode.h"
#include "winreg.h"

TEST(Version, NtClassAndTheAnsiOnlyMode) {
  OSVERSIONINFOA a{};
  a.dwOSVersionInfoSize = sizeof a;
  ASSERT_TRUE(GetVersionExA(&a));
  EXPECT_EQ(a.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
  EXPECT_EQ(a.dwMajorVersion, 5u);
  EXPECT_EQ(a.dwMinorVersion, 1u);
  EXPECT_EQ(a.dwBuildNumber, 2600u);
  OSVERSIONINFOEXW w{};
  w.dwOSVersionInfoSize = sizeof w;
  ASSERT_TRUE(GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&w)));
  EXPECT_EQ(w.wServicePackMajor, 3);
  EXPECT_EQ(GetVersion() & 0xFFFF, 0x0105u);
  EXPECT_EQ(GetVersion() & 0x80000000u, 0u);
  OSVERSIONINFOA bad{};
  bad.dwOSVersionInfoSize = 12;
  EXPECT_FALSE(GetVersionExA(&bad));
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);

  winplat::SetAnsiOnlyPlatform(true);
  ASSERT_TRUE(GetVersionExA(&a));
  EXPECT_EQ(a.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_WINDOWS));
  EXPECT_EQ(a.dwMajorVersion, 4u);
  EXPECT_EQ(a.dwMinorVersion, 10u);
  EXPECT_NE(GetVersion() & 0x80000000u, 0u);
  EXPECT_FALSE(GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&w)));
  EXPECT_EQ(GetLastError(), ERROR_CALL_NOT_IMPLEMENTED);
  winplat::SetAnsiOnlyPlatform(false);
}

TEST(Process, IdsAndCommandLine) {
  EXPECT_NE(GetCurrentProcessId(), 0u);
  EXPECT_NE(GetCurrentThreadId(), 0u);
  const std::u16string line = GetCommandLineW();
  EXPECT_NE(line.find(u"test_platform_kernel"), std::u16string::npos);
  EXPECT_NE(std::string(GetCommandLineA()).find("test_platform_kernel"), std::string::npos);
}

TEST(Registry, EmptyUnlessFilledAndCaseBlind) {
  winplat::RegistryClear();
  HKEY k = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\7-ZIP", 0, KEY_READ, &k), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(k, nullptr);
  winplat::RegistrySetString(HKEY_LOCAL_MACHINE, u"Software\\7-Zip", u"Path", u"C:\\Program Files\\7-Zip");
  winplat::RegistrySetDword(HKEY_CURRENT_USER, u"Software\\Board", u"Width", 1024);
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\7-ZIP", 0, KEY_READ, &k), ERROR_SUCCESS);
  DWORD type = 0, size = 0;
  EXPECT_EQ(RegQueryValueExA(k, "PATH", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(size, 23u);  // with the terminator
  char small[4];
  DWORD smallSize = sizeof small;
  EXPECT_EQ(RegQueryValueExA(k, "Path", nullptr, nullptr, reinterpret_cast<BYTE*>(small), &smallSize),
            ERROR_MORE_DATA);
  EXPECT_EQ(smallSize, 23u);
  char buf[64];
  size = sizeof buf;
  EXPECT_EQ(RegQueryValueExA(k, "Path", nullptr, nullptr, reinterpret_cast<BYTE*>(buf), &size), ERROR_SUCCESS);
  EXPECT_STREQ(buf, "C:\\Program Files\\7-Zip");
  char16_t wbuf[64];
  size = sizeof wbuf;
  EXPECT_EQ(RegQueryValueExW(k, u"path", nullptr, nullptr, reinterpret_cast<BYTE*>(wbuf), &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 46u);
  EXPECT_EQ(RegQueryValueExA(k, "Missing", nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegCloseKey(k), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(k), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegQueryValueExA(k, "Path", nullptr, nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
  // A parent of a filled key exists too.
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"software", 0, KEY_READ, &k), ERROR_SUCCESS);
  HKEY sub = nullptr;
  ASSERT_EQ(RegOpenKeyExA(k, "BOARD", 0, KEY_READ, &sub), ERROR_SUCCESS);
  DWORD width = 0;
  size = sizeof width;
  EXPECT_EQ(RegQueryValueExA(sub, "width", nullptr, &type, reinterpret_cast<BYTE*>(&width), &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(width, 1024u);
  RegCloseKey(sub);
  RegCloseKey(k);
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Boar", 0, KEY_READ, &k), ERROR_FILE_NOT_FOUND);
  winplat::RegistryClear();
}
