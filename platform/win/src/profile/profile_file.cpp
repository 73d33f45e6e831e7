#include "profile/profile_file.h"
#include "codepages/casemap.h"
#include "codepages/codec.h"

namespace winplat::profile {
namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

std::u16string_view Trim(std::u16string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

bool Same(std::u16string_view a, std::u16string_view b) { return cp::CompareNoCase(a, b) == 0; }

std::u16string DecodeBytes(UINT codePage, std::string_view bytes) {
  std::u16string out(bytes.size(), u'\0');
  size_t count = 0;
  bool invalid = false;
  cp::ToWide(codePage, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), out.data(), out.size(), count,
             invalid);
  out.resize(count);
  return out;
}

}  // namespace

std::u16string Unquote(std::u16string_view v) {
  if (v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front())
    return std::u16string(v.substr(1, v.size() - 2));
  return std::u16string(v);
}

void ProfileFile::Classify(Line& line) {
  const std::u16string_view t = Trim(line.text);
  line.name.clear();
  line.value.clear();
  if (t.empty()) {
    line.kind = Kind::Blank;
  } else if (t[0] == u';') {
    line.kind = Kind::Comment;
  } else if (t[0] == u'[') {
    line.kind = Kind::Section;
    const size_t close = t.find(u']');
    line.name = Trim(t.substr(1, close == std::u16string_view::npos ? std::u16string_view::npos : close - 1));
  } else {
    line.kind = Kind::Entry;
    const size_t eq = t.find(u'=');
    line.name = Trim(t.substr(0, eq));
    if (eq != std::u16string_view::npos) line.value = Trim(t.substr(eq + 1));
  }
}

ProfileFile ProfileFile::Parse(std::string_view bytes, UINT ansiCodePage) {
  ProfileFile f;
  f.codePage_ = ansiCodePage;
  auto starts = [&](std::string_view mark) { return bytes.substr(0, mark.size()) == mark; };
  bool first = true;
  auto add = [&](std::u16string text, std::string raw, std::u16string eol) {
    Line line;
    line.text = std::move(text);
    line.raw = std::move(raw);
    line.eol = std::move(eol);
    Classify(line);
    if (first && !line.eol.empty()) f.newline_ = line.eol;
    if (!line.eol.empty()) first = false;
    f.lines_.push_back(std::move(line));
  };
  if (starts("\xFF\xFE") || starts("\xFE\xFF")) {
    f.encoding_ = starts("\xFF\xFE") ? Encoding::Utf16LE : Encoding::Utf16BE;
    const bool le = f.encoding_ == Encoding::Utf16LE;
    std::u16string text((bytes.size() - 2) / 2, u'\0');
    for (size_t i = 0; i < text.size(); ++i) {
      const uint8_t a = static_cast<uint8_t>(bytes[2 + 2 * i]), b = static_cast<uint8_t>(bytes[3 + 2 * i]);
      text[i] = static_cast<char16_t>(le ? (a | (b << 8)) : ((a << 8) | b));
    }
    // A NUL ends the text; what follows it is kept as it was but never read.
    const size_t nul = text.find(u'\0');
    if (nul != std::u16string::npos) {
      f.tail_ = bytes.substr(2 + 2 * nul);
      text.resize(nul);
    }
    size_t start = 0;
    while (start < text.size()) {
      size_t end = start;
      while (end < text.size() && text[end] != u'\r' && text[end] != u'\n') ++end;
      size_t next = end;
      if (next < text.size()) next += (text[next] == u'\r' && next + 1 < text.size() && text[next + 1] == u'\n') ? 2 : 1;
      add(text.substr(start, end - start), {}, text.substr(end, next - end));
      start = next;
    }
    if (nul == std::u16string::npos && (bytes.size() - 2) % 2) f.tail_ = bytes.substr(bytes.size() - 1);
    return f;
  }
  UINT codePage = ansiCodePage;
  if (starts("\xEF\xBB\xBF")) {
    f.encoding_ = Encoding::Utf8;
    codePage = 65001;
    bytes.remove_prefix(3);
  }
  // A NUL ends the text; what follows it is kept as it was but never read.
  const size_t nul = bytes.find('\0');
  if (nul != std::string_view::npos) {
    f.tail_ = std::string(bytes.substr(nul));
    bytes = bytes.substr(0, nul);
  }
  // CR and LF are never trail bytes, so byte files split safely before decoding.
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = start;
    while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') ++end;
    size_t next = end;
    if (next < bytes.size()) next += (bytes[next] == '\r' && next + 1 < bytes.size() && bytes[next + 1] == '\n') ? 2 : 1;
    const std::string_view raw = bytes.substr(start, end - start);
    std::u16string eol;
    for (size_t i = end; i < next; ++i) eol += static_cast<char16_t>(bytes[i]);
    add(DecodeBytes(codePage, raw), std::string(raw), std::move(eol));
    start = next;
  }
  return f;
}

