// The board: creation, the chalk set, the chalk tray and the shared drawing helpers.
#include "Unit_Slatora.h"

#include <cmath>
#include <vector>

#include "DXClass.h"
#include "Forms.h"
#include "IniFiles.h"
#include "Math.h"
#include "windows.h"

namespace {

AnsiString g_program_folder;

uint8_t Channel(int32_t v) { return static_cast<uint8_t>(EnsureRange<int32_t>(v, 0, 255)); }

TColor MakeRGB(int32_t R, int32_t G, int32_t B) {
  return static_cast<TColor>(Channel(R) | (Channel(G) << 8) | (Channel(B) << 16));
}

// The colour of a board from settings.ini: a text that is no colour gives clGreen; system colours
// become RGB since the wipes and the page files work on RGB values.
TColor ReadBackColor() {
  TIniFile ini(InProgramFolder("settings.ini"));
  TColor c;
  switch (ini.ReadInteger("general", "backcolor", 0)) {
    case 1: c = MakeRGB(30, 30, 40); break;
    case 2:
      try {
        c = StringToColor(ini.ReadString("general", "CustomBackColor", "clGreen"));
      } catch (const EConvertError&) {
        c = clGreen;
      }
      break;
    default: c = MakeRGB(0, 80, 0); break;
  }
  return ColorToRGB(c) & 0xFFFFFF;
}

// A plain chalk stick for the built-in white chalk: light grey body, whiter top, black key.
void DrawBuiltInChalk(TBitmap* b) {
  b->SetPixelFormat(pf24bit);
  b->SetSize(40, 12);
  for (int y = 0; y < 12; ++y) {
    uint8_t* row = b->ScanLine(y);
    for (int x = 0; x < 40; ++x) {
      const bool inside = y >= 2 && y <= 9 && x >= 1 && x <= 38;
      const uint8_t v = inside ? static_cast<uint8_t>(y < 5 ? 250 : 225) : 0;
      row[x * 3] = row[x * 3 + 1] = row[x * 3 + 2] = v;
    }
  }
}

void Warn(const AnsiString& Text) {
  MessageBoxA(nullptr, Text.c_str(), "Vel 黒板 Qz", MB_OK | MB_ICONWARNING);
}

}  // namespace

AnsiString ProgramFolder() {
  if (!g_program_folder.empty()) return IncludeTrailingPathDelimiter(g_program_folder);
  return IncludeTrailingPathDelimiter(ExtractFilePath(Application->ExeName()));
}

void SetProgramFolder(const AnsiString& Folder) { g_program_folder = Folder; }

AnsiString InProgramFolder(const AnsiString& Name) {
  const bool absolute = !Name.empty() && (Name[0] == '/' || Name[0] == '\\' ||
                                          (Name.size() > 1 && Name[1] == ':'));
  return absolute ? Name : ProgramFolder() + Name;
}

// ---------------------------------------------------------------- small classes

TChalkListItem::TChalkListItem() : Picture(new TBitmap()) {}
TChalkListItem::~TChalkListItem() { delete Picture; }

TChalkList::~TChalkList() { Clear(); }
void TChalkList::Clear() {
  for (int i = 0; i < Count(); ++i) delete Get(i);
  TList::Clear();
}

TMemoryStreamList::~TMemoryStreamList() { Clear(); }
void TMemoryStreamList::Clear() {
  for (int i = 0; i < Count(); ++i) delete Get(i);
  TList::Clear();
}

// ---------------------------------------------------------------- creation

TBlackBoard::TBlackBoard() {
  TrayHeight = 48;
  Tool = tlChalk;
  Board = std::make_unique<TBitmap>();
  Board->SetPixelFormat(pf24bit);
  ScreenHeight = Screen->Height();
  ScreenWidth = Screen->Width();
  Board->SetSize(ScreenWidth, ScreenHeight - TrayHeight + 1);
  Log = std::make_unique<TLogList>();
  DefaultBackColor = BackColor = ReadBackColor();
  TCanvas* c = Board->Canvas();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(DefaultBackColor);
  c->FillRect(Rect(0, 0, Board->Width(), Board->Height()));
  MouseState = std::make_unique<TBits>();
  MouseState->SetSize(3);
  Chalk = std::make_unique<TChalk>();
  Chalk->Width = 3;
  Tray = std::make_unique<TBitmap>();
  Tray->SetSize(1, 32);
  TrayStrip = std::make_unique<TBitmap>();
  TrayStrip->SetSize(1, 32);
  Chalks = std::make_unique<TChalkList>();
  DateFont = std::make_unique<TBitmap>();
  Options = 3;
  GridOn = 0;
  GridName.clear();
  TmpDir = ProgramFolder() + "tmp\\";
  if (!DirectoryExists(TmpDir)) ForceDirectories(TmpDir);
  CurrentPage = 1;
  PageCount = 1;
  Dust = std::make_unique<TKonaList>(Board->Width(), 5, ScreenHeight - TrayHeight, ScreenWidth,
                                     Board->Height());
}

