// Controls: the visual component classes. TControl (bounds, alignment, text, colours, fonts,
// mouse and key events, the message path WindowProc -> WndProc -> Dispatch -> DefaultHandler),
// TWinControl (a control with its own window), TCustomControl and TGraphicControl (controls that
// paint themselves), the control canvas, action links and the hint window.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include <windows.h>

#include "Classes.h"
#include "Graphics.h"
#include "SysUtils.h"
#include "System.h"
#include "Types.h"

class TControl;
class TWinControl;
class TCustomForm;
class TPopupMenu;  // Menus
class THintWindow;

// ---------------------------------------------------------------------------------------------
// The framework's own messages. Component notifications (CM_) are sent to controls; control
// notifications (CN_) are the window messages a parent reflects to the control they concern.
constexpr UINT CM_BASE = 0xB000;
constexpr UINT CM_ACTIVATE = CM_BASE + 0;
constexpr UINT CM_DEACTIVATE = CM_BASE + 1;
constexpr UINT CM_GOTFOCUS = CM_BASE + 2;
constexpr UINT CM_LOSTFOCUS = CM_BASE + 3;
constexpr UINT CM_CANCELMODE = CM_BASE + 4;
constexpr UINT CM_DIALOGKEY = CM_BASE + 5;
constexpr UINT CM_DIALOGCHAR = CM_BASE + 6;
constexpr UINT CM_FOCUSCHANGED = CM_BASE + 7;
constexpr UINT CM_PARENTFONTCHANGED = CM_BASE + 8;
constexpr UINT CM_PARENTCOLORCHANGED = CM_BASE + 9;
constexpr UINT CM_HITTEST = CM_BASE + 10;
constexpr UINT CM_VISIBLECHANGED = CM_BASE + 11;
constexpr UINT CM_ENABLEDCHANGED = CM_BASE + 12;
constexpr UINT CM_COLORCHANGED = CM_BASE + 13;
constexpr UINT CM_FONTCHANGED = CM_BASE + 14;
constexpr UINT CM_CURSORCHANGED = CM_BASE + 15;
constexpr UINT CM_CTL3DCHANGED = CM_BASE + 16;
constexpr UINT CM_PARENTCTL3DCHANGED = CM_BASE + 17;
constexpr UINT CM_TEXTCHANGED = CM_BASE + 18;
constexpr UINT CM_MOUSEENTER = CM_BASE + 19;
constexpr UINT CM_MOUSELEAVE = CM_BASE + 20;
constexpr UINT CM_MENUCHANGED = CM_BASE + 21;
constexpr UINT CM_APPKEYDOWN = CM_BASE + 22;
constexpr UINT CM_APPSYSCOMMAND = CM_BASE + 23;
constexpr UINT CM_BUTTONPRESSED = CM_BASE + 24;
constexpr UINT CM_SHOWINGCHANGED = CM_BASE + 25;
constexpr UINT CM_ENTER = CM_BASE + 26;
constexpr UINT CM_EXIT = CM_BASE + 27;
constexpr UINT CM_DESIGNHITTEST = CM_BASE + 28;
constexpr UINT CM_ICONCHANGED = CM_BASE + 29;
constexpr UINT CM_WANTSPECIALKEY = CM_BASE + 30;
constexpr UINT CM_INVOKEHELP = CM_BASE + 31;
constexpr UINT CM_WINDOWHOOK = CM_BASE + 32;
constexpr UINT CM_RELEASE = CM_BASE + 33;
constexpr UINT CM_SHOWHINTCHANGED = CM_BASE + 34;
constexpr UINT CM_PARENTSHOWHINTCHANGED = CM_BASE + 35;
constexpr UINT CM_SYSCOLORCHANGE = CM_BASE + 36;
constexpr UINT CM_WININICHANGE = CM_BASE + 37;
constexpr UINT CM_FONTCHANGE = CM_BASE + 38;
constexpr UINT CM_TIMECHANGE = CM_BASE + 39;
constexpr UINT CM_TABSTOPCHANGED = CM_BASE + 40;
constexpr UINT CM_UIACTIVATE = CM_BASE + 41;
constexpr UINT CM_UIDEACTIVATE = CM_BASE + 42;
constexpr UINT CM_DOCWINDOWACTIVATE = CM_BASE + 43;
constexpr UINT CM_CONTROLLISTCHANGE = CM_BASE + 44;
constexpr UINT CM_GETDATALINK = CM_BASE + 45;
constexpr UINT CM_CHILDKEY = CM_BASE + 46;
constexpr UINT CM_DRAG = CM_BASE + 47;
constexpr UINT CM_HINTSHOW = CM_BASE + 48;
constexpr UINT CM_DIALOGHANDLE = CM_BASE + 49;
constexpr UINT CM_ISTOOLCONTROL = CM_BASE + 50;
constexpr UINT CM_RECREATEWND = CM_BASE + 51;
constexpr UINT CM_INVALIDATE = CM_BASE + 52;
constexpr UINT CM_SYSFONTCHANGED = CM_BASE + 53;
constexpr UINT CM_CONTROLCHANGE = CM_BASE + 54;
constexpr UINT CM_CHANGED = CM_BASE + 55;
constexpr UINT CM_DOCKCLIENT = CM_BASE + 56;
constexpr UINT CM_UNDOCKCLIENT = CM_BASE + 57;
constexpr UINT CM_FLOAT = CM_BASE + 58;
constexpr UINT CM_BORDERCHANGED = CM_BASE + 59;
constexpr UINT CM_BIDIMODECHANGED = CM_BASE + 60;
constexpr UINT CM_PARENTBIDIMODECHANGED = CM_BASE + 61;
constexpr UINT CM_ALLCHILDRENFLIPPED = CM_BASE + 62;
constexpr UINT CM_ACTIONUPDATE = CM_BASE + 63;
constexpr UINT CM_ACTIONEXECUTE = CM_BASE + 64;
constexpr UINT CM_HINTSHOWPAUSE = CM_BASE + 65;
constexpr UINT CM_DOCKNOTIFICATION = CM_BASE + 66;
constexpr UINT CM_MOUSEWHEEL = CM_BASE + 67;
constexpr UINT CM_ISSHORTCUT = CM_BASE + 68;

