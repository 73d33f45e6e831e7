// Lines, polygons, rectangles, ellipses and region painting with the DC's pen, brush and ROP2.
#include <algorithm>
#include <cmath>
#include "gdi/gdi_private.h"

namespace winplat::gdi {

namespace {

struct Pen {
  bool visible = false;
  int width = 1;
  UINT style = PS_SOLID;
  UINT endCap = PS_ENDCAP_ROUND;
  COLORREF color = 0;
};

Pen PenOf(const DC& dc) {
  Pen p;
  const PenObject* o = dc.pen.get();
  if (!o || o->style == PS_NULL) return p;
  p.visible = true;
  p.width = std::max(1, o->width);
  p.style = o->style;
  p.endCap = o->extended ? o->endCap : PS_ENDCAP_ROUND;
  p.color = o->dcPen ? dc.dcPenColor : o->color;
  return p;
}

// On/off run lengths of the styled cosmetic pens.
const int* DashPattern(UINT style, int* count) {
  static const int dash[] = {18, 6}, dot[] = {3, 3}, dashDot[] = {9, 6, 3, 6}, dashDotDot[] = {9, 3, 3, 3, 3, 3};
  switch (style) {
    case PS_DASH: *count = 2; return dash;
    case PS_DOT: *count = 2; return dot;
    case PS_DASHDOT: *count = 4; return dashDot;
    case PS_DASHDOTDOT: *count = 6; return dashDotDot;
    case PS_ALTERNATE: {
      static const int alt[] = {1, 1};
      *count = 2;
      return alt;
    }
    default: *count = 0; return nullptr;
  }
}

// Whether step `i` of a styled line is drawn (true) or a gap.
bool DashOn(const int* pattern, int count, int total, int64_t i) {
  int64_t k = i % total;
  for (int j = 0; j < count; ++j) {
    if (k < pattern[j]) return (j & 1) == 0;
    k -= pattern[j];
  }
  return true;
}

POINT Clamp(POINT p) { return POINT{ClampInt(p.x), ClampInt(p.y)}; }

// Applies paint to one device pixel if the clip lets it through.
inline void PlotPixel(const DC& dc, const FillPaint& paint, int x, int y) {
  const Region& c = dc.effectiveClip;
  if (x < c.bounds.left || x >= c.bounds.right || y < c.bounds.top || y >= c.bounds.bottom) return;
  if (c.rects.size() != 1 && !c.Contains(x, y)) return;
  PaintSpanUnclipped(paint, y, x, x + 1);
}

// A one-pixel line from a to b, without b. `styleStep` carries the dash position across the
// segments of one polyline.
void ThinLine(DC& dc, const Pen& pen, POINT a, POINT b, int64_t* styleStep) {
  const int64_t dx = int64_t{b.x} - a.x, dy = int64_t{b.y} - a.y;
  const int64_t adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
  const int64_t steps = std::max(adx, ady);
  if (steps == 0) return;
  FillPaint on, off;
  MakeColorPaint(dc, pen.color, &on);
  int patCount = 0;
  const int* pattern = DashPattern(pen.style, &patCount);
  int patTotal = 0;
  for (int i = 0; i < patCount; ++i) patTotal += pattern[i];
  const bool gapsOpaque = pattern && dc.bkMode == OPAQUE;
  if (gapsOpaque) MakeColorPaint(dc, dc.bkColor, &off);
  const bool xMajor = adx >= ady;
  const int64_t major0 = xMajor ? a.x : a.y, minor0 = xMajor ? a.y : a.x;
  const int64_t dMajor = xMajor ? dx : dy, dMinor = xMajor ? dy : dx;
  const int sMajor = dMajor < 0 ? -1 : 1, sMinor = dMinor < 0 ? -1 : 1;
  const int64_t aMinor = dMinor < 0 ? -dMinor : dMinor;
  // Only the steps whose major coordinate lies inside the clip bounds can show.
  const RECT& cb = dc.effectiveClip.bounds;
  if (dc.effectiveClip.Empty()) {
    if (styleStep) *styleStep += steps;
    return;
  }
  const int64_t lo = xMajor ? cb.left : cb.top, hi = (xMajor ? cb.right : cb.bottom) - 1;
  int64_t iFirst, iLast;
  if (sMajor > 0) {
    iFirst = lo - major0;
    iLast = hi - major0;
  } else {
    iFirst = major0 - hi;
    iLast = major0 - lo;
  }
  iFirst = std::max<int64_t>(iFirst, 0);
  iLast = std::min<int64_t>(iLast, steps - 1);
  const int64_t base = styleStep ? *styleStep : 0;
  RECT touched{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
  for (int64_t i = iFirst; i <= iLast; ++i) {
    const int64_t major = major0 + sMajor * i;
    // Minor coordinate: i * dMinor / dMajor rounded half away from the start.
    const int64_t minor = minor0 + sMinor * ((2 * i * aMinor + steps) / (2 * steps));
    const int x = static_cast<int>(xMajor ? major : minor), y = static_cast<int>(xMajor ? minor : major);
    if (pattern && !DashOn(pattern, patCount, patTotal, base + i)) {
      if (!gapsOpaque) continue;
      PlotPixel(dc, off, x, y);
    } else {
      PlotPixel(dc, on, x, y);
    }
    touched.left = std::min<LONG>(touched.left, x);
    touched.top = std::min<LONG>(touched.top, y);
    touched.right = std::max<LONG>(touched.right, x + 1);
    touched.bottom = std::max<LONG>(touched.bottom, y + 1);
  }
  if (styleStep) *styleStep += steps;
  if (!RectEmpty(touched)) dc.Damage(touched);
}

// A line of width > 1: the set of pixel centres within width/2 of the segment (round caps),
// or of its rectangle body alone (flat caps) or extended by width/2 (square caps).
template <class SpanFn>
void WideLineSpans(const DC& dc, const Pen& pen, POINT a, POINT b, SpanFn&& emit) {
  const double r = pen.width / 2.0;
  // Odd widths centre on pixel centres, even widths on pixel corners, so both cover `width` rows.
  const double c = (pen.width & 1) ? 0.5 : 0.0;
  double ax = a.x + c, ay = a.y + c, bx = b.x + c, by = b.y + c;
  double dx = bx - ax, dy = by - ay;
  double len = std::sqrt(dx * dx + dy * dy);
  const bool round = pen.endCap == PS_ENDCAP_ROUND || len == 0;
  if (pen.endCap == PS_ENDCAP_SQUARE && len > 0) {
    ax -= dx / len * r;
    ay -= dy / len * r;
    bx += dx / len * r;
    by += dy / len * r;
    dx = bx - ax;
    dy = by - ay;
    len = std::sqrt(dx * dx + dy * dy);
  }
  const RECT& cb = dc.effectiveClip.bounds;
  if (dc.effectiveClip.Empty()) return;
  const double top = std::min(ay, by) - r, bottom = std::max(ay, by) + r;
  const int64_t y0 = std::max<int64_t>(static_cast<int64_t>(std::floor(top - 0.5)), cb.top);
  const int64_t y1 = std::min<int64_t>(static_cast<int64_t>(std::ceil(bottom + 0.5)), cb.bottom);
  const double len2 = len * len;
  const double eps = 1e-9;
  for (int64_t y = y0; y < y1; ++y) {
    const double yc = static_cast<double>(y) + 0.5;
    double lo = INFINITY, hi = -INFINITY;
    auto disc = [&](double cx, double cy) {
      const double t = r * r - (yc - cy) * (yc - cy);
      if (t < 0) return;
      const double h = std::sqrt(t);
      lo = std::min(lo, cx - h);
      hi = std::max(hi, cx + h);
    };
    if (round) {
      disc(ax, ay);
      disc(bx, by);
    }
    if (len > 0) {
      // Along: (x - ax) * dx in [-(yc - ay) * dy, len2 - (yc - ay) * dy].
      double bl = -INFINITY, bh = INFINITY;
      const double ey = yc - ay;
      bool empty = false;
      if (std::fabs(dx) > eps) {
        double p = (-ey * dy) / dx + ax, q = (len2 - ey * dy) / dx + ax;
        if (p > q) std::swap(p, q);
        bl = std::max(bl, p);
        bh = std::min(bh, q);
      } else if (ey * dy < -eps || ey * dy > len2 + eps) {
        empty = true;
      }
      // Across: (x - ax) * dy in [ey * dx - r * len, ey * dx + r * len].
      if (std::fabs(dy) > eps) {
        double p = (ey * dx - r * len) / dy + ax, q = (ey * dx + r * len) / dy + ax;
        if (p > q) std::swap(p, q);
        bl = std::max(bl, p);
        bh = std::min(bh, q);
      } else if (std::fabs(ey * dx) > r * len + eps) {
        empty = true;
      }
      if (!empty && bl <= bh) {
        lo = std::min(lo, bl);
        hi = std::max(hi, bh);
      }
    }
    if (!(lo <= hi)) continue;
    // Pixels whose centres x + 0.5 lie in [lo, hi].
    const double xa = std::ceil(lo - 0.5 - eps), xb = std::floor(hi - 0.5 + eps) + 1;
    const int sx0 = static_cast<int>(std::max<double>(xa, cb.left)), sx1 = static_cast<int>(std::min<double>(xb, cb.right));
    if (sx0 >= sx1) continue;
    emit(static_cast<int>(y), sx0, sx1);
  }
}

void WideLine(DC& dc, const Pen& pen, POINT a, POINT b) {
  FillPaint paint;
  MakeColorPaint(dc, pen.color, &paint);
  RECT touched{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
  WideLineSpans(dc, pen, a, b, [&](int y, int x0, int x1) {
    PaintSpan(dc, paint, y, x0, x1);
    touched.left = std::min<LONG>(touched.left, x0);
    touched.right = std::max<LONG>(touched.right, x1);
    touched.top = std::min<LONG>(touched.top, y);
    touched.bottom = std::max<LONG>(touched.bottom, y + 1);
  });
  if (!RectEmpty(touched)) dc.Damage(touched);
}

// Mixes that give another result when a pixel is painted twice.
bool RepaintChanges(int rop2) {
  switch (rop2) {
    case R2_BLACK: case R2_WHITE: case R2_COPYPEN: case R2_NOTCOPYPEN: case R2_NOP: case R2_MASKPEN:
    case R2_MERGEPEN:
      return false;
    default:
      return true;
  }
}

// A wide path of several segments painted as one shape, so joins are painted once.
void WidePath(DC& dc, const Pen& pen, const POINT* pts, int n, bool closed) {
  std::vector<RECT> rects;
  const int segs = closed ? n : n - 1;
  for (int i = 0; i < segs; ++i)
    WideLineSpans(dc, pen, Clamp(pts[i]), Clamp(pts[(i + 1) % n]),
                  [&](int y, int x0, int x1) { rects.push_back(RECT{x0, y, x1, y + 1}); });
  std::stable_sort(rects.begin(), rects.end(), [](const RECT& a, const RECT& b) { return a.top < b.top; });
  Region shape;
  shape.rects = std::move(rects);
  shape.Normalize();
  FillPaint paint;
  MakeColorPaint(dc, pen.color, &paint);
  PaintRegion(dc, paint, shape);
}

void DrawSegment(DC& dc, const Pen& pen, POINT a, POINT b, int64_t* styleStep) {
  a = Clamp(a);
  b = Clamp(b);
  if (pen.width <= 1)
    ThinLine(dc, pen, a, b, styleStep);
  else
    WideLine(dc, pen, a, b);
}

// Device points of logical ones, into a reused buffer.
const POINT* ToDevicePoints(const DC& dc, const POINT* pts, size_t n) {
  thread_local std::vector<POINT> buf;
  buf.resize(n);
  for (size_t i = 0; i < n; ++i) buf[i] = Clamp(dc.ToDevice(pts[i].x, pts[i].y));
  return buf.data();
}

void FillPolygons(DC& dc, const POINT* dev, const INT* counts, int polygons) {
  if (!dc.brush) return;
  FillPaint paint;
  if (!MakeBrushPaint(dc, *dc.brush, &paint)) return;
  const Region& clip = dc.effectiveClip;
  if (clip.Empty()) return;
  RECT touched{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
  ScanPolygons(dev, counts, polygons, dc.polyFillMode, clip.bounds.top, clip.bounds.bottom,
               [&](int y, int x0, int x1) {
                 PaintSpan(dc, paint, y, x0, x1);
                 touched.left = std::min<LONG>(touched.left, x0);
                 touched.right = std::max<LONG>(touched.right, x1);
                 touched.top = std::min<LONG>(touched.top, y);
                 touched.bottom = std::max<LONG>(touched.bottom, y + 1);
               });
  if (!RectEmpty(touched)) dc.Damage(Intersect(touched, clip.bounds));
}

void OutlinePolygons(DC& dc, const POINT* dev, const INT* counts, int polygons) {
  const Pen pen = PenOf(dc);
  if (!pen.visible) return;
  const POINT* p = dev;
  for (int k = 0; k < polygons; ++k) {
    const int n = counts[k];
    if (pen.width > 1 && RepaintChanges(dc.rop2)) {
      WidePath(dc, pen, p, n, true);
    } else {
      int64_t step = 0;
      for (int i = 0; i < n; ++i) DrawSegment(dc, pen, p[i], p[(i + 1) % n], &step);
    }
    p += n;
  }
}

bool PolyArgsOk(const POINT* points, const INT* counts, int polygons, size_t* total) {
  if (!points || !counts || polygons <= 0) return false;
  size_t t = 0;
  for (int i = 0; i < polygons; ++i) {
    if (counts[i] < 2) return false;
    t += static_cast<size_t>(counts[i]);
    if (t > (size_t{1} << 24)) return false;
  }
  *total = t;
  return true;
}

RECT Normalized(const DC& dc, int l, int t, int r, int b) {
  const POINT a = Clamp(dc.ToDevice(l, t)), c = Clamp(dc.ToDevice(r, b));
  return RECT{std::min(a.x, c.x), std::min(a.y, c.y), std::max(a.x, c.x), std::max(a.y, c.y)};
}

RECT Inflate(const RECT& r, int dl, int dt, int dr, int db) {
  return RECT{ClampInt(int64_t{r.left} - dl), ClampInt(int64_t{r.top} - dt), ClampInt(int64_t{r.right} + dr),
              ClampInt(int64_t{r.bottom} + db)};
}

// Frame and interior of a box for a pen: the outer box of the pen's outline and the inner box
// left for the brush.
void PenBoxes(const Pen& pen, const DC& dc, const RECT& box, RECT* outer, RECT* inner) {
  const bool insideFrame = dc.pen && dc.pen->style == PS_INSIDEFRAME;
  const int w = pen.width;
  *outer = (w <= 1 || insideFrame) ? box : Inflate(box, (w - 1) / 2, (w - 1) / 2, w / 2, w / 2);
  *inner = Inflate(*outer, -w, -w, -w, -w);
  if (RectEmpty(*inner)) *inner = RECT{0, 0, 0, 0};
}

std::shared_ptr<BrushObject> BrushOrFail(HBRUSH h) {
  auto b = LookupBrush(h);
  if (!b) SetLastError(ERROR_INVALID_HANDLE);
  return b;
}

Region DeviceRegion(const DC& dc, const Region& logical) {
  Region r = logical;
  const POINT o = dc.ToDevice(0, 0);
  r.Offset(o.x, o.y);
  return r;
}

}  // namespace

}  // namespace winplat::gdi

using namespace winplat;
using namespace winplat::gdi;

BOOL WINAPI LineTo(HDC hdc, int x, int y) {
  auto dc = DCOrFail(hdc);
  if (!dc) return FALSE;
  const Pen pen = PenOf(*dc);
  if (pen.visible)
    DrawSegment(*dc, pen, dc->ToDevice(dc->position.x, dc->position.y), dc->ToDevice(x, y), nullptr);
  dc->position = POINT{x, y};
  return TRUE;
}

BOOL WINAPI Polyline(HDC hdc, const POINT* points, int count) {
  auto dc = DCOrFail(hdc);
  if (!dc) return FALSE;
  if (!points || count < 2) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const Pen pen = PenOf(*dc);
  if (!pen.visible) return TRUE;
  if (pen.width > 1 && RepaintChanges(dc->rop2)) {
    WidePath(*dc, pen, ToDevicePoints(*dc, points, static_cast<size_t>(count)), count, false);
    return TRUE;
  }
  int64_t step = 0;
  for (int i = 0; i + 1 < count; ++i)
    DrawSegment(*dc, pen, dc->ToDevice(points[i].x, points[i].y), dc->ToDevice(points[i + 1].x, points[i + 1].y),
                &step);
  return TRUE;
}

BOOL WINAPI PolylineTo(HDC hdc, const POINT* points, DWORD count) {
  auto dc = DCOrFail(hdc);
  if (!dc) return FALSE;
  if (!points || count == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (count > (DWORD{1} << 24)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::vector<POINT> path;
  path.reserve(count + 1);
  path.push_back(dc->position);
  path.insert(path.end(), points, points + count);
  dc->position = points[count - 1];
  const Pen pen = PenOf(*dc);
  if (!pen.visible) return TRUE;
  const POINT* dev = ToDevicePoints(*dc, path.data(), path.size());
  if (pen.width > 1 && RepaintChanges(dc->rop2)) {
    WidePath(*dc, pen, dev, static_cast<int>(path.size()), false);
    return TRUE;
  }
  int64_t step = 0;
  for (size_t i = 0; i + 1 < path.size(); ++i) DrawSegment(*dc, pen, dev[i], dev[i + 1], &step);
  return TRUE;
}

BOOL WINAPI PolyPolygon(HDC hdc, const POINT* points, const INT* counts, int polygons) {
  auto dc = DCOrFail(hdc);
  if (!dc) return FALSE;
  size_t total = 0;
  if (!PolyArgsOk(points, counts, polygons, &total)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const POINT* dev = ToDevicePoints(*dc, points, total);
  FillPolygons(*dc, dev, counts, polygons);
  OutlinePolygons(*dc, dev, counts, polygons);
  return TRUE;
}

BOOL WINAPI Polygon(HDC hdc, const POINT* points, int count) {
  if (count < 2) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return PolyPolygon(hdc, points, &count, 1);
}

BOOL WINAPI Rectangle(HDC hdc, int left, int top, int right, int bottom) {
  auto dc = DCOrFail(hdc);
  if (!dc) return FALSE;
  const RECT box = Normalized(*dc, left, top, right, bottom);
  const Pen pen = PenOf(*dc);
  FillPaint fill;
  const bool haveFill = dc->brush && MakeBrushPaint(*dc, *dc->brush, &fill);
  if (!pen.visible) {
    // Without an outline the platform fills one pixel less to the right and bottom.
    if (haveFill) PaintRegion(*dc, fill, Region::FromRect(Inflate(box, 0, 0, -1, -1)));
    return TRUE;
  }
  RECT outer, inner;
  PenBoxes(pen, *dc, box, &outer, &inner);
  if (haveFill && !RectEmpty(inner)) PaintRegion(*dc, fill, Region::FromRect(inner));
  FillPaint stroke;
  MakeColorPaint(*dc, pen.color, &stroke);
  const Region frame = Region::Combine(Region::FromRect(outer), Region::FromRect(inner), RGN_DIFF);
  PaintRegion(*dc, stroke, frame);
  return TRUE;
}

BOOL WINAPI Ellipse(HDC hdc, int left, int top, int right, int bottom) {
  auto dc = DCOrFail(hdc);
  if (!dc) return FALSE;
  const RECT box = Normalized(*dc, left, top, right, bottom);
  const RECT& cb = dc->effectiveClip.bounds;
  const Pen pen = PenOf(*dc);
  FillPaint fill;
  const bool haveFill = dc->brush && MakeBrushPaint(*dc, *dc->brush, &fill);
  if (!pen.visible) {
    if (haveFill) PaintRegion(*dc, fill, Region::FromEllipse(box, cb.top, cb.bottom));
    return TRUE;
  }
  RECT outer, inner;
  PenBoxes(pen, *dc, box, &outer, &inner);
  const Region outerRgn = Region::FromEllipse(outer, cb.top, cb.bottom);
  const Region innerRgn = RectEmpty(inner) ? Region() : Region::FromEllipse(inner, cb.top, cb.bottom);
  if (haveFill && !innerRgn.Empty()) PaintRegion(*dc, fill, innerRgn);
  FillPaint stroke;
  MakeColorPaint(*dc, pen.color, &stroke);
  PaintRegion(*dc, stroke, Region::Combine(outerRgn, innerRgn, RGN_DIFF));
  return TRUE;
}

int WINAPI FillRect(HDC hdc, const RECT* rect, HBRUSH brush) {
  auto dc = DCOrFail(hdc);
  if (!dc) return 0;
  auto b = BrushOrFail(brush);
  if (!b || !rect) return 0;
  FillPaint paint;
  if (!MakeBrushPaint(*dc, *b, &paint)) return 1;
  paint.rop2 = R2_COPYPEN;  // a pattern copy, whatever the DC's mix mode
  PaintRegion(*dc, paint, Region::FromRect(Normalized(*dc, rect->left, rect->top, rect->right, rect->bottom)));
  return 1;
}

int WINAPI FrameRect(HDC hdc, const RECT* rect, HBRUSH brush) {
  auto dc = DCOrFail(hdc);
  if (!dc) return 0;
  auto b = BrushOrFail(brush);
  if (!b || !rect) return 0;
  const RECT box = Normalized(*dc, rect->left, rect->top, rect->right, rect->bottom);
  if (RectEmpty(box)) return 1;
  FillPaint paint;
  if (!MakeBrushPaint(*dc, *b, &paint)) return 1;
  paint.rop2 = R2_COPYPEN;
  PaintRegion(*dc, paint, Region::Combine(Region::FromRect(box), Region::FromRect(Inflate(box, -1, -1, -1, -1)), RGN_DIFF));
  return 1;
}

BOOL WINAPI InvertRect(HDC hdc, const RECT* rect) {
  auto dc = DCOrFail(hdc);
  if (!dc || !rect) return FALSE;
  FillPaint paint;
  MakeColorPaint(*dc, 0, &paint);
  paint.rop2 = R2_NOT;
  PaintRegion(*dc, paint, Region::FromRect(Normalized(*dc, rect->left, rect->top, rect->right, rect->bottom)));
  return TRUE;
}

BOOL WINAPI DrawFocusRect(HDC hdc, const RECT* rect) {
  auto dc = DCOrFail(hdc);
  if (!dc || !rect) return FALSE;
  const RECT box = Normalized(*dc, rect->left, rect->top, rect->right, rect->bottom);
  if (RectEmpty(box)) return TRUE;
  // A dotted frame drawn by inverting every other pixel, so drawing it twice removes it.
  FillPaint paint;
  MakeColorPaint(*dc, 0, &paint);
  paint.rop2 = R2_NOT;
  const Region frame =
      Region::Combine(Region::FromRect(box), Region::FromRect(Inflate(box, -1, -1, -1, -1)), RGN_DIFF);
  const Region clipped = Region::Combine(frame, dc->effectiveClip, RGN_AND);
  for (const RECT& r : clipped.rects)
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x)
        if (((x + y) & 1) == 0) PaintSpanUnclipped(paint, y, x, x + 1);
  if (!clipped.Empty()) dc->Damage(clipped.bounds);
  return TRUE;
}

BOOL WINAPI FillRgn(HDC hdc, HRGN region, HBRUSH brush) {
  auto dc = DCOrFail(hdc);
  if (!dc) return FALSE;
  auto r = LookupRegion(region);
  auto b = BrushOrFail(brush);
  if (!r || !b) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  FillPaint paint;
  if (MakeBrushPaint(*dc, *b, &paint)) PaintRegion(*dc, paint, DeviceRegion(*dc, r->region));
  return TRUE;
}

BOOL WINAPI PaintRgn(HDC hdc, HRGN region) {
  auto dc = DCOrFail(hdc);
  if (!dc) return FALSE;
  auto r = LookupRegion(region);
  if (!r) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  FillPaint paint;
  if (dc->brush && MakeBrushPaint(*dc, *dc->brush, &paint)) PaintRegion(*dc, paint, DeviceRegion(*dc, r->region));
  return TRUE;
}

BOOL WINAPI FrameRgn(HDC hdc, HRGN region, HBRUSH brush, int width, int height) {
  auto dc = DCOrFail(hdc);
  if (!dc) return FALSE;
  auto r = LookupRegion(region);
  auto b = BrushOrFail(brush);
  if (!r || !b || width < 0 || height < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  // The frame is what erosion by the brush size removes from the region.
  Region eroded = r->region;
  for (int sx : {-width, width}) {
    Region m = r->region;
    m.Offset(sx, 0);
    eroded = Region::Combine(eroded, m, RGN_AND);
  }
  for (int sy : {-height, height}) {
    Region m = r->region;
    m.Offset(0, sy);
    eroded = Region::Combine(eroded, m, RGN_AND);
  }
  FillPaint paint;
  if (MakeBrushPaint(*dc, *b, &paint))
    PaintRegion(*dc, paint, DeviceRegion(*dc, Region::Combine(r->region, eroded, RGN_DIFF)));
  return TRUE;
}

BOOL WINAPI InvertRgn(HDC hdc, HRGN region) {
  auto dc = DCOrFail(hdc);
  if (!dc) return FALSE;
  auto r = LookupRegion(region);
  if (!r) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  FillPaint paint;
  MakeColorPaint(*dc, 0, &paint);
  paint.rop2 = R2_NOT;
  PaintRegion(*dc, paint, DeviceRegion(*dc, r->region));
  return TRUE;
}
