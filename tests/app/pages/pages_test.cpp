// The page store: the page files, turning pages, the slide's incoming page, the thumbnails, and
// pages that cannot be read or written.
#include <signal.h>
#include <sys/resource.h>

#include "pages_support.h"

namespace pagestest {
namespace {

class Pages : public BoardOnScreen {
 protected:
  void SetUp() override {
    BoardOnScreen::SetUp();
    Start();
    audio = std::make_shared<winplat::screen::RecordingAudioSink>();
    winplat::screen::SetAudioSink(audio);
  }
  void TearDown() override {
    winplat::screen::SetAudioSink(nullptr);
    BoardOnScreen::TearDown();
  }
  size_t Beeps() const {
    size_t n = 0;
    for (const auto& e : audio->Events()) n += e.kind == winplat::screen::RecordingAudioSink::Event::Beep;
    return n;
  }
  // A stroke of plain colour on the page, standing for chalk.
  void Draw(TColor c, int x = 100, int y = 100) {
    board->Board->Canvas()->Brush()->SetColor(c);
    board->Board->Canvas()->FillRect(Rect(x, y, x + 50, y + 20));
    board->LastPageDrawn = 1;
  }
  void SetGrid(TColor line) {
    TBitmap g;
    FillBitmap(&g, W, H - 48, clBlack);
    g.Canvas()->Brush()->SetColor(line);
    g.Canvas()->FillRect(Rect(0, 200, W, 202));
    Item("Grid")->Picture()->Assign(&g);
    images->Items()->Restore();
    board->GridOn = 1;
  }
  std::shared_ptr<winplat::screen::RecordingAudioSink> audio;
};

TEST_F(Pages, PageRecordHoldsTheGridFlagAndTheColour) {
  struct Case {
    TColor color;
    bool grid;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {0x281E1E, false, {0x00, 0x00, 0x00, 0x00, 0x1E, 0x1E, 0x28, 0x00}},  // RGB(30, 30, 40)
      {0x005000, true, {0x01, 0x00, 0x00, 0x00, 0x00, 0x50, 0x00, 0x00}},
  };
  for (const Case& c : cases) {
    board->BackColor = c.color;
    if (c.grid) SetGrid(clWhite);
    else board->GridOn = 0;
    board->SavePage();
    EXPECT_EQ(FileBytes(Tmp("1.dat")), c.bytes);
    EXPECT_EQ(fs::exists(Tmp("1g.bmp")), c.grid);
    EXPECT_TRUE(fs::exists(Tmp("1.bmp")));
  }
  for (const auto& e : fs::directory_iterator(folder_ / "tmp")) EXPECT_NE(e.path().extension(), ".tmp") << e.path();
}

TEST_F(Pages, PagesKeepTheirGridAndColourAcrossTurns) {
  Draw(clWhite);
  board->BackColor = 0x281E1E;
  board->SavePage();  // page 1: no grid
  ASSERT_TRUE(board->NextPage());
  EXPECT_EQ(board->CurrentPage, 2u);
  EXPECT_EQ(board->PageCount, 2u);
  Draw(clYellow);
  SetGrid(clAqua);
  board->BackColor = 0x005000;
  ASSERT_TRUE(board->PrevPage());
  EXPECT_TRUE(fs::exists(Tmp("2g.bmp")));
  EXPECT_FALSE(fs::exists(Tmp("1g.bmp")));
  EXPECT_EQ(board->CurrentPage, 1u);
  EXPECT_EQ(board->GridOn, 0);
  EXPECT_EQ(board->BackColor, static_cast<TColor>(0x281E1E));
  EXPECT_EQ(PixelAt(board->Board.get(), 110, 110), clWhite);
  // Another grid shows meanwhile; page 2 brings its own back.
  SetGrid(clRed);
  board->GridOn = 0;
  board->LoadPage(2);
  EXPECT_EQ(board->GridOn, 1);
  EXPECT_EQ(board->BackColor, static_cast<TColor>(0x005000));
  EXPECT_EQ(board->DefaultBackColor, static_cast<TColor>(0x005000));
  EXPECT_EQ(PixelAt(board->Board.get(), 110, 110), clYellow);
  EXPECT_EQ(PixelAt(Item("Grid")->Picture()->Bitmap(), 5, 200), clAqua);
  // The page store never changes CurrentPage by itself.
  EXPECT_EQ(board->CurrentPage, 1u);
  // Thumbnails: one per page, in page order.
  EXPECT_EQ(previews->Count(), 2);
}

TEST_F(Pages, ArrowsBeepWhereTheBoardCannotGo) {
  // A fresh board: nothing before page 1, and no new page until something is drawn.
  board->StartPageSlide(0, 32);
  EXPECT_EQ(Beeps(), 1u);
  EXPECT_EQ(board->Sliding, 0);
  board->StartPageSlide(1, 32);
  EXPECT_EQ(Beeps(), 2u);
  EXPECT_EQ(board->Sliding, 0);
  EXPECT_FALSE(board->PrevPage());
  EXPECT_EQ(board->CurrentPage, 1u);

  // After a stroke the next page may be made: it slides in blank in the default colour.
  Draw(clWhite);
  board->StartPageSlide(1, 32);
  EXPECT_EQ(Beeps(), 2u);
  EXPECT_EQ(board->Sliding, 1);
  EXPECT_EQ(board->SlideDirection, 1);
  EXPECT_EQ(board->SlidePos.x, W);
  EXPECT_EQ(board->SlideStep, 32);
  TBitmap* anime = Item("AnimePic")->Picture()->Bitmap();
  EXPECT_EQ(anime->Width(), W);
  EXPECT_EQ(anime->Height(), H - 48);
  EXPECT_EQ(PixelAt(anime, W / 2, 300), board->DefaultBackColor);

  // From page 2 back to page 1: page 1's picture slides in from the left.
  board->Sliding = 0;
  ASSERT_TRUE(board->NextPage());
  board->StartPageSlide(0, 32);
  EXPECT_EQ(board->SlideDirection, 0);
  EXPECT_EQ(board->SlidePos.x, -W);
  EXPECT_EQ(PixelAt(Item("AnimePic")->Picture()->Bitmap(), 110, 110), clWhite);
  // And forward again from page 1: page 2 exists, so no stroke is needed.
  board->Sliding = 0;
  ASSERT_TRUE(board->PrevPage());
  board->LastPageDrawn = 0;
  board->StartPageSlide(1, 32);
  EXPECT_EQ(board->Sliding, 1);
  EXPECT_EQ(Beeps(), 2u);
}

TEST_F(Pages, NextFromTheLastPageGivesABlankDatedPage) {
  board->Today = [] { return EncodeDate(2026, 12, 10); };
  board->Options = obChalkKasure | obDrawDate;
  board->DefaultBackColor = 0x281E1E;
  board->BackColor = 0x005000;
  Draw(clWhite);
  ASSERT_TRUE(board->NextPage());
  EXPECT_EQ(board->CurrentPage, 2u);
  EXPECT_EQ(board->PageCount, 2u);
  EXPECT_EQ(board->LastPageDrawn, 0);
  EXPECT_EQ(board->BackColor, static_cast<TColor>(0x281E1E));
  const int X = W - 72, Y = 8;
  EXPECT_EQ(PixelAt(board->Board.get(), X + 16, Y + 32), DigitColor(1));
  EXPECT_EQ(PixelAt(board->Board.get(), X + 48, Y + 32), DigitColor(2));
  EXPECT_EQ(PixelAt(board->Board.get(), X + 32, Y + 280), WeekdayColor(5));
  EXPECT_EQ(PixelAt(board->Board.get(), X - 1, Y + 32), static_cast<TColor>(0x281E1E));
  EXPECT_EQ(PixelAt(board->Board.get(), 110, 110), static_cast<TColor>(0x281E1E));
  // Without the date option the new page is plain.
  board->Options = obChalkKasure;
  board->LastPageDrawn = 1;
  ASSERT_TRUE(board->NextPage());
  EXPECT_EQ(board->PageCount, 3u);
  EXPECT_EQ(PixelAt(board->Board.get(), X + 16, Y + 32), static_cast<TColor>(0x281E1E));
}

TEST_F(Pages, MissingOrShortRecordMeansNoGridAndTheDefaultColour) {
  board->DefaultBackColor = 0x102030;
  const std::vector<std::string> records = {"", std::string("\x01\x00\x00", 3)};
  for (const std::string& record : records) {
    SCOPED_TRACE(record.size());
    WriteBmp(Tmp("3.bmp"), W, H - 48, clYellow);
    WriteBmp(Tmp("3g.bmp"), W, H - 48, clWhite);
    fs::remove(Tmp("3.dat"));
    if (!record.empty()) WriteText(Tmp("3.dat"), record);
    board->BackColor = 0x445566;
    board->GridOn = 1;
    ASSERT_NO_THROW(board->LoadPage(3));
    EXPECT_EQ(PixelAt(board->Board.get(), 5, 5), clYellow);
    EXPECT_EQ(board->BackColor, static_cast<TColor>(0x102030));
    EXPECT_EQ(board->DefaultBackColor, static_cast<TColor>(0x102030));
    EXPECT_EQ(board->GridOn, 0);
  }
}

TEST_F(Pages, GridIsOnOnlyWithTheFlagAndItsPicture) {
  struct Case {
    uint8_t flag;
    bool picture;
    uint8_t gridOn;
  } cases[] = {{1, true, 1}, {1, false, 0}, {0, true, 0}, {0, false, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << int(c.flag) << " " << c.picture);
    WriteText(Tmp("4.dat"), std::string{char(c.flag), 0, 0, 0, 0x10, 0x20, 0x30, 0});
    fs::remove(Tmp("4g.bmp"));
    if (c.picture) WriteBmp(Tmp("4g.bmp"), W, H - 48, clWhite);
    board->GridOn = 1 - c.gridOn;
    board->LoadPage(4);
    EXPECT_EQ(board->GridOn, c.gridOn);
    EXPECT_EQ(board->BackColor, static_cast<TColor>(0x302010));
  }
}

TEST_F(Pages, PicturesOfAnotherSizeOrDepthBecomeAScreenPage) {
  struct Case {
    int w, h;
    TPixelFormat pf;
  } cases[] = {{300, 200, pf24bit}, {W + 200, H + 100, pf24bit}, {W, H - 48, pf32bit}, {640, 480, pf8bit},
               {W, H - 48, pf1bit}};
  const TColor pageColor = 0x281E1E;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " format " << int(c.pf));
    WriteBmp(Tmp("5.bmp"), c.w, c.h, c.pf == pf1bit ? clWhite : clRed, c.pf);
    WriteBmp(Tmp("5g.bmp"), c.w, c.h, clWhite, c.pf);
    WriteText(Tmp("5.dat"), std::string{1, 0, 0, 0, 0x1E, 0x1E, 0x28, 0});
    board->LoadPage(5);
    TBitmap* page = board->Board.get();
    EXPECT_EQ(page->Width(), W);
    EXPECT_EQ(page->Height(), H - 48);
    EXPECT_EQ(page->PixelFormat(), pf24bit);
    EXPECT_EQ(PixelAt(page, 10, 10), c.pf == pf1bit ? clWhite : clRed);
    const bool margin = c.w < W;
    EXPECT_EQ(PixelAt(page, W - 1, H - 49), margin ? pageColor : (c.pf == pf1bit ? clWhite : clRed));
    TBitmap* grid = Item("Grid")->Picture()->Bitmap();
    EXPECT_EQ(grid->Width(), W);
    EXPECT_EQ(grid->Height(), H - 48);
    EXPECT_EQ(PixelAt(grid, W - 1, H - 49), margin ? clBlack : clWhite);  // the margin is clear
    EXPECT_EQ(board->GridOn, 1);
    // The colour swap still sees whole rows.
    board->ReplaceColor(pageColor, clBlue);
    EXPECT_EQ(PixelAt(page, W - 1, H - 49), margin ? clBlue : (c.pf == pf1bit ? clWhite : clRed));
  }
}

