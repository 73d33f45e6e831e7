#include "UcMenus.h"

#include "TypInfo.h"
#include "UcActnList.h"
#include "UcSysUtils.h"
#include "UcWideProperties.h"
#include "windows.h"

WideString TUcMenuItem::Caption() {
  const WideString framework = AnsiToWide(TMenuItem::Caption());
  if (framework != wide_caption_) SyncHotKeyPosition(framework, wide_caption_);
  return SyncWideFromAnsi(wide_caption_, TMenuItem::Caption());
}

void TUcMenuItem::SetCaption(const WideString& Value) {
  SetWideWithAnsiTwin(Value, wide_caption_, TMenuItem::Caption(),
                      [this](const AnsiString& a) { TMenuItem::SetCaption(a); }, this);
}

WideString TUcMenuItem::Hint() { return SyncWideFromAnsi(wide_hint_, TMenuItem::Hint()); }

void TUcMenuItem::SetHint(const WideString& Value) {
  SetWideWithAnsiTwin(Value, wide_hint_, TMenuItem::Hint(), [this](const AnsiString& a) { TMenuItem::SetHint(a); },
                      this);
}

WideString TUcMenuItem::WidePlatformText() {
  WideString text = Caption();
  if (ShortCut() != 0 && Count() == 0 && !IsTopLevel()) text += u"\t" + WideShortCutToText(ShortCut());
  return text;
}

void TUcMenuItem::RefreshWideText(HMENU Menu, UINT Position) {
  if (!PlatformIsUnicode || !Parent() || !GetParentMenu() || !Visible()) return;
  MENUITEMINFOW mi{};
  mi.cbSize = sizeof mi;
  mi.fMask = MIIM_TYPE;
  if (!GetMenuItemInfoW(Menu, Position, TRUE, &mi)) return;
  if (mi.fType & (MFT_BITMAP | MFT_OWNERDRAW | MFT_SEPARATOR)) return;
  const WideString text = WidePlatformText();
  char16_t shown[1024] = {};
  const int n = GetMenuStringW(Menu, Position, shown, 1024, MF_BYPOSITION);
  if (WideString(shown, static_cast<size_t>(n > 0 ? n : 0)) == text) return;
  WideString buffer = text;
  mi.fMask = MIIM_TYPE;
  mi.fType = (mi.fType & ~static_cast<UINT>(MFT_BITMAP | MFT_OWNERDRAW | MFT_SEPARATOR)) | MFT_STRING;
  mi.dwTypeData = buffer.data();
  if (!SetMenuItemInfoW(Menu, Position, TRUE, &mi)) RaiseLastOSError();
  if (IsTopLevel())
    if (auto* main = dynamic_cast<TMainMenu*>(GetParentMenu()))
      if (main->WindowHandle() && IsWindow(main->WindowHandle())) DrawMenuBar(main->WindowHandle());
}

void TUcMenuItem::AppendTo(HMENU Menu, bool ARightToLeft) {
  TMenuItem::AppendTo(Menu, ARightToLeft);
  const int count = GetMenuItemCount(Menu);
  if (count > 0) RefreshWideText(Menu, static_cast<UINT>(count - 1));
}

void TUcMenuItem::DefineProperties(TFiler* Filer) {
  TMenuItem::DefineProperties(Filer);
  DefineWideProperties(Filer, this);
}

void TUcMenuItem::ActionChange(TObject* Sender, bool CheckDefaults) {
  if (auto* w = dynamic_cast<IWideCustomAction*>(Sender)) {
    if (!CheckDefaults || Caption().empty()) SetCaption(w->WideCaption());
    if (!CheckDefaults || Hint().empty()) SetHint(w->WideHint());
  }
  TMenuItem::ActionChange(Sender, CheckDefaults);
}

TMenuActionLink* TUcMenuItem::CreateActionLink() { return new TUcMenuActionLink(this); }

// ---- the link ----

bool TUcMenuActionLink::IsCaptionLinked() {
  if (!TMenuActionLink::IsCaptionLinked()) return false;
  auto* w = dynamic_cast<IWideCustomAction*>(Action());
  auto* item = dynamic_cast<TUcMenuItem*>(client_);
  return !w || !item || SameCaption(w->WideCaption(), item->Caption());
}

bool TUcMenuActionLink::IsHintLinked() {
  if (!TMenuActionLink::IsHintLinked()) return false;
  auto* w = dynamic_cast<IWideCustomAction*>(Action());
  auto* item = dynamic_cast<TUcMenuItem*>(client_);
  return !w || !item || w->WideHint() == item->Hint();
}

void TUcMenuActionLink::SetCaption(const AnsiString& Value) {
  auto* w = dynamic_cast<IWideCustomAction*>(Action());
  auto* item = dynamic_cast<TUcMenuItem*>(client_);
  if (!w || !item) {
    TMenuActionLink::SetCaption(Value);
    return;
  }
  if (!IsCaptionLinked()) return;
  const WideString* setting = w->CaptionBeingSet();
  item->SetCaption(setting && WideToAnsi(*setting) == Value ? *setting : AnsiToWide(Value));
}

void TUcMenuActionLink::SetHint(const AnsiString& Value) {
  auto* w = dynamic_cast<IWideCustomAction*>(Action());
  auto* item = dynamic_cast<TUcMenuItem*>(client_);
  if (!w || !item) {
    TMenuActionLink::SetHint(Value);
    return;
  }
  if (!IsHintLinked()) return;
  const WideString* setting = w->HintBeingSet();
  item->SetHint(setting && WideToAnsi(*setting) == Value ? *setting : AnsiToWide(Value));
}

static const bool registered =
    DeclareClass<TUcMenuItem, TMenuItem>("TUcMenuItem")
        .WideString("Caption", &TUcMenuItem::Caption, &TUcMenuItem::SetCaption,
                    [](TUcMenuItem* i) { return !i->ActionLink() || !i->ActionLink()->IsCaptionLinked(); })
        .WideString("Hint", &TUcMenuItem::Hint, &TUcMenuItem::SetHint,
                    [](TUcMenuItem* i) { return !i->ActionLink() || !i->ActionLink()->IsHintLinked(); })
        .Done();
