// Non-visual classes streamed by the tests: a root with children that have parents, sub-objects
// (Font, Items), a collection, references and events.
#pragma once
#include <memory>
#include <vector>

#include "Classes.h"
#include "Graphics.h"
#include "TypInfo.h"

enum TTestAlign { taNone, taTop, taBottom, taClient };
enum TTestOption { toOne, toTwo, toThree, toFour };
using TTestOptions = TSet<TTestOption>;

class TTestItem : public TCollectionItem {
 public:
  using TCollectionItem::TCollectionItem;
  AnsiString Title() const { return title_; }
  void SetTitle(const AnsiString& v) { title_ = v; }
  int32_t Size() const { return size_; }
  void SetSize(int32_t v) { size_ = v; }

 private:
  AnsiString title_;
  int32_t size_ = 10;
};

// Children with a parent are streamed inside it.
class TTestNode : public TComponent {
 public:
  explicit TTestNode(TComponent* AOwner) : TComponent(AOwner) {}
  ~TTestNode() override;
  void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override;
  bool HasParent() override { return parent_ != nullptr; }
  TComponent* GetParentComponent() override { return parent_; }
  void SetParentComponent(TComponent* Value) override;
  const std::vector<TComponent*>& Kids() const { return kids_; }
  int LoadedCount = 0;

 protected:
  void Loaded() override {
    TComponent::Loaded();
    ++LoadedCount;
  }
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TTestNode* parent_ = nullptr;
  std::vector<TComponent*> kids_;
};

class TTestChild : public TTestNode {
 public:
  explicit TTestChild(TComponent* AOwner) : TTestNode(AOwner) {}
  AnsiString Caption() const { return caption_; }
  void SetCaption(const AnsiString& v) { caption_ = v; }
  int32_t Left() const { return left_; }
  void SetLeft(int32_t v) { left_ = v; }
  TComponent* Buddy() const { return buddy_; }
  void SetBuddy(TComponent* v) { buddy_ = v; }
  TNotifyEvent OnClick;
  TBitmap* Glyph() const { return glyph_.get(); }
  TPicture* Picture() const { return picture_.get(); }

 private:
  std::unique_ptr<TBitmap> glyph_ = std::make_unique<TBitmap>();
  std::unique_ptr<TPicture> picture_ = std::make_unique<TPicture>();
  AnsiString caption_;
  int32_t left_ = 0;
  TComponent* buddy_ = nullptr;
};

class TTestRoot : public TTestNode {
 public:
  explicit TTestRoot(TComponent* AOwner);
  WideString Caption() const { return caption_; }
  void SetCaption(const WideString& v) { caption_ = v; }
  AnsiString Hint() const { return hint_; }
  void SetHint(const AnsiString& v) { hint_ = v; }
  int32_t Width() const { return width_; }
  void SetWidth(int32_t v) { width_ = v; }
  int64_t Big() const { return big_; }
  void SetBig(int64_t v) { big_ = v; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v) { enabled_ = v; }
  TTestAlign Align() const { return align_; }
  void SetAlign(TTestAlign v) { align_ = v; }
  TTestOptions Options() const { return options_; }
  void SetOptions(TTestOptions v) { options_ = v; }
  double Ratio() const { return ratio_; }
  void SetRatio(double v) { ratio_ = v; }
  WideChar Mark() const { return mark_; }
  void SetMark(WideChar v) { mark_ = v; }
  TFont* Font() const { return font_.get(); }
  TStringList* Items() const { return items_.get(); }
  TCollection* Columns() const { return columns_.get(); }
  TComponent* Partner() const { return partner_; }
  void SetPartner(TComponent* v) { partner_ = v; }
  bool HintStored() const { return hint_ != "-"; }

  TNotifyEvent OnCreate;
  std::function<void(TObject*, bool&)> OnCloseQuery;

  // Handlers found by name.
  void FormCreate(TObject* Sender) { ++created; }
  void FormCloseQuery(TObject* Sender, bool& CanClose) { CanClose = false; }
  void ButtonClick(TObject* Sender) { clicked = Sender; }
  int created = 0;
  TObject* clicked = nullptr;
  TTestChild* Button1 = nullptr;  // a published field

 private:
  WideString caption_;
  AnsiString hint_;
  int32_t width_ = 100;
  int64_t big_ = 0;
  bool enabled_ = true;
  TTestAlign align_ = taNone;
  TTestOptions options_{toOne, toThree};
  double ratio_ = 0;
  WideChar mark_ = 0;
  std::unique_ptr<TFont> font_;
  std::unique_ptr<TStringList> items_;
  std::unique_ptr<TOwnedCollection> columns_;
  TComponent* partner_ = nullptr;
};

// A form class derived from TTestRoot, for inherited resources.
class TTestDerived : public TTestRoot {
 public:
  using TTestRoot::TTestRoot;
  TTestChild* Extra = nullptr;
};

// A list with wide twins defined through DefineProperties.
class TTestWideList : public TPersistent {
 public:
  std::vector<WideString> Lines;
  std::vector<AnsiString> Seen;       // names offered to DefineProperties while reading
  bool ApplyUtf7 = false;             // apply "WideStrings_UTF7" instead of dropping it
  std::vector<AnsiString> Utf7Lines;  // what was applied

 protected:
  void DefineProperties(TFiler* Filer) override;
};

// A component with a published wide Caption and its "_UTF7" twin read and dropped.
class TTestWide : public TComponent {
 public:
  explicit TTestWide(TComponent* AOwner) : TComponent(AOwner), items_(new TTestWideList) {}
  WideString Caption() const { return caption_; }
  void SetCaption(const WideString& v) { caption_ = v; }
  int32_t Count() const { return count_; }
  void SetCount(int32_t v) { count_ = v; }
  TTestWideList* Items() const { return items_.get(); }
  AnsiString DroppedTwin;  // set when the twin was met
  bool TwinAlsoWritten = false;

 protected:
  void DefineProperties(TFiler* Filer) override;

 private:
  WideString caption_;
  int32_t count_ = 0;
  std::unique_ptr<TTestWideList> items_;
};
