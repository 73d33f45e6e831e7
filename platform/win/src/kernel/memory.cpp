// Global, local and heap blocks; virtual memory on mmap.
//
// A fixed block's handle is its address; a moveable block has a handle of the handle table and
// gives its address while locked. New memory is always zeroed.
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

#include "internal/handles.h"
#include "internal/modules.h"
#include "kernel/kernel_internal.h"
#include "winplat_kernel.h"

namespace winplat::kernel {
namespace {

struct MovableBlock : HandleObject {
  void* data = nullptr;
  size_t size = 0;
  unsigned locks = 0;
  ~MovableBlock() override { std::free(data); }
};

std::mutex g_mem_mutex;
std::map<void*, size_t>& FixedBlocks() {
  static auto* m = new std::map<void*, size_t>;
  return *m;
}

std::atomic<size_t> g_alloc_limit{0};  // SetGlobalAllocLimit

bool OverLimit(SIZE_T bytes) {
  const size_t limit = g_alloc_limit.load(std::memory_order_relaxed);
  return limit != 0 && bytes > limit;
}

// Resizes `data` from `oldSize` to `size`, zeroing the new tail. Null on failure (the old
// block stays).
void* Grow(void* data, size_t oldSize, size_t size) {
  if (OverLimit(size)) return nullptr;
  void* p = std::realloc(data, size ? size : 1);
  if (p && size > oldSize) std::memset(static_cast<char*>(p) + oldSize, 0, size - oldSize);
  return p;
}

HGLOBAL AllocCore(UINT flags, SIZE_T bytes) {
  void* data = OverLimit(bytes) ? nullptr : std::calloc(bytes ? bytes : 1, 1);
  if (!data) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  if (!(flags & GMEM_MOVEABLE)) {
    std::lock_guard<std::mutex> lock(g_mem_mutex);
    FixedBlocks()[data] = bytes;
    return data;
  }
  auto b = std::make_shared<MovableBlock>();
  b->data = data;
  b->size = bytes;
  return HandleTable::Instance().Add(HandleKind::Global, b);
}

std::shared_ptr<MovableBlock> Movable(HGLOBAL h) {
  return HandleTable::Instance().Get<MovableBlock>(h, HandleKind::Global);
}

bool IsFixed(HGLOBAL h, size_t* size = nullptr) {
  std::lock_guard<std::mutex> lock(g_mem_mutex);
  auto it = FixedBlocks().find(h);
  if (it == FixedBlocks().end()) return false;
  if (size) *size = it->second;
  return true;
}

LPVOID LockCore(HGLOBAL h) {
  if (IsFixed(h)) return h;
  auto b = Movable(h);
  if (!b) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  std::lock_guard<std::mutex> lock(g_mem_mutex);
  if (b->locks < GMEM_LOCKCOUNT) ++b->locks;
  return b->data;
}

BOOL UnlockCore(HGLOBAL h) {
  if (IsFixed(h)) {
    SetLastError(ERROR_SUCCESS);
    return FALSE;
  }
  auto b = Movable(h);
  if (!b) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  std::lock_guard<std::mutex> lock(g_mem_mutex);
  if (b->locks == 0) {
    SetLastError(ERROR_NOT_LOCKED);
    return FALSE;
  }
  if (--b->locks == 0) {
    SetLastError(ERROR_SUCCESS);
    return FALSE;
  }
  return TRUE;
}

HGLOBAL FreeCore(HGLOBAL h) {
  if (!h) return nullptr;
  {
    std::lock_guard<std::mutex> lock(g_mem_mutex);
    auto it = FixedBlocks().find(h);
    if (it != FixedBlocks().end()) {
      FixedBlocks().erase(it);
      std::free(h);
      return nullptr;
    }
  }
  if (HandleTable::Instance().Remove(h, HandleKind::Global)) return nullptr;
  SetLastError(ERROR_INVALID_HANDLE);
  return h;
}

SIZE_T SizeCore(HGLOBAL h) {
  size_t size;
  if (IsFixed(h, &size)) return size;
  auto b = Movable(h);
  if (!b) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  std::lock_guard<std::mutex> lock(g_mem_mutex);
  return b->size;
}

HGLOBAL ReAllocCore(HGLOBAL h, SIZE_T bytes, UINT flags) {
  if (flags & GMEM_MODIFY) {
    if (IsFixed(h) || Movable(h)) return h;
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  {
    std::lock_guard<std::mutex> lock(g_mem_mutex);
    auto it = FixedBlocks().find(h);
    if (it != FixedBlocks().end()) {
      const size_t old = it->second;
      if (bytes <= old) {  // shrinking stays in place
        it->second = bytes;
        return h;
      }
      if (!(flags & GMEM_MOVEABLE)) {  // a fixed block may move only when the caller allows it
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
      }
      void* p = Grow(h, old, bytes);
      if (!p) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
      }
      FixedBlocks().erase(it);
      FixedBlocks()[p] = bytes;
      return p;
    }
  }
  auto b = Movable(h);
  if (!b) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  std::lock_guard<std::mutex> lock(g_mem_mutex);
  if (b->locks > 0 && bytes > b->size && !(flags & GMEM_MOVEABLE)) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);  // a locked block keeps its address
    return nullptr;
  }
  if (bytes <= b->size) {
    b->size = bytes;
    return h;
  }
  void* p = Grow(b->data, b->size, bytes);
  if (!p) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  b->data = p;
  b->size = bytes;
  return h;
}

