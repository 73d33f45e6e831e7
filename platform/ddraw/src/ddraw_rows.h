// Row copies of the blits that run per frame, in the widest vector code the processor has.
#pragma once
#include <cstddef>
#include <cstdint>

namespace winplat::ddraw {

// One row of 32-bit pixels; a pixel whose bits under `mask` equal `key` leaves the destination
// pixel as it was. The rows do not overlap.
void KeyedRow32(uint32_t* to, const uint32_t* from, size_t count, uint32_t mask, uint32_t key);

// 2: AVX2, 1: SSE2, 0: one pixel at a time. The level in use is the highest the processor
// has; SetVectorLevel lowers it (never above what the processor has) and answers the level now
// in use.
int VectorLevel();
int SetVectorLevel(int level);

}  // namespace winplat::ddraw
