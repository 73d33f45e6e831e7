// The DirectDraw wrappers: each class owns one interface and records the result of every call;
// creation failures raise exceptions with the layer's messages. TDirectDrawSurface carries the
// drawing operations (keyed, mirrored, stretched, blended and rotated copies, fills, pixels).
// The picture collection builds surfaces from pictures and draws them by name.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "Classes.h"
#include "DIB.h"
#include "DXClass.h"
#include "DXConsts.h"
#include "Graphics.h"
#include "SysUtils.h"
#include "ddraw.h"

VSE_EXCEPTION_CLASS(EDirectXError, Exception);
VSE_EXCEPTION_CLASS(EDirectDrawError, EDirectXError);
VSE_EXCEPTION_CLASS(EDirectDrawPaletteError, EDirectDrawError);
VSE_EXCEPTION_CLASS(EDirectDrawClipperError, EDirectDrawError);
VSE_EXCEPTION_CLASS(EDirectDrawSurfaceError, EDirectDrawError);
VSE_EXCEPTION_CLASS(EDXDrawError, Exception);
VSE_EXCEPTION_CLASS(EPictureCollectionError, Exception);

class TDirectDraw;
class TDirectDrawClipper;
class TDirectDrawPalette;
class TDirectDrawSurface;

// Base of the wrappers: the result of the last DirectDraw call.
class TDirectX : public TPersistent {
 public:
  HRESULT ErrorCode() const { return FErrorCode; }
  void SetErrorCode(HRESULT Value) { FErrorCode = Value; }

 protected:
  // Called for every failed call; nothing here.
  virtual void CheckResult() {}
  void SetResultCode(HRESULT Value) {
    FErrorCode = Value;
    if (Value != 0) CheckResult();
  }

 private:
  HRESULT FErrorCode = 0;
};

// The DirectDraw object. The three interface getters answer one object (its interface is
// IDirectDraw7); IDDraw7 is there only in DirectX 7 mode.
class TDirectDraw : public TDirectX {
 public:
  explicit TDirectDraw(GUID* AGUID = nullptr) : TDirectDraw(AGUID, true) {}
  TDirectDraw(GUID* AGUID, bool DirectX7);
  // The wrappers made on this object belong to whoever made them: they lose their interfaces and
  // their link to this object here, and are freed by their owners.
  ~TDirectDraw() override;

  IDirectDraw7* IDDraw() const { return FIDDraw; }
  IDirectDraw7* IDDraw4() const { return FIDDraw4; }
  IDirectDraw7* IDDraw7() const { return FIDDraw7; }
  // As above, or EDirectDrawError "<interface> は作成されていません".
  IDirectDraw7* IDraw() const;
  IDirectDraw7* IDraw4() const;
  IDirectDraw7* IDraw7() const;

  const DDCAPS& DriverCaps() const { return FDriverCaps; }
  const DDCAPS& HELCaps() const { return FHELCaps; }
  // The display's pixel format: what new surfaces without a format of their own get.
  DDPIXELFORMAT DisplayFormat();

  const std::vector<TDirectDrawClipper*>& Clippers() const { return FClippers; }
  const std::vector<TDirectDrawPalette*>& Palettes() const { return FPalettes; }
  const std::vector<TDirectDrawSurface*>& Surfaces() const { return FSurfaces; }

 private:
  friend class TDirectDrawClipper;
  friend class TDirectDrawPalette;
  friend class TDirectDrawSurface;
  friend class TDXDrawDisplay;
  IDirectDraw7* FIDDraw = nullptr;
  IDirectDraw7* FIDDraw4 = nullptr;
  IDirectDraw7* FIDDraw7 = nullptr;
  DDCAPS FDriverCaps{};
  DDCAPS FHELCaps{};
  std::vector<TDirectDrawClipper*> FClippers;
  std::vector<TDirectDrawPalette*> FPalettes;
  std::vector<TDirectDrawSurface*> FSurfaces;
};

class TDirectDrawClipper : public TDirectX {
 public:
  explicit TDirectDrawClipper(TDirectDraw* ADirectDraw);
  ~TDirectDrawClipper() override;
  TDirectDraw* DDraw() const { return FDDraw; }
  IDirectDrawClipper* IDDClipper() const { return FIDDClipper; }
  IDirectDrawClipper* IClipper() const;
  void SetHandle(HWND Window);

