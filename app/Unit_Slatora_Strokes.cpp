// Chalk strokes, erasers and the finger on the page bitmap.
#include <array>
#include <cstdlib>
#include <memory>

#include "DXClass.h"
#include "Math.h"
#include "Unit_Slatora.h"
#include "windows.h"

namespace {

// Rebuilt on every side stroke; the brush tiles it from the bitmap's origin.
std::unique_ptr<TBitmap> ChalkTexture;

uint8_t R(TColor c) { return static_cast<uint8_t>(c & 0xFF); }
uint8_t G(TColor c) { return static_cast<uint8_t>((c >> 8) & 0xFF); }
uint8_t B(TColor c) { return static_cast<uint8_t>((c >> 16) & 0xFF); }

// Pixels outside the page are dropped by the canvas; the gap loops below also skip the
// coordinates whose pixels could not land on the page (offsets run from -2 to +1), so a segment
// of any length costs at most the page's size.
constexpr int64_t kGapReach = 2;

}  // namespace

TColor TBlackBoard::ChalkShade(int32_t ChalkIndex) {
  const TChalkListItem* c = Chalks->Get(ChalkIndex);
  const int32_t r = Random(c->Range);
  return DarkenColor(c->Color, static_cast<int16_t>(r + R(c->Shade)),
                     static_cast<int16_t>(r + G(c->Shade)), static_cast<int16_t>(r + B(c->Shade)));
}

void TBlackBoard::MakeChalkTexture(int32_t ChalkIndex) {
  ChalkTexture.reset();
  auto t = std::make_unique<TBitmap>();
  t->SetPixelFormat(pf24bit);
  t->SetSize(32, 32);
  for (int y = 0; y < 32; ++y) {
    uint8_t* row = t->ScanLine(y);
    for (int x = 0; x < 32; ++x) {
      const TColor c = ChalkShade(ChalkIndex);
      row[x * 3] = B(c);
      row[x * 3 + 1] = G(c);
      row[x * 3 + 2] = R(c);
    }
  }
  ChalkTexture = std::move(t);
}

void TBlackBoard::ChalkLine(int32_t X, int32_t Y, bool Kasure) {
  TCanvas* cv = Board->Canvas();
  const int32_t d = Random(5);
  const TColor c = DarkenColor(ChalkColor(), d, d, d);
  cv->Pen()->SetColor(c);
  cv->Brush()->SetColor(c);
  cv->Pen()->SetStyle(psSolid);
  cv->Pen()->SetWidth(Chalk->Width);
  const int32_t LastX = Chalk->LastX, LastY = Chalk->LastY;
  cv->MoveTo(LastX, LastY);
  cv->LineTo(X, Y);
  cv->Pen()->SetWidth(1);
  if (!Kasure) return;

  const int64_t w = Board->Width(), h = Board->Height();
  const int64_t dx = int64_t{X} - LastX, dy = int64_t{Y} - LastY;
  auto gap = [&](int64_t px, int64_t py) {
    if (px >= 0 && px < w && py >= 0 && py < h)
      cv->SetPixels(static_cast<int32_t>(px), static_cast<int32_t>(py), BackColor);
  };
  if (dy == 0) {
    const int64_t from = Max<int64_t>(Min<int64_t>(X, LastX), -kGapReach);
    const int64_t to = Min<int64_t>(Max<int64_t>(X, LastX), w + kGapReach);
    for (int64_t x = from; x <= to; ++x) gap(x, int64_t{Y} + Random(4) - 2);
  } else if (dx == 0) {
    const int64_t from = Max<int64_t>(Min<int64_t>(Y, LastY), -kGapReach);
    const int64_t to = Min<int64_t>(Max<int64_t>(Y, LastY), h + kGapReach);
    for (int64_t y = from; y <= to; ++y) gap(int64_t{X} + Random(4) - 2, y);
  } else if (std::llabs(dx) > std::llabs(dy)) {
    const double s = static_cast<double>(dy) / static_cast<double>(dx);
    const int64_t from = Max<int64_t>(Min<int64_t>(X, LastX), -kGapReach);
    const int64_t to = Min<int64_t>(Max<int64_t>(X, LastX), w + kGapReach);
    for (int64_t x = from; x <= to; ++x) {
      const int64_t yline = Round(Y + static_cast<double>(x - X) * s);
      const int32_t ry = Random(4), rx = Random(4);
      gap(x + rx - 2, yline + ry - 2);
    }
  } else {
    const double s = static_cast<double>(dx) / static_cast<double>(dy);
    const int64_t from = Max<int64_t>(Min<int64_t>(Y, LastY), -kGapReach);
    const int64_t to = Min<int64_t>(Max<int64_t>(Y, LastY), h + kGapReach);
    for (int64_t y = from; y <= to; ++y) {
      const int64_t xline = LastY < Y ? Round(X + static_cast<double>(y - Y) * s)
                                      : Round(LastX + static_cast<double>(y - LastY) * s);
      const int32_t ry = Random(4), rx = Random(4);
      gap(xline + rx - 2, y + ry - 2);
    }
  }
}

