#include "Menus.h"

#include <algorithm>
#include <set>

#include "Forms.h"
#include "TypInfo.h"

const char* const cLineCaption = "-";

// ---------------------------------------------------------------------------------------------
// Shortcuts.

TShortCut ShortCut(Word Key, TShiftState Shift) {
  if (Key & 0xFF00) return 0;
  TShortCut r = static_cast<TShortCut>(Key);
  if (Shift.Contains(ssShift)) r |= scShift;
  if (Shift.Contains(ssCtrl)) r |= scCtrl;
  if (Shift.Contains(ssAlt)) r |= scAlt;
  return r;
}

void ShortCutToKey(TShortCut ShortCut, Word& Key, TShiftState& Shift) {
  Key = static_cast<Word>(ShortCut & 0xFF);
  Shift = {};
  if (ShortCut & scShift) Shift.Include(ssShift);
  if (ShortCut & scCtrl) Shift.Include(ssCtrl);
  if (ShortCut & scAlt) Shift.Include(ssAlt);
}

namespace {

const char* const kShift = SmkcShift;
const char* const kCtrl = SmkcCtrl;
const char* const kAlt = SmkcAlt;

// The key's name: the framework's own for the keys it names, else the keyboard's.
AnsiString KeyName(BYTE key) {
  static const char* const kSpaceToDown[] = {"Space", "PgUp", "PgDn", "End", "Home", "Left", "Up", "Right", "Down"};
  if (key == VK_BACK) return "BkSp";
  if (key == VK_TAB) return "Tab";
  if (key == VK_RETURN) return "Enter";
  if (key == VK_ESCAPE) return "Esc";
  if (key >= VK_SPACE && key <= VK_DOWN) return kSpaceToDown[key - VK_SPACE];
  if (key == VK_INSERT) return "Ins";
  if (key == VK_DELETE) return "Del";
  if (key >= '0' && key <= '9') return AnsiString(1, static_cast<char>(key));
  if (key >= 'A' && key <= 'Z') return AnsiString(1, static_cast<char>(key));
  if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9) return AnsiString(1, static_cast<char>('0' + key - VK_NUMPAD0));
  if (key >= VK_F1 && key <= VK_F1 + 23) return "F" + IntToStr(key - VK_F1 + 1);
  UINT scan = MapVirtualKeyA(key, 0);
  if (scan == 0) return {};
  char name[256] = {};
  int n = GetKeyNameTextA(static_cast<LONG>(scan << 16), name, 256);
  return n > 0 ? AnsiString(name, static_cast<size_t>(n)) : AnsiString();
}

// Takes a case-insensitive prefix off Text.
bool TakeFront(AnsiString& Text, const char* Front) {
  AnsiString f = Front;
  if (Text.size() < f.size() || !AnsiSameText(Text.substr(0, f.size()), f)) return false;
  Text.erase(0, f.size());
  return true;
}

}  // namespace

AnsiString ShortCutToText(TShortCut ShortCut) {
  AnsiString name = KeyName(static_cast<BYTE>(ShortCut & 0xFF));
  if (name.empty()) return {};
  AnsiString r;
  if (ShortCut & scShift) r += kShift;
  if (ShortCut & scCtrl) r += kCtrl;
  if (ShortCut & scAlt) r += kAlt;
  return r + name;
}

TShortCut TextToShortCut(AnsiString Text) {
  TShortCut shift = 0;
  for (;;) {
    if (TakeFront(Text, kShift)) shift |= scShift;
    else if (TakeFront(Text, "^")) shift |= scCtrl;
    else if (TakeFront(Text, kCtrl)) shift |= scCtrl;
    else if (TakeFront(Text, kAlt)) shift |= scAlt;
    else break;
  }
  if (Text.empty()) return 0;
  for (int key = 0x08; key <= 0xFF; ++key)
    if (AnsiSameText(Text, ShortCutToText(static_cast<TShortCut>(key)))) return static_cast<TShortCut>(key | shift);
  return 0;
}

// ---------------------------------------------------------------------------------------------
// Commands: each item has an identifier of its own for its platform item.

namespace {
std::set<WORD>& UsedCommands() {
  static std::set<WORD> used;
  return used;
}

WORD UniqueCommand() {
  auto& used = UsedCommands();
  WORD c = 1;
  for (WORD u : used) {
    if (u != c) break;
    ++c;
  }
  used.insert(c);
  return c;
}

void ReleaseCommand(WORD c) { UsedCommands().erase(c); }

// Only the "&" marks go ("&&" stays a literal "&").
AnsiString StripMarks(const AnsiString& s) {
  AnsiString r;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '&') {
      if (i + 1 < s.size() && s[i + 1] == '&') r.push_back('&'), ++i;
      continue;
    }
    r.push_back(s[i]);
  }
  return r;
}
}  // namespace

