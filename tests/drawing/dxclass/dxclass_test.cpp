#include <gtest/gtest.h>

#include <cmath>
#include <vector>
#include <string>

#include "Controls.h"
#include "DXClass.h"

namespace {

TEST(CosineTable, QuarterTurnsAndWrapping) {
  struct Case { int32_t angle; long double cos, sin; };
  const Case cases[] = {
      {0, 1, 0}, {64, 0, 1}, {128, -1, 0}, {192, 0, -1},
      {256, 1, 0}, {-64, 0, -1}, {32, std::sqrt(0.5L), std::sqrt(0.5L)},
  };
  for (const Case& c : cases) {
    EXPECT_NEAR(static_cast<double>(Cos256(c.angle)), static_cast<double>(c.cos), 1e-15) << c.angle;
    EXPECT_NEAR(static_cast<double>(Sin256(c.angle)), static_cast<double>(c.sin), 1e-15) << c.angle;
  }
  EXPECT_EQ(Cos256(0), 1.0L);
}

TEST(IntegerMaxMin, SignedValues) {
  EXPECT_EQ(Max(-3, 2), 2);
  EXPECT_EQ(Min(-3, 2), -3);
  EXPECT_EQ(Max(INT32_MIN, INT32_MAX), INT32_MAX);
}

TEST(HashName, Buckets) {
  struct Case { const char* name; int32_t bucket; };
  const Case cases[] = {
      {"", 0}, {"a", 16}, {"Z", 16}, {"Grid", 16}, {"grid", 16}, {"GRID", 16},
      {"NowTool", (7 * 16 + 'o' + 'n') & 255},
  };
  for (const Case& c : cases) EXPECT_EQ(HashName(c.name), c.bucket) << c.name;
}

struct Named : THashCollectionItem {
  using THashCollectionItem::THashCollectionItem;
};


TEST(HashCollection, FindsByNameInAnyCase) {
  THashCollection c(TCollectionItemClass::Of<Named>());
  const char* names[] = {"NowTool", "finger", "eraser", "Grid", "Help", "Grid", "memori"};
  for (const char* n : names) static_cast<Named*>(c.Add())->SetName(n);
  EXPECT_EQ(c.IndexOf("nowtool"), 0);
  EXPECT_EQ(c.IndexOf("ERASER"), 2);
  EXPECT_EQ(c.IndexOf("memori"), 6);
  // Of equal names the one named last wins.
  EXPECT_EQ(c.IndexOf("GRID"), 5);
  EXPECT_EQ(c.IndexOf("grid"), 5);
  EXPECT_EQ(c.IndexOf("nothing"), -1);
  EXPECT_EQ(c.IndexOf(""), -1);
}

TEST(HashCollection, DeletingAndMovingKeepIndexes) {
  THashCollection c(TCollectionItemClass::Of<Named>());
  const char* names[] = {"a", "b", "c", "d", "e"};
  for (const char* n : names) static_cast<Named*>(c.Add())->SetName(n);
  c.Delete(1);
  EXPECT_EQ(c.IndexOf("b"), -1);
  EXPECT_EQ(c.IndexOf("a"), 0);
  EXPECT_EQ(c.IndexOf("c"), 1);
  EXPECT_EQ(c.IndexOf("e"), 3);
  c.Items(3)->SetIndex(0);  // "e" to the front
  EXPECT_EQ(c.IndexOf("e"), 0);
  EXPECT_EQ(c.IndexOf("a"), 1);
  EXPECT_EQ(c.IndexOf("d"), 3);
  // Renaming relinks: the old name is gone, the new one found.
  static_cast<Named*>(c.Items(1))->SetName("Renamed");
  EXPECT_EQ(c.IndexOf("a"), -1);
  EXPECT_EQ(c.IndexOf("renamed"), 1);
  EXPECT_EQ(c.Items(1)->DisplayName(), "Renamed");
  // Items of one bucket ("abz" and "bay" share 48 + a + b); deleting the head keeps the rest.
  static_cast<Named*>(c.Items(2))->SetName("abz");
  static_cast<Named*>(c.Items(3))->SetName("bay");
  ASSERT_EQ(HashName("abz"), HashName("bay"));
  c.Delete(3);
  EXPECT_EQ(c.IndexOf("abz"), 2);
  EXPECT_EQ(c.IndexOf("bay"), -1);
  c.Clear();
  EXPECT_EQ(c.IndexOf("e"), -1);
}

TEST(HashCollection, AssignCopiesTheName) {
  THashCollection c(TCollectionItemClass::Of<Named>());
  auto* a = static_cast<Named*>(c.Add());
  auto* b = static_cast<Named*>(c.Add());
  a->SetName("Source");
  b->Assign(a);
  EXPECT_EQ(b->Name(), "Source");
  EXPECT_EQ(c.IndexOf("source"), 1);
}

TEST(HashCollection, MovingAnItemToAnotherCollection) {
  THashCollection a(TCollectionItemClass::Of<Named>()), b(TCollectionItemClass::Of<Named>());
  for (const char* n : {"x", "y", "z"}) static_cast<Named*>(a.Add())->SetName(n);
  static_cast<Named*>(b.Add())->SetName("w");
  a.Items(0)->SetCollection(&b);
  EXPECT_EQ(a.IndexOf("x"), -1);
  EXPECT_EQ(a.IndexOf("y"), 0);
  EXPECT_EQ(a.IndexOf("z"), 1);
  EXPECT_EQ(b.IndexOf("X"), 1);
  EXPECT_EQ(b.IndexOf("w"), 0);
}

TEST(LibraryLoader, LoadsOnceAndNamesTheLibraryOnFailure) {
  void* p1 = DXLoadLibraryProc("kernel32.dll", "GetTickCount");
  void* p2 = DXLoadLibraryProc("KERNEL32.DLL", "GetTickCount");
  ASSERT_NE(p1, nullptr);
  EXPECT_EQ(p1, p2);
  try {
    DXLoadLibraryProc("no_such_library_here.dll", "Anything");
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), AnsiString("no_such_library_here.dll を読み込めません"));
  }
  try {
    DXLoadLibraryProc("kernel32.dll", "NoSuchProcedure");
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), AnsiString("kernel32.dll を読み込めません"));
  }
}

