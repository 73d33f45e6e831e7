// The image-data chunk: inflating and unfiltering the rows of every colour type and depth into
// the store (plain and Adam7), and filtering and deflating them back into IDAT chunks.
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <tmmintrin.h>
#endif

#include "PngImage_internal.h"

using namespace pngimage;

namespace {

struct Pass {
  int32_t row0, col0, rowStep, colStep;
};
constexpr Pass kAdam7[7] = {{0, 0, 8, 8}, {0, 4, 8, 8}, {4, 0, 8, 4}, {0, 2, 4, 4},
                            {2, 0, 4, 2}, {0, 1, 2, 2}, {1, 0, 2, 1}};
constexpr Pass kWhole = {0, 0, 1, 1};

int32_t PassWidth(int32_t width, const Pass& p) { return (width + p.colStep - p.col0 - 1) / p.colStep; }

// Raw row length and bytes per complete pixel for `width` pixels at `depth` bits per sample.
void RowGeometry(uint8_t colorType, uint32_t depth, int32_t width, uint32_t& rowLength, uint32_t& pixelStep) {
  const uint64_t w = static_cast<uint64_t>(width);
  switch (colorType) {
    case 0:
    case 3:
      rowLength = static_cast<uint32_t>((w * depth + 7) / 8);
      pixelStep = colorType == 0 && depth == 16 ? 2 : 1;
      break;
    case 2:
      rowLength = static_cast<uint32_t>(w * depth * 3 / 8);
      pixelStep = depth * 3 / 8;
      break;
    case 4:
      rowLength = static_cast<uint32_t>(w * depth * 2 / 8);
      pixelStep = depth / 4;
      break;
    case 6:
      rowLength = static_cast<uint32_t>(w * depth * 4 / 8);
      pixelStep = depth / 2;
      break;
    default: rowLength = pixelStep = 0;
  }
}

inline uint8_t Paeth(uint8_t a, uint8_t b, uint8_t c) {
  const int pa = std::abs(int(b) - int(c));
  const int pb = std::abs(int(a) - int(c));
  const int pc = std::abs(int(a) + int(b) - 2 * int(c));
  // The same choice as "a if pa is least, else b if pb is, else c", without branches.
  const int best = pb < pa ? pb : pa;
  const uint8_t pick = pb < pa ? b : a;
  return pc < best ? c : pick;
}

#if defined(__SSE2__)
// One pixel of up to 8 bytes at a time in 16-bit lanes: the pixels depend on each other, their
// samples do not. Loads take 8 bytes (the row buffers have room past their end); the lanes past
// the pixel carry bytes of the next pixels, which are worked on alongside and never stored.
constexpr size_t kRowPadding = 8;
inline __m128i LoadBytes(const uint8_t* p) { return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)); }
inline __m128i LoadPixel(const uint8_t* p) { return _mm_unpacklo_epi8(LoadBytes(p), _mm_setzero_si128()); }
// The first bpp bytes of v, through general registers (no trip through the stack).
inline void StoreBytes(uint8_t* p, __m128i v, size_t bpp) {
  const uint64_t bytes = static_cast<uint64_t>(_mm_cvtsi128_si64(v));
  if (bpp == 8) {
    std::memcpy(p, &bytes, 8);
    return;
  }
  if (bpp >= 4) {
    const uint32_t low = static_cast<uint32_t>(bytes);
    std::memcpy(p, &low, 4);
  }
  if (bpp == 6 || bpp == 3 || bpp == 2) {
    const size_t at = bpp == 6 ? 4 : 0;
    const uint16_t pair = static_cast<uint16_t>(bytes >> (8 * at));
    std::memcpy(p + at, &pair, 2);
  }
  if (bpp == 3) p[2] = static_cast<uint8_t>(bytes >> 16);
}
inline void StorePixel(uint8_t* p, __m128i v, size_t bpp) { StoreBytes(p, _mm_packus_epi16(v, v), bpp); }
inline __m128i Abs16(__m128i v) { return _mm_max_epi16(v, _mm_sub_epi16(_mm_setzero_si128(), v)); }

template <size_t Bpp>
void UnfilterPaethSimd(uint8_t* row, const uint8_t* prev, size_t n) {
  const __m128i mask = _mm_set1_epi16(0xFF);
  __m128i a = _mm_setzero_si128(), c = _mm_setzero_si128();
  for (size_t i = 0; i < n; i += Bpp) {
    const __m128i b = LoadPixel(prev + i);
    const __m128i x = LoadPixel(row + i);
    const __m128i pa = Abs16(_mm_sub_epi16(b, c));
    const __m128i pb = Abs16(_mm_sub_epi16(a, c));
    const __m128i pc = Abs16(_mm_sub_epi16(_mm_add_epi16(a, b), _mm_add_epi16(c, c)));
    const __m128i useB = _mm_cmplt_epi16(pb, pa);
    const __m128i best = _mm_min_epi16(pa, pb);
    __m128i pick = _mm_or_si128(_mm_and_si128(useB, b), _mm_andnot_si128(useB, a));
    const __m128i useC = _mm_cmplt_epi16(pc, best);
    pick = _mm_or_si128(_mm_and_si128(useC, c), _mm_andnot_si128(useC, pick));
    a = _mm_and_si128(_mm_add_epi16(x, pick), mask);
    StorePixel(row + i, a, Bpp);
    c = b;
  }
}

