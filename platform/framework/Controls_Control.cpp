// TControl: bounds, alignment requests, text, colours and fonts inherited from the parent,
// mouse bookkeeping and the message path.
#include <algorithm>
#include <cstring>

#include "Controls.h"
#include "Forms.h"
#include "TypInfo.h"
#include "winplat_user.h"

namespace {
// The graphic control that holds the mouse capture (its parent window holds the real one).
TControl* g_capture_control = nullptr;
}  // namespace

TControl* CaptureControlOf(HWND Window);

TShiftState KeysToShiftState(WORD Keys) {
  TShiftState s;
  if (Keys & MK_SHIFT) s.Include(ssShift);
  if (Keys & MK_CONTROL) s.Include(ssCtrl);
  if (Keys & MK_LBUTTON) s.Include(ssLeft);
  if (Keys & MK_RBUTTON) s.Include(ssRight);
  if (Keys & MK_MBUTTON) s.Include(ssMiddle);
  if (GetKeyState(VK_MENU) < 0) s.Include(ssAlt);
  return s;
}

TShiftState KeyDataToShiftState(LPARAM KeyData) {
  TShiftState s;
  if (GetKeyState(VK_SHIFT) < 0) s.Include(ssShift);
  if (GetKeyState(VK_CONTROL) < 0) s.Include(ssCtrl);
  if (KeyData & 0x20000000) s.Include(ssAlt);  // the context bit of a system key
  return s;
}

TShiftState CurrentShiftState() {
  TShiftState s;
  if (GetKeyState(VK_SHIFT) < 0) s.Include(ssShift);
  if (GetKeyState(VK_CONTROL) < 0) s.Include(ssCtrl);
  if (GetKeyState(VK_MENU) < 0) s.Include(ssAlt);
  if (GetKeyState(VK_LBUTTON) < 0) s.Include(ssLeft);
  if (GetKeyState(VK_RBUTTON) < 0) s.Include(ssRight);
  if (GetKeyState(VK_MBUTTON) < 0) s.Include(ssMiddle);
  return s;
}

AnsiString GetShortHint(const AnsiString& Hint) {
  const std::size_t bar = Hint.find('|');
  return bar == AnsiString::npos ? Hint : Hint.substr(0, bar);
}

AnsiString GetLongHint(const AnsiString& Hint) {
  const std::size_t bar = Hint.find('|');
  return bar == AnsiString::npos ? Hint : Hint.substr(bar + 1);
}

// The capture control when Window (the real capture) is its parent; else nullptr.
TControl* CaptureControlOf(HWND Window) {
  if (g_capture_control && g_capture_control->Parent() &&
      g_capture_control->Parent()->HandleAllocated() && g_capture_control->Parent()->Handle() == Window)
    return g_capture_control;
  return nullptr;
}

void ClearCaptureControl() { g_capture_control = nullptr; }

// ---------------------------------------------------------------------------------------------

TControl::TControl(TComponent* AOwner) : TComponent(AOwner), font_(std::make_unique<TFont>()) {
  window_proc_ = OwnWindowProc();
  control_style_ = {csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  font_->OnChange = [this](TObject* Sender) { FontChanged(Sender); };
}

TControl::~TControl() {
  Destroying();
  if (Application) Application->ControlDestroyed(this);
  if (g_capture_control == this) {
    g_capture_control = nullptr;
    ReleaseCapture();
  }
  action_link_.reset();
  SetParent(nullptr);
}

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam) {
  // The framework's own buffers are byte strings.
  winplat::user::AnsiCallScope ansi;
  TMessage m{Msg, WParam, LParam, 0};
  if (window_proc_) window_proc_(m);
  else WndProc(m);
  return m.Result;
}

void TControl::WndProc(TMessage& Message) {
  const UINT msg = Message.Msg;
  if (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) {
    if (!control_style_.Contains(csDoubleClicks)) {
      switch (msg) {
        case WM_LBUTTONDBLCLK: Message.Msg = WM_LBUTTONDOWN; break;
        case WM_RBUTTONDBLCLK: Message.Msg = WM_RBUTTONDOWN; break;
        case WM_MBUTTONDBLCLK: Message.Msg = WM_MBUTTONDOWN; break;
      }
    }
    if (msg == WM_MOUSEMOVE && Application) Application->HintMouseMessage(this, Message);
  }
  Dispatch(Message);
}

