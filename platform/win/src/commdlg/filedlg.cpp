// GetOpenFileName and GetSaveFileName: our own modal dialog with a folder list, a name field
// and a list of file types; the caller's hook as a child dialog (Explorer style) or on the
// dialog itself (old style), and the CDN_ notifications and CDM_ messages the hook relies on.
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "commdlg.h"
#include "controls/control_window.h"
#include "codepages/casemap.h"
#include "commdlg/commdlg_private.h"
#include "commdlg/filedlg_model.h"
#include "internal/modules.h"
#include "internal/paths.h"
#include "internal/text.h"
#include "internal/wide_calls.h"
#include "windows.h"

namespace winplat::commdlg {

DWORD& LastError() {
  static DWORD e = 0;
  return e;
}

namespace {

// Control identifiers as the platform's file dialogs number them.
constexpr int kReadOnlyId = 0x410;  // chx1
constexpr int kTypeLabelId = 0x441;  // stc2
constexpr int kNameLabelId = 0x442;  // stc3
constexpr int kFolderLabelId = 0x443;  // stc4
constexpr int kFolderId = 0x444;
constexpr int kListId = 0x460;  // lst1
constexpr int kTypesId = 0x470;  // cmb1
constexpr int kNameId = 0x480;  // edt1

// The caller's record and what the dialog keeps while it runs.
struct FileDialog {
  bool save = false;
  bool unicode = true;
  OPENFILENAMEW* ofnW = nullptr;  // the caller's (W calls) or our wide copy (A calls)
  OPENFILENAMEA* ofnA = nullptr;  // the caller's (A calls)
  std::vector<Filter> filters;
  std::u16string customFilter;
  std::u16string folder;
  std::vector<Entry> entries;
  std::u16string defExt;
  HWND dlg = nullptr;
  HWND hookChild = nullptr;
  bool ok = false;
  DWORD error = 0;
};

bool Multi(const FileDialog& f) { return (f.ofnW->Flags & OFN_ALLOWMULTISELECT) != 0; }
bool Explorer(const FileDialog& f) { return (f.ofnW->Flags & OFN_EXPLORER) != 0; }
bool Hooked(const FileDialog& f) { return (f.ofnW->Flags & OFN_ENABLEHOOK) && f.ofnW->lpfnHook; }

LPARAM CallerRecord(const FileDialog& f) {
  return f.unicode ? reinterpret_cast<LPARAM>(f.ofnW) : reinterpret_cast<LPARAM>(f.ofnA);
}

std::u16string Patterns(const FileDialog& f) {
  DWORD i = f.ofnW->nFilterIndex;
  if (i >= 1 && i <= f.filters.size()) return f.filters[i - 1].patterns;
  if (!f.customFilter.empty()) return f.customFilter;
  return f.filters.empty() ? u"*.*" : f.filters.front().patterns;
}

std::u16string ItemText(HWND dlg, int id) {
  HWND c = GetDlgItem(dlg, id);
  int n = c ? GetWindowTextLengthW(c) : 0;
  std::u16string s(static_cast<size_t>(n) + 1, u'\0');
  if (c) GetWindowTextW(c, s.data(), n + 1);
  s.resize(static_cast<size_t>(n));
  return s;
}

// Sends a CDN_ notification to the hook: answers what the hook put into DWL_MSGRESULT.
LRESULT Notify(FileDialog& f, UINT code, const std::u16string& file = {}) {
  if (!Hooked(f)) return 0;
  HWND target = Explorer(f) ? f.hookChild : f.dlg;
  if (!target) return 0;
  if (f.unicode) {
    OFNOTIFYW n{};
    n.hdr.hwndFrom = f.dlg;
    n.hdr.code = code;
    n.lpOFN = f.ofnW;
    std::u16string copy = file;
    n.pszFile = file.empty() ? nullptr : copy.data();
    return SendMessageW(target, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&n));
  }
  OFNOTIFYA n{};
  n.hdr.hwndFrom = f.dlg;
  n.hdr.code = code;
  n.lpOFN = f.ofnA;
  std::string a = WideToAnsi(file);
  n.pszFile = file.empty() ? nullptr : a.data();
  return SendMessageA(target, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&n));
}