// In byte lanes: floor((a + b) / 2) is the rounded-up average less the low bit of a ^ b, and
// the sum wraps as the filter wants. Three steps from one pixel to the next.
template <size_t Bpp>
void UnfilterAverageSimd(uint8_t* row, const uint8_t* prev, size_t n) {
  const __m128i one = _mm_set1_epi8(1);
  __m128i a = _mm_setzero_si128();
  for (size_t i = 0; i < n; i += Bpp) {
    const __m128i b = LoadBytes(prev + i);
    const __m128i x = LoadBytes(row + i);
    const __m128i up = _mm_add_epi8(x, _mm_avg_epu8(a, b));
    a = _mm_sub_epi8(up, _mm_and_si128(_mm_xor_si128(a, b), one));
    StoreBytes(row + i, a, Bpp);
  }
}

template <size_t Bpp>
void UnfilterSubSimd(uint8_t* row, size_t n) {
  __m128i a = _mm_setzero_si128();
  for (size_t i = 0; i < n; i += Bpp) {
    a = _mm_add_epi8(a, LoadBytes(row + i));
    StoreBytes(row + i, a, Bpp);
  }
}

// Rows of whole pixels of 3, 4, 6 or 8 bytes go through the vector forms; true when one was used.
bool UnfilterPixels(uint8_t type, uint8_t* row, const uint8_t* prev, size_t n, size_t bpp) {
  if (bpp == 0 || n % bpp != 0) return false;
  if (type == 1) {
    switch (bpp) {
      case 3: UnfilterSubSimd<3>(row, n); return true;
      case 4: UnfilterSubSimd<4>(row, n); return true;
      case 6: UnfilterSubSimd<6>(row, n); return true;
      case 8: UnfilterSubSimd<8>(row, n); return true;
      default: return false;
    }
  }
  if (type == 3) {
    switch (bpp) {
      case 3: UnfilterAverageSimd<3>(row, prev, n); return true;
      case 4: UnfilterAverageSimd<4>(row, prev, n); return true;
      case 6: UnfilterAverageSimd<6>(row, prev, n); return true;
      case 8: UnfilterAverageSimd<8>(row, prev, n); return true;
      default: return false;
    }
  }
  if (type == 4) {
    switch (bpp) {
      case 3: UnfilterPaethSimd<3>(row, prev, n); return true;
      case 4: UnfilterPaethSimd<4>(row, prev, n); return true;
      case 6: UnfilterPaethSimd<6>(row, prev, n); return true;
      case 8: UnfilterPaethSimd<8>(row, prev, n); return true;
      default: return false;
    }
  }
  return false;
}
#else
constexpr size_t kRowPadding = 0;
bool UnfilterPixels(uint8_t, uint8_t*, const uint8_t*, size_t, size_t) { return false; }
#endif

// Undoes the row filter in place; an unknown filter type leaves the row as it is.
// The row may follow `prev` directly in memory.
void Unfilter(uint8_t type, uint8_t* row, const uint8_t* prev, size_t n, size_t bpp) {
  if (UnfilterPixels(type, row, prev, n, bpp)) return;
  switch (type) {
    case 1:
      for (size_t i = bpp; i < n; ++i) row[i] = static_cast<uint8_t>(row[i] + row[i - bpp]);
      break;
    case 2:
      for (size_t i = 0; i < n; ++i) row[i] = static_cast<uint8_t>(row[i] + prev[i]);
      break;
    case 3:
      for (size_t i = 0; i < bpp && i < n; ++i) row[i] = static_cast<uint8_t>(row[i] + (prev[i] >> 1));
      for (size_t i = bpp; i < n; ++i) row[i] = static_cast<uint8_t>(row[i] + ((row[i - bpp] + prev[i]) >> 1));
      break;
    case 4:
      for (size_t i = 0; i < bpp && i < n; ++i) row[i] = static_cast<uint8_t>(row[i] + prev[i]);
      for (size_t i = bpp; i < n; ++i)
        row[i] = static_cast<uint8_t>(row[i] + Paeth(row[i - bpp], prev[i], prev[i - bpp]));
      break;
    default: break;
  }
}

// Copies n three-byte pixels, swapping their first and third bytes (RGB <-> the store's BGR).
void SwapRedBlueScalar(uint8_t* __restrict dst, const uint8_t* __restrict src, int32_t n) {
  for (int32_t k = 0; k < n; ++k, src += 3, dst += 3) {
    dst[0] = src[2];
    dst[1] = src[1];
    dst[2] = src[0];
  }
}

#if defined(__x86_64__) && defined(__GNUC__)
// Four pixels per shuffle; every load and store stays inside the n pixels.
__attribute__((target("ssse3"))) void SwapRedBlueSsse3(uint8_t* __restrict dst, const uint8_t* __restrict src,
                                                       int32_t n) {
  const __m128i order = _mm_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 12, 13, 14, 15);
  int32_t k = 0;
  for (; k + 6 <= n; k += 4) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 3 * k));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 3 * k), _mm_shuffle_epi8(v, order));
  }
  SwapRedBlueScalar(dst + 3 * k, src + 3 * k, n - k);
}
const bool kHasSsse3 = __builtin_cpu_supports("ssse3");
void SwapRedBlue(uint8_t* dst, const uint8_t* src, int32_t n) {
  if (kHasSsse3) SwapRedBlueSsse3(dst, src, n);
  else SwapRedBlueScalar(dst, src, n);
}
#else
void SwapRedBlue(uint8_t* dst, const uint8_t* src, int32_t n) { SwapRedBlueScalar(dst, src, n); }
#endif

// Adler-32 as the zlib format defines it: s1 = 1 + the bytes, s2 = the sum of every s1, both
// mod 65521. zlib's own check, a byte at a time, is turned off on decoding and this one, 16
// bytes a step, takes its place.
constexpr uint32_t kAdlerBase = 65521;
constexpr size_t kAdlerRun = 5552;  // bytes before the sums must be reduced (kept in 32 bits)

