// The wide bit button: the framework's bit button with a wide caption drawn beside its glyph.
#pragma once
#include "Buttons.h"
#include "UcStdCtrls.h"

// What the layer asks of a button with a glyph: the framework's glyph object (bitmap, image
// list, each state's picture, NumGlyphs), and the fallback that makes the pictures.
class IUcGlyphButton {
 public:
  virtual ~IUcGlyphButton() = default;
  virtual TButtonGlyph* GetButtonGlyph() = 0;
  virtual void UpdateInternalGlyphList() = 0;
};
// The glyph interface of Control (EUcInternalError when it has none).
IUcGlyphButton* GlyphButtonOf(TControl* Control);

// The bit-button layout of a wide caption.
void CalcWideButtonLayout(HDC DC, const TRect& Client, const TPoint& Offset, const WideString& Caption,
                          TButtonLayout Layout, int Margin, int Spacing, const TPoint& GlyphSize, UINT BiDiFlags,
                          TPoint& GlyphPos, TRect& TextBounds);

class TUcBitBtn : public TUcWideWinControl<TBitBtn>, public IUcGlyphButton {
 public:
  explicit TUcBitBtn(TComponent* AOwner) : TUcWideWinControl(AOwner) {}
  // The framework's stored test of Caption: TBitBtn's, or TButton's for a kind other than custom.
  bool IsCaptionStored();
  TButtonGlyph* GetButtonGlyph() override { return ButtonGlyph(); }
  void UpdateInternalGlyphList() override;

 protected:
  const char16_t* WideWindowClass() const override { return u"BUTTON"; }
  void DrawGlyphAndCaption(HDC DC, const TRect& Rect, TButtonState State) override;
  void Dispatch(TMessage& Message) override;
};
