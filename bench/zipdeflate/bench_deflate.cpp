// Our deflate against zlib's at the same level on the same in-memory data, side by side.
// Ours runs as the engine runs it (input in 16384-byte reads, CRC-32 of the input, output through
// the 1024-byte buffer, stored fallback off); zlib's side is deflateInit2(level, Z_DEFLATED, -15,
// 8, Z_DEFAULT_STRATEGY) plus crc32() over the input. Every stream is checked to decode: ours
// with zlib's inflate, zlib's with ours.
// Prints sizes, MB/s of input and the ratios ours / zlib's (time below 1 is faster; size below 1
// is smaller). Usage: bench_deflate [levels...]   (default 1 6 9; level 0 is our stored copy
// against zlib's stored blocks)
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <time.h>
#include <vector>

#include "tests/ziplib/compressor/compressor_test_util.h"
#include "ziplib/deflate.h"
#include "ziplib/entry_io.h"
#include "ziplib/inflate.h"
#include "ziplib/zip.h"
#include "winplat_screen.h"

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

using ztest::Bytes;

double now() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec + ts.tv_nsec * 1e-9;
}

// Input in reads of 16384 bytes, the size of the engine's stream buffer; output appended.
class BenchIO : public zipvault::ZipEntryIO {
 public:
  BenchIO(const Bytes& in, Bytes& out) : in_(in), out_(out) {}
  ptrdiff_t file_read(uint8_t* buf, size_t size) override {
    size_t n = std::min({size, size_t{16384}, in_.size() - pos_});
    if (n) std::memcpy(buf, in_.data() + pos_, n);
    pos_ += n;
    return static_cast<ptrdiff_t>(n);
  }
  bool write_out(const uint8_t* buf, size_t n) override {
    out_.insert(out_.end(), buf, buf + n);
    return true;
  }

 private:
  const Bytes& in_;
  Bytes& out_;
  size_t pos_ = 0;
};

Bytes ours(zipvault::Deflater& d, const Bytes& in, int level, uint32_t& crc) {
  Bytes out;
  out.reserve(in.size() + in.size() / 100 + 64);
  BenchIO io(in, out);
  auto r = d.zip_entry_data(io, level, level == 0 ? zipvault::METHOD_STORED : zipvault::METHOD_DEFLATED);
  if (r.code != 0) {
    std::fprintf(stderr, "our deflate failed: %d %s\n", r.code, r.text);
    std::exit(1);
  }
  crc = r.crc;
  return out;
}

Bytes theirs(const Bytes& in, int level, uint32_t& crc) {
  Bytes out = ztest::zlib_deflate_raw(in, level);
  crc = static_cast<uint32_t>(::crc32(::crc32(0L, Z_NULL, 0), in.data(), static_cast<uInt>(in.size())));
  return out;
}

bool our_inflate_ok(const Bytes& stream, const Bytes& expected) {
  zipvault::MemoryEntryIO io(stream);
  io.reset_entry();
  return zipvault::inflate(io) == 0 && io.out == expected;
}

template <class F>
double median_time(F&& f, int runs) {
  std::vector<double> t;
  for (int i = 0; i < runs; ++i) {
    double a = now();
    f();
    t.push_back(now() - a);
  }
  std::sort(t.begin(), t.end());
  return t[t.size() / 2];
}

