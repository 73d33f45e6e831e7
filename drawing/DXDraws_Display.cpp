// TDXDrawDisplay: the display mode the drawing control asks for in full-screen mode, the modes the
// driver offers, and the fall-back to a near mode.
#include <algorithm>

#include "DXDraws.h"
#include "TypInfo.h"

// ---- TDXDrawDisplay --------------------------------------------------------------------------

TDXDrawDisplay::TDXDrawDisplay(TCustomDXDraw* AOwner)
    : FOwner(AOwner), FModes(std::make_unique<TCollection>(TCollectionItemClass::Of<TDXDrawDisplayMode>())) {}

TDXDrawDisplay::~TDXDrawDisplay() = default;

void TDXDrawDisplay::Assign(TPersistent* Source) {
  if (auto* d = dynamic_cast<TDXDrawDisplay*>(Source)) {
    if (d == this) return;
    FBitCount = d->FBitCount;
    FHeight = d->FHeight;
    FWidth = d->FWidth;
    FFixedBitCount = d->FFixedBitCount;
    FFixedRatio = d->FFixedRatio;
    FFixedSize = d->FFixedSize;
    return;
  }
  TPersistent::Assign(Source);
}

void TDXDrawDisplay::SetBitCount(int32_t Value) {
  if (Value != 8 && Value != 16 && Value != 24 && Value != 32) throw EDirectDrawError(SInvalidDisplayBitCount);
  FBitCount = Value;
}

int TDXDrawDisplay::Count() {
  if (FModes->Count() == 0) LoadDisplayModes();
  return FModes->Count();
}

TDXDrawDisplayMode* TDXDrawDisplay::Items(int Index) {
  if (FModes->Count() == 0) LoadDisplayModes();
  return static_cast<TDXDrawDisplayMode*>(FModes->Items(Index));
}

int TDXDrawDisplay::IndexOf(int32_t AWidth, int32_t AHeight, int32_t ABitCount) {
  for (int i = 0; i < Count(); ++i) {
    TDXDrawDisplayMode* m = Items(i);
    if (m->Width() == AWidth && m->Height() == AHeight && m->BitCount() == ABitCount) return i;
  }
  return -1;
}

namespace {
HRESULT WINAPI AddMode(LPDDSURFACEDESC2 Desc, LPVOID Context) {
  auto* modes = static_cast<TCollection*>(Context);
  static_cast<TDXDrawDisplayMode*>(modes->Add())->SetSurfaceDesc(*Desc);
  return DDENUMRET_OK;
}
}  // namespace

void TDXDrawDisplay::LoadDisplayModes() {
  FModes->Clear();
  auto enumerate = [this](TDirectDraw* dd) {
    dd->SetResultCode(dd->IDraw()->EnumDisplayModes(0, nullptr, FModes.get(), AddMode));
  };
  if (FOwner && FOwner->DDraw()) {
    enumerate(FOwner->DDraw());
  } else {
    TDirectDraw dd(FOwner ? FOwner->DriverGUID() : nullptr);
    enumerate(&dd);
  }
  std::vector<TDXDrawDisplayMode*> sorted;
  for (int i = 0; i < FModes->Count(); ++i) sorted.push_back(static_cast<TDXDrawDisplayMode*>(FModes->Items(i)));
  std::stable_sort(sorted.begin(), sorted.end(), [](TDXDrawDisplayMode* a, TDXDrawDisplayMode* b) {
    if (a->Width() != b->Width()) return a->Width() < b->Width();
    if (a->Height() != b->Height()) return a->Height() < b->Height();
    return a->BitCount() < b->BitCount();
  });
  for (int i = 0; i < static_cast<int>(sorted.size()); ++i) sorted[static_cast<size_t>(i)]->SetIndex(i);
}

bool TDXDrawDisplay::TryMode(int32_t AWidth, int32_t AHeight, int32_t ABitCount) {
  TDirectDraw* dd = FOwner ? FOwner->DDraw() : nullptr;
  if (!dd) return false;
  const HRESULT hr = dd->IDraw()->SetDisplayMode(static_cast<DWORD>(AWidth), static_cast<DWORD>(AHeight),
                                                static_cast<DWORD>(ABitCount), 0, 0);
  dd->SetResultCode(hr);
  if (hr != DD_OK) return false;
  FWidth = AWidth;
  FHeight = AHeight;
  FBitCount = ABitCount;
  return true;
}

bool TDXDrawDisplay::FindMode(int32_t AWidth, int32_t AHeight, int32_t ABitCount, bool KeepRatio) {
  int32_t bestWidth = 2147483647, bestHeight = 2147483647, bestBitCount = 0;
  bool found = false;
  for (int i = 0; i < Count(); ++i) {
    TDXDrawDisplayMode* m = Items(i);
    if (m->Width() > bestWidth || m->Height() > bestHeight) continue;
    if (KeepRatio && static_cast<double>(m->Width()) / m->Height() != static_cast<double>(AWidth) / AHeight) continue;
    if (FFixedSize) {
      if (m->Width() != AWidth || m->Height() != AHeight) continue;
    } else if (m->Width() < AWidth || m->Height() < AHeight) {
      continue;
    }
    if (FFixedBitCount) {
      if (m->BitCount() != ABitCount) continue;
    } else if ((m->BitCount() < 9 || ABitCount < 9) && m->BitCount() < ABitCount) {
      continue;
    }
    bestWidth = m->Width();
    bestHeight = m->Height();
    bestBitCount = m->BitCount();
    found = true;
  }
  if (!found) return false;
  if (bestBitCount != ABitCount && IndexOf(bestWidth, bestHeight, ABitCount) >= 0) bestBitCount = ABitCount;
  return TryMode(bestWidth, bestHeight, bestBitCount);
}

bool TDXDrawDisplay::SetDisplayMode(int32_t AWidth, int32_t AHeight, int32_t ABitCount) {
  if (AWidth <= 0 || AHeight <= 0) return false;
  if (ABitCount != 8 && ABitCount != 16 && ABitCount != 24 && ABitCount != 32) return false;
  if (TryMode(AWidth, AHeight, ABitCount)) return true;
  if (FFixedRatio && FindMode(AWidth, AHeight, ABitCount, true)) return true;
  return FindMode(AWidth, AHeight, ABitCount, false);
}

static const bool registered =
    DeclareClass<TDXDrawDisplay, TPersistent>("TDXDrawDisplay")
        .Integer("BitCount", &TDXDrawDisplay::BitCount, &TDXDrawDisplay::SetBitCount, Default(8))
        .Boolean("FixedBitCount", &TDXDrawDisplay::FixedBitCount, &TDXDrawDisplay::SetFixedBitCount, Default(1))
        .Boolean("FixedRatio", &TDXDrawDisplay::FixedRatio, &TDXDrawDisplay::SetFixedRatio, Default(1))
        .Boolean("FixedSize", &TDXDrawDisplay::FixedSize, &TDXDrawDisplay::SetFixedSize, Default(0))
        .Integer("Height", &TDXDrawDisplay::Height, &TDXDrawDisplay::SetHeight, Default(480))
        .Integer("Width", &TDXDrawDisplay::Width, &TDXDrawDisplay::SetWidth, Default(640))
        .Done();
