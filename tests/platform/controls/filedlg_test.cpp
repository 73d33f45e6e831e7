// The file dialogs as modal windows, driven from the modal loop's idle handler: the hook's
// WM_INITDIALOG, CDN_FILEOK refused then accepted, CDM_GETFILEPATH, multi-select answers.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "canvas.h"
#include "commdlg.h"
#include "internal/text.h"
#include "windows.h"
#include "winplat_mode.h"
#include "winplat_screen.h"
#include "winplat_user.h"

namespace fs = std::filesystem;

namespace {

struct HookLog {
  bool initDialog = false;
  LPARAM initParam = 0;
  int fileOk = 0;
  std::u16string pathSeen;
  bool refuseFirst = true;
};
HookLog g_hook;

UINT_PTR CALLBACK Hook(HWND h, UINT msg, WPARAM, LPARAM lp) {
  if (msg == WM_INITDIALOG) {
    g_hook.initDialog = true;
    g_hook.initParam = lp;
    return TRUE;
  }
  if (msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lp)->code == CDN_FILEOK) {
    ++g_hook.fileOk;
    char16_t buf[512] = {};
    SendMessageW(GetParent(h), CDM_GETFILEPATH, 512, reinterpret_cast<LPARAM>(buf));
    g_hook.pathSeen = buf;
    if (g_hook.refuseFirst && g_hook.fileOk == 1) {
      SetWindowLongPtrW(h, DWLP_MSGRESULT, 1);
      return TRUE;
    }
  }
  return FALSE;
}

std::u16string Here() { return winplat::Utf8ToWide(fs::current_path().string()); }

// The dialogs move the working folder to the chosen one (without OFN_NOCHANGEDIR); each test
// puts it back so the next one starts where it expects.
struct KeepFolder {
  fs::path at = fs::current_path();
  ~KeepFolder() { fs::current_path(at); }
};

}  // namespace

TEST(FileDialogWindow, HookSeesInitAndFileOkAndTheAnswerComesBack) {
  KeepFolder keep;
  fs::create_directories("dlg/sub");
  std::ofstream(fs::path(u8"dlg/板書.zip")) << "x";
  std::ofstream("dlg/other.txt") << "x";
  std::u16string folder = Here() + u"/dlg";
  char16_t file[260] = {};
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.lpstrFilter = u"黒板 (*.zip)\0*.zip\0すべて\0*.*\0";
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file;
  ofn.nMaxFile = 260;
  ofn.lpstrInitialDir = folder.c_str();
  ofn.lpstrDefExt = u"zip";
  ofn.Flags = OFN_EXPLORER | OFN_ENABLEHOOK | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  ofn.lpfnHook = Hook;
  g_hook = {};
  int idles = 0;
  std::vector<std::u16string> listed;
  winplat::user::SetModalIdleHandler([&](HWND dlg) {
    ++idles;
    if (idles == 1) {
      HWND list = GetDlgItem(dlg, 0x460);
      int n = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
      for (int i = 0; i < n; ++i) {
        char16_t b[260] = {};
        SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(b));
        listed.push_back(b);
      }
      SetDlgItemTextW(dlg, 0x480, u"板書");  // the default extension completes it
      SendMessageW(dlg, WM_COMMAND, IDOK, 0);
      EXPECT_TRUE(IsWindow(dlg));               // the hook refused: the dialog stays
      SendMessageW(dlg, WM_COMMAND, IDOK, 0);  // the second time it agrees
    } else {
      EndDialog(dlg, IDCANCEL);
    }
  });
  BOOL ok = GetOpenFileNameW(&ofn);
  winplat::user::SetModalIdleHandler(nullptr);
  ASSERT_TRUE(ok) << CommDlgExtendedError();
  EXPECT_TRUE(g_hook.initDialog);
  EXPECT_EQ(g_hook.initParam, reinterpret_cast<LPARAM>(&ofn));
  EXPECT_EQ(g_hook.fileOk, 2);
  EXPECT_EQ(listed, (std::vector<std::u16string>{u"[..]", u"[sub]", u"板書.zip"}));
  std::u16string want = folder + u"/板書.zip";
  EXPECT_EQ(std::u16string(file), want);
  EXPECT_EQ(g_hook.pathSeen, folder + u"/板書");
  EXPECT_EQ(ofn.nFileOffset, folder.size() + 1);
  EXPECT_EQ(ofn.nFileExtension, want.size() - 3);
  EXPECT_FALSE(ofn.Flags & OFN_EXTENSIONDIFFERENT);
}

