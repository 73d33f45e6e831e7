// Extraction to files: archives of Python's zipfile and of the raw writer, paths, overwriting,
// passwords.
#include "unzip_test_util.h"
#include "test_support.h"
#include "ziplib/dlgextmsg.h"

using namespace utest;

namespace {

void expect_plain_tree(const std::string& dest) {
  for (const char* n : {"hello.txt", "docs/a/b.txt", "big.bin", "empty.txt"}) {
    EXPECT_EQ(read_file(dest + "/" + n), read_file(arc("plain/") + n)) << n;
  }
  EXPECT_TRUE(fs::is_directory(dest + "/docs"));
}

TEST_F(UnzipTest, ExtractsPythonArchiveWithRelativeNames) {
  // Relative archive and destination, with and without a trailing separator, in both separators.
  for (std::string dest : {"out_a/", "out_b", "out_c\\", "deep/er/out_d"}) {
    std::string base = dest;
    while (base.back() == '/' || base.back() == '\\') base.pop_back();
    fs::remove_all("deep");
    fresh(base);
    EXPECT_EQ(unzip("-x  \"" + arc("py_basic.zip") + "\" \"" + dest + "\" "), 0) << dest;
    expect_plain_tree(base);
    EXPECT_FALSE(fs::exists(base + "hello.txt"));
  }
  EXPECT_EQ(fs::current_path().filename(), "test_ziplib_unzip");
}

TEST_F(UnzipTest, TestModeAndDataDescriptorsAndManyEntries) {
  EXPECT_EQ(unzip("-t " + arc("py_basic.zip")), 0);
  EXPECT_EQ(unzip("-t " + arc("py_stream.zip")), 0);
  fresh("stream");
  EXPECT_EQ(unzip("-x " + arc("py_stream.zip") + " stream/"), 0);
  EXPECT_EQ(fs::file_size("stream/level9.txt"), 20009u);
  fresh("many");
  EXPECT_EQ(unzip("-x " + arc("py_many.zip") + " many/"), 0);
  size_t n = 0;
  for (auto& e : fs::directory_iterator("many/many")) n += e.is_regular_file();
  EXPECT_EQ(n, 150u);
  // 100 bytes in front: every entry found, the run warns.
  fresh("pre");
  EXPECT_EQ(unzip("-x " + arc("prefixed.zip") + " pre/"), 1);
  EXPECT_EQ(fs::file_size("pre/many/f149.txt"), 249u);
}

TEST_F(UnzipTest, SelectsExactNamesOnly) {
  fresh("sel");
  EXPECT_EQ(unzip("-x " + arc("py_basic.zip") + " sel/ hello.txt"), 0);
  EXPECT_TRUE(fs::exists("sel/hello.txt"));
  EXPECT_FALSE(fs::exists("sel/big.bin"));
  EXPECT_EQ(unzip("-x " + arc("py_basic.zip") + " sel2/ HELLO.TXT"), 11);
  EXPECT_EQ(unzip("-x " + arc("py_basic.zip") + " sel2/ *.txt"), 11);
}

TEST_F(UnzipTest, AnsiNamesBecomeFileNames) {
  fresh("jp");
  EXPECT_EQ(unzip("-x " + arc("cp932.zip") + " jp/"), 0);
  EXPECT_EQ(read_file(fs::u8path(u8"jp/黒板/ノート.txt")).size(), 80u);
  EXPECT_EQ(read_file(fs::u8path(u8"jp/表.txt")), "table");
}

TEST_F(UnzipTest, JunkPathsAndFolderEntries) {
  fresh("junk");
  EXPECT_EQ(unzip("-x -j " + arc("py_basic.zip") + " junk/"), 0);
  EXPECT_TRUE(fs::exists("junk/b.txt"));
  EXPECT_FALSE(fs::exists("junk/docs"));
}

TEST_F(UnzipTest, NothingIsWrittenOutsideTheDestination) {
  fs::remove_all("trav");
  fs::create_directories("trav/inner/dest");
  EXPECT_GE(unzip("-x " + arc("traversal.zip") + " trav/inner/dest/"), 1);
  for (const char* ok : {"abs/ok3.txt", "ok4.txt", "ok6.txt", "a/ok7.txt", "sub/ok8.txt", "ctl\x01name.txt"})
    EXPECT_TRUE(fs::exists(std::string("trav/inner/dest/") + ok)) << ok;
  size_t inside = 0;
  for (auto& e : fs::recursive_directory_iterator("trav")) {
    std::string p = e.path().string();
    EXPECT_EQ(p.find("evil"), std::string::npos) << p;
    if (e.is_regular_file()) {
      EXPECT_EQ(p.rfind("trav/inner/dest/", 0), 0u) << p;
      ++inside;
    }
  }
  EXPECT_EQ(inside, 6u);
  EXPECT_FALSE(fs::exists("evil1.txt"));
  EXPECT_FALSE(fs::exists("/abs/ok3.txt"));
  // Each skipped name was reported.
  size_t warnings = 0;
  for (auto& m : answerer->Shown()) warnings += m.text.find(u"unsafe path") != std::u16string::npos;
  EXPECT_EQ(warnings, 6u);
}

TEST_F(UnzipTest, ExistingLinkAtTheTargetIsReplacedNotFollowed) {
  fs::remove_all("lnk");
  fs::create_directories("lnk/dest");
  write_file("lnk/outside.txt", "keep");
  fs::create_symlink("../outside.txt", "lnk/dest/link.txt");
  EXPECT_EQ(unzip("-x -o " + arc("link.zip") + " lnk/dest/"), 0);
  EXPECT_EQ(read_file("lnk/outside.txt"), "keep");
  EXPECT_FALSE(fs::is_symlink("lnk/dest/link.txt"));
  EXPECT_EQ(read_file("lnk/dest/link.txt"), "replaced");
}

TEST_F(UnzipTest, LinkedFolderBelowTheDestinationIsNotEntered) {
  fs::remove_all("lnkdir");
  fs::create_directories("lnkdir/dest");
  fs::create_directories("lnkdir/elsewhere");
  fs::create_directory_symlink("../elsewhere", "lnkdir/dest/docs");
  EXPECT_EQ(unzip("-x " + arc("py_basic.zip") + " lnkdir/dest/"), 1);
  EXPECT_TRUE(fs::is_empty("lnkdir/elsewhere"));
  EXPECT_TRUE(fs::exists("lnkdir/dest/hello.txt"));
}

TEST_F(UnzipTest, OnlyTheReadOnlyBitIsApplied) {
  fresh("ro");
  EXPECT_EQ(unzip("-x " + arc("readonly.zip") + " ro/"), 0);
  struct stat st{};
  ASSERT_EQ(stat("ro/ro.txt", &st), 0);
  EXPECT_EQ(st.st_mode & S_IWUSR, 0u);
  ASSERT_EQ(stat("ro/setid.txt", &st), 0);
  EXPECT_NE(st.st_mode & S_IWUSR, 0u);
  EXPECT_EQ(st.st_mode & (S_ISUID | S_ISGID | S_IXUSR), 0u);
  fs::permissions("ro/ro.txt", fs::perms::owner_write, fs::perm_options::add);
}

TEST_F(UnzipTest, FileTimeIsTheEntryTime) {
  fresh("tm");
  EXPECT_EQ(unzip("-x " + arc("py_basic.zip") + " tm/ hello.txt"), 0);
  struct stat st{};
  ASSERT_EQ(stat("tm/hello.txt", &st), 0);
  struct tm lt{};
  time_t t = st.st_mtime;
  localtime_r(&t, &lt);
  EXPECT_EQ(lt.tm_year + 1900, 2007);
  EXPECT_EQ(lt.tm_mon + 1, 3);
  EXPECT_EQ(lt.tm_mday, 1);
  EXPECT_EQ(lt.tm_hour, 14);
  EXPECT_EQ(lt.tm_min, 5);
  EXPECT_EQ(lt.tm_sec, 30);
}

TEST_F(UnzipTest, OverwriteQuestionAndAnswersThatLast) {
  fresh("ow");
  ASSERT_EQ(unzip(arc("py_basic.zip") + " ow/ hello.txt big.bin"), 0);
  write_file("ow/hello.txt", "mine");
  write_file("ow/big.bin", "mine");
  fs::last_write_time("ow/hello.txt", fs::file_time_type::clock::now() - std::chrono::hours(24 * 365 * 30));
  fs::last_write_time("ow/big.bin", fs::file_time_type::clock::now() - std::chrono::hours(24 * 365 * 30));
  // No, then yes.
  answerer->Push(IDNO);
  answerer->Push(IDYES);
  EXPECT_EQ(unzip(arc("py_basic.zip") + " ow/ hello.txt big.bin"), 1);
  EXPECT_EQ(read_file("ow/hello.txt"), "mine");
  EXPECT_EQ(read_file("ow/big.bin").size(), 100000u);
  ASSERT_EQ(answerer->Shown().size(), 2u);
  EXPECT_NE(answerer->Shown()[0].text.find(u"ow\\hello.txt"), std::u16string::npos);
  EXPECT_NE(answerer->Shown()[0].text.find(u"18 バイト"), std::u16string::npos);
  EXPECT_EQ(answerer->Shown()[0].caption, u"ファイルの上書き");
  // All: later files and later calls replaced without a question.
  write_file("ow/hello.txt", "mine");
  write_file("ow/big.bin", "mine");
  answerer->Push(zipvault::IDC_OVERWRITE_ALL);
  EXPECT_EQ(unzip(arc("py_basic.zip") + " ow/ hello.txt big.bin"), 0);
  EXPECT_EQ(answerer->Shown().size(), 3u);
  EXPECT_EQ(read_file("ow/hello.txt").size(), 18u);
  write_file("ow/hello.txt", "mine");
  EXPECT_EQ(unzip(arc("py_basic.zip") + " ow/ hello.txt"), 0);
  EXPECT_EQ(read_file("ow/hello.txt").size(), 18u);
  // -n in a later call: never.
  write_file("ow/hello.txt", "mine");
  EXPECT_EQ(unzip("-n " + arc("py_basic.zip") + " ow/ hello.txt"), 1);
  EXPECT_EQ(answerer->Shown().size(), 3u);
  EXPECT_EQ(read_file("ow/hello.txt"), "mine");
  // A newer file and -u: kept.
  reset_globals();
  write_file("ow/hello.txt", "newer");
  EXPECT_EQ(unzip("-u -o " + arc("py_basic.zip") + " ow/ hello.txt"), 1);
  EXPECT_EQ(read_file("ow/hello.txt"), "newer");
  // Freshen writes only files that exist, even with no-query.
  fs::remove("ow/big.bin");
  EXPECT_EQ(unzip("-x -f " + arc("py_basic.zip") + " ow/ big.bin"), 1);
  EXPECT_FALSE(fs::exists("ow/big.bin"));
}

TEST_F(UnzipTest, NoQueryReplacesWithoutAsking) {
  fresh("nq");
  write_file("nq/hello.txt", "mine");
  EXPECT_EQ(unzip("-x --i " + arc("py_basic.zip") + " nq/"), 0);
  EXPECT_EQ(read_file("nq/hello.txt").size(), 18u);
  EXPECT_TRUE(answerer->Shown().empty());
}

struct PasswordCase {
  const char* name;
  std::vector<const char*> typed;   // nullptr: Cancel
  int result;
  size_t prompts;
  bool extracted;
};

TEST_F(UnzipTest, TraditionalDecryption) {
  const PasswordCase cases[] = {
      {"right", {"chalk"}, 0, 1, true},
      {"third time", {"wrong", "worse", "chalk"}, 0, 3, true},
      // The next entry tries the held password, then asks again (an unscripted answer is empty).
      {"wrong thrice", {"a", "b", "c"}, 1, 4, false},
      {"empty", {""}, 1, 1, false},
      {"cancel", {nullptr}, 1, 1, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    answerer = winplat::screen::InstallScriptedAnswerer();
    zipvault::clear_password_input();
    for (const char* t : c.typed) {
      answerer->Push(t ? IDOK : IDCANCEL);
      zipvault::script_password_input(t ? t : "");
    }
    fresh("enc");
    EXPECT_EQ(unzip("-x " + arc("encrypted.zip") + " enc/"), c.result);
    EXPECT_EQ(answerer->Shown().size(), c.prompts);
    if (!answerer->Shown().empty()) {
      EXPECT_EQ(answerer->Shown()[0].caption, u"パスワードの入力");
    }
    for (const char* n : {"secret1.txt", "secret2.txt", "secret3.txt"}) EXPECT_EQ(fs::exists(std::string("enc/") + n), c.extracted) << n;
    if (c.extracted) {
      EXPECT_EQ(read_file("enc/secret2.txt"), "stored secret");
      EXPECT_EQ(fs::file_size("enc/secret3.txt"), 5000u);
    }
  }
}

TEST_F(UnzipTest, CheckBytePassingWrongPasswordIsStillWrong) {
  // Find a wrong password whose check byte matches (1 in 256), then the right one.
  std::string arcname = arc("encrypted_one.zip");
  std::string data = read_file(arcname);
  // Local header: 30 bytes + name (11), then the 12 encryption bytes.
  const uint8_t* h = reinterpret_cast<const uint8_t*>(data.data()) + 30 + 11;
  uint8_t check = static_cast<uint8_t>(data[14 + 3]);   // high byte of the CRC
  std::string lucky;
  for (int i = 0; i < 100000 && lucky.empty(); ++i) {
    std::string pw = "pw" + std::to_string(i);
    uint32_t k[3] = {0x12345678u, 0x23456789u, 0x34567890u};
    auto upd = [&](uint8_t c) {
      k[0] = zipvault::crc32_byte(k[0], c);
      k[1] = (k[1] + (k[0] & 0xFF)) * 134775813u + 1;
      k[2] = zipvault::crc32_byte(k[2], static_cast<uint8_t>(k[1] >> 24));
    };
    for (char c : pw) upd(static_cast<uint8_t>(c));
    uint8_t last = 0;
    for (int j = 0; j < 12; ++j) {
      unsigned t = (k[2] | 2) & 0xFFFF;
      last = static_cast<uint8_t>(h[j] ^ ((t * (t ^ 1)) >> 8));
      upd(last);
    }
    if (last == check) lucky = pw;
  }
  ASSERT_FALSE(lucky.empty());
  answerer->Push(IDOK);
  answerer->Push(IDOK);
  zipvault::script_password_input(lucky);
  zipvault::script_password_input("chalk");
  fresh("lucky");
  EXPECT_EQ(unzip("-x " + arcname + " lucky/"), 0);
  EXPECT_EQ(answerer->Shown().size(), 2u);
  EXPECT_EQ(fs::file_size("lucky/secret1.txt"), 3000u);
  // Only the wrong one: no partial output left.
  answerer->Push(IDOK);
  answerer->Push(IDOK);
  zipvault::script_password_input(lucky);
  zipvault::script_password_input("");
  fresh("lucky2");
  EXPECT_EQ(unzip("-x " + arcname + " lucky2/"), 1);
  EXPECT_FALSE(fs::exists("lucky2/secret1.txt"));
}

}  // namespace

namespace {

TEST_F(UnzipTest, ProgressDialogWithAnOwnerWindowAndItsCancel) {
  HWND owner = test_support::CreateOwnerWindow(u"黒板");
  fresh("pg");
  // Every question is answered Yes; the overwrite question also presses Cancel in the dialog
  // (which asks whether to stop), so the run stops after that entry.
  zipvault::CDlgExtMsg* seen = nullptr;
  std::vector<std::u16string> texts;
  winplat::screen::SetMessageBoxAnswerer([&](const winplat::screen::MessageBoxRequest& r) {
    texts.push_back(r.text);
    if (r.caption == u"ファイルの上書き") {
      seen = zipvault::unzip_globals().progress;
      if (seen) seen->OnCancel();
    }
    return IDYES;
  });
  EXPECT_EQ(Unzip(owner, ("-x " + arc("py_basic.zip") + " pg/").c_str(), nullptr, 0), 0);
  EXPECT_EQ(zipvault::unzip_globals().progress, nullptr);   // destroyed after the run
  EXPECT_TRUE(texts.empty());
  write_file("pg/hello.txt", "mine");
  fs::last_write_time("pg/hello.txt", fs::file_time_type::clock::now() - std::chrono::hours(24 * 365 * 30));
  fs::remove("pg/big.bin");
  EXPECT_EQ(Unzip(owner, (arc("py_basic.zip") + " pg/").c_str(), nullptr, 0), 2);
  ASSERT_NE(seen, nullptr);
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[1], u"解凍を中断しますか？");
  EXPECT_FALSE(fs::exists("pg/big.bin"));   // after the cancel nothing more is written
  EXPECT_EQ(zipvault::unzip_globals().progress, nullptr);
  DestroyWindow(owner);
}

}  // namespace

