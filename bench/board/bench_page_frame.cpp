// The board's own frame and page turn at 1920 x 1080, each beside its physical reference in the
// same run:
// - PaintFrame, DrawToolCursor and Flip of a busy frame (a page covered with chalk, the grid on,
//   200 dust particles, the ruler anchored) against memcpy of one 1920 x 1080 x 32 frame and the
//   drawing layer's own frame of bench_frame (one full-screen Draw, ten DrawAlpha, two
//   DrawRotateAlpha, Flip);
// - a turn to an existing page (SavePage, UpdateThumbnail, LoadPage of a 1920 x 1032 page)
//   against writing the page's files and reading the other page's files with plain file calls.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "DXClass.h"
#include "DXDraws.h"
#include "Forms.h"
#include "ImgList.h"
#include "Math.h"
#include "Unit_Slatora.h"
#include "bench_timing.h"
#include "winplat_screen.h"
#include "winplat_user.h"

namespace {

using bench::Median;
using bench::Report;
using bench::Timing;

constexpr int W = 1920, H = 1080, T = 48;

void Fill(TBitmap* b, int w, int h, TColor c) {
  b->SetPixelFormat(pf24bit);
  b->SetSize(w, h);
  b->Canvas()->Brush()->SetColor(c);
  b->Canvas()->FillRect(Rect(0, 0, w, h));
}

TPictureCollectionItem* AddPicture(TDXImageList* images, const char* name, int w, int h, TColor color,
                                   TColor key = clBlack) {
  auto* item = images->Items()->Add();
  item->SetName(name);
  item->SetTransparentColor(key);
  if (w > 0) {
    TBitmap* b = item->Picture()->Bitmap();
    Fill(b, w, h, key);
    b->Canvas()->Brush()->SetColor(color);
    b->Canvas()->FillRect(Rect(1, 1, w - 1, h - 1));
  }
  return item;
}

}  // namespace

