// Small controls of the tests' own: a self-painting windowed box, a graphic square, a check box
// made from the system button class, and a borderless form helper.
#pragma once
#include "Controls.h"
#include "Forms.h"

// A windowed control that fills itself with its colour.
class TBox : public TCustomControl {
 public:
  explicit TBox(TComponent* AOwner) : TCustomControl(AOwner) { SetTabStop(true); }
  int Paints = 0;

 protected:
  void Paint() override;
};

// A graphic control: a square in its colour with a one-pixel black frame.
class TDot : public TGraphicControl {
 public:
  explicit TDot(TComponent* AOwner) : TGraphicControl(AOwner) {}

 protected:
  void Paint() override;
};

// A check box made from the system BUTTON class.
class TCheck : public TWinControl {
 public:
  explicit TCheck(TComponent* AOwner) : TWinControl(AOwner) {}

 protected:
  void CreateParams(TCreateParams& Params) override;
};

// A borderless form at the top left of the screen, owned by the application.
TForm* PlainForm(int Width, int Height);
