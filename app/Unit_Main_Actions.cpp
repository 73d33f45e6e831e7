// The toolbar's actions, the grid list's click, the board colour and settings panels, the log's
// recording and replay, the camera and the about box.
#include <memory>

#include "Dialogs.h"
#include "ExtCtrls.h"
#include "Jpeg.h"
#include "PngImage.h"
#include "SysUtils.h"
#include "UcClasses.h"
#include "UcIniFiles.h"
#include "Unit_Main.h"
#include "VersionInfo.h"
#include "windows.h"

namespace {

constexpr TColor kStandardColor = 0x005000;   // RGB(0, 80, 0)
constexpr TColor kClassicalColor = 0x281E1E;  // RGB(30, 30, 40)

// The settings panel's check boxes and the option bits and settings.ini keys they stand for.
struct OptionBox {
  TUcCheckBox* TfrmMain::*box;
  uint8_t bit;
  const char16_t* key;
  bool fallback;
};
const OptionBox kOptionBoxes[] = {{&TfrmMain::chkYogore, obYogore, u"Yogore", false},
                                  {&TfrmMain::chkChalkKasure, obChalkKasure, u"ChalkKasure", true},
                                  {&TfrmMain::chkDate, obDrawDate, u"DrawDate", false},
                                  {&TfrmMain::chkLogProgBar, obLogProgBar, u"LogProgBar", true},
                                  {&TfrmMain::chkCtrlNoBold, obCtrlNoBold, u"CtrlNoBold", true}};

WideString SettingsFile() { return AnsiToWide(InProgramFolder("settings.ini")); }

// The radio index of a board colour: standard, classical, else custom.
int BoardColorIndex(TColor Color) { return Color == kStandardColor ? 0 : Color == kClassicalColor ? 1 : 2; }

}  // namespace

TModalMoment::TModalMoment(TfrmMain* Form)
    : form_(Form), drawing_(Form->DXDraw->Enabled()), ticking_(Form->DXTimer->Enabled()) {
  form_->SetCursor(crDefault);
  form_->DXDraw->SetEnabled(false);
  form_->DXTimer->SetEnabled(false);
}

TModalMoment::~TModalMoment() {
  form_->SetCursor(crNone);
  form_->DXDraw->SetEnabled(drawing_);
  form_->DXTimer->SetEnabled(ticking_);
}

void TfrmMain::PlaceBesideToolbar(TControl* Popup, int Top) {
  Popup->SetBounds(tbMain->Width(), Top, 256, 512);
  if (!tbMain->Visible()) {
    SetCursorPos(tbMain->Width(), Popup->Top() + Popup->Height() / 2);
    ShowToolbar();
  }
}

// ---------------------------------------------------------------- new board

void TfrmMain::actNewExecute(TObject*) {
  HidePopups();
  {
    TModalMoment moment(this);
    const std::u16string text = LanguageText(30), caption = LanguageText(37);
    if (MessageBoxW(Handle(), reinterpret_cast<LPCWSTR>(text.c_str()), reinterpret_cast<LPCWSTR>(caption.c_str()),
                    MB_ICONQUESTION | MB_OKCANCEL) == IDCANCEL)
      return;
  }
  lstFiles->Hide();
  DeleteWorkingPages();
  TBlackBoard& b = *board_;
  b.BackColor = b.DefaultBackColor;
  TCanvas* c = b.Board->Canvas();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(b.BackColor);
  c->FillRect(Rect(0, 0, b.ScreenWidth, b.ScreenHeight));
  b.PageCount = 1;
  b.Dust->Clear();
  b.Dust->ClearTray();
  b.CurrentPage = 1;
  b.LastPageDrawn = 0;
  RebuildThumbnails();
}

// ---------------------------------------------------------------- picture stamp

void TfrmMain::actPictureExecute(TObject*) {
  HidePopups();
  od->SetFileName(u"");
  od->SetFilter(LanguageText(29));
  {
    TModalMoment moment(this);
    if (!od->Execute()) return;
  }
  tbMain->Hide();
  TBlackBoard& b = *board_;
  TPictureCollectionItem* drag = DXIL->Items()->Find("DragPic");
  TBitmap* picture = drag->Picture()->Bitmap();
  picture->SetSize(1, 1);
  b.PictureWaiting = 0;
  const WideString name = od->FileName();
  const AnsiString ext = LowerCase(ExtractFileExt(WideToAnsi(name)));
  try {
    if (ext == ".bmp") {
      TUcFileStream f(name, fmOpenRead | fmShareDenyWrite);
      picture->LoadFromStream(&f);
    } else if (ext == ".jpg" || ext == ".jpeg") {
      TJPEGImage jpeg;
      TUcFileStream f(name, fmOpenRead | fmShareDenyWrite);
      jpeg.LoadFromStream(&f);
      picture->Assign(&jpeg);
    } else if (ext == ".png") {
      TPNGObject png;
      TUcFileStream f(name, fmOpenRead | fmShareDenyWrite);
      png.LoadFromStream(&f);
      picture->Assign(&png);
    } else {
      return;  // no picture waits
    }
  } catch (const Exception& e) {
    picture->SetSize(1, 1);
    DXIL->Items()->Restore();
    ShowMessage(e.Message());
    return;
  }
  DXIL->Items()->Restore();
  b.PictureWaiting = 1;
}

