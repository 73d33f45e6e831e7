#include "ExtStrms.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr DWORD kNameBufferBytes = sizeof(TStreamEnum::Name);
constexpr DWORD kCopyPiece = 1 << 20;

bool IsSep(char16_t c) { return c == u'\\' || c == u'/'; }

// Reads exactly Size bytes of the backup stream.
bool BackupReadExact(TStreamEnum& Enum, void* Buffer, DWORD Size) {
  DWORD read = 0;
  return BackupRead(Enum.Handle, static_cast<LPBYTE>(Buffer), Size, &read, FALSE, FALSE, &Enum.Context) &&
         read == Size;
}

bool ReadStreamHeader(TStreamEnum& Enum) {
  uint8_t head[20];
  if (!BackupReadExact(Enum, head, sizeof head)) return false;
  DWORD id, attributes, nameSize;
  uint64_t size;
  std::memcpy(&id, head, 4);
  std::memcpy(&attributes, head + 4, 4);
  std::memcpy(&size, head + 8, 8);
  std::memcpy(&nameSize, head + 16, 4);
  std::memset(Enum.Name, 0, sizeof Enum.Name);
  Enum.NameTooLong = nameSize > kNameBufferBytes - sizeof(WCHAR);
  if (nameSize > 0) {
    if (Enum.NameTooLong) {
      std::vector<uint8_t> skip(nameSize);
      if (!BackupReadExact(Enum, skip.data(), nameSize)) return false;
      std::memset(Enum.Name, 0, sizeof Enum.Name);
    } else if (!BackupReadExact(Enum, Enum.Name, nameSize)) {
      return false;
    }
  }
  Enum.Size = size;
  Enum.Attributes = attributes;
  DWORD low = 0, high = 0;
  return BackupSeek(Enum.Handle, static_cast<DWORD>(size), static_cast<DWORD>(size >> 32), &low, &high,
                    &Enum.Context) ||
         size == 0;
}

WideString NameOf(const TStreamEnum& Enum) {
  WideString s;
  for (size_t i = 0; i < sizeof Enum.Name / sizeof(WCHAR) && Enum.Name[i]; ++i) s += static_cast<char16_t>(Enum.Name[i]);
  return s;
}

}  // namespace

WideString EncodeStreamName(const WideString& StreamName, const WideString& Separator) {
  if (Separator.size() != 2) return StreamName;
  WideString out;
  for (size_t i = 0; i < StreamName.size(); ++i) {
    if (StreamName[i] == u':') {
      out += Separator[0];
      if (i + 1 < StreamName.size() && StreamName[i + 1] == 0x05) {
        out += Separator[1];
        ++i;
      }
    } else {
      out += StreamName[i];
    }
  }
  return out;
}

AnsiString DecodeStreamName(const AnsiString& Path, const AnsiString& Separator) {
  const WideString sep = AnsiToWide(Separator);
  if (sep.size() != 2) return Path;
  WideString p = AnsiToWide(Path);
  size_t leaf = 0;
  for (size_t i = 0; i < p.size(); ++i)
    if (IsSep(p[i])) leaf = i + 1;
  const size_t start = p.find(sep, leaf);
  if (start == WideString::npos) return Path;
  for (size_t i = start; i < p.size(); ++i) {
    if (p[i] == sep[0]) {
      p[i] = u':';
      if (i + 1 < p.size() && p[i + 1] == sep[1]) p[++i] = 0x05;
    }
  }
  return WideToAnsi(p);
}

bool SupportsNamedStreams(const AnsiString& Path) {
  AnsiString root = ExtractFileDrive(ExpandFileName(Path));
  if (!root.empty()) {
    root = ExcludeTrailingBackslash(root) + "\\";
  } else {
    // No drive: the nearest folder of the path that exists tells its file system.
    root = ExpandFileName(Path);
    while (!root.empty() && GetFileAttributesA(root.c_str()) == INVALID_FILE_ATTRIBUTES) {
      const AnsiString up = ExcludeTrailingBackslash(ExtractFilePath(root));
      if (up == root) break;
      root = up;
    }
  }
  DWORD flags = 0;
  return GetVolumeInformationA(root.c_str(), nullptr, 0, nullptr, nullptr, &flags, nullptr, 0) &&
         (flags & FILE_NAMED_STREAMS);
}

