// The drawing control: option derivation, the stages and their notifications, every failure of
// Initialize, lost surfaces, the flip destination, display modes.
#include <gtest/gtest.h>

#include <cstring>

#include "support.h"

using namespace dxdrawtest;

namespace {

uint16_t Word(TDXDrawOptions o) { return DXDrawOptionsWord(o); }
std::vector<LONG> Edges(const TRect& r) { return {r.left, r.top, r.right, r.bottom}; }

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

// A value no DirectDraw call answers: a call made on the object replaces it.
constexpr HRESULT kUntouched = static_cast<HRESULT>(0x7E57C0DE);

TEST(DXDrawFlip, AChainOnTheScreenExchangesItsBuffersWhileTheFormIsActive) {
  Board b(0x0109, 320, 240);  // full screen, vertical blank, flipping chain
  b.Show();
  ASSERT_TRUE(b.draw->Initialized());
  ASSERT_NE(dynamic_cast<TDXDrawDriverFlip*>(b.draw->Driver()), nullptr);
  const DWORD frontCaps = b.draw->Primary()->SurfaceDesc().ddsCaps.dwCaps;
  EXPECT_EQ(frontCaps & 0x218u, 0x218u);  // primary, flip, complex
  TDirectDrawSurface* back = b.draw->Surface();
  const DWORD backCaps = back->SurfaceDesc().ddsCaps.dwCaps;
  EXPECT_TRUE(backCaps & DDSCAPS_BACKBUFFER);
  EXPECT_EQ(back->Width(), 320);
  EXPECT_EQ(back->Height(), 240);
  EXPECT_EQ(b.draw->EffectiveOptions().Contains(doSystemMemory), (backCaps & DDSCAPS_SYSTEMMEMORY) != 0);
  HWND bound = reinterpret_cast<HWND>(1);
  ASSERT_EQ(b.draw->Clipper()->IClipper()->GetHWnd(&bound), DD_OK);
  EXPECT_EQ(bound, nullptr);  // a chain needs no clipper

  // Each flip brings the back buffer to the screen and hands back what the screen showed.
  const uint32_t red = back->ColorMatch(TColor(0x0000FF)), blue = back->ColorMatch(TColor(0xFF0000));
  back->Fill(red);
  b.draw->Flip();
  EXPECT_EQ(b.screen.Pixel(160, 120), 0xFF0000u);
  back->Fill(blue);
  b.draw->Flip();
  EXPECT_EQ(b.screen.Pixel(160, 120), 0x0000FFu);
  EXPECT_EQ(back->Pixels(160, 120), red);
  EXPECT_EQ(b.draw->Primary()->Pixels(160, 120), blue);

  // A chain keeps the screen's size: resizing the control changes nothing and tells nobody.
  b.listener.Codes.clear();
  b.draw->SetBounds(0, 0, 200, 100);
  EXPECT_EQ(b.draw->Surface()->Width(), 320);
  EXPECT_TRUE(b.listener.Codes.empty());

  // While another form is active nothing is flipped.
  TForm* other = CreateNewForm<TForm>(Application);
  other->SetBorderStyle(bsNone);
  other->SetBounds(300, 220, 20, 20);
  other->Show();
  other->SetFocus();
  winplat::user::PumpMessages();
  ASSERT_EQ(Screen->ActiveForm(), other);
  const uint32_t before = b.screen.Pixel(10, 10);
  back->Fill(back->ColorMatch(TColor(0x00FF00)));
  b.draw->Primary()->SetErrorCode(kUntouched);
  b.draw->Flip();
  EXPECT_EQ(b.screen.Pixel(10, 10), before);
  EXPECT_EQ(b.draw->Primary()->ErrorCode(), DD_OK);
  FreeAndNil(other);
  b.form->SetFocus();
  winplat::user::PumpMessages();
  ASSERT_EQ(Screen->ActiveForm(), b.form);
  back->Fill(back->ColorMatch(TColor(0x00FF00)));
  b.draw->Flip();
  EXPECT_EQ(b.screen.Pixel(10, 10), 0x00FF00u);

  // A lost chain is restored as a whole and flips again.
  DirectDrawLoseSurface(b.draw->Primary()->IDDSurface());
  b.listener.Codes.clear();
  EXPECT_TRUE(b.draw->CheckSurfaces());
  EXPECT_EQ(b.listener.Codes, (std::vector<int32_t>{6}));
  back->Fill(back->ColorMatch(clWhite));
  b.draw->Flip();
  EXPECT_EQ(b.screen.Pixel(10, 10), 0xFFFFFFu);
}

TEST(DXDrawFlip, PaintPresentsTheFrameWithoutWaitingForTheDisplay) {
  Board b(0x0088, 320, 240);  // vertical blank, centre
  b.Show();
  ASSERT_TRUE(b.draw->Initialized());
  TDirectDrawSurface* s = b.draw->Surface();
  s->Fill(s->ColorMatch(TColor(0x00FFFF)));
  EXPECT_NE(b.screen.Pixel(160, 120), 0xFFFF00u);  // drawn, not presented
  b.draw->DDraw()->SetErrorCode(kUntouched);
  b.draw->Invalidate();
  winplat::user::PumpMessages();
  EXPECT_EQ(b.screen.Pixel(160, 120), 0xFFFF00u);
  EXPECT_EQ(b.draw->DDraw()->ErrorCode(), kUntouched);  // no wait for the vertical blank
  EXPECT_TRUE(b.draw->EffectiveOptions().Contains(doWaitVBlank));
  b.draw->Flip();
  EXPECT_EQ(b.draw->DDraw()->ErrorCode(), DD_OK);  // a frame of its own waits
}

TEST(DXDrawStages, PaletteChangesRestoreOnlyInTheForeground) {
  Board b(0x0088, 320, 240);
  b.draw->Initialize();
  b.listener.Codes.clear();
  EXPECT_FALSE(b.draw->PaletteChanged(false));
  EXPECT_TRUE(b.listener.Codes.empty());
  EXPECT_TRUE(b.draw->PaletteChanged(true));
  EXPECT_EQ(b.listener.Codes, (std::vector<int32_t>{6}));
  b.draw->Finalize();
  b.listener.Codes.clear();
  EXPECT_TRUE(b.draw->PaletteChanged(true));  // answered, nothing to restore
  EXPECT_TRUE(b.listener.Codes.empty());
}

// Listeners that write into one log with their names.
struct Named {
  std::string name;
  std::vector<std::string>* log;
  void Notify(TCustomDXDraw*, int32_t c) { log->push_back(name + std::to_string(c)); }
  TDXDrawNotifyEvent Event() { return TDXDrawNotifyEvent::Of<&Named::Notify>(this); }
};

TEST(DXDrawNotify, LastRegisteredFirstReRegisteringAndTheControlsEnd) {
  std::vector<std::string> log;
  Named a{"a", &log}, b2{"b", &log}, stranger{"c", &log};
  Board b(0x0088, 320, 240);
  b.draw->RegisterNotifyEvent(a.Event());
  b.draw->RegisterNotifyEvent(b2.Event());
  EXPECT_EQ(log, (std::vector<std::string>{"a7", "b7"}));
  log.clear();
  b.draw->Initialize();
  EXPECT_EQ(log, (std::vector<std::string>{"b1", "a1", "b7", "a7", "b2", "a2", "b3", "a3", "b6", "a6"}));

  // Registered again: it hears the end and the state again, and from then on is the last one.
  log.clear();
  b.draw->RegisterNotifyEvent(a.Event());
  EXPECT_EQ(log, (std::vector<std::string>{"a5", "a4", "a7", "a2", "a3", "a6"}));
  log.clear();
  b.draw->Restore();
  EXPECT_EQ(log, (std::vector<std::string>{"a6", "b6"}));
  b.draw->UnregisterNotifyEvent(stranger.Event());
  EXPECT_EQ(log.size(), 2u);

  // Freed, the control finalises and then says so.
  log.clear();
  delete b.draw;
  b.draw = nullptr;
  EXPECT_EQ(log, (std::vector<std::string>{"a5", "b5", "a4", "b4", "a0", "b0"}));
}

TEST(DXDrawNotify, ListenersJoiningDuringTheStartHearEachStageOnce) {
  struct Case {
    const char* when;
    TNotifyEvent TDXDraw::*event;
    std::vector<int32_t> codes;
  };
  const Case cases[] = {
      // Before the start: the state (7), then every stage.
      {"initializing", &TDXDraw::OnInitializing, {7, 1, 7, 2, 3, 6}},
      // While starting no restore is replayed: the real one follows.
      {"initialize", &TDXDraw::OnInitialize, {7, 2, 3, 6}},
      {"initialize surface", &TDXDraw::OnInitializeSurface, {7, 2, 3, 6}},
      {"restore surface", &TDXDraw::OnRestoreSurface, {7, 2, 3, 6}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.when);
    Listener late;
    Board b(0x0088, 320, 240);
    bool joined = false;
    b.draw->*c.event = [&](TObject*) {
      if (!joined) b.draw->RegisterNotifyEvent(late.Event());
      joined = true;
    };
    b.draw->Initialize();
    EXPECT_EQ(late.Codes, c.codes);
    b.draw->UnregisterNotifyEvent(late.Event());
  }
}

TEST(DXDrawStages, FinalisingGoesOnWhenAStageEventRaises) {
  struct Case {
    const char* what;
    bool surfaceRaises, finalizeRaises;
    const char* message;  // the exception that passes on: the first one
  };
  const Case cases[] = {
      {"surface event", true, false, "surface"},
      {"finalize event", false, true, "finalize"},
      {"both", true, true, "surface"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    bool finalizeFired = false;
    Board b(0x0088, 320, 240);
    TDXImageList images(nullptr);
    images.SetDXDraw(b.draw);
    b.draw->Initialize();
    ASSERT_TRUE(images.Items()->Initialized());
    b.listener.Codes.clear();
    b.draw->OnFinalizeSurface = [&](TObject*) {
      if (c.surfaceRaises) throw Exception("surface");
    };
    b.draw->OnFinalize = [&](TObject*) {
      finalizeFired = true;
      if (c.finalizeRaises) throw Exception("finalize");
    };
    try {
      b.draw->Finalize();
      ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), AnsiString(c.message));
    }
    // Every listener heard both stages: the image list let go of the DirectDraw object.
    EXPECT_TRUE(finalizeFired);
    EXPECT_EQ(b.listener.Codes, (std::vector<int32_t>{5, 4}));
    EXPECT_FALSE(images.Items()->Initialized());
    EXPECT_FALSE(b.draw->Initialized());
    EXPECT_EQ(b.draw->Driver(), nullptr);
    b.draw->OnFinalizeSurface = nullptr;
    b.draw->OnFinalize = nullptr;
    b.draw->Finalize();  // nothing owed any more
    EXPECT_EQ(b.listener.Codes.size(), 2u);
    b.draw->Initialize();
    EXPECT_TRUE(images.Items()->Initialized());
    images.SetDXDraw(nullptr);
  }
}

