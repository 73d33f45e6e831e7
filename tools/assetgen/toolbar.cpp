// Toolbar images (one per action, in toolbar order, the stop image right after the play image)
// and the application icon.
#include <cmath>

#include "pictures.h"

namespace ag {

namespace {

constexpr float kPi = 3.14159265f;

Color with_alpha_color(Color c, float a) {
  c.a = a;
  return c;
}

Color shade_v(Color c, float y, float y0, float y1) {
  // Soft top-to-bottom gradient for a rounded, lit look.
  float t = clamp01((y - y0) / std::max(1.0f, y1 - y0));
  return scale(c, 1.12f - 0.28f * t);
}

// Fills a shape with an outline of the given colour and a lit body.
void body(Canvas& cv, const Sdf& s, Color fillc, Color line, float y0, float y1, float lineW = 1.0f) {
  cv.fill(s, [&](float, float y, float d) { return d > -lineW ? line : shade_v(fillc, y, y0, y1); });
}

std::vector<Vec2> move(std::vector<Vec2> p, float dx, float dy, float k = 1.0f) {
  for (Vec2& q : p) q = {q.x * k + dx, q.y * k + dy};
  return p;
}

void page(Canvas& cv, float x0, float y0, float x1, float y1) {
  float f = 6;
  Sdf s = sd_polygon({{x0, y0}, {x1 - f, y0}, {x1, y0 + f}, {x1, y1}, {x0, y1}});
  body(cv, s, rgb(252, 252, 250), rgb(110, 110, 120), y0, y1);
  Sdf fold = sd_polygon({{x1 - f, y0}, {x1 - f, y0 + f}, {x1, y0 + f}});
  body(cv, fold, rgb(210, 212, 218), rgb(110, 110, 120), y0, y0 + f);
}

void folder(Canvas& cv, float dx, float dy, float k) {
  Sdf back = sd_union(sd_box(3 * k + dx, 8 * k + dy, 27 * k + dx, 27 * k + dy, 1.5f),
                      sd_box(3 * k + dx, 5.5f * k + dy, 12 * k + dx, 10 * k + dy, 1.5f));
  body(cv, back, rgb(222, 168, 52), rgb(120, 80, 20), 5 * k + dy, 27 * k + dy);
  Sdf front = sd_polygon(move({{7, 13}, {30, 13}, {26, 27}, {3, 27}}, dx, dy, k));
  body(cv, front, rgb(252, 208, 88), rgb(120, 80, 20), 13 * k + dy, 27 * k + dy);
}

void floppy(Canvas& cv, float dx, float dy, float k) {
  auto B = [&](float a, float b, float c, float d, float r) { return sd_box(a * k + dx, b * k + dy, c * k + dx, d * k + dy, r); };
  body(cv, B(4, 4, 28, 28, 2), rgb(52, 84, 160), rgb(24, 36, 80), 4 * k + dy, 28 * k + dy);
  body(cv, B(10, 4.5f, 22, 12, 0.5f), rgb(214, 218, 224), rgb(90, 96, 110), 4 * k + dy, 12 * k + dy);
  cv.fill(B(17, 6, 20, 11, 0.3f), rgb(60, 64, 76));
  body(cv, B(8, 16, 24, 27.5f, 0.8f), rgb(250, 250, 248), rgb(150, 150, 160), 16 * k + dy, 28 * k + dy);
  for (float y : {19.5f, 22.5f, 25.0f}) cv.fill(B(10, y, 22, y + 0.8f, 0), rgb(170, 176, 196));
}

void mini_board(Canvas& cv, float x0, float y0, float x1, float y1) {
  body(cv, sd_box(x0, y0, x1, y1, 1.5f), rgb(30, 110, 50), rgb(120, 76, 40), y0, y1, 1.6f);
  float w = x1 - x0, h = y1 - y0;
  std::vector<Vec2> wave;
  for (int i = 0; i <= 16; ++i) {
    float t = float(i) / 16;
    wave.push_back({x0 + w * (0.18f + 0.64f * t), y0 + h * (0.5f + 0.22f * std::sin(t * 2 * kPi))});
  }
  cv.fill(sd_polyline(wave, 1.0f), rgb(246, 246, 240));
}

void star(Canvas& cv, float cx, float cy, float r, Color c) {
  std::vector<Vec2> p;
  for (int i = 0; i < 10; ++i) {
    float a = -kPi / 2 + i * kPi / 5;
    float rr = (i % 2) ? r * 0.45f : r;
    p.push_back({cx + rr * std::cos(a), cy + rr * std::sin(a)});
  }
  body(cv, sd_polygon(p), c, scale(c, 0.55f), cy - r, cy + r, 0.8f);
}

void draw_icon(Canvas& cv, int index) {
  switch (index) {
    case 0:  // new board
      page(cv, 6, 3, 25, 29);
      star(cv, 23, 23, 7, rgb(255, 206, 40));
      break;
    case 1:  // open board
      folder(cv, 0, 0, 1);
      break;
    case 2:  // save board
      floppy(cv, 0, 0, 1);
      break;
    case 3: {  // picture
      body(cv, sd_box(3, 5, 29, 27, 1.5f), rgb(164, 112, 64), rgb(90, 56, 28), 5, 27);
      cv.fill(sd_box(6.5f, 8.5f, 25.5f, 23.5f, 0), [](float, float y, float) {
        return mix(rgb(120, 180, 240), rgb(210, 236, 255), clamp01((y - 8) / 15));
      });
      cv.fill(sd_circle({20.5f, 12.5f}, 2.6f), rgb(255, 214, 60));
      cv.fill(sd_intersect(sd_polygon({{6.5f, 23.5f}, {13, 13.5f}, {17, 19}, {20, 16}, {25.5f, 23.5f}}),
                           sd_box(6.5f, 8.5f, 25.5f, 23.5f, 0)),
              [](float, float y, float) { return mix(rgb(70, 160, 70), rgb(40, 110, 50), clamp01((y - 14) / 9)); });
      break;
    }
    case 4: {  // date
      body(cv, sd_box(5, 5, 27, 28, 2), rgb(252, 252, 250), rgb(110, 110, 120), 5, 28);
      cv.fill(sd_box(6, 6, 26, 11.5f, 1), rgb(220, 60, 50));
      for (float x : {11.0f, 21.0f}) body(cv, sd_box(x - 1.2f, 3, x + 1.2f, 8, 1), rgb(120, 120, 130), rgb(60, 60, 70), 3, 8, 0.6f);
      for (const Stroke& s : digit_strokes(9)) {
        std::vector<Vec2> pts;
        for (Vec2 p : s) pts.push_back({12.5f + p.x * 7.0f, 13.5f + p.y * 12.0f});
        cv.fill(sd_polyline(pts, 1.1f), rgb(40, 40, 50));
      }
      break;
    }
    case 5: {  // grid on/off
      body(cv, sd_box(4, 4, 28, 28, 1.5f), rgb(30, 110, 50), rgb(120, 76, 40), 4, 28, 1.6f);
      for (float v = 9.5f; v < 27; v += 6) {
        cv.fill(sd_box(v - 0.5f, 5.5f, v + 0.5f, 26.5f, 0), rgb(220, 230, 214));
        cv.fill(sd_box(5.5f, v - 0.5f, 26.5f, v + 0.5f, 0), rgb(220, 230, 214));
      }
      break;
    }
    case 6: {  // choose a grid
      body(cv, sd_box(2, 2, 22, 22, 1.5f), rgb(30, 110, 50), rgb(120, 76, 40), 2, 22, 1.4f);
      for (float v = 7.5f; v < 21; v += 5) {
        cv.fill(sd_box(v - 0.45f, 3.5f, v + 0.45f, 20.5f, 0), rgb(220, 230, 214));
        cv.fill(sd_box(3.5f, v - 0.45f, 20.5f, v + 0.45f, 0), rgb(220, 230, 214));
      }
      body(cv, sd_box(13, 13, 30, 30, 1), rgb(252, 252, 250), rgb(90, 90, 110), 13, 30);
      cv.fill(sd_box(14.2f, 19.2f, 28.8f, 23.6f, 0), rgb(70, 120, 220));
      for (float y : {16.0f, 21.4f, 26.6f})
        cv.fill(sd_box(16, y - 0.6f, 27, y + 0.6f, 0), y == 21.4f ? rgb(255, 255, 255) : rgb(80, 80, 96));
      break;
    }
    case 7: {  // board colour
      Sdf pal = sd_subtract(sd_ellipse({16, 16}, 13.5f, 11.5f), sd_circle({21.5f, 21.0f}, 2.8f));
      body(cv, pal, rgb(214, 170, 112), rgb(110, 74, 36), 4, 28);
      const Color dots[] = {rgb(30, 120, 50), rgb(40, 44, 56), rgb(230, 70, 60), rgb(255, 214, 40), rgb(60, 120, 230)};
      const Vec2 at[] = {{9, 17}, {10.5f, 10.5f}, {16.5f, 8}, {22.5f, 10.5f}, {25.5f, 16}};
      for (int i = 0; i < 5; ++i) body(cv, sd_circle(at[i], 2.7f), dots[i], scale(dots[i], 0.6f), at[i].y - 3, at[i].y + 3, 0.6f);
      break;
    }
    case 8: {  // settings: a gear
      std::vector<Vec2> g;
      for (int i = 0; i < 48; ++i) {
        float a = i * 2 * kPi / 48;
        float tooth = std::cos(a * 8) > 0.2f ? 13.0f : 10.0f;
        g.push_back({16 + tooth * std::cos(a), 16 + tooth * std::sin(a)});
      }
      Sdf gear = sd_subtract(sd_offset(sd_polygon(g), 0.3f), sd_circle({16, 16}, 4.2f));
      body(cv, gear, rgb(160, 166, 178), rgb(70, 74, 86), 3, 29);
      break;
    }
    case 9: {  // camera
      body(cv, sd_box(10, 6, 20, 12, 1.5f), rgb(70, 72, 80), rgb(30, 30, 36), 6, 12);
      body(cv, sd_box(3, 10, 29, 27, 3), rgb(80, 82, 92), rgb(30, 30, 36), 10, 27);
      cv.fill(sd_box(23, 12, 27, 14.5f, 0.8f), rgb(240, 240, 210));
      body(cv, sd_circle({16, 18.5f}, 6.6f), rgb(190, 194, 204), rgb(40, 40, 48), 12, 25);
      cv.fill(sd_circle({16, 18.5f}, 4.2f), [](float x, float y, float) {
        return mix(rgb(70, 120, 200), rgb(20, 30, 70), clamp01((x + y - 28) / 14));
      });
      cv.fill(sd_circle({14.6f, 17.0f}, 1.3f), rgb(230, 240, 255));
      break;
    }
    case 10:  // start / stop recording
      body(cv, sd_circle({16, 16}, 10), rgb(232, 40, 40), rgb(130, 16, 16), 6, 26);
      cv.fill(sd_ellipse({13, 12}, 3.5f, 2.3f), with_alpha_color(rgb(255, 200, 200), 0.7f));
      break;
    case 11:  // replay
      body(cv, sd_offset(sd_polygon({{10, 7}, {25, 16}, {10, 25}}), 1.5f), rgb(50, 190, 70), rgb(20, 100, 30), 5, 27);
      break;
    case 12:  // stop (shown while the replay runs)
      body(cv, sd_box(8, 8, 24, 24, 2), rgb(60, 100, 220), rgb(24, 44, 120), 8, 24);
      break;
    case 13:  // open a log
      mini_board(cv, 2, 3, 24, 19);
      folder(cv, 11, 12, 0.62f);
      break;
    case 14:  // save a log
      mini_board(cv, 2, 3, 24, 19);
      floppy(cv, 13, 13, 0.6f);
      break;
    case 15: {  // save the log as a video
      body(cv, sd_box(3, 7, 29, 25, 1), rgb(48, 48, 56), rgb(20, 20, 24), 7, 25);
      for (float x = 5; x < 28; x += 4) {
        cv.fill(sd_box(x, 8.5f, x + 2, 10.5f, 0.4f), rgb(240, 240, 240));
        cv.fill(sd_box(x, 21.5f, x + 2, 23.5f, 0.4f), rgb(240, 240, 240));
      }
      for (float x : {5.5f, 16.5f}) cv.fill(sd_box(x, 12, x + 10, 20, 0.6f), rgb(40, 130, 60));
      cv.fill(sd_polyline({{7, 17}, {9, 15}, {11, 17}, {13, 15}}, 0.6f), rgb(240, 240, 236));
      cv.fill(sd_polyline({{18, 17}, {20, 15}, {22, 17}, {24, 15}}, 0.6f), rgb(240, 240, 236));
      break;
    }
    case 16:  // about
      body(cv, sd_circle({16, 16}, 12), rgb(60, 110, 210), rgb(24, 50, 120), 4, 28);
      cv.fill(sd_circle({16, 10}, 2.1f), rgb(255, 255, 255));
      cv.fill(sd_box(14.3f, 13.5f, 17.7f, 24, 0.8f), rgb(255, 255, 255));
      break;
    case 17: {  // exit
      body(cv, sd_box(5, 3, 19, 29, 1), rgb(170, 112, 60), rgb(90, 56, 24), 3, 29);
      cv.fill(sd_circle({16, 17}, 1.3f), rgb(250, 214, 90));
      Sdf arrow = sd_offset(sd_polygon({{17, 13.5f}, {24, 13.5f}, {24, 9.5f}, {30.5f, 16}, {24, 22.5f}, {24, 18.5f}, {17, 18.5f}}), 0.4f);
      body(cv, arrow, rgb(60, 190, 80), rgb(20, 100, 30), 9, 23);
      break;
    }
    default:
      break;
  }
}

}  // namespace

Image make_toolbar(int size, int* count) {
  const int n = 18;
  *count = n;
  Image strip(size * n, size, kMagenta);
  for (int i = 0; i < n; ++i) {
    Canvas cv(size, size, 4);
    draw_icon(cv, i);
    // Edge pixels blend towards the button face they are shown on.
    Image icon = flatten_keyed(cv.resolve(), kMagenta, 0.5f, rgb(212, 208, 200));
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) strip.at(i * size + x, y) = icon.at(x, y);
  }
  return strip;
}

