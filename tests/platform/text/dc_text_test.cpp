// The text calls on device contexts over DIB sections: extents against ink, alignment, current
// position, background modes, ExtTextOut options, DrawText drawing and clipping, A against W.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "gdi/gdi_internal.h"
#include "text_test_support.h"
#include "windows.h"
#include "winplat_mode.h"

namespace {

// A memory DC on a DIB section, filled with one colour.
class Canvas {
 public:
  Canvas(int w, int h, int bpp = 32, COLORREF fill = RGB(255, 255, 255))
      : w_(w), h_(h), bpp_(bpp) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = bpp == 32 ? -h : h;  // one top-down, one bottom-up
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = static_cast<WORD>(bpp);
    bi.bmiHeader.biCompression = BI_RGB;
    dc_ = CreateCompatibleDC(nullptr);
    bmp_ = CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, &bits_, nullptr, 0);
    old_ = SelectObject(dc_, bmp_);
    Fill(fill);
  }
  ~Canvas() {
    SelectObject(dc_, old_);
    if (font_) {
      SelectObject(dc_, oldFont_);
      DeleteObject(font_);
    }
    DeleteObject(bmp_);
    DeleteDC(dc_);
  }
  // Straight into the pixel memory, so only the text calls draw through the DC.
  void Fill(COLORREF c) {
    auto* bytes = static_cast<uint8_t*>(bits_);
    size_t stride = ((static_cast<size_t>(w_) * bpp_ / 8) + 3) & ~size_t{3};
    for (int y = 0; y < h_; ++y)
      for (int x = 0; x < w_; ++x) {
        uint8_t* p = bytes + Row(y) * stride + x * (bpp_ / 8);
        p[0] = GetBValue(c);
        p[1] = GetGValue(c);
        p[2] = GetRValue(c);
        if (bpp_ == 32) p[3] = 0;
      }
  }
  void UseFont(const char16_t* face, int height, int weight = 0, bool underline = false) {
    LOGFONTW lf{};
    lf.lfHeight = height;
    lf.lfWeight = weight;
    lf.lfUnderline = underline;
    lf.lfCharSet = DEFAULT_CHARSET;
    std::u16string f = face;
    std::copy(f.begin(), f.end(), lf.lfFaceName);
    HFONT next = CreateFontIndirectW(&lf);
    HGDIOBJ previous = SelectObject(dc_, next);
    if (font_) DeleteObject(font_);
    else oldFont_ = previous;
    font_ = next;
  }
  HDC dc() const { return dc_; }
  // Device pixels, read from memory: GetPixel would follow the clip and the origins.
  COLORREF At(int x, int y) const {
    const auto* bytes = static_cast<const uint8_t*>(bits_);
    size_t stride = ((static_cast<size_t>(w_) * bpp_ / 8) + 3) & ~size_t{3};
    const uint8_t* p = bytes + Row(y) * stride + x * (bpp_ / 8);
    return RGB(p[2], p[1], p[0]);
  }
  RECT InkBox(COLORREF background) const {
    RECT r{w_, h_, 0, 0};
    for (int y = 0; y < h_; ++y)
      for (int x = 0; x < w_; ++x)
        if (At(x, y) != background) {
          r.left = std::min<LONG>(r.left, x);
          r.top = std::min<LONG>(r.top, y);
          r.right = std::max<LONG>(r.right, x + 1);
          r.bottom = std::max<LONG>(r.bottom, y + 1);
        }
    if (r.right == 0) r = RECT{0, 0, 0, 0};
    return r;
  }
  std::vector<COLORREF> Pixels() const {
    std::vector<COLORREF> p;
    for (int y = 0; y < h_; ++y)
      for (int x = 0; x < w_; ++x) p.push_back(At(x, y));
    return p;
  }
  // The 32-bit section is top-down, the 24-bit one bottom-up.
  size_t Row(int y) const { return static_cast<size_t>(bpp_ == 32 ? y : h_ - 1 - y); }
  int width() const { return w_; }
  int height() const { return h_; }

 private:
  int w_, h_, bpp_;
  HDC dc_;
  HBITMAP bmp_;
  HGDIOBJ old_;
  void* bits_ = nullptr;
  HFONT font_ = nullptr;
  HGDIOBJ oldFont_ = nullptr;
};

