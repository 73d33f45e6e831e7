// TWinControl: a control with a window of its own. The framework registers a class per control
// class whose first procedure (InitWndProc) binds the new window to the control being created and
// installs the control's object instance, which runs MainWndProc -> WindowProc.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "Controls.h"
#include "Forms.h"
#include "Menus.h"
#include "TypInfo.h"
#include "winplat_user.h"

TWinControl* CreationControl = nullptr;
TControl* CaptureControlOf(HWND Window);
void ClearCaptureControl();

namespace {

// The window properties that lead from a window to its control: named after the process and
// after the module and thread.
struct ControlAtoms {
  ATOM window = 0;
  ATOM control = 0;
};

const ControlAtoms& Atoms() {
  static ControlAtoms atoms = [] {
    ControlAtoms a;
    char name[64];
    std::snprintf(name, sizeof name, "Tarnix%.8X", static_cast<unsigned>(GetCurrentProcessId()));
    a.window = GlobalAddAtomA(name);
    std::snprintf(name, sizeof name, "ControlOfs%.8X%.8X",
                  static_cast<unsigned>(reinterpret_cast<uintptr_t>(GetModuleHandleA(nullptr))),
                  static_cast<unsigned>(GetCurrentThreadId()));
    a.control = GlobalAddAtomA(name);
    return a;
  }();
  return atoms;
}

// The control a reflected message concerns (WM_COMMAND and the other notifications a parent
// receives from its child windows), or nullptr.
HWND NotifyingWindow(HWND self, const TMessage& m) {
  switch (m.Msg) {
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CHARTOITEM:
    case WM_VKEYTOITEM:
      return reinterpret_cast<HWND>(m.LParam);
    case WM_NOTIFY:
      return m.LParam ? reinterpret_cast<const NMHDR*>(m.LParam)->hwndFrom : nullptr;
    case WM_DRAWITEM: {
      auto* d = reinterpret_cast<const DRAWITEMSTRUCT*>(m.LParam);
      return d && d->CtlType != ODT_MENU ? d->hwndItem : nullptr;
    }
    case WM_DELETEITEM: {
      auto* d = reinterpret_cast<const DELETEITEMSTRUCT*>(m.LParam);
      return d ? d->hwndItem : nullptr;
    }
    case WM_COMPAREITEM: {
      auto* d = reinterpret_cast<const COMPAREITEMSTRUCT*>(m.LParam);
      return d ? d->hwndItem : nullptr;
    }
    case WM_MEASUREITEM: {
      auto* d = reinterpret_cast<const MEASUREITEMSTRUCT*>(m.LParam);
      return d && d->CtlType != ODT_MENU ? GetDlgItem(self, static_cast<int>(d->CtlID)) : nullptr;
    }
    default:
      if (m.Msg >= WM_CTLCOLORMSGBOX && m.Msg <= WM_CTLCOLORSTATIC) return reinterpret_cast<HWND>(m.LParam);
      return nullptr;
  }
}

}  // namespace

WNDPROC MakeObjectInstance(TWndMethod Method) {
  return winplat::user::RegisterCallerKindProcedure([Method](HWND, UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
    TMessage m{msg, wp, lp, 0};
    Method(m);
    return m.Result;
  });
}

void FreeObjectInstance(WNDPROC ObjectInstance) { winplat::user::UnregisterProcedure(ObjectInstance); }

TWinControl* FindControl(HWND Handle) {
  if (!Handle) return nullptr;
  return static_cast<TWinControl*>(GetPropA(Handle, MAKEINTATOM(Atoms().control)));
}

LRESULT CALLBACK InitWndProc(HWND HWnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  TWinControl* c = CreationControl;
  if (!c) return DefWindowProcA(HWnd, Msg, WParam, LParam);
  CreationControl = nullptr;
  c->handle_ = HWnd;
  SetWindowLongPtrA(HWnd, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(c->object_instance_));
  if ((GetWindowLongA(HWnd, GWL_STYLE) & WS_CHILD) && GetWindowLongPtrA(HWnd, GWL_ID) == 0)
    SetWindowLongPtrA(HWnd, GWL_ID, reinterpret_cast<LONG_PTR>(HWnd));
  SetPropA(HWnd, MAKEINTATOM(Atoms().control), c);
  SetPropA(HWnd, MAKEINTATOM(Atoms().window), c);
  return CallWindowProcA(c->object_instance_, HWnd, Msg, WParam, LParam);
}

// ---------------------------------------------------------------------------------------------

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner), brush_(std::make_unique<TBrush>()) {
  object_instance_ = MakeObjectInstance(TWndMethod::Of<&TWinControl::MainWndProc>(this));
  brush_->SetColor(Color());
  def_wnd_proc_ = DefWindowProcA;
}

TWinControl* TWinControl::CreateParented(HWND ParentWindow) {
  auto* c = new TWinControl(nullptr);
  c->SetParentWindow(ParentWindow);
  return c;
}

