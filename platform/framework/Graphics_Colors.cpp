// Colour names and conversions.
#include <cstdio>
#include <string_view>

#include "Graphics.h"

namespace {

struct ColorName {
  TColor value;
  const char* name;
};

// In the order the framework lists them: the 16 base colours, four extras, the system colours,
// then clNone and clDefault.
constexpr ColorName kColorNames[] = {
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clMoneyGreen, "clMoneyGreen"},
    {clSkyBlue, "clSkyBlue"},
    {clCream, "clCream"},
    {clMedGray, "clMedGray"},
    {clActiveBorder, "clActiveBorder"},
    {clActiveCaption, "clActiveCaption"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clBackground, "clBackground"},
    {clBtnFace, "clBtnFace"},
    {clBtnHighlight, "clBtnHighlight"},
    {clBtnShadow, "clBtnShadow"},
    {clBtnText, "clBtnText"},
    {clCaptionText, "clCaptionText"},
    {clDefault, "clDefault"},
    {clGradientActiveCaption, "clGradientActiveCaption"},
    {clGradientInactiveCaption, "clGradientInactiveCaption"},
    {clGrayText, "clGrayText"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clHotLight, "clHotLight"},
    {clInactiveBorder, "clInactiveBorder"},
    {clInactiveCaption, "clInactiveCaption"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clInfoBk, "clInfoBk"},
    {clInfoText, "clInfoText"},
    {clMenu, "clMenu"},
    {clMenuBar, "clMenuBar"},
    {clMenuHighlight, "clMenuHighlight"},
    {clMenuText, "clMenuText"},
    {clNone, "clNone"},
    {clScrollBar, "clScrollBar"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clWindowText, "clWindowText"},
};

// Colour names are ASCII; compare them without regard to ASCII case.
bool SameIdent(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 32);
    if (x != y) return false;
  }
  return true;
}

}  // namespace

TColor ColorToRGB(TColor color) {
  if (color < 0) return static_cast<TColor>(GetSysColor(static_cast<int>(color & 0xFF)));
  return color;
}

bool ColorToIdent(int32_t color, AnsiString& ident) {
  for (const auto& c : kColorNames) {
    if (c.value == color) {
      ident = c.name;
      return true;
    }
  }
  return false;
}

bool IdentToColor(const AnsiString& ident, int32_t& color) {
  for (const auto& c : kColorNames) {
    if (SameIdent(ident, c.name)) {
      color = c.value;
      return true;
    }
  }
  return false;
}

AnsiString ColorToString(TColor color) {
  AnsiString s;
  if (ColorToIdent(color, s)) return s;
  char buf[16];
  std::snprintf(buf, sizeof buf, "$%.8X", static_cast<uint32_t>(color));
  return buf;
}

TColor StringToColor(const AnsiString& text) {
  int32_t c;
  if (IdentToColor(text, c)) return c;
  return StrToInt(text);
}

void GetColorValues(const std::function<void(const AnsiString&)>& proc) {
  for (const auto& c : kColorNames) proc(c.name);
}
