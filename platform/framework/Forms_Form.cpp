// TCustomForm and TForm: creation from form resources, showing and hiding, activation and the
// focus bookkeeping, closing, the modal loop.
#include <algorithm>

#include "ActnList.h"
#include "Forms.h"
#include "Menus.h"
#include "TypInfo.h"

TCustomForm::TCustomForm(TComponent* AOwner)
    : TWinControl(AOwner), canvas_(std::make_unique<TControlCanvas>()) {
  canvas_->SetControl(this);
  control_style_ = {csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  left_ = 0;
  top_ = 0;
  width_ = 320;
  height_ = 240;
  visible_ = false;
  SetParentColor(false);
  SetParentFont(false);
  SetColor(clBtnFace);
  Screen->AddForm(this);
}

void TCustomForm::AfterConstruction(bool FromResource) {
  const AnsiString name = ClassName();
  if (FromResource && name != "TForm" && name != "TCustomForm") {
    form_state_.Include(fsCreating);
    try {
      if (!InitInheritedComponent(this, "TForm")) throw EResNotFound(Format(SResNotFound, {name}));
    } catch (...) {
      form_state_.Exclude(fsCreating);
      throw;
    }
    form_state_.Exclude(fsCreating);
  }
  DoCreate();
  if (form_state_.Contains(fsActivated)) {
    form_state_.Exclude(fsActivated);
    Activate();
  }
  if (form_state_.Contains(fsVisible)) {
    form_state_.Exclude(fsVisible);
    SetVisible(true);
  }
}

void TCustomForm::BeforeDestruction() {
  if (before_destruction_done_) return;
  before_destruction_done_ = true;
  Destroying();
  if (visible_ && handle_ && form_style_ != fsMDIChild) Hide();
  DoDestroy();
}

TCustomForm::~TCustomForm() {
  Destroying();
  if (Application) Application->ControlDestroyed(this);
  if (handle_) DestroyWindowHandle();
  canvas_->FreeHandle();
  Screen->RemoveForm(this);
  if (Application && Application->main_form_ == this) Application->main_form_ = nullptr;
}

// ---- events ----

void TCustomForm::DoCreate() {
  if (OnCreate) {
    try {
      OnCreate(this);
    } catch (...) {
      Application->HandleException(this);
    }
  }
}

void TCustomForm::DoDestroy() {
  if (OnDestroy) {
    try {
      OnDestroy(this);
    } catch (...) {
      Application->HandleException(this);
    }
  }
}

void TCustomForm::DoShow() {
  if (OnShow) OnShow(this);
}

void TCustomForm::DoHide() {
  if (OnHide) OnHide(this);
}

void TCustomForm::DoClose(TCloseAction& Action) {
  if (OnClose) OnClose(this, Action);
}

void TCustomForm::Activate() {
  if (OnActivate) OnActivate(this);
}

void TCustomForm::Deactivate() {
  if (OnDeactivate) OnDeactivate(this);
}

void TCustomForm::Paint() {
  if (OnPaint) OnPaint(this);
}

void TCustomForm::PaintWindow(HDC DC) {
  canvas_->PaintOn(DC, [this] { Paint(); });
}

void TCustomForm::Loaded() {
  TWinControl::Loaded();
  Realign();
}

// ---- window ----

void TCustomForm::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  if (!Parent() && !ParentWindow()) {
    Params.WndParent = Application->Handle();
    Params.Style &= ~static_cast<DWORD>(WS_CHILD | WS_GROUP | WS_TABSTOP);
  }
  Params.WindowClass.style = CS_DBLCLKS;
  switch (border_style_) {
    case bsNone:
      if (!Parent() && !ParentWindow()) Params.Style |= WS_POPUP;
      break;
    case bsSingle:
    case bsToolWindow: Params.Style |= WS_CAPTION | WS_BORDER; break;
    case bsSizeable:
    case bsSizeToolWin: Params.Style |= WS_CAPTION | WS_THICKFRAME; break;
    case bsDialog:
      Params.Style |= WS_POPUP | WS_CAPTION;
      Params.ExStyle |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
      Params.WindowClass.style |= CS_SAVEBITS;
      break;
  }
  if (border_style_ == bsToolWindow || border_style_ == bsSizeToolWin) Params.ExStyle |= WS_EX_TOOLWINDOW;
  if (border_style_ != bsNone) {
    if (border_icons_.Contains(biSystemMenu)) Params.Style |= WS_SYSMENU;
    if (border_style_ != bsDialog && border_style_ != bsToolWindow && border_style_ != bsSizeToolWin) {
      if (border_icons_.Contains(biMinimize)) Params.Style |= WS_MINIMIZEBOX;
      if (border_icons_.Contains(biMaximize)) Params.Style |= WS_MAXIMIZEBOX;
    }
  }
  if (form_style_ == fsStayOnTop) Params.ExStyle |= WS_EX_TOPMOST;
  if (alpha_blend_ || transparent_color_) Params.ExStyle |= WS_EX_LAYERED;
  if (window_state_ == wsMinimized) Params.Style |= WS_MINIMIZE;
  else if (window_state_ == wsMaximized) Params.Style |= WS_MAXIMIZE;
}

