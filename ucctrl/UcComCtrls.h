// The wide tool bar and tool button: the bar's window is Unicode, its button strings are wide,
// and a button keeps its wide caption and hint (also taken from a wide menu item).
#pragma once
#include "ComCtrls.h"
#include "UcStdCtrls.h"

class TUcToolBar : public TUcWideWinControl<TToolBar> {
 public:
  explicit TUcToolBar(TComponent* AOwner) : TUcWideWinControl(AOwner) {}

 protected:
  const char16_t* WideWindowClass() const override { return u"ToolbarWindow32"; }
  void CreateWindowHandle(const TCreateParams& Params) override;
  INT_PTR AddButtonString(TToolButton* Button) override;
  void Dispatch(TMessage& Message) override;

 private:
  WideString caption_;  // the window's text
};

// The common creation of a common control's Unicode window (SubClassName must be given).
void CreateUnicodeHandle_ComCtl(TWinControl* Control, const TCreateParams& Params, const WideString& SubClassName);

class TUcToolButton : public TUcWideControl<TToolButton> {
 public:
  explicit TUcToolButton(TComponent* AOwner) : TUcWideControl(AOwner) {}
  void SetMenuItem(TMenuItem* Value) override;

 protected:
  void Dispatch(TMessage& Message) override;
};
