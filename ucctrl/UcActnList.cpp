#include "UcActnList.h"

#include <memory>
#include <typeinfo>

#include "SysUtils.h"
#include "TypInfo.h"
#include "UcControls.h"
#include "UcWideProperties.h"

TCustomActionHelper* TCustomActionHelper::Of(TCustomAction* Action) {
  for (int i = 0; i < Action->ComponentCount(); ++i)
    if (auto* h = dynamic_cast<TCustomActionHelper*>(Action->Components(i))) return h;
  return new TCustomActionHelper(Action);
}

namespace {

// Sets a wide text of an action: the framework's ANSI setter runs with the narrowed text while
// the links can ask for the wide text being set. The links compare the old texts first; once the
// framework holds the new ANSI text, the action's wide text is the one being set. A text the code page cannot hold whose narrowed
// form is the current ANSI text first passes empty text, so the clients see a change.
void SetActionWideText(const WideString& Value, WideString& Twin, const WideString*& Setting,
                       const AnsiString& Current, const std::function<void(const AnsiString&)>& AnsiSetter) {
  SyncWideFromAnsi(Twin, Current);
  if (Twin == Value) return;
  const AnsiString narrowed = WideToAnsi(Value);
  struct Clear {
    const WideString*& s;
    ~Clear() { s = nullptr; }
  } clear{Setting};
  if (!SurvivesCodePage(Value, narrowed) && Current == narrowed) {
    static const WideString kEmpty;
    Setting = &kEmpty;
    AnsiSetter(AnsiString());
    Twin.clear();
  }
  Setting = &Value;
  AnsiSetter(narrowed);
  Twin = Value;
}

// The wide text and hint of a source of Assign: an action's, or a control's.
bool WideTextsOf(TPersistent* Source, WideString& Caption, WideString& Hint) {
  if (auto* a = dynamic_cast<TCustomAction*>(Source)) {
    Caption = WideActionCaption(a);
    Hint = WideActionHint(a);
    return true;
  }
  if (auto* c = dynamic_cast<TControl*>(Source)) {
    Caption = GetControlWideText(c);
    Hint = GetControlWideHint(c);
    return true;
  }
  return false;
}

}  // namespace

WideString WideActionCaption(TBasicAction* Action) {
  if (auto* w = dynamic_cast<IWideCustomAction*>(Action)) return w->WideCaption();
  if (auto* a = dynamic_cast<TCustomAction*>(Action)) return AnsiToWide(a->Caption());
  return WideString();
}

WideString WideActionHint(TBasicAction* Action) {
  if (auto* w = dynamic_cast<IWideCustomAction*>(Action)) return w->WideHint();
  if (auto* a = dynamic_cast<TCustomAction*>(Action)) return AnsiToWide(a->Hint());
  return WideString();
}

// ---- the two action classes share their wide texts' handling ----

#define VSE_UC_ACTION_TEXTS(Class, Base)                                                                      \
  WideString Class::WideCaption() {                                                                           \
    TCustomActionHelper* h = TCustomActionHelper::Of(this);                                                   \
    if (h->SettingCaption && WideToAnsi(*h->SettingCaption) == Base::Caption()) return *h->SettingCaption;    \
    return SyncWideFromAnsi(h->WideCaption, Base::Caption());                                                 \
  }                                                                                                           \
  void Class::SetWideCaption(const WideString& Value) {                                                       \
    TCustomActionHelper* h = TCustomActionHelper::Of(this);                                                   \
    SetActionWideText(Value, h->WideCaption, h->SettingCaption, Base::Caption(),                              \
                      [this](const AnsiString& a) { Base::SetCaption(a); });                                  \
  }                                                                                                           \
  WideString Class::WideHint() {                                                                              \
    TCustomActionHelper* h = TCustomActionHelper::Of(this);                                                   \
    if (h->SettingHint && WideToAnsi(*h->SettingHint) == Base::Hint()) return *h->SettingHint;                \
    return SyncWideFromAnsi(h->WideHint, Base::Hint());                                                       \
  }                                                                                                           \
  void Class::SetWideHint(const WideString& Value) {                                                          \
    TCustomActionHelper* h = TCustomActionHelper::Of(this);                                                   \
    SetActionWideText(Value, h->WideHint, h->SettingHint, Base::Hint(),                                       \
                      [this](const AnsiString& a) { Base::SetHint(a); });                                     \
  }                                                                                                           \
  const WideString* Class::CaptionBeingSet() { return TCustomActionHelper::Of(this)->SettingCaption; }        \
  const WideString* Class::HintBeingSet() { return TCustomActionHelper::Of(this)->SettingHint; }              \
  void Class::DefineProperties(TFiler* Filer) {                                                               \
    Base::DefineProperties(Filer);                                                                            \
    DefineWideProperties(Filer, this);                                                                        \
  }                                                                                                           \
  void Class::Assign(TPersistent* Source) {                                                                   \
    WideString caption, hint;                                                                                 \
    const bool wide = WideTextsOf(Source, caption, hint);                                                     \
    if (!dynamic_cast<TControl*>(Source)) Base::Assign(Source);                                               \
    if (!wide) return;                                                                                        \
    SetWideCaption(caption);                                                                                  \
    SetWideHint(hint);                                                                                        \
  }

TUcAction::TUcAction(TComponent* AOwner) : TAction(AOwner) {}
VSE_UC_ACTION_TEXTS(TUcAction, TAction)

TUcHintAction::TUcHintAction(TComponent* AOwner) : THintAction(AOwner) {}
VSE_UC_ACTION_TEXTS(TUcHintAction, THintAction)

