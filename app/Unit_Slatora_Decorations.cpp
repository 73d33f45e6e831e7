// Page decorations: the grid laid over the page, the change of the board colour, the date stamp.
#include "Unit_Slatora.h"
#include "windows.h"

void TBlackBoard::LoadGrid() {
  const AnsiString file = ProgramFolder() + "overlay\\" + GridName + ".bmp";
  TBitmap tile;
  bool loaded = false;
  if (FileExists(file)) {
    try {
      tile.LoadFromFile(file);
      loaded = tile.Width() > 0 && tile.Height() > 0;
    } catch (const Exception&) {
      loaded = false;  // a tile that does not load is no grid
    }
  }
  TBoardPictureItem* item = ImageList ? ImageList->Find("Grid") : nullptr;
  if (loaded) {
    TBitmap grid;
    grid.SetPixelFormat(pf24bit);
    grid.SetSize(ScreenWidth, ScreenHeight - TrayHeight);  // new pixels are black: clear
    const int32_t tw = tile.Width(), th = tile.Height();
    HDC dst = grid.Canvas()->Handle(), src = tile.Canvas()->Handle();
    for (int32_t col = 0; col <= grid.Width() / tw; ++col)
      for (int32_t row = 0; row <= grid.Height() / th; ++row) BitBlt(dst, col * tw, row * th, tw, th, src, 0, 0, SRCCOPY);
    if (item) {
      item->Picture()->Assign(&grid);
      item->SetTransparentColor(clBlack);
      item->SetTransparent(true);
      ImageList->Restore();
    }
    return;
  }
  GridOn = 0;
  if (item) {
    TBitmap* b = item->Picture()->Bitmap();
    b->Canvas()->Brush()->SetStyle(bsSolid);
    b->Canvas()->Brush()->SetColor(clBlack);
    b->Canvas()->FillRect(Rect(0, 0, b->Width(), b->Height()));
    ImageList->Restore();
  }
  if (GetKeyState(VK_SHIFT) >= 0) ShowMainForm();
}

void TBlackBoard::ReplaceColor(TColor OldColor, TColor NewColor) {
  if (static_cast<int32_t>(OldColor) < 0 || OldColor == NewColor) return;
  const uint8_t ob = static_cast<uint8_t>(OldColor >> 16), og = static_cast<uint8_t>(OldColor >> 8),
                orr = static_cast<uint8_t>(OldColor);
  const uint8_t nb = static_cast<uint8_t>(NewColor >> 16), ng = static_cast<uint8_t>(NewColor >> 8),
                nr = static_cast<uint8_t>(NewColor);
  const int32_t w = Board->Width();
  for (int32_t y = 0; y < Board->Height(); ++y) {
    uint8_t* p = Board->ScanLine(y);
    for (int32_t x = 0; x < w; ++x, p += 3)
      if (p[0] == ob && p[1] == og && p[2] == orr) {
        p[0] = nb;
        p[1] = ng;
        p[2] = nr;
      }
  }
}

void TBlackBoard::StampDate(int32_t X, int32_t Y) {
  Word year = 0, month = 0, day = 0;
  const TDateTime today = Today ? Today() : Date();
  DecodeDate(today, year, month, day);
  const int weekday = DayOfWeek(today);
  HDC dst = Board->Canvas()->Handle(), src = DateFont->Canvas()->Handle();
  auto digit = [&](int d, int32_t x, int32_t y) { BlitBlackTransparent(dst, x, y, 32, 64, src, d * 32, 0); };
  auto twoOrOne = [&](int value, int32_t y) {
    if (value >= 10) {
      digit(value / 10, X, y);
      digit(value % 10, X + 32, y);
    } else {
      digit(value, X + 16, y);
    }
  };
  twoOrOne(month, Y);
  Y += 60;
  BlitBlackTransparent(dst, X, Y, 64, 64, src, 320, 0);  // month sign
  Y += 64;
  twoOrOne(day, Y);
  Y += 60;
  BlitBlackTransparent(dst, X, Y, 64, 64, src, 384, 0);  // day sign
  Y += 64;
  BlitBlackTransparent(dst, X, Y, 64, 64, src, (weekday - 1) * 64, 64);
}
