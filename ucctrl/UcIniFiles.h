// INI files with wide section names, keys, values and file names: TUcIniFile (the platform's
// wide profile calls, or a memory store on a platform that is not Unicode), the memory INI
// TUcMemIniFile and TUcMemIniFile_V2, which follows changes of the file.
#pragma once
#include <memory>
#include <vector>

#include "Classes.h"
#include "UcClasses.h"

// Keys to 32-bit values in 256 (or Size) buckets; a key added later is found first.
class TUcStringHash : public TObject {
 public:
  explicit TUcStringHash(int Size = 256);
  ~TUcStringHash() override;
  TUcStringHash(const TUcStringHash&) = delete;
  TUcStringHash& operator=(const TUcStringHash&) = delete;
  void Add(const WideString& Key, int32_t Value);
  void Clear();
  // The value of the first node with exactly this key, or -1.
  int32_t ValueOf(const WideString& Key);
  // Rotate left by 2, xor each code unit.
  virtual uint32_t HashOf(const WideString& Key);

 private:
  struct Node {
    Node* Next;
    WideString Key;
    int32_t Value;
  };
  std::vector<Node*> buckets_;
};

// A string list whose IndexOf and IndexOfName go through hashes (upper-cased keys unless
// CaseSensitive), rebuilt after every change.
class TUcHashedStringList : public TUcStringList {
 public:
  TUcHashedStringList() = default;
  ~TUcHashedStringList() override;
  int IndexOf(const WideString& S) override;
  int IndexOfName(const WideString& Name) override;
  void Changed() override;

 private:
  WideString KeyOf(const WideString& S);
  std::unique_ptr<TUcStringHash> value_hash_;
  std::unique_ptr<TUcStringHash> name_hash_;
  bool value_hash_valid_ = false;
  bool name_hash_valid_ = false;
};

class TUcCustomIniFile : public TObject {
 public:
  explicit TUcCustomIniFile(const WideString& FileName) : file_name_(FileName) {}
  ~TUcCustomIniFile() override;

  virtual WideString ReadString(const WideString& Section, const WideString& Ident, const WideString& Default) = 0;
  virtual void WriteString(const WideString& Section, const WideString& Ident, const WideString& Value) = 0;
  // "0x1F", "0X1F" and "$1F" are hexadecimal; text that is no number gives Default.
  virtual int32_t ReadInteger(const WideString& Section, const WideString& Ident, int32_t Default);
  virtual void WriteInteger(const WideString& Section, const WideString& Ident, int32_t Value);
  // A number other than 0 is true.
  virtual bool ReadBool(const WideString& Section, const WideString& Ident, bool Default);
  // Written "1" and "0".
  virtual void WriteBool(const WideString& Section, const WideString& Ident, bool Value);
  // Writes the bytes of the value's leading valid hexadecimal pairs at the stream's position and
  // answers their count; a memory stream is left at the position it had.
  virtual int ReadBinaryStream(const WideString& Section, const WideString& Ident, TStream* Value);
  virtual TDateTime ReadDate(const WideString& Section, const WideString& Ident, TDateTime Default);
  virtual TDateTime ReadDateTime(const WideString& Section, const WideString& Ident, TDateTime Default);
  virtual double ReadFloat(const WideString& Section, const WideString& Ident, double Default);
  virtual TDateTime ReadTime(const WideString& Section, const WideString& Ident, TDateTime Default);
  // The bytes from the stream's position to its end as hexadecimal text.
  virtual void WriteBinaryStream(const WideString& Section, const WideString& Ident, TStream* Value);
  virtual void WriteDate(const WideString& Section, const WideString& Ident, TDateTime Value);
  virtual void WriteDateTime(const WideString& Section, const WideString& Ident, TDateTime Value);
  virtual void WriteFloat(const WideString& Section, const WideString& Ident, double Value);
  virtual void WriteTime(const WideString& Section, const WideString& Ident, TDateTime Value);
  // The keys of Section, in file order.
  virtual void ReadSection(const WideString& Section, TWideStrings* Strings) = 0;
  virtual void ReadSections(TWideStrings* Strings) = 0;
  // "key=value" lines of Section.
  virtual void ReadSectionValues(const WideString& Section, TWideStrings* Strings) = 0;
  virtual void EraseSection(const WideString& Section) = 0;
  virtual void DeleteKey(const WideString& Section, const WideString& Ident) = 0;
  // Makes the file match the state in memory.
  virtual void UpdateFile() = 0;