// Binary-like data: records of small integers, offsets and names, as in an object file.
Bytes make_binary(size_t n) {
  std::mt19937 g(17);
  Bytes b;
  uint32_t addr = 0x401000;
  while (b.size() < n) {
    addr += 4 + g() % 64;
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(addr >> (8 * i)));
    b.push_back(static_cast<uint8_t>(g() % 8));
    b.push_back(0);
    uint16_t v = static_cast<uint16_t>(g() % 300);
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
    if (g() % 5 == 0) {
      static const char* names[] = {"_init", "draw_line", "chalk_", "page_count", "zip_", "ExtTextOutW"};
      for (const char* p = names[g() % 6]; *p; ++p) b.push_back(static_cast<uint8_t>(*p));
      b.push_back(0);
    }
  }
  b.resize(n);
  return b;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> levels;
  for (int i = 1; i < argc; ++i) levels.push_back(std::atoi(argv[i]));
  if (levels.empty()) levels = {1, 6, 9};

  struct Corpus {
    const char* name;
    Bytes data;
  };
  std::vector<Corpus> corpus;
  corpus.push_back({"text 4 MiB", ztest::make_text(4 << 20, 2)});
  corpus.push_back({"board BMP 1920x1032", ztest::make_board_bitmap(1920, 1032)});
  corpus.push_back({"binary 4 MiB", make_binary(4 << 20)});
  corpus.push_back({"random 4 MiB", ztest::make_random(4 << 20)});
  corpus.push_back({"repetitive 4 MiB", Bytes(4 << 20, 0)});
  for (size_t i = 0; i < corpus.back().data.size(); ++i) corpus.back().data[i] = static_cast<uint8_t>("chalk "[i % 6]);

  auto d = std::make_unique<zipvault::Deflater>();
  std::printf("%-22s %5s %11s %11s %7s %9s %9s %7s\n", "input", "level", "ours B", "zlib B", "size",
              "ours MB/s", "zlib MB/s", "time");
  double worst_time = 0, worst_size = 0;
  for (const Corpus& c : corpus) {
    for (int level : levels) {
      uint32_t crc_a = 0, crc_b = 0;
      Bytes a = ours(*d, c.data, level, crc_a);
      Bytes b = theirs(c.data, level, crc_b);
      Bytes back;
      // Level 0 is the stored copy on our side: the data itself.
      bool a_ok = level == 0 ? a == c.data : ztest::zlib_inflate_raw(a, back, c.data.size()) && back == c.data;
      if (crc_a != crc_b || !a_ok || !our_inflate_ok(b, c.data)) {
        std::fprintf(stderr, "%s level %d: streams do not decode to the input\n", c.name, level);
        return 1;
      }
      int runs = 7;
      double ta = median_time([&] { ours(*d, c.data, level, crc_a); }, runs);
      double tb = median_time([&] { theirs(c.data, level, crc_b); }, runs);
      double mb = c.data.size() / 1e6;
      double size_ratio = static_cast<double>(a.size()) / b.size();
      double time_ratio = ta / tb;
      worst_time = std::max(worst_time, time_ratio);
      worst_size = std::max(worst_size, size_ratio);
      std::printf("%-22s %5d %11zu %11zu %7.4f %9.1f %9.1f %7.3f\n", c.name, level, a.size(), b.size(),
                  size_ratio, mb / ta, mb / tb, time_ratio);
    }
  }
  std::printf("worst size ratio %.4f, worst time ratio %.3f (ours / zlib)\n", worst_size, worst_time);

  // The whole Zip command on the corpus as files (headers, CRC, file I/O, temporary archive and
  // rename included), against zlib's raw deflate of the same data in memory.
  namespace fs = std::filesystem;
  char tmpl[] = "/tmp/bench_zipXXXXXX";
  if (!mkdtemp(tmpl)) return 1;
  const fs::path keep = fs::current_path();
  fs::current_path(tmpl);
  std::string names;
  uint64_t total = 0;
  for (size_t i = 0; i < corpus.size(); ++i) {
    std::string n = "c" + std::to_string(i) + ".dat";
    std::ofstream(n, std::ios::binary).write(reinterpret_cast<const char*>(corpus[i].data.data()),
                                             static_cast<std::streamsize>(corpus[i].data.size()));
    names += " " + n;
    total += corpus[i].data.size();
  }
  winplat::screen::InstallScriptedAnswerer();
  std::printf("\nZip command on the corpus files (%.1f MB)\n%5s %11s %11s %9s %9s\n", total / 1e6, "level",
              "archive B", "zlib raw B", "Zip MB/s", "zlib MB/s");
  for (int level : levels) {
    std::string cmd = "-" + std::to_string(level) + " bench.zip" + names;
    double tz = median_time([&] {
      fs::remove("bench.zip");
      zipvault::CZip zip;
      if (zip.run_command(nullptr, cmd.c_str()) != 0) std::exit(1);
    }, 5);
    uint64_t zsize = fs::file_size("bench.zip");
    uint64_t raw = 0;
    uint32_t crc;
    double tr = median_time([&] {
      raw = 0;
      for (const Corpus& c : corpus) raw += theirs(c.data, level, crc).size();
    }, 5);
    std::printf("%5d %11llu %11llu %9.1f %9.1f\n", level, static_cast<unsigned long long>(zsize),
                static_cast<unsigned long long>(raw), total / 1e6 / tz, total / 1e6 / tr);
  }
  fs::current_path(keep);
  fs::remove_all(tmpl);
  return 0;
}
