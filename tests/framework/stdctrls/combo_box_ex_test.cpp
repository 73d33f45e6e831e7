// The extended combo box on the headless screen: items with captions and images, the chosen
// item's image and caption in the box, choosing with the keys and from the drop-down list by
// mouse, a click elsewhere closing the list, items and choice across a new window, the action
// link, and the items in a form's text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ActnList.h"
#include "Classes_Streaming.h"
#include "ComCtrls.h"
#include "Forms.h"
#include "ImgList.h"
#include "test_support.h"
#include "ui_fixture.h"

namespace {

constexpr TColor kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000;
constexpr uint32_t kRedPx = 0xFF0000, kGreenPx = 0x00FF00, kBluePx = 0x0000FF;

class ComboBoxEx : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    form = CreateNewForm<TForm>(Application);
    form->SetBounds(0, 0, 300, 240);
    form->SetBorderStyle(bsNone);
    images = new TImageList(form);
    images->SetWidth(12);
    images->SetHeight(12);
    for (TColor c : {kRed, kGreen, kBlue}) {
      TBitmap b;
      b.SetWidth(12);
      b.SetHeight(12);
      b.Canvas()->Brush()->SetColor(c);
      b.Canvas()->FillRect(TRect{0, 0, 12, 12});
      images->Add(&b, nullptr);
    }
    combo = new TComboBoxEx(form);
    combo->SetParent(form);
    combo->SetBounds(10, 10, 160, 22);
    combo->SetImages(images);
    combo->ItemsEx()->AddItem("Red", 0);
    combo->ItemsEx()->AddItem("Green", 1, 2);  // blue while chosen
    combo->ItemsEx()->AddItem("Third", 2);
    combo->OnChange = [this](TObject*) { changes.push_back(combo->ItemIndex()); };
    form->Show();
    Pump();
  }
  void TearDown() override {
    FreeAndNil(form);
    UiTest::TearDown();
  }
  static void Pump() {
    Application->ProcessMessages();
    winplat::user::PumpMessages();
  }
  // The image in the box, 2 pixels in from its field.
  uint32_t BoxImage() { return Px(combo->Left() + 2 + 1 + 2 + 5, combo->Top() + 11); }
  TForm* form = nullptr;
  TImageList* images = nullptr;
  TComboBoxEx* combo = nullptr;
  std::vector<int> changes;
};

TEST_F(ComboBoxEx, TheKeysChooseAndTheBoxShowsTheChosenImageAndCaption) {
  EXPECT_EQ(combo->ItemIndex(), -1);
  EXPECT_EQ(combo->Text(), "");
  combo->SetItemIndex(0);
  Pump();
  EXPECT_EQ(combo->Text(), "Red");
  EXPECT_EQ(BoxImage(), kRedPx);
  EXPECT_TRUE(changes.empty());  // only the user's choices are told
  combo->SetFocus();
  Input().PressKey(VK_DOWN);
  Pump();
  EXPECT_EQ(combo->ItemIndex(), 1);
  EXPECT_EQ(combo->Text(), "Green");
  EXPECT_EQ(BoxImage(), kBluePx);  // its selected image
  Input().PressKey(VK_DOWN);
  Input().PressKey(VK_DOWN);  // stays at the last
  Input().PressKey(VK_HOME);
  Pump();
  EXPECT_EQ(changes, (std::vector<int>{1, 2, 0}));
  combo->SetItemIndex(7);  // out of range: nothing chosen
  EXPECT_EQ(combo->ItemIndex(), -1);
}

TEST_F(ComboBoxEx, TheDropDownListChoosesByMouseAndClosesOnAClickElsewhere) {
  int selects = 0;
  combo->OnSelect = [&](TObject*) { ++selects; };
  Input().Click(100, 20);
  Pump();
  ASSERT_TRUE(combo->DroppedDown());
  RECT lr;
  HWND list = FindWindowW(u"ComboLBoxEx", nullptr);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(GetWindow(list, GW_OWNER), form->Handle());  // owned by the box's top-level window
  GetWindowRect(list, &lr);
  EXPECT_EQ(lr.top, 32);
  EXPECT_EQ(lr.left, 10);
  // Every item in the list with its image.
  const int rows = (lr.bottom - lr.top - 2) / 3;
  EXPECT_EQ(Px(lr.left + 1 + 2 + 5, lr.top + 1 + rows / 2), kRedPx);
  EXPECT_EQ(Px(lr.left + 1 + 2 + 5, lr.top + 1 + rows + rows / 2), kGreenPx);
  Input().MouseMove(60, lr.top + 1 + 2 * rows + rows / 2);
  Pump();
  test_support::WriteScreenshotPng("combo_box_ex_dropped.png");
  Input().Click(60, lr.top + 1 + 2 * rows + rows / 2);
  Pump();
  EXPECT_FALSE(combo->DroppedDown());
  EXPECT_EQ(combo->ItemIndex(), 2);
  EXPECT_EQ(combo->Text(), "Third");
  EXPECT_EQ(selects, 1);
  EXPECT_TRUE(changes.empty());  // OnSelect took the choice
  // Open again, and a click elsewhere closes the list without a choice.
  Input().Click(100, 20);
  Pump();
  ASSERT_TRUE(combo->DroppedDown());
  Input().Click(250, 200);
  Pump();
  EXPECT_FALSE(combo->DroppedDown());
  EXPECT_EQ(combo->ItemIndex(), 2);
  EXPECT_EQ(selects, 1);
}

