// Option letters whose effects show in the archive or in the messages: -F and -FF (fix an
// archive), -k (DOS names), -l and -ll (line ends), -v (reading the old archive verbosely),
// -$ (volume label), -z (archive comment), -b (temporary path).
#include "zip_test_util.h"

namespace ztest {
namespace {

class Options : public ZipTest {
 protected:
  // Python's listing: name, create system, create version, external attributes, one per line.
  std::string python_list(const std::string& arc) {
    std::string out;
    EXPECT_EQ(python("import zipfile,sys\nz=zipfile.ZipFile(sys.argv[1])\nassert z.testzip() is None\n"
                     "for i in z.infolist(): print(i.filename, i.create_system, i.create_version, hex(i.external_attr))\n"
                     "print(repr(z.comment))",
                     arc, &out),
              0)
        << out;
    return out;
  }
};

// -F trusts the local headers alone: an archive whose central directory is lost or damaged is
// rebuilt from them (made-by and attributes new, the comment dropped). -FF also finds the sizes
// by the next record, for local headers whose sizes are wrong, and accepts a cut archive.
TEST_F(Options, FixRebuildsFromTheLocalHeaders) {
  write_file("a.txt", text_bytes(4000));
  write_file("b.bin", random_bytes(3000));
  std::string out;
  ASSERT_EQ(python("import zipfile\nwith zipfile.ZipFile('good.zip','w',zipfile.ZIP_DEFLATED) as z:\n"
                   "  z.write('a.txt'); z.write('b.bin'); z.comment=b'note'\n",
                   "", &out),
            0)
      << out;
  const std::string good = read_file("good.zip");
  const size_t cen = good.find("PK\x01\x02");
  ASSERT_NE(cen, std::string::npos);

  // The central directory is gone.
  write_file("nodir.zip", good.substr(0, cen));
  EXPECT_EQ(zip("nodir.zip"), 3);
  EXPECT_EQ(read_file("nodir.zip"), good.substr(0, cen));
  answers_ = winplat::screen::InstallScriptedAnswerer();
  ASSERT_EQ(zip("-F nodir.zip"), 0);
  EXPECT_TRUE(boxes().empty());
  EXPECT_EQ(python_list("nodir.zip"), "a.txt 11 21 0x81b60020\nb.bin 11 21 0x81b60020\nb''\n");
  verify("nodir.zip");

  // A central header that disagrees with its local header.
  std::string differ = good;
  differ[cen + 10] = static_cast<char>(differ[cen + 10] ^ 0x01);   // method
  write_file("differ.zip", differ);
  EXPECT_EQ(zip("differ.zip"), 3);
  ASSERT_EQ(zip("-F differ.zip"), 0);
  verify("differ.zip");
  // -F with -k: the DOS made-by.
  write_file("dos.zip", good.substr(0, cen));
  ASSERT_EQ(zip("-F -k dos.zip"), 0);
  EXPECT_EQ(python_list("dos.zip"), "a.txt 0 20 0x81b60020\nb.bin 0 20 0x81b60020\nb''\n");

  // The first local header's compressed size is wrong: -FF finds the next record and writes a
  // fresh local header with the size it found.
  std::string sized = good.substr(0, cen);
  sized[18] = static_cast<char>(sized[18] + 7);
  write_file("sized.zip", sized);
  answers_ = winplat::screen::InstallScriptedAnswerer();
  ASSERT_EQ(zip("-FF sized.zip"), 0);
  auto lines = verify("sized.zip");
  EXPECT_EQ(lines.size(), 3u);

  // A cut archive: an error without -FF, the entries that are whole with it.
  const size_t second = good.find("PK\x03\x04", 4);
  ASSERT_NE(second, std::string::npos);
  const std::string cut = good.substr(0, second + 30 + 5 + 100);
  write_file("cut.zip", cut);
  answers_ = winplat::screen::InstallScriptedAnswerer();
  EXPECT_EQ(zip("-F cut.zip"), 2);
  EXPECT_TRUE(shown(u"zip error: Unexpected end of zip file (cut.zip)"));
  EXPECT_EQ(read_file("cut.zip"), cut);
  answers_ = winplat::screen::InstallScriptedAnswerer();
  EXPECT_EQ(zip("-FF cut.zip"), 0);
  ASSERT_EQ(python("import zipfile\nz=zipfile.ZipFile('cut.zip')\nprint(z.namelist())\n"
                   "assert z.read('a.txt')==open('a.txt','rb').read()",
                   "", &out),
            0)
      << out;
  EXPECT_EQ(out, "['a.txt', 'b.bin']\n");
}

// -k: every component in DOS form (':' and blanks dropped, 8 + 3 characters, the first dot
// starts the extension, upper case), made by 20 and the attribute byte alone outside.
TEST_F(Options, DosNames) {
  write_file("long file name.text.bak", "one");
  write_file("sub folder/abc.defgh", "two");
  ASSERT_EQ(zip("-k k.zip \"long file name.text.bak\" \"sub folder/abc.defgh\""), 0);
  EXPECT_EQ(python_list("k.zip"), "LONGFILE.TEX 0 20 0x20\nSUBFOLDE/ABC.DEF 0 20 0x20\nb''\n");
  std::string out;
  ASSERT_EQ(python("import zipfile\nz=zipfile.ZipFile('k.zip')\nprint(z.read('LONGFILE.TEX'), z.read('SUBFOLDE/ABC.DEF'))",
                   "", &out),
            0);
  EXPECT_EQ(out, "b'one' b'two'\n");
  // Without -k, the names as they are, made by 0x0B15 with the mode word above the attributes.
  ASSERT_EQ(zip("n.zip \"long file name.text.bak\""), 0);
  EXPECT_EQ(python_list("n.zip"), "long file name.text.bak 11 21 0x81b60020\nb''\n");
}

// -l: LF to CR LF; -ll: CR LF to LF (a lone CR stays, also when it ends a piece of input and
// the next piece starts with CR LF). The CRC is over what was stored, at every method.
TEST_F(Options, LineEndTranslationBothWays) {
  std::string crlf;
  for (int i = 0; i < 3000; ++i) crlf += "line " + std::to_string(i) + (i % 7 == 0 ? "\r" : "") + "\r\n";
  // A CR CR LF across the 16383-byte pieces the store copy reads.
  crlf.insert(16382 - 1, "x\r\r\n");
  std::string lf;
  for (size_t i = 0; i < crlf.size(); ++i)
    if (!(crlf[i] == '\r' && i + 1 < crlf.size() && crlf[i + 1] == '\n')) lf += crlf[i];
  // Ctrl-Z: only the one that ends the file goes, however the pieces fall.
  const std::string ctrlz(std::string("a") + std::string(40000, '\x1A'));
  const std::string ctrlz_lf = ctrlz.substr(0, ctrlz.size() - 1);
  write_file("ctrlz.txt", ctrlz);
  std::string unix_text = "a\nb\n\nc";
  std::string dos_text = "a\r\nb\r\n\r\nc";
  write_file("crlf.txt", crlf);
  write_file("unix.txt", unix_text);
  struct Case {
    const char* opts;
    const char* file;
    const std::string* want;
  } cases[] = {
      {"-ll -0", "crlf.txt", &lf}, {"-ll -6", "crlf.txt", &lf}, {"-lll -1", "crlf.txt", &lf},
      {"-ll -0", "ctrlz.txt", &ctrlz_lf}, {"-ll -6", "ctrlz.txt", &ctrlz_lf},
      {"-l -0", "unix.txt", &dos_text}, {"-l -9", "unix.txt", &dos_text}, {"-0", "crlf.txt", &crlf},
  };
  int n = 0;
  for (const Case& c : cases) {
    const std::string arc = "l" + std::to_string(n++) + ".zip";
    ASSERT_EQ(zip(std::string(c.opts) + " " + arc + " " + c.file), 0) << c.opts;
    std::string out;
    ASSERT_EQ(python("import zipfile,sys\nz=zipfile.ZipFile(sys.argv[1])\nassert z.testzip() is None\n"
                     "sys.stdout.buffer.write(z.read(sys.argv[2]))",
                     arc + " " + c.file, &out),
              0)
        << c.opts << out;
    EXPECT_TRUE(out == *c.want) << c.opts << " " << c.file << " " << out.size() << " " << c.want->size();
  }
}

// -v reads the old archive aloud: entries with unusual values get informational warnings.
TEST_F(Options, VerboseReadingWarnsOfUnusualEntries) {
  std::string out;
  ASSERT_EQ(python("import zipfile\nwith zipfile.ZipFile('odd.zip','w') as z:\n"
                   "  i=zipfile.ZipInfo('odd.txt'); i.create_system=30; i.create_version=30; i.extract_version=45\n"
                   "  i.internal_attr=6; z.writestr(i, b'odd')\n"
                   "  z.writestr('plain.txt', b'plain')\n",
                   "", &out),
            0)
      << out;
  write_file("new.txt", "new");
  const std::string odd = read_file("odd.zip");
  ASSERT_EQ(zip("-v odd.zip new.txt"), 0);
  EXPECT_EQ(boxes(), (std::vector<std::u16string>{
                         u"zip warning: made by version 3.0 on system type 30: odd.txt\n",
                         u"zip warning: needs unzip 4.5 on system type 0: odd.txt\n",
                         u"zip warning: unknown internal attributes = 0x0006: odd.txt\n",
                     }));
  // Without -v (and with -v after -q) nothing is said about them; -q after -v silences them.
  struct Case {
    const char* opts;
    size_t boxes;
  } cases[] = {{"", 0}, {"-q -v", 3}, {"-v -q", 0}};
  for (const Case& c : cases) {
    write_file("odd.zip", odd);
    answers_ = winplat::screen::InstallScriptedAnswerer();
    ASSERT_EQ(zip(std::string(c.opts) + " odd.zip new.txt"), 0) << c.opts;
    EXPECT_EQ(boxes().size(), c.boxes) << c.opts;
    EXPECT_EQ(run("python3 -m zipfile -t odd.zip", &out), 0) << out;
  }
}

// -$ changes nothing in the archive; -z keeps the comment and rebuilds without names (without it
// that is nothing to do) and is refused with -d; -b takes a path before the archive name only,
// and the temporary archive is still made beside the archive.
TEST_F(Options, VolumeLabelCommentAndTemporaryPath) {
  write_file("a.txt", text_bytes(3000));
  ASSERT_EQ(zip("plain.zip a.txt"), 0);
  ASSERT_EQ(zip("-$ label.zip a.txt"), 0);
  EXPECT_EQ(read_file("label.zip"), read_file("plain.zip"));

  std::string out;
  ASSERT_EQ(python("import zipfile\nwith zipfile.ZipFile('c.zip','w') as z:\n  z.writestr('x.txt', b'x'*100)\n"
                   "  z.comment=b'the board of monday'\n",
                   "", &out),
            0);
  answers_ = winplat::screen::InstallScriptedAnswerer();
  EXPECT_EQ(zip("c.zip"), 12);
  EXPECT_TRUE(shown(u"zip error: Nothing to do! (c.zip)"));
  answers_ = winplat::screen::InstallScriptedAnswerer();
  ASSERT_EQ(zip("-z c.zip"), 0);
  EXPECT_TRUE(boxes().empty());
  EXPECT_EQ(python_list("c.zip"), "x.txt 3 20 0x1800000\nb'the board of monday'\n");
  ASSERT_EQ(zip("-z c.zip a.txt"), 0);
  EXPECT_EQ(python_list("c.zip"), "x.txt 3 20 0x1800000\na.txt 11 21 0x81b60020\nb'the board of monday'\n");
  answers_ = winplat::screen::InstallScriptedAnswerer();
  EXPECT_EQ(zip("-d -z c.zip a.txt"), 16);
  EXPECT_TRUE(shown(u"zip error: Invalid command arguments (invalid option(s) used with -d)"));

  // -b: the path is taken and not used for the temporary archive.
  fs::create_directories("tmpdir");
  answers_ = winplat::screen::InstallScriptedAnswerer();
  ASSERT_EQ(zip("-b tmpdir b.zip a.txt"), 0);
  EXPECT_TRUE(fs::is_empty("tmpdir"));
  ASSERT_EQ(zip("-b /no/such/folder b.zip a.txt"), 0);
  verify("b.zip");
  struct Case {
    const char* cmd;
    const char16_t* box;
  } cases[] = {
      {"e.zip -b tmpdir a.txt", u"zip error: Invalid command arguments (use -b before zip file name)"},
      {"-b - e.zip a.txt", u"zip error: Invalid command arguments (invalid path)"},
  };
  for (const Case& c : cases) {
    answers_ = winplat::screen::InstallScriptedAnswerer();
    EXPECT_EQ(zip(c.cmd), 16) << c.cmd;
    EXPECT_TRUE(shown(c.box)) << c.cmd;
    EXPECT_FALSE(fs::exists("e.zip")) << c.cmd;
  }
}

}  // namespace
}  // namespace ztest
