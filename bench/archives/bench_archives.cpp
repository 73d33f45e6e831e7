// The archive component's Pack and Extract of a board against Zipvault's Zip and Unzip called
// directly with the same command lines, in the same run, each run starting with no archive (and
// an empty destination). 25 pages: 24-bit BMPs of chalk pages at 1920 x 1032 (5.9 MB each).
// Every timed step starts with the disk written back (sync), so that no step pays for the pages
// the one before it left dirty (Zip flushes its archive, which on a journalling file system also
// writes back data other steps left). Prints the medians of the rounds (5 by default) and the
// ratios (component / direct; the goal is at most 1.1).
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "Archives.h"
#include "winplat_kernel.h"

namespace {

constexpr int kPages = 25;
constexpr int kWidth = 1920, kHeight = 1032;

double SecondsNow() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

void Put32(std::string& s, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>(v >> (8 * i));
}

// A green board with a little grain, and chalk strokes of a few pixels' width.
std::string ChalkPage(unsigned seed) {
  const size_t row = kWidth * 3, size = 54 + row * kHeight;
  std::string s(size, '\0');
  s[0] = 'B';
  s[1] = 'M';
  Put32(s, 2, static_cast<uint32_t>(size));
  Put32(s, 10, 54);
  Put32(s, 14, 40);
  Put32(s, 18, kWidth);
  Put32(s, 22, kHeight);
  s[26] = 1;
  s[28] = 24;
  Put32(s, 34, static_cast<uint32_t>(row * kHeight));
  std::mt19937 g(seed);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const int grain = static_cast<int>(g() % 5) - 2;
      char* p = &s[54 + y * row + x * 3];
      p[0] = static_cast<char>(0x30 + grain);
      p[1] = static_cast<char>(0x50 + grain);
      p[2] = static_cast<char>(0x20 + grain);
    }
  for (int stroke = 0; stroke < 60; ++stroke) {
    double x = g() % kWidth, y = g() % kHeight;
    const double dx = (static_cast<int>(g() % 7) - 3) * 0.7, dy = (static_cast<int>(g() % 7) - 3) * 0.7;
    for (int step = 0; step < 400; ++step, x += dx, y += dy)
      for (int w = 0; w < 4; ++w) {
        const int px = static_cast<int>(x) + w, py = static_cast<int>(y);
        if (px < 0 || py < 0 || px >= kWidth || py >= kHeight || g() % 4 == 0) continue;
        char* p = &s[54 + py * row + px * 3];
        p[0] = p[1] = p[2] = static_cast<char>(0xE0 + g() % 32);
      }
  }
  return s;
}

using Command = int (*)(HWND, const char*, char*, uint32_t);

void Clear(const std::string& dir) { std::system(("rm -rf '" + dir + "' && mkdir -p '" + dir + "'").c_str()); }

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  char cwd[4096];
  GetCurrentDirectoryA(sizeof cwd, cwd);
  const std::string root = std::string(cwd) + "/bench-archives";
  const std::string pages = root + "/tmp", out = root + "/out", archive = root + "/board.zip";
  Clear(root);
  Clear(pages);
  TStringList names;
  double bytes = 0;
  for (int i = 1; i <= kPages; ++i) {
    const std::string name = std::to_string(i) + ".bmp";
    const std::string data = ChalkPage(static_cast<unsigned>(i));
    std::ofstream(pages + "/" + name, std::ios::binary) << data;
    names.Add(name);
    bytes += static_cast<double>(data.size());
  }
  winplat::SetLibraryFolder(VSE_BIN_DIR);
  HMODULE vault = LoadLibraryA("ZIPVAULT.DLL");
  if (!vault) {
    std::fprintf(stderr, "libzipvault.so not found in %s\n", VSE_BIN_DIR);
    return 1;
  }
  auto zip = reinterpret_cast<Command>(reinterpret_cast<void*>(GetProcAddress(vault, "Zip")));
  auto unzip = reinterpret_cast<Command>(reinterpret_cast<void*>(GetProcAddress(vault, "Unzip")));
  SetCurrentDirectoryA(pages.c_str());

  TArchiveFile arc(nullptr);
  arc.SetFileName(archive);
  std::vector<double> packC, packD, extC, extD;
  std::string packCmd, extCmd;
  for (int r = 0; r < rounds; ++r) {
    DeleteFileA(archive.c_str());
    sync();
    double t = SecondsNow();
    if (arc.Pack(nullptr, arc.Options(), "", {&names}) != 0) return 2;
    packC.push_back(SecondsNow() - t);
    packCmd = arc.LastCommandLine();

    DeleteFileA(archive.c_str());
    sync();
    t = SecondsNow();
    if (zip(nullptr, packCmd.c_str(), nullptr, 0) != 0) return 3;
    packD.push_back(SecondsNow() - t);

    Clear(out);
    sync();
    t = SecondsNow();
    if (arc.Extract(nullptr, arc.Options(), out, {nullptr}) != 0) return 4;
    extC.push_back(SecondsNow() - t);
    extCmd = arc.LastCommandLine();

    Clear(out);
    sync();
    t = SecondsNow();
    if (unzip(nullptr, extCmd.c_str(), nullptr, 0) != 0) return 5;
    extD.push_back(SecondsNow() - t);
  }
  struct stat st;
  stat(archive.c_str(), &st);
  auto median = [](std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
  };
  const double mb = bytes / 1e6;
  std::printf("%d pages, %.1f MB, archive %.1f MB, median of %d rounds\n", kPages, mb, st.st_size / 1e6, rounds);
  std::printf("pack:    component %.3f s (%.1f MB/s)  Zip   %.3f s (%.1f MB/s)  ratio %.3f\n", median(packC),
              mb / median(packC), median(packD), mb / median(packD), median(packC) / median(packD));
  std::printf("extract: component %.3f s (%.1f MB/s)  Unzip %.3f s (%.1f MB/s)  ratio %.3f\n", median(extC),
              mb / median(extC), median(extD), mb / median(extD), median(extC) / median(extD));
  FreeLibrary(vault);
  SetCurrentDirectoryA(cwd);
  Clear(root);
  std::system(("rmdir '" + root + "'").c_str());
  return 0;
}
