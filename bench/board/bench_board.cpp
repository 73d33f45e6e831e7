// Chalk segments and side strokes per second on a 1920 x 1032 page. Each case runs on a fresh page
// and on a page already covered with chalk: the cost of a segment follows its length, never what is
// already drawn.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "Math.h"
#include "Unit_Slatora.h"
#include "winplat_screen.h"

namespace {

std::unique_ptr<TBlackBoard> MakeBoard(bool covered) {
  static bool once = [] {
    char dir[] = "/tmp/bench_board_XXXXXX";
    if (!mkdtemp(dir)) std::abort();
    SetProgramFolder(std::string(dir) + "/");
    winplat::screen::Headless()->SetDisplaySize(1920, 1080);
    winplat::screen::InstallScriptedAnswerer();
    return true;
  }();
  (void)once;
  auto b = std::make_unique<TBlackBoard>();
  b->LoadChalks("chalks\\option.ini", b->TrayHeight);
  b->SetScreenWidth(1920);
  b->SetScreenHeight(1080);
  RandSeed = 99;
  if (covered) {
    // Chalk over the whole page, row after row.
    for (int y = 10; y < 1032; y += 6) {
      b->Chalk->LastX = 0;
      b->Chalk->LastY = y;
      b->ChalkLine(1919, y + 3, true);
    }
  }
  return b;
}

void BM_ChalkSegment(benchmark::State& state) {
  const int len = static_cast<int>(state.range(0));
  auto b = MakeBoard(state.range(1) != 0);
  int x = 100, y = 100, dir = 1;
  for (auto _ : state) {
    b->Chalk->LastX = x;
    b->Chalk->LastY = y;
    const int nx = x + dir * len, ny = y + len / 3;
    b->ChalkLine(nx, ny, true);
    x = nx;
    y = ny;
    if (x + len > 1900 || x - len < 20) dir = -dir;
    if (y + len > 1000) y = 20;
  }
  state.SetItemsProcessed(state.iterations());
  state.SetLabel(state.range(1) ? "covered page" : "fresh page");
}
BENCHMARK(BM_ChalkSegment)->ArgsProduct({{4, 16, 64, 256}, {0, 1}});

void BM_SideStroke(benchmark::State& state) {
  const int step = static_cast<int>(state.range(0));
  auto b = MakeBoard(state.range(1) != 0);
  b->Chalk->Mode = 2;
  b->Chalk->Angle = 30;
  int x = 100, y = 100;
  b->Chalk->LastX = x;
  b->Chalk->LastY = y;
  b->Chalk->Corner1 = Point(x - ArmCos(26, 30), y - ArmSin(26, 30));
  b->Chalk->Corner2 = Point(x + ArmCos(26, 30), y + ArmSin(26, 30));
  for (auto _ : state) {
    x += step;
    if (x > 1800) {
      x = 100;
      y = y > 900 ? 100 : y + 60;
      b->Chalk->LastX = x;
      b->Chalk->LastY = y;
    }
    b->SideChalkStroke(x, y + step / 2);
    y = b->Chalk->LastY;
  }
  state.SetItemsProcessed(state.iterations());
  state.SetLabel(state.range(1) ? "covered page" : "fresh page");
}
BENCHMARK(BM_SideStroke)->ArgsProduct({{4, 16, 64}, {0, 1}});

void BM_EraserSweep(benchmark::State& state) {
  auto b = MakeBoard(true);
  int x = 100;
  for (auto _ : state) {
    b->EraseStroke(x + 8, 500, 500, x);
    x = x > 1800 ? 100 : x + 8;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EraserSweep);

}  // namespace

BENCHMARK_MAIN();
