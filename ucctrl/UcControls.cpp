#include "UcControls.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <typeinfo>

#include "ActnList.h"
#include "Forms.h"
#include "Menus.h"
#include "StdCtrls.h"
#include "TypInfo.h"
#include "UcGraphics.h"
#include "UcMenus.h"
#include "UcSysUtils.h"
#include "UcWindows.h"
#include "winplat_user.h"

namespace {

// The framework's protected members a trap works on, reached from outside.
struct WinControlAccess : TWinControl {
  static void SetHandle(TWinControl* c, HWND h) { (c->*(&WinControlAccess::SetWindowHandle))(h); }
  static void SetAnsiText(TControl* c, const AnsiString& t) { c->*(&WinControlAccess::text_) = t; }
};

// The unit's process-wide state: made on first use, gone at the end of the run.
struct UnitState {
  TWideComponentHelperList helpers;
  std::vector<TWinControlTrap*> pending;
  TWinControl* being_created = nullptr;
  ATOM window_atom = 0;
  ATOM control_atom = 0;

  UnitState() {
    // The names the framework gives its own window properties, so it finds its controls here.
    char name[64];
    std::snprintf(name, sizeof name, "Tarnix%.8X", static_cast<unsigned>(GetCurrentProcessId()));
    window_atom = GlobalAddAtomA(name);
    if (!window_atom) RaiseLastOSError();
    std::snprintf(name, sizeof name, "ControlOfs%.8X%.8X",
                  static_cast<unsigned>(reinterpret_cast<uintptr_t>(GetModuleHandleA(nullptr))),
                  static_cast<unsigned>(GetCurrentThreadId()));
    control_atom = GlobalAddAtomA(name);
    if (!control_atom) RaiseLastOSError();
  }
  ~UnitState();
};

bool g_shut_down = false;

UnitState& State() {
  static UnitState state;
  return state;
}

UnitState::~UnitState() {
  GlobalDeleteAtom(window_atom);
  GlobalDeleteAtom(control_atom);
  g_shut_down = true;
}

TWinControlTrap* TakePendingTrap(TWinControl* c, bool remove) {
  auto& p = State().pending;
  for (auto it = p.rbegin(); it != p.rend(); ++it) {
    if ((*it)->Control != c) continue;
    TWinControlTrap* t = *it;
    if (remove) p.erase(std::next(it).base());
    return t;
  }
  return nullptr;
}

// The first procedure of every new wide window: binds it to the control being created.
LRESULT CALLBACK WideCreationWindowProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  TWinControl* c = CreationControl;
  if (!c) return DefWindowProcW(h, msg, wp, lp);
  WinControlAccess::SetHandle(c, h);
  TWinControlTrap* trap = TakePendingTrap(c, true);
  if (!trap) trap = new TWinControlTrap(c);
  State().pending.push_back(trap);
  SetWindowLongPtrW(h, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(trap->ControlWndProcInstance));
  if ((GetWindowLongW(h, GWL_STYLE) & WS_CHILD) && GetWindowLongPtrW(h, GWL_ID) == 0)
    SetWindowLongPtrW(h, GWL_ID, reinterpret_cast<LONG_PTR>(h));
  SetPropA(h, MAKEINTATOM(State().window_atom), c);
  SetPropA(h, MAKEINTATOM(State().control_atom), c);
  CreationControl = nullptr;
  return CallWindowProcW(trap->ControlWndProcInstance, h, msg, wp, lp);
}

// The hint record the layer prepared last, remembered by identity with what its text needs.
class PreparedHint : public TComponent {
 public:
  PreparedHint() : TComponent(nullptr) {}
  void Remember(const void* Record, TControl* Control) {
    if (control_ && control_ != Control) RemoveFreeNotification(control_);
    record_ = Record;
    control_ = Control;
    if (control_) control_->FreeNotification(this);
  }
  const void* Record() const { return record_; }
  TControl* Control() const { return control_; }

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == control_) {
      control_ = nullptr;
      record_ = nullptr;
    }
  }

 private:
  const void* record_ = nullptr;
  TControl* control_ = nullptr;
};

PreparedHint& LastPreparedHint() {
  static auto* p = new PreparedHint;  // lives as long as the controls it watches
  return *p;
}

}  // namespace