void TControl::DoMouseDown(TMessage& Message, TMouseButton Button, TShiftState Shift) {
  if (control_style_.Contains(csNoStdEvents)) return;
  MouseDown(Button, KeysToShiftState(static_cast<WORD>(Message.WParam)) + Shift, Message.XPos(), Message.YPos());
}

void TControl::DoMouseUp(TMessage& Message, TMouseButton Button) {
  if (control_style_.Contains(csNoStdEvents)) return;
  MouseUp(Button, KeysToShiftState(static_cast<WORD>(Message.WParam)), Message.XPos(), Message.YPos());
}

void TControl::Dispatch(TMessage& Message) {
  auto capture = [this](bool on) {
    if (!control_style_.Contains(csCaptureMouse)) return;
    auto* self_win = dynamic_cast<TWinControl*>(this);
    if (on) {
      if (self_win) {
        SetCapture(self_win->Handle());
      } else if (parent_ && parent_->HandleAllocated()) {
        SetCapture(parent_->Handle());
        g_capture_control = this;
      }
    } else {
      const bool mine = self_win ? (self_win->HandleAllocated() && GetCapture() == self_win->Handle())
                                 : g_capture_control == this;
      if (mine) {
        g_capture_control = nullptr;
        ReleaseCapture();
      }
    }
  };
  // Mouse messages reach the default handling first (a system class's own reaction), then
  // the framework's bookkeeping and events.
  switch (Message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      DefaultHandler(Message);
      if (Message.Msg == WM_LBUTTONDBLCLK) DblClick();
      capture(true);
      if (control_style_.Contains(csClickEvents)) control_state_.Include(csClicked);
      DoMouseDown(Message, mbLeft, Message.Msg == WM_LBUTTONDBLCLK ? TShiftState{ssDouble} : TShiftState{});
      return;
    }
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
      DefaultHandler(Message);
      DoMouseDown(Message, mbRight, Message.Msg == WM_RBUTTONDBLCLK ? TShiftState{ssDouble} : TShiftState{});
      return;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
      DefaultHandler(Message);
      DoMouseDown(Message, mbMiddle, Message.Msg == WM_MBUTTONDBLCLK ? TShiftState{ssDouble} : TShiftState{});
      return;
    case WM_LBUTTONUP: {
      DefaultHandler(Message);
      capture(false);
      if (control_state_.Contains(csClicked)) {
        control_state_.Exclude(csClicked);
        const TRect r = ClientRect();
        const POINT p{Message.XPos(), Message.YPos()};
        if (PtInRect(&r, p)) Click();
      }
      DoMouseUp(Message, mbLeft);
      return;
    }
    case WM_RBUTTONUP:
      DefaultHandler(Message);
      DoMouseUp(Message, mbRight);
      return;
    case WM_MBUTTONUP:
      DefaultHandler(Message);
      DoMouseUp(Message, mbMiddle);
      return;
    case WM_MOUSEMOVE:
      DefaultHandler(Message);
      if (!control_style_.Contains(csNoStdEvents))
        MouseMove(KeysToShiftState(static_cast<WORD>(Message.WParam)), Message.XPos(), Message.YPos());
      return;
    case WM_CANCELMODE:
      if (g_capture_control == this) capture(false);
      return;
    case CM_ENABLEDCHANGED: CMEnabledChanged(Message); return;
    case CM_VISIBLECHANGED: CMVisibleChanged(Message); return;
    case CM_COLORCHANGED: CMColorChanged(Message); return;
    case CM_FONTCHANGED: CMFontChanged(Message); return;
    case CM_PARENTCOLORCHANGED: CMParentColorChanged(Message); return;
    case CM_PARENTFONTCHANGED: CMParentFontChanged(Message); return;
    case CM_PARENTSHOWHINTCHANGED: CMParentShowHintChanged(Message); return;
    case CM_HINTSHOW: CMHintShow(Message); return;
    case CM_BIDIMODECHANGED: CMBiDiModeChanged(Message); return;
    case CM_PARENTBIDIMODECHANGED: CMParentBiDiModeChanged(Message); return;
    case CM_HITTEST: Message.Result = HTCLIENT; return;
    default: DefaultHandler(Message);
  }
}

