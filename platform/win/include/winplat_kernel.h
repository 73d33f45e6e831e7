// Switches of the platform's kernel calls for tests: the folder libraries are looked for in, a
// fault hook on the file calls, a trace of the steps that make a file reach the disk and a limit
// on memory blocks.
#pragma once
#include <cstddef>
#include <functional>
#include <string>

#include "wintypes.h"

namespace winplat {

// Libraries loaded by a bare name are looked for in `folder` instead of the program's folder, and
// the system's search is skipped, so a test sees only the libraries it placed there. Empty: the
// normal search again.
void SetLibraryFolder(const std::string& folder);

// Called with the call's name ("CreateFile", "ReadFile") and the Linux path before the call
// touches the file. A non-zero answer makes the call fail with that error code; the hook may also
// change the file (remove it, make it unreadable) and answer 0. Empty: no hook.
using FileFaultHook = std::function<DWORD(const char* call, const std::string& linuxPath)>;
void SetFileFaultHook(FileFaultHook hook);

// Receives one line per durable step, in order: "flush <path>" (FlushFileBuffers: fsync of the
// file), "rename <from> <to>" (MoveFileEx), "sync-folder <path>" (the folder of a rename made
// with MOVEFILE_WRITE_THROUGH). Empty: no trace.
using FileTraceHook = std::function<void(const std::string& step)>;
void SetFileTraceHook(FileTraceHook hook);

// GlobalAlloc and GlobalReAlloc fail with ERROR_NOT_ENOUGH_MEMORY for blocks above `bytes`, as
// on a machine with that much memory free (fuzzing: made-up sizes would otherwise take the time
// of allocating and clearing them). 0: no limit.
void SetGlobalAllocLimit(size_t bytes);

}  // namespace winplat
