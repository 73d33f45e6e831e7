// GDI objects: creation, selection, GetObject, deletion rules and stale handles.
#include <gtest/gtest.h>
#include "gdi/gdi_internal.h"
#include "windows.h"
#include "winplat_mode.h"

namespace {

TEST(GdiObjects, FreshMemoryDCHoldsOneByOneMonochromeBitmap) {
  HDC dc = CreateCompatibleDC(nullptr);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(GetObjectType(dc), static_cast<DWORD>(OBJ_MEMDC));
  HBITMAP bm = static_cast<HBITMAP>(GetCurrentObject(dc, OBJ_BITMAP));
  BITMAP info{};
  ASSERT_EQ(GetObjectA(bm, sizeof(info), &info), static_cast<int>(sizeof(BITMAP)));
  EXPECT_EQ(info.bmWidth, 1);
  EXPECT_EQ(info.bmHeight, 1);
  EXPECT_EQ(info.bmBitsPixel, 1);
  // A bitmap compatible with it is monochrome too.
  HBITMAP compat = CreateCompatibleBitmap(dc, 10, 5);
  ASSERT_EQ(GetObjectA(compat, sizeof(info), &info), static_cast<int>(sizeof(BITMAP)));
  EXPECT_EQ(info.bmBitsPixel, 1);
  EXPECT_EQ(info.bmWidthBytes, 2);
  EXPECT_TRUE(DeleteObject(compat));
  EXPECT_TRUE(DeleteDC(dc));
}

TEST(GdiObjects, FontObjectsKeepTheirLogFont) {
  LOGFONTW lf{};
  lf.lfHeight = -16;
  lf.lfWeight = FW_BOLD;
  lf.lfCharSet = SHIFTJIS_CHARSET;
  const char16_t face[] = u"ＭＳ Ｐゴシック";
  std::memcpy(lf.lfFaceName, face, sizeof(face));
  HFONT f = CreateFontIndirectW(&lf);
  ASSERT_NE(f, nullptr);
  LOGFONTW back{};
  ASSERT_EQ(GetObjectW(f, sizeof(back), &back), static_cast<int>(sizeof(LOGFONTW)));
  EXPECT_EQ(back.lfHeight, -16);
  EXPECT_EQ(std::u16string(back.lfFaceName), std::u16string(face));
  // The ANSI view converts the face name to the ANSI code page.
  LOGFONTA a{};
  ASSERT_EQ(GetObjectA(f, sizeof(a), &a), static_cast<int>(sizeof(LOGFONTA)));
  EXPECT_EQ(std::string(a.lfFaceName), std::string("ＭＳ Ｐゴシック"));
  HFONT fa = CreateFontA(12, 0, 0, 0, FW_NORMAL, 0, 0, 0, SHIFTJIS_CHARSET, 0, 0, 0, 0, "ＭＳ ゴシック");
  ASSERT_EQ(GetObjectW(fa, sizeof(back), &back), static_cast<int>(sizeof(LOGFONTW)));
  EXPECT_EQ(std::u16string(back.lfFaceName), u"ＭＳ ゴシック");

  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, f);
  EXPECT_EQ(old, GetStockObject(SYSTEM_FONT));
  auto d = winplat::gdi::LookupDC(dc);
  ASSERT_TRUE(d);
  ASSERT_TRUE(d->font);
  EXPECT_EQ(d->font->lf.lfWeight, FW_BOLD);
  // Deleting a selected font is deferred until it is deselected.
  EXPECT_TRUE(DeleteObject(f));
  EXPECT_EQ(GetObjectType(f), static_cast<DWORD>(OBJ_FONT));
  EXPECT_EQ(SelectObject(dc, old), f);
  EXPECT_EQ(GetObjectType(f), 0u);
  DeleteObject(fa);
  DeleteDC(dc);

  winplat::SetAnsiOnlyPlatform(true);
  SetLastError(0);
  EXPECT_EQ(CreateFontIndirectW(&lf), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED));
  winplat::SetAnsiOnlyPlatform(false);
}

TEST(GdiObjects, StaleAndWrongHandlesFailCleanly) {
  HDC dc = CreateCompatibleDC(nullptr);
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
  HBITMAP bm = CreateBitmap(4, 4, 1, 32, nullptr);
  ASSERT_TRUE(DeleteObject(pen));
  ASSERT_TRUE(DeleteDC(dc));
  SetLastError(0);
  EXPECT_EQ(SelectObject(dc, bm), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(DeleteObject(pen));
  EXPECT_FALSE(DeleteDC(dc));
  EXPECT_EQ(GetPixel(dc, 0, 0), CLR_INVALID);
  EXPECT_EQ(GetObjectA(pen, 0, nullptr), 0);
  EXPECT_FALSE(DeleteObject(reinterpret_cast<HGDIOBJ>(static_cast<uintptr_t>(0x12345670))));
  // A DC handle is not a GDI object for DeleteObject, and a bitmap handle is not a pen.
  HDC live = CreateCompatibleDC(nullptr);
  EXPECT_FALSE(DeleteObject(live));
  EXPECT_EQ(winplat::gdi::LookupPen(reinterpret_cast<HPEN>(bm)), nullptr);
  // A bitmap selected into a DC cannot be deleted, nor selected into a second DC.
  HDC other = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(live, bm);
  ASSERT_NE(old, nullptr);
  EXPECT_FALSE(DeleteObject(bm));
  EXPECT_EQ(SelectObject(other, bm), nullptr);
  SelectObject(live, old);
  EXPECT_TRUE(DeleteObject(bm));
  // Stock objects survive DeleteObject.
  EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_PEN)));
  EXPECT_EQ(GetObjectType(GetStockObject(BLACK_PEN)), static_cast<DWORD>(OBJ_PEN));
  DeleteDC(live);
  DeleteDC(other);
}

