// Locale information: the user's locale follows the ANSI code page (932: Japanese, 1252: English).
#include <string>
#include "codepages/codec.h"
#include "winerror.h"
#include "winnls.h"
#include "internal/wide_calls.h"
#include "winplat_mode.h"

using namespace winplat;

namespace {

constexpr LCID kJapanese = 0x0411;
constexpr LCID kEnglish = 0x0409;

struct Entry {
  LCTYPE type;
  const char16_t* ja;
  const char16_t* en;
};

// Day names start with Monday, as the platform numbers them.
constexpr Entry kEntries[] = {
    {LOCALE_ILANGUAGE, u"0411", u"0409"},
    {LOCALE_SLANGUAGE, u"日本語", u"English (United States)"},
    {LOCALE_SENGLANGUAGE, u"Japanese", u"English"},
    {LOCALE_SABBREVLANGNAME, u"JPN", u"ENU"},
    {LOCALE_SNATIVELANGNAME, u"日本語", u"English"},
    {LOCALE_ICOUNTRY, u"81", u"1"},
    {LOCALE_SCOUNTRY, u"日本", u"United States"},
    {LOCALE_SENGCOUNTRY, u"Japan", u"United States"},
    {LOCALE_IDEFAULTLANGUAGE, u"0411", u"0409"},
    {LOCALE_IDEFAULTCOUNTRY, u"81", u"1"},
    {LOCALE_IDEFAULTCODEPAGE, u"932", u"437"},
    {LOCALE_IDEFAULTANSICODEPAGE, u"932", u"1252"},
    {LOCALE_SLIST, u",", u","},
    {LOCALE_SDECIMAL, u".", u"."},
    {LOCALE_STHOUSAND, u",", u","},
    {LOCALE_SDATE, u"/", u"/"},
    {LOCALE_STIME, u":", u":"},
    {LOCALE_SSHORTDATE, u"yyyy/MM/dd", u"M/d/yyyy"},
    {LOCALE_SLONGDATE, u"yyyy'年'M'月'd'日'", u"dddd, MMMM d, yyyy"},
    {LOCALE_STIMEFORMAT, u"H:mm:ss", u"h:mm:ss tt"},
    {LOCALE_S1159, u"午前", u"AM"},
    {LOCALE_S2359, u"午後", u"PM"},
    {LOCALE_SISO639LANGNAME, u"ja", u"en"},
    {LOCALE_SISO3166CTRYNAME, u"JP", u"US"},
    {LOCALE_SDAYNAME1 + 0, u"月曜日", u"Monday"},
    {LOCALE_SDAYNAME1 + 1, u"火曜日", u"Tuesday"},
    {LOCALE_SDAYNAME1 + 2, u"水曜日", u"Wednesday"},
    {LOCALE_SDAYNAME1 + 3, u"木曜日", u"Thursday"},
    {LOCALE_SDAYNAME1 + 4, u"金曜日", u"Friday"},
    {LOCALE_SDAYNAME1 + 5, u"土曜日", u"Saturday"},
    {LOCALE_SDAYNAME1 + 6, u"日曜日", u"Sunday"},
    {LOCALE_SABBREVDAYNAME1 + 0, u"月", u"Mon"},
    {LOCALE_SABBREVDAYNAME1 + 1, u"火", u"Tue"},
    {LOCALE_SABBREVDAYNAME1 + 2, u"水", u"Wed"},
    {LOCALE_SABBREVDAYNAME1 + 3, u"木", u"Thu"},
    {LOCALE_SABBREVDAYNAME1 + 4, u"金", u"Fri"},
    {LOCALE_SABBREVDAYNAME1 + 5, u"土", u"Sat"},
    {LOCALE_SABBREVDAYNAME1 + 6, u"日", u"Sun"},
};

constexpr const char16_t* kEnglishMonths[12] = {u"January", u"February", u"March", u"April", u"May", u"June",
                                                u"July", u"August", u"September", u"October", u"November",
                                                u"December"};

// Other locales the wide layer asks for their code page only.
struct CodePages {
  LANGID lang;
  const char16_t* ansi;
  const char16_t* oem;
};
constexpr CodePages kOtherLocales[] = {
    {0x0804, u"936", u"936"}, {0x0412, u"949", u"949"}, {0x0404, u"950", u"950"}};

LCID UserLocale() { return AnsiCodePage() == 932 ? kJapanese : kEnglish; }

int Fail(DWORD code) {
  SetLastError(code);
  return 0;
}

// The value as wide text; false with the error set when there is none.
bool Lookup(LCID locale, LCTYPE type, std::u16string& value) {
  LANGID lang = LANGIDFROMLCID(locale);
  if (locale == LOCALE_USER_DEFAULT || locale == LOCALE_SYSTEM_DEFAULT || lang == 0 ||
      lang == LOCALE_USER_DEFAULT || lang == LOCALE_SYSTEM_DEFAULT)
    lang = LANGIDFROMLCID(UserLocale());
  if (lang == LOCALE_INVARIANT) lang = kEnglish;
  if (lang != kJapanese && lang != kEnglish) {
    for (const CodePages& c : kOtherLocales)
      if (c.lang == lang) {
        if (type == LOCALE_IDEFAULTANSICODEPAGE) { value = c.ansi; return true; }
        if (type == LOCALE_IDEFAULTCODEPAGE) { value = c.oem; return true; }
        if (type == LOCALE_ILANGUAGE) {
          static const char16_t hex[] = u"0123456789abcdef";
          value.clear();
          for (int shift = 12; shift >= 0; shift -= 4) value += hex[(lang >> shift) & 0xF];
          return true;
        }
        break;
      }
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  const bool ja = lang == kJapanese;
  if (type >= LOCALE_SMONTHNAME1 && type < LOCALE_SMONTHNAME1 + 12) {
    const int m = static_cast<int>(type - LOCALE_SMONTHNAME1);
    value = ja ? std::u16string(m >= 9 ? u"1" : u"") + char16_t(u'0' + (m + 1) % 10) + u"月" : kEnglishMonths[m];
    return true;
  }
  if (type >= LOCALE_SABBREVMONTHNAME1 && type < LOCALE_SABBREVMONTHNAME1 + 12) {
    const int m = static_cast<int>(type - LOCALE_SABBREVMONTHNAME1);
    value = ja ? std::u16string(m >= 9 ? u"1" : u"") + char16_t(u'0' + (m + 1) % 10)
               : std::u16string(kEnglishMonths[m]).substr(0, 3);
    return true;
  }
  for (const Entry& e : kEntries)
    if (e.type == type) {
      value = ja ? e.ja : e.en;
      return true;
    }
  SetLastError(ERROR_INVALID_FLAGS);
  return false;
}

// LOCALE_RETURN_NUMBER answers a DWORD in place of the text.
bool IsNumeric(LCTYPE type) {
  switch (type) {
    case LOCALE_ILANGUAGE: case LOCALE_ICOUNTRY: case LOCALE_IDEFAULTLANGUAGE: case LOCALE_IDEFAULTCOUNTRY:
    case LOCALE_IDEFAULTCODEPAGE: case LOCALE_IDEFAULTANSICODEPAGE:
      return true;
    default:
      return false;
  }
}

DWORD ParseNumber(const std::u16string& v, bool hex) {
  DWORD n = 0;
  for (char16_t c : v) {
    int d = (c >= u'0' && c <= u'9') ? c - u'0' : (c >= u'a' && c <= u'f') ? c - u'a' + 10 : 0;
    n = n * (hex ? 16 : 10) + static_cast<DWORD>(d);
  }
  return n;
}

template <typename Ch, typename Convert>
int Answer(LCID Locale, LCTYPE LCType, Ch* data, int cch, Convert convert) {
  if (cch < 0 || (cch > 0 && !data)) return Fail(ERROR_INVALID_PARAMETER);
  const bool number = LCType & LOCALE_RETURN_NUMBER;
  const LCTYPE type = LCType & ~static_cast<LCTYPE>(LOCALE_NOUSEROVERRIDE | LOCALE_USE_CP_ACP | LOCALE_RETURN_NUMBER);
  std::u16string value;
  if (!Lookup(Locale, type, value)) return 0;
  if (number) {
    if (!IsNumeric(type)) return Fail(ERROR_INVALID_FLAGS);
    const DWORD n = ParseNumber(value, type == LOCALE_ILANGUAGE || type == LOCALE_IDEFAULTLANGUAGE);
    const int need = static_cast<int>(sizeof(DWORD) / sizeof(Ch));
    if (cch == 0) return need;
    if (cch < need) return Fail(ERROR_INSUFFICIENT_BUFFER);
    __builtin_memcpy(data, &n, sizeof n);
    return need;
  }
  const std::basic_string<Ch> text = convert(value);
  const int need = static_cast<int>(text.size()) + 1;
  if (cch == 0) return need;
  if (cch < need) return Fail(ERROR_INSUFFICIENT_BUFFER);
  text.copy(data, text.size());
  data[text.size()] = 0;
  return need;
}

}  // namespace

int WINAPI GetLocaleInfoA(LCID Locale, LCTYPE LCType, LPSTR lpLCData, int cchData) {
  return Answer(Locale, LCType, lpLCData, cchData, [](const std::u16string& w) {
    std::string s(w.size() * 2, '\0');
    size_t count = 0;
    bool lossy = false;
    cp::FromWide(AnsiCodePage(), w.data(), w.size(), s.data(), s.size(), count, lossy);
    s.resize(count);
    return s;
  });
}

int WINAPI GetLocaleInfoW(LCID Locale, LCTYPE LCType, LPWSTR lpLCData, int cchData) {
  if (RefuseWideCall()) return 0;
  return Answer(Locale, LCType, lpLCData, cchData, [](const std::u16string& w) { return w; });
}

LCID WINAPI GetUserDefaultLCID() { return UserLocale(); }
LCID WINAPI GetSystemDefaultLCID() { return UserLocale(); }
LCID WINAPI GetThreadLocale() { return UserLocale(); }
LANGID WINAPI GetUserDefaultLangID() { return LANGIDFROMLCID(UserLocale()); }
LANGID WINAPI GetSystemDefaultLangID() { return LANGIDFROMLCID(UserLocale()); }
