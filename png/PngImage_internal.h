// Shared by the source files of the PNG codec only.
#pragma once
#include <cstdint>

#include "PngImage.h"

namespace pngimage {

inline uint32_t GetBE32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}
inline uint16_t GetBE16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }
inline void PutBE32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v >> 24);
  p[1] = static_cast<uint8_t>(v >> 16);
  p[2] = static_cast<uint8_t>(v >> 8);
  p[3] = static_cast<uint8_t>(v);
}
inline void PutBE16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v >> 8);
  p[1] = static_cast<uint8_t>(v);
}

// Reads exactly `count` bytes or raises EPngUnexpectedEnd.
void ReadExact(TStream* stream, void* buffer, uint32_t count);
// Raises EPngUnexpectedEnd for a chunk length that is invalid (above 2^31 - 1) or reaches past the
// end of the stream (data and CRC), before anything is allocated for it.
void CheckChunkLength(TStream* stream, uint32_t length);
// Writes one chunk: length, type, data, CRC.
void WriteChunkTo(TStream* stream, const char* type, const uint8_t* data, uint32_t size);
// A palette of `count` entries.
HPALETTE NewPalette(const PALETTEENTRY* entries, uint32_t count);
// A palette of `entries` greys: entry i = GammaTable[MulDiv(i, 255, entries - 1)].
HPALETTE NewGreyRamp(const TPNGObject* owner, uint32_t entries);
// True for the colour type and bit depth pairs PNG allows.
bool ValidColorDepth(uint8_t colorType, uint8_t bitDepth);

}  // namespace pngimage
