// PNG pictures stamped on a board page the way the program does it (a picture loaded by its
// extension, assigned to a bitmap, the bitmap drawn), and one drawn blended straight onto the
// page; the page shown in a window of the headless screen and saved as png_on_board.png.
#include <gtest/gtest.h>

#include <filesystem>

#include "PngImage.h"
#include "Unit_Slatora.h"
#include "test_support.h"

namespace fs = std::filesystem;

namespace {

const fs::path kSuite = fs::path(TEST_DATA_DIR) / "png" / "pngsuite";

TEST(PngOnBoard, StampedPicturesOnAPage) {
  TBlackBoard board;
  board.SetScreenWidth(1024);
  board.SetScreenHeight(768);
  TCanvas* page = board.Board->Canvas();
  const TColor back = page->Pixels(500, 500);

  // By extension through TPicture, then assigned to a bitmap: the stamping road.
  int x = 40;
  for (const char* name : {"basn3p08.png", "tbrn2c08.png", "basn2c16.png", "basi0g04.png"}) {
    const std::string copy = std::string("stamp_") + name;
    fs::copy_file(kSuite / name, copy, fs::copy_options::overwrite_existing);
    TPicture picture;
    picture.LoadFromFile(copy);
    ASSERT_NE(dynamic_cast<TPNGObject*>(picture.Graphic()), nullptr) << name;
    TBitmap stamp;
    stamp.Assign(picture.Graphic());
    page->StretchDraw(Rect(x, 40, x + 128, 168), &stamp);
    x += 160;
  }
  // Alpha-blended straight onto the page, at four times the size.
  TPNGObject alpha;
  alpha.LoadFromFile((kSuite / "basn6a08.png").string());
  page->StretchDraw(Rect(40, 220, 168, 348), &alpha);
  TPNGObject grey;
  grey.LoadFromFile((kSuite / "basn4a16.png").string());
  page->StretchDraw(Rect(200, 220, 328, 348), &grey);

  // The corner of the RGBA picture is fully transparent: the board shows through; its opaque
  // middle column is the picture's own colour.
  EXPECT_EQ(page->Pixels(41, 221), back);
  EXPECT_EQ(page->Pixels(500, 500), back);
  EXPECT_NE(page->Pixels(40 + 4 * 16, 220 + 4 * 16), back);

  HWND window = test_support::CreateOwnerWindow(u"board");
  ASSERT_NE(window, nullptr);
  HDC dc = GetDC(window);
  BitBlt(dc, 0, 0, 1024, 720, page->Handle(), 0, 0, SRCCOPY);
  ReleaseDC(window, dc);
  ASSERT_TRUE(test_support::WriteScreenshotPng("png_on_board.png"));
  // The screenshot is itself a PNG our codec reads.
  TPNGObject shot;
  shot.LoadFromFile("png_on_board.png");
  EXPECT_EQ(shot.Width(), 1024);
  EXPECT_EQ(shot.GetPixels(500, 500), back);
  DestroyWindow(window);
}

}  // namespace
