// The picture collection: named pictures cut into patterns on DirectDraw surfaces.
#include <algorithm>
#include <cstring>

#include "Classes_Streaming.h"
#include "DXDraws.h"
#include "TypInfo.h"

// ---- Item ------------------------------------------------------------------------------------

TPictureCollectionItem::TPictureCollectionItem(TCollection* Collection)
    : THashCollectionItem(Collection), FPicture(std::make_unique<TPicture>()) {
  // Any change of the picture (a new graphic, drawing on its canvas) asks for new surfaces.
  FPicture->OnChange = [this](TObject*) { ++FPictureStamp; };
}

TPictureCollectionItem::~TPictureCollectionItem() {
  Finalize();
  ClearSurfaces();
  FPicture->OnChange = nullptr;
}

TPictureCollection* TPictureCollectionItem::PictureCollection() const {
  return static_cast<TPictureCollection*>(Collection());
}

void TPictureCollectionItem::Assign(TPersistent* Source) {
  auto* item = dynamic_cast<TPictureCollectionItem*>(Source);
  if (!item) {
    THashCollectionItem::Assign(Source);
    return;
  }
  if (item == this) return;
  const bool wasInitialized = FInitialized;
  Finalize();
  FPatternHeight = item->FPatternHeight;
  FPatternWidth = item->FPatternWidth;
  FSkipHeight = item->FSkipHeight;
  FSkipWidth = item->FSkipWidth;
  FSystemMemory = item->FSystemMemory;
  FTransparent = item->FTransparent;
  FTransparentColor = item->FTransparentColor;
  FPicture->Assign(item->FPicture.get());
  if (wasInitialized) Restore();
}

int32_t TPictureCollectionItem::Width() const { return FPatternWidth > 0 ? FPatternWidth : FPicture->Width(); }
int32_t TPictureCollectionItem::Height() const { return FPatternHeight > 0 ? FPatternHeight : FPicture->Height(); }

void TPictureCollectionItem::SetTransparentColor(TColor Value) {
  if (Value == FTransparentColor) return;
  FTransparentColor = Value;
  for (auto& s : FSurfaces) {
    try {
      s->SetTransparentColor(s->ColorMatch(Value));
    } catch (const Exception&) {
    }
  }
  FBuiltSettings[4] = Value;
  ++FVersion;
}

void TPictureCollectionItem::Initialize() {
  Finalize();
  FInitialized = PictureCollection() && PictureCollection()->Initialized();
}

void TPictureCollectionItem::Finalize() {
  if (!FInitialized) return;
  FInitialized = false;
  ClearSurfaces();
}

void TPictureCollectionItem::ClearSurfaces() {
  ++FVersion;
  FPatterns.clear();
  FSurfaces.clear();
  FBuiltStamp = 0;
}

bool TPictureCollectionItem::UpToDate() {
  if (FSurfaces.empty() || FBuiltStamp != FPictureStamp) return false;
  if (FPicture->Graphic() && FPicture->Graphic()->ContentStamp() != FBuiltContent) return false;
  const int32_t settings[6] = {FPatternWidth, FPatternHeight, FSkipWidth, FSkipHeight, FTransparentColor, FSystemMemory};
  if (!std::equal(settings, settings + 6, FBuiltSettings)) return false;
  for (auto& s : FSurfaces)
    if (!s->IDDSurface() || s->IsLost()) return false;
  return true;
}

TDirectDrawSurface* TPictureCollectionItem::AddSurface(const TRect& R) {
  FSurfaces.push_back(std::make_unique<TDirectDrawSurface>(PictureCollection()->DDraw()));
  TDirectDrawSurface* s = FSurfaces.back().get();
  s->SetSystemMemory(FSystemMemory);
  s->LoadFromGraphicRect(FPicture->Graphic(), 0, R, 0);
  s->SetTransparentColor(s->ColorMatch(FTransparentColor));
  return s;
}

