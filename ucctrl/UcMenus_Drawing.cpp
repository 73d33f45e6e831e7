// Wide menu items drawn and measured by the layer: the framework draws the item without its
// texts, then the wide caption and shortcut are drawn where the framework would draw its own.
#include "Graphics.h"
#include "UcGraphics.h"
#include "UcMenus.h"
#include "UcSysUtils.h"
#include "UcWindows.h"
#include "windows.h"

namespace {

bool RightToLeftMenu(const TMenuItem* Item) {
  const TMenu* m = Item->GetParentMenu();
  return m && m->IsRightToLeft();
}

// Runs F with the item's menu-change refresh suppressed (the flag comes back on failure too).
template <class F>
void Suppressed(bool& Flag, F&& Work) {
  const bool was = Flag;
  Flag = true;
  try {
    Work();
  } catch (...) {
    Flag = was;
    throw;
  }
  Flag = was;
}

}  // namespace

void TUcMenuItem::DoDrawWideText(TCanvas* ACanvas, const WideString& ACaption, TRect& Rect, bool Selected, int Flags) {
  if (!PlatformIsUnicode || IsLine()) {
    TMenuItem::DoDrawText(ACanvas, WideToAnsi(ACaption), Rect, Selected, Flags);
    return;
  }
  WideString text = ACaption;
  if (RightToLeftMenu(this)) {
    Flags |= DT_RTLREADING;
    if ((Flags & (DT_CENTER | DT_RIGHT)) == 0) Flags |= DT_RIGHT;
  }
  // An empty caption still measures one line high.
  if ((Flags & DT_CALCRECT) && (text.empty() || text == u"&")) text += u" ";
  ACanvas->Brush()->SetStyle(bsClear);
  if (Default()) ACanvas->Font()->SetStyle(ACanvas->Font()->Style() + fsBold);
  const int count = static_cast<int>(text.size());
  if (!Enabled()) {
    if (!Selected) {
      OffsetRect(&Rect, 1, 1);
      ACanvas->Font()->SetColor(clBtnHighlight);
      WideDrawText(ACanvas->Handle(), text.c_str(), count, &Rect, static_cast<UINT>(Flags));
      OffsetRect(&Rect, -1, -1);
    }
    if (Selected && ColorToRGB(clHighlight) == ColorToRGB(clBtnShadow)) ACanvas->Font()->SetColor(clBtnHighlight);
    else ACanvas->Font()->SetColor(clBtnShadow);
  }
  WideDrawText(ACanvas->Handle(), text.c_str(), count, &Rect, static_cast<UINT>(Flags));
}

int TUcMenuItem::WideTextWidth(TCanvas* ACanvas, const WideString& Text) {
  TRect r{0, 0, 0, 0};
  DoDrawWideText(ACanvas, Text, r, false, TextFlags() | DT_NOCLIP | DT_CALCRECT);
  return r.right - r.left;
}

void TUcMenuItem::AdvancedDrawItem(TCanvas* ACanvas, TRect ARect, TOwnerDrawState State, bool TopLevel) {
  const TMenu* m = GetParentMenu();
  if (!PlatformIsUnicode || IsLine() || (m && (m->OwnerDraw() || GetImageList()) && (OnDrawItem || OnAdvancedDrawItem))) {
    TMenuItem::AdvancedDrawItem(ACanvas, ARect, State, TopLevel);
    return;
  }
  // 1-3: the framework draws everything but the texts.
  const WideString caption = Caption();
  const TShortCut shortcut = ShortCut();
  Suppressed(menu_change_suppressed_, [&] {
    SetCaption(WideString());
    SetShortCut(0);
  });
  try {
    TMenuItem::AdvancedDrawItem(ACanvas, ARect, State, TopLevel);
  } catch (...) {
    Suppressed(menu_change_suppressed_, [&] {
      SetCaption(caption);
      SetShortCut(shortcut);
    });
    throw;
  }
  Suppressed(menu_change_suppressed_, [&] {
    SetCaption(caption);
    SetShortCut(shortcut);
  });
  DrawWideTexts(ACanvas, ARect, State, TopLevel);
}

void TUcMenuItem::DrawWideTexts(TCanvas* ACanvas, TRect ARect, TOwnerDrawState State, bool TopLevel) {
  const bool selected = State.Contains(odSelected);
  const bool rtl = RightToLeftMenu(this);
  // 1-8: the glyph column, the caption's rectangle beside it, the flags, the default in bold.
  TRect r = CaptionRect(ARect, GlyphColumn(ARect, TopLevel).Rect, selected, TopLevel);
  const int flags = CaptionFlags(State);
  const TRect s = r;
  if (State.Contains(odDefault)) ACanvas->Font()->SetStyle({fsBold});
  // 9-12: the caption measured, centred in the height and drawn.
  const WideString caption = Caption();
  ACanvas->Font()->SetColor(selected ? clHighlightText : clMenuText);
  DoDrawWideText(ACanvas, caption, r, selected, flags | DT_CALCRECT | DT_NOCLIP);
  PlaceMeasuredCaption(r, s, selected, TopLevel);
  ACanvas->Font()->SetColor(selected ? clHighlightText : clMenuText);
  DoDrawWideText(ACanvas, caption, r, selected, flags);
  // 13: the shortcut, 10 pixels in from the item's far edge; in a right-to-left menu from the
  // item's own left edge, so an item of a second column keeps its shortcut in its column.
  if (ShortCut() != 0 && !TopLevel) {
    const WideString text = WideShortCutToText(ShortCut());
    if (rtl) {
      r.left = ARect.left + 10;
      r.right = r.left + WideCanvasTextWidth(ACanvas, text);
    } else {
      r.left = r.right;
      r.right = s.right - 10;
    }
    ACanvas->Font()->SetColor(selected ? clHighlightText : clMenuText);
    DoDrawWideText(ACanvas, text, r, selected, DT_RIGHT);
  }
}

void TUcMenuItem::MeasureItem(TCanvas* ACanvas, int& Width, int& Height) {
  if (!PlatformIsUnicode || IsLine()) {
    TMenuItem::MeasureItem(ACanvas, Width, Height);
    return;
  }
  // The framework measures without the item's handler, which then sees the wide width.
  TMenuMeasureItemEvent handler = std::move(OnMeasureItem);
  OnMeasureItem = nullptr;
  try {
    TMenuItem::MeasureItem(ACanvas, Width, Height);
    Width += WideTextWidth(ACanvas, Caption()) - WideTextWidth(ACanvas, AnsiToWide(TMenuItem::Caption()));
    if (ShortCut() != 0)
      Width += WideTextWidth(ACanvas, WideShortCutToText(ShortCut())) -
               WideTextWidth(ACanvas, AnsiToWide(ShortCutToText(ShortCut())));
  } catch (...) {
    OnMeasureItem = std::move(handler);
    throw;
  }
  OnMeasureItem = std::move(handler);
  if (OnMeasureItem) OnMeasureItem(this, ACanvas, Width, Height);
}
