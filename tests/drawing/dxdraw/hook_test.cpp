// The drawing control's watch on its form: the form's window procedure runs through the control's
// hook, which shows the GDI surface before menus and deactivation over a flipping chain, and
// keeps working when the form's or the control's own window is made again.
#include <gtest/gtest.h>

#include <algorithm>

#include "ExtCtrls.h"
#include "support.h"

using namespace dxdrawtest;

namespace {

// A value no DirectDraw call answers: a call made on the object replaces it.
constexpr HRESULT kUntouched = static_cast<HRESULT>(0x7E57C0DE);

// Sits in the form's window procedure below the drawing control's hook (installed before the
// control is given the form), so it sees each message when the hook passes it on.
struct FormProcedure {
  TCustomForm* form = nullptr;
  TWndMethod own;
  TDXDraw* draw = nullptr;
  struct Seen {
    UINT msg;
    HRESULT result;  // the DirectDraw object's last result when the message arrived
    bool initialized;
  };
  std::vector<Seen> seen;

  void Install(TCustomForm* f) {
    form = f;
    own = f->WindowProc();
    f->SetWindowProc(TWndMethod::Of<&FormProcedure::Proc>(this));
  }
  void Proc(TMessage& m) {
    const bool shown = m.Msg == WM_WINDOWPOSCHANGED && m.LParam &&
                       (reinterpret_cast<const WINDOWPOS*>(m.LParam)->flags & SWP_SHOWWINDOW);
    if (m.Msg == WM_ACTIVATE || m.Msg == WM_INITMENU || m.Msg == WM_DESTROY || shown)
      seen.push_back({m.Msg, draw && draw->DDraw() ? draw->DDraw()->ErrorCode() : kUntouched,
                      draw && draw->Initialized()});
    own(m);
  }
};

// A board whose form has a FormProcedure under the control's hook.
struct WatchedBoard {
  HeadlessScreen screen;
  FormProcedure proc;  // outlives the form, whose window still sends it WM_DESTROY
  TDXForm* form = nullptr;
  TDXDraw* draw = nullptr;
  Listener listener;

  explicit WatchedBoard(uint16_t options, int w = 320, int h = 240) : screen(w, h) {
    form = CreateNewForm<TDXForm>(Application);
    form->SetBorderStyle(bsNone);
    form->SetBounds(0, 0, w, h);
    proc.Install(form);
    draw = new TDXDraw(form);
    proc.draw = draw;
    draw->SetParent(form);
    draw->SetBounds(0, 0, w, h);
    draw->SetOptions(DXDrawOptionsOf(options));
    draw->Display()->SetWidth(w);
    draw->Display()->SetHeight(h);
    draw->Display()->SetBitCount(32);
    draw->RegisterNotifyEvent(listener.Event());
    listener.Codes.clear();
    form->Show();
    winplat::user::PumpMessages();
    listener.Codes.clear();
  }
  ~WatchedBoard() { FreeAndNil(form); }