// ---------------------------------------------------------------------------------------------

TWideComponentHelperList& ControlHelpers() { return State().helpers; }

TWideControlHelper* FindControlHelper(const TControl* Control) {
  return static_cast<TWideControlHelper*>(FindHelper(ControlHelpers(), Control));
}

TWideControlHelper* ControlHelperOf(TControl* Control) {
  if (TWideControlHelper* h = FindControlHelper(Control)) return h;
  return CreateHelper<TWideControlHelper>(Control, ControlHelpers());
}

const std::vector<TWinControlTrap*>& PendingTraps() { return State().pending; }
TWinControl* WindowBeingCreated() { return State().being_created; }
bool TrapsShutDown() { return g_shut_down; }

// ---- text and hints ----

WideString GetControlWideText(TControl* Control) {
  auto* w = dynamic_cast<TWinControl*>(Control);
  if (!PlatformIsUnicode || (w && w->HandleAllocated() && !IsWindowUnicode(w->Handle())))
    return AnsiToWide(Control->Text());
  if (!w) {
    if (TWideControlHelper* h = FindControlHelper(Control)) return SyncWideFromAnsi(h->WideCaption, Control->Text());
    return AnsiToWide(Control->Text());
  }
  if (w->HandleAllocated()) {
    HWND h = w->Handle();
    const int len = GetWindowTextLengthW(h);
    if (len <= 0) return WideString();
    WideString buf(static_cast<size_t>(len) + 1, u'\0');
    const int got = GetWindowTextW(h, buf.data(), len + 1);
    // The length may over-report: the count copied is what the window holds.
    buf.resize(static_cast<size_t>(std::clamp(got, 0, len)));
    return buf;
  }
  if (TWideControlHelper* h = FindControlHelper(Control)) return h->WideCaption;
  return AnsiToWide(Control->Text());
}

void SetControlWideText(TControl* Control, const WideString& Text) {
  auto* w = dynamic_cast<TWinControl*>(Control);
  if (!PlatformIsUnicode || (w && w->HandleAllocated() && !IsWindowUnicode(w->Handle()))) {
    Control->SetText(WideToAnsi(Text));
    return;
  }
  if (!w) {
    TWideControlHelper* h = ControlHelperOf(Control);
    SetWideWithAnsiTwin(Text, h->WideCaption, Control->Text(),
                        [Control](const AnsiString& a) { Control->SetText(a); }, Control);
    return;
  }
  if (w->HandleAllocated()) {
    if (GetControlWideText(Control) != Text) {
      WideSetWindowText(w->Handle(), Text.c_str());
      Control->Perform(CM_TEXTCHANGED, 0, 0);
    }
    return;
  }
  ControlHelperOf(Control)->WideCaption = Text;
  Control->SetText(WideToAnsi(Text));
}

WideString GetControlWideHint(TControl* Control) {
  if (PlatformIsUnicode)
    if (TWideControlHelper* h = FindControlHelper(Control)) return SyncWideFromAnsi(h->WideHint, Control->Hint());
  return AnsiToWide(Control->Hint());
}

void SetControlWideHint(TControl* Control, const WideString& Text) {
  if (!PlatformIsUnicode) {
    Control->SetHint(WideToAnsi(Text));
    return;
  }
  TWideControlHelper* h = ControlHelperOf(Control);
  SetWideWithAnsiTwin(Text, h->WideHint, Control->Hint(), [Control](const AnsiString& a) { Control->SetHint(a); },
                      Control);
}

WideString EffectiveWideHint(TControl* Control) {
  for (TControl* c = Control; c; c = c->Parent()) {
    WideString h = GetControlWideHint(c);
    if (!h.empty()) return h;
  }
  return WideString();
}

WideString ShortHintOf(const WideString& Hint) {
  const size_t bar = Hint.find(u'|');
  return bar == WideString::npos ? Hint : Hint.substr(0, bar);
}

WideString LongHintOf(const WideString& Hint) {
  const size_t bar = Hint.find(u'|');
  return bar == WideString::npos ? Hint : Hint.substr(bar + 1);
}