bool OpenStreamEnum(const AnsiString& FileName, TStreamEnum& Enum) {
  Enum = TStreamEnum{};
  if (!SupportsNamedStreams(FileName)) return false;
  Enum.Handle = CreateFileA(FileName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (Enum.Handle == INVALID_HANDLE_VALUE) return false;
  return ReadStreamHeader(Enum);
}

bool NextStream(TStreamEnum& Enum) {
  if (Enum.Handle == INVALID_HANDLE_VALUE) return false;
  return ReadStreamHeader(Enum);
}

void CloseStreamEnum(TStreamEnum& Enum) {
  if (Enum.Handle == INVALID_HANDLE_VALUE) return;
  if (Enum.Context) BackupRead(Enum.Handle, nullptr, 0, nullptr, TRUE, FALSE, &Enum.Context);
  CloseHandle(Enum.Handle);
  Enum.Handle = INVALID_HANDLE_VALUE;
}

bool CopyStreamFile(const AnsiString& Source, const AnsiString& Dest, bool Overwrite, DWORD Attributes,
                    const FILETIME& WriteTime, const FILETIME& AccessTime, const FILETIME& CreationTime,
                    uint64_t Size, bool* Created) {
  if (Created) *Created = false;
  HANDLE in = CreateFileA(Source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (in == INVALID_HANDLE_VALUE) return false;
  struct Closer {
    HANDLE& h;
    ~Closer() {
      if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
  } closeIn{in};
  if (!Overwrite) {
    HANDLE probe = CreateFileA(Dest.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (probe != INVALID_HANDLE_VALUE) {
      FILETIME t{};
      const bool differs = GetFileTime(probe, nullptr, nullptr, &t) && CompareFileTime(&t, &WriteTime) != 0;
      CloseHandle(probe);
      if (differs) return false;
    }
  }
  HANDLE out = CreateFileA(Dest.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, Attributes, nullptr);
  if (out == INVALID_HANDLE_VALUE) return false;
  if (Created) *Created = true;
  Closer closeOut{out};
  std::vector<uint8_t> buf(static_cast<size_t>(std::min<uint64_t>(Size, kCopyPiece)));
  for (uint64_t left = Size; left > 0;) {
    const DWORD want = static_cast<DWORD>(std::min<uint64_t>(left, kCopyPiece));
    DWORD read = 0, written = 0;
    Win32Check(ReadFile(in, buf.data(), want, &read, nullptr));
    if (read != want) {
      SetLastError(ERROR_HANDLE_EOF);
      Win32Check(FALSE);
    }
    Win32Check(WriteFile(out, buf.data(), read, &written, nullptr));
    left -= read;
  }
  Win32Check(SetFileTime(out, &CreationTime, &AccessTime, &WriteTime));
  // The bytes are in their place (a stream is written to its file) before anyone relies on them.
  Win32Check(FlushFileBuffers(out));
  return true;
}

void AddStreamFiles(TStrings* ResultList, TStrings* ExtraList, const AnsiString& FullName, TArchiverOptions* Options,
                    const TSearchRec& Entry, const AnsiString& Separator, const AnsiString& StoredName,
                    const std::function<bool(TStrings*, const AnsiString&)>& AddName) {
  TStreamEnum e;
  if (!OpenStreamEnum(FullName, e)) {
    CloseStreamEnum(e);
    return;
  }
  struct Closer {
    TStreamEnum& e;
    ~Closer() { CloseStreamEnum(e); }
  } close{e};
  const WideString sep = AnsiToWide(Separator);
  do {
    const WideString name = NameOf(e);
    if (name.empty() || e.NameTooLong) continue;  // the main data, or a name we cannot hold
    const AnsiString source = StoredName + WideToAnsi(name);
    const AnsiString dest = StoredName + WideToAnsi(EncodeStreamName(name, sep));
    bool created = false;
    try {
      CopyStreamFile(source, dest, Options->c() > 0, e.Attributes, Entry.FindData.ftLastWriteTime,
                     Entry.FindData.ftLastAccessTime, Entry.FindData.ftCreationTime, e.Size, &created);
    } catch (...) {
      if (created) ExtraList->Add(ExpandFileName(dest));
      throw;
    }
    // Only a file this pass made is packed and deleted afterwards: a file of that name that was
    // there already belongs to the user.
    if (created) {
      AddName(ResultList, dest);
      ExtraList->Add(ExpandFileName(dest));
    }
  } while (NextStream(e));
}

void AttachExtraStreams(TStringList* StreamFileList, TArchiverOptions* Options, const AnsiString& DestDir) {
  if (!StreamFileList || !SupportsNamedStreams(DestDir)) return;
  for (int i = 0; i < StreamFileList->Count(); ++i) {
    const AnsiString n = StreamFileList->Strings(i);
    const AnsiString streamPath = DecodeStreamName(n, Options->StreamSeparator());
    if (streamPath == n) continue;
    TSearchRec sr;
    if (FindFirst(n, faAnyFile, sr) != 0) continue;
    FindClose(sr);
    bool written = false;
    try {
      written = CopyStreamFile(n, streamPath, Options->c() > 0, sr.FindData.dwFileAttributes,
                               sr.FindData.ftLastWriteTime, sr.FindData.ftLastAccessTime, sr.FindData.ftCreationTime,
                               static_cast<uint64_t>(sr.Size));
    } catch (const std::exception&) {
      written = false;
    }
    if (written) DeleteFile(n);
  }
}
