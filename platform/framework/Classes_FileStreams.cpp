// Streams over platform file handles, and the file forms of the string list and memory stream.
#include "Classes.h"
#include "windows.h"

int32_t THandleStream::Read(void* Buffer, int32_t Count) {
  int32_t r = FileRead(handle_, Buffer, Count);
  return r < 0 ? 0 : r;
}

int32_t THandleStream::Write(const void* Buffer, int32_t Count) {
  int32_t r = FileWrite(handle_, Buffer, Count);
  return r < 0 ? 0 : r;
}

int64_t THandleStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  return FileSeek(handle_, Offset, static_cast<int>(Origin));
}

void THandleStream::SetSize(int64_t NewSize) {
  Seek(NewSize, soBeginning);
  Win32Check(SetEndOfFile(handle_));
}

TFileStream::TFileStream(const AnsiString& FileName, Word Mode)
    : THandleStream(INVALID_HANDLE_VALUE), file_name_(FileName) {
  if (Mode == fmCreate) {
    handle_ = FileCreate(FileName);
    if (handle_ == INVALID_HANDLE_VALUE) throw EFCreateError(SFCreateError, {FileName});
  } else {
    handle_ = FileOpen(FileName, Mode);
    if (handle_ == INVALID_HANDLE_VALUE) throw EFOpenError(SFOpenError, {FileName});
  }
}

TFileStream::~TFileStream() {
  if (handle_ != INVALID_HANDLE_VALUE) FileClose(handle_);
}

void TStrings::LoadFromFile(const AnsiString& FileName) {
  TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&stream);
}

void TStrings::SaveToFile(const AnsiString& FileName) {
  TFileStream stream(FileName, fmCreate);
  SaveToStream(&stream);
}

void TCustomMemoryStream::SaveToFile(const AnsiString& FileName) {
  TFileStream stream(FileName, fmCreate);
  SaveToStream(&stream);
}

void TMemoryStream::LoadFromFile(const AnsiString& FileName) {
  TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&stream);
}
