// The UTF-7 coder on arbitrary input: decoding bytes never reads or writes out of bounds and
// either fails cleanly or gives text that encodes and decodes back to itself; any UTF-16 text
// (the bytes taken as units) encodes and decodes back to itself.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "UcSystem.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1 << 16) return 0;
  const AnsiString bytes(reinterpret_cast<const char*>(data), size);
  try {
    const WideString decoded = DecodeUtf7(bytes);
    Check(DecodeUtf7(EncodeUtf7(decoded)) == decoded);
  } catch (const EUcGeneralError&) {
  }
  WideString units(size / 2, u'\0');
  if (!units.empty()) std::memcpy(units.data(), data, units.size() * 2);
  Check(DecodeUtf7(EncodeUtf7(units)) == units);
  return 0;
}
