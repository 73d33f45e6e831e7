// Menus: mnemonics made by the menu, and menu items drawn and measured by the framework (owner
// drawing) for menus that are OwnerDraw or show images.
#include <algorithm>
#include <set>

#include <wintext.h>

#include "Menus.h"

const char* const ValidMenuHotkeys = "1234567890QWERTYUIOPASDFGHJKLZXCVBNM";

namespace {

// East Asian systems write a mnemonic as "(&X)" after the caption.
bool FarEast() {
  const UINT acp = GetACP();
  return acp == 932 || acp == 936 || acp == 949 || acp == 950;
}

bool Lead(char c) { return IsDBCSLeadByte(static_cast<BYTE>(c)) != FALSE; }

// The byte position of the marked character (after the last single "&"); npos when none. An
// "&" is never part of a double-byte character, but the character it marks may be one.
size_t HotkeyPos(const AnsiString& s) {
  size_t pos = AnsiString::npos;
  for (size_t i = 0; i < s.size(); ++i) {
    if (Lead(s[i])) {
      ++i;
      continue;
    }
    if (s[i] != '&' || i + 1 >= s.size()) continue;
    if (s[i + 1] != '&') pos = i + 1;
    ++i;
  }
  return pos;
}

// The caption without its mnemonic: on East Asian systems a "(&X)" group goes whole.
AnsiString RemoveHotkey(const AnsiString& s) {
  const size_t at = HotkeyPos(s);
  if (at == AnsiString::npos) return s;
  if (FarEast() && at >= 2 && s[at - 2] == '(' && at + 1 < s.size() && s[at + 1] == ')' && !Lead(s[at]))
    return s.substr(0, at - 2) + s.substr(at + 2);
  return s.substr(0, at - 1) + s.substr(at);
}

// The caption with "&" before its character at byte `at`, or "(&X)" added (before a closing
// "..." when there is one).
AnsiString WithHotkey(const AnsiString& s, size_t at, char key) {
  if (at != AnsiString::npos) return s.substr(0, at) + "&" + s.substr(at);
  AnsiString group = AnsiString("(&") + key + ")";
  if (s.size() >= 3 && s.compare(s.size() - 3, 3, "...") == 0) return s.substr(0, s.size() - 3) + group + "...";
  return s + group;
}

TColor SystemRGB(TColor c) { return ColorToRGB(c); }

// The menus' font: the one the platform draws its own menus with.
void AssignMenuFont(TFont* Font) {
  LOGFONTA lf{};
  if (GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf) == 0) return;
  Font->SetName(lf.lfFaceName);
  Font->SetHeight(lf.lfHeight);
  Font->SetCharset(lf.lfCharSet);
  Font->SetStyle({});
  Font->SetColor(clMenuText);
}

bool Version41OrLater() {
  OSVERSIONINFOA v{};
  v.dwOSVersionInfoSize = sizeof(v);
  if (!GetVersionExA(&v)) return true;
  return v.dwMajorVersion > 4 || (v.dwMajorVersion == 4 && v.dwMinorVersion > 0);
}

bool NTAbove4() {
  OSVERSIONINFOA v{};
  v.dwOSVersionInfoSize = sizeof(v);
  if (!GetVersionExA(&v)) return false;
  return v.dwPlatformId == VER_PLATFORM_WIN32_NT && v.dwMajorVersion > 4;
}

}  // namespace

AnsiString GetHotkey(const AnsiString& Text) {
  const size_t at = HotkeyPos(Text);
  if (at == AnsiString::npos) return {};
  return AnsiUpperCase(Text.substr(at, Lead(Text[at]) && at + 1 < Text.size() ? 2 : 1));
}

AnsiString StripHotkey(const AnsiString& Text) {
  const bool far_east = FarEast();
  AnsiString r;
  for (size_t i = 0; i < Text.size(); ++i) {
    if (Lead(Text[i]) && i + 1 < Text.size()) {
      r.push_back(Text[i]);
      r.push_back(Text[++i]);
      continue;
    }
    if (Text[i] == '&') {
      // "(&X)" goes whole on East Asian systems.
      if (far_east && !r.empty() && r.back() == '(' && i + 2 < Text.size() && Text[i + 1] != '&' &&
          !Lead(Text[i + 1]) && Text[i + 2] == ')') {
        r.pop_back();
        i += 2;
        continue;
      }
      if (i + 1 < Text.size() && Text[i + 1] == '&') r.push_back('&'), ++i;
      continue;
    }
    r.push_back(Text[i]);
  }
  return r;
}

