// Multiple-document windows: a frame with its MDI client, documents made by CreateMDIWindowW in
// the client (with the creation record they see), activation, closing through the document's
// default procedure, the frame's default procedure sizing the client, and the ANSI-only
// platform refusing the W calls.
#include <gtest/gtest.h>

#include <string>

#include "commctrl.h"
#include "test_window_class.h"
#include "windows.h"
#include "winplat_mode.h"
#include "winplat_screen.h"

namespace {

HWND g_client = nullptr;
const void* g_seen_create_param = nullptr;
LPARAM g_seen_mdi_param = 0;

LRESULT CALLBACK FrameProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  return DefFrameProcW(h, g_client, msg, wp, lp);
}

LRESULT CALLBACK DocProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_CREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
    g_seen_create_param = cs->lpCreateParams;
    if (cs->lpCreateParams) g_seen_mdi_param = static_cast<MDICREATESTRUCTW*>(cs->lpCreateParams)->lParam;
  }
  return DefMDIChildProcW(h, msg, wp, lp);
}

LRESULT CALLBACK AnsiDocProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) { return DefMDIChildProcA(h, msg, wp, lp); }

class Mdi : public ::testing::Test {
 protected:
  void SetUp() override {
    winplat::screen::SetBackend(nullptr);
    ASSERT_TRUE(RegisterTestClassOnce(u"MdiFrame", FrameProc));
    ASSERT_TRUE(RegisterTestClassOnce(u"MdiDoc", DocProc));
    frame = CreateWindowExW(0, u"MdiFrame", u"frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300,
                            nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(frame, nullptr);
    CLIENTCREATESTRUCT ccs{nullptr, 100};
    RECT r{};
    GetClientRect(frame, &r);
    g_client = CreateWindowExW(0, u"MDICLIENT", nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, r.right,
                               r.bottom, frame, nullptr, nullptr, &ccs);
    ASSERT_NE(g_client, nullptr);
  }
  void TearDown() override {
    DestroyWindow(frame);
    g_client = nullptr;
  }
  HWND frame = nullptr;
};

TEST_F(Mdi, DocumentsAreMadeInTheClientAndTheLastOneIsActive) {
  const std::u16string kTitle = u"ひとつめ 𠮷";  // a surrogate pair outside code page 932
  HWND a = CreateMDIWindowW(u"MdiDoc", kTitle.c_str(), WS_VISIBLE, 10, 10, 120, 80, g_client, nullptr, 42);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(GetParent(a), g_client);
  EXPECT_TRUE(GetWindowLongW(a, GWL_EXSTYLE) & WS_EX_MDICHILD);
  EXPECT_TRUE(IsWindowUnicode(a));
  EXPECT_EQ(GetWindowLongW(a, GWL_ID), 100);  // idFirstChild
  ASSERT_NE(g_seen_create_param, nullptr);     // the document sees its MDICREATESTRUCT
  EXPECT_EQ(g_seen_mdi_param, 42);
  char16_t title[32] = {};
  GetWindowTextW(a, title, 32);
  EXPECT_EQ(std::u16string(title), kTitle);

  // A default size fills the client.
  HWND b = CreateMDIWindowW(u"MdiDoc", u"b", WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                            CW_USEDEFAULT, g_client, nullptr, 0);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(GetWindowLongW(b, GWL_ID), 101);
  RECT cr{}, br{};
  GetClientRect(g_client, &cr);
  GetWindowRect(b, &br);
  EXPECT_EQ(br.right - br.left, cr.right);
  EXPECT_EQ(reinterpret_cast<HWND>(SendMessageW(g_client, WM_MDIGETACTIVE, 0, 0)), b);
  SendMessageW(g_client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(a), 0);
  EXPECT_EQ(reinterpret_cast<HWND>(SendMessageW(g_client, WM_MDIGETACTIVE, 0, 0)), a);

  // Closing a document destroys it through the client; the other one becomes active.
  SendMessageW(a, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(a));
  EXPECT_EQ(reinterpret_cast<HWND>(SendMessageW(g_client, WM_MDIGETACTIVE, 0, 0)), b);
  DestroyWindow(b);  // not through the client: it forgets it all the same
  EXPECT_EQ(SendMessageW(g_client, WM_MDIGETACTIVE, 0, 0), 0);
}

TEST_F(Mdi, TheFramesDefaultProcedureSizesTheClient) {
  SetWindowPos(frame, nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER);
  RECT fr{}, cr{};
  GetClientRect(frame, &fr);
  GetClientRect(g_client, &cr);
  EXPECT_EQ(cr.right, fr.right);
  EXPECT_EQ(cr.bottom, fr.bottom);
}

TEST_F(Mdi, AStaleClientIsRefused) {
  SetLastError(0);
  EXPECT_EQ(CreateMDIWindowW(u"MdiDoc", u"x", 0, 0, 0, 10, 10, reinterpret_cast<HWND>(0x1234), nullptr, 0), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(Mdi, TheAnsiOnlyPlatformRefusesTheWCalls) {
  WNDCLASSA wc{};
  if (!GetClassInfoA(nullptr, "MdiDocA", &wc)) {
    wc.lpfnWndProc = AnsiDocProc;
    wc.lpszClassName = "MdiDocA";
    ASSERT_NE(RegisterClassA(&wc), 0);
  }
  winplat::SetAnsiOnlyPlatform(true);
  winplat::ResetWideCallViolations();
  EXPECT_EQ(CreateMDIWindowW(u"MdiDoc", u"x", 0, 0, 0, 10, 10, g_client, nullptr, 0), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED));
  EXPECT_EQ(winplat::WideCallViolations(), 1u);
  HWND a = CreateMDIWindowA("MdiDocA", "ansi", WS_VISIBLE, 0, 0, 50, 50, g_client, nullptr, 0);
  EXPECT_NE(a, nullptr);
  EXPECT_FALSE(IsWindowUnicode(a));
  winplat::SetAnsiOnlyPlatform(false);
  winplat::ResetWideCallViolations();
}

}  // namespace
