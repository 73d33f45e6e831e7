// TPNGObject: loading and saving the chunk list, assignment to and from bitmaps and other PNG
// pictures, resizing, pixel access, the clipboard, the exceptions, and the registration with
// TPicture. Drawing is in PngImage_Draw.cpp.
#include <algorithm>
#include <cstring>
#include <new>
#include <typeinfo>

#include "PngImage_internal.h"

using namespace pngimage;

// ---- Exceptions --------------------------------------------------------------------------------

EPngUnexpectedEnd::EPngUnexpectedEnd()
    : Exception("This \"Portable Network Graphics\" image is invalid because the decoder found an unexpected end "
                "of the file.") {}
EPNGNoImageData::EPNGNoImageData() : Exception("This \"Portable Network Graphics\" image contains no data.") {}
EPNGOutMemory::EPNGOutMemory()
    : Exception("Some operation could not be performed because the system is out of resources. Close some "
                "windows and try again.") {}
EPNGHeaderNotPresent::EPNGHeaderNotPresent()
    : Exception("This operation is not valid because the current image contains no valid header.") {}
EPNGInvalidNewSize::EPNGInvalidNewSize() : Exception("The new size provided for image resizing is invalid.") {}
EPngInvalidCRC::EPngInvalidCRC()
    : Exception("This \"Portable Network Graphics\" image is not valid because it contains invalid pieces of "
                "data (crc error)") {}
EPngInvalidIHDR::EPngInvalidIHDR()
    : Exception("The \"Portable Network Graphics\" image could not be loaded because one of its main piece of "
                "data (ihdr) might be corrupted") {}
EPNGMissingMultipleIDAT::EPNGMissingMultipleIDAT()
    : Exception("This \"Portable Network Graphics\" image is invalid because it has missing image parts.") {}
EPNGInvalidPalette::EPNGInvalidPalette()
    : Exception("The \"Portable Network Graphics\" image contains an invalid palette.") {}
EPNGInvalidFileHeader::EPNGInvalidFileHeader()
    : Exception("The file being readed is not a valid \"Portable Network Graphics\" image because it contains an "
                "invalid header. This file may be corruped, try obtaining it again.") {}
EPNGIHDRNotFirst::EPNGIHDRNotFirst()
    : Exception("This \"Portable Network Graphics\" image is not supported or it might be invalid.\r\n(IHDR "
                "chunk is not the first)") {}
EPNGSizeExceeds::EPNGSizeExceeds()
    : Exception("This \"Portable Network Graphics\" image is not supported because either it's width or height "
                "exceeds the maximum size, which is 65535 pixels length.") {}
EPNGUnknownCriticalChunk::EPNGUnknownCriticalChunk()
    : Exception("This \"Portable Network Graphics\" image contains an unknown critical part which could not be "
                "decoded.") {}
EPNGUnknownCompression::EPNGUnknownCompression()
    : Exception("This \"Portable Network Graphics\" image is encoded with an unknown compression scheme which "
                "could not be decoded.") {}
EPNGUnknownInterlace::EPNGUnknownInterlace()
    : Exception("This \"Portable Network Graphics\" image uses an unknown interlace scheme which could not be "
                "decoded.") {}

const char* const EPNGZLIBErrorText =
    "Could not decompress the image because it contains invalid compressed data.\r\n Description: ";
const char* const EPngErrorNoEntry = "There is no such palette entry.";
const char* const EPngErrorIncompatible = "The chunks must be compatible to be assigned.";

EPNGZLIBError::EPNGZLIBError(const AnsiString& zlibText) : Exception(AnsiString(EPNGZLIBErrorText) + zlibText) {}

// ---- Registration ------------------------------------------------------------------------------

namespace {

struct PngFormatRegistration {
  PngFormatRegistration() {
    TPicture::RegisterFileFormat("PNG", "Portable Network Graphics", &GraphicClassOf<TPNGObject>);
  }
  ~PngFormatRegistration() { TPicture::UnregisterGraphicClass(&GraphicClassOf<TPNGObject>); }
};
const PngFormatRegistration registration;

const uint8_t kSignature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};

}  // namespace

// ---- Life ----------------------------------------------------------------------------------------

TPNGObject::TPNGObject() : FCanvas(std::make_unique<TCanvas>()), FChunks(std::make_unique<TPNGList>(this)) {
  for (int i = 0; i < 256; ++i) GammaTable[i] = InverseGammaTable[i] = static_cast<uint8_t>(i);
}

TPNGObject::~TPNGObject() { ClearImage(); }

