// Controls on real windows of the headless screen: the message path, text, alignment, parent
// colours and fonts, painting of self-drawn controls, mouse routing, subclassed system classes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Controls.h"
#include "Forms.h"
#include "test_controls.h"
#include "test_support.h"
#include "ui_fixture.h"

namespace {

class ControlsTest : public UiTest {};

TEST_F(ControlsTest, TextGoesThroughTheTextMessagesWithAndWithoutAWindow) {
  TForm* form = PlainForm(200, 100);
  auto* c = new TCheck(form);
  c->SetParent(form);
  c->SetBounds(10, 10, 100, 20);
  MessageRecorder rec(c);

  c->SetText("before");  // no window yet: kept in the control
  EXPECT_FALSE(c->HandleAllocated());
  EXPECT_EQ(c->Text(), "before");
  EXPECT_NE(rec.Find(WM_SETTEXT), -1);
  EXPECT_NE(rec.Find(CM_TEXTCHANGED, rec.Find(WM_SETTEXT)), -1);

  form->Show();
  ASSERT_TRUE(c->HandleAllocated());
  char buf[64];
  GetWindowTextA(c->Handle(), buf, sizeof buf);
  EXPECT_STREQ(buf, "before");  // the window was made with it

  c->SetText("黒板");  // a window now: the window holds the text
  GetWindowTextA(c->Handle(), buf, sizeof buf);
  EXPECT_STREQ(buf, "黒板");
  EXPECT_EQ(c->Caption(), "黒板");

  // Setting the same text again sends nothing.
  rec.seen.clear();
  c->SetText("黒板");
  EXPECT_EQ(rec.Find(WM_SETTEXT), -1);

  // The text survives a new window.
  HWND old = c->Handle();
  c->RecreateWnd();
  EXPECT_FALSE(IsWindow(old));
  ASSERT_TRUE(c->HandleAllocated());
  GetWindowTextA(c->Handle(), buf, sizeof buf);
  EXPECT_STREQ(buf, "黒板");
  delete form;
}

TEST_F(ControlsTest, WindowProcIsAMethodValueThatCanBeStoredComparedChainedAndRestored) {
  TForm* form = PlainForm(100, 100);
  TWinControl* c = new TBox(form);
  c->SetParent(form);
  const TWndMethod own = c->WindowProc();
  EXPECT_TRUE(own == c->OwnWindowProc());
  EXPECT_FALSE(own == form->OwnWindowProc());  // same method, another object

  std::vector<std::string> order;
  constexpr UINT kProbe = WM_USER + 7;
  // Two subclassers, each keeping the procedure it found and calling it.
  TWndMethod saved1 = c->WindowProc();
  static const char code1 = 0, code2 = 0;
  TWndMethod hook1(&order, &code1, [&](TMessage& m) {
    if (m.Msg == kProbe) order.push_back("hook1");
    saved1(m);
  });
  c->SetWindowProc(hook1);
  TWndMethod saved2 = c->WindowProc();
  EXPECT_TRUE(saved2 == hook1);
  TWndMethod hook2(&order, &code2, [&](TMessage& m) {
    if (m.Msg == kProbe) {
      order.push_back("hook2");
      m.Result = 5;  // the chain below may change it
    }
    saved2(m);
  });
  c->SetWindowProc(hook2);
  EXPECT_FALSE(c->WindowProc() == hook1);

  // Perform and the real window procedure both enter through WindowProc.
  c->Perform(kProbe);
  SendMessageA(c->Handle(), kProbe, 0, 0);
  EXPECT_EQ(order, (std::vector<std::string>{"hook2", "hook1", "hook2", "hook1"}));

  // Restoring in reverse gives back the very value found first.
  c->SetWindowProc(saved2);
  c->SetWindowProc(saved1);
  EXPECT_TRUE(c->WindowProc() == own);
  order.clear();
  c->Perform(kProbe);
  EXPECT_TRUE(order.empty());
  delete form;
}

// Dispatch picks the handler by message number; a class without one leaves it to
// DefaultHandler, which for a windowed control is the window's default procedure.
class TProbe : public TWinControl {
 public:
  explicit TProbe(TComponent* AOwner) : TWinControl(AOwner) {}
  static constexpr UINT kMine = CM_BASE + 300;
  std::vector<std::string> Log;
  void Dispatch(TMessage& Message) override {
    if (Message.Msg == kMine) {
      Log.push_back("handler");
      Message.Result = 42;
      return;
    }
    TWinControl::Dispatch(Message);
  }
  void DefaultHandler(TMessage& Message) override {
    if (Message.Msg >= WM_USER && Message.Msg < CM_BASE) Log.push_back("default");
    TWinControl::DefaultHandler(Message);
  }
};

TEST_F(ControlsTest, DispatchRunsTheHandlerOfTheMessageNumberElseTheDefaultHandler) {
  TForm* form = PlainForm(100, 100);
  auto* p = new TProbe(form);
  p->SetParent(form);
  EXPECT_EQ(p->Perform(TProbe::kMine), 42);
  EXPECT_EQ(p->Perform(WM_USER + 1), 0);
  EXPECT_EQ(p->Log, (std::vector<std::string>{"handler", "default"}));
  // With a window the default reaches the class's procedure: DefWindowProc answers WM_GETTEXTLENGTH.
  p->SetText("abc");
  p->HandleNeeded();
  EXPECT_EQ(p->Perform(WM_GETTEXTLENGTH), 3);
  delete form;
}

TEST_F(ControlsTest, AlignedChildrenShareTheParentsClientAreaInAlignmentOrder) {
  TForm* form = PlainForm(400, 300);
  struct Case {
    TAlign align;
    int w, h;        // the size it asks for
    TRect expected;  // where it ends up
  };
  // Children of one alignment keep their order by position; each takes what the ones before
  // it left: top bands, bottom bands, left and right columns, then the client.
  const Case cases[] = {
      {alTop, 10, 30, Rect(0, 0, 400, 30)},    {alBottom, 10, 20, Rect(0, 280, 400, 300)},
      {alLeft, 50, 10, Rect(0, 45, 50, 280)},  {alRight, 60, 10, Rect(340, 45, 400, 280)},
      {alTop, 10, 15, Rect(0, 30, 400, 45)},   {alClient, 1, 1, Rect(50, 45, 340, 280)},
  };
  std::vector<TControl*> made;
  int y = 0;
  for (const Case& c : cases) {
    auto* d = new TDot(form);
    d->SetBounds(0, y += 40, c.w, c.h);
    d->SetAlign(c.align);
    d->SetParent(form);
    made.push_back(d);
  }
  for (size_t i = 0; i < made.size(); ++i) {
    SCOPED_TRACE(i);
    const TRect r = made[i]->BoundsRect();
    EXPECT_EQ(r.left, cases[i].expected.left);
    EXPECT_EQ(r.top, cases[i].expected.top);
    EXPECT_EQ(r.right, cases[i].expected.right);
    EXPECT_EQ(r.bottom, cases[i].expected.bottom);
  }
  // Resizing the parent realigns; hiding a child gives its space to the others.
  form->SetBounds(0, 0, 500, 300);
  EXPECT_EQ(made[0]->Width(), 500);
  EXPECT_EQ(made[3]->Left(), 440);
  made[0]->SetVisible(false);
  EXPECT_EQ(made[4]->Top(), 0);
  EXPECT_EQ(made[5]->Top(), 15);
  delete form;
}

TEST_F(ControlsTest, ParentColorAndFontReachChildrenUntilTheyChooseTheirOwn) {
  TForm* form = PlainForm(200, 100);
  auto* a = new TBox(form);
  auto* b = new TBox(form);
  a->SetParent(form);
  b->SetParent(form);
  b->SetColor(clRed);  // its own colour: no longer the parent's
  EXPECT_FALSE(b->ParentColor());
  form->SetColor(clNavy);
  EXPECT_EQ(a->Color(), clNavy);
  EXPECT_TRUE(a->ParentColor());
  EXPECT_EQ(b->Color(), clRed);
  form->Font()->SetName("Arial");
  form->Font()->SetSize(14);
  EXPECT_EQ(a->Font()->Name(), "Arial");
  EXPECT_EQ(a->Font()->Size(), 14);
  b->SetParentFont(false);
  form->Font()->SetSize(20);
  EXPECT_EQ(a->Font()->Size(), 20);
  EXPECT_EQ(b->Font()->Size(), 14);
  b->SetParentColor(true);  // back to the parent's
  EXPECT_EQ(b->Color(), clNavy);
  delete form;
}

TEST_F(ControlsTest, SelfDrawnControlsPaintOnTheScreenAndGraphicOnesOnTheirParent) {
  TForm* form = PlainForm(300, 200);
  form->SetColor(clWhite);
  auto* box = new TBox(form);
  box->SetColor(clBlue);
  box->SetBounds(10, 10, 100, 80);
  box->SetParent(form);
  auto* dot = new TDot(form);
  dot->SetColor(clRed);
  dot->SetBounds(150, 10, 50, 50);
  dot->SetParent(form);
  form->Show();
  winplat::user::PumpMessages();
  ASSERT_TRUE(test_support::WriteScreenshotPng("controls_paint.png"));
  EXPECT_GE(box->Paints, 1);
  EXPECT_EQ(Px(50, 50), 0x0000FFu);   // the box
  EXPECT_EQ(Px(175, 35), 0xFF0000u);  // inside the dot
  EXPECT_EQ(Px(150, 10), 0x000000u);  // its frame
  EXPECT_EQ(Px(250, 150), 0xFFFFFFu);  // the form
  // Moving the graphic control repaints both places.
  dot->SetLeft(200);
  winplat::user::PumpMessages();
  EXPECT_EQ(Px(160, 35), 0xFFFFFFu);
  EXPECT_EQ(Px(225, 35), 0xFF0000u);
  // Hidden, it leaves the form's colour.
  dot->Hide();
  winplat::user::PumpMessages();
  EXPECT_EQ(Px(225, 35), 0xFFFFFFu);
  delete form;
}

TEST_F(ControlsTest, TheMouseReachesAGraphicControlInItsOwnCoordinates) {
  TForm* form = PlainForm(300, 200);
  auto* dot = new TDot(form);
  dot->SetBounds(150, 10, 50, 50);
  dot->SetParent(form);
  std::vector<std::string> log;
  dot->OnMouseDown = [&](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
    log.push_back("down " + std::to_string(b) + " " + std::to_string(x) + "," + std::to_string(y) +
                  (sh.Contains(ssLeft) ? " left" : ""));
  };
  dot->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int x, int y) {
    log.push_back("up " + std::to_string(x) + "," + std::to_string(y));
  };
  dot->OnClick = [&](TObject* s) { log.push_back(s == dot ? "click" : "click?"); };
  form->OnClick = [&](TObject*) { log.push_back("form click"); };
  form->Show();
  winplat::user::PumpMessages();
  Input().Click(175, 35);
  winplat::user::PumpMessages();
  Input().Click(20, 150);  // the form itself
  winplat::user::PumpMessages();
  // Pressed on the dot, released outside it: no click, and the release still reaches it.
  Input().MouseDown(160, 20);
  Input().MouseUp(260, 150);
  winplat::user::PumpMessages();
  EXPECT_EQ(log, (std::vector<std::string>{"down 0 25,25 left", "click", "up 25,25", "form click", "down 0 10,10 left",
                                          "up 110,140"}));
  delete form;
}

