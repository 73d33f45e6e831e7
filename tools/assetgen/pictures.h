// The pictures of the program folder. Each function returns the finished picture
// (keyed pictures already carry their key colour as background).
#pragma once

#include <string>
#include <vector>

#include "gfx.h"

namespace ag {

inline constexpr Pixel kBlack{0, 0, 0, 255};
inline constexpr Pixel kMagenta{255, 0, 255, 255};

Image make_tray(int w, int h, bool withDust, int xOffset);  // Ukezara.bmp / UkezaraS.bmp
Image make_arrow(bool right, bool active);                   // UkezaraL/R, nonUkezaraL/R
Image make_finger();
Image make_eraser();
Image make_long_eraser();
Image make_ruler();        // trijogi.bmp
Image make_graduations();  // memori.bmp
Image make_ruler_icon();   // icontri.bmp
Image make_chalk(Color c, uint32_t seed);
Image make_date_font();    // font.bmp
Image make_grid_squares();
Image make_grid_ruled();
Image make_grid_staff();
Image make_toolbar(int size, int* count);  // one strip, images side by side
Image make_app_icon();

// Stroke glyphs shared by the date font and the ruler's numbers: polylines in a unit box
// (x 0..1 across, y 0..1 down).
using Stroke = std::vector<Vec2>;
std::vector<Stroke> digit_strokes(int d);
std::vector<Stroke> kanji_strokes(char16_t c);  // 月 日 火 水 木 金 土

}  // namespace ag
