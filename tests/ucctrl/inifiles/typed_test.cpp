// Reads and writes of every type, through the platform path, the memory path and the memory
// INI itself, in ANSI, UTF-8 and UTF-16 files.
#include <gtest/gtest.h>

#include <cmath>

#include "support.h"

namespace {

using Factory = std::function<std::unique_ptr<TUcCustomIniFile>(const std::u16string&)>;

struct Store {
  const char* name;
  bool ansiOnly;
  Factory make;
  bool savesOnDestroy;  // TUcMemIniFile needs UpdateFile
};

const Store kStores[] = {
    {"TUcIniFile (W calls)", false, [](const std::u16string& f) { return std::make_unique<TUcIniFile>(f); }, true},
    {"TUcIniFile (memory)", true, [](const std::u16string& f) { return std::make_unique<TUcIniFile>(f); }, true},
    {"TUcMemIniFile", false, [](const std::u16string& f) { return std::make_unique<TUcMemIniFile>(f); }, false},
};

const char* const kSets[] = {"ansi", "utf8", "utf16"};

TEST(UcIniTyped, EveryTypeRoundTripsInEveryCharacterSet) {
  for (const auto& store : kStores) {
    for (const char* set : kSets) {
      SCOPED_TRACE(std::string(store.name) + " / " + set);
      PlatformMode mode(store.ansiOnly);
      const std::string file = std::string("typed-") + set + ".ini";
      WriteBytes(file, Encode(u"[general]\r\nexisting=値\r\n", set));
      const std::u16string name = AnsiToWide(file);
      const TDateTime date = EncodeDate(2026, 12, 11);
      const TDateTime time = EncodeTime(8, 5, 3, 0);
      {
        auto ini = store.make(name);
        ini->WriteString(u"general", u"text", u"黒板 Vel");
        ini->WriteInteger(u"general", u"int", -42);
        ini->WriteBool(u"general", u"yes", true);
        ini->WriteBool(u"general", u"no", false);
        ini->WriteFloat(u"general", u"float", 3.25);
        ini->WriteDate(u"general", u"date", date);
        ini->WriteTime(u"general", u"time", time);
        ini->WriteDateTime(u"general", u"datetime", date + time);
        TMemoryStream bytes;
        bytes.Write("\x01\xAB\xFF", 3);
        bytes.SetPosition(1);  // from the position on
        ini->WriteBinaryStream(u"ユーザー", u"blob", &bytes);
        EXPECT_EQ(bytes.Position(), 1);
        if (!store.savesOnDestroy) ini->UpdateFile();
      }
      const std::string bytes = ReadBytes(file);
      const std::u16string text = Decode(bytes);
      EXPECT_NE(text.find(u"yes=1"), std::u16string::npos);
      EXPECT_NE(text.find(u"no=0"), std::u16string::npos);
      EXPECT_NE(text.find(u"blob=ABFF"), std::u16string::npos);
      EXPECT_NE(text.find(u"int=-42"), std::u16string::npos);
      if (store.savesOnDestroy) EXPECT_EQ(SetOf(bytes), set);  // the file keeps its character set
      else EXPECT_EQ(SetOf(bytes), "utf16");                     // the memory INI saves UTF-16

      auto ini = store.make(name);
      EXPECT_EQ(ini->ReadString(u"general", u"existing", u""), u"値");
      EXPECT_EQ(ini->ReadString(u"GENERAL", u"TEXT", u""), u"黒板 Vel");
      EXPECT_EQ(ini->ReadString(u"general", u"missing", u"dflt"), u"dflt");
      EXPECT_EQ(ini->ReadInteger(u"general", u"int", 0), -42);
      EXPECT_TRUE(ini->ReadBool(u"general", u"yes", false));
      EXPECT_FALSE(ini->ReadBool(u"general", u"no", true));
      EXPECT_DOUBLE_EQ(ini->ReadFloat(u"general", u"float", 0), 3.25);
      EXPECT_DOUBLE_EQ(ini->ReadDate(u"general", u"date", 0), date);
      EXPECT_NEAR(ini->ReadTime(u"general", u"time", 0), time, 1e-8);
      EXPECT_NEAR(ini->ReadDateTime(u"general", u"datetime", 0), date + time, 1e-8);
      TMemoryStream blob;
      EXPECT_EQ(ini->ReadBinaryStream(u"ユーザー", u"blob", &blob), 2);
      ASSERT_EQ(blob.Size(), 2);
      EXPECT_EQ(std::string(static_cast<const char*>(blob.Memory()), 2), "\xAB\xFF");
    }
  }
}

TEST(UcIniTyped, NumbersBooleansAndFallbacks) {
  WriteBytes("numbers.ini",
             "[n]\r\nhex1=0x10\r\nhex2=0X10\r\nhex3=$10\r\nbare=0x\r\ntwo=2\r\nabc=abc\r\nneg=-7\r\n"
             "big=0xFFFFFFFF\r\nspace= 12 \r\nfloat=1.5e3\r\nbaddate=2026/13/45\r\n");
  for (bool ansiOnly : {false, true}) {
    PlatformMode mode(ansiOnly);
    TUcIniFile ini(u"numbers.ini");
    struct Case { const char16_t* key; int32_t expected; };
    const Case cases[] = {
        {u"hex1", 16}, {u"hex2", 16}, {u"hex3", 16}, {u"bare", -99}, {u"two", 2}, {u"abc", -99},
        {u"neg", -7}, {u"big", -1}, {u"space", 12}, {u"missing", -99},
    };
    for (const auto& c : cases) EXPECT_EQ(ini.ReadInteger(u"n", c.key, -99), c.expected) << ansiOnly;
    EXPECT_TRUE(ini.ReadBool(u"n", u"two", false));
    EXPECT_TRUE(ini.ReadBool(u"n", u"abc", true));  // no number: the default
    EXPECT_FALSE(ini.ReadBool(u"n", u"abc", false));
    EXPECT_DOUBLE_EQ(ini.ReadFloat(u"n", u"float", 0), 1500);
    EXPECT_DOUBLE_EQ(ini.ReadFloat(u"n", u"abc", 9.5), 9.5);
    EXPECT_DOUBLE_EQ(ini.ReadDate(u"n", u"baddate", 7), 7);
    EXPECT_DOUBLE_EQ(ini.ReadTime(u"n", u"abc", 0.5), 0.5);
    TMemoryStream untouched;
    EXPECT_EQ(ini.ReadBinaryStream(u"n", u"missing", &untouched), 0);
    EXPECT_EQ(untouched.Size(), 0);
  }
}

TEST(UcIniTyped, ReadBinaryStreamWritesOnlyValidPairsAtThePosition) {
  WriteBytes("binary.ini", "[b]\r\ngood=AABB\r\nbad=CCZZDD\r\nodd=EEF\r\n");
  TUcMemIniFile ini(u"binary.ini");
  TMemoryStream s;
  s.Write("0123456", 7);
  s.SetPosition(2);
  EXPECT_EQ(ini.ReadBinaryStream(u"b", u"good", &s), 2);
  EXPECT_EQ(s.Position(), 2);
  EXPECT_EQ(s.Size(), 7);  // overwritten in place, not grown
  EXPECT_EQ(std::string(static_cast<const char*>(s.Memory()), 7), "01\xAA\xBB" "456");
  s.SetPosition(6);
  EXPECT_EQ(ini.ReadBinaryStream(u"b", u"bad", &s), 1);  // the pairs up to the first bad digit
  EXPECT_EQ(s.Size(), 7);
  EXPECT_EQ(static_cast<const uint8_t*>(s.Memory())[6], 0xCC);
  s.SetPosition(7);
  EXPECT_EQ(ini.ReadBinaryStream(u"b", u"odd", &s), 1);  // grows by what was decoded
  EXPECT_EQ(s.Size(), 8);
  // A stream that is no memory stream is written through and moves on.
  TStringStream str;
  EXPECT_EQ(ini.ReadBinaryStream(u"b", u"good", &str), 2);
  EXPECT_EQ(str.DataString(), "\xAA\xBB");
  EXPECT_EQ(str.Position(), 2);
}

TEST(UcIniTyped, LineBreaksInWritesAreRefused) {
  WriteBytes("breaks.ini", "[s]\r\nk=v\r\n");
  for (bool ansiOnly : {false, true}) {
    PlatformMode mode(ansiOnly);
    TUcIniFile ini(u"breaks.ini");
    for (const std::u16string& value : {std::u16string(u"a\r\n[x]"), std::u16string(u"a\nb"), std::u16string(u"a\u2028b")}) {
      try {
        ini.WriteString(u"s", u"k", value);
        ADD_FAILURE() << ansiOnly;
      } catch (const EIniFileException& e) {
        EXPECT_EQ(std::string(e.what()), "breaks.ini に書き込めません");
      }
    }
    EXPECT_THROW(ini.WriteString(u"s", u"k\nx", u"v"), EIniFileException);
    EXPECT_EQ(ini.ReadString(u"s", u"k", u""), u"v");
  }
  TUcIniFile reread(u"breaks.ini");
  TUcStringList sections;
  reread.ReadSections(&sections);
  EXPECT_EQ(sections.Count(), 1);  // no section "x" appeared
}

}  // namespace
