// Fuzzes the JPEG reader: TJPEGImage::LoadFromStream over a memory stream. libjpeg's errors must
// come back as the framework's exceptions (through its long jump) without leaks or stray writes.
#include <cstddef>
#include <cstdint>

#include "Classes.h"
#include "Graphics_BmpCodec.h"
#include "Jpeg.h"
#include "SysUtils.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A frame header can ask for a large image from a few bytes; keep each run quick (with 16 MB,
  // inputs asking for large images brought a campaign down to 110 runs a second).
  static const bool limited = (vse::bmp::SetMaxImageBytes(1u << 18), true);
  (void)limited;
  TMemoryStream stream;
  if (size) stream.WriteBuffer(data, static_cast<int32_t>(size));
  stream.SetPosition(0);
  TJPEGImage jpeg;
  try {
    jpeg.LoadFromStream(&stream);
    TBitmap bitmap;
    bitmap.Assign(&jpeg);
  } catch (const Exception&) {
  }
  return 0;
}
