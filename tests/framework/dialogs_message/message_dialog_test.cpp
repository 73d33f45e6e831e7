// The message dialogs on the headless screen: their components and layout, the answers that
// keys and clicks give, the answerer, and the about box the blackboard makes from one.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Dialogs.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "StdCtrls.h"
#include "test_icons.h"
#include "test_support.h"
#include "ui_fixture.h"

namespace {

class MessageDialogTest : public UiTest {};

std::vector<TButton*> ButtonsOf(TForm* f) {
  std::vector<TButton*> v;
  for (int i = 0; i < f->ComponentCount(); ++i)
    if (auto* b = dynamic_cast<TButton*>(f->Components(i))) v.push_back(b);
  return v;
}

TEST_F(MessageDialogTest, TheDialogHoldsTheTypesIconTheMessageAndOneButtonPerButtonGiven) {
  struct Case {
    TMsgDlgType type;
    TMsgDlgButtons buttons;
    const char* caption;  // nullptr: the application's title
    LPCSTR icon;
    std::vector<std::string> names, captions;
    std::vector<int> results;
    const char* cancel;  // the button Escape clicks, nullptr: none
  };
  Application->SetTitle("黒板");
  const Case cases[] = {
      {mtInformation, {mbOK}, "情報", IDI_ASTERISK, {"OK"}, {"OK"}, {mrOk}, "OK"},
      {mtConfirmation, {mbYes, mbNo}, "確認", IDI_QUESTION, {"Yes", "No"}, {"はい(&Y)", "いいえ(&N)"}, {mrYes, mrNo}, "No"},
      {mtWarning, mbYesNoCancel, "警告", IDI_EXCLAMATION, {"Yes", "No", "Cancel"},
       {"はい(&Y)", "いいえ(&N)", "キャンセル"}, {mrYes, mrNo, mrCancel}, "Cancel"},
      {mtError, mbAbortRetryIgnore, "エラー", IDI_HAND, {"Abort", "Retry", "Ignore"},
       {"中止(&A)", "再試行(&R)", "無視(&I)"}, {mrAbort, mrRetry, mrIgnore}, nullptr},
      {mtCustom, mbYesAllNoAllCancel + mbAll + mbHelp, nullptr, nullptr,
       {"Yes", "No", "Cancel", "All", "NoToAll", "YesToAll", "Help"},
       {"はい(&Y)", "いいえ(&N)", "キャンセル", "すべて(&A)", "すべていいえ(&O)", "すべてはい(&A)", "ヘルプ(&H)"},
       {mrYes, mrNo, mrCancel, mrAll, mrNoToAll, mrYesToAll, mrNone}, "Cancel"},
      {mtCustom, {mbOK, mbCancel}, nullptr, nullptr, {"OK", "Cancel"}, {"OK", "キャンセル"}, {mrOk, mrCancel}, "Cancel"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.names.front() + " .. " + c.names.back());
    std::unique_ptr<TForm> f(CreateMessageDialog("メッセージです", c.type, c.buttons));
    EXPECT_EQ(f->Owner(), nullptr);
    EXPECT_FALSE(f->Visible());
    EXPECT_EQ(f->BorderStyle(), bsDialog);
    EXPECT_EQ(f->Caption(), c.caption ? AnsiString(c.caption) : Application->Title());
    // Centred on the 640 x 480 screen.
    EXPECT_NEAR(f->Left() + f->Width() / 2, 320, 1);
    EXPECT_NEAR(f->Top() + f->Height() / 2, 240, 1);

    auto* message = dynamic_cast<TLabel*>(f->FindComponent("message"));
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(message->Name(), "Message");
    EXPECT_EQ(message->Caption(), "メッセージです");
    EXPECT_TRUE(message->WordWrap());
    EXPECT_EQ(message->Parent(), f.get());
    auto* image = dynamic_cast<TImage*>(f->FindComponent("image"));
    int text_left = message->Left();
    int block_bottom = message->Top() + message->Height();
    if (c.icon) {
      ASSERT_NE(image, nullptr);
      EXPECT_EQ(image->Name(), "Image");
      EXPECT_EQ(image->Width(), 32);
      EXPECT_EQ(image->Height(), 32);
      EXPECT_EQ(image->Top(), message->Top());
      EXPECT_GT(text_left, image->Left() + image->Width());
      block_bottom = std::max(block_bottom, image->Top() + image->Height());
      auto* icon = dynamic_cast<TIcon*>(image->Picture()->Graphic());
      ASSERT_NE(icon, nullptr);
      EXPECT_EQ(IconPixels(icon->Handle()).first.px, IconPixels(LoadIconA(nullptr, c.icon)).first.px);
    } else {
      EXPECT_EQ(image, nullptr);
      EXPECT_EQ(f->FindComponent("Image"), nullptr);
    }

    const std::vector<TButton*> buttons = ButtonsOf(f.get());
    ASSERT_EQ(buttons.size(), c.names.size());
    const int client_width = f->ClientWidth();
    for (size_t i = 0; i < buttons.size(); ++i) {
      SCOPED_TRACE(c.names[i]);
      TButton* b = buttons[i];
      EXPECT_EQ(b->Name(), c.names[i]);
      EXPECT_EQ(b->Caption(), c.captions[i]);
      EXPECT_EQ(b->ModalResult(), c.results[i]);
      EXPECT_EQ(b->Default(), i == 0);
      EXPECT_EQ(b->Cancel(), c.cancel && c.names[i] == c.cancel);
      EXPECT_EQ(b->Parent(), f.get());
      EXPECT_EQ(b->TabOrder(), static_cast<int>(i));
      // One row of equal buttons under the text, evenly spaced.
      EXPECT_EQ(b->Top(), buttons[0]->Top());
      EXPECT_EQ(b->Width(), buttons[0]->Width());
      EXPECT_EQ(b->Height(), buttons[0]->Height());
      EXPECT_GT(b->Top(), block_bottom);
      if (i > 0) EXPECT_EQ(b->Left() - buttons[i - 1]->Left(), buttons[1]->Left() - buttons[0]->Left());
      if (i > 0) EXPECT_GT(b->Left(), buttons[i - 1]->Left() + buttons[i - 1]->Width());
    }
    // The row is centred, and the dialog's client area holds everything with margins.
    const int left_gap = buttons.front()->Left();
    const int right_gap = client_width - (buttons.back()->Left() + buttons.back()->Width());
    EXPECT_NEAR(left_gap, right_gap, 1);
    EXPECT_GT(left_gap, 0);
    EXPECT_GT(f->ClientHeight(), buttons[0]->Top() + buttons[0]->Height());
    EXPECT_GE(client_width, message->Left() + message->Width());
    // Captions wider than the standard width widen every button.
    for (TButton* b : buttons) {
      HDC dc = GetDC(nullptr);
      HGDIOBJ old = SelectObject(dc, b->Font()->Handle());
      RECT r{0, 0, 0, 0};
      const AnsiString cap = b->Caption();
      DrawTextA(dc, cap.c_str(), -1, &r, DT_CALCRECT | DT_SINGLELINE);
      SelectObject(dc, old);
      ReleaseDC(nullptr, dc);
      EXPECT_GE(b->Width(), r.right);
    }
  }
}

TEST_F(MessageDialogTest, ALongMessageWrapsWithinHalfTheScreenAndTheDialogGrowsDownwards) {
  std::unique_ptr<TForm> small(CreateMessageDialog("短い", mtWarning, {mbOK}));
  AnsiString long_text;
  for (int i = 0; i < 40; ++i) long_text += "chalk board ";
  long_text += "end & more";
  std::unique_ptr<TForm> big(CreateMessageDialog(long_text, mtWarning, {mbOK}));
  auto* small_text = dynamic_cast<TLabel*>(small->FindComponent("message"));
  auto* text = dynamic_cast<TLabel*>(big->FindComponent("message"));
  ASSERT_NE(small_text, nullptr);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->Caption(), long_text);  // the ampersand is text, not an accelerator
  EXPECT_FALSE(text->ShowAccelChar());
  EXPECT_LE(text->Width(), 320);
  EXPECT_GT(text->Width(), 240);
  EXPECT_GE(text->Height(), 4 * small_text->Height());
  EXPECT_GT(big->Height() - small->Height(), 3 * small_text->Height());
  EXPECT_LE(big->Width(), 640);
  EXPECT_GT(big->Width(), small->Width());
  // The label keeps the measured size when it measures itself again.
  const int w = text->Width(), h = text->Height();
  text->SetCaption(long_text);
  EXPECT_EQ(text->Width(), w);
  EXPECT_EQ(text->Height(), h);
  // An empty message takes no width: the icon and the button decide it.
  std::unique_ptr<TForm> empty(CreateMessageDialog("", mtWarning, {mbOK}));
  EXPECT_LE(empty->Width(), small->Width());
  EXPECT_EQ(dynamic_cast<TLabel*>(empty->FindComponent("message"))->Caption(), "");
  // The message ends where the client area's margin starts.
  EXPECT_EQ(big->ClientWidth() - (text->Left() + text->Width()),
            dynamic_cast<TImage*>(big->FindComponent("image"))->Left());
}

