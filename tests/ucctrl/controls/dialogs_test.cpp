// The wide file dialogs driven by script: names outside code page 932 chosen and typed come back
// exactly, the filter is shown and applied, CDN_FILEOK asks the close query with the wide names,
// the framework's preparation reaches the dialog whole (its hook runs), cancelling changes
// nothing; InitialDir trimming and multi-selection splitting as tables; the ANSI-only platform
// runs the framework's ANSI dialog.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "UcDialogs.h"
#include "UcSysUtils.h"
#include "wide_test_support.h"
#include "winplat_user.h"

namespace fs = std::filesystem;

namespace {

// Texts outside code page 932 (test macros would narrow their spelling).
const WideString kText1 = u"keep é.jpg";
const WideString kText2 = u"C:\\pics\\a é.jpg";

constexpr int kListId = 0x460, kTypesId = 0x470, kNameId = 0x480;

const WideString kPicture = u"写真 é 𠮷.jpg";
const WideString kSaved = u"新しい 한국 ✓.zip";
const WideString kFilter = u"画像|*.jpg;*.jpeg;*.bmp;*.png";

// Exposes the splitting of an answered record.
class TProbeDialog : public TUcOpenDialog {
 public:
  using TUcOpenDialog::GetWideFileNames;
  using TUcOpenDialog::TUcOpenDialog;
};

std::vector<WideString> ListItems(HWND dlg, int id, UINT countMsg, UINT textMsg) {
  std::vector<WideString> out;
  HWND list = GetDlgItem(dlg, id);
  const int n = static_cast<int>(SendMessageW(list, countMsg, 0, 0));
  for (int i = 0; i < n; ++i) {
    char16_t b[300] = {};
    SendMessageW(list, textMsg, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(b));
    out.push_back(b);
  }
  return out;
}

// The file part of a path the dialog gives (it separates with "/" or "\\").
WideString NamePart(const WideString& Path) {
  const size_t at = Path.find_last_of(u"/\\");
  return at == WideString::npos ? Path : Path.substr(at + 1);
}

class WideDialogs : public WideUiTest {
 protected:
  void SetUp() override {
    WideUiTest::SetUp();
    fs::remove_all("pics");
    fs::create_directories("pics");
    std::ofstream(fs::path("pics") / fs::path(Utf8(kPicture))) << "x";
    std::ofstream("pics/board.bmp") << "x";
    std::ofstream("pics/notes.txt") << "x";
    folder = Here() + u"\\pics";
  }
  void TearDown() override {
    winplat::user::SetModalIdleHandler(nullptr);
    fs::current_path(start);
    WideUiTest::TearDown();
  }
  static std::u8string Utf8(const WideString& s) {
    const UTF8String u = UTF8Encode(s);
    return std::u8string(u.begin(), u.end());
  }
  static WideString Here() {
    char16_t buf[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, buf);
    return buf;
  }
  fs::path start = fs::current_path();
  WideString folder;
};

TEST_F(WideDialogs, AChosenNameOutsideTheCodePageComesBackExactly) {
  TUcOpenDialog od(nullptr);
  od.SetInitialDir(folder + u"\\");
  od.SetFilter(kFilter);
  int shown = 0;
  od.OnShow = [&](TObject*) { ++shown; };  // the framework's hook reached the wide dialog
  std::vector<WideString> listed, types;
  WideString live;
  winplat::user::SetModalIdleHandler([&](HWND dlg) {
    listed = ListItems(dlg, kListId, LB_GETCOUNT, LB_GETTEXT);
    types = ListItems(dlg, kTypesId, LB_GETCOUNT, LB_GETTEXT);
    SetDlgItemTextW(dlg, kNameId, kPicture.c_str());
    live = od.FileName();  // asked of the open dialog
    SendMessageW(dlg, WM_COMMAND, IDOK, 0);
  });
  ASSERT_TRUE(od.Execute());
  EXPECT_EQ(NamePart(live), kPicture);
  EXPECT_EQ(shown, 1);
  // The filter is shown and applied: the text file is not listed.
  ASSERT_FALSE(types.empty());
  EXPECT_EQ(types[0].substr(0, 2), u"画像");
  EXPECT_NE(std::find(listed.begin(), listed.end(), kPicture), listed.end());
  EXPECT_NE(std::find(listed.begin(), listed.end(), u"board.bmp"), listed.end());
  EXPECT_EQ(std::find(listed.begin(), listed.end(), u"notes.txt"), listed.end());
  EXPECT_EQ(NamePart(od.FileName()), kPicture);
  ASSERT_EQ(od.WideFiles()->Count(), 1);
  EXPECT_EQ(od.WideFiles()->Get(0), od.FileName());
  EXPECT_EQ(od.Files()->Strings(0), WideToAnsi(od.FileName()));
  // The framework's record reached the dialog whole: the platform's own size.
  EXPECT_EQ(od.PreparedRecord().lStructSize, sizeof(OPENFILENAMEA));
  EXPECT_NE(od.PreparedRecord().lpfnHook, nullptr);
  EXPECT_EQ(od.FilterIndex(), 1);
}

TEST_F(WideDialogs, ATypedNameInTheSaveDialogComesBackExactly) {
  TUcSaveDialog sd(nullptr);
  sd.SetInitialDir(folder);
  sd.SetFilter(u"黒板|*.zip");
  winplat::user::SetModalIdleHandler([&](HWND dlg) {
    SetDlgItemTextW(dlg, kNameId, kSaved.c_str());
    SendMessageW(dlg, WM_COMMAND, IDOK, 0);
  });
  ASSERT_TRUE(sd.Execute());
  EXPECT_EQ(NamePart(sd.FileName()), kSaved);
  EXPECT_EQ(sd.WideFiles()->Get(0), sd.FileName());
}

TEST_F(WideDialogs, TheCloseQueryHearsTheWideNamesAndMayKeepTheDialogOpen) {
  TUcOpenDialog od(nullptr);
  od.SetInitialDir(folder);
  od.SetFilter(kFilter);
  std::vector<WideString> asked;
  int queries = 0;
  od.OnCanClose = [&](TObject*, bool& CanClose) {
    ++queries;
    asked.push_back(od.WideFiles()->Count() ? od.WideFiles()->Get(0) : WideString());
    CanClose = queries > 1;
  };
  bool stayed = false;
  winplat::user::SetModalIdleHandler([&](HWND dlg) {
    SetDlgItemTextW(dlg, kNameId, kPicture.c_str());
    SendMessageW(dlg, WM_COMMAND, IDOK, 0);
    stayed = IsWindow(dlg) != FALSE;  // refused: the dialog stays
    SendMessageW(dlg, WM_COMMAND, IDOK, 0);
  });
  ASSERT_TRUE(od.Execute());
  EXPECT_TRUE(stayed);
  ASSERT_EQ(queries, 2);
  EXPECT_EQ(NamePart(asked[0]), kPicture);
  EXPECT_EQ(NamePart(od.WideFiles()->Get(0)), kPicture);
}

TEST_F(WideDialogs, CancellingChangesNothing) {
  TUcOpenDialog od(nullptr);
  od.SetFileName(u"keep é.jpg");
  winplat::user::SetModalIdleHandler([](HWND dlg) { SendMessageW(dlg, WM_COMMAND, IDCANCEL, 0); });
  EXPECT_FALSE(od.Execute());
  EXPECT_EQ(od.FileName(), kText1);
  EXPECT_EQ(od.WideFiles()->Count(), 0);
}

TEST(WideDialogText, InitialDirDropsOneTrailingBackslash) {
  struct Case {
    const char16_t* given;
    const char16_t* kept;
  };
  const std::vector<Case> cases = {
      {u"C:\\boards\\", u"C:\\boards"}, {u"C:\\", u"C:\\"},      {u"\\", u"\\"},
      {u"a\\b\\\\", u"a\\b\\"},         {u"写真\\", u"写真"},   {u"", u""},
  };
  for (const auto& c : cases) {
    TUcOpenDialog od(nullptr);
    od.SetInitialDir(c.given);
    EXPECT_EQ(od.InitialDir(), WideString(c.kept)) << WideToAnsi(c.given);
  }
}

TEST(WideDialogText, MultiSelectionIsSplitIntoFullPaths) {
  TProbeDialog od(nullptr);
  od.SetOptions(od.Options() + ofAllowMultiSelect);
  static constexpr char16_t kMulti[] = u"C:\\pics\0a é.jpg\0D:\\other\\b.jpg\0\\\\server\\c.jpg\0d.png\0";
  const WideString buffer(kMulti, sizeof kMulti / sizeof kMulti[0]);  // ends in two NULs
  OPENFILENAMEW record{};
  record.lStructSize = sizeof record;
  record.lpstrFile = const_cast<char16_t*>(buffer.c_str());
  od.GetWideFileNames(record);
  ASSERT_EQ(od.WideFiles()->Count(), 4);
  EXPECT_EQ(od.WideFiles()->Get(0), kText2);
  EXPECT_EQ(od.WideFiles()->Get(1), u"D:\\other\\b.jpg");  // already absolute
  EXPECT_EQ(od.WideFiles()->Get(2), u"\\\\server\\c.jpg");
  EXPECT_EQ(od.WideFiles()->Get(3), u"C:\\pics\\d.png");
  EXPECT_EQ(od.FileName(), od.WideFiles()->Get(0));
  EXPECT_EQ(od.Files()->Count(), 4);
  // One piece is the file itself.
  static constexpr char16_t kSingle[] = u"C:\\one.jpg\0";
  const WideString single(kSingle, sizeof kSingle / sizeof kSingle[0]);
  record.lpstrFile = const_cast<char16_t*>(single.c_str());
  od.GetWideFileNames(record);
  ASSERT_EQ(od.WideFiles()->Count(), 1);
  EXPECT_EQ(od.WideFiles()->Get(0), u"C:\\one.jpg");
}

class AnsiWideDialogs : public WideDialogs {
 protected:
  void SetUp() override {
    SwitchToAnsiPlatform();
    WideDialogs::SetUp();
  }
  void TearDown() override {
    WideDialogs::TearDown();
    SwitchToUnicodePlatform();
  }
};

TEST_F(AnsiWideDialogs, TheFrameworksAnsiDialogRunsAndTheIncludeEventStaysSilent) {
  TUcOpenDialog od(nullptr);
  od.SetInitialDir(folder);
  od.SetOptions(od.Options() + ofEnableIncludeNotify);
  int included = 0;
  od.OnIncludeItem = [&](const OFNOTIFYEXA&, bool&) { ++included; };
  ASSERT_FALSE(PlatformIsUnicode);
  winplat::user::SetModalIdleHandler([](HWND dlg) {
    SetDlgItemTextA(dlg, kNameId, "board.bmp");
    SendMessageA(dlg, WM_COMMAND, IDOK, 0);
  });
  ASSERT_TRUE(od.Execute());
  EXPECT_EQ(NamePart(od.FileName()), u"board.bmp");
  EXPECT_EQ(included, 0);
}

// The parent of an open dialog's child window answers CDM_GETFILEPATH as it is told.
struct PathAnswer {
  WideString text;   // written into the buffer (not terminated when it fills it)
  LRESULT result;    // what the message returns
};
PathAnswer g_answer;

LRESULT CALLBACK PathAnswerProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  if (Msg == CDM_GETFILEPATH) {
    auto* out = reinterpret_cast<char16_t*>(LParam);
    const size_t room = static_cast<size_t>(WParam);
    const size_t n = std::min(room, g_answer.text.size());
    std::copy(g_answer.text.begin(), g_answer.text.begin() + static_cast<ptrdiff_t>(n), out);
    if (n < room) out[n] = 0;
    return g_answer.result;
  }
  return DefWindowProcW(Wnd, Msg, WParam, LParam);
}

