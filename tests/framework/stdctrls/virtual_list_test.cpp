// Virtual list boxes: a count of rows whose texts, objects and search come from the data events,
// read through the window so that a subclass answering LB_GETTEXT is what Items and the drawing
// see; selection, scrolling and keyboard search over 100000 rows on the headless screen.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "Forms.h"
#include "StdCtrls.h"
#include "SysUtils.h"
#include "test_support.h"
#include "ui_fixture.h"

namespace {

constexpr int kRows = 100000;

class VirtualList : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    form = CreateNewForm<TForm>(Application);
    form->SetBounds(0, 0, 400, 320);
    list = new TListBox(form);
    static_cast<TComponent*>(list)->SetName("lstRows");
    list->SetBounds(10, 10, 200, 200);
    list->SetItemHeight(20);
    list->SetStyle(lbVirtual);
    list->OnData = [this](TWinControl* control, int index, AnsiString& data) {
      EXPECT_EQ(control, list);
      ++asked;
      data = "項目 " + IntToStr(index);
    };
    list->OnDataObject = [this](TWinControl*, int index, TObject*& object) {
      object = index == 7 ? static_cast<TObject*>(form) : nullptr;
    };
    // Texts "項目 N": what was typed is taken as the leading digits of a row's number.
    list->OnDataFind = [this](TWinControl*, const AnsiString& text) {
      finds.push_back(text);
      AnsiString digits = text.rfind("項目 ", 0) == 0 ? text.substr(std::string("項目 ").size()) : text;
      int n = StrToIntDef(digits, -1);
      return n >= 0 && n < kRows ? n : -1;
    };
    list->OnClick = [this](TObject*) { clicks.push_back(list->ItemIndex()); };
    list->SetParent(form);
    list->SetCount(kRows);
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
  // Rows that show whole.
  int Rows() { return list->ClientHeight() / 20; }
  TForm* form = nullptr;
  TListBox* list = nullptr;
  int asked = 0;
  std::vector<AnsiString> finds;
  std::vector<int> clicks;
};

TEST_F(VirtualList, ItemsAreReadThroughTheDataEvents) {
  EXPECT_EQ(list->Count(), kRows);
  EXPECT_EQ(list->Items()->Count(), kRows);
  EXPECT_EQ(SendMessageA(list->Handle(), LB_GETCOUNT, 0, 0), kRows);
  EXPECT_EQ(list->Items()->Strings(12345), "項目 12345");
  EXPECT_EQ(list->Items()->Strings(kRows - 1), "項目 99999");
  EXPECT_EQ(list->Items()->Objects(7), form);
  EXPECT_EQ(list->Items()->Objects(8), nullptr);
  EXPECT_EQ(list->Items()->IndexOf("項目 4242"), 4242);
  EXPECT_EQ(list->Items()->IndexOf("なし"), -1);
  for (int bad : {-1, kRows})
    EXPECT_THROW(list->Items()->Strings(bad), EStringListError) << bad;
  // The rows are the events': adding, changing and deleting through Items change nothing.
  EXPECT_EQ(list->Items()->Add("追加"), -1);
  list->Items()->Delete(0);
  list->Items()->SetStrings(0, "別");
  EXPECT_EQ(list->Count(), kRows);
  EXPECT_EQ(list->Items()->Strings(0), "項目 0");
  // The length of a row follows its data; the text given after it is the one measured.
  AnsiString row = "短い";
  list->OnData = [&](TWinControl*, int, AnsiString& data) { data = row; };
  EXPECT_EQ(SendMessageA(list->Handle(), LB_GETTEXTLEN, 3, 0), 4);
  row = "もっと長い行";
  EXPECT_EQ(SendMessageA(list->Handle(), LB_GETTEXTLEN, 3, 0), 12);
  row = "もっともっと長い行";
  char buf[13] = {};
  EXPECT_EQ(SendMessageA(list->Handle(), LB_GETTEXT, 3, reinterpret_cast<LPARAM>(buf)), 12);
  EXPECT_EQ(AnsiString(buf), "もっと長い行");
  EXPECT_EQ(list->Items()->Strings(3), "もっともっと長い行");
  // Without a window the events answer directly.
  TListBox loose(nullptr);
  loose.SetStyle(lbVirtual);
  loose.OnData = [](TWinControl*, int index, AnsiString& data) { data = "項目 " + IntToStr(index); };
  loose.SetCount(10);
  ASSERT_FALSE(loose.HandleAllocated());
  EXPECT_EQ(loose.Items()->Strings(3), "項目 3");
  EXPECT_EQ(loose.Items()->Count(), 10);
  EXPECT_THROW(loose.Items()->Strings(10), EStringListError);
  // Clearing a virtual list leaves no rows; only the virtual styles take a count.
  list->Clear();
  EXPECT_EQ(list->Count(), 0);
  EXPECT_EQ(SendMessageA(list->Handle(), LB_GETCOUNT, 0, 0), 0);
  TListBox plain(nullptr);
  try {
    plain.SetCount(3);
    ADD_FAILURE() << "a count for a list that is not virtual";
  } catch (const EListError& e) {
    EXPECT_NE(std::string(e.Message()).find("仮想"), std::string::npos);
  }
  // A list without handlers has empty rows and finds nothing.
  TListBox bare(nullptr);
  bare.SetStyle(lbVirtualOwnerDraw);
  bare.SetCount(2);
  EXPECT_EQ(bare.Items()->Strings(1), "");
  EXPECT_EQ(bare.Items()->Objects(1), nullptr);
  EXPECT_EQ(bare.Items()->IndexOf("x"), -1);
}

