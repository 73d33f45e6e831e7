// Forms: top-level windows (TCustomForm, TForm), the application object with its hidden window,
// message loop, idle processing and hints, and the screen. The globals Application and Screen
// exist for the whole process; the application's window is made on first use.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "Classes.h"
#include "Controls.h"

class TMainMenu;  // Menus
class TForm;

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TPosition {
  poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter,
  poMainFormCenter, poOwnerFormCenter
};
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TFormStateItem { fsCreating, fsVisible, fsShowing, fsModal, fsCreatedMDIChild, fsActivated };
using TFormState = TSet<TFormStateItem>;
enum TBorderIconItem { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = TSet<TBorderIconItem>;
enum TCloseAction { caNone, caHide, caFree, caMinimize };

using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = IDOK;
constexpr TModalResult mrCancel = IDCANCEL;
constexpr TModalResult mrAbort = IDABORT;
constexpr TModalResult mrRetry = IDRETRY;
constexpr TModalResult mrIgnore = IDIGNORE;
constexpr TModalResult mrYes = IDYES;
constexpr TModalResult mrNo = IDNO;
constexpr TModalResult mrAll = mrNo + 1;
constexpr TModalResult mrNoToAll = mrAll + 1;
constexpr TModalResult mrYesToAll = mrNoToAll + 1;

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

inline constexpr const char* SCannotFocus = "無効または非表示のウィンドウにはフォーカスを設定できません";
inline constexpr const char* SCannotShowModal = "表示されているウィンドウをモーダルにすることはできません";
inline constexpr const char* SVisibleChanged = "OnShow または OnHide の中で Visible を変更することはできません";

// ---------------------------------------------------------------------------------------------
// A top-level window. Made through CreateForm<T> (reads T's form resource, then OnCreate) or
// CreateNewForm<T> (no resource); freed through FreeAndNil, Release or its owner, so that
// OnDestroy runs while the form is whole.
class TCustomForm : public TWinControl {
 public:
  explicit TCustomForm(TComponent* AOwner);
  ~TCustomForm() override;
  // The second half of construction, once the most derived class is complete: reads the form
  // resources of the class chain (FromResource; EResNotFound when none exists for a class other
  // than TForm), then OnCreate, then shows the form when its resource made it visible.
  void AfterConstruction(bool FromResource);
  void BeforeDestruction() override;

  void Show();
  void Hide();
  // Shows the form modally: returns its ModalResult once a handler set it (or the application
  // was terminated: mrCancel).
  virtual int ShowModal();
  void Close();
  // Frees the form once the messages now waiting have been handled.
  void Release();
  virtual bool CloseQuery();
  void SetVisible(bool Value) override;

  TModalResult ModalResult() const { return modal_result_; }
  void SetModalResult(TModalResult Value) { modal_result_ = Value; }
  TFormBorderStyle BorderStyle() const { return border_style_; }
  void SetBorderStyle(TFormBorderStyle Value);
  TBorderIcons BorderIcons() const { return border_icons_; }
  void SetBorderIcons(TBorderIcons Value);
  TFormStyle FormStyle() const { return form_style_; }
  void SetFormStyle(TFormStyle Value);
  TPosition Position() const { return position_; }
  void SetPosition(TPosition Value) { position_ = Value; }
  TWindowState WindowState() const { return window_state_; }
  void SetWindowState(TWindowState Value);
  bool KeyPreview() const { return key_preview_; }
  void SetKeyPreview(bool Value) { key_preview_ = Value; }
  TWinControl* ActiveControl() const { return active_control_; }
  void SetActiveControl(TWinControl* Control);
  TFormState FormState() const { return form_state_; }
  bool Active() const { return active_; }
  // The form's menu bar (none on a dialog's frame); a menu serves one form.
  TMainMenu* Menu() const { return menu_; }
  void SetMenu(TMainMenu* Value);
  // A key down on the form or one of its controls: runs the item of the form's menu, or the
  // action of one of its action lists, bound to it; true when one ran.
  virtual bool IsShortCut(TMessage& Message);
  bool OldCreateOrder() const { return old_create_order_; }
  void SetOldCreateOrder(bool Value) { old_create_order_ = Value; }
  // Layered-window settings, recorded for the window's extended style.
  bool AlphaBlend() const { return alpha_blend_; }
  void SetAlphaBlend(bool Value) { alpha_blend_ = Value; }
  uint8_t AlphaBlendValue() const { return alpha_blend_value_; }
  void SetAlphaBlendValue(uint8_t Value) { alpha_blend_value_ = Value; }
  bool TransparentColor() const { return transparent_color_; }
  void SetTransparentColor(bool Value) { transparent_color_ = Value; }
  TColor TransparentColorValue() const { return transparent_color_value_; }
  void SetTransparentColorValue(TColor Value) { transparent_color_value_ = Value; }
  TCanvas* Canvas() const { return canvas_.get(); }

