// Floating-point text: the class library's general, exponent, fixed, number and currency forms.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include "SysUtils.h"
#include "SysUtils_internal.h"

namespace fwdetail {

// Up to 18 significant digits, as the class library's extended-precision conversion gives them,
// rounded half away from zero at the requested place.
FloatDecimal ToDecimal(long double value, int maxDigits, bool fixedPlaces, int places) {
  FloatDecimal r;
  if (std::isnan(value)) { r.special = FloatDecimal::kNan; return r; }
  if (std::isinf(value)) {
    r.special = FloatDecimal::kInf;
    r.negative = value < 0;
    return r;
  }
  r.negative = std::signbit(value);
  long double a = std::fabs(value);
  if (a == 0) { r.negative = false; return r; }
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.17Le", a);  // d.ddddddddddddddddde+XX
  std::string digits;
  const char* p = buf;
  for (; *p && *p != 'e'; ++p)
    if (*p >= '0' && *p <= '9') digits += *p;
  int exp10 = (*p == 'e') ? std::atoi(p + 1) : 0;
  r.exponent = exp10 + 1;  // value = 0.digits * 10^exponent
  if (maxDigits > 18) maxDigits = 18;
  int keep = fixedPlaces ? r.exponent + places : maxDigits;
  if (keep > maxDigits) keep = maxDigits;
  if (keep < 0) { r.negative = false; return r; }
  if (keep < static_cast<int>(digits.size())) {
    bool up = digits[static_cast<std::size_t>(keep)] >= '5';
    digits.resize(static_cast<std::size_t>(keep));
    if (up) {
      int i = keep - 1;
      while (i >= 0 && digits[static_cast<std::size_t>(i)] == '9') digits[static_cast<std::size_t>(i--)] = '0';
      if (i >= 0) {
        ++digits[static_cast<std::size_t>(i)];
      } else {
        digits.insert(digits.begin(), '1');
        digits.pop_back();
        if (keep == 0) digits = "1";
        ++r.exponent;
      }
    }
  }
  while (!digits.empty() && digits.back() == '0') digits.pop_back();
  if (digits.empty()) { r.negative = false; r.exponent = 0; }
  r.digits = digits;
  return r;
}

namespace {

std::string SpecialText(const FloatDecimal& d) {
  if (d.special == FloatDecimal::kNan) return "NAN";
  return d.negative ? "-INF" : "INF";
}

std::string ExponentText(int e, int minDigits, bool plusSign) {
  std::string s;
  if (e < 0) { s += '-'; e = -e; } else if (plusSign) { s += '+'; }
  std::string n = std::to_string(e);
  while (static_cast<int>(n.size()) < minDigits) n.insert(n.begin(), '0');
  return s + n;
}

// Integer part and fraction of a fixed rendering with exactly `places` decimals.
void FixedParts(const FloatDecimal& d, int places, std::string& intPart, std::string& frac) {
  intPart.clear();
  frac.clear();
  int n = d.exponent;
  const std::string& g = d.digits;
  if (g.empty() || n <= 0) {
    intPart = "0";
  } else {
    for (int i = 0; i < n; ++i) intPart += i < static_cast<int>(g.size()) ? g[static_cast<std::size_t>(i)] : '0';
  }
  for (int i = 0; i < places; ++i) {
    int gi = n + i;  // index into digits of the i-th decimal
    char c = '0';
    if (!g.empty() && gi >= 0 && gi < static_cast<int>(g.size())) c = g[static_cast<std::size_t>(gi)];
    frac += c;
  }
}

std::string Group(const std::string& intPart) {
  std::string out;
  int n = static_cast<int>(intPart.size());
  for (int i = 0; i < n; ++i) {
    if (i > 0 && (n - i) % 3 == 0 && ThousandSeparator != 0) out += ThousandSeparator;
    out += intPart[static_cast<std::size_t>(i)];
  }
  return out;
}

std::string Currency(const std::string& amount, bool negative) {
  const std::string& c = CurrencyString;
  if (!negative) {
    switch (CurrencyFormat) {
      case 1: return amount + c;
      case 2: return c + " " + amount;
      case 3: return amount + " " + c;
      default: return c + amount;
    }
  }
  switch (NegCurrFormat) {
    case 0: return "(" + c + amount + ")";
    case 2: return c + "-" + amount;
    case 3: return c + amount + "-";
    case 4: return "(" + amount + c + ")";
    case 5: return "-" + amount + c;
    case 6: return amount + "-" + c;
    case 7: return amount + c + "-";
    case 8: return "-" + amount + " " + c;
    case 9: return "-" + c + " " + amount;
    case 10: return amount + " " + c + "-";
    case 11: return c + " " + amount + "-";
    case 12: return c + " -" + amount;
    case 13: return amount + "- " + c;
    case 14: return "(" + c + " " + amount + ")";
    case 15: return "(" + amount + " " + c + ")";
    default: return "-" + c + amount;
  }
}

}  // namespace

std::string FloatText(long double value, TFloatFormat format, int precision, int digits) {
  if (precision < 1) precision = 1;
  if (precision > 18) precision = 18;
  if (digits < 0) digits = 0;
  switch (format) {
    case ffGeneral: {
      FloatDecimal d = ToDecimal(value, precision, false, 0);
      if (d.special) return SpecialText(d);
      if (d.digits.empty()) return "0";
      std::string s = d.negative ? "-" : "";
      int n = d.exponent;
      if (n > precision || n < -3) {
        s += d.digits[0];
        if (d.digits.size() > 1) s += DecimalSeparator + d.digits.substr(1);
        s += 'E' + ExponentText(n - 1, digits > 4 ? 4 : digits, false);
        return s;
      }
      std::string ip, fr;
      int places = static_cast<int>(d.digits.size()) - n;
      FixedParts(d, places > 0 ? places : 0, ip, fr);
      s += ip;
      if (!fr.empty()) s += DecimalSeparator + fr;
      return s;
    }
    case ffExponent: {
      FloatDecimal d = ToDecimal(value, precision, false, 0);
      if (d.special) return SpecialText(d);
      std::string g = d.digits;
      int e = g.empty() ? 0 : d.exponent - 1;
      g.resize(static_cast<std::size_t>(precision), '0');
      std::string s = d.negative ? "-" : "";
      s += g[0];
      if (precision > 1) s += DecimalSeparator + g.substr(1);
      s += 'E' + ExponentText(e, digits > 4 ? 4 : digits, true);
      return s;
    }
    case ffFixed:
    case ffNumber:
    case ffCurrency: {
      if (digits > 18) digits = 18;
      FloatDecimal d = ToDecimal(value, 18, true, digits);
      if (d.special) return SpecialText(d);
      if (format == ffFixed && d.exponent > precision && !d.digits.empty())
        return FloatText(value, ffExponent, precision, 3);
      std::string ip, fr;
      FixedParts(d, digits, ip, fr);
      if (format != ffFixed) ip = Group(ip);
      std::string amount = ip;
      if (!fr.empty()) amount += DecimalSeparator + fr;
      if (format == ffCurrency) return Currency(amount, d.negative);
      return d.negative ? "-" + amount : amount;
    }
  }
  return std::string();
}

}  // namespace fwdetail

