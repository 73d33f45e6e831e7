// TStream, memory and string streams.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>
#include "Classes.h"

TStream::~TStream() = default;

int64_t TStream::Size() {
  int64_t pos = Seek(0, soCurrent);
  int64_t size = Seek(0, soEnd);
  Seek(pos, soBeginning);
  return size;
}

void TStream::ReadBuffer(void* Buffer, int32_t Count) {
  if (Count != 0 && Read(Buffer, Count) != Count) throw EReadError(SReadError);
}

void TStream::WriteBuffer(const void* Buffer, int32_t Count) {
  if (Count != 0 && Write(Buffer, Count) != Count) throw EWriteError(SWriteError);
}

int64_t TStream::CopyFrom(TStream* Source, int64_t Count) {
  if (Count == 0) {
    Source->SetPosition(0);
    Count = Source->Size();
  }
  int64_t result = Count;
  constexpr int32_t kMaxBufSize = 0xF000;
  std::vector<char> buffer(static_cast<std::size_t>(std::min<int64_t>(Count, kMaxBufSize)));
  while (Count != 0) {
    int32_t n = static_cast<int32_t>(std::min<int64_t>(Count, kMaxBufSize));
    Source->ReadBuffer(buffer.data(), n);
    WriteBuffer(buffer.data(), n);
    Count -= n;
  }
  return result;
}

// ---------------------------------------------------------------------------------------------
void TCustomMemoryStream::SetPointer(void* Ptr, int64_t Size) {
  memory_ = Ptr;
  size_ = Size;
}

int32_t TCustomMemoryStream::Read(void* Buffer, int32_t Count) {
  if (position_ >= 0 && Count > 0) {
    int64_t avail = size_ - position_;
    if (avail > 0) {
      int32_t n = static_cast<int32_t>(std::min<int64_t>(avail, Count));
      std::memcpy(Buffer, static_cast<char*>(memory_) + position_, static_cast<std::size_t>(n));
      position_ += n;
      return n;
    }
  }
  return 0;
}

int64_t TCustomMemoryStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  switch (Origin) {
    case soBeginning: position_ = Offset; break;
    case soCurrent: position_ += Offset; break;
    case soEnd: position_ = size_ + Offset; break;
  }
  return position_;
}

void TCustomMemoryStream::SaveToStream(TStream* Stream) {
  int64_t left = size_;
  const char* p = static_cast<const char*>(memory_);
  while (left > 0) {
    int32_t n = static_cast<int32_t>(std::min<int64_t>(left, 0x40000000));
    Stream->WriteBuffer(p, n);
    p += n;
    left -= n;
  }
}

// ---------------------------------------------------------------------------------------------
namespace {
constexpr int64_t kMemoryDelta = 0x2000;  // capacity grows in 8 KiB steps
}

TMemoryStream::~TMemoryStream() { Clear(); }

void TMemoryStream::Clear() {
  SetCapacity(0);
  size_ = 0;
  position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream* Stream) {
  Stream->SetPosition(0);
  int64_t count = Stream->Size();
  SetSize(count);
  char* p = static_cast<char*>(memory_);
  int64_t left = count;
  while (left > 0) {
    int32_t n = static_cast<int32_t>(std::min<int64_t>(left, 0x40000000));
    Stream->ReadBuffer(p, n);
    p += n;
    left -= n;
  }
}

void TMemoryStream::SetCapacity(int64_t NewCapacity) {
  SetPointer(Realloc(NewCapacity), size_);
  capacity_ = NewCapacity;
}

void* TMemoryStream::Realloc(int64_t& NewCapacity) {
  if (NewCapacity < 0) throw EStreamError(SMemoryStreamError);
  if (NewCapacity > 0 && NewCapacity != size_)
    NewCapacity = (NewCapacity + (kMemoryDelta - 1)) & ~(kMemoryDelta - 1);
  if (NewCapacity == capacity_) return memory_;
  if (NewCapacity == 0) {
    std::free(memory_);
    return nullptr;
  }
  if (static_cast<uint64_t>(NewCapacity) > SIZE_MAX / 2) throw EStreamError(SMemoryStreamError);
  void* p = std::realloc(memory_, static_cast<std::size_t>(NewCapacity));
  if (p == nullptr) throw EStreamError(SMemoryStreamError);
  if (NewCapacity > capacity_)
    std::memset(static_cast<char*>(p) + capacity_, 0, static_cast<std::size_t>(NewCapacity - capacity_));
  return p;
}

void TMemoryStream::SetSize(int64_t NewSize) {
  if (NewSize < 0) throw EStreamError(SMemoryStreamError);
  int64_t oldPosition = position_;
  if (NewSize > capacity_) SetCapacity(NewSize);
  // Bytes past a shrunk end read as zero if the stream grows again.
  if (NewSize < size_ && memory_ != nullptr)
    std::memset(static_cast<char*>(memory_) + NewSize, 0, static_cast<std::size_t>(size_ - NewSize));
  size_ = NewSize;
  if (oldPosition > NewSize) Seek(0, soEnd);
}

int32_t TMemoryStream::Write(const void* Buffer, int32_t Count) {
  if (position_ < 0 || Count <= 0) return 0;
  int64_t pos = position_ + Count;
  if (pos > size_) {
    if (pos > capacity_) SetCapacity(pos);
    size_ = pos;
  }
  std::memcpy(static_cast<char*>(memory_) + position_, Buffer, static_cast<std::size_t>(Count));
  position_ = pos;
  return Count;
}

// ---------------------------------------------------------------------------------------------
int32_t TStringStream::Read(void* Buffer, int32_t Count) {
  if (Count <= 0 || position_ < 0) return 0;
  int64_t avail = static_cast<int64_t>(data_.size()) - position_;
  if (avail <= 0) return 0;
  int32_t n = static_cast<int32_t>(std::min<int64_t>(avail, Count));
  std::memcpy(Buffer, data_.data() + position_, static_cast<std::size_t>(n));
  position_ += n;
  return n;
}

int32_t TStringStream::Write(const void* Buffer, int32_t Count) {
  if (Count <= 0 || position_ < 0) return 0;
  std::size_t pos = static_cast<std::size_t>(position_);
  if (pos + static_cast<std::size_t>(Count) > data_.size()) data_.resize(pos + static_cast<std::size_t>(Count), '\0');
  std::memcpy(data_.data() + pos, Buffer, static_cast<std::size_t>(Count));
  position_ += Count;
  return Count;
}

int64_t TStringStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  switch (Origin) {
    case soBeginning: position_ = Offset; break;
    case soCurrent: position_ += Offset; break;
    case soEnd: position_ = static_cast<int64_t>(data_.size()) - Offset; break;
  }
  if (position_ > static_cast<int64_t>(data_.size())) position_ = static_cast<int64_t>(data_.size());
  else if (position_ < 0) position_ = 0;
  return position_;
}

void TStringStream::SetSize(int64_t NewSize) {
  if (NewSize < 0) NewSize = 0;
  data_.resize(static_cast<std::size_t>(NewSize), '\0');
  if (position_ > NewSize) position_ = NewSize;
}

AnsiString TStringStream::ReadString(int32_t Count) {
  int64_t avail = static_cast<int64_t>(data_.size()) - position_;
  int32_t n = static_cast<int32_t>(std::max<int64_t>(0, std::min<int64_t>(avail, Count)));
  AnsiString r = data_.substr(static_cast<std::size_t>(position_), static_cast<std::size_t>(n));
  position_ += n;
  return r;
}

void TStringStream::WriteString(const AnsiString& AString) {
  Write(AString.data(), static_cast<int32_t>(AString.size()));
}
