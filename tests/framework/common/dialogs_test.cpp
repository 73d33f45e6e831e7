// The common dialogs of the framework, driven on the headless screen: the file dialogs'
// prepared record, the answer, the close query, included items, multi-select and cancel; the
// colour dialog.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "Dialogs.h"
#include "Forms.h"
#include "ui_fixture.h"

namespace fs = std::filesystem;

namespace {

constexpr int kNameId = 0x480, kListId = 0x460;

class DialogsTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    saved_dir_ = fs::current_path();
    fs::create_directories("dlg");
    for (const char* n : {"dlg/a.bmp", "dlg/b.bmp", "dlg/hide.bmp", "dlg/c.txt"}) std::ofstream(n) << "x";
    folder_ = fs::absolute("dlg").string();
  }
  void TearDown() override {
    winplat::user::SetModalIdleHandler({});
    fs::current_path(saved_dir_);
    UiTest::TearDown();
  }
  // Runs each step once, one per wait of the dialog.
  void Script(std::vector<std::function<void(HWND)>> steps) {
    auto shared = std::make_shared<std::vector<std::function<void(HWND)>>>(std::move(steps));
    auto next = std::make_shared<size_t>(0);
    winplat::user::SetModalIdleHandler([shared, next](HWND dlg) {
      if (*next < shared->size()) (*shared)[(*next)++](dlg);
      else SendMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
    });
  }
  static std::vector<std::string> Listed(HWND dlg) {
    std::vector<std::string> v;
    HWND list = GetDlgItem(dlg, kListId);
    int n = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
      char b[260] = {};
      SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(b));
      v.push_back(b);
    }
    return v;
  }
  static void Choose(HWND dlg, const char* name) {
    SetDlgItemTextA(dlg, kNameId, name);
    SendMessageW(dlg, WM_COMMAND, IDOK, 0);
  }
  fs::path saved_dir_;
  std::string folder_;
};

// The record the framework prepares, seen through a substitute dialog function.
OPENFILENAMEA g_prepared;
std::string g_filter;
BOOL WINAPI CaptureRecord(LPOPENFILENAMEA ofn) {
  g_prepared = *ofn;
  g_filter.assign(ofn->lpstrFilter, ofn->lpstrFilter ? 40 : 0);
  return FALSE;
}

TEST_F(DialogsTest, DoExecutePreparesTheRecordForTheDialogFunction) {
  TOpenDialog d(nullptr);
  d.SetFilter("ビットマップ|*.bmp|すべて|*.*");
  d.SetFilterIndex(2);
  d.SetTitle("画像を開く");
  d.SetDefaultExt("bmp");
  d.SetFileName("start.bmp");
  d.SetInitialDir(folder_);
  EXPECT_FALSE(d.DoExecute(CaptureRecord));
  EXPECT_EQ(g_prepared.lStructSize, sizeof(OPENFILENAMEA));
  EXPECT_EQ(g_prepared.hwndOwner, Application->Handle());
  const DWORD want = OFN_EXPLORER | OFN_ENABLEHOOK | OFN_HIDEREADONLY | OFN_ENABLESIZING;
  EXPECT_EQ(g_prepared.Flags, want);
  EXPECT_EQ(g_prepared.nFilterIndex, 2u);
  EXPECT_EQ(g_prepared.nMaxFile, static_cast<DWORD>(MAX_PATH));
  EXPECT_EQ(g_prepared.lpfnHook, &TCommonDialog::DialogHook);
  EXPECT_EQ(g_prepared.lCustData, reinterpret_cast<LPARAM>(static_cast<TCommonDialog*>(&d)));
  // "|" became NUL and the list ends with two.
  const std::string list("ビットマップ\0*.bmp\0すべて\0*.*\0\0", 31);
  EXPECT_EQ(g_filter.substr(0, list.size()), list);
  // Multi-select takes a large buffer; the old style has no Explorer flag.
  d.SetOptions(TOpenOptions{ofAllowMultiSelect, ofOldStyleDialog, ofFileMustExist});
  d.DoExecute(CaptureRecord);
  EXPECT_EQ(g_prepared.Flags, static_cast<DWORD>(OFN_ENABLEHOOK | OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST));
  EXPECT_GT(g_prepared.nMaxFile, 60000u);
  // A refused run changes nothing.
  EXPECT_EQ(d.FileName(), "start.bmp");
  EXPECT_EQ(d.FilterIndex(), 2);
}

