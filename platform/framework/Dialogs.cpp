#include "Dialogs.h"

#include <algorithm>

#include "Forms.h"
#include "SysUtils.h"
#include "TypInfo.h"

bool NewStyleControls = true;
bool ForceCurrentDirectory = false;

namespace {

// The dialogs whose windows are bound now, by window.
std::vector<std::pair<HWND, TCommonDialog*>>& Bound() {
  static std::vector<std::pair<HWND, TCommonDialog*>> v;
  return v;
}

TCommonDialog* DialogOf(HWND h) {
  for (auto& [w, d] : Bound())
    if (w == h) return d;
  return nullptr;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TCommonDialog.

TCommonDialog::TCommonDialog(TComponent* AOwner) : TComponent(AOwner) {}

TCommonDialog::~TCommonDialog() {
  Unbind();
  ModalEnd();
}

void TCommonDialog::Bind(HWND Wnd) {
  handle_ = Wnd;
  Bound().push_back({Wnd, this});
  object_instance_ = MakeObjectInstance(TWndMethod::Of<&TCommonDialog::MainWndProc>(this));
  def_proc_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(object_instance_)));
}

void TCommonDialog::Unbind() {
  if (!handle_) return;
  auto& v = Bound();
  v.erase(std::remove_if(v.begin(), v.end(), [this](const auto& p) { return p.second == this; }), v.end());
  if (IsWindow(handle_) && GetWindowLongPtrA(handle_, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(object_instance_))
    SetWindowLongPtrA(handle_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(def_proc_));
  if (object_instance_) FreeObjectInstance(object_instance_);
  object_instance_ = nullptr;
  def_proc_ = nullptr;
  handle_ = nullptr;
}

void TCommonDialog::MainWndProc(TMessage& Message) {
  try {
    WndProc(Message);
  } catch (...) {
    if (Application) Application->HandleException(this);
  }
  // The window is gone: let go of it.
  if (Message.Msg == WM_NCDESTROY) Unbind();
}

// WM_INITDIALOG comes from the hook, once the dialog's own procedure has seen it.
void TCommonDialog::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_INITDIALOG:
      DoShow();
      Message.Result = TRUE;
      return;
    case WM_DESTROY:
      DoClose();
      break;
    default:
      break;
  }
  DefaultHandler(Message);
}

void TCommonDialog::DefaultHandler(TMessage& Message) {
  if (handle_ && def_proc_) Message.Result = CallWindowProcA(def_proc_, handle_, Message.Msg, Message.WParam, Message.LParam);
}

UINT_PTR CALLBACK TCommonDialog::DialogHook(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  if (Msg == WM_INITDIALOG) {
    // Every record of the framework names its dialog object in its custom data.
    TCommonDialog* dialog = nullptr;
    if (LParam) {
      const DWORD size = *reinterpret_cast<const DWORD*>(LParam);
      if (size == sizeof(OPENFILENAMEA) || size == OPENFILENAME_SIZE_VERSION_400A)
        dialog = reinterpret_cast<TCommonDialog*>(reinterpret_cast<const OPENFILENAMEA*>(LParam)->lCustData);
      else if (size == sizeof(CHOOSECOLORA))
        dialog = reinterpret_cast<TCommonDialog*>(reinterpret_cast<const CHOOSECOLORA*>(LParam)->lCustData);
    }
    if (dialog && !dialog->handle_) {
      dialog->Bind(Wnd);
      // The dialog's WM_INITDIALOG has been delivered: the object sees it now.
      TMessage m{Msg, WParam, LParam, 0};
      dialog->WndProc(m);
    }
    return TRUE;
  }
  if (Msg == WM_NOTIFY && LParam && reinterpret_cast<const NMHDR*>(LParam)->code == CDN_INCLUDEITEM) {
    if (TCommonDialog* d = DialogOf(Wnd)) {
      TMessage m{Msg, WParam, LParam, 0};
      d->WndProc(m);
      return static_cast<UINT_PTR>(m.Result);
    }
  }
  return 0;
}

void TCommonDialog::DoClose() {
  if (OnClose) OnClose(this);
}

void TCommonDialog::DoShow() {
  if (OnShow) OnShow(this);
}

