// The chunk layer: framing and CRC, the chunk-class registry, the lists, and every chunk class
// but the image data (PngImage_ImageData.cpp). The header chunk prepares and owns the image store.
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "PngImage_internal.h"

using namespace pngimage;

// ---- CRC ---------------------------------------------------------------------------------------

// The running register as PNG keeps it (started at all ones, inverted at the end); zlib's crc32
// takes and gives the finished form, and is much faster than a byte-at-a-time table.
uint32_t UpdateCrc(uint32_t crc, const uint8_t* buffer, size_t count) {
  while (count > 0) {
    const uInt n = static_cast<uInt>(std::min<size_t>(count, 1u << 30));
    crc = ~static_cast<uint32_t>(crc32(~crc & 0xFFFFFFFFu, buffer, n));
    buffer += n;
    count -= n;
  }
  return crc;
}

// ---- Helpers -----------------------------------------------------------------------------------

namespace pngimage {

void ReadExact(TStream* stream, void* buffer, uint32_t count) {
  auto* p = static_cast<uint8_t*>(buffer);
  while (count > 0) {
    const int32_t got = stream->Read(p, static_cast<int32_t>(std::min<uint32_t>(count, 0x40000000u)));
    if (got <= 0) throw EPngUnexpectedEnd();
    p += got;
    count -= static_cast<uint32_t>(got);
  }
}

void CheckChunkLength(TStream* stream, uint32_t length) {
  if (length > 0x7FFFFFFFu) throw EPngUnexpectedEnd();
  const int64_t size = stream->Size();
  const int64_t position = stream->Position();
  if (size >= 0 && position >= 0 && int64_t{length} + 4 > size - position) throw EPngUnexpectedEnd();
}

void WriteChunkTo(TStream* stream, const char* type, const uint8_t* data, uint32_t size) {
  uint8_t head[8];
  PutBE32(head, size);
  std::memcpy(head + 4, type, 4);
  uint32_t crc = UpdateCrc(0xFFFFFFFFu, head + 4, 4);
  if (size) crc = UpdateCrc(crc, data, size);
  uint8_t tail[4];
  PutBE32(tail, ~crc);
  stream->WriteBuffer(head, 8);
  if (size) stream->WriteBuffer(data, static_cast<int32_t>(size));
  stream->WriteBuffer(tail, 4);
}

HPALETTE NewPalette(const PALETTEENTRY* entries, uint32_t count) {
  std::vector<uint8_t> block(sizeof(LOGPALETTE) + count * sizeof(PALETTEENTRY));
  auto* lp = reinterpret_cast<LOGPALETTE*>(block.data());
  lp->palVersion = 0x300;
  lp->palNumEntries = static_cast<WORD>(count);
  std::memcpy(lp->palPalEntry, entries, count * sizeof(PALETTEENTRY));
  return CreatePalette(lp);
}

HPALETTE NewGreyRamp(const TPNGObject* owner, uint32_t entries) {
  PALETTEENTRY ramp[256];
  for (uint32_t i = 0; i < entries; ++i) {
    const uint8_t g = owner->GammaTable[MulDiv(static_cast<int>(i), 255, static_cast<int>(entries) - 1)];
    ramp[i] = PALETTEENTRY{g, g, g, 0};
  }
  return NewPalette(ramp, entries);
}

bool ValidColorDepth(uint8_t colorType, uint8_t bitDepth) {
  switch (colorType) {
    case 0: return bitDepth == 1 || bitDepth == 2 || bitDepth == 4 || bitDepth == 8 || bitDepth == 16;
    case 3: return bitDepth == 1 || bitDepth == 2 || bitDepth == 4 || bitDepth == 8;
    case 2:
    case 4:
    case 6: return bitDepth == 8 || bitDepth == 16;
    default: return false;
  }
}

}  // namespace pngimage

// ---- Compressed text ---------------------------------------------------------------------------

