// The main form: start-up, closing and the program entry.
#include "Unit_Main.h"

#include <algorithm>
#include <vector>

#include "Math.h"
#include "SysUtils.h"
#include "TypInfo.h"
#include "Unit_PageSelect.h"
#include "UcClasses.h"
#include "UcIniFiles.h"
#include "UcSystem.h"
#include "Unit_FileNameInput.h"
#include "VersionInfo.h"
#include "mmsystem.h"
#include "windows.h"

extern "C" void vse_register_forms_app_core();

int32_t CameraCountdown = 0;
int32_t TapTicks = 0;

namespace {

// Slot 0 the chalk sound, slot 1 the shutter.
std::unique_ptr<TMemoryStreamList> SoundStreams;

constexpr int kLanguageTexts = 39;
constexpr const char16_t* kTitle = u"Vel 黒板 Qz";
constexpr const char16_t* kOtherTitle = u"Slatora Blackboard Qz";

// The interface texts, indexed by their number; the ones a dialog or a question shows have
// built-in texts so none comes up blank.
std::vector<std::u16string> LanguageTexts;

void ResetLanguageTexts() {
  LanguageTexts.assign(kLanguageTexts, std::u16string());
  LanguageTexts[28] = u"ビットマップ画像 (*.bmp)|*.bmp";
  LanguageTexts[29] = u"画像 (*.jpg;*.jpeg;*.bmp;*.png)|*.jpg;*.jpeg;*.bmp;*.png";
  LanguageTexts[30] = u"今の黒板を消して、新しい黒板にしますか？";
  LanguageTexts[31] = u"バージョン情報";
  LanguageTexts[32] = u"黒板を終了しますか？保存していない板書は消えます。";
  LanguageTexts[33] = u"板書の記録 (*.log)|*.log|すべてのファイル (*.*)|*.*";
  LanguageTexts[37] = u"確認";
  LanguageTexts[38] = kTitle;
}

AnsiString Narrow(const std::u16string& Text) {
  const int n = WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<LPCWSTR>(Text.c_str()), static_cast<int>(Text.size()),
                                    nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<LPCWSTR>(Text.c_str()), static_cast<int>(Text.size()), out.data(), n,
                      nullptr, nullptr);
  return AnsiString(out.c_str());
}

WideString Widen(const AnsiString& Text) { return BytesToWide(Text, CP_ACP); }

// A key of the language file is its text's number: decimal digits only, 0 to 38.
int LanguageIndex(const WideString& Key) {
  if (Key.empty() || Key.size() > 2) return -1;
  int n = 0;
  for (char16_t c : Key) {
    if (c < u'0' || c > u'9') return -1;
    n = n * 10 + (c - u'0');
  }
  return n < kLanguageTexts ? n : -1;
}

// The pictures start-up cannot go on without, by file name.
const char* const kRequiredPictures[] = {"font.bmp",     "Ukezara.bmp", "UkezaraS.bmp", "finger.bmp",
                                         "eraser.bmp",   "longEraser.bmp", "memori.bmp", "trijogi.bmp",
                                         "icontri.bmp",  "UkezaraL.bmp", "UkezaraR.bmp", "nonUkezaraL.bmp",
                                         "nonUkezaraR.bmp"};

// The toolbar's pictures, one 32 x 32 cell per image, magenta showing the bar through, made
// Size x Size; without the file the buttons go without pictures.
void LoadToolbarImages(TImageList* Images, int32_t Size) {
  const AnsiString path = InProgramFolder("toolbar.bmp");
  Images->Clear();
  if (!FileExists(path)) return;
  TBitmap strip;
  strip.LoadFromFile(path);
  if (Size != Images->Width() || Size != Images->Height()) {
    Images->SetWidth(Size);
    Images->SetHeight(Size);
  }
  if (Size != strip.Height() && strip.Height() > 0) {
    TBitmap scaled;
    scaled.SetPixelFormat(pf24bit);
    scaled.SetSize(strip.Width() * Size / strip.Height(), Size);
    scaled.Canvas()->StretchDraw(Rect(0, 0, scaled.Width(), Size), &strip);
    Images->AddMasked(&scaled, static_cast<TColor>(0xFF00FF));
  } else {
    Images->AddMasked(&strip, static_cast<TColor>(0xFF00FF));
  }
}

