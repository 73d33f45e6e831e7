// The object behind a file handle.
#pragma once
#include <sys/types.h>

#include <memory>
#include <string>

#include "internal/handles.h"
#include "wintypes.h"

namespace winplat::kernel {

struct FileObject : HandleObject {
  int fd = -1;
  bool ownsFd = true;
  DWORD access = 0;
  DWORD share = 0;
  dev_t dev = 0;
  ino_t ino = 0;
  bool registered = false;  // counted in the process's sharing table
  bool deleteOnClose = false;
  std::string path;  // Linux path it was opened by
  // A named stream ("file:name:$DATA"): while open its data lives in `fd` (a memory file); it is
  // written to the owner file's extended attribute `streamAttr` by FlushStream and on close.
  std::string streamOwner;  // Linux path of the owner file; empty for an ordinary file
  std::string streamAttr;   // "user.<name>"
  bool streamDirty = false;
  ~FileObject() override;
  bool CanRead() const;
  bool CanWrite() const;
  // Writes a changed stream to its owner (true for an ordinary file); false with the error set.
  bool FlushStream();
};

// The file object of a live file handle; null (and ERROR_INVALID_HANDLE) otherwise.
std::shared_ptr<FileObject> LookupFile(HANDLE h);

HANDLE CreateFileCore(const std::u16string& name, DWORD access, DWORD share, DWORD disposition, DWORD flags);

// Splits "folder\file:name:$DATA" into the owner file's name and the stream's name ("name");
// false for a name without a stream part. "file::$DATA" names the main data (empty stream).
// `valid` is false for a stream part of another type or form.
bool SplitStreamName(const std::u16string& name, std::u16string* owner, std::u16string* stream, bool* valid);
HANDLE CreateStreamCore(const std::u16string& owner, const std::u16string& stream, DWORD access, DWORD share,
                        DWORD disposition);
// True when the file system holding the Linux path keeps extended attributes of the user name
// space, which carry the named streams here.
bool KeepsNamedStreams(const std::string& linuxPath);

}  // namespace winplat::kernel
