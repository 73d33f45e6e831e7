// The page store: every page as files in the working folder (n.bmp, ng.bmp, n.dat), turning
// pages, the slide's incoming picture and the thumbnails.
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "Graphics_BmpCodec.h"
#include "ImgList.h"
#include "Unit_Slatora.h"
#include "windows.h"

namespace {

constexpr size_t kPageRecordSize = 8;

// The page record: grid flag, three zero bytes, the board colour (TColor, little-endian).
struct PageRecord {
  bool found = false;
  uint8_t grid = 0;
  TColor color = 0;
};

PageRecord ReadPageRecord(const AnsiString& FileName) {
  PageRecord r;
  if (!FileExists(FileName)) return r;
  uint8_t bytes[kPageRecordSize] = {};
  try {
    TFileStream f(FileName, fmOpenRead | fmShareDenyWrite);
    if (f.Read(bytes, sizeof bytes) != static_cast<int32_t>(sizeof bytes)) return r;
  } catch (const Exception&) {
    return r;  // unreadable: as if missing
  }
  r.found = true;
  r.grid = bytes[0];
  r.color = static_cast<TColor>(bytes[4] | (bytes[5] << 8) | (bytes[6] << 16) | (uint32_t(bytes[7]) << 24));
  return r;
}

// Files are written beside their final name and moved over it, so that a failed write never
// leaves a cut page file.
class PendingFiles {
 public:
  ~PendingFiles() {
    for (auto& f : files_) DeleteFile(f.temp);
  }
  AnsiString Add(const AnsiString& FinalName) {
    files_.push_back({FinalName + ".tmp", FinalName});
    DeleteFile(files_.back().temp);
    return files_.back().temp;
  }
  void Commit() {
    for (auto& f : files_)
      if (!MoveFileExA(f.temp.c_str(), f.target.c_str(), MOVEFILE_REPLACE_EXISTING)) RaiseLastOSError();
    files_.clear();
  }

