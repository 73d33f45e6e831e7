// The window manager on the headless screen: clipping to visible regions, composition,
// screenshots, dialogs and message boxes as windows answered by a script.
#include <gtest/gtest.h>

#include <string>

#include "test_support.h"
#include "winbase.h"
#include "wingdi.h"
#include "wintext.h"
#include "winplat_screen.h"
#include "winplat_user.h"
#include "winuser.h"

namespace {

LRESULT CALLBACK Plain(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcW(h, m, w, l); }

// A child that paints itself in a colour kept in GWL_USERDATA.
LRESULT CALLBACK Solid(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    HBRUSH b = CreateSolidBrush(static_cast<COLORREF>(GetWindowLongPtrW(h, GWL_USERDATA)));
    RECT r;
    GetClientRect(h, &r);
    FillRect(dc, &r, b);
    DeleteObject(b);
    EndPaint(h, &ps);
    return 0;
  }
  return DefWindowProcW(h, m, w, l);
}

uint32_t Px(int x, int y) {
  int w, h;
  auto p = winplat::screen::CurrentBackend()->Screenshot(&w, &h);
  return p[static_cast<size_t>(y) * w + x];
}

class ScreenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    winplat::screen::SetBackend(nullptr);
    winplat::screen::Headless()->SetDisplaySize(640, 480);
    static bool once = false;
    if (!once) {
      once = true;
      WNDCLASSW wc{};
      wc.lpfnWndProc = Plain;
      wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(COLOR_3DFACE + 1));
      wc.lpszClassName = u"ScrPlain";
      RegisterClassW(&wc);
      wc.lpfnWndProc = Solid;
      wc.hbrBackground = nullptr;
      wc.lpszClassName = u"ScrSolid";
      RegisterClassW(&wc);
    }
  }
  void TearDown() override {
    for (HWND h : made_)
      if (IsWindow(h)) DestroyWindow(h);
    winplat::user::PumpMessages();
    winplat::user::SetModalIdleHandler({});
    winplat::screen::SetMessageBoxAnswerer({});
  }
  HWND SolidChild(HWND parent, int x, int y, int w, int h, COLORREF c) {
    HWND r = CreateWindowExW(0, u"ScrSolid", u"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, x, y, w, h, parent, nullptr,
                             nullptr, nullptr);
    SetWindowLongPtrW(r, GWL_USERDATA, static_cast<LONG_PTR>(c));
    InvalidateRect(r, nullptr, TRUE);
    return r;
  }
  std::vector<HWND> made_;
};

TEST_F(ScreenTest, AChildOverASiblingIsNeverOverwrittenByTheSiblingsDrawing) {
  HWND form = CreateWindowExW(0, u"ScrPlain", u"黒板", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 400, 300,
                              nullptr, nullptr, nullptr, nullptr);
  made_.push_back(form);
  // The toolbar first: later children go below it, as the drawing surface does.
  HWND toolbar = SolidChild(form, 0, 0, 400, 40, RGB(0, 0, 255));
  HWND board = SolidChild(form, 0, 0, 400, 300, RGB(0, 128, 0));
  winplat::user::PumpMessages();
  EXPECT_EQ(Px(10, 10), 0x0000FFu);
  EXPECT_EQ(Px(10, 100), 0x008000u);
  // The board draws all over itself through GetDC: the toolbar stays.
  HDC dc = GetDC(board);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  RECT all{0, 0, 400, 300};
  FillRect(dc, &all, red);
  DeleteObject(red);
  ReleaseDC(board, dc);
  EXPECT_EQ(Px(10, 10), 0x0000FFu);
  EXPECT_EQ(Px(399, 39), 0x0000FFu);
  EXPECT_EQ(Px(10, 40), 0xFF0000u);
  // The clipper's view: the board's visible region leaves out the toolbar.
  const auto rects = winplat::user::WindowVisibleRects(board, true);
  ASSERT_EQ(rects.size(), 1u);
  EXPECT_EQ(rects[0].top, 40);
  // Hiding the toolbar exposes the board, which repaints there.
  const uint64_t gen = winplat::user::VisibleRegionGeneration();
  ShowWindow(toolbar, SW_HIDE);
  EXPECT_NE(winplat::user::VisibleRegionGeneration(), gen);
  winplat::user::PumpMessages();
  EXPECT_EQ(Px(10, 10), 0x008000u);
}

