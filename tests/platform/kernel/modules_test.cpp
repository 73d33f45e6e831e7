#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "internal/modules.h"
#include "winbase.h"
#include "winplat_mode.h"

namespace {
template <class F>
F ProcAs(FARPROC p) {
  return reinterpret_cast<F>(reinterpret_cast<void (*)()>(p));
}
using IntFn = int (*)();
}

TEST(Modules, LibraryByItsWindowsNameInAFolder) {
  const std::string folder = KERNEL_MODULES_DIR;
  std::string name = folder;
  for (auto& c : name)
    if (c == '/') c = '\\';
  name += "\\ZIPVAULT.DLL";
  HMODULE m = LoadLibraryA(name.c_str());
  ASSERT_NE(m, nullptr) << GetLastError();
  auto answer = ProcAs<IntFn>(GetProcAddress(m, "ProbeAnswer"));
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(), 42);
  EXPECT_EQ(GetProcAddress(m, "NoSuchCall"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
  char file[MAX_PATH];
  DWORD n = GetModuleFileNameA(m, file, MAX_PATH);
  EXPECT_EQ(std::string(file, n), std::filesystem::canonical(folder + "/libzipvault.so").string());
  // A second load answers the same module; it stays until both loads are freed.
  HMODULE again = LoadLibraryA(name.c_str());
  EXPECT_EQ(again, m);
  EXPECT_EQ(GetModuleHandleA("zipvault.dll"), m);
  EXPECT_TRUE(FreeLibrary(again));
  EXPECT_NE(GetProcAddress(m, "ProbeAnswer"), nullptr);
  EXPECT_TRUE(FreeLibrary(m));
  EXPECT_FALSE(FreeLibrary(m));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(GetProcAddress(m, "ProbeAnswer"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(Modules, BareNamesSearchTheProgramFolder) {
  HMODULE m = LoadLibraryA("KernelProbe.DLL");  // libkernelprobe.so beside the test program
  ASSERT_NE(m, nullptr) << GetLastError();
  auto twice = ProcAs<int (*)(int)>(GetProcAddress(m, "ProbeTwice"));
  ASSERT_NE(twice, nullptr);
  EXPECT_EQ(twice(21), 42);
  EXPECT_TRUE(FreeLibrary(m));
  EXPECT_EQ(LoadLibraryA("UNZIP32.DLL"), nullptr);  // the other makers' libraries are absent
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
  EXPECT_EQ(LoadLibraryA("C:\\nowhere\\ZIP32J.DLL"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
  EXPECT_EQ(GetModuleHandleA("UNZIP32.DLL"), nullptr);
}

TEST(Modules, SystemLibrariesAreBuiltIn) {
  HMODULE k = LoadLibraryA("KERNEL32.DLL");
  ASSERT_NE(k, nullptr);
  EXPECT_EQ(GetModuleHandleA("kernel32"), k);
  EXPECT_EQ(ProcAs<void*>(GetProcAddress(k, "MoveFileWithProgressA")),
            reinterpret_cast<void*>(&MoveFileWithProgressA));
  EXPECT_EQ(ProcAs<void*>(GetProcAddress(k, "GetVersionExA")), reinterpret_cast<void*>(&GetVersionExA));
  EXPECT_EQ(GetProcAddress(k, "movefilewithprogressa"), nullptr);  // names are exact
  EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
  EXPECT_EQ(GetProcAddress(k, reinterpret_cast<LPCSTR>(uintptr_t{12})), nullptr);  // no ordinals
  EXPECT_TRUE(FreeLibrary(k));
  EXPECT_NE(GetProcAddress(k, "GetTickCount"), nullptr);  // system libraries stay loaded
  HMODULE u = LoadLibraryA("user32.dll");
  ASSERT_NE(u, nullptr);
  EXPECT_NE(u, k);
  EXPECT_NE(GetProcAddress(u, "MessageBoxA"), nullptr);
  EXPECT_EQ(GetProcAddress(u, "GetTickCount"), nullptr);
  EXPECT_NE(GetProcAddress(LoadLibraryA("winmm.dll"), "sndPlaySoundA"), nullptr);
  // Libraries whose calls come later are there but export nothing yet.
  HMODULE dd = LoadLibraryA("DDraw.dll");
  ASSERT_NE(dd, nullptr);
  if (!winplat::FindExport("ddraw.dll", "DirectDrawCreateEx")) {
    EXPECT_EQ(GetProcAddress(dd, "DirectDrawCreateEx"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
  }
  EXPECT_NE(LoadLibraryA("D3DRM.dll"), nullptr);
}

TEST(Modules, ProgramFileName) {
  char a[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, a, MAX_PATH);
  ASSERT_GT(n, 0u);
  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  EXPECT_EQ(std::string(a, n), self);
  char16_t w[MAX_PATH];
  EXPECT_EQ(GetModuleFileNameW(GetModuleHandleA(nullptr), w, MAX_PATH), n);
  // A short buffer gets a cut, terminated name and the buffer size.
  char small[8];
  EXPECT_EQ(GetModuleFileNameA(nullptr, small, sizeof small), 8u);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(std::string(small), self.substr(0, 7));
  EXPECT_EQ(winplat::ProgramFolder(), std::filesystem::path(self).parent_path().string());
}

TEST(Modules, NameMapping) {
  EXPECT_EQ(winplat::CanonicalModuleName("KERNEL32"), "kernel32.dll");
  EXPECT_EQ(winplat::CanonicalModuleName("C:\\Windows\\System32\\DDraw.dll"), "ddraw.dll");
  EXPECT_EQ(winplat::CanonicalModuleName("noext."), "noext");
  EXPECT_TRUE(winplat::IsSystemModuleName("ADVAPI32"));
  EXPECT_FALSE(winplat::IsSystemModuleName("zipvault.dll"));
  const auto c = winplat::LibraryFileCandidates("ZIPVAULT.DLL", "/nonexistent/dir");
  ASSERT_EQ(c.size(), 2u);
  EXPECT_EQ(c[0], "/nonexistent/dir/ZIPVAULT.DLL");
  EXPECT_EQ(c[1], "/nonexistent/dir/libzipvault.so");
}
