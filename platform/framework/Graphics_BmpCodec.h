// BMP file reading and writing on raw bytes. Used by TBitmap; kept free of GDI and streams so that
// it can be tested and fuzzed on its own. A BMP file is outside input: every size is checked in
// 64 bits against the bytes present and against the limits below before anything is allocated.
#pragma once
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace vse::bmp {

// Raised for any file that is not a valid BMP; TBitmap turns it into EInvalidGraphic.
struct DecodeError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Same layout as RGBQUAD.
struct PaletteEntry {
  uint8_t blue, green, red, reserved;
};

// The in-memory form an image is decoded to (and encoded from): a bottom-up DIB.
struct Format {
  int32_t width = 0;
  int32_t height = 0;     // always positive here
  uint16_t bitCount = 0;  // 1, 4, 8, 16, 24 or 32
  bool is565 = false;     // 16 bits: 5-6-5 when true, else 5-5-5
  std::vector<PaletteEntry> palette;  // 1..2^bitCount entries for 1, 4 and 8 bits, else empty

  size_t Stride() const { return ((static_cast<size_t>(width) * bitCount + 31) / 32) * 4; }
  uint64_t ImageBytes() const { return static_cast<uint64_t>(Stride()) * static_cast<uint64_t>(height); }
};

// Everything learnt from the headers, needed to decode the pixels afterwards.
struct Header {
  Format format;                // what the pixels decode to
  uint32_t headerSize = 0;      // 12, 40, 52, 56, 108 or 124
  uint32_t compression = 0;     // BI_RGB 0, BI_RLE8 1, BI_RLE4 2, BI_BITFIELDS 3
  uint16_t sourceBitCount = 0;  // bits per pixel in the file
  bool topDown = false;
  uint32_t masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha (bit fields only)
  bool convertMasks = false;    // masks other than 5-5-5, 5-6-5 or 8-8-8: converted pixel by pixel
  uint64_t dataOffset = 0;      // from the start of the file
  uint64_t dataSize = 0;        // pixel bytes read from the file
  uint64_t FileBytes() const { return dataOffset + dataSize; }
};

// Largest width or height accepted, and the largest decoded image in bytes.
constexpr int32_t kMaxDimension = 32768;
constexpr uint64_t kDefaultMaxImageBytes = 512ull * 1024 * 1024;
// The byte limit in force (the fuzz target lowers it to keep runs quick).
uint64_t MaxImageBytes();
void SetMaxImageBytes(uint64_t bytes);

// Bytes at the start of a file that always suffice for ParseHeader.
constexpr size_t kMaxHeaderBytes = 14 + 124 + 12 + 256 * 4;

// Parses the file header, the info header, the masks and the colour table. `data` holds the first
// `size` bytes of the file (at least min(fileSize, kMaxHeaderBytes)); `fileSize` is the number of
// bytes the file has in all. Throws DecodeError for anything invalid or truncated.
Header ParseHeader(const uint8_t* data, size_t size, uint64_t fileSize);

// Decodes the pixels of a parsed file (`data` holds at least header.FileBytes() bytes) into `dst`,
// a zeroed bottom-up image of header.format with rows `dstStride` bytes apart. Throws DecodeError
// for truncated compressed data.
void DecodePixels(const uint8_t* data, size_t size, const Header& header, uint8_t* dst, size_t dstStride);

// Writes a complete BMP file: the 14-byte file header, a 40-byte info header (with bit-field masks
// for 5-6-5), the colour table for 1, 4 and 8 bits, and the rows bottom-up padded to 4 bytes.
// `bits` is a bottom-up image of `format` with rows `stride` bytes apart.
std::vector<uint8_t> Encode(const Format& format, const uint8_t* bits, size_t stride);
// What Encode writes ahead of the rows: the headers, the masks and the colour table.
std::vector<uint8_t> EncodeHeaders(const Format& format);

}  // namespace vse::bmp
