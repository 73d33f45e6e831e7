// CompareString's word sort: every UTF-16 unit has weights at three levels (the letter, its
// accents, its case, width and kana type), compared level after level, so that "aa" < "AB" but
// "aaa" < "AAA". Hyphens and apostrophes count only after all other levels; control characters
// and NUL never count. The weights come from one table of all units, built on first use.
#include <memory>
#include <mutex>
#include "codepages/casemap.h"
#include "codepages/codec.h"
#include "winnls.h"
#include "winplat_mode.h"

namespace winplat::cp {
namespace {

enum Kind : uint8_t { kIgnored, kBase, kMark, kSpecial };

// Tertiary bits: a set bit sorts after a clear one.
constexpr uint8_t kUpper = 1, kWidth = 2, kKatakana = 4, kSmall = 8;

struct Weight {
  uint32_t primary;  // group << 24 | order inside the group
  uint8_t accent;    // combined weight of the non-spacing marks
  uint8_t tertiary;
  uint8_t kind;
  uint8_t symbol;  // punctuation or symbol: dropped by NORM_IGNORESYMBOLS
};

enum Group : uint32_t {
  kPunctuation = 1, kSymbols, kDigits, kLatin, kGreek, kCyrillic, kOtherScripts, kKana, kIdeographs,
};
constexpr uint32_t Primary(uint32_t group, uint32_t order) { return group << 24 | order; }

// ASCII punctuation in its sort order; the arithmetic signs follow as symbols.
constexpr char kPunctuationOrder[] = "\t\n\v\f\r !\"#$%&'()*,-./:;?@[\\]^_`{|}~";
constexpr char kSymbolOrder[] = "+<=>";

// Half-width katakana U+FF61..U+FF9F as their full-width forms (the last two are the voicing marks).
constexpr char16_t kHalfWidthKana[] = {
    0x3002, 0x300C, 0x300D, 0x3001, 0x30FB, 0x30F2, 0x30A1, 0x30A3, 0x30A5, 0x30A7, 0x30A9, 0x30E3, 0x30E5,
    0x30E7, 0x30C3, 0x30FC, 0x30A2, 0x30A4, 0x30A6, 0x30A8, 0x30AA, 0x30AB, 0x30AD, 0x30AF, 0x30B1, 0x30B3,
    0x30B5, 0x30B7, 0x30B9, 0x30BB, 0x30BD, 0x30BF, 0x30C1, 0x30C4, 0x30C6, 0x30C8, 0x30CA, 0x30CB, 0x30CC,
    0x30CD, 0x30CE, 0x30CF, 0x30D2, 0x30D5, 0x30D8, 0x30DB, 0x30DE, 0x30DF, 0x30E0, 0x30E1, 0x30E2, 0x30E4,
    0x30E6, 0x30E8, 0x30E9, 0x30EA, 0x30EB, 0x30EC, 0x30ED, 0x30EF, 0x30F3, 0x3099, 0x309A};
static_assert(sizeof kHalfWidthKana / sizeof kHalfWidthKana[0] == 0xFF9F - 0xFF61 + 1);

bool IsIgnored(char16_t c) {
  return c == 0 || (c < 0x20 && !(c >= 0x09 && c <= 0x0D)) || (c >= 0x7F && c <= 0x9F) ||
         (c >= 0x200B && c <= 0x200F) || c == 0x00AD || c == 0xFEFF;
}

bool IsSpecial(char16_t c) { return c == u'-' || c == u'\'' || c == 0x2010 || c == 0x2011; }

uint8_t MarkWeight(char16_t m) {
  if (m >= 0x0300 && m <= 0x036F) return static_cast<uint8_t>(m - 0x0300 + 1);
  return m == 0x3099 ? 0x80 : 0x81;  // kana voiced and semi-voiced marks
}

bool IsSmallKana(char16_t h) {
  switch (h) {
    case 0x3041: case 0x3043: case 0x3045: case 0x3047: case 0x3049: case 0x3063: case 0x3083: case 0x3085:
    case 0x3087: case 0x308E: case 0x3095: case 0x3096:
      return true;
    default:
      return false;
  }
}

Weight WeightOf(char16_t c, bool japanese) {
  Weight w{0, 0, 0, kBase, 0};
  if (IsIgnored(c)) return {0, 0, 0, kIgnored, 0};
  // Width: full-width ASCII and the ideographic space as ASCII, half-width katakana as full-width.
  char16_t u = c;
  if (c >= 0xFF01 && c <= 0xFF5E) {
    u = static_cast<char16_t>(c - 0xFEE0);
    w.tertiary |= kWidth;
  } else if (c == 0x3000) {
    u = u' ';
    w.tertiary |= kWidth;
  } else if (c >= 0xFF61 && c <= 0xFF9F) {
    u = kHalfWidthKana[c - 0xFF61];
    w.tertiary |= kWidth;
  }
  if (IsNonSpacingMark(u) && ToUpper(u) == u) {  // (the Greek ypogegrammeni has a capital letter)
    w.kind = kMark;
    w.accent = MarkWeight(u);
    w.primary = Primary(kOtherScripts, u);  // only used for a mark with no letter before it
    return w;
  }
  if (IsSpecial(u)) w.kind = kSpecial;
  // Kana: katakana as hiragana, small as large, voiced as the plain kana with an accent.
  if (u >= 0x30A1 && u <= 0x30F6) {
    u = static_cast<char16_t>(u - 0x60);
    w.tertiary |= kKatakana;
  }
  // Case: the upper case is the letter; lower case sorts first.
  const char16_t upper = ToUpper(u);
  if (upper != u) u = upper;
  else if (ToLower(u) != u) w.tertiary |= kUpper;
  if (const char16_t* parts = DecompositionOf(u)) {
    u = parts[0];
    w.accent = MarkWeight(parts[1]);
    if (parts[2]) w.accent = static_cast<uint8_t>(w.accent + MarkWeight(parts[2]));
  }
  if (u >= 0x3041 && u <= 0x3096 && IsSmallKana(u)) {
    u = u == 0x3095 ? 0x304B : u == 0x3096 ? 0x3051 : static_cast<char16_t>(u + 1);
    w.tertiary |= kSmall;
  }
  // Latin letters without a decomposition of their own.
  switch (u) {
    case 0x00D8: u = u'O'; w.accent = 0x90; break;  // O with stroke
    case 0x00D0: case 0x0110: u = u'D'; w.accent = 0x91; break;
    case 0x00C6: u = u'A'; w.accent = 0x92; break;  // ligature AE
    case 0x0152: u = u'O'; w.accent = 0x93; break;  // ligature OE
    case 0x00DF: case 0x1E9E: u = u'S'; w.accent = 0x94; break;  // sharp s
    default: break;
  }
  for (const char* p = kPunctuationOrder; *p; ++p)
    if (u == static_cast<uint8_t>(*p)) {
      w.primary = Primary(kPunctuation, static_cast<uint32_t>(p - kPunctuationOrder));
      w.symbol = 1;
      return w;
    }
  for (const char* p = kSymbolOrder; *p; ++p)
    if (u == static_cast<uint8_t>(*p)) {
      w.primary = Primary(kSymbols, static_cast<uint32_t>(p - kSymbolOrder));
      w.symbol = 1;
      return w;
    }
  if (u >= u'0' && u <= u'9') {
    w.primary = Primary(kDigits, u - u'0');
  } else if (u >= u'A' && u <= u'Z') {
    w.primary = Primary(kLatin, static_cast<uint32_t>(u - u'A' + 1) << 8);
  } else if (u == 0x00DE) {  // thorn, after z
    w.primary = Primary(kLatin, 27 << 8);
  } else if ((u >= 0x00C0 && u <= 0x024F) || (u >= 0x1E00 && u <= 0x1EFF)) {
    w.primary = Primary(kLatin, 0x10000 + u);
  } else if (u >= 0x0370 && u <= 0x03FF) {
    w.primary = Primary(kGreek, u);
  } else if (u >= 0x0400 && u <= 0x052F) {
    w.primary = Primary(kCyrillic, u);
  } else if ((u >= 0x3041 && u <= 0x309F) || u == 0x30FC || u == 0x30FD || u == 0x30FE) {
    w.primary = Primary(kKana, u);
  } else if ((u >= 0x4E00 && u <= 0x9FFF) || (u >= 0x3400 && u <= 0x4DBF) || (u >= 0xF900 && u <= 0xFAFF)) {
    // A Japanese system orders kanji as its code page does (JIS order: by reading, then by radical).
    const uint16_t code = japanese ? GetTable(932)->fromWide[u] : kUnmapped;
    w.primary = Primary(kIdeographs, code != kUnmapped && code >= 0x100 ? code : 0x10000 + u);
  } else if ((u >= 0x00A0 && u <= 0x00BF) || u == 0x00D7 || u == 0x00F7 || (u >= 0x2000 && u <= 0x206F) ||
             (u >= 0x3001 && u <= 0x303F) || u == 0x30FB || u == 0x309B || u == 0x309C) {
    w.primary = Primary(kPunctuation, 0x100 + u);
    w.symbol = 1;
  } else if ((u >= 0x2070 && u <= 0x2BFF) || (u >= 0xFE30 && u <= 0xFE6F) || (u >= 0xFFE0 && u <= 0xFFEF)) {
    w.primary = Primary(kSymbols, 0x100 + u);
    w.symbol = 1;
  } else {
    w.primary = Primary(kOtherScripts, u);
  }
  return w;
}

struct WeightTable {
  Weight w[65536];
};

const Weight* Weights(bool japanese) {
  static std::unique_ptr<WeightTable> built[2];
  static std::once_flag once[2];
  std::call_once(once[japanese], [&] {
    built[japanese] = std::make_unique<WeightTable>();
    for (uint32_t c = 0; c < 65536; ++c) built[japanese]->w[c] = WeightOf(static_cast<char16_t>(c), japanese);
  });
  return built[japanese]->w;
}

struct Element {
  uint32_t primary;
  uint8_t accent;
  uint8_t tertiary;
};

// Walks one string element by element: a letter with the marks that follow it.
class Reader {
 public:
  Reader(const Weight* t, const char16_t* s, size_t n, DWORD flags) : t_(t), s_(s), n_(n) {
    stringSort_ = flags & SORT_STRINGSORT;
    noAccents_ = flags & (NORM_IGNORENONSPACE | LINGUISTIC_IGNOREDIACRITIC);
    noSymbols_ = flags & NORM_IGNORESYMBOLS;
    mask_ = 0xFF;
    if (flags & (NORM_IGNORECASE | LINGUISTIC_IGNORECASE)) mask_ &= static_cast<uint8_t>(~kUpper);
    if (flags & NORM_IGNOREWIDTH) mask_ &= static_cast<uint8_t>(~kWidth);
    if (flags & NORM_IGNOREKANATYPE) mask_ &= static_cast<uint8_t>(~kKatakana);
  }