 private:
  friend class TDirectDraw;
  void Detach();
  TDirectDraw* FDDraw;
  IDirectDrawClipper* FIDDClipper = nullptr;
};

class TDirectDrawPalette : public TDirectX {
 public:
  explicit TDirectDrawPalette(TDirectDraw* ADirectDraw);
  ~TDirectDrawPalette() override;
  TDirectDraw* DDraw() const { return FDDraw; }
  IDirectDrawPalette* IDDPalette() const { return FIDDPalette; }
  IDirectDrawPalette* IPalette() const;
  bool CreatePalette(DWORD Caps, const PALETTEENTRY* Entries);
  bool SetEntries(int32_t StartIndex, int32_t Count, const PALETTEENTRY* Entries);

 private:
  friend class TDirectDraw;
  void Detach();
  void Drop();
  TDirectDraw* FDDraw;
  IDirectDrawPalette* FIDDPalette = nullptr;
};

// A canvas on a surface's device context. Release gives the context back; the surface cannot be
// locked or blitted from while the canvas holds it.
class TDirectDrawSurfaceCanvas : public TCanvas {
 public:
  explicit TDirectDrawSurfaceCanvas(TDirectDrawSurface* ASurface) : FSurface(ASurface) {}
  ~TDirectDrawSurfaceCanvas() override;
  void Release();
  HDC DC() const { return FDC; }
  TDirectDrawSurface* Surface() const { return FSurface; }

 protected:
  void CreateHandle() override;

 private:
  friend class TDirectDrawSurface;
  HDC FDC = nullptr;
  TDirectDrawSurface* FSurface;
};

class TDirectDrawSurface : public TDirectX {
 public:
  explicit TDirectDrawSurface(TDirectDraw* ADirectDraw);
  ~TDirectDrawSurface() override;

  void Assign(TPersistent* Source) override;

  TDirectDraw* DDraw() const { return FDDraw; }
  IDirectDrawSurface7* IDDSurface() const { return FIDDSurface; }
  IDirectDrawSurface7* IDDSurface4() const { return FIDDSurface4; }
  IDirectDrawSurface7* IDDSurface7() const { return FIDDSurface7; }
  IDirectDrawSurface7* ISurface() const;
  IDirectDrawSurface7* ISurface4() const;
  IDirectDrawSurface7* ISurface7() const;
  void SetIDDSurface(IDirectDrawSurface7* Value);

  bool CreateSurface(DDSURFACEDESC2& SurfaceDesc);
  // Width or Height <= 0 leaves the wrapper without a surface.
  void SetSize(int32_t AWidth, int32_t AHeight);
  int32_t Width() const { return static_cast<int32_t>(FSurfaceDesc.dwWidth); }
  int32_t Height() const { return static_cast<int32_t>(FSurfaceDesc.dwHeight); }
  int32_t BitCount() const { return static_cast<int32_t>(FSurfaceDesc.ddpfPixelFormat.dwRGBBitCount); }
  TRect ClientRect() const { return Rect(0, 0, Width(), Height()); }
  const DDSURFACEDESC2& SurfaceDesc() const { return FSurfaceDesc; }
  bool SystemMemory() const { return FSystemMemory; }
  void SetSystemMemory(bool Value) { FSystemMemory = Value; }
  bool HasClipper() const { return FHasClipper; }
  int32_t LockCount() const { return FLockCount; }
  // Equal stamps: the pixels have not changed between the two looks.
  uint64_t ContentStamp() const { return DirectDrawSurfaceContentStamp(FIDDSurface); }