// With OFN_ENABLEINCLUDENOTIFY the hook decides about each file (folders always show): the
// notification's record is an OFNOTIFYEX whose pidl points to the item's full path, NUL-ended,
// in the hook's kind (psf is null). The hook's own return value decides (not DWL_MSGRESULT):
// zero leaves the file out.
bool Included(FileDialog& f, const Entry& e) {
  if (e.folder || !Hooked(f) || !Explorer(f) || !(f.ofnW->Flags & OFN_ENABLEINCLUDENOTIFY) || !f.hookChild) return true;
  std::u16string full = JoinPath(f.folder, e.name);
  if (f.unicode) {
    OFNOTIFYEXW n{};
    n.hdr.hwndFrom = f.dlg;
    n.hdr.code = CDN_INCLUDEITEM;
    n.lpOFN = f.ofnW;
    n.pidl = full.data();
    return f.ofnW->lpfnHook(f.hookChild, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&n)) != 0;
  }
  std::string a = WideToAnsi(full);
  OFNOTIFYEXA n{};
  n.hdr.hwndFrom = f.dlg;
  n.hdr.code = CDN_INCLUDEITEM;
  n.lpOFN = f.ofnA;
  n.pidl = a.data();
  return f.ofnW->lpfnHook(f.hookChild, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&n)) != 0;
}

void FillList(FileDialog& f) {
  HWND list = GetDlgItem(f.dlg, kListId);
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  f.entries = ListFolder(f.folder, Patterns(f));
  f.entries.erase(std::remove_if(f.entries.begin(), f.entries.end(), [&f](const Entry& e) { return !Included(f, e); }),
                  f.entries.end());
  for (size_t i = 0; i < f.entries.size(); ++i) {
    const Entry& e = f.entries[i];
    std::u16string shown = e.folder ? u"[" + e.name + u"]" : e.name;
    int at = static_cast<int>(SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(shown.c_str())));
    SendMessageW(list, LB_SETITEMDATA, static_cast<WPARAM>(at), static_cast<LPARAM>(i));
  }
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  SetDlgItemTextW(f.dlg, kFolderId, f.folder.c_str());
}

void ChangeFolder(FileDialog& f, const std::u16string& folder) {
  f.folder = folder;
  FillList(f);
  Notify(f, CDN_FOLDERCHANGE);
}

bool IsFolder(const std::u16string& path) {
  DWORD a = FileAttributes(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}
bool Exists(const std::u16string& path) { return FileAttributes(path) != INVALID_FILE_ATTRIBUTES; }

std::u16string FullName(const FileDialog& f, const std::u16string& name) {
  bool absolute = !name.empty() && (name[0] == u'/' || name[0] == u'\\' || (name.size() > 1 && name[1] == u':'));
  return absolute ? FullPathLexical(name) : FullPathLexical(JoinPath(f.folder, name));
}

// The names the dialog would answer now: typed ones, or the selected files.
std::vector<std::u16string> CurrentNames(FileDialog& f) {
  std::vector<std::u16string> names = SplitTypedNames(ItemText(f.dlg, kNameId));
  if (!Multi(f) && names.size() > 1) names.resize(1);
  return names;
}

void ShowSelection(FileDialog& f) {
  HWND list = GetDlgItem(f.dlg, kListId);
  std::vector<std::u16string> files;
  int n = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    if (SendMessageW(list, LB_GETSEL, static_cast<WPARAM>(i), 0) <= 0) continue;
    size_t k = static_cast<size_t>(SendMessageW(list, LB_GETITEMDATA, static_cast<WPARAM>(i), 0));
    if (k < f.entries.size() && !f.entries[k].folder) files.push_back(f.entries[k].name);
  }
  if (files.empty()) return;
  std::u16string text;
  if (files.size() == 1) {
    text = files.front();
  } else {
    for (auto& s : files) text += (text.empty() ? u"\"" : u" \"") + s + u"\"";
  }
  SetDlgItemTextW(f.dlg, kNameId, text.c_str());
  Notify(f, CDN_SELCHANGE);
}

int Ask(FileDialog& f, const std::u16string& text, UINT type) {
  return MessageBoxW(f.dlg, text.c_str(), f.save ? u"名前を付けて保存" : u"ファイルを開く", type);
}

