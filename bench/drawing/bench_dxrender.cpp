// The pixel engine on a 1920 x 1080 32-bit frame: the written-out loops and the native routines
// against the interpreter, and the raw copy against memcpy of the same bytes.
#include <benchmark/benchmark.h>
#include <cstring>
#include <vector>
#include "DXRender.h"

using namespace DXRender;

namespace {

constexpr int W = 1920, H = 1080;

struct Frame {
  std::vector<uint32_t> pixels = std::vector<uint32_t>(size_t(W) * H, 0x00336699);
  TPixelDescriptor desc;
  Frame() { MakeRGBDescriptor(desc, W, H, 0, 0xFF, 0xFF00, 0xFF0000, W * 4, pixels.data(), 32); }
};

// Argument 0: the interpreter, 1: the native routine, 2: the written-out loop where there is one.
void Engine(benchmark::State& state) {
  TDXRMachine::ForceInterpreter(state.range(0) == 0);
  TDXRMachine::ForceRoutines(state.range(0) < 2);
}
const char* EngineName(benchmark::State& state) {
  return state.range(0) == 2 ? "direct" : state.range(0) ? "native" : "interpreter";
}

void BM_FillAlpha(benchmark::State& state) {
  Engine(state);
  Frame f;
  for (auto _ : state) FillRectBlend(f.desc, RECT{0, 0, W, H}, 10, 0x80000000);
  state.SetBytesProcessed(state.iterations() * int64_t(W) * H * 4);
  state.SetLabel(EngineName(state));
}

void BM_DrawAlpha(benchmark::State& state) {
  Engine(state);
  Frame src, dst;
  for (auto _ : state) DrawRectBlend(dst.desc, src.desc, RECT{0, 0, W, H}, 0, false, 128, 10, RECT{0, 0, W, H});
  state.SetBytesProcessed(state.iterations() * int64_t(W) * H * 4);
  state.SetLabel(EngineName(state));
}

void BM_CopyKeyed(benchmark::State& state) {
  Engine(state);
  Frame src, dst;
  for (auto _ : state) DrawRectBlend(dst.desc, src.desc, RECT{0, 0, W, H}, 0, true, 255, 1, RECT{0, 0, W, H});
  state.SetBytesProcessed(state.iterations() * int64_t(W) * H * 4);
  state.SetLabel(EngineName(state));
}

// The same blend as a plain loop, for comparison: red and green paired, blue alone.
void BM_PlainLoopAlpha(benchmark::State& state) {
  Frame src, dst;
  const uint32_t a = 128;
  for (auto _ : state) {
    const uint32_t* s = src.pixels.data();
    uint32_t* d = dst.pixels.data();
    for (size_t i = 0; i < size_t(W) * H; ++i) {
      const uint32_t l = s[i], r = d[i];
      const uint32_t rr = ((((l >> 16) & 0xFF) * a + ((r >> 16) & 0xFF) * (255 - a)) >> 8) & 0xFF;
      const uint32_t gg = ((((l >> 8) & 0xFF) * a + ((r >> 8) & 0xFF) * (255 - a)) >> 8) & 0xFF;
      const int32_t lb = l & 0xFF, rb = r & 0xFF;
      const uint32_t bb = static_cast<uint32_t>(rb + (((lb - rb) * int32_t(a)) >> 8)) & 0xFF;
      d[i] = (rr << 16) | (gg << 8) | bb;
    }
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * int64_t(W) * H * 4);
}

void BM_PlainLoopCopy(benchmark::State& state) {
  Frame src, dst;
  for (auto _ : state) {
    const uint32_t* s = src.pixels.data();
    uint32_t* d = dst.pixels.data();
    for (size_t i = 0; i < size_t(W) * H; ++i) d[i] = s[i];
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * int64_t(W) * H * 4);
}

void BM_Copy(benchmark::State& state) {
  Engine(state);
  Frame src, dst;
  for (auto _ : state) DrawRectBlend(dst.desc, src.desc, RECT{0, 0, W, H}, 0, false, 255, 1, RECT{0, 0, W, H});
  state.SetBytesProcessed(state.iterations() * int64_t(W) * H * 4);
  state.SetLabel(EngineName(state));
}

void BM_Memcpy(benchmark::State& state) {
  Frame src, dst;
  for (auto _ : state) {
    std::memcpy(dst.pixels.data(), src.pixels.data(), size_t(W) * H * 4);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * int64_t(W) * H * 4);
}

void BM_Rotate(benchmark::State& state) {
  Engine(state);
  Frame dst;
  std::vector<uint32_t> ruler(400 * 200, 0x00C0C0C0);
  TPixelDescriptor rd;
  MakeRGBDescriptor(rd, 400, 200, 0, 0xFF, 0xFF00, 0xFF0000, 400 * 4, ruler.data(), 32);
  for (auto _ : state)
    DrawRotatedBlend(dst.desc, rd, 900, 500, 400, 200, 0, 0, 37, RECT{0, 0, 400, 200}, 0xFF00FF, true, 128, 10);
  state.SetLabel(EngineName(state));
}

// The board's anchored ruler: a 400 x 200 picture with a keyed border, drawn 670 x 335 turned by
// 19 steps with alpha 128.
void BM_RotateRuler(benchmark::State& state) {
  Engine(state);
  Frame dst;
  constexpr int RW = 400, RH = 200;
  std::vector<uint32_t> ruler(RW * RH, 0x00FF00FF);
  for (int y = 1; y < RH - 1; ++y)
    for (int x = 1; x < RW - 1; ++x) ruler[y * RW + x] = 0x0020F0F0 + ((x / 10) & 1);
  TPixelDescriptor rd;
  MakeRGBDescriptor(rd, RW, RH, 0, 0xFF, 0xFF00, 0xFF0000, RW * 4, ruler.data(), 32);
  for (auto _ : state)
    DrawRotatedBlend(dst.desc, rd, 700, 400, 670, 335, 0, 0, 19, RECT{0, 0, RW, RH}, 0xFF00FF, true, 128, 10);
  state.SetLabel(EngineName(state));
}

}  // namespace

BENCHMARK(BM_FillAlpha)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawAlpha)->Arg(2)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyKeyed)->Arg(2)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Copy)->Arg(2)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainLoopAlpha)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainLoopCopy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rotate)->Arg(2)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RotateRuler)->Arg(2)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
