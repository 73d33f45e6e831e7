// Unicode windows for the framework's controls. Each control of the layer makes its window with
// the wide call (a ".UnicodeClass" twin of the framework's class), and a trap chained around the
// framework's procedures routes the text messages so the platform converts between the
// framework's ANSI buffers and the Unicode window, and carries typed characters above U+00FF
// through the framework's byte-character path. Controls without a window (or before it exists)
// keep their wide texts in a helper; the framework's hint window is replaced by a wide one.
#pragma once
#include <vector>

#include "Classes.h"
#include "Controls.h"
#include "System.h"
#include "UcWideProperties.h"

// The wide texts of a control while it has no Unicode window.
class TWideControlHelper : public TWideComponentHelper {
 public:
  TWideControlHelper(FromList, TComponent* AComponent, TWideComponentHelperList* List)
      : TWideComponentHelper(FromList{}, AComponent, List) {}
  TControl* Control() const { return static_cast<TControl*>(Component()); }
  WideString WideCaption;
  WideString WideHint;
};

// The process's helpers of controls (owning, sorted by control address).
TWideComponentHelperList& ControlHelpers();
TWideControlHelper* FindControlHelper(const TControl* Control);
// The helper of Control, made when it has none.
TWideControlHelper* ControlHelperOf(TControl* Control);

// One per Unicode window: the procedures chained around the framework's.
class TWinControlTrap : public TComponent {
 public:
  explicit TWinControlTrap(TWinControl* AControl);
  ~TWinControlTrap() override;

  WNDPROC ControlWndProcInstance = nullptr;  // calls the control's MainWndProc
  WNDPROC WindowProcInstance = nullptr;      // TrapWindowProc
  WNDPROC DefaultProcInstance = nullptr;     // TrapDefaultProc
  TWinControl* Control = nullptr;
  HWND Handle = nullptr;
  WNDPROC PrevWindowProcedure = nullptr;
  WNDPROC PrevDefaultProcedure = nullptr;
  TWndMethod SavedWindowProc;
  UINT LastWindowMessage = 0;
  int ProcLevel = 0;
  bool IdeWindow = false;
  bool DestroyPending = false;
  bool TestingForNull = false;
  bool NullSeen = false;

  // Attaches the trap to the control's new window and gives the window its wide caption.
  void HookWindow(const WideString& Caption);
  // Detaches it (at WM_DESTROY), keeping the wide text for the next window.
  void UnhookWindow();
  TWndMethod FilterMethod() { return TWndMethod::Of<&TWinControlTrap::FilterControlMessage>(this); }

  void TrapWindowProc(TMessage& Message);
  void FilterControlMessage(TMessage& Message);
  void TrapDefaultProc(TMessage& Message);

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  void HookWindowProcProperty();
  void FreeWhenIdle();
};

// Traps whose window was destroyed while their control lives on (not owning).
const std::vector<TWinControlTrap*>& PendingTraps();
// The control inside CreateWideWindowHandle (nullptr outside it).
TWinControl* WindowBeingCreated();
// Set when the unit has shut down.
bool TrapsShutDown();

// Wide text and hints of any control of the framework.
WideString GetControlWideText(TControl* Control);
void SetControlWideText(TControl* Control, const WideString& Text);
WideString GetControlWideHint(TControl* Control);
void SetControlWideHint(TControl* Control, const WideString& Text);
// The wide hint of Control or of the first parent upward that has one.
WideString EffectiveWideHint(TControl* Control);
// The text before (after) the first "|"; all of it when there is none.
WideString ShortHintOf(const WideString& Hint);
WideString LongHintOf(const WideString& Hint);
// Stored tests of wide Caption and Hint: not while the action link supplies them.
bool CaptionNotLinked(TControl* Control);
bool HintNotLinked(TControl* Control);

// Makes Control's window: the wide twin of its framework class, the default procedure of
// SubClassName (or DefWindowProcW), and the trap. On the ANSI-only platform the framework's
// ANSI window as prepared.
void CreateWideWindowHandle(TWinControl* Control, const TCreateParams& Params, const WideString& SubClassName,
                            bool IdeWindow);
// Registers the wide twin of the framework's class of Params; answers its name.
WideString RegisterWideWindowClass(const TCreateParams& Params, bool IdeWindow);
// Attaches the trap to Control's new Unicode window.
void SubClassUnicodeControl(TWinControl* Control, const AnsiString& Caption, bool IdeWindow);

// The wide list-control interface of the layer's list controls.
class IWideListControl {
 public:
  virtual ~IWideListControl() = default;
  virtual void AddWideItem(const WideString& Item, TObject* AObject) = 0;
};
// Adds an item to a list control: wide when it offers IWideListControl, else narrowed.
void AddWideListItem(TControl* ListControl, const WideString& Text, TObject* AObject);

// WM_CHAR of a character above U+00FF: the framework's byte-character path sees 255 while the
// code travels in the high word of the character parameter.
void MakeWMCharMsgSafeForAnsi(TMessage& Message);
void RestoreWMCharMsg(TMessage& Message);

// ---------------------------------------------------------------------------------------------
// Wide hints.

// On CM_HINTSHOW: the wide hint window class replaces the framework's, the hint data marks the
// record as prepared by the layer, and the hint string is the ANSI form of the wide short hint.
void PrepareWideHintInfo(TControl* Control, THintInfo& HintInfo);
// Whether Data is the mark of a hint record the layer prepared (never dereferenced).
bool IsWideHintData(const void* Data);
// The wide text of the hint record marked by Data, given the hint string the framework shows.
WideString WideHintOfHintInfo(const void* Data, const AnsiString& HintStr);

class TUcCustomHintWindow : public THintWindow {
 public:
  explicit TUcCustomHintWindow(TComponent* AOwner);
  void ActivateHint(const TRect& Rect, const AnsiString& AHint) override;
  void ActivateHintData(const TRect& Rect, const AnsiString& AHint, void* AData) override;
  TRect CalcHintRect(int MaxWidth, const AnsiString& AHint, void* AData) override;
  WideString Caption();
  void SetCaption(const WideString& Value);
  bool BlockPaint = false;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWindowHandle(const TCreateParams& Params) override;
  void Paint() override;
  void Dispatch(TMessage& Message) override;
};
THintWindow* NewUcCustomHintWindow(TComponent* AOwner);
