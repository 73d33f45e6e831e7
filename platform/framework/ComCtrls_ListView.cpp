// The list view over the platform's "SysListView32": the items are the framework's, copied
// into the window whenever it is made; selection and focus live in the window while there is one.
#include <algorithm>

#include "ComCtrls.h"
#include "TypInfo.h"

// ---------------------------------------------------------------------------------------------
// TListItem.

TCustomListView* TListItem::ListView() const { return owner_ ? owner_->Owner() : nullptr; }

int TListItem::Index() const { return owner_ ? owner_->IndexOf(this) : -1; }

void TListItem::SetCaption(const AnsiString& Value) {
  if (Value == caption_) return;
  caption_ = Value;
  if (ListView()) ListView()->UpdatePlatformItem(Index(), this);
}

void TListItem::SetImageIndex(int Value) {
  if (Value == image_index_) return;
  image_index_ = Value;
  if (ListView()) ListView()->UpdatePlatformItem(Index(), this);
}

// An item's selection and focus: the window's, or kept while there is none.
UINT TCustomListView::ItemState(int Index, UINT Mask) const {
  if (Index < 0) return 0;
  if (!HandleAllocated())
    return static_cast<size_t>(Index) < saved_states_.size() ? saved_states_[static_cast<size_t>(Index)] & Mask : 0;
  return static_cast<UINT>(SendMessageA(handle_, LVM_GETITEMSTATE, static_cast<WPARAM>(Index), static_cast<LPARAM>(Mask)));
}

void TCustomListView::SetItemState(int Index, UINT State, UINT Mask) {
  if (Index < 0) return;
  if (!HandleAllocated()) {
    if (saved_states_.size() < static_cast<size_t>(items_->Count())) saved_states_.resize(static_cast<size_t>(items_->Count()), 0);
    if (static_cast<size_t>(Index) < saved_states_.size()) {
      UINT& st = saved_states_[static_cast<size_t>(Index)];
      st = (st & ~Mask) | (State & Mask);
    }
    return;
  }
  LVITEMA it{};
  it.mask = LVIF_STATE;
  it.state = State;
  it.stateMask = Mask;
  SendMessageA(handle_, LVM_SETITEMSTATE, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&it));
}

bool TListItem::Selected() const { return ListView() && (ListView()->ItemState(Index(), LVIS_SELECTED) & LVIS_SELECTED); }

void TListItem::SetSelected(bool Value) {
  if (ListView()) ListView()->SetItemState(Index(), Value ? LVIS_SELECTED : 0, LVIS_SELECTED);
}

bool TListItem::Focused() const { return ListView() && (ListView()->ItemState(Index(), LVIS_FOCUSED) & LVIS_FOCUSED); }

void TListItem::SetFocused(bool Value) {
  if (ListView()) ListView()->SetItemState(Index(), Value ? LVIS_FOCUSED : 0, LVIS_FOCUSED);
}

TPoint TListItem::Position() const {
  POINT p{0, 0};
  if (TCustomListView* lv = ListView(); lv && lv->HandleAllocated())
    SendMessageA(lv->Handle(), LVM_GETITEMPOSITION, static_cast<WPARAM>(Index()), reinterpret_cast<LPARAM>(&p));
  return TPoint{p.x, p.y};
}

// The view arranges its items itself.
void TListItem::SetPosition(const TPoint&) {}

TRect TListItem::DisplayRect(int Code) const {
  RECT r{Code, 0, 0, 0};
  if (TCustomListView* lv = ListView(); lv && lv->HandleAllocated())
    SendMessageA(lv->Handle(), LVM_GETITEMRECT, static_cast<WPARAM>(Index()), reinterpret_cast<LPARAM>(&r));
  return TRect{r.left, r.top, r.right, r.bottom};
}

void TListItem::MakeVisible(bool PartialOK) {
  if (TCustomListView* lv = ListView(); lv && lv->HandleAllocated())
    SendMessageA(lv->Handle(), LVM_ENSUREVISIBLE, static_cast<WPARAM>(Index()), PartialOK ? TRUE : FALSE);
}

void TListItem::Delete() {
  if (owner_) owner_->Delete(Index());
}

