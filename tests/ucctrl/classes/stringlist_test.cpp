// TUcStringList: text splitting, growth, index errors, events, sorting and duplicates, the
// ANSI view and assignment.
#include <gtest/gtest.h>

#include "support.h"
#include "UcSystem.h"
#include "UcWideStrUtils.h"

namespace {

using Strings = std::vector<std::u16string>;

std::string MessageOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const EStringListError& e) {
    return e.what();
  }
  return "(no error)";
}

TEST(UcStringList, LineBreaks) {
  struct Case { std::u16string text; Strings lines; };
  const Case cases[] = {
      {u"a\r\nb\rc\nd\u2028e", {u"a", u"b", u"c", u"d", u"e"}},
      {u"a\r\n\u2028b", {u"a", u"b"}},     // CR LF then U+2028: one break
      {u"a\n\rb", {u"a", u"", u"b"}},      // LF then CR: an empty line between
      {u"a\r\n", {u"a"}},                  // a final break adds no line
      {u"\r\n", {u""}},
      {u"", {}},
      {std::u16string(u"a\nb\0c\nd", 7), {u"a", u"b"}},  // a NUL ends the text
  };
  for (const auto& c : cases) {
    TUcStringList list;
    list.SetTextStr(c.text);
    EXPECT_EQ(Lines(list), c.lines);
  }
  TUcStringList list;
  EXPECT_EQ(list.GetTextStr(), u"");
  list.Add(u"");
  EXPECT_EQ(list.GetTextStr(), u"\r\n");
  list.SetText(u"x\ny");
  EXPECT_EQ(list.Text(), u"x\r\ny\r\n");
  PWideChar copy = list.GetText();
  EXPECT_EQ(std::u16string(copy), u"x\r\ny\r\n");
  WideBufFree(copy);
}

TEST(UcStringList, GrowthAndCapacity) {
  TUcStringList list;
  std::vector<int> capacities;
  for (int i = 0; i < 77; ++i) {
    list.Add(u"s");
    if (capacities.empty() || capacities.back() != list.Capacity()) capacities.push_back(list.Capacity());
  }
  EXPECT_EQ(capacities, (std::vector<int>{4, 8, 12, 28, 44, 60, 76, 95}));
  EXPECT_EQ(MessageOf([&] { list.SetCapacity(10); }), "リストの容量が範囲を超えています (10)");
  EXPECT_EQ(list.Count(), 77);
  list.SetCapacity(77);
  EXPECT_EQ(list.Get(76), u"s");
  list.Clear();
  EXPECT_EQ(list.Capacity(), 0);
}

TEST(UcStringList, IndexErrorsNameTheOffendingIndex) {
  TUcStringList list;
  list.SetTextStr(u"a\nb\nc");
  EXPECT_EQ(MessageOf([&] { list.Exchange(5, 0); }), "リストのインデックスが範囲を超えています (5)");
  EXPECT_EQ(MessageOf([&] { list.Exchange(0, 7); }), "リストのインデックスが範囲を超えています (7)");
  EXPECT_EQ(MessageOf([&] { list.Get(3); }), "リストのインデックスが範囲を超えています (3)");
  EXPECT_EQ(MessageOf([&] { list.Delete(-1); }), "リストのインデックスが範囲を超えています (-1)");
  EXPECT_EQ(MessageOf([&] { list.Insert(4, u"x"); }), "リストのインデックスが範囲を超えています (4)");
  EXPECT_EQ(MessageOf([&] { list.PutObject(3, nullptr); }), "リストのインデックスが範囲を超えています (3)");
  EXPECT_EQ(Lines(list), (Strings{u"a", u"b", u"c"}));
  list.Insert(3, u"d");  // Count itself is a place to insert
  list.Exchange(0, 3);
  list.Move(1, 2);
  EXPECT_EQ(Lines(list), (Strings{u"d", u"c", u"b", u"a"}));
}