// ---------------------------------------------------------------------------------------------
// TMenuActionLink.

TMenuActionLink::TMenuActionLink(TObject* AClient)
    : TActionLink(AClient), client_(dynamic_cast<TMenuItem*>(AClient)) {}

namespace {
TCustomAction* AsCustom(TBasicAction* a) { return dynamic_cast<TCustomAction*>(a); }
}  // namespace

bool TMenuActionLink::IsCaptionLinked() {
  // The menu may have given the caption a mnemonic of its own.
  return TActionLink::IsCaptionLinked() && client_ &&
         AnsiSameText(StripHotkey(client_->Caption()), StripHotkey(AsCustom(action_)->Caption()));
}
bool TMenuActionLink::IsCheckedLinked() {
  return TActionLink::IsCheckedLinked() && client_ && client_->Checked() == AsCustom(action_)->Checked();
}
bool TMenuActionLink::IsEnabledLinked() {
  return TActionLink::IsEnabledLinked() && client_ && client_->Enabled() == AsCustom(action_)->Enabled();
}
bool TMenuActionLink::IsHintLinked() {
  return TActionLink::IsHintLinked() && client_ && client_->Hint() == AsCustom(action_)->Hint();
}
bool TMenuActionLink::IsImageIndexLinked() {
  return TActionLink::IsImageIndexLinked() && client_ && client_->ImageIndex() == AsCustom(action_)->ImageIndex();
}
bool TMenuActionLink::IsShortCutLinked() {
  return TActionLink::IsShortCutLinked() && client_ && client_->ShortCut() == AsCustom(action_)->ShortCut();
}
bool TMenuActionLink::IsVisibleLinked() {
  return TActionLink::IsVisibleLinked() && client_ && client_->Visible() == AsCustom(action_)->Visible();
}
bool TMenuActionLink::IsGroupIndexLinked() {
  return TActionLink::IsGroupIndexLinked() && client_ && client_->GroupIndex() == AsCustom(action_)->GroupIndex();
}
bool TMenuActionLink::IsHelpContextLinked() {
  return TActionLink::IsHelpContextLinked() && client_ && client_->HelpContext() == AsCustom(action_)->HelpContext();
}
bool TMenuActionLink::IsOnExecuteLinked() {
  if (!TActionLink::IsOnExecuteLinked() || !client_) return false;
  const TPropInfo* execute = GetPropInfo(action_, "OnExecute");
  const TPropInfo* click = GetPropInfo(client_, "OnClick");
  if (!execute || !click || !execute->GetMethod || !click->GetMethod) return false;
  return GetMethodProp(client_, click) == GetMethodProp(action_, execute);
}
void TMenuActionLink::SetCaption(const AnsiString& Value) {
  if (IsCaptionLinked()) client_->SetCaption(Value);
}
void TMenuActionLink::SetChecked(bool Value) {
  if (IsCheckedLinked()) client_->SetChecked(Value);
}
void TMenuActionLink::SetEnabled(bool Value) {
  if (IsEnabledLinked()) client_->SetEnabled(Value);
}
void TMenuActionLink::SetHint(const AnsiString& Value) {
  if (IsHintLinked()) client_->SetHint(Value);
}
void TMenuActionLink::SetImageIndex(int Value) {
  if (IsImageIndexLinked()) client_->SetImageIndex(Value);
}
void TMenuActionLink::SetShortCut(TShortCut Value) {
  if (IsShortCutLinked()) client_->SetShortCut(Value);
}
void TMenuActionLink::SetVisible(bool Value) {
  if (IsVisibleLinked()) client_->SetVisible(Value);
}
void TMenuActionLink::SetGroupIndex(int Value) {
  if (IsGroupIndexLinked()) client_->SetGroupIndex(static_cast<uint8_t>(Value));
}
void TMenuActionLink::SetHelpContext(int Value) {
  if (IsHelpContextLinked()) client_->SetHelpContext(Value);
}

// ---------------------------------------------------------------------------------------------
// TMenuItem.

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner), command_(UniqueCommand()) {}

TMenuItem::~TMenuItem() {
  Destroying();
  action_link_.reset();
  // The children go with the item; then the item leaves its parent.
  while (!items_.empty()) {
    TMenuItem* c = items_.back();
    items_.pop_back();
    c->parent_ = nullptr;
    delete c;
  }
  if (parent_) parent_->Remove(this);
  if (handle_) DestroyMenu(handle_);
  ReleaseCommand(command_);
}