// ---------------------------------------------------------------------------------------------
// TListItems.

TListItems::~TListItems() = default;

TListItem* TListItems::Add() { return Insert(Count()); }

TListItem* TListItems::Insert(int Index) {
  Index = std::clamp(Index, 0, Count());
  items_.insert(items_.begin() + Index, std::make_unique<TListItem>(this));
  auto& saved = owner_->saved_states_;
  if (static_cast<size_t>(Index) < saved.size()) saved.insert(saved.begin() + Index, 0);
  TListItem* item = items_[static_cast<size_t>(Index)].get();
  owner_->InsertPlatformItem(Index, item);
  return item;
}

void TListItems::Delete(int Index) {
  if (Index < 0 || Index >= Count()) throw EListError(Format("リストのインデックスが範囲を超えています (%d)", {Index}));
  if (owner_->HandleAllocated()) SendMessageA(owner_->Handle(), LVM_DELETEITEM, static_cast<WPARAM>(Index), 0);
  auto& saved = owner_->saved_states_;
  if (static_cast<size_t>(Index) < saved.size()) saved.erase(saved.begin() + Index);
  items_.erase(items_.begin() + Index);
}

void TListItems::Clear() {
  if (owner_->HandleAllocated()) SendMessageA(owner_->Handle(), LVM_DELETEALLITEMS, 0, 0);
  owner_->saved_states_.clear();
  items_.clear();
}

int TListItems::IndexOf(const TListItem* Value) const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i].get() == Value) return static_cast<int>(i);
  return -1;
}

void TListItems::BeginUpdate() {
  if (update_count_++ == 0 && owner_->HandleAllocated()) SendMessageA(owner_->Handle(), WM_SETREDRAW, FALSE, 0);
}

void TListItems::EndUpdate() {
  if (update_count_ == 0 || --update_count_ > 0 || !owner_->HandleAllocated()) return;
  SendMessageA(owner_->Handle(), WM_SETREDRAW, TRUE, 0);
  owner_->Invalidate();
}

// ---------------------------------------------------------------------------------------------
// TCustomListView.

TIconArrangement TIconOptions::Arrangement() const { return owner_->Arrangement(); }
void TIconOptions::SetArrangement(TIconArrangement Value) { owner_->SetArrangement(Value); }
bool TIconOptions::AutoArrange() const { return owner_->AutoArrange(); }
void TIconOptions::SetAutoArrange(bool Value) { owner_->SetAutoArrange(Value); }

TCustomListView::TCustomListView(TComponent* AOwner)
    : TWinControl(AOwner), items_(std::make_unique<TListItems>(this)), icon_options_(std::make_unique<TIconOptions>(this)) {
  SetControlStyle(TControlStyle{csClickEvents, csDoubleClicks});
  width_ = 250;
  height_ = 150;
  SetTabStop(true);
  SetColor(clWindow);
  SetParentColor(false);
  large_link_.OnChange = [this](TObject* s) { ImageListChange(s); };
  small_link_.OnChange = [this](TObject* s) { ImageListChange(s); };
}

TCustomListView::~TCustomListView() {
  if (large_images_) large_images_->UnRegisterChanges(&large_link_);
  if (small_images_) small_images_->UnRegisterChanges(&small_link_);
}

void TCustomListView::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, WC_LISTVIEWA);
  static constexpr DWORD kView[] = {LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT};
  Params.Style |= kView[view_style_] | LVS_SHAREIMAGELISTS | WS_BORDER;
  if (!multi_select_) Params.Style |= LVS_SINGLESEL;
  if (!hide_selection_) Params.Style |= LVS_SHOWSELALWAYS;
  if (auto_arrange_) Params.Style |= LVS_AUTOARRANGE;
  if (arrangement_ == iaLeft) Params.Style |= LVS_ALIGNLEFT;
}

