// TIcon: an HICON with its .ico file image. Reading picks one image of the file (device-
// independent bitmaps of 1, 4, 8, 16, 24 or 32 bits; PNG-compressed images are passed over);
// writing gives back the file that was read, or one 32-bit image made from the handle.
#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "Graphics.h"

const char* const SInvalidIcon = "アイコン イメージは無効です";
const char* const SChangeIconSize = "アイコンのサイズは変更できません";

namespace {

constexpr size_t kDirSize = 6;
constexpr size_t kEntrySize = 16;
constexpr uint32_t kMaxIconSide = 1024;

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}
void Put16(std::vector<uint8_t>& v, uint32_t x) {
  v.push_back(static_cast<uint8_t>(x));
  v.push_back(static_cast<uint8_t>(x >> 8));
}
void Put32(std::vector<uint8_t>& v, uint32_t x) {
  Put16(v, x & 0xFFFF);
  Put16(v, x >> 16);
}

[[noreturn]] void Invalid() { throw EInvalidGraphic(SInvalidIcon); }

struct Entry {
  uint32_t width, height, bits, bytes, offset;
};

// One decoded image: 0x00RRGGBB pixels, top row first, and where the background shows.
struct IconPixels {
  int32_t width = 0, height = 0;
  std::vector<uint32_t> px;
  std::vector<uint8_t> clear;
};

bool IsPng(const uint8_t* p, size_t n) {
  static const uint8_t sig[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  return n >= 8 && std::memcmp(p, sig, 8) == 0;
}

// The image of an entry: a bitmap header of twice the icon's height, the colour table, the
// colour rows and the mask rows, both bottom-up. False when it is not one we can read.
bool DecodeImage(const uint8_t* p, size_t n, IconPixels& out) {
  if (n < sizeof(BITMAPINFOHEADER) || IsPng(p, n)) return false;
  const uint32_t hsize = Le32(p);
  const int32_t w = static_cast<int32_t>(Le32(p + 4));
  const int32_t h2 = static_cast<int32_t>(Le32(p + 8));
  const uint16_t bpp = Le16(p + 14);
  const uint32_t compression = Le32(p + 16);
  uint32_t colors = Le32(p + 32);
  if (hsize < sizeof(BITMAPINFOHEADER) || hsize > n || compression != 0 /* BI_RGB */) return false;
  if (w <= 0 || h2 <= 1 || static_cast<uint32_t>(w) > kMaxIconSide || static_cast<uint32_t>(h2 / 2) > kMaxIconSide)
    return false;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return false;
  const int32_t h = h2 / 2;
  if (bpp <= 8) {
    const uint32_t most = 1u << bpp;
    if (colors == 0 || colors > most) colors = most;
  } else {
    colors = 0;
  }
  const uint64_t xor_stride = (static_cast<uint64_t>(w) * bpp + 31) / 32 * 4;
  const uint64_t and_stride = (static_cast<uint64_t>(w) + 31) / 32 * 4;
  const uint64_t table_at = hsize;
  const uint64_t xor_at = table_at + static_cast<uint64_t>(colors) * 4;
  const uint64_t and_at = xor_at + xor_stride * static_cast<uint64_t>(h);
  const uint64_t end = and_at + and_stride * static_cast<uint64_t>(h);
  // A 32-bit image may leave out its mask; its alpha channel says where the background shows.
  const bool has_mask = end <= n;
  if (!has_mask && (bpp != 32 || and_at > n)) return false;

  out.width = w;
  out.height = h;
  const size_t count = static_cast<size_t>(w) * static_cast<size_t>(h);
  out.px.assign(count, 0);
  out.clear.assign(count, 0);
  std::vector<uint8_t> alpha(bpp == 32 ? count : 0, 0);
  bool alpha_used = false;
  auto table = [&](uint32_t i) -> uint32_t {
    if (i >= colors) return 0;
    const uint8_t* q = p + table_at + static_cast<size_t>(i) * 4;
    return (static_cast<uint32_t>(q[2]) << 16) | (static_cast<uint32_t>(q[1]) << 8) | q[0];
  };
  for (int32_t y = 0; y < h; ++y) {
    const uint8_t* row = p + xor_at + xor_stride * static_cast<uint64_t>(h - 1 - y);
    const size_t base = static_cast<size_t>(y) * static_cast<size_t>(w);
    for (int32_t x = 0; x < w; ++x) {
      uint32_t c = 0;
      switch (bpp) {
        case 1: c = table((row[x / 8] >> (7 - x % 8)) & 1); break;
        case 4: c = table((row[x / 2] >> (x % 2 ? 0 : 4)) & 0xF); break;
        case 8: c = table(row[x]); break;
        case 16: {
          const uint16_t v = Le16(row + x * 2);  // 5-5-5
          auto wide = [](uint32_t five) { return (five << 3) | (five >> 2); };
          c = (wide((v >> 10) & 31) << 16) | (wide((v >> 5) & 31) << 8) | wide(v & 31);
          break;
        }
        case 24: c = (static_cast<uint32_t>(row[x * 3 + 2]) << 16) | (row[x * 3 + 1] << 8) | row[x * 3]; break;
        case 32:
          c = (static_cast<uint32_t>(row[x * 4 + 2]) << 16) | (row[x * 4 + 1] << 8) | row[x * 4];
          alpha[base + x] = row[x * 4 + 3];
          alpha_used = alpha_used || row[x * 4 + 3] != 0;
          break;
      }
      out.px[base + x] = c;
    }
    if (has_mask) {
      const uint8_t* mrow = p + and_at + and_stride * static_cast<uint64_t>(h - 1 - y);
      for (int32_t x = 0; x < w; ++x) out.clear[base + x] = (mrow[x / 8] >> (7 - x % 8)) & 1;
    }
  }
  if (alpha_used)
    for (size_t i = 0; i < count; ++i) out.clear[i] = out.clear[i] || alpha[i] < 128;
  for (size_t i = 0; i < count; ++i)
    if (out.clear[i]) out.px[i] = 0;
  return true;
}

// A 32-bit top-down DIB section holding `px`; the caller deletes it.
HBITMAP PixelsBitmap(int32_t w, int32_t h, const std::vector<uint32_t>& px) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bm = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bm && bits) std::memcpy(bits, px.data(), px.size() * 4);
  return bm;
}