TEST(DXDrawStages, AResizeThatFailsFinalisesTheControl) {
  Board b(0x0088, 320, 240);
  b.draw->Initialize();
  b.draw->SetAutoSize(false);
  b.listener.Codes.clear();
  try {
    b.draw->SetSurfaceSize(40000, 10);
    ADD_FAILURE() << "no exception";
  } catch (const EDXDrawError& e) {
    EXPECT_EQ(e.Message(), AnsiString("サーフェース を作成できません"));
  }
  // The surface went (5), then the control finalised (5, 4).
  EXPECT_EQ(b.listener.Codes, (std::vector<int32_t>{5, 5, 4}));
  EXPECT_FALSE(b.draw->Initialized());
  EXPECT_EQ(b.draw->Surface(), nullptr);
  EXPECT_FALSE(b.draw->CanDraw());
}

TEST(DXDrawOptions, TheDriverGuidIsCopiedUnlessItIsASelector) {
  TDXDraw d(nullptr);
  EXPECT_EQ(d.DriverGUID(), nullptr);
  GUID g{0x12345678, 0x9ABC, 0xDEF0, {1, 2, 3, 4, 5, 6, 7, 8}};
  const GUID original = g;
  d.SetDriverGUID(&g);
  ASSERT_NE(d.DriverGUID(), nullptr);
  EXPECT_NE(d.DriverGUID(), &g);
  g.Data1 = 99;  // the caller's GUID may go away or change
  EXPECT_EQ(std::memcmp(d.DriverGUID(), &original, sizeof original), 0);
  GUID* const selectors[] = {nullptr, reinterpret_cast<GUID*>(1), reinterpret_cast<GUID*>(2)};
  for (GUID* s : selectors) {
    d.SetDriverGUID(s);
    EXPECT_EQ(d.DriverGUID(), s);
  }
}

