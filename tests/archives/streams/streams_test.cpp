// Named streams through archives: the stream names, the stream files made for packing and
// deleted afterwards, and the streams written back after an extraction whose library reports
// each member (a fake UNZIP32 sending State-1 notices). Skipped where the file system keeps no
// extended attributes.
#include <sys/xattr.h>

#include "archive_test_support.h"
#include "winplat_screen.h"

using namespace archtest;

namespace {

const char kInfoStream[] = ":\x05Info:$DATA";  // the stream :<0x05>Info:$DATA

std::string Attr(const std::string& path, const std::string& name) {
  char buf[65536];
  ssize_t n = getxattr(path.c_str(), name.c_str(), buf, sizeof buf);
  return n < 0 ? std::string("(none)") : std::string(buf, static_cast<size_t>(n));
}

void SetAttr(const std::string& path, const std::string& name, const std::string& value) {
  ASSERT_EQ(setxattr(path.c_str(), name.c_str(), value.data(), value.size(), 0), 0) << name;
}

TEST(StreamNames, EncodeAndDecode) {
  EXPECT_EQ(EncodeStreamName(u":\x05Name:$DATA", u";#"), u";#Name;$DATA");
  EXPECT_EQ(EncodeStreamName(u":Zone:$DATA", u";#"), u";Zone;$DATA");
  EXPECT_EQ(EncodeStreamName(u":\x05Name:$DATA", u";"), u":\x05Name:$DATA");
  EXPECT_EQ(DecodeStreamName("out/1.bmp;#Name;$DATA", ";#"), "out/1.bmp:\x05Name:$DATA");
  // Only the last component, from the first whole separator on: folders keep their names.
  EXPECT_EQ(DecodeStreamName("a;#b\\c;d/1;x.bmp;#Name;$DATA", ";#"), "a;#b\\c;d/1;x.bmp:\x05Name:$DATA");
  EXPECT_EQ(DecodeStreamName("dir/plain;name.bmp", ";#"), "dir/plain;name.bmp");
  EXPECT_EQ(DecodeStreamName("x;#y", "#"), "x;#y");
}

class Streams : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    root_ = Scratch(std::string("streams_") + info->name());
    if (!SupportsNamedStreams(root_)) GTEST_SKIP() << "no extended attributes on " << root_;
    src_ = root_ + "/src";
    dest_ = root_ + "/dest";
    mkdir(src_.c_str(), 0755);
    mkdir(dest_.c_str(), 0755);
    GetCurrentDirectoryA(sizeof saved_, saved_);
    answers_ = winplat::screen::InstallScriptedAnswerer();
  }
  void TearDown() override {
    SetCurrentDirectoryA(saved_);
    winplat::screen::SetMessageBoxAnswerer({});
  }
  std::string root_, src_, dest_;
  char saved_[4096];
  std::shared_ptr<winplat::screen::ScriptedAnswerer> answers_;
};

TEST_F(Streams, PackingCarriesEachStreamAsAMemberAndRemovesItsFile) {
  LibraryFolder libs({{"zipvault", "libzipvault.so"}});
  WriteFile(src_ + "/1.bmp", "BM page one");
  WriteFile(src_ + "/2.bmp", "BM page two");
  SetAttr(src_ + "/1.bmp", "user.\x05Info", "chalk info");
  SetAttr(src_ + "/1.bmp", "user.Zone", "zone 3");
  // A file of the stream file's name that the user made: it is packed, kept, and not rewritten.
  WriteFile(src_ + "/2.bmp;#Info;$DATA", "the user's own");
  SetAttr(src_ + "/2.bmp", "user.\x05Info", "two info");
  ASSERT_TRUE(SetCurrentDirectoryA(src_.c_str()));
  TArchiveFile arc(nullptr);
  const std::string archive = root_ + "/s.zip";
  arc.SetFileName(archive);
  ASSERT_EQ(arc.Pack(nullptr, nullptr, "", {"*.*"}), 0);
  EXPECT_EQ(Shell("bsdtar -tf '" + archive + "' | LC_ALL=C sort"),
            "1.bmp\n1.bmp;#Info;$DATA\n1.bmp;Zone;$DATA\n2.bmp\n2.bmp;#Info;$DATA\n");
  EXPECT_EQ(Shell("bsdtar -xOf '" + archive + "' '1.bmp;#Info;$DATA'"), "chalk info");
  EXPECT_EQ(Shell("bsdtar -xOf '" + archive + "' '2.bmp;#Info;$DATA'"), "the user's own");
  // The stream files this pack made are gone; the user's file stays as it was.
  EXPECT_FALSE(Exists(src_ + "/1.bmp;#Info;$DATA"));
  EXPECT_FALSE(Exists(src_ + "/1.bmp;Zone;$DATA"));
  EXPECT_EQ(ReadFile(src_ + "/2.bmp;#Info;$DATA"), "the user's own");

  // Zipvault sends no notices: extracted stream files stay ordinary files.
  arc.OnProgress = [](TObject*, int, LPEXTRACTINGINFOEX, bool&) {};
  ASSERT_EQ(arc.Extract(nullptr, nullptr, dest_, {nullptr}), 0);
  EXPECT_EQ(ReadFile(dest_ + "/1.bmp;#Info;$DATA"), "chalk info");
  EXPECT_EQ(Attr(dest_ + "/1.bmp", "user.\x05Info"), "(none)");
}

