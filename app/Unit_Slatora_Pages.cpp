// The page store: every page as files in the working folder (n.bmp, ng.bmp, n.dat), turning
// pages, the slide's incoming picture and the thumbnails.
#include <cstring>
#include <memory>
#include <vector>

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
  std::unique_ptr<TBitmap> page = PagePicture(PageFile(Number, ".bmp"), color);
  std::unique_ptr<TBitmap> grid;
  if (ImageList && FileExists(PageFile(Number, "g.bmp"))) {
    try {
      grid = PagePicture(PageFile(Number, "g.bmp"), clBlack);
    } catch (const Exception&) {
      grid.reset();  // a grid picture that does not load: the page shows without its grid
    }
  }
  Board->SetHandle(page->ReleaseHandle());  // the page's pixels move over, uncopied
  BackColor = color;
  if (record.found) DefaultBackColor = color;
  if (grid) {
    ImageList->Find("Grid")->Picture()->Assign(grid.get());
    ImageList->Restore();
  }
  GridOn = record.found && record.grid == 1 && grid ? 1 : 0;
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
