// Replay of the drawing log onto the page, one item per frame tick.
#include "Math.h"
#include "Unit_Slatora.h"
#include "windows.h"

namespace {

// Coordinates of a log come from a file: they are brought to within this margin around the
// screen, so that a crafted record cannot make a stroke cost more than a screenful.
constexpr int32_t kReplayMargin = 32768;

int32_t Near(int32_t v, int32_t size) {
  return EnsureRange<int32_t>(v, -kReplayMargin, size + kReplayMargin);
}

}  // namespace

void TBlackBoard::ShowChalkInHand(int32_t Index) {
  if (Chalk->ShownIndex == Index) return;
  if (ImageList != nullptr) {
    ImageList->Find("NowTool")->Picture()->Assign(Chalks->Get(Index)->Picture);
    ImageList->Restore();
  }
  Chalk->ShownIndex = Index;
}

void TBlackBoard::ReplayStep() {
  if (ReplayIndex < 0 || ReplayIndex >= Log->Count()) {
    // The log ended or was emptied under the replay.
    ReplayIndex = 0;
    LogState = 0;
    return;
  }
  ReplayItem(ReplayIndex);
}

void TBlackBoard::ReplayItem(int Index) {
  if (Index < 0 || Index >= Log->Count()) {
    ReplayIndex = 0;
    LogState = 0;
    return;
  }
  const TLogItem& it = *Log->Get(Index);
  const int32_t W = ScreenWidth, H = ScreenHeight;
  const int32_t X1 = Near(it.X1, W), Y1 = Near(it.Y1, H), X2 = Near(it.X2, W), Y2 = Near(it.Y2, H);
  const bool kasure = (Options & obChalkKasure) != 0;
  if (Index == 0) Chalk->ShownIndex = -1;

  const bool usesChalk = it.Kind <= lkTap || it.Kind == lkRuler;
  // A record naming a chalk this board does not have (a log of another chalk set) is skipped.
  const bool drawn = !usesChalk || ValidChalk(it.ChalkIndex);
  int32_t dustChance = 0, dustMax = 5;
  if (usesChalk && drawn && it.Kind <= lkTap) ShowChalkInHand(it.ChalkIndex);
  if (drawn) {
    switch (it.Kind) {
      case lkChalk:
        Chalk->Index = it.ChalkIndex;
        Chalk->LastX = X1;
        Chalk->LastY = Y1;
        ChalkLine(X2, Y2, kasure);
        Tool = tlChalk;
        Chalk->Mode = 0;
        Chalk->LastX = X2;
        Chalk->LastY = Y2;
        dustChance = 50;
        break;
      case lkThin:
        Chalk->Index = it.ChalkIndex;
        Chalk->LastX = X1;
        Chalk->LastY = Y1;
        ThinLine(X2, Y2);
        SetCursorPos(X2, Y2);
        Tool = tlChalk;
        Chalk->Mode = 1;
        Chalk->LastX = X2;
        Chalk->LastY = Y2;
        dustChance = 50;
        break;
      case lkSide:
        Chalk->Index = it.ChalkIndex;
        Chalk->Angle = static_cast<int8_t>(it.Angle);
        Chalk->LastX = X1;
        Chalk->LastY = Y1;
        Chalk->Corner1 = Point(Near(it.Corner1X, W), Near(it.Corner1Y, H));
        Chalk->Corner2 = Point(Near(it.Corner2X, W), Near(it.Corner2Y, H));
        SideChalkStroke(X2, Y2);
        Tool = tlChalk;
        Chalk->Mode = 2;
        Chalk->LastX = X2;
        Chalk->LastY = Y2;
        dustChance = 50;
        break;
      case lkTap:
        Chalk->Index = it.ChalkIndex;
        Chalk->LastX = X1;
        Chalk->LastY = Y1;
        ChalkTap(X1, Y1);
        Tool = tlChalk;
        Chalk->Mode = 3;
        dustChance = 6;
        dustMax = 3;
        break;
      case lkEraser:
      case lkLongEraser:
        Chalk->LastX = X1;
        Chalk->LastY = Y1;
        // The smear as it was when the stroke was recorded.
        Sweep(it.Kind == lkLongEraser, X2, Y2, Y1, X1, (it.ChalkIndex & obYogore) != 0);
        Tool = it.Kind == lkEraser ? tlEraser : tlLongEraser;
        Chalk->LastX = X2;
        Chalk->LastY = Y2;
        break;
      case lkFinger:
        FingerStroke(X1, Y1, Y2, X2);
        Tool = tlFinger;
        Chalk->LastX = X2;
        Chalk->LastY = Y2;
        break;
      case lkRuler:
        Chalk->Index = it.ChalkIndex;
        Chalk->LastX = X1;
        Chalk->LastY = Y1;
        ChalkLine(X2, Y2, kasure);
        Tool = tlRuler;
        dustChance = 4;
        break;
      default:
        break;  // kinds nobody writes: nothing drawn
    }
    Log->LastPoint = (it.Kind == lkSide || it.Kind == lkRuler) ? Point(X2, Y2)
                                                                 : Point(Chalk->LastX, Chalk->LastY);
    if (dustChance > 0 && Random(dustChance) == 0) Dust->Spawn(X1, Y1, ChalkColor(), 2, dustMax);
  }
  ReplayIndex = Index + 1;
  if (ReplayIndex > Log->Count() - 1) {
    ReplayIndex = 0;
    LogState = 0;
  }
}