TEST(UcStringList, UpdatesFireOneChange) {
  TUcStringList list;
  int changes = 0, changings = 0;
  list.OnChange = [&](TObject*) { ++changes; };
  list.OnChanging = [&](TObject*) { ++changings; };
  list.Add(u"a");
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(changings, 1);
  changes = changings = 0;
  list.BeginUpdate();
  EXPECT_EQ(changes + changings, 0);  // BeginUpdate fires nothing
  list.BeginUpdate();
  list.Add(u"b");
  list.Delete(0);
  list.SetTextStr(u"x\ny");
  list.EndUpdate();
  EXPECT_EQ(changes + changings, 0);
  list.EndUpdate();
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(changings, 0);
  // An error inside an update still ends it.
  changes = 0;
  try {
    list.BeginUpdate();
    list.Get(9);
  } catch (const EStringListError&) {
    list.EndUpdate();
  }
  list.Add(u"z");
  EXPECT_EQ(changes, 2);
}

TEST(UcStringList, SortFindAndDuplicates) {
  TUcStringList list;
  list.SetTextStr(u"cherry\nさくら\nApple\nbanana\nあさひ\nかわ\nDate");
  list.Sort();
  EXPECT_EQ(Lines(list), (Strings{u"Apple", u"banana", u"cherry", u"Date", u"あさひ", u"かわ", u"さくら"}));
  list.SetSorted(true);
  int index = -1;
  EXPECT_TRUE(list.Find(u"BANANA", index));  // case does not count
  EXPECT_EQ(index, 1);
  EXPECT_TRUE(list.Find(u"かわ", index));
  EXPECT_EQ(index, 5);
  EXPECT_FALSE(list.Find(u"coconut", index));
  EXPECT_EQ(index, 3);  // where it would go
  EXPECT_EQ(list.IndexOf(u"DATE"), 3);
  // Duplicates: ignored (the index of the one present), refused, or accepted.
  EXPECT_EQ(list.Add(u"APPLE"), 0);
  EXPECT_EQ(list.Count(), 7);
  list.SetDuplicates(dupError);
  EXPECT_EQ(MessageOf([&] { list.Add(u"apple"); }), "文字列リストは重複を許しません");
  list.SetDuplicates(dupAccept);
  list.Add(u"apple");
  EXPECT_EQ(list.Count(), 8);
  EXPECT_EQ(list.Add(u"coconut"), 4);
  // Full-width Latin compares without case as well.
  TUcStringList wide;
  wide.SetSorted(true);
  wide.Add(u"ａｂｃ");
  EXPECT_EQ(wide.IndexOf(u"ＡＢＣ"), 0);
}

TEST(UcStringList, CaseSensitiveLists) {
  TUcStringList list;
  list.SetCaseSensitive(true);
  list.SetSorted(true);
  list.SetDuplicates(dupError);
  list.Add(u"apple");
  list.Add(u"APPLE");  // another string now
  list.Add(u"delta");
  list.Add(u"bravo");
  EXPECT_EQ(list.Count(), 4);
  EXPECT_EQ(list.IndexOf(u"Apple"), -1);
  EXPECT_GE(list.IndexOf(u"APPLE"), 0);
  EXPECT_NE(list.IndexOf(u"APPLE"), list.IndexOf(u"apple"));
  // Changing the rule sorts again, so every string is still found.
  list.SetCaseSensitive(false);
  for (const auto& s : Lines(list)) EXPECT_GE(list.IndexOf(s), 0) << std::string(s.begin(), s.end());
  EXPECT_EQ(list.Get(list.Count() - 1), u"delta");
  TUcStringList unsorted;
  unsorted.SetTextStr(u"b\nB");
  EXPECT_EQ(unsorted.IndexOf(u"B"), 0);  // not case-sensitive: the first equal one
  unsorted.SetCaseSensitive(true);
  EXPECT_EQ(unsorted.IndexOf(u"B"), 1);
}

