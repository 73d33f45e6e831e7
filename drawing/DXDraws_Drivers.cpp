// The drawing control's presentation drivers: a primary with an off-screen back surface
// presented by a blit, or a flipping chain; and the Direct3D path, which no device serves here.
#include "DXDraws.h"

namespace {

constexpr DWORD kPalette8 = DDPCAPS_8BIT;
constexpr DWORD kPaletteInitialize = DDPCAPS_INITIALIZE;

DDSURFACEDESC2 Description(DWORD Flags, DWORD Caps) {
  DDSURFACEDESC2 d{};
  d.dwSize = sizeof d;
  d.dwFlags = Flags;
  d.ddsCaps.dwCaps = Caps;
  return d;
}

BOOL WINAPI Add3DDriver(GUID* Guid, LPSTR, LPSTR, LPVOID Context) {
  // Only drivers with 3D capabilities can serve the Direct3D path.
  try {
    TDirectDraw dd(Guid);
    if (dd.DriverCaps().dwCaps & DDCAPS_3D) static_cast<std::vector<GUID*>*>(Context)->push_back(Guid);
  } catch (const Exception&) {
  }
  return TRUE;
}

}  // namespace

// ---- TDXDrawDriver ---------------------------------------------------------------------------

TDXDrawDriver::TDXDrawDriver(TCustomDXDraw* ADXDraw) : FDXDraw(ADXDraw) {
  const uint16_t options = DXDrawOptionsWord(ADXDraw->FOptions);
  if ((options & 0x1221) == 0x1201) ADXDraw->SelectDriver3D();
  GUID* guid = (options & 0x1021) == 0x1001 ? ADXDraw->FDriverGUID : nullptr;
  ADXDraw->FDDraw = new TDirectDraw(guid, ADXDraw->FOptions.Contains(doDirectX7Mode));
}

TDXDrawDriver::~TDXDrawDriver() {
  Finalize();
  delete FDXDraw->FDDraw;
  FDXDraw->FDDraw = nullptr;
}

void TDXDrawDriver::Finalize() {
  delete FDXDraw->FClipper;
  FDXDraw->FClipper = nullptr;
  delete FDXDraw->FPalette;
  FDXDraw->FPalette = nullptr;
  delete FDXDraw->FSurface;
  FDXDraw->FSurface = nullptr;
  delete FDXDraw->FPrimary;
  FDXDraw->FPrimary = nullptr;
}

bool TDXDrawDriver::Restore() {
  TDirectDrawSurface* primary = FDXDraw->FPrimary;
  TDirectDrawSurface* surface = FDXDraw->FSurface;
  if (!primary || !surface || !primary->Restore() || !surface->Restore()) return false;
  primary->Fill(0);
  surface->Fill(0);
  return true;
}

// ---- TDXDrawDriverBlt ------------------------------------------------------------------------

TDXDrawDriverBlt::TDXDrawDriverBlt(TCustomDXDraw* ADXDraw) : TDXDrawDriver(ADXDraw) {}

void TDXDrawDriverBlt::Initialize() {
  TCustomDXDraw* d = FDXDraw;
  d->FPrimary = new TDirectDrawSurface(d->FDDraw);
  DDSURFACEDESC2 desc = Description(DDSD_CAPS, DDSCAPS_PRIMARYSURFACE);
  if (!d->FPrimary->CreateSurface(desc)) throw EDXDrawError(Format(SCannotMade, {SDirectDrawPrimarySurface}));
  d->FSurface = new TDirectDrawSurface(d->FDDraw);
  d->FClipper = new TDirectDrawClipper(d->FDDraw);
  d->FClipper->SetHandle(d->Handle());
  d->FPrimary->SetClipper(d->FClipper);
  d->FPalette = new TDirectDrawPalette(d->FDDraw);
  PALETTEENTRY entries[256];
  d->BuildPaletteEntries(d->FColorTable, entries);
  DWORD caps = kPalette8 | kPaletteInitialize;
  if (d->FEffectiveOptions.Contains(doAllowPalette256)) caps |= DDPCAPS_ALLOW256;
  d->FPalette->CreatePalette(caps, entries);
  d->FPrimary->SetPalette(d->FPalette);
  CreateBackSurface();
}

void TDXDrawDriverBlt::CreateBackSurface() {
  TCustomDXDraw* d = FDXDraw;
  d->FSurface->SetIDDSurface(nullptr);
  d->FEffectiveOptions.Exclude(doSystemMemory);
  DWORD caps = DDSCAPS_OFFSCREENPLAIN;
  if (d->FOptions.Contains(doSystemMemory)) caps |= DDSCAPS_SYSTEMMEMORY;
  if (d->FEffectiveOptions.Contains(do3D)) caps |= DDSCAPS_3DDEVICE;
  DDSURFACEDESC2 desc = Description(DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH, caps);
  desc.dwWidth = static_cast<DWORD>(Max(d->FSurfaceWidth, 1));
  desc.dwHeight = static_cast<DWORD>(Max(d->FSurfaceHeight, 1));
  if (!d->FSurface->CreateSurface(desc)) {
    desc.ddsCaps.dwCaps |= DDSCAPS_SYSTEMMEMORY;
    if (!d->FSurface->CreateSurface(desc)) throw EDXDrawError(Format(SCannotMade, {SDirectDrawSurface}));
  }
  if (!(d->FSurface->SurfaceDesc().ddsCaps.dwCaps & DDSCAPS_VIDEOMEMORY)) d->FEffectiveOptions.Include(doSystemMemory);
  d->FSurface->SetPalette(d->FPalette);
  d->FSurface->Fill(0);
  if (d->FEffectiveOptions.Contains(do3D)) d->Initialize3D();
}

