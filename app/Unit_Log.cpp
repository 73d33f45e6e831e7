#include "Unit_Log.h"

#include <bit>
#include <cstring>
#include <memory>

namespace {

static_assert(std::endian::native == std::endian::little, "log records are written as they lie in memory");

TLogRecord ToRecord(const TLogItem& i) {
  TLogRecord r{};
  r.Kind = i.Kind;
  r.X1 = i.X1;
  r.Y1 = i.Y1;
  r.X2 = i.X2;
  r.Y2 = i.Y2;
  r.ChalkIndex = i.ChalkIndex;
  r.Angle = i.Angle;
  r.Corner1X = i.Corner1X;
  r.Corner1Y = i.Corner1Y;
  r.Corner2X = i.Corner2X;
  r.Corner2Y = i.Corner2Y;
  return r;
}

TLogItem* FromRecord(const TLogRecord& r) {
  auto* i = new TLogItem();
  i->Kind = r.Kind;
  i->X1 = r.X1;
  i->Y1 = r.Y1;
  i->X2 = r.X2;
  i->Y2 = r.Y2;
  i->ChalkIndex = r.ChalkIndex;
  i->Angle = r.Angle;
  i->Corner1X = r.Corner1X;
  i->Corner1Y = r.Corner1Y;
  i->Corner2X = r.Corner2X;
  i->Corner2Y = r.Corner2Y;
  return i;
}

}  // namespace

TLogList::~TLogList() { Clear(); }

void TLogList::Clear() {
  for (int i = 0; i < Count(); ++i) delete Get(i);
  TList::Clear();
}

void TLogList::AddItem(uint8_t Kind, const TPoint& P1, const TPoint& P2, uint8_t ChalkIndex,
                       int32_t Angle, int32_t Corner1X, int32_t Corner1Y, int32_t Corner2X,
                       int32_t Corner2Y) {
  auto* i = new TLogItem();
  i->Kind = Kind;
  i->X1 = P1.x;
  i->Y1 = P1.y;
  i->X2 = P2.x;
  i->Y2 = P2.y;
  i->ChalkIndex = ChalkIndex;
  i->Angle = Angle;
  i->Corner1X = Corner1X;
  i->Corner1Y = Corner1Y;
  i->Corner2X = Corner2X;
  i->Corner2Y = Corner2Y;
  Add(i);
}

bool TLogList::SaveToFile(const AnsiString& FileName) {
  if (Count() == 0) return false;
  TFileStream f(FileName, fmCreate);
  for (int i = 0; i < Count(); ++i) {
    const TLogRecord r = ToRecord(*Get(i));
    f.WriteBuffer(&r, sizeof r);
  }
  return true;
}

void TLogList::LoadFromStream(TStream* Stream) {
  Clear();
  for (;;) {
    TLogRecord r;
    if (Stream->Read(&r, sizeof r) != static_cast<int32_t>(sizeof r)) break;
    std::unique_ptr<TLogItem> item(FromRecord(r));
    Add(item.get());
    item.release();
  }
}

bool TLogList::LoadFromFile(const AnsiString& FileName) {
  TFileStream f(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&f);
  return true;
}