void TMenuItem::Add(TMenuItem* Item) { Insert(Count(), Item); }

void TMenuItem::Insert(int Index, TMenuItem* Item) {
  if (!Item || Item == this) return;
  if (Item->parent_) throw EMenuError("メニューが二重に挿入されました");
  Index = std::clamp(Index, 0, Count());
  items_.insert(items_.begin() + Index, Item);
  Item->parent_ = this;
  ChildrenChanged();
}

// The children's platform items live in this item's pop-up; this item's own in its parent's.
void TMenuItem::ChildrenChanged() {
  if (ComponentState().Contains(csDestroying)) return;
  RebuildHandle();
  MenuChanged(true);
}

void TMenuItem::Delete(int Index) {
  if (Index < 0 || Index >= Count()) throw EMenuError(Format("メニューのインデックスが範囲を超えています (%d)", {Index}));
  TMenuItem* c = items_[static_cast<size_t>(Index)];
  delete c;  // leaves this item itself
}

void TMenuItem::Remove(TMenuItem* Item) {
  auto it = std::find(items_.begin(), items_.end(), Item);
  if (it == items_.end()) return;
  items_.erase(it);
  Item->parent_ = nullptr;
  ChildrenChanged();
}

void TMenuItem::Clear() {
  while (!items_.empty()) Delete(Count() - 1);
}

