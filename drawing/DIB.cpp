#include "DIB.h"
#include "DXPixelRow.h"
#include "winplat_gdi.h"

#include <algorithm>
#include <cstring>

namespace {

uint32_t LowBit(uint32_t mask) { return mask == 0 ? 0 : static_cast<uint32_t>(__builtin_ctz(mask)); }

// The run of set bits starting at the mask's lowest set bit.
uint32_t RunLength(uint32_t mask) {
  if (mask == 0) return 0;
  uint32_t m = mask >> LowBit(mask);
  uint32_t n = 0;
  while (m & 1) {
    ++n;
    m >>= 1;
  }
  return n;
}

void FillCounts(TDIBPixelFormat& f) {
  f.RBitCount = RunLength(f.RBitMask);
  f.GBitCount = RunLength(f.GBitMask);
  f.BBitCount = RunLength(f.BBitMask);
  f.RShift = LowBit(f.RBitMask);
  f.GShift = LowBit(f.GBitMask);
  f.BShift = LowBit(f.BBitMask);
  f.RBitCount2 = f.RBitCount < 8 ? 8 - f.RBitCount : 0;
  f.GBitCount2 = f.GBitCount < 8 ? 8 - f.GBitCount : 0;
  f.BBitCount2 = f.BBitCount < 8 ? 8 - f.BBitCount : 0;
}

uint32_t Ones(int32_t n) { return n <= 0 ? 0 : n >= 32 ? 0xFFFFFFFFu : (1u << n) - 1; }

[[noreturn]] void InvalidDIB() { throw EInvalidGraphic(SInvalidDIB); }

// Reads exactly Count bytes or refuses the stream as a bad DIB.
void ReadExact(TStream* s, void* buffer, int64_t count) {
  auto* p = static_cast<uint8_t*>(buffer);
  while (count > 0) {
    const int32_t chunk = static_cast<int32_t>(std::min<int64_t>(count, 1 << 30));
    if (s->Read(p, chunk) != chunk) InvalidDIB();
    p += chunk;
    count -= chunk;
  }
}

// Bytes left in the stream after its position; -1 when it cannot tell.
int64_t BytesLeft(TStream* s) {
  const int64_t pos = s->Seek(0, soCurrent);
  if (pos < 0) return -1;
  const int64_t end = s->Seek(0, soEnd);
  s->Seek(pos, soBeginning);
  return end < pos ? -1 : end - pos;
}

TDIBSharedImage* EmptyImage() {
  // Stands for every empty TDIB; its extra reference keeps it alive.
  static TDIBSharedImage* const image = [] {
    auto* i = new TDIBSharedImage;
    i->Reference();
    return i;
  }();
  return image;
}

// Expands RLE8 or RLE4 data into bottom-up rows. Runs, literals and deltas stop at the row's end;
// decoding stops at the end of the image or of the data.
void DecodeRLE(const uint8_t* data, size_t size, bool rle4, int32_t width, int32_t height, int32_t widthBytes,
               uint8_t* bits) {
  int64_t x = 0, y = 0;
  size_t pos = 0;
  auto put = [&](uint32_t v) {
    if (x >= 0 && x < width && y >= 0 && y < height) {
      uint8_t* row = bits + static_cast<size_t>(y) * widthBytes;
      if (rle4) {
        uint8_t& b = row[x >> 1];
        b = (x & 1) ? static_cast<uint8_t>((b & 0xF0) | (v & 0x0F)) : static_cast<uint8_t>((b & 0x0F) | (v << 4));
      } else {
        row[x] = static_cast<uint8_t>(v);
      }
    }
    ++x;
  };
  while (pos + 1 < size && y < height) {
    const uint32_t count = data[pos], value = data[pos + 1];
    pos += 2;
    if (count > 0) {
      const uint32_t n = static_cast<uint32_t>(std::min<int64_t>(count, std::max<int64_t>(width - x, 0)));
      for (uint32_t i = 0; i < n; ++i) put(rle4 ? ((i & 1) ? value & 0x0F : value >> 4) : value);
      x += count - n;
      continue;
    }
    if (value == 0) {
      x = 0;
      ++y;
    } else if (value == 1) {
      break;
    } else if (value == 2) {
      if (pos + 1 >= size) break;
      x += data[pos];
      y += data[pos + 1];
      pos += 2;
    } else {
      const size_t bytes = rle4 ? (value + 1) / 2 : value;
      const size_t avail = std::min(bytes, size - pos);
      for (uint32_t i = 0; i < value; ++i) {
        const size_t at = rle4 ? i / 2 : i;
        if (at >= avail) break;
        const uint8_t b = data[pos + at];
        if (x >= width) break;
        put(rle4 ? ((i & 1) ? b & 0x0F : b >> 4) : b);
      }
      pos += bytes + (bytes & 1);
    }
  }
}

}  // namespace

