// The tool bar over the platform's "ToolbarWindow32": one platform button per TToolButton,
// in the order of the button list; a click comes back as WM_COMMAND with the button's index.
#include <algorithm>

#include "ComCtrls.h"
#include "Menus.h"
#include "TypInfo.h"

// ---------------------------------------------------------------------------------------------
// TToolButtonActionLink.

namespace {
TCustomAction* CustomActionOf(TBasicAction* a) { return dynamic_cast<TCustomAction*>(a); }
}  // namespace

bool TToolButtonActionLink::IsCheckedLinked() {
  auto* a = CustomActionOf(Action());
  auto* b = dynamic_cast<TToolButton*>(Client());
  return a && b && b->Down() == a->Checked();
}

bool TToolButtonActionLink::IsImageIndexLinked() {
  auto* a = CustomActionOf(Action());
  auto* b = dynamic_cast<TToolButton*>(Client());
  return a && b && b->ImageIndex() == a->ImageIndex();
}

void TToolButtonActionLink::SetChecked(bool Value) {
  if (auto* b = dynamic_cast<TToolButton*>(Client()); b && IsCheckedLinked()) b->SetDown(Value);
}

void TToolButtonActionLink::SetImageIndex(int Value) {
  if (auto* b = dynamic_cast<TToolButton*>(Client()); b && IsImageIndexLinked()) b->SetImageIndex(Value);
}

// ---------------------------------------------------------------------------------------------
// TToolButton.

TToolButton::TToolButton(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetControlStyle(TControlStyle{csCaptureMouse, csSetCaption, csActionClient});
  width_ = 23;
  height_ = 22;
}

TToolButton::~TToolButton() {
  Destroying();
  if (tool_bar_) tool_bar_->RemoveButton(this);
}

int TToolButton::Index() const {
  if (!tool_bar_) return -1;
  auto& v = tool_bar_->buttons_;
  auto it = std::find(v.begin(), v.end(), this);
  return it == v.end() ? -1 : static_cast<int>(it - v.begin());
}

void TToolButton::SetParent(TWinControl* AParent) {
  if (AParent == Parent()) return;
  if (tool_bar_) tool_bar_->RemoveButton(this);
  TGraphicControl::SetParent(AParent);
  if (auto* tb = dynamic_cast<TToolBar*>(AParent)) tb->InsertButton(this);
}

// The tool bar decides where its buttons are; a separator's width is its own.
void TToolButton::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  bool sizeChange = AWidth != width_ && (style_ == tbsSeparator || style_ == tbsDivider);
  TGraphicControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (tool_bar_ && !placing_ && sizeChange) Changed();
}

void TToolButton::Changed() {
  if (tool_bar_) tool_bar_->ButtonChanged(this);
}

void TToolButton::Click() {
  if (menu_item_) {
    menu_item_->Click();
    return;
  }
  TGraphicControl::Click();
}

void TToolButton::SetAllowAllUp(bool Value) {
  if (Value == allow_all_up_) return;
  allow_all_up_ = Value;
  Changed();
}

