// TApplication: the hidden application window, the message loop with its idle rule, exceptions,
// main-window hooks, activation and hints.
#include <algorithm>
#include <vector>

#include "Forms.h"
#include "SysUtils.h"
#include "TypInfo.h"
#include "winplat_user.h"

TControl* CaptureControlOf(HWND Window);

THintWindowClass HintWindowClass = [](TComponent* AOwner) { return new THintWindow(AOwner); };

namespace {
constexpr UINT_PTR kHintTimerId = 1;
constexpr int kHintShow = 1;
constexpr int kHintHide = 2;

// The control under a screen point: the window's control, or its graphic child there.
TControl* FindDragTarget(const TPoint& Pos, bool AllowDisabled) {
  HWND w = WindowFromPoint(Pos);
  TWinControl* c = FindControl(w);
  if (!c) return nullptr;
  POINT p = Pos;
  ::ScreenToClient(w, &p);
  TControl* g = c->ControlAtPos(p, AllowDisabled);
  return g ? g : c;
}

TControl* GetHintControl(TControl* Control) {
  while (Control && !Control->ShowHint()) Control = Control->Parent();
  if (Control && Control->ComponentState().Contains(csDesigning)) return nullptr;
  return Control;
}

AnsiString GetHintOf(TControl* Control) {
  for (; Control; Control = Control->Parent())
    if (!Control->Hint().empty()) return Control->Hint();
  return AnsiString();
}

}  // namespace

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner) {}

TApplication::~TApplication() {
  Destroying();
  CancelHint();
  DestroyComponents();
  if (handle_) DestroyWindow(handle_);
  handle_ = nullptr;
  if (object_instance_) FreeObjectInstance(object_instance_);
}

AnsiString TApplication::ExeName() const {
  std::vector<char> buf(MAX_PATH + 1);
  for (;;) {
    DWORD n = GetModuleFileNameA(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) return AnsiString();
    if (n < buf.size() - 1 || buf.size() >= 65536) return AnsiString(buf.data(), n);
    buf.resize(buf.size() * 2);  // the name was cut
  }
}

TIcon* TApplication::Icon() {
  if (!icon_) {
    icon_ = std::make_unique<TIcon>();
    icon_->SetHandle(LoadIconA(nullptr, IDI_APPLICATION));
  }
  return icon_.get();
}

void TApplication::Initialize() { Handle(); }

HWND TApplication::Handle() {
  if (!handle_) CreateHandle();
  return handle_;
}

void TApplication::CreateHandle() {
  if (title_.empty()) title_ = ChangeFileExt(ExtractFileName(ExeName()), "");
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.lpszClassName = "TApplication";
  WNDCLASSA existing{};
  if (!GetClassInfoA(wc.hInstance, wc.lpszClassName, &existing) && !RegisterClassA(&wc)) RaiseLastOSError();
  handle_ = CreateWindowExA(0, wc.lpszClassName, title_.c_str(),
                            WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                            Screen->Width() / 2, Screen->Height() / 2, 0, 0, nullptr, nullptr, wc.hInstance, nullptr);
  if (!handle_) RaiseLastOSError();
  object_instance_ = MakeObjectInstance(TWndMethod::Of<&TApplication::WndProc>(this));
  SetWindowLongPtrA(handle_, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(object_instance_));
}

AnsiString TApplication::Title() {
  if (!handle_) return title_;
  char buf[256];
  const int n = GetWindowTextA(handle_, buf, sizeof buf);
  return AnsiString(buf, static_cast<std::size_t>(std::max(n, 0)));
}

void TApplication::SetTitle(const AnsiString& Value) {
  title_ = Value;
  if (handle_ && Title() != Value) SetWindowTextA(handle_, Value.c_str());
}

void TApplication::FormCreated(TCustomForm* Form) {
  if (!main_form_)
    if (auto* f = dynamic_cast<TForm*>(Form)) {
      f->HandleNeeded();
      main_form_ = f;
    }
}

// ---- the loop ----