  bool Blt(const TRect& DestRect, TDirectDrawSurface* Source, const TRect& SrcRect, DWORD Flags, const DDBLTFX& DF);
  bool BltFast(int32_t X, int32_t Y, TDirectDrawSurface* Source, const TRect& SrcRect, DWORD Flags);
  // A keyed copy (Transparent: skip the source's colour key), clipped to both surfaces. A
  // reversed SrcRect (Right < Left, Bottom < Top) mirrors the copy within that rectangle.
  void Draw(int32_t X, int32_t Y, const TRect& SrcRect, TDirectDrawSurface* Source, bool Transparent);
  void Draw(int32_t X, int32_t Y, TDirectDrawSurface* Source, bool Transparent) {
    if (Source) Draw(X, Y, Source->ClientRect(), Source, Transparent);
  }
  // SrcRect stretched over DestRect, both clipped to their surfaces.
  void StretchDraw(const TRect& DestRect, const TRect& SrcRect, TDirectDrawSurface* Source, bool Transparent);
  void DrawAlpha(const TRect& DestRect, const TRect& SrcRect, TDirectDrawSurface* Source, bool Transparent,
                 int32_t Alpha);
  void DrawRotate(int32_t X, int32_t Y, int32_t AWidth, int32_t AHeight, const TRect& SrcRect,
                  TDirectDrawSurface* Source, double CenterX, double CenterY, bool Transparent, int32_t Angle);
  void DrawRotateAlpha(int32_t X, int32_t Y, int32_t AWidth, int32_t AHeight, const TRect& SrcRect,
                       TDirectDrawSurface* Source, double CenterX, double CenterY, bool Transparent, int32_t Angle,
                       int32_t Alpha);
  void Fill(uint32_t DevColor);
  void FillRect(const TRect& R, uint32_t DevColor);
  // Alpha <= 0 draws nothing, >= 255 fills; the colour's high byte never reaches the alpha.
  void FillRectAlpha(const TRect& R, TColor Color, int32_t Alpha);
  // The device value GDI gives Color on this surface; the pixels are left alone.
  uint32_t ColorMatch(TColor Color);
  uint32_t Pixels(int32_t X, int32_t Y);
  void SetPixels(int32_t X, int32_t Y, uint32_t Value);
  // No nesting: a second Lock before Unlock fails.
  bool Lock(const TRect* R, DDSURFACEDESC2& Desc);
  void Unlock();
  bool Restore();
  bool IsLost();
  void SetClipper(TDirectDrawClipper* Value);
  void SetColorKey(DWORD Flags, const DDCOLORKEY& Value);
  void SetTransparentColor(uint32_t DevColor);
  void SetPalette(TDirectDrawPalette* Value);
  TDirectDrawSurfaceCanvas* Canvas();

  void LoadFromGraphic(TGraphic* Graphic);
  // Width/Height 0: SrcRect's size.
  void LoadFromGraphicRect(TGraphic* Graphic, int32_t AWidth, const TRect& SrcRect, int32_t AHeight);
  // Copies the whole surface into a 24-bit DIB.
  void AssignTo(TPersistent* Dest) override;

 private:
  friend class TDirectDraw;
  friend class TDirectDrawSurfaceCanvas;
  void Detach();
  void DropInterfaces();

  std::unique_ptr<TDirectDrawSurfaceCanvas> FCanvas;
  bool FHasClipper = false;
  TDirectDraw* FDDraw;
  IDirectDrawSurface7* FIDDSurface = nullptr;
  IDirectDrawSurface7* FIDDSurface4 = nullptr;
  IDirectDrawSurface7* FIDDSurface7 = nullptr;
  bool FSystemMemory = false;
  DDSURFACEDESC2 FSurfaceDesc{};
  DDSURFACEDESC2 FLockDesc{};
  int32_t FLockCount = 0;
};

// Moves both rectangles' edges inward until each lies inside its clip; true when both are left
// non-empty.
bool ClipRects(TRect& DestRect, TRect& SrcRect, const TRect& DestClip, const TRect& SrcClip);

// ---- Display modes ---------------------------------------------------------------------------

class TCustomDXDraw;

// One mode the display driver offers.
class TDXDrawDisplayMode : public TCollectionItem {
 public:
  explicit TDXDrawDisplayMode(TCollection* Collection) : TCollectionItem(Collection) {}
  int32_t Width() const { return static_cast<int32_t>(FSurfaceDesc.dwWidth); }
  int32_t Height() const { return static_cast<int32_t>(FSurfaceDesc.dwHeight); }
  int32_t BitCount() const { return static_cast<int32_t>(FSurfaceDesc.ddpfPixelFormat.dwRGBBitCount); }
  const DDSURFACEDESC2& SurfaceDesc() const { return FSurfaceDesc; }
  void SetSurfaceDesc(const DDSURFACEDESC2& Value) { FSurfaceDesc = Value; }

 private:
  DDSURFACEDESC2 FSurfaceDesc{};
};

