// The canvas: drawing operations over a device context. Before each operation the pen, brush and
// font it needs are selected into the DC (RequiredState); a change of one of them deselects it.
#include <vector>

#include "Graphics.h"

namespace {

constexpr int kRop2[] = {
    R2_BLACK, R2_WHITE, R2_NOP, R2_NOT, R2_COPYPEN, R2_NOTCOPYPEN, R2_MERGEPENNOT, R2_MASKPENNOT,
    R2_MERGENOTPEN, R2_MASKNOTPEN, R2_MERGEPEN, R2_NOTMERGEPEN, R2_MASKPEN, R2_NOTMASKPEN, R2_XORPEN, R2_NOTXORPEN};

}  // namespace

TCanvas::TCanvas() : FPen(std::make_unique<TPen>()), FBrush(std::make_unique<TBrush>()), FFont(std::make_unique<TFont>()) {
  FPen->OnChange = [this](TObject*) {
    if (FState & csPenValid) {
      FState &= static_cast<TCanvasState>(~csPenValid);
      SelectObject(FHandle, GetStockObject(BLACK_PEN));
    }
  };
  FBrush->OnChange = [this](TObject*) {
    if (FState & csBrushValid) {
      FState &= static_cast<TCanvasState>(~csBrushValid);
      SelectObject(FHandle, GetStockObject(HOLLOW_BRUSH));
    }
  };
  FFont->OnChange = [this](TObject*) {
    if (FState & csFontValid) {
      FState &= static_cast<TCanvasState>(~csFontValid);
      SelectObject(FHandle, GetStockObject(SYSTEM_FONT));
    }
  };
}

TCanvas::~TCanvas() {
  // The DC may outlive the canvas (a DC handed in from outside): leave nothing of ours in it.
  if (FHandle) DeselectHandles();
  FPen->OnChange = nullptr;
  FBrush->OnChange = nullptr;
  FFont->OnChange = nullptr;
}

// The DC with the canvas's font, pen and brush selected, so that calls made on it directly
// (DrawText, the wide text calls) draw with them.
HDC TCanvas::Handle() {
  RequiredState(csHandleValid | csFontValid | csPenValid | csBrushValid);
  return FHandle;
}

void TCanvas::SetHandle(HDC value) {
  if (value == FHandle) return;
  if (FHandle) DeselectHandles();
  FHandle = value;
  FState = value ? csHandleValid : 0;
}

void TCanvas::CreateHandle() {}

void TCanvas::DeselectHandles() {
  if (FHandle && (FState & (csPenValid | csBrushValid | csFontValid))) {
    SelectObject(FHandle, GetStockObject(BLACK_PEN));
    SelectObject(FHandle, GetStockObject(HOLLOW_BRUSH));
    SelectObject(FHandle, GetStockObject(SYSTEM_FONT));
  }
  FState &= static_cast<TCanvasState>(~(csPenValid | csBrushValid | csFontValid));
}

void TCanvas::Refresh() { DeselectHandles(); }

void TCanvas::RequiredState(TCanvasState required) {
  TCanvasState need = required & ~FState;
  if (!need) return;
  if (need & csHandleValid) {
    CreateHandle();
    if (!FHandle) throw EInvalidOperation(SNoCanvasHandle);
  }
  if (need & csFontValid) CreateFont();
  if (need & csPenValid) CreatePen();
  if (need & csBrushValid) CreateBrush();
  FState |= need;
}

void TCanvas::CreatePen() {
  SelectObject(FHandle, FPen->Handle());
  SetROP2(FHandle, kRop2[FPen->Mode()]);
}

void TCanvas::CreateBrush() {
  SelectObject(FHandle, FBrush->Handle());
  // Text and hatches are drawn over the brush colour only for a solid brush.
  const COLORREF c = static_cast<COLORREF>(ColorToRGB(FBrush->Color()));
  if (FBrush->Style() == bsSolid) {
    SetBkColor(FHandle, c);
    SetBkMode(FHandle, OPAQUE);
  } else {
    SetBkColor(FHandle, ~c & 0xFFFFFF);
    SetBkMode(FHandle, TRANSPARENT);
  }
}

void TCanvas::CreateFont() {
  SelectObject(FHandle, FFont->Handle());
  SetTextColor(FHandle, static_cast<COLORREF>(ColorToRGB(FFont->Color())));
}

void TCanvas::Changing() {
  if (OnChanging) OnChanging(this);
}

void TCanvas::Changed() {
  if (OnChange) OnChange(this);
}

TPoint TCanvas::PenPos() {
  RequiredState(csHandleValid);
  POINT p{0, 0};
  GetCurrentPositionEx(FHandle, &p);
  return p;
}