// Writes the answer into the caller's record; false when its buffer is too small.
bool WriteAnswer(FileDialog& f, const Answer& a, const std::vector<std::u16string>& names) {
  OPENFILENAMEW& w = *f.ofnW;
  std::u16string title = names.empty() ? std::u16string() : names.front().substr(FileNameOffset(names.front()));
  if (f.unicode) {
    if (a.buffer.size() > w.nMaxFile) {
      if (w.lpstrFile && w.nMaxFile >= 1) *reinterpret_cast<WORD*>(w.lpstrFile) = static_cast<WORD>(std::min<size_t>(a.buffer.size(), 0xFFFF));
      f.error = FNERR_BUFFERTOOSMALL;
      return false;
    }
    std::copy(a.buffer.begin(), a.buffer.end(), w.lpstrFile);
    w.nFileOffset = a.fileOffset;
    w.nFileExtension = a.extensionOffset;
    if (w.lpstrFileTitle && w.nMaxFileTitle > 0) {
      size_t n = std::min<size_t>(title.size(), w.nMaxFileTitle - 1);
      std::copy_n(title.data(), n, w.lpstrFileTitle);
      w.lpstrFileTitle[n] = 0;
    }
    return true;
  }
  // The ANSI answer: the same text in the code page, offsets counted in bytes.
  OPENFILENAMEA& an = *f.ofnA;
  std::string bytes;
  for (size_t i = 0, s = 0; i <= a.buffer.size(); ++i) {
    if (i == a.buffer.size() || a.buffer[i] == 0) {
      if (i > s) bytes += WideToAnsi(std::u16string_view(a.buffer).substr(s, i - s));
      if (i < a.buffer.size()) bytes.push_back('\0');
      s = i + 1;
    }
  }
  if (bytes.size() > an.nMaxFile) {
    if (an.lpstrFile && an.nMaxFile >= 2) *reinterpret_cast<WORD*>(an.lpstrFile) = static_cast<WORD>(std::min<size_t>(bytes.size(), 0xFFFF));
    f.error = FNERR_BUFFERTOOSMALL;
    return false;
  }
  std::memcpy(an.lpstrFile, bytes.data(), bytes.size());
  an.nFileOffset = static_cast<WORD>(WideToAnsi(std::u16string_view(a.buffer).substr(0, a.fileOffset)).size());
  an.nFileExtension = a.extensionOffset
                          ? static_cast<WORD>(WideToAnsi(std::u16string_view(a.buffer).substr(0, a.extensionOffset)).size())
                          : 0;
  if (an.lpstrFileTitle && an.nMaxFileTitle > 0) {
    std::string t = WideToAnsi(title);
    size_t n = std::min<size_t>(t.size(), an.nMaxFileTitle - 1);
    std::memcpy(an.lpstrFileTitle, t.data(), n);
    an.lpstrFileTitle[n] = 0;
  }
  return true;
}

// A typed pattern becomes the caller's custom filter: its description kept, the pattern
// replaced, when the buffer holds both.
void SaveCustomFilter(FileDialog& f) {
  if (f.unicode) {
    OPENFILENAMEW& w = *f.ofnW;
    if (!w.lpstrCustomFilter) return;
    std::u16string desc = w.lpstrCustomFilter;
    if (desc.size() + f.customFilter.size() + 3 > w.nMaxCustFilter) return;
    std::u16string all = desc + u'\0' + f.customFilter + u'\0' + u'\0';
    std::copy(all.begin(), all.end(), w.lpstrCustomFilter);
    return;
  }
  OPENFILENAMEA& a = *f.ofnA;
  if (!a.lpstrCustomFilter) return;
  std::string desc = a.lpstrCustomFilter, pattern = WideToAnsi(f.customFilter);
  if (desc.size() + pattern.size() + 3 > a.nMaxCustFilter) return;
  std::string all = desc + '\0' + pattern + '\0' + '\0';
  std::memcpy(a.lpstrCustomFilter, all.data(), all.size());
}

