// Regions as bands of rectangles, their algebra and scan conversion of polygons and ellipses.
#include <algorithm>
#include <cmath>
#include "gdi/gdi_private.h"

namespace winplat::gdi {

namespace {
using Spans = std::vector<std::pair<int, int>>;

// Appends bands in top-to-bottom order, merging a band into the previous one when it continues
// it with the same spans.
class Builder {
 public:
  explicit Builder(Region* out) : out_(out) { out_->rects.clear(); }
  void Add(int top, int bottom, const Spans& spans) {
    if (top >= bottom || spans.empty()) return;
    if (lastBottom_ == top && spans == last_) {
      for (size_t i = out_->rects.size() - spans.size(); i < out_->rects.size(); ++i)
        out_->rects[i].bottom = bottom;
    } else {
      for (const auto& s : spans) out_->rects.push_back(RECT{s.first, top, s.second, bottom});
      last_ = spans;
    }
    lastBottom_ = bottom;
  }
  void Finish() {
    Region& r = *out_;
    if (r.rects.empty()) {
      r.bounds = RECT{0, 0, 0, 0};
      return;
    }
    r.bounds = RECT{r.rects.front().left, r.rects.front().top, r.rects.front().right, r.rects.back().bottom};
    for (const RECT& x : r.rects) {
      r.bounds.left = std::min(r.bounds.left, x.left);
      r.bounds.right = std::max(r.bounds.right, x.right);
    }
  }