void TPNGObject::ClearImage() {
  for (int i = 0; i < 256; ++i) GammaTable[i] = InverseGammaTable[i] = static_cast<uint8_t>(i);
  for (int32_t i = 0; i < FChunks->Count(); ++i) delete FChunks->Chunk(i);
  FChunks->SetCount(0);
}

bool TPNGObject::GammaIsIdentity() const {
  for (int i = 0; i < 256; ++i)
    if (GammaTable[i] != i || InverseGammaTable[i] != i) return false;
  return true;
}

bool TPNGObject::HasHeader() const {
  return FChunks->Count() > 0 && dynamic_cast<TChunkIHDR*>(FChunks->Chunk(0)) != nullptr;
}

TChunkIHDR* TPNGObject::HeaderChunk() const {
  if (!HasHeader()) throw EPNGHeaderNotPresent();
  return static_cast<TChunkIHDR*>(FChunks->Chunk(0));
}

int32_t TPNGObject::Width() const { return HasHeader() ? HeaderChunk()->Width : 0; }
int32_t TPNGObject::Height() const { return HasHeader() ? HeaderChunk()->Height : 0; }

HPALETTE TPNGObject::Palette() { return HasHeader() ? HeaderChunk()->ImagePalette : nullptr; }

TPNGTransparencyMode TPNGObject::TransparencyKind() const {
  if (!HasHeader()) return tkNone;
  const TChunkIHDR* h = HeaderChunk();
  const TChunktRNS* trns = FChunks->FirstOfClass<TChunktRNS>();
  switch (h->ColorType) {
    case 0:
    case 2: return trns ? tkBit : tkNone;
    case 3:
      if (!trns) return tkNone;
      return trns->BitTransparency ? tkBit : tkPartial;
    case 4:
    case 6: return tkPartial;
    default: return tkNone;
  }
}

TColor TPNGObject::TransparentColorValue() const {
  const TChunktRNS* trns = HasHeader() ? FChunks->FirstOfClass<TChunktRNS>() : nullptr;
  return trns ? trns->TransparentColor() : 0;
}

void TPNGObject::ReplacePalette(HPALETTE palette, bool copyEntries) {
  if (!palette || !HasHeader()) return;
  TChunkIHDR* h = HeaderChunk();
  if (!h->HasPalette || !h->ImageDC) return;
  if (copyEntries) {
    PALETTEENTRY entries[256]{};
    const UINT n = GetPaletteEntries(palette, 0, 256, entries);
    for (uint32_t i = 0; i < h->PaletteEntryCount; ++i)
      h->BitmapInfo.bmiColors[i] =
          i < n ? RGBQUAD{entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0} : RGBQUAD{0, 0, 0, 0};
    SetDIBColorTable(h->ImageDC, 0, h->PaletteEntryCount, h->BitmapInfo.bmiColors);
  }
  SelectPalette(h->ImageDC, palette, FALSE);
  RealizePalette(h->ImageDC);
  if (h->ImagePalette && h->ImagePalette != palette) DeleteObject(h->ImagePalette);
  h->ImagePalette = palette;
}

uint8_t* TPNGObject::PixelRow(int32_t y) const {
  const TChunkIHDR* h = HeaderChunk();
  return h->ImageData + static_cast<size_t>(h->Height - 1 - y) * static_cast<size_t>(h->BytesPerRow);
}

uint8_t* TPNGObject::AlphaRow(int32_t y) const {
  TChunkIHDR* h = HeaderChunk();
  if (h->ImageAlpha.empty()) return nullptr;
  return h->ImageAlpha.data() + static_cast<size_t>(y) * static_cast<size_t>(h->Width);
}

uint8_t* TPNGObject::LowByteRow(int32_t y) const {
  TChunkIHDR* h = HeaderChunk();
  if (h->ExtraImageData.empty()) return nullptr;
  return h->ExtraImageData.data() + static_cast<size_t>(h->Height - 1 - y) * static_cast<size_t>(h->BytesPerRow);
}

// ---- Streams -------------------------------------------------------------------------------------