TWinControl::~TWinControl() {
  Destroying();
  if (parent_) {
    if (TCustomForm* f = GetParentForm(this)) f->DefocusControl(this, true);
  }
  if (handle_) DestroyWindowHandle();
  while (!controls_.empty()) {
    TControl* c = controls_.back();
    RemoveControl(c);
    delete c;
  }
  if (object_instance_) FreeObjectInstance(object_instance_);
  object_instance_ = nullptr;
}

// ---- window creation ----

HWND TWinControl::Handle() {
  HandleNeeded();
  return handle_;
}

void TWinControl::HandleNeeded() {
  if (handle_) return;
  if (parent_) parent_->HandleNeeded();
  CreateHandle();
}

void TWinControl::SetParentWindow(HWND Value) {
  if (parent_ || parent_window_ == Value) return;
  if (handle_ && parent_window_ && Value) {
    ::SetParent(handle_, Value);
  } else {
    DestroyHandle();
  }
  parent_window_ = Value;
  UpdateShowing();
}

void TWinControl::CreateParams(TCreateParams& Params) {
  Params = TCreateParams{};
  Params.Caption = text_.c_str();
  Params.Style = WS_CHILD | WS_CLIPSIBLINGS;
  if (control_style_.Contains(csAcceptsControls)) {
    Params.Style |= WS_CLIPCHILDREN;
    Params.ExStyle |= WS_EX_CONTROLPARENT;
  }
  if (!enabled_) Params.Style |= WS_DISABLED;
  if (tab_stop_) Params.Style |= WS_TABSTOP;
  if (UseRightToLeftReading()) Params.ExStyle |= WS_EX_RTLREADING;
  if (UseRightToLeftScrollBar()) Params.ExStyle |= WS_EX_LEFTSCROLLBAR;
  if (UseRightToLeftAlignment()) Params.ExStyle |= WS_EX_RIGHT;
  Params.X = left_;
  Params.Y = top_;
  Params.Width = width_;
  Params.Height = height_;
  Params.WndParent = parent_ ? parent_->Handle() : parent_window_;
  Params.WindowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
  Params.WindowClass.lpfnWndProc = DefWindowProcA;
  Params.WindowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  Params.WindowClass.hInstance = GetModuleHandleA(nullptr);
  const AnsiString name = ClassName();
  std::snprintf(Params.WinClassName, sizeof Params.WinClassName, "%s", name.c_str());
}

void TWinControl::CreateSubClass(TCreateParams& Params, const char* ClassName) {
  WNDCLASSA wc{};
  if (!GetClassInfoA(Params.WindowClass.hInstance, ClassName, &wc) &&
      !GetClassInfoA(nullptr, ClassName, &wc))
    RaiseLastOSError();
  // The framework's class keeps its own instance and name.
  HINSTANCE instance = Params.WindowClass.hInstance;
  Params.WindowClass = wc;
  Params.WindowClass.hInstance = instance;
  Params.WindowClass.style &= ~static_cast<UINT>(CS_GLOBALCLASS);
}

void TWinControl::CreateWnd() {
  TCreateParams params;
  CreateParams(params);
  if (!params.WndParent && (params.Style & WS_CHILD))
    throw EInvalidOperation(Format("コントロール '%s' には親ウィンドウがありません", {Name()}));
  def_wnd_proc_ = params.WindowClass.lpfnWndProc ? params.WindowClass.lpfnWndProc : DefWindowProcA;
  own_painting_ = def_wnd_proc_ != DefWindowProcA;
  WNDCLASSA existing{};
  const bool known = GetClassInfoA(params.WindowClass.hInstance, params.WinClassName, &existing) != FALSE;
  params.WindowClass.lpfnWndProc = InitWndProc;
  params.WindowClass.lpszClassName = params.WinClassName;
  if (!known || existing.lpfnWndProc != InitWndProc) {
    if (known) UnregisterClassA(params.WinClassName, params.WindowClass.hInstance);
    if (!RegisterClassA(&params.WindowClass)) RaiseLastOSError();
  }
  CreationControl = this;
  try {
    CreateWindowHandle(params);
  } catch (...) {
    CreationControl = nullptr;
    throw;
  }
  CreationControl = nullptr;
  if (!handle_) RaiseLastOSError();
  UpdateBounds();
  SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), 1);
}

void TWinControl::CreateWindowHandle(const TCreateParams& Params) {
  HWND h = CreateWindowExA(Params.ExStyle, Params.WinClassName, Params.Caption, Params.Style, Params.X,
                           Params.Y, Params.Width, Params.Height, Params.WndParent, nullptr,
                           Params.WindowClass.hInstance, Params.Param);
  if (h) handle_ = h;
}