void TCustomForm::CreateWnd() {
  TWinControl::CreateWnd();
  ApplyMenu();
  // The first layout happens with the real client area.
  Realign();
}

// ---- the menu ----

inline constexpr const char* SDuplicateMenus = "メニュー '%s' は既に別のフォームで使用されています";

void TCustomForm::SetMenu(TMainMenu* Value) {
  if (Value == menu_) return;
  if (Value)
    for (int i = 0; i < Screen->CustomFormCount(); ++i)
      if (TCustomForm* f = Screen->CustomForms(i); f != this && f->menu_ == Value)
        throw EInvalidOperation(Format(SDuplicateMenus, {Value->Name()}));
  if (menu_) {
    menu_->RemoveFreeNotification(this);
    if (handle_ && menu_->WindowHandle() == handle_) menu_->SetWindowHandle(nullptr);
  }
  menu_ = Value;
  if (menu_) menu_->FreeNotification(this);
  ApplyMenu();
}

void TCustomForm::ApplyMenu() {
  if (!handle_ || ComponentState().Contains(csDestroying)) return;
  const bool shown = menu_ && border_style_ != bsDialog;
  if (shown) {
    if (menu_->WindowHandle() != handle_ || GetMenu(handle_) != menu_->Handle()) menu_->SetWindowHandle(handle_);
  } else if (GetMenu(handle_)) {
    ::SetMenu(handle_, nullptr);
  }
}

void TCustomForm::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation == opRemove && menu_ && AComponent == menu_) {
    if (handle_ && GetMenu(handle_)) ::SetMenu(handle_, nullptr);
    menu_ = nullptr;
  }
}

bool TCustomForm::IsShortCut(TMessage& Message) {
  const TShortCut key = ShortCut(static_cast<Word>(Message.WParam), KeyDataToShiftState(Message.LParam));
  if (key == 0) return false;
  if (menu_ && menu_->WindowHandle() && menu_->IsShortCut(key)) return true;
  for (int i = 0; i < ComponentCount(); ++i)
    if (auto* list = dynamic_cast<TCustomActionList*>(Components(i)); list && list->IsShortCut(key)) return true;
  return false;
}

// A menu's command (no control sent it) goes to the menu's item.
void TCustomForm::WMCommand(TMessage& Message) {
  if (Message.LParam == 0 && menu_ && menu_->DispatchCommand(Message.WParamLo())) return;
  TWinControl::Dispatch(Message);
}

void TCustomForm::WMInitMenuPopup(TMessage& Message) {
  if (menu_) menu_->DispatchPopup(reinterpret_cast<HMENU>(Message.WParam));
  TWinControl::Dispatch(Message);
}

// The selected item's long hint becomes the application's hint; none clears it.
void TCustomForm::WMMenuSelect(TMessage& Message) {
  if (!menu_) {
    TWinControl::Dispatch(Message);
    return;
  }
  TMenuItem* item = nullptr;
  const UINT flags = Message.WParamHi();
  const UINT id = Message.WParamLo();
  if (flags != 0xFFFF || id != 0) {
    if ((flags & MF_POPUP) && Message.LParam)
      item = menu_->FindItem(reinterpret_cast<UINT_PTR>(GetSubMenu(reinterpret_cast<HMENU>(Message.LParam), static_cast<int>(id))), fkHandle);
    else
      item = menu_->FindItem(id, fkCommand);
  }
  Application->SetHint(item ? GetLongHint(item->Hint()) : AnsiString());
}

