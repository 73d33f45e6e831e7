#include "ActnList.h"

#include <algorithm>

#include "Classes_Streaming.h"
#include "Controls.h"
#include "Forms.h"
#include "Menus.h"
#include "TypInfo.h"

// ---------------------------------------------------------------------------------------------
// TContainedAction.

TContainedAction::~TContainedAction() {
  if (action_list_) action_list_->RemoveAction(this);
}

namespace {
// The application window takes what no list and no handler took (its hooks see it first).
bool AskApplication(UINT msg, TBasicAction* action) {
  if (!Application || !Application->HandleAllocated()) return false;
  return SendMessageW(Application->Handle(), msg, 0, reinterpret_cast<LPARAM>(action)) == 1;
}
}  // namespace

bool TContainedAction::Execute() {
  if (action_list_ && action_list_->ExecuteAction(this)) return true;
  if (TBasicAction::Execute()) return true;
  return AskApplication(CM_ACTIONEXECUTE, this);
}

bool TContainedAction::Update() {
  if (action_list_ && action_list_->UpdateAction(this)) return true;
  if (TBasicAction::Update()) return true;
  return AskApplication(CM_ACTIONUPDATE, this);
}

void TContainedAction::SetActionList(TCustomActionList* Value) {
  if (Value == action_list_) return;
  if (action_list_) action_list_->RemoveAction(this);
  if (Value) Value->AddAction(this);
}

void TContainedAction::SetCategory(const AnsiString& Value) {
  if (Value == category_) return;
  category_ = Value;
  if (action_list_) action_list_->Change();
}

int TContainedAction::Index() const { return action_list_ ? action_list_->IndexOf(const_cast<TContainedAction*>(this)) : -1; }

void TContainedAction::SetIndex(int Value) {
  if (!action_list_) return;
  auto& v = action_list_->actions_;
  int cur = Index();
  if (cur < 0) return;
  Value = std::clamp(Value, 0, static_cast<int>(v.size()) - 1);
  if (Value == cur) return;
  v.erase(v.begin() + cur);
  v.insert(v.begin() + Value, this);
  action_list_->Change();
}

TComponent* TContainedAction::GetParentComponent() { return action_list_; }

void TContainedAction::SetParentComponent(TComponent* Value) {
  if (auto* list = dynamic_cast<TCustomActionList*>(Value)) SetActionList(list);
}

void TContainedAction::ReadState(TReader* Reader) {
  TBasicAction::ReadState(Reader);
  if (auto* list = dynamic_cast<TCustomActionList*>(Reader->Parent())) SetActionList(list);
}

// ---------------------------------------------------------------------------------------------
// TActionLink.

bool TActionLink::IsCaptionLinked() { return dynamic_cast<TCustomAction*>(action_) != nullptr; }
bool TActionLink::IsEnabledLinked() { return dynamic_cast<TCustomAction*>(action_) != nullptr; }
bool TActionLink::IsHintLinked() { return dynamic_cast<TCustomAction*>(action_) != nullptr; }
bool TActionLink::IsVisibleLinked() { return dynamic_cast<TCustomAction*>(action_) != nullptr; }
bool TActionLink::IsOnExecuteLinked() { return action_ != nullptr; }
bool TActionLink::IsCheckedLinked() { return dynamic_cast<TCustomAction*>(action_) != nullptr; }
bool TActionLink::IsGroupIndexLinked() { return dynamic_cast<TCustomAction*>(action_) != nullptr; }
bool TActionLink::IsHelpContextLinked() { return dynamic_cast<TCustomAction*>(action_) != nullptr; }
bool TActionLink::IsImageIndexLinked() { return dynamic_cast<TCustomAction*>(action_) != nullptr; }
bool TActionLink::IsShortCutLinked() { return dynamic_cast<TCustomAction*>(action_) != nullptr; }

// ---------------------------------------------------------------------------------------------
// TCustomAction. Each setter tells the links first, while the action still holds the old
// value (a link compares it with its client's to see whether the client follows), then
// stores the value and reports the change.

TCustomAction::TCustomAction(TComponent* AOwner) : TContainedAction(AOwner) {}

