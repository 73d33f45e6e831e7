#include "UcWideProperties.h"

#include <algorithm>
#include <functional>

#include "SysConst.h"
#include "SysUtils.h"
#include "TypInfo.h"
#include "UcClasses.h"
#include "UcSysUtils.h"
#include "UcSystem.h"
#include "UcWideStrings.h"

bool ApplyLegacyWideValues = false;

namespace {

// A companion read from a form is applied while its owner is designed, or with the flag.
bool ApplyCompanion(TReader* Reader) {
  TComponent* owner = Reader->Owner();
  if (!owner) return false;
  return owner->ComponentState().Contains(csDesigning) || ApplyLegacyWideValues;
}

// Whether the value holds a character above U+007F: its UTF-8 bytes, widened one byte each,
// are not the value itself.
bool HoldsNonAscii(const WideString& Value) {
  const UTF8String utf8 = UTF8Encode(Value);
  WideString widened(utf8.size(), u'\0');
  std::transform(utf8.begin(), utf8.end(), widened.begin(),
                 [](char c) { return static_cast<char16_t>(static_cast<uint8_t>(c)); });
  return widened != Value;
}

// The ancestor being written has the property (nullptr when there is no ancestor or it has not).
const TPropInfo* AncestorProp(TFiler* Filer, const TPropInfo* Prop) {
  TPersistent* ancestor = Filer->Ancestor();
  if (!ancestor) return nullptr;
  return GetPropInfo(ancestor, Prop->Name);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// The companions of one wide-string property.
class TUcWideStringPropertyFiler : public TObject {
 public:
  TPersistent* Instance = nullptr;
  const TPropInfo* PropInfo = nullptr;

  void DefineProperties(TFiler* Filer) {
    const AnsiString name = PropInfo->Name;
    Filer->DefineProperty(name + "W", [this](TReader* r) { ReadDataUTF8(r); }, nullptr, false);
    Filer->DefineProperty(name + "_UTF7", [this](TReader* r) { ReadDataUTF7(r); },
                          [this](TWriter* w) { WriteDataUTF7(w); }, HasDataUTF7(Filer));
  }

 private:
  void ReadDataUTF8(TReader* Reader) {
    const AnsiString bytes = Reader->ReadString();
    if (ApplyCompanion(Reader)) SetWideStrProp(Instance, PropInfo, UTF8Decode(bytes));
  }
  void ReadDataUTF7(TReader* Reader) {
    const AnsiString bytes = Reader->ReadString();
    if (ApplyCompanion(Reader)) SetWideStrProp(Instance, PropInfo, DecodeUtf7(bytes));
  }
  void WriteDataUTF7(TWriter* Writer) { Writer->WriteString(EncodeUtf7(GetWideStrProp(Instance, PropInfo))); }
  bool HasDataUTF7(TFiler* Filer) {
    if (!dynamic_cast<TWriter*>(Filer)) return false;
    if (!IsStoredProp(Instance, PropInfo)) return false;
    const WideString value = GetWideStrProp(Instance, PropInfo);
    if (const TPropInfo* a = AncestorProp(Filer, PropInfo))
      if (GetWideStrProp(Filer->Ancestor(), a) == value) return false;
    return !value.empty() && HoldsNonAscii(value);
  }
};

// The companions of one wide-character property.
class TUcWideCharPropertyFiler : public TObject {
 public:
  TPersistent* Instance = nullptr;
  const TPropInfo* PropInfo = nullptr;
  TWriter* Writer = nullptr;

  void DefineProperties(TFiler* Filer) {
    Writer = dynamic_cast<TWriter*>(Filer);
    const AnsiString name = PropInfo->Name;
    Filer->DefineProperty(name + "W", [this](TReader* r) { ReadDataW(r); }, [this](TWriter* w) { WriteDataW(w); },
                          HasDataW(Filer));
    Filer->DefineProperty(name + "_UTF7", [this](TReader* r) { ReadDataUTF7(r); }, nullptr, false);
    Writer = nullptr;
  }

 private:
  void SetChar(const WideString& Text) {
    SetOrdProp(Instance, PropInfo, Text.empty() ? 0 : static_cast<int64_t>(Text[0]));
  }
  void ReadDataW(TReader* Reader) {
    WideString text;
    switch (Reader->NextValue()) {
      case vaString: text = AnsiToWide(Reader->ReadString()); break;
      case vaWString: text = Reader->ReadWideString(); break;
      default: throw EReadError(SInvalidPropertyValue);
    }
    if (text.size() > 1) throw EReadError(SInvalidPropertyValue);
    if (ApplyCompanion(Reader)) SetChar(text);
  }
  void ReadDataUTF7(TReader* Reader) { SetChar(DecodeUtf7(Reader->ReadString())); }
  void WriteDataW(TWriter* W) {
    W->WriteWideString(WideString(1, static_cast<char16_t>(GetOrdProp(Instance, PropInfo))));
  }
  bool HasDataW(TFiler* Filer) {
    if (!dynamic_cast<TWriter*>(Filer) || !IsStoredProp(Instance, PropInfo)) return false;
    const int64_t value = GetOrdProp(Instance, PropInfo);
    const TPropInfo* a = AncestorProp(Filer, PropInfo);
    if (a && GetOrdProp(Filer->Ancestor(), a) == value) return false;
    return !IsDefault(Filer, value, a);
  }
  bool IsDefault(TFiler* Filer, int64_t Value, const TPropInfo* AncestorInfo) {
    if (!PropInfo->HasGetter() || !PropInfo->HasSetter()) return true;
    if (AncestorInfo && ValidAncestor(Filer)) return GetOrdProp(Filer->Ancestor(), AncestorInfo) == Value;
    return PropInfo->HasDefault && PropInfo->Default == Value;
  }
  // An ancestor that the root being written inherits from.
  static bool ValidAncestor(TFiler* Filer) {
    TPersistent* ancestor = Filer->Ancestor();
    TComponent* root = Filer->Root();
    if (!ancestor || !root) return false;
    const TClassInfo* r = ClassInfoOf(root);
    const TClassInfo* a = ClassInfoOf(ancestor);
    return r && a && r->InheritsFrom(a);
  }
};

void DefineWideProperties(TFiler* Filer, TPersistent* Component) {
  TUcWideStringPropertyFiler strings;
  TUcWideCharPropertyFiler chars;
  strings.Instance = Component;
  chars.Instance = Component;
  for (const TPropInfo* p : GetPropList(Component)) {
    if (p->Kind == tkWString) {
      strings.PropInfo = p;
      strings.DefineProperties(Filer);
    } else if (p->Kind == tkWChar) {
      chars.PropInfo = p;
      chars.DefineProperties(Filer);
    }
  }
}

// ---------------------------------------------------------------------------------------------

WideString SyncWideFromAnsi(WideString& WideTwin, const AnsiString& AnsiValue) {
  if (WideToAnsi(WideTwin) != AnsiValue) WideTwin = AnsiToWide(AnsiValue);
  return WideTwin;
}

bool SurvivesCodePage(const WideString& Value, const AnsiString& Narrowed) { return AnsiToWide(Narrowed) == Value; }

void SetWideWithAnsiTwin(const WideString& Value, WideString& WideTwin, const AnsiString& AnsiValue,
                         const std::function<void(const AnsiString&)>& AnsiSetter, TComponent*) {
  SyncWideFromAnsi(WideTwin, AnsiValue);
  if (WideTwin == Value) return;
  const AnsiString narrowed = WideToAnsi(Value);
  if (!SurvivesCodePage(Value, narrowed) && AnsiValue == narrowed) AnsiSetter(AnsiString());
  WideTwin = Value;
  AnsiSetter(narrowed);
}

// ---------------------------------------------------------------------------------------------

TWideComponentHelperList::~TWideComponentHelperList() {
  clearing_ = true;
  std::vector<TWideComponentHelper*> items;
  items.swap(items_);
  for (TWideComponentHelper* h : items) delete h;
}

void TWideComponentHelperList::Insert(int Index, TWideComponentHelper* Helper) {
  items_.insert(items_.begin() + Index, Helper);
}

void TWideComponentHelperList::Remove(TWideComponentHelper* Helper) {
  if (clearing_) return;
  auto it = std::find(items_.begin(), items_.end(), Helper);
  if (it != items_.end()) items_.erase(it);
}

TWideComponentHelper::TWideComponentHelper(TComponent* AOwner) : TComponent(AOwner) {
  throw EUcInternalError("UC Internal Error: TWideComponentHelper.Create should never be encountered.");
}

TWideComponentHelper::TWideComponentHelper(FromList, TComponent* AComponent, TWideComponentHelperList* List)
    : TComponent(nullptr), component_(AComponent), list_(List) {
  if (component_) component_->FreeNotification(this);
}

TWideComponentHelper::~TWideComponentHelper() {
  // Out of the list by identity: the component may already be gone.
  if (list_) list_->Remove(this);
  if (component_) component_->RemoveFreeNotification(this);
}

void TWideComponentHelper::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == component_) {
    component_ = nullptr;
    delete this;
  }
}

