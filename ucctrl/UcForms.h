// Wide forms and the wide application object: forms with Unicode windows (MDI documents too),
// the application's wide hint and title, and the thread's message hook that carries typed
// characters above U+00FF to Unicode windows past the framework's ANSI message loop.
#pragma once
#include <memory>

#include "Forms.h"
#include "UcActnList.h"
#include "UcControls.h"
#include "UcStdCtrls.h"

inline constexpr const char* SNoMDIForm = "フォームが作成できません。有効な MDI フォームがありません";
inline constexpr const char* SUcResNotFound = "%s リソースが見つかりません";

class TUcForm : public TUcWideWinControl<TForm> {
 public:
  explicit TUcForm(TComponent* AOwner);
  ~TUcForm() override;
  // The second half of construction (CreateForm<T> calls it on T): a class derived from TUcForm
  // reads its form resources up to TUcForm; without any, EResNotFound "%s リソースが見つかりません"
  // with the class name.
  void AfterConstruction(bool FromResource);
  // An MDI frame's client window (fsMDIForm, once the window exists); nullptr otherwise.
  HWND ClientHandle() const { return client_handle_; }
  void UpdateActions() override;

 protected:
  const char16_t* WideWindowClass() const override { return u""; }
  void CreateWindowHandle(const TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWindowHandle() override;
  void DefaultHandler(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;

 private:
  void CreateMDIChildHandle(const TCreateParams& Params);
  HWND client_handle_ = nullptr;
};

// A control placed on a main form that is not a TUcForm: its action's updates (the framework
// updates the actions of visible controls while idle) keep the wide application hint in step.
class TUcAppIdleEventControl : public TControl {
 public:
  explicit TUcAppIdleEventControl(TComponent* AOwner);
  ~TUcAppIdleEventControl() override;

 private:
  void OnIdle(TObject* Sender);
  TUcAction* action_;
};

class TUcApplication : public TComponent {
 public:
  explicit TUcApplication(TComponent* AOwner);
  // Frees without the checks of Shutdown (a hook still there is removed quietly).
  ~TUcApplication() override;
  // The end of the wide layer's run: the message hook is removed and the framework's
  // application let go. A failed unhook raises the platform's error (EOSError), except in a
  // hosted process or a library (UnhookFailureReported). Done once; the hook is gone after it
  // even when it raises.
  void Shutdown();

  WideString Hint();
  void SetHint(const WideString& Value);
  WideString Title();
  void SetTitle(const WideString& Value);
  // The long hint of the control under the mouse becomes the wide hint.
  void UpdateHint();
  DWORD SettingChangeTime() const { return setting_change_time_; }
  bool MainFormChecked() const { return main_form_checked_; }
  TUcAppIdleEventControl* IdleEventControl() const { return idle_event_control_; }
  HHOOK MessageHook() const { return hook_; }
  // Hooks the framework's application now in use (tests give each test an application).
  void Attach();

 private:
  friend class TUcAppIdleEventControl;
  friend LRESULT CALLBACK UcGetMessageHook(int, WPARAM, LPARAM);
  bool MainWindowHook(TMessage& Message);
  void CheckMainForm();
  WideString wide_hint_;
  WideString pending_title_;
  DWORD setting_change_time_ = 0;
  bool main_form_checked_ = false;
  TUcAppIdleEventControl* idle_event_control_ = nullptr;
  TApplication* attached_ = nullptr;
  HHOOK hook_ = nullptr;
};

// The process's wide application object, made on first use (and hooked onto the framework's
// application then in use); freed at the end of the run or by DoneUcApplication.
TUcApplication* UcApplication();
// Shuts the object down and frees it; raises what Shutdown raises (the object is freed then too).
void DoneUcApplication();
// Whether a failed unhook is reported for a process of the program file ProgramFile (path or
// name) and code that is (not) in a library: not in a hosted process (a file name that, upper-
// cased, begins with "W3WP." or "DLLHOST.") and not in a library.
bool UnhookFailureReported(const WideString& ProgramFile, bool InLibrary);
// The tick count of the last WM_SETTINGCHANGE the application window saw.
extern DWORD LastSettingChangeTime;