TEST_F(ComboBoxEx, ItemsAndTheChoiceSurviveANewWindowAndFollowTheCollection) {
  combo->SetItemIndex(1);
  combo->RecreateWnd();
  Pump();
  EXPECT_EQ(combo->ItemIndex(), 1);
  EXPECT_EQ(SendMessageA(combo->Handle(), CB_GETCOUNT, 0, 0), 3);
  combo->ItemsEx()->Items(1)->SetCaption("緑");
  EXPECT_EQ(combo->Text(), "緑");
  combo->ItemsEx()->Delete(0);
  EXPECT_EQ(SendMessageA(combo->Handle(), CB_GETCOUNT, 0, 0), 2);
  COMBOBOXEXITEMA it{};
  char text[32] = {};
  it.mask = CBEIF_TEXT | CBEIF_IMAGE;
  it.iItem = 1;
  it.pszText = text;
  it.cchTextMax = sizeof text;
  ASSERT_TRUE(SendMessageA(combo->Handle(), CBEM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it)));
  EXPECT_STREQ(text, "Third");
  EXPECT_EQ(it.iImage, 2);
}

TEST_F(ComboBoxEx, TheActionLinkPushesTheTextEnabledAndHint) {
  auto* list = new TActionList(form);
  auto* action = new TAction(form);
  action->SetActionList(list);
  action->SetCaption("Green");
  combo->SetAction(action);
  EXPECT_EQ(combo->ItemIndex(), 1);  // the text chooses its item
  action->SetHint("Colour|The board's colour");
  action->SetEnabled(false);
  EXPECT_EQ(combo->Hint(), "Colour|The board's colour");
  EXPECT_FALSE(combo->Enabled());
  EXPECT_FALSE(IsWindowEnabled(combo->Handle()));
  action->SetCaption("Red");
  EXPECT_EQ(combo->ItemIndex(), 0);
  EXPECT_NE(dynamic_cast<TComboBoxExActionLink*>(combo->ActionLink()), nullptr);
}

TEST_F(ComboBoxEx, ItsItemsGoThroughAFormsText) {
  static_cast<TComponent*>(form)->SetName("ComboForm");
  static_cast<TComponent*>(combo)->SetName("cbColours");
  static_cast<TComponent*>(images)->SetName("ilColours");
  combo->SetItemIndex(2);
  TMemoryStream stream;
  WriteComponentToStream(&stream, form);
  const std::string text = ObjectBinaryToText(
      std::span<const uint8_t>(static_cast<const uint8_t*>(stream.Memory()), static_cast<size_t>(stream.Size())));
  for (const char* want : {"object cbColours: TComboBoxEx", "Images = ilColours", "Caption = 'Green'",
                           "SelectedImageIndex = 2", "ItemIndex = 2"})
    EXPECT_NE(text.find(want), std::string::npos) << want << "\n" << text;
  TForm* copy = CreateNewForm<TForm>(nullptr);
  stream.SetPosition(0);
  ReadComponentFromStream(&stream, copy);
  auto* read = dynamic_cast<TComboBoxEx*>(copy->FindComponent("cbColours"));
  ASSERT_NE(read, nullptr);
  ASSERT_EQ(read->ItemsEx()->Count(), 3);
  EXPECT_EQ(read->ItemsEx()->Items(1)->Caption(), "Green");
  EXPECT_EQ(read->ItemsEx()->Items(1)->SelectedImageIndex(), 2);
  EXPECT_EQ(read->ItemIndex(), 2);
  EXPECT_NE(read->Images(), nullptr);
  FreeAndNil(copy);
}

}  // namespace
