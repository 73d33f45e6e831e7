#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>

#include "TestClasses.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Bin(const std::string& text) { return ObjectTextToBinary(text); }
std::string Text(const Bytes& b) { return ObjectBinaryToText(b); }

Bytes FromStream(TMemoryStream& m) {
  const auto* p = static_cast<const uint8_t*>(m.Memory());
  return Bytes(p, p + m.Size());
}

void Load(TComponent* root, const Bytes& b) {
  TMemoryStream m;
  m.WriteBuffer(b.data(), static_cast<int32_t>(b.size()));
  m.SetPosition(0);
  ReadComponentFromStream(&m, root);
}

Bytes Save(TComponent* root, TComponent* ancestor = nullptr) {
  TMemoryStream m;
  WriteComponentToStream(&m, root, ancestor);
  return FromStream(m);
}

Bytes Res(const char* cls) {
  auto r = FindFormResource(cls);
  return Bytes(r.begin(), r.end());
}

// A stream holding one component with one property "P" whose value the function writes.
Bytes OneValue(const std::function<void(TWriter&)>& value) {
  TMemoryStream m;
  TWriter w(&m);
  w.WriteSignature();
  w.WriteStr("TThing");
  w.WriteStr("Thing");
  w.WriteStr("P");
  value(w);
  w.WriteListEnd();
  w.WriteListEnd();
  return FromStream(m);
}

struct ValueCase {
  const char* name;
  std::function<void(TWriter&)> write;
  const char* text;  // the value as the text form shows it
};

