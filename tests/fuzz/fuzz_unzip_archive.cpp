// An archive into the extraction engine: the check, the long listing, the test of every entry,
// the record list and a memory extraction of its first member. Nothing is written but the
// archive itself (a scratch file); questions are answered with Cancel.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "fuzz_scratch.h"
#include "winplat_kernel.h"
#include "winplat_screen.h"
#include "ziplib/unzip.h"

namespace {
const std::string& scratch() {
  static const std::string name = FuzzScratch("unzip_archive") + "/archive.zip";
  return name;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool init = [] {
    // Answered without a window: painting a box for each input took most of the time.
    // A memory extraction allocates the size the entry claims, which ASan clears on allocation
    // and again when freed: with made-up sizes of up to 2 GB that took most of the time. Larger
    // blocks fail as on a machine short of memory.
    winplat::SetGlobalAllocLimit(1u << 20);
    winplat::screen::SetMessageBoxAnswerer([](const winplat::screen::MessageBoxRequest&) { return IDCANCEL; },
                                           winplat::screen::MessageBoxWindow::kNone);
    return true;
  }();
  (void)init;
  FILE* f = fopen(scratch().c_str(), "wb");
  if (!f) return 0;
  fwrite(data, 1, size, f);
  fclose(f);
  const std::string q = "\"" + scratch() + "\"";
  {
    zipvault::CUnZip z;
    z.check_archive(scratch().c_str(), size & 1 ? 2 : 0);
  }
  std::vector<char> out(4096);
  {
    zipvault::CUnZip z;
    z.run_command(nullptr, ("-v " + q).c_str(), out.data(), static_cast<uint32_t>(out.size()));
  }
  {
    zipvault::CUnZip z;
    z.run_command(nullptr, ("-t " + q).c_str(), nullptr, 0);
  }
  std::string first;
  {
    zipvault::CUnZip z;
    if (z.open_record_list(scratch().c_str()) == 0) {
      TArchiveEntryInfo info;
      if (z.find_first_record(&info) == 0) first = info.szFileName;
      while (z.find_next_record(&info) == 0) {
      }
    }
  }
  if (!first.empty()) {
    zipvault::CUnZip z;
    HGLOBAL block = nullptr;
    uint32_t n = 0;
    if (z.extract_to_memory(nullptr, scratch().c_str(), first.c_str(), &block, &n) == 0) {
      if (GlobalSize(block) < n) __builtin_trap();
      GlobalFree(block);
    }
  }
  std::remove(scratch().c_str());
  return 0;
}