// Down in a group puts the group's other buttons up.
void TToolButton::SetDown(bool Value) {
  if (Value == down_) return;
  if (!Value && grouped_ && style_ == tbsCheck && !allow_all_up_ && tool_bar_) {
    // The last button down of a group stays down unless all may be up.
    bool other = false;
    int i = Index();
    for (int k = i - 1; k >= 0 && tool_bar_->Buttons(k)->grouped_ && tool_bar_->Buttons(k)->style_ == tbsCheck; --k)
      other |= tool_bar_->Buttons(k)->down_;
    for (int k = i + 1; k < tool_bar_->ButtonCount() && tool_bar_->Buttons(k)->grouped_ && tool_bar_->Buttons(k)->style_ == tbsCheck; ++k)
      other |= tool_bar_->Buttons(k)->down_;
    if (!other) return;
  }
  down_ = Value;
  if (Value && grouped_ && style_ == tbsCheck && tool_bar_) {
    int i = Index();
    for (int k = i - 1; k >= 0 && tool_bar_->Buttons(k)->grouped_ && tool_bar_->Buttons(k)->style_ == tbsCheck; --k)
      if (tool_bar_->Buttons(k)->down_) {
        tool_bar_->Buttons(k)->down_ = false;
        tool_bar_->Buttons(k)->Changed();
      }
    for (int k = i + 1; k < tool_bar_->ButtonCount() && tool_bar_->Buttons(k)->grouped_ && tool_bar_->Buttons(k)->style_ == tbsCheck; ++k)
      if (tool_bar_->Buttons(k)->down_) {
        tool_bar_->Buttons(k)->down_ = false;
        tool_bar_->Buttons(k)->Changed();
      }
  }
  Changed();
}

void TToolButton::SetGrouped(bool Value) {
  if (Value == grouped_) return;
  grouped_ = Value;
  Changed();
}

void TToolButton::SetImageIndex(int Value) {
  if (Value == image_index_) return;
  image_index_ = Value;
  Changed();
}

void TToolButton::SetIndeterminate(bool Value) {
  if (Value == indeterminate_) return;
  indeterminate_ = Value;
  Changed();
}

void TToolButton::SetMarked(bool Value) {
  if (Value == marked_) return;
  marked_ = Value;
  Changed();
}

void TToolButton::SetStyle(TToolButtonStyle Value) {
  if (Value == style_) return;
  style_ = Value;
  if ((Value == tbsSeparator || Value == tbsDivider) && width_ == 23) {
    placing_ = true;
    TGraphicControl::SetBounds(left_, top_, 8, height_);
    placing_ = false;
  }
  Changed();
}

void TToolButton::SetWrap(bool Value) {
  if (Value == wrap_) return;
  wrap_ = Value;
  Changed();
}

void TToolButton::SetDropdownMenu(TPopupMenu* Value) {
  if (Value == dropdown_menu_) return;
  dropdown_menu_ = Value;
  if (Value) Value->FreeNotification(this);
}

void TToolButton::SetMenuItem(TMenuItem* Value) {
  menu_item_ = Value;
  if (!Value) return;
  Value->FreeNotification(this);
  SetCaption(Value->Caption());
  SetHint(Value->Hint());
  SetImageIndex(Value->ImageIndex());
  SetEnabled(Value->Enabled());
  SetVisible(Value->Visible());
  if (style_ == tbsCheck) SetDown(Value->Checked());
}

void TToolButton::Notification(TComponent* AComponent, TOperation Operation) {
  TGraphicControl::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == dropdown_menu_) dropdown_menu_ = nullptr;
  if (AComponent == menu_item_) menu_item_ = nullptr;
}

// The platform's tool bar draws the buttons.
void TToolButton::Paint() {}

void TToolButton::Dispatch(TMessage& Message) {
  TGraphicControl::Dispatch(Message);
  switch (Message.Msg) {
    case CM_TEXTCHANGED:
    case CM_ENABLEDCHANGED:
    case CM_VISIBLECHANGED:
      Changed();
      break;
    default:
      break;
  }
}

// The action's checked state and image join its caption, enabled state, hint and visibility;
// with CheckDefaults only where the button still holds its default.
void TToolButton::ActionChange(TObject* Sender, bool CheckDefaults) {
  TGraphicControl::ActionChange(Sender, CheckDefaults);
  if (auto* a = dynamic_cast<TCustomAction*>(Sender)) {
    if (!CheckDefaults || !down_) SetDown(a->Checked());
    if (!CheckDefaults || image_index_ == -1) SetImageIndex(a->ImageIndex());
  }
}

TControlActionLinkClass TToolButton::GetActionLinkClass() {
  return [](TControl* Client) -> TControlActionLink* { return new TToolButtonActionLink(Client); };
}

