// Icons (.ico reading and writing, drawing, the application's icon) and the image control
// (placement of its picture, automatic size, repainting, streaming in a form).
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "Classes_Streaming.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "test_icons.h"
#include "ui_fixture.h"

namespace {

// ---- helpers -----------------------------------------------------------------------------------

HBITMAP Bitmap32(int w, int h, const std::function<uint32_t(int, int)>& f) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bm = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  auto* p = static_cast<uint32_t*>(bits);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) p[y * w + x] = f(x, y);
  return bm;
}

// 16 x 16: a colour gradient, clear in the three left columns and on the diagonal.
bool PatternClear(int x, int y) { return x < 3 || x == y; }
uint32_t PatternColor(int x, int y) { return PatternClear(x, y) ? 0 : (static_cast<uint32_t>(x * 16) << 16) | (y * 16 << 8) | 0x80; }

HICON PatternIcon() {
  HBITMAP color = Bitmap32(16, 16, PatternColor);
  HBITMAP mask = Bitmap32(16, 16, [](int x, int y) { return PatternClear(x, y) ? 0x00FFFFFFu : 0u; });
  ICONINFO info{TRUE, 0, 0, mask, color};
  HICON icon = CreateIconIndirect(&info);
  DeleteObject(color);
  DeleteObject(mask);
  return icon;
}

std::vector<uint8_t> StreamBytes(TMemoryStream& s) {
  const auto* p = static_cast<const uint8_t*>(s.Memory());
  return std::vector<uint8_t>(p, p + s.Size());
}

// An .ico file built by hand: each image is a bitmap of `bits` bits per pixel (1: a two-colour
// table, 24: direct colours) with its mask.
struct IcoImage {
  int w, h, bits;
  uint32_t color0, color1;           // 1 bit: the table; 24 bits: left and right halves
  std::function<bool(int, int)> clear;
};

void Put(std::vector<uint8_t>& v, uint32_t x, int n) {
  for (int i = 0; i < n; ++i) v.push_back(i < 4 ? static_cast<uint8_t>(x >> (8 * i)) : 0);
}

std::vector<uint8_t> BuildIco(const std::vector<IcoImage>& images) {
  std::vector<std::vector<uint8_t>> data;
  for (const IcoImage& im : images) {
    std::vector<uint8_t> d;
    const int colors = im.bits == 1 ? 2 : 0;
    const int xor_stride = (im.w * im.bits + 31) / 32 * 4, and_stride = (im.w + 31) / 32 * 4;
    Put(d, 40, 4);
    Put(d, static_cast<uint32_t>(im.w), 4);
    Put(d, static_cast<uint32_t>(im.h * 2), 4);
    Put(d, 1, 2);
    Put(d, static_cast<uint32_t>(im.bits), 2);
    Put(d, 0, 4);
    Put(d, static_cast<uint32_t>((xor_stride + and_stride) * im.h), 4);
    Put(d, 0, 16);
    if (colors) {
      for (uint32_t c : {im.color0, im.color1}) Put(d, c & 0x00FFFFFFu, 4);  // 0x00RRGGBB is B, G, R, 0
    }
    for (int y = im.h - 1; y >= 0; --y) {
      std::vector<uint8_t> row(static_cast<size_t>(xor_stride), 0);
      for (int x = 0; x < im.w; ++x) {
        const bool right = x >= im.w / 2;
        if (im.bits == 1) {
          if (right) row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        } else {
          const uint32_t c = right ? im.color1 : im.color0;
          row[x * 3] = static_cast<uint8_t>(c);
          row[x * 3 + 1] = static_cast<uint8_t>(c >> 8);
          row[x * 3 + 2] = static_cast<uint8_t>(c >> 16);
        }
      }
      d.insert(d.end(), row.begin(), row.end());
    }
    for (int y = im.h - 1; y >= 0; --y) {
      std::vector<uint8_t> row(static_cast<size_t>(and_stride), 0);
      for (int x = 0; x < im.w; ++x)
        if (im.clear(x, y)) row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
      d.insert(d.end(), row.begin(), row.end());
    }
    data.push_back(std::move(d));
  }
  std::vector<uint8_t> f;
  Put(f, 0, 2);
  Put(f, 1, 2);
  Put(f, static_cast<uint32_t>(images.size()), 2);
  uint32_t offset = static_cast<uint32_t>(6 + 16 * images.size());
  for (size_t i = 0; i < images.size(); ++i) {
    f.push_back(static_cast<uint8_t>(images[i].w));
    f.push_back(static_cast<uint8_t>(images[i].h));
    f.push_back(images[i].bits == 1 ? 2 : 0);
    f.push_back(0);
    Put(f, 1, 2);
    Put(f, static_cast<uint32_t>(images[i].bits), 2);
    Put(f, static_cast<uint32_t>(data[i].size()), 4);
    Put(f, offset, 4);
    offset += static_cast<uint32_t>(data[i].size());
  }
  for (const auto& d : data) f.insert(f.end(), d.begin(), d.end());
  return f;
}

