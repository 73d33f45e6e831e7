// Listings, member records, the archive check, memory extraction and the output buffer.
#include <cstring>

#include "unzip_test_util.h"

using namespace utest;

namespace {

TEST_F(UnzipTest, ShortListing) {
  std::string out;
  EXPECT_EQ(unzip("-l " + arc("py_basic.zip"), &out), 0);
  EXPECT_EQ(out,
            "    Length    Date    Time    Name\r\n"
            " ---------    ----    ----    ----\r\n"
            "     18  03-01-07  14:05   hello.txt\r\n"
            "      0  03-01-07  14:05   docs/\r\n"
            "  50000  03-01-07  14:05   docs/a/b.txt\r\n"
            " 100000  03-01-07  14:05   big.bin\r\n"
            "      0  03-01-07  14:05   empty.txt\r\n"
            " ---------                    -------\r\n"
            " 150018                    5      \r\n");
  EXPECT_FALSE(fs::exists("hello.txt"));
}

TEST_F(UnzipTest, LongListingRatiosMethodsAttributes) {
  std::string out;
  EXPECT_EQ(unzip("-v " + arc("ratio.zip"), &out), 0);
  EXPECT_EQ(out,
            "    Length   Method    Size   Ratio   Date      Time     CRC-32  Attr  Name\r\n"
            " ---------   ------  -------- -----   ----      ----    -------- ----  ----\r\n"
            "      1000  DeflatN       400  60%  03-01-07  14:05:30  9a38da03 a--r  r400.bin\r\n"
            "      1000  DeflatX       600  40%  03-01-07  14:05:30  b604a24f ---w  r600.bin\r\n"
            "       100  Unk:012       110 -10%  03-01-07  14:05:30  ea9255e4 a--w  grew.bin\r\n"
            " ---------           --------  ---                                     -------\r\n"
            "      2100               1110  47%                                           3\r\n");
}

TEST_F(UnzipTest, ListingMarksControlBytesAndShowsOnlyTheComment) {
  std::string out;
  EXPECT_GE(unzip("-l " + arc("traversal.zip"), &out), 0);
  EXPECT_NE(out.find("   ctl^Aname.txt\r\n"), std::string::npos);
  EXPECT_EQ(unzip("-z " + arc("py_basic.zip"), &out), 0);
  EXPECT_EQ(out, "board comment");
}

TEST_F(UnzipTest, OutputBufferTakesOnlyWholeTexts) {
  // 10 bytes: the header does not fit, and nothing after it is written either.
  char buf[16];
  memset(buf, 'Z', sizeof buf);
  std::string cmd = "-l " + arc("py_basic.zip");
  EXPECT_EQ(Unzip(nullptr, cmd.c_str(), buf, 10), 0);
  EXPECT_EQ(buf[0], '\0');
  for (int i = 10; i < 16; ++i) EXPECT_EQ(buf[i], 'Z');
  // A null buffer with a size is a buffer of capacity 0.
  EXPECT_EQ(Unzip(nullptr, cmd.c_str(), nullptr, 1000), 0);
  // Exactly the comment and its NUL.
  char c[14];
  memset(c, 'Z', sizeof c);
  std::string z = "-z " + arc("py_basic.zip");
  EXPECT_EQ(Unzip(nullptr, z.c_str(), c, 14), 0);
  EXPECT_STREQ(c, "board comment");
  memset(c, 'Z', sizeof c);
  EXPECT_EQ(Unzip(nullptr, z.c_str(), c, 13), 0);
  EXPECT_EQ(c[0], '\0');
  EXPECT_EQ(c[13], 'Z');
}

TEST_F(UnzipTest, MemberRecords) {
  ZV_HARC h = UnzipOpenArchive(nullptr, arc("ratio.zip").c_str(), 8388610);
  ASSERT_NE(h, nullptr);
  TArchiveEntryInfo info;
  memset(&info, 0x55, sizeof info);
  ASSERT_EQ(UnzipFindFirst(h, "*", &info), 0);
  EXPECT_EQ(info.dwOriginalSize, 1000u);
  EXPECT_EQ(info.dwCompressedSize, 400u);
  EXPECT_EQ(info.dwCRC, 0x9a38da03u);
  EXPECT_EQ(info.uFlag, 0u);
  EXPECT_EQ(info.uOSType, 0u);
  EXPECT_EQ(info.wRatio, 0u);
  EXPECT_EQ(info.wDate, ((2007 - 1980) << 9) | (3 << 5) | 1);
  EXPECT_EQ(info.wTime, (14 << 11) | (5 << 5) | 15);
  EXPECT_STREQ(info.szFileName, "r400.bin");
  EXPECT_STREQ(info.szAttribute, "a--r");
  EXPECT_STREQ(info.szMode, "DeflatN");
  // The record is zeroed before it is filled.
  const auto* raw = reinterpret_cast<const uint8_t*>(&info);
  for (size_t i = 26 + 9; i < 542; ++i) ASSERT_EQ(raw[i], 0) << i;
  ASSERT_EQ(UnzipFindNext(h, &info), 0);
  EXPECT_STREQ(info.szMode, "DeflatX");
  ASSERT_EQ(UnzipFindNext(h, &info), 0);
  EXPECT_STREQ(info.szMode, "Unk:012");
  EXPECT_EQ(UnzipFindNext(h, &info), -1);
  // FindFirst starts again.
  ASSERT_EQ(UnzipFindFirst(h, nullptr, &info), 0);
  EXPECT_STREQ(info.szFileName, "r400.bin");
  EXPECT_EQ(UnzipFindNext(h, nullptr), -1);
  EXPECT_EQ(UnzipCloseArchive(h), 0);
  // A closed, unknown or null handle.
  EXPECT_EQ(UnzipFindFirst(h, nullptr, &info), -1);
  EXPECT_EQ(UnzipFindNext(reinterpret_cast<ZV_HARC>(0x1234), &info), -1);
  EXPECT_EQ(UnzipCloseArchive(h), 0);
  EXPECT_EQ(UnzipCloseArchive(nullptr), 0);
}

TEST_F(UnzipTest, EncryptedRecordsLoseTheHeaderSize) {
  ZV_HARC h = UnzipOpenArchive(nullptr, arc("encrypted.zip").c_str(), 0);
  ASSERT_NE(h, nullptr);
  TArchiveEntryInfo info;
  ASSERT_EQ(UnzipFindFirst(h, nullptr, &info), 0);
  ASSERT_EQ(UnzipFindNext(h, &info), 0);
  EXPECT_STREQ(info.szFileName, "secret2.txt");
  EXPECT_EQ(info.dwCompressedSize, 13u);
  EXPECT_STREQ(info.szMode, "Stored");
  UnzipCloseArchive(h);
  EXPECT_TRUE(answerer->Shown().empty());
}

TEST_F(UnzipTest, OpenArchiveRefusesWarningsAndFailures) {
  for (const char* n : {"prefixed.zip", "empty.zip", "tiny.zip", "missing.zip", "huge_count.zip"})
    EXPECT_EQ(UnzipOpenArchive(nullptr, arc(n).c_str(), 0), nullptr) << n;
  EXPECT_EQ(UnzipOpenArchive(nullptr, archives().c_str(), 0), nullptr);
}

TEST_F(UnzipTest, CheckArchive) {
  EXPECT_EQ(UnzipCheckArchive(arc("py_basic.zip").c_str(), 24), 1);
  EXPECT_EQ(UnzipCheckArchive(arc("py_basic.zip").c_str(), 2), 1);
  EXPECT_EQ(UnzipCheckArchive(arc("cp932.zip").c_str(), 0), 1);
  for (const char* n : {"prefixed.zip", "empty.zip", "tiny.zip", "missing.zip"})
    EXPECT_EQ(UnzipCheckArchive(arc(n).c_str(), 24), 0) << n;
  EXPECT_EQ(UnzipCheckArchive(nullptr, 24), 0);
}

TEST_F(UnzipTest, ExtractToMemory) {
  HGLOBAL block = nullptr;
  uint32_t size = 0;
  ASSERT_EQ(UnzipExtractToMem(nullptr, arc("py_basic.zip").c_str(), "hello.txt", &block, &size), 0);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(size, 18u);
  EXPECT_EQ(GlobalSize(block), 20u);
  auto* p = static_cast<const char*>(GlobalLock(block));
  EXPECT_EQ(std::string(p, 18), "Hello, blackboard\n");
  EXPECT_EQ(p[18], 0);
  GlobalUnlock(block);
  GlobalFree(block);

  ASSERT_EQ(UnzipExtractToMem(nullptr, arc("py_basic.zip").c_str(), "docs/a/b.txt", &block, &size), 0);
  EXPECT_EQ(size, 50000u);
  p = static_cast<const char*>(GlobalLock(block));
  EXPECT_EQ(std::string(p, size), read_file(arc("plain/docs/a/b.txt")));
  GlobalUnlock(block);
  GlobalFree(block);

  // Duplicate names: the first one.
  ASSERT_EQ(UnzipExtractToMem(nullptr, arc("dup.zip").c_str(), "same.txt", &block, &size), 0);
  EXPECT_EQ(std::string(static_cast<const char*>(GlobalLock(block)), size), "first");
  GlobalUnlock(block);
  GlobalFree(block);

  // Failures: NULL and 1; more data than stated is an error.
  struct Case {
    const char* archive;
    const char* entry;
    int result;
  } cases[] = {{"py_basic.zip", "nothere.txt", 11}, {"bomb.zip", "bomb.bin", 2}, {"missing.zip", "a", 9},
               {"huge_count.zip", "one.txt", 3}};
  for (const auto& c : cases) {
    block = reinterpret_cast<HGLOBAL>(1);
    size = 0;
    EXPECT_EQ(UnzipExtractToMem(nullptr, arc(c.archive).c_str(), c.entry, &block, &size), c.result) << c.archive;
    EXPECT_EQ(block, nullptr);
    EXPECT_EQ(size, 1u);
  }
  // Null out-pointers are an error, not a crash.
  EXPECT_EQ(UnzipExtractToMem(nullptr, arc("py_basic.zip").c_str(), "hello.txt", nullptr, &size), -1);
  EXPECT_EQ(size, 1u);
  EXPECT_EQ(UnzipExtractToMem(nullptr, arc("py_basic.zip").c_str(), "hello.txt", &block, nullptr), -1);
  EXPECT_EQ(block, nullptr);
}

TEST_F(UnzipTest, ExtractToMemoryWithPassword) {
  answerer->Push(IDOK);
  zipvault::script_password_input("chalk");
  HGLOBAL block = nullptr;
  uint32_t size = 0;
  ASSERT_EQ(UnzipExtractToMem(nullptr, arc("encrypted.zip").c_str(), "secret3.txt", &block, &size), 0);
  EXPECT_EQ(size, 5000u);
  GlobalFree(block);
}

}  // namespace
