// TPersistent and TComponent.
#include <algorithm>
#include "Classes.h"

TPersistent::~TPersistent() = default;

void TPersistent::Assign(TPersistent* Source) {
  if (Source != nullptr) {
    Source->AssignTo(this);
  } else {
    AssignError(nullptr);
  }
}

void TPersistent::AssignTo(TPersistent* Dest) { Dest->AssignError(this); }

void TPersistent::AssignError(TPersistent* Source) {
  AnsiString sourceName = Source != nullptr ? Source->ClassName() : AnsiString("nil");
  throw EConvertError(SAssignError, {sourceName, ClassName()});
}

AnsiString TPersistent::GetNamePath() {
  AnsiString r = ClassName();
  if (TPersistent* owner = GetOwner()) {
    AnsiString s = owner->GetNamePath();
    if (!s.empty()) r = s + "." + r;
  }
  return r;
}

// ---------------------------------------------------------------------------------------------
TComponent::TComponent(TComponent* AOwner) {
  if (AOwner != nullptr) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
  Destroying();
  // Tell everyone who holds a reference; a receiver may remove itself (or others) meanwhile.
  while (!free_notifies_.empty()) {
    TComponent* other = free_notifies_.back();
    free_notifies_.pop_back();
    // It no longer needs to hear of us, nor we of it.
    auto& back = other->free_notifies_;
    back.erase(std::remove(back.begin(), back.end(), this), back.end());
    other->Notification(this, opRemove);
  }
  DestroyComponents();
  if (owner_ != nullptr) owner_->RemoveComponent(this);
}

TComponent* TComponent::Components(int Index) const {
  if (Index < 0 || Index >= ComponentCount()) TList::Error(SListIndexError, Index);
  return components_[static_cast<std::size_t>(Index)];
}

int TComponent::ComponentIndex() const {
  if (owner_ == nullptr) return -1;
  auto& v = owner_->components_;
  auto it = std::find(v.begin(), v.end(), this);
  return it == v.end() ? -1 : static_cast<int>(it - v.begin());
}

void TComponent::SetComponentIndex(int Value) {
  if (owner_ == nullptr) return;
  int i = ComponentIndex();
  auto& v = owner_->components_;
  int count = static_cast<int>(v.size());
  if (i < 0) return;
  if (Value < 0) Value = 0;
  if (Value >= count) Value = count - 1;
  if (Value == i) return;
  v.erase(v.begin() + i);
  v.insert(v.begin() + Value, this);
}

void TComponent::SetName(const AnsiString& NewName) {
  if (name_ == NewName) return;
  if (!NewName.empty() && !IsValidIdent(NewName)) throw EComponentError(SInvalidName, {NewName});
  if (owner_ != nullptr) owner_->ValidateRename(this, name_, NewName);
  else ValidateRename(nullptr, name_, NewName);
  ChangeName(NewName);
}

void TComponent::ValidateRename(TComponent* AComponent, const AnsiString& CurName,
                                const AnsiString& NewName) {
  if (AComponent != nullptr && !SameText(CurName, NewName) && AComponent->owner_ == this &&
      FindComponent(NewName) != nullptr)
    throw EComponentError(SDuplicateName, {NewName});
  if (state_.Contains(csDesigning) && owner_ != nullptr)
    owner_->ValidateRename(AComponent, CurName, NewName);
}

void TComponent::ValidateContainer(TComponent* AComponent) { AComponent->ValidateInsert(this); }

void TComponent::DestroyComponents() {
  while (!components_.empty()) {
    TComponent* instance = components_.back();
    if (instance->state_.Contains(csFreeNotification) ||
        (state_.Contains(csDesigning) && state_.Contains(csInline))) {
      RemoveComponent(instance);
    } else {
      Remove(instance);
    }
    instance->BeforeDestruction();
    delete instance;
  }
}

void TComponent::Destroying() {
  if (state_.Contains(csDestroying)) return;
  state_.Include(csDestroying);
  for (TComponent* c : components_) c->Destroying();
}

TComponent* TComponent::FindComponent(const AnsiString& AName) const {
  if (AName.empty()) return nullptr;
  for (TComponent* c : components_)
    if (SameText(c->name_, AName)) return c;
  return nullptr;
}

void TComponent::FreeNotification(TComponent* AComponent) {
  if (AComponent == nullptr || AComponent == this) return;
  if (owner_ == nullptr || AComponent->owner_ != owner_) {
    // Each side hears of the other's end.
    if (std::find(free_notifies_.begin(), free_notifies_.end(), AComponent) == free_notifies_.end()) {
      free_notifies_.push_back(AComponent);
      AComponent->FreeNotification(this);
    }
  }
  state_.Include(csFreeNotification);
}

void TComponent::RemoveNotification(TComponent* AComponent) {
  free_notifies_.erase(std::remove(free_notifies_.begin(), free_notifies_.end(), AComponent),
                       free_notifies_.end());
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
  if (AComponent == nullptr) return;
  RemoveNotification(AComponent);
  AComponent->RemoveNotification(this);
}

void TComponent::Insert(TComponent* AComponent) {
  components_.push_back(AComponent);
  AComponent->owner_ = this;
}

void TComponent::Remove(TComponent* AComponent) {
  AComponent->owner_ = nullptr;
  components_.erase(std::remove(components_.begin(), components_.end(), AComponent),
                    components_.end());
}

void TComponent::InsertComponent(TComponent* AComponent) {
  if (AComponent == nullptr) return;
  AComponent->ValidateContainer(this);
  ValidateRename(AComponent, AnsiString(), AComponent->name_);
  if (AComponent->owner_ != nullptr) AComponent->owner_->RemoveComponent(AComponent);
  Insert(AComponent);
  if (state_.Contains(csDesigning)) AComponent->SetDesigning(true);
  Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
  if (AComponent == nullptr || AComponent->owner_ != this) return;
  ValidateRename(AComponent, AComponent->name_, AnsiString());
  Notification(AComponent, opRemove);
  Remove(AComponent);
}

void TComponent::Loaded() { state_.Exclude(csLoading); }

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
  if (Operation == opRemove && AComponent != nullptr) RemoveFreeNotification(AComponent);
  // Owned components hear of it too (last first); the list may shrink while they handle it.
  int i = static_cast<int>(components_.size()) - 1;
  while (i >= 0) {
    components_[static_cast<std::size_t>(i)]->Notification(AComponent, Operation);
    --i;
    if (i >= static_cast<int>(components_.size())) i = static_cast<int>(components_.size()) - 1;
  }
}

void TComponent::SetDesigning(bool Value, bool SetChildren) {
  if (Value) state_.Include(csDesigning);
  else state_.Exclude(csDesigning);
  if (SetChildren)
    for (TComponent* c : components_) c->SetDesigning(Value, true);
}

void TComponent::SetAncestor(bool Value) {
  if (Value) state_.Include(csAncestor);
  else state_.Exclude(csAncestor);
  for (TComponent* c : components_) c->SetAncestor(Value);
}

void TComponent::SetInline(bool Value) {
  if (Value) state_.Include(csInline);
  else state_.Exclude(csInline);
}