void TWinControl::CreateHandle() {
  if (handle_) return;
  CreateWnd();
  if (!parent_ || !handle_) return;
  // The window takes its place among its siblings' windows: below the next one up in the list,
  // or on top when none above it has a window.
  HWND after = HWND_TOP;
  auto it = std::find(parent_->controls_.begin(), parent_->controls_.end(), this);
  for (++it; it != parent_->controls_.end(); ++it) {
    auto* w = dynamic_cast<TWinControl*>(*it);
    if (w && w->handle_) {
      after = w->handle_;
      break;
    }
  }
  SetWindowPos(handle_, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TWinControl::DestroyWnd() {
  text_ = Text();  // kept while there is no window
  DestroyWindowHandle();
}

void TWinControl::DestroyWindowHandle() {
  control_state_.Include(csDestroyingHandle);
  HWND h = handle_;
  const BOOL ok = DestroyWindow(h);
  control_state_.Exclude(csDestroyingHandle);
  handle_ = nullptr;
  showing_ = false;
  if (!ok && !ComponentState().Contains(csDestroying)) RaiseLastOSError();
}

void TWinControl::DestroyHandle() {
  if (!handle_) return;
  for (TControl* c : controls_)
    if (auto* w = dynamic_cast<TWinControl*>(c)) w->DestroyHandle();
  DestroyWnd();
}

void TWinControl::RecreateWnd() {
  if (!handle_) return;
  const bool was_focused = Focused();
  DestroyHandle();
  UpdateShowing();
  if (parent_ && parent_->Showing() && !handle_ && visible_) HandleNeeded();
  if (was_focused && handle_) ::SetFocus(handle_);
}

void TWinControl::UpdateShowing() {
  const bool show = (visible_ || ComponentState().Contains(csDesigning)) &&
                    !control_state_.Contains(csReadingState) &&
                    (!parent_ || parent_->showing_ || parent_->handle_);
  if (show) {
    if (!handle_) CreateHandle();
    std::vector<TControl*> children = controls_;
    for (TControl* c : children)
      if (auto* w = dynamic_cast<TWinControl*>(c)) w->UpdateShowing();
  }
  if (handle_ && showing_ != show) {
    showing_ = show;
    try {
      Perform(CM_SHOWINGCHANGED, 0, 0);
    } catch (...) {
      showing_ = !show;
      throw;
    }
  }
}

void TWinControl::CMShowingChanged(TMessage&) {
  SetWindowPos(handle_, nullptr, 0, 0, 0, 0,
               SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE |
                   (showing_ ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}

// ---- message path ----

void TWinControl::MainWndProc(TMessage& Message) {
  try {
    if (window_proc_) window_proc_(Message);
    else WndProc(Message);
  } catch (...) {
    if (Application) Application->HandleException(this);
  }
}

bool TWinControl::IsControlMouseMsg(TMessage& Message) {
  TControl* c = nullptr;
  if (handle_ && GetCapture() == handle_) {
    c = CaptureControlOf(handle_);
  } else {
    c = ControlAtPos(Point(Message.XPos(), Message.YPos()), false);
  }
  if (!c) return false;
  const int x = Message.XPos() - c->Left();
  const int y = Message.YPos() - c->Top();
  Message.Result = c->Perform(Message.Msg, Message.WParam,
                              MAKELPARAM(static_cast<uint16_t>(x), static_cast<uint16_t>(y)));
  return true;
}

void TWinControl::WndProc(TMessage& Message) {
  const UINT msg = Message.Msg;
  if (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST && msg != WM_MOUSEWHEEL) {
    if (IsControlMouseMsg(Message)) {
      if (Message.Result == 0 && handle_) DefWindowProcA(handle_, msg, Message.WParam, Message.LParam);
      return;
    }
  }
  if (msg == WM_CAPTURECHANGED) ClearCaptureControl();
  TControl::WndProc(Message);
}

void TWinControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_PAINT: WMPaint(Message); return;
    case WM_ERASEBKGND: WMEraseBkgnd(Message); return;
    case WM_SIZE: WMSize(Message); return;
    case WM_MOVE: WMMove(Message); return;
    case WM_WINDOWPOSCHANGED: WMWindowPosChanged(Message); return;
    case WM_SETFOCUS: WMSetFocus(Message); return;
    case WM_KILLFOCUS: WMKillFocus(Message); return;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: WMKeyDown(Message); return;
    case WM_KEYUP:
    case WM_SYSKEYUP: WMKeyUp(Message); return;
    case WM_CHAR: WMChar(Message); return;
    case WM_SETCURSOR: WMSetCursor(Message); return;
    case WM_NCDESTROY: WMNCDestroy(Message); return;
    case WM_MOUSEWHEEL: {
      bool handled = false;
      if (OnMouseWheel) {
        const POINT p{static_cast<int16_t>(LOWORD(Message.LParam)), static_cast<int16_t>(HIWORD(Message.LParam))};
        OnMouseWheel(this, KeysToShiftState(LOWORD(Message.WParam)), static_cast<int16_t>(HIWORD(Message.WParam)), p,
                     handled);
      }
      if (handled) Message.Result = 1;
      else DefaultHandler(Message);
      return;
    }
    case CM_SHOWINGCHANGED: CMShowingChanged(Message); return;
    case CM_VISIBLECHANGED:
      if (!visible_ && parent_)
        if (TCustomForm* f = GetParentForm(this)) f->DefocusControl(this, false);
      if (!ComponentState().Contains(csDesigning)) {
        // Only a window whose parents show (or a top-level one) changes on the screen now.
        bool parents_show = true;
        for (TWinControl* p = parent_; p; p = p->parent_)
          if (!p->showing_) parents_show = false;
        if (parents_show && (parent_ || parent_window_ || dynamic_cast<TCustomForm*>(this))) UpdateShowing();
      }
      return;
    case CM_ENABLEDCHANGED: CMEnabledChangedWin(Message); return;
    case CM_COLORCHANGED: CMColorChangedWin(Message); return;
    case CM_FONTCHANGED: CMFontChangedWin(Message); return;
    case CM_BIDIMODECHANGED: CMBiDiModeChangedWin(Message); return;
    case CM_SHOWHINTCHANGED:
    case CM_PARENTSHOWHINTCHANGED: {
      if (Message.Msg == CM_PARENTSHOWHINTCHANGED) CMParentShowHintChanged(Message);
      for (TControl* c : controls_) c->Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
      return;
    }
    case CM_ENTER: DoEnter(); return;
    case CM_EXIT: DoExit(); return;
    case CN_KEYDOWN:
    case CN_SYSKEYDOWN: CNKeyDown(Message); return;
    case CN_CHAR: CNChar(Message); return;
    // Dialog keys and mnemonics go to every child until one takes them.
    case CM_DIALOGKEY:
    case CM_DIALOGCHAR: Broadcast(Message); return;
    // A focus change tells the buttons which of them Return clicks now.
    case CM_FOCUSCHANGED: Broadcast(Message); return;
    default: break;
  }
  if (HWND from = NotifyingWindow(handle_, Message)) {
    TWinControl* c = FindControl(from);
    if (c && c != this) {
      Message.Result = c->Perform(Message.Msg + CN_BASE, Message.WParam, Message.LParam);
      return;
    }
  }
  TControl::Dispatch(Message);
}

void TWinControl::DefaultHandler(TMessage& Message) {
  if (!handle_) {
    TControl::DefaultHandler(Message);
    return;
  }
  Message.Result = CallWindowProcA(def_wnd_proc_, handle_, Message.Msg, Message.WParam, Message.LParam);
}

// ---- painting ----

void TWinControl::WMPaint(TMessage& Message) {
  const bool any_graphic = std::any_of(controls_.begin(), controls_.end(),
                                       [](TControl* c) { return !dynamic_cast<TWinControl*>(c); });
  if (!control_state_.Contains(csCustomPaint) && !any_graphic) DefaultHandler(Message);
  else PaintHandler(Message);
}

void TWinControl::PaintWindow(HDC DC) {
  TMessage m{WM_PAINT, reinterpret_cast<WPARAM>(DC), 0, 0};
  DefaultHandler(m);
}

void TWinControl::PaintHandler(TMessage& Message) {
  HDC dc = reinterpret_cast<HDC>(Message.WParam);
  PAINTSTRUCT ps{};
  if (!dc) dc = BeginPaint(Handle(), &ps);
  const int saved = SaveDC(dc);
  int clip = SIMPLEREGION;
  for (TControl* c : controls_) {
    if (dynamic_cast<TWinControl*>(c) || !c->Visible() || !c->ControlStyle().Contains(csOpaque)) continue;
    clip = ExcludeClipRect(dc, c->Left(), c->Top(), c->Left() + c->Width(), c->Top() + c->Height());
    if (clip == NULLREGION) break;
  }
  if (clip != NULLREGION) PaintWindow(dc);
  RestoreDC(dc, saved);
  PaintControls(dc, nullptr);
  if (!Message.WParam) EndPaint(handle_, &ps);
}

void TWinControl::PaintControls(HDC DC, TControl* First) {
  auto it = controls_.begin();
  if (First) it = std::find(controls_.begin(), controls_.end(), First);
  for (; it != controls_.end(); ++it) {
    TControl* c = *it;
    if (dynamic_cast<TWinControl*>(c)) continue;
    if (!c->Visible() && !ComponentState().Contains(csDesigning)) continue;
    RECT clip{};
    const RECT bounds = c->BoundsRect();
    GetClipBox(DC, &clip);
    RECT both{};
    if (!IntersectRect(&both, &clip, &bounds)) continue;
    const int saved = SaveDC(DC);
    POINT org{};
    GetWindowOrgEx(DC, &org);
    SetWindowOrgEx(DC, org.x - c->Left(), org.y - c->Top(), nullptr);
    IntersectClipRect(DC, 0, 0, c->Width(), c->Height());
    c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
    RestoreDC(DC, saved);
  }
}

void TWinControl::WMEraseBkgnd(TMessage& Message) {
  HDC dc = reinterpret_cast<HDC>(Message.WParam);
  if (HasOwnPainting() && !control_state_.Contains(csCustomPaint)) {
    DefaultHandler(Message);
    return;
  }
  RECT r;
  GetClientRect(handle_, &r);
  FillRect(dc, &r, brush_->Handle());
  Message.Result = 1;
}

void TWinControl::Invalidate() {
  if (handle_) InvalidateRect(handle_, nullptr, !control_style_.Contains(csOpaque));
}

void TWinControl::Update() {
  if (handle_) UpdateWindow(handle_);
}

void TWinControl::Repaint() {
  Invalidate();
  Update();
}

// ---- bounds and alignment ----

TRect TWinControl::ClientRect() {
  if (!handle_) return TControl::ClientRect();
  RECT r;
  GetClientRect(handle_, &r);
  return r;
}

TPoint TWinControl::ClientOrigin() {
  POINT p{0, 0};
  ::ClientToScreen(Handle(), &p);
  return p;
}

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (ALeft == left_ && ATop == top_ && AWidth == width_ && AHeight == height_) return;
  if (handle_ && !IsIconic(handle_)) {
    SetWindowPos(handle_, nullptr, ALeft, ATop, AWidth, AHeight, SWP_NOZORDER | SWP_NOACTIVATE);
  } else {
    const bool resized = AWidth != width_ || AHeight != height_;
    left_ = ALeft;
    top_ = ATop;
    width_ = AWidth;
    height_ = AHeight;
    if (resized) Realign();
  }
  RequestAlign();
}

void TWinControl::UpdateBounds() {
  if (!handle_ || IsIconic(handle_)) return;
  RECT r;
  GetWindowRect(handle_, &r);
  if (GetWindowLongA(handle_, GWL_STYLE) & WS_CHILD) {
    HWND p = GetParent(handle_);
    if (p) MapWindowPoints(HWND_DESKTOP, p, reinterpret_cast<POINT*>(&r), 2);
  }
  left_ = r.left;
  top_ = r.top;
  width_ = r.right - r.left;
  height_ = r.bottom - r.top;
}

void TWinControl::WMSize(TMessage& Message) {
  const int w = width_, h = height_;
  UpdateBounds();
  DefaultHandler(Message);
  Realign();
  if (!ComponentState().Contains(csLoading) && (w != width_ || h != height_ || Message.Msg == WM_SIZE)) Resize();
}

void TWinControl::WMMove(TMessage& Message) {
  DefaultHandler(Message);
  UpdateBounds();
}

void TWinControl::WMWindowPosChanged(TMessage& Message) {
  if (Message.LParam) DefaultHandler(Message);
  UpdateBounds();
}

void TWinControl::DisableAlign() { ++align_level_; }

void TWinControl::EnableAlign() {
  if (--align_level_ == 0 && control_state_.Contains(csAlignmentNeeded)) Realign();
}

void TWinControl::Realign() {
  if (ComponentState().Contains(csDestroying)) return;
  if (align_level_ != 0 || ComponentState().Contains(csLoading) || realigning_) {
    control_state_.Include(csAlignmentNeeded);
    return;
  }
  realigning_ = true;
  DisableAlign();
  try {
    TRect r = ClientRect();
    AlignControls(nullptr, r);
  } catch (...) {
    realigning_ = false;
    control_state_.Exclude(csAlignmentNeeded);
    --align_level_;
    throw;
  }
  realigning_ = false;
  control_state_.Exclude(csAlignmentNeeded);
  --align_level_;
}

void TWinControl::AlignControls(TControl*, TRect& Rect) {
  auto before = [](TAlign a, TControl* c1, TControl* c2) {
    switch (a) {
      case alTop: return c1->Top() < c2->Top();
      case alBottom: return c1->Top() + c1->Height() > c2->Top() + c2->Height();
      case alLeft: return c1->Left() < c2->Left();
      case alRight: return c1->Left() + c1->Width() > c2->Left() + c2->Width();
      default: return false;
    }
  };
  for (TAlign a : {alTop, alBottom, alLeft, alRight, alClient}) {
    std::vector<TControl*> list;
    for (TControl* c : controls_)
      if (c->Align() == a && (c->Visible() || ComponentState().Contains(csDesigning))) list.push_back(c);
    std::stable_sort(list.begin(), list.end(), [&](TControl* x, TControl* y) { return before(a, x, y); });
    for (TControl* c : list) {
      const int w = Rect.right - Rect.left, h = Rect.bottom - Rect.top;
      switch (a) {
        case alTop:
          c->SetBounds(Rect.left, Rect.top, w, c->Height());
          Rect.top += c->Height();
          break;
        case alBottom:
          Rect.bottom -= c->Height();
          c->SetBounds(Rect.left, Rect.bottom, w, c->Height());
          break;
        case alLeft:
          c->SetBounds(Rect.left, Rect.top, c->Width(), h);
          Rect.left += c->Width();
          break;
        case alRight:
          Rect.right -= c->Width();
          c->SetBounds(Rect.right, Rect.top, c->Width(), h);
          break;
        default: c->SetBounds(Rect.left, Rect.top, w, h); break;
      }
    }
  }
}

// ---- children ----

TControl* TWinControl::Controls(int Index) const {
  if (Index < 0 || Index >= ControlCount()) TList::Error("リストのインデックスが範囲を超えています (%d)", Index);
  return controls_[static_cast<std::size_t>(Index)];
}

void TWinControl::InsertControl(TControl* AControl) {
  Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(AControl), 1);
  controls_.push_back(AControl);
  AControl->parent_ = this;
  auto* w = dynamic_cast<TWinControl*>(AControl);
  if (w) tab_list_.push_back(w);
  if (!AControl->ComponentState().Contains(csReading)) {
    AControl->ColorOrFontFromParent();
    if (w) {
      if (showing_ || handle_) w->UpdateShowing();
    } else {
      AControl->Invalidate();
    }
    if (AControl->Align() != alNone) Realign();
  }
  Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(AControl), 1);
}

