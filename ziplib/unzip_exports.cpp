// The extraction entries of the library: one engine object per call, listing handles checked
// against the live ones, and no call while another runs.
#include "ziplib/unzip_exports.h"

#include <map>
#include <memory>
#include <mutex>
#include <new>

#include "ziplib/run_guard.h"
#include "ziplib/unzip.h"

#define ZV_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
using zipvault::CUnZip;
using zipvault::RunGuard;

std::mutex g_handles_mutex;
std::map<uintptr_t, std::unique_ptr<CUnZip>> g_handles;
uintptr_t g_next_handle = 0;

CUnZip* find_handle(ZV_HARC h) {
  std::lock_guard<std::mutex> lock(g_handles_mutex);
  auto it = g_handles.find(reinterpret_cast<uintptr_t>(h));
  return it == g_handles.end() ? nullptr : it->second.get();
}
}  // namespace

ZV_EXPORT int ZV_API Unzip(ZV_HWND hwnd, const char* cmdline, char* outbuf, uint32_t outsize) {
  if (outbuf && outsize > 0) outbuf[0] = '\0';
  RunGuard guard;
  if (!guard.ok()) return zipvault::PK_BUSY;
  std::unique_ptr<CUnZip> z(new (std::nothrow) CUnZip());
  if (!z) return -1;
  return z->run_command(static_cast<HWND>(hwnd), cmdline, outbuf, outsize);
}

ZV_EXPORT ZV_HARC ZV_API UnzipOpenArchive(ZV_HWND, const char* archive, uint32_t) {
  RunGuard guard;
  if (!guard.ok()) return nullptr;
  std::unique_ptr<CUnZip> z(new (std::nothrow) CUnZip());
  if (!z) return nullptr;
  if (z->open_record_list(archive) != 0) return nullptr;
  std::lock_guard<std::mutex> lock(g_handles_mutex);
  // Handles are never reused, so a closed one stays unknown.
  uintptr_t h = ++g_next_handle;
  g_handles.emplace(h, std::move(z));
  return reinterpret_cast<ZV_HARC>(h);
}

ZV_EXPORT int ZV_API UnzipCloseArchive(ZV_HARC harc) {
  std::unique_ptr<CUnZip> z;
  {
    std::lock_guard<std::mutex> lock(g_handles_mutex);
    auto it = g_handles.find(reinterpret_cast<uintptr_t>(harc));
    if (it == g_handles.end()) return 0;
    z = std::move(it->second);
    g_handles.erase(it);
  }
  z->close_record_list();
  return 0;
}

ZV_EXPORT int ZV_API UnzipFindFirst(ZV_HARC harc, const char*, TArchiveEntryInfo* info) {
  RunGuard guard;
  if (!guard.ok()) return -1;
  CUnZip* z = find_handle(harc);
  return z ? z->find_first_record(info) : -1;
}

ZV_EXPORT int ZV_API UnzipFindNext(ZV_HARC harc, TArchiveEntryInfo* info) {
  RunGuard guard;
  if (!guard.ok()) return -1;
  CUnZip* z = find_handle(harc);
  return z ? z->find_next_record(info) : -1;
}

ZV_EXPORT int ZV_API UnzipCheckArchive(const char* archive, int mode) {
  RunGuard guard;
  if (!guard.ok()) return 0;
  std::unique_ptr<CUnZip> z(new (std::nothrow) CUnZip());
  if (!z) return 0;
  return z->check_archive(archive, mode) == 0 ? 1 : 0;
}

ZV_EXPORT int ZV_API UnzipExtractToMem(ZV_HWND hwnd, const char* archive, const char* entry, ZV_HGLOBAL* block,
                                       uint32_t* size) {
  if (block) *block = nullptr;
  if (size) *size = 1;
  if (!block || !size) return -1;
  RunGuard guard;
  if (!guard.ok()) return zipvault::PK_BUSY;
  std::unique_ptr<CUnZip> z(new (std::nothrow) CUnZip());
  if (!z) return zipvault::PK_MEM;
  HGLOBAL h = nullptr;
  int r = z->extract_to_memory(static_cast<HWND>(hwnd), archive, entry, &h, size);
  *block = h;
  return r;
}

ZV_EXPORT int ZV_API UnzipExtractAll(ZV_HWND hwnd, const char* archive, const char* folder, uint32_t flags) {
  std::string cmd;
  if (!zipvault::build_extract_all_command(archive, folder, flags, &cmd)) return zipvault::PK_ERR;
  RunGuard guard;
  if (!guard.ok()) return zipvault::PK_BUSY;
  std::unique_ptr<CUnZip> z(new (std::nothrow) CUnZip());
  if (!z) return -1;
  return z->run_command(static_cast<HWND>(hwnd), cmd.c_str(), nullptr, 0);
}

ZV_EXPORT int ZV_API UnzipGetVersion(void) { return 131; }

ZV_EXPORT int ZV_API UnzipGetRunning(void) { return 0; }
ZV_EXPORT int ZV_API UnzipGetBackGroundMode(void) __attribute__((alias("UnzipGetRunning")));

ZV_EXPORT int ZV_API UnzipSetCursorMode(int) { return 1; }
ZV_EXPORT int ZV_API UnzipSetBackGroundMode(int) __attribute__((alias("UnzipSetCursorMode")));

ZV_EXPORT int ZV_API DllEntryPoint(void*, uint32_t, void*) { return 1; }