 private:
  struct File {
    AnsiString temp, target;
  };
  std::vector<File> files_;
};

// The layout of a BMP file that holds a w x h picture at 24 bits exactly as a DIB section keeps
// it: no compression, rows bottom-up and unpadded (w * 3 a multiple of 4), so its pixel bytes
// are the picture's storage byte for byte. Reads the headers from f; False for any other file
// (the framework's decoder then takes it, and reports what is wrong with it).
struct PlainLayout {
  std::vector<uint8_t> head;  // the bytes read from the start
  uint64_t offset = 0;        // where the pixels start
  uint64_t bytes = 0;         // how many there are
};

bool ReadPlainLayout(TFileStream& f, int32_t w, int32_t h, PlainLayout& layout) {
  if (w <= 0 || h <= 0 || (static_cast<size_t>(w) * 3) % 4 != 0) return false;
  const int64_t size = f.Size();
  layout.head.resize(static_cast<size_t>(std::clamp<int64_t>(size, 0, vse::bmp::kMaxHeaderBytes)));
  if (layout.head.empty() ||
      f.Read(layout.head.data(), static_cast<int32_t>(layout.head.size())) != static_cast<int32_t>(layout.head.size()))
    return false;
  vse::bmp::Header header;
  try {
    header = vse::bmp::ParseHeader(layout.head.data(), layout.head.size(), static_cast<uint64_t>(size));
  } catch (const vse::bmp::DecodeError&) {
    return false;
  }
  layout.offset = header.dataOffset;
  layout.bytes = static_cast<uint64_t>(w) * 3 * static_cast<uint64_t>(h);
  return header.format.width == w && header.format.height == h && header.format.bitCount == 24 &&
         header.sourceBitCount == 24 && header.compression == 0 && !header.topDown && header.dataSize == layout.bytes;
}

// Reads FileName's pixels into Into (a w x h 24-bit picture) with one read, when the file is laid
// out as Into's storage; False, with Into untouched, for a file of any other kind.
bool ReadPlainPicture(const AnsiString& FileName, TBitmap* Into) {
  if (!Into || Into->PixelFormat() != pf24bit) return false;
  TFileStream f(FileName, fmOpenRead | fmShareDenyWrite);
  PlainLayout layout;
  if (!ReadPlainLayout(f, Into->Width(), Into->Height(), layout)) return false;
  uint8_t* bits = Into->ScanLine(Into->Height() - 1);  // the bottom row starts the storage; marks it changed
  uint64_t done = 0;
  if (layout.offset < layout.head.size()) {
    done = std::min<uint64_t>(layout.bytes, layout.head.size() - layout.offset);
    std::memcpy(bits, layout.head.data() + layout.offset, static_cast<size_t>(done));
  } else {
    f.SetPosition(static_cast<int64_t>(layout.offset));
  }
  if (done < layout.bytes) f.ReadBuffer(bits + done, static_cast<int32_t>(layout.bytes - done));
  return true;
}

// True when FileName holds exactly Shown's pixels, laid out as Shown keeps them, so that loading
// it as the grid would leave the grid as it shows: decoding, copying and converting a page-sized
// grid on every turn costs several times this compare. Shown must also be as a freshly loaded
// file leaves it (no transparency of its own). Any doubt answers False and the file is loaded.
bool FileHoldsBitmap(const AnsiString& FileName, TBitmap* Shown, std::vector<uint8_t>& Buffer) {
  if (!Shown || Shown->Empty() || Shown->PixelFormat() != pf24bit || Shown->Transparent() ||
      Shown->TransparentMode() != tmAuto)
    return false;
  DIBSECTION ds{};
  if (GetObjectA(Shown->Handle(), sizeof ds, &ds) != static_cast<int>(sizeof ds) || !ds.dsBm.bmBits) return false;
  try {
    TFileStream f(FileName, fmOpenRead | fmShareDenyWrite);
    PlainLayout layout;
    if (!ReadPlainLayout(f, Shown->Width(), Shown->Height(), layout)) return false;
    GdiFlush();
    // Read, not through ScanLine: looking must not count as a change of the grid.
    const uint8_t* bits = static_cast<const uint8_t*>(ds.dsBm.bmBits);
    uint64_t done = 0;
    if (layout.offset < layout.head.size()) {
      done = std::min<uint64_t>(layout.bytes, layout.head.size() - layout.offset);
      if (std::memcmp(layout.head.data() + layout.offset, bits, static_cast<size_t>(done)) != 0) return false;
    } else {
      f.SetPosition(static_cast<int64_t>(layout.offset));
    }
    if (Buffer.size() < (1u << 20)) Buffer.resize(1u << 20);
    while (done < layout.bytes) {
      const int32_t n = static_cast<int32_t>(std::min<uint64_t>(layout.bytes - done, Buffer.size()));
      if (f.Read(Buffer.data(), n) != n || std::memcmp(Buffer.data(), bits + done, static_cast<size_t>(n)) != 0)
        return false;
      done += static_cast<uint64_t>(n);
    }
    return true;
  } catch (const Exception&) {
    return false;  // unreadable: the loading path decides
  }
}

}  // namespace

AnsiString TBlackBoard::PageFile(uint32_t Number, const char* Suffix) const {
  return TmpDir + IntToStr(static_cast<int64_t>(Number)) + Suffix;
}