namespace {
uint64_t g_maxDIBSize = 256u << 20;
}

uint64_t MaxDIBSize() { return g_maxDIBSize; }
void SetMaxDIBSize(uint64_t Bytes) { g_maxDIBSize = Bytes; }

// ---- Pixel formats ---------------------------------------------------------------------------

TDIBPixelFormat MakeDIBPixelFormat(int32_t RBitCount, int32_t GBitCount, int32_t BBitCount) {
  TDIBPixelFormat f{};
  f.BBitMask = Ones(BBitCount);
  f.GBitMask = Ones(GBitCount) << BBitCount;
  f.RBitMask = Ones(RBitCount) << (GBitCount + BBitCount);
  FillCounts(f);
  return f;
}

TDIBPixelFormat MakeDIBPixelFormatMask(uint32_t RBitMask, uint32_t GBitMask, uint32_t BBitMask) {
  TDIBPixelFormat f{};
  f.RBitMask = RBitMask;
  f.GBitMask = GBitMask;
  f.BBitMask = BBitMask;
  FillCounts(f);
  return f;
}

bool SameMasks(const TDIBPixelFormat& A, const TDIBPixelFormat& B) {
  return A.RBitMask == B.RBitMask && A.GBitMask == B.GBitMask && A.BBitMask == B.BBitMask;
}

// ---- Palette manager -------------------------------------------------------------------------

TPaletteManager& PaletteManager() {
  static TPaletteManager* const manager = new TPaletteManager;
  return *manager;
}

TPaletteManager::~TPaletteManager() {
  for (auto& item : FItems) DeleteObject(item->Palette);
}

HPALETTE TPaletteManager::CreatePalette(const RGBQUAD* Entries, int32_t Count) {
  Count = std::clamp(Count, 0, 256);
  uint32_t key = static_cast<uint32_t>(Count);
  for (int32_t i = 0; i < Count; ++i) key += Entries[i].rgbRed + Entries[i].rgbGreen + Entries[i].rgbBlue;
  for (auto& item : FItems) {
    if (item->Key != key || static_cast<int32_t>(item->Entries.size()) != Count) continue;
    if (Count && std::memcmp(item->Entries.data(), Entries, Count * sizeof(RGBQUAD)) != 0) continue;
    ++item->RefCount;
    return item->Palette;
  }
  std::vector<uint8_t> buf(sizeof(LOGPALETTE) + 256 * sizeof(PALETTEENTRY), 0);
  auto* lp = reinterpret_cast<LOGPALETTE*>(buf.data());
  lp->palVersion = 0x300;
  lp->palNumEntries = static_cast<WORD>(Count);
  for (int32_t i = 0; i < Count; ++i)
    lp->palPalEntry[i] = PALETTEENTRY{Entries[i].rgbRed, Entries[i].rgbGreen, Entries[i].rgbBlue, 0};
  auto item = std::make_unique<TPaletteItem>();
  item->Key = key;
  item->RefCount = 1;
  item->Entries.assign(Entries, Entries + Count);
  item->Palette = ::CreatePalette(lp);
  HPALETTE result = item->Palette;
  FItems.push_back(std::move(item));
  return result;
}

