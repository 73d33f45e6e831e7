// The drawing log loader and the replay of what it loaded, on arbitrary bytes. Checks: every
// whole 40-byte record becomes one item with the record's fields, a trailing part is ignored, and
// replaying every item onto a small board ends.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "Classes.h"
#include "Math.h"
#include "Unit_Log.h"
#include "Unit_Slatora.h"
#include "fuzz_scratch.h"
#include "winplat_screen.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

TBlackBoard& Board() {
  static TBlackBoard* board = [] {
    SetProgramFolder(FuzzScratch("drawlog") + "/");
    winplat::screen::Headless()->SetDisplaySize(320, 240);
    winplat::screen::InstallScriptedAnswerer();
    auto* b = new TBlackBoard();
    b->LoadChalks("chalks\\option.ini", b->TrayHeight);  // none there: the built-in chalk
    b->SetScreenWidth(320);
    b->SetScreenHeight(240);
    return b;
  }();
  return *board;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1 << 16) return 0;
  TMemoryStream s;
  s.Write(data, static_cast<int32_t>(size));
  s.SetPosition(0);
  TBlackBoard& b = Board();
  b.Log->LoadFromStream(&s);
  Check(b.Log->Count() == static_cast<int>(size / 40));
  for (int i = 0; i < b.Log->Count(); ++i) {
    const TLogItem& it = *b.Log->Get(i);
    TLogRecord r;
    std::memcpy(&r, data + 40 * static_cast<size_t>(i), sizeof r);
    Check(it.Kind == r.Kind && it.X1 == r.X1 && it.Y1 == r.Y1 && it.X2 == r.X2 && it.Y2 == r.Y2 &&
          it.ChalkIndex == r.ChalkIndex && it.Angle == r.Angle && it.Corner1X == r.Corner1X &&
          it.Corner1Y == r.Corner1Y && it.Corner2X == r.Corner2X && it.Corner2Y == r.Corner2Y);
  }
  RandSeed = 1;
  b.Options = size > 0 ? data[0] & 31 : 3;
  b.LogState = 2;
  b.ReplayIndex = 0;
  int ticks = 0;
  while (b.LogState == 2) {
    b.ReplayStep();
    b.Dust->Step();
    Check(++ticks <= b.Log->Count() + 1);
  }
  Check(b.Board->Width() == 320 && b.Board->Height() == 192);
  b.Dust->Clear();
  // What this input allocated is freed before the next: with more allocations than frees the
  // fuzzer runs an input again and looks for leaks, which would double the time of each new log.
  b.Log->Clear();
  return 0;
}
