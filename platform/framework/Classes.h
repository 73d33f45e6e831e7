// Classes: persistent objects, components, collections, lists, bits, string lists and streams.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>
#include "SysUtils.h"
#include "System.h"
#include "Types.h"

class TFiler;
class TReader;
class TWriter;
class TStream;
class TStrings;

// ---------------------------------------------------------------------------------------------
// TList: a list of untyped pointers.
enum TListNotification { lnAdded, lnExtracted, lnDeleted };
using TListSortCompare = std::function<int(void* Item1, void* Item2)>;

class TList : public TObject {
 public:
  TList() = default;
  TList(const TList&) = delete;
  TList& operator=(const TList&) = delete;
  ~TList() override;

  int Add(void* Item);
  virtual void Clear();
  void Delete(int Index);
  [[noreturn]] static void Error(const char* Msg, intptr_t Data);
  void Exchange(int Index1, int Index2);
  TList* Expand();
  void* Extract(void* Item);
  void* First() const;
  int IndexOf(void* Item) const;
  void Insert(int Index, void* Item);
  void* Last() const;
  void Move(int CurIndex, int NewIndex);
  int Remove(void* Item);
  void Pack();  // removes the nil items
  void Sort(const TListSortCompare& Compare);
  void Assign(TList* ListA);

  int Capacity() const { return static_cast<int>(items_.capacity()); }
  void SetCapacity(int NewCapacity);
  int Count() const { return static_cast<int>(items_.size()); }
  void SetCount(int NewCount);
  void* Items(int Index) const;
  void SetItems(int Index, void* Item);
  void* operator[](int Index) const { return Items(Index); }
  void** List() { return items_.data(); }

 protected:
  virtual void Notify(void* Ptr, TListNotification Action) {}
  void Grow();

 private:
  std::vector<void*> items_;
};

// TBits: a growable array of bits.
class TBits : public TObject {
 public:
  int Size() const { return size_; }
  void SetSize(int Value);
  bool Bits(int Index) const;
  void SetBits(int Index, bool Value);
  bool operator[](int Index) const { return Bits(Index); }
  // Index of the first false bit (Size when all are set).
  int OpenBit() const;

 private:
  [[noreturn]] static void Error();
  std::vector<bool> bits_;
  int size_ = 0;
};

// ---------------------------------------------------------------------------------------------
// TPersistent: objects that can be assigned and streamed.
class TPersistent : public TObject {
 public:
  TPersistent() = default;
  TPersistent(const TPersistent&) = delete;
  TPersistent& operator=(const TPersistent&) = delete;
  ~TPersistent() override;
  // Copies Source into this object; raises EConvertError ("Cannot assign a X to a Y") when
  // neither side knows how.
  virtual void Assign(TPersistent* Source);
  virtual AnsiString GetNamePath();

 protected:
  virtual void AssignTo(TPersistent* Dest);
  // Streaming hook: defines the non-published properties this object writes and reads.
  virtual void DefineProperties(TFiler* Filer) {}
  virtual TPersistent* GetOwner() { return nullptr; }
  [[noreturn]] void AssignError(TPersistent* Source);

  friend class TFiler;
  friend class TReader;
  friend class TWriter;
};

// ---------------------------------------------------------------------------------------------
// TComponent: owned components are freed with their owner; free notifications clear references.
enum TOperation { opInsert, opRemove };
// Horizontal alignment of a control's text; TLeftRight holds only the first two.
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
using TLeftRight = TAlignment;
// Reading order of a control's (a menu's) text, and whether its alignment is mirrored too:
// right to left in both, in reading only with the alignment kept (NoAlign), in reading only.
enum TBiDiMode : uint8_t { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };
enum TComponentStateItem {
  csLoading, csReading, csWriting, csDestroying, csDesigning, csAncestor, csUpdating, csFixups,
  csFreeNotification, csInline, csDesignInstance
};
using TComponentState = TSet<TComponentStateItem>;
using TNotifyEvent = std::function<void(TObject* Sender)>;

class TComponent : public TPersistent {
 public:
  explicit TComponent(TComponent* AOwner);
  // Sends opRemove to every component that asked for free notification, frees the owned
  // components (last first) and leaves the owner. Descendants' destructors may call Destroying()
  // first so that their parts see csDestroying.
  ~TComponent() override;

  TComponent* Owner() const { return owner_; }
  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* Components(int Index) const;
  int ComponentIndex() const;
  void SetComponentIndex(int Value);
  const AnsiString& Name() const { return name_; }
  // Raises EComponentError for a name that is not an identifier or that the owner already has.
  virtual void SetName(const AnsiString& NewName);
  intptr_t Tag() const { return tag_; }
  void SetTag(intptr_t Value) { tag_ = Value; }
  TComponentState ComponentState() const { return state_; }

