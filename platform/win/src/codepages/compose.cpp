// Canonical composition and decomposition of the characters of the platform's code pages
// (WC_COMPOSITECHECK, MB_COMPOSITE and the accent level of CompareString).
#include <algorithm>
#include <vector>
#include "codepages/codec.h"
#include "codepages/nls_data.h"

namespace winplat::cp {
namespace {

struct Pair {
  char16_t base, mark, composed;
};

// Two-part decompositions sorted by base and mark, for composing.
const std::vector<Pair>& Compositions() {
  static const std::vector<Pair> pairs = [] {
    std::vector<Pair> v;
    for (size_t i = 0; i < kDecompositionCount; ++i) {
      const Decomposition& d = kDecompositions[i];
      if (!d.parts[2] && d.composes) v.push_back({d.parts[0], d.parts[1], d.composed});
    }
    std::sort(v.begin(), v.end(), [](const Pair& a, const Pair& b) {
      return a.base != b.base ? a.base < b.base : a.mark < b.mark;
    });
    return v;
  }();
  return pairs;
}

}  // namespace

bool IsNonSpacingMark(char16_t c) { return (c >= 0x0300 && c <= 0x036F) || c == 0x3099 || c == 0x309A; }

char16_t Compose(char16_t base, char16_t mark) {
  const std::vector<Pair>& v = Compositions();
  auto it = std::lower_bound(v.begin(), v.end(), Pair{base, mark, 0}, [](const Pair& a, const Pair& b) {
    return a.base != b.base ? a.base < b.base : a.mark < b.mark;
  });
  return it != v.end() && it->base == base && it->mark == mark ? it->composed : 0;
}

const char16_t* DecompositionOf(char16_t c) {
  const Decomposition* end = kDecompositions + kDecompositionCount;
  const Decomposition* it = std::lower_bound(kDecompositions, end, c,
                                             [](const Decomposition& d, char16_t x) { return d.composed < x; });
  return it != end && it->composed == c ? it->parts : nullptr;
}

size_t Decompose(const char16_t* s, size_t n, char16_t* out, size_t cap) {
  size_t count = 0;
  for (size_t i = 0; i < n; ++i) {
    const char16_t* parts = DecompositionOf(s[i]);
    const size_t k = !parts ? 1 : parts[2] ? 3 : 2;
    // Whole characters only, as the other converters store them.
    if (out && count + k <= cap) {
      if (parts) std::copy(parts, parts + k, out + count);
      else out[count] = s[i];
    } else {
      out = nullptr;
    }
    count += k;
  }
  return count;
}

}  // namespace winplat::cp