TEST(FileDialogWindow, MultiSelectAnsiAndCancel) {
  KeepFolder keep;
  fs::create_directories("multi");
  std::ofstream("multi/a.zip") << "x";
  std::ofstream("multi/b.zip") << "x";
  std::string folder = winplat::WideToAnsi(Here() + u"/multi");
  char file[512] = {};
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.lpstrFile = file;
  ofn.nMaxFile = sizeof(file);
  ofn.lpstrInitialDir = folder.c_str();
  ofn.Flags = OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST;
  winplat::user::SetModalIdleHandler([&](HWND dlg) {
    SetDlgItemTextW(dlg, 0x480, u"\"a.zip\" \"b.zip\"");
    SendMessageW(dlg, WM_COMMAND, IDOK, 0);
  });
  ASSERT_TRUE(GetOpenFileNameA(&ofn));
  std::string expect = folder + std::string("\0a.zip\0b.zip\0\0", 14);
  EXPECT_EQ(std::string(file, expect.size()), expect);
  EXPECT_EQ(ofn.nFileOffset, folder.size() + 1);

  // Cancel answers FALSE with no error; a missing file keeps the dialog open.
  int idles = 0;
  winplat::user::SetModalIdleHandler([&](HWND dlg) {
    if (++idles == 1) {
      SetDlgItemTextW(dlg, 0x480, u"missing.zip");
      SendMessageW(dlg, WM_COMMAND, IDOK, 0);
    } else {
      SendMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
    }
  });
  EXPECT_FALSE(GetOpenFileNameA(&ofn));
  EXPECT_EQ(CommDlgExtendedError(), 0u);
  EXPECT_GE(idles, 2);
  winplat::user::SetModalIdleHandler(nullptr);
}

TEST(FileDialogWindow, BufferTooSmallIsReported) {
  KeepFolder keep;
  fs::create_directories("small");
  std::ofstream("small/long-file-name.zip") << "x";
  std::u16string folder = Here() + u"/small";
  char16_t file[8] = {};
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.lpstrFile = file;
  ofn.nMaxFile = 8;
  ofn.lpstrInitialDir = folder.c_str();
  ofn.Flags = OFN_EXPLORER;
  winplat::user::SetModalIdleHandler([&](HWND dlg) {
    SetDlgItemTextW(dlg, 0x480, u"long-file-name.zip");
    SendMessageW(dlg, WM_COMMAND, IDOK, 0);
  });
  EXPECT_FALSE(GetSaveFileNameW(&ofn));
  winplat::user::SetModalIdleHandler(nullptr);
  EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(FNERR_BUFFERTOOSMALL));
  EXPECT_EQ(*reinterpret_cast<WORD*>(file), folder.size() + 1 + 18 + 1);
}

namespace {

std::string g_ansiPath;
LPARAM g_ansiInit = 0;

UINT_PTR CALLBACK AnsiHook(HWND h, UINT msg, WPARAM, LPARAM lp) {
  if (msg == WM_INITDIALOG) g_ansiInit = lp;
  if (msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lp)->code == CDN_FILEOK) {
    char buf[512] = {};
    SendMessageA(GetParent(h), CDM_GETFILEPATH, sizeof(buf), reinterpret_cast<LPARAM>(buf));
    g_ansiPath = buf;
    EXPECT_EQ(reinterpret_cast<OFNOTIFYA*>(lp)->lpOFN, reinterpret_cast<OPENFILENAMEA*>(g_ansiInit));
  }
  return FALSE;
}

}  // namespace

