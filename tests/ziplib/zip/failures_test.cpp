// Failure paths: the old archive survives, unreadable files are not stored short, -m keeps what
// it did not archive, the error texts and result codes.
#include <signal.h>
#include <sys/resource.h>

#include "winbase.h"
#include "zip_test_util.h"

namespace ztest {
namespace {

class Failures : public ZipTest {};

// Reads deliver `good` bytes of the file, then fail; names in `unopenable` cannot be opened.
class FaultyZip : public zipvault::CZip {
 public:
  std::string failing, unopenable;
  size_t good = 1000;

 protected:
  std::unique_ptr<zipvault::ZipInput> open_input(const char* name) override {
    if (unopenable == name) return nullptr;
    auto in = CZip::open_input(name);
    if (failing != name || !in) return in;
    struct Faulty : zipvault::ZipInput {
      std::unique_ptr<zipvault::ZipInput> in;
      size_t left;
      ptrdiff_t read(uint8_t* buf, size_t n) override {
        if (left == 0) return -1;
        ptrdiff_t r = in->read(buf, std::min(n, left));
        if (r > 0) left -= static_cast<size_t>(r);
        return r;
      }
    };
    auto f = std::make_unique<Faulty>();
    f->in = std::move(in);
    f->left = good;
    return f;
  }
};

TEST_F(Failures, ErrorTextsAndCodes) {
  write_file("a.txt", "a");
  struct Case {
    const char* cmd;
    int code;
    const char16_t* box;
  } cases[] = {
      {"-ud x.zip a.txt", 16, u"zip error: Invalid command arguments (specify just one action)"},
      {"-Q x.zip a.txt", 16, u"zip error: Invalid command arguments (no such option: Q)"},
      {"-e x.zip a.txt", 16, u"zip error: Invalid command arguments (encryption not supported)"},
      {"-t 1231 x.zip a.txt", 16, u"zip error: Invalid command arguments (invalid date entered for -t option)"},
      {"x.zip a.txt -n", 16, u"zip error: Invalid command arguments (missing suffix list)"},
      {"-d -m x.zip a.txt", 16, u"zip error: Invalid command arguments (invalid option(s) used with -d)"},
      {"x.zip nothing.txt", 12, u"zip error: Nothing to do! (x.zip)"},
      {"-r x.zip nothing", 12, u"zip error: Nothing to do! (try: zip -r x.zip . -i nothing)"},
  };
  for (const Case& c : cases) {
    answers_ = winplat::screen::InstallScriptedAnswerer();
    EXPECT_EQ(zip(c.cmd), c.code) << c.cmd;
    auto b = boxes();
    ASSERT_FALSE(b.empty()) << c.cmd;
    EXPECT_EQ(b.back(), c.box) << c.cmd;
    EXPECT_EQ(answers_->Shown().back().type & MB_ICONMASK, MB_ICONEXCLAMATION);
    EXPECT_FALSE(fs::exists("x.zip")) << c.cmd;
  }
  // -h: nothing, silently; -q silences warnings but not errors.
  answers_ = winplat::screen::InstallScriptedAnswerer();
  EXPECT_EQ(zip("-h x.zip a.txt"), 0);
  EXPECT_FALSE(fs::exists("x.zip"));
  EXPECT_EQ(zip("-q x.zip a.txt nothing.txt"), 0);
  EXPECT_TRUE(boxes().empty());
  EXPECT_EQ(zip("y.zip a.txt nothing.txt"), 0);
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0], u"zip warning: name not matched: nothing.txt\n");
  EXPECT_EQ(answers_->Shown()[0].type & MB_ICONMASK, MB_ICONSTOP);
  // Delete on a missing archive only warns, writes nothing, and says so in its result.
  answers_ = winplat::screen::InstallScriptedAnswerer();
  EXPECT_EQ(zip("-d none.zip a.txt"), 13);
  EXPECT_EQ(boxes().back(), u"zip warning: none.zip が見つからないか、または空です。\n");
  EXPECT_FALSE(fs::exists("none.zip"));
  // A date limit: files before it are not taken.
  EXPECT_EQ(zip("-t 010180 t.zip a.txt"), 0);
  EXPECT_TRUE(fs::exists("t.zip"));
  // Two failing runs both report.
  answers_ = winplat::screen::InstallScriptedAnswerer();
  EXPECT_EQ(zip("-ud x.zip a.txt"), 16);
  EXPECT_EQ(zip("-ud x.zip a.txt"), 16);
  EXPECT_EQ(boxes().size(), 2u);
}