void TCustomForm::WMMenuChar(TMessage& Message) {
  if (menu_) {
    Message.Result = menu_->ProcessMenuChar(static_cast<char16_t>(Message.WParamLo()), reinterpret_cast<HMENU>(Message.LParam));
    if (Message.Result) return;
  }
  TWinControl::Dispatch(Message);
}

void TCustomForm::WMMeasureItem(TMessage& Message) {
  auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam);
  if (mis && mis->CtlType == ODT_MENU && menu_ && menu_->MeasureItemMessage(*mis)) {
    Message.Result = 1;
    return;
  }
  TWinControl::Dispatch(Message);
}

void TCustomForm::WMDrawItem(TMessage& Message) {
  auto* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(Message.LParam);
  if (dis && dis->CtlType == ODT_MENU && menu_ && menu_->DrawItemMessage(*dis)) {
    Message.Result = 1;
    return;
  }
  TWinControl::Dispatch(Message);
}

void TCustomForm::SetBorderStyle(TFormBorderStyle Value) {
  if (border_style_ == Value) return;
  border_style_ = Value;
  if (!ComponentState().Contains(csDesigning)) RecreateWnd();
  ApplyMenu();
}

void TCustomForm::SetBorderIcons(TBorderIcons Value) {
  if (border_icons_ == Value) return;
  border_icons_ = Value;
  if (!ComponentState().Contains(csDesigning)) RecreateWnd();
}

