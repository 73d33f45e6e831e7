// Files, folders and the platform's error texts.
#include <vector>
#include "SysUtils.h"
#include "windows.h"

namespace {

bool HasWildcard(const AnsiString& s) { return s.find_first_of("*?") != AnsiString::npos; }

AnsiString FromBuffer(const std::vector<char>& buf, DWORD n) {
  return AnsiString(buf.data(), n);
}

}  // namespace

bool FileExists(const AnsiString& FileName) {
  if (FileName.empty() || HasWildcard(FileName)) return false;
  DWORD a = GetFileAttributesA(FileName.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool DirectoryExists(const AnsiString& Directory) {
  if (Directory.empty() || HasWildcard(Directory)) return false;
  DWORD a = GetFileAttributesA(Directory.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool ForceDirectories(const AnsiString& Dir) {
  if (Dir.empty()) throw EInOutError(SCannotCreateDir);
  AnsiString d = ExcludeTrailingPathDelimiter(Dir);
  // A root ("", "C:", "\\", "/") or an existing folder ends the climb.
  if (d.empty() || (d.size() == 2 && d[1] == ':') || DirectoryExists(d)) return true;
  AnsiString parent = ExtractFilePath(d);
  if (parent == d) return true;
  if (!parent.empty() && !ForceDirectories(parent)) return false;
  return CreateDir(d) || DirectoryExists(d);
}

bool CreateDir(const AnsiString& Dir) { return CreateDirectoryA(Dir.c_str(), nullptr) != FALSE; }
bool RemoveDir(const AnsiString& Dir) { return RemoveDirectoryA(Dir.c_str()) != FALSE; }
bool DeleteFile(const AnsiString& FileName) { return DeleteFileA(FileName.c_str()) != FALSE; }
bool RenameFile(const AnsiString& OldName, const AnsiString& NewName) {
  return MoveFileA(OldName.c_str(), NewName.c_str()) != FALSE;
}

namespace {
int32_t DosDateOf(const FILETIME& utc) {
  FILETIME local;
  WORD date = 0, time = 0;
  if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToDosDateTime(&local, &date, &time)) return -1;
  return static_cast<int32_t>((static_cast<uint32_t>(date) << 16) | time);
}
}  // namespace

int32_t FileAge(const AnsiString& FileName) {
  if (FileName.empty() || HasWildcard(FileName)) return -1;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA(FileName.c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return -1;
  ::FindClose(h);
  if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -1;
  return DosDateOf(fd.ftLastWriteTime);
}

int32_t FileGetAttr(const AnsiString& FileName) {
  return static_cast<int32_t>(GetFileAttributesA(FileName.c_str()));
}

int32_t FileSetAttr(const AnsiString& FileName, int32_t Attr) {
  if (SetFileAttributesA(FileName.c_str(), static_cast<DWORD>(Attr))) return 0;
  return static_cast<int32_t>(GetLastError());
}

AnsiString GetCurrentDir() {
  std::vector<char> buf(MAX_PATH + 1);
  DWORD n = GetCurrentDirectoryA(static_cast<DWORD>(buf.size()), buf.data());
  if (n >= buf.size()) {
    buf.resize(n + 1);
    n = GetCurrentDirectoryA(static_cast<DWORD>(buf.size()), buf.data());
  }
  return n < buf.size() ? FromBuffer(buf, n) : AnsiString();
}

bool SetCurrentDir(const AnsiString& Dir) { return SetCurrentDirectoryA(Dir.c_str()) != FALSE; }

void ChDir(const AnsiString& Dir) {
  if (!SetCurrentDir(Dir)) {
    EInOutError e(SInOutError, {static_cast<int>(GetLastError())});
    e.ErrorCode = static_cast<int>(GetLastError());
    throw e;
  }
}

void GetDir(Byte, AnsiString& S) { S = GetCurrentDir(); }

AnsiString ExpandFileName(const AnsiString& FileName) {
  std::vector<char> buf(MAX_PATH + 1);
  char* part = nullptr;
  DWORD n = GetFullPathNameA(FileName.c_str(), static_cast<DWORD>(buf.size()), buf.data(), &part);
  if (n >= buf.size()) {
    buf.resize(n + 1);
    n = GetFullPathNameA(FileName.c_str(), static_cast<DWORD>(buf.size()), buf.data(), &part);
  }
  return n > 0 && n < buf.size() ? FromBuffer(buf, n) : AnsiString();
}

// ---------------------------------------------------------------------------------------------
HANDLE FileOpen(const AnsiString& FileName, uint32_t Mode) {
  static const DWORD kAccess[3] = {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE};
  static const DWORD kShare[5] = {0, 0, FILE_SHARE_READ, FILE_SHARE_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE};
  // Access 3 and sharing above fmShareDenyNone are no modes.
  if ((Mode & 3) > fmOpenReadWrite || (Mode & 0xF0) > fmShareDenyNone) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  return CreateFileA(FileName.c_str(), kAccess[Mode & 3], kShare[(Mode & 0xF0) >> 4], nullptr,
                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

HANDLE FileCreate(const AnsiString& FileName) {
  return CreateFileA(FileName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

int32_t FileRead(HANDLE Handle, void* Buffer, int32_t Count) {
  if (Count < 0) return -1;
  DWORD done = 0;
  if (!ReadFile(Handle, Buffer, static_cast<DWORD>(Count), &done, nullptr)) return -1;
  return static_cast<int32_t>(done);
}

int32_t FileWrite(HANDLE Handle, const void* Buffer, int32_t Count) {
  if (Count < 0) return -1;
  DWORD done = 0;
  if (!WriteFile(Handle, Buffer, static_cast<DWORD>(Count), &done, nullptr)) return -1;
  return static_cast<int32_t>(done);
}

int64_t FileSeek(HANDLE Handle, int64_t Offset, int Origin) {
  LARGE_INTEGER dist, pos;
  dist.QuadPart = Offset;
  if (!SetFilePointerEx(Handle, dist, &pos, static_cast<DWORD>(Origin))) return -1;
  return pos.QuadPart;
}

void FileClose(HANDLE Handle) { CloseHandle(Handle); }

int32_t FileGetDate(HANDLE Handle) {
  FILETIME write;
  if (!GetFileTime(Handle, nullptr, nullptr, &write)) return -1;
  return DosDateOf(write);
}

TDateTime FileDateToDateTime(int32_t FileDate) {
  uint32_t d = static_cast<uint32_t>(FileDate) >> 16;
  uint32_t t = static_cast<uint32_t>(FileDate) & 0xFFFF;
  TDateTime date;
  TDateTime time;
  if (!TryEncodeDate(static_cast<Word>((d >> 9) + 1980), static_cast<Word>((d >> 5) & 15),
                     static_cast<Word>(d & 31), date))
    throw EConvertError(SDateEncodeError);
  if (!TryEncodeTime(static_cast<Word>(t >> 11), static_cast<Word>((t >> 5) & 63),
                     static_cast<Word>((t & 31) * 2), 0, time))
    throw EConvertError(STimeEncodeError);
  return date + time;
}

int32_t DateTimeToFileDate(TDateTime DateTime) {
  Word y, m, d, h, n, s, ms;
  DecodeDate(DateTime, y, m, d);
  if (y < 1980 || y > 2107) return 0;
  DecodeTime(DateTime, h, n, s, ms);
  uint32_t date = (static_cast<uint32_t>(y - 1980) << 9) | (static_cast<uint32_t>(m) << 5) | d;
  uint32_t time = (static_cast<uint32_t>(h) << 11) | (static_cast<uint32_t>(n) << 5) | (s / 2u);
  return static_cast<int32_t>((date << 16) | time);
}

// ---------------------------------------------------------------------------------------------
namespace {

int FindMatchingFile(TSearchRec& F) {
  while ((F.FindData.dwFileAttributes & static_cast<DWORD>(F.ExcludeAttr)) != 0) {
    if (!FindNextFileA(F.FindHandle, &F.FindData)) return static_cast<int>(GetLastError());
  }
  F.Time = DosDateOf(F.FindData.ftLastWriteTime);
  F.Size = (static_cast<int64_t>(F.FindData.nFileSizeHigh) << 32) | F.FindData.nFileSizeLow;
  F.Attr = static_cast<int32_t>(F.FindData.dwFileAttributes);
  F.Name = F.FindData.cFileName;
  return 0;
}

}  // namespace

int FindFirst(const AnsiString& Path, int Attr, TSearchRec& F) {
  const int kSpecial = faHidden | faSysFile | faVolumeID | faDirectory;
  F.ExcludeAttr = ~Attr & kSpecial;
  F.FindHandle = FindFirstFileA(Path.c_str(), &F.FindData);
  if (F.FindHandle == INVALID_HANDLE_VALUE) return static_cast<int>(GetLastError());
  int r = FindMatchingFile(F);
  if (r != 0) FindClose(F);
  return r;
}

int FindNext(TSearchRec& F) {
  if (!FindNextFileA(F.FindHandle, &F.FindData)) return static_cast<int>(GetLastError());
  return FindMatchingFile(F);
}

void FindClose(TSearchRec& F) {
  if (F.FindHandle != INVALID_HANDLE_VALUE) {
    ::FindClose(F.FindHandle);
    F.FindHandle = INVALID_HANDLE_VALUE;
  }
}

// ---------------------------------------------------------------------------------------------
AnsiString SysErrorMessage(DWORD ErrorCode) {
  // The system's texts for the codes the platform reports (the platform has no message table).
  switch (ErrorCode) {
    case ERROR_SUCCESS: return "この操作を正しく終了しました。";
    case ERROR_INVALID_FUNCTION: return "ファンクションが間違っています。";
    case ERROR_FILE_NOT_FOUND: return "指定されたファイルが見つかりません。";
    case ERROR_PATH_NOT_FOUND: return "指定されたパスが見つかりません。";
    case ERROR_TOO_MANY_OPEN_FILES: return "ファイルを開くことができません。";
    case ERROR_ACCESS_DENIED: return "アクセスが拒否されました。";
    case ERROR_INVALID_HANDLE: return "ハンドルが無効です。";
    case ERROR_NOT_ENOUGH_MEMORY: return "このコマンドを実行するのに十分な記憶域がありません。";
    case ERROR_OUTOFMEMORY: return "この操作を完了するのに十分な記憶域がありません。";
    case ERROR_NO_MORE_FILES: return "これ以上ファイルがありません。";
    case ERROR_WRITE_PROTECT: return "メディアは書き込み禁止になっています。";
    case ERROR_SHARING_VIOLATION:
      return "プロセスはファイルにアクセスできません。別のプロセスが使用中です。";
    case ERROR_LOCK_VIOLATION:
      return "プロセスはファイルにアクセスできません。別のプロセスがファイルの一部をロックしています。";
    case ERROR_HANDLE_EOF: return "ファイルの終わりに到達しました。";
    case ERROR_NOT_SUPPORTED: return "要求はサポートされていません。";
    case ERROR_FILE_EXISTS: return "ファイルが存在します。";
    case ERROR_INVALID_PARAMETER: return "パラメーターが間違っています。";
    case ERROR_DISK_FULL: return "ディスクに十分な空き領域がありません。";
    case ERROR_CALL_NOT_IMPLEMENTED: return "この関数はこのシステムではサポートされていません。";
    case ERROR_INSUFFICIENT_BUFFER: return "システム コールに渡されるデータ領域が小さすぎます。";
    case ERROR_INVALID_NAME:
      return "ファイル名、ディレクトリ名、またはボリューム ラベルの構文が間違っています。";
    case ERROR_MOD_NOT_FOUND: return "指定されたモジュールが見つかりません。";
    case ERROR_PROC_NOT_FOUND: return "指定されたプロシージャが見つかりません。";
    case ERROR_DIR_NOT_EMPTY: return "ディレクトリが空ではありません。";
    case ERROR_ALREADY_EXISTS: return "既に存在するファイルを作成することはできません。";
    case ERROR_FILENAME_EXCED_RANGE: return "ファイル名または拡張子が長すぎます。";
    case ERROR_DIRECTORY: return "ディレクトリ名が無効です。";
    default: return AnsiString();
  }
}

void RaiseLastOSError() { RaiseLastOSError(GetLastError()); }

void RaiseLastOSError(DWORD LastError) {
  if (LastError != 0) {
    EOSError e(SOSError, {static_cast<long long>(LastError), SysErrorMessage(LastError)});
    e.ErrorCode = LastError;
    throw e;
  }
  EOSError e(SUnkOSError);
  throw e;
}

BOOL Win32Check(BOOL RetVal) {
  if (!RetVal) RaiseLastOSError();
  return RetVal;
}
