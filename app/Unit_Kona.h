// Chalk dust: particles that jitter and fall below the chalk, and the dust settled in the tray.
#pragma once
#include <cstdint>

#include "Classes.h"
#include "Graphics.h"

class TKona : public TObject {
 public:
  int32_t X = 0;
  int32_t Y = 0;
  TColor Color = clWhite;
};

// The particles in order of creation (owned), and the settled dust as a small 24-bit bitmap that
// the frame draws along the top of the tray.
class TKonaList : public TList {
 public:
  // TrayDust is Width x Height, black; particles below FloorY settle; particles start only at
  // 0..MaxX, 0..MaxY.
  TKonaList(int32_t Width, int32_t Height, int32_t FloorY, int32_t MaxX, int32_t MaxY);
  ~TKonaList() override;

  // MinCount + Random(MaxCount - MinCount) + 1 particles at (X, Y); none when that count is
  // below one or the point lies outside the accepted area.
  void Spawn(int32_t X, int32_t Y, TColor Colour, int32_t MinCount, int32_t MaxCount);
  // Moves every particle once; those below the floor become a pixel of TrayDust.
  void Step();
  void ClearTray();
  TKona* Get(int Index) const { return static_cast<TKona*>(Items(Index)); }
  void Clear() override;

  TBitmap* TrayDust = nullptr;
  int32_t FloorY;
  int32_t MaxY;
  int32_t MaxX;
};
