#include "Graphics_BmpCodec.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstring>

namespace vse::bmp {
namespace {

constexpr uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3;

std::atomic<uint64_t> g_maxImageBytes{kDefaultMaxImageBytes};

uint16_t Rd16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Rd32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}
void Wr16(uint8_t* p, uint16_t v) { p[0] = static_cast<uint8_t>(v); p[1] = static_cast<uint8_t>(v >> 8); }
void Wr32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

[[noreturn]] void Fail(const char* why) { throw DecodeError(why); }

bool ContiguousMask(uint32_t m) {
  if (m == 0) return true;
  uint32_t s = m >> std::countr_zero(m);
  return (s & (s + 1)) == 0;
}

// One channel of a bit-field pixel scaled to 8 bits.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  int bits = 0;
  explicit Channel(uint32_t m) : mask(m) {
    if (m) {
      shift = std::countr_zero(m);
      bits = std::popcount(m);
    }
  }
  uint8_t Get(uint32_t px) const {
    if (!bits) return 0;
    uint32_t v = (px & mask) >> shift;
    if (bits >= 8) return static_cast<uint8_t>(v >> (bits - 8));
    uint32_t max = (1u << bits) - 1;
    return static_cast<uint8_t>((v * 255 + max / 2) / max);
  }
};

uint64_t SourceStride(int32_t width, uint16_t bpp) { return ((static_cast<uint64_t>(width) * bpp + 31) / 32) * 4; }

void PutIndex(uint8_t* row, int64_t x, uint16_t bpp, uint8_t v) {
  if (bpp == 8) {
    row[x] = v;
  } else {
    uint8_t& b = row[x / 2];
    if (x & 1) b = static_cast<uint8_t>((b & 0xF0) | (v & 0x0F));
    else b = static_cast<uint8_t>((b & 0x0F) | (v << 4));
  }
}

// RLE8 and RLE4. Runs and absolute runs are clipped to the row, deltas and line ends to the image;
// data that stops inside an instruction is an error, data that stops between instructions ends the
// image as an end-of-bitmap code would.
void DecodeRle(const uint8_t* p, const uint8_t* end, const Header& h, uint8_t* dst, size_t dstStride) {
  const int64_t w = h.format.width, ht = h.format.height;
  const uint16_t bpp = h.sourceBitCount;
  int64_t x = 0, y = 0;
  auto put = [&](uint8_t v) {
    if (x < w && y < ht) PutIndex(dst + static_cast<size_t>(y) * dstStride, x, bpp, v);
    if (x < w) ++x;
  };
  while (p != end) {
    if (end - p < 2) Fail("truncated run-length data");
    const uint8_t count = p[0], value = p[1];
    p += 2;
    if (count > 0) {
      for (int i = 0; i < count && x < w; ++i) put(bpp == 8 ? value : ((i & 1) ? (value & 0x0F) : (value >> 4)));
      continue;
    }
    switch (value) {
      case 0:  // end of line
        x = 0;
        if (y < ht) ++y;
        break;
      case 1:  // end of bitmap
        return;
      case 2:  // delta
        if (end - p < 2) Fail("truncated run-length delta");
        x = std::min<int64_t>(x + p[0], w);
        y = std::min<int64_t>(y + p[1], ht);
        p += 2;
        break;
      default: {  // absolute run of `value` pixels, padded to a 16-bit boundary
        const size_t n = value;
        const size_t bytes = bpp == 8 ? n : (n + 1) / 2;
        const size_t padded = (bytes + 1) & ~static_cast<size_t>(1);
        if (static_cast<size_t>(end - p) < padded) Fail("truncated run-length data");
        for (size_t i = 0; i < n && x < w; ++i)
          put(bpp == 8 ? p[i] : ((i & 1) ? (p[i / 2] & 0x0F) : (p[i / 2] >> 4)));
        p += padded;
        break;
      }
    }
  }
}

}  // namespace

uint64_t MaxImageBytes() { return g_maxImageBytes.load(std::memory_order_relaxed); }
void SetMaxImageBytes(uint64_t bytes) { g_maxImageBytes.store(bytes, std::memory_order_relaxed); }

