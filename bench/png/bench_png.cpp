// TPNGObject against libpng on the same bytes, side by side in one run, median of 5 runs each.
// Decoding: a 1920 x 1080 photograph-like RGB image, a screenshot-like palette image and a 16-bit
// RGBA image (all written by libpng with its own filter choice), ours with LoadFromStream, libpng
// reading into RGBA (16-bit RGBA for the 16-bit image). Encoding: a 1920 x 1080 board screenshot
// at DeflateLevel 7, row filter Sub and IDAT chunks of 65535 bytes, against libpng writing the
// same BGR rows with the same level, filter, chunk size and zlib strategy.
// Prints the times, the ratios ours / libpng's (below 1 is faster) and the file sizes.
#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <time.h>
#include <vector>

#include "Classes.h"
#include "Graphics.h"
#include "PngImage.h"

namespace {

double Now() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec + ts.tv_nsec * 1e-9;
}

double Median5(const std::function<void()>& run) {
  run();  // warm up
  std::vector<double> t;
  for (int i = 0; i < 5; ++i) {
    const double s = Now();
    run();
    t.push_back(Now() - s);
  }
  std::sort(t.begin(), t.end());
  return t[2];
}

uint32_t state = 12345;
unsigned Noise(unsigned n) { return ((state = state * 1103515245 + 12345) >> 16) % n; }

// ---- libpng over memory ----------------------------------------------------------------------

struct Sink {
  std::vector<uint8_t> bytes;
};
void WriteBytes(png_structp p, png_bytep d, png_size_t n) {
  auto* s = static_cast<Sink*>(png_get_io_ptr(p));
  s->bytes.insert(s->bytes.end(), d, d + n);
}
void Flush(png_structp) {}

struct Source {
  const std::vector<uint8_t>* bytes;
  size_t pos;
};
void ReadBytes(png_structp p, png_bytep d, png_size_t n) {
  auto* s = static_cast<Source*>(png_get_io_ptr(p));
  if (s->pos + n > s->bytes->size()) png_error(p, "short");
  std::memcpy(d, s->bytes->data() + s->pos, n);
  s->pos += n;
}

// Writes rows of `rowBytes` bytes; filters < 0 keeps libpng's own choice.
std::vector<uint8_t> LibpngWrite(int w, int h, int depth, int colorType, const std::vector<uint8_t>& pixels,
                                 size_t rowBytes, const std::vector<png_color>* palette, int level, int filters,
                                 size_t chunk, bool bgr) {
  Sink sink;
  png_structp p = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(p);
  if (setjmp(png_jmpbuf(p))) {
    png_destroy_write_struct(&p, &info);
    return {};
  }
  png_set_write_fn(p, &sink, &WriteBytes, &Flush);
  png_set_IHDR(p, info, w, h, depth, colorType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (palette) png_set_PLTE(p, info, palette->data(), static_cast<int>(palette->size()));
  png_set_compression_level(p, level);
  if (filters >= 0) {
    png_set_filter(p, 0, filters);
    png_set_compression_strategy(p, Z_DEFAULT_STRATEGY);
  }
  if (chunk) png_set_compression_buffer_size(p, chunk);
  png_write_info(p, info);
  if (bgr) png_set_bgr(p);
  std::vector<png_bytep> rows(h);
  for (int y = 0; y < h; ++y) rows[y] = const_cast<png_bytep>(pixels.data() + y * rowBytes);
  png_write_image(p, rows.data());
  png_write_end(p, info);
  png_destroy_write_struct(&p, &info);
  return sink.bytes;
}

size_t LibpngDecodeRgba(const std::vector<uint8_t>& bytes, std::vector<uint8_t>& out) {
  Source src{&bytes, 0};
  png_structp p = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(p);
  std::vector<png_bytep> rows;
  if (setjmp(png_jmpbuf(p))) {
    png_destroy_read_struct(&p, &info, nullptr);
    return 0;
  }
  png_set_read_fn(p, &src, &ReadBytes);
  png_read_info(p, info);
  png_set_expand(p);
  png_set_gray_to_rgb(p);
  png_set_tRNS_to_alpha(p);
  png_set_add_alpha(p, 0xFFFF, PNG_FILLER_AFTER);
  png_read_update_info(p, info);
  const size_t rb = png_get_rowbytes(p, info);
  const int h = static_cast<int>(png_get_image_height(p, info));
  out.resize(rb * h);
  rows.resize(h);
  for (int y = 0; y < h; ++y) rows[y] = out.data() + y * rb;
  png_read_image(p, rows.data());
  png_read_end(p, nullptr);
  png_destroy_read_struct(&p, &info, nullptr);
  return rb * h;
}

// ---- Images ------------------------------------------------------------------------------------

constexpr int W = 1920, H = 1080;

std::vector<uint8_t> PhotoRgb() {
  std::vector<uint8_t> px(size_t(W) * H * 3);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      const double u = x / double(W), v = y / double(H);
      const double r = 120 + 80 * std::sin(6 * u + 2 * v) + 30 * std::sin(40 * u * v);
      const double g = 110 + 70 * std::cos(5 * v - 3 * u) + 25 * std::sin(23 * v);
      const double b = 100 + 90 * std::sin(3 * u + 7 * v * v);
      uint8_t* p = &px[(size_t(y) * W + x) * 3];
      p[0] = static_cast<uint8_t>(std::clamp(r + Noise(9), 0.0, 255.0));
      p[1] = static_cast<uint8_t>(std::clamp(g + Noise(9), 0.0, 255.0));
      p[2] = static_cast<uint8_t>(std::clamp(b + Noise(9), 0.0, 255.0));
    }
  return px;
}