// The OK button: navigate, filter, or check the names and finish.
void Accept(FileDialog& f) {
  std::vector<std::u16string> names = CurrentNames(f);
  if (names.empty()) {
    // Nothing typed: the selected folder opens.
    HWND list = GetDlgItem(f.dlg, kListId);
    int cur = static_cast<int>(SendMessageW(list, LB_GETCARETINDEX, 0, 0));
    size_t k = static_cast<size_t>(SendMessageW(list, LB_GETITEMDATA, static_cast<WPARAM>(cur), 0));
    if (k < f.entries.size() && f.entries[k].folder) ChangeFolder(f, FullFolder(f.folder, f.entries[k].name));
    return;
  }
  if (names.size() == 1) {
    const std::u16string& n = names.front();
    if (n.find_first_of(u"*?") != std::u16string::npos) {
      f.customFilter = n.substr(FileNameOffset(n));
      std::u16string dir = n.substr(0, FileNameOffset(n));
      f.ofnW->nFilterIndex = 0;
      if (!f.unicode) f.ofnA->nFilterIndex = 0;
      SaveCustomFilter(f);
      if (!dir.empty()) f.folder = FullFolder(f.folder, dir);
      FillList(f);
      return;
    }
    std::u16string full = FullName(f, n);
    if (IsFolder(full)) {
      ChangeFolder(f, full);
      SetDlgItemTextW(f.dlg, kNameId, u"");
      return;
    }
  }
  std::vector<std::u16string> fulls;
  for (auto& n : names) {
    std::u16string full = FullName(f, n);
    std::u16string withExt = WithDefaultExtension(full, f.defExt);
    // Opening: the default extension only when the name as typed does not exist.
    if (f.save || !Exists(full)) full = withExt;
    std::u16string parent = full.substr(0, FileNameOffset(full));
    if ((f.ofnW->Flags & (OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST)) && !parent.empty() && !IsFolder(parent)) {
      Ask(f, full + u"\nパスが存在しません。\nパスを確認してください。", MB_OK | MB_ICONEXCLAMATION);
      return;
    }
    if (!f.save && (f.ofnW->Flags & OFN_FILEMUSTEXIST) && !Exists(full)) {
      Ask(f, full + u"\nファイルが見つかりません。\nファイル名を確認してください。", MB_OK | MB_ICONEXCLAMATION);
      return;
    }
    if (f.save && (f.ofnW->Flags & OFN_OVERWRITEPROMPT) && Exists(full)) {
      if (Ask(f, full + u" は既に存在します。\n上書きしますか?", MB_YESNO | MB_ICONEXCLAMATION) != IDYES) return;
    }
    fulls.push_back(full);
  }
  Answer a;
  if (fulls.size() == 1) {
    a = BuildAnswer(f.folder, fulls, Multi(f) && Explorer(f));
  } else {
    std::vector<std::u16string> bare;
    for (auto& p : fulls) bare.push_back(p.substr(FileNameOffset(p)));
    a = BuildAnswer(f.folder, bare, true);
  }
  // The hook sees the record filled in, and may refuse.
  OPENFILENAMEW& w = *f.ofnW;
  DWORD flagsBefore = w.Flags;
  if (!f.defExt.empty() && fulls.size() == 1) {
    std::u16string_view ext = std::u16string_view(fulls.front()).substr(ExtensionOffset(fulls.front()));
    bool differs = ext.size() != f.defExt.size() || cp::CompareNoCase(ext, f.defExt) != 0;
    w.Flags = differs ? (w.Flags | OFN_EXTENSIONDIFFERENT) : (w.Flags & ~OFN_EXTENSIONDIFFERENT);
  }
  if (!(w.Flags & OFN_HIDEREADONLY)) {
    bool ro = IsDlgButtonChecked(f.dlg, kReadOnlyId) == BST_CHECKED;
    w.Flags = ro ? (w.Flags | OFN_READONLY) : (w.Flags & ~OFN_READONLY);
  }
  if (!f.unicode) f.ofnA->Flags = w.Flags;
  if (!WriteAnswer(f, a, fulls)) {
    EndDialog(f.dlg, IDCANCEL);
    return;
  }
  if (!f.unicode) f.ofnA->nFilterIndex = w.nFilterIndex;
  std::u16string first = fulls.front();
  // The hook refuses by answering nonzero with a nonzero DWL_MSGRESULT; a result left from an
  // earlier refusal does not count.
  if (Hooked(f) && Explorer(f) && f.hookChild) SetWindowLongPtrW(f.hookChild, DWLP_MSGRESULT, 0);
  if (Notify(f, CDN_FILEOK, first) != 0) {
    w.Flags = flagsBefore;
    if (!f.unicode) f.ofnA->Flags = flagsBefore;
    return;  // refused: the dialog stays
  }
  if (!(w.Flags & OFN_NOCHANGEDIR)) SetCurrentFolder(f.folder);
  f.ok = true;
  EndDialog(f.dlg, IDOK);
}

// Copies text into a CDM_ caller's buffer of the dialog's kind; answers the size needed.
LRESULT CopyOut(FileDialog& f, const std::u16string& s, WPARAM size, LPARAM buf) {
  if (f.unicode) {
    if (buf && size > 0) {
      size_t n = std::min<size_t>(s.size(), size - 1);
      std::copy_n(s.data(), n, reinterpret_cast<char16_t*>(buf));
      reinterpret_cast<char16_t*>(buf)[n] = 0;
    }
    return static_cast<LRESULT>(s.size() + 1);
  }
  std::string a = WideToAnsi(s);
  if (buf && size > 0) {
    size_t n = std::min<size_t>(a.size(), size - 1);
    std::memcpy(reinterpret_cast<char*>(buf), a.data(), n);
    reinterpret_cast<char*>(buf)[n] = 0;
  }
  return static_cast<LRESULT>(a.size() + 1);
}