// The pixel bytes of a 24-bit page as its BMP file holds them: rows bottom-up after the headers.
std::vector<uint8_t> FilePixels(const fs::path& p) {
  std::vector<uint8_t> bytes = FileBytes(p);
  bytes.erase(bytes.begin(), bytes.begin() + 54);
  return bytes;
}

std::vector<uint8_t> BottomUpBytes(TBitmap* b) {
  std::vector<uint8_t> out;
  for (int y = b->Height() - 1; y >= 0; --y) {
    const uint8_t* row = b->ScanLine(y);
    out.insert(out.end(), row, row + b->Width() * 3);
  }
  return out;
}

TEST_F(Pages, TurnedPageHoldsExactlyItsFile) {
  // Two pages of their own; turning back and forth many times, each page shows its file's bytes
  // (the pixels that leave the board are used again for the next page).
  Draw(clWhite);
  board->SavePage();
  ASSERT_TRUE(board->NextPage());
  Draw(clYellow, 400, 300);
  board->Board->Canvas()->SetPixels(W - 1, 0, clRed);
  board->Board->Canvas()->SetPixels(0, H - 49, clBlue);
  for (int turn = 0; turn < 6; ++turn) {
    SCOPED_TRACE(turn);
    const uint64_t stamp = board->Board->ContentStamp();
    const bool back = board->CurrentPage == 2;
    const std::vector<uint8_t> leaving = BottomUpBytes(board->Board.get());
    ASSERT_TRUE(back ? board->PrevPage() : board->NextPage());
    const uint32_t n = board->CurrentPage;
    EXPECT_EQ(FilePixels(Tmp(std::to_string(back ? 2 : 1) + ".bmp")), leaving);
    EXPECT_EQ(BottomUpBytes(board->Board.get()), FilePixels(Tmp(std::to_string(n) + ".bmp")));
    EXPECT_NE(board->Board->ContentStamp(), stamp);  // whatever kept the old page sees a change
    EXPECT_EQ(PixelAt(board->Board.get(), 110, 110) == clWhite, n == 1);
    EXPECT_EQ(PixelAt(board->Board.get(), 410, 310) == clYellow, n == 2);
  }
  // The page is drawn on as any other.
  Draw(clLime, 600, 500);
  EXPECT_EQ(PixelAt(board->Board.get(), 610, 510), clLime);
}

