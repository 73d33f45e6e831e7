// Internal conversions. Malformed input becomes U+FFFD, unmappable characters '?'; a code page
// without a converter is read as the ANSI code page, so text is never dropped.
#include "internal/text.h"
#include "codepages/codec.h"
#include "winplat_mode.h"

namespace winplat {
namespace {

UINT Usable(UINT codePage) {
  const UINT cp = cp::ResolveCodePage(codePage);
  return cp::IsKnownCodePage(cp) ? cp : AnsiCodePage();
}

// Output sizes: one unit per byte at most for every decoder; encoders are measured first when
// the bound would be wasteful (UTF-7), else sized by their worst case.
std::u16string Decode(UINT codePage, std::string_view text) {
  std::u16string out(text.size(), u'\0');
  size_t count = 0;
  bool invalid = false;
  cp::ToWide(codePage, reinterpret_cast<const uint8_t*>(text.data()), text.size(), out.data(), out.size(), count, invalid);
  out.resize(count);
  return out;
}

std::string Encode(UINT codePage, std::u16string_view text) {
  size_t bound = text.size() * (codePage == 65001 ? 3 : 2);
  if (codePage == 65000) {
    bool lossy = false;
    cp::FromWide(codePage, text.data(), text.size(), nullptr, 0, bound, lossy);
  }
  std::string out(bound, '\0');
  size_t count = 0;
  bool lossy = false;
  cp::FromWide(codePage, text.data(), text.size(), out.data(), out.size(), count, lossy);
  out.resize(count);
  return out;
}

}  // namespace

std::u16string AnsiToWide(std::string_view text, UINT codePage) { return Decode(Usable(codePage), text); }
std::string WideToAnsi(std::u16string_view text, UINT codePage) { return Encode(Usable(codePage), text); }
std::u16string Utf8ToWide(std::string_view text) { return Decode(65001, text); }
std::string WideToUtf8(std::u16string_view text) { return Encode(65001, text); }
std::string AnsiToUtf8(std::string_view text) { return WideToUtf8(AnsiToWide(text)); }
std::string Utf8ToAnsi(std::string_view text) { return WideToAnsi(Utf8ToWide(text)); }

}  // namespace winplat