  void DestroyComponents();
  void Destroying();
  TComponent* FindComponent(const AnsiString& AName) const;
  // AComponent gets Notification(this, opRemove) when this component is freed (and the other way).
  void FreeNotification(TComponent* AComponent);
  void RemoveFreeNotification(TComponent* AComponent);
  void InsertComponent(TComponent* AComponent);
  void RemoveComponent(TComponent* AComponent);
  AnsiString GetNamePath() override { return name_; }

  TPersistent* GetOwner() override { return owner_; }

  // Streaming (bodies in Classes_Streaming.cpp). ReadState reads this component's properties
  // and children; WriteState writes them.
  virtual void ReadState(TReader* Reader);
  virtual void WriteState(TWriter* Writer);
  // Calls Proc for each child streamed inside this component. The default: a root (this ==
  // Root) gives the components it owns that have no parent; others give none.
  virtual void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root);
  // The owner of the children read inside this component (nullptr: the root), and their parent.
  virtual TComponent* GetChildOwner() { return nullptr; }
  virtual TComponent* GetChildParent() { return this; }
  virtual void SetChildOrder(TComponent* Child, int Order) {}
  // Components with a parent (controls) are streamed inside it rather than by their owner.
  virtual bool HasParent() { return false; }
  virtual TComponent* GetParentComponent() { return nullptr; }
  // Called by the reader for a component made while reading inside Value.
  virtual void SetParentComponent(TComponent* Value) {}

 protected:
  virtual void Loaded();
  virtual void Notification(TComponent* AComponent, TOperation Operation);
  virtual void ValidateRename(TComponent* AComponent, const AnsiString& CurName,
                              const AnsiString& NewName);
  virtual void ValidateInsert(TComponent* AComponent) {}
  virtual void ValidateContainer(TComponent* AComponent);
  void SetDesigning(bool Value, bool SetChildren = true);
  void SetAncestor(bool Value);
  void SetInline(bool Value);
  // For the streaming classes and descendants: include or exclude a state flag directly.
  void IncludeState(TComponentStateItem Item) { state_.Include(Item); }
  void ExcludeState(TComponentStateItem Item) { state_.Exclude(Item); }
  void ChangeName(const AnsiString& NewName) { name_ = NewName; }

  friend class TReader;
  friend class TWriter;

 private:
  void Insert(TComponent* AComponent);
  void Remove(TComponent* AComponent);
  void RemoveNotification(TComponent* AComponent);

  TComponent* owner_ = nullptr;
  AnsiString name_;
  intptr_t tag_ = 0;
  TComponentState state_;
  std::vector<TComponent*> components_;
  std::vector<TComponent*> free_notifies_;
};

// ---------------------------------------------------------------------------------------------
// TCollection and TCollectionItem.
class TCollection;
class TCollectionItem;

// The item class of a collection: makes items and tells whether an item is one of them.
struct TCollectionItemClass {
  std::function<TCollectionItem*(TCollection*)> Create;
  std::function<bool(const TCollectionItem*)> IsInstance;
  template <class T>
  static TCollectionItemClass Of() {
    return {[](TCollection* c) -> TCollectionItem* { return new T(c); },
            [](const TCollectionItem* i) { return dynamic_cast<const T*>(i) != nullptr; }};
  }
};

enum TCollectionNotification { cnAdded, cnExtracting, cnDeleting };

class TCollectionItem : public TPersistent {
 public:
  // Adds the item to Collection (when given).
  explicit TCollectionItem(TCollection* Collection);
  ~TCollectionItem() override;
  TCollection* Collection() const { return collection_; }
  virtual void SetCollection(TCollection* Value);
  int ID() const { return id_; }
  int Index() const;
  virtual void SetIndex(int Value);
  virtual AnsiString DisplayName();
  virtual void SetDisplayName(const AnsiString& Value);
  AnsiString GetNamePath() override;

 protected:
  void Changed(bool AllItems);
  TPersistent* GetOwner() override;

 private:
  friend class TCollection;
  TCollection* collection_ = nullptr;
  int id_ = 0;
};

class TCollection : public TPersistent {
 public:
  explicit TCollection(TCollectionItemClass ItemClass);
  ~TCollection() override;