TRect TCanvas::ClipRect() {
  RequiredState(csHandleValid);
  RECT r{0, 0, 0, 0};
  GetClipBox(FHandle, &r);
  return r;
}

TColor TCanvas::Pixels(int32_t x, int32_t y) {
  RequiredState(csHandleValid);
  return static_cast<TColor>(GetPixel(FHandle, x, y));
}

void TCanvas::SetPixels(int32_t x, int32_t y, TColor color) {
  Changing();
  RequiredState(csHandleValid | csPenValid);
  SetPixel(FHandle, x, y, static_cast<COLORREF>(ColorToRGB(color)));
  Changed();
}

void TCanvas::MoveTo(int32_t x, int32_t y) {
  RequiredState(csHandleValid);
  MoveToEx(FHandle, x, y, nullptr);
}

void TCanvas::LineTo(int32_t x, int32_t y) {
  Changing();
  RequiredState(csHandleValid | csPenValid | csBrushValid);
  ::LineTo(FHandle, x, y);
  Changed();
}

void TCanvas::Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  Changing();
  RequiredState(csHandleValid | csPenValid | csBrushValid);
  ::Rectangle(FHandle, x1, y1, x2, y2);
  Changed();
}

void TCanvas::FillRect(const TRect& r) {
  Changing();
  RequiredState(csHandleValid | csBrushValid);
  const RECT rc = r;
  ::FillRect(FHandle, &rc, FBrush->Handle());
  Changed();
}

void TCanvas::FrameRect(const TRect& r) {
  Changing();
  RequiredState(csHandleValid | csBrushValid);
  const RECT rc = r;
  ::FrameRect(FHandle, &rc, FBrush->Handle());
  Changed();
}

void TCanvas::Ellipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  Changing();
  RequiredState(csHandleValid | csPenValid | csBrushValid);
  ::Ellipse(FHandle, x1, y1, x2, y2);
  Changed();
}

void TCanvas::Polygon(std::span<const TPoint> points) {
  Changing();
  RequiredState(csHandleValid | csPenValid | csBrushValid);
  ::Polygon(FHandle, points.data(), static_cast<int>(points.size()));
  Changed();
}

void TCanvas::Polyline(std::span<const TPoint> points) {
  Changing();
  RequiredState(csHandleValid | csPenValid | csBrushValid);
  ::Polyline(FHandle, points.data(), static_cast<int>(points.size()));
  Changed();
}

void TCanvas::Draw(int32_t x, int32_t y, TGraphic* graphic) {
  if (!graphic || graphic->Empty()) return;
  Changing();
  RequiredState(csHandleValid);
  graphic->Draw(this, Rect(x, y, x + graphic->Width(), y + graphic->Height()));
  Changed();
}

void TCanvas::StretchDraw(const TRect& r, TGraphic* graphic) {
  if (!graphic || graphic->Empty()) return;
  Changing();
  RequiredState(csHandleValid);
  graphic->Draw(this, r);
  Changed();
}

void TCanvas::CopyRect(const TRect& dest, TCanvas* canvas, const TRect& source) {
  Changing();
  RequiredState(csHandleValid | csFontValid | csBrushValid);
  canvas->RequiredState(csHandleValid | csBrushValid);
  StretchBlt(FHandle, dest.left, dest.top, (dest.right - dest.left), (dest.bottom - dest.top), canvas->FHandle, source.left, source.top,
             (source.right - source.left), (source.bottom - source.top), static_cast<DWORD>(FCopyMode));
  Changed();
}

void TCanvas::TextOut(int32_t x, int32_t y, const AnsiString& text) {
  Changing();
  RequiredState(csHandleValid | csFontValid | csBrushValid);
  ExtTextOutA(FHandle, x, y, 0, nullptr, text.data(), static_cast<UINT>(text.size()), nullptr);
  MoveToEx(FHandle, x + TextWidth(text), y, nullptr);
  Changed();
}

void TCanvas::TextRect(const TRect& r, int32_t x, int32_t y, const AnsiString& text) {
  Changing();
  RequiredState(csHandleValid | csFontValid | csBrushValid);
  UINT options = ETO_CLIPPED;
  if (FBrush->Style() != bsClear) options |= ETO_OPAQUE;
  const RECT rc = r;
  ExtTextOutA(FHandle, x, y, options, &rc, text.data(), static_cast<UINT>(text.size()), nullptr);
  Changed();
}

TSize TCanvas::TextExtent(const AnsiString& text) {
  RequiredState(csHandleValid | csFontValid);
  SIZE s{0, 0};
  GetTextExtentPoint32A(FHandle, text.data(), static_cast<int>(text.size()), &s);
  return s;
}
