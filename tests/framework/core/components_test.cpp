// TPersistent, TComponent ownership and free notification, TCollection, TList and TBits.
#include <gtest/gtest.h>

#include <string>
#include <vector>
#include "Classes.h"

namespace {

std::vector<std::string> g_log;

class TProbe : public TComponent {
 public:
  explicit TProbe(TComponent* AOwner, const char* name) : TComponent(AOwner), label_(name) {}
  ~TProbe() override { g_log.push_back("free " + label_); }
  TComponent* Ref = nullptr;
  using TComponent::SetDesigning;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == Ref) {
      Ref = nullptr;
      g_log.push_back(label_ + " lost ref");
    }
  }

 private:
  std::string label_;
};

TEST(Component, OwnerFreesOwnedLastFirst) {
  g_log.clear();
  auto* owner = new TProbe(nullptr, "owner");
  new TProbe(owner, "a");
  auto* b = new TProbe(owner, "b");
  new TProbe(b, "b1");
  EXPECT_EQ(owner->ComponentCount(), 2);
  EXPECT_EQ(b->Owner(), owner);
  EXPECT_EQ(b->ComponentIndex(), 1);
  delete owner;
  EXPECT_EQ(g_log, (std::vector<std::string>{"free owner", "free b", "free b1", "free a"}));
}

TEST(Component, FreeingAnOwnedComponentLeavesTheOwner) {
  TComponent owner(nullptr);
  auto* a = new TComponent(&owner);
  auto* b = new TComponent(&owner);
  delete a;
  EXPECT_EQ(owner.ComponentCount(), 1);
  EXPECT_EQ(owner.Components(0), b);
  EXPECT_THROW(owner.Components(1), EListError);
}

TEST(Component, FreeNotificationClearsReferencesAcrossOwners) {
  g_log.clear();
  auto* formA = new TComponent(nullptr);
  auto* formB = new TComponent(nullptr);
  auto* user = new TProbe(formA, "user");
  auto* target = new TProbe(formB, "target");
  user->Ref = target;
  target->FreeNotification(user);
  delete formB;  // frees target
  EXPECT_EQ(user->Ref, nullptr);
  EXPECT_EQ(g_log, (std::vector<std::string>{"free target", "user lost ref"}));
  // The user going first must not leave a dangling entry in anything that outlives it.
  auto* other = new TProbe(nullptr, "other");
  auto* user2 = new TProbe(nullptr, "user2");
  user2->Ref = other;
  other->FreeNotification(user2);
  delete user2;
  delete other;  // ASan would report a use of user2 here if its entry stayed behind
  delete formA;
}

TEST(Component, SiblingsHearThroughTheOwner) {
  g_log.clear();
  TComponent owner(nullptr);
  auto* user = new TProbe(&owner, "user");
  auto* target = new TProbe(&owner, "target");
  user->Ref = target;
  target->FreeNotification(user);
  delete target;
  EXPECT_EQ(user->Ref, nullptr);
}

TEST(Component, RemoveFreeNotificationStopsIt) {
  g_log.clear();
  auto* user = new TProbe(nullptr, "user");
  auto* target = new TProbe(nullptr, "target");
  user->Ref = target;
  target->FreeNotification(user);
  target->RemoveFreeNotification(user);
  delete target;
  EXPECT_EQ(user->Ref, target);  // not told: the reference is stale, as asked
  user->Ref = nullptr;
  delete user;
}

TEST(Component, NamesAreValidatedAndUniquePerOwner) {
  TComponent owner(nullptr);
  auto* a = new TComponent(&owner);
  auto* b = new TComponent(&owner);
  a->SetName("Button1");
  EXPECT_THROW(b->SetName("button1"), EComponentError);
  EXPECT_THROW(b->SetName("1abc"), EComponentError);
  EXPECT_THROW(b->SetName("a b"), EComponentError);
  b->SetName("Button2");
  a->SetName("BUTTON1");  // a case change of its own name is allowed
  EXPECT_EQ(owner.FindComponent("button2"), b);
  EXPECT_EQ(owner.FindComponent("none"), nullptr);
  EXPECT_EQ(owner.FindComponent(""), nullptr);
  try {
    b->SetName("Button1");
    FAIL();
  } catch (const EComponentError& e) {
    EXPECT_EQ(e.Message(), "Button1 という名前のコンポーネントはすでに存在します");
  }
}

