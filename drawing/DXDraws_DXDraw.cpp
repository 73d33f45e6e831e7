// TCustomDXDraw: the drawing control's stages, options, notifications and surface size.
#include <algorithm>
#include <exception>

#include "DXDraws.h"
#include "TypInfo.h"

namespace {

constexpr uint16_t kRunningFollow = 0x80C8;  // doWaitVBlank, doStretch, doCenter (and bit 15)
constexpr uint16_t kRunningKeep = 0x7F37;
constexpr uint16_t k3DOnly = 0x7800;         // doRetainedMode, doHardware, doSelectDriver, doZBuffer
constexpr uint16_t kFullScreenOnly = 0x116;  // doNoWindowChange, doAllowReboot, doAllowPalette256, doFlip
constexpr uint16_t kWith3D = 0x7C00;         // doDirectX7Mode to doZBuffer

uint16_t Bit(TDXDrawOption o) { return static_cast<uint16_t>(1u << static_cast<unsigned>(o)); }

}  // namespace

TCustomDXDraw::TCustomDXDraw(TComponent* AOwner)
    : TCustomControl(AOwner), FDisplay(std::make_unique<TDXDrawDisplay>(this)) {
  FAutoInitialize = true;
  SetOptions(DXDrawOptionsOf(0x348C));
  FAutoSize = true;
  PALETTEENTRY entries[256] = {};
  HDC dc = GetDC(nullptr);
  GetSystemPaletteEntries(dc, 0, 256, entries);
  ReleaseDC(nullptr, dc);
  for (int i = 0; i < 256; ++i)
    FColorTable[i] = RGBQUAD{entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
  std::copy(FColorTable, FColorTable + 256, FDefaultColorTable);
  SetBounds(Left(), Top(), 100, 100);
  SetParentColor(false);
  SetColor(clBtnFace);
}

TCustomDXDraw::~TCustomDXDraw() {
  try {
    Finalize();
  } catch (...) {
  }
  try {
    Notify(dxntDestroying);
  } catch (...) {
  }
  FFormHook.reset();
  FNotifyList.clear();
}

// ---- Events ----------------------------------------------------------------------------------

void TCustomDXDraw::DoFinalize() {
  if (OnFinalize) OnFinalize(this);
}
void TCustomDXDraw::DoFinalizeSurface() {
  if (OnFinalizeSurface) OnFinalizeSurface(this);
}
void TCustomDXDraw::DoInitialize() {
  if (OnInitialize) OnInitialize(this);
}
void TCustomDXDraw::DoInitializeSurface() {
  if (OnInitializeSurface) OnInitializeSurface(this);
}
void TCustomDXDraw::DoInitializing() {
  if (OnInitializing) OnInitializing(this);
}
void TCustomDXDraw::DoRestoreSurface() {
  if (OnRestoreSurface) OnRestoreSurface(this);
}

// ---- Listeners -------------------------------------------------------------------------------

void TCustomDXDraw::RegisterNotifyEvent(const TDXDrawNotifyEvent& Event) {
  UnregisterNotifyEvent(Event);
  FNotifyList.push_back(NotifyEntry{Event});
  Event(this, dxntSetSurfaceSize);
  if (FInitialized) {
    Event(this, dxntInitialize);
    if (FSurfaceInitialized) Event(this, dxntInitializeSurface);
    if (FInitCount == 0) Event(this, dxntRestore);
  }
}

void TCustomDXDraw::UnregisterNotifyEvent(const TDXDrawNotifyEvent& Event) {
  auto it = std::find_if(FNotifyList.begin(), FNotifyList.end(), [&](const NotifyEntry& e) { return e.Event == Event; });
  if (it == FNotifyList.end()) return;
  FNotifyList.erase(it);
  if (FSurfaceInitialized) Event(this, dxntFinalizeSurface);
  if (FInitialized) Event(this, dxntFinalize);
}

void TCustomDXDraw::Notify(int32_t NotifyType) {
  // Last registered first; a listener may unregister itself (or others) while it is called.
  for (size_t i = FNotifyList.size(); i-- > 0;) {
    if (i >= FNotifyList.size()) continue;
    const TDXDrawNotifyEvent event = FNotifyList[i].Event;
    event(this, NotifyType);
  }
}

// ---- Options and sizes -----------------------------------------------------------------------

void TCustomDXDraw::SetOptions(TDXDrawOptions Value) {
  FOptions = Value;
  const uint16_t asked = DXDrawOptionsWord(Value);
  if (FInitialized) {
    uint16_t e = static_cast<uint16_t>((asked & kRunningFollow) | (DXDrawOptionsWord(FEffectiveOptions) & kRunningKeep));
    if (!(e & Bit(do3D))) e &= static_cast<uint16_t>(~k3DOnly);
    FEffectiveOptions = DXDrawOptionsOf(e);
    return;
  }
  uint16_t e = asked;
  if (!(e & Bit(doFullScreen))) e &= static_cast<uint16_t>(~kFullScreenOnly);
  if (!(e & Bit(do3D))) e &= static_cast<uint16_t>(~kWith3D);
  if (e & Bit(doSystemMemory)) e &= static_cast<uint16_t>(~Bit(doFlip));
  if (e & Bit(doDirectX7Mode)) e &= static_cast<uint16_t>(~Bit(doRetainedMode));
  e &= static_cast<uint16_t>(~Bit(doHardware));
  FEffectiveOptions = DXDrawOptionsOf(e);
}

int32_t TCustomDXDraw::SurfaceWidth() {
  return FSurface && FSurface->IDDSurface() ? FSurface->Width() : FSurfaceWidth;
}
int32_t TCustomDXDraw::SurfaceHeight() {
  return FSurface && FSurface->IDDSurface() ? FSurface->Height() : FSurfaceHeight;
}

void TCustomDXDraw::SetSurfaceWidth(int32_t Value) {
  if (ComponentState().Contains(csLoading) || ComponentState().Contains(csReading)) {
    FSurfaceWidth = Value;
    return;
  }
  SetSurfaceSize(Value, SurfaceHeight());
}

void TCustomDXDraw::SetSurfaceHeight(int32_t Value) {
  if (ComponentState().Contains(csLoading) || ComponentState().Contains(csReading)) {
    FSurfaceHeight = Value;
    return;
  }
  SetSurfaceSize(SurfaceWidth(), Value);
}

void TCustomDXDraw::SetSurfaceSize(int32_t AWidth, int32_t AHeight) {
  if ((AWidth == SurfaceWidth() && AHeight == SurfaceHeight()) || FUpdating) return;
  if (FInitialized) {
    try {
      if (!FDriver->SetSize(AWidth, AHeight)) return;
    } catch (...) {
      Finalize();
      throw;
    }
  } else {
    FSurfaceWidth = AWidth;
    FSurfaceHeight = AHeight;
  }
  Notify(dxntSetSurfaceSize);
}

void TCustomDXDraw::SetAutoSize(bool Value) {
  FAutoSize = Value;
  if (Value) SetSurfaceSize(Width(), Height());
}

void TCustomDXDraw::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (FAutoSize && !FUpdating) SetSurfaceSize(AWidth, AHeight);
}

