// The controls as windows on the headless screen: typing, selecting, clicking, and the
// parent's notifications.
#include <gtest/gtest.h>

#include <vector>

#include "control_fixture.h"
#include "commctrl.h"
#include "windows.h"
#include "winplat_mode.h"
#include "winplat_screen.h"
#include "winplat_user.h"

namespace {

std::u16string TextOf(HWND h) {
  char16_t buf[256] = {};
  GetWindowTextW(h, buf, 256);
  return buf;
}

}  // namespace

TEST_F(ControlWindows, CheckBoxesAndRadioGroupsToggle) {
  HWND check = Child(u"BUTTON", u"Grid", BS_AUTOCHECKBOX | WS_TABSTOP, 10, 10, 100, 20, 101);
  HWND r1 = Child(u"BUTTON", u"One", BS_AUTORADIOBUTTON | WS_GROUP, 10, 40, 100, 20, 201);
  HWND r2 = Child(u"BUTTON", u"Two", BS_AUTORADIOBUTTON, 10, 60, 100, 20, 202);
  HWND r3 = Child(u"BUTTON", u"Other", BS_AUTORADIOBUTTON | WS_GROUP, 10, 80, 100, 20, 203);
  HWND plain = Child(u"BUTTON", u"Plain", BS_CHECKBOX, 10, 100, 100, 20, 204);
  Pump();
  EXPECT_EQ(SendMessageW(check, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  Screen().Click(15, 20);
  Pump();
  EXPECT_EQ(SendMessageW(check, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(CountCommands(101, BN_CLICKED), 1);
  EXPECT_EQ(g_commands.back().from, check);
  // The keyboard: space on the focused box turns it back.
  EXPECT_EQ(GetFocus(), check);
  Screen().PressKey(VK_SPACE);
  Pump();
  EXPECT_EQ(SendMessageW(check, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(CountCommands(101, BN_CLICKED), 2);

  SendMessageW(r3, BM_SETCHECK, BST_CHECKED, 0);
  Screen().Click(15, 50);
  Pump();
  EXPECT_EQ(SendMessageW(r1, BM_GETCHECK, 0, 0), BST_CHECKED);
  Screen().Click(15, 70);
  Pump();
  EXPECT_EQ(SendMessageW(r1, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(SendMessageW(r2, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessageW(r3, BM_GETCHECK, 0, 0), BST_CHECKED);  // another group
  EXPECT_EQ(CountCommands(202, BN_CLICKED), 1);
  // A press that leaves the button before the release is no click.
  Screen().MouseDown(15, 50);
  Screen().MouseMove(300, 250);
  Screen().MouseUp(300, 250);
  Pump();
  EXPECT_EQ(SendMessageW(r1, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  // A plain check box tells of the click and leaves the state to its parent.
  Screen().Click(15, 110);
  Pump();
  EXPECT_EQ(SendMessageW(plain, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(CountCommands(204, BN_CLICKED), 1);
}

TEST_F(ControlWindows, TypingIntoAnEdit) {
  HWND edit = Child(u"EDIT", u"", WS_BORDER | ES_AUTOHSCROLL, 10, 10, 200, 22, 300);
  SetFocus(edit);
  Pump();
  Screen().TypeText(u"黒板 \U00020B9Fx");
  Pump();
  EXPECT_EQ(TextOf(edit), u"黒板 \U00020B9Fx");
  EXPECT_GE(CountCommands(300, EN_CHANGE), 5);
  // Shift+Left twice selects "x" and the pair.
  Screen().KeyDown(VK_SHIFT);
  Screen().PressKey(VK_LEFT);
  Screen().PressKey(VK_LEFT);
  Screen().KeyUp(VK_SHIFT);
  Pump();
  DWORD s = 0, e = 0;
  SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
  EXPECT_EQ(s, 3u);
  EXPECT_EQ(e, 6u);
  Screen().TypeText(u"ペン");
  Pump();
  EXPECT_EQ(TextOf(edit), u"黒板 ペン");
  // An ANSI caller's double-byte pair is one character: 0x8D 0x95 is 黒 in code page 932.
  SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(u""));
  SendMessageA(edit, WM_CHAR, 0x8D, 0);
  SendMessageA(edit, WM_CHAR, 0x95, 0);
  EXPECT_EQ(TextOf(edit), u"黒");
  char ansi[16] = {};
  GetWindowTextA(edit, ansi, sizeof(ansi));
  EXPECT_STREQ(ansi, "\x8D\x95");
  // Limit and read-only.
  SendMessageW(edit, EM_LIMITTEXT, 3, 0);
  Screen().TypeText(u"abc");
  Pump();
  EXPECT_EQ(TextOf(edit), u"黒ab");
  EXPECT_GE(CountCommands(300, EN_MAXTEXT), 1);
  SendMessageW(edit, EM_SETREADONLY, TRUE, 0);
  EXPECT_TRUE(GetWindowLongW(edit, GWL_STYLE) & ES_READONLY);
  Screen().PressKey(VK_BACK);
  Pump();
  EXPECT_EQ(TextOf(edit), u"黒ab");
  SendMessageW(edit, EM_SETPASSWORDCHAR, u'*', 0);
  EXPECT_EQ(SendMessageW(edit, EM_GETPASSWORDCHAR, 0, 0), u'*');
  EXPECT_EQ(TextOf(edit), u"黒ab");  // the text itself stays
}

TEST_F(ControlWindows, ListBoxSelectionByMouseAndKeyboard) {
  HWND list = Child(u"LISTBOX", u"", WS_BORDER | LBS_NOTIFY, 10, 10, 150, 100, 400);
  for (const char16_t* s : {u"ページ 1", u"ページ 2", u"ページ 3"}) SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
  // From an ANSI caller: "\x83\x79\x81\x5B\x83\x57" is ページ in code page 932.
  EXPECT_EQ(SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("\x83\x79\x81\x5B\x83\x57 4")), 3);
  EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 4);
  char16_t buf[64] = {};
  EXPECT_EQ(SendMessageW(list, LB_GETTEXT, 3, reinterpret_cast<LPARAM>(buf)), 5);
  EXPECT_EQ(std::u16string(buf), u"ページ 4");
  EXPECT_EQ(SendMessageW(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(u"ページ 3")), 2);
  Pump();
  int ih = static_cast<int>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
  ASSERT_GT(ih, 0);
  RECT item{};
  SendMessageW(list, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
  POINT p{item.left + 5, item.top + ih / 2};
  ClientToScreen(list, &p);
  Screen().Click(p.x, p.y);
  Pump();
  EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(CountCommands(400, LBN_SELCHANGE), 1);
  Screen().PressKey(VK_DOWN);
  Pump();
  EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(CountCommands(400, LBN_SELCHANGE), 2);
  // Setting the selection by message tells no one.
  SendMessageW(list, LB_SETCURSEL, 0, 0);
  EXPECT_EQ(CountCommands(400, LBN_SELCHANGE), 2);

  HWND multi = Child(u"LISTBOX", u"", WS_BORDER | LBS_EXTENDEDSEL, 200, 10, 150, 100, 401);
  for (const char16_t* s : {u"a", u"b", u"c", u"d"}) SendMessageW(multi, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
  Pump();
  auto rowPoint = [&](int i) {
    RECT r{};
    SendMessageW(multi, LB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r));
    POINT q{r.left + 5, (r.top + r.bottom) / 2};
    ClientToScreen(multi, &q);
    return q;
  };
  POINT a = rowPoint(0), c = rowPoint(2), d = rowPoint(3);
  Screen().Click(a.x, a.y);
  Screen().KeyDown(VK_SHIFT);
  Screen().Click(c.x, c.y);
  Screen().KeyUp(VK_SHIFT);
  Pump();
  EXPECT_EQ(SendMessageW(multi, LB_GETSELCOUNT, 0, 0), 3);
  Screen().KeyDown(VK_CONTROL);
  Screen().Click(d.x, d.y);
  Screen().KeyUp(VK_CONTROL);
  Pump();
  int sel[8] = {};
  EXPECT_EQ(SendMessageW(multi, LB_GETSELITEMS, 8, reinterpret_cast<LPARAM>(sel)), 4);
  EXPECT_EQ(sel[3], 3);
}

TEST_F(ControlWindows, ToolbarClickIsACommand) {
  HWND tb = CreateWindowExW(0, TOOLBARCLASSNAMEW, u"", WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | CCS_NODIVIDER, 0, 0, 0, 0,
                            parent, nullptr, nullptr, nullptr);
  ASSERT_NE(tb, nullptr);
  SendMessageW(tb, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  EXPECT_EQ(SendMessageW(tb, TB_ADDSTRINGW, 0, reinterpret_cast<LPARAM>(u"ペン\0消す\0")), 0);
  TBBUTTON b[3] = {};
  b[0].iBitmap = -1; b[0].idCommand = 501; b[0].fsState = TBSTATE_ENABLED; b[0].fsStyle = BTNS_CHECKGROUP; b[0].iString = 0;
  b[1].iBitmap = -1; b[1].idCommand = 502; b[1].fsState = TBSTATE_ENABLED; b[1].fsStyle = BTNS_CHECKGROUP; b[1].iString = 1;
  b[2].iBitmap = -1; b[2].idCommand = 503; b[2].fsState = TBSTATE_ENABLED; b[2].fsStyle = BTNS_BUTTON;
  b[2].iString = reinterpret_cast<INT_PTR>(u"保存");
  EXPECT_TRUE(SendMessageW(tb, TB_ADDBUTTONSW, 3, reinterpret_cast<LPARAM>(b)));
  SendMessageW(tb, TB_AUTOSIZE, 0, 0);
  Pump();
  RECT r{};
  ASSERT_TRUE(SendMessageW(tb, TB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r)));
  POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  ClientToScreen(tb, &p);
  Screen().Click(p.x, p.y);
  Pump();
  EXPECT_EQ(CountCommands(502, BN_CLICKED), 1);
  EXPECT_TRUE(SendMessageW(tb, TB_ISBUTTONCHECKED, 502, 0));
  EXPECT_FALSE(SendMessageW(tb, TB_ISBUTTONCHECKED, 501, 0));
  char16_t text[16] = {};
  EXPECT_EQ(SendMessageW(tb, TB_GETBUTTONTEXTW, 503, reinterpret_cast<LPARAM>(text)), 2);
  EXPECT_EQ(std::u16string(text), u"保存");
  // A disabled button gives no command.
  SendMessageW(tb, TB_ENABLEBUTTON, 501, FALSE);
  SendMessageW(tb, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r));
  p = POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  ClientToScreen(tb, &p);
  Screen().Click(p.x, p.y);
  Pump();
  EXPECT_EQ(CountCommands(501, BN_CLICKED), 0);
}

namespace {

INT_PTR CALLBACK SampleProc(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG; }

DLGITEMTEMPLATEW It(DWORD style, short x, short y, short cx, short cy, WORD id, const char16_t* cls, const char16_t* text) {
  DLGITEMTEMPLATEW it{};
  it.style = WS_CHILD | WS_VISIBLE | style;
  it.x = x; it.y = y; it.cx = cx; it.cy = cy;
  it.id = id;
  it.windowClass = cls;
  it.title = text;
  return it;
}

// A 16 x 16 image strip of four coloured shapes on a light grey key.
HBITMAP Strip() {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bm = CreateCompatibleBitmap(screen, 64, 16);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bm);
  RECT all{0, 0, 64, 16};
  HBRUSH key = CreateSolidBrush(RGB(192, 192, 192));
  FillRect(dc, &all, key);
  DeleteObject(key);
  const COLORREF colors[4] = {RGB(200, 0, 0), RGB(0, 140, 0), RGB(0, 0, 200), RGB(230, 160, 0)};
  for (int i = 0; i < 4; ++i) {
    HBRUSH b = CreateSolidBrush(colors[i]);
    HGDIOBJ ob = SelectObject(dc, b);
    if (i % 2) Ellipse(dc, i * 16 + 2, 2, i * 16 + 14, 14);
    else Rectangle(dc, i * 16 + 2, 2, i * 16 + 14, 14);
    SelectObject(dc, ob);
    DeleteObject(b);
  }
  SelectObject(dc, old);
  DeleteDC(dc);
  return bm;
}

}  // namespace

// Every control in one dialog on the headless screen, written as PNG for a look.
TEST_F(ControlWindows, ScreenshotOfADialogWithEveryControl) {
  DLGITEMTEMPLATEW items[] = {
      It(BS_GROUPBOX, 4, 30, 100, 66, 0xFFFF, u"BUTTON", u"設定(&S)"),
      It(BS_AUTOCHECKBOX | WS_TABSTOP, 10, 42, 90, 10, 10, u"BUTTON", u"グリッド(&G)"),
      It(BS_AUTOCHECKBOX | WS_TABSTOP, 10, 54, 90, 10, 11, u"BUTTON", u"日付を描く"),
      It(BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 10, 68, 90, 10, 12, u"BUTTON", u"黒板"),
      It(BS_AUTORADIOBUTTON, 10, 80, 90, 10, 13, u"BUTTON", u"白板"),
      It(SS_LEFT, 112, 30, 120, 9, 0xFFFF, u"STATIC", u"ファイル名(&N):"),
      It(WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 112, 40, 120, 12, 20, u"EDIT", u"板書2026.zip"),
      It(WS_BORDER | WS_TABSTOP | ES_PASSWORD | ES_AUTOHSCROLL, 112, 56, 120, 12, 21, u"EDIT", u"secret"),
      It(WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, 4, 100, 100, 50, 30, u"LISTBOX", u""),
      It(0, 112, 74, 120, 9, 40, PROGRESS_CLASSW, u""),
      It(WS_BORDER | ES_NUMBER, 112, 88, 40, 12, 50, u"EDIT", u""),
      It(UDS_ALIGNRIGHT | UDS_SETBUDDYINT | UDS_AUTOBUDDY | UDS_ARROWKEYS, 0, 0, 10, 12, 51, UPDOWN_CLASSW, u""),
      It(WS_BORDER | LVS_ICON | LVS_SHOWSELALWAYS, 112, 104, 120, 46, 60, WC_LISTVIEWW, u""),
      It(SS_ETCHEDHORZ, 4, 154, 228, 2, 0xFFFF, u"STATIC", u""),
      It(BS_DEFPUSHBUTTON | WS_TABSTOP, 128, 160, 50, 14, IDOK, u"BUTTON", u"OK"),
      It(BS_PUSHBUTTON | WS_TABSTOP, 182, 160, 50, 14, IDCANCEL, u"BUTTON", u"キャンセル"),
      It(BS_PUSHBUTTON | WS_DISABLED, 4, 160, 50, 14, 70, u"BUTTON", u"ヘルプ(&H)"),
  };
  DLGTEMPLATEW t{};
  t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | WS_VISIBLE;
  t.x = 10;
  t.y = 10;
  t.cx = 238;
  t.cy = 180;
  t.title = u"コントロールの見本";
  t.typeface = u"MS UI Gothic";
  t.pointSize = 9;
  t.items = items;
  t.cdit = static_cast<WORD>(sizeof(items) / sizeof(items[0]));
  HWND dlg = CreateDialogIndirectParamW(nullptr, &t, nullptr, SampleProc, 0);
  ASSERT_NE(dlg, nullptr);
  CheckDlgButton(dlg, 10, BST_CHECKED);
  CheckRadioButton(dlg, 12, 13, 12);
  HWND list = GetDlgItem(dlg, 30);
  for (const char16_t* s : {u"ページ 1", u"ページ 2", u"ページ 3", u"ページ 4", u"ページ 5"})
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
  SendMessageW(list, LB_SETCURSEL, 1, 0);
  SendDlgItemMessageW(dlg, 40, PBM_SETPOS, 60, 0);
  SendDlgItemMessageW(dlg, 51, UDM_SETRANGE32, 0, 10);
  SendDlgItemMessageW(dlg, 51, UDM_SETPOS32, 0, 3);
  HIMAGELIST il = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 4, 4);
  HBITMAP strip = Strip();
  ImageList_AddMasked(il, strip, RGB(192, 192, 192));
  HWND lv = GetDlgItem(dlg, 60);
  SendMessageW(lv, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(ImageList_Duplicate(il)));
  const char16_t* names[] = {u"赤", u"緑", u"青"};
  for (int i = 0; i < 3; ++i) {
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = i;
    item.iImage = i;
    item.pszText = const_cast<LPWSTR>(names[i]);
    SendMessageW(lv, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  }
  LVITEMW sel{};
  sel.stateMask = sel.state = LVIS_SELECTED;
  SendMessageW(lv, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&sel));

  // A toolbar across the top with images and texts from the string pool.
  HWND tb = CreateWindowExW(0, TOOLBARCLASSNAMEW, u"", WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS, 0, 0, 0, 0, dlg,
                            nullptr, nullptr, nullptr);
  SendMessageW(tb, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  SendMessageW(tb, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(il));
  SendMessageW(tb, TB_ADDSTRINGW, 0, reinterpret_cast<LPARAM>(u"ペン\0消す\0保存\0開く\0"));
  TBBUTTON b[5] = {};
  int img[5] = {0, 1, 0, 2, 3};
  for (int i = 0; i < 5; ++i) {
    b[i].iBitmap = img[i];
    b[i].idCommand = 600 + i;
    b[i].fsState = TBSTATE_ENABLED;
    b[i].fsStyle = i < 2 ? BTNS_CHECKGROUP : BTNS_BUTTON;
    b[i].iString = i < 2 ? i : i - 1;
  }
  b[2].fsStyle = BTNS_SEP;
  b[2].iBitmap = 0;
  b[0].fsState |= TBSTATE_CHECKED;
  SendMessageW(tb, TB_ADDBUTTONSW, 5, reinterpret_cast<LPARAM>(b));
  SendMessageW(tb, TB_AUTOSIZE, 0, 0);
  SetFocus(GetDlgItem(dlg, 20));
  SendDlgItemMessageW(dlg, 20, EM_SETSEL, 0, 2);
  Pump();

  int w = 0;
  std::vector<uint32_t> px = SaveWindowShot(dlg, "controls_dialog.png", &w);
  // The default button's black frame and the checked box's tick are on the screen.
  RECT ok;
  GetWindowRect(GetDlgItem(dlg, IDOK), &ok);
  EXPECT_EQ(px[static_cast<size_t>(ok.top) * w + ok.left] & 0xFFFFFF, 0u);
  DestroyWindow(dlg);
  ImageList_Destroy(il);
  DeleteObject(strip);
}

TEST_F(ControlWindows, EditSelectionCountsBytesOnTheAnsiOnlyPlatform) {
  HWND edit = Child(u"EDIT", u"", WS_BORDER, 10, 10, 200, 22, 310);
  SetWindowTextA(edit, "a\x82\xA0" "b");  // "aあb" in code page 932
  SendMessageW(edit, EM_SETSEL, 1, 2);
  DWORD s = 0, e = 0;
  SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
  EXPECT_EQ(s, 1u);
  EXPECT_EQ(e, 2u);  // the Unicode platform counts wide characters
  winplat::SetAnsiOnlyPlatform(true);
  SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
  EXPECT_EQ(s, 1u);
  EXPECT_EQ(e, 3u);  // the double-byte character is two bytes
  SendMessageA(edit, EM_SETSEL, 3, 4);
  SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
  winplat::SetAnsiOnlyPlatform(false);
  EXPECT_EQ(s, 3u);
  EXPECT_EQ(e, 4u);
  SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
  EXPECT_EQ(s, 2u);  // "b"
}

TEST_F(ControlWindows, OwnerDrawnButtonsAndListsAskTheirParent) {
  g_drawn.clear();
  g_deleted.clear();
  HWND button = Child(u"BUTTON", u"", BS_OWNERDRAW, 10, 10, 80, 24, 700);
  HWND list = Child(u"LISTBOX", u"", WS_BORDER | LBS_OWNERDRAWFIXED | LBS_NOTIFY, 10, 40, 150, 100, 701);
  EXPECT_EQ(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0), 21);  // from WM_MEASUREITEM
  // Without LBS_HASSTRINGS the "string" is the item's data.
  SendMessageW(list, LB_ADDSTRING, 0, 0x1234);
  SendMessageW(list, LB_ADDSTRING, 0, 0x5678);
  ULONG_PTR data = 0;
  EXPECT_EQ(SendMessageW(list, LB_GETTEXT, 1, reinterpret_cast<LPARAM>(&data)), static_cast<LRESULT>(sizeof(ULONG_PTR)));
  EXPECT_EQ(data, 0x5678u);
  SendMessageW(list, LB_SETCURSEL, 1, 0);
  UpdateWindow(parent);
  Pump();
  bool buttonDrawn = false, selectedItem = false;
  for (auto& d : g_drawn) {
    if (d.CtlType == ODT_BUTTON && d.hwndItem == button && d.CtlID == 700) buttonDrawn = true;
    if (d.CtlType == ODT_LISTBOX && d.itemID == 1 && d.itemData == 0x5678 && (d.itemState & ODS_SELECTED) &&
        d.rcItem.bottom - d.rcItem.top == 21)
      selectedItem = true;
  }
  EXPECT_TRUE(buttonDrawn);
  EXPECT_TRUE(selectedItem);
  // Pressing the owner-drawn button draws it selected, and the click reaches the parent.
  g_drawn.clear();
  RECT r;
  GetWindowRect(button, &r);
  Screen().MouseDown(r.left + 5, r.top + 5);
  Pump();
  bool pressed = false;
  for (auto& d : g_drawn) pressed |= d.CtlType == ODT_BUTTON && (d.itemState & ODS_SELECTED);
  EXPECT_TRUE(pressed);
  Screen().MouseUp(r.left + 5, r.top + 5);
  Pump();
  EXPECT_EQ(CountCommands(700, BN_CLICKED), 1);
  // The parent hears of each owner-drawn item that goes.
  SendMessageW(list, LB_DELETESTRING, 0, 0);
  EXPECT_EQ(g_deleted, std::vector<ULONG_PTR>{0x1234});
}

TEST_F(ControlWindows, AlignedEditsPlaceTheirText) {
  HWND left = Child(u"EDIT", u"ab", WS_BORDER, 10, 10, 200, 22, 800);
  HWND right = Child(u"EDIT", u"ab", WS_BORDER | ES_RIGHT, 10, 40, 200, 22, 801);
  HWND centre = Child(u"EDIT", u"ab", WS_BORDER | ES_CENTER, 10, 70, 200, 22, 802);
  auto x0 = [](HWND e) { return static_cast<short>(LOWORD(SendMessageW(e, EM_POSFROMCHAR, 0, 0))); };
  auto x2 = [](HWND e) { return static_cast<short>(LOWORD(SendMessageW(e, EM_POSFROMCHAR, 2, 0))); };
  RECT r;
  GetClientRect(right, &r);
  EXPECT_LT(x0(left), 5);
  EXPECT_GT(x0(right), r.right / 2);
  EXPECT_NEAR(x2(right), r.right - 2, 2);
  EXPECT_NEAR(x0(centre) + x2(centre), r.right, 4);
  // A click left of a right-aligned text puts the caret at its start.
  POINT p{3, 10};
  ClientToScreen(right, &p);
  Screen().Click(p.x, p.y);
  Pump();
  DWORD s = 9, e = 9;
  SendMessageW(right, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
  EXPECT_EQ(s, 0u);
  EXPECT_EQ(e, 0u);
}

TEST_F(ControlWindows, IconStaticDrawsItsIconThroughTheMask) {
  // An 8 x 8 red icon whose left half is clear.
  std::vector<uint32_t> color(64, 0x00FF0000u), mask(64, 0);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 4; ++x) mask[static_cast<size_t>(y * 8 + x)] = 0x00FFFFFFu;
  auto bitmap = [](const std::vector<uint32_t>& px) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = 8;
    bi.bmiHeader.biHeight = -8;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP b = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::copy(px.begin(), px.end(), static_cast<uint32_t*>(bits));
    return b;
  };
  ICONINFO ii{TRUE, 0, 0, bitmap(mask), bitmap(color)};
  HICON icon = CreateIconIndirect(&ii);
  DeleteObject(ii.hbmMask);
  DeleteObject(ii.hbmColor);
  ASSERT_NE(icon, nullptr);
  HWND centred = Child(u"STATIC", u"", SS_ICON | SS_CENTERIMAGE, 10, 10, 28, 28, 900);
  HWND corner = Child(u"STATIC", u"", SS_ICON, 50, 10, 28, 28, 901);
  EXPECT_EQ(SendMessageW(centred, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0), 0);
  EXPECT_EQ(SendMessageW(corner, STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon)), 0);
  EXPECT_EQ(SendMessageW(centred, STM_GETICON, 0, 0), reinterpret_cast<LRESULT>(icon));
  EXPECT_EQ(SendMessageW(corner, STM_GETIMAGE, IMAGE_ICON, 0), reinterpret_cast<LRESULT>(icon));
  EXPECT_EQ(SendMessageW(corner, STM_GETIMAGE, IMAGE_BITMAP, 0), 0);
  UpdateWindow(parent);
  Pump();
  int w = 0;
  std::vector<uint32_t> px = SaveWindowShot(parent, "icon_static.png", &w);
  auto at = [&](int x, int y) { return px[static_cast<size_t>(y) * w + x]; };
  const COLORREF f = GetSysColor(COLOR_BTNFACE);
  const uint32_t face = static_cast<uint32_t>(GetRValue(f)) << 16 | GetGValue(f) << 8 | GetBValue(f);
  struct Probe {
    int x, y;
    uint32_t want;
  };
  const Probe probes[] = {
      {10 + 10 + 1, 10 + 10 + 1, face},        // centred: the clear half
      {10 + 10 + 6, 10 + 10 + 6, 0x00FF0000u},  // centred: the picture
      {10 + 2, 10 + 2, face},                  // centred: around the icon
      {50 + 1, 10 + 1, face},                  // at the corner: the clear half
      {50 + 6, 10 + 6, 0x00FF0000u},
      {50 + 12, 10 + 12, face},
  };
  for (const Probe& p : probes) EXPECT_EQ(at(p.x, p.y), p.want) << p.x << "," << p.y;
  // Replacing the icon answers the old one; the static never destroys it.
  EXPECT_EQ(SendMessageW(centred, STM_SETICON, 0, 0), reinterpret_cast<LRESULT>(icon));
  DestroyWindow(corner);
  EXPECT_TRUE(DestroyIcon(icon));
}