void TWinControl::RemoveControl(TControl* AControl) {
  Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(AControl), 0);
  auto* w = dynamic_cast<TWinControl*>(AControl);
  const bool destroying = ComponentState().Contains(csDestroying);
  if (w) {
    if (!destroying)
      if (TCustomForm* f = GetParentForm(this)) f->DefocusControl(w, true);
    w->DestroyHandle();
  } else if (!destroying) {
    AControl->Invalidate();
  }
  controls_.erase(std::remove(controls_.begin(), controls_.end(), AControl), controls_.end());
  if (w) tab_list_.erase(std::remove(tab_list_.begin(), tab_list_.end(), w), tab_list_.end());
  AControl->parent_ = nullptr;
  Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(AControl), 0);
  if (!destroying && AControl->Align() != alNone) Realign();
}

bool TWinControl::ContainsControl(TControl* Control) const {
  for (TControl* c = Control; c; c = c->Parent())
    if (c == this) return true;
  return false;
}

TControl* TWinControl::ControlAtPos(const TPoint& Pos, bool AllowDisabled, bool AllowWinControls) {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    TControl* c = *it;
    if (!AllowWinControls && dynamic_cast<TWinControl*>(c)) continue;
    if (!c->Visible() && !ComponentState().Contains(csDesigning)) continue;
    if (!c->Enabled() && !AllowDisabled) continue;
    const RECT r = c->BoundsRect();
    if (!PtInRect(&r, Pos)) continue;
    const TPoint p{Pos.x - c->Left(), Pos.y - c->Top()};
    if (c->Perform(CM_HITTEST, 0, MAKELPARAM(static_cast<uint16_t>(p.x), static_cast<uint16_t>(p.y))) == 0) continue;
    return c;
  }
  return nullptr;
}