namespace {

AnsiString ZlibText(const z_stream& zs, int code) {
  if (zs.msg) return AnsiString(zs.msg);
  return AnsiString(zError(code));
}

}  // namespace

bool DecompressText(const uint8_t* input, size_t count, std::string& output, AnsiString& errorText,
                    size_t maxOutput) {
  output.clear();
  z_stream zs{};
  int code = inflateInit(&zs);
  if (code != Z_OK) {
    errorText = ZlibText(zs, code);
    return false;
  }
  zs.next_in = const_cast<Bytef*>(input);
  zs.avail_in = static_cast<uInt>(count);
  uint8_t buffer[256];
  for (;;) {
    zs.next_out = buffer;
    zs.avail_out = sizeof buffer;
    code = inflate(&zs, Z_NO_FLUSH);
    const size_t made = sizeof buffer - zs.avail_out;
    if (code < 0 || code == Z_NEED_DICT || (code == Z_OK && made == 0 && zs.avail_in == 0)) {
      errorText = ZlibText(zs, code < 0 ? code : Z_DATA_ERROR);
      inflateEnd(&zs);
      return false;
    }
    if (output.size() + made > maxOutput) {
      errorText = "text too long";
      inflateEnd(&zs);
      return false;
    }
    output.append(reinterpret_cast<char*>(buffer), made);
    if (code == Z_STREAM_END) break;
  }
  inflateEnd(&zs);
  return true;
}

bool CompressText(const uint8_t* input, size_t count, int level, std::string& output, AnsiString& errorText) {
  output.clear();
  z_stream zs{};
  int code = deflateInit(&zs, level);
  if (code != Z_OK) {
    errorText = ZlibText(zs, code);
    return false;
  }
  zs.next_in = const_cast<Bytef*>(input);
  zs.avail_in = static_cast<uInt>(count);
  uint8_t buffer[256];
  do {
    zs.next_out = buffer;
    zs.avail_out = sizeof buffer;
    code = deflate(&zs, Z_FINISH);
    if (code < 0 && code != Z_BUF_ERROR) {
      errorText = ZlibText(zs, code);
      deflateEnd(&zs);
      return false;
    }
    output.append(reinterpret_cast<char*>(buffer), sizeof buffer - zs.avail_out);
  } while (code != Z_STREAM_END);
  deflateEnd(&zs);
  return true;
}

// ---- Registry ----------------------------------------------------------------------------------

namespace {

std::vector<TChunkClass>& Registry() {
  static std::vector<TChunkClass> classes = {
      ChunkClassOf<TChunkIEND>(), ChunkClassOf<TChunkIHDR>(), ChunkClassOf<TChunkIDAT>(),
      ChunkClassOf<TChunkPLTE>(), ChunkClassOf<TChunkgAMA>(), ChunkClassOf<TChunktRNS>(),
      ChunkClassOf<TChunkpHYs>(), ChunkClassOf<TChunktIME>(), ChunkClassOf<TChunktEXt>(),
      ChunkClassOf<TChunkzTXt>(),
  };
  return classes;
}

}  // namespace

void AddChunkClass(const TChunkClass& chunkClass) { Registry().push_back(chunkClass); }

TChunk* NewChunkForType(TPNGObject* owner, const char* chunkType) {
  TChunk* chunk = nullptr;
  for (const TChunkClass& c : Registry())
    if (std::memcmp(c.typeName(), chunkType, 4) == 0 && std::strlen(c.typeName()) == 4) {
      chunk = c.create(owner);
      break;
    }
  if (!chunk) chunk = new TChunk(owner);
  chunk->SetChunkType(chunkType);
  return chunk;
}

void* TPNGPointerList::Extract(void* item) {
  for (size_t i = FItems.size(); i-- > 0;)
    if (FItems[i] == item) {
      FItems.erase(FItems.begin() + static_cast<ptrdiff_t>(i));
      return item;
    }
  return nullptr;
}

// ---- TChunk ------------------------------------------------------------------------------------