TEST_F(MessageDialogTest, EnterEscapeClicksAndAcceleratorsGiveTheModalResults) {
  enum How { kEnter, kEscape, kClick, kTabEnter, kAccel };
  struct Case {
    const char* what;
    TMsgDlgButtons buttons;
    How how;
    const char* target;  // the button clicked (kClick), the accelerator's key (kAccel)
    int expected;
  };
  const Case cases[] = {
      {"Enter on OK", {mbOK}, kEnter, nullptr, mrOk},
      {"Escape on OK alone", {mbOK}, kEscape, nullptr, mrOk},
      {"Enter on Yes/No", {mbYes, mbNo}, kEnter, nullptr, mrYes},
      {"Escape on Yes/No", {mbYes, mbNo}, kEscape, nullptr, mrNo},
      {"Escape on Yes/No/Cancel", mbYesNoCancel, kEscape, nullptr, mrCancel},
      {"Escape on OK/Cancel", mbOKCancel, kEscape, nullptr, mrCancel},
      {"Tab then Enter", mbOKCancel, kTabEnter, nullptr, mrCancel},
      {"click No", mbYesNoCancel, kClick, "No", mrNo},
      {"click Retry", mbAbortRetryIgnore, kClick, "Retry", mrRetry},
      {"click Help, then OK", {mbOK, mbHelp}, kClick, "Help", mrOk},
      {"accelerator R", mbAbortRetryIgnore, kAccel, "R", mrRetry},
      {"accelerator N", mbYesNoCancel, kAccel, "N", mrNo},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::unique_ptr<TForm> f(CreateMessageDialog("どうしますか", mtConfirmation, c.buttons));
    switch (c.how) {
      case kEnter: Input().PressKey(VK_RETURN); break;
      case kEscape: Input().PressKey(VK_ESCAPE); break;
      case kTabEnter:
        Input().PressKey(VK_TAB);
        Input().PressKey(VK_RETURN);
        break;
      case kClick: {
        auto* b = dynamic_cast<TButton*>(f->FindComponent(c.target));
        ASSERT_NE(b, nullptr);
        const TPoint p = b->ClientToScreen(Point(b->Width() / 2, b->Height() / 2));
        Input().Click(p.x, p.y);
        if (std::string(c.target) == "Help") {
          // Help closes nothing; the OK button then does.
          auto* ok = dynamic_cast<TButton*>(f->FindComponent("OK"));
          const TPoint q = ok->ClientToScreen(Point(ok->Width() / 2, ok->Height() / 2));
          Input().Click(q.x, q.y);
        }
        break;
      }
      case kAccel: Input().TypeText(std::u16string(1, static_cast<char16_t>(c.target[0] + 32))); break;
    }
    EXPECT_EQ(f->ShowModal(), c.expected);
    EXPECT_FALSE(f->Visible());
    Application->ProcessMessages();  // what the dialog left, the key's release
  }
}