void TWinControl::SetZOrder(bool TopMost) {
  TControl::SetZOrder(TopMost);
  if (handle_)
    SetWindowPos(handle_, TopMost ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TWinControl::SetParent(TWinControl* AParent) {
  if (parent_ == AParent) return;
  TControl::SetParent(AParent);
}

void TWinControl::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) {
  for (TControl* c : controls_)
    if (c->Owner() == Root) Proc(c);
}

// ---- focus and keys ----

int TWinControl::TabOrder() const {
  if (!parent_) return -1;
  auto& l = parent_->tab_list_;
  auto it = std::find(l.begin(), l.end(), this);
  return it == l.end() ? -1 : static_cast<int>(it - l.begin());
}

void TWinControl::SetTabOrder(int Value) {
  if (!parent_) return;
  auto& l = parent_->tab_list_;
  auto it = std::find(l.begin(), l.end(), this);
  if (it == l.end()) return;
  l.erase(it);
  const int n = static_cast<int>(l.size());
  Value = Value < 0 || Value > n ? n : Value;
  l.insert(l.begin() + Value, this);
}

void TWinControl::SetTabStop(bool Value) {
  if (tab_stop_ == Value) return;
  tab_stop_ = Value;
  if (handle_) {
    LONG s = GetWindowLongA(handle_, GWL_STYLE);
    SetWindowLongA(handle_, GWL_STYLE, Value ? (s | WS_TABSTOP) : (s & ~static_cast<LONG>(WS_TABSTOP)));
  }
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& List) {
  for (TWinControl* c : tab_list_) {
    if (c->CanFocus() && c->TabStop()) List.push_back(c);
    c->GetTabOrderList(List);
  }
}

bool TWinControl::CanFocus() {
  TCustomForm* form = GetParentForm(this);
  if (!form) return false;
  for (TControl* c = this; c && c != form; c = c->Parent())
    if (!c->Visible() || !c->Enabled()) return false;
  return form->Visible() && form->Enabled();
}

bool TWinControl::Focused() { return handle_ && GetFocus() == handle_; }

void TWinControl::SetFocus() {
  if (TCustomForm* form = GetParentForm(this)) {
    form->FocusControl(this);
  } else if (parent_window_) {
    ::SetFocus(Handle());
  } else {
    throw EInvalidOperation(Format("コントロール '%s' には親ウィンドウがありません", {Name()}));
  }
}

void TWinControl::SelectFirst() {
  if (TWinControl* c = FindNextControl(nullptr, true, true)) c->SetFocus();
}

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop) {
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  // GetTabOrderList keeps only tab stops; arrow keys move among every focusable child.
  if (!CheckTabStop) {
    list.clear();
    std::function<void(TWinControl*)> all = [&](TWinControl* p) {
      for (TWinControl* c : p->tab_list_) {
        if (c->CanFocus()) list.push_back(c);
        all(c);
      }
    };
    all(this);
  }
  if (list.empty()) return nullptr;
  const std::ptrdiff_t n = static_cast<std::ptrdiff_t>(list.size());
  auto it = std::find(list.begin(), list.end(), CurControl);
  std::ptrdiff_t i = it == list.end() ? (GoForward ? -1 : 0) : it - list.begin();
  i = ((GoForward ? i + 1 : i - 1) % n + n) % n;
  TWinControl* next = list[static_cast<std::size_t>(i)];
  return next == CurControl ? nullptr : next;
}

