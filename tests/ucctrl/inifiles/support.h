// Helpers of the INI tests: files in a character set, the two platform modes.
#pragma once
#include <sys/stat.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "IniFiles.h"
#include "UcIniFiles.h"
#include "UcSysUtils.h"
#include "winplat_mode.h"

inline void WriteBytes(const std::string& name, const std::string& bytes) {
  std::ofstream(name, std::ios::binary | std::ios::trunc) << bytes;
}

inline std::string ReadBytes(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The file's bytes in a character set: "ansi" (CP932), "utf8" (with mark), "utf16" (LE with mark).
inline std::string Encode(const std::u16string& text, const std::string& set) {
  if (set == "ansi") return WideToAnsi(text);
  if (set == "utf8") return "\xEF\xBB\xBF" + UTF8Encode(text);
  std::string out = "\xFF\xFE";
  for (char16_t c : text) {
    out.push_back(static_cast<char>(c & 0xFF));
    out.push_back(static_cast<char>(c >> 8));
  }
  return out;
}

// The text of a file in any of those sets.
inline std::u16string Decode(const std::string& bytes) {
  if (bytes.rfind("\xFF\xFE", 0) == 0) {
    std::u16string out;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2)
      out.push_back(static_cast<char16_t>(static_cast<uint8_t>(bytes[i]) | (static_cast<uint8_t>(bytes[i + 1]) << 8)));
    return out;
  }
  if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) return UTF8Decode(bytes.substr(3));
  return AnsiToWide(bytes);
}

inline std::string SetOf(const std::string& bytes) {
  if (bytes.rfind("\xFF\xFE", 0) == 0) return "utf16";
  if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) return "utf8";
  return "ansi";
}

// The platform (and the layer's flags) in ANSI-only mode while it lives.
class PlatformMode {
 public:
  explicit PlatformMode(bool ansiOnly) {
    winplat::SetAnsiOnlyPlatform(ansiOnly);
    InitPlatformFlags();
  }
  ~PlatformMode() {
    winplat::SetAnsiOnlyPlatform(false);
    InitPlatformFlags();
  }
  PlatformMode(const PlatformMode&) = delete;
  PlatformMode& operator=(const PlatformMode&) = delete;
};
