// One frame on the drawing control's back surface: the page, the dust, the tray with its tools,
// the arrows, the page number, the recording markers and the grid; then the tool cursor.
#include <algorithm>
#include <cmath>
#include <vector>

#include "DXDraws.h"
#include "DXPixelRow.h"
#include "Math.h"
#include "Unit_Slatora.h"
#include "windows.h"

namespace {

const char* const kPageNumberFont = "MS UI ゴシック";

TRect PointRect(int32_t X, int32_t Y) { return Rect(X, Y, X + 1, Y + 1); }

}  // namespace

bool RectsIntersect(const TRect& R1, const TRect& R2) {
  RECT a = R1, b = R2, out{};
  return IntersectRect(&out, &a, &b) != FALSE;
}

double SnapRulerDegrees(double Degrees) {
  // Ranges inclusive at both ends, the first that holds wins.
  static const double kSteps[][2] = {{22, 0},    {67, 45},   {112, 90},  {157, 135}, {202, 180},
                                     {247, 225}, {292, 270}, {337, 315}, {360, 360}};
  double low = 0;
  for (const auto& s : kSteps) {
    if (Degrees >= low && Degrees <= s[0]) return s[1];
    low = s[0];
  }
  return Degrees;
}

double RulerDegrees(const TPoint& A, const TPoint& P, bool Snap) {
  double angle;
  if (A.x == P.x) {
    angle = A.y == P.y ? 0 : A.y < P.y ? 90 : 270;
  } else {
    angle = std::atan2(static_cast<double>(A.y) - P.y, static_cast<double>(A.x) - P.x) * 180 / M_PI + 180;
  }
  return Snap ? SnapRulerDegrees(angle) : angle;
}

int32_t DrawAngle256(double Degrees) {
  const int64_t a = Round(static_cast<Extended>(Degrees) * 256 / 360);
  return static_cast<int32_t>(((a % 256) + 256) % 256);
}

void TBlackBoard::DrawPageNumber(TCanvas* Canvas, int32_t X, int32_t Y) {
  Canvas->Brush()->SetColor(clBlack);
  Canvas->Brush()->SetStyle(bsSolid);
  Canvas->Font()->SetColor(static_cast<TColor>(0xFFFFFF));
  Canvas->Font()->SetSize(16);
  Canvas->Font()->SetName(kPageNumberFont);
  const AnsiString text = IntToStr(static_cast<int64_t>(CurrentPage)) + "/" + IntToStr(static_cast<int64_t>(PageCount));
  const int32_t tw = Canvas->TextWidth(text);
  Canvas->TextOut(X < ScreenWidth - tw ? X : ScreenWidth - tw, Y, text);
}

struct TBlackBoard::ComposedPage {
  std::unique_ptr<TDirectDrawSurface> surface;
  TDirectDraw* ddraw = nullptr;
  // The page it shows, as of its stamp, and the grid over it (no surface: none).
  const void* page = nullptr;
  uint64_t pageStamp = 0;
  TBoardPatternSource grid;

  // What the back surface holds, as of its stamp: this page with the areas drawnOver drawn over
  // it since (only while backKnown). A frame then puts back just those areas.
  bool backKnown = false;
  const void* back = nullptr;
  uint64_t backStamp = 0;
  std::vector<TRect> drawnOver;

  // The tray dust as last given to its picture, and that picture as it was then.
  uint64_t trayDustStamp = 0;
  const TGraphic* trayDustShown = nullptr;
  uint64_t trayDustShownStamp = 0;

  bool BackUnchanged(TDirectDrawSurface* Surface) const {
    return backKnown && back == Surface->IDDSurface() && backStamp == Surface->ContentStamp();
  }
  void DrawnOver(const TRect& r) {
    if (!surface) return;
    const TRect part = Rect(std::max(r.left, 0), std::max(r.top, 0), std::min(r.right, surface->Width()),
                            std::min(r.bottom, surface->Height()));
    if (part.left < part.right && part.top < part.bottom) drawnOver.push_back(part);
  }
  void DrawnOver(int32_t X, int32_t Y, int32_t W, int32_t H) { DrawnOver(Rect(X, Y, X + W, Y + H)); }
};

