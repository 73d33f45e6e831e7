// A headless screen with the fixed-metric font and an application object of the test's own, so
// that each test starts with no main form, no hooks and not terminated.
#pragma once
#include <gtest/gtest.h>

#include <vector>

#include "Forms.h"
#include "wintext.h"
#include "winplat_screen.h"
#include "winplat_user.h"

class UiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    winplat::screen::SetBackend(nullptr);
    winplat::screen::Headless()->SetDisplaySize(640, 480);
    font_before_ = winplat::gdi::UseTestFontForAll(true);
    saved_ = Application;
    Application = new TApplication(nullptr);
  }
  void TearDown() override {
    winplat::user::PumpMessages();
    delete Application;
    Application = saved_;
    winplat::user::PumpMessages();
    winplat::screen::SetMessageBoxAnswerer({});
    winplat::gdi::UseTestFontForAll(font_before_);
  }
  // The screen pixel at (x, y), 0x00RRGGBB.
  static uint32_t Px(int x, int y) {
    int w, h;
    auto p = winplat::screen::CurrentBackend()->Screenshot(&w, &h);
    return p[static_cast<size_t>(y) * w + x];
  }
  static winplat::screen::HeadlessBackend& Input() { return *winplat::screen::Headless(); }

  TApplication* saved_ = nullptr;
  bool font_before_ = false;
};

// Records the message numbers that pass through a control's WindowProc, then passes them on.
// It lets go of a control freed before it.
class MessageRecorder {
 public:
  explicit MessageRecorder(TControl* c) : control_(c), saved_(c->WindowProc()), watch_(this) {
    c->SetWindowProc(TWndMethod(this, &kCode, [this](TMessage& m) {
      seen.push_back(m.Msg);
      saved_(m);
    }));
    c->FreeNotification(&watch_);
  }
  ~MessageRecorder() {
    if (control_) {
      control_->SetWindowProc(saved_);
      control_->RemoveFreeNotification(&watch_);
    }
  }
  // Index of the first Msg at or after From, or -1.
  int Find(UINT Msg, int From = 0) const {
    for (size_t i = static_cast<size_t>(From); i < seen.size(); ++i)
      if (seen[i] == Msg) return static_cast<int>(i);
    return -1;
  }
  std::vector<UINT> seen;

 private:
  struct Watch : TComponent {
    explicit Watch(MessageRecorder* r) : TComponent(nullptr), r(r) {}
    void Notification(TComponent* c, TOperation op) override {
      if (op == opRemove && c == r->control_) r->control_ = nullptr;
    }
    MessageRecorder* r;
  };
  static constexpr char kCode = 0;
  TControl* control_;
  TWndMethod saved_;
  Watch watch_;
};