TEST(FormText, EveryValueTypeSurvivesBinaryToTextAndBack) {
  const ValueCase cases[] = {
      {"int8", [](TWriter& w) { w.WriteInteger(-5); }, "-5"},
      {"int16", [](TWriter& w) { w.WriteInteger(1000); }, "1000"},
      {"int32", [](TWriter& w) { w.WriteInteger(-70000); }, "-70000"},
      {"int64", [](TWriter& w) { w.WriteInteger(int64_t{1} << 40); }, "1099511627776"},
      {"extended", [](TWriter& w) { w.WriteFloat(1.25); }, "1.25"},
      {"extended tiny", [](TWriter& w) { w.WriteFloat(-4.9e-324); }, "-5e-324"},
      {"extended whole", [](TWriter& w) { w.WriteFloat(3); }, "3.0"},
      {"single", [](TWriter& w) { w.WriteSingle(0.5f); }, "0.5s"},
      {"currency", [](TWriter& w) { w.WriteCurrency(12.3456); }, "12.3456c"},
      {"currency extremes", [](TWriter& w) { w.WriteCurrencyUnits(INT64_MIN); }, "-922337203685477.5808c"},
      {"date", [](TWriter& w) { w.WriteDate(45000.5); }, "45000.5d"},
      {"string", [](TWriter& w) { w.WriteString("it's"); }, "'it''s'"},
      {"string controls", [](TWriter& w) { w.WriteString("a\r\nb"); }, "'a'#13#10'b'"},
      {"string ansi bytes", [](TWriter& w) { w.WriteString("\x8D\x95"); }, "#141#149"},
      {"empty string", [](TWriter& w) { w.WriteString(""); }, "''"},
      {"long string", [](TWriter& w) { w.WriteString(std::string(300, 'x')); }, nullptr},
      {"wide string", [](TWriter& w) { w.WriteWideString(u"黒板 ok"); }, "#40658#26495' ok'"},
      {"wide latin", [](TWriter& w) { w.WriteWideString(u"caf\u00E9\u0085"); }, "'caf\xC3\xA9\xC2\x85'"},
      {"wide surrogates", [](TWriter& w) { w.WriteWideString(u"\U0001F600"); }, "#55357#56832"},
      {"ident", [](TWriter& w) { w.WriteIdent("clRed"); }, "clRed"},
      {"false", [](TWriter& w) { w.WriteBoolean(false); }, "False"},
      {"true", [](TWriter& w) { w.WriteBoolean(true); }, "True"},
      {"nil", [](TWriter& w) { w.WriteIdent("nil"); }, "nil"},
      {"binary",
       [](TWriter& w) {
         w.WriteValue(vaBinary);
         const uint8_t d[] = {3, 0, 0, 0, 0xAB, 0x01, 0xFF};
         w.Write(d, sizeof d);
       },
       "{\n    AB01FF}"},
      {"set", [](TWriter& w) {
         w.WriteValue(vaSet);
         w.WriteStr("fsBold");
         w.WriteStr("fsItalic");
         w.WriteStr("");
       }, "[fsBold, fsItalic]"},
      {"empty set", [](TWriter& w) { w.WriteValue(vaSet); w.WriteStr(""); }, "[]"},
      {"list", [](TWriter& w) {
         w.WriteListBegin();
         w.WriteString("a");
         w.WriteListBegin();
         w.WriteInteger(1);
         w.WriteListEnd();
         w.WriteListEnd();
       }, nullptr},
      {"collection", [](TWriter& w) {
         w.WriteValue(vaCollection);
         w.WriteListBegin();
         w.WriteStr("Title");
         w.WriteString("x");
         w.WriteListEnd();
         w.WriteInteger(7);  // an item with its order value
         w.WriteListBegin();
         w.WriteListEnd();
         w.WriteListEnd();
       }, "<\n    item\n      Title = 'x'\n    end\n    item [7]\n    end>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes bin = OneValue(c.write);
    std::string text = Text(bin);
    if (c.text) {
      EXPECT_NE(text.find(std::string("P = ") + c.text + "\n"), std::string::npos) << text;
    }
    EXPECT_EQ(Bin(text), bin) << text;
  }
}

TEST(FormText, AsciiWideStringsAndUtf8StringsReadBackAsTheSameText) {
  // These come back as byte strings or wide strings, which every string reader accepts.
  Bytes wide = OneValue([](TWriter& w) { w.WriteWideString(u"plain"); });
  EXPECT_EQ(Bin(Text(wide)), OneValue([](TWriter& w) { w.WriteString("plain"); }));
  Bytes utf8 = OneValue([](TWriter& w) {
    w.WriteValue(vaUTF8String);
    std::string s = "\xE9\xBB\x92";  // U+9ED2
    uint32_t n = static_cast<uint32_t>(s.size());
    w.Write(&n, 4);
    w.Write(s.data(), static_cast<int32_t>(n));
  });
  EXPECT_EQ(Bin(Text(utf8)), OneValue([](TWriter& w) { w.WriteWideString(u"\u9ED2"); }));
}

TEST(FormText, ExtendedValuesAreTheTenByteFormat) {
  Bytes one = OneValue([](TWriter& w) { w.WriteFloat(1.0); });
  const uint8_t expect[] = {vaExtended, 0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F};
  ASSERT_GE(one.size(), sizeof expect + 2);
  EXPECT_EQ(0, std::memcmp(&one[one.size() - 2 - sizeof expect], expect, sizeof expect));
  for (double d : {0.0, -0.0, 1.0 / 3, -123456.789e200, 5e-324, 1.7976931348623157e308}) {
    TMemoryStream m;
    TWriter w(&m);
    w.WriteFloat(d);
    m.SetPosition(0);
    TReader r(&m);
    double back = static_cast<double>(r.ReadFloat());
    EXPECT_EQ(back, d);
    EXPECT_EQ(std::signbit(back), std::signbit(d));
  }
}

TEST(FormText, SyntaxErrorsNameTheLine) {
  const char* bad[] = {
      "object A: TA\n  X = \nend\n",
      "object A: TA\n  X = 'open\nend\n",
      "object A: TA\n  X = {ABC}\nend\n",
      "object A: TA\n  X = #70000\nend\n",
      "object A: TA\n  X = [a b]\nend\n",
      "object A: TA\n  X = 1\n",
      "thing A: TA\nend\n",
      "object A: TA\nend\nend\n",
  };
  for (const char* t : bad) {
    SCOPED_TRACE(t);
    EXPECT_THROW(Bin(t), EParserError);
  }
  try {
    Bin("object A: TA\n  X = 1\n  Y = )\nend\n");
    FAIL();
  } catch (const EParserError& e) {
    EXPECT_NE(e.Message().find("(3 "), std::string::npos) << e.Message();
  }
}

// ---------------------------------------------------------------------------------------------
TEST(PropertyRegistry, ListsBaseClassPropertiesFirstAndFindsNamesInAnyCase) {
  TTestRoot root(nullptr);
  auto props = GetPropList(&root);
  ASSERT_GE(props.size(), 3u);
  EXPECT_EQ(props[0]->Name, "Name");
  EXPECT_EQ(props[1]->Name, "Tag");
  EXPECT_EQ(props[2]->Name, "Caption");
  const TPropInfo* w = GetPropInfo(&root, "WIDTH");
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(w->HasDefault);
  EXPECT_EQ(w->Default, 100);
  EXPECT_EQ(GetPropInfo(&root, "Nothing"), nullptr);

  SetOrdProp(&root, "Width", 42);
  EXPECT_EQ(root.Width(), 42);
  SetWideStrProp(&root, "Caption", u"黒");
  EXPECT_EQ(GetWideStrProp(&root, "Caption"), u"黒");
  SetStrProp(&root, "Hint", "x");
  EXPECT_EQ(GetStrProp(&root, "Hint"), "x");
  const TPropInfo* align = GetPropInfo(&root, "Align");
  EXPECT_EQ(GetEnumName(align, 3), "taClient");
  EXPECT_EQ(GetEnumValue(align, "tatop"), 1);
  EXPECT_EQ(GetEnumValue(align, "taLeft"), -1);
  SetOrdProp(&root, align, taBottom);
  EXPECT_EQ(root.Align(), taBottom);

  const TPropInfo* hint = GetPropInfo(&root, "Hint");
  EXPECT_TRUE(IsStoredProp(&root, hint));
  root.SetHint("-");
  EXPECT_FALSE(IsStoredProp(&root, hint));
  EXPECT_FALSE(IsStoredProp(&root, GetPropInfo(&root, "Name")));
  EXPECT_THROW(GetOrdProp(&root, "Nothing"), EPropertyError);
  EXPECT_THROW(GetOrdProp(&root, hint), EPropertyError);
}

TEST(PropertyRegistry, ClassAndMethodRegistries) {
  EXPECT_NE(GetClass("ttestchild"), nullptr);
  EXPECT_EQ(GetClass("TTestNothing"), nullptr);
  EXPECT_THROW(FindClass("TTestNothing"), EClassNotFound);
  EXPECT_EQ(GetClass("TStrings"), nullptr);  // abstract: no factory
  EXPECT_TRUE(FindClassInfo("TTestDerived")->InheritsFrom(FindClassInfo("TComponent")));

  TTestDerived form(nullptr);
  // Methods are found along the class chain of the root.
  TMethod m = MethodOf(&form, "formcreate");
  ASSERT_TRUE(m.Assigned());
  EXPECT_EQ(m.Name(), "FormCreate");
  SetMethodProp(&form, GetPropInfo(&form, "OnCreate"), m);
  form.OnCreate(&form);
  EXPECT_EQ(form.created, 1);
  EXPECT_EQ(GetMethodProp(&form, GetPropInfo(&form, "OnCreate")).Name(), "FormCreate");
  // A handler of another signature does not fit.
  EXPECT_THROW(SetMethodProp(&form, GetPropInfo(&form, "OnCreate"), MethodOf(&form, "FormCloseQuery")),
               EPropertyError);
  SetMethodProp(&form, GetPropInfo(&form, "OnCloseQuery"), MethodOf(&form, "FormCloseQuery"));
  bool can = true;
  form.OnCloseQuery(&form, can);
  EXPECT_FALSE(can);
  // An event set by code is not a registered method and reads back as unassigned.
  form.OnCreate = [](TObject*) {};
  EXPECT_FALSE(GetMethodProp(&form, GetPropInfo(&form, "OnCreate")).Assigned());
}

// ---------------------------------------------------------------------------------------------
TEST(FormReading, AComponentTreeIsReadAndWrittenBackByteForByte) {
  Bytes res = Res("TTestRoot");
  ASSERT_FALSE(res.empty());
  TTestRoot root(nullptr);
  Load(&root, res);

  EXPECT_EQ(root.Name(), "TestRoot");
  EXPECT_EQ(root.Caption(), u"黒板 黒板");
  EXPECT_EQ(root.Hint(), "tip");
  EXPECT_EQ(root.Width(), 640);
  EXPECT_FALSE(root.Enabled());
  EXPECT_EQ(root.Align(), taClient);
  EXPECT_EQ(root.Options(), (TTestOptions{toTwo, toFour}));
  EXPECT_DOUBLE_EQ(root.Ratio(), 1.25);
  EXPECT_EQ(root.Font()->Charset(), 128);
  EXPECT_EQ(root.Font()->Color(), clRed);
  EXPECT_EQ(root.Font()->Height(), -12);
  EXPECT_EQ(root.Font()->Name(), "Tahoma");
  EXPECT_EQ(root.Font()->Style(), TFontStyles{fsBold});
  ASSERT_EQ(root.Items()->Count(), 2);
  EXPECT_EQ(root.Items()->Strings(1), "two");
  ASSERT_EQ(root.Columns()->Count(), 2);
  auto* col = static_cast<TTestItem*>(root.Columns()->Items(1));
  EXPECT_EQ(col->Title(), "second");
  EXPECT_EQ(col->Size(), 20);
  EXPECT_EQ(static_cast<TTestItem*>(root.Columns()->Items(0))->Size(), 10);

  // Children: owned by the root, inside their parents; the field, references and events set.
  ASSERT_EQ(root.ComponentCount(), 3);
  ASSERT_NE(root.Button1, nullptr);
  EXPECT_EQ(root.Button1, root.FindComponent("Button1"));
  auto* button2 = dynamic_cast<TTestChild*>(root.FindComponent("Button2"));
  auto* inner = dynamic_cast<TTestChild*>(root.FindComponent("Inner"));
  ASSERT_TRUE(button2 && inner);
  EXPECT_EQ(inner->Owner(), &root);
  EXPECT_EQ(inner->GetParentComponent(), root.Button1);
  ASSERT_EQ(root.Kids().size(), 2u);
  EXPECT_EQ(root.Button1->Buddy(), button2);  // a reference to a component read later
  EXPECT_EQ(root.Partner(), button2);
  root.OnCreate(&root);
  EXPECT_EQ(root.created, 1);
  root.Button1->OnClick(root.Button1);
  EXPECT_EQ(root.clicked, root.Button1);

  // Loaded once each, and no component is left loading.
  for (TComponent* c : {static_cast<TComponent*>(&root), static_cast<TComponent*>(root.Button1),
                        static_cast<TComponent*>(inner), static_cast<TComponent*>(button2)}) {
    EXPECT_EQ(dynamic_cast<TTestNode*>(c)->LoadedCount, 1) << c->Name();
    EXPECT_FALSE(c->ComponentState().Contains(csLoading));
    EXPECT_FALSE(c->ComponentState().Contains(csReading));
  }

  EXPECT_EQ(Save(&root), res) << Text(Save(&root));
}

TEST(FormReading, ReferencesToOtherFormsAndOtherValueKinds) {
  TTestRoot other(nullptr);
  other.SetName("Other");
  auto* target = new TTestChild(&other);
  target->SetName("Target");
  SetFindGlobalComponent([&](const AnsiString& n) -> TComponent* { return n == "Other" ? &other : nullptr; });
  TTestRoot root(nullptr);
  Load(&root, Bin("object R: TTestRoot\n  Big = 1099511627776\n  Mark = #40658\n  Partner = Other.Target\n"
                  "  object B: TTestChild\n    Buddy = Other\n  end\n  object C: TTestChild\n"
                  "    Buddy = Nowhere.X\n  end\nend\n"));
  SetFindGlobalComponent(nullptr);
  EXPECT_EQ(root.Partner(), target);
  EXPECT_EQ(dynamic_cast<TTestChild*>(root.FindComponent("B"))->Buddy(), &other);
  EXPECT_EQ(dynamic_cast<TTestChild*>(root.FindComponent("C"))->Buddy(), nullptr);
  EXPECT_EQ(root.Big(), int64_t{1} << 40);
  EXPECT_EQ(root.Mark(), u'黒');
  std::string text = Text(Save(&root));
  EXPECT_NE(text.find("  Big = 1099511627776\n  Mark = #40658\n"), std::string::npos) << text;
  EXPECT_NE(text.find("  Partner = Other.Target\n"), std::string::npos) << text;
  EXPECT_NE(text.find("    Buddy = Other\n"), std::string::npos) << text;
}

TEST(FormReading, JapaneseTextFromTheBuildToolIsRead) {
  TTestWide board(nullptr);
  ReadComponentRes("TTestWide", &board);
  EXPECT_EQ(board.Caption(), u"黒板あ");
  EXPECT_EQ(board.Count(), 3);
  ASSERT_EQ(board.Items()->Lines.size(), 2u);
  EXPECT_EQ(board.Items()->Lines[0], u"一行目");
  EXPECT_EQ(board.Items()->Lines[1], u"一行");
  EXPECT_THROW(ReadComponentRes("TNoSuchForm", &board), EResNotFound);
}

TEST(FormReading, DefinePropertiesSeesEachNameFirstAndTwinsAreDropped) {
  const char* text =
      "object W: TTestWide\n"
      "  Caption = #40658\n"
      "  Caption_UTF7 = '+ntJnfw-'\n"
      "  Items.WideStrings_UTF7 = (\n    '+ntI-'\n    'x')\n"
      "  Items.Strings = (\n    #40658)\n"
      "  Count = 4\n"
      "end\n";
  TTestWide w(nullptr);
  Load(&w, Bin(text));
  EXPECT_EQ(w.Caption(), u"黒");        // the native value counts
  EXPECT_EQ(w.DroppedTwin, "+ntJnfw-");  // the twin was consumed
  EXPECT_EQ(w.Count(), 4);               // and what follows the dropped list is read
  EXPECT_EQ(w.Items()->Lines, std::vector<WideString>{u"黒"});
  EXPECT_TRUE(w.Items()->Utf7Lines.empty());
  EXPECT_EQ(w.Items()->Seen, (std::vector<AnsiString>{"WideStrings_UTF7", "Strings"}));

  TTestWide applied(nullptr);
  applied.Items()->ApplyUtf7 = true;
  Load(&applied, Bin(text));
  EXPECT_EQ(applied.Items()->Utf7Lines, (std::vector<AnsiString>{"+ntI-", "x"}));

  // Writing: published values first, then the defined ones.
  EXPECT_EQ(Text(Save(&w)),
            "object W: TTestWide\n  Caption = #40658\n  Count = 4\n  Items.Strings = (\n    #40658)\n"
            "  Caption_UTF7 = '+twin-'\nend\n");
  w.SetCaption(u"plain");
  w.TwinAlsoWritten = false;
  Save(&w);
  EXPECT_FALSE(w.TwinAlsoWritten);
}

TEST(FormReading, ReadFailuresAreReadErrors) {
  struct Case {
    const char* text;
    const char* message;  // nullptr: any
  };
  const Case cases[] = {
      {"object A: TTestRoot\n  Nothing = 1\nend\n", "プロパティ Nothing は存在しません"},
      {"object A: TTestRoot\n  Font.Nothing = 1\nend\n", "プロパティ Nothing は存在しません"},
      {"object A: TTestRoot\n  Width.X = 1\nend\n", nullptr},
      {"object A: TTestRoot\n  Width = 'wide'\nend\n", "不正なプロパティの値です"},
      {"object A: TTestRoot\n  Align = taLeft\nend\n", "不正なプロパティの値です"},
      {"object A: TTestRoot\n  Options = [toFive]\nend\n", "不正なプロパティの値です"},
      {"object A: TTestRoot\n  OnCreate = NoSuchHandler\nend\n", "メソッド NoSuchHandler が見つかりません"},
      {"object A: TTestRoot\n  OnCreate = FormCloseQuery\nend\n", "不正なプロパティの値です"},
      {"object A: TTestRoot\n  Mark = 'ab'\nend\n", "不正なプロパティの値です"},
      {"object A: TTestRoot\n  inherited Missing: TTestChild\n  end\nend\n", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    TTestRoot root(nullptr);
    try {
      Load(&root, Bin(c.text));
      ADD_FAILURE() << "no error";
    } catch (const EReadError& e) {
      if (c.message) {
        EXPECT_EQ(e.Message(), c.message);
      }
    }
    EXPECT_FALSE(root.ComponentState().Contains(csLoading));
  }
  TTestRoot root(nullptr);
  EXPECT_THROW(Load(&root, Bin("object A: TTestRoot\n  object B: TNoClass\n  end\nend\n")), EClassNotFound);
  // A component that fails while read is freed, and the root's field does not keep it.
  EXPECT_THROW(Load(&root, Bin("object A: TTestRoot\n  object Button1: TTestChild\n    Left = 'x'\n  end\nend\n")),
               EReadError);
  EXPECT_EQ(root.Button1, nullptr);
  EXPECT_EQ(root.FindComponent("Button1"), nullptr);
  // A class that was never declared says so rather than naming the property.
  struct TUndeclared : public TComponent {
    using TComponent::TComponent;
  } undeclared(nullptr);
  try {
    Load(&undeclared, Bin("object A: TUndeclared\n  Tag = 1\nend\n"));
    ADD_FAILURE();
  } catch (const EReadError& e) {
    EXPECT_NE(e.Message().find("TUndeclared"), std::string::npos) << e.Message();
  }
}

TEST(FormReading, MalformedStreamsRaiseFilerErrors) {
  Bytes good = Res("TTestRoot");
  ASSERT_FALSE(good.empty());
  // Every truncation.
  for (std::size_t n = 0; n < good.size(); ++n) {
    TTestRoot root(nullptr);
    Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n));
    EXPECT_THROW(Load(&root, cut), EStreamError) << n;
  }
  Bytes sig = good;
  sig[3] = '1';
  {
    TTestRoot root(nullptr);
    EXPECT_THROW(Load(&root, sig), EReadError);
  }
  // Lengths far beyond the stream are refused before anything is allocated.
  for (TValueType t : {vaLString, vaWString, vaBinary, vaUTF8String}) {
    Bytes huge = OneValue([t](TWriter& w) {
      w.WriteValue(t);
      const uint8_t n[4] = {0xF0, 0xFF, 0xFF, 0x7F};
      w.Write(n, 4);
    });
    EXPECT_THROW(Text(huge), EReadError);
  }
  // Unknown value types and lists nested without end.
  EXPECT_THROW(Text(OneValue([](TWriter& w) { w.WriteValue(static_cast<TValueType>(99)); })), EReadError);
  Bytes deep = OneValue([](TWriter& w) {
    for (int i = 0; i < 100000; ++i) w.WriteListBegin();
  });
  EXPECT_THROW(Text(deep), EReadError);
  TMemoryStream m;
  m.WriteBuffer(deep.data(), static_cast<int32_t>(deep.size()));
  m.SetPosition(0);
  TReader r(&m);
  r.ReadSignature();
  r.ReadStr();
  r.ReadStr();
  r.ReadStr();
  EXPECT_THROW(r.SkipValue(), EReadError);
}

