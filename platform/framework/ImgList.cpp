#include "ImgList.h"

#include <algorithm>

#include "TypInfo.h"

const char* const SInvalidImageList = "無効なイメージ リストです";
const char* const SInvalidImageSize = "無効なイメージ サイズです";
const char* const SImageIndexError = "リストのインデックスが範囲を超えています (%d)";

TChangeLink::~TChangeLink() {
  if (sender_) sender_->UnRegisterChanges(this);
}

void TChangeLink::Change() {
  if (OnChange) OnChange(sender_);
}

namespace {

COLORREF PlatformColor(TColor c) {
  if (c == clNone) return CLR_NONE;
  if (c == clDefault) return CLR_DEFAULT;
  return static_cast<COLORREF>(ColorToRGB(c));
}

// A 32-bit top-down DIB section of the given size, with its pixels.
struct Dib {
  HBITMAP bitmap = nullptr;
  uint32_t* px = nullptr;
  HDC dc = nullptr;
  HGDIOBJ old = nullptr;
  Dib(int32_t w, int32_t h) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    bitmap = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    px = static_cast<uint32_t*>(bits);
    dc = CreateCompatibleDC(nullptr);
    old = SelectObject(dc, bitmap);
  }
  ~Dib() {
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
  }
  Dib(const Dib&) = delete;
  Dib& operator=(const Dib&) = delete;
};

}  // namespace

TCustomImageList::TCustomImageList(TComponent* AOwner) : TComponent(AOwner) { Recreate(); }

TCustomImageList::TCustomImageList(int32_t AWidth, int32_t AHeight) : TComponent(nullptr) {
  if (AWidth <= 0 || AHeight <= 0 || AWidth > 32768 || AHeight > 32768) throw EInvalidOperation(SInvalidImageSize);
  width_ = AWidth;
  height_ = AHeight;
  Recreate();
}

TCustomImageList::~TCustomImageList() {
  while (!clients_.empty()) UnRegisterChanges(clients_.back());
  FreeHandle();
}

void TCustomImageList::FreeHandle() {
  if (handle_ && !share_images_) ImageList_Destroy(handle_);
  handle_ = nullptr;
}

// A fresh, empty platform list of the current size and kind.
void TCustomImageList::Recreate() {
  FreeHandle();
  handle_ = ImageList_Create(width_, height_, ILC_COLOR32 | (masked_ ? ILC_MASK : 0), alloc_by_, alloc_by_);
  if (!handle_) throw EInvalidOperation(SInvalidImageList);
  ImageList_SetBkColor(handle_, PlatformColor(bk_color_));
}

HIMAGELIST TCustomImageList::Handle() {
  if (!handle_) Recreate();
  return handle_;
}

void TCustomImageList::SetHandle(HIMAGELIST Value) {
  FreeHandle();
  handle_ = Value;
  if (handle_) {
    int cx = 0, cy = 0;
    if (ImageList_GetIconSize(handle_, &cx, &cy)) {
      width_ = cx;
      height_ = cy;
    }
  }
  Change();
}

int32_t TCustomImageList::Count() const { return handle_ ? ImageList_GetImageCount(handle_) : 0; }

int32_t TCustomImageList::Checked(int32_t result) {
  if (result < 0) throw EInvalidOperation(SInvalidImageList);
  Change();
  return result;
}

int32_t TCustomImageList::Add(TBitmap* Image, TBitmap* Mask) {
  if (!Image) return -1;
  return Checked(ImageList_Add(Handle(), Image->Handle(), Mask ? Mask->Handle() : nullptr));
}

int32_t TCustomImageList::AddMasked(TBitmap* Image, TColor MaskColor) {
  if (!Image) return -1;
  if (!masked_) return Add(Image, nullptr);
  TColor key = MaskColor;
  if (key == clDefault && !Image->Empty())
    key = static_cast<TColor>(GetPixel(Image->Canvas()->Handle(), 0, Image->Height() - 1));
  return Checked(ImageList_AddMasked(Handle(), Image->Handle(), PlatformColor(key)));
}

void TCustomImageList::AddImages(TCustomImageList* Value) {
  if (!Value || Value == this) return;
  BeginUpdate();
  for (int32_t i = 0; i < Value->Count(); ++i) {
    TBitmap img, mask;
    Value->GetBitmap(i, &img);
    Value->GetMask(i, &mask);
    Add(&img, Value->Masked() ? &mask : nullptr);
  }
  EndUpdate();
}

// Insert and replace go through a temporary list so the platform keeps one image each.
void TCustomImageList::Insert(int32_t Index, TBitmap* Image, TBitmap* Mask) {
  if (Index < 0 || Index > Count()) throw EInvalidOperation(Format(SImageIndexError, {Index}));
  BeginUpdate();
  int32_t first = Add(Image, Mask);
  int32_t added = Count() - first;
  for (int32_t k = 0; k < added; ++k) Move(first + k, Index + k);
  EndUpdate();
}

