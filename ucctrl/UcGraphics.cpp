#include "UcGraphics.h"

#include "wintext.h"

namespace {
// The canvas's protected state request, reached from outside.
struct CanvasAccess : TCanvas {
  static void Require(TCanvas* c, TCanvasState s) { (c->*(&CanvasAccess::RequiredState))(s); }
};
}  // namespace

void WideCanvasPrepare(TCanvas* Canvas) { CanvasAccess::Require(Canvas, csHandleValid | csFontValid | csBrushValid); }

TSize WideCanvasTextExtent(TCanvas* Canvas, const WideString& Text) {
  CanvasAccess::Require(Canvas, csHandleValid | csFontValid);
  SIZE s{0, 0};
  GetTextExtentPoint32W(Canvas->Handle(), Text.c_str(), static_cast<int>(Text.size()), &s);
  return s;
}

int WideCanvasTextWidth(TCanvas* Canvas, const WideString& Text) { return WideCanvasTextExtent(Canvas, Text).cx; }
int WideCanvasTextHeight(TCanvas* Canvas, const WideString& Text) { return WideCanvasTextExtent(Canvas, Text).cy; }