// ---------------------------------------------------------------------------------------------
TEST(FormWriting, WithAnAncestorOnlyChangesAreWritten) {
  TTestRoot base(nullptr);
  Load(&base, Res("TTestRoot"));
  TTestRoot changed(nullptr);
  Load(&changed, Res("TTestRoot"));
  changed.SetWidth(700);
  changed.Font()->SetStyle(TFontStyles{});
  dynamic_cast<TTestChild*>(changed.FindComponent("Inner"))->SetCaption("changed");
  auto* added = new TTestChild(&changed);
  added->SetName("Added");
  added->SetParentComponent(&changed);

  EXPECT_EQ(Text(Save(&changed, &base)),
            "inherited TestRoot: TTestRoot\n"
            "  Width = 700\n"
            "  Font.Style = []\n"
            "  inherited Button1: TTestChild\n"
            "    inherited Inner: TTestChild\n"
            "      Caption = 'changed'\n"
            "    end\n"
            "  end\n"
            "  object Added: TTestChild\n"
            "  end\n"
            "end\n");
  // Without ancestor, defaults are left out (the font's properties have none).
  TTestRoot fresh(nullptr);
  std::string text = Text(Save(&fresh));
  EXPECT_EQ(text.rfind("object TTestRoot\n  Font.Charset = " + std::to_string(fresh.Font()->Charset()) + "\n", 0), 0u)
      << text;
  for (const char* p : {"Width", "Enabled", "Options", "Align", "Tag", "Mark", "Ratio", "Big", "Caption", "Hint"})
    EXPECT_EQ(text.find(p), std::string::npos) << p;
}