int TMenuItem::IndexOf(const TMenuItem* Item) const {
  auto it = std::find(items_.begin(), items_.end(), Item);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

TMenuItem* TMenuItem::Find(const AnsiString& ACaption) const {
  // "開く(&O)" is found as "開く" and as "開く(O)".
  const AnsiString want = StripHotkey(ACaption), plain = StripMarks(ACaption);
  for (TMenuItem* c : items_)
    if (AnsiSameText(StripHotkey(c->caption_), want) || AnsiSameText(StripMarks(c->caption_), plain)) return c;
  return nullptr;
}

int TMenuItem::MenuIndex() const { return parent_ ? parent_->IndexOf(this) : -1; }

void TMenuItem::SetMenuIndex(int Value) {
  if (!parent_) return;
  TMenuItem* p = parent_;
  int cur = MenuIndex();
  Value = std::clamp(Value, 0, p->Count() - 1);
  if (Value == cur) return;
  p->items_.erase(p->items_.begin() + cur);
  p->items_.insert(p->items_.begin() + Value, this);
  p->ChildrenChanged();
}

TMenu* TMenuItem::GetParentMenu() const {
  const TMenuItem* i = this;
  while (i->parent_) i = i->parent_;
  return i->menu_;
}

bool TMenuItem::IsLine() const { return caption_ == cLineCaption; }

bool TMenuItem::IsOnMenuBar() const {
  return parent_ && parent_->menu_ && dynamic_cast<TMainMenu*>(parent_->menu_) != nullptr;
}

HMENU TMenuItem::Handle() {
  if (!handle_) {
    handle_ = menu_ ? menu_->CreateMenuHandle() : CreatePopupMenu();
    RebuildHandle();
  }
  return handle_;
}

AnsiString TMenuItem::PlatformText() {
  if (short_cut_ != 0 && Count() == 0 && !IsOnMenuBar()) return caption_ + "\t" + ShortCutToText(short_cut_);
  return caption_;
}

void TMenuItem::AppendTo(HMENU Menu, bool ARightToLeft) {
  AnsiString text = PlatformText();
  MENUITEMINFOA mi{};
  mi.cbSize = sizeof(mi);
  mi.fMask = MIIM_ID | MIIM_STATE | MIIM_TYPE | MIIM_DATA | (Count() > 0 ? MIIM_SUBMENU : 0);
  if (IsLine()) {
    mi.fType = MFT_SEPARATOR;
  } else if (!IsOwnerDraw()) {
    mi.fType = MFT_STRING;
    mi.dwTypeData = text.data();
  }
  // The framework draws the item (WM_MEASUREITEM, WM_DRAWITEM); its data is the item.
  if (IsOwnerDraw()) mi.fType |= MFT_OWNERDRAW;
  if (radio_item_) mi.fType |= MFT_RADIOCHECK;
  if (break_ == mbBreak) mi.fType |= MFT_MENUBREAK;
  if (break_ == mbBarBreak) mi.fType |= MFT_MENUBARBREAK;
  if (ARightToLeft) mi.fType |= MFT_RIGHTORDER;
  mi.fState = (checked_ ? MFS_CHECKED : 0) | (enabled_ ? 0 : MFS_GRAYED) | (default_ ? MFS_DEFAULT : 0);
  mi.wID = command_;
  mi.hSubMenu = Count() > 0 ? Handle() : nullptr;
  mi.dwItemData = reinterpret_cast<ULONG_PTR>(this);
  InsertMenuItemA(Menu, static_cast<UINT>(GetMenuItemCount(Menu)), TRUE, &mi);
}

// The platform's pop-up is filled again from the visible children (their own pop-ups stay).
void TMenuItem::RebuildHandle() {
  if (!handle_) return;
  while (GetMenuItemCount(handle_) > 0) RemoveMenu(handle_, 0, MF_BYPOSITION);
  TMenu* m = GetParentMenu();
  bool rtl = m && m->IsRightToLeft();
  for (TMenuItem* c : items_)
    if (c->visible_) c->AppendTo(handle_, rtl);
}

void TMenuItem::MenuChanged(bool Rebuild) {
  if (ComponentState().Contains(csLoading) || ComponentState().Contains(csDestroying)) return;
  if (Rebuild) {
    // Captions may take new mnemonics before the platform items are made again.
    TMenuItem* root = this;
    while (root->parent_) root = root->parent_;
    if (root->menu_ && !root->menu_->ComponentState().Contains(csLoading)) root->InternalRethinkHotkeys(false);
  }
  if (parent_ && parent_->handle_) parent_->RebuildHandle();
  if (TMenu* m = GetParentMenu()) m->MenuChanged(this, this, Rebuild);
}

void TMenuItem::Loaded() {
  TComponent::Loaded();
  if (action_link_ && action_link_->Action()) ActionChange(action_link_->Action(), true);
  MenuChanged(true);
}

void TMenuItem::Click() {
  if (!enabled_) return;
  if (auto_check_) SetChecked(!checked_);
  if (OnClick && (!action_link_ || !action_link_->Action())) OnClick(this);
  else if (action_link_ && action_link_->Action()) {
    if (OnClick) OnClick(this);
    else action_link_->Execute(this);
  }
}

void TMenuItem::InitiateAction() {
  if (action_link_) action_link_->Update();
}

void TMenuItem::SetCaption(const AnsiString& Value) {
  if (Value == caption_) return;
  caption_ = Value;
  MenuChanged(true);
}

void TMenuItem::SetChecked(bool Value) {
  if (Value == checked_) return;
  checked_ = Value;
  if (Value && radio_item_) TurnSiblingsOff();
  MenuChanged(false);
}

// A checked radio item's siblings of the same group go off.
void TMenuItem::TurnSiblingsOff() {
  if (!parent_) return;
  for (TMenuItem* s : parent_->items_)
    if (s != this && s->radio_item_ && s->group_index_ == group_index_ && s->checked_) {
      s->checked_ = false;
      s->MenuChanged(false);
    }
}

void TMenuItem::SetEnabled(bool Value) {
  if (Value == enabled_) return;
  enabled_ = Value;
  MenuChanged(false);
}

void TMenuItem::SetDefault(bool Value) {
  if (Value == default_) return;
  if (Value && parent_)
    for (TMenuItem* s : parent_->items_) s->default_ = false;
  default_ = Value;
  MenuChanged(true);
}

void TMenuItem::SetRadioItem(bool Value) {
  if (Value == radio_item_) return;
  radio_item_ = Value;
  if (checked_ && Value) TurnSiblingsOff();
  MenuChanged(false);
}

void TMenuItem::SetGroupIndex(uint8_t Value) {
  if (Value == group_index_) return;
  group_index_ = Value;
  if (checked_ && radio_item_) TurnSiblingsOff();
  MenuChanged(false);
}

void TMenuItem::SetVisible(bool Value) {
  if (Value == visible_) return;
  visible_ = Value;
  MenuChanged(true);
}

void TMenuItem::SetShortCut(TShortCut Value) {
  if (Value == short_cut_) return;
  short_cut_ = Value;
  MenuChanged(true);
}

void TMenuItem::SetHint(const AnsiString& Value) { hint_ = Value; }

void TMenuItem::SetImageIndex(int Value) {
  if (Value == image_index_) return;
  image_index_ = Value;
  MenuChanged(true);
}

void TMenuItem::SetBreak(TMenuBreak Value) {
  if (Value == break_) return;
  break_ = Value;
  MenuChanged(true);
}

TBitmap* TMenuItem::Bitmap() {
  if (!bitmap_) bitmap_ = std::make_unique<TBitmap>();
  return bitmap_.get();
}

void TMenuItem::SetBitmap(TBitmap* Value) {
  Bitmap()->Assign(Value);
  MenuChanged(true);
}

TBasicAction* TMenuItem::Action() const { return action_link_ ? action_link_->Action() : nullptr; }

TMenuActionLink* TMenuItem::CreateActionLink() { return new TMenuActionLink(this); }

void TMenuItem::SetAction(TBasicAction* Value) {
  if (!Value) {
    action_link_.reset();
    return;
  }
  if (!action_link_) action_link_.reset(CreateActionLink());
  action_link_->SetAction(Value);
  action_link_->OnChange = [this](TObject* Sender) { DoActionChange(Sender); };
  ActionChange(Value, ComponentState().Contains(csLoading));
  Value->FreeNotification(this);
}

void TMenuItem::DoActionChange(TObject* Sender) {
  if (action_link_ && Sender == action_link_->Action()) ActionChange(Sender, false);
}

// With CheckDefaults only the properties still at their defaults take the action's values.
void TMenuItem::ActionChange(TObject* Sender, bool CheckDefaults) {
  auto* a = dynamic_cast<TCustomAction*>(Sender);
  if (!a) return;
  if (!CheckDefaults || caption_.empty()) SetCaption(a->Caption());
  if (!CheckDefaults || !checked_) SetChecked(a->Checked());
  if (!CheckDefaults || enabled_) SetEnabled(a->Enabled());
  if (!CheckDefaults || help_context_ == 0) SetHelpContext(a->HelpContext());
  if (!CheckDefaults || hint_.empty()) SetHint(a->Hint());
  if (!CheckDefaults || !radio_item_) SetRadioItem(a->GroupIndex() > 0);
  if (!CheckDefaults || group_index_ == 0) SetGroupIndex(static_cast<uint8_t>(a->GroupIndex()));
  if (!CheckDefaults || image_index_ == -1) SetImageIndex(a->ImageIndex());
  if (!CheckDefaults || short_cut_ == 0) SetShortCut(a->ShortCut());
  if (!CheckDefaults || visible_) SetVisible(a->Visible());
}

void TMenuItem::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && action_link_ && AComponent == action_link_->Action()) action_link_.reset();
}