void TPaletteManager::DeletePalette(HPALETTE& APalette) {
  if (!APalette) return;
  for (size_t i = 0; i < FItems.size(); ++i) {
    if (FItems[i]->Palette != APalette) continue;
    APalette = nullptr;
    if (--FItems[i]->RefCount <= 0) {
      DeleteObject(FItems[i]->Palette);
      FItems.erase(FItems.begin() + static_cast<ptrdiff_t>(i));
    }
    return;
  }
}

// ---- Shared image ----------------------------------------------------------------------------

TDIBSharedImage::TDIBSharedImage() { PixelFormat = MakeDIBPixelFormat(8, 8, 8); }

TDIBSharedImage::~TDIBSharedImage() { Clear(); }

void TDIBSharedImage::FreeHandle() { Clear(); }

void TDIBSharedImage::Clear() {
  if (DC) {
    if (OldHandle) SelectObject(DC, OldHandle);
    DeleteDC(DC);
  }
  if (Handle) DeleteObject(Handle);
  DC = nullptr;
  Handle = nullptr;
  OldHandle = nullptr;
  PaletteManager().DeletePalette(Palette);
  Memory.clear();
  Memory.shrink_to_fit();
  BitmapInfoData.clear();
  BitmapInfoSize = 0;
  BitCount = Width = Height = Size = WidthBytes = NextLine = ColorTableCount = 0;
  PBits = TopPBits = nullptr;
  Compressed = MemoryOnly = ColorTableChanged = false;
  ColorTable = {};
  PixelFormat = MakeDIBPixelFormat(8, 8, 8);
}

void TDIBSharedImage::NewImage(int32_t AWidth, int32_t AHeight, bool ACompressed, bool AMemoryOnly,
                               const TRGBQuads& AColorTable, const TDIBPixelFormat& APixelFormat, int32_t ABitCount) {
  Clear();
  switch (ABitCount) {
    case 1: case 4: case 8: case 24: case 32:
      if (!SameMasks(APixelFormat, MakeDIBPixelFormat(8, 8, 8))) throw EInvalidGraphicOperation(SInvalidDIBPixelFormat);
      break;
    case 16:
      if (!SameMasks(APixelFormat, MakeDIBPixelFormat(5, 5, 5)) && !SameMasks(APixelFormat, MakeDIBPixelFormat(5, 6, 5)))
        throw EInvalidGraphicOperation(SInvalidDIBPixelFormat);
      break;
    default:
      throw EInvalidGraphicOperation(Format(SInvalidDIBBitCount, {ABitCount}));
  }
  const uint64_t widthBytes = ((static_cast<uint64_t>(std::max(AWidth, 0)) * ABitCount + 31) >> 5) * 4;
  const uint64_t size = widthBytes * static_cast<uint64_t>(std::max(AHeight, 0));
  if (AWidth <= 0 || AHeight <= 0 || size > MaxDIBSize()) throw EOutOfResources(Format(SCannotMade, {SDIB}));

  BitCount = ABitCount;
  Width = AWidth;
  Height = AHeight;
  WidthBytes = static_cast<int32_t>(widthBytes);
  Size = static_cast<int32_t>(size);
  NextLine = -WidthBytes;
  ColorTableCount = ABitCount <= 8 ? 1 << ABitCount : 0;
  ColorTable = AColorTable;
  PixelFormat = APixelFormat;

  const bool fields = ABitCount == 16 || ABitCount == 32;
  BitmapInfoSize = static_cast<int32_t>(sizeof(BITMAPINFOHEADER) + (fields ? 12 : 0) + ColorTableCount * 4);
  BitmapInfoData.assign(sizeof(BITMAPINFOHEADER) + 12 + 256 * 4, 0);
  BITMAPINFOHEADER& h = BitmapInfo()->bmiHeader;
  h.biSize = sizeof(BITMAPINFOHEADER);
  h.biWidth = Width;
  h.biHeight = Height;
  h.biPlanes = 1;
  h.biBitCount = static_cast<WORD>(BitCount);
  h.biCompression = fields ? BI_BITFIELDS : ACompressed && BitCount == 4 ? BI_RLE4 : ACompressed && BitCount == 8 ? BI_RLE8 : BI_RGB;
  h.biSizeImage = static_cast<DWORD>(Size);
  uint8_t* after = BitmapInfoData.data() + sizeof(BITMAPINFOHEADER);
  if (fields) {
    const uint32_t masks[3] = {PixelFormat.RBitMask, PixelFormat.GBitMask, PixelFormat.BBitMask};
    std::memcpy(after, masks, sizeof masks);
    after += sizeof masks;
  }
  std::memcpy(after, ColorTable.data(), ColorTableCount * sizeof(RGBQUAD));

  Compressed = h.biCompression == BI_RLE8 || h.biCompression == BI_RLE4;
  MemoryOnly = AMemoryOnly || Compressed;
  if (Compressed) return;  // the data arrives later
  if (MemoryOnly) {
    Memory.assign(static_cast<size_t>(Size), 0);
    PBits = Memory.data();
  } else {
    DC = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    if (DC) Handle = CreateDIBSection(DC, BitmapInfo(), DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!DC || !Handle || !bits) {
      Clear();
      throw EOutOfResources(Format(SCannotMade, {SDIB}));
    }
    OldHandle = SelectObject(DC, Handle);
    PBits = static_cast<uint8_t*>(bits);
  }
  TopPBits = PBits + static_cast<size_t>(Height - 1) * WidthBytes;
}

