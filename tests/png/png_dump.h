// A plain text form of a PNG image, written the same way from our decoder and from libpng, so
// that any PNG file can be compared.
//
//   PNG <width> <height> <bits>
//   one line per row: the pixels as RRGGBBAA (bits 8) or RRRRGGGGBBBBAA (bits 16), hexadecimal,
//   separated by spaces; alpha is 8 bits in both forms (the alpha plane holds 8 bits)
//
// or, for a file that is refused, "ERROR <exception class>" and the message on the next line.
// Colours are as the picture holds them: through the file's gamma table (grey ramp, palette,
// RGB samples), grey-and-alpha samples as stored. The transparent colour of a tRNS chunk is
// compared with each pixel in the form the store holds both.
#pragma once
#include <string>

class TPNGObject;

namespace pngtest {

// Our side: the picture as TPNGObject loads it. `eightBit` writes 16-bit images at 8 bits.
std::string DumpPicture(TPNGObject& png, bool eightBit);
std::string DumpFile(const std::string& path, bool eightBit);
// The class name of a codec exception (or "std::exception").
std::string ExceptionClass(const std::exception& e);

// libpng's side: expanded to RGBA without gamma, then the file's gAMA applied as our picture
// applies it. `eightBit` reads with png_set_strip_16.
std::string ReferenceDumpFile(const std::string& path, bool eightBit);
std::string ReferenceDumpBytes(const std::string& bytes, bool eightBit);

// The gamma table of a gAMA value: Round(255 * (i / 255) ^ (1 / (gamma / 100000 * 2.2))).
void GammaTableFor(unsigned gamma, unsigned char table[256]);

}  // namespace pngtest
