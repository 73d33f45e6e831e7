// Written-out span loops for the commonest draws: a 32-bit texture of the destination's own
// format copied (keyed or not) or blended with a constant alpha, at any 16.16 steps. They give
// the compiled routine's bytes exactly, eight pixels a step where AVX2 is there, without the
// routine's per-pixel trips through memory.
#include <algorithm>
#include <cstring>
#include "DXRender_Plan.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace DXRender::detail {
namespace {

uint32_t Load32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}
void Store32(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }

// Pixels [from, count) one by one.
void RunPlain(const DirectSpan& s, uint8_t* dst, int32_t u, int32_t v, int32_t du, int32_t dv, int64_t from,
              int64_t count) {
  u = static_cast<int32_t>(u + static_cast<int64_t>(du) * from);
  v = static_cast<int32_t>(v + static_cast<int64_t>(dv) * from);
  dst += from * 4;
  for (int64_t n = from; n < count; ++n, dst += 4, u += du, v += dv) {
    const uint32_t t = Load32(s.Base + static_cast<intptr_t>(v >> 16) * s.Pitch + static_cast<intptr_t>(u >> 16) * 4);
    if (s.UseKey && t == s.Key) continue;
    if (!s.Blend) {
      Store32(dst, t);
      continue;
    }
    const uint32_t r = Load32(dst);
    uint32_t out = 0;
    for (int b = 0; b < 4; ++b) {
      const uint32_t l8 = (t >> (8 * b)) & 0xFF, r8 = (r >> (8 * b)) & 0xFF;
      out |= ((l8 * s.LMul[b] + r8 * s.RMul[b]) >> 8) << (8 * b);
    }
    Store32(dst, out);
  }
}

#if defined(__x86_64__)

// How the eight texels of a step are fetched: a walk along the row, a gather, or (1 to 4) a
// window of eight texels from each of as many rows, spread over the pixels by a permute (half
// the time of a gather where the steps are short, as in a magnified picture); none when the
// offsets of a gather would not fit 32 bits.
constexpr int kNone = -2, kWalk = -1, kGather = 0, kMaxRows = 4;