void TPNGObject::LoadFromStream(TStream* stream) {
  ClearImage();
  uint8_t signature[8];
  if (stream->Read(signature, 8) != 8 || std::memcmp(signature, kSignature, 8) != 0) throw EPNGInvalidFileHeader();
  bool decoded = false;
  for (;;) {
    uint8_t head[8];
    ReadExact(stream, head, 8);
    const char* type = reinterpret_cast<const char*>(head + 4);
    if (FChunks->Count() == 0 && std::memcmp(type, "IHDR", 4) != 0) throw EPNGIHDRNotFirst();
    const uint32_t length = GetBE32(head);
    CheckChunkLength(stream, length);
    const bool end = std::memcmp(type, "IEND", 4) == 0;
    if ((decoded && std::memcmp(type, "IDAT", 4) == 0) || std::memcmp(type, "cHRM", 4) == 0) {
      stream->Seek(int64_t{length} + 4, soCurrent);
      if (end) break;
      continue;
    }
    TChunk* chunk = NewChunkForType(this, type);
    if (typeid(*chunk) == typeid(TChunk) && !(head[4] & 0x20)) {
      delete chunk;
      throw EPNGUnknownCriticalChunk();
    }
    FChunks->Append(chunk);
    const bool more = chunk->ReadFromStream(stream, type, length);
    if (dynamic_cast<TChunkIDAT*>(chunk)) decoded = true;
    if (!more || end) break;
  }
  if (!decoded) throw EPNGNoImageData();
}

void TPNGObject::SaveToStream(TStream* stream) {
  stream->WriteBuffer(kSignature, 8);
  for (int32_t i = 0; i < FChunks->Count(); ++i) FChunks->Chunk(i)->WriteToStream(stream);
}

// ---- Assignment ----------------------------------------------------------------------------------

void TPNGObject::CopyFromPng(TPNGObject* source) {
  if (source == this) return;
  FInterlaceMode = source->FInterlaceMode;
  SetMaxImageChunkSize(source->FMaxImageChunkSize);
  FDeflateLevel = source->FDeflateLevel;
  FRowFilters = source->FRowFilters;
  ClearImage();
  // The colour tables were made through the source's gamma: saving them takes its inverse.
  std::memcpy(GammaTable, source->GammaTable, sizeof GammaTable);
  std::memcpy(InverseGammaTable, source->InverseGammaTable, sizeof InverseGammaTable);
  for (int32_t i = 0; i < source->FChunks->Count(); ++i) {
    TChunk* from = source->FChunks->Chunk(i);
    TChunk* chunk = from->NewOfSameClass(this);
    FChunks->Append(chunk);
    chunk->CopyFrom(from);
  }
}

void TPNGObject::Assign(TPersistent* source) {
  if (!source) {
    ClearImage();
  } else if (auto* png = dynamic_cast<TPNGObject*>(source)) {
    CopyFromPng(png);
  } else if (auto* bitmap = dynamic_cast<TBitmap*>(source)) {
    AssignFromBitmapHandle(bitmap->Handle(), bitmap->Transparent(), ColorToRGB(bitmap->TransparentColor()));
  } else {
    TGraphic::Assign(source);
  }
}

TPixelFormat TPNGObject::BitmapPixelFormatFor() const {
  const TChunkIHDR* h = HeaderChunk();
  if (TransparencyKind() == tkPartial) return pf24bit;
  switch (h->BitDepth) {
    case 1: return pf1bit;
    case 2:
    case 4: return pf4bit;
    case 8:
    case 16:
      if (h->ColorType == 0 || h->ColorType == 2) return pf24bit;
      if (h->ColorType == 3) return pf8bit;
      break;
    default: break;
  }
  throw EInvalidGraphic(SInvalidPixelFormat);
}

void TPNGObject::AssignTo(TPersistent* dest) {
  if (auto* png = dynamic_cast<TPNGObject*>(dest)) {
    png->CopyFromPng(this);
    return;
  }
  auto* bitmap = dynamic_cast<TBitmap*>(dest);
  // A header whose load failed has no image to give.
  if (bitmap && HasHeader() && HeaderChunk()->ImageData) {
    bitmap->SetPixelFormat(BitmapPixelFormatFor());
    if (HPALETTE palette = Palette()) bitmap->SetPalette(palette);
    bitmap->SetWidth(Width());
    bitmap->SetHeight(Height());
    bitmap->Canvas()->Draw(0, 0, this);
    if (TransparencyKind() == tkBit) {
      bitmap->SetTransparentColor(TransparentColorValue());
      bitmap->SetTransparent(true);
    }
    return;
  }
  TGraphic::AssignTo(dest);
}