bool CaptionNotLinked(TControl* Control) {
  TControlActionLink* l = Control->ActionLink();
  return !(l && l->IsCaptionLinked());
}

bool HintNotLinked(TControl* Control) {
  TControlActionLink* l = Control->ActionLink();
  return !(l && l->IsHintLinked());
}

void AddWideListItem(TControl* ListControl, const WideString& Text, TObject* AObject) {
  if (auto* w = dynamic_cast<IWideListControl*>(ListControl)) {
    w->AddWideItem(Text, AObject);
    return;
  }
  if (auto* lb = dynamic_cast<TCustomListBox*>(ListControl)) lb->AddItem(WideToAnsi(Text), AObject);
}

// ---- WM_CHAR through the framework's byte characters ----

void MakeWMCharMsgSafeForAnsi(TMessage& Message) {
  Assert(Message.Msg == WM_CHAR, "Assertion failure");
  Assert(HIWORD(Message.WParam) == 0, "Assertion failure");
  const WORD code = LOWORD(Message.WParam);
  if (code >= 256) Message.WParam = (static_cast<WPARAM>(code) << 16) | 255;
}

void RestoreWMCharMsg(TMessage& Message) {
  Assert(Message.Msg == WM_CHAR, "Assertion failure");
  WORD low = LOWORD(Message.WParam);
  const WORD high = HIWORD(Message.WParam);
  if (high != 0 && low == 255) low = high;
  Message.WParam = low;
}

// ---- window creation ----

WideString RegisterWideWindowClass(const TCreateParams& Params, bool IdeWindow) {
  const AnsiString framework(Params.WinClassName, strnlen(Params.WinClassName, sizeof Params.WinClassName));
  const WideString name = AnsiToWide(framework) + u".UnicodeClass";
  const WNDPROC wanted = IdeWindow ? &InitWndProc : &WideCreationWindowProc;
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSW existing{};
  if (GetClassInfoW(instance, name.c_str(), &existing)) {
    if (existing.lpfnWndProc == wanted) return name;
    if (!UnregisterClassW(name.c_str(), instance)) RaiseLastOSError();
  }
  const WNDCLASSA& fc = Params.WindowClass;
  WNDCLASSW wc{};
  wc.style = fc.style;
  wc.lpfnWndProc = wanted;
  wc.cbClsExtra = fc.cbClsExtra;
  wc.cbWndExtra = fc.cbWndExtra;
  wc.hInstance = instance;
  wc.hIcon = fc.hIcon;
  wc.hCursor = fc.hCursor;
  wc.hbrBackground = fc.hbrBackground;
  WideString menu;
  if (IS_INTRESOURCE(fc.lpszMenuName)) {
    wc.lpszMenuName = reinterpret_cast<LPCWSTR>(fc.lpszMenuName);
  } else {
    menu = AnsiToWide(fc.lpszMenuName);
    wc.lpszMenuName = menu.c_str();
  }
  wc.lpszClassName = name.c_str();
  if (!RegisterClassW(&wc)) RaiseLastOSError();
  return name;
}

void CreateWideWindowHandle(TWinControl* Control, const TCreateParams& Params, const WideString& SubClassName,
                            bool IdeWindow) {
  if (!PlatformIsUnicode) {
    HWND h = CreateWindowExA(Params.ExStyle, Params.WinClassName, Params.Caption, Params.Style, Params.X, Params.Y,
                             Params.Width, Params.Height, Params.WndParent, nullptr, Params.WindowClass.hInstance,
                             Params.Param);
    if (h) WinControlAccess::SetHandle(Control, h);
    return;
  }
  WNDCLASSW sub{};
  if (!SubClassName.empty() && GetClassInfoW(Params.WindowClass.hInstance, SubClassName.c_str(), &sub))
    Control->SetDefWndProc(sub.lpfnWndProc);
  else
    Control->SetDefWndProc(&DefWindowProcW);
  const WideString cls = RegisterWideWindowClass(Params, IdeWindow);
  UnitState& s = State();
  s.being_created = Control;
  HWND h = nullptr;
  try {
    h = CreateWindowExW(Params.ExStyle, cls.c_str(), nullptr, Params.Style, Params.X, Params.Y, Params.Width,
                        Params.Height, Params.WndParent, nullptr, GetModuleHandleA(nullptr), Params.Param);
  } catch (...) {
    s.being_created = nullptr;
    throw;
  }
  s.being_created = nullptr;
  if (!h) RaiseLastOSError();
  WinControlAccess::SetHandle(Control, h);
  if (IdeWindow) SetWindowLongPtrW(h, GWL_WNDPROC, GetWindowLongPtrA(h, GWL_WNDPROC));
  SubClassUnicodeControl(Control, Params.Caption ? Params.Caption : "", IdeWindow);
}