void TCustomForm::SetFormStyle(TFormStyle Value) {
  if (form_style_ == Value) return;
  const TFormStyle old = form_style_;
  form_style_ = Value;
  if (handle_ && (old == fsStayOnTop || Value == fsStayOnTop))
    SetWindowPos(handle_, Value == fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

void TCustomForm::SetWindowState(TWindowState Value) {
  if (window_state_ == Value) return;
  window_state_ = Value;
  if (!ComponentState().Contains(csDesigning) && Showing()) {
    static const int commands[] = {SW_SHOWNORMAL, SW_MINIMIZE, SW_SHOWMAXIMIZED};
    ShowWindow(handle_, commands[Value]);
  }
}

// ---- showing ----

void TCustomForm::SetVisible(bool Value) {
  if (form_state_.Contains(fsCreating)) {
    if (Value) form_state_.Include(fsVisible);
    else form_state_.Exclude(fsVisible);
    return;
  }
  TWinControl::SetVisible(Value);
}

void TCustomForm::Show() {
  SetVisible(true);
  BringToFront();
}

void TCustomForm::Hide() { SetVisible(false); }

void TCustomForm::CMShowingChangedForm(TMessage&) {
  if (form_state_.Contains(fsShowing)) throw EInvalidOperation(SVisibleChanged);
  form_state_.Include(fsShowing);
  struct Reset {
    TFormState& s;
    ~Reset() { s.Exclude(fsShowing); }
  } reset{form_state_};
  if (Showing()) {
    try {
      DoShow();
    } catch (...) {
      Application->HandleException(this);
    }
    TCustomForm* center_on = nullptr;
    if (position_ == poMainFormCenter && Application->MainForm() && Application->MainForm() != this)
      center_on = Application->MainForm();
    if (position_ == poOwnerFormCenter) center_on = dynamic_cast<TCustomForm*>(Owner());
    if (position_ == poScreenCenter || position_ == poDesktopCenter ||
        ((position_ == poMainFormCenter || position_ == poOwnerFormCenter) && !center_on)) {
      SetWindowPos(handle_, nullptr, (Screen->Width() - width_) / 2, (Screen->Height() - height_) / 2, 0, 0,
                   SWP_NOACTIVATE | SWP_NOSIZE | SWP_NOZORDER);
    } else if (center_on) {
      SetWindowPos(handle_, nullptr, center_on->Left() + (center_on->Width() - width_) / 2,
                   center_on->Top() + (center_on->Height() - height_) / 2, 0, 0,
                   SWP_NOACTIVATE | SWP_NOSIZE | SWP_NOZORDER);
    }
    static const int commands[] = {SW_SHOWNORMAL, SW_SHOWMINIMIZED, SW_SHOWMAXIMIZED};
    ShowWindow(handle_, commands[window_state_]);
  } else {
    try {
      DoHide();
    } catch (...) {
      Application->HandleException(this);
    }
    ShowWindow(handle_, SW_HIDE);
  }
}

// ---- activation and focus ----

void TCustomForm::WMActivate(TMessage& Message) {
  if (form_style_ != fsMDIForm || ComponentState().Contains(csDesigning))
    SetActive(LOWORD(Message.WParam) != WA_INACTIVE);
}

void TCustomForm::SetActive(bool Value) {
  active_ = Value;
  if (!Value) return;
  if (!active_control_ && !ComponentState().Contains(csDesigning)) {
    std::vector<TWinControl*> list;
    GetTabOrderList(list);
    if (!list.empty()) active_control_ = list.front();
  }
  SetWindowFocus();
}

void TCustomForm::SetWindowFocus() {
  TWinControl* target = active_control_ ? active_control_ : this;
  ::SetFocus(target->Handle());
}

void TCustomForm::SetActiveControl(TWinControl* Control) {
  if (active_control_ == Control) return;
  if (Control && !(Control != this && GetParentForm(Control) == this &&
                   (ComponentState().Contains(csLoading) || Control->CanFocus())))
    throw EInvalidOperation(SCannotFocus);
  active_control_ = Control;
  if (!ComponentState().Contains(csLoading) && active_) SetWindowFocus();
}

void TCustomForm::FocusControl(TWinControl* Control) {
  const bool was_active = active_;
  SetActiveControl(Control);
  if (!was_active) SetFocus();
}

void TCustomForm::SetFocus() {
  if (active_) return;
  if (!(visible_ && Enabled())) throw EInvalidOperation(SCannotFocus);
  SetWindowFocus();
}

void TCustomForm::DefocusControl(TWinControl* Control, bool Removing) {
  if (Removing && Control->ContainsControl(focused_control_)) focused_control_ = Control->Parent();
  if (Control->ContainsControl(active_control_)) {
    active_control_ = nullptr;
    if (Screen->active_control_ && Control->ContainsControl(Screen->active_control_)) Screen->active_control_ = nullptr;
  }
}

bool TCustomForm::SetFocusedControl(TWinControl* Control) {
  // Sends a focus message; false when it moved the focus elsewhere meanwhile.
  auto SendFocusMessage = [](HWND Window, UINT Msg) {
    const int count = Screen->focus_count_;
    SendMessageA(Window, Msg, 0, 0);
    return Screen->focus_count_ == count;
  };
  ++Screen->focus_count_;
  active_control_ = Control != this ? Control : nullptr;
  Screen->active_control_ = Control;
  Screen->active_custom_form_ = this;
  auto& cf = Screen->custom_forms_;
  cf.erase(std::remove(cf.begin(), cf.end(), this), cf.end());
  cf.insert(cf.begin(), this);
  if (auto* f = dynamic_cast<TForm*>(this)) {
    Screen->active_form_ = f;
    auto& ff = Screen->forms_;
    ff.erase(std::remove(ff.begin(), ff.end(), f), ff.end());
    ff.insert(ff.begin(), f);
  } else {
    Screen->active_form_ = nullptr;
  }
  if (Control->ControlState().Contains(csFocusing)) return false;
  Control->SetControlState(Control->ControlState() + csFocusing);
  struct Reset {
    TWinControl* c;
    ~Reset() { c->SetControlState(c->ControlState() - csFocusing); }
  } reset{Control};
  if (Screen->focused_form_ != this) {
    if (TCustomForm* old = Screen->focused_form_) {
      Screen->focused_form_ = nullptr;
      if (!old->handle_ || !SendFocusMessage(old->handle_, CM_DEACTIVATE)) {
        if (old->handle_) return false;
      }
    }
    Screen->focused_form_ = this;
    if (!SendFocusMessage(Handle(), CM_ACTIVATE)) return false;
  }
  if (!focused_control_) focused_control_ = this;
  if (focused_control_ != Control) {
    while (focused_control_ && !focused_control_->ContainsControl(Control)) {
      HWND h = focused_control_->Handle();
      focused_control_ = focused_control_->Parent();
      if (!SendFocusMessage(h, CM_EXIT)) return false;
    }
    while (focused_control_ != Control) {
      TWinControl* step = Control;
      while (step->Parent() != focused_control_) step = step->Parent();
      focused_control_ = step;
      if (!SendFocusMessage(step->Handle(), CM_ENTER)) return false;
    }
    Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(Control));
  }
  return true;
}

void TCustomForm::UpdateActions() {
  if (ComponentState().Contains(csDesigning) || !Showing()) return;
  InitiateAction();
  std::function<void(TWinControl*)> traverse = [&](TWinControl* container) {
    if (!container->Showing()) return;
    for (int i = 0; i < container->ControlCount(); ++i) {
      TControl* c = container->Controls(i);
      if (c->ControlStyle().Contains(csActionClient) && c->Visible()) c->InitiateAction();
      if (auto* w = dynamic_cast<TWinControl*>(c)) traverse(w);
    }
  };
  traverse(this);
}

// ---- closing ----

bool TCustomForm::CloseQuery() {
  bool can_close = true;
  if (OnCloseQuery) OnCloseQuery(this, can_close);
  return can_close;
}

void TCustomForm::Close() {
  if (form_state_.Contains(fsModal)) {
    modal_result_ = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action = form_style_ == fsMDIChild ? caMinimize : caHide;
  DoClose(action);
  if (action == caNone) return;
  if (Application->MainForm() == this) Application->Terminate();
  else if (action == caHide) Hide();
  else if (action == caMinimize) SetWindowState(wsMinimized);
  else Release();
}

void TCustomForm::CloseModal() {
  TCloseAction action = caNone;
  if (CloseQuery()) {
    action = caHide;
    DoClose(action);
  }
  switch (action) {
    case caNone: modal_result_ = mrNone; break;
    case caFree: Release(); break;
    default: break;
  }
}

void TCustomForm::Release() {
  if (handle_) PostMessageA(handle_, CM_RELEASE, 0, 0);
}

void TCustomForm::WMClose(TMessage&) { Close(); }

int TCustomForm::ShowModal() {
  if (visible_ || !Enabled() || form_state_.Contains(fsModal) || form_style_ == fsMDIChild)
    throw EInvalidOperation(SCannotShowModal);
  if (HWND c = GetCapture()) SendMessageA(c, WM_CANCELMODE, 0, 0);
  ReleaseCapture();
  Application->ModalStarted();
  form_state_.Include(fsModal);
  HWND active_window = GetActiveWindow();
  TCustomForm* saved_focused = Screen->focused_form_;
  Screen->focused_form_ = this;
  const TCursor saved_cursor = Screen->Cursor();
  Screen->SetCursor(crDefault);
  // Every other enabled form waits while this one is up.
  std::vector<HWND> disabled;
  for (TCustomForm* f : Screen->custom_forms_) {
    if (f == this || !f->handle_ || !IsWindowVisible(f->handle_) || !IsWindowEnabled(f->handle_)) continue;
    EnableWindow(f->handle_, FALSE);
    disabled.push_back(f->handle_);
  }
  int result = mrNone;
  auto restore = [&] {
    for (HWND h : disabled)
      if (IsWindow(h)) EnableWindow(h, TRUE);
    if (Screen->focused_form_ == this) Screen->focused_form_ = saved_focused;
    Screen->SetCursor(saved_cursor);
    if (active_window && IsWindow(active_window)) SetActiveWindow(active_window);
    form_state_.Exclude(fsModal);
    Application->ModalFinished();
  };
  try {
    Show();
    SendMessageA(Handle(), CM_ACTIVATE, 0, 0);
    modal_result_ = mrNone;
    do {
      Application->HandleMessage();
      if (Application->Terminated()) modal_result_ = mrCancel;
      else if (modal_result_ != mrNone) CloseModal();
    } while (modal_result_ == mrNone);
    result = modal_result_;
    SendMessageA(Handle(), CM_DEACTIVATE, 0, 0);
    if (GetActiveWindow() != handle_) active_window = nullptr;
    Hide();
  } catch (...) {
    if (handle_) Hide();
    restore();
    throw;
  }
  restore();
  return result;
}

// ---- messages ----

void TCustomForm::WMSizeForm(TMessage& Message) {
  if (!ComponentState().Contains(csDesigning)) {
    switch (Message.WParam) {
      case SIZE_RESTORED: window_state_ = wsNormal; break;
      case SIZE_MINIMIZED: window_state_ = wsMinimized; break;
      case SIZE_MAXIMIZED: window_state_ = wsMaximized; break;
    }
  }
  TWinControl::Dispatch(Message);
}

// Tab moves the focus through the form in tab order (Shift: backwards); the arrow keys move it
// among the active control's neighbours. Every other key is offered to the controls.
void TCustomForm::CMDialogKeyForm(TMessage& Message) {
  if (GetKeyState(VK_MENU) >= 0) {
    switch (Message.WParam) {
      case VK_TAB:
        if (GetKeyState(VK_CONTROL) >= 0) {
          SelectNext(active_control_, GetKeyState(VK_SHIFT) >= 0, true);
          Message.Result = 1;
          return;
        }
        break;
      case VK_LEFT:
      case VK_RIGHT:
      case VK_UP:
      case VK_DOWN:
        if (active_control_ && active_control_->Parent())
          active_control_->Parent()->SelectNext(active_control_,
                                                Message.WParam == VK_RIGHT || Message.WParam == VK_DOWN, false);
        Message.Result = active_control_ ? 1 : 0;
        return;
      default: break;
    }
  }
  Broadcast(Message);
}

void TCustomForm::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_SHOWINGCHANGED: CMShowingChangedForm(Message); return;
    case WM_ACTIVATE: WMActivate(Message); return;
    case WM_CLOSE: WMClose(Message); return;
    case WM_SIZE: WMSizeForm(Message); return;
    case WM_PAINT: PaintHandler(Message); return;
    case CM_ACTIVATE:
      if (ComponentState().Contains(csReading)) form_state_.Include(fsActivated);
      else Activate();
      return;
    case CM_DEACTIVATE:
      if (ComponentState().Contains(csReading)) form_state_.Exclude(fsActivated);
      else Deactivate();
      return;
    case CM_DIALOGKEY: CMDialogKeyForm(Message); return;
    case WM_COMMAND: WMCommand(Message); return;
    case WM_INITMENUPOPUP: WMInitMenuPopup(Message); return;
    case WM_MENUSELECT: WMMenuSelect(Message); return;
    case WM_MENUCHAR: WMMenuChar(Message); return;
    case WM_MEASUREITEM: WMMeasureItem(Message); return;
    case WM_DRAWITEM: WMDrawItem(Message); return;
    case CM_ACTIONEXECUTE: CMAction(Message, &TControl::ExecuteAction); return;
    case CM_ACTIONUPDATE: CMAction(Message, &TControl::UpdateAction); return;
    case CM_RELEASE: {
      BeforeDestruction();
      delete this;
      return;
    }
    default: TWinControl::Dispatch(Message);
  }
}

