// Find masks and lexical path forms from any text: no crash, no runaway matching.
#include <cstddef>
#include <cstdint>
#include <string>

#include "../../platform/win/src/internal/paths.h"  // the matcher is internal to the platform

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::u16string text;
  for (size_t i = 0; i + 1 < size; i += 2) text += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
  const size_t cut = text.find(u'|');
  const std::u16string mask = text.substr(0, cut);
  const std::u16string name = cut == std::u16string::npos ? text : text.substr(cut + 1);
  if (mask.size() <= 300 && name.size() <= 300) (void)winplat::MatchFindMask(mask, name);
  (void)winplat::FullPathLexical(text);
  return 0;
}
