// TUcCustomIniFile's typed reads and writes, and TUcIniFile.
#include "UcIniFiles.h"

#include <algorithm>
#include <vector>

#include "SysUtils.h"
#include "UcSysUtils.h"
#include "UcWindows.h"

namespace {

bool HoldsLineBreak(const WideString& S) { return S.find_first_of(u"\r\n\u2028") != WideString::npos; }

template <class Parse>
TDateTime ReadConverted(const WideString& Text, TDateTime Default, Parse parse) {
  if (Text.empty()) return Default;
  try {
    return parse(WideToAnsi(Text));
  } catch (const EConvertError&) {
    return Default;
  }
}

}  // namespace

TUcCustomIniFile::~TUcCustomIniFile() = default;

void TUcCustomIniFile::WriteError() {
  throw EIniFileException(Format(SIniFileWriteError, {WideToAnsi(file_name_)}));
}

void TUcCustomIniFile::CheckWritable(const WideString& Section, const WideString& Ident, const WideString& Value) {
  if (HoldsLineBreak(Section) || HoldsLineBreak(Ident) || HoldsLineBreak(Value)) WriteError();
}

int32_t TUcCustomIniFile::ReadInteger(const WideString& Section, const WideString& Ident, int32_t Default) {
  WideString text = ReadString(Section, Ident, WideString());
  if (text.size() > 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X')) text = u"$" + text.substr(2);
  return StrToIntDef(WideToAnsi(text), Default);
}

void TUcCustomIniFile::WriteInteger(const WideString& Section, const WideString& Ident, int32_t Value) {
  WriteString(Section, Ident, AnsiToWide(IntToStr(Value)));
}

bool TUcCustomIniFile::ReadBool(const WideString& Section, const WideString& Ident, bool Default) {
  return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

void TUcCustomIniFile::WriteBool(const WideString& Section, const WideString& Ident, bool Value) {
  WriteString(Section, Ident, Value ? u"1" : u"0");
}

int TUcCustomIniFile::ReadBinaryStream(const WideString& Section, const WideString& Ident, TStream* Value) {
  const WideString text = ReadString(Section, Ident, WideString());
  if (text.empty()) return 0;
  const AnsiString hex = WideToAnsi(text);
  std::vector<uint8_t> bytes(text.size() / 2);
  const int n = bytes.empty() ? 0 : HexToBin(hex.c_str(), bytes.data(), static_cast<int>(bytes.size()));
  if (n <= 0) return 0;
  const int64_t start = Value->Position();
  Value->WriteBuffer(bytes.data(), n);  // grows the stream only as far as these bytes reach
  if (dynamic_cast<TMemoryStream*>(Value)) Value->SetPosition(start);
  return n;
}

TDateTime TUcCustomIniFile::ReadDate(const WideString& Section, const WideString& Ident, TDateTime Default) {
  return ReadConverted(ReadString(Section, Ident, WideString()), Default, [](const AnsiString& s) { return StrToDate(s); });
}

TDateTime TUcCustomIniFile::ReadDateTime(const WideString& Section, const WideString& Ident, TDateTime Default) {
  return ReadConverted(ReadString(Section, Ident, WideString()), Default,
                       [](const AnsiString& s) { return StrToDateTime(s); });
}

double TUcCustomIniFile::ReadFloat(const WideString& Section, const WideString& Ident, double Default) {
  return ReadConverted(ReadString(Section, Ident, WideString()), Default,
                       [](const AnsiString& s) { return static_cast<double>(StrToFloat(s)); });
}

TDateTime TUcCustomIniFile::ReadTime(const WideString& Section, const WideString& Ident, TDateTime Default) {
  return ReadConverted(ReadString(Section, Ident, WideString()), Default, [](const AnsiString& s) { return StrToTime(s); });
}

void TUcCustomIniFile::WriteBinaryStream(const WideString& Section, const WideString& Ident, TStream* Value) {
  const int64_t start = Value->Position();
  const int64_t size = Value->Size() - start;
  AnsiString hex;
  if (size > 0) {
    hex.assign(static_cast<size_t>(size) * 2, '\0');
    if (auto* memory = dynamic_cast<TCustomMemoryStream*>(Value)) {
      BinToHex(static_cast<const uint8_t*>(memory->Memory()) + start, hex.data(), static_cast<int>(size));
    } else {
      std::vector<uint8_t> bytes(static_cast<size_t>(size));
      Value->ReadBuffer(bytes.data(), static_cast<int32_t>(size));
      BinToHex(bytes.data(), hex.data(), static_cast<int>(size));
    }
  }
  WriteString(Section, Ident, AnsiToWide(hex));
}

void TUcCustomIniFile::WriteDate(const WideString& Section, const WideString& Ident, TDateTime Value) {
  WriteString(Section, Ident, AnsiToWide(DateToStr(Value)));
}

void TUcCustomIniFile::WriteDateTime(const WideString& Section, const WideString& Ident, TDateTime Value) {
  WriteString(Section, Ident, AnsiToWide(DateTimeToStr(Value)));
}

void TUcCustomIniFile::WriteFloat(const WideString& Section, const WideString& Ident, double Value) {
  WriteString(Section, Ident, AnsiToWide(FloatToStr(Value)));
}

void TUcCustomIniFile::WriteTime(const WideString& Section, const WideString& Ident, TDateTime Value) {
  WriteString(Section, Ident, AnsiToWide(TimeToStr(Value)));
}

// ---------------------------------------------------------------------------------------------
TUcIniFile::TUcIniFile(const WideString& FileName) : TUcCustomIniFile(FileName) {
  if (!PlatformIsUnicode) fallback_store_ = std::make_unique<TUcMemIniFile_V2>(FileName);
}

TUcIniFile::~TUcIniFile() {
  try {
    UpdateFile();
  } catch (...) {  // a destructor must not throw; a failed save was the caller's to check
  }
}

WideString TUcIniFile::ReadString(const WideString& Section, const WideString& Ident, const WideString& Default) {
  if (fallback_store_) return fallback_store_->ReadString(Section, Ident, Default);
  std::vector<WideChar> buffer(2048, u'\0');
  const DWORD n = GetPrivateProfileStringW(Section.c_str(), Ident.c_str(), Default.c_str(), buffer.data(), 2048,
                                           FileName().c_str());
  return WideStringFromBufferMax(buffer.data(), static_cast<int>(std::min<DWORD>(n, 2047)));
}

void TUcIniFile::WriteString(const WideString& Section, const WideString& Ident, const WideString& Value) {
  CheckWritable(Section, Ident, Value);  // on both paths, so the file never depends on the platform
  if (fallback_store_) return fallback_store_->WriteString(Section, Ident, Value);
  if (!WritePrivateProfileStringW(Section.c_str(), Ident.c_str(), Value.c_str(), FileName().c_str())) WriteError();
}

void TUcIniFile::ReadList(const WideChar* Section, TWideStrings* Strings) {
  TWideStringsUpdate update(Strings);
  Strings->Clear();
  std::vector<WideChar> buffer(16384, u'\0');
  const DWORD n = GetPrivateProfileStringW(Section, nullptr, nullptr, buffer.data(), 16384, FileName().c_str());
  if (n == 0) return;
  const WideChar* p = buffer.data();
  const WideChar* end = buffer.data() + std::min<DWORD>(n, 16383);
  while (p < end && *p) {
    const WideString entry = WideStringFromBufferMax(p, static_cast<int>(end - p));
    Strings->Add(entry);
    p += entry.size() + 1;
  }
}

void TUcIniFile::ReadSections(TWideStrings* Strings) {
  if (fallback_store_) return fallback_store_->ReadSections(Strings);
  ReadList(nullptr, Strings);
}

void TUcIniFile::ReadSection(const WideString& Section, TWideStrings* Strings) {
  if (fallback_store_) return fallback_store_->ReadSection(Section, Strings);
  ReadList(Section.c_str(), Strings);
}

void TUcIniFile::ReadSectionValues(const WideString& Section, TWideStrings* Strings) {
  if (fallback_store_) return fallback_store_->ReadSectionValues(Section, Strings);
  TUcStringList keys;
  ReadSection(Section, &keys);
  TWideStringsUpdate update(Strings);
  Strings->Clear();
  for (int i = 0; i < keys.Count(); ++i)
    Strings->Add(keys.Get(i) + u"=" + ReadString(Section, keys.Get(i), WideString()));
}

void TUcIniFile::EraseSection(const WideString& Section) {
  if (fallback_store_) return fallback_store_->EraseSection(Section);
  if (!WritePrivateProfileStringW(Section.c_str(), nullptr, nullptr, FileName().c_str())) WriteError();
}

void TUcIniFile::DeleteKey(const WideString& Section, const WideString& Ident) {
  if (fallback_store_) return fallback_store_->DeleteKey(Section, Ident);
  WritePrivateProfileStringW(Section.c_str(), Ident.c_str(), nullptr, FileName().c_str());
}

void TUcIniFile::UpdateFile() {
  if (fallback_store_) return fallback_store_->UpdateFile();
  WritePrivateProfileStringW(nullptr, nullptr, nullptr, FileName().c_str());
}
