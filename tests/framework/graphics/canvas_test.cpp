// Drawing through TCanvas onto 24-bit bitmaps, read back through ScanLine and Pixels.
#include <gtest/gtest.h>

#include <memory>

#include "Graphics.h"

namespace {

std::unique_ptr<TBitmap> NewBitmap(int w, int h, TColor fill = clBlack, TPixelFormat pf = pf24bit) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(pf);
  b->SetSize(w, h);
  b->Canvas()->Brush()->SetColor(fill);
  b->Canvas()->FillRect(Rect(0, 0, w, h));
  return b;
}

// The colour at (x, y) read straight from the row bytes (blue, green, red).
TColor At(TBitmap* b, int x, int y) {
  const uint8_t* p = b->ScanLine(y) + 3 * x;
  return static_cast<TColor>(RGB(p[2], p[1], p[0]));
}

int Count(TBitmap* b, TColor c) {
  int n = 0;
  for (int y = 0; y < b->Height(); ++y)
    for (int x = 0; x < b->Width(); ++x) n += At(b, x, y) == c;
  return n;
}

}  // namespace

TEST(Canvas, FillRectAndPixelsAgreeWithScanLine) {
  auto b = NewBitmap(10, 6, clBlack);
  b->Canvas()->Brush()->SetColor(RGB(10, 20, 30));
  b->Canvas()->FillRect(Rect(2, 1, 5, 3));  // right and bottom exclusive
  EXPECT_EQ(Count(b.get(), RGB(10, 20, 30)), 6);
  EXPECT_EQ(At(b.get(), 2, 1), static_cast<TColor>(RGB(10, 20, 30)));
  EXPECT_EQ(At(b.get(), 5, 1), clBlack);
  EXPECT_EQ(b->Canvas()->Pixels(4, 2), static_cast<TColor>(RGB(10, 20, 30)));
  // Pixels set and read agree with the row bytes; outside, writes are dropped and reads answer -1.
  b->Canvas()->SetPixels(9, 5, clRed);
  EXPECT_EQ(At(b.get(), 9, 5), clRed);
  b->Canvas()->SetPixels(10, 0, clRed);
  b->Canvas()->SetPixels(-1, 3, clRed);
  EXPECT_EQ(Count(b.get(), clRed), 1);
  EXPECT_EQ(b->Canvas()->Pixels(10, 0), -1);
  // A system colour is resolved before it reaches the bitmap.
  b->Canvas()->SetPixels(0, 0, clBtnFace);
  EXPECT_EQ(At(b.get(), 0, 0), ColorToRGB(clBtnFace));
}

TEST(Canvas, LinesWithPenWidths) {
  auto b = NewBitmap(20, 20);
  TCanvas* c = b->Canvas();
  c->Pen()->SetColor(clWhite);
  c->MoveTo(2, 5);
  c->LineTo(12, 5);  // width 1: the end pixel is left out
  EXPECT_EQ(Count(b.get(), clWhite), 10);
  EXPECT_EQ(At(b.get(), 11, 5), clWhite);
  EXPECT_EQ(At(b.get(), 12, 5), clBlack);
  EXPECT_EQ(c->PenPos().x, 12);
  EXPECT_EQ(c->PenPos().y, 5);

  // A change of pen between operations is picked up by the next one.
  c->Pen()->SetColor(clLime);
  c->Pen()->SetWidth(3);
  c->MoveTo(5, 12);
  c->LineTo(15, 12);
  for (int x = 6; x < 15; ++x)
    for (int y = 11; y <= 13; ++y) EXPECT_EQ(At(b.get(), x, y), clLime) << x << "," << y;
  EXPECT_EQ(At(b.get(), 10, 10), clBlack);
  EXPECT_EQ(At(b.get(), 10, 14), clBlack);

  // A clear pen draws nothing.
  c->Pen()->SetStyle(psClear);
  c->MoveTo(0, 18);
  c->LineTo(19, 18);
  EXPECT_EQ(At(b.get(), 5, 18), clBlack);
}