TChunk::TChunk(TPNGObject* owner, const char* type) : FOwner(owner), FData(1, 0) {
  if (std::strlen(type) == 4) SetChunkType(type);
}

void TChunk::SetChunkType(const char* type) { std::memcpy(FType, type, 4); }

void TChunk::SetDataSize(uint32_t size) {
  try {
    FData.assign(size_t{size} + 1, 0);
  } catch (const std::bad_alloc&) {
    throw EPNGOutMemory();
  }
  FDataSize = size;
}

TChunkIHDR* TChunk::HeaderChunk() const { return FOwner->HeaderChunk(); }

void TChunk::CopyFrom(TChunk* source) {
  std::memcpy(FType, source->FType, 4);
  FData = source->FData;
  FDataSize = source->FDataSize;
}

bool TChunk::ReadFromStream(TStream* stream, const char* chunkType, uint32_t size) {
  SetDataSize(size);
  if (size) ReadExact(stream, FData.data(), size);
  uint8_t crcBytes[4];
  ReadExact(stream, crcBytes, 4);
  uint32_t crc = UpdateCrc(0xFFFFFFFFu, reinterpret_cast<const uint8_t*>(chunkType), 4);
  crc = UpdateCrc(crc, FData.data(), size);
  if (~crc != GetBE32(crcBytes)) throw EPngInvalidCRC();
  return true;
}

bool TChunk::WriteChunk(TStream* stream) {
  WriteChunkTo(stream, FType, FData.data(), FDataSize);
  return true;
}

bool TChunk::WriteToStream(TStream* stream) { return WriteChunk(stream); }

// ---- TChunkIHDR --------------------------------------------------------------------------------

TChunkIHDR::~TChunkIHDR() { FreeImageData(); }

void TChunkIHDR::FreeImageData() {
  if (ImageDC) {
    if (FOwner && FOwner->Canvas()->HandleAllocated() && FOwner->Canvas()->Handle() == ImageDC)
      FOwner->Canvas()->SetHandle(nullptr);
    if (FOldBitmap) SelectObject(ImageDC, FOldBitmap);
    if (FOldPalette) SelectPalette(ImageDC, FOldPalette, FALSE);
    DeleteDC(ImageDC);
  }
  if (ImageHandle) DeleteObject(ImageHandle);
  if (ImagePalette) DeleteObject(ImagePalette);
  ImageDC = nullptr;
  ImageHandle = nullptr;
  ImagePalette = nullptr;
  FOldBitmap = nullptr;
  FOldPalette = nullptr;
  ImageData = nullptr;
  ImageAlpha.clear();
  ImageAlpha.shrink_to_fit();
  ExtraImageData.clear();
  ExtraImageData.shrink_to_fit();
}

