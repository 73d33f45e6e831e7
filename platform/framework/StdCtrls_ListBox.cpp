// TCustomListBox: the platform's "LISTBOX" window. Its Items are the window's strings while the
// window exists and a string list while it does not, so they survive window recreation with
// their objects, the selection and the scroll position. A virtual list has only a count of rows;
// its texts come from OnData, asked through the window's LB_GETTEXT so that a subclass of the
// window can answer them instead.
#include "StdCtrls.h"

#include <algorithm>

#include "SysConst.h"
#include "SysUtils.h"
#include "TypInfo.h"
#include "winplat_user.h"

namespace stdctrls_detail {
void AnswerCtlColor(TWinControl* Control, TMessage& Message);
bool IsCtlColor(UINT Msg);
}  // namespace stdctrls_detail

inline constexpr const char* SInsertLineError = "行を挿入できません";

// The items of a list box: the window's while it has one, else the kept list.
class TListBoxStrings : public TStrings {
 public:
  explicit TListBoxStrings(TCustomListBox* ListBox) : list_(ListBox) {}

  int Count() override {
    if (Virtual()) return list_->count_;
    if (!Window()) return list_->saved_items_->Count();
    return static_cast<int>(SendMessageA(Window(), LB_GETCOUNT, 0, 0));
  }
  AnsiString Strings(int Index) override {
    if (Virtual() && !Window()) {
      if (Index < 0 || Index >= list_->count_) Error(SListIndexError, Index);
      return list_->DoGetData(Index);
    }
    if (!Window()) return list_->saved_items_->Strings(Index);
    LRESULT len = SendMessageA(Window(), LB_GETTEXTLEN, static_cast<WPARAM>(Index), 0);
    if (len == LB_ERR) Error(SListIndexError, Index);
    AnsiString s(static_cast<size_t>(len) + 1, '\0');
    LRESULT got = SendMessageA(Window(), LB_GETTEXT, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(s.data()));
    // Cut at what the window gave, never past the buffer.
    s.resize(got < 0 ? 0 : std::min(static_cast<size_t>(got), static_cast<size_t>(len)));
    return s;
  }
  TObject* Objects(int Index) override {
    if (Virtual()) {
      if (Index < 0 || Index >= list_->count_) Error(SListIndexError, Index);
      return list_->DoGetDataObject(Index);
    }
    if (!Window()) return list_->saved_items_->Objects(Index);
    LRESULT data = SendMessageA(Window(), LB_GETITEMDATA, static_cast<WPARAM>(Index), 0);
    if (data == LB_ERR) Error(SListIndexError, Index);
    return reinterpret_cast<TObject*>(data);
  }
  // A virtual list's rows are its events': they cannot be changed through Items.
  void SetObjects(int Index, TObject* AObject) override {
    if (Virtual()) return;
    if (!Window()) {
      list_->saved_items_->SetObjects(Index, AObject);
      return;
    }
    if (SendMessageA(Window(), LB_SETITEMDATA, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(AObject)) == LB_ERR)
      Error(SListIndexError, Index);
  }
  // A new text for an item keeps its object and the selection.
  void SetStrings(int Index, const AnsiString& S) override {
    if (Virtual()) return;
    int selected = list_->ItemIndex();
    TObject* data = Objects(Index);
    Delete(Index);
    InsertObject(Index, S, data);
    list_->SetItemIndex(selected);
  }
  int Add(const AnsiString& S) override {
    if (Virtual()) return -1;
    if (!Window()) return list_->saved_items_->Add(S);
    LRESULT r = SendMessageA(Window(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(S.c_str()));
    if (r < 0) throw EOutOfResources(SInsertLineError);
    return static_cast<int>(r);
  }
  void Insert(int Index, const AnsiString& S) override {
    if (Virtual()) return;
    if (!Window()) {
      list_->saved_items_->Insert(Index, S);
      return;
    }
    LRESULT r = SendMessageA(Window(), LB_INSERTSTRING, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(S.c_str()));
    if (r < 0) throw EOutOfResources(SInsertLineError);
  }
  void Delete(int Index) override {
    if (Virtual()) return;
    if (!Window()) {
      list_->saved_items_->Delete(Index);
      return;
    }
    if (SendMessageA(Window(), LB_DELETESTRING, static_cast<WPARAM>(Index), 0) == LB_ERR) Error(SListIndexError, Index);
  }
  void Clear() override {
    if (Virtual()) list_->SetCount(0);
    else if (!Window()) list_->saved_items_->Clear();
    else SendMessageA(Window(), LB_RESETCONTENT, 0, 0);
  }
  // Swaps the texts and objects; the selection goes with its item.
  void Exchange(int Index1, int Index2) override {
    if (Virtual()) return;
    BeginUpdate();
    try {
      int selected = list_->ItemIndex();
      AnsiString s1 = Strings(Index1), s2 = Strings(Index2);
      TObject *o1 = Objects(Index1), *o2 = Objects(Index2);
      PutText(Index1, s2, o2);
      PutText(Index2, s1, o1);
      if (selected == Index1) list_->SetItemIndex(Index2);
      else if (selected == Index2) list_->SetItemIndex(Index1);
      else list_->SetItemIndex(selected);
    } catch (...) {
      EndUpdate();
      throw;
    }
    EndUpdate();
  }
  // Moves an item with its object; the list box knows it is being moved meanwhile.
  void Move(int CurIndex, int NewIndex) override {
    if (CurIndex == NewIndex || Virtual()) return;
    BeginUpdate();
    list_->SetMoving(true);
    try {
      AnsiString s = Strings(CurIndex);
      TObject* o = Objects(CurIndex);
      Delete(CurIndex);
      InsertObject(NewIndex, s, o);
    } catch (...) {
      list_->SetMoving(false);
      EndUpdate();
      throw;
    }
    list_->SetMoving(false);
    EndUpdate();
  }
  int IndexOf(const AnsiString& S) override {
    if (Virtual()) return list_->DoFindData(S);
    if (!Window()) return list_->saved_items_->IndexOf(S);
    return static_cast<int>(SendMessageA(Window(), LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(S.c_str())));
  }

 protected:
  void SetUpdateState(bool Updating) override {
    if (!Window()) return;
    SendMessageA(Window(), WM_SETREDRAW, Updating ? 0 : 1, 0);
    if (!Updating) list_->Refresh();
  }

 private:
  HWND Window() const { return list_->HandleAllocated() ? list_->handle_ : nullptr; }
  // The rows are data events' (while a window exists: the window was made so).
  bool Virtual() const { return Window() ? list_->window_virtual_ : list_->IsVirtual(); }
  // Replaces an item's text in place (no selection bookkeeping).
  void PutText(int Index, const AnsiString& S, TObject* O) {
    Delete(Index);
    InsertObject(Index, S, O);
  }
  TCustomListBox* list_;
};

TCustomListBox::TCustomListBox(TComponent* AOwner)
    : TWinControl(AOwner),
      items_(std::make_unique<TListBoxStrings>(this)),
      saved_items_(std::make_unique<TStringList>()),
      canvas_(std::make_unique<TControlCanvas>()) {
  control_style_ = TControlStyle{csSetCaption, csDoubleClicks};
  width_ = 121;
  height_ = 97;
  SetTabStop(true);
  // A list shows the window colour, not its parent's.
  SetColor(clWindow);
  SetParentColor(false);
  canvas_->SetControl(this);
}

TCustomListBox::~TCustomListBox() = default;

void TCustomListBox::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, "LISTBOX");
  static constexpr DWORD kStyles[] = {0, LBS_OWNERDRAWFIXED, LBS_OWNERDRAWVARIABLE, LBS_OWNERDRAWFIXED,
                                      LBS_OWNERDRAWFIXED};
  Params.Style |= LBS_NOTIFY | kStyles[style_];
  // A virtual list's rows have no strings to keep or sort.
  Params.Style |= IsVirtual() ? LBS_NODATA : LBS_HASSTRINGS;
  Params.Style |= columns_ > 0 ? (LBS_MULTICOLUMN | WS_HSCROLL) : WS_VSCROLL;
  if (multi_select_) Params.Style |= extended_select_ ? LBS_EXTENDEDSEL : LBS_MULTIPLESEL;
  if (sorted_ && !IsVirtual()) Params.Style |= LBS_SORT;
  if (!integral_height_) Params.Style |= LBS_NOINTEGRALHEIGHT;
  if (border_style_ == bsSingle) Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomListBox::CreateWnd() {
  TWinControl::CreateWnd();
  window_virtual_ = IsVirtual();
  text_index_ = -1;
  if (style_ == lbOwnerDrawFixed || window_virtual_) SendMessageA(handle_, LB_SETITEMHEIGHT, 0, MAKELPARAM(item_height_, 0));
  if (columns_ > 0) SendMessageA(handle_, LB_SETCOLUMNWIDTH, static_cast<WPARAM>(std::max(1, width_ / columns_)), 0);
  if (window_virtual_) {
    // The rows come back by their count; the kept items wait for a list that is not virtual.
    SendMessageA(handle_, LB_SETCOUNT, static_cast<WPARAM>(count_), 0);
    if (count_ > 0) {
      SetTopIndex(saved_top_);
      SetItemIndex(saved_index_);
    }
    return;
  }
  // The kept items go into the window, then the kept selection and scroll position.
  int n = saved_items_->Count();
  for (int i = 0; i < n; ++i) {
    AnsiString s = saved_items_->Strings(i);
    LRESULT at = SendMessageA(handle_, sorted_ ? LB_ADDSTRING : LB_INSERTSTRING, sorted_ ? 0 : static_cast<WPARAM>(-1),
                              reinterpret_cast<LPARAM>(s.c_str()));
    if (at >= 0)
      SendMessageA(handle_, LB_SETITEMDATA, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(saved_items_->Objects(i)));
  }
  saved_items_->Clear();
  if (n > 0) {
    SetTopIndex(saved_top_);
    SetItemIndex(saved_index_);
  }
}

