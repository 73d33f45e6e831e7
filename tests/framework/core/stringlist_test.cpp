// TStrings and TStringList.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>
#include "Classes.h"

namespace {

std::vector<AnsiString> Items(TStrings& l) {
  std::vector<AnsiString> v;
  for (int i = 0; i < l.Count(); ++i) v.push_back(l.Strings(i));
  return v;
}

using V = std::vector<AnsiString>;

TEST(StringList, SortedIgnoresCaseAndDuplicates) {
  TStringList l;
  l.SetSorted(true);
  for (const char* s : {"banana", "Apple", "cherry", "apple", "BANANA", "date"}) l.Add(s);
  EXPECT_EQ(Items(l), (V{"Apple", "banana", "cherry", "date"}));  // dupIgnore keeps the first
  int i = -1;
  EXPECT_TRUE(l.Find("CHERRY", i));
  EXPECT_EQ(i, 2);
  EXPECT_FALSE(l.Find("coconut", i));
  EXPECT_EQ(i, 3);  // where it would go
  EXPECT_EQ(l.IndexOf("DATE"), 3);
  EXPECT_EQ(l.IndexOf("fig"), -1);
  EXPECT_EQ(l.Add("APPLE"), 0);  // the existing index
  // Positional changes would break the order.
  EXPECT_THROW(l.Insert(0, "x"), EStringListError);
  EXPECT_THROW(l.SetStrings(0, "x"), EStringListError);
}

TEST(StringList, DuplicatesErrorAndAccept) {
  TStringList l;
  l.SetSorted(true);
  l.SetDuplicates(dupError);
  l.Add("a");
  try {
    l.Add("A");
    FAIL();
  } catch (const EStringListError& e) {
    EXPECT_EQ(e.Message(), "文字列リストは重複を許しません");
  }
  l.SetDuplicates(dupAccept);
  l.Add("A");
  l.Add("a");
  EXPECT_EQ(l.Count(), 3);
  int i;
  EXPECT_TRUE(l.Find("a", i));
  EXPECT_EQ(i, 0);  // the first of equal items
}

TEST(StringList, SettingSortedSortsAndCaseSensitiveResorts) {
  TStringList l;
  for (const char* s : {"b", "B", "a", "C", "c"}) l.Add(s);
  l.SetCaseSensitive(true);
  l.SetSorted(true);
  // The platform's case-sensitive order puts "a" before "b" whatever the case.
  for (int k = 1; k < l.Count(); ++k) EXPECT_LE(AnsiCompareStr(l.Strings(k - 1), l.Strings(k)), 0);
  int i;
  EXPECT_TRUE(l.Find("B", i));
  EXPECT_EQ(l.Strings(i), "B");
  l.SetCaseSensitive(false);  // sorted again for the new comparison
  for (int k = 1; k < l.Count(); ++k) EXPECT_LE(AnsiCompareText(l.Strings(k - 1), l.Strings(k)), 0);
  EXPECT_TRUE(l.Find("b", i));
}

TEST(StringList, SortIsLogLinearAndLookupLogarithmic) {
  TStringList l;
  const int n = 20000;
  for (int i = 0; i < n; ++i) l.Add(IntToStr((i * 7919) % n));
  int compares = 0;
  l.CustomSort([&](TStringList* list, int a, int b) {
    ++compares;
    return CompareStr(list->Strings(a), list->Strings(b));
  });
  EXPECT_LT(compares, 40 * n);  // n log n is about 15 n here; n^2 would be 20000 n
  for (int k = 1; k < n; ++k) ASSERT_LE(CompareStr(l.Strings(k - 1), l.Strings(k)), 0);
}

TEST(StringList, SortedAddOfTheProgramsNames) {
  // A case-insensitive, duplicate-free list of file names, as packing builds it.
  TStringList l;
  l.SetSorted(true);
  l.SetDuplicates(dupIgnore);
  for (const char* s : {"2.bmp", "1.dat", "1.BMP", "1.bmp", "10.bmp", "1g.bmp"}) l.Add(s);
  EXPECT_EQ(Items(l), (V{"1.BMP", "1.dat", "10.bmp", "1g.bmp", "2.bmp"}));
}

TEST(StringList, NamesAndValues) {
  TStringList l;
  l.Add("r=255");
  l.Add("bmp=chalk1.bmp");
  l.Add("noequals");
  l.Add("=empty");
  l.Add("Key=a=b");
  EXPECT_EQ(l.Names(0), "r");
  EXPECT_EQ(l.Names(2), "");
  EXPECT_EQ(l.Values("R"), "255");
  EXPECT_EQ(l.Values("key"), "a=b");
  EXPECT_EQ(l.Values("missing"), "");
  EXPECT_EQ(l.IndexOfName("BMP"), 1);
  EXPECT_EQ(l.IndexOfName("noequals"), -1);
  EXPECT_EQ(l.ValueFromIndex(4), "a=b");
  l.SetValues("r", "0");
  EXPECT_EQ(l.Strings(0), "r=0");
  l.SetValues("g", "7");
  EXPECT_EQ(l.Strings(5), "g=7");
  l.SetValues("bmp", "");
  EXPECT_EQ(l.IndexOfName("bmp"), -1);
  EXPECT_EQ(l.Count(), 5);
}

TEST(StringList, TextSplitsAtAnyLineBreak) {
  TStringList l;
  l.SetText("a\r\nb\nc\rd\r\n\r\ne");
  EXPECT_EQ(Items(l), (V{"a", "b", "c", "d", "", "e"}));
  EXPECT_EQ(l.Text(), "a\r\nb\r\nc\r\nd\r\n\r\ne\r\n");
  l.SetText("x\r\n");
  EXPECT_EQ(Items(l), (V{"x"}));
  l.SetText(AnsiString("one\0two", 7));  // a NUL ends the text
  EXPECT_EQ(Items(l), (V{"one"}));
  l.SetText("");
  EXPECT_EQ(l.Count(), 0);
  EXPECT_EQ(l.Text(), "");
}

TEST(StringList, CommaAndDelimitedText) {
  TStringList l;
  l.SetCommaText("a, \"b c\",,\"d\"\"e\" , f g,");
  EXPECT_EQ(Items(l), (V{"a", "b c", "", "d\"e", "f", "g", ""}));
  l.Clear();
  for (const char* s : {"plain", "with space", "quo\"te", "", "com,ma"}) l.Add(s);
  EXPECT_EQ(l.CommaText(), "plain,\"with space\",\"quo\"\"te\",,\"com,ma\"");
  TStringList back;
  back.SetCommaText(l.CommaText());
  EXPECT_TRUE(back.Equals(&l));
  l.Clear();
  l.Add("");
  EXPECT_EQ(l.CommaText(), "\"\"");
  // A "|" delimiter is not found inside "ポ" (83 7C).
  TStringList d;
  d.SetDelimiter('|');
  d.SetDelimitedText("ポ|x");
  EXPECT_EQ(Items(d), (V{"ポ", "x"}));
  EXPECT_EQ(d.DelimitedText(), "ポ|x");
}

TEST(StringList, ObjectsExchangeMoveAndErrors) {
  TStringList l;
  TObject o1, o2;
  l.AddObject("one", &o1);
  l.AddObject("two", &o2);
  l.Add("three");
  EXPECT_EQ(l.IndexOfObject(&o2), 1);
  l.Exchange(0, 1);
  EXPECT_EQ(l.Strings(0), "two");
  EXPECT_EQ(l.Objects(0), &o2);
  l.Move(0, 2);
  EXPECT_EQ(Items(l), (V{"one", "three", "two"}));
  EXPECT_EQ(l.Objects(2), &o2);
  try {
    l.Strings(3);
    FAIL();
  } catch (const EStringListError& e) {
    EXPECT_EQ(e.Message(), "リストのインデックスが範囲を超えています (3)");
  }
  EXPECT_THROW(l.Delete(-1), EStringListError);
  EXPECT_THROW(l.Insert(4, "x"), EStringListError);
  EXPECT_THROW(l.SetCapacity(1), EStringListError);  // below the count would lose items
}

TEST(StringList, AssignAndAddStringsWithItself) {
  TStringList l;
  l.Add("a");
  l.Add("b");
  l.Assign(&l);
  EXPECT_EQ(Items(l), (V{"a", "b"}));
  l.AddStrings(&l);
  EXPECT_EQ(Items(l), (V{"a", "b", "a", "b"}));
  TStringList other;
  other.SetDelimiter(';');
  other.Add("z");
  l.Assign(&other);
  EXPECT_EQ(Items(l), (V{"z"}));
  EXPECT_EQ(l.Delimiter(), ';');
}

TEST(StringList, ChangeEventsFollowUpdates) {
  TStringList l;
  int changing = 0, changed = 0;
  l.OnChanging = [&](TObject*) { ++changing; };
  l.OnChange = [&](TObject*) { ++changed; };
  l.Add("a");
  EXPECT_EQ(changing, 1);
  EXPECT_EQ(changed, 1);
  l.BeginUpdate();
  l.Add("b");
  l.Add("c");
  EXPECT_EQ(changed, 1);
  l.EndUpdate();
  EXPECT_EQ(changed, 2);
  EXPECT_EQ(changing, 2);
  l.SetText("x\ny");
  EXPECT_EQ(changed, 3);
}

TEST(StringList, StreamsAsAnsiBytes) {
  TStringList l;
  l.Add("黒板");
  l.Add("line2");
  TMemoryStream m;
  l.SaveToStream(&m);
  EXPECT_EQ(m.Size(), static_cast<int64_t>(AnsiString("黒板\r\nline2\r\n").size()));
  m.SetPosition(0);
  TStringList back;
  back.LoadFromStream(&m);
  EXPECT_TRUE(back.Equals(&l));
}

}  // namespace