AnsiString FloatToStr(Extended Value) { return fwdetail::FloatText(Value, ffGeneral, 15, 0); }

AnsiString FloatToStrF(Extended Value, TFloatFormat Format, int Precision, int Digits) {
  return fwdetail::FloatText(Value, Format, Precision, Digits);
}

bool TryStrToFloat(const AnsiString& S, Extended& Value) {
  // Blanks around the number; the locale's decimal separator; an optional exponent.
  std::size_t i = 0, n = S.size();
  while (i < n && S[i] == ' ') ++i;
  std::size_t end = n;
  while (end > i && S[end - 1] == ' ') --end;
  if (i == end) return false;
  std::string t;
  std::size_t j = i;
  if (S[j] == '+' || S[j] == '-') t += S[j++];
  bool digits = false;
  while (j < end && S[j] >= '0' && S[j] <= '9') { t += S[j++]; digits = true; }
  if (j < end && S[j] == DecimalSeparator) {
    t += '.';
    ++j;
    while (j < end && S[j] >= '0' && S[j] <= '9') { t += S[j++]; digits = true; }
  }
  if (!digits) return false;
  if (j < end && (S[j] == 'e' || S[j] == 'E')) {
    t += 'e';
    ++j;
    if (j < end && (S[j] == '+' || S[j] == '-')) t += S[j++];
    bool expDigits = false;
    while (j < end && S[j] >= '0' && S[j] <= '9') { t += S[j++]; expDigits = true; }
    if (!expDigits) return false;
  }
  if (j != end) return false;
  char* stop = nullptr;
  long double v = std::strtold(t.c_str(), &stop);
  if (stop == nullptr || *stop != 0) return false;
  if (std::isinf(v)) return false;
  Value = v;
  return true;
}

bool TryStrToFloat(const AnsiString& S, double& Value) {
  Extended e;
  if (!TryStrToFloat(S, e)) return false;
  Value = static_cast<double>(e);
  return true;
}

Extended StrToFloat(const AnsiString& S) {
  Extended v;
  if (!TryStrToFloat(S, v)) throw EConvertError(SInvalidFloat, {S});
  return v;
}

Extended StrToFloatDef(const AnsiString& S, Extended Default) {
  Extended v;
  return TryStrToFloat(S, v) ? v : Default;
}