  bool Next(Element& e) {
    while (i_ < n_) {
      const Weight& w = t_[s_[i_++]];
      if (w.kind == kIgnored || (w.kind == kSpecial && !stringSort_) || (noSymbols_ && w.symbol) ||
          (w.kind == kMark && noAccents_))
        continue;
      e = {w.primary, noAccents_ ? uint8_t{0} : w.accent, static_cast<uint8_t>(w.tertiary & mask_)};
      while (i_ < n_ && t_[s_[i_]].kind == kMark) {
        if (!noAccents_) e.accent = static_cast<uint8_t>(e.accent + t_[s_[i_]].accent);
        ++i_;
      }
      ++count_;
      return true;
    }
    return false;
  }

  // The next hyphen or apostrophe of word sort and the number of elements before it.
  bool NextSpecial(size_t& position, char16_t& c) {
    while (i_ < n_) {
      const Weight& w = t_[s_[i_]];
      if (w.kind == kSpecial) {
        position = count_;
        c = s_[i_++];
        return true;
      }
      if (w.kind == kIgnored || (w.kind == kMark && noAccents_)) {
        ++i_;
        continue;
      }
      Element e;
      if (!Next(e)) return false;
    }
    return false;
  }

 private:
  const Weight* t_;
  const char16_t* s_;
  size_t n_;
  size_t i_ = 0;
  size_t count_ = 0;
  bool stringSort_, noAccents_, noSymbols_;
  uint8_t mask_;
};

int Sign(int d) { return d < 0 ? CSTR_LESS_THAN : d > 0 ? CSTR_GREATER_THAN : CSTR_EQUAL; }

}  // namespace

int CompareWide(DWORD flags, const char16_t* a, size_t na, const char16_t* b, size_t nb) {
  const Weight* t = Weights(AnsiCodePage() == 932);
  Reader ra(t, a, na, flags), rb(t, b, nb, flags);
  int accent = 0, tertiary = 0;
  for (;;) {
    Element x, y;
    const bool hx = ra.Next(x), hy = rb.Next(y);
    if (!hx || !hy) {
      if (hx != hy) return hx ? CSTR_GREATER_THAN : CSTR_LESS_THAN;
      break;
    }
    if (x.primary != y.primary) return x.primary < y.primary ? CSTR_LESS_THAN : CSTR_GREATER_THAN;
    if (!accent && x.accent != y.accent) accent = x.accent < y.accent ? -1 : 1;
    if (!tertiary && x.tertiary != y.tertiary) tertiary = x.tertiary < y.tertiary ? -1 : 1;
  }
  if (accent) return Sign(accent);
  if (tertiary) return Sign(tertiary);
  if (flags & (SORT_STRINGSORT | NORM_IGNORESYMBOLS)) return CSTR_EQUAL;
  // Last level: where the hyphens and apostrophes stand; a string without sorts first.
  Reader sa(t, a, na, flags), sb(t, b, nb, flags);
  for (;;) {
    size_t px = 0, py = 0;
    char16_t cx = 0, cy = 0;
    const bool hx = sa.NextSpecial(px, cx), hy = sb.NextSpecial(py, cy);
    if (!hx || !hy) return hx == hy ? CSTR_EQUAL : hx ? CSTR_GREATER_THAN : CSTR_LESS_THAN;
    if (px != py) return px < py ? CSTR_LESS_THAN : CSTR_GREATER_THAN;
    if (cx != cy) return cx < cy ? CSTR_LESS_THAN : CSTR_GREATER_THAN;
  }
}

}  // namespace winplat::cp
