// The main form: the full-screen board, its frame tick and the mouse, wheel and key input that
// turns into strokes and tool choices.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "Archives.h"
#include "ComCtrls.h"
#include "Controls.h"
#include "DXClass.h"
#include "DXDraws.h"
#include "Dialogs.h"
#include "ExtCtrls.h"
#include "FileCtrl.h"
#include "Forms.h"
#include "ImgList.h"
#include "Spin.h"
#include "UcActnList.h"
#include "UcButtons.h"
#include "UcComCtrls.h"
#include "UcDialogs.h"
#include "UcExtCtrls.h"
#include "UcStdCtrls.h"
#include "Unit_Slatora.h"

class TfrmMain : public TDXForm {
 public:
  explicit TfrmMain(TComponent* AOwner);
  ~TfrmMain() override;

  // Components of the form resource.
  TDXDraw* DXDraw = nullptr;
  TDXTimer* DXTimer = nullptr;
  TDXImageList* DXIL = nullptr;
  TUcToolBar* tbMain = nullptr;
  TUcToolButton *btnNew = nullptr, *btnOpen = nullptr, *btnSave = nullptr, *btnPicture = nullptr, *btnDate = nullptr,
                *btnGrid = nullptr, *btnGridSwitch = nullptr, *btnBoardColor = nullptr, *btnOption = nullptr,
                *btnCamera = nullptr, *btnLogRec = nullptr, *btnLogPlay = nullptr, *btnLogOpen = nullptr,
                *btnLogSave = nullptr, *btnVideoSave = nullptr, *btnAbout = nullptr, *btnExit = nullptr;
  TUcToolButton *ToolButton1 = nullptr, *ToolButton2 = nullptr, *ToolButton3 = nullptr, *ToolButton4 = nullptr;
  TImageList* ilToolbar = nullptr;
  TUcActionList* AL = nullptr;
  TUcAction *actNew = nullptr, *actOpen = nullptr, *actSave = nullptr, *actPicture = nullptr, *actDate = nullptr,
            *actGrid = nullptr, *actGridSwitch = nullptr, *actBoardColor = nullptr, *actOption = nullptr,
            *actCamera = nullptr, *actLogRec = nullptr, *actLogPlay = nullptr, *actLogOpen = nullptr,
            *actLogSave = nullptr, *actVideoSave = nullptr, *actAbout = nullptr, *actExit = nullptr;
  TFileListBox* lstFiles = nullptr;
  TUcListBox* lstGrids = nullptr;
  TPanel* pnlSetting = nullptr;
  TUcLabel* Label1 = nullptr;
  TSpinEdit* edtGridSize = nullptr;
  TUcCheckBox *chkYogore = nullptr, *chkChalkKasure = nullptr, *chkDate = nullptr, *chkLogProgBar = nullptr,
              *chkCtrlNoBold = nullptr;
  TUcBitBtn *btnOK = nullptr, *btnCancel = nullptr;
  TPanel* pnlBoardColor = nullptr;
  TUcRadioGroup* rbBackColor = nullptr;
  TPanel *pnBackColor = nullptr, *ColorSampleStandard = nullptr, *ColorSampleClassical = nullptr;
  TPanel* pnlVideoWriting = nullptr;
  TUcLabel *Label2 = nullptr, *lblProgress = nullptr;
  TProgressBar* prgVideo = nullptr;
  TUcBitBtn* btnAbort = nullptr;
  TUcOpenDialog* od = nullptr;
  TUcSaveDialog* sd = nullptr;
  TColorDialog* cd = nullptr;
  TImageList* ilPreview = nullptr;
  TArchiveFile* arc = nullptr;

  void FormCreate(TObject* Sender);
  void FormCloseQuery(TObject* Sender, bool& CanClose);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void FormKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  void FormMouseWheel(TObject* Sender, TShiftState Shift, int WheelDelta, TPoint MousePos, bool& Handled);
  void FormMouseWheelDown(TObject* Sender, TShiftState Shift, TPoint MousePos, bool& Handled);
  void FormMouseWheelUp(TObject* Sender, TShiftState Shift, TPoint MousePos, bool& Handled);
  void DXTimerTimer(TObject* Sender, int32_t LagCount);
  void DXDrawMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void DXDrawMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
  void DXDrawMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void actExitExecute(TObject* Sender);
  void actDateExecute(TObject* Sender);
  // The toolbar's other actions, the lists' clicks and the panels' buttons.
  void actNewExecute(TObject* Sender);
  void actOpenExecute(TObject* Sender);
  void actSaveExecute(TObject* Sender);
  void actPictureExecute(TObject* Sender);
  void actGridExecute(TObject* Sender);
  void actGridSwitchExecute(TObject* Sender);
  void actBoardColorExecute(TObject* Sender);
  void actOptionExecute(TObject* Sender);
  void actCameraExecute(TObject* Sender);
  void actLogRecExecute(TObject* Sender);
  void actLogPlayExecute(TObject* Sender);
  void actLogOpenExecute(TObject* Sender);
  void actLogSaveExecute(TObject* Sender);
  void actVideoSaveExecute(TObject* Sender);
  void actAboutExecute(TObject* Sender);
  void lstFilesClick(TObject* Sender);
  void lstGridsClick(TObject* Sender);
  void rbBackColorClick(TObject* Sender);
  void pnBackColorClick(TObject* Sender);
  void btnOKClick(TObject* Sender);
  void btnCancelClick(TObject* Sender);
  // The play button's image, checked state and press follow LogState (playing: the stop image).
  void UpdateLogPlayButton();
  // The board saved as blackboards\<FileTitle>.zip; a failure is reported and the board stays.
  void SaveBoard(const AnsiString& FileTitle);
  // The archive becomes the open board, once its members are all page files and every page
  // picture reads; otherwise the open board stays and the reason is shown. True when opened.
  bool OpenBoard(const AnsiString& ArchiveName);
  // The thumbnails of pages 1 to PageCount from the working folder.
  void RebuildThumbnails();