TEST_F(VirtualList, SelectsAndScrollsAndANewWindowAsksOnlyForRowsInView) {
  const int rows = Rows();
  ASSERT_GE(rows, 5);
  list->SetItemIndex(kRows - 1);
  EXPECT_EQ(list->ItemIndex(), kRows - 1);
  EXPECT_EQ(list->TopIndex(), kRows - rows);
  // The keyboard, through the screen's input.
  list->SetFocus();
  Input().PressKey(VK_HOME);
  Pump();
  EXPECT_EQ(list->ItemIndex(), 0);
  EXPECT_EQ(list->TopIndex(), 0);
  Input().PressKey(VK_NEXT);
  Input().PressKey(VK_DOWN);
  Pump();
  EXPECT_EQ(list->ItemIndex(), rows);
  EXPECT_EQ(clicks.size(), 3u);
  list->SetTopIndex(50000);
  list->SetItemIndex(50003);
  // A new window takes the count, the selection and the scroll position; no row is copied, and
  // painting asks for the rows that show.
  Pump();
  asked = 0;
  HWND old = list->Handle();
  list->RecreateWnd();
  HWND now = list->Handle();
  EXPECT_NE(now, old);
  EXPECT_EQ(asked, 0);
  EXPECT_EQ(SendMessageA(now, LB_GETCOUNT, 0, 0), kRows);
  EXPECT_EQ(list->ItemIndex(), 50003);
  EXPECT_EQ(list->TopIndex(), 50000);
  Pump();
  EXPECT_GT(asked, 0);
  EXPECT_LE(asked, 2 * (rows + 1));
  // From a virtual list to a standard one and back: the standard items were kept meanwhile.
  TListBox* other = new TListBox(form);
  other->SetParent(form);
  other->SetBounds(220, 10, 150, 100);
  other->Items()->Add("一");
  other->Items()->Add("二");
  other->HandleNeeded();
  other->SetStyle(lbVirtual);
  other->SetCount(5);
  EXPECT_EQ(other->Items()->Count(), 5);
  other->SetStyle(lbStandard);
  ASSERT_EQ(other->Items()->Count(), 2);
  EXPECT_EQ(other->Items()->Strings(1), "二");
}

