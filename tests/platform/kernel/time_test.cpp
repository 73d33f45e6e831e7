#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "winbase.h"

namespace {
FILETIME Ft(WORD y, WORD mo, WORD d, WORD h, WORD mi, WORD s, WORD ms = 0) {
  SYSTEMTIME st{y, mo, 0, d, h, mi, s, ms};
  FILETIME ft{};
  EXPECT_TRUE(SystemTimeToFileTime(&st, &ft)) << y << "-" << mo << "-" << d;
  return ft;
}
uint64_t Ticks(const FILETIME& f) { return (uint64_t{f.dwHighDateTime} << 32) | f.dwLowDateTime; }
}  // namespace

TEST(FileTime, KnownPoints) {
  EXPECT_EQ(Ticks(Ft(1601, 1, 1, 0, 0, 0)), 0u);
  EXPECT_EQ(Ticks(Ft(1970, 1, 1, 0, 0, 0)), 116444736000000000ull);
  EXPECT_EQ(Ticks(Ft(2000, 2, 29, 23, 59, 59, 999)), 125963423999990000ull);
  SYSTEMTIME st;
  FILETIME ft = Ft(2024, 12, 10, 8, 30, 15, 250);
  ASSERT_TRUE(FileTimeToSystemTime(&ft, &st));
  EXPECT_EQ(st.wYear, 2024);
  EXPECT_EQ(st.wMonth, 12);
  EXPECT_EQ(st.wDay, 10);
  EXPECT_EQ(st.wDayOfWeek, 2);  // a Tuesday
  EXPECT_EQ(st.wHour, 8);
  EXPECT_EQ(st.wMinute, 30);
  EXPECT_EQ(st.wSecond, 15);
  EXPECT_EQ(st.wMilliseconds, 250);
  // Invalid fields are refused.
  for (SYSTEMTIME bad : {SYSTEMTIME{2023, 2, 0, 29, 0, 0, 0, 0}, SYSTEMTIME{2024, 13, 0, 1, 0, 0, 0, 0},
                         SYSTEMTIME{1600, 12, 0, 31, 0, 0, 0, 0}, SYSTEMTIME{2024, 1, 0, 1, 24, 0, 0, 0},
                         SYSTEMTIME{2024, 1, 0, 1, 0, 0, 60, 0}}) {
    FILETIME out;
    EXPECT_FALSE(SystemTimeToFileTime(&bad, &out));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  }
  FILETIME huge{0, 0x80000000u};
  EXPECT_FALSE(FileTimeToSystemTime(&huge, &st));
  FILETIME a = Ft(2020, 1, 1, 0, 0, 0), b = Ft(2020, 1, 1, 0, 0, 1);
  EXPECT_EQ(CompareFileTime(&a, &b), -1);
  EXPECT_EQ(CompareFileTime(&b, &a), 1);
  EXPECT_EQ(CompareFileTime(&a, &a), 0);
}

