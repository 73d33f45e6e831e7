// Component streams on outside bytes: the text printer and a reader building components.
#include <cstddef>
#include <cstdint>
#include "Classes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    ObjectBinaryToText(std::span<const uint8_t>(data, size));
  } catch (const Exception&) {
  }
  try {
    TMemoryStream m;
    if (size) m.WriteBuffer(data, static_cast<int32_t>(size));
    m.SetPosition(0);
    TComponent root(nullptr);
    ReadComponentFromStream(&m, &root);
  } catch (const Exception&) {
  }
  return 0;
}
