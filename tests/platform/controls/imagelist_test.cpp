// Image lists: strips cut into images, masks by colour and by bitmap, the drawing styles.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "canvas.h"
#include "commctrl.h"
#include "wintext.h"

namespace {

const COLORREF kKey = RGB(255, 0, 255);

// Two 8 x 8 images side by side: a red and a blue square, each inside a one-pixel key border.
HBITMAP MakeStrip() {
  Canvas c(16, 8, kKey);
  HBRUSH red = CreateSolidBrush(RGB(200, 0, 0)), blue = CreateSolidBrush(RGB(0, 0, 200));
  RECT a{1, 1, 7, 7}, b{9, 1, 15, 7};
  FillRect(c.dc, &a, red);
  FillRect(c.dc, &b, blue);
  DeleteObject(red);
  DeleteObject(blue);
  // A copy that outlives the canvas.
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bm = CreateCompatibleBitmap(c.dc, 16, 8);
  HGDIOBJ old = SelectObject(dc, bm);
  BitBlt(dc, 0, 0, 16, 8, c.dc, 0, 0, SRCCOPY);
  SelectObject(dc, old);
  DeleteDC(dc);
  return bm;
}

}  // namespace

TEST(ImageList, MaskedStripDrawsTransparentOrOnItsBackground) {
  HIMAGELIST il = ImageList_Create(8, 8, ILC_COLOR32 | ILC_MASK, 4, 4);
  ASSERT_NE(il, nullptr);
  HBITMAP strip = MakeStrip();
  EXPECT_EQ(ImageList_AddMasked(il, strip, kKey), 0);
  EXPECT_EQ(ImageList_GetImageCount(il), 2);
  EXPECT_EQ(ImageList_AddMasked(il, strip, kKey), 2);
  EXPECT_EQ(ImageList_GetImageCount(il), 4);
  int cx = 0, cy = 0;
  EXPECT_TRUE(ImageList_GetIconSize(il, &cx, &cy));
  EXPECT_EQ(cx, 8);

  Canvas c(40, 10, RGB(0, 255, 0));
  EXPECT_TRUE(ImageList_Draw(il, 0, c.dc, 0, 0, ILD_TRANSPARENT));
  EXPECT_EQ(c.At(0, 0), RGB(0, 255, 0));  // the key shows the canvas
  EXPECT_EQ(c.At(3, 3), RGB(200, 0, 0));
  EXPECT_TRUE(ImageList_Draw(il, 1, c.dc, 10, 0, ILD_NORMAL));  // no background colour: transparent
  EXPECT_EQ(c.At(10, 0), RGB(0, 255, 0));
  EXPECT_EQ(c.At(13, 3), RGB(0, 0, 200));
  EXPECT_EQ(ImageList_SetBkColor(il, RGB(255, 255, 255)), CLR_NONE);
  ImageList_Draw(il, 1, c.dc, 20, 0, ILD_NORMAL);
  EXPECT_EQ(c.At(20, 0), RGB(255, 255, 255));
  ImageList_Draw(il, 0, c.dc, 30, 0, ILD_MASK);
  EXPECT_EQ(c.At(30, 0), RGB(255, 255, 255));
  EXPECT_EQ(c.At(33, 3), RGB(0, 0, 0));
  // Blending mixes with the given colour; partial sizes clip.
  ImageList_DrawEx(il, 0, c.dc, 0, 0, 4, 4, CLR_NONE, RGB(0, 0, 0), ILD_TRANSPARENT | ILD_BLEND50);
  EXPECT_EQ(c.At(3, 3), RGB(100, 0, 0));
  EXPECT_EQ(c.At(5, 5), RGB(200, 0, 0));

  EXPECT_TRUE(ImageList_Remove(il, 0));
  EXPECT_EQ(ImageList_GetImageCount(il), 3);
  EXPECT_FALSE(ImageList_Draw(il, 3, c.dc, 0, 0, ILD_NORMAL));
  HIMAGELIST dup = ImageList_Duplicate(il);
  EXPECT_TRUE(ImageList_RemoveAll(il));
  EXPECT_EQ(ImageList_GetImageCount(il), 0);
  EXPECT_EQ(ImageList_GetImageCount(dup), 3);
  EXPECT_TRUE(ImageList_Destroy(dup));
  EXPECT_TRUE(ImageList_Destroy(il));
  // A destroyed list's handle is refused, never followed.
  EXPECT_FALSE(ImageList_Draw(il, 0, c.dc, 0, 0, ILD_NORMAL));
  EXPECT_EQ(ImageList_GetImageCount(il), 0);
  EXPECT_FALSE(ImageList_Destroy(il));
  DeleteObject(strip);
}