  // One colour over the whole back surface, presented; answers the screen's pixel in the
  // middle of the control.
  uint32_t Present(TColor c) {
    if (!draw->CanDraw()) return 0xDEADu;
    draw->Surface()->Fill(draw->Surface()->ColorMatch(c));
    draw->Flip();
    winplat::user::PumpMessages();
    return screen.Pixel(draw->Width() / 2, draw->Height() / 2);
  }
};

TEST(DXDrawHook, FlipToGDIBeforeTheFormOnlyOverAFullScreenFlippingChain) {
  struct Message {
    const char* what;
    UINT msg;
    WPARAM wparam;
    bool flips;  // on a full-screen flipping chain
  };
  const Message messages[] = {
      {"deactivated", WM_ACTIVATE, WA_INACTIVE, true},
      {"deactivated while minimised", WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 1), true},
      {"activated", WM_ACTIVATE, WA_ACTIVE, false},
      {"activated by a click", WM_ACTIVATE, WA_CLICKACTIVE, false},
      {"menu", WM_INITMENU, 0, true},
  };
  struct Setup {
    uint16_t options;
    bool chain;
  };
  const Setup setups[] = {
      {0x0101, true},   // full screen, flipping chain
      {0x0109, true},   // ... waiting for the vertical blank
      {0x0089, false},  // full screen through a blit
      {0x0088, false},  // a window
      {0x0100, false},  // a chain is not kept without full screen
  };
  for (const Setup& s : setups) {
    WatchedBoard b(s.options);
    ASSERT_TRUE(b.draw->Initialized()) << std::hex << s.options;
    ASSERT_EQ(dynamic_cast<TDXDrawDriverFlip*>(b.draw->Driver()) != nullptr, s.chain);
    for (const Message& m : messages) {
      SCOPED_TRACE(std::string(m.what) + " " + std::to_string(s.options));
      b.draw->DDraw()->SetErrorCode(kUntouched);
      b.proc.seen.clear();
      SendMessageA(b.form->Handle(), m.msg, m.wparam, 0);
      ASSERT_EQ(b.proc.seen.size(), 1u);  // the form's own procedure still gets it
      const bool flipped = s.chain && m.flips;
      EXPECT_EQ(b.proc.seen[0].result, flipped ? DD_OK : kUntouched);
      EXPECT_TRUE(b.draw->Initialized());
    }
    // Not initialised there is no DirectDraw object to ask.
    b.draw->Finalize();
    b.proc.seen.clear();
    SendMessageA(b.form->Handle(), WM_INITMENU, 0, 0);
    SendMessageA(b.form->Handle(), WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_EQ(b.proc.seen.size(), 2u);
  }
}

TEST(DXDrawHook, TheFormHearsItsShowBeforeTheStartAndItsDestroyAfterTheEnd) {
  WatchedBoard b(0x0088);
  ASSERT_TRUE(b.draw->Initialized());
  auto first = [&](UINT msg) {
    return std::find_if(b.proc.seen.begin(), b.proc.seen.end(), [&](const FormProcedure::Seen& s) { return s.msg == msg; });
  };
  auto shown = first(WM_WINDOWPOSCHANGED);
  ASSERT_NE(shown, b.proc.seen.end());
  EXPECT_FALSE(shown->initialized);
  b.proc.seen.clear();
  b.form->RecreateWnd();
  auto destroy = first(WM_DESTROY);
  ASSERT_NE(destroy, b.proc.seen.end());
  EXPECT_FALSE(destroy->initialized);
  EXPECT_EQ(b.listener.Codes, (std::vector<int32_t>{5, 4}));
}

TEST(DXDrawHook, ShownFormsStartTheControlOnceAndOnlyWithAutoInitialize) {
  {
    Board b(0x0088, 320, 240);
    b.Show();
    EXPECT_TRUE(b.draw->Initialized());
    EXPECT_EQ(b.listener.Codes, (std::vector<int32_t>{1, 7, 2, 3, 6}));
    // Hidden and shown again: no second start, not even after a finalise.
    b.draw->Finalize();
    b.form->Hide();
    b.Show();
    EXPECT_FALSE(b.draw->Initialized());
  }
  {
    Board b(0x0088, 320, 240);
    b.draw->SetAutoInitialize(false);
    b.Show();
    EXPECT_FALSE(b.draw->Initialized());
    EXPECT_TRUE(b.listener.Codes.empty());
    b.draw->Initialize();
    EXPECT_TRUE(b.draw->Initialized());
  }
}

// The control's window made again while it runs (a new window of its own, the form's stays):
// the clipper follows the new window, the cooperative level is set again, and frames still
// reach the screen.
TEST(DXDrawHook, TheControlsNewWindowGetsTheClipperAndTheCooperativeLevel) {
  const uint16_t options[] = {0x0088, 0x0089, 0x0101};
  for (uint16_t o : options) {
    SCOPED_TRACE(o);
    WatchedBoard b(o);
    ASSERT_TRUE(b.draw->Initialized());
    EXPECT_EQ(b.Present(TColor(0x0000C0)), 0xC00000u);
    HWND bound = nullptr;
    ASSERT_EQ(b.draw->Clipper()->IClipper()->GetHWnd(&bound), DD_OK);
    // The blit driver binds the clipper to the control; the chain leaves it unbound.
    EXPECT_EQ(bound, o == 0x0101 ? nullptr : b.draw->Handle());

    const HWND old = b.draw->Handle();
    b.draw->DDraw()->SetErrorCode(kUntouched);
    b.listener.Codes.clear();
    b.draw->RecreateWnd();
    winplat::user::PumpMessages();
    ASSERT_TRUE(b.draw->HandleAllocated());
    EXPECT_NE(b.draw->Handle(), old);
    EXPECT_FALSE(IsWindow(old));
    EXPECT_TRUE(b.draw->Initialized());
    EXPECT_TRUE(b.listener.Codes.empty());
    ASSERT_EQ(b.draw->Clipper()->IClipper()->GetHWnd(&bound), DD_OK);
    EXPECT_EQ(bound, b.draw->Handle());
    EXPECT_EQ(b.draw->DDraw()->ErrorCode(), DD_OK);  // SetCooperativeLevel answered
    EXPECT_EQ(b.Present(TColor(0xC00000)), 0x0000C0u);
  }
  // Without DirectDraw a new window changes nothing.
  WatchedBoard b(0x0088);
  b.draw->Finalize();
  b.draw->RecreateWnd();
  EXPECT_FALSE(b.draw->Initialized());
  EXPECT_EQ(b.draw->Clipper(), nullptr);
}

// The form's window made again: its destroy finalises the control as any destroy does, the
// automatic start does not come twice, and the hook, which sits in the form's window
// procedure and not on one window, goes on serving the new window.
TEST(DXDrawHook, TheFormsNewWindowIsStillWatched) {
  WatchedBoard b(0x0101);
  ASSERT_TRUE(b.draw->Initialized());
  const HWND old = b.form->Handle();
  b.form->RecreateWnd();
  winplat::user::PumpMessages();
  ASSERT_TRUE(b.form->HandleAllocated());
  EXPECT_NE(b.form->Handle(), old);
  EXPECT_EQ(b.listener.Codes, (std::vector<int32_t>{5, 4}));
  EXPECT_FALSE(b.draw->Initialized());

  // Started again by hand, on the new windows.
  b.draw->Initialize();
  ASSERT_TRUE(b.draw->Initialized());
  b.form->SetFocus();
  winplat::user::PumpMessages();
  EXPECT_EQ(b.Present(TColor(0x00C000)), 0x00C000u);
  b.draw->DDraw()->SetErrorCode(kUntouched);
  b.proc.seen.clear();
  SendMessageA(b.form->Handle(), WM_INITMENU, 0, 0);
  ASSERT_EQ(b.proc.seen.size(), 1u);
  EXPECT_EQ(b.proc.seen[0].result, DD_OK);

  // The new window's destroy reaches the hook too.
  b.listener.Codes.clear();
  b.form->RecreateWnd();
  EXPECT_EQ(b.listener.Codes, (std::vector<int32_t>{5, 4}));
}

TEST(DXDrawHook, TheHookFollowsTheControlToItsNewForm) {
  HeadlessScreen screen(320, 240);
  TDXDraw* draw = nullptr;
  TDXForm* first = NewDrawingForm(320, 240, DXDrawOptionsOf(0x0088), draw);
  TDXForm* second = CreateNewForm<TDXForm>(Application);
  auto* panel = new TPanel(second);
  panel->SetParent(second);
  panel->SetBounds(10, 10, 200, 150);

  // Inside a panel the form is found among the parents.
  draw->SetParent(panel);
  EXPECT_EQ(draw->ParentForm(), second);
  second->Show();
  winplat::user::PumpMessages();
  EXPECT_TRUE(draw->Initialized());

  // The old form's window no longer reaches the control; the new one's does.
  first->Show();
  first->RecreateWnd();
  EXPECT_TRUE(draw->Initialized());
  second->RecreateWnd();
  EXPECT_FALSE(draw->Initialized());

  // Without a parent there is no form and no hook: destroying a form changes nothing.
  draw->SetParent(nullptr);
  EXPECT_EQ(draw->ParentForm(), nullptr);
  FreeAndNil(second);
  FreeAndNil(first);  // owns the control
}

// A start that fails when the form is first shown reaches the application's exception handler
// through the form's window procedure; the control stays finalised and the form shown.
TEST(DXDrawHook, AFailedAutomaticStartReachesTheApplicationsHandler) {
  struct Case {
    const char* what;
    uint16_t options;
    int displayWidth;
    const char* message;
  };
  const Case cases[] = {
      {"display mode", 0x0089, 1234, "ディスプレイモードを変更できません (1234x240 32bit)"},
      {"3D", 0x0288, 320, "3D デバイスが見つかりません"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<AnsiString> caught;
    Application->OnException = [&](TObject*, Exception* e) { caught.push_back(e->Message()); };
    {
      Board b(c.options, 320, 240);
      b.draw->Display()->SetWidth(c.displayWidth);
      b.Show();
      EXPECT_EQ(caught, (std::vector<AnsiString>{AnsiString(c.message)}));
      EXPECT_TRUE(b.form->Visible());
      EXPECT_FALSE(b.draw->Initialized());
      EXPECT_EQ(b.draw->Driver(), nullptr);
      EXPECT_EQ(b.listener.Codes, (std::vector<int32_t>{1, 5, 4}));
    }
    Application->OnException = nullptr;
  }
}

}  // namespace