void TCustomListBox::DestroyWnd() {
  if (window_virtual_) {
    // Nothing to copy: the next window asks the events again.
    if (!ComponentState().Contains(csDestroying) && count_ > 0) {
      saved_top_ = TopIndex();
      saved_index_ = ItemIndex();
    }
    TWinControl::DestroyWnd();
    window_virtual_ = false;
    text_index_ = -1;
    return;
  }
  if (!ComponentState().Contains(csDestroying) && SendMessageA(handle_, LB_GETCOUNT, 0, 0) > 0) {
    saved_top_ = TopIndex();
    saved_index_ = ItemIndex();
    saved_items_->Clear();
    int n = static_cast<int>(SendMessageA(handle_, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) saved_items_->AddObject(items_->Strings(i), items_->Objects(i));
  }
  TWinControl::DestroyWnd();
}

void TCustomListBox::SetStyle(TListBoxStyle Value) {
  if (style_ == Value) return;
  style_ = Value;
  RecreateWnd();
}

void TCustomListBox::SetMultiSelect(bool Value) {
  if (multi_select_ == Value) return;
  multi_select_ = Value;
  RecreateWnd();
}

void TCustomListBox::SetExtendedSelect(bool Value) {
  if (extended_select_ == Value) return;
  extended_select_ = Value;
  RecreateWnd();
}

void TCustomListBox::SetSorted(bool Value) {
  if (sorted_ == Value) return;
  sorted_ = Value;
  if (!HandleAllocated()) {
    // Kept items take the order the window would give them.
    if (Value) saved_items_->Sort();
    return;
  }
  RecreateWnd();
}

int TCustomListBox::ItemHeight() {
  if (HandleAllocated() && style_ == lbStandard) return static_cast<int>(SendMessageA(handle_, LB_GETITEMHEIGHT, 0, 0));
  return item_height_;
}

void TCustomListBox::SetItemHeight(int Value) {
  if (Value <= 0 || item_height_ == Value) return;
  item_height_ = Value;
  if (HandleAllocated() && style_ != lbStandard) RecreateWnd();
}

void TCustomListBox::SetColumns(int Value) {
  if (Value < 0) Value = 0;
  if (columns_ == Value) return;
  bool recreate = (columns_ == 0) != (Value == 0);
  columns_ = Value;
  if (!HandleAllocated()) return;
  if (recreate) RecreateWnd();
  else SendMessageA(handle_, LB_SETCOLUMNWIDTH, static_cast<WPARAM>(std::max(1, width_ / columns_)), 0);
}

void TCustomListBox::SetIntegralHeight(bool Value) {
  if (integral_height_ == Value) return;
  integral_height_ = Value;
  RecreateWnd();
}

void TCustomListBox::SetBorderStyle(TBorderStyle Value) {
  if (border_style_ == Value) return;
  border_style_ = Value;
  RecreateWnd();
}

int TCustomListBox::Count() {
  if (IsVirtual()) return count_;
  return items_->Count();
}

void TCustomListBox::SetCount(int Value) {
  if (!IsVirtual()) throw EListError(Format(SListBoxMustBeVirtual, {Name()}));
  if (Value < 0) Value = 0;
  count_ = Value;
  text_index_ = -1;
  if (HandleAllocated() && window_virtual_) {
    if (SendMessageA(handle_, LB_SETCOUNT, static_cast<WPARAM>(Value), 0) < 0) {
      count_ = static_cast<int>(SendMessageA(handle_, LB_GETCOUNT, 0, 0));
      throw EOutOfResources(SInsertLineError);
    }
  }
}

AnsiString TCustomListBox::DoGetData(int Index) {
  AnsiString data;
  if (OnData) OnData(this, Index, data);
  return data;
}

TObject* TCustomListBox::DoGetDataObject(int Index) {
  TObject* object = nullptr;
  if (OnDataObject) OnDataObject(this, Index, object);
  return object;
}

int TCustomListBox::DoFindData(const AnsiString& Data) {
  return OnDataFind ? OnDataFind(this, Data) : -1;
}

void TCustomListBox::AnswerVirtualText(TMessage& Message) {
  int index = static_cast<int>(Message.WParam);
  if (index < 0 || index >= count_) {
    Message.Result = LB_ERR;
    return;
  }
  // LB_GETTEXTLEN always asks the event; the LB_GETTEXT of the same row that follows it fills
  // in that text.
  AnsiString text = Message.Msg == LB_GETTEXT && text_index_ == index ? text_ : DoGetData(index);
  if (Message.Msg == LB_GETTEXTLEN) {
    text_index_ = index;
    text_ = text;
  } else {
    text_index_ = -1;
    text_.clear();
  }
  // In the characters the message came in: a Unicode subclass may call the framework's
  // procedure with its own buffers.
  if (winplat::user::CallIsUnicode()) {
    WideString w = AnsiToWide(text);
    if (Message.Msg == LB_GETTEXT) {
      if (!Message.LParam) {
        Message.Result = LB_ERR;
        return;
      }
      auto* out = reinterpret_cast<char16_t*>(Message.LParam);
      std::copy(w.begin(), w.end(), out);
      out[w.size()] = 0;
    }
    Message.Result = static_cast<LRESULT>(w.size());
    return;
  }
  if (Message.Msg == LB_GETTEXT) {
    if (!Message.LParam) {
      Message.Result = LB_ERR;
      return;
    }
    auto* out = reinterpret_cast<char*>(Message.LParam);
    std::copy(text.begin(), text.end(), out);
    out[text.size()] = 0;
  }
  Message.Result = static_cast<LRESULT>(text.size());
}

void TCustomListBox::KeyPress(char& Key) {
  TWinControl::KeyPress(Key);
  if (Key == 0 || !IsVirtual() || !HandleAllocated()) return;
  const auto ch = static_cast<uint8_t>(Key);
  if (ch < 0x20 && ch != VK_BACK) return;  // Enter, Escape, Tab keep their meaning
  // What is typed within half a second of the key before adds to the text looked for.
  DWORD now = GetTickCount();
  if (now - filter_time_ >= 500) filter_.clear();
  filter_time_ = now;
  if (ch == VK_BACK) {
    // Takes off the last character (both bytes of a double-byte one).
    size_t i = 0, last = 0;
    while (i < filter_.size()) {
      last = i;
      i += IsDBCSLeadByte(static_cast<BYTE>(filter_[i])) && i + 1 < filter_.size() ? 2 : 1;
    }
    filter_.resize(last);
  } else {
    filter_ += Key;
  }
  Key = 0;
  // A lead byte waits for its trail byte before anything is looked for.
  size_t i = 0;
  bool complete = true;
  while (i < filter_.size()) {
    if (IsDBCSLeadByte(static_cast<BYTE>(filter_[i]))) {
      if (i + 1 >= filter_.size()) complete = false;
      i += 2;
    } else {
      ++i;
    }
  }
  if (filter_.empty() || !complete) return;
  int found = DoFindData(filter_);
  if (found < 0 || found >= count_) return;
  if (multi_select_) {
    SendMessageA(handle_, LB_SETSEL, 0, -1);
    SendMessageA(handle_, LB_SETSEL, 1, found);
  }
  SetItemIndex(found);
  Click();
}

int TCustomListBox::ItemIndex() {
  if (!HandleAllocated()) return (IsVirtual() ? count_ : saved_items_->Count()) ? saved_index_ : -1;
  return static_cast<int>(SendMessageA(handle_, multi_select_ ? LB_GETCARETINDEX : LB_GETCURSEL, 0, 0));
}

void TCustomListBox::SetItemIndex(int Value) {
  if (!HandleAllocated()) {
    saved_index_ = Value;
    return;
  }
  if (multi_select_) SendMessageA(handle_, LB_SETCARETINDEX, static_cast<WPARAM>(Value), 0);
  else SendMessageA(handle_, LB_SETCURSEL, static_cast<WPARAM>(Value), 0);
}

int TCustomListBox::TopIndex() {
  if (!HandleAllocated()) return saved_top_;
  return static_cast<int>(SendMessageA(handle_, LB_GETTOPINDEX, 0, 0));
}

void TCustomListBox::SetTopIndex(int Value) {
  if (!HandleAllocated()) {
    saved_top_ = Value;
    return;
  }
  if (TopIndex() != Value) SendMessageA(handle_, LB_SETTOPINDEX, static_cast<WPARAM>(Value), 0);
}

int TCustomListBox::SelCount() {
  if (!multi_select_) return ItemIndex() >= 0 ? 1 : 0;
  return static_cast<int>(SendMessageA(Handle(), LB_GETSELCOUNT, 0, 0));
}

bool TCustomListBox::Selected(int Index) {
  LRESULT r = SendMessageA(Handle(), LB_GETSEL, static_cast<WPARAM>(Index), 0);
  if (r == LB_ERR) throw EListError(Format(SListIndexError, {Index}));
  return r != 0;
}

void TCustomListBox::SetSelected(int Index, bool Value) {
  if (multi_select_) {
    if (SendMessageA(Handle(), LB_SETSEL, Value ? 1 : 0, Index) == LB_ERR)
      throw EListError(Format(SListIndexError, {Index}));
  } else if (Value) {
    SetItemIndex(Index);
  } else if (ItemIndex() == Index) {
    SetItemIndex(-1);
  }
}

int TCustomListBox::ItemAtPos(const TPoint& Pos, bool Existing) {
  if (items_->Count() == 0) return Existing ? -1 : 0;
  LRESULT r = SendMessageA(Handle(), LB_ITEMFROMPOINT, 0, MAKELPARAM(Pos.x, Pos.y));
  if (HIWORD(r) == 0) return LOWORD(r);
  return Existing ? -1 : items_->Count();
}

TRect TCustomListBox::ItemRect(int Index) {
  RECT r{};
  int count = items_->Count();
  if (Index == 0 || Index < count) SendMessageA(Handle(), LB_GETITEMRECT, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&r));
  return TRect{r.left, r.top, r.right, r.bottom};
}

