// Buttons: the bit button, a push button drawn by the framework with a glyph beside its
// caption, and the kinds of standard buttons (OK, Cancel, Yes, No...) with their captions,
// glyphs and modal results; the speed button, a windowless button that can stay down alone or
// as one of a group.
#pragma once
#include <commctrl.h>

#include <functional>
#include <memory>

#include "StdCtrls.h"

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
// The states a glyph bitmap holds pictures for, in this order from the left.
enum TButtonState { bsUp, bsDisabled, bsDown, bsExclusive };
enum TBitBtnKind { bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore, bkAll };
using TNumGlyphs = int;  // 1 to 4

// Places a glyph of GlyphSize and Caption inside Client (moved by Offset) for Layout, Margin
// and Spacing (-1: automatic). BiDiFlags are DrawText flags; with DT_RIGHT the glyph changes
// sides. Answers the glyph's top-left corner and the caption's bounds.
void CalcButtonLayout(HDC DC, const TRect& Client, const TPoint& Offset, const AnsiString& Caption,
                      TButtonLayout Layout, int Margin, int Spacing, const TPoint& GlyphSize, UINT BiDiFlags,
                      TPoint& GlyphPos, TRect& TextBounds);
// The same for a caption of any kind: MeasureCaption gives its extent (DrawText with the flags
// and DT_CALCRECT into the rectangle given); an empty caption is never measured.
using TMeasureCaption = std::function<RECT(RECT Bounds, UINT Flags)>;
void CalcButtonLayout(const TRect& Client, const TPoint& Offset, bool HasCaption, const TMeasureCaption& MeasureCaption,
                      TButtonLayout Layout, int Margin, int Spacing, const TPoint& GlyphSize, UINT BiDiFlags,
                      TPoint& GlyphPos, TRect& TextBounds);
// Draws a caption of any kind into the rectangle with DrawText flags.
using TDrawCaption = std::function<void(RECT& Rect, UINT Flags)>;

// A bit button's glyph: a bitmap of NumGlyphs pictures side by side (up, disabled, down,
// exclusive), transparent where it has the colour of its bottom-left pixel, and the image
// list of the pictures made from it on demand.
class TButtonGlyph {
 public:
  TButtonGlyph();
  ~TButtonGlyph();
  TBitmap* Glyph() const { return glyph_.get(); }
  void SetGlyph(TBitmap* Value);
  TNumGlyphs NumGlyphs() const { return num_glyphs_; }
  void SetNumGlyphs(TNumGlyphs Value);
  // One picture's size; (0, 0) without a bitmap.
  TPoint GlyphSize() const;
  // The image list (nullptr until a picture was made) and a state's picture in it (-1: not yet).
  HIMAGELIST ImageList() const { return list_; }
  int ImageIndex(TButtonState State) const { return indexes_[State]; }
  // Makes the state's picture when needed and answers its index (-1 without a bitmap). A state
  // the bitmap has no picture for shows the up picture, apart from the disabled state, which
  // gets a greyed copy of it.
  int CreateButtonGlyph(TButtonState State);
  // Draws the glyph and caption into Client of DC the way a bit button shows them.
  void Draw(HDC DC, const TRect& Client, const TPoint& Offset, const AnsiString& Caption, TButtonLayout Layout,
            int Margin, int Spacing, TButtonState State, bool Transparent, UINT BiDiFlags);
  // The same for a caption of any kind, measured and drawn by the two callbacks.
  void Draw(HDC DC, const TRect& Client, const TPoint& Offset, bool HasCaption, const TMeasureCaption& MeasureCaption,
            const TDrawCaption& DrawCaption, TButtonLayout Layout, int Margin, int Spacing, TButtonState State,
            bool Transparent, UINT BiDiFlags);
  std::function<void()> OnChange;

 private:
  void Invalidate();
  std::unique_ptr<TBitmap> glyph_;
  TNumGlyphs num_glyphs_ = 1;
  HIMAGELIST list_ = nullptr;
  int indexes_[4] = {-1, -1, -1, -1};
};

class TBitBtn : public TButton {
 public:
  explicit TBitBtn(TComponent* AOwner);
  ~TBitBtn() override;

  TBitmap* Glyph() const { return glyph_->Glyph(); }
  void SetGlyph(TBitmap* Value) { glyph_->SetGlyph(Value); }
  TNumGlyphs NumGlyphs() const { return glyph_->NumGlyphs(); }
  void SetNumGlyphs(TNumGlyphs Value) { glyph_->SetNumGlyphs(Value); }
  TBitBtnKind Kind() const { return kind_; }
  void SetKind(TBitBtnKind Value);
  TButtonLayout Layout() const { return layout_; }
  void SetLayout(TButtonLayout Value);
  int Margin() const { return margin_; }
  void SetMargin(int Value);
  int Spacing() const { return spacing_; }
  void SetSpacing(int Value);
  // The glyph object (bitmap, image list, each state's picture).
  TButtonGlyph* ButtonGlyph() const { return glyph_.get(); }
  void Click() override;

