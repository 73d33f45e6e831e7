#include "io.h"

#include <png.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace ag {

static void put16(std::vector<uint8_t>& v, uint32_t x) {
  v.push_back(uint8_t(x));
  v.push_back(uint8_t(x >> 8));
}
static void put32(std::vector<uint8_t>& v, uint32_t x) {
  put16(v, x & 0xFFFF);
  put16(v, x >> 16);
}

static void tag(std::vector<uint8_t>& v, const char (&t)[5]) {
  for (int i = 0; i < 4; ++i) v.push_back(uint8_t(t[i]));
}

std::vector<uint8_t> encode_bmp24(const Image& im) {
  uint32_t stride = (uint32_t(im.w) * 3 + 3) & ~3u;
  uint32_t dataSize = stride * uint32_t(im.h);
  std::vector<uint8_t> v;
  v.reserve(54 + dataSize);
  // BITMAPFILEHEADER
  v.push_back('B');
  v.push_back('M');
  put32(v, 54 + dataSize);
  put32(v, 0);
  put32(v, 54);
  // BITMAPINFOHEADER
  put32(v, 40);
  put32(v, uint32_t(im.w));
  put32(v, uint32_t(im.h));  // positive: bottom-up
  put16(v, 1);
  put16(v, 24);
  put32(v, 0);  // BI_RGB
  put32(v, dataSize);
  put32(v, 3780);  // 96 dpi
  put32(v, 3780);
  put32(v, 0);
  put32(v, 0);
  for (int y = im.h - 1; y >= 0; --y) {
    size_t start = v.size();
    for (int x = 0; x < im.w; ++x) {
      const Pixel& p = im.at(x, y);
      v.push_back(p.b);
      v.push_back(p.g);
      v.push_back(p.r);
    }
    while (v.size() - start < stride) v.push_back(0);
  }
  return v;
}

std::vector<uint8_t> encode_wav(const std::vector<float>& samples, int rate) {
  uint32_t dataSize = uint32_t(samples.size()) * 2;
  std::vector<uint8_t> v;
  tag(v, "RIFF");
  put32(v, 36 + dataSize);
  tag(v, "WAVE");
  tag(v, "fmt ");
  put32(v, 16);
  put16(v, 1);  // PCM
  put16(v, 1);  // mono
  put32(v, uint32_t(rate));
  put32(v, uint32_t(rate) * 2);
  put16(v, 2);
  put16(v, 16);
  tag(v, "data");
  put32(v, dataSize);
  for (float s : samples) {
    long q = std::lround(std::clamp(s, -1.0f, 1.0f) * 32767.0f);
    put16(v, uint16_t(int16_t(q)));
  }
  return v;
}

void write_file(const fs::path& p, const std::vector<uint8_t>& bytes) {
  fs::create_directories(p.parent_path());
  fs::path tmp = p;
  tmp += ".tmp";
  {
    std::ofstream f(tmp, std::ios::binary | std::ios::trunc);
    if (!f) throw std::runtime_error("cannot write " + tmp.string());
    f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!f) throw std::runtime_error("cannot write " + tmp.string());
  }
  fs::rename(tmp, p);
}

std::string read_file(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  if (!f) throw std::runtime_error("cannot read " + p.string());
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

void write_png(const fs::path& p, const Image& im) {
  fs::create_directories(p.parent_path());
  fs::path tmp = p;
  tmp += ".tmp";
  FILE* f = std::fopen(tmp.c_str(), "wb");
  if (!f) throw std::runtime_error("cannot write " + tmp.string());
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  std::vector<uint8_t> rows(size_t(im.w) * 3 * im.h);
  for (int y = 0; y < im.h; ++y)
    for (int x = 0; x < im.w; ++x) {
      const Pixel& q = im.at(x, y);
      uint8_t* d = &rows[(size_t(y) * im.w + x) * 3];
      d[0] = q.r;
      d[1] = q.g;
      d[2] = q.b;
    }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    throw std::runtime_error("PNG encoding failed");
  }
  png_init_io(png, f);
  png_set_IHDR(png, info, png_uint_32(im.w), png_uint_32(im.h), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < im.h; ++y) png_write_row(png, &rows[size_t(y) * im.w * 3]);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  std::fclose(f);
  fs::rename(tmp, p);
}

std::vector<uint8_t> utf8_to_utf16le_bom(const std::string& s) {
  std::vector<uint8_t> v{0xFF, 0xFE};
  auto unit = [&](uint32_t u) { put16(v, u); };
  size_t i = 0;
  if (s.size() >= 3 && uint8_t(s[0]) == 0xEF && uint8_t(s[1]) == 0xBB && uint8_t(s[2]) == 0xBF) i = 3;
  while (i < s.size()) {
    uint8_t c = uint8_t(s[i]);
    uint32_t cp;
    int n;
    if (c < 0x80) {
      cp = c;
      n = 1;
    } else if ((c & 0xE0) == 0xC0) {
      cp = c & 0x1F;
      n = 2;
    } else if ((c & 0xF0) == 0xE0) {
      cp = c & 0x0F;
      n = 3;
    } else if ((c & 0xF8) == 0xF0) {
      cp = c & 0x07;
      n = 4;
    } else {
      throw std::runtime_error("malformed UTF-8 in a text asset");
    }
    if (i + n > s.size()) throw std::runtime_error("malformed UTF-8 in a text asset");
    for (int k = 1; k < n; ++k) {
      uint8_t t = uint8_t(s[i + k]);
      if ((t & 0xC0) != 0x80) throw std::runtime_error("malformed UTF-8 in a text asset");
      cp = (cp << 6) | (t & 0x3F);
    }
    i += size_t(n);
    if (cp == '\r') continue;
    if (cp == '\n') {
      unit('\r');
      unit('\n');
    } else if (cp >= 0x10000) {
      cp -= 0x10000;
      unit(0xD800 + (cp >> 10));
      unit(0xDC00 + (cp & 0x3FF));
    } else {
      unit(cp);
    }
  }
  return v;
}

std::vector<uint8_t> crlf_text(const std::string& text) {
  std::vector<uint8_t> v;
  for (char c : text) {
    if (c == '\r') continue;
    if (c == '\n') v.push_back('\r');
    v.push_back(uint8_t(c));
  }
  return v;
}

}  // namespace ag
