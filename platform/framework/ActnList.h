// ActnList: actions kept in action lists, with the caption, checked and enabled state, hint,
// image, shortcut and visibility they push into the controls and menu items linked to them.
#pragma once
#include <vector>

#include "Classes.h"
#include "ImgList.h"

// A key with its modifiers: the virtual-key code in the low byte, scShift, scCtrl, scAlt.
using TShortCut = uint16_t;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;
constexpr TShortCut scNone = 0;

class TCustomActionList;

// An action that belongs to an action list (its parent when streamed), in a category.
class TContainedAction : public TBasicAction {
 public:
  explicit TContainedAction(TComponent* AOwner) : TBasicAction(AOwner) {}
  // Leaves its list.
  ~TContainedAction() override;

  // The list's OnExecute first, then the action's own OnExecute, then the application window
  // (CM_ACTIONEXECUTE answered 1). True when one of them handled it.
  bool Execute() override;
  // The same order with OnUpdate and CM_ACTIONUPDATE.
  bool Update() override;

  TCustomActionList* ActionList() const { return action_list_; }
  void SetActionList(TCustomActionList* Value);
  const AnsiString& Category() const { return category_; }
  void SetCategory(const AnsiString& Value);
  // The position in the list; -1 outside one.
  int Index() const;
  void SetIndex(int Value);

  bool HasParent() override { return true; }
  TComponent* GetParentComponent() override;
  void SetParentComponent(TComponent* Value) override;

 protected:
  void ReadState(TReader* Reader) override;

 private:
  friend class TCustomActionList;
  TCustomActionList* action_list_ = nullptr;
  AnsiString category_;
};

// What a client's link follows of a custom action beyond a control's caption, enabled state,
// hint and visibility: checked state, group, help context, image and shortcut. Links of
// controls that show these (tool buttons, buttons) implement it beside their control link.
class TActionClientLink {
 public:
  virtual ~TActionClientLink() = default;
  virtual bool IsCheckedLinked() { return false; }
  virtual bool IsGroupIndexLinked() { return false; }
  virtual bool IsHelpContextLinked() { return false; }
  virtual bool IsImageIndexLinked() { return false; }
  virtual bool IsShortCutLinked() { return false; }
  virtual void SetChecked(bool) {}
  virtual void SetGroupIndex(int) {}
  virtual void SetHelpContext(int) {}
  virtual void SetImageIndex(int) {}
  virtual void SetShortCut(TShortCut) {}
};

// The link of a client that is no control (a menu item): every property of a custom action.
// Each Is...Linked answers whether the action is a custom action; descendants add the
// comparison with their client's value.
class TActionLink : public TBasicActionLink, public TActionClientLink {
 public:
  explicit TActionLink(TObject* AClient) : TBasicActionLink(AClient) {}
  virtual bool IsCaptionLinked();
  virtual bool IsEnabledLinked();
  virtual bool IsHintLinked();
  virtual bool IsVisibleLinked();
  virtual bool IsOnExecuteLinked();
  bool IsCheckedLinked() override;
  bool IsGroupIndexLinked() override;
  bool IsHelpContextLinked() override;
  bool IsImageIndexLinked() override;
  bool IsShortCutLinked() override;
  virtual void SetCaption(const AnsiString&) {}
  virtual void SetEnabled(bool) {}
  virtual void SetHint(const AnsiString&) {}
  virtual void SetVisible(bool) {}
  virtual void SetOnExecute(const TNotifyEvent&) {}
};

using THintEvent = std::function<void(AnsiString& HintStr, bool& CanShow)>;

class TCustomAction : public TContainedAction {
 public:
  explicit TCustomAction(TComponent* AOwner);

  // Updates itself first; a disabled action does nothing. An AutoCheck action turns its
  // Checked over (in a group only from unchecked to checked) before it runs.
  bool Execute() override;
  // With DisableIfNoHandler, an action that nothing updated is enabled only when it has an
  // OnExecute handler (of its own or of its list).
  bool Update() override;
  // OnHint may change the hint text or refuse the hint.
  virtual bool DoHint(AnsiString& HintStr);
  // A client's hint: DoHint, then (Application->HintShortCuts) the shortcut added as "%s (%s)".
  bool DoShowHint(AnsiString& HintStr) override;
  void Assign(TPersistent* Source) override;

