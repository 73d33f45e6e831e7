// One pixel of a row of packed pixels at 1, 4, 8, 16, 24 or 32 bits (sub-byte pixels with the
// leftmost in the high bits), as device-independent bitmaps and surfaces store them.
#pragma once
#include <cstdint>
#include <cstring>

namespace DXPixelRow {

inline uint32_t Read(const uint8_t* row, int bitCount, int32_t x) {
  switch (bitCount) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4: return (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
    case 8: return row[x];
    case 16: return static_cast<uint32_t>(row[2 * x] | (row[2 * x + 1] << 8));
    case 24: return row[3 * x] | (row[3 * x + 1] << 8) | (static_cast<uint32_t>(row[3 * x + 2]) << 16);
    case 32: {
      uint32_t v;
      std::memcpy(&v, row + 4 * x, 4);
      return v;
    }
  }
  return 0;
}

inline void Write(uint8_t* row, int bitCount, int32_t x, uint32_t value) {
  switch (bitCount) {
    case 1: {
      const uint8_t bit = static_cast<uint8_t>(0x80 >> (x & 7));
      row[x >> 3] = (value & 1) ? (row[x >> 3] | bit) : (row[x >> 3] & ~bit);
      break;
    }
    case 4:
      row[x >> 1] = (x & 1) ? static_cast<uint8_t>((row[x >> 1] & 0xF0) | (value & 0x0F))
                            : static_cast<uint8_t>((row[x >> 1] & 0x0F) | ((value & 0x0F) << 4));
      break;
    case 8: row[x] = static_cast<uint8_t>(value); break;
    case 16:
      row[2 * x] = static_cast<uint8_t>(value);
      row[2 * x + 1] = static_cast<uint8_t>(value >> 8);
      break;
    case 24:
      row[3 * x] = static_cast<uint8_t>(value);
      row[3 * x + 1] = static_cast<uint8_t>(value >> 8);
      row[3 * x + 2] = static_cast<uint8_t>(value >> 16);
      break;
    case 32: std::memcpy(row + 4 * x, &value, 4); break;
  }
}

}  // namespace DXPixelRow
