// libpng's side of the plain image form (libpng is a reference of the tests only).
#include <png.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "png_dump.h"

namespace pngtest {

void GammaTableFor(unsigned gamma, unsigned char table[256]) {
  for (int i = 0; i < 256; ++i) table[i] = static_cast<unsigned char>(i);
  if (gamma == 0) return;
  const long double e = 1.0L / (gamma / 100000.0L * 2.2L);
  for (int i = 0; i < 256; ++i) {
    const long double p = i == 0 ? 0.0L : powl(i / 255.0L, e);
    table[i] = static_cast<unsigned char>(std::fmin(255.0L, nearbyintl(255.0L * p)));
  }
}

namespace {

struct Reader {
  const std::string* bytes;
  size_t pos = 0;
};

void ReadBytes(png_structp png, png_bytep out, png_size_t n) {
  auto* r = static_cast<Reader*>(png_get_io_ptr(png));
  if (r->pos + n > r->bytes->size()) png_error(png, "unexpected end");
  std::memcpy(out, r->bytes->data() + r->pos, n);
  r->pos += n;
}

void Hex(std::string& out, unsigned v, int digits) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%0*X", digits, v);
  out += buf;
}

}  // namespace

std::string ReferenceDumpBytes(const std::string& bytes, bool eightBit) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  Reader reader{&bytes};
  std::vector<png_bytep> rows;
  std::vector<unsigned char> pixels;
  std::string out;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return "ERROR libpng\n";
  }
  png_set_read_fn(png, &reader, &ReadBytes);
  png_read_info(png, info);
  const int colorType = png_get_color_type(png, info);
  const int depth = png_get_bit_depth(png, info);
  // The colour key of an RGB image is compared in the form our store holds colours, after the
  // gamma table (which may make two colours one): done below, not by libpng.
  png_color_16p key = nullptr;
  const bool rgbKey = colorType == PNG_COLOR_TYPE_RGB && png_get_tRNS(png, info, nullptr, nullptr, &key) && key;
  const png_color_16 rgbKeyValue = rgbKey ? *key : png_color_16{};
  png_set_expand(png);
  png_set_gray_to_rgb(png);
  if (!rgbKey) png_set_tRNS_to_alpha(png);
  png_set_add_alpha(png, 0xFFFF, PNG_FILLER_AFTER);
  // An RGB key at 16 bits needs the low bytes even for the 8-bit form.
  const bool strip = eightBit && !(rgbKey && depth == 16);
  if (strip) png_set_strip_16(png);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  const png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
  const size_t rowBytes = png_get_rowbytes(png, info);
  pixels.resize(rowBytes * h);
  rows.resize(h);
  for (png_uint_32 y = 0; y < h; ++y) rows[y] = pixels.data() + y * rowBytes;
  png_read_image(png, rows.data());
  png_fixed_point gamma = 0;
  unsigned char table[256];
  GammaTableFor(png_get_gAMA_fixed(png, info, &gamma) ? static_cast<unsigned>(gamma) : 0, table);
  png_destroy_read_struct(&png, &info, nullptr);

  const bool read16 = depth == 16 && !strip;
  const bool wide = depth == 16 && !eightBit;
  const bool gammaColours = colorType != PNG_COLOR_TYPE_GRAY_ALPHA;
  // A sample as the store holds it (through the gamma table byte by byte).
  auto stored = [&](unsigned v) {
    return depth == 16 ? (unsigned{table[v >> 8]} << 8) | table[v & 0xFF] : v > 255 ? 0x100u : table[v];
  };
  out = "PNG " + std::to_string(w) + " " + std::to_string(h) + " " + (wide ? "16" : "8") + "\n";
  for (png_uint_32 y = 0; y < h; ++y) {
    const unsigned char* p = rows[y];
    for (png_uint_32 x = 0; x < w; ++x) {
      if (x) out += ' ';
      unsigned c[3], a;
      if (read16) {
        const unsigned char* q = p + x * 8;
        for (int i = 0; i < 3; ++i) c[i] = (unsigned{q[2 * i]} << 8) | q[2 * i + 1];
        a = q[6];
      } else {
        const unsigned char* q = p + x * 4;
        for (int i = 0; i < 3; ++i) c[i] = q[i];
        a = q[3];
      }
      if (rgbKey) {
        const unsigned k[3] = {rgbKeyValue.red, rgbKeyValue.green, rgbKeyValue.blue};
        a = stored(c[0]) == stored(k[0]) && stored(c[1]) == stored(k[1]) && stored(c[2]) == stored(k[2]) ? 0 : 255;
      }
      for (int i = 0; i < 3; ++i) {
        unsigned v = c[i];
        if (gammaColours) {
          if (read16) {
            // Grey keeps its low byte as stored; RGB low bytes go through the table too.
            const unsigned lo = colorType == PNG_COLOR_TYPE_GRAY ? (v & 0xFF) : table[v & 0xFF];
            v = (unsigned{table[v >> 8]} << 8) | lo;
          } else {
            v = table[v];
          }
        }
        if (read16 && !wide) v >>= 8;
        Hex(out, v, wide ? 4 : 2);
      }
      Hex(out, a, 2);
    }
    out += '\n';
  }
  return out;
}

std::string ReferenceDumpFile(const std::string& path, bool eightBit) {
  std::ifstream f(path, std::ios::binary);
  if (!f) return "ERROR open\n";
  std::string bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  return ReferenceDumpBytes(bytes, eightBit);
}

}  // namespace pngtest
