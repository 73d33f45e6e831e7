// Data tables of the code pages that are written out as source (see nls_data.cpp).
#pragma once
#include <cstddef>
#include <cstdint>

namespace winplat::cp {

// A character outside the code page and the near character it narrows to (b or lead << 8 | trail).
struct BestFit {
  char16_t wide;
  uint16_t code;
};
extern const BestFit kBestFit932[];
extern const size_t kBestFit932Count;
extern const BestFit kBestFit1252[];
extern const size_t kBestFit1252Count;

// A precomposed character and its canonical decomposition (base and one or two non-spacing
// marks, 0-padded), sorted by the precomposed character. `composes`: the parts compose back to
// it (false for singletons such as the angstrom sign and for composition exclusions).
struct Decomposition {
  char16_t composed;
  char16_t parts[3];
  bool composes;
};
extern const Decomposition kDecompositions[];
extern const size_t kDecompositionCount;

}  // namespace winplat::cp