uint32_t AdlerScalar(uint32_t adler, const uint8_t* p, size_t n) {
  uint32_t s1 = adler & 0xFFFF, s2 = adler >> 16;
  while (n > 0) {
    const size_t run = std::min(n, kAdlerRun);
    for (size_t i = 0; i < run; ++i) {
      s1 += p[i];
      s2 += s1;
    }
    s1 %= kAdlerBase;
    s2 %= kAdlerBase;
    p += run;
    n -= run;
  }
  return (s2 << 16) | s1;
}

#if defined(__x86_64__) && defined(__GNUC__)
// Per 16 bytes x0..x15: s2 += 16 s1 + 16 x0 + 15 x1 + ... + 1 x15, s1 += x0 + ... + x15.
__attribute__((target("ssse3"))) uint32_t AdlerSsse3(uint32_t adler, const uint8_t* p, size_t n) {
  const __m128i weights = _mm_setr_epi8(16, 15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1);
  const __m128i ones = _mm_set1_epi16(1);
  const __m128i zero = _mm_setzero_si128();
  uint64_t s1 = adler & 0xFFFF, s2 = adler >> 16;
  while (n >= 16) {
    const size_t blocks = std::min(n, kAdlerRun) / 16;
    __m128i sums = zero;    // the bytes so far in this run
    __m128i starts = zero;  // the sum of `sums` at each block's start
    __m128i weighted = zero;
    for (size_t b = 0; b < blocks; ++b) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * b));
      starts = _mm_add_epi32(starts, sums);
      sums = _mm_add_epi32(sums, _mm_sad_epu8(v, zero));
      weighted = _mm_add_epi32(weighted, _mm_madd_epi16(_mm_maddubs_epi16(v, weights), ones));
    }
    alignas(16) uint32_t a[4], c[4], w[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(a), sums);
    _mm_store_si128(reinterpret_cast<__m128i*>(c), starts);
    _mm_store_si128(reinterpret_cast<__m128i*>(w), weighted);
    s2 += 16 * blocks * s1 + 16 * (uint64_t{c[0]} + c[2]) + uint64_t{w[0]} + w[1] + w[2] + w[3];
    s1 += uint64_t{a[0]} + a[2];
    s1 %= kAdlerBase;
    s2 %= kAdlerBase;
    p += 16 * blocks;
    n -= 16 * blocks;
  }
  return AdlerScalar(static_cast<uint32_t>((s2 << 16) | s1), p, n);
}
uint32_t UpdateAdler(uint32_t adler, const uint8_t* p, size_t n) {
  return kHasSsse3 ? AdlerSsse3(adler, p, n) : AdlerScalar(adler, p, n);
}
#else
uint32_t UpdateAdler(uint32_t adler, const uint8_t* p, size_t n) { return AdlerScalar(adler, p, n); }
#endif

// Where decoded samples go and where encoded ones come from.
struct Store {
  TPNGObject* owner;
  TChunkIHDR* header;
  const uint8_t* gamma;
  const uint8_t* inverse;
  bool identity;
  uint8_t* Pixels(int32_t y) const { return owner->PixelRow(y); }
  uint8_t* Alpha(int32_t y) const { return owner->AlphaRow(y); }
  uint8_t* Low(int32_t y) const { return owner->LowByteRow(y); }
};

// Row routines: `n` pixels of raw row `raw` into image row y at columns x0, x0 + dx, ...
using StoreRow = void (*)(const Store& s, const uint8_t* raw, int32_t y, int32_t x0, int32_t dx, int32_t n,
                          uint32_t rowLength);

void StorePackedCopy(const Store& s, const uint8_t* raw, int32_t y, int32_t, int32_t, int32_t, uint32_t len) {
  std::memcpy(s.Pixels(y), raw, len);
}

template <int Depth>
void StorePackedSpread(const Store& s, const uint8_t* raw, int32_t y, int32_t x0, int32_t dx, int32_t n, uint32_t) {
  uint8_t* row = s.Pixels(y);
  constexpr int perByte = 8 / Depth;
  constexpr unsigned mask = (1u << Depth) - 1;
  for (int32_t k = 0, x = x0; k < n; ++k, x += dx) {
    const unsigned v = (raw[k / perByte] >> (8 - Depth - Depth * (k % perByte))) & mask;
    row[x / perByte] |= static_cast<uint8_t>(v << (8 - Depth - Depth * (x % perByte)));
  }
}

// 2-bit samples in 4-bit fields: grey levels as 5v (0, 5, 10, 15 of a 16-level ramp, the exact
// levels 0, 85, 170, 255), palette indexes as they are.
template <bool Grey>
void StoreTwoBit(const Store& s, const uint8_t* raw, int32_t y, int32_t x0, int32_t dx, int32_t n, uint32_t) {
  uint8_t* row = s.Pixels(y);
  for (int32_t k = 0, x = x0; k < n; ++k, x += dx) {
    const unsigned v = (raw[k >> 2] >> (6 - 2 * (k & 3))) & 3u;
    row[x >> 1] |= static_cast<uint8_t>((Grey ? v * 5 : v) << ((x & 1) ? 0 : 4));
  }
}

void StoreGrey16(const Store& s, const uint8_t* raw, int32_t y, int32_t x0, int32_t dx, int32_t n, uint32_t) {
  uint8_t* row = s.Pixels(y);
  uint8_t* low = s.Low(y);
  for (int32_t k = 0, x = x0; k < n; ++k, x += dx) {
    row[x] = raw[2 * k];
    low[x] = raw[2 * k + 1];
  }
}