 private:
  Region* out_;
  Spans last_;
  int lastBottom_ = INT32_MIN;
};

// Spans of the band covering row y, walking `index` forward (bands are visited in order).
void SpansAt(const Region& r, int y, size_t* index, Spans* out) {
  out->clear();
  const auto& v = r.rects;
  size_t i = *index;
  while (i < v.size() && v[i].bottom <= y) ++i;
  *index = i;
  if (i >= v.size() || v[i].top > y) return;
  const int top = v[i].top;
  for (size_t j = i; j < v.size() && v[j].top == top; ++j) out->emplace_back(v[j].left, v[j].right);
}

void CombineSpans(const Spans& a, const Spans& b, int mode, Spans* out) {
  out->clear();
  // Sweep over the edges of both span lists.
  std::vector<std::pair<int, int>> edges;  // (x, +1/-1 for a as 1, b as 2)
  edges.reserve(2 * (a.size() + b.size()));
  for (const auto& s : a) {
    edges.emplace_back(s.first, 1);
    edges.emplace_back(s.second, -1);
  }
  for (const auto& s : b) {
    edges.emplace_back(s.first, 2);
    edges.emplace_back(s.second, -2);
  }
  std::sort(edges.begin(), edges.end());
  bool inA = false, inB = false, inside = false;
  int start = 0;
  for (size_t i = 0; i < edges.size();) {
    const int x = edges[i].first;
    for (; i < edges.size() && edges[i].first == x; ++i) {
      switch (edges[i].second) {
        case 1: inA = true; break;
        case -1: inA = false; break;
        case 2: inB = true; break;
        default: inB = false; break;
      }
    }
    bool now = false;
    switch (mode) {
      case RGN_AND: now = inA && inB; break;
      case RGN_OR: now = inA || inB; break;
      case RGN_XOR: now = inA != inB; break;
      case RGN_DIFF: now = inA && !inB; break;
      default: now = inA; break;
    }
    if (now && !inside) {
      start = x;
      inside = true;
    } else if (!now && inside) {
      if (x > start) out->emplace_back(start, x);
      inside = false;
    }
  }
}
}  // namespace

int Region::Complexity() const {
  return rects.empty() ? NULLREGION : rects.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

void Region::Clear() {
  rects.clear();
  bounds = RECT{0, 0, 0, 0};
}

void Region::SetRect(const RECT& r) {
  rects.clear();
  RECT n{std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right), std::max(r.top, r.bottom)};
  if (RectEmpty(n)) {
    bounds = RECT{0, 0, 0, 0};
    return;
  }
  rects.push_back(n);
  bounds = n;
}

Region Region::FromRect(const RECT& r) {
  Region g;
  g.SetRect(r);
  return g;
}

void Region::Offset(int dx, int dy) {
  if (rects.empty()) return;
  const int64_t l = int64_t{bounds.left} + dx, r = int64_t{bounds.right} + dx;
  const int64_t t = int64_t{bounds.top} + dy, b = int64_t{bounds.bottom} + dy;
  const bool inside = l >= -kCoordLimit && r <= kCoordLimit && t >= -kCoordLimit && b <= kCoordLimit;
  for (RECT& q : rects) {
    q.left = ClampInt(int64_t{q.left} + dx);
    q.right = ClampInt(int64_t{q.right} + dx);
    q.top = ClampInt(int64_t{q.top} + dy);
    q.bottom = ClampInt(int64_t{q.bottom} + dy);
  }
  if (inside) {
    bounds = RECT{static_cast<LONG>(l), static_cast<LONG>(t), static_cast<LONG>(r), static_cast<LONG>(b)};
    return;
  }
  Normalize();  // clamping at the limits may have emptied or merged rectangles
}

bool Region::Contains(int x, int y) const {
  if (x < bounds.left || x >= bounds.right || y < bounds.top || y >= bounds.bottom) return false;
  auto it = std::partition_point(rects.begin(), rects.end(), [y](const RECT& r) { return r.bottom <= y; });
  for (; it != rects.end() && it->top <= y; ++it)
    if (x >= it->left && x < it->right) return true;
  return false;
}

bool Region::Intersects(const RECT& q) const {
  RECT n{std::min(q.left, q.right), std::min(q.top, q.bottom), std::max(q.left, q.right), std::max(q.top, q.bottom)};
  if (RectEmpty(Intersect(n, bounds))) return false;
  for (const RECT& r : rects)
    if (!RectEmpty(Intersect(r, n))) return true;
  return false;
}

bool Region::operator==(const Region& o) const {
  if (rects.size() != o.rects.size()) return false;
  for (size_t i = 0; i < rects.size(); ++i) {
    const RECT &a = rects[i], &b = o.rects[i];
    if (a.left != b.left || a.top != b.top || a.right != b.right || a.bottom != b.bottom) return false;
  }
  return true;
}

void Region::Normalize() {
  // Rebuild from the distinct rows so the band invariants hold whatever the input.
  Region copy;
  copy.rects.swap(rects);
  std::vector<int> ys;
  for (const RECT& r : copy.rects) {
    if (RectEmpty(r)) continue;
    ys.push_back(r.top);
    ys.push_back(r.bottom);
  }
  std::sort(ys.begin(), ys.end());
  ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
  Builder b(this);
  Spans spans, merged;
  for (size_t k = 0; k + 1 < ys.size(); ++k) {
    spans.clear();
    for (const RECT& r : copy.rects)
      if (!RectEmpty(r) && r.top <= ys[k] && r.bottom > ys[k]) spans.emplace_back(r.left, r.right);
    std::sort(spans.begin(), spans.end());
    merged.clear();
    for (const auto& s : spans) {
      if (!merged.empty() && s.first <= merged.back().second)
        merged.back().second = std::max(merged.back().second, s.second);
      else
        merged.push_back(s);
    }
    b.Add(ys[k], ys[k + 1], merged);
  }
  b.Finish();
}

Region Region::Combine(const Region& a, const Region& b, int mode) {
  Region out;
  if (mode == RGN_COPY) {
    out = a;
    return out;
  }
  if (mode == RGN_AND && (a.Empty() || b.Empty())) return out;
  if ((mode == RGN_OR || mode == RGN_XOR) && b.Empty()) return a;
  if ((mode == RGN_OR || mode == RGN_XOR) && a.Empty()) return b;
  if (mode == RGN_DIFF && (a.Empty() || b.Empty())) return a;
  if (mode == RGN_AND && (a.rects.size() == 1 || b.rects.size() == 1)) {
    // Clipping by one rectangle (the common case: a shape and a DC's clip): band by band.
    const bool aIsRect = a.rects.size() == 1;
    const Region& many = aIsRect ? b : a;
    const RECT c = aIsRect ? a.rects[0] : b.rects[0];
    Builder builder(&out);
    Spans spans;
    const auto& v = many.rects;
    // The first band reaching below the rectangle's top (bands run top to bottom).
    size_t i = static_cast<size_t>(
        std::partition_point(v.begin(), v.end(), [&](const RECT& r) { return r.bottom <= c.top; }) - v.begin());
    while (i < v.size() && v[i].top < c.bottom) {
      const int top = v[i].top, bottom = v[i].bottom;
      spans.clear();
      for (; i < v.size() && v[i].top == top; ++i) {
        const int l = std::max(v[i].left, c.left), r = std::min(v[i].right, c.right);
        if (l < r) spans.emplace_back(l, r);
      }
      builder.Add(std::max<int>(top, c.top), std::min<int>(bottom, c.bottom), spans);
    }
    builder.Finish();
    return out;
  }
  // The band edges of both, each list already in order (bands run top to bottom).
  auto edgesOf = [](const Region& r) {
    std::vector<int> e;
    e.reserve(2 * r.rects.size());
    for (size_t i = 0; i < r.rects.size(); ++i) {
      const RECT& q = r.rects[i];
      if (i > 0 && r.rects[i - 1].top == q.top) continue;  // another rectangle of the same band
      if (e.empty() || e.back() != q.top) e.push_back(q.top);
      e.push_back(q.bottom);
    }
    return e;
  };
  const std::vector<int> ea = edgesOf(a), eb = edgesOf(b);
  std::vector<int> ys(ea.size() + eb.size());
  std::merge(ea.begin(), ea.end(), eb.begin(), eb.end(), ys.begin());
  ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
  Builder builder(&out);
  size_t ia = 0, ib = 0;
  Spans sa, sb, sc;
  for (size_t k = 0; k + 1 < ys.size(); ++k) {
    SpansAt(a, ys[k], &ia, &sa);
    SpansAt(b, ys[k], &ib, &sb);
    CombineSpans(sa, sb, mode, &sc);
    builder.Add(ys[k], ys[k + 1], sc);
  }
  builder.Finish();
  return out;
}

void ScanPolygons(const POINT* points, const INT* counts, int polygons, int fillMode, int yMin,
                  int yMax, const std::function<void(int, int, int)>& span) {
  struct Edge {
    double x0, y0, dxdy;  // x at y0 and slope
    int yTop, yBottom;    // rows whose centres the edge crosses: yTop <= y < yBottom
    int dir;
  };
  std::vector<Edge> edges;
  int64_t total = 0;
  for (int p = 0; p < polygons; ++p) total += counts[p] > 0 ? counts[p] : 0;
  edges.reserve(static_cast<size_t>(total));
  int rowTop = INT32_MAX, rowBottom = INT32_MIN;
  const POINT* poly = points;
  for (int p = 0; p < polygons; ++p) {
    const int n = counts[p];
    if (n <= 0) continue;
    for (int i = 0; i < n; ++i) {
      const POINT a = poly[i], b = poly[(i + 1) % n];
      if (a.y == b.y) continue;
      const bool down = b.y > a.y;
      const POINT top = down ? a : b, bot = down ? b : a;
      Edge e;
      e.x0 = top.x;
      e.y0 = top.y;
      e.dxdy = static_cast<double>(int64_t{bot.x} - top.x) / static_cast<double>(int64_t{bot.y} - top.y);
      // Pixel row y has its centre at y + 0.5 relative to the coordinate grid of the points,
      // whose (x, y) is the top-left corner of pixel (x, y).
      e.yTop = top.y;        // first row with centre >= top.y: centre y + 0.5 >= top.y
      e.yBottom = bot.y;     // centre < bot.y
      e.dir = down ? 1 : -1;
      rowTop = std::min(rowTop, e.yTop);
      rowBottom = std::max(rowBottom, e.yBottom);
      edges.push_back(e);
    }
    poly += n;
  }
  if (edges.empty()) return;
  const int y0 = std::max(rowTop, yMin), y1 = std::min(rowBottom, yMax);
  if (y0 >= y1) return;
  std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) { return a.yTop < b.yTop; });
  std::vector<const Edge*> active;
  std::vector<std::pair<double, int>> xs;
  size_t next = 0;
  for (int y = y0; y < y1; ++y) {
    while (next < edges.size() && edges[next].yTop <= y) active.push_back(&edges[next++]);
    active.erase(std::remove_if(active.begin(), active.end(), [y](const Edge* e) { return e->yBottom <= y; }),
                 active.end());
    if (active.empty()) {
      if (next >= edges.size()) break;
      continue;
    }
    const double yc = y + 0.5;
    xs.clear();
    for (const Edge* e : active) xs.emplace_back(e->x0 + (yc - e->y0) * e->dxdy, e->dir);
    std::sort(xs.begin(), xs.end());
    int wind = 0;
    for (size_t i = 0; i + 1 < xs.size(); ++i) {
      wind += fillMode == WINDING ? xs[i].second : 1;
      const bool in = fillMode == WINDING ? wind != 0 : (wind & 1) != 0;
      if (!in) continue;
      // Pixel x is inside when its centre x + 0.5 lies in [xa, xb): the left edge includes,
      // the right excludes (the top-left rule).
      const double xa = std::ceil(xs[i].first - 0.5), xb = std::ceil(xs[i + 1].first - 0.5);
      const double lo = std::max(xa, -static_cast<double>(kCoordLimit));
      const double hi = std::min(xb, static_cast<double>(kCoordLimit));
      if (lo < hi) span(y, static_cast<int>(lo), static_cast<int>(hi));
    }
  }
}

