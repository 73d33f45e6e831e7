// The conversion loops: table code pages, UTF-8 and UTF-7. One table look-up per character and
// no allocation; the caller sizes the output.
#include "codepages/codec.h"

namespace winplat::cp {
namespace {

// Outputs that store whole characters only: once one does not fit, nothing more is stored, so a
// short buffer never ends in half a double-byte character or half a surrogate pair.
struct WideOut {
  char16_t* p;
  size_t cap;
  size_t n = 0;
  void Put(char16_t c) {
    if (n < cap) p[n] = c;
    else cap = 0;
    ++n;
  }
  void PutPair(char16_t hi, char16_t lo) {
    if (n + 2 <= cap) {
      p[n] = hi;
      p[n + 1] = lo;
    } else {
      cap = 0;
    }
    n += 2;
  }
};

struct ByteOut {
  char* p;
  size_t cap;
  size_t n = 0;
  void Put(uint8_t c) {
    if (n < cap) p[n] = static_cast<char>(c);
    else cap = 0;
    ++n;
  }
  void Put(const uint8_t* b, size_t k) {
    if (n + k <= cap) {
      for (size_t i = 0; i < k; ++i) p[n + i] = static_cast<char>(b[i]);
    } else {
      cap = 0;
    }
    n += k;
  }
  void PutCode(uint16_t code) {
    if (code < 0x100) {
      Put(static_cast<uint8_t>(code));
    } else {
      const uint8_t b[2] = {static_cast<uint8_t>(code >> 8), static_cast<uint8_t>(code)};
      Put(b, 2);
    }
  }
};

constexpr char16_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
bool IsPrivateUse(char16_t c) { return c >= 0xE000 && c <= 0xF8FF; }

constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int Base64Value(uint8_t c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

// Written as themselves: the direct set of RFC 2152, white space and NUL.
bool IsUtf7Direct(char16_t c) {
  if (c >= 0x80) return false;
  if (c == 0) return true;
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
        // Bytes outside the code page's character set read as private-use characters.
        if (IsPrivateUse(t.single[b])) invalid = true;
        o.Put(t.single[b]);
        ++i;
        break;
      case 2: {
        const uint8_t trail = i + 1 < n ? s[i + 1] : 0;
        if (trail >= 0x40 && trail <= 0xFC && trail != 0x7F) {
          // A trail in range belongs to the lead even when the pair has no character.
          const char16_t w = t.dbcs[(b << 8) | trail];
          if (!w) invalid = true;
          o.Put(w ? w : t.uniDefault);
          i += 2;
        } else {
          // A lead byte at the end or before a byte that cannot trail: the lead alone is bad,
          // and the next byte is read afresh (a NUL or a line break is never swallowed).
          invalid = true;
          o.Put(t.uniDefault);
          ++i;
        }
        break;
      }
      default:
        invalid = true;
        o.Put(t.uniDefault);
        ++i;
        break;
    }
  }
  return o.n;
}

size_t EncodeTable(const Table& t, const char16_t* s, size_t n, char* out, size_t cap, const EncodeOptions& options,
                   bool& usedDefault) {
  ByteOut o{out, out ? cap : 0};
  const uint8_t* def = reinterpret_cast<const uint8_t*>(options.defChar);
  // The code of c, or kUnmapped; best-fit codes only when allowed.
  auto codeOf = [&](char16_t c) {
    const uint16_t code = t.fromWide[c];
    if (code != kUnmapped && !options.bestFit && !t.RoundTrips(c, code)) return kUnmapped;
    return code;
  };
  // A code, or the default character when there is none.
  auto put = [&](uint16_t code) {
    if (code != kUnmapped) {
      o.PutCode(code);
    } else {
      usedDefault = true;
      o.Put(def, options.defLen);
    }
  };
  for (size_t i = 0; i < n; ++i) {
    const char16_t c = s[i];
    if (options.composite != Composite::None && i + 1 < n && IsNonSpacingMark(s[i + 1])) {
      const char16_t composed = Compose(c, s[i + 1]);
      const uint16_t code = composed ? codeOf(composed) : kUnmapped;
      if (code != kUnmapped || options.composite != Composite::SepChars) {
        // The precomposed character; else one default character, or the base without its mark.
        put(code != kUnmapped || options.composite == Composite::DefaultChar ? code : codeOf(c));
        ++i;
        continue;
      }
    }
    put(codeOf(c));
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
    // One U+FFFD for the longest valid prefix of a broken sequence. A continuation byte that
    // makes the sequence overlong, a surrogate or too large still belongs to it, as on the
    // platform: ED A0 80 is two U+FFFD, F4 90 80 80 three.
    size_t j = i + 1;
    bool ok = true;
    for (size_t k = 0; k < need; ++k, ++j) {
      if (j >= n) { ok = false; break; }
      const uint8_t c = s[j];
      if (c < 0x80 || c > 0xBF) { ok = false; break; }
      if (k == 0 && (c < lo || c > hi)) { ok = false; ++j; break; }
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
      o.PutPair(static_cast<char16_t>(0xD800 + (cp >> 10)), static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
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
    uint8_t b[4];
    size_t k;
    if (cp < 0x800) {
      b[0] = static_cast<uint8_t>(0xC0 | (cp >> 6));
      k = 2;
    } else if (cp < 0x10000) {
      b[0] = static_cast<uint8_t>(0xE0 | (cp >> 12));
      b[1] = static_cast<uint8_t>(0x80 | ((cp >> 6) & 0x3F));
      k = 3;
    } else {
      b[0] = static_cast<uint8_t>(0xF0 | (cp >> 18));
      b[1] = static_cast<uint8_t>(0x80 | ((cp >> 12) & 0x3F));
      b[2] = static_cast<uint8_t>(0x80 | ((cp >> 6) & 0x3F));
      k = 4;
    }
    b[k - 1] = static_cast<uint8_t>(0x80 | (cp & 0x3F));
    o.Put(b, k);
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
      } else {
        o.Put(c);  // bytes from 0x80 up read as U+0080.. as on the platform
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
  uint8_t g[8];  // the bytes of one character, stored whole
  size_t k = 0;
  // Every base64 run is closed with '-', as the platform writes it.
  auto close = [&] {
    if (nbits > 0) g[k++] = static_cast<uint8_t>(kBase64[(bits << (6 - nbits)) & 0x3F]);
    g[k++] = '-';
    shifted = false;
    bits = 0;
    nbits = 0;
  };
  for (size_t i = 0; i < n; ++i) {
    const char16_t c = s[i];
    k = 0;
    if (IsUtf7Direct(c)) {
      if (shifted) close();
      g[k++] = static_cast<uint8_t>(c);
    } else if (c == '+' && !shifted) {
      g[k++] = '+';
      g[k++] = '-';
    } else {
      if (!shifted) {
        g[k++] = '+';
        shifted = true;
      }
      bits = (bits << 16) | c;
      nbits += 16;
      while (nbits >= 6) {
        nbits -= 6;
        g[k++] = static_cast<uint8_t>(kBase64[(bits >> nbits) & 0x3F]);
      }
      bits &= (1u << nbits) - 1;
    }
    o.Put(g, k);
  }
  if (shifted) {
    k = 0;
    close();
    o.Put(g, k);
  }
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
    count = EncodeTable(*t, s, n, out, cap, EncodeOptions{}, lossy);
  } else {
    return false;
  }
  return true;
}

}  // namespace winplat::cp