// A 16 x 16 one-bit image (red left, blue right, clear top row) and a 32 x 32 true-colour one
// (green left, yellow right, clear left column).
std::vector<uint8_t> TwoImageIco() {
  return BuildIco({{16, 16, 1, 0xFF0000, 0x0000FF, [](int, int y) { return y == 0; }},
                   {32, 32, 24, 0x00FF00, 0xFFFF00, [](int x, int) { return x == 0; }}});
}

void LoadBytes(TIcon& icon, const std::vector<uint8_t>& bytes) {
  TMemoryStream s;
  s.WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
  s.SetPosition(0);
  icon.LoadFromStream(&s);
}

// A borderless form at the top left of the screen.
TForm* PlainFormOf(int Width, int Height) {
  TForm* f = CreateNewForm<TForm>(nullptr);
  f->SetBorderStyle(bsNone);
  f->SetBounds(0, 0, Width, Height);
  return f;
}

class IconTest : public UiTest {};

// ---- icons -------------------------------------------------------------------------------------

TEST_F(IconTest, AnIconMadeFromAHandleSurvivesTheRoundTripThroughAnIcoFile) {
  TIcon icon;
  EXPECT_TRUE(icon.Empty());
  EXPECT_TRUE(icon.Transparent());
  icon.SetHandle(PatternIcon());
  EXPECT_EQ(icon.Width(), 16);
  EXPECT_EQ(icon.Height(), 16);
  TMemoryStream saved;
  icon.SaveToStream(&saved);
  saved.SetPosition(0);
  TIcon back;
  back.LoadFromStream(&saved);
  EXPECT_EQ(saved.Position(), saved.Size());
  ASSERT_FALSE(back.Empty());
  EXPECT_EQ(back.Width(), 16);
  EXPECT_EQ(back.Height(), 16);
  auto [color, mask] = IconPixels(back.Handle());
  int wrong = 0;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      wrong += (mask.at(x, y) != 0) != PatternClear(x, y);
      wrong += color.at(x, y) != PatternColor(x, y);
    }
  EXPECT_EQ(wrong, 0);
  // Written again, the icon read gives back the same file.
  TMemoryStream again;
  back.SaveToStream(&again);
  EXPECT_EQ(StreamBytes(again), StreamBytes(saved));
}

TEST_F(IconTest, ReadingChoosesTheImageNearestTheSizeAskedForAndKeepsTheWholeFile) {
  const std::vector<uint8_t> file = TwoImageIco();
  struct Case {
    int asked;  // 0: the system's icon size
    int size;
    uint32_t left, right;
  };
  for (const Case& c : {Case{0, 32, 0x00FF00, 0xFFFF00}, Case{16, 16, 0xFF0000, 0x0000FF}, Case{20, 16, 0xFF0000, 0x0000FF},
                        Case{48, 32, 0x00FF00, 0xFFFF00}}) {
    SCOPED_TRACE(c.asked);
    TIcon icon;
    if (c.asked) {
      icon.SetWidth(c.asked);
      icon.SetHeight(c.asked);
    }
    TMemoryStream s;
    s.WriteBuffer(file.data(), static_cast<int32_t>(file.size()));
    s.WriteBuffer("tail", 4);  // what follows the icon in the stream is left there
    s.SetPosition(0);
    icon.LoadFromStream(&s);
    EXPECT_EQ(s.Position(), static_cast<int64_t>(file.size()));
    ASSERT_EQ(icon.Width(), c.size);
    EXPECT_EQ(icon.Height(), c.size);
    auto [color, mask] = IconPixels(icon.Handle());
    EXPECT_EQ(color.at(2, 3), c.left);
    EXPECT_EQ(color.at(c.size - 1, 3), c.right);
    const int cx = c.size == 16 ? 5 : 0, cy = c.size == 16 ? 0 : 5;  // a clear pixel of each
    EXPECT_NE(mask.at(cx, cy), 0u);
    EXPECT_EQ(mask.at(3, 3), 0u);
    TMemoryStream out;
    icon.SaveToStream(&out);
    EXPECT_EQ(StreamBytes(out), file);
  }
}

