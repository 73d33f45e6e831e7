// Owner-drawn menus: the form and the pop-ups' window route WM_MEASUREITEM and WM_DRAWITEM to
// the items; the handlers' order, the top-level flag, the framework's measuring and drawing, and
// mnemonics of items that have no platform text.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <string>
#include <vector>

#include "../controls/ui_fixture.h"
#include "Forms.h"
#include "ImgList.h"
#include "Menus.h"
#include "menu_test_support.h"
#include "test_support.h"

namespace {

using menu_test::BarRect;
using menu_test::DropDownItemPoint;
using menu_test::MenuWindows;
using menu_test::Script;

// Records what the framework hands the item's drawing.
class TRecordingItem : public TMenuItem {
 public:
  explicit TRecordingItem(TComponent* AOwner) : TMenuItem(AOwner) {}
  struct Call {
    bool top;
    bool selected;
    TRect rect;
  };
  std::vector<Call> calls;
  void AdvancedDrawItem(TCanvas* ACanvas, TRect ARect, TOwnerDrawState State, bool TopLevel) override {
    calls.push_back({TopLevel, State.Contains(odSelected), ARect});
    TMenuItem::AdvancedDrawItem(ACanvas, ARect, State, TopLevel);
  }
};

// Measures as a layer above the framework would: its own handler set aside while the framework
// measures, the width grown, then the handler once.
class TWiderItem : public TMenuItem {
 public:
  explicit TWiderItem(TComponent* AOwner) : TMenuItem(AOwner) {}
  void MeasureItem(TCanvas* ACanvas, int& Width, int& Height) override {
    TMenuMeasureItemEvent saved = OnMeasureItem;
    OnMeasureItem = nullptr;
    try {
      TMenuItem::MeasureItem(ACanvas, Width, Height);
    } catch (...) {
      OnMeasureItem = saved;
      throw;
    }
    OnMeasureItem = saved;
    Width += 5;
    if (OnMeasureItem) OnMeasureItem(this, ACanvas, Width, Height);
  }
};

// The box the pixels of one colour cover in a band of columns; -1 sides when none.
struct Extent {
  int left = -1, top = -1, right = -1, bottom = -1;
};
Extent ExtentOf(TCanvas& c, TColor colour, int from, int to, int height) {
  Extent e;
  for (int x = from; x < to; ++x)
    for (int y = 0; y < height; ++y)
      if (c.Pixels(x, y) == colour) {
        if (e.left < 0 || x < e.left) e.left = x;
        if (e.top < 0 || y < e.top) e.top = y;
        e.right = std::max(e.right, x);
        e.bottom = std::max(e.bottom, y);
      }
  return e;
}

// Keeps a drawn item to look at, four times enlarged.
void SavePicture(TBitmap& bmp, const std::string& name) {
  const int k = 4, w = bmp.Width(), h = bmp.Height();
  std::vector<uint32_t> px(static_cast<size_t>(w * k * h * k));
  for (int y = 0; y < h * k; ++y)
    for (int x = 0; x < w * k; ++x) {
      const TColor c = bmp.Canvas()->Pixels(x / k, y / k);
      px[static_cast<size_t>(y * w * k + x)] = ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
    }
  std::string file = "menu_item_";
  for (char ch : name) file += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
  test_support::WritePng(file + ".png", w * k, h * k, px);
}

class OwnerDrawTest : public UiTest {
 protected:
  void TearDown() override {
    winplat::user::SetModalIdleHandler({});
    UiTest::TearDown();
  }
  template <class T = TMenuItem>
  static T* Add(TMenuItem* parent, TComponent* owner, const char* caption) {
    auto* i = new T(owner);
    i->SetCaption(caption);
    parent->Add(i);
    return i;
  }
};

TEST_F(OwnerDrawTest, TheFormRoutesItsMenusItemsToTheirDrawingInHandlerOrder) {
  TForm* form = CreateNewForm<TForm>(Application);
  form->SetBounds(20, 20, 300, 200);
  auto* menu = new TMainMenu(form);
  menu->SetOwnerDraw(true);
  auto* file = Add<TRecordingItem>(menu->Items(), form, "&File");
  auto* open = Add<TRecordingItem>(file, form, "&Open");
  auto* tall = Add<TRecordingItem>(file, form, "&Tall");
  std::vector<std::string> order;
  open->OnDrawItem = [&](TObject*, TCanvas*, TRect, bool) { order.push_back("draw"); };
  open->OnAdvancedDrawItem = [&](TObject*, TCanvas*, TRect, TOwnerDrawState) { order.push_back("advanced"); };
  int measured = 0;
  tall->OnMeasureItem = [&](TObject*, TCanvas*, int&, int& Height) {
    ++measured;
    Height = 30;
  };
  form->SetMenu(menu);
  form->Show();
  Application->ProcessMessages();
  // The bar's item is drawn by the framework as a top-level item.
  ASSERT_FALSE(file->calls.empty());
  EXPECT_TRUE(file->calls.back().top);
  EXPECT_EQ(file->calls.back().rect.bottom - file->calls.back().rect.top, GetSystemMetrics(SM_CYMENU));
  std::vector<TRecordingItem::Call> open_calls, tall_calls;
  Script({[] {
            const POINT p = DropDownItemPoint(0, 0);
            Input().MouseMove(p.x, p.y);
          },
          [&] {
            open_calls = open->calls;
            tall_calls = tall->calls;
            Input().PressKey(VK_ESCAPE);
          }});
  const RECT bar = BarRect(form->Handle());
  Input().Click(bar.left + 4, (bar.top + bar.bottom) / 2);
  Application->ProcessMessages();
  ASSERT_FALSE(open_calls.empty());
  EXPECT_FALSE(open_calls.front().top);
  EXPECT_FALSE(open_calls.front().selected);
  EXPECT_TRUE(open_calls.back().selected);  // drawn again under the mouse
  // OnDrawItem, then OnAdvancedDrawItem, each time the item is drawn.
  ASSERT_EQ(order.size(), 2 * open_calls.size());
  for (size_t i = 0; i < order.size(); i += 2) {
    EXPECT_EQ(order[i], "draw");
    EXPECT_EQ(order[i + 1], "advanced");
  }
  // The measuring handler's height is the item's.
  EXPECT_GE(measured, 1);
  ASSERT_FALSE(tall_calls.empty());
  EXPECT_EQ(tall_calls.back().rect.bottom - tall_calls.back().rect.top, 30);
  FreeAndNil(form);
}

// The framework's measuring: the glyph column, the caption, the shortcut; the test font has
// half-width characters of 6 pixels and full-width ones of 12, 12 high.
TEST_F(OwnerDrawTest, TheFrameworksMeasuring) {
  auto* owner = new TComponent(nullptr);
  auto* popup = new TPopupMenu(owner);
  popup->SetAutoHotkeys(maManual);
  popup->SetOwnerDraw(true);
  auto* images = new TImageList(owner);
  images->SetWidth(16);
  images->SetHeight(16);
  auto* bar = new TMainMenu(owner);
  bar->SetAutoHotkeys(maManual);
  bar->SetOwnerDraw(true);
  struct Case {
    const char* name;
    const char* caption;
    TShortCut shortcut;
    bool images;
    bool top;
    int width, height;
  };
  const TShortCut ctrl_o = ShortCut('O', TShiftState{ssCtrl});
  const Case cases[] = {
      {"text", "Open", 0, false, false, 24, 22},
      {"marks are not measured", "&Open", 0, false, false, 24, 22},
      {"double-byte text", "開く", 0, false, false, 24, 22},
      {"an empty caption measures a space", "", 0, false, false, 6, 22},
      {"shortcut and its gap", "Open", ctrl_o, false, false, 24 + 36 + 15, 22},
      {"images: their column and height", "Open", 0, true, false, 16 + 15 + 24 + 7, 16 + 4 + 3},
      {"separator", "-", 0, false, false, -2, 5 + 3},
      {"on the bar: no shortcut, the bar's height", "File", ctrl_o, false, true, 6 + 24 + 6, 19},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TMenu* menu = c.top ? static_cast<TMenu*>(bar) : popup;
    menu->SetImages(c.images ? images : nullptr);
    auto* item = Add(menu->Items(), owner, c.caption);
    item->SetShortCut(c.shortcut);
    MEASUREITEMSTRUCT mis{ODT_MENU, 0, item->Command(), 0, 19, reinterpret_cast<ULONG_PTR>(item)};
    ASSERT_TRUE(menu->MeasureItemMessage(mis));
    EXPECT_EQ(static_cast<int>(mis.itemWidth), std::max(c.width, 0));
    EXPECT_EQ(static_cast<int>(mis.itemHeight), c.height);
    delete item;
  }
  // A layer above measures with the framework and runs its handler once, with its width.
  auto* plain = Add(popup->Items(), owner, "開く");
  auto* wider = Add<TWiderItem>(popup->Items(), owner, "開く");
  std::vector<int> widths;
  auto handler = [&](TObject*, TCanvas*, int& Width, int&) { widths.push_back(Width); };
  plain->OnMeasureItem = handler;
  wider->OnMeasureItem = handler;
  MEASUREITEMSTRUCT a{ODT_MENU, 0, plain->Command(), 0, 19, 0}, b{ODT_MENU, 0, wider->Command(), 0, 19, 0};
  popup->SetImages(nullptr);
  popup->MeasureItemMessage(a);
  popup->MeasureItemMessage(b);
  ASSERT_EQ(widths.size(), 2u);
  EXPECT_EQ(widths[1], widths[0] + 5);
  EXPECT_EQ(static_cast<int>(b.itemWidth), widths[0] + 5);
  // Not an item of this menu, or not a menu's item: not answered.
  MEASUREITEMSTRUCT other{ODT_MENU, 0, 0xFFFF, 0, 19, 0}, button{ODT_BUTTON, 0, plain->Command(), 0, 19, 0};
  EXPECT_FALSE(popup->MeasureItemMessage(other));
  EXPECT_FALSE(popup->MeasureItemMessage(button));
  delete owner;
}

// The framework's drawing of an item without handlers, pixel by pixel on a bitmap.
TEST_F(OwnerDrawTest, TheFrameworksDrawing) {
  auto* owner = new TComponent(nullptr);
  auto* popup = new TPopupMenu(owner);
  popup->SetAutoHotkeys(maManual);
  popup->SetOwnerDraw(true);
  auto* item = Add(popup->Items(), owner, "Open");
  const int W = 200, H = 22;
  auto rgb = [](TColor c) { return ColorToRGB(c); };
  struct Case {
    const char* name;
    bool selected, enabled;
    TColor back, text;
    TColor emboss;  // clNone: no embossed copy
  };
  const Case cases[] = {
      {"normal", false, true, clMenu, clMenuText, clNone},
      {"selected", true, true, clHighlight, clHighlightText, clNone},
      {"disabled: embossed", false, false, clMenu, clBtnShadow, clBtnHighlight},
      {"disabled and selected", true, false, clHighlight, clBtnShadow, clNone},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    item->SetEnabled(c.enabled);
    item->SetShortCut(ShortCut('O', TShiftState{ssCtrl}));
    TBitmap bmp;
    bmp.SetSize(W, H);
    TOwnerDrawState state;
    if (c.selected) state.Include(odSelected);
    if (!c.enabled) state.Include(odGrayed);
    {
      TCanvas* canvas = bmp.Canvas();
      canvas->Font()->SetName("VSE Test Fixed");
      canvas->Font()->SetHeight(-12);
      item->AdvancedDrawItem(canvas, Rect(0, 0, W, H), state, false);
    }
    TCanvas* cv = bmp.Canvas();
    SavePicture(bmp, c.name);
    EXPECT_EQ(cv->Pixels(1, 1), rgb(c.back));
    EXPECT_EQ(cv->Pixels(W - 2, H - 2), rgb(c.back));
    // Where the text's pixels are: the caption's from 6 pixels in (the column and its gaps),
    // centred in the height; the shortcut's ending 10 pixels before the edge.
    const Extent caption = ExtentOf(*cv, rgb(c.text), 0, W / 2, H);
    const Extent shortcut = ExtentOf(*cv, rgb(c.text), W / 2, W, H);
    EXPECT_GE(caption.left, 6);
    EXPECT_LE(caption.left, 7);
    EXPECT_LE(caption.right, 6 + 24);
    EXPECT_GE(caption.top, 5);  // the 12-pixel line centred in 22: rows 5 to 16
    EXPECT_LE(caption.top, 6);
    EXPECT_LE(caption.bottom, 16);
    EXPECT_LE(shortcut.right, W - 11);
    EXPECT_GE(shortcut.right, W - 13);
    // A disabled item's text is first drawn one pixel down and right in the highlight colour.
    const Extent emboss = ExtentOf(*cv, rgb(c.emboss == clNone ? clBtnHighlight : c.emboss), 0, W / 2, H);
    if (c.emboss != clNone) {
      EXPECT_EQ(emboss.right, caption.right + 1);
      EXPECT_EQ(emboss.bottom, caption.bottom + 1);
    } else if (rgb(c.text) != rgb(clBtnHighlight)) {
      EXPECT_EQ(emboss.right, -1);  // none
    }
  }
  // A checked item with images: its check mark in the images' column.
  auto* images = new TImageList(owner);
  images->SetWidth(16);
  images->SetHeight(16);
  popup->SetImages(images);
  item->SetEnabled(true);
  item->SetChecked(true);
  TBitmap bmp;
  bmp.SetSize(W, H);
  item->AdvancedDrawItem(bmp.Canvas(), Rect(0, 0, W, H), TOwnerDrawState{odChecked}, false);
  int marks = 0;
  for (int x = 1; x < 18; ++x)
    for (int y = 0; y < H; ++y) marks += bmp.Canvas()->Pixels(x, y) == rgb(clMenuText);
  EXPECT_GT(marks, 10);
  // The caption moves right of the column: 1 + 16, then the gaps.
  EXPECT_EQ(bmp.Canvas()->Pixels(6, 10), rgb(clMenu));
  EXPECT_EQ(bmp.Canvas()->Pixels(1 + 16 + 2 + 1 + 2, 10), rgb(clMenuText));
  delete owner;
}

TEST_F(OwnerDrawTest, AltAndAMnemonicFindsTheOwnerDrawnBarItemThroughTheForm) {
  TForm* form = CreateNewForm<TForm>(Application);
  form->SetBounds(20, 20, 300, 200);
  auto* menu = new TMainMenu(form);
  menu->SetOwnerDraw(true);
  auto* file = Add(menu->Items(), form, "&File");
  auto* view = Add(menu->Items(), form, "&View");
  Add(file, form, "&Open");
  auto* grid = Add(view, form, "&Grid");
  int grids = 0;
  grid->OnClick = [&](TObject*) { ++grids; };
  form->SetMenu(menu);
  form->Show();
  Application->ProcessMessages();
  // The platform items have no text: Alt+V and then G are found by the framework (WM_MENUCHAR).
  Script({[] { Input().TypeText(u"g"); }});
  Input().KeyDown(VK_MENU);
  Input().PressKey('V');
  Input().KeyUp(VK_MENU);
  Application->ProcessMessages();
  EXPECT_EQ(grids, 1);
  EXPECT_TRUE(MenuWindows().empty());
  FreeAndNil(form);
}

TEST_F(OwnerDrawTest, AnImageOfTheMenusImagesBesideTheCaption) {
  auto* owner = new TComponent(nullptr);
  auto* popup = new TPopupMenu(owner);
  auto* images = new TImageList(owner);
  images->SetWidth(16);
  images->SetHeight(16);
  TBitmap red;
  red.SetSize(16, 16);
  red.Canvas()->Brush()->SetColor(clRed);
  red.Canvas()->FillRect(Rect(0, 0, 16, 16));
  ASSERT_EQ(images->Add(&red, nullptr), 0);
  popup->SetImages(images);  // images alone make the items the framework's to draw
  auto* item = Add(popup->Items(), owner, "&Open");
  item->SetImageIndex(0);
  EXPECT_TRUE(item->IsOwnerDraw());
  EXPECT_EQ(GetMenuState(popup->Handle(), item->Command(), MF_BYCOMMAND) & MF_OWNERDRAW, MF_OWNERDRAW);
  const int W = 120, H = 23;
  for (bool checked : {false, true}) {
    SCOPED_TRACE(checked ? "checked" : "not checked");
    item->SetChecked(checked);
    TBitmap bmp;
    bmp.SetSize(W, H);
    item->AdvancedDrawItem(bmp.Canvas(), Rect(0, 0, W, H), TOwnerDrawState{}, false);
    SavePicture(bmp, checked ? "image_checked" : "image");
    // The image in the column from x 1 (2 when checked), centred in the height.
    const Extent image = ExtentOf(*bmp.Canvas(), ColorToRGB(clRed), 0, W, H);
    EXPECT_EQ(image.left, checked ? 2 : 1);
    EXPECT_EQ(image.right, image.left + 15);
    EXPECT_EQ(image.top, (H - 16) / 2);
    // The caption right of the column.
    const Extent caption = ExtentOf(*bmp.Canvas(), ColorToRGB(clMenuText), image.right + 1, W, H);
    EXPECT_GE(caption.left, 1 + 16 + 2 + 1 + 2);
  }
  delete owner;
}

// The framework's drawing in a real drop-down, with the real fonts: images, a check, Japanese
// captions with their mnemonics, shortcuts, a disabled item and a separator.
TEST_F(OwnerDrawTest, TheFrameworksDrawingOfADropDownOnTheScreen) {
  winplat::gdi::UseTestFontForAll(false);
  TForm* form = CreateNewForm<TForm>(Application);
  form->SetBounds(20, 20, 360, 220);
  form->SetCaption("描画するメニュー");
  auto* images = new TImageList(form);
  images->SetWidth(16);
  images->SetHeight(16);
  for (TColor c : {clRed, clGreen}) {
    TBitmap b;
    b.SetSize(16, 16);
    b.Canvas()->Brush()->SetColor(c);
    b.Canvas()->Ellipse(1, 1, 15, 15);
    images->AddMasked(&b, clWhite);
  }
  auto* menu = new TMainMenu(form);
  menu->SetImages(images);
  auto* board = Add(menu->Items(), form, "黒板(&B)");
  auto* open = Add(board, form, "開く(&O)...");
  open->SetImageIndex(0);
  open->SetShortCut(ShortCut('O', TShiftState{ssCtrl}));
  auto* save = Add(board, form, "保存(&S)");
  save->SetImageIndex(1);
  save->SetEnabled(false);
  Add(board, form, "-");
  auto* grid = Add(board, form, "グリッド(&G)");
  grid->SetChecked(true);
  grid->SetShortCut(ShortCut('G', TShiftState{ssCtrl}));
  form->SetMenu(menu);
  form->Show();
  Application->ProcessMessages();
  bool shot = false;
  std::vector<HWND> open_windows;
  int red = 0;
  Script({[&] {
    open_windows = MenuWindows();
    shot = test_support::WriteScreenshotPng("menu_owner_drawn.png");
    // The first item is selected (the keyboard opened it): its image is on the highlight.
    RECT r;
    if (open_windows.size() == 1 && GetWindowRect(open_windows[0], &r))
      for (int x = r.left; x < r.left + 30; ++x)
        for (int y = r.top; y < r.top + 30; ++y) red += Px(x, y) == 0xFF0000u;
    Input().PressKey(VK_ESCAPE);
  }});
  Input().KeyDown(VK_MENU);
  Input().PressKey('B');
  Input().KeyUp(VK_MENU);
  Application->ProcessMessages();
  EXPECT_TRUE(shot);
  EXPECT_EQ(open_windows.size(), 1u);
  EXPECT_GT(red, 50);
  FreeAndNil(form);
}

TEST_F(OwnerDrawTest, APopupsOwnerDrawnItemsAreDrawnThroughItsWindowAndTheirMnemonicsWork) {
  HWND window = test_support::CreateOwnerWindow(u"owner");
  auto* owner = new TComponent(nullptr);
  auto* popup = new TPopupMenu(owner);
  popup->SetOwnerDraw(true);
  auto* open = Add<TRecordingItem>(popup->Items(), owner, "&Open");
  auto* save = Add<TRecordingItem>(popup->Items(), owner, "&Save");
  int saved = 0;
  save->OnClick = [&](TObject*) { ++saved; };
  std::vector<TRecordingItem::Call> drawn;
  Script({[&] {
    drawn = open->calls;
    Input().TypeText(u"s");  // no platform text: the menu asks the framework
  }});
  popup->Popup(100, 100);
  Application->ProcessMessages();
  EXPECT_TRUE(MenuWindows().empty());
  ASSERT_FALSE(drawn.empty());
  EXPECT_FALSE(drawn.back().top);
  EXPECT_EQ(saved, 1);
  // The answer to WM_MENUCHAR: the item's position and "execute".
  EXPECT_EQ(popup->ProcessMenuChar(u'S', popup->Handle()), static_cast<LRESULT>(MAKELONG(1, MNC_EXECUTE)));
  EXPECT_EQ(popup->ProcessMenuChar(u'q', popup->Handle()), 0);
  delete owner;
  DestroyWindow(window);
}

}  // namespace
