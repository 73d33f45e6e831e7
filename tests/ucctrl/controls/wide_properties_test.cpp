// The companions of wide properties in form resources: which twin wins at run time and while
// designing, which twins the writer writes (exact text), the wide-character companions and their
// errors, the list companions, and the ANSI twin of a wide property.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Classes.h"
#include "TypInfo.h"
#include "UcClasses.h"
#include "UcSysUtils.h"
#include "UcWideProperties.h"

// A root with wide properties of every kind the companions serve.
class TWideProps : public TComponent {
 public:
  explicit TWideProps(TComponent* AOwner) : TComponent(AOwner), lines_(std::make_unique<TUcStringList>()) {}
  using TComponent::SetDesigning;
  WideString Caption;
  WideString Ascii;
  WideChar Mark = 0;
  TUcStringList* Lines() const { return lines_.get(); }

 protected:
  void DefineProperties(TFiler* Filer) override {
    TComponent::DefineProperties(Filer);
    DefineWideProperties(Filer, this);
  }

 private:
  std::unique_ptr<TUcStringList> lines_;
};

static const bool registered =
    DeclareClass<TWideProps, TComponent>("TWideProps")
        .WideString("Caption", [](TWideProps* p) { return p->Caption; }, [](TWideProps* p, const WideString& v) { p->Caption = v; })
        .WideString("Ascii", [](TWideProps* p) { return p->Ascii; }, [](TWideProps* p, const WideString& v) { p->Ascii = v; })
        .WideChar("Mark", [](TWideProps* p) { return p->Mark; }, [](TWideProps* p, WideChar v) { p->Mark = v; }, Default(0))
        .Object("Lines", &TWideProps::Lines)
        .Done();

