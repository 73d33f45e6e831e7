#include "UcForms.h"

#include <cstdio>
#include <memory>
#include <typeinfo>

#include "Classes_Streaming.h"
#include "Menus.h"
#include "TypInfo.h"
#include "UcMenus.h"
#include "UcSysUtils.h"
#include "commctrl.h"
#include "windows.h"

DWORD LastSettingChangeTime = 0;

namespace {
TUcApplication* g_app = nullptr;
bool g_app_done = false;

// A run that ends without DoneUcApplication: nothing can raise from here, so a failure is told
// on the standard error.
struct AppCleanup {
  ~AppCleanup() {
    try {
      DoneUcApplication();
    } catch (const std::exception& e) {
      std::fprintf(stderr, "%s\n", e.what());
    }
  }
} g_cleanup;
}  // namespace

TUcApplication* UcApplication() {
  if (!g_app) {
    g_app_done = false;
    g_app = new TUcApplication(nullptr);
    InstallUcPopupList();
  }
  g_app->Attach();
  return g_app;
}

void DoneUcApplication() {
  UninstallUcPopupList();
  std::unique_ptr<TUcApplication> app(g_app);
  g_app = nullptr;
  g_app_done = true;
  if (app) app->Shutdown();
}

bool UnhookFailureReported(const WideString& ProgramFile, bool InLibrary) {
  if (InLibrary) return false;
  const size_t slash = ProgramFile.find_last_of(u"\\/");
  const WideString name = WideUpperCase(ProgramFile.substr(slash == WideString::npos ? 0 : slash + 1));
  return name.rfind(u"W3WP.", 0) != 0 && name.rfind(u"DLLHOST.", 0) != 0;
}

// ---------------------------------------------------------------------------------------------
// Forms.

TUcForm::TUcForm(TComponent* AOwner) : TUcWideWinControl(AOwner) { UcApplication(); }

TUcForm::~TUcForm() = default;

void TUcForm::AfterConstruction(bool FromResource) {
  const AnsiString name = ClassName();
  const bool derived = !SameText(name, "TUcForm");
  if (FromResource && derived && !ComponentState().Contains(csDesigning)) {
    bool found = false;
    for (const TClassInfo* c = ClassInfoOf(this); c && !SameText(c->Name, "TUcForm") && !found; c = c->Parent())
      found = !FindFormResource(c->Name).empty();
    if (!found) throw EResNotFound(Format(SUcResNotFound, {name}));
  }
  TForm::AfterConstruction(FromResource && derived);
}

void TUcForm::CreateWindowHandle(const TCreateParams& Params) {
  if (!PlatformIsUnicode) {
    TForm::CreateWindowHandle(Params);
    return;
  }
  if (FormStyle() != fsMDIChild || ComponentState().Contains(csDesigning)) {
    // The layered style is given to the made window (below), not to its creation.
    TCreateParams p = Params;
    p.ExStyle &= ~static_cast<DWORD>(WS_EX_LAYERED);
    CreateWideWindowHandle(this, p, WideString(), false);
  } else {
    CreateMDIChildHandle(Params);
  }
  if (HandleAllocated() && (AlphaBlend() || TransparentColor()))
    SetWindowLongW(Handle(), GWL_EXSTYLE, GetWindowLongW(Handle(), GWL_EXSTYLE) | WS_EX_LAYERED);
}

void TUcForm::CreateMDIChildHandle(const TCreateParams& Params) {
  auto* main = Application ? dynamic_cast<TUcForm*>(Application->MainForm()) : nullptr;
  if (!main || !main->ClientHandle()) throw EInvalidOperation(SNoMDIForm);
  const WideString cls = RegisterWideWindowClass(Params, false);
  SetDefWndProc(&DefMDIChildProcW);
  HWND h = CreateMDIWindowW(cls.c_str(), nullptr, Params.Style, Params.X, Params.Y, Params.Width, Params.Height,
                            main->ClientHandle(), GetModuleHandleA(nullptr), reinterpret_cast<LPARAM>(Params.Param));
  if (!h) RaiseLastOSError();
  SetWindowHandle(h);
  SubClassUnicodeControl(this, Params.Caption ? Params.Caption : "", false);
}

void TUcForm::CreateWnd() {
  TForm::CreateWnd();
  if (FormStyle() != fsMDIForm || !HandleAllocated()) return;
  // The frame's client window, which holds the documents.
  CLIENTCREATESTRUCT ccs{nullptr, 0xFF00};
  const TRect r = ClientRect();
  const DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  client_handle_ = PlatformIsUnicode
                       ? CreateWindowExW(WS_EX_CLIENTEDGE, u"MDICLIENT", nullptr, style, 0, 0, r.right, r.bottom,
                                         Handle(), nullptr, GetModuleHandleA(nullptr), &ccs)
                       : CreateWindowExA(WS_EX_CLIENTEDGE, "MDICLIENT", nullptr, style, 0, 0, r.right, r.bottom,
                                         Handle(), nullptr, GetModuleHandleA(nullptr), &ccs);
  if (!client_handle_) RaiseLastOSError();
}