constexpr UINT CN_BASE = 0xBC00;
constexpr UINT CN_CHARTOITEM = CN_BASE + WM_CHARTOITEM;
constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND;
constexpr UINT CN_COMPAREITEM = CN_BASE + WM_COMPAREITEM;
constexpr UINT CN_CTLCOLORBTN = CN_BASE + WM_CTLCOLORBTN;
constexpr UINT CN_CTLCOLORDLG = CN_BASE + WM_CTLCOLORDLG;
constexpr UINT CN_CTLCOLOREDIT = CN_BASE + WM_CTLCOLOREDIT;
constexpr UINT CN_CTLCOLORLISTBOX = CN_BASE + WM_CTLCOLORLISTBOX;
constexpr UINT CN_CTLCOLORMSGBOX = CN_BASE + WM_CTLCOLORMSGBOX;
constexpr UINT CN_CTLCOLORSCROLLBAR = CN_BASE + WM_CTLCOLORSCROLLBAR;
constexpr UINT CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC;
constexpr UINT CN_DELETEITEM = CN_BASE + WM_DELETEITEM;
constexpr UINT CN_DRAWITEM = CN_BASE + WM_DRAWITEM;
constexpr UINT CN_HSCROLL = CN_BASE + WM_HSCROLL;
constexpr UINT CN_MEASUREITEM = CN_BASE + WM_MEASUREITEM;
constexpr UINT CN_PARENTNOTIFY = CN_BASE + WM_PARENTNOTIFY;
constexpr UINT CN_VKEYTOITEM = CN_BASE + WM_VKEYTOITEM;
constexpr UINT CN_VSCROLL = CN_BASE + WM_VSCROLL;
constexpr UINT CN_KEYDOWN = CN_BASE + WM_KEYDOWN;
constexpr UINT CN_KEYUP = CN_BASE + WM_KEYUP;
constexpr UINT CN_CHAR = CN_BASE + WM_CHAR;
constexpr UINT CN_SYSKEYDOWN = CN_BASE + WM_SYSKEYDOWN;
constexpr UINT CN_SYSCHAR = CN_BASE + WM_SYSCHAR;
constexpr UINT CN_NOTIFY = CN_BASE + WM_NOTIFY;