TEST_F(DialogsTest, OpenAnswersTheChosenFileAfterTheCloseQuery) {
  TOpenDialog d(nullptr);
  d.SetFilter("ビットマップ|*.bmp|すべて|*.*");
  d.SetInitialDir(folder_);
  d.SetOptions(TOpenOptions{ofHideReadOnly, ofFileMustExist, ofEnableIncludeNotify});
  std::vector<std::string> events, asked;
  AnsiString liveName;
  int queries = 0;
  d.OnShow = [&](TObject*) { events.push_back("show"); };
  d.OnClose = [&](TObject*) { events.push_back("close"); };
  d.OnCanClose = [&](TObject*, bool& can) {
    liveName = d.FileName();  // while up: the dialog's own path
    can = ++queries > 1;
  };
  d.OnIncludeItem = [&](const OFNOTIFYEXA& n, bool& include) {
    std::string path = static_cast<const char*>(n.pidl);
    asked.push_back(path.substr(path.find_last_of("/\\") + 1));
    include = path.find("hide") == std::string::npos;
  };
  std::vector<std::string> listed;
  HWND bound = nullptr;
  Script({[&](HWND dlg) {
            listed = Listed(dlg);
            bound = d.Handle();
            Choose(dlg, "a.bmp");  // refused by the close query: the dialog stays
          },
          [&](HWND dlg) { Choose(dlg, "b.bmp"); }});
  ASSERT_TRUE(d.Execute());
  EXPECT_EQ(queries, 2);
  EXPECT_EQ(fs::path(d.FileName().c_str()).filename(), "b.bmp");
  EXPECT_EQ(fs::path(liveName.c_str()).filename(), "b.bmp");
  ASSERT_EQ(d.Files()->Count(), 1);
  EXPECT_EQ(d.Files()->Strings(0), d.FileName());
  EXPECT_EQ(d.FilterIndex(), 1);
  EXPECT_EQ(events, (std::vector<std::string>{"show", "close"}));
  // The bound window was the hook's child dialog, inside the file dialog.
  EXPECT_NE(bound, nullptr);
  EXPECT_EQ(d.Handle(), nullptr);
  EXPECT_EQ(asked, (std::vector<std::string>{"a.bmp", "b.bmp", "hide.bmp"}));
  EXPECT_EQ(std::count(listed.begin(), listed.end(), "hide.bmp"), 0);
  EXPECT_EQ(std::count(listed.begin(), listed.end(), "a.bmp"), 1);

  // Cancel: false, the answer untouched.
  AnsiString before = d.FileName();
  Script({[&](HWND dlg) { SendMessageW(dlg, WM_COMMAND, IDCANCEL, 0); }});
  EXPECT_FALSE(d.Execute());
  EXPECT_EQ(d.FileName(), before);
}

TEST_F(DialogsTest, MultiSelectGivesFullPathsAndSaveAddsTheExtension) {
  TOpenDialog open(nullptr);
  open.SetInitialDir(folder_);
  open.SetOptions(TOpenOptions{ofAllowMultiSelect, ofFileMustExist});
  Script({[&](HWND dlg) { Choose(dlg, "\"a.bmp\" \"c.txt\""); }});
  ASSERT_TRUE(open.Execute());
  ASSERT_EQ(open.Files()->Count(), 2);
  // The folder, a separator (the platform takes both), the name.
  EXPECT_EQ(open.Files()->Strings(0), folder_ + "\\a.bmp");
  EXPECT_EQ(open.Files()->Strings(1), folder_ + "\\c.txt");
  EXPECT_EQ(open.FileName(), open.Files()->Strings(0));

  TSaveDialog save(nullptr);
  save.SetInitialDir(folder_);
  save.SetDefaultExt("zip");
  save.SetFilter("黒板|*.zip");
  Script({[&](HWND dlg) { Choose(dlg, "板書"); }});
  ASSERT_TRUE(save.Execute());
  EXPECT_EQ(fs::path(save.FileName().c_str()).filename().string(), std::string("板書.zip"));
}

TEST_F(DialogsTest, ColorDialogAnswersTheChosenColourAndKeepsCustomColours) {
  TColorDialog d(nullptr);
  d.SetColor(static_cast<TColor>(RGB(90, 70, 55)));
  d.CustomColors()->Add("ColorA=102030");
  int shows = 0;
  d.OnShow = [&](TObject*) { ++shows; };
  char red[8] = {};
  Script({[&](HWND dlg) {
    GetDlgItemTextA(dlg, 0x2C6, red, 8);
    SendMessageW(dlg, WM_COMMAND, 0x720 + 8, 0);  // the basic pure red
    SendMessageW(dlg, WM_COMMAND, IDOK, 0);
  }});
  ASSERT_TRUE(d.Execute());
  EXPECT_STREQ(red, "90");  // the dialog started at the colour
  EXPECT_EQ(d.Color(), static_cast<TColor>(RGB(255, 0, 0)));
  EXPECT_EQ(shows, 1);
  EXPECT_EQ(d.CustomColors()->Count(), 16);
  EXPECT_EQ(d.CustomColors()->Values("ColorA"), "102030");
  EXPECT_EQ(d.CustomColors()->Values("ColorB"), "FFFFFF");
  Script({[&](HWND dlg) { SendMessageW(dlg, WM_COMMAND, IDCANCEL, 0); }});
  EXPECT_FALSE(d.Execute());
  EXPECT_EQ(d.Color(), static_cast<TColor>(RGB(255, 0, 0)));
}

// The window that was active before a dialog is active again after it, also when the dialog
// was owned by the hidden application window (the form keeps the keys).
TEST_F(DialogsTest, TheWindowActiveBeforeADialogIsActiveAfterIt) {
  TForm* form = CreateNewForm<TForm>(Application);
  form->SetBounds(0, 0, 300, 200);
  form->Show();
  SetActiveWindow(form->Handle());
  ASSERT_EQ(GetActiveWindow(), form->Handle());
  TOpenDialog open(nullptr);
  open.SetInitialDir(folder_);
  HWND activeWhileUp = nullptr;
  Script({[&](HWND dlg) {
    activeWhileUp = GetActiveWindow();
    SendMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
  }});
  EXPECT_FALSE(open.Execute());
  EXPECT_NE(activeWhileUp, form->Handle());
  EXPECT_EQ(GetActiveWindow(), form->Handle());
  EXPECT_TRUE(IsWindowEnabled(form->Handle()));
  TColorDialog colour(nullptr);
  Script({[&](HWND dlg) { SendMessageW(dlg, WM_COMMAND, IDOK, 0); }});
  EXPECT_TRUE(colour.Execute());
  EXPECT_EQ(GetActiveWindow(), form->Handle());
  delete form;
}

}  // namespace