LRESULT CdmMessage(FileDialog& f, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case CDM_GETFILEPATH: {
      auto names = CurrentNames(f);
      if (names.empty()) return CopyOut(f, f.folder, wp, lp);
      if (names.size() == 1) return CopyOut(f, FullName(f, names.front()), wp, lp);
      std::u16string joined;
      for (auto& n : names) joined += (joined.empty() ? u"\"" : u" \"") + FullName(f, n) + u"\"";
      return CopyOut(f, joined, wp, lp);
    }
    case CDM_GETSPEC:
      return CopyOut(f, ItemText(f.dlg, kNameId), wp, lp);
    case CDM_GETFOLDERPATH:
      return CopyOut(f, f.folder, wp, lp);
    case CDM_SETCONTROLTEXT:
      if (f.unicode) SetDlgItemTextW(f.dlg, static_cast<int>(wp), reinterpret_cast<LPCWSTR>(lp));
      else SetDlgItemTextA(f.dlg, static_cast<int>(wp), reinterpret_cast<LPCSTR>(lp));
      return 0;
    case CDM_HIDECONTROL:
      if (HWND c = GetDlgItem(f.dlg, static_cast<int>(wp))) ShowWindow(c, SW_HIDE);
      return 0;
    case CDM_SETDEFEXT:
      f.defExt = f.unicode ? std::u16string(lp ? reinterpret_cast<const char16_t*>(lp) : u"")
                           : AnsiToWide(lp ? reinterpret_cast<const char*>(lp) : "");
      return 0;
    default:
      return -1;
  }
}

// The dialogs running, by window: kept here rather than in window properties or DWL_USER,
// which an old-style hook may use and which the ANSI-only platform's W property calls lack.
INT_PTR CALLBACK TemplateOnlyProc(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG ? TRUE : FALSE; }

// The caller's child dialog inside ours: from its template (by name in the record's instance,
// or the template itself with OFN_ENABLETEMPLATEHANDLE), else an empty one; its procedure is the
// Explorer-style hook. CDM_ messages reach us as its parent.
HWND CreateChild(FileDialog& f, HWND h) {
  OPENFILENAMEW& w = *f.ofnW;
  DLGPROC proc = Hooked(f) && Explorer(f) ? reinterpret_cast<DLGPROC>(w.lpfnHook) : TemplateOnlyProc;
  LPARAM rec = CallerRecord(f);
  if (w.Flags & OFN_ENABLETEMPLATEHANDLE) {
    const auto* t = reinterpret_cast<const DLGTEMPLATEW*>(f.unicode ? static_cast<void*>(w.hInstance)
                                                                     : static_cast<void*>(f.ofnA->hInstance));
    if (!t) return nullptr;
    return f.unicode ? CreateDialogIndirectParamW(nullptr, t, h, proc, rec) : CreateDialogIndirectParamA(nullptr, t, h, proc, rec);
  }
  if (w.Flags & OFN_ENABLETEMPLATE) {
    if (f.unicode) return w.lpTemplateName ? CreateDialogParamW(w.hInstance, w.lpTemplateName, h, proc, rec) : nullptr;
    return f.ofnA->lpTemplateName ? CreateDialogParamA(f.ofnA->hInstance, f.ofnA->lpTemplateName, h, proc, rec) : nullptr;
  }
  static const DLGTEMPLATEW kChild = [] {
    DLGTEMPLATEW t{};
    t.style = WS_CHILD | DS_CONTROL | DS_3DLOOK;
    return t;
  }();
  return f.unicode ? CreateDialogIndirectParamW(nullptr, &kChild, h, proc, rec) : CreateDialogIndirectParamA(nullptr, &kChild, h, proc, rec);
}

