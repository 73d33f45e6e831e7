#include <gtest/gtest.h>

#include "winbase.h"
#include "winplat_screen.h"
#include "winuser.h"

using winplat::screen::InstallScriptedAnswerer;
using winplat::screen::SetMessageBoxAnswerer;

TEST(MessageBoxes, ScriptedAnswersAndWhatWasShown) {
  auto script = InstallScriptedAnswerer();
  script->Push(IDNO);
  script->Push(IDCANCEL);
  EXPECT_EQ(MessageBoxA(nullptr, "上書きしますか?", "Zipvault", MB_YESNO | MB_ICONQUESTION), IDNO);
  EXPECT_EQ(MessageBoxW(nullptr, u"保存できません", u"Vel 黒板", MB_OKCANCEL | MB_ICONSTOP), IDCANCEL);
  // The queue is empty: the default button answers.
  EXPECT_EQ(MessageBoxA(nullptr, "x", nullptr, MB_YESNOCANCEL | MB_DEFBUTTON3), IDCANCEL);
  const auto shown = script->Shown();
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown[0].text, u"上書きしますか?");  // the CP932 bytes came back as wide text
  EXPECT_EQ(shown[0].caption, u"Zipvault");
  EXPECT_EQ(shown[0].type, MB_YESNO | MB_ICONQUESTION);
  EXPECT_EQ(shown[0].defaultButton, IDYES);
  EXPECT_EQ(shown[1].caption, u"Vel 黒板");
  EXPECT_EQ(shown[2].caption, u"エラー");  // the system's caption for a null one
  EXPECT_EQ(script->Pending(), 0u);
  SetMessageBoxAnswerer({});
}

TEST(MessageBoxes, DefaultButtons) {
  using winplat::screen::DefaultButton;
  EXPECT_EQ(DefaultButton(MB_OK), IDOK);
  EXPECT_EQ(DefaultButton(MB_OKCANCEL | MB_DEFBUTTON2), IDCANCEL);
  EXPECT_EQ(DefaultButton(MB_ABORTRETRYIGNORE | MB_DEFBUTTON2), IDRETRY);
  EXPECT_EQ(DefaultButton(MB_YESNO | MB_DEFBUTTON2), IDNO);
  EXPECT_EQ(DefaultButton(MB_YESNO | MB_DEFBUTTON3), IDYES);  // no third button: the first
  EXPECT_EQ(DefaultButton(MB_RETRYCANCEL), IDRETRY);
}

TEST(MessageBoxes, WithoutAnswererTheTextGoesToStandardError) {
  SetMessageBoxAnswerer({});
  testing::internal::CaptureStderr();
  const int r = MessageBoxA(nullptr, "ファイルがありません", "Vel 黒板 Qz", MB_YESNO | MB_DEFBUTTON2);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(r, IDNO);
  EXPECT_NE(err.find(reinterpret_cast<const char*>(u8"Vel 黒板 Qz")), std::string::npos) << err;
  EXPECT_NE(err.find(reinterpret_cast<const char*>(u8"ファイルがありません")), std::string::npos) << err;
}

TEST(Screen, SizeCursorAndMetrics) {
  winplat::screen::SetBackend(nullptr);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
  winplat::screen::Headless()->SetDisplaySize(800, 600);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 800);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 600);
  EXPECT_EQ(GetSystemMetrics(SM_CXVSCROLL), 16);
  EXPECT_EQ(GetSystemMetrics(SM_DBCSENABLED), 1);
  EXPECT_TRUE(SetCursorPos(120, 45));
  POINT p{};
  ASSERT_TRUE(GetCursorPos(&p));
  EXPECT_EQ(p.x, 120);
  EXPECT_EQ(p.y, 45);
  SetCursorPos(5000, -3);  // kept on the screen
  GetCursorPos(&p);
  EXPECT_EQ(p.x, 799);
  EXPECT_EQ(p.y, 0);
  EXPECT_FALSE(GetCursorPos(nullptr));
  EXPECT_EQ(ShowCursor(FALSE), -1);
  EXPECT_FALSE(winplat::screen::Headless()->CursorVisible());
  EXPECT_EQ(ShowCursor(FALSE), -2);
  EXPECT_EQ(ShowCursor(TRUE), -1);
  EXPECT_FALSE(winplat::screen::Headless()->CursorVisible());
  EXPECT_EQ(ShowCursor(TRUE), 0);
  EXPECT_TRUE(winplat::screen::Headless()->CursorVisible());
  winplat::screen::SetBackend(nullptr);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
}

TEST(Screen, ClassicColoursAndKeyState) {
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), RGB(212, 208, 200));
  EXPECT_EQ(GetSysColor(COLOR_WINDOW), RGB(255, 255, 255));
  EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), RGB(10, 36, 106));
  EXPECT_EQ(GetSysColor(COLOR_INFOBK), RGB(255, 255, 225));
  EXPECT_EQ(GetSysColor(COLOR_BTNSHADOW), RGB(128, 128, 128));
  EXPECT_EQ(GetSysColor(31), 0u);
  winplat::screen::ResetKeyState();
  EXPECT_GE(GetKeyState(VK_CONTROL), 0);
  EXPECT_EQ(GetAsyncKeyState(VK_LBUTTON), 0);
  winplat::screen::SetKeyState(VK_CONTROL, true);
  winplat::screen::SetKeyState(VK_CAPITAL, false, true);
  EXPECT_LT(GetKeyState(VK_CONTROL), 0);
  EXPECT_LT(GetAsyncKeyState(VK_CONTROL), 0);
  EXPECT_EQ(GetKeyState(VK_CAPITAL), 1);
  EXPECT_GE(GetKeyState(VK_SHIFT), 0);
  winplat::screen::ResetKeyState();
  EXPECT_GE(GetKeyState(VK_CONTROL), 0);
}

TEST(Screen, MessageBeepGoesToTheSink) {
  auto sink = std::make_shared<winplat::screen::RecordingAudioSink>();
  winplat::screen::SetAudioSink(sink);
  EXPECT_TRUE(MessageBeep(MB_ICONASTERISK));
  EXPECT_TRUE(MessageBeep(0xFFFFFFFFu));
  ASSERT_EQ(sink->Events().size(), 2u);
  EXPECT_EQ(sink->Events()[0].kind, winplat::screen::RecordingAudioSink::Event::Beep);
  winplat::screen::SetAudioSink(std::make_shared<winplat::screen::RecordingAudioSink>());
}