void TApplication::Run() {
  Handle();
  if (main_form_) {
    if (show_main_form_) {
      if (main_form_->WindowState() == wsMinimized) Minimize();
      else main_form_->SetVisible(true);
    }
    while (!terminated_) {
      try {
        HandleMessage();
      } catch (...) {
        HandleException(this);
      }
    }
  }
}

// The loop ends when it takes the quit message from the queue.
void TApplication::Terminate() { PostQuitMessage(0); }

bool TApplication::IsHintMsg(MSG& Msg) {
  if (hint_window_ && hint_window_->IsHintMsg(Msg)) CancelHint();
  return false;
}

bool TApplication::IsDlgMsg(MSG& Msg) {
  return dialog_handle_ && IsDialogMessageA(dialog_handle_, &Msg);
}

// Keys go first to the nearest framework control as CN_ messages (dialog keys, mnemonics).
bool TApplication::IsKeyMsg(MSG& Msg) {
  if (Msg.message < WM_KEYFIRST || Msg.message > WM_KEYLAST) return false;
  HWND w = GetCapture();
  if (!w) {
    w = Msg.hwnd;
    while (w && !FindControl(w)) w = GetParent(w);
    if (!w) w = Msg.hwnd;
    if (!w) return false;
  } else if (!FindControl(w)) {
    return false;
  }
  return SendMessageA(w, CN_BASE + Msg.message, Msg.wParam, Msg.lParam) != 0;
}

bool TApplication::ProcessMessage(MSG& Msg) {
  if (!PeekMessageA(&Msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (Msg.message == WM_QUIT) {
    terminated_ = true;
    return true;
  }
  bool handled = false;
  if (OnMessage) OnMessage(Msg, handled);
  if (!IsHintMsg(Msg) && !handled && !IsKeyMsg(Msg) && !IsDlgMsg(Msg)) {
    TranslateMessage(&Msg);
    DispatchMessageA(&Msg);
  }
  return true;
}

void TApplication::ProcessMessages() {
  MSG msg;
  while (ProcessMessage(msg)) {
  }
}

void TApplication::HandleMessage() {
  MSG msg;
  if (!ProcessMessage(msg)) Idle(msg);
}

void TApplication::NextIdleDue(uint32_t DelayMs) {
  idle_due_set_ = true;
  idle_due_ = GetTickCount() + DelayMs;
}

bool TApplication::ModalEnding() const {
  for (int i = 0; i < Screen->CustomFormCount(); ++i) {
    TCustomForm* f = Screen->CustomForms(i);
    if (f->FormState().Contains(fsModal) && f->ModalResult() != mrNone) return true;
  }
  return false;
}

TControl* TApplication::DoMouseIdle() {
  POINT p;
  GetCursorPos(&p);
  TControl* capture = nullptr;
  if (HWND c = GetCapture()) {
    capture = CaptureControlOf(c);
    if (!capture) capture = FindControl(c);
  }
  TControl* target = FindDragTarget(p, true);
  if (target && target->ComponentState().Contains(csDesigning)) target = nullptr;
  if (!capture) capture = target;
  if (capture != mouse_control_) {
    if (mouse_control_) mouse_control_->Perform(CM_MOUSELEAVE, 0, 0);
    mouse_control_ = capture;
    if (mouse_control_) mouse_control_->Perform(CM_MOUSEENTER, 0, 0);
  }
  return target;
}

void TApplication::Idle(const MSG&) {
  TControl* control = DoMouseIdle();
  if (show_hint_ && !mouse_control_) CancelHint();
  SetHint(GetLongHint(GetHintOf(control)));
  bool done = true;
  idle_due_set_ = false;
  try {
    if (OnIdle) OnIdle(this, done);
    if (done)
      for (int i = 0; i < Screen->CustomFormCount(); ++i) Screen->CustomForms(i)->UpdateActions();
  } catch (...) {
    HandleException(this);
  }
  // Nothing to wait for when the loop is about to end.
  if (terminated_ || ModalEnding()) return;
  if (done) {
    WaitMessage();
  } else if (idle_due_set_) {
    const DWORD now = GetTickCount();
    const int32_t left = static_cast<int32_t>(idle_due_ - now);
    if (left > 0) MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left), QS_ALLINPUT);
  } else {
    winplat::user::PresentScreen();
  }
}