template <bool WithAlpha>
void StoreRgb8(const Store& s, const uint8_t* raw, int32_t y, int32_t x0, int32_t dx, int32_t n, uint32_t) {
  uint8_t* row = s.Pixels(y) + 3 * x0;
  uint8_t* alpha = WithAlpha ? s.Alpha(y) + x0 : nullptr;
  constexpr int step = WithAlpha ? 4 : 3;
  const ptrdiff_t out = 3 * dx;
  if (!WithAlpha && s.identity && dx == 1) {
    SwapRedBlue(row, raw, n);
  } else if (s.identity) {
    for (int32_t k = 0; k < n; ++k, raw += step, row += out) {
      row[0] = raw[2];
      row[1] = raw[1];
      row[2] = raw[0];
      if constexpr (WithAlpha) alpha[k * dx] = raw[3];
    }
  } else {
    const uint8_t* g = s.gamma;
    for (int32_t k = 0; k < n; ++k, raw += step, row += out) {
      row[0] = g[raw[2]];
      row[1] = g[raw[1]];
      row[2] = g[raw[0]];
      if constexpr (WithAlpha) alpha[k * dx] = raw[3];
    }
  }
}

template <bool WithAlpha>
void StoreRgb16(const Store& s, const uint8_t* raw, int32_t y, int32_t x0, int32_t dx, int32_t n, uint32_t) {
  uint8_t* row = s.Pixels(y);
  uint8_t* low = s.Low(y);
  uint8_t* alpha = WithAlpha ? s.Alpha(y) : nullptr;
  const uint8_t* g = s.gamma;
  constexpr int step = WithAlpha ? 8 : 6;
  for (int32_t k = 0, x = x0; k < n; ++k, x += dx, raw += step) {
    for (int c = 0; c < 3; ++c) {
      row[3 * x + 2 - c] = g[raw[2 * c]];
      low[3 * x + 2 - c] = g[raw[2 * c + 1]];
    }
    if constexpr (WithAlpha) alpha[x] = raw[6];
  }
}

void StoreGreyAlpha8(const Store& s, const uint8_t* raw, int32_t y, int32_t x0, int32_t dx, int32_t n, uint32_t) {
  uint8_t* row = s.Pixels(y);
  uint8_t* alpha = s.Alpha(y);
  for (int32_t k = 0, x = x0; k < n; ++k, x += dx) {
    row[x] = raw[2 * k];
    alpha[x] = raw[2 * k + 1];
  }
}

void StoreGreyAlpha16(const Store& s, const uint8_t* raw, int32_t y, int32_t x0, int32_t dx, int32_t n, uint32_t) {
  uint8_t* row = s.Pixels(y);
  uint8_t* low = s.Low(y);
  uint8_t* alpha = s.Alpha(y);
  for (int32_t k = 0, x = x0; k < n; ++k, x += dx) {
    row[x] = raw[4 * k];
    low[x] = raw[4 * k + 1];
    alpha[x] = raw[4 * k + 2];
  }
}

StoreRow ChooseStoreRow(uint8_t colorType, uint8_t depth, bool interlaced) {
  switch (colorType) {
    case 0:
    case 3:
      if (depth == 2) return colorType == 0 ? &StoreTwoBit<true> : &StoreTwoBit<false>;
      if (depth == 16) return &StoreGrey16;
      if (!interlaced) return &StorePackedCopy;
      return depth == 1 ? &StorePackedSpread<1> : depth == 4 ? &StorePackedSpread<4> : &StorePackedSpread<8>;
    case 2: return depth == 8 ? &StoreRgb8<false> : &StoreRgb16<false>;
    case 4: return depth == 8 ? &StoreGreyAlpha8 : &StoreGreyAlpha16;
    case 6: return depth == 8 ? &StoreRgb8<true> : &StoreRgb16<true>;
    default: return nullptr;
  }
}

AnsiString ZlibMessage(const z_stream& zs, int code) { return AnsiString(zs.msg ? zs.msg : zError(code)); }

// Reads the compressed data across consecutive IDAT chunks, checking each chunk's CRC. Inflates
// ahead into a buffer of many rows (zlib's fast loop runs only with room for a whole match), but
// never past the `limit` bytes the image needs; a zlib error met ahead is raised only when the
// rows reach it, so every row before it is stored as when inflating row by row. Rows are handed
// out in place, to be unfiltered where they were inflated.
class ImageDataReader {
 public:
  ImageDataReader(TStream* stream, uint32_t firstSize, uint64_t limit, uint32_t longestRow)
      : stream_(stream), remaining_(firstSize), limit_(limit) {
    crc_ = UpdateCrc(0xFFFFFFFFu, reinterpret_cast<const uint8_t*>("IDAT"), 4);
    if (inflateInit(&zs_) != Z_OK) throw EPNGOutMemory();
    inflateValidate(&zs_, 0);  // the check value is ours (UpdateAdler)
    // Room for the row kept and a whole next row; never more than the image needs, since the
    // rows handed out only move towards the front.
    const uint64_t wanted = std::max<uint64_t>(kAhead, 2 * (uint64_t{longestRow} + 1));
    capacity_ = static_cast<size_t>(std::min<uint64_t>(limit, wanted));
    try {
      input_.resize(65535);
      output_.resize(capacity_ + kRowPadding);
    } catch (const std::bad_alloc&) {
      inflateEnd(&zs_);
      throw EPNGOutMemory();
    }
  }
  ~ImageDataReader() { inflateEnd(&zs_); }