// A component class whose name is 240 bytes long: its length byte (0xF0) is a filer-flags prefix
// where an object starts.
class TClassNameOf240Bytesxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx : public TComponent {
 public:
  explicit TClassNameOf240Bytesxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx(TComponent* AOwner) : TComponent(AOwner) {}
};

TEST(FormWriting, ClassNamesTheReaderWouldTakeForAPrefixAreRefused) {
  for (std::size_t n : {1u, 239u}) {
    SCOPED_TRACE(n);
    std::string text = "object A: T" + std::string(n - 1, 'x') + "\n  X = 1\nend\n";
    Bytes bin = Bin(text);
    EXPECT_EQ(Text(bin), text);
  }
  for (std::size_t n : {240u, 255u}) {
    SCOPED_TRACE(n);
    for (const char* head : {"object A: ", "inherited A: ", "object "}) {
      try {
        Bin("\n" + std::string(head) + "\n  T" + std::string(n - 1, 'x') + "\nend\n");
        FAIL();
      } catch (const EParserError& e) {
        EXPECT_NE(e.Message().find("(3 "), std::string::npos) << e.Message();
      }
    }
  }
  TClassNameOf240Bytesxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx form(nullptr);
  ASSERT_EQ(form.ClassName().size(), 240u);
  EXPECT_THROW(Save(&form), EWriteError);
}