void TDIBSharedImage::Duplicate(TDIBSharedImage& Source, bool AMemoryOnly) {
  NewImage(Source.Width, Source.Height, false, AMemoryOnly, Source.ColorTable, Source.PixelFormat, Source.BitCount);
  if (Source.Compressed) {
    DecodeRLE(Source.PBits, static_cast<size_t>(Source.Size), Source.BitCount == 4, Width, Height, WidthBytes, PBits);
  } else {
    if (!Source.MemoryOnly) GdiFlush();
    std::memcpy(PBits, Source.PBits, static_cast<size_t>(Size));
  }
}

void TDIBSharedImage::ReadData(TStream* Stream, bool AMemoryOnly) {
  Clear();
  uint32_t headerSize = 0;
  const int32_t got = Stream->Read(&headerSize, 4);
  if (got == 0) return;
  if (got != 4) InvalidDIB();

  int32_t width = 0, height = 0;
  uint32_t bitCount = 0, compression = BI_RGB, colorsUsed = 0, sizeImage = 0;
  bool core = false;
  if (headerSize == 12) {
    uint16_t f[4];
    ReadExact(Stream, f, sizeof f);
    width = f[0];
    height = f[1];
    bitCount = f[3];
    core = true;
  } else if (headerSize == sizeof(BITMAPINFOHEADER)) {
    BITMAPINFOHEADER h{};
    h.biSize = headerSize;
    ReadExact(Stream, reinterpret_cast<uint8_t*>(&h) + 4, sizeof h - 4);
    width = h.biWidth;
    height = h.biHeight;
    bitCount = h.biBitCount;
    compression = h.biCompression;
    colorsUsed = h.biClrUsed;
    sizeImage = h.biSizeImage;
  } else {
    InvalidDIB();
  }
  // A file can say anything: the size, the compression and the direction must make sense together.
  if (width <= 0 || height == 0 || height == INT32_MIN) InvalidDIB();
  if (compression > BI_BITFIELDS) InvalidDIB();
  const bool compressed = compression == BI_RLE8 || compression == BI_RLE4;
  if (compressed && (height < 0 || bitCount != (compression == BI_RLE8 ? 8u : 4u))) InvalidDIB();

  TDIBPixelFormat format;
  if (compression == BI_BITFIELDS) {
    uint32_t masks[3];
    ReadExact(Stream, masks, sizeof masks);
    format = MakeDIBPixelFormatMask(masks[0], masks[1], masks[2]);
  } else if (bitCount == 16) {
    format = MakeDIBPixelFormat(5, 5, 5);
  } else {
    format = MakeDIBPixelFormat(8, 8, 8);
  }

  uint32_t colors = colorsUsed;
  if (colors == 0 && bitCount <= 8) colors = 1u << bitCount;
  colors = std::min<uint32_t>(colors, 256);
  TRGBQuads table{};
  if (core) {
    uint8_t rgb[256 * 3];
    ReadExact(Stream, rgb, colors * 3);
    for (uint32_t i = 0; i < colors; ++i) table[i] = RGBQUAD{rgb[i * 3], rgb[i * 3 + 1], rgb[i * 3 + 2], 0};
  } else {
    ReadExact(Stream, table.data(), colors * 4);
  }

  const int32_t rows = height < 0 ? -height : height;
  const uint64_t widthBytes = ((static_cast<uint64_t>(width) * bitCount + 31) >> 5) * 4;
  const uint64_t size = widthBytes * static_cast<uint64_t>(rows);
  if (size > MaxDIBSize()) InvalidDIB();
  const int64_t left = BytesLeft(Stream);
  if (compressed) {
    if (sizeImage == 0 || sizeImage > MaxDIBSize() || (left >= 0 && sizeImage > static_cast<uint64_t>(left))) InvalidDIB();
  } else if (left >= 0 && size > static_cast<uint64_t>(left)) {
    InvalidDIB();
  }

  NewImage(width, rows, compressed, AMemoryOnly, table, format, static_cast<int32_t>(bitCount));
  try {
    if (compressed) {
      Memory.assign(sizeImage, 0);
      ReadExact(Stream, Memory.data(), sizeImage);
      PBits = Memory.data();
      Size = static_cast<int32_t>(sizeImage);
      BitmapInfo()->bmiHeader.biSizeImage = sizeImage;
    } else if (height > 0) {
      ReadExact(Stream, PBits, Size);
    } else {
      for (int32_t y = 0; y < rows; ++y) ReadExact(Stream, TopPBits + static_cast<ptrdiff_t>(y) * NextLine, WidthBytes);
    }
  } catch (...) {
    Clear();
    throw;
  }
}