// ---------------------------------------------------------------- grid

void TfrmMain::actGridExecute(TObject*) {
  HidePopups();
  // The action checks itself on every press; the grid follows it.
  board_->GridOn = actGrid->Checked() ? 1 : 0;
}

void TfrmMain::actGridSwitchExecute(TObject*) {
  HidePopups();
  const AnsiString overlay = ProgramFolder() + "overlay\\";
  if (!DirectoryExists(overlay)) ForceDirectories(overlay);
  lstFiles->SetDirectory(overlay);
  lstFiles->SetMask("*.bmp");
  lstFiles->ReadFileNames();
  lstGrids->SetItemIndex(-1);
  lstGrids->Items()->Clear();
  for (int i = 0; i < lstFiles->Items()->Count(); ++i)
    lstGrids->Items()->Add(AnsiToWide(ChangeFileExt(lstFiles->Items()->Strings(i), "")));
  PlaceBesideToolbar(lstGrids, btnGrid->Top());
  lstGrids->Show();
}

void TfrmMain::lstGridsClick(TObject*) {
  const int i = lstGrids->ItemIndex();
  if (i < 0 || i >= lstGrids->Items()->Count()) return;
  board_->GridOn = 1;
  actGrid->SetChecked(true);
  board_->GridName = WideToAnsi(lstGrids->Items()->Get(i));
  board_->LoadGrid();
}

// ---------------------------------------------------------------- board colour

void TfrmMain::actBoardColorExecute(TObject*) {
  HidePopups();
  const int index = BoardColorIndex(board_->BackColor);
  if (index == 2) pnBackColor->SetColor(board_->BackColor);
  choosing_color_ = true;
  rbBackColor->SetItemIndex(index);
  choosing_color_ = false;
  pnlBoardColor->SetTop(btnGrid->Top());
  pnlBoardColor->SetLeft(tbMain->Width());
  pnlBoardColor->Show();
}

void TfrmMain::ChooseBoardColor(int Index) {
  TBlackBoard& b = *board_;
  const TColor color = Index == 0   ? ColorSampleStandard->Color()
                       : Index == 1 ? ColorSampleClassical->Color()
                       : Index == 2 ? pnBackColor->Color()
                                    : clBlack;
  // A drawn page keeps its chalk: only the pixels of the board colour change.
  if (b.LastPageDrawn || FileExists(b.TmpDir + IntToStr(static_cast<int64_t>(b.CurrentPage)) + ".bmp")) {
    b.ReplaceColor(b.BackColor, color);
  } else {
    TCanvas* c = b.Board->Canvas();
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(color);
    c->FillRect(Rect(0, 0, b.Board->Width(), b.Board->Height()));
  }
  b.DefaultBackColor = color;
  b.BackColor = color;
}

void TfrmMain::rbBackColorClick(TObject*) {
  // Setting the choice to the board's own colour when the panel opens changes nothing.
  if (choosing_color_) return;
  ChooseBoardColor(rbBackColor->ItemIndex());
}

void TfrmMain::pnBackColorClick(TObject*) {
  cd->SetColor(pnBackColor->Color());
  {
    TModalMoment moment(this);
    if (!cd->Execute()) return;
  }
  pnBackColor->SetColor(cd->Color());
  choosing_color_ = true;
  rbBackColor->SetItemIndex(2);
  choosing_color_ = false;
  ChooseBoardColor(2);
}

// ---------------------------------------------------------------- settings panel

void TfrmMain::actOptionExecute(TObject*) {
  tbMain->Hide();
  HidePopups();
  board_->PaintFrame();
  DXDraw->Flip();
  pnlSetting->SetLeft(Width() / 2 - pnlSetting->Width() / 2);
  pnlSetting->SetTop(Height() / 2 - pnlSetting->Height() / 2);
  SetCursorPos(Width() / 2, Height() / 2);
  {
    TUcIniFile ini(SettingsFile());
    edtGridSize->SetValue(ini.ReadInteger(u"general", u"grid", 32));
    for (const OptionBox& o : kOptionBoxes) (this->*o.box)->SetChecked(ini.ReadBool(u"general", o.key, o.fallback));
  }
  SetCursor(crDefault);
  DXDraw->SetEnabled(false);
  DXTimer->SetEnabled(false);
  pnlSetting->Show();
}

void TfrmMain::CloseSettings() {
  SetCursor(crNone);
  DXDraw->SetEnabled(true);
  DXTimer->SetEnabled(true);
  pnlSetting->Hide();
}