const COLORREF kWhite = RGB(255, 255, 255);

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string Str(const RECT& r) {
  return "{" + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
         std::to_string(r.right) + "," + std::to_string(r.bottom) + "}";
}

}  // namespace

TEST(TextOnDC, JapaneseInkInsideTheExtentOn24And32Bits) {
  const std::u16string text = u"左クリックで描画　右クリックで中止";
  std::vector<COLORREF> pictures[2];
  int i = 0;
  for (int bpp : {32, 24}) {
    SCOPED_TRACE(bpp);
    Canvas c(400, 40, bpp);
    c.UseFont(u"MS UI ゴシック", -16);
    SetBkMode(c.dc(), TRANSPARENT);
    SetTextColor(c.dc(), RGB(200, 0, 0));
    SIZE size{};
    ASSERT_TRUE(GetTextExtentPoint32W(c.dc(), text.data(), static_cast<int>(text.size()), &size));
    TEXTMETRICW tm{};
    ASSERT_TRUE(GetTextMetricsW(c.dc(), &tm));
    EXPECT_EQ(size.cy, tm.tmHeight);
    EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
    EXPECT_EQ(tm.tmCharSet, SHIFTJIS_CHARSET);
    ASSERT_TRUE(TextOutW(c.dc(), 5, 7, text.data(), static_cast<int>(text.size())));
    RECT ink = c.InkBox(kWhite);
    EXPECT_GE(ink.left, 5);
    EXPECT_GE(ink.top, 7);
    EXPECT_LE(ink.right, 5 + size.cx);
    EXPECT_LE(ink.bottom, 7 + size.cy);
    EXPECT_GT(ink.right - ink.left, size.cx * 9 / 10);
    int strong = 0;
    for (COLORREF p : c.Pixels())
      if (GetRValue(p) >= 180 && GetGValue(p) < 60) ++strong;
    EXPECT_GT(strong, 100);
    pictures[i++] = c.Pixels();
  }
  EXPECT_EQ(pictures[0], pictures[1]);
}

