#include "test_controls.h"

#include "TypInfo.h"

void TBox::Paint() {
  ++Paints;
  Canvas()->Brush()->SetColor(Color());
  Canvas()->FillRect(ClientRect());
}

void TDot::Paint() {
  Canvas()->Brush()->SetColor(Color());
  Canvas()->Pen()->SetColor(clBlack);
  Canvas()->Rectangle(0, 0, Width(), Height());
}

void TCheck::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, "BUTTON");
  Params.Style |= BS_AUTOCHECKBOX;
}

TForm* PlainForm(int Width, int Height) {
  TForm* f = CreateNewForm<TForm>(Application);
  f->SetBorderStyle(bsNone);
  f->SetBounds(0, 0, Width, Height);
  return f;
}

static const bool registered = DeclareClass<TBox, TCustomControl>("TBox").Done() &&
                               DeclareClass<TDot, TGraphicControl>("TDot").Done() &&
                               DeclareClass<TCheck, TWinControl>("TCheck").Done();