std::unique_ptr<TBitmap> TBlackBoard::PagePicture(const AnsiString& FileName, TColor Fill) const {
  const int32_t w = ScreenWidth, h = ScreenHeight - TrayHeight;
  std::unique_ptr<TBitmap> file;
  if (FileExists(FileName)) {
    file = std::make_unique<TBitmap>();
    file->LoadFromFile(FileName);
    // A page of this screen, as SavePage writes it, is taken as it is.
    if (file->Width() == w && file->Height() == h && file->PixelFormat() == pf24bit) return file;
  }
  // Any other size or depth is laid at the top left of a page-sized picture in its colour.
  auto page = std::make_unique<TBitmap>();
  page->SetPixelFormat(pf24bit);
  page->SetSize(w, h);
  TCanvas* c = page->Canvas();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(Fill);
  c->FillRect(Rect(0, 0, w, h));
  if (file && !file->Empty())
    BitBlt(c->Handle(), 0, 0, std::min(w, file->Width()), std::min(h, file->Height()), file->Canvas()->Handle(), 0, 0,
           SRCCOPY);
  return page;
}

void TBlackBoard::SavePage() {
  const uint32_t n = CurrentPage;
  TPicture* grid = GridOn && ImageList ? ImageList->Find("Grid")->Picture() : nullptr;
  const bool withGrid = grid && grid->Graphic() && !grid->Graphic()->Empty();
  PendingFiles files;
  Board->SaveToFile(files.Add(PageFile(n, ".bmp")));
  if (withGrid) grid->SaveToFile(files.Add(PageFile(n, "g.bmp")));
  {
    uint8_t bytes[kPageRecordSize] = {};
    bytes[0] = withGrid ? 1 : 0;
    const uint32_t c = static_cast<uint32_t>(BackColor);
    for (int i = 0; i < 4; ++i) bytes[4 + i] = static_cast<uint8_t>(c >> (8 * i));
    TFileStream f(files.Add(PageFile(n, ".dat")), fmCreate);
    f.WriteBuffer(bytes, sizeof bytes);
  }
  files.Commit();
  if (!withGrid && FileExists(PageFile(n, "g.bmp"))) DeleteFile(PageFile(n, "g.bmp"));
}

void TBlackBoard::LoadPage(uint32_t Number) {
  // Everything is read before the board changes: a page that cannot be read leaves the board
  // showing the page it showed.
  const PageRecord record = ReadPageRecord(PageFile(Number, ".dat"));
  const TColor color = record.found ? record.color : DefaultBackColor;
  // A page as SavePage writes it is read into the pixels that last left the board: a new
  // page-sized picture each turn costs its zeroing and first touch of every memory page.
  std::unique_ptr<TBitmap> page;
  if (SparePage && SparePage->Width() == ScreenWidth && SparePage->Height() == ScreenHeight - TrayHeight &&
      FileExists(PageFile(Number, ".bmp")) && ReadPlainPicture(PageFile(Number, ".bmp"), SparePage.get()))
    page = std::move(SparePage);
  else
    page = PagePicture(PageFile(Number, ".bmp"), color);
  std::unique_ptr<TBitmap> grid;
  bool gridShown = false;  // the page's grid is the one showing: it stays, surfaces and all
  if (ImageList && FileExists(PageFile(Number, "g.bmp"))) {
    TPicture* shown = ImageList->Find("Grid")->Picture();
    gridShown = FileHoldsBitmap(PageFile(Number, "g.bmp"), dynamic_cast<TBitmap*>(shown->Graphic()), ReadBuffer);
    if (!gridShown) {
      try {
        grid = PagePicture(PageFile(Number, "g.bmp"), clBlack);
      } catch (const Exception&) {
        grid.reset();  // a grid picture that does not load: the page shows without its grid
      }
    }
  }
  // The page's pixels move over, uncopied; the board's old ones are kept for the next turn.
  HBITMAP shown = Board->ReleaseHandle();
  Board->SetHandle(page->ReleaseHandle());
  if (shown) page->SetHandle(shown);
  SparePage = std::move(page);
  BackColor = color;
  if (record.found) DefaultBackColor = color;
  if (grid) ImageList->Find("Grid")->Picture()->Assign(grid.get());
  if (grid || gridShown) ImageList->Restore();
  GridOn = record.found && record.grid == 1 && (grid || gridShown) ? 1 : 0;
}