// The child's controls go below ours: the dialog grows by the child's size.
void PlaceChild(HWND dlg, HWND child) {
  if (!child) return;
  RECT cr, dr, wr;
  GetWindowRect(child, &cr);
  GetClientRect(dlg, &dr);
  GetWindowRect(dlg, &wr);
  int cw = cr.right - cr.left, ch = cr.bottom - cr.top;
  SetWindowPos(child, nullptr, 0, dr.bottom, cw, ch, SWP_NOZORDER | SWP_NOACTIVATE);
  if (ch > 0 || cw > dr.right) {
    int growW = std::max(0, cw - static_cast<int>(dr.right));
    SetWindowPos(dlg, nullptr, 0, 0, (wr.right - wr.left) + growW, (wr.bottom - wr.top) + ch,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
  }
  ShowWindow(child, SW_SHOWNA);
}

std::vector<std::pair<HWND, FileDialog*>>& Running() {
  static std::vector<std::pair<HWND, FileDialog*>> running;
  return running;
}
FileDialog* StateOf(HWND h) {
  for (auto& r : Running())
    if (r.first == h) return r.second;
  return nullptr;
}
void Forget(HWND h) {
  auto& r = Running();
  r.erase(std::remove_if(r.begin(), r.end(), [h](const auto& e) { return e.first == h; }), r.end());
}

INT_PTR CALLBACK DialogProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  auto* f = StateOf(h);
  if (msg == WM_INITDIALOG) {
    f = reinterpret_cast<FileDialog*>(lp);
    Running().push_back({h, reinterpret_cast<FileDialog*>(lp)});
    f->dlg = h;
    OPENFILENAMEW& w = *f->ofnW;
    if (w.lpstrTitle) SetWindowTextW(h, w.lpstrTitle);
    HWND types = GetDlgItem(h, kTypesId);
    for (auto& flt : f->filters) SendMessageW(types, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(flt.description.c_str()));
    if (w.nFilterIndex >= 1 && w.nFilterIndex <= f->filters.size()) SendMessageW(types, LB_SETCURSEL, w.nFilterIndex - 1, 0);
    if (w.Flags & OFN_HIDEREADONLY) ShowWindow(GetDlgItem(h, kReadOnlyId), SW_HIDE);
    else if (w.Flags & OFN_READONLY) CheckDlgButton(h, kReadOnlyId, BST_CHECKED);
    // The initial name, and its folder when it has one.
    std::u16string initial = w.lpstrFile ? std::u16string(w.lpstrFile) : std::u16string();
    if (!initial.empty() && FileNameOffset(initial) > 0) {
      std::u16string dir = initial.substr(0, FileNameOffset(initial));
      if (!w.lpstrInitialDir || !*w.lpstrInitialDir) f->folder = FullFolder(f->folder, dir);
      initial = initial.substr(FileNameOffset(initial));
    }
    SetDlgItemTextW(h, kNameId, initial.c_str());
    if ((Hooked(*f) && Explorer(*f)) || (w.Flags & (OFN_ENABLETEMPLATE | OFN_ENABLETEMPLATEHANDLE))) {
      f->hookChild = CreateChild(*f, h);
      if (!f->hookChild && (w.Flags & (OFN_ENABLETEMPLATE | OFN_ENABLETEMPLATEHANDLE))) {
        f->error = CDERR_FINDRESFAILURE;
        EndDialog(h, IDCANCEL);
        return FALSE;
      }
      PlaceChild(h, f->hookChild);
    }
    FillList(*f);
    if (Hooked(*f)) {
      if (Explorer(*f)) Notify(*f, CDN_INITDONE);
      else w.lpfnHook(h, WM_INITDIALOG, wp, CallerRecord(*f));  // the old style: the dialog's own WM_INITDIALOG
    }
    SetFocus(GetDlgItem(h, kNameId));
    return FALSE;
  }
  if (!f) return FALSE;
  // An old-style hook sees every message first.
  if (Hooked(*f) && !Explorer(*f) && msg != WM_INITDIALOG) {
    if (f->ofnW->lpfnHook(h, msg, wp, lp)) return TRUE;
  }
  if (msg >= CDM_FIRST && msg <= CDM_LAST) {
    SetWindowLongPtrW(h, DWLP_MSGRESULT, CdmMessage(*f, msg, wp, lp));
    return TRUE;
  }
  switch (msg) {
    case WM_COMMAND: {
      int id = LOWORD(wp), code = HIWORD(wp);
      if (id == IDOK && (code == BN_CLICKED || code == 0)) {
        Accept(*f);
        return TRUE;
      }
      if (id == IDCANCEL) {
        EndDialog(h, IDCANCEL);
        return TRUE;
      }
      if (id == kListId && code == LBN_SELCHANGE) {
        ShowSelection(*f);
        return TRUE;
      }
      if (id == kListId && code == LBN_DBLCLK) {
        HWND list = GetDlgItem(h, kListId);
        int cur = static_cast<int>(SendMessageW(list, LB_GETCARETINDEX, 0, 0));
        size_t k = static_cast<size_t>(SendMessageW(list, LB_GETITEMDATA, static_cast<WPARAM>(cur), 0));
        if (k < f->entries.size()) {
          if (f->entries[k].folder) {
            ChangeFolder(*f, FullFolder(f->folder, f->entries[k].name));
          } else {
            SetDlgItemTextW(h, kNameId, f->entries[k].name.c_str());
            Accept(*f);
          }
        }
        return TRUE;
      }
      if (id == kTypesId && code == LBN_SELCHANGE) {
        int cur = static_cast<int>(SendMessageW(GetDlgItem(h, kTypesId), LB_GETCURSEL, 0, 0));
        f->ofnW->nFilterIndex = static_cast<DWORD>(cur + 1);
        if (!f->unicode) f->ofnA->nFilterIndex = f->ofnW->nFilterIndex;
        FillList(*f);
        Notify(*f, CDN_TYPECHANGE);
        return TRUE;
      }
      return FALSE;
    }
    case WM_DESTROY:
      Forget(h);
      return FALSE;
    default:
      return FALSE;
  }
}

