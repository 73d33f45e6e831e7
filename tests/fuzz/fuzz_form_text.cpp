// The text form syntax on outside text. What converts must convert back to the same text form
// and then to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include "Classes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<uint8_t> bin;
  try {
    bin = ObjectTextToBinary(text);
  } catch (const Exception&) {
    return 0;
  }
  std::string back = ObjectBinaryToText(bin);
  if (ObjectTextToBinary(back) != bin) std::abort();
  return 0;
}
