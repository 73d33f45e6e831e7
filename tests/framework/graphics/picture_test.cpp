// TPicture and its file-format registry; TJPEGImage against JPEG files made here with libjpeg.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

extern "C" {
#include <jpeglib.h>
}

#include "Graphics.h"
#include "Jpeg.h"

namespace {

std::string Fixture(const std::string& name) { return std::string(TEST_DATA_DIR) + "/graphics/" + name; }

// A JPEG of w x h pixels: 8 x 8 blocks of colour(bx, by), RGB or grey.
std::vector<uint8_t> MakeJpeg(int w, int h, bool grey, int quality = 95, bool progressive = false) {
  jpeg_compress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &out, &size);
  c.image_width = w;
  c.image_height = h;
  c.input_components = grey ? 1 : 3;
  c.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, quality, TRUE);
  if (progressive) jpeg_simple_progression(&c);
  jpeg_start_compress(&c, TRUE);
  std::vector<uint8_t> row(static_cast<size_t>(w) * 3);
  while (c.next_scanline < c.image_height) {
    const int y = static_cast<int>(c.next_scanline);
    for (int x = 0; x < w; ++x) {
      const int bx = x / 8, by = y / 8;
      if (grey) {
        row[x] = static_cast<uint8_t>(40 + 60 * ((bx + by) % 4));
      } else {
        row[3 * x] = static_cast<uint8_t>(bx % 2 ? 220 : 30);
        row[3 * x + 1] = static_cast<uint8_t>(by % 2 ? 200 : 40);
        row[3 * x + 2] = static_cast<uint8_t>(120);
      }
    }
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&c, &r, 1);
  }
  jpeg_finish_compress(&c);
  std::vector<uint8_t> data(out, out + size);
  jpeg_destroy_compress(&c);
  std::free(out);
  return data;
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& data) {
  std::ofstream f(path, std::ios::binary);
  f.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

bool Near(TColor a, TColor b, int tolerance) {
  return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
         std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

class CountingGraphic : public TBitmap {};

class CountedImage : public TSharedImage {
 public:
  explicit CountedImage(int* freed) : freed_(freed) {}

 protected:
  void FreeHandle() override { ++*freed_; }

 private:
  int* freed_;
};

}  // namespace

TEST(Jpeg, DecodesColourAndGreyInto24Bits) {
  WriteFile("colour.jpg", MakeJpeg(32, 16, false));
  TJPEGImage j;
  j.LoadFromFile("colour.jpg");
  EXPECT_EQ(j.Width(), 32);
  EXPECT_EQ(j.Height(), 16);
  EXPECT_FALSE(j.Grayscale());
  TBitmap b;
  b.Assign(&j);
  EXPECT_EQ(b.PixelFormat(), pf24bit);
  ASSERT_EQ(b.Width(), 32);
  // Block centres keep their colours within the codec's error.
  EXPECT_TRUE(Near(b.Canvas()->Pixels(3, 3), static_cast<TColor>(RGB(30, 40, 120)), 12)) << std::hex << b.Canvas()->Pixels(3, 3);
  EXPECT_TRUE(Near(b.Canvas()->Pixels(12, 3), static_cast<TColor>(RGB(220, 40, 120)), 12));
  EXPECT_TRUE(Near(b.Canvas()->Pixels(12, 12), static_cast<TColor>(RGB(220, 200, 120)), 12));
  EXPECT_TRUE(Near(b.Canvas()->Pixels(28, 12), static_cast<TColor>(RGB(220, 200, 120)), 12));

  WriteFile("grey.jpg", MakeJpeg(16, 16, true));
  TJPEGImage g;
  g.LoadFromFile("grey.jpg");
  EXPECT_TRUE(g.Grayscale());
  TBitmap gb;
  gb.Assign(&g);
  for (int y = 0; y < 16; y += 5)
    for (int x = 0; x < 16; x += 5) {
      const TColor c = gb.Canvas()->Pixels(x, y);
      EXPECT_EQ(GetRValue(c), GetGValue(c));
      EXPECT_EQ(GetGValue(c), GetBValue(c));
    }
  EXPECT_TRUE(Near(gb.Canvas()->Pixels(12, 3), static_cast<TColor>(RGB(100, 100, 100)), 6));

  // A progressive file (several scans) decodes the same.
  WriteFile("progressive.jpg", MakeJpeg(32, 16, false, 95, true));
  TJPEGImage p;
  p.LoadFromFile("progressive.jpg");
  TBitmap pb;
  pb.Assign(&p);
  EXPECT_TRUE(Near(pb.Canvas()->Pixels(12, 12), static_cast<TColor>(RGB(220, 200, 120)), 12));
}

TEST(Jpeg, TheCommittedFixtureDecodes) {
  TJPEGImage j;
  j.LoadFromFile(Fixture("small.jpg"));
  EXPECT_EQ(j.Width(), 24);
  EXPECT_EQ(j.Height(), 16);
  TBitmap b;
  b.Assign(&j);
  EXPECT_TRUE(Near(b.Canvas()->Pixels(3, 3), static_cast<TColor>(RGB(30, 40, 120)), 12));
}

TEST(Jpeg, BrokenFilesRaiseInvalidGraphic) {
  const std::vector<uint8_t> good = MakeJpeg(16, 16, false);
  std::vector<std::vector<uint8_t>> bad = {
      {},
      {0xFF, 0xD8},
      std::vector<uint8_t>(good.begin(), good.begin() + 100),
      std::vector<uint8_t>(200, 0x41),
  };
  std::vector<uint8_t> hugeSize = good;  // claim 65000 x 65000 in the frame header
  for (size_t i = 0; i + 8 < hugeSize.size(); ++i)
    if (hugeSize[i] == 0xFF && hugeSize[i + 1] == 0xC0) {
      hugeSize[i + 5] = 0xFD; hugeSize[i + 6] = 0xE8; hugeSize[i + 7] = 0xFD; hugeSize[i + 8] = 0xE8;
      break;
    }
  bad.push_back(hugeSize);
  TJPEGImage j;
  for (size_t i = 0; i < bad.size(); ++i) {
    SCOPED_TRACE(i);
    TMemoryStream s;
    if (!bad[i].empty()) s.WriteBuffer(bad[i].data(), static_cast<int32_t>(bad[i].size()));
    s.SetPosition(0);
    EXPECT_THROW(j.LoadFromStream(&s), EInvalidGraphic);
    EXPECT_TRUE(j.Empty());
  }
  // A file cut inside its scans decodes with what is there (libjpeg pads it), as on the platform.
  TMemoryStream cut;
  cut.WriteBuffer(good.data(), static_cast<int32_t>(good.size() - 40));
  cut.SetPosition(0);
  EXPECT_NO_THROW(j.LoadFromStream(&cut));
  EXPECT_EQ(j.Width(), 16);
  EXPECT_THROW(j.SetWidth(3), EInvalidGraphicOperation);
}

TEST(Jpeg, AFileOfEndlessScansIsRefused) {
  // The last scan of a progressive file repeated many times: each would be another full pass.
  std::vector<uint8_t> f = MakeJpeg(64, 64, false, 90, true);
  ASSERT_GE(f.size(), 4u);
  size_t lastScan = 0;
  for (size_t i = 0; i + 1 < f.size() - 2; ++i)
    if (f[i] == 0xFF && f[i + 1] == 0xDA) lastScan = i;
  ASSERT_GT(lastScan, 0u);
  const std::vector<uint8_t> scan(f.begin() + static_cast<ptrdiff_t>(lastScan), f.end() - 2);
  std::vector<uint8_t> bomb(f.begin(), f.end() - 2);
  for (int i = 0; i < 400; ++i) bomb.insert(bomb.end(), scan.begin(), scan.end());
  bomb.push_back(0xFF);
  bomb.push_back(0xD9);
  TMemoryStream s;
  s.WriteBuffer(bomb.data(), static_cast<int32_t>(bomb.size()));
  s.SetPosition(0);
  TJPEGImage j;
  EXPECT_THROW(j.LoadFromStream(&s), EInvalidGraphic);
  EXPECT_TRUE(j.Empty());
}

TEST(Jpeg, SavesTheBytesItRead) {
  const std::vector<uint8_t> data = MakeJpeg(8, 8, false);
  TMemoryStream in;
  in.WriteBuffer(data.data(), static_cast<int32_t>(data.size()));
  in.SetPosition(0);
  TJPEGImage j;
  j.LoadFromStream(&in);
  TMemoryStream out;
  j.SaveToStream(&out);
  ASSERT_EQ(out.Size(), static_cast<int64_t>(data.size()));
  EXPECT_EQ(std::memcmp(out.Memory(), data.data(), data.size()), 0);
}

TEST(Picture, LoadsByExtensionThroughTheRegistry) {
  WriteFile("photo.JPG", MakeJpeg(16, 8, false));
  TPicture p;
  p.LoadFromFile("photo.JPG");
  EXPECT_NE(dynamic_cast<TJPEGImage*>(p.Graphic()), nullptr);
  EXPECT_EQ(p.Width(), 16);
  EXPECT_EQ(p.Height(), 8);
  // Bitmap converts the JPEG into a bitmap of its pixels.
  TBitmap* b = p.Bitmap();
  EXPECT_EQ(p.Graphic(), b);
  EXPECT_EQ(b->Width(), 16);
  EXPECT_TRUE(Near(b->Canvas()->Pixels(2, 2), static_cast<TColor>(RGB(30, 40, 120)), 12));

  p.LoadFromFile(std::string(TEST_DATA_DIR) + "/graphics/bmp/good_8bit.bmp");
  EXPECT_NE(dynamic_cast<TBitmap*>(p.Graphic()), nullptr);
  EXPECT_EQ(p.Bitmap()->PixelFormat(), pf8bit);

  try {
    p.LoadFromFile("notes.xyz");
    FAIL();
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(e.Message(), "不明な画像ファイルの拡張子です (.xyz)");
  }
  EXPECT_NE(dynamic_cast<TBitmap*>(p.Graphic()), nullptr);  // unchanged
  EXPECT_THROW(p.LoadFromFile("missing.bmp"), EFOpenError);
  EXPECT_EQ(TPicture::FileFormatClass(".BMP"), &GraphicClassOf<TBitmap>);
  EXPECT_EQ(TPicture::FileFormatClass("jpeg"), &GraphicClassOf<TJPEGImage>);
  EXPECT_EQ(TPicture::FileFormatClass("png"), nullptr);
}

TEST(Picture, RegisteredClassesAreFoundAndCopied) {
  TPicture::RegisterFileFormat("cnt", "Counting pictures", &GraphicClassOf<CountingGraphic>);
  EXPECT_EQ(TPicture::FileFormatClass("CNT"), &GraphicClassOf<CountingGraphic>);
  CountingGraphic g;
  g.SetPixelFormat(pf24bit);
  g.SetSize(2, 2);
  g.Canvas()->SetPixels(1, 1, clRed);
  g.SaveToFile("one.cnt");
  TPicture p;
  p.LoadFromFile("one.cnt");
  EXPECT_NE(dynamic_cast<CountingGraphic*>(p.Graphic()), nullptr);
  // Assigning a graphic stores a copy of the same class.
  TPicture q;
  q.SetGraphic(&g);
  ASSERT_NE(dynamic_cast<CountingGraphic*>(q.Graphic()), nullptr);
  EXPECT_NE(q.Graphic(), &g);
  EXPECT_EQ(q.Bitmap()->Canvas()->Pixels(1, 1), clRed);
  TPicture r;
  r.Assign(&q);
  EXPECT_EQ(r.Bitmap()->Canvas()->Pixels(1, 1), clRed);
  int changes = 0;
  r.OnChange = [&](TObject*) { ++changes; };
  r.Bitmap()->Canvas()->SetPixels(0, 0, clBlue);  // drawing on the bitmap reaches the picture
  EXPECT_GE(changes, 1);
  TPicture::RegisterClipboardFormat(8, &GraphicClassOf<CountingGraphic>);
  EXPECT_EQ(TPicture::ClipboardFormatClass(8), &GraphicClassOf<CountingGraphic>);
  TPicture::UnregisterGraphicClass(&GraphicClassOf<CountingGraphic>);
  EXPECT_EQ(TPicture::FileFormatClass("cnt"), nullptr);
  EXPECT_EQ(TPicture::ClipboardFormatClass(8), nullptr);
  r.Assign(nullptr);
  EXPECT_EQ(r.Graphic(), nullptr);
  EXPECT_EQ(r.Width(), 0);
}

TEST(Picture, SharedImagesLiveWhileReferenced) {
  int freed = 0;
  auto* image = new CountedImage(&freed);
  image->Reference();
  image->Reference();
  EXPECT_EQ(image->RefCount(), 2);
  image->Release();
  EXPECT_EQ(freed, 0);
  image->Release();  // the last one frees it (the sanitizer checks nothing leaks)
  EXPECT_EQ(freed, 1);
}
