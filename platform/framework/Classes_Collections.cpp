// TCollection and TCollectionItem.
#include <algorithm>
#include "Classes.h"

TCollectionItem::TCollectionItem(TCollection* Collection) {
  if (Collection != nullptr) Collection->InsertItem(this);
}

TCollectionItem::~TCollectionItem() {
  if (collection_ != nullptr) collection_->RemoveItem(this);
}

void TCollectionItem::SetCollection(TCollection* Value) {
  if (collection_ == Value) return;
  if (Value != nullptr && Value->item_class_.IsInstance && !Value->item_class_.IsInstance(this))
    throw EListError(SInvalidProperty);
  if (collection_ != nullptr) collection_->RemoveItem(this);
  if (Value != nullptr) Value->InsertItem(this);
}

int TCollectionItem::Index() const {
  if (collection_ == nullptr) return -1;
  auto& v = collection_->items_;
  auto it = std::find(v.begin(), v.end(), this);
  return it == v.end() ? -1 : static_cast<int>(it - v.begin());
}

void TCollectionItem::SetIndex(int Value) {
  int cur = Index();
  if (cur >= 0 && cur != Value) {
    collection_->MoveItem(cur, Value);
    Changed(true);
  }
}

AnsiString TCollectionItem::DisplayName() { return ClassName(); }

void TCollectionItem::SetDisplayName(const AnsiString&) { Changed(false); }

AnsiString TCollectionItem::GetNamePath() {
  if (collection_ != nullptr) return Format("%s[%d]", {collection_->GetNamePath(), Index()});
  return ClassName();
}

void TCollectionItem::Changed(bool AllItems) {
  if (collection_ != nullptr && collection_->update_count_ == 0)
    collection_->Update(AllItems ? nullptr : this);
}

TPersistent* TCollectionItem::GetOwner() { return collection_; }

// ---------------------------------------------------------------------------------------------
TCollection::TCollection(TCollectionItemClass ItemClass) : item_class_(std::move(ItemClass)) {}

TCollection::~TCollection() {
  update_count_ = 1;  // no Update calls while the items go
  while (!items_.empty()) delete items_.back();
}

TCollectionItem* TCollection::Add() {
  if (!item_class_.Create) throw EListError(SInvalidProperty);
  return item_class_.Create(this);
}

void TCollection::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TCollection*>(Source)) {
    if (src == this) return;
    BeginUpdate();
    try {
      Clear();
      for (int i = 0; i < src->Count(); ++i) Add()->Assign(src->Items(i));
    } catch (...) {
      EndUpdate();
      throw;
    }
    EndUpdate();
    return;
  }
  TPersistent::Assign(Source);
}

void TCollection::BeginUpdate() { ++update_count_; }

void TCollection::EndUpdate() {
  --update_count_;
  Changed();
}

void TCollection::Changed() {
  if (update_count_ == 0) Update(nullptr);
}

void TCollection::Clear() {
  if (items_.empty()) return;
  BeginUpdate();
  while (!items_.empty()) delete items_.back();
  EndUpdate();
}

void TCollection::Delete(int Index) {
  if (Index < 0 || Index >= Count()) TList::Error(SListIndexError, Index);
  TCollectionItem* item = items_[static_cast<std::size_t>(Index)];
  Notify(item, cnDeleting);
  delete item;
}

TCollectionItem* TCollection::Insert(int Index) {
  TCollectionItem* item = Add();
  item->SetIndex(Index);
  return item;
}

TCollectionItem* TCollection::FindItemID(int ID) const {
  for (TCollectionItem* i : items_)
    if (i->id_ == ID) return i;
  return nullptr;
}

AnsiString TCollection::GetNamePath() {
  AnsiString r = ClassName();
  TPersistent* owner = GetOwner();
  if (owner == nullptr) return r;
  AnsiString s = owner->GetNamePath();
  return s.empty() ? r : s;
}

TCollectionItem* TCollection::Items(int Index) const {
  if (Index < 0 || Index >= Count()) TList::Error(SListIndexError, Index);
  return items_[static_cast<std::size_t>(Index)];
}

void TCollection::SetItem(int Index, TCollectionItem* Value) { Items(Index)->Assign(Value); }

void TCollection::InsertItem(TCollectionItem* Item) {
  items_.push_back(Item);
  Item->collection_ = this;
  Item->id_ = next_id_++;
  SetItemName(Item);
  Notify(Item, cnAdded);
  Changed();
}

void TCollection::RemoveItem(TCollectionItem* Item) {
  Notify(Item, cnExtracting);
  auto it = std::find(items_.begin(), items_.end(), Item);
  if (it != items_.end()) items_.erase(it);
  Item->collection_ = nullptr;
  Changed();
}

void TCollection::MoveItem(int CurIndex, int NewIndex) {
  if (NewIndex < 0 || NewIndex >= Count()) TList::Error(SListIndexError, NewIndex);
  TCollectionItem* item = items_[static_cast<std::size_t>(CurIndex)];
  items_.erase(items_.begin() + CurIndex);
  items_.insert(items_.begin() + NewIndex, item);
}
