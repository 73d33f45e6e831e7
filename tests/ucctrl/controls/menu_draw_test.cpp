// Owner-drawn wide menu items, drawn and measured on a bitmap with the fixed-metric font (8 pixels
// a half-width character, 16 a full-width one): where the wide caption and shortcut land in left-
// to-right and right-to-left menus, the embossed disabled text, the measured widths; the wide
// pop-up list's hints and the wide texts put back into the platform menus.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "Graphics.h"
#include "Menus.h"
#include "UcForms.h"
#include "UcMenus.h"
#include "UcSysUtils.h"
#include "wide_test_support.h"
#include "windows.h"
#include "winplat_mode.h"

namespace {

const WideString kCaption = u"한국 𠮷";  // 16 + 16 + 8 + 16 = 56 pixels wide
const TShortCut kCtrlS = 0x4000 | 'S';    // "Ctrl+S": 48 pixels

// The columns of the bitmap's rows Top..Bottom-1 that hold a pixel of Colour.
std::vector<int> InkColumns(TBitmap* b, TColor Colour, int Left = 0, int Right = -1, int Top = 0, int Bottom = -1) {
  if (Right < 0) Right = b->Width();
  if (Bottom < 0) Bottom = b->Height();
  const TColor want = ColorToRGB(Colour);
  std::vector<int> xs;
  for (int x = Left; x < Right; ++x)
    for (int y = Top; y < Bottom; ++y)
      if (ColorToRGB(b->Canvas()->Pixels(x, y)) == want) {
        xs.push_back(x);
        break;
      }
  return xs;
}

// The runs of consecutive columns, as (first, last) pairs; a gap of more than Gap ends a run.
std::vector<std::pair<int, int>> Runs(const std::vector<int>& xs, int Gap = 20) {
  std::vector<std::pair<int, int>> r;
  for (int x : xs) {
    if (r.empty() || x - r.back().second > Gap) r.push_back({x, x});
    else r.back().second = x;
  }
  return r;
}

class WideMenuDrawTest : public WideUiTest {
 protected:
  void SetUp() override {
    WideUiTest::SetUp();
    bitmap = std::make_unique<TBitmap>();
    bitmap->SetWidth(640);
    bitmap->SetHeight(24);
    popup = std::make_unique<TPopupMenu>(nullptr);
    popup->SetAutoHotkeys(maManual);  // no mnemonics of the menu's own
    popup->OnChange = [this](TObject*, TMenuItem*, bool) { ++changes; };
    item = new TUcMenuItem(popup.get());
    popup->Items()->Add(item);
    item->SetCaption(kCaption);
    item->SetShortCut(kCtrlS);
    changes = 0;
  }
  void TearDown() override {
    popup.reset();
    bitmap.reset();
    WideUiTest::TearDown();
  }
  // A fresh canvas state, as the menu's window gives one: menu colour and the 16-pixel font.
  TCanvas* Canvas() {
    TCanvas* c = bitmap->Canvas();
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(clFuchsia);  // no colour a menu item draws with
    c->FillRect(TRect{0, 0, bitmap->Width(), bitmap->Height()});
    c->Font()->SetHeight(-16);
    c->Font()->SetStyle({});
    return c;
  }
  void Draw(TRect R, TOwnerDrawState State = {}) { item->AdvancedDrawItem(Canvas(), R, State, false); }

