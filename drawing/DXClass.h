// Small helpers the drawing layer and the board share: integer Max/Min, the 256-step cosine table,
// a loader that takes procedures out of libraries by name (keeping the libraries loaded), and a
// collection whose items are found by name through a 256-bucket hash.
#pragma once
#include <array>
#include <cstdint>

#include "Classes.h"
#include "SysUtils.h"
#include "System.h"

inline int32_t Max(int32_t A, int32_t B) { return A > B ? A : B; }
inline int32_t Min(int32_t A, int32_t B) { return A < B ? A : B; }

// Angles of 256 steps per turn; only the low byte of Angle counts.
Extended Cos256(int32_t Angle);
Extended Sin256(int32_t Angle);

// The procedure ProcName of library LibName. A library is loaded once and stays loaded until the
// program ends. Raises Exception "<LibName> を読み込めません" when the library or the procedure is
// missing.
void* DXLoadLibraryProc(const AnsiString& LibName, const AnsiString& ProcName);

// The bucket of a name: length * 16, plus the first and the second-to-last character of the
// lower-cased name when it has two or more; low byte.
int32_t HashName(const AnsiString& Name);

class THashCollection;

// An item of a THashCollection; its Name links it into its collection's hash.
class THashCollectionItem : public TCollectionItem {
 public:
  explicit THashCollectionItem(TCollection* Collection);
  ~THashCollectionItem() override;

  const AnsiString& Name() const { return FName; }
  void SetName(const AnsiString& Value);
  void SetIndex(int Value) override;
  // Moving to another collection unlinks the name from the old hash and links it into the new.
  void SetCollection(TCollection* Value) override;
  AnsiString DisplayName() override;
  void Assign(TPersistent* Source) override;

  int32_t HashIndex() const { return FHashIndex; }
  int32_t CachedIndex() const { return FCachedIndex; }

 private:
  friend class THashCollection;
  THashCollection* HashOwner() const;
  void Link();
  void Unlink();

  int32_t FHashIndex = 0;
  int32_t FCachedIndex = 0;
  AnsiString FName;
  THashCollectionItem* FPrev = nullptr;
  THashCollectionItem* FNext = nullptr;
};

class THashCollection : public TCollection {
 public:
  explicit THashCollection(TCollectionItemClass ItemClass);
  // Frees the items while the hash still exists, since each item unlinks itself.
  ~THashCollection() override;

  // The index of the item named Name (any case), the one named last among equal names; -1 when
  // none.
  int IndexOf(const AnsiString& Name) const;

 private:
  friend class THashCollectionItem;
  std::array<THashCollectionItem*, 256> FBuckets{};
};