TEST_F(Pages, DamagedPageLeavesTheBoardAlsoAfterTurns) {
  Draw(clWhite);
  ASSERT_TRUE(board->NextPage());
  Draw(clYellow);
  ASSERT_TRUE(board->PrevPage());
  ASSERT_TRUE(board->NextPage());
  ASSERT_TRUE(board->PrevPage());  // page 1 shows; the pixels of page 2 wait to be used again
  const std::vector<uint8_t> good = FileBytes(Tmp("2.bmp"));
  const std::vector<uint8_t> truncated(good.begin(), good.begin() + static_cast<long>(good.size() / 2));
  std::vector<uint8_t> wrongSize = good;
  wrongSize[18] ^= 1;  // the width
  const struct Case {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"no picture", "BM this is no picture"},
      {"cut in the pixels", std::string(truncated.begin(), truncated.end())},
      {"another width than its bytes", std::string(wrongSize.begin(), wrongSize.end())},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::vector<uint8_t> before = PageBytes(board->Board.get());
    WriteText(Tmp("2.bmp"), c.bytes);
    EXPECT_THROW(board->LoadPage(2), EInvalidGraphic);
    EXPECT_EQ(PageBytes(board->Board.get()), before);
    EXPECT_EQ(board->CurrentPage, 1u);
  }
  // A good file again shows whole.
  WriteText(Tmp("2.bmp"), std::string(good.begin(), good.end()));
  ASSERT_TRUE(board->NextPage());
  EXPECT_EQ(BottomUpBytes(board->Board.get()), FilePixels(Tmp("2.bmp")));
  EXPECT_EQ(PixelAt(board->Board.get(), 110, 110), clYellow);
}