HICON MakeIcon(const IconPixels& img) {
  std::vector<uint32_t> mask(img.clear.size());
  for (size_t i = 0; i < mask.size(); ++i) mask[i] = img.clear[i] ? 0x00FFFFFFu : 0;
  HBITMAP color = PixelsBitmap(img.width, img.height, img.px);
  HBITMAP m = PixelsBitmap(img.width, img.height, mask);
  HICON icon = nullptr;
  if (color && m) {
    ICONINFO info{TRUE, 0, 0, m, color};
    icon = CreateIconIndirect(&info);
  }
  if (color) DeleteObject(color);
  if (m) DeleteObject(m);
  if (!icon) throw EOutOfResources(SOutOfResources);
  return icon;
}

// The pixels of a bitmap, 0x00RRGGBB top-down; empty when it cannot be read.
std::vector<uint32_t> BitmapPixels(HBITMAP bm, int32_t w, int32_t h) {
  std::vector<uint32_t> px(static_cast<size_t>(w) * static_cast<size_t>(h));
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  HDC dc = CreateCompatibleDC(nullptr);
  const int got = GetDIBits(dc, bm, 0, static_cast<UINT>(h), px.data(), &bi, DIB_RGB_COLORS);
  DeleteDC(dc);
  if (got != h) px.clear();
  for (uint32_t& p : px) p &= 0x00FFFFFFu;
  return px;
}

bool IconSize(HICON icon, int32_t& w, int32_t& h) {
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return false;
  BITMAP bm{};
  const bool ok = info.hbmColor && GetObjectA(info.hbmColor, sizeof bm, &bm) != 0;
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  if (!ok) return false;
  w = bm.bmWidth;
  h = bm.bmHeight;
  return true;
}

}  // namespace

