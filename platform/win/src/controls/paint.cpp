// Classic painting of the standard controls.
#include "controls/paint.h"

#include <algorithm>
#include <string>
#include <vector>

#include "wintext.h"
#include "winuser.h"

namespace winplat::controls::paint {

namespace {

// Restores what a painter changes on the DC.
class DcState {
 public:
  explicit DcState(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
  ~DcState() { RestoreDC(dc_, saved_); }
  DcState(const DcState&) = delete;
  DcState& operator=(const DcState&) = delete;

 private:
  HDC dc_;
  int saved_;
};

COLORREF Sys(int i) { return GetSysColor(i); }

void HLine(HDC dc, int x0, int x1, int y, COLORREF c) {
  RECT r{x0, y, x1, y + 1};
  Fill(dc, r, c);
}
void VLine(HDC dc, int x, int y0, int y1, COLORREF c) {
  RECT r{x, y0, x + 1, y1};
  Fill(dc, r, c);
}

// Top-left in one colour, bottom-right in another, one pixel wide.
void Frame2(HDC dc, const RECT& r, COLORREF tl, COLORREF br) {
  if (r.right <= r.left || r.bottom <= r.top) return;
  HLine(dc, r.left, r.right - 1, r.top, tl);
  VLine(dc, r.left, r.top, r.bottom - 1, tl);
  HLine(dc, r.left, r.right, r.bottom - 1, br);
  VLine(dc, r.right - 1, r.top, r.bottom, br);
}

RECT Shrink(const RECT& r, int d) { return RECT{r.left + d, r.top + d, r.right - d, r.bottom - d}; }
void Offset(RECT* r, int dx, int dy) {
  r->left += dx; r->right += dx; r->top += dy; r->bottom += dy;
}

// Text with the platform's disabled look: embossed, highlight under shadow.
void Text(HDC dc, RECT r, std::u16string_view text, UINT flags, bool disabled, COLORREF color) {
  SetBkMode(dc, TRANSPARENT);
  int n = static_cast<int>(text.size());
  if (disabled) {
    RECT o = r;
    Offset(&o, 1, 1);
    SetTextColor(dc, Sys(COLOR_BTNHIGHLIGHT));
    DrawTextW(dc, reinterpret_cast<LPCWSTR>(text.data()), n, &o, flags);
    SetTextColor(dc, Sys(COLOR_GRAYTEXT));
  } else {
    SetTextColor(dc, color);
  }
  DrawTextW(dc, reinterpret_cast<LPCWSTR>(text.data()), n, &r, flags);
}

}  // namespace

void Fill(HDC dc, const RECT& r, COLORREF c) {
  HBRUSH b = CreateSolidBrush(c);
  FillRect(dc, &r, b);
  DeleteObject(b);
}

void FillSys(HDC dc, const RECT& r, int colorIndex) { Fill(dc, r, Sys(colorIndex)); }

void DrawEdge3D(HDC dc, const RECT& r, Edge edge) {
  switch (edge) {
    case Edge::Raised:
      Frame2(dc, r, Sys(COLOR_3DLIGHT), Sys(COLOR_3DDKSHADOW));
      Frame2(dc, Shrink(r, 1), Sys(COLOR_BTNHIGHLIGHT), Sys(COLOR_BTNSHADOW));
      break;
    case Edge::Sunken:
      Frame2(dc, r, Sys(COLOR_BTNSHADOW), Sys(COLOR_BTNHIGHLIGHT));
      Frame2(dc, Shrink(r, 1), Sys(COLOR_3DDKSHADOW), Sys(COLOR_3DLIGHT));
      break;
    case Edge::Etched: {
      RECT a{r.left, r.top, r.right - 1, r.bottom - 1};
      RECT b{r.left + 1, r.top + 1, r.right, r.bottom};
      Frame2(dc, b, Sys(COLOR_BTNHIGHLIGHT), Sys(COLOR_BTNHIGHLIGHT));
      Frame2(dc, a, Sys(COLOR_BTNSHADOW), Sys(COLOR_BTNSHADOW));
      break;
    }
    case Edge::RaisedThin:
      Frame2(dc, r, Sys(COLOR_BTNHIGHLIGHT), Sys(COLOR_BTNSHADOW));
      break;
    case Edge::SunkenThin:
      Frame2(dc, r, Sys(COLOR_BTNSHADOW), Sys(COLOR_BTNHIGHLIGHT));
      break;
  }
}

void PushButton(HDC dc, const RECT& r, std::u16string_view text, const ButtonState& s, bool noPrefix) {
  DcState keep(dc);
  RECT face = r;
  FillSys(dc, face, COLOR_BTNFACE);
  if (s.isDefault || s.focused) {
    Frame2(dc, face, Sys(COLOR_WINDOWFRAME), Sys(COLOR_WINDOWFRAME));
    face = Shrink(face, 1);
  }
  if (s.pushed) {
    Frame2(dc, face, Sys(COLOR_BTNSHADOW), Sys(COLOR_BTNSHADOW));
  } else {
    DrawEdge3D(dc, face, Edge::Raised);
  }
  RECT tr = Shrink(face, 2);
  if (s.pushed) Offset(&tr, 1, 1);
  UINT flags = DT_CENTER | DT_VCENTER | DT_SINGLELINE | (noPrefix ? DT_NOPREFIX : 0);
  Text(dc, tr, text, flags, s.disabled, Sys(COLOR_BTNTEXT));
  if (s.focused) {
    RECT f = Shrink(face, 3);
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
    DrawFocusRect(dc, &f);
  }
}

void CheckGlyph(HDC dc, int x, int y, int check, bool pushed, bool disabled) {
  RECT box{x, y, x + 13, y + 13};
  DrawEdge3D(dc, box, Edge::Sunken);
  RECT in = Shrink(box, 2);
  Fill(dc, in, (pushed || disabled) ? Sys(COLOR_BTNFACE) : Sys(COLOR_WINDOW));
  if (!check) return;
  COLORREF mark = check == 2 || disabled ? Sys(COLOR_GRAYTEXT) : Sys(COLOR_WINDOWTEXT);
  // The classic tick: three pixels thick, falling then rising.
  static const int kTick[7] = {2, 3, 4, 3, 2, 1, 0};
  for (int i = 0; i < 7; ++i) VLine(dc, x + 3 + i, y + 3 + kTick[i] + 1, y + 3 + kTick[i] + 4, mark);
}

void RadioGlyph(HDC dc, int x, int y, bool checked, bool pushed, bool disabled) {
  DcState keep(dc);
  // Outer half-circles in the sunken colours, then the white inside.
  HPEN shadow = CreatePen(PS_SOLID, 1, Sys(COLOR_BTNSHADOW));
  HBRUSH inside = CreateSolidBrush((pushed || disabled) ? Sys(COLOR_BTNFACE) : Sys(COLOR_WINDOW));
  HGDIOBJ op = SelectObject(dc, shadow);
  HGDIOBJ ob = SelectObject(dc, inside);
  Ellipse(dc, x, y, x + 12, y + 12);
  SelectObject(dc, op);
  SelectObject(dc, ob);
  DeleteObject(shadow);
  DeleteObject(inside);
  if (checked) {
    HBRUSH dot = CreateSolidBrush(disabled ? Sys(COLOR_GRAYTEXT) : Sys(COLOR_WINDOWTEXT));
    HPEN none = static_cast<HPEN>(GetStockObject(NULL_PEN));
    op = SelectObject(dc, none);
    ob = SelectObject(dc, dot);
    Ellipse(dc, x + 4, y + 4, x + 9, y + 9);
    SelectObject(dc, op);
    SelectObject(dc, ob);
    DeleteObject(dot);
  }
}

namespace {

void GlyphButton(HDC dc, const RECT& r, std::u16string_view text, const ButtonState& s, bool leftText, bool radio) {
  DcState keep(dc);
  int gy = r.top + (r.bottom - r.top - 13) / 2;
  int gx = leftText ? r.right - 13 : r.left;
  if (radio) RadioGlyph(dc, gx, gy, s.check != 0, s.pushed, s.disabled);
  else CheckGlyph(dc, gx, gy, s.check, s.pushed, s.disabled);
  RECT tr = r;
  if (leftText) tr.right -= 13 + 4;
  else tr.left += 13 + 4;
  UINT flags = DT_VCENTER | DT_SINGLELINE | (leftText ? DT_RIGHT : DT_LEFT);
  Text(dc, tr, text, flags, s.disabled, Sys(COLOR_BTNTEXT));
  if (s.focused && !text.empty()) {
    RECT calc = tr;
    DrawTextW(dc, reinterpret_cast<LPCWSTR>(text.data()), static_cast<int>(text.size()), &calc,
              flags | DT_CALCRECT);
    int h = calc.bottom - calc.top;
    RECT f{calc.left - 1, tr.top + (tr.bottom - tr.top - h) / 2 - 1, 0, 0};
    if (leftText) f.left = tr.right - (calc.right - calc.left) - 1;
    f.right = f.left + (calc.right - calc.left) + 2;
    f.bottom = f.top + h + 2;
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
    DrawFocusRect(dc, &f);
  }
}

}  // namespace

void CheckBox(HDC dc, const RECT& r, std::u16string_view text, const ButtonState& s, bool leftText) {
  GlyphButton(dc, r, text, s, leftText, false);
}

void RadioButton(HDC dc, const RECT& r, std::u16string_view text, const ButtonState& s, bool leftText) {
  GlyphButton(dc, r, text, s, leftText, true);
}

void GroupBox(HDC dc, const RECT& r, std::u16string_view text, bool disabled) {
  DcState keep(dc);
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  int half = static_cast<int>(tm.tmHeight / 2);
  RECT frame{r.left, r.top + half, r.right, r.bottom};
  DrawEdge3D(dc, frame, Edge::Etched);
  if (text.empty()) return;
  RECT calc{0, 0, 0, 0};
  DrawTextW(dc, reinterpret_cast<LPCWSTR>(text.data()), static_cast<int>(text.size()), &calc,
            DT_SINGLELINE | DT_CALCRECT);
  // The caption interrupts the top line, with a blank either side.
  RECT gap{r.left + 6, r.top, std::min<LONG>(r.left + 6 + (calc.right - calc.left) + 4, r.right - 2),
           r.top + tm.tmHeight};
  FillSys(dc, gap, COLOR_BTNFACE);
  RECT tr{gap.left + 2, gap.top, gap.right, gap.bottom};
  Text(dc, tr, text, DT_SINGLELINE | DT_LEFT | DT_TOP, disabled, Sys(COLOR_BTNTEXT));
}

void StaticText(HDC dc, const RECT& r, std::u16string_view text, UINT dtFlags, bool disabled) {
  DcState keep(dc);
  Text(dc, r, text, dtFlags, disabled, Sys(COLOR_WINDOWTEXT));
}

int TextWidth(HDC dc, std::u16string_view text, size_t count) {
  if (count == 0) return 0;
  count = std::min(count, text.size());
  SIZE sz{0, 0};
  GetTextExtentPoint32W(dc, reinterpret_cast<LPCWSTR>(text.data()), static_cast<int>(count), &sz);
  return static_cast<int>(sz.cx);
}

size_t PosFromX(HDC dc, std::u16string_view text, int x, int scrollX) {
  int want = x + scrollX;
  if (want <= 0 || text.empty()) return 0;
  int prev = 0;
  for (size_t i = 1; i <= text.size(); ++i) {
    // Never land between the halves of a pair.
    if (i < text.size() && text[i] >= 0xDC00 && text[i] <= 0xDFFF && text[i - 1] >= 0xD800 && text[i - 1] <= 0xDBFF)
      continue;
    int w = TextWidth(dc, text, i);
    if (w >= want) {
      size_t before = i - 1;
      while (before > 0 && text[before] >= 0xDC00 && text[before] <= 0xDFFF) --before;
      return (want - prev) < (w - want) ? before : i;
    }
    prev = w;
  }
  return text.size();
}

int EditField(HDC dc, const RECT& client, std::u16string_view shown, size_t selStart, size_t selEnd,
              size_t caret, int scrollX, bool focused, bool disabled, bool readOnly) {
  DcState keep(dc);
  FillSys(dc, client, (disabled || readOnly) ? COLOR_BTNFACE : COLOR_WINDOW);
  IntersectClipRect(dc, client.left, client.top, client.right, client.bottom);
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  int h = static_cast<int>(tm.tmHeight);
  int y = client.top + std::max(0, (static_cast<int>(client.bottom - client.top) - h) / 2);
  int x0 = client.left + 1 - scrollX;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, disabled ? Sys(COLOR_GRAYTEXT) : Sys(COLOR_WINDOWTEXT));
  auto out = [&](size_t from, size_t to) {
    if (to <= from) return;
    TextOutW(dc, x0 + TextWidth(dc, shown, from), y, reinterpret_cast<LPCWSTR>(shown.data() + from),
             static_cast<int>(to - from));
  };
  selStart = std::min(selStart, shown.size());
  selEnd = std::min(selEnd, shown.size());
  // The selection shows while the edit has the focus, as the platform's default (no ES_NOHIDESEL).
  if (focused && selStart < selEnd) {
    out(0, selStart);
    RECT sel{x0 + TextWidth(dc, shown, selStart), y, x0 + TextWidth(dc, shown, selEnd), y + h};
    FillSys(dc, sel, COLOR_HIGHLIGHT);
    SetTextColor(dc, Sys(COLOR_HIGHLIGHTTEXT));
    out(selStart, selEnd);
    SetTextColor(dc, disabled ? Sys(COLOR_GRAYTEXT) : Sys(COLOR_WINDOWTEXT));
    out(selEnd, shown.size());
  } else {
    out(0, shown.size());
  }
  return x0 + TextWidth(dc, shown, std::min(caret, shown.size()));
}

void ListItem(HDC dc, const RECT& row, std::u16string_view text, bool selected, bool focusRect, bool disabled,
              bool controlFocused) {
  DcState keep(dc);
  (void)controlFocused;
  FillSys(dc, row, selected ? COLOR_HIGHLIGHT : COLOR_WINDOW);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, disabled ? Sys(COLOR_GRAYTEXT) : selected ? Sys(COLOR_HIGHLIGHTTEXT) : Sys(COLOR_WINDOWTEXT));
  RECT tr{row.left + 2, row.top, row.right, row.bottom};
  DrawTextW(dc, reinterpret_cast<LPCWSTR>(text.data()), static_cast<int>(text.size()), &tr,
            DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_LEFT);
  if (focusRect) {
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
    DrawFocusRect(dc, &row);
  }
}