TEST_F(Pages, GridShownIsKeptOnlyWhenThePageHasTheSameGrid) {
  // Pages 1 and 2 with one grid: back on page 1, page 2's grid file equals the grid shown.
  SetGrid(clAqua);
  Draw(clWhite);
  ASSERT_TRUE(board->NextPage());
  Draw(clYellow);
  ASSERT_TRUE(board->PrevPage());
  ASSERT_TRUE(fs::exists(Tmp("2g.bmp")));
  const std::vector<uint8_t> gridFile = FileBytes(Tmp("2g.bmp"));
  // Offsets into the file of the first pixel of the bottom row, and of the top right pixel.
  const size_t bottomLeft = 54, topRight = gridFile.size() - 3;
  const struct Case {
    const char* what;
    size_t fileByte;  // a byte of 2g.bmp made different (0: none)
    bool drawOnShown;  // a pixel of the grid shown drawn over
    bool ownTransparency;  // the picture shown keyed by a colour of its own
    bool kept;
  } cases[] = {
      {"the same grid", 0, false, false, true},
      {"one pixel other in the first bytes", bottomLeft, false, false, false},
      {"one pixel other in the last bytes", topRight, false, false, false},
      {"one pixel drawn on the grid shown", 0, true, false, false},
      {"the grid shown keyed by its own colour", 0, false, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetGrid(clAqua);
    std::vector<uint8_t> file = gridFile;
    if (c.fileByte) file[c.fileByte] ^= 0x40;
    WriteText(Tmp("2g.bmp"), std::string(file.begin(), file.end()));
    TPictureCollectionItem* item = Item("Grid");
    if (c.drawOnShown) item->Picture()->Bitmap()->Canvas()->SetPixels(500, 300, clRed);
    if (c.ownTransparency) item->Picture()->Bitmap()->SetTransparentColor(clAqua);
    images->Items()->Restore();
    const TGraphic* graphic = item->Picture()->Graphic();
    const uint64_t version = item->Version();
    const uint64_t content = graphic->ContentStamp();
    board->GridOn = 0;
    board->LoadPage(2);
    EXPECT_EQ(board->GridOn, 1);
    EXPECT_EQ(item->Picture()->Graphic() == graphic, c.kept);
    EXPECT_EQ(item->Version() == version, c.kept);
    if (c.kept) {
      EXPECT_EQ(item->Picture()->Graphic()->ContentStamp(), content);
    }
    // Either way the grid is the page's file, pixel for pixel, up to its surfaces.
    TBitmap* shown = item->Picture()->Bitmap();
    EXPECT_EQ(shown->TransparentMode(), tmAuto);
    EXPECT_FALSE(shown->Transparent());
    EXPECT_EQ(BottomUpBytes(shown), std::vector<uint8_t>(file.begin() + 54, file.end()));
    images->Items()->Restore();
    ASSERT_EQ(item->Surfaces().size(), 1u);  // a picture of the page's size is one surface
    TDirectDrawSurface* surface = item->Surfaces().front().get();
    for (const TPoint& p : {Point(0, H - 49), Point(W - 1, 0), Point(500, 300)})
      EXPECT_EQ(surface->Pixels(p.x, p.y) & 0xFFFFFF, Dev(PixelAt(shown, p.x, p.y))) << p.x << "," << p.y;
  }
}

TEST_F(Pages, PagePictureThatDoesNotLoadLeavesTheBoardAsItWas) {
  Draw(clWhite);
  const std::vector<uint8_t> before = PageBytes(board->Board.get());
  WriteText(Tmp("2.bmp"), "BM this is no picture");
  WriteText(Tmp("2.dat"), std::string{0, 0, 0, 0, 0x10, 0x20, 0x30, 0});
  const TColor color = board->BackColor;
  EXPECT_THROW(board->NextPage(), EInvalidGraphic);
  EXPECT_EQ(board->CurrentPage, 1u);
  EXPECT_EQ(board->BackColor, color);
  EXPECT_EQ(PageBytes(board->Board.get()), before);
  // The slide refuses it the same way.
  EXPECT_THROW(board->StartPageSlide(1, 32), EInvalidGraphic);
  EXPECT_EQ(board->Sliding, 0);
}

TEST_F(Pages, PrevPageAlwaysLoadsThePageBefore) {
  // Page 2 on the board; page 1's picture is gone (an archive without it): page 1 shows blank in
  // its own colour, never page 2's drawing under page 1's number.
  board->CurrentPage = 2;
  board->PageCount = 2;
  WriteText(Tmp("1.dat"), std::string{0, 0, 0, 0, 0x10, 0x20, 0x30, 0});
  Draw(clWhite);
  ASSERT_TRUE(board->PrevPage());
  EXPECT_EQ(board->CurrentPage, 1u);
  EXPECT_EQ(PixelAt(board->Board.get(), 110, 110), static_cast<TColor>(0x302010));
  EXPECT_TRUE(fs::exists(Tmp("2.bmp")));
}

TEST_F(Pages, TurnsClearTheDust) {
  Draw(clWhite);
  board->Dust->Spawn(300, 300, clWhite, 2, 5);
  board->Dust->TrayDust->Canvas()->SetPixels(10, 2, clWhite);
  ASSERT_TRUE(board->NextPage());
  EXPECT_EQ(board->Dust->Count(), 0);
  EXPECT_EQ(PixelAt(board->Dust->TrayDust, 10, 2), clBlack);
}

TEST_F(Pages, ThumbnailsReplaceTheirPageOrAreAdded) {
  Draw(clWhite);
  board->UpdateThumbnail();
  ASSERT_EQ(previews->Count(), 1);
  board->Board->Canvas()->Brush()->SetColor(clRed);
  board->Board->Canvas()->FillRect(Rect(0, 0, W, H - 48));
  board->UpdateThumbnail();
  ASSERT_EQ(previews->Count(), 1);
  TBitmap thumb;
  ASSERT_TRUE(previews->GetBitmap(0, &thumb));
  EXPECT_EQ(thumb.Width(), 160);
  EXPECT_EQ(thumb.Height(), 120);
  EXPECT_EQ(thumb.Canvas()->Pixels(80, 60), clRed);
  board->CurrentPage = 2;
  board->UpdateThumbnail();
  EXPECT_EQ(previews->Count(), 2);
}

// Writes fail past a file size limit (CI runs as root, where read-only folders do not).
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    old_signal_ = signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &old_);
    rlimit r = old_;
    r.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &r);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_);
    signal(SIGXFSZ, old_signal_);
  }

 private:
  rlimit old_{};
  void (*old_signal_)(int) = nullptr;
};

