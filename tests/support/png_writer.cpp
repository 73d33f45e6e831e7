#include <png.h>

#include <cstdio>

#include "test_support.h"
#include "winplat_screen.h"

namespace test_support {

bool WritePng(const std::string& path, int width, int height, const std::vector<uint32_t>& pixels) {
  if (width <= 0 || height <= 0 || pixels.size() < static_cast<size_t>(width) * height) return false;
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!png || !info) {
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    return false;
  }
  std::vector<uint8_t> row(static_cast<size_t>(width) * 3);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    return false;
  }
  png_init_io(png, f);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const uint32_t p = pixels[static_cast<size_t>(y) * width + x];
      row[x * 3] = static_cast<uint8_t>(p >> 16);
      row[x * 3 + 1] = static_cast<uint8_t>(p >> 8);
      row[x * 3 + 2] = static_cast<uint8_t>(p);
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fclose(f) == 0;
}

bool WriteScreenshotPng(const std::string& path) {
  int w = 0, h = 0;
  auto pixels = winplat::screen::CurrentBackend()->Screenshot(&w, &h);
  return WritePng(path, w, h, pixels);
}

}  // namespace test_support
