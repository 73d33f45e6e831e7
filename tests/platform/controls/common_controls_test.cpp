// Progress bar, up-down, list view, tooltips and the colour dialog as windows.
#include <gtest/gtest.h>

#include <vector>

#include "commctrl.h"
#include "commdlg.h"
#include "windows.h"
#include "winplat_screen.h"
#include "winplat_user.h"

namespace {

struct Notice {
  UINT code;
  int item;
};
std::vector<Notice> g_notes;
int g_scrollPos = -1;
bool g_refuseDelta = false;

LRESULT CALLBACK HostProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NOTIFY) {
    auto* hdr = reinterpret_cast<NMHDR*>(lp);
    if (hdr->code == UDN_DELTAPOS) return g_refuseDelta ? TRUE : FALSE;
    if (hdr->code == LVN_ITEMCHANGED) g_notes.push_back({hdr->code, reinterpret_cast<NMLISTVIEW*>(lp)->iItem});
    else if (hdr->code == TTN_GETDISPINFOW) {
      auto* di = reinterpret_cast<NMTTDISPINFOW*>(lp);
      di->lpszText = const_cast<LPWSTR>(u"チョーク");
      g_notes.push_back({hdr->code, static_cast<int>(hdr->idFrom)});
    } else {
      g_notes.push_back({hdr->code, -1});
    }
    return 0;
  }
  if (msg == WM_VSCROLL && LOWORD(wp) == SB_THUMBPOSITION) g_scrollPos = static_cast<short>(HIWORD(wp));
  return DefWindowProcW(h, msg, wp, lp);
}

class CommonControls : public ::testing::Test {
 protected:
  void SetUp() override {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
    ASSERT_TRUE(InitCommonControlsEx(&icc));
    static bool registered = false;
    if (!registered) {
      WNDCLASSW wc{};
      wc.lpfnWndProc = HostProc;
      wc.lpszClassName = u"CommonControlsHost";
      ASSERT_NE(RegisterClassW(&wc), 0);
      registered = true;
    }
    host = CreateWindowExW(0, u"CommonControlsHost", u"", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr, nullptr,
                           nullptr);
    ASSERT_NE(host, nullptr);
    g_notes.clear();
    g_scrollPos = -1;
    g_refuseDelta = false;
  }
  void TearDown() override {
    DestroyWindow(host);
    winplat::user::PumpMessages();
  }
  HWND Make(const char16_t* cls, DWORD style, int x, int y, int w, int h, int id) {
    return CreateWindowExW(0, cls, u"", WS_CHILD | WS_VISIBLE | style, x, y, w, h, host,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
  }
  static winplat::screen::HeadlessBackend& Screen() { return *winplat::screen::Headless(); }
  static void Pump() { winplat::user::PumpMessages(); }
  HWND host = nullptr;
};

}  // namespace

TEST_F(CommonControls, ProgressBarRangeStepAndClamp) {
  HWND pb = Make(PROGRESS_CLASSW, 0, 10, 10, 200, 16, 1);
  ASSERT_NE(pb, nullptr);
  EXPECT_EQ(SendMessageW(pb, PBM_SETRANGE32, 10, 20), MAKELONG(0, 100));
  EXPECT_EQ(SendMessageW(pb, PBM_GETPOS, 0, 0), 10);  // the position moved into the range
  SendMessageW(pb, PBM_SETSTEP, 4, 0);
  EXPECT_EQ(SendMessageW(pb, PBM_STEPIT, 0, 0), 10);
  EXPECT_EQ(SendMessageW(pb, PBM_GETPOS, 0, 0), 14);
  SendMessageW(pb, PBM_SETPOS, 99, 0);
  EXPECT_EQ(SendMessageW(pb, PBM_GETPOS, 0, 0), 20);
  SendMessageW(pb, PBM_DELTAPOS, static_cast<WPARAM>(-3), 0);
  EXPECT_EQ(SendMessageW(pb, PBM_GETPOS, 0, 0), 17);
  PBRANGE r{};
  EXPECT_EQ(SendMessageW(pb, PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&r)), 10);
  EXPECT_EQ(r.iHigh, 20);
}

TEST_F(CommonControls, UpDownStepsItsBuddyAndHonoursRefusal) {
  HWND edit = Make(u"EDIT", WS_BORDER, 10, 10, 60, 20, 2);
  HWND ud = Make(UPDOWN_CLASSW, UDS_SETBUDDYINT | UDS_ALIGNRIGHT, 0, 0, 16, 20, 3);
  ASSERT_NE(ud, nullptr);
  SendMessageW(ud, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit), 0);
  SendMessageW(ud, UDM_SETRANGE32, 0, 1500);
  SendMessageW(ud, UDM_SETPOS32, 0, 999);
  char16_t text[32] = {};
  GetWindowTextW(edit, text, 32);
  EXPECT_EQ(std::u16string(text), u"999");
  RECT r;
  GetWindowRect(ud, &r);
  EXPECT_EQ(r.left, 70);  // placed at the buddy's right
  Screen().Click(r.left + 4, r.top + 3);  // the upper button
  Pump();
  EXPECT_EQ(SendMessageW(ud, UDM_GETPOS32, 0, 0), 1000);
  EXPECT_EQ(g_scrollPos, 1000);
  GetWindowTextW(edit, text, 32);
  EXPECT_EQ(std::u16string(text), u"1,000");
  g_refuseDelta = true;
  Screen().Click(r.left + 4, r.bottom - 3);
  Pump();
  EXPECT_EQ(SendMessageW(ud, UDM_GETPOS32, 0, 0), 1000);
}

