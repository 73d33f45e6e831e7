// Mouse, wheel and key input of the main form: tool choices in the tray, strokes on the board.
#include <utility>

#include "Math.h"
#include "Unit_Main.h"
#include "Unit_PageSelect.h"
#include "windows.h"

namespace {

bool Inside(const TRect& R, int X, int Y) { return R.left <= X && X < R.right && R.top <= Y && Y < R.bottom; }

bool ButtonDown(int VirtualKey) { return GetKeyState(VirtualKey) < 0; }

}  // namespace

void TfrmMain::MarkPageDrawn() {
  if (board_->CurrentPage == board_->PageCount) board_->LastPageDrawn = 1;
}

void TfrmMain::AddLog(uint8_t Kind, const TPoint& P1, const TPoint& P2, uint8_t Byte1, int8_t Angle, const TPoint& C1,
                      const TPoint& C2) {
  if (board_->LogState == 1) board_->Log->AddItem(Kind, P1, P2, Byte1, Angle, C1.x, C1.y, C2.x, C2.y);
}

void TfrmMain::PickChalk(int Index) {
  TBlackBoard& b = *board_;
  b.Chalk->Index = Index;
  pictures_->Find("NowTool")->Picture()->Assign(b.Chalks->Get(Index)->Picture);
  pictures_->Restore();
  b.Tool = tlChalk;
}

void TfrmMain::TrayClick(TMouseButton Button, int X, int Y) {
  TBlackBoard& b = *board_;
  const int32_t W = b.ScreenWidth, H = b.ScreenHeight;
  b.PictureWaiting = 0;
  if (CameraCountdown == 0) {
    const int32_t prevWidth = pictures_->Find("prev")->Width(), nextWidth = pictures_->Find("next")->Width();
    if (Inside(Rect(0, H - 48, prevWidth, H), X, Y)) {
      if (Button == mbLeft) b.StartPageSlide(0, 32);
      else if (Button == mbRight) b.OpenPageSelect(false);
    } else if (Inside(Rect(W - nextWidth, H - 48, W, H), X, Y)) {
      if (Button == mbLeft) b.StartPageSlide(1, 32);
      else if (Button == mbRight) b.OpenPageSelect(true);
    }
  }
  for (int i = 0; i < b.Chalks->Count(); ++i) {
    const TRect& r = b.Chalks->Get(i)->Rect;
    if (Inside(Rect(r.left - 8, r.top - 18, r.right + 8, r.bottom + 17), X, Y)) PickChalk(i);
  }
  const TRect& e = b.EraserRect;
  if (Inside(e, X, Y)) b.Tool = b.Tool == tlEraser ? tlChalk : tlEraser;
  const int32_t longLeft = e.left - pictures_->Find("longEraser")->Width() - 10;
  if (Inside(Rect(longLeft, H - 48, e.left - 10, H), X, Y)) b.Tool = b.Tool == tlLongEraser ? tlChalk : tlLongEraser;
  const int32_t iconWidth = pictures_->Find("icontri")->Width();
  const int32_t rulerLeft = longLeft - (iconWidth + 10);
  if (Inside(Rect(rulerLeft, H - 48, rulerLeft + iconWidth, H), X, Y)) {
    if (b.Tool == tlRuler) {
      b.Tool = tlChalk;
    } else {
      b.RulerAnchored = 0;
      b.Tool = tlRuler;
    }
  }
}