// The mode the drawing control asks for in full-screen mode, the driver's modes (sorted by
// width, height and bit count, enumerated on first use) and the fall-back to a near mode.
class TDXDrawDisplay : public TPersistent {
 public:
  explicit TDXDrawDisplay(TCustomDXDraw* AOwner);
  ~TDXDrawDisplay() override;
  void Assign(TPersistent* Source) override;

  int32_t BitCount() const { return FBitCount; }
  // 8, 16, 24 or 32; anything else raises EDirectDrawError and changes nothing.
  void SetBitCount(int32_t Value);
  int32_t Width() const { return FWidth; }
  void SetWidth(int32_t Value) { FWidth = Max(Value, 0); }
  int32_t Height() const { return FHeight; }
  void SetHeight(int32_t Value) { FHeight = Max(Value, 0); }
  bool FixedBitCount() const { return FFixedBitCount; }
  void SetFixedBitCount(bool Value) { FFixedBitCount = Value; }
  bool FixedRatio() const { return FFixedRatio; }
  void SetFixedRatio(bool Value) { FFixedRatio = Value; }
  bool FixedSize() const { return FFixedSize; }
  void SetFixedSize(bool Value) { FFixedSize = Value; }
  TCustomDXDraw* Owner() const { return FOwner; }

  int Count();
  TDXDrawDisplayMode* Items(int Index);
  int IndexOf(int32_t AWidth, int32_t AHeight, int32_t ABitCount);
  // The exact mode, else a near one by the Fixed* rules; the mode set is stored in Width, Height
  // and BitCount. False when none could be set (the values stay).
  bool SetDisplayMode(int32_t AWidth, int32_t AHeight, int32_t ABitCount);
  // Forgets the mode list (enumerated again on next use).
  void ClearModes() { FModes->Clear(); }

 private:
  void LoadDisplayModes();
  bool TryMode(int32_t AWidth, int32_t AHeight, int32_t ABitCount);
  bool FindMode(int32_t AWidth, int32_t AHeight, int32_t ABitCount, bool KeepRatio);

  int32_t FBitCount = 8;
  TCustomDXDraw* FOwner;
  int32_t FHeight = 480;
  std::unique_ptr<TCollection> FModes;
  int32_t FWidth = 640;
  bool FFixedBitCount = true;
  bool FFixedRatio = true;
  bool FFixedSize = false;
};

// ---- Drawing control -------------------------------------------------------------------------

enum TDXDrawOption {
  doFullScreen, doNoWindowChange, doAllowReboot, doWaitVBlank, doAllowPalette256, doSystemMemory, doStretch,
  doCenter, doFlip, do3D, doDirectX7Mode, doRetainedMode, doHardware, doSelectDriver, doZBuffer
};
// Bit n = option n, in 16 bits.
using TDXDrawOptions = TSet<TDXDrawOption>;
inline uint16_t DXDrawOptionsWord(TDXDrawOptions Options) { return static_cast<uint16_t>(Options.Bits()); }
inline TDXDrawOptions DXDrawOptionsOf(uint16_t Word) { return TDXDrawOptions::FromBits(Word); }

// Notification codes of the drawing control.
enum : int32_t {
  dxntDestroying = 0,       // control destroyed
  dxntInitializing = 1,     // initialisation starts
  dxntInitialize = 2,       // initialised
  dxntInitializeSurface = 3,  // surfaces ready
  dxntFinalize = 4,         // finalising
  dxntFinalizeSurface = 5,  // surfaces going
  dxntRestore = 6,          // surfaces restored
  dxntSetSurfaceSize = 7    // size or state changed
};
using TDXDrawNotifyEvent = TMethodValue<void(TCustomDXDraw* Sender, int32_t NotifyType)>;

// Presents the back surface: by a blit onto the primary (TDXDrawDriverBlt) or by flipping a
// chain (TDXDrawDriverFlip).
class TDXDrawDriver : public TObject {
 public:
  // Makes the DirectDraw object (after choosing a 3D driver when one is wanted).
  explicit TDXDrawDriver(TCustomDXDraw* ADXDraw);
  // Finalize, then frees DDraw.
  ~TDXDrawDriver() override;
  virtual void Finalize();
  virtual void Flip() = 0;
  virtual void Initialize() = 0;
  virtual bool SetSize(int32_t AWidth, int32_t AHeight) { return false; }
  // Restores the primary and the back surface; both filled with 0 when that worked.
  bool Restore();