// ---- exceptions ----

void TApplication::HandleException(TObject* Sender) {
  if (HWND c = GetCapture()) SendMessageA(c, WM_CANCELMODE, 0, 0);
  std::exception_ptr e = std::current_exception();
  if (!e) return;
  try {
    std::rethrow_exception(e);
  } catch (EAbort&) {
  } catch (Exception& ex) {
    if (OnException) OnException(Sender, &ex);
    else ShowException(&ex);
  } catch (std::exception& ex) {
    Exception wrapped(ex.what());
    if (OnException) OnException(Sender, &wrapped);
    else ShowException(&wrapped);
  } catch (...) {
    Exception wrapped("不明な例外が発生しました");
    if (OnException) OnException(Sender, &wrapped);
    else ShowException(&wrapped);
  }
}

void TApplication::ShowException(const Exception* E) {
  AnsiString msg = E->Message();
  // A message gets a final period unless it ends with one (or with a character below it).
  if (!msg.empty()) {
    std::size_t last = 0;
    for (std::size_t i = 0; i < msg.size(); i += IsDBCSLeadByte(static_cast<BYTE>(msg[i])) ? 2 : 1) last = i;
    if (static_cast<unsigned char>(msg[last]) > '.') msg += '.';
  }
  MessageBox(msg.c_str(), Title().c_str(), MB_OK | MB_ICONSTOP);
}

int TApplication::MessageBox(const char* Text, const char* Caption, UINT Flags) {
  HWND owner = Screen->ActiveCustomForm() && Screen->ActiveCustomForm()->HandleAllocated()
                   ? Screen->ActiveCustomForm()->Handle()
                   : handle_;
  ModalStarted();
  struct Done {
    TApplication* a;
    ~Done() { a->ModalFinished(); }
  } done{this};
  return MessageBoxA(owner, Text, Caption, Flags);
}

// ---- the application window ----

void TApplication::HookMainWindow(const TWindowHook& Hook) { hooks_.push_back(Hook); }

void TApplication::UnhookMainWindow(const TWindowHook& Hook) {
  auto it = std::find(hooks_.begin(), hooks_.end(), Hook);
  if (it != hooks_.end()) hooks_.erase(it);
}

void TApplication::WndProc(TMessage& Message) {
  try {
    // A hook may unhook itself (or others) while it runs: walk a copy.
    const std::vector<TWindowHook> hooks = hooks_;
    for (const TWindowHook& h : hooks) {
      if (std::find(hooks_.begin(), hooks_.end(), h) == hooks_.end()) continue;
      if (h(Message)) return;
    }
    auto Default = [&] { Message.Result = DefWindowProcA(handle_, Message.Msg, Message.WParam, Message.LParam); };
    switch (Message.Msg) {
      case WM_ACTIVATEAPP:
        Default();
        active_ = Message.WParam != 0;
        PostMessageA(handle_, active_ ? CM_ACTIVATE : CM_DEACTIVATE, 0, 0);
        if (!active_) CancelHint();
        return;
      case CM_ACTIVATE:
        if (OnActivate) OnActivate(this);
        return;
      case CM_DEACTIVATE:
        if (OnDeactivate) OnDeactivate(this);
        return;
      case WM_CLOSE:
        if (main_form_) main_form_->Close();
        return;
      case WM_TIMER:
        if (Message.WParam == kHintTimerId) {
          HintTimerExpired();
          return;
        }
        Default();
        return;
      case WM_SYSCOMMAND:
        switch (Message.WParam & 0xFFF0) {
          case SC_MINIMIZE: Minimize(); return;
          case SC_RESTORE: Restore(); return;
          default: Default(); return;
        }
      case CM_APPKEYDOWN:
        // A key no control or form took: the main form's shortcuts.
        if (main_form_ && main_form_->HandleAllocated() && IsWindowEnabled(main_form_->Handle()) &&
            main_form_->IsShortCut(Message))
          Message.Result = 1;
        return;
      case CM_ACTIONEXECUTE:
      case CM_ACTIONUPDATE: {
        TCustomForm* form = Screen->ActiveCustomForm();
        bool done = form && form->Perform(Message.Msg, Message.WParam, Message.LParam) == 1;
        if (!done && main_form_ && main_form_ != form)
          done = main_form_->Perform(Message.Msg, Message.WParam, Message.LParam) == 1;
        Message.Result = done ? 1 : 0;
        return;
      }
      default: Default(); return;
    }
  } catch (...) {
    HandleException(this);
  }
}

