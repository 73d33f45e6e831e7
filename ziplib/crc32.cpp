#include "ziplib/crc32.h"

#include <array>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace zipvault {
namespace {

// Slice-by-8: table k gives the CRC contribution of a byte followed by k zero bytes, so eight
// input bytes are folded with eight independent lookups instead of a chain of eight.
using Tables = std::array<std::array<uint32_t, 256>, 8>;

constexpr Tables make_tables() {
  Tables t{};
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    t[0][n] = c;
  }
  for (uint32_t n = 0; n < 256; ++n)
    for (int k = 1; k < 8; ++k) t[k][n] = t[0][t[k - 1][n] & 0xFF] ^ (t[k - 1][n] >> 8);
  return t;
}

constexpr Tables kTables = make_tables();

uint32_t crc32_tables(uint32_t c, const uint8_t* p, size_t n);

#if defined(__x86_64__)
// Carry-less multiplication folds 64 bytes per step, four 128-bit lanes at a time, then reduces
// to 32 bits (Barrett). The constants are powers of x modulo the polynomial, bit-reflected:
// x^(4*128+-32) for the 4-lane fold, x^(128+-32) for the 1-lane fold, x^64, then the polynomial
// and its Barrett quotient. n is a multiple of 16 and at least 64.
__attribute__((target("pclmul,sse4.1"))) inline __m128i load(const uint8_t* q) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
}

__attribute__((target("pclmul,sse4.1"))) inline __m128i fold(__m128i x, __m128i k, __m128i next) {
  __m128i hi = _mm_clmulepi64_si128(x, k, 0x11);
  x = _mm_clmulepi64_si128(x, k, 0x00);
  return _mm_xor_si128(_mm_xor_si128(x, hi), next);
}

__attribute__((target("pclmul,sse4.1"))) uint32_t crc32_clmul(uint32_t crc, const uint8_t* p,
                                                               size_t n) {
  const __m128i k21 = _mm_set_epi64x(0x1c6e41596LL, 0x154442bd4LL);
  const __m128i k43 = _mm_set_epi64x(0x0ccaa009eLL, 0x1751997d0LL);
  const __m128i k5 = _mm_set_epi64x(0, 0x163cd6124LL);
  const __m128i poly = _mm_set_epi64x(0x1F7011641LL, 0x1DB710641LL);
  const __m128i mask32 = _mm_set_epi32(0, 0, 0, -1);

  __m128i x1 = _mm_xor_si128(load(p), _mm_cvtsi32_si128(static_cast<int>(crc)));
  __m128i x2 = load(p + 16), x3 = load(p + 32), x4 = load(p + 48);
  p += 64;
  n -= 64;
  while (n >= 64) {
    x1 = fold(x1, k21, load(p));
    x2 = fold(x2, k21, load(p + 16));
    x3 = fold(x3, k21, load(p + 32));
    x4 = fold(x4, k21, load(p + 48));
    p += 64;
    n -= 64;
  }
  x1 = fold(x1, k43, x2);
  x1 = fold(x1, k43, x3);
  x1 = fold(x1, k43, x4);
  while (n >= 16) {
    x1 = fold(x1, k43, load(p));
    p += 16;
    n -= 16;
  }
  // 128 -> 64 bits, then 64 -> 32 with x^64, then Barrett.
  x1 = _mm_xor_si128(_mm_clmulepi64_si128(k43, x1, 0x01), _mm_srli_si128(x1, 8));
  __m128i t = _mm_clmulepi64_si128(_mm_and_si128(x1, mask32), k5, 0x00);
  x1 = _mm_xor_si128(_mm_srli_si128(x1, 4), t);
  t = _mm_clmulepi64_si128(_mm_and_si128(x1, mask32), poly, 0x10);
  t = _mm_clmulepi64_si128(_mm_and_si128(t, mask32), poly, 0x00);
  x1 = _mm_xor_si128(x1, t);
  return static_cast<uint32_t>(_mm_extract_epi32(x1, 1));
}

// Runs during static initialisation, possibly before the compiler's own processor probe.
bool have_clmul() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
}
const bool kHaveClmul = have_clmul();
#endif

}  // namespace

const uint32_t* get_crc_table() { return kTables[0].data(); }

uint32_t crc32_update(uint32_t c, const void* buf, size_t n) {
  auto p = static_cast<const uint8_t*>(buf);
#if defined(__x86_64__)
  if (n >= 64 && kHaveClmul) {
    size_t bulk = n & ~size_t{15};
    c = crc32_clmul(c, p, bulk);
    p += bulk;
    n -= bulk;
  }
#endif
  return crc32_tables(c, p, n);
}

namespace {

uint32_t crc32_tables(uint32_t c, const uint8_t* p, size_t n) {
  while (n >= 8) {
    uint32_t lo, hi;
    std::memcpy(&lo, p, 4);
    std::memcpy(&hi, p + 4, 4);
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    lo = __builtin_bswap32(lo);
    hi = __builtin_bswap32(hi);
#endif
    lo ^= c;
    c = kTables[7][lo & 0xFF] ^ kTables[6][(lo >> 8) & 0xFF] ^ kTables[5][(lo >> 16) & 0xFF] ^
        kTables[4][lo >> 24] ^ kTables[3][hi & 0xFF] ^ kTables[2][(hi >> 8) & 0xFF] ^
        kTables[1][(hi >> 16) & 0xFF] ^ kTables[0][hi >> 24];
    p += 8;
    n -= 8;
  }
  while (n--) c = kTables[0][(c ^ *p++) & 0xFF] ^ (c >> 8);
  return c;
}

}  // namespace

}  // namespace zipvault