// ---------------------------------------------------------------------------------------------
// TToolBar.

TToolBar::TToolBar(TComponent* AOwner) : TWinControl(AOwner) {
  SetControlStyle(TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csDoubleClicks, csMenuEvents, csSetCaption});
  width_ = 150;
  height_ = 29;
  SetAlign(alTop);
  image_link_.OnChange = [this](TObject* s) { ImageListChange(s); };
  disabled_link_.OnChange = [this](TObject* s) { ImageListChange(s); };
  hot_link_.OnChange = [this](TObject* s) { ImageListChange(s); };
}

TToolBar::~TToolBar() {
  Destroying();
  for (TToolButton* b : buttons_) b->tool_bar_ = nullptr;
  buttons_.clear();
  if (images_) images_->UnRegisterChanges(&image_link_);
  if (disabled_images_) disabled_images_->UnRegisterChanges(&disabled_link_);
  if (hot_images_) hot_images_->UnRegisterChanges(&hot_link_);
}

void TToolBar::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, TOOLBARCLASSNAMEA);
  Params.Style |= CCS_NOPARENTALIGN | CCS_NOMOVEY | CCS_NORESIZE | CCS_NODIVIDER | TBSTYLE_TOOLTIPS;
  if (flat_) Params.Style |= TBSTYLE_FLAT;
  if (list_) Params.Style |= TBSTYLE_LIST;
  if (wrapable_) Params.Style |= TBSTYLE_WRAPABLE;
  if (transparent_) Params.Style |= TBSTYLE_TRANSPARENT;
}

void TToolBar::CreateWnd() {
  TWinControl::CreateWnd();
  SendMessageA(Handle(), TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  SendMessageA(Handle(), TB_SETINDENT, static_cast<WPARAM>(indent_), 0);
  ApplyImages();
  RecreateButtons();
}

void TToolBar::ApplyImages() {
  if (!HandleAllocated()) return;
  HWND h = Handle();
  SendMessageA(h, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_ ? images_->Handle() : nullptr));
  SendMessageA(h, TB_SETDISABLEDIMAGELIST, 0, reinterpret_cast<LPARAM>(disabled_images_ ? disabled_images_->Handle() : nullptr));
  SendMessageA(h, TB_SETHOTIMAGELIST, 0, reinterpret_cast<LPARAM>(hot_images_ ? hot_images_->Handle() : nullptr));
  if (images_) SendMessageA(h, TB_SETBITMAPSIZE, 0, MAKELPARAM(images_->Width(), images_->Height()));
  SendMessageA(h, TB_SETBUTTONSIZE, 0, MAKELPARAM(button_width_, button_height_));
  SendMessageA(h, TB_SETMAXTEXTROWS, show_captions_ ? 1 : 0, 0);
}

INT_PTR TToolBar::AddButtonString(TToolButton* Button) {
  AnsiString text = Button->Caption();
  std::string pool(text.begin(), text.end());
  pool.push_back('\0');
  pool.push_back('\0');
  return SendMessageA(Handle(), TB_ADDSTRINGA, 0, reinterpret_cast<LPARAM>(pool.data()));
}