void TPNGObject::AssignFromBitmapHandle(HBITMAP handle, bool transparent, TColor color) {
  BITMAP bm{};
  if (!handle || GetObjectA(handle, sizeof bm, &bm) < static_cast<int>(sizeof bm) || bm.bmWidth <= 0 ||
      bm.bmHeight == 0)
    throw EInvalidGraphic(SInvalidBitmap);
  const int bits = bm.bmBitsPixel;
  if (bits != 1 && bits != 4 && bits != 8 && bits < 16) throw EInvalidGraphic(SInvalidPixelFormat);
  const int32_t height = std::abs(bm.bmHeight);
  if (bm.bmWidth > 65535 || height > 65535) throw EPNGSizeExceeds();
  ClearImage();
  auto* header = new TChunkIHDR(this);
  FChunks->Append(header);
  header->Width = bm.bmWidth;
  header->Height = height;
  header->BitDepth = static_cast<uint8_t>(bits < 16 ? bits : 8);
  header->ColorType = bits < 16 ? 3 : 2;
  header->CompressionMethod = 0;
  header->FilterMethod = 0;
  header->InterlaceMethod = 0;
  header->PrepareImageStore();
  GetDIBits(header->ImageDC, handle, 0, static_cast<UINT>(height), header->ImageData,
            reinterpret_cast<BITMAPINFO*>(&header->BitmapInfo), DIB_RGB_COLORS);
  TChunkPLTE* plte = nullptr;
  if (header->HasPalette) {
    SetDIBColorTable(header->ImageDC, 0, header->PaletteEntryCount, header->BitmapInfo.bmiColors);
    plte = new TChunkPLTE(this);
    FChunks->Append(plte);
  }
  TChunktRNS* trns = nullptr;
  if (transparent) {
    trns = new TChunktRNS(this);
    FChunks->Append(trns);
  }
  FChunks->Append(new TChunkIDAT(this));
  FChunks->Append(new TChunkIEND(this));
  if (plte) {
    plte->Count = 1u << bits;
    PALETTEENTRY entries[256];
    for (uint32_t i = 0; i < plte->Count; ++i) {
      const RGBQUAD& q = header->BitmapInfo.bmiColors[i];
      entries[i] = PALETTEENTRY{q.rgbRed, q.rgbGreen, q.rgbBlue, 0};
    }
    ReplacePalette(NewPalette(entries, plte->Count), false);
  }
  // A colour no palette entry has cannot be made transparent: no transparency chunk then.
  if (trns && !trns->SetTransparentColor(color)) delete static_cast<TChunk*>(FChunks->Extract(trns));
}

// ---- Clipboard -----------------------------------------------------------------------------------

void TPNGObject::LoadFromClipboardFormat(uint16_t format, HANDLE data, HPALETTE palette) {
  TBitmap bitmap;
  bitmap.LoadFromClipboardFormat(format, data, palette);
  AssignFromBitmapHandle(bitmap.Handle(), false, 0);
}

void TPNGObject::SaveToClipboardFormat(uint16_t& format, HANDLE& data, HPALETTE& palette) {
  TBitmap bitmap;
  bitmap.SetSize(Width(), Height());
  bitmap.Canvas()->StretchDraw(Rect(0, 0, Width(), Height()), this);
  bitmap.SaveToClipboardFormat(format, data, palette);
}

// ---- Resizing ------------------------------------------------------------------------------------

void TPNGObject::ResizeImage(int32_t width, int32_t height) {
  if (width < 1 || height < 1 || width > 65535 || height > 65535) throw EPNGInvalidNewSize();
  TChunkIHDR* h = HeaderChunk();
  if (!h->ImageData) throw EPNGHeaderNotPresent();
  const int bits = h->BitmapInfo.bmiHeader.biBitCount;
  const uint64_t rowBytes = ((uint64_t(bits) * uint64_t(width) + 31) / 32) * 4;
  const uint64_t storeBytes = rowBytes * uint64_t(height);
  if (storeBytes > 0x7FFFFFFFu || uint64_t(width) * uint64_t(height) > 0x7FFFFFFFu) throw EPNGOutMemory();
  std::vector<uint8_t> alpha, low;
  try {
    if (!h->ImageAlpha.empty()) alpha.assign(size_t(width) * size_t(height), 255);
    if (!h->ExtraImageData.empty()) low.assign(storeBytes, 0);
  } catch (const std::bad_alloc&) {
    throw EPNGOutMemory();
  }
  HDC dc = CreateCompatibleDC(h->ImageDC);
  if (!dc) throw EPNGOutMemory();
  TPNGBitmapInfo info = h->BitmapInfo;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  void* pixels = nullptr;
  HBITMAP section = CreateDIBSection(dc, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &pixels, nullptr, 0);
  if (!section || !pixels) {
    if (section) DeleteObject(section);
    DeleteDC(dc);
    throw EPNGOutMemory();
  }
  HGDIOBJ oldBitmap = SelectObject(dc, section);
  auto* bytes = static_cast<uint8_t*>(pixels);
  std::memset(bytes, 0, storeBytes);
  // Image rows 0 .. n - 1 stay in every plane (the store and the low bytes are bottom-up).
  const int32_t rows = std::min(h->Height, height);
  const size_t copy = std::min<size_t>(rowBytes, size_t(h->BytesPerRow));
  for (int32_t y = 0; y < rows; ++y) {
    const size_t from = size_t(h->Height - 1 - y) * size_t(h->BytesPerRow);
    const size_t to = size_t(height - 1 - y) * rowBytes;
    std::memcpy(bytes + to, h->ImageData + from, copy);
    if (!low.empty()) std::memcpy(low.data() + to, h->ExtraImageData.data() + from, copy);
    if (!alpha.empty())
      std::memcpy(alpha.data() + size_t(y) * size_t(width), h->ImageAlpha.data() + size_t(y) * size_t(h->Width),
                  size_t(std::min(width, h->Width)));
  }
  // Move the palette over to the new context, then let the old store go.
  HPALETTE oldPalette = nullptr;
  if (h->ImagePalette) {
    SelectPalette(h->ImageDC, h->FOldPalette, FALSE);
    oldPalette = SelectPalette(dc, h->ImagePalette, FALSE);
    RealizePalette(dc);
  }
  SelectObject(h->ImageDC, h->FOldBitmap);
  if (FCanvas->HandleAllocated()) FCanvas->SetHandle(nullptr);
  DeleteDC(h->ImageDC);
  DeleteObject(h->ImageHandle);
  h->ImageDC = dc;
  h->ImageHandle = section;
  h->ImageData = bytes;
  h->FOldBitmap = oldBitmap;
  h->FOldPalette = oldPalette;
  h->BitmapInfo = info;
  h->BytesPerRow = static_cast<int32_t>(rowBytes);
  h->ImageAlpha = std::move(alpha);
  h->ExtraImageData = std::move(low);
  h->Width = width;
  h->Height = height;
  FCanvas->SetHandle(dc);
}

