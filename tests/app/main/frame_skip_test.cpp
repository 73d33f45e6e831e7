// A tick with nothing new to show leaves the frame on the screen; the screen must show at every
// tick exactly what composing from scratch shows. One scripted session runs twice, skipping and
// composing every tick, and the screens are compared tick by tick.
#include <functional>

#include "main_support.h"

using namespace maintest;

namespace {

class FrameSkip : public Program {
 protected:
  uint64_t ScreenHash() {
    int w = 0, h = 0;
    const std::vector<uint32_t> px = screen->Screenshot(&w, &h);
    uint64_t hash = 1469598103934665603ull;
    for (uint32_t p : px) hash = (hash ^ p) * 1099511628211ull;
    return hash;
  }
  // The session: idle, a stroke, dust falling into the tray, a page turn, the toolbar, a finger
  // and idle stretches between; one screen hash per tick.
  std::vector<uint64_t> Session(bool Skipping, uint64_t* Composed, std::vector<int>* IdleComposes) {
    TfrmMain* form = Start();
    RandSeed = 777;  // both sessions draw the same strokes and dust
    form->SetFrameSkipping(Skipping);
    TBlackBoard& b = Board();
    std::vector<uint64_t> hashes;
    auto ticks = [&](int n) {
      for (int i = 0; i < n; ++i) {
        winplat::user::PumpMessages();
        Tick();
        hashes.push_back(ScreenHash());
      }
    };
    auto idle = [&](int n) {
      const uint64_t before = form->FramesComposed();
      ticks(n);
      IdleComposes->push_back(static_cast<int>(form->FramesComposed() - before));
    };
    screen->MouseMove(500, 300);
    idle(12);
    screen->MouseDown(200, 300);
    for (int x = 210; x <= 500; x += 30) {
      screen->MouseMove(x, 300 + (x - 200) / 5);
      ticks(1);
    }
    screen->MouseUp(500, 360);
    idle(8);
    b.Dust->Spawn(400, H - 120, clWhite, 6, 9);
    ticks(90);  // the dust falls and settles in the tray
    EXPECT_EQ(b.Dust->Count(), 0);
    idle(8);
    screen->MouseMove(600, 200);
    ticks(2);
    b.LastPageDrawn = 1;
    screen->PressKey(VK_RIGHT);
    ticks(36);
    EXPECT_EQ(b.CurrentPage, 2u);
    idle(8);
    screen->MouseMove(0, 300);
    ticks(3);
    EXPECT_TRUE(form->tbMain->Visible());
    idle(8);
    screen->MouseMove(300, 300);
    ticks(1);
    screen->MouseMove(310, 300);
    ticks(1);
    EXPECT_FALSE(form->tbMain->Visible());
    screen->MouseDown(300, 300, 1);
    screen->MouseMove(340, 310);
    ticks(2);
    screen->MouseUp(340, 310, 1);
    screen->KeyDown(VK_SHIFT);
    idle(6);
    screen->KeyUp(VK_SHIFT);
    screen->PressKey('R');
    ticks(2);
    idle(6);
    screen->MouseMove(1000, H - 20);  // over the next arrow: the page number shows
    ticks(2);
    idle(6);
    *Composed = form->FramesComposed();
    delete Application;
    Application = new TApplication(nullptr);
    return hashes;
  }
};

TEST_F(FrameSkip, TheScreenIsTheComposedOneAtEveryTickWhileIdleTicksComposeNothing) {
  uint64_t composedAlways = 0, composedSkipping = 0;
  std::vector<int> idleAlways, idleSkipping;
  const std::vector<uint64_t> always = Session(false, &composedAlways, &idleAlways);
  fs::remove_all(Tmp(""));
  const std::vector<uint64_t> skipping = Session(true, &composedSkipping, &idleSkipping);
  ASSERT_EQ(always.size(), skipping.size());
  for (size_t i = 0; i < always.size(); ++i) ASSERT_EQ(always[i], skipping[i]) << "tick " << i;
  EXPECT_EQ(composedAlways, always.size() + 1);  // and the frame Start draws
  // An idle stretch composes at most the two frames that fill both buffers.
  for (size_t i = 0; i < idleSkipping.size(); ++i) EXPECT_LE(idleSkipping[i], 2) << "idle stretch " << i;
  EXPECT_LT(composedSkipping, composedAlways - 40);
}

}  // namespace
