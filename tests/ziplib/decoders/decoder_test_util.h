// Helpers of the decoder tests: file reading, a tiny ZIP reader, running a decoder in memory.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "ziplib/entry_io.h"
#include "ziplib/inflate.h"
#include "ziplib/legacy.h"

namespace ztest {

using Bytes = std::vector<uint8_t>;

inline Bytes read_file(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(f), {});
}

inline std::string legacy_dir() { return std::string(TEST_DATA_DIR) + "/ziplib/legacy/"; }

inline uint32_t le16(const Bytes& b, size_t o) { return b.at(o) | b.at(o + 1) << 8; }
inline uint32_t le32(const Bytes& b, size_t o) { return le16(b, o) | le16(b, o + 2) << 16; }

// One member as the central directory describes it, with its data located through the local
// header.
struct Member {
  std::string name;
  uint16_t method = 0, flags = 0;
  uint32_t crc = 0, csize = 0, ucsize = 0;
  size_t data_offset = 0;
};

inline std::vector<Member> read_members(const Bytes& zip) {
  std::vector<Member> out;
  size_t eocd = zip.size() >= 22 ? zip.size() - 22 : 0;
  while (eocd > 0 && le32(zip, eocd) != 0x06054b50) --eocd;
  if (le32(zip, eocd) != 0x06054b50) return out;
  unsigned count = le16(zip, eocd + 10);
  size_t p = le32(zip, eocd + 16);
  for (unsigned i = 0; i < count; ++i) {
    if (le32(zip, p) != 0x02014b50) break;
    Member m;
    m.flags = le16(zip, p + 8);
    m.method = le16(zip, p + 10);
    m.crc = le32(zip, p + 16);
    m.csize = le32(zip, p + 20);
    m.ucsize = le32(zip, p + 24);
    unsigned nlen = le16(zip, p + 28), xlen = le16(zip, p + 30), clen = le16(zip, p + 32);
    size_t local = le32(zip, p + 42);
    m.name.assign(zip.begin() + p + 46, zip.begin() + p + 46 + nlen);
    m.data_offset = local + 30 + le16(zip, local + 26) + le16(zip, local + 28);
    out.push_back(m);
    p += 46 + nlen + xlen + clen;
  }
  return out;
}

struct Decoded {
  int rc = -1;
  Bytes out;
  uint32_t crc = 0;
  uint64_t used = 0;
  size_t flushes = 0;
};

// Runs the decoder of `method` over data, handed out in pieces of `piece` bytes.
inline Decoded decode(int method, const Bytes& data, uint64_t ucsize = 0, uint16_t flags = 0,
                      size_t piece = 8192) {
  zipvault::MemoryEntryIO io(data, piece);
  io.method = static_cast<uint16_t>(method);
  io.flags = flags;
  io.ucsize = ucsize;
  Decoded d;
  switch (method) {
    case zipvault::METHOD_DEFLATED: d.rc = zipvault::inflate(io); break;
    case zipvault::METHOD_SHRUNK: d.rc = zipvault::unshrink(io); break;
    case zipvault::METHOD_IMPLODED: d.rc = zipvault::explode(io); break;
    default: d.rc = zipvault::unreduce(io); break;
  }
  d.out = std::move(io.out);
  d.crc = io.crc();
  d.used = io.bytes_used;
  d.flushes = io.flushes;
  return d;
}

inline Bytes member_data(const Bytes& zip, const Member& m) {
  return Bytes(zip.begin() + m.data_offset, zip.begin() + m.data_offset + m.csize);
}

inline Bytes random_bytes(size_t n, uint32_t seed) {
  std::mt19937 g(seed);
  Bytes b(n);
  for (auto& c : b) c = static_cast<uint8_t>(g());
  return b;
}

// Text-like data: words drawn with a skewed distribution, so matches of all lengths and distances.
inline Bytes text_bytes(size_t n, uint32_t seed) {
  static const char* words[] = {"the ", "chalk ", "board ", "teacher ", "writes ", "a ", "line ",
                                "of ", "green ", "and ", "white ", "text\r\n", "zip ", "entry ",
                                "window ", "slides ", "over ", "32768 ", "bytes, ", "then "};
  std::mt19937 g(seed);
  std::geometric_distribution<int> pick(0.25);
  Bytes b;
  while (b.size() < n) {
    const char* w = words[pick(g) % 20];
    b.insert(b.end(), w, w + std::char_traits<char>::length(w));
  }
  b.resize(n);
  return b;
}

}  // namespace ztest
