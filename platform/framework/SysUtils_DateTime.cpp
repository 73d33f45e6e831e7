// Dates and times: encoding, decoding and the Japanese locale's text forms.
#include <cmath>
#include "Math.h"
#include "SysUtils.h"

char DateSeparator = '/';
char TimeSeparator = ':';
char DecimalSeparator = '.';
char ThousandSeparator = ',';
AnsiString ShortDateFormat = "yyyy/mm/dd";
AnsiString LongDateFormat = "yyyy'年'm'月'd'日'";
AnsiString ShortTimeFormat = "h:nn";
AnsiString LongTimeFormat = "h:nn:ss";
AnsiString TimeAMString = "午前";
AnsiString TimePMString = "午後";
AnsiString CurrencyString = "\\";  // the yen sign of code page 932
Byte CurrencyFormat = 0;
Byte NegCurrFormat = 1;
Byte CurrencyDecimals = 0;
AnsiString ShortMonthNames[12] = {"1月", "2月", "3月", "4月", "5月", "6月",
                                  "7月", "8月", "9月", "10月", "11月", "12月"};
AnsiString LongMonthNames[12] = {"1月", "2月", "3月", "4月", "5月", "6月",
                                 "7月", "8月", "9月", "10月", "11月", "12月"};
AnsiString ShortDayNames[7] = {"日", "月", "火", "水", "木", "金", "土"};
AnsiString LongDayNames[7] = {"日曜日", "月曜日", "火曜日", "水曜日", "木曜日", "金曜日", "土曜日"};
Word TwoDigitYearCenturyWindow = 50;