  // Focus bookkeeping: the control that has (or will have, once the form is active) the focus.
  void FocusControl(TWinControl* Control);
  bool SetFocusedControl(TWinControl* Control);
  void DefocusControl(TWinControl* Control, bool Removing);
  void SetFocus() override;
  bool CanFocus() override { return Visible() && Enabled(); }
  // Lets every visible action client (on a showing form) update itself from its action.
  virtual void UpdateActions();

  void Dispatch(TMessage& Message) override;
  void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override;

  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;
  TNotifyEvent OnPaint;

 protected:
  friend class TWinControl;
  friend class TApplication;
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void PaintWindow(HDC DC) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // Puts the menu bar on the window (or takes it off).
  void ApplyMenu();
  void WMCommand(TMessage& Message);
  void WMInitMenuPopup(TMessage& Message);
  void WMMenuSelect(TMessage& Message);
  void WMMenuChar(TMessage& Message);
  void WMMeasureItem(TMessage& Message);
  void WMDrawItem(TMessage& Message);
  void Loaded() override;
  virtual void DoCreate();
  virtual void DoDestroy();
  virtual void DoShow();
  virtual void DoHide();
  virtual void DoClose(TCloseAction& Action);
  virtual void Activate();
  virtual void Deactivate();
  virtual void Paint();
  void SetWindowFocus();
  void SetActive(bool Value);
  void CloseModal();

  void CMShowingChangedForm(TMessage& Message);
  void WMActivate(TMessage& Message);
  void WMClose(TMessage& Message);
  void WMSizeForm(TMessage& Message);
  void CMDialogKeyForm(TMessage& Message);
  void CMAction(TMessage& Message, bool (TControl::*Process)(TBasicAction*));

 private:
  TModalResult modal_result_ = mrNone;
  TFormBorderStyle border_style_ = bsSizeable;
  TBorderIcons border_icons_{biSystemMenu, biMinimize, biMaximize};
  TFormStyle form_style_ = fsNormal;
  TPosition position_ = poDesigned;
  TWindowState window_state_ = wsNormal;
  bool key_preview_ = false;
  TWinControl* active_control_ = nullptr;
  TWinControl* focused_control_ = nullptr;
  TFormState form_state_;
  bool active_ = false;
  TMainMenu* menu_ = nullptr;
  bool old_create_order_ = false;
  bool alpha_blend_ = false;
  uint8_t alpha_blend_value_ = 255;
  bool transparent_color_ = false;
  TColor transparent_color_value_ = 0;
  bool before_destruction_done_ = false;
  std::unique_ptr<TControlCanvas> canvas_;
};

class TForm : public TCustomForm {
 public:
  explicit TForm(TComponent* AOwner) : TCustomForm(AOwner) {}
};

// The second half of a form's construction (see TCustomForm::AfterConstruction).
template <class T>
T* CreateForm(TComponent* AOwner) {
  T* form = new T(AOwner);
  try {
    form->AfterConstruction(true);
  } catch (...) {
    delete form;
    throw;
  }
  return form;
}
template <class T>
T* CreateNewForm(TComponent* AOwner) {
  T* form = new T(AOwner);
  form->AfterConstruction(false);
  return form;
}

// ---------------------------------------------------------------------------------------------
using TWindowHook = TMethodValue<bool(TMessage&)>;
using TIdleEvent = std::function<void(TObject* Sender, bool& Done)>;
using TMessageEvent = std::function<void(MSG& Msg, bool& Handled)>;
using TExceptionEvent = std::function<void(TObject* Sender, Exception* E)>;
using TShowHintEvent = std::function<void(AnsiString& HintStr, bool& CanShow, THintInfo& HintInfo)>;

// The class of the hint windows the application makes (THintWindow unless replaced).
extern THintWindowClass HintWindowClass;
// Makes the action a change of Application->Hint executes when no OnHint handler is set
// (the actions unit sets it to make its hint action); empty: none.
extern std::function<TBasicAction*(TComponent*)> HintActionClass;

class TApplication : public TComponent {
 public:
  explicit TApplication(TComponent* AOwner);
  ~TApplication() override;

