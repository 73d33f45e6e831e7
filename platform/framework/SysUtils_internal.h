// Shared inside the framework's SysUtils files.
#pragma once
#include <string>
#include "SysUtils.h"

namespace fwdetail {

struct FloatDecimal {
  enum Special { kNone, kNan, kInf };
  Special special = kNone;
  bool negative = false;
  int exponent = 0;    // value = 0.digits * 10^exponent
  std::string digits;  // significant digits, no trailing zeros; empty for zero
};

// Decimal digits of value: at most maxDigits significant ones, or (fixedPlaces) rounded to
// `places` decimals.
FloatDecimal ToDecimal(long double value, int maxDigits, bool fixedPlaces, int places);
std::string FloatText(long double value, TFloatFormat format, int precision, int digits);

}  // namespace fwdetail