namespace {

const Word kMonthDays[2][12] = {{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
                                {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}};

// Days since 0001-01-01 (that day is 1) and milliseconds of the day, as the class library splits
// a date-time: rounded to the millisecond first, the time part taken without sign.
void Split(TDateTime dt, int64_t& days, int64_t& ms) {
  long double t = std::nearbyint(static_cast<long double>(dt) * MSecsPerDay);
  int64_t total = static_cast<int64_t>(t);
  ms = total % MSecsPerDay;
  if (ms < 0) ms = -ms;
  days = DateDelta + total / MSecsPerDay;
}

}  // namespace

bool IsLeapYear(Word Year) { return Year % 4 == 0 && (Year % 100 != 0 || Year % 400 == 0); }

Word DaysInAMonth(Word Year, Word Month) {
  if (Month < 1 || Month > 12) return 0;
  return kMonthDays[IsLeapYear(Year) ? 1 : 0][Month - 1];
}

bool TryEncodeDate(Word Year, Word Month, Word Day, TDateTime& Date) {
  if (Year < 1 || Year > 9999 || Month < 1 || Month > 12) return false;
  const Word* table = kMonthDays[IsLeapYear(Year) ? 1 : 0];
  if (Day < 1 || Day > table[Month - 1]) return false;
  int64_t d = Day;
  for (int m = 0; m < Month - 1; ++m) d += table[m];
  int64_t y = Year - 1;
  d += y * 365 + y / 4 - y / 100 + y / 400;
  Date = static_cast<TDateTime>(d - DateDelta);
  return true;
}

TDateTime EncodeDate(Word Year, Word Month, Word Day) {
  TDateTime d;
  if (!TryEncodeDate(Year, Month, Day, d)) throw EConvertError(SDateEncodeError);
  return d;
}

bool TryEncodeTime(Word Hour, Word Min, Word Sec, Word MSec, TDateTime& Time) {
  if (Hour >= 24 || Min >= 60 || Sec >= 60 || MSec >= 1000) return false;
  Time = (Hour * 3600000.0 + Min * 60000.0 + Sec * 1000.0 + MSec) / MSecsPerDay;
  return true;
}

TDateTime EncodeTime(Word Hour, Word Min, Word Sec, Word MSec) {
  TDateTime t;
  if (!TryEncodeTime(Hour, Min, Sec, MSec, t)) throw EConvertError(STimeEncodeError);
  return t;
}

void DecodeDate(TDateTime Date, Word& Year, Word& Month, Word& Day) {
  int64_t days, ms;
  Split(Date, days, ms);
  if (days <= 0 || days > 3652059) {  // outside 0001-01-01 .. 9999-12-31
    Year = Month = Day = 0;
    return;
  }
  int64_t t = days - 1;
  int64_t y = 1;
  y += (t / 146097) * 400; t %= 146097;
  int64_t c = t / 36524; if (c == 4) c = 3;
  y += c * 100; t -= c * 36524;
  y += (t / 1461) * 4; t %= 1461;
  int64_t i = t / 365; if (i == 4) i = 3;
  y += i; t -= i * 365;
  const Word* table = kMonthDays[IsLeapYear(static_cast<Word>(y)) ? 1 : 0];
  int m = 0;
  while (t >= table[m]) { t -= table[m]; ++m; }
  Year = static_cast<Word>(y);
  Month = static_cast<Word>(m + 1);
  Day = static_cast<Word>(t + 1);
}

void DecodeTime(TDateTime Time, Word& Hour, Word& Min, Word& Sec, Word& MSec) {
  int64_t days, ms;
  Split(Time, days, ms);
  Hour = static_cast<Word>(ms / 3600000);
  Min = static_cast<Word>(ms / 60000 % 60);
  Sec = static_cast<Word>(ms / 1000 % 60);
  MSec = static_cast<Word>(ms % 1000);
}

int DayOfWeek(TDateTime Date) {
  int64_t days, ms;
  Split(Date, days, ms);
  int64_t r = days % 7;
  if (r < 0) r += 7;
  return static_cast<int>(r) + 1;
}

TDateTime IncMonth(TDateTime Date, int NumberOfMonths) {
  Word y, m, d;
  DecodeDate(Date, y, m, d);
  int64_t total = static_cast<int64_t>(y) * 12 + (m - 1) + NumberOfMonths;
  int64_t ny = total / 12;
  int nm = static_cast<int>(total % 12) + 1;
  Word maxDay = DaysInAMonth(static_cast<Word>(ny), static_cast<Word>(nm));
  if (d > maxDay) d = maxDay;
  TDateTime r = EncodeDate(static_cast<Word>(ny), static_cast<Word>(nm), d);
  long double frac = std::fabs(Date - std::trunc(Date));
  return r >= 0 ? r + static_cast<double>(frac) : r - static_cast<double>(frac);
}

TDateTime SystemTimeToDateTime(const SYSTEMTIME& st) {
  TDateTime d = EncodeDate(st.wYear, st.wMonth, st.wDay);
  TDateTime t = EncodeTime(st.wHour, st.wMinute, st.wSecond, st.wMilliseconds);
  return d >= 0 ? d + t : d - t;
}

void DateTimeToSystemTime(TDateTime DateTime, SYSTEMTIME& st) {
  DecodeDate(DateTime, st.wYear, st.wMonth, st.wDay);
  DecodeTime(DateTime, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds);
  st.wDayOfWeek = static_cast<WORD>(DayOfWeek(DateTime) - 1);
}

// ---------------------------------------------------------------------------------------------
// FormatDateTime

namespace {

AnsiString Num(int v, int width) {
  AnsiString s = std::to_string(v);
  while (static_cast<int>(s.size()) < width) s.insert(s.begin(), '0');
  return s;
}

bool StartsWithText(const AnsiString& f, std::size_t i, const char* word) {
  for (std::size_t k = 0; word[k]; ++k) {
    if (i + k >= f.size()) return false;
    char a = f[i + k], b = word[k];
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a + 32);
    if (a != b) return false;
  }
  return true;
}

struct DateParts {
  Word year, month, day, hour, min, sec, msec;
  int dow;
};

void Append(AnsiString& out, const AnsiString& fmt, const DateParts& p, TDateTime dt, int depth);

// Whether the format (from position i on) uses an am/pm marker, which makes "h" a 12-hour clock.
bool HasAmPm(const AnsiString& f) {
  for (std::size_t i = 0; i < f.size();) {
    char c = f[i];
    if (c == '"' || c == '\'') {
      std::size_t close = f.find(c, i + 1);
      i = close == AnsiString::npos ? f.size() : close + 1;
      continue;
    }
    if (StartsWithText(f, i, "am/pm") || StartsWithText(f, i, "a/p") || StartsWithText(f, i, "ampm"))
      return true;
    i = NextCharIndex(f, i);
  }
  return false;
}

void Append(AnsiString& out, const AnsiString& f, const DateParts& p, TDateTime dt, int depth) {
  if (depth > 2) return;  // a locale format naming itself
  const bool twelve = HasAmPm(f);
  bool lastWasHour = false;
  std::size_t i = 0;
  const std::size_t n = f.size();
  auto run = [&](char c) {
    std::size_t k = i;
    while (k < n && (f[k] == c || f[k] == c - 32)) ++k;
    return k - i;
  };
  while (i < n) {
    char c = f[i];
    if (IsLeadByte(c)) {
      std::size_t next = NextCharIndex(f, i);
      out.append(f, i, next - i);
      i = next;
      continue;
    }
    char lc = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    switch (lc) {
      case '"':
      case '\'': {
        std::size_t j = i + 1;
        while (j < n && f[j] != c) j = NextCharIndex(f, j);
        out.append(f, i + 1, j - i - 1);
        i = j < n ? j + 1 : n;
        continue;
      }
      case '/': out += DateSeparator; ++i; continue;
      case ':': out += TimeSeparator; ++i; continue;
      case 'c': {
        ++i;
        Append(out, ShortDateFormat, p, dt, depth + 1);
        if (p.hour != 0 || p.min != 0 || p.sec != 0) {
          out += ' ';
          Append(out, LongTimeFormat, p, dt, depth + 1);
        }
        continue;
      }
      case 'y': {
        std::size_t k = run('y');
        i += k;
        out += k <= 2 ? Num(p.year % 100, 2) : Num(p.year, 4);
        lastWasHour = false;
        continue;
      }
      case 'm': {
        std::size_t k = run('m');
        i += k;
        if (lastWasHour) {
          out += k == 1 ? Num(p.min, 1) : Num(p.min, 2);
        } else if (k == 1) out += Num(p.month, 1);
        else if (k == 2) out += Num(p.month, 2);
        else if (k == 3) out += ShortMonthNames[p.month - 1];
        else out += LongMonthNames[p.month - 1];
        lastWasHour = false;
        continue;
      }
      case 'd': {
        std::size_t k = run('d');
        i += k;
        if (k == 1) out += Num(p.day, 1);
        else if (k == 2) out += Num(p.day, 2);
        else if (k == 3) out += ShortDayNames[p.dow - 1];
        else if (k == 4) out += LongDayNames[p.dow - 1];
        else if (k == 5) Append(out, ShortDateFormat, p, dt, depth + 1);
        else Append(out, LongDateFormat, p, dt, depth + 1);
        lastWasHour = false;
        continue;
      }
      case 'h': {
        std::size_t k = run('h');
        i += k;
        int h = p.hour;
        if (twelve) {
          h %= 12;
          if (h == 0) h = 12;
        }
        out += Num(h, k >= 2 ? 2 : 1);
        lastWasHour = true;
        continue;
      }
      case 'n': {
        std::size_t k = run('n');
        i += k;
        out += Num(p.min, k >= 2 ? 2 : 1);
        lastWasHour = false;
        continue;
      }
      case 's': {
        std::size_t k = run('s');
        i += k;
        out += Num(p.sec, k >= 2 ? 2 : 1);
        lastWasHour = false;
        continue;
      }
      case 'z': {
        std::size_t k = run('z');
        i += k;
        out += Num(p.msec, k >= 3 ? 3 : 1);
        lastWasHour = false;
        continue;
      }
      case 't': {
        std::size_t k = run('t');
        i += k;
        Append(out, k >= 2 ? LongTimeFormat : ShortTimeFormat, p, dt, depth + 1);
        lastWasHour = false;
        continue;
      }
      case 'a': {
        if (StartsWithText(f, i, "am/pm")) {
          bool pm = p.hour >= 12;
          out.append(f, pm ? i + 3 : i, 2);
          i += 5;
        } else if (StartsWithText(f, i, "a/p")) {
          out += f[p.hour >= 12 ? i + 2 : i];
          i += 3;
        } else if (StartsWithText(f, i, "ampm")) {
          out += p.hour >= 12 ? TimePMString : TimeAMString;
          i += 4;
        } else {
          out += c;
          ++i;
        }
        continue;
      }
      default:
        out += c;
        ++i;
        continue;
    }
  }
}

DateParts PartsOf(TDateTime dt) {
  DateParts p{};
  DecodeDate(dt, p.year, p.month, p.day);
  DecodeTime(dt, p.hour, p.min, p.sec, p.msec);
  p.dow = DayOfWeek(dt);
  if (p.month < 1) p.month = 1;
  if (p.day < 1) p.day = 1;
  return p;
}

}  // namespace

