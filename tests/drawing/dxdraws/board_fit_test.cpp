// The board reaches its pictures through TBoardPicturesOf<>: the picture collection fits it.
#include <gtest/gtest.h>

#include "Unit_Slatora.h"
#include "support.h"

TEST(BoardPictures, ThePictureCollectionServesTheBoard) {
  TDirectDraw dd;
  TDXImageList list(nullptr);
  list.Items()->Add()->SetName("UkezaraKona");
  list.Items()->Initialize(&dd);
  TBoardPicturesOf<TPictureCollection> pictures(list.Items());
  TBoardPictureItem* item = pictures.Find("ukezarakona");
  EXPECT_EQ(pictures.Find("UkezaraKona"), item);
  TBitmap dust;
  dust.SetPixelFormat(pf24bit);
  dust.SetSize(5, 2);
  item->Picture()->Assign(&dust);
  item->SetTransparentColor(clBlack);
  item->SetTransparent(true);
  pictures.Restore();
  EXPECT_EQ(list.Items()->Items(0)->Surfaces().size(), 1u);
  EXPECT_THROW(pictures.Find("none"), EPictureCollectionError);
}