DLGITEMTEMPLATEW Item(DWORD style, short x, short y, short cx, short cy, WORD id, const char16_t* cls, const char16_t* text) {
  DLGITEMTEMPLATEW it{};
  it.style = WS_CHILD | WS_VISIBLE | style;
  it.x = x;
  it.y = y;
  it.cx = cx;
  it.cy = cy;
  it.id = id;
  it.windowClass = cls;
  it.title = text;
  return it;
}

BOOL Run(FileDialog& f) {
  controls::RegisterControlClasses();
  OPENFILENAMEW& w = *f.ofnW;
  f.filters = ParseFilter(w.lpstrFilter);
  if (w.lpstrCustomFilter && *w.lpstrCustomFilter) {
    const char16_t* p = w.lpstrCustomFilter;
    p += std::char_traits<char16_t>::length(p) + 1;
    f.customFilter = p;
  }
  if (w.lpstrDefExt) f.defExt = w.lpstrDefExt;
  std::u16string cwd = CurrentFolder();
  f.folder = FullFolder(cwd, w.lpstrInitialDir ? std::u16string(w.lpstrInitialDir) : std::u16string());
  if (!IsFolder(f.folder)) f.folder = FullFolder(cwd, u"");

  bool multi = (w.Flags & OFN_ALLOWMULTISELECT) != 0;
  const char16_t* okText = f.save ? u"保存(&S)" : u"開く(&O)";
  DLGITEMTEMPLATEW items[] = {
      Item(SS_LEFT, 6, 6, 30, 9, kFolderLabelId, u"STATIC", u"場所:"),
      Item(SS_LEFT | SS_NOPREFIX | SS_PATHELLIPSIS, 38, 6, 230, 9, kFolderId, u"STATIC", u""),
      Item(WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | (multi ? LBS_EXTENDEDSEL : 0), 6, 18, 262,
           96, kListId, u"LISTBOX", u""),
      Item(SS_LEFT, 6, 122, 60, 9, kNameLabelId, u"STATIC", u"ファイル名(&N):"),
      Item(WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 70, 120, 142, 13, kNameId, u"EDIT", u""),
      Item(SS_LEFT, 6, 140, 60, 9, kTypeLabelId, u"STATIC", u"ファイルの種類(&T):"),
      Item(WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, 70, 138, 142, 28, kTypesId, u"LISTBOX", u""),
      Item(BS_AUTOCHECKBOX | WS_TABSTOP, 6, 168, 90, 10, kReadOnlyId, u"BUTTON", u"読み取り専用(&R)"),
      Item(BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 218, 119, 50, 14, IDOK, u"BUTTON", okText),
      Item(BS_PUSHBUTTON | WS_TABSTOP, 218, 137, 50, 14, IDCANCEL, u"BUTTON", u"キャンセル"),
  };
  DLGTEMPLATEW t{};
  t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER | DS_SETFONT;
  t.cx = 274;
  t.cy = 184;
  t.title = f.save ? u"名前を付けて保存" : u"ファイルを開く";
  t.typeface = u"MS UI Gothic";
  t.pointSize = 9;
  t.items = items;
  t.cdit = static_cast<WORD>(sizeof(items) / sizeof(items[0]));
  INT_PTR r = DialogBoxIndirectParamW(nullptr, &t, w.hwndOwner, DialogProc, reinterpret_cast<LPARAM>(&f));
  if (r == -1) f.error = CDERR_DIALOGFAILURE;
  LastError() = f.error;
  return f.ok ? TRUE : FALSE;
}

bool SizeOk(DWORD size, size_t full, size_t v400) { return size == full || size == v400; }

