// Memory and string streams.
#include <gtest/gtest.h>

#include <cstring>
#include "Classes.h"

namespace {

TEST(MemoryStream, WriteReadSeekAndGrowth) {
  TMemoryStream m;
  EXPECT_EQ(m.Size(), 0);
  EXPECT_EQ(m.Memory(), nullptr);
  m.WriteBuffer("hello", 5);
  EXPECT_EQ(m.Size(), 5);
  EXPECT_EQ(m.Position(), 5);
  EXPECT_GE(m.Capacity(), 5);
  EXPECT_EQ(m.Capacity() % 0x2000, 0);
  m.SetPosition(1);
  char buf[8] = {};
  EXPECT_EQ(m.Read(buf, 8), 4);
  EXPECT_STREQ(buf, "ello");
  EXPECT_EQ(m.Read(buf, 8), 0);
  EXPECT_THROW(m.ReadBuffer(buf, 1), EReadError);
  // Writing past the end leaves a zeroed gap.
  m.Seek(10, soBeginning);
  m.WriteBuffer("!", 1);
  EXPECT_EQ(m.Size(), 11);
  const char* p = static_cast<const char*>(m.Memory());
  for (int i = 5; i < 10; ++i) EXPECT_EQ(p[i], 0);
  EXPECT_EQ(m.Seek(-1, soEnd), 10);
  EXPECT_EQ(m.Seek(-4, soCurrent), 6);
}

TEST(MemoryStream, SetSizeClearAndCopies) {
  TMemoryStream m;
  m.SetSize(100000);
  EXPECT_EQ(m.Size(), 100000);
  const unsigned char* p = static_cast<const unsigned char*>(m.Memory());
  for (int i = 0; i < 100000; i += 997) ASSERT_EQ(p[i], 0);
  std::memset(m.Memory(), 0xAB, 100000);
  m.SetSize(10);
  m.SetSize(20);
  p = static_cast<const unsigned char*>(m.Memory());
  EXPECT_EQ(p[9], 0xAB);
  EXPECT_EQ(p[15], 0);  // a shrunk tail does not come back
  TMemoryStream copy;
  m.SetPosition(3);
  copy.CopyFrom(&m, 0);  // 0: the whole source from its start
  EXPECT_EQ(copy.Size(), 20);
  TMemoryStream part;
  m.SetPosition(5);
  EXPECT_EQ(part.CopyFrom(&m, 4), 4);
  EXPECT_EQ(part.Size(), 4);
  m.SetPosition(18);
  EXPECT_THROW(part.CopyFrom(&m, 5), EReadError);
  TMemoryStream loaded;
  loaded.LoadFromStream(&copy);
  EXPECT_EQ(std::memcmp(loaded.Memory(), copy.Memory(), 20), 0);
  loaded.Clear();
  EXPECT_EQ(loaded.Size(), 0);
  EXPECT_EQ(loaded.Position(), 0);
}

TEST(MemoryStream, SaveToStreamAndPositionAfterShrink) {
  TMemoryStream a;
  a.WriteBuffer("0123456789", 10);
  EXPECT_EQ(a.Position(), 10);
  a.SetSize(4);
  EXPECT_EQ(a.Position(), 4);
  TStringStream s;
  a.SaveToStream(&s);
  EXPECT_EQ(s.DataString(), "0123");
}

TEST(StringStream, ReadWrite) {
  TStringStream s("abc");
  EXPECT_EQ(s.Size(), 3);
  EXPECT_EQ(s.ReadString(2), "ab");
  s.WriteString("XYZ");
  EXPECT_EQ(s.DataString(), "abXYZ");
  s.SetPosition(0);
  char c;
  s.ReadBuffer(&c, 1);
  EXPECT_EQ(c, 'a');
  s.SetSize(1);
  EXPECT_EQ(s.DataString(), "a");
}

}  // namespace
