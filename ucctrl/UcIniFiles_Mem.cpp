// TUcMemIniFile and TUcMemIniFile_V2: the whole INI file held in hashed lists.
#include "SysUtils.h"
#include "UcIniFiles.h"
#include "UcSysUtils.h"

namespace {

// Removes every character below U+0021 at both ends.
WideString TrimWide(const WideString& S) {
  size_t b = 0, e = S.size();
  while (b < e && S[b] < 0x21) ++b;
  while (e > b && S[e - 1] < 0x21) --e;
  return S.substr(b, e - b);
}

// The section's list, or null.
TUcHashedStringList* SectionList(TUcHashedStringList* Sections, const WideString& Section) {
  const int i = Sections->IndexOf(Section);
  return i < 0 ? nullptr : static_cast<TUcHashedStringList*>(Sections->GetObject(i));
}

}  // namespace

TUcMemIniFile::TUcMemIniFile(const WideString& FileName)
    : TUcCustomIniFile(FileName), sections_(std::make_unique<TUcHashedStringList>()) {
  Reload();
}

TUcMemIniFile::~TUcMemIniFile() { ClearSections(); }

void TUcMemIniFile::ClearSections() {
  for (int i = 0; i < sections_->Count(); ++i) delete sections_->GetObject(i);
  sections_->Clear();
}

TUcHashedStringList* TUcMemIniFile::AddSectionList(const WideString& Name) {
  auto list = std::make_unique<TUcHashedStringList>();
  list->SetCaseSensitive(sections_->CaseSensitive());
  sections_->AddObject(Name, list.get());
  return list.release();
}

void TUcMemIniFile::Reload() {
  if (!FileName().empty() && WideFileExists(FileName())) {
    TUcStringList lines;
    lines.LoadFromFile(FileName());
    loaded_char_set_ = lines.DetectedFileCharSet();
    ParseLines(&lines);
  } else {
    ClearSections();
    loaded_char_set_ = tcAnsi;
  }
}

void TUcMemIniFile::ParseLines(TWideStrings* Lines) {
  ClearSections();
  TUcHashedStringList* current = nullptr;
  const int n = Lines->Count();
  for (int i = 0; i < n; ++i) {
    const WideString line = TrimWide(Lines->Get(i));
    if (line.empty() || line[0] == u';') continue;
    if (line.size() >= 2 && line.front() == u'[' && line.back() == u']') {
      current = AddSectionList(TrimWide(line.substr(1, line.size() - 2)));
      continue;
    }
    if (!current) continue;  // lines before the first section are dropped
    const size_t eq = line.find(u'=');
    if (eq != WideString::npos && eq > 0)
      current->Add(TrimWide(line.substr(0, eq)) + u"=" + TrimWide(line.substr(eq + 1)));
    else
      current->Add(line);
  }
}

void TUcMemIniFile::BuildLines(TWideStrings* Lines) {
  TWideStringsUpdate update(Lines);
  for (int i = 0; i < sections_->Count(); ++i) {
    Lines->Add(u"[" + sections_->Get(i) + u"]");
    auto* section = static_cast<TUcHashedStringList*>(sections_->GetObject(i));
    for (int j = 0; j < section->Count(); ++j) Lines->Add(section->Get(j));
    Lines->Add(WideString());
  }
}

WideString TUcMemIniFile::ReadString(const WideString& Section, const WideString& Ident, const WideString& Default) {
  TUcHashedStringList* section = SectionList(sections_.get(), Section);
  if (!section) return Default;
  const int i = section->IndexOfName(Ident);
  if (i < 0) return Default;
  const WideString line = section->Get(i);
  return line.substr(line.find(u'=') + 1);
}

void TUcMemIniFile::WriteString(const WideString& Section, const WideString& Ident, const WideString& Value) {
  CheckWritable(Section, Ident, Value);
  TUcHashedStringList* section = SectionList(sections_.get(), Section);
  if (!section) section = AddSectionList(Section);
  const WideString line = Ident + u"=" + Value;
  const int i = section->IndexOfName(Ident);
  if (i >= 0) section->Put(i, line);
  else section->Add(line);
}

void TUcMemIniFile::ReadSection(const WideString& Section, TWideStrings* Strings) {
  TWideStringsUpdate update(Strings);
  Strings->Clear();
  TUcHashedStringList* section = SectionList(sections_.get(), Section);
  if (!section) return;
  for (int i = 0; i < section->Count(); ++i) {
    const WideString line = section->Get(i);
    const size_t eq = line.find(u'=');
    Strings->Add(eq == WideString::npos ? WideString() : line.substr(0, eq));
  }
}

void TUcMemIniFile::ReadSections(TWideStrings* Strings) { Strings->Assign(sections_.get()); }

