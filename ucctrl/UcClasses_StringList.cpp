// TUcStringList: wide strings in an array.
#include <cstring>
#include <utility>

#include "SysUtils.h"
#include "UcClasses.h"

TUcStringList::~TUcStringList() {
  OnChange = nullptr;
  OnChanging = nullptr;
}

void TUcStringList::CheckIndex(int Index) const {
  if (Index < 0 || Index >= static_cast<int>(items_.size())) Error(SListIndexError, Index);
}

WideString TUcStringList::Get(int Index) {
  CheckIndex(Index);
  return items_[static_cast<size_t>(Index)].String;
}

TObject* TUcStringList::GetObject(int Index) {
  CheckIndex(Index);
  return items_[static_cast<size_t>(Index)].Object;
}

void TUcStringList::Put(int Index, const WideString& S) {
  if (sorted_) Error(SSortedListError, 0);
  CheckIndex(Index);
  Changing();
  items_[static_cast<size_t>(Index)].String = S;
  Changed();
}

void TUcStringList::PutObject(int Index, TObject* AObject) {
  CheckIndex(Index);
  Changing();
  items_[static_cast<size_t>(Index)].Object = AObject;
  Changed();
}

void TUcStringList::SetCapacity(int NewCapacity) {
  if (NewCapacity < static_cast<int>(items_.size())) Error(SListCapacityError, NewCapacity);
  if (NewCapacity == 0) {
    std::vector<Item>().swap(items_);
  } else if (NewCapacity < capacity_) {
    std::vector<Item> smaller;
    smaller.reserve(static_cast<size_t>(NewCapacity));
    for (auto& item : items_) smaller.push_back(std::move(item));
    items_.swap(smaller);
  } else {
    items_.reserve(static_cast<size_t>(NewCapacity));
  }
  capacity_ = NewCapacity;
}

void TUcStringList::Grow() {
  const int delta = capacity_ > 64 ? capacity_ / 4 : capacity_ > 8 ? 16 : 4;
  SetCapacity(capacity_ + delta);
}

WideString TUcStringList::GetTextStr() {
  size_t total = 0;
  for (const auto& item : items_) total += item.String.size() + 2;
  WideString text(total, u'\0');
  WideChar* out = text.data();
  for (const auto& item : items_) {
    std::memcpy(out, item.String.data(), item.String.size() * sizeof(WideChar));
    out += item.String.size();
    *out++ = u'\r';
    *out++ = u'\n';
  }
  return text;
}

void TUcStringList::SetTextStr(const WideString& Value) {
  TWideStringsUpdate update(this);
  Clear();
  // The lines are then never moved while they are added; the capacity the list reports still
  // grows as it always does.
  items_.reserve(MaxTextLines(Value));
  TUcStrings::SetTextStr(Value);
}

int TUcStringList::CompareStrings(const WideString& S1, const WideString& S2) {
  return case_sensitive_ ? WideCompareStr(S1, S2) : WideCompareText(S1, S2);
}

int TUcStringList::Add(const WideString& S) { return AddObject(S, nullptr); }

int TUcStringList::AddObject(const WideString& S, TObject* AObject) {
  int index = static_cast<int>(items_.size());
  if (sorted_ && Find(S, index)) {
    if (duplicates_ == dupIgnore) return index;
    if (duplicates_ == dupError) Error(SDuplicateString, 0);
  }
  InsertItem(index, S, AObject);
  return index;
}

void TUcStringList::Clear() {
  if (items_.empty()) return;
  Changing();
  items_.clear();
  SetCapacity(0);
  Changed();
}

void TUcStringList::Delete(int Index) {
  CheckIndex(Index);
  Changing();
  items_.erase(items_.begin() + Index);
  Changed();
}

void TUcStringList::ExchangeItems(int Index1, int Index2) {
  std::swap(items_[static_cast<size_t>(Index1)], items_[static_cast<size_t>(Index2)]);
}

void TUcStringList::Exchange(int Index1, int Index2) {
  CheckIndex(Index1);
  CheckIndex(Index2);
  Changing();
  ExchangeItems(Index1, Index2);
  Changed();
}

int TUcStringList::IndexOf(const WideString& S) {
  if (!sorted_) return TUcStrings::IndexOf(S);
  int index = -1;
  return Find(S, index) ? index : -1;
}

int TUcStringList::IndexOfName(const WideString& Name) { return TUcStrings::IndexOfName(Name); }

void TUcStringList::Insert(int Index, const WideString& S) { InsertObject(Index, S, nullptr); }

void TUcStringList::InsertObject(int Index, const WideString& S, TObject* AObject) {
  if (sorted_) Error(SSortedListError, 0);
  if (Index < 0 || Index > static_cast<int>(items_.size())) Error(SListIndexError, Index);
  InsertItem(Index, S, AObject);
}

void TUcStringList::Move(int CurIndex, int NewIndex) {
  if (sorted_ && CurIndex != NewIndex) Error(SSortedListError, 0);
  TUcStrings::Move(CurIndex, NewIndex);
}

void TUcStringList::InsertItem(int Index, const WideString& S, TObject* AObject) {
  Changing();
  if (static_cast<int>(items_.size()) == capacity_) Grow();
  items_.insert(items_.begin() + Index, Item{S, AObject});
  Changed();
}

void TUcStringList::Changed() {
  if (!updating_ && OnChange) OnChange(this);
}

void TUcStringList::Changing() {
  if (!updating_ && OnChanging) OnChanging(this);
}

void TUcStringList::SetUpdateState(bool Updating) {
  updating_ = Updating;
  if (Updating) Changing();
  else Changed();
}

bool TUcStringList::Find(const WideString& S, int& Index) {
  bool found = false;
  int lo = 0, hi = static_cast<int>(items_.size()) - 1;
  while (lo <= hi) {
    const int mid = (lo + hi) / 2;
    const int c = CompareStrings(items_[static_cast<size_t>(mid)].String, S);
    if (c < 0) {
      lo = mid + 1;
    } else {
      hi = mid - 1;
      if (c == 0) {
        found = true;
        if (duplicates_ != dupAccept) lo = mid;
      }
    }
  }
  Index = lo;
  return found;
}

void TUcStringList::Sort() {
  CustomSort([](TUcStringList* List, int I, int J) {
    return List->CompareStrings(List->items_[static_cast<size_t>(I)].String,
                                List->items_[static_cast<size_t>(J)].String);
  });
}

void TUcStringList::CustomSort(const TUcStringListSortCompare& Compare) {
  if (sorted_ || items_.size() < 2) return;
  Changing();
  QuickSort(0, static_cast<int>(items_.size()) - 1, Compare);
  Changed();
}

void TUcStringList::QuickSort(int L, int R, const TUcStringListSortCompare& Compare) {
  int i;
  do {
    i = L;
    int j = R;
    int p = (L + R) / 2;
    do {
      while (Compare(this, i, p) < 0) ++i;
      while (Compare(this, j, p) > 0) --j;
      if (i <= j) {
        ExchangeItems(i, j);
        if (p == i) p = j;
        else if (p == j) p = i;
        ++i;
        --j;
      }
    } while (i <= j);
    if (L < j) QuickSort(L, j, Compare);
    L = i;
  } while (i < R);
}

void TUcStringList::SetSorted(bool Value) {
  if (sorted_ == Value) return;
  if (Value) Sort();
  sorted_ = Value;
}

void TUcStringList::SetCaseSensitive(bool Value) {
  if (case_sensitive_ == Value) return;
  case_sensitive_ = Value;
  if (sorted_) {
    sorted_ = false;
    Sort();
    sorted_ = true;
  }
}
