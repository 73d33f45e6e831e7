// Dates and times in the Japanese locale's formats.
#include <gtest/gtest.h>

#include "SysUtils.h"

namespace {

TEST(DateTime, EncodeDecodeRoundTrip) {
  struct Case { Word y, m, d; double serial; int dow; };
  const Case cases[] = {
      {1899, 12, 30, 0, 7},      {1899, 12, 31, 1, 1},   {1900, 1, 1, 2, 2},
      {2000, 2, 29, 36585, 3},   {2026, 12, 10, 46366, 5}, {1, 1, 1, -693593, 2},
      {9999, 12, 31, 2958465, 6}, {1800, 3, 1, -36463, 7},
  };
  for (const auto& c : cases) {
    TDateTime d = EncodeDate(c.y, c.m, c.d);
    EXPECT_EQ(d, c.serial) << c.y << "-" << c.m << "-" << c.d;
    Word y, m, dd;
    DecodeDate(d, y, m, dd);
    EXPECT_EQ(y, c.y);
    EXPECT_EQ(m, c.m);
    EXPECT_EQ(dd, c.d);
    EXPECT_EQ(DayOfWeek(d), c.dow) << c.y << "-" << c.m << "-" << c.d;
    EXPECT_EQ(DayOfWeek(d >= 0 ? d + 0.75 : d - 0.75), c.dow);  // 18:00 of the same day
  }
  EXPECT_THROW(EncodeDate(2023, 2, 29), EConvertError);
  EXPECT_THROW(EncodeDate(2024, 13, 1), EConvertError);
  EXPECT_THROW(EncodeDate(0, 1, 1), EConvertError);
  EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
  EXPECT_TRUE(IsLeapYear(2000));
  EXPECT_FALSE(IsLeapYear(1900));
}

TEST(DateTime, TimeDecodingRoundsToTheMillisecond) {
  Word h, n, s, ms;
  DecodeTime(EncodeTime(8, 5, 3, 999), h, n, s, ms);
  EXPECT_EQ((std::vector<int>{h, n, s, ms}), (std::vector<int>{8, 5, 3, 999}));
  // A hair before midnight is the next day at 0:00:00.000.
  TDateTime almost = EncodeDate(2026, 12, 10) + 0.9999999999;
  Word y, m, d;
  DecodeDate(almost, y, m, d);
  DecodeTime(almost, h, n, s, ms);
  EXPECT_EQ(d, 11);
  EXPECT_EQ(h + n + s + ms, 0);
  // Before 1899-12-30 the time part counts forward from the day's start.
  DecodeTime(-1.25, h, n, s, ms);
  EXPECT_EQ(h, 6);
  DecodeDate(-1.25, y, m, d);
  EXPECT_EQ(d, 29);
}

TEST(DateTime, JapaneseTextForms) {
  TDateTime t = EncodeDate(2026, 12, 10) + EncodeTime(8, 5, 3, 0);
  EXPECT_EQ(DateTimeToStr(t), "2026/12/10 8:05:03");
  EXPECT_EQ(DateTimeToStr(EncodeDate(2026, 1, 2)), "2026/01/02");  // midnight: no time
  EXPECT_EQ(DateToStr(t), "2026/12/10");
  EXPECT_EQ(TimeToStr(t), "8:05:03");
  EXPECT_EQ(DateTimeToStr(EncodeDate(2026, 12, 10) + EncodeTime(23, 59, 59, 0)), "2026/12/10 23:59:59");

  struct Case { const char* fmt; const char* expected; };
  const Case cases[] = {
      {"yyyy-mm-dd hh:nn:ss.zzz", "2026-12-10 08:05:03.000"},
      {"yy/m/d", "26/12/10"},
      {"h:mm", "8:05"},  // m after h is minutes
      {"ddd dddd", "木 木曜日"},
      {"mmm mmmm", "12月 12月"},
      {"dddddd", "2026年12月10日"},
      {"ddddd t", "2026/12/10 8:05"},
      {"hh:nn am/pm", "08:05 am"},
      {"h ampm", "8 午前"},
      {"'y'yyyy\"m\"", "y2026m"},
      {"yyyy年m月d日(ddd)", "2026年12月10日(木)"},
      {"c", "2026/12/10 8:05:03"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatDateTime(c.fmt, t), c.expected) << c.fmt;
  EXPECT_EQ(FormatDateTime("h:nn a/p", EncodeTime(13, 0, 0, 0)), "1:00 p");
  EXPECT_EQ(FormatDateTime("hh ampm", EncodeTime(0, 0, 0, 0)), "12 午前");
}

TEST(DateTime, BoardTitleFromDateTimeToStr) {
  // The default board title replaces every "/" and ":".
  AnsiString title = DateTimeToStr(EncodeDate(2026, 12, 10) + EncodeTime(8, 5, 3, 0));
  title = StringReplace(title, "/", "-", {rfReplaceAll});
  title = StringReplace(title, ":", "-", {rfReplaceAll});
  EXPECT_EQ(title, "2026-12-10 8-05-03");
}

TEST(DateTime, ParsingDatesAndTimes) {
  EXPECT_EQ(StrToDate("2026/12/10"), EncodeDate(2026, 12, 10));
  EXPECT_EQ(StrToDate(" 2026/1/2 "), EncodeDate(2026, 1, 2));
  EXPECT_DOUBLE_EQ(StrToTime("8:05:03"), EncodeTime(8, 5, 3, 0));
  EXPECT_DOUBLE_EQ(StrToTime("8:05"), EncodeTime(8, 5, 0, 0));
  EXPECT_DOUBLE_EQ(StrToTime("午後 1:30"), EncodeTime(13, 30, 0, 0));
  EXPECT_DOUBLE_EQ(StrToDateTime("2026/12/10 8:05:03"),
                   EncodeDate(2026, 12, 10) + EncodeTime(8, 5, 3, 0));
  TDateTime v;
  EXPECT_FALSE(TryStrToDate("2026/02/30", v));
  EXPECT_FALSE(TryStrToDate("abc", v));
  EXPECT_FALSE(TryStrToTime("25:00", v));
  EXPECT_THROW(StrToDate("2026-12-10"), EConvertError);
  // Round trip of the written forms.
  TDateTime t = EncodeDate(2001, 9, 8) + EncodeTime(7, 6, 5, 0);
  EXPECT_DOUBLE_EQ(StrToDateTime(DateTimeToStr(t)), t);
}

TEST(DateTime, IncMonthKeepsTheDayInRange) {
  EXPECT_EQ(IncMonth(EncodeDate(2024, 1, 31), 1), EncodeDate(2024, 2, 29));
  EXPECT_EQ(IncMonth(EncodeDate(2024, 3, 15), -3), EncodeDate(2023, 12, 15));
  EXPECT_EQ(DaysInAMonth(2023, 2), 28);
}

}  // namespace
