// Byte tables of the single- and double-byte code pages. 932 and 437 are read once from iconv
// (glibc's "CP932" is the Windows variant of Shift-JIS); 1252 is written out here.
#include <iconv.h>
#include <array>
#include <memory>
#include <vector>
#include "codepages/codec.h"
#include "codepages/nls_data.h"
#include "winplat_mode.h"

namespace winplat::cp {
namespace {

struct OwnedTable {
  Table t;
  std::vector<char16_t> dbcs;
  std::vector<uint16_t> fromWide;
};

// One character of `bytes` through iconv; 0 when iconv has no single UTF-16 unit for it.
char16_t IconvOne(iconv_t cd, const char* bytes, size_t len) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char in[4];
  for (size_t i = 0; i < len; ++i) in[i] = bytes[i];
  char outBuf[8];
  char* ip = in;
  char* op = outBuf;
  size_t il = len, ol = sizeof outBuf;
  if (iconv(cd, &ip, &il, &op, &ol) == static_cast<size_t>(-1) || il != 0) return 0;
  if (op - outBuf != 2) return 0;
  return static_cast<char16_t>(static_cast<uint8_t>(outBuf[0]) | (static_cast<uint8_t>(outBuf[1]) << 8));
}

void AddReverse(OwnedTable& o, char16_t wc, uint16_t code) {
  if (o.fromWide[wc] == kUnmapped) o.fromWide[wc] = code;
}

// Near characters for those outside the code page, after the code page's own characters.
void AddBestFit(OwnedTable& o, const BestFit* list, size_t count) {
  for (size_t i = 0; i < count; ++i) AddReverse(o, list[i].wide, list[i].code);
}

void Finish(OwnedTable& o) {
  o.t.dbcs = o.dbcs.empty() ? nullptr : o.dbcs.data();
  o.t.fromWide = o.fromWide.data();
}

std::unique_ptr<OwnedTable> Build932() {
  auto o = std::make_unique<OwnedTable>();
  o->t.codePage = 932;
  o->t.maxCharSize = 2;
  o->dbcs.assign(65536, 0);
  o->fromWide.assign(65536, kUnmapped);
  const BYTE leads[] = {0x81, 0x9F, 0xE0, 0xFC, 0, 0};
  for (size_t i = 0; i < sizeof leads; ++i) o->t.leadRanges[i] = leads[i];

  iconv_t cd = iconv_open("UTF-16LE", "CP932");
  for (int b = 0; b < 0x80; ++b) { o->t.byteKind[b] = 1; o->t.single[b] = static_cast<char16_t>(b); }
  for (int b = 0xA1; b <= 0xDF; ++b) { o->t.byteKind[b] = 1; o->t.single[b] = static_cast<char16_t>(0xFF61 + b - 0xA1); }
  // Bytes that iconv refuses but the platform maps to itself or to private-use characters.
  const std::pair<int, char16_t> extra[] = {{0x80, 0x0080}, {0xA0, 0xF8F0}, {0xFD, 0xF8F1}, {0xFE, 0xF8F2}, {0xFF, 0xF8F3}};
  for (auto [b, w] : extra) { o->t.byteKind[b] = 1; o->t.single[b] = w; }
  for (int b = 0x81; b <= 0xFC; ++b)
    if (b <= 0x9F || b >= 0xE0) o->t.byteKind[b] = 2;

  if (cd != reinterpret_cast<iconv_t>(-1)) {
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
      if (o->t.byteKind[lead] != 2) continue;
      for (int trail = 0x40; trail <= 0xFC; ++trail) {
        if (trail == 0x7F) continue;
        const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        o->dbcs[(lead << 8) | trail] = IconvOne(cd, bytes, 2);
      }
    }
    iconv_close(cd);
  }
  for (int b = 0; b < 256; ++b)
    if (o->t.byteKind[b] == 1) AddReverse(*o, o->t.single[b], static_cast<uint16_t>(b));
  // Several codes share a character (NEC and IBM rows). The platform prefers the lowest code,
  // except that the NEC-selected IBM rows ED and EE give way to the IBM rows FA-FC.
  for (int pass = 0; pass < 2; ++pass)
    for (int code = 0x8100; code <= 0xFCFF; ++code) {
      const bool necIbm = (code >> 8) == 0xED || (code >> 8) == 0xEE;
      if (necIbm != (pass == 1)) continue;
      if (char16_t w = o->dbcs[code]) AddReverse(*o, w, static_cast<uint16_t>(code));
    }
  AddBestFit(*o, kBestFit932, kBestFit932Count);
  o->t.uniDefault = 0x30FB;  // KATAKANA MIDDLE DOT
  Finish(*o);
  return o;
}

constexpr std::array<char16_t, 32> k1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::unique_ptr<OwnedTable> BuildSbcs(UINT codePage) {
  auto o = std::make_unique<OwnedTable>();
  o->t.codePage = codePage;
  o->fromWide.assign(65536, kUnmapped);
  if (codePage == 1252) {
    for (int b = 0; b < 256; ++b) {
      o->t.byteKind[b] = 1;
      o->t.single[b] = (b >= 0x80 && b < 0xA0) ? k1252High[b - 0x80] : static_cast<char16_t>(b);
    }
  } else {
    iconv_t cd = iconv_open("UTF-16LE", ("CP" + std::to_string(codePage)).c_str());
    if (cd != reinterpret_cast<iconv_t>(-1)) {
      for (int b = 0; b < 256; ++b) {
        const char byte = static_cast<char>(b);
        char16_t w = IconvOne(cd, &byte, 1);
        if (w || b == 0) { o->t.byteKind[b] = 1; o->t.single[b] = w; }
      }
      iconv_close(cd);
    }
  }
  for (int b = 0; b < 256; ++b)
    if (o->t.byteKind[b] == 1) AddReverse(*o, o->t.single[b], static_cast<uint16_t>(b));
  if (codePage == 1252) AddBestFit(*o, kBestFit1252, kBestFit1252Count);
  Finish(*o);
  return o;
}

}  // namespace

const Table* GetTable(UINT codePage) {
  // Function-local statics: built on first use, thread-safe, kept for the process.
  switch (codePage) {
    case 932: { static const auto t = Build932(); return &t->t; }
    case 1252: { static const auto t = BuildSbcs(1252); return &t->t; }
    case 437: { static const auto t = BuildSbcs(437); return &t->t; }
    default: return nullptr;
  }
}

UINT ResolveCodePage(UINT codePage) {
  switch (codePage) {
    case 0:   // CP_ACP
    case 3:   // CP_THREAD_ACP
      return AnsiCodePage();
    case 1:   // CP_OEMCP: a Japanese system's OEM code page is 932 as well; an English one has 437.
      return AnsiCodePage() == 932 ? 932 : 437;
    case 2:   // CP_MACCP: the Macintosh code page, which has no tables here (calls fail).
      return AnsiCodePage() == 932 ? 10001 : 10000;
    default:
      return codePage;
  }
}

bool IsKnownCodePage(UINT codePage) {
  return codePage == 932 || codePage == 1252 || codePage == 437 || codePage == 65001 || codePage == 65000;
}

}  // namespace winplat::cp