void SubClassUnicodeControl(TWinControl* Control, const AnsiString& Caption, bool IdeWindow) {
  if (!IsWindowUnicode(Control->Handle()))
    throw EUcInternalError("Internal Error: SubClassUnicodeControl.Control is not Unicode.");
  TWinControlTrap* trap = TakePendingTrap(Control, true);
  if (!trap) trap = new TWinControlTrap(Control);
  trap->HookWindow(AnsiToWide(Caption));
  trap->IdeWindow = IdeWindow;
}

// ---- the trap ----

TWinControlTrap::TWinControlTrap(TWinControl* AControl) : TComponent(nullptr), Control(AControl) {
  ControlWndProcInstance = MakeObjectInstance(TWndMethod::Of<&TWinControl::MainWndProc>(AControl));
  WindowProcInstance = MakeObjectInstance(TWndMethod::Of<&TWinControlTrap::TrapWindowProc>(this));
  DefaultProcInstance = MakeObjectInstance(TWndMethod::Of<&TWinControlTrap::TrapDefaultProc>(this));
  Control->FreeNotification(this);
}

TWinControlTrap::~TWinControlTrap() {
  // Out of the pending list by identity: never searched again once freed.
  if (!g_shut_down) {
    auto& p = State().pending;
    p.erase(std::remove(p.begin(), p.end(), this), p.end());
  }
  if (Control) {
    if (Control->WindowProc() == FilterMethod()) Control->SetWindowProc(SavedWindowProc);
    Control->RemoveFreeNotification(this);
  }
  FreeObjectInstance(ControlWndProcInstance);
  FreeObjectInstance(WindowProcInstance);
  FreeObjectInstance(DefaultProcInstance);
}

void TWinControlTrap::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove || AComponent != Control) return;
  Control = nullptr;
  if (ProcLevel > 0) DestroyPending = true;
  else delete this;
}

void TWinControlTrap::FreeWhenIdle() {
  if (ProcLevel == 0 && DestroyPending) delete this;
}

void TWinControlTrap::HookWindow(const WideString& Caption) {
  Handle = Control->Handle();
  PrevWindowProcedure = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(Handle, GWL_WNDPROC));
  PrevDefaultProcedure = Control->DefWndProc();
  SetWindowLongPtrW(Handle, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(WindowProcInstance));
  Control->SetDefWndProc(DefaultProcInstance);
  HookWindowProcProperty();
  TWideControlHelper* h = FindControlHelper(Control);
  SetControlWideText(Control, h ? h->WideCaption : Caption);
}

void TWinControlTrap::HookWindowProcProperty() {
  const TWndMethod filter = FilterMethod();
  const TWndMethod current = Control->WindowProc();
  bool hooked = current == filter;
  if (!hooked && !(current == Control->OwnWindowProc()) && current) {
    // Someone chained in after us (a subclasser of WindowProc): does it still reach the trap?
    TestingForNull = true;
    NullSeen = false;
    TMessage probe{0, 0, 0, 0};
    try {
      current(probe);
    } catch (...) {
    }
    TestingForNull = false;
    hooked = NullSeen;
  }
  if (hooked) return;
  SavedWindowProc = current ? current : Control->OwnWindowProc();
  Control->SetWindowProc(filter);
}

void TWinControlTrap::UnhookWindow() {
  TWinControl* c = Control;
  if (!c) return;
  const bool destroying = c->ComponentState().Contains(csDestroying);
  if (!destroying) {
    const WideString text = GetControlWideText(c);
    ControlHelperOf(c)->WideCaption = text;
    WinControlAccess::SetAnsiText(c, WideToAnsi(text));
  }
  if (c->WindowProc() == FilterMethod()) c->SetWindowProc(SavedWindowProc);
  c->SetDefWndProc(PrevDefaultProcedure);
  SetWindowLongPtrW(Handle, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(PrevWindowProcedure));
  if (IdeWindow) DestroyPending = true;
  else if (!destroying) State().pending.push_back(this);
}

