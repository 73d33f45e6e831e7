// TCustomDXTimer: the frame timer on the application's idle time.
#include <cmath>

#include "DXClass.h"
#include "TypInfo.h"
#include "mmsystem.h"

namespace {
std::function<uint32_t()>& Clock() {
  static std::function<uint32_t()> clock;
  return clock;
}
}  // namespace

void TCustomDXTimer::SetClock(std::function<uint32_t()> AClock) { Clock() = std::move(AClock); }
uint32_t TCustomDXTimer::Now() { return Clock() ? Clock()() : timeGetTime(); }

TCustomDXTimer::TCustomDXTimer(TComponent* AOwner) : TComponent(AOwner) {
  FActiveOnly = true;
  FEnabled = true;
  SetInterval(1000);
  Application->HookMainWindow(TWindowHook::Of<&TCustomDXTimer::MainWindowHook>(this));
}

TCustomDXTimer::~TCustomDXTimer() {
  Stop();
  Application->UnhookMainWindow(TWindowHook::Of<&TCustomDXTimer::MainWindowHook>(this));
}

void TCustomDXTimer::Loaded() {
  TComponent::Loaded();
  if (FEnabled && !ComponentState().Contains(csDesigning)) Start();
}

void TCustomDXTimer::SetEnabled(bool Value) {
  if (FEnabled == Value) return;
  FEnabled = Value;
  if (ComponentState().Contains(csLoading) || ComponentState().Contains(csReading)) return;
  if (Value) Start();
  else Stop();
}

void TCustomDXTimer::SetInterval(int32_t Value) {
  if (FInterval == Value) return;
  FInterval = std::max(Value, 0);
  FIntervalDivisor = std::max(Value, 1);
}

void TCustomDXTimer::SetActiveOnly(bool Value) {
  if (FActiveOnly == Value) return;
  FActiveOnly = Value;
  if (!FStarted) return;
  if (Value && !AppActive()) Suspend();
  // Switched off while suspended for inactivity: ticking goes on at once.
  else if (!Value && FSuspended) Resume();
}

bool TCustomDXTimer::AppActive() const { return Application->Active(); }

void TCustomDXTimer::Start() {
  Stop();
  if (!FActiveOnly || AppActive()) Resume();
  FStarted = true;
}

void TCustomDXTimer::Stop() {
  if (!FStarted) return;
  Suspend();
  FStarted = false;
}

void TCustomDXTimer::Resume() {
  FLastTickTime = Now();
  FFrameRateTime = Now();
  Application->OnIdle = [this](TObject* Sender, bool& Done) { IdleTick(Sender, Done); };
  FSuspended = false;
}

void TCustomDXTimer::Suspend() {
  Application->OnIdle = nullptr;
  FSuspended = true;
}

bool TCustomDXTimer::MainWindowHook(TMessage& Message) {
  if (Message.Msg == CM_ACTIVATE) {
    DoActivate();
    if (FStarted && FActiveOnly) Resume();
  } else if (Message.Msg == CM_DEACTIVATE) {
    DoDeactivate();
    if (FStarted && FActiveOnly) Suspend();
  }
  return false;
}

void TCustomDXTimer::IdleTick(TObject*, bool& Done) {
  Done = false;
  const uint32_t now = Now();
  const uint32_t elapsed = now - FLastTickTime;
  if (elapsed < static_cast<uint32_t>(FInterval)) {
    // The loop waits until the tick is due instead of polling the clock.
    Application->NextIdleDue(static_cast<uint32_t>(FInterval) - elapsed);
    return;
  }
  FLastTickTime = now;
  int32_t lag = static_cast<int32_t>(elapsed / static_cast<uint32_t>(FIntervalDivisor));
  if (lag < 1) lag = 1;
  ++FFrameCount;
  const uint32_t period = std::max<uint32_t>(now - FFrameRateTime, 1);
  if (period >= 1000) {
    FFrameRate = static_cast<int32_t>(std::nearbyint(FFrameCount * 1000.0 / period));
    FFrameCount = 0;
    FFrameRateTime = now;
  }
  DoTimer(lag);
  Application->NextIdleDue(static_cast<uint32_t>(FInterval));
}

void TCustomDXTimer::DoActivate() {
  if (OnActivate) OnActivate(this);
}
void TCustomDXTimer::DoDeactivate() {
  if (OnDeactivate) OnDeactivate(this);
}
void TCustomDXTimer::DoTimer(int32_t LagCount) {
  if (OnTimer) OnTimer(this, LagCount);
}

static const bool registered =
    DeclareClass<TCustomDXTimer, TComponent>("TCustomDXTimer").Done() &&
    DeclareClass<TDXTimer, TCustomDXTimer>("TDXTimer")
        .Boolean("ActiveOnly", &TDXTimer::ActiveOnly, &TDXTimer::SetActiveOnly, Default(1))
        .Boolean("Enabled", &TDXTimer::Enabled, &TDXTimer::SetEnabled, Default(1))
        .Integer("Interval", &TDXTimer::Interval, &TDXTimer::SetInterval, Default(1000))
        .Event("OnActivate", static_cast<TNotifyEvent TDXTimer::*>(&TDXTimer::OnActivate))
        .Event("OnDeactivate", static_cast<TNotifyEvent TDXTimer::*>(&TDXTimer::OnDeactivate))
        .Event("OnTimer", static_cast<TDXTimerEvent TDXTimer::*>(&TDXTimer::OnTimer))
        .Done();
