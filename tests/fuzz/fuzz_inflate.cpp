// Raw deflate streams into inflate: any input ends with a code, inside its bounds.
#include <cstddef>
#include <cstdint>

#include "ziplib/entry_io.h"
#include "ziplib/inflate.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The first byte picks the input piece size, so refills fall everywhere.
  if (size == 0) return 0;
  size_t piece = data[0] % 16 == 0 ? 8192 : data[0] % 16;
  zipvault::MemoryEntryIO io({data + 1, size - 1}, piece);
  io.out_limit = 1u << 22;
  int rc = zipvault::inflate(io);
  if (rc == 0 && io.bytes_used > size - 1) __builtin_trap();
  return 0;
}
