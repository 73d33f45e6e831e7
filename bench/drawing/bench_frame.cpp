// One board frame at 1920 x 1080 through the drawing layer, beside memcpy of one frame of pixels
// in the same run: a full-screen Draw of a 1920 x 1032 picture, ten DrawAlpha of 160 x 120
// pictures at alpha 128, two DrawRotateAlpha of a 400 x 200 picture and a Flip.
#include <time.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "DXClass.h"
#include "DXDraws.h"
#include "Forms.h"
#include "winplat_screen.h"
#include "winplat_user.h"

namespace {

constexpr int W = 1920, H = 1080;

double NowMs() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

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

// The median of `runs` timings of f, in milliseconds.
template <class F>
double Median(int runs, F f) {
  std::vector<double> t;
  for (int i = 0; i < runs; ++i) {
    const double start = NowMs();
    f();
    t.push_back(NowMs() - start);
  }
  std::sort(t.begin(), t.end());
  return t[t.size() / 2];
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
  auto frame = [&] {
    images->Items()->Restore();  // as the board does every frame
    board->Draw(s, 0, 0, 0);
    for (int i = 0; i < 10; ++i) small->DrawAlpha(s, Bounds(100 + i * 170, 300 + (i % 3) * 130, 160, 120), 0, 128);
    ruler->DrawRotateAlpha(s, 600, 500, 400, 200, 0, 0.5, 0.5, 40, 128);
    ruler->DrawRotateAlpha(s, 1300, 600, 400, 200, 0, 0.5, 0.5, 200, 128);
    draw->Flip();
  };
  std::vector<uint8_t> from(size_t(W) * H * 4, 0x5A), to(size_t(W) * H * 4);
  auto copy = [&] { std::memcpy(to.data(), from.data(), from.size()); };

  for (int i = 0; i < 5; ++i) {
    frame();
    copy();
  }
  const int runs = 60;
  const double copyMs = Median(runs, copy);
  const double frameMs = Median(runs, frame);
  std::printf("memcpy of one %d x %d x 32 frame: %.3f ms\n", W, H, copyMs);
  std::printf("board frame (Draw, 10 DrawAlpha, 2 DrawRotateAlpha, Flip): %.3f ms\n", frameMs);
  std::printf("frame / memcpy: %.2f (goal: within 4)\n", frameMs / copyMs);
  FreeAndNil(form);
  winplat::screen::SetBackend(nullptr);
  return 0;
}
