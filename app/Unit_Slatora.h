// The blackboard model: the page bitmap, the chalk in hand, the chalk set and the tray, the tool,
// the page numbers, the option bits, the dust and the drawing log. Every drawing operation works on
// the page bitmap in memory; only the frame painting touches the display.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "Classes.h"
#include "Graphics.h"
#include "Unit_Kona.h"
#include "Unit_Log.h"

class TCustomDXDraw;
class TCustomImageList;
class TDirectDrawSurface;

// ---------------------------------------------------------------- pictures the board reaches

// What the board uses of the main form's picture collection: items found by name, their
// pictures, and the rebuilding of the surfaces. TBoardPicturesOf<> fits any collection with
// these members (the drawing layer's TPictureCollection, or a test's stand-in); the board itself
// only ever sees this interface.
// Where an item's pattern is drawn from: a part of one of its surfaces, keyed or not, and a
// number that moves whenever these or the surface's pixels may change. No surface: the pattern
// draws nothing.
struct TBoardPatternSource {
  TDirectDrawSurface* Surface = nullptr;
  TRect Rect{0, 0, 0, 0};
  bool Transparent = false;
  uint64_t Version = 0;
};

class TBoardPictureItem {
 public:
  virtual ~TBoardPictureItem() = default;
  virtual TPicture* Picture() = 0;
  virtual void SetTransparentColor(TColor Value) = 0;
  virtual void SetTransparent(bool Value) = 0;
  virtual void Restore() = 0;
  // Size of one pattern, and drawing pattern PatternIndex onto a surface (the item's
  // transparency honoured).
  virtual int32_t Width() = 0;
  virtual int32_t Height() = 0;
  virtual void Draw(TDirectDrawSurface* Dest, int32_t X, int32_t Y, int32_t PatternIndex) = 0;
  virtual void DrawAlpha(TDirectDrawSurface* Dest, const TRect& DestRect, int32_t PatternIndex, int32_t Alpha) = 0;
  virtual void DrawRotate(TDirectDrawSurface* Dest, int32_t X, int32_t Y, int32_t Width, int32_t Height,
                          int32_t PatternIndex, double CenterX, double CenterY, int32_t Angle) = 0;
  virtual void DrawRotateAlpha(TDirectDrawSurface* Dest, int32_t X, int32_t Y, int32_t Width, int32_t Height,
                               int32_t PatternIndex, double CenterX, double CenterY, int32_t Angle, int32_t Alpha) = 0;
  // What Draw of PatternIndex copies; False where the item cannot tell (the board then draws
  // the pattern whole every frame).
  virtual bool PatternSource(int32_t PatternIndex, TBoardPatternSource& Source) { return false; }
};

class TBoardPictures {
 public:
  virtual ~TBoardPictures() = default;
  // Raises the collection's own exception for an unknown name.
  virtual TBoardPictureItem* Find(const AnsiString& Name) = 0;
  virtual void Restore() = 0;
};

// Collection: Find(Name) -> Item* (raising for an unknown name) and Restore(); Item: Picture()
// -> TPicture*, SetTransparentColor(TColor), SetTransparent(bool), Restore(), Width(), Height(),
// Draw, DrawAlpha, DrawRotate and DrawRotateAlpha as the picture collection's items have them.
template <class Collection>
class TBoardPicturesOf : public TBoardPictures {
 public:
  explicit TBoardPicturesOf(Collection* Items) : items_(Items) {}
  TBoardPictureItem* Find(const AnsiString& Name) override {
    auto* item = items_->Find(Name);
    auto& ref = refs_[item];
    if (!ref) ref = std::make_unique<Ref<std::remove_pointer_t<decltype(item)>>>(item);
    return ref.get();
  }
  void Restore() override { items_->Restore(); }