  // The next `want` inflated bytes, in place in the buffer, which has `want` bytes and the row
  // padding of room there; `got` is fewer when the compressed data ends. `previous`, the row
  // handed out before (or null), is kept and moved with the bytes after it.
  uint8_t* NextRow(size_t want, size_t& got, uint8_t*& previous) {
    // Short of a row: the kept bytes go to the front (so the whole row has room, even when the
    // data ends within it) and more is inflated after them.
    if (end_ - begin_ < want) {
      uint8_t* base = output_.data();
      const size_t keep = previous ? static_cast<size_t>(previous - base) : begin_;
      if (keep > 0) {
        std::memmove(base, base + keep, end_ - keep);
        if (previous) previous = base;
        begin_ -= keep;
        end_ -= keep;
      }
      while (end_ - begin_ < want && !ended_ && Fill()) {
      }
    }
    got = std::min(want, end_ - begin_);
    uint8_t* row = output_.data() + begin_;
    begin_ += got;
    if (got < want && failed_) throw EPNGZLIBError(failure_);
    return row;
  }

  // Reads the rest of the current chunk and checks its CRC.
  void Finish() {
    while (remaining_ > 0) ReadBlock();
    if (!crcChecked_) CheckCrc();
  }

 private:
  // The next block of the current chunk's data into the input buffer. The CRC is checked as soon
  // as the chunk's last block is in, before any of that block is inflated.
  uint32_t ReadBlock() {
    const uint32_t n = std::min<uint32_t>(remaining_, static_cast<uint32_t>(input_.size()));
    ReadExact(stream_, input_.data(), n);
    crc_ = UpdateCrc(crc_, input_.data(), n);
    remaining_ -= n;
    if (remaining_ == 0) CheckCrc();
    return n;
  }

  void CheckCrc() {
    uint8_t bytes[4];
    ReadExact(stream_, bytes, 4);
    if (~crc_ != GetBE32(bytes)) throw EPngInvalidCRC();
    crcChecked_ = true;
  }

  // the next bytes the image needs after the buffered ones; false when none came.
  bool Fill() {
    const size_t room = static_cast<size_t>(std::min<uint64_t>(limit_, capacity_ - end_));
    if (room == 0) return false;
    zs_.next_out = output_.data() + end_;
    zs_.avail_out = static_cast<uInt>(room);
    while (zs_.avail_out > 0 && !ended_) {
      if (zs_.avail_in == 0) {
        if (remaining_ == 0) {
          NextChunk();
          continue;
        }
        KeepTail();
        zs_.next_in = input_.data();
        zs_.avail_in = block_ = ReadBlock();
      }
      const uInt inBefore = zs_.avail_in, outBefore = zs_.avail_out;
      const int code = inflate(&zs_, Z_NO_FLUSH);
      adler_ = UpdateAdler(adler_, zs_.next_out - (outBefore - zs_.avail_out), outBefore - zs_.avail_out);
      if (code == Z_STREAM_END) {
        ended_ = true;
        if (StoredCheck() != adler_) {
          failure_ = "incorrect data check";  // zlib's text for it
          failed_ = true;
        }
      } else if (code < 0 || code == Z_NEED_DICT) {
        failure_ = ZlibMessage(zs_, code == Z_NEED_DICT ? Z_DATA_ERROR : code);
        failed_ = ended_ = true;
      } else if (zs_.avail_in == inBefore && zs_.avail_out == outBefore) {
        ended_ = true;  // no progress: nothing more can come
      }
    }
    const size_t filled = room - zs_.avail_out;
    end_ += filled;
    limit_ -= filled;
    if (limit_ == 0) ended_ = true;
    return filled > 0;
  }

  // The last 4 bytes given to zlib, before the input buffer takes the next block.
  void KeepTail() {
    if (block_ >= 4) {
      std::memcpy(tail_, input_.data() + block_ - 4, 4);
    } else if (block_ > 0) {
      std::memmove(tail_, tail_ + block_, 4 - block_);
      std::memcpy(tail_ + 4 - block_, input_.data(), block_);
    }
    block_ = 0;
  }

  // The check value at the end of the zlib stream: the 4 bytes zlib took last, maybe from more
  // than one chunk.
  uint32_t StoredCheck() const {
    const size_t used = static_cast<size_t>(zs_.next_in - input_.data());
    uint8_t bytes[4];
    if (used >= 4) {
      std::memcpy(bytes, input_.data() + used - 4, 4);
    } else {
      std::memcpy(bytes, tail_ + used, 4 - used);
      std::memcpy(bytes + 4 - used, input_.data(), used);
    }
    return GetBE32(bytes);
  }

  void NextChunk() {
    if (!crcChecked_) CheckCrc();
    uint8_t head[8];
    ReadExact(stream_, head, 8);
    if (std::memcmp(head + 4, "IDAT", 4) != 0) throw EPNGMissingMultipleIDAT();
    const uint32_t length = GetBE32(head);
    CheckChunkLength(stream_, length);
    crc_ = UpdateCrc(0xFFFFFFFFu, head + 4, 4);
    remaining_ = length;
    crcChecked_ = false;
  }

  static constexpr uint64_t kAhead = 256 * 1024;
  TStream* stream_;
  uint32_t remaining_;  // data bytes of the current chunk not yet read
  uint64_t limit_;      // inflated bytes the image still needs
  uint32_t crc_;
  z_stream zs_{};
  std::vector<uint8_t> input_, output_;
  size_t capacity_ = 0;         // of output_, less the row padding
  size_t begin_ = 0, end_ = 0;  // the inflated bytes not yet handed out
  uint32_t adler_ = 1;    // of every byte inflated
  uint32_t block_ = 0;    // bytes in input_, of which zlib has taken all but avail_in
  uint8_t tail_[4] = {};  // the 4 bytes taken before those
  bool ended_ = false;
  bool failed_ = false;
  AnsiString failure_;
  bool crcChecked_ = false;
};