void TControl::DefaultHandler(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETTEXT: {
      char* buf = reinterpret_cast<char*>(Message.LParam);
      const std::size_t max = static_cast<std::size_t>(Message.WParam);
      if (!buf || max == 0) {
        Message.Result = 0;
        return;
      }
      const std::size_t n = std::min(text_.size(), max - 1);
      std::memcpy(buf, text_.data(), n);
      buf[n] = '\0';
      Message.Result = static_cast<LRESULT>(n);
      return;
    }
    case WM_GETTEXTLENGTH: Message.Result = static_cast<LRESULT>(text_.size()); return;
    case WM_SETTEXT: {
      const char* s = reinterpret_cast<const char*>(Message.LParam);
      text_ = s ? AnsiString(s) : AnsiString();
      Message.Result = 1;
      return;
    }
    default: return;
  }
}

// ---- text ----

int TControl::GetTextLen() { return static_cast<int>(Perform(WM_GETTEXTLENGTH, 0, 0)); }

int TControl::GetTextBuf(char* Buffer, int BufSize) {
  return static_cast<int>(Perform(WM_GETTEXT, static_cast<WPARAM>(BufSize), reinterpret_cast<LPARAM>(Buffer)));
}

void TControl::SetTextBuf(const char* Buffer) {
  Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Buffer));
  Perform(CM_TEXTCHANGED, 0, 0);
}

AnsiString TControl::Text() {
  const int len = GetTextLen();
  if (len <= 0) return AnsiString();
  std::vector<char> buf(static_cast<std::size_t>(len) + 1, '\0');
  const int got = GetTextBuf(buf.data(), len + 1);
  // The length may over-report (a conversion between kinds): trust what was copied.
  return AnsiString(buf.data(), static_cast<std::size_t>(std::clamp(got, 0, len)));
}

void TControl::SetText(const AnsiString& Value) {
  if (Text() == Value) return;
  SetTextBuf(Value.c_str());
}

void TControl::SetName(const AnsiString& Value) {
  // A control whose text still is its name follows the new name (as a designer's control does).
  const AnsiString old = Name();
  const bool follow = control_style_.Contains(csSetCaption) && ComponentState().Contains(csDesigning) &&
                      !ComponentState().Contains(csLoading) && Text() == old;
  TComponent::SetName(Value);
  if (follow) SetText(Value);
}

// ---- bounds ----

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (ALeft == left_ && ATop == top_ && AWidth == width_ && AHeight == height_) return;
  const bool resized = AWidth != width_ || AHeight != height_;
  Invalidate();
  left_ = ALeft;
  top_ = ATop;
  width_ = AWidth;
  height_ = AHeight;
  Invalidate();
  Perform(WM_WINDOWPOSCHANGED, 0, 0);
  RequestAlign();
  if (resized && !ComponentState().Contains(csLoading)) Resize();
}

TRect TControl::ClientRect() { return Rect(0, 0, width_, height_); }

void TControl::SetClientWidth(int Value) { SetWidth(width_ - ClientWidth() + Value); }
void TControl::SetClientHeight(int Value) { SetHeight(height_ - ClientHeight() + Value); }

TPoint TControl::ClientOrigin() {
  if (!parent_) throw EInvalidOperation(Format("コントロール '%s' には親ウィンドウがありません", {Name()}));
  TPoint p = parent_->ClientOrigin();
  return Point(p.x + left_, p.y + top_);
}

TPoint TControl::ClientToScreen(const TPoint& Point) {
  const TPoint o = ClientOrigin();
  return ::Point(Point.x + o.x, Point.y + o.y);
}

TPoint TControl::ScreenToClient(const TPoint& Point) {
  const TPoint o = ClientOrigin();
  return ::Point(Point.x - o.x, Point.y - o.y);
}

