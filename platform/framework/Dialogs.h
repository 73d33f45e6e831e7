// Dialogs: the common dialogs (open and save file names, colour), run modally over the
// program's forms with a hook that binds the dialog window to its object; and the message
// dialogs (ShowMessage, MessageDlg, CreateMessageDialog).
#pragma once
#include <vector>

#include "Classes.h"
#include "Controls.h"
#include "Graphics.h"
#include "commdlg.h"

// Whether the dialogs use the Explorer style (the platform has it).
extern bool NewStyleControls;
// Whether the file dialogs make the current folder their initial one when none is given.
extern bool ForceCurrentDirectory;

class TCommonDialog : public TComponent {
 public:
  explicit TCommonDialog(TComponent* AOwner);
  ~TCommonDialog() override;

  virtual bool Execute() = 0;

  // The window the dialog's hook was bound to while the dialog is up (the child dialog of
  // an Explorer-style file dialog); null otherwise.
  HWND Handle() const { return handle_; }
  bool Ctl3D() const { return ctl3d_; }
  void SetCtl3D(bool Value) { ctl3d_ = Value; }
  int HelpContext() const { return help_context_; }
  void SetHelpContext(int Value) { help_context_ = Value; }
  // A dialog template of the program's module to place in the dialog (nullptr: none).
  LPCSTR Template() const { return template_; }
  void SetTemplate(LPCSTR Value) { template_ = Value; }

  TNotifyEvent OnClose;
  TNotifyEvent OnShow;

  // The messages of the bound dialog window: WM_INITDIALOG shows, WM_DESTROY closes; the rest
  // goes to DefaultHandler (the window's own procedure).
  virtual void WndProc(TMessage& Message);
  virtual void DefaultHandler(TMessage& Message);

  // The hook procedure every common dialog of the framework runs with: it binds the window
  // to the dialog object named by the record's custom data (WM_INITDIALOG), and passes the
  // notifications the dialog answers by its return value (CDN_INCLUDEITEM) to WndProc.
  static UINT_PTR CALLBACK DialogHook(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);

 protected:
  virtual void DoClose();
  virtual void DoShow();
  // Runs DialogFunc(DialogData) with the program's other windows disabled, between the
  // application's modal start and end.
  template <class F, class D>
  BOOL TaskModalDialog(F DialogFunc, D* DialogData) {
    ModalBegin();
    BOOL r = FALSE;
    try {
      r = DialogFunc(DialogData);
    } catch (...) {
      ModalEnd();
      throw;
    }
    ModalEnd();
    return r;
  }

 private:
  void ModalBegin();
  void ModalEnd();
  void Bind(HWND Wnd);
  void Unbind();
  void MainWndProc(TMessage& Message);

  HWND handle_ = nullptr;
  WNDPROC def_proc_ = nullptr;
  WNDPROC object_instance_ = nullptr;
  bool ctl3d_ = true;
  int help_context_ = 0;
  LPCSTR template_ = nullptr;
  std::vector<HWND> disabled_;
  HWND active_before_ = nullptr;
};

enum TOpenOption {
  ofReadOnly, ofOverwritePrompt, ofHideReadOnly, ofNoChangeDir, ofShowHelp, ofNoValidate, ofAllowMultiSelect,
  ofExtensionDifferent, ofPathMustExist, ofFileMustExist, ofCreatePrompt, ofShareAware, ofNoReadOnlyReturn,
  ofNoTestFileCreate, ofNoNetworkButton, ofNoLongNames, ofOldStyleDialog, ofNoDereferenceLinks,
  ofEnableIncludeNotify, ofEnableSizing, ofDontAddToRecent, ofForceShowHidden
};
using TOpenOptions = TSet<TOpenOption>;
enum TOpenOptionEx { ofExNoPlacesBar };
using TOpenOptionsEx = TSet<TOpenOptionEx>;
enum TFileEditStyle { fsEdit, fsComboBox };

using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;
using TIncludeItemEvent = std::function<void(const OFNOTIFYEXA& OFN, bool& Include)>;
// The function that shows a file dialog for a prepared record (GetOpenFileNameA, ...).
using TOpenDialogFunc = BOOL(WINAPI*)(LPOPENFILENAMEA);

class TOpenDialog : public TCommonDialog {
 public:
  explicit TOpenDialog(TComponent* AOwner);
  ~TOpenDialog() override;

  bool Execute() override;

  const AnsiString& DefaultExt() const { return default_ext_; }
  void SetDefaultExt(const AnsiString& Value) { default_ext_ = Value; }
  // While the dialog is up, the path it shows now (CDM_GETFILEPATH).
  AnsiString FileName();
  void SetFileName(const AnsiString& Value) { file_name_ = Value; }
  TStrings* Files() const { return files_.get(); }
  const AnsiString& Filter() const { return filter_; }
  void SetFilter(const AnsiString& Value) { filter_ = Value; }
  int FilterIndex() const { return filter_index_; }
  void SetFilterIndex(int Value) { filter_index_ = Value; }
  const AnsiString& InitialDir() const { return initial_dir_; }
  void SetInitialDir(const AnsiString& Value) { initial_dir_ = Value; }
  TOpenOptions Options() const { return options_; }
  void SetOptions(TOpenOptions Value) { options_ = Value; }
  TOpenOptionsEx OptionsEx() const { return options_ex_; }
  void SetOptionsEx(TOpenOptionsEx Value) { options_ex_ = Value; }
  const AnsiString& Title() const { return title_; }
  void SetTitle(const AnsiString& Value) { title_ = Value; }
  TFileEditStyle FileEditStyle() const { return file_edit_style_; }
  void SetFileEditStyle(TFileEditStyle Value) { file_edit_style_ = Value; }
  TStrings* HistoryList() const { return history_list_.get(); }