Header ParseHeader(const uint8_t* data, size_t size, uint64_t fileSize) {
  size = static_cast<size_t>(std::min<uint64_t>(size, fileSize));
  if (size < 18) Fail("truncated file header");
  if (data[0] != 'B' || data[1] != 'M') Fail("not a bitmap file");
  Header h;
  const uint32_t offBits = Rd32(data + 10);
  h.headerSize = Rd32(data + 14);
  switch (h.headerSize) {
    case 12: case 40: case 52: case 56: case 108: case 124: break;
    default: Fail("unknown bitmap header");
  }
  if (14 + static_cast<uint64_t>(h.headerSize) > size) Fail("truncated bitmap header");
  const uint8_t* ih = data + 14;
  const bool core = h.headerSize == 12;
  int64_t width, height;
  uint16_t planes, bpp;
  uint32_t clrUsed = 0, sizeImage = 0;
  if (core) {
    width = Rd16(ih + 4);
    height = Rd16(ih + 6);
    planes = Rd16(ih + 8);
    bpp = Rd16(ih + 10);
  } else {
    width = static_cast<int32_t>(Rd32(ih + 4));
    height = static_cast<int32_t>(Rd32(ih + 8));
    planes = Rd16(ih + 12);
    bpp = Rd16(ih + 14);
    h.compression = Rd32(ih + 16);
    sizeImage = Rd32(ih + 20);
    clrUsed = Rd32(ih + 32);
  }
  if (width <= 0 || height == 0) Fail("bad bitmap size");
  h.topDown = height < 0;
  if (h.topDown) height = -height;
  if (width > kMaxDimension || height > kMaxDimension) Fail("bitmap too large");
  if (planes != 1) Fail("bad plane count");
  h.sourceBitCount = bpp;

  switch (h.compression) {
    case kRgb:
      if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) Fail("bad bit count");
      if (core && bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24) Fail("bad bit count");
      break;
    case kRle8:
      if (bpp != 8 || h.topDown) Fail("bad run-length bitmap");
      break;
    case kRle4:
      if (bpp != 4 || h.topDown) Fail("bad run-length bitmap");
      break;
    case kBitFields:
      if (bpp != 16 && bpp != 32) Fail("bad bit count");
      break;
    default:
      Fail("unsupported compression");
  }

  uint64_t pos = 14 + static_cast<uint64_t>(h.headerSize);
  if (h.compression == kBitFields) {
    if (h.headerSize == 40) {
      if (pos + 12 > size) Fail("truncated bit-field masks");
      for (int i = 0; i < 3; ++i) h.masks[i] = Rd32(data + pos + 4 * i);
      pos += 12;
    } else {
      for (int i = 0; i < 3; ++i) h.masks[i] = Rd32(ih + 40 + 4 * i);
      if (h.headerSize >= 56) h.masks[3] = Rd32(ih + 52);
    }
    const uint32_t limit = bpp == 16 ? 0xFFFFu : 0xFFFFFFFFu;
    uint32_t seen = 0;
    for (int i = 0; i < 4; ++i) {
      const uint32_t m = h.masks[i];
      if ((m & ~limit) || !ContiguousMask(m) || (seen & m)) Fail("bad bit-field masks");
      seen |= m;
    }
  }

  Format& f = h.format;
  f.width = static_cast<int32_t>(width);
  f.height = static_cast<int32_t>(height);
  if (bpp <= 8) {
    f.bitCount = bpp;
  } else if (bpp == 16) {
    const uint32_t* m = h.masks;
    if (h.compression == kRgb || (m[0] == 0x7C00 && m[1] == 0x03E0 && m[2] == 0x001F)) {
      f.bitCount = 16;
    } else if (m[0] == 0xF800 && m[1] == 0x07E0 && m[2] == 0x001F) {
      f.bitCount = 16;
      f.is565 = true;
    } else {
      f.bitCount = 24;
      h.convertMasks = true;
    }
  } else if (bpp == 24) {
    f.bitCount = 24;
  } else {
    f.bitCount = 32;
    const uint32_t* m = h.masks;
    if (h.compression == kBitFields && !(m[0] == 0xFF0000 && m[1] == 0xFF00 && m[2] == 0xFF))
      h.convertMasks = true;
  }

  // Colour table: 2^bpp entries unless the header gives fewer, or the pixel data starts sooner.
  const uint64_t entrySize = core ? 3 : 4;
  const uint64_t tableStart = pos;
  uint64_t entries = 0;
  if (bpp <= 8) {
    entries = 1u << bpp;
    if (!core && clrUsed != 0 && clrUsed < entries) entries = clrUsed;
  } else if (!core) {
    entries = clrUsed;  // optional table of a true-colour image: skipped
  }
  uint64_t tableEnd = tableStart + entries * entrySize;
  uint64_t offset = offBits ? offBits : tableEnd;
  if (offset < tableStart) Fail("pixel data inside the header");
  if (offset > fileSize) Fail("pixel data past the end of the file");
  if (bpp <= 8) {
    if (offset < tableEnd) {
      entries = (offset - tableStart) / entrySize;
      tableEnd = tableStart + entries * entrySize;
    }
    if (entries == 0) Fail("missing colour table");
    if (tableEnd > size) Fail("truncated colour table");
    f.palette.resize(static_cast<size_t>(entries));
    for (size_t i = 0; i < f.palette.size(); ++i) {
      const uint8_t* e = data + tableStart + i * entrySize;
      f.palette[i] = PaletteEntry{e[0], e[1], e[2], 0};
    }
  }

  if (f.ImageBytes() > MaxImageBytes()) Fail("bitmap too large");

  h.dataOffset = offset;
  const uint64_t avail = fileSize - offset;
  if (h.compression == kRle4 || h.compression == kRle8) {
    h.dataSize = sizeImage ? sizeImage : avail;
    if (h.dataSize > avail) Fail("compressed data past the end of the file");
  } else {
    const uint64_t stride = SourceStride(f.width, bpp);
    const uint64_t need = stride * static_cast<uint64_t>(f.height);
    // The padding of the last row may be missing.
    const uint64_t minimal = stride * (static_cast<uint64_t>(f.height) - 1) + (static_cast<uint64_t>(f.width) * bpp + 7) / 8;
    if (avail < minimal) Fail("truncated pixel data");
    h.dataSize = std::min(need, avail);
  }
  return h;
}