TBBUTTON TToolBar::ButtonRecord(TToolButton* b) {
  TBBUTTON r{};
  const bool sep = b->style_ == tbsSeparator || b->style_ == tbsDivider;
  r.iBitmap = sep ? b->Width() : b->image_index_;
  r.idCommand = b->Index();
  r.fsState = static_cast<BYTE>((b->Enabled() ? TBSTATE_ENABLED : 0) | (b->wrap_ ? TBSTATE_WRAP : 0) |
                                (!b->Visible() ? TBSTATE_HIDDEN : 0) | (b->indeterminate_ ? TBSTATE_INDETERMINATE : 0) |
                                (b->marked_ ? TBSTATE_MARKED : 0) |
                                (b->down_ ? (b->style_ == tbsCheck ? TBSTATE_CHECKED : TBSTATE_PRESSED) : 0));
  switch (b->style_) {
    case tbsButton: r.fsStyle = BTNS_BUTTON; break;
    case tbsCheck: r.fsStyle = static_cast<BYTE>(BTNS_CHECK | (b->grouped_ ? BTNS_GROUP : 0)); break;
    case tbsDropDown: r.fsStyle = BTNS_DROPDOWN; break;
    default: r.fsStyle = BTNS_SEP; break;
  }
  r.dwData = reinterpret_cast<DWORD_PTR>(b);
  r.iString = -1;
  if (!sep && show_captions_) {
    // The pool only grows: a caption gets its entry once.
    AnsiString caption = b->Caption();
    if (b->string_index_ < 0 || caption != b->pooled_caption_) {
      b->string_index_ = AddButtonString(b);
      b->pooled_caption_ = caption;
    }
    r.iString = b->string_index_;
  }
  return r;
}

void TToolBar::RecreateButtons() {
  if (!HandleAllocated() || updating_) return;
  updating_ = true;
  HWND h = Handle();
  while (SendMessageA(h, TB_BUTTONCOUNT, 0, 0) > 0) SendMessageA(h, TB_DELETEBUTTON, 0, 0);
  for (TToolButton* b : buttons_) {
    TBBUTTON r = ButtonRecord(b);
    SendMessageA(h, TB_INSERTBUTTONA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&r));
  }
  updating_ = false;
  PlaceButtons();
}

// Each TToolButton takes the place of its platform button.
void TToolBar::PlaceButtons() {
  if (!HandleAllocated()) return;
  for (TToolButton* b : buttons_) {
    RECT r{};
    if (!SendMessageA(Handle(), TB_GETITEMRECT, static_cast<WPARAM>(b->Index()), reinterpret_cast<LPARAM>(&r))) continue;
    b->placing_ = true;
    b->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
    b->placing_ = false;
  }
}

void TToolBar::InsertButton(TToolButton* Button) {
  if (std::find(buttons_.begin(), buttons_.end(), Button) != buttons_.end()) return;
  Button->tool_bar_ = this;
  // Buttons are kept in reading order; one added later goes after those left of or above it.
  buttons_.push_back(Button);
  RecreateButtons();
}

void TToolBar::RemoveButton(TToolButton* Button) {
  auto it = std::find(buttons_.begin(), buttons_.end(), Button);
  if (it == buttons_.end()) return;
  buttons_.erase(it);
  Button->tool_bar_ = nullptr;
  if (!ComponentState().Contains(csDestroying)) RecreateButtons();
}

// A button's record changed: the platform button is made again in place.
void TToolBar::ButtonChanged(TToolButton* Button) {
  if (!HandleAllocated() || updating_ || ComponentState().Contains(csLoading)) return;
  const int i = Button->Index();
  if (i < 0) return;
  updating_ = true;
  HWND h = Handle();
  SendMessageA(h, TB_DELETEBUTTON, static_cast<WPARAM>(i), 0);
  TBBUTTON r = ButtonRecord(Button);
  SendMessageA(h, TB_INSERTBUTTONA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r));
  updating_ = false;
  PlaceButtons();
}

// After a click the platform's check states are the buttons' Down.
void TToolBar::UpdateDownStates() {
  for (TToolButton* b : buttons_) {
    if (b->style_ != tbsCheck) continue;
    bool down = SendMessageA(Handle(), TB_ISBUTTONCHECKED, static_cast<WPARAM>(b->Index()), 0) == TRUE;
    b->down_ = down;
  }
}

void TToolBar::CNCommand(TMessage& Message) {
  const int i = Message.WParamLo();
  Message.Result = 0;
  if (i < 0 || i >= ButtonCount()) return;
  UpdateDownStates();
  TToolButton* b = Buttons(i);
  // A check button of an action follows its click; the action's Checked then follows it back.
  b->Click();
}

