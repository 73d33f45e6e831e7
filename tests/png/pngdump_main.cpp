// pngdump [-8] FILE: the PNG file as TPNGObject loads it, in the plain form of png_dump.h.
#include <cstdio>
#include <cstring>

#include "png_dump.h"

int main(int argc, char** argv) {
  const bool eightBit = argc > 2 && std::strcmp(argv[1], "-8") == 0;
  if (argc < 2 || (argc > 2 && !eightBit)) {
    std::fprintf(stderr, "usage: %s [-8] FILE\n", argv[0]);
    return 2;
  }
  const std::string text = pngtest::DumpFile(argv[argc - 1], eightBit);
  std::fwrite(text.data(), 1, text.size(), stdout);
  return text.rfind("ERROR", 0) == 0 ? 1 : 0;
}