  TCollectionItem* Add();
  void Assign(TPersistent* Source) override;
  virtual void BeginUpdate();
  virtual void EndUpdate();
  void Clear();
  void Delete(int Index);
  TCollectionItem* Insert(int Index);
  TCollectionItem* FindItemID(int ID) const;
  AnsiString GetNamePath() override;
  int Count() const { return static_cast<int>(items_.size()); }
  TCollectionItem* Items(int Index) const;
  void SetItem(int Index, TCollectionItem* Value);  // assigns Value to the item at Index
  const TCollectionItemClass& ItemClass() const { return item_class_; }
  TPersistent* Owner() { return GetOwner(); }
  int UpdateCount() const { return update_count_; }

 protected:
  virtual void Notify(TCollectionItem* Item, TCollectionNotification Action) {}
  // Called after a change: Item is the changed item, or nullptr when every item may have changed.
  virtual void Update(TCollectionItem* Item) {}
  virtual void SetItemName(TCollectionItem* Item) {}
  void Changed();

 private:
  friend class TCollectionItem;
  void InsertItem(TCollectionItem* Item);
  void RemoveItem(TCollectionItem* Item);
  void MoveItem(int CurIndex, int NewIndex);

  TCollectionItemClass item_class_;
  std::vector<TCollectionItem*> items_;
  int update_count_ = 0;
  int next_id_ = 0;
};

// A collection that names an owner for GetOwner (and the name path).
class TOwnedCollection : public TCollection {
 public:
  TOwnedCollection(TPersistent* AOwner, TCollectionItemClass ItemClass)
      : TCollection(std::move(ItemClass)), owner_(AOwner) {}
  TPersistent* GetOwner() override { return owner_; }

 private:
  TPersistent* owner_;
};

// ---------------------------------------------------------------------------------------------
// TStrings and TStringList.
enum TDuplicates { dupIgnore, dupAccept, dupError };

class TStrings : public TPersistent {
 public:
  TStrings() = default;
  ~TStrings() override;

  virtual int Add(const AnsiString& S);
  virtual int AddObject(const AnsiString& S, TObject* AObject);
  void Append(const AnsiString& S) { Add(S); }
  virtual void AddStrings(TStrings* Strings);
  void Assign(TPersistent* Source) override;
  void BeginUpdate();
  void EndUpdate();
  virtual void Clear() = 0;
  virtual void Delete(int Index) = 0;
  // Same count and the same strings in order (case-sensitive).
  bool Equals(TStrings* Strings);
  virtual void Exchange(int Index1, int Index2);
  virtual int IndexOf(const AnsiString& S);
  virtual int IndexOfName(const AnsiString& Name);
  virtual int IndexOfObject(TObject* AObject);
  virtual void Insert(int Index, const AnsiString& S) = 0;
  virtual void InsertObject(int Index, const AnsiString& S, TObject* AObject);
  virtual void LoadFromFile(const AnsiString& FileName);
  virtual void LoadFromStream(TStream* Stream);
  virtual void Move(int CurIndex, int NewIndex);
  virtual void SaveToFile(const AnsiString& FileName);
  virtual void SaveToStream(TStream* Stream);

  virtual int Count() = 0;
  virtual AnsiString Strings(int Index) = 0;
  virtual void SetStrings(int Index, const AnsiString& S);  // Put
  virtual TObject* Objects(int Index);
  virtual void SetObjects(int Index, TObject* AObject);
  AnsiString operator[](int Index) { return Strings(Index); }
  AnsiString Names(int Index);
  AnsiString Values(const AnsiString& Name);
  // Sets the value of Name (adding the line when missing); an empty value removes the line.
  void SetValues(const AnsiString& Name, const AnsiString& Value);
  AnsiString ValueFromIndex(int Index);
  void SetValueFromIndex(int Index, const AnsiString& Value);
  // Lines joined with CR LF after each; setting splits at CR, LF or CR LF (a NUL ends the text).
  virtual AnsiString Text();
  virtual void SetText(const AnsiString& Value);
  AnsiString CommaText();
  void SetCommaText(const AnsiString& Value);
  AnsiString DelimitedText();
  void SetDelimitedText(const AnsiString& Value);
  char Delimiter() const { return delimiter_; }
  void SetDelimiter(char Value) { delimiter_ = Value; }
  char QuoteChar() const { return quote_char_; }
  void SetQuoteChar(char Value) { quote_char_ = Value; }
  char NameValueSeparator() const { return name_value_separator_; }
  void SetNameValueSeparator(char Value) { name_value_separator_ = Value; }
  int UpdateCount() const { return update_count_; }
  virtual int Capacity() { return Count(); }
  virtual void SetCapacity(int NewCapacity) {}