void TCustomListBox::Clear() { items_->Clear(); }

void TCustomListBox::ClearSelection() {
  if (multi_select_) SendMessageA(Handle(), LB_SETSEL, 0, -1);
  else SetItemIndex(-1);
}

void TCustomListBox::SelectAll() {
  if (multi_select_) SendMessageA(Handle(), LB_SETSEL, 1, -1);
}

void TCustomListBox::DeleteSelected() {
  if (multi_select_) {
    for (int i = items_->Count() - 1; i >= 0; --i)
      if (Selected(i)) items_->Delete(i);
  } else if (ItemIndex() != -1) {
    items_->Delete(ItemIndex());
  }
}

void TCustomListBox::AddItem(const AnsiString& Item, TObject* AObject) { items_->AddObject(Item, AObject); }

void TCustomListBox::CopySelection(TCustomListBox* Destination) {
  if (!Destination) return;
  if (multi_select_) {
    for (int i = 0; i < items_->Count(); ++i)
      if (Selected(i)) Destination->AddItem(items_->Strings(i), items_->Objects(i));
  } else if (int i = ItemIndex(); i != -1) {
    Destination->AddItem(items_->Strings(i), items_->Objects(i));
  }
}

void TCustomListBox::DrawItem(int Index, TRect Rect, TOwnerDrawState State) {
  if (OnDrawItem) {
    OnDrawItem(this, Index, Rect, State);
    return;
  }
  canvas_->FillRect(Rect);
  if (Index < items_->Count()) {
    AnsiString s = items_->Strings(Index);
    // 2 pixels in from the leading edge.
    RECT r{Rect.left, Rect.top, Rect.right, Rect.bottom};
    if (UseRightToLeftAlignment()) r.right -= 2;
    else r.left += 2;
    DrawTextA(canvas_->Handle(), s.c_str(), static_cast<int>(s.size()), &r,
              DrawTextBiDiModeFlags(DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX));
  }
}