TEST_F(VirtualList, TypingLooksUpWhatWasTypedThroughOnDataFind) {
  list->SetFocus();
  Input().TypeText(u"123");
  Pump();
  EXPECT_EQ(finds, (std::vector<AnsiString>{"1", "12", "123"}));
  EXPECT_EQ(list->ItemIndex(), 123);
  EXPECT_EQ(list->TopIndex(), 123 - Rows() + 1);
  EXPECT_EQ(clicks, (std::vector<int>{1, 12, 123}));
  // Backspace takes the last character off; Return and Escape look nothing up.
  finds.clear();
  Input().PressKey(VK_BACK);
  Input().PressKey(VK_RETURN);
  Input().PressKey(VK_ESCAPE);
  Pump();
  EXPECT_EQ(finds, (std::vector<AnsiString>{"12"}));
  EXPECT_EQ(list->ItemIndex(), 12);
  // A Japanese character comes as a lead and a trail byte: looked up once, whole.
  finds.clear();
  const std::u16string typed = u"項";
  list->SetFocus();
  Input().TypeText(typed);
  Pump();
  ASSERT_FALSE(finds.empty());
  EXPECT_EQ(finds.back().substr(finds.back().size() - 2), "項");
  for (const auto& f : finds) EXPECT_NE(static_cast<uint8_t>(f.back()), 0x8D) << "a lead byte looked up alone";
  // Nothing found: the selection stays.
  EXPECT_EQ(list->ItemIndex(), 12);
  // Backspace takes the double-byte character off whole, then the digits, to nothing.
  finds.clear();
  for (int i = 0; i < 3; ++i) Input().PressKey(VK_BACK);
  Pump();
  EXPECT_EQ(finds, (std::vector<AnsiString>{"12", "1"}));
  // A multi-select list selects just the row found.
  list->SetMultiSelect(true);
  list->SetSelected(3, true);
  list->SetSelected(4, true);
  list->SetFocus();
  Input().TypeText(u"9");
  Pump();
  EXPECT_EQ(list->SelCount(), 1);
  EXPECT_TRUE(list->Selected(9));
  EXPECT_EQ(list->ItemIndex(), 9);
}

// Answers the row texts itself, as a subclass of the control does.
struct Replacer {
  explicit Replacer(TListBox* l) : list(l), saved(l->WindowProc()) {
    l->SetWindowProc(TWndMethod(this, &kCode, [this](TMessage& m) {
      if ((m.Msg == LB_GETTEXT || m.Msg == LB_GETTEXTLEN) && static_cast<int>(m.WParam) < list->Count()) {
        std::string s = "WWWWWWWW" + std::to_string(m.WParam);
        if (m.Msg == LB_GETTEXT) std::copy(s.c_str(), s.c_str() + s.size() + 1, reinterpret_cast<char*>(m.LParam));
        m.Result = static_cast<LRESULT>(s.size());
        return;
      }
      saved(m);
    }));
  }
  ~Replacer() { list->SetWindowProc(saved); }
  static constexpr char kCode = 0;
  TListBox* list;
  TWndMethod saved;
};

WNDPROC g_framework_proc = nullptr;
LRESULT CALLBACK PassOnWide(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  return CallWindowProcW(g_framework_proc, h, msg, wp, lp);
}

// Dark pixels of a row of the list on the screen.
int InkOfRow(TListBox* list, int row) {
  int w = 0, h = 0;
  auto px = winplat::screen::CurrentBackend()->Screenshot(&w, &h);
  TPoint o = list->ClientToScreen(TPoint{0, row * 20});
  int ink = 0;
  for (int y = o.y; y < o.y + 20; ++y)
    for (int x = o.x; x < o.x + list->ClientWidth(); ++x)
      if ((px[static_cast<size_t>(y) * w + x] & 0xFF) < 0x80) ++ink;
  return ink;
}