void TPictureCollectionItem::Restore() {
  if (!FPicture->Graphic()) return;
  if (!FInitialized) {
    if (PictureCollection() && PictureCollection()->Initialized()) Initialize();
    if (!FInitialized) return;
  }
  if (UpToDate()) return;
  ClearSurfaces();
  const int32_t W = Width(), H = Height(), PW = FPicture->Width(), PH = FPicture->Height();
  const int32_t CW = W + FSkipWidth, CH = H + FSkipHeight;
  const int32_t settings[6] = {FPatternWidth, FPatternHeight, FSkipWidth, FSkipHeight, FTransparentColor, FSystemMemory};
  std::copy(settings, settings + 6, FBuiltSettings);
  // An empty picture, or a cell of no size, gives no patterns.
  if (PW <= 0 || PH <= 0 || W <= 0 || H <= 0 || CW <= 0 || CH <= 0) {
    FBuiltStamp = FPictureStamp;
    FBuiltContent = FPicture->Graphic()->ContentStamp();
    return;
  }

  if (W == PW && H == PH) {
    TDirectDrawSurface* s = AddSurface(Rect(0, 0, PW, PH));
    FPatterns.push_back({Rect(0, 0, PW, PH), s});
  } else if (FSystemMemory) {
    TDirectDrawSurface* s = AddSurface(Rect(0, 0, PW, PH));
    const int32_t rows = (PH + FSkipHeight) / CH, columns = (PW + FSkipWidth) / CW;
    for (int32_t r = 0; r < rows; ++r)
      for (int32_t c = 0; c < columns; ++c) FPatterns.push_back({Bounds(CW * c, CH * r, W, H), s});
  } else {
    // Tiles of about 512 pixels, each a whole number of cells.
    const int32_t TW = std::min(CW * ((CW + 511) / CW), CW * ((PW + FSkipWidth) / CW));
    const int32_t TH = std::min(CH * ((CH + 511) / CH), CH * ((PH + FSkipHeight) / CH));
    if (TW > 0 && TH > 0) {
      const int32_t A = (TW + PW - 1) / TW, D = (TH + PH - 1) / TH;
      for (int32_t l = 0; l < D; ++l)
        for (int32_t m = 0; m < A; ++m) {
          int32_t w = std::min(TW, std::max(PW - TW * m, 0));
          int32_t h = std::min(TH, std::max(PH - TH * l, 0));
          if (w == 0) w = TW;
          if (h == 0) h = TH;
          AddSurface(Bounds(TW * m, TH * l, w, h));
        }
      const int32_t rows = (PH + FSkipHeight) / CH, columns = (PW + FSkipWidth) / CW;
      for (int32_t r = 0; r < rows; ++r)
        for (int32_t c = 0; c < columns; ++c) {
          const size_t index = static_cast<size_t>((CW * c) / TW + A * ((CH * r) / TH));
          if (index >= FSurfaces.size()) continue;
          FPatterns.push_back({Bounds((CW * c) % TW, (CH * r) % TH, W, H), FSurfaces[index].get()});
        }
    }
  }
  FBuiltStamp = FPictureStamp;
  // Taken after building: reading the picture for its surfaces must not count as a change.
  FBuiltContent = FPicture->Graphic()->ContentStamp();
}

void TPictureCollectionItem::Draw(TDirectDrawSurface* Dest, int32_t X, int32_t Y, int32_t PatternIndex) {
  if (!Dest || !FInitialized || PatternIndex < 0 || PatternIndex >= PatternCount()) return;
  const auto& p = FPatterns[static_cast<size_t>(PatternIndex)];
  Dest->Draw(X, Y, p.Rect, p.Surface, FTransparent);
}

void TPictureCollectionItem::DrawAlpha(TDirectDrawSurface* Dest, const TRect& DestRect, int32_t PatternIndex,
                                       int32_t Alpha) {
  if (!Dest || !FInitialized || PatternIndex < 0 || PatternIndex >= PatternCount()) return;
  const auto& p = FPatterns[static_cast<size_t>(PatternIndex)];
  Dest->DrawAlpha(DestRect, p.Rect, p.Surface, FTransparent, Alpha);
}