// ---------------------------------------------------------------------------------------------
// A message as it travels through a control. Result is what the window procedure answers.
struct TMessage {
  UINT Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  LRESULT Result = 0;
  uint16_t WParamLo() const { return LOWORD(WParam); }
  uint16_t WParamHi() const { return HIWORD(WParam); }
  uint16_t LParamLo() const { return LOWORD(LParam); }
  uint16_t LParamHi() const { return HIWORD(LParam); }
  // Mouse messages: the signed client coordinates in LParam.
  int XPos() const { return static_cast<int16_t>(LOWORD(LParam)); }
  int YPos() const { return static_cast<int16_t>(HIWORD(LParam)); }
};

// A method value: a callable with an identity (the object and the method), so that it can be
// stored, compared, chained and put back, as a subclasser of a control's WindowProc needs.
// Two values made from the same method of the same object compare equal.
template <class Sig>
class TMethodValue;
template <class R, class... A>
class TMethodValue<R(A...)> {
 public:
  TMethodValue() = default;
  // A value with an explicit identity (Data and Code) calling Fn.
  TMethodValue(void* Data, const void* Code, std::function<R(A...)> Fn)
      : data_(Data), code_(Code), fn_(std::move(Fn)) {}
  // The member function M of Object; virtual functions dispatch when called.
  template <auto M, class T>
  static TMethodValue Of(T* Object) {
    return TMethodValue(static_cast<void*>(Object), &kTag<M>,
                        [Object](A... a) -> R { return (Object->*M)(std::forward<A>(a)...); });
  }
  R operator()(A... a) const { return fn_(std::forward<A>(a)...); }
  explicit operator bool() const { return static_cast<bool>(fn_); }
  bool operator==(const TMethodValue& o) const { return data_ == o.data_ && code_ == o.code_; }
  void* Data() const { return data_; }
  const void* Code() const { return code_; }

 private:
  template <auto M>
  static constexpr char kTag = 0;
  void* data_ = nullptr;
  const void* code_ = nullptr;
  std::function<R(A...)> fn_;
};

using TWndMethod = TMethodValue<void(TMessage&)>;

// A window procedure that calls Method with the message (the framework's object instance). Its
// kind (ANSI or Unicode) follows the call that installs it. Free it with FreeObjectInstance.
WNDPROC MakeObjectInstance(TWndMethod Method);
void FreeObjectInstance(WNDPROC ObjectInstance);
// A hidden window of the framework's utility class whose messages go to Method (messages go to
// DefWindowProc when Method is empty). DeallocateHWnd destroys it and frees its procedure.
HWND AllocateHWnd(TWndMethod Method);
void DeallocateHWnd(HWND Wnd);

// ---------------------------------------------------------------------------------------------
// Enumerations and events.
enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
enum TMouseButton { mbLeft, mbRight, mbMiddle };
enum TShiftStateItem { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftStateItem>;

using TCursor = int16_t;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crDrag = -12;
constexpr TCursor crNoDrop = -13;
constexpr TCursor crHSplit = -14;
constexpr TCursor crVSplit = -15;
constexpr TCursor crMultiDrag = -16;
constexpr TCursor crSQLWait = -17;
constexpr TCursor crNo = -18;
constexpr TCursor crAppStart = -19;
constexpr TCursor crHelp = -20;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;
constexpr TCursor crSize = crSizeAll;

enum TControlStateItem {
  csLButtonDown, csClicked, csPalette, csReadingState, csAlignmentNeeded, csFocusing, csCreating,
  csPaintCopy, csCustomPaint, csDestroyingHandle, csDocking
};
using TControlState = TSet<TControlStateItem>;
enum TControlStyleItem {
  csAcceptsControls, csCaptureMouse, csDesignInteractive, csClickEvents, csFramed, csSetCaption,
  csOpaque, csDoubleClicks, csFixedWidth, csFixedHeight, csNoDesignVisible, csReplicatable,
  csNoStdEvents, csDisplayDragImage, csReflector, csActionClient, csMenuEvents
};
using TControlStyle = TSet<TControlStyleItem>;

using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TKeyEvent = std::function<void(TObject* Sender, Word& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char& Key)>;
using TMouseWheelEvent = std::function<void(TObject* Sender, TShiftState Shift, int WheelDelta,
                                            TPoint MousePos, bool& Handled)>;

// The shift state of a mouse message's key flags, and of the keyboard now.
TShiftState KeysToShiftState(WORD Keys);
TShiftState KeyDataToShiftState(LPARAM KeyData);
TShiftState CurrentShiftState();

// ---------------------------------------------------------------------------------------------
// Action links: a control's link to the action that drives its caption, enabled state, hint,
// visibility and click. The action classes themselves live in ActnList.
class TControlActionLink : public TBasicActionLink {
 public:
  explicit TControlActionLink(TObject* AClient);
  TControl* Client() const { return client_; }
  // Whether the client's property follows the action: the action is assigned, publishes the
  // property, and both hold the same value (OnClick: the same handler as the action's
  // OnExecute).
  virtual bool IsCaptionLinked();
  virtual bool IsEnabledLinked();
  virtual bool IsHintLinked();
  virtual bool IsVisibleLinked();
  virtual bool IsOnExecuteLinked();
  // The action's values reach the client through these (when linked).
  virtual void SetCaption(const AnsiString& Value);
  virtual void SetEnabled(bool Value);
  virtual void SetHint(const AnsiString& Value);
  virtual void SetVisible(bool Value);
  virtual void SetOnExecute(const TNotifyEvent& Value);

