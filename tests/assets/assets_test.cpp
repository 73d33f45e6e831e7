// Checks the program folder the asset generator writes: formats, sizes, key colours, layouts,
// texts and sounds, and that the generator gives the same bytes on every run.
#include <gtest/gtest.h>
#include <iconv.h>
#include <png.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <strings.h>

namespace fs = std::filesystem;

namespace {

const fs::path kBin = VSE_BIN_DIR;

std::string read_bytes(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

fs::path u8path(std::u8string_view s) { return fs::path(s); }

uint32_t le32(const std::string& d, size_t o) {
  return uint32_t(uint8_t(d[o])) | uint32_t(uint8_t(d[o + 1])) << 8 | uint32_t(uint8_t(d[o + 2])) << 16 |
         uint32_t(uint8_t(d[o + 3])) << 24;
}
uint16_t le16(const std::string& d, size_t o) { return uint16_t(uint8_t(d[o]) | uint8_t(d[o + 1]) << 8); }

struct Rgb {
  uint8_t r, g, b;
  bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};
constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kMagenta{255, 0, 255};

struct Bmp {
  int w = 0, h = 0;
  std::vector<Rgb> px;  // top row first
  const Rgb& at(int x, int y) const { return px[size_t(y) * w + x]; }
};

// Reads the one BMP form the program folder uses: 24-bit BI_RGB, bottom-up, padded rows.
Bmp load_bmp(const fs::path& p) {
  std::string d = read_bytes(p);
  Bmp b;
  EXPECT_GE(d.size(), 54u) << p;
  if (d.size() < 54) return b;
  EXPECT_EQ(d.substr(0, 2), "BM") << p;
  EXPECT_EQ(le32(d, 2), d.size()) << p;
  uint32_t off = le32(d, 10);
  EXPECT_EQ(le32(d, 14), 40u) << p << ": BITMAPINFOHEADER";
  int32_t w = int32_t(le32(d, 18)), h = int32_t(le32(d, 22));
  EXPECT_GT(w, 0) << p;
  EXPECT_GT(h, 0) << p << ": bottom-up";
  EXPECT_EQ(le16(d, 26), 1) << p;
  EXPECT_EQ(le16(d, 28), 24) << p;
  EXPECT_EQ(le32(d, 30), 0u) << p << ": BI_RGB";
  size_t stride = (size_t(w) * 3 + 3) & ~size_t(3);
  EXPECT_EQ(d.size(), off + stride * size_t(h)) << p;
  if (w <= 0 || h <= 0 || d.size() < off + stride * size_t(h)) return b;
  b.w = w;
  b.h = h;
  b.px.resize(size_t(w) * h);
  for (int y = 0; y < h; ++y) {
    const char* row = d.data() + off + stride * size_t(h - 1 - y);
    for (int x = 0; x < w; ++x) b.px[size_t(y) * w + x] = {uint8_t(row[3 * x + 2]), uint8_t(row[3 * x + 1]), uint8_t(row[3 * x])};
  }
  return b;
}

size_t count(const Bmp& b, Rgb c, int x0, int y0, int w, int h) {
  size_t n = 0;
  for (int y = y0; y < y0 + h; ++y)
    for (int x = x0; x < x0 + w; ++x) n += b.at(x, y) == c;
  return n;
}
size_t count(const Bmp& b, Rgb c) { return count(b, c, 0, 0, b.w, b.h); }

// Key-coloured pixels not reachable from the border through key-coloured pixels: holes that a
// keyed blit would punch into the picture.
size_t enclosed_key_pixels(const Bmp& b, Rgb key) {
  std::vector<uint8_t> seen(b.px.size(), 0);
  std::vector<std::pair<int, int>> stack;
  for (int x = 0; x < b.w; ++x) {
    stack.push_back({x, 0});
    stack.push_back({x, b.h - 1});
  }
  for (int y = 0; y < b.h; ++y) {
    stack.push_back({0, y});
    stack.push_back({b.w - 1, y});
  }
  while (!stack.empty()) {
    auto [x, y] = stack.back();
    stack.pop_back();
    if (x < 0 || y < 0 || x >= b.w || y >= b.h) continue;
    size_t i = size_t(y) * b.w + x;
    if (seen[i] || !(b.px[i] == key)) continue;
    seen[i] = 1;
    stack.push_back({x + 1, y});
    stack.push_back({x - 1, y});
    stack.push_back({x, y + 1});
    stack.push_back({x, y - 1});
  }
  size_t n = 0;
  for (size_t i = 0; i < b.px.size(); ++i) n += (b.px[i] == key) && !seen[i];
  return n;
}

// --- INI ------------------------------------------------------------------------------------

using Section = std::vector<std::pair<std::string, std::string>>;  // in file order
struct Ini {
  std::vector<std::pair<std::string, Section>> sections;
  const Section* find(const std::string& name) const {
    for (auto& s : sections)
      if (strcasecmp(s.first.c_str(), name.c_str()) == 0) return &s.second;
    return nullptr;
  }
};

std::string trim(const std::string& s) {
  size_t a = s.find_first_not_of(" \t\r\n"), b = s.find_last_not_of(" \t\r\n");
  return a == std::string::npos ? "" : s.substr(a, b - a + 1);
}

Ini parse_ini(const std::string& text) {
  Ini ini;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    line = trim(line);
    if (line.empty() || line[0] == ';') continue;
    if (line.front() == '[' && line.back() == ']') {
      ini.sections.push_back({trim(line.substr(1, line.size() - 2)), {}});
    } else if (!ini.sections.empty()) {
      size_t eq = line.find('=');
      if (eq != std::string::npos && eq > 0)
        ini.sections.back().second.push_back({trim(line.substr(0, eq)), trim(line.substr(eq + 1))});
    }
  }
  return ini;
}

std::string value(const Section& s, const std::string& key) {
  for (auto& kv : s)
    if (strcasecmp(kv.first.c_str(), key.c_str()) == 0) return kv.second;
  return "";
}

std::string convert(const std::string& in, const char* to, const char* from, bool* ok) {
  iconv_t cd = iconv_open(to, from);
  *ok = cd != iconv_t(-1);
  if (!*ok) return "";
  std::string out(in.size() * 4 + 16, '\0');
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size(), dstLeft = out.size();
  char* dst = out.data();
  if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) == size_t(-1)) *ok = false;
  iconv_close(cd);
  out.resize(out.size() - dstLeft);
  return out;
}

