#include "DXClass.h"

#include <cmath>
#include <memory>

#include "TypInfo.h"
#include "windows.h"

// ---------------------------------------------------------------- cosine table

namespace {

struct CosineTable {
  std::array<Extended, 256> Values;
  CosineTable() {
    for (int i = 0; i < 256; ++i)
      Values[static_cast<size_t>(i)] =
          std::cos(static_cast<Extended>(i) * 0.00390625L * 2 * 3.14159265358979323846264338327950288L);
  }
};

const CosineTable& Table() {
  static const CosineTable table;  // built at the first call, before any form needs it
  return table;
}

// Filled when the unit starts, as the drawing code expects the table ready from the beginning.
[[maybe_unused]] const CosineTable& g_table_at_start = Table();

}  // namespace

Extended Cos256(int32_t Angle) { return Table().Values[static_cast<uint32_t>(Angle) & 255u]; }

Extended Sin256(int32_t Angle) {
  return Table().Values[(static_cast<uint32_t>(Angle) + 192u) & 255u];
}

// ---------------------------------------------------------------- library loader

namespace {

// Lower-cased names with their module handles; the libraries are freed in list order at exit.
class LibraryCache {
 public:
  ~LibraryCache() {
    for (int i = 0; i < list_.Count(); ++i)
      FreeLibrary(reinterpret_cast<HMODULE>(list_.Objects(i)));
  }
  TStringList& List() { return list_; }

 private:
  TStringList list_;
};

std::unique_ptr<LibraryCache>& Cache() {
  static std::unique_ptr<LibraryCache> cache;
  return cache;
}

const char* const SDXLoadError = "%s を読み込めません";

}  // namespace

void* DXLoadLibraryProc(const AnsiString& LibName, const AnsiString& ProcName) {
  auto& cache = Cache();
  if (!cache) cache = std::make_unique<LibraryCache>();
  TStringList& list = cache->List();
  const AnsiString key = AnsiLowerCase(LibName);
  HMODULE handle;
  int i = list.IndexOf(key);
  if (i < 0) {
    handle = LoadLibraryA(LibName.c_str());
    if (handle == nullptr) throw Exception(SDXLoadError, {LibName});
    list.AddObject(key, reinterpret_cast<TObject*>(handle));
  } else {
    handle = reinterpret_cast<HMODULE>(list.Objects(i));
  }
  FARPROC proc = GetProcAddress(handle, ProcName.c_str());
  if (proc == nullptr) throw Exception(SDXLoadError, {LibName});
  return reinterpret_cast<void*>(proc);
}

// ---------------------------------------------------------------- name hash

int32_t HashName(const AnsiString& Name) {
  const AnsiString s = AnsiLowerCase(Name);
  const size_t n = s.size();
  uint32_t h = static_cast<uint32_t>(n) << 4;
  if (n >= 2)
    h += static_cast<uint8_t>(s[n - 2]) + static_cast<uint8_t>(s[0]);
  return static_cast<int32_t>(h & 0xFFu);
}

THashCollection::THashCollection(TCollectionItemClass ItemClass)
    : TCollection(std::move(ItemClass)) {}

THashCollection::~THashCollection() { Clear(); }

int THashCollection::IndexOf(const AnsiString& Name) const {
  for (THashCollectionItem* item = FBuckets[static_cast<size_t>(HashName(Name))]; item != nullptr;
       item = item->FNext)
    if (AnsiCompareText(item->FName, Name) == 0) return item->FCachedIndex;
  return -1;
}

THashCollectionItem::THashCollectionItem(TCollection* Collection) : TCollectionItem(Collection) {
  FCachedIndex = Index();
  Link();
}

THashCollectionItem::~THashCollectionItem() {
  if (THashCollection* owner = HashOwner()) {
    for (int i = FCachedIndex + 1; i < owner->Count(); ++i)
      if (auto* item = dynamic_cast<THashCollectionItem*>(owner->Items(i))) --item->FCachedIndex;
  }
  Unlink();
}

void THashCollectionItem::SetCollection(TCollection* Value) {
  if (Value == Collection()) return;
  if (THashCollection* owner = HashOwner()) {
    for (int i = FCachedIndex + 1; i < owner->Count(); ++i)
      if (auto* item = dynamic_cast<THashCollectionItem*>(owner->Items(i))) --item->FCachedIndex;
  }
  Unlink();
  TCollectionItem::SetCollection(Value);
  FCachedIndex = Index();
  Link();
}

THashCollection* THashCollectionItem::HashOwner() const {
  return dynamic_cast<THashCollection*>(Collection());
}

void THashCollectionItem::SetName(const AnsiString& Value) {
  if (Value == FName) return;
  FName = Value;
  Unlink();
  Link();
}

void THashCollectionItem::SetIndex(int Value) {
  if (Value == FCachedIndex) return;
  TCollectionItem::SetIndex(Value);
  if (THashCollection* owner = HashOwner())
    for (int i = 0; i < owner->Count(); ++i)
      if (auto* item = dynamic_cast<THashCollectionItem*>(owner->Items(i))) item->FCachedIndex = i;
}

AnsiString THashCollectionItem::DisplayName() {
  return FName.empty() ? TCollectionItem::DisplayName() : FName;
}

void THashCollectionItem::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<THashCollectionItem*>(Source)) {
    SetName(src->FName);
    return;
  }
  TCollectionItem::Assign(Source);
}

void THashCollectionItem::Link() {
  THashCollection* owner = HashOwner();
  FHashIndex = HashName(FName);
  if (owner == nullptr) return;
  THashCollectionItem*& head = owner->FBuckets[static_cast<size_t>(FHashIndex)];
  FPrev = nullptr;
  FNext = head;
  if (head != nullptr) head->FPrev = this;
  head = this;
}

void THashCollectionItem::Unlink() {
  THashCollection* owner = HashOwner();
  if (FPrev != nullptr) {
    FPrev->FNext = FNext;
    if (FNext != nullptr) FNext->FPrev = FPrev;
  } else if (owner != nullptr && owner->FBuckets[static_cast<size_t>(FHashIndex)] == this) {
    owner->FBuckets[static_cast<size_t>(FHashIndex)] = FNext;
    if (FNext != nullptr) FNext->FPrev = nullptr;
  }
  FPrev = nullptr;
  FNext = nullptr;
}

static const bool registered =
    DeclareClass<THashCollectionItem, TCollectionItem>("THashCollectionItem")
        .String("Name", &THashCollectionItem::Name, &THashCollectionItem::SetName)
        .Done() &&
    DeclareClass<THashCollection, TCollection>("THashCollection").Done();