void DateTimeToString(AnsiString& Result, const AnsiString& Fmt, TDateTime DateTime) {
  Result.clear();
  Append(Result, Fmt.empty() ? AnsiString("c") : Fmt, PartsOf(DateTime), DateTime, 0);
}

AnsiString FormatDateTime(const AnsiString& Fmt, TDateTime DateTime) {
  AnsiString r;
  DateTimeToString(r, Fmt, DateTime);
  return r;
}

AnsiString DateTimeToStr(TDateTime DateTime) { return FormatDateTime("c", DateTime); }
AnsiString DateToStr(TDateTime Date) { return FormatDateTime("ddddd", Date); }
AnsiString TimeToStr(TDateTime Time) { return FormatDateTime("tt", Time); }

// ---------------------------------------------------------------------------------------------
// Reading dates and times: numbers in the order of ShortDateFormat, separated by DateSeparator;
// times as h:n[:s[.z]] with an optional AM/PM marker.

namespace {

struct Scanner {
  const AnsiString& s;
  std::size_t i = 0;
  void Blanks() { while (i < s.size() && s[i] == ' ') ++i; }
  bool Number(int& v, int& digits) {
    Blanks();
    std::size_t start = i;
    int64_t x = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9' && i - start < 9) x = x * 10 + (s[i++] - '0');
    digits = static_cast<int>(i - start);
    v = static_cast<int>(x);
    return digits > 0;
  }
  bool Char(char c) {
    Blanks();
    if (i < s.size() && s[i] == c) { ++i; return true; }
    return false;
  }
  bool Text(const AnsiString& t) {
    Blanks();
    if (!t.empty() && s.compare(i, t.size(), t) == 0) { i += t.size(); return true; }
    if (!t.empty() && AnsiSameText(s.substr(i, t.size()), t)) { i += t.size(); return true; }
    return false;
  }
  bool End() { Blanks(); return i >= s.size(); }
};

enum DateOrder { doMDY, doDMY, doYMD };

DateOrder OrderOf(const AnsiString& f) {
  for (char c : f) {
    char l = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    if (l == 'y') return doYMD;
    if (l == 'm') return doMDY;
    if (l == 'd') return doDMY;
  }
  return doYMD;
}

int CurrentYear() {
  Word y, m, d;
  DecodeDate(Date(), y, m, d);
  return y;
}

bool ScanDate(Scanner& sc, TDateTime& out) {
  int n1, n2, n3 = 0, d1, d2, d3 = 0;
  if (!sc.Number(n1, d1) || !sc.Char(DateSeparator) || !sc.Number(n2, d2)) return false;
  bool three = false;
  if (sc.Char(DateSeparator)) {
    if (!sc.Number(n3, d3)) return false;
    three = true;
  }
  int y, m, d, yd;
  DateOrder order = OrderOf(ShortDateFormat);
  if (!three) {
    y = CurrentYear();
    yd = 4;
    if (order == doDMY) { d = n1; m = n2; } else { m = n1; d = n2; }
  } else {
    switch (order) {
      case doMDY: m = n1; d = n2; y = n3; yd = d3; break;
      case doDMY: d = n1; m = n2; y = n3; yd = d3; break;
      default: y = n1; yd = d1; m = n2; d = n3; break;
    }
  }
  if (yd <= 2) {
    int cur = CurrentYear();
    y += cur / 100 * 100;
    if (TwoDigitYearCenturyWindow > 0 && y < cur - TwoDigitYearCenturyWindow) y += 100;
  }
  if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1 || d > 31) return false;
  return TryEncodeDate(static_cast<Word>(y), static_cast<Word>(m), static_cast<Word>(d), out);
}