TEST(FormWriting, BinaryDataAndCollectionsEqualToTheAncestorsAreInherited) {
  // The ancestor form: the test form with a picture on its first button.
  auto givePicture = [](TTestRoot& form) {
    TTestChild* b = form.Button1;
    b->Glyph()->SetPixelFormat(pf24bit);
    b->Glyph()->SetSize(4, 3);
    b->Glyph()->Canvas()->SetPixels(2, 1, clRed);
    b->Picture()->SetGraphic(b->Glyph());
  };
  TTestRoot base(nullptr);
  Load(&base, Res("TTestRoot"));
  givePicture(base);
  const Bytes baseForm = Save(&base);
  struct Case {
    const char* name;
    std::function<void(TTestDerived&)> change;
    std::vector<const char*> written, left;
  };
  const Case cases[] = {
      {"nothing changed", [](TTestDerived&) {}, {}, {"Glyph.Data", "Picture.Data", "Columns", "Button1"}},
      {"one pixel of the glyph", [](TTestDerived& f) { f.Button1->Glyph()->Canvas()->SetPixels(0, 0, clBlue); },
       {"inherited Button1", "Glyph.Data"}, {"Picture.Data", "Columns"}},
      {"the picture replaced",
       [](TTestDerived& f) {
         TBitmap other;
         other.SetPixelFormat(pf24bit);
         other.SetSize(2, 2);
         f.Button1->Picture()->SetGraphic(&other);
       },
       {"Picture.Data"}, {"Glyph.Data", "Columns"}},
      {"one item's size", [](TTestDerived& f) { static_cast<TTestItem*>(f.Columns()->Items(1))->SetSize(30); },
       {"Columns = <", "'first'", "Size = 30"}, {"Glyph.Data", "Button1"}},
      {"an item added", [](TTestDerived& f) { static_cast<TTestItem*>(f.Columns()->Add())->SetTitle("third"); },
       {"Columns = <", "'second'", "'third'"}, {"Picture.Data"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TTestDerived form(nullptr);
    Load(&form, baseForm);
    c.change(form);
    const Bytes desc = Save(&form, &base);
    const std::string text = Text(desc);
    for (const char* w : c.written) EXPECT_NE(text.find(w), std::string::npos) << w << "\n" << text;
    for (const char* l : c.left) EXPECT_EQ(text.find(l), std::string::npos) << l << "\n" << text;
    // Read over the ancestor's form, the descendant's stream gives back the whole form.
    TTestDerived again(nullptr);
    Load(&again, baseForm);
    Load(&again, desc);
    EXPECT_EQ(Save(&again), Save(&form));
    EXPECT_EQ(Save(&again, &base), desc);
  }
}

TEST(FormReading, BitmapAndPictureDataGoThroughBinaryValues) {
  TTestChild c(nullptr);
  c.SetName("C");
  c.Glyph()->SetPixelFormat(pf24bit);
  c.Glyph()->SetSize(3, 2);
  c.Glyph()->Canvas()->SetPixels(1, 1, clRed);
  c.Picture()->SetGraphic(c.Glyph());
  Bytes b = Save(&c);
  std::string text = Text(b);
  EXPECT_NE(text.find("  Glyph.Data = {\n"), std::string::npos) << text;
  EXPECT_NE(text.find("  Picture.Data = {\n    07544269746D6170"), std::string::npos) << text;  // "TBitmap"
  TTestChild back(nullptr);
  Load(&back, Bin(text));
  EXPECT_EQ(back.Glyph()->Width(), 3);
  EXPECT_EQ(back.Glyph()->Canvas()->Pixels(1, 1), clRed);
  ASSERT_NE(back.Picture()->Graphic(), nullptr);
  EXPECT_EQ(back.Picture()->Graphic()->ClassName(), "TBitmap");
  EXPECT_EQ(back.Picture()->Height(), 2);
  EXPECT_EQ(Save(&back), b);
  // A picture of an unknown class is refused.
  EXPECT_THROW(Load(&back, Bin("object C: TTestChild\n  Picture.Data = {\n    0254580000000000}\nend\n")),
               EReadError);
}

TEST(FormReading, InheritedResourcesApplyTheRootClassFirst) {
  TTestDerived form(nullptr);
  ASSERT_TRUE(InitInheritedComponent(&form, "TTestNode"));
  EXPECT_EQ(form.Name(), "TestDerived");
  EXPECT_EQ(form.Caption(), u"黒板 黒板");  // from the base class's form
  EXPECT_EQ(form.Width(), 800);           // the derived form's value wins
  EXPECT_EQ(form.Hint(), "派生フォーム");    // a wide text read into an ANSI property
  ASSERT_NE(form.Button1, nullptr);
  EXPECT_EQ(form.Button1->Caption(), "決定");
  EXPECT_EQ(form.Button1->Left(), 8);
  ASSERT_NE(form.Extra, nullptr);
  EXPECT_EQ(form.Extra->Left(), 5);
  EXPECT_EQ(form.Extra->GetParentComponent(), &form);
  EXPECT_EQ(form.ComponentCount(), 4);
  EXPECT_EQ(form.LoadedCount, 1);
  EXPECT_EQ(form.Button1->LoadedCount, 1);
  EXPECT_EQ(form.Extra->LoadedCount, 1);
  EXPECT_FALSE(InitInheritedComponent(&form, "TTestDerived"));

  // Written against the base form, the derived form gives back its own resource's content.
  TTestRoot base(nullptr);
  Load(&base, Res("TTestRoot"));
  Bytes desc = Save(&form, &base);
  TTestDerived again(nullptr);
  Load(&again, Res("TTestRoot"));
  Load(&again, desc);
  EXPECT_EQ(again.Width(), 800);
  EXPECT_EQ(again.Button1->Caption(), "決定");
  EXPECT_NE(again.Extra, nullptr);
}

}  // namespace