namespace {

const WideString kE = u"é";

void Read(TWideProps* Root, const std::string& Text) {
  const std::vector<uint8_t> bin = ObjectTextToBinary(Text);
  TMemoryStream s;
  s.WriteBuffer(bin.data(), static_cast<int64_t>(bin.size()));
  s.SetPosition(0);
  ReadComponentFromStream(&s, Root);
}

std::string Write(TWideProps* Root) {
  TMemoryStream s;
  WriteComponentToStream(&s, Root);
  return ObjectBinaryToText(
      std::span<const uint8_t>(static_cast<const uint8_t*>(s.Memory()), static_cast<size_t>(s.Size())));
}

std::string Form(const std::string& Body) { return "object Props: TWideProps\n" + Body + "end\n"; }
// The same properties on a child: its reader's owner is the root (the root's own properties are
// read without owner, and a reader without owner applies no twin).
std::string ChildForm(const std::string& Body) {
  return "object Props: TWideProps\n  object Child: TWideProps\n" + Body + "  end\nend\n";
}
TWideProps* Child(TWideProps& Root) { return static_cast<TWideProps*>(Root.FindComponent("Child")); }

TEST(WideProperties, AtRunTimeTheWideValueWinsAndTheTwinsAreDropped) {
  TWideProps p(nullptr);
  Read(&p, Form("  Caption = 'wide'\n  Caption_UTF7 = '+AOk-'\n  CaptionW = 'utf8'\n"));
  EXPECT_EQ(p.Caption, u"wide");
  // A malformed twin is not even decoded at run time.
  TWideProps q(nullptr);
  EXPECT_NO_THROW(Read(&q, Form("  Caption = 'x'\n  Caption_UTF7 = '+'\n")));
  EXPECT_EQ(q.Caption, u"x");
}

TEST(WideProperties, WhileDesigningOrWithTheFlagTheTwinsApply) {
  TWideProps p(nullptr);
  p.SetDesigning(true);
  Read(&p, ChildForm("    Caption = 'wide'\n    Caption_UTF7 = '+AOk-'\n"));
  ASSERT_NE(Child(p), nullptr);
  EXPECT_EQ(Child(p)->Caption, kE);
  TWideProps q(nullptr);
  q.SetDesigning(true);
  Read(&q, ChildForm("    CaptionW = #195#169\n"));  // the UTF-8 bytes of é
  EXPECT_EQ(Child(q)->Caption, kE);
  TWideProps r(nullptr);
  r.SetDesigning(true);
  EXPECT_THROW(Read(&r, ChildForm("    Caption_UTF7 = '+'\n")), EUcGeneralError);
  ApplyLegacyWideValues = true;
  TWideProps s(nullptr);
  Read(&s, ChildForm("    Caption = 'wide'\n    Caption_UTF7 = '+AOk-'\n"));
  ApplyLegacyWideValues = false;
  EXPECT_EQ(Child(s)->Caption, kE);
  // Without an owner (the root's own properties) nothing applies, designing or not.
  TWideProps t(nullptr);
  t.SetDesigning(true);
  Read(&t, Form("  Caption = 'wide'\n  Caption_UTF7 = '+AOk-'\n"));
  EXPECT_EQ(t.Caption, u"wide");
}

TEST(WideProperties, TheWriterAddsAUtf7TwinOnlyForTextBeyondAscii) {
  TWideProps p(nullptr);
  p.SetName("Props");
  p.Caption = kE;
  p.Ascii = u"plain";
  const std::string text = Write(&p);
  EXPECT_NE(text.find("Caption_UTF7 = '+AOk'"), std::string::npos) << text;
  EXPECT_EQ(text.find("Ascii_UTF7"), std::string::npos) << text;
  EXPECT_EQ(text.find("CaptionW"), std::string::npos);
  // Empty text has no twin either; the lists' twin follows the same rule.
  p.Caption.clear();
  p.Lines()->Add(u"ascii");
  std::string t2 = Write(&p);
  EXPECT_EQ(t2.find("_UTF7"), std::string::npos) << t2;
  p.Lines()->Add(u"日本語");
  t2 = Write(&p);
  EXPECT_NE(t2.find("Lines.WideStrings_UTF7 = (\n    'ascii'\n    '+ZeVnLIqe')"), std::string::npos) << t2;
  // What was written reads back.
  TWideProps back(nullptr);
  Read(&back, t2);
  ASSERT_EQ(back.Lines()->Count(), 2);
  EXPECT_EQ(back.Lines()->Get(1), u"日本語");
}

TEST(WideProperties, WideCharacterCompanions) {
  TWideProps p(nullptr);
  p.SetDesigning(true);
  Read(&p, ChildForm("    MarkW = 'x'\n"));
  EXPECT_EQ(Child(p)->Mark, u'x');
  TWideProps p2(nullptr);
  EXPECT_THROW(Read(&p2, Form("  MarkW = 'xy'\n")), EReadError);  // more than one character
  TWideProps p3(nullptr);
  EXPECT_THROW(Read(&p3, Form("  MarkW = 5\n")), EReadError);     // no string
  // The UTF-7 twin of a character applies even at run time.
  TWideProps q(nullptr);
  Read(&q, Form("  Mark_UTF7 = '+AOk-'\n"));
  EXPECT_EQ(q.Mark, kE[0]);
  EXPECT_THROW(Read(&q, Form("  Mark_UTF7 = '+'\n")), EUcGeneralError);
  // Written as a one-character wide string when it is not the default.
  q.SetName("Props");
  EXPECT_NE(Write(&q).find("MarkW = "), std::string::npos);
  q.Mark = 0;
  EXPECT_EQ(Write(&q).find("MarkW"), std::string::npos);
}

TEST(WideProperties, TheUtf8ListTwinFillsOnlyAnEmptyList) {
  TWideProps p(nullptr);
  Read(&p, Form("  Lines.WideStringsW = (\n    #195#169\n    'b')\n"));
  ASSERT_EQ(p.Lines()->Count(), 2);
  EXPECT_EQ(p.Lines()->Get(0), kE);
  TWideProps q(nullptr);
  Read(&q, Form("  Lines.Strings = (\n    'kept')\n  Lines.WideStringsW = (\n    'dropped')\n"));
  ASSERT_EQ(q.Lines()->Count(), 1);
  EXPECT_EQ(q.Lines()->Get(0), u"kept");
  // "WideStrings" reads like "Strings"; one string goes through the text.
  TWideProps r(nullptr);
  Read(&r, Form("  Lines.WideStrings = 'one'#13#10'two'\n"));
  EXPECT_EQ(r.Lines()->Count(), 2);
}

TEST(WideProperties, TheAnsiTwinOfAWideProperty) {
  AnsiString ansi = "old";
  WideString twin = u"old";
  std::vector<AnsiString> calls;
  auto setter = [&](const AnsiString& a) {
    calls.push_back(a);
    ansi = a;
  };
  // A change through the ANSI property is seen by the wide one.
  ansi = "new";
  EXPECT_EQ(SyncWideFromAnsi(twin, ansi), u"new");
  // Text the code page cannot hold whose narrowed form is the current ANSI text: the setter is
  // given empty text first, so that the framework sees a change.
  // (Hangul: no best-fit form either, so both narrow to "?".)
  const WideString euro = u"글";
  ansi = WideToAnsi(u"한");
  twin = u"한";
  SetWideWithAnsiTwin(euro, twin, ansi, setter, nullptr);
  EXPECT_EQ(twin, euro);
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0], "");
  EXPECT_EQ(calls[1], WideToAnsi(euro));
  calls.clear();
  SetWideWithAnsiTwin(euro, twin, ansi, setter, nullptr);  // no change
  EXPECT_TRUE(calls.empty());
  SetWideWithAnsiTwin(u"日本", twin, ansi, setter, nullptr);  // representable: one call
  EXPECT_EQ(calls, std::vector<AnsiString>{"日本"});
}

}  // namespace