void TUcForm::DestroyWindowHandle() {
  if (PlatformIsUnicode && HandleAllocated()) UninitializeFlatSB(Handle());
  client_handle_ = nullptr;  // destroyed with the frame
  TForm::DestroyWindowHandle();
}

void TUcForm::DefaultHandler(TMessage& Message) {
  if (FormStyle() == fsMDIForm && PlatformIsUnicode && HandleAllocated()) {
    HWND h = Handle();
    if (Message.Msg == WM_SIZE) {
      Message.Result = DefWindowProcW(h, Message.Msg, Message.WParam, Message.LParam);
      if (client_handle_) MoveWindow(client_handle_, 0, 0, LOWORD(Message.LParam), HIWORD(Message.LParam), TRUE);
    } else {
      Message.Result = DefFrameProcW(h, client_handle_, Message.Msg, Message.WParam, Message.LParam);
    }
    return;
  }
  TForm::DefaultHandler(Message);
}

void TUcForm::Dispatch(TMessage& Message) {
  TForm::Dispatch(Message);
  if (Message.Msg == WM_WINDOWPOSCHANGING) {
    RefreshWideMenuTexts(Menu());
    return;
  }
  if (Message.Msg == CM_BIDIMODECHANGED) {
    for (int i = 0; i < ComponentCount(); ++i)
      if (auto* m = dynamic_cast<TMenu*>(Components(i))) RefreshWideMenuTexts(m);
    return;
  }
  if (Message.Msg != WM_MENUSELECT || !Menu()) return;
  // The selected item's wide hint (a pop-up is found by its sub-menu) becomes the application's.
  const UINT flags = HIWORD(Message.WParam);
  const UINT item = LOWORD(Message.WParam);
  TMenuItem* found = nullptr;
  if (!(flags == 0xFFFF && Message.LParam == 0)) {
    if (flags & MF_POPUP) {
      HMENU sub = GetSubMenu(reinterpret_cast<HMENU>(Message.LParam), static_cast<int>(item));
      found = Menu()->FindItem(reinterpret_cast<UINT_PTR>(sub), fkHandle);
    } else {
      found = Menu()->FindItem(item, fkCommand);
    }
  }
  WideString hint;
  if (auto* w = dynamic_cast<TUcMenuItem*>(found)) hint = w->Hint();
  else if (found) hint = AnsiToWide(found->Hint());
  UcApplication()->SetHint(found ? LongHintOf(hint) : WideString());
}

void TUcForm::UpdateActions() {
  TForm::UpdateActions();
  UcApplication()->UpdateHint();
}

// ---------------------------------------------------------------------------------------------
// The idle control.

TUcAppIdleEventControl::TUcAppIdleEventControl(TComponent* AOwner)
    : TControl(AOwner), action_(new TUcAction(this)) {
  SetParentFont(false);
  SetVisible(true);
  action_->OnExecute = [this](TObject* s) { OnIdle(s); };
  action_->OnUpdate = [this](TObject* s) { OnIdle(s); };
  SetAction(action_);
}

TUcAppIdleEventControl::~TUcAppIdleEventControl() {
  if (g_app && g_app->idle_event_control_ == this) g_app->idle_event_control_ = nullptr;
}

void TUcAppIdleEventControl::OnIdle(TObject*) {
  if (g_app) g_app->UpdateHint();
}

// ---------------------------------------------------------------------------------------------
// The application.

LRESULT CALLBACK UcGetMessageHook(int Code, WPARAM WParam, LPARAM LParam) {
  TUcApplication* app = g_app;
  if (Code == HC_ACTION && WParam == PM_REMOVE && app && Application) {
    MSG* m = reinterpret_cast<MSG*>(LParam);
    app->CheckMainForm();
    if (m->message == WM_CHAR && m->wParam > 255 && IsWindowUnicode(m->hwnd)) {
      HWND dialog = Application->DialogHandle();
      if (!dialog || IsWindowUnicode(dialog)) {
        // The framework's ANSI loop would narrow it: it goes to the window here, once.
        bool handled = false;
        if (Application->OnMessage) Application->OnMessage(*m, handled);
        Application->CancelHint();
        if (!handled) {
          const bool taken = dialog && (IsWindowUnicode(dialog) ? IsDialogMessageW(dialog, m) : IsDialogMessageA(dialog, m));
          if (!taken) DispatchMessageW(m);
        }
        m->message = WM_NULL;
      }
    }
  }
  return CallNextHookEx(app ? app->hook_ : nullptr, Code, WParam, LParam);
}

TUcApplication::TUcApplication(TComponent* AOwner) : TComponent(AOwner) {
  setting_change_time_ = LastSettingChangeTime = GetTickCount();
  if (PlatformIsUnicode) {
    hook_ = SetWindowsHookExW(WH_GETMESSAGE, &UcGetMessageHook, nullptr, GetCurrentThreadId());
    if (!hook_) RaiseLastOSError();
  }
}