TEST_F(CommonControls, ListViewItemsSelectionAndFind) {
  HWND lv = Make(WC_LISTVIEWW, LVS_ICON | LVS_SINGLESEL, 10, 10, 300, 200, 4);
  ASSERT_NE(lv, nullptr);
  const char16_t* names[] = {u"黒板", u"白板", u"緑板"};
  for (int i = 0; i < 3; ++i) {
    LVITEMW it{};
    it.mask = LVIF_TEXT | LVIF_PARAM;
    it.iItem = i;
    it.lParam = 100 + i;
    it.pszText = const_cast<LPWSTR>(names[i]);
    EXPECT_EQ(SendMessageW(lv, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&it)), i);
  }
  EXPECT_EQ(SendMessageW(lv, LVM_GETITEMCOUNT, 0, 0), 3);
  RECT r{};
  r.left = LVIR_ICON;
  ASSERT_TRUE(SendMessageW(lv, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r)));
  POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  ClientToScreen(lv, &p);
  Screen().Click(p.x, p.y);
  Pump();
  EXPECT_EQ(SendMessageW(lv, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 1);
  EXPECT_EQ(SendMessageW(lv, LVM_GETSELECTEDCOUNT, 0, 0), 1);
  bool changed = false;
  for (auto& n : g_notes) changed |= n.code == LVN_ITEMCHANGED && n.item == 1;
  EXPECT_TRUE(changed);
  Screen().PressKey(VK_RIGHT);
  Pump();
  EXPECT_EQ(SendMessageW(lv, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 2);
  LVFINDINFOW fi{};
  fi.flags = LVFI_PARAM;
  fi.lParam = 100;
  EXPECT_EQ(SendMessageW(lv, LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&fi)), 0);
  fi.flags = LVFI_STRING;
  fi.psz = u"緑板";
  EXPECT_EQ(SendMessageW(lv, LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&fi)), 2);
  char16_t buf[16] = {};
  LVITEMW get{};
  get.pszText = buf;
  get.cchTextMax = 16;
  EXPECT_EQ(SendMessageW(lv, LVM_GETITEMTEXTW, 0, reinterpret_cast<LPARAM>(&get)), 2);
  EXPECT_EQ(std::u16string(buf), u"黒板");
  EXPECT_TRUE(SendMessageW(lv, LVM_DELETEITEM, 0, 0));
  EXPECT_EQ(SendMessageW(lv, LVM_GETITEMCOUNT, 0, 0), 2);
}

TEST_F(CommonControls, ToolbarTooltipAsksItsParentForText) {
  HWND tb = CreateWindowExW(0, TOOLBARCLASSNAMEW, u"", WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS, 0, 0, 0, 0,
                            host, nullptr, nullptr, nullptr);
  ASSERT_NE(tb, nullptr);
  HWND tips = reinterpret_cast<HWND>(SendMessageW(tb, TB_GETTOOLTIPS, 0, 0));
  ASSERT_NE(tips, nullptr);
  SendMessageW(tips, TTM_SETDELAYTIME, TTDT_INITIAL, 1);
  TBBUTTON b{};
  b.iBitmap = -1;
  b.idCommand = 77;
  b.fsState = TBSTATE_ENABLED;
  b.iString = -1;
  SendMessageW(tb, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&b));
  SendMessageW(tb, TB_AUTOSIZE, 0, 0);
  EXPECT_EQ(SendMessageW(tips, TTM_GETTOOLCOUNT, 0, 0), 1);
  RECT r{};
  SendMessageW(tb, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r));
  POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  ClientToScreen(tb, &p);
  Screen().MouseMove(p.x, p.y);
  Pump();
  for (int i = 0; i < 50 && !IsWindowVisible(tips); ++i) {
    Sleep(10);
    Pump();
  }
  EXPECT_TRUE(IsWindowVisible(tips));
  bool asked = false;
  for (auto& n : g_notes) asked |= n.code == TTN_GETDISPINFOW && n.item == 77;
  EXPECT_TRUE(asked);
  Screen().Click(p.x, p.y);  // a click hides the tip
  Pump();
  EXPECT_FALSE(IsWindowVisible(tips));
}

TEST_F(CommonControls, ChooseColorAnswersTheClickedColour) {
  COLORREF custom[16] = {};
  custom[0] = RGB(1, 2, 3);
  CHOOSECOLORW cc{};
  cc.lStructSize = sizeof(cc);
  cc.hwndOwner = host;
  cc.lpCustColors = custom;
  cc.rgbResult = RGB(10, 20, 30);
  cc.Flags = CC_RGBINIT;
  winplat::user::SetModalIdleHandler([](HWND dlg) {
    char16_t red[8] = {};
    GetDlgItemTextW(dlg, 0x2C6, red, 8);
    EXPECT_EQ(std::u16string(red), u"10");  // the initial colour shows
    SendMessageW(dlg, WM_COMMAND, 0x720 + 8, 0);  // the basic colour pure red
    SendMessageW(dlg, WM_COMMAND, 0x2C9, 0);      // added to the custom colours
    SendMessageW(dlg, WM_COMMAND, IDOK, 0);
  });
  EXPECT_TRUE(ChooseColorW(&cc));
  winplat::user::SetModalIdleHandler(nullptr);
  EXPECT_EQ(cc.rgbResult, RGB(255, 0, 0));
  EXPECT_EQ(custom[0], RGB(255, 0, 0));
  cc.lStructSize = 3;
  EXPECT_FALSE(ChooseColorW(&cc));
  EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(CDERR_STRUCTSIZE));
}
