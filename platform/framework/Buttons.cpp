// TBitBtn and its glyph: an owner-drawn "BUTTON" window laying out a picture and a caption.
#include "Buttons.h"

#include <wintext.h>

#include <algorithm>
#include <utility>

#include "TypInfo.h"

void CalcButtonLayout(HDC DC, const TRect& Client, const TPoint& Offset, const AnsiString& Caption,
                      TButtonLayout Layout, int Margin, int Spacing, const TPoint& GlyphSize, UINT BiDiFlags,
                      TPoint& GlyphPos, TRect& TextBounds) {
  CalcButtonLayout(
      Client, Offset, !Caption.empty(),
      [&](RECT Bounds, UINT Flags) {
        DrawTextA(DC, Caption.c_str(), static_cast<int>(Caption.size()), &Bounds, Flags);
        return Bounds;
      },
      Layout, Margin, Spacing, GlyphSize, BiDiFlags, GlyphPos, TextBounds);
}

void CalcButtonLayout(const TRect& Client, const TPoint& Offset, bool HasCaption, const TMeasureCaption& MeasureCaption,
                      TButtonLayout Layout, int Margin, int Spacing, const TPoint& GlyphSize, UINT BiDiFlags,
                      TPoint& GlyphPos, TRect& TextBounds) {
  // Right-aligned text mirrors the layout.
  if (BiDiFlags & DT_RIGHT) {
    if (Layout == blGlyphLeft) Layout = blGlyphRight;
    else if (Layout == blGlyphRight) Layout = blGlyphLeft;
  }
  const TPoint cs{Client.right - Client.left, Client.bottom - Client.top};
  const TPoint gs = GlyphSize;
  TPoint ts{0, 0};
  RECT t{0, 0, 0, 0};
  if (HasCaption) {
    t = MeasureCaption(RECT{0, 0, cs.x, 0}, BiDiFlags | DT_CALCRECT);
    ts = TPoint{t.right - t.left, t.bottom - t.top};
  }
  const bool horizontal = Layout == blGlyphLeft || Layout == blGlyphRight;
  TPoint text{0, 0};
  // Across the layout's axis both are centred.
  if (horizontal) {
    GlyphPos.y = (cs.y - gs.y + 1) / 2;
    text.y = (cs.y - ts.y + 1) / 2;
  } else {
    GlyphPos.x = (cs.x - gs.x + 1) / 2;
    text.x = (cs.x - ts.x + 1) / 2;
  }
  if (ts.x == 0 || gs.x == 0) Spacing = 0;
  // Along it: the free room is shared out by what is automatic.
  const int c = horizontal ? cs.x : cs.y, g = horizontal ? gs.x : gs.y, s = horizontal ? ts.x : ts.y;
  if (Margin == -1) {
    if (Spacing == -1) {
      Margin = (c - (g + s)) / 3;
      Spacing = Margin;
    } else {
      Margin = (c - (g + Spacing + s) + 1) / 2;
    }
  } else if (Spacing == -1) {
    Spacing = ((c - (Margin + g)) - s) / 2;
  }
  switch (Layout) {
    case blGlyphLeft:
      GlyphPos.x = Margin;
      text.x = GlyphPos.x + gs.x + Spacing;
      break;
    case blGlyphRight:
      GlyphPos.x = cs.x - Margin - gs.x;
      text.x = GlyphPos.x - Spacing - ts.x;
      break;
    case blGlyphTop:
      GlyphPos.y = Margin;
      text.y = GlyphPos.y + gs.y + Spacing;
      break;
    case blGlyphBottom:
      GlyphPos.y = cs.y - Margin - gs.y;
      text.y = GlyphPos.y - Spacing - ts.y;
      break;
  }
  GlyphPos.x += Client.left + Offset.x;
  GlyphPos.y += Client.top + Offset.y;
  const int dx = text.x + Client.left + Offset.x, dy = text.y + Client.top + Offset.y;
  TextBounds = TRect{t.left + dx, t.top + dy, t.right + dx, t.bottom + dy};
}