TEST_F(WideDialogs, TheLivePathIsCutAtTheNulOrTheCountAndNeverReadPastTheBuffer) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = PathAnswerProc;
  wc.lpszClassName = u"PathAnswerWindow";
  RegisterClassW(&wc);
  HWND parent = CreateWindowExW(0, u"PathAnswerWindow", u"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  HWND child = CreateWindowExW(0, u"PathAnswerWindow", u"", WS_CHILD, 0, 0, 5, 5, parent, nullptr, nullptr, nullptr);
  ASSERT_TRUE(parent && child);
  TUcOpenDialog od(nullptr);
  od.SetFileName(kText1);
  // Bound to the child as the framework's hook binds an open dialog's window.
  OPENFILENAMEA record{};
  record.lStructSize = sizeof record;
  record.lCustData = reinterpret_cast<LPARAM>(&od);
  TCommonDialog::DialogHook(child, WM_INITDIALOG, 0, reinterpret_cast<LPARAM>(&record));
  ASSERT_EQ(od.Handle(), child);

  const WideString full(MAX_PATH + 1, u'あ');  // the whole buffer, no terminator
  struct Case {
    PathAnswer answer;
    WideString expected;
  } cases[] = {
      {{kText2, static_cast<LRESULT>(kText2.size() + 1)}, kText2},
      {{kText2 + WideString(1, u'\0') + u"junk", 40}, kText2},      // a count past the NUL
      {{kText2, 4}, kText2.substr(0, 4)},                            // a count before it
      {{full, MAX_PATH + 1}, full},                                  // no NUL within the buffer
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.answer.result);
    g_answer = c.answer;
    EXPECT_EQ(od.FileName(), c.expected);
  }
  DestroyWindow(parent);
  EXPECT_EQ(od.Handle(), nullptr);
}

}  // namespace