void TToolBar::CNNotify(TMessage& Message) {
  const auto* hdr = reinterpret_cast<const NMHDR*>(Message.LParam);
  Message.Result = 0;
  if (!hdr) return;
  if (hdr->code == TBN_DROPDOWN) {
    const auto* n = reinterpret_cast<const NMTOOLBARA*>(Message.LParam);
    if (n->iItem < 0 || n->iItem >= ButtonCount()) return;
    TToolButton* b = Buttons(n->iItem);
    if (b->DropdownMenu()) {
      TPoint p = ClientToScreen(Point(n->rcButton.left, n->rcButton.bottom));
      b->DropdownMenu()->SetPopupComponent(b);
      b->DropdownMenu()->Popup(p.x, p.y);
    }
    Message.Result = TBDDRET_DEFAULT;
  } else if (hdr->code == TTN_NEEDTEXTA || hdr->code == TTN_NEEDTEXTW) {
    // Hints come from the buttons through the application's hint window.
    Message.Result = 0;
  }
}

void TToolBar::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_COMMAND: CNCommand(Message); return;
    case CN_NOTIFY: CNNotify(Message); return;
    case WM_SIZE:
      TWinControl::Dispatch(Message);
      PlaceButtons();
      return;
    default:
      TWinControl::Dispatch(Message);
  }
}

bool TToolBar::IsControlMouseMsg(TMessage&) { return false; }

// The buttons are placed by the platform's tool bar, not aligned.
void TToolBar::AlignControls(TControl* AControl, TRect& Rect) {
  TWinControl::AlignControls(AControl, Rect);
  PlaceButtons();
}

void TToolBar::Loaded() {
  TWinControl::Loaded();
  RecreateButtons();
}

void TToolBar::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) {
  for (TToolButton* b : buttons_)
    if (b->Owner() == Root) Proc(b);
  // Other controls on the bar (not buttons).
  for (int i = 0; i < ControlCount(); ++i)
    if (!dynamic_cast<TToolButton*>(Controls(i)) && Controls(i)->Owner() == Root) Proc(Controls(i));
}

void TToolBar::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == images_) SetImages(nullptr);
  if (AComponent == disabled_images_) SetDisabledImages(nullptr);
  if (AComponent == hot_images_) SetHotImages(nullptr);
}

void TToolBar::ImageListChange(TObject*) {
  ApplyImages();
  RecreateButtons();
  Invalidate();
}

void TToolBar::SetImages(TCustomImageList* Value) {
  if (Value == images_) return;
  RelinkImageList(images_, Value, image_link_, this);
  ImageListChange(this);
}

void TToolBar::SetDisabledImages(TCustomImageList* Value) {
  if (Value == disabled_images_) return;
  RelinkImageList(disabled_images_, Value, disabled_link_, this);
  ImageListChange(this);
}

void TToolBar::SetHotImages(TCustomImageList* Value) {
  if (Value == hot_images_) return;
  RelinkImageList(hot_images_, Value, hot_link_, this);
  ImageListChange(this);
}

void TToolBar::SetButtonHeight(int Value) {
  if (Value == button_height_) return;
  button_height_ = Value;
  ImageListChange(this);
}

void TToolBar::SetButtonWidth(int Value) {
  if (Value == button_width_) return;
  button_width_ = Value;
  ImageListChange(this);
}

void TToolBar::SetIndent(int Value) {
  if (Value == indent_) return;
  indent_ = Value;
  if (HandleAllocated()) SendMessageA(Handle(), TB_SETINDENT, static_cast<WPARAM>(Value), 0);
  PlaceButtons();
}

// The style bits are the window's: it is made again.
void TToolBar::SetFlat(bool Value) {
  if (Value == flat_) return;
  flat_ = Value;
  if (HandleAllocated()) RecreateWnd();
}

