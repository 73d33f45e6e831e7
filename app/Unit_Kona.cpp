#include "Unit_Kona.h"

#include "Math.h"

TKonaList::TKonaList(int32_t Width, int32_t Height, int32_t FloorY, int32_t MaxX, int32_t MaxY)
    : FloorY(FloorY), MaxY(MaxY), MaxX(MaxX) {
  TrayDust = new TBitmap();
  TrayDust->SetPixelFormat(pf24bit);
  TrayDust->SetSize(Width, Height);
  ClearTray();
}

TKonaList::~TKonaList() {
  Clear();
  delete TrayDust;
}

void TKonaList::Clear() {
  for (int i = 0; i < Count(); ++i) delete Get(i);
  TList::Clear();
}

void TKonaList::ClearTray() {
  TCanvas* c = TrayDust->Canvas();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(clBlack);
  c->FillRect(Rect(0, 0, TrayDust->Width(), TrayDust->Height()));
}

void TKonaList::Spawn(int32_t X, int32_t Y, TColor Colour, int32_t MinCount, int32_t MaxCount) {
  if (X < 0 || X > MaxX || Y < 0 || Y > MaxY) return;
  const int64_t n = int64_t{MinCount} + Random(MaxCount - MinCount);
  for (int64_t i = 0; i <= n; ++i) {
    auto* k = new TKona();
    k->X = X;
    k->Y = Y;
    k->Color = Colour;
    Add(k);
  }
}

void TKonaList::Step() {
  const int32_t rows = TrayDust->Height();
  int i = 0;
  while (i < Count()) {
    TKona* k = Get(i);
    if (Random(5) <= 2)
      k->X += Random(3) - 1;
    else
      k->Y += Random(4) + 4;
    if (k->Y > FloorY) {
      const int32_t row = rows - 1 - Random(rows);
      // Outside the bitmap (a particle that drifted off the edge) nothing is set.
      if (k->X >= 0 && k->X < TrayDust->Width() && row >= 0 && row < rows)
        TrayDust->Canvas()->SetPixels(k->X, row, k->Color);
      delete k;
      Delete(i);  // the next particle moves into place i and is processed next
      continue;
    }
    ++i;
  }
}