namespace {

bool SameFormat(const DDPIXELFORMAT& a, const DDPIXELFORMAT& b) {
  return a.dwFlags == b.dwFlags && a.dwRGBBitCount == b.dwRGBBitCount && a.dwRBitMask == b.dwRBitMask &&
         a.dwGBitMask == b.dwGBitMask && a.dwBBitMask == b.dwBBitMask;
}

bool SameGrid(const TBoardPatternSource& a, const TBoardPatternSource& b) {
  return a.Surface == b.Surface && a.Version == b.Version && a.Transparent == b.Transparent &&
         (a.Surface == nullptr || (a.Rect.left == b.Rect.left && a.Rect.top == b.Rect.top &&
                                   a.Rect.right == b.Rect.right && a.Rect.bottom == b.Rect.bottom));
}

TRect Intersection(const TRect& a, const TRect& b) {
  const TRect r = Rect(std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                       std::min(a.bottom, b.bottom));
  return r.left < r.right && r.top < r.bottom ? r : Rect(0, 0, 0, 0);
}

bool IsEmpty(const TRect& r) { return r.left >= r.right || r.top >= r.bottom; }

constexpr size_t kMostAreasPutBack = 4096;

int64_t Area(const TRect& r) { return int64_t(r.right - r.left) * (r.bottom - r.top); }

TRect Join(const TRect& a, const TRect& b) {
  return Rect(std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
              std::max(a.bottom, b.bottom));
}

// Areas that overlap, or lie so near that one copy of both costs less than two, become one.
std::vector<TRect> JoinNearAreas(std::vector<TRect> areas) {
  constexpr int64_t kCopyCost = 256;  // pixels a copy of its own is worth
  std::sort(areas.begin(), areas.end(), [](const TRect& a, const TRect& b) { return a.top < b.top; });
  std::vector<TRect> joined;
  for (const TRect& r : areas) {
    TRect cur = r;
    // Only the last few joined areas can still be near: they are ordered by their tops.
    for (size_t i = joined.size(); i-- > 0 && joined.size() - i <= 8;) {
      const TRect both = Join(joined[i], cur);
      if (Area(both) <= Area(joined[i]) + Area(cur) + kCopyCost) {
        cur = both;
        joined.erase(joined.begin() + static_cast<ptrdiff_t>(i));
        i = joined.size();
      }
    }
    joined.push_back(cur);
  }
  return joined;
}

// Where a rotated draw can land (its corners placed as the drawing layer places them), as bands
// of rows a little wider than the turned rectangle: far less than its bounding box at an angle.
std::vector<TRect> RotatedAreas(int32_t X, int32_t Y, int32_t W, int32_t H, double CenterX, double CenterY,
                                int32_t Angle) {
  const double a = (Angle & 255) * 2.0 * M_PI / 256.0, ca = std::cos(a), sa = std::sin(a);
  double px[4], py[4];
  const double corners[4][2] = {{0, 0}, {double(W), 0}, {double(W), double(H)}, {0, double(H)}};  // in order round
  for (int i = 0; i < 4; ++i) {
    const double cx = std::trunc(corners[i][0] - CenterX * W), cy = std::trunc(corners[i][1] - CenterY * H);
    px[i] = X + cx * ca - cy * sa;
    py[i] = Y + cx * sa + cy * ca;
  }
  constexpr double kMargin = 3;
  constexpr int32_t kBandRows = 16;
  // Rows far off any screen are left out.
  const double top = std::max(std::min({py[0], py[1], py[2], py[3]}) - kMargin, -1.0 * kBandRows);
  const double bottom = std::min(std::max({py[0], py[1], py[2], py[3]}) + kMargin, 32768.0);
  std::vector<TRect> bands;
  for (double y0 = std::floor(top); y0 < bottom; y0 += kBandRows) {
    const double y1 = std::min(y0 + kBandRows, std::ceil(bottom));
    // The quad's reach within rows y0 .. y1 (widened by the margin's rows above and below).
    const double lo = y0 - kMargin, hi = y1 + kMargin;
    double minX = 1e18, maxX = -1e18;
    for (int i = 0; i < 4; ++i) {
      const int j = (i + 1) % 4;
      double ya = py[i], yb = py[j], xa = px[i], xb = px[j];
      if (ya > yb) std::swap(ya, yb), std::swap(xa, xb);
      if (yb < lo || ya > hi) continue;
      // The edge clipped to the rows: its x at both ends of the clipped part.
      for (const double y : {std::max(ya, lo), std::min(yb, hi)}) {
        const double x = yb > ya ? xa + (xb - xa) * (y - ya) / (yb - ya) : std::min(xa, xb);
        const double x2 = yb > ya ? x : std::max(xa, xb);
        minX = std::min(minX, x);
        maxX = std::max(maxX, x2);
      }
    }
    if (minX > maxX) continue;
    bands.push_back(Rect(static_cast<int32_t>(std::floor(minX - kMargin)), static_cast<int32_t>(y0),
                         static_cast<int32_t>(std::ceil(maxX + kMargin)), static_cast<int32_t>(y1)));
  }
  return bands;
}

// The dust in the air, written straight into the surface's pixels. Over a composed grid a
// particle where the grid has a line is left out: the grid lies over the dust. False when the
// grid could not be read (its lines are then drawn over the dust afterwards).
template <typename Over>
bool DrawDust(TDirectDrawSurface* Surface, TKonaList* Dust, const TBoardPatternSource* Grid, Over over) {
  if (Dust->Count() == 0) return true;
  DDSURFACEDESC2 d{};
  if (!Surface->Lock(nullptr, d)) return false;
  DDSURFACEDESC2 g{};
  g.dwSize = sizeof g;
  bool gridRead = false;
  IDirectDrawSurface7* gridPixels = Grid && Grid->Surface ? Grid->Surface->IDDSurface() : nullptr;
  if (gridPixels) gridRead = gridPixels->Lock(nullptr, &g, DDLOCK_READONLY | DDLOCK_WAIT, nullptr) == DD_OK;
  const TRect gr = Grid ? Grid->Rect : Rect(0, 0, 0, 0);
  const DDPIXELFORMAT& gf = g.ddpfPixelFormat;
  const uint32_t gridMask =
      gf.dwFlags & DDPF_PALETTEINDEXED8 ? 0xFF : gf.dwRBitMask | gf.dwGBitMask | gf.dwBBitMask;
  const uint32_t gridKey = g.ddckCKSrcBlt.dwColorSpaceLowValue & gridMask;
  const int bits = Surface->BitCount(), gridBits = static_cast<int>(gf.dwRGBBitCount);
  TColor lastColor = clBlack;
  uint32_t lastPixel = Surface->ColorMatch(lastColor);
  for (int i = 0; i < Dust->Count(); ++i) {
    const TKona* k = Dust->Get(i);
    if (k->X < 0 || k->Y < 0 || k->X >= Surface->Width() || k->Y >= Surface->Height()) continue;
    if (gridRead && k->X < gr.right - gr.left && k->Y < gr.bottom - gr.top) {
      const auto* row = static_cast<const uint8_t*>(g.lpSurface) + static_cast<ptrdiff_t>(gr.top + k->Y) * g.lPitch;
      const uint32_t v = DXPixelRow::Read(row, gridBits, gr.left + k->X) & gridMask;
      if (!Grid->Transparent || v != gridKey) continue;
    }
    if (k->Color != lastColor) {
      lastColor = k->Color;
      lastPixel = Surface->ColorMatch(lastColor);
    }
    DXPixelRow::Write(static_cast<uint8_t*>(d.lpSurface) + static_cast<ptrdiff_t>(k->Y) * d.lPitch, bits, k->X,
                      lastPixel);
    over(k->X, k->Y, 1, 1);
  }
  if (gridRead) gridPixels->Unlock(nullptr);
  Surface->Unlock();
  return !gridPixels || gridRead;
}

// The grid's pattern drawn at (0, 0), only where it meets Area.
void DrawGridPart(TDirectDrawSurface* Dest, const TBoardPatternSource& Grid, const TRect& Area) {
  const TRect& g = Grid.Rect;
  const TRect part = Intersection(Area, Rect(0, 0, g.right - g.left, g.bottom - g.top));
  if (IsEmpty(part)) return;
  Dest->Draw(part.left, part.top,
             Rect(g.left + part.left, g.top + part.top, g.left + part.right, g.top + part.bottom), Grid.Surface,
             Grid.Transparent);
}

}  // namespace

