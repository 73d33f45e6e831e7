#include "TestClasses.h"

#include <algorithm>

TTestNode::~TTestNode() {
  Destroying();
  if (parent_) {
    auto& k = parent_->kids_;
    k.erase(std::remove(k.begin(), k.end(), this), k.end());
  }
  for (TComponent* c : kids_)
    if (auto* n = dynamic_cast<TTestNode*>(c)) n->parent_ = nullptr;
}

void TTestNode::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) {
  for (TComponent* c : kids_) Proc(c);
  if (Root == this) TComponent::GetChildren(Proc, Root);
}

void TTestNode::SetParentComponent(TComponent* Value) {
  auto* p = dynamic_cast<TTestNode*>(Value);
  if (p == parent_) return;
  if (parent_) {
    auto& k = parent_->kids_;
    k.erase(std::remove(k.begin(), k.end(), this), k.end());
  }
  parent_ = p;
  if (p) p->kids_.push_back(this);
}

void TTestNode::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
}

TTestRoot::TTestRoot(TComponent* AOwner)
    : TTestNode(AOwner),
      font_(new TFont),
      items_(new TStringList),
      columns_(new TOwnedCollection(this, TCollectionItemClass::Of<TTestItem>())) {}

void TTestWideList::DefineProperties(TFiler* Filer) {
  if (auto* r = dynamic_cast<TReader*>(Filer)) Seen.push_back(r->PropName());
  Filer->DefineProperty(
      "WideStrings_UTF7",
      [this](TReader* r) {
        if (!ApplyUtf7) {
          r->SkipValue();  // read and drop
          return;
        }
        Utf7Lines.clear();
        r->ReadListBegin();
        while (!r->EndOfList()) Utf7Lines.push_back(r->ReadString());
        r->ReadListEnd();
      },
      nullptr, false);
  Filer->DefineProperty(
      "Strings",
      [this](TReader* r) {
        Lines.clear();
        r->ReadListBegin();
        while (!r->EndOfList()) Lines.push_back(r->ReadWideString());
        r->ReadListEnd();
      },
      [this](TWriter* w) {
        w->WriteListBegin();
        for (auto& l : Lines) w->WriteWideString(l);
        w->WriteListEnd();
      },
      !Lines.empty());
}

void TTestWide::DefineProperties(TFiler* Filer) {
  TComponent::DefineProperties(Filer);
  bool non_ascii = std::any_of(caption_.begin(), caption_.end(), [](char16_t c) { return c > 0x7F; });
  Filer->DefineProperty(
      "Caption_UTF7",
      [this](TReader* r) { DroppedTwin = r->ReadString(); },
      [this](TWriter* w) {
        TwinAlsoWritten = true;
        w->WriteString("+twin-");
      },
      non_ascii);
}

namespace {
const bool registered = [] {
  DeclareClass<TTestItem, TCollectionItem>("TTestItem")
      .String("Title", &TTestItem::Title, &TTestItem::SetTitle)
      .Integer("Size", &TTestItem::Size, &TTestItem::SetSize, Default(10))
      .Done();
  DeclareClass<TTestNode, TComponent>("TTestNode").Done();
  DeclareClass<TTestChild, TTestNode>("TTestChild")
      .String("Caption", &TTestChild::Caption, &TTestChild::SetCaption)
      .Integer("Left", &TTestChild::Left, &TTestChild::SetLeft, Default(0))
      .Component("Buddy", &TTestChild::Buddy, &TTestChild::SetBuddy)
      .Event("OnClick", &TTestChild::OnClick)
      .Object("Glyph", &TTestChild::Glyph)
      .Object("Picture", &TTestChild::Picture)
      .Done();
  DeclareClass<TTestRoot, TTestNode>("TTestRoot")
      .WideString("Caption", &TTestRoot::Caption, &TTestRoot::SetCaption)
      .String("Hint", &TTestRoot::Hint, &TTestRoot::SetHint, &TTestRoot::HintStored)
      .Integer("Width", &TTestRoot::Width, &TTestRoot::SetWidth, Default(100))
      .Int64("Big", &TTestRoot::Big, &TTestRoot::SetBig, Default(0))
      .Boolean("Enabled", &TTestRoot::Enabled, &TTestRoot::SetEnabled, Default(true))
      .Enum("Align", {"taNone", "taTop", "taBottom", "taClient"}, &TTestRoot::Align, &TTestRoot::SetAlign,
            Default(taNone))
      .Set("Options", {"toOne", "toTwo", "toThree", "toFour"}, &TTestRoot::Options, &TTestRoot::SetOptions,
           Default(TTestOptions{toOne, toThree}.Bits()))
      .Float("Ratio", &TTestRoot::Ratio, &TTestRoot::SetRatio)
      .WideChar("Mark", &TTestRoot::Mark, &TTestRoot::SetMark, Default(0))
      .Object("Font", &TTestRoot::Font)
      .Object("Items", &TTestRoot::Items)
      .Object("Columns", &TTestRoot::Columns)
      .Component("Partner", &TTestRoot::Partner, &TTestRoot::SetPartner)
      .Event("OnCreate", &TTestRoot::OnCreate)
      .Event("OnCloseQuery", &TTestRoot::OnCloseQuery)
      .Method("FormCreate", &TTestRoot::FormCreate)
      .Method("FormCloseQuery", &TTestRoot::FormCloseQuery)
      .Method("ButtonClick", &TTestRoot::ButtonClick)
      .Field("Button1", &TTestRoot::Button1)
      .Done();
  DeclareClass<TTestDerived, TTestRoot>("TTestDerived").Field("Extra", &TTestDerived::Extra).Done();
  DeclareClass<TTestWideList, TPersistent>("TTestWideList").Done();
  DeclareClass<TTestWide, TComponent>("TTestWide")
      .WideString("Caption", &TTestWide::Caption, &TTestWide::SetCaption)
      .Integer("Count", &TTestWide::Count, &TTestWide::SetCount, Default(0))
      .Object("Items", &TTestWide::Items)
      .Done();
  return true;
}();
}  // namespace