void TCustomListView::CreateWnd() {
  TWinControl::CreateWnd();
  HWND h = Handle();
  SendMessageA(h, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(large_images_ ? large_images_->Handle() : nullptr));
  SendMessageA(h, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(small_images_ ? small_images_->Handle() : nullptr));
  ResetPlatformItems();
  // The states the previous window had.
  std::vector<UINT> states = std::move(saved_states_);
  saved_states_.clear();
  for (size_t i = 0; i < states.size() && i < static_cast<size_t>(items_->Count()); ++i)
    if (states[i]) SetItemState(static_cast<int>(i), states[i], LVIS_SELECTED | LVIS_FOCUSED);
}

void TCustomListView::DestroyWnd() {
  std::vector<UINT> states;
  for (int i = 0; i < items_->Count(); ++i) states.push_back(ItemState(i, LVIS_SELECTED | LVIS_FOCUSED));
  TWinControl::DestroyWnd();
  saved_states_ = std::move(states);
}

void TCustomListView::InsertPlatformItem(int Index, const TListItem* Item) {
  if (!HandleAllocated()) return;
  LVITEMA it{};
  it.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
  it.iItem = Index;
  AnsiString text = Item->Caption();
  it.pszText = text.data();
  it.iImage = Item->ImageIndex();
  it.lParam = reinterpret_cast<LPARAM>(Item);
  SendMessageA(Handle(), LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&it));
}

void TCustomListView::UpdatePlatformItem(int Index, const TListItem* Item) {
  if (!HandleAllocated() || Index < 0) return;
  LVITEMA it{};
  it.mask = LVIF_TEXT | LVIF_IMAGE;
  it.iItem = Index;
  AnsiString text = Item->Caption();
  it.pszText = text.data();
  it.iImage = Item->ImageIndex();
  SendMessageA(Handle(), LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&it));
}

void TCustomListView::ResetPlatformItems() {
  if (!HandleAllocated()) return;
  SendMessageA(Handle(), LVM_DELETEALLITEMS, 0, 0);
  for (int i = 0; i < items_->Count(); ++i) InsertPlatformItem(i, items_->Item(i));
}

TListItem* TCustomListView::Selected() const {
  for (int i = 0; i < items_->Count(); ++i)
    if (ItemState(i, LVIS_SELECTED)) return items_->Item(i);
  return nullptr;
}

// Selecting an item (nullptr: none) clears the other selections.
void TCustomListView::SetSelected(TListItem* Value) {
  for (int i = 0; i < items_->Count(); ++i)
    if (items_->Item(i) != Value && items_->Item(i)->Selected()) items_->Item(i)->SetSelected(false);
  if (Value) {
    Value->SetSelected(true);
    Value->SetFocused(true);
  }
}

int TCustomListView::ItemIndex() const {
  TListItem* s = Selected();
  return s ? s->Index() : -1;
}

void TCustomListView::SetItemIndex(int Value) {
  SetSelected(Value >= 0 && Value < items_->Count() ? items_->Item(Value) : nullptr);
}

TListItem* TCustomListView::ItemFocused() const {
  for (int i = 0; i < items_->Count(); ++i)
    if (ItemState(i, LVIS_FOCUSED)) return items_->Item(i);
  return nullptr;
}

int TCustomListView::SelCount() const {
  int n = 0;
  for (int i = 0; i < items_->Count(); ++i) n += ItemState(i, LVIS_SELECTED) ? 1 : 0;
  return n;
}

TListItem* TCustomListView::GetItemAt(int X, int Y) const {
  if (!HandleAllocated()) return nullptr;
  LVHITTESTINFO ht{};
  ht.pt = POINT{X, Y};
  int i = static_cast<int>(SendMessageA(handle_, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&ht)));
  return i >= 0 && i < items_->Count() && (ht.flags & LVHT_ONITEM) ? items_->Item(i) : nullptr;
}

void TCustomListView::Scroll(int DX, int DY) {
  if (HandleAllocated()) SendMessageA(Handle(), LVM_SCROLL, static_cast<WPARAM>(DX), static_cast<LPARAM>(DY));
}

void TCustomListView::Arrange() {
  if (HandleAllocated()) SendMessageA(Handle(), LVM_ARRANGE, LVA_DEFAULT, 0);
}

void TCustomListView::SetViewStyle(TViewStyle Value) {
  if (Value == view_style_) return;
  view_style_ = Value;
  if (HandleAllocated()) RecreateWnd();
}