// Eight pixels a step; answers how many it drew (a multiple of eight, the rest left over).
template <bool kBlend, bool kKey, int kFetch>
__attribute__((target("avx2"))) int64_t RunAvx2(const DirectSpan& s, uint8_t* dst, int32_t u, int32_t v, int32_t du,
                                                 int32_t dv, int64_t count) {
  const __m256i lanes = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
  __m256i U = _mm256_add_epi32(_mm256_set1_epi32(u), _mm256_mullo_epi32(lanes, _mm256_set1_epi32(du)));
  __m256i V = _mm256_add_epi32(_mm256_set1_epi32(v), _mm256_mullo_epi32(lanes, _mm256_set1_epi32(dv)));
  auto times = [](uint32_t k, int32_t d) { return static_cast<int32_t>(k * static_cast<uint32_t>(d)); };
  const __m256i stepU = _mm256_set1_epi32(times(8, du)), stepV = _mm256_set1_epi32(times(8, dv));
  const __m256i pitch = _mm256_set1_epi32(static_cast<int32_t>(s.Pitch));
  const __m256i key = _mm256_set1_epi32(static_cast<int32_t>(s.Key));
  const __m256i zero = _mm256_setzero_si256();
  __m256i lMul = zero, rMul = zero;
  if (kBlend) {
    uint64_t l = 0, r = 0;
    for (int b = 0; b < 4; ++b) {
      l |= static_cast<uint64_t>(s.LMul[b]) << (16 * b);
      r |= static_cast<uint64_t>(s.RMul[b]) << (16 * b);
    }
    lMul = _mm256_set1_epi64x(static_cast<int64_t>(l));
    rMul = _mm256_set1_epi64x(static_cast<int64_t>(r));
  }
  // A walking texture reads its row straight on from the first texel.
  const uint8_t* walk = kFetch == kWalk
                            ? s.Base + static_cast<intptr_t>(v >> 16) * s.Pitch + static_cast<intptr_t>(u >> 16) * 4
                            : nullptr;
  // A window starts at the step's first column and row (lane 0 or 7 by the direction), moved
  // back so as to stay inside the source.
  const int32_t firstU = du < 0 ? times(7, du) : 0, firstV = dv < 0 ? times(7, dv) : 0;
  const int32_t lastColumn = s.Width - 8, lastRow = s.Height - (kFetch > 0 ? kFetch : 1);
  int64_t n = 0;
  for (; n + 8 <= count; n += 8, dst += 32) {
    __m256i t;
    if (kFetch == kWalk) {
      t = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(walk + n * 4));
    } else if (kFetch == kGather) {
      const __m256i at = _mm256_add_epi32(_mm256_mullo_epi32(_mm256_srai_epi32(V, 16), pitch),
                                          _mm256_slli_epi32(_mm256_srai_epi32(U, 16), 2));
      t = _mm256_i32gather_epi32(reinterpret_cast<const int*>(s.Base), at, 1);
    } else {
      const int32_t column = std::min((u + firstU) >> 16, lastColumn), row = std::min((v + firstV) >> 16, lastRow);
      const uint8_t* p = s.Base + static_cast<intptr_t>(row) * s.Pitch + static_cast<intptr_t>(column) * 4;
      const __m256i at = _mm256_sub_epi32(_mm256_srai_epi32(U, 16), _mm256_set1_epi32(column));
      t = _mm256_permutevar8x32_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)), at);
      if (kFetch > 1) {
        const __m256i rows = _mm256_sub_epi32(_mm256_srai_epi32(V, 16), _mm256_set1_epi32(row));
        for (int j = 1; j < kFetch; ++j) {
          const __m256i w = _mm256_permutevar8x32_epi32(
              _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + j * s.Pitch)), at);
          t = _mm256_blendv_epi8(t, w, _mm256_cmpeq_epi32(rows, _mm256_set1_epi32(j)));
        }
      }
      u = static_cast<int32_t>(static_cast<uint32_t>(u) + static_cast<uint32_t>(times(8, du)));
      v = static_cast<int32_t>(static_cast<uint32_t>(v) + static_cast<uint32_t>(times(8, dv)));
    }
    if (kFetch >= 0) {
      U = _mm256_add_epi32(U, stepU);
      V = _mm256_add_epi32(V, stepV);
    }
    auto* d = reinterpret_cast<__m256i*>(dst);
    __m256i out = t;
    __m256i old = zero;
    if (kBlend || kKey) old = _mm256_loadu_si256(d);
    if (kBlend) {
      const __m256i lo = _mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpacklo_epi8(t, zero), lMul),
                                          _mm256_mullo_epi16(_mm256_unpacklo_epi8(old, zero), rMul));
      const __m256i hi = _mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpackhi_epi8(t, zero), lMul),
                                          _mm256_mullo_epi16(_mm256_unpackhi_epi8(old, zero), rMul));
      out = _mm256_packus_epi16(_mm256_srli_epi16(lo, 8), _mm256_srli_epi16(hi, 8));
    }
    if (kKey) out = _mm256_blendv_epi8(out, old, _mm256_cmpeq_epi32(t, key));
    _mm256_storeu_si256(d, out);
  }
  return n;
}

using Avx2Loop = int64_t (*)(const DirectSpan&, uint8_t*, int32_t, int32_t, int32_t, int32_t, int64_t);

template <bool kBlend, bool kKey>
Avx2Loop PickFetch(int fetch) {
  switch (fetch) {
    case kWalk: return RunAvx2<kBlend, kKey, kWalk>;
    case 1: return RunAvx2<kBlend, kKey, 1>;
    case 2: return RunAvx2<kBlend, kKey, 2>;
    case 3: return RunAvx2<kBlend, kKey, 3>;
    case 4: return RunAvx2<kBlend, kKey, 4>;
    default: return RunAvx2<kBlend, kKey, kGather>;
  }
}

