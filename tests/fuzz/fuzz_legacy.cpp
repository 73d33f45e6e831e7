// Shrunk, reduced and imploded data into their decoders. The first byte picks the method and
// the implode flags, the next three the stated size (at most 1 MiB).
#include <cstddef>
#include <cstdint>

#include "ziplib/entry_io.h"
#include "ziplib/legacy.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  const unsigned sel = data[0];
  const uint64_t ucsize = (data[1] | data[2] << 8 | data[3] << 16) & 0xFFFFF;
  zipvault::MemoryEntryIO io({data + 4, size - 4}, (sel >> 4) ? (sel >> 4) : 8192);
  io.ucsize = ucsize;
  int rc;
  switch (sel & 7) {
    case 0:
    case 1:
      io.method = 1;
      rc = zipvault::unshrink(io);
      break;
    case 2:
    case 3:
    case 4:
    case 5:
      io.method = static_cast<uint16_t>(sel & 7);
      rc = zipvault::unreduce(io);
      break;
    default:
      io.method = 6;
      io.flags = static_cast<uint16_t>((sel & 1) ? 0x6 : (sel & 8) ? 0x2 : 0x4);
      rc = zipvault::explode(io);
      break;
  }
  if (io.out.size() > ucsize) __builtin_trap();  // never past the stated size
  (void)rc;
  return 0;
}
