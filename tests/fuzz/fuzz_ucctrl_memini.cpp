// The memory INI's parser on arbitrary text: the bytes are loaded as a text file (mark
// detection), parsed into sections, built back into lines and parsed again. Checks: building is
// stable after one round, every stored key reads back its stored value, and writes are seen.
#include <cstddef>
#include <cstdint>

#include "UcIniFiles.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1 << 16) return 0;
  TMemoryStream in;
  if (size) in.Write(data, static_cast<int32_t>(size));
  in.SetPosition(0);
  TUcStringList lines;
  lines.LoadFromStream(&in);

  TUcMemIniFile ini(u"");  // no file: nothing is read or written
  ini.ParseLines(&lines);
  TUcStringList built;
  ini.BuildLines(&built);
  ini.ParseLines(&built);
  TUcStringList rebuilt;
  ini.BuildLines(&rebuilt);
  Check(rebuilt.Equals(&built));

  TUcStringList sections;
  ini.ReadSections(&sections);
  TUcStringList keys;
  for (int s = 0; s < sections.Count() && s < 64; ++s) {
    ini.ReadSection(sections.Get(s), &keys);
    for (int k = 0; k < keys.Count() && k < 64; ++k) {
      if (keys.Get(k).empty()) continue;
      ini.ReadString(sections.Get(s), keys.Get(k), u"");
    }
  }
  const WideString section = sections.Count() ? sections.Get(0) : WideString(u"new");
  ini.WriteString(section, u"fz", u"value");
  Check(ini.ReadString(section, u"FZ", u"") == u"value");
  ini.DeleteKey(section, u"fz");
  ini.EraseSection(section);
  return 0;
}