TEST(UcStringList, SortedListsRefusePositionalChanges) {
  TUcStringList list;
  list.SetTextStr(u"c\na\nb");
  list.SetSorted(true);  // sorts first
  EXPECT_EQ(Lines(list), (Strings{u"a", u"b", u"c"}));
  const std::string sortedError = "ソート済みのリストではこの操作は実行できません";
  EXPECT_EQ(MessageOf([&] { list.Insert(0, u"z"); }), sortedError);
  EXPECT_EQ(MessageOf([&] { list.Put(0, u"z"); }), sortedError);
  EXPECT_EQ(MessageOf([&] { list.Move(0, 2); }), sortedError);
  EXPECT_EQ(Lines(list), (Strings{u"a", u"b", u"c"}));
  list.Add(u"bb");
  EXPECT_EQ(Lines(list), (Strings{u"a", u"b", u"bb", u"c"}));
}

TEST(UcStringList, AssignAndAddStrings) {
  TUcStringList list;
  list.SetTextStr(u"a\nb");
  TObject marker;
  list.PutObject(1, &marker);
  list.Assign(&list);  // itself: nothing changes
  EXPECT_EQ(Lines(list), (Strings{u"a", u"b"}));
  list.AddStrings(&list);  // the source count is taken first
  EXPECT_EQ(Lines(list), (Strings{u"a", u"b", u"a", u"b"}));
  EXPECT_EQ(list.GetObject(3), &marker);
  EXPECT_EQ(list.IndexOfObject(&marker), 1);

  TUcStringList copy;
  list.SetDelimiter(u';');
  copy.Assign(&list);
  EXPECT_TRUE(copy.Equals(&list));
  EXPECT_EQ(copy.Delimiter(), u';');
  EXPECT_EQ(copy.QuoteChar(), u'"');

  TStringList ansi;
  ansi.Add("日本語");
  ansi.Add("x");
  ansi.SetQuoteChar('\'');
  copy.Assign(&ansi);
  EXPECT_EQ(Lines(copy), (Strings{u"日本語", u"x"}));
  EXPECT_EQ(copy.QuoteChar(), u'\'');
  TStringList back;
  copy.Put(1, u"\u0E01");  // outside the ANSI code page
  back.Assign(&copy);      // AssignTo a framework list
  EXPECT_EQ(back.Count(), 2);
  EXPECT_EQ(back.Strings(0), "日本語");
  EXPECT_EQ(back.Strings(1), "?");
  EXPECT_EQ(back.QuoteChar(), '\'');
}

TEST(UcStringList, NamesAndValues) {
  TUcStringList list;
  list.SetTextStr(u"=lead\nkey=value\nbare\n色=黒");
  EXPECT_EQ(list.IndexOfName(u"KEY"), 1);
  EXPECT_EQ(list.IndexOfName(u""), 0);  // "=lead" has the empty name
  EXPECT_EQ(list.IndexOfName(u"bare"), -1);
  EXPECT_EQ(list.Names(2), u"");
  EXPECT_EQ(list.Values(u"色"), u"黒");
}

TEST(UcAnsiAdapter, ViewsTheWideListInACodePage) {
  TUcStringList list;
  list.SetTextStr(u"日本\nabc");
  TAnsiStringsForWideStringsAdapter* ansi = list.AnsiStrings();
  EXPECT_EQ(ansi->Count(), 2);
  EXPECT_EQ(ansi->Strings(0), "日本");
  ansi->Add("表示");
  EXPECT_EQ(list.Get(2), u"表示");
  TStringList source;
  source.Add("一");
  source.Add("二");
  list.SetAnsiStrings(&source);
  EXPECT_EQ(Lines(list), (Strings{u"一", u"二"}));

  TAnsiStringsForWideStringsAdapter utf8(&list, 65001);
  EXPECT_EQ(utf8.Strings(0), "\xE4\xB8\x80");
  TMemoryStream out;
  utf8.SaveToStreamEx(&out, 932);  // no mark
  EXPECT_EQ(std::string(static_cast<const char*>(out.Memory()), static_cast<size_t>(out.Size())), "一\r\n二\r\n");
  TStringStream in("\xE7\x99\xBD\r\n\xE9\xBB\x92");
  utf8.LoadFromStreamEx(&in, 65001);
  EXPECT_EQ(Lines(list), (Strings{u"白", u"黒"}));
}

}  // namespace