std::string ProfileFile::Encode(std::u16string_view text) const {
  switch (encoding_) {
    case Encoding::Utf16LE:
    case Encoding::Utf16BE: {
      std::string out(text.size() * 2, '\0');
      const bool le = encoding_ == Encoding::Utf16LE;
      for (size_t i = 0; i < text.size(); ++i) {
        out[2 * i + (le ? 0 : 1)] = static_cast<char>(text[i] & 0xFF);
        out[2 * i + (le ? 1 : 0)] = static_cast<char>(text[i] >> 8);
      }
      return out;
    }
    case Encoding::Utf8:
    case Encoding::Ansi: {
      const UINT codePage = encoding_ == Encoding::Utf8 ? 65001 : codePage_;
      std::string out(text.size() * 3, '\0');
      size_t count = 0;
      bool lossy = false;
      cp::FromWide(codePage, text.data(), text.size(), out.data(), out.size(), count, lossy);
      out.resize(count);
      return out;
    }
  }
  return {};
}

std::string ProfileFile::Serialize() const {
  std::string out;
  switch (encoding_) {
    case Encoding::Utf16LE: out = "\xFF\xFE"; break;
    case Encoding::Utf16BE: out = "\xFE\xFF"; break;
    case Encoding::Utf8: out = "\xEF\xBB\xBF"; break;
    case Encoding::Ansi: break;
  }
  const bool bytesKept = encoding_ == Encoding::Ansi || encoding_ == Encoding::Utf8;
  for (const Line& line : lines_) {
    out += (bytesKept && !line.dirty) ? line.raw : Encode(line.text);
    out += Encode(line.eol);
  }
  return out + tail_;
}

ProfileFile::Line ProfileFile::MakeLine(std::u16string text) const {
  Line line;
  line.text = std::move(text);
  line.eol = newline_;
  line.dirty = true;
  Classify(line);
  return line;
}

std::vector<size_t> ProfileFile::Headers(std::u16string_view section) const {
  std::vector<size_t> out;
  const std::u16string_view want = Trim(section);
  for (size_t i = 0; i < lines_.size(); ++i)
    if (lines_[i].kind == Kind::Section && Same(lines_[i].name, want)) out.push_back(i);
  return out;
}

size_t ProfileFile::SectionEnd(size_t header) const {
  size_t i = header + 1;
  while (i < lines_.size() && lines_[i].kind != Kind::Section) ++i;
  return i;
}

void ProfileFile::EndLastLine() {
  if (!lines_.empty() && lines_.back().eol.empty()) lines_.back().eol = newline_;
}

std::optional<std::u16string> ProfileFile::Value(std::u16string_view section, std::u16string_view key) const {
  const std::u16string_view want = Trim(key);
  for (size_t h : Headers(section))
    for (size_t i = h + 1, end = SectionEnd(h); i < end; ++i)
      if (lines_[i].kind == Kind::Entry && Same(lines_[i].name, want)) return Unquote(lines_[i].value);
  return std::nullopt;
}

std::vector<std::u16string> ProfileFile::SectionNames() const {
  std::vector<std::u16string> out;
  for (const Line& line : lines_) {
    // An empty name would end the list of names early.
    if (line.kind != Kind::Section || line.name.empty()) continue;
    bool seen = false;
    for (const auto& n : out) seen = seen || Same(n, line.name);
    if (!seen) out.push_back(line.name);
  }
  return out;
}

std::vector<std::u16string> ProfileFile::KeyNames(std::u16string_view section) const {
  std::vector<std::u16string> out;
  for (size_t h : Headers(section))
    for (size_t i = h + 1, end = SectionEnd(h); i < end; ++i) {
      // Only lines with "=" name keys (a line without one is listed by the section, not here),
      // and an empty name would end the list early.
      const Line& line = lines_[i];
      if (line.kind != Kind::Entry || line.name.empty() || line.text.find(u'=') == std::u16string::npos) continue;
      bool seen = false;
      for (const auto& n : out) seen = seen || Same(n, line.name);
      if (!seen) out.push_back(line.name);
    }
  return out;
}