HGLOBAL HandleOf(LPCVOID p) {
  if (!p) return nullptr;
  if (IsFixed(const_cast<void*>(p))) return const_cast<void*>(p);
  for (void* h : HandleTable::Instance().LiveHandles(HandleKind::Global)) {
    auto b = Movable(h);
    if (b && b->data == p) return h;
  }
  SetLastError(ERROR_INVALID_HANDLE);
  return nullptr;
}

// ---- Virtual memory ----

struct Region {
  size_t size;
  DWORD protect;
};
std::mutex g_vm_mutex;
std::map<uintptr_t, Region>& Regions() {
  static auto* m = new std::map<uintptr_t, Region>;
  return *m;
}

size_t PageSize() {
  static const size_t p = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  return p;
}

bool ProtFor(DWORD protect, int* prot) {
  switch (protect & 0xFF) {
    case PAGE_NOACCESS: *prot = PROT_NONE; return true;
    case PAGE_READONLY: *prot = PROT_READ; return true;
    case PAGE_READWRITE:
    case PAGE_WRITECOPY: *prot = PROT_READ | PROT_WRITE; return true;
    case PAGE_EXECUTE: *prot = PROT_EXEC | PROT_READ; return true;
    case PAGE_EXECUTE_READ: *prot = PROT_EXEC | PROT_READ; return true;
    case PAGE_EXECUTE_READWRITE:
    case PAGE_EXECUTE_WRITECOPY: *prot = PROT_EXEC | PROT_READ | PROT_WRITE; return true;
    default: return false;
  }
}

// The region holding [addr, addr + size); false when none does.
bool FindRegion(uintptr_t addr, size_t size, uintptr_t* base, Region** region) {
  auto& r = Regions();
  auto it = r.upper_bound(addr);
  if (it == r.begin()) return false;
  --it;
  if (addr < it->first || addr + size > it->first + it->second.size) return false;
  *base = it->first;
  *region = &it->second;
  return true;
}

DWORD ErrorForMmap(int e) { return e == EACCES || e == EPERM ? ERROR_ACCESS_DENIED : ERROR_NOT_ENOUGH_MEMORY; }

}  // namespace
}  // namespace winplat::kernel

void winplat::SetGlobalAllocLimit(size_t bytes) { kernel::g_alloc_limit.store(bytes, std::memory_order_relaxed); }

using namespace winplat;
using namespace winplat::kernel;

