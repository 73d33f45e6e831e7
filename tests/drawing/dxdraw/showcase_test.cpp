// The drawing layer as the board uses it: a full-screen TDXDraw on a TDXForm with a tool strip
// above it, a TDXImageList of pictures drawn with transparency, alpha and rotation, and Flip; on
// the headless screen and on the SDL2 screen.
#include <gtest/gtest.h>

#include "support.h"
#include "test_support.h"

using namespace dxdrawtest;

namespace {

// A tool strip painted by itself: light grey with dark buttons, above the drawing control.
class TToolStrip : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;

 protected:
  void Paint() override {
    Canvas()->Brush()->SetColor(TColor(0xC0C0C0));
    Canvas()->FillRect(ClientRect());
    Canvas()->Brush()->SetColor(TColor(0x404040));
    for (int i = 0; i < 6; ++i) Canvas()->FillRect(Rect(8 + i * 40, 6, 40 + i * 40, 34));
  }
};

TBitmap* NewBitmap(int w, int h, TColor background) {
  auto* b = new TBitmap;
  b->SetPixelFormat(pf24bit);
  b->SetWidth(w);
  b->SetHeight(h);
  b->Canvas()->Brush()->SetColor(background);
  b->Canvas()->FillRect(Rect(0, 0, w, h));
  return b;
}

struct Showcase {
  TDXForm* form;
  TDXDraw* draw;
  TToolStrip* strip;
  TDXImageList* images;

  explicit Showcase(int w, int h) {
    form = NewDrawingForm(w, h,
                          TDXDrawOptions{doFullScreen, doAllowReboot, doWaitVBlank, doCenter, doDirectX7Mode,
                                         doHardware, doSelectDriver},
                          draw);
    strip = new TToolStrip(form);
    strip->SetParent(form);
    strip->SetBounds(0, 0, w, 40);
    strip->BringToFront();
    images = new TDXImageList(form);

    // A yellow disc on black (the key colour), a blue pane, an arrow on black.
    auto* stamp = images->Items()->Add();
    stamp->SetName("stamp");
    std::unique_ptr<TBitmap> b(NewBitmap(64, 64, clBlack));
    b->Canvas()->Brush()->SetColor(clYellow);
    b->Canvas()->Pen()->SetColor(clYellow);
    b->Canvas()->Ellipse(4, 4, 60, 60);
    stamp->Picture()->Assign(b.get());
    auto* pane = images->Items()->Add();
    pane->SetName("pane");
    pane->SetTransparent(false);
    b.reset(NewBitmap(160, 120, TColor(0xFF8000)));
    pane->Picture()->Assign(b.get());
    auto* arrow = images->Items()->Add();
    arrow->SetName("arrow");
    b.reset(NewBitmap(200, 100, clBlack));
    b->Canvas()->Brush()->SetColor(clWhite);
    b->Canvas()->FillRect(Rect(0, 40, 150, 60));
    b->Canvas()->Brush()->SetColor(clRed);
    b->Canvas()->FillRect(Rect(150, 20, 200, 80));
    arrow->Picture()->Assign(b.get());
    images->SetDXDraw(draw);
  }
  ~Showcase() { FreeAndNil(form); }

  void Frame() {
    if (!draw->CanDraw()) return;
    TDirectDrawSurface* s = draw->Surface();
    s->Fill(s->ColorMatch(TColor(0x204020)));  // the board's green
    TPictureCollection* items = images->Items();
    items->Restore();
    for (int i = 0; i < 4; ++i) items->Find("stamp")->Draw(s, 40 + i * 80, 20, 0);
    items->Find("pane")->DrawAlpha(s, Rect(40, 120, 200, 240), 0, 128);
    items->Find("arrow")->DrawRotate(s, 400, 200, 200, 100, 0, 0.5, 0.5, 32);
    items->Find("arrow")->DrawRotateAlpha(s, 540, 360, 200, 100, 0, 0.5, 0.5, 224, 160);
    draw->Flip();
  }
};