TEST_F(Streams, WithoutStreamsOptionNothingIsAdded) {
  LibraryFolder libs({{"zipvault", "libzipvault.so"}});
  WriteFile(src_ + "/1.bmp", "BM");
  SetAttr(src_ + "/1.bmp", "user.\x05Info", "x");
  ASSERT_TRUE(SetCurrentDirectoryA(src_.c_str()));
  TArchiveFile arc(nullptr);
  arc.SetFileName(root_ + "/n.zip");
  arc.Options()->SetIncludeExtraStreams(false);
  ASSERT_EQ(arc.Pack(nullptr, nullptr, "", {"*.*"}), 0);
  EXPECT_EQ(Shell("bsdtar -tf '" + root_ + "/n.zip'"), "1.bmp\n");
}

TEST_F(Streams, ExtractionWithNoticesWritesTheStreamsBack) {
  LibraryFolder libs({{"unzip32", "libunzip32.so"}});
  TArchiveFile arc(nullptr);
  arc.SetFileName(root_ + "/in.zip");
  Fake unzip("UNZIP32.DLL");
  unzip.AddNotice("1.bmp", dest_ + "/1.bmp", "BM page");
  unzip.AddNotice("1.bmp;#Info;$DATA", dest_ + "/1.bmp;#Info;$DATA", "chalk info");
  // No separator ";#" in this name: it stays an ordinary file.
  unzip.AddNotice("1.bmp;Zone;$DATA", dest_ + "/1.bmp;Zone;$DATA", "zone");
  // The stream exists already at the destination: it is left as it is, and so is the file.
  WriteFile(dest_ + "/2.bmp", "BM two");
  SetAttr(dest_ + "/2.bmp", "user.\x05Info", "older");
  unzip.AddNotice("2.bmp;#Info;$DATA", dest_ + "/2.bmp;#Info;$DATA", "newer");
  // An owner file that does not exist: the stream cannot be written, the file stays.
  unzip.AddNotice("9.bmp;#Info;$DATA", dest_ + "/9.bmp;#Info;$DATA", "lost owner");
  int notices = 0;
  arc.OnProgress = [&](TObject*, int State, LPEXTRACTINGINFOEX, bool&) {
    EXPECT_EQ(State, 1);
    ++notices;
  };
  ASSERT_EQ(arc.Extract(nullptr, nullptr, dest_, {nullptr}), 0);
  EXPECT_EQ(notices, 5);
  EXPECT_EQ(arc.LastCommandLine(), "-x --i  \"" + root_ + "/in.zip\" \"" + dest_ + "\\\" ");
  EXPECT_EQ(ReadFile(dest_ + "/1.bmp"), "BM page");
  EXPECT_EQ(Attr(dest_ + "/1.bmp", "user.\x05Info"), "chalk info");
  EXPECT_FALSE(Exists(dest_ + "/1.bmp;#Info;$DATA"));
  EXPECT_EQ(ReadFile(dest_ + "/1.bmp;Zone;$DATA"), "zone");
  EXPECT_EQ(Attr(dest_ + "/2.bmp", "user.\x05Info"), "older");
  EXPECT_EQ(ReadFile(dest_ + "/2.bmp;#Info;$DATA"), "newer");
  EXPECT_EQ(ReadFile(dest_ + "/9.bmp;#Info;$DATA"), "lost owner");
  // The owner window is given back after the extraction.
  EXPECT_EQ(unzip.CallLog().find("KillOwnerWindowEx") != std::string::npos, true);
  EXPECT_FALSE(arc.Archiver()->HasOwnerWindow());
  // Without OnProgress no owner window is set, no notice arrives, nothing is written back.
  arc.OnProgress = nullptr;
  unlink((dest_ + "/1.bmp").c_str());
  ASSERT_EQ(arc.Extract(nullptr, nullptr, dest_, {nullptr}), 0);
  EXPECT_EQ(arc.LastCommandLine(), "-x  \"" + root_ + "/in.zip\" \"" + dest_ + "\\\" ");
  EXPECT_EQ(ReadFile(dest_ + "/1.bmp;#Info;$DATA"), "chalk info");
  EXPECT_EQ(Attr(dest_ + "/1.bmp", "user.\x05Info"), "(none)");
}

