// FILETIME (100 ns ticks since 1601-01-01 UTC), SYSTEMTIME, DOS date and time, clocks.
#include <sched.h>
#include <unistd.h>
#include <time.h>

#include <cerrno>

#include "internal/modules.h"
#include "kernel/kernel_internal.h"

namespace winplat::kernel {
namespace {

constexpr int64_t kTicksPerSecond = 10000000LL;
constexpr int64_t kTicksPerDay = 86400LL * kTicksPerSecond;
constexpr int64_t kDays1601To1970 = 134774;

// Days since 1970-01-01 for a proleptic Gregorian date (H. Hinnant's algorithm).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int64_t* y, unsigned* m, unsigned* d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  *d = doy - (153 * mp + 2) / 5 + 1;
  *m = mp < 10 ? mp + 3 : mp - 9;
  *y = static_cast<int64_t>(yoe) + era * 400 + (*m <= 2);
}

bool IsLeap(unsigned y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

unsigned DaysInMonth(unsigned y, unsigned m) {
  static const unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

bool TicksToSystemTime(uint64_t ticks, SYSTEMTIME* st) {
  if (ticks >= 0x8000000000000000ull) return false;
  const int64_t days = static_cast<int64_t>(ticks / kTicksPerDay);
  int64_t rem = static_cast<int64_t>(ticks % kTicksPerDay);
  int64_t y;
  unsigned m, d;
  CivilFromDays(days - kDays1601To1970, &y, &m, &d);
  st->wYear = static_cast<WORD>(y);
  st->wMonth = static_cast<WORD>(m);
  st->wDay = static_cast<WORD>(d);
  st->wDayOfWeek = static_cast<WORD>((days + 1) % 7);  // 1601-01-01 was a Monday
  st->wHour = static_cast<WORD>(rem / (3600 * kTicksPerSecond));
  rem %= 3600 * kTicksPerSecond;
  st->wMinute = static_cast<WORD>(rem / (60 * kTicksPerSecond));
  rem %= 60 * kTicksPerSecond;
  st->wSecond = static_cast<WORD>(rem / kTicksPerSecond);
  st->wMilliseconds = static_cast<WORD>((rem % kTicksPerSecond) / 10000);
  return true;
}

bool SystemTimeToTicks(const SYSTEMTIME& st, uint64_t* ticks) {
  if (st.wYear < 1601 || st.wYear > 30827 || st.wMonth < 1 || st.wMonth > 12 || st.wDay < 1 ||
      st.wDay > DaysInMonth(st.wYear, st.wMonth) || st.wHour > 23 || st.wMinute > 59 || st.wSecond > 59 ||
      st.wMilliseconds > 999)
    return false;
  const int64_t days = DaysFromCivil(st.wYear, st.wMonth, st.wDay) + kDays1601To1970;
  *ticks = static_cast<uint64_t>(days * kTicksPerDay +
                                 ((st.wHour * 60 + st.wMinute) * 60 + st.wSecond) * kTicksPerSecond +
                                 st.wMilliseconds * 10000LL);
  return true;
}

// Offset of local time from UTC, in seconds, at the given UTC moment (the zone's rule for that
// date, daylight saving included).
int64_t LocalOffsetAt(int64_t unixSeconds) {
  time_t t = static_cast<time_t>(unixSeconds);
  struct tm tm;
  if (!localtime_r(&t, &tm)) return 0;
  return tm.tm_gmtoff;
}

int64_t UnixSecondsOf(uint64_t ticks) {
  return static_cast<int64_t>(ticks / kTicksPerSecond) - 11644473600LL;
}

uint64_t NowTicks() {
  timespec ts;
  clock_gettime(CLOCK_REALTIME, &ts);
  return Ticks(ToFileTime(ts));
}

}  // namespace
}  // namespace winplat::kernel

using namespace winplat;
using namespace winplat::kernel;

BOOL WINAPI FileTimeToSystemTime(const FILETIME* ft, LPSYSTEMTIME st) {
  if (!ft || !st || !TicksToSystemTime(Ticks(*ft), st)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return TRUE;
}

BOOL WINAPI SystemTimeToFileTime(const SYSTEMTIME* st, LPFILETIME ft) {
  uint64_t t;
  if (!st || !ft || !SystemTimeToTicks(*st, &t)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *ft = FromTicks(t);
  return TRUE;
}

BOOL WINAPI FileTimeToLocalFileTime(const FILETIME* ft, LPFILETIME local) {
  if (!ft || !local) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const uint64_t t = Ticks(*ft);
  const int64_t off = LocalOffsetAt(UnixSecondsOf(t)) * 10000000LL;
  const int64_t r = static_cast<int64_t>(t) + off;
  if (r < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *local = FromTicks(static_cast<uint64_t>(r));
  return TRUE;
}

BOOL WINAPI LocalFileTimeToFileTime(const FILETIME* local, LPFILETIME ft) {
  if (!local || !ft) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const uint64_t t = Ticks(*local);
  const int64_t guess = LocalOffsetAt(UnixSecondsOf(t));
  const int64_t off = LocalOffsetAt(UnixSecondsOf(t) - guess);
  const int64_t r = static_cast<int64_t>(t) - off * 10000000LL;
  if (r < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *ft = FromTicks(static_cast<uint64_t>(r));
  return TRUE;
}

// Seconds are kept in two-second steps; an odd second is cut to the even one below.
BOOL WINAPI FileTimeToDosDateTime(const FILETIME* ft, LPWORD date, LPWORD time) {
  SYSTEMTIME st;
  if (!ft || !date || !time || !TicksToSystemTime(Ticks(*ft), &st) || st.wYear < 1980 || st.wYear > 2107) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *date = static_cast<WORD>(((st.wYear - 1980) << 9) | (st.wMonth << 5) | st.wDay);
  *time = static_cast<WORD>((st.wHour << 11) | (st.wMinute << 5) | (st.wSecond / 2));
  return TRUE;
}

BOOL WINAPI DosDateTimeToFileTime(WORD date, WORD time, LPFILETIME ft) {
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(1980 + (date >> 9));
  st.wMonth = static_cast<WORD>((date >> 5) & 15);
  st.wDay = static_cast<WORD>(date & 31);
  st.wHour = static_cast<WORD>(time >> 11);
  st.wMinute = static_cast<WORD>((time >> 5) & 63);
  st.wSecond = static_cast<WORD>((time & 31) * 2);
  uint64_t t;
  if (!ft || !SystemTimeToTicks(st, &t)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *ft = FromTicks(t);
  return TRUE;
}

LONG WINAPI CompareFileTime(const FILETIME* a, const FILETIME* b) {
  if (!a || !b) return 0;
  const uint64_t x = Ticks(*a), y = Ticks(*b);
  return x < y ? -1 : x > y ? 1 : 0;
}

void WINAPI GetSystemTimeAsFileTime(LPFILETIME ft) {
  if (ft) *ft = FromTicks(NowTicks());
}

void WINAPI GetSystemTime(LPSYSTEMTIME st) {
  if (st) TicksToSystemTime(NowTicks(), st);
}

void WINAPI GetLocalTime(LPSYSTEMTIME st) {
  if (!st) return;
  FILETIME now = FromTicks(NowTicks()), local;
  FileTimeToLocalFileTime(&now, &local);
  TicksToSystemTime(Ticks(local), st);
}

ULONGLONG WINAPI GetTickCount64() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<ULONGLONG>(ts.tv_sec) * 1000ull + static_cast<ULONGLONG>(ts.tv_nsec) / 1000000ull;
}

DWORD WINAPI GetTickCount() { return static_cast<DWORD>(GetTickCount64()); }

void WINAPI Sleep(DWORD ms) {
  if (ms == 0) {
    sched_yield();
    return;
  }
  if (ms == INFINITE) {
    for (;;) pause();
  }
  timespec ts{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
  while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
  }
}

BOOL WINAPI QueryPerformanceCounter(LARGE_INTEGER* count) {
  if (!count) return FALSE;
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  count->QuadPart = static_cast<LONGLONG>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
  return TRUE;
}

BOOL WINAPI QueryPerformanceFrequency(LARGE_INTEGER* freq) {
  if (!freq) return FALSE;
  freq->QuadPart = 1000000000LL;
  return TRUE;
}

VSE_EXPORT("kernel32.dll", FileTimeToSystemTime);
VSE_EXPORT("kernel32.dll", SystemTimeToFileTime);
VSE_EXPORT("kernel32.dll", FileTimeToLocalFileTime);
VSE_EXPORT("kernel32.dll", LocalFileTimeToFileTime);
VSE_EXPORT("kernel32.dll", FileTimeToDosDateTime);
VSE_EXPORT("kernel32.dll", DosDateTimeToFileTime);
VSE_EXPORT("kernel32.dll", CompareFileTime);
VSE_EXPORT("kernel32.dll", GetSystemTimeAsFileTime);
VSE_EXPORT("kernel32.dll", GetSystemTime);
VSE_EXPORT("kernel32.dll", GetLocalTime);
VSE_EXPORT("kernel32.dll", GetTickCount);
VSE_EXPORT("kernel32.dll", GetTickCount64);
VSE_EXPORT("kernel32.dll", Sleep);
VSE_EXPORT("kernel32.dll", QueryPerformanceCounter);
VSE_EXPORT("kernel32.dll", QueryPerformanceFrequency);
