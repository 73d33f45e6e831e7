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
    Screen().Elapse(10);
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

namespace {
std::vector<NMHDR> g_tbNotes;
std::vector<NMTBHOTITEM> g_hot;
DWORD_PTR g_clickItem = 0;
bool g_refuseHot = false;
std::vector<UINT> g_commands;

LRESULT CALLBACK ToolbarHostProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NOTIFY) {
    auto* hdr = reinterpret_cast<NMHDR*>(lp);
    g_tbNotes.push_back(*hdr);
    if (hdr->code == TBN_HOTITEMCHANGE) {
      g_hot.push_back(*reinterpret_cast<NMTBHOTITEM*>(lp));
      return g_refuseHot ? 1 : 0;
    }
    if (hdr->code == NM_CLICK || hdr->code == NM_RCLICK) g_clickItem = reinterpret_cast<NMMOUSE*>(lp)->dwItemSpec;
    if (hdr->code == TBN_DROPDOWN) g_clickItem = static_cast<DWORD_PTR>(reinterpret_cast<NMTOOLBARW*>(lp)->iItem);
    return 0;
  }
  if (msg == WM_COMMAND) {
    g_commands.push_back(LOWORD(wp));
    return 0;
  }
  return DefWindowProcW(h, msg, wp, lp);
}
}  // namespace

TEST_F(CommonControls, ToolbarNotifiesClicksHotChangesAndDropDowns) {
  static bool registered = false;
  if (!registered) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ToolbarHostProc;
    wc.lpszClassName = u"ToolbarHost";
    ASSERT_NE(RegisterClassW(&wc), 0);
    registered = true;
  }
  HWND bar = CreateWindowExW(0, u"ToolbarHost", u"", WS_POPUP | WS_VISIBLE, 0, 0, 300, 100, nullptr, nullptr, nullptr, nullptr);
  HWND tb = CreateWindowExW(0, TOOLBARCLASSNAMEW, u"", WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | CCS_NODIVIDER, 0, 0, 0, 0, bar,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(9)), nullptr, nullptr);
  TBBUTTON b[3] = {};
  for (int i = 0; i < 3; ++i) {
    b[i].iBitmap = -1;
    b[i].idCommand = 40 + i;
    b[i].fsState = TBSTATE_ENABLED;
    b[i].iString = -1;
  }
  b[2].fsStyle = TBSTYLE_DROPDOWN;
  SendMessageW(tb, TB_ADDBUTTONSW, 3, reinterpret_cast<LPARAM>(b));
  SendMessageW(tb, TB_AUTOSIZE, 0, 0);
  auto centre = [&](int i) {
    RECT r{};
    SendMessageW(tb, TB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r));
    POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ClientToScreen(tb, &p);
    return p;
  };
  g_tbNotes.clear();
  g_hot.clear();
  g_commands.clear();
  POINT p0 = centre(0), p1 = centre(1), p2 = centre(2);
  Screen().MouseMove(p0.x, p0.y);
  Pump();
  ASSERT_EQ(g_hot.size(), 1u);
  EXPECT_EQ(g_hot[0].idOld, -1);
  EXPECT_EQ(g_hot[0].idNew, 40);
  EXPECT_EQ(g_hot[0].dwFlags, HICF_MOUSE | HICF_ENTERING);
  EXPECT_EQ(g_hot[0].hdr.hwndFrom, tb);
  EXPECT_EQ(g_hot[0].hdr.idFrom, 9u);
  EXPECT_EQ(SendMessageW(tb, TB_GETHOTITEM, 0, 0), 0);
  // Refused: the hot button stays.
  g_refuseHot = true;
  Screen().MouseMove(p1.x, p1.y);
  Pump();
  g_refuseHot = false;
  EXPECT_EQ(SendMessageW(tb, TB_GETHOTITEM, 0, 0), 0);
  // A click: NM_CLICK with the button's command, then WM_COMMAND.
  g_tbNotes.clear();
  Screen().Click(p1.x, p1.y);
  Pump();
  auto clicks = std::count_if(g_tbNotes.begin(), g_tbNotes.end(), [](const NMHDR& n) { return n.code == NM_CLICK; });
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(g_clickItem, 41u);
  EXPECT_EQ(g_commands, std::vector<UINT>{41});
  // A right click: NM_RCLICK.
  Screen().Click(p0.x, p0.y, 1);
  Pump();
  EXPECT_EQ(g_tbNotes.back().code, static_cast<UINT>(NM_RCLICK));
  EXPECT_EQ(g_clickItem, 40u);
  // The drop-down button: TBN_DROPDOWN on the press, and no command.
  g_commands.clear();
  Screen().Click(p2.x, p2.y);
  Pump();
  auto drops = std::count_if(g_tbNotes.begin(), g_tbNotes.end(), [](const NMHDR& n) { return n.code == TBN_DROPDOWN; });
  EXPECT_EQ(drops, 1);
  EXPECT_EQ(g_clickItem, 42u);
  EXPECT_TRUE(g_commands.empty());
  DestroyWindow(bar);
}

