// Helpers of the page, decoration and frame tests: a board on a real drawing control on the
// headless screen, with the main form's named pictures in a real image list.
#pragma once
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "../board/board_support.h"
#include "DXClass.h"
#include "DXDraws.h"
#include "Forms.h"
#include "ImgList.h"
#include "winplat_screen.h"
#include "winplat_user.h"

namespace pagestest {

using namespace boardtest;

// A TColor as the 32-bit surface's device value.
inline uint32_t Dev(TColor c) { return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); }

inline std::vector<uint8_t> PageBytes(TBitmap* b) {
  std::vector<uint8_t> out;
  for (int y = 0; y < b->Height(); ++y) {
    const uint8_t* row = b->ScanLine(y);
    out.insert(out.end(), row, row + b->Width() * 3);
  }
  return out;
}

inline std::vector<uint8_t> FileBytes(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {});
}

inline void FillBitmap(TBitmap* b, int w, int h, TColor c, TPixelFormat pf = pf24bit) {
  b->SetPixelFormat(pf);
  b->SetSize(w, h);
  b->Canvas()->Brush()->SetStyle(bsSolid);
  b->Canvas()->Brush()->SetColor(c);
  b->Canvas()->FillRect(Rect(0, 0, w, h));
}

inline void WriteBmp(const fs::path& p, int w, int h, TColor c, TPixelFormat pf = pf24bit) {
  fs::create_directories(p.parent_path());
  TBitmap b;
  FillBitmap(&b, w, h, c, pf);
  b.SaveToFile(p.string());
}

// Colours of the stand-in pictures, each told apart from the others on the screen.
constexpr TColor kPrev = 0x30C030, kNonPrev = 0x808080, kNext = 0x30C0C0, kNonNext = 0x707070;
constexpr TColor kEraser = 0xE0A040, kLongEraser = 0x40A0E0, kRulerIcon = 0xA040E0, kFinger = 0x90B0F0;
constexpr TColor kNowTool = 0xF0F0F0, kTriangle = 0x20F0F0, kMarks = 0x2020F0, kDragPic = 0x4080C0;
constexpr TColor kTray = 0x204080, kTrayStrip = 0x306090;
constexpr TColor kMagenta = 0xFF00FF;

// The glyph sheet of the date stamp: every cell one colour of its own.
inline TColor DigitColor(int d) { return static_cast<TColor>(0x0101C8 + (d * 20 << 8)); }
constexpr TColor kMonthSign = 0x00A0FF, kDaySign = 0xFFA000;
inline TColor WeekdayColor(int w) { return static_cast<TColor>(0x3030 + (w * 30 << 16)); }

inline void MakeDateFont(TBitmap* f) {
  FillBitmap(f, 448, 128, clBlack);
  TCanvas* c = f->Canvas();
  for (int d = 0; d < 10; ++d) {
    c->Brush()->SetColor(DigitColor(d));
    c->FillRect(Rect(d * 32 + 2, 2, d * 32 + 30, 62));
  }
  c->Brush()->SetColor(kMonthSign);
  c->FillRect(Rect(322, 2, 382, 62));
  c->Brush()->SetColor(kDaySign);
  c->FillRect(Rect(386, 2, 446, 62));
  for (int w = 1; w <= 7; ++w) {
    c->Brush()->SetColor(WeekdayColor(w));
    c->FillRect(Rect((w - 1) * 64 + 2, 66, (w - 1) * 64 + 62, 126));
  }
}