void TCustomImageList::InsertMasked(int32_t Index, TBitmap* Image, TColor MaskColor) {
  if (Index < 0 || Index > Count()) throw EInvalidOperation(Format(SImageIndexError, {Index}));
  BeginUpdate();
  int32_t first = AddMasked(Image, MaskColor);
  int32_t added = Count() - first;
  for (int32_t k = 0; k < added; ++k) Move(first + k, Index + k);
  EndUpdate();
}

void TCustomImageList::Replace(int32_t Index, TBitmap* Image, TBitmap* Mask) {
  if (Index < 0 || Index >= Count()) throw EInvalidOperation(Format(SImageIndexError, {Index}));
  if (!ImageList_Replace(Handle(), Index, Image ? Image->Handle() : nullptr, Mask ? Mask->Handle() : nullptr))
    throw EInvalidOperation(SInvalidImageList);
  Change();
}

void TCustomImageList::ReplaceMasked(int32_t Index, TBitmap* NewImage, TColor MaskColor) {
  if (Index < 0 || Index >= Count()) throw EInvalidOperation(Format(SImageIndexError, {Index}));
  if (!NewImage) return;
  // The masked image is made in a list of one, then put in place with its mask.
  TImageList one(width_, height_);
  one.SetMasked(masked_);
  one.AddMasked(NewImage, MaskColor);
  TBitmap img, mask;
  one.GetBitmap(0, &img);
  one.GetMask(0, &mask);
  Replace(Index, &img, masked_ ? &mask : nullptr);
}

void TCustomImageList::Delete(int32_t Index) {
  if (Index < 0 || Index >= Count()) throw EInvalidOperation(Format(SImageIndexError, {Index}));
  ImageList_Remove(Handle(), Index);
  Change();
}

void TCustomImageList::Clear() {
  if (handle_) ImageList_Remove(handle_, -1);
  Change();
}

// Moves an image by re-adding the images in the new order (the platform list has no move).
void TCustomImageList::Move(int32_t CurIndex, int32_t NewIndex) {
  int32_t n = Count();
  if (CurIndex < 0 || CurIndex >= n) throw EInvalidOperation(Format(SImageIndexError, {CurIndex}));
  if (NewIndex < 0 || NewIndex >= n) throw EInvalidOperation(Format(SImageIndexError, {NewIndex}));
  if (CurIndex == NewIndex) return;
  HIMAGELIST copy = ImageList_Duplicate(Handle());
  std::vector<int32_t> order(static_cast<size_t>(n));
  for (int32_t i = 0; i < n; ++i) order[static_cast<size_t>(i)] = i;
  order.erase(order.begin() + CurIndex);
  order.insert(order.begin() + NewIndex, CurIndex);
  ImageList_Remove(handle_, -1);
  for (int32_t src : order) {
    TBitmap img, mask;
    img.SetSize(width_, height_);
    mask.SetSize(width_, height_);
    ImageList_DrawEx(copy, src, img.Canvas()->Handle(), 0, 0, 0, 0, CLR_NONE, CLR_NONE, ILD_NORMAL);
    ImageList_DrawEx(copy, src, mask.Canvas()->Handle(), 0, 0, 0, 0, CLR_NONE, CLR_NONE, ILD_MASK);
    ImageList_Add(handle_, img.Handle(), masked_ ? mask.Handle() : nullptr);
  }
  ImageList_Destroy(copy);
  Change();
}

UINT TCustomImageList::DrawFlags(TDrawingStyle Style, TImageType Type) const {
  static constexpr UINT kStyle[] = {ILD_FOCUS, ILD_SELECTED, ILD_NORMAL, ILD_TRANSPARENT};
  return kStyle[Style] | (Type == itMask ? ILD_MASK : 0);
}

void TCustomImageList::Draw(TCanvas* Canvas, int32_t X, int32_t Y, int32_t Index, bool Enabled) {
  Draw(Canvas, X, Y, Index, drawing_style_, image_type_, Enabled);
}

void TCustomImageList::Draw(TCanvas* Canvas, int32_t X, int32_t Y, int32_t Index, TDrawingStyle Style, TImageType Type,
                            bool Enabled) {
  if (!Canvas || !handle_ || Index < 0 || Index >= Count()) return;
  if (!Enabled) {
    DrawDisabled(Canvas, X, Y, Index);
    return;
  }
  ImageList_DrawEx(handle_, Index, Canvas->Handle(), X, Y, 0, 0, PlatformColor(bk_color_), PlatformColor(blend_color_),
                   DrawFlags(Style, Type));
}