// ---- TButtonGlyph ----

TButtonGlyph::TButtonGlyph() : glyph_(std::make_unique<TBitmap>()) {}

TButtonGlyph::~TButtonGlyph() { Invalidate(); }

void TButtonGlyph::Invalidate() {
  if (list_) ImageList_Destroy(list_);
  list_ = nullptr;
  std::fill(std::begin(indexes_), std::end(indexes_), -1);
}

void TButtonGlyph::SetGlyph(TBitmap* Value) {
  Invalidate();
  if (Value) glyph_->Assign(Value);
  else glyph_ = std::make_unique<TBitmap>();
  // A strip whose width is a whole number of squares holds that many pictures.
  if (Value && Value->Height() > 0 && Value->Width() > Value->Height() && Value->Width() % Value->Height() == 0)
    num_glyphs_ = std::clamp(Value->Width() / Value->Height(), 1, 4);
  if (OnChange) OnChange();
}

void TButtonGlyph::SetNumGlyphs(TNumGlyphs Value) {
  Value = std::clamp(Value, 1, 4);
  if (num_glyphs_ == Value) return;
  num_glyphs_ = Value;
  Invalidate();
  if (OnChange) OnChange();
}

TPoint TButtonGlyph::GlyphSize() const {
  if (glyph_->Empty()) return TPoint{0, 0};
  return TPoint{glyph_->Width() / num_glyphs_, glyph_->Height()};
}

int TButtonGlyph::CreateButtonGlyph(TButtonState State) {
  if (indexes_[State] >= 0) return indexes_[State];
  const TPoint size = GlyphSize();
  if (size.x <= 0 || size.y <= 0) return -1;
  const TColor clear = glyph_->TransparentColor();
  const COLORREF mask = static_cast<COLORREF>(ColorToRGB(clear));
  if (!list_) {
    list_ = ImageList_Create(size.x, size.y, ILC_COLOR32 | ILC_MASK, 4, 1);
    if (!list_) return -1;
    // The strip's pictures, one image each.
    TBitmap strip;
    strip.SetSize(size.x * num_glyphs_, size.y);
    strip.Canvas()->CopyRect(TRect{0, 0, size.x * num_glyphs_, size.y}, glyph_->Canvas(),
                             TRect{0, 0, size.x * num_glyphs_, size.y});
    int first = ImageList_AddMasked(list_, strip.Handle(), mask);
    for (int i = 0; i < num_glyphs_ && first >= 0; ++i) indexes_[i] = first + i;
  }
  if (indexes_[State] >= 0) return indexes_[State];
  if (State == bsDisabled) {
    // A greyed copy of the up picture: its shape in the shadow colour.
    TBitmap grey;
    grey.SetSize(size.x, size.y);
    TCanvas* gc = grey.Canvas();
    TCanvas* src = glyph_->Canvas();
    const TColor shadow = ColorToRGB(clBtnShadow);
    for (int y = 0; y < size.y; ++y)
      for (int x = 0; x < size.x; ++x) {
        TColor p = src->Pixels(x, y);
        gc->SetPixels(x, y, p == ColorToRGB(clear) ? ColorToRGB(clear) : shadow);
      }
    indexes_[bsDisabled] = ImageList_AddMasked(list_, grey.Handle(), mask);
  } else {
    indexes_[State] = indexes_[bsUp];
  }
  return indexes_[State];
}

void TButtonGlyph::Draw(HDC DC, const TRect& Client, const TPoint& Offset, const AnsiString& Caption,
                        TButtonLayout Layout, int Margin, int Spacing, TButtonState State, bool Transparent,
                        UINT BiDiFlags) {
  Draw(
      DC, Client, Offset, !Caption.empty(),
      [&](RECT Bounds, UINT Flags) {
        DrawTextA(DC, Caption.c_str(), static_cast<int>(Caption.size()), &Bounds, Flags);
        return Bounds;
      },
      [&](RECT& Rect, UINT Flags) { DrawTextA(DC, Caption.c_str(), static_cast<int>(Caption.size()), &Rect, Flags); },
      Layout, Margin, Spacing, State, Transparent, BiDiFlags);
}