void TPictureCollectionItem::DrawRotate(TDirectDrawSurface* Dest, int32_t X, int32_t Y, int32_t AWidth,
                                        int32_t AHeight, int32_t PatternIndex, double CenterX, double CenterY,
                                        int32_t Angle) {
  if (!Dest || !FInitialized || PatternIndex < 0 || PatternIndex >= PatternCount()) return;
  const auto& p = FPatterns[static_cast<size_t>(PatternIndex)];
  Dest->DrawRotate(X, Y, AWidth, AHeight, p.Rect, p.Surface, CenterX, CenterY, FTransparent, Angle);
}

void TPictureCollectionItem::DrawRotateAlpha(TDirectDrawSurface* Dest, int32_t X, int32_t Y, int32_t AWidth,
                                             int32_t AHeight, int32_t PatternIndex, double CenterX, double CenterY,
                                             int32_t Angle, int32_t Alpha) {
  if (!Dest || !FInitialized || PatternIndex < 0 || PatternIndex >= PatternCount()) return;
  const auto& p = FPatterns[static_cast<size_t>(PatternIndex)];
  Dest->DrawRotateAlpha(X, Y, AWidth, AHeight, p.Rect, p.Surface, CenterX, CenterY, FTransparent, Angle, Alpha);
}

// ---- Collection ------------------------------------------------------------------------------

TPictureCollection::TPictureCollection(TPersistent* AOwner)
    : THashCollection(TCollectionItemClass::Of<TPictureCollectionItem>()), FOwner(AOwner) {}

TPictureCollection::~TPictureCollection() {
  try {
    Finalize();
  } catch (...) {
  }
}

TPictureCollectionItem* TPictureCollection::Items(int Index) const {
  return static_cast<TPictureCollectionItem*>(THashCollection::Items(Index));
}

TPictureCollectionItem* TPictureCollection::Find(const AnsiString& Name) const {
  const int i = IndexOf(Name);
  if (i < 0) throw EPictureCollectionError(Format(SImageNotFound, {Name}));
  return Items(i);
}

void TPictureCollection::Initialize(TCustomDXDraw* ADXDraw) {
  Finalize();
  FDXDraw = ADXDraw;
  FDDraw = ADXDraw ? ADXDraw->DDraw() : nullptr;
  if (!Initialized()) throw EPictureCollectionError(Format(SCannotInitialized, {"TPictureCollection"}));
  for (int i = 0; i < Count(); ++i) Items(i)->Initialize();
}

void TPictureCollection::Initialize(TDirectDraw* ADirectDraw) {
  Finalize();
  FDDraw = ADirectDraw;
  if (!Initialized()) throw EPictureCollectionError(Format(SCannotInitialized, {"TPictureCollection"}));
  for (int i = 0; i < Count(); ++i) Items(i)->Initialize();
}

bool TPictureCollection::Initialized() const {
  return FDDraw != nullptr && (!FDXDraw || (FDXDraw->Initialized() && FDXDraw->DDraw() == FDDraw));
}

void TPictureCollection::Finalize() {
  try {
    for (int i = 0; i < Count(); ++i) Items(i)->Finalize();
  } catch (...) {
    FDXDraw = nullptr;
    FDDraw = nullptr;
    throw;
  }
  FDXDraw = nullptr;
  FDDraw = nullptr;
}

void TPictureCollection::DefineProperties(TFiler* Filer) {
  THashCollection::DefineProperties(Filer);
  Filer->DefineBinaryProperty(
      "ColorTable", [this](TStream* s) { ReadColorTable(s); }, [this](TStream* s) { WriteColorTable(s); }, true);
}

