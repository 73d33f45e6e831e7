// A virtual wide list box's rows from its wide data event, a wide form class without a form
// resource, and the wide menu texts a form puts back into its menu bar.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Classes_Streaming.h"
#include "Menus.h"
#include "TypInfo.h"
#include "UcForms.h"
#include "UcMenus.h"
#include "UcStdCtrls.h"
#include "UcSysUtils.h"
#include "wide_test_support.h"
#include "windows.h"

// A wide form class that has no form resource.
class TNoResourceForm : public TUcForm {
 public:
  explicit TNoResourceForm(TComponent* AOwner) : TUcForm(AOwner) {}
};
static const bool registered = DeclareClass<TNoResourceForm, TUcForm>("TNoResourceForm").Done();

namespace {

const std::vector<WideString> kRows = {u"一 é", u"二 한국", u"三 𠮷"};

class WideListsForms : public WideUiTest {
 protected:
  void SetUp() override {
    WideUiTest::SetUp();
    form = CreateNewForm<TUcForm>(Application);
    form->SetBounds(0, 0, 300, 200);
    form->SetBorderStyle(bsNone);
    form->Show();
    Pump();
  }
  void TearDown() override {
    FreeAndNil(form);
    WideUiTest::TearDown();
  }
  TUcForm* form = nullptr;
};

TEST_F(WideListsForms, AVirtualListBoxAnswersItsRowsFromTheWideDataEvent) {
  auto* list = new TUcListBox(form);
  list->SetStyle(lbVirtual);
  list->SetParent(form);
  list->SetBounds(10, 10, 150, 80);
  int asked = 0;
  list->OnData = [&](TWinControl*, int Index, WideString& Data) {
    ++asked;
    Data = kRows[static_cast<size_t>(Index)];
  };
  list->SetCount(3);
  Pump();
  ASSERT_TRUE(IsWindowUnicode(list->Handle()));
  for (int i = 0; i < 3; ++i) EXPECT_EQ(list->Items()->Get(i), kRows[static_cast<size_t>(i)]) << i;
  EXPECT_GT(asked, 0);
  // Beyond the rows: -1, never the event.
  asked = 0;
  EXPECT_EQ(SendMessageW(list->Handle(), LB_GETTEXTLEN, 3, 0), LB_ERR);
  EXPECT_EQ(SendMessageW(list->Handle(), LB_GETTEXTLEN, static_cast<WPARAM>(-1), 0), LB_ERR);
  EXPECT_EQ(asked, 0);
  // An ANSI request gets the code page's form, with its byte length.
  char bytes[64] = {};
  const AnsiString ansi = WideToAnsi(kRows[1]);
  EXPECT_EQ(SendMessageA(list->Handle(), LB_GETTEXTLEN, 1, 0), static_cast<LRESULT>(ansi.size()));
  EXPECT_EQ(SendMessageA(list->Handle(), LB_GETTEXT, 1, reinterpret_cast<LPARAM>(bytes)), static_cast<LRESULT>(ansi.size()));
  EXPECT_EQ(AnsiString(bytes), ansi);
  // The framework's own item list reads the rows narrowed.
  EXPECT_EQ(list->TCustomListBox::Items()->Strings(2), WideToAnsi(kRows[2]));
  // Without any data handler every row answers -1.
  list->OnData = nullptr;
  EXPECT_EQ(SendMessageW(list->Handle(), LB_GETTEXTLEN, 0, 0), LB_ERR);
  EXPECT_THROW(list->Items()->Get(0), EStringListError);  // the index error of a -1 length
  // The framework's ANSI data event serves when no wide one is set.
  list->TCustomListBox::OnData = [](TWinControl*, int Index, AnsiString& Data) { Data = "row" + IntToStr(Index); };
  EXPECT_EQ(list->Items()->Get(1), u"row1");
}

TEST_F(WideListsForms, AWideFormClassWithoutAFormResourceNamesItself) {
  try {
    TNoResourceForm* f = CreateForm<TNoResourceForm>(Application);
    FreeAndNil(f);
    FAIL() << "no EResNotFound";
  } catch (const EResNotFound& e) {
    EXPECT_EQ(e.Message(), "TNoResourceForm リソースが見つかりません");
  }
  // Made without a resource it is an empty wide form.
  TNoResourceForm* empty = CreateNewForm<TNoResourceForm>(Application);
  EXPECT_EQ(empty->ComponentCount(), 0);
  FreeAndNil(empty);
}

TEST_F(WideListsForms, AFormPutsItsWideMenuTextsBackWhenItsWindowMoves) {
  auto* menu = new TMainMenu(form);
  menu->SetAutoHotkeys(maManual);
  auto* file = new TUcMenuItem(form);
  menu->Items()->Add(file);
  const WideString caption = u"파일 𠮷";
  file->SetCaption(caption);
  form->SetMenu(menu);
  Pump();
  HMENU bar = GetMenu(form->Handle());
  ASSERT_NE(bar, nullptr);
  auto text = [&] {
    char16_t buf[64] = {};
    const int n = GetMenuStringW(bar, 0, buf, 64, MF_BYPOSITION);
    return WideString(buf, static_cast<size_t>(std::max(n, 0)));
  };
  EXPECT_EQ(text(), caption);
  // Something puts the ANSI form into the platform item; the next move of the window mends it.
  MENUITEMINFOA mi{};
  mi.cbSize = sizeof mi;
  mi.fMask = MIIM_TYPE;
  mi.fType = MFT_STRING;
  AnsiString narrowed = WideToAnsi(caption);
  mi.dwTypeData = narrowed.data();
  ASSERT_TRUE(SetMenuItemInfoA(bar, 0, TRUE, &mi));
  ASSERT_NE(text(), caption);
  form->SetBounds(10, 10, 320, 200);
  Pump();
  EXPECT_EQ(text(), caption);
}

}  // namespace
