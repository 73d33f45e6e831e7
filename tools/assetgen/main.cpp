// assetgen: writes every file the program reads from its folder.
//   assetgen <asset sources> <program folder>
// The text sources (Language.ini, settings.ini, chalks/option.ini) come from the asset sources;
// pictures and sounds are drawn here. The output depends on nothing else: same bytes every run.
// A contact sheet of all pictures goes to <program folder>/contact-sheet.png.
#include <cstdio>
#include <exception>
#include <map>
#include <sstream>
#include <string_view>

#include "io.h"
#include "pictures.h"
#include "sounds.h"

namespace ag {
namespace {

enum class Key { None, Black, Magenta };

struct Item {
  std::string name;
  Image im;
  Key key;
};

struct IniSection {
  std::string name;
  std::map<std::string, std::string> values;  // keys lower-cased
};

std::string trim(const std::string& s) {
  size_t a = s.find_first_not_of(" \t\r\n"), b = s.find_last_not_of(" \t\r\n");
  return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

std::string lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return s;
}

std::vector<IniSection> parse_ini(const std::string& text) {
  std::vector<IniSection> out;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    line = trim(line);
    if (line.empty() || line[0] == ';') continue;
    if (line.front() == '[' && line.back() == ']') {
      out.push_back({trim(line.substr(1, line.size() - 2)), {}});
    } else if (!out.empty()) {
      size_t eq = line.find('=');
      if (eq != std::string::npos && eq > 0) out.back().values[lower(trim(line.substr(0, eq)))] = trim(line.substr(eq + 1));
    }
  }
  return out;
}

int ini_int(const IniSection& s, const char* key) {
  auto it = s.values.find(key);
  return it == s.values.end() ? 0 : std::stoi(it->second);
}

// --- contact sheet ---------------------------------------------------------------------

bool is_key(const Pixel& p, Key k) {
  if (k == Key::Black) return p.r == 0 && p.g == 0 && p.b == 0;
  if (k == Key::Magenta) return p.r == 255 && p.g == 0 && p.b == 255;
  return false;
}

void blit(Image& dst, const Image& src, int dx, int dy, Key key, int zoom = 1, float alpha = 1.0f, int srcX = 0,
          int srcY = 0, int w = -1, int h = -1) {
  if (w < 0) w = src.w - srcX;
  if (h < 0) h = src.h - srcY;
  for (int y = 0; y < h * zoom; ++y)
    for (int x = 0; x < w * zoom; ++x) {
      int tx = dx + x, ty = dy + y;
      if (tx < 0 || ty < 0 || tx >= dst.w || ty >= dst.h) continue;
      const Pixel& p = src.at(srcX + x / zoom, srcY + y / zoom);
      if (is_key(p, key)) continue;
      Pixel& q = dst.at(tx, ty);
      q.r = uint8_t(std::lround(q.r + (p.r - q.r) * alpha));
      q.g = uint8_t(std::lround(q.g + (p.g - q.g) * alpha));
      q.b = uint8_t(std::lround(q.b + (p.b - q.b) * alpha));
    }
}

void fill_rect(Image& dst, int x0, int y0, int w, int h, Pixel c) {
  for (int y = std::max(0, y0); y < std::min(dst.h, y0 + h); ++y)
    for (int x = std::max(0, x0); x < std::min(dst.w, x0 + w); ++x) dst.at(x, y) = c;
}

const Image& find(const std::vector<Item>& items, const std::string& name) {
  for (const Item& i : items)
    if (i.name == name) return i.im;
  throw std::runtime_error("no picture " + name);
}

// The board as the program composes it: page, grid, date stamp, ruler, tray with its tools.
Image scene(const std::vector<Item>& items, const std::vector<std::string>& chalkNames) {
  const int W = 1024, H = 360, T = 48;
  const Pixel green{0, 80, 0, 255};
  Image s(W, H, green);
  const Image& grid = find(items, "overlay/squares");
  for (int y = 0; y < H - T; y += grid.h)
    for (int x = 0; x < W / 2; x += grid.w) blit(s, grid, x, y, Key::Black, 1, 1.0f, 0, 0, std::min(grid.w, W / 2 - x), std::min(grid.h, H - T - y));
  const Image& font = find(items, "font.bmp");
  int X = W - 72, Y = 8;
  blit(s, font, X + 16, Y, Key::Black, 1, 1, 3 * 32, 0, 32, 64);  // 3 月 9 日 (火)
  blit(s, font, X, Y + 60, Key::Black, 1, 1, 320, 0, 64, 64);
  blit(s, font, X + 16, Y + 124, Key::Black, 1, 1, 9 * 32, 0, 32, 64);
  blit(s, font, X, Y + 184, Key::Black, 1, 1, 384, 0, 64, 64);
  blit(s, font, X, Y + 248, Key::Black, 1, 1, 2 * 64, 64, 64, 64);
  blit(s, find(items, "trijogi.bmp"), 560, 40, Key::Magenta, 1, 128.0f / 255.0f);
  blit(s, find(items, "memori.bmp"), 560, 40, Key::Magenta);
  blit(s, find(items, "finger.bmp"), 560 + 180, 160, Key::Black);
  blit(s, find(items, "eraser.bmp"), 600, 230, Key::Black);
  // Tray.
  int top = H - T;
  blit(s, find(items, "Ukezara.bmp"), 0, top, Key::None);
  int x = 32;
  for (size_t i = 0; i < chalkNames.size(); ++i) {
    const Image& c = find(items, "chalks/" + chalkNames[i]);
    int left = x + 10, hh = c.h / 2;
    int rTop = H - T / 2 - hh;
    if (i == 0) {
      // The chalk in hand: the strip covers its place and the chalk shows raised.
      const Image& strip = find(items, "UkezaraS.bmp");
      int sw = c.w + 5;
      for (int yy = 0; yy < T; ++yy)
        for (int xx = 0; xx < sw; ++xx) s.at(left - 5 + xx, top + yy) = strip.at(xx * strip.w / sw, yy * strip.h / T);
      blit(s, c, left, rTop, Key::Black);
    } else {
      blit(s, c, left, top + 2 * hh, Key::Black);
    }
    x += c.w + 10;
  }
  const Image& next = find(items, "UkezaraR.bmp");
  blit(s, find(items, "nonUkezaraL.bmp"), 0, top, Key::None);
  blit(s, next, W - next.w, top, Key::None);
  const Image& er = find(items, "eraser.bmp");
  int eLeft = W - 20 - next.w - er.w;
  blit(s, er, eLeft, H - er.h - 5, Key::Black);
  const Image& le = find(items, "longEraser.bmp");
  int lx = eLeft - (le.w + 10);
  blit(s, le, lx, top, Key::Magenta, 1, 1, 0, 0, le.w, T);
  const Image& ic = find(items, "icontri.bmp");
  blit(s, ic, lx - ic.w - 10, top, Key::Magenta);
  return s;
}

Image contact_sheet(const std::vector<Item>& items, const std::vector<std::string>& chalkNames) {
  const int SW = 1100;
  const Pixel bg{88, 88, 92, 255}, green{0, 80, 0, 255};
  Image sc = scene(items, chalkNames);
  // First pass lays out, second draws.
  struct Place {
    const Item* item;
    int x, y, zoom;
  };
  std::vector<Place> places;
  int x = 10, y = sc.h + 20, rowH = 0;
  for (const Item& it : items) {
    int zoom = (it.im.w <= 64 && it.im.h <= 64) ? 3 : (it.im.w <= 200 && it.im.h <= 130 ? 2 : 1);
    int w = it.im.w * zoom * (it.key == Key::None ? 1 : 2) + (it.key == Key::None ? 0 : 4);
    int h = it.im.h * zoom;
    if (x + w > SW - 10) {
      x = 10;
      y += rowH + 12;
      rowH = 0;
    }
    places.push_back({&it, x, y, zoom});
    x += w + 12;
    rowH = std::max(rowH, h);
  }
  Image sheet(SW, y + rowH + 10, bg);
  blit(sheet, sc, (SW - sc.w) / 2, 10, Key::None);
  for (const Place& p : places) {
    const Image& im = p.item->im;
    int w = im.w * p.zoom, h = im.h * p.zoom;
    if (p.item->key == Key::None) {
      blit(sheet, im, p.x, p.y, Key::None, p.zoom);
      continue;
    }
    // The raw file (key colour visible) and the picture as the program shows it.
    blit(sheet, im, p.x, p.y, Key::None, p.zoom);
    bool toolbar = p.item->name == "toolbar.bmp";
    fill_rect(sheet, p.x + w + 4, p.y, w, h, toolbar ? Pixel{212, 208, 200, 255} : green);
    float alpha = p.item->name == "trijogi.bmp" ? 128.0f / 255.0f : 1.0f;
    blit(sheet, im, p.x + w + 4, p.y, p.item->key, p.zoom, alpha);
    if (p.item->name == "trijogi.bmp") blit(sheet, find(items, "memori.bmp"), p.x + w + 4, p.y, Key::Magenta, p.zoom);
  }
  return sheet;
}

int run(const fs::path& src, const fs::path& out) {
  std::vector<Item> items;
  // File names are UTF-8 on disk; "label" names the picture on the contact sheet.
  auto put = [&](const std::string& name, Image im, Key key, const std::string& label = {}) {
    write_file(out / fs::path(std::u8string(name.begin(), name.end())), encode_bmp24(im));
    items.push_back({label.empty() ? name : label, std::move(im), key});
  };
  auto utf8 = [](std::u8string_view s) { return std::string(s.begin(), s.end()); };

  // Texts.
  write_file(out / "Language.ini", utf8_to_utf16le_bom(read_file(src / "Language.ini")));
  write_file(out / "settings.ini", crlf_text(read_file(src / "settings.ini")));
  std::string option = read_file(src / "chalks" / "option.ini");
  write_file(out / "chalks" / "option.ini", crlf_text(option));

  // Chalks, drawn in the colours their sections give.
  std::vector<std::string> chalkNames;
  uint32_t seed = 3001;
  for (const IniSection& s : parse_ini(option)) {
    if (lower(s.name) == "general") continue;
    auto it = s.values.find("bmp");
    if (it == s.values.end()) throw std::runtime_error("chalk " + s.name + " names no picture");
    Color c = rgb(ini_int(s, "r"), ini_int(s, "g"), ini_int(s, "b"));
    put("chalks/" + it->second, make_chalk(c, seed++), Key::Black);
    chalkNames.push_back(it->second);
  }

  // The tray and its tools.
  put("Ukezara.bmp", make_tray(1024, 48, true, 0), Key::None);
  put("UkezaraS.bmp", make_tray(16, 48, false, 517), Key::None);
  put("UkezaraL.bmp", make_arrow(false, true), Key::None);
  put("UkezaraR.bmp", make_arrow(true, true), Key::None);
  put("nonUkezaraL.bmp", make_arrow(false, false), Key::None);
  put("nonUkezaraR.bmp", make_arrow(true, false), Key::None);
  put("finger.bmp", make_finger(), Key::Black);
  put("eraser.bmp", make_eraser(), Key::Black);
  put("longEraser.bmp", make_long_eraser(), Key::Magenta);
  put("trijogi.bmp", make_ruler(), Key::Magenta);
  put("memori.bmp", make_graduations(), Key::Magenta);
  put("icontri.bmp", make_ruler_icon(), Key::Magenta);
  put("font.bmp", make_date_font(), Key::Black);

  // Grid tiles: the file stems are what the grid chooser lists.
  put(utf8(u8"overlay/方眼.bmp"), make_grid_squares(), Key::Black, "overlay/squares");
  put(utf8(u8"overlay/罫線.bmp"), make_grid_ruled(), Key::Black, "overlay/ruled");
  put(utf8(u8"overlay/五線譜.bmp"), make_grid_staff(), Key::Black, "overlay/staff");

  int count = 0;
  put("toolbar.bmp", make_toolbar(32, &count), Key::Magenta);
  put("icon.bmp", make_app_icon(), Key::None);

  // Sounds.
  write_file(out / "start0.wav", encode_wav(make_chalk_tap(22050), 22050));
  write_file(out / "camera.wav", encode_wav(make_shutter(22050), 22050));

  write_png(out / "contact-sheet.png", contact_sheet(items, chalkNames));
  return 0;
}

}  // namespace
}  // namespace ag

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: assetgen <asset sources> <program folder>\n");
    return 2;
  }
  try {
    return ag::run(argv[1], argv[2]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "assetgen: %s\n", e.what());
    return 1;
  }
}
