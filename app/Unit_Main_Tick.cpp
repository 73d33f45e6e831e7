// The frame tick: the page slide, the page-select dimming, the log replay, the both-buttons tap,
// the dust, the frame itself, the camera countdown, and the flip.
#include "Math.h"
#include "UcClasses.h"
#include "Unit_Main.h"
#include "windows.h"

namespace {

constexpr TColor kSlideBackground = static_cast<TColor>(0x00C878);  // RGB(120, 200, 0)
constexpr TColor kProgressColor = static_cast<TColor>(0x800000);

}  // namespace

TCountdownDigit CountdownDigit(int32_t N) { return {IntToStr((N - 4) / 50 + 1), (N - 4) % 100 * 3 + 220}; }

TPoint TfrmMain::MousePos() const {
  POINT p{0, 0};
  GetCursorPos(&p);
  return TPoint{p.x, p.y};
}

std::vector<uint64_t> TfrmMain::FrameInputs() {
  TBlackBoard& b = *board_;
  std::vector<uint64_t> v;
  v.reserve(96);
  auto add = [&v](int64_t x) { v.push_back(static_cast<uint64_t>(x)); };
  add(static_cast<int64_t>(reinterpret_cast<uintptr_t>(DXDraw->Surface())));
  add(DXDraw->Width());
  add(DXDraw->Height());
  add(static_cast<int64_t>(reinterpret_cast<uintptr_t>(b.Board.get())));
  add(static_cast<int64_t>(b.Board->ContentStamp()));
  add(static_cast<int64_t>(b.Tray->ContentStamp()));
  add(static_cast<int64_t>(b.TrayStrip->ContentStamp()));
  add(static_cast<int64_t>(b.Dust->TrayDust->ContentStamp()));
  add(b.Chalks->Count());
  for (int i = 0; i < b.Chalks->Count(); ++i) {
    const TChalkListItem* c = b.Chalks->Get(i);
    add(static_cast<int64_t>(c->Picture->ContentStamp()));
    add(c->Rect.left);
    add(c->Rect.top);
  }
  TPictureCollection* items = DXIL->Items();
  for (int i = 0; i < items->Count(); ++i) {
    TPictureCollectionItem* item = items->Items(i);
    // The tray's dust picture is filled from Dust->TrayDust by every frame.
    if (item->Name() == "UkezaraKona") continue;
    TGraphic* g = item->Picture()->Graphic();
    add(g ? static_cast<int64_t>(g->ContentStamp()) : 0);
    add(static_cast<int64_t>(reinterpret_cast<uintptr_t>(g)));
  }
  const TChalk& c = *b.Chalk;
  for (int64_t x : {int64_t{c.Index}, int64_t{c.Mode}, int64_t{c.Angle}, int64_t{c.LastX}, int64_t{c.LastY},
                    int64_t{b.Tool}, int64_t{b.RulerAnchored}, int64_t{b.PictureWaiting}, int64_t{b.GridOn},
                    int64_t{b.CurrentPage}, int64_t{b.PageCount}, int64_t{b.LastPageDrawn}, int64_t{b.LogState},
                    int64_t{b.EraserRect.left}, int64_t{b.EraserRect.top}})
    add(x);
  add(ToolbarShown());
  const TPoint p = MousePos();
  add(p.x);
  add(p.y);
  add(GetKeyState(VK_SHIFT) < 0);
  return v;
}

bool TfrmMain::FrameDue() {
  TBlackBoard& b = *board_;
  // Falling dust, the tap and the countdown change the picture from tick to tick.
  if (!frame_skipping_ || CameraCountdown != 0 || b.Dust->Count() > 0 || b.Chalk->Mode == 3) {
    same_frames_ = 0;
    return true;
  }
  std::vector<uint64_t> inputs = FrameInputs();
  if (inputs == last_inputs_) {
    if (same_frames_ >= 2) return false;
    ++same_frames_;
  } else {
    last_inputs_ = std::move(inputs);
    same_frames_ = 1;
  }
  return true;
}