  // The caption, modal result and default and cancel roles a kind gives.
  static AnsiString KindCaption(TBitBtnKind Kind);
  static TModalResult KindModalResult(TBitBtnKind Kind);
  // The stored test of the published Caption.
  bool IsCaptionStored();

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;
  // Draws the button on the item's DC: frame, glyph, caption and focus.
  virtual void DrawItem(const DRAWITEMSTRUCT& DrawItemStruct);
  // The glyph and caption inside the frame (the DC has the button's font and text colour).
  virtual void DrawGlyphAndCaption(HDC DC, const TRect& Rect, TButtonState State);
  // An owner-drawn button keeps its style; the default look is drawn.
  void SetButtonStyle(bool ADefault) override;
  void Loaded() override;

 private:
  void CNDrawItem(TMessage& Message);
  std::unique_ptr<TButtonGlyph> glyph_;
  TBitBtnKind kind_ = bkCustom;
  TButtonLayout layout_ = blGlyphLeft;
  int margin_ = -1;
  int spacing_ = 4;
};

// ---------------------------------------------------------------------------------------------
class TSpeedButton;

// The link of a speed button to its action: Down follows the action's Checked for a button of
// a group (GroupIndex not 0), and the group index follows the action's.
class TSpeedButtonActionLink : public TControlActionLink, public TActionClientLink {
 public:
  explicit TSpeedButtonActionLink(TObject* AClient) : TControlActionLink(AClient) {}
  bool IsCheckedLinked() override;
  bool IsGroupIndexLinked() override;
  void SetChecked(bool Value) override;
  void SetGroupIndex(int Value) override;
};

// A button without a window, painted on its parent: pressed while the mouse holds it, clicked
// when the mouse lets go over it. A button of a group (GroupIndex not 0) stays down when
// clicked, and the others of its group on the same parent come up; with AllowAllUp a click on
// the button that is down brings it up too. Flat: no frame while up.
class TSpeedButton : public TGraphicControl {
 public:
  explicit TSpeedButton(TComponent* AOwner);
  ~TSpeedButton() override;

  TBitmap* Glyph() const { return glyph_->Glyph(); }
  void SetGlyph(TBitmap* Value) { glyph_->SetGlyph(Value); }
  TNumGlyphs NumGlyphs() const { return glyph_->NumGlyphs(); }
  void SetNumGlyphs(TNumGlyphs Value) { glyph_->SetNumGlyphs(Value); }
  TButtonLayout Layout() const { return layout_; }
  void SetLayout(TButtonLayout Value);
  int Margin() const { return margin_; }
  void SetMargin(int Value);
  int Spacing() const { return spacing_; }
  void SetSpacing(int Value);
  bool Down() const { return down_; }
  // Only a button of a group stays down; the one that is down comes up only with AllowAllUp.
  void SetDown(bool Value);
  int GroupIndex() const { return group_index_; }
  void SetGroupIndex(int Value);
  bool AllowAllUp() const { return allow_all_up_; }
  // The whole group takes the setting.
  void SetAllowAllUp(bool Value);
  bool Flat() const { return flat_; }
  void SetFlat(bool Value);
  // The state the button is painted in.
  TButtonState State() const { return state_; }
  TButtonGlyph* ButtonGlyph() const { return glyph_.get(); }
  // The stored test of a published Down: not while the action supplies it.
  bool IsCheckedStored() const;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void Dispatch(TMessage& Message) override;
  // Takes the action's group index and Checked (as Down) too.
  void ActionChange(TObject* Sender, bool CheckDefaults) override;
  TControlActionLinkClass GetActionLinkClass() override;
  // Glyph and caption inside the face (the canvas has the button's font).
  virtual void DrawGlyphAndCaption(HDC DC, const TRect& Rect, TButtonState State);

 private:
  // Tells the other buttons of the group on the parent (CM_BUTTONPRESSED).
  friend class TSpeedButtonActionLink;
  void UpdateExclusive();
  void ButtonPressed(TMessage& Message);
  std::unique_ptr<TButtonGlyph> glyph_;
  TButtonLayout layout_ = blGlyphLeft;
  int margin_ = -1;
  int spacing_ = 4;
  bool down_ = false;
  int group_index_ = 0;
  bool allow_all_up_ = false;
  bool flat_ = false;
  bool dragging_ = false;
  TButtonState state_ = bsUp;
};