TComponent* TMenuItem::GetParentComponent() {
  if (parent_ && parent_->menu_) return parent_->menu_;
  return parent_;
}

void TMenuItem::SetParentComponent(TComponent* Value) {
  if (parent_) parent_->Remove(this);
  if (auto* m = dynamic_cast<TMenu*>(Value)) m->Items()->Add(this);
  else if (auto* i = dynamic_cast<TMenuItem*>(Value)) i->Add(this);
}

void TMenuItem::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) {
  for (TMenuItem* c : items_)
    if (c->Owner() == Root) Proc(c);
}

void TMenuItem::SetChildOrder(TComponent* Child, int Order) {
  if (auto* c = dynamic_cast<TMenuItem*>(Child); c && c->parent_ == this) c->SetMenuIndex(Order);
}

// ---------------------------------------------------------------------------------------------
// TMenu.

TMenu::TMenu(TComponent* AOwner) : TComponent(AOwner), items_(std::make_unique<TMenuItem>(this)) {
  // The root item is the menu's part, not one of the owner's components.
  RemoveComponent(items_.get());
  items_->menu_ = this;
  images_link_.OnChange = [this](TObject* Sender) { ImagesChanged(Sender); };
}

TMenu::~TMenu() {
  if (images_) images_->UnRegisterChanges(&images_link_);
  Destroying();
  items_.reset();
}

HMENU TMenu::Handle() { return items_->Handle(); }

void TMenu::SetWindowHandle(HWND Value) { window_handle_ = Value; }

namespace {
// Every platform pop-up of the tree is filled again (item kinds or texts changed everywhere).
void RebuildTree(TMenuItem* item, void (*rebuild)(TMenuItem*)) {
  rebuild(item);
  for (int i = 0; i < item->Count(); ++i) RebuildTree(item->Items(i), rebuild);
}
}  // namespace

void TMenu::RebuildAll() {
  if (ComponentState().Contains(csLoading) || ComponentState().Contains(csDestroying)) return;
  items_->InternalRethinkHotkeys(false);
  RebuildTree(items_.get(), [](TMenuItem* i) { i->RebuildHandle(); });
}

// Items read with the menu took no mnemonics while it was loading.
void TMenu::Loaded() {
  TComponent::Loaded();
  RebuildAll();
  MenuChanged(this, nullptr, true);
}

void TMenu::SetOwnerDraw(bool Value) {
  if (Value == owner_draw_) return;
  owner_draw_ = Value;
  RebuildAll();
  MenuChanged(this, nullptr, true);
}