void TfrmMain::btnOKClick(TObject*) {
  uint8_t options = 0;
  for (const OptionBox& o : kOptionBoxes)
    if ((this->*o.box)->Checked()) options |= o.bit;
  board_->Options = options;
  try {
    TUcIniFile ini(SettingsFile());
    ini.WriteInteger(u"general", u"grid", edtGridSize->Value());
    ini.WriteBool(u"general", u"Yogore", chkYogore->Checked());
    // The board's own colour, whether or not the colour panel was opened.
    ini.WriteInteger(u"general", u"backcolor", BoardColorIndex(board_->BackColor));
    ini.WriteBool(u"general", u"ChalkKasure", chkChalkKasure->Checked());
    ini.WriteBool(u"general", u"DrawDate", chkDate->Checked());
    ini.WriteBool(u"general", u"LogProgBar", chkLogProgBar->Checked());
    ini.WriteBool(u"general", u"CtrlNoBold", chkCtrlNoBold->Checked());
  } catch (const Exception& e) {
    CloseSettings();
    ShowMessage(e.Message());
    return;
  }
  CloseSettings();
}

void TfrmMain::btnCancelClick(TObject*) { CloseSettings(); }

// ---------------------------------------------------------------- log

void TfrmMain::StopReplay() {
  if (board_->LogState != 2) return;
  board_->LogState = 0;
  board_->Log->Loop = 0;
  UpdateLogPlayButton();
}

void TfrmMain::actLogRecExecute(TObject*) {
  TBlackBoard& b = *board_;
  if (b.LogState == 1) {
    b.LogState = 0;
    actLogRec->SetChecked(false);
    return;
  }
  StopReplay();  // recording clears the log a replay reads
  tbMain->Hide();
  HidePopups();
  b.LogState = 1;
  b.Log->Clear();
  actLogRec->SetChecked(true);
}

void TfrmMain::actLogPlayExecute(TObject*) {
  TBlackBoard& b = *board_;
  if (b.LogState == 2) {
    StopReplay();
    return;
  }
  if (b.LogState == 1) actLogRecExecute(actLogRec);
  if (b.Log->Count() == 0) {
    UpdateLogPlayButton();
    return;  // nothing to play
  }
  b.Log->Loop = GetKeyState(VK_SHIFT) < 0 ? 1 : 0;
  POINT p{};
  GetCursorPos(&p);
  if (p.x < 32) SetCursorPos(32, p.y);
  tbMain->Hide();
  HidePopups();
  b.ReplayIndex = 0;
  b.LogState = 2;
  UpdateLogPlayButton();
  tbMain->Hide();
  lstFiles->Hide();
  lstGrids->Hide();
  pnlBoardColor->Hide();
}

void TfrmMain::actLogOpenExecute(TObject*) {
  od->SetFileName(u"");
  od->SetFilter(LanguageText(33));
  {
    TModalMoment moment(this);
    if (!od->Execute()) return;
  }
  StopReplay();  // loading replaces the log a replay reads
  try {
    board_->Log->LoadFromFile(WideToAnsi(od->FileName()));
  } catch (const Exception& e) {
    ShowMessage(e.Message());
  }
}

void TfrmMain::actLogSaveExecute(TObject*) {
  sd->SetFileName(u"");
  sd->SetFilter(LanguageText(33));
  {
    TModalMoment moment(this);
    if (!sd->Execute()) return;
  }
  try {
    board_->Log->SaveToFile(WideToAnsi(sd->FileName()));
  } catch (const Exception& e) {
    ShowMessage(e.Message());
  }
}

// The program has no video export.
void TfrmMain::actVideoSaveExecute(TObject*) {}

// ---------------------------------------------------------------- camera

void TfrmMain::actCameraExecute(TObject*) {
  HidePopups();
  tbMain->Hide();
  CameraCountdown = 153;
}

// ---------------------------------------------------------------- about box

AnsiString AboutText() {
  return WideToAnsi(LanguageText(38)) + " ver." + IntToStr(VersionInfo.Major) + "." + IntToStr(VersionInfo.Minor) +
         IntToStr(VersionInfo.Release) + "\n\r\n\r" + "Copyright (C) VelSlatoraEdu の作者. All rights reserved.";
}

void TfrmMain::actAboutExecute(TObject*) {
  HidePopups();
  std::unique_ptr<TForm> dialog(CreateMessageDialog(AboutText(), mtInformation, TMsgDlgButtons{mbOK}));
  dialog->SetCaption(WideToAnsi(LanguageText(31)));
  if (auto* message = dynamic_cast<TLabel*>(dialog->FindComponent("message"))) message->SetTransparent(true);
  // The program's icon, where the application has one.
  auto* image = dynamic_cast<TImage*>(dialog->FindComponent("image"));
  if (image && !Application->Icon()->Empty()) image->Picture()->Assign(Application->Icon());
  TModalMoment moment(this);
  dialog->ShowModal();
}
