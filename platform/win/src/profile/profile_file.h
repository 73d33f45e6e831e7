// An INI file held as its lines, so that a change rewrites only the lines it touches and keeps
// comments, blank lines, line endings and (for byte files) the exact bytes of other lines.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>
#include "wintypes.h"

namespace winplat::profile {

enum class Encoding { Ansi, Utf8, Utf16LE, Utf16BE };

class ProfileFile {
 public:
  ProfileFile() = default;
  // Bytes of a file; empty bytes make a new, empty ANSI file.
  static ProfileFile Parse(std::string_view bytes, UINT ansiCodePage);
  std::string Serialize() const;

  Encoding encoding() const { return encoding_; }

  std::optional<std::u16string> Value(std::u16string_view section, std::u16string_view key) const;
  std::vector<std::u16string> SectionNames() const;
  std::vector<std::u16string> KeyNames(std::u16string_view section) const;
  // "key=value" for key lines (trimmed, quotes kept), other lines as they stand; no comments.
  std::vector<std::u16string> SectionLines(std::u16string_view section) const;

  // Each returns whether the file changed.
  bool SetValue(std::u16string_view section, std::u16string_view key, std::u16string_view value);
  bool DeleteKey(std::u16string_view section, std::u16string_view key);
  bool DeleteSection(std::u16string_view section);
  bool ReplaceSection(std::u16string_view section, const std::vector<std::u16string>& lines);

 private:
  enum class Kind { Blank, Comment, Section, Entry };
  struct Line {
    std::u16string text;  // without its line ending
    std::string raw;      // original bytes of a byte-encoded file while the line is unchanged
    std::u16string eol;   // "\r\n", "\n", "\r", or empty for a last line without one
    bool dirty = false;
    Kind kind = Kind::Blank;
    std::u16string name;   // section name, or key
    std::u16string value;  // trimmed, quotes kept
  };

  static void Classify(Line& line);
  Line MakeLine(std::u16string text) const;
  std::vector<size_t> Headers(std::u16string_view section) const;
  size_t SectionEnd(size_t header) const;  // index of the next header, or the line count
  void EndLastLine();
  std::string Encode(std::u16string_view text) const;

  Encoding encoding_ = Encoding::Ansi;
  UINT codePage_ = 0;  // of an ANSI file
  std::u16string newline_ = u"\r\n";
  std::vector<Line> lines_;
  std::string tail_;  // bytes after a NUL, or an odd last byte of a UTF-16 file, kept as they were
};

// Values as the read calls return them: one pair of matching enclosing quotes removed.
std::u16string Unquote(std::u16string_view value);

}  // namespace winplat::profile