void TCustomDXDraw::SetDriverGUID(GUID* Value) {
  // Small values are the driver selectors, not readable GUIDs.
  if (reinterpret_cast<uintptr_t>(Value) < 0x10000) {
    FDriverGUID = Value;
    return;
  }
  FDriverGUIDCopy = *Value;
  FDriverGUID = &FDriverGUIDCopy;
}

// ---- Parent form -----------------------------------------------------------------------------

void TCustomDXDraw::SetParent(TWinControl* AParent) {
  TCustomControl::SetParent(AParent);
  FParentForm = nullptr;
  FFormHook.reset();
  if (ComponentState().Contains(csDesigning)) return;
  for (TWinControl* p = Parent(); p; p = p->Parent()) {
    if (auto* form = dynamic_cast<TCustomForm*>(p)) {
      FParentForm = form;
      FFormHook = std::make_unique<TControlSubClass>(form, &TCustomDXDraw::ParentWindowHook, this);
      break;
    }
  }
}

void TCustomDXDraw::ParentWindowHook(void* Data, TMessage& Message, const TWndMethod& DefWindowProc) {
  auto* self = static_cast<TCustomDXDraw*>(Data);
  switch (Message.Msg) {
    case WM_DESTROY:
      self->Finalize();
      break;
    case WM_WINDOWPOSCHANGED: {
      const auto* pos = reinterpret_cast<const WINDOWPOS*>(Message.LParam);
      if (pos && (pos->flags & SWP_SHOWWINDOW)) {
        DefWindowProc(Message);
        if (self->FAutoInitialize && !self->FInitializeCalled) self->Initialize();
        return;
      }
      break;
    }
    case WM_ACTIVATE:
      if (LOWORD(Message.WParam) == WA_INACTIVE) self->FlipToGDI();
      break;
    case WM_INITMENU:
      self->FlipToGDI();
      break;
    default:
      break;
  }
  DefWindowProc(Message);
}