std::vector<std::u16string> ProfileFile::SectionLines(std::u16string_view section) const {
  std::vector<std::u16string> out;
  for (size_t h : Headers(section))
    for (size_t i = h + 1, end = SectionEnd(h); i < end; ++i) {
      const Line& line = lines_[i];
      if (line.kind != Kind::Entry) continue;
      const bool hasEquals = line.text.find(u'=') != std::u16string::npos;
      out.push_back(hasEquals ? line.name + u"=" + line.value : line.name);
    }
  return out;
}

bool ProfileFile::SetValue(std::u16string_view section, std::u16string_view key, std::u16string_view value) {
  const std::u16string_view k = Trim(key);
  const std::vector<size_t> headers = Headers(section);
  for (size_t h : headers)
    for (size_t i = h + 1, end = SectionEnd(h); i < end; ++i)
      if (lines_[i].kind == Kind::Entry && Same(lines_[i].name, k)) {
        std::u16string text = lines_[i].name + u"=" + std::u16string(value);
        if (text == lines_[i].text) return false;
        Line line = MakeLine(std::move(text));
        line.eol = lines_[i].eol.empty() ? newline_ : lines_[i].eol;
        lines_[i] = std::move(line);
        return true;
      }
  std::u16string text = std::u16string(k) + u"=" + std::u16string(value);
  if (!headers.empty()) {
    // After the last key of the section, so comments about the next section stay with it.
    const size_t h = headers.front();
    size_t at = h + 1;
    for (size_t i = h + 1, end = SectionEnd(h); i < end; ++i)
      if (lines_[i].kind == Kind::Entry) at = i + 1;
    if (at == lines_.size()) EndLastLine();
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), MakeLine(std::move(text)));
    return true;
  }
  EndLastLine();
  lines_.push_back(MakeLine(u"[" + std::u16string(Trim(section)) + u"]"));
  lines_.push_back(MakeLine(std::move(text)));
  return true;
}

// Every line of the key goes, so that a repeated key cannot come back after a delete.
bool ProfileFile::DeleteKey(std::u16string_view section, std::u16string_view key) {
  const std::u16string_view k = Trim(key);
  bool changed = false;
  const std::vector<size_t> headers = Headers(section);
  for (auto it = headers.rbegin(); it != headers.rend(); ++it)
    for (size_t i = SectionEnd(*it); i-- > *it + 1;)
      if (lines_[i].kind == Kind::Entry && Same(lines_[i].name, k)) {
        lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(i));
        changed = true;
      }
  return changed;
}

bool ProfileFile::DeleteSection(std::u16string_view section) {
  const std::vector<size_t> headers = Headers(section);
  for (auto it = headers.rbegin(); it != headers.rend(); ++it)
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(*it),
                 lines_.begin() + static_cast<std::ptrdiff_t>(SectionEnd(*it)));
  return !headers.empty();
}

bool ProfileFile::ReplaceSection(std::u16string_view section, const std::vector<std::u16string>& newLines) {
  std::vector<size_t> headers = Headers(section);
  if (headers.empty()) {
    EndLastLine();
    lines_.push_back(MakeLine(u"[" + std::u16string(Trim(section)) + u"]"));
    for (const auto& l : newLines) lines_.push_back(MakeLine(l));
    return true;
  }
  // Key lines go; comments and blank lines stay. The new lines take the place of the first key.
  size_t insertAt = std::u16string::npos;
  for (auto it = headers.rbegin(); it != headers.rend(); ++it) {
    const size_t h = *it;
    for (size_t i = SectionEnd(h); i-- > h + 1;)
      if (lines_[i].kind == Kind::Entry) {
        lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(i));
        if (h == headers.front()) insertAt = i;
      }
  }
  if (insertAt == std::u16string::npos) insertAt = headers.front() + 1;
  if (insertAt == lines_.size()) EndLastLine();
  std::vector<Line> made;
  for (const auto& l : newLines) made.push_back(MakeLine(l));
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), made.begin(), made.end());
  return true;
}

}  // namespace winplat::profile
