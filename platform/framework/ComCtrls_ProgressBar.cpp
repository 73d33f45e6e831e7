// The progress bar over the platform's "msctls_progress32".
#include <algorithm>

#include "ComCtrls.h"
#include "TypInfo.h"

TProgressBar::TProgressBar(TComponent* AOwner) : TWinControl(AOwner) {
  width_ = 150;
  height_ = 16;
}

void TProgressBar::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, PROGRESS_CLASSA);
  if (smooth_) Params.Style |= PBS_SMOOTH;
  if (orientation_ == pbVertical) Params.Style |= PBS_VERTICAL;
}

void TProgressBar::CreateWnd() {
  TWinControl::CreateWnd();
  SendMessageA(Handle(), PBM_SETRANGE32, static_cast<WPARAM>(min_), static_cast<LPARAM>(max_));
  SendMessageA(Handle(), PBM_SETSTEP, static_cast<WPARAM>(step_), 0);
  SendMessageA(Handle(), PBM_SETPOS, static_cast<WPARAM>(position_), 0);
}

int TProgressBar::Position() const {
  if (HandleAllocated()) return static_cast<int>(SendMessageA(handle_, PBM_GETPOS, 0, 0));
  return position_;
}

void TProgressBar::SetPosition(int Value) {
  position_ = std::clamp(Value, min_, std::max(min_, max_));
  if (HandleAllocated()) SendMessageA(Handle(), PBM_SETPOS, static_cast<WPARAM>(position_), 0);
}

void TProgressBar::SetMin(int Value) {
  if (Value == min_) return;
  min_ = Value;
  if (HandleAllocated()) SendMessageA(Handle(), PBM_SETRANGE32, static_cast<WPARAM>(min_), static_cast<LPARAM>(max_));
  SetPosition(position_);
}

void TProgressBar::SetMax(int Value) {
  if (Value == max_) return;
  max_ = Value;
  if (HandleAllocated()) SendMessageA(Handle(), PBM_SETRANGE32, static_cast<WPARAM>(min_), static_cast<LPARAM>(max_));
  SetPosition(position_);
}

void TProgressBar::SetStep(int Value) {
  step_ = Value;
  if (HandleAllocated()) SendMessageA(Handle(), PBM_SETSTEP, static_cast<WPARAM>(step_), 0);
}

// Past the end the bar starts again at its beginning, as the platform's does.
void TProgressBar::StepIt() {
  if (HandleAllocated()) {
    SendMessageA(Handle(), PBM_STEPIT, 0, 0);
    position_ = Position();
    return;
  }
  position_ += step_;
  if (position_ > max_) position_ = min_ + (position_ - max_);
}

void TProgressBar::StepBy(int Delta) { SetPosition(Position() + Delta); }

void TProgressBar::SetSmooth(bool Value) {
  if (Value == smooth_) return;
  smooth_ = Value;
  if (HandleAllocated()) {
    position_ = Position();
    RecreateWnd();
  }
}

void TProgressBar::SetOrientation(TProgressBarOrientation Value) {
  if (Value == orientation_) return;
  orientation_ = Value;
  if (HandleAllocated()) {
    position_ = Position();
    RecreateWnd();
  }
}

static const bool registered = DeclareClass<TProgressBar, TWinControl>("TProgressBar")
    .Integer("Min", &TProgressBar::Min, &TProgressBar::SetMin, Default(0))
    .Integer("Max", &TProgressBar::Max, &TProgressBar::SetMax, Default(100))
    .Enum("Orientation", {"pbHorizontal", "pbVertical"}, &TProgressBar::Orientation, &TProgressBar::SetOrientation,
          Default(pbHorizontal))
    .Integer("Position", &TProgressBar::Position, &TProgressBar::SetPosition, Default(0))
    .Boolean("Smooth", &TProgressBar::Smooth, &TProgressBar::SetSmooth, Default(0))
    .Integer("Step", &TProgressBar::Step, &TProgressBar::SetStep, Default(10))
    .Done();