namespace {
BOOL CALLBACK CollectEnabled(HWND h, LPARAM lp) {
  if (IsWindowVisible(h) && IsWindowEnabled(h)) reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
  return TRUE;
}
}  // namespace

// The program's visible windows wait while the dialog is up, as they do for a modal form.
void TCommonDialog::ModalBegin() {
  if (Application) Application->ModalStarted();
  active_before_ = GetActiveWindow();
  disabled_.clear();
  EnumWindows(CollectEnabled, reinterpret_cast<LPARAM>(&disabled_));
  for (HWND h : disabled_) EnableWindow(h, FALSE);
}

void TCommonDialog::ModalEnd() {
  if (disabled_.empty() && !Application) return;
  for (HWND h : disabled_)
    if (IsWindow(h)) EnableWindow(h, TRUE);
  bool was = !disabled_.empty();
  disabled_.clear();
  // The dialog's owner may be the hidden application window, which takes no activation: the
  // window active before the dialog gets it back.
  if (active_before_ && IsWindow(active_before_) && IsWindowVisible(active_before_)) SetActiveWindow(active_before_);
  active_before_ = nullptr;
  if (Application && was) Application->ModalFinished();
}

// ---------------------------------------------------------------------------------------------
// TOpenDialog.

namespace {

constexpr DWORD kOpenFlags[] = {
    OFN_READONLY, OFN_OVERWRITEPROMPT, OFN_HIDEREADONLY, OFN_NOCHANGEDIR, OFN_SHOWHELP, OFN_NOVALIDATE,
    OFN_ALLOWMULTISELECT, OFN_EXTENSIONDIFFERENT, OFN_PATHMUSTEXIST, OFN_FILEMUSTEXIST, OFN_CREATEPROMPT,
    OFN_SHAREAWARE, OFN_NOREADONLYRETURN, OFN_NOTESTFILECREATE, OFN_NONETWORKBUTTON, OFN_NOLONGNAMES,
    0 /* ofOldStyleDialog: no OFN_EXPLORER */, OFN_NODEREFERENCELINKS, OFN_ENABLEINCLUDENOTIFY, OFN_ENABLESIZING,
    OFN_DONTADDTORECENT, OFN_FORCESHOWHIDDEN};

// The multi-select buffer's size in bytes (as the framework allows), else a path's.
constexpr DWORD kMultiSelectBufferSize = 0xFFFF - 16;

// "desc|mask|desc|mask" as the double-NUL list the record takes.
std::string FilterList(const AnsiString& filter) {
  // The text is converted to wide to find the bars: 0x7C can be a trail byte of the code page.
  WideString w = AnsiToWide(filter);
  std::replace(w.begin(), w.end(), u'|', u'\0');
  std::string out;
  size_t start = 0;
  for (size_t i = 0; i <= w.size(); ++i) {
    if (i == w.size() || w[i] == u'\0') {
      out += WideToAnsi(w.substr(start, i - start));
      out.push_back('\0');
      start = i + 1;
    }
  }
  out.push_back('\0');
  return out;
}

}  // namespace

TOpenDialog::TOpenDialog(TComponent* AOwner)
    : TCommonDialog(AOwner), files_(std::make_unique<TStringList>()), history_list_(std::make_unique<TStringList>()) {}

TOpenDialog::~TOpenDialog() = default;

bool TOpenDialog::Execute() { return DoExecute(GetOpenFileNameA); }

bool TSaveDialog::Execute() { return DoExecute(GetSaveFileNameA); }