void TDIBSharedImage::SetColorTable(const TRGBQuads& Table) {
  ColorTable = Table;
  ColorTableChanged = true;
  if (ColorTableCount > 0 && !BitmapInfoData.empty()) {
    std::memcpy(BitmapInfoData.data() + sizeof(BITMAPINFOHEADER), ColorTable.data(), ColorTableCount * sizeof(RGBQUAD));
    if (DC) SetDIBColorTable(DC, 0, static_cast<UINT>(ColorTableCount), ColorTable.data());
  }
}

HPALETTE TDIBSharedImage::GetPalette() {
  if (ColorTableCount == 0) return nullptr;
  if (!Palette || ColorTableChanged) {
    PaletteManager().DeletePalette(Palette);
    Palette = PaletteManager().CreatePalette(ColorTable.data(), ColorTableCount);
    ColorTableChanged = false;
  }
  return Palette;
}

// ---- The canvas ------------------------------------------------------------------------------

class TDIBCanvas : public TCanvas {
 public:
  explicit TDIBCanvas(TDIB* dib) : FDIB(dib) {}

 protected:
  void CreateHandle() override {
    FDIB->MakeUnique(false);
    SetHandle(FDIB->FImage->DC);
  }
  // Copy-on-write: the DIB gets pixels of its own before anything is drawn on them.
  void Changing() override {
    FDIB->MakeUnique(false);
    if (HandleAllocated() && Handle() != FDIB->FImage->DC) SetHandle(FDIB->FImage->DC);
    TCanvas::Changing();
  }
  void Changed() override {
    TCanvas::Changed();
    FDIB->Changed(FDIB);
  }

 private:
  TDIB* FDIB;
};

// ---- TDIB ------------------------------------------------------------------------------------

TDIB::TDIB() { SetImage(EmptyImage()); }

TDIB::~TDIB() {
  FCanvas.reset();
  if (FImage) FImage->Release();
}