TBlackBoard::~TBlackBoard() = default;

void TBlackBoard::SetScreenWidth(int32_t Value) {
  ScreenWidth = Value;
  Board->SetWidth(Value);
}

void TBlackBoard::SetScreenHeight(int32_t Value) {
  ScreenHeight = Value;
  Board->SetHeight(Value - TrayHeight);
}

// ---------------------------------------------------------------- chalk set and tray

void TBlackBoard::LoadChalks(const AnsiString& FileName, int32_t TrayHeight) {
  const AnsiString path = InProgramFolder(FileName);
  AnsiString skipped;
  int32_t leftStart = 32, between = 10;
  {
    TIniFile ini(path);
    TStringList sections;
    leftStart = ini.ReadInteger("General", "LeftStart", 32);
    between = ini.ReadInteger("General", "BetweenChalkSpace", 10);
    ini.ReadSections(&sections);
    for (int i = 0; i < sections.Count(); ++i) {
      const AnsiString name = sections.Strings(i);
      if (AnsiCompareText(name, "General") == 0) continue;
      auto item = std::make_unique<TChalkListItem>();
      item->Name = name;
      item->Color = MakeRGB(ini.ReadInteger(name, "r", 0), ini.ReadInteger(name, "g", 0),
                            ini.ReadInteger(name, "b", 0));
      item->Shade = MakeRGB(ini.ReadInteger(name, "rr", 0), ini.ReadInteger(name, "rg", 0),
                            ini.ReadInteger(name, "rb", 0));
      item->Range = EnsureRange<int32_t>(ini.ReadInteger(name, "range", 0), 0, 255);
      const AnsiString bmp = ini.ReadString(name, "bmp", "");
      try {
        if (bmp.empty()) throw EFOpenError("no picture");
        item->Picture->LoadFromFile(InProgramFolder("chalks\\" + bmp));
        if (item->Picture->Empty()) throw EInvalidGraphic("empty picture");
      } catch (const Exception&) {
        skipped += (skipped.empty() ? "" : ", ") + name;
        continue;
      }
      Chalks->Add(item.release());
    }
  }
  if (!skipped.empty())
    Warn("チョークの絵を読み込めません: " + skipped);
  if (Chalks->Count() == 0) {
    Warn("チョークがありません (" + FileName + ")。白いチョークを使います。");
    auto item = std::make_unique<TChalkListItem>();
    item->Name = "White";
    item->Color = MakeRGB(250, 250, 244);
    item->Shade = MakeRGB(20, 20, 20);
    item->Range = 40;
    DrawBuiltInChalk(item->Picture);
    Chalks->Add(item.release());
  }
  if (Chalk->Index < 0 || Chalk->Index >= Chalks->Count()) Chalk->Index = 0;
  int32_t x = leftStart;
  for (int i = 0; i < Chalks->Count(); ++i) {
    TChalkListItem* c = Chalks->Get(i);
    const int32_t w = c->Picture->Width(), h = c->Picture->Height();
    c->Rect.left = x + between;
    c->Rect.right = x + between + w;
    c->Rect.top = ScreenHeight - TrayHeight / 2 - h / 2;
    c->Rect.bottom = ScreenHeight - TrayHeight / 2 + h / 2;
    x += w + between;
  }
}

void TBlackBoard::LoadTray(const AnsiString& TrayFile, const AnsiString& StripFile) {
  TBitmap source;
  source.LoadFromFile(InProgramFolder(TrayFile));
  source.SetPixelFormat(pf24bit);
  const int32_t w0 = source.Width(), h0 = source.Height();
  Tray->SetPixelFormat(pf24bit);
  Tray->SetSize(ScreenWidth, TrayHeight);
  StretchBlt(Tray->Canvas()->Handle(), 0, 0, ScreenWidth, TrayHeight, source.Canvas()->Handle(), 0,
             0, w0, h0, SRCCOPY);
  TrayStrip->LoadFromFile(InProgramFolder(StripFile));
  for (int i = 0; i < Chalks->Count(); ++i) {
    TChalkListItem* c = Chalks->Get(i);
    const int32_t h = c->Rect.bottom - c->Rect.top;
    const int32_t y = static_cast<int32_t>(Round(h * 1.5L)) + (ScreenHeight - c->Rect.top) - TrayHeight / 2;
    BlitBlackTransparent(Tray->Canvas()->Handle(), c->Rect.left, y, c->Rect.right - c->Rect.left, h,
                         c->Picture->Canvas()->Handle(), 0, 0);
  }
}