  const WideString& FileName() const { return file_name_; }

 protected:
  // Raises EIniFileException "... に書き込めません" naming the file.
  [[noreturn]] void WriteError();
  // Refuses (WriteError) a section, key or value holding a line break, which would read back as
  // other lines.
  void CheckWritable(const WideString& Section, const WideString& Ident, const WideString& Value);

 private:
  WideString file_name_;
};

// The whole file in memory: sections (in file order, equal names kept apart) of lines
// "name=value" or other non-comment lines. Loaded at creation; UpdateFile saves it as UTF-16LE
// with a mark; destroying it discards unsaved changes.
class TUcMemIniFile : public TUcCustomIniFile {
 public:
  explicit TUcMemIniFile(const WideString& FileName);
  ~TUcMemIniFile() override;

  WideString ReadString(const WideString& Section, const WideString& Ident, const WideString& Default) override;
  void WriteString(const WideString& Section, const WideString& Ident, const WideString& Value) override;
  void ReadSection(const WideString& Section, TWideStrings* Strings) override;
  void ReadSections(TWideStrings* Strings) override;
  void ReadSectionValues(const WideString& Section, TWideStrings* Strings) override;
  void EraseSection(const WideString& Section) override;
  void DeleteKey(const WideString& Section, const WideString& Ident) override;
  void UpdateFile() override;

  // Loads the file again (a missing file: empty).
  void Reload();
  // Replaces the sections by those of Lines, and writes them into Lines.
  void ParseLines(TWideStrings* Lines);
  void BuildLines(TWideStrings* Lines);
  TUcHashedStringList* Sections() const { return sections_.get(); }

 protected:
  TUcHashedStringList* AddSectionList(const WideString& Name);
  void ClearSections();
  // The character set of the file when it was last loaded (tcAnsi when there was none).
  TextFileCharSet loaded_char_set_ = tcAnsi;

 private:
  std::unique_ptr<TUcHashedStringList> sections_;
};

// A memory INI that loads the file again whenever its date changes, and saves every change at
// once, in the file's own character set (a new file is ANSI; text the ANSI code page cannot hold
// is saved as UTF-16). A file only read is never written.
class TUcMemIniFile_V2 : public TUcMemIniFile {
 public:
  explicit TUcMemIniFile_V2(const WideString& FileName) : TUcMemIniFile(FileName) {}

  WideString ReadString(const WideString& Section, const WideString& Ident, const WideString& Default) override;
  void WriteString(const WideString& Section, const WideString& Ident, const WideString& Value) override;
  void ReadSection(const WideString& Section, TWideStrings* Strings) override;
  void ReadSections(TWideStrings* Strings) override;
  void ReadSectionValues(const WideString& Section, TWideStrings* Strings) override;
  void EraseSection(const WideString& Section) override;
  void DeleteKey(const WideString& Section, const WideString& Ident) override;
  // Saves when the store changed since the last save or load.
  void UpdateFile() override;

  void RefreshIfChanged();
  int32_t LastFileDate() const { return last_file_date_; }

 private:
  // The packed DOS date of the file, 0 when it has none.
  int32_t FileDateOf(const WideString& FileName);
  void Changed();

  int32_t last_file_date_ = 0;
  bool modified_ = false;
};

// The program's INI class: the platform's wide profile calls on a Unicode platform, else a
// TUcMemIniFile_V2 over the same file (FallbackStore).
class TUcIniFile : public TUcCustomIniFile {
 public:
  explicit TUcIniFile(const WideString& FileName);
  // Calls UpdateFile.
  ~TUcIniFile() override;

  WideString ReadString(const WideString& Section, const WideString& Ident, const WideString& Default) override;
  // Raises EIniFileException when the file cannot be written.
  void WriteString(const WideString& Section, const WideString& Ident, const WideString& Value) override;
  void ReadSection(const WideString& Section, TWideStrings* Strings) override;
  void ReadSections(TWideStrings* Strings) override;
  void ReadSectionValues(const WideString& Section, TWideStrings* Strings) override;
  void EraseSection(const WideString& Section) override;
  void DeleteKey(const WideString& Section, const WideString& Ident) override;
  void UpdateFile() override;

  TUcMemIniFile_V2* FallbackStore() const { return fallback_store_.get(); }

 private:
  void ReadList(const WideChar* Section, TWideStrings* Strings);
  std::unique_ptr<TUcMemIniFile_V2> fallback_store_;
};