void LoadSound(TMemoryStream* Stream, const char* FileName, const char* Missing) {
  const AnsiString path = InProgramFolder(FileName);
  if (FileExists(path)) Stream->LoadFromFile(path);
  else ShowMessage(Missing);
}

// The page record of page 1: grid off, the board colour.
void WriteFirstPageRecord(const AnsiString& FileName, TColor BackColor) {
  uint8_t record[8] = {0, 0, 0, 0, static_cast<uint8_t>(BackColor), static_cast<uint8_t>(BackColor >> 8),
                       static_cast<uint8_t>(BackColor >> 16), static_cast<uint8_t>(BackColor >> 24)};
  TFileStream f(FileName, fmCreate);
  f.WriteBuffer(record, sizeof record);
}

}  // namespace

std::u16string LanguageText(int Index) {
  if (Index < 0 || Index >= static_cast<int>(LanguageTexts.size())) return {};
  return LanguageTexts[static_cast<size_t>(Index)];
}

TfrmMain* frmMain = nullptr;

TfrmMain::TfrmMain(TComponent* AOwner) : TDXForm(AOwner) {
  if (!frmMain) frmMain = this;
}

TfrmMain::~TfrmMain() {
  if (frmMain == this) frmMain = nullptr;
}

void TfrmMain::FormCreate(TObject*) {
  // Nothing is built while a picture the board needs is missing: one message names them all.
  AnsiString missing;
  for (const char* name : kRequiredPictures)
    if (!FileExists(InProgramFolder(name))) missing += AnsiString("\n") + name;
  if (!missing.empty()) {
    DXTimer->SetEnabled(false);
    ShowMessage("次の画像が見つからないため、黒板を始められません:" + missing);
    Application->SetShowMainForm(false);
    Application->Terminate();
    return;
  }

  Randomize();
  board_ = std::make_unique<TBlackBoard>();
  pictures_ = std::make_unique<TBoardPicturesOf<TPictureCollection>>(DXIL->Items());
  board_->DXDraw = DXDraw;
  board_->ImageList = pictures_.get();
  board_->Previews = ilPreview;
  board_->DateFont->LoadFromFile(InProgramFolder("font.bmp"));

  SoundStreams = std::make_unique<TMemoryStreamList>();
  SoundStreams->Add(new TMemoryStream);
  SoundStreams->Add(new TMemoryStream);
  LoadSound(SoundStreams->Get(0), "start0.wav", "\"Start0.wav\" is not exist.");
  LoadSound(SoundStreams->Get(1), "camera.wav", "\"Camera.wav\" is not exist.");

  board_->BoardsDir = ProgramFolder() + "blackboards\\";
  if (!DirectoryExists(board_->BoardsDir)) ForceDirectories(board_->BoardsDir);

  const int32_t W = GetSystemMetrics(SM_CXSCREEN), H = GetSystemMetrics(SM_CYSCREEN);
  board_->SetScreenWidth(W);
  board_->SetScreenHeight(H);
  board_->LoadChalks("chalks\\option.ini", board_->TrayHeight);
  board_->LoadTray("Ukezara.bmp", "UkezaraS.bmp");
  board_->UpdateNowTool();

  TPictureCollection* items = DXIL->Items();
  const struct {
    const char* item;
    const char* file;
    bool keyed;
  } kPictures[] = {{"finger", "finger.bmp", false},       {"eraser", "eraser.bmp", false},
                   {"longEraser", "longEraser.bmp", true}, {"memori", "memori.bmp", true},
                   {"trijogi", "trijogi.bmp", true},       {"icontri", "icontri.bmp", true},
                   {"prev", "UkezaraL.bmp", false},        {"next", "UkezaraR.bmp", false},
                   {"nonprev", "nonUkezaraL.bmp", false},  {"nonnext", "nonUkezaraR.bmp", false}};
  for (const auto& p : kPictures) {
    TPictureCollectionItem* item = items->Find(p.item);
    item->Picture()->LoadFromFile(InProgramFolder(p.file));
    if (p.keyed) {
      item->SetTransparentColor(static_cast<TColor>(0xFF00FF));
      item->SetTransparent(true);
    }
  }
  items->Restore();
  // The toolbar runs down the left edge over the board, above the tray; on a low screen its
  // buttons get lower so that every one of them fits.
  FitToolbar(H - board_->TrayHeight);

  TPictureCollectionItem* next = items->Find("next");
  TPictureCollectionItem* eraser = items->Find("eraser");
  board_->EraserRect =
      Rect(W - 20 - next->Width() - eraser->Width(), H - eraser->Height() - 5, W - 20 - next->Width(), H);

  DXDraw->Finalize();
  SetBorderStyle(bsNone);
  SaveWindowPlacement();
  SetBounds(0, 0, W, H);
  DXDraw->Display()->SetWidth(W);
  DXDraw->Display()->SetHeight(H);
  DXDraw->Display()->SetBitCount(32);
  DXDraw->SetOptions(DXDraw->Options());

  {
    TUcIniFile ini(Widen(InProgramFolder("settings.ini")));
    const struct {
      const char16_t* key;
      bool fallback;
      uint8_t bit;
    } kOptions[] = {{u"Yogore", false, obYogore},
                    {u"ChalkKasure", true, obChalkKasure},
                    {u"DrawDate", false, obDrawDate},
                    {u"LogProgBar", true, obLogProgBar},
                    {u"CtrlNoBold", true, obCtrlNoBold}};
    for (const auto& o : kOptions) {
      if (ini.ReadBool(u"general", o.key, o.fallback)) board_->Options |= o.bit;
      else board_->Options &= static_cast<uint8_t>(~o.bit);
    }
  }
  LoadLanguage(ProgramFolder() + "Language.ini");
  WriteFirstPageRecord(board_->TmpDir + "1.dat", board_->BackColor);
  ColorSampleStandard->SetColor(RGB(0, 80, 0));
  ColorSampleClassical->SetColor(RGB(30, 30, 40));
  pnBackColor->SetColor(RGB(90, 70, 55));

  DXDraw->Initialize();
  SetCursor(crNone);
  DXDraw->SetCursor(crNone);
  if (board_->Options & obDrawDate) actDateExecute(this);
  started_ = true;
}

