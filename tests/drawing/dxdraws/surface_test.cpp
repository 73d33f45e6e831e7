// Surfaces: blits with keys, clipping and mirroring, engine-routed alpha and rotation, fills,
// colour matching, locks, the surface canvas, and the DirectDraw object letting go of wrappers.
#include <gtest/gtest.h>

#include "DXRender.h"
#include "support.h"

using namespace dxtest;

namespace {

// Source pixel values: distinct per position, never 0.
uint32_t Src(int x, int y) { return static_cast<uint32_t>(0x100000 + y * 0x1000 + x * 0x10 + 1); }

// What the engine's blend (mode 10) makes of `src` over `dest` at `alpha`, on 1 x 1 surfaces.
uint32_t Blend(TDirectDraw& dd, uint32_t dest, uint32_t src, int alpha) {
  auto a = MakeSurface(dd, 1, 1), b = MakeSurface(dd, 1, 1);
  a->Fill(src);
  b->Fill(dest);
  DXRender::TPixelDescriptor d, s;
  EXPECT_TRUE(DXRender::LockSurface(b->IDDSurface(), d));
  EXPECT_TRUE(DXRender::LockSurface(a->IDDSurface(), s));
  DXRender::DrawRectBlend(d, s, RECT{0, 0, 1, 1}, 0, false, alpha, 10, RECT{0, 0, 1, 1});
  DXRender::UnlockSurface(a->IDDSurface(), s);
  DXRender::UnlockSurface(b->IDDSurface(), d);
  return b->Pixels(0, 0);
}

class SurfaceTest : public ::testing::Test {
 protected:
  TDirectDraw dd;
};

TEST_F(SurfaceTest, DirectDrawComesFromTheLibraryWithItsInterfaces) {
  EXPECT_NE(dd.IDDraw(), nullptr);
  EXPECT_NE(dd.IDDraw4(), nullptr);
  EXPECT_NE(dd.IDDraw7(), nullptr);
  EXPECT_EQ(dd.DriverCaps().dwCaps2 & DDCAPS2_PRIMARYGAMMA, 0u);
  TDirectDraw dx6(nullptr, false);
  EXPECT_EQ(dx6.IDDraw7(), nullptr);
  try {
    dx6.IDraw7();
    FAIL();
  } catch (const EDirectDrawError& e) {
    EXPECT_EQ(e.Message(), AnsiString("IDirectDraw7 は作成されていません"));
  }
  EXPECT_EQ(dd.DisplayFormat().dwRGBBitCount, 32u);
}

TEST(DirectDrawErrors, CreationFailuresRaiseTheLayersMessages) {
  GUID other{1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};  // no such driver
  try {
    TDirectDraw dd(&other);
    FAIL();
  } catch (const EDirectDrawError& e) {
    EXPECT_EQ(e.Message(), AnsiString("DirectDraw を初期化できません"));
  }
  TDirectDraw dd;
  TDirectDrawSurface s(&dd);
  try {
    s.SetSize(40000, 40000);  // tried in video memory, then in system memory
    FAIL();
  } catch (const EDirectDrawSurfaceError& e) {
    EXPECT_EQ(e.Message(), AnsiString("サーフェース を作成できません"));
  }
  EXPECT_EQ(s.IDDSurface(), nullptr);
}

TEST_F(SurfaceTest, SizesAndTheMissingSurface) {
  TDirectDrawSurface s(&dd);
  s.SetSize(10, 6);
  EXPECT_EQ(s.Width(), 10);
  EXPECT_EQ(s.BitCount(), 32);
  EXPECT_NE(s.SurfaceDesc().ddsCaps.dwCaps & DDSCAPS_SYSTEMMEMORY, 0u);
  s.SetSize(0, 5);
  EXPECT_EQ(s.IDDSurface(), nullptr);
  // Without a surface nothing raises and nothing happens.
  s.Draw(0, 0, &s, true);
  s.Fill(1);
  EXPECT_EQ(s.Pixels(0, 0), 0u);
  EXPECT_EQ(s.ColorMatch(clWhite), 0u);
  EXPECT_THROW(s.ISurface(), EDirectDrawSurfaceError);
}

TEST_F(SurfaceTest, DrawCopiesWithAndWithoutTheKeyAndClips) {
  auto src = MakeSurface(dd, 4, 3);
  Paint(*src, Src);
  src->SetPixels(1, 1, 0x00FF00FF);
  src->SetTransparentColor(0x00FF00FF);
  auto dst = MakeSurface(dd, 8, 6);
  dst->Fill(0x222222);

  dst->Draw(2, 1, src.get(), true);
  EXPECT_EQ(dst->Pixels(2, 1), Src(0, 0));
  EXPECT_EQ(dst->Pixels(3, 2), 0x222222u);  // key colour skipped
  EXPECT_EQ(dst->Pixels(5, 3), Src(3, 2));
  dst->Draw(2, 1, src.get(), false);
  EXPECT_EQ(dst->Pixels(3, 2), 0x00FF00FFu);

  // Clipped at every edge; X beyond the width or equal to it draws nothing.
  dst->Fill(0);
  dst->Draw(-2, -1, src.get(), false);
  EXPECT_EQ(dst->Pixels(0, 0), Src(2, 1));
  EXPECT_EQ(dst->Pixels(1, 1), Src(3, 2));
  EXPECT_EQ(dst->Pixels(2, 0), 0u);
  dst->Draw(6, 4, src.get(), false);
  EXPECT_EQ(dst->Pixels(6, 4), Src(0, 0));
  EXPECT_EQ(dst->Pixels(7, 5), 0x00FF00FFu);
  dst->Fill(0);
  dst->Draw(8, 0, src.get(), false);
  dst->Draw(9, 0, src.get(), false);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 8; ++x) ASSERT_EQ(dst->Pixels(x, y), 0u);
}

