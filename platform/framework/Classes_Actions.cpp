#include <algorithm>

#include "Classes.h"
#include "TypInfo.h"

TBasicAction::~TBasicAction() {
  while (!clients_.empty()) UnRegisterChanges(clients_.back());
}

bool TBasicAction::Execute() {
  if (!OnExecute) return false;
  OnExecute(this);
  return true;
}

bool TBasicAction::Update() {
  if (!OnUpdate) return false;
  OnUpdate(this);
  return true;
}

void TBasicAction::RegisterChanges(TBasicActionLink* Value) {
  Value->action_ = this;
  clients_.push_back(Value);
}

void TBasicAction::UnRegisterChanges(TBasicActionLink* Value) {
  auto it = std::find(clients_.begin(), clients_.end(), Value);
  if (it == clients_.end()) return;
  clients_.erase(it);
  Value->action_ = nullptr;
}

void TBasicAction::Change() {
  if (OnChange) OnChange(this);
  // A link's Change may unregister it: walk a copy.
  std::vector<TBasicActionLink*> links = clients_;
  for (TBasicActionLink* l : links)
    if (std::find(clients_.begin(), clients_.end(), l) != clients_.end()) l->Change();
}

TBasicActionLink::~TBasicActionLink() {
  if (action_) action_->UnRegisterChanges(this);
}

void TBasicActionLink::SetAction(TBasicAction* Value) {
  if (Value == action_) return;
  if (action_) action_->UnRegisterChanges(this);
  if (Value) Value->RegisterChanges(this);
}

bool TBasicActionLink::Execute(TComponent* AComponent) {
  if (!action_) return false;
  TBasicAction* a = action_;
  a->SetActionComponent(AComponent);
  struct Reset {
    TBasicActionLink* link;
    TBasicAction* action;
    ~Reset() {
      if (link->action_ == action) action->SetActionComponent(nullptr);
    }
  } reset{this, a};
  return a->Execute();
}

bool TBasicActionLink::Update() { return action_ && action_->Update(); }

void TBasicActionLink::Change() {
  if (OnChange) OnChange(action_);
}

static const bool registered = DeclareClass<TBasicAction, TComponent>("TBasicAction")
    .Event("OnExecute", &TBasicAction::OnExecute)
    .Event("OnUpdate", &TBasicAction::OnUpdate)
    .Done();
