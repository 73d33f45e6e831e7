#include "UcButtons.h"

#include "TypInfo.h"
#include "UcMenus.h"
#include "UcSysUtils.h"
#include "UcWindows.h"

IUcGlyphButton* GlyphButtonOf(TControl* Control) {
  auto* g = dynamic_cast<IUcGlyphButton*>(Control);
  if (!g) throw EUcInternalError("Internal Error: Control does not support IUcGlyphButton.");
  return g;
}

namespace {
TMeasureCaption WideMeasure(HDC DC, const WideString& Caption) {
  return [DC, &Caption](RECT Bounds, UINT Flags) {
    WideDrawText(DC, Caption.c_str(), static_cast<int>(Caption.size()), &Bounds, Flags);
    return Bounds;
  };
}
}  // namespace

void CalcWideButtonLayout(HDC DC, const TRect& Client, const TPoint& Offset, const WideString& Caption,
                          TButtonLayout Layout, int Margin, int Spacing, const TPoint& GlyphSize, UINT BiDiFlags,
                          TPoint& GlyphPos, TRect& TextBounds) {
  CalcButtonLayout(Client, Offset, !Caption.empty(), WideMeasure(DC, Caption), Layout, Margin, Spacing, GlyphSize,
                   BiDiFlags, GlyphPos, TextBounds);
}

bool TUcBitBtn::IsCaptionStored() {
  return IsStoredPropOf(this, Kind() == bkCustom ? "TBitBtn" : "TButton", "Caption") && CaptionNotLinked(this);
}

void TUcBitBtn::UpdateInternalGlyphList() {
  // The pictures of every state the bitmap holds, made now.
  for (TButtonState s : {bsUp, bsDisabled, bsDown, bsExclusive}) ButtonGlyph()->CreateButtonGlyph(s);
}

void TUcBitBtn::DrawGlyphAndCaption(HDC DC, const TRect& Rect, TButtonState State) {
  if (!PlatformIsUnicode) {
    TBitBtn::DrawGlyphAndCaption(DC, Rect, State);
    return;
  }
  const WideString caption = Caption();
  GlyphButtonOf(this)->GetButtonGlyph()->Draw(
      DC, Rect, TPoint{0, 0}, !caption.empty(), WideMeasure(DC, caption),
      [DC, &caption](RECT& r, UINT Flags) {
        WideDrawText(DC, caption.c_str(), static_cast<int>(caption.size()), &r, Flags);
      },
      Layout(), Margin(), Spacing(), State, false, DrawTextBiDiModeFlags(0));
}

void TUcBitBtn::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_DIALOGCHAR) {
    if (IsWideCharAccel(static_cast<Word>(Message.WParam), Caption()) && CanFocus()) {
      Click();
      Message.Result = 1;
    } else {
      Broadcast(Message);
    }
    return;
  }
  TBitBtn::Dispatch(Message);
}

static const bool registered =
    DeclareClass<TUcBitBtn, TBitBtn>("TUcBitBtn")
        .WideString("Caption", [](TUcBitBtn* b) { return b->Caption(); },
                    [](TUcBitBtn* b, const WideString& v) { b->SetCaption(v); },
                    [](TUcBitBtn* b) { return b->IsCaptionStored(); })
        .WideString("Hint", [](TUcBitBtn* b) { return b->Hint(); }, [](TUcBitBtn* b, const WideString& v) { b->SetHint(v); },
                    [](TUcBitBtn* b) { return HintNotLinked(b); })
        .Done();
