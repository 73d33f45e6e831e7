// Graphics: colours, pens, brushes, fonts, the canvas over a device context, and the pictures
// (TGraphic, TBitmap over a DIB section, TPicture with its file-format registry).
#pragma once
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <span>
#include <vector>

#include <windows.h>

#include "Classes.h"
#include "SysUtils.h"
#include "System.h"
#include "Types.h"

// ---- Colours ---------------------------------------------------------------------------------

// A colour: $00BBGGRR for RGB values (red in the low byte); negative values ($80000000 | index)
// name a system colour, resolved by ColorToRGB.
using TColor = int32_t;

constexpr TColor TColorOf(uint32_t v) { return static_cast<TColor>(v); }

constexpr TColor clSystemColor = TColorOf(0x80000000u);
constexpr TColor clScrollBar = clSystemColor | 0;
constexpr TColor clBackground = clSystemColor | 1;
constexpr TColor clActiveCaption = clSystemColor | 2;
constexpr TColor clInactiveCaption = clSystemColor | 3;
constexpr TColor clMenu = clSystemColor | 4;
constexpr TColor clWindow = clSystemColor | 5;
constexpr TColor clWindowFrame = clSystemColor | 6;
constexpr TColor clMenuText = clSystemColor | 7;
constexpr TColor clWindowText = clSystemColor | 8;
constexpr TColor clCaptionText = clSystemColor | 9;
constexpr TColor clActiveBorder = clSystemColor | 10;
constexpr TColor clInactiveBorder = clSystemColor | 11;
constexpr TColor clAppWorkSpace = clSystemColor | 12;
constexpr TColor clHighlight = clSystemColor | 13;
constexpr TColor clHighlightText = clSystemColor | 14;
constexpr TColor clBtnFace = clSystemColor | 15;
constexpr TColor clBtnShadow = clSystemColor | 16;
constexpr TColor clGrayText = clSystemColor | 17;
constexpr TColor clBtnText = clSystemColor | 18;
constexpr TColor clInactiveCaptionText = clSystemColor | 19;
constexpr TColor clBtnHighlight = clSystemColor | 20;
constexpr TColor cl3DDkShadow = clSystemColor | 21;
constexpr TColor cl3DLight = clSystemColor | 22;
constexpr TColor clInfoText = clSystemColor | 23;
constexpr TColor clInfoBk = clSystemColor | 24;
constexpr TColor clHotLight = clSystemColor | 26;
constexpr TColor clGradientActiveCaption = clSystemColor | 27;
constexpr TColor clGradientInactiveCaption = clSystemColor | 28;
constexpr TColor clMenuHighlight = clSystemColor | 29;
constexpr TColor clMenuBar = clSystemColor | 30;

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clLtGray = 0xC0C0C0;
constexpr TColor clDkGray = 0x808080;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clMoneyGreen = 0xC0DCC0;
constexpr TColor clSkyBlue = 0xF0CAA6;
constexpr TColor clCream = 0xF0FBFF;
constexpr TColor clMedGray = 0xA4A0A0;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

// System colours become their RGB value from GetSysColor; every other value is returned unchanged.
TColor ColorToRGB(TColor color);
// "clGreen" for a named colour, else "$00BBGGRR" (eight upper-case hex digits).
AnsiString ColorToString(TColor color);
// A colour name (case-insensitive) or an integer text as StrToInt reads it ("255", "-1",
// "$00FF8000"); anything else raises EConvertError.
TColor StringToColor(const AnsiString& text);
bool ColorToIdent(int32_t color, AnsiString& ident);
bool IdentToColor(const AnsiString& ident, int32_t& color);
// Calls `proc` with every colour name, in table order.
void GetColorValues(const std::function<void(const AnsiString&)>& proc);

// ---- Pens, brushes, fonts --------------------------------------------------------------------

class TBitmap;
class TCanvas;
class TGraphic;

// Base of the pen, brush and font: an OnChange event and a lazily created GDI handle.
class TGraphicsObject : public TPersistent {
 public:
  std::function<void(TObject*)> OnChange;

 protected:
  virtual void Changed();
};

enum TPenStyle : uint8_t { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TPenMode : uint8_t {
  pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
  pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor
};

class TPen : public TGraphicsObject {
 public:
  TPen();
  ~TPen() override;
  void Assign(TPersistent* source) override;

