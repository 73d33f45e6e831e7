// Hand-designed stroke skeletons of the digits and the seven date kanji.
#include <cmath>

#include "pictures.h"

namespace ag {

static Stroke arc(float cx, float cy, float rx, float ry, float a0, float a1, int n = 24) {
  Stroke s;
  for (int i = 0; i <= n; ++i) {
    float a = (a0 + (a1 - a0) * float(i) / float(n)) * 3.14159265f / 180.0f;
    s.push_back({cx + rx * std::cos(a), cy + ry * std::sin(a)});
  }
  return s;
}

static Stroke cat(Stroke a, const Stroke& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

std::vector<Stroke> digit_strokes(int d) {
  switch (d) {
    case 0:
      return {arc(0.5f, 0.5f, 0.36f, 0.45f, -100, 270, 40)};
    case 1:
      return {{{0.30f, 0.22f}, {0.56f, 0.05f}, {0.54f, 0.95f}}};
    case 2:
      return {cat(arc(0.5f, 0.3f, 0.33f, 0.25f, 200, 370), {{0.13f, 0.94f}, {0.90f, 0.93f}})};
    case 3:
      return {cat(arc(0.48f, 0.28f, 0.30f, 0.23f, 200, 450), arc(0.48f, 0.72f, 0.36f, 0.24f, 270, 520))};
    case 4:
      return {{{0.66f, 0.05f}, {0.08f, 0.68f}, {0.92f, 0.68f}}, {{0.66f, 0.05f}, {0.66f, 0.95f}}};
    case 5:
      return {{{0.82f, 0.06f}, {0.28f, 0.06f}, {0.22f, 0.44f}}, arc(0.5f, 0.66f, 0.36f, 0.28f, 230, 490)};
    case 6:
      return {cat({{0.78f, 0.07f}, {0.50f, 0.12f}, {0.29f, 0.30f}, {0.19f, 0.55f}},
                  arc(0.5f, 0.7f, 0.32f, 0.24f, 180, 540, 32))};
    case 7:
      return {{{0.10f, 0.08f}, {0.90f, 0.08f}, {0.42f, 0.95f}}};
    case 8:
      return {arc(0.5f, 0.28f, 0.27f, 0.22f, 90, 450), arc(0.5f, 0.72f, 0.34f, 0.24f, 270, 630)};
    case 9:
      return {arc(0.5f, 0.3f, 0.32f, 0.24f, 0, 360, 32), {{0.82f, 0.32f}, {0.76f, 0.70f}, {0.58f, 0.95f}}};
    default:
      return {};
  }
}

std::vector<Stroke> kanji_strokes(char16_t c) {
  switch (c) {
    case u'日':
      return {{{0.26f, 0.08f}, {0.26f, 0.93f}},
              {{0.26f, 0.08f}, {0.74f, 0.08f}, {0.74f, 0.93f}},
              {{0.26f, 0.50f}, {0.74f, 0.50f}},
              {{0.26f, 0.90f}, {0.74f, 0.90f}}};
    case u'月':
      return {{{0.28f, 0.07f}, {0.28f, 0.55f}, {0.24f, 0.75f}, {0.12f, 0.95f}},
              {{0.28f, 0.07f}, {0.76f, 0.07f}, {0.76f, 0.90f}, {0.64f, 0.95f}},
              {{0.28f, 0.36f}, {0.76f, 0.36f}},
              {{0.28f, 0.62f}, {0.76f, 0.62f}}};
    case u'火':
      return {{{0.20f, 0.30f}, {0.30f, 0.52f}},
              {{0.80f, 0.26f}, {0.66f, 0.50f}},
              {{0.50f, 0.05f}, {0.50f, 0.45f}, {0.40f, 0.70f}, {0.12f, 0.95f}},
              {{0.50f, 0.48f}, {0.66f, 0.74f}, {0.92f, 0.95f}}};
    case u'水':
      return {{{0.50f, 0.05f}, {0.50f, 0.92f}, {0.38f, 0.85f}},
              {{0.12f, 0.34f}, {0.38f, 0.34f}, {0.26f, 0.62f}, {0.08f, 0.82f}},
              {{0.82f, 0.24f}, {0.56f, 0.48f}},
              {{0.56f, 0.44f}, {0.70f, 0.70f}, {0.92f, 0.92f}}};
    case u'木':
      return {{{0.08f, 0.32f}, {0.92f, 0.32f}},
              {{0.50f, 0.05f}, {0.50f, 0.96f}},
              {{0.49f, 0.34f}, {0.32f, 0.62f}, {0.08f, 0.84f}},
              {{0.51f, 0.34f}, {0.68f, 0.62f}, {0.92f, 0.84f}}};
    case u'金':
      return {{{0.50f, 0.05f}, {0.30f, 0.26f}, {0.06f, 0.44f}},
              {{0.50f, 0.05f}, {0.70f, 0.26f}, {0.94f, 0.44f}},
              {{0.30f, 0.42f}, {0.70f, 0.42f}},
              {{0.18f, 0.62f}, {0.82f, 0.62f}},
              {{0.50f, 0.42f}, {0.50f, 0.91f}},
              {{0.28f, 0.70f}, {0.36f, 0.83f}},
              {{0.72f, 0.70f}, {0.64f, 0.83f}},
              {{0.08f, 0.92f}, {0.92f, 0.92f}}};
    case u'土':
      return {{{0.20f, 0.40f}, {0.80f, 0.40f}},
              {{0.50f, 0.08f}, {0.50f, 0.90f}},
              {{0.08f, 0.90f}, {0.92f, 0.90f}}};
    default:
      return {};
  }
}

}  // namespace ag
