// Installed fonts: a logical face name is mapped to an installed face through fontconfig, and the
// face is rendered by FreeType at an integer pixel size. The system's Japanese face names
// ("ＭＳ Ｐゴシック", "MS UI ゴシック", "ＭＳ ゴシック", "MS Shell Dlg", ...) name a Japanese gothic.
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SIZES_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <set>
#include <string>

#include "gdi/fonts_realise.h"
#include "wintext.h"

namespace winplat::gdi {
namespace {

std::string ToUtf8(std::u16string_view s) {
  std::string out;
  std::vector<char32_t> codes;
  DecodeUtf16(s, &codes);
  for (char32_t c : codes) {
    if (c >= 0xD800 && c <= 0xDFFF) c = 0xFFFD;
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::u16string FromUtf8(const char* s) {
  std::u16string out;
  const auto* p = reinterpret_cast<const unsigned char*>(s);
  while (*p) {
    char32_t c = *p++;
    int more = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    if (more) c &= (0x3F >> more);
    for (; more > 0 && (*p & 0xC0) == 0x80; --more) c = (c << 6) | (*p++ & 0x3F);
    if (c >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return out;
}

// Face names compare without case, blanks, or the full-width forms of ASCII.
std::u16string NormaliseName(std::u16string_view name) {
  std::u16string out;
  for (char16_t c : name) {
    if (c >= 0xFF01 && c <= 0xFF5E) c = static_cast<char16_t>(c - 0xFF01 + 0x21);
    if (c == u' ' || c == 0x3000 || c == u'\t') continue;
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    out += c;
  }
  return out;
}

enum class Alias { None, PGothic, Gothic, PMincho, Mincho };

Alias AliasOf(const std::u16string& n) {
  static const std::map<std::u16string, Alias> kAliases = {
      {u"msuiゴシック", Alias::PGothic}, {u"msuigothic", Alias::PGothic},
      {u"mspゴシック", Alias::PGothic},  {u"mspgothic", Alias::PGothic},
      {u"msshelldlg", Alias::PGothic},   {u"msshelldlg2", Alias::PGothic},
      {u"mssansserif", Alias::PGothic},  {u"microsoftsansserif", Alias::PGothic},
      {u"system", Alias::PGothic},       {u"tahoma", Alias::PGothic},
      {u"arial", Alias::PGothic},        {u"segoeui", Alias::PGothic},
      {u"verdana", Alias::PGothic},      {u"helvetica", Alias::PGothic},
      {u"メイリオ", Alias::PGothic},     {u"meiryo", Alias::PGothic},
      {u"meiryoui", Alias::PGothic},     {u"游ゴシック", Alias::PGothic},
      {u"yugothic", Alias::PGothic},     {u"yugothicui", Alias::PGothic},
      {u"msゴシック", Alias::Gothic},    {u"msgothic", Alias::Gothic},
      {u"couriernew", Alias::Gothic},    {u"courier", Alias::Gothic},
      {u"fixedsys", Alias::Gothic},      {u"terminal", Alias::Gothic},
      {u"lucidaconsole", Alias::Gothic}, {u"consolas", Alias::Gothic},
      {u"ms明朝", Alias::Mincho},        {u"msmincho", Alias::Mincho},
      {u"msp明朝", Alias::PMincho},      {u"mspmincho", Alias::PMincho},
      {u"timesnewroman", Alias::PMincho},
  };
  auto it = kAliases.find(n);
  return it == kAliases.end() ? Alias::None : it->second;
}

struct FaceChoice {
  bool ok = false;
  std::string file;
  int index = 0;
  std::u16string reportName;
  bool realBold = false;
  bool realItalic = false;
};

struct MatchResult {
  bool found = false;
  std::string file;
  int index = 0;
  std::vector<std::u16string> families;  // normalised
  std::u16string family;  // first family, as installed
  int weight = FC_WEIGHT_REGULAR;
  int slant = FC_SLANT_ROMAN;
  bool synthBold = false;  // fontconfig's own rules ask for emboldening
  bool synthSlant = false;
  bool japanese = false;
};

// A pattern for a scalable face of the given family, weight and slant, with fontconfig's
// substitutions applied; the caller adds what else it asks for first through addMore.
template <class AddMore>
FcPattern* ScalablePattern(const char* familyUtf8, bool bold, bool italic, AddMore addMore) {
  FcPattern* p = FcPatternCreate();
  if (*familyUtf8) FcPatternAddString(p, FC_FAMILY, reinterpret_cast<const FcChar8*>(familyUtf8));
  addMore(p);
  FcPatternAddInteger(p, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(p, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(p, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, p, FcMatchPattern);
  FcDefaultSubstitute(p);
  return p;
}

MatchResult Match(const std::string& familyUtf8, bool bold, bool italic) {
  static bool initialised = [] {
    bool ok = FcInit() == FcTrue;
    if (ok) std::atexit([] { FcFini(); });
    return ok;
  }();
  MatchResult r;
  if (!initialised) return r;
  FcPattern* p = ScalablePattern(familyUtf8.c_str(), bold, italic, [](FcPattern* q) {
    FcPatternAddString(q, FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
  });
  FcResult res = FcResultNoMatch;
  FcPattern* m = FcFontMatch(nullptr, p, &res);
  FcPatternDestroy(p);
  if (!m) return r;
  FcChar8* file = nullptr;
  if (FcPatternGetString(m, FC_FILE, 0, &file) == FcResultMatch && file) {
    r.found = true;
    r.file = reinterpret_cast<const char*>(file);
    int index = 0;
    if (FcPatternGetInteger(m, FC_INDEX, 0, &index) == FcResultMatch) r.index = index;
    FcChar8* fam = nullptr;
    for (int i = 0; FcPatternGetString(m, FC_FAMILY, i, &fam) == FcResultMatch; ++i) {
      std::u16string f = FromUtf8(reinterpret_cast<const char*>(fam));
      if (i == 0) r.family = f;
      r.families.push_back(NormaliseName(f));
    }
    FcPatternGetInteger(m, FC_WEIGHT, 0, &r.weight);
    FcPatternGetInteger(m, FC_SLANT, 0, &r.slant);
    FcBool embolden = FcFalse;
    if (FcPatternGetBool(m, FC_EMBOLDEN, 0, &embolden) == FcResultMatch) r.synthBold = embolden;
    FcMatrix* matrix = nullptr;
    r.synthSlant = FcPatternGetMatrix(m, FC_MATRIX, 0, &matrix) == FcResultMatch;
    FcLangSet* langs = nullptr;
    if (FcPatternGetLangSet(m, FC_LANG, 0, &langs) == FcResultMatch && langs)
      r.japanese = FcLangSetHasLang(langs, reinterpret_cast<const FcChar8*>("ja")) == FcLangEqual;
  }
  FcPatternDestroy(m);
  return r;
}

bool HasFamily(const MatchResult& m, const std::u16string& normalised) {
  return std::find(m.families.begin(), m.families.end(), normalised) != m.families.end();
}

FaceChoice FromMatch(const MatchResult& m, std::u16string reportName) {
  FaceChoice c;
  c.ok = m.found;
  c.file = m.file;
  c.index = m.index;
  c.reportName = std::move(reportName);
  c.realBold = m.weight >= FC_WEIGHT_DEMIBOLD && !m.synthBold;
  c.realItalic = m.slant != FC_SLANT_ROMAN && !m.synthSlant;
  return c;
}

// The Japanese gothic of the system: proportional or fixed.
FaceChoice JapaneseGothic(bool fixed, bool bold, bool italic, std::u16string reportName) {
  const char* order[] = {fixed ? "IPAGothic" : "IPAPGothic", fixed ? "IPAPGothic" : "IPAGothic",
                         fixed ? "VL Gothic" : "VL PGothic", "Noto Sans CJK JP", "Takao Gothic"};
  for (const char* family : order) {
    MatchResult m = Match(family, bold, italic);
    if (m.found && HasFamily(m, NormaliseName(FromUtf8(family))))
      return FromMatch(m, reportName.empty() ? m.family : reportName);
  }
  MatchResult m = Match(fixed ? "monospace" : "sans-serif", bold, italic);
  return FromMatch(m, reportName.empty() ? m.family : reportName);
}

FaceChoice ChooseFace(const FontRequest& r) {
  bool bold = r.weight >= 600;
  bool fixed = (r.pitchAndFamily & 3) == 1 /* FIXED_PITCH */ || (r.pitchAndFamily & 0xF0) == 0x30;
  std::u16string name = NormaliseName(r.faceName);
  switch (AliasOf(name)) {
    case Alias::PGothic: return JapaneseGothic(false, bold, r.italic, r.faceName);
    case Alias::Gothic: return JapaneseGothic(true, bold, r.italic, r.faceName);
    case Alias::PMincho:
    case Alias::Mincho: {
      const char* family = AliasOf(name) == Alias::Mincho ? "IPAMincho" : "IPAPMincho";
      MatchResult m = Match(family, bold, r.italic);
      if (m.found && HasFamily(m, NormaliseName(FromUtf8(family)))) return FromMatch(m, r.faceName);
      return JapaneseGothic(AliasOf(name) == Alias::Mincho, bold, r.italic, r.faceName);
    }
    case Alias::None: break;
  }
  if (!name.empty()) {
    MatchResult m = Match(ToUtf8(r.faceName), bold, r.italic);
    if (m.found && HasFamily(m, name)) return FromMatch(m, r.faceName);
  }
  // Unknown or empty name: the system's substitute.
  return JapaneseGothic(fixed, bold, r.italic, {});
}

FT_Library Library() {
  static FT_Library lib = [] {
    FT_Library l = nullptr;
    if (FT_Init_FreeType(&l) != 0) l = nullptr;
    return l;
  }();
  return lib;
}

// Faces stay open for the life of the process; there are only a few font files.
FT_Face OpenFace(const std::string& file, int index) {
  static auto* faces = new std::map<std::pair<std::string, int>, FT_Face>;
  auto key = std::make_pair(file, index);
  auto it = faces->find(key);
  if (it != faces->end()) return it->second;
  FT_Face face = nullptr;
  if (!Library() || FT_New_Face(Library(), file.c_str(), index, &face) != 0 ||
      !(face->face_flags & FT_FACE_FLAG_SCALABLE)) {
    if (face) FT_Done_Face(face);
    face = nullptr;
  }
  (*faces)[key] = face;
  return face;
}

constexpr FT_Int32 kLoadFlags = FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_LIGHT;

// Glyph fallback: a character the chosen face lacks (Hangul in a Japanese gothic, a character of
// CJK extension B) is drawn from another installed face that has it, as the system's font linking
// does. Faces found once are asked first, so fontconfig is asked about a block of characters once.
using FaceFile = std::pair<std::string, int>;

bool FaceHasChar(const FaceFile& f, char32_t c) {
  FT_Face face = OpenFace(f.first, f.second);
  return face && FT_Get_Char_Index(face, c) != 0;
}

// The face file (already used for fallback, else the best fontconfig sorts first) that has c;
// false when no installed font has it. Called with the font lock held.
bool FindFallbackFace(char32_t c, bool bold, bool italic, FaceFile* out) {
  static auto* known = new std::vector<FaceFile>;
  static auto* missing = new std::set<char32_t>;
  for (const FaceFile& f : *known)
    if (FaceHasChar(f, c)) return *out = f, true;
  if (missing->count(c) || !Match("", bold, italic).found) return false;  // Match initialises fontconfig
  FcCharSet* cs = FcCharSetCreate();
  FcCharSetAddChar(cs, c);
  FcPattern* p = ScalablePattern("sans-serif", bold, italic, [cs](FcPattern* q) {
    FcPatternAddCharSet(q, FC_CHARSET, cs);
  });
  FcResult res = FcResultNoMatch;
  FcFontSet* set = FcFontSort(nullptr, p, FcFalse, nullptr, &res);
  FcPatternDestroy(p);
  FcCharSetDestroy(cs);
  bool found = false;
  for (int i = 0; set && i < set->nfont && !found; ++i) {
    FcCharSet* has = nullptr;
    FcChar8* file = nullptr;
    int index = 0;
    if (FcPatternGetCharSet(set->fonts[i], FC_CHARSET, 0, &has) != FcResultMatch || !FcCharSetHasChar(has, c))
      continue;
    if (FcPatternGetString(set->fonts[i], FC_FILE, 0, &file) != FcResultMatch || !file) continue;
    FcPatternGetInteger(set->fonts[i], FC_INDEX, 0, &index);
    const FaceFile f{reinterpret_cast<const char*>(file), index};
    if (!FaceHasChar(f, c)) continue;  // not scalable, or the charset overstates
    known->push_back(f);
    *out = f;
    found = true;
  }
  if (set) FcFontSetDestroy(set);
  if (!found) missing->insert(c);
  return found;
}

class FreeTypeFont final : public RealFont {
 public:
  FreeTypeFont(const FontRequest& r, const FaceChoice& choice, FT_Face face) : face_(face) {
    FT_New_Size(face_, &size_);
    FT_Activate_Size(size_);
    const TT_OS2* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face_, FT_SFNT_OS2));
    const TT_HoriHeader* hhea = static_cast<TT_HoriHeader*>(FT_Get_Sfnt_Table(face_, FT_SFNT_HHEA));
    const TT_Postscript* post = static_cast<TT_Postscript*>(FT_Get_Sfnt_Table(face_, FT_SFNT_POST));
    double upem = face_->units_per_EM > 0 ? face_->units_per_EM : 2048;
    double winAscent = os2 && os2->usWinAscent ? os2->usWinAscent : face_->ascender;
    double winDescent = os2 && os2->usWinAscent ? os2->usWinDescent : -face_->descender;
    if (winAscent + winDescent <= 0) winAscent = upem, winDescent = 0;

    double cell = r.height > 0 ? r.height : kDefaultCellHeight;
    double em = r.height < 0 ? -static_cast<double>(r.height)
                             : std::round(cell * upem / (winAscent + winDescent));
    int ppem = static_cast<int>(std::clamp(em, 1.0, static_cast<double>(kMaxPixelSize)));
    FT_Set_Pixel_Sizes(face_, 0, ppem);
    ppem_ = ppem;
    wantBold_ = r.weight >= 600;
    wantItalic_ = r.italic;
    double scale = ppem / upem;

    FontMetrics& m = metrics_;
    m.ascent = static_cast<int>(std::lround(winAscent * scale));
    m.descent = static_cast<int>(std::lround(winDescent * scale));
    m.height = m.ascent + m.descent;
    m.internalLeading = std::max(0, m.height - ppem);
    if (hhea) {
      double hheaHeight = hhea->Ascender - hhea->Descender;
      double gap = hhea->Line_Gap - ((winAscent + winDescent) - hheaHeight);
      m.externalLeading = std::max(0, static_cast<int>(std::lround(gap * scale)));
    }
    bold_ = r.weight >= 600 && !choice.realBold;
    italic_ = r.italic && !choice.realItalic;
    if (bold_) {
      strength_ = std::max<FT_Pos>(64, ((ppem * 64 / 24) + 32) & ~63);
      extra_ = static_cast<int>(strength_ >> 6);
    }
    double avg = os2 && os2->xAvgCharWidth > 0 ? os2->xAvgCharWidth : upem / 2;
    m.aveCharWidth = std::max(1, static_cast<int>(std::lround(avg * scale))) + extra_;
    m.maxCharWidth = std::max(1, static_cast<int>(std::lround(face_->max_advance_width * scale))) + extra_;
    m.weight = r.weight > 0 ? r.weight : 400;
    m.italic = r.italic;
    m.underline = r.underline;
    m.strikeOut = r.strikeOut;
    m.charSet = FT_Get_Char_Index(face_, 0x3042) ? SHIFTJIS_CHARSET : ANSI_CHARSET;
    bool fixedPitch = FT_IS_FIXED_WIDTH(face_) || AdvanceLocked(U'i') == AdvanceLocked(U'M');
    m.pitchAndFamily = static_cast<uint8_t>(TMPF_VECTOR | TMPF_TRUETYPE |
                                            (fixedPitch ? 0x30 : (TMPF_FIXED_PITCH | 0x20)));
    int ulPos = post ? -post->underlinePosition : static_cast<int>(upem / 10);
    int ulThick = post && post->underlineThickness > 0 ? post->underlineThickness : upem / 20;
    m.underlineThickness = std::max(1, static_cast<int>(std::lround(ulThick * scale)));
    m.underlineOffset = std::clamp(static_cast<int>(std::lround(ulPos * scale)), 0,
                                   std::max(0, m.descent - m.underlineThickness));
    int soPos = os2 && os2->yStrikeoutPosition > 0 ? os2->yStrikeoutPosition : upem * 0.3;
    int soThick = os2 && os2->yStrikeoutSize > 0 ? os2->yStrikeoutSize : ulThick;
    m.strikeOutThickness = std::max(1, static_cast<int>(std::lround(soThick * scale)));
    m.strikeOutOffset = std::max(1, static_cast<int>(std::lround(soPos * scale)));
    faceName_ = choice.reportName;
  }

  ~FreeTypeFont() override {
    std::lock_guard<std::recursive_mutex> hold(FontLock());
    if (size_) FT_Done_Size(size_);
    for (const Source& f : fallbacks_) FT_Done_Size(f.size);
  }

  bool Usable() const { return size_ != nullptr; }

 protected:
  int AdvanceLocked(char32_t c) override {
    const Source s = SourceFor(c);
    FT_Activate_Size(s.size);
    FT_UInt gi = FT_Get_Char_Index(s.face, c);
    if (FT_Load_Glyph(s.face, gi, kLoadFlags) != 0) return metrics_.aveCharWidth;
    return static_cast<int>((s.face->glyph->advance.x + 32) >> 6) + (s.bold ? extra_ : 0);
  }

  Glyph RenderLocked(char32_t c) override {
    Glyph g;
    const Source s = SourceFor(c);
    FT_Activate_Size(s.size);
    FT_UInt gi = FT_Get_Char_Index(s.face, c);
    if (FT_Load_Glyph(s.face, gi, kLoadFlags) != 0) return MissingBox(metrics_.aveCharWidth);
    FT_GlyphSlot slot = s.face->glyph;
    g.advance = static_cast<int>((slot->advance.x + 32) >> 6) + (s.bold ? extra_ : 0);
    if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
      if (s.italic) {
        FT_Matrix shear = {0x10000, 0x0366A, 0, 0x10000};
        FT_Outline_Transform(&slot->outline, &shear);
      }
      if (s.bold) FT_Outline_EmboldenXY(&slot->outline, strength_, strength_ / 2);
    }
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return MissingBox(g.advance);
    const FT_Bitmap& b = slot->bitmap;
    if (gi == 0 && (b.width == 0 || b.rows == 0) && c > 0x20) return MissingBox(g.advance);
    if (b.pixel_mode != FT_PIXEL_MODE_GRAY) return g;
    g.left = slot->bitmap_left;
    g.top = slot->bitmap_top;
    g.width = static_cast<int>(b.width);
    g.height = static_cast<int>(b.rows);
    g.coverage.resize(static_cast<size_t>(g.width) * g.height);
    for (int y = 0; y < g.height; ++y) {
      const unsigned char* row = b.pitch >= 0 ? b.buffer + static_cast<ptrdiff_t>(y) * b.pitch
                                              : b.buffer + static_cast<ptrdiff_t>(g.height - 1 - y) * -b.pitch;
      std::copy(row, row + g.width, g.coverage.begin() + static_cast<ptrdiff_t>(y) * g.width);
    }
    return g;
  }

 private:
  // Where a code point's glyph comes from, with the emboldening and slant it still needs.
  struct Source {
    FT_Face face;
    FT_Size size;
    bool bold;
    bool italic;
  };

  // This font's own face, or (for a character it lacks) another installed face that has it, at
  // the same pixel size; the own face when none has it (its .notdef or a box then shows).
  Source SourceFor(char32_t c) {
    const Source own{face_, size_, bold_, italic_};
    if (c <= 0x20 || FT_Get_Char_Index(face_, c) != 0) return own;
    FaceFile file;
    if (!FindFallbackFace(c, wantBold_, wantItalic_, &file)) return own;
    FT_Face face = OpenFace(file.first, file.second);
    for (const Source& f : fallbacks_)
      if (f.face == face) return f;
    Source f{face, nullptr, wantBold_ && !(face->style_flags & FT_STYLE_FLAG_BOLD),
             wantItalic_ && !(face->style_flags & FT_STYLE_FLAG_ITALIC)};
    if (FT_New_Size(face, &f.size) != 0) return own;
    FT_Activate_Size(f.size);
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(ppem_));
    fallbacks_.push_back(f);
    return f;
  }

  // A hollow box for a character the face lacks and whose .notdef glyph is empty.
  Glyph MissingBox(int advance) const {
    Glyph g;
    g.advance = advance;
    g.width = std::max(2, advance - 2);
    g.height = std::max(2, metrics_.ascent * 3 / 4);
    g.left = 1;
    g.top = g.height;
    g.coverage.assign(static_cast<size_t>(g.width) * g.height, 0);
    for (int y = 0; y < g.height; ++y)
      for (int x = 0; x < g.width; ++x)
        if (y == 0 || y == g.height - 1 || x == 0 || x == g.width - 1)
          g.coverage[static_cast<size_t>(y) * g.width + x] = 255;
    return g;
  }

  FT_Face face_;
  FT_Size size_ = nullptr;
  bool bold_ = false;
  bool italic_ = false;
  FT_Pos strength_ = 0;
  int extra_ = 0;
  int ppem_ = 16;
  bool wantBold_ = false;
  bool wantItalic_ = false;
  std::vector<Source> fallbacks_;
};

}  // namespace

std::shared_ptr<RealFont> CreateInstalledFont(const FontRequest& request) {
  std::lock_guard<std::recursive_mutex> hold(FontLock());
  static auto* choices = new std::map<std::u16string, FaceChoice>;
  std::u16string key = NormaliseName(request.faceName);
  key += u'|';
  key += request.weight >= 600 ? u'b' : u'r';
  key += request.italic ? u'i' : u'u';
  key += static_cast<char16_t>(u'0' + (request.pitchAndFamily & 0x33) % 64);
  key += u'|';
  key += request.faceName;  // the reported name keeps the caller's spelling
  auto it = choices->find(key);
  if (it == choices->end()) it = choices->emplace(key, ChooseFace(request)).first;
  const FaceChoice& choice = it->second;
  if (!choice.ok) return nullptr;
  FT_Face face = OpenFace(choice.file, choice.index);
  if (!face) return nullptr;
  auto font = std::make_shared<FreeTypeFont>(request, choice, face);
  if (!font->Usable()) return nullptr;
  return font;
}

}  // namespace winplat::gdi