bool ScanTime(Scanner& sc, TDateTime& out) {
  int h, mi = 0, s = 0, ms = 0, dg;
  int ampm = -1;
  if (sc.Text(TimeAMString) || sc.Text("AM")) ampm = 0;
  else if (sc.Text(TimePMString) || sc.Text("PM")) ampm = 1;
  if (!sc.Number(h, dg)) return false;
  if (sc.Char(TimeSeparator)) {
    if (!sc.Number(mi, dg)) return false;
    if (sc.Char(TimeSeparator)) {
      if (!sc.Number(s, dg)) return false;
      if (sc.Char(DecimalSeparator) && !sc.Number(ms, dg)) return false;
    }
  } else if (ampm < 0) {
    // a bare number is a time only with a marker
    std::size_t save = sc.i;
    if (!(sc.Text(TimeAMString) || sc.Text("AM") || sc.Text(TimePMString) || sc.Text("PM"))) return false;
    sc.i = save;
  }
  if (ampm < 0) {
    if (sc.Text(TimeAMString) || sc.Text("AM")) ampm = 0;
    else if (sc.Text(TimePMString) || sc.Text("PM")) ampm = 1;
  }
  if (ampm >= 0) {
    if (h == 0 || h > 12) return false;
    if (h == 12) h = 0;
    if (ampm == 1) h += 12;
  }
  return TryEncodeTime(static_cast<Word>(h), static_cast<Word>(mi), static_cast<Word>(s),
                       static_cast<Word>(ms), out);
}

}  // namespace