void TCustomDXDraw::FlipToGDI() {
  if (FInitialized && FEffectiveOptions.Contains(doFullScreen) && FEffectiveOptions.Contains(doFlip))
    FDDraw->SetErrorCode(FDDraw->IDraw()->FlipToGDISurface());
}

void TCustomDXDraw::Loaded() {
  TCustomControl::Loaded();
  if (FAutoSize) {
    FSurfaceWidth = Width();
    FSurfaceHeight = Height();
  }
  Notify(dxntSetSurfaceSize);
  if (FAutoInitialize && !ComponentState().Contains(csDesigning) && !FFormHook) Initialize();
}

// ---- Stages ----------------------------------------------------------------------------------

void TCustomDXDraw::SetCooperativeLevel() {
  HWND window = FParentForm ? FParentForm->Handle() : Handle();
  DWORD flags = DDSCL_NORMAL;
  if (FEffectiveOptions.Contains(doFullScreen)) {
    flags = DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN | DDSCL_ALLOWMODEX;
    if (FEffectiveOptions.Contains(doNoWindowChange)) flags |= DDSCL_NOWINDOWCHANGES;
    if (FEffectiveOptions.Contains(doAllowReboot)) flags |= DDSCL_ALLOWREBOOT;
  }
  FDDraw->SetErrorCode(FDDraw->IDraw()->SetCooperativeLevel(window, flags));
}

void TCustomDXDraw::Initialize() {
  FInitializeCalled = true;
  Finalize();
  if (!FParentForm) throw EDXDrawError(SNotFoundForm);
  try {
    DoInitializing();
    FUpdating = true;
    try {
      FFinalizeNeeded = true;
      Notify(dxntInitializing);
      if (FEffectiveOptions.Contains(doFlip)) FDriver = new TDXDrawDriverFlip(this);
      else FDriver = new TDXDrawDriverBlt(this);
      SetCooperativeLevel();
      if (FEffectiveOptions.Contains(doFullScreen) &&
          !FDisplay->SetDisplayMode(FDisplay->Width(), FDisplay->Height(), FDisplay->BitCount()))
        throw EDXDrawError(Format(SDisplayModeChange, {FDisplay->Width(), FDisplay->Height(), FDisplay->BitCount()}));
      if (FAutoSize) {
        FSurfaceWidth = Width();
        FSurfaceHeight = Height();
      }
      FDriver->Initialize();
    } catch (...) {
      FUpdating = false;
      throw;
    }
    FUpdating = false;
    FInitialized = true;
    ++FInitCount;
  } catch (...) {
    Finalize();
    throw;
  }
  try {
    Notify(dxntSetSurfaceSize);
    Notify(dxntInitialize);
    FInitializeFired = true;
    DoInitialize();
    Notify(dxntInitializeSurface);
    FSurfaceInitialized = true;
    DoInitializeSurface();
  } catch (...) {
    --FInitCount;
    throw;
  }
  --FInitCount;
  Restore();
}