  TColor Color() const { return FColor; }
  void SetColor(TColor value);
  int32_t Width() const { return FWidth; }
  void SetWidth(int32_t value);
  TPenStyle Style() const { return FStyle; }
  void SetStyle(TPenStyle value);
  TPenMode Mode() const { return FMode; }
  void SetMode(TPenMode value);
  // Created on demand; a change of colour, width or style makes a new one at the next call.
  HPEN Handle();
  // Adopts a pen made elsewhere; the pen object owns it from now on.
  void SetHandle(HPEN value);

 private:
  void Invalidate();
  TColor FColor = clBlack;
  int32_t FWidth = 1;
  TPenStyle FStyle = psSolid;
  TPenMode FMode = pmCopy;
  HPEN FHandle = nullptr;
  bool FOwnsHandle = false;
};

enum TBrushStyle : uint8_t { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };

class TBrush : public TGraphicsObject {
 public:
  TBrush();
  ~TBrush() override;
  void Assign(TPersistent* source) override;

  TColor Color() const { return FColor; }
  void SetColor(TColor value);
  TBrushStyle Style() const { return FStyle; }
  void SetStyle(TBrushStyle value);
  // A pattern bitmap, tiled from the origin; not owned. While set it replaces colour and style.
  TBitmap* Bitmap() const { return FBitmap; }
  void SetBitmap(TBitmap* value);
  HBRUSH Handle();
  void SetHandle(HBRUSH value);

 private:
  void Invalidate();
  TColor FColor = clWhite;
  TBrushStyle FStyle = bsSolid;
  TBitmap* FBitmap = nullptr;
  HBRUSH FHandle = nullptr;
  bool FOwnsHandle = false;
};

enum TFontStyle : uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle>;
enum TFontPitch : uint8_t { fpDefault, fpVariable, fpFixed };
using TFontCharset = uint8_t;

class TFont : public TGraphicsObject {
 public:
  TFont();
  ~TFont() override;
  void Assign(TPersistent* source) override;

  // Face name, ANSI text.
  const AnsiString& Name() const { return FName; }
  void SetName(const AnsiString& value);
  // Points at 96 dots per inch: Height = -MulDiv(Size, 96, 72).
  int32_t Size() const;
  void SetSize(int32_t value);
  // Pixels; negative for the character height, positive for the cell height.
  int32_t Height() const { return FHeight; }
  void SetHeight(int32_t value);
  TFontStyles Style() const { return FStyle; }
  void SetStyle(TFontStyles value);
  TColor Color() const { return FColor; }
  void SetColor(TColor value);
  TFontCharset Charset() const { return FCharset; }
  void SetCharset(TFontCharset value);
  TFontPitch Pitch() const { return FPitch; }
  void SetPitch(TFontPitch value);
  int32_t PixelsPerInch() const { return 96; }
  HFONT Handle();
  void SetHandle(HFONT value);

 private:
  void Invalidate();
  AnsiString FName;
  int32_t FHeight;
  TFontStyles FStyle;
  TColor FColor = clWindowText;
  TFontCharset FCharset;
  TFontPitch FPitch = fpDefault;
  HFONT FHandle = nullptr;
  bool FOwnsHandle = false;
};

// ---- Canvas ----------------------------------------------------------------------------------

using TCopyMode = int32_t;
constexpr TCopyMode cmBlackness = static_cast<TCopyMode>(BLACKNESS);
constexpr TCopyMode cmDstInvert = static_cast<TCopyMode>(DSTINVERT);
constexpr TCopyMode cmMergeCopy = static_cast<TCopyMode>(MERGECOPY);
constexpr TCopyMode cmMergePaint = static_cast<TCopyMode>(MERGEPAINT);
constexpr TCopyMode cmNotSrcCopy = static_cast<TCopyMode>(NOTSRCCOPY);
constexpr TCopyMode cmNotSrcErase = static_cast<TCopyMode>(NOTSRCERASE);
constexpr TCopyMode cmPatCopy = static_cast<TCopyMode>(PATCOPY);
constexpr TCopyMode cmPatInvert = static_cast<TCopyMode>(PATINVERT);
constexpr TCopyMode cmPatPaint = static_cast<TCopyMode>(PATPAINT);
constexpr TCopyMode cmSrcAnd = static_cast<TCopyMode>(SRCAND);
constexpr TCopyMode cmSrcCopy = static_cast<TCopyMode>(SRCCOPY);
constexpr TCopyMode cmSrcErase = static_cast<TCopyMode>(SRCERASE);
constexpr TCopyMode cmSrcInvert = static_cast<TCopyMode>(SRCINVERT);
constexpr TCopyMode cmSrcPaint = static_cast<TCopyMode>(SRCPAINT);
constexpr TCopyMode cmWhiteness = static_cast<TCopyMode>(WHITENESS);

// The canvas states: which of the handle and the drawing objects are selected into the DC.
enum : uint8_t { csHandleValid = 1, csFontValid = 2, csPenValid = 4, csBrushValid = 8 };
using TCanvasState = uint8_t;

class TCanvas : public TPersistent {
 public:
  TCanvas();
  ~TCanvas() override;

