// The conversion loops: table code pages, UTF-8 and UTF-7. One table look-up per character and
// no allocation; the caller sizes the output.
#include "codepages/codec.h"

namespace winplat::cp {
namespace {

struct WideOut {
  char16_t* p;
  size_t cap;
  size_t n = 0;
  void Put(char16_t c) {
    if (n < cap) p[n] = c;
    ++n;
  }
};

struct ByteOut {
  char* p;
  size_t cap;
  size_t n = 0;
  void Put(uint8_t c) {
    if (n < cap) p[n] = static_cast<char>(c);
    ++n;
  }
};

constexpr char16_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
bool IsNonSpacing(char16_t c) { return (c >= 0x0300 && c <= 0x036F) || (c >= 0x3099 && c <= 0x309A); }

constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int Base64Value(uint8_t c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

// Written as themselves: the direct set of RFC 2152 and white space.
bool IsUtf7Direct(char16_t c) {
  if (c >= 0x80) return false;
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return true;
  switch (c) {
    case '\'': case '(': case ')': case ',': case '-': case '.': case '/': case ':': case '?':
    case ' ': case '\t': case '\r': case '\n':
      return true;
    default:
      return false;
  }
}

}  // namespace

size_t DecodeTable(const Table& t, const uint8_t* s, size_t n, char16_t* out, size_t cap, bool& invalid) {
  WideOut o{out, out ? cap : 0};
  size_t i = 0;
  while (i < n) {
    const uint8_t b = s[i];
    switch (t.byteKind[b]) {
      case 1:
        o.Put(t.single[b]);
        ++i;
        break;
      case 2: {
        const uint8_t trail = i + 1 < n ? s[i + 1] : 0;
        if (trail >= 0x40 && trail <= 0xFC && trail != 0x7F) {
          // A trail in range belongs to the lead even when the pair has no character.
          const char16_t w = t.dbcs[(b << 8) | trail];
          if (!w) invalid = true;
          o.Put(w ? w : kReplacement);
          i += 2;
        } else {
          // A lead byte at the end or before a byte that cannot trail: the lead alone is bad,
          // and the next byte is read afresh (a NUL or a line break is never swallowed).
          invalid = true;
          o.Put(kReplacement);
          ++i;
        }
        break;
      }
      default:
        invalid = true;
        o.Put(kReplacement);
        ++i;
        break;
    }
  }
  return o.n;
}

size_t EncodeTable(const Table& t, const char16_t* s, size_t n, char* out, size_t cap,
                   const char* defChar, size_t defLen, bool& usedDefault, bool discardNonSpacing) {
  ByteOut o{out, out ? cap : 0};
  for (size_t i = 0; i < n; ++i) {
    const char16_t c = s[i];
    const uint16_t code = t.fromWide[c];
    if (code == kUnmapped) {
      if (discardNonSpacing && i > 0 && IsNonSpacing(c)) continue;
      // A surrogate pair is one character and gets one default character.
      if (IsHighSurrogate(c) && i + 1 < n && IsLowSurrogate(s[i + 1])) ++i;
      usedDefault = true;
      for (size_t k = 0; k < defLen; ++k) o.Put(static_cast<uint8_t>(defChar[k]));
    } else if (code < 0x100) {
      o.Put(static_cast<uint8_t>(code));
    } else {
      o.Put(static_cast<uint8_t>(code >> 8));
      o.Put(static_cast<uint8_t>(code));
    }
  }
  return o.n;
}

size_t DecodeUtf8(const uint8_t* s, size_t n, char16_t* out, size_t cap, bool& invalid) {
  WideOut o{out, out ? cap : 0};
  size_t i = 0;
  while (i < n) {
    const uint8_t b0 = s[i];
    if (b0 < 0x80) {
      o.Put(b0);
      ++i;
      continue;
    }
    size_t need;
    uint32_t cp = 0;
    uint8_t lo = 0x80, hi = 0xBF;  // range of the first continuation byte
    if (b0 < 0xC2) {
      need = 0;  // continuation byte or overlong two-byte lead
    } else if (b0 < 0xE0) {
      need = 1; cp = b0 & 0x1F;
    } else if (b0 < 0xF0) {
      need = 2; cp = b0 & 0x0F;
      if (b0 == 0xE0) lo = 0xA0;        // overlong
      else if (b0 == 0xED) hi = 0x9F;   // surrogates
    } else if (b0 < 0xF5) {
      need = 3; cp = b0 & 0x07;
      if (b0 == 0xF0) lo = 0x90;        // overlong
      else if (b0 == 0xF4) hi = 0x8F;   // above U+10FFFF
    } else {
      need = 0;
    }
    if (need == 0) {
      invalid = true;
      o.Put(kReplacement);
      ++i;
      continue;
    }
    // One U+FFFD for the longest valid prefix of a broken sequence.
    size_t j = i + 1;
    bool ok = true;
    for (size_t k = 0; k < need; ++k, ++j) {
      if (j >= n) { ok = false; break; }
      const uint8_t c = s[j];
      const uint8_t l = k == 0 ? lo : 0x80, h = k == 0 ? hi : 0xBF;
      if (c < l || c > h) { ok = false; break; }
      cp = (cp << 6) | (c & 0x3F);
    }
    if (!ok) {
      invalid = true;
      o.Put(kReplacement);
      i = j;
      continue;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      o.Put(static_cast<char16_t>(0xD800 + (cp >> 10)));
      o.Put(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      o.Put(static_cast<char16_t>(cp));
    }
    i = j;
  }
  return o.n;
}

size_t EncodeUtf8(const char16_t* s, size_t n, char* out, size_t cap, bool& invalid) {
  ByteOut o{out, out ? cap : 0};
  for (size_t i = 0; i < n; ++i) {
    uint32_t cp = s[i];
    if (cp < 0x80) {
      o.Put(static_cast<uint8_t>(cp));
      continue;
    }
    if (IsHighSurrogate(static_cast<char16_t>(cp)) && i + 1 < n && IsLowSurrogate(s[i + 1])) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      invalid = true;
      cp = kReplacement;
    }
    if (cp < 0x800) {
      o.Put(static_cast<uint8_t>(0xC0 | (cp >> 6)));
    } else if (cp < 0x10000) {
      o.Put(static_cast<uint8_t>(0xE0 | (cp >> 12)));
      o.Put(static_cast<uint8_t>(0x80 | ((cp >> 6) & 0x3F)));
    } else {
      o.Put(static_cast<uint8_t>(0xF0 | (cp >> 18)));
      o.Put(static_cast<uint8_t>(0x80 | ((cp >> 12) & 0x3F)));
      o.Put(static_cast<uint8_t>(0x80 | ((cp >> 6) & 0x3F)));
    }
    o.Put(static_cast<uint8_t>(0x80 | (cp & 0x3F)));
  }
  return o.n;
}

size_t DecodeUtf7(const uint8_t* s, size_t n, char16_t* out, size_t cap, bool& invalid) {
  WideOut o{out, out ? cap : 0};
  bool shifted = false;
  uint32_t bits = 0;
  int nbits = 0;
  size_t i = 0;
  while (i < n) {
    const uint8_t c = s[i];
    if (!shifted) {
      if (c == '+') {
        if (i + 1 < n && s[i + 1] == '-') {
          o.Put('+');
          i += 2;
          continue;
        }
        shifted = true;
        bits = 0;
        nbits = 0;
      } else if (c >= 0x80) {
        invalid = true;
        o.Put(kReplacement);
      } else {
        o.Put(c);
      }
      ++i;
      continue;
    }
    const int v = Base64Value(c);
    if (v >= 0) {
      bits = ((bits << 6) | static_cast<uint32_t>(v)) & 0x3FFFFF;
      nbits += 6;
      if (nbits >= 16) {
        nbits -= 16;
        o.Put(static_cast<char16_t>(bits >> nbits));
        bits &= (1u << nbits) - 1;
      }
      ++i;
      continue;
    }
    // End of a shifted run: leftover bits must be fewer than six and all zero.
    if (nbits >= 6 || bits != 0) invalid = true;
    shifted = false;
    if (c == '-') ++i;  // the terminator is absorbed; any other byte is read as itself
  }
  if (shifted && (nbits >= 6 || bits != 0)) invalid = true;
  return o.n;
}

size_t EncodeUtf7(const char16_t* s, size_t n, char* out, size_t cap) {
  ByteOut o{out, out ? cap : 0};
  bool shifted = false;
  uint32_t bits = 0;
  int nbits = 0;
  for (size_t i = 0; i < n; ++i) {
    const char16_t c = s[i];
    if (IsUtf7Direct(c)) {
      if (shifted) {
        if (nbits > 0) o.Put(kBase64[(bits << (6 - nbits)) & 0x3F]);
        // A '-' ends the run when the next byte could be read as part of it.
        if (Base64Value(static_cast<uint8_t>(c)) >= 0 || c == '-') o.Put('-');
        shifted = false;
        bits = 0;
        nbits = 0;
      }
      o.Put(static_cast<uint8_t>(c));
    } else if (c == '+' && !shifted) {
      o.Put('+');
      o.Put('-');
    } else {
      if (!shifted) {
        o.Put('+');
        shifted = true;
      }
      bits = (bits << 16) | c;
      nbits += 16;
      while (nbits >= 6) {
        nbits -= 6;
        o.Put(kBase64[(bits >> nbits) & 0x3F]);
      }
      bits &= (1u << nbits) - 1;
    }
  }
  if (shifted && nbits > 0) o.Put(kBase64[(bits << (6 - nbits)) & 0x3F]);
  return o.n;
}

bool ToWide(UINT codePage, const uint8_t* s, size_t n, char16_t* out, size_t cap, size_t& count, bool& invalid) {
  if (codePage == 65001) {
    count = DecodeUtf8(s, n, out, cap, invalid);
  } else if (codePage == 65000) {
    count = DecodeUtf7(s, n, out, cap, invalid);
  } else if (const Table* t = GetTable(codePage)) {
    count = DecodeTable(*t, s, n, out, cap, invalid);
  } else {
    return false;
  }
  return true;
}

bool FromWide(UINT codePage, const char16_t* s, size_t n, char* out, size_t cap, size_t& count, bool& lossy) {
  if (codePage == 65001) {
    count = EncodeUtf8(s, n, out, cap, lossy);
  } else if (codePage == 65000) {
    count = EncodeUtf7(s, n, out, cap);
  } else if (const Table* t = GetTable(codePage)) {
    count = EncodeTable(*t, s, n, out, cap, "?", 1, lossy, false);
  } else {
    return false;
  }
  return true;
}

}  // namespace winplat::cp