  void Initialize();
  // Makes a form owned by the application (Reference is set before OnCreate runs); the first
  // form made becomes the main form.
  template <class T>
  void CreateForm(T*& Reference) {
    T* form = new T(this);
    Reference = form;
    try {
      form->AfterConstruction(true);
    } catch (...) {
      Reference = nullptr;
      delete form;
      throw;
    }
    FormCreated(form);
  }
  // Shows the main form and runs the message loop until Terminate (or the main form closes).
  void Run();
  // Asks the loop to end (a quit message); Terminated holds once the loop took it.
  void Terminate();
  bool Terminated() const { return terminated_; }
  // Handles every message waiting, then returns.
  void ProcessMessages();
  // Handles one message, or does the idle work and waits when none is waiting.
  void HandleMessage();
  // Call from a catch block: OnException, or the exception's message shown (EAbort is silent).
  void HandleException(TObject* Sender);
  void ShowException(const Exception* E);
  int MessageBox(const char* Text, const char* Caption, UINT Flags = MB_OK);

  // The hidden application window: owner of the forms, receiver of activation.
  HWND Handle();
  bool HandleAllocated() const { return handle_ != nullptr; }
  AnsiString Title();
  void SetTitle(const AnsiString& Value);
  // The program's full file name.
  AnsiString ExeName() const;
  // The application's icon: the platform's standard application icon until another is given.
  TIcon* Icon();
  void SetIcon(TIcon* Value) { Icon()->Assign(Value); }
  TForm* MainForm() const { return main_form_; }
  bool ShowMainForm() const { return show_main_form_; }
  void SetShowMainForm(bool Value) { show_main_form_ = Value; }
  bool Active() const { return active_; }
  HWND DialogHandle() const { return dialog_handle_; }
  void SetDialogHandle(HWND Value) { dialog_handle_ = Value; }
  void Minimize();
  void Restore();
  void BringToFront();

  // Hooks see every message of the application window first; one answering true takes it.
  void HookMainWindow(const TWindowHook& Hook);
  void UnhookMainWindow(const TWindowHook& Hook);
  // Idle work that left Done false may name when it is next due (milliseconds from now): the
  // loop then waits for a message or that moment instead of calling it again at once.
  void NextIdleDue(uint32_t DelayMs);

  void ModalStarted();
  void ModalFinished();

  // Hints.
  const AnsiString& Hint() const { return hint_; }
  void SetHint(const AnsiString& Value);
  bool ShowHint() const { return show_hint_; }
  void SetShowHint(bool Value);
  int HintPause() const { return hint_pause_; }
  void SetHintPause(int Value) { hint_pause_ = Value; }
  int HintShortPause() const { return hint_short_pause_; }
  void SetHintShortPause(int Value) { hint_short_pause_ = Value; }
  int HintHidePause() const { return hint_hide_pause_; }
  void SetHintHidePause(int Value) { hint_hide_pause_ = Value; }
  TColor HintColor() const { return hint_color_; }
  void SetHintColor(TColor Value) { hint_color_ = Value; }
  bool HintShortCuts() const { return hint_short_cuts_; }
  void SetHintShortCuts(bool Value) { hint_short_cuts_ = Value; }
  void CancelHint();
  // Shows the hint of the control under CursorPos (screen coordinates) now.
  void ActivateHint(const TPoint& CursorPos);
  // The hint window now shown (nullptr when none).
  THintWindow* HintWindow() const { return hint_window_; }
  void HintMouseMessage(TControl* Control, TMessage& Message);
  void ControlDestroyed(TControl* Control);

  void WndProc(TMessage& Message);