TEST(ImageList, UnmaskedListsAreOpaqueAndMaskBitmapsCount) {
  HIMAGELIST il = ImageList_Create(8, 8, ILC_COLOR24, 1, 1);
  HBITMAP strip = MakeStrip();
  EXPECT_EQ(ImageList_Add(il, strip, nullptr), 0);
  Canvas c(8, 8, RGB(0, 255, 0));
  ImageList_Draw(il, 0, c.dc, 0, 0, ILD_TRANSPARENT);
  EXPECT_EQ(c.At(0, 0), kKey);  // no mask: the key colour is an ordinary colour
  ImageList_Destroy(il);

  // A mask bitmap: white lets the background through.
  HIMAGELIST ml = ImageList_Create(8, 8, ILC_COLOR32 | ILC_MASK, 1, 1);
  HBITMAP mask = CreateBitmap(16, 8, 1, 1, nullptr);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, mask);
  PatBlt(dc, 0, 0, 16, 8, BLACKNESS);
  PatBlt(dc, 0, 0, 4, 8, WHITENESS);
  SelectObject(dc, old);
  DeleteDC(dc);
  EXPECT_EQ(ImageList_Add(ml, strip, mask), 0);
  Canvas d(8, 8, RGB(0, 255, 0));
  ImageList_Draw(ml, 0, d.dc, 0, 0, ILD_TRANSPARENT);
  EXPECT_EQ(d.At(3, 3), RGB(0, 255, 0));
  EXPECT_EQ(d.At(5, 3), RGB(200, 0, 0));
  EXPECT_EQ(d.At(7, 0), kKey);
  ImageList_Destroy(ml);
  DeleteObject(mask);
  DeleteObject(strip);
}

TEST(ImageList, IconsInAndOutWithTheirMasks) {
  // An 8 x 8 icon: a green square with a transparent one-pixel border.
  Canvas color(8, 8, RGB(0, 0, 0)), mask(8, 8, RGB(255, 255, 255));
  RECT in{1, 1, 7, 7};
  HBRUSH green = CreateSolidBrush(RGB(0, 160, 0));
  FillRect(color.dc, &in, green);
  FillRect(mask.dc, &in, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  DeleteObject(green);
  ICONINFO ii{TRUE, 0, 0, mask.bitmap, color.bitmap};
  HICON icon = CreateIconIndirect(&ii);
  ASSERT_NE(icon, nullptr);

  // Into a list of 16 x 16: scaled, appended with -1, replacing with an index.
  HIMAGELIST il = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 2, 2);
  EXPECT_EQ(ImageList_AddIcon(il, icon), 0);
  EXPECT_EQ(ImageList_AddIcon(il, icon), 1);
  EXPECT_EQ(ImageList_ReplaceIcon(il, 1, LoadIconW(nullptr, MAKEINTRESOURCEW(32513))), 1);
  EXPECT_EQ(ImageList_ReplaceIcon(il, 5, icon), -1);
  EXPECT_EQ(ImageList_GetImageCount(il), 2);
  Canvas out(16, 16, RGB(255, 255, 255));
  ASSERT_TRUE(ImageList_Draw(il, 0, out.dc, 0, 0, ILD_TRANSPARENT));
  EXPECT_EQ(out.At(0, 0), RGB(255, 255, 255));  // the border, two pixels wide now
  EXPECT_EQ(out.At(1, 1), RGB(255, 255, 255));
  EXPECT_EQ(out.At(8, 8), RGB(0, 160, 0));
  // ILD_IMAGE: the picture alone, black under the mask; ILD_MASK: the mask.
  ImageList_Draw(il, 0, out.dc, 0, 0, ILD_IMAGE);
  EXPECT_EQ(out.At(0, 0), RGB(0, 0, 0));
  ImageList_Draw(il, 0, out.dc, 0, 0, ILD_MASK);
  EXPECT_EQ(out.At(0, 0), RGB(255, 255, 255));
  EXPECT_EQ(out.At(8, 8), RGB(0, 0, 0));

  // Out again: GetIcon gives an icon with the same picture and mask.
  HICON back = ImageList_GetIcon(il, 0, ILD_NORMAL);
  ASSERT_NE(back, nullptr);
  ICONINFO bi{};
  ASSERT_TRUE(GetIconInfo(back, &bi));
  BITMAP bm{};
  GetObjectW(bi.hbmColor, sizeof(bm), &bm);
  EXPECT_EQ(bm.bmWidth, 16);
  Canvas drawn(16, 16, RGB(0, 0, 255));
  EXPECT_TRUE(DrawIconEx(drawn.dc, 0, 0, back, 0, 0, 0, nullptr, DI_NORMAL));
  EXPECT_EQ(drawn.At(0, 0), RGB(0, 0, 255));
  EXPECT_EQ(drawn.At(8, 8), RGB(0, 160, 0));
  DeleteObject(bi.hbmColor);
  DeleteObject(bi.hbmMask);
  EXPECT_TRUE(DestroyIcon(back));
  EXPECT_FALSE(DestroyIcon(back));
  // The standard icons are shared: destroying one keeps it.
  HICON hand = LoadIconW(nullptr, MAKEINTRESOURCEW(32513));
  EXPECT_TRUE(DestroyIcon(hand));
  EXPECT_EQ(LoadIconW(nullptr, MAKEINTRESOURCEW(32513)), hand);
  Canvas big(32, 32, RGB(0, 0, 255));
  EXPECT_TRUE(DrawIcon(big.dc, 0, 0, hand));
  EXPECT_EQ(big.At(0, 0), RGB(0, 0, 255));   // outside the disc
  EXPECT_EQ(big.At(16, 3), RGB(200, 0, 0));  // the red disc
  DestroyIcon(icon);
  ImageList_Destroy(il);
}

