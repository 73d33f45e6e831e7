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
  ~FileObject() override;
  bool CanRead() const;
  bool CanWrite() const;
};

// The file object of a live file handle; null (and ERROR_INVALID_HANDLE) otherwise.
std::shared_ptr<FileObject> LookupFile(HANDLE h);

HANDLE CreateFileCore(const std::u16string& name, DWORD access, DWORD share, DWORD disposition, DWORD flags);

}  // namespace winplat::kernel
