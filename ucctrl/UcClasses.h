// Wide string lists with file loading and saving (character set found by byte-order mark), the
// array-backed TUcStringList, a file stream opened by wide name and an ANSI view of a wide list.
#pragma once
#include <functional>
#include <memory>
#include <vector>

#include "Classes.h"
#include "UcWideStrings.h"

// The character set of a text file, told by its byte-order mark.
enum TextFileCharSet : uint8_t { tcAnsi = 0, tcUtf16 = 1, tcUtf16Swapped = 2, tcUtf8 = 3 };

// Reads the byte-order mark at the stream's position: FF FE tcUtf16, FE FF tcUtf16Swapped,
// EF BB BF tcUtf8 (the stream is left after the mark), anything else tcAnsi (left where it was).
TextFileCharSet DetectTextFileCharSet(TStream* Stream);

// A file stream opened by a wide name. Mode fmCreate (0xFFFF) creates the file; otherwise it
// opens an existing one: access in bits 0-1, sharing in bits 4-7 (see WideFileOpen). Raises
// EFCreateError or EFOpenError naming the full path.
class TUcFileStream : public THandleStream {
 public:
  TUcFileStream(const WideString& FileName, Word Mode);
  ~TUcFileStream() override;
};

// The class library's TStrings with loading and saving in a given code page.
class TAnsiStrings : public TStrings {
 public:
  virtual void LoadFromStreamEx(TStream* Stream, UINT CodePage) = 0;
  virtual void SaveToStreamEx(TStream* Stream, UINT CodePage) = 0;
};

// An ANSI view of a wide list: every operation goes to the list, converting in AdapterCodePage
// (0: the conversion code page).
class TAnsiStringsForWideStringsAdapter : public TAnsiStrings {
 public:
  TAnsiStringsForWideStringsAdapter(TWideStrings* WideStrings, UINT AdapterCodePage = 0)
      : wide_strings_(WideStrings), adapter_code_page_(AdapterCodePage) {}
  void Clear() override;
  void Delete(int Index) override;
  void Insert(int Index, const AnsiString& S) override;
  int Count() override;
  AnsiString Strings(int Index) override;
  void SetStrings(int Index, const AnsiString& S) override;
  TObject* Objects(int Index) override;
  void SetObjects(int Index, TObject* AObject) override;
  void LoadFromStreamEx(TStream* Stream, UINT CodePage) override;
  void SaveToStreamEx(TStream* Stream, UINT CodePage) override;
  UINT AdapterCodePage() const { return adapter_code_page_; }
  void SetAdapterCodePage(UINT Value) { adapter_code_page_ = Value; }

 protected:
  void SetUpdateState(bool Updating) override;

 private:
  UINT CodePage() const;
  TWideStrings* wide_strings_;
  UINT adapter_code_page_;
};

// Wide strings that load files in their own character set and save them as UTF-16LE with FF FE.
class TUcStrings : public TWideStrings {
 public:
  TUcStrings();
  ~TUcStrings() override;

  void LoadFromFile(const WideString& FileName) override;
  void LoadFromStream(TStream* Stream) override;
  void SaveToFile(const WideString& FileName) override;
  void SaveToStream(TStream* Stream) override;
  // Detect: take the set from the byte-order mark; else the bytes are UTF-16LE.
  virtual void LoadFromStreamCharSet(TStream* Stream, bool Detect);
  virtual void SaveToStreamBOM(TStream* Stream, bool WithBOM);

  TAnsiStringsForWideStringsAdapter* AnsiStrings() const { return ansi_strings_.get(); }
  // Assigns a framework list through the ANSI view.
  void SetAnsiStrings(TStrings* Value);
  TextFileCharSet DetectedFileCharSet() const { return detected_file_char_set_; }

 private:
  std::unique_ptr<TAnsiStringsForWideStringsAdapter> ansi_strings_;
  TextFileCharSet detected_file_char_set_ = tcUtf16;
};

class TUcStringList;
using TUcStringListSortCompare = std::function<int(TUcStringList* List, int Index1, int Index2)>;

// Wide strings in an array, with sorting, duplicates handling and change events. The list does
// not own its objects.
class TUcStringList : public TUcStrings {
 public:
  TUcStringList() = default;
  ~TUcStringList() override;

  WideString Get(int Index) override;
  int GetCapacity() override { return capacity_; }
  int GetCount() override { return static_cast<int>(items_.size()); }
  TObject* GetObject(int Index) override;
  void Put(int Index, const WideString& S) override;
  void PutObject(int Index, TObject* AObject) override;
  // Below Count raises EStringListError.
  void SetCapacity(int NewCapacity) override;
  // The base's text, built from the array in one allocation without copying each line first.
  WideString GetTextStr() override;
  // The base's lines, with the array made room for all of them first.
  void SetTextStr(const WideString& Value) override;
  int CompareStrings(const WideString& S1, const WideString& S2) override;
  int Add(const WideString& S) override;
  int AddObject(const WideString& S, TObject* AObject) override;
  void Clear() override;
  void Delete(int Index) override;
  void Exchange(int Index1, int Index2) override;
  int IndexOf(const WideString& S) override;
  int IndexOfName(const WideString& Name) override;
  void Insert(int Index, const WideString& S) override;
  void InsertObject(int Index, const WideString& S, TObject* AObject) override;
  void Move(int CurIndex, int NewIndex) override;

  virtual void Changed();
  virtual void Changing();
  virtual void InsertItem(int Index, const WideString& S, TObject* AObject);
  // Binary search of a sorted list: true when found; Index is the match (the first of equal ones
  // unless duplicates are accepted) or the place to insert.
  virtual bool Find(const WideString& S, int& Index);
  virtual void Sort();
  virtual void CustomSort(const TUcStringListSortCompare& Compare);

  bool Sorted() const { return sorted_; }
  // Setting it sorts the list.
  void SetSorted(bool Value);
  TDuplicates Duplicates() const { return duplicates_; }
  void SetDuplicates(TDuplicates Value) { duplicates_ = Value; }
  bool CaseSensitive() const { return case_sensitive_; }
  // A sorted list is sorted again by the new rule.
  void SetCaseSensitive(bool Value);

  void SetUpdateState(bool Updating) override;

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

 private:
  struct Item {
    WideString String;
    TObject* Object = nullptr;
  };
  void CheckIndex(int Index) const;
  void Grow();
  void QuickSort(int L, int R, const TUcStringListSortCompare& Compare);
  void ExchangeItems(int Index1, int Index2);

  std::vector<Item> items_;
  int capacity_ = 0;
  bool sorted_ = false;
  TDuplicates duplicates_ = dupIgnore;
  bool case_sensitive_ = false;
  bool updating_ = false;
};