void TApplication::Minimize() {
  if (main_form_ && main_form_->HandleAllocated()) ShowWindow(main_form_->Handle(), SW_MINIMIZE);
}

void TApplication::Restore() {
  if (main_form_ && main_form_->HandleAllocated() && IsIconic(main_form_->Handle()))
    ShowWindow(main_form_->Handle(), SW_RESTORE);
}

void TApplication::BringToFront() {
  if (main_form_ && main_form_->HandleAllocated()) SetForegroundWindow(main_form_->Handle());
}

void TApplication::ModalStarted() {
  ++modal_level_;
  if (modal_level_ == 1 && OnModalBegin) OnModalBegin(this);
}

void TApplication::ModalFinished() {
  if (modal_level_ == 0) return;
  --modal_level_;
  if (modal_level_ == 0 && OnModalEnd) OnModalEnd(this);
}

// ---- hints ----

// A hint action factory lets the actions unit turn hint changes into a THintAction when no
// OnHint handler is set; none by default.
std::function<TBasicAction*(TComponent*)> HintActionClass;

void TApplication::SetHint(const AnsiString& Value) {
  if (hint_ == Value) return;
  hint_ = Value;
  if (OnHint) {
    OnHint(this);
  } else if (HintActionClass) {
    std::unique_ptr<TBasicAction> action(HintActionClass(this));
    if (action) {
      if (const TPropInfo* p = GetPropInfo(action.get(), "Hint")) SetStrProp(action.get(), p, Value);
      action->Execute();
    }
  }
}

void TApplication::SetShowHint(bool Value) {
  if (show_hint_ == Value) return;
  show_hint_ = Value;
  if (!Value) {
    CancelHint();
    if (hint_window_) {
      delete hint_window_;
      hint_window_ = nullptr;
    }
  }
}

void TApplication::StartHintTimer(UINT Ms, int Kind) {
  StopHintTimer();
  hint_timer_ = SetTimer(Handle(), kHintTimerId, std::max<UINT>(Ms, 1), nullptr);
  hint_timer_kind_ = Kind;
  if (!hint_timer_) CancelHint();
}

void TApplication::StopHintTimer() {
  if (hint_timer_ && handle_) KillTimer(handle_, kHintTimerId);
  hint_timer_ = 0;
}

void TApplication::HintTimerExpired() {
  StopHintTimer();
  if (hint_timer_kind_ == kHintShow) {
    POINT p;
    GetCursorPos(&p);
    ActivateHint(p);
  } else {
    // Timed out: it stays away until the pointer really moves.
    GetCursorPos(&hint_timed_out_at_);
    hint_timed_out_ = true;
    CancelHint();
  }
}