 protected:
  TControl* client_;
};
using TControlActionLinkClass = std::function<TControlActionLink*(TControl* Client)>;

// ---------------------------------------------------------------------------------------------
// Hints: what a control tells before its hint shows (CM_HINTSHOW carries a pointer to this).
struct THintInfo;
using THintWindowClass = std::function<THintWindow*(TComponent* AOwner)>;
struct THintInfo {
  TControl* HintControl = nullptr;
  THintWindowClass HintWindowClass;
  TPoint HintPos{0, 0};      // screen position of the hint window
  int HintMaxWidth = 0;
  TColor HintColor = clInfoBk;
  TRect CursorRect{0, 0, 0, 0};  // client coordinates of HintControl
  TPoint CursorPos{0, 0};    // client coordinates of HintControl
  int ReshowTimeout = 0;
  int HideTimeout = 0;
  AnsiString HintStr;
  void* HintData = nullptr;
};

// The text of Hint before the first "|" (all of it when there is none), and after it.
AnsiString GetShortHint(const AnsiString& Hint);
AnsiString GetLongHint(const AnsiString& Hint);

// ---------------------------------------------------------------------------------------------
// TControl.
class TControl : public TComponent {
 public:
  explicit TControl(TComponent* AOwner);
  ~TControl() override;

  // Message path: Perform and the window procedure call WindowProc (by default WndProc), which
  // handles the mouse and key bookkeeping and passes the message to Dispatch; Dispatch runs the
  // handler of the message number, or DefaultHandler when the class has none.
  const TWndMethod& WindowProc() const { return window_proc_; }
  void SetWindowProc(const TWndMethod& Value) { window_proc_ = Value; }
  // The control's own handler, the default of WindowProc.
  TWndMethod OwnWindowProc() { return TWndMethod::Of<&TControl::WndProc>(this); }
  virtual void WndProc(TMessage& Message);
  virtual void Dispatch(TMessage& Message);
  virtual void DefaultHandler(TMessage& Message);
  LRESULT Perform(UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);

  // Bounds, in the parent's client coordinates.
  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetLeft(int Value) { SetBounds(Value, top_, width_, height_); }
  void SetTop(int Value) { SetBounds(left_, Value, width_, height_); }
  void SetWidth(int Value) { SetBounds(left_, top_, Value, height_); }
  void SetHeight(int Value) { SetBounds(left_, top_, width_, Value); }
  virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
  TRect BoundsRect() const { return Bounds(left_, top_, width_, height_); }
  void SetBoundsRect(const TRect& R) { SetBounds(R.left, R.top, R.right - R.left, R.bottom - R.top); }
  virtual TRect ClientRect();
  int ClientWidth() { return ClientRect().right; }
  int ClientHeight() { return ClientRect().bottom; }
  void SetClientWidth(int Value);
  void SetClientHeight(int Value);
  virtual TPoint ClientOrigin();
  TPoint ClientToScreen(const TPoint& Point);
  TPoint ScreenToClient(const TPoint& Point);

  TAlign Align() const { return align_; }
  void SetAlign(TAlign Value);

  TWinControl* Parent() const { return parent_; }
  virtual void SetParent(TWinControl* AParent);

