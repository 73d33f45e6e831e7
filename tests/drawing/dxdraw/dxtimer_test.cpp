// The frame timer on an injected clock: tick, LagCount and FrameRate rules, starting and
// stopping, activation; the drawing form's window style and minimise.
#include <gtest/gtest.h>

#include "support.h"

using namespace dxdrawtest;

namespace {

uint32_t g_now = 0;

struct Clock {
  Clock(uint32_t start = 100000) {
    g_now = start;
    TCustomDXTimer::SetClock([] { return g_now; });
  }
  ~Clock() { TCustomDXTimer::SetClock(nullptr); }
};

// Runs the application's idle handler once, as the message loop does when no message waits.
bool Idle() {
  if (!Application->OnIdle) return false;
  bool done = true;
  Application->OnIdle(Application, done);
  EXPECT_FALSE(done);
  return true;
}

struct Ticks {
  std::vector<int32_t> lags;
  void Attach(TDXTimer& t) {
    t.OnTimer = [this](TObject*, int32_t lag) { lags.push_back(lag); };
  }
};

// The application becomes active or inactive as when the user switches to it or away.
void Activate(bool active) {
  SendMessageA(Application->Handle(), WM_ACTIVATEAPP, active ? TRUE : FALSE, 0);
  winplat::user::PumpMessages();
  ASSERT_EQ(Application->Active(), active);
}

TEST(DXTimer, TickAndLagCountRules) {
  Clock clock;
  Activate(true);
  TDXTimer timer(nullptr);
  EXPECT_EQ(timer.Interval(), 1000);
  EXPECT_TRUE(timer.Enabled());
  EXPECT_TRUE(timer.ActiveOnly());
  EXPECT_FALSE(timer.Started());  // starts only when loaded or enabled
  timer.SetEnabled(false);
  timer.SetEnabled(true);
  ASSERT_TRUE(timer.Started());
  Ticks t;
  t.Attach(timer);

  struct Step {
    uint32_t advance;
    std::vector<int32_t> lags;  // all ticks so far
  };
  const Step steps[] = {
      {999, {}},         // not yet
      {1501, {2}},       // 2500 ms: two whole intervals
      {1000, {2, 1}},
      {0, {2, 1}},
      {3999, {2, 1, 3}},
  };
  for (const Step& s : steps) {
    g_now += s.advance;
    Idle();
    EXPECT_EQ(t.lags, s.lags) << "after +" << s.advance;
  }

  // Interval 0 ticks on every pass with the elapsed milliseconds (at least 1); negative is 0.
  timer.SetInterval(-5);
  EXPECT_EQ(timer.Interval(), 0);
  t.lags.clear();
  Idle();
  g_now += 7;
  Idle();
  EXPECT_EQ(t.lags, (std::vector<int32_t>{1, 7}));

  // The clock wraps.
  timer.SetInterval(10);
  g_now = 0xFFFFFFF0u;
  Idle();
  t.lags.clear();
  g_now += 0x20;
  Idle();
  EXPECT_EQ(t.lags, (std::vector<int32_t>{3}));

  timer.SetEnabled(false);
  EXPECT_FALSE(static_cast<bool>(Application->OnIdle));
}

TEST(DXTimer, FrameRateOverPeriodsOfASecond) {
  Clock clock;
  Activate(true);
  TDXTimer timer(nullptr);
  timer.SetInterval(10);
  timer.SetEnabled(false);
  timer.SetEnabled(true);
  for (int i = 0; i < 99; ++i) {
    g_now += 10;
    Idle();
  }
  EXPECT_EQ(timer.FrameRate(), 0);  // the first second is not over
  g_now += 10;
  Idle();
  EXPECT_EQ(timer.FrameRate(), 100);  // 100 ticks in 1000 ms
  // Ties round to even: 5 ticks in 2000 ms give 2, 7 ticks in 2000 ms give 4.
  struct Period {
    int quickTicks;
    uint32_t last;
    int32_t rate;
  };
  for (const Period& p : {Period{4, 1600, 2}, Period{6, 1400, 4}}) {
    for (int i = 0; i < p.quickTicks; ++i) {
      g_now += 100;
      Idle();
    }
    g_now += p.last;
    Idle();
    EXPECT_EQ(timer.FrameRate(), p.rate);
  }
}

TEST(DXTimer, ActivationSuspendsAndResumes) {
  Clock clock;
  Activate(true);
  TDXTimer timer(nullptr);
  timer.SetInterval(100);
  std::vector<std::string> events;
  timer.OnActivate = [&](TObject*) { events.push_back("activate"); };
  timer.OnDeactivate = [&](TObject*) { events.push_back("deactivate"); };
  Ticks t;
  t.Attach(timer);
  timer.SetEnabled(false);
  timer.SetEnabled(true);

  Activate(false);
  EXPECT_FALSE(static_cast<bool>(Application->OnIdle));
  g_now += 5000;
  EXPECT_FALSE(Idle());
  Activate(true);
  // Fresh time stamps: the time away never counts.
  g_now += 99;
  Idle();
  EXPECT_TRUE(t.lags.empty());
  g_now += 1;
  Idle();
  EXPECT_EQ(t.lags, (std::vector<int32_t>{1}));
  EXPECT_EQ(events, (std::vector<std::string>{"deactivate", "activate"}));

  // Without ActiveOnly both events fire and the ticks go on.
  timer.SetActiveOnly(false);
  Activate(false);
  EXPECT_TRUE(static_cast<bool>(Application->OnIdle));
  Activate(true);
  EXPECT_EQ(events.size(), 4u);

  // Switching ActiveOnly off while suspended resumes at once.
  timer.SetActiveOnly(true);
  Activate(false);
  EXPECT_FALSE(static_cast<bool>(Application->OnIdle));
  timer.SetActiveOnly(false);
  EXPECT_TRUE(static_cast<bool>(Application->OnIdle));
  Activate(true);
}

// The message loop waits until the next tick is due instead of calling the idle work again at
// once: over a quarter of a second at an interval of 40 ms the idle work runs a few times per
// tick, not thousands of times.
TEST(DXTimer, TheLoopWaitsForTheNextTick) {
  Activate(true);
  TDXTimer timer(nullptr);
  timer.SetInterval(40);
  timer.SetEnabled(false);
  timer.SetEnabled(true);
  Ticks t;
  t.Attach(timer);
  int passes = 0;
  const TIdleEvent tick = Application->OnIdle;
  Application->OnIdle = [&](TObject* Sender, bool& Done) {
    ++passes;
    tick(Sender, Done);
  };
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < 250) Application->HandleMessage();
  EXPECT_GE(t.lags.size(), 1u);
  EXPECT_LE(passes, 3 * static_cast<int>(t.lags.size()) + 10);
  timer.SetEnabled(false);
}

}  // namespace