bool TBlackBoard::DrawComposedPage(TDirectDrawSurface* Surface, const TBoardPatternSource& Grid) {
  TBitmap* page = Board.get();
  const int32_t w = page->Width(), h = page->Height();
  if (w <= 0 || h <= 0 || page->Transparent() || !Surface->IDDSurface()) return false;
  if (!Composed) Composed = std::make_shared<ComposedPage>();
  ComposedPage& c = *Composed;
  TDirectDrawSurface* kept = c.surface.get();
  // Kept while it is a surface of the same display, size and format as the back surface.
  if (!kept || c.ddraw != DXDraw->DDraw() || !kept->IDDSurface() || kept->IsLost() || kept->Width() != w ||
      kept->Height() != h || !SameFormat(kept->SurfaceDesc().ddpfPixelFormat, Surface->SurfaceDesc().ddpfPixelFormat)) {
    c.surface.reset();
    c.page = nullptr;
    auto made = std::make_unique<TDirectDrawSurface>(DXDraw->DDraw());
    made->SetSize(w, h);
    if (!made->IDDSurface() || !SameFormat(made->SurfaceDesc().ddpfPixelFormat, Surface->SurfaceDesc().ddpfPixelFormat))
      return false;
    c.surface = std::move(made);
    c.ddraw = DXDraw->DDraw();
    kept = c.surface.get();
  }
  TRect changed = Rect(0, 0, w, h);
  uint64_t stamp;
  if (c.page == page->HandleIdentity() && SameGrid(c.grid, Grid)) {
    stamp = page->ChangedSince(c.pageStamp, changed);
  } else {
    stamp = page->ContentStamp();
  }
  if (!IsEmpty(changed)) {
    // Forgotten first: a failure below leaves it to be made whole next time.
    c.page = nullptr;
    TDirectDrawSurfaceCanvas* canvas = kept->Canvas();
    try {
      BitBlt(canvas->Handle(), changed.left, changed.top, changed.right - changed.left, changed.bottom - changed.top,
             page->Canvas()->Handle(), changed.left, changed.top, SRCCOPY);
    } catch (...) {
      canvas->Release();
      throw;
    }
    canvas->Release();
    if (Grid.Surface) DrawGridPart(kept, Grid, changed);
  }
  c.page = page->HandleIdentity();
  c.pageStamp = stamp;
  c.grid = Grid;
  // The back surface gets back the composed page where it was drawn over or changed; anything
  // else drawn on it since, or too many areas, and it is copied whole.
  const bool restore = c.BackUnchanged(Surface) && c.drawnOver.size() <= kMostAreasPutBack &&
                       !(changed.left == 0 && changed.top == 0 && changed.right == w && changed.bottom == h);
  c.backKnown = false;
  if (restore) {
    if (!IsEmpty(changed)) c.drawnOver.push_back(changed);
    for (const TRect& r : JoinNearAreas(c.drawnOver)) Surface->Draw(r.left, r.top, r, kept, false);
  } else {
    Surface->Draw(0, 0, kept->ClientRect(), kept, false);
  }
  c.drawnOver.clear();
  c.back = Surface->IDDSurface();
  return true;
}