// The embossed picture of a disabled image: its opaque pixels in the highlight colour one
// pixel down and right, then in the shadow colour in place.
void TCustomImageList::DrawDisabled(TCanvas* Canvas, int32_t X, int32_t Y, int32_t Index) {
  Dib mask(width_, height_);
  ImageList_DrawEx(handle_, Index, mask.dc, 0, 0, 0, 0, CLR_NONE, CLR_NONE, ILD_MASK);
  HDC dst = Canvas->Handle();
  Dib under(width_ + 1, height_ + 1);
  BitBlt(under.dc, 0, 0, width_ + 1, height_ + 1, dst, X, Y, SRCCOPY);
  auto rgb = [](TColor c) {
    COLORREF r = static_cast<COLORREF>(ColorToRGB(c));
    return (static_cast<uint32_t>(GetRValue(r)) << 16) | (static_cast<uint32_t>(GetGValue(r)) << 8) | GetBValue(r);
  };
  const uint32_t hi = rgb(clBtnHighlight), sh = rgb(clBtnShadow);
  for (int pass = 0; pass < 2; ++pass) {
    int off = pass == 0 ? 1 : 0;
    for (int32_t y = 0; y < height_; ++y)
      for (int32_t x = 0; x < width_; ++x)
        if ((mask.px[static_cast<size_t>(y) * width_ + x] & 0xFFFFFFu) == 0)
          under.px[static_cast<size_t>(y + off) * (width_ + 1) + x + off] = pass == 0 ? hi : sh;
  }
  BitBlt(dst, X, Y, width_ + 1, height_ + 1, under.dc, 0, 0, SRCCOPY);
}

bool TCustomImageList::GetBitmap(int32_t Index, TBitmap* Image) {
  if (!Image || !handle_ || Index < 0 || Index >= Count()) return false;
  Image->SetSize(width_, height_);
  ImageList_DrawEx(handle_, Index, Image->Canvas()->Handle(), 0, 0, 0, 0, CLR_NONE, CLR_NONE, ILD_NORMAL);
  Image->SetModified(true);
  return true;
}

bool TCustomImageList::GetMask(int32_t Index, TBitmap* Mask) {
  if (!Mask || !handle_ || Index < 0 || Index >= Count()) return false;
  Mask->SetSize(width_, height_);
  ImageList_DrawEx(handle_, Index, Mask->Canvas()->Handle(), 0, 0, 0, 0, CLR_NONE, CLR_NONE, ILD_MASK);
  return true;
}

void TCustomImageList::SetWidth(int32_t Value) {
  if (Value == width_) return;
  if (Value <= 0 || Value > 32768) throw EInvalidOperation(SInvalidImageSize);
  width_ = Value;
  Recreate();
  Change();
}

void TCustomImageList::SetHeight(int32_t Value) {
  if (Value == height_) return;
  if (Value <= 0 || Value > 32768) throw EInvalidOperation(SInvalidImageSize);
  height_ = Value;
  Recreate();
  Change();
}

// Changing the kind makes a new platform list holding the same images.
void TCustomImageList::SetMasked(bool Value) {
  if (Value == masked_) return;
  std::vector<std::pair<std::unique_ptr<TBitmap>, std::unique_ptr<TBitmap>>> keep;
  for (int32_t i = 0; i < Count(); ++i) {
    auto img = std::make_unique<TBitmap>(), mask = std::make_unique<TBitmap>();
    GetBitmap(i, img.get());
    GetMask(i, mask.get());
    keep.emplace_back(std::move(img), std::move(mask));
  }
  masked_ = Value;
  Recreate();
  for (auto& [img, mask] : keep) ImageList_Add(handle_, img->Handle(), masked_ ? mask->Handle() : nullptr);
  Change();
}

void TCustomImageList::SetBkColor(TColor Value) {
  bk_color_ = Value;
  if (handle_) ImageList_SetBkColor(handle_, PlatformColor(Value));
  Change();
}

void TCustomImageList::SetDrawingStyle(TDrawingStyle Value) {
  if (Value == drawing_style_) return;
  drawing_style_ = Value;
  Change();
}

void TCustomImageList::SetImageType(TImageType Value) {
  if (Value == image_type_) return;
  image_type_ = Value;
  Change();
}

void TCustomImageList::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TCustomImageList*>(Source);
  if (!src) {
    TComponent::Assign(Source);
    return;
  }
  BeginUpdate();
  masked_ = src->masked_;
  width_ = src->width_;
  height_ = src->height_;
  bk_color_ = src->bk_color_;
  blend_color_ = src->blend_color_;
  drawing_style_ = src->drawing_style_;
  image_type_ = src->image_type_;
  Recreate();
  AddImages(src);
  changed_ = true;
  EndUpdate();
}