struct Wav {
  uint16_t format = 0, channels = 0, bits = 0;
  uint32_t rate = 0;
  std::vector<int16_t> samples;
};

Wav load_wav(const fs::path& p) {
  std::string d = read_bytes(p);
  Wav w;
  EXPECT_GE(d.size(), 44u) << p;
  if (d.size() < 12) return w;
  EXPECT_EQ(d.substr(0, 4), "RIFF");
  EXPECT_EQ(le32(d, 4), d.size() - 8);
  EXPECT_EQ(d.substr(8, 4), "WAVE");
  bool haveFmt = false, haveData = false;
  for (size_t o = 12; o + 8 <= d.size();) {
    std::string id = d.substr(o, 4);
    uint32_t n = le32(d, o + 4);
    EXPECT_LE(o + 8 + n, d.size()) << p << ": chunk " << id;
    if (o + 8 + n > d.size()) break;
    if (id == "fmt ") {
      haveFmt = true;
      w.format = le16(d, o + 8);
      w.channels = le16(d, o + 10);
      w.rate = le32(d, o + 12);
      EXPECT_EQ(le32(d, o + 16), w.rate * le16(d, o + 20)) << "byte rate";
      w.bits = le16(d, o + 22);
    } else if (id == "data") {
      haveData = true;
      for (size_t i = 0; i + 1 < n; i += 2) w.samples.push_back(int16_t(le16(d, o + 8 + i)));
    }
    o += 8 + n + (n & 1);
  }
  EXPECT_TRUE(haveFmt && haveData) << p;
  return w;
}

}  // namespace

