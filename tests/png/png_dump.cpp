// Our side of the plain image form: read out of TPNGObject's store, colour table, alpha plane,
// low-byte plane and tRNS chunk.
#include "png_dump.h"

#include <cstdio>

#include "PngImage.h"

namespace pngtest {
namespace {

void Hex(std::string& out, unsigned v, int digits) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%0*X", digits, v);
  out += buf;
}

}  // namespace

std::string ExceptionClass(const std::exception& e) {
#define VSE_CLASS(Name) \
  if (dynamic_cast<const Name*>(&e)) return #Name;
  VSE_CLASS(EPngUnexpectedEnd)
  VSE_CLASS(EPNGNoImageData)
  VSE_CLASS(EPNGOutMemory)
  VSE_CLASS(EPNGHeaderNotPresent)
  VSE_CLASS(EPNGInvalidNewSize)
  VSE_CLASS(EPngInvalidCRC)
  VSE_CLASS(EPngInvalidIHDR)
  VSE_CLASS(EPNGMissingMultipleIDAT)
  VSE_CLASS(EPNGZLIBError)
  VSE_CLASS(EPNGInvalidPalette)
  VSE_CLASS(EPNGInvalidFileHeader)
  VSE_CLASS(EPNGIHDRNotFirst)
  VSE_CLASS(EPNGSizeExceeds)
  VSE_CLASS(EPngError)
  VSE_CLASS(EPNGUnknownCriticalChunk)
  VSE_CLASS(EPNGUnknownCompression)
  VSE_CLASS(EPNGUnknownInterlace)
  VSE_CLASS(EFOpenError)
  VSE_CLASS(Exception)
#undef VSE_CLASS
  return "std::exception";
}

std::string DumpPicture(TPNGObject& png, bool eightBit) {
  TChunkIHDR* h = png.HeaderChunk();
  const bool wide = h->BitDepth == 16 && !eightBit;
  const TChunktRNS* trns = png.Chunks()->FirstOfClass<TChunktRNS>();
  std::string out = "PNG " + std::to_string(h->Width) + " " + std::to_string(h->Height) + " " + (wide ? "16" : "8") + "\n";
  const int storeBits = h->BitmapInfo.bmiHeader.biBitCount;
  for (int32_t y = 0; y < h->Height; ++y) {
    const uint8_t* row = png.PixelRow(y);
    const uint8_t* low = png.LowByteRow(y);
    const uint8_t* alpha = png.AlphaRow(y);
    for (int32_t x = 0; x < h->Width; ++x) {
      unsigned r = 0, g = 0, b = 0, a = 255;  // 16-bit values when wide
      switch (h->ColorType) {
        case 0:
        case 3: {
          const int perByte = 8 / storeBits;
          const unsigned v = (row[x / perByte] >> (8 - storeBits - storeBits * (x % perByte))) & ((1u << storeBits) - 1);
          const RGBQUAD& q = h->BitmapInfo.bmiColors[v];
          r = q.rgbRed;
          g = q.rgbGreen;
          b = q.rgbBlue;
          if (h->ColorType == 3) {
            if (trns) a = trns->PaletteValues[v];
            if (wide) r <<= 8, g <<= 8, b <<= 8;
          } else {
            const unsigned sample = h->BitDepth == 16 ? (v << 8) | low[x] : v;
            if (trns && sample == trns->KeySample(0)) a = 0;
            if (wide) r = g = b = (r << 8) | low[x];
          }
          break;
        }
        case 2:
        case 6: {
          unsigned c[3];
          for (int i = 0; i < 3; ++i) {
            c[i] = row[3 * x + 2 - i];
            if (h->BitDepth == 16) c[i] = (c[i] << 8) | low[3 * x + 2 - i];
          }
          if (h->ColorType == 6) a = alpha[x];
          else if (trns && c[0] == trns->KeySample(0) && c[1] == trns->KeySample(1) && c[2] == trns->KeySample(2)) a = 0;
          if (h->BitDepth == 16 && !wide) c[0] >>= 8, c[1] >>= 8, c[2] >>= 8;
          r = c[0], g = c[1], b = c[2];
          break;
        }
        case 4:
          r = g = b = wide ? (row[x] << 8) | low[x] : row[x];
          a = alpha[x];
          break;
        default: break;
      }
      if (x) out += ' ';
      Hex(out, r, wide ? 4 : 2);
      Hex(out, g, wide ? 4 : 2);
      Hex(out, b, wide ? 4 : 2);
      Hex(out, a, 2);
    }
    out += '\n';
  }
  return out;
}

std::string DumpFile(const std::string& path, bool eightBit) {
  TPNGObject png;
  try {
    png.LoadFromFile(path);
  } catch (const std::exception& e) {
    return "ERROR " + ExceptionClass(e) + "\n" + e.what() + "\n";
  }
  return DumpPicture(png, eightBit);
}

}  // namespace pngtest
