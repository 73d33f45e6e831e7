// An item's surfaces follow its picture: whichever way the picture's pixels change, the next
// Restore builds them again; a Restore after no change keeps them.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "support.h"
#include "windows.h"

using namespace dxtest;

namespace {

constexpr int kSize = 4;
constexpr TColor kGreen = static_cast<TColor>(0x00C000);  // RGB(0, 192, 0)
constexpr uint32_t kGreenPixel = 0x00C000u;
constexpr uint32_t kRedPixel = 0xFF0000u;

void MakeRed(TBitmap* b) {
  b->SetPixelFormat(pf24bit);
  b->SetSize(kSize, kSize);
  b->Canvas()->Brush()->SetColor(clRed);
  b->Canvas()->FillRect(Rect(0, 0, kSize, kSize));
}

void MakeGreen(TBitmap* b) {
  b->SetPixelFormat(pf24bit);
  b->SetSize(kSize, kSize);
  b->Canvas()->Brush()->SetColor(kGreen);
  b->Canvas()->FillRect(Rect(0, 0, kSize, kSize));
}

struct Way {
  const char* name;
  std::function<void(TPicture*)> turnGreen;
};

const Way kWays[] = {
    {"Assign",
     [](TPicture* p) {
       TBitmap g;
       MakeGreen(&g);
       p->Assign(&g);
     }},
    {"LoadFromFile",
     [](TPicture* p) {
       TBitmap g;
       MakeGreen(&g);
       g.SaveToFile("picture_change_green.bmp");
       p->LoadFromFile("picture_change_green.bmp");
     }},
    {"drawing on Bitmap.Canvas",
     [](TPicture* p) {
       TCanvas* c = p->Bitmap()->Canvas();
       c->Brush()->SetColor(kGreen);
       c->FillRect(Rect(0, 0, kSize, kSize));
     }},
    {"GDI on Bitmap.Canvas.Handle",
     [](TPicture* p) {
       HBRUSH brush = CreateSolidBrush(RGB(0, 192, 0));
       RECT r{0, 0, kSize, kSize};
       FillRect(p->Bitmap()->Canvas()->Handle(), &r, brush);
       DeleteObject(brush);
     }},
    {"GDI through a DC of the caller's",
     [](TPicture* p) {
       HDC dc = CreateCompatibleDC(nullptr);
       HGDIOBJ old = SelectObject(dc, p->Bitmap()->Handle());
       HBRUSH brush = CreateSolidBrush(RGB(0, 192, 0));
       HGDIOBJ oldBrush = SelectObject(dc, brush);
       PatBlt(dc, 0, 0, kSize, kSize, PATCOPY);
       SelectObject(dc, oldBrush);
       DeleteObject(brush);
       SelectObject(dc, old);
       DeleteDC(dc);
     }},
    {"SetDIBits on Bitmap.Handle",
     [](TPicture* p) {
       BITMAPINFO bi{};
       bi.bmiHeader.biSize = sizeof bi.bmiHeader;
       bi.bmiHeader.biWidth = kSize;
       bi.bmiHeader.biHeight = kSize;
       bi.bmiHeader.biPlanes = 1;
       bi.bmiHeader.biBitCount = 32;
       uint32_t pixels[kSize * kSize];
       for (uint32_t& v : pixels) v = kGreenPixel;
       SetDIBits(nullptr, p->Bitmap()->Handle(), 0, kSize, pixels, &bi, DIB_RGB_COLORS);
     }},
    {"ScanLine writes",
     [](TPicture* p) {
       for (int y = 0; y < kSize; ++y) {
         uint8_t* row = p->Bitmap()->ScanLine(y);
         for (int x = 0; x < kSize; ++x) {
           row[3 * x] = 0;
           row[3 * x + 1] = 192;
           row[3 * x + 2] = 0;
         }
       }
     }},
};

class PictureChange : public ::testing::Test {
 protected:
  void SetUp() override {
    item = list.Items()->Add();
    item->SetName("Tool");
    item->SetTransparent(false);
    MakeRed(item->Picture()->Bitmap());
    list.Items()->Initialize(&dd);
    list.Items()->Restore();
  }
  uint32_t Shown() {
    dst->Fill(0);
    item->Draw(dst.get(), 0, 0, 0);
    return dst->Pixels(kSize - 1, kSize - 1);
  }
  TDirectDraw dd;
  TDXImageList list{nullptr};
  TPictureCollectionItem* item = nullptr;
  std::unique_ptr<TDirectDrawSurface> dst = MakeSurface(dd, kSize, kSize);
};

TEST_F(PictureChange, EveryWayOfChangingThePictureReachesTheSurfacesAtTheNextRestore) {
  for (const Way& way : kWays) {
    SCOPED_TRACE(way.name);
    MakeRed(item->Picture()->Bitmap());
    list.Items()->Restore();
    ASSERT_EQ(Shown(), kRedPixel);
    way.turnGreen(item->Picture());
    list.Items()->Restore();
    EXPECT_EQ(Shown(), kGreenPixel);
  }
}

TEST_F(PictureChange, RestoreWithoutAChangeKeepsTheSurfaces) {
  const TDirectDrawSurface* built = item->Surfaces().at(0).get();
  // Drawing the item and reading the picture through GDI change nothing.
  EXPECT_EQ(Shown(), kRedPixel);
  EXPECT_EQ(GetPixel(item->Picture()->Bitmap()->Canvas()->Handle(), 1, 1), RGB(255, 0, 0));
  TBitmap copy;
  copy.Assign(item->Picture()->Bitmap());
  list.Items()->Restore();
  list.Items()->Restore();
  EXPECT_EQ(item->Surfaces().at(0).get(), built);
}

}  // namespace
