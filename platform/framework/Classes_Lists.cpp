// TList and TBits.
#include <utility>
#include "Classes.h"

TList::~TList() { Clear(); }

void TList::Error(const char* Msg, intptr_t Data) {
  throw EListError(Msg, {static_cast<long long>(Data)});
}

void TList::Grow() {
  std::size_t cap = items_.capacity();
  std::size_t delta = cap > 64 ? cap / 4 : (cap > 8 ? 16 : 4);
  items_.reserve(cap + delta);
}

int TList::Add(void* Item) {
  if (items_.size() == items_.capacity()) Grow();
  items_.push_back(Item);
  if (Item != nullptr) Notify(Item, lnAdded);
  return static_cast<int>(items_.size()) - 1;
}

void TList::Clear() {
  SetCount(0);
  SetCapacity(0);
}

void TList::Delete(int Index) {
  if (Index < 0 || Index >= Count()) Error(SListIndexError, Index);
  void* temp = items_[static_cast<std::size_t>(Index)];
  items_.erase(items_.begin() + Index);
  if (temp != nullptr) Notify(temp, lnDeleted);
}

void TList::Exchange(int Index1, int Index2) {
  if (Index1 < 0 || Index1 >= Count()) Error(SListIndexError, Index1);
  if (Index2 < 0 || Index2 >= Count()) Error(SListIndexError, Index2);
  std::swap(items_[static_cast<std::size_t>(Index1)], items_[static_cast<std::size_t>(Index2)]);
}

TList* TList::Expand() {
  if (items_.size() == items_.capacity()) Grow();
  return this;
}

void* TList::Extract(void* Item) {
  int i = IndexOf(Item);
  if (i < 0) return nullptr;
  void* r = Item;
  items_.erase(items_.begin() + i);
  Notify(r, lnExtracted);
  return r;
}

void* TList::First() const { return Items(0); }
void* TList::Last() const { return Items(Count() - 1); }

int TList::IndexOf(void* Item) const {
  for (std::size_t i = 0; i < items_.size(); ++i)
    if (items_[i] == Item) return static_cast<int>(i);
  return -1;
}

void TList::Insert(int Index, void* Item) {
  if (Index < 0 || Index > Count()) Error(SListIndexError, Index);
  if (items_.size() == items_.capacity()) Grow();
  items_.insert(items_.begin() + Index, Item);
  if (Item != nullptr) Notify(Item, lnAdded);
}

void TList::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  if (NewIndex < 0 || NewIndex >= Count()) Error(SListIndexError, NewIndex);
  if (CurIndex < 0 || CurIndex >= Count()) Error(SListIndexError, CurIndex);
  void* item = items_[static_cast<std::size_t>(CurIndex)];
  items_.erase(items_.begin() + CurIndex);
  items_.insert(items_.begin() + NewIndex, item);
}

int TList::Remove(void* Item) {
  int i = IndexOf(Item);
  if (i >= 0) Delete(i);
  return i;
}

void TList::Pack() {
  for (int i = Count() - 1; i >= 0; --i)
    if (items_[static_cast<std::size_t>(i)] == nullptr) Delete(i);
}

void TList::Sort(const TListSortCompare& Compare) {
  if (items_.size() < 2 || !Compare) return;
  // Quicksort whose scans stay inside the range even for an inconsistent compare function.
  std::vector<std::pair<int, int>> stack;
  stack.emplace_back(0, Count() - 1);
  while (!stack.empty()) {
    auto [L, R] = stack.back();
    stack.pop_back();
    while (L < R) {
      int I = L, J = R;
      void* P = items_[static_cast<std::size_t>((L + R) >> 1)];
      do {
        while (I < R && Compare(items_[static_cast<std::size_t>(I)], P) < 0) ++I;
        while (J > L && Compare(items_[static_cast<std::size_t>(J)], P) > 0) --J;
        if (I <= J) {
          std::swap(items_[static_cast<std::size_t>(I)], items_[static_cast<std::size_t>(J)]);
          ++I;
          --J;
        }
      } while (I <= J);
      // Continue with the smaller part, keep the larger for later: the stack stays O(log n).
      if (J - L < R - I) {
        if (I < R) stack.emplace_back(I, R);
        R = J;
      } else {
        if (L < J) stack.emplace_back(L, J);
        L = I;
      }
    }
  }
}

void TList::Assign(TList* ListA) {
  if (ListA == this || ListA == nullptr) return;
  Clear();
  for (int i = 0; i < ListA->Count(); ++i) Add(ListA->Items(i));
}

void TList::SetCapacity(int NewCapacity) {
  if (NewCapacity < Count() || NewCapacity > static_cast<int>(kMaxListSize))
    Error(SListCapacityError, NewCapacity);
  if (NewCapacity == Capacity()) return;
  if (NewCapacity > Capacity()) {
    items_.reserve(static_cast<std::size_t>(NewCapacity));
  } else {
    std::vector<void*> copy;
    copy.reserve(static_cast<std::size_t>(NewCapacity));
    copy.assign(items_.begin(), items_.end());
    items_.swap(copy);
  }
}

void TList::SetCount(int NewCount) {
  if (NewCount < 0 || NewCount > static_cast<int>(kMaxListSize)) Error(SListCountError, NewCount);
  if (NewCount > Count()) {
    items_.resize(static_cast<std::size_t>(NewCount), nullptr);
  } else {
    for (int i = Count() - 1; i >= NewCount; --i) Delete(i);
  }
}

void* TList::Items(int Index) const {
  if (Index < 0 || Index >= Count()) Error(SListIndexError, Index);
  return items_[static_cast<std::size_t>(Index)];
}

void TList::SetItems(int Index, void* Item) {
  if (Index < 0 || Index >= Count()) Error(SListIndexError, Index);
  void* temp = items_[static_cast<std::size_t>(Index)];
  if (Item == temp) return;
  items_[static_cast<std::size_t>(Index)] = Item;
  if (temp != nullptr) Notify(temp, lnDeleted);
  if (Item != nullptr) Notify(Item, lnAdded);
}

// ---------------------------------------------------------------------------------------------
void TBits::Error() { throw EBitsError(SBitsIndexError); }

void TBits::SetSize(int Value) {
  if (Value < 0 || Value > 0x7FFFFFF0) Error();
  bits_.resize(static_cast<std::size_t>(Value), false);
  size_ = Value;
}

bool TBits::Bits(int Index) const {
  if (Index < 0 || Index >= size_) Error();
  return bits_[static_cast<std::size_t>(Index)];
}

void TBits::SetBits(int Index, bool Value) {
  if (Index < 0 || Index == 0x7FFFFFFF) Error();
  if (Index >= size_) SetSize(Index + 1);
  bits_[static_cast<std::size_t>(Index)] = Value;
}

int TBits::OpenBit() const {
  for (int i = 0; i < size_; ++i)
    if (!bits_[static_cast<std::size_t>(i)]) return i;
  return size_;
}
