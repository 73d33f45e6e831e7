// TComboBoxEx: the extended combo box, its items (caption, images, data) kept in a collection
// that the window follows.
#include "ComCtrls.h"
#include "TypInfo.h"

void TComboExItem::SetCaption(const AnsiString& Value) {
  if (caption_ == Value) return;
  caption_ = Value;
  Changed(false);
}

void TComboExItem::SetImageIndex(int Value) {
  if (image_index_ == Value) return;
  image_index_ = Value;
  Changed(false);
}

void TComboExItem::SetSelectedImageIndex(int Value) {
  if (selected_image_index_ == Value) return;
  selected_image_index_ = Value;
  Changed(false);
}

void TComboExItem::Assign(TPersistent* Source) {
  if (auto* i = dynamic_cast<TComboExItem*>(Source)) {
    caption_ = i->caption_;
    image_index_ = i->image_index_;
    selected_image_index_ = i->selected_image_index_;
    data_ = i->data_;
    Changed(false);
    return;
  }
  TCollectionItem::Assign(Source);
}

TComboExItems::TComboExItems(TCustomComboBoxEx* AOwner)
    : TOwnedCollection(AOwner, TCollectionItemClass::Of<TComboExItem>()), combo_(AOwner) {}

TComboExItem* TComboExItems::AddItem(const AnsiString& Caption, int ImageIndex, int SelectedImageIndex, void* Data) {
  BeginUpdate();
  TComboExItem* item = Add();
  item->SetCaption(Caption);
  item->SetImageIndex(ImageIndex);
  item->SetSelectedImageIndex(SelectedImageIndex);
  item->SetData(Data);
  EndUpdate();
  return item;
}

void TComboExItems::Update(TCollectionItem*) {
  if (combo_->HandleAllocated()) combo_->ResetPlatformItems();
}

// ---------------------------------------------------------------------------------------------

TCustomComboBoxEx::TCustomComboBoxEx(TComponent* AOwner)
    : TWinControl(AOwner), items_(std::make_unique<TComboExItems>(this)) {
  SetControlStyle(TControlStyle{csDoubleClicks});
  width_ = 145;
  height_ = 22;
  SetTabStop(true);
  SetColor(clWindow);
  SetParentColor(false);
  images_link_.OnChange = [this](TObject* s) { ImageListChange(s); };
}

TCustomComboBoxEx::~TCustomComboBoxEx() {
  if (images_) images_->UnRegisterChanges(&images_link_);
}

void TCustomComboBoxEx::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, WC_COMBOBOXEXA);
  Params.Style |= CBS_DROPDOWNLIST;
}

void TCustomComboBoxEx::CreateWnd() {
  TWinControl::CreateWnd();
  SendMessageA(Handle(), CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_ ? images_->Handle() : nullptr));
  ResetPlatformItems();
  SendMessageA(Handle(), CB_SETCURSEL, static_cast<WPARAM>(saved_index_), 0);
}

void TCustomComboBoxEx::DestroyWnd() {
  saved_index_ = static_cast<int>(SendMessageA(Handle(), CB_GETCURSEL, 0, 0));
  TWinControl::DestroyWnd();
}

void TCustomComboBoxEx::ResetPlatformItems() {
  HWND h = Handle();
  const int index = static_cast<int>(SendMessageA(h, CB_GETCURSEL, 0, 0));
  SendMessageA(h, CB_RESETCONTENT, 0, 0);
  for (int i = 0; i < items_->Count(); ++i) {
    TComboExItem* item = items_->Items(i);
    COMBOBOXEXITEMA it{};
    it.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE | CBEIF_LPARAM;
    it.iItem = i;
    it.pszText = const_cast<char*>(item->Caption().c_str());
    it.iImage = item->ImageIndex();
    it.iSelectedImage = item->SelectedImageIndex();
    it.lParam = reinterpret_cast<LPARAM>(item->Data());
    SendMessageA(h, CBEM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&it));
  }
  if (index < items_->Count()) SendMessageA(h, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int TCustomComboBoxEx::ItemIndex() {
  return HandleAllocated() ? static_cast<int>(SendMessageA(Handle(), CB_GETCURSEL, 0, 0)) : saved_index_;
}

void TCustomComboBoxEx::SetItemIndex(int Value) {
  if (Value < -1 || Value >= items_->Count()) Value = -1;
  if (HandleAllocated()) SendMessageA(Handle(), CB_SETCURSEL, static_cast<WPARAM>(Value), 0);
  else saved_index_ = Value;
}

void TCustomComboBoxEx::SetImages(TCustomImageList* Value) {
  if (Value == images_) return;
  RelinkImageList(images_, Value, images_link_, this);
  ImageListChange(this);
}

void TCustomComboBoxEx::ImageListChange(TObject*) {
  if (!HandleAllocated()) return;
  SendMessageA(Handle(), CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_ ? images_->Handle() : nullptr));
  Invalidate();
}

bool TCustomComboBoxEx::DroppedDown() {
  return HandleAllocated() && SendMessageA(Handle(), CB_GETDROPPEDSTATE, 0, 0) != 0;
}

void TCustomComboBoxEx::SetDroppedDown(bool Value) { SendMessageA(Handle(), CB_SHOWDROPDOWN, Value ? 1 : 0, 0); }

void TCustomComboBoxEx::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == images_) SetImages(nullptr);
}

void TCustomComboBoxEx::Select() {
  if (OnSelect) OnSelect(this);
  else Change();
}

void TCustomComboBoxEx::Change() {
  if (OnChange) OnChange(this);
}

void TCustomComboBoxEx::Dispatch(TMessage& Message) {
  if (Message.Msg == CN_COMMAND) {
    if (HIWORD(Message.WParam) == CBN_SELCHANGE) {
      Perform(CM_TEXTCHANGED, 0, 0);
      Select();
    }
    Message.Result = 0;
    return;
  }
  TWinControl::Dispatch(Message);
}

TControlActionLinkClass TCustomComboBoxEx::GetActionLinkClass() {
  return [](TControl* Client) -> TControlActionLink* { return new TComboBoxExActionLink(Client); };
}

// ---------------------------------------------------------------------------------------------
// Published properties.

static const bool registered_item = DeclareClass<TComboExItem, TCollectionItem>("TComboExItem")
    .String("Caption", &TComboExItem::Caption, &TComboExItem::SetCaption)
    .Integer("ImageIndex", &TComboExItem::ImageIndex, &TComboExItem::SetImageIndex, Default(-1))
    .Integer("SelectedImageIndex", &TComboExItem::SelectedImageIndex, &TComboExItem::SetSelectedImageIndex, Default(-1))
    .Done();

static const bool registered_base = DeclareClass<TCustomComboBoxEx, TWinControl>("TCustomComboBoxEx").Done();

static const bool registered = DeclareClass<TComboBoxEx, TCustomComboBoxEx>("TComboBoxEx")
    .Component("Images", &TComboBoxEx::Images, &TComboBoxEx::SetImages)
    .Object("ItemsEx", &TComboBoxEx::ItemsEx)
    .Integer("ItemIndex", &TComboBoxEx::ItemIndex, &TComboBoxEx::SetItemIndex, Default(-1))
    .Event("OnChange", static_cast<TNotifyEvent TComboBoxEx::*>(&TCustomComboBoxEx::OnChange))
    .Event("OnSelect", static_cast<TNotifyEvent TComboBoxEx::*>(&TCustomComboBoxEx::OnSelect))
    .Done();
