// Sections, keys, comments and order; the memory INI's parsing and hashing; the file-following
// store's saving.
#include <gtest/gtest.h>
#include <utime.h>

#include "support.h"

namespace {

using Strings = std::vector<std::u16string>;

Strings Lines(TWideStrings& l) {
  Strings out;
  for (int i = 0; i < l.Count(); ++i) out.push_back(l.Get(i));
  return out;
}

const char kCommented[] =
    "; head comment\r\n"
    "[a]\r\n"
    "x=1\r\n"
    "; inner comment\r\n"
    "\r\n"
    "y=2\r\n"
    "[b]\r\n"
    "z=3\r\n";

TEST(UcIniStructure, ThePlatformPathKeepsCommentsAndOrder) {
  WriteBytes("commented.ini", kCommented);
  {
    TUcIniFile ini(u"commented.ini");
    ini.WriteString(u"a", u"x", u"5");
    ini.WriteString(u"b", u"new", u"n");
  }
  EXPECT_EQ(ReadBytes("commented.ini"),
            "; head comment\r\n[a]\r\nx=5\r\n; inner comment\r\n\r\ny=2\r\n[b]\r\nz=3\r\nnew=n\r\n");
}

TEST(UcIniStructure, TheMemoryIniDropsCommentsBlanksAndLinesBeforeTheFirstSection) {
  WriteBytes("mem.ini", std::string("orphan=1\r\n") + kCommented + "  spaced  =  value  \r\n=lead\r\nplain line\r\n");
  TUcMemIniFile ini(u"mem.ini");
  TUcStringList values;
  ini.ReadSectionValues(u"b", &values);
  EXPECT_EQ(Lines(values), (Strings{u"z=3", u"spaced=value", u"=lead", u"plain line"}));
  TUcStringList keys;
  ini.ReadSection(u"b", &keys);
  EXPECT_EQ(Lines(keys), (Strings{u"z", u"spaced", u"", u""}));
  EXPECT_EQ(ini.ReadString(u"b", u"spaced", u""), u"value");
  EXPECT_EQ(ini.ReadString(u"b", u"", u"none"), u"none");  // "=lead" is never found by name
  ini.UpdateFile();
  TUcStringList saved;
  saved.LoadFromFile(u"mem.ini");
  EXPECT_EQ(Lines(saved), (Strings{u"[a]", u"x=1", u"y=2", u"", u"[b]", u"z=3", u"spaced=value", u"=lead",
                                   u"plain line", u""}));
}

TEST(UcIniStructure, DuplicateSectionsAndKeysResolveToTheLastOne) {
  WriteBytes("dup.ini", "[S]\r\nk=first\r\n[s]\r\nk=second\r\nk=third\r\n");
  TUcMemIniFile ini(u"dup.ini");
  EXPECT_EQ(ini.ReadString(u"S", u"K", u""), u"third");
  ini.WriteString(u"s", u"k", u"written");
  TUcStringList sections;
  ini.ReadSections(&sections);
  EXPECT_EQ(Lines(sections), (Strings{u"S", u"s"}));
  TUcStringList built;
  ini.BuildLines(&built);
  EXPECT_EQ(Lines(built), (Strings{u"[S]", u"k=first", u"", u"[s]", u"k=second", u"k=written", u""}));
}

TEST(UcIniStructure, SectionAndKeyListsOnBothPaths) {
  for (bool ansiOnly : {false, true}) {
    SCOPED_TRACE(ansiOnly);
    PlatformMode mode(ansiOnly);
    WriteBytes("lists.ini", "[一]\r\na=1\r\nb=2\r\n[二]\r\nc=3\r\n[三]\r\n");
    TUcIniFile ini(u"lists.ini");
    TUcStringList out;
    ini.ReadSections(&out);
    EXPECT_EQ(Lines(out), (Strings{u"一", u"二", u"三"}));
    ini.ReadSection(u"一", &out);
    EXPECT_EQ(Lines(out), (Strings{u"a", u"b"}));
    ini.ReadSectionValues(u"一", &out);
    EXPECT_EQ(Lines(out), (Strings{u"a=1", u"b=2"}));
    ini.ReadSection(u"無い", &out);
    EXPECT_EQ(out.Count(), 0);
    ini.DeleteKey(u"一", u"a");
    ini.DeleteKey(u"一", u"missing");
    ini.EraseSection(u"二");
    ini.ReadSections(&out);
    EXPECT_EQ(Lines(out), (Strings{u"一", u"三"}));
    ini.ReadSection(u"一", &out);
    EXPECT_EQ(Lines(out), (Strings{u"b"}));
    TUcIniFile fresh(u"lists.ini");  // the changes are in the file
    fresh.ReadSectionValues(u"一", &out);
    EXPECT_EQ(Lines(out), (Strings{u"b=2"}));
  }
}

TEST(UcIniStructure, HashAndHashedLookups) {
  TUcStringHash hash;
  EXPECT_EQ(hash.HashOf(u""), 0u);
  EXPECT_EQ(hash.HashOf(u"AB"), (0x41u << 2) ^ 0x42u);
  std::u16string wraps(17, u'\0');
  wraps[0] = 1;
  EXPECT_EQ(hash.HashOf(wraps), 1u);  // rotated 32 bits round
  hash.Add(u"k", 1);
  hash.Add(u"k", 2);
  EXPECT_EQ(hash.ValueOf(u"k"), 2);  // the later one is found first
  EXPECT_EQ(hash.ValueOf(u"K"), -1);  // exact keys
  hash.Clear();
  EXPECT_EQ(hash.ValueOf(u"k"), -1);

  TUcHashedStringList list;
  list.SetTextStr(u"Alpha=1\nbeta\nALPHA=2\n=x");
  EXPECT_EQ(list.IndexOf(u"BETA"), 1);
  EXPECT_EQ(list.IndexOfName(u"alpha"), 2);
  EXPECT_EQ(list.IndexOfName(u""), -1);
  list.Delete(2);  // every change rebuilds
  EXPECT_EQ(list.IndexOfName(u"alpha"), 0);
  TUcHashedStringList exact;
  exact.SetCaseSensitive(true);
  exact.SetTextStr(u"Key=1");
  EXPECT_EQ(exact.IndexOfName(u"key"), -1);
  EXPECT_EQ(exact.IndexOfName(u"Key"), 0);
}

TEST(UcIniStructure, FollowingStoreSavesChangesInTheFilesOwnCharacterSet) {
  PlatformMode mode(true);  // TUcIniFile over TUcMemIniFile_V2
  for (const char* set : {"ansi", "utf8", "utf16"}) {
    SCOPED_TRACE(set);
    const std::string file = std::string("v2-") + set + ".ini";
    WriteBytes(file, Encode(u"; comment\r\n[general]\r\ngrid=32\r\n", set));
    {
      TUcIniFile ini(AnsiToWide(file));
      ini.WriteInteger(u"general", u"grid", 16);  // the settings panel's OK
    }
    const std::string bytes = ReadBytes(file);
    EXPECT_EQ(SetOf(bytes), set);
    EXPECT_EQ(Decode(bytes), u"[general]\r\ngrid=16\r\n\r\n");
    TIniFile board(file);  // the board model's ANSI INI reads it
    EXPECT_EQ(board.ReadInteger("general", "grid", 0), 16);
  }
  // Text the ANSI code page cannot hold moves an ANSI file to UTF-16, so nothing is lost.
  WriteBytes("v2-wide.ini", "[s]\r\n");
  {
    TUcIniFile ini(u"v2-wide.ini");
    ini.WriteString(u"s", u"k", u"\u0E01\u20AC");
  }
  EXPECT_EQ(SetOf(ReadBytes("v2-wide.ini")), "utf16");
  EXPECT_EQ(TUcIniFile(u"v2-wide.ini").ReadString(u"s", u"k", u""), u"\u0E01\u20AC");
}

TEST(UcIniStructure, FollowingStoreNeverRewritesAFileItOnlyRead) {
  PlatformMode mode(true);
  WriteBytes("readonly.ini", std::string(kCommented));
  chmod("readonly.ini", 0444);
  {
    TUcIniFile ini(u"readonly.ini");
    EXPECT_EQ(ini.ReadString(u"a", u"y", u""), u"2");
    TUcStringList keys;
    ini.ReadSection(u"a", &keys);
    ini.DeleteKey(u"a", u"missing");   // nothing to delete: nothing changed
    ini.EraseSection(u"missing");
  }
  EXPECT_EQ(ReadBytes("readonly.ini"), kCommented);
  chmod("readonly.ini", 0644);
}

TEST(UcIniStructure, FollowingStoreReloadsWhenTheFileChanges) {
  WriteBytes("follow.ini", "[s]\r\nk=old\r\n");
  utimbuf then{1700000000, 1700000000};  // 2023: a date the DOS form holds
  utime("follow.ini", &then);
  chmod("follow.ini", 0444);  // the date is asked without write access
  TUcMemIniFile_V2 ini(u"follow.ini");
  EXPECT_EQ(ini.ReadString(u"s", u"k", u""), u"old");
  EXPECT_NE(ini.LastFileDate(), 0);
  chmod("follow.ini", 0644);
  WriteBytes("follow.ini", "[s]\r\nk=new\r\n");
  utimbuf later{1700000100, 1700000100};
  utime("follow.ini", &later);
  EXPECT_EQ(ini.ReadString(u"s", u"k", u""), u"new");
  // A file whose date no DOS date holds is still loaded.
  WriteBytes("epoch.ini", "[s]\r\nk=v\r\n");
  utimbuf epoch{0, 0};
  utime("epoch.ini", &epoch);
  TUcMemIniFile_V2 old(u"epoch.ini");
  EXPECT_EQ(old.ReadString(u"s", u"k", u""), u"v");
  // A missing file reads as empty and is created by the first write.
  TUcMemIniFile_V2 fresh(u"created.ini");
  EXPECT_EQ(fresh.ReadString(u"s", u"k", u"dflt"), u"dflt");
  fresh.WriteBool(u"s", u"b", true);
  EXPECT_EQ(ReadBytes("created.ini"), "[s]\r\nb=1\r\n\r\n");
}

}  // namespace
