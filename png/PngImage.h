// PNG pictures: TPNGObject, a graphic held as its list of PNG chunks, whose header chunk owns the
// decoded image (a bottom-up DIB section plus alpha and low-byte planes); the chunk classes; the
// exceptions of the codec.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <windows.h>

#include "Classes.h"
#include "Graphics.h"
#include "SysUtils.h"

// ---- Exceptions --------------------------------------------------------------------------------

#define VSE_PNG_EXCEPTION(Name)   \
  class Name : public Exception { \
   public:                        \
    Name();                       \
  }

VSE_PNG_EXCEPTION(EPngUnexpectedEnd);
VSE_PNG_EXCEPTION(EPNGNoImageData);
VSE_PNG_EXCEPTION(EPNGOutMemory);
VSE_PNG_EXCEPTION(EPNGHeaderNotPresent);
VSE_PNG_EXCEPTION(EPNGInvalidNewSize);
VSE_PNG_EXCEPTION(EPngInvalidCRC);
VSE_PNG_EXCEPTION(EPngInvalidIHDR);
VSE_PNG_EXCEPTION(EPNGMissingMultipleIDAT);
VSE_PNG_EXCEPTION(EPNGInvalidPalette);
VSE_PNG_EXCEPTION(EPNGInvalidFileHeader);
VSE_PNG_EXCEPTION(EPNGIHDRNotFirst);
VSE_PNG_EXCEPTION(EPNGSizeExceeds);
VSE_PNG_EXCEPTION(EPNGUnknownCriticalChunk);
VSE_PNG_EXCEPTION(EPNGUnknownCompression);
VSE_PNG_EXCEPTION(EPNGUnknownInterlace);
#undef VSE_PNG_EXCEPTION

// The fixed text followed by zlib's description of the failure.
class EPNGZLIBError : public Exception {
 public:
  explicit EPNGZLIBError(const AnsiString& zlibText);
};

// A missing palette entry or an assignment between chunks of different classes.
class EPngError : public Exception {
 public:
  using Exception::Exception;
};

extern const char* const EPNGZLIBErrorText;
extern const char* const EPngErrorNoEntry;       // "There is no such palette entry."
extern const char* const EPngErrorIncompatible;  // "The chunks must be compatible to be assigned."

// ---- Chunks ------------------------------------------------------------------------------------

class TPNGObject;
class TChunkIHDR;

// CRC-32 as PNG defines it; a chunk's CRC starts at 0xFFFFFFFF and is complemented at the end.
uint32_t UpdateCrc(uint32_t crc, const uint8_t* buffer, size_t count);

// One-shot zlib inflate and deflate of a text (through a 256-byte buffer). False on failure,
// with zlib's message in errorText. Inflation stops with False past `maxOutput` bytes.
bool DecompressText(const uint8_t* input, size_t count, std::string& output, AnsiString& errorText,
                    size_t maxOutput);
bool CompressText(const uint8_t* input, size_t count, int level, std::string& output, AnsiString& errorText);

// A chunk: its type, its data and the picture it belongs to. The generic class keeps chunks of
// types it does not know and writes them back unchanged.
class TChunk {
 public:
  explicit TChunk(TPNGObject* owner) : TChunk(owner, "") {}
  // `type` names the chunk type of a class (4 characters); other texts leave it unset.
  TChunk(TPNGObject* owner, const char* type);
  TChunk(const TChunk&) = delete;
  TChunk& operator=(const TChunk&) = delete;
  virtual ~TChunk() = default;

  // The chunk type of the class: its name without "TChunk" (empty for the generic class).
  static const char* TypeName() { return ""; }
  virtual const char* ClassTypeName() const { return TypeName(); }
  // A new chunk of this one's class.
  virtual TChunk* NewOfSameClass(TPNGObject* owner) const { return new TChunk(owner); }

  virtual void CopyFrom(TChunk* source);
  // Reads `size` data bytes and the CRC that follows them; `size` has been checked against the
  // stream by the caller.
  virtual bool ReadFromStream(TStream* stream, const char* chunkType, uint32_t size);
  virtual bool WriteToStream(TStream* stream);

  TPNGObject* Owner() const { return FOwner; }
  uint8_t* Data() { return FData.data(); }
  const uint8_t* Data() const { return FData.data(); }
  uint32_t DataSize() const { return FDataSize; }
  void SetDataSize(uint32_t size);
  std::string ChunkType() const { return std::string(FType, 4); }
  void SetChunkType(const char* type);
  TChunkIHDR* HeaderChunk() const;

