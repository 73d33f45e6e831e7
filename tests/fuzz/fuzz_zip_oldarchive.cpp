// The old-archive reader of the update path: any bytes as the existing archive, then a file added
// (so entries are read, checked and copied into the new archive).
#include <sys/time.h>

#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz_scratch.h"
#include "winplat_screen.h"
#include "winuser.h"
#include "ziplib/zip.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string old_zip = FuzzScratch("zip_oldarchive") + "/old.zip";
  static const std::string command = [] {
    const std::string added = FuzzScratch("zip_oldarchive") + "/add.txt";
    FILE* f = std::fopen(added.c_str(), "wb");
    if (!f) std::abort();
    std::fputs("added by the fuzzer", f);
    std::fclose(f);
    // A fixed time, so its entry is the same on every run (the time of day takes other paths).
    const timeval fixed[2] = {{1700000000, 0}, {1700000000, 0}};
    if (utimes(added.c_str(), fixed) != 0) std::abort();
    // Boxes answered at once, without a window (painting one for each input took most of the
    // time), and not recorded (a record would grow with every input).
    winplat::screen::SetMessageBoxAnswerer([](const winplat::screen::MessageBoxRequest& r) { return r.defaultButton; },
                                           winplat::screen::MessageBoxWindow::kNone);
    // -j: the entry is "add.txt", whatever the folder.
    return "-q -j \"" + old_zip + "\" \"" + added + "\"";
  }();
  FILE* f = std::fopen(old_zip.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  // One engine for every input: each command starts afresh (zip_main clears what the last one
  // left), and the compressor it keeps is made once (making it for each input took a third of
  // the time).
  static zipvault::CZip zip;
  zip.run_command(nullptr, command.c_str());
  std::remove(old_zip.c_str());
  return 0;
}
