#include "gfx.h"

namespace ag {

Color rgb(int r, int g, int b, float a) { return {r / 255.0f, g / 255.0f, b / 255.0f, a}; }

Color mix(Color a, Color b, float t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t,
          a.a + (b.a - a.a) * t};
}

Color scale(Color c, float k) { return {c.r * k, c.g * k, c.b * k, c.a}; }

float clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }

float smoothstep(float e0, float e1, float x) {
  float t = clamp01((x - e0) / (e1 - e0));
  return t * t * (3 - 2 * t);
}

uint32_t hash3(int32_t x, int32_t y, uint32_t seed) {
  uint32_t h = seed * 0x9E3779B9u;
  h ^= uint32_t(x) * 0x85EBCA6Bu;
  h = (h << 13) | (h >> 19);
  h ^= uint32_t(y) * 0xC2B2AE35u;
  h ^= h >> 16;
  h *= 0x7FEB352Du;
  h ^= h >> 15;
  h *= 0x846CA68Bu;
  h ^= h >> 16;
  return h;
}

float hashf(int32_t x, int32_t y, uint32_t seed) { return (hash3(x, y, seed) >> 8) * (1.0f / 16777216.0f); }

float vnoise(float x, float y, uint32_t seed) {
  float fx = std::floor(x), fy = std::floor(y);
  int32_t ix = int32_t(fx), iy = int32_t(fy);
  float tx = x - fx, ty = y - fy;
  tx = tx * tx * (3 - 2 * tx);
  ty = ty * ty * (3 - 2 * ty);
  float a = hashf(ix, iy, seed), b = hashf(ix + 1, iy, seed);
  float c = hashf(ix, iy + 1, seed), d = hashf(ix + 1, iy + 1, seed);
  return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

float fbm(float x, float y, uint32_t seed, int octaves) {
  float sum = 0, amp = 0.5f, norm = 0;
  for (int i = 0; i < octaves; ++i) {
    sum += amp * vnoise(x, y, seed + uint32_t(i) * 101u);
    norm += amp;
    x *= 2.03f;
    y *= 2.03f;
    amp *= 0.5f;
  }
  return sum / norm;
}

uint64_t Rng::next() {
  // splitmix64: a fixed, portable sequence.
  uint64_t z = (s_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

float Rng::uniform() { return float(next() >> 40) * (1.0f / 16777216.0f); }
float Rng::range(float lo, float hi) { return lo + (hi - lo) * uniform(); }
int Rng::below(int n) { return n <= 0 ? 0 : int(next() % uint64_t(n)); }

Sdf sd_circle(Vec2 c, float r) {
  return [=](float x, float y) { return length(Vec2{x, y} - c) - r; };
}

Sdf sd_ellipse(Vec2 c, float rx, float ry) {
  return [=](float x, float y) {
    float dx = (x - c.x) / rx, dy = (y - c.y) / ry;
    float k = std::sqrt(dx * dx + dy * dy);
    return (k - 1.0f) * std::min(rx, ry);
  };
}

Sdf sd_box(float x0, float y0, float x1, float y1, float radius) {
  float cx = (x0 + x1) / 2, cy = (y0 + y1) / 2;
  float hx = (x1 - x0) / 2 - radius, hy = (y1 - y0) / 2 - radius;
  return [=](float x, float y) {
    float qx = std::fabs(x - cx) - hx, qy = std::fabs(y - cy) - hy;
    float ox = std::max(qx, 0.0f), oy = std::max(qy, 0.0f);
    return std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.0f) - radius;
  };
}

static float seg_dist(Vec2 p, Vec2 a, Vec2 b) {
  Vec2 pa = p - a, ba = b - a;
  float l2 = dot(ba, ba);
  float h = l2 > 0 ? std::clamp(dot(pa, ba) / l2, 0.0f, 1.0f) : 0.0f;
  return length(pa - ba * h);
}

Sdf sd_segment(Vec2 a, Vec2 b, float halfWidth) {
  return [=](float x, float y) { return seg_dist({x, y}, a, b) - halfWidth; };
}

Sdf sd_polyline(const std::vector<Vec2>& pts, float halfWidth) {
  return [pts, halfWidth](float x, float y) {
    float d = 1e9f;
    if (pts.size() == 1) return length(Vec2{x, y} - pts[0]) - halfWidth;
    for (size_t i = 0; i + 1 < pts.size(); ++i) d = std::min(d, seg_dist({x, y}, pts[i], pts[i + 1]));
    return d - halfWidth;
  };
}

Sdf sd_polygon(const std::vector<Vec2>& pts) {
  return [pts](float x, float y) {
    Vec2 p{x, y};
    float d = 1e9f;
    int winding = 0;
    size_t n = pts.size();
    for (size_t i = 0, j = n - 1; i < n; j = i++) {
      Vec2 a = pts[j], b = pts[i];
      d = std::min(d, seg_dist(p, a, b));
      if (a.y <= y) {
        if (b.y > y && (b.x - a.x) * (y - a.y) - (x - a.x) * (b.y - a.y) > 0) ++winding;
      } else if (b.y <= y && (b.x - a.x) * (y - a.y) - (x - a.x) * (b.y - a.y) < 0) {
        --winding;
      }
    }
    return winding != 0 ? -d : d;
  };
}

Sdf sd_union(Sdf a, Sdf b) {
  return [=](float x, float y) { return std::min(a(x, y), b(x, y)); };
}
Sdf sd_subtract(Sdf a, Sdf b) {
  return [=](float x, float y) { return std::max(a(x, y), -b(x, y)); };
}
Sdf sd_intersect(Sdf a, Sdf b) {
  return [=](float x, float y) { return std::max(a(x, y), b(x, y)); };
}
Sdf sd_offset(Sdf a, float by) {
  return [=](float x, float y) { return a(x, y) - by; };
}

Canvas::Canvas(int w, int h, int ss) : w_(w), h_(h), ss_(ss), s_(size_t(w) * ss * h * ss, S{0, 0, 0, 0}) {}

void Canvas::blend(S& d, Color c) {
  float a = clamp01(c.a);
  float r = clamp01(c.r), g = clamp01(c.g), b = clamp01(c.b);
  d.r = r * a + d.r * (1 - a);
  d.g = g * a + d.g * (1 - a);
  d.b = b * a + d.b * (1 - a);
  d.a = a + d.a * (1 - a);
}

void Canvas::fill(const Sdf& shape, const std::function<Color(float, float, float)>& paint, float bx0,
                  float by0, float bx1, float by1) {
  int W = w_ * ss_, H = h_ * ss_;
  auto lim = [](float v, int hi) { return int(std::clamp(v, 0.0f, float(hi))); };
  int i0 = lim(std::floor(bx0 * ss_), W), j0 = lim(std::floor(by0 * ss_), H);
  int i1 = lim(std::ceil(bx1 * ss_) + 1, W), j1 = lim(std::ceil(by1 * ss_) + 1, H);
  float inv = 1.0f / ss_;
  for (int j = j0; j < j1; ++j) {
    float y = (j + 0.5f) * inv;
    for (int i = i0; i < i1; ++i) {
      float x = (i + 0.5f) * inv;
      float d = shape(x, y);
      if (d < 0) blend(s_[size_t(j) * W + i], paint(x, y, d));
    }
  }
}

void Canvas::fill(const Sdf& shape, Color c, float bx0, float by0, float bx1, float by1) {
  fill(shape, [c](float, float, float) { return c; }, bx0, by0, bx1, by1);
}

void Canvas::paint(const std::function<Color(float, float)>& p) {
  int W = w_ * ss_, H = h_ * ss_;
  float inv = 1.0f / ss_;
  for (int j = 0; j < H; ++j)
    for (int i = 0; i < W; ++i) blend(s_[size_t(j) * W + i], p((i + 0.5f) * inv, (j + 0.5f) * inv));
}

Image Canvas::resolve() const {
  Image out(w_, h_);
  int W = w_ * ss_;
  float n = float(ss_ * ss_);
  for (int y = 0; y < h_; ++y)
    for (int x = 0; x < w_; ++x) {
      float r = 0, g = 0, b = 0, a = 0;
      for (int j = 0; j < ss_; ++j)
        for (int i = 0; i < ss_; ++i) {
          const S& s = s_[size_t(y * ss_ + j) * W + (x * ss_ + i)];
          r += s.r;
          g += s.g;
          b += s.b;
          a += s.a;
        }
      Pixel& p = out.at(x, y);
      // Stored straight: colour = premultiplied sum / coverage.
      if (a > 0) {
        p.r = uint8_t(std::lround(clamp01(r / a) * 255));
        p.g = uint8_t(std::lround(clamp01(g / a) * 255));
        p.b = uint8_t(std::lround(clamp01(b / a) * 255));
      }
      p.a = uint8_t(std::lround(clamp01(a / n) * 255));
    }
  return out;
}

static uint8_t to8(float v) { return uint8_t(std::lround(clamp01(v) * 255)); }

Image flatten_keyed(const Image& im, Pixel key, float threshold, Color under) {
  Image out(im.w, im.h, Pixel{key.r, key.g, key.b, 255});
  for (int y = 0; y < im.h; ++y)
    for (int x = 0; x < im.w; ++x) {
      const Pixel& p = im.at(x, y);
      float a = p.a / 255.0f;
      if (a < threshold) continue;
      // Edge pixels lean towards what the picture is drawn over, which softens the hard key.
      float t = clamp01((a - threshold) / (1 - threshold) * 0.6f + 0.4f);
      Pixel q{to8(under.r + (p.r / 255.0f - under.r) * t), to8(under.g + (p.g / 255.0f - under.g) * t),
              to8(under.b + (p.b / 255.0f - under.b) * t), 255};
      if (q.r == key.r && q.g == key.g && q.b == key.b) {
        if (key.r == 0 && key.g == 0 && key.b == 0)
          q = {1, 1, 1, 255};
        else
          q.r = uint8_t(q.r ^ 1);
      }
      out.at(x, y) = q;
    }
  return out;
}

Image flatten_opaque(const Image& im, Color under) {
  Image out(im.w, im.h);
  for (size_t i = 0; i < im.px.size(); ++i) {
    const Pixel& p = im.px[i];
    float a = p.a / 255.0f;
    out.px[i] = {to8(under.r + (p.r / 255.0f - under.r) * a), to8(under.g + (p.g / 255.0f - under.g) * a),
                 to8(under.b + (p.b / 255.0f - under.b) * a), 255};
  }
  return out;
}

}  // namespace ag