  std::unique_ptr<TBitmap> bitmap;
  std::unique_ptr<TPopupMenu> popup;
  TUcMenuItem* item = nullptr;
  int changes = 0;
};

TEST_F(WideMenuDrawTest, LeftToRightTheWideCaptionLeadsAndTheShortcutEndsTenPixelsBeforeTheEdge) {
  Draw(TRect{20, 0, 320, 20});
  const auto runs = Runs(InkColumns(bitmap.get(), clMenuText));
  ASSERT_EQ(runs.size(), 2u);
  // Glyph column 1..1 widened to 0..3, the text from 4 + 2: the caption's five wide characters,
  // each box one pixel narrower than its advance.
  EXPECT_EQ(runs[0].first, 20 + 6);
  EXPECT_EQ(runs[0].second, 20 + 6 + 56 - 2);  // the ANSI form "?? ??" would end 16 pixels sooner
  // "Ctrl+S" right-aligned against the item's right (less 1) minus 10.
  EXPECT_EQ(runs[1].second, 320 - 1 - 10 - 2);
  EXPECT_EQ(runs[1].first, 320 - 1 - 10 - 48);
  // The texts are back and nothing was rebuilt while the framework drew without them.
  EXPECT_EQ(item->Caption(), kCaption);
  EXPECT_EQ(item->ShortCut(), kCtrlS);
  EXPECT_EQ(changes, 0);

  // The same through the menu's WM_DRAWITEM, as the window's owner-drawn item is, in the menus'
  // font (a cell of px pixels: half-width characters (px + 1) / 2).
  LOGFONTA lf{};
  ASSERT_NE(GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf), 0);
  const int px = lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight, half = (px + 1) / 2;
  DRAWITEMSTRUCT d{};
  d.CtlType = ODT_MENU;
  d.itemID = item->Command();
  d.hDC = Canvas()->Handle();
  d.rcItem = RECT{20, 0, 320, 20};
  ASSERT_TRUE(popup->DrawItemMessage(d));
  const auto message_runs = Runs(InkColumns(bitmap.get(), clMenuText), px + 4);
  ASSERT_EQ(message_runs.size(), 2u);
  EXPECT_EQ(message_runs[0].first, 20 + 6);
  EXPECT_EQ(message_runs[0].second, 20 + 6 + 3 * px + half - 2);
  EXPECT_EQ(message_runs[1].second, 320 - 1 - 10 - 2);
}

TEST_F(WideMenuDrawTest, RightToLeftTheShortcutStartsTenPixelsFromTheItemsOwnLeftEdge) {
  popup->SetBiDiMode(bdRightToLeft);
  // A second column: the item does not start at the menu's left edge.
  for (int left : {0, 300}) {
    SCOPED_TRACE(left);
    Draw(TRect{left, 0, left + 300, 20});
    const auto runs = Runs(InkColumns(bitmap.get(), clMenuText));
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].first, left + 10);  // the shortcut, exactly as wide as its text
    EXPECT_EQ(runs[0].second, left + 10 + 48 - 2);
    // The caption right-aligned before the mirrored glyph column (598..601 of 300..600).
    EXPECT_EQ(runs[1].second, left + 300 - 4 - 2);
    EXPECT_EQ(runs[1].second - runs[1].first, 56 - 2);
    EXPECT_TRUE(InkColumns(bitmap.get(), clMenuText, 0, left).empty());
  }
}

TEST_F(WideMenuDrawTest, TheTextStartsBesideTheGlyphColumnOfTheMenusImages) {
  // The glyph column is 1 pixel in and as wide as the images (none: empty), widened by 1 before
  // and 2 after; the text starts 1 + 2 pixels beyond it, mirrored in a right-to-left menu.
  struct Case {
    int images;  // width of the menu's image list; 0: none
    bool rtl;
    int edge;    // LTR: first ink column of the caption; RTL: its last
  } cases[] = {{0, false, 6}, {16, false, 22}, {24, false, 30}, {0, true, 294}, {16, true, 278}, {24, true, 270}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.images * 10 + c.rtl);
    std::unique_ptr<TImageList> images;
    if (c.images) {
      images = std::make_unique<TImageList>(nullptr);
      images->SetWidth(c.images);
      images->SetHeight(16);
    }
    popup->SetImages(images.get());
    popup->SetBiDiMode(c.rtl ? bdRightToLeft : bdLeftToRight);
    item->SetShortCut(0);
    Draw(TRect{0, 0, 300, 20});
    const auto ink = InkColumns(bitmap.get(), clMenuText);
    ASSERT_FALSE(ink.empty());
    EXPECT_EQ(c.rtl ? ink.back() : ink.front(), c.edge);
    EXPECT_EQ(ink.back() - ink.front(), 56 - 2);
    popup->SetImages(nullptr);
  }
}