bool TOpenDialog::DoExecute(TOpenDialogFunc DialogFunc) {
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = Application ? Application->Handle() : GetActiveWindow();
  ofn.hInstance = nullptr;
  std::string filter = FilterList(filter_);
  if (!filter_.empty()) ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = static_cast<DWORD>(filter_index_);
  const bool multi = options_.Contains(ofAllowMultiSelect);
  std::vector<char> buffer(multi ? kMultiSelectBufferSize : MAX_PATH, '\0');
  std::copy_n(file_name_.begin(), std::min(file_name_.size(), buffer.size() - 1), buffer.begin());
  ofn.lpstrFile = buffer.data();
  ofn.nMaxFile = static_cast<DWORD>(buffer.size());
  std::string initial = initial_dir_;
  if (initial.empty() && ForceCurrentDirectory) initial = ".";
  if (!initial.empty()) ofn.lpstrInitialDir = initial.c_str();
  if (!title_.empty()) ofn.lpstrTitle = title_.c_str();
  DWORD flags = OFN_ENABLEHOOK;
  for (int o = ofReadOnly; o <= ofForceShowHidden; ++o)
    if (options_.Contains(static_cast<TOpenOption>(o))) flags |= kOpenFlags[o];
  if (NewStyleControls && !options_.Contains(ofOldStyleDialog)) flags |= OFN_EXPLORER;
  else flags &= ~OFN_ENABLESIZING;
  if (Template()) {
    flags |= OFN_ENABLETEMPLATE;
    ofn.lpTemplateName = Template();
  }
  ofn.Flags = flags;
  if (!default_ext_.empty()) ofn.lpstrDefExt = default_ext_.c_str();
  ofn.lCustData = reinterpret_cast<LPARAM>(static_cast<TCommonDialog*>(this));
  ofn.lpfnHook = &TCommonDialog::DialogHook;
  ofn.FlagsEx = options_ex_.Contains(ofExNoPlacesBar) ? OFN_EX_NOPLACESBAR : 0;

  BOOL ok = TaskModalDialog(DialogFunc, &ofn);
  if (!ok) return false;
  GetFileNames(ofn);
  if (ofn.Flags & OFN_EXTENSIONDIFFERENT) options_.Include(ofExtensionDifferent);
  else options_.Exclude(ofExtensionDifferent);
  if (ofn.Flags & OFN_READONLY) options_.Include(ofReadOnly);
  else options_.Exclude(ofReadOnly);
  filter_index_ = static_cast<int>(ofn.nFilterIndex);
  return true;
}

// One name, or (multi-select) the folder then the names: NUL-separated for the Explorer
// style, blank-separated for the old one. Names that are not absolute get the folder.
void TOpenDialog::GetFileNames(const OPENFILENAMEA& OpenFileName) {
  files_->Clear();
  const char* p = OpenFileName.lpstrFile;
  if (!p) return;
  const bool explorer = (OpenFileName.Flags & OFN_EXPLORER) != 0;
  const char separator = explorer ? '\0' : ' ';
  if (!(OpenFileName.Flags & OFN_ALLOWMULTISELECT)) {
    file_name_ = p;
    files_->Add(file_name_);
    return;
  }
  std::vector<AnsiString> pieces;
  if (explorer) {
    while (*p) {
      pieces.emplace_back(p);
      p += pieces.back().size() + 1;
    }
  } else {
    AnsiString all = p;
    size_t start = 0;
    for (size_t i = 0; i <= all.size(); ++i)
      if (i == all.size() || all[i] == separator) {
        if (i > start) pieces.push_back(all.substr(start, i - start));
        start = i + 1;
      }
  }
  if (pieces.empty()) return;
  if (pieces.size() == 1) {
    file_name_ = pieces[0];
    files_->Add(file_name_);
    return;
  }
  AnsiString dir = IncludeTrailingPathDelimiter(pieces[0]);
  for (size_t i = 1; i < pieces.size(); ++i) {
    WideString w = AnsiToWide(pieces[i]);
    bool absolute = (!w.empty() && w[0] == u'\\') || (w.size() >= 3 && w[1] == u':' && w[2] == u'\\');
    files_->Add(absolute ? pieces[i] : dir + pieces[i]);
  }
  file_name_ = files_->Strings(0);
}

AnsiString TOpenDialog::FileName() {
  if (NewStyleControls && Handle()) {
    char buf[MAX_PATH + 1] = {};
    HWND dlg = GetParent(Handle());
    LRESULT n = SendMessageA(dlg ? dlg : Handle(), CDM_GETFILEPATH, MAX_PATH, reinterpret_cast<LPARAM>(buf));
    if (n > 0) return AnsiString(buf);
  }
  return file_name_;
}