TEST(GdiObjects, HugeBitmapsFailWithoutAllocating) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = 100000;
  bi.bmiHeader.biHeight = 100000;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = reinterpret_cast<void*>(1);
  EXPECT_EQ(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  EXPECT_EQ(bits, nullptr);
  bi.bmiHeader.biWidth = 0x7FFFFFFF;
  bi.bmiHeader.biHeight = -0x7FFFFFFF;
  EXPECT_EQ(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  EXPECT_EQ(CreateBitmap(0x40000000, 0x40000000, 1, 32, nullptr), nullptr);
  HDC dc = CreateCompatibleDC(nullptr);
  EXPECT_EQ(CreateCompatibleBitmap(dc, 0x7FFFFFFF, 0x7FFFFFFF), nullptr);
  DeleteDC(dc);
}

}  // namespace

namespace {

TEST(GdiObjects, DeviceCapsOfAMemoryDCDescribeTheDisplay) {
  HDC dc = CreateCompatibleDC(nullptr);
  EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 32);
  EXPECT_EQ(GetDeviceCaps(dc, PLANES), 1);
  EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), 96);
  EXPECT_EQ(GetDeviceCaps(dc, NUMCOLORS), -1);
  DeleteDC(dc);
  // A DC on a foreign 16-bit surface answers for that surface.
  std::vector<uint16_t> pixels(8 * 4);
  winplat::gdi::Surface s;
  s.bits = reinterpret_cast<uint8_t*>(pixels.data());
  s.pitch = 16;
  s.width = 8;
  s.height = 4;
  s.format = winplat::gdi::PixelFormat::Make(16, 0xF800, 0x07E0, 0x001F);
  HDC sdc = winplat::gdi::CreateSurfaceDC(s, nullptr, false);
  EXPECT_EQ(GetObjectType(sdc), static_cast<DWORD>(OBJ_DC));
  EXPECT_EQ(GetDeviceCaps(sdc, BITSPIXEL), 16);
  EXPECT_EQ(GetDeviceCaps(sdc, HORZRES), 8);
  SetPixel(sdc, 1, 2, RGB(255, 0, 0));
  EXPECT_EQ(pixels[2 * 8 + 1], 0xF800);
  // It cannot take a bitmap, and a compatible bitmap has its format.
  HBITMAP bm = CreateCompatibleBitmap(sdc, 3, 3);
  BITMAP b{};
  GetObjectA(bm, sizeof(b), &b);
  EXPECT_EQ(b.bmBitsPixel, 16);
  EXPECT_EQ(SelectObject(sdc, bm), nullptr);
  // The window manager's visible region and origin clip and shift drawing.
  winplat::gdi::Region vis = winplat::gdi::Region::FromRect(RECT{4, 0, 8, 4});
  winplat::gdi::SetDCVisibleRegion(sdc, &vis, POINT{4, 0});
  int damaged = 0;
  winplat::gdi::LookupDC(sdc)->onDamage = [&](const RECT&) { ++damaged; };
  RECT all{-10, -10, 100, 100};
  FillRect(sdc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  EXPECT_EQ(pixels[0], 0);
  EXPECT_EQ(pixels[4], 0xFFFF);
  EXPECT_EQ(GetPixel(sdc, 0, 0), RGB(255, 255, 255));  // device (4, 0)
  EXPECT_EQ(damaged, 1);
  RECT box;
  GetClipBox(sdc, &box);
  EXPECT_EQ(box.left, 0);
  EXPECT_EQ(box.right, 4);
  // Pointed at other memory, it draws there.
  std::vector<uint16_t> other(8 * 4);
  s.bits = reinterpret_cast<uint8_t*>(other.data());
  EXPECT_TRUE(winplat::gdi::SetDCSurface(sdc, s, nullptr));
  winplat::gdi::SetDCVisibleRegion(sdc, nullptr, POINT{0, 0});
  SetPixel(sdc, 0, 0, RGB(0, 0, 255));
  EXPECT_EQ(other[0], 0x001F);
  HDC mem = CreateCompatibleDC(nullptr);
  EXPECT_FALSE(winplat::gdi::SetDCSurface(mem, s, nullptr));
  DeleteDC(mem);
  DeleteObject(bm);
  DeleteDC(sdc);
}

}  // namespace