void TButtonGlyph::Draw(HDC DC, const TRect& Client, const TPoint& Offset, bool HasCaption,
                        const TMeasureCaption& MeasureCaption, const TDrawCaption& DrawCaption, TButtonLayout Layout,
                        int Margin, int Spacing, TButtonState State, bool Transparent, UINT BiDiFlags) {
  TPoint pos{0, 0};
  TRect text{0, 0, 0, 0};
  CalcButtonLayout(Client, Offset, HasCaption, MeasureCaption, Layout, Margin, Spacing, GlyphSize(), BiDiFlags, pos,
                   text);
  int index = CreateButtonGlyph(State);
  if (index >= 0) {
    const bool clear = Transparent || State == bsExclusive;
    ImageList_DrawEx(list_, index, DC, pos.x, pos.y, 0, 0, clear ? CLR_NONE : static_cast<COLORREF>(ColorToRGB(clBtnFace)),
                     CLR_NONE, clear ? ILD_TRANSPARENT : ILD_NORMAL);
  }
  if (!HasCaption) return;
  const int oldMode = SetBkMode(DC, TRANSPARENT);
  const COLORREF oldColor = GetTextColor(DC);
  RECT r{text.left, text.top, text.right, text.bottom};
  const UINT flags = BiDiFlags | DT_CENTER | DT_VCENTER;
  if (State == bsDisabled) {
    OffsetRect(&r, 1, 1);
    SetTextColor(DC, static_cast<COLORREF>(ColorToRGB(clBtnHighlight)));
    DrawCaption(r, flags);
    OffsetRect(&r, -1, -1);
    SetTextColor(DC, static_cast<COLORREF>(ColorToRGB(clBtnShadow)));
  }
  DrawCaption(r, flags);
  SetTextColor(DC, oldColor);
  SetBkMode(DC, oldMode);
}

// ---- the kinds ----

namespace {

struct KindInfo {
  const char* caption;
  TModalResult result;
};

const KindInfo kKinds[] = {
    {"", mrNone},           {"OK", mrOk},          {"キャンセル", mrCancel}, {"ヘルプ(&H)", mrNone},
    {"はい(&Y)", mrYes},     {"いいえ(&N)", mrNo},  {"閉じる(&C)", mrNone},   {"中止", mrAbort},
    {"再試行(&R)", mrRetry}, {"無視(&I)", mrIgnore}, {"すべて(&A)", mrAll},
};

// The picture of a kind: 18 x 18, up and disabled side by side, on olive (the clear colour).
std::unique_ptr<TBitmap> KindGlyph(TBitBtnKind Kind) {
  auto b = std::make_unique<TBitmap>();
  b->SetSize(36, 18);
  TCanvas* c = b->Canvas();
  c->Brush()->SetColor(clOlive);
  c->FillRect(TRect{0, 0, 36, 18});
  for (int pic = 0; pic < 2; ++pic) {
    const int x = pic * 18;
    auto color = [&](TColor c0) { return pic == 0 ? c0 : clBtnShadow; };
    TPen* pen = c->Pen();
    pen->SetWidth(3);
    switch (Kind) {
      case bkOK:
      case bkYes:
      case bkAll:
        pen->SetColor(color(clGreen));
        c->Polyline({TPoint{x + 3, 9}, TPoint{x + 7, 13}, TPoint{x + 15, 4}});
        break;
      case bkCancel:
      case bkNo:
      case bkAbort:
        pen->SetColor(color(clRed));
        c->Polyline({TPoint{x + 4, 4}, TPoint{x + 14, 14}});
        c->Polyline({TPoint{x + 14, 4}, TPoint{x + 4, 14}});
        break;
      default: {
        // Help, close, retry and ignore: a ring.
        pen->SetColor(color(Kind == bkHelp ? clNavy : clTeal));
        c->Brush()->SetStyle(bsClear);
        c->Ellipse(TRect{x + 3, 3, x + 15, 15});
        c->Brush()->SetStyle(bsSolid);
        break;
      }
    }
  }
  return b;
}

}  // namespace