 protected:
  TCustomDXDraw* FDXDraw;
};

class TDXDrawDriverBlt : public TDXDrawDriver {
 public:
  explicit TDXDrawDriverBlt(TCustomDXDraw* ADXDraw);
  void Flip() override;
  void Initialize() override;
  bool SetSize(int32_t AWidth, int32_t AHeight) override;
  // The screen rectangle Flip blits the back surface to.
  TRect FlipDestination();

 private:
  void CreateBackSurface();
};

class TDXDrawDriverFlip : public TDXDrawDriver {
 public:
  explicit TDXDrawDriverFlip(TCustomDXDraw* ADXDraw);
  void Flip() override;
  void Initialize() override;
};

// The on-screen drawing control: a DirectDraw object with a primary surface, one back surface
// (Surface, where all drawing goes), a clipper and a palette. Brought up when its form is first
// shown (AutoInitialize), presented by Flip, restored when its surfaces are lost; listeners
// registered with RegisterNotifyEvent hear of every stage.
class TCustomDXDraw : public TCustomControl {
 public:
  explicit TCustomDXDraw(TComponent* AOwner);
  ~TCustomDXDraw() override;

  void Initialize();
  void Finalize();
  void Flip();
  bool CanDraw();
  bool CheckSurfaces();
  void Restore();
  bool PaletteChanged(bool Foreground);
  void RegisterNotifyEvent(const TDXDrawNotifyEvent& Event);
  void UnregisterNotifyEvent(const TDXDrawNotifyEvent& Event);
  void SetSurfaceSize(int32_t AWidth, int32_t AHeight);
  void UpdatePalette();
  // Shows the GDI surface over a flipping chain (menus, other windows).
  void FlipToGDI();

  bool AutoInitialize() const { return FAutoInitialize; }
  void SetAutoInitialize(bool Value) { FAutoInitialize = Value; }
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value);
  TDXDrawDisplay* Display() const { return FDisplay.get(); }
  void SetDisplay(TDXDrawDisplay* Value) { FDisplay->Assign(Value); }
  TDXDrawOptions Options() const { return FOptions; }
  void SetOptions(TDXDrawOptions Value);
  TDXDrawOptions EffectiveOptions() const { return FEffectiveOptions; }
  // Drivers record what they obtained.
  void SetEffectiveOptions(TDXDrawOptions Value) { FEffectiveOptions = Value; }
  int32_t SurfaceWidth();
  void SetSurfaceWidth(int32_t Value);
  int32_t SurfaceHeight();
  void SetSurfaceHeight(int32_t Value);
  GUID* DriverGUID() const { return FDriverGUID; }
  void SetDriverGUID(GUID* Value);

  bool Initialized() const { return FInitialized; }
  bool Updating() const { return FUpdating; }
  int32_t InitCount() const { return FInitCount; }
  TCustomForm* ParentForm() const { return FParentForm; }
  TDirectDraw* DDraw() const { return FDDraw; }
  TDirectDrawClipper* Clipper() const { return FClipper; }
  TDirectDrawPalette* Palette() const { return FPalette; }
  TDirectDrawSurface* Primary() const { return FPrimary; }
  TDirectDrawSurface* Surface() const { return FSurface; }
  TDXDrawDriver* Driver() const { return FDriver; }
  RGBQUAD* ColorTable() { return FColorTable; }
  const RGBQUAD* DefaultColorTable() const { return FDefaultColorTable; }

  TNotifyEvent OnFinalize;
  TNotifyEvent OnFinalizeSurface;
  TNotifyEvent OnInitialize;
  TNotifyEvent OnInitializeSurface;
  TNotifyEvent OnInitializing;
  TNotifyEvent OnRestoreSurface;

 protected:
  virtual void DoFinalize();
  virtual void DoFinalizeSurface();
  virtual void DoInitialize();
  virtual void DoInitializeSurface();
  virtual void DoInitializing();
  virtual void DoRestoreSurface();
  void Loaded() override;
  void Paint() override;

 public:
  void SetParent(TWinControl* AParent) override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void Dispatch(TMessage& Message) override;

 private:
  friend class TDXDrawDriver;
  friend class TDXDrawDriverBlt;
  friend class TDXDrawDriverFlip;
  struct NotifyEntry {
    TDXDrawNotifyEvent Event;
  };
  void Notify(int32_t NotifyType);
  static void ParentWindowHook(void* Data, TMessage& Message, const TWndMethod& DefWindowProc);
  void SetCooperativeLevel();
  void UpdatePaletteFrom(const RGBQUAD* Table);
  // 256 entries from a colour table, the system's static colours kept unless doAllowPalette256.
  void BuildPaletteEntries(const RGBQUAD* Table, PALETTEENTRY* Entries);
  // The Direct3D path cannot be brought up here: no device qualifies.
  void Initialize3D();
  void SelectDriver3D();

  bool FAutoInitialize = true;
  bool FAutoSize = true;
  bool FInitializeFired = false;
  bool FSurfaceInitialized = false;
  TCustomForm* FParentForm = nullptr;
  std::vector<NotifyEntry> FNotifyList;
  bool FInitialized = false;
  bool FInitializeCalled = false;
  bool FFinalizeNeeded = false;
  bool FUpdating = false;
  std::unique_ptr<TControlSubClass> FFormHook;
  TDXDrawOptions FEffectiveOptions;
  TDXDrawOptions FOptions;
  int32_t FInitCount = 0;
  TDXDrawDriver* FDriver = nullptr;
  GUID* FDriverGUID = nullptr;
  GUID FDriverGUIDCopy{};
  TDirectDraw* FDDraw = nullptr;
  std::unique_ptr<TDXDrawDisplay> FDisplay;
  TDirectDrawClipper* FClipper = nullptr;
  TDirectDrawPalette* FPalette = nullptr;
  TDirectDrawSurface* FPrimary = nullptr;
  TDirectDrawSurface* FSurface = nullptr;
  int32_t FSurfaceWidth = 0;
  int32_t FSurfaceHeight = 0;
  RGBQUAD FColorTable[256] = {};
  RGBQUAD FDefaultColorTable[256] = {};
};