#undef VSE_UC_ACTION_TEXTS

// ---- links ----

template <class Base>
bool TUcControlLinkOf<Base>::IsCaptionLinked() {
  if (!Base::IsCaptionLinked()) return false;
  auto* w = dynamic_cast<IWideCustomAction*>(this->Action());
  return !w || w->WideCaption() == GetControlWideText(this->Client());
}

template <class Base>
bool TUcControlLinkOf<Base>::IsHintLinked() {
  if (!Base::IsHintLinked()) return false;
  auto* w = dynamic_cast<IWideCustomAction*>(this->Action());
  return !w || w->WideHint() == GetControlWideHint(this->Client());
}

template <class Base>
void TUcControlLinkOf<Base>::SetCaption(const AnsiString& Value) {
  auto* w = dynamic_cast<IWideCustomAction*>(this->Action());
  if (!w) {
    Base::SetCaption(Value);
    return;
  }
  if (!this->Client() || !IsCaptionLinked()) return;
  const WideString* setting = w->CaptionBeingSet();
  SetControlWideText(this->Client(), setting && WideToAnsi(*setting) == Value ? *setting : AnsiToWide(Value));
}

template <class Base>
void TUcControlLinkOf<Base>::SetHint(const AnsiString& Value) {
  auto* w = dynamic_cast<IWideCustomAction*>(this->Action());
  if (!w) {
    Base::SetHint(Value);
    return;
  }
  if (!this->Client() || !IsHintLinked()) return;
  const WideString* setting = w->HintBeingSet();
  SetControlWideHint(this->Client(), setting && WideToAnsi(*setting) == Value ? *setting : AnsiToWide(Value));
}

template class TUcControlLinkOf<TControlActionLink>;
template class TUcControlLinkOf<TButtonActionLink>;
template class TUcControlLinkOf<TToolButtonActionLink>;
template class TUcControlLinkOf<TSpeedButtonActionLink>;
template class TUcControlLinkOf<TComboBoxExActionLink>;

TControlActionLinkClass WideActionLinkClass(TControl* Control, const TControlActionLinkClass& FrameworkClass) {
  TControlActionLinkClass chosen;
  const std::type_info* parent = nullptr;
  if (dynamic_cast<TCustomListView*>(Control)) {
    chosen = [](TControl* c) -> TControlActionLink* { return new TUcListViewActionLink(c); };
    parent = &typeid(TControlActionLink);
  } else if (dynamic_cast<TCustomComboBoxEx*>(Control)) {
    chosen = [](TControl* c) -> TControlActionLink* { return new TUcComboBoxExActionLink(c); };
    parent = &typeid(TComboBoxExActionLink);
  } else if (dynamic_cast<TSpeedButton*>(Control)) {
    chosen = [](TControl* c) -> TControlActionLink* { return new TUcSpeedButtonActionLink(c); };
    parent = &typeid(TSpeedButtonActionLink);
  } else if (dynamic_cast<TToolButton*>(Control)) {
    chosen = [](TControl* c) -> TControlActionLink* { return new TUcToolButtonActionLink(c); };
    parent = &typeid(TToolButtonActionLink);
  } else if (dynamic_cast<TButtonControl*>(Control)) {
    chosen = [](TControl* c) -> TControlActionLink* { return new TUcButtonActionLink(c); };
    parent = &typeid(TButtonActionLink);
  } else if (dynamic_cast<TWinControl*>(Control)) {
    chosen = [](TControl* c) -> TControlActionLink* { return new TUcWinControlActionLink(c); };
    parent = &typeid(TControlActionLink);
  } else {
    chosen = [](TControl* c) -> TControlActionLink* { return new TUcControlActionLink(c); };
    parent = &typeid(TControlActionLink);
  }
  std::unique_ptr<TControlActionLink> framework(FrameworkClass ? FrameworkClass(Control) : nullptr);
  Assert(framework && typeid(*framework) == *parent, "Assertion failure");
  return chosen;
}

void WideControlActionChange(TControl* Control, TObject* Sender, bool CheckDefaults) {
  auto* w = dynamic_cast<IWideCustomAction*>(Sender);
  if (!w) return;
  const WideString caption = GetControlWideText(Control);
  if (!CheckDefaults || caption.empty() || caption == AnsiToWide(Control->Name()))
    SetControlWideText(Control, w->WideCaption());
  if (!CheckDefaults || GetControlWideHint(Control).empty()) SetControlWideHint(Control, w->WideHint());
}

// ---------------------------------------------------------------------------------------------

static const bool registered =
    DeclareClass<TUcAction, TAction>("TUcAction")
        .WideString("Caption", &TUcAction::WideCaption, &TUcAction::SetWideCaption)
        .WideString("Hint", &TUcAction::WideHint, &TUcAction::SetWideHint)
        .Done() &&
    DeclareClass<TUcHintAction, THintAction>("TUcHintAction")
        .WideString("Hint", &TUcHintAction::WideHint, &TUcHintAction::SetWideHint)
        .Done() &&
    DeclareClass<TUcActionList, TCustomActionList>("TUcActionList")
        .Component("Images", &TUcActionList::Images, &TUcActionList::SetImages)
        .Event("OnChange", static_cast<TNotifyEvent TUcActionList::*>(&TCustomActionList::OnChange))
        .Event("OnExecute", static_cast<TActionEvent TUcActionList::*>(&TCustomActionList::OnExecute))
        .Event("OnUpdate", static_cast<TActionEvent TUcActionList::*>(&TCustomActionList::OnUpdate))
        .Done();