void TCustomListView::SetMultiSelect(bool Value) {
  if (Value == multi_select_) return;
  multi_select_ = Value;
  if (HandleAllocated()) RecreateWnd();
}

void TCustomListView::SetHideSelection(bool Value) {
  if (Value == hide_selection_) return;
  hide_selection_ = Value;
  if (HandleAllocated()) RecreateWnd();
}

void TCustomListView::SetAutoArrange(bool Value) {
  if (Value == auto_arrange_) return;
  auto_arrange_ = Value;
  if (HandleAllocated()) RecreateWnd();
}

void TCustomListView::SetArrangement(TIconArrangement Value) {
  if (Value == arrangement_) return;
  arrangement_ = Value;
  if (HandleAllocated()) RecreateWnd();
}

void TCustomListView::SetLargeImages(TCustomImageList* Value) {
  if (Value == large_images_) return;
  RelinkImageList(large_images_, Value, large_link_, this);
  ImageListChange(this);
}

void TCustomListView::SetSmallImages(TCustomImageList* Value) {
  if (Value == small_images_) return;
  RelinkImageList(small_images_, Value, small_link_, this);
  ImageListChange(this);
}

void TCustomListView::ImageListChange(TObject*) {
  if (!HandleAllocated()) return;
  SendMessageA(Handle(), LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(large_images_ ? large_images_->Handle() : nullptr));
  SendMessageA(Handle(), LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(small_images_ ? small_images_->Handle() : nullptr));
  Invalidate();
}

void TCustomListView::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == large_images_) SetLargeImages(nullptr);
  if (AComponent == small_images_) SetSmallImages(nullptr);
}

void TCustomListView::CNNotify(TMessage& Message) {
  const auto* hdr = reinterpret_cast<const NMHDR*>(Message.LParam);
  Message.Result = 0;
  if (hdr && hdr->code == LVN_ITEMCHANGED && OnChange) OnChange(this);
}

void TCustomListView::Dispatch(TMessage& Message) {
  if (Message.Msg == CN_NOTIFY) {
    CNNotify(Message);
    return;
  }
  TWinControl::Dispatch(Message);
}

// ---------------------------------------------------------------------------------------------
// Published properties.

void TIconOptions::Assign(TPersistent* Source) {
  if (auto* o = dynamic_cast<TIconOptions*>(Source)) {
    SetArrangement(o->Arrangement());
    SetAutoArrange(o->AutoArrange());
    SetWrapText(o->WrapText());
    return;
  }
  TPersistent::Assign(Source);
}

static const bool registered_options = DeclareClass<TIconOptions, TPersistent>("TIconOptions")
    .Enum("Arrangement", {"iaTop", "iaLeft"}, &TIconOptions::Arrangement, &TIconOptions::SetArrangement, Default(iaTop))
    .Boolean("AutoArrange", &TIconOptions::AutoArrange, &TIconOptions::SetAutoArrange, Default(0))
    .Boolean("WrapText", &TIconOptions::WrapText, &TIconOptions::SetWrapText, Default(1))
    .Done();

static const bool registered_base = DeclareClass<TCustomListView, TWinControl>("TCustomListView").Done();

static const bool registered = DeclareClass<TListView, TCustomListView>("TListView")
    .Enum("ViewStyle", {"vsIcon", "vsSmallIcon", "vsList", "vsReport"}, &TListView::ViewStyle, &TListView::SetViewStyle,
          Default(vsIcon))
    .Component("LargeImages", &TListView::LargeImages, &TListView::SetLargeImages)
    .Component("SmallImages", &TListView::SmallImages, &TListView::SetSmallImages)
    .Boolean("MultiSelect", &TListView::MultiSelect, &TListView::SetMultiSelect, Default(0))
    .Boolean("ReadOnly", &TListView::ReadOnly, &TListView::SetReadOnly, Default(0))
    .Boolean("HideSelection", &TListView::HideSelection, &TListView::SetHideSelection, Default(1))
    .Object("IconOptions", &TListView::IconOptions)
    .Event("OnChange", static_cast<TNotifyEvent TListView::*>(&TCustomListView::OnChange))
    .Done();
