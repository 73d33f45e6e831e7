// Wide text on a framework canvas: extents and drawing with the canvas's font.
#pragma once
#include "Graphics.h"
#include "System.h"

// Makes sure the canvas has its device context with its font (and brush) selected.
void WideCanvasPrepare(TCanvas* Canvas);
TSize WideCanvasTextExtent(TCanvas* Canvas, const WideString& Text);
int WideCanvasTextWidth(TCanvas* Canvas, const WideString& Text);
int WideCanvasTextHeight(TCanvas* Canvas, const WideString& Text);