AnsiString TBitBtn::KindCaption(TBitBtnKind Kind) { return kKinds[Kind].caption; }
TModalResult TBitBtn::KindModalResult(TBitBtnKind Kind) { return kKinds[Kind].result; }

// ---- TBitBtn ----

TBitBtn::TBitBtn(TComponent* AOwner) : TButton(AOwner), glyph_(std::make_unique<TButtonGlyph>()) {
  glyph_->OnChange = [this] { Invalidate(); };
}

TBitBtn::~TBitBtn() { glyph_->OnChange = nullptr; }

void TBitBtn::CreateParams(TCreateParams& Params) {
  TButton::CreateParams(Params);
  Params.Style = (Params.Style & ~static_cast<DWORD>(BS_TYPEMASK)) | BS_OWNERDRAW;
}

void TBitBtn::SetButtonStyle(bool ADefault) {
  if (active_ == ADefault) return;
  active_ = ADefault;
  Invalidate();
}

void TBitBtn::SetKind(TBitBtnKind Value) {
  if (kind_ == Value) return;
  kind_ = Value;
  if (Value == bkCustom) return;
  SetDefault(Value == bkOK || Value == bkYes);
  SetCancel(Value == bkCancel || Value == bkNo);
  // A caption read from the form stays; otherwise the kind's own.
  if (!ComponentState().Contains(csLoading) || Caption().empty()) SetCaption(KindCaption(Value));
  SetModalResult(KindModalResult(Value));
  std::unique_ptr<TBitmap> g = KindGlyph(Value);
  SetGlyph(g.get());
  SetNumGlyphs(2);
}

// The caption a kind gives is the kind's: written only for a custom button or another text,
// and never while the action supplies it.
bool TBitBtn::IsCaptionStored() {
  if (kind_ != bkCustom && Caption() == KindCaption(kind_)) return false;
  return TControl::IsCaptionStored();
}

void TBitBtn::Loaded() {
  TButton::Loaded();
  if (kind_ != bkCustom && Glyph()->Empty()) {
    std::unique_ptr<TBitmap> g = KindGlyph(kind_);
    SetGlyph(g.get());
    SetNumGlyphs(2);
  }
}

void TBitBtn::SetLayout(TButtonLayout Value) {
  if (layout_ == Value) return;
  layout_ = Value;
  Invalidate();
}

void TBitBtn::SetMargin(int Value) {
  if (Value < -1 || margin_ == Value) return;
  margin_ = Value;
  Invalidate();
}

void TBitBtn::SetSpacing(int Value) {
  if (spacing_ == Value) return;
  spacing_ = Value;
  Invalidate();
}

void TBitBtn::Click() {
  TCustomForm* form = GetParentForm(this);
  if (kind_ == bkClose && form) {
    form->Close();
    return;
  }
  TButton::Click();
}