TEST(ProgramFolder, HoldsEveryFileTheProgramReads) {
  for (const char* name : {"Ukezara.bmp", "UkezaraS.bmp", "UkezaraL.bmp", "UkezaraR.bmp", "nonUkezaraL.bmp",
                           "nonUkezaraR.bmp", "finger.bmp", "eraser.bmp", "longEraser.bmp", "trijogi.bmp",
                           "memori.bmp", "icontri.bmp", "font.bmp", "toolbar.bmp", "icon.bmp", "start0.wav",
                           "camera.wav", "Language.ini", "settings.ini", "chalks/option.ini", "contact-sheet.png"})
    EXPECT_TRUE(fs::is_regular_file(kBin / name)) << name;
  for (auto stem : {u8"overlay/方眼.bmp", u8"overlay/罫線.bmp", u8"overlay/五線譜.bmp"})
    EXPECT_TRUE(fs::is_regular_file(kBin / u8path(stem)));
}

TEST(ProgramFolder, EveryPictureIsA24BitBottomUpBmp) {
  size_t n = 0;
  for (auto& e : fs::recursive_directory_iterator(kBin)) {
    if (e.path().extension() != ".bmp") continue;
    Bmp b = load_bmp(e.path());
    EXPECT_GT(b.w, 0) << e.path();
    ++n;
  }
  EXPECT_GE(n, 24u);
}

TEST(Tray, OpaquePicturesHoldNoPureBlack) {
  // The tray may be drawn with black as the transparent colour.
  for (const char* name : {"Ukezara.bmp", "UkezaraS.bmp", "UkezaraL.bmp", "UkezaraR.bmp", "nonUkezaraL.bmp",
                           "nonUkezaraR.bmp", "icon.bmp"}) {
    Bmp b = load_bmp(kBin / name);
    EXPECT_EQ(count(b, kBlack), 0u) << name;
  }
}

TEST(Tray, StripMatchesTheTrayProfile) {
  Bmp tray = load_bmp(kBin / "Ukezara.bmp"), strip = load_bmp(kBin / "UkezaraS.bmp");
  EXPECT_EQ(tray.h, 48);
  EXPECT_EQ(strip.h, 48);
  // Row by row, the strip's mean brightness follows the tray's (same ledge and trough).
  auto rowMean = [](const Bmp& b, int y) {
    double s = 0;
    for (int x = 0; x < b.w; ++x) s += b.at(x, y).r + b.at(x, y).g + b.at(x, y).b;
    return s / (3.0 * b.w);
  };
  for (int y = 0; y < 48; ++y) EXPECT_NEAR(rowMean(strip, y), rowMean(tray, y), 28.0) << "row " << y;
}

TEST(Tray, ArrowsAreOfOneSizeAndFortyEightHigh) {
  Bmp first = load_bmp(kBin / "UkezaraL.bmp");
  EXPECT_EQ(first.h, 48);
  EXPECT_EQ(first.w, 32);
  for (const char* name : {"UkezaraR.bmp", "nonUkezaraL.bmp", "nonUkezaraR.bmp"}) {
    Bmp b = load_bmp(kBin / name);
    EXPECT_EQ(b.h, 48) << name;
    EXPECT_EQ(b.w, first.w) << name;
  }
  // The inactive forms are grey.
  for (const char* name : {"nonUkezaraL.bmp", "nonUkezaraR.bmp"}) {
    Bmp b = load_bmp(kBin / name);
    int maxChroma = 0;
    for (const Rgb& p : b.px) maxChroma = std::max(maxChroma, std::max({p.r, p.g, p.b}) - std::min({p.r, p.g, p.b}));
    EXPECT_LT(maxChroma, 40) << name;
  }
}

