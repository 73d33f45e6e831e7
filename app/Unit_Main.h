// The main form: the full-screen board, its frame tick and the mouse, wheel and key input that
// turns into strokes and tool choices.
#pragma once
#include <cstdint>
#include <memory>

#include "Controls.h"
#include "DXClass.h"
#include "DXDraws.h"
#include "Dialogs.h"
#include "FileCtrl.h"
#include "Forms.h"
#include "ImgList.h"
#include "Unit_Slatora.h"

class TfrmMain : public TDXForm {
 public:
  explicit TfrmMain(TComponent* AOwner);
  ~TfrmMain() override;

  // Components of the form resource.
  TDXDraw* DXDraw = nullptr;
  TDXTimer* DXTimer = nullptr;
  TDXImageList* DXIL = nullptr;
  TFileListBox* lstFiles = nullptr;
  TColorDialog* cd = nullptr;
  TImageList* ilPreview = nullptr;

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

  TBlackBoard* Board() const { return board_.get(); }
  // False when start-up stopped (a required picture missing): the form never ran.
  bool Started() const { return started_; }

 private:
  void HidePopups();
  void LoadLanguage(const AnsiString& FileName);
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
  bool ToolbarShown() const;

  std::unique_ptr<TBlackBoard> board_;
  std::unique_ptr<TBoardPicturesOf<TPictureCollection>> pictures_;
  bool started_ = false;
};

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

// The program: the application, its forms and the message loop; answers the exit code (0 when
// the board ran and closed, 1 when start-up stopped).
int RunVelSlatora();
