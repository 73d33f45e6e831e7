#include "UcClasses.h"

#include <algorithm>

#include "SysUtils.h"
#include "UcSysUtils.h"
#include "UcSystem.h"

namespace {

// The bytes from the stream's position to its end.
AnsiString ReadRest(TStream* Stream) {
  const int64_t size = Stream->Size() - Stream->Position();
  AnsiString bytes(static_cast<size_t>(size > 0 ? size : 0), '\0');
  if (!bytes.empty()) Stream->ReadBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
  return bytes;
}

// A message of the class library, read through the wide resource-string loader.
AnsiString Message(const char* Msg) {
  const TResStringRec rec{nullptr, reinterpret_cast<uintptr_t>(Msg)};
  return WideToAnsi(LoadWideResourceString(&rec));
}

}  // namespace

TextFileCharSet DetectTextFileCharSet(TStream* Stream) {
  uint8_t mark[3] = {};
  const int64_t remaining = Stream->Size() - Stream->Position();
  if (remaining >= 2) {
    const int32_t got = Stream->Read(mark, 2);
    if (got == 2 && mark[0] == 0xFF && mark[1] == 0xFE) return tcUtf16;
    if (got == 2 && mark[0] == 0xFE && mark[1] == 0xFF) return tcUtf16Swapped;
    Stream->Seek(-got, soCurrent);
  }
  if (remaining > 2) {
    const int32_t got = Stream->Read(mark, 3);
    if (got == 3 && mark[0] == 0xEF && mark[1] == 0xBB && mark[2] == 0xBF) return tcUtf8;
    Stream->Seek(-got, soCurrent);
  }
  return tcAnsi;
}

// ---------------------------------------------------------------------------------------------
TUcFileStream::TUcFileStream(const WideString& FileName, Word Mode) : THandleStream(INVALID_HANDLE_VALUE) {
  if (Mode == fmCreate) {
    handle_ = WideFileCreate(FileName);
    if (handle_ == INVALID_HANDLE_VALUE)
      throw EFCreateError(Format(Message(SFCreateError), {WideToAnsi(WideExpandFileName(FileName))}));
  } else {
    handle_ = WideFileOpen(FileName, Mode);
    if (handle_ == INVALID_HANDLE_VALUE)
      throw EFOpenError(Format(Message(SFOpenError), {WideToAnsi(WideExpandFileName(FileName))}));
  }
}

TUcFileStream::~TUcFileStream() {
  if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
}

// ---------------------------------------------------------------------------------------------
UINT TAnsiStringsForWideStringsAdapter::CodePage() const {
  return adapter_code_page_ ? adapter_code_page_ : ConversionCodePage;
}

void TAnsiStringsForWideStringsAdapter::Clear() { wide_strings_->Clear(); }
void TAnsiStringsForWideStringsAdapter::Delete(int Index) { wide_strings_->Delete(Index); }
void TAnsiStringsForWideStringsAdapter::Insert(int Index, const AnsiString& S) {
  wide_strings_->Insert(Index, BytesToWide(S, CodePage()));
}
int TAnsiStringsForWideStringsAdapter::Count() { return wide_strings_->Count(); }
AnsiString TAnsiStringsForWideStringsAdapter::Strings(int Index) {
  return WideToBytes(wide_strings_->Get(Index), CodePage());
}
void TAnsiStringsForWideStringsAdapter::SetStrings(int Index, const AnsiString& S) {
  wide_strings_->Put(Index, BytesToWide(S, CodePage()));
}
TObject* TAnsiStringsForWideStringsAdapter::Objects(int Index) { return wide_strings_->GetObject(Index); }
void TAnsiStringsForWideStringsAdapter::SetObjects(int Index, TObject* AObject) {
  wide_strings_->PutObject(Index, AObject);
}
void TAnsiStringsForWideStringsAdapter::SetUpdateState(bool Updating) { wide_strings_->SetUpdateState(Updating); }

void TAnsiStringsForWideStringsAdapter::LoadFromStreamEx(TStream* Stream, UINT CodePage) {
  TWideStringsUpdate update(wide_strings_);
  wide_strings_->SetTextStr(BytesToWide(ReadRest(Stream), CodePage));
}

void TAnsiStringsForWideStringsAdapter::SaveToStreamEx(TStream* Stream, UINT CodePage) {
  const AnsiString bytes = WideToBytes(wide_strings_->GetTextStr(), CodePage);
  if (!bytes.empty()) Stream->WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
}

// ---------------------------------------------------------------------------------------------
TUcStrings::TUcStrings() : ansi_strings_(std::make_unique<TAnsiStringsForWideStringsAdapter>(this, 0)) {}
TUcStrings::~TUcStrings() = default;

void TUcStrings::SetAnsiStrings(TStrings* Value) { ansi_strings_->Assign(Value); }

void TUcStrings::LoadFromFile(const WideString& FileName) {
  TUcFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
  detected_file_char_set_ = DetectTextFileCharSet(&stream);
  stream.SetPosition(0);
  LoadFromStream(&stream);
}

void TUcStrings::LoadFromStream(TStream* Stream) { LoadFromStreamCharSet(Stream, true); }

void TUcStrings::LoadFromStreamCharSet(TStream* Stream, bool Detect) {
  TWideStringsUpdate update(this);
  const TextFileCharSet charSet = Detect ? DetectTextFileCharSet(Stream) : tcUtf16;
  if (charSet == tcUtf16 || charSet == tcUtf16Swapped) {
    const int64_t size = Stream->Size() - Stream->Position();
    WideString text(static_cast<size_t>(size > 1 ? size / 2 : 0), u'\0');  // an odd last byte is dropped
    if (!text.empty()) Stream->ReadBuffer(text.data(), static_cast<int32_t>(text.size() * 2));
    if (charSet == tcUtf16Swapped)  // by count: a zero unit is text here, not an end
      for (auto& c : text) c = static_cast<WideChar>((c >> 8) | (c << 8));
    SetTextStr(text);
  } else if (charSet == tcUtf8) {
    SetTextStr(UTF8Decode(ReadRest(Stream)));
  } else {
    SetTextStr(AnsiToWide(ReadRest(Stream)));
  }
}

void TUcStrings::SaveToFile(const WideString& FileName) {
  TUcFileStream stream(FileName, fmCreate);
  SaveToStream(&stream);
}

void TUcStrings::SaveToStream(TStream* Stream) { SaveToStreamBOM(Stream, true); }

void TUcStrings::SaveToStreamBOM(TStream* Stream, bool WithBOM) {
  static constexpr uint8_t kMark[2] = {0xFF, 0xFE};
  if (WithBOM) Stream->WriteBuffer(kMark, 2);
  const WideString text = GetTextStr();
  if (!text.empty()) Stream->WriteBuffer(text.data(), static_cast<int32_t>(text.size() * 2));
}
