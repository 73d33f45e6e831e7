// Small software renderer for the asset generator: shapes as signed distance functions, painted
// on a supersampled canvas and reduced to output pixels. Everything is deterministic.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace ag {

struct Vec2 {
  float x = 0, y = 0;
};
inline Vec2 operator+(Vec2 a, Vec2 b) { return {a.x + b.x, a.y + b.y}; }
inline Vec2 operator-(Vec2 a, Vec2 b) { return {a.x - b.x, a.y - b.y}; }
inline Vec2 operator*(Vec2 a, float s) { return {a.x * s, a.y * s}; }
inline float dot(Vec2 a, Vec2 b) { return a.x * b.x + a.y * b.y; }
inline float length(Vec2 a) { return std::sqrt(dot(a, a)); }

// Colour with straight (not premultiplied) alpha, channels 0..1.
struct Color {
  float r = 0, g = 0, b = 0, a = 1;
};
Color rgb(int r, int g, int b, float a = 1.0f);
Color mix(Color a, Color b, float t);
Color scale(Color c, float k);  // multiplies r, g, b
float clamp01(float v);
float smoothstep(float e0, float e1, float x);

// Deterministic noise.
uint32_t hash3(int32_t x, int32_t y, uint32_t seed);
float hashf(int32_t x, int32_t y, uint32_t seed);             // 0..1
float vnoise(float x, float y, uint32_t seed);                // smooth value noise, 0..1
float fbm(float x, float y, uint32_t seed, int octaves = 4);  // 0..1

class Rng {
 public:
  explicit Rng(uint64_t seed) : s_(seed) {}
  uint64_t next();
  float uniform();                   // 0..1
  float range(float lo, float hi);
  int below(int n);

 private:
  uint64_t s_;
};

// Signed distance functions: negative inside.
using Sdf = std::function<float(float, float)>;
Sdf sd_circle(Vec2 c, float r);
Sdf sd_ellipse(Vec2 c, float rx, float ry);  // approximate
Sdf sd_box(float x0, float y0, float x1, float y1, float radius = 0);
Sdf sd_segment(Vec2 a, Vec2 b, float halfWidth);
Sdf sd_polyline(const std::vector<Vec2>& pts, float halfWidth);
Sdf sd_polygon(const std::vector<Vec2>& pts);
Sdf sd_union(Sdf a, Sdf b);
Sdf sd_subtract(Sdf a, Sdf b);  // a without b
Sdf sd_intersect(Sdf a, Sdf b);
Sdf sd_offset(Sdf a, float by);  // grows by "by"

// Output-resolution image, 8 bits per channel, with an alpha channel for keying.
struct Pixel {
  uint8_t r = 0, g = 0, b = 0, a = 0;
};
struct Image {
  int w = 0, h = 0;
  std::vector<Pixel> px;
  Image() = default;
  Image(int w_, int h_, Pixel fill = {}) : w(w_), h(h_), px(size_t(w_) * h_, fill) {}
  Pixel& at(int x, int y) { return px[size_t(y) * w + x]; }
  const Pixel& at(int x, int y) const { return px[size_t(y) * w + x]; }
};

// Supersampled canvas. Coordinates given to shapes and paints are output pixels (floats);
// sample (i, j) sits at ((i + 0.5) / ss, (j + 0.5) / ss).
class Canvas {
 public:
  Canvas(int w, int h, int ss);
  int width() const { return w_; }
  int height() const { return h_; }
  // Paints where the shape is negative. The paint gets the point and the distance.
  void fill(const Sdf& shape, const std::function<Color(float x, float y, float d)>& paint,
            float bx0 = -1e9f, float by0 = -1e9f, float bx1 = 1e9f, float by1 = 1e9f);
  void fill(const Sdf& shape, Color c, float bx0 = -1e9f, float by0 = -1e9f, float bx1 = 1e9f, float by1 = 1e9f);
  // Paints every sample.
  void paint(const std::function<Color(float x, float y)>& paint);
  // Averages the samples into output pixels (alpha = coverage).
  Image resolve() const;

 private:
  struct S {
    float r, g, b, a;  // premultiplied
  };
  int w_, h_, ss_;
  std::vector<S> s_;
  void blend(S& dst, Color c);
};

// Turns a resolved image into an opaque or keyed picture: pixels with coverage below the
// threshold become the key; the others keep their colour (composited over "under" by their
// coverage) and never equal the key.
Image flatten_keyed(const Image& im, Pixel key, float threshold, Color under);
Image flatten_opaque(const Image& im, Color under);

}  // namespace ag