  // The device context; a canvas without one asks CreateHandle, which raises EInvalidOperation
  // "キャンバスに描画できません" unless a subclass provides one.
  HDC Handle();
  // Deselects the drawing objects from the old DC and takes `value` (not owned).
  void SetHandle(HDC value);
  bool HandleAllocated() const { return FHandle != nullptr; }

  TPen* Pen() { return FPen.get(); }
  TBrush* Brush() { return FBrush.get(); }
  TFont* Font() { return FFont.get(); }
  void SetPen(TPen* value) { FPen->Assign(value); }
  void SetBrush(TBrush* value) { FBrush->Assign(value); }
  void SetFont(TFont* value) { FFont->Assign(value); }
  TCopyMode CopyMode() const { return FCopyMode; }
  void SetCopyMode(TCopyMode value) { FCopyMode = value; }

  TPoint PenPos();
  void SetPenPos(const TPoint& value) { MoveTo(value.x, value.y); }
  TRect ClipRect();
  // -1 (CLR_INVALID) outside the DC's bitmap.
  TColor Pixels(int32_t x, int32_t y);
  void SetPixels(int32_t x, int32_t y, TColor color);

  void MoveTo(int32_t x, int32_t y);
  void LineTo(int32_t x, int32_t y);
  void Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
  void Rectangle(const TRect& r) { Rectangle(r.left, r.top, r.right, r.bottom); }
  void FillRect(const TRect& r);
  void FrameRect(const TRect& r);
  void Ellipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
  void Ellipse(const TRect& r) { Ellipse(r.left, r.top, r.right, r.bottom); }
  void Polygon(std::span<const TPoint> points);
  void Polygon(std::initializer_list<TPoint> points) { Polygon(std::span<const TPoint>(points.begin(), points.size())); }
  void Polyline(std::span<const TPoint> points);
  void Polyline(std::initializer_list<TPoint> points) { Polyline(std::span<const TPoint>(points.begin(), points.size())); }

  // Draws the graphic at its own size; a transparent graphic leaves the canvas where it is clear.
  void Draw(int32_t x, int32_t y, TGraphic* graphic);
  void StretchDraw(const TRect& r, TGraphic* graphic);
  // Stretches `source` of `canvas` onto `dest` with CopyMode.
  void CopyRect(const TRect& dest, TCanvas* canvas, const TRect& source);

  // ANSI text; the brush's colour fills behind it unless the brush style is bsClear.
  void TextOut(int32_t x, int32_t y, const AnsiString& text);
  void TextRect(const TRect& r, int32_t x, int32_t y, const AnsiString& text);
  TSize TextExtent(const AnsiString& text);
  int32_t TextWidth(const AnsiString& text) { return TextExtent(text).cx; }
  int32_t TextHeight(const AnsiString& text) { return TextExtent(text).cy; }

  // Deselects the pen, brush and font so that the next operation selects them afresh.
  void Refresh();

  std::function<void(TObject*)> OnChange;
  std::function<void(TObject*)> OnChanging;

 protected:
  virtual void CreateHandle();
  virtual void Changing();
  virtual void Changed();
  void RequiredState(TCanvasState required);
  TCanvasState State() const { return FState; }

 private:
  void DeselectHandles();
  void CreatePen();
  void CreateBrush();
  void CreateFont();

  HDC FHandle = nullptr;
  TCanvasState FState = 0;
  std::unique_ptr<TPen> FPen;
  std::unique_ptr<TBrush> FBrush;
  std::unique_ptr<TFont> FFont;
  TCopyMode FCopyMode = cmSrcCopy;
};

// ---- Graphics --------------------------------------------------------------------------------

// A picture that can load and save itself, tell its size and draw itself on a canvas.
class TGraphic : public TPersistent {
 public:
  TGraphic() = default;
  ~TGraphic() override = default;