Region Region::FromPolygons(const POINT* points, const INT* counts, int polygons, int fillMode) {
  Region out;
  Builder builder(&out);
  Spans row, merged;  // reused from row to row: a shape can be 2^18 rows tall
  int rowY = INT32_MIN;
  auto flush = [&]() {
    if (rowY == INT32_MIN) return;
    // Windings may give touching or overlapping spans; merge them.
    if (row.size() > 1) std::sort(row.begin(), row.end());
    merged.clear();
    for (const auto& s : row) {
      if (!merged.empty() && s.first <= merged.back().second)
        merged.back().second = std::max(merged.back().second, s.second);
      else
        merged.push_back(s);
    }
    builder.Add(rowY, rowY + 1, merged);
    row.clear();
  };
  ScanPolygons(points, counts, polygons, fillMode, -kRegionRowLimit, kRegionRowLimit,
               [&](int y, int x0, int x1) {
                 if (y != rowY) {
                   flush();
                   rowY = y;
                 }
                 row.emplace_back(x0, x1);
               });
  flush();
  builder.Finish();
  return out;
}

Region Region::FromEllipse(const RECT& box) { return FromEllipse(box, -kRegionRowLimit, kRegionRowLimit); }

Region Region::FromEllipse(const RECT& box, int yMin, int yMax) {
  Region out;
  RECT b{std::min(box.left, box.right), std::min(box.top, box.bottom), std::max(box.left, box.right),
         std::max(box.top, box.bottom)};
  b = Intersect(b, RECT{static_cast<LONG>(-kCoordLimit), static_cast<LONG>(-kCoordLimit),
                        static_cast<LONG>(kCoordLimit), static_cast<LONG>(kCoordLimit)});
  if (RectEmpty(b)) return out;
  const double cx = (double(b.left) + b.right) / 2, cy = (double(b.top) + b.bottom) / 2;
  const double rx = (double(b.right) - b.left) / 2, ry = (double(b.bottom) - b.top) / 2;
  Builder builder(&out);
  Spans row(1);
  const int rowEnd = std::min(static_cast<int>(b.bottom), yMax);
  for (int y = std::max(static_cast<int>(b.top), yMin); y < rowEnd; ++y) {
    const double dy = (y + 0.5 - cy) / ry;
    const double t = 1.0 - dy * dy;
    if (t < 0) continue;
    const double half = rx * std::sqrt(t);
    // Pixels whose centres lie within [cx - half, cx + half].
    int x0 = static_cast<int>(std::ceil(cx - half - 0.5));
    int x1 = static_cast<int>(std::floor(cx + half - 0.5)) + 1;
    x0 = std::max(x0, static_cast<int>(b.left));
    x1 = std::min(x1, static_cast<int>(b.right));
    if (x0 >= x1) continue;
    row[0] = {x0, x1};
    builder.Add(y, y + 1, row);
  }
  builder.Finish();
  return out;
}

