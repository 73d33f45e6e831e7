// A drawing form read from its form resource: the drawing control, the frame timer and the
// image list with their stored properties, the timer started once loaded; the image list's
// colour table read and written as binary data.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

#include "Classes_Streaming.h"
#include "TypInfo.h"
#include "support.h"

using namespace dxdrawtest;

class TBoardForm : public TDXForm {
 public:
  explicit TBoardForm(TComponent* AOwner) : TDXForm(AOwner) {}
  TDXDraw* DXDraw = nullptr;
  TDXTimer* DXTimer = nullptr;
  TDXImageList* DXIL = nullptr;
  int Ticks = 0;
  void DXTimerTimer(TObject*, int32_t) { ++Ticks; }
};

static const bool registered = DeclareClass<TBoardForm, TDXForm>("TBoardForm")
                                   .Method("DXTimerTimer", &TBoardForm::DXTimerTimer)
                                   .Field("DXDraw", &TBoardForm::DXDraw)
                                   .Field("DXTimer", &TBoardForm::DXTimer)
                                   .Field("DXIL", &TBoardForm::DXIL)
                                   .Done();

namespace {

TEST(DrawingForm, ReadFromItsFormResource) {
  HeadlessScreen screen(320, 240);
  TBoardForm* form = CreateForm<TBoardForm>(Application);
  ASSERT_NE(form->DXDraw, nullptr);
  ASSERT_NE(form->DXTimer, nullptr);
  ASSERT_NE(form->DXIL, nullptr);
  EXPECT_EQ(DXDrawOptionsWord(form->DXDraw->Options()), 0x348D);
  EXPECT_EQ(DXDrawOptionsWord(form->DXDraw->EffectiveOptions()), 0x008D);
  EXPECT_TRUE(form->DXDraw->Display()->FixedRatio());
  EXPECT_EQ(form->DXTimer->Interval(), 10);
  EXPECT_TRUE(form->DXTimer->Started());  // started once loaded
  EXPECT_EQ(form->DXIL->DXDraw(), form->DXDraw);
  TPictureCollection* items = form->DXIL->Items();
  ASSERT_EQ(items->Count(), 4);
  EXPECT_EQ(items->Items(2)->Name(), AnsiString("prev"));
  EXPECT_FALSE(items->Items(2)->Transparent());
  EXPECT_EQ(items->Items(2)->TransparentColor(), clFuchsia);
  EXPECT_EQ(items->Find("GRID"), items->Items(3));  // the later "Grid" wins
  EXPECT_EQ(DXFormCount, 1);
  EXPECT_TRUE(GetWindowLongA(Application->Handle(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);

  // Shown, the control starts by itself (in the mode the board asks for: the screen's) and the
  // image list's items with it.
  form->DXDraw->Display()->SetWidth(320);
  form->DXDraw->Display()->SetHeight(240);
  form->DXDraw->Display()->SetBitCount(32);
  form->Show();
  winplat::user::PumpMessages();
  EXPECT_TRUE(form->DXDraw->Initialized());
  EXPECT_TRUE(items->Items(0)->Initialized());
  FreeAndNil(form);
  EXPECT_EQ(DXFormCount, 0);
  EXPECT_FALSE(GetWindowLongA(Application->Handle(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
}

TEST(DrawingForm, MinimiseFromTheSystemMenu) {
  HeadlessScreen screen(320, 240);
  TDXForm* form = CreateNewForm<TDXForm>(Application);
  form->Show();
  EXPECT_TRUE(GetWindowLongA(form->Handle(), GWL_EXSTYLE) & WS_EX_APPWINDOW);
  SendMessageA(form->Handle(), WM_SYSCOMMAND, SC_MINIMIZE | 2, 0);
  EXPECT_EQ(form->WindowState(), wsMinimized);
  form->SaveWindowPlacement();
  EXPECT_TRUE(form->PlacementSaved());
  EXPECT_EQ(form->WindowPlacement().length, 44u);
  FreeAndNil(form);
}

// The colour table the board form's resource holds: entry i is (i, 255 - i, 7i, 0).
bool HoldsTheResourcesTable(const uint8_t* t) {
  for (int i = 0; i < 256; ++i)
    if (t[4 * i] != i || t[4 * i + 1] != 255 - i || t[4 * i + 2] != ((i * 7) & 255) || t[4 * i + 3] != 0) return false;
  return true;
}

std::string Text(TMemoryStream& ms) {
  return ObjectBinaryToText(std::span<const uint8_t>(static_cast<const uint8_t*>(ms.Memory()),
                                                     static_cast<std::size_t>(ms.Size())));
}

// The "Items.ColorTable = { ... }" block of a form's text, empty when there is none.
std::string ColorTableBlock(const std::string& text) {
  const std::size_t at = text.find("Items.ColorTable = {");
  if (at == std::string::npos) return {};
  return text.substr(at, text.find('}', at) + 1 - at);
}

TEST(DrawingForm, TheImageListsColourTableIsReadAndWrittenBackEqual) {
  HeadlessScreen screen(320, 240);
  TBoardForm* form = CreateForm<TBoardForm>(Application);
  EXPECT_TRUE(HoldsTheResourcesTable(form->DXIL->Items()->ColorTable()));

  TMemoryStream written;
  WriteComponentToStream(&written, form);
  const std::string text = Text(written);
  const std::span<const uint8_t> resource = FindFormResource("TBoardForm");
  const std::string original = ObjectBinaryToText(resource);
  ASSERT_FALSE(ColorTableBlock(original).empty());
  EXPECT_EQ(ColorTableBlock(text), ColorTableBlock(original));
  // The collection's own data comes before its items, as it was read.
  EXPECT_LT(text.find("Items.ColorTable"), text.find("Items = <"));
  FreeAndNil(form);
}

TEST(DrawingForm, TheColourTableIsWrittenUnlessTheAncestorHoldsTheSame) {
  HeadlessScreen screen(320, 240);
  TDXImageList list(nullptr), ancestor(nullptr);
  list.SetName("DXIL");
  ancestor.SetName("DXIL");
  auto write = [&](TComponent* anc) {
    TMemoryStream ms;
    WriteComponentToStream(&ms, &list, anc);
    return ColorTableBlock(Text(ms));
  };
  // The hex digits of a block.
  auto digits = [](const std::string& block) {
    std::string d;
    for (std::size_t i = block.find('{') + 1; i < block.size(); ++i)
      if (std::isxdigit(static_cast<unsigned char>(block[i]))) d += block[i];
    return d;
  };
  // Without an ancestor the table is always there, zeros as well.
  EXPECT_EQ(digits(write(nullptr)), std::string(2048, '0'));
  EXPECT_TRUE(write(&ancestor).empty());
  list.Items()->ColorTable()[1023] = 0x5A;
  EXPECT_EQ(digits(write(&ancestor)), std::string(2046, '0') + "5A");
  ancestor.Items()->ColorTable()[1023] = 0x5A;
  EXPECT_TRUE(write(&ancestor).empty());
}

TEST(DrawingForm, AColourTableOfAnotherLengthIsRefusedWhole) {
  struct Case {
    std::size_t bytes;
    bool taken;
  };
  const Case cases[] = {{1024, true}, {0, false}, {4, false}, {1023, false}, {1025, false}, {2048, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    TDXImageList list(nullptr);
    std::memset(list.Items()->ColorTable(), 0xAB, 1024);
    std::string text = "object DXIL: TDXImageList\n  Items.ColorTable = {";
    for (std::size_t i = 0; i < c.bytes; ++i) text += "11";
    text += "}\nend\n";
    const std::vector<uint8_t> binary = ObjectTextToBinary(text);
    TMemoryStream ms;
    ms.WriteBuffer(binary.data(), static_cast<int32_t>(binary.size()));
    ms.SetPosition(0);
    const uint8_t expected = c.taken ? 0x11 : 0xAB;
    if (c.taken) {
      ReadComponentFromStream(&ms, &list);
    } else {
      try {
        ReadComponentFromStream(&ms, &list);
        ADD_FAILURE() << "read";
      } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), AnsiString("無効なストリーム形式です"));
      }
    }
    const uint8_t* t = list.Items()->ColorTable();
    EXPECT_EQ(std::count(t, t + 1024, expected), 1024);
  }
}

}  // namespace