bool TryStrToDate(const AnsiString& S, TDateTime& Value) {
  Scanner sc{S};
  TDateTime d;
  if (!ScanDate(sc, d) || !sc.End()) return false;
  Value = d;
  return true;
}

bool TryStrToTime(const AnsiString& S, TDateTime& Value) {
  Scanner sc{S};
  TDateTime t;
  if (!ScanTime(sc, t) || !sc.End()) return false;
  Value = t;
  return true;
}

bool TryStrToDateTime(const AnsiString& S, TDateTime& Value) {
  Scanner sc{S};
  TDateTime d = 0, t = 0;
  std::size_t start = sc.i;
  if (!ScanDate(sc, d)) {
    sc.i = start;
    if (!ScanTime(sc, t) || !sc.End()) return false;
    Value = t;
    return true;
  }
  if (!sc.End()) {
    if (!ScanTime(sc, t) || !sc.End()) return false;
  }
  Value = d >= 0 ? d + t : d - t;
  return true;
}

TDateTime StrToDate(const AnsiString& S) {
  TDateTime v;
  if (!TryStrToDate(S, v)) throw EConvertError(SInvalidDate, {S});
  return v;
}

TDateTime StrToTime(const AnsiString& S) {
  TDateTime v;
  if (!TryStrToTime(S, v)) throw EConvertError(SInvalidTime, {S});
  return v;
}

TDateTime StrToDateTime(const AnsiString& S) {
  TDateTime v;
  if (!TryStrToDateTime(S, v)) throw EConvertError(SInvalidDateTime, {S});
  return v;
}