void TControl::SetAlign(TAlign Value) {
  if (align_ == Value) return;
  align_ = Value;
  RequestAlign();
}

void TControl::RequestAlign() {
  if (parent_ && align_ != alNone) parent_->Realign();
}

void TControl::Resize() {
  if (OnResize) OnResize(this);
}

// ---- parent ----

void TControl::SetParent(TWinControl* AParent) {
  if (parent_ == AParent) return;
  if (AParent == this) throw EInvalidOperation("コントロールの親を自分自身に設定することはできません");
  if (parent_) parent_->RemoveControl(this);
  if (AParent) AParent->InsertControl(this);
}

TComponent* TControl::GetParentComponent() { return parent_; }

void TControl::SetParentComponent(TComponent* Value) {
  if (auto* w = dynamic_cast<TWinControl*>(Value)) SetParent(w);
}

bool TControl::IsVisibleOnScreen() const {
  for (const TControl* c = this; c; c = c->parent_)
    if (!c->visible_) return false;
  return true;
}

// ---- visibility and state ----

void TControl::SetVisible(bool Value) {
  if (visible_ == Value) return;
  VisibleChanging();
  visible_ = Value;
  Perform(CM_VISIBLECHANGED, Value ? 1 : 0, 0);
  RequestAlign();
}

void TControl::Show() {
  if (parent_) parent_->Show();
  SetVisible(true);
}

void TControl::Hide() { SetVisible(false); }

void TControl::CMVisibleChanged(TMessage&) {
  // A graphic control appears or disappears on its parent.
  if (parent_ && parent_->HandleAllocated()) {
    const TRect r = BoundsRect();
    InvalidateRect(parent_->Handle(), &r, TRUE);
  }
}

void TControl::SetEnabled(bool Value) {
  if (enabled_ == Value) return;
  enabled_ = Value;
  Perform(CM_ENABLEDCHANGED, 0, 0);
}

void TControl::SetShowHint(bool Value) {
  parent_show_hint_ = false;
  if (show_hint_ == Value) return;
  show_hint_ = Value;
  Perform(CM_SHOWHINTCHANGED, 0, 0);
}

void TControl::SetParentShowHint(bool Value) {
  if (parent_show_hint_ == Value) return;
  parent_show_hint_ = Value;
  if (parent_ && Value && !ComponentState().Contains(csReading)) Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
}

void TControl::CMParentShowHintChanged(TMessage&) {
  if (!parent_show_hint_ || !parent_) return;
  SetShowHint(parent_->ShowHint());
  parent_show_hint_ = true;
}

void TControl::SetCursor(TCursor Value) {
  if (cursor_ == Value) return;
  cursor_ = Value;
  Perform(CM_CURSORCHANGED, 0, 0);
}

void TControl::SetColor(TColor Value) {
  if (color_ == Value) return;
  color_ = Value;
  parent_color_ = false;
  Perform(CM_COLORCHANGED, 0, 0);
}

void TControl::SetParentColor(bool Value) {
  if (parent_color_ == Value) return;
  parent_color_ = Value;
  if (parent_ && Value && !ComponentState().Contains(csReading)) Perform(CM_PARENTCOLORCHANGED, 0, 0);
}

void TControl::CMParentColorChanged(TMessage& Message) {
  if (!parent_color_) return;
  if (Message.WParam != 0) SetColor(static_cast<TColor>(Message.LParam));
  else if (parent_) SetColor(parent_->Color());
  parent_color_ = true;
}

void TControl::FontChanged(TObject*) {
  parent_font_ = false;
  Perform(CM_FONTCHANGED, 0, 0);
}

void TControl::SetParentFont(bool Value) {
  if (parent_font_ == Value) return;
  parent_font_ = Value;
  if (parent_ && Value && !ComponentState().Contains(csReading)) Perform(CM_PARENTFONTCHANGED, 0, 0);
}

void TControl::CMParentFontChanged(TMessage& Message) {
  if (!parent_font_) return;
  if (Message.WParam != 0) SetFont(reinterpret_cast<TFont*>(Message.LParam));
  else if (parent_) SetFont(parent_->Font());
  parent_font_ = true;
}