Image make_app_icon() {
  const int S = 32;
  Canvas cv(S, S, 4);
  cv.fill(sd_box(0.5f, 0.5f, 31.5f, 31.5f, 3), rgb(60, 44, 30));
  body(cv, sd_box(1.5f, 2.5f, 30.5f, 26.5f, 1.5f), rgb(176, 122, 70), rgb(90, 56, 28), 2, 27);
  cv.fill(sd_box(4, 5, 28, 24, 0.5f), [](float x, float y, float) {
    return scale(rgb(24, 98, 44), 0.9f + 0.15f * fbm(x / 5, y / 5, 901, 3));
  });
  // "Qz" in chalk.
  std::vector<Vec2> q;
  for (int i = 0; i <= 24; ++i) {
    float a = i * 2 * kPi / 24;
    q.push_back({11.5f + 4.5f * std::cos(a), 13.5f + 5.2f * std::sin(a)});
  }
  cv.fill(sd_polyline(q, 1.05f), rgb(248, 248, 240));
  cv.fill(sd_segment({13.5f, 16.5f}, {17, 20.5f}, 1.05f), rgb(248, 248, 240));
  cv.fill(sd_polyline({{18.5f, 12.5f}, {24.5f, 12.5f}, {18.5f, 19.5f}, {25, 19.5f}}, 1.0f), rgb(255, 240, 60));
  // The tray with a chalk.
  body(cv, sd_box(1, 25.5f, 31, 30.5f, 1.2f), rgb(196, 142, 84), rgb(90, 56, 28), 25, 31);
  cv.fill(sd_box(6, 26.2f, 15, 28.4f, 1.0f), rgb(250, 250, 246));
  cv.fill(sd_box(18, 26.2f, 26, 28.4f, 1.0f), rgb(236, 140, 196));
  return flatten_opaque(cv.resolve(), rgb(60, 44, 30));
}

}  // namespace ag
