// Entry names flagged UTF-8, and how often the progress dialog hears of extracted data.
#include <cstring>
#include <vector>

#include "commctrl.h"
#include "test_support.h"
#include "unzip_test_util.h"
#include "winuser.h"

using namespace utest;

namespace {

// Python writes names with characters beyond ASCII in UTF-8 and sets general-purpose bit 11.
// The third entry's name bytes are then made an overlong UTF-8 form of "../" (still flagged).
const char* kMakeUtf8 = R"PY(
import zipfile, sys
names = ['\u9ed2\u677f/\u30bd\u30d5\u30c8.txt', 'caf\u00e9.txt', '\u00e9XXXXXXevil.txt', 'plain.txt']
with zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED) as z:
    for n in names:
        z.writestr(n, ('data of ' + n).encode('utf-8'))
assert all(i.flag_bits & 0x800 for i in zipfile.ZipFile(sys.argv[1]).infolist()[:3])
b = open(sys.argv[1], 'rb').read()
b = b.replace('\u00e9XXXXXX'.encode('utf-8'), b'\xc0\xae\xc0\xae\xc0\xafx/')
open(sys.argv[1], 'wb').write(b)
)PY";

class Utf8Names : public UnzipTest {
 protected:
  void SetUp() override {
    UnzipTest::SetUp();
    write_file("make_utf8.py", kMakeUtf8);
    ASSERT_EQ(std::system("python3 make_utf8.py utf8.zip"), 0);
  }
};

// The engine's names are ANSI: a UTF-8 name is listed and recorded in code page 932, with a
// near character (best fit) or '?' for characters outside it; such a name (and an undecodable one) is not used for a file, the
// others are extracted under their exact names.
TEST_F(Utf8Names, DecodedListedAndExtractedByTheirOwnNames) {
  const std::string board = "黒板/ソフト.txt";   // CP932 bytes, 0x5C as a trail byte of ソ
  std::string out;
  ASSERT_EQ(unzip("-l utf8.zip", &out), 0);
  EXPECT_NE(out.find("  " + board + "\r\n"), std::string::npos) << out;
  EXPECT_NE(out.find("  cafe.txt\r\n"), std::string::npos) << out;
  EXPECT_NE(out.find("  ??????x/evil.txt\r\n"), std::string::npos) << out;

  ZV_HARC h = UnzipOpenArchive(nullptr, "utf8.zip", 0);
  ASSERT_NE(h, nullptr);
  TArchiveEntryInfo info;
  std::vector<std::string> recorded;
  for (int r = UnzipFindFirst(h, "", &info); r == 0; r = UnzipFindNext(h, &info)) recorded.push_back(info.szFileName);
  UnzipCloseArchive(h);
  EXPECT_EQ(recorded, (std::vector<std::string>{board, "cafe.txt", "??????x/evil.txt", "plain.txt"}));

  fs::remove_all("out");
  EXPECT_EQ(unzip("-x utf8.zip out"), 1);
  EXPECT_EQ(read_file(fs::path(u8"out/黒板/ソフト.txt")), "data of \xe9\xbb\x92\xe6\x9d\xbf/\xe3\x82\xbd\xe3\x83\x95\xe3\x83\x88.txt");
  EXPECT_EQ(read_file("out/plain.txt"), "data of plain.txt");
  size_t files = 0;
  for (auto& e : fs::recursive_directory_iterator("out"))
    if (e.is_regular_file()) ++files;
  EXPECT_EQ(files, 2u);
  EXPECT_FALSE(fs::exists("evil.txt"));
  std::vector<std::u16string> shown;
  for (auto& b : answerer->Shown()) shown.push_back(b.text);
  EXPECT_EQ(shown, (std::vector<std::u16string>{u"   skipping: cafe.txt                name outside the code page\n",
                                               u"   skipping: ??????x/evil.txt        name outside the code page\n"}));
  // Memory extraction finds the entry by its ANSI name.
  HGLOBAL block = nullptr;
  uint32_t size = 0;
  ASSERT_EQ(UnzipExtractToMem(nullptr, "utf8.zip", board.c_str(), &block, &size), 0);
  const std::string want = "data of \xe9\xbb\x92\xe6\x9d\xbf/\xe3\x82\xbd\xe3\x83\x95\xe3\x83\x88.txt";
  ASSERT_EQ(size, want.size());
  EXPECT_EQ(std::string(static_cast<const char*>(GlobalLock(block)), size), want);
  GlobalUnlock(block);
  GlobalFree(block);
  EXPECT_EQ(UnzipCheckArchive("utf8.zip", 0), 1);
}

// The progress bar's positions as the dialog sets them.
std::vector<int> g_positions;
HHOOK g_hook = nullptr;
LRESULT CALLBACK RecordPositions(int code, WPARAM wp, LPARAM lp) {
  auto* m = reinterpret_cast<CWPSTRUCT*>(lp);
  if (m->message == PBM_SETPOS && m->wParam != 0) g_positions.push_back(static_cast<int>(m->wParam));
  return CallNextHookEx(g_hook, code, wp, lp);
}

// Extraction to a file reports every piece written to the dialog; extraction to memory every
// fourth piece only.
TEST_F(UnzipTest, MemoryExtractionUpdatesTheDialogEveryFourthPiece) {
  // 200000 stored bytes: pieces of 32768 bytes, six whole ones and one of 3392.
  ASSERT_EQ(std::system("python3 -c \"import zipfile,random; random.seed(5); "
                        "zipfile.ZipFile('p.zip','w').writestr('p.bin', bytes(random.getrandbits(8) for _ in range(200000)))\""),
            0);
  HWND caller = test_support::CreateOwnerWindow(u"黒板");
  g_hook = SetWindowsHookExW(WH_CALLWNDPROC, RecordPositions, nullptr, 0);
  g_positions.clear();
  fs::remove_all("pout");
  EXPECT_EQ(Unzip(caller, "-x p.zip pout", nullptr, 0), 0);
  EXPECT_EQ(g_positions, (std::vector<int>{16, 33, 49, 66, 82, 98, 100}));
  g_positions.clear();
  HGLOBAL block = nullptr;
  uint32_t size = 0;
  EXPECT_EQ(UnzipExtractToMem(caller, "p.zip", "p.bin", &block, &size), 0);
  EXPECT_EQ(g_positions, (std::vector<int>{66}));
  EXPECT_EQ(size, 200000u);
  GlobalFree(block);
  UnhookWindowsHookEx(g_hook);
  DestroyWindow(caller);
}

}  // namespace
