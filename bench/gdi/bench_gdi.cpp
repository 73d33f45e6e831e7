// GDI hot paths against their anchors: a full-screen SRCCOPY blit against memcpy of the same
// bytes, the 24-to-32-bit board copy, and the short wide lines and small polygons of chalk.
#include <benchmark/benchmark.h>
#include <cstring>
#include <vector>
#include "windows.h"

namespace {

constexpr int kW = 1920, kH = 1080;

struct Dib {
  HDC dc;
  HBITMAP bm;
  HGDIOBJ old;
  void* bits = nullptr;
  Dib(int w, int h, int bpp) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = static_cast<WORD>(bpp);
    bm = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    dc = CreateCompatibleDC(nullptr);
    old = SelectObject(dc, bm);
  }
  ~Dib() {
    SelectObject(dc, old);
    DeleteObject(bm);
    DeleteDC(dc);
  }
};

void BM_Memcpy32(benchmark::State& state) {
  std::vector<uint8_t> a(size_t{kW} * kH * 4, 1), b(size_t{kW} * kH * 4);
  for (auto _ : state) {
    std::memcpy(b.data(), a.data(), a.size());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(a.size()));
}
BENCHMARK(BM_Memcpy32);

void BM_BitBltSrcCopy32(benchmark::State& state) {
  Dib src(kW, kH, 32), dst(kW, kH, 32);
  for (auto _ : state) {
    BitBlt(dst.dc, 0, 0, kW, kH, src.dc, 0, 0, SRCCOPY);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kW * kH * 4);
}
BENCHMARK(BM_BitBltSrcCopy32);

void BM_BitBlt24To32(benchmark::State& state) {
  Dib src(kW, kH - 48, 24), dst(kW, kH, 32);
  for (auto _ : state) {
    BitBlt(dst.dc, 0, 0, kW, kH - 48, src.dc, 0, 0, SRCCOPY);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kW * (kH - 48) * 4);
}
BENCHMARK(BM_BitBlt24To32);

void BM_BitBltSrcAnd32(benchmark::State& state) {
  Dib src(kW, kH, 32), dst(kW, kH, 32);
  for (auto _ : state) {
    BitBlt(dst.dc, 0, 0, kW, kH, src.dc, 0, 0, SRCAND);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kW * kH * 4);
}
BENCHMARK(BM_BitBltSrcAnd32);

// Chalk: width-3 segments of about 6 pixels into the 24-bit page.
void BM_WideLineTo(benchmark::State& state) {
  Dib page(kW, kH - 48, 24);
  HPEN pen = CreatePen(PS_SOLID, static_cast<int>(state.range(0)), RGB(255, 252, 30));
  HGDIOBJ old = SelectObject(page.dc, pen);
  int x = 100, y = 100;
  MoveToEx(page.dc, x, y, nullptr);
  for (auto _ : state) {
    x = x >= 1800 ? 100 : x + 5;
    y = y >= 900 ? 100 : y + 3;
    if (x == 100 || y == 100) MoveToEx(page.dc, x, y, nullptr);
    LineTo(page.dc, x, y);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
  SelectObject(page.dc, old);
  DeleteObject(pen);
}
BENCHMARK(BM_WideLineTo)->Arg(3)->Arg(10);

// The eraser's hexagon, 128 x 54 plus the swept distance.
void BM_EraserPolygon(benchmark::State& state) {
  Dib page(kW, kH - 48, 24);
  HBRUSH brush = CreateSolidBrush(RGB(0, 80, 0));
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 80, 0));
  HGDIOBJ ob = SelectObject(page.dc, brush), op = SelectObject(page.dc, pen);
  int x = 200;
  for (auto _ : state) {
    x = x >= 1700 ? 200 : x + 7;
    POINT hex[] = {{x - 64, 300 - 18}, {x + 64, 300 - 18}, {x + 71, 303 - 18}, {x + 71, 303 + 36},
                   {x - 57, 303 + 36}, {x - 64, 300 + 36}};
    Polygon(page.dc, hex, 6);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
  SelectObject(page.dc, ob);
  SelectObject(page.dc, op);
  DeleteObject(brush);
  DeleteObject(pen);
}
BENCHMARK(BM_EraserPolygon);

void BM_StretchBltThumbnail(benchmark::State& state) {
  Dib page(kW, kH - 48, 24), thumb(160, 120, 24);
  SetStretchBltMode(thumb.dc, static_cast<int>(state.range(0)));
  for (auto _ : state) {
    StretchBlt(thumb.dc, 0, 0, 160, 120, page.dc, 0, 0, kW, kH - 48, SRCCOPY);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_StretchBltThumbnail)->Arg(COLORONCOLOR)->Arg(HALFTONE);

}  // namespace

BENCHMARK_MAIN();