TEST_F(CommonControls, SubclassedToolShowsItsTipWithoutRelayingAndIsPutBack) {
  HWND target = Make(u"BUTTON", BS_PUSHBUTTON, 20, 20, 80, 20, 5);
  HWND tips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, u"", WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0, host, nullptr,
                              nullptr, nullptr);
  SendMessageW(tips, TTM_SETDELAYTIME, TTDT_INITIAL, 1);
  LONG_PTR before = GetWindowLongPtrW(target, GWLP_WNDPROC);
  TOOLINFOW ti{};
  ti.cbSize = sizeof(ti);
  ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  ti.hwnd = host;
  ti.uId = reinterpret_cast<UINT_PTR>(target);
  ti.lpszText = const_cast<LPWSTR>(u"黒板");
  ASSERT_TRUE(SendMessageW(tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti)));
  EXPECT_NE(GetWindowLongPtrW(target, GWLP_WNDPROC), before);
  // The button's text still works through the chain.
  SetWindowTextW(target, u"表示");
  char16_t buf[8] = {};
  GetWindowTextW(target, buf, 8);
  EXPECT_EQ(std::u16string(buf), u"表示");
  POINT p{40, 10};
  ClientToScreen(target, &p);
  Screen().MouseMove(p.x, p.y);
  Pump();
  for (int i = 0; i < 50 && !IsWindowVisible(tips); ++i) {
    Screen().Elapse(10);
    Pump();
  }
  EXPECT_TRUE(IsWindowVisible(tips));
  SendMessageW(tips, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
  EXPECT_EQ(GetWindowLongPtrW(target, GWLP_WNDPROC), before);
  // Destroying the tooltip also lets go of the window.
  SendMessageW(tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
  DestroyWindow(tips);
  EXPECT_EQ(GetWindowLongPtrW(target, GWLP_WNDPROC), before);
}

TEST_F(CommonControls, ColorDialogOpensCompactUnlessFullOpen) {
  struct Case { DWORD flags; bool wideAtStart; bool defineEnabled; };
  const std::vector<Case> cases = {{0, false, true}, {CC_FULLOPEN, true, false}, {CC_PREVENTFULLOPEN, false, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.flags);
    COLORREF custom[16] = {};
    CHOOSECOLORW cc{};
    cc.lStructSize = sizeof(cc);
    cc.hwndOwner = host;
    cc.lpCustColors = custom;
    cc.Flags = c.flags;
    int startWidth = 0, openedWidth = 0;
    bool defineEnabled = false, redVisible = false;
    winplat::user::SetModalIdleHandler([&](HWND dlg) {
      RECT r;
      GetWindowRect(dlg, &r);
      startWidth = r.right - r.left;
      HWND define = GetDlgItem(dlg, 0x2CF);
      defineEnabled = IsWindowEnabled(define) != FALSE;
      if (defineEnabled) SendMessageW(dlg, WM_COMMAND, 0x2CF, 0);
      GetWindowRect(dlg, &r);
      openedWidth = r.right - r.left;
      RECT red, client;
      GetWindowRect(GetDlgItem(dlg, 0x2C6), &red);
      GetWindowRect(dlg, &client);
      redVisible = red.right <= client.right;
      SendMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_FALSE(ChooseColorW(&cc));
    winplat::user::SetModalIdleHandler(nullptr);
    EXPECT_EQ(defineEnabled, c.defineEnabled);
    if (c.wideAtStart) {
      EXPECT_TRUE(redVisible);
    } else {
      EXPECT_LT(startWidth, 300);
    }
    if (c.defineEnabled) {
      EXPECT_GT(openedWidth, startWidth);
      EXPECT_TRUE(redVisible);
    }
  }
}
