// Python's zlib as a second, independent decoder of our raw deflate streams.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "tests/ziplib/compressor/compressor_test_util.h"

using namespace ztest;

namespace {

void write_file(const std::string& name, const Bytes& b) {
  std::ofstream f(name, std::ios::binary);
  f.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

}  // namespace

TEST(DeflatePython, PythonZlibDecodesOurStreams) {
  if (std::system("python3 -c 'import zlib' 2>/dev/null") != 0) GTEST_SKIP() << "no python3";
  struct Case {
    const char* name;
    Bytes data;
  };
  std::vector<Case> cases = {
      {"empty", {}},
      {"text", make_text(120000, 3)},
      {"random", make_random(90000, 4)},
      {"bitmap", make_board_bitmap(320, 200)},
      {"run", Bytes(70000, 7)},
  };
  std::string list;
  for (const Case& c : cases) {
    for (int level : {1, 4, 6, 9}) {
      // Stored fallback off, so that every stream is deflate data, stored blocks included.
      Compressed z = compress(c.data, level, false);
      ASSERT_EQ(z.r.code, 0);
      std::string base = std::string(c.name) + "_" + std::to_string(level);
      write_file(base + ".raw", c.data);
      write_file(base + ".deflate", z.data);
      list += base + " ";
    }
  }
  std::string cmd =
      "python3 -c \"import sys, zlib\n"
      "bad = [n for n in sys.argv[1:] if zlib.decompress(open(n + '.deflate', 'rb').read(), -15)"
      " != open(n + '.raw', 'rb').read()]\n"
      "print(*bad)\nsys.exit(1 if bad else 0)\" " +
      list;
  EXPECT_EQ(std::system(cmd.c_str()), 0);
}