// Windows, title bars, text-like runs of dots: few colours, long flat stretches.
std::vector<uint8_t> ScreenshotIndexes(std::vector<png_color>& palette) {
  palette.clear();
  for (int i = 0; i < 64; ++i)
    palette.push_back(png_color{static_cast<png_byte>(i * 4), static_cast<png_byte>(255 - i * 3),
                                static_cast<png_byte>((i * 37) & 255)});
  std::vector<uint8_t> px(size_t(W) * H, 1);
  for (int win = 0; win < 12; ++win) {
    const int x0 = Noise(W - 400), y0 = Noise(H - 300), w = 200 + Noise(200), h = 150 + Noise(150);
    const uint8_t face = static_cast<uint8_t>(2 + Noise(60));
    for (int y = y0; y < y0 + h; ++y)
      for (int x = x0; x < x0 + w; ++x) {
        uint8_t c = y < y0 + 20 ? 5 : face;
        if (y > y0 + 30 && (y - y0) % 14 < 9 && x > x0 + 8 && x < x0 + w - 8 && Noise(3) == 0) c = 0;
        px[size_t(y) * W + x] = c;
      }
  }
  return px;
}

std::vector<uint8_t> Rgba16() {
  std::vector<uint8_t> px(size_t(W) * H * 8);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      const unsigned v[4] = {static_cast<unsigned>(x * 65535 / W), static_cast<unsigned>(y * 65535 / H),
                             static_cast<unsigned>((x + y) * 65535 / (W + H)),
                             static_cast<unsigned>(32768 + 30000 * std::sin(x * 0.01) + Noise(64))};
      uint8_t* p = &px[(size_t(y) * W + x) * 8];
      for (int c = 0; c < 4; ++c) {
        p[2 * c] = static_cast<uint8_t>(v[c] >> 8);
        p[2 * c + 1] = static_cast<uint8_t>(v[c]);
      }
    }
  return px;
}

