// Converters behind the code-page calls. Each converter counts every unit it produces and stores
// only what fits (out may be null to count only); callers compare the count with their capacity.
#pragma once
#include <cstddef>
#include <cstdint>
#include "wintypes.h"

namespace winplat::cp {

// A single- or double-byte code page held as tables, built once.
struct Table {
  UINT codePage = 0;
  UINT maxCharSize = 1;
  // Per byte: 0 unmapped, 1 a character of its own, 2 a lead byte.
  uint8_t byteKind[256] = {};
  char16_t single[256] = {};
  // Double-byte characters indexed by lead << 8 | trail; 0 means unmapped. Empty for SBCS.
  const char16_t* dbcs = nullptr;
  // Wide to bytes: b (< 0x100) for one byte, lead << 8 | trail for two, kUnmapped otherwise.
  const uint16_t* fromWide = nullptr;
  BYTE leadRanges[12] = {};  // pairs, ended by 0,0
  // What an unmapped byte or pair reads as.
  char16_t uniDefault = u'?';
  bool IsLead(uint8_t b) const { return byteKind[b] == 2; }
  // The code `fromWide` gives for c reads back as c (false for a best-fit code).
  bool RoundTrips(char16_t c, uint16_t code) const {
    return code < 0x100 ? byteKind[code] == 1 && single[code] == c : dbcs && dbcs[code] == c;
  }
};
constexpr uint16_t kUnmapped = 0xFFFF;

// Tables of the code pages that have them (932, 1252, 437); null for others.
const Table* GetTable(UINT codePage);

// The code page that CP_ACP / CP_OEMCP / CP_THREAD_ACP / CP_MACCP resolve to; others unchanged.
UINT ResolveCodePage(UINT codePage);
// True for the code pages this platform converts.
bool IsKnownCodePage(UINT codePage);

// A decoder writes the code page's default character (U+FFFD for UTF-8) for a malformed
// sequence and sets invalid. An encoder stores whole characters only: from the first one that
// does not fit, nothing more is written, though everything is still counted.
// Table code pages also set invalid for a single byte that reads as a private-use character.
size_t DecodeTable(const Table& t, const uint8_t* s, size_t n, char16_t* out, size_t cap, bool& invalid);

// How a base character followed by a non-spacing mark is narrowed when it has no precomposed
// form in the code page (WC_COMPOSITECHECK with WC_SEPCHARS, WC_DISCARDNS or WC_DEFAULTCHAR).
enum class Composite { None, SepChars, DiscardNs, DefaultChar };
struct EncodeOptions {
  const char* defChar = "?";
  size_t defLen = 1;
  bool bestFit = true;  // near characters for those outside the code page
  Composite composite = Composite::None;
};
// Unmappable characters become the default character (one per UTF-16 unit, so a surrogate pair
// gives two) and set usedDefault.
size_t EncodeTable(const Table& t, const char16_t* s, size_t n, char* out, size_t cap, const EncodeOptions& options,
                   bool& usedDefault);

// The precomposed character of base + mark, or 0.
char16_t Compose(char16_t base, char16_t mark);
// Precomposed characters split into base and non-spacing marks (MB_COMPOSITE).
size_t Decompose(const char16_t* s, size_t n, char16_t* out, size_t cap);
// The canonical decomposition of c (base first), or null when c has none.
const char16_t* DecompositionOf(char16_t c);
bool IsNonSpacingMark(char16_t c);

size_t DecodeUtf8(const uint8_t* s, size_t n, char16_t* out, size_t cap, bool& invalid);
// Lone surrogates become U+FFFD and set invalid.
size_t EncodeUtf8(const char16_t* s, size_t n, char* out, size_t cap, bool& invalid);

size_t DecodeUtf7(const uint8_t* s, size_t n, char16_t* out, size_t cap, bool& invalid);
size_t EncodeUtf7(const char16_t* s, size_t n, char* out, size_t cap);


// Any converted code page (already resolved, see ResolveCodePage), with the default character
// '?' and best fit, as the platform's own conversions do. False for a code page without a converter.
bool ToWide(UINT codePage, const uint8_t* s, size_t n, char16_t* out, size_t cap, size_t& count, bool& invalid);
bool FromWide(UINT codePage, const char16_t* s, size_t n, char* out, size_t cap, size_t& count, bool& lossy);

}  // namespace winplat::cp