HGLOBAL WINAPI GlobalAlloc(UINT flags, SIZE_T bytes) { return AllocCore(flags, bytes); }
HGLOBAL WINAPI GlobalReAlloc(HGLOBAL h, SIZE_T bytes, UINT flags) { return ReAllocCore(h, bytes, flags); }
LPVOID WINAPI GlobalLock(HGLOBAL h) { return LockCore(h); }
BOOL WINAPI GlobalUnlock(HGLOBAL h) { return UnlockCore(h); }
HGLOBAL WINAPI GlobalFree(HGLOBAL h) { return FreeCore(h); }
SIZE_T WINAPI GlobalSize(HGLOBAL h) { return SizeCore(h); }
HGLOBAL WINAPI GlobalHandle(LPCVOID p) { return HandleOf(p); }
UINT WINAPI GlobalFlags(HGLOBAL h) {
  if (IsFixed(h)) return 0;
  auto b = Movable(h);
  if (!b) {
    SetLastError(ERROR_INVALID_HANDLE);
    return GMEM_INVALID_HANDLE;
  }
  std::lock_guard<std::mutex> lock(g_mem_mutex);
  return b->locks & GMEM_LOCKCOUNT;
}
HLOCAL WINAPI LocalAlloc(UINT flags, SIZE_T bytes) { return AllocCore(flags, bytes); }
HLOCAL WINAPI LocalReAlloc(HLOCAL h, SIZE_T bytes, UINT flags) { return ReAllocCore(h, bytes, flags); }
LPVOID WINAPI LocalLock(HLOCAL h) { return LockCore(h); }
BOOL WINAPI LocalUnlock(HLOCAL h) { return UnlockCore(h); }
HLOCAL WINAPI LocalFree(HLOCAL h) { return FreeCore(h); }
SIZE_T WINAPI LocalSize(HLOCAL h) { return SizeCore(h); }

HANDLE WINAPI GetProcessHeap() {
  static HANDLE heap = HandleTable::Instance().Add(HandleKind::Other, std::make_shared<HandleObject>());
  return heap;
}
LPVOID WINAPI HeapAlloc(HANDLE, DWORD, SIZE_T bytes) { return AllocCore(GMEM_FIXED, bytes); }
LPVOID WINAPI HeapReAlloc(HANDLE, DWORD flags, LPVOID p, SIZE_T bytes) {
  return ReAllocCore(p, bytes, (flags & HEAP_REALLOC_IN_PLACE_ONLY) ? 0u : GMEM_MOVEABLE);
}
BOOL WINAPI HeapFree(HANDLE, DWORD, LPVOID p) { return p == nullptr || FreeCore(p) == nullptr; }
SIZE_T WINAPI HeapSize(HANDLE, DWORD, LPCVOID p) {
  size_t size;
  if (IsFixed(const_cast<void*>(p), &size)) return size;
  SetLastError(ERROR_INVALID_PARAMETER);
  return static_cast<SIZE_T>(-1);
}

