// TMemIniFile: the whole file held in memory.
#include <memory>
#include "IniFiles.h"

TMemIniFile::TMemIniFile(const AnsiString& FileName) : TCustomIniFile(FileName) { LoadValues(); }

TMemIniFile::~TMemIniFile() { Clear(); }

void TMemIniFile::Clear() {
  for (int i = 0; i < sections_.Count(); ++i) delete sections_.Objects(i);
  sections_.Clear();
}

TStringList* TMemIniFile::SectionOf(const AnsiString& Section) {
  int i = sections_.IndexOf(Section);
  return i >= 0 ? static_cast<TStringList*>(sections_.Objects(i)) : nullptr;
}

TStringList* TMemIniFile::AddSection(const AnsiString& Section) {
  auto list = std::make_unique<TStringList>();
  list->SetCaseSensitive(case_sensitive_);
  sections_.AddObject(Section, list.get());
  return list.release();
}

void TMemIniFile::SetCaseSensitive(bool Value) {
  if (Value == case_sensitive_) return;
  case_sensitive_ = Value;
  sections_.SetCaseSensitive(Value);
  for (int i = 0; i < sections_.Count(); ++i)
    static_cast<TStringList*>(sections_.Objects(i))->SetCaseSensitive(Value);
}

void TMemIniFile::LoadValues() {
  if (!file_name_.empty() && FileExists(file_name_)) {
    TStringList list;
    list.LoadFromFile(file_name_);
    SetStrings(&list);
  } else {
    Clear();
  }
}

void TMemIniFile::SetStrings(TStrings* List) {
  Clear();
  TStringList* strings = nullptr;
  for (int i = 0; i < List->Count(); ++i) {
    AnsiString s = Trim(List->Strings(i));
    if (s.empty() || s[0] == ';') continue;
    if (s[0] == '[' && s.back() == ']' && s.size() >= 2) {
      AnsiString name = Trim(s.substr(1, s.size() - 2));
      strings = SectionOf(name);
      if (strings == nullptr) strings = AddSection(name);
    } else if (strings != nullptr) {
      int j = AnsiPos("=", s);
      if (j > 0)
        strings->Add(Trim(s.substr(0, static_cast<std::size_t>(j - 1))) + "=" +
                     Trim(s.substr(static_cast<std::size_t>(j))));
      else
        strings->Add(s);
    }
  }
}

void TMemIniFile::GetStrings(TStrings* List) {
  List->BeginUpdate();
  try {
    for (int i = 0; i < sections_.Count(); ++i) {
      List->Add("[" + sections_.Strings(i) + "]");
      auto* strings = static_cast<TStringList*>(sections_.Objects(i));
      for (int j = 0; j < strings->Count(); ++j) List->Add(strings->Strings(j));
      List->Add(AnsiString());
    }
  } catch (...) {
    List->EndUpdate();
    throw;
  }
  List->EndUpdate();
}

void TMemIniFile::Rename(const AnsiString& FileName, bool Reload) {
  file_name_ = FileName;
  if (Reload) LoadValues();
}

AnsiString TMemIniFile::ReadString(const AnsiString& Section, const AnsiString& Ident,
                                   const AnsiString& Default) {
  TStringList* strings = SectionOf(Section);
  if (strings != nullptr) {
    int i = strings->IndexOfName(Ident);
    if (i >= 0) {
      AnsiString s = strings->Strings(i);
      return s.size() > Ident.size() ? s.substr(Ident.size() + 1) : AnsiString();
    }
  }
  return Default;
}

void TMemIniFile::WriteString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Value) {
  TStringList* strings = SectionOf(Section);
  if (strings == nullptr) strings = AddSection(Section);
  AnsiString s = Ident + "=" + Value;
  int i = strings->IndexOfName(Ident);
  if (i >= 0) strings->SetStrings(i, s);
  else strings->Add(s);
}

void TMemIniFile::ReadSection(const AnsiString& Section, TStrings* Strings) {
  Strings->BeginUpdate();
  try {
    Strings->Clear();
    TStringList* strings = SectionOf(Section);
    if (strings != nullptr) {
      // Lines without "=" have no key: they are not listed.
      for (int i = 0; i < strings->Count(); ++i) {
        AnsiString line = strings->Strings(i);
        int p = AnsiPos("=", line);
        if (p > 1) Strings->Add(line.substr(0, static_cast<std::size_t>(p - 1)));
      }
    }
  } catch (...) {
    Strings->EndUpdate();
    throw;
  }
  Strings->EndUpdate();
}

void TMemIniFile::ReadSections(TStrings* Strings) {
  Strings->BeginUpdate();
  try {
    Strings->Clear();
    for (int i = 0; i < sections_.Count(); ++i) Strings->Add(sections_.Strings(i));
  } catch (...) {
    Strings->EndUpdate();
    throw;
  }
  Strings->EndUpdate();
}

void TMemIniFile::ReadSectionValues(const AnsiString& Section, TStrings* Strings) {
  Strings->BeginUpdate();
  try {
    Strings->Clear();
    TStringList* strings = SectionOf(Section);
    if (strings != nullptr) Strings->AddStrings(strings);
  } catch (...) {
    Strings->EndUpdate();
    throw;
  }
  Strings->EndUpdate();
}

void TMemIniFile::EraseSection(const AnsiString& Section) {
  int i = sections_.IndexOf(Section);
  if (i < 0) return;
  delete sections_.Objects(i);
  sections_.Delete(i);
}

void TMemIniFile::DeleteKey(const AnsiString& Section, const AnsiString& Ident) {
  TStringList* strings = SectionOf(Section);
  if (strings == nullptr) return;
  int i = strings->IndexOfName(Ident);
  if (i >= 0) strings->Delete(i);
}

void TMemIniFile::UpdateFile() {
  TStringList list;
  GetStrings(&list);
  // Written beside the file and moved over it, so a failed write leaves the old file whole.
  AnsiString temp = file_name_ + ".$$$";
  try {
    list.SaveToFile(temp);
  } catch (const EStreamError&) {
    DeleteFile(temp);
    throw EFCreateError(SFCreateError, {file_name_});
  }
  if (!MoveFileExA(temp.c_str(), file_name_.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    DeleteFile(temp);
    throw EFCreateError(SFCreateError, {file_name_});
  }
}