void TfrmMain::LoadLanguage(const AnsiString& FileName) {
  ResetLanguageTexts();
  if (FileExists(FileName)) {
    {
      TUcIniFile ini(Widen(FileName));
      TUcStringList keys;
      ini.ReadSection(u"Language", &keys);
      for (int i = 0; i < keys.Count(); ++i) {
        const int index = LanguageIndex(keys.Strings(i));
        if (index >= 0) LanguageTexts[static_cast<size_t>(index)] = ini.ReadString(u"Language", keys.Strings(i), u"");
      }
    }
    TUcAction* const hinted[] = {actNew,    actOpen,   actSave,    actPicture, actDate,    actGrid,
                                 actGridSwitch, actBoardColor, actOption, actCamera, actLogRec, actLogPlay,
                                 actLogOpen, actLogSave, actVideoSave, actAbout, actExit};
    for (int i = 0; i < 17; ++i) hinted[i]->SetHint(LanguageTexts[static_cast<size_t>(i)]);
    rbBackColor->SetCaption(LanguageTexts[17]);
    for (int i = 0; i < 3 && i < rbBackColor->Items()->Count(); ++i)
      rbBackColor->Items()->SetStrings(i, LanguageTexts[static_cast<size_t>(18 + i)]);
    TUcCheckBox* const checks[] = {chkYogore, chkChalkKasure, chkDate, chkLogProgBar, chkCtrlNoBold};
    for (int i = 0; i < 5; ++i) checks[i]->SetCaption(LanguageTexts[static_cast<size_t>(21 + i)]);
    btnOK->SetCaption(LanguageTexts[26]);
    btnCancel->SetCaption(LanguageTexts[27]);
  }
  if (LanguageTexts[38] != kTitle) LanguageTexts[38] = kOtherTitle;
  Application->SetTitle(Narrow(LanguageTexts[38]));
}