TEST_F(VirtualList, ASubclassAnsweringTheRowTextsIsWhatItemsAndTheDrawingSee) {
  list->Invalidate();
  Pump();
  const int plainInk = InkOfRow(list, 1);
  {
    Replacer r(list);
    EXPECT_EQ(list->Items()->Strings(5), "WWWWWWWW5");
    asked = 0;
    list->Invalidate();
    Pump();
    EXPECT_EQ(asked, 0) << "the drawing went past the subclass";
    EXPECT_GT(InkOfRow(list, 1), plainInk);
    // A wide caller gets the subclass's text converted.
    WCHAR wide[32] = {};
    EXPECT_EQ(SendMessageW(list->Handle(), LB_GETTEXT, 6, reinterpret_cast<LPARAM>(wide)), 9);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(wide)), u"WWWWWWWW6");
  }
  // Without the subclass, the framework answers from OnData, also to a wide caller.
  WCHAR wide[32] = {};
  ASSERT_EQ(SendMessageW(list->Handle(), LB_GETTEXTLEN, 8, 0), 4);
  EXPECT_EQ(SendMessageW(list->Handle(), LB_GETTEXT, 8, reinterpret_cast<LPARAM>(wide)), 4);
  EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(wide)), u"項目 8");
  EXPECT_EQ(SendMessageA(list->Handle(), LB_GETTEXTLEN, kRows, 0), LB_ERR);
  // Behind a Unicode subclass that passes the texts on, both kinds of caller get their own
  // characters from the framework.
  g_framework_proc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(list->Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PassOnWide)));
  ASSERT_TRUE(IsWindowUnicode(list->Handle()));
  ASSERT_EQ(SendMessageW(list->Handle(), LB_GETTEXTLEN, 9, 0), 4);
  EXPECT_EQ(SendMessageW(list->Handle(), LB_GETTEXT, 9, reinterpret_cast<LPARAM>(wide)), 4);
  EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(wide)), u"項目 9");
  char ansi[32] = {};
  ASSERT_EQ(SendMessageA(list->Handle(), LB_GETTEXTLEN, 10, 0), 7);
  EXPECT_EQ(SendMessageA(list->Handle(), LB_GETTEXT, 10, reinterpret_cast<LPARAM>(ansi)), 7);
  EXPECT_EQ(AnsiString(ansi), "項目 10");
  EXPECT_EQ(list->Items()->Strings(11), "項目 11");
  SetWindowLongPtrW(list->Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_framework_proc));
  // An owner-drawn virtual list's handler reads the same texts.
  std::vector<AnsiString> drawn;
  list->SetStyle(lbVirtualOwnerDraw);
  list->OnDrawItem = [&](TWinControl*, int index, TRect, TOwnerDrawState) {
    drawn.push_back(list->Items()->Strings(index));
  };
  Replacer r(list);
  list->Invalidate();
  Pump();
  ASSERT_FALSE(drawn.empty());
  EXPECT_EQ(drawn.front().substr(0, 8), "WWWWWWWW");
}

TEST_F(VirtualList, ScreenshotOfAVirtualListInTheMiddleOfItsRows) {
  winplat::gdi::UseTestFontForAll(false);  // the real fonts, to look at
  list->SetMultiSelect(true);
  list->SetTopIndex(49998);
  list->SetSelected(50000, true);
  list->SetSelected(50002, true);
  list->SetFocus();
  list->Invalidate();
  Pump();
  ASSERT_TRUE(test_support::WriteScreenshotPng("virtual_list.png"));
  if (const char* keep = std::getenv("VSE_KEEP_SHOTS"))
    test_support::WriteScreenshotPng(std::string(keep) + "/virtual_list.png");
  // The selected rows are in the highlight colour, the others in the window's.
  auto rgb = [](int index) {
    COLORREF c = GetSysColor(index);
    return static_cast<uint32_t>((GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c));
  };
  for (int row : {2, 4}) {
    TPoint p = list->ClientToScreen(TPoint{list->ClientWidth() - 4, row * 20 + 10});
    EXPECT_EQ(Px(p.x, p.y), rgb(COLOR_HIGHLIGHT)) << row;
  }
  TPoint q = list->ClientToScreen(TPoint{list->ClientWidth() - 4, 1 * 20 + 10});
  EXPECT_EQ(Px(q.x, q.y), rgb(COLOR_WINDOW));
}

}  // namespace