void TBlackBoard::ThinLine(int32_t X, int32_t Y) {
  TCanvas* cv = Board->Canvas();
  cv->Pen()->SetStyle(psSolid);
  cv->Pen()->SetWidth(1);
  cv->Pen()->SetColor(ValidChalk(Chalk->Index) ? ChalkShade(Chalk->Index) : clWhite);
  cv->MoveTo(Chalk->LastX, Chalk->LastY);
  cv->LineTo(X, Y);
}

void TBlackBoard::ChalkTap(int32_t X, int32_t Y) {
  TCanvas* cv = Board->Canvas();
  const int32_t d = Random(5);
  const TColor c = DarkenColor(ChalkColor(), d, d, d);
  cv->Pen()->SetColor(c);
  cv->Brush()->SetColor(c);
  cv->Brush()->SetStyle(bsSolid);
  cv->Pen()->SetStyle(psSolid);
  cv->Pen()->SetWidth(Chalk->Width);
  cv->MoveTo(Chalk->LastX, Chalk->LastY);
  cv->LineTo(X, Y);
  cv->Pen()->SetWidth(1);
  const int32_t h = Chalk->Width / 2;
  cv->Ellipse(X - h, Y - h, X + h, Y + h);
}

void TBlackBoard::SideChalkStroke(int32_t X, int32_t Y) {
  TCanvas* cv = Board->Canvas();
  const TColor colour = ChalkColor();
  cv->Pen()->SetColor(colour);
  cv->Pen()->SetStyle(psClear);
  cv->Brush()->SetColor(colour);
  if (ValidChalk(Chalk->Index)) MakeChalkTexture(Chalk->Index);
  const int32_t c = ArmCos(26, Chalk->Angle), s = ArmSin(26, Chalk->Angle);
  const int32_t LastY = Chalk->LastY;
  const TPoint c1 = Chalk->Corner1, c2 = Chalk->Corner2;
  try {
    if (ChalkTexture) cv->Brush()->SetBitmap(ChalkTexture.get());
    if (Chalk->Angle > 0)
      cv->Polygon({c2, c1, Point(X - c, Y - s), Point(X + c, Y + s)});
    else
      cv->Polygon({Point(c2.x, 2 * LastY - c2.y), Point(c1.x, 2 * LastY - c1.y), Point(X - c, Y + s),
                   Point(X + c, Y - s)});
    if (Random(100) < 50) {
      cv->Pen()->SetColor(BackColor);
      cv->Pen()->SetStyle(psSolid);
      cv->Pen()->SetWidth(2);
      cv->MoveTo(c2.x, 2 * LastY - c2.y);
      if (Chalk->Angle > 0)
        cv->LineTo(X - c, Y + s);
      else
        cv->LineTo(X + c, Y - s);
    }
  } catch (...) {
    cv->Brush()->SetBitmap(nullptr);
    throw;
  }
  cv->Brush()->SetBitmap(nullptr);
  Chalk->LastX = X;
  Chalk->LastY = Y;
  Chalk->Corner1 = Point(X - c, Y - s);
  Chalk->Corner2 = Point(X + c, Y + s);
}

// ---------------------------------------------------------------- erasers and finger

