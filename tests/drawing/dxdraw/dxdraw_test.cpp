// The drawing control: option derivation, the stages and their notifications, every failure of
// Initialize, lost surfaces, the flip destination, display modes.
#include <gtest/gtest.h>

#include "support.h"

using namespace dxdrawtest;

namespace {

uint16_t Word(TDXDrawOptions o) { return DXDrawOptionsWord(o); }
std::vector<LONG> Edges(const TRect& r) { return {r.left, r.top, r.right, r.bottom}; }

// A form with a drawing control filling it, not yet shown.
struct Board {
  HeadlessScreen screen;
  TDXForm* form = nullptr;
  TDXDraw* draw = nullptr;
  Listener listener;

  explicit Board(uint16_t options = 0x348C, int w = 640, int h = 480) : screen(w, h) {
    form = NewDrawingForm(w, h, DXDrawOptionsOf(options), draw);
    draw->RegisterNotifyEvent(listener.Event());
    listener.Codes.clear();
  }
  ~Board() { FreeAndNil(form); }
};

TEST(DXDrawOptions, DerivedWhileStopped) {
  struct Case {
    uint16_t asked, effective;
  };
  const Case cases[] = {
      {0x348C, 0x0088},  // the default: no full screen, no 3D, no hardware
      {0x348D, 0x008D},  // the main form's: full screen, reboot, vertical blank, centre
      {0x0116, 0x0000},  // full-screen-only options without full screen
      {0x0117, 0x0117},  // ... and with it
      {0x0121, 0x0021},  // system memory drops the flipping chain
      {0x7E00, 0x6600},  // 3D keeps its options, DirectX 7 drops retained mode, hardware always goes
      {0x7C00, 0x0000},  // the 3D options without 3D
      {0x1000, 0x0000},
  };
  TDXDraw draw(nullptr);
  for (const Case& c : cases) {
    draw.SetOptions(DXDrawOptionsOf(c.asked));
    EXPECT_EQ(Word(draw.Options()), c.asked);
    EXPECT_EQ(Word(draw.EffectiveOptions()), c.effective) << std::hex << c.asked;
  }
  TDXDraw fresh(nullptr);
  EXPECT_EQ(Word(fresh.Options()), 0x348C);
  EXPECT_TRUE(fresh.EffectiveOptions() == (TDXDrawOptions{doWaitVBlank, doCenter}));
}

TEST(DXDrawOptions, OnlyVBlankStretchAndCentreFollowWhileRunning) {
  Board b(0x0088);
  b.draw->Initialize();
  ASSERT_TRUE(b.draw->Initialized());
  const uint16_t running = Word(b.draw->EffectiveOptions());
  EXPECT_EQ(running, 0x00A8);  // memory surfaces add doSystemMemory
  struct Case {
    uint16_t asked, effective;
  };
  const Case cases[] = {
      {0x0000, 0x0020},  // off: vertical blank and centre go, system memory stays
      {0x00C8, 0x00E8},  // stretch comes
      {0x7F37, 0x0020},  // nothing else follows
      {0x0088, 0x00A8},
  };
  for (const Case& c : cases) {
    b.draw->SetOptions(DXDrawOptionsOf(c.asked));
    EXPECT_EQ(Word(b.draw->EffectiveOptions()), c.effective) << std::hex << c.asked;
  }
  b.draw->Finalize();
  EXPECT_EQ(Word(b.draw->EffectiveOptions()), 0x0088);  // derived again from what was asked
}

TEST(DXDrawStages, NotificationsOfInitializeResizeRestoreFinalize) {
  std::vector<std::string> events;  // outlives the control, which finalises when freed
  Board b(0x0088);
  b.draw->OnInitializing = [&](TObject*) { events.push_back("initializing"); };
  b.draw->OnInitialize = [&](TObject*) { events.push_back("initialize"); };
  b.draw->OnInitializeSurface = [&](TObject*) { events.push_back("surface"); };
  b.draw->OnRestoreSurface = [&](TObject*) { events.push_back("restore"); };
  b.draw->OnFinalizeSurface = [&](TObject*) { events.push_back("finalize surface"); };
  b.draw->OnFinalize = [&](TObject*) { events.push_back("finalize"); };

  b.draw->Initialize();
  EXPECT_EQ(b.listener.Codes, (std::vector<int32_t>{1, 7, 2, 3, 6}));
  EXPECT_EQ(events, (std::vector<std::string>{"initializing", "initialize", "surface", "restore"}));
  EXPECT_EQ(b.draw->Surface()->Width(), 640);

  b.listener.Codes.clear();
  b.draw->SetBounds(0, 0, 320, 200);
  EXPECT_EQ(b.listener.Codes, (std::vector<int32_t>{5, 3, 7}));
  EXPECT_EQ(b.draw->Surface()->Width(), 320);
  EXPECT_EQ(b.draw->SurfaceHeight(), 200);

  b.listener.Codes.clear();
  b.draw->Restore();
  EXPECT_EQ(b.listener.Codes, (std::vector<int32_t>{6}));

  b.listener.Codes.clear();
  events.clear();
  b.draw->Finalize();
  EXPECT_EQ(b.listener.Codes, (std::vector<int32_t>{5, 4}));
  EXPECT_EQ(events, (std::vector<std::string>{"finalize surface", "finalize"}));
  EXPECT_FALSE(b.draw->Initialized());
  EXPECT_EQ(b.draw->SurfaceWidth(), 320);  // remembered for the next start

  // A listener registered later hears the state at once; the last registered hears first.
  b.draw->Initialize();
  Listener late;
  b.draw->RegisterNotifyEvent(late.Event());
  EXPECT_EQ(late.Codes, (std::vector<int32_t>{7, 2, 3, 6}));
  late.Codes.clear();
  b.listener.Codes.clear();
  b.draw->Restore();
  EXPECT_EQ(late.Codes, (std::vector<int32_t>{6}));
  b.draw->UnregisterNotifyEvent(late.Event());
  EXPECT_EQ(late.Codes, (std::vector<int32_t>{6, 5, 4}));

  // A width of 0 on a running control makes a surface 1 pixel wide.
  b.draw->SetAutoSize(false);
  b.draw->SetSurfaceWidth(0);
  EXPECT_EQ(b.draw->Surface()->Width(), 1);
}

TEST(DXDrawStages, EveryFailureOfInitializeLeavesTheControlFinalised) {
  struct Case {
    const char* what;
    uint16_t options;
    std::function<void(Board&)> arrange;
    const char* message;
  };
  GUID other{1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
  const Case cases[] = {
      {"no form", 0x0088, [](Board& b) { b.draw->SetParent(nullptr); }, "フォームが見つかりません"},
      {"no DirectDraw for the driver", 0x1089, [&](Board& b) { b.draw->SetDriverGUID(&other); },
       "DirectDraw を初期化できません"},
      {"display mode", 0x0089, [](Board& b) { b.draw->Display()->SetWidth(1234); },
       "ディスプレイモードを変更できません (1234x480 32bit)"},
      {"primary", 0x0088, [](Board& b) { b.screen.backend->SetDisplaySize(40000, 2); },
       "プライマリサーフェース を作成できません"},
      {"back surface", 0x0088,
       [](Board& b) {
         b.draw->SetAutoSize(false);
         b.draw->SetSurfaceSize(40000, 10);
       },
       "サーフェース を作成できません"},
      {"3D", 0x0288, [](Board&) {}, "3D デバイスが見つかりません"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Board b(c.options);
    c.arrange(b);
    b.listener.Codes.clear();
    try {
      b.draw->Initialize();
      ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), AnsiString(c.message));
    }
    EXPECT_FALSE(b.draw->Initialized());
    EXPECT_EQ(b.draw->Driver(), nullptr);
    EXPECT_EQ(b.draw->DDraw(), nullptr);
    EXPECT_EQ(b.draw->Surface(), nullptr);
    EXPECT_EQ(b.draw->Primary(), nullptr);
    EXPECT_FALSE(b.draw->CanDraw());
    if (std::string(c.what) != "no form") {
      EXPECT_EQ(b.listener.Codes, (std::vector<int32_t>{1, 5, 4}));
    }
  }
}

TEST(DXDrawStages, LostSurfacesAreRestoredOrDrawingStops) {
  Board b(0x0088);
  b.draw->Initialize();
  ASSERT_TRUE(b.draw->CanDraw());
  b.draw->Surface()->Fill(0x123456);
  DirectDrawLoseSurface(b.draw->Surface()->IDDSurface());
  b.listener.Codes.clear();
  EXPECT_TRUE(b.draw->CheckSurfaces());
  EXPECT_EQ(b.listener.Codes, (std::vector<int32_t>{6}));
  EXPECT_EQ(b.draw->Surface()->Pixels(5, 5), 0u);  // restored surfaces start black

  // The screen changes size: the primary cannot come back, nothing is drawn.
  b.screen.backend->SetDisplaySize(800, 600);
  EXPECT_FALSE(b.draw->CheckSurfaces());
  EXPECT_FALSE(b.draw->CanDraw());
  b.draw->Flip();  // does nothing
  b.screen.backend->SetDisplaySize(640, 480);
  EXPECT_TRUE(b.draw->CheckSurfaces());
}

TEST(DXDrawFlip, DestinationWithAndWithoutCentreAndStretch) {
  struct Case {
    uint16_t options;
    int surfaceW, surfaceH;
    TRect dest;
  };
  // The control at (40, 30) of a form at (0, 0), 200 x 100.
  const Case cases[] = {
      {0x0000, 120, 60, Rect(40, 30, 160, 90)},    // at the origin, the surface's size
      {0x0080, 120, 60, Rect(80, 50, 200, 110)},   // centred
      {0x0080, 121, 61, Rect(79, 49, 200, 110)},   // (200 - 121) div 2 = 39
      {0x0080, 300, 150, Rect(-10, 5, 290, 155)},  // larger: negative offsets
      {0x0040, 120, 60, Rect(40, 30, 240, 130)},   // stretched over the control
      {0x00C0, 120, 60, Rect(40, 30, 240, 130)},   // stretch wins over centre
  };
  for (const Case& c : cases) {
    Board b(c.options, 320, 240);
    b.draw->SetAutoSize(false);
    b.draw->SetBounds(40, 30, 200, 100);
    b.draw->SetSurfaceSize(c.surfaceW, c.surfaceH);
    b.form->Show();
    winplat::user::PumpMessages();
    if (!b.draw->Initialized()) b.draw->Initialize();
    auto* driver = dynamic_cast<TDXDrawDriverBlt*>(b.draw->Driver());
    ASSERT_NE(driver, nullptr);
    const TRect d = driver->FlipDestination();
    EXPECT_EQ(Edges(d), Edges(c.dest)) << std::hex << c.options << std::dec << " " << c.surfaceW;
  }
}

}  // namespace