void TOpenDialog::WndProc(TMessage& Message) {
  Message.Result = 0;
  // The Explorer style shows at CDN_INITDONE, the old style at its WM_INITDIALOG.
  if (Message.Msg == WM_INITDIALOG && !options_.Contains(ofOldStyleDialog)) return;
  if (Message.Msg == WM_NOTIFY) {
    const auto* hdr = reinterpret_cast<const NMHDR*>(Message.LParam);
    const auto* notify = reinterpret_cast<const OFNOTIFYA*>(Message.LParam);
    switch (hdr->code) {
      case CDN_FILEOK:
        if (notify->lpOFN) GetFileNames(*notify->lpOFN);
        if (!DoCanClose()) {
          Message.Result = 1;
          SetWindowLongPtrA(Handle(), DWLP_MSGRESULT, 1);
        }
        return;
      case CDN_INITDONE:
        DoShow();
        return;
      case CDN_FOLDERCHANGE:
        DoFolderChange();
        return;
      case CDN_SELCHANGE:
        DoSelectionChange();
        return;
      case CDN_TYPECHANGE:
        if (notify->lpOFN) filter_index_ = static_cast<int>(notify->lpOFN->nFilterIndex);
        DoTypeChange();
        return;
      case CDN_INCLUDEITEM: {
        bool include = true;
        DoIncludeItem(*reinterpret_cast<const OFNOTIFYEXA*>(Message.LParam), include);
        Message.Result = include ? 1 : 0;
        return;
      }
      default:
        break;
    }
  }
  TCommonDialog::WndProc(Message);
}

bool TOpenDialog::DoCanClose() {
  bool can = true;
  if (OnCanClose) OnCanClose(this, can);
  return can;
}

void TOpenDialog::DoFolderChange() {
  if (OnFolderChange) OnFolderChange(this);
}

void TOpenDialog::DoSelectionChange() {
  if (OnSelectionChange) OnSelectionChange(this);
}

void TOpenDialog::DoTypeChange() {
  if (OnTypeChange) OnTypeChange(this);
}

void TOpenDialog::DoIncludeItem(const OFNOTIFYEXA& OFNotifyEx, bool& Include) {
  if (OnIncludeItem) OnIncludeItem(OFNotifyEx, Include);
}

// ---------------------------------------------------------------------------------------------
// TColorDialog.

TColorDialog::TColorDialog(TComponent* AOwner) : TCommonDialog(AOwner), custom_colors_(std::make_unique<TStringList>()) {}

TColorDialog::~TColorDialog() = default;

void TColorDialog::SetCustomColors(TStrings* Value) { custom_colors_->Assign(Value); }

bool TColorDialog::Execute() {
  // The custom colours as the platform keeps them: "ColorA".."ColorP" with hexadecimal values.
  COLORREF custom[16];
  std::fill(std::begin(custom), std::end(custom), RGB(255, 255, 255));
  for (int i = 0; i < 16; ++i) {
    AnsiString v = custom_colors_->Values(AnsiString("Color") + static_cast<char>('A' + i));
    if (!v.empty()) custom[i] = static_cast<COLORREF>(StrToIntDef("$" + v, static_cast<int32_t>(RGB(255, 255, 255))));
  }
  CHOOSECOLORA cc{};
  cc.lStructSize = sizeof(cc);
  cc.hwndOwner = Application ? Application->Handle() : GetActiveWindow();
  cc.rgbResult = static_cast<COLORREF>(ColorToRGB(color_));
  cc.lpCustColors = custom;
  static constexpr DWORD kFlags[] = {CC_FULLOPEN, CC_PREVENTFULLOPEN, CC_SHOWHELP, CC_SOLIDCOLOR, CC_ANYCOLOR};
  cc.Flags = CC_RGBINIT | CC_ENABLEHOOK;
  for (int o = cdFullOpen; o <= cdAnyColor; ++o)
    if (options_.Contains(static_cast<TColorDialogOption>(o))) cc.Flags |= kFlags[o];
  cc.lCustData = reinterpret_cast<LPARAM>(static_cast<TCommonDialog*>(this));
  cc.lpfnHook = &TCommonDialog::DialogHook;
  BOOL ok = TaskModalDialog(ChooseColorA, &cc);
  // The custom colours are kept also after a cancel, as the platform keeps them.
  custom_colors_->Clear();
  for (int i = 0; i < 16; ++i)
    custom_colors_->Add(AnsiString("Color") + static_cast<char>('A' + i) + "=" + IntToHex(static_cast<int64_t>(custom[i]), 6));
  if (!ok) return false;
  color_ = static_cast<TColor>(cc.rgbResult);
  return true;
}