TEST(FileTime, DosDateTimeTable) {
  struct Case {
    WORD y, mo, d, h, mi, s;
    WORD date, time;  // expected DOS stamp
  };
  const Case cases[] = {
      {1980, 1, 1, 0, 0, 0, 0x0021, 0x0000},      // the lower bound
      {1980, 1, 1, 0, 0, 1, 0x0021, 0x0000},      // an odd second is cut to the even one
      {2107, 12, 31, 23, 59, 58, 0xFF9F, 0xBF7D}, // the upper bound
      {2107, 12, 31, 23, 59, 59, 0xFF9F, 0xBF7D},
      {2024, 3, 9, 14, 5, 37, 0x5869, 0x70B2},
      {2000, 2, 29, 12, 0, 0, 0x285D, 0x6000},
  };
  for (const Case& c : cases) {
    FILETIME ft = Ft(c.y, c.mo, c.d, c.h, c.mi, c.s, 500);
    WORD date = 0, time = 0;
    ASSERT_TRUE(FileTimeToDosDateTime(&ft, &date, &time)) << c.y;
    EXPECT_EQ(date, c.date) << c.y << "-" << c.mo << "-" << c.d;
    EXPECT_EQ(time, c.time) << c.h << ":" << c.mi << ":" << c.s;
    FILETIME back;
    ASSERT_TRUE(DosDateTimeToFileTime(date, time, &back));
    EXPECT_EQ(Ticks(back), Ticks(Ft(c.y, c.mo, c.d, c.h, c.mi, c.s - c.s % 2)));
  }
  // Outside 1980..2107 the conversion fails.
  WORD date, time;
  FILETIME before = Ft(1979, 12, 31, 23, 59, 59), after = Ft(2108, 1, 1, 0, 0, 0);
  EXPECT_FALSE(FileTimeToDosDateTime(&before, &date, &time));
  EXPECT_FALSE(FileTimeToDosDateTime(&after, &date, &time));
  // Stamps naming no date or time are refused.
  FILETIME out;
  EXPECT_FALSE(DosDateTimeToFileTime(0x0000, 0x0000, &out));  // month 0, day 0
  EXPECT_FALSE(DosDateTimeToFileTime(0x0021, 0xC000, &out));  // hour 24
  EXPECT_FALSE(DosDateTimeToFileTime(0x0021, 0x001E, &out));  // second 60
  EXPECT_TRUE(DosDateTimeToFileTime(0x005D, 0x0000, &out));   // 1980-02-29
  EXPECT_FALSE(DosDateTimeToFileTime(0x025D, 0x0000, &out));  // 1981-02-29
}

TEST(FileTime, LocalTimeFollowsTheZone) {
  const char* old = getenv("TZ");
  const std::string saved = old ? old : "";
  setenv("TZ", "JST-9", 1);
  tzset();
  FILETIME utc = Ft(2024, 1, 1, 0, 0, 0), local, back;
  ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &local));
  EXPECT_EQ(Ticks(local) - Ticks(utc), 9ull * 3600 * 10000000);
  ASSERT_TRUE(LocalFileTimeToFileTime(&local, &back));
  EXPECT_EQ(Ticks(back), Ticks(utc));
  if (old) setenv("TZ", saved.c_str(), 1); else unsetenv("TZ");
  tzset();
}

TEST(Clock, TicksAndCountersMoveForward) {
  const DWORD t0 = GetTickCount();
  const DWORD m0 = GetTickCount();
  LARGE_INTEGER f, c0, c1;
  ASSERT_TRUE(QueryPerformanceFrequency(&f));
  ASSERT_TRUE(QueryPerformanceCounter(&c0));
  Sleep(20);
  ASSERT_TRUE(QueryPerformanceCounter(&c1));
  EXPECT_GE(GetTickCount() - t0, 19u);
  EXPECT_GE(GetTickCount() - m0, 19u);
  EXPECT_GE((c1.QuadPart - c0.QuadPart) * 1000 / f.QuadPart, 19);
  SYSTEMTIME st;
  GetSystemTime(&st);
  EXPECT_GE(st.wYear, 2024);
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  EXPECT_NEAR(static_cast<double>((Ticks(now) - 116444736000000000ull) / 10000000ull),
              static_cast<double>(time(nullptr)), 2.0);
}

TEST(Arithmetic, MulDivRoundsHalfAwayFromZero) {
  struct Case {
    int a, b, c, r;
  };
  for (const Case& k : {Case{1, 1, 2, 1}, Case{-1, 1, 2, -1}, Case{3, 1, 2, 2}, Case{10, 255, 3, 850},
                        Case{7, 1, 3, 2}, Case{8, 1, 3, 3}, Case{1, -1, 3, 0}, Case{0x40000000, 4, 2, -1},
                        Case{0x40000000, 4, 4, 0x40000000}, Case{5, 5, 0, -1}, Case{-0x40000000, 2, 1, INT32_MIN}})
    EXPECT_EQ(MulDiv(k.a, k.b, k.c), k.r) << k.a << "*" << k.b << "/" << k.c;
}