// ---- Pixels --------------------------------------------------------------------------------------

TColor TPNGObject::GetPixels(int32_t x, int32_t y) {
  if (!HasHeader()) return 0;
  const TChunkIHDR* h = HeaderChunk();
  if (!h->ImageData || x < 0 || y < 0 || x >= h->Width || y >= h->Height) return 0;
  const uint8_t* row = PixelRow(y);
  switch (h->ColorType) {
    case 0:
    case 3: {
      // The store's depth: 2-bit images are held at 4 bits, 16-bit ones at 8.
      const int d = h->BitmapInfo.bmiHeader.biBitCount;
      const int perByte = 8 / d;
      const int field = x % perByte;
      const unsigned v = (row[x / perByte] >> (8 - d - d * field)) & ((1u << d) - 1);
      if (h->ColorType == 3) {
        const TChunkPLTE* plte = FChunks->FirstOfClass<TChunkPLTE>();
        if (!plte) throw EPngError(EPngErrorNoEntry);
        const RGBQUAD q = plte->Entry(v);
        return static_cast<TColor>(RGB(GammaTable[q.rgbRed], GammaTable[q.rgbGreen], GammaTable[q.rgbBlue]));
      }
      const uint8_t g = d == 1 ? GammaTable[v ? 255 : 0] : GammaTable[(v * ((1u << d) + 1)) & 255];
      return static_cast<TColor>(RGB(g, g, g));
    }
    case 4: return static_cast<TColor>(RGB(row[x], row[x], row[x]));
    case 2:
    case 6: return static_cast<TColor>(RGB(row[3 * x + 2], row[3 * x + 1], row[3 * x]));
    default: return 0;
  }
}

void TPNGObject::SetPixels(int32_t x, int32_t y, TColor value) {
  if (!HasHeader()) return;
  const TChunkIHDR* h = HeaderChunk();
  if (!h->ImageData || x < 0 || y < 0 || x >= h->Width || y >= h->Height) return;
  uint8_t* row = PixelRow(y);
  const COLORREF c = static_cast<COLORREF>(ColorToRGB(value));
  switch (h->ColorType) {
    case 0:
    case 3: {
      const int d = h->BitmapInfo.bmiHeader.biBitCount;
      const int perByte = 8 / d;
      const int shift = 8 - d - d * (x % perByte);
      const unsigned mask = (1u << d) - 1;
      const unsigned v = GetNearestPaletteIndex(h->ImagePalette, c) & mask;
      uint8_t& b = row[x / perByte];
      b = static_cast<uint8_t>((b & ~(mask << shift)) | (v << shift));
      break;
    }
    case 4: row[x] = GetRValue(c); break;
    case 2:
    case 6:
      row[3 * x + 2] = GetRValue(c);
      row[3 * x + 1] = GetGValue(c);
      row[3 * x] = GetBValue(c);
      break;
    default: break;
  }
}