TUcApplication::~TUcApplication() {
  if (hook_) UnhookWindowsHookEx(hook_);
  hook_ = nullptr;
  if (Application && attached_ == Application)
    Application->UnhookMainWindow(TWindowHook::Of<&TUcApplication::MainWindowHook>(this));
  attached_ = nullptr;
}

void TUcApplication::Shutdown() {
  if (Application && attached_ == Application)
    Application->UnhookMainWindow(TWindowHook::Of<&TUcApplication::MainWindowHook>(this));
  attached_ = nullptr;
  const HHOOK hook = hook_;
  hook_ = nullptr;
  if (!hook || UnhookWindowsHookEx(hook)) return;
  const DWORD error = GetLastError();
  char16_t file[MAX_PATH + 1] = {};
  GetModuleFileNameW(nullptr, file, MAX_PATH);  // the last unit stays NUL
  if (UnhookFailureReported(WideString(file), IsLibrary())) RaiseLastOSError(error);
}

void TUcApplication::Attach() {
  if (!Application) return;
  const TWindowHook hook = TWindowHook::Of<&TUcApplication::MainWindowHook>(this);
  if (attached_ != Application) {
    main_form_checked_ = false;
    idle_event_control_ = nullptr;
  }
  // Hooked once: a new application object (each test has its own) is hooked afresh.
  Application->UnhookMainWindow(hook);
  Application->HookMainWindow(hook);
  attached_ = Application;
}

void TUcApplication::CheckMainForm() {
  if (main_form_checked_ || !Application || !Application->MainForm()) return;
  main_form_checked_ = true;
  TForm* main = Application->MainForm();
  if (dynamic_cast<TUcForm*>(main)) return;
  idle_event_control_ = new TUcAppIdleEventControl(main);
  idle_event_control_->SetParent(main);
}

bool TUcApplication::MainWindowHook(TMessage& Message) {
  switch (Message.Msg) {
    case WM_SETTINGCHANGE:
      setting_change_time_ = LastSettingChangeTime = GetTickCount();
      return false;
    case WM_CREATE:
      if (!pending_title_.empty()) SetTitle(pending_title_);
      return false;
    case CM_ACTIONEXECUTE: {
      auto* action = reinterpret_cast<TBasicAction*>(Message.LParam);
      // The framework's hint action carries the ANSI hint: a wide one carries the wide text.
      if (action && typeid(*action) == typeid(THintAction) &&
          static_cast<THintAction*>(action)->Hint() == WideToAnsi(Hint())) {
        std::unique_ptr<TUcHintAction> wide(new TUcHintAction(nullptr));
        wide->SetWideHint(Hint());
        wide->Execute();
        Message.Result = 1;
        return true;
      }
      return false;
    }
    default:
      return false;
  }
}

WideString TUcApplication::Hint() { return SyncWideFromAnsi(wide_hint_, Application ? Application->Hint() : AnsiString()); }

void TUcApplication::SetHint(const WideString& Value) {
  if (!Application) return;
  SetWideWithAnsiTwin(Value, wide_hint_, Application->Hint(), [](const AnsiString& a) { Application->SetHint(a); },
                      this);
}

void TUcApplication::UpdateHint() {
  POINT p{};
  GetCursorPos(&p);
  TControl* control = nullptr;
  if (TWinControl* w = FindControl(WindowFromPoint(p))) {
    control = w->ControlAtPos(w->ScreenToClient(TPoint{p.x, p.y}), true);
    if (!control) control = w;
  }
  SetHint(control ? LongHintOf(EffectiveWideHint(control)) : WideString());
}

WideString TUcApplication::Title() {
  if (Application && Application->HandleAllocated() && PlatformIsUnicode) {
    HWND h = Application->Handle();
    const LRESULT len = DefWindowProcW(h, WM_GETTEXTLENGTH, 0, 0);
    if (len <= 0) return WideString();
    WideString buf(static_cast<size_t>(len) + 1, u'\0');
    const LRESULT got = DefWindowProcW(h, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()));
    buf.resize(static_cast<size_t>(std::clamp<LRESULT>(got, 0, len)));
    return buf;
  }
  return SyncWideFromAnsi(pending_title_, Application ? Application->Title() : AnsiString());
}

void TUcApplication::SetTitle(const WideString& Value) {
  if (!Application) return;
  if (Application->HandleAllocated() && PlatformIsUnicode) {
    if (Title() != Value || !pending_title_.empty()) {
      DefWindowProcW(Application->Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Value.c_str()));
      pending_title_.clear();
    }
    return;
  }
  SetWideWithAnsiTwin(Value, pending_title_, Application->Title(),
                      [](const AnsiString& a) { Application->SetTitle(a); }, this);
}

// ---------------------------------------------------------------------------------------------

static const bool registered = PublishWideTexts(DeclareClass<TUcForm, TForm>("TUcForm")).Done();