void TWinControl::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop) {
  if (TWinControl* c = FindNextControl(CurControl, GoForward, CheckTabStop)) c->SetFocus();
}

void TWinControl::Broadcast(TMessage& Message) {
  const std::vector<TControl*> children = controls_;
  for (TControl* c : children) {
    if (std::find(controls_.begin(), controls_.end(), c) == controls_.end()) continue;
    Message.Result = c->Perform(Message.Msg, Message.WParam, Message.LParam);
    if (Message.Result != 0) return;
  }
}

void TWinControl::WMSetFocus(TMessage& Message) {
  DefaultHandler(Message);
  if (TCustomForm* form = GetParentForm(this)) form->SetFocusedControl(this);
}

void TWinControl::WMKillFocus(TMessage& Message) { DefaultHandler(Message); }

void TWinControl::DoEnter() {
  if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
  if (OnExit) OnExit(this);
}

void TWinControl::KeyDown(Word& Key, TShiftState Shift) {
  if (OnKeyDown) OnKeyDown(this, Key, Shift);
}

void TWinControl::KeyUp(Word& Key, TShiftState Shift) {
  if (OnKeyUp) OnKeyUp(this, Key, Shift);
}

void TWinControl::KeyPress(char& Key) {
  if (OnKeyPress) OnKeyPress(this, Key);
}