  bool Visible() const { return visible_; }
  virtual void SetVisible(bool Value);
  void Show();
  void Hide();
  virtual bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool Value);

  // Text goes through WM_GETTEXTLENGTH/WM_GETTEXT/WM_SETTEXT, so subclassers see it.
  AnsiString Text();
  void SetText(const AnsiString& Value);
  AnsiString Caption() { return Text(); }
  void SetCaption(const AnsiString& Value) { SetText(Value); }
  int GetTextLen();
  int GetTextBuf(char* Buffer, int BufSize);
  void SetTextBuf(const char* Buffer);

  const AnsiString& Hint() const { return hint_; }
  void SetHint(const AnsiString& Value) { hint_ = Value; }
  bool ShowHint() const { return show_hint_; }
  void SetShowHint(bool Value);
  bool ParentShowHint() const { return parent_show_hint_; }
  void SetParentShowHint(bool Value);
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor Value);
  TColor Color() const { return color_; }
  void SetColor(TColor Value);
  bool ParentColor() const { return parent_color_; }
  void SetParentColor(bool Value);
  TFont* Font() const { return font_.get(); }
  void SetFont(TFont* Value) { font_->Assign(Value); }
  bool ParentFont() const { return parent_font_; }
  void SetParentFont(bool Value);
  TPopupMenu* PopupMenu() const { return popup_menu_; }
  void SetPopupMenu(TPopupMenu* Value);
  // Reading order; a control with ParentBiDiMode takes its parent's (setting it turns that off).
  TBiDiMode BiDiMode() const { return bidi_mode_; }
  void SetBiDiMode(TBiDiMode Value);
  bool ParentBiDiMode() const { return parent_bidi_mode_; }
  void SetParentBiDiMode(bool Value);
  bool IsRightToLeft() const { return bidi_mode_ != bdLeftToRight; }
  bool UseRightToLeftReading() const { return bidi_mode_ != bdLeftToRight; }
  bool UseRightToLeftAlignment() const { return bidi_mode_ == bdRightToLeft; }
  bool UseRightToLeftScrollBar() const { return bidi_mode_ == bdRightToLeft || bidi_mode_ == bdRightToLeftNoAlign; }
  // DrawText flags for this control's text: with a mirrored alignment left and right are
  // exchanged (centred text stays), and right-to-left reading adds DT_RTLREADING.
  UINT DrawTextBiDiModeFlags(UINT Flags) const;
  UINT DrawTextBiDiModeFlagsReadingOnly() const { return UseRightToLeftReading() ? DT_RTLREADING : 0; }

  TControlState ControlState() const { return control_state_; }
  void SetControlState(TControlState Value) { control_state_ = Value; }
  TControlStyle ControlStyle() const { return control_style_; }
  void SetControlStyle(TControlStyle Value) { control_style_ = Value; }

  // The action that drives this control (nullptr: none); the link is made on first assignment.
  TBasicAction* Action() const;
  void SetAction(TBasicAction* Value);
  TControlActionLink* ActionLink() const { return action_link_.get(); }
  // Stored tests of the published properties an action can supply: a value the action link
  // gives the control is the action's, not written with the control.
  bool IsCaptionStored() const;
  bool IsEnabledStored() const;
  bool IsHintStored() const;
  bool IsVisibleStored() const;
  bool IsOnClickStored() const;

  virtual void Invalidate();
  virtual void Repaint();
  virtual void Update();
  void Refresh() { Repaint(); }
  void BringToFront() { SetZOrder(true); }
  void SendToBack() { SetZOrder(false); }
  virtual void Click();
  // Asks the action link (if any) to update the control from its action.
  void InitiateAction();
  // Runs (updates) Action on this control when the action handles it as a target.
  virtual bool ExecuteAction(TBasicAction* Action);
  virtual bool UpdateAction(TBasicAction* Action);
  // Whether the control shows now: visible, and every parent visible.
  bool IsVisibleOnScreen() const;

  bool HasParent() override { return true; }
  TComponent* GetParentComponent() override;
  void SetParentComponent(TComponent* Value) override;

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;
  TNotifyEvent OnResize;

 protected:
  friend class TWinControl;
  friend class TControlActionLink;
  virtual void DblClick();
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseMove(TShiftState Shift, int X, int Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void Resize();
  virtual void SetZOrder(bool TopMost);
  virtual void VisibleChanging() {}
  // Called when the control's text changed (after CM_TEXTCHANGED reached it).
  virtual void SetName(const AnsiString& Value) override;
  virtual void ActionChange(TObject* Sender, bool CheckDefaults);
  virtual TControlActionLinkClass GetActionLinkClass();
  void DoActionChange(TObject* Sender);
  // Asks the parent to realign its children (for a control with an alignment).
  void RequestAlign();
  void Loaded() override;
  void ReadState(TReader* Reader) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  TWinControl* ParentWinForPaint() const { return parent_; }
  // Whether Parent's font/colour now reach this control.
  void UpdateBoundsFromParentChange() {}

  // Message handlers (called from Dispatch).
  void WMLButtonDown(TMessage& M) { DoMouseDown(M, mbLeft, {}); }
  void DoMouseDown(TMessage& Message, TMouseButton Button, TShiftState Shift);
  void DoMouseUp(TMessage& Message, TMouseButton Button);
  void CMEnabledChanged(TMessage& Message) { Invalidate(); }
  void CMVisibleChanged(TMessage& Message);
  void CMColorChanged(TMessage& Message) { Invalidate(); }
  void CMFontChanged(TMessage& Message) { Invalidate(); }
  void CMParentColorChanged(TMessage& Message);
  void CMParentFontChanged(TMessage& Message);
  void CMParentShowHintChanged(TMessage& Message);
  void CMHintShow(TMessage& Message);
  void CMBiDiModeChanged(TMessage& Message);
  void CMParentBiDiModeChanged(TMessage& Message);

  AnsiString text_;  // the text while the control has no window (always, for graphic controls)
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  bool visible_ = true;
  bool enabled_ = true;
  TControlState control_state_;
  TControlStyle control_style_;

 private:
  void FontChanged(TObject* Sender);
  void ColorOrFontFromParent();

  TWndMethod window_proc_;
  TWinControl* parent_ = nullptr;
  TAlign align_ = alNone;
  AnsiString hint_;
  bool show_hint_ = false;
  bool parent_show_hint_ = true;
  TCursor cursor_ = crDefault;
  TColor color_ = clWindow;
  bool parent_color_ = true;
  std::unique_ptr<TFont> font_;
  bool parent_font_ = true;
  TBiDiMode bidi_mode_ = bdLeftToRight;
  bool parent_bidi_mode_ = true;
  TPopupMenu* popup_menu_ = nullptr;
  std::unique_ptr<TControlActionLink> action_link_;
};