TEST_F(Pages, FailedSaveRaisesAndLosesNothing) {
  Draw(clWhite);
  board->SavePage();
  const std::vector<uint8_t> savedPicture = FileBytes(Tmp("1.bmp"));
  const std::vector<uint8_t> savedRecord = FileBytes(Tmp("1.dat"));
  Draw(clYellow, 300, 300);
  const std::vector<uint8_t> onScreen = PageBytes(board->Board.get());
  {
    FileSizeLimit limit(64 * 1024);
    EXPECT_THROW(board->SavePage(), Exception);
    EXPECT_THROW(board->NextPage(), Exception);
  }
  EXPECT_EQ(board->CurrentPage, 1u);
  EXPECT_EQ(board->PageCount, 1u);
  EXPECT_EQ(PageBytes(board->Board.get()), onScreen);
  EXPECT_EQ(FileBytes(Tmp("1.bmp")), savedPicture);
  EXPECT_EQ(FileBytes(Tmp("1.dat")), savedRecord);
  EXPECT_FALSE(fs::exists(Tmp("2.bmp")));
  for (const auto& e : fs::directory_iterator(folder_ / "tmp")) EXPECT_NE(e.path().extension(), ".tmp") << e.path();
  // Once the disk takes it again the page is saved as it shows.
  ASSERT_TRUE(board->NextPage());
  ASSERT_TRUE(board->PrevPage());
  EXPECT_EQ(PageBytes(board->Board.get()), onScreen);
}

}  // namespace
}  // namespace pagestest