void TToolBar::SetList(bool Value) {
  if (Value == list_) return;
  list_ = Value;
  if (HandleAllocated()) RecreateWnd();
}

void TToolBar::SetShowCaptions(bool Value) {
  if (Value == show_captions_) return;
  show_captions_ = Value;
  if (HandleAllocated()) RecreateWnd();
}

void TToolBar::SetWrapable(bool Value) {
  if (Value == wrapable_) return;
  wrapable_ = Value;
  if (HandleAllocated()) RecreateWnd();
}

void TToolBar::SetTransparent(bool Value) {
  if (Value == transparent_) return;
  transparent_ = Value;
  if (HandleAllocated()) RecreateWnd();
}

// ---------------------------------------------------------------------------------------------
// Published properties.

namespace {
// A button's Down and ImageIndex are written only while they do not come from its action.
bool CheckedStored(TToolButton* b) {
  auto* l = dynamic_cast<TActionClientLink*>(b->ActionLink());
  return !l || !l->IsCheckedLinked();
}
bool ImageIndexStored(TToolButton* b) {
  auto* l = dynamic_cast<TActionClientLink*>(b->ActionLink());
  return !l || !l->IsImageIndexLinked();
}
}  // namespace

static const bool registered_button = DeclareClass<TToolButton, TGraphicControl>("TToolButton")
    .Boolean("AllowAllUp", &TToolButton::AllowAllUp, &TToolButton::SetAllowAllUp, Default(0))
    .Boolean("Down", &TToolButton::Down, &TToolButton::SetDown, Default(0), CheckedStored)
    .Component("DropdownMenu", &TToolButton::DropdownMenu, &TToolButton::SetDropdownMenu)
    .Boolean("Grouped", &TToolButton::Grouped, &TToolButton::SetGrouped, Default(0))
    .Integer("ImageIndex", &TToolButton::ImageIndex, &TToolButton::SetImageIndex, Default(-1), ImageIndexStored)
    .Boolean("Indeterminate", &TToolButton::Indeterminate, &TToolButton::SetIndeterminate, Default(0))
    .Boolean("Marked", &TToolButton::Marked, &TToolButton::SetMarked, Default(0))
    .Component("MenuItem", &TToolButton::MenuItem, &TToolButton::SetMenuItem)
    .Enum("Style", {"tbsButton", "tbsCheck", "tbsDropDown", "tbsSeparator", "tbsDivider"}, &TToolButton::Style,
          &TToolButton::SetStyle, Default(tbsButton))
    .Boolean("Wrap", &TToolButton::Wrap, &TToolButton::SetWrap, Default(0))
    .Done();

static const bool registered_bar = DeclareClass<TToolBar, TWinControl>("TToolBar")
    .Integer("ButtonHeight", &TToolBar::ButtonHeight, &TToolBar::SetButtonHeight, Default(22))
    .Integer("ButtonWidth", &TToolBar::ButtonWidth, &TToolBar::SetButtonWidth, Default(23))
    .Component("DisabledImages", &TToolBar::DisabledImages, &TToolBar::SetDisabledImages)
    .Boolean("Flat", &TToolBar::Flat, &TToolBar::SetFlat, Default(0))
    .Component("HotImages", &TToolBar::HotImages, &TToolBar::SetHotImages)
    .Component("Images", &TToolBar::Images, &TToolBar::SetImages)
    .Integer("Indent", &TToolBar::Indent, &TToolBar::SetIndent, Default(0))
    .Boolean("List", &TToolBar::List, &TToolBar::SetList, Default(0))
    .Boolean("ShowCaptions", &TToolBar::ShowCaptions, &TToolBar::SetShowCaptions, Default(0))
    .Boolean("Transparent", &TToolBar::Transparent, &TToolBar::SetTransparent, Default(0))
    .Boolean("Wrapable", &TToolBar::Wrapable, &TToolBar::SetWrapable, Default(1))
    .Done();