LPVOID WINAPI VirtualAlloc(LPVOID address, SIZE_T size, DWORD type, DWORD protect) {
  int prot;
  if (size == 0 || !(type & (MEM_COMMIT | MEM_RESERVE)) || !ProtFor(protect, &prot)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const size_t page = PageSize();
  std::lock_guard<std::mutex> lock(g_vm_mutex);
  if (address) {
    // Committing pages of a region reserved before.
    const uintptr_t a = reinterpret_cast<uintptr_t>(address) & ~(page - 1);
    const size_t len = ((reinterpret_cast<uintptr_t>(address) + size + page - 1) & ~(page - 1)) - a;
    uintptr_t base;
    Region* region;
    if (!FindRegion(a, len, &base, &region)) {
      SetLastError(ERROR_INVALID_ADDRESS);
      return nullptr;
    }
    if ((type & MEM_COMMIT) && mprotect(reinterpret_cast<void*>(a), len, prot) != 0) {
      SetLastError(ErrorForMmap(errno));
      return nullptr;
    }
    region->protect = protect;
    return reinterpret_cast<void*>(a);
  }
  const size_t len = (size + page - 1) & ~(page - 1);
  const bool commit = (type & MEM_COMMIT) != 0;
  void* p = mmap(nullptr, len, commit ? prot : PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | (commit ? 0 : MAP_NORESERVE),
                 -1, 0);
  if (p == MAP_FAILED) {
    SetLastError(ErrorForMmap(errno));
    return nullptr;
  }
  Regions()[reinterpret_cast<uintptr_t>(p)] = Region{len, commit ? protect : PAGE_NOACCESS};
  return p;
}

BOOL WINAPI VirtualProtect(LPVOID address, SIZE_T size, DWORD newProtect, LPDWORD oldProtect) {
  int prot;
  if (!address || size == 0 || !oldProtect || !ProtFor(newProtect, &prot)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const size_t page = PageSize();
  const uintptr_t a = reinterpret_cast<uintptr_t>(address) & ~(page - 1);
  const size_t len = ((reinterpret_cast<uintptr_t>(address) + size + page - 1) & ~(page - 1)) - a;
  std::lock_guard<std::mutex> lock(g_vm_mutex);
  uintptr_t base;
  Region* region;
  if (!FindRegion(a, len, &base, &region)) {
    SetLastError(ERROR_INVALID_ADDRESS);
    return FALSE;
  }
  if (mprotect(reinterpret_cast<void*>(a), len, prot) != 0) {
    SetLastError(ErrorForMmap(errno));
    return FALSE;
  }
  *oldProtect = region->protect;
  region->protect = newProtect;
  return TRUE;
}

BOOL WINAPI VirtualFree(LPVOID address, SIZE_T size, DWORD type) {
  std::lock_guard<std::mutex> lock(g_vm_mutex);
  const uintptr_t a = reinterpret_cast<uintptr_t>(address);
  if (type == MEM_RELEASE) {
    auto it = Regions().find(a);
    if (size != 0 || it == Regions().end()) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    munmap(address, it->second.size);
    Regions().erase(it);
    return TRUE;
  }
  if (type == MEM_DECOMMIT) {
    const size_t page = PageSize();
    const uintptr_t start = a & ~(page - 1);
    uintptr_t base;
    Region* region;
    if (!FindRegion(start, 1, &base, &region)) {
      SetLastError(ERROR_INVALID_ADDRESS);
      return FALSE;
    }
    const size_t len = size == 0 ? base + region->size - start : ((a + size + page - 1) & ~(page - 1)) - start;
    if (start + len > base + region->size) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    madvise(reinterpret_cast<void*>(start), len, MADV_DONTNEED);
    mprotect(reinterpret_cast<void*>(start), len, PROT_NONE);
    return TRUE;
  }
  SetLastError(ERROR_INVALID_PARAMETER);
  return FALSE;
}

// x86 keeps instruction caches coherent; other processors get the compiler's flush.
BOOL WINAPI FlushInstructionCache(HANDLE, LPCVOID base, SIZE_T size) {
#if !defined(__x86_64__) && !defined(__i386__)
  if (base) __builtin___clear_cache(static_cast<char*>(const_cast<void*>(base)),
                                    static_cast<char*>(const_cast<void*>(base)) + size);
#else
  (void)base;
  (void)size;
#endif
  return TRUE;
}

HANDLE WINAPI GetCurrentProcess() { return reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1)); }

VSE_EXPORT("kernel32.dll", GlobalAlloc);
VSE_EXPORT("kernel32.dll", GlobalReAlloc);
VSE_EXPORT("kernel32.dll", GlobalLock);
VSE_EXPORT("kernel32.dll", GlobalUnlock);
VSE_EXPORT("kernel32.dll", GlobalFree);
VSE_EXPORT("kernel32.dll", GlobalSize);
VSE_EXPORT("kernel32.dll", GlobalHandle);
VSE_EXPORT("kernel32.dll", GlobalFlags);
VSE_EXPORT("kernel32.dll", LocalAlloc);
VSE_EXPORT("kernel32.dll", LocalFree);
VSE_EXPORT("kernel32.dll", VirtualAlloc);
VSE_EXPORT("kernel32.dll", VirtualProtect);
VSE_EXPORT("kernel32.dll", VirtualFree);
VSE_EXPORT("kernel32.dll", FlushInstructionCache);