TEST(Component, StateFlags) {
  TProbe owner(nullptr, "o");
  auto* child = new TComponent(&owner);
  owner.SetDesigning(true);
  EXPECT_TRUE(child->ComponentState().Contains(csDesigning));
  auto* late = new TComponent(&owner);
  EXPECT_TRUE(late->ComponentState().Contains(csDesigning));
  owner.Destroying();
  EXPECT_TRUE(child->ComponentState().Contains(csDestroying));
}

class TPoint3 : public TPersistent {
 public:
  int X = 0;
  void Assign(TPersistent* Source) override {
    if (auto* p = dynamic_cast<TPoint3*>(Source)) { X = p->X; return; }
    TPersistent::Assign(Source);
  }
};
class TOther : public TPersistent {};

TEST(Persistent, AssignAndItsError) {
  TPoint3 a, b;
  b.X = 5;
  a.Assign(&b);
  EXPECT_EQ(a.X, 5);
  TOther o;
  try {
    a.Assign(&o);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "TOther を TPoint3 に代入できません");
  }
  EXPECT_THROW(a.Assign(nullptr), EConvertError);
}

// ---------------------------------------------------------------------------------------------
class TItem : public TCollectionItem {
 public:
  using TCollectionItem::TCollectionItem;
  int Value = 0;
  void Assign(TPersistent* Source) override {
    if (auto* i = dynamic_cast<TItem*>(Source)) { Value = i->Value; return; }
    TCollectionItem::Assign(Source);
  }
};

class TLoggedCollection : public TCollection {
 public:
  TLoggedCollection() : TCollection(TCollectionItemClass::Of<TItem>()) {}
  std::vector<std::string> Log;

 protected:
  void Update(TCollectionItem* Item) override { Log.push_back(Item ? "item" : "all"); }
  void Notify(TCollectionItem* Item, TCollectionNotification Action) override {
    Log.push_back(Action == cnAdded ? "added" : Action == cnExtracting ? "extracting" : "deleting");
  }
};

TEST(Collection, AddInsertDeleteAndIds) {
  TLoggedCollection c;
  auto* a = static_cast<TItem*>(c.Add());
  auto* b = static_cast<TItem*>(c.Add());
  auto* x = static_cast<TItem*>(c.Insert(0));
  EXPECT_EQ(c.Count(), 3);
  EXPECT_EQ(c.Items(0), x);
  EXPECT_EQ(a->Index(), 1);
  EXPECT_EQ(a->ID(), 0);
  EXPECT_EQ(b->ID(), 1);
  EXPECT_EQ(x->ID(), 2);
  EXPECT_EQ(c.FindItemID(1), b);
  c.Delete(1);  // a
  EXPECT_EQ(c.Count(), 2);
  EXPECT_EQ(c.Items(1), b);
  delete x;  // an item freed directly leaves its collection
  EXPECT_EQ(c.Count(), 1);
  EXPECT_EQ(b->Index(), 0);
  EXPECT_THROW(c.Items(5), EListError);
  EXPECT_EQ(c.Add()->ID(), 3);  // IDs are never reused
}

TEST(Collection, UpdatesAreBatched) {
  TLoggedCollection c;
  c.BeginUpdate();
  c.Add();
  c.Add();
  c.EndUpdate();
  EXPECT_EQ(c.Log, (std::vector<std::string>{"added", "added", "all"}));
  c.Log.clear();
  c.Clear();
  EXPECT_EQ(c.Count(), 0);
  EXPECT_EQ(c.Log, (std::vector<std::string>{"extracting", "extracting", "all"}));
}

TEST(Collection, AssignCopiesItems) {
  TLoggedCollection a, b;
  static_cast<TItem*>(a.Add())->Value = 7;
  static_cast<TItem*>(a.Add())->Value = 8;
  b.Add();
  b.Assign(&a);
  ASSERT_EQ(b.Count(), 2);
  EXPECT_EQ(static_cast<TItem*>(b.Items(1))->Value, 8);
  b.Assign(&b);
  EXPECT_EQ(b.Count(), 2);
}