void ProgressBar(HDC dc, const RECT& r, int lo, int hi, int pos, bool smooth, bool vertical, COLORREF bar) {
  DcState keep(dc);
  DrawEdge3D(dc, r, Edge::SunkenThin);
  RECT in = Shrink(r, 1);
  FillSys(dc, in, COLOR_BTNFACE);
  if (hi <= lo) return;
  pos = std::clamp(pos, lo, hi);
  long long span = static_cast<long long>(hi) - lo;
  int len = vertical ? in.bottom - in.top : in.right - in.left;
  int filled = static_cast<int>((static_cast<long long>(pos) - lo) * len / span);
  if (bar == kDefaultColor) bar = Sys(COLOR_HIGHLIGHT);
  RECT area = Shrink(in, 1);
  len = vertical ? area.bottom - area.top : area.right - area.left;
  filled = static_cast<int>((static_cast<long long>(pos) - lo) * len / span);
  if (smooth) {
    RECT f = area;
    if (vertical) f.top = f.bottom - filled;
    else f.right = f.left + filled;
    Fill(dc, f, bar);
    return;
  }
  // Blocks two thirds of the bar's thickness wide, two pixels apart.
  int thick = vertical ? area.right - area.left : area.bottom - area.top;
  int block = std::max(2, thick * 2 / 3);
  for (int at = 0; at < filled; at += block + 2) {
    int w = std::min(block, filled - at);
    RECT b = area;
    if (vertical) { b.bottom = area.bottom - at; b.top = b.bottom - w; }
    else { b.left = area.left + at; b.right = b.left + w; }
    Fill(dc, b, bar);
  }
}