void TCustomDXDraw::Finalize() {
  if (!FFinalizeNeeded) return;
  FSurfaceWidth = SurfaceWidth();
  FSurfaceHeight = SurfaceHeight();
  FDisplay->ClearModes();
  FUpdating = true;
  auto finish = [this] {
    FFinalizeNeeded = false;
    FInitialized = false;
    SetOptions(FOptions);
    TDXDrawDriver* driver = FDriver;
    FDriver = nullptr;
    delete driver;
    FUpdating = false;
  };
  // The event when it is owed, then the notification, made even when the event raised.
  auto stage = [this](bool& owed, void (TCustomDXDraw::*event)(), int32_t code) {
    try {
      if (owed) {
        owed = false;
        (this->*event)();
      }
    } catch (...) {
      Notify(code);
      throw;
    }
    Notify(code);
  };
  // Both stages run even when the first one's event raised, so listeners always hear that the
  // control is going; the first exception passes on.
  std::exception_ptr failure;
  try {
    stage(FSurfaceInitialized, &TCustomDXDraw::DoFinalizeSurface, dxntFinalizeSurface);
  } catch (...) {
    failure = std::current_exception();
  }
  try {
    stage(FInitializeFired, &TCustomDXDraw::DoFinalize, dxntFinalize);
  } catch (...) {
    if (!failure) failure = std::current_exception();
  }
  finish();
  if (failure) std::rethrow_exception(failure);
}

bool TCustomDXDraw::CheckSurfaces() {
  if (!FInitialized || FUpdating || !FPrimary || !FPrimary->IDDSurface()) return false;
  auto state = [](TDirectDrawSurface* s) -> HRESULT {
    return s && s->IDDSurface() ? s->IDDSurface()->IsLost() : DDERR_SURFACELOST;
  };
  if (state(FPrimary) != DDERR_SURFACELOST && state(FSurface) != DDERR_SURFACELOST) return true;
  Restore();
  return state(FPrimary) == DD_OK && state(FSurface) == DD_OK;
}

void TCustomDXDraw::Flip() {
  if (FInitialized && !FUpdating && CheckSurfaces()) FDriver->Flip();
}

bool TCustomDXDraw::CanDraw() {
  return FInitialized && !FUpdating && FSurface && FSurface->IDDSurface() && CheckSurfaces();
}

void TCustomDXDraw::Restore() {
  if (!FInitialized || FUpdating) return;
  FUpdating = true;
  try {
    if (FDriver->Restore()) {
      FPrimary->SetPalette(FPalette);
      FSurface->SetPalette(FPalette);
      UpdatePaletteFrom(FDefaultColorTable);
      Notify(dxntRestore);
      DoRestoreSurface();
      UpdatePaletteFrom(FColorTable);
    }
  } catch (...) {
    FUpdating = false;
    throw;
  }
  FUpdating = false;
}

bool TCustomDXDraw::PaletteChanged(bool Foreground) {
  if (!Foreground) return false;
  Restore();
  return true;
}

void TCustomDXDraw::BuildPaletteEntries(const RGBQUAD* Table, PALETTEENTRY* Entries) {
  for (int i = 0; i < 256; ++i)
    Entries[i] = PALETTEENTRY{Table[i].rgbRed, Table[i].rgbGreen, Table[i].rgbBlue, 0};
  if (!FEffectiveOptions.Contains(doAllowPalette256)) {
    // The system's static colours keep their places.
    PALETTEENTRY system[256] = {};
    HDC dc = GetDC(nullptr);
    GetSystemPaletteEntries(dc, 0, 256, system);
    ReleaseDC(nullptr, dc);
    for (int i = 0; i < 10; ++i) {
      Entries[i] = system[i];
      Entries[246 + i] = system[246 + i];
    }
  }
  for (int i = 0; i < 256; ++i) Entries[i].peFlags = PC_NOCOLLAPSE;
}

