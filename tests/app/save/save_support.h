// The program on the headless screen with its program folder, the ZIP library found beside the
// tests' programs, answers for the title form, and peers (Python's zipfile, bsdtar) to read and
// make archives.
#pragma once
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "../main/main_support.h"
#include "Archives.h"
#include "DXClass.h"
#include "Unit_FileNameInput.h"
#include "Unit_Main.h"
#include "test_support.h"
#include "winplat_kernel.h"
#include "winplat_screen.h"
#include "winplat_user.h"
#include "zlib.h"

namespace savetest {

namespace fs = std::filesystem;

inline std::string ReadAll(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

inline std::string Shell(const std::string& cmd) {
  std::string out;
  if (FILE* p = popen(cmd.c_str(), "r")) {
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    pclose(p);
  }
  return out;
}

// Every regular file below a folder, by relative name, with its bytes.
inline std::map<std::string, std::string> FolderFiles(const fs::path& dir) {
  std::map<std::string, std::string> files;
  if (!fs::exists(dir)) return files;
  for (const auto& e : fs::recursive_directory_iterator(dir))
    if (e.is_regular_file()) files[fs::relative(e.path(), dir).generic_string()] = ReadAll(e.path());
  return files;
}

// The main form's fixture with the ZIP library found beside the tests' programs and the title
// form made as the program makes it.
class ProgramTest : public maintest::Program {
 protected:
  void SetUp() override {
    Program::SetUp();
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(fs::exists(fs::path(VSE_BIN_DIR) / "libzipvault.so")) << "the ZIP library is not built";
    // The ZIP library is loaded once and kept for the whole run, as the program keeps it: it
    // holds state for the life of the process, which unloading it would drop.
    winplat::SetLibraryFolder(libraryFolder);
  }
  void TearDown() override {
    winplat::SetLibraryFolder("");
    winplat::user::SetModalIdleHandler(nullptr);
    Program::TearDown();
  }
  TfrmMain* Start() {
    TfrmMain* form = Program::Start();
    Application->CreateForm(frmFileNameInput);
    return form;
  }
  fs::path Tmp(const std::string& name = "") const { return folder_ / "tmp" / name; }
  fs::path Boards(const std::string& name = "") const { return folder_ / "blackboards" / name; }

  // The centre of a control on the screen.
  static POINT CentreOf(TWinControl* c) {
    RECT r{};
    GetWindowRect(c->Handle(), &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  // While the title form shows: its title becomes Title (unless null) and the keys or clicks of
  // Steps are queued, each run in order ("enter", "escape", "ok", "cancel").
  void AnswerTitleForm(const char16_t* Title, std::vector<std::string> Steps) {
    frmFileNameInput->OnShow = [this, Title, Steps](TObject* Sender) {
      frmFileNameInput->FormShow(Sender);
      shownTitle = frmFileNameInput->edtTitle->Text();
      if (Title) frmFileNameInput->edtTitle->SetText(Title);
      for (const std::string& s : Steps) {
        if (s == "enter") screen->PressKey(VK_RETURN);
        else if (s == "escape") screen->PressKey(VK_ESCAPE);
        else {
          const POINT p = CentreOf(s == "ok" ? frmFileNameInput->btnOK : frmFileNameInput->btnCancel);
          screen->Click(p.x, p.y);
        }
      }
      if (onTitleForm) onTitleForm();
    };
  }
  // Saves under Title through the save action and the title form's OK.
  void SaveAs(const char16_t* Title) {
    AnswerTitleForm(Title, {"enter"});
    Form()->actSaveExecute(Form());
  }
  // Opens blackboards\<Name> through the open action and a click on its line of the list.
  void OpenByClick(const std::string& Name) {
    Form()->actOpenExecute(Form());
    TFileListBox* list = Form()->lstFiles;
    ASSERT_TRUE(list->Visible());
    int index = -1;
    for (int i = 0; i < list->Items()->Count(); ++i)
      if (list->Items()->Strings(i) == AnsiString(Name.c_str())) index = i;
    ASSERT_GE(index, 0) << Name << " is not listed";
    RECT r{};
    SendMessageA(list->Handle(), LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
    POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ClientToScreen(list->Handle(), &p);
    screen->Click(p.x, p.y);
    winplat::user::PumpMessages();
  }

  // A picture of noise (which no compressor shrinks) stamped at the top left of the page.
  void StampNoise(uint32_t seed, int w, int h) {
    TBitmap* b = Board().Board.get();
    uint32_t x = seed * 2654435761u + 1;
    for (int y = 0; y < h; ++y) {
      uint8_t* row = b->ScanLine(y);
      for (int i = 0; i < w * 3; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        row[i] = static_cast<uint8_t>(x);
      }
    }
    Board().LastPageDrawn = 1;
  }

  // Python's sorted list of an archive's members, one "name size crc" per line, after its test;
  // the members are extracted into ExtractTo (unless empty) by the same run.
  std::string PythonList(const fs::path& archive, const fs::path& ExtractTo = {}) {
    const fs::path script = folder_ / "list.py";
    std::ofstream(script) << "import sys, zipfile, zlib\n"
                             "z = zipfile.ZipFile(sys.argv[1])\n"
                             "assert z.testzip() is None\n"
                             "for i in sorted(z.infolist(), key=lambda i: i.filename):\n"
                             "    d = z.read(i)\n"
                             "    print(i.filename, len(d), '%08x' % zlib.crc32(d))\n"
                             "if len(sys.argv) > 2: z.extractall(sys.argv[2])\n";
    std::string cmd = "python3 '" + script.string() + "' '" + archive.string() + "'";
    if (!ExtractTo.empty()) cmd += " '" + ExtractTo.string() + "'";
    return Shell(cmd + " 2>&1");
  }
  // The same listing for the files of a folder.
  static std::string FolderList(const fs::path& dir) {
    std::string out;
    for (const auto& [name, data] : FolderFiles(dir)) {
      char crc[16];
      std::snprintf(crc, sizeof crc, "%08lx",
                    crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
      out += name + " " + std::to_string(data.size()) + " " + crc + "\n";
    }
    return out;
  }
  std::string BsdtarList(const fs::path& archive) {
    return Shell("bsdtar -tf '" + archive.string() + "' | LC_ALL=C sort 2>&1");
  }
  using Members = std::vector<std::pair<std::string, std::string>>;
  // Archives made by Python in one run: each member a (name, bytes) pair, deflated.
  void MakeZips(const std::vector<std::pair<fs::path, Members>>& archives) {
    const fs::path dir = folder_ / "zipsrc";
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::ofstream script(folder_ / "make.py");
    script << "import zipfile\n";
    int file = 0;
    for (const auto& [archive, members] : archives) {
      script << "z = zipfile.ZipFile(" << Quote(archive.string()) << ", 'w', zipfile.ZIP_DEFLATED)\n";
      for (const auto& [name, bytes] : members) {
        const fs::path src = dir / std::to_string(file++);
        std::ofstream(src, std::ios::binary) << bytes;
        script << "z.writestr(zipfile.ZipInfo(" << Quote(name) << "), open(" << Quote(src.string())
               << ", 'rb').read(), zipfile.ZIP_DEFLATED)\n";
      }
      script << "z.close()\n";
    }
    script.close();
    const std::string out = Shell("python3 -W ignore '" + (folder_ / "make.py").string() + "' 2>&1");
    ASSERT_EQ(out, "") << out;
  }
  void MakeZip(const fs::path& archive, const Members& members) { MakeZips({{archive, members}}); }
  static std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) {
      if (c == '\\' || c == '\'') q += '\\';
      q += c;
    }
    return q + "'";
  }

  std::string libraryFolder = VSE_BIN_DIR;
  WideString shownTitle;
  std::function<void()> onTitleForm;
};

}  // namespace savetest
