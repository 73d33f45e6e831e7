// CRC-32 of ZIP (polynomial 0xEDB88320, reflected).
#pragma once

#include <cstddef>
#include <cstdint>

namespace zipvault {

// The classic 256-entry table (also used by the traditional decryption's key update).
const uint32_t* get_crc_table();

// Advances a running CRC register over n bytes. The register starts at 0xFFFFFFFF and the final
// CRC is its complement; no inversion happens here, so pieces can be fed one after another.
uint32_t crc32_update(uint32_t reg, const void* buf, size_t n);

// The CRC-32 of a whole buffer (inverted in and out), as stored in ZIP headers.
inline uint32_t crc32(const void* buf, size_t n) { return ~crc32_update(0xFFFFFFFFu, buf, n); }

// One byte through the register; the decryption's key update.
inline uint32_t crc32_byte(uint32_t reg, uint8_t b) {
  return get_crc_table()[(reg ^ b) & 0xFF] ^ (reg >> 8);
}

}  // namespace zipvault