 protected:
  // Writes length, type, data and CRC.
  bool WriteChunk(TStream* stream);

  TPNGObject* FOwner;
  std::vector<uint8_t> FData;  // always one byte longer than the data
  uint32_t FDataSize = 0;
  char FType[4] = {0, 0, 0, 0};
};

#define VSE_PNG_CHUNK_CLASS(Name, Type)                                          \
  static const char* TypeName() { return Type; }                                 \
  const char* ClassTypeName() const override { return Type; }                    \
  TChunk* NewOfSameClass(TPNGObject* owner) const override { return new Name(owner); }

// A class of the chunk registry: its type name and its constructor.
struct TChunkClass {
  const char* (*typeName)();
  TChunk* (*create)(TPNGObject* owner);
};
template <class T>
TChunkClass ChunkClassOf() {
  return TChunkClass{&T::TypeName, [](TPNGObject* owner) -> TChunk* { return new T(owner); }};
}
void AddChunkClass(const TChunkClass& chunkClass);
// A chunk of the first registered class for `chunkType` (the generic TChunk when none), typed.
TChunk* NewChunkForType(TPNGObject* owner, const char* chunkType);

class TChunkIEND : public TChunk {
 public:
  explicit TChunkIEND(TPNGObject* owner) : TChunk(owner, "IEND") {}
  VSE_PNG_CHUNK_CLASS(TChunkIEND, "IEND")
};

// The image store the header chunk owns.
struct TPNGBitmapInfo {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[256];
};

class TChunkIHDR : public TChunk {
 public:
  explicit TChunkIHDR(TPNGObject* owner) : TChunk(owner, "IHDR") {}
  ~TChunkIHDR() override;
  VSE_PNG_CHUNK_CLASS(TChunkIHDR, "IHDR")

  void CopyFrom(TChunk* source) override;
  bool ReadFromStream(TStream* stream, const char* chunkType, uint32_t size) override;
  bool WriteToStream(TStream* stream) override;

  // Frees any previous store and makes an empty (zeroed) one for the header's fields.
  void PrepareImageStore();

  int32_t Width = 0;
  int32_t Height = 0;
  uint8_t BitDepth = 0;
  uint8_t ColorType = 0;
  uint8_t CompressionMethod = 0;
  uint8_t FilterMethod = 0;
  uint8_t InterlaceMethod = 0;

  // The store.
  TPNGBitmapInfo BitmapInfo{};
  bool HasPalette = false;
  uint32_t PaletteEntryCount = 0;
  HBITMAP ImageHandle = nullptr;
  HDC ImageDC = nullptr;
  uint8_t* ImageData = nullptr;
  int32_t BytesPerRow = 0;
  std::vector<uint8_t> ImageAlpha;      // width x height, top-down (colour types 4 and 6)
  std::vector<uint8_t> ExtraImageData;  // low bytes of 16-bit samples, laid out as the store
  HPALETTE ImagePalette = nullptr;

 private:
  friend class TPNGObject;
  void FreeImageData();
  HGDIOBJ FOldBitmap = nullptr;
  HPALETTE FOldPalette = nullptr;
};

class TChunkPLTE : public TChunk {
 public:
  explicit TChunkPLTE(TPNGObject* owner) : TChunk(owner, "PLTE") {}
  VSE_PNG_CHUNK_CLASS(TChunkPLTE, "PLTE")
  void CopyFrom(TChunk* source) override;
  bool ReadFromStream(TStream* stream, const char* chunkType, uint32_t size) override;
  bool WriteToStream(TStream* stream) override;
  // Colour-table entry `index` of the store; raises EPngError past the palette's count.
  RGBQUAD Entry(uint32_t index) const;
  uint32_t Count = 0;
};

class TChunktRNS : public TChunk {
 public:
  explicit TChunktRNS(TPNGObject* owner) : TChunk(owner, "tRNS") {}
  VSE_PNG_CHUNK_CLASS(TChunktRNS, "tRNS")
  void CopyFrom(TChunk* source) override;
  bool ReadFromStream(TStream* stream, const char* chunkType, uint32_t size) override;
  bool WriteToStream(TStream* stream) override;
  // The colour drawn transparent, from the sample in the form the store holds it.
  TColor TransparentColor() const;
  // Makes the chunk name `color` transparent; false when a palette image has no entry of that
  // colour (the chunk should then not be written).
  bool SetTransparentColor(TColor color);
  // The key sample of a grey or RGB image in its stored form, for comparing with the store.
  uint16_t KeySample(int channel) const;