  virtual bool Empty() const = 0;
  virtual int32_t Width() const = 0;
  virtual int32_t Height() const = 0;
  virtual void SetWidth(int32_t value) = 0;
  virtual void SetHeight(int32_t value) = 0;
  virtual bool Transparent() const { return FTransparent; }
  virtual void SetTransparent(bool value);
  virtual HPALETTE Palette() { return nullptr; }
  virtual void SetPalette(HPALETTE value) {}
  // A number that moves whenever the pixels may have changed, also where no change event is
  // raised (GDI calls on the canvas's handle, writes through ScanLine). Graphics that have no
  // such ways keep 0; a change event tells of their changes.
  virtual uint64_t ContentStamp() const { return 0; }
  bool Modified() const { return FModified; }
  void SetModified(bool value);
  // Set by graphics whose colour table changed, for whoever realises their palette.
  bool PaletteModified() const { return FPaletteModified; }
  void SetPaletteModified(bool value) { FPaletteModified = value; }

  virtual void LoadFromFile(const AnsiString& fileName);
  virtual void SaveToFile(const AnsiString& fileName);
  virtual void LoadFromStream(TStream* stream) = 0;
  virtual void SaveToStream(TStream* stream) = 0;
  // Clipboard data: reads the picture from data of `format` (the data stays the clipboard's),
  // or makes new data for the caller to place. A format the class does not know raises
  // EInvalidGraphic "サポートされていないクリップボード形式です".
  virtual void LoadFromClipboardFormat(uint16_t format, HANDLE data, HPALETTE palette);
  virtual void SaveToClipboardFormat(uint16_t& format, HANDLE& data, HPALETTE& palette);

  std::function<void(TObject*)> OnChange;

 protected:
  friend class TCanvas;
  // Draws the whole picture stretched over `r`.
  virtual void Draw(TCanvas* canvas, const TRect& r) = 0;
  virtual void Changed(TObject* sender);
  // A TBitmap destination receives a drawing of this picture; other destinations are refused.
  void AssignTo(TPersistent* dest) override;

 private:
  bool FTransparent = false;
  bool FModified = false;
  bool FPaletteModified = false;
};

// Image data shared by several graphics, counted: the last Release frees it.
class TSharedImage : public TObject {
 public:
  int32_t RefCount() const { return FRefCount; }
  void Reference() { ++FRefCount; }
  // Drops one reference; at none the image frees its handles and itself.
  void Release();

 protected:
  virtual void FreeHandle() = 0;

 private:
  int32_t FRefCount = 0;
};

// Makes a new, empty graphic of one class; the "class reference" of the file-format registry.
using TGraphicClass = TGraphic* (*)();
template <class T>
TGraphic* GraphicClassOf() {
  return new T();
}

enum TPixelFormat : uint8_t { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
enum TTransparentMode : uint8_t { tmAuto, tmFixed };
enum TBitmapHandleType : uint8_t { bmDIB, bmDDB };

// The canvas of a bitmap: a memory DC of its own with the bitmap selected.
class TBitmapCanvas : public TCanvas {
 public:
  explicit TBitmapCanvas(TBitmap* bitmap) : FBitmap(bitmap) {}
  ~TBitmapCanvas() override;
  // Deselects the bitmap and frees the DC; the next drawing makes a new one.
  void FreeContext();

 protected:
  void CreateHandle() override;

 private:
  TBitmap* FBitmap;
  HDC FDC = nullptr;
  HGDIOBJ FOldBitmap = nullptr;
};

// A bitmap held in a DIB section (rows bottom-up, as the platform stores them), so that ScanLine
// addresses the pixels directly. pfDevice bitmaps are 32 bits per pixel.
class TBitmap : public TGraphic {
 public:
  TBitmap();
  ~TBitmap() override;
  void Assign(TPersistent* source) override;

  bool Empty() const override { return FWidth == 0 || FHeight == 0; }
  int32_t Width() const override { return FWidth; }
  int32_t Height() const override { return FHeight; }
  void SetWidth(int32_t value) override { SetSize(value, FHeight); }
  void SetHeight(int32_t value) override { SetSize(FWidth, value); }
  // Keeps the pixels that still fit at the top left; new pixels are black.
  void SetSize(int32_t width, int32_t height);