bool FindWideComponentHelperIndex(const TWideComponentHelperList& List, const TComponent* Component, int& Index) {
  const std::less<const void*> below;
  int lo = 0, hi = List.Count() - 1;
  bool found = false;
  while (lo <= hi) {
    const int mid = (lo + hi) / 2;
    const void* c = List.items_[static_cast<size_t>(mid)]->Component();
    if (below(c, Component)) {
      lo = mid + 1;
    } else {
      hi = mid - 1;
      if (c == Component) {
        lo = mid;
        found = true;
      }
    }
  }
  Index = lo;
  return found;
}

TWideComponentHelper* FindHelper(const TWideComponentHelperList& List, const TComponent* Component) {
  int index = 0;
  if (!FindWideComponentHelperIndex(List, Component, index)) return nullptr;
  TWideComponentHelper* h = List.Items(index);
  Assert(h->Component() == Component, "UC Internal Error: FindWideComponentHelperIndex failed.");
  return h;
}

// ---------------------------------------------------------------------------------------------
// The form-resource companions of the wide string lists: "Strings" of every wide list, and the
// "WideStrings", "WideStringsW" and "WideStrings_UTF7" of the layer's own lists.

namespace {

// One item of a list value: a byte string widened, or a wide string.
WideString ReadItem(TReader* Reader) {
  return Reader->NextValue() == vaWString ? Reader->ReadWideString() : AnsiToWide(Reader->ReadString());
}

// The reader of "Strings" and "WideStrings": one string through SetTextStr, or a list of items.
void ReadStrings(TWideStrings* List, TReader* Reader) {
  switch (Reader->NextValue()) {
    case vaString:
    case vaLString:
      List->SetTextStr(AnsiToWide(Reader->ReadString()));
      return;
    case vaWString:
      List->SetTextStr(Reader->ReadWideString());
      return;
    default:
      break;
  }
  Reader->ReadListBegin();
  List->BeginUpdate();
  try {
    List->Clear();
    while (!Reader->EndOfList()) List->Add(ReadItem(Reader));
  } catch (...) {
    List->EndUpdate();
    throw;
  }
  List->EndUpdate();
  Reader->ReadListEnd();
}

// A list of byte strings, each decoded; nullptr Decode: read and dropped.
void ReadEncodedList(TWideStrings* List, TReader* Reader, WideString (*Decode)(const AnsiString&)) {
  Reader->ReadListBegin();
  if (Decode) {
    List->BeginUpdate();
    try {
      List->Clear();
      while (!Reader->EndOfList()) List->Add(Decode(Reader->ReadString()));
    } catch (...) {
      List->EndUpdate();
      throw;
    }
    List->EndUpdate();
  } else {
    while (!Reader->EndOfList()) Reader->ReadString();
  }
  Reader->ReadListEnd();
}

WideString DecodeUtf8(const AnsiString& S) { return UTF8Decode(S); }

// The storage rule of "Strings": against an ancestor list, when it differs; else when not empty.
bool StringsStored(TWideStrings* List, TFiler* Filer) {
  if (TPersistent* ancestor = Filer->Ancestor()) {
    auto* a = dynamic_cast<TWideStrings*>(ancestor);
    return !a || !a->Equals(List);
  }
  return List->Count() > 0;
}

void DefineWideStringsStrings(TWideStrings* List, TFiler* Filer) {
  const bool writing = dynamic_cast<TWriter*>(Filer) != nullptr;
  Filer->DefineProperty(
      "Strings", [List](TReader* r) { ReadStrings(List, r); },
      [List](TWriter* w) {
        w->WriteListBegin();
        for (int i = 0; i < List->Count(); ++i) w->WriteWideString(List->Get(i));
        w->WriteListEnd();
      },
      writing && StringsStored(List, Filer));
}

void DefineUcStringsCompanions(TUcStrings* List, TFiler* Filer) {
  const bool writing = dynamic_cast<TWriter*>(Filer) != nullptr;
  Filer->DefineProperty("WideStrings", [List](TReader* r) { ReadStrings(List, r); }, nullptr, false);
  Filer->DefineProperty(
      "WideStringsW",
      [List](TReader* r) { ReadEncodedList(List, r, ApplyCompanion(r) || List->Count() == 0 ? &DecodeUtf8 : nullptr); },
      nullptr, false);
  bool utf7 = false;
  if (writing && StringsStored(List, Filer))
    for (int i = 0; i < List->Count() && !utf7; ++i) utf7 = HoldsNonAscii(List->Get(i));
  Filer->DefineProperty(
      "WideStrings_UTF7", [List](TReader* r) { ReadEncodedList(List, r, ApplyCompanion(r) ? &DecodeUtf7 : nullptr); },
      [List](TWriter* w) {
        w->WriteListBegin();
        for (int i = 0; i < List->Count(); ++i) w->WriteString(EncodeUtf7(List->Get(i)));
        w->WriteListEnd();
      },
      utf7);
}

}  // namespace

static const bool registered =
    DeclareClass<TWideStrings, TPersistent>("TWideStrings").Define(&DefineWideStringsStrings).Done() &&
    DeclareClass<TUcStrings, TWideStrings>("TUcStrings").Define(&DefineUcStringsCompanions).Done() &&
    DeclareClass<TUcStringList, TUcStrings>("TUcStringList").Done();