// An action looks for its target: the active control, the form, then every visible control.
void TCustomForm::CMAction(TMessage& Message, bool (TControl::*Process)(TBasicAction*)) {
  auto* action = reinterpret_cast<TBasicAction*>(Message.LParam);
  if (ComponentState().Contains(csDesigning) || !Showing() || !action) return;
  auto process = [&](TControl* c) { return c && (c->*Process)(action); };
  std::function<bool(TWinControl*)> traverse = [&](TWinControl* container) {
    if (!container->Showing()) return false;
    for (int i = 0; i < container->ControlCount(); ++i) {
      TControl* c = container->Controls(i);
      if (c->Visible() && process(c)) return true;
      if (auto* w = dynamic_cast<TWinControl*>(c); w && traverse(w)) return true;
    }
    return false;
  };
  if (process(active_control_) || process(this) || traverse(this)) Message.Result = 1;
}

void TCustomForm::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) {
  TWinControl::GetChildren(Proc, Root);
  if (Root != this) return;
  for (int i = 0; i < ComponentCount(); ++i) {
    TComponent* c = Components(i);
    if (!c->HasParent()) Proc(c);
  }
}

// ---------------------------------------------------------------------------------------------

static const bool registered =
    DeclareClass<TCustomForm, TWinControl>("TCustomForm")
        .Enum("BorderStyle", {"bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin"},
              &TCustomForm::BorderStyle, &TCustomForm::SetBorderStyle, Default(bsSizeable))
        .Set("BorderIcons", {"biSystemMenu", "biMinimize", "biMaximize", "biHelp"}, &TCustomForm::BorderIcons,
             &TCustomForm::SetBorderIcons, Default(TBorderIcons{biSystemMenu, biMinimize, biMaximize}.Bits()))
        .Enum("FormStyle", {"fsNormal", "fsMDIChild", "fsMDIForm", "fsStayOnTop"}, &TCustomForm::FormStyle,
              &TCustomForm::SetFormStyle, Default(fsNormal))
        .Enum("Position",
              {"poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly", "poScreenCenter",
               "poDesktopCenter", "poMainFormCenter", "poOwnerFormCenter"},
              &TCustomForm::Position, &TCustomForm::SetPosition, Default(poDesigned))
        .Enum("WindowState", {"wsNormal", "wsMinimized", "wsMaximized"}, &TCustomForm::WindowState,
              &TCustomForm::SetWindowState, Default(wsNormal))
        .Boolean("KeyPreview", &TCustomForm::KeyPreview, &TCustomForm::SetKeyPreview, Default(0))
        .Integer("ClientWidth", &TCustomForm::ClientWidth, &TCustomForm::SetClientWidth, NoDefault, false)
        .Integer("ClientHeight", &TCustomForm::ClientHeight, &TCustomForm::SetClientHeight, NoDefault, false)
        .Boolean("OldCreateOrder", &TCustomForm::OldCreateOrder, &TCustomForm::SetOldCreateOrder, NoDefault)
        .Boolean("AlphaBlend", &TCustomForm::AlphaBlend, &TCustomForm::SetAlphaBlend, Default(0))
        .Integer("AlphaBlendValue", &TCustomForm::AlphaBlendValue, &TCustomForm::SetAlphaBlendValue, Default(255))
        .Boolean("TransparentColor", &TCustomForm::TransparentColor, &TCustomForm::SetTransparentColor, Default(0))
        .Integer("TransparentColorValue", &TCustomForm::TransparentColorValue, &TCustomForm::SetTransparentColorValue,
                 Default(0))
        .Idents(IdentToColor, ColorToIdent)
        .Component("ActiveControl", &TCustomForm::ActiveControl, &TCustomForm::SetActiveControl)
        .Component("Menu", &TCustomForm::Menu, &TCustomForm::SetMenu)
        // Written by the designer of the time; the screen here always has 96 dots per inch.
        .Integer("PixelsPerInch", [](TCustomForm*) { return 96; }, [](TCustomForm*, int) {}, NoDefault, false)
        .Integer("TextHeight", [](TCustomForm*) { return 13; }, [](TCustomForm*, int) {}, NoDefault, false)
        .Event("OnCreate", &TCustomForm::OnCreate)
        .Event("OnDestroy", &TCustomForm::OnDestroy)
        .Event("OnShow", &TCustomForm::OnShow)
        .Event("OnHide", &TCustomForm::OnHide)
        .Event("OnActivate", &TCustomForm::OnActivate)
        .Event("OnDeactivate", &TCustomForm::OnDeactivate)
        .Event("OnClose", &TCustomForm::OnClose)
        .Event("OnCloseQuery", &TCustomForm::OnCloseQuery)
        .Event("OnPaint", &TCustomForm::OnPaint)
        .Done() &&
    DeclareClass<TForm, TCustomForm>("TForm").Done();
