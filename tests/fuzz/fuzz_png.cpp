// Fuzzes the PNG reader: TPNGObject::LoadFromStream over a memory stream, then what the program
// does with a loaded picture (a bitmap of it) and a save and reload. Bad files must raise the
// codec's or the framework's exceptions and nothing else; the sanitizers watch every access.
#include <cstddef>
#include <cstdint>

#include "Classes.h"
#include "Graphics.h"
#include "PngImage.h"
#include "SysUtils.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A few header bytes can ask for a picture of gigabytes; keep each run small and quick.
  if (size >= 24) {
    const uint64_t w = (uint64_t{data[16]} << 24) | (data[17] << 16) | (data[18] << 8) | data[19];
    const uint64_t h = (uint64_t{data[20]} << 24) | (data[21] << 16) | (data[22] << 8) | data[23];
    if (w * h > (1u << 20)) return 0;
  }
  TMemoryStream stream;
  if (size) stream.WriteBuffer(data, static_cast<int32_t>(size));
  stream.SetPosition(0);
  TPNGObject png;
  try {
    png.LoadFromStream(&stream);
    (void)png.GetPixels(0, 0);
    TBitmap bitmap;
    bitmap.Assign(&png);
    TMemoryStream out;
    png.SaveToStream(&out);
    out.SetPosition(0);
    TPNGObject again;
    again.LoadFromStream(&out);
  } catch (const Exception&) {
  }
  return 0;
}