void CheckFrame(const std::function<uint32_t(int, int)>& at) {
  // The strip stays above the board: the blit never paints over it.
  EXPECT_EQ(at(4, 4), 0xC0C0C0u);
  EXPECT_EQ(at(20, 20), 0x404040u);
  // The lower half of the first stamp shows below the strip; its black corners let the board
  // through.
  EXPECT_EQ(at(72, 70), 0xFFFF00u);
  EXPECT_EQ(at(42, 82), 0x204020u);
  // Half of the pane's blue over the green.
  const uint32_t blend = at(100, 180);
  EXPECT_NEAR(static_cast<int>(blend & 0xFF), (0xFF + 0x20) / 2, 2);
  EXPECT_NEAR(static_cast<int>(blend >> 16), (0x00 + 0x20) / 2, 2);
  // The arrows' shafts pass through their centres, whatever the angle; the second one's white
  // at 160 of 255 over the green.
  EXPECT_EQ(at(400, 200), 0xFFFFFFu);
  const uint32_t shaft = at(540, 360);
  EXPECT_NEAR(static_cast<int>(shaft >> 16), 0x20 + (0xFF - 0x20) * 160 / 255, 2);
  EXPECT_NEAR(static_cast<int>((shaft >> 8) & 0xFF), 0x40 + (0xFF - 0x40) * 160 / 255, 2);
  // Its head points up and to the right, clear of the first arrow's.
  EXPECT_NEAR(static_cast<int>(at(600, 300) >> 16), (0x20 * 95 + 0xFF * 160) / 255, 2);
  EXPECT_NEAR(static_cast<int>((at(600, 300) >> 8) & 0xFF), 0x40 * 95 / 255, 2);
}

TEST(DrawingShowcase, HeadlessScreen) {
  HeadlessScreen screen(640, 480);
  Showcase show(640, 480);
  show.form->Show();
  winplat::user::PumpMessages();
  ASSERT_TRUE(show.draw->Initialized());
  EXPECT_TRUE(show.draw->EffectiveOptions() == (TDXDrawOptions{doFullScreen, doAllowReboot, doWaitVBlank, doCenter,
                                                                doSystemMemory}));
  show.Frame();
  winplat::user::PumpMessages();
  ASSERT_TRUE(test_support::WriteScreenshotPng("showcase_headless.png"));
  CheckFrame([&](int x, int y) { return screen.Pixel(x, y); });

  // Drawing on a picture's bitmap counts as a change: the next frame shows it.
  TBitmap* bitmap = show.images->Items()->Find("pane")->Picture()->Bitmap();
  bitmap->Canvas()->Brush()->SetColor(clRed);
  bitmap->Canvas()->FillRect(Rect(0, 0, 160, 120));
  show.Frame();
  EXPECT_NEAR(static_cast<int>(screen.Pixel(100, 180) >> 16), (0xFF + 0x20) / 2, 2);
  ASSERT_TRUE(test_support::WriteScreenshotPng("showcase_headless_changed.png"));

  // Finalising the control finalises the image list's items through its notification.
  show.draw->Finalize();
  EXPECT_FALSE(show.images->Items()->Find("stamp")->Initialized());
  EXPECT_TRUE(show.images->Items()->Find("stamp")->Surfaces().empty());
}

TEST(DrawingShowcase, SdlScreen) {
  winplat::screen::SetSdlWindowSize(640, 480);
  auto sdl = winplat::screen::MakeSdlBackend("showcase");
  if (!sdl) GTEST_SKIP() << "no SDL video";
  winplat::screen::SetBackend(sdl);
  {
    Showcase show(640, 480);
    show.form->Show();
    winplat::user::PumpMessages();
    ASSERT_TRUE(show.draw->Initialized());
    show.Frame();
    winplat::user::PumpMessages();
    ASSERT_TRUE(test_support::WriteScreenshotPng("showcase_sdl.png"));
    int w = 0, h = 0;
    const std::vector<uint32_t> px = sdl->Screenshot(&w, &h);
    CheckFrame([&](int x, int y) { return px[static_cast<size_t>(y) * w + x]; });
  }
  winplat::screen::SetBackend(nullptr);
}

}  // namespace
