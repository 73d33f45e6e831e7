#include "UcMenus.h"

#include "TypInfo.h"
#include <vector>

#include "UcActnList.h"
#include "UcControls.h"
#include "UcForms.h"
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

void TUcMenuItem::Loaded() {
  TMenuItem::Loaded();
  RefreshWideMenuTexts(GetParentMenu());
}

void TUcMenuItem::MenuChanged(bool Rebuild) {
  if (menu_change_suppressed_) return;
  TMenuItem::MenuChanged(Rebuild);
  if (!ComponentState().Contains(csLoading) && !ComponentState().Contains(csDestroying))
    RefreshWideMenuTexts(GetParentMenu());
}

namespace {
// Depth-first from the last item to the first; Position is the item's place among the visible
// children, which are the platform menu's items.
void RefreshChildren(TMenuItem* Parent) {
  if (!Parent->HandleAllocated()) return;
  const HMENU menu = Parent->Handle();
  std::vector<int> positions(static_cast<size_t>(Parent->Count()), -1);
  for (int i = 0, position = 0; i < Parent->Count(); ++i)
    if (Parent->Items(i)->Visible()) positions[static_cast<size_t>(i)] = position++;
  for (int i = Parent->Count() - 1; i >= 0; --i) {
    TMenuItem* item = Parent->Items(i);
    RefreshChildren(item);
    if (auto* w = dynamic_cast<TUcMenuItem*>(item); w && positions[static_cast<size_t>(i)] >= 0)
      w->RefreshWideText(menu, static_cast<UINT>(positions[static_cast<size_t>(i)]));
  }
}
}  // namespace

void RefreshWideMenuTexts(TMenu* Menu) {
  if (!PlatformIsUnicode || !Menu || Menu->ComponentState().Contains(csLoading) ||
      Menu->ComponentState().Contains(csDestroying))
    return;
  RefreshChildren(Menu->Items());
}

// ---- the pop-up list ----

namespace {
TUcPopupList* g_popup_list = nullptr;

// Moves the registered pop-up menus of one list to another.
void MoveMenus(TPopupList* From, TPopupList* To) {
  for (int i = 0; i < From->Count(); ++i) To->Add(static_cast<TPopupMenu*>(From->Items(i)));
  From->Clear();
}
}  // namespace

TUcPopupList* InstallUcPopupList() {
  if (!g_popup_list && PopupList) {
    g_popup_list = new TUcPopupList(PopupList);
    MoveMenus(PopupList, g_popup_list);
    PopupList = g_popup_list;
  }
  return g_popup_list;
}

void UninstallUcPopupList() {
  if (!g_popup_list) return;
  TPopupList* saved = g_popup_list->SavedPopupList();
  if (PopupList == g_popup_list) PopupList = saved;
  if (saved) MoveMenus(g_popup_list, saved);
  delete g_popup_list;
  g_popup_list = nullptr;
}

void TUcPopupList::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_MENUSELECT: {
      // The selected item's long wide hint becomes the application's; none clears it.
      TMenuItem* item = nullptr;
      if (Message.LParam && Message.WParamHi() != 0xFFFF) {
        for (int i = 0; i < Count() && !item; ++i) {
          auto* m = static_cast<TPopupMenu*>(Items(i));
          item = (Message.WParamHi() & MF_POPUP)
                     ? m->FindItem(reinterpret_cast<UINT_PTR>(
                                       GetSubMenu(reinterpret_cast<HMENU>(Message.LParam), Message.WParamLo())),
                                   fkHandle)
                     : m->FindItem(Message.WParamLo(), fkCommand);
        }
      }
      WideString hint;
      if (auto* w = dynamic_cast<TUcMenuItem*>(item)) hint = w->Hint();
      else if (item) hint = AnsiToWide(item->Hint());
      UcApplication()->SetHint(item ? LongHintOf(hint) : WideString());
      break;
    }
    case WM_ENTERMENULOOP:
      for (int i = 0; i < Count(); ++i) RefreshWideMenuTexts(static_cast<TPopupMenu*>(Items(i)));
      break;
    default:
      break;
  }
  TPopupList::WndProc(Message);
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