  TBlackBoard* Board() const { return board_.get(); }
  // False when start-up stopped (a required picture missing): the form never ran.
  bool Started() const { return started_; }

  // Whether a tick with nothing new on the screen leaves the frame shown as it is (on), or
  // composes and presents it again (off).
  void SetFrameSkipping(bool Value) { frame_skipping_ = Value; }
  // The frames the tick has composed so far.
  uint64_t FramesComposed() const { return frames_composed_; }

  // Shows the toolbar at the left edge with the actions' states as the board has them.
  void ShowToolbar();
  bool ToolbarShown() const;

 private:
  void HidePopups();
  // The thumbnails of pages 1 to Count of Folder's page files into Into; False (and the page in
  // BadPage) when a page picture does not read.
  bool BuildThumbnails(const AnsiString& Folder, uint32_t Count, TCustomImageList* Into, uint32_t* BadPage);
  void DeleteWorkingPages();
  // A pop-up list placed beside the toolbar at Top (256 x 512), the toolbar brought out with
  // the pointer beside the list when it was hidden.
  void PlaceBesideToolbar(TControl* Popup, int Top);
  // The board colour of choice Index (0 standard, 1 classical, 2 custom) on the page and for
  // the pages to come.
  void ChooseBoardColor(int Index);
  void CloseSettings();
  // A running replay stops (the play button shows play again).
  void StopReplay();
  void LoadLanguage(const AnsiString& FileName);
  // The toolbar's height and its buttons' within Room pixels.
  void FitToolbar(int32_t Room);
  // The tray's hit tests and the board's press rules of a mouse-down.
  void TrayClick(TMouseButton Button, int X, int Y);
  void BoardClick(TMouseButton Button, int X, int Y);
  // The side of the chalk turned one step (Down: +5 degrees), the stroke following at once.
  void TurnSideChalk(bool Down);
  void PickChalk(int Index);
  void MarkPageDrawn();
  void PlaySound(int Slot);
  void AddLog(uint8_t Kind, const TPoint& P1, const TPoint& P2, uint8_t Byte1 = 0, int8_t Angle = 0,
              const TPoint& C1 = TPoint{0, 0}, const TPoint& C2 = TPoint{0, 0});
  void TickSlide();
  void TickPageSelect();
  void TickReplay();
  // False when the tick presented its frame itself (the camera shot).
  bool TickBoard();
  TPoint MousePos() const;
  // Everything the frame of the board branch is made from, as numbers.
  std::vector<uint64_t> FrameInputs();
  // False when this tick's frame would be the one on the screen already.
  bool FrameDue();

  std::unique_ptr<TBlackBoard> board_;
  std::unique_ptr<TBoardPicturesOf<TPictureCollection>> pictures_;
  bool started_ = false;
  // The colour panel sets its choice itself: that is no click.
  bool choosing_color_ = false;
  bool frame_skipping_ = true;
  uint64_t frames_composed_ = 0;
  std::vector<uint64_t> last_inputs_;
  // Frames composed in a row from last_inputs_: from two on, the back buffer holds that frame too.
  int same_frames_ = 0;
};

// While it lives the board takes no input and does not tick and the system cursor shows (a
// dialog of the program's own or the ZIP library's is up); afterwards all is as it was.
class TModalMoment {
 public:
  explicit TModalMoment(TfrmMain* Form);
  ~TModalMoment();
  TModalMoment(const TModalMoment&) = delete;
  TModalMoment& operator=(const TModalMoment&) = delete;

 private:
  TfrmMain* form_;
  bool drawing_, ticking_;
};

// The about box's text: the title, the version ("ver.1.50" for 1.5.0) and the notice of rights.
AnsiString AboutText();

// The program's main form (null while there is none).
extern TfrmMain* frmMain;

// Unit state shared with the other forms of the program.
extern int32_t CameraCountdown;
extern int32_t TapTicks;
// The camera countdown's digit at countdown value N (4 to 153) and its font size.
struct TCountdownDigit {
  AnsiString Text;
  int32_t Size;
};
TCountdownDigit CountdownDigit(int32_t N);

// The interface text of Index (empty when there is none).
std::u16string LanguageText(int Index);
// The play and stop images of the toolbar.
constexpr int32_t kLogPlayImage = 11;
constexpr int32_t kLogStopImage = 12;

// The program: the application, its forms and the message loop; answers the exit code (0 when
// the board ran and closed, 1 when start-up stopped).
int RunVelSlatora();