bool TBlackBoard::PrevPage() {
  if (CurrentPage <= 1) return false;
  SavePage();
  UpdateThumbnail();
  LoadPage(CurrentPage - 1);
  Dust->Clear();
  Dust->ClearTray();
  CurrentPage = CurrentPage - 1;
  return true;
}

bool TBlackBoard::NextPage() {
  const uint32_t n = CurrentPage;
  SavePage();
  UpdateThumbnail();
  if (FileExists(PageFile(n + 1, ".bmp"))) {
    LoadPage(n + 1);
  } else {
    TCanvas* c = Board->Canvas();
    c->Pen()->SetColor(DefaultBackColor);
    c->Brush()->SetColor(DefaultBackColor);
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(Rect(0, 0, ScreenWidth, ScreenHeight));
    // A page inside the board whose picture is missing is made again, not counted twice.
    PageCount = std::max(PageCount, n + 1);
    BackColor = DefaultBackColor;
    LastPageDrawn = 0;
    if (Options & obDrawDate) StampDate(ScreenWidth - 72, 8);
  }
  Dust->Clear();
  Dust->ClearTray();
  CurrentPage = n + 1;
  return true;
}

void TBlackBoard::StartPageSlide(uint8_t Direction, int32_t Step) {
  const uint32_t n = CurrentPage;
  uint32_t other;
  if (Direction == 0) {
    if (n <= 1) {
      Beep();
      return;
    }
    other = n - 1;
  } else {
    if (!FileExists(PageFile(n + 1, ".bmp")) && LastPageDrawn != 1) {
      Beep();
      return;
    }
    other = n + 1;
  }
  // The incoming page as it will show: its own colour under its picture, or a blank new page.
  const PageRecord record = ReadPageRecord(PageFile(other, ".dat"));
  std::unique_ptr<TBitmap> picture = PagePicture(PageFile(other, ".bmp"), record.found ? record.color : DefaultBackColor);
  if (ImageList) {
    ImageList->Find("AnimePic")->Picture()->Assign(picture.get());
    ImageList->Restore();
  }
  Sliding = 1;
  SlideDirection = Direction == 0 ? 0 : 1;
  SlidePos = Point(Direction == 0 ? -ScreenWidth : ScreenWidth, 0);
  SlideStep = Step;
}

namespace {

void StoreThumbnail(TCustomImageList* Previews, uint32_t Page, TGraphic* Picture) {
  TBitmap thumb;
  thumb.SetPixelFormat(pf24bit);
  thumb.SetSize(160, 120);
  thumb.Canvas()->StretchDraw(Rect(0, 0, 160, 120), Picture);
  if (Previews->Count() >= static_cast<int32_t>(Page))
    Previews->Replace(static_cast<int32_t>(Page) - 1, &thumb, nullptr);
  else
    Previews->Add(&thumb, nullptr);
}

}  // namespace

void TBlackBoard::FillMissingThumbnails() {
  if (!Previews) return;
  for (uint32_t page = static_cast<uint32_t>(Previews->Count()) + 1; page <= PageCount; ++page) {
    TBitmap picture;
    picture.SetPixelFormat(pf24bit);
    picture.SetSize(ScreenWidth, ScreenHeight - TrayHeight);
    picture.Canvas()->Brush()->SetColor(DefaultBackColor);
    picture.Canvas()->FillRect(Rect(0, 0, picture.Width(), picture.Height()));
    const AnsiString file = PageFile(page, ".bmp");
    if (FileExists(file)) {
      try {
        TBitmap stored;
        stored.LoadFromFile(file);
        picture.Canvas()->Draw(0, 0, &stored);
      } catch (const Exception&) {
        // An unreadable page shows blank here; turning to it reports the fault.
      }
    }
    StoreThumbnail(Previews, page, &picture);
  }
}

void TBlackBoard::UpdateThumbnail() {
  if (!Previews) return;
  StoreThumbnail(Previews, CurrentPage, Board.get());
}