void TMenu::SetImages(TCustomImageList* Value) {
  if (Value == images_) return;
  if (images_) images_->UnRegisterChanges(&images_link_);
  images_ = Value;
  if (images_) {
    images_->RegisterChanges(&images_link_);
    images_->FreeNotification(this);
  }
  RebuildAll();
  MenuChanged(this, nullptr, true);
}

void TMenu::SetBiDiMode(TMenuBiDiMode Value) {
  if (Value == bidi_mode_) return;
  bidi_mode_ = Value;
  RebuildAll();
  MenuChanged(this, nullptr, true);
}

void TMenu::ImagesChanged(TObject*) { MenuChanged(this, nullptr, false); }

void TMenu::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == images_) {
    images_->UnRegisterChanges(&images_link_);
    images_ = nullptr;
    RebuildAll();
  }
}

namespace {
TMenuItem* FindIn(TMenuItem* item, UINT_PTR value, TFindItemKind kind) {
  for (int i = 0; i < item->Count(); ++i) {
    TMenuItem* c = item->Items(i);
    bool hit = (kind == fkCommand && c->Command() == value) ||
               (kind == fkHandle && c->HandleAllocated() && reinterpret_cast<UINT_PTR>(c->Handle()) == value) ||
               (kind == fkShortCut && c->ShortCut() == value);
    if (hit) return c;
    if (TMenuItem* deeper = FindIn(c, value, kind)) return deeper;
  }
  return nullptr;
}
}  // namespace

TMenuItem* TMenu::FindItem(UINT_PTR Value, TFindItemKind Kind) {
  if (Kind == fkHandle && items_->HandleAllocated() && reinterpret_cast<UINT_PTR>(items_->Handle()) == Value)
    return items_.get();
  return FindIn(items_.get(), Value, Kind);
}

bool TMenu::DispatchCommand(WORD ACommand) {
  TMenuItem* item = FindItem(ACommand, fkCommand);
  if (!item || item->Count() > 0) return false;
  item->Click();
  return true;
}

bool TMenu::DispatchPopup(HMENU AMenuHandle) {
  TMenuItem* item = FindItem(reinterpret_cast<UINT_PTR>(AMenuHandle), fkHandle);
  if (!item) return false;
  for (int i = 0; i < item->Count(); ++i) item->Items(i)->InitiateAction();
  item->RebuildHandle();
  return true;
}

// The enabled, visible item of the key, all its parents enabled too.
bool TMenu::IsShortCut(TShortCut Key) {
  if (Key == 0) return false;
  TMenuItem* item = FindItem(Key, fkShortCut);
  if (!item) return false;
  item->InitiateAction();
  for (TMenuItem* p = item; p; p = p->Parent())
    if (!p->Enabled() || !p->Visible()) return false;
  item->Click();
  return true;
}

void TMenu::MenuChanged(TObject* Sender, TMenuItem* Source, bool Rebuild) {
  if (OnChange) OnChange(Sender, Source, Rebuild);
}

void TMenu::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) {
  items_->GetChildren(Proc, Root);
}

// ---------------------------------------------------------------------------------------------
// TMainMenu and TPopupMenu.

void TMainMenu::SetWindowHandle(HWND Value) {
  if (WindowHandle() && IsWindow(WindowHandle()) && GetMenu(WindowHandle()) == Handle()) SetMenu(WindowHandle(), nullptr);
  TMenu::SetWindowHandle(Value);
  if (Value) {
    SetMenu(Value, Handle());
    DrawMenuBar(Value);
  }
}

void TMainMenu::MenuChanged(TObject* Sender, TMenuItem* Source, bool Rebuild) {
  if (WindowHandle() && IsWindow(WindowHandle())) DrawMenuBar(WindowHandle());
  TMenu::MenuChanged(Sender, Source, Rebuild);
}

TPopupMenu::TPopupMenu(TComponent* AOwner) : TMenu(AOwner) {
  if (PopupList) PopupList->Add(this);
}

TPopupMenu::~TPopupMenu() {
  if (PopupList) PopupList->Remove(this);
}

void TPopupMenu::DoPopup(TObject* Sender) {
  if (OnPopup) OnPopup(Sender);
}

