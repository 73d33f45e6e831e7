// Chalk dust: spawning, jitter and fall, and settling in the tray.
#include "board_support.h"

namespace boardtest {
namespace {

TEST(Dust, SpawnOnlyInsideTheAcceptedArea) {
  TKonaList d(100, 5, 50, 100, 60);
  struct Case { int x, y; bool accepted; };
  const Case cases[] = {{0, 0, true},   {100, 60, true}, {100, 0, true},  {-1, 10, false},
                        {10, -1, false}, {101, 10, false}, {10, 61, false}};
  for (const Case& c : cases) {
    d.Clear();
    d.Spawn(c.x, c.y, clWhite, 2, 3);
    EXPECT_EQ(d.Count(), c.accepted ? 3 : 0) << c.x << "," << c.y;
  }
}

TEST(Dust, SpawnCounts) {
  struct Case { int min, max; uint32_t draw; int count; };
  const Case cases[] = {{2, 5, 0, 3}, {2, 5, 1, 4}, {2, 5, 2, 5}, {2, 3, 0, 3},
                        {2, 4, 0, 3}, {2, 4, 1, 4}, {-3, -1, 1, 0}, {-1, 1, 0, 0}};
  TKonaList d(100, 5, 50, 100, 60);
  for (const Case& c : cases) {
    d.Clear();
    ScriptedRandom rnd;
    if (c.max - c.min > 0) rnd.Want(c.draw, c.max - c.min);
    d.Spawn(10, 20, 0x123456, c.min, c.max);
    ASSERT_EQ(d.Count(), c.count) << c.min << ".." << c.max << " draw " << c.draw;
    for (int i = 0; i < d.Count(); ++i) {
      EXPECT_EQ(d.Get(i)->X, 10);
      EXPECT_EQ(d.Get(i)->Y, 20);
      EXPECT_EQ(d.Get(i)->Color, 0x123456);
    }
    EXPECT_EQ(rnd.Left(), 0u);
  }
}

TEST(Dust, SettlesOnlyByFalling) {
  TKonaList d(100, 5, 50, 100, 60);
  ScriptedRandom rnd;
  rnd.Want(0, 1);  // spawn: Random(1)
  d.Spawn(40, 50, 0x00FF00, 0, 1);
  ASSERT_EQ(d.Count(), 1);
  // Jitter at the floor: stays.
  rnd.Want(2, 5).Want(2, 3);
  d.Step();
  ASSERT_EQ(d.Count(), 1);
  EXPECT_EQ(d.Get(0)->X, 41);
  EXPECT_EQ(d.Get(0)->Y, 50);
  // A fall of 4: below the floor, settles in row 4 - 1 = 3.
  rnd.Want(3, 5).Want(0, 4).Want(1, 5);
  d.Step();
  EXPECT_EQ(d.Count(), 0);
  EXPECT_EQ(rnd.Left(), 0u);
  EXPECT_EQ(PixelAt(d.TrayDust, 41, 3), 0x00FF00);
  int lit = 0;
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 100; ++x) lit += PixelAt(d.TrayDust, x, y) != clBlack;
  EXPECT_EQ(lit, 1);
  d.ClearTray();
  EXPECT_EQ(PixelAt(d.TrayDust, 41, 3), clBlack);
}

TEST(Dust, ParticleOffTheEdgeSettlesWithoutAPixel) {
  TKonaList d(100, 5, 50, 100, 60);
  ScriptedRandom rnd;
  rnd.Want(0, 1);
  d.Spawn(0, 48, 0x00FF00, 0, 1);
  rnd.Want(0, 5).Want(0, 3);  // to x = -1
  d.Step();
  ASSERT_EQ(d.Get(0)->X, -1);
  rnd.Want(4, 5).Want(3, 4).Want(0, 5);  // falls 7, settles
  d.Step();
  EXPECT_EQ(d.Count(), 0);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 100; ++x) ASSERT_EQ(PixelAt(d.TrayDust, x, y), clBlack);
}

TEST(Dust, EveryParticleMovesOncePerStep) {
  TKonaList d(100, 5, 50, 100, 60);
  ScriptedRandom rnd;
  rnd.Want(0, 1);
  d.Spawn(10, 50, 0xFF0000, 0, 1);  // settles in this step
  rnd.Want(0, 1);
  d.Spawn(20, 10, 0x00FF00, 0, 1);
  rnd.Want(0, 1);
  d.Spawn(30, 10, 0x0000FF, 0, 1);
  rnd.Want(3, 5).Want(1, 4).Want(0, 5);  // first: falls 5 and settles in row 4
  rnd.Want(0, 5).Want(2, 3);             // second, now first in the list: right
  rnd.Want(4, 5).Want(0, 4);             // third: falls 4
  d.Step();
  EXPECT_EQ(rnd.Left(), 0u);
  ASSERT_EQ(d.Count(), 2);
  EXPECT_EQ(d.Get(0)->X, 21);
  EXPECT_EQ(d.Get(0)->Y, 10);
  EXPECT_EQ(d.Get(1)->X, 30);
  EXPECT_EQ(d.Get(1)->Y, 14);
  EXPECT_EQ(PixelAt(d.TrayDust, 10, 4), 0xFF0000);
}

TEST(Dust, FallingDustReachesTheTrayOfABoard) {
  TKonaList d(200, 5, 100, 200, 101);
  RandSeed = 7;
  for (int i = 0; i < 50; ++i) d.Spawn(100, 90, clWhite, 2, 5);
  for (int i = 0; i < 200 && d.Count() > 0; ++i) d.Step();
  EXPECT_EQ(d.Count(), 0);
  int lit = 0;
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 200; ++x) lit += PixelAt(d.TrayDust, x, y) == clWhite;
  EXPECT_GT(lit, 10);
}

}  // namespace
}  // namespace boardtest
