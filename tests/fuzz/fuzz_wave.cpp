// The WAVE reader behind sndPlaySound: any bytes, never a read outside them.
#include <cstddef>
#include <cstdint>

#include "winplat_screen.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  winplat::screen::PcmSound pcm;
  if (winplat::screen::DecodeWave(data, size, &pcm)) {
    volatile size_t frames = pcm.Frames();
    (void)frames;
  }
  return 0;
}
