#include "ddraw_rows.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace winplat::ddraw {
namespace {

void KeyedRowPlain(uint32_t* to, const uint32_t* from, size_t count, uint32_t mask, uint32_t key) {
  for (size_t i = 0; i < count; ++i)
    if ((from[i] & mask) != key) to[i] = from[i];
}

#if defined(__x86_64__)

// Sixteen pixels a step: a step with no keyed pixel is stored without reading the destination,
// one with only keyed pixels is skipped, a mixed one is merged with the destination.
void KeyedRowSse2(uint32_t* to, const uint32_t* from, size_t count, uint32_t mask, uint32_t key) {
  const __m128i m = _mm_set1_epi32(static_cast<int>(mask)), k = _mm_set1_epi32(static_cast<int>(key));
  size_t i = 0;
  for (; i + 16 <= count; i += 16) {
    __m128i v[4], keyed[4];
    for (int j = 0; j < 4; ++j) {
      v[j] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i + 4 * j));
      keyed[j] = _mm_cmpeq_epi32(_mm_and_si128(v[j], m), k);
    }
    const __m128i any = _mm_or_si128(_mm_or_si128(keyed[0], keyed[1]), _mm_or_si128(keyed[2], keyed[3]));
    if (_mm_movemask_epi8(any) == 0) {
      for (int j = 0; j < 4; ++j) _mm_storeu_si128(reinterpret_cast<__m128i*>(to + i + 4 * j), v[j]);
      continue;
    }
    const __m128i all = _mm_and_si128(_mm_and_si128(keyed[0], keyed[1]), _mm_and_si128(keyed[2], keyed[3]));
    if (_mm_movemask_epi8(all) == 0xFFFF) continue;
    for (int j = 0; j < 4; ++j) {
      auto* d = reinterpret_cast<__m128i*>(to + i + 4 * j);
      const __m128i old = _mm_loadu_si128(d);
      _mm_storeu_si128(d, _mm_or_si128(_mm_and_si128(keyed[j], old), _mm_andnot_si128(keyed[j], v[j])));
    }
  }
  for (; i + 4 <= count; i += 4) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i));
    const __m128i keyed = _mm_cmpeq_epi32(_mm_and_si128(v, m), k);
    auto* d = reinterpret_cast<__m128i*>(to + i);
    const __m128i old = _mm_loadu_si128(d);
    _mm_storeu_si128(d, _mm_or_si128(_mm_and_si128(keyed, old), _mm_andnot_si128(keyed, v)));
  }
  KeyedRowPlain(to + i, from + i, count - i, mask, key);
}

__attribute__((target("avx2"))) void KeyedRowAvx2(uint32_t* to, const uint32_t* from, size_t count, uint32_t mask,
                                                  uint32_t key) {
  const __m256i m = _mm256_set1_epi32(static_cast<int>(mask)), k = _mm256_set1_epi32(static_cast<int>(key));
  size_t i = 0;
  for (; i + 16 <= count; i += 16) {
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from + i));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from + i + 8));
    const __m256i ka = _mm256_cmpeq_epi32(_mm256_and_si256(a, m), k);
    const __m256i kb = _mm256_cmpeq_epi32(_mm256_and_si256(b, m), k);
    auto* da = reinterpret_cast<__m256i*>(to + i);
    auto* db = reinterpret_cast<__m256i*>(to + i + 8);
    if (_mm256_testz_si256(_mm256_or_si256(ka, kb), _mm256_or_si256(ka, kb))) {
      _mm256_storeu_si256(da, a);
      _mm256_storeu_si256(db, b);
      continue;
    }
    const __m256i all = _mm256_and_si256(ka, kb);
    if (_mm256_movemask_epi8(all) == -1) continue;
    _mm256_storeu_si256(da, _mm256_blendv_epi8(a, _mm256_loadu_si256(da), ka));
    _mm256_storeu_si256(db, _mm256_blendv_epi8(b, _mm256_loadu_si256(db), kb));
  }
  for (; i + 8 <= count; i += 8) {
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from + i));
    const __m256i ka = _mm256_cmpeq_epi32(_mm256_and_si256(a, m), k);
    auto* da = reinterpret_cast<__m256i*>(to + i);
    _mm256_storeu_si256(da, _mm256_blendv_epi8(a, _mm256_loadu_si256(da), ka));
  }
  KeyedRowPlain(to + i, from + i, count - i, mask, key);
}

int Supported() { return __builtin_cpu_supports("avx2") ? 2 : 1; }

#else

int Supported() { return 0; }

#endif

std::atomic<int> g_level{Supported()};

}  // namespace

int VectorLevel() { return g_level; }

int SetVectorLevel(int level) {
  const int best = Supported();
  g_level = level < 0 ? 0 : level > best ? best : level;
  return g_level;
}

void KeyedRow32(uint32_t* to, const uint32_t* from, size_t count, uint32_t mask, uint32_t key) {
#if defined(__x86_64__)
  switch (g_level.load(std::memory_order_relaxed)) {
    case 2: KeyedRowAvx2(to, from, count, mask, key); return;
    case 1: KeyedRowSse2(to, from, count, mask, key); return;
    default: break;
  }
#endif
  KeyedRowPlain(to, from, count, mask, key);
}

}  // namespace winplat::ddraw
