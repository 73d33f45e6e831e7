// The exported Zip entry of libzipvault.so.
#include <new>

#include "ziplib/run_guard.h"
#include "ziplib/zip.h"
#include "ziplib/zipvault.h"

extern "C" __attribute__((visibility("default"))) int ZV_API Zip(ZV_HWND hwnd, const char* cmdline, char*, uint32_t) {
  zipvault::RunGuard guard;
  if (!guard.ok()) return -1;
  zipvault::CZip* zip = nullptr;
  try {
    zip = AfxNew<zipvault::CZip>();
  } catch (const CMemoryException&) {
    return -1;
  } catch (const std::bad_alloc&) {
    return -1;
  }
  int r = zip->run_command(static_cast<HWND>(hwnd), cmdline);
  delete zip;
  return r;
}
