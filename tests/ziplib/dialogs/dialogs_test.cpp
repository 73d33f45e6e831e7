// The library's dialogs as windows on the headless screen: the overwrite question and the
// password prompt answered by the scripted answerer on the dialog itself or driven by input, and
// the progress dialog with its Cancel button, its questions and the move of the archive.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "commctrl.h"
#include "mfc/resources.h"
#include "test_support.h"
#include "winplat_screen.h"
#include "winplat_user.h"
#include "ziplib/dlgextmsg.h"
#include "ziplib/dlgoverwrite.h"
#include "ziplib/getpassword.h"
#include "ziplib/unzip_ui.h"
#include "ziplib/zipapp.h"

namespace fs = std::filesystem;
namespace screen = winplat::screen;
using zipvault::CDlgExtMsg;
using zipvault::CDlgOverWrite;
using zipvault::CGetPassword;

namespace {

std::u16string WideText(HWND h) {
  WCHAR buf[512] = {};
  GetWindowTextW(h, buf, 512);
  return std::u16string(reinterpret_cast<const char16_t*>(buf));
}

FILETIME LocalTime(int y, int mo, int d, int h, int mi, int s) {
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(y);
  st.wMonth = static_cast<WORD>(mo);
  st.wDay = static_cast<WORD>(d);
  st.wHour = static_cast<WORD>(h);
  st.wMinute = static_cast<WORD>(mi);
  st.wSecond = static_cast<WORD>(s);
  FILETIME local{}, utc{};
  SystemTimeToFileTime(&st, &local);
  LocalFileTimeToFileTime(&local, &utc);
  return utc;
}

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    screen::SetBackend(nullptr);
    caller_ = test_support::CreateOwnerWindow(u"黒板");
    winplat::user::PumpMessages();
    zipvault::clear_password_input();
  }
  void TearDown() override {
    screen::SetMessageBoxAnswerer({});
    winplat::user::SetModalIdleHandler({});
    if (IsWindow(caller_)) DestroyWindow(caller_);
    winplat::user::PumpMessages();
  }
  HWND caller_ = nullptr;
};

// ---------------------------------------------------------------- the overwrite question

struct OverwriteCase {
  const char* name;
  bool scripted;   // false: nothing queued, the answerer takes the default button
  int answer;
  int result;
  bool all;
};

TEST_F(DialogTest, OverwriteQuestionShowsBothFilesAndPressesTheAnsweredButton) {
  const OverwriteCase cases[] = {
      {"yes", true, IDYES, IDOK, false},
      {"no", true, IDNO, IDCANCEL, false},
      {"all", true, CDlgOverWrite::IDC_ALL, IDOK, true},
      {"the button's own id", true, IDCANCEL, IDCANCEL, false},
      {"default", false, 0, IDOK, false},
  };
  const FILETIME entry = LocalTime(2024, 3, 5, 14, 7, 8);
  const FILETIME disk = LocalTime(1999, 12, 31, 23, 59, 58);
  for (const OverwriteCase& c : cases) {
    SCOPED_TRACE(c.name);
    auto answers = screen::InstallScriptedAnswerer();
    if (c.scripted) answers->Push(c.answer);
    HWND shown = nullptr;
    bool ownerDisabled = false;
    LRESULT icon = 0;
    std::u16string name, entryText, diskText;
    screen::SetMessageBoxAnswerer([&](const screen::MessageBoxRequest& r) {
      shown = GetActiveWindow();
      ownerDisabled = !IsWindowEnabled(caller_);
      icon = SendMessageW(GetDlgItem(shown, mfc::IDI_OVERWRITE), STM_GETICON, 0, 0);
      name = WideText(GetDlgItem(shown, 1005));
      entryText = WideText(GetDlgItem(shown, 1001));
      diskText = WideText(GetDlgItem(shown, 1002));
      if (std::string(c.name) == "all") {
        EXPECT_TRUE(test_support::WriteScreenshotPng("overwrite_dialog.png"));
      }
      return answers->Answer(r);
    });
    bool all = true;
    EXPECT_EQ(zipvault::ask_overwrite_dialog(caller_, "ow\\黒板.bmp", entry, 1234567, disk, 999999, &all), c.result);
    EXPECT_EQ(all, c.all);
    const std::vector<screen::MessageBoxRequest> asked = answers->Shown();
    ASSERT_EQ(asked.size(), 1u);
    const screen::MessageBoxRequest& r = asked[0];
    EXPECT_EQ(r.caption, u"ファイルの上書き");
    EXPECT_EQ(r.text,
              u"指定されたファイルがすでに存在します。\now\\黒板.bmp\n書庫内のファイル :\n 2024-03-05  14:07:08   1.17MB\n"
              u"ディスク内のファイル :\n 1999-12-31  23:59:58   999,999 バイト\n書庫内のファイルで上書きしますか？");
    EXPECT_EQ(r.owner, caller_);
    EXPECT_EQ(name, u"ow\\黒板.bmp");
    EXPECT_EQ(entryText, u" 2024-03-05  14:07:08   1.17MB");
    EXPECT_EQ(diskText, u" 1999-12-31  23:59:58   999,999 バイト");
    EXPECT_TRUE(ownerDisabled);
    EXPECT_NE(icon, 0);  // the warning sign, shown as an icon
    EXPECT_FALSE(IsWindow(shown));
    EXPECT_TRUE(IsWindowEnabled(caller_));
  }
}