// ---- Encoding ------------------------------------------------------------------------------------

// Store pixels into a raw row: `n` pixels of image row y at columns x0, x0 + dx, ...
using RawRow = void (*)(const Store& s, uint8_t* raw, int32_t y, int32_t x0, int32_t dx, int32_t n, uint32_t len);

void RawPackedCopy(const Store& s, uint8_t* raw, int32_t y, int32_t, int32_t, int32_t, uint32_t len) {
  std::memcpy(raw, s.Pixels(y), len);
}

template <int Depth>
void RawPackedGather(const Store& s, uint8_t* raw, int32_t y, int32_t x0, int32_t dx, int32_t n, uint32_t len) {
  const uint8_t* row = s.Pixels(y);
  constexpr int perByte = 8 / Depth;
  constexpr unsigned mask = (1u << Depth) - 1;
  std::memset(raw, 0, len);
  for (int32_t k = 0, x = x0; k < n; ++k, x += dx) {
    const unsigned v = (row[x / perByte] >> (8 - Depth - Depth * (x % perByte))) & mask;
    raw[k / perByte] |= static_cast<uint8_t>(v << (8 - Depth - Depth * (k % perByte)));
  }
}

void RawGrey16(const Store& s, uint8_t* raw, int32_t y, int32_t x0, int32_t dx, int32_t n, uint32_t) {
  const uint8_t* row = s.Pixels(y);
  const uint8_t* low = s.Low(y);
  for (int32_t k = 0, x = x0; k < n; ++k, x += dx) {
    raw[2 * k] = row[x];
    raw[2 * k + 1] = low ? low[x] : row[x];
  }
}

template <bool WithAlpha>
void RawRgb8(const Store& s, uint8_t* raw, int32_t y, int32_t x0, int32_t dx, int32_t n, uint32_t) {
  const uint8_t* row = s.Pixels(y) + 3 * x0;
  const uint8_t* alpha = WithAlpha ? s.Alpha(y) + x0 : nullptr;
  constexpr int step = WithAlpha ? 4 : 3;
  const ptrdiff_t in = 3 * dx;
  if (!WithAlpha && s.identity && dx == 1) {
    SwapRedBlue(raw, row, n);
  } else if (s.identity) {
    for (int32_t k = 0; k < n; ++k, raw += step, row += in) {
      raw[0] = row[2];
      raw[1] = row[1];
      raw[2] = row[0];
      if constexpr (WithAlpha) raw[3] = alpha[k * dx];
    }
  } else {
    const uint8_t* inv = s.inverse;
    for (int32_t k = 0; k < n; ++k, raw += step, row += in) {
      raw[0] = inv[row[2]];
      raw[1] = inv[row[1]];
      raw[2] = inv[row[0]];
      if constexpr (WithAlpha) raw[3] = alpha[k * dx];
    }
  }
}

// 16-bit RGB: the high bytes from the store and the low bytes from the low-byte plane, both back
// through the inverse gamma table; a 16-bit alpha is the 8-bit one times 257.
template <bool WithAlpha>
void RawRgb16(const Store& s, uint8_t* raw, int32_t y, int32_t x0, int32_t dx, int32_t n, uint32_t) {
  const uint8_t* row = s.Pixels(y);
  const uint8_t* low = s.Low(y);
  const uint8_t* alpha = WithAlpha ? s.Alpha(y) : nullptr;
  const uint8_t* inv = s.inverse;
  constexpr int step = WithAlpha ? 8 : 6;
  for (int32_t k = 0, x = x0; k < n; ++k, x += dx, raw += step) {
    for (int c = 0; c < 3; ++c) {
      raw[2 * c] = inv[row[3 * x + 2 - c]];
      raw[2 * c + 1] = low ? inv[low[3 * x + 2 - c]] : raw[2 * c];
    }
    if constexpr (WithAlpha) raw[6] = raw[7] = alpha[x];
  }
}

void RawGreyAlpha8(const Store& s, uint8_t* raw, int32_t y, int32_t x0, int32_t dx, int32_t n, uint32_t) {
  const uint8_t* row = s.Pixels(y);
  const uint8_t* alpha = s.Alpha(y);
  for (int32_t k = 0, x = x0; k < n; ++k, x += dx) {
    raw[2 * k] = row[x];
    raw[2 * k + 1] = alpha[x];
  }
}

void RawGreyAlpha16(const Store& s, uint8_t* raw, int32_t y, int32_t x0, int32_t dx, int32_t n, uint32_t) {
  const uint8_t* row = s.Pixels(y);
  const uint8_t* low = s.Low(y);
  const uint8_t* alpha = s.Alpha(y);
  for (int32_t k = 0, x = x0; k < n; ++k, x += dx) {
    raw[4 * k] = row[x];
    raw[4 * k + 1] = low ? low[x] : row[x];
    raw[4 * k + 2] = raw[4 * k + 3] = alpha[x];
  }
}