// ---------------------------------------------------------------------------------------------
// TWinControl.
// The parameters a control's window is made with. WindowClass is the class record (its
// procedure is the one the framework's class is subclassed from); WinClassName is the name the
// framework registers the class under (the control's class name by default).
struct TCreateParams {
  const char* Caption = nullptr;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  int X = 0, Y = 0, Width = 0, Height = 0;
  HWND WndParent = nullptr;
  void* Param = nullptr;
  WNDCLASSA WindowClass{};
  char WinClassName[64] = {};
};

class TWinControl : public TControl {
 public:
  explicit TWinControl(TComponent* AOwner);
  // A control placed in a window that is not a framework control (ParentWindow).
  static TWinControl* CreateParented(HWND ParentWindow);
  ~TWinControl() override;

  // The window, made on first use (with the parents' windows first).
  HWND Handle();
  bool HandleAllocated() const { return handle_ != nullptr; }
  void HandleNeeded();
  HWND ParentWindow() const { return parent_window_; }
  void SetParentWindow(HWND Value);

  // The control's default window procedure (that of the class it subclasses, else
  // DefWindowProcA). DefaultHandler calls it with the messages nobody handled.
  WNDPROC DefWndProc() const { return def_wnd_proc_; }
  void SetDefWndProc(WNDPROC Value) { def_wnd_proc_ = Value; }
  // The object instance installed as the window's procedure: it calls MainWndProc.
  WNDPROC ObjectInstance() const { return object_instance_; }
  // The window procedure's entry: WindowProc, with exceptions passed to the application.
  void MainWndProc(TMessage& Message);

  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;