TEST(Keys, BlackKeyedPicturesHaveABackgroundAndNoHoles) {
  struct Case {
    fs::path file;
    int maxW, maxH;
  };
  std::vector<Case> cases = {{"finger.bmp", 20, 40}, {"eraser.bmp", 128, 43}};
  for (auto& e : fs::directory_iterator(kBin / "chalks"))
    if (e.path().extension() == ".bmp") cases.push_back({e.path().lexically_relative(kBin), 64, 16});
  for (const Case& c : cases) {
    Bmp b = load_bmp(kBin / c.file);
    EXPECT_LE(b.w, c.maxW) << c.file;
    EXPECT_LE(b.h, c.maxH) << c.file;
    EXPECT_EQ(b.at(0, 0), kBlack) << c.file << ": background in the corner";
    size_t black = count(b, kBlack);
    EXPECT_GT(black, 0u) << c.file;
    EXPECT_GT(b.px.size() - black, b.px.size() / 3) << c.file << ": mostly picture";
    // Dark parts of the picture must not be exactly black, or they would turn transparent.
    EXPECT_EQ(enclosed_key_pixels(b, kBlack), 0u) << c.file;
  }
}

TEST(Keys, MagentaKeyedPicturesUseMagentaAsBackground) {
  for (const char* name : {"trijogi.bmp", "memori.bmp", "icontri.bmp", "longEraser.bmp", "toolbar.bmp"}) {
    Bmp b = load_bmp(kBin / name);
    EXPECT_EQ(b.at(0, b.h - 1), kMagenta) << name << ": bottom-left corner";
    size_t m = count(b, kMagenta);
    EXPECT_GT(m, 0u) << name;
    EXPECT_LT(m, b.px.size()) << name;
    EXPECT_EQ(count(b, kBlack), 0u) << name << ": no stray black background";
  }
}

TEST(Tools, FingerTipAndEraserSizes) {
  Bmp f = load_bmp(kBin / "finger.bmp");
  EXPECT_EQ(f.w, 20);
  int tip = -1;
  for (int y = 0; y < f.h && tip < 0; ++y)
    if (!(f.at(10, y) == kBlack)) tip = y;
  EXPECT_GE(tip, 0);
  EXPECT_LE(tip, 5) << "the fingertip is the hot spot near (10, 2..5)";

  Bmp e = load_bmp(kBin / "eraser.bmp");
  EXPECT_LE(e.h, 43) << "stays inside the tray";
  EXPECT_GE(e.w, 100);

  Bmp l = load_bmp(kBin / "longEraser.bmp");
  EXPECT_EQ(l.w, 118);
  EXPECT_EQ(l.h, 640);
  // The felt fills the left 88 columns over the whole length.
  for (int y : {10, 320, 630}) EXPECT_EQ(count(l, kMagenta, 2, y, 86, 1), 0u) << "row " << y;
}