TEST(DXDrawPalette, TheSystemColoursStayUnlessAllAreAllowed) {
  PALETTEENTRY system[256] = {};
  HDC dc = GetDC(nullptr);
  GetSystemPaletteEntries(dc, 0, 256, system);
  ReleaseDC(nullptr, dc);
  auto same = [](const PALETTEENTRY& e, const RGBQUAD& q) {
    return e.peRed == q.rgbRed && e.peGreen == q.rgbGreen && e.peBlue == q.rgbBlue;
  };
  {
    // A new control's tables are the system palette.
    TDXDraw fresh(nullptr);
    for (int i = 0; i < 256; ++i) {
      EXPECT_TRUE(same(system[i], fresh.ColorTable()[i])) << i;
      EXPECT_TRUE(same(system[i], fresh.DefaultColorTable()[i])) << i;
    }
  }
  struct Case {
    uint16_t options;
    bool all;  // doAllowPalette256 in effect
  };
  const Case cases[] = {{0x0088, false}, {0x0089, false}, {0x0099, true}, {0x0098, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.options);
    Board b(c.options, 320, 240);
    for (int i = 0; i < 256; ++i)
      b.draw->ColorTable()[i] = RGBQUAD{static_cast<BYTE>(i), static_cast<BYTE>(255 - i), static_cast<BYTE>(i * 7), 0};
    auto entries = [&] {
      std::vector<PALETTEENTRY> e(256);
      EXPECT_EQ(b.draw->Palette()->IPalette()->GetEntries(0, 0, 256, e.data()), DD_OK);
      return e;
    };
    std::vector<PALETTEENTRY> during;
    b.draw->OnRestoreSurface = [&](TObject*) { during = entries(); };
    b.draw->Initialize();
    const std::vector<PALETTEENTRY> after = entries();
    ASSERT_EQ(during.size(), 256u);
    for (int i = 0; i < 256; ++i) {
      const bool fixed = !c.all && (i < 10 || i >= 246);
      EXPECT_TRUE(fixed ? std::memcmp(&after[i], &system[i], 3) == 0 : same(after[i], b.draw->ColorTable()[i])) << i;
      EXPECT_EQ(after[i].peFlags, PC_NOCOLLAPSE) << i;
      // While the listeners restore, the default table is loaded.
      if (!fixed) {
        EXPECT_TRUE(same(during[i], b.draw->DefaultColorTable()[i])) << i;
      }
    }
  }
}