  TIdleEvent OnIdle;
  TMessageEvent OnMessage;
  TExceptionEvent OnException;
  TNotifyEvent OnHint;
  TShowHintEvent OnShowHint;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TNotifyEvent OnModalBegin;
  TNotifyEvent OnModalEnd;

 private:
  friend class TCustomForm;
  void CreateHandle();
  void FormCreated(TCustomForm* Form);
  bool ProcessMessage(MSG& Msg);
  void Idle(const MSG& Msg);
  bool IsKeyMsg(MSG& Msg);
  bool IsDlgMsg(MSG& Msg);
  bool IsHintMsg(MSG& Msg);
  TControl* DoMouseIdle();
  void HintTimerExpired();
  void StartHintTimer(UINT Ms, int Kind);
  void StopHintTimer();
  bool ModalEnding() const;

  HWND handle_ = nullptr;
  WNDPROC object_instance_ = nullptr;
  AnsiString title_;
  std::unique_ptr<TIcon> icon_;  // made on first use
  TForm* main_form_ = nullptr;
  bool show_main_form_ = true;
  bool terminated_ = false;
  bool active_ = false;
  HWND dialog_handle_ = nullptr;
  std::vector<TWindowHook> hooks_;
  bool idle_due_set_ = false;
  DWORD idle_due_ = 0;
  int modal_level_ = 0;

  AnsiString hint_;
  bool show_hint_ = true;
  int hint_pause_ = 500;
  int hint_short_pause_ = 50;
  int hint_hide_pause_ = 2500;
  TColor hint_color_ = clInfoBk;
  bool hint_short_cuts_ = true;
  bool hint_active_ = false;
  TControl* hint_control_ = nullptr;
  TControl* mouse_control_ = nullptr;
  THintWindow* hint_window_ = nullptr;
  TPoint hint_cursor_pos_{0, 0};
  TRect hint_cursor_rect_{0, 0, 0, 0};
  UINT_PTR hint_timer_ = 0;
  int hint_timer_kind_ = 0;  // 1: show pending, 2: hide pending
  bool hint_timed_out_ = false;
  POINT hint_timed_out_at_{0, 0};
};

// ---------------------------------------------------------------------------------------------
class TScreen : public TComponent {
 public:
  explicit TScreen(TComponent* AOwner);
  ~TScreen() override;
  // The size of the display, in pixels.
  int Width() const;
  int Height() const;
  int DesktopLeft() const { return 0; }
  int DesktopTop() const { return 0; }
  int DesktopWidth() const { return Width(); }
  int DesktopHeight() const { return Height(); }
  int PixelsPerInch() const { return 96; }

  // The application-wide cursor: crDefault lets each control's own cursor show.
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor Value);
  // The cursor handle of a cursor number (nullptr for crNone); numbers of our own may be added.
  HCURSOR Cursors(int Index) const;
  void SetCursors(int Index, HCURSOR Handle);

  TCustomForm* ActiveCustomForm() const { return active_custom_form_; }
  TForm* ActiveForm() const { return active_form_; }
  TWinControl* ActiveControl() const { return active_control_; }
  // The forms, the most recently active first.
  int FormCount() const { return static_cast<int>(forms_.size()); }
  TForm* Forms(int Index) const { return forms_.at(static_cast<std::size_t>(Index)); }
  int CustomFormCount() const { return static_cast<int>(custom_forms_.size()); }
  TCustomForm* CustomForms(int Index) const { return custom_forms_.at(static_cast<std::size_t>(Index)); }
  TFont* HintFont() const { return hint_font_.get(); }
  void SetHintFont(TFont* Value) { hint_font_->Assign(Value); }

 private:
  friend class TCustomForm;
  void AddForm(TCustomForm* Form);
  void RemoveForm(TCustomForm* Form);

  TCursor cursor_ = crDefault;
  std::vector<std::pair<int, HCURSOR>> cursors_;
  TCustomForm* active_custom_form_ = nullptr;
  TForm* active_form_ = nullptr;
  TWinControl* active_control_ = nullptr;
  TCustomForm* focused_form_ = nullptr;
  std::vector<TForm*> forms_;
  std::vector<TCustomForm*> custom_forms_;
  std::unique_ptr<TFont> hint_font_;
  int focus_count_ = 0;
};

extern TApplication* Application;
extern TScreen* Screen;
