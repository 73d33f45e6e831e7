// Fuzzes TDIB's stream reader: whatever the header, the masks, the table and the runs say, bad
// files raise the framework's exceptions and reads and writes stay inside the data and the image.
#include <cstddef>
#include <cstdint>

#include "Classes.h"
#include "DIB.h"
#include "SysUtils.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A few run-length bytes can ask for a large image; keep each run quick (with 16 MB, inputs
  // asking for large images brought a campaign down to 30 runs a second).
  static const bool limited = (SetMaxDIBSize(1u << 18), true);
  (void)limited;
  TMemoryStream stream;
  if (size) stream.WriteBuffer(data, static_cast<int32_t>(size));
  stream.SetPosition(0);
  TDIB dib;
  try {
    dib.LoadFromStream(&stream);
    if (!dib.Empty()) {
      TMemoryStream kept;
      dib.SaveToStream(&kept);  // still compressed
      (void)dib.Pixels(dib.Width() - 1, 0);  // decodes
      (void)dib.Canvas()->Pixels(0, dib.Height() - 1);
      TMemoryStream out;
      dib.SaveToStream(&out);
    }
  } catch (const Exception&) {
  }
  return 0;
}
