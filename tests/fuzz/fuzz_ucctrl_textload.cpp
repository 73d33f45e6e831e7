// The wide string list's text loader on arbitrary bytes: character-set detection by mark and
// decoding into lines. Checks: the lines hold no break and no NUL; saving (UTF-16LE with mark)
// and loading again gives the same lines; the text round-trips through SetTextStr.
#include <cstddef>
#include <cstdint>

#include "UcClasses.h"

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
  TUcStringList list;
  list.LoadFromStream(&in);
  for (int i = 0; i < list.Count(); ++i)
    for (char16_t c : list.Get(i)) Check(c != 0 && c != u'\r' && c != u'\n' && c != u'\u2028');

  TMemoryStream saved;
  list.SaveToStream(&saved);
  saved.SetPosition(0);
  TUcStringList again;
  again.LoadFromStream(&saved);
  Check(again.Equals(&list));

  TUcStringList text;
  text.SetTextStr(list.GetTextStr());
  Check(text.Equals(&list));
  return 0;
}
