// Fuzzes the BMP reader: TBitmap::LoadFromStream over a memory stream. Bad files must raise the
// framework's exceptions and nothing else; the sanitizers watch every read and write.
#include <cstddef>
#include <cstdint>

#include "Classes.h"
#include "Graphics.h"
#include "Graphics_BmpCodec.h"
#include "SysUtils.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Run-length files can ask for large images from a few bytes; keep each run quick.
  static const bool limited = (vse::bmp::SetMaxImageBytes(16u << 20), true);
  (void)limited;
  TMemoryStream stream;
  if (size) stream.WriteBuffer(data, static_cast<int32_t>(size));
  stream.SetPosition(0);
  TBitmap bitmap;
  try {
    bitmap.LoadFromStream(&stream);
    if (!bitmap.Empty()) {
      // Touch the result the way the program does: a pixel, a row, a conversion, a save.
      (void)bitmap.Canvas()->Pixels(0, bitmap.Height() - 1);
      (void)bitmap.ScanLine(0)[0];
      TMemoryStream out;
      bitmap.SaveToStream(&out);
    }
  } catch (const Exception&) {
  }
  return 0;
}