 private:
  template <class Item>
  struct Ref : TBoardPictureItem {
    explicit Ref(Item* I) : item(I) {}
    TPicture* Picture() override { return item->Picture(); }
    void SetTransparentColor(TColor Value) override { item->SetTransparentColor(Value); }
    void SetTransparent(bool Value) override { item->SetTransparent(Value); }
    void Restore() override { item->Restore(); }
    int32_t Width() override { return item->Width(); }
    int32_t Height() override { return item->Height(); }
    void Draw(TDirectDrawSurface* Dest, int32_t X, int32_t Y, int32_t PatternIndex) override {
      item->Draw(Dest, X, Y, PatternIndex);
    }
    void DrawAlpha(TDirectDrawSurface* Dest, const TRect& DestRect, int32_t PatternIndex, int32_t Alpha) override {
      item->DrawAlpha(Dest, DestRect, PatternIndex, Alpha);
    }
    void DrawRotate(TDirectDrawSurface* Dest, int32_t X, int32_t Y, int32_t Width, int32_t Height, int32_t PatternIndex,
                    double CenterX, double CenterY, int32_t Angle) override {
      item->DrawRotate(Dest, X, Y, Width, Height, PatternIndex, CenterX, CenterY, Angle);
    }
    void DrawRotateAlpha(TDirectDrawSurface* Dest, int32_t X, int32_t Y, int32_t Width, int32_t Height,
                         int32_t PatternIndex, double CenterX, double CenterY, int32_t Angle, int32_t Alpha) override {
      item->DrawRotateAlpha(Dest, X, Y, Width, Height, PatternIndex, CenterX, CenterY, Angle, Alpha);
    }
    bool PatternSource(int32_t PatternIndex, TBoardPatternSource& Source) override {
      if constexpr (requires { item->Pattern(0).Surface; item->PatternCount(); item->Initialized(); item->Version(); }) {
        Source = TBoardPatternSource{};
        Source.Version = item->Version();
        Source.Transparent = item->Transparent();
        if (item->Initialized() && PatternIndex >= 0 && PatternIndex < item->PatternCount()) {
          Source.Surface = item->Pattern(PatternIndex).Surface;
          Source.Rect = item->Pattern(PatternIndex).Rect;
        }
        return true;
      } else {
        return false;
      }
    }
    Item* item;
  };
  Collection* items_;
  std::map<const void*, std::unique_ptr<TBoardPictureItem>> refs_;
};

// ---------------------------------------------------------------- chalk

class TChalk : public TObject {
 public:
  int32_t Width = 3;
  int32_t Index = 0;
  int32_t ShownIndex = -1;
  // 0 chalk line, 1 thin line, 2 side of the chalk, 3 tap with both buttons.
  uint8_t Mode = 0;
  // Degrees.
  int8_t Angle = 0;
  int32_t LastX = 0;
  int32_t LastY = 0;
  TPoint Corner1{0, 0};
  TPoint Corner2{0, 0};
};

class TChalkListItem : public TObject {
 public:
  TChalkListItem();
  ~TChalkListItem() override;
  AnsiString Name;
  TColor Color = clWhite;
  // Per-channel darkening amounts.
  TColor Shade = 0;
  int32_t Range = 0;
  // Where its picture lies in the tray: the area that picks it.
  TRect Rect{0, 0, 0, 0};
  TBitmap* Picture;
};

class TChalkList : public TList {
 public:
  ~TChalkList() override;
  TChalkListItem* Get(int Index) const { return static_cast<TChalkListItem*>(Items(Index)); }
  void Clear() override;
};

// Sounds of the main form, kept in memory.
class TMemoryStreamList : public TList {
 public:
  ~TMemoryStreamList() override;
  int Add(TMemoryStream* Stream) { return TList::Add(Stream); }
  TMemoryStream* Get(int Index) const { return static_cast<TMemoryStream*>(Items(Index)); }
  void Clear() override;
};

// ---------------------------------------------------------------- option bits

enum : uint8_t { obYogore = 1, obChalkKasure = 2, obDrawDate = 4, obLogProgBar = 8, obCtrlNoBold = 16 };

// Tools.
enum : uint8_t { tlChalk = 0, tlEraser = 1, tlFinger = 2, tlLongEraser = 3, tlRuler = 5 };

// ---------------------------------------------------------------- the board

class TBlackBoard : public TObject {
 public:
  // Reads the board colour from settings.ini in the program folder, fills the page, creates the
  // tmp\ folder there.
  TBlackBoard();
  ~TBlackBoard() override;

