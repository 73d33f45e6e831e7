// Realised fonts: what a logical font becomes when text is measured or drawn. A realised font is
// either an installed face (FreeType, chosen through fontconfig) at one pixel size, or the built-in
// test font. Realised fonts and their glyph bitmaps are cached; every call is thread-safe.
#pragma once
#include <algorithm>
#include <cstdint>
#include <iterator>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace winplat::gdi {

// The parts of a logical font that choose and size a face.
struct FontRequest {
  int32_t height = 0;  // < 0: em height in pixels; > 0: cell height; 0: the default
  int32_t weight = 0;  // 0: normal
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  uint8_t charSet = 1;
  uint8_t pitchAndFamily = 0;
  std::u16string faceName;

  bool operator==(const FontRequest&) const = default;
};

// Cell metrics in pixels, as TEXTMETRIC reports them.
struct FontMetrics {
  int height = 0;  // ascent + descent
  int ascent = 0;
  int descent = 0;
  int internalLeading = 0;
  int externalLeading = 0;
  int aveCharWidth = 0;
  int maxCharWidth = 0;
  int weight = 400;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  uint8_t pitchAndFamily = 0;
  uint8_t charSet = 0;
  // Decorations: rows below (underline) or above (strike-out) the baseline of their top edge.
  int underlineOffset = 1;
  int underlineThickness = 1;
  int strikeOutOffset = 1;
  int strikeOutThickness = 1;
};

// A rendered glyph: 8-bit coverage, rows top-down. The bitmap's top-left pixel sits at
// (pen x + left, baseline y - top).
struct Glyph {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  int advance = 0;
  std::vector<uint8_t> coverage;  // width * height
};
using GlyphPtr = std::shared_ptr<const Glyph>;

class RealFont {
 public:
  RealFont() { std::fill(std::begin(asciiAdvance_), std::end(asciiAdvance_), -1); }
  virtual ~RealFont() = default;
  const FontMetrics& Metrics() const { return metrics_; }
  // Name GetTextFace reports.
  const std::u16string& FaceName() const { return faceName_; }
  // Unique per realisation; keys the glyph cache.
  uint64_t Serial() const { return serial_; }

  // Advance of each code point, in pixels.
  void Advances(const char32_t* codes, size_t count, int* out);
  int Advance(char32_t code) { int a; Advances(&code, 1, &a); return a; }
  // The glyphs of the code points, from the cache or rendered now.
  void Glyphs(const char32_t* codes, size_t count, GlyphPtr* out);

 protected:
  // Called with the font lock held.
  virtual int AdvanceLocked(char32_t code) = 0;
  virtual Glyph RenderLocked(char32_t code) = 0;

  FontMetrics metrics_;
  std::u16string faceName_;
  uint64_t serial_ = 0;

 private:
  int asciiAdvance_[256];
  std::unordered_map<char32_t, int> advances_;
  friend std::shared_ptr<RealFont> RealiseFont(const FontRequest&);
};

// The realised font for a request (cached).
std::shared_ptr<RealFont> RealiseFont(const FontRequest& request);

// Default cell height of a font whose request height is 0.
inline constexpr int kDefaultCellHeight = 16;
// Pixel sizes are kept to this, so a wild height cannot ask for gigabytes of glyph memory.
inline constexpr int kMaxPixelSize = 2048;

// Changes whenever the test-font switch does (or the thread's InstalledFontsOnly scope starts or
// ends), so realisations kept elsewhere can be redone.
uint64_t FontSwitchGeneration();

// While one lives, fonts realised on this thread are the installed faces even when the test
// switch is on: for pictures painted once and kept (the standard icons), which must not depend on
// the switch's state at the moment they happen to be made.
class InstalledFontsOnly {
 public:
  InstalledFontsOnly();
  ~InstalledFontsOnly();
  InstalledFontsOnly(const InstalledFontsOnly&) = delete;
  InstalledFontsOnly& operator=(const InstalledFontsOnly&) = delete;
};

// The lock of every font and glyph cache and of FreeType itself.
std::recursive_mutex& FontLock();

// Sizes of the caches, for tests and benchmarks.
struct FontCacheStats {
  size_t fonts = 0;
  size_t glyphs = 0;
  size_t glyphBytes = 0;
  uint64_t glyphHits = 0;
  uint64_t glyphMisses = 0;
};
FontCacheStats GetFontCacheStats();
// Bounds the glyph cache (bytes of coverage); for tests of eviction.
void SetGlyphCacheLimit(size_t bytes);

// Implementations.
std::shared_ptr<RealFont> CreateTestFont(const FontRequest& request);
// Null when no installed face can be opened at all.
std::shared_ptr<RealFont> CreateInstalledFont(const FontRequest& request);

// UTF-16 to code points; an unpaired surrogate stays as its own code.
void DecodeUtf16(std::u16string_view text, std::vector<char32_t>* codes,
                 std::vector<uint32_t>* unitIndex = nullptr);

// East Asian Width W or F.
bool IsWideChar(char32_t c);

}  // namespace winplat::gdi