TEST_F(WideMenuDrawTest, ADisabledUnselectedItemIsEmbossedAndASelectedOneIsNot) {
  item->SetEnabled(false);
  changes = 0;
  Draw(TRect{0, 0, 300, 20});
  const auto shadow = InkColumns(bitmap.get(), clBtnShadow);
  const auto light = InkColumns(bitmap.get(), clBtnHighlight, 0, 300, 0, 20);
  ASSERT_FALSE(shadow.empty());
  ASSERT_FALSE(light.empty());
  EXPECT_EQ(shadow.front(), 6);
  EXPECT_EQ(light.back(), shadow.back() + 1);  // one pixel right (and down) of the text
  EXPECT_EQ(Runs(shadow).size(), 2u);          // caption and shortcut
  // Selected: the text once, in the shadow colour on the highlight.
  Draw(TRect{0, 0, 300, 20}, TOwnerDrawState{odSelected});
  EXPECT_FALSE(InkColumns(bitmap.get(), clBtnShadow).empty());
  EXPECT_TRUE(InkColumns(bitmap.get(), clBtnHighlight, 0, 300, 0, 20).empty() ||
              ColorToRGB(clHighlight) == ColorToRGB(clBtnShadow));
  EXPECT_EQ(changes, 0);
}

TEST_F(WideMenuDrawTest, AnItemWithItsOwnDrawingHandlerInAnOwnerDrawnMenuIsTheFrameworks) {
  popup->SetOwnerDraw(true);
  int drawn = 0;
  item->OnAdvancedDrawItem = [&](TObject*, TCanvas*, TRect, TOwnerDrawState) { ++drawn; };
  Draw(TRect{0, 0, 300, 20});
  EXPECT_EQ(drawn, 1);
  EXPECT_TRUE(InkColumns(bitmap.get(), clMenuText).empty());
}

TEST_F(WideMenuDrawTest, MeasuringWidensByTheWideTextsAndRunsTheItemsHandlerOnceAfter) {
  auto* plain = new TMenuItem(popup.get());
  popup->Items()->Add(plain);
  plain->SetCaption(WideToAnsi(kCaption));
  plain->SetShortCut(kCtrlS);
  ASSERT_EQ(plain->Caption(), WideToAnsi(kCaption));
  int w0 = 0, h0 = 0, w1 = 0, h1 = 0;
  plain->MeasureItem(Canvas(), w0, h0);
  std::vector<int> seen;
  item->OnMeasureItem = [&](TObject*, TCanvas*, int& W, int&) { seen.push_back(W); };
  item->MeasureItem(Canvas(), w1, h1);
  EXPECT_EQ(w1 - w0, 56 - 40);  // "한국 𠮷" against "?? ??"; the shortcut texts are equal
  EXPECT_EQ(h1, h0);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0], w1);
  EXPECT_TRUE(item->OnMeasureItem);

  // An empty caption measures one line high, as wide as the framework's empty caption.
  item->SetCaption(WideString());
  plain->SetCaption("");
  item->OnMeasureItem = nullptr;
  int we = 0, he = 0, wp = 0, hp = 0;
  item->MeasureItem(Canvas(), we, he);
  plain->MeasureItem(Canvas(), wp, hp);
  EXPECT_EQ(we, wp);
  EXPECT_EQ(he, hp);
  EXPECT_EQ(he, h1);
  EXPECT_EQ(item->WideTextWidth(Canvas(), WideString()), 8);  // a blank
}