TEST_F(SurfaceTest, MirroredDrawReflectsWithinTheSourceRectangle) {
  // A 100-wide source; the pattern (20, 0)-(30, 2) drawn mirrored shows its own columns reversed.
  auto src = MakeSurface(dd, 100, 4);
  Paint(*src, Src);
  auto dst = MakeSurface(dd, 40, 10);
  struct Case {
    const char* what;
    int x, y;
    TRect rect;  // reversed edges mirror
  };
  const Case cases[] = {
      {"left-right", 5, 2, Rect(30, 0, 20, 2)},
      {"up-down", 5, 2, Rect(20, 2, 30, 0)},
      {"both", 5, 2, Rect(30, 2, 20, 0)},
      {"partly off the left edge", -4, 2, Rect(30, 0, 20, 2)},
      {"partly off the right edge", 35, 2, Rect(30, 0, 20, 2)},
      {"partly off the top", 5, -1, Rect(20, 2, 30, 0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    dst->Fill(0);
    dst->Draw(c.x, c.y, c.rect, src.get(), false);
    const bool mx = c.rect.right < c.rect.left, my = c.rect.bottom < c.rect.top;
    const int l = std::min(c.rect.left, c.rect.right), r = std::max(c.rect.left, c.rect.right);
    const int t = std::min(c.rect.top, c.rect.bottom), b = std::max(c.rect.top, c.rect.bottom);
    for (int y = 0; y < 10; ++y)
      for (int x = 0; x < 40; ++x) {
        const int i = x - c.x, j = y - c.y;
        uint32_t want = 0;
        if (i >= 0 && i < r - l && j >= 0 && j < b - t) want = Src(mx ? r - 1 - i : l + i, my ? b - 1 - j : t + j);
        ASSERT_EQ(dst->Pixels(x, y), want) << x << "," << y;
      }
  }
}

TEST_F(SurfaceTest, StretchDrawScalesAndClips) {
  auto src = MakeSurface(dd, 2, 2);
  Paint(*src, Src);
  auto dst = MakeSurface(dd, 6, 6);
  dst->StretchDraw(Rect(0, 0, 4, 4), src->ClientRect(), src.get(), false);
  EXPECT_EQ(dst->Pixels(1, 1), Src(0, 0));
  EXPECT_EQ(dst->Pixels(2, 1), Src(1, 0));
  EXPECT_EQ(dst->Pixels(3, 3), Src(1, 1));
  EXPECT_EQ(dst->Pixels(4, 4), 0u);
  dst->Fill(0);
  dst->StretchDraw(Rect(4, 4, 8, 8), src->ClientRect(), src.get(), false);  // half outside
  EXPECT_EQ(dst->Pixels(4, 4), Src(0, 0));
  EXPECT_EQ(dst->Pixels(5, 5), Src(0, 0));
  EXPECT_EQ(dst->Pixels(3, 3), 0u);
}

TEST_F(SurfaceTest, BlitsBetweenDepthsAndKeysOnEveryDepth) {
  for (int bits : {8, 16, 24, 32}) {
    SCOPED_TRACE(bits);
    auto src = MakeSurface(dd, 3, 1, bits);
    auto dst = MakeSurface(dd, 3, 1, bits);
    src->SetPixels(0, 0, 5);
    src->SetPixels(1, 0, 7);
    src->SetPixels(2, 0, 5);
    src->SetTransparentColor(5);
    dst->Fill(9);
    dst->Draw(0, 0, src.get(), true);
    EXPECT_EQ(dst->Pixels(0, 0), 9u);
    EXPECT_EQ(dst->Pixels(1, 0), 7u);
    dst->Draw(0, 0, src.get(), false);
    EXPECT_EQ(dst->Pixels(0, 0), 5u);
  }
  // Different formats do not blit: nothing changes.
  auto a = MakeSurface(dd, 2, 2, 16);
  auto b = MakeSurface(dd, 2, 2, 32);
  a->Fill(0x1234);
  b->Draw(0, 0, a.get(), false);
  EXPECT_EQ(b->Pixels(0, 0), 0u);
}

TEST_F(SurfaceTest, AlphaAndRotationGoThroughTheEngineWithTheirModes) {
  auto src = MakeSurface(dd, 4, 4);
  src->Fill(0x00C08040);
  auto dst = MakeSurface(dd, 8, 8);
  dst->Fill(0x00204080);

  // Alpha 0: nothing. Alpha 255: a copy.
  dst->DrawAlpha(Rect(0, 0, 4, 4), src->ClientRect(), src.get(), false, 0);
  EXPECT_EQ(dst->Pixels(1, 1), 0x00204080u);
  dst->DrawAlpha(Rect(0, 0, 4, 4), src->ClientRect(), src.get(), false, 255);
  EXPECT_EQ(dst->Pixels(1, 1), 0x00C08040u);
  // Alpha 128: the engine's blend of the two (mode 10).
  dst->Fill(0x00204080);
  dst->DrawAlpha(Rect(0, 0, 4, 4), src->ClientRect(), src.get(), false, 128);
  const uint32_t blended = Blend(dd, 0x00204080, 0x00C08040, 128);
  EXPECT_EQ(dst->Pixels(1, 1), blended);
  EXPECT_NE(blended, 0x00204080u);
  EXPECT_NE(blended, 0x00C08040u);
  // Stretched: 4 x 4 over 8 x 8.
  dst->Fill(0);
  dst->DrawAlpha(Rect(0, 0, 8, 8), src->ClientRect(), src.get(), false, 255);
  EXPECT_EQ(dst->Pixels(7, 7), 0x00C08040u);

  // Onto an 8-bit destination even alpha 128 copies (same format only).
  auto src8 = MakeSurface(dd, 2, 2, 8), dst8 = MakeSurface(dd, 2, 2, 8);
  src8->Fill(7);
  dst8->Fill(3);
  dst8->DrawAlpha(Rect(0, 0, 2, 2), src8->ClientRect(), src8.get(), false, 128);
  EXPECT_EQ(dst8->Pixels(1, 1), 7u);

  // Rotation by a quarter turn about the centre moves the marked corner.
  auto mark = MakeSurface(dd, 4, 4);
  mark->Fill(0x000000FF);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 2; ++x) mark->SetPixels(x, y, 0x00FF0000);
  dst->Fill(0);
  dst->DrawRotate(4, 4, 4, 4, mark->ClientRect(), mark.get(), 0.5, 0.5, false, 0);
  EXPECT_EQ(dst->Pixels(2, 2), 0x00FF0000u);
  dst->Fill(0);
  dst->DrawRotate(4, 4, 4, 4, mark->ClientRect(), mark.get(), 0.5, 0.5, false, 64);
  int red = 0;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) red += dst->Pixels(x, y) == 0x00FF0000u;
  EXPECT_GT(red, 0);
  EXPECT_NE(dst->Pixels(2, 2), 0x00FF0000u);  // the red quarter turned away from the top left
  // Rotated with alpha: 0 nothing, 128 a blend.
  dst->Fill(0x00204080);
  dst->DrawRotateAlpha(4, 4, 4, 4, src->ClientRect(), src.get(), 0.5, 0.5, false, 0, 0);
  EXPECT_EQ(dst->Pixels(4, 4), 0x00204080u);
  dst->DrawRotateAlpha(4, 4, 4, 4, src->ClientRect(), src.get(), 0.5, 0.5, false, 0, 128);
  EXPECT_EQ(dst->Pixels(5, 5), blended);
}