 protected:
  void DefineProperties(TFiler* Filer) override {}
  [[noreturn]] static void Error(const char* Msg, intptr_t Data);
  AnsiString ExtractName(const AnsiString& S) const;
  virtual int CompareStrings(const AnsiString& S1, const AnsiString& S2);
  virtual void SetUpdateState(bool Updating) {}

 private:
  int update_count_ = 0;
  char delimiter_ = ',';
  char quote_char_ = '"';
  char name_value_separator_ = '=';
};

class TStringList;
using TStringListSortCompare = std::function<int(TStringList* List, int Index1, int Index2)>;

class TStringList : public TStrings {
 public:
  TStringList() = default;
  ~TStringList() override;

  int Add(const AnsiString& S) override;
  int AddObject(const AnsiString& S, TObject* AObject) override;
  void Clear() override;
  void Delete(int Index) override;
  void Exchange(int Index1, int Index2) override;
  // Binary search of a sorted list: true when found; Index is the match (the first one unless
  // duplicates are accepted) or the place to insert.
  virtual bool Find(const AnsiString& S, int& Index);
  int IndexOf(const AnsiString& S) override;
  void Insert(int Index, const AnsiString& S) override;
  void InsertObject(int Index, const AnsiString& S, TObject* AObject) override;
  virtual void Sort();
  virtual void CustomSort(const TStringListSortCompare& Compare);

  int Count() override { return static_cast<int>(items_.size()); }
  AnsiString Strings(int Index) override;
  void SetStrings(int Index, const AnsiString& S) override;
  TObject* Objects(int Index) override;
  void SetObjects(int Index, TObject* AObject) override;
  int Capacity() override { return static_cast<int>(items_.capacity()); }
  void SetCapacity(int NewCapacity) override;

  TDuplicates Duplicates() const { return duplicates_; }
  void SetDuplicates(TDuplicates Value) { duplicates_ = Value; }
  bool Sorted() const { return sorted_; }
  void SetSorted(bool Value);
  bool CaseSensitive() const { return case_sensitive_; }
  void SetCaseSensitive(bool Value);

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

 protected:
  virtual void Changed();
  virtual void Changing();
  void SetUpdateState(bool Updating) override;
  int CompareStrings(const AnsiString& S1, const AnsiString& S2) override;
  virtual void InsertItem(int Index, const AnsiString& S, TObject* AObject);

 private:
  struct Item {
    AnsiString String;
    TObject* Object = nullptr;
  };
  void QuickSort(int L, int R, const TStringListSortCompare& Compare);
  void CheckIndex(int Index) const;
  void Grow();

  std::vector<Item> items_;
  TDuplicates duplicates_ = dupIgnore;
  bool sorted_ = false;
  bool case_sensitive_ = false;
};

// ---------------------------------------------------------------------------------------------
// Streams. Positions and sizes are 64-bit; one read or write moves at most 2 GiB.
enum TSeekOrigin { soBeginning, soCurrent, soEnd };
inline constexpr TSeekOrigin soFromBeginning = soBeginning;
inline constexpr TSeekOrigin soFromCurrent = soCurrent;
inline constexpr TSeekOrigin soFromEnd = soEnd;

class TStream : public TObject {
 public:
  TStream() = default;
  TStream(const TStream&) = delete;
  TStream& operator=(const TStream&) = delete;
  ~TStream() override;

  // Bytes read or written (fewer at the end, 0 on failure).
  virtual int32_t Read(void* Buffer, int32_t Count) = 0;
  virtual int32_t Write(const void* Buffer, int32_t Count) = 0;
  // The new position, or -1 when the stream cannot seek there.
  virtual int64_t Seek(int64_t Offset, TSeekOrigin Origin) = 0;
  // Read or write exactly Count bytes, or raise EReadError / EWriteError.
  void ReadBuffer(void* Buffer, int32_t Count);
  void WriteBuffer(const void* Buffer, int32_t Count);
  // Copies Count bytes from Source (all of Source from its start when Count is 0).
  int64_t CopyFrom(TStream* Source, int64_t Count);

  int64_t Position() { return Seek(0, soCurrent); }
  void SetPosition(int64_t Pos) { Seek(Pos, soBeginning); }
  virtual int64_t Size();
  virtual void SetSize(int64_t NewSize) {}
};

