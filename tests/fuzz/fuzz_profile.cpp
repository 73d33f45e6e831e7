// INI parsing and editing on arbitrary bytes. The first byte picks the ANSI code page; the rest
// is the file. Checks: parsing and writing back is byte-exact, edits are seen at once, and a
// written file reads back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include "../../platform/win/src/profile/profile_file.h"

using winplat::profile::ProfileFile;

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0 || size > 1 << 16) return 0;
  const UINT cp = (data[0] & 1) ? 1252 : 932;
  const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);

  ProfileFile f = ProfileFile::Parse(bytes, cp);
  Check(f.Serialize() == bytes);

  const auto sections = f.SectionNames();
  for (const auto& s : sections) {
    for (const auto& k : f.KeyNames(s)) Check(f.Value(s, k).has_value());
    f.SectionLines(s);
  }

  const std::u16string sec = sections.empty() ? u"new" : sections.front();
  f.SetValue(sec, u"fz", u"v1");
  Check(f.Value(sec, u"FZ") == u"v1");
  f.SetValue(u"added", u"k", u"\"q\"");
  Check(f.Value(u"ADDED", u"k") == u"q");
  f.DeleteKey(sec, u"fz");
  Check(!f.Value(sec, u"fz").has_value());
  f.ReplaceSection(u"added", {u"a=1", u"b"});
  Check(f.Value(u"added", u"a") == u"1");
  if (sections.size() > 1) {
    f.DeleteSection(sections[1]);
    Check(f.KeyNames(sections[1]).empty());
  }
  const std::string written = f.Serialize();
  Check(ProfileFile::Parse(written, cp).Serialize() == written);
  return 0;
}
