// TStrings and TStringList.
#include <algorithm>
#include <utility>
#include "Classes.h"

TStrings::~TStrings() = default;

void TStrings::Error(const char* Msg, intptr_t Data) {
  throw EStringListError(Msg, {static_cast<long long>(Data)});
}

int TStrings::Add(const AnsiString& S) {
  int result = Count();
  Insert(result, S);
  return result;
}

int TStrings::AddObject(const AnsiString& S, TObject* AObject) {
  int result = Add(S);
  SetObjects(result, AObject);
  return result;
}

void TStrings::AddStrings(TStrings* Strings) {
  if (Strings == nullptr) return;
  // The count is taken first, so adding a list to itself doubles it once.
  int n = Strings->Count();
  BeginUpdate();
  try {
    for (int i = 0; i < n; ++i) AddObject(Strings->Strings(i), Strings->Objects(i));
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStrings::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TStrings*>(Source)) {
    if (src == this) return;
    BeginUpdate();
    try {
      Clear();
      delimiter_ = src->delimiter_;
      quote_char_ = src->quote_char_;
      name_value_separator_ = src->name_value_separator_;
      AddStrings(src);
    } catch (...) {
      EndUpdate();
      throw;
    }
    EndUpdate();
    return;
  }
  TPersistent::Assign(Source);
}

void TStrings::BeginUpdate() {
  if (update_count_ == 0) SetUpdateState(true);
  ++update_count_;
}

void TStrings::EndUpdate() {
  --update_count_;
  if (update_count_ == 0) SetUpdateState(false);
}

bool TStrings::Equals(TStrings* Strings) {
  if (Strings == nullptr) return false;
  int n = Count();
  if (n != Strings->Count()) return false;
  for (int i = 0; i < n; ++i)
    if (this->Strings(i) != Strings->Strings(i)) return false;
  return true;
}