TColor TBlackBoard::WipeColor(bool Smear) const {
  if (!Smear) return BackColor;
  auto up = [](int v) { return Min(v + 4, 255); };
  return static_cast<TColor>(up(R(BackColor)) | (up(G(BackColor)) << 8) | (up(B(BackColor)) << 16));
}

void TBlackBoard::Wipe(const TRect& L, const TRect& N, int32_t X, int32_t Y, int32_t LastX,
                       int32_t LastY, bool Smear) {
  auto TL = [](const TRect& r) { return Point(r.left, r.top); };
  auto TR = [](const TRect& r) { return Point(r.right, r.top); };
  auto BR = [](const TRect& r) { return Point(r.right, r.bottom); };
  auto BL = [](const TRect& r) { return Point(r.left, r.bottom); };
  std::array<TPoint, 6> p;
  if (X < LastX && Y < LastY)
    p = {TL(N), TR(N), TR(L), BR(L), BL(L), BL(N)};
  else if (X < LastX)
    p = {TL(N), TL(L), TR(L), BR(L), BR(N), BL(N)};
  else if (LastY < Y)
    p = {TL(L), TR(L), TR(N), BR(N), BL(N), BL(L)};
  else
    p = {TL(N), TR(N), BR(N), BR(L), BL(L), TL(L)};

  // The wipe sets every drawing state it uses, so it paints the same whatever came before. No
  // outline: the fill alone covers the eraser's 128 x 54 (right and bottom edges excluded).
  const TColor c = WipeColor(Smear);
  TCanvas* cv = Board->Canvas();
  cv->Pen()->SetStyle(psClear);
  cv->Pen()->SetWidth(1);
  cv->Pen()->SetColor(c);
  cv->Brush()->SetBitmap(nullptr);
  cv->Brush()->SetStyle(bsSolid);
  cv->Brush()->SetColor(c);
  cv->Polygon(std::span<const TPoint>(p.data(), p.size()));

  // The same area off the tray dust: its row 0 is the page's last row. Filled as a polygon (the
  // same pixels as its region) so that only the tray dust's few rows are scanned: the region of
  // a sweep across a log's whole coordinate range would be some 66,000 rows tall.
  for (TPoint& q : p) q.y += TrayHeight - ScreenHeight + 1;
  HDC dust = Dust->TrayDust->Canvas()->Handle();
  const int saved = SaveDC(dust);
  SelectObject(dust, GetStockObject(NULL_PEN));
  SelectObject(dust, GetStockObject(BLACK_BRUSH));
  SetPolyFillMode(dust, WINDING);
  Polygon(dust, p.data(), static_cast<int>(p.size()));
  RestoreDC(dust, saved);
}

void TBlackBoard::Sweep(bool Long, int32_t X, int32_t Y, int32_t LastY, int32_t LastX, bool Smear) {
  if (Long)
    Wipe(Rect(LastX, LastY, LastX + 88, LastY + 640), Rect(X, Y, X + 88, Y + 640), X, Y, LastX, LastY,
         Smear);
  else
    Wipe(Rect(LastX - 64, LastY - 18, LastX + 64, LastY + 36), Rect(X - 64, Y - 18, X + 64, Y + 36),
         X, Y, LastX, LastY, Smear);
}

void TBlackBoard::EraseStroke(int32_t X, int32_t Y, int32_t LastY, int32_t LastX) {
  Sweep(false, X, Y, LastY, LastX, (Options & obYogore) != 0);
}

void TBlackBoard::LongEraseStroke(int32_t X, int32_t Y, int32_t LastY, int32_t LastX) {
  Sweep(true, X, Y, LastY, LastX, (Options & obYogore) != 0);
}

void TBlackBoard::FingerStroke(int32_t LastX, int32_t LastY, int32_t Y, int32_t X) {
  const TColor c = WipeColor((Options & obYogore) != 0);
  TCanvas* cv = Board->Canvas();
  cv->Pen()->SetStyle(psSolid);
  cv->Brush()->SetBitmap(nullptr);
  cv->Brush()->SetStyle(bsSolid);
  cv->Pen()->SetColor(c);
  cv->Brush()->SetColor(c);
  cv->Pen()->SetWidth(10);
  cv->MoveTo(LastX, LastY);
  cv->LineTo(X, Y);
  cv->Pen()->SetWidth(1);
}
