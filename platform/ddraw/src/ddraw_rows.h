// Row copies of the blits that run per frame, in the widest vector code the processor has.
#pragma once
#include <cstddef>
#include <cstdint>

namespace winplat::ddraw {

// One row of 32-bit pixels; a pixel whose bits under `mask` equal `key` leaves the destination
// pixel as it was. The rows do not overlap.
void KeyedRow32(uint32_t* to, const uint32_t* from, size_t count, uint32_t mask, uint32_t key);

// A row of bytes into memory the program does not read back (the screen's): stores that go
// around the cache, so that the pictures a frame is drawn from stay in it. The rows do not
// overlap. StreamFence() makes such stores visible to the others before they read the memory.
void StreamRow(uint8_t* to, const uint8_t* from, size_t bytes);
void StreamFence();

// 2: AVX2, 1: SSE2, 0: one pixel at a time. The level in use is the highest the processor
// has; SetVectorLevel lowers it (never above what the processor has) and answers the level now
// in use.
int VectorLevel();
int SetVectorLevel(int level);

}  // namespace winplat::ddraw
