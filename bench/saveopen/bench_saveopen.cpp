// Saving and opening a board of 25 pages on a 1920 x 1080 screen (pages 1920 x 1032) with chalk on
// every page, through the program's own actions (the save action with its title form, the open
// action and a click in the board list), each beside its zlib reference in the same run:
// - save against reading the same page files from disk and compressing them with zlib (level 6,
//   raw deflate);
// - open against decompressing them with zlib, writing the files and reading them back;
// - the thumbnails' rebuild (25 pages read and scaled to 160 x 120), timed on its own.
#include <fcntl.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "DXClass.h"
#include "Math.h"
#include "Unit_FileNameInput.h"
#include "Unit_Main.h"
#include "bench_timing.h"
#include "winplat_kernel.h"
#include "winplat_screen.h"
#include "winplat_user.h"

namespace fs = std::filesystem;
using bench::Timing;

namespace {

constexpr int W = 1920, H = 1080, kPages = 25;

std::string ReadFile(const std::string& name) {
  std::string s;
  const int fd = open(name.c_str(), O_RDONLY);
  if (fd < 0) std::abort();
  char buf[1 << 16];
  ssize_t n;
  while ((n = read(fd, buf, sizeof buf)) > 0) s.append(buf, static_cast<size_t>(n));
  close(fd);
  return s;
}

void WriteFile(const std::string& name, const std::string& data) {
  const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0 || write(fd, data.data(), data.size()) != static_cast<ssize_t>(data.size())) std::abort();
  close(fd);
}

std::string Deflate(const std::string& in) {
  z_stream z{};
  if (deflateInit2(&z, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) std::abort();
  std::string out(deflateBound(&z, in.size()), '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
  z.avail_in = static_cast<uInt>(in.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  if (deflate(&z, Z_FINISH) != Z_STREAM_END) std::abort();
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

std::string Inflate(const std::string& in, size_t size) {
  z_stream z{};
  if (inflateInit2(&z, -15) != Z_OK) std::abort();
  std::string out(size, '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
  z.avail_in = static_cast<uInt>(in.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  if (inflate(&z, Z_FINISH) != Z_STREAM_END) std::abort();
  inflateEnd(&z);
  return out;
}

}  // namespace

int main() {
  char dir[] = "/tmp/bench_saveopen_XXXXXX";
  if (!mkdtemp(dir)) return 1;
  const fs::path prog = dir, bin = VSE_BIN_DIR;
  for (const char* sub : {"chalks", "overlay"}) fs::copy(bin / sub, prog / sub, fs::copy_options::recursive);
  for (const auto& e : fs::directory_iterator(bin)) {
    const std::string ext = e.path().extension().string();
    if (ext == ".bmp" || ext == ".wav" || ext == ".ini") fs::copy_file(e.path(), prog / e.path().filename());
  }
  SetProgramFolder(std::string(dir) + "/");
  winplat::SetLibraryFolder(VSE_BIN_DIR);
  auto screen = std::make_shared<winplat::screen::HeadlessBackend>();
  screen->SetDisplaySize(W, H);
  winplat::screen::SetBackend(screen);
  winplat::screen::InstallScriptedAnswerer();

  TfrmMain* form = nullptr;
  Application->CreateForm(form);
  if (!form->Started()) {
    std::fprintf(stderr, "the program did not start\n");
    return 1;
  }
  Application->CreateForm(frmFileNameInput);
  form->Show();
  winplat::user::PumpMessages();
  TBlackBoard& board = *form->Board();

  // 25 pages, each with chalk lines from the top to the bottom.
  RandSeed = 7;
  for (int page = 1; page <= kPages; ++page) {
    for (int y = 10 + page; y < H - 48; y += 24) {
      board.Chalk->LastX = 40 + page * 7;
      board.Chalk->LastY = y;
      board.ChalkLine(W - 60, y + 9, true);
    }
    board.LastPageDrawn = 1;
    if (page < kPages) board.NextPage();
  }
  frmFileNameInput->OnShow = [&](TObject* Sender) {
    frmFileNameInput->FormShow(Sender);
    frmFileNameInput->edtTitle->SetText(u"bench");
    screen->PressKey(VK_RETURN);
  };
  auto save = [&] { form->actSaveExecute(form); };
  auto openBoard = [&] {
    form->actOpenExecute(form);
    form->lstFiles->SetItemIndex(0);
    form->lstFilesClick(form->lstFiles);
  };
  save();
  if (board.PageCount != kPages || !fs::exists(prog / "blackboards" / "bench.zip")) {
    std::fprintf(stderr, "the board was not saved\n");
    return 1;
  }
  const std::string tmp = std::string(dir) + "/tmp/";
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(tmp)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());

  // The references, on the same page files.
  std::vector<std::string> packed(names.size());
  std::vector<size_t> sizes(names.size());
  size_t total = 0, compressed = 0;
  auto deflateAll = [&] {
    for (size_t i = 0; i < names.size(); ++i) {
      const std::string data = ReadFile(tmp + names[i]);
      sizes[i] = data.size();
      packed[i] = Deflate(data);
    }
  };
  deflateAll();
  for (size_t i = 0; i < names.size(); ++i) total += sizes[i], compressed += packed[i].size();
  const std::string out = std::string(dir) + "/ref/";
  fs::create_directories(out);
  auto inflateAll = [&] {
    for (size_t i = 0; i < names.size(); ++i) WriteFile(out + names[i], Inflate(packed[i], sizes[i]));
    for (size_t i = 0; i < names.size(); ++i)
      if (ReadFile(out + names[i]).size() != sizes[i]) std::abort();
  };

  // Processor time of the whole process, whichever thread does the work.
  const int runs = 5;
  auto Median = [&](const std::function<void()>& f) {
    return bench::Median(runs, f, CLOCK_PROCESS_CPUTIME_ID);
  };
  const Timing deflateMs = Median(deflateAll);
  const Timing saveMs = Median(save);
  const Timing inflateMs = Median(inflateAll);
  const Timing openMs = Median(openBoard);
  if (board.PageCount != kPages || board.Previews->Count() != kPages) {
    std::fprintf(stderr, "the board was not opened\n");
    return 1;
  }
  const Timing thumbsMs = Median([&] { form->RebuildThumbnails(); });

  std::printf("a board of %d pages at %d x %d: %zu page files, %.1f MB, %.2f MB deflated by zlib, archive %.2f MB\n",
              kPages, W, H, names.size(), total / 1e6, compressed / 1e6,
              fs::file_size(prog / "blackboards" / "bench.zip") / 1e6);
  std::printf("zlib: reading the page files and deflating them (level 6, raw): %.1f ms (on the processor %.1f ms)\n",
              deflateMs.wall, deflateMs.cpu);
  bench::Report("save (actSaveExecute: title form, SavePage, Pack through the component and Zipvault)", saveMs,
                deflateMs, "zlib", 1.5, 1);
  std::printf("zlib: inflating the page files, writing and reading them: %.1f ms (on the processor %.1f ms)\n",
              inflateMs.wall, inflateMs.cpu);
  bench::Report("open (actOpenExecute and the click: listing, Extract, checks, thumbnails, LoadPage)", openMs,
                inflateMs, "zlib", 2, 1);
  std::printf("thumbnails' rebuild of %d pages: %.1f ms (on the processor %.1f ms)\n", kPages, thumbsMs.wall,
              thumbsMs.cpu);

  frmFileNameInput->OnShow = nullptr;
  delete Application;
  Application = nullptr;
  winplat::screen::SetBackend(nullptr);
  fs::remove_all(dir);
  return 0;
}