  // The chalk set from an INI file (relative names are taken in the program folder). A chalk
  // whose picture does not load is left out, with one message naming all such chalks; with no
  // chalk at all (missing or empty file) one built-in white chalk is used, with a message.
  void LoadChalks(const AnsiString& FileName, int32_t TrayHeight);
  // The tray picture stretched to the screen's width, the plain strip, and the chalk pictures
  // drawn in. Raises the framework's file or picture exception for a picture that does not load.
  void LoadTray(const AnsiString& TrayFile, const AnsiString& StripFile);
  // With the chalk as tool: the chalk's picture into "NowTool"; then the surfaces are rebuilt.
  void UpdateNowTool();
  void SetScreenWidth(int32_t Value);
  void SetScreenHeight(int32_t Value);

  // Strokes; (LastX, LastY) of the chalk is where each starts.
  void ChalkLine(int32_t X, int32_t Y, bool Kasure);
  void ChalkTap(int32_t X, int32_t Y);
  // Also moves the last point and the corners to the new point.
  void SideChalkStroke(int32_t X, int32_t Y);
  // The thin line to (X, Y).
  void ThinLine(int32_t X, int32_t Y);
  TColor ChalkShade(int32_t ChalkIndex);
  void MakeChalkTexture(int32_t ChalkIndex);

  // Wipes from the last point (LastX, LastY) to (X, Y); the callers then move the last point.
  void EraseStroke(int32_t X, int32_t Y, int32_t LastY, int32_t LastX);
  void LongEraseStroke(int32_t X, int32_t Y, int32_t LastY, int32_t LastX);
  void FingerStroke(int32_t LastX, int32_t LastY, int32_t Y, int32_t X);
  // The colour the wipes paint with: BackColor, or 4 lighter per channel (at most 255) with
  // the smear option.
  TColor WipeColor(bool Smear) const;

  // Replays log item Index onto the page, as the live action drew it.
  void ReplayItem(int Index);
  // ReplayItem(ReplayIndex); ends the replay when the index is past the end of the log.
  void ReplayStep();

  // The colour of the chalk in hand.
  TColor ChalkColor() const;

  // Pages. Page n lives in TmpDir as n.bmp (the page), ng.bmp (its grid, only while the grid is
  // on) and n.dat (grid flag, three zero bytes, board colour). SavePage writes the files of
  // CurrentPage, each under a temporary name moved over the old file; a failed write raises and
  // leaves the old files. LoadPage reads page Number into the board (not CurrentPage): a picture
  // of any size or depth lies at the top left of a page in the page's colour; a missing or
  // short n.dat means no grid and DefaultBackColor; a picture that does not load raises with the
  // board unchanged.
  void SavePage();
  void LoadPage(uint32_t Number);
  // The turns the slide ends with; False (nothing done) from page 1.
  bool PrevPage();
  bool NextPage();
  // Direction 0 previous, 1 next; beeps where the board cannot go.
  void StartPageSlide(uint8_t Direction, int32_t Step);
  // The page at 160 x 120 into Previews, at index CurrentPage - 1.
  void UpdateThumbnail();
  // Thumbnails for the pages Previews has none of yet (a board just opened), from their pictures.
  void FillMissingThumbnails();
  // The page select strip at the right (AtRight) or left screen edge, with the page on the board
  // as its thumbnail.
  void OpenPageSelect(bool AtRight);

  // The tile overlay\<GridName>.bmp repeated over the page into "Grid"; a missing, unreadable
  // or empty tile turns the grid off.
  void LoadGrid();
  void ReplaceColor(TColor OldColor, TColor NewColor);
  // Today's month, day and weekday, 64 x 312 from (X, Y), in DateFont's glyphs.
  void StampDate(int32_t X, int32_t Y);

  // The frame onto DXDraw's back surface, and the tool's cursor at P; nothing unless it can draw.
  // The page with the grid over it is kept between frames and made again where it changed.
  void PaintFrame();
  void DrawToolCursor(const TPoint& P);
  void DrawPageNumber(TCanvas* Canvas, int32_t X, int32_t Y);

  // Today's date for the stamp (the platform's date when empty).
  std::function<TDateTime()> Today;