  // Children (controls whose Parent is this one), in z-order from the bottom.
  int ControlCount() const { return static_cast<int>(controls_.size()); }
  TControl* Controls(int Index) const;
  void InsertControl(TControl* AControl);
  void RemoveControl(TControl* AControl);
  bool ContainsControl(TControl* Control) const;
  // The topmost visible child at client point Pos (graphic controls only unless AllowWinControls).
  TControl* ControlAtPos(const TPoint& Pos, bool AllowDisabled, bool AllowWinControls = false);

  int TabOrder() const;
  void SetTabOrder(int Value);
  bool TabStop() const { return tab_stop_; }
  void SetTabStop(bool Value);
  virtual bool CanFocus();
  virtual bool Focused();
  virtual void SetFocus();
  // The children that take the focus, in tab order (recursively).
  void GetTabOrderList(std::vector<TWinControl*>& List);
  // Moves the focus from CurControl to the next (previous) control in tab order among this
  // control's children, wrapping; CheckTabStop: only controls with TabStop.
  void SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop);
  // The control after (before) CurControl in tab order, or nullptr.
  TWinControl* FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop);
  // Whether the window shows: visible, with every parent showing.
  bool Showing() const { return showing_; }

  void DisableAlign();
  void EnableAlign();
  void Realign();

  TBrush* Brush() const { return brush_.get(); }
  TRect ClientRect() override;
  TPoint ClientOrigin() override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void Invalidate() override;
  void Repaint() override;
  void Update() override;
  void SetParent(TWinControl* AParent) override;
  void SetEnabled(bool Value) override;
  // Paints the window (BeginPaint unless the message carries a DC) and then its graphic children.
  void PaintHandler(TMessage& Message);
  // Draws the graphic children on DC (the window's client coordinates) from First upward.
  void PaintControls(HDC DC, TControl* First);
  void RecreateWnd();
  void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override;

  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  TKeyEvent OnKeyDown;
  TKeyPressEvent OnKeyPress;
  TKeyEvent OnKeyUp;
  TMouseWheelEvent OnMouseWheel;

 protected:
  friend class TControl;
  friend LRESULT CALLBACK InitWndProc(HWND, UINT, WPARAM, LPARAM);
  virtual void CreateParams(TCreateParams& Params);
  // Fills Params.WindowClass from the system class ClassName; its procedure becomes DefWndProc.
  void CreateSubClass(TCreateParams& Params, const char* ClassName);
  virtual void CreateWnd();
  virtual void CreateWindowHandle(const TCreateParams& Params);
  virtual void CreateHandle();
  virtual void DestroyWnd();
  virtual void DestroyWindowHandle();
  void DestroyHandle();
  // Handles the creation-time messages the window sends before WindowProc is consulted.
  virtual void PaintWindow(HDC DC);
  virtual void AlignControls(TControl* AControl, TRect& Rect);
  void SetZOrder(bool TopMost) override;
  void UpdateShowing();
  virtual void DoEnter();
  virtual void DoExit();
  virtual void KeyDown(Word& Key, TShiftState Shift);
  virtual void KeyUp(Word& Key, TShiftState Shift);
  virtual void KeyPress(char& Key);
  bool DoKeyDown(TMessage& Message);
  bool DoKeyUp(TMessage& Message);
  bool DoKeyPress(TMessage& Message);
  // The form's preview (Preview on the form), then Handler with the key of the message.
  bool DoKey(TMessage& Message, bool (TWinControl::*Preview)(TMessage&),
             void (TWinControl::*Handler)(Word&, TShiftState));
  // Whether this window takes the key itself (rather than as a dialog key).
  virtual bool IsControlMouseMsg(TMessage& Message);
  void SetWindowHandle(HWND Value) { handle_ = Value; }
  void SelectFirst();
  // Sends Message to every child until one answers it (non-zero result).
  void Broadcast(TMessage& Message);
  // Windows that are not framework controls (a subclassed system class) paint themselves. Decided
  // when the window is made: a subclasser may put another default procedure in place later.
  bool HasOwnPainting() const { return own_painting_; }

  void WMPaint(TMessage& Message);
  void WMEraseBkgnd(TMessage& Message);
  void WMSize(TMessage& Message);
  void WMMove(TMessage& Message);
  void WMWindowPosChanged(TMessage& Message);
  void WMSetFocus(TMessage& Message);
  void WMKillFocus(TMessage& Message);
  void WMKeyDown(TMessage& Message);
  void WMKeyUp(TMessage& Message);
  void WMChar(TMessage& Message);
  void WMSetCursor(TMessage& Message);
  void WMCommand(TMessage& Message);
  void WMNotify(TMessage& Message);
  void WMNCDestroy(TMessage& Message);
  void CMShowingChanged(TMessage& Message);
  void CMEnabledChangedWin(TMessage& Message);
  void CMColorChangedWin(TMessage& Message);
  void CMFontChangedWin(TMessage& Message);
  void CMBiDiModeChangedWin(TMessage& Message);
  void CNKeyDown(TMessage& Message);
  void CNChar(TMessage& Message);

  HWND handle_ = nullptr;

 private:
  void UpdateBounds();
  void AlignAll();

  HWND parent_window_ = nullptr;
  WNDPROC def_wnd_proc_ = nullptr;
  bool own_painting_ = false;
  WNDPROC object_instance_ = nullptr;
  std::vector<TControl*> controls_;
  std::vector<TWinControl*> tab_list_;
  std::unique_ptr<TBrush> brush_;
  bool tab_stop_ = false;
  bool showing_ = false;
  int align_level_ = 0;
  bool realigning_ = false;
};