class TDXDraw : public TCustomDXDraw {
 public:
  using TCustomDXDraw::TCustomDXDraw;
};

// ---- Picture collection ----------------------------------------------------------------------

class TPictureCollection;

struct TPictureCollectionItemPattern {
  TRect Rect;
  TDirectDrawSurface* Surface;  // one of the item's surfaces
};

class TPictureCollectionItem : public THashCollectionItem {
 public:
  explicit TPictureCollectionItem(TCollection* Collection);
  ~TPictureCollectionItem() override;
  void Assign(TPersistent* Source) override;

  TPicture* Picture() const { return FPicture.get(); }
  void SetPicture(TPicture* Value) { FPicture->Assign(Value); }
  bool Initialized() const { return FInitialized; }
  int32_t PatternWidth() const { return FPatternWidth; }
  void SetPatternWidth(int32_t Value) { FPatternWidth = Value; }
  int32_t PatternHeight() const { return FPatternHeight; }
  void SetPatternHeight(int32_t Value) { FPatternHeight = Value; }
  int32_t SkipWidth() const { return FSkipWidth; }
  void SetSkipWidth(int32_t Value) { FSkipWidth = Value; }
  int32_t SkipHeight() const { return FSkipHeight; }
  void SetSkipHeight(int32_t Value) { FSkipHeight = Value; }
  bool SystemMemory() const { return FSystemMemory; }
  void SetSystemMemory(bool Value) { FSystemMemory = Value; }
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value) { FTransparent = Value; }
  TColor TransparentColor() const { return FTransparentColor; }
  // Re-keys every existing surface at once.
  void SetTransparentColor(TColor Value);

  // PatternWidth/PatternHeight when set, else the picture's size.
  int32_t Width() const;
  int32_t Height() const;
  int32_t PatternCount() const { return static_cast<int32_t>(FPatterns.size()); }
  const TPictureCollectionItemPattern& Pattern(int32_t Index) const { return FPatterns.at(static_cast<size_t>(Index)); }
  const std::vector<std::unique_ptr<TDirectDrawSurface>>& Surfaces() const { return FSurfaces; }
  // Moves whenever what the patterns draw may change: surfaces made again or dropped, a new
  // transparent colour.
  uint64_t Version() const { return FVersion; }
  TPictureCollection* PictureCollection() const;

  void Initialize();
  void Finalize();
  // Builds the surfaces and patterns. Surfaces that are still good for the same picture, pattern
  // settings and transparent colour are kept.
  void Restore();

  void Draw(TDirectDrawSurface* Dest, int32_t X, int32_t Y, int32_t PatternIndex);
  void DrawAlpha(TDirectDrawSurface* Dest, const TRect& DestRect, int32_t PatternIndex, int32_t Alpha);
  void DrawRotate(TDirectDrawSurface* Dest, int32_t X, int32_t Y, int32_t AWidth, int32_t AHeight, int32_t PatternIndex,
                  double CenterX, double CenterY, int32_t Angle);
  void DrawRotateAlpha(TDirectDrawSurface* Dest, int32_t X, int32_t Y, int32_t AWidth, int32_t AHeight,
                       int32_t PatternIndex, double CenterX, double CenterY, int32_t Angle, int32_t Alpha);

 private:
  friend class TPictureCollection;
  void ClearSurfaces();
  bool UpToDate();
  TDirectDrawSurface* AddSurface(const TRect& R);

  std::unique_ptr<TPicture> FPicture;
  bool FInitialized = false;
  int32_t FPatternHeight = 0;
  int32_t FPatternWidth = 0;
  std::vector<TPictureCollectionItemPattern> FPatterns;
  int32_t FSkipHeight = 0;
  int32_t FSkipWidth = 0;
  std::vector<std::unique_ptr<TDirectDrawSurface>> FSurfaces;
  bool FSystemMemory = false;
  bool FTransparent = true;
  TColor FTransparentColor = clBlack;
  // What the surfaces were built from: the picture's change events counted, and the graphic's
  // content stamp (which also moves with GDI drawing and ScanLine writes).
  uint64_t FPictureStamp = 1;
  uint64_t FVersion = 0;
  uint64_t FBuiltStamp = 0;
  uint64_t FBuiltContent = 0;
  int32_t FBuiltSettings[6] = {};
};