namespace {

// A click on the shown dialog's Cancel button: No goes on, Yes stops the run with 2.
TEST_F(UnzipTest, ClickOnTheProgressDialogsCancelButton) {
  struct Case {
    int answer;
    int result;
  };
  for (const Case c : {Case{IDNO, 0}, Case{IDYES, 2}}) {
    SCOPED_TRACE(c.answer);
    answerer = winplat::screen::InstallScriptedAnswerer();
    answerer->Push(c.answer);
    fresh("pc");
    HWND owner = test_support::CreateOwnerWindow(u"黒板");
    int r;
    {
      test_support::PopupClicker clicker(owner, IDCANCEL, 1006);
      r = Unzip(owner, ("-x " + arc("py_basic.zip") + " pc/").c_str(), nullptr, 0);
      EXPECT_TRUE(clicker.Clicked());
      EXPECT_FALSE(clicker.ReadText().empty());   // the entry being written
    }
    DestroyWindow(owner);
    EXPECT_EQ(r, c.result);
    ASSERT_EQ(answerer->Shown().size(), 1u);
    EXPECT_EQ(answerer->Shown()[0].text, u"解凍を中断しますか？");
    if (c.result == 0) expect_plain_tree("pc");
  }
}

TEST_F(UnzipTest, BsdtarTraditionalEncryptionWithDescriptor) {
  fs::remove_all("bt");
  write_file("bt/src/note.txt", std::string(3000, 'n') + "end\n");
  ASSERT_EQ(std::system("cd bt/src && bsdtar --format zip --options zip:encryption=zipcrypt --passphrase chalk "
                        "-cf ../bt.zip note.txt"),
            0);
  answerer->Push(IDOK);
  zipvault::script_password_input("chalk");
  EXPECT_EQ(unzip("-x bt/bt.zip bt/out/"), 0);
  EXPECT_EQ(read_file("bt/out/note.txt"), read_file("bt/src/note.txt"));
}

}  // namespace
