// The sample form: read from its text form resource (Japanese captions), shown on the headless
// screen with the real fonts, and saved as a picture.
#include <gtest/gtest.h>

#include <string>

#include "Forms.h"
#include "TypInfo.h"
#include "test_support.h"
#include "ui_fixture.h"

// A sign: its caption centred on its colour.
class TTextSign : public TGraphicControl {
 public:
  explicit TTextSign(TComponent* AOwner) : TGraphicControl(AOwner) { SetBounds(0, 0, 100, 24); }

 protected:
  void Paint() override {
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(ClientRect());
    Canvas()->Font()->Assign(Font());
    Canvas()->Brush()->SetStyle(bsClear);
    RECT r = ClientRect();
    const AnsiString text = Caption();
    DrawTextA(Canvas()->Handle(), text.c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
};

// A small blackboard: a wooden frame, chalk strokes and its caption written in chalk.
class TChalkBoard : public TCustomControl {
 public:
  explicit TChalkBoard(TComponent* AOwner) : TCustomControl(AOwner) {}
  int Clicks = 0;

 protected:
  void Paint() override {
    const TRect r = ClientRect();
    Canvas()->Brush()->SetColor(static_cast<TColor>(0x004070A0));  // the frame
    Canvas()->FillRect(r);
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(Rect(8, 8, r.right - 8, r.bottom - 8));
    Canvas()->Pen()->SetColor(clWhite);
    Canvas()->Pen()->SetWidth(3);
    Canvas()->MoveTo(30, r.bottom - 40);
    Canvas()->LineTo(120, r.bottom - 70);
    Canvas()->LineTo(200, r.bottom - 35);
    Canvas()->Pen()->SetColor(clYellow);
    Canvas()->Ellipse(r.right - 120, 30, r.right - 40, 110);
    Canvas()->Font()->Assign(Font());
    Canvas()->Brush()->SetStyle(bsClear);
    Canvas()->TextOut(30, 30, Caption());
  }
};

class TSampleForm : public TForm {
 public:
  explicit TSampleForm(TComponent* AOwner) : TForm(AOwner) {}
  TTextSign* Title = nullptr;
  TTextSign* Tray = nullptr;
  TChalkBoard* Board = nullptr;
  bool Created = false;
  void FormCreate(TObject*) { Created = Board != nullptr; }
  void BoardClick(TObject*) { ++Board->Clicks; }
};

static const bool registered =
    DeclareClass<TTextSign, TGraphicControl>("TTextSign").Done() &&
    DeclareClass<TChalkBoard, TCustomControl>("TChalkBoard").Done() &&
    DeclareClass<TSampleForm, TForm>("TSampleForm")
        .Method("FormCreate", &TSampleForm::FormCreate)
        .Method("BoardClick", &TSampleForm::BoardClick)
        .Field("Title", &TSampleForm::Title)
        .Field("Tray", &TSampleForm::Tray)
        .Field("Board", &TSampleForm::Board)
        .Done();

namespace {

class SampleFormTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    winplat::gdi::UseTestFontForAll(false);  // the real fonts, to see the Japanese captions
  }
};

uint32_t ScreenRGB(TColor c) {
  c = ColorToRGB(c);
  return static_cast<uint32_t>(((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF));
}

TEST_F(SampleFormTest, TheSampleFormShowsItsJapaneseCaptionsOnTheScreen) {
  TSampleForm* f = nullptr;
  Application->CreateForm(f);
  ASSERT_TRUE(f->Created);
  EXPECT_EQ(f->Caption(), "Vel 黒板 Qz：見本のフォーム");
  EXPECT_EQ(f->Title->Caption(), "こんにちは、ここは黒板です");
  EXPECT_EQ(f->Board->Caption(), "チョークで書こう");
  EXPECT_EQ(f->Font()->Height(), -16);
  EXPECT_EQ(f->Title->Font()->Height(), -20);
  EXPECT_EQ(f->Tray->Font()->Height(), -16);  // the form's, as it has none of its own
  f->Show();
  winplat::user::PumpMessages();
  ASSERT_TRUE(test_support::WriteScreenshotPng("sample_form.png"));

  // The bands are laid out in the client area; the board fills what is left.
  const TRect client = f->ClientRect();
  EXPECT_EQ(f->Title->BoundsRect().bottom, 36);
  EXPECT_EQ(f->Tray->BoundsRect().bottom, client.bottom);
  EXPECT_EQ(f->Board->Top(), 36);
  EXPECT_EQ(f->Board->Height(), client.bottom - 36 - 32);
  // Their colours on the screen, in the client area's place.
  const TPoint o = f->ClientOrigin();
  EXPECT_EQ(Px(o.x + 2, o.y + 2), ScreenRGB(clWhite));
  EXPECT_EQ(Px(o.x + 2, o.y + client.bottom - 2), ScreenRGB(0x00A0B0C0));
  EXPECT_EQ(Px(o.x + 20, o.y + 36 + 100), ScreenRGB(0x00285028));
  // Some pixels of the caption were drawn in the title's font colour.
  int w, h;
  const auto shot = winplat::screen::CurrentBackend()->Screenshot(&w, &h);
  int navy = 0;
  for (int x = 0; x < client.right; ++x)
    for (int y = 0; y < 36; ++y) navy += shot[static_cast<size_t>(o.y + y) * w + o.x + x] == ScreenRGB(clNavy);
  EXPECT_GT(navy, 50);

  Input().Click(o.x + 200, o.y + 150);
  winplat::user::PumpMessages();
  EXPECT_EQ(f->Board->Clicks, 1);
  FreeAndNil(f);
}

}  // namespace