TEST(Canvas, PolygonRectangleAndEllipseFillWithTheBrush) {
  auto b = NewBitmap(40, 40);
  TCanvas* c = b->Canvas();
  c->Pen()->SetColor(clRed);
  c->Brush()->SetColor(clBlue);
  c->Polygon({Point(5, 5), Point(25, 5), Point(25, 25), Point(5, 25)});
  EXPECT_EQ(At(b.get(), 15, 15), clBlue);   // inside: brush
  EXPECT_EQ(At(b.get(), 5, 15), clRed);     // outline: pen
  EXPECT_EQ(At(b.get(), 30, 15), clBlack);  // outside

  // With a clear pen only the brush shows (the erasers and the side of the chalk draw so).
  const int redBefore = Count(b.get(), clRed);
  c->Pen()->SetStyle(psClear);
  c->Brush()->SetColor(clYellow);
  c->Polygon({Point(30, 30), Point(38, 30), Point(34, 38)});
  EXPECT_EQ(At(b.get(), 34, 33), clYellow);
  EXPECT_EQ(Count(b.get(), clRed), redBefore);

  c->Pen()->SetStyle(psSolid);
  c->Pen()->SetColor(clWhite);
  c->Brush()->SetColor(clWhite);
  c->Ellipse(0, 30, 3, 33);  // the chalk tap: a 3 x 3 dot
  EXPECT_EQ(At(b.get(), 1, 31), clWhite);

  c->Brush()->SetStyle(bsClear);
  c->Pen()->SetColor(clAqua);
  c->Rectangle(30, 2, 38, 10);
  EXPECT_EQ(At(b.get(), 30, 5), clAqua);
  EXPECT_EQ(At(b.get(), 34, 5), clBlack);  // a clear brush leaves the inside
}

TEST(Canvas, BrushPatternTilesFromTheOrigin) {
  auto pattern = NewBitmap(2, 2, clWhite);
  pattern->Canvas()->SetPixels(0, 0, clRed);
  auto b = NewBitmap(8, 8);
  b->Canvas()->Brush()->SetBitmap(pattern.get());
  b->Canvas()->FillRect(Rect(1, 1, 7, 7));
  b->Canvas()->Brush()->SetBitmap(nullptr);
  EXPECT_EQ(At(b.get(), 2, 2), clRed);
  EXPECT_EQ(At(b.get(), 4, 4), clRed);
  EXPECT_EQ(At(b.get(), 3, 2), clWhite);
  EXPECT_EQ(At(b.get(), 1, 1), clWhite);  // (1,1) is pattern cell (1,1)
  EXPECT_EQ(At(b.get(), 0, 0), clBlack);
  // Without the bitmap the brush is its colour again.
  b->Canvas()->Brush()->SetColor(clGreen);
  b->Canvas()->FillRect(Rect(0, 0, 1, 1));
  EXPECT_EQ(At(b.get(), 0, 0), clGreen);
}

TEST(Canvas, DrawHonoursTransparency) {
  // A black-keyed picture: a red cross on black.
  auto pic = NewBitmap(5, 5, clBlack);
  for (int i = 0; i < 5; ++i) {
    pic->Canvas()->SetPixels(2, i, clRed);
    pic->Canvas()->SetPixels(i, 2, clRed);
  }
  auto board = NewBitmap(10, 10, clGreen);
  board->Canvas()->Draw(1, 1, pic.get());  // opaque: the black comes along
  EXPECT_EQ(At(board.get(), 1, 1), clBlack);
  EXPECT_EQ(At(board.get(), 3, 1), clRed);

  board->Canvas()->Brush()->SetColor(clGreen);
  board->Canvas()->FillRect(Rect(0, 0, 10, 10));
  pic->SetTransparent(true);
  pic->SetTransparentColor(clBlack);
  board->Canvas()->Draw(1, 1, pic.get());
  EXPECT_EQ(Count(board.get(), clRed), 9);
  EXPECT_EQ(Count(board.get(), clGreen), 100 - 9);
  EXPECT_EQ(At(board.get(), 3, 3), clRed);
  EXPECT_EQ(At(board.get(), 1, 1), clGreen);

  // The automatic transparent colour is the bottom-left pixel.
  auto magenta = NewBitmap(3, 3, clFuchsia);
  magenta->Canvas()->SetPixels(1, 1, clBlack);
  magenta->SetTransparent(true);
  EXPECT_EQ(magenta->TransparentMode(), tmAuto);
  EXPECT_EQ(magenta->TransparentColor(), clFuchsia);
  board->Canvas()->Draw(6, 6, magenta.get());
  EXPECT_EQ(At(board.get(), 7, 7), clBlack);
  EXPECT_EQ(At(board.get(), 6, 6), clGreen);
}