  const AnsiString& Caption() const { return caption_; }
  void SetCaption(const AnsiString& Value);
  bool Checked() const { return checked_; }
  // Checking an action of a group (GroupIndex > 0) unchecks the others of its list's group.
  void SetChecked(bool Value);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool Value);
  int GroupIndex() const { return group_index_; }
  void SetGroupIndex(int Value);
  int HelpContext() const { return help_context_; }
  void SetHelpContext(int Value);
  const AnsiString& Hint() const { return hint_; }
  void SetHint(const AnsiString& Value);
  int ImageIndex() const { return image_index_; }
  void SetImageIndex(int Value);
  TShortCut ShortCut() const { return short_cut_; }
  void SetShortCut(TShortCut Value);
  bool Visible() const { return visible_; }
  void SetVisible(bool Value);
  bool AutoCheck() const { return auto_check_; }
  void SetAutoCheck(bool Value) { auto_check_ = Value; }
  bool DisableIfNoHandler() const { return disable_if_no_handler_; }
  void SetDisableIfNoHandler(bool Value) { disable_if_no_handler_ = Value; }
  // While its list is suspended an action neither runs nor updates.
  bool Suspended() const;

  THintEvent OnHint;

 protected:
  // Calls f on each client link of the kind it takes (a link may go away meanwhile).
  template <class L, class F>
  void ForClients(F f);

 private:
  AnsiString caption_;
  bool checked_ = false;
  bool checking_ = false;
  bool enabled_ = true;
  int group_index_ = 0;
  int help_context_ = 0;
  AnsiString hint_;
  int image_index_ = -1;
  TShortCut short_cut_ = 0;
  bool visible_ = true;
  bool auto_check_ = false;
  bool disable_if_no_handler_ = true;
};

class TAction : public TCustomAction {
 public:
  explicit TAction(TComponent* AOwner);
};

// The action the application executes when its hint changes and no OnHint is set.
class THintAction : public TCustomAction {
 public:
  explicit THintAction(TComponent* AOwner);
};

enum TActionListState : uint8_t { asNormal, asSuspended, asSuspendedEnabled };
using TActionEvent = std::function<void(TBasicAction* Action, bool& Handled)>;

class TCustomActionList : public TComponent {
 public:
  explicit TCustomActionList(TComponent* AOwner);
  ~TCustomActionList() override;

  // OnExecute (OnUpdate) of the list: true when it handled the action.
  virtual bool ExecuteAction(TBasicAction* Action);
  virtual bool UpdateAction(TBasicAction* Action);
  // The action bound to a key, enabled or not; nullptr when none.
  TContainedAction* FindShortCut(TShortCut Key);
  // Executes the enabled, visible action of the shortcut; true when there was one.
  bool IsShortCut(TShortCut Key);

  int ActionCount() const { return static_cast<int>(actions_.size()); }
  TContainedAction* Actions(int Index) const { return actions_.at(static_cast<size_t>(Index)); }
  int IndexOf(TContainedAction* Action) const;
  TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* Value);
  TActionListState State() const { return state_; }
  void SetState(TActionListState Value);

  void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override;
  void SetChildOrder(TComponent* Child, int Order) override;

  TNotifyEvent OnChange;
  TActionEvent OnExecute;
  TActionEvent OnUpdate;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  virtual void Change();

 private:
  friend class TContainedAction;
  void AddAction(TContainedAction* Action);
  void RemoveAction(TContainedAction* Action);
  void ImagesChanged(TObject* Sender);

  std::vector<TContainedAction*> actions_;
  TCustomImageList* images_ = nullptr;
  TChangeLink images_link_;
  TActionListState state_ = asNormal;
};

class TActionList : public TCustomActionList {
 public:
  explicit TActionList(TComponent* AOwner) : TCustomActionList(AOwner) {}
};