TEST_F(ControlsTest, ASubclassedSystemClassKeepsItsBehaviourUnderTheFrameworksClass) {
  TForm* form = PlainForm(200, 100);
  auto* c = new TCheck(form);
  c->SetParent(form);
  c->SetBounds(10, 10, 120, 20);
  c->SetCaption("check");
  form->Show();
  winplat::user::PumpMessages();
  ASSERT_TRUE(c->HandleAllocated());
  char cls[64];
  GetClassNameA(c->Handle(), cls, sizeof cls);
  EXPECT_STREQ(cls, "TCheck");
  EXPECT_NE(c->DefWndProc(), reinterpret_cast<WNDPROC>(DefWindowProcA));
  EXPECT_EQ(FindControl(c->Handle()), c);
  EXPECT_EQ(SendMessageA(c->Handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  Input().Click(15, 20);
  winplat::user::PumpMessages();
  EXPECT_EQ(SendMessageA(c->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
  // The parent reflects the button's notification to it as CN_COMMAND.
  MessageRecorder rec(c);
  Input().Click(15, 20);
  winplat::user::PumpMessages();
  EXPECT_NE(rec.Find(CN_COMMAND), -1);
  delete form;
}

TEST_F(ControlsTest, ChildWindowsStackInListOrderAndFreeingTheParentFreesThem) {
  TForm* form = PlainForm(200, 200);
  auto* under = new TBox(form);
  under->SetColor(clGreen);
  under->SetBounds(0, 0, 200, 200);
  under->SetParent(form);
  auto* over = new TBox(form);
  over->SetColor(clBlue);
  over->SetBounds(0, 0, 200, 40);
  over->SetParent(form);
  form->Show();
  winplat::user::PumpMessages();
  EXPECT_EQ(Px(10, 10), 0x0000FFu);  // the later one is on top
  EXPECT_EQ(Px(10, 100), 0x008000u);
  under->BringToFront();
  winplat::user::PumpMessages();
  EXPECT_EQ(Px(10, 10), 0x008000u);
  EXPECT_EQ(form->Controls(form->ControlCount() - 1), under);
  HWND a = under->Handle(), b = over->Handle();
  delete form;  // frees its children and their windows
  EXPECT_FALSE(IsWindow(a));
  EXPECT_FALSE(IsWindow(b));
}

}  // namespace
