// TDXForm, the base of the full-screen drawing form, and TControlSubClass, the window hook.
#include "DXClass.h"
#include "TypInfo.h"

int32_t DXFormCount = 0;

namespace {
void SetApplicationToolWindow(bool On) {
  HWND app = Application->Handle();
  const LONG style = GetWindowLongA(app, GWL_EXSTYLE);
  SetWindowLongA(app, GWL_EXSTYLE, On ? (style | WS_EX_TOOLWINDOW) : (style & ~static_cast<LONG>(WS_EX_TOOLWINDOW)));
}
}  // namespace

TDXForm::TDXForm(TComponent* AOwner) : TForm(AOwner) {
  ++DXFormCount;
  // The application window gets no taskbar button; the form carries it.
  SetApplicationToolWindow(true);
}

TDXForm::~TDXForm() {
  if (--DXFormCount == 0) SetApplicationToolWindow(false);
}

void TDXForm::CreateParams(TCreateParams& Params) {
  TForm::CreateParams(Params);
  Params.ExStyle |= WS_EX_APPWINDOW;
}

void TDXForm::SaveWindowPlacement() {
  FWindowPlacement.length = 44;
  FPlacementSaved = GetWindowPlacement(Handle(), &FWindowPlacement) != FALSE;
}

void TDXForm::Dispatch(TMessage& Message) {
  // The low four bits of a system command are the system's own.
  if (Message.Msg == WM_SYSCOMMAND && (Message.WParam & 0xFFF0) == SC_MINIMIZE) {
    DefaultHandler(Message);
    SetWindowState(wsMinimized);
    return;
  }
  TForm::Dispatch(Message);
}

// ---- TControlSubClass ------------------------------------------------------------------------

TControlSubClass::TControlSubClass(TControl* AControl, TControlSubClassProc ACallback, void* AData)
    : FControl(AControl), FDefWndProc(AControl->WindowProc()), FCallback(ACallback), FData(AData) {
  FControl->SetWindowProc(TWndMethod::Of<&TControlSubClass::WndProc>(this));
}

TControlSubClass::~TControlSubClass() { FControl->SetWindowProc(FDefWndProc); }

void TControlSubClass::WndProc(TMessage& Message) {
  // The callback may free this hook; the saved procedure it is given stays valid.
  const TWndMethod saved = FDefWndProc;
  FCallback(FData, Message, saved);
}

static const bool registered = DeclareClass<TDXForm, TForm>("TDXForm").Done();