bool TDXDrawDriverBlt::SetSize(int32_t AWidth, int32_t AHeight) {
  TCustomDXDraw* d = FDXDraw;
  d->FSurfaceWidth = Max(AWidth, 1);
  d->FSurfaceHeight = Max(AHeight, 1);
  ++d->FInitCount;
  try {
    d->Notify(dxntFinalizeSurface);
    if (d->FSurfaceInitialized) {
      d->FSurfaceInitialized = false;
      d->DoFinalizeSurface();
    }
    CreateBackSurface();
    d->Notify(dxntInitializeSurface);
    d->FSurfaceInitialized = true;
    d->DoInitializeSurface();
  } catch (...) {
    --d->FInitCount;
    throw;
  }
  --d->FInitCount;
  return true;
}

TRect TDXDrawDriverBlt::FlipDestination() {
  TCustomDXDraw* d = FDXDraw;
  TPoint origin = d->ClientToScreen(Point(0, 0));
  if (d->FEffectiveOptions.Contains(doStretch)) return Bounds(origin.x, origin.y, d->Width(), d->Height());
  if (d->FEffectiveOptions.Contains(doCenter)) {
    origin.x += (d->Width() - d->FSurface->Width()) / 2;
    origin.y += (d->Height() - d->FSurface->Height()) / 2;
  }
  return Bounds(origin.x, origin.y, d->FSurface->Width(), d->FSurface->Height());
}

void TDXDrawDriverBlt::Flip() {
  TCustomDXDraw* d = FDXDraw;
  const TRect dest = FlipDestination();
  if (d->FEffectiveOptions.Contains(doWaitVBlank))
    d->FDDraw->SetErrorCode(d->FDDraw->IDraw()->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr));
  DDBLTFX fx{};
  fx.dwSize = sizeof fx;
  d->FPrimary->Blt(dest, d->FSurface, d->FSurface->ClientRect(), DDBLT_WAIT, fx);
}

// ---- TDXDrawDriverFlip -----------------------------------------------------------------------

TDXDrawDriverFlip::TDXDrawDriverFlip(TCustomDXDraw* ADXDraw) : TDXDrawDriver(ADXDraw) {}

void TDXDrawDriverFlip::Initialize() {
  TCustomDXDraw* d = FDXDraw;
  DWORD caps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
  if (d->FEffectiveOptions.Contains(do3D)) caps |= DDSCAPS_3DDEVICE;
  DDSURFACEDESC2 desc = Description(DDSD_CAPS | DDSD_BACKBUFFERCOUNT, caps);
  desc.dwBackBufferCount = 1;
  d->FPrimary = new TDirectDrawSurface(d->FDDraw);
  if (!d->FPrimary->CreateSurface(desc)) throw EDXDrawError(Format(SCannotMade, {SDirectDrawPrimarySurface}));
  d->FSurface = new TDirectDrawSurface(d->FDDraw);
  DDSCAPS2 backCaps{DDSCAPS_BACKBUFFER, 0, 0, 0};
  IDirectDrawSurface7* back = nullptr;
  const HRESULT hr = d->FPrimary->ISurface()->GetAttachedSurface(&backCaps, &back);
  d->FPrimary->SetErrorCode(hr);
  if (hr == DD_OK) {
    d->FSurface->SetIDDSurface(back);
    back->Release();
  }
  if (d->FSurface->IDDSurface() && (d->FSurface->SurfaceDesc().ddsCaps.dwCaps & DDSCAPS_SYSTEMMEMORY))
    d->FEffectiveOptions.Include(doSystemMemory);
  else
    d->FEffectiveOptions.Exclude(doSystemMemory);
  d->FClipper = new TDirectDrawClipper(d->FDDraw);
  d->FPalette = new TDirectDrawPalette(d->FDDraw);
  PALETTEENTRY entries[256];
  d->BuildPaletteEntries(d->FColorTable, entries);
  DWORD paletteCaps = kPalette8;
  if (d->FOptions.Contains(doAllowPalette256)) paletteCaps |= DDPCAPS_ALLOW256;
  d->FPalette->CreatePalette(paletteCaps, entries);
  d->FPrimary->SetPalette(d->FPalette);
  d->FSurface->SetPalette(d->FPalette);
  if (d->FEffectiveOptions.Contains(do3D)) d->Initialize3D();
}

void TDXDrawDriverFlip::Flip() {
  TCustomDXDraw* d = FDXDraw;
  if (d->FParentForm && Screen->ActiveForm() == d->FParentForm)
    d->FPrimary->SetErrorCode(d->FPrimary->ISurface()->Flip(nullptr, DDFLIP_WAIT));
  else
    d->FPrimary->SetErrorCode(0);
}

// ---- Direct3D --------------------------------------------------------------------------------

void TCustomDXDraw::SelectDriver3D() {
  std::vector<GUID*> drivers;
  auto enumerate = reinterpret_cast<HRESULT(WINAPI*)(LPDDENUMCALLBACKA, LPVOID)>(
      DXLoadLibraryProc("DDraw.dll", "DirectDrawEnumerateA"));
  enumerate(Add3DDriver, &drivers);
  // A driver with 3D capabilities would be scored by its Direct3D devices here; there is no
  // Direct3D, so the display's own driver stays.
  if (!drivers.empty()) SetDriverGUID(drivers.front());
}

void TCustomDXDraw::Initialize3D() {
  // No Direct3D device exists on this system: none can qualify.
  throw EDXDrawError(SNotFound3DDevice);
}