void ToolButtonFace(HDC dc, const RECT& r, const ToolState& s) {
  FillSys(dc, r, COLOR_BTNFACE);
  if (s.pressed || s.checked) {
    if (s.checked && !s.pressed) {
      // A checked button shows a light dither inside, as the classic toolbar.
      RECT in = Shrink(r, 1);
      for (int y = in.top; y < in.bottom; ++y)
        for (int x = in.left + ((y - in.top) & 1); x < in.right; x += 2) SetPixelV(dc, x, y, Sys(COLOR_BTNHIGHLIGHT));
    }
    DrawEdge3D(dc, r, Edge::SunkenThin);
  } else if (s.hot || !s.flat) {
    if (s.flat) DrawEdge3D(dc, r, Edge::RaisedThin);
    else DrawEdge3D(dc, r, Edge::Raised);
  }
}

void ArrowButton(HDC dc, const RECT& r, int dir, bool pushed, bool disabled) {
  FillSys(dc, r, COLOR_BTNFACE);
  if (pushed) Frame2(dc, r, Sys(COLOR_BTNSHADOW), Sys(COLOR_BTNSHADOW));
  else DrawEdge3D(dc, r, Edge::Raised);
  int w = r.right - r.left, h = r.bottom - r.top;
  int size = std::max(1, std::min(w, h) / 3);  // the arrow's half-base
  int cx = r.left + w / 2 + (pushed ? 1 : 0), cy = r.top + h / 2 + (pushed ? 1 : 0);
  COLORREF c = disabled ? Sys(COLOR_GRAYTEXT) : Sys(COLOR_BTNTEXT);
  int rows = (size + 1) / 2 + 1;
  for (int i = 0; i < rows; ++i) {
    int half = i;
    switch (dir) {
      case 0: HLine(dc, cx - half, cx + half + 1, cy - rows / 2 + i, c); break;
      case 1: HLine(dc, cx - half, cx + half + 1, cy + rows / 2 - i, c); break;
      case 2: VLine(dc, cx - rows / 2 + i, cy - half, cy + half + 1, c); break;
      default: VLine(dc, cx + rows / 2 - i, cy - half, cy + half + 1, c); break;
    }
  }
}

}  // namespace winplat::controls::paint
