// Forms and the application: form resources, showing and the message orders it causes,
// activation, closing, key preview, the message loop with its idle rule, main-window hooks and
// exceptions reaching the user.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Forms.h"
#include "TypInfo.h"
#include "test_controls.h"
#include "ui_fixture.h"

class TLoadedForm : public TForm {
 public:
  explicit TLoadedForm(TComponent* AOwner) : TForm(AOwner) {}
  TBox* Box1 = nullptr;
  TDot* Dot1 = nullptr;
  TBox* Bottom = nullptr;
  std::vector<std::string> Log;
  void FormCreate(TObject*) { Log.push_back(Box1 ? "create with box" : "create without box"); }
  void FormShow(TObject*) { Log.push_back("show"); }
  void BoxClick(TObject*) { Log.push_back("box click"); }
};

static const bool registered = DeclareClass<TLoadedForm, TForm>("TLoadedForm")
                                   .Method("FormCreate", &TLoadedForm::FormCreate)
                                   .Method("FormShow", &TLoadedForm::FormShow)
                                   .Method("BoxClick", &TLoadedForm::BoxClick)
                                   .Field("Box1", &TLoadedForm::Box1)
                                   .Field("Dot1", &TLoadedForm::Dot1)
                                   .Field("Bottom", &TLoadedForm::Bottom)
                                   .Done();