template <class L, class F>
void TCustomAction::ForClients(F f) {
  std::vector<TBasicActionLink*> links;
  for (int i = 0; i < ClientCount(); ++i) links.push_back(Clients(i));
  for (TBasicActionLink* link : links) {
    bool still = false;
    for (int i = 0; i < ClientCount(); ++i) still |= Clients(i) == link;
    if (!still) continue;
    if (auto* l = dynamic_cast<L*>(link)) f(l);
  }
}

bool TCustomAction::Suspended() const { return ActionList() && ActionList()->State() != asNormal; }

bool TCustomAction::Execute() {
  if (Suspended()) return false;
  Update();
  if (!enabled_) return false;
  if (auto_check_ && (!checked_ || group_index_ == 0)) SetChecked(!checked_);
  return TContainedAction::Execute();
}

bool TCustomAction::Update() {
  if (Suspended()) return false;
  bool handled = TContainedAction::Update();
  if (!handled && disable_if_no_handler_) {
    bool hasHandler = static_cast<bool>(OnExecute) || (ActionList() && ActionList()->OnExecute);
    SetEnabled(hasHandler);
  }
  return handled;
}

bool TCustomAction::DoHint(AnsiString& HintStr) {
  bool canShow = true;
  if (OnHint) OnHint(HintStr, canShow);
  return canShow;
}

bool TCustomAction::DoShowHint(AnsiString& HintStr) {
  bool ok = DoHint(HintStr);
  if (ok && Application && Application->HintShortCuts() && short_cut_ != 0 && !HintStr.empty())
    HintStr = Format("%s (%s)", {HintStr, ShortCutToText(short_cut_)});
  return ok;
}

void TCustomAction::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TCustomAction*>(Source);
  if (!src) {
    TContainedAction::Assign(Source);
    return;
  }
  SetAutoCheck(src->AutoCheck());
  SetCaption(src->Caption());
  SetChecked(src->Checked());
  SetEnabled(src->Enabled());
  SetGroupIndex(src->GroupIndex());
  SetHelpContext(src->HelpContext());
  SetHint(src->Hint());
  SetImageIndex(src->ImageIndex());
  SetShortCut(src->ShortCut());
  SetVisible(src->Visible());
  SetDisableIfNoHandler(src->DisableIfNoHandler());
  OnExecute = src->OnExecute;
  OnUpdate = src->OnUpdate;
  OnHint = src->OnHint;
}

void TCustomAction::SetCaption(const AnsiString& Value) {
  if (Value == caption_) return;
  ForClients<TActionLink>([&](TActionLink* l) { l->SetCaption(Value); });
  ForClients<TControlActionLink>([&](TControlActionLink* l) { l->SetCaption(Value); });
  caption_ = Value;
  Change();
}

void TCustomAction::SetChecked(bool Value) {
  if (checking_ || Value == checked_) return;
  checking_ = true;
  try {
    ForClients<TActionClientLink>([&](TActionClientLink* l) { l->SetChecked(Value); });
    checked_ = Value;
    if (Value && group_index_ > 0 && ActionList()) {
      for (int i = 0; i < ActionList()->ActionCount(); ++i) {
        auto* other = dynamic_cast<TCustomAction*>(ActionList()->Actions(i));
        if (other && other != this && other->group_index_ == group_index_) other->SetChecked(false);
      }
    }
    Change();
  } catch (...) {
    checking_ = false;
    throw;
  }
  checking_ = false;
}

void TCustomAction::SetEnabled(bool Value) {
  if (Value == enabled_) return;
  if (ActionList() && ActionList()->State() == asSuspended) {
    enabled_ = Value;  // stored, not shown, while the list is suspended
    return;
  }
  ForClients<TActionLink>([&](TActionLink* l) { l->SetEnabled(Value); });
  ForClients<TControlActionLink>([&](TControlActionLink* l) { l->SetEnabled(Value); });
  enabled_ = Value;
  Change();
}

