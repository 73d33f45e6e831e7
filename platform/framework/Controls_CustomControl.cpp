// The control canvas and the two self-painting control classes.
#include "Controls.h"
#include "TypInfo.h"

TControlCanvas::~TControlCanvas() { FreeHandle(); }

void TControlCanvas::SetControl(TControl* Value) {
  if (control_ == Value) return;
  FreeHandle();
  control_ = Value;
}

void TControlCanvas::FreeHandle() {
  if (!dc_) return;
  HDC dc = dc_;
  dc_ = nullptr;
  SetHandle(nullptr);
  ReleaseDC(window_, dc);
  window_ = nullptr;
}

void TControlCanvas::PaintOn(HDC DC, const std::function<void()>& Paint) {
  FreeHandle();
  SetHandle(DC);
  struct Reset {
    TCanvas* c;
    ~Reset() { c->SetHandle(nullptr); }
  } reset{this};
  Paint();
}

void TControlCanvas::CreateHandle() {
  if (!control_) return;
  HDC dc = nullptr;
  HWND window = nullptr;
  if (auto* w = dynamic_cast<TWinControl*>(control_)) {
    window = w->Handle();
    dc = GetDCEx(window, nullptr, DCX_CACHE | DCX_CLIPSIBLINGS);
  } else if (TWinControl* p = control_->Parent()) {
    // A graphic control draws on its part of the parent's window.
    window = p->Handle();
    dc = GetDCEx(window, nullptr, DCX_CACHE | DCX_CLIPSIBLINGS);
    if (dc) {
      SetViewportOrgEx(dc, control_->Left(), control_->Top(), nullptr);
      IntersectClipRect(dc, 0, 0, control_->Width(), control_->Height());
    }
  }
  if (!dc) return;
  dc_ = dc;
  window_ = window;
  SetHandle(dc);
}

// ---------------------------------------------------------------------------------------------

TCustomControl::TCustomControl(TComponent* AOwner)
    : TWinControl(AOwner), canvas_(std::make_unique<TControlCanvas>()) {
  canvas_->SetControl(this);
}

TCustomControl::~TCustomControl() {
  Destroying();
  canvas_->FreeHandle();
}

void TCustomControl::Dispatch(TMessage& Message) {
  // Always through PaintHandler, so that Paint runs.
  if (Message.Msg == WM_PAINT) PaintHandler(Message);
  else TWinControl::Dispatch(Message);
}

void TCustomControl::PaintWindow(HDC DC) {
  canvas_->PaintOn(DC, [this] { Paint(); });
}

void TCustomControl::DestroyWnd() {
  canvas_->FreeHandle();
  TWinControl::DestroyWnd();
}

// ---------------------------------------------------------------------------------------------

TGraphicControl::TGraphicControl(TComponent* AOwner)
    : TControl(AOwner), canvas_(std::make_unique<TControlCanvas>()) {
  canvas_->SetControl(this);
}

TGraphicControl::~TGraphicControl() {
  Destroying();
  canvas_->FreeHandle();
}

void TGraphicControl::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_PAINT) {
    WMPaint(Message);
    return;
  }
  TControl::Dispatch(Message);
}

void TGraphicControl::WMPaint(TMessage& Message) {
  if (Message.WParam) canvas_->PaintOn(reinterpret_cast<HDC>(Message.WParam), [this] { Paint(); });
}

static const bool registered = DeclareClass<TCustomControl, TWinControl>("TCustomControl").Done() &&
                               DeclareClass<TGraphicControl, TControl>("TGraphicControl").Done();