namespace {

class FormsTest : public UiTest {};

TEST_F(FormsTest, AFormIsReadFromItsResourceWithChildrenAndEventsThenCreated) {
  TLoadedForm* f = CreateForm<TLoadedForm>(Application);
  EXPECT_EQ(f->Log, (std::vector<std::string>{"create with box"}));  // OnCreate after reading
  EXPECT_EQ(f->Caption(), "読み込み");
  EXPECT_EQ(f->BorderStyle(), bsNone);
  EXPECT_EQ(f->Color(), clWhite);
  EXPECT_TRUE(f->KeyPreview());
  ASSERT_NE(f->Box1, nullptr);
  ASSERT_NE(f->Dot1, nullptr);
  EXPECT_EQ(f->Box1->Parent(), f);
  EXPECT_EQ(f->Dot1->Parent(), f->Box1);
  EXPECT_EQ(f->Dot1->Owner(), f);
  EXPECT_EQ(f->Dot1->Hint(), "点|赤い点");
  EXPECT_EQ(GetShortHint(f->Dot1->Hint()), "点");
  EXPECT_EQ(GetLongHint(f->Dot1->Hint()), "赤い点");
  EXPECT_FALSE(f->Visible());
  // The bottom band is aligned once the form is loaded.
  EXPECT_EQ(f->Bottom->Top(), 130);
  EXPECT_EQ(f->Bottom->Width(), 240);
  f->Box1->Click();
  f->Show();
  EXPECT_EQ(f->Log, (std::vector<std::string>{"create with box", "box click", "show"}));
  EXPECT_EQ(f->Left(), 20);
  EXPECT_EQ(f->Top(), 30);
  FreeAndNil(f);
}

TEST_F(FormsTest, AClassWithoutAResourceCannotBeCreatedFromOne) {
  struct TNoResource : TForm {
    using TForm::TForm;
  };
  EXPECT_THROW(CreateForm<TNoResource>(Application), EResNotFound);
  TNoResource* plain = CreateNewForm<TNoResource>(Application);  // made in code instead
  EXPECT_EQ(plain->Width(), 320);
  FreeAndNil(plain);
}

TEST_F(FormsTest, CreatingShowingAndActivatingAFormSendTheMessagesInThePlatformsOrder) {
  TForm* f = PlainForm(200, 100);
  MessageRecorder rec(f);
  std::vector<UINT> app_seen;
  static const char code = 0;
  Application->HookMainWindow(TWindowHook(&app_seen, &code, [&](TMessage& m) {
    if (m.Msg == WM_ACTIVATEAPP || m.Msg == CM_ACTIVATE || m.Msg == CM_DEACTIVATE) app_seen.push_back(m.Msg);
    return false;
  }));
  std::vector<std::string> events;
  f->OnShow = [&](TObject*) { events.push_back("show"); };
  f->OnActivate = [&](TObject*) { events.push_back("activate"); };
  f->Show();
  // Creation.
  const int nccreate = rec.Find(WM_NCCREATE), create = rec.Find(WM_CREATE);
  ASSERT_NE(nccreate, -1);
  EXPECT_LT(nccreate, create);
  // Showing, then activation with the focus, then the framework's activation.
  const int show = rec.Find(WM_SHOWWINDOW, create);
  const int changing = rec.Find(WM_WINDOWPOSCHANGING, show);
  const int changed = rec.Find(WM_WINDOWPOSCHANGED, changing);
  const int appact = rec.Find(WM_ACTIVATEAPP, create);
  const int ncact = rec.Find(WM_NCACTIVATE, appact);
  const int act = rec.Find(WM_ACTIVATE, ncact);
  const int focus = rec.Find(WM_SETFOCUS, act);
  const int cmact = rec.Find(CM_ACTIVATE, focus);
  for (int i : {show, changing, changed, appact, ncact, act, focus, cmact}) EXPECT_NE(i, -1);
  EXPECT_LT(show, changing);
  EXPECT_LT(changing, changed);
  EXPECT_LT(appact, ncact);
  EXPECT_LT(ncact, act);
  EXPECT_LT(act, focus);
  EXPECT_LT(focus, cmact);
  EXPECT_EQ(events, (std::vector<std::string>{"show", "activate"}));
  EXPECT_TRUE(f->Active());
  EXPECT_EQ(Screen->ActiveCustomForm(), f);
  // The application window heard of the activation at once and posts its own notice.
  EXPECT_EQ(app_seen, (std::vector<UINT>{WM_ACTIVATEAPP}));
  Application->ProcessMessages();
  EXPECT_EQ(app_seen, (std::vector<UINT>{WM_ACTIVATEAPP, CM_ACTIVATE}));
  EXPECT_TRUE(Application->Active());

  // A second form takes the activation: the first hears CM_DEACTIVATE.
  TForm* g = PlainForm(100, 100);
  g->SetLeft(300);
  bool deactivated = false;
  f->OnDeactivate = [&](TObject*) { deactivated = true; };
  g->Show();
  EXPECT_TRUE(deactivated);
  EXPECT_FALSE(f->Active());
  EXPECT_EQ(Screen->ActiveForm(), g);
  Application->UnhookMainWindow(TWindowHook(&app_seen, &code, nullptr));  // an equal value unhooks
  app_seen.clear();
  SendMessageA(Application->Handle(), WM_ACTIVATEAPP, FALSE, 0);
  EXPECT_TRUE(app_seen.empty());
  FreeAndNil(g);
  FreeAndNil(f);
}

TEST_F(FormsTest, CloseAsksOnCloseQueryThenDoesWhatOnCloseChose) {
  struct Case {
    bool can_close;
    TCloseAction action;
    bool visible_after;
    bool freed_after;
  };
  const Case cases[] = {
      {false, caHide, true, false},
      {true, caNone, true, false},
      {true, caHide, false, false},
      {true, caMinimize, true, false},
      {true, caFree, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.action) * 2 + c.can_close);
    TForm* f = PlainForm(100, 100);
    bool destroyed = false;
    f->OnDestroy = [&](TObject*) { destroyed = true; };
    f->OnCloseQuery = [&](TObject*, bool& can) { can = c.can_close; };
    f->OnClose = [&](TObject*, TCloseAction& a) {
      EXPECT_EQ(a, caHide);  // the default
      a = c.action;
    };
    f->Show();
    f->Close();
    Application->ProcessMessages();  // a freed form goes once the waiting messages are handled
    EXPECT_EQ(destroyed, c.freed_after);
    if (!c.freed_after) {
      EXPECT_EQ(f->Visible(), c.visible_after);
      if (c.action == caMinimize && c.can_close) EXPECT_EQ(f->WindowState(), wsMinimized);
      FreeAndNil(f);
      EXPECT_TRUE(destroyed);
    }
  }
}

TEST_F(FormsTest, KeyPreviewLetsTheFormSeeKeysFirstAndSwallowThem) {
  TForm* f = PlainForm(200, 100);
  f->SetKeyPreview(true);
  auto* box = new TBox(f);
  box->SetBounds(0, 0, 50, 50);
  box->SetParent(f);
  std::vector<std::string> log;
  f->OnKeyDown = [&](TObject*, Word& key, TShiftState) {
    log.push_back("form " + std::to_string(key));
    if (key == 'Q') key = 0;  // taken by the form
  };
  box->OnKeyDown = [&](TObject*, Word& key, TShiftState) { log.push_back("box " + std::to_string(key)); };
  box->OnKeyPress = [&](TObject*, char& ch) { log.push_back(std::string("press ") + ch); };
  f->Show();
  box->SetFocus();
  EXPECT_TRUE(box->Focused());
  EXPECT_EQ(f->ActiveControl(), box);
  Input().PressKey('A');
  Input().TypeText(u"a");  // printable characters come as text input
  Input().PressKey('Q');
  Application->ProcessMessages();
  EXPECT_EQ(log, (std::vector<std::string>{"form 65", "box 65", "press a", "form 81"}));
  FreeAndNil(f);
}

