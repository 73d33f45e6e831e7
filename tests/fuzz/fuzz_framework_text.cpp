// The framework's text parsers on outside bytes: INI text held in memory, list text and comma
// text, numbers and dates.
#include <cstddef>
#include <cstdint>
#include "IniFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  AnsiString text(reinterpret_cast<const char*>(data), size);

  TStringList lines;
  lines.SetText(text);
  TMemIniFile ini("");
  ini.SetStrings(&lines);
  TStringList sections, keys, values;
  ini.ReadSections(&sections);
  for (int i = 0; i < sections.Count() && i < 16; ++i) {
    ini.ReadSection(sections.Strings(i), &keys);
    ini.ReadSectionValues(sections.Strings(i), &values);
    for (int k = 0; k < keys.Count() && k < 16; ++k) {
      ini.ReadInteger(sections.Strings(i), keys.Strings(k), 0);
      ini.ReadDate(sections.Strings(i), keys.Strings(k), 0);
      ini.ReadFloat(sections.Strings(i), keys.Strings(k), 0);
    }
  }
  TStringList round;
  ini.GetStrings(&round);

  TStringList comma;
  comma.SetCommaText(text);
  // (A lone lead byte at an item's end takes the next byte with it, as on the platform, so the
  // round trip is not exact for malformed text; only memory safety is checked here.)
  TStringList back;
  back.SetCommaText(comma.CommaText());

  comma.SetSorted(true);
  for (int i = 0; i < lines.Count() && i < 64; ++i) {
    lines.Names(i);
    lines.ValueFromIndex(i);
  }
  int32_t v32;
  int64_t v64;
  TDateTime dt;
  Extended f;
  TryStrToInt(text, v32);
  TryStrToInt64(text, v64);
  TryStrToFloat(text, f);
  TryStrToDateTime(text, dt);
  AnsiDequotedStr(text, '"');
  ExtractFilePath(text);
  ExtractFileExt(text);
  return 0;
}
