// Our inflate (window flushes and CRC-32 included, input through 8192-byte pieces as the engine
// hands it out) against zlib's inflate plus crc32 over the same output, side by side.
// Prints MB/s of output and the ratio of times (ours / zlib's; below 1 is faster).
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <time.h>
#include <vector>

#include "ziplib/entry_io.h"
#include "ziplib/inflate.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Output into a block sized beforehand, like memory extraction.
class BlockIO : public zipvault::EntryIO {
 public:
  BlockIO(const Bytes& in, uint8_t* out) : in_(in), out_(out) { csize = in.size(); }
  size_t written = 0;

 protected:
  size_t fill_input(const uint8_t*& p) override {
    size_t n = std::min<size_t>(8192, in_.size() - pos_);
    p = in_.data() + pos_;
    pos_ += n;
    return n;
  }
  int write_output(const uint8_t* b, size_t n) override {
    std::memcpy(out_ + written, b, n);
    written += n;
    return 0;
  }

 private:
  const Bytes& in_;
  uint8_t* out_;
  size_t pos_ = 0;
};

Bytes deflate_raw(const Bytes& in, int level) {
  z_stream z{};
  deflateInit2(&z, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
  Bytes out(deflateBound(&z, in.size()));
  z.next_in = const_cast<uint8_t*>(in.data());
  z.avail_in = static_cast<uInt>(in.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

uint32_t ours(const Bytes& comp, Bytes& out) {
  BlockIO io(comp, out.data());
  if (zipvault::inflate(io) != 0) std::abort();
  return io.crc();
}

uint32_t theirs(const Bytes& comp, Bytes& out) {
  z_stream z{};
  inflateInit2(&z, -15);
  z.next_in = const_cast<uint8_t*>(comp.data());
  z.avail_in = static_cast<uInt>(comp.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  if (inflate(&z, Z_FINISH) != Z_STREAM_END) std::abort();
  inflateEnd(&z);
  return static_cast<uint32_t>(crc32(0, out.data(), static_cast<uInt>(z.total_out)));
}

// <chrono> does not build with the project's CP932 literals (its micro sign); the clock directly.
double now() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec + ts.tv_nsec * 1e-9;
}

template <class F>
double median_seconds(F&& f, size_t bytes) {
  // Enough repetitions for ~50 ms per sample, median of 7 samples.
  int reps = std::max<int>(1, static_cast<int>(20e6 / std::max<size_t>(bytes, 1)));
  std::vector<double> t;
  for (int s = 0; s < 7; ++s) {
    double a = now();
    for (int r = 0; r < reps; ++r) f();
    t.push_back((now() - a) / reps);
  }
  std::sort(t.begin(), t.end());
  return t[t.size() / 2];
}

Bytes zipf_text(size_t n) {
  std::mt19937 g(1);
  std::vector<std::string> words;
  for (int i = 0; i < 2000; ++i) {
    std::string w;
    int len = 2 + static_cast<int>(g() % 9);
    for (int k = 0; k < len; ++k) w += static_cast<char>('a' + g() % 26);
    words.push_back(w);
  }
  std::vector<double> weights;
  for (int i = 0; i < 2000; ++i) weights.push_back(1.0 / (i + 1));
  std::discrete_distribution<int> pick(weights.begin(), weights.end());
  Bytes b;
  while (b.size() < n) {
    const std::string& w = words[pick(g)];
    b.insert(b.end(), w.begin(), w.end());
    b.push_back(g() % 12 == 0 ? '\n' : ' ');
  }
  b.resize(n);
  return b;
}

Bytes files(const std::vector<std::string>& paths, size_t limit) {
  Bytes b;
  for (const auto& p : paths) {
    std::ifstream f(p, std::ios::binary);
    b.insert(b.end(), std::istreambuf_iterator<char>(f), {});
    if (b.size() >= limit) break;
  }
  if (b.size() > limit) b.resize(limit);
  return b;
}

// A 24-bit board bitmap: green, with a few chalk strokes.
Bytes board_bmp(int w, int h) {
  Bytes b(54 + static_cast<size_t>(w) * h * 3);
  std::mt19937 g(5);
  for (size_t i = 54; i + 2 < b.size(); i += 3) b[i] = 0x30, b[i + 1] = 0x60, b[i + 2] = 0x28;
  for (int s = 0; s < 40; ++s) {
    double x = g() % w, y = g() % h, dx = (g() % 200 - 100) / 100.0, dy = (g() % 200 - 100) / 100.0;
    for (int k = 0; k < 400; ++k, x += dx, y += dy) {
      int xi = static_cast<int>(x), yi = static_cast<int>(y);
      for (int t = -2; t <= 2; ++t) {
        if (xi + t < 0 || xi + t >= w || yi < 0 || yi >= h) continue;
        uint8_t* p = &b[54 + (static_cast<size_t>(yi) * w + xi + t) * 3];
        p[0] = p[1] = p[2] = static_cast<uint8_t>(0xE0 + g() % 32);
      }
    }
  }
  return b;
}

}  // namespace

int main() {
  struct Corpus {
    const char* name;
    Bytes data;
  };
  std::vector<Corpus> corpora;
  corpora.push_back({"text", zipf_text(4 << 20)});
  corpora.push_back({"source", files({"/usr/include/stdio.h", "/usr/include/stdlib.h",
                                      "/usr/include/string.h", "/usr/include/unistd.h",
                                      "/usr/include/zlib.h", "/usr/include/png.h",
                                      "/usr/include/SDL2/SDL_video.h",
                                      "/usr/include/SDL2/SDL_events.h",
                                      "/usr/include/x86_64-linux-gnu/sys/stat.h",
                                      "/usr/include/fcntl.h", "/usr/include/signal.h",
                                      "/usr/include/time.h", "/usr/include/wchar.h"},
                                     1 << 20)});
  corpora.push_back({"binary", files({"/usr/lib/x86_64-linux-gnu/libz.so.1",
                                      "/usr/lib/x86_64-linux-gnu/libpng16.so.16",
                                      "/usr/lib/x86_64-linux-gnu/libSDL2-2.0.so.0",
                                      "/usr/lib/x86_64-linux-gnu/libstdc++.so.6"},
                                     4 << 20)});
  {
    std::mt19937 g(3);
    Bytes r(1 << 20);
    for (auto& c : r) c = static_cast<uint8_t>(g());
    corpora.push_back({"random", r});
  }
  {
    Bytes r;
    while (r.size() < (4u << 20)) {
      const char* s = "repetitive data, repetitive data; ";
      r.insert(r.end(), s, s + std::strlen(s));
    }
    corpora.push_back({"repetitive", r});
  }
  corpora.push_back({"board_1024x768", board_bmp(1024, 768)});
  corpora.push_back({"board_1920x1080", board_bmp(1920, 1080)});

  std::printf("%-16s %5s %10s %10s %11s %11s %7s\n", "corpus", "level", "in", "deflated",
              "ours MB/s", "zlib MB/s", "ratio");
  double log_sum = 0;
  int count = 0;
  for (const Corpus& c : corpora) {
    if (c.data.empty()) continue;
    for (int level : {1, 6, 9}) {
      Bytes comp = deflate_raw(c.data, level);
      Bytes out_a(c.data.size()), out_b(c.data.size());
      uint32_t ca = ours(comp, out_a), cb = theirs(comp, out_b);
      if (ca != cb || out_a != c.data || out_b != c.data) {
        std::printf("%s level %d: outputs differ\n", c.name, level);
        return 1;
      }
      double ta = median_seconds([&] { ours(comp, out_a); }, c.data.size());
      double tb = median_seconds([&] { theirs(comp, out_b); }, c.data.size());
      double mb = c.data.size() / 1e6;
      std::printf("%-16s %5d %10zu %10zu %11.1f %11.1f %7.2f\n", c.name, level, c.data.size(),
                  comp.size(), mb / ta, mb / tb, ta / tb);
      log_sum += std::log(ta / tb);
      ++count;
    }
  }
  std::printf("geometric mean of time ratios (ours / zlib): %.2f\n", std::exp(log_sum / count));
  return 0;
}