TEST(Ruler, StraightEdgeAlongTheTopRowAndGraduationsOnThePlastic) {
  Bmp t = load_bmp(kBin / "trijogi.bmp"), m = load_bmp(kBin / "memori.bmp");
  ASSERT_GT(t.w, 0);
  EXPECT_EQ(t.w, m.w);
  EXPECT_EQ(t.h, m.h);
  EXPECT_EQ(count(t, kMagenta, 0, 0, t.w, 1), 0u) << "row 0 is the drawing edge, x 0 to the width";
  // A triangle below the edge: each row no wider than the one above.
  int prev = t.w;
  for (int y = 0; y < t.h; ++y) {
    int left = 0, right = t.w - 1;
    while (left < t.w && t.at(left, y) == kMagenta) ++left;
    while (right >= 0 && t.at(right, y) == kMagenta) --right;
    int span = right - left + 1;
    EXPECT_LE(span, prev + 1) << "row " << y;
    prev = span;
  }
  EXPECT_GT(count(t, kMagenta, t.w / 2 - 10, t.h / 2 - 10, 20, 20), 300u) << "a cut-out in the middle";
  // Every mark lies on the plastic, and there are marks along the top edge.
  size_t marks = 0, offPlastic = 0;
  for (int y = 0; y < m.h; ++y)
    for (int x = 0; x < m.w; ++x)
      if (!(m.at(x, y) == kMagenta)) {
        ++marks;
        offPlastic += t.at(x, y) == kMagenta;
      }
  EXPECT_EQ(offPlastic, 0u);
  EXPECT_GT(marks, 400u);
  EXPECT_GT(size_t(m.w) * 12 - count(m, kMagenta, 0, 0, m.w, 12), 200u) << "ticks along the top edge";
  for (int cm = 1; cm <= 9; ++cm) EXPECT_FALSE(m.at(cm * 40, 2) == kMagenta) << "centimetre mark " << cm;

  Bmp i = load_bmp(kBin / "icontri.bmp");
  EXPECT_LE(i.h, 48);
  EXPECT_GE(i.w, 32);
}

TEST(Chalks, OptionIniNamesSixOrMoreChalksWithTheirPictures) {
  Ini ini = parse_ini(read_bytes(kBin / "chalks/option.ini"));
  const Section* general = ini.find("General");
  ASSERT_NE(general, nullptr);
  EXPECT_EQ(value(*general, "LeftStart"), "32");
  EXPECT_EQ(value(*general, "BetweenChalkSpace"), "10");
  int n = 0, totalWidth = 0;
  bool yellow = false, pink = false;
  for (auto& [name, s] : ini.sections) {
    if (strcasecmp(name.c_str(), "General") == 0) continue;
    ++n;
    int r = std::stoi(value(s, "r")), g = std::stoi(value(s, "g")), b = std::stoi(value(s, "b"));
    yellow |= r == 255 && g == 252 && b == 30;
    pink |= r == 233 && g == 135 && b == 193;
    int range = std::stoi(value(s, "range"));
    EXPECT_GE(range, 20) << name;
    EXPECT_LE(range, 60) << name;
    for (const char* k : {"rr", "rg", "rb"}) EXPECT_FALSE(value(s, k).empty()) << name << " " << k;
    std::string bmp = value(s, "bmp");
    EXPECT_EQ(bmp.find_first_of("\\/"), std::string::npos) << "a bare name inside chalks\\";
    Bmp pic = load_bmp(kBin / "chalks" / bmp);
    EXPECT_LE(pic.h, 16) << bmp;
    totalWidth += pic.w + 10;
  }
  EXPECT_GE(n, 6);
  EXPECT_TRUE(yellow);
  EXPECT_TRUE(pink);
  // On an 800-pixel screen the chalks end left of the ruler's icon in the tray.
  int W = 800;
  int next = load_bmp(kBin / "UkezaraR.bmp").w, eraser = load_bmp(kBin / "eraser.bmp").w;
  int longEraser = load_bmp(kBin / "longEraser.bmp").w, icon = load_bmp(kBin / "icontri.bmp").w;
  int iconLeft = W - 20 - next - eraser - (longEraser + 10) - (icon + 10);
  EXPECT_LT(32 + totalWidth, iconLeft);
}

TEST(Chalks, PicturesCarryTheirChalksColour) {
  Ini ini = parse_ini(read_bytes(kBin / "chalks/option.ini"));
  for (auto& [name, s] : ini.sections) {
    if (strcasecmp(name.c_str(), "General") == 0) continue;
    Bmp pic = load_bmp(kBin / "chalks" / value(s, "bmp"));
    double r = 0, g = 0, b = 0;
    size_t n = 0;
    for (const Rgb& p : pic.px)
      if (!(p == kBlack)) {
        r += p.r;
        g += p.g;
        b += p.b;
        ++n;
      }
    ASSERT_GT(n, 0u);
    int cr = std::stoi(value(s, "r")), cg = std::stoi(value(s, "g")), cb = std::stoi(value(s, "b"));
    EXPECT_NEAR(r / n / 255, cr / 255.0 * 0.92, 0.18) << name;
    EXPECT_NEAR(g / n / 255, cg / 255.0 * 0.92, 0.18) << name;
    EXPECT_NEAR(b / n / 255, cb / 255.0 * 0.92, 0.18) << name;
  }
}

