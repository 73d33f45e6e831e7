#include <gtest/gtest.h>

#include <cstring>

#include "winbase.h"

TEST(GlobalMemory, FixedAndMoveableBlocks) {
  HGLOBAL fixed = GlobalAlloc(GPTR, 100);
  ASSERT_NE(fixed, nullptr);
  EXPECT_EQ(GlobalLock(fixed), fixed);  // a fixed block's handle is its address
  EXPECT_EQ(GlobalSize(fixed), 100u);
  EXPECT_EQ(GlobalHandle(fixed), fixed);
  const auto* bytes = static_cast<const unsigned char*>(fixed);
  for (int i = 0; i < 100; ++i) ASSERT_EQ(bytes[i], 0);
  EXPECT_EQ(GlobalReAlloc(fixed, 200, 0), nullptr);  // a fixed block does not move unless allowed
  HGLOBAL moved = GlobalReAlloc(fixed, 200, GMEM_MOVEABLE | GMEM_ZEROINIT);
  ASSERT_NE(moved, nullptr);
  EXPECT_EQ(GlobalSize(moved), 200u);
  EXPECT_EQ(GlobalFree(moved), nullptr);

  HGLOBAL h = GlobalAlloc(GHND, 16);
  ASSERT_NE(h, nullptr);
  auto* p = static_cast<char*>(GlobalLock(h));
  ASSERT_NE(p, nullptr);
  EXPECT_NE(static_cast<void*>(p), h);
  std::memcpy(p, "chalkboard", 11);
  EXPECT_EQ(GlobalHandle(p), h);
  EXPECT_EQ(GlobalFlags(h) & GMEM_LOCKCOUNT, 1u);
  EXPECT_NE(GlobalLock(h), nullptr);
  EXPECT_TRUE(GlobalUnlock(h));    // still locked once
  EXPECT_FALSE(GlobalUnlock(h));   // now unlocked
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  EXPECT_FALSE(GlobalUnlock(h));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_LOCKED));
  ASSERT_EQ(GlobalReAlloc(h, 4096, GMEM_ZEROINIT), h);  // the handle stays, the data moves along
  p = static_cast<char*>(GlobalLock(h));
  EXPECT_STREQ(p, "chalkboard");
  EXPECT_EQ(p[4000], 0);
  GlobalUnlock(h);
  EXPECT_EQ(GlobalFree(h), nullptr);
  // Freed and forged handles are refused.
  EXPECT_EQ(GlobalFree(h), h);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(GlobalLock(h), nullptr);
  EXPECT_EQ(GlobalSize(h), 0u);
  int local = 0;
  EXPECT_EQ(GlobalSize(&local), 0u);
  EXPECT_EQ(GlobalLock(&local), nullptr);

  HLOCAL l = LocalAlloc(LPTR, 8);
  EXPECT_EQ(LocalSize(l), 8u);
  EXPECT_EQ(LocalFree(l), nullptr);
  void* hp = HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, 24);
  EXPECT_EQ(HeapSize(GetProcessHeap(), 0, hp), 24u);
  EXPECT_TRUE(HeapFree(GetProcessHeap(), 0, hp));
}

TEST(VirtualMemory, WrittenCodeRunsAfterProtect) {
  const unsigned char code[] = {0xB8, 0x2A, 0x00, 0x00, 0x00, 0xC3};  // mov eax, 42; ret
  void* mem = VirtualAlloc(nullptr, 2048, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  ASSERT_NE(mem, nullptr);
  std::memcpy(mem, code, sizeof code);
  DWORD old = 0;
  ASSERT_TRUE(VirtualProtect(mem, 2048, PAGE_EXECUTE_READ, &old));
  EXPECT_EQ(old, static_cast<DWORD>(PAGE_READWRITE));
  FlushInstructionCache(GetCurrentProcess(), mem, 2048);
#if defined(__x86_64__)
  auto fn = reinterpret_cast<int (*)()>(mem);
  EXPECT_EQ(fn(), 42);
#endif
  EXPECT_FALSE(VirtualFree(mem, 2048, MEM_RELEASE));  // release takes size 0
  EXPECT_TRUE(VirtualFree(mem, 0, MEM_RELEASE));
  EXPECT_FALSE(VirtualFree(mem, 0, MEM_RELEASE));
  EXPECT_FALSE(VirtualProtect(mem, 16, PAGE_READONLY, &old));
}

TEST(VirtualMemory, ReadWriteExecuteAndReserveThenCommit) {
  void* rwx = VirtualAlloc(nullptr, 4096, MEM_COMMIT, PAGE_EXECUTE_READWRITE);
  ASSERT_NE(rwx, nullptr);
  const unsigned char code[] = {0xB8, 0x07, 0x00, 0x00, 0x00, 0xC3};  // mov eax, 7; ret
  std::memcpy(rwx, code, sizeof code);
#if defined(__x86_64__)
  EXPECT_EQ(reinterpret_cast<int (*)()>(rwx)(), 7);
#endif
  EXPECT_TRUE(VirtualFree(rwx, 0, MEM_RELEASE));

  char* base = static_cast<char*>(VirtualAlloc(nullptr, 1 << 20, MEM_RESERVE, PAGE_NOACCESS));
  ASSERT_NE(base, nullptr);
  char* page = static_cast<char*>(VirtualAlloc(base + 8192, 100, MEM_COMMIT, PAGE_READWRITE));
  ASSERT_EQ(page, base + 8192);
  page[99] = 1;
  EXPECT_TRUE(VirtualFree(page, 4096, MEM_DECOMMIT));
  int other = 0;
  EXPECT_EQ(VirtualAlloc(&other, 16, MEM_COMMIT, PAGE_READWRITE), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_ADDRESS));
  EXPECT_EQ(VirtualAlloc(nullptr, 16, MEM_COMMIT, 0x12345), nullptr);
  EXPECT_TRUE(VirtualFree(base, 0, MEM_RELEASE));
}