// ---- The region calls ------------------------------------------------------------------------

namespace {
HRGN AddRegion(Region r) {
  auto obj = std::make_shared<RegionObject>();
  obj->region = std::move(r);
  HRGN h = static_cast<HRGN>(HandleTable::Instance().Add(HandleKind::Region, obj));
  obj->handle = h;
  return h;
}
std::shared_ptr<RegionObject> RegionOrFail(HRGN h) {
  auto r = LookupRegion(h);
  if (!r) SetLastError(ERROR_INVALID_HANDLE);
  return r;
}
bool ValidPolyArgs(const POINT* points, const INT* counts, int polygons, int64_t* total) {
  if (!points || !counts || polygons <= 0) return false;
  int64_t t = 0;
  for (int i = 0; i < polygons; ++i) {
    if (counts[i] < 2) return false;
    t += counts[i];
  }
  *total = t;
  return t <= (int64_t{1} << 24);
}
}  // namespace

}  // namespace winplat::gdi

using namespace winplat;
using namespace winplat::gdi;

HRGN WINAPI CreateRectRgn(int left, int top, int right, int bottom) {
  return AddRegion(Region::FromRect(RECT{ClampInt(left), ClampInt(top), ClampInt(right), ClampInt(bottom)}));
}

HRGN WINAPI CreateRectRgnIndirect(const RECT* rect) {
  if (!rect) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom);
}