void TPopupMenu::Popup(int X, int Y) {
  DoPopup(this);
  for (int i = 0; i < Items()->Count(); ++i) Items()->Items(i)->InitiateAction();
  Items()->RebuildHandle();
  static constexpr UINT kAlign[] = {TPM_LEFTALIGN, TPM_RIGHTALIGN, TPM_CENTERALIGN};
  UINT flags = kAlign[alignment_] | (track_button_ == tbLeftButton ? TPM_LEFTBUTTON : TPM_RIGHTBUTTON);
  TrackPopupMenu(Handle(), flags, X, Y, 0, PopupList ? PopupList->Window() : nullptr, nullptr);
}

// ---------------------------------------------------------------------------------------------
// TPopupList.

TPopupList::TPopupList() = default;

TPopupList::~TPopupList() {
  if (window_) DestroyWindow(window_);
  if (instance_) FreeObjectInstance(instance_);
}

void TPopupList::Add(TPopupMenu* Popup) {
  if (IndexOf(Popup) < 0) TList::Add(Popup);
}

void TPopupList::Remove(TPopupMenu* Popup) { TList::Remove(Popup); }

HWND TPopupList::Window() {
  if (!window_) {
    static bool registered = false;
    if (!registered) {
      WNDCLASSA wc{};
      wc.lpfnWndProc = DefWindowProcA;
      wc.lpszClassName = "TPUtilWindow";
      RegisterClassA(&wc);
      registered = true;
    }
    window_ = CreateWindowExA(WS_EX_TOOLWINDOW, "TPUtilWindow", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    instance_ = MakeObjectInstance(TWndMethod::Of<&TPopupList::WndProc>(this));
    SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(instance_));
  }
  return window_;
}

void TPopupList::WndProc(TMessage& Message) {
  try {
    switch (Message.Msg) {
      case WM_COMMAND:
        for (int i = 0; i < Count(); ++i)
          if (static_cast<TPopupMenu*>(Items(i))->DispatchCommand(Message.WParamLo())) return;
        break;
      case WM_INITMENUPOPUP:
        for (int i = 0; i < Count(); ++i)
          if (static_cast<TPopupMenu*>(Items(i))->DispatchPopup(reinterpret_cast<HMENU>(Message.WParam))) return;
        break;
      case WM_MEASUREITEM:
        for (int i = 0; i < Count(); ++i)
          if (static_cast<TPopupMenu*>(Items(i))->MeasureItemMessage(*reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam))) {
            Message.Result = 1;
            return;
          }
        break;
      case WM_DRAWITEM:
        for (int i = 0; i < Count(); ++i)
          if (static_cast<TPopupMenu*>(Items(i))->DrawItemMessage(*reinterpret_cast<const DRAWITEMSTRUCT*>(Message.LParam))) {
            Message.Result = 1;
            return;
          }
        break;
      case WM_MENUCHAR:
        for (int i = 0; i < Count(); ++i)
          if (LRESULT r = static_cast<TPopupMenu*>(Items(i))->ProcessMenuChar(static_cast<char16_t>(Message.WParamLo()),
                                                                               reinterpret_cast<HMENU>(Message.LParam))) {
            Message.Result = r;
            return;
          }
        break;
      case WM_MENUSELECT: {
        // The selected item's long hint becomes the application's hint; none clears it.
        TMenuItem* item = nullptr;
        if (Message.LParam && Message.WParamHi() != 0xFFFF) {
          for (int i = 0; i < Count() && !item; ++i) {
            auto* m = static_cast<TPopupMenu*>(Items(i));
            item = (Message.WParamHi() & MF_POPUP)
                       ? m->FindItem(reinterpret_cast<UINT_PTR>(GetSubMenu(reinterpret_cast<HMENU>(Message.LParam), Message.WParamLo())), fkHandle)
                       : m->FindItem(Message.WParamLo(), fkCommand);
          }
        }
        if (Application) Application->SetHint(item ? GetLongHint(item->Hint()) : AnsiString());
        return;
      }
      default:
        break;
    }
  } catch (...) {
    if (Application) Application->HandleException(nullptr);
  }
  Message.Result = DefWindowProcA(window_, Message.Msg, Message.WParam, Message.LParam);
}

TPopupList* PopupList = new TPopupList();

// ---------------------------------------------------------------------------------------------
// Published properties.

namespace {
// A property of an item linked to its action is the action's: not written.
template <bool (TMenuActionLink::*Linked)()>
bool NotLinked(TMenuItem* i) {
  return !i->ActionLink() || !(i->ActionLink()->*Linked)();
}
}  // namespace

