// Image lists: strips cut into images, masks by colour and by bitmap, the drawing styles.
#include <gtest/gtest.h>

#include "canvas.h"
#include "commctrl.h"

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
