// TJPEGImage: a JPEG picture decoded by libjpeg into a 24-bit bitmap.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "Graphics.h"

class TJPEGImage : public TGraphic {
 public:
  TJPEGImage();
  ~TJPEGImage() override;
  void Assign(TPersistent* source) override;

  bool Empty() const override { return !FBitmap || FBitmap->Empty(); }
  int32_t Width() const override { return FBitmap ? FBitmap->Width() : 0; }
  int32_t Height() const override { return FBitmap ? FBitmap->Height() : 0; }
  // A JPEG image keeps the size it was decoded at: raises EInvalidGraphicOperation.
  void SetWidth(int32_t value) override;
  void SetHeight(int32_t value) override;
  // True when the file holds a single grey channel (decoded into equal red, green and blue).
  bool Grayscale() const { return FGrayscale; }

  // Reads the rest of the stream as one JPEG file; a file libjpeg cannot decode raises
  // EInvalidGraphic "JPEG error #n" and leaves the image as it was.
  void LoadFromStream(TStream* stream) override;
  // Writes the file as it was read.
  void SaveToStream(TStream* stream) override;

 protected:
  void Draw(TCanvas* canvas, const TRect& r) override;
  void AssignTo(TPersistent* dest) override;

 private:
  std::unique_ptr<TBitmap> FBitmap;
  std::vector<uint8_t> FData;
  bool FGrayscale = false;
};