void TBlackBoard::PaintFrame() {
  if (!DXDraw || !ImageList || !DXDraw->CanDraw()) return;
  const int32_t W = ScreenWidth, H = ScreenHeight, T = TrayHeight;
  TDirectDrawSurface* surface = DXDraw->Surface();
  // The grid goes into the kept page when it lies within the page; what the frame draws under
  // it afterwards (dust, markers, the tray) gets the grid drawn over it again.
  TBoardPatternSource grid;
  bool gridInPage = false, composed = false;
  if (GridOn) {
    gridInPage = ImageList->Find("Grid")->PatternSource(0, grid) &&
                 (!grid.Surface || (grid.Rect.right - grid.Rect.left <= Board->Width() &&
                                    grid.Rect.bottom - grid.Rect.top <= Board->Height()));
  }
  if (!GridOn || gridInPage) composed = DrawComposedPage(surface, GridOn ? grid : TBoardPatternSource{});
  gridInPage = composed && GridOn && grid.Surface;
  // What this frame draws over the composed page, to be put back before the next one.
  ComposedPage* record = composed ? Composed.get() : nullptr;
  auto over = [&](int32_t X, int32_t Y, int32_t w, int32_t h) {
    if (record) record->DrawnOver(X, Y, w, h);
  };
  int32_t markerBottom = 0;  // the recording markers lie above this row
  bool dustUnderGrid = false;  // the dust was drawn leaving out what the grid covers
  auto drawGrid = [&] {
    if (!GridOn) return;
    if (!composed) {
      ImageList->Find("Grid")->Draw(surface, 0, 0, 0);
      return;
    }
    if (!gridInPage) return;
    if (!dustUnderGrid)
      for (int i = 0; i < Dust->Count(); ++i) {
        const TKona* k = Dust->Get(i);
        DrawGridPart(surface, grid, Rect(k->X, k->Y, k->X + 1, k->Y + 1));
      }
    if (markerBottom > 0) DrawGridPart(surface, grid, Rect(0, 0, W, markerBottom));
    if ((Tool == tlChalk || Tool == tlFinger) && ValidChalk(Chalk->Index))
      DrawGridPart(surface, grid, Chalks->Get(Chalk->Index)->Rect);
    DrawGridPart(surface, grid, Rect(0, H - T, W, H));
  };
  TDirectDrawSurfaceCanvas* canvas = surface->Canvas();
  try {
    if (!composed) canvas->Draw(0, 0, Board.get());
    canvas->Release();  // the dust goes in through a lock
    dustUnderGrid = DrawDust(surface, Dust.get(), gridInPage ? &grid : nullptr, over);
    HDC dc = canvas->Handle();
    // The tray's rows lie below the page: nothing drawn there needs putting back.
    BitBlt(dc, 0, H - T, W, T, Tray->Canvas()->Handle(), 0, 0, SRCCOPY);
    if ((Tool == tlChalk || Tool == tlFinger) && ValidChalk(Chalk->Index)) {
      // The chalk in hand is lifted out of the tray.
      const TChalkListItem* c = Chalks->Get(Chalk->Index);
      const TRect& r = c->Rect;
      StretchBlt(dc, r.left - 5, H - T, r.right - r.left + 5, T, TrayStrip->Canvas()->Handle(), 0, 0, TrayStrip->Width(),
                 TrayStrip->Height(), SRCCOPY);
      BlitBlackTransparent(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, c->Picture->Canvas()->Handle(), 0, 0);
      over(r.left, r.top, r.right - r.left, r.bottom - r.top);
    }
    TBoardPictureItem* prev = ImageList->Find(CurrentPage == 1 ? "nonprev" : "prev");
    TBoardPictureItem* next = ImageList->Find(CurrentPage < PageCount || LastPageDrawn == 1 ? "next" : "nonnext");
    BitBlt(dc, 0, H - T, prev->Width(), prev->Height(), prev->Picture()->Bitmap()->Canvas()->Handle(), 0, 0, SRCCOPY);
    BitBlt(dc, W - next->Width(), H - T, next->Width(), next->Height(), next->Picture()->Bitmap()->Canvas()->Handle(), 0,
           0, SRCCOPY);
    const TRect mouse = PointRect(Chalk->LastX, Chalk->LastY);
    const int32_t prevWidth = ImageList->Find("prev")->Width(), nextWidth = ImageList->Find("next")->Width();
    if (RectsIntersect(mouse, Rect(0, H - T, prevWidth, H)))
      DrawPageNumber(canvas, 0, H - T);
    else if (RectsIntersect(mouse, Rect(W - nextWidth, H - T, W, H)))
      DrawPageNumber(canvas, W, H - T);
    if (LogState == 1) {
      canvas->Font()->SetColor(static_cast<TColor>(0x0000FF));
      canvas->Font()->SetSize(24);
      canvas->Font()->SetStyle(TFontStyles{fsBold});
      canvas->Brush()->SetStyle(bsSolid);
      canvas->Brush()->SetColor(static_cast<TColor>(0x0000FF));
      canvas->Pen()->SetColor(static_cast<TColor>(0x0000FF));
      const int32_t h = canvas->TextHeight("R");
      markerBottom = 10 + 2 * h + 4;
      over(0, 0, W, markerBottom);
      canvas->Ellipse(15, 15, h + 5, h + 5);
      canvas->Brush()->SetStyle(bsClear);
      canvas->TextOut(10, 10, "   REC");
    } else if (LogState == 2) {
      canvas->Font()->SetColor(static_cast<TColor>(0x00FF00));
      canvas->Brush()->SetStyle(bsSolid);
      canvas->Brush()->SetColor(static_cast<TColor>(0x00FF00));
      canvas->Pen()->SetColor(static_cast<TColor>(0x00FF00));
      canvas->Pen()->SetWidth(1);
      canvas->Font()->SetSize(24);
      canvas->Font()->SetStyle(TFontStyles{fsBold});
      const int32_t h = canvas->TextHeight("P");
      markerBottom = 10 + 2 * h + 4;
      over(0, 0, W, markerBottom);
      canvas->Polygon({Point(10, 10), Point(static_cast<int32_t>(Round(h / 2.0L * 1.5L)) + 10, h / 2 + 10),
                       Point(10, h + 10)});
      canvas->Brush()->SetStyle(bsClear);
      canvas->TextOut(10, 10, "    PLAY");
    }
  } catch (...) {
    canvas->Release();
    drawGrid();
    throw;
  }
  canvas->Release();
  drawGrid();

  TBoardPictureItem* trayDust = ImageList->Find("UkezaraKona");
  // The tray's dust picture is taken again only when the dust or the picture changed since.
  if (!Composed) Composed = std::make_shared<ComposedPage>();
  ComposedPage& c = *Composed;
  const uint64_t dustStamp = Dust->TrayDust->ContentStamp();
  TGraphic* shown = trayDust->Picture()->Graphic();
  if (dustStamp != c.trayDustStamp || !shown || shown != c.trayDustShown ||
      shown->ContentStamp() != c.trayDustShownStamp) {
    c.trayDustShown = nullptr;
    trayDust->Picture()->Assign(Dust->TrayDust);
    shown = trayDust->Picture()->Graphic();
    c.trayDustStamp = dustStamp;
    c.trayDustShownStamp = shown ? shown->ContentStamp() : 0;
    c.trayDustShown = shown;
  }
  ImageList->Restore();
  trayDust->Draw(surface, 0, H - T - 1, 0);
  over(0, H - T - 1, trayDust->Width(), trayDust->Height());

  TBoardPictureItem* eraser = ImageList->Find("eraser");
  TBoardPictureItem* longEraser = ImageList->Find("longEraser");
  TBoardPictureItem* ruler = ImageList->Find("icontri");
  if (Tool != tlEraser) {
    eraser->Draw(surface, EraserRect.left, EraserRect.top, 0);
    over(EraserRect.left, EraserRect.top, eraser->Width(), eraser->Height());
  }
  const int32_t x = EraserRect.left - (longEraser->Width() + 10);
  if (Tool != tlLongEraser) longEraser->Draw(surface, x, H - T, 0);
  if (Tool != tlRuler) ruler->Draw(surface, x - ruler->Width() - 10, H - T, 0);
  if (record) {
    record->backKnown = true;
    record->backStamp = surface->ContentStamp();
  }
}