TEST(DateFont, CellLayout) {
  Bmp f = load_bmp(kBin / "font.bmp");
  ASSERT_EQ(f.w, 448);
  ASSERT_EQ(f.h, 128);
  struct Cell {
    int x, y, w, h;
  };
  std::vector<Cell> cells;
  for (int d = 0; d < 10; ++d) cells.push_back({32 * d, 0, 32, 64});
  cells.push_back({320, 0, 64, 64});  // month sign
  cells.push_back({384, 0, 64, 64});  // day sign
  for (int w = 0; w < 7; ++w) cells.push_back({64 * w, 64, 64, 64});
  for (const Cell& c : cells) {
    size_t area = size_t(c.w) * c.h;
    size_t glyph = area - count(f, kBlack, c.x, c.y, c.w, c.h);
    EXPECT_GT(glyph, area / 12) << "cell at " << c.x << "," << c.y;
    EXPECT_LT(glyph, area / 2) << "cell at " << c.x << "," << c.y;
    size_t border = count(f, kBlack, c.x, c.y, c.w, 1) + count(f, kBlack, c.x, c.y + c.h - 1, c.w, 1) +
                    count(f, kBlack, c.x, c.y, 1, c.h) + count(f, kBlack, c.x + c.w - 1, c.y, 1, c.h);
    EXPECT_EQ(border, size_t(2 * c.w + 2 * c.h)) << "cell at " << c.x << "," << c.y;
  }
  // Chalk white, never the key.
  for (const Rgb& p : f.px)
    if (!(p == kBlack)) {
      ASSERT_GT(p.r, 130);
      ASSERT_GT(p.b, 120);
    }
}

TEST(GridTiles, LightLinesOnTheBlackKey) {
  Bmp sq = load_bmp(kBin / u8path(u8"overlay/方眼.bmp"));
  ASSERT_EQ(sq.w, 32);
  ASSERT_EQ(sq.h, 32);
  EXPECT_EQ(count(sq, kBlack, 0, 0, 32, 1), 0u) << "line on the top edge";
  EXPECT_EQ(count(sq, kBlack, 0, 0, 1, 32), 0u) << "line on the left edge";
  EXPECT_EQ(count(sq, kBlack, 1, 1, 31, 31), 31u * 31u);

  Bmp ruled = load_bmp(kBin / u8path(u8"overlay/罫線.bmp"));
  EXPECT_EQ(count(ruled, kBlack, 0, ruled.h - 1, ruled.w, 1), 0u);
  EXPECT_EQ(count(ruled, kBlack, 0, 0, ruled.w, ruled.h - 1), size_t(ruled.w) * (ruled.h - 1));

  Bmp staff = load_bmp(kBin / u8path(u8"overlay/五線譜.bmp"));
  std::vector<int> lines;
  for (int y = 0; y < staff.h; ++y)
    if (count(staff, kBlack, 0, y, staff.w, 1) == 0) lines.push_back(y);
  ASSERT_EQ(lines.size(), 5u);
  for (size_t i = 1; i < lines.size(); ++i) EXPECT_EQ(lines[i] - lines[i - 1], 12);
  EXPECT_GT(staff.h - (lines.back() - lines.front()), 24) << "a gap between staves";

  for (auto& e : fs::directory_iterator(kBin / "overlay")) {
    Bmp b = load_bmp(e.path());
    for (const Rgb& p : b.px)
      if (!(p == kBlack)) {
        ASSERT_GT(p.r + p.g + p.b, 300) << e.path() << ": light lines";
      }
  }
}