TEST_F(SurfaceTest, FillRectAlphaMasksTheColourAndHonoursTheEnds) {
  auto dst = MakeSurface(dd, 4, 1);
  dst->Fill(0x00204080);
  // Alpha 0 draws nothing (no darkening by a step).
  dst->FillRectAlpha(Rect(0, 0, 4, 1), clWhite, 0);
  EXPECT_EQ(dst->Pixels(0, 0), 0x00204080u);
  // Alpha 255 fills with the colour; a TColor's high bits never act as alpha.
  dst->FillRectAlpha(Rect(0, 0, 1, 1), TColorOf(0x0F0000FF), 255);
  EXPECT_EQ(dst->Pixels(0, 0), 0x00FF0000u);
  dst->FillRectAlpha(Rect(1, 0, 2, 1), clNone, 255);  // clNone = $1FFFFFFF: white
  EXPECT_EQ(dst->Pixels(1, 0), 0x00FFFFFFu);
  // In between: the engine's blend; the same with high bits in the colour.
  dst->FillRectAlpha(Rect(2, 0, 3, 1), TColorOf(0x004080C0), 128);
  dst->FillRectAlpha(Rect(3, 0, 4, 1), TColorOf(0x7F4080C0), 128);
  EXPECT_EQ(dst->Pixels(2, 0), Blend(dd, 0x00204080, 0x00C08040, 128));
  EXPECT_EQ(dst->Pixels(3, 0), dst->Pixels(2, 0));
  // Clipped to the surface; nothing on an indexed surface.
  dst->FillRectAlpha(Rect(-10, -10, 100, 100), clBlack, 255);
  EXPECT_EQ(dst->Pixels(3, 0), 0u);
  auto dst8 = MakeSurface(dd, 2, 2, 8);
  dst8->Fill(3);
  dst8->FillRectAlpha(Rect(0, 0, 2, 2), clWhite, 255);
  EXPECT_EQ(dst8->Pixels(0, 0), 3u);
}