TEST_F(Streams, RoundTripThroughZipvaultAndTheNotices) {
  // Packed by Zipvault, then extracted by a library that reports each member as it writes it.
  WriteFile(src_ + "/1.bmp", "BM round trip");
  SetAttr(src_ + "/1.bmp", "user.\x05Info", "carried");
  std::string member;
  {
    LibraryFolder libs({{"zipvault", "libzipvault.so"}});
    ASSERT_TRUE(SetCurrentDirectoryA(src_.c_str()));
    TArchiveFile arc(nullptr);
    arc.SetFileName(root_ + "/rt.zip");
    ASSERT_EQ(arc.Pack(nullptr, nullptr, "", {"1.bmp"}), 0);
    member = Shell("bsdtar -xOf '" + root_ + "/rt.zip' '1.bmp;#Info;$DATA'");
    ASSERT_EQ(member, "carried");
  }
  LibraryFolder libs({{"unzip32", "libunzip32.so"}});
  TArchiveFile arc(nullptr);
  arc.SetFileName(root_ + "/rt.zip");
  Fake unzip("UNZIP32.DLL");
  unzip.AddNotice("1.bmp", dest_ + "/1.bmp", ReadFile(src_ + "/1.bmp"));
  unzip.AddNotice("1.bmp;#Info;$DATA", dest_ + "/1.bmp;#Info;$DATA", member);
  arc.OnProgress = [](TObject*, int, LPEXTRACTINGINFOEX, bool&) {};
  ASSERT_EQ(arc.Extract(nullptr, nullptr, dest_, {nullptr}), 0);
  EXPECT_EQ(Attr(dest_ + "/1.bmp", "user.\x05Info"), "carried");
  EXPECT_EQ(Shell("ls '" + dest_ + "'"), "1.bmp\n");
}

TEST_F(Streams, StreamEnumerationAndCopies) {
  const std::string f = src_ + "/e.bmp";
  WriteFile(f, "main data");
  SetAttr(f, "user.\x05Info", "12345");
  SetAttr(f, "user.trusted-looking", "t");
  TStreamEnum e;
  ASSERT_TRUE(OpenStreamEnum(f, e));
  std::vector<std::pair<std::u16string, uint64_t>> seen;
  do {
    std::u16string name;
    for (WCHAR c : e.Name)
      if (c) name += static_cast<char16_t>(c); else break;
    seen.push_back({name, e.Size});
  } while (NextStream(e));
  CloseStreamEnum(e);
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0], (std::pair<std::u16string, uint64_t>{u"", 9}));
  std::sort(seen.begin() + 1, seen.end());
  EXPECT_EQ(seen[1], (std::pair<std::u16string, uint64_t>{u":\x05Info:$DATA", 5}));
  EXPECT_EQ(seen[2], (std::pair<std::u16string, uint64_t>{u":trusted-looking:$DATA", 1}));
  // A copy larger than one piece, between ordinary files; never over an existing file.
  std::string big(2500000, 'x');
  for (size_t i = 0; i < big.size(); i += 4093) big[i] = static_cast<char>(i);
  WriteFile(src_ + "/big", big);
  FILETIME t{0x12345678, 0x01D00000};
  bool created = false;
  EXPECT_TRUE(CopyStreamFile(src_ + "/big", src_ + "/copy", false, 0, t, t, t, big.size(), &created));
  EXPECT_TRUE(created);
  EXPECT_EQ(ReadFile(src_ + "/copy"), big);
  EXPECT_FALSE(CopyStreamFile(src_ + "/big", src_ + "/copy", true, 0, t, t, t, big.size(), &created));
  EXPECT_FALSE(created);
  // A source shorter than the size given fails loudly, and the partial copy is known to be made.
  EXPECT_THROW(CopyStreamFile(src_ + "/big", src_ + "/short", true, 0, t, t, t, big.size() + 10, &created), EOSError);
  EXPECT_TRUE(created);
  // Into a named stream.
  EXPECT_FALSE(CopyStreamFile(src_ + "/big", f + kInfoStream, true, 0, t, t, t, 1000, &created));
  removexattr(f.c_str(), "user.\x05Info");
  EXPECT_TRUE(CopyStreamFile(src_ + "/e.bmp", f + kInfoStream, true, 0, t, t, t, 9));
  EXPECT_EQ(Attr(f, "user.\x05Info"), "main data");
}

}  // namespace