// Joining a group where another action is checked unchecks this one.
void TCustomAction::SetGroupIndex(int Value) {
  if (Value == group_index_) return;
  ForClients<TActionClientLink>([&](TActionClientLink* l) { l->SetGroupIndex(Value); });
  group_index_ = Value;
  if (checked_ && Value > 0 && ActionList()) {
    for (int i = 0; i < ActionList()->ActionCount(); ++i) {
      auto* other = dynamic_cast<TCustomAction*>(ActionList()->Actions(i));
      if (other && other != this && other->group_index_ == Value && other->checked_) {
        SetChecked(false);
        break;
      }
    }
  }
  Change();
}

void TCustomAction::SetHelpContext(int Value) {
  if (Value == help_context_) return;
  ForClients<TActionClientLink>([&](TActionClientLink* l) { l->SetHelpContext(Value); });
  help_context_ = Value;
  Change();
}

void TCustomAction::SetHint(const AnsiString& Value) {
  if (Value == hint_) return;
  ForClients<TActionLink>([&](TActionLink* l) { l->SetHint(Value); });
  ForClients<TControlActionLink>([&](TControlActionLink* l) { l->SetHint(Value); });
  hint_ = Value;
  Change();
}

void TCustomAction::SetImageIndex(int Value) {
  if (Value == image_index_) return;
  ForClients<TActionClientLink>([&](TActionClientLink* l) { l->SetImageIndex(Value); });
  image_index_ = Value;
  Change();
}

void TCustomAction::SetShortCut(TShortCut Value) {
  if (Value == short_cut_) return;
  ForClients<TActionClientLink>([&](TActionClientLink* l) { l->SetShortCut(Value); });
  short_cut_ = Value;
  Change();
}

void TCustomAction::SetVisible(bool Value) {
  if (Value == visible_) return;
  ForClients<TActionLink>([&](TActionLink* l) { l->SetVisible(Value); });
  ForClients<TControlActionLink>([&](TControlActionLink* l) { l->SetVisible(Value); });
  visible_ = Value;
  Change();
}

TAction::TAction(TComponent* AOwner) : TCustomAction(AOwner) { SetDisableIfNoHandler(true); }

THintAction::THintAction(TComponent* AOwner) : TCustomAction(AOwner) { SetDisableIfNoHandler(false); }

// ---------------------------------------------------------------------------------------------
// TCustomActionList.

TCustomActionList::TCustomActionList(TComponent* AOwner) : TComponent(AOwner) {
  images_link_.OnChange = [this](TObject* Sender) { ImagesChanged(Sender); };
  // A program with action lists has the hint action for its application's hints.
  if (!HintActionClass) HintActionClass = [](TComponent* Owner) -> TBasicAction* { return new THintAction(Owner); };
}

TCustomActionList::~TCustomActionList() {
  if (images_) images_->UnRegisterChanges(&images_link_);
  // The actions leave the list (they are the owner's to free).
  while (!actions_.empty()) RemoveAction(actions_.back());
}

bool TCustomActionList::ExecuteAction(TBasicAction* Action) {
  bool handled = false;
  if (OnExecute) OnExecute(Action, handled);
  return handled;
}

bool TCustomActionList::UpdateAction(TBasicAction* Action) {
  bool handled = false;
  if (OnUpdate) OnUpdate(Action, handled);
  return handled;
}

TContainedAction* TCustomActionList::FindShortCut(TShortCut Key) {
  if (Key == 0) return nullptr;
  for (TContainedAction* a : actions_)
    if (auto* c = dynamic_cast<TCustomAction*>(a); c && c->ShortCut() == Key) return a;
  return nullptr;
}

bool TCustomActionList::IsShortCut(TShortCut Key) {
  auto* a = dynamic_cast<TCustomAction*>(FindShortCut(Key));
  if (!a || state_ != asNormal) return false;
  a->Update();
  if (!a->Enabled() || !a->Visible()) return false;
  a->Execute();
  return true;
}

int TCustomActionList::IndexOf(TContainedAction* Action) const {
  auto it = std::find(actions_.begin(), actions_.end(), Action);
  return it == actions_.end() ? -1 : static_cast<int>(it - actions_.begin());
}