TIcon::TIcon() {
  SetTransparent(true);  // an icon always lets its background show
  SetModified(false);
}

TIcon::~TIcon() { FreeHandle(); }

void TIcon::FreeHandle() {
  if (FHandle) DestroyIcon(FHandle);
  FHandle = nullptr;
  FWidth = FHeight = 0;
}

void TIcon::TakeHandle(HICON value) {
  FreeHandle();
  FHandle = value;
  if (FHandle && !IconSize(FHandle, FWidth, FHeight)) FWidth = FHeight = 0;
}

void TIcon::SetHandle(HICON value) {
  if (value == FHandle) return;
  TakeHandle(value);
  FImage.clear();
  Changed(this);
}

HICON TIcon::ReleaseHandle() {
  HICON h = FHandle;
  FHandle = nullptr;
  FWidth = FHeight = 0;
  FImage.clear();
  Changed(this);
  return h;
}

void TIcon::Assign(TPersistent* source) {
  if (!source) {
    FreeHandle();
    FImage.clear();
    Changed(this);
    return;
  }
  if (auto* icon = dynamic_cast<TIcon*>(source)) {
    if (icon == this) return;
    HICON copy = nullptr;
    if (icon->FHandle) {
      copy = CopyIcon(icon->FHandle);
      if (!copy) throw EOutOfResources(SOutOfResources);
    }
    TakeHandle(copy);
    FImage = icon->FImage;
    Changed(this);
    return;
  }
  TGraphic::Assign(source);
}

void TIcon::SetWidth(int32_t value) {
  if (!FHandle) {
    FRequestedWidth = value;
    return;
  }
  if (value != FWidth) throw EInvalidGraphicOperation(SChangeIconSize);
}

void TIcon::SetHeight(int32_t value) {
  if (!FHandle) {
    FRequestedHeight = value;
    return;
  }
  if (value != FHeight) throw EInvalidGraphicOperation(SChangeIconSize);
}

void TIcon::Draw(TCanvas* canvas, const TRect& r) {
  if (!FHandle) return;
  DrawIconEx(canvas->Handle(), r.left, r.top, FHandle, r.right - r.left, r.bottom - r.top, 0, nullptr, DI_NORMAL);
}

void TIcon::LoadFromStream(TStream* stream) {
  // The directory first; it tells how much of the stream the file takes.
  uint8_t dir[kDirSize];
  if (stream->Read(dir, kDirSize) != static_cast<int32_t>(kDirSize)) Invalid();
  const uint16_t count = Le16(dir + 4);
  if (Le16(dir) != 0 || Le16(dir + 2) != 1 /* icon */ || count == 0) Invalid();
  std::vector<uint8_t> file(dir, dir + kDirSize);
  file.resize(kDirSize + kEntrySize * count);
  const int32_t entries_size = static_cast<int32_t>(kEntrySize * count);
  if (stream->Read(file.data() + kDirSize, entries_size) != entries_size) Invalid();
  std::vector<Entry> entries;
  uint64_t end = file.size();
  for (uint16_t i = 0; i < count; ++i) {
    const uint8_t* e = file.data() + kDirSize + kEntrySize * i;
    Entry en{e[0] ? e[0] : 256u, e[1] ? e[1] : 256u, Le16(e + 6), Le32(e + 8), Le32(e + 12)};
    if (en.bytes == 0 || en.offset < file.size()) Invalid();
    end = std::max<uint64_t>(end, static_cast<uint64_t>(en.offset) + en.bytes);
    entries.push_back(en);
  }
  const int64_t left = stream->Size() - stream->Position();
  if (end - file.size() > static_cast<uint64_t>(std::max<int64_t>(left, 0)) ||
      end > static_cast<uint64_t>(std::numeric_limits<int32_t>::max()))
    Invalid();
  const size_t head = file.size();
  file.resize(static_cast<size_t>(end));
  stream->ReadBuffer(file.data() + head, static_cast<int32_t>(end - head));

  // Nearest to the size asked for, then the most colours.
  const SIZE want{FRequestedWidth > 0 ? FRequestedWidth : GetSystemMetrics(SM_CXICON),
                  FRequestedHeight > 0 ? FRequestedHeight : GetSystemMetrics(SM_CYICON)};
  std::vector<size_t> order(entries.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  auto distance = [&](const Entry& e) {
    return std::abs(static_cast<int64_t>(e.width) - want.cx) + std::abs(static_cast<int64_t>(e.height) - want.cy);
  };
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    const int64_t da = distance(entries[a]), db = distance(entries[b]);
    return da != db ? da < db : entries[a].bits > entries[b].bits;
  });
  IconPixels img;
  bool decoded = false;
  for (size_t i : order) {
    const Entry& e = entries[i];
    if (DecodeImage(file.data() + e.offset, e.bytes, img)) {
      decoded = true;
      break;
    }
  }
  if (!decoded) Invalid();
  TakeHandle(MakeIcon(img));
  FImage = std::move(file);
  Changed(this);
}