TEST(TextOnDC, AnsiAndWideGiveTheSamePixels) {
  const char* ansi = "黒板に描く 1/12";  // code page 932 bytes
  const std::u16string wide = u"黒板に描く 1/12";
  Canvas a(300, 30), w(300, 30);
  a.UseFont(u"ＭＳ Ｐゴシック", -18);
  w.UseFont(u"ＭＳ Ｐゴシック", -18);
  ASSERT_TRUE(TextOutA(a.dc(), 3, 3, ansi, static_cast<int>(std::strlen(ansi))));
  ASSERT_TRUE(TextOutW(w.dc(), 3, 3, wide.data(), static_cast<int>(wide.size())));
  EXPECT_EQ(a.Pixels(), w.Pixels());
  SIZE sa{}, sw{};
  GetTextExtentPoint32A(a.dc(), ansi, static_cast<int>(std::strlen(ansi)), &sa);
  GetTextExtentPoint32W(w.dc(), wide.data(), static_cast<int>(wide.size()), &sw);
  EXPECT_EQ(sa.cx, sw.cx);
  EXPECT_EQ(sa.cy, sw.cy);
  RECT ra{0, 0, 300, 30}, rw{0, 0, 300, 30};
  a.Fill(kWhite);
  w.Fill(kWhite);
  DrawTextA(a.dc(), ansi, -1, &ra, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  DrawTextW(w.dc(), wide.c_str(), -1, &rw, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  EXPECT_EQ(a.Pixels(), w.Pixels());
}

TEST(TextOnDC, AlignmentTableWithTheTestFont) {
  // Test font 16 px: ascent 12, descent 4; "AB" = boxes of 7 x 11 at advances 8.
  struct Case {
    UINT align;
    RECT ink;
  } cases[] = {
      {TA_LEFT | TA_TOP, {50, 31, 65, 42}},
      {TA_RIGHT | TA_TOP, {34, 31, 49, 42}},
      {TA_CENTER | TA_TOP, {42, 31, 57, 42}},
      {TA_LEFT | TA_BASELINE, {50, 19, 65, 30}},
      {TA_LEFT | TA_BOTTOM, {50, 15, 65, 26}},
      {TA_RIGHT | TA_BOTTOM, {34, 15, 49, 26}},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.align);
    Canvas c(120, 60);
    c.UseFont(winplat::gdi::kTestFontFace, -16);
    SetBkMode(c.dc(), TRANSPARENT);
    EXPECT_EQ(SetTextAlign(c.dc(), k.align), 0u);
    EXPECT_EQ(GetTextAlign(c.dc()), k.align);
    TextOutW(c.dc(), 50, 30, u"AB", 2);
    RECT ink = c.InkBox(kWhite);
    EXPECT_TRUE(SameRect(ink, k.ink)) << Str(ink);
  }
}

TEST(TextOnDC, UpdateCurrentPosition) {
  Canvas c(120, 40);
  c.UseFont(winplat::gdi::kTestFontFace, -16);
  SetBkMode(c.dc(), TRANSPARENT);
  MoveToEx(c.dc(), 10, 5, nullptr);
  SetTextAlign(c.dc(), TA_UPDATECP);
  TextOutW(c.dc(), 999, 999, u"AB", 2);
  POINT p{};
  GetCurrentPositionEx(c.dc(), &p);
  EXPECT_EQ(p.x, 26);
  EXPECT_EQ(p.y, 5);
  TextOutW(c.dc(), 0, 0, u"C", 1);
  GetCurrentPositionEx(c.dc(), &p);
  EXPECT_EQ(p.x, 34);
  EXPECT_TRUE(SameRect(c.InkBox(kWhite), RECT{10, 6, 33, 17})) << Str(c.InkBox(kWhite));
  SetTextAlign(c.dc(), TA_UPDATECP | TA_RIGHT);
  TextOutW(c.dc(), 0, 0, u"D", 1);
  GetCurrentPositionEx(c.dc(), &p);
  EXPECT_EQ(p.x, 26);
}

TEST(TextOnDC, OpaqueFillsTheCellTransparentKeepsTheBackground) {
  const COLORREF red = RGB(255, 0, 0), blue = RGB(0, 0, 255);
  for (int mode : {OPAQUE, TRANSPARENT}) {
    SCOPED_TRACE(mode);
    Canvas c(100, 40, 32, red);
    c.UseFont(winplat::gdi::kTestFontFace, -16);
    SetBkMode(c.dc(), mode);
    SetBkColor(c.dc(), blue);
    SetTextColor(c.dc(), kWhite);
    TextOutW(c.dc(), 10, 10, u"A B", 3);
    // The cell is 24 x 16 at (10, 10): blank, gaps and descent are background there.
    EXPECT_EQ(c.At(10, 10), mode == OPAQUE ? blue : red);  // row above the boxes
    EXPECT_EQ(c.At(20, 15), mode == OPAQUE ? blue : red);  // the blank
    EXPECT_EQ(c.At(33, 25), mode == OPAQUE ? blue : red);  // descent, last column
    EXPECT_EQ(c.At(12, 15), kWhite);
    EXPECT_EQ(c.At(34, 15), red);  // outside the cell
    EXPECT_EQ(c.At(12, 26), red);
    EXPECT_EQ(c.At(9, 15), red);
  }
}

TEST(TextOnDC, ExtTextOutOptionsAndAdvances) {
  const COLORREF green = RGB(0, 255, 0);
  Canvas c(120, 40);
  c.UseFont(winplat::gdi::kTestFontFace, -16);
  SetBkColor(c.dc(), green);
  SetBkMode(c.dc(), TRANSPARENT);
  RECT r{5, 5, 30, 20};
  ASSERT_TRUE(ExtTextOutW(c.dc(), 0, 0, ETO_OPAQUE, &r, u"", 0, nullptr));  // a fast fill
  EXPECT_TRUE(SameRect(c.InkBox(kWhite), r));

  c.Fill(kWhite);
  RECT clip{54, 0, 70, 40};
  ExtTextOutW(c.dc(), 50, 10, ETO_CLIPPED, &clip, u"ABC", 3, nullptr);
  EXPECT_TRUE(SameRect(c.InkBox(kWhite), RECT{54, 11, 70, 22})) << Str(c.InkBox(kWhite));

  c.Fill(kWhite);
  INT dx[] = {20, 20, 5};
  ExtTextOutW(c.dc(), 10, 10, 0, nullptr, u"ABC", 3, dx);
  EXPECT_EQ(c.At(16, 15), RGB(0, 0, 0));
  EXPECT_EQ(c.At(18, 15), kWhite);
  EXPECT_EQ(c.At(30, 15), RGB(0, 0, 0));  // B at 10 + 20
  EXPECT_EQ(c.At(50, 15), RGB(0, 0, 0));  // C at 10 + 40
  // A form: advances per byte, a double-byte character taking the sum of its two.
  c.Fill(kWhite);
  INT dxa[] = {30, 0, 10};
  ExtTextOutA(c.dc(), 10, 10, 0, nullptr, "あB", 3, dxa);
  EXPECT_EQ(c.At(10 + 14, 15), RGB(0, 0, 0));
  EXPECT_EQ(c.At(10 + 16, 15), kWhite);
  EXPECT_EQ(c.At(40, 15), RGB(0, 0, 0));
  EXPECT_EQ(c.At(47, 15), kWhite);
}

TEST(TextOnDC, ClipRegionAndViewportOrigin) {
  Canvas c(200, 60);
  c.UseFont(u"MS UI ゴシック", -24);
  SetBkMode(c.dc(), TRANSPARENT);
  HRGN rgn = CreateRectRgn(20, 10, 60, 30);
  SelectClipRgn(c.dc(), rgn);
  DeleteObject(rgn);
  TextOutW(c.dc(), 0, 0, u"黒板黒板黒板", 6);
  RECT ink = c.InkBox(kWhite);
  EXPECT_GT(ink.right, ink.left);
  EXPECT_GE(ink.left, 20);
  EXPECT_GE(ink.top, 10);
  EXPECT_LE(ink.right, 60);
  EXPECT_LE(ink.bottom, 30);

  Canvas d(200, 60);
  d.UseFont(winplat::gdi::kTestFontFace, -16);
  SetBkMode(d.dc(), TRANSPARENT);
  SetViewportOrgEx(d.dc(), 100, 3, nullptr);
  TextOutW(d.dc(), 0, 0, u"A", 1);
  EXPECT_TRUE(SameRect(d.InkBox(kWhite), RECT{100, 4, 107, 15})) << Str(d.InkBox(kWhite));
}

TEST(TextOnDC, DrawTextPlacesClipsAndUnderlinesPrefixes) {
  Canvas c(200, 60);
  c.UseFont(winplat::gdi::kTestFontFace, -16);
  SetBkMode(c.dc(), TRANSPARENT);
  RECT r{10, 10, 110, 50};  // 100 x 40
  EXPECT_EQ(DrawTextW(c.dc(), u"AB", -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE), 28);
  EXPECT_TRUE(SameRect(c.InkBox(kWhite), RECT{52, 23, 67, 34})) << Str(c.InkBox(kWhite));

  RECT calc{10, 10, 70, 50};
  EXPECT_EQ(DrawTextW(c.dc(), u"aaa bbb ccc", -1, &calc, DT_WORDBREAK | DT_CALCRECT), 32);
  EXPECT_TRUE(SameRect(calc, RECT{10, 10, 66, 42})) << Str(calc);
  EXPECT_TRUE(SameRect(c.InkBox(kWhite), RECT{52, 23, 67, 34})) << "measuring draws nothing";

  // Without DT_NOCLIP the rectangle clips; with it, text runs past.
  for (UINT extra : {0u, static_cast<UINT>(DT_NOCLIP)}) {
    c.Fill(kWhite);
    RECT small{10, 10, 30, 20};
    DrawTextW(c.dc(), u"ABCDEF", -1, &small, DT_SINGLELINE | extra);
    RECT ink = c.InkBox(kWhite);
    if (extra) EXPECT_TRUE(SameRect(ink, RECT{10, 11, 57, 22})) << Str(ink);
    else EXPECT_TRUE(SameRect(ink, RECT{10, 11, 30, 20})) << Str(ink);
  }

  // "&F" underlines F: 8 pixels on the underline row (baseline 22 + 2), nothing under the rest.
  c.Fill(kWhite);
  RECT pr{10, 10, 110, 50};
  DrawTextW(c.dc(), u"&File", -1, &pr, DT_SINGLELINE);
  int row = 10 + 12 + 2;
  for (int x = 10; x < 18; ++x) EXPECT_EQ(c.At(x, row), RGB(0, 0, 0)) << x;
  EXPECT_EQ(c.At(18, row), kWhite);
  EXPECT_EQ(c.At(9, row), kWhite);
  c.Fill(kWhite);
  DrawTextW(c.dc(), u"&File", -1, &pr, DT_SINGLELINE | DT_HIDEPREFIX);
  EXPECT_EQ(c.At(12, row), kWhite);
  c.Fill(kWhite);
  DrawTextW(c.dc(), u"&File", -1, &pr, DT_SINGLELINE | DT_PREFIXONLY);
  EXPECT_TRUE(SameRect(c.InkBox(kWhite), RECT{10, row, 18, row + 1})) << Str(c.InkBox(kWhite));
}

TEST(TextOnDC, MetricsAndExtentsOfTheTestFont) {
  Canvas c(10, 10);
  c.UseFont(winplat::gdi::kTestFontFace, -16, FW_BOLD);
  TEXTMETRICW tm{};
  ASSERT_TRUE(GetTextMetricsW(c.dc(), &tm));
  EXPECT_EQ(tm.tmHeight, 16);
  EXPECT_EQ(tm.tmAscent, 12);
  EXPECT_EQ(tm.tmDescent, 4);
  EXPECT_EQ(tm.tmInternalLeading, 0);
  EXPECT_EQ(tm.tmAveCharWidth, 8);
  EXPECT_EQ(tm.tmMaxCharWidth, 16);
  EXPECT_EQ(tm.tmWeight, FW_BOLD);
  TEXTMETRICA tma{};
  ASSERT_TRUE(GetTextMetricsA(c.dc(), &tma));
  EXPECT_EQ(tma.tmHeight, 16);
  EXPECT_EQ(tma.tmAveCharWidth, 8);

  SIZE s{};
  GetTextExtentPoint32W(c.dc(), u"Aあ\U00020B9F", 4, &s);
  EXPECT_EQ(s.cx, 8 + 16 + 16);
  EXPECT_EQ(s.cy, 16);
  GetTextExtentPoint32A(c.dc(), "Aあ", 3, &s);  // 3 bytes, 2 characters
  EXPECT_EQ(s.cx, 24);
  GetTextExtentPoint32W(c.dc(), u"", 0, &s);
  EXPECT_EQ(s.cx, 0);
  EXPECT_EQ(s.cy, 16);

  INT fit = -1, dx[4] = {};
  ASSERT_TRUE(GetTextExtentExPointW(c.dc(), u"Aあ\U00020B9F", 4, 30, &fit, dx, &s));
  EXPECT_EQ(fit, 2);
  EXPECT_EQ(dx[0], 8);
  EXPECT_EQ(dx[1], 24);
  EXPECT_EQ(dx[2], 40);
  EXPECT_EQ(dx[3], 40);
  ASSERT_TRUE(GetTextExtentExPointA(c.dc(), "AあB", 4, 25, &fit, dx, &s));
  EXPECT_EQ(fit, 3);  // bytes
  EXPECT_EQ(dx[1], 24);
  EXPECT_EQ(dx[2], 24);
  EXPECT_EQ(dx[3], 32);

  SetTextCharacterExtra(c.dc(), 2);
  GetTextExtentPoint32W(c.dc(), u"AB", 2, &s);
  EXPECT_EQ(s.cx, 20);
  EXPECT_EQ(GetTextCharacterExtra(c.dc()), 2);
}

TEST(TextOnDC, FaceNamesAndTheTestFontSwitch) {
  Canvas c(10, 10);
  c.UseFont(u"ＭＳ Ｐゴシック", -12);
  char16_t name[40] = {};
  EXPECT_EQ(GetTextFaceW(c.dc(), 40, name), 9);
  EXPECT_EQ(std::u16string(name), u"ＭＳ Ｐゴシック");
  EXPECT_EQ(GetTextFaceW(c.dc(), 0, nullptr), 9);
  EXPECT_EQ(GetTextFaceW(c.dc(), 3, name), 3);
  EXPECT_EQ(std::u16string(name), u"ＭＳ");
  char ansi[40] = {};
  EXPECT_EQ(GetTextFaceA(c.dc(), 40, ansi), 16);  // 7 double-byte characters, a blank, NUL
  EXPECT_EQ(std::string(ansi), "ＭＳ Ｐゴシック");
  EXPECT_EQ(GetTextFaceA(c.dc(), 4, ansi), 3);  // never half a character
  EXPECT_EQ(std::string(ansi), "Ｍ");

  SIZE real{};
  GetTextExtentPoint32W(c.dc(), u"abc", 3, &real);
  bool before = winplat::gdi::UseTestFontForAll(true);
  SIZE test{};
  GetTextExtentPoint32W(c.dc(), u"abc", 3, &test);
  EXPECT_EQ(test.cx, 18);
  EXPECT_EQ(test.cy, 12);
  GetTextFaceW(c.dc(), 40, name);
  EXPECT_EQ(std::u16string(name), winplat::gdi::kTestFontFace);
  winplat::gdi::UseTestFontForAll(before);
  GetTextExtentPoint32W(c.dc(), u"abc", 3, &test);
  EXPECT_EQ(test.cx, real.cx);
}

TEST(TextOnDC, BoldIsWider) {
  Canvas c(10, 10);
  c.UseFont(u"MS UI ゴシック", -16);
  SIZE regular{}, bold{};
  GetTextExtentPoint32W(c.dc(), u"黒板 Qz", 5, &regular);
  c.UseFont(u"MS UI ゴシック", -16, FW_BOLD);
  GetTextExtentPoint32W(c.dc(), u"黒板 Qz", 5, &bold);
  EXPECT_GT(bold.cx, regular.cx);
  EXPECT_EQ(bold.cy, regular.cy);
}

TEST(TextOnDC, BadArgumentsFailCleanly) {
  SIZE s{};
  RECT r{0, 0, 10, 10};
  SetLastError(0);
  EXPECT_FALSE(TextOutW(nullptr, 0, 0, u"a", 1));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(DrawTextW(reinterpret_cast<HDC>(0x1234), u"a", 1, &r, 0), 0);
  EXPECT_FALSE(GetTextExtentPoint32W(nullptr, u"a", 1, &s));
  EXPECT_EQ(SetTextAlign(nullptr, TA_RIGHT), GDI_ERROR);
  Canvas c(10, 10);
  EXPECT_FALSE(GetTextExtentPoint32W(c.dc(), u"a", -1, &s));
  EXPECT_FALSE(TextOutW(c.dc(), 0, 0, nullptr, 3));
  EXPECT_EQ(DrawTextW(c.dc(), u"a", 1, nullptr, 0), 0);
  EXPECT_EQ(DrawTextW(c.dc(), nullptr, -1, &r, 0), 0);
  EXPECT_TRUE(TextOutW(c.dc(), -100000, 2000000000, u"ab", 2));  // far off: nothing, no fault
  EXPECT_TRUE(TextOutW(c.dc(), INT32_MAX, INT32_MIN, u"ab", 2));
  RECT huge{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};
  EXPECT_GT(DrawTextW(c.dc(), u"ab\ncd", -1, &huge, DT_CENTER | DT_WORDBREAK), 0);
}

TEST(TextOnDC, AnsiOnlyPlatformRefusesTheWideCallsItLacked) {
  Canvas c(50, 20);
  RECT r{0, 0, 50, 20};
  SIZE s{};
  TEXTMETRICW tm{};
  winplat::SetAnsiOnlyPlatform(true);
  SetLastError(0);
  EXPECT_EQ(DrawTextW(c.dc(), u"a", 1, &r, 0), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED));
  EXPECT_FALSE(GetTextMetricsW(c.dc(), &tm));
  EXPECT_TRUE(TextOutW(c.dc(), 0, 0, u"a", 1));
  EXPECT_TRUE(GetTextExtentPoint32W(c.dc(), u"a", 1, &s));
  EXPECT_NE(DrawTextA(c.dc(), "a", 1, &r, 0), 0);
  winplat::SetAnsiOnlyPlatform(false);
}