HRGN WINAPI CreatePolyPolygonRgn(const POINT* points, const INT* counts, int polygons, int fillMode) {
  int64_t total = 0;
  if (!ValidPolyArgs(points, counts, polygons, &total) || (fillMode != ALTERNATE && fillMode != WINDING)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return AddRegion(Region::FromPolygons(points, counts, polygons, fillMode));
}

HRGN WINAPI CreatePolygonRgn(const POINT* points, int count, int fillMode) {
  return CreatePolyPolygonRgn(points, &count, 1, fillMode);
}

HRGN WINAPI CreateEllipticRgn(int left, int top, int right, int bottom) {
  return AddRegion(Region::FromEllipse(RECT{left, top, right, bottom}));
}

HRGN WINAPI CreateEllipticRgnIndirect(const RECT* rect) {
  if (!rect) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return CreateEllipticRgn(rect->left, rect->top, rect->right, rect->bottom);
}

BOOL WINAPI SetRectRgn(HRGN region, int left, int top, int right, int bottom) {
  auto r = RegionOrFail(region);
  if (!r) return FALSE;
  r->region.SetRect(RECT{ClampInt(left), ClampInt(top), ClampInt(right), ClampInt(bottom)});
  return TRUE;
}

int WINAPI CombineRgn(HRGN dest, HRGN src1, HRGN src2, int mode) {
  auto d = RegionOrFail(dest);
  auto a = RegionOrFail(src1);
  if (!d || !a) return ERROR;
  if (mode < RGN_AND || mode > RGN_COPY) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return ERROR;
  }
  if (mode == RGN_COPY) {
    d->region = a->region;
    return d->region.Complexity();
  }
  auto b = RegionOrFail(src2);
  if (!b) return ERROR;
  Region result = Region::Combine(a->region, b->region, mode);
  d->region = std::move(result);
  return d->region.Complexity();
}

int WINAPI OffsetRgn(HRGN region, int dx, int dy) {
  auto r = RegionOrFail(region);
  if (!r) return ERROR;
  r->region.Offset(dx, dy);
  return r->region.Complexity();
}

BOOL WINAPI EqualRgn(HRGN a, HRGN b) {
  auto ra = RegionOrFail(a);
  auto rb = RegionOrFail(b);
  if (!ra || !rb) return ERROR;
  return ra->region == rb->region ? TRUE : FALSE;
}

int WINAPI GetRgnBox(HRGN region, LPRECT rect) {
  auto r = RegionOrFail(region);
  if (!r || !rect) {
    if (r) SetLastError(ERROR_INVALID_PARAMETER);
    return ERROR;
  }
  *rect = r->region.bounds;
  return r->region.Complexity();
}

BOOL WINAPI PtInRegion(HRGN region, int x, int y) {
  auto r = RegionOrFail(region);
  return r && r->region.Contains(x, y) ? TRUE : FALSE;
}

BOOL WINAPI RectInRegion(HRGN region, const RECT* rect) {
  auto r = RegionOrFail(region);
  if (!r || !rect) return FALSE;
  return r->region.Intersects(*rect) ? TRUE : FALSE;
}