  TPixelFormat PixelFormat() const { return FPixelFormat; }
  // Converts the pixels to the new format (indexed formats take the nearest colour of their table).
  void SetPixelFormat(TPixelFormat value);
  bool Monochrome() const { return FPixelFormat == pf1bit; }
  void SetMonochrome(bool value);
  TBitmapHandleType HandleType() const { return FPixelFormat == pfDevice ? bmDDB : bmDIB; }
  void SetHandleType(TBitmapHandleType value);

  // The address of row `row` (0 = top), whatever the storage order; raises EInvalidGraphicOperation
  // "スキャン ラインのインデックスが範囲を超えています" outside the bitmap.
  // The row may be written through: the bitmap counts as changed.
  uint8_t* ScanLine(int32_t row);
  TCanvas* Canvas();
  uint64_t ContentStamp() const override;
  // The rectangle that may have changed since Stamp, which ContentStamp or this call answered
  // while HandleIdentity was the same: empty for none. Answers the stamp now.
  uint64_t ChangedSince(uint64_t Stamp, TRect& Changed) const;
  // Which pixel store the bitmap holds now (a stamp belongs to one), for comparison only.
  const void* HandleIdentity() const { return FHandle; }

  TColor TransparentColor() const;
  void SetTransparentColor(TColor value);
  TTransparentMode TransparentMode() const { return FTransparentMode; }
  void SetTransparentMode(TTransparentMode value);

  // The DIB section; nullptr while empty. The canvas lets go of it (its DC is made again when the
  // canvas is next used), so the caller may select it into a DC of its own.
  HBITMAP Handle();
  // Adopts `value` (owned from now on; a bitmap that is no DIB section is copied into one and freed).
  void SetHandle(HBITMAP value);
  // Hands the DIB section over to the caller and leaves this bitmap empty.
  HBITMAP ReleaseHandle();
  bool HandleAllocated() const { return FHandle != nullptr; }
  // The colour table as a logical palette (owned by the bitmap); nullptr for true-colour bitmaps.
  HPALETTE Palette() override;
  // Takes the entries of `value` as the colour table (the handle stays the caller's).
  void SetPalette(HPALETTE value) override;

  void LoadFromStream(TStream* stream) override;
  void SaveToStream(TStream* stream) override;
  // CF_BITMAP: a copy of the bitmap (and of the palette of an indexed one).
  void LoadFromClipboardFormat(uint16_t format, HANDLE data, HPALETTE palette) override;
  void SaveToClipboardFormat(uint16_t& format, HANDLE& data, HPALETTE& palette) override;

  // Bits per pixel of the storage, stride of a row, and the colour table (indexed formats).
  int32_t BitCount() const;
  size_t Stride() const { return FStride; }
  const std::vector<RGBQUAD>& ColorTable() const { return FColorTable; }

 protected:
  void Draw(TCanvas* canvas, const TRect& r) override;
  void Changed(TObject* sender) override;

 private:
  friend class TBitmapCanvas;
  void NewImage(int32_t width, int32_t height, TPixelFormat format, const std::vector<RGBQUAD>* table, bool is565);
  void FreeHandle();
  void Changing();
  uint8_t* RowAddress(int32_t row) const { return FBits + static_cast<size_t>(FHeight - 1 - row) * FStride; }
  COLORREF PixelRGB(int32_t x, int32_t row) const;
  void FreePalette();

  int32_t FWidth = 0;
  int32_t FHeight = 0;
  TPixelFormat FPixelFormat = pfDevice;
  bool FIs565 = false;
  HBITMAP FHandle = nullptr;
  uint8_t* FBits = nullptr;
  size_t FStride = 0;
  std::vector<RGBQUAD> FColorTable;
  HPALETTE FPalette = nullptr;
  std::unique_ptr<TBitmapCanvas> FCanvas;
  TColor FTransparentColor = clDefault;
  TTransparentMode FTransparentMode = tmAuto;
};

// An icon: a picture with a mask (the background shows through where the mask is set), held as
// an HICON and drawn with DrawIconEx. It reads and writes the .ico format; an icon read from a
// stream writes back the very bytes it was read from (every image of the file).
class TIcon : public TGraphic {
 public:
  TIcon();
  ~TIcon() override;
  // From another icon: a copy of its handle and its file image; nullptr empties.
  void Assign(TPersistent* source) override;