void TfrmMain::DXTimerTimer(TObject*, int32_t) {
  if (!board_ || !DXDraw->CanDraw()) return;
  try {
    if (board_->Sliding) {
      same_frames_ = 0;
      TickSlide();
    } else if (board_->PageSelectOpen) {
      same_frames_ = 0;
      TickPageSelect();
    } else if (board_->LogState == 2) {
      same_frames_ = 0;
      TickReplay();
    } else {
      if (!TickBoard()) return;
    }
    ++frames_composed_;
    DXDraw->Flip();
  } catch (...) {
    same_frames_ = 0;
    // Whatever failed, the board goes on ticking and taking input; the error is shown once.
    if (board_->Sliding) {
      board_->Sliding = 0;
      DXTimer->SetInterval(10);
    }
    DXDraw->SetEnabled(true);
    if (!board_->PageSelectOpen) DXTimer->SetEnabled(true);
    Application->HandleException(this);
  }
}

void TfrmMain::TickSlide() {
  TBlackBoard& b = *board_;
  const int32_t W = b.ScreenWidth, H = b.ScreenHeight;
  TDirectDrawSurface* surface = DXDraw->Surface();
  if (DXTimer->Interval() != 1) {
    DXTimer->SetInterval(1);
    surface->Fill(surface->ColorMatch(kSlideBackground));
    b.PaintFrame();
    b.DrawToolCursor(MousePos());
    surface->FillRectAlpha(Rect(0, 0, W, H), clBlack, 128);
  }
  const int32_t step = W / (b.SlideStep > 0 ? b.SlideStep : 32);
  const bool toPrevious = b.SlideDirection == 0;
  int32_t x = b.SlidePos.x + (toPrevious ? step : -step);
  // A width that is no multiple of the step still ends the slide exactly at 0.
  const bool ended = toPrevious ? x >= 0 : x <= 0;
  if (ended) x = 0;
  b.SlidePos = Point(x, 0);
  if (ended) {
    DXTimer->SetEnabled(false);
    DXDraw->SetEnabled(false);
    try {
      if (!(toPrevious ? b.PrevPage() : b.NextPage())) Beep();
    } catch (...) {
      b.Sliding = 0;
      DXTimer->SetInterval(10);
      DXTimer->SetEnabled(true);
      DXDraw->SetEnabled(true);
      throw;
    }
    b.Sliding = 0;
    DXTimer->SetInterval(10);
    DXTimer->SetEnabled(true);
    DXDraw->SetEnabled(true);
  }
  pictures_->Find("AnimePic")->Draw(surface, b.SlidePos.x, 0, 0);
}

void TfrmMain::TickPageSelect() {
  board_->PaintFrame();
  if (!ToolbarShown()) board_->DrawToolCursor(MousePos());
  DXDraw->Surface()->FillRectAlpha(Rect(0, 0, DXDraw->Width(), DXDraw->Height()), clBlack, 128);
  // The page select form starts the timer again when it closes.
  DXTimer->SetEnabled(false);
}

void TfrmMain::TickReplay() {
  TBlackBoard& b = *board_;
  b.ReplayStep();
  if (GetKeyState(VK_ESCAPE) < 0) {
    b.LogState = 0;
    b.Log->Loop = 0;
  }
  if (b.LogState == 0 && b.Log->Loop) {
    b.ReplayIndex = 0;
    b.LogState = 2;
  }
  if (b.LogState == 0) UpdateLogPlayButton();
  b.Dust->Step();
  b.PaintFrame();
  const int count = b.Log->Count();
  if ((b.Options & obLogProgBar) && count > 0) {
    TDirectDrawSurfaceCanvas* canvas = DXDraw->Surface()->Canvas();
    canvas->Brush()->SetColor(kProgressColor);
    canvas->Brush()->SetStyle(bsSolid);
    const int32_t right =
        static_cast<int32_t>(Round(static_cast<Extended>(b.ReplayIndex) / count * b.ScreenWidth));
    canvas->FillRect(Rect(0, b.ScreenHeight - 1, right, b.ScreenHeight));
    canvas->Release();
  }
  if (!ToolbarShown()) b.DrawToolCursor(b.Log->LastPoint);
}

