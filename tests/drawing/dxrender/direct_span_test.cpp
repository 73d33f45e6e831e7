// The written-out loops of 32-bit copies and constant-alpha blends draw the same bytes as the
// compiled routine and the interpreter: rotated, stretched and plain draws over a table of
// angles, sizes, centres, keys, alphas, clipped positions on every side and source parts, in
// both byte orders, with rows bottom-up and with pitches that leave rows unaligned. The sizes
// and angles take every way of fetching texels (a walk, windows of one to four rows, gathers);
// the guard pages fault on a window read past the source.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DXRender.h"
#include "DXRender_Plan.h"
#include "support.h"

using namespace DXRender;
using dxtest::GuardedImage;

namespace {

constexpr uint32_t kKey = 0x00405060;
constexpr int SW = 23, SH = 13, DW = 61, DH = 47;

enum Engine { kDirect, kNative, kInterpreter };

void Use(Engine e) {
  TDXRMachine::ForceRoutines(e != kDirect);
  TDXRMachine::ForceInterpreter(e == kInterpreter);
}

struct Layout {
  dxtest::Format format;
  bool bottomUp;
  int padding;       // bytes after each row (odd ones leave rows unaligned)
  bool guardBefore;  // the source's guard page before its first byte rather than after its last
};

const Layout kLayouts[] = {
    {{"X8R8G8B8", 32, 0xFF0000, 0xFF00, 0xFF, false}, false, 0, false},
    {{"X8B8G8R8", 32, 0xFF, 0xFF00, 0xFF0000, false}, true, 3, false},
    {{"X8R8G8B8", 32, 0xFF0000, 0xFF00, 0xFF, false}, true, 5, true},
    {{"X8R8G8B8", 32, 0xFF0000, 0xFF00, 0xFF, false}, false, 0, true},
};

// Random texels with keyed ones planted, and some of the key colour under another top byte
// (the key compares the whole texel, so those are drawn).
void PlantKeys(GuardedImage& img, int w, int h) {
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint32_t v;
      if ((x * 5 + y * 3) % 4 == 0) v = kKey;
      else if ((x + 2 * y) % 9 == 0) v = kKey | 0x01000000u;
      else continue;
      std::memcpy(img.Data() + y * img.Pitch() + x * 4, &v, 4);
    }
}

struct Op {
  uint8_t op;
  int32_t alpha;
};
const Op kOps[] = {{10, 1}, {10, 128}, {10, 254}, {10, 255}, {10, 0}, {10, 300}, {1, 255}};

// Source and destination images of one layout, the destination refilled before each draw.
class Canvas {
 public:
  explicit Canvas(const Layout& l) : src_(l.format, SW, SH, l.padding, l.guardBefore), dst_(l.format, DW, DH, l.padding) {
    src_.Fill(11);
    PlantKeys(src_, SW, SH);
    sd_ = src_.Descriptor(l.bottomUp);
    dd_ = dst_.Descriptor(l.bottomUp);
  }
  // Draws with the given engine and answers the destination's bytes.
  template <class Draw>
  std::vector<uint8_t> With(Engine e, Draw draw) {
    dst_.Fill(12);
    Use(e);
    draw(dd_, sd_);
    Use(kDirect);
    return {dst_.Data(), dst_.Data() + dst_.Bytes()};
  }

 private:
  GuardedImage src_, dst_;
  TPixelDescriptor sd_, dd_;
};

template <class Draw>
void ExpectSameOnEveryEngine(Canvas& canvas, const std::string& what, Draw draw) {
  const std::vector<uint8_t> direct = canvas.With(kDirect, draw);
  ASSERT_EQ(direct, canvas.With(kNative, draw)) << what;
  ASSERT_EQ(direct, canvas.With(kInterpreter, draw)) << what;
}

// Positions for a draw of w x h: inside, and hanging off each side and corner.
std::vector<std::pair<int, int>> Positions(int w, int h) {
  return {{DW / 2, DH / 2}, {-w / 2, DH / 2}, {DW - w / 3, DH / 2}, {DW / 2, -h / 2},
          {DW / 2, DH - h / 4}, {-w / 2, -h / 2}, {DW - 2, DH - 2}};
}

}  // namespace

TEST(DirectSpan, TakenForTheSameFormatCopyAndConstantBlendOnly) {
  GuardedImage a(kLayouts[0].format, 4, 4), b(kLayouts[1].format, 4, 4), c(dxtest::kFormats[1], 4, 4);
  TPixelDescriptor x = a.Descriptor(), y = b.Descriptor(), z = c.Descriptor();
  detail::DirectSpan s;
  EXPECT_TRUE(s.Prepare(x, x, 10, kKey, true, 128));
  EXPECT_TRUE(s.Prepare(y, y, 1, kKey, false, 0));
  EXPECT_TRUE(s.Narrow);
  EXPECT_FALSE(s.Prepare(x, y, 1, 0, false, 255));   // other byte order
  EXPECT_FALSE(s.Prepare(z, z, 10, 0, false, 128));  // 24-bit
  EXPECT_FALSE(s.Prepare(x, x, 11, 0, false, 128));
  TDXRMachine::ForceRoutines(true);
  EXPECT_FALSE(s.Prepare(x, x, 10, 0, false, 128));
  TDXRMachine::ForceRoutines(false);
}

