#include "Math.h"

#include <cmath>
#include <ctime>
#include "SysUtils.h"

namespace {
// Like the processor's invalid-operation fault: a NaN, an infinity or a value beyond 64 bits has
// no integer.
int64_t ToInt64(long double v) {
  if (!(v >= -9223372036854775808.0L && v < 9223372036854775808.0L)) throw EInvalidOp(SInvalidOp);
  return static_cast<int64_t>(v);
}
}  // namespace

int64_t Round(Extended X) {
  // Half to even, as the processor rounds by default.
  return ToInt64(std::nearbyint(X));
}

int64_t Trunc(Extended X) { return ToInt64(std::trunc(X)); }
int64_t Ceil(Extended X) { return ToInt64(std::ceil(X)); }
int64_t Floor(Extended X) { return ToInt64(std::floor(X)); }
Extended Frac(Extended X) { return X - std::trunc(X); }
Extended Int(Extended X) { return std::trunc(X); }

uint32_t RandSeed = 0;

namespace {
std::function<uint32_t()> g_generator;

// The framework's linear congruential generator over RandSeed.
uint32_t NextRandom() {
  if (g_generator) return g_generator();
  RandSeed = RandSeed * 134775813u + 1u;
  return RandSeed;
}
}  // namespace

void SetRandomGenerator(std::function<uint32_t()> Generator) { g_generator = std::move(Generator); }

void Randomize() {
  timespec a{}, b{};
  clock_gettime(CLOCK_MONOTONIC, &a);
  clock_gettime(CLOCK_REALTIME, &b);
  uint64_t t = static_cast<uint64_t>(a.tv_nsec) ^ (static_cast<uint64_t>(b.tv_sec) * 1000003u) ^
               static_cast<uint64_t>(b.tv_nsec);
  RandSeed = static_cast<uint32_t>(t ^ (t >> 32));
}

int32_t Random(int32_t Range) {
  if (Range <= 0) return 0;
  return static_cast<int32_t>((static_cast<uint64_t>(NextRandom()) * static_cast<uint32_t>(Range)) >> 32);
}

Extended Random() { return static_cast<Extended>(NextRandom()) / 4294967296.0L; }

int32_t RandomRange(int32_t AFrom, int32_t ATo) {
  if (AFrom > ATo) return Random(AFrom - ATo) + ATo;
  return Random(ATo - AFrom) + AFrom;
}