TEST(Canvas, StretchDrawAndCopyRect) {
  auto src = NewBitmap(2, 2, clBlack);
  src->Canvas()->SetPixels(1, 0, clWhite);
  auto dst = NewBitmap(8, 8, clBlue);
  dst->Canvas()->StretchDraw(Rect(0, 0, 8, 4), src.get());
  EXPECT_EQ(At(dst.get(), 0, 0), clBlack);
  EXPECT_EQ(At(dst.get(), 7, 0), clWhite);
  EXPECT_EQ(At(dst.get(), 4, 1), clWhite);
  EXPECT_EQ(At(dst.get(), 3, 1), clBlack);
  EXPECT_EQ(At(dst.get(), 0, 5), clBlue);

  dst->Canvas()->CopyRect(Rect(0, 6, 2, 8), src->Canvas(), Rect(0, 0, 2, 2));
  EXPECT_EQ(At(dst.get(), 1, 6), clWhite);
  EXPECT_EQ(At(dst.get(), 0, 7), clBlack);
  dst->Canvas()->SetCopyMode(cmNotSrcCopy);
  dst->Canvas()->CopyRect(Rect(4, 6, 6, 8), src->Canvas(), Rect(0, 0, 2, 2));
  EXPECT_EQ(At(dst.get(), 5, 6), clBlack);
  EXPECT_EQ(At(dst.get(), 4, 6), clWhite);
}

TEST(Canvas, StretchDrawShrinksColourPicturesByDroppingPixels) {
  // A shrink in the target's default mode would AND each pair ({red, blue} here); a colour
  // picture is drawn with COLORONCOLOR and keeps one pixel of each pair instead.
  auto colour = NewBitmap(4, 1);
  const TColor row[4] = {clRed, clWhite, clBlue, clWhite};
  for (int x = 0; x < 4; ++x) colour->Canvas()->SetPixels(x, 0, row[x]);
  auto dst = NewBitmap(2, 1, clBlack);
  dst->Canvas()->StretchDraw(Rect(0, 0, 2, 1), colour.get());
  EXPECT_EQ(At(dst.get(), 0, 0), clWhite);
  EXPECT_EQ(At(dst.get(), 1, 0), clWhite);
  EXPECT_EQ(GetStretchBltMode(dst->Canvas()->Handle()), COLORONCOLOR);
  // A monochrome picture keeps the target's mode: black on white survives the shrink.
  auto mono = NewBitmap(4, 1, clWhite, pf1bit);
  mono->Canvas()->SetPixels(0, 0, clBlack);
  auto dst2 = NewBitmap(2, 1, clBlue);
  dst2->Canvas()->StretchDraw(Rect(0, 0, 2, 1), mono.get());
  EXPECT_EQ(GetStretchBltMode(dst2->Canvas()->Handle()), BLACKONWHITE);
  EXPECT_EQ(At(dst2.get(), 0, 0), clBlack);
  EXPECT_EQ(At(dst2.get(), 1, 0), clWhite);
}

