// Image lists: adding strips with masks and mask colours, drawing enabled and disabled,
// moving and replacing, change links, and the images through a form resource.
#include <gtest/gtest.h>

#include <vector>

#include "Classes.h"
#include "Graphics.h"
#include "ImgList.h"
#include "TypInfo.h"

namespace {

// A strip of `n` images of 4 x 4: image k is filled with colours[k], and its top-left pixel
// is magenta (to be masked).
TBitmap* Strip(const std::vector<TColor>& colours) {
  auto* b = new TBitmap();
  b->SetSize(static_cast<int32_t>(4 * colours.size()), 4);
  HDC dc = b->Canvas()->Handle();
  for (size_t k = 0; k < colours.size(); ++k) {
    RECT r{static_cast<LONG>(4 * k), 0, static_cast<LONG>(4 * k + 4), 4};
    HBRUSH br = CreateSolidBrush(static_cast<COLORREF>(colours[k]));
    FillRect(dc, &r, br);
    DeleteObject(br);
    SetPixel(dc, static_cast<int>(4 * k), 0, RGB(255, 0, 255));
  }
  return b;
}

COLORREF At(TBitmap& b, int x, int y) { return GetPixel(b.Canvas()->Handle(), x, y); }

}  // namespace

TEST(ImageList, MaskedStripsDrawOverWhatIsThere) {
  TImageList il(4, 4);
  std::unique_ptr<TBitmap> strip(Strip({clRed, clLime, clBlue}));
  int changes = 0;
  il.OnChange = [&](TObject*) { ++changes; };
  EXPECT_EQ(il.AddMasked(strip.get(), static_cast<TColor>(RGB(255, 0, 255))), 0);
  EXPECT_EQ(il.Count(), 3);
  EXPECT_EQ(changes, 1);
  // Drawn on white: the masked pixel stays white, the rest has the image's colour.
  TBitmap target;
  target.SetSize(8, 8);
  HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
  RECT all{0, 0, 8, 8};
  FillRect(target.Canvas()->Handle(), &all, white);
  DeleteObject(white);
  il.Draw(target.Canvas(), 2, 2, 1);
  EXPECT_EQ(At(target, 2, 2), RGB(255, 255, 255));
  EXPECT_EQ(At(target, 3, 2), RGB(0, 255, 0));
  EXPECT_EQ(At(target, 0, 0), RGB(255, 255, 255));
  // The mask: black where the image shows.
  TBitmap mask;
  ASSERT_TRUE(il.GetMask(2, &mask));
  EXPECT_EQ(At(mask, 0, 0), RGB(255, 255, 255));
  EXPECT_EQ(At(mask, 1, 1), RGB(0, 0, 0));
  // Disabled: the opaque pixels embossed in the highlight and shadow colours.
  FillRect(target.Canvas()->Handle(), &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  il.Draw(target.Canvas(), 0, 0, 0, false);
  EXPECT_EQ(At(target, 1, 1), static_cast<COLORREF>(ColorToRGB(clBtnShadow)));
  EXPECT_EQ(At(target, 4, 4), static_cast<COLORREF>(ColorToRGB(clBtnHighlight)));
  EXPECT_EQ(At(target, 0, 0), RGB(0, 0, 0));  // masked: nothing drawn
  // A bad index draws nothing and GetBitmap refuses it.
  TBitmap img;
  EXPECT_FALSE(il.GetBitmap(3, &img));
  EXPECT_THROW(il.Delete(5), EInvalidOperation);
}

TEST(ImageList, MoveReplaceInsertAndDeleteKeepTheOtherImages) {
  TImageList il(4, 4);
  std::unique_ptr<TBitmap> strip(Strip({clRed, clLime, clBlue}));
  il.AddMasked(strip.get(), static_cast<TColor>(RGB(255, 0, 255)));
  auto colourOf = [&](int i) {
    TBitmap b;
    il.GetBitmap(i, &b);
    return At(b, 2, 2);
  };
  il.Move(0, 2);
  EXPECT_EQ(colourOf(0), RGB(0, 255, 0));
  EXPECT_EQ(colourOf(1), RGB(0, 0, 255));
  EXPECT_EQ(colourOf(2), RGB(255, 0, 0));
  std::unique_ptr<TBitmap> yellow(Strip({clYellow}));
  il.ReplaceMasked(1, yellow.get(), static_cast<TColor>(RGB(255, 0, 255)));
  EXPECT_EQ(il.Count(), 3);
  EXPECT_EQ(colourOf(1), RGB(255, 255, 0));
  TBitmap m;
  il.GetMask(1, &m);
  EXPECT_EQ(At(m, 0, 0), RGB(255, 255, 255));  // the replacement keeps its mask
  std::unique_ptr<TBitmap> two(Strip({clAqua, clMaroon}));
  il.InsertMasked(1, two.get(), static_cast<TColor>(RGB(255, 0, 255)));
  ASSERT_EQ(il.Count(), 5);
  EXPECT_EQ(colourOf(0), RGB(0, 255, 0));
  EXPECT_EQ(colourOf(1), RGB(0, 255, 255));
  EXPECT_EQ(colourOf(2), RGB(128, 0, 0));
  EXPECT_EQ(colourOf(3), RGB(255, 255, 0));
  il.Delete(0);
  EXPECT_EQ(il.Count(), 4);
  EXPECT_EQ(colourOf(0), RGB(0, 255, 255));
  il.SetWidth(8);  // a new size empties the list
  EXPECT_EQ(il.Count(), 0);
  EXPECT_THROW(il.SetHeight(0), EInvalidOperation);
}

TEST(ImageList, ChangeLinksAndUpdatesTellOnce) {
  TImageList il(4, 4);
  int told = 0;
  TChangeLink link;
  link.OnChange = [&](TObject* s) {
    EXPECT_EQ(s, &il);
    ++told;
  };
  il.RegisterChanges(&link);
  EXPECT_EQ(link.Sender(), &il);
  std::unique_ptr<TBitmap> strip(Strip({clRed, clLime}));
  il.BeginUpdate();
  il.Add(strip.get(), nullptr);
  il.Add(strip.get(), nullptr);
  il.Delete(0);
  EXPECT_EQ(told, 0);
  il.EndUpdate();
  EXPECT_EQ(told, 1);
  {
    TChangeLink gone;
    il.RegisterChanges(&gone);
  }  // unregisters itself
  il.Clear();
  EXPECT_EQ(told, 2);
  il.UnRegisterChanges(&link);
  il.Clear();
  EXPECT_EQ(told, 2);
}

TEST(ImageList, ImagesAndMasksSurviveAFormResource) {
  auto* owner = new TComponent(nullptr);
  auto* il = new TImageList(owner);
  il->SetName("ilToolbar");
  il->SetWidth(4);
  il->SetHeight(4);
  std::unique_ptr<TBitmap> strip(Strip({clRed, clBlue}));
  il->AddMasked(strip.get(), static_cast<TColor>(RGB(255, 0, 255)));
  TMemoryStream s;
  WriteComponentToStream(&s, il);
  std::vector<uint8_t> bytes(static_cast<size_t>(s.Size()));
  s.SetPosition(0);
  s.ReadBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
  std::string text = ObjectBinaryToText(bytes);
  EXPECT_NE(text.find("Width = 4"), std::string::npos) << text;
  EXPECT_NE(text.find("Bitmap = {"), std::string::npos) << text;

  TImageList back(nullptr);
  s.SetPosition(0);
  ReadComponentFromStream(&s, &back);
  ASSERT_EQ(back.Count(), 2);
  EXPECT_EQ(back.Width(), 4);
  TBitmap img, mask;
  back.GetBitmap(1, &img);
  back.GetMask(1, &mask);
  EXPECT_EQ(At(img, 2, 2), RGB(0, 0, 255));
  EXPECT_EQ(At(mask, 0, 0), RGB(255, 255, 255));
  EXPECT_EQ(At(mask, 3, 3), RGB(0, 0, 0));
  delete owner;
}