void TUcMemIniFile::ReadSectionValues(const WideString& Section, TWideStrings* Strings) {
  TWideStringsUpdate update(Strings);
  Strings->Clear();
  if (TUcHashedStringList* section = SectionList(sections_.get(), Section)) Strings->Assign(section);
}

void TUcMemIniFile::EraseSection(const WideString& Section) {
  const int i = sections_->IndexOf(Section);
  if (i < 0) return;
  delete sections_->GetObject(i);
  sections_->Delete(i);
}

void TUcMemIniFile::DeleteKey(const WideString& Section, const WideString& Ident) {
  TUcHashedStringList* section = SectionList(sections_.get(), Section);
  if (!section) return;
  const int i = section->IndexOfName(Ident);
  if (i >= 0) section->Delete(i);
}

void TUcMemIniFile::UpdateFile() {
  TUcStringList lines;
  BuildLines(&lines);
  lines.SaveToFile(FileName());
}

// ---------------------------------------------------------------------------------------------
int32_t TUcMemIniFile_V2::FileDateOf(const WideString& FileName) {
  const int32_t age = WideFileAge(FileName);
  return age == -1 ? 0 : age;
}

void TUcMemIniFile_V2::RefreshIfChanged() {
  const int32_t date = FileDateOf(FileName());
  if (date != last_file_date_) {
    Reload();
    last_file_date_ = date;
    modified_ = false;
  }
}

WideString TUcMemIniFile_V2::ReadString(const WideString& Section, const WideString& Ident, const WideString& Default) {
  RefreshIfChanged();
  return TUcMemIniFile::ReadString(Section, Ident, Default);
}

void TUcMemIniFile_V2::ReadSection(const WideString& Section, TWideStrings* Strings) {
  RefreshIfChanged();
  TUcMemIniFile::ReadSection(Section, Strings);
}

void TUcMemIniFile_V2::ReadSections(TWideStrings* Strings) {
  RefreshIfChanged();
  TUcMemIniFile::ReadSections(Strings);
}

void TUcMemIniFile_V2::ReadSectionValues(const WideString& Section, TWideStrings* Strings) {
  RefreshIfChanged();
  TUcMemIniFile::ReadSectionValues(Section, Strings);
}

void TUcMemIniFile_V2::WriteString(const WideString& Section, const WideString& Ident, const WideString& Value) {
  RefreshIfChanged();
  TUcMemIniFile::WriteString(Section, Ident, Value);
  Changed();
}

void TUcMemIniFile_V2::EraseSection(const WideString& Section) {
  RefreshIfChanged();
  if (Sections()->IndexOf(Section) < 0) return;
  TUcMemIniFile::EraseSection(Section);
  Changed();
}

void TUcMemIniFile_V2::DeleteKey(const WideString& Section, const WideString& Ident) {
  RefreshIfChanged();
  TUcHashedStringList* section = nullptr;
  const int i = Sections()->IndexOf(Section);
  if (i >= 0) section = static_cast<TUcHashedStringList*>(Sections()->GetObject(i));
  if (!section || section->IndexOfName(Ident) < 0) return;
  TUcMemIniFile::DeleteKey(Section, Ident);
  Changed();
}

void TUcMemIniFile_V2::Changed() {
  modified_ = true;
  UpdateFile();
}

void TUcMemIniFile_V2::UpdateFile() {
  if (!modified_) return;
  TUcStringList lines;
  BuildLines(&lines);
  const WideString text = lines.GetTextStr();
  AnsiString bytes;
  if (loaded_char_set_ == tcAnsi) {
    bytes = WideToAnsi(text);
    if (AnsiToWide(bytes) != text) loaded_char_set_ = tcUtf16;  // the code page cannot hold it all
  }
  switch (loaded_char_set_) {
    case tcAnsi: break;
    case tcUtf8: bytes = "\xEF\xBB\xBF" + UTF8Encode(text); break;
    case tcUtf16:
    case tcUtf16Swapped: {
      const bool swapped = loaded_char_set_ == tcUtf16Swapped;
      bytes.reserve(text.size() * 2 + 2);
      bytes = swapped ? "\xFE\xFF" : "\xFF\xFE";
      for (WideChar c : text) {
        const char lo = static_cast<char>(c & 0xFF), hi = static_cast<char>(c >> 8);
        bytes.push_back(swapped ? hi : lo);
        bytes.push_back(swapped ? lo : hi);
      }
      break;
    }
  }
  {
    TUcFileStream stream(FileName(), fmCreate);
    if (!bytes.empty()) stream.WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
  }
  modified_ = false;
  last_file_date_ = FileDateOf(FileName());
}