// A control that counts the messages its own procedure gets.
class TCountingControl : public TControl {
 public:
  using TControl::TControl;
  int Own = 0;
  void Dispatch(TMessage& Message) override {
    if (Message.Msg == WM_USER + 1) ++Own;
    TControl::Dispatch(Message);
  }
};

struct HookLog {
  std::vector<std::string>* log;
  std::string name;
  bool pass = true;
  static void Callback(void* Data, TMessage& Message, const TWndMethod& DefWindowProc) {
    auto* self = static_cast<HookLog*>(Data);
    if (Message.Msg != WM_USER + 1) {
      DefWindowProc(Message);
      return;
    }
    self->log->push_back(self->name);
    if (self->pass) DefWindowProc(Message);
  }
};

TEST(ControlSubClass, PutsItsCallbackInFrontUntilDestroyed) {
  TCountingControl c(nullptr);
  const TWndMethod original = c.WindowProc();
  std::vector<std::string> log;
  HookLog outer{&log, "outer"}, inner{&log, "inner"};
  {
    TControlSubClass first(&c, &HookLog::Callback, &inner);
    {
      TControlSubClass second(&c, &HookLog::Callback, &outer);
      c.Perform(WM_USER + 1);
      EXPECT_EQ(log, (std::vector<std::string>{"outer", "inner"}));  // the newer hook first
      EXPECT_EQ(c.Own, 1);
      // A callback that does not pass the message on keeps it from the control.
      outer.pass = false;
      c.Perform(WM_USER + 1);
      EXPECT_EQ(c.Own, 1);
      EXPECT_EQ(log.size(), 3u);
    }
    log.clear();
    c.Perform(WM_USER + 1);
    EXPECT_EQ(log, (std::vector<std::string>{"inner"}));
    EXPECT_EQ(c.Own, 2);
  }
  EXPECT_TRUE(c.WindowProc() == original);
  log.clear();
  c.Perform(WM_USER + 1);
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(c.Own, 3);
}

}  // namespace