void TCustomListBox::MeasureItem(int Index, int& Height) {
  if (OnMeasureItem) OnMeasureItem(this, Index, Height);
}

void TCustomListBox::CNDrawItem(TMessage& Message) {
  auto* di = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
  TOwnerDrawState state = OwnerDrawStateOf(di->itemState);
  canvas_->FreeHandle();
  canvas_->SetHandle(di->hDC);
  canvas_->SetFont(Font());
  canvas_->SetBrush(Brush());
  if (state.Contains(odSelected)) {
    canvas_->Brush()->SetColor(clHighlight);
    canvas_->Font()->SetColor(clHighlightText);
  }
  TRect r{di->rcItem.left, di->rcItem.top, di->rcItem.right, di->rcItem.bottom};
  try {
    if (static_cast<int>(di->itemID) >= 0) DrawItem(static_cast<int>(di->itemID), r, state);
    else canvas_->FillRect(r);
    if (state.Contains(odFocused)) DrawFocusRect(di->hDC, &di->rcItem);
  } catch (...) {
    canvas_->SetHandle(nullptr);
    throw;
  }
  canvas_->SetHandle(nullptr);
  Message.Result = 1;
}

void TCustomListBox::CNMeasureItem(TMessage& Message) {
  auto* mi = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam);
  int h = item_height_;
  if (style_ == lbOwnerDrawVariable) MeasureItem(static_cast<int>(mi->itemID), h);
  mi->itemHeight = static_cast<UINT>(std::max(1, h));
  Message.Result = 1;
}