TEST_F(WideMenuDrawTest, ThePopupListGivesTheSelectedItemsLongWideHintToTheApplication) {
  ASSERT_NE(dynamic_cast<TUcPopupList*>(PopupList), nullptr);
  const WideString long_hint = u"長い 한국 𠮷";
  item->SetHint(u"短い 한|" + long_hint);
  HWND w = PopupList->Window();
  HMENU menu = popup->Handle();
  SendMessageW(w, WM_MENUSELECT, MAKEWPARAM(item->Command(), MF_STRING), reinterpret_cast<LPARAM>(menu));
  EXPECT_EQ(UcApplication()->Hint(), long_hint);
  SendMessageW(w, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);  // the menu closed
  EXPECT_EQ(UcApplication()->Hint(), u"");

  // Entering the menu loop puts the wide texts back where something else changed them.
  MENUITEMINFOA mi{};
  mi.cbSize = sizeof mi;
  mi.fMask = MIIM_TYPE;
  mi.fType = MFT_STRING;
  char other[] = "other";
  mi.dwTypeData = other;
  ASSERT_TRUE(SetMenuItemInfoA(menu, 0, TRUE, &mi));
  SendMessageW(w, WM_ENTERMENULOOP, 1, 0);
  char16_t text[64] = {};
  const int n = GetMenuStringW(menu, 0, text, 64, MF_BYPOSITION);
  EXPECT_EQ(WideString(text, static_cast<size_t>(std::max(n, 0))), kCaption + u"\tCtrl+S");
  // A command chosen from the menu still reaches its item.
  int clicks = 0;
  item->OnClick = [&](TObject*) { ++clicks; };
  SendMessageW(w, WM_COMMAND, item->Command(), 0);
  EXPECT_EQ(clicks, 1);
}

TEST_F(WideMenuDrawTest, ThePopupListGivesBackTheFrameworksListAndItsMenus) {
  auto* wide = dynamic_cast<TUcPopupList*>(PopupList);
  ASSERT_NE(wide, nullptr);
  TPopupList* saved = wide->SavedPopupList();
  EXPECT_GE(PopupList->IndexOf(popup.get()), 0);
  DoneUcApplication();
  EXPECT_EQ(PopupList, saved);
  EXPECT_GE(PopupList->IndexOf(popup.get()), 0);
  UcApplication();
  EXPECT_NE(dynamic_cast<TUcPopupList*>(PopupList), nullptr);
  EXPECT_GE(PopupList->IndexOf(popup.get()), 0);
}

// On the Windows 9x-like platform the framework draws and measures the item with its ANSI texts,
// and no wide call is made.
class AnsiWideMenuDrawTest : public WideMenuDrawTest {
 protected:
  void SetUp() override {
    SwitchToAnsiPlatform();
    WideMenuDrawTest::SetUp();
  }
  void TearDown() override {
    WideMenuDrawTest::TearDown();
    SwitchToUnicodePlatform();
  }
};

TEST_F(AnsiWideMenuDrawTest, TheFrameworkDrawsAndMeasuresTheAnsiTexts) {
  winplat::ResetWideCallViolations();
  Draw(TRect{20, 0, 320, 20});
  const auto runs = Runs(InkColumns(bitmap.get(), clMenuText));
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].first, 20 + 6);
  EXPECT_EQ(runs[0].second, 20 + 6 + 40 - 2);  // "?? ??"
  EXPECT_EQ(runs[1].second, 320 - 1 - 10 - 2);
  auto* plain = new TMenuItem(popup.get());
  popup->Items()->Add(plain);
  plain->SetCaption(WideToAnsi(kCaption));
  plain->SetShortCut(kCtrlS);
  int w0 = 0, h0 = 0, w1 = 0, h1 = 0;
  plain->MeasureItem(Canvas(), w0, h0);
  item->MeasureItem(Canvas(), w1, h1);
  EXPECT_EQ(w1, w0);
  EXPECT_EQ(h1, h0);
  EXPECT_EQ(winplat::WideCallViolations(), 0u);
}

}  // namespace
