// Draws a sheet of lines, polygons, ellipses and blits and saves it as gdi_sheet.png in the
// test's folder, so a person can look at it; checks only that it was written.
#include "test_support.h"
#include <cmath>
#include <cstdio>
#include "gdi_test_util.h"

namespace {

bool SavePng(const char* path, const TestCanvas& cv) {
  std::vector<uint32_t> pixels(static_cast<size_t>(cv.width) * cv.height);
  for (int y = 0; y < cv.height; ++y)
    for (int x = 0; x < cv.width; ++x) {
      const COLORREF c = cv.At(x, y);
      pixels[static_cast<size_t>(y) * cv.width + x] =
          (uint32_t(GetRValue(c)) << 16) | (uint32_t(GetGValue(c)) << 8) | GetBValue(c);
    }
  return test_support::WritePng(path, cv.width, cv.height, pixels);
}

TEST(GdiPicture, DrawsAContactSheet) {
  TestCanvas cv(480, 320, 24, RGB(0, 80, 0));
  // Chalk-like strokes: a zigzag of width-3 segments with round joins, and a finger wipe.
  {
    ScopedPen pen(cv.dc, PS_SOLID, 3, RGB(255, 252, 30));
    MoveToEx(cv.dc, 20, 40, nullptr);
    for (int i = 1; i <= 8; ++i) LineTo(cv.dc, 20 + i * 22, i % 2 ? 15 : 60);
  }
  {
    ScopedPen pen(cv.dc, PS_SOLID, 10, RGB(4, 84, 4));
    MoveToEx(cv.dc, 30, 30, nullptr);
    LineTo(cv.dc, 180, 45);
  }
  // Widths 1, 2 and 7 and a dashed line.
  const int widths[] = {1, 2, 7};
  for (int i = 0; i < 3; ++i) {
    ScopedPen pen(cv.dc, PS_SOLID, widths[i], RGB(255, 255, 255));
    MoveToEx(cv.dc, 220, 20 + i * 20, nullptr);
    LineTo(cv.dc, 460, 30 + i * 20);
  }
  {
    ScopedPen pen(cv.dc, PS_DASHDOT, 1, RGB(233, 135, 193));
    SetBkMode(cv.dc, TRANSPARENT);
    MoveToEx(cv.dc, 220, 90, nullptr);
    LineTo(cv.dc, 460, 90);
  }
  // Stars in both fill modes.
  POINT star[5];
  for (int mode = 0; mode < 2; ++mode) {
    for (int i = 0; i < 5; ++i) {
      const double a = -M_PI / 2 + i * 4 * M_PI / 5;
      star[i] = POINT{static_cast<LONG>(70 + mode * 130 + 55 * std::cos(a)), static_cast<LONG>(160 + 55 * std::sin(a))};
    }
    SetPolyFillMode(cv.dc, mode ? WINDING : ALTERNATE);
    ScopedPen pen(cv.dc, PS_SOLID, 1, RGB(255, 255, 255));
    ScopedBrush brush(cv.dc, CreateSolidBrush(RGB(135, 206, 250)));
    Polygon(cv.dc, star, 5);
  }
  // Ellipses and a hatched rectangle.
  {
    ScopedPen pen(cv.dc, PS_SOLID, 2, RGB(255, 160, 0));
    ScopedBrush brush(cv.dc, CreateSolidBrush(RGB(233, 135, 193)));
    Ellipse(cv.dc, 290, 110, 380, 170);
    Ellipse(cv.dc, 395, 110, 455, 170);
  }
  {
    ScopedPen pen(cv.dc, PS_SOLID, 1, RGB(255, 255, 255));
    ScopedBrush brush(cv.dc, CreateHatchBrush(HS_DIAGCROSS, RGB(255, 255, 255)));
    Rectangle(cv.dc, 290, 180, 455, 220);
  }
  // The eraser's hexagon, and a pattern-brush band like the side of a chalk.
  {
    ScopedPen pen(cv.dc, PS_SOLID, 1, RGB(0, 80, 0));
    ScopedBrush brush(cv.dc, CreateSolidBrush(RGB(0, 80, 0)));
    POINT hex[] = {{60, 60}, {190, 60}, {230, 90}, {230, 140}, {100, 140}, {60, 110}};
    Polygon(cv.dc, hex, 6);
  }
  TestCanvas tex(8, 8, 24);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) SetPixel(tex.dc, x, y, RGB(200 + (x * 7 + y * 3) % 55, 200 + (x * 3) % 52, 30));
  HBRUSH pat = CreatePatternBrush(tex.bitmap);
  {
    ScopedPen none(cv.dc, PS_NULL, 1, 0);
    HGDIOBJ old = SelectObject(cv.dc, pat);
    POINT band[] = {{20, 240}, {40, 230}, {260, 280}, {240, 290}};
    Polygon(cv.dc, band, 4);
    SelectObject(cv.dc, old);
  }
  DeleteObject(pat);
  // A mirrored, doubled copy of the top left corner.
  StretchBlt(cv.dc, 460, 230, -160, 80, cv.dc, 0, 0, 80, 40, SRCCOPY);
  ASSERT_TRUE(SavePng("gdi_sheet.png", cv));
  FILE* f = std::fopen("gdi_sheet.png", "rb");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
}

}  // namespace