void TBlackBoard::DrawToolCursor(const TPoint& P) {
  if (!DXDraw || !ImageList || !DXDraw->CanDraw()) return;
  const int32_t H = ScreenHeight, T = TrayHeight;
  TDirectDrawSurface* surface = DXDraw->Surface();
  // Drawn over a frame the board knows, its areas are added to those to put back.
  ComposedPage* record = Composed && Composed->BackUnchanged(surface) ? Composed.get() : nullptr;
  if (Composed) Composed->backKnown = false;
  auto over = [&](const TRect& r) {
    if (record) record->DrawnOver(r);
  };
  auto drawItem = [&](TBoardPictureItem* item, int32_t X, int32_t Y) {
    item->Draw(surface, X, Y, 0);
    over(Rect(X, Y, X + item->Width(), Y + item->Height()));
  };
  auto drawRotated = [&](TBoardPictureItem* item, bool alpha, int32_t X, int32_t Y, int32_t w, int32_t h,
                         double cx, double cy, int32_t angle) {
    if (alpha)
      item->DrawRotateAlpha(surface, X, Y, w, h, 0, cx, cy, angle, 128);
    else
      item->DrawRotate(surface, X, Y, w, h, 0, cx, cy, angle);
    for (const TRect& r : RotatedAreas(X, Y, w, h, cx, cy, angle)) over(r);
  };
  auto drawAlpha = [&](TBoardPictureItem* item, const TRect& r) {
    item->DrawAlpha(surface, r, 0, 128);
    over(r);
  };
  auto done = [&] {
    if (!record) return;
    record->backKnown = true;
    record->backStamp = surface->ContentStamp();
  };
  if (P.y >= H - T) {
    drawItem(ImageList->Find("finger"), P.x - ImageList->Find("finger")->Width() / 2, P.y);
    done();
    return;
  }
  if (PictureWaiting) {
    TDirectDrawSurfaceCanvas* canvas = surface->Canvas();
    try {
      const char* const hint = "左クリックで描画　右クリックで中止";
      canvas->Brush()->SetColor(clBlack);
      canvas->Font()->SetColor(clWhite);
      canvas->Font()->SetSize(12);
      const int32_t th = canvas->TextHeight("A");
      canvas->TextOut(P.x, P.y - th, hint);
      // Wide enough for glyphs reaching past their advance.
      over(Rect(P.x - th, P.y - 2 * th, P.x + canvas->TextWidth(hint) + th, P.y + th));
    } catch (...) {
      canvas->Release();
      throw;
    }
    canvas->Release();
    drawItem(ImageList->Find("DragPic"), P.x, P.y);
    done();
    return;
  }
  switch (Tool) {
    case tlChalk: {
      TBoardPictureItem* tool = ImageList->Find("NowTool");
      if (Chalk->Mode == 2)
        drawRotated(tool, false, P.x, P.y, tool->Width(), tool->Height(), 0.5, 0.5, DrawAngle256(Chalk->Angle));
      else if (Chalk->Mode <= 3)
        drawRotated(tool, false, P.x + 1, P.y - 5, tool->Width(), tool->Height(), 0, 0, 32);
      break;
    }
    case tlEraser: {
      TBoardPictureItem* eraser = ImageList->Find("eraser");
      drawItem(eraser, P.x - eraser->Width() / 2, P.y - eraser->Height() / 2);
      break;
    }
    case tlFinger:
      drawItem(ImageList->Find("finger"), P.x - 10, P.y - 5);
      break;
    case tlLongEraser:
      drawItem(ImageList->Find("longEraser"), P.x, P.y);
      break;
    case tlRuler: {
      TBoardPictureItem* triangle = ImageList->Find("trijogi");
      TBoardPictureItem* marks = ImageList->Find("memori");
      TBoardPictureItem* tool = ImageList->Find("NowTool");
      const int32_t hN = tool->Height();
      if (RulerAnchored == 0) {
        drawAlpha(triangle, Rect(P.x, P.y, P.x + triangle->Width(), P.y + triangle->Height()));
        drawItem(marks, P.x, P.y);
        drawItem(tool, P.x, P.y - hN / 2);
        break;
      }
      const TPoint A = Point(Chalk->LastX, Chalk->LastY);
      const int32_t angle = DrawAngle256(RulerDegrees(A, P, GetKeyState(VK_SHIFT) < 0));
      const int32_t d = PointDistance(P.x, P.y, A.x, A.y);
      const int32_t tw = triangle->Width(), th = triangle->Height();
      int32_t w = tw, h = th;
      if (d > tw && tw > 0) {
        const double s = static_cast<double>(d) / tw;
        w = static_cast<int32_t>(Trunc(tw * s));
        h = static_cast<int32_t>(Trunc(th * s));
      }
      drawRotated(triangle, true, A.x, A.y, w, h, 0, 0, angle);
      drawRotated(marks, false, A.x, A.y, w, h, 0, 0, angle);
      drawItem(tool, P.x, P.y - hN / 2);
      drawAlpha(tool, Rect(A.x, A.y - hN / 2, A.x + tool->Width(), A.y - hN / 2 + hN));
      break;
    }
    default:
      break;
  }
  done();
}