BOOL RunW(OPENFILENAMEW* ofn, bool save) {
  LastError() = 0;
  if (!ofn || !SizeOk(ofn->lStructSize, sizeof(OPENFILENAMEW), OPENFILENAME_SIZE_VERSION_400W)) {
    LastError() = CDERR_STRUCTSIZE;
    return FALSE;
  }
  if (!ofn->lpstrFile || ofn->nMaxFile == 0) {
    LastError() = CDERR_INITIALIZATION;
    return FALSE;
  }
  FileDialog f;
  f.save = save;
  f.unicode = true;
  f.ofnW = ofn;
  return Run(f);
}

// The ANSI calls run the wide dialog on a wide copy of the record; the hook still gets the
// caller's own record.
BOOL RunA(OPENFILENAMEA* ofn, bool save) {
  LastError() = 0;
  if (!ofn || !SizeOk(ofn->lStructSize, sizeof(OPENFILENAMEA), OPENFILENAME_SIZE_VERSION_400A)) {
    LastError() = CDERR_STRUCTSIZE;
    return FALSE;
  }
  if (!ofn->lpstrFile || ofn->nMaxFile == 0) {
    LastError() = CDERR_INITIALIZATION;
    return FALSE;
  }
  auto list = [](const char* p) {
    std::u16string out;
    if (!p) return out;
    while (*p) {
      std::string s(p);
      out += AnsiToWide(s);
      out.push_back(u'\0');
      p += s.size() + 1;
    }
    out.push_back(u'\0');
    return out;
  };
  std::u16string filter = list(ofn->lpstrFilter), custom = list(ofn->lpstrCustomFilter);
  std::u16string file = AnsiToWide(ofn->lpstrFile);
  file.resize(std::max<size_t>(file.size() + 1, static_cast<size_t>(ofn->nMaxFile) * 2 + 2), u'\0');
  std::u16string title = ofn->lpstrTitle ? AnsiToWide(ofn->lpstrTitle) : std::u16string();
  std::u16string dir = ofn->lpstrInitialDir ? AnsiToWide(ofn->lpstrInitialDir) : std::u16string();
  std::u16string ext = ofn->lpstrDefExt ? AnsiToWide(ofn->lpstrDefExt) : std::u16string();
  OPENFILENAMEW w{};
  w.lStructSize = sizeof(w);
  w.hwndOwner = ofn->hwndOwner;
  w.lpstrFilter = ofn->lpstrFilter ? filter.c_str() : nullptr;
  w.lpstrCustomFilter = ofn->lpstrCustomFilter ? custom.data() : nullptr;
  w.nFilterIndex = ofn->nFilterIndex;
  w.lpstrFile = file.data();
  w.nMaxFile = static_cast<DWORD>(file.size());
  w.lpstrInitialDir = ofn->lpstrInitialDir ? dir.c_str() : nullptr;
  w.lpstrTitle = ofn->lpstrTitle ? title.c_str() : nullptr;
  w.Flags = ofn->Flags;
  w.lpstrDefExt = ofn->lpstrDefExt ? ext.c_str() : nullptr;
  w.lCustData = ofn->lCustData;
  w.lpfnHook = ofn->lpfnHook;
  w.hInstance = ofn->hInstance;  // the template is taken from the caller's record in its own kind
  FileDialog f;
  f.save = save;
  f.unicode = false;
  f.ofnW = &w;
  f.ofnA = ofn;
  return Run(f);
}

}  // namespace

}  // namespace winplat::commdlg

BOOL WINAPI GetOpenFileNameW(LPOPENFILENAMEW ofn) {
  if (VSE_WIDE_CALL_REFUSED()) return FALSE;
  return winplat::commdlg::RunW(ofn, false);
}
BOOL WINAPI GetSaveFileNameW(LPOPENFILENAMEW ofn) {
  if (VSE_WIDE_CALL_REFUSED()) return FALSE;
  return winplat::commdlg::RunW(ofn, true);
}
BOOL WINAPI GetOpenFileNameA(LPOPENFILENAMEA ofn) { return winplat::commdlg::RunA(ofn, false); }
BOOL WINAPI GetSaveFileNameA(LPOPENFILENAMEA ofn) { return winplat::commdlg::RunA(ofn, true); }
DWORD WINAPI CommDlgExtendedError() { return winplat::commdlg::LastError(); }

VSE_EXPORT("comdlg32.dll", GetOpenFileNameW);
VSE_EXPORT("comdlg32.dll", GetSaveFileNameW);
VSE_EXPORT("comdlg32.dll", GetOpenFileNameA);
VSE_EXPORT("comdlg32.dll", GetSaveFileNameA);
VSE_EXPORT("comdlg32.dll", CommDlgExtendedError);
