// IniFiles: INI files through the platform's profile calls (TIniFile) or held in memory
// (TMemIniFile).
#pragma once
#include "Classes.h"

class TCustomIniFile : public TObject {
 public:
  explicit TCustomIniFile(const AnsiString& FileName) : file_name_(FileName) {}
  ~TCustomIniFile() override;

  bool SectionExists(const AnsiString& Section);
  bool ValueExists(const AnsiString& Section, const AnsiString& Ident);
  virtual AnsiString ReadString(const AnsiString& Section, const AnsiString& Ident,
                                const AnsiString& Default) = 0;
  virtual void WriteString(const AnsiString& Section, const AnsiString& Ident,
                           const AnsiString& Value) = 0;
  // "0x1F" is read as "$1F"; anything that is not a number gives Default.
  virtual int32_t ReadInteger(const AnsiString& Section, const AnsiString& Ident, int32_t Default);
  virtual void WriteInteger(const AnsiString& Section, const AnsiString& Ident, int32_t Value);
  // A number other than 0 is true; written as "1" and "0".
  virtual bool ReadBool(const AnsiString& Section, const AnsiString& Ident, bool Default);
  virtual void WriteBool(const AnsiString& Section, const AnsiString& Ident, bool Value);
  // Text that does not convert gives Default.
  virtual TDateTime ReadDate(const AnsiString& Section, const AnsiString& Ident, TDateTime Default);
  virtual TDateTime ReadDateTime(const AnsiString& Section, const AnsiString& Ident, TDateTime Default);
  virtual TDateTime ReadTime(const AnsiString& Section, const AnsiString& Ident, TDateTime Default);
  virtual double ReadFloat(const AnsiString& Section, const AnsiString& Ident, double Default);
  virtual void WriteDate(const AnsiString& Section, const AnsiString& Ident, TDateTime Value);
  virtual void WriteDateTime(const AnsiString& Section, const AnsiString& Ident, TDateTime Value);
  virtual void WriteTime(const AnsiString& Section, const AnsiString& Ident, TDateTime Value);
  virtual void WriteFloat(const AnsiString& Section, const AnsiString& Ident, double Value);
  // The keys of Section, in file order.
  virtual void ReadSection(const AnsiString& Section, TStrings* Strings) = 0;
  // The section names, in file order.
  virtual void ReadSections(TStrings* Strings) = 0;
  // "key=value" lines of Section.
  virtual void ReadSectionValues(const AnsiString& Section, TStrings* Strings) = 0;
  virtual void EraseSection(const AnsiString& Section) = 0;
  virtual void DeleteKey(const AnsiString& Section, const AnsiString& Ident) = 0;
  virtual void UpdateFile() = 0;
  const AnsiString& FileName() const { return file_name_; }

 protected:
  AnsiString file_name_;
};

// Every call goes to the file through the profile calls: sections and keys ignore case, blanks
// are trimmed and one pair of quotes is stripped. A name without a folder is relative to the
// current directory.
class TIniFile : public TCustomIniFile {
 public:
  explicit TIniFile(const AnsiString& FileName) : TCustomIniFile(FileName) {}
  ~TIniFile() override;
  AnsiString ReadString(const AnsiString& Section, const AnsiString& Ident,
                        const AnsiString& Default) override;
  // Raises EIniFileException when the file cannot be written.
  void WriteString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Value) override;
  void ReadSection(const AnsiString& Section, TStrings* Strings) override;
  void ReadSections(TStrings* Strings) override;
  void ReadSectionValues(const AnsiString& Section, TStrings* Strings) override;
  void EraseSection(const AnsiString& Section) override;
  void DeleteKey(const AnsiString& Section, const AnsiString& Ident) override;
  void UpdateFile() override;
};

// The whole file in memory, read at creation; UpdateFile writes it back (comments are not kept).
// Sections and keys ignore case unless CaseSensitive is set.
class TMemIniFile : public TCustomIniFile {
 public:
  explicit TMemIniFile(const AnsiString& FileName);
  ~TMemIniFile() override;
  void Clear();
  AnsiString ReadString(const AnsiString& Section, const AnsiString& Ident,
                        const AnsiString& Default) override;
  void WriteString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Value) override;
  void ReadSection(const AnsiString& Section, TStrings* Strings) override;
  void ReadSections(TStrings* Strings) override;
  void ReadSectionValues(const AnsiString& Section, TStrings* Strings) override;
  void EraseSection(const AnsiString& Section) override;
  void DeleteKey(const AnsiString& Section, const AnsiString& Ident) override;
  // Writes the file whole; the old file stays as it was when the write fails.
  void UpdateFile() override;
  // The file's lines as UpdateFile would write them, and the other way.
  void GetStrings(TStrings* List);
  void SetStrings(TStrings* List);
  // Takes another file name, and reads it when Reload is set.
  void Rename(const AnsiString& FileName, bool Reload);
  bool CaseSensitive() const { return case_sensitive_; }
  void SetCaseSensitive(bool Value);

 private:
  TStringList* AddSection(const AnsiString& Section);
  TStringList* SectionOf(const AnsiString& Section);
  void LoadValues();

  TStringList sections_;  // objects: the owned TStringList of each section
  bool case_sensitive_ = false;
};