// ---------------------------------------------------------------------------------------------
// Mnemonics.

void TMenuItem::SetAutoHotkeys(TMenuItemAutoFlag Value) {
  if (Value == auto_hotkeys_) return;
  auto_hotkeys_ = Value;
  MenuChanged(true);
}

bool TMenuItem::IsAutoHotkeys() const {
  for (const TMenuItem* i = this; i; i = i->parent_) {
    if (i->auto_hotkeys_ != maParent) return i->auto_hotkeys_ == maAutomatic;
    if (!i->parent_) return !i->menu_ || i->menu_->AutoHotkeys() == maAutomatic;
  }
  return true;
}

void TMenu::SetAutoHotkeys(TMenuAutoFlag Value) {
  if (Value == auto_hotkeys_) return;
  auto_hotkeys_ = Value;
  RebuildAll();
  MenuChanged(this, nullptr, true);
}

bool TMenuItem::RethinkHotkeys() { return InternalRethinkHotkeys(true); }

// Among the visible children: a mnemonic already taken by an earlier sibling is dropped, then
// each caption without one takes the first of its characters still free, or on East Asian
// systems the first free one as "(&X)".
bool TMenuItem::InternalRethinkHotkeys(bool Force) {
  bool changed = false;
  if (Force || IsAutoHotkeys()) {
    AnsiString free_keys = ValidMenuHotkeys;
    auto take = [&free_keys](const AnsiString& key) {
      if (key.size() != 1) return false;
      const size_t at = free_keys.find(key[0]);
      if (at == AnsiString::npos) return false;
      free_keys.erase(at, 1);
      return true;
    };
    std::vector<TMenuItem*> group;
    for (TMenuItem* c : items_)
      if (c->visible_ && !c->IsLine() && !c->caption_.empty()) group.push_back(c);
    std::vector<bool> has(group.size(), false);
    std::set<AnsiString> used;
    for (size_t k = 0; k < group.size(); ++k) {
      TMenuItem* c = group[k];
      const AnsiString key = GetHotkey(c->caption_);
      if (key.empty()) continue;
      if (used.count(key)) {
        c->caption_ = RemoveHotkey(c->caption_);
        changed = true;
        continue;
      }
      used.insert(key);
      take(key);
      has[k] = true;
    }
    for (size_t k = 0; k < group.size() && !free_keys.empty(); ++k) {
      if (has[k]) continue;
      TMenuItem* c = group[k];
      const AnsiString& s = c->caption_;
      size_t at = AnsiString::npos;
      char key = 0;
      for (size_t i = 0; i < s.size(); ++i) {
        if (Lead(s[i])) {
          ++i;
          continue;
        }
        const char u = static_cast<char>(s[i] >= 'a' && s[i] <= 'z' ? s[i] - 32 : s[i]);
        if (free_keys.find(u) != AnsiString::npos && s[i] != '&') {
          at = i;
          key = u;
          break;
        }
      }
      if (at == AnsiString::npos) {
        if (!FarEast()) continue;
        key = free_keys[0];
      }
      c->caption_ = WithHotkey(s, at, key);
      take(AnsiString(1, key));
      changed = true;
    }
    if (changed) RebuildHandle();
  }
  for (TMenuItem* c : items_)
    if (c->InternalRethinkHotkeys(Force)) changed = true;
  return changed;
}

// ---------------------------------------------------------------------------------------------
// Owner drawing.

TCustomImageList* TMenuItem::GetImageList() const {
  const TMenu* m = GetParentMenu();
  return m ? m->Images() : nullptr;
}

bool TMenuItem::IsOwnerDraw() const {
  const TMenu* m = GetParentMenu();
  if (!m) return false;
  if (m->OwnerDraw()) return true;
  // Images show beside the items of pop-ups; the bar shows them only when owner-drawn.
  return !IsOnMenuBar() && (m->Images() != nullptr || HasBitmap());
}

void TMenuItem::DrawItem(TCanvas* ACanvas, TRect ARect, bool Selected) {
  if (OnDrawItem) OnDrawItem(this, ACanvas, ARect, Selected);
}

void TMenuItem::AdvancedDrawItem(TCanvas* ACanvas, TRect ARect, TOwnerDrawState State, bool TopLevel) {
  TMenu* m = GetParentMenu();
  if (m && (m->OwnerDraw() || GetImageList()) && (OnAdvancedDrawItem || OnDrawItem)) {
    DrawItem(ACanvas, ARect, State.Contains(odSelected));
    if (OnAdvancedDrawItem) OnAdvancedDrawItem(this, ACanvas, ARect, State);
    return;
  }
  DrawDefault(ACanvas, ARect, State, TopLevel);
}