void DecodePixels(const uint8_t* data, size_t size, const Header& h, uint8_t* dst, size_t dstStride) {
  if (size < h.FileBytes()) Fail("truncated pixel data");
  const uint8_t* src = data + h.dataOffset;
  const Format& f = h.format;
  if (h.compression == kRle4 || h.compression == kRle8) {
    DecodeRle(src, src + h.dataSize, h, dst, dstStride);
    return;
  }
  const uint16_t bpp = h.sourceBitCount;
  const size_t srcStride = static_cast<size_t>(SourceStride(f.width, bpp));
  const size_t rowBytes = (static_cast<size_t>(f.width) * bpp + 7) / 8;
  const Channel r(h.masks[0]), g(h.masks[1]), b(h.masks[2]), a(h.masks[3]);
  for (int32_t row = 0; row < f.height; ++row) {
    const uint8_t* s = src + static_cast<size_t>(row) * srcStride;
    const size_t have = std::min<size_t>(rowBytes, static_cast<size_t>(h.dataSize - static_cast<uint64_t>(row) * srcStride));
    uint8_t* d = dst + static_cast<size_t>(h.topDown ? f.height - 1 - row : row) * dstStride;
    if (!h.convertMasks) {
      std::memcpy(d, s, have);
      continue;
    }
    for (int32_t x = 0; x < f.width; ++x) {
      const uint32_t px = bpp == 16 ? Rd16(s + 2 * x) : Rd32(s + 4 * x);
      uint8_t* o = d + static_cast<size_t>(x) * (f.bitCount / 8);
      o[0] = b.Get(px);
      o[1] = g.Get(px);
      o[2] = r.Get(px);
      if (f.bitCount == 32) o[3] = a.Get(px);
    }
  }
}

std::vector<uint8_t> EncodeHeaders(const Format& f) {
  const bool fields = f.bitCount == 16 && f.is565;
  const size_t tableEntries = f.bitCount <= 8 ? (size_t{1} << f.bitCount) : 0;
  const size_t headerBytes = 14 + 40 + (fields ? 12 : 0) + tableEntries * 4;
  const size_t imageBytes = f.Stride() * static_cast<size_t>(f.height);
  std::vector<uint8_t> out(headerBytes, 0);
  uint8_t* p = out.data();
  p[0] = 'B';
  p[1] = 'M';
  Wr32(p + 2, static_cast<uint32_t>(headerBytes + imageBytes));
  Wr32(p + 10, static_cast<uint32_t>(headerBytes));
  uint8_t* ih = p + 14;
  Wr32(ih, 40);
  Wr32(ih + 4, static_cast<uint32_t>(f.width));
  Wr32(ih + 8, static_cast<uint32_t>(f.height));
  Wr16(ih + 12, 1);
  Wr16(ih + 14, f.bitCount);
  Wr32(ih + 16, fields ? kBitFields : kRgb);
  Wr32(ih + 20, static_cast<uint32_t>(imageBytes));
  uint8_t* q = ih + 40;
  if (fields) {
    Wr32(q, 0xF800);
    Wr32(q + 4, 0x07E0);
    Wr32(q + 8, 0x001F);
    q += 12;
  }
  for (size_t i = 0; i < tableEntries; ++i, q += 4) {
    if (i < f.palette.size()) {
      q[0] = f.palette[i].blue;
      q[1] = f.palette[i].green;
      q[2] = f.palette[i].red;
    }
  }
  return out;
}

std::vector<uint8_t> Encode(const Format& f, const uint8_t* bits, size_t stride) {
  std::vector<uint8_t> out = EncodeHeaders(f);
  const size_t headerBytes = out.size();
  const size_t outStride = f.Stride();
  out.resize(headerBytes + outStride * static_cast<size_t>(f.height), 0);
  uint8_t* q = out.data() + headerBytes;
  const size_t rowBytes = (static_cast<size_t>(f.width) * f.bitCount + 7) / 8;
  for (int32_t y = 0; y < f.height; ++y)
    std::memcpy(q + static_cast<size_t>(y) * outStride, bits + static_cast<size_t>(y) * stride, std::min(rowBytes, stride));
  return out;
}

}  // namespace vse::bmp