bool TDIB::Empty() const { return FWidth == 0 || FHeight == 0; }
bool TDIB::MemoryOnly() const { return FImage->MemoryOnly; }

void TDIB::SetImage(TDIBSharedImage* Value) {
  if (Value == FImage) return;
  Value->Reference();
  if (FCanvas && FCanvas->HandleAllocated()) FCanvas->SetHandle(nullptr);
  TDIBSharedImage* old = FImage;
  FImage = Value;
  if (old) old->Release();
  CopyFromImage();
}

void TDIB::CopyFromImage() {
  FBitCount = FImage->BitCount;
  FHeight = FImage->Height;
  FNextLine = FImage->NextLine;
  FPixelFormat = FImage->PixelFormat;
  FPBits = FImage->PBits;
  FSize = FImage->Size;
  FTopPBits = FImage->TopPBits;
  FWidth = FImage->Width;
  FWidthBytes = FImage->WidthBytes;
  ColorTable = FImage->ColorTable;
}

void TDIB::MakeEmpty() { SetImage(EmptyImage()); }

void TDIB::MakeUnique(bool AllowMemoryOnly) {
  if (FImage == EmptyImage() || FImage->Width == 0) return;
  if (FImage->RefCount() <= 1 && !FImage->Compressed && (AllowMemoryOnly || !FImage->MemoryOnly)) return;
  auto copy = std::make_unique<TDIBSharedImage>();
  copy->Duplicate(*FImage, AllowMemoryOnly && FImage->MemoryOnly);
  const TRGBQuads table = ColorTable;  // edits not yet applied stay pending
  SetImage(copy.release());
  ColorTable = table;
}

void TDIB::SetSize(int32_t AWidth, int32_t AHeight, int32_t ABitCount) {
  if (AWidth == FWidth && AHeight == FHeight && ABitCount == FBitCount && SameMasks(FPixelFormat, FImage->PixelFormat))
    return;
  if (AWidth <= 0 || AHeight <= 0) {
    MakeEmpty();
    Changed(this);
    return;
  }
  auto image = std::make_unique<TDIBSharedImage>();
  image->NewImage(AWidth, AHeight, false, FImage->MemoryOnly, ColorTable, FPixelFormat, ABitCount);
  SetImage(image.release());
  SetPaletteModified(true);
  Changed(this);
}

void TDIB::SetWidth(int32_t Value) {
  if (Value <= 0) SetSize(0, 0, 0);
  else if (Empty()) SetSize(Value, std::max(FHeight, 1), 8);
  else SetSize(Value, FHeight, FBitCount);
}

void TDIB::SetHeight(int32_t Value) {
  if (Value <= 0) SetSize(0, 0, 0);
  else if (Empty()) SetSize(std::max(FWidth, 1), Value, 8);
  else SetSize(FWidth, Value, FBitCount);
}

void TDIB::SetBitCount(int32_t Value) {
  if (Value <= 0) SetSize(0, 0, 0);
  else SetSize(std::max(FWidth, 1), std::max(FHeight, 1), Value);
}

TCanvas* TDIB::Canvas() {
  if (!FCanvas) FCanvas = std::make_unique<TDIBCanvas>(this);
  return FCanvas.get();
}

uint8_t* TDIB::PBits() {
  MakeUnique(true);
  if (!FImage->MemoryOnly) {
    GdiFlush();
    winplat::MarkBitmapChanged(FImage->Handle);  // the caller may write through it
  }
  return FPBits;
}

uint64_t TDIB::ContentStamp() const { return winplat::BitmapChangeStamp(FImage->Handle); }

uint8_t* TDIB::TopPBits() {
  PBits();
  return FTopPBits;
}

uint8_t* TDIB::ScanLine(int32_t Y) {
  if (Y < 0 || Y >= FHeight) throw EInvalidGraphicOperation(SScanLine);
  return TopPBits() + static_cast<ptrdiff_t>(Y) * FNextLine;
}

