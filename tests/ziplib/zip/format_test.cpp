// Records, DOS time, the matcher, the progress dialog's logic and the library's exports.
#include <dlfcn.h>

#include "commctrl.h"
#include "test_support.h"
#include "winuser.h"
#include "ziplib/dlgextmsg.h"
#include "ziplib/zipfile.h"
#include "zip_test_util.h"

namespace ztest {
namespace {

using namespace zipvault;

time_t local(int y, int mo, int d, int h, int mi, int s) {
  struct tm tm = {};
  tm.tm_year = y - 1900;
  tm.tm_mon = mo - 1;
  tm.tm_mday = d;
  tm.tm_hour = h;
  tm.tm_min = mi;
  tm.tm_sec = s;
  tm.tm_isdst = -1;
  return mktime(&tm);
}

TEST(DosTime, ClampsAndRounds) {
  EXPECT_EQ(unix2dostime(local(2005, 1, 1, 0, 0, 0)), dostime(2005, 1, 1, 0, 0, 0));
  EXPECT_EQ(unix2dostime(local(2005, 1, 1, 10, 20, 31)), dostime(2005, 1, 1, 10, 20, 32));   // odd second up
  EXPECT_EQ(unix2dostime(local(1979, 6, 1, 12, 0, 0)), 0x00210000u);                          // 1980-01-01
  EXPECT_EQ(unix2dostime(local(2200, 6, 1, 12, 0, 0)), dostime(2107, 12, 31, 23, 59, 58));
  EXPECT_EQ(dostime(2107, 12, 31, 23, 59, 58) >> 25, 127u);
  EXPECT_EQ(dos2unixtime(dostime(2005, 1, 1, 10, 20, 32)), local(2005, 1, 1, 10, 20, 32));
}

TEST(Records, ValuesBeyondTheFieldsAreRefused) {
  ZEntry z;
  z.iname = "a";
  std::vector<uint8_t> b;
  ASSERT_TRUE(build_local(z, b));
  EXPECT_EQ(b.size(), 31u);
  z.len = ZIP_MAX32 + 1;
  EXPECT_FALSE(build_local(z, b));
  EXPECT_FALSE(build_central(z, b));
  z.len = 0;
  z.off = ZIP_MAX32 + 1;
  EXPECT_FALSE(build_central(z, b));
  EXPECT_TRUE(build_end(65535, 0, 0, "", b));
  EXPECT_FALSE(build_end(65536, 0, 0, "", b));
  EXPECT_FALSE(build_end(1, 0, ZIP_MAX32 + 1, "", b));
}

// A stored ten-byte file: version 10, flags 0, method 0, sizes 10, no descriptor.
TEST(Records, StoredTenByteFileHeader) {
  auto dir = fs::current_path() / "ten";
  fs::create_directories(dir);
  write_file(dir / "t.bin", "0123456789");
  auto answers = winplat::screen::InstallScriptedAnswerer();
  std::string cmd = "-0 \"" + (dir / "t.zip").string() + "\" \"" + (dir / "t.bin").string() + "\"";
  fs::path keep = fs::current_path();
  fs::current_path(dir);
  ASSERT_EQ(Zip(nullptr, "-0 t.zip t.bin", nullptr, 0), 0);
  fs::current_path(keep);
  std::string a = read_file(dir / "t.zip");
  auto u16 = [&](size_t o) { return static_cast<unsigned>(static_cast<uint8_t>(a[o]) | (static_cast<uint8_t>(a[o + 1]) << 8)); };
  EXPECT_EQ(u16(4), 10u);
  EXPECT_EQ(u16(6), 0u);
  EXPECT_EQ(u16(8), 0u);
  EXPECT_EQ(u16(18), 10u);
  EXPECT_EQ(u16(22), 10u);
  EXPECT_EQ(a.substr(30 + 5, 10), "0123456789");
  EXPECT_EQ(a.substr(45, 4), "PK\x01\x02");   // the central header follows at once
  winplat::screen::SetMessageBoxAnswerer({});
}

TEST(Matcher, WildcardsLiteralsAndDoubleByteCharacters) {
  struct Case {
    const char* pattern;
    const char* name;
    int result;
  } cases[] = {
      {"a*", "abc", 1},
      {"*.BMP", "1.bmp", 1},
      {"*.bmp", "1.bmp.txt", 2},
      {"1.bmp", "1.BMP", 1},
      {"?.bmp", "1.bmp", 1},
      {"?.bmp", "12.bmp", 0},
      {"[a-c]x", "Bx", 1},
      {"[!a-c]x", "bx", 0},
      {"[^0-9]*", "x1", 1},
      {"a[1].txt", "a[1].txt", 1},
      {"a\\*", "a\\b", 1},
      {"表*", "表示", 1},
      {"?示", "表示", 1},   // '?' takes the whole double-byte character
      {"\x95?", "表", 0},  // a lead byte alone does not match a character
      {"*\\", "表", 2},    // 0x5C as a trail byte is not a character
      {"\x83\x5C", "\x83\x7C", 0},   // ソ is not ヤ-like: trail bytes are not case-folded
      {"", "", 1},
      {"*", "", 1},
  };
  for (const Case& c : cases) EXPECT_EQ(CZip::dosmatch(c.pattern, c.name), c.result) << c.pattern << " " << c.name;
}

// A visible top-level window standing for the caller's.
HWND CallerWindow() {
  return test_support::CreateOwnerWindow(u"黒板");
}

TEST(ProgressDialog, TextsCountersAndSizes) {
  EXPECT_EQ(CDlgExtMsg::SizeText(999999), "999,999 バイト");
  EXPECT_EQ(CDlgExtMsg::SizeText(1000000), "976KB");
  EXPECT_EQ(CDlgExtMsg::SizeText(1234567), "1.17MB");
  EXPECT_EQ(CDlgExtMsg::SizeText(150ull * 1048576), "150MB");
  HWND caller = CallerWindow();
  auto* d = new CDlgExtMsg();
  CWnd parent;
  parent.Attach(caller);
  ASSERT_TRUE(d->Create(&parent, CDlgExtMsg::Compress));
  // Centred over the caller's window.
  RECT r;
  GetWindowRect(d->m_hWnd, &r);
  EXPECT_LE(std::abs((r.left + r.right) / 2 - 512), 1);
  EXPECT_LE(std::abs((r.top + r.bottom) / 2 - 384), 1);
  EXPECT_EQ(GetWindow(d->m_hWnd, GW_OWNER), caller);
  EXPECT_FALSE(d->IsWindowVisible());
  d->SetArchive("a.zip");
  EXPECT_EQ(d->GetDlgItemText(1015), "圧縮サイズ:");
  EXPECT_EQ(d->GetDlgItemText(1010), "      0/      0");
  d->SetStep("adding...");
  EXPECT_EQ(d->GetWindowText(), "圧縮状況  adding...");
  d->SetFile("f.txt", 0, 0);
  d->Update(0);
  EXPECT_FALSE(d->IsWindowVisible());   // an empty file never shows the dialog
  d->SetFile("g.txt", 0, 200);
  d->Update(50);
  EXPECT_TRUE(d->IsWindowVisible());
  EXPECT_EQ(d->Progress().GetPos(), 25);
  EXPECT_EQ(SendMessageW(GetDlgItem(d->m_hWnd, 1007), PBM_GETPOS, 0, 0), 25);
  EXPECT_EQ(d->GetDlgItemText(1010), "     50/     200");
  EXPECT_EQ(d->GetDlgItemText(1006), "g.txt");
  EXPECT_TRUE(test_support::WriteScreenshotPng("progress_compress.png"));
  // Cancel asks; No goes on, Yes stops.
  auto answers = winplat::screen::InstallScriptedAnswerer();
  answers->Push(IDNO);
  answers->Push(IDYES);
  d->OnCancel();
  EXPECT_FALSE(d->Cancelled());
  d->OnCancel();
  EXPECT_TRUE(d->Cancelled());
  ASSERT_EQ(answers->Shown().size(), 2u);
  EXPECT_EQ(answers->Shown()[0].text, u"圧縮を中断しますか？");
  EXPECT_EQ(answers->Shown()[0].type & (MB_ICONMASK | MB_TYPEMASK), MB_ICONQUESTION | MB_YESNO);
  winplat::screen::SetMessageBoxAnswerer({});
  HWND h = d->m_hWnd;
  d->DestroyWindow();   // deletes it
  EXPECT_FALSE(IsWindow(h));
  parent.Detach();
  DestroyWindow(caller);
}

class Cancel : public ZipTest {};

// Escape during a run with the caller's window: the question, Yes, and the run stops with 9,
// leaving neither an archive nor a temporary file.
TEST_F(Cancel, EscapeAndYesStopTheRun) {
  write_file("a.bin", random_bytes(300000));
  write_file("b.bin", random_bytes(1000));
  answers_->Push(IDYES);
  HWND caller = CallerWindow();
  winplat::screen::Headless()->PressKey(VK_ESCAPE);
  int r = zip("c.zip a.bin b.bin", caller);
  DestroyWindow(caller);
  EXPECT_EQ(r, 9);
  EXPECT_TRUE(shown(u"圧縮を中断しますか？"));
  EXPECT_FALSE(fs::exists("c.zip"));
  for (auto& e : fs::directory_iterator(".")) EXPECT_NE(e.path().filename().string().substr(0, 3), "ZVT");
  // Without a window there is no dialog and nothing to cancel.
  answers_ = winplat::screen::InstallScriptedAnswerer();
  EXPECT_EQ(zip("c.zip a.bin b.bin"), 0);
  EXPECT_TRUE(boxes().empty());
}

// A click on the shown dialog's Cancel button, read between steps: No goes on and the archive is
// written; Yes stops the run with 9.
TEST_F(Cancel, ClickOnTheCancelButtonAsks) {
  write_file("a.bin", random_bytes(400000));
  write_file("b.bin", random_bytes(1000));
  struct Case {
    int answer;
    int result;
  };
  for (const Case c : {Case{IDNO, 0}, Case{IDYES, 9}}) {
    SCOPED_TRACE(c.answer);
    fs::remove("c.zip");
    answers_ = winplat::screen::InstallScriptedAnswerer();
    answers_->Push(c.answer);
    HWND caller = CallerWindow();
    int r;
    std::string counter;
    {
      test_support::PopupClicker clicker(caller, IDCANCEL, 1010);
      r = zip("c.zip a.bin b.bin", caller);
      EXPECT_TRUE(clicker.Clicked());
      counter = clicker.ReadText();
    }
    DestroyWindow(caller);
    ASSERT_GE(counter.size(), 9u);
    EXPECT_EQ(counter.substr(counter.size() - 9), "/  400000");   // "%7ld/%8ld" of a.bin
    EXPECT_EQ(r, c.result);
    EXPECT_TRUE(shown(u"圧縮を中断しますか？"));
    EXPECT_EQ(fs::exists("c.zip"), c.result == 0);
    for (auto& e : fs::directory_iterator(".")) EXPECT_NE(e.path().filename().string().substr(0, 3), "ZVT");
  }
}

TEST(Exports, OnlyTheEntriesAreVisibleAndNoZlib) {
  const std::string lib = std::string(VSE_BIN_DIR) + "/libzipvault.so";
  void* h = dlopen(lib.c_str(), RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(h, nullptr) << dlerror();
  EXPECT_NE(dlsym(h, "Zip"), nullptr);
  EXPECT_EQ(dlsym(h, "_ZN8zipvault12zipvault_appEv"), nullptr);
  dlclose(h);
  std::string out;
  ASSERT_EQ(run("readelf -d " + lib, &out), 0);
  EXPECT_EQ(out.find("libz."), std::string::npos);
  ASSERT_EQ(run("nm -D --defined-only " + lib + " | grep -v ' _' | awk '{print $3}'", &out), 0);
  EXPECT_EQ(out,
            "DllEntryPoint\nUnzip\nUnzipCheckArchive\nUnzipCloseArchive\nUnzipExtractAll\nUnzipExtractToMem\n"
            "UnzipFindFirst\nUnzipFindNext\nUnzipGetBackGroundMode\nUnzipGetRunning\nUnzipGetVersion\n"
            "UnzipOpenArchive\nUnzipSetBackGroundMode\nUnzipSetCursorMode\nZip\n");
  // The output buffer is neither read nor written.
  char buf[8] = "canary";
  auto answers = winplat::screen::InstallScriptedAnswerer();
  EXPECT_EQ(Zip(nullptr, "-ud x.zip a", buf, sizeof buf), 16);
  EXPECT_STREQ(buf, "canary");
  winplat::screen::SetMessageBoxAnswerer({});
}

}  // namespace
}  // namespace ztest