// The framework control a window belongs to, or nullptr.
TWinControl* FindControl(HWND Handle);
// The form a control is placed on (the topmost parent when it is a form), or nullptr.
TCustomForm* GetParentForm(TControl* Control);
// The framework's window class procedure: binds a new window to the control being created.
LRESULT CALLBACK InitWndProc(HWND HWnd, UINT Msg, WPARAM WParam, LPARAM LParam);
// The control whose window is being created (set by CreateWnd until the window's first message).
extern TWinControl* CreationControl;

// ---------------------------------------------------------------------------------------------
// A canvas on a control's device context: its own window's DC for a windowed control, the
// parent's DC clipped to the control for a graphic one. The DC is taken on first drawing and
// released by FreeHandle (or when the control's window goes away).
class TControlCanvas : public TCanvas {
 public:
  TControlCanvas() = default;
  ~TControlCanvas() override;
  TControl* Control() const { return control_; }
  void SetControl(TControl* Value);
  void FreeHandle();
  // Runs Paint with the canvas on DC (a paint message's DC), then lets the DC go again.
  void PaintOn(HDC DC, const std::function<void()>& Paint);

 protected:
  void CreateHandle() override;

 private:
  TControl* control_ = nullptr;
  HDC dc_ = nullptr;
  HWND window_ = nullptr;
};

// A windowed control that paints itself on Canvas in Paint.
class TCustomControl : public TWinControl {
 public:
  explicit TCustomControl(TComponent* AOwner);
  ~TCustomControl() override;
  TCanvas* Canvas() const { return canvas_.get(); }

 protected:
  virtual void Paint() {}
  void PaintWindow(HDC DC) override;
  void DestroyWnd() override;
  void Dispatch(TMessage& Message) override;

 private:
  std::unique_ptr<TControlCanvas> canvas_;
};

// A control without a window, painted on its parent's DC.
class TGraphicControl : public TControl {
 public:
  explicit TGraphicControl(TComponent* AOwner);
  ~TGraphicControl() override;
  TCanvas* Canvas() const { return canvas_.get(); }
  void Dispatch(TMessage& Message) override;

 protected:
  virtual void Paint() {}
  void WMPaint(TMessage& Message);

 private:
  std::unique_ptr<TControlCanvas> canvas_;
};

// ---------------------------------------------------------------------------------------------
// The hint window: a pop-up with a border that shows one text.
class THintWindow : public TCustomControl {
 public:
  explicit THintWindow(TComponent* AOwner);
  // Shows Hint at Rect (screen coordinates).
  virtual void ActivateHint(const TRect& Rect, const AnsiString& AHint);
  virtual void ActivateHintData(const TRect& Rect, const AnsiString& AHint, void* AData);
  // The size the text needs, at most MaxWidth wide, at (0, 0).
  virtual TRect CalcHintRect(int MaxWidth, const AnsiString& AHint, void* AData);
  void ReleaseHandle() { DestroyHandle(); }
  bool IsHintMsg(const MSG& Msg);

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  void Dispatch(TMessage& Message) override;
  bool Activating = false;  // ActivateHint is placing the window: the text does not resize it
};
THintWindow* NewHintWindow(TComponent* AOwner);
