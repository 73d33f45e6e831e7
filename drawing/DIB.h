// TDIB: a picture whose pixels lie in a DIB section (or, for compressed and memory-only images, in
// plain memory), with direct pixel access, a 256-entry colour table and copy-on-write sharing of
// the pixels between TDIB objects. Reads and writes BMP streams, RLE4/RLE8 included.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "Classes.h"
#include "DXConsts.h"
#include "Graphics.h"
#include "SysUtils.h"

using TRGBQuads = std::array<RGBQUAD, 256>;

// Masks, bit counts and shifts of the three channels. The shift is the position of the mask's
// lowest bit; Shift2 = 8 - bit count turns a channel value into an 8-bit one.
struct TDIBPixelFormat {
  uint32_t RBitMask, GBitMask, BBitMask;
  uint32_t RBitCount, GBitCount, BBitCount;
  uint32_t RShift, GShift, BShift;
  uint32_t RBitCount2, GBitCount2, BBitCount2;
};

TDIBPixelFormat MakeDIBPixelFormat(int32_t RBitCount, int32_t GBitCount, int32_t BBitCount);
// A zero mask gives a channel of 0 bits.
TDIBPixelFormat MakeDIBPixelFormatMask(uint32_t RBitMask, uint32_t GBitMask, uint32_t BBitMask);
bool SameMasks(const TDIBPixelFormat& A, const TDIBPixelFormat& B);

// Largest pixel data a DIB may hold (bytes), 256 MiB unless changed: bigger sizes are refused.
uint64_t MaxDIBSize();
void SetMaxDIBSize(uint64_t Bytes);

class TDIBSharedImage : public TSharedImage {
 public:
  TDIBSharedImage();
  ~TDIBSharedImage() override;

  int32_t BitCount = 0;
  std::vector<uint8_t> BitmapInfoData;  // BITMAPINFOHEADER, masks, colour table
  int32_t BitmapInfoSize = 0;
  bool ColorTableChanged = false;
  TRGBQuads ColorTable{};
  HDC DC = nullptr;
  HBITMAP Handle = nullptr;
  HGDIOBJ OldHandle = nullptr;
  int32_t Height = 0;
  bool MemoryOnly = false;
  HPALETTE Palette = nullptr;
  int32_t ColorTableCount = 0;
  TDIBPixelFormat PixelFormat{};
  uint8_t* PBits = nullptr;
  bool Compressed = false;
  int32_t Size = 0;
  int32_t Width = 0;
  int32_t WidthBytes = 0;
  int32_t NextLine = 0;
  uint8_t* TopPBits = nullptr;

  BITMAPINFO* BitmapInfo() { return reinterpret_cast<BITMAPINFO*>(BitmapInfoData.data()); }
  // Frees everything and makes the image empty.
  void Clear();
  void NewImage(int32_t AWidth, int32_t AHeight, bool ACompressed, bool AMemoryOnly, const TRGBQuads& AColorTable,
                const TDIBPixelFormat& APixelFormat, int32_t ABitCount);
  // A copy of Source's pixels (decoded when Source is compressed), memory-only on request.
  void Duplicate(TDIBSharedImage& Source, bool AMemoryOnly);
  // Reads a DIB (info header, masks, colours, pixels) from Stream; raises for bad data.
  void ReadData(TStream* Stream, bool AMemoryOnly);
  void SetColorTable(const TRGBQuads& Table);
  HPALETTE GetPalette();

 protected:
  void FreeHandle() override;

 private:
  std::vector<uint8_t> Memory;  // memory-only pixels, or the compressed data
};

class TDIBCanvas;

class TDIB : public TGraphic {
 public:
  TDIB();
  ~TDIB() override;

  void Assign(TPersistent* Source) override;

  bool Empty() const override;
  int32_t Width() const override { return FWidth; }
  int32_t Height() const override { return FHeight; }
  void SetWidth(int32_t Value) override;
  void SetHeight(int32_t Value) override;
  int32_t BitCount() const { return FBitCount; }
  void SetBitCount(int32_t Value);
  void SetSize(int32_t AWidth, int32_t AHeight, int32_t ABitCount);
  const TDIBPixelFormat& PixelFormat() const { return FPixelFormat; }
  void SetPixelFormat(const TDIBPixelFormat& Value) { FPixelFormat = Value; }
  int32_t Size() const { return FSize; }
  int32_t WidthBytes() const { return FWidthBytes; }
  int32_t NextLine() const { return FNextLine; }
  bool MemoryOnly() const;
  TDIBSharedImage* Image() const { return FImage; }

  // The canvas on the image's DC; drawing on it first gives this DIB pixels of its own.
  TCanvas* Canvas();
  // The pixel memory (unique to this DIB) and the top row's address; rows lie bottom-up.
  uint8_t* PBits();
  uint8_t* TopPBits();
  uint8_t* ScanLine(int32_t Y);
  // At 24 bits the value's bits 16-23, 8-15 and 0-7 are the pixel's bytes in memory order (so a
  // TColor, red in the low byte, lands as blue, green, red); other depths store the value as the
  // pixel's little-endian word.
  uint32_t Pixels(int32_t X, int32_t Y);
  void SetPixels(int32_t X, int32_t Y, uint32_t Value);
  uint64_t ContentStamp() const override;

  // Edited by callers; UpdatePalette applies it to the image.
  TRGBQuads ColorTable{};
  void UpdatePalette();
  HPALETTE Palette() override;
  void SetPalette(HPALETTE Value) override;

  void LoadFromStream(TStream* Stream) override;
  void SaveToStream(TStream* Stream) override;
  void ReadData(TStream* Stream);
  void WriteData(TStream* Stream);
  // The CF_DIB block: the info header and pixels as WriteData gives them.
  void SaveToClipboardFormat(uint16_t& Format, std::vector<uint8_t>& Data, HPALETTE& APalette);
  void LoadFromClipboardFormat(uint16_t Format, const std::vector<uint8_t>& Data, HPALETTE APalette);

  // Gives this DIB an image of its own (decoding compressed pixels); memory-only when asked.
  void MakeUnique(bool AllowMemoryOnly = true);

 protected:
  void Draw(TCanvas* ACanvas, const TRect& R) override;

 private:
  friend class TDIBCanvas;
  void SetImage(TDIBSharedImage* Value);
  void CopyFromImage();
  void MakeEmpty();

  std::unique_ptr<TDIBCanvas> FCanvas;
  TDIBSharedImage* FImage = nullptr;
  int32_t FBitCount = 0;
  int32_t FHeight = 0;
  int32_t FNextLine = 0;
  TDIBPixelFormat FPixelFormat{};
  uint8_t* FPBits = nullptr;
  int32_t FSize = 0;
  uint8_t* FTopPBits = nullptr;
  int32_t FWidth = 0;
  int32_t FWidthBytes = 0;
};

// The shared cache of GDI palettes made from colour tables.
class TPaletteManager : public TObject {
 public:
  ~TPaletteManager() override;
  HPALETTE CreatePalette(const RGBQUAD* Entries, int32_t Count);
  void DeletePalette(HPALETTE& APalette);
  int32_t Count() const { return static_cast<int32_t>(FItems.size()); }

 private:
  struct TPaletteItem {
    uint32_t Key = 0;
    int32_t RefCount = 0;
    HPALETTE Palette = nullptr;
    std::vector<RGBQUAD> Entries;
  };
  std::vector<std::unique_ptr<TPaletteItem>> FItems;
};

TPaletteManager& PaletteManager();
