// Pixel buffers for the engine tests: guarded by inaccessible pages so an over-read by native
// code (which the sanitizers cannot see) faults, and filled from a fixed seed.
#pragma once
#include <sys/mman.h>
#include <unistd.h>
#include <cstdint>
#include <cstring>
#include <random>
#include "DXRender.h"

namespace dxtest {

struct Format {
  const char* Name;
  int Bpp;
  uint32_t R, G, B;
  bool Indexed;
};

inline const Format kFormats[] = {
    {"X8R8G8B8", 32, 0xFF0000, 0xFF00, 0xFF, false},
    {"R8G8B8", 24, 0xFF0000, 0xFF00, 0xFF, false},
    {"R5G6B5", 16, 0xF800, 0x7E0, 0x1F, false},
    {"X1R5G5B5", 16, 0x7C00, 0x3E0, 0x1F, false},
    {"P8", 8, 0, 0, 0, true},
};

// A pixel buffer placed flush against a PROT_NONE page (after its end, or before its start).
class GuardedImage {
 public:
  GuardedImage(const Format& f, int width, int height, int padding = 0, bool guardBefore = false)
      : format_(f), width_(width), height_(height) {
    pitch_ = (width * (f.Bpp / 8) + 3) / 4 * 4 + padding;
    bytes_ = static_cast<size_t>(pitch_) * height;
    const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    const size_t body = (bytes_ + page - 1) / page * page;
    mapSize_ = body + 2 * page;
    map_ = static_cast<uint8_t*>(mmap(nullptr, mapSize_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    mprotect(map_, page, PROT_NONE);
    mprotect(map_ + page + body, page, PROT_NONE);
    data_ = guardBefore ? map_ + page : map_ + page + body - bytes_;
    std::memset(data_, 0, bytes_);
  }
  ~GuardedImage() { munmap(map_, mapSize_); }
  GuardedImage(const GuardedImage&) = delete;
  GuardedImage& operator=(const GuardedImage&) = delete;

  void Fill(uint32_t seed) {
    std::mt19937 gen(seed);
    for (size_t i = 0; i < bytes_; ++i) data_[i] = static_cast<uint8_t>(gen());
  }
  uint8_t* Data() { return data_; }
  size_t Bytes() const { return bytes_; }
  int Pitch() const { return pitch_; }

  // Descriptor over the memory, rows top-down (or bottom-up with a negative pitch).
  DXRender::TPixelDescriptor Descriptor(bool bottomUp = false) {
    DXRender::TPixelDescriptor d;
    uint8_t* row0 = bottomUp ? data_ + static_cast<size_t>(pitch_) * (height_ - 1) : data_;
    const intptr_t pitch = bottomUp ? -pitch_ : pitch_;
    if (format_.Indexed) {
      DXRender::MakeIndexedDescriptor(d, width_, height_, 0, 0xFF, pitch, row0, 8);
      for (int i = 0; i < 256; ++i) d.Palette[i] = {uint8_t(i * 7), uint8_t(255 - i), uint8_t(i * 3 + 1), 0};
    } else {
      DXRender::MakeRGBDescriptor(d, width_, height_, 0, format_.B, format_.G, format_.R, pitch, row0, format_.Bpp);
    }
    return d;
  }

 private:
  Format format_;
  int width_, height_, pitch_;
  size_t bytes_, mapSize_;
  uint8_t* map_;
  uint8_t* data_;
};

// Runs fn once with the interpreter forced and once native (the compiled routine even where a
// written-out loop would draw); answers both destination images.
template <class Fn>
void BothEngines(Fn fn) {
  DXRender::TDXRMachine::ForceRoutines(true);
  DXRender::TDXRMachine::ForceInterpreter(true);
  fn(true);
  DXRender::TDXRMachine::ForceInterpreter(false);
  fn(false);
  DXRender::TDXRMachine::ForceRoutines(false);
}

}  // namespace dxtest