uint32_t TDIB::Pixels(int32_t X, int32_t Y) {
  if (X < 0 || X >= FWidth || Y < 0 || Y >= FHeight) return 0;
  const uint8_t* row = ScanLine(Y);
  if (FBitCount == 24) return (row[3 * X] << 16) | (row[3 * X + 1] << 8) | row[3 * X + 2];
  return DXPixelRow::Read(row, FBitCount, X);
}

void TDIB::SetPixels(int32_t X, int32_t Y, uint32_t Value) {
  MakeUnique(true);
  if (X < 0 || X >= FWidth || Y < 0 || Y >= FHeight) return;
  uint8_t* row = ScanLine(Y);
  if (FBitCount == 24) {
    row[3 * X] = static_cast<uint8_t>(Value >> 16);
    row[3 * X + 1] = static_cast<uint8_t>(Value >> 8);
    row[3 * X + 2] = static_cast<uint8_t>(Value);
    return;
  }
  DXPixelRow::Write(row, FBitCount, X, Value);
}

void TDIB::UpdatePalette() {
  if (std::memcmp(ColorTable.data(), FImage->ColorTable.data(), sizeof(TRGBQuads)) == 0) return;
  MakeUnique(true);
  if (FImage == EmptyImage()) return;
  FImage->SetColorTable(ColorTable);
  SetPaletteModified(true);
  Changed(this);
}

HPALETTE TDIB::Palette() { return FImage->GetPalette(); }

