// Caches of realised fonts and glyph bitmaps, and the realisation entry point.
#include "gdi/fonts_realise.h"

#include <atomic>
#include <list>
#include <unordered_map>

#include "wintext.h"

namespace winplat::gdi {
namespace {

std::atomic<bool> g_testFontForAll{false};
std::atomic<uint64_t> g_nextSerial{1};
std::atomic<uint64_t> g_switchGeneration{1};
thread_local int t_installedOnly = 0;  // depth of InstalledFontsOnly scopes

constexpr size_t kMaxFonts = 64;
constexpr size_t kDefaultGlyphBytes = 32u << 20;
// Per-glyph bookkeeping counted with the coverage, so many tiny glyphs are bounded too.
constexpr size_t kGlyphOverhead = 96;

struct FontEntry {
  FontRequest request;
  bool testFont;
  std::shared_ptr<RealFont> font;
};

struct GlyphEntry {
  uint64_t key;
  GlyphPtr glyph;
  size_t bytes;
};

struct Caches {
  std::list<FontEntry> fonts;  // most recent first
  std::list<GlyphEntry> glyphs;  // most recent first
  std::unordered_map<uint64_t, std::list<GlyphEntry>::iterator> glyphIndex;
  size_t glyphBytes = 0;
  size_t glyphLimit = kDefaultGlyphBytes;
  uint64_t hits = 0;
  uint64_t misses = 0;
};

Caches& TheCaches() {
  static Caches* caches = new Caches;  // lives to exit: glyphs may be released by late users
  return *caches;
}

uint64_t GlyphKey(uint64_t serial, char32_t code) { return (serial << 21) | (code & 0x1FFFFF); }

void TrimGlyphs(Caches& c) {
  while (c.glyphBytes > c.glyphLimit && c.glyphs.size() > 1) {
    GlyphEntry& last = c.glyphs.back();
    c.glyphBytes -= last.bytes;
    c.glyphIndex.erase(last.key);
    c.glyphs.pop_back();
  }
}

}  // namespace

std::recursive_mutex& FontLock() {
  static std::recursive_mutex* lock = new std::recursive_mutex;
  return *lock;
}

bool UseTestFontForAll(bool on) {
  bool previous = g_testFontForAll.exchange(on);
  ++g_switchGeneration;
  return previous;
}
// Odd inside an InstalledFontsOnly scope, so fonts realised there are realised again outside it.
uint64_t FontSwitchGeneration() { return g_switchGeneration.load() * 2 + (t_installedOnly ? 1 : 0); }
InstalledFontsOnly::InstalledFontsOnly() { ++t_installedOnly; }
InstalledFontsOnly::~InstalledFontsOnly() { --t_installedOnly; }
bool UsingTestFontForAll() { return g_testFontForAll.load(); }

void RealFont::Advances(const char32_t* codes, size_t count, int* out) {
  std::lock_guard<std::recursive_mutex> hold(FontLock());
  for (size_t i = 0; i < count; ++i) {
    char32_t c = codes[i];
    if (c < 256) {
      if (asciiAdvance_[c] < 0) asciiAdvance_[c] = AdvanceLocked(c);
      out[i] = asciiAdvance_[c];
      continue;
    }
    auto it = advances_.find(c);
    if (it == advances_.end()) {
      if (advances_.size() >= 16384) advances_.clear();
      it = advances_.emplace(c, AdvanceLocked(c)).first;
    }
    out[i] = it->second;
  }
}

void RealFont::Glyphs(const char32_t* codes, size_t count, GlyphPtr* out) {
  std::lock_guard<std::recursive_mutex> hold(FontLock());
  Caches& c = TheCaches();
  for (size_t i = 0; i < count; ++i) {
    uint64_t key = GlyphKey(serial_, codes[i]);
    auto it = c.glyphIndex.find(key);
    if (it != c.glyphIndex.end()) {
      ++c.hits;
      if (it->second != c.glyphs.begin()) c.glyphs.splice(c.glyphs.begin(), c.glyphs, it->second);
      out[i] = it->second->glyph;
      continue;
    }
    ++c.misses;
    auto glyph = std::make_shared<Glyph>(RenderLocked(codes[i]));
    size_t bytes = glyph->coverage.size() + kGlyphOverhead;
    c.glyphs.push_front(GlyphEntry{key, glyph, bytes});
    c.glyphIndex[key] = c.glyphs.begin();
    c.glyphBytes += bytes;
    out[i] = std::move(glyph);
    TrimGlyphs(c);
  }
}

std::shared_ptr<RealFont> RealiseFont(const FontRequest& request) {
  std::lock_guard<std::recursive_mutex> hold(FontLock());
  Caches& c = TheCaches();
  bool test = (g_testFontForAll.load() && t_installedOnly == 0) ||
              std::u16string_view(request.faceName) == kTestFontFace;
  for (auto it = c.fonts.begin(); it != c.fonts.end(); ++it) {
    if (it->testFont == test && it->request == request) {
      if (it != c.fonts.begin()) c.fonts.splice(c.fonts.begin(), c.fonts, it);
      return c.fonts.front().font;
    }
  }
  std::shared_ptr<RealFont> font;
  if (!test) font = CreateInstalledFont(request);
  if (!font) font = CreateTestFont(request);  // no usable font file at all: still lay out text
  font->serial_ = g_nextSerial++;
  c.fonts.push_front(FontEntry{request, test, font});
  if (c.fonts.size() > kMaxFonts) c.fonts.pop_back();
  return font;
}

FontCacheStats GetFontCacheStats() {
  std::lock_guard<std::recursive_mutex> hold(FontLock());
  Caches& c = TheCaches();
  return FontCacheStats{c.fonts.size(), c.glyphs.size(), c.glyphBytes, c.hits, c.misses};
}

void SetGlyphCacheLimit(size_t bytes) {
  std::lock_guard<std::recursive_mutex> hold(FontLock());
  Caches& c = TheCaches();
  c.glyphLimit = bytes ? bytes : kDefaultGlyphBytes;
  TrimGlyphs(c);
}

void DecodeUtf16(std::u16string_view text, std::vector<char32_t>* codes,
                 std::vector<uint32_t>* unitIndex) {
  codes->clear();
  if (unitIndex) unitIndex->clear();
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    size_t start = i;
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    }
    codes->push_back(c);
    if (unitIndex) unitIndex->push_back(static_cast<uint32_t>(start));
  }
}

