// The tray, the tools, the ruler, the chalks, the date glyphs and the grid tiles.
#include "pictures.h"

#include <cmath>

namespace ag {

namespace {

constexpr float kPi = 3.14159265f;


// Wood with its grain running along x (swap the arguments for a vertical piece): long fibres
// of uneven spacing, bent by a slow warp, with fine streaks between them.
Color wood(float x, float y, uint32_t seed, Color base) {
  float warp = fbm(x / 70.0f, y / 16.0f, seed, 3);
  float phase = y * 0.75f + warp * 14.0f + 3.0f * fbm(x / 400.0f, y / 3.0f, seed + 31, 2);
  float rings = 0.5f + 0.5f * std::sin(phase);
  rings = rings * rings * rings * rings;
  float streak = fbm(x / 30.0f, y * 0.9f, seed + 11, 3);
  float fibre = vnoise(x * 0.08f, y * 2.2f, seed + 23);
  float k = 0.95f - 0.22f * rings + 0.20f * (streak - 0.5f) + 0.10f * (fibre - 0.5f);
  return scale(base, k);
}

// Bevel lighting for a point inside a shape: light from the upper left.
float bevel(const Sdf& s, float x, float y, float d, float width, float strength) {
  if (d < -width) return 1.0f;
  const float e = 0.1f;
  float gx = s(x + e, y) - s(x - e, y), gy = s(x, y + e) - s(x, y - e);
  float gl = std::sqrt(gx * gx + gy * gy);
  if (gl <= 0) return 1.0f;
  float lit = (-0.6f * gx - 0.8f * gy) / gl;
  float t = 1.0f - (-d) / width;
  return 1.0f + strength * lit * t;
}

Color with_alpha(Color c, float a) {
  c.a = a;
  return c;
}

Color desaturate(Color c, float amount) {
  float l = 0.3f * c.r + 0.59f * c.g + 0.11f * c.b;
  return mix(c, Color{l, l, l, c.a}, amount);
}

// Vertical profile of the tray: brightness of the wood by row (y in tray rows 0..48).
// Rows 2..6 the back rail, 7..39 the trough (the chalks lie at 24..36), 40..47 the front rail.
float tray_profile(float y) {
  struct Key {
    float y, k;
  };
  static const Key keys[] = {
      {0.0f, 0.40f},  {1.5f, 0.48f},  {2.0f, 1.22f},  {3.5f, 1.10f},  {6.0f, 0.96f},
      {6.5f, 0.50f},  {9.0f, 0.56f},  {14.0f, 0.70f}, {21.0f, 0.86f}, {30.0f, 0.98f},
      {35.0f, 1.00f}, {37.5f, 0.90f}, {39.0f, 0.58f}, {40.0f, 0.66f}, {40.5f, 1.30f},
      {42.0f, 1.18f}, {43.0f, 0.90f}, {46.5f, 0.68f}, {47.2f, 0.50f}, {48.0f, 0.42f},
  };
  if (y <= keys[0].y) return keys[0].k;
  for (size_t i = 1; i < sizeof keys / sizeof keys[0]; ++i)
    if (y <= keys[i].y) {
      float t = (y - keys[i - 1].y) / (keys[i].y - keys[i - 1].y);
      return keys[i - 1].k + (keys[i].k - keys[i - 1].k) * t;
    }
  return keys[sizeof keys / sizeof keys[0] - 1].k;
}

int tray_piece(float y) { return y < 6.5f ? 0 : (y < 40.0f ? 1 : 2); }

Color tray_color(float x, float y, bool withDust) {
  Color base = rgb(172, 120, 74);
  int piece = tray_piece(y);
  // Each rail is its own board: its own grain.
  Color c = scale(wood(x + 211.0f * piece, y * 1.5f + 37.0f * piece, 7u + 13u * uint32_t(piece), base), tray_profile(y));
  if (piece == 1) {
    // A film of chalk dust in the trough, thickest along the front where it settles.
    float smudge = fbm(x / 26.0f, y / 4.0f, 41, 4);
    float settle = smoothstep(14.0f, 37.0f, y);
    float amount = smoothstep(0.42f, 0.85f, smudge) * (0.06f + 0.22f * settle);
    c = mix(c, rgb(226, 224, 214), amount);
    if (withDust && y > 20.0f && y < 38.5f) {
      // Crumbs: soft specks of one or two pixels.
      float h = hashf(int(x / 1.5f), int(y / 1.5f), 97);
      if (h > 0.992f) c = mix(c, rgb(238, 236, 228), 0.3f + 0.4f * hashf(int(x), int(y), 98));
    }
  }
  return c;
}

Image no_pure_black(Image im) {
  for (Pixel& p : im.px)
    if (p.r == 0 && p.g == 0 && p.b == 0) p = {1, 1, 1, 255};
  return im;
}

}  // namespace

Image make_tray(int w, int h, bool withDust, int xOffset) {
  Canvas cv(w, h, 3);
  float sy = 48.0f / float(h);
  cv.paint([&](float x, float y) { return tray_color(x + float(xOffset), y * sy, withDust); });
  return no_pure_black(flatten_opaque(cv.resolve(), rgb(0, 0, 0)));
}

Image make_arrow(bool right, bool active) {
  const int W = 32, H = 48;
  Canvas cv(W, H, 4);
  // The tray continues behind the end block.
  cv.paint([&](float x, float y) {
    Color c = tray_color(x + (right ? 900.0f : 3.0f), y, false);
    return active ? c : desaturate(c, 0.85f);
  });
  Sdf block = sd_box(1.5f, 2.0f, 30.5f, 46.5f, 4.0f);
  Color blockWood = rgb(128, 84, 50);
  cv.fill(block, [&](float x, float y, float d) {
    Color c = scale(wood(y * 0.7f, x * 1.3f, right ? 301 : 302, blockWood), bevel(block, x, y, d, 3.0f, 0.55f));
    if (d > -0.8f) c = scale(c, 0.55f);
    return active ? c : desaturate(scale(c, 1.15f), 0.9f);
  });
  // The arrow, painted in cream with a soft shadow below it.
  auto arrowPts = [&](float dx, float dy) {
    std::vector<Vec2> p = {{6, 24}, {17, 12.5f}, {17, 19.5f}, {26, 19.5f}, {26, 28.5f}, {17, 28.5f}, {17, 35.5f}};
    for (Vec2& q : p) {
      if (right) q.x = 32.0f - q.x;
      q.x += dx;
      q.y += dy;
    }
    return p;
  };
  Sdf shadow = sd_offset(sd_polygon(arrowPts(1.0f, 1.2f)), 0.4f);
  cv.fill(shadow, with_alpha(rgb(40, 24, 12), active ? 0.55f : 0.30f));
  Sdf arrow = sd_offset(sd_polygon(arrowPts(0, 0)), 0.3f);
  cv.fill(arrow, [&](float x, float y, float d) {
    Color paint = active ? rgb(246, 236, 196) : rgb(150, 150, 148);
    float tex = 0.94f + 0.1f * fbm(x / 2.0f, y / 2.0f, 77, 3);
    Color c = scale(paint, tex * bevel(arrow, x, y, d, 1.5f, 0.25f));
    return c;
  });
  return no_pure_black(flatten_opaque(cv.resolve(), rgb(0, 0, 0)));
}

Image make_finger() {
  const int W = 20, H = 36;
  Canvas cv(W, H, 4);
  Sdf finger = sd_union(sd_segment({10, 8.0f}, {10, 40}, 6.4f), sd_box(2.0f, 28.0f, 18.0f, 40.0f, 5.0f));
  Color skin = rgb(240, 198, 166);
  cv.fill(finger, [&](float x, float y, float d) {
    float nx = std::clamp((x - 9.3f) / 7.0f, -1.0f, 1.0f);
    float k = 0.74f + 0.30f * std::sqrt(1 - nx * nx) - 0.06f * nx;
    k *= 1.0f - 0.12f * smoothstep(26.0f, 36.0f, y);
    Color c = scale(skin, k);
    if (d > -0.9f) c = scale(skin, 0.58f);
    return c;
  });
  // Nail.
  Sdf nail = sd_intersect(sd_box(6.0f, 2.6f, 14.0f, 11.5f, 3.8f), sd_offset(finger, -1.0f));
  cv.fill(nail, [&](float x, float y, float d) {
    Color c = rgb(250, 224, 214);
    if (d > -0.7f) c = rgb(214, 160, 150);
    float hl = std::exp(-((x - 8.6f) * (x - 8.6f) + (y - 5.0f) * (y - 5.0f)) / 3.0f);
    return mix(c, rgb(255, 250, 248), hl * 0.8f);
  });
  // Knuckle creases.
  for (float cy : {18.5f, 24.5f}) {
    cv.fill(sd_polyline({{5.8f, cy + 0.6f}, {10.0f, cy}, {14.2f, cy + 0.6f}}, 0.38f),
            with_alpha(rgb(150, 100, 80), 0.8f));
  }
  return flatten_keyed(cv.resolve(), kBlack, 0.5f, rgb(130, 90, 70));
}

namespace {

// Layered felt of a board eraser, chalk dust worked into it. "across" runs across the layers.
Color felt(float along, float across, float dustiness, uint32_t seed) {
  static const Color layers[] = {rgb(62, 62, 70), rgb(44, 52, 86), rgb(70, 66, 64), rgb(44, 52, 86)};
  int layer = int(std::floor(across / 3.4f)) & 3;
  Color c = layers[layer];
  float fibre = vnoise(along * 0.5f, across * 3.0f, seed) * 0.6f + hashf(int(along * 2), int(across * 2), seed + 1) * 0.4f;
  c = scale(c, 0.82f + 0.36f * fibre);
  float groove = std::fmod(across, 3.4f);
  if (groove < 0.6f) c = scale(c, 0.7f);
  float dust = fbm(along / 9.0f, across / 3.0f, seed + 5, 4);
  float amount = smoothstep(0.62f - 0.3f * dustiness, 0.9f, dust) * (0.35f + 0.5f * dustiness);
  return mix(c, rgb(214, 214, 206), clamp01(amount));
}

}  // namespace

Image make_eraser() {
  const int W = 128, H = 40;
  Canvas cv(W, H, 4);
  Sdf felts = sd_box(3.0f, 19.0f, 125.0f, 39.6f, 2.5f);
  cv.fill(felts, [&](float x, float y, float d) {
    float dustiness = smoothstep(26.0f, 39.0f, y);
    Color c = felt(x, y - 19.0f, dustiness, 501);
    if (y > 37.5f) c = mix(c, rgb(220, 220, 212), 0.45f);
    if (d > -0.8f) c = scale(c, 0.75f);
    return c;
  });
  Sdf back = sd_box(1.0f, 1.0f, 127.0f, 22.0f, 5.0f);
  Color honey = rgb(206, 152, 92);
  cv.fill(back, [&](float x, float y, float d) {
    Color c = scale(wood(x, y * 1.4f, 503, honey), bevel(back, x, y, d, 3.5f, 0.5f));
    if (d > -0.7f) c = scale(c, 0.5f);
    return c;
  });
  // A finger groove along the back.
  Sdf groove = sd_box(18.0f, 8.0f, 110.0f, 14.0f, 3.0f);
  cv.fill(groove, [&](float x, float y, float d) {
    Color c = scale(wood(x, y * 1.4f, 503, honey), 0.78f);
    // Inverted bevel: the lower lip catches the light.
    float b = bevel(groove, x, y, d, 2.0f, 0.5f);
    return scale(c, 2.0f - b);
  });
  // Shadow of the back on the felt.
  cv.fill(sd_box(3.0f, 22.0f, 125.0f, 23.5f, 0.0f), with_alpha(rgb(10, 10, 12), 0.5f));
  return flatten_keyed(cv.resolve(), kBlack, 0.5f, rgb(40, 36, 32));
}

Image make_long_eraser() {
  const int W = 118, H = 640;
  Canvas cv(W, H, 3);
  Sdf felts = sd_box(1.0f, 2.0f, 89.0f, 638.0f, 6.0f);
  cv.fill(felts, [&](float x, float y, float d) {
    float dustiness = 1.0f - smoothstep(0.0f, 40.0f, x);
    Color c = felt(y, x, dustiness * 0.8f + 0.1f, 601);
    if (d > -0.9f) c = scale(c, 0.72f);
    return c;
  });
  Sdf back = sd_box(84.0f, 0.5f, 117.5f, 639.5f, 7.0f);
  Color honey = rgb(200, 146, 88);
  cv.fill(back, [&](float x, float y, float d) {
    Color c = scale(wood(y, x * 1.5f, 603, honey), bevel(back, x, y, d, 4.0f, 0.5f));
    if (d > -0.8f) c = scale(c, 0.5f);
    return c;
  });
  // Grip in the middle of the back.
  Sdf grip = sd_box(92.0f, 250.0f, 112.0f, 390.0f, 8.0f);
  cv.fill(grip, [&](float x, float y, float d) {
    float ridges = 0.5f + 0.5f * std::sin(y * 1.1f);
    Color c = scale(rgb(70, 58, 52), (0.85f + 0.25f * ridges) * bevel(grip, x, y, d, 3.0f, 0.6f));
    if (d > -0.8f) c = scale(c, 0.6f);
    return c;
  });
  cv.fill(sd_box(84.0f, 2.0f, 86.0f, 638.0f, 0.0f), with_alpha(rgb(10, 10, 12), 0.45f));
  return flatten_keyed(cv.resolve(), kMagenta, 0.5f, rgb(40, 36, 32));
}

namespace {

// The set square: a 45-degree triangle with its long edge along the top and a cut-out.
struct SetSquare {
  float w, h, mt, ms, round;
  Sdf shape() const {
    Sdf outer = sd_union(sd_polygon({{0, -0.5f}, {w, -0.5f}, {w / 2, h}}), sd_box(0, -0.5f, w, 1.0f, 0));
    float s2 = std::sqrt(2.0f);
    float r = round;
    // Inner triangle shrunk by the rounding radius, then grown back: rounded corners.
    float t = mt + r, s = ms + r;
    Sdf inner = sd_offset(sd_polygon({{t + s * s2, t}, {w - t - s * s2, t}, {w / 2, h - s * s2}}), r);
    return sd_subtract(outer, inner);
  }
};

void draw_plastic(Canvas& cv, const SetSquare& sq, float rim, bool outline) {
  Sdf shape = sq.shape();
  Color plastic = rgb(204, 234, 240);
  cv.fill(shape, [&](float x, float y, float d) {
    float sheen = 0.96f + 0.07f * (1.0f - (x + y) / (sq.w + sq.h)) + 0.03f * (fbm(x / 60.0f, y / 60.0f, 701, 3) - 0.5f);
    Color c = scale(plastic, sheen);
    // Faint streaks across the sheet, as on moulded plastic.
    float streak = vnoise(x / 3.0f + y / 3.0f, (x - y) / 80.0f, 702);
    c = scale(c, 0.985f + 0.03f * streak);
    if (d > -rim) {
      float b = bevel(shape, x, y, d, rim, 0.25f);
      c = scale(mix(c, rgb(172, 208, 218), 0.6f), b);
    }
    if (d > -rim * 0.35f) c = outline ? rgb(70, 110, 122) : rgb(244, 254, 255);
    return c;
  });
}

void draw_stroke_text(Canvas& cv, const std::vector<Stroke>& strokes, float x0, float y0, float w, float h,
                      float halfWidth, Color c) {
  for (const Stroke& s : strokes) {
    std::vector<Vec2> pts;
    for (Vec2 p : s) pts.push_back({x0 + p.x * w, y0 + p.y * h});
    float m = halfWidth + 1;
    cv.fill(sd_polyline(pts, halfWidth), c, x0 - m, y0 - m, x0 + w + m, y0 + h + m);
  }
}

}  // namespace

Image make_ruler() {
  SetSquare sq{400, 200, 44, 30, 7};
  Canvas cv(400, 200, 3);
  draw_plastic(cv, sq, 4.5f, false);
  Image im = flatten_keyed(cv.resolve(), kMagenta, 0.5f, rgb(150, 190, 200));
  // The drawing edge is the whole top row.
  for (int x = 0; x < im.w; ++x)
    if (im.at(x, 0).r == 255 && im.at(x, 0).g == 0 && im.at(x, 0).b == 255) im.at(x, 0) = {236, 250, 252, 255};
  return im;
}

Image make_graduations() {
  const int W = 400, H = 200;
  Canvas cv(W, H, 4);
  Color ink = rgb(22, 32, 74);
  const float mm = 4.0f;  // 1 cm = 40 pixels
  for (int i = 1; i < 100; ++i) {
    float x = i * mm;
    float len = (i % 10 == 0) ? 12.0f : (i % 5 == 0 ? 8.5f : 5.0f);
    float room = std::min(x, W - x) - 2.0f;  // keep inside the triangle
    len = std::min(len, room);
    if (len <= 1) continue;
    cv.fill(sd_box(x - 0.45f, 0.0f, x + 0.45f, len, 0), ink, x - 1, 0, x + 1, len + 1);
  }
  for (int cm = 1; cm <= 9; ++cm) {
    float x = cm * 40.0f;
    draw_stroke_text(cv, digit_strokes(cm), x - 2.8f, 14.5f, 5.6f, 8.5f, 0.55f, ink);
  }
  // "cm" after the first number, as a small mark of the unit.
  const float ux0 = 44, uy0 = 18, ux1 = 54, uy1 = 24;
  cv.fill(sd_polyline({{47.5f, 20.0f}, {46.2f, 19.2f}, {45.2f, 20.5f}, {45.4f, 22.4f}, {47.5f, 22.8f}}, 0.45f), ink, ux0, uy0, ux1, uy1);
  cv.fill(sd_polyline({{48.8f, 23.0f}, {48.8f, 19.2f}, {50.0f, 19.0f}, {50.6f, 20.0f}, {50.6f, 23.0f}}, 0.45f), ink, ux0, uy0, ux1, uy1);
  cv.fill(sd_polyline({{50.6f, 20.0f}, {51.4f, 19.0f}, {52.4f, 20.0f}, {52.4f, 23.0f}}, 0.45f), ink, ux0, uy0, ux1, uy1);
  return flatten_keyed(cv.resolve(), kMagenta, 0.45f, rgb(150, 180, 200));
}

Image make_ruler_icon() {
  const int W = 48, H = 40;
  Canvas cv(W, H, 4);
  // A small set square with its marks, outlined so that it stands out on the wood.
  SetSquare sq{46, 23, 6, 5, 2};
  Sdf s = sq.shape();
  Sdf moved = [&](float x, float y) { return s(x - 1.0f, y - 12.0f); };
  Color plastic = rgb(204, 234, 240);
  cv.fill(moved, [&](float x, float y, float d) {
    Color c = scale(plastic, bevel(moved, x, y, d, 1.6f, 0.3f));
    if (d > -0.8f) c = rgb(64, 104, 116);
    return c;
  });
  Color ink = rgb(22, 32, 74);
  for (int i = 1; i < 23; ++i) {
    float x = 1.0f + i * 2.0f;
    float len = (i % 5 == 0) ? 3.2f : 1.8f;
    if (std::min(x - 1.0f, 47.0f - x) < len + 1.5f) continue;
    cv.fill(sd_box(x - 0.3f, 12.6f, x + 0.3f, 12.6f + len, 0), ink, x - 1, 12, x + 1, 14 + len);
  }
  return flatten_keyed(cv.resolve(), kMagenta, 0.5f, rgb(140, 100, 64));
}

Image make_chalk(Color chalk, uint32_t seed) {
  const int W = 40, H = 12;
  Canvas cv(W, H, 4);
  // The left end is worn round, its point towards the top left where it meets the board.
  Sdf body = sd_box(6.0f, 1.2f, 39.4f, 10.9f, 1.0f);
  Sdf tip = sd_offset(sd_polygon({{2.6f, 2.4f}, {8.0f, 1.6f}, {11.0f, 10.4f}, {7.0f, 9.8f}, {3.6f, 7.6f}, {1.9f, 4.8f}}), 0.8f);
  Sdf stick = sd_union(body, tip);
  cv.fill(stick, [&](float x, float y, float d) {
    float v = std::clamp((y - 1.0f) / 10.0f, 0.0f, 1.0f);
    // Round stick lit from above: a highlight a third of the way down, the underside darker.
    float k = 0.62f + 0.40f * std::pow(std::sin(kPi * v), 0.7f) + 0.18f * std::exp(-((v - 0.3f) * (v - 0.3f)) / 0.02f);
    k -= 0.12f * v;
    // The worn end: a flattened, grainier face turned towards the light.
    float wear = smoothstep(9.5f, 4.0f, x + (y - 5.0f) * 0.45f);
    k = k + (1.02f - 0.1f * v - k) * wear;
    if (x > 38.0f) k *= 0.84f;  // the cut end
    float grain = 0.10f * (hashf(int(x * 4), int(y * 4), seed) - 0.5f) + 0.12f * (fbm(x / 1.6f, y / 1.6f, seed + 3, 3) - 0.5f);
    grain *= 1.0f + 1.2f * wear;
    k *= 1.0f + grain;
    if (hashf(int(x * 2), int(y * 2), seed + 9) > 0.975f) k *= 0.82f;  // small pits
    if (d > -0.6f) k *= 0.82f;  // the silhouette's edge turns away from the light
    return scale(chalk, k);
  });
  return flatten_keyed(cv.resolve(), kBlack, 0.5f, scale(chalk, 0.45f));
}

namespace {

// Draws chalk strokes into one cell of the date font: binary coverage (the font is black-keyed)
// with grainy edges, broken where the chalk skipped over the board's grain.
void chalk_glyph(Image& out, int cx, int cy, int cw, int ch, int bx0, int by0, int bw, int bh,
                 const std::vector<Stroke>& strokes, float halfWidth, uint32_t seed) {
  // Hand-drawn look: every point wanders a little and the glyph leans slightly.
  std::vector<std::vector<Vec2>> lines;
  for (size_t si = 0; si < strokes.size(); ++si) {
    std::vector<Vec2> pts;
    for (size_t pi = 0; pi < strokes[si].size(); ++pi) {
      Vec2 p = strokes[si][pi];
      float jx = (vnoise(p.x * 3.0f, p.y * 3.0f, seed) - 0.5f) * 0.07f;
      float jy = (vnoise(p.x * 3.0f + 17.0f, p.y * 3.0f, seed) - 0.5f) * 0.07f;
      float lean = (0.5f - p.y) * 0.07f;
      pts.push_back({float(bx0) + (p.x + jx + lean) * float(bw), float(by0) + (p.y + jy) * float(bh)});
    }
    lines.push_back(std::move(pts));
  }
  std::vector<Sdf> sdfs;
  for (auto& l : lines) sdfs.push_back(sd_polyline(l, 0.0f));
  const int ss = 4;
  // The cell's outer ring stays background so that neighbouring glyphs never touch.
  for (int y = cy + 1; y < cy + ch - 1; ++y)
    for (int x = cx + 1; x < cx + cw - 1; ++x) {
      float cov = 0;
      for (int j = 0; j < ss; ++j)
        for (int i = 0; i < ss; ++i) {
          float sx = x + (i + 0.5f) / ss, sy = y + (j + 0.5f) / ss;
          float d = 1e9f;
          for (auto& f : sdfs) d = std::min(d, f(sx, sy));
          // The stick's width wanders, and its edge is ragged.
          float hw = halfWidth * (0.82f + 0.36f * vnoise(sx / 7.0f, sy / 7.0f, seed + 5));
          d -= hw;
          d += 1.1f * (vnoise(sx * 0.9f, sy * 0.9f, seed + 1) - 0.5f);
          if (d < 0) cov += 1;
        }
      cov /= float(ss * ss);
      if (cov <= 0) continue;
      // Chalk skips the board's pits: grain decides which pixels take chalk.
      float pressure = 0.68f + 0.34f * vnoise(x / 8.0f, y / 8.0f, seed + 6);
      float grain = 0.62f * hashf(x, y, seed + 2) + 0.38f * fbm(x / 2.5f, y / 2.5f, seed + 3, 2);
      float threshold = 0.06f + 1.12f * grain * grain;
      float v = cov * pressure;
      if (v < threshold) continue;
      float k = 0.64f + 0.30f * std::min(1.0f, v) + 0.14f * (hashf(x, y, seed + 4) - 0.5f);
      Pixel& p = out.at(x, y);
      p.r = uint8_t(std::lround(clamp01(k * 0.99f) * 255));
      p.g = uint8_t(std::lround(clamp01(k * 0.985f) * 255));
      p.b = uint8_t(std::lround(clamp01(k * 0.95f) * 255));
      p.a = 255;
    }
}

}  // namespace

Image make_date_font() {
  Image out(448, 128, kBlack);
  for (int d = 0; d <= 9; ++d)
    chalk_glyph(out, 32 * d, 0, 32, 64, 32 * d + 5, 7, 22, 50, digit_strokes(d), 2.9f, 1000u + uint32_t(d));
  chalk_glyph(out, 320, 0, 64, 64, 320 + 8, 6, 48, 52, kanji_strokes(u'月'), 2.7f, 1100);
  chalk_glyph(out, 384, 0, 64, 64, 384 + 8, 6, 48, 52, kanji_strokes(u'日'), 2.7f, 1101);
  const char16_t week[7] = {u'日', u'月', u'火', u'水', u'木', u'金', u'土'};
  for (int w = 0; w < 7; ++w)
    chalk_glyph(out, 64 * w, 64, 64, 64, 64 * w + 8, 64 + 6, 48, 52, kanji_strokes(week[w]), 2.7f, 1200u + uint32_t(w));
  return out;  // glyph pixels are at least 55% white: never the key
}

namespace {

Pixel grid_pixel(int x, int y, uint32_t seed) {
  // Painted lines: pale, a little uneven.
  float k = 0.93f + 0.07f * hashf(x, y, seed);
  return {uint8_t(std::lround(196 * k)), uint8_t(std::lround(206 * k)), uint8_t(std::lround(190 * k)), 255};
}

}  // namespace

Image make_grid_squares() {
  Image im(32, 32, kBlack);
  for (int i = 0; i < 32; ++i) {
    im.at(i, 0) = grid_pixel(i, 0, 801);
    im.at(0, i) = grid_pixel(0, i, 801);
  }
  return im;
}

Image make_grid_ruled() {
  Image im(64, 48, kBlack);
  for (int x = 0; x < 64; ++x) im.at(x, 47) = grid_pixel(x, 47, 802);
  return im;
}

Image make_grid_staff() {
  // Five lines 12 pixels apart, then a gap before the next staff.
  Image im(64, 120, kBlack);
  for (int l = 0; l < 5; ++l)
    for (int x = 0; x < 64; ++x) im.at(x, 36 + 12 * l) = grid_pixel(x, 36 + 12 * l, 803);
  return im;
}

}  // namespace ag