// A file whose reading fails part-way is not stored as a shorter entry: a new file is left out,
// an updated one keeps its old entry; the run reports 18.
TEST_F(Failures, UnreadableFileIsNotStoredShort) {
  write_file("big.bin", random_bytes(50000));
  write_file("ok.txt", "fine");
  FaultyZip z;
  z.failing = "big.bin";
  EXPECT_EQ(z.run_command(nullptr, "f.zip big.bin ok.txt"), 18);
  EXPECT_TRUE(shown(u"zip warning: could not read input file: big.bin\n"));
  std::string out;
  run("bsdtar -tf f.zip", &out);
  EXPECT_EQ(out, "ok.txt\n");
  verify("f.zip");
  // Now an archive with a good big.bin, then an update whose read fails.
  FaultyZip clean;
  ASSERT_EQ(clean.run_command(nullptr, "g.zip big.bin ok.txt"), 0);
  const std::string old_data = read_file("big.bin");
  write_file("big.bin", random_bytes(50000, 9));
  FaultyZip upd;
  upd.failing = "big.bin";
  EXPECT_EQ(upd.run_command(nullptr, "g.zip big.bin"), 18);
  EXPECT_TRUE(shown(u"zip warning: will just copy entry over: big.bin\n"));
  ASSERT_EQ(python("import zipfile,sys\nz=zipfile.ZipFile('g.zip')\nassert z.testzip() is None\nsys.stdout.buffer.write(z.read('big.bin'))", "", &out), 0);
  EXPECT_EQ(out, old_data);
  // A file that cannot be opened.
  FaultyZip shut;
  shut.unopenable = "ok.txt";
  EXPECT_EQ(shut.run_command(nullptr, "h.zip ok.txt big.bin"), 18);
  EXPECT_TRUE(shown(u"zip warning: could not open for reading: ok.txt\n"));
}

// -m deletes only the files whose data reached the archive.
TEST_F(Failures, MoveKeepsWhatItDidNotArchive) {
  write_file("a.bin", random_bytes(20000));
  write_file("b.txt", "b");
  FaultyZip z;
  z.failing = "a.bin";
  EXPECT_EQ(z.run_command(nullptr, "-m m.zip a.bin b.txt"), 18);
  EXPECT_TRUE(fs::exists("a.bin"));
  EXPECT_FALSE(fs::exists("b.txt"));
}

// The new archive cannot replace the old one: the old archive stays whole, the new one is kept
// under the name reported.
TEST_F(Failures, FailedReplaceKeepsTheOldArchive) {
  write_file("a.txt", "a");
  write_file("b.txt", "b");
  ASSERT_EQ(zip("r.zip a.txt"), 0);
  const std::string old = read_file("r.zip");
  // Another program holds the archive open without allowing it to be deleted.
  HANDLE h = CreateFileA("r.zip", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(zip("r.zip b.txt"), 10);
  CloseHandle(h);
  EXPECT_EQ(read_file("r.zip"), old);
  auto b = boxes();
  ASSERT_EQ(b.size(), 2u);
  EXPECT_EQ(b[0].substr(0, 35), u"zip warning: new zip file left as: ");
  EXPECT_EQ(b[1], u"zip error: Temporary file failure (was replacing the original zip file)");
  std::string left;
  for (auto& e : fs::directory_iterator("."))
    if (e.path().filename().string().substr(0, 3) == "ZVT") left = e.path().filename().string();
  ASSERT_FALSE(left.empty());
  verify(left);
}

// The disk fills while the new archive is written: the temporary file goes, the old archive stays.
TEST_F(Failures, FullDiskKeepsTheOldArchive) {
  write_file("a.txt", "a");
  write_file("big.bin", random_bytes(3 << 20));
  ASSERT_EQ(zip("d.zip a.txt"), 0);
  const std::string old = read_file("d.zip");
  signal(SIGXFSZ, SIG_IGN);
  rlimit saved;
  getrlimit(RLIMIT_FSIZE, &saved);
  rlimit small = saved;
  small.rlim_cur = 1 << 20;
  setrlimit(RLIMIT_FSIZE, &small);
  int r = zip("-0 d.zip big.bin");
  setrlimit(RLIMIT_FSIZE, &saved);
  EXPECT_TRUE(r == 10 || r == 14) << r;
  EXPECT_EQ(read_file("d.zip"), old);
  for (auto& e : fs::directory_iterator(".")) EXPECT_NE(e.path().filename().string().substr(0, 3), "ZVT");
  EXPECT_EQ(boxes().size(), 1u);
}

}  // namespace
}  // namespace ztest