// Each case draws at every position (with a centre of its own) onto one destination.
TEST(DirectSpan, RotatedDrawsEqualTheRoutineAndTheInterpreter) {
  struct Size {
    int w, h;
  };
  // Own, scaled up twice, odd, shrunk.
  const Size sizes[] = {{SW, SH}, {40, 22}, {80, 45}, {9, 31}, {15, 7}};
  const RECT parts[] = {{0, 0, SW, SH}, {3, 2, 20, 12}};
  const double centres[][2] = {{0, 0}, {0.5, 0.5}, {0.3, 0.8}};
  for (const Layout& l : kLayouts) {
    Canvas canvas(l);
    for (int angle : {0, 32, 64, 100, 128, 200, 255})
      for (const Size& z : sizes)
        for (const RECT& part : parts)
          for (bool key : {false, true})
            for (const Op& o : kOps) {
              const std::string what = std::string(l.format.Name) + " angle " + std::to_string(angle) + " size " +
                                       std::to_string(z.w) + "x" + std::to_string(z.h) + " part " +
                                       std::to_string(part.left) + " key " + std::to_string(key) + " op " +
                                       std::to_string(o.op) + " alpha " + std::to_string(o.alpha);
              ExpectSameOnEveryEngine(canvas, what, [&](TPixelDescriptor& dd, TPixelDescriptor& sd) {
                int i = 0;
                for (const auto& p : Positions(z.w, z.h)) {
                  const double* c = centres[(i++ + angle) % 3];
                  DrawRotatedBlend(dd, sd, p.first, p.second, z.w, z.h, c[0], c[1], angle, part, kKey, key, o.alpha,
                                   o.op);
                }
              });
            }
  }
}

TEST(DirectSpan, PlainAndStretchedDrawsEqualTheRoutineAndTheInterpreter) {
  const RECT parts[] = {{0, 0, SW, SH}, {3, 2, 20, 12}, {5, 4, 6, 5}};
  for (const Layout& l : kLayouts) {
    Canvas canvas(l);
    for (const RECT& part : parts) {
      const int pw = part.right - part.left, ph = part.bottom - part.top;
      // Own size (the texels walk), stretched, shrunk, and one of odd scales.
      const int sizes[][2] = {{pw, ph}, {pw * 2 + 1, ph * 3}, {(pw + 1) / 2, ph}, {pw * 5 / 3, (ph * 4 + 2) / 3}};
      for (const auto& z : sizes)
        for (bool key : {false, true})
          for (const Op& o : kOps) {
            const std::string what = std::string(l.format.Name) + " size " + std::to_string(z[0]) + "x" +
                                     std::to_string(z[1]) + " part " + std::to_string(part.left) + " key " +
                                     std::to_string(key) + " op " + std::to_string(o.op) + " alpha " +
                                     std::to_string(o.alpha);
            ExpectSameOnEveryEngine(canvas, what, [&](TPixelDescriptor& dd, TPixelDescriptor& sd) {
              for (const auto& p : Positions(z[0], z[1]))
                DrawRectBlend(dd, sd, RECT{p.first, p.second, p.first + z[0], p.second + z[1]}, kKey, key, o.alpha,
                              o.op, part);
            });
          }
    }
  }
}

// Spans long enough for many eight-pixel steps and a tail, over a wide source, and sources too
// narrow or too short for a window.
TEST(DirectSpan, LongSpansEqualTheRoutine) {
  const Layout& l = kLayouts[0];
  struct Source {
    int w, h;
  };
  for (const Source& z : {Source{301, 97}, Source{5, 40}, Source{40, 3}}) {
    GuardedImage src(l.format, z.w, z.h, 0, z.w == 5), dst(l.format, 700, 400);
    src.Fill(21);
    PlantKeys(src, z.w, z.h);
    dst.Fill(22);
    const std::vector<uint8_t> start(dst.Data(), dst.Data() + dst.Bytes());
    TPixelDescriptor sd = src.Descriptor(), dd = dst.Descriptor();
    const RECT whole{0, 0, z.w, z.h};
    for (int angle : {0, 3, 19, 32, 64, 100, 200, 255})
      for (const Op& o : {Op{10, 128}, Op{1, 255}})
        for (bool key : {false, true}) {
          std::vector<uint8_t> out[2];
          for (Engine e : {kDirect, kNative}) {
            Use(e);
            std::memcpy(dst.Data(), start.data(), start.size());
            DrawRotatedBlend(dd, sd, 350, 200, 503, 162, 0.5, 0.5, angle, whole, kKey, key, o.alpha, o.op);
            DrawRotatedBlend(dd, sd, 20, 30, 670, 335, 0, 0, angle, whole, kKey, key, o.alpha, o.op);
            DrawRectBlend(dd, sd, RECT{-7, 390, 694, 400}, kKey, key, o.alpha, o.op, whole);
            out[e == kDirect ? 0 : 1] = {dst.Data(), dst.Data() + dst.Bytes()};
          }
          Use(kDirect);
          ASSERT_EQ(out[0], out[1]) << z.w << "x" << z.h << " angle " << angle << " op " << int(o.op) << " key "
                                    << key;
        }
  }
}