void TBlackBoard::UpdateNowTool() {
  if (ImageList == nullptr) return;
  if (Tool == tlChalk && ValidChalk(Chalk->Index))
    ImageList->Find("NowTool")->Picture()->Assign(Chalks->Get(Chalk->Index)->Picture);
  ImageList->Restore();
}

bool TBlackBoard::ValidChalk(int32_t Index) const { return Index >= 0 && Index < Chalks->Count(); }

TColor TBlackBoard::ChalkColor() const {
  return ValidChalk(Chalk->Index) ? Chalks->Get(Chalk->Index)->Color : clWhite;
}

// ---------------------------------------------------------------- helpers

void BlitBlackTransparent(HDC DestDC, int32_t X, int32_t Y, int32_t Width, int32_t Height,
                          HDC SourceDC, int32_t SourceX, int32_t SourceY) {
  if (Width <= 0 || Height <= 0) return;
  HDC maskDC = CreateCompatibleDC(DestDC);
  HBITMAP mask = CreateBitmap(Width, Height, 1, 1, nullptr);
  HGDIOBJ oldMask = SelectObject(maskDC, mask);
  const COLORREF oldSrcBk = SetBkColor(SourceDC, RGB(0, 0, 0));
  const COLORREF oldBk = SetBkColor(DestDC, RGB(255, 255, 255));
  const COLORREF oldText = SetTextColor(DestDC, RGB(0, 0, 0));
  try {
    // 1 (white) where the source is black: that part of the destination stays.
    BitBlt(maskDC, 0, 0, Width, Height, SourceDC, SourceX, SourceY, SRCCOPY);
    BitBlt(DestDC, X, Y, Width, Height, maskDC, 0, 0, SRCAND);
    BitBlt(DestDC, X, Y, Width, Height, SourceDC, SourceX, SourceY, SRCPAINT);
  } catch (...) {
    SetBkColor(SourceDC, oldSrcBk);
    SetBkColor(DestDC, oldBk);
    SetTextColor(DestDC, oldText);
    SelectObject(maskDC, oldMask);
    DeleteObject(mask);
    DeleteDC(maskDC);
    throw;
  }
  SetBkColor(SourceDC, oldSrcBk);
  SetBkColor(DestDC, oldBk);
  SetTextColor(DestDC, oldText);
  SelectObject(maskDC, oldMask);
  DeleteObject(mask);
  DeleteDC(maskDC);
}

int32_t PointDistance(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) {
  const Extended dx = static_cast<Extended>(X1) - X2, dy = static_cast<Extended>(Y2) - Y1;
  return static_cast<int32_t>(Round(Sqrt(dx * dx + dy * dy)));
}

void ShowMainForm() {
  if (TForm* f = Application->MainForm()) f->Show();
}

TColor DarkenColor(TColor Colour, int16_t DR, int16_t DG, int16_t DB) {
  const int32_t r = Colour & 0xFF, g = (Colour >> 8) & 0xFF, b = (Colour >> 16) & 0xFF;
  const int32_t nr = EnsureRange<int32_t>(r - DR, 0, 255);
  int32_t ng = EnsureRange<int32_t>(g - DG, 0, 255);
  const int32_t nb = EnsureRange<int32_t>(b - DB, 0, 255);
  const TColor rgb = Colour & 0xFFFFFF;
  if ((rgb == MakeRGB(233, 135, 193) || rgb == MakeRGB(255, 252, 30)) && ng < 80) ng = 80;
  return MakeRGB(nr, ng, nb);
}

int32_t ArmSin(int32_t Arm, int32_t Degrees) {
  const int64_t step = Round(std::abs(static_cast<Extended>(Degrees)) * 256 / 360);
  return static_cast<int32_t>(Round(Sin256(static_cast<int32_t>(step)) * Arm));
}

int32_t ArmCos(int32_t Arm, int32_t Degrees) {
  const int64_t step = Round(std::abs(static_cast<Extended>(Degrees)) * 256 / 360);
  return static_cast<int32_t>(Round(Cos256(static_cast<int32_t>(step)) * Arm));
}
