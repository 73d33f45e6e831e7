// Failure paths: the old archive survives, unreadable files are not stored short, -m keeps what
// it did not archive, the error texts and result codes.
#include <signal.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstring>
#include <functional>

#include "test_support.h"
#include "winbase.h"
#include "winuser.h"
#include "ziplib/dlgextmsg.h"
#include "zip_test_util.h"

namespace ztest {
namespace {

using zipvault::CDlgExtMsg;

class Failures : public ZipTest {};

// Reads deliver `good` bytes of the file, then fail; names in `unopenable` cannot be opened.
class FaultyZip : public zipvault::CZip {
 public:
  std::string failing, unopenable;
  size_t good = 1000;
  std::function<void()> on_open;

 protected:
  std::unique_ptr<zipvault::ZipInput> open_input(const char* name) override {
    if (on_open) on_open();
    if (unopenable == name) return nullptr;
    auto in = CZip::open_input(name);
    if (failing != name || !in) return in;
    struct Faulty : zipvault::ZipInput {
      std::unique_ptr<zipvault::ZipInput> in;
      size_t left;
      ptrdiff_t read(uint8_t* buf, size_t n) override {
        if (left == 0) {
          SetLastError(30);   // a read fault of the device
          return -1;
        }
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

// Files that cannot be opened or read also leave a "zip warning" line with the system's reason
// on the standard error stream.
TEST_F(Failures, SystemErrorsGoToStandardError) {
  write_file("gone.txt", "soon gone");
  write_file("bad.bin", random_bytes(5000));
  FaultyZip z;
  z.failing = "bad.bin";
  z.on_open = [] { fs::remove("gone.txt"); };
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(z.run_command(nullptr, "s.zip gone.txt bad.bin"), 18);
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(err, "zip warning: No such file or directory\nzip warning: Input/output error\n");
  EXPECT_TRUE(shown(u"zip warning: could not open for reading: gone.txt\n"));
  EXPECT_TRUE(shown(u"zip warning: could not read input file: bad.bin\n"));
}

// A file beyond the 32-bit size fields is refused before a byte of it is read or written; the
// run goes on without it and says it is incomplete.
TEST_F(Failures, FileTooLargeForTheFormatIsRefusedBeforeReading) {
  write_file("a.txt", "a");
  {
    std::ofstream("huge.bin");
  }
  fs::resize_file("huge.bin", (4ull << 30) + 1);   // sparse: nothing is really on the disk
  EXPECT_EQ(zip("x.zip huge.bin a.txt"), 18);
  EXPECT_TRUE(shown(u"zip warning: file too large for the zip format: huge.bin\n"));
  auto lines = verify("x.zip");
  EXPECT_EQ(lines.size(), 2u);
  EXPECT_LT(fs::file_size("x.zip"), 1000u);
  fs::remove("huge.bin");
}

// The 16-bit entry counts hold 65535 entries: a file beyond them is refused with a warning and
// the archive stays readable.
TEST_F(Failures, EntriesBeyondTheCountFieldsAreRefused) {
  fs::create_directories("many");
  for (int i = 0; i < 65536; ++i) std::ofstream("many/" + std::to_string(i));
  EXPECT_EQ(zip("-rDq0 many.zip many"), 18);
  std::string out;
  ASSERT_EQ(python("import zipfile\nz=zipfile.ZipFile('many.zip')\nprint(len(z.infolist()), z.testzip())", "", &out), 0)
      << out;
  EXPECT_EQ(out, "65535 None\n");
  fs::remove_all("many");
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

// An archive held open against writing is refused before anything is written.
TEST_F(Failures, ArchiveHeldAgainstWritingIsRefused) {
  write_file("a.txt", "a");
  write_file("b.txt", "b");
  ASSERT_EQ(zip("r.zip a.txt"), 0);
  const std::string old = read_file("r.zip");
  HANDLE h = CreateFileA("r.zip", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(zip("r.zip b.txt"), 15);
  CloseHandle(h);
  EXPECT_TRUE(read_file("r.zip") == old);
  EXPECT_EQ(boxes(), std::vector<std::u16string>{u"zip error: Could not create output file (r.zip)"});
  for (auto& e : fs::directory_iterator(".")) EXPECT_NE(e.path().filename().string().substr(0, 3), "ZVT");
}

// The archive is held open by a program that allows writing it but not replacing it: the new
// archive is copied into it in place and the temporary file goes.
TEST_F(Failures, HeldArchiveIsOverwrittenByACopy) {
  write_file("a.txt", "a");
  write_file("big.bin", random_bytes(800000));
  ASSERT_EQ(zip("h.zip a.txt"), 0);
  HANDLE h = CreateFileA("h.zip", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(zip("-0 h.zip big.bin"), 0);
  CloseHandle(h);
  EXPECT_TRUE(boxes().empty());
  auto lines = verify("h.zip");
  EXPECT_EQ(lines.size(), 3u);
  for (auto& e : fs::directory_iterator(".")) EXPECT_NE(e.path().filename().string().substr(0, 3), "ZVT");
}

// The copy in place, alone: pieces of 327680 bytes with the dialog following; when the disk is
// full the old archive keeps its bytes and the new one stays where it was.
TEST_F(Failures, CopyInPlaceFollowsTheDialogAndKeepsTheOldArchive) {
  const std::string old_data = random_bytes(1000, 3), new_data = random_bytes(2 * 327680 + 5000, 4);
  struct Case {
    const char* name;
    bool full;
    bool exists;
  } cases[] = {{"grow.zip", false, true}, {"new.zip", false, false}, {"full.zip", true, true}};
  for (const Case& c : cases) {
    if (c.exists) write_file(c.name, old_data);
    write_file("ZVT1.tmp", new_data);
    HWND caller = test_support::CreateOwnerWindow(u"黒板");
    auto* d = new CDlgExtMsg();
    CWnd parent;
    parent.Attach(caller);
    ASSERT_TRUE(d->Create(&parent, CDlgExtMsg::Compress));
    signal(SIGXFSZ, SIG_IGN);
    rlimit saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 400000;
    if (c.full) setrlimit(RLIMIT_FSIZE, &small);
    int r = zipvault::copy_archive_in_place(c.name, "ZVT1.tmp", d);
    setrlimit(RLIMIT_FSIZE, &saved);
    if (c.full) {
      EXPECT_EQ(r, 14) << c.name;
      EXPECT_TRUE(read_file(c.name) == old_data) << c.name;
      EXPECT_TRUE(read_file("ZVT1.tmp") == new_data) << c.name;
    } else {
      EXPECT_EQ(r, 0) << c.name;
      EXPECT_TRUE(read_file(c.name) == new_data) << c.name;
      EXPECT_FALSE(fs::exists("ZVT1.tmp")) << c.name;
      EXPECT_EQ(d->GetWindowText(), "圧縮状況  copying...");
      EXPECT_EQ(d->Total(), static_cast<int64_t>(new_data.size()));
      EXPECT_EQ(d->Done(), static_cast<int64_t>(new_data.size()));
      EXPECT_EQ(d->Progress().GetPos(), 100);
      char t[40];
      std::snprintf(t, sizeof t, "%7lld/%8lld", static_cast<long long>(new_data.size()),
                    static_cast<long long>(new_data.size()));
      EXPECT_EQ(d->GetDlgItemText(1010), t);
    }
    d->DestroyWindow();
    parent.Detach();
    DestroyWindow(caller);
    fs::remove("ZVT1.tmp");
  }
}

// The held archive is also closed to writing while the run goes on: neither a rename nor a
// copy can replace it, so it stays whole and the new archive is left under the name reported.
TEST_F(Failures, UnreplaceableArchiveIsKeptAndTheNewOneReported) {
  write_file("a.txt", "a");
  write_file("b.txt", "b");
  ASSERT_EQ(zip("r.zip a.txt"), 0);
  const std::string old = read_file("r.zip");
  HANDLE h = CreateFileA("r.zip", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  FaultyZip z;
  z.on_open = [&] {
    CloseHandle(h);
    h = CreateFileA("r.zip", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  };
  EXPECT_EQ(z.run_command(nullptr, "r.zip b.txt"), 10);
  CloseHandle(h);
  EXPECT_TRUE(read_file("r.zip") == old);
  auto b = boxes();
  ASSERT_EQ(b.size(), 2u);
  EXPECT_EQ(b[0].substr(0, 35), u"zip warning: new zip file left as: ");
  EXPECT_EQ(b[1], u"zip error: Temporary file failure (was replacing the original zip file)");
  std::string left;
  for (auto& e : fs::directory_iterator("."))
    if (e.path().filename().string().substr(0, 3) == "ZVT") left = e.path().filename().string();
  ASSERT_FALSE(left.empty());
  EXPECT_NE(b[0].find(std::u16string(left.begin(), left.end()) + u"\n"), std::u16string::npos);
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