void TWinControlTrap::TrapWindowProc(TMessage& Message) {
  if (g_shut_down) {
    if (Message.Msg == WM_DESTROY && Control) WinControlAccess::SetHandle(Control, nullptr);
    return;
  }
  ++ProcLevel;
  LastWindowMessage = Message.Msg;
  struct Level {
    TWinControlTrap* t;
    ~Level() { --t->ProcLevel; }
  };
  {
    Level level{this};
    Message.Result = CallWindowProcW(PrevWindowProcedure, Handle, Message.Msg, Message.WParam, Message.LParam);
  }
  FreeWhenIdle();
}

void TWinControlTrap::FilterControlMessage(TMessage& Message) {
  if (Message.Msg == 0 && TestingForNull) {
    NullSeen = true;
    return;
  }
  if (!Control->HandleAllocated()) {
    Control->WndProc(Message);
    return;
  }
  const UINT recorded = LastWindowMessage;
  LastWindowMessage = 0;
  if (Message.Msg == CM_HINTSHOW && Message.LParam)
    PrepareWideHintInfo(Control, *reinterpret_cast<THintInfo*>(Message.LParam));
  if (Message.Msg >= WM_SETTEXT && Message.Msg <= WM_GETTEXTLENGTH && recorded == 0) {
    // The framework asks with its ANSI buffers: the platform converts for the Unicode window.
    Message.Result = SendMessageA(Handle, Message.Msg, Message.WParam, Message.LParam);
    return;
  }
  if (Message.Msg == WM_CHAR) MakeWMCharMsgSafeForAnsi(Message);
  SavedWindowProc(Message);
}

void TWinControlTrap::TrapDefaultProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_NOTIFYFORMAT: {
      HWND asking = reinterpret_cast<HWND>(Message.WParam);
      TWinControl* creating = WindowBeingCreated();
      const bool unicode = PlatformIsUnicode &&
                           (IsWindowUnicode(asking) ||
                            (creating && creating->HandleAllocated() && creating->Handle() == asking));
      Message.Result = unicode ? NFR_UNICODE : NFR_ANSI;
      return;
    }
    case WM_CHAR:
      RestoreWMCharMsg(Message);
      break;
    case WM_IME_CHAR:
      if (!PlatformIsXPOrLater) {
        Message.Result = SendMessageW(Handle, WM_CHAR, Message.WParam, Message.LParam);
        return;
      }
      break;
    case WM_DESTROY:
      UnhookWindow();
      break;
    default:
      break;
  }
  Message.Result = CallWindowProcW(PrevDefaultProcedure, Handle, Message.Msg, Message.WParam, Message.LParam);
}

// ---- wide hints ----

void PrepareWideHintInfo(TControl* Control, THintInfo& HintInfo) {
  if (!PlatformIsUnicode) return;
  if (!HintInfo.HintWindowClass) HintInfo.HintWindowClass = HintWindowClass;
  if (!HintInfo.HintWindowClass) return;
  std::unique_ptr<THintWindow> probe(HintInfo.HintWindowClass(nullptr));
  if (probe && typeid(*probe) == typeid(THintWindow)) {
    HintInfo.HintWindowClass = &NewUcCustomHintWindow;
    probe.reset(NewUcCustomHintWindow(nullptr));
  }
  if (!dynamic_cast<TUcCustomHintWindow*>(probe.get())) return;
  HintInfo.HintData = &HintInfo;
  LastPreparedHint().Remember(&HintInfo, Control);
  HintInfo.HintStr = WideToAnsi(ShortHintOf(EffectiveWideHint(Control)));
}

bool IsWideHintData(const void* Data) {
  return Data && Data == LastPreparedHint().Record() && LastPreparedHint().Control();
}