void TStrings::Exchange(int Index1, int Index2) {
  BeginUpdate();
  try {
    TObject* tempObject = Objects(Index1);
    AnsiString tempString = Strings(Index1);
    SetStrings(Index1, Strings(Index2));
    SetObjects(Index1, Objects(Index2));
    SetStrings(Index2, tempString);
    SetObjects(Index2, tempObject);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

int TStrings::CompareStrings(const AnsiString& S1, const AnsiString& S2) {
  return AnsiCompareText(S1, S2);
}

int TStrings::IndexOf(const AnsiString& S) {
  int n = Count();
  for (int i = 0; i < n; ++i)
    if (CompareStrings(Strings(i), S) == 0) return i;
  return -1;
}

AnsiString TStrings::ExtractName(const AnsiString& S) const {
  int p = AnsiPos(AnsiString(1, name_value_separator_), S);
  return p > 0 ? S.substr(0, static_cast<std::size_t>(p - 1)) : AnsiString();
}

int TStrings::IndexOfName(const AnsiString& Name) {
  int n = Count();
  AnsiString sep(1, name_value_separator_);
  for (int i = 0; i < n; ++i) {
    AnsiString s = Strings(i);
    int p = AnsiPos(sep, s);
    if (p > 0 && CompareStrings(s.substr(0, static_cast<std::size_t>(p - 1)), Name) == 0) return i;
  }
  return -1;
}

int TStrings::IndexOfObject(TObject* AObject) {
  int n = Count();
  for (int i = 0; i < n; ++i)
    if (Objects(i) == AObject) return i;
  return -1;
}

void TStrings::InsertObject(int Index, const AnsiString& S, TObject* AObject) {
  Insert(Index, S);
  SetObjects(Index, AObject);
}

void TStrings::LoadFromStream(TStream* Stream) {
  BeginUpdate();
  try {
    int64_t size = Stream->Size() - Stream->Position();
    AnsiString s;
    if (size > 0) {
      if (size > 0x7FFFFFFF) throw EReadError(SReadError);
      s.resize(static_cast<std::size_t>(size));
      int32_t got = Stream->Read(s.data(), static_cast<int32_t>(size));
      s.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    }
    SetText(s);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStrings::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  BeginUpdate();
  try {
    AnsiString tempString = Strings(CurIndex);
    TObject* tempObject = Objects(CurIndex);
    Delete(CurIndex);
    InsertObject(NewIndex, tempString, tempObject);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStrings::SaveToStream(TStream* Stream) {
  AnsiString s = Text();
  if (!s.empty()) Stream->WriteBuffer(s.data(), static_cast<int32_t>(s.size()));
}

void TStrings::SetStrings(int Index, const AnsiString& S) {
  TObject* tempObject = Objects(Index);
  Delete(Index);
  InsertObject(Index, S, tempObject);
}

TObject* TStrings::Objects(int) { return nullptr; }
void TStrings::SetObjects(int, TObject*) {}

AnsiString TStrings::Names(int Index) { return ExtractName(Strings(Index)); }

AnsiString TStrings::Values(const AnsiString& Name) {
  int i = IndexOfName(Name);
  if (i < 0) return AnsiString();
  return Strings(i).substr(std::min(Strings(i).size(), Name.size() + 1));
}

void TStrings::SetValues(const AnsiString& Name, const AnsiString& Value) {
  int i = IndexOfName(Name);
  if (!Value.empty()) {
    if (i < 0) i = Add(AnsiString());
    SetStrings(i, Name + name_value_separator_ + Value);
  } else if (i >= 0) {
    Delete(i);
  }
}

AnsiString TStrings::ValueFromIndex(int Index) {
  if (Index < 0) return AnsiString();
  AnsiString s = Strings(Index);
  std::size_t skip = Names(Index).size() + 1;
  return skip <= s.size() ? s.substr(skip) : AnsiString();
}

void TStrings::SetValueFromIndex(int Index, const AnsiString& Value) {
  if (!Value.empty()) {
    if (Index < 0) Index = Add(AnsiString());
    SetStrings(Index, Names(Index) + name_value_separator_ + Value);
  } else if (Index >= 0) {
    Delete(Index);
  }
}

AnsiString TStrings::Text() {
  AnsiString r;
  int n = Count();
  for (int i = 0; i < n; ++i) {
    r += Strings(i);
    r += "\r\n";
  }
  return r;
}

void TStrings::SetText(const AnsiString& Value) {
  BeginUpdate();
  try {
    Clear();
    std::size_t i = 0;
    const std::size_t n = Value.size();
    while (i < n && Value[i] != 0) {
      std::size_t start = i;
      while (i < n && Value[i] != 0 && Value[i] != '\r' && Value[i] != '\n') ++i;
      Add(Value.substr(start, i - start));
      if (i < n && Value[i] == '\r') ++i;
      if (i < n && Value[i] == '\n') ++i;
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

AnsiString TStrings::DelimitedText() {
  int n = Count();
  if (n == 1 && Strings(0).empty()) return AnsiString(2, quote_char_);
  AnsiString r;
  for (int i = 0; i < n; ++i) {
    AnsiString s = Strings(i);
    bool quote = false;
    for (std::size_t k = 0; k < s.size(); k = NextCharIndex(s, k)) {
      unsigned char c = static_cast<unsigned char>(s[k]);
      if (NextCharIndex(s, k) == k + 1 && (c <= ' ' || s[k] == quote_char_ || s[k] == delimiter_)) {
        quote = true;
        break;
      }
    }
    if (quote) s = AnsiQuotedStr(s, quote_char_);
    if (i > 0) r += delimiter_;
    r += s;
  }
  return r;
}

void TStrings::SetDelimitedText(const AnsiString& Value) {
  BeginUpdate();
  try {
    Clear();
    const char* p = Value.c_str();
    const char* end = p + Value.size();
    auto blank = [](char c) { return c >= 1 && c <= ' '; };
    auto next = [&](const char* q) {
      return (IsLeadByte(*q) && q + 1 < end && q[1] != 0) ? q + 2 : q + 1;
    };
    while (p < end && blank(*p)) ++p;
    while (p < end && *p != 0) {
      AnsiString s;
      if (*p == quote_char_) {
        s = AnsiExtractQuotedStr(p, quote_char_);
      } else {
        const char* start = p;
        while (p < end && static_cast<unsigned char>(*p) > ' ' &&
               !(*p == delimiter_ && !IsLeadByte(*p)))
          p = next(p);
        if (p > end) p = end;
        s.assign(start, static_cast<std::size_t>(p - start));
      }
      Add(s);
      while (p < end && blank(*p)) ++p;
      if (p < end && *p == delimiter_) {
        const char* q = p + 1;
        if (q >= end || *q == 0) Add(AnsiString());
        do {
          ++p;
        } while (p < end && blank(*p));
      }
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

AnsiString TStrings::CommaText() {
  char d = delimiter_, q = quote_char_;
  delimiter_ = ',';
  quote_char_ = '"';
  AnsiString r;
  try {
    r = DelimitedText();
  } catch (...) {
    delimiter_ = d;
    quote_char_ = q;
    throw;
  }
  delimiter_ = d;
  quote_char_ = q;
  return r;
}

void TStrings::SetCommaText(const AnsiString& Value) {
  char d = delimiter_, q = quote_char_;
  delimiter_ = ',';
  quote_char_ = '"';
  try {
    SetDelimitedText(Value);
  } catch (...) {
    delimiter_ = d;
    quote_char_ = q;
    throw;
  }
  delimiter_ = d;
  quote_char_ = q;
}

// ---------------------------------------------------------------------------------------------
TStringList::~TStringList() {
  OnChange = nullptr;
  OnChanging = nullptr;
}

void TStringList::CheckIndex(int Index) const {
  if (Index < 0 || Index >= static_cast<int>(items_.size())) Error(SListIndexError, Index);
}

void TStringList::Grow() {
  std::size_t cap = items_.capacity();
  std::size_t delta = cap > 64 ? cap / 4 : (cap > 8 ? 16 : 4);
  items_.reserve(cap + delta);
}

void TStringList::Changed() {
  if (UpdateCount() == 0 && OnChange) OnChange(this);
}

void TStringList::Changing() {
  if (UpdateCount() == 0 && OnChanging) OnChanging(this);
}

void TStringList::SetUpdateState(bool Updating) {
  if (Updating) Changing();
  else Changed();
}

int TStringList::CompareStrings(const AnsiString& S1, const AnsiString& S2) {
  return case_sensitive_ ? AnsiCompareStr(S1, S2) : AnsiCompareText(S1, S2);
}

int TStringList::Add(const AnsiString& S) { return AddObject(S, nullptr); }

int TStringList::AddObject(const AnsiString& S, TObject* AObject) {
  int result;
  if (!sorted_) {
    result = Count();
  } else if (Find(S, result)) {
    switch (duplicates_) {
      case dupIgnore: return result;
      case dupError: Error(SDuplicateString, 0);
      case dupAccept: break;
    }
  }
  InsertItem(result, S, AObject);
  return result;
}

void TStringList::InsertItem(int Index, const AnsiString& S, TObject* AObject) {
  Changing();
  if (items_.size() == items_.capacity()) Grow();
  items_.insert(items_.begin() + Index, Item{S, AObject});
  Changed();
}

void TStringList::Clear() {
  if (items_.empty()) return;
  Changing();
  std::vector<Item>().swap(items_);
  Changed();
}

void TStringList::Delete(int Index) {
  CheckIndex(Index);
  Changing();
  items_.erase(items_.begin() + Index);
  Changed();
}

void TStringList::Exchange(int Index1, int Index2) {
  CheckIndex(Index1);
  CheckIndex(Index2);
  Changing();
  std::swap(items_[static_cast<std::size_t>(Index1)], items_[static_cast<std::size_t>(Index2)]);
  Changed();
}

bool TStringList::Find(const AnsiString& S, int& Index) {
  bool result = false;
  int L = 0, H = Count() - 1;
  while (L <= H) {
    int I = (L + H) >> 1;
    int C = CompareStrings(items_[static_cast<std::size_t>(I)].String, S);
    if (C < 0) {
      L = I + 1;
    } else {
      H = I - 1;
      if (C == 0) {
        result = true;
        if (duplicates_ != dupAccept) L = I;
      }
    }
  }
  Index = L;
  return result;
}

int TStringList::IndexOf(const AnsiString& S) {
  if (!sorted_) return TStrings::IndexOf(S);
  int i;
  return Find(S, i) ? i : -1;
}

void TStringList::Insert(int Index, const AnsiString& S) { InsertObject(Index, S, nullptr); }

void TStringList::InsertObject(int Index, const AnsiString& S, TObject* AObject) {
  if (sorted_) Error(SSortedListError, 0);
  if (Index < 0 || Index > Count()) Error(SListIndexError, Index);
  InsertItem(Index, S, AObject);
}

AnsiString TStringList::Strings(int Index) {
  CheckIndex(Index);
  return items_[static_cast<std::size_t>(Index)].String;
}

void TStringList::SetStrings(int Index, const AnsiString& S) {
  if (sorted_) Error(SSortedListError, 0);
  CheckIndex(Index);
  Changing();
  items_[static_cast<std::size_t>(Index)].String = S;
  Changed();
}

TObject* TStringList::Objects(int Index) {
  CheckIndex(Index);
  return items_[static_cast<std::size_t>(Index)].Object;
}

void TStringList::SetObjects(int Index, TObject* AObject) {
  CheckIndex(Index);
  Changing();
  items_[static_cast<std::size_t>(Index)].Object = AObject;
  Changed();
}

void TStringList::SetCapacity(int NewCapacity) {
  if (NewCapacity < Count() || NewCapacity > static_cast<int>(kMaxListSize))
    Error(SListCapacityError, NewCapacity);
  if (NewCapacity > Capacity()) {
    items_.reserve(static_cast<std::size_t>(NewCapacity));
  } else if (NewCapacity < Capacity()) {
    std::vector<Item> copy;
    copy.reserve(static_cast<std::size_t>(NewCapacity));
    for (auto& it : items_) copy.push_back(std::move(it));
    items_.swap(copy);
  }
}

void TStringList::SetSorted(bool Value) {
  if (sorted_ == Value) return;
  if (Value) Sort();
  sorted_ = Value;
}

void TStringList::SetCaseSensitive(bool Value) {
  if (case_sensitive_ == Value) return;
  case_sensitive_ = Value;
  // The order follows the comparison: a sorted list is sorted again.
  if (sorted_) {
    sorted_ = false;
    Sort();
    sorted_ = true;
  }
}

void TStringList::Sort() {
  CustomSort([](TStringList* list, int i1, int i2) {
    return list->CompareStrings(list->items_[static_cast<std::size_t>(i1)].String,
                                list->items_[static_cast<std::size_t>(i2)].String);
  });
}

void TStringList::CustomSort(const TStringListSortCompare& Compare) {
  if (sorted_ || items_.size() < 2 || !Compare) return;
  Changing();
  QuickSort(0, Count() - 1, Compare);
  Changed();
}

void TStringList::QuickSort(int L, int R, const TStringListSortCompare& Compare) {
  // The pivot is followed by index as items move; scans stay inside [L, R] whatever Compare says.
  std::vector<std::pair<int, int>> stack;
  stack.emplace_back(L, R);
  while (!stack.empty()) {
    auto [lo, hi] = stack.back();
    stack.pop_back();
    while (lo < hi) {
      int I = lo, J = hi, P = (lo + hi) >> 1;
      do {
        while (I < hi && Compare(this, I, P) < 0) ++I;
        while (J > lo && Compare(this, J, P) > 0) --J;
        if (I <= J) {
          if (I != J) std::swap(items_[static_cast<std::size_t>(I)], items_[static_cast<std::size_t>(J)]);
          if (P == I) P = J;
          else if (P == J) P = I;
          ++I;
          --J;
        }
      } while (I <= J);
      if (J - lo < hi - I) {
        if (I < hi) stack.emplace_back(I, hi);
        hi = J;
      } else {
        if (lo < J) stack.emplace_back(lo, J);
        lo = I;
      }
    }
  }
}
