// Helpers of the compressor tests: an entry in memory, zlib as the reference decoder and
// encoder, and the generated inputs.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "ziplib/deflate.h"

namespace ztest {

using Bytes = std::vector<uint8_t>;

// Input from a buffer in pieces of at most `piece` bytes; output into a vector.
class MemoryZipIO : public zipvault::ZipEntryIO {
 public:
  explicit MemoryZipIO(std::span<const uint8_t> in, size_t piece = 65536, bool seekable = false)
      : in_(in), piece_(piece), seekable_(seekable) {}

  Bytes out;
  size_t reads = 0;
  // A read that would start at or beyond this offset fails with -1.
  uint64_t fail_read_at = UINT64_MAX;
  // Writes fail once the output would grow beyond this.
  uint64_t out_limit = UINT64_MAX;

  ptrdiff_t file_read(uint8_t* buf, size_t size) override {
    ++reads;
    if (pos_ >= fail_read_at) return -1;
    size_t n = std::min({size, piece_, in_.size() - pos_});
    if (fail_read_at != UINT64_MAX) n = std::min<uint64_t>(n, fail_read_at - pos_);
    if (n == 0) return 0;
    std::memcpy(buf, in_.data() + pos_, n);
    pos_ += n;
    return static_cast<ptrdiff_t>(n);
  }
  bool write_out(const uint8_t* buf, size_t n) override {
    if (out.size() + n > out_limit) return false;
    out.insert(out.end(), buf, buf + n);
    return true;
  }
  bool seekable() override { return seekable_; }