void TBitBtn::DrawItem(const DRAWITEMSTRUCT& DrawItemStruct) {
  HDC dc = DrawItemStruct.hDC;
  const bool down = (DrawItemStruct.itemState & ODS_SELECTED) != 0;
  const bool itemFocus = (DrawItemStruct.itemState & ODS_FOCUS) != 0;
  const bool disabled = (DrawItemStruct.itemState & ODS_DISABLED) != 0;
  TButtonState state = !Enabled() ? bsDisabled : down ? bsDown : bsUp;
  UINT flags = DFCS_BUTTONPUSH | DFCS_ADJUSTRECT;
  if (down) flags |= DFCS_PUSHED;
  if (disabled) flags |= DFCS_INACTIVE;
  RECT client;
  GetClientRect(handle_, &client);
  RECT r = client;
  HGDIOBJ oldPen = GetCurrentObject(dc, OBJ_PEN), oldBrush = GetCurrentObject(dc, OBJ_BRUSH);
  // The button Return clicks, or the focused one, has a dark frame round it.
  if (active_ || itemFocus) {
    HPEN frame = CreatePen(PS_SOLID, 1, static_cast<COLORREF>(ColorToRGB(clWindowFrame)));
    SelectObject(dc, frame);
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, r.left, r.top, r.right, r.bottom);
    SelectObject(dc, oldPen);
    DeleteObject(frame);
    InflateRect(&r, -1, -1);
  }
  if (down) {
    HPEN shadow = CreatePen(PS_SOLID, 1, static_cast<COLORREF>(ColorToRGB(clBtnShadow)));
    HBRUSH face = CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(clBtnFace)));
    SelectObject(dc, shadow);
    SelectObject(dc, face);
    Rectangle(dc, r.left, r.top, r.right, r.bottom);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(shadow);
    DeleteObject(face);
    InflateRect(&r, -1, -1);
  } else {
    DrawFrameControl(dc, &r, DFC_BUTTON, flags);
  }
  if (active_) {
    r = client;
    InflateRect(&r, -1, -1);
  }
  if (down) OffsetRect(&r, 1, 1);
  HGDIOBJ oldFont = SelectObject(dc, Font()->Handle());
  SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(Font()->Color())));
  DrawGlyphAndCaption(dc, TRect{r.left, r.top, r.right, r.bottom}, state);
  SelectObject(dc, oldFont);
  if (active_ && itemFocus) {
    RECT f = client;
    InflateRect(&f, -4, -4);
    SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(clWindowText)));
    SetBkColor(dc, static_cast<COLORREF>(ColorToRGB(clBtnFace)));
    DrawFocusRect(dc, &f);
  }
}

void TBitBtn::DrawGlyphAndCaption(HDC DC, const TRect& Rect, TButtonState State) {
  glyph_->Draw(DC, Rect, TPoint{0, 0}, Caption(), layout_, margin_, spacing_, State, false, DrawTextBiDiModeFlags(0));
}

void TBitBtn::CNDrawItem(TMessage& Message) {
  DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(Message.LParam));
  Message.Result = 1;
}

void TBitBtn::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_DRAWITEM: CNDrawItem(Message); return;
    case WM_LBUTTONDBLCLK:
      // A quick second click is another click.
      Perform(WM_LBUTTONDOWN, Message.WParam, Message.LParam);
      return;
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
    case CM_ENABLEDCHANGED:
      TButton::Dispatch(Message);
      Invalidate();
      return;
    default: break;
  }
  TButton::Dispatch(Message);
}

static const bool registered =
    DeclareClass<TBitBtn, TButton>("TBitBtn")
        .String("Caption", &TBitBtn::Caption, &TBitBtn::SetCaption, &TBitBtn::IsCaptionStored)
        .Object("Glyph", &TBitBtn::Glyph, [](TBitBtn* b) { return b->Kind() == bkCustom && !b->Glyph()->Empty(); })
        .Enum("Kind", {"bkCustom", "bkOK", "bkCancel", "bkHelp", "bkYes", "bkNo", "bkClose", "bkAbort", "bkRetry",
                       "bkIgnore", "bkAll"},
              &TBitBtn::Kind, &TBitBtn::SetKind, Default(bkCustom))
        .Enum("Layout", {"blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom"}, &TBitBtn::Layout,
              &TBitBtn::SetLayout, Default(blGlyphLeft))
        .Integer("Margin", &TBitBtn::Margin, &TBitBtn::SetMargin, Default(-1))
        .Integer("NumGlyphs", &TBitBtn::NumGlyphs, &TBitBtn::SetNumGlyphs, Default(1))
        .Integer("Spacing", &TBitBtn::Spacing, &TBitBtn::SetSpacing, Default(4))
        .Done();