// Each Do* answers true when the key was taken (the form's preview or a handler zeroed it).
bool TWinControl::DoKey(TMessage& Message, bool (TWinControl::*Preview)(TMessage&),
                        void (TWinControl::*Handler)(Word&, TShiftState)) {
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview() && (form->*Preview)(Message)) return true;
  if (!control_style_.Contains(csNoStdEvents)) {
    Word key = static_cast<Word>(Message.WParam);
    (this->*Handler)(key, KeyDataToShiftState(Message.LParam));
    Message.WParam = key;
    if (key == 0) return true;
  }
  return false;
}

bool TWinControl::DoKeyDown(TMessage& Message) { return DoKey(Message, &TWinControl::DoKeyDown, &TWinControl::KeyDown); }
bool TWinControl::DoKeyUp(TMessage& Message) { return DoKey(Message, &TWinControl::DoKeyUp, &TWinControl::KeyUp); }

bool TWinControl::DoKeyPress(TMessage& Message) {
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview() && form->DoKeyPress(Message)) return true;
  if (!control_style_.Contains(csNoStdEvents)) {
    char ch = static_cast<char>(Message.WParam & 0xFF);
    KeyPress(ch);
    Message.WParam = (Message.WParam & ~static_cast<WPARAM>(0xFF)) | static_cast<uint8_t>(ch);
    if (ch == 0) return true;
  }
  return false;
}

void TWinControl::WMKeyDown(TMessage& Message) {
  if (!DoKeyDown(Message)) DefaultHandler(Message);
}

void TWinControl::WMKeyUp(TMessage& Message) {
  if (!DoKeyUp(Message)) DefaultHandler(Message);
}

void TWinControl::WMChar(TMessage& Message) {
  if (!DoKeyPress(Message)) DefaultHandler(Message);
}

namespace {
// A key bound to an item of the pop-up menus of the control and its parents, to the form's menu
// or actions, or to the main form's, runs that and is taken.
bool IsMenuKey(TWinControl* Self, TMessage& Message) {
  if (Self->ComponentState().Contains(csDesigning)) return false;
  const TShortCut key = ShortCut(static_cast<Word>(Message.WParam), KeyDataToShiftState(Message.LParam));
  for (TWinControl* c = Self; c; c = c->Parent())
    if (TPopupMenu* p = c->PopupMenu(); p && p->IsShortCut(key)) return true;
  TCustomForm* form = GetParentForm(Self);
  if (form && form->IsShortCut(Message)) return true;
  return Application && Application->HandleAllocated() &&
         SendMessageA(Application->Handle(), CM_APPKEYDOWN, Message.WParam, Message.LParam) != 0;
}
}  // namespace