TEST_F(MessageDialogTest, MessageDlgShowsModallyAndFreesTheDialog) {
  const int forms = Screen->CustomFormCount();
  Input().PressKey(VK_ESCAPE);
  EXPECT_EQ(MessageDlg("保存しますか", mtConfirmation, mbYesNoCancel, 0), mrCancel);
  EXPECT_EQ(Screen->CustomFormCount(), forms);
  // At a place of its own.
  Application->OnIdle = [](TObject*, bool&) {
    TCustomForm* f = Screen->ActiveCustomForm();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->Left(), 20);
    EXPECT_EQ(f->Top(), 30);
    Input().PressKey(VK_RETURN);
  };
  EXPECT_EQ(MessageDlgPos("位置", mtInformation, {mbOK}, 0, 20, 30), mrOk);
  Application->OnIdle = nullptr;
  EXPECT_EQ(Screen->CustomFormCount(), forms);
}

TEST_F(MessageDialogTest, AnInstalledAnswererAnswersTheDialogsAndSeesWhatTheyShow) {
  Application->SetTitle("Vel 黒板 Qz");
  auto answerer = winplat::screen::InstallScriptedAnswerer();
  answerer->Push(mrNo);
  bool seen_on_screen = false;
  winplat::screen::SetMessageBoxAnswerer([&](const winplat::screen::MessageBoxRequest& r) {
    seen_on_screen = IsWindowVisible(r.owner) != FALSE;
    return answerer->Answer(r);
  });
  EXPECT_EQ(MessageDlg("消しますか", mtConfirmation, mbYesNoCancel, 0), mrNo);
  ShowMessage("\"Start0.wav\" is not exist.");
  EXPECT_TRUE(seen_on_screen);
  const auto shown = answerer->Shown();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].caption, u"確認");
  EXPECT_EQ(shown[0].text, u"消しますか");
  EXPECT_EQ(shown[0].type, static_cast<UINT>(MB_YESNOCANCEL | MB_ICONQUESTION));
  EXPECT_EQ(shown[0].defaultButton, mrYes);
  EXPECT_EQ(shown[1].caption, u"Vel 黒板 Qz");
  EXPECT_EQ(shown[1].text, u"\"Start0.wav\" is not exist.");
  EXPECT_EQ(shown[1].type, static_cast<UINT>(MB_OK));
  EXPECT_FALSE(IsWindow(shown[0].owner));  // the dialogs are gone again
  EXPECT_FALSE(IsWindow(shown[1].owner));
}