void TDIB::SetPalette(HPALETTE Value) {
  if (!Value) return;
  PALETTEENTRY entries[256] = {};
  GetPaletteEntries(Value, 0, 256, entries);
  DeleteObject(Value);
  for (int i = 0; i < 256; ++i) ColorTable[i] = RGBQUAD{entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
  UpdatePalette();
}

void TDIB::Assign(TPersistent* Source) {
  if (!Source) {
    MakeEmpty();
    Changed(this);
    return;
  }
  if (auto* dib = dynamic_cast<TDIB*>(Source)) {
    if (dib == this) return;
    SetImage(dib->FImage);
    ColorTable = dib->ColorTable;
    SetPaletteModified(true);
    Changed(this);
    return;
  }
  if (auto* pic = dynamic_cast<TPicture*>(Source)) {
    if (!pic->Graphic() || pic->Graphic()->Empty()) {
      MakeEmpty();
      Changed(this);
    } else {
      Assign(pic->Graphic());
    }
    return;
  }
  if (auto* bmp = dynamic_cast<TBitmap*>(Source)) {
    if (bmp->Empty()) {
      MakeEmpty();
      Changed(this);
      return;
    }
    TRGBQuads table{};
    const auto& src = bmp->ColorTable();
    std::copy_n(src.begin(), std::min<size_t>(src.size(), 256), table.begin());
    int32_t bits = bmp->BitCount();
    TDIBPixelFormat format = MakeDIBPixelFormat(8, 8, 8);
    if (bmp->HandleType() == bmDDB) {
      if (bits == 16) format = MakeDIBPixelFormat(5, 5, 5);
    } else if (bits > 8 && bits < 24) {
      DIBSECTION ds{};
      if (GetObjectA(bmp->Handle(), sizeof ds, &ds) == sizeof ds)
        format = MakeDIBPixelFormatMask(ds.dsBitfields[0], ds.dsBitfields[1], ds.dsBitfields[2]);
      if (format.RBitMask == 0) format = MakeDIBPixelFormat(5, 5, 5);
    }
    ColorTable = table;
    FPixelFormat = format;
    SetSize(bmp->Width(), bmp->Height(), bits);
    UpdatePalette();
    std::memset(PBits(), 0, static_cast<size_t>(FSize));
    Canvas()->Draw(0, 0, bmp);
    return;
  }
  if (auto* g = dynamic_cast<TGraphic*>(Source)) {
    if (g->Empty()) {
      MakeEmpty();
      Changed(this);
      return;
    }
    FPixelFormat = MakeDIBPixelFormat(8, 8, 8);
    SetSize(g->Width(), g->Height(), 24);
    std::memset(PBits(), 0, static_cast<size_t>(FSize));
    Canvas()->Draw(0, 0, g);
    return;
  }
  TGraphic::Assign(Source);
}

void TDIB::Draw(TCanvas* ACanvas, const TRect& R) {
  if (Empty()) return;
  HDC dc = ACanvas->Handle();
  HPALETTE oldPalette = nullptr;
  const bool withPalette = FImage->ColorTableCount > 0;
  if (withPalette) {
    oldPalette = SelectPalette(dc, Palette(), FALSE);
    RealizePalette(dc);
  }
  const int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
  GdiFlush();
  const DWORD rop = static_cast<DWORD>(ACanvas->CopyMode());
  if (FImage->MemoryOnly)
    StretchDIBits(dc, R.left, R.top, R.right - R.left, R.bottom - R.top, 0, 0, FWidth, FHeight, FImage->PBits,
                  FImage->BitmapInfo(), DIB_RGB_COLORS, rop);
  else
    StretchBlt(dc, R.left, R.top, R.right - R.left, R.bottom - R.top, FImage->DC, 0, 0, FWidth, FHeight, rop);
  SetStretchBltMode(dc, oldMode);
  if (withPalette) SelectPalette(dc, oldPalette, FALSE);
}

void TDIB::LoadFromStream(TStream* Stream) {
  uint8_t header[14];
  const int32_t got = Stream->Read(header, sizeof header);
  if (got == 0) return;
  if (got != static_cast<int32_t>(sizeof header) || header[0] != 'B' || header[1] != 'M') InvalidDIB();
  ReadData(Stream);
}

void TDIB::SaveToStream(TStream* Stream) {
  if (Empty()) return;
  uint8_t header[14] = {'B', 'M'};
  const uint32_t fileSize = static_cast<uint32_t>(FImage->Size + FImage->BitmapInfoSize + 14);
  const uint32_t offset = static_cast<uint32_t>(FImage->BitmapInfoSize + 14);
  std::memcpy(header + 2, &fileSize, 4);
  std::memcpy(header + 10, &offset, 4);
  Stream->WriteBuffer(header, sizeof header);
  WriteData(Stream);
}

void TDIB::ReadData(TStream* Stream) {
  auto image = std::make_unique<TDIBSharedImage>();
  image->ReadData(Stream, FImage->MemoryOnly);
  if (image->Width == 0) MakeEmpty();
  else SetImage(image.release());
  SetPaletteModified(true);
  Changed(this);
}

void TDIB::WriteData(TStream* Stream) {
  if (Empty()) return;
  if (!FImage->MemoryOnly) GdiFlush();
  Stream->WriteBuffer(FImage->BitmapInfoData.data(), FImage->BitmapInfoSize);
  Stream->WriteBuffer(FImage->PBits, FImage->Size);
}

void TDIB::SaveToClipboardFormat(uint16_t& Format, std::vector<uint8_t>& Data, HPALETTE& APalette) {
  Format = 8;  // CF_DIB
  APalette = nullptr;
  TMemoryStream stream;
  WriteData(&stream);
  Data.assign(static_cast<const uint8_t*>(stream.Memory()), static_cast<const uint8_t*>(stream.Memory()) + stream.Size());
}

void TDIB::LoadFromClipboardFormat(uint16_t Format, const std::vector<uint8_t>& Data, HPALETTE APalette) {
  TMemoryStream stream;
  if (!Data.empty()) stream.WriteBuffer(Data.data(), static_cast<int32_t>(Data.size()));
  stream.SetPosition(0);
  ReadData(&stream);
}

namespace {
struct TDIBRegistration {
  TDIBRegistration() {
    TPicture::RegisterFileFormat("dib", "Device Independent Bitmap", &GraphicClassOf<TDIB>);
    TPicture::RegisterClipboardFormat(8, &GraphicClassOf<TDIB>);
  }
  ~TDIBRegistration() { TPicture::UnregisterGraphicClass(&GraphicClassOf<TDIB>); }
} g_registration;
}  // namespace