// A board of the headless screen's size on a drawing control, with two chalks, a tray, the date
// glyphs, the named pictures and a thumbnail list.
class BoardOnScreen : public ProgramFolderFixture {
 protected:
  // With ProgramAssets the pictures are the program folder's own (false when it is not built).
  bool Start(int w = 1024, int h = 768, bool ProgramAssets = false) {
    W = w;
    H = h;
    backend = std::make_shared<winplat::screen::HeadlessBackend>();
    backend->SetDisplaySize(w, h);
    winplat::screen::SetBackend(backend);
    const fs::path bin = VSE_BIN_DIR;
    if (ProgramAssets) {
      if (!fs::exists(bin / "chalks/option.ini") || !fs::exists(bin / "font.bmp")) return false;
      fs::copy(bin / "chalks", File("chalks"), fs::copy_options::recursive);
      fs::copy(bin / "overlay", File("overlay"), fs::copy_options::recursive);
      for (const auto& e : fs::directory_iterator(bin))
        if (e.path().extension() == ".bmp") fs::copy_file(e.path(), File(e.path().filename().string()));
    } else {
      WriteTwoChalks();
      WriteBmp(File("Ukezara.bmp"), 16, 48, kTray);
      WriteBmp(File("UkezaraS.bmp"), 8, 48, kTrayStrip);
    }
    board = std::make_unique<TBlackBoard>();
    board->SetScreenWidth(w);
    board->SetScreenHeight(h);
    board->LoadChalks("chalks\\option.ini", board->TrayHeight);
    board->LoadTray("Ukezara.bmp", "UkezaraS.bmp");
    if (ProgramAssets) board->DateFont->LoadFromFile(File("font.bmp").string());
    else MakeDateFont(board->DateFont.get());

    form = CreateNewForm<TDXForm>(Application);
    form->SetBorderStyle(bsNone);
    form->SetBounds(0, 0, w, h);
    draw = new TDXDraw(form);
    draw->SetParent(form);
    draw->SetBounds(0, 0, w, h);
    draw->SetOptions(TDXDrawOptions{doFullScreen, doAllowReboot, doWaitVBlank, doCenter, doDirectX7Mode, doHardware,
                                    doSelectDriver});
    draw->Display()->SetWidth(w);
    draw->Display()->SetHeight(h);
    draw->Display()->SetBitCount(32);
    images = new TDXImageList(form);
    struct Picture {
      const char* name;
      const char* file;
      int w, h;
      TColor color, key;
    } const kPictures[] = {
        {"NowTool", nullptr, 40, 12, kNowTool, clBlack},
        {"finger", "finger.bmp", 20, 32, kFinger, clBlack},
        {"eraser", "eraser.bmp", 60, 30, kEraser, clBlack},
        {"longEraser", "longEraser.bmp", 40, 120, kLongEraser, ProgramAssets ? kMagenta : clBlack},
        {"prev", "UkezaraL.bmp", 32, 48, kPrev, clBlack},
        {"next", "UkezaraR.bmp", 32, 48, kNext, clBlack},
        {"AnimePic", nullptr, 0, 0, 0, clBlack},
        {"DragPic", nullptr, 50, 40, kDragPic, clBlack},
        {"Grid", nullptr, 0, 0, 0, clBlack},
        {"memori", "memori.bmp", 200, 100, kMarks, kMagenta},
        {"trijogi", "trijogi.bmp", 200, 100, kTriangle, kMagenta},
        {"icontri", "icontri.bmp", 40, 40, kRulerIcon, kMagenta},
        {"nonprev", "nonUkezaraL.bmp", 32, 48, kNonPrev, clBlack},
        {"nonnext", "nonUkezaraR.bmp", 32, 48, kNonNext, clBlack},
        {"UkezaraKona", nullptr, 0, 0, 0, clBlack},
    };
    for (const Picture& p : kPictures) {
      AddPicture(p.name, p.w, p.h, p.color, p.key);
      if (ProgramAssets && p.file) Item(p.name)->Picture()->LoadFromFile(File(p.file).string());
    }
    images->SetDXDraw(draw);
    pictures = std::make_unique<TBoardPicturesOf<TPictureCollection>>(images->Items());
    previews = std::make_unique<TImageList>(160, 120);
    board->ImageList = pictures.get();
    board->DXDraw = draw;
    board->Previews = previews.get();
    board->UpdateNowTool();
    const TPictureCollectionItem* next = Item("next");
    const TPictureCollectionItem* eraser = Item("eraser");
    board->EraserRect = Rect(w - 20 - next->Width() - eraser->Width(), h - eraser->Height() - 5, w - 20 - next->Width(), h);
    form->Show();
    winplat::user::PumpMessages();
    EXPECT_TRUE(draw->CanDraw());
    return true;
  }
  void TearDown() override {
    board.reset();
    FreeAndNil(form);
    pictures.reset();
    previews.reset();
    ProgramFolderFixture::TearDown();
    winplat::screen::SetBackend(nullptr);
    winplat::screen::ResetKeyState();
  }
  // An opaque w x h picture of colour c with a one-pixel frame of its key colour.
  void AddPicture(const char* name, int w, int h, TColor c, TColor key = clBlack) {
    TPictureCollectionItem* item = images->Items()->Add();
    item->SetName(name);
    item->SetTransparentColor(key);
    item->SetTransparent(true);
    if (w == 0) return;
    TBitmap* b = item->Picture()->Bitmap();
    FillBitmap(b, w, h, key);
    b->Canvas()->Brush()->SetColor(c);
    b->Canvas()->FillRect(Rect(1, 1, w - 1, h - 1));
  }
  TPictureCollectionItem* Item(const char* name) { return images->Items()->Find(name); }
  uint32_t At(int x, int y) { return draw->Surface()->Pixels(x, y); }
  fs::path Tmp(const std::string& name) const { return folder_ / "tmp" / name; }

  int W = 0, H = 0;
  std::shared_ptr<winplat::screen::HeadlessBackend> backend;
  std::unique_ptr<TBlackBoard> board;
  TDXForm* form = nullptr;
  TDXDraw* draw = nullptr;
  TDXImageList* images = nullptr;
  std::unique_ptr<TBoardPicturesOf<TPictureCollection>> pictures;
  std::unique_ptr<TImageList> previews;
};

}  // namespace pagestest