TEST(ImageList, OverlayImageDrawsOnTop) {
  HIMAGELIST il = ImageList_Create(8, 8, ILC_COLOR32 | ILC_MASK, 4, 4);
  HBITMAP strip = MakeStrip();
  ImageList_AddMasked(il, strip, kKey);  // 0 red, 1 blue
  ASSERT_TRUE(ImageList_SetOverlayImage(il, 1, 1));
  EXPECT_FALSE(ImageList_SetOverlayImage(il, 1, 16));
  Canvas out(8, 8, RGB(255, 255, 255));
  ImageList_Draw(il, 0, out.dc, 0, 0, ILD_TRANSPARENT | INDEXTOOVERLAYMASK(1));
  EXPECT_EQ(out.At(3, 3), RGB(0, 0, 200));  // the overlay covers the red square
  EXPECT_EQ(out.At(0, 0), RGB(255, 255, 255));
  ImageList_Draw(il, 0, out.dc, 0, 0, ILD_TRANSPARENT);
  EXPECT_EQ(out.At(3, 3), RGB(200, 0, 0));
  DeleteObject(strip);
  ImageList_Destroy(il);
}

TEST(ImageList, StandardIconsPicture) {
  Canvas c(6 * 40, 40, RGB(212, 208, 200));
  for (int k = 0; k < 6; ++k) EXPECT_TRUE(DrawIcon(c.dc, 4 + k * 40, 4, LoadIconW(nullptr, MAKEINTRESOURCEW(32512 + k))));
  EXPECT_TRUE(SavePixelsPng("standard_icons.png", c.width, c.height, static_cast<const uint32_t*>(c.bits)));
  EXPECT_EQ(LoadIconW(nullptr, MAKEINTRESOURCEW(32518)), nullptr);
}

namespace {

// Loads the standard icons with signs with the test font switched on and counts those whose sign
// is not a real one. The test font's glyphs are solid boxes: every pixel within the bounds of the
// sign's ink is fully inked. A real sign's strokes leave most of their bounds to the disc or to
// their smoothed edges.
int SignsThatAreBoxesUnderTheTestFont() {
  winplat::gdi::UseTestFontForAll(true);
  struct Sign {
    int id;
    COLORREF disc, sign;
  } signs[] = {{32513, RGB(200, 0, 0), RGB(255, 255, 255)},
               {32514, RGB(0, 70, 200), RGB(255, 255, 255)},
               {32515, RGB(230, 180, 0), RGB(0, 0, 0)},
               {32516, RGB(0, 70, 200), RGB(255, 255, 255)}};
  Canvas all(4 * 40, 40, RGB(212, 208, 200));
  int faults = 0;
  for (int k = 0; k < 4; ++k) {
    const Sign& s = signs[k];
    Canvas c(32, 32, RGB(212, 208, 200));
    HICON icon = LoadIconW(nullptr, MAKEINTRESOURCEW(s.id));
    DrawIcon(c.dc, 0, 0, icon);
    DrawIcon(all.dc, 4 + k * 40, 4, icon);
    RECT box{32, 32, 0, 0};  // the ink: what is not the disc, well inside the disc's edge
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) {
        const int dx = 2 * x - 31, dy = 2 * y - 31;
        if (dx * dx + dy * dy < 26 * 26 && c.At(x, y) != s.disc) {
          box.left = std::min<LONG>(box.left, x);
          box.top = std::min<LONG>(box.top, y);
          box.right = std::max<LONG>(box.right, x + 1);
          box.bottom = std::max<LONG>(box.bottom, y + 1);
        }
      }
    const int area = std::max<LONG>(box.right - box.left, 0) * std::max<LONG>(box.bottom - box.top, 0);
    const int full = area ? c.Count(box, s.sign) : 0;
    if (full < 10 || full * 4 > area * 3) {
      std::fprintf(stderr, "icon %d: %d of %d pixels fully inked\n", s.id, full, area);
      ++faults;
    }
  }
  all.SavePng("standard_icons_under_test_font.png");
  return faults;
}

}  // namespace

// The standard icons are painted at their first load and kept for the process: a first load while
// the test font stands in for every face (as the UI tests have it) must still give real signs.
// In a process of its own, so that no icon is loaded yet.
TEST(ImageList, StandardIconSignsAreRealEvenWhenFirstLoadedUnderTheTestFont) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(std::exit(SignsThatAreBoxesUnderTheTestFont()), testing::ExitedWithCode(0), "");
}