TEST_F(SurfaceTest, ColorMatchIsWhatTheCanvasWritesAndLeavesThePixelsAlone) {
  auto palette = MakePalette(dd);
  const TColor colors[] = {clBlack, clWhite, clFuchsia, TColorOf(0x00336699), TColorOf(0x00808080), clBtnFace};
  for (int bits : {8, 16, 24, 32}) {
    for (bool is565 : {true, false}) {
      if (bits != 16 && !is565) continue;
      SCOPED_TRACE(testing::Message() << bits << (is565 ? "" : " 5-5-5"));
      auto s = MakeSurface(dd, 2, 2, bits, is565);
      if (bits == 8) s->SetPalette(palette.get());
      for (TColor c : colors) {
        s->SetPixels(0, 0, 1);
        const uint32_t match = s->ColorMatch(c);
        EXPECT_EQ(s->Pixels(0, 0), 1u);  // untouched
        s->Canvas()->SetPixels(1, 1, c);
        s->Canvas()->Release();
        EXPECT_EQ(match, s->Pixels(1, 1)) << std::hex << c;
      }
      // While locked it still answers.
      DDSURFACEDESC2 d{};
      ASSERT_TRUE(s->Lock(nullptr, d));
      EXPECT_EQ(s->ColorMatch(clWhite), bits == 8 ? 255u : bits == 16 ? (is565 ? 0xFFFFu : 0x7FFFu) : 0xFFFFFFu);
      s->Unlock();
    }
  }
}

TEST_F(SurfaceTest, LocksDoNotNestAndPixelsInsideALockAnswerNothing) {
  auto s = MakeSurface(dd, 4, 4);
  s->SetPixels(1, 1, 42);
  DDSURFACEDESC2 d{};
  ASSERT_TRUE(s->Lock(nullptr, d));
  EXPECT_EQ(s->LockCount(), 1);
  DDSURFACEDESC2 d2{};
  EXPECT_FALSE(s->Lock(nullptr, d2));
  EXPECT_EQ(s->Pixels(1, 1), 0u);
  s->Unlock();
  EXPECT_EQ(s->Pixels(1, 1), 42u);
  TRect part = Rect(1, 1, 3, 3);
  ASSERT_TRUE(s->Lock(&part, d));
  EXPECT_EQ(*static_cast<uint32_t*>(d.lpSurface), 42u);
  s->Unlock();
}

TEST_F(SurfaceTest, CanvasDrawsTextAndLinesAndMustBeReleasedBeforeABlit) {
  auto s = MakeSurface(dd, 64, 32);
  auto dst = MakeSurface(dd, 64, 32);
  TCanvas* c = s->Canvas();
  c->Brush()->SetColor(clBlack);
  c->FillRect(Rect(0, 0, 64, 32));
  c->Pen()->SetColor(clRed);
  c->MoveTo(0, 30);
  c->LineTo(63, 30);
  c->Font()->SetColor(clWhite);
  c->Brush()->SetStyle(bsClear);
  c->TextOut(2, 2, "1/12");
  // While the canvas holds the context the surface is busy: the copy does nothing.
  dst->Draw(0, 0, s.get(), false);
  EXPECT_EQ(dst->Pixels(10, 30), 0u);
  s->Canvas()->Release();
  dst->Draw(0, 0, s.get(), false);
  EXPECT_EQ(dst->Pixels(10, 30), 0x00FF0000u);
  int white = 0;
  for (int y = 0; y < 28; ++y)
    for (int x = 0; x < 64; ++x) white += (dst->Pixels(x, y) & 0xFF) > 0x80;
  EXPECT_GT(white, 10);
}

