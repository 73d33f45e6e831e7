// TDirectDraw, TDirectDrawClipper, TDirectDrawPalette.
#include <algorithm>

#include "DXDraws.h"

namespace {

using TDirectDrawCreateEx = HRESULT(WINAPI*)(GUID*, LPVOID*, REFIID, IUnknown*);
using TDirectDrawCreate = HRESULT(WINAPI*)(GUID*, LPDIRECTDRAW7*, IUnknown*);

template <class T>
void Unregister(std::vector<T*>& list, T* item) {
  auto it = std::find(list.begin(), list.end(), item);
  if (it != list.end()) list.erase(it);
}

IDirectDraw7* Query(IDirectDraw7* dd, REFIID iid) {
  void* p = nullptr;
  if (FAILED(dd->QueryInterface(iid, &p))) return nullptr;
  return static_cast<IDirectDraw7*>(p);
}

void ReleaseInterface(IDirectDraw7*& p) {
  if (p) p->Release();
  p = nullptr;
}

}  // namespace

// ---- TDirectDraw -----------------------------------------------------------------------------

TDirectDraw::TDirectDraw(GUID* AGUID, bool DirectX7) {
  if (DirectX7) {
    auto create = reinterpret_cast<TDirectDrawCreateEx>(DXLoadLibraryProc("DDraw.dll", "DirectDrawCreateEx"));
    void* dd = nullptr;
    if (create(AGUID, &dd, IID_IDirectDraw7, nullptr) != DD_OK || !dd)
      throw EDirectDrawError(Format(SCannotInitialized, {SDirectDraw}));
    FIDDraw7 = static_cast<IDirectDraw7*>(dd);
    FIDDraw = Query(FIDDraw7, IID_IDirectDraw);
    FIDDraw4 = Query(FIDDraw7, IID_IDirectDraw4);
    if (!FIDDraw || !FIDDraw4) {
      ReleaseInterface(FIDDraw);
      ReleaseInterface(FIDDraw4);
      ReleaseInterface(FIDDraw7);
      throw EDirectDrawError(SSinceDirectX7);
    }
  } else {
    auto create = reinterpret_cast<TDirectDrawCreate>(DXLoadLibraryProc("DDraw.dll", "DirectDrawCreate"));
    IDirectDraw7* dd = nullptr;
    if (create(AGUID, &dd, nullptr) != DD_OK || !dd) throw EDirectDrawError(Format(SCannotInitialized, {SDirectDraw}));
    FIDDraw = dd;
    FIDDraw4 = Query(FIDDraw, IID_IDirectDraw4);
    if (!FIDDraw4) {
      ReleaseInterface(FIDDraw);
      throw EDirectDrawError(SSinceDirectX6);
    }
  }
  FDriverCaps.dwSize = sizeof(DDCAPS);
  FHELCaps.dwSize = sizeof(DDCAPS);
  SetResultCode(FIDDraw->GetCaps(&FDriverCaps, &FHELCaps));
}

TDirectDraw::~TDirectDraw() {
  while (!FSurfaces.empty()) FSurfaces.back()->Detach();
  while (!FPalettes.empty()) FPalettes.back()->Detach();
  while (!FClippers.empty()) FClippers.back()->Detach();
  ReleaseInterface(FIDDraw7);
  ReleaseInterface(FIDDraw4);
  ReleaseInterface(FIDDraw);
}

IDirectDraw7* TDirectDraw::IDraw() const {
  if (!FIDDraw) throw EDirectDrawError(Format(SNotMade, {"IDirectDraw"}));
  return FIDDraw;
}
IDirectDraw7* TDirectDraw::IDraw4() const {
  if (!FIDDraw4) throw EDirectDrawError(Format(SNotMade, {"IDirectDraw4"}));
  return FIDDraw4;
}
IDirectDraw7* TDirectDraw::IDraw7() const {
  if (!FIDDraw7) throw EDirectDrawError(Format(SNotMade, {"IDirectDraw7"}));
  return FIDDraw7;
}

DDPIXELFORMAT TDirectDraw::DisplayFormat() {
  DDSURFACEDESC2 d{};
  d.dwSize = sizeof d;
  SetResultCode(IDraw()->GetDisplayMode(&d));
  return d.ddpfPixelFormat;
}

// ---- TDirectDrawClipper ----------------------------------------------------------------------

TDirectDrawClipper::TDirectDrawClipper(TDirectDraw* ADirectDraw) : FDDraw(ADirectDraw) {
  FDDraw->FClippers.push_back(this);
  const HRESULT hr = FDDraw->IDraw()->CreateClipper(0, &FIDDClipper, nullptr);
  SetResultCode(hr);
  if (hr != DD_OK) {
    Unregister(FDDraw->FClippers, this);
    throw EDirectDrawClipperError(Format(SCannotMade, {SDirectDrawClipper}));
  }
}

TDirectDrawClipper::~TDirectDrawClipper() {
  if (FIDDClipper) FIDDClipper->Release();
  if (FDDraw) Unregister(FDDraw->FClippers, this);
}

void TDirectDrawClipper::Detach() {
  if (FIDDClipper) FIDDClipper->Release();
  FIDDClipper = nullptr;
  Unregister(FDDraw->FClippers, this);
  FDDraw = nullptr;
}

IDirectDrawClipper* TDirectDrawClipper::IClipper() const {
  if (!FIDDClipper) throw EDirectDrawClipperError(Format(SNotMade, {"IDirectDrawClipper"}));
  return FIDDClipper;
}

void TDirectDrawClipper::SetHandle(HWND Window) { SetResultCode(IClipper()->SetHWnd(0, Window)); }

// ---- TDirectDrawPalette ----------------------------------------------------------------------

TDirectDrawPalette::TDirectDrawPalette(TDirectDraw* ADirectDraw) : FDDraw(ADirectDraw) {
  FDDraw->FPalettes.push_back(this);
}

TDirectDrawPalette::~TDirectDrawPalette() {
  Drop();
  if (FDDraw) Unregister(FDDraw->FPalettes, this);
}

void TDirectDrawPalette::Drop() {
  if (FIDDPalette) FIDDPalette->Release();
  FIDDPalette = nullptr;
}

void TDirectDrawPalette::Detach() {
  Drop();
  Unregister(FDDraw->FPalettes, this);
  FDDraw = nullptr;
}

IDirectDrawPalette* TDirectDrawPalette::IPalette() const {
  if (!FIDDPalette) throw EDirectDrawPaletteError(Format(SNotMade, {"IDirectDrawPalette"}));
  return FIDDPalette;
}

bool TDirectDrawPalette::CreatePalette(DWORD Caps, const PALETTEENTRY* Entries) {
  Drop();
  if (!FDDraw) return false;
  IDirectDrawPalette* p = nullptr;
  const HRESULT hr = FDDraw->IDraw()->CreatePalette(Caps, const_cast<PALETTEENTRY*>(Entries), &p, nullptr);
  SetResultCode(hr);
  if (hr == DD_OK) FIDDPalette = p;
  return hr == DD_OK;
}

bool TDirectDrawPalette::SetEntries(int32_t StartIndex, int32_t Count, const PALETTEENTRY* Entries) {
  if (!FIDDPalette) return false;
  const HRESULT hr = FIDDPalette->SetEntries(0, static_cast<DWORD>(StartIndex), static_cast<DWORD>(Count), Entries);
  SetResultCode(hr);
  return hr == DD_OK;
}