  bool Empty() const override { return FHandle == nullptr; }
  int32_t Width() const override { return FHandle ? FWidth : 0; }
  int32_t Height() const override { return FHandle ? FHeight : 0; }
  // While empty: the size to choose from the images of the next file read (0: the system's
  // icon size). An icon's size cannot change: raises EInvalidGraphicOperation otherwise.
  void SetWidth(int32_t value) override;
  void SetHeight(int32_t value) override;

  // The icon; nullptr while empty.
  HICON Handle() const { return FHandle; }
  // Adopts `value` (destroyed with the icon; the shared standard icons survive that).
  void SetHandle(HICON value);
  // Hands the icon over to the caller and leaves this one empty.
  HICON ReleaseHandle();
  bool HandleAllocated() const { return FHandle != nullptr; }

  // Reads one .ico file from the stream's position: of its images, the one nearest the size
  // asked for (the most colours among equals) becomes the icon. Bad data raises EInvalidGraphic.
  void LoadFromStream(TStream* stream) override;
  void SaveToStream(TStream* stream) override;

 protected:
  void Draw(TCanvas* canvas, const TRect& r) override;

 private:
  void FreeHandle();
  void TakeHandle(HICON value);
  HICON FHandle = nullptr;
  int32_t FWidth = 0;
  int32_t FHeight = 0;
  int32_t FRequestedWidth = 0;
  int32_t FRequestedHeight = 0;
  std::vector<uint8_t> FImage;  // the .ico file the icon was read from; empty when made otherwise
};

// A holder of any graphic, loading files by extension through the registry of file formats.
class TPicture : public TPersistent {
 public:
  TPicture();
  ~TPicture() override;
  void Assign(TPersistent* source) override;

  // The held graphic (nullptr when none); not owned by the caller.
  TGraphic* Graphic() const { return FGraphic.get(); }
  // Stores a copy of `value` (a new graphic of its class, assigned from it); nullptr empties.
  void SetGraphic(TGraphic* value);
  // The graphic as a bitmap; a graphic of another class is first converted into one by drawing it.
  TBitmap* Bitmap();
  void SetBitmap(TBitmap* value) { SetGraphic(value); }
  int32_t Width() const { return FGraphic ? FGraphic->Width() : 0; }
  int32_t Height() const { return FGraphic ? FGraphic->Height() : 0; }

  // Chooses the graphic class by the file's extension; an unknown one raises EInvalidGraphic
  // "不明な画像ファイルの拡張子です (.xyz)".
  void LoadFromFile(const AnsiString& fileName);
  void SaveToFile(const AnsiString& fileName);

  static void RegisterFileFormat(const AnsiString& extension, const AnsiString& description, TGraphicClass graphicClass);
  // Clipboard formats are only recorded (the platform has no clipboard).
  static void RegisterClipboardFormat(uint16_t format, TGraphicClass graphicClass);
  static TGraphicClass ClipboardFormatClass(uint16_t format);
  // Removes the class from both registries.
  static void UnregisterGraphicClass(TGraphicClass graphicClass);
  // The class registered for an extension (with or without the dot, any case), or nullptr.
  static TGraphicClass FileFormatClass(const AnsiString& extension);

  std::function<void(TObject*)> OnChange;

 protected:
  void AssignTo(TPersistent* dest) override;

 private:
  void Changed(TObject* sender);
  void TakeGraphic(TGraphic* graphic);
  std::unique_ptr<TGraphic> FGraphic;
};

// Messages of the picture classes.
extern const char* const SInvalidBitmap;          // "ビットマップ イメージは無効です"
extern const char* const SUnknownExtension;       // "不明な画像ファイルの拡張子です (.%s)"
extern const char* const SScanLine;               // "スキャン ラインのインデックスが範囲を超えています"
extern const char* const SNoCanvasHandle;         // "キャンバスに描画できません"
extern const char* const SInvalidPixelFormat;     // "ピクセル形式が無効です"
extern const char* const SOutOfResources;         // "システム リソースが不足しています"
extern const char* const SInvalidIcon;            // "アイコン イメージは無効です"
extern const char* const SChangeIconSize;         // "アイコンのサイズは変更できません"
extern const char* const SUnknownClipboardFormat; // "サポートされていないクリップボード形式です"