void TfrmMain::BoardClick(TMouseButton Button, int X, int Y) {
  TBlackBoard& b = *board_;
  TChalk& c = *b.Chalk;
  if (ButtonDown(VK_LBUTTON) && ButtonDown(VK_RBUTTON) && (b.Tool == tlChalk || b.Tool == tlFinger) && c.Mode != 2) {
    c.Mode = 3;
    b.Tool = tlChalk;
    // A fresh tap counts its ticks from the press.
    TapTicks = 0;
    MarkPageDrawn();
    c.LastX = X;
    c.LastY = Y;
    b.MouseState->SetBits(0, true);
    b.MouseState->SetBits(1, true);
  } else if (Button == mbRight) {
    if (b.PictureWaiting) {
      b.PictureWaiting = 0;
    } else {
      b.MouseState->SetBits(1, true);
      c.Mode = 0;
      b.Tool = tlFinger;
    }
  } else if (Button == mbMiddle) {
    c.Mode = c.Mode == 2 ? 0 : 2;
  } else if (Button != mbLeft) {
    return;
  } else if (b.Tool == tlRuler) {
    if (!b.RulerAnchored) {
      c.LastX = X;
      c.LastY = Y;
      b.RulerAnchored = 1;
    } else {
      b.ChalkLine(X, Y, (b.Options & obChalkKasure) != 0);
      if (Random(4) == 0) b.Dust->Spawn(X, Y, b.ChalkColor(), 2, 4);
      b.RulerAnchored = 0;
      b.LastPageDrawn = 1;
      AddLog(lkRuler, Point(c.LastX, c.LastY), Point(X, Y), static_cast<uint8_t>(c.Index));
    }
  } else if (b.PictureWaiting) {
    TBitmap* picture = pictures_->Find("DragPic")->Picture()->Bitmap();
    BitBlt(b.Board->Canvas()->Handle(), X, Y, picture->Width(), picture->Height(), picture->Canvas()->Handle(), 0, 0,
           SRCCOPY);
    b.PictureWaiting = 0;
    MarkPageDrawn();
  } else if (b.Tool == tlEraser || b.Tool == tlLongEraser) {
    b.MouseState->SetBits(0, true);
  } else if (c.Mode == 2) {
    PlaySound(0);
    b.MouseState->SetBits(0, true);
    c.LastX = X;
    c.LastY = Y;
    const int32_t dx = ArmCos(26, c.Angle), dy = ArmSin(26, c.Angle);
    c.Corner1 = Point(X - dx, Y - dy);
    c.Corner2 = Point(X + dx, Y + dy);
  } else {
    b.MouseState->SetBits(0, true);
    PlaySound(0);
    if (Random(4) == 0) b.Dust->Spawn(X, Y, b.ChalkColor(), 2, 5);
    const bool ctrl = ButtonDown(VK_CONTROL), noBold = (b.Options & obCtrlNoBold) != 0;
    c.Mode = ctrl == noBold ? 1 : 0;
    c.LastX = X;
    c.LastY = Y;
  }
}

void TfrmMain::DXDrawMouseDown(TObject*, TMouseButton Button, TShiftState, int X, int Y) {
  if (!board_) return;
  TBlackBoard& b = *board_;
  if (b.LogState == 2 || b.Sliding) return;
  if (b.PageSelectOpen) {
    if (frmPageSelect && frmPageSelect->Visible()) frmPageSelect->Close();
    return;
  }
  if (Y > b.ScreenHeight - b.TrayHeight) TrayClick(Button, X, Y);
  else BoardClick(Button, X, Y);
}

void TfrmMain::DXDrawMouseMove(TObject*, TShiftState, int X, int Y) {
  if (!board_) return;
  TBlackBoard& b = *board_;
  TChalk& c = *b.Chalk;
  if (b.Sliding || b.PageSelectOpen) return;
  if (ToolbarShown()) {
    tbMain->Hide();
    lstFiles->Hide();
    lstGrids->Hide();
    pnlBoardColor->Hide();
  }
  if (b.Tool == tlRuler) return;
  if (Y >= ClientHeight() - b.TrayHeight) {
    c.LastX = X;
    c.LastY = Y;
    return;
  }
  // The pointer touching the left edge brings the toolbar.
  if (X == 0 && !b.MouseState->Bits(0) && !b.MouseState->Bits(1) && !b.MouseState->Bits(2) && CameraCountdown == 0)
    ShowToolbar();
  if (b.LogState == 2) return;
  const TPoint from = Point(c.LastX, c.LastY), to = Point(X, Y);
  if (c.Mode == 3) {
    c.LastX = X;
    c.LastY = Y;
    if (!ButtonDown(VK_LBUTTON) || !ButtonDown(VK_RBUTTON)) {
      c.Mode = 0;
      if (ButtonDown(VK_RBUTTON)) {
        b.MouseState->SetBits(1, true);
        b.Tool = tlFinger;
      }
    }
    return;
  }
  if (b.MouseState->Bits(1)) {
    MarkPageDrawn();
    b.FingerStroke(from.x, from.y, Y, X);
    AddLog(lkFinger, from, to);
  } else if (b.MouseState->Bits(0)) {
    if (b.Tool == tlEraser) {
      MarkPageDrawn();
      AddLog(lkEraser, from, to, b.Options & obYogore);
      b.EraseStroke(X, Y, from.y, from.x);
    } else if (b.Tool == tlLongEraser) {
      MarkPageDrawn();
      AddLog(lkLongEraser, from, to);
      b.LongEraseStroke(X, Y, from.y, from.x);
    } else if (c.Mode == 0 || c.Mode == 1) {
      MarkPageDrawn();
      const TChalkListItem* chalk = b.Chalks->Get(c.Index);
      const int16_t d = static_cast<int16_t>(Random(5));
      TCanvas* canvas = b.Board->Canvas();
      canvas->Pen()->SetColor(DarkenColor(chalk->Color, d, d, d));
      canvas->Brush()->SetColor(canvas->Pen()->Color());
      if (c.Mode == 0) {
        b.ChalkLine(X, Y, (b.Options & obChalkKasure) != 0);
        AddLog(lkChalk, from, to, static_cast<uint8_t>(c.Index));
      } else {
        b.ThinLine(X, Y);
        AddLog(lkThin, from, to, static_cast<uint8_t>(c.Index));
      }
      if (Random(50) == 0) b.Dust->Spawn(X, Y, b.ChalkColor(), 2, 5);
    } else if (c.Mode == 2) {
      MarkPageDrawn();
      AddLog(lkSide, from, to, static_cast<uint8_t>(c.Index), c.Angle, c.Corner1, c.Corner2);
      if (Random(50) == 0) b.Dust->Spawn(X, Y, b.ChalkColor(), 2, 5);
      b.SideChalkStroke(X, Y);
    }
  }
  c.LastX = X;
  c.LastY = Y;
}