TEST(Toolbar, OneImagePerActionAndAStopImageAfterPlay) {
  Bmp t = load_bmp(kBin / "toolbar.bmp");
  ASSERT_EQ(t.h, 32);
  ASSERT_EQ(t.w % 32, 0);
  EXPECT_EQ(t.w / 32, 18) << "17 actions and the stop image";
  for (int i = 0; i < t.w / 32; ++i) {
    EXPECT_EQ(t.at(i * 32, 31), kMagenta) << "image " << i << ": bottom-left is the transparent colour";
    EXPECT_GT(32u * 32u - count(t, kMagenta, i * 32, 0, 32, 32), 60u) << "image " << i;
  }
  // Play (11) is mostly green, stop (12) mostly blue.
  auto mean = [&](int i) {
    long r = 0, g = 0, b = 0;
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) {
        const Rgb& p = t.at(i * 32 + x, y);
        if (p == kMagenta) continue;
        r += p.r;
        g += p.g;
        b += p.b;
      }
    return std::array<long, 3>{r, g, b};
  };
  auto play = mean(11), stop = mean(12);
  EXPECT_GT(play[1], play[0] + play[2] / 2);
  EXPECT_GT(stop[2], stop[0] + stop[1] / 2);
}

TEST(Texts, LanguageIniIsUtf16WithKeys0To38) {
  std::string d = read_bytes(kBin / "Language.ini");
  ASSERT_GE(d.size(), 2u);
  ASSERT_EQ(uint8_t(d[0]), 0xFF);
  ASSERT_EQ(uint8_t(d[1]), 0xFE);
  bool ok = false;
  std::string utf8 = convert(d.substr(2), "UTF-8", "UTF-16LE", &ok);
  ASSERT_TRUE(ok);
  EXPECT_NE(utf8.find("\r\n"), std::string::npos) << "CR LF line ends";
  Ini ini = parse_ini(utf8);
  const Section* lang = ini.find("Language");
  ASSERT_NE(lang, nullptr);
  std::set<int> keys;
  for (auto& [k, v] : *lang) {
    int n = std::stoi(k);
    EXPECT_EQ(std::to_string(n), k);
    EXPECT_TRUE(keys.insert(n).second) << "key " << k << " twice";
    // The program keeps these texts as ANSI (code page 932): each must survive the trip.
    bool sjis = false;
    std::string ansi = convert(v, "CP932", "UTF-8", &sjis);
    EXPECT_TRUE(sjis) << "key " << k;
    if (sjis) {
      std::string back = convert(ansi, "UTF-8", "CP932", &sjis);
      EXPECT_EQ(back, v) << "key " << k;
    }
  }
  EXPECT_EQ(keys.size(), 39u);
  EXPECT_EQ(*keys.begin(), 0);
  EXPECT_EQ(*keys.rbegin(), 38);
  EXPECT_EQ(value(*lang, "38"), std::string(reinterpret_cast<const char*>(u8"Vel 黒板 Qz")));
  for (int i = 0; i <= 33; ++i) EXPECT_FALSE(value(*lang, std::to_string(i)).empty()) << "text " << i;
  EXPECT_FALSE(value(*lang, "37").empty());
  // Filters: description|mask pairs.
  for (const char* k : {"28", "29", "33"}) {
    std::string f = value(*lang, k);
    EXPECT_EQ(std::count(f.begin(), f.end(), '|') % 2, 1) << "filter " << k;
  }
  std::string pictures = value(*lang, "29");
  for (const char* mask : {"*.jpg", "*.jpeg", "*.bmp", "*.png"}) EXPECT_NE(pictures.find(mask), std::string::npos) << mask;
}

