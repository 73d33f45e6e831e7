// One board frame at 1920 x 1080 through the drawing layer, beside memcpy of one frame of pixels
// in the same run: a full-screen Draw of a 1920 x 1032 picture, ten DrawAlpha of 160 x 120
// pictures at alpha 128, two DrawRotateAlpha of a 400 x 200 picture and a Flip.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "DXClass.h"
#include "DXDraws.h"
#include "Forms.h"
#include "bench_timing.h"
#include "winplat_screen.h"
#include "winplat_user.h"

namespace {

using bench::Median;
using bench::Timing;

constexpr int W = 1920, H = 1080;

TPictureCollectionItem* AddPicture(TDXImageList* images, const char* name, int w, int h, TColor color) {
  auto* item = images->Items()->Add();
  item->SetName(name);
  TBitmap b;
  b.SetPixelFormat(pf24bit);
  b.SetWidth(w);
  b.SetHeight(h);
  b.Canvas()->Brush()->SetColor(color);
  b.Canvas()->FillRect(Rect(0, 0, w, h));
  b.Canvas()->Brush()->SetColor(clBlack);
  b.Canvas()->FillRect(Rect(w / 4, h / 4, w / 2, h / 2));  // some key-coloured pixels
  item->Picture()->Assign(&b);
  return item;
}

}  // namespace

int main() {
  auto backend = std::make_shared<winplat::screen::HeadlessBackend>();
  backend->SetDisplaySize(W, H);
  winplat::screen::SetBackend(backend);

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
  TPictureCollectionItem* board = AddPicture(images, "Board", W, 1032, TColor(0x204020));
  TPictureCollectionItem* small = AddPicture(images, "Small", 160, 120, TColor(0xFF8000));
  TPictureCollectionItem* ruler = AddPicture(images, "Ruler", 400, 200, TColor(0x00C0FF));
  images->SetDXDraw(draw);
  form->Show();
  winplat::user::PumpMessages();
  if (!draw->CanDraw()) {
    std::fprintf(stderr, "the drawing control did not start\n");
    return 1;
  }

  TDirectDrawSurface* s = draw->Surface();
  auto restore = [&] { images->Items()->Restore(); };  // as the board does every frame
  auto full = [&] { board->Draw(s, 0, 0, 0); };
  auto alpha = [&] {
    for (int i = 0; i < 10; ++i) small->DrawAlpha(s, Bounds(100 + i * 170, 300 + (i % 3) * 130, 160, 120), 0, 128);
  };
  auto rotate = [&] {
    ruler->DrawRotateAlpha(s, 600, 500, 400, 200, 0, 0.5, 0.5, 40, 128);
    ruler->DrawRotateAlpha(s, 1300, 600, 400, 200, 0, 0.5, 0.5, 200, 128);
  };
  auto flip = [&] { draw->Flip(); };
  // Each part's processor time inside the timed frames, for the breakdown.
  bench::Steps frame({restore, full, alpha, rotate, flip});
  std::vector<uint8_t> from(size_t(W) * H * 4, 0x5A), to(size_t(W) * H * 4);
  auto copy = [&] { std::memcpy(to.data(), from.data(), from.size()); };

  for (int i = 0; i < 5; ++i) {
    frame();
    copy();
  }
  const int runs = 60;
  const Timing copyMs = Median(runs, copy);
  frame.record = true;
  const Timing frameMs = Median(runs, [&] { frame(); });
  std::printf("memcpy of one %d x %d x 32 frame: %.3f ms (on the processor %.3f ms)\n", W, H, copyMs.wall, copyMs.cpu);
  std::printf("board frame (Draw, 10 DrawAlpha, 2 DrawRotateAlpha, Flip): %.3f ms (on the processor %.3f ms)\n",
              frameMs.wall, frameMs.cpu);
  std::printf("frame / memcpy: %.2f, on the processor %.2f (goal: within 4)\n", frameMs.wall / copyMs.wall,
              frameMs.cpu / copyMs.cpu);
  // Where the frame's time goes: the median of each part within the frames, on the processor.
  double parts[5];
  for (int i = 0; i < 5; ++i) parts[i] = frame.MedianMs(i);
  std::printf("  parts: restore %.3f, Draw %.3f, 10 DrawAlpha %.3f, 2 DrawRotateAlpha %.3f, Flip %.3f ms\n", parts[0],
              parts[1], parts[2], parts[3], parts[4]);
  FreeAndNil(form);
  winplat::screen::SetBackend(nullptr);
  return 0;
}
