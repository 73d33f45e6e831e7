// Text drawing speed: a 20-character Japanese label drawn with TextOut after warm-up (glyphs come
// from the cache), its extent, DrawText centring, and the cold path of a new font size per call.
// The anchor is memcpy of the pixels of the label's cell, so results read as ratios.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "windows.h"

namespace {

const std::u16string kLabel = u"左クリックで描画　右クリックで中止します";  // 20 characters

struct Surface {
  HDC dc = nullptr;
  HBITMAP bmp = nullptr;
  HGDIOBJ oldBmp = nullptr;
  HFONT font = nullptr;
  HGDIOBJ oldFont = nullptr;
  void* bits = nullptr;

  Surface(const char16_t* face, int height, int w = 640, int h = 64) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    dc = CreateCompatibleDC(nullptr);
    bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    oldBmp = SelectObject(dc, bmp);
    SetFont(face, height);
  }
  void SetFont(const char16_t* face, int height) {
    LOGFONTW lf{};
    lf.lfHeight = height;
    lf.lfCharSet = DEFAULT_CHARSET;
    for (int i = 0; face[i] && i < LF_FACESIZE - 1; ++i) lf.lfFaceName[i] = face[i];
    HFONT next = CreateFontIndirectW(&lf);
    HGDIOBJ previous = SelectObject(dc, next);
    if (font) DeleteObject(font);
    else oldFont = previous;
    font = next;
  }
  ~Surface() {
    SelectObject(dc, oldFont);
    DeleteObject(font);
    SelectObject(dc, oldBmp);
    DeleteObject(bmp);
    DeleteDC(dc);
  }
};

void BM_TextOutW_Label(benchmark::State& state) {
  Surface s(u"MS UI ゴシック", -16);
  SetBkMode(s.dc, state.range(0) ? OPAQUE : TRANSPARENT);
  SetTextColor(s.dc, RGB(255, 255, 255));
  SetBkColor(s.dc, RGB(0, 0, 0));
  TextOutW(s.dc, 4, 4, kLabel.data(), static_cast<int>(kLabel.size()));  // warm-up
  for (auto _ : state) {
    TextOutW(s.dc, 4, 4, kLabel.data(), static_cast<int>(kLabel.size()));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kLabel.size()));
}
BENCHMARK(BM_TextOutW_Label)->Arg(0)->Arg(1)->ArgName("opaque");

void BM_TextOutA_Label(benchmark::State& state) {
  Surface s(u"MS UI ゴシック", -16);
  SetBkMode(s.dc, TRANSPARENT);
  const char* ansi = "左クリックで描画　右クリックで中止します";
  int n = static_cast<int>(std::strlen(ansi));
  TextOutA(s.dc, 4, 4, ansi, n);
  for (auto _ : state) {
    TextOutA(s.dc, 4, 4, ansi, n);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_TextOutA_Label);

void BM_GetTextExtentPoint32W_Label(benchmark::State& state) {
  Surface s(u"MS UI ゴシック", -16);
  SIZE size{};
  for (auto _ : state) {
    GetTextExtentPoint32W(s.dc, kLabel.data(), static_cast<int>(kLabel.size()), &size);
    benchmark::DoNotOptimize(size);
  }
}
BENCHMARK(BM_GetTextExtentPoint32W_Label);

void BM_DrawTextW_Centred(benchmark::State& state) {
  Surface s(u"MS UI ゴシック", -16);
  SetBkMode(s.dc, TRANSPARENT);
  for (auto _ : state) {
    RECT r{0, 0, 640, 64};
    DrawTextW(s.dc, kLabel.c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_DrawTextW_Centred);

// The countdown digit grows by 3 pt a frame: every call realises a new size and renders anew.
void BM_TextOutW_NewSizeEachCall(benchmark::State& state) {
  Surface s(u"MS UI ゴシック", -300, 800, 800);
  SetBkMode(s.dc, TRANSPARENT);
  int step = 0;
  for (auto _ : state) {
    int points = 220 + (step++ % 100) * 3;
    s.SetFont(u"MS UI ゴシック", -(points * 96 / 72));
    TextOutW(s.dc, 10, 10, u"3", 1);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_TextOutW_NewSizeEachCall)->Unit(benchmark::kMicrosecond);

// Anchor: copying the pixels of the label's cell (its extent by its height, 32 bits).
void BM_Anchor_MemcpyLabelCell(benchmark::State& state) {
  Surface s(u"MS UI ゴシック", -16);
  SIZE size{};
  GetTextExtentPoint32W(s.dc, kLabel.data(), static_cast<int>(kLabel.size()), &size);
  std::vector<uint8_t> src(static_cast<size_t>(size.cx) * size.cy * 4, 1), dst(src.size());
  for (auto _ : state) {
    std::memcpy(dst.data(), src.data(), src.size());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(src.size()));
}
BENCHMARK(BM_Anchor_MemcpyLabelCell);

}  // namespace

BENCHMARK_MAIN();
