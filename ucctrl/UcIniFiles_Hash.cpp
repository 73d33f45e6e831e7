// TUcStringHash and TUcHashedStringList: the memory INI's look-ups.
#include "UcIniFiles.h"
#include "UcSysUtils.h"

TUcStringHash::TUcStringHash(int Size) : buckets_(static_cast<size_t>(Size > 0 ? Size : 1), nullptr) {}

TUcStringHash::~TUcStringHash() { Clear(); }

uint32_t TUcStringHash::HashOf(const WideString& Key) {
  uint32_t hash = 0;
  for (WideChar c : Key) hash = ((hash << 2) | (hash >> 30)) ^ c;
  return hash;
}

void TUcStringHash::Add(const WideString& Key, int32_t Value) {
  Node*& head = buckets_[HashOf(Key) % buckets_.size()];
  head = new Node{head, Key, Value};
}

void TUcStringHash::Clear() {
  for (Node*& head : buckets_) {
    while (head) {
      Node* next = head->Next;
      delete head;
      head = next;
    }
  }
}

int32_t TUcStringHash::ValueOf(const WideString& Key) {
  for (Node* n = buckets_[HashOf(Key) % buckets_.size()]; n; n = n->Next)
    if (n->Key == Key) return n->Value;
  return -1;
}

TUcHashedStringList::~TUcHashedStringList() = default;

WideString TUcHashedStringList::KeyOf(const WideString& S) { return CaseSensitive() ? S : WideUpperCopy(S); }

int TUcHashedStringList::IndexOf(const WideString& S) {
  if (!value_hash_valid_) {
    if (!value_hash_) value_hash_ = std::make_unique<TUcStringHash>(256);
    else value_hash_->Clear();
    const int n = Count();
    for (int i = 0; i < n; ++i) value_hash_->Add(KeyOf(Get(i)), i);
    value_hash_valid_ = true;
  }
  return value_hash_->ValueOf(KeyOf(S));
}

int TUcHashedStringList::IndexOfName(const WideString& Name) {
  if (!name_hash_valid_) {
    if (!name_hash_) name_hash_ = std::make_unique<TUcStringHash>(256);
    else name_hash_->Clear();
    const int n = Count();
    for (int i = 0; i < n; ++i) {
      const WideString s = Get(i);
      const size_t eq = s.find(NameValueSeparator);
      if (eq != WideString::npos && eq > 0) name_hash_->Add(KeyOf(s.substr(0, eq)), i);
    }
    name_hash_valid_ = true;
  }
  return name_hash_->ValueOf(KeyOf(Name));
}

void TUcHashedStringList::Changed() {
  TUcStringList::Changed();
  value_hash_valid_ = false;
  name_hash_valid_ = false;
}