// A board: green with a grain, chalk lines and writing, the tray along the bottom.
void DrawBoard(TBitmap& board) {
  board.SetPixelFormat(pf24bit);
  board.SetSize(W, H);
  for (int y = 0; y < H; ++y) {
    uint8_t* row = board.ScanLine(y);
    for (int x = 0; x < W; ++x) {
      const unsigned grain = Noise(7);
      row[3 * x] = static_cast<uint8_t>(40 + grain);
      row[3 * x + 1] = static_cast<uint8_t>(70 + grain);
      row[3 * x + 2] = static_cast<uint8_t>(30 + grain);
    }
  }
  TCanvas* c = board.Canvas();
  for (int s = 0; s < 60; ++s) {
    c->Pen()->SetColor(s % 5 ? clWhite : clYellow);
    c->Pen()->SetWidth(2 + s % 4);
    int x = 100 + Noise(W - 300), y = 80 + Noise(H - 260);
    c->MoveTo(x, y);
    for (int k = 0; k < 20; ++k) {
      x += static_cast<int>(Noise(31)) - 10;
      y += static_cast<int>(Noise(21)) - 10;
      c->LineTo(x, y);
    }
  }
  c->Brush()->SetColor(static_cast<TColor>(RGB(120, 90, 60)));
  c->FillRect(Rect(0, H - 48, W, H));
}

void Report(const char* what, double ours, double theirs, const char* extra = "") {
  std::printf("%-34s ours %8.2f ms  libpng %8.2f ms  ratio %.2f%s\n", what, ours * 1e3, theirs * 1e3, ours / theirs,
              extra);
}

}  // namespace

int main() {
  std::vector<png_color> palette;
  const std::vector<uint8_t> photo = PhotoRgb();
  const std::vector<uint8_t> screen = ScreenshotIndexes(palette);
  const std::vector<uint8_t> wide = Rgba16();
  struct Case {
    const char* name;
    std::vector<uint8_t> file;
  } cases[] = {
      {"decode photo RGB 8", LibpngWrite(W, H, 8, PNG_COLOR_TYPE_RGB, photo, W * 3, nullptr, 6, -1, 0, false)},
      {"decode screenshot palette 8", LibpngWrite(W, H, 8, PNG_COLOR_TYPE_PALETTE, screen, W, &palette, 6, -1, 0, false)},
      {"decode RGBA 16", LibpngWrite(W, H, 16, PNG_COLOR_TYPE_RGBA, wide, W * 8, nullptr, 6, -1, 0, false)},
  };
  for (Case& c : cases) {
    TMemoryStream stream;
    stream.WriteBuffer(c.file.data(), static_cast<int32_t>(c.file.size()));
    TPNGObject png;
    const double ours = Median5([&] {
      stream.SetPosition(0);
      png.LoadFromStream(&stream);
    });
    std::vector<uint8_t> rgba;
    const double theirs = Median5([&] { LibpngDecodeRgba(c.file, rgba); });
    char extra[64];
    std::snprintf(extra, sizeof extra, "  (%zu bytes)", c.file.size());
    Report(c.name, ours, theirs, extra);
  }

  TBitmap board;
  DrawBoard(board);
  TPNGObject png;
  png.Assign(&board);
  TMemoryStream out;
  const double ours = Median5([&] {
    out.SetSize(0);
    out.SetPosition(0);
    png.SaveToStream(&out);
  });
  std::vector<uint8_t> bgr(size_t(W) * H * 3);
  for (int y = 0; y < H; ++y) std::memcpy(&bgr[size_t(y) * W * 3], board.ScanLine(y), size_t(W) * 3);
  std::vector<uint8_t> theirsFile;
  const double theirs = Median5([&] {
    theirsFile = LibpngWrite(W, H, 8, PNG_COLOR_TYPE_RGB, bgr, W * 3, nullptr, 7, PNG_FILTER_SUB, 65535, true);
  });
  char extra[96];
  std::snprintf(extra, sizeof extra, "  (ours %lld bytes, libpng %zu bytes)", static_cast<long long>(out.Size()),
                theirsFile.size());
  Report("save board screenshot (7, Sub)", ours, theirs, extra);
  // Both files hold the same pixels.
  std::vector<uint8_t> a, b;
  std::vector<uint8_t> oursFile(static_cast<size_t>(out.Size()));
  std::memcpy(oursFile.data(), out.Memory(), oursFile.size());
  LibpngDecodeRgba(oursFile, a);
  LibpngDecodeRgba(theirsFile, b);
  if (a != b || a.empty()) {
    std::printf("the two saved files differ in their pixels\n");
    return 1;
  }
  return 0;
}