Avx2Loop PickAvx2(bool blend, bool key, int fetch) {
  if (blend) return key ? PickFetch<true, true>(fetch) : PickFetch<true, false>(fetch);
  return key ? PickFetch<false, true>(fetch) : PickFetch<false, false>(fetch);
}

// The fetch for a span's steps: eight pixels reach over at most 7 |du| + 1 columns and, in
// a window, over as many rows as 7 |dv| can touch (floor(7 |dv|) + 2, or one when V stays).
int FetchFor(const DirectSpan& s, int32_t du, int32_t dv) {
  if (dv == 0 && du == 65536) return kWalk;
  const int64_t adu = du < 0 ? -static_cast<int64_t>(du) : du, adv = dv < 0 ? -static_cast<int64_t>(dv) : dv;
  const int64_t rows = dv == 0 ? 1 : ((7 * adv) >> 16) + 2;
  if (adu < 65536 && rows <= kMaxRows && s.Width >= 8 && s.Height >= rows) return static_cast<int>(rows);
  return s.Narrow ? kGather : kNone;
}

const bool g_avx2 = __builtin_cpu_supports("avx2");

#endif

// Byte position of a channel that is exactly one whole byte, or -1.
int WholeByte(uint32_t mask) {
  for (int b = 0; b < 4; ++b)
    if (mask == 0xFFu << (8 * b)) return b;
  return -1;
}

}  // namespace

bool DirectSpan::Prepare(const TPixelDescriptor& dest, const TPixelDescriptor& source, uint8_t op, uint32_t colorKey,
                         bool useColorKey, int32_t alpha) {
  if (TDXRMachine::InterpreterForced() || TDXRMachine::RoutinesForced()) return false;
  if (op != 1 && op != 10) return false;
  if (dest.Kind != pdkRGB || dest.BitsPerPixel != 32 || !SameFormat(dest, source)) return false;
  if (!dest.Pixels || !source.Pixels || dest.Width <= 0 || dest.Height <= 0 || source.Width <= 0 ||
      source.Height <= 0)
    return false;
  Blend = op == 10;
  UseKey = useColorKey;
  Key = colorKey;
  Base = source.Pixels;
  Pitch = source.Pitch;
  Width = source.Width;
  Height = source.Height;
  if (Blend) {
    // The operation's left alpha is the stage default, alpha << 8 kept in 16 bits; red and
    // green are blended as a pair, blue alone (r + floor((l - r) a / 256) == (l a + r (256 - a))
    // >> 8), and the byte of no channel is written as zero.
    if (source.Channels[3].Mask != 0) return false;
    const uint32_t a = static_cast<uint32_t>(alpha) & 0xFF;
    for (auto& m : LMul) m = 0;
    for (auto& m : RMul) m = 0;
    int used = 0;
    for (int c = 0; c < 3; ++c) {
      const int b = WholeByte(dest.Channels[c].Mask);
      if (b < 0 || (used & (1 << b))) return false;
      used |= 1 << b;
      LMul[b] = static_cast<uint16_t>(a);
      RMul[b] = static_cast<uint16_t>(c == 2 ? 256 - a : 255 - a);
    }
  }
  // Gathered texels are addressed by 32-bit offsets from row 0.
  const int64_t absPitch = Pitch < 0 ? -static_cast<int64_t>(Pitch) : static_cast<int64_t>(Pitch);
  Narrow = absPitch * source.Height + static_cast<int64_t>(source.Width) * 4 <= INT32_MAX;
  return true;
}

void DirectSpan::Run(uint8_t* dst, int32_t u, int32_t v, int32_t du, int32_t dv, int64_t count) const {
  int64_t done = 0;
#if defined(__x86_64__)
  if (g_avx2) {
    const int fetch = FetchFor(*this, du, dv);
    if (fetch != kNone) done = PickAvx2(Blend, UseKey, fetch)(*this, dst, u, v, du, dv, count);
  }
#endif
  RunPlain(*this, dst, u, v, du, dv, done, count);
}

}  // namespace DXRender::detail