  TCloseQueryEvent OnCanClose;
  TNotifyEvent OnFolderChange;
  TNotifyEvent OnSelectionChange;
  TNotifyEvent OnTypeChange;
  TIncludeItemEvent OnIncludeItem;

  // Prepares the record from the dialog's properties and runs DialogFunc with it modally;
  // on success the names, the filter index and the read-only and extension options come back.
  virtual bool DoExecute(TOpenDialogFunc DialogFunc);
  // The file dialog's notifications: CDN_FILEOK asks DoCanClose (refused: the dialog stays),
  // CDN_INCLUDEITEM asks DoIncludeItem, the folder, selection and type changes fire their events.
  void WndProc(TMessage& Message) override;

 protected:
  virtual bool DoCanClose();
  virtual void DoFolderChange();
  virtual void DoSelectionChange();
  virtual void DoTypeChange();
  virtual void DoIncludeItem(const OFNOTIFYEXA& OFNotifyEx, bool& Include);
  // The names of an answered record into FileName and Files.
  void GetFileNames(const OPENFILENAMEA& OpenFileName);

 private:
  AnsiString default_ext_;
  AnsiString file_name_;
  std::unique_ptr<TStringList> files_;
  AnsiString filter_;
  int filter_index_ = 1;
  AnsiString initial_dir_;
  TOpenOptions options_{ofHideReadOnly, ofEnableSizing};
  TOpenOptionsEx options_ex_;
  AnsiString title_;
  TFileEditStyle file_edit_style_ = fsEdit;
  std::unique_ptr<TStringList> history_list_;
};

class TSaveDialog : public TOpenDialog {
 public:
  explicit TSaveDialog(TComponent* AOwner) : TOpenDialog(AOwner) {}
  bool Execute() override;
};

enum TColorDialogOption { cdFullOpen, cdPreventFullOpen, cdShowHelp, cdSolidColor, cdAnyColor };
using TColorDialogOptions = TSet<TColorDialogOption>;

class TColorDialog : public TCommonDialog {
 public:
  explicit TColorDialog(TComponent* AOwner);
  ~TColorDialog() override;
  bool Execute() override;

  TColor Color() const { return color_; }
  void SetColor(TColor Value) { color_ = Value; }
  // "ColorA=RRGGBB" ... "ColorP=RRGGBB" (hexadecimal, blue first as the platform keeps it).
  TStrings* CustomColors() const { return custom_colors_.get(); }
  void SetCustomColors(TStrings* Value);
  TColorDialogOptions Options() const { return options_; }
  void SetOptions(TColorDialogOptions Value) { options_ = Value; }

 private:
  TColor color_ = clBlack;
  std::unique_ptr<TStringList> custom_colors_;
  TColorDialogOptions options_;
};

// ---------------------------------------------------------------------------------------------
// Message dialogs: a form with the type's icon, the message and a row of buttons.

class TForm;

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp };
using TMsgDlgButtons = TSet<TMsgDlgBtn>;
inline constexpr TMsgDlgButtons mbYesNoCancel{mbYes, mbNo, mbCancel};
inline constexpr TMsgDlgButtons mbYesAllNoAllCancel{mbYes, mbYesToAll, mbNo, mbNoToAll, mbCancel};
inline constexpr TMsgDlgButtons mbOKCancel{mbOK, mbCancel};
inline constexpr TMsgDlgButtons mbAbortRetryIgnore{mbAbort, mbRetry, mbIgnore};
inline constexpr TMsgDlgButtons mbAbortIgnore{mbAbort, mbIgnore};

// A new dialog form, owned by nobody (the caller frees it), centred on the screen and not yet
// shown. Its components: "Image" (a TImage with the type's standard icon; none for mtCustom),
// "Message" (a word-wrapped TLabel showing Msg as it is, ampersands included) and one TButton
// per button in the order above, named "Yes", "No", "OK", "Cancel", "Abort", "Retry", "Ignore",
// "All", "NoToAll", "YesToAll", "Help", each with its modal result (Help has none). The first
// button is the default one; the Cancel button, else No, else OK answers Escape. The caption is
// the type's ("警告", "エラー", "情報", "確認"), the application's title for mtCustom.
TForm* CreateMessageDialog(const AnsiString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons);
// Shows the dialog modally at (X, Y) (a negative coordinate: centred on the screen) and answers
// the modal result of the button chosen (mrCancel when it was closed otherwise). HelpCtx is
// accepted for the callers' sake; there is no help system to show it. When a message box
// answerer is installed, the dialog is shown and the answerer's answer returned.
int MessageDlgPos(const AnsiString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx, int X, int Y);
int MessageDlg(const AnsiString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx);
// A dialog with Msg and an OK button, captioned with the application's title.
void ShowMessage(const AnsiString& Msg);