void TfrmMain::DXDrawMouseUp(TObject*, TMouseButton Button, TShiftState, int, int) {
  if (!board_) return;
  TBlackBoard& b = *board_;
  if (b.LogState == 2 || b.Sliding || b.PageSelectOpen) return;
  if (Button == mbLeft) b.MouseState->SetBits(0, false);
  if (Button == mbRight) {
    b.MouseState->SetBits(1, false);
    if (b.Tool == tlFinger) b.Tool = tlChalk;
  }
}

void TfrmMain::TurnSideChalk(bool Down) {
  TChalk& c = *board_->Chalk;
  if (c.Mode != 2) return;
  if (Down) {
    if (c.Angle >= 90) {
      c.Angle = -90;
      std::swap(c.Corner1, c.Corner2);
    }
    c.Angle = static_cast<int8_t>(c.Angle + 5);
  } else {
    if (c.Angle <= -95) {
      c.Angle = 85;
      std::swap(c.Corner1, c.Corner2);
    }
    c.Angle = static_cast<int8_t>(c.Angle - 5);
  }
  if (board_->MouseState->Bits(0)) DXDrawMouseMove(this, TShiftState{}, c.LastX, c.LastY);
}

void TfrmMain::FormMouseWheel(TObject* Sender, TShiftState Shift, int WheelDelta, TPoint MousePos, bool& Handled) {
  if (WheelDelta < 0) FormMouseWheelDown(Sender, Shift, MousePos, Handled);
  else if (WheelDelta > 0) FormMouseWheelUp(Sender, Shift, MousePos, Handled);
}

void TfrmMain::FormMouseWheelDown(TObject*, TShiftState, TPoint, bool&) {
  if (board_) TurnSideChalk(true);
}

void TfrmMain::FormMouseWheelUp(TObject*, TShiftState, TPoint, bool&) {
  if (board_) TurnSideChalk(false);
}

void TfrmMain::FormKeyDown(TObject*, Word& Key, TShiftState) {
  if (!board_) return;
  TBlackBoard& b = *board_;
  if (b.Sliding || b.LogState == 2) return;
  switch (Key) {
    case VK_ESCAPE:
      b.Chalk->Mode = 0;
      b.Tool = tlChalk;
      break;
    case VK_DOWN:
    case VK_UP:
      TurnSideChalk(Key == VK_DOWN);
      break;
    case VK_LEFT: b.StartPageSlide(0, 32); break;
    case VK_RIGHT: b.StartPageSlide(1, 32); break;
    case 'E': b.Tool = tlEraser; break;
    case 'W': b.Tool = tlLongEraser; break;
    case 'R':
      b.RulerAnchored = 0;
      b.Tool = tlRuler;
      break;
    case VK_SPACE:
      if (!b.MouseState->Bits(0)) b.Chalk->Mode = b.Chalk->Mode == 2 ? 0 : 2;
      break;
    default:
      if (Key >= '1' && Key <= '9' && Key - '1' < b.Chalks->Count()) PickChalk(Key - '1');
  }
}
