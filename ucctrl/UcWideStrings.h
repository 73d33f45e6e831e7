// TWideStrings: the abstract list of wide (UTF-16) strings, each with an object pointer, in the
// shape of the class library's TStrings.
#pragma once
#include <memory>

#include "Classes.h"
#include "System.h"

class TWideStrings;

// An outside listener of a list: told to attach to a list and to let it go.
class IWideStringsAdapter {
 public:
  virtual ~IWideStringsAdapter() = default;
  virtual void ReferenceStrings(TWideStrings* Strings) = 0;
  virtual void ReleaseStrings() = 0;
};

class TWideStrings : public TPersistent {
 public:
  TWideStrings() = default;
  ~TWideStrings() override;

  // From another TWideStrings or a framework TStrings (assigning a list to itself does nothing);
  // anything else is the framework's assignment error.
  void Assign(TPersistent* Source) override;
  void BeginUpdate();
  void EndUpdate();
  // Same count and the same strings, unit for unit (objects are not compared).
  bool Equals(TWideStrings* Strings);

  // The virtual operations, in slot order.
  virtual WideString Get(int Index) = 0;
  virtual int GetCapacity() { return GetCount(); }
  virtual int GetCount() = 0;
  virtual TObject* GetObject(int Index) { return nullptr; }
  // Every string followed by CR LF.
  virtual WideString GetTextStr();
  virtual void Put(int Index, const WideString& S);
  virtual void PutObject(int Index, TObject* AObject) {}
  virtual void SetCapacity(int NewCapacity) {}
  // Lines end at LF, CR or U+2028 (then one CR, one LF and one U+2028 are skipped); a NUL ends
  // the text.
  virtual void SetTextStr(const WideString& Value);
  virtual void SetUpdateState(bool Updating) {}
  virtual int CompareStrings(const WideString& S1, const WideString& S2);
  virtual int Add(const WideString& S);
  virtual int AddObject(const WideString& S, TObject* AObject);
  virtual void AddAnsiStrings(TStrings* Strings);
  virtual void AddStrings(TWideStrings* Strings);
  virtual void Clear() = 0;
  virtual void Delete(int Index) = 0;
  virtual void Exchange(int Index1, int Index2);
  // A null-terminated copy made by WideBufAlloc; the caller frees it with WideBufFree.
  virtual PWideChar GetText();
  virtual int IndexOf(const WideString& S);
  virtual int IndexOfName(const WideString& Name);
  virtual int IndexOfObject(TObject* AObject);
  virtual void Insert(int Index, const WideString& S) = 0;
  virtual void InsertObject(int Index, const WideString& S, TObject* AObject);
  virtual void LoadFromFile(const WideString& FileName);
  virtual void LoadFromStream(TStream* Stream);
  virtual void Move(int CurIndex, int NewIndex);
  virtual void SaveToFile(const WideString& FileName);
  virtual void SaveToStream(TStream* Stream);
  virtual void SetText(const WideChar* Text);

  // Properties.
  int Count() { return GetCount(); }
  int Capacity() { return GetCapacity(); }
  WideString Strings(int Index) { return Get(Index); }
  void SetStrings(int Index, const WideString& S) { Put(Index, S); }
  WideString operator[](int Index) { return Get(Index); }
  TObject* Objects(int Index) { return GetObject(Index); }
  void SetObjects(int Index, TObject* AObject) { PutObject(Index, AObject); }
  WideString Text() { return GetTextStr(); }
  // The text before the first "=" (empty when there is none), and the value after it.
  WideString Names(int Index);
  WideString Values(const WideString& Name);
  // "," and '"' until set; the first read of an unset one marks it defined.
  WideChar Delimiter();
  void SetDelimiter(WideChar Value);
  WideChar QuoteChar();
  void SetQuoteChar(WideChar Value);
  uint8_t DefinedFlags() const { return defined_flags_; }
  int UpdateCount() const { return update_count_; }
  IWideStringsAdapter* StringsAdapter() const { return adapter_.get(); }
  void SetStringsAdapter(std::shared_ptr<IWideStringsAdapter> Value);

  static constexpr WideChar NameValueSeparator = u'=';

 protected:
  void AssignTo(TPersistent* Dest) override;
  // Raises EStringListError with Msg (a message of the class library) formatted with Data.
  [[noreturn]] static void Error(const char* Msg, int Data);

 private:
  uint8_t defined_flags_ = 0;
  WideChar delimiter_ = 0;
  WideChar quote_char_ = 0;
  int update_count_ = 0;
  std::shared_ptr<IWideStringsAdapter> adapter_;
};

// At least the number of lines SetTextStr makes of a text, counted fast.
size_t MaxTextLines(const WideString& Value);

// BeginUpdate of a list for the life of this object, EndUpdate however the block is left.
class TWideStringsUpdate {
 public:
  explicit TWideStringsUpdate(TWideStrings* Strings) : strings_(Strings) { strings_->BeginUpdate(); }
  ~TWideStringsUpdate() { strings_->EndUpdate(); }
  TWideStringsUpdate(const TWideStringsUpdate&) = delete;
  TWideStringsUpdate& operator=(const TWideStringsUpdate&) = delete;

 private:
  TWideStrings* strings_;
};
