// Wide actions: actions whose caption and hint are wide text (kept in a helper component with
// the framework's ANSI caption and hint as twins), the action list, and the links through which
// wide controls and menu items follow their action.
#pragma once
#include "ActnList.h"
#include "Buttons.h"
#include "ComCtrls.h"
#include "Controls.h"
#include "Menus.h"
#include "StdCtrls.h"
#include "System.h"

// The interface of actions that carry wide texts ({59D0AE37-8161-4AD6-9102-14B28E5761EB}).
class IWideCustomAction {
 public:
  static constexpr const char* InterfaceId = "{59D0AE37-8161-4AD6-9102-14B28E5761EB}";
  virtual ~IWideCustomAction() = default;
  virtual WideString WideCaption() = 0;
  virtual void SetWideCaption(const WideString& Value) = 0;
  virtual WideString WideHint() = 0;
  virtual void SetWideHint(const WideString& Value) = 0;
  // While the action passes a new caption (hint) to the framework, the wide text being set.
  virtual const WideString* CaptionBeingSet() = 0;
  virtual const WideString* HintBeingSet() = 0;
};

// The wide texts of an action, owned by it.
class TCustomActionHelper : public TComponent {
 public:
  explicit TCustomActionHelper(TComponent* AOwner) : TComponent(AOwner) {}
  WideString WideCaption;
  WideString WideHint;
  const WideString* SettingCaption = nullptr;
  const WideString* SettingHint = nullptr;
  // The helper among Action's components, made when there is none.
  static TCustomActionHelper* Of(TCustomAction* Action);
};

// The wide texts of an action: its own when it carries them, else its ANSI texts widened.
WideString WideActionCaption(TBasicAction* Action);
WideString WideActionHint(TBasicAction* Action);

class TUcAction : public TAction, public IWideCustomAction {
 public:
  explicit TUcAction(TComponent* AOwner);
  WideString Caption() { return WideCaption(); }
  void SetCaption(const WideString& Value) { SetWideCaption(Value); }
  WideString Hint() { return WideHint(); }
  void SetHint(const WideString& Value) { SetWideHint(Value); }
  void Assign(TPersistent* Source) override;

  WideString WideCaption() override;
  void SetWideCaption(const WideString& Value) override;
  WideString WideHint() override;
  void SetWideHint(const WideString& Value) override;
  const WideString* CaptionBeingSet() override;
  const WideString* HintBeingSet() override;

 protected:
  void DefineProperties(TFiler* Filer) override;
};

class TUcHintAction : public THintAction, public IWideCustomAction {
 public:
  explicit TUcHintAction(TComponent* AOwner);
  WideString Caption() { return WideCaption(); }
  void SetCaption(const WideString& Value) { SetWideCaption(Value); }
  WideString Hint() { return WideHint(); }
  void SetHint(const WideString& Value) { SetWideHint(Value); }
  void Assign(TPersistent* Source) override;

  WideString WideCaption() override;
  void SetWideCaption(const WideString& Value) override;
  WideString WideHint() override;
  void SetWideHint(const WideString& Value) override;
  const WideString* CaptionBeingSet() override;
  const WideString* HintBeingSet() override;

 protected:
  void DefineProperties(TFiler* Filer) override;
};

class TUcActionList : public TCustomActionList {
 public:
  explicit TUcActionList(TComponent* AOwner) : TCustomActionList(AOwner) {}
};

// ---------------------------------------------------------------------------------------------
// The wide links. Each is the framework's link of its kind with the caption and hint compared
// and given as wide text.

// The shared part: Base is the framework's link class.
template <class Base>
class TUcControlLinkOf : public Base {
 public:
  explicit TUcControlLinkOf(TObject* AClient) : Base(AClient) {}
  bool IsCaptionLinked() override;
  bool IsHintLinked() override;
  void SetCaption(const AnsiString& Value) override;
  void SetHint(const AnsiString& Value) override;
};

class TUcControlActionLink : public TUcControlLinkOf<TControlActionLink> {
 public:
  using TUcControlLinkOf::TUcControlLinkOf;
};
class TUcWinControlActionLink : public TUcControlLinkOf<TControlActionLink> {
 public:
  using TUcControlLinkOf::TUcControlLinkOf;
};
class TUcButtonActionLink : public TUcControlLinkOf<TButtonActionLink> {
 public:
  using TUcControlLinkOf::TUcControlLinkOf;
};
class TUcToolButtonActionLink : public TUcControlLinkOf<TToolButtonActionLink> {
 public:
  using TUcControlLinkOf::TUcControlLinkOf;
};
class TUcListViewActionLink : public TUcControlLinkOf<TControlActionLink> {
 public:
  using TUcControlLinkOf::TUcControlLinkOf;
};
class TUcSpeedButtonActionLink : public TUcControlLinkOf<TSpeedButtonActionLink> {
 public:
  using TUcControlLinkOf::TUcControlLinkOf;
};
class TUcComboBoxExActionLink : public TUcControlLinkOf<TComboBoxExActionLink> {
 public:
  using TUcControlLinkOf::TUcControlLinkOf;
};

// The wide link class for a control: list views, extended combo boxes, speed buttons, tool
// buttons, button controls, other windowed controls, other controls. FrameworkClass is the link the framework would make; the wide one
// must derive from it.
TControlActionLinkClass WideActionLinkClass(TControl* Control, const TControlActionLinkClass& FrameworkClass);

// The wide part of a control's ActionChange: the caption and hint of an action with wide texts
// (with CheckDefaults only while the control's own are empty, or its caption is its name).
void WideControlActionChange(TControl* Control, TObject* Sender, bool CheckDefaults);
