// Math: rounding, the framework's random generator, and the small numeric helpers.
//
// Round rounds half to even (as the processor's default rounding) and returns a 64-bit integer;
// Trunc cuts toward zero. A NaN, an infinity or a value beyond 64 bits raises EInvalidOp.
// Random draws from one uniform generator of the framework, seeded by RandSeed (Randomize seeds
// it from the clock); tests may replace the generator.
#pragma once
#include <cmath>
#include <cstdint>
#include <functional>
#include "System.h"

int64_t Round(Extended X);
int64_t Trunc(Extended X);
int64_t Ceil(Extended X);
int64_t Floor(Extended X);
Extended Frac(Extended X);
Extended Int(Extended X);

// The generator's state; setting it restarts the sequence.
extern uint32_t RandSeed;
void Randomize();
// 0 <= result < Range (0 for Range <= 0).
int32_t Random(int32_t Range);
// 0 <= result < 1.
Extended Random();
// AFrom <= result < ATo (either order).
int32_t RandomRange(int32_t AFrom, int32_t ATo);
// Replaces the source of Random: the function answers a uniform 32-bit value. An empty function
// restores the framework's own generator.
void SetRandomGenerator(std::function<uint32_t()> Generator);

template <class T>
constexpr T Max(T A, T B) { return A > B ? A : B; }
template <class T>
constexpr T Min(T A, T B) { return A < B ? A : B; }
template <class T>
constexpr bool InRange(T Value, T AMin, T AMax) { return Value >= AMin && Value <= AMax; }
template <class T>
constexpr T EnsureRange(T Value, T AMin, T AMax) {
  return Value < AMin ? AMin : (Value > AMax ? AMax : Value);
}
template <class T>
constexpr int Sign(T Value) { return Value < T(0) ? -1 : (Value > T(0) ? 1 : 0); }

inline Extended Power(Extended Base, Extended Exponent) { return std::pow(Base, Exponent); }
inline Extended IntPower(Extended Base, int Exponent) { return std::pow(Base, Exponent); }
inline Extended ArcTan2(Extended Y, Extended X) { return std::atan2(Y, X); }
inline Extended ArcTan(Extended X) { return std::atan(X); }
inline Extended Sqrt(Extended X) { return std::sqrt(X); }
inline Extended Sqr(Extended X) { return X * X; }
inline Extended Hypot(Extended X, Extended Y) { return std::hypot(X, Y); }
inline Extended Log10(Extended X) { return std::log10(X); }
inline Extended Ln(Extended X) { return std::log(X); }
inline Extended Exp(Extended X) { return std::exp(X); }
inline Extended DegToRad(Extended Degrees) { return Degrees * (3.14159265358979323846264338327950288L / 180); }
inline Extended RadToDeg(Extended Radians) { return Radians * (180 / 3.14159265358979323846264338327950288L); }
inline constexpr Extended Pi() { return 3.14159265358979323846264338327950288L; }
