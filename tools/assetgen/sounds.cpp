// The chalk tap and the camera shutter, synthesised from damped resonances and filtered noise.
#include "sounds.h"

#include <cmath>

#include "gfx.h"

namespace ag {

namespace {

constexpr double kTwoPi = 6.283185307179586;

// One-pole filters over a noise source, for band-limited scratch and rattle.
struct Band {
  double lp = 0, lp2 = 0, a, b;
  Band(double lowCut, double highCut, int rate)
      : a(1 - std::exp(-kTwoPi * highCut / rate)), b(1 - std::exp(-kTwoPi * lowCut / rate)) {}
  double operator()(double x) {
    lp += a * (x - lp);   // removes what is above highCut
    lp2 += b * (lp - lp2);  // what is below lowCut, taken away
    return lp - lp2;
  }
};

void normalise(std::vector<float>& s, float peak) {
  float m = 0;
  for (float v : s) m = std::max(m, std::fabs(v));
  if (m > 0)
    for (float& v : s) v = v / m * peak;
}

void fade_ends(std::vector<float>& s, int rate, double inSec, double outSec) {
  size_t in = size_t(inSec * rate), out = size_t(outSec * rate);
  for (size_t i = 0; i < in && i < s.size(); ++i) s[i] *= float(i) / float(in);
  for (size_t i = 0; i < out && i < s.size(); ++i) s[s.size() - 1 - i] *= float(i) / float(out);
}

double noise(Rng& r) { return r.uniform() * 2.0 - 1.0; }

// A knock: a few damped resonances plus a short noise burst.
double knock(double t, double f1, double f2, double f3, double scaleTime) {
  if (t < 0) return 0;
  return 0.40 * std::sin(kTwoPi * f1 * t) * std::exp(-t / (0.011 * scaleTime)) +
         0.28 * std::sin(kTwoPi * f2 * t) * std::exp(-t / (0.020 * scaleTime)) +
         0.22 * std::sin(kTwoPi * f3 * t) * std::exp(-t / (0.004 * scaleTime));
}

}  // namespace

std::vector<float> make_chalk_tap(int rate) {
  const double dur = 0.18;
  size_t n = size_t(dur * rate);
  std::vector<float> s(n);
  Rng rng(0xC4A1C7A9ull);
  Band clickBand(1500, 9000, rate), scratchBand(2200, 7500, rate);
  double gate = 0;
  for (size_t i = 0; i < n; ++i) {
    double t = double(i) / rate;
    double v = 0;
    // The stick meeting the board: a dry click and the board's short knock.
    v += 0.9 * clickBand(noise(rng)) * std::exp(-t / 0.0016);
    v += 0.8 * knock(t, 2150, 930, 4300, 1.0);
    // A little scratch as the tip drags: noise chopped into grains.
    if (i % size_t(rate / 350) == 0) gate = rng.uniform() < 0.55 ? rng.range(0.4f, 1.0f) : 0.1;
    double env = t < 0.006 ? 0 : std::exp(-(t - 0.006) / 0.045) * std::min(1.0, (t - 0.006) / 0.01);
    v += 0.30 * scratchBand(noise(rng)) * gate * env;
    s[i] = float(v);
  }
  normalise(s, 0.8f);
  fade_ends(s, rate, 0.0003, 0.012);
  return s;
}

std::vector<float> make_shutter(int rate) {
  const double dur = 0.42;
  size_t n = size_t(dur * rate);
  std::vector<float> s(n);
  Rng rng(0x5A77E12Bull);
  Band clickBand(1200, 10000, rate), rattleBand(600, 5000, rate), ring(2500, 6000, rate);
  const double second = 0.165;
  for (size_t i = 0; i < n; ++i) {
    double t = double(i) / rate;
    double v = 0;
    // First click: the mirror lifts.
    v += 0.8 * clickBand(noise(rng)) * std::exp(-t / 0.0020);
    v += 0.7 * knock(t, 3100, 1250, 5200, 0.8);
    // The mechanism runs: a rattling burst between the clicks.
    if (t > 0.018 && t < 0.15) {
      double u = (t - 0.018) / (0.15 - 0.018);
      double env = std::sin(3.14159265 * u);
      double chatter = 0.5 + 0.5 * std::sin(kTwoPi * 190 * t) * std::sin(kTwoPi * 47 * t);
      v += 0.32 * rattleBand(noise(rng)) * env * chatter;
      v += 0.05 * std::sin(kTwoPi * 230 * t) * env;
    }
    // Second click: the mirror comes back, louder and lower.
    double t2 = t - second;
    if (t2 >= 0) {
      v += 1.0 * clickBand(noise(rng)) * std::exp(-t2 / 0.0025);
      v += 0.9 * knock(t2, 2200, 720, 4100, 1.3);
      v += 0.08 * ring(noise(rng)) * std::exp(-t2 / 0.05);
    }
    s[i] = float(v);
  }
  normalise(s, 0.85f);
  fade_ends(s, rate, 0.0003, 0.03);
  return s;
}

}  // namespace ag