void TControl::ColorOrFontFromParent() {
  if (!parent_) return;
  Perform(CM_PARENTCOLORCHANGED, 0, 0);
  Perform(CM_PARENTFONTCHANGED, 0, 0);
  Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
  Perform(CM_PARENTBIDIMODECHANGED, 0, 0);
}

// ---- reading order ----

void TControl::SetBiDiMode(TBiDiMode Value) {
  parent_bidi_mode_ = false;
  if (bidi_mode_ == Value) return;
  bidi_mode_ = Value;
  Perform(CM_BIDIMODECHANGED, 0, 0);
}

void TControl::SetParentBiDiMode(bool Value) {
  if (parent_bidi_mode_ == Value) return;
  parent_bidi_mode_ = Value;
  if (parent_ && Value && !ComponentState().Contains(csReading)) Perform(CM_PARENTBIDIMODECHANGED, 0, 0);
}

void TControl::CMBiDiModeChanged(TMessage& Message) {
  if (Message.WParam == 0) Invalidate();
}

void TControl::CMParentBiDiModeChanged(TMessage&) {
  if (!parent_bidi_mode_) return;
  if (parent_) SetBiDiMode(parent_->BiDiMode());
  parent_bidi_mode_ = true;
}

UINT TControl::DrawTextBiDiModeFlags(UINT Flags) const {
  if (UseRightToLeftAlignment()) {
    if ((Flags & DT_RIGHT) == DT_RIGHT) Flags &= ~static_cast<UINT>(DT_RIGHT);
    else if (!(Flags & DT_CENTER)) Flags |= DT_RIGHT;
  }
  return Flags | DrawTextBiDiModeFlagsReadingOnly();
}

// The action may refuse the hint or change its text (a custom action adds its shortcut).
void TControl::CMHintShow(TMessage& Message) {
  auto* info = reinterpret_cast<THintInfo*>(Message.LParam);
  Message.Result = 0;
  if (info && action_link_ && action_link_->Action() && !action_link_->Action()->DoShowHint(info->HintStr))
    Message.Result = 1;
}

bool TControl::ExecuteAction(TBasicAction* Action) {
  if (!Action || !Action->HandlesTarget(this)) return false;
  Action->ExecuteTarget(this);
  return true;
}

bool TControl::UpdateAction(TBasicAction* Action) {
  if (!Action || !Action->HandlesTarget(this)) return false;
  Action->UpdateTarget(this);
  return true;
}

void TControl::SetPopupMenu(TPopupMenu* Value) {
  popup_menu_ = Value;
  if (Value) FreeNotification(reinterpret_cast<TComponent*>(Value));
}

void TControl::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (reinterpret_cast<TComponent*>(popup_menu_) == AComponent) popup_menu_ = nullptr;
  if (action_link_ && action_link_->Action() == AComponent) action_link_.reset();
}

void TControl::Loaded() {
  TComponent::Loaded();
  if (action_link_ && action_link_->Action()) ActionChange(action_link_->Action(), true);
}

void TControl::ReadState(TReader* Reader) {
  control_state_.Include(csReadingState);
  if (auto* p = dynamic_cast<TWinControl*>(Reader->Parent())) SetParent(p);
  TComponent::ReadState(Reader);
  control_state_.Exclude(csReadingState);
  ColorOrFontFromParent();
}

// ---- painting and z-order ----

void TControl::Invalidate() {
  if (!parent_ || !parent_->HandleAllocated() || !visible_) return;
  const TRect r = BoundsRect();
  InvalidateRect(parent_->Handle(), &r, !control_style_.Contains(csOpaque));
}

void TControl::Update() {
  if (parent_) parent_->Update();
}

void TControl::Repaint() {
  Invalidate();
  Update();
}

void TControl::SetZOrder(bool TopMost) {
  if (!parent_) return;
  auto& list = parent_->controls_;
  auto it = std::find(list.begin(), list.end(), this);
  if (it == list.end()) return;
  list.erase(it);
  if (TopMost) list.push_back(this);
  else list.insert(list.begin(), this);
  Invalidate();
}

