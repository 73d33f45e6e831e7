// Failures the compressor reports to the engine: read errors, write errors, bad levels.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/ziplib/compressor/compressor_test_util.h"
#include "ziplib/consts.h"

using namespace ztest;
using zipvault::Deflater;

// A read error is not the end of the data: the entry is reported incomplete, at every level and
// when storing, and the count says how much was read.
TEST(DeflateErrors, ReadErrorIsReportedNotTakenAsEnd) {
  Bytes text = make_text(300000);
  auto d = std::make_unique<Deflater>();
  for (int level : {0, 1, 6, 9}) {
    for (uint64_t at : {uint64_t{0}, uint64_t{100000}}) {
      MemoryZipIO io(text, 8192);
      io.fail_read_at = at;
      auto r = d->zip_entry_data(io, level, zipvault::METHOD_DEFLATED);
      EXPECT_EQ(r.code, zipvault::ZE_READ) << level << " " << at;
      EXPECT_EQ(r.usize, at);
    }
  }
  // The engine stays usable for the next file.
  Compressed c = compress(*d, text, 6);
  EXPECT_EQ(c.r.code, zipvault::ZE_OK);
  Bytes back;
  ASSERT_TRUE(zlib_inflate_raw(c.data, back, text.size()));
  EXPECT_EQ(back, text);
}

// A source that claims more bytes than asked for is a read error, never an overrun.
TEST(DeflateErrors, OversizedReadCountIsAnError) {
  struct Liar : zipvault::ZipEntryIO {
    ptrdiff_t file_read(uint8_t* buf, size_t size) override {
      std::memset(buf, 'a', size);
      return static_cast<ptrdiff_t>(size + 10);
    }
    bool write_out(const uint8_t*, size_t) override { return true; }
  } io;
  auto d = std::make_unique<Deflater>();
  EXPECT_EQ(d->zip_entry_data(io, 6, zipvault::METHOD_DEFLATED).code, zipvault::ZE_READ);
  EXPECT_EQ(d->zip_entry_data(io, 0, zipvault::METHOD_STORED).code, zipvault::ZE_READ);
}

// The archive stream refuses bytes: compressed output is error 5 "write error on zip file", a
// stored copy error 10, whatever the point where it happens.
TEST(DeflateErrors, WriteErrors) {
  Bytes text = make_text(200000);
  auto d = std::make_unique<Deflater>();
  for (uint64_t limit : {uint64_t{0}, uint64_t{5000}, uint64_t{40000}}) {
    for (int level : {1, 6, 9}) {
      MemoryZipIO io(text);
      io.out_limit = limit;
      auto r = d->zip_entry_data(io, level, zipvault::METHOD_DEFLATED);
      EXPECT_EQ(r.code, zipvault::ZE_LOGIC);
      EXPECT_STREQ(r.text, "write error on zip file");
      EXPECT_LE(io.out.size(), limit);
    }
    MemoryZipIO io(text);
    io.out_limit = limit;
    auto r = d->zip_entry_data(io, 0, zipvault::METHOD_STORED);
    EXPECT_EQ(r.code, zipvault::ZE_TEMP);
  }
}

TEST(DeflateErrors, BadPackLevel) {
  Bytes text = make_text(100);
  auto d = std::make_unique<Deflater>();
  for (int level : {-1, 10, 99}) {
    MemoryZipIO io(text);
    auto r = d->zip_entry_data(io, level, zipvault::METHOD_DEFLATED);
    EXPECT_EQ(r.code, zipvault::ZE_LOGIC);
    EXPECT_STREQ(r.text, "bad pack level");
    EXPECT_TRUE(io.out.empty());
  }
}