// ---------------------------------------------------------------------------------------------
// Published properties.

static const bool registered_common = DeclareClass<TCommonDialog, TComponent>("TCommonDialog").Done();

static const bool registered_open = DeclareClass<TOpenDialog, TCommonDialog>("TOpenDialog")
    .Boolean("Ctl3D", &TOpenDialog::Ctl3D, &TOpenDialog::SetCtl3D, Default(1))
    .String("DefaultExt", &TOpenDialog::DefaultExt, &TOpenDialog::SetDefaultExt)
    .String("FileName", &TOpenDialog::FileName, &TOpenDialog::SetFileName)
    .String("Filter", &TOpenDialog::Filter, &TOpenDialog::SetFilter)
    .Integer("FilterIndex", &TOpenDialog::FilterIndex, &TOpenDialog::SetFilterIndex, Default(1))
    .Integer("HelpContext", &TOpenDialog::HelpContext, &TOpenDialog::SetHelpContext, Default(0))
    .String("InitialDir", &TOpenDialog::InitialDir, &TOpenDialog::SetInitialDir)
    .Set("Options",
         {"ofReadOnly", "ofOverwritePrompt", "ofHideReadOnly", "ofNoChangeDir", "ofShowHelp", "ofNoValidate",
          "ofAllowMultiSelect", "ofExtensionDifferent", "ofPathMustExist", "ofFileMustExist", "ofCreatePrompt",
          "ofShareAware", "ofNoReadOnlyReturn", "ofNoTestFileCreate", "ofNoNetworkButton", "ofNoLongNames",
          "ofOldStyleDialog", "ofNoDereferenceLinks", "ofEnableIncludeNotify", "ofEnableSizing", "ofDontAddToRecent",
          "ofForceShowHidden"},
         &TOpenDialog::Options, &TOpenDialog::SetOptions,
         Default(static_cast<int64_t>(TOpenOptions{ofHideReadOnly, ofEnableSizing}.Bits())))
    .Set("OptionsEx", {"ofExNoPlacesBar"}, &TOpenDialog::OptionsEx, &TOpenDialog::SetOptionsEx, Default(0))
    .String("Title", &TOpenDialog::Title, &TOpenDialog::SetTitle)
    .Event("OnCanClose", static_cast<TCloseQueryEvent TOpenDialog::*>(&TOpenDialog::OnCanClose))
    .Event("OnClose", static_cast<TNotifyEvent TOpenDialog::*>(&TCommonDialog::OnClose))
    .Event("OnFolderChange", static_cast<TNotifyEvent TOpenDialog::*>(&TOpenDialog::OnFolderChange))
    .Event("OnSelectionChange", static_cast<TNotifyEvent TOpenDialog::*>(&TOpenDialog::OnSelectionChange))
    .Event("OnShow", static_cast<TNotifyEvent TOpenDialog::*>(&TCommonDialog::OnShow))
    .Event("OnTypeChange", static_cast<TNotifyEvent TOpenDialog::*>(&TOpenDialog::OnTypeChange))
    .Done();

static const bool registered_save = DeclareClass<TSaveDialog, TOpenDialog>("TSaveDialog").Done();

static const bool registered_color = DeclareClass<TColorDialog, TCommonDialog>("TColorDialog")
    .Integer("Color", &TColorDialog::Color, &TColorDialog::SetColor, Default(clBlack))
    .Boolean("Ctl3D", &TColorDialog::Ctl3D, &TColorDialog::SetCtl3D, Default(1))
    .Object("CustomColors", &TColorDialog::CustomColors)
    .Integer("HelpContext", &TColorDialog::HelpContext, &TColorDialog::SetHelpContext, Default(0))
    .Set("Options", {"cdFullOpen", "cdPreventFullOpen", "cdShowHelp", "cdSolidColor", "cdAnyColor"},
         &TColorDialog::Options, &TColorDialog::SetOptions, Default(0))
    .Event("OnClose", static_cast<TNotifyEvent TColorDialog::*>(&TCommonDialog::OnClose))
    .Event("OnShow", static_cast<TNotifyEvent TColorDialog::*>(&TCommonDialog::OnShow))
    .Done();
