#include <gtest/gtest.h>
#include "internal/handles.h"
#include "winerror.h"
#include <thread>

using winplat::HandleKind;
using winplat::HandleObject;
using winplat::HandleTable;

TEST(HandleTable, StaleAndForgedHandlesAreRejected) {
  auto& t = HandleTable::Instance();
  void* h = t.Add(HandleKind::Other, std::make_shared<HandleObject>());
  ASSERT_NE(h, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_NE(t.Lookup(h, HandleKind::Other), nullptr);
  EXPECT_EQ(t.Lookup(h, HandleKind::File), nullptr);  // wrong kind
  EXPECT_FALSE(t.Remove(h, HandleKind::File));
  EXPECT_TRUE(t.Remove(h, HandleKind::Other));
  EXPECT_EQ(t.Lookup(h, HandleKind::Other), nullptr);  // stale
  void* again = t.Add(HandleKind::Other, std::make_shared<HandleObject>());
  EXPECT_NE(again, h);  // the slot is reused under a new generation
  EXPECT_EQ(t.Lookup(h, HandleKind::Other), nullptr);
  for (uintptr_t forged : {uintptr_t{1}, uintptr_t{4}, uintptr_t{0xDEADBEEF0}, ~uintptr_t{0}})
    EXPECT_EQ(t.Lookup(reinterpret_cast<void*>(forged), HandleKind::Other), nullptr);
  EXPECT_TRUE(t.Remove(again, HandleKind::Other));
}

TEST(LastError, IsPerThread) {
  SetLastError(ERROR_FILE_NOT_FOUND);
  DWORD seen = 1234;
  std::thread([&] { seen = GetLastError(); }).join();
  EXPECT_EQ(seen, 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}