RawRow ChooseRawRow(uint8_t colorType, uint8_t depth, bool interlaced) {
  switch (colorType) {
    case 0:
    case 3:
      if (depth == 16) return &RawGrey16;
      if (!interlaced) return &RawPackedCopy;
      return depth == 1 ? &RawPackedGather<1> : depth == 4 ? &RawPackedGather<4> : &RawPackedGather<8>;
    case 2: return depth == 8 ? &RawRgb8<false> : &RawRgb16<false>;
    case 4: return depth == 8 ? &RawGreyAlpha8 : &RawGreyAlpha16;
    case 6: return depth == 8 ? &RawRgb8<true> : &RawRgb16<true>;
    default: return nullptr;
  }
}

// Counts the bytes equal to one of the two before them: rows that repeat compress well.
uint32_t RepetitionScore(const uint8_t* row, uint32_t n) {
  uint32_t score = 0;
  for (uint32_t j = 2; j < n; ++j) score += row[j] == row[j - 1] || row[j] == row[j - 2];
  return score;
}

// Filters the raw row with every allowed filter and picks one; `none` holds the previous raw row
// on entry and this raw row on return.
TFilter ChooseRowFilter(TFilters filters, const uint8_t* __restrict raw, uint8_t* none, uint8_t* const out[5], uint32_t n,
                        uint32_t bpp) {
  const uint8_t* __restrict prev = none;
  const uint32_t lead = std::min(bpp, n);  // the bytes with no pixel to their left
  // Each filter in two loops, the lead bytes and the rest, so that the rest vectorises.
  if (filters.Contains(pfSub)) {
    uint8_t* __restrict o = out[pfSub];
    for (uint32_t i = 0; i < lead; ++i) o[i] = raw[i];
    for (uint32_t i = lead; i < n; ++i) o[i] = static_cast<uint8_t>(raw[i] - raw[i - bpp]);
  }
  if (filters.Contains(pfUp)) {
    uint8_t* __restrict o = out[pfUp];
    for (uint32_t i = 0; i < n; ++i) o[i] = static_cast<uint8_t>(raw[i] - prev[i]);
  }
  if (filters.Contains(pfAverage)) {
    uint8_t* __restrict o = out[pfAverage];
    for (uint32_t i = 0; i < lead; ++i) o[i] = static_cast<uint8_t>(raw[i] - (prev[i] >> 1));
    for (uint32_t i = lead; i < n; ++i) o[i] = static_cast<uint8_t>(raw[i] - ((raw[i - bpp] + prev[i]) >> 1));
  }
  if (filters.Contains(pfPaeth)) {
    uint8_t* __restrict o = out[pfPaeth];
    for (uint32_t i = 0; i < lead; ++i) o[i] = static_cast<uint8_t>(raw[i] - Paeth(0, prev[i], 0));
    for (uint32_t i = lead; i < n; ++i)
      o[i] = static_cast<uint8_t>(raw[i] - Paeth(raw[i - bpp], prev[i], prev[i - bpp]));
  }
  std::memcpy(none, raw, n);
  if (filters.Empty() || filters == TFilters{pfNone}) return pfNone;
  TFilter best = pfNone;
  uint32_t bestScore = 0;
  for (int f = pfNone; f <= pfPaeth; ++f) {
    const auto filter = static_cast<TFilter>(f);
    if (!filters.Contains(filter)) continue;
    if (filters == TFilters{filter}) return filter;
    const uint32_t score = RepetitionScore(filter == pfNone ? none : out[f], n);
    if (score > bestScore) {
      bestScore = score;
      best = filter;
    }
  }
  return best;
}

// Deflates into a buffer of MaxImageChunkSize bytes, written as one IDAT chunk whenever full.
class ImageDataWriter {
 public:
  ImageDataWriter(TStream* stream, int level, int32_t chunkSize) : stream_(stream) {
    const int code = deflateInit(&zs_, level);
    if (code != Z_OK) throw EPNGZLIBError(ZlibMessage(zs_, code));
    try {
      out_.resize(static_cast<size_t>(chunkSize));
    } catch (const std::bad_alloc&) {
      deflateEnd(&zs_);
      throw EPNGOutMemory();
    }
    zs_.next_out = out_.data();
    zs_.avail_out = static_cast<uInt>(out_.size());
  }
  ~ImageDataWriter() { deflateEnd(&zs_); }

  void Write(const uint8_t* data, uint32_t n) {
    zs_.next_in = const_cast<Bytef*>(data);
    zs_.avail_in = n;
    while (zs_.avail_in > 0) Step(Z_NO_FLUSH);
  }

  void Finish() {
    while (Step(Z_FINISH) != Z_STREAM_END) {
    }
    const size_t filled = out_.size() - zs_.avail_out;
    if (filled) WriteChunkTo(stream_, "IDAT", out_.data(), static_cast<uint32_t>(filled));
  }

 private:
  int Step(int flush) {
    const int code = deflate(&zs_, flush);
    if (code < 0 && code != Z_BUF_ERROR) throw EPNGZLIBError(ZlibMessage(zs_, code));
    if (zs_.avail_out == 0) {
      WriteChunkTo(stream_, "IDAT", out_.data(), static_cast<uint32_t>(out_.size()));
      zs_.next_out = out_.data();
      zs_.avail_out = static_cast<uInt>(out_.size());
    }
    return code;
  }

  TStream* stream_;
  z_stream zs_{};
  std::vector<uint8_t> out_;
};

}  // namespace

void TPNGObject::RowInfo(int32_t width, uint32_t& rowLength, uint32_t& pixelStep) const {
  if (!HasHeader()) {
    rowLength = pixelStep = 0;
    return;
  }
  const TChunkIHDR* h = HeaderChunk();
  RowGeometry(h->ColorType, h->BitDepth, width, rowLength, pixelStep);
}