TEST_F(MessageDialogTest, AJapaneseQuestionWithThreeButtonsOnTheScreen) {
  winplat::gdi::UseTestFontForAll(false);
  const AnsiString msg =
      "黒板の内容はまだ保存されていません。このまま新しい黒板を開くと、いま書かれているチョークの線と"
      "貼り付けた絵はすべて消えてしまいます。保存してから新しい黒板を開きますか？";
  std::unique_ptr<TForm> dlg(CreateMessageDialog(msg, mtConfirmation, mbYesNoCancel));
  auto* text = dynamic_cast<TLabel*>(dlg->FindComponent("message"));
  ASSERT_NE(text, nullptr);
  // Japanese text breaks between characters, within half the screen.
  EXPECT_LE(text->Width(), 320);
  EXPECT_GT(text->Width(), 240);
  EXPECT_GT(text->Height(), 3 * text->Font()->Size());
  bool looked = false;
  Application->OnIdle = [&](TObject*, bool&) {
    if (looked) return;
    looked = true;
    winplat::user::PresentScreen();
    EXPECT_TRUE(test_support::WriteScreenshotPng("question_dialog.png"));
    // The question sign's disc.
    auto* image = dynamic_cast<TImage*>(dlg->FindComponent("image"));
    const TPoint at = image->ClientToScreen(Point(16, 4));
    EXPECT_EQ(Px(at.x, at.y), 0x0046C8u);
    Input().PressKey(VK_ESCAPE);
  };
  EXPECT_EQ(dlg->ShowModal(), mrCancel);
  Application->OnIdle = nullptr;
  EXPECT_TRUE(looked);
}

// The blackboard's about box: a message dialog with OK, its own caption, a transparent message
// and the application's icon in place of the type's.
TEST_F(MessageDialogTest, TheAboutBoxShowsTheApplicationIconAndItsJapaneseText) {
  winplat::gdi::UseTestFontForAll(false);  // the real fonts, to see the Japanese text
  Application->SetTitle("Vel 黒板 Qz");
  const AnsiString msg = "Vel 黒板 Qz ver.1.50\n\r\n\rこのプログラムの著作権は作者にあります。";
  std::unique_ptr<TForm> dlg(CreateMessageDialog(msg, mtInformation, {mbOK}));
  dlg->SetCaption("バージョン情報");
  auto* message = dynamic_cast<TLabel*>(dlg->FindComponent("message"));
  ASSERT_NE(message, nullptr);
  message->SetTransparent(true);
  auto* image = dynamic_cast<TImage*>(dlg->FindComponent("image"));
  ASSERT_NE(image, nullptr);
  image->Picture()->Assign(Application->Icon());
  ASSERT_NE(dynamic_cast<TIcon*>(image->Picture()->Graphic()), nullptr);

  bool looked = false;
  Application->OnIdle = [&](TObject*, bool&) {
    if (looked) return;
    looked = true;
    winplat::user::PresentScreen();
    EXPECT_TRUE(test_support::WriteScreenshotPng("about_box.png"));
    // The application's icon (a window with a navy title bar), not the information sign.
    const TPoint at = image->ClientToScreen(Point(10, 6));
    EXPECT_EQ(Px(at.x, at.y), 0x000080u);
    EXPECT_TRUE(message->Transparent());
    Input().PressKey(VK_RETURN);
  };
  EXPECT_EQ(dlg->ShowModal(), mrOk);
  Application->OnIdle = nullptr;
  EXPECT_TRUE(looked);
}

}  // namespace