TEST_F(IconTest, BadIcoDataIsRefusedAndLeavesTheIconAsItWas) {
  const std::vector<uint8_t> good = TwoImageIco();
  auto with = [&](const std::function<void(std::vector<uint8_t>&)>& change) {
    std::vector<uint8_t> v = good;
    change(v);
    return v;
  };
  auto set32 = [](std::vector<uint8_t>& v, size_t at, uint32_t x) {
    for (int i = 0; i < 4; ++i) v[at + i] = static_cast<uint8_t>(x >> (8 * i));
  };
  // The images' headers: 16 x 16 at one bit (table 8, rows 64, mask 64), then 32 x 32.
  const size_t image1 = 6 + 32, image2 = image1 + 40 + 8 + 64 + 64;
  const std::vector<std::pair<const char*, std::vector<uint8_t>>> cases = {
      {"shorter than its directory", std::vector<uint8_t>(good.begin(), good.begin() + 5)},
      {"entries cut", std::vector<uint8_t>(good.begin(), good.begin() + 20)},
      {"a cursor file", with([](auto& v) { v[2] = 2; })},
      {"no images", with([](auto& v) { v[4] = 0; })},
      {"image data cut", std::vector<uint8_t>(good.begin(), good.end() - 10)},
      {"offset inside the directory", with([&](auto& v) { set32(v, 6 + 12, 10); set32(v, 6 + 16 + 12, 10); })},
      {"huge sizes", with([&](auto& v) { set32(v, 6 + 8, 0xFFFFFFF0u); })},
      {"bad depths", with([&](auto& v) {
         v[image1 + 14] = 3;
         v[image2 + 14] = 7;
       })},
      {"zero width", with([&](auto& v) {
         set32(v, image1 + 4, 0);
         set32(v, image2 + 4, 0);
       })},
      {"mask missing", with([&](auto& v) {
         // Both entries end where their colour rows end.
         set32(v, 6 + 8, 40 + 8 + 64);
         set32(v, 6 + 16 + 8, 40 + 32 * 96);
       })},
      {"PNG images only", with([&](auto& v) {
         static const uint8_t sig[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
         std::memcpy(&v[image1], sig, 8);
         std::memcpy(&v[image2], sig, 8);
       })},
  };
  for (const auto& [name, bytes] : cases) {
    SCOPED_TRACE(name);
    TIcon icon;
    EXPECT_THROW(LoadBytes(icon, bytes), EInvalidGraphic);
    EXPECT_TRUE(icon.Empty());
    TIcon full;
    full.SetHandle(PatternIcon());
    EXPECT_THROW(LoadBytes(full, bytes), EInvalidGraphic);
    EXPECT_EQ(full.Width(), 16);
  }
}

TEST_F(IconTest, AnIconHasTheSizeOfItsImage) {
  TIcon icon;
  icon.SetHandle(PatternIcon());
  EXPECT_NO_THROW(icon.SetWidth(16));
  EXPECT_THROW(icon.SetWidth(32), EInvalidGraphicOperation);
  EXPECT_THROW(icon.SetHeight(8), EInvalidGraphicOperation);
  HICON h = icon.ReleaseHandle();
  EXPECT_TRUE(icon.Empty());
  EXPECT_EQ(icon.Width(), 0);
  TMemoryStream nothing;
  icon.SaveToStream(&nothing);
  EXPECT_EQ(nothing.Size(), 0);
  DestroyIcon(h);
}

TEST_F(IconTest, DrawingLetsTheBackgroundShowWhereTheMaskIsSet) {
  TIcon icon;
  icon.SetHandle(PatternIcon());
  TBitmap b;
  b.SetSize(40, 40);
  b.Canvas()->Brush()->SetColor(clLime);
  b.Canvas()->FillRect(Rect(0, 0, 40, 40));
  b.Canvas()->Draw(4, 4, &icon);
  EXPECT_EQ(ColorToRGB(b.Canvas()->Pixels(4 + 1, 4 + 5)), clLime);   // clear column
  EXPECT_EQ(ColorToRGB(b.Canvas()->Pixels(4 + 7, 4 + 7)), clLime);   // clear diagonal
  const uint32_t c = PatternColor(10, 5);
  EXPECT_EQ(b.Canvas()->Pixels(4 + 10, 4 + 5), static_cast<TColor>(RGB(c >> 16, (c >> 8) & 0xFF, c & 0xFF)));
  EXPECT_EQ(ColorToRGB(b.Canvas()->Pixels(30, 30)), clLime);
  // Stretched to twice its size.
  b.Canvas()->StretchDraw(Rect(0, 0, 32, 32), &icon);
  EXPECT_EQ(b.Canvas()->Pixels(21, 11), static_cast<TColor>(RGB(c >> 16, (c >> 8) & 0xFF, c & 0xFF)));
  EXPECT_EQ(ColorToRGB(b.Canvas()->Pixels(3, 20)), clLime);
}

TEST_F(IconTest, TheApplicationIconIsTheStandardOneAndPicturesTakeIcons) {
  TIcon* app = Application->Icon();
  ASSERT_NE(app, nullptr);
  EXPECT_EQ(app->Handle(), LoadIconA(nullptr, IDI_APPLICATION));
  EXPECT_EQ(app->Width(), 32);
  EXPECT_EQ(app, Application->Icon());
  // A picture given the application's icon holds an icon of its own.
  TPicture p;
  p.Assign(app);
  auto* held = dynamic_cast<TIcon*>(p.Graphic());
  ASSERT_NE(held, nullptr);
  EXPECT_NE(held->Handle(), app->Handle());
  EXPECT_EQ(held->Width(), 32);
  EXPECT_EQ(IconPixels(held->Handle()).first.px, IconPixels(app->Handle()).first.px);
  // Another icon for the application is a copy; the original stays the caller's.
  TIcon mine;
  mine.SetHandle(PatternIcon());
  Application->SetIcon(&mine);
  EXPECT_EQ(Application->Icon()->Width(), 16);
  EXPECT_NE(Application->Icon()->Handle(), mine.Handle());
  // Files named .ico load as icons.
  {
    TFileStream f("pattern.ico", fmCreate);
    mine.SaveToStream(&f);
  }
  TPicture fromFile;
  fromFile.LoadFromFile("pattern.ico");
  ASSERT_NE(dynamic_cast<TIcon*>(fromFile.Graphic()), nullptr);
  EXPECT_EQ(fromFile.Width(), 16);
  EXPECT_EQ(TPicture::FileFormatClass(".ICO"), TPicture::FileFormatClass("ico"));
}

// ---- the image control -------------------------------------------------------------------------

class ImageTest : public UiTest {};

TEST_F(ImageTest, ThePictureIsPlacedByCenterStretchAndProportional) {
  struct Case {
    int pw, ph;
    bool center, stretch, proportional;
    TRect expected;
  };
  // The control's client area is 100 x 50.
  const Case cases[] = {
      {40, 20, false, false, false, {0, 0, 40, 20}},
      {40, 20, true, false, false, {30, 15, 70, 35}},
      {40, 20, false, true, false, {0, 0, 100, 50}},
      {40, 10, false, true, true, {0, 0, 100, 25}},
      {40, 10, true, true, true, {0, 12, 100, 37}},
      {10, 40, false, true, true, {0, 0, 12, 50}},
      {10, 40, true, true, true, {44, 0, 56, 50}},
      {200, 50, false, false, true, {0, 0, 100, 25}},  // shrunk: it is larger than the control
      {40, 20, false, false, true, {0, 0, 40, 20}},    // not enlarged without Stretch
      {200, 50, false, false, false, {0, 0, 200, 50}},
      {60, 50, false, true, true, {0, 0, 60, 50}},
      {120, 100, false, false, true, {0, 0, 60, 50}},  // the wider side would overflow the height
      {300, 20, true, true, true, {0, 22, 100, 28}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.pw << "x" << c.ph << " center " << c.center << " stretch " << c.stretch
                                    << " proportional " << c.proportional);
    TImage image(nullptr);
    image.SetBounds(0, 0, 100, 50);
    TBitmap b;
    b.SetSize(c.pw, c.ph);
    image.Picture()->Assign(&b);
    image.SetCenter(c.center);
    image.SetStretch(c.stretch);
    image.SetProportional(c.proportional);
    const TRect r = image.DestRect();
    EXPECT_EQ(r.left, c.expected.left);
    EXPECT_EQ(r.top, c.expected.top);
    EXPECT_EQ(r.right, c.expected.right);
    EXPECT_EQ(r.bottom, c.expected.bottom);
  }
}

TEST_F(ImageTest, AutoSizeFollowsThePictureAsItChanges) {
  TImage image(nullptr);
  EXPECT_EQ(image.Width(), 105);
  TBitmap b;
  b.SetSize(30, 20);
  image.Picture()->Assign(&b);
  EXPECT_EQ(image.Width(), 105);  // not without AutoSize
  image.SetAutoSize(true);
  EXPECT_EQ(image.Width(), 30);
  EXPECT_EQ(image.Height(), 20);
  image.Picture()->Bitmap()->SetSize(50, 60);
  EXPECT_EQ(image.Width(), 50);
  EXPECT_EQ(image.Height(), 60);
  image.Picture()->Assign(nullptr);  // no picture: the size stays
  EXPECT_EQ(image.Width(), 50);
}

TEST_F(ImageTest, TheImageRepaintsWhenItsPictureChangesAndIconsKeepTheirMask) {
  TForm* f = PlainFormOf(200, 100);
  f->SetColor(clLime);
  auto* image = new TImage(f);
  image->SetBounds(10, 10, 40, 40);
  image->SetParent(f);
  TBitmap red;
  red.SetSize(40, 40);
  red.Canvas()->Brush()->SetColor(clRed);
  red.Canvas()->FillRect(Rect(0, 0, 40, 40));
  image->Picture()->Assign(&red);
  f->Show();
  winplat::user::PumpMessages();
  EXPECT_EQ(Px(20, 20), 0xFF0000u);
  // Drawing on the picture's own bitmap shows.
  image->Picture()->Bitmap()->Canvas()->Brush()->SetColor(clBlue);
  image->Picture()->Bitmap()->Canvas()->FillRect(Rect(0, 0, 20, 40));
  winplat::user::PumpMessages();
  EXPECT_EQ(Px(20, 20), 0x0000FFu);
  EXPECT_EQ(Px(40, 20), 0xFF0000u);
  // An icon: the form shows through its clear pixels.
  TIcon icon;
  icon.SetHandle(PatternIcon());
  image->Picture()->Assign(&icon);
  winplat::user::PumpMessages();
  EXPECT_EQ(Px(10 + 1, 10 + 8), 0x00FF00u);
  EXPECT_EQ(Px(10 + 10, 10 + 5), PatternColor(10, 5));
  EXPECT_EQ(Px(10 + 30, 10 + 30), 0x00FF00u);  // outside the icon
  delete f;
}

TEST_F(ImageTest, AFormResourceHoldsAnImageWithItsPicture) {
  const std::string text =
      "object ImageForm: TForm\n"
      "  Left = 0\n"
      "  Top = 0\n"
      "  Width = 200\n"
      "  Height = 120\n"
      "  object Picture1: TImage\n"
      "    Left = 8\n"
      "    Top = 10\n"
      "    Width = 40\n"
      "    Height = 30\n"
      "    Center = True\n"
      "    Proportional = True\n"
      "    Stretch = True\n"
      "    Transparent = True\n"
      "  end\n"
      "end\n";
  std::vector<uint8_t> bin = ObjectTextToBinary(text);
  TForm* f = CreateNewForm<TForm>(nullptr);
  {
    TMemoryStream s;
    s.WriteBuffer(bin.data(), static_cast<int32_t>(bin.size()));
    s.SetPosition(0);
    ReadComponentFromStream(&s, f);
  }
  auto* image = dynamic_cast<TImage*>(f->FindComponent("Picture1"));
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->Parent(), f);
  EXPECT_EQ(image->Left(), 8);
  EXPECT_EQ(image->Top(), 10);
  EXPECT_TRUE(image->Center());
  EXPECT_TRUE(image->Proportional());
  EXPECT_TRUE(image->Stretch());
  EXPECT_TRUE(image->Transparent());
  EXPECT_FALSE(image->AutoSize());

  // Written with an icon in it and read into another form: the same icon file comes back.
  TIcon icon;
  icon.SetHandle(PatternIcon());
  image->Picture()->Assign(&icon);
  TMemoryStream written;
  WriteComponentToStream(&written, f);
  const std::string again = ObjectBinaryToText(StreamBytes(written));
  EXPECT_NE(again.find("Picture.Data = {"), std::string::npos);
  EXPECT_EQ(again.find("AutoSize"), std::string::npos);  // defaults are not written
  written.SetPosition(0);
  TForm* g = CreateNewForm<TForm>(nullptr);
  ReadComponentFromStream(&written, g);
  auto* copy = dynamic_cast<TImage*>(g->FindComponent("Picture1"));
  ASSERT_NE(copy, nullptr);
  auto* held = dynamic_cast<TIcon*>(copy->Picture()->Graphic());
  ASSERT_NE(held, nullptr);
  TMemoryStream a, b;
  dynamic_cast<TIcon*>(image->Picture()->Graphic())->SaveToStream(&a);
  held->SaveToStream(&b);
  EXPECT_EQ(StreamBytes(a), StreamBytes(b));
  delete g;
  delete f;
}

}  // namespace