void TCustomListBox::CNCommand(TMessage& Message) {
  switch (HIWORD(Message.WParam)) {
    case LBN_SELCHANGE:
      Click();
      break;
    case LBN_DBLCLK:
      DblClick();
      break;
    default:
      break;
  }
}

void TCustomListBox::Dispatch(TMessage& Message) {
  if (stdctrls_detail::IsCtlColor(Message.Msg)) {
    stdctrls_detail::AnswerCtlColor(this, Message);
    return;
  }
  switch (Message.Msg) {
    case CN_COMMAND: CNCommand(Message); return;
    case CN_DRAWITEM: CNDrawItem(Message); return;
    case CN_MEASUREITEM: CNMeasureItem(Message); return;
    case LB_GETTEXT:
    case LB_GETTEXTLEN:
      if (HandleAllocated() && window_virtual_) {
        AnswerVirtualText(Message);
        return;
      }
      break;
    default: break;
  }
  TWinControl::Dispatch(Message);
}

static const bool registered =
    DeclareClass<TListBoxStrings, TStrings>("TListBoxStrings").Done() &&
    DeclareClass<TCustomListBox, TWinControl>("TCustomListBox")
        .Enum("BorderStyle", {"bsNone", "bsSingle"}, &TCustomListBox::BorderStyle, &TCustomListBox::SetBorderStyle,
              Default(bsSingle))
        .Integer("Columns", &TCustomListBox::Columns, &TCustomListBox::SetColumns, Default(0))
        .Boolean("ExtendedSelect", &TCustomListBox::ExtendedSelect, &TCustomListBox::SetExtendedSelect, Default(1))
        .Boolean("IntegralHeight", &TCustomListBox::IntegralHeight, &TCustomListBox::SetIntegralHeight, Default(0))
        .Integer("ItemHeight", [](TCustomListBox* l) { return l->ItemHeight(); }, &TCustomListBox::SetItemHeight,
                 Default(16))
        .Object("Items", &TCustomListBox::Items, [](TCustomListBox* l) { return !l->IsVirtual(); })
        .Event("OnDrawItem", &TCustomListBox::OnDrawItem)
        .Event("OnMeasureItem", &TCustomListBox::OnMeasureItem)
        .Event("OnData", &TCustomListBox::OnData)
        .Event("OnDataFind", &TCustomListBox::OnDataFind)
        .Event("OnDataObject", &TCustomListBox::OnDataObject)
        .Boolean("MultiSelect", &TCustomListBox::MultiSelect, &TCustomListBox::SetMultiSelect, Default(0))
        .Boolean("Sorted", &TCustomListBox::Sorted, &TCustomListBox::SetSorted, Default(0))
        .Enum("Style", {"lbStandard", "lbOwnerDrawFixed", "lbOwnerDrawVariable", "lbVirtual", "lbVirtualOwnerDraw"},
              &TCustomListBox::Style, &TCustomListBox::SetStyle, Default(lbStandard))
        .Done() &&
    DeclareClass<TListBox, TCustomListBox>("TListBox").Done();
