// ImgList: image lists, equal-sized pictures held by a platform image list, drawn on canvases;
// change links tell the controls that show them.
#pragma once
#include <vector>

#include "Classes.h"
#include "Graphics.h"
#include "commctrl.h"

enum TDrawingStyle : uint8_t { dsFocus, dsSelected, dsNormal, dsTransparent };
enum TImageType : uint8_t { itImage, itMask };

class TCustomImageList;

// A client's link to an image list: its OnChange runs when the list changes.
class TChangeLink : public TObject {
 public:
  TChangeLink() = default;
  // Unregisters itself from the list it is linked to.
  ~TChangeLink() override;
  TCustomImageList* Sender() const { return sender_; }
  void SetSender(TCustomImageList* Value) { sender_ = Value; }
  virtual void Change();
  TNotifyEvent OnChange;

 private:
  TCustomImageList* sender_ = nullptr;
};

// Points a client's image-list field at Value: the link leaves the old list and joins the new one,
// and Client hears when the new list is freed.
void RelinkImageList(TCustomImageList*& Field, TCustomImageList* Value, TChangeLink& Link,
                     TComponent* Client);

class TCustomImageList : public TComponent {
 public:
  explicit TCustomImageList(TComponent* AOwner);
  // The framework's CreateSize: an owner-less list of the given image size.
  TCustomImageList(int32_t AWidth, int32_t AHeight);
  ~TCustomImageList() override;
  void Assign(TPersistent* Source) override;

  // Each adds the strip of images the bitmap holds (as many as fit across); answers the index
  // of the first, -1 on failure. Mask: white lets the background through.
  int32_t Add(TBitmap* Image, TBitmap* Mask);
  // The pixels of MaskColor become transparent (clDefault: the bottom-left pixel's colour).
  int32_t AddMasked(TBitmap* Image, TColor MaskColor);
  void AddImages(TCustomImageList* Value);
  void Insert(int32_t Index, TBitmap* Image, TBitmap* Mask);
  void InsertMasked(int32_t Index, TBitmap* Image, TColor MaskColor);
  void Replace(int32_t Index, TBitmap* Image, TBitmap* Mask);
  void ReplaceMasked(int32_t Index, TBitmap* NewImage, TColor MaskColor);
  void Delete(int32_t Index);
  void Clear();
  void Move(int32_t CurIndex, int32_t NewIndex);

  // Draws image Index at (X, Y) in the list's drawing style and image type; a disabled image
  // is drawn embossed (highlight one pixel down and right, then shadow) from its mask.
  void Draw(TCanvas* Canvas, int32_t X, int32_t Y, int32_t Index, bool Enabled = true);
  void Draw(TCanvas* Canvas, int32_t X, int32_t Y, int32_t Index, TDrawingStyle Style, TImageType Type,
            bool Enabled = true);
  // Image is sized to the list's images and the image drawn on it (transparent parts keep
  // what the bitmap held). False for a bad index.
  bool GetBitmap(int32_t Index, TBitmap* Image);
  bool GetMask(int32_t Index, TBitmap* Mask);

  int32_t Count() const;
  HIMAGELIST Handle();
  // Adopts a platform list (destroyed with this one unless ShareImages).
  void SetHandle(HIMAGELIST Value);
  bool HandleAllocated() const { return handle_ != nullptr; }

  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  // A new size empties the list.
  void SetWidth(int32_t Value);
  void SetHeight(int32_t Value);
  bool Masked() const { return masked_; }
  void SetMasked(bool Value);
  TColor BkColor() const { return bk_color_; }
  void SetBkColor(TColor Value);
  TColor BlendColor() const { return blend_color_; }
  void SetBlendColor(TColor Value) { blend_color_ = Value; }
  TDrawingStyle DrawingStyle() const { return drawing_style_; }
  void SetDrawingStyle(TDrawingStyle Value);
  TImageType ImageType() const { return image_type_; }
  void SetImageType(TImageType Value);
  bool ShareImages() const { return share_images_; }
  void SetShareImages(bool Value) { share_images_ = Value; }
  int32_t AllocBy() const { return alloc_by_; }
  void SetAllocBy(int32_t Value) { alloc_by_ = Value; }

  void RegisterChanges(TChangeLink* Value);
  void UnRegisterChanges(TChangeLink* Value);
  // Changes inside an update are told once, at its end.
  void BeginUpdate();
  void EndUpdate();

  TNotifyEvent OnChange;

 protected:
  void DefineProperties(TFiler* Filer) override;
  virtual void Change();
  // The images as the form resource stores them: the strip as a bitmap file, then (masked
  // lists) the mask strip as one.
  void ReadData(TStream* Stream);
  void WriteData(TStream* Stream);

 private:
  void Recreate();
  void FreeHandle();
  int32_t Checked(int32_t result);
  UINT DrawFlags(TDrawingStyle Style, TImageType Type) const;
  void DrawDisabled(TCanvas* Canvas, int32_t X, int32_t Y, int32_t Index);

  HIMAGELIST handle_ = nullptr;
  int32_t width_ = 16, height_ = 16;
  bool masked_ = true;
  TColor bk_color_ = clNone;
  TColor blend_color_ = clNone;
  TDrawingStyle drawing_style_ = dsNormal;
  TImageType image_type_ = itImage;
  bool share_images_ = false;
  int32_t alloc_by_ = 4;
  int32_t update_count_ = 0;
  bool changed_ = false;
  std::vector<TChangeLink*> clients_;
};

class TImageList : public TCustomImageList {
 public:
  explicit TImageList(TComponent* AOwner) : TCustomImageList(AOwner) {}
  TImageList(int32_t AWidth, int32_t AHeight) : TCustomImageList(AWidth, AHeight) {}
};

// "イメージ リストを作成できません", "無効なイメージ サイズです", "リストのインデックスが範囲を超えています (%d)"
extern const char* const SInvalidImageList;
extern const char* const SInvalidImageSize;
extern const char* const SImageIndexError;