TEST_F(FormsTest, TheLoopWaitsForTheMomentIdleWorkIsDueInsteadOfSpinning) {
  TForm* main = nullptr;
  Application->CreateForm(main);
  ASSERT_EQ(Application->MainForm(), main);
  main->SetBorderStyle(bsNone);
  std::vector<DWORD> ticks;
  Application->OnIdle = [&](TObject*, bool& done) {
    ticks.push_back(GetTickCount());
    if (ticks.size() == 5) {
      Application->Terminate();
      return;
    }
    done = false;
    Application->NextIdleDue(40);
  };
  Application->Run();
  EXPECT_TRUE(Application->Terminated());
  EXPECT_TRUE(main->Visible());  // Run showed the main form
  ASSERT_EQ(ticks.size(), 5u);
  // Each pass after the first came no sooner than its due time (not thousands of passes).
  for (size_t i = 1; i < ticks.size(); ++i) EXPECT_GE(ticks[i] - ticks[i - 1], 35u) << i;
}

TEST_F(FormsTest, IdleWorkThatIsDoneWaitsForTheNextMessage) {
  TForm* main = nullptr;
  Application->CreateForm(main);
  int passes = 0;
  int user_messages = 0;
  static const char code = 0;
  Application->HookMainWindow(TWindowHook(&passes, &code, [&](TMessage& m) {
    if (m.Msg == WM_USER + 1) ++user_messages;
    return false;
  }));
  Application->OnIdle = [&](TObject*, bool& done) {
    ++passes;
    if (passes == 3) Application->Terminate();
    else PostMessageA(Application->Handle(), WM_USER + 1, 0, 0);  // wakes the wait
  };
  Application->Run();
  EXPECT_EQ(passes, 3);
  EXPECT_EQ(user_messages, 2);
}

TEST_F(FormsTest, ClosingTheMainFormEndsTheRun) {
  TForm* main = nullptr;
  Application->CreateForm(main);
  bool asked = false;
  main->OnCloseQuery = [&](TObject*, bool& can) { asked = can = true; };
  Application->OnIdle = [&](TObject*, bool&) {
    if (!asked) PostMessageA(main->Handle(), WM_CLOSE, 0, 0);
  };
  Application->Run();
  EXPECT_TRUE(asked);
  EXPECT_TRUE(Application->Terminated());
}

// An exception in a window's message reaches the application: OnException, or the message
// shown with a final period; EAbort is silent.
class TThrower : public TWinControl {
 public:
  explicit TThrower(TComponent* AOwner) : TWinControl(AOwner) {}
  AnsiString What;
  void Dispatch(TMessage& Message) override {
    if (Message.Msg == WM_USER + 5) {
      if (What == "abort") Abort();
      throw Exception(What);
    }
    TWinControl::Dispatch(Message);
  }
};

TEST_F(FormsTest, AnExceptionInAMessageIsShownToTheUser) {
  auto answers = winplat::screen::InstallScriptedAnswerer();
  Application->SetTitle("試験");
  TForm* f = PlainForm(100, 100);
  auto* t = new TThrower(f);
  t->SetParent(f);
  struct Case {
    const char* what;
    const char* shown;  // nullptr: nothing shown
  };
  const Case cases[] = {{"失敗しました", "失敗しました."}, {"done.", "done."}, {"abort", nullptr}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const size_t before = answers->Shown().size();
    t->What = c.what;
    SendMessageA(t->Handle(), WM_USER + 5, 0, 0);
    const auto shown = answers->Shown();
    if (!c.shown) {
      EXPECT_EQ(shown.size(), before);
      continue;
    }
    ASSERT_EQ(shown.size(), before + 1);
    // The box shows wide text: compare the narrow texts through the code page.
    char text[64], caption[64];
    WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<LPCWSTR>(shown.back().text.c_str()), -1, text, sizeof text,
                        nullptr, nullptr);
    WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<LPCWSTR>(shown.back().caption.c_str()), -1, caption,
                        sizeof caption, nullptr, nullptr);
    EXPECT_STREQ(text, c.shown);
    EXPECT_STREQ(caption, "試験");
    EXPECT_EQ(shown.back().type & MB_ICONMASK, static_cast<UINT>(MB_ICONSTOP));
  }
  AnsiString caught;
  Application->OnException = [&](TObject* sender, Exception* e) {
    caught = e->Message();
    EXPECT_EQ(sender, t);
  };
  const size_t before = answers->Shown().size();
  t->What = "handled";
  SendMessageA(t->Handle(), WM_USER + 5, 0, 0);
  EXPECT_EQ(caught, "handled");
  EXPECT_EQ(answers->Shown().size(), before);
  FreeAndNil(f);
}

}  // namespace