void TApplication::HintMouseMessage(TControl* Control, TMessage& Message) {
  TPoint screen_pos{};
  try {
    screen_pos = Control->ClientToScreen(Point(Message.XPos(), Message.YPos()));
  } catch (EInvalidOperation&) {
    return;  // a control without a parent window has no place on the screen
  }
  // Windows appearing or going synthesize moves where the pointer stands still.
  if (hint_timed_out_ && screen_pos.x == hint_timed_out_at_.x && screen_pos.y == hint_timed_out_at_.y) return;
  hint_timed_out_ = false;
  TControl* next = GetHintControl(FindDragTarget(screen_pos, true));
  if (!next || !next->ShowHint()) {
    CancelHint();
    return;
  }
  POINT client{};
  try {
    client = hint_control_ ? hint_control_->ScreenToClient(screen_pos) : POINT{};
  } catch (EInvalidOperation&) {
  }
  if (next != hint_control_ || !PtInRect(&hint_cursor_rect_, client)) {
    const bool was_active = hint_active_;
    int pause = was_active ? hint_short_pause_ : hint_pause_;
    next->Perform(CM_HINTSHOWPAUSE, was_active ? 1 : 0, reinterpret_cast<LPARAM>(&pause));
    CancelHint();
    hint_active_ = was_active;
    hint_control_ = next;
    StartHintTimer(static_cast<UINT>(std::max(pause, 0)), kHintShow);
  }
}

void TApplication::ActivateHint(const TPoint& CursorPos) {
  hint_active_ = false;
  THintInfo info;
  if (show_hint_ && hint_control_ && hint_control_ == GetHintControl(FindDragTarget(CursorPos, false))) {
    info.HintControl = hint_control_;
    info.HintPos = CursorPos;
    info.HintPos.y += 20;  // below the pointer
    info.HintMaxWidth = Screen->Width();
    info.HintColor = hint_color_;
    info.CursorRect = hint_control_->ClientRect();
    info.CursorPos = hint_control_->ScreenToClient(CursorPos);
    info.HintStr = GetShortHint(GetHintOf(hint_control_));
    info.ReshowTimeout = 0;
    info.HideTimeout = hint_hide_pause_;
    info.HintWindowClass = HintWindowClass;
    info.HintData = nullptr;
    bool can_show = hint_control_->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)) == 0;
    if (can_show && OnShowHint) OnShowHint(info.HintStr, can_show, info);
    hint_active_ = can_show && hint_control_;
    if (hint_active_ && !info.HintStr.empty()) {
      if (!info.HintWindowClass) info.HintWindowClass = HintWindowClass;
      // The class asked for may differ from the window we have.
      std::unique_ptr<THintWindow> probe(info.HintWindowClass(nullptr));
      if (!hint_window_ || typeid(*hint_window_) != typeid(*probe)) {
        delete hint_window_;
        hint_window_ = probe.release();
      }
      hint_window_->SetColor(info.HintColor);
      TRect r = hint_window_->CalcHintRect(info.HintMaxWidth, info.HintStr, info.HintData);
      OffsetRect(&r, info.HintPos.x, info.HintPos.y);
      hint_window_->ActivateHintData(r, info.HintStr, info.HintData);
      hint_cursor_rect_ = info.CursorRect;
      if (info.ReshowTimeout > 0) StartHintTimer(static_cast<UINT>(info.ReshowTimeout), kHintShow);
      else StartHintTimer(static_cast<UINT>(std::max(info.HideTimeout, 1)), kHintHide);
      return;
    }
  }
  if (info.ReshowTimeout > 0) StartHintTimer(static_cast<UINT>(info.ReshowTimeout), kHintShow);
  else CancelHint();
}

void TApplication::CancelHint() {
  if (!hint_control_) return;
  if (hint_window_ && hint_window_->HandleAllocated() && IsWindowVisible(hint_window_->Handle()))
    ShowWindow(hint_window_->Handle(), SW_HIDE);
  hint_control_ = nullptr;
  hint_active_ = false;
  StopHintTimer();
}

void TApplication::ControlDestroyed(TControl* Control) {
  if (Control == main_form_) main_form_ = nullptr;
  if (Control == mouse_control_) mouse_control_ = nullptr;
  if (Control == hint_control_) CancelHint();
  if (Control == hint_window_) hint_window_ = nullptr;
}

// ---------------------------------------------------------------------------------------------

namespace {
// The application and the screen live for the whole process; they are never freed, so nothing
// of theirs runs while the platform shuts down.
TScreen* MakeScreen() { return new TScreen(nullptr); }
TApplication* MakeApplication() { return new TApplication(nullptr); }
}  // namespace

TScreen* Screen = MakeScreen();
TApplication* Application = MakeApplication();
