#include "IniFiles.h"

#include <memory>
#include <vector>
#include "windows.h"

TCustomIniFile::~TCustomIniFile() = default;

bool TCustomIniFile::SectionExists(const AnsiString& Section) {
  TStringList s;
  ReadSection(Section, &s);
  return s.Count() > 0;
}

bool TCustomIniFile::ValueExists(const AnsiString& Section, const AnsiString& Ident) {
  TStringList s;
  ReadSection(Section, &s);
  return s.IndexOf(Ident) > -1;
}

int32_t TCustomIniFile::ReadInteger(const AnsiString& Section, const AnsiString& Ident,
                                    int32_t Default) {
  AnsiString s = ReadString(Section, Ident, AnsiString());
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) s = "$" + s.substr(2);
  return StrToIntDef(s, Default);
}

void TCustomIniFile::WriteInteger(const AnsiString& Section, const AnsiString& Ident, int32_t Value) {
  WriteString(Section, Ident, IntToStr(Value));
}

bool TCustomIniFile::ReadBool(const AnsiString& Section, const AnsiString& Ident, bool Default) {
  return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

void TCustomIniFile::WriteBool(const AnsiString& Section, const AnsiString& Ident, bool Value) {
  WriteString(Section, Ident, Value ? "1" : "0");
}

namespace {
template <class F>
TDateTime ReadConverted(TCustomIniFile* ini, const AnsiString& Section, const AnsiString& Ident,
                        TDateTime Default, F convert) {
  AnsiString s = ini->ReadString(Section, Ident, AnsiString());
  TDateTime v;
  if (!s.empty() && convert(s, v)) return v;
  return Default;
}
}  // namespace

TDateTime TCustomIniFile::ReadDate(const AnsiString& Section, const AnsiString& Ident, TDateTime Default) {
  return ReadConverted(this, Section, Ident, Default,
                       [](const AnsiString& s, TDateTime& v) { return TryStrToDate(s, v); });
}

TDateTime TCustomIniFile::ReadDateTime(const AnsiString& Section, const AnsiString& Ident,
                                       TDateTime Default) {
  return ReadConverted(this, Section, Ident, Default,
                       [](const AnsiString& s, TDateTime& v) { return TryStrToDateTime(s, v); });
}

TDateTime TCustomIniFile::ReadTime(const AnsiString& Section, const AnsiString& Ident, TDateTime Default) {
  return ReadConverted(this, Section, Ident, Default,
                       [](const AnsiString& s, TDateTime& v) { return TryStrToTime(s, v); });
}

double TCustomIniFile::ReadFloat(const AnsiString& Section, const AnsiString& Ident, double Default) {
  AnsiString s = ReadString(Section, Ident, AnsiString());
  double v;
  if (!s.empty() && TryStrToFloat(s, v)) return v;
  return Default;
}

void TCustomIniFile::WriteDate(const AnsiString& Section, const AnsiString& Ident, TDateTime Value) {
  WriteString(Section, Ident, DateToStr(Value));
}

void TCustomIniFile::WriteDateTime(const AnsiString& Section, const AnsiString& Ident, TDateTime Value) {
  WriteString(Section, Ident, DateTimeToStr(Value));
}

void TCustomIniFile::WriteTime(const AnsiString& Section, const AnsiString& Ident, TDateTime Value) {
  WriteString(Section, Ident, TimeToStr(Value));
}

void TCustomIniFile::WriteFloat(const AnsiString& Section, const AnsiString& Ident, double Value) {
  WriteString(Section, Ident, FloatToStr(Value));
}

// ---------------------------------------------------------------------------------------------
TIniFile::~TIniFile() { UpdateFile(); }

namespace {

// A profile read into a buffer that grows until the answer fits (the call cuts a value at
// size - 1 and a list at size - 2).
std::vector<char> ProfileRead(const char* section, const char* key, const char* def,
                              const AnsiString& file, DWORD initial, DWORD slack, DWORD& length) {
  DWORD size = initial;
  for (;;) {
    std::vector<char> buf(size, '\0');
    length = GetPrivateProfileStringA(section, key, def, buf.data(), size, file.c_str());
    if (length + slack < size || size >= (1u << 26)) return buf;
    size *= 4;
  }
}

void AddList(const std::vector<char>& buf, DWORD length, TStrings* Strings) {
  const char* p = buf.data();
  const char* end = p + length;
  while (p < end && *p != 0) {
    AnsiString item(p);
    Strings->Add(item);
    p += item.size() + 1;
  }
}

}  // namespace

AnsiString TIniFile::ReadString(const AnsiString& Section, const AnsiString& Ident,
                                const AnsiString& Default) {
  DWORD length = 0;
  std::vector<char> buf =
      ProfileRead(Section.c_str(), Ident.c_str(), Default.c_str(), file_name_, 2048, 1, length);
  return AnsiString(buf.data(), length);
}

void TIniFile::WriteString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Value) {
  if (!WritePrivateProfileStringA(Section.c_str(), Ident.c_str(), Value.c_str(), file_name_.c_str()))
    throw EIniFileException(SIniFileWriteError, {file_name_});
}

void TIniFile::ReadSection(const AnsiString& Section, TStrings* Strings) {
  Strings->BeginUpdate();
  try {
    Strings->Clear();
    DWORD length = 0;
    std::vector<char> buf = ProfileRead(Section.c_str(), nullptr, nullptr, file_name_, 16384, 2, length);
    if (length != 0) AddList(buf, length, Strings);
  } catch (...) {
    Strings->EndUpdate();
    throw;
  }
  Strings->EndUpdate();
}

void TIniFile::ReadSections(TStrings* Strings) {
  Strings->BeginUpdate();
  try {
    Strings->Clear();
    DWORD length = 0;
    std::vector<char> buf = ProfileRead(nullptr, nullptr, nullptr, file_name_, 16384, 2, length);
    if (length != 0) AddList(buf, length, Strings);
  } catch (...) {
    Strings->EndUpdate();
    throw;
  }
  Strings->EndUpdate();
}

void TIniFile::ReadSectionValues(const AnsiString& Section, TStrings* Strings) {
  TStringList keys;
  ReadSection(Section, &keys);
  Strings->BeginUpdate();
  try {
    Strings->Clear();
    for (int i = 0; i < keys.Count(); ++i)
      Strings->Add(keys.Strings(i) + "=" + ReadString(Section, keys.Strings(i), AnsiString()));
  } catch (...) {
    Strings->EndUpdate();
    throw;
  }
  Strings->EndUpdate();
}

void TIniFile::EraseSection(const AnsiString& Section) {
  if (!WritePrivateProfileStringA(Section.c_str(), nullptr, nullptr, file_name_.c_str()))
    throw EIniFileException(SIniFileWriteError, {file_name_});
}

void TIniFile::DeleteKey(const AnsiString& Section, const AnsiString& Ident) {
  WritePrivateProfileStringA(Section.c_str(), Ident.c_str(), nullptr, file_name_.c_str());
}

void TIniFile::UpdateFile() {
  // Nothing is cached; the call only flushes, and answers FALSE for that.
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, file_name_.c_str());
}