bool IsWideChar(char32_t c) {
  // East Asian Width W and F, in code point order.
  static constexpr struct { char32_t first, last; } kWide[] = {
      {0x1100, 0x115F},   {0x231A, 0x231B},   {0x2329, 0x232A},   {0x23E9, 0x23EC},
      {0x23F0, 0x23F0},   {0x23F3, 0x23F3},   {0x25FD, 0x25FE},   {0x2614, 0x2615},
      {0x2648, 0x2653},   {0x267F, 0x267F},   {0x2693, 0x2693},   {0x26A1, 0x26A1},
      {0x26AA, 0x26AB},   {0x26BD, 0x26BE},   {0x26C4, 0x26C5},   {0x26CE, 0x26CE},
      {0x26D4, 0x26D4},   {0x26EA, 0x26EA},   {0x26F2, 0x26F3},   {0x26F5, 0x26F5},
      {0x26FA, 0x26FA},   {0x26FD, 0x26FD},   {0x2705, 0x2705},   {0x270A, 0x270B},
      {0x2728, 0x2728},   {0x274C, 0x274C},   {0x274E, 0x274E},   {0x2753, 0x2755},
      {0x2757, 0x2757},   {0x2795, 0x2797},   {0x27B0, 0x27B0},   {0x27BF, 0x27BF},
      {0x2B1B, 0x2B1C},   {0x2B50, 0x2B50},   {0x2B55, 0x2B55},   {0x2E80, 0x303E},
      {0x3041, 0x33FF},   {0x3400, 0x4DBF},   {0x4E00, 0x9FFF},   {0xA000, 0xA4CF},
      {0xA960, 0xA97F},   {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},   {0xFE10, 0xFE19},
      {0xFE30, 0xFE6F},   {0xFF01, 0xFF60},   {0xFFE0, 0xFFE6},   {0x16FE0, 0x18CFF},
      {0x1B000, 0x1B2FF}, {0x1F004, 0x1F004}, {0x1F0CF, 0x1F0CF}, {0x1F18E, 0x1F18E},
      {0x1F191, 0x1F19A}, {0x1F200, 0x1F251}, {0x1F300, 0x1F64F}, {0x1F680, 0x1F6FF},
      {0x1F900, 0x1F9FF}, {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD},
  };
  if (c < 0x1100) return false;
  size_t lo = 0, hi = sizeof(kWide) / sizeof(kWide[0]);
  while (lo < hi) {
    size_t mid = (lo + hi) / 2;
    if (c < kWide[mid].first) hi = mid;
    else if (c > kWide[mid].last) lo = mid + 1;
    else return true;
  }
  return false;
}

}  // namespace winplat::gdi