TEST_F(SurfaceTest, LoadsGraphicsAndCopiesIntoDIBs) {
  TBitmap bmp;
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(6, 4);
  bmp.Canvas()->Brush()->SetColor(clBlue);
  bmp.Canvas()->FillRect(Rect(0, 0, 6, 4));
  bmp.Canvas()->SetPixels(5, 3, clLime);
  TDirectDrawSurface s(&dd);
  s.LoadFromGraphic(&bmp);
  EXPECT_EQ(s.Width(), 6);
  EXPECT_EQ(s.Pixels(0, 0), 0x0000FFu);
  EXPECT_EQ(s.Pixels(5, 3), 0x00FF00u);
  // A part of it, stretched twice as large.
  s.LoadFromGraphicRect(&bmp, 4, Rect(4, 2, 6, 4), 4);
  EXPECT_EQ(s.Width(), 4);
  EXPECT_EQ(s.Pixels(3, 3), 0x00FF00u);
  EXPECT_EQ(s.Pixels(0, 0), 0x0000FFu);
  TDIB dib;
  s.AssignTo(&dib);
  EXPECT_EQ(dib.BitCount(), 24);
  EXPECT_EQ(dib.Pixels(3, 3), 0x00FF00u);
  // From a DIB, and a duplicate sharing the pixels.
  TDirectDrawSurface fromDib(&dd);
  fromDib.LoadFromGraphic(&dib);
  EXPECT_EQ(fromDib.Pixels(2, 2), 0x00FF00u);
  TDirectDrawSurface dup(&dd);
  dup.Assign(&fromDib);
  fromDib.SetPixels(0, 0, 0x123456);
  EXPECT_EQ(dup.Pixels(0, 0), 0x123456u);
}

TEST_F(SurfaceTest, BltFastFallsBackToBltWhenAClipperIsAttached) {
  auto src = MakeSurface(dd, 2, 2);
  src->Fill(0x777777);
  auto dst = MakeSurface(dd, 4, 4);
  TDirectDrawClipper clipper(&dd);
  // Attached behind the wrapper's back: BltFast refuses, Draw notices and blits.
  ASSERT_EQ(dst->IDDSurface()->SetClipper(clipper.IDDClipper()), DD_OK);
  EXPECT_FALSE(dst->HasClipper());
  dst->Draw(1, 1, src.get(), false);
  EXPECT_TRUE(dst->HasClipper());
  EXPECT_EQ(dst->Pixels(2, 2), 0x777777u);
}

TEST_F(SurfaceTest, LostSurfacesAreReportedAndRestored) {
  auto s = MakeSurface(dd, 2, 2);
  s->Fill(5);
  DirectDrawLoseSurface(s->IDDSurface());
  EXPECT_TRUE(s->IsLost());
  EXPECT_EQ(s->Pixels(0, 0), 0u);
  EXPECT_TRUE(s->Restore());
  EXPECT_FALSE(s->IsLost());
  EXPECT_EQ(s->Pixels(0, 0), 0u);  // the contents are gone
}

TEST(DirectDrawLifetime, TheObjectLetsGoOfWrappersOthersOwn) {
  auto dd = std::make_unique<TDirectDraw>();
  auto s = MakeSurface(*dd, 4, 4);
  auto p = std::make_unique<TDirectDrawPalette>(dd.get());
  auto c = std::make_unique<TDirectDrawClipper>(dd.get());
  s->Canvas()->Pen()->SetColor(clWhite);
  s->Canvas()->MoveTo(0, 0);
  s->Canvas()->LineTo(3, 0);  // a DC held when the object goes
  EXPECT_EQ(dd->Surfaces().size(), 1u);
  dd.reset();
  // The wrappers live on without interfaces; their owners free them later.
  EXPECT_EQ(s->IDDSurface(), nullptr);
  EXPECT_EQ(s->DDraw(), nullptr);
  EXPECT_EQ(p->IDDPalette(), nullptr);
  EXPECT_EQ(c->IDDClipper(), nullptr);
  s->Draw(0, 0, s.get(), false);
  EXPECT_EQ(s->Pixels(0, 0), 0u);
  s.reset();
  p.reset();
  c.reset();
}

}  // namespace