void TfrmMain::FitToolbar(int32_t Room) {
  int buttons = 0, gaps = 0;
  for (int i = 0; i < tbMain->ButtonCount(); ++i) {
    if (tbMain->Buttons(i)->Style() == tbsSeparator) gaps += tbMain->Buttons(i)->Width();
    else ++buttons;
  }
  // 32-pixel pictures on 40-pixel buttons, or 24 on 32 where those would not fit.
  const bool small = buttons * tbMain->ButtonHeight() + gaps > Room;
  LoadToolbarImages(ilToolbar, small ? 24 : 32);
  if (small) {
    tbMain->SetButtonHeight(32);
    tbMain->SetButtonWidth(32);
    tbMain->SetWidth(36);
  }
  tbMain->SetHeight(std::min(tbMain->ButtonHeight() * buttons + gaps + 4, Room));
}

void TfrmMain::HidePopups() {
  pnlSetting->Hide();
  pnlBoardColor->Hide();
  lstFiles->Hide();
  lstGrids->Hide();
}

bool TfrmMain::ToolbarShown() const { return tbMain->Visible(); }

void TfrmMain::ShowToolbar() {
  actGrid->SetChecked(board_->GridOn != 0);
  const bool logged = board_->Log->Count() > 0;
  actLogPlay->SetEnabled(logged);
  actLogSave->SetEnabled(logged);
  tbMain->Show();
}

void TfrmMain::UpdateLogPlayButton() {
  const bool playing = board_ && board_->LogState == 2;
  actLogPlay->SetImageIndex(playing ? kLogStopImage : kLogPlayImage);
  actLogPlay->SetChecked(playing);
  btnLogPlay->SetDown(playing);
}

void TfrmMain::FormCloseQuery(TObject*, bool& CanClose) {
  SetCursor(crDefault);
  DXDraw->SetEnabled(false);
  DXTimer->SetEnabled(false);
  try {
    const std::u16string text = LanguageText(32), caption = LanguageText(37);
    if (MessageBoxW(Handle(), reinterpret_cast<LPCWSTR>(text.c_str()), reinterpret_cast<LPCWSTR>(caption.c_str()),
                    MB_ICONQUESTION | MB_OKCANCEL) == IDCANCEL)
      CanClose = false;
  } catch (...) {
    SetCursor(crNone);
    DXDraw->SetEnabled(true);
    DXTimer->SetEnabled(true);
    throw;
  }
  SetCursor(crNone);
  DXDraw->SetEnabled(true);
  DXTimer->SetEnabled(true);
}

void TfrmMain::FormClose(TObject*, TCloseAction&) {
  if (board_) {
    lstFiles->SetDirectory(board_->TmpDir);
    lstFiles->SetMask("*.bmp;*.dat");
    lstFiles->ReadFileNames();
    for (int i = 0; i < lstFiles->Items()->Count(); ++i) DeleteFile(board_->TmpDir + lstFiles->Items()->Strings(i));
  }
  board_.reset();
  SoundStreams.reset();
}

void TfrmMain::actExitExecute(TObject*) {
  lstFiles->Hide();
  Close();
}

void TfrmMain::actDateExecute(TObject*) {
  HidePopups();
  board_->StampDate(board_->ScreenWidth - 72, 8);
}

void TfrmMain::PlaySound(int Slot) {
  sndPlaySoundA(nullptr, SND_MEMORY);
  if (!SoundStreams || Slot >= SoundStreams->Count()) return;
  TMemoryStream* s = SoundStreams->Get(Slot);
  if (s->Size() > 0) sndPlaySoundA(static_cast<LPCSTR>(s->Memory()), SND_ASYNC | SND_MEMORY);
}