  std::unique_ptr<TBits> MouseState;
  TColor BackColor = 0;
  TColor DefaultBackColor = 0;
  std::unique_ptr<TBitmap> Board;
  int32_t TrayHeight = 48;
  std::unique_ptr<TChalk> Chalk;
  std::unique_ptr<TBitmap> Tray;
  std::unique_ptr<TBitmap> TrayStrip;
  std::unique_ptr<TChalkList> Chalks;
  uint8_t Tool = 0;
  TRect EraserRect{0, 0, 0, 0};
  int32_t ScreenWidth = 0;
  int32_t ScreenHeight = 0;
  uint32_t CurrentPage = 1;
  uint32_t PageCount = 1;
  uint8_t LastPageDrawn = 0;
  uint8_t Sliding = 0;
  uint8_t SlideDirection = 0;
  TPoint SlidePos{0, 0};
  int32_t SlideStep = 32;
  uint8_t PageSelectOpen = 0;
  AnsiString TmpDir;
  AnsiString BoardsDir;
  uint8_t PictureWaiting = 0;
  uint8_t GridOn = 0;
  uint8_t Options = 3;
  TCustomImageList* Previews = nullptr;
  AnsiString GridName;
  TCustomDXDraw* DXDraw = nullptr;
  // The main form's picture collection (not owned); none in a board without a display.
  TBoardPictures* ImageList = nullptr;
  int32_t RulerAnchored = 0;
  std::unique_ptr<TKonaList> Dust;
  uint8_t LogState = 0;
  std::unique_ptr<TLogList> Log;
  int32_t ReplayIndex = 0;
  std::unique_ptr<TBitmap> DateFont;

 private:
  void Wipe(const TRect& AtLast, const TRect& AtNew, int32_t X, int32_t Y, int32_t LastX,
            int32_t LastY, bool Smear);
  void Sweep(bool Long, int32_t X, int32_t Y, int32_t LastY, int32_t LastX, bool Smear);
  bool ValidChalk(int32_t Index) const;
  void ShowChalkInHand(int32_t Index);
  AnsiString PageFile(uint32_t Number, const char* Suffix) const;
  // A screen-wide page picture filled with Fill, FileName's picture (when it exists) at (0, 0).
  std::unique_ptr<TBitmap> PagePicture(const AnsiString& FileName, TColor Fill) const;
  // The page, with the grid when Grid has a surface, onto Surface from the kept composition;
  // False (nothing drawn) where it cannot be kept: the frame is then drawn piece by piece.
  bool DrawComposedPage(TDirectDrawSurface* Surface, const TBoardPatternSource& Grid);
  struct ComposedPage;
  std::shared_ptr<ComposedPage> Composed;
  // The pixels that last left the board, which the next page turned to is read into, and the
  // buffer the turn compares a page's grid file through.
  std::unique_ptr<TBitmap> SparePage;
  std::vector<uint8_t> ReadBuffer;
};

// ---------------------------------------------------------------- shared helpers

// Clamped at 0 and 255; the two chalk colours whose darkening turns muddy keep green at 80 or more.
TColor DarkenColor(TColor Colour, int16_t DR, int16_t DG, int16_t DB);
int32_t ArmSin(int32_t Arm, int32_t Degrees);
int32_t ArmCos(int32_t Arm, int32_t Degrees);
// Copies the source rectangle to (X, Y) except its pixels of pure black.
void BlitBlackTransparent(HDC DestDC, int32_t X, int32_t Y, int32_t Width, int32_t Height,
                          HDC SourceDC, int32_t SourceX, int32_t SourceY);
int32_t PointDistance(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2);
// Shows the application's main form (nothing when there is none).
void ShowMainForm();
bool RectsIntersect(const TRect& R1, const TRect& R2);
// The ruler's direction from anchor A to P in degrees (0 to 360, y downwards), with Snap in
// 45-degree steps; and an angle in the drawing layer's 256 steps per turn (0 to 255).
double RulerDegrees(const TPoint& A, const TPoint& P, bool Snap);
double SnapRulerDegrees(double Degrees);
int32_t DrawAngle256(double Degrees);

// The folder of the program file with a trailing delimiter, where settings.ini, tmp\ and the
// pictures are. SetProgramFolder puts another folder in its place (empty: the program's own).
AnsiString ProgramFolder();
void SetProgramFolder(const AnsiString& Folder);
// Name itself when absolute, else Name in the program folder.
AnsiString InProgramFolder(const AnsiString& Name);
