// The drawing log: one item per drawing action while recording, saved as fixed 40-byte records.
#pragma once
#include <cstdint>

#include "Classes.h"

// Record kinds.
enum : uint8_t {
  lkChalk = 0, lkThin = 1, lkSide = 2, lkTap = 3, lkEraser = 4, lkFinger = 5, lkLongEraser = 6,
  lkRuler = 8
};

class TLogItem : public TObject {
 public:
  uint8_t Kind = 0;
  int32_t X1 = 0, Y1 = 0;
  int32_t X2 = 0, Y2 = 0;
  // The chalk; for an eraser record the smear option bit at recording time.
  uint8_t ChalkIndex = 0;
  int32_t Angle = 0;
  int32_t Corner1X = 0, Corner1Y = 0, Corner2X = 0, Corner2Y = 0;
};

// One record of a log file: little-endian, no padding, the first four 32-bit fields unaligned.
#pragma pack(push, 1)
struct TLogRecord {
  uint8_t Kind;
  int32_t X1, Y1, X2, Y2;
  uint8_t ChalkIndex;
  uint8_t Reserved[2];
  int32_t Angle;
  int32_t Corner1X, Corner1Y, Corner2X, Corner2Y;
};
#pragma pack(pop)
static_assert(sizeof(TLogRecord) == 40);
static_assert(offsetof(TLogRecord, X1) == 1 && offsetof(TLogRecord, Y2) == 13);
static_assert(offsetof(TLogRecord, ChalkIndex) == 17 && offsetof(TLogRecord, Angle) == 20);
static_assert(offsetof(TLogRecord, Corner2Y) == 36);

// The items in recording order (owned).
class TLogList : public TList {
 public:
  ~TLogList() override;
  void AddItem(uint8_t Kind, const TPoint& P1, const TPoint& P2, uint8_t ChalkIndex, int32_t Angle,
               int32_t Corner1X, int32_t Corner1Y, int32_t Corner2X, int32_t Corner2Y);
  TLogItem* Get(int Index) const { return static_cast<TLogItem*>(Items(Index)); }
  void Clear() override;
  // False, and no file, for an empty log; otherwise every item as one record. Raises the
  // framework's stream errors when the file cannot be made or written.
  bool SaveToFile(const AnsiString& FileName);
  // Raises EFOpenError (the list unchanged) when the file cannot be opened; otherwise replaces the
  // items with the file's whole records (a trailing part of a record is ignored). True.
  bool LoadFromFile(const AnsiString& FileName);
  // The same from a stream, from its current position.
  void LoadFromStream(TStream* Stream);

  // Where the replay's tool cursor is drawn.
  TPoint LastPoint{0, 0};
  // The replay starts again at the end.
  uint8_t Loop = 0;
};