 private:
  std::span<const uint8_t> in_;
  size_t piece_;
  size_t pos_ = 0;
  bool seekable_;
};

struct Compressed {
  zipvault::ZipDataResult r;
  Bytes data;
};

inline Compressed compress(zipvault::Deflater& d, std::span<const uint8_t> in, int level,
                           bool seekable = false, size_t piece = 65536,
                           uint16_t method = zipvault::METHOD_DEFLATED) {
  MemoryZipIO io(in, piece, seekable);
  Compressed c;
  c.r = d.zip_entry_data(io, level, method);
  c.data = std::move(io.out);
  return c;
}

inline Compressed compress(std::span<const uint8_t> in, int level, bool seekable = false,
                           size_t piece = 65536) {
  auto d = std::make_unique<zipvault::Deflater>();
  return compress(*d, in, level, seekable, piece);
}

// zlib's raw inflate; false when the stream is damaged, incomplete or followed by junk.
inline bool zlib_inflate_raw(const Bytes& in, Bytes& out, size_t expected) {
  z_stream z{};
  if (inflateInit2(&z, -15) != Z_OK) return false;
  out.assign(expected + 64, 0);
  z.next_in = const_cast<Bytef*>(in.data());
  z.avail_in = static_cast<uInt>(in.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  int rc = inflate(&z, Z_FINISH);
  bool ok = rc == Z_STREAM_END && z.avail_in == 0;
  out.resize(z.total_out);
  inflateEnd(&z);
  return ok;
}

inline Bytes zlib_deflate_raw(const Bytes& in, int level) {
  z_stream z{};
  deflateInit2(&z, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
  Bytes out(deflateBound(&z, in.size()) + 16);
  z.next_in = const_cast<Bytef*>(in.data());
  z.avail_in = static_cast<uInt>(in.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

inline uint32_t zlib_crc(const Bytes& b) {
  return static_cast<uint32_t>(::crc32(::crc32(0L, Z_NULL, 0), b.data(), static_cast<uInt>(b.size())));
}

// English-like text: lines of words drawn with Zipf frequencies from a vocabulary of made-up
// words of one to four syllables.
inline Bytes make_text(size_t n, uint32_t seed = 1) {
  static const char* syl[] = {"ka", "to", "re", "an", "the", "ing", "ed", "ion", "la", "mi", "so",
                              "ver", "com", "pre", "al", "er", "st", "ch", "ou", "ly", "ble", "in",
                              "de", "con", "ter", "ment", "or", "ti", "ra", "po"};
  std::mt19937 g(seed);
  std::vector<std::string> vocab;
  std::mt19937 vg(12345);
  for (int i = 0; i < 3000; ++i) {
    std::string w;
    int k = 1 + static_cast<int>(vg() % 4);
    for (int j = 0; j < k; ++j) w += syl[vg() % 30];
    vocab.push_back(w);
  }
  // Zipf: the cumulative weights of 1/rank.
  std::vector<double> cum;
  double sum = 0;
  for (size_t i = 0; i < vocab.size(); ++i) cum.push_back(sum += 1.0 / (i + 1));
  std::uniform_real_distribution<double> u(0, sum);
  Bytes out;
  size_t col = 0;
  bool cap = true;
  while (out.size() < n) {
    const std::string& w = vocab[std::lower_bound(cum.begin(), cum.end(), u(g)) - cum.begin()];
    for (size_t i = 0; i < w.size(); ++i)
      out.push_back(static_cast<uint8_t>(i == 0 && cap ? w[i] - 32 : w[i]));
    cap = false;
    col += w.size() + 1;
    uint32_t r = g() % 20;
    if (r == 0) out.push_back('.'), cap = true;
    else if (r == 1) out.push_back(',');
    if (col > 72) {
      out.push_back('\n');
      col = 0;
    } else {
      out.push_back(' ');
    }
  }
  out.resize(n);
  return out;
}

inline Bytes make_random(size_t n, uint32_t seed = 7) {
  std::mt19937 g(seed);
  Bytes out(n);
  for (auto& b : out) b = static_cast<uint8_t>(g());
  return out;
}

// A 24-bit bottom-up bitmap page: flat board green with chalk strokes of a few colours.
inline Bytes make_board_bitmap(int w, int h, uint32_t seed = 3) {
  size_t stride = (static_cast<size_t>(w) * 3 + 3) & ~size_t{3};
  Bytes px(54 + stride * h);
  auto put32 = [&](size_t o, uint32_t v) {
    for (int i = 0; i < 4; ++i) px[o + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  px[0] = 'B';
  px[1] = 'M';
  put32(2, static_cast<uint32_t>(px.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<uint32_t>(w));
  put32(22, static_cast<uint32_t>(h));
  px[26] = 1;
  px[28] = 24;
  put32(34, static_cast<uint32_t>(stride * h));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* p = &px[54 + y * stride + x * 3];
      p[0] = 0x38, p[1] = 0x5A, p[2] = 0x2E;   // B, G, R of the board
    }
  std::mt19937 g(seed);
  const uint8_t chalk[4][3] = {{0xF0, 0xF0, 0xF0}, {0x40, 0xE0, 0xF8}, {0x90, 0x90, 0xF8}, {0xF8, 0xC0, 0x70}};
  for (int s = 0; s < 160; ++s) {
    double x = g() % w, y = g() % h;
    double dx = (static_cast<int>(g() % 200) - 100) / 100.0, dy = (static_cast<int>(g() % 200) - 100) / 100.0;
    const uint8_t* c = chalk[g() % 4];
    int len = 40 + g() % 400, r = 1 + g() % 3;
    for (int i = 0; i < len; ++i) {
      x += dx + ((static_cast<int>(g() % 21)) - 10) / 40.0;
      y += dy + ((static_cast<int>(g() % 21)) - 10) / 40.0;
      for (int oy = -r; oy <= r; ++oy)
        for (int ox = -r; ox <= r; ++ox) {
          int px_ = static_cast<int>(x) + ox, py = static_cast<int>(y) + oy;
          if (px_ < 0 || py < 0 || px_ >= w || py >= h || g() % 4 == 0) continue;  // grainy chalk
          uint8_t* p = &px[54 + py * stride + px_ * 3];
          p[0] = c[0], p[1] = c[1], p[2] = c[2];
        }
    }
  }
  return px;
}

}  // namespace ztest