// A key the application found before dispatching: the form may take it as a dialog key (Tab,
// arrows, Return, Escape) unless this window wants it. Result 1: taken.
void TWinControl::CNKeyDown(TMessage& Message) {
  Message.Result = 1;
  if (IsMenuKey(this, Message)) return;
  if (Perform(CM_CHILDKEY, Message.WParam, reinterpret_cast<LPARAM>(this)) != 0) return;
  LRESULT mask = 0;
  switch (Message.WParam) {
    case VK_TAB: mask = DLGC_WANTTAB; break;
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN: mask = DLGC_WANTARROWS; break;
    case VK_RETURN: case VK_EXECUTE: case VK_ESCAPE: case VK_CANCEL: mask = DLGC_WANTALLKEYS; break;
  }
  if (mask != 0 && Perform(CM_WANTSPECIALKEY, Message.WParam, 0) == 0 &&
      (Perform(WM_GETDLGCODE, 0, 0) & mask) == 0) {
    TCustomForm* form = GetParentForm(this);
    if (form && form->Perform(CM_DIALOGKEY, Message.WParam, Message.LParam) != 0) return;
  }
  Message.Result = 0;
}

// A character the window does not want may be a mnemonic: the form offers it to its controls.
void TWinControl::CNChar(TMessage& Message) {
  Message.Result = 1;
  if ((Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTCHARS) == 0) {
    TCustomForm* form = GetParentForm(this);
    if (form && form->Perform(CM_DIALOGCHAR, Message.WParam, Message.LParam) != 0) return;
  }
  Message.Result = 0;
}

void TWinControl::WMSetCursor(TMessage& Message) {
  if (reinterpret_cast<HWND>(Message.WParam) == handle_ && LOWORD(Message.LParam) == HTCLIENT) {
    TCursor cursor = Screen ? Screen->Cursor() : crDefault;
    if (cursor == crDefault) {
      POINT p;
      GetCursorPos(&p);
      ::ScreenToClient(handle_, &p);
      TControl* c = ControlAtPos(p, false);
      cursor = c ? c->Cursor() : crDefault;
      if (cursor == crDefault) cursor = Cursor();
    }
    if (cursor != crDefault) {
      ::SetCursor(Screen ? Screen->Cursors(cursor) : nullptr);
      Message.Result = 1;
      return;
    }
  }
  DefaultHandler(Message);
}

void TWinControl::WMNCDestroy(TMessage& Message) {
  DefaultHandler(Message);
  handle_ = nullptr;
  showing_ = false;
}

// ---- state changes reaching the window ----

void TWinControl::SetEnabled(bool Value) { TControl::SetEnabled(Value); }

void TWinControl::CMEnabledChangedWin(TMessage& Message) {
  if (!Enabled() && parent_)
    if (TCustomForm* f = GetParentForm(this)) f->DefocusControl(this, false);
  if (handle_) EnableWindow(handle_, Enabled() ? TRUE : FALSE);
  CMEnabledChanged(Message);
}

void TWinControl::CMColorChangedWin(TMessage& Message) {
  brush_->SetColor(Color());
  for (TControl* c : controls_) c->Perform(CM_PARENTCOLORCHANGED, 0, 0);
  CMColorChanged(Message);
}

// The window is made again with the reading-order styles; the children follow with
// ParentBiDiMode.
void TWinControl::CMBiDiModeChangedWin(TMessage& Message) {
  CMBiDiModeChanged(Message);
  if (Message.WParam == 0 && handle_) RecreateWnd();
  for (TControl* c : controls_) c->Perform(CM_PARENTBIDIMODECHANGED, 0, 0);
}

void TWinControl::CMFontChangedWin(TMessage& Message) {
  if (handle_) SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), 0);
  for (TControl* c : controls_) c->Perform(CM_PARENTFONTCHANGED, 0, 0);
  CMFontChanged(Message);
}

// ---------------------------------------------------------------------------------------------

TCustomForm* GetParentForm(TControl* Control) {
  while (Control && Control->Parent()) Control = Control->Parent();
  return dynamic_cast<TCustomForm*>(Control);
}

static const bool registered = DeclareClass<TWinControl, TControl>("TWinControl")
    .Integer("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder, Default(-1))
    .Boolean("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop, Default(0))
    .Event("OnEnter", &TWinControl::OnEnter)
    .Event("OnExit", &TWinControl::OnExit)
    .Event("OnKeyDown", &TWinControl::OnKeyDown)
    .Event("OnKeyPress", &TWinControl::OnKeyPress)
    .Event("OnKeyUp", &TWinControl::OnKeyUp)
    .Event("OnMouseWheel", &TWinControl::OnMouseWheel)
    .Done();
