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
  bool IsLead(uint8_t b) const { return byteKind[b] == 2; }
};
constexpr uint16_t kUnmapped = 0xFFFF;

// Tables of the code pages that have them (932, 1252, 437); null for others.
const Table* GetTable(UINT codePage);

// The code page that CP_ACP / CP_OEMCP / CP_THREAD_ACP / CP_MACCP resolve to; others unchanged.
UINT ResolveCodePage(UINT codePage);
// True for the code pages this platform converts.
bool IsKnownCodePage(UINT codePage);

// Every decoder writes U+FFFD for a malformed sequence and sets invalid.
size_t DecodeTable(const Table& t, const uint8_t* s, size_t n, char16_t* out, size_t cap, bool& invalid);
// Unmappable units become the default character (1 or 2 bytes) and set usedDefault.
size_t EncodeTable(const Table& t, const char16_t* s, size_t n, char* out, size_t cap,
                   const char* defChar, size_t defLen, bool& usedDefault, bool discardNonSpacing);

size_t DecodeUtf8(const uint8_t* s, size_t n, char16_t* out, size_t cap, bool& invalid);
// Lone surrogates become U+FFFD and set invalid.
size_t EncodeUtf8(const char16_t* s, size_t n, char* out, size_t cap, bool& invalid);

size_t DecodeUtf7(const uint8_t* s, size_t n, char16_t* out, size_t cap, bool& invalid);
size_t EncodeUtf7(const char16_t* s, size_t n, char* out, size_t cap);


// Any converted code page (already resolved, see ResolveCodePage), with the default character
// '?'. False for a code page without a converter.
bool ToWide(UINT codePage, const uint8_t* s, size_t n, char16_t* out, size_t cap, size_t& count, bool& invalid);
bool FromWide(UINT codePage, const char16_t* s, size_t n, char* out, size_t cap, size_t& count, bool& lossy);

}  // namespace winplat::cp