void TCustomImageList::RegisterChanges(TChangeLink* Value) {
  if (!Value || std::find(clients_.begin(), clients_.end(), Value) != clients_.end()) return;
  if (Value->Sender() && Value->Sender() != this) Value->Sender()->UnRegisterChanges(Value);
  Value->SetSender(this);
  clients_.push_back(Value);
}

void TCustomImageList::UnRegisterChanges(TChangeLink* Value) {
  auto it = std::find(clients_.begin(), clients_.end(), Value);
  if (it == clients_.end()) return;
  clients_.erase(it);
  Value->SetSender(nullptr);
}

void TCustomImageList::BeginUpdate() { ++update_count_; }

void TCustomImageList::EndUpdate() {
  if (update_count_ > 0) --update_count_;
  if (update_count_ == 0 && changed_) Change();
}

void TCustomImageList::Change() {
  changed_ = true;
  if (update_count_ > 0) return;
  changed_ = false;
  // A client's Change may unregister it: walk a copy.
  std::vector<TChangeLink*> links = clients_;
  for (TChangeLink* l : links)
    if (std::find(clients_.begin(), clients_.end(), l) != clients_.end()) l->Change();
  if (OnChange) OnChange(this);
}

void TCustomImageList::DefineProperties(TFiler* Filer) {
  TComponent::DefineProperties(Filer);
  Filer->DefineBinaryProperty(
      "Bitmap", [this](TStream* s) { ReadData(s); }, [this](TStream* s) { WriteData(s); }, Count() > 0);
}

// The strip: every image side by side as one bitmap; the mask strip likewise, black where
// the image shows and white where the background does.
void TCustomImageList::WriteData(TStream* Stream) {
  int32_t n = Count();
  TBitmap strip, mask;
  strip.SetPixelFormat(pf24bit);
  strip.SetSize(width_ * n, height_);
  mask.SetPixelFormat(pf24bit);
  mask.SetSize(width_ * n, height_);
  for (int32_t i = 0; i < n; ++i) {
    ImageList_DrawEx(handle_, i, strip.Canvas()->Handle(), i * width_, 0, 0, 0, CLR_NONE, CLR_NONE, ILD_NORMAL);
    ImageList_DrawEx(handle_, i, mask.Canvas()->Handle(), i * width_, 0, 0, 0, CLR_NONE, CLR_NONE, ILD_MASK);
  }
  strip.SaveToStream(Stream);
  if (masked_) mask.SaveToStream(Stream);
}

void TCustomImageList::ReadData(TStream* Stream) {
  TBitmap strip;
  strip.LoadFromStream(Stream);
  std::unique_ptr<TBitmap> mask;
  if (masked_ && Stream->Position() < Stream->Size()) {
    mask = std::make_unique<TBitmap>();
    mask->LoadFromStream(Stream);
  }
  BeginUpdate();
  Recreate();
  if (!strip.Empty()) ImageList_Add(handle_, strip.Handle(), mask ? mask->Handle() : nullptr);
  changed_ = true;
  EndUpdate();
}

static const bool registered_custom = DeclareClass<TCustomImageList, TComponent>("TCustomImageList").Done();

static const bool registered = DeclareClass<TImageList, TCustomImageList>("TImageList")
    .Integer("AllocBy", &TImageList::AllocBy, &TImageList::SetAllocBy, Default(4))
    .Integer("BkColor", &TImageList::BkColor, &TImageList::SetBkColor, Default(clNone))
    .Integer("BlendColor", &TImageList::BlendColor, &TImageList::SetBlendColor, Default(clNone))
    .Enum("DrawingStyle", {"dsFocus", "dsSelected", "dsNormal", "dsTransparent"}, &TImageList::DrawingStyle,
          &TImageList::SetDrawingStyle, Default(dsNormal))
    .Integer("Height", &TImageList::Height, &TImageList::SetHeight, Default(16))
    .Enum("ImageType", {"itImage", "itMask"}, &TImageList::ImageType, &TImageList::SetImageType, Default(itImage))
    .Boolean("Masked", &TImageList::Masked, &TImageList::SetMasked, Default(1))
    .Boolean("ShareImages", &TImageList::ShareImages, &TImageList::SetShareImages, Default(0))
    .Integer("Width", &TImageList::Width, &TImageList::SetWidth, Default(16))
    .Event("OnChange", static_cast<TNotifyEvent TImageList::*>(&TCustomImageList::OnChange))
    .Done();

void RelinkImageList(TCustomImageList*& Field, TCustomImageList* Value, TChangeLink& Link,
                     TComponent* Client) {
  if (Field) Field->UnRegisterChanges(&Link);
  Field = Value;
  if (Value) {
    Value->RegisterChanges(&Link);
    Value->FreeNotification(Client);
  }
}