TEST_F(DialogTest, OverwriteQuestionDrivenByTheKeyboardAndTheMouse) {
  // No answerer: the user's own keys and clicks reach the dialog through the screen.
  struct Step {
    const char* name;
    std::function<void(HWND)> act;
    int result;
    bool all;
  };
  auto click = [](HWND dlg, int id) {
    RECT r;
    GetWindowRect(GetDlgItem(dlg, id), &r);
    screen::Headless()->Click((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  };
  const Step steps[] = {
      {"Enter takes the default Yes", [](HWND) { screen::Headless()->PressKey(VK_RETURN); }, IDOK, false},
      {"Escape is No", [](HWND) { screen::Headless()->PressKey(VK_ESCAPE); }, IDCANCEL, false},
      {"a click on All", [&](HWND d) { click(d, 1003); }, IDOK, true},
      {"a click on No", [&](HWND d) { click(d, 2); }, IDCANCEL, false},
      {"Tab twice to All, then Space",
       [](HWND) {
         auto hb = screen::Headless();
         hb->PressKey(VK_TAB);
         hb->PressKey(VK_TAB);
         hb->PressKey(VK_SPACE);
       },
       IDOK, true},
      {"Tab twice to All, then Enter",
       [](HWND) {
         auto hb = screen::Headless();
         hb->PressKey(VK_TAB);
         hb->PressKey(VK_TAB);
         hb->PressKey(VK_RETURN);
       },
       IDOK, true},
      {"Tab once to No, then Enter", [](HWND) {
         auto hb = screen::Headless();
         hb->PressKey(VK_TAB);
         hb->PressKey(VK_RETURN);
       },
       IDCANCEL, false},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.name);
    int idles = 0;
    winplat::user::SetModalIdleHandler([&](HWND dlg) {
      if (idles++ == 0) s.act(dlg);
    });
    CWnd parent;
    parent.Attach(caller_);
    CDlgOverWrite dlg(&parent);
    dlg.m_name = "a.txt";
    EXPECT_EQ(dlg.DoModal(), s.result);
    EXPECT_EQ(dlg.m_all, s.all);
    EXPECT_EQ(dlg.m_hWnd, nullptr);
    parent.Detach();
  }
}

TEST_F(DialogTest, WithNobodyToAnswerTheQuestionIsCancelledNotHung) {
  FILETIME t = LocalTime(2020, 1, 1, 0, 0, 0);
  bool all = true;
  testing::internal::CaptureStderr();
  EXPECT_EQ(zipvault::ask_overwrite_dialog(caller_, "a.txt", t, 1, t, 1, &all), IDCANCEL);
  std::string password = "kept";
  EXPECT_EQ(zipvault::ask_password_dialog(nullptr, &password), IDCANCEL);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_FALSE(all);
  EXPECT_EQ(password, "kept");
  EXPECT_NE(err.find("cancelled: " + std::string(reinterpret_cast<const char*>(u8"ファイルの上書き"))), std::string::npos) << err;
  EXPECT_NE(err.find("cancelled: " + std::string(reinterpret_cast<const char*>(u8"パスワードの入力"))), std::string::npos) << err;
}

// ---------------------------------------------------------------- the password prompt

struct PasswordCase {
  const char* name;
  int answer;
  std::string typed;
  int result;
  std::string password;   // what the caller gets
};

TEST_F(DialogTest, PasswordPromptTypesIntoItsEditAndPressesTheButton) {
  const std::string dbcs45 = [] {
    std::string s;
    for (int i = 0; i < 45; ++i) s += "パ";
    return s;
  }();
  const PasswordCase cases[] = {
      {"typed and OK", IDOK, "chalk board", IDOK, "chalk board"},
      {"empty and OK", IDOK, "", IDOK, ""},
      {"cancelled", IDCANCEL, "secret", IDCANCEL, "untouched"},
      {"100 characters: the edit takes 80", IDOK, std::string(100, 'x'), IDOK, std::string(80, 'x')},
      // 45 double-byte characters fit the edit, their 90 bytes not the buffer: 40 whole ones.
      {"double-byte", IDOK, dbcs45, IDOK, dbcs45.substr(0, 80)},
  };
  for (const PasswordCase& c : cases) {
    SCOPED_TRACE(c.name);
    auto answers = screen::InstallScriptedAnswerer();
    answers->Push(c.answer);
    zipvault::script_password_input(c.typed);
    std::string password = "untouched";
    EXPECT_EQ(zipvault::ask_password_dialog(caller_, &password), c.result);
    EXPECT_EQ(password, c.password);
    ASSERT_EQ(answers->Shown().size(), 1u);
    EXPECT_EQ(answers->Shown()[0].caption, u"パスワードの入力");
    EXPECT_EQ(answers->Shown()[0].text, u"この書庫は、パスワードにより保護されています。\nパスワードを入力してください。");
    EXPECT_EQ(answers->Shown()[0].type & MB_TYPEMASK, static_cast<UINT>(MB_OKCANCEL));
  }
}

TEST_F(DialogTest, PasswordPromptHidesWhatIsTyped) {
  std::u16string seen;
  LRESULT mask = 0;
  HWND focus = nullptr;
  int idles = 0;
  winplat::user::SetModalIdleHandler([&](HWND dlg) {
    auto hb = screen::Headless();
    if (idles++ == 0) {
      focus = GetFocus() == GetDlgItem(dlg, 1016) ? GetFocus() : nullptr;
      hb->TypeText(u"黒板chalk");
      return;
    }
    HWND edit = GetDlgItem(dlg, 1016);
    seen = WideText(edit);
    mask = SendMessageW(edit, EM_GETPASSWORDCHAR, 0, 0);
    EXPECT_TRUE(test_support::WriteScreenshotPng("password_dialog.png"));
    hb->PressKey(VK_RETURN);
  });
  CWnd parent;
  parent.Attach(caller_);
  CGetPassword dlg(&parent);
  EXPECT_EQ(dlg.DoModal(), IDOK);
  parent.Detach();
  EXPECT_NE(focus, nullptr);   // the edit has the focus when the prompt opens
  EXPECT_EQ(seen, u"黒板chalk");
  EXPECT_EQ(mask, u'*');
  EXPECT_EQ(dlg.m_password.str(), "黒板chalk");
}

// ---------------------------------------------------------------- the progress dialog

TEST_F(DialogTest, ProgressDialogCancelButtonAsksAndEscapeDuringTheMoveDoesNot) {
  auto answers = screen::InstallScriptedAnswerer();
  CWnd parent;
  parent.Attach(caller_);
  auto* d = new CDlgExtMsg();
  ASSERT_TRUE(d->Create(&parent, CDlgExtMsg::Extract));
  d->SetArchive("C:\\授業\\board.zip");
  d->SetStep("reading...");
  EXPECT_EQ(d->GetWindowText(), "圧縮書庫の解凍  reading...");
  EXPECT_EQ(d->GetDlgItemText(1015), "作成ファイル名 :");   // extract mode keeps the label
  d->SetFile("page001.bmp", 0, 3000);
  d->Update(1000);
  ASSERT_TRUE(d->IsWindowVisible());
  EXPECT_EQ(d->Progress().GetPos(), 33);
  EXPECT_EQ(d->GetDlgItemText(1010), "      0/      0");   // counters move in compress mode only
  EXPECT_TRUE(test_support::WriteScreenshotPng("progress_dialog.png"));
  // A click on Cancel is read at the next step: No goes on, then Yes stops.
  RECT r;
  GetWindowRect(GetDlgItem(d->m_hWnd, 2), &r);
  answers->Push(IDNO);
  screen::Headless()->Click((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  d->Update(2000);
  EXPECT_FALSE(d->Cancelled());
  ASSERT_EQ(answers->Shown().size(), 1u);
  EXPECT_EQ(answers->Shown()[0].text, u"解凍を中断しますか？");
  answers->Push(IDYES);
  screen::Headless()->PressKey(VK_RETURN);
  d->Update(2500);
  EXPECT_TRUE(d->Cancelled());
  EXPECT_EQ(answers->Shown().size(), 2u);
  // While the archive is moved into place Cancel is disabled and Escape asks nothing.
  fs::remove_all("mv");
  fs::create_directories("mv");
  std::ofstream("mv/ZVT1.tmp", std::ios::binary) << std::string(5000, 'z');
  std::ofstream("mv/a.zip", std::ios::binary) << "old";
  // The move pumps: a message to the caller's window, dispatched then, looks at the dialog.
  bool cancelEnabledDuring = true;
  WNDPROC old = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(caller_, GWL_WNDPROC));
  WNDPROC spy = winplat::user::RegisterProcedure(
      [&](HWND h, UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
        if (msg == WM_USER + 1) cancelEnabledDuring = d->IsItemEnabled(2);
        return CallWindowProcW(old, h, msg, wp, lp);
      },
      true);
  SetWindowLongPtrW(caller_, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(spy));
  PostMessageW(caller_, WM_USER + 1, 0, 0);
  screen::Headless()->PressKey(VK_ESCAPE);
  EXPECT_TRUE(d->MoveWithProgress("mv/ZVT1.tmp", "mv/a.zip"));
  SetWindowLongPtrW(caller_, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(old));
  winplat::user::UnregisterProcedure(spy);
  EXPECT_FALSE(cancelEnabledDuring);
  EXPECT_TRUE(d->IsItemEnabled(2));   // enabled again afterwards
  EXPECT_EQ(answers->Shown().size(), 2u);
  EXPECT_EQ(d->GetDlgItemText(1015), "ファイルサイズ:");
  EXPECT_EQ(d->GetDlgItemText(1009), "mv/a.zip");
  EXPECT_EQ(d->GetDlgItemText(1006), "mv/ZVT1.tmp");
  EXPECT_EQ(fs::file_size("mv/a.zip"), 5000u);
  EXPECT_FALSE(fs::exists("mv/ZVT1.tmp"));
  HWND h = d->m_hWnd;
  d->DestroyWindow();
  EXPECT_FALSE(IsWindow(h));
  parent.Detach();
}

TEST_F(DialogTest, WithoutTheCallersWindowThereIsNoProgressDialog) {
  CWnd none;
  none.m_hWnd = reinterpret_cast<HWND>(0x10);   // not a window
  auto* d = new CDlgExtMsg();
  EXPECT_FALSE(d->Create(&none, CDlgExtMsg::Compress));
  delete d;
}

TEST_F(DialogTest, WaitCursorNestsAndPutsBackTheCursor) {
  ASSERT_EQ(AfxGetApp(), &zipvault::zipvault_app());   // the library's application object keeps the count
  auto hb = screen::Headless();
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));
  {
    CWaitCursor outer;
    EXPECT_EQ(hb->CursorShape(), 32514);   // IDC_WAIT
    {
      CWaitCursor inner;
      SetCursor(LoadCursorA(nullptr, IDC_IBEAM));
      inner.Restore();
      EXPECT_EQ(hb->CursorShape(), 32514);
    }
    EXPECT_EQ(hb->CursorShape(), 32514);
  }
  EXPECT_EQ(hb->CursorShape(), 32512);   // IDC_ARROW
}

TEST(DialogIcons, BothIconsArePicturesWithAClearBackground) {
  for (UINT id : {mfc::IDI_PASSWORD, mfc::IDI_OVERWRITE}) {
    auto px = mfc::LoadIconPixels(id);
    ASSERT_EQ(px.size(), static_cast<size_t>(mfc::ICON_SIZE * mfc::ICON_SIZE));
    size_t clear = 0;
    for (uint32_t p : px) clear += p == mfc::ICON_CLEAR;
    EXPECT_GT(clear, px.size() / 5);
    EXPECT_LT(clear, px.size() * 4 / 5);
  }
  EXPECT_TRUE(mfc::LoadIconPixels(999).empty());
}

}  // namespace