static const bool registered = DeclareClass<TfrmMain, TDXForm>("TfrmMain")
                                   .Method("FormCreate", &TfrmMain::FormCreate)
                                   .Method("FormCloseQuery", &TfrmMain::FormCloseQuery)
                                   .Method("FormClose", &TfrmMain::FormClose)
                                   .Method("FormKeyDown", &TfrmMain::FormKeyDown)
                                   .Method("FormMouseWheel", &TfrmMain::FormMouseWheel)
                                   .Method("DXTimerTimer", &TfrmMain::DXTimerTimer)
                                   .Method("DXDrawMouseDown", &TfrmMain::DXDrawMouseDown)
                                   .Method("DXDrawMouseMove", &TfrmMain::DXDrawMouseMove)
                                   .Method("DXDrawMouseUp", &TfrmMain::DXDrawMouseUp)
                                   .Method("actNewExecute", &TfrmMain::actNewExecute)
                                   .Method("actOpenExecute", &TfrmMain::actOpenExecute)
                                   .Method("actSaveExecute", &TfrmMain::actSaveExecute)
                                   .Method("actPictureExecute", &TfrmMain::actPictureExecute)
                                   .Method("actDateExecute", &TfrmMain::actDateExecute)
                                   .Method("actGridExecute", &TfrmMain::actGridExecute)
                                   .Method("actGridSwitchExecute", &TfrmMain::actGridSwitchExecute)
                                   .Method("actBoardColorExecute", &TfrmMain::actBoardColorExecute)
                                   .Method("actOptionExecute", &TfrmMain::actOptionExecute)
                                   .Method("actCameraExecute", &TfrmMain::actCameraExecute)
                                   .Method("actLogRecExecute", &TfrmMain::actLogRecExecute)
                                   .Method("actLogPlayExecute", &TfrmMain::actLogPlayExecute)
                                   .Method("actLogOpenExecute", &TfrmMain::actLogOpenExecute)
                                   .Method("actLogSaveExecute", &TfrmMain::actLogSaveExecute)
                                   .Method("actVideoSaveExecute", &TfrmMain::actVideoSaveExecute)
                                   .Method("actAboutExecute", &TfrmMain::actAboutExecute)
                                   .Method("actExitExecute", &TfrmMain::actExitExecute)
                                   .Method("lstFilesClick", &TfrmMain::lstFilesClick)
                                   .Method("lstGridsClick", &TfrmMain::lstGridsClick)
                                   .Method("rbBackColorClick", &TfrmMain::rbBackColorClick)
                                   .Method("pnBackColorClick", &TfrmMain::pnBackColorClick)
                                   .Method("btnOKClick", &TfrmMain::btnOKClick)
                                   .Method("btnCancelClick", &TfrmMain::btnCancelClick)
                                   .Field("DXDraw", &TfrmMain::DXDraw)
                                   .Field("DXTimer", &TfrmMain::DXTimer)
                                   .Field("DXIL", &TfrmMain::DXIL)
                                   .Field("tbMain", &TfrmMain::tbMain)
                                   .Field("btnNew", &TfrmMain::btnNew)
                                   .Field("btnOpen", &TfrmMain::btnOpen)
                                   .Field("btnSave", &TfrmMain::btnSave)
                                   .Field("btnPicture", &TfrmMain::btnPicture)
                                   .Field("btnDate", &TfrmMain::btnDate)
                                   .Field("btnGrid", &TfrmMain::btnGrid)
                                   .Field("btnGridSwitch", &TfrmMain::btnGridSwitch)
                                   .Field("btnBoardColor", &TfrmMain::btnBoardColor)
                                   .Field("btnOption", &TfrmMain::btnOption)
                                   .Field("btnCamera", &TfrmMain::btnCamera)
                                   .Field("btnLogRec", &TfrmMain::btnLogRec)
                                   .Field("btnLogPlay", &TfrmMain::btnLogPlay)
                                   .Field("btnLogOpen", &TfrmMain::btnLogOpen)
                                   .Field("btnLogSave", &TfrmMain::btnLogSave)
                                   .Field("btnVideoSave", &TfrmMain::btnVideoSave)
                                   .Field("btnAbout", &TfrmMain::btnAbout)
                                   .Field("btnExit", &TfrmMain::btnExit)
                                   .Field("ToolButton1", &TfrmMain::ToolButton1)
                                   .Field("ToolButton2", &TfrmMain::ToolButton2)
                                   .Field("ToolButton3", &TfrmMain::ToolButton3)
                                   .Field("ToolButton4", &TfrmMain::ToolButton4)
                                   .Field("ilToolbar", &TfrmMain::ilToolbar)
                                   .Field("AL", &TfrmMain::AL)
                                   .Field("actNew", &TfrmMain::actNew)
                                   .Field("actOpen", &TfrmMain::actOpen)
                                   .Field("actSave", &TfrmMain::actSave)
                                   .Field("actPicture", &TfrmMain::actPicture)
                                   .Field("actDate", &TfrmMain::actDate)
                                   .Field("actGrid", &TfrmMain::actGrid)
                                   .Field("actGridSwitch", &TfrmMain::actGridSwitch)
                                   .Field("actBoardColor", &TfrmMain::actBoardColor)
                                   .Field("actOption", &TfrmMain::actOption)
                                   .Field("actCamera", &TfrmMain::actCamera)
                                   .Field("actLogRec", &TfrmMain::actLogRec)
                                   .Field("actLogPlay", &TfrmMain::actLogPlay)
                                   .Field("actLogOpen", &TfrmMain::actLogOpen)
                                   .Field("actLogSave", &TfrmMain::actLogSave)
                                   .Field("actVideoSave", &TfrmMain::actVideoSave)
                                   .Field("actAbout", &TfrmMain::actAbout)
                                   .Field("actExit", &TfrmMain::actExit)
                                   .Field("lstFiles", &TfrmMain::lstFiles)
                                   .Field("lstGrids", &TfrmMain::lstGrids)
                                   .Field("pnlSetting", &TfrmMain::pnlSetting)
                                   .Field("Label1", &TfrmMain::Label1)
                                   .Field("edtGridSize", &TfrmMain::edtGridSize)
                                   .Field("chkYogore", &TfrmMain::chkYogore)
                                   .Field("chkChalkKasure", &TfrmMain::chkChalkKasure)
                                   .Field("chkDate", &TfrmMain::chkDate)
                                   .Field("chkLogProgBar", &TfrmMain::chkLogProgBar)
                                   .Field("chkCtrlNoBold", &TfrmMain::chkCtrlNoBold)
                                   .Field("btnOK", &TfrmMain::btnOK)
                                   .Field("btnCancel", &TfrmMain::btnCancel)
                                   .Field("pnlBoardColor", &TfrmMain::pnlBoardColor)
                                   .Field("rbBackColor", &TfrmMain::rbBackColor)
                                   .Field("pnBackColor", &TfrmMain::pnBackColor)
                                   .Field("ColorSampleStandard", &TfrmMain::ColorSampleStandard)
                                   .Field("ColorSampleClassical", &TfrmMain::ColorSampleClassical)
                                   .Field("pnlVideoWriting", &TfrmMain::pnlVideoWriting)
                                   .Field("Label2", &TfrmMain::Label2)
                                   .Field("lblProgress", &TfrmMain::lblProgress)
                                   .Field("prgVideo", &TfrmMain::prgVideo)
                                   .Field("btnAbort", &TfrmMain::btnAbort)
                                   .Field("od", &TfrmMain::od)
                                   .Field("sd", &TfrmMain::sd)
                                   .Field("cd", &TfrmMain::cd)
                                   .Field("ilPreview", &TfrmMain::ilPreview)
                                   .Done();

int RunVelSlatora() {
  vse_register_forms_app_core();
  Application->Initialize();
  Application->SetTitle(Narrow(kTitle));
  TfrmMain* main = nullptr;
  Application->CreateForm(main);
  if (!main->Started()) {
    Application->Run();  // takes the quit message start-up left
    return 1;
  }
  TfrmPageSelect* pageSelect = nullptr;
  Application->CreateForm(pageSelect);
  Application->CreateForm(frmFileNameInput);
  Application->Run();
  return 0;
}
