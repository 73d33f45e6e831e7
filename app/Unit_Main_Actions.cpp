// The toolbar's actions, the board and grid lists' clicks, the board colour and settings panels.
#include "Unit_Main.h"

void TfrmMain::actNewExecute(TObject*) {}
void TfrmMain::actPictureExecute(TObject*) {}
void TfrmMain::actGridExecute(TObject*) {}
void TfrmMain::actGridSwitchExecute(TObject*) {}
void TfrmMain::actBoardColorExecute(TObject*) {}
void TfrmMain::actOptionExecute(TObject*) {}
void TfrmMain::actCameraExecute(TObject*) {}
void TfrmMain::actLogRecExecute(TObject*) {}
void TfrmMain::actLogPlayExecute(TObject*) {}
void TfrmMain::actLogOpenExecute(TObject*) {}
void TfrmMain::actLogSaveExecute(TObject*) {}
void TfrmMain::actVideoSaveExecute(TObject*) {}
void TfrmMain::actAboutExecute(TObject*) {}
void TfrmMain::lstGridsClick(TObject*) {}
void TfrmMain::rbBackColorClick(TObject*) {}
void TfrmMain::pnBackColorClick(TObject*) {}
void TfrmMain::btnOKClick(TObject*) {}
void TfrmMain::btnCancelClick(TObject*) {}
