// Spin: an edit for whole numbers with an up-down button inside its right edge.
#pragma once
#include "StdCtrls.h"

class TSpinEdit : public TCustomEdit {
 public:
  explicit TSpinEdit(TComponent* AOwner);

  // Between MinValue and MaxValue unless the two are equal; a text that is no number reads as
  // MinValue.
  int Value();
  void SetValue(int NewValue);
  int MinValue() const { return min_value_; }
  void SetMinValue(int Value) { min_value_ = Value; }
  int MaxValue() const { return max_value_; }
  void SetMaxValue(int Value) { max_value_ = Value; }
  int Increment() const { return increment_; }
  void SetIncrement(int Value) { increment_ = Value; }
  // Off: only the buttons and the arrow keys change the value.
  bool EditorEnabled() const { return editor_enabled_; }
  void SetEditorEnabled(bool Value) { editor_enabled_ = Value; }
  // The up-down window (nullptr while there is no window).
  HWND Button() const { return button_; }

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  virtual bool IsValidChar(char Key);
  virtual void UpClick();
  virtual void DownClick();
  void Dispatch(TMessage& Message) override;

 private:
  int CheckValue(int NewValue) const;
  void PlaceButton();
  int min_value_ = 0;
  int max_value_ = 0;
  int increment_ = 1;
  bool editor_enabled_ = true;
  HWND button_ = nullptr;
};