  bool BitTransparency = false;
  uint8_t PaletteValues[256] = {};
};

class TChunkgAMA : public TChunk {
 public:
  explicit TChunkgAMA(TPNGObject* owner);
  VSE_PNG_CHUNK_CLASS(TChunkgAMA, "gAMA")
  void CopyFrom(TChunk* source) override;
  bool ReadFromStream(TStream* stream, const char* chunkType, uint32_t size) override;
  uint32_t Gamma();
  void SetGamma(uint32_t value);
};

class TChunkpHYs : public TChunk {
 public:
  explicit TChunkpHYs(TPNGObject* owner) : TChunk(owner, "pHYs") {}
  VSE_PNG_CHUNK_CLASS(TChunkpHYs, "pHYs")
  void CopyFrom(TChunk* source) override;
  bool ReadFromStream(TStream* stream, const char* chunkType, uint32_t size) override;
  bool WriteToStream(TStream* stream) override;
  uint32_t PPUnitX = 0;
  uint32_t PPUnitY = 0;
  uint8_t UnitType = 0;
};

class TChunktIME : public TChunk {
 public:
  explicit TChunktIME(TPNGObject* owner) : TChunk(owner, "tIME") {}
  VSE_PNG_CHUNK_CLASS(TChunktIME, "tIME")
  void CopyFrom(TChunk* source) override;
  bool ReadFromStream(TStream* stream, const char* chunkType, uint32_t size) override;
  bool WriteToStream(TStream* stream) override;
  uint16_t Year = 0;
  uint8_t Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0;
};

class TChunktEXt : public TChunk {
 public:
  explicit TChunktEXt(TPNGObject* owner) : TChunk(owner, "tEXt") {}
  VSE_PNG_CHUNK_CLASS(TChunktEXt, "tEXt")
  void CopyFrom(TChunk* source) override;
  bool ReadFromStream(TStream* stream, const char* chunkType, uint32_t size) override;
  bool WriteToStream(TStream* stream) override;
  std::string Keyword;
  std::string Text;

 protected:
  TChunktEXt(TPNGObject* owner, const char* type) : TChunk(owner, type) {}
};

class TChunkzTXt : public TChunktEXt {
 public:
  explicit TChunkzTXt(TPNGObject* owner) : TChunktEXt(owner, "zTXt") {}
  VSE_PNG_CHUNK_CLASS(TChunkzTXt, "zTXt")
  bool ReadFromStream(TStream* stream, const char* chunkType, uint32_t size) override;
  bool WriteToStream(TStream* stream) override;
  // A text inflating to more than this is treated as corrupt (left empty).
  static constexpr size_t kMaxText = 4u << 20;
};

class TChunkIDAT : public TChunk {
 public:
  explicit TChunkIDAT(TPNGObject* owner) : TChunk(owner, "IDAT") {}
  VSE_PNG_CHUNK_CLASS(TChunkIDAT, "IDAT")
  // Decodes the whole image from this chunk and the image-data chunks that follow it.
  bool ReadFromStream(TStream* stream, const char* chunkType, uint32_t size) override;
  // Encodes the whole image as a run of image-data chunks.
  bool WriteToStream(TStream* stream) override;
};

#undef VSE_PNG_CHUNK_CLASS

// ---- Lists -------------------------------------------------------------------------------------

class TPNGPointerList {
 public:
  explicit TPNGPointerList(TPNGObject* owner) : FOwner(owner) {}
  virtual ~TPNGPointerList() = default;
  TPNGObject* Owner() const { return FOwner; }
  int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
  void SetCount(int32_t count) { FItems.resize(count > 0 ? static_cast<size_t>(count) : 0, nullptr); }
  void Append(void* item) { FItems.push_back(item); }
  void* Item(int32_t index) const {
    return index >= 0 && index < Count() ? FItems[static_cast<size_t>(index)] : nullptr;
  }
  void SetItem(int32_t index, void* item) {
    if (index >= 0 && index < Count()) FItems[static_cast<size_t>(index)] = item;
  }
  // Removes the last occurrence of `item` and returns it; nullptr when absent.
  virtual void* Extract(void* item);

 private:
  TPNGObject* FOwner;
  std::vector<void*> FItems;
};

