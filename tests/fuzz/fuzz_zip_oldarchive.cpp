// The old-archive reader of the update path: any bytes as the existing archive, then a file added
// (so entries are read, checked and copied into the new archive).
#include <unistd.h>

#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "winplat_screen.h"
#include "winuser.h"
#include "ziplib/zip.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = [] {
    char tmpl[] = "/tmp/fuzz_zip_oldarchiveXXXXXX";
    if (!mkdtemp(tmpl) || chdir(tmpl) != 0) std::abort();
    FILE* f = std::fopen("add.txt", "wb");
    std::fputs("added by the fuzzer", f);
    std::fclose(f);
    // Boxes answered at once and not recorded (a record would grow with every input).
    winplat::screen::SetMessageBoxAnswerer([](const winplat::screen::MessageBoxRequest& r) { return r.defaultButton; });
    MessageBoxA(nullptr, "start", "fuzz", MB_OK);
    return true;
  }();
  (void)ready;
  FILE* f = std::fopen("old.zip", "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  {
    zipvault::CZip zip;
    zip.run_command(nullptr, "-q old.zip add.txt");
  }
  std::remove("old.zip");
  return 0;
}