// A stream over a platform file handle (not closed by this class).
class THandleStream : public TStream {
 public:
  explicit THandleStream(HANDLE AHandle) : handle_(AHandle) {}
  int32_t Read(void* Buffer, int32_t Count) override;
  int32_t Write(const void* Buffer, int32_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  void SetSize(int64_t NewSize) override;
  HANDLE Handle() const { return handle_; }

 protected:
  HANDLE handle_;
};

// A stream over a named file. Mode: fmCreate, or fmOpenRead/Write/ReadWrite with a share mode.
// Raises EFCreateError / EFOpenError when the file cannot be made or opened.
class TFileStream : public THandleStream {
 public:
  TFileStream(const AnsiString& FileName, Word Mode);
  ~TFileStream() override;
  const AnsiString& FileName() const { return file_name_; }

 private:
  AnsiString file_name_;
};

class TCustomMemoryStream : public TStream {
 public:
  int32_t Read(void* Buffer, int32_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  void SaveToStream(TStream* Stream);
  void SaveToFile(const AnsiString& FileName);
  void* Memory() const { return memory_; }
  int64_t Size() override { return size_; }

 protected:
  void SetPointer(void* Ptr, int64_t Size);
  void* memory_ = nullptr;
  int64_t size_ = 0;
  int64_t position_ = 0;
};

// A growable stream in memory. New memory (growing the size) is zeroed.
class TMemoryStream : public TCustomMemoryStream {
 public:
  TMemoryStream() = default;
  ~TMemoryStream() override;
  void Clear();
  void LoadFromStream(TStream* Stream);
  void LoadFromFile(const AnsiString& FileName);
  void SetSize(int64_t NewSize) override;
  int32_t Write(const void* Buffer, int32_t Count) override;
  int64_t Capacity() const { return capacity_; }

 protected:
  virtual void* Realloc(int64_t& NewCapacity);
  void SetCapacity(int64_t NewCapacity);

 private:
  int64_t capacity_ = 0;
};

// A stream over a string's bytes.
class TStringStream : public TStream {
 public:
  explicit TStringStream(const AnsiString& AString = AnsiString()) : data_(AString) {}
  int32_t Read(void* Buffer, int32_t Count) override;
  int32_t Write(const void* Buffer, int32_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  void SetSize(int64_t NewSize) override;
  AnsiString ReadString(int32_t Count);
  void WriteString(const AnsiString& AString);
  const AnsiString& DataString() const { return data_; }

 private:
  AnsiString data_;
  int64_t position_ = 0;
};

// ---------------------------------------------------------------------------------------------
// Actions: TBasicAction carries a command that several clients (controls, menu items) run; each
// client reaches it through a TBasicActionLink, which the action tells about its changes.
class TBasicActionLink;

class TBasicAction : public TComponent {
 public:
  explicit TBasicAction(TComponent* AOwner) : TComponent(AOwner) {}
  // Detaches every link still registered.
  ~TBasicAction() override;
  virtual bool HandlesTarget(TObject* Target) { return false; }
  virtual void UpdateTarget(TObject* Target) {}
  virtual void ExecuteTarget(TObject* Target) {}
  // A client is about to show HintStr for this action: false refuses it; an action may change
  // the text (a custom action adds its shortcut).
  virtual bool DoShowHint(AnsiString& HintStr) { return true; }
  // Fires OnExecute; true when it is assigned.
  virtual bool Execute();
  // Fires OnUpdate; true when it is assigned.
  virtual bool Update();
  // The client that runs the action now (set by the link around Execute).
  TComponent* ActionComponent() const { return action_component_; }
  void SetActionComponent(TComponent* Value) { action_component_ = Value; }
  void RegisterChanges(TBasicActionLink* Value);
  void UnRegisterChanges(TBasicActionLink* Value);
  int ClientCount() const { return static_cast<int>(clients_.size()); }
  TBasicActionLink* Clients(int Index) const { return clients_.at(static_cast<size_t>(Index)); }

  TNotifyEvent OnExecute;
  TNotifyEvent OnUpdate;

 protected:
  // Tells every link that the action changed (and fires OnChange).
  virtual void Change();
  TNotifyEvent OnChange;

 private:
  std::vector<TBasicActionLink*> clients_;
  TComponent* action_component_ = nullptr;
};

class TBasicActionLink : public TObject {
 public:
  explicit TBasicActionLink(TObject* AClient) {}
  ~TBasicActionLink() override;
  TBasicAction* Action() const { return action_; }
  virtual void SetAction(TBasicAction* Value);
  // Runs the action with AComponent as its ActionComponent; false when it has no handler.
  virtual bool Execute(TComponent* AComponent = nullptr);
  virtual bool Update();
  TNotifyEvent OnChange;

 protected:
  friend class TBasicAction;
  // The action changed: fires OnChange.
  virtual void Change();
  TBasicAction* action_ = nullptr;
};

// The streaming classes, declared in a header of their own.
#include "Classes_Streaming.h"