TEST(DXDrawStages, SurfaceSizeWhileStopped) {
  Board b(0x0088, 320, 240);
  b.draw->SetBounds(0, 0, 300, 200);  // follows the control
  EXPECT_EQ(b.listener.Codes, (std::vector<int32_t>{7}));
  EXPECT_EQ(b.draw->SurfaceWidth(), 300);
  EXPECT_EQ(b.draw->SurfaceHeight(), 200);
  b.draw->SetSurfaceSize(300, 200);  // the same size: nothing
  EXPECT_EQ(b.listener.Codes.size(), 1u);
  b.draw->SetAutoSize(false);
  b.draw->SetBounds(0, 0, 100, 100);
  EXPECT_EQ(b.draw->SurfaceWidth(), 300);
  b.draw->SetSurfaceWidth(50);
  EXPECT_EQ(b.draw->SurfaceWidth(), 50);
  EXPECT_EQ(b.draw->SurfaceHeight(), 200);
  EXPECT_EQ(b.listener.Codes, (std::vector<int32_t>{7, 7}));
  // Switched on again, the size follows the control at once.
  b.draw->SetAutoSize(true);
  EXPECT_EQ(b.draw->SurfaceWidth(), 100);
  EXPECT_EQ(b.draw->SurfaceHeight(), 100);
  b.draw->Initialize();
  EXPECT_EQ(b.draw->Surface()->Width(), 100);
}

}  // namespace