int TMenuItem::TextFlags() const {
  int flags = DT_LEFT;
  if (const auto* p = dynamic_cast<const TPopupMenu*>(GetParentMenu())) {
    static const int kAlign[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
    flags = kAlign[p->Alignment()];
  }
  return flags | DT_EXPANDTABS | DT_SINGLELINE;
}

void TMenuItem::DoDrawText(TCanvas* ACanvas, const AnsiString& ACaption, TRect& Rect, bool Selected, int Flags) {
  AnsiString text = ACaption;
  const TMenu* m = GetParentMenu();
  if (m && m->IsRightToLeft()) {
    Flags |= DT_RTLREADING;
    if ((Flags & (DT_CENTER | DT_RIGHT)) == 0) Flags |= DT_RIGHT;
  }
  // An empty caption still measures one line high.
  if ((Flags & DT_CALCRECT) && (text.empty() || text == "&")) text += " ";
  ACanvas->Brush()->SetStyle(bsClear);
  if (default_) ACanvas->Font()->SetStyle(ACanvas->Font()->Style() + fsBold);
  if (!enabled_) {
    if (!Selected) {
      OffsetRect(&Rect, 1, 1);
      ACanvas->Font()->SetColor(clBtnHighlight);
      DrawTextA(ACanvas->Handle(), text.c_str(), static_cast<int>(text.size()), &Rect, static_cast<UINT>(Flags));
      OffsetRect(&Rect, -1, -1);
    }
    if (Selected && SystemRGB(clHighlight) == SystemRGB(clBtnShadow)) ACanvas->Font()->SetColor(clBtnHighlight);
    else ACanvas->Font()->SetColor(clBtnShadow);
  }
  DrawTextA(ACanvas->Handle(), text.c_str(), static_cast<int>(text.size()), &Rect, static_cast<UINT>(Flags));
}

namespace {
void DrawCheckMark(TCanvas* c, const TRect& g, TColor color) {
  const int cx = (g.left + g.right) / 2, cy = (g.top + g.bottom) / 2;
  c->Pen()->SetColor(color);
  c->Pen()->SetWidth(1);
  for (int k = 0; k < 3; ++k) c->Polyline({TPoint{cx - 4, cy - 1 + k}, TPoint{cx - 2, cy + 1 + k}, TPoint{cx + 3, cy - 4 + k}});
}

// A checked image sits in a sunken square around it (x, y, w, h: the image).
void DrawSunken(TCanvas* c, int x, int y, int w, int h) {
  c->Pen()->SetWidth(1);
  c->Pen()->SetColor(clBtnShadow);
  c->Polyline({TPoint{x - 1, y + h}, TPoint{x - 1, y - 1}, TPoint{x + w + 1, y - 1}});
  c->Pen()->SetColor(clBtnHighlight);
  c->Polyline({TPoint{x + w, y}, TPoint{x + w, y + h}, TPoint{x - 2, y + h}});
}
}  // namespace

TMenuItem::TGlyphColumn TMenuItem::GlyphColumn(const TRect& ARect, bool TopLevel) const {
  TCustomImageList* images = GetImageList();
  TGlyphColumn c{TRect{ARect.left + 1, ARect.top, ARect.left + 1, ARect.bottom}, false, false, false};
  TRect& g = c.Rect;
  c.ValidIndex = images && image_index_ >= 0 && image_index_ < images->Count();
  c.ShowImage = images && (c.ValidIndex || (checked_ && !HasBitmap()));
  c.Glyph = c.ShowImage || HasBitmap();
  if (c.Glyph) {
    g.right = g.left + (c.ShowImage ? images->Width() : 16);
    if (checked_) ++g.left;
  } else {
    g.right = g.left + (images && !TopLevel ? images->Width() : 0);
  }
  const TMenu* m = GetParentMenu();
  if (m && m->IsRightToLeft()) {
    const int left = ARect.right - (g.right - ARect.left), right = ARect.right - (g.left - ARect.left);
    g.left = left;
    g.right = right;
  }
  return c;
}

TRect TMenuItem::CaptionRect(const TRect& ARect, TRect Column, bool Selected, bool TopLevel) const {
  TRect r = ARect;
  Column.left -= 1;
  Column.right += 2;
  const TMenu* m = GetParentMenu();
  if (m && m->IsRightToLeft()) r.right = Column.left - 1;
  else r.left = Column.right + 1;
  if (TopLevel && !Selected && Version41OrLater()) OffsetRect(&r, 0, -1);
  r.left += 2;
  r.right -= 1;
  return r;
}

int TMenuItem::CaptionFlags(TOwnerDrawState State) const {
  int flags = TextFlags();
  if (NTAbove4() && State.Contains(odNoAccel)) flags |= DT_HIDEPREFIX;
  return flags;
}

void TMenuItem::PlaceMeasuredCaption(TRect& R, const TRect& S, bool Selected, bool TopLevel) const {
  const TMenu* m = GetParentMenu();
  if (m && m->IsRightToLeft()) {
    R.left = S.left;
    R.right = S.right;
  }
  OffsetRect(&R, 0, ((S.bottom - S.top) - (R.bottom - R.top)) / 2);
  if (TopLevel && Selected && Version41OrLater()) OffsetRect(&R, 1, 0);
}

// The framework's item: background, then the glyph column (image, bitmap or check mark), then
// the caption centred in the height and the shortcut right-aligned 10 pixels from the edge.
void TMenuItem::DrawDefault(TCanvas* ACanvas, TRect ARect, TOwnerDrawState State, bool TopLevel) {
  const bool selected = State.Contains(odSelected);
  const TMenu* m = GetParentMenu();
  const bool rtl = m && m->IsRightToLeft();
  TCustomImageList* images = GetImageList();
  ACanvas->Brush()->SetStyle(bsSolid);
  ACanvas->Brush()->SetColor(selected ? clHighlight : clMenu);
  ACanvas->FillRect(ARect);
  ACanvas->Font()->SetColor(selected ? clHighlightText : clMenuText);
  if (IsLine()) {
    const int y = (ARect.top + ARect.bottom) / 2 - 1;
    ACanvas->Pen()->SetWidth(1);
    ACanvas->Pen()->SetColor(clBtnShadow);
    ACanvas->MoveTo(ARect.left + 1, y);
    ACanvas->LineTo(ARect.right - 1, y);
    ACanvas->Pen()->SetColor(clBtnHighlight);
    ACanvas->MoveTo(ARect.left + 1, y + 1);
    ACanvas->LineTo(ARect.right - 1, y + 1);
    return;
  }
  // 1-3: the glyph column, mirrored in a right-to-left menu.
  const TGlyphColumn column = GlyphColumn(ARect, TopLevel);
  if (column.Glyph) {
    const TRect cell = column.Rect;
    if (column.ShowImage && column.ValidIndex) {
      const int y = cell.top + (cell.bottom - cell.top - images->Height()) / 2;
      images->Draw(ACanvas, cell.left, y, image_index_, enabled_);
      if (checked_) DrawSunken(ACanvas, cell.left, y, images->Width(), images->Height());
    } else if (column.ShowImage) {
      DrawCheckMark(ACanvas, cell, ACanvas->Font()->Color());
    } else {
      const int y = cell.top + (cell.bottom - cell.top - bitmap_->Height()) / 2;
      ACanvas->Draw(cell.left, y, bitmap_.get());
      if (checked_) DrawSunken(ACanvas, cell.left, y, bitmap_->Width(), bitmap_->Height());
    }
  }
  // 4-6: the text beside the column.
  TRect r = CaptionRect(ARect, column.Rect, selected, TopLevel);
  // 7-13: the caption measured, centred in the height, drawn; then the shortcut.
  const int flags = CaptionFlags(State);
  const TRect s = r;
  if (State.Contains(odDefault)) ACanvas->Font()->SetStyle({fsBold});
  DoDrawText(ACanvas, caption_, r, selected, flags | DT_CALCRECT | DT_NOCLIP);
  PlaceMeasuredCaption(r, s, selected, TopLevel);
  ACanvas->Font()->SetColor(selected ? clHighlightText : clMenuText);
  DoDrawText(ACanvas, caption_, r, selected, flags);
  if (short_cut_ != 0 && !TopLevel) {
    const AnsiString text = ShortCutToText(short_cut_);
    if (rtl) {
      // Measured from the item's own left edge, so a second column keeps its shortcuts.
      r.left = s.left + 10;
      r.right = r.left + ACanvas->TextWidth(text);
    } else {
      r.left = r.right;
      r.right = s.right - 10;
    }
    ACanvas->Font()->SetColor(selected ? clHighlightText : clMenuText);
    DoDrawText(ACanvas, text, r, selected, DT_RIGHT);
  }
}

// The framework's size: the glyph column, the caption's width (and the shortcut's) and a
// height of at least the text and the images, then OnMeasureItem sees it.
void TMenuItem::MeasureItem(TCanvas* ACanvas, int& Width, int& Height) {
  const bool top = IsTopLevel();
  if (top) {
    Width = GetSystemMetrics(SM_CYMENU);
    Height = GetSystemMetrics(SM_CYMENU);
  }
  TCustomImageList* images = GetImageList();
  bool glyph = false;
  if (IsLine()) {
    Height = 5;
    Width = -2;
  } else if (images && (image_index_ > -1 || !top)) {
    Width = images->Width();
    if (!top) Height = std::max(images->Height(), ACanvas->TextHeight("W")) + 4;
    glyph = true;
  } else if (HasBitmap()) {
    Width = 16;
    if (!top) Height = std::max(ACanvas->TextHeight("W"), 16) + 4;
    glyph = true;
  } else {
    Width = top ? 5 : -7;  // on the bar: 6 pixels either side of the caption
  }
  if (glyph && !top) Width += 15;
  if (!top) Height += 3;
  if (!IsLine()) {
    const int flags = TextFlags() | DT_NOCLIP | DT_CALCRECT;
    TRect r{0, 0, 0, 0};
    DoDrawText(ACanvas, caption_, r, false, flags);
    Width += r.right - r.left + 7;
    if (short_cut_ != 0 && !top) {
      TRect k{0, 0, 0, 0};
      DoDrawText(ACanvas, ShortCutToText(short_cut_), k, false, flags);
      Width += k.right - k.left + 15;
    }
  }
  if (OnMeasureItem) OnMeasureItem(this, ACanvas, Width, Height);
}

// ---------------------------------------------------------------------------------------------
// The messages of owner-drawn items, as the menu's window receives them.

namespace {
// A canvas on a DC it does not own, with the menus' font; the DC's state comes back after.
class TMenuItemCanvas {
 public:
  explicit TMenuItemCanvas(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {
    canvas_.SetHandle(dc);
    AssignMenuFont(canvas_.Font());
  }
  ~TMenuItemCanvas() {
    canvas_.SetHandle(nullptr);
    RestoreDC(dc_, saved_);
  }
  TCanvas* operator->() { return &canvas_; }
  TCanvas* get() { return &canvas_; }

 private:
  HDC dc_;
  int saved_;
  TCanvas canvas_;
};
}  // namespace

bool TMenu::MeasureItemMessage(MEASUREITEMSTRUCT& Measure) {
  if (Measure.CtlType != ODT_MENU) return false;
  TMenuItem* item = FindItem(Measure.itemID, fkCommand);
  if (!item) return false;
  HDC dc = GetDC(nullptr);
  {
    TMenuItemCanvas canvas(dc);
    int w = static_cast<int>(Measure.itemWidth), h = static_cast<int>(Measure.itemHeight);
    item->MeasureItem(canvas.get(), w, h);
    Measure.itemWidth = static_cast<UINT>(std::max(w, 0));
    Measure.itemHeight = static_cast<UINT>(std::max(h, 0));
  }
  ReleaseDC(nullptr, dc);
  return true;
}

bool TMenu::DrawItemMessage(const DRAWITEMSTRUCT& Draw) {
  if (Draw.CtlType != ODT_MENU) return false;
  TMenuItem* item = FindItem(Draw.itemID, fkCommand);
  if (!item) return false;
  TMenuItemCanvas canvas(Draw.hDC);
  item->AdvancedDrawItem(canvas.get(), Draw.rcItem, OwnerDrawStateOf(Draw.itemState), item->IsTopLevel());
  return true;
}

LRESULT TMenu::ProcessMenuChar(char16_t Ch, HMENU Menu) {
  TMenuItem* parent = FindItem(reinterpret_cast<UINT_PTR>(Menu), fkHandle);
  if (!parent || Ch == 0) return 0;
  char buf[4] = {};
  const int n = WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<LPCWSTR>(&Ch), 1, buf, sizeof buf, nullptr, nullptr);
  if (n <= 0) return 0;
  const AnsiString key = AnsiUpperCase(AnsiString(buf, static_cast<size_t>(n)));
  int position = 0;  // among the visible children: the platform menu's positions
  for (int i = 0; i < parent->Count(); ++i) {
    TMenuItem* c = parent->Items(i);
    if (!c->Visible()) continue;
    if (!c->IsLine() && GetHotkey(c->Caption()) == key) return static_cast<LRESULT>(static_cast<DWORD>(MAKELONG(position, MNC_EXECUTE)));
    ++position;
  }
  return 0;
}