void TPictureCollection::ReadColorTable(TStream* Stream) {
  // Exactly one whole table, or nothing of it is taken.
  if (Stream->Size() - Stream->Position() != static_cast<int64_t>(sizeof FColorTable)) throw EReadError(SInvalidImage);
  uint8_t table[sizeof FColorTable];
  Stream->ReadBuffer(table, sizeof table);
  std::memcpy(FColorTable, table, sizeof table);
}

void TPictureCollection::WriteColorTable(TStream* Stream) { Stream->WriteBuffer(FColorTable, sizeof FColorTable); }

void TPictureCollection::Rebuild() {
  for (int i = 0; i < Count(); ++i) Items(i)->FBuiltStamp = 0;
  Restore();
}

void TPictureCollection::Restore() {
  for (int i = 0; i < Count(); ++i) Items(i)->Restore();
}

// ---- Image list ------------------------------------------------------------------------------

TCustomDXImageList::TCustomDXImageList(TComponent* AOwner)
    : TComponent(AOwner), FItems(std::make_unique<TPictureCollection>(this)) {}

TCustomDXImageList::~TCustomDXImageList() {
  SetDXDraw(nullptr);
  FItems.reset();
}

void TCustomDXImageList::SetDXDraw(TCustomDXDraw* Value) {
  const TDXDrawNotifyEvent notify = TDXDrawNotifyEvent::Of<&TCustomDXImageList::DXDrawNotify>(this);
  if (FDXDraw) {
    FDXDraw->RemoveFreeNotification(this);
    FDXDraw->UnregisterNotifyEvent(notify);
  }
  FDXDraw = Value;
  if (FDXDraw) {
    FDXDraw->FreeNotification(this);
    FDXDraw->RegisterNotifyEvent(notify);
  }
}

void TCustomDXImageList::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FDXDraw) SetDXDraw(nullptr);
}

void TCustomDXImageList::DXDrawNotify(TCustomDXDraw* Sender, int32_t NotifyType) {
  switch (NotifyType) {
    case dxntDestroying:
      SetDXDraw(nullptr);
      break;
    case dxntInitialize:
      FItems->Initialize(Sender);
      break;
    case dxntFinalize:
      FItems->Finalize();
      break;
    case dxntRestore:
      FItems->Rebuild();
      break;
    default:
      break;
  }
}

static const bool registered =
    DeclareClass<TPictureCollectionItem, THashCollectionItem>("TPictureCollectionItem")
        .Object("Picture", &TPictureCollectionItem::Picture)
        .Integer("PatternHeight", &TPictureCollectionItem::PatternHeight, &TPictureCollectionItem::SetPatternHeight,
                 Default(0))
        .Integer("PatternWidth", &TPictureCollectionItem::PatternWidth, &TPictureCollectionItem::SetPatternWidth,
                 Default(0))
        .Integer("SkipHeight", &TPictureCollectionItem::SkipHeight, &TPictureCollectionItem::SetSkipHeight, Default(0))
        .Integer("SkipWidth", &TPictureCollectionItem::SkipWidth, &TPictureCollectionItem::SetSkipWidth, Default(0))
        .Boolean("SystemMemory", &TPictureCollectionItem::SystemMemory, &TPictureCollectionItem::SetSystemMemory,
                 Default(0))
        .Boolean("Transparent", &TPictureCollectionItem::Transparent, &TPictureCollectionItem::SetTransparent,
                 Default(1))
        .Integer("TransparentColor", &TPictureCollectionItem::TransparentColor,
                 &TPictureCollectionItem::SetTransparentColor)
        .Idents(IdentToColor, ColorToIdent)
        .Done() &&
    DeclareClass<TPictureCollection, THashCollection>("TPictureCollection").Done() &&
    DeclareClass<TCustomDXImageList, TComponent>("TCustomDXImageList").Done() &&
    DeclareClass<TDXImageList, TCustomDXImageList>("TDXImageList")
        .Component("DXDraw", &TDXImageList::DXDraw, &TDXImageList::SetDXDraw)
        .Object("Items", &TDXImageList::Items)
        .Done();