TEST(TextOnDC, WritesAPictureOfTextDrawnThroughTheDC) {
  Canvas c(480, 150, 24, RGB(24, 48, 32));
  SetTextColor(c.dc(), RGB(255, 255, 255));
  SetBkMode(c.dc(), TRANSPARENT);
  c.UseFont(u"MS UI ゴシック", -16);
  TextOutW(c.dc(), 6, 4, u"1/12  左クリックで描画　右クリックで中止", 23);
  c.UseFont(u"MS UI ゴシック", -32, FW_BOLD);
  SetTextColor(c.dc(), RGB(0, 255, 0));
  TextOutW(c.dc(), 6, 26, u"    PLAY  黒板", 12);
  c.UseFont(u"ＭＳ Ｐゴシック", -14, 0, true);
  SetTextColor(c.dc(), RGB(255, 252, 30));
  SetBkMode(c.dc(), OPAQUE);
  SetBkColor(c.dc(), RGB(90, 40, 40));
  TextOutW(c.dc(), 6, 70, u"下線つき OPAQUE", 11);
  SetBkMode(c.dc(), TRANSPARENT);
  c.UseFont(u"ＭＳ Ｐゴシック", -12);
  SetTextColor(c.dc(), RGB(233, 135, 193));
  RECT r{200, 66, 470, 146};
  DrawTextW(c.dc(), u"&ファイル(F)  折り返しの例: 日本語の文章は文字の間で折り返され、句読点は行頭に来ない。",
            -1, &r, DT_WORDBREAK | DT_CENTER);
  std::vector<uint32_t> rgb;
  for (COLORREF p : c.Pixels()) rgb.push_back((GetRValue(p) << 16) | (GetGValue(p) << 8) | GetBValue(p));
  ASSERT_TRUE(texttest::WritePng("dc_text.png", c.width(), c.height(), rgb.data(), c.width()));
}

TEST(TextOnDC, DrawingReportsTheDamageItDid) {
  Canvas c(200, 50);
  c.UseFont(u"MS UI ゴシック", -20);
  auto dc = winplat::gdi::LookupDC(c.dc());
  ASSERT_TRUE(dc);
  RECT damage{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
  dc->onDamage = [&](const RECT& r) {
    damage.left = std::min(damage.left, r.left);
    damage.top = std::min(damage.top, r.top);
    damage.right = std::max(damage.right, r.right);
    damage.bottom = std::max(damage.bottom, r.bottom);
  };
  SetBkMode(c.dc(), TRANSPARENT);
  TextOutW(c.dc(), 30, 10, u"黒板", 2);
  dc->onDamage = nullptr;
  RECT ink = c.InkBox(kWhite);
  EXPECT_LE(damage.left, ink.left);
  EXPECT_LE(damage.top, ink.top);
  EXPECT_GE(damage.right, ink.right);
  EXPECT_GE(damage.bottom, ink.bottom);
}
