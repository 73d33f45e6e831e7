// File writers of the asset generator: BMP, WAV, PNG (contact sheet) and text.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "gfx.h"

namespace ag {

namespace fs = std::filesystem;

// 24-bit BI_RGB, bottom-up rows padded to 4 bytes. Alpha is ignored.
std::vector<uint8_t> encode_bmp24(const Image& im);
// 16-bit mono PCM.
std::vector<uint8_t> encode_wav(const std::vector<float>& samples, int rate);

void write_file(const fs::path& p, const std::vector<uint8_t>& bytes);  // replaces atomically
std::string read_file(const fs::path& p);
void write_png(const fs::path& p, const Image& im);

// UTF-8 text to UTF-16LE with a byte-order mark; line ends become CR LF.
std::vector<uint8_t> utf8_to_utf16le_bom(const std::string& utf8);
// Plain text with CR LF line ends (the file stays byte-for-byte ASCII/ANSI otherwise).
std::vector<uint8_t> crlf_text(const std::string& text);

}  // namespace ag