static const bool registered_item = DeclareClass<TMenuItem, TComponent>("TMenuItem")
    .Component("Action", &TMenuItem::Action, &TMenuItem::SetAction)
    .Boolean("AutoCheck", &TMenuItem::AutoCheck, &TMenuItem::SetAutoCheck, Default(0))
    .Enum("AutoHotkeys", {"maAutomatic", "maManual", "maParent"}, &TMenuItem::AutoHotkeys, &TMenuItem::SetAutoHotkeys,
          Default(maParent))
    .Enum("Break", {"mbNone", "mbBreak", "mbBarBreak"}, &TMenuItem::Break, &TMenuItem::SetBreak, Default(mbNone))
    .String("Caption", &TMenuItem::Caption, &TMenuItem::SetCaption, NotLinked<&TMenuActionLink::IsCaptionLinked>)
    .Boolean("Checked", &TMenuItem::Checked, &TMenuItem::SetChecked, Default(0), NotLinked<&TMenuActionLink::IsCheckedLinked>)
    .Boolean("Default", &TMenuItem::Default, &TMenuItem::SetDefault, Default(0))
    .Boolean("Enabled", &TMenuItem::Enabled, &TMenuItem::SetEnabled, Default(1), NotLinked<&TMenuActionLink::IsEnabledLinked>)
    .Integer("GroupIndex", &TMenuItem::GroupIndex, &TMenuItem::SetGroupIndex, Default(0))
    .Integer("HelpContext", &TMenuItem::HelpContext, &TMenuItem::SetHelpContext, Default(0),
             NotLinked<&TMenuActionLink::IsHelpContextLinked>)
    .String("Hint", &TMenuItem::Hint, &TMenuItem::SetHint, NotLinked<&TMenuActionLink::IsHintLinked>)
    .Integer("ImageIndex", &TMenuItem::ImageIndex, &TMenuItem::SetImageIndex, Default(-1),
             NotLinked<&TMenuActionLink::IsImageIndexLinked>)
    .Boolean("RadioItem", &TMenuItem::RadioItem, &TMenuItem::SetRadioItem, Default(0))
    .Integer("ShortCut", &TMenuItem::ShortCut, &TMenuItem::SetShortCut, Default(0), NotLinked<&TMenuActionLink::IsShortCutLinked>)
    .Boolean("Visible", &TMenuItem::Visible, &TMenuItem::SetVisible, Default(1), NotLinked<&TMenuActionLink::IsVisibleLinked>)
    .Event("OnClick", &TMenuItem::OnClick, NotLinked<&TMenuActionLink::IsOnExecuteLinked>)
    .Event("OnDrawItem", &TMenuItem::OnDrawItem)
    .Event("OnAdvancedDrawItem", &TMenuItem::OnAdvancedDrawItem)
    .Event("OnMeasureItem", &TMenuItem::OnMeasureItem)
    .Done();

static const bool registered_menu = DeclareClass<TMenu, TComponent>("TMenu").Done();

static const bool registered_main = DeclareClass<TMainMenu, TMenu>("TMainMenu")
    .Enum("AutoHotkeys", {"maAutomatic", "maManual"}, &TMainMenu::AutoHotkeys, &TMainMenu::SetAutoHotkeys,
          Default(maAutomatic))
    .Component("Images", &TMainMenu::Images, &TMainMenu::SetImages)
    .Boolean("OwnerDraw", &TMainMenu::OwnerDraw, &TMainMenu::SetOwnerDraw, Default(0))
    .Event("OnChange", static_cast<TMenuChangeEvent TMainMenu::*>(&TMenu::OnChange))
    .Done();

static const bool registered_popup = DeclareClass<TPopupMenu, TMenu>("TPopupMenu")
    .Enum("Alignment", {"paLeft", "paRight", "paCenter"}, &TPopupMenu::Alignment, &TPopupMenu::SetAlignment, Default(paLeft))
    .Enum("AutoHotkeys", {"maAutomatic", "maManual"}, &TPopupMenu::AutoHotkeys, &TPopupMenu::SetAutoHotkeys,
          Default(maAutomatic))
    .Boolean("AutoPopup", &TPopupMenu::AutoPopup, &TPopupMenu::SetAutoPopup, Default(1))
    .Component("Images", &TPopupMenu::Images, &TPopupMenu::SetImages)
    .Boolean("OwnerDraw", &TPopupMenu::OwnerDraw, &TPopupMenu::SetOwnerDraw, Default(0))
    .Enum("TrackButton", {"tbRightButton", "tbLeftButton"}, &TPopupMenu::TrackButton, &TPopupMenu::SetTrackButton,
          Default(tbRightButton))
    .Event("OnChange", static_cast<TMenuChangeEvent TPopupMenu::*>(&TMenu::OnChange))
    .Event("OnPopup", static_cast<TNotifyEvent TPopupMenu::*>(&TPopupMenu::OnPopup))
    .Done();
