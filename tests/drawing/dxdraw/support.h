// Helpers of the drawing-control tests: a headless screen, a form with a drawing control, and a
// recorder of the control's notifications.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "DXClass.h"
#include "DXDraws.h"
#include "Forms.h"
#include "winplat_screen.h"
#include "winplat_user.h"

namespace dxdrawtest {

// A fresh headless screen of the given size for one test.
struct HeadlessScreen {
  std::shared_ptr<winplat::screen::HeadlessBackend> backend = std::make_shared<winplat::screen::HeadlessBackend>();
  HeadlessScreen(int w = 640, int h = 480) {
    backend->SetDisplaySize(w, h);
    winplat::screen::SetBackend(backend);
  }
  ~HeadlessScreen() { winplat::screen::SetBackend(nullptr); }
  uint32_t Pixel(int x, int y) {
    int w = 0, h = 0;
    auto px = backend->Screenshot(&w, &h);
    return px[static_cast<size_t>(y) * w + x];
  }
};

// A borderless drawing form at (0, 0) with a drawing control filling it; the control asks for
// the form's size at 32 bits in full-screen mode.
inline TDXForm* NewDrawingForm(int w, int h, TDXDrawOptions options, TDXDraw*& draw) {
  TDXForm* form = CreateNewForm<TDXForm>(Application);
  form->SetBorderStyle(bsNone);
  form->SetBounds(0, 0, w, h);
  draw = new TDXDraw(form);
  draw->SetParent(form);
  draw->SetBounds(0, 0, w, h);
  draw->SetOptions(options);
  draw->Display()->SetWidth(w);
  draw->Display()->SetHeight(h);
  draw->Display()->SetBitCount(32);
  return form;
}

// Records every notification a drawing control sends to it.
class Listener {
 public:
  void Notify(TCustomDXDraw* Sender, int32_t NotifyType) { Codes.push_back(NotifyType); }
  TDXDrawNotifyEvent Event() { return TDXDrawNotifyEvent::Of<&Listener::Notify>(this); }
  std::vector<int32_t> Codes;
};

// A form with a drawing control filling it, not yet shown, and a listener on the control.
struct Board {
  HeadlessScreen screen;
  TDXForm* form = nullptr;
  TDXDraw* draw = nullptr;
  Listener listener;

  explicit Board(uint16_t options = 0x348C, int w = 640, int h = 480) : screen(w, h) {
    form = NewDrawingForm(w, h, DXDrawOptionsOf(options), draw);
    draw->RegisterNotifyEvent(listener.Event());
    listener.Codes.clear();
  }
  ~Board() { FreeAndNil(form); }
  // Shows the form, which brings the control up by itself the first time.
  void Show() {
    form->Show();
    winplat::user::PumpMessages();
  }
};

}  // namespace dxdrawtest