void TIcon::SaveToStream(TStream* stream) {
  if (!FImage.empty()) {
    stream->WriteBuffer(FImage.data(), static_cast<int32_t>(FImage.size()));
    return;
  }
  if (!FHandle) return;
  // One 32-bit image with its mask, made from the icon's own pictures.
  ICONINFO info{};
  if (!GetIconInfo(FHandle, &info)) throw EInvalidGraphic(SInvalidIcon);
  const int32_t w = FWidth, h = FHeight;
  std::vector<uint32_t> color = info.hbmColor ? BitmapPixels(info.hbmColor, w, h) : std::vector<uint32_t>{};
  std::vector<uint32_t> mask = info.hbmMask ? BitmapPixels(info.hbmMask, w, h) : std::vector<uint32_t>{};
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  if (w <= 0 || h <= 0 || color.empty() || mask.empty()) throw EInvalidGraphic(SInvalidIcon);

  const uint32_t xor_stride = static_cast<uint32_t>(w) * 4;
  const uint32_t and_stride = (static_cast<uint32_t>(w) + 31) / 32 * 4;
  const uint32_t image_size = static_cast<uint32_t>(sizeof(BITMAPINFOHEADER)) + (xor_stride + and_stride) * h;
  std::vector<uint8_t> out;
  out.reserve(kDirSize + kEntrySize + image_size);
  Put16(out, 0);
  Put16(out, 1);
  Put16(out, 1);
  out.push_back(static_cast<uint8_t>(w < 256 ? w : 0));
  out.push_back(static_cast<uint8_t>(h < 256 ? h : 0));
  out.push_back(0);  // colours: more than a table holds
  out.push_back(0);
  Put16(out, 1);   // planes
  Put16(out, 32);  // bits
  Put32(out, image_size);
  Put32(out, static_cast<uint32_t>(kDirSize + kEntrySize));
  Put32(out, sizeof(BITMAPINFOHEADER));
  Put32(out, static_cast<uint32_t>(w));
  Put32(out, static_cast<uint32_t>(h) * 2);
  Put16(out, 1);
  Put16(out, 32);
  Put32(out, 0);  // BI_RGB
  Put32(out, (xor_stride + and_stride) * h);
  for (int i = 0; i < 4; ++i) Put32(out, 0);
  for (int32_t y = h - 1; y >= 0; --y)
    for (int32_t x = 0; x < w; ++x) {
      const size_t i = static_cast<size_t>(y) * w + x;
      const bool clear = mask[i] != 0;
      const uint32_t c = clear ? 0 : color[i];
      out.push_back(static_cast<uint8_t>(c));
      out.push_back(static_cast<uint8_t>(c >> 8));
      out.push_back(static_cast<uint8_t>(c >> 16));
      out.push_back(clear ? 0 : 0xFF);
    }
  for (int32_t y = h - 1; y >= 0; --y) {
    std::vector<uint8_t> row(and_stride, 0);
    for (int32_t x = 0; x < w; ++x)
      if (mask[static_cast<size_t>(y) * w + x]) row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    out.insert(out.end(), row.begin(), row.end());
  }
  stream->WriteBuffer(out.data(), static_cast<int32_t>(out.size()));
}
