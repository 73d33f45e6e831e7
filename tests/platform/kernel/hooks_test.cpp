// The kernel's test switches: the folder libraries are looked for in, the fault hook of the file
// calls, and the trace of the steps that make a replaced file durable.
#include <sys/stat.h>
#include <unistd.h>

#include "scratch.h"
#include "windows.h"
#include "winplat_kernel.h"

namespace {

class Hooks : public ScratchTest {
 protected:
  void TearDown() override {
    winplat::SetFileFaultHook({});
    winplat::SetFileTraceHook({});
    winplat::SetLibraryFolder("");
    ScratchTest::TearDown();
  }
};

TEST_F(Hooks, TheLibraryFolderIsTheOnlyOneSearched) {
  // libkernelprobe.so lies beside the test program; with another folder chosen it is not found.
  winplat::SetLibraryFolder(Dir());
  EXPECT_EQ(LoadLibraryA("KernelProbe.DLL"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  ASSERT_EQ(symlink(KERNEL_MODULES_DIR "/libzipvault.so", (Dir() + "/libzipvault.so").c_str()), 0);
  HMODULE m = LoadLibraryA("ZIPVAULT.DLL");
  ASSERT_NE(m, nullptr);
  EXPECT_NE(GetProcAddress(m, "ProbeAnswer"), nullptr);
  FreeLibrary(m);
  // A path still names its own folder, and the choice can be undone.
  winplat::SetLibraryFolder("");
  m = LoadLibraryA("KernelProbe.DLL");
  EXPECT_NE(m, nullptr);
  if (m) FreeLibrary(m);
}

TEST_F(Hooks, FaultHookFailsOrChangesTheCall) {
  WriteBytes("a.txt", "abc");
  WriteBytes("b.txt", "def");
  std::vector<std::string> calls;
  winplat::SetFileFaultHook([&](const char* call, const std::string& path) -> DWORD {
    calls.push_back(std::string(call) + " " + path.substr(path.rfind('/') + 1));
    if (path.size() >= 5 && path.compare(path.size() - 5, 5, "a.txt") == 0) return ERROR_ACCESS_DENIED;
    if (std::string(call) == "ReadFile") unlink(path.c_str());
    return 0;
  });
  EXPECT_EQ(CreateFileA("a.txt", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  HANDLE h = CreateFileA("b.txt", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  char buf[8];
  DWORD n = 0;
  EXPECT_TRUE(ReadFile(h, buf, sizeof buf, &n, nullptr));  // the open file is still read
  EXPECT_EQ(n, 3u);
  CloseHandle(h);
  EXPECT_EQ(GetFileAttributesA("b.txt"), INVALID_FILE_ATTRIBUTES);  // but it vanished
  EXPECT_EQ(calls, (std::vector<std::string>{"CreateFile a.txt", "CreateFile b.txt", "ReadFile b.txt"}));
}

TEST_F(Hooks, AReplacementIsFlushedRenamedAndItsFolderSynced) {
  WriteBytes("new.tmp", "new");
  WriteBytes("old.zip", "old");
  std::vector<std::string> steps;
  winplat::SetFileTraceHook([&](const std::string& s) { steps.push_back(s); });
  HANDLE h = CreateFileA("new.tmp", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_TRUE(FlushFileBuffers(h));
  CloseHandle(h);
  ASSERT_TRUE(MoveFileExA("new.tmp", "old.zip", MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
  ASSERT_TRUE(MoveFileExA("old.zip", "plain.zip", 0));  // no folder sync without write-through
  const std::string d = Dir();
  EXPECT_EQ(steps, (std::vector<std::string>{"flush " + d + "/new.tmp", "rename " + d + "/new.tmp " + d + "/old.zip",
                                             "sync-folder " + d, "rename " + d + "/old.zip " + d + "/plain.zip"}));
  EXPECT_EQ(ReadBytes("plain.zip"), "new");
}

TEST_F(Hooks, PipesAreNoFiles) {
  ASSERT_EQ(mkfifo("pipe", 0644), 0);
  EXPECT_EQ(GetFileAttributesA("pipe"), static_cast<DWORD>(FILE_ATTRIBUTE_DEVICE));
  WIN32_FIND_DATAA fd;
  HANDLE f = FindFirstFileA("pipe", &fd);
  ASSERT_NE(f, INVALID_HANDLE_VALUE);
  EXPECT_EQ(fd.dwFileAttributes, static_cast<DWORD>(FILE_ATTRIBUTE_DEVICE));
  FindClose(f);
}

}  // namespace