TEST(Texts, DefaultSettings) {
  std::string d = read_bytes(kBin / "settings.ini");
  for (char c : d) ASSERT_LT(uint8_t(c), 0x80) << "plain ASCII";
  Ini ini = parse_ini(d);
  const Section* g = ini.find("general");
  ASSERT_NE(g, nullptr);
  std::map<std::string, std::string> want = {{"backcolor", "0"}, {"CustomBackColor", "clGreen"}, {"grid", "32"},
                                             {"Yogore", "0"},    {"ChalkKasure", "1"},             {"DrawDate", "0"},
                                             {"LogProgBar", "1"}, {"CtrlNoBold", "1"}};
  for (auto& [k, v] : want) EXPECT_EQ(value(*g, k), v) << k;
}

TEST(Sounds, ShortMonoPcm) {
  struct Case {
    const char* name;
    double minSec, maxSec;
  };
  for (const Case& c : {Case{"start0.wav", 0.1, 0.3}, Case{"camera.wav", 0.3, 0.5}}) {
    Wav w = load_wav(kBin / c.name);
    EXPECT_EQ(w.format, 1) << c.name << ": PCM";
    EXPECT_EQ(w.channels, 1) << c.name;
    EXPECT_EQ(w.bits, 16) << c.name;
    EXPECT_TRUE(w.rate == 22050 || w.rate == 44100) << c.name;
    ASSERT_GT(w.rate, 0u);
    double sec = double(w.samples.size()) / w.rate;
    EXPECT_GE(sec, c.minSec) << c.name;
    EXPECT_LE(sec, c.maxSec) << c.name;
    int peak = 0;
    for (int16_t s : w.samples) peak = std::max(peak, std::abs(int(s)));
    EXPECT_GT(peak, 8000) << c.name << ": audible";
    EXPECT_LT(peak, 32767) << c.name << ": not clipped";
    EXPECT_LT(std::abs(int(w.samples.back())), 200) << c.name << ": ends without a click";
  }
}

TEST(ContactSheet, IsAReadablePng) {
  png_image img{};
  img.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_file(&img, (kBin / "contact-sheet.png").c_str()));
  EXPECT_GE(img.width, 1000u);
  EXPECT_GE(img.height, 500u);
  png_image_free(&img);
}

TEST(Generator, SameBytesOnEveryRun) {
  auto generate = [](const fs::path& out) {
    fs::remove_all(out);
    std::string cmd = std::string("\"") + ASSETGEN_EXE + "\" \"" + ASSETS_SRC_DIR + "\" \"" + out.string() + "\"";
    return std::system(cmd.c_str());
  };
  fs::path a = fs::current_path() / "run1", b = fs::current_path() / "run2";
  ASSERT_EQ(generate(a), 0);
  ASSERT_EQ(generate(b), 0);
  size_t n = 0;
  for (auto& e : fs::recursive_directory_iterator(a)) {
    if (!e.is_regular_file()) continue;
    fs::path rel = e.path().lexically_relative(a);
    std::string bytes = read_bytes(e.path());
    ASSERT_TRUE(fs::exists(b / rel)) << rel;
    EXPECT_TRUE(bytes == read_bytes(b / rel)) << rel << " differs between runs";
    // The build's own run wrote the same into the program folder (settings.ini aside: the
    // program itself rewrites it).
    if (rel != "settings.ini") {
      EXPECT_TRUE(bytes == read_bytes(kBin / rel)) << rel << " differs from the build's";
    }
    ++n;
  }
  EXPECT_GE(n, 30u);
  fs::remove_all(a);
  fs::remove_all(b);
}

TEST(Generator, RefusesAMissingSourceFolder) {
  fs::path out = fs::current_path() / "nowhere-out";
  std::string cmd = std::string("\"") + ASSETGEN_EXE + "\" \"" + (fs::current_path() / "no-such-sources").string() +
                    "\" \"" + out.string() + "\" 2>/dev/null";
  EXPECT_NE(std::system(cmd.c_str()), 0);
}