TEST(FileDialogWindow, AnsiHookGetsTheAnsiRecordAndBytes) {
  KeepFolder keep;
  fs::create_directories("ansi");
  std::ofstream(fs::path(u8"ansi/黒板.zip")) << "x";
  std::string folder = winplat::WideToAnsi(Here() + u"/ansi");
  char file[260] = {};
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.lpstrFile = file;
  ofn.nMaxFile = sizeof(file);
  ofn.lpstrInitialDir = folder.c_str();
  ofn.Flags = OFN_EXPLORER | OFN_ENABLEHOOK | OFN_FILEMUSTEXIST;
  ofn.lpfnHook = AnsiHook;
  winplat::user::SetModalIdleHandler([](HWND dlg) {
    // Picking the file in the list fills the name field.
    HWND list = GetDlgItem(dlg, 0x460);
    int i = static_cast<int>(SendMessageW(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(u"黒板.zip")));
    ASSERT_GE(i, 0);
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(i), 0);
    SendMessageW(dlg, WM_COMMAND, MAKELONG(0x460, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    SendMessageW(dlg, WM_COMMAND, IDOK, 0);
  });
  BOOL ok = GetOpenFileNameA(&ofn);
  winplat::user::SetModalIdleHandler(nullptr);
  ASSERT_TRUE(ok);
  EXPECT_EQ(g_ansiInit, reinterpret_cast<LPARAM>(&ofn));
  std::string want = folder + "/" + winplat::WideToAnsi(u"黒板.zip");
  EXPECT_EQ(std::string(file), want);
  EXPECT_EQ(g_ansiPath, want);
  EXPECT_EQ(ofn.nFileOffset, folder.size() + 1);
  EXPECT_EQ(ofn.nFileExtension, want.size() - 3);  // offsets count bytes
}

TEST(FileDialogWindow, TypedNameAndEnterByScriptedInput) {
  KeepFolder keep;
  fs::create_directories("typed");
  std::u16string folder = Here() + u"/typed";
  char16_t file[260] = {};
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.lpstrFile = file;
  ofn.nMaxFile = 260;
  ofn.lpstrInitialDir = folder.c_str();
  ofn.lpstrFilter = u"黒板\0*.zip\0";
  ofn.lpstrDefExt = u"zip";
  ofn.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST;
  int idles = 0;
  winplat::user::SetModalIdleHandler([&](HWND) {
    if (++idles > 1) return;  // a second idle would mean the keys did not reach the dialog
    auto& screen = *winplat::screen::Headless();
    screen.TypeText(u"新しい板書");
    screen.PressKey(VK_RETURN);
  });
  BOOL ok = GetSaveFileNameW(&ofn);
  winplat::user::SetModalIdleHandler(nullptr);
  ASSERT_TRUE(ok) << CommDlgExtendedError();
  EXPECT_EQ(std::u16string(file), folder + u"/新しい板書.zip");
  EXPECT_EQ(idles, 1);
  EXPECT_EQ(Here(), folder);  // without OFN_NOCHANGEDIR the working folder follows the choice
}

// The open dialog on the screen, written as PNG for a look.
TEST(FileDialogWindow, ScreenshotOfTheOpenDialog) {
  KeepFolder keep;
  fs::create_directories(fs::path(u8"shot/写真"));
  for (const char8_t* n : {u8"shot/板書1.zip", u8"shot/板書2.zip", u8"shot/notes.zip"}) std::ofstream(fs::path(n)) << "x";
  std::u16string folder = Here() + u"/shot";
  char16_t file[260] = {};
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.lpstrFile = file;
  ofn.nMaxFile = 260;
  ofn.lpstrInitialDir = folder.c_str();
  ofn.lpstrFilter = u"黒板 (*.zip)\0*.zip\0すべてのファイル (*.*)\0*.*\0";
  ofn.nFilterIndex = 1;
  ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY;
  bool saved = false;
  winplat::user::SetModalIdleHandler([&](HWND dlg) {
    HWND list = GetDlgItem(dlg, 0x460);
    SendMessageW(list, LB_SETCURSEL, 3, 0);
    SendMessageW(dlg, WM_COMMAND, MAKELONG(0x460, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    winplat::user::PumpMessages();
    int w = 0, h = 0;
    std::vector<uint32_t> px = winplat::screen::Headless()->Screenshot(&w, &h);
    RECT r;
    GetWindowRect(dlg, &r);
    int cw = r.right - r.left, ch = r.bottom - r.top;
    std::vector<uint32_t> crop(static_cast<size_t>(cw) * ch);
    for (int y = 0; y < ch; ++y)
      for (int x = 0; x < cw; ++x) crop[static_cast<size_t>(y) * cw + x] = px[static_cast<size_t>(y + r.top) * w + x + r.left];
    saved = SavePixelsPng("file_dialog.png", cw, ch, crop.data());
    if (const char* keep = std::getenv("VSE_KEEP_SHOTS")) SavePixelsPng(std::string(keep) + "/file_dialog.png", cw, ch, crop.data());
    SendMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_FALSE(GetOpenFileNameW(&ofn));
  winplat::user::SetModalIdleHandler(nullptr);
  EXPECT_TRUE(saved);
}

TEST(FileDialogWindow, WorksOnTheAnsiOnlyPlatform) {
  KeepFolder keep;
  fs::create_directories("nine");
  std::ofstream("nine/a.zip") << "x";
  std::string folder = winplat::WideToAnsi(Here() + u"/nine");
  char file[260] = {};
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.lpstrFile = file;
  ofn.nMaxFile = sizeof(file);
  ofn.lpstrInitialDir = folder.c_str();
  ofn.lpstrFilter = "ZIP\0*.zip\0";
  ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST;
  int listed = 0, idles = 0;
  winplat::user::SetModalIdleHandler([&](HWND dlg) {
    if (++idles > 1) {  // something refused: end it rather than loop
      SendMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
      return;
    }
    listed = static_cast<int>(SendDlgItemMessageA(dlg, 0x460, LB_GETCOUNT, 0, 0));
    SetDlgItemTextA(dlg, 0x480, "a.zip");
    SendMessageA(dlg, WM_COMMAND, IDOK, 0);
  });
  winplat::SetAnsiOnlyPlatform(true);
  BOOL ok = GetOpenFileNameA(&ofn);
  winplat::SetAnsiOnlyPlatform(false);
  winplat::user::SetModalIdleHandler(nullptr);
  ASSERT_TRUE(ok) << CommDlgExtendedError();
  EXPECT_EQ(listed, 2);  // ".." and a.zip
  EXPECT_EQ(std::string(file), folder + "/a.zip");
}

TEST(FileDialogWindow, ATypedPatternFiltersAndBecomesTheCustomFilter) {
  KeepFolder keep;
  fs::create_directories("pattern");
  std::ofstream("pattern/a.zip") << "x";
  std::ofstream("pattern/b.txt") << "x";
  std::u16string folder = Here() + u"/pattern";
  char16_t file[260] = {};
  char16_t custom[64] = u"mine";
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.lpstrFile = file;
  ofn.nMaxFile = 260;
  ofn.lpstrInitialDir = folder.c_str();
  ofn.lpstrFilter = u"ZIP\0*.zip\0";
  ofn.nFilterIndex = 1;
  ofn.lpstrCustomFilter = custom;
  ofn.nMaxCustFilter = 64;
  ofn.Flags = OFN_EXPLORER;
  std::vector<std::u16string> before, after;
  auto names = [](HWND dlg) {
    std::vector<std::u16string> out;
    HWND list = GetDlgItem(dlg, 0x460);
    for (int i = 0; i < static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0)); ++i) {
      char16_t b[64] = {};
      SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(b));
      out.push_back(b);
    }
    return out;
  };
  winplat::user::SetModalIdleHandler([&](HWND dlg) {
    before = names(dlg);
    SetDlgItemTextW(dlg, 0x480, u"*.txt");
    SendMessageW(dlg, WM_COMMAND, IDOK, 0);
    after = names(dlg);
    SendMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_FALSE(GetOpenFileNameW(&ofn));
  winplat::user::SetModalIdleHandler(nullptr);
  EXPECT_EQ(before, (std::vector<std::u16string>{u"[..]", u"a.zip"}));
  EXPECT_EQ(after, (std::vector<std::u16string>{u"[..]", u"b.txt"}));
  EXPECT_EQ(std::u16string(custom), u"mine");
  EXPECT_EQ(std::u16string(custom + 5), u"*.txt");
  EXPECT_EQ(ofn.nFilterIndex, 0u);
}

namespace {
std::vector<std::u16string> g_asked;  // CDN_INCLUDEITEM paths, in order
bool g_childInit = false;

UINT_PTR CALLBACK IncludeHook(HWND, UINT msg, WPARAM, LPARAM lp) {
  if (msg == WM_INITDIALOG) g_childInit = true;
  if (msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lp)->code == CDN_INCLUDEITEM) {
    auto* n = reinterpret_cast<OFNOTIFYEXW*>(lp);
    std::u16string path = static_cast<const char16_t*>(n->pidl);
    g_asked.push_back(path);
    return path.find(u"hide") == std::u16string::npos;  // the answer is the message's result
  }
  return FALSE;
}

std::vector<std::u16string> ListedNames(HWND dlg) {
  std::vector<std::u16string> v;
  HWND list = GetDlgItem(dlg, 0x460);
  int n = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    char16_t b[260] = {};
    SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(b));
    v.push_back(b);
  }
  return v;
}
}  // namespace

TEST(FileDialogWindow, IncludeItemAsksForEachFileAndATemplateGoesBelow) {
  KeepFolder keep;
  fs::create_directories("incl/folder_hide");
  for (const char* n : {"incl/a.bmp", "incl/hide.bmp", "incl/b.bmp"}) std::ofstream(n) << "x";
  std::u16string folder = Here() + u"/incl";
  // The caller's child template: one static text, 40 dialog units high.
  DLGITEMTEMPLATEW item{};
  item.style = WS_CHILD | WS_VISIBLE | SS_LEFT;
  item.x = 4;
  item.y = 4;
  item.cx = 100;
  item.cy = 10;
  item.id = 1234;
  item.windowClass = u"STATIC";
  item.title = u"プレビュー";
  DLGTEMPLATEW child{};
  child.style = WS_CHILD | DS_CONTROL | WS_CLIPSIBLINGS;
  child.cx = 200;
  child.cy = 40;
  child.items = &item;
  child.cdit = 1;
  HINSTANCE inst = reinterpret_cast<HINSTANCE>(static_cast<uintptr_t>(0x5A5A0000));
  winplat::user::RegisterDialogTemplate(inst, u"PREVIEW", &child);

  struct Case { const char* name; DWORD flags; bool handle; bool expectAsked; };
  const std::vector<Case> cases = {
      {"template by name, include notify", OFN_ENABLETEMPLATE | OFN_ENABLEINCLUDENOTIFY, false, true},
      {"template by handle", OFN_ENABLETEMPLATEHANDLE | OFN_ENABLEINCLUDENOTIFY, true, true},
      {"no include notify", OFN_ENABLETEMPLATE, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    g_asked.clear();
    g_childInit = false;
    char16_t file[260] = {};
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.lpstrFilter = u"BMP\0*.bmp\0";
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file;
    ofn.nMaxFile = 260;
    ofn.lpstrInitialDir = folder.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_ENABLEHOOK | OFN_NOCHANGEDIR | c.flags;
    ofn.lpfnHook = IncludeHook;
    ofn.hInstance = c.handle ? reinterpret_cast<HINSTANCE>(&child) : inst;
    ofn.lpTemplateName = u"PREVIEW";
    std::vector<std::u16string> listed;
    bool childBelow = false;
    winplat::user::SetModalIdleHandler([&](HWND dlg) {
      listed = ListedNames(dlg);
      // The template's control is in a child dialog of ours, below our own controls.
      HWND hookChild = FindWindowExW(dlg, nullptr, u"#32770", nullptr);
      RECT cr{}, cancel{}, whole{};
      if (hookChild) GetWindowRect(hookChild, &cr);
      GetWindowRect(GetDlgItem(dlg, IDCANCEL), &cancel);
      GetWindowRect(dlg, &whole);
      childBelow = hookChild && GetDlgItem(hookChild, 1234) && cr.top >= cancel.bottom && cr.bottom <= whole.bottom &&
                   IsWindowVisible(hookChild);
      EndDialog(dlg, IDCANCEL);
    });
    EXPECT_FALSE(GetOpenFileNameW(&ofn));
    winplat::user::SetModalIdleHandler({});
    EXPECT_EQ(CommDlgExtendedError(), 0u);
    EXPECT_TRUE(g_childInit);
    EXPECT_TRUE(childBelow);
    if (c.expectAsked) {
      // Files only, in the list's order; the refused one is not listed, the folder always is.
      ASSERT_EQ(g_asked.size(), 3u);
      EXPECT_EQ(g_asked[0], folder + u"/a.bmp");
      EXPECT_EQ(listed, (std::vector<std::u16string>{u"[..]", u"[folder_hide]", u"a.bmp", u"b.bmp"}));
    } else {
      EXPECT_TRUE(g_asked.empty());
      EXPECT_EQ(listed.size(), 5u);
    }
  }
  // A template that is not there fails the call.
  char16_t file[260] = {};
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.lpstrFile = file;
  ofn.nMaxFile = 260;
  ofn.Flags = OFN_EXPLORER | OFN_ENABLETEMPLATE;
  ofn.hInstance = inst;
  ofn.lpTemplateName = u"MISSING";
  EXPECT_FALSE(GetOpenFileNameW(&ofn));
  EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(CDERR_FINDRESFAILURE));
}