void TCustomActionList::SetImages(TCustomImageList* Value) {
  if (Value == images_) return;
  RelinkImageList(images_, Value, images_link_, this);
  Change();
}

void TCustomActionList::SetState(TActionListState Value) {
  if (Value == state_) return;
  TActionListState old = state_;
  state_ = Value;
  // Suspended with asSuspendedEnabled, every action shows enabled; back to normal they update.
  if (Value == asSuspendedEnabled) {
    for (TContainedAction* a : actions_)
      if (auto* c = dynamic_cast<TCustomAction*>(a)) c->SetEnabled(true);
  } else if (Value == asNormal && old != asNormal) {
    for (TContainedAction* a : actions_) a->Update();
  }
}

void TCustomActionList::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) {
  for (TContainedAction* a : actions_)
    if (a->Owner() == Root) Proc(a);
}

void TCustomActionList::SetChildOrder(TComponent* Child, int Order) {
  if (auto* a = dynamic_cast<TContainedAction*>(Child); a && a->ActionList() == this) a->SetIndex(Order);
}

void TCustomActionList::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == images_) {
    images_->UnRegisterChanges(&images_link_);
    images_ = nullptr;
    Change();
  }
}

void TCustomActionList::Change() {
  if (OnChange) OnChange(this);
}

void TCustomActionList::AddAction(TContainedAction* Action) {
  actions_.push_back(Action);
  Action->action_list_ = this;
  Change();
}

void TCustomActionList::RemoveAction(TContainedAction* Action) {
  auto it = std::find(actions_.begin(), actions_.end(), Action);
  if (it == actions_.end()) return;
  actions_.erase(it);
  Action->action_list_ = nullptr;
  Change();
}

// The actions' clients show images of the list: they are told through the actions.
void TCustomActionList::ImagesChanged(TObject*) { Change(); }

// ---------------------------------------------------------------------------------------------
// Published properties.

static const bool registered_contained = DeclareClass<TContainedAction, TBasicAction>("TContainedAction").Done();
static const bool registered_custom = DeclareClass<TCustomAction, TContainedAction>("TCustomAction").Done();

static const bool registered_action = DeclareClass<TAction, TCustomAction>("TAction")
    .Boolean("AutoCheck", &TAction::AutoCheck, &TAction::SetAutoCheck, Default(0))
    .String("Caption", &TAction::Caption, &TAction::SetCaption)
    .String("Category", &TAction::Category, &TAction::SetCategory)
    .Boolean("Checked", &TAction::Checked, &TAction::SetChecked, Default(0))
    .Boolean("Enabled", &TAction::Enabled, &TAction::SetEnabled, Default(1))
    .Integer("GroupIndex", &TAction::GroupIndex, &TAction::SetGroupIndex, Default(0))
    .Integer("HelpContext", &TAction::HelpContext, &TAction::SetHelpContext, Default(0))
    .String("Hint", &TAction::Hint, &TAction::SetHint)
    .Integer("ImageIndex", &TAction::ImageIndex, &TAction::SetImageIndex, Default(-1))
    .Integer("ShortCut", &TAction::ShortCut, &TAction::SetShortCut, Default(0))
    .Boolean("Visible", &TAction::Visible, &TAction::SetVisible, Default(1))
    .Event("OnHint", static_cast<THintEvent TAction::*>(&TCustomAction::OnHint))
    .Done();

static const bool registered_hint = DeclareClass<THintAction, TCustomAction>("THintAction")
    .String("Hint", &THintAction::Hint, &THintAction::SetHint)
    .Done();

static const bool registered_list_base = DeclareClass<TCustomActionList, TComponent>("TCustomActionList").Done();

static const bool registered_list = DeclareClass<TActionList, TCustomActionList>("TActionList")
    .Component("Images", &TActionList::Images, &TActionList::SetImages)
    .Event("OnChange", static_cast<TNotifyEvent TActionList::*>(&TCustomActionList::OnChange))
    .Event("OnExecute", static_cast<TActionEvent TActionList::*>(&TCustomActionList::OnExecute))
    .Event("OnUpdate", static_cast<TActionEvent TActionList::*>(&TCustomActionList::OnUpdate))
    .Done();
