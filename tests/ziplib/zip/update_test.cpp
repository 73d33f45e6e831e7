// Changing an existing archive: update, freshen, delete, move, grow; and the old-archive reader.
#include <utime.h>

#include "test_support.h"
#include "winuser.h"
#include "zip_test_util.h"

namespace ztest {
namespace {

class Update : public ZipTest {
 protected:
  static void set_mtime(const char* name, time_t t) {
    struct utimbuf u{t, t};
    utime(name, &u);
  }
  static std::string listing(const std::string& arc) {
    std::string out;
    run("bsdtar -tf " + arc, &out);
    return out;
  }
};

TEST_F(Update, UpdateFreshenDelete) {
  const time_t old_time = 1600000000;
  write_file("a.txt", "first a");
  write_file("b.txt", "first b");
  set_mtime("a.txt", old_time);
  set_mtime("b.txt", old_time);
  ASSERT_EQ(zip("u.zip a.txt b.txt"), 0);
  // a changes and gets newer, c is new.
  write_file("a.txt", "second a, longer");
  set_mtime("a.txt", old_time + 100);
  write_file("c.txt", "new c");
  ASSERT_EQ(zip("-f u.zip"), 0);
  EXPECT_EQ(listing("u.zip"), "a.txt\nb.txt\n");   // freshen adds nothing
  verify("u.zip");
  ASSERT_EQ(zip("-u u.zip a.txt b.txt c.txt"), 0);
  EXPECT_EQ(listing("u.zip"), "a.txt\nb.txt\nc.txt\n");
  verify("u.zip");
  // Update with nothing newer: a normal end, the archive untouched.
  std::string before = read_file("u.zip");
  ASSERT_EQ(zip("-u u.zip a.txt b.txt"), 0);
  EXPECT_EQ(read_file("u.zip"), before);
  // Delete by a name that is not on disk (names on disk match in any case): the entries match
  // ignoring case.
  fs::remove("b.txt");
  ASSERT_EQ(zip("-d u.zip B.TXT"), 0);
  EXPECT_EQ(listing("u.zip"), "a.txt\nc.txt\n");
  verify("u.zip");
  std::string out;
  EXPECT_EQ(run("python3 -m zipfile -t u.zip", &out), 0) << out;
  EXPECT_TRUE(boxes().empty());
}

TEST_F(Update, MoveDeletesTheArchivedFiles) {
  write_file("m/a.txt", "a");
  write_file("m/b.txt", "b");
  ASSERT_EQ(zip("-m m.zip m/a.txt m/b.txt"), 0);
  EXPECT_FALSE(fs::exists("m/a.txt"));
  EXPECT_FALSE(fs::exists("m/b.txt"));
  EXPECT_EQ(listing("m.zip"), "m/a.txt\nm/b.txt\n");
}

TEST_F(Update, GrowAppendsInPlace) {
  write_file("a.txt", text_bytes(2000));
  write_file("b.txt", text_bytes(3000));
  ASSERT_EQ(zip("g.zip a.txt"), 0);
  const std::string first = read_file("g.zip");
  ASSERT_EQ(zip("-g g.zip b.txt"), 0);
  const std::string grown = read_file("g.zip");
  // The old entry's bytes are where they were.
  const size_t cen = first.find("PK\x01\x02");
  EXPECT_EQ(grown.substr(0, cen), first.substr(0, cen));
  EXPECT_EQ(listing("g.zip"), "a.txt\nb.txt\n");
  verify("g.zip");
}

// Cancelled while appending in place: the archive itself was being written, so its old central
// directory goes back where it was and the file ends there again.
TEST_F(Update, CancelWhileGrowingRestoresTheArchive) {
  write_file("a.txt", text_bytes(2000));
  write_file("b.bin", random_bytes(300000));
  ASSERT_EQ(zip("g.zip a.txt"), 0);
  const std::string first = read_file("g.zip");
  answers_->Push(IDYES);
  HWND caller = test_support::CreateOwnerWindow(u"黒板");
  winplat::screen::Headless()->PressKey(VK_ESCAPE);
  int r = zip("-g g.zip b.bin", caller);
  DestroyWindow(caller);
  EXPECT_EQ(r, 9);
  EXPECT_TRUE(shown(u"attempting to restore g.zip to its previous state"));
  EXPECT_TRUE(read_file("g.zip") == first);
  EXPECT_EQ(listing("g.zip"), "a.txt\n");
}

// Archives written by others: data descriptors, a preamble, a comment; then updated.
TEST_F(Update, ReadsArchivesOfOthersAndKeepsTheirParts) {
  write_file("x.txt", "x data");
  std::string out;
  const char* make = R"PY(
import zipfile, io
# Python writes data descriptors when the stream cannot seek.
class W(io.RawIOBase):
    def __init__(s, f): s.f = f
    def writable(s): return True
    def write(s, b): return s.f.write(b)
    def tell(s): return s.f.tell()
f = open('dd.zip', 'wb')
with zipfile.ZipFile(W(f), 'w', zipfile.ZIP_DEFLATED) as z:
    z.writestr('d1.txt', b'descriptor one ' * 50)
    z.writestr('d2.txt', b'PK\x07\x08 inside the data ' * 20)
f.close()
f = open('pre.zip', 'wb'); f.write(b'S' * 100)
with zipfile.ZipFile(f, 'w') as z:
    z.writestr('p.txt', 'prefixed')
    z.comment = b'board comment'
f.close()
)PY";
  ASSERT_EQ(python(make, "", &out), 0) << out;
  ASSERT_EQ(zip("-u dd.zip x.txt"), 0);
  ASSERT_EQ(python("import zipfile\nz=zipfile.ZipFile('dd.zip')\nassert z.testzip() is None\nassert z.read('d2.txt')==b'PK\\x07\\x08 inside the data '*20\nprint(z.namelist())", "", &out), 0) << out;
  EXPECT_EQ(out, "['d1.txt', 'd2.txt', 'x.txt']\n");
  ASSERT_EQ(zip("pre.zip x.txt"), 0);
  EXPECT_TRUE(shown(u"zip warning: pre.zip has a preamble of 100 bytes\n"));
  const std::string pre = read_file("pre.zip");
  EXPECT_EQ(pre.substr(0, 100), std::string(100, 'S'));
  ASSERT_EQ(python("import zipfile\nz=zipfile.ZipFile('pre.zip')\nassert z.testzip() is None\nprint(z.comment, z.namelist())", "", &out), 0) << out;
  EXPECT_EQ(out, "b'board comment' ['p.txt', 'x.txt']\n");
  // -J drops the preamble.
  ASSERT_EQ(zip("-J pre.zip x.txt"), 0);
  EXPECT_EQ(read_file("pre.zip").substr(0, 4), "PK\x03\x04");
  EXPECT_EQ(run("python3 -m zipfile -t pre.zip", &out), 0) << out;
}

// Damaged old archives are refused, and nothing is written over them.
TEST_F(Update, DamagedOldArchivesAreRefused) {
  write_file("a.txt", text_bytes(5000));
  write_file("b.txt", "b");
  ASSERT_EQ(zip("good.zip a.txt"), 0);
  const std::string good = read_file("good.zip");
  struct Case {
    const char* name;
    std::string data;
    int code;
    std::u16string box;
  } cases[] = {
      {"short.zip", good.substr(0, good.size() / 2), 2, u"zip error: Unexpected end of zip file (short.zip)"},
      {"empty.zip", "", 3, u"zip error: Zip file structure invalid (empty.zip)"},
      {"nodir.zip", good.substr(0, good.find("PK\x01\x02")), 3, u"zip error: Zip file structure invalid (nodir.zip)"},
  };
  for (const Case& c : cases) {
    write_file(c.name, c.data);
    answers_ = winplat::screen::InstallScriptedAnswerer();
    EXPECT_EQ(zip(std::string(c.name) + " b.txt"), c.code) << c.name;
    EXPECT_TRUE(shown(c.box)) << c.name;
    EXPECT_EQ(read_file(c.name), c.data) << c.name;
  }
  EXPECT_TRUE(shown(u"zip warning: missing end signature--probably not a zip file (did you\n"));
  // A wrong central directory offset: refused, unless -A.
  std::string bad = good;
  const size_t end = bad.rfind("PK\x05\x06");
  bad[end + 16] = static_cast<char>(bad[end + 16] + 1);
  write_file("off.zip", bad);
  answers_ = winplat::screen::InstallScriptedAnswerer();
  EXPECT_EQ(zip("off.zip b.txt"), 3);
  EXPECT_TRUE(shown(u"zip warning: central directory start is incorrect\n"));
  EXPECT_EQ(zip("-A off.zip b.txt"), 0);
  verify("off.zip");
  // No temporary file was left anywhere.
  for (auto& e : fs::directory_iterator(".")) EXPECT_NE(e.path().filename().string().substr(0, 3), "ZVT");
}

}  // namespace
}  // namespace ztest