bool TChunkIDAT::ReadFromStream(TStream* stream, const char* chunkType, uint32_t size) {
  TChunkIHDR* h = HeaderChunk();
  // A gamma chunk read before the image data takes effect on the grey ramp.
  if (h->HasPalette && h->ColorType != 3)
    FOwner->SetPalette(NewGreyRamp(FOwner, 1u << h->BitmapInfo.bmiHeader.biBitCount));
  const bool interlaced = FOwner->InterlaceMode() == 1;
  const StoreRow store = ChooseStoreRow(h->ColorType, h->BitDepth, interlaced);
  if (!store) throw EPngInvalidIHDR();
  const Store target{FOwner, h, FOwner->GammaTable, FOwner->InverseGammaTable, FOwner->GammaIsIdentity()};

  uint32_t fullLength = 0, bpp = 0;
  FOwner->RowInfo(h->Width, fullLength, bpp);
  const Pass* passes = interlaced ? kAdam7 : &kWhole;
  const int passCount = interlaced ? 7 : 1;
  uint64_t needed = 0;  // filter bytes and raw rows of every pass
  for (int p = 0; p < passCount; ++p) {
    uint32_t rowLength = 0, step = 0;
    FOwner->RowInfo(PassWidth(h->Width, passes[p]), rowLength, step);
    if (rowLength == 0 || passes[p].row0 >= h->Height) continue;
    const uint64_t rows =
        (static_cast<uint64_t>(h->Height) - passes[p].row0 + passes[p].rowStep - 1) / passes[p].rowStep;
    needed += rows * (uint64_t{rowLength} + 1);
  }
  ImageDataReader reader(stream, size, needed, fullLength);
  std::vector<uint8_t> zero;  // the row above the first of each pass
  try {
    zero.assign(size_t{fullLength} + 1 + kRowPadding, 0);
  } catch (const std::bad_alloc&) {
    throw EPNGOutMemory();
  }
  bool more = true;
  for (int p = 0; p < passCount && more; ++p) {
    const Pass& pass = passes[p];
    const int32_t width = PassWidth(h->Width, pass);
    uint32_t rowLength = 0, step = 0;
    FOwner->RowInfo(width, rowLength, step);
    if (rowLength == 0 || pass.row0 >= h->Height) continue;
    uint8_t* prev = nullptr;  // the row before, in the reader's buffer
    for (int32_t y = pass.row0; y < h->Height; y += pass.rowStep) {
      const size_t want = size_t{rowLength} + 1;
      size_t got = 0;
      uint8_t* cur = reader.NextRow(want, got, prev);
      if (got == 0) {
        more = false;
        break;
      }
      // A row cut short by the end of the data is kept with zeroes for what is missing.
      if (got < want) std::memset(cur + got, 0, want - got);
      Unfilter(cur[0], cur + 1, (prev ? prev : zero.data()) + 1, rowLength, bpp);
      store(target, cur + 1, y, pass.col0, pass.colStep, width, rowLength);
      prev = cur;
      if (got < want) {
        more = false;
        break;
      }
    }
  }
  reader.Finish();
  return true;
}

bool TChunkIDAT::WriteToStream(TStream* stream) {
  TChunkIHDR* h = HeaderChunk();
  // 2-bit images are written at the 4 bits per pixel the store holds them at.
  const uint8_t depth = h->BitDepth == 2 ? 4 : h->BitDepth;
  const bool interlaced = FOwner->InterlaceMode() == 1;
  const RawRow toRaw = ChooseRawRow(h->ColorType, depth, interlaced);
  if (!toRaw) throw EPngInvalidIHDR();
  const Store source{FOwner, h, FOwner->GammaTable, FOwner->InverseGammaTable, FOwner->GammaIsIdentity()};
  uint32_t fullLength = 0, bpp = 0;
  RowGeometry(h->ColorType, depth, h->Width, fullLength, bpp);
  const TFilters filters = FOwner->RowFilters();
  std::vector<uint8_t> raw(fullLength + 1), none(fullLength + 1, 0);
  // Each filtered row one byte into its buffer: the filter type goes before it, and the two are
  // deflated in one call.
  std::vector<uint8_t> filtered[5];
  uint8_t* out[5] = {none.data() + 1, nullptr, nullptr, nullptr, nullptr};
  for (int f = pfSub; f <= pfPaeth; ++f)
    if (filters.Contains(static_cast<TFilter>(f))) {
      filtered[f].assign(fullLength + 1, 0);
      out[f] = filtered[f].data() + 1;
    }
  ImageDataWriter writer(stream, FOwner->DeflateLevel(), FOwner->MaxImageChunkSize());
  const Pass* passes = interlaced ? kAdam7 : &kWhole;
  const int passCount = interlaced ? 7 : 1;
  for (int p = 0; p < passCount; ++p) {
    const Pass& pass = passes[p];
    const int32_t width = PassWidth(h->Width, pass);
    uint32_t rowLength = 0, step = 0;
    RowGeometry(h->ColorType, depth, width, rowLength, step);
    if (rowLength == 0 || pass.row0 >= h->Height) continue;
    std::memset(none.data() + 1, 0, rowLength);
    for (int32_t y = pass.row0; y < h->Height; y += pass.rowStep) {
      toRaw(source, raw.data(), y, pass.col0, pass.colStep, width, rowLength);
      const TFilter f = ChooseRowFilter(filters, raw.data(), none.data() + 1, out, rowLength, bpp);
      uint8_t* row = out[f] - 1;
      row[0] = static_cast<uint8_t>(f);
      writer.Write(row, rowLength + 1);
    }
  }
  writer.Finish();
  return true;
}