// The chunks of a picture, in file order (owned by the picture).
class TPNGList : public TPNGPointerList {
 public:
  using TPNGPointerList::TPNGPointerList;
  TChunk* Chunk(int32_t index) const { return static_cast<TChunk*>(Item(index)); }
  template <class T>
  T* FirstOfClass() const {
    for (int32_t i = 0; i < Count(); ++i)
      if (auto* c = dynamic_cast<T*>(Chunk(i))) return c;
    return nullptr;
  }
};

// ---- The picture -------------------------------------------------------------------------------

enum TFilter : uint8_t { pfNone, pfSub, pfUp, pfAverage, pfPaeth };
using TFilters = TSet<TFilter>;
enum TPNGTransparencyMode : uint8_t { tkNone, tkBit, tkPartial };

class TPNGObject : public TGraphic {
 public:
  TPNGObject();
  ~TPNGObject() override;

  void Assign(TPersistent* source) override;
  bool Empty() const override { return FChunks->Count() == 0; }
  int32_t Width() const override;
  int32_t Height() const override;
  void SetWidth(int32_t value) override { ResizeImage(value, Height()); }
  void SetHeight(int32_t value) override { ResizeImage(Width(), value); }
  bool Transparent() const override { return TransparencyKind() != tkNone; }
  HPALETTE Palette() override;
  void SetPalette(HPALETTE value) override { ReplacePalette(value, true); }
  void LoadFromStream(TStream* stream) override;
  void SaveToStream(TStream* stream) override;
  void LoadFromClipboardFormat(uint16_t format, HANDLE data, HPALETTE palette) override;
  void SaveToClipboardFormat(uint16_t& format, HANDLE& data, HPALETTE& palette) override;
  // 0 outside the image.
  virtual TColor GetPixels(int32_t x, int32_t y);
  // Ignored outside the image.
  virtual void SetPixels(int32_t x, int32_t y, TColor value);

  void ClearImage();
  TChunkIHDR* HeaderChunk() const;
  bool HasHeader() const;
  TPNGTransparencyMode TransparencyKind() const;
  TColor TransparentColorValue() const;
  // Takes `palette` for a palette-based store (copying its entries into the colour table when
  // asked; entries past its count become black); the old palette is deleted.
  void ReplacePalette(HPALETTE palette, bool copyEntries);
  void AssignFromBitmapHandle(HBITMAP handle, bool transparent, TColor color);
  void ResizeImage(int32_t width, int32_t height);
  // Image row y (0 = top) of the pixel store, the alpha plane and the low-byte plane.
  uint8_t* PixelRow(int32_t y) const;
  uint8_t* AlphaRow(int32_t y) const;
  uint8_t* LowByteRow(int32_t y) const;
  // Raw row length in bytes and bytes per complete pixel for `width` pixels of the header.
  void RowInfo(int32_t width, uint32_t& rowLength, uint32_t& pixelStep) const;

  TCanvas* Canvas() const { return FCanvas.get(); }
  TPNGList* Chunks() const { return FChunks.get(); }
  TFilters RowFilters() const { return FRowFilters; }
  void SetRowFilters(TFilters value) { FRowFilters = value; }
  uint8_t DeflateLevel() const { return FDeflateLevel; }
  void SetDeflateLevel(uint8_t value) { FDeflateLevel = value; }
  int32_t MaxImageChunkSize() const { return FMaxImageChunkSize; }
  void SetMaxImageChunkSize(int32_t value) { FMaxImageChunkSize = value < 65535 ? 65535 : value; }
  uint8_t InterlaceMode() const { return FInterlaceMode; }
  void SetInterlaceMode(uint8_t value) { FInterlaceMode = value; }

  uint8_t GammaTable[256];
  uint8_t InverseGammaTable[256];
  // Both tables are the identity (the common case, taken by faster row routines).
  bool GammaIsIdentity() const;

 protected:
  void Draw(TCanvas* canvas, const TRect& r) override;
  void AssignTo(TPersistent* dest) override;

 private:
  void CopyFromPng(TPNGObject* source);
  void DrawWithColorKey(HDC dc, TColor key, const TRect& r);
  void DrawAlphaBlended(HDC dc, const TRect& r);
  TPixelFormat BitmapPixelFormatFor() const;
  void TrimChunks();

  std::unique_ptr<TCanvas> FCanvas;
  TFilters FRowFilters{pfSub};
  uint8_t FDeflateLevel = 7;
  int32_t FMaxImageChunkSize = 65535;
  uint8_t FInterlaceMode = 0;
  std::unique_ptr<TPNGList> FChunks;
};