void TChunkIHDR::PrepareImageStore() {
  FreeImageData();
  std::memset(&BitmapInfo, 0, sizeof BitmapInfo);
  HasPalette = ColorType == 0 || ColorType == 3 || ColorType == 4;
  int bits = 24;
  if (HasPalette) bits = BitDepth == 2 ? 4 : BitDepth == 16 ? 8 : BitDepth;
  BitmapInfo.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  BitmapInfo.bmiHeader.biWidth = Width;
  BitmapInfo.bmiHeader.biHeight = Height;
  BitmapInfo.bmiHeader.biPlanes = 1;
  BitmapInfo.bmiHeader.biBitCount = static_cast<WORD>(bits);
  BitmapInfo.bmiHeader.biCompression = BI_RGB;
  // Sizes in 64 bits: a 65535 x 65535 image needs more than 32 bits for every plane.
  const uint64_t rowBytes = ((uint64_t(bits) * uint64_t(Width) + 31) / 32) * 4;
  const uint64_t storeBytes = rowBytes * uint64_t(Height);
  const uint64_t alphaBytes = uint64_t(Width) * uint64_t(Height);
  constexpr uint64_t kPlaneLimit = 0x7FFFFFFFu;
  if (storeBytes > kPlaneLimit || alphaBytes > kPlaneLimit) throw EPNGOutMemory();
  BytesPerRow = static_cast<int32_t>(rowBytes);
  try {
    if (ColorType == 4 || ColorType == 6) ImageAlpha.assign(alphaBytes, 0);
    if (BitDepth == 16) ExtraImageData.assign(storeBytes, 0);
  } catch (const std::bad_alloc&) {
    FreeImageData();
    throw EPNGOutMemory();
  }
  ImageDC = CreateCompatibleDC(nullptr);
  if (!ImageDC) {
    FreeImageData();
    throw EPNGOutMemory();
  }
  FOwner->Canvas()->SetHandle(ImageDC);
  if (HasPalette) {
    HPALETTE palette = ColorType == 3 ? CreateHalftonePalette(ImageDC)
                                      : NewGreyRamp(FOwner, 1u << std::min<int>(BitDepth, 8));
    PaletteEntryCount = 1u << bits;
    ResizePalette(palette, PaletteEntryCount);
    FOldPalette = SelectPalette(ImageDC, palette, FALSE);
    RealizePalette(ImageDC);
    ImagePalette = palette;
    PALETTEENTRY entries[256]{};
    GetPaletteEntries(palette, 0, PaletteEntryCount, entries);
    for (uint32_t i = 0; i < PaletteEntryCount; ++i)
      BitmapInfo.bmiColors[i] = RGBQUAD{entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
  } else {
    PaletteEntryCount = 0;
  }
  void* pixels = nullptr;
  ImageHandle = CreateDIBSection(ImageDC, reinterpret_cast<BITMAPINFO*>(&BitmapInfo), DIB_RGB_COLORS, &pixels,
                                 nullptr, 0);
  if (!ImageHandle || !pixels) {
    FreeImageData();
    throw EPNGOutMemory();
  }
  ImageData = static_cast<uint8_t*>(pixels);
  FOldBitmap = SelectObject(ImageDC, ImageHandle);
  // A new DIB section comes zeroed: rows the data never reaches stay black.
}

bool TChunkIHDR::ReadFromStream(TStream* stream, const char* chunkType, uint32_t size) {
  TChunk::ReadFromStream(stream, chunkType, size);
  if (FOwner->Chunks()->Chunk(0) != this) throw EPngInvalidIHDR();  // a second header
  if (FDataSize < 13) throw EPngInvalidIHDR();
  const uint32_t w = GetBE32(FData.data()), h = GetBE32(FData.data() + 4);
  if (w > 65535 || h > 65535) throw EPNGSizeExceeds();
  BitDepth = FData[8];
  ColorType = FData[9];
  CompressionMethod = FData[10];
  FilterMethod = FData[11];
  InterlaceMethod = FData[12];
  if (CompressionMethod != 0) throw EPNGUnknownCompression();
  if (InterlaceMethod != 0 && InterlaceMethod != 1) throw EPNGUnknownInterlace();
  // What the row routines rely on: a size, the one filter method, a pair PNG allows.
  if (w == 0 || h == 0 || FilterMethod != 0 || !ValidColorDepth(ColorType, BitDepth)) throw EPngInvalidIHDR();
  Width = static_cast<int32_t>(w);
  Height = static_cast<int32_t>(h);
  FOwner->SetInterlaceMode(InterlaceMethod);
  PrepareImageStore();
  return true;
}

bool TChunkIHDR::WriteToStream(TStream* stream) {
  SetDataSize(13);
  PutBE32(FData.data(), static_cast<uint32_t>(Width));
  PutBE32(FData.data() + 4, static_cast<uint32_t>(Height));
  // The store holds 2-bit images at 4 bits per pixel, and they are written so.
  FData[8] = BitDepth == 2 ? 4 : BitDepth;
  FData[9] = ColorType;
  FData[10] = CompressionMethod;
  FData[11] = FilterMethod;
  FData[12] = FOwner->InterlaceMode();
  return WriteChunk(stream);
}

void TChunkIHDR::CopyFrom(TChunk* source) {
  auto* s = dynamic_cast<TChunkIHDR*>(source);
  if (!s) throw EPngError(EPngErrorIncompatible);
  Width = s->Width;
  Height = s->Height;
  BitDepth = s->BitDepth;
  ColorType = s->ColorType;
  CompressionMethod = s->CompressionMethod;
  FilterMethod = s->FilterMethod;
  InterlaceMethod = s->InterlaceMethod;
  PrepareImageStore();
  if (s->ImageData) std::memcpy(ImageData, s->ImageData, size_t(BytesPerRow) * size_t(Height));
  if (!s->ImageAlpha.empty()) ImageAlpha = s->ImageAlpha;
  if (!s->ExtraImageData.empty()) ExtraImageData = s->ExtraImageData;
  std::memcpy(BitmapInfo.bmiColors, s->BitmapInfo.bmiColors, sizeof BitmapInfo.bmiColors);
  if (HasPalette) {
    SetDIBColorTable(ImageDC, 0, PaletteEntryCount, BitmapInfo.bmiColors);
    PALETTEENTRY entries[256]{};
    const UINT n = s->ImagePalette ? GetPaletteEntries(s->ImagePalette, 0, 256, entries) : 0;
    if (n) {
      ResizePalette(ImagePalette, n);
      SetPaletteEntries(ImagePalette, 0, n, entries);
    }
  }
}

// ---- TChunkPLTE --------------------------------------------------------------------------------

bool TChunkPLTE::ReadFromStream(TStream* stream, const char* chunkType, uint32_t size) {
  TChunk::ReadFromStream(stream, chunkType, size);
  if (size % 3 != 0 || size / 3 > 256) throw EPNGInvalidPalette();
  Count = size / 3;
  TChunkIHDR* header = HeaderChunk();
  // Only a palette image takes the palette; RGB images keep the bytes (a suggested palette) and
  // grey images keep their ramp.
  if (header->ColorType != 3 || Count == 0) return true;
  PALETTEENTRY entries[256];
  const uint8_t* g = FOwner->GammaTable;
  for (uint32_t i = 0; i < Count; ++i)
    entries[i] = PALETTEENTRY{g[FData[i * 3]], g[FData[i * 3 + 1]], g[FData[i * 3 + 2]], 0};
  FOwner->SetPalette(NewPalette(entries, Count));
  return true;
}

RGBQUAD TChunkPLTE::Entry(uint32_t index) const {
  if (index >= Count) throw EPngError(EPngErrorNoEntry);
  return HeaderChunk()->BitmapInfo.bmiColors[std::min<uint32_t>(index, 255)];
}

bool TChunkPLTE::WriteToStream(TStream* stream) {
  TChunkIHDR* header = HeaderChunk();
  if (header->ColorType == 0 || header->ColorType == 4) return true;  // grey images have their ramp
  if (header->ColorType != 3 || !header->ImagePalette) return WriteChunk(stream);
  if (Count == 0) Count = header->PaletteEntryCount;
  PALETTEENTRY entries[256]{};
  Count = std::min<uint32_t>(Count, GetPaletteEntries(header->ImagePalette, 0, 256, entries));
  SetDataSize(Count * 3);
  const uint8_t* inv = FOwner->InverseGammaTable;
  for (uint32_t i = 0; i < Count; ++i) {
    FData[i * 3] = inv[entries[i].peRed];
    FData[i * 3 + 1] = inv[entries[i].peGreen];
    FData[i * 3 + 2] = inv[entries[i].peBlue];
  }
  return WriteChunk(stream);
}

void TChunkPLTE::CopyFrom(TChunk* source) {
  auto* s = dynamic_cast<TChunkPLTE*>(source);
  if (!s) throw EPngError(EPngErrorIncompatible);
  TChunk::CopyFrom(source);
  Count = s->Count;
}

// ---- TChunktRNS --------------------------------------------------------------------------------

bool TChunktRNS::ReadFromStream(TStream* stream, const char* chunkType, uint32_t size) {
  TChunk::ReadFromStream(stream, chunkType, size);
  if (size > 256) throw EPNGInvalidPalette();
  std::memset(PaletteValues, 255, sizeof PaletteValues);
  std::memcpy(PaletteValues, FData.data(), size);
  switch (HeaderChunk()->ColorType) {
    case 0:
    case 2: BitTransparency = true; break;
    case 3: {
      // A colour key only when exactly one entry is fully transparent and all others opaque.
      uint32_t notOpaque = 0, clear = 0;
      for (uint32_t i = 0; i < size; ++i) {
        notOpaque += FData[i] != 255;
        clear += FData[i] == 0;
      }
      BitTransparency = notOpaque == 1 && clear == 1;
      break;
    }
    default: break;
  }
  return true;
}

uint16_t TChunktRNS::KeySample(int channel) const {
  const TChunkIHDR* h = HeaderChunk();
  const uint8_t* s = PaletteValues + channel * 2;
  const uint16_t sample = GetBE16(s);
  // A sample too large for the bit depth matches no pixel: the answer is then above any store value.
  if (h->ColorType == 0) {
    if (h->BitDepth == 16) return sample;
    if (sample >= (1u << h->BitDepth)) return 0x100;
    return h->BitDepth == 2 ? static_cast<uint16_t>(sample * 5) : sample;
  }
  const uint8_t* g = FOwner->GammaTable;
  if (h->BitDepth == 16) return static_cast<uint16_t>((g[s[0]] << 8) | g[s[1]]);
  return s[0] ? 0x100 : g[s[1]];
}

TColor TChunktRNS::TransparentColor() const {
  const TChunkIHDR* h = HeaderChunk();
  switch (h->ColorType) {
    case 0: {
      const uint16_t key = KeySample(0);
      const uint8_t v = h->BitDepth == 16 ? static_cast<uint8_t>(key >> 8) : static_cast<uint8_t>(key);
      const uint8_t grey = h->BitmapInfo.bmiColors[v].rgbRed;
      return static_cast<TColor>(RGB(grey, grey, grey));
    }
    case 2: {
      auto c = [&](int ch) {
        const uint16_t k = KeySample(ch);
        return static_cast<uint8_t>(h->BitDepth == 16 ? k >> 8 : k);
      };
      return static_cast<TColor>(RGB(c(0), c(1), c(2)));
    }
    case 3:
      for (uint32_t i = 0; i < FDataSize && i < 256; ++i)
        if (PaletteValues[i] == 0) {
          const RGBQUAD& q = h->BitmapInfo.bmiColors[i];
          return static_cast<TColor>(RGB(q.rgbRed, q.rgbGreen, q.rgbBlue));
        }
      return 0;
    default: return 0;
  }
}

bool TChunktRNS::SetTransparentColor(TColor color) {
  const TChunkIHDR* h = HeaderChunk();
  std::memset(PaletteValues, 0, sizeof PaletteValues);
  BitTransparency = true;
  const uint8_t r = GetRValue(color), g = GetGValue(color), b = GetBValue(color);
  switch (h->ColorType) {
    case 0:
      SetDataSize(2);
      PutBE16(PaletteValues, r);
      break;
    case 2:
      SetDataSize(6);
      PutBE16(PaletteValues, r);
      PutBE16(PaletteValues + 2, g);
      PutBE16(PaletteValues + 4, b);
      break;
    case 3: {
      uint32_t c = 0;
      while (c < h->PaletteEntryCount) {
        const RGBQUAD& q = h->BitmapInfo.bmiColors[c];
        if (q.rgbRed == r && q.rgbGreen == g && q.rgbBlue == b) break;
        ++c;
      }
      if (c >= h->PaletteEntryCount) {
        BitTransparency = false;
        SetDataSize(0);
        return false;
      }
      std::memset(PaletteValues, 255, c);
      SetDataSize(c + 1);
      break;
    }
    default: return false;
  }
  std::memcpy(FData.data(), PaletteValues, FDataSize);
  return true;
}

bool TChunktRNS::WriteToStream(TStream* stream) {
  if (FDataSize <= 256) std::memcpy(FData.data(), PaletteValues, FDataSize);
  // A 2-bit grey image is written at 4 bits, where its sample v is held as 5v.
  const TChunkIHDR* h = HeaderChunk();
  if (h->ColorType == 0 && h->BitDepth == 2 && FDataSize >= 2) PutBE16(FData.data(), KeySample(0));
  return WriteChunk(stream);
}

void TChunktRNS::CopyFrom(TChunk* source) {
  if (auto* s = dynamic_cast<TChunktRNS*>(source)) {
    std::memcpy(PaletteValues, s->PaletteValues, sizeof PaletteValues);
    BitTransparency = s->BitTransparency;
  }
  TChunk::CopyFrom(source);
}

// ---- TChunkgAMA --------------------------------------------------------------------------------

TChunkgAMA::TChunkgAMA(TPNGObject* owner) : TChunk(owner, "gAMA") { SetGamma(1); }

uint32_t TChunkgAMA::Gamma() {
  if (FDataSize == 4) return GetBE32(FData.data());
  SetDataSize(4);
  return 1;
}

void TChunkgAMA::SetGamma(uint32_t value) {
  if (FDataSize != 4) SetDataSize(4);
  PutBE32(FData.data(), value);
}

bool TChunkgAMA::ReadFromStream(TStream* stream, const char* chunkType, uint32_t size) {
  TChunk::ReadFromStream(stream, chunkType, size);
  if (size != 4) return true;  // a malformed value is no gamma
  const uint32_t gamma = GetBE32(FData.data());
  if (gamma == 0) return true;
  const long double exponent = 1.0L / (static_cast<long double>(gamma) / 100000.0L * 2.2L);
  for (int i = 0; i < 256; ++i) {
    const long double base = i / 255.0L;
    const long double power = base == 0 ? 0.0L : expl(exponent * logl(base));
    const long double rounded = nearbyintl(255.0L * power);  // ties to even
    const int g = rounded < 0 ? 0 : rounded > 255 ? 255 : static_cast<int>(rounded);
    FOwner->GammaTable[i] = static_cast<uint8_t>(g);
    FOwner->InverseGammaTable[g] = static_cast<uint8_t>(i);
  }
  return true;
}

void TChunkgAMA::CopyFrom(TChunk* source) {
  auto* s = dynamic_cast<TChunkgAMA*>(source);
  if (!s) throw EPngError(EPngErrorIncompatible);
  SetGamma(s->Gamma());
}

// ---- TChunkpHYs, TChunktIME ----------------------------------------------------------------------

bool TChunkpHYs::ReadFromStream(TStream* stream, const char* chunkType, uint32_t size) {
  TChunk::ReadFromStream(stream, chunkType, size);
  if (size == 9) {
    PPUnitX = GetBE32(FData.data());
    PPUnitY = GetBE32(FData.data() + 4);
    UnitType = FData[8];
  }
  return true;
}

bool TChunkpHYs::WriteToStream(TStream* stream) {
  SetDataSize(9);
  PutBE32(FData.data(), PPUnitX);
  PutBE32(FData.data() + 4, PPUnitY);
  FData[8] = UnitType;
  return WriteChunk(stream);
}

void TChunkpHYs::CopyFrom(TChunk* source) {
  TChunk::CopyFrom(source);
  if (auto* s = dynamic_cast<TChunkpHYs*>(source)) {
    PPUnitX = s->PPUnitX;
    PPUnitY = s->PPUnitY;
    UnitType = s->UnitType;
  }
}

bool TChunktIME::ReadFromStream(TStream* stream, const char* chunkType, uint32_t size) {
  TChunk::ReadFromStream(stream, chunkType, size);
  if (size == 7) {
    Year = GetBE16(FData.data());
    Month = FData[2];
    Day = FData[3];
    Hour = FData[4];
    Minute = FData[5];
    Second = FData[6];
  }
  return true;
}

bool TChunktIME::WriteToStream(TStream* stream) {
  SetDataSize(7);
  PutBE16(FData.data(), Year);
  FData[2] = Month;
  FData[3] = Day;
  FData[4] = Hour;
  FData[5] = Minute;
  FData[6] = Second;
  return WriteChunk(stream);
}

void TChunktIME::CopyFrom(TChunk* source) {
  TChunk::CopyFrom(source);
  if (auto* s = dynamic_cast<TChunktIME*>(source)) {
    Year = s->Year;
    Month = s->Month;
    Day = s->Day;
    Hour = s->Hour;
    Minute = s->Minute;
    Second = s->Second;
  }
}

// ---- TChunktEXt, TChunkzTXt ----------------------------------------------------------------------

bool TChunktEXt::ReadFromStream(TStream* stream, const char* chunkType, uint32_t size) {
  TChunk::ReadFromStream(stream, chunkType, size);
  Keyword.clear();
  Text.clear();
  if (size > 2) {
    const char* d = reinterpret_cast<const char*>(FData.data());
    const char* zero = static_cast<const char*>(std::memchr(d, 0, size));
    if (!zero) {
      Keyword.assign(d, size);  // no separator: all keyword
    } else {
      Keyword.assign(d, zero);
      Text.assign(zero + 1, d + size);
    }
  }
  return true;
}

bool TChunktEXt::WriteToStream(TStream* stream) {
  SetDataSize(static_cast<uint32_t>(Keyword.size() + Text.size() + 1));
  std::memcpy(FData.data(), Keyword.data(), Keyword.size());
  FData[Keyword.size()] = 0;
  std::memcpy(FData.data() + Keyword.size() + 1, Text.data(), Text.size());
  return WriteChunk(stream);
}

void TChunktEXt::CopyFrom(TChunk* source) {
  TChunk::CopyFrom(source);
  if (auto* s = dynamic_cast<TChunktEXt*>(source)) {
    Keyword = s->Keyword;
    Text = s->Text;
  }
}

bool TChunkzTXt::ReadFromStream(TStream* stream, const char* chunkType, uint32_t size) {
  TChunktEXt::ReadFromStream(stream, chunkType, size);
  if (size <= 3) return true;
  const uint8_t* d = FData.data();
  const auto* zero = static_cast<const uint8_t*>(std::memchr(d, 0, size));
  Text.clear();
  if (!zero) return true;
  Keyword.assign(reinterpret_cast<const char*>(d), reinterpret_cast<const char*>(zero));
  const size_t method = static_cast<size_t>(zero - d) + 1;
  if (method >= size || d[method] != 0) return true;
  std::string text;
  AnsiString error;
  if (DecompressText(d + method + 1, size - method - 1, text, error, kMaxText)) Text = std::move(text);
  return true;
}

bool TChunkzTXt::WriteToStream(TStream* stream) {
  if (Text.empty()) Text = " ";
  std::string packed;
  AnsiString error;
  if (!CompressText(reinterpret_cast<const uint8_t*>(Text.data()), Text.size(), FOwner->DeflateLevel(), packed,
                    error))
    throw EPNGZLIBError(error);
  SetDataSize(static_cast<uint32_t>(Keyword.size() + 2 + packed.size()));
  std::memcpy(FData.data(), Keyword.data(), Keyword.size());
  FData[Keyword.size()] = 0;
  FData[Keyword.size() + 1] = 0;
  std::memcpy(FData.data() + Keyword.size() + 2, packed.data(), packed.size());
  return WriteChunk(stream);
}