TEST_F(ScreenTest, TopLevelWindowsComposeInZOrderAndRepaintWhatTheyUncover) {
  HWND a = CreateWindowExW(0, u"ScrSolid", u"", WS_POPUP | WS_VISIBLE, 50, 50, 200, 150, nullptr, nullptr, nullptr, nullptr);
  SetWindowLongPtrW(a, GWL_USERDATA, RGB(255, 255, 0));
  HWND b = CreateWindowExW(0, u"ScrSolid", u"", WS_POPUP | WS_VISIBLE, 100, 100, 200, 150, nullptr, nullptr, nullptr, nullptr);
  SetWindowLongPtrW(b, GWL_USERDATA, RGB(0, 255, 255));
  made_ = {a, b};
  InvalidateRect(a, nullptr, TRUE);
  InvalidateRect(b, nullptr, TRUE);
  winplat::user::PumpMessages();
  EXPECT_EQ(Px(120, 120), 0x00FFFFu);  // b on top
  EXPECT_EQ(Px(60, 60), 0xFFFF00u);
  EXPECT_EQ(Px(5, 5), (GetSysColor(COLOR_BACKGROUND) & 0xFF00FF00u) | ((GetSysColor(COLOR_BACKGROUND) & 0xFF) << 16) |
                          ((GetSysColor(COLOR_BACKGROUND) >> 16) & 0xFF));
  SetWindowPos(a, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  winplat::user::PumpMessages();
  EXPECT_EQ(Px(120, 120), 0xFFFF00u);
  MoveWindow(a, 400, 300, 200, 150, TRUE);
  winplat::user::PumpMessages();
  EXPECT_EQ(Px(120, 120), 0x00FFFFu);  // b repainted what a uncovered
  EXPECT_EQ(Px(450, 350), 0xFFFF00u);
}

TEST_F(ScreenTest, ScreenshotOfAFormWithJapaneseCaption) {
  HWND form = CreateWindowExW(0, u"ScrPlain", u"Vel 黒板 Qz — 設定", WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN,
                              40, 30, 420, 300, nullptr, nullptr, nullptr, nullptr);
  made_.push_back(form);
  SolidChild(form, 10, 10, 120, 60, RGB(0, 96, 0));
  SolidChild(form, 60, 40, 120, 60, RGB(200, 60, 60));
  HWND other = CreateWindowExW(WS_EX_TOOLWINDOW, u"ScrPlain", u"ページ選択", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_VISIBLE,
                               300, 220, 260, 160, nullptr, nullptr, nullptr, nullptr);
  made_.push_back(other);
  winplat::user::PumpMessages();
  // Text drawn into the client area through a window DC.
  HDC dc = GetDC(form);
  SetBkMode(dc, TRANSPARENT);
  TextOutW(dc, 20, 120, u"チョークで書く", 7);
  ReleaseDC(form, dc);
  EXPECT_TRUE(test_support::WriteScreenshotPng("form_screenshot.png"));
  // The active caption is the active colour, the inactive one the inactive colour.
  const COLORREF act = GetSysColor(COLOR_ACTIVECAPTION), inact = GetSysColor(COLOR_INACTIVECAPTION);
  auto rgb = [](COLORREF c) { return static_cast<uint32_t>(GetRValue(c)) << 16 | GetGValue(c) << 8 | GetBValue(c); };
  EXPECT_EQ(Px(450, 228), rgb(act));
  EXPECT_EQ(Px(250, 36), rgb(inact));
}

INT_PTR CALLBACK DlgProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  switch (m) {
    case WM_INITDIALOG:
      SetWindowLongPtrW(h, DWLP_USER, l);
      return TRUE;
    case WM_USER + 5:
      SetWindowLongPtrW(h, DWLP_MSGRESULT, 77);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(w) == IDOK || LOWORD(w) == IDCANCEL) {
        EndDialog(h, LOWORD(w) == IDOK ? 1000 + GetWindowLongPtrW(h, DWLP_USER) : IDCANCEL);
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

TEST_F(ScreenTest, ModalDialogAnsweredByTheScript) {
  HWND owner = CreateWindowExW(0, u"ScrPlain", u"持ち主", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 500, 400, nullptr,
                               nullptr, nullptr, nullptr);
  made_.push_back(owner);
  DLGITEMTEMPLATEW items[] = {{WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 10, 10, 60, 14, 101, u"ScrPlain", u"", nullptr}};
  DLGTEMPLATEW t;
  t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER | DS_SETFONT;
  t.cx = 160;
  t.cy = 80;
  t.title = u"名前を付けて保存";
  t.items = items;
  t.cdit = 1;
  int idles = 0;
  HWND seen = nullptr;
  bool ownerDisabled = false;
  LRESULT msgResult = 0;
  winplat::user::SetModalIdleHandler([&](HWND dlg) {
    ++idles;
    seen = dlg;
    ownerDisabled = !IsWindowEnabled(owner);
    msgResult = SendMessageW(dlg, WM_USER + 5, 0, 0);
    EXPECT_TRUE(IsWindowVisible(dlg));
    EXPECT_EQ(GetActiveWindow(), dlg);
    EXPECT_EQ(GetFocus(), GetDlgItem(dlg, 101));
    winplat::screen::Headless()->PressKey(VK_RETURN);  // the default button: IDOK
  });
  EXPECT_EQ(DialogBoxIndirectParamW(nullptr, &t, owner, DlgProc, 5), 1005);
  EXPECT_EQ(idles, 1);
  EXPECT_TRUE(ownerDisabled);
  EXPECT_EQ(msgResult, 77);  // DWL_MSGRESULT is what SendMessage answers
  EXPECT_FALSE(IsWindow(seen));
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_EQ(GetActiveWindow(), owner);
  // Escape cancels; so does the close box through WM_CLOSE.
  winplat::user::SetModalIdleHandler([](HWND) { winplat::screen::Headless()->PressKey(VK_ESCAPE); });
  EXPECT_EQ(DialogBoxIndirectParamA(nullptr, &t, owner, DlgProc, 0), IDCANCEL);
  winplat::user::SetModalIdleHandler([](HWND dlg) { PostMessageW(dlg, WM_CLOSE, 0, 0); });
  EXPECT_EQ(DialogBoxIndirectParamW(nullptr, &t, owner, DlgProc, 0), IDCANCEL);
  // With nobody to answer on a screen without a display, the dialog is cancelled, not hung.
  winplat::user::SetModalIdleHandler({});
  testing::internal::CaptureStderr();
  EXPECT_EQ(DialogBoxIndirectParamW(nullptr, &t, owner, DlgProc, 0), IDCANCEL);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("modal window"), std::string::npos);
}

INT_PTR CALLBACK EndWithCommand(HWND h, UINT m, WPARAM w, LPARAM) {
  if (m == WM_INITDIALOG) return TRUE;
  if (m == WM_COMMAND && HIWORD(w) == BN_CLICKED) {
    EndDialog(h, LOWORD(w));
    return TRUE;
  }
  return FALSE;
}

TEST_F(ScreenTest, EnterPressesTheFocusedPushButtonElseTheDialogsDefault) {
  HWND owner = CreateWindowExW(0, u"ScrPlain", u"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 500, 400, nullptr, nullptr,
                               nullptr, nullptr);
  made_.push_back(owner);
  DLGITEMTEMPLATEW items[] = {
      {WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER, 0, 10, 10, 140, 14, 100, u"EDIT", u"", nullptr},
      {WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 10, 40, 60, 16, IDYES, u"BUTTON", u"Yes", nullptr},
      {WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 80, 40, 60, 16, IDNO, u"BUTTON", u"No", nullptr},
  };
  DLGTEMPLATEW t;
  t.style = WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_CENTER | DS_SETFONT;
  t.cx = 160;
  t.cy = 70;
  t.title = u"Default";
  t.items = items;
  t.cdit = 3;
  struct Case {
    const char* name;
    int tabs;         // from the edit, which has the focus first
    int result;
    int framed;       // the button drawn as the default when Enter is pressed
  };
  const Case cases[] = {
      {"in the edit: the default Yes", 0, IDYES, IDYES},
      {"on Yes", 1, IDYES, IDYES},
      {"on No: No, not the default", 2, IDNO, IDNO},
      {"past No back to the edit: the default again", 3, IDYES, IDYES},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LRESULT defId = 0;
    int framed = 0, styled = 0, idles = 0;
    winplat::user::SetModalIdleHandler([&](HWND dlg) {
      auto hb = winplat::screen::Headless();
      if (idles++ == 0 && c.tabs > 0) {  // the dialog's own loop takes the keys
        for (int i = 0; i < c.tabs; ++i) hb->PressKey(VK_TAB);
        return;
      }
      defId = SendMessageW(dlg, DM_GETDEFID, 0, 0);
      for (int id : {IDYES, IDNO}) {
        if ((GetWindowLongW(GetDlgItem(dlg, id), GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
          framed = id;
          ++styled;
        }
      }
      if (c.tabs == 2) EXPECT_TRUE(test_support::WriteScreenshotPng("dialog_focused_no.png"));
      hb->PressKey(VK_RETURN);
    });
    EXPECT_EQ(DialogBoxIndirectParamW(nullptr, &t, owner, EndWithCommand, 0), c.result);
    EXPECT_EQ(defId, MAKELONG(IDYES, DC_HASDEFID));  // the dialog's own default never changes
    EXPECT_EQ(framed, c.framed);
    EXPECT_EQ(styled, 1);
  }
}

TEST_F(ScreenTest, MessageBoxIsARealWindowWhileTheAnswererDecides) {
  HWND owner = CreateWindowExW(0, u"ScrPlain", u"Vel 黒板 Qz", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640, 480,
                               nullptr, nullptr, nullptr, nullptr);
  made_.push_back(owner);
  winplat::user::PumpMessages();
  HWND box = nullptr;
  bool ownerDisabled = false;
  winplat::screen::SetMessageBoxAnswerer([&](const winplat::screen::MessageBoxRequest& r) {
    box = FindWindowW(u"VseMessageBox", r.caption.c_str());
    ownerDisabled = !IsWindowEnabled(owner);
    EXPECT_TRUE(test_support::WriteScreenshotPng("message_box.png"));
    return IDNO;
  });
  EXPECT_EQ(MessageBoxA(owner, "\x95\xDB\x91\xB6\x82\xB5\x82\xDC\x82\xB7\x82\xA9\x81\x48", "Vel \x8D\x95\x94\xC2 Qz",
                        MB_YESNOCANCEL | MB_ICONQUESTION),
            IDNO);
  EXPECT_TRUE(box);
  EXPECT_TRUE(ownerDisabled);
  EXPECT_FALSE(IsWindow(box));
  EXPECT_TRUE(IsWindowEnabled(owner));
}

TEST_F(ScreenTest, MessageBoxAnsweredWithTheKeyboardThroughItsOwnLoop) {
  // A display-less screen with scripted input: the box's own modal loop takes the keys.
  winplat::user::SetModalIdleHandler([](HWND) {
    auto hb = winplat::screen::Headless();
    hb->PressKey(VK_RIGHT);   // from the default (OK) to Cancel
    hb->PressKey(VK_RETURN);
  });
  struct Display : winplat::screen::HeadlessBackend {
    bool HasDisplay() const override { return true; }
  };
  winplat::screen::SetBackend(std::make_shared<Display>());
  EXPECT_EQ(MessageBoxW(nullptr, u"削除しますか?", u"確認", MB_OKCANCEL), IDCANCEL);
  winplat::screen::SetBackend(nullptr);
}

}  // namespace