void TCustomDXDraw::UpdatePaletteFrom(const RGBQUAD* Table) {
  if (!FInitialized || !FPalette) return;
  PALETTEENTRY entries[256];
  BuildPaletteEntries(Table, entries);
  FPalette->SetEntries(0, 256, entries);
}

void TCustomDXDraw::UpdatePalette() { UpdatePaletteFrom(FColorTable); }

// ---- Window ----------------------------------------------------------------------------------

void TCustomDXDraw::Paint() {
  if (ComponentState().Contains(csDesigning)) return;
  // Presents the frame again at once, without waiting for the display.
  const bool wait = FEffectiveOptions.Contains(doWaitVBlank);
  FEffectiveOptions.Exclude(doWaitVBlank);
  try {
    Flip();
  } catch (...) {
    if (wait) FEffectiveOptions.Include(doWaitVBlank);
    throw;
  }
  if (wait) FEffectiveOptions.Include(doWaitVBlank);
  if (FSurface && FSurface->IDDSurface() && (FSurface->SurfaceDesc().ddsCaps.dwCaps & DDSCAPS_VIDEOMEMORY) && Parent())
    Parent()->Invalidate();
}

void TCustomDXDraw::Dispatch(TMessage& Message) {
  TCustomControl::Dispatch(Message);
  if (Message.Msg == WM_CREATE && FInitialized && !FUpdating) {
    FClipper->SetHandle(Handle());
    SetCooperativeLevel();
  }
}

static const bool registered =
    DeclareClass<TCustomDXDraw, TCustomControl>("TCustomDXDraw").Done() &&
    DeclareClass<TDXDraw, TCustomDXDraw>("TDXDraw")
        .Boolean("AutoInitialize", &TDXDraw::AutoInitialize, &TDXDraw::SetAutoInitialize, Default(1))
        .Boolean("AutoSize", &TDXDraw::AutoSize, &TDXDraw::SetAutoSize, Default(1))
        .Object("Display", &TDXDraw::Display)
        .Set("Options",
             {"doFullScreen", "doNoWindowChange", "doAllowReboot", "doWaitVBlank", "doAllowPalette256",
              "doSystemMemory", "doStretch", "doCenter", "doFlip", "do3D", "doDirectX7Mode", "doRetainedMode",
              "doHardware", "doSelectDriver", "doZBuffer"},
             [](TDXDraw* d) { return static_cast<int>(DXDrawOptionsWord(d->Options())); },
             [](TDXDraw* d, int v) { d->SetOptions(DXDrawOptionsOf(static_cast<uint16_t>(v))); }, Default(0x348C))
        .Integer("SurfaceHeight", &TDXDraw::SurfaceHeight, &TDXDraw::SetSurfaceHeight, NoDefault,
                 [](TDXDraw* d) { return !d->AutoSize(); })
        .Integer("SurfaceWidth", &TDXDraw::SurfaceWidth, &TDXDraw::SetSurfaceWidth, NoDefault,
                 [](TDXDraw* d) { return !d->AutoSize(); })
        .Event("OnFinalize", static_cast<TNotifyEvent TDXDraw::*>(&TDXDraw::OnFinalize))
        .Event("OnFinalizeSurface", static_cast<TNotifyEvent TDXDraw::*>(&TDXDraw::OnFinalizeSurface))
        .Event("OnInitialize", static_cast<TNotifyEvent TDXDraw::*>(&TDXDraw::OnInitialize))
        .Event("OnInitializeSurface", static_cast<TNotifyEvent TDXDraw::*>(&TDXDraw::OnInitializeSurface))
        .Event("OnInitializing", static_cast<TNotifyEvent TDXDraw::*>(&TDXDraw::OnInitializing))
        .Event("OnRestoreSurface", static_cast<TNotifyEvent TDXDraw::*>(&TDXDraw::OnRestoreSurface))
        .Done();