int main(int argc, char** argv) {
  // "frame" or "turn" runs that part alone (for a profile of it); BENCH_RUNS sets the frames timed.
  const std::string only = argc > 1 ? argv[1] : "";
  char dir[] = "/tmp/bench_page_frame_XXXXXX";
  if (!mkdtemp(dir)) return 1;
  SetProgramFolder(std::string(dir) + "/");
  auto backend = std::make_shared<winplat::screen::HeadlessBackend>();
  backend->SetDisplaySize(W, H);
  winplat::screen::SetBackend(backend);
  winplat::screen::InstallScriptedAnswerer();

  TBlackBoard board;
  board.SetScreenWidth(W);
  board.SetScreenHeight(H);
  board.LoadChalks("chalks\\option.ini", T);  // none: the built-in white chalk
  Fill(board.Tray.get(), W, T, TColor(0x306090));
  Fill(board.TrayStrip.get(), 8, T, TColor(0x3070A0));

  TDXForm* form = CreateNewForm<TDXForm>(Application);
  form->SetBorderStyle(bsNone);
  form->SetBounds(0, 0, W, H);
  auto* draw = new TDXDraw(form);
  draw->SetParent(form);
  draw->SetBounds(0, 0, W, H);
  draw->SetOptions(TDXDrawOptions{doFullScreen, doAllowReboot, doWaitVBlank, doCenter, doDirectX7Mode, doHardware,
                                  doSelectDriver});
  draw->Display()->SetWidth(W);
  draw->Display()->SetHeight(H);
  draw->Display()->SetBitCount(32);
  auto* images = new TDXImageList(form);
  AddPicture(images, "NowTool", 40, 12, TColor(0xF0F0F0));
  AddPicture(images, "finger", 20, 32, TColor(0x90B0F0));
  AddPicture(images, "eraser", 128, 40, TColor(0xE0A040));
  AddPicture(images, "longEraser", 118, 640, TColor(0x40A0E0), TColor(0xFF00FF));
  AddPicture(images, "prev", 32, 48, TColor(0x30C030));
  AddPicture(images, "next", 32, 48, TColor(0x30C0C0));
  AddPicture(images, "nonprev", 32, 48, TColor(0x808080));
  AddPicture(images, "nonnext", 32, 48, TColor(0x707070));
  AddPicture(images, "AnimePic", 0, 0, 0);
  AddPicture(images, "DragPic", 0, 0, 0);
  AddPicture(images, "Grid", 0, 0, 0);
  AddPicture(images, "memori", 400, 200, TColor(0x2020F0), TColor(0xFF00FF));
  AddPicture(images, "trijogi", 400, 200, TColor(0x20F0F0), TColor(0xFF00FF));
  AddPicture(images, "icontri", 48, 40, TColor(0xA040E0), TColor(0xFF00FF));
  AddPicture(images, "UkezaraKona", 0, 0, 0);
  // The drawing layer's own frame, as bench_frame draws it.
  TPictureCollectionItem* full = AddPicture(images, "Full", W, H - T, TColor(0x204020));
  TPictureCollectionItem* small = AddPicture(images, "Small", 160, 120, TColor(0xFF8000));
  TPictureCollectionItem* rotated = AddPicture(images, "Rotated", 400, 200, TColor(0x00C0FF));
  images->SetDXDraw(draw);
  TBoardPicturesOf<TPictureCollection> pictures(images->Items());
  TImageList previews(160, 120);
  board.ImageList = &pictures;
  board.DXDraw = draw;
  board.Previews = &previews;
  board.EraserRect = Rect(W - 20 - 32 - 128, H - 40 - 5, W - 20 - 32, H);
  form->Show();
  winplat::user::PumpMessages();
  if (!draw->CanDraw()) {
    std::fprintf(stderr, "the drawing control did not start\n");
    return 1;
  }
  board.UpdateNowTool();

  // A page covered with chalk, a grid of squares, dust in the air and in the tray.
  RandSeed = 7;
  for (int y = 10; y < H - T; y += 6) {
    board.Chalk->LastX = 0;
    board.Chalk->LastY = y;
    board.ChalkLine(W - 1, y + 3, true);
  }
  {
    std::filesystem::create_directories(std::string(dir) + "/overlay");
    TBitmap tile;
    Fill(&tile, 32, 32, clBlack);
    tile.Canvas()->Brush()->SetColor(TColor(0xC0C0C0));
    tile.Canvas()->FillRect(Rect(0, 0, 32, 1));
    tile.Canvas()->FillRect(Rect(0, 0, 1, 32));
    tile.SaveToFile(std::string(dir) + "/overlay/squares.bmp");
    board.GridName = "squares";
    board.LoadGrid();
    board.GridOn = 1;
  }
  for (int i = 0; i < 200; ++i) {
    auto* k = new TKona();
    k->X = 50 + (i * 97) % (W - 100);
    k->Y = 400 + (i * 61) % 500;
    k->Color = clWhite;
    board.Dust->Add(k);
  }
  for (int x = 0; x < W; x += 3) board.Dust->TrayDust->Canvas()->SetPixels(x, x % 5, clWhite);
  board.Tool = tlRuler;
  board.RulerAnchored = 1;
  board.Chalk->LastX = 700;
  board.Chalk->LastY = 400;
  const TPoint mouse = Point(1300, 700);

  TDirectDrawSurface* s = draw->Surface();
  // The parts of the board's frame, each timed on the processor within the frames.
  const char* partNames[] = {"PaintFrame", "DrawToolCursor", "Flip"};
  bench::Steps boardFrame(
      {[&] { board.PaintFrame(); }, [&] { board.DrawToolCursor(mouse); }, [&] { draw->Flip(); }});
  auto layerFrame = [&] {
    images->Items()->Restore();
    full->Draw(s, 0, 0, 0);
    for (int i = 0; i < 10; ++i) small->DrawAlpha(s, Bounds(100 + i * 170, 300 + (i % 3) * 130, 160, 120), 0, 128);
    rotated->DrawRotateAlpha(s, 600, 500, 400, 200, 0, 0.5, 0.5, 40, 128);
    rotated->DrawRotateAlpha(s, 1300, 600, 400, 200, 0, 0.5, 0.5, 200, 128);
    draw->Flip();
  };
  std::vector<uint8_t> from(size_t(W) * H * 4, 0x5A), to(size_t(W) * H * 4);
  auto copy = [&] { std::memcpy(to.data(), from.data(), from.size()); };
  if (only != "turn") {
    for (int i = 0; i < 5; ++i) {
      boardFrame();
      layerFrame();
      copy();
    }
    const int runs = getenv("BENCH_RUNS") ? atoi(getenv("BENCH_RUNS")) : 60;
    const Timing copyMs = Median(runs, copy);
    const Timing layerMs = Median(runs, layerFrame);
    boardFrame.record = true;
    const Timing frameMs = Median(runs, [&] { boardFrame(); });
    std::printf("memcpy of one %d x %d x 32 frame: %.3f ms (on the processor %.3f ms)\n", W, H, copyMs.wall,
                copyMs.cpu);
    std::printf("drawing layer frame of bench_frame: %.3f ms (on the processor %.3f ms)\n", layerMs.wall, layerMs.cpu);
    Report("busy board frame (PaintFrame, DrawToolCursor, Flip)", frameMs, copyMs, "memcpy", 3);
    std::printf("  / drawing layer frame: %.2f, on the processor %.2f\n", frameMs.wall / layerMs.wall,
                frameMs.cpu / layerMs.cpu);
    std::printf("  parts on the processor:");
    for (int i = 0; i < 3; ++i) std::printf(" %s %.3f ms%s", partNames[i], boardFrame.MedianMs(i), i < 2 ? "," : "\n");
  }

  if (only != "frame") {
    // Page turns between two existing pages, against the same bytes through plain file calls.
    board.CurrentPage = 1;
    board.PageCount = 2;
    board.SavePage();
    board.CurrentPage = 2;
    board.SavePage();
    const std::string tmp = std::string(dir) + "/tmp/";
    auto turn = [&] {
      if (board.CurrentPage == 1)
        board.NextPage();
      else
        board.PrevPage();
    };
    std::vector<std::string> written = {"1.bmp", "1g.bmp", "1.dat"};
    std::vector<std::vector<char>> bytes;
    for (const std::string& n : written) {
      FILE* f = std::fopen((tmp + n).c_str(), "rb");
      std::vector<char> b;
      if (f) {
        char buf[1 << 16];
        size_t got;
        while ((got = std::fread(buf, 1, sizeof buf, f)) > 0) b.insert(b.end(), buf, buf + got);
        std::fclose(f);
      }
      bytes.push_back(std::move(b));
    }
    std::vector<char> readBack(bytes[0].size() + 1);
    auto plain = [&] {
      for (size_t i = 0; i < written.size(); ++i) {
        const std::string name = tmp + "plain_" + written[i];
        const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 || write(fd, bytes[i].data(), bytes[i].size()) != static_cast<ssize_t>(bytes[i].size()))
          std::abort();
        close(fd);
      }
      for (size_t i = 0; i < written.size(); ++i) {
        const std::string name = tmp + "plain_" + written[i];
        const int fd = open(name.c_str(), O_RDONLY);
        if (fd < 0 || read(fd, readBack.data(), readBack.size()) != static_cast<ssize_t>(bytes[i].size())) std::abort();
        close(fd);
      }
    };
    for (int i = 0; i < 3; ++i) {
      turn();
      plain();
    }
    const int turnRuns = 30;
    const Timing plainMs = Median(turnRuns, plain);
    const Timing turnMs = Median(turnRuns, turn);
    size_t total = 0;
    for (const auto& b : bytes) total += b.size();
    std::printf(
        "plain file calls writing and reading one page's files (%zu bytes each way): %.3f ms (on the "
        "processor %.3f ms)\n",
        total, plainMs.wall, plainMs.cpu);
    Report("page turn (SavePage, UpdateThumbnail, LoadPage)", turnMs, plainMs, "plain file calls", 2);
  }

  board.DXDraw = nullptr;
  board.ImageList = nullptr;
  board.Previews = nullptr;
  FreeAndNil(form);
  winplat::screen::SetBackend(nullptr);
  std::filesystem::remove_all(dir);
  return 0;
}