class TPictureCollection : public THashCollection {
 public:
  explicit TPictureCollection(TPersistent* AOwner);
  ~TPictureCollection() override;

  TPictureCollectionItem* Items(int Index) const;
  TPictureCollectionItem* Add() { return static_cast<TPictureCollectionItem*>(THashCollection::Add()); }
  // The item of that name (any case); EPictureCollectionError "画像 '<name>' が見つかりません".
  TPictureCollectionItem* Find(const AnsiString& Name) const;

  // Binds the collection to a drawing control that is up (or directly to a DirectDraw object)
  // and initialises every item; without one raises EPictureCollectionError.
  void Initialize(TCustomDXDraw* ADXDraw);
  void Initialize(TDirectDraw* ADirectDraw);
  void Finalize();
  void Restore();
  bool Initialized() const;
  TCustomDXDraw* DXDraw() const { return FDXDraw; }
  TDirectDraw* DDraw() const { return FDDraw; }
  // 256 four-byte colour entries, streamed as the binary property "ColorTable".
  uint8_t* ColorTable() { return FColorTable; }

 protected:
  TPersistent* GetOwner() override { return FOwner; }
  void DefineProperties(TFiler* Filer) override;

 private:
  friend class TCustomDXImageList;
  void ReadColorTable(TStream* Stream);
  void WriteColorTable(TStream* Stream);
  // Every item builds its surfaces again (the control's surfaces were restored).
  void Rebuild();
  TPersistent* FOwner;
  TCustomDXDraw* FDXDraw = nullptr;
  TDirectDraw* FDDraw = nullptr;
  uint8_t FColorTable[1024] = {};
};

// The image list: a component holding a picture collection. Bound to a drawing control it follows
// the control's stages; without one, Items.Initialize takes a DirectDraw object directly.
class TCustomDXImageList : public TComponent {
 public:
  explicit TCustomDXImageList(TComponent* AOwner);
  ~TCustomDXImageList() override;
  TPictureCollection* Items() const { return FItems.get(); }
  void SetItems(TPictureCollection* Value) { FItems->Assign(Value); }
  TCustomDXDraw* DXDraw() const { return FDXDraw; }
  void SetDXDraw(TCustomDXDraw* Value);

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  void DXDrawNotify(TCustomDXDraw* Sender, int32_t NotifyType);
  TCustomDXDraw* FDXDraw = nullptr;
  std::unique_ptr<TPictureCollection> FItems;
};

class TDXImageList : public TCustomDXImageList {
 public:
  using TCustomDXImageList::TCustomDXImageList;
};
