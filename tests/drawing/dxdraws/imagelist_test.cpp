// The picture collection: names, patterns and tiles, surfaces made on Restore, transparency, the
// rebuild rules, and a frame of the program's own pictures written as PNG.
#include <gtest/gtest.h>

#include "test_support.h"

#include <cstdio>
#include <string>

#include "support.h"

using namespace dxtest;

namespace {

bool SameRect(const TRect& a, const TRect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

class ImageListTest : public ::testing::Test {
 protected:
  TDirectDraw dd;
  TDXImageList list{nullptr};
  TPictureCollection* items = list.Items();

  TPictureCollectionItem* AddItem(const char* name, int w, int h, TColor fill = clRed) {
    TPictureCollectionItem* item = items->Add();
    item->SetName(name);
    if (w > 0 && h > 0) {
      TBitmap* b = item->Picture()->Bitmap();
      b->SetPixelFormat(pf24bit);
      b->SetSize(w, h);
      b->Canvas()->Brush()->SetColor(fill);
      b->Canvas()->FillRect(Rect(0, 0, w, h));
    }
    return item;
  }
};

TEST_F(ImageListTest, FindsByNameTheLaterOfEqualNames) {
  const char* names[] = {"NowTool", "finger", "eraser", "longEraser", "prev", "next", "AnimePic", "DragPic",
                         "Grid",    "Help",   "Grid",   "memori",     "trijogi", "icontri", "nonprev", "nonnext",
                         "UkezaraKona"};
  for (const char* n : names) AddItem(n, 0, 0);
  EXPECT_EQ(items->Find("Grid")->Index(), 10);
  EXPECT_EQ(items->Find("GRID")->Index(), 10);
  EXPECT_EQ(items->Find("ukezarakona")->Index(), 16);
  try {
    items->Find("Nothing");
    FAIL();
  } catch (const EPictureCollectionError& e) {
    EXPECT_EQ(e.Message(), AnsiString("画像 'Nothing' が見つかりません"));
  }
}

TEST_F(ImageListTest, InitializeNeedsADirectDrawObject) {
  AddItem("a", 4, 4);
  try {
    items->Initialize(static_cast<TCustomDXDraw*>(nullptr));
    FAIL();
  } catch (const EPictureCollectionError& e) {
    EXPECT_EQ(e.Message(), AnsiString("TPictureCollection を初期化できません"));
  }
  // Without initialisation nothing is built and nothing is drawn.
  items->Restore();
  EXPECT_TRUE(items->Items(0)->Surfaces().empty());
  auto dst = MakeSurface(dd, 8, 8);
  items->Items(0)->Draw(dst.get(), 0, 0, 0);
  EXPECT_EQ(dst->Pixels(0, 0), 0u);
}

TEST_F(ImageListTest, PatternsTilesAndCellsOfNoSize) {
  struct Case {
    const char* what;
    int pw, ph, patternW, patternH, skipW, skipH;
    bool systemMemory;
    int patterns, surfaces;
  };
  const Case cases[] = {
      {"one pattern", 40, 30, 0, 0, 0, 0, false, 1, 1},
      {"20 x 20 cells of 100 x 40", 100, 40, 20, 20, 0, 0, false, 10, 1},
      {"with a gap of 4: four columns", 100, 40, 20, 20, 4, 0, false, 8, 2},  // a 96-wide tile and the rest
      {"system memory: one surface", 100, 40, 20, 20, 0, 0, true, 10, 1},
      {"single wide picture is not tiled", 2000, 100, 0, 0, 0, 0, false, 1, 1},
      {"wide strip of cells in tiles", 2000, 100, 100, 100, 0, 0, false, 20, 4},
      {"negative gap cancelling the cell", 100, 40, 20, 20, -20, 0, false, 0, 0},
      {"negative gap beyond the cell", 100, 40, 20, 20, 0, -30, false, 0, 0},
      {"empty picture", 0, 0, 0, 20, 0, 0, false, 0, 0},
  };
  items->Initialize(&dd);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TPictureCollectionItem* item = AddItem(c.what, c.pw, c.ph);
    if (c.pw == 0) item->Picture()->SetGraphic(nullptr), item->Picture()->Bitmap();
    item->SetPatternWidth(c.patternW);
    item->SetPatternHeight(c.patternH);
    item->SetSkipWidth(c.skipW);
    item->SetSkipHeight(c.skipH);
    item->SetSystemMemory(c.systemMemory);
    item->Restore();
    EXPECT_EQ(item->PatternCount(), c.patterns);
    EXPECT_EQ(static_cast<int>(item->Surfaces().size()), c.surfaces);
  }
  // Row order, and each pattern inside its surface.
  TPictureCollectionItem* grid = items->Find("20 x 20 cells of 100 x 40");
  EXPECT_TRUE(SameRect(grid->Pattern(6).Rect, Rect(20, 20, 40, 40)));
  TPictureCollectionItem* strip = items->Find("wide strip of cells in tiles");
  for (int i = 0; i < strip->PatternCount(); ++i) {
    const auto& p = strip->Pattern(i);
    EXPECT_LE(p.Rect.right, p.Surface->Width());
    EXPECT_LE(p.Rect.bottom, p.Surface->Height());
  }
  EXPECT_EQ(strip->Surfaces()[0]->Width(), 600);
  EXPECT_TRUE(SameRect(strip->Pattern(7).Rect, Rect(100, 0, 200, 100)));
  EXPECT_EQ(strip->Pattern(7).Surface, strip->Surfaces()[1].get());
}

TEST_F(ImageListTest, DrawsWithTheTransparentColourAsKey) {
  TPictureCollectionItem* item = AddItem("eraser", 4, 4, clBlack);
  item->Picture()->Bitmap()->Canvas()->SetPixels(1, 1, clYellow);
  item->SetTransparentColor(clBlack);
  items->Initialize(&dd);
  items->Restore();
  ASSERT_EQ(item->PatternCount(), 1);
  auto dst = MakeSurface(dd, 8, 8);
  dst->Fill(0x123456);
  item->Draw(dst.get(), 2, 2, 0);
  EXPECT_EQ(dst->Pixels(2, 2), 0x123456u);
  EXPECT_EQ(dst->Pixels(3, 3), 0xFFFF00u);
  // Opaque items copy the key colour too.
  item->SetTransparent(false);
  item->Draw(dst.get(), 2, 2, 0);
  EXPECT_EQ(dst->Pixels(2, 2), 0u);
  // A new transparent colour re-keys the surfaces at once.
  item->SetTransparent(true);
  item->SetTransparentColor(clYellow);
  dst->Fill(0x123456);
  item->Draw(dst.get(), 2, 2, 0);
  EXPECT_EQ(dst->Pixels(3, 3), 0x123456u);
  EXPECT_EQ(dst->Pixels(2, 2), 0u);
  // Bad pattern indexes draw nothing.
  dst->Fill(7);
  item->Draw(dst.get(), 0, 0, 1);
  item->Draw(dst.get(), 0, 0, -1);
  item->DrawAlpha(dst.get(), Rect(0, 0, 4, 4), 3, 128);
  EXPECT_EQ(dst->Pixels(0, 0), 7u);
}

TEST_F(ImageListTest, RestoreRebuildsOnlyWhatChanged) {
  TPictureCollectionItem* item = AddItem("tray", 4, 4, clBlue);
  items->Initialize(&dd);
  items->Restore();
  TDirectDrawSurface* first = item->Surfaces().at(0).get();
  items->Restore();
  EXPECT_EQ(item->Surfaces().at(0).get(), first);  // nothing changed: kept

  // Drawing on the picture's canvas counts as a change.
  item->Picture()->Bitmap()->Canvas()->SetPixels(0, 0, clWhite);
  auto dst = MakeSurface(dd, 4, 4);
  item->Draw(dst.get(), 0, 0, 0);
  EXPECT_EQ(dst->Pixels(0, 0), 0x0000FFu);  // not before Restore
  items->Restore();
  item->Draw(dst.get(), 0, 0, 0);
  EXPECT_EQ(dst->Pixels(0, 0), 0xFFFFFFu);

  // A lost surface is rebuilt.
  DirectDrawLoseSurface(item->Surfaces().at(0)->IDDSurface());
  items->Restore();
  dst->Fill(0);
  item->Draw(dst.get(), 0, 0, 0);
  EXPECT_EQ(dst->Pixels(1, 1), 0x0000FFu);

  // Assigning another picture, and a pattern setting.
  TBitmap other;
  other.SetPixelFormat(pf24bit);
  other.SetSize(2, 2);
  item->Picture()->Assign(&other);
  items->Restore();
  EXPECT_EQ(item->Surfaces().at(0)->Width(), 2);
  item->SetPatternWidth(1);
  items->Restore();
  EXPECT_EQ(item->PatternCount(), 2);

  items->Finalize();
  EXPECT_TRUE(item->Surfaces().empty());
  EXPECT_FALSE(item->Initialized());
}

TEST_F(ImageListTest, ItemAssignCopiesSettingsAndPictureButNotTheName) {
  TPictureCollectionItem* a = AddItem("a", 3, 3);
  a->SetTransparentColor(clFuchsia);
  a->SetTransparent(false);
  a->SetPatternWidth(1);
  TPictureCollectionItem* b = AddItem("b", 0, 0);
  b->Assign(a);
  EXPECT_EQ(b->Name(), AnsiString("b"));
  EXPECT_EQ(b->TransparentColor(), clFuchsia);
  EXPECT_FALSE(b->Transparent());
  EXPECT_EQ(b->PatternWidth(), 1);
  EXPECT_EQ(b->Picture()->Width(), 3);
}

// ---- A frame of the program's pictures -------------------------------------------------------

bool WritePng(TDirectDrawSurface& s, const std::string& path) {
  std::vector<uint32_t> pixels(static_cast<size_t>(s.Width()) * s.Height());
  for (int y = 0; y < s.Height(); ++y)
    for (int x = 0; x < s.Width(); ++x) pixels[static_cast<size_t>(y) * s.Width() + x] = s.Pixels(x, y) & 0xFFFFFF;
  return test_support::WritePng(path, s.Width(), s.Height(), pixels);
}

TEST_F(ImageListTest, FrameOfTheProgramsPicturesWrittenAsPng) {
  const std::string bin = VSE_BIN_DIR;
  auto load = [&](const char* name, const std::string& file, TColor key) {
    TPictureCollectionItem* item = AddItem(name, 0, 0);
    item->Picture()->LoadFromFile((bin + "/" + file).c_str());
    item->SetTransparentColor(key);
    return item;
  };
  if (!FileExists((bin + "/Ukezara.bmp").c_str())) GTEST_SKIP() << "no program folder at " << bin;
  TPictureCollectionItem* tray = load("tray", "Ukezara.bmp", clBlack);
  tray->SetTransparent(false);
  TPictureCollectionItem* eraser = load("eraser", "eraser.bmp", clBlack);
  // The ruler and its scale are keyed on magenta, as the program loads them.
  TPictureCollectionItem* ruler = load("trijogi", "trijogi.bmp", clFuchsia);
  TPictureCollectionItem* memori = load("memori", "memori.bmp", clFuchsia);
  const char* chalks[] = {"white", "yellow", "pink", "orange", "lightblue", "green"};
  for (const char* c : chalks) load(c, std::string("chalks/") + c + ".bmp", clBlack);
  items->Initialize(&dd);
  items->Restore();

  auto frame = MakeSurface(dd, 800, 480);
  frame->Fill(frame->ColorMatch(TColorOf(0x00305020)));  // the board's green
  // A few chalk lines through GDI first, released before the pictures go on.
  TCanvas* c = frame->Canvas();
  c->Pen()->SetColor(clWhite);
  c->Pen()->SetWidth(3);
  c->MoveTo(60, 80);
  c->LineTo(420, 140);
  c->Font()->SetColor(clWhite);
  c->Font()->SetSize(16);
  c->Brush()->SetStyle(bsClear);
  c->TextOut(60, 30, "1/3");
  frame->Canvas()->Release();

  const int trayTop = frame->Height() - tray->Height();
  tray->Draw(frame.get(), 0, trayTop, 0);
  int x = 40;
  for (const char* name : chalks) {
    TPictureCollectionItem* chalk = items->Find(name);
    chalk->Draw(frame.get(), x, trayTop + 8, 0);
    x += chalk->Width() + 12;
  }
  eraser->Draw(frame.get(), frame->Width() - eraser->Width() - 30, trayTop + 4, 0);
  // The ruler at half strength, turned, with its scale; and once unturned.
  ruler->DrawRotateAlpha(frame.get(), 300, 160, ruler->Width(), ruler->Height(), 0, 0.0, 0.0, 20, 128);
  memori->DrawRotate(frame.get(), 300, 160, memori->Width(), memori->Height(), 0, 0.0, 0.0, 20);
  ruler->DrawAlpha(frame.get(), Bounds(560, 40, ruler->Width(), ruler->Height()), 0, 128);
  eraser->Draw(frame.get(), 620, 250, 0);

  // Eraser's black corners are keyed out: the board shows there.
  EXPECT_EQ(frame->Pixels(620, 250), frame->ColorMatch(TColorOf(0x00305020)));
  EXPECT_NE(frame->Pixels(0, trayTop + 2), frame->ColorMatch(TColorOf(0x00305020)));
  // No magenta anywhere: the keys of the rotated and blended ruler held.
  int magenta = 0;
  for (int y = 0; y < frame->Height(); ++y)
    for (int x = 0; x < frame->Width(); ++x) magenta += frame->Pixels(x, y) == 0xFF00FFu;
  EXPECT_EQ(magenta, 0);
  ASSERT_TRUE(WritePng(*frame, "imagelist_frame.png"));
  std::printf("frame written to %s/imagelist_frame.png\n", GetCurrentDir().c_str());
}

}  // namespace