bool TfrmMain::TickBoard() {
  TBlackBoard& b = *board_;
  if (b.Tool == tlChalk && b.Chalk->Mode == 3) {
    ++TapTicks;
    if (TapTicks > 5 || (GetKeyState(VK_CONTROL) < 0 && TapTicks > 2)) {
      PlaySound(0);
      b.ChalkTap(b.Chalk->LastX, b.Chalk->LastY);
      if (Random(6) == 0) b.Dust->Spawn(b.Chalk->LastX, b.Chalk->LastY, b.ChalkColor(), 2, 3);
      TapTicks = 0;
      AddLog(lkTap, Point(b.Chalk->LastX, b.Chalk->LastY), Point(0, 0), static_cast<uint8_t>(b.Chalk->Index));
    }
  }
  b.Dust->Step();
  if (!FrameDue()) return false;  // the screen shows this frame already
  b.PaintFrame();
  if (!ToolbarShown()) b.DrawToolCursor(MousePos());

  const int32_t n = CameraCountdown;
  if (n == 0) return true;
  TDirectDrawSurface* surface = DXDraw->Surface();
  if (n == 3 || n == 2) {
    TDirectDrawSurfaceCanvas* canvas = surface->Canvas();
    canvas->Brush()->SetColor(clWhite);
    canvas->Brush()->SetStyle(bsSolid);
    canvas->FillRect(Rect(0, 0, DXDraw->Width(), DXDraw->Height()));
    canvas->Release();
    CameraCountdown = n - 1;
  } else if (n == 1) {
    // The shot: the timer stands still through the pause and the question, whatever happens.
    DXTimer->SetEnabled(false);
    try {
      DXDraw->Flip();
      PlaySound(1);
      TBitmap shot;
      shot.SetSize(b.ScreenWidth, b.ScreenHeight);
      TDirectDrawSurfaceCanvas* canvas = surface->Canvas();
      BitBlt(shot.Canvas()->Handle(), 0, 0, b.ScreenWidth, b.ScreenHeight, canvas->Handle(), 0, 0, SRCCOPY);
      canvas->Release();
      CameraCountdown = 0;
      Sleep(1000);
      sd->SetFilter(LanguageText(28));
      if (sd->Execute()) {
        TUcFileStream file(sd->FileName(), fmCreate);
        shot.SaveToStream(&file);
      }
      b.MouseState->SetBits(0, false);
      b.MouseState->SetBits(1, false);
      b.MouseState->SetBits(2, false);
    } catch (...) {
      CameraCountdown = 0;
      DXTimer->SetEnabled(true);
      throw;
    }
    DXTimer->SetEnabled(true);
    ++frames_composed_;
    return false;  // the shot's frame is on the screen already
  } else if (n >= 4 && n <= 153) {
    TDirectDrawSurfaceCanvas* canvas = surface->Canvas();
    const TCountdownDigit digit = CountdownDigit(n);
    canvas->Font()->SetSize(digit.Size);
    canvas->Font()->SetColor(clWhite);
    canvas->Brush()->SetStyle(bsClear);
    const AnsiString& text = digit.Text;
    const int32_t y = b.ScreenHeight / 2 - b.TrayHeight / 2 - canvas->TextHeight("0") / 2;
    const int32_t x = b.ScreenWidth / 2 - canvas->TextWidth("0") / 2;
    canvas->TextOut(x, y, text);
    canvas->Release();
    CameraCountdown = n - 1;
  }
  return true;
}