WideString WideHintOfHintInfo(const void* Data, const AnsiString& HintStr) {
  WideString result = AnsiToWide(HintStr);
  if (result.empty() || !IsWideHintData(Data)) return result;
  TControl* c = LastPreparedHint().Control();
  const WideString w = ShortHintOf(EffectiveWideHint(c));
  if (WideToAnsi(w) == HintStr) return w;
  if (Application && Application->HintShortCuts())
    if (auto* action = dynamic_cast<TCustomAction*>(c->Action()))
      if (action->ShortCut() != 0 &&
          HintStr == Format("%s (%s)", {WideToAnsi(w), ShortCutToText(action->ShortCut())}))
        return WideFormat(u"%s (%s)", {w, WideShortCutToText(action->ShortCut())});
  return result;
}

TUcCustomHintWindow::TUcCustomHintWindow(TComponent* AOwner) : THintWindow(AOwner) {}

THintWindow* NewUcCustomHintWindow(TComponent* AOwner) { return new TUcCustomHintWindow(AOwner); }

void TUcCustomHintWindow::CreateParams(TCreateParams& Params) {
  THintWindow::CreateParams(Params);
  if (PlatformIsXPOrLater) Params.WindowClass.style |= CS_DROPSHADOW;
}

void TUcCustomHintWindow::CreateWindowHandle(const TCreateParams& Params) {
  CreateWideWindowHandle(this, Params, WideString(), false);
}

WideString TUcCustomHintWindow::Caption() { return GetControlWideText(this); }
void TUcCustomHintWindow::SetCaption(const WideString& Value) { SetControlWideText(this, Value); }

void TUcCustomHintWindow::Paint() {
  if (BlockPaint) return;
  if (!PlatformIsUnicode) {
    THintWindow::Paint();
    return;
  }
  RECT r = ClientRect();
  r.left += 2;
  r.top += 2;
  Canvas()->Font()->SetColor(Screen->HintFont()->Color());
  WideCanvasPrepare(Canvas());
  const WideString text = Caption();
  DrawTextW(Canvas()->Handle(), text.c_str(), static_cast<int>(text.size()), &r, DT_NOPREFIX | DT_WORDBREAK);
}

void TUcCustomHintWindow::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_TEXTCHANGED && PlatformIsUnicode) {
    if (!Activating) {
      const WideString text = Caption();
      SetWidth(WideCanvasTextWidth(Canvas(), text) + 6);
      SetHeight(WideCanvasTextHeight(Canvas(), text) + 6);
    }
    return;
  }
  THintWindow::Dispatch(Message);
}

void TUcCustomHintWindow::ActivateHint(const TRect& Rect, const AnsiString& AHint) {
  Activating = true;
  THintWindow::ActivateHint(Rect, AHint);
  Activating = false;
}

void TUcCustomHintWindow::ActivateHintData(const TRect& Rect, const AnsiString& AHint, void* AData) {
  if (!PlatformIsUnicode || !IsWideHintData(AData)) {
    THintWindow::ActivateHintData(Rect, AHint, AData);
    return;
  }
  BlockPaint = true;
  Activating = true;
  struct Reset {
    TUcCustomHintWindow* w;
    ~Reset() {
      w->BlockPaint = false;
      w->Activating = false;
    }
  };
  {
    Reset reset{this};
    SetCaption(WideHintOfHintInfo(AData, AHint));
    THintWindow::ActivateHintData(Rect, AHint, AData);
  }
  Invalidate();
}

TRect TUcCustomHintWindow::CalcHintRect(int MaxWidth, const AnsiString& AHint, void* AData) {
  if (!PlatformIsUnicode || !IsWideHintData(AData)) return THintWindow::CalcHintRect(MaxWidth, AHint, AData);
  RECT r{0, 0, MaxWidth, 0};
  WideCanvasPrepare(Canvas());
  const WideString text = WideHintOfHintInfo(AData, AHint);
  DrawTextW(Canvas()->Handle(), text.c_str(), static_cast<int>(text.size()), &r,
            DT_CALCRECT | DT_NOPREFIX | DT_WORDBREAK);
  r.right += 6;
  r.bottom += 2;
  return r;
}

static const bool registered = DeclareClass<TUcCustomHintWindow, THintWindow>("TUcCustomHintWindow").Done();