// ---- mouse and click events ----

void TControl::Click() {
  // A handler of its own wins; else the action runs.
  if (OnClick) OnClick(this);
  else if (action_link_ && action_link_->Action() && !ComponentState().Contains(csDesigning))
    action_link_->Execute(this);
}

void TControl::InitiateAction() {
  if (action_link_) action_link_->Update();
}

void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y) {
  if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

// ---- actions ----

TBasicAction* TControl::Action() const { return action_link_ ? action_link_->Action() : nullptr; }

TControlActionLinkClass TControl::GetActionLinkClass() {
  return [](TControl* c) { return new TControlActionLink(c); };
}

void TControl::SetAction(TBasicAction* Value) {
  if (!Value) {
    action_link_.reset();
    control_style_.Exclude(csActionClient);
    return;
  }
  control_style_.Include(csActionClient);
  if (!action_link_) action_link_.reset(GetActionLinkClass()(this));
  action_link_->SetAction(Value);
  action_link_->OnChange = [this](TObject* Sender) { DoActionChange(Sender); };
  ActionChange(Value, ComponentState().Contains(csLoading));
  Value->FreeNotification(this);
}

void TControl::DoActionChange(TObject* Sender) {
  if (action_link_ && Sender == action_link_->Action()) ActionChange(Sender, false);
}

// Takes the action's published Caption, Enabled, Hint and Visible (when it has them); with
// CheckDefaults only where this control still holds its default value.
void TControl::ActionChange(TObject* Sender, bool CheckDefaults) {
  auto* action = dynamic_cast<TBasicAction*>(Sender);
  if (!action) return;
  if (const TPropInfo* p = GetPropInfo(action, "Caption"))
    if (!CheckDefaults || Caption().empty() || Caption() == Name()) SetCaption(GetStrProp(action, p));
  if (const TPropInfo* p = GetPropInfo(action, "Enabled"))
    if (!CheckDefaults || Enabled()) SetEnabled(GetOrdProp(action, p) != 0);
  if (const TPropInfo* p = GetPropInfo(action, "Hint"))
    if (!CheckDefaults || Hint().empty()) SetHint(GetStrProp(action, p));
  if (const TPropInfo* p = GetPropInfo(action, "Visible"))
    if (!CheckDefaults || Visible()) SetVisible(GetOrdProp(action, p) != 0);
}

// ---------------------------------------------------------------------------------------------
// TControlActionLink.

TControlActionLink::TControlActionLink(TObject* AClient)
    : TBasicActionLink(AClient), client_(dynamic_cast<TControl*>(AClient)) {}

namespace {
bool StrLinked(TBasicAction* a, const char* name, const AnsiString& value) {
  if (!a) return false;
  const TPropInfo* p = GetPropInfo(a, name);
  return p && GetStrProp(a, p) == value;
}
bool OrdLinked(TBasicAction* a, const char* name, int64_t value) {
  if (!a) return false;
  const TPropInfo* p = GetPropInfo(a, name);
  return p && GetOrdProp(a, p) == value;
}
}  // namespace

bool TControlActionLink::IsCaptionLinked() { return client_ && StrLinked(action_, "Caption", client_->Caption()); }
bool TControlActionLink::IsEnabledLinked() { return client_ && OrdLinked(action_, "Enabled", client_->Enabled()); }
bool TControlActionLink::IsHintLinked() { return client_ && StrLinked(action_, "Hint", client_->Hint()); }
bool TControlActionLink::IsVisibleLinked() { return client_ && OrdLinked(action_, "Visible", client_->Visible()); }
// The client's Click runs its own OnClick before the action, so only the action's own handler
// in OnClick is the action's.
bool TControlActionLink::IsOnExecuteLinked() {
  if (!client_ || !action_) return false;
  const TPropInfo* execute = GetPropInfo(action_, "OnExecute");
  const TPropInfo* click = GetPropInfo(client_, "OnClick");
  if (!execute || !click || !execute->GetMethod || !click->GetMethod) return false;
  return GetMethodProp(client_, click) == GetMethodProp(action_, execute);
}

void TControlActionLink::SetCaption(const AnsiString& Value) {
  if (IsCaptionLinked() || (client_ && action_)) client_->SetCaption(Value);
}
void TControlActionLink::SetEnabled(bool Value) {
  if (client_ && action_) client_->SetEnabled(Value);
}
void TControlActionLink::SetHint(const AnsiString& Value) {
  if (client_ && action_) client_->SetHint(Value);
}
void TControlActionLink::SetVisible(bool Value) {
  if (client_ && action_) client_->SetVisible(Value);
}
// The client's Click runs the action through the link, so nothing is copied.
void TControlActionLink::SetOnExecute(const TNotifyEvent&) {}

bool TControl::IsCaptionStored() const { return !action_link_ || !action_link_->IsCaptionLinked(); }
bool TControl::IsEnabledStored() const { return !action_link_ || !action_link_->IsEnabledLinked(); }
bool TControl::IsHintStored() const { return !action_link_ || !action_link_->IsHintLinked(); }
bool TControl::IsVisibleStored() const { return !action_link_ || !action_link_->IsVisibleLinked(); }
bool TControl::IsOnClickStored() const { return !action_link_ || !action_link_->IsOnExecuteLinked(); }

// ---------------------------------------------------------------------------------------------

static const bool registered = DeclareClass<TControl, TComponent>("TControl")
    .Integer("Left", &TControl::Left, &TControl::SetLeft)
    .Integer("Top", &TControl::Top, &TControl::SetTop)
    .Integer("Width", &TControl::Width, &TControl::SetWidth)
    .Integer("Height", &TControl::Height, &TControl::SetHeight)
    .Enum("Align", {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient", "alCustom"},
          &TControl::Align, &TControl::SetAlign, Default(alNone))
    .String("Caption", &TControl::Caption, &TControl::SetCaption, &TControl::IsCaptionStored)
    .Component("Action", &TControl::Action, &TControl::SetAction)
    .Integer("Color", &TControl::Color, &TControl::SetColor, Default(clWindow),
             [](TControl* c) { return !c->ParentColor(); })
    .Idents(IdentToColor, ColorToIdent)
    .Boolean("ParentColor", &TControl::ParentColor, &TControl::SetParentColor, Default(1))
    .Object("Font", &TControl::Font, [](TControl* c) { return !c->ParentFont(); })
    .Boolean("ParentFont", &TControl::ParentFont, &TControl::SetParentFont, Default(1))
    .Enum("BiDiMode", {"bdLeftToRight", "bdRightToLeft", "bdRightToLeftNoAlign", "bdRightToLeftReadingOnly"},
          &TControl::BiDiMode, &TControl::SetBiDiMode, Default(bdLeftToRight),
          [](TControl* c) { return !c->ParentBiDiMode(); })
    .Boolean("ParentBiDiMode", &TControl::ParentBiDiMode, &TControl::SetParentBiDiMode, Default(1))
    .Integer("Cursor", [](TControl* c) { return static_cast<int>(c->Cursor()); },
             [](TControl* c, int v) { c->SetCursor(static_cast<TCursor>(v)); }, Default(crDefault))
    .Boolean("Enabled", &TControl::Enabled, &TControl::SetEnabled, Default(1), &TControl::IsEnabledStored)
    .String("Hint", &TControl::Hint, &TControl::SetHint, &TControl::IsHintStored)
    .Boolean("ShowHint", &TControl::ShowHint, &TControl::SetShowHint, NoDefault,
             [](TControl* c) { return !c->ParentShowHint(); })
    .Boolean("ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint, Default(1))
    .Boolean("Visible", &TControl::Visible, &TControl::SetVisible, Default(1), &TControl::IsVisibleStored)
    .Event("OnClick", &TControl::OnClick, &TControl::IsOnClickStored)
    .Event("OnDblClick", &TControl::OnDblClick)
    .Event("OnMouseDown", &TControl::OnMouseDown)
    .Event("OnMouseMove", &TControl::OnMouseMove)
    .Event("OnMouseUp", &TControl::OnMouseUp)
    .Event("OnResize", &TControl::OnResize)
    .Done();