TEST(Canvas, TextUsesFontAndBrush) {
  auto b = NewBitmap(120, 40, clBlack);
  TCanvas* c = b->Canvas();
  c->Font()->SetColor(clWhite);
  c->Font()->SetSize(16);
  c->Brush()->SetStyle(bsClear);
  const int w = c->TextWidth("12/12");
  const int h = c->TextHeight("12/12");
  EXPECT_GT(w, 10);
  EXPECT_GT(h, 10);
  EXPECT_EQ(c->TextExtent("12/12").cx, w);
  EXPECT_GT(c->TextWidth("12/12/12"), w);
  c->TextOut(2, 2, "12/12");
  int lit = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 120; ++x) lit += At(b.get(), x, y) != clBlack;
  EXPECT_GT(lit, 20);
  EXPECT_EQ(c->PenPos().x, 2 + w);
  // An opaque brush fills the text's cell.
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(clRed);
  c->TextOut(2, 22, " ");
  EXPECT_EQ(At(b.get(), 3, 24), clRed);
}

TEST(Canvas, ACanvasWithoutHandleRefusesToDraw) {
  TCanvas c;
  EXPECT_FALSE(c.HandleAllocated());
  EXPECT_THROW(c.LineTo(1, 1), EInvalidOperation);
  // A DC handed in from outside is used, and left free of the canvas's objects at the end.
  auto b = NewBitmap(4, 4);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, b->Handle());
  {
    TCanvas outer;
    outer.SetHandle(dc);
    outer.Brush()->SetColor(clWhite);
    outer.FillRect(Rect(0, 0, 2, 2));
  }
  EXPECT_EQ(At(b.get(), 1, 1), clWhite);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), GetStockObject(HOLLOW_BRUSH));
  SelectObject(dc, old);
  DeleteDC(dc);
}

TEST(GraphicsObjects, HandlesFollowTheirProperties) {
  TPen pen;
  HPEN first = pen.Handle();
  EXPECT_EQ(pen.Handle(), first);  // kept while nothing changes
  int changes = 0;
  pen.OnChange = [&](TObject*) { ++changes; };
  pen.SetColor(clRed);
  pen.SetColor(clRed);  // no change, no event
  EXPECT_EQ(changes, 1);
  HPEN second = pen.Handle();
  LOGPEN lp{};
  ASSERT_EQ(GetObjectA(second, sizeof lp, &lp), static_cast<int>(sizeof lp));
  EXPECT_EQ(lp.lopnColor, RGB(255, 0, 0));
  EXPECT_EQ(GetObjectType(first), 0u);  // the old handle is gone

  TFont font;
  EXPECT_EQ(font.Height(), -12);
  EXPECT_EQ(font.Size(), 9);
  font.SetSize(16);
  EXPECT_EQ(font.Height(), -21);
  font.SetSize(24);
  EXPECT_EQ(font.Height(), -32);
  EXPECT_EQ(font.Size(), 24);
  font.SetStyle(TFontStyles{fsBold});
  font.SetName("MS UI Gothic");
  LOGFONTA lf{};
  ASSERT_EQ(GetObjectA(font.Handle(), sizeof lf, &lf), static_cast<int>(sizeof lf));
  EXPECT_EQ(lf.lfHeight, -32);
  EXPECT_EQ(lf.lfWeight, FW_BOLD);
  EXPECT_STREQ(lf.lfFaceName, "MS UI Gothic");
  // A face name longer than the record holds is cut at a character boundary.
  font.SetName(AnsiString(30, 'a') + "\x82\xa0");  // 30 letters and a double-byte kana: 32 bytes
  ASSERT_EQ(GetObjectA(font.Handle(), sizeof lf, &lf), static_cast<int>(sizeof lf));
  EXPECT_EQ(std::string(lf.lfFaceName), AnsiString(30, 'a'));

  TBrush brush;
  brush.SetStyle(bsClear);
  brush.SetColor(clRed);  // a colour makes a clear brush solid again
  EXPECT_EQ(brush.Style(), bsSolid);
  TBrush copy;
  copy.Assign(&brush);
  EXPECT_EQ(copy.Color(), clRed);
}