// ---------------------------------------------------------------------------------------------
TEST(List, OperationsAndBounds) {
  TList l;
  int v[5] = {0, 1, 2, 3, 4};
  for (int& x : v) l.Add(&x);
  EXPECT_EQ(l.Count(), 5);
  l.Move(0, 4);
  EXPECT_EQ(l.Items(4), &v[0]);
  l.Exchange(0, 1);
  EXPECT_EQ(l.First(), &v[2]);
  EXPECT_EQ(l.Remove(&v[3]), 2);
  EXPECT_EQ(l.IndexOf(&v[3]), -1);
  l.Insert(0, nullptr);
  l.Add(nullptr);
  l.Pack();
  EXPECT_EQ(l.Count(), 4);
  l.Sort([](void* a, void* b) { return *static_cast<int*>(a) - *static_cast<int*>(b); });
  EXPECT_EQ(l.First(), &v[0]);
  EXPECT_EQ(l.Last(), &v[4]);
  try {
    l.Items(4);
    FAIL();
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message(), "リストのインデックスが範囲を超えています (4)");
  }
  EXPECT_THROW(l.Delete(-1), EListError);
  EXPECT_THROW(l.Insert(6, nullptr), EListError);
  EXPECT_THROW(l.SetCapacity(1), EListError);
  EXPECT_THROW(l.SetCount(-1), EListError);
  l.SetCount(6);
  EXPECT_EQ(l.Items(5), nullptr);
}

TEST(List, SortSurvivesAnInconsistentCompare) {
  TList l;
  std::vector<int> values(200);
  for (int i = 0; i < 200; ++i) {
    values[static_cast<size_t>(i)] = (i * 7919) % 200;
    l.Add(&values[static_cast<size_t>(i)]);
  }
  int calls = 0;
  l.Sort([&](void*, void*) { return (calls++ % 3) - 1; });  // nonsense order, must stay in bounds
  EXPECT_EQ(l.Count(), 200);
  l.Sort([](void* a, void* b) { return *static_cast<int*>(a) - *static_cast<int*>(b); });
  for (int i = 1; i < l.Count(); ++i)
    EXPECT_LE(*static_cast<int*>(l.Items(i - 1)), *static_cast<int*>(l.Items(i)));
}

TEST(Bits, GrowOnWriteAndOpenBit) {
  TBits b;
  b.SetSize(3);
  EXPECT_FALSE(b.Bits(2));
  b.SetBits(0, true);
  b.SetBits(1, true);
  EXPECT_EQ(b.OpenBit(), 2);
  b.SetBits(2, true);
  EXPECT_EQ(b.OpenBit(), 3);
  b.SetBits(10, true);
  EXPECT_EQ(b.Size(), 11);
  EXPECT_THROW(b.Bits(11), EBitsError);
  EXPECT_THROW(b.Bits(-1), EBitsError);
  b.SetSize(1);
  b.SetSize(5);
  EXPECT_FALSE(b.Bits(2));  // shrunk bits come back clear
}

}  // namespace

namespace {

TEST(Component, InsertIntoAnotherOwnerMovesIt) {
  TComponent a(nullptr), b(nullptr);
  auto* c = new TComponent(&a);
  c->SetName("Child");
  b.InsertComponent(c);
  EXPECT_EQ(a.ComponentCount(), 0);
  EXPECT_EQ(b.FindComponent("child"), c);
  EXPECT_EQ(c->Owner(), &b);
  auto* d = new TComponent(&b);
  d->SetComponentIndex(0);
  EXPECT_EQ(b.Components(0), d);
  b.RemoveComponent(c);
  EXPECT_EQ(c->Owner(), nullptr);
  delete c;  // no longer owned: freed by hand
}

TEST(Collection, MovingAnItemReportsAllItems) {
  TLoggedCollection c;
  c.Add();
  auto* second = c.Add();
  c.Log.clear();
  second->SetIndex(0);
  EXPECT_EQ(c.Items(0), second);
  EXPECT_EQ(c.Log, (std::vector<std::string>{"all"}));
  EXPECT_THROW(second->SetIndex(5), EListError);
  EXPECT_EQ(second->GetNamePath(), "TLoggedCollection[0]");
  // An item can change collections.
  TLoggedCollection other;
  second->SetCollection(&other);
  EXPECT_EQ(c.Count(), 1);
  EXPECT_EQ(other.Items(0), second);
}

}  // namespace
