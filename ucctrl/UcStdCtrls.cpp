#include "UcStdCtrls.h"

#include <algorithm>

#include "SysConst.h"
#include "TypInfo.h"
#include "UcGraphics.h"
#include "UcMenus.h"
#include "UcSysUtils.h"
#include "UcWindows.h"
#include "winplat_user.h"

namespace {

struct WinControlAccess : TWinControl {
  static void SetHandle(TWinControl* c, HWND h) { (c->*(&WinControlAccess::SetWindowHandle))(h); }
  static void SetMoving(TCustomListBox* l, bool m);
};
struct ListBoxAccess : TCustomListBox {
  static void SetMovingOf(TCustomListBox* l, bool m) { (l->*(&ListBoxAccess::SetMoving))(m); }
};

bool HasUnicodeWindow(TWinControl* c) { return c->HandleAllocated() && IsWindowUnicode(c->Handle()); }

// The wide text of a window, cut at the count the window answers (and never past its length).
WideString UnitsUpTo(const WideString& Buffer, LRESULT Got, LRESULT Length) {
  const size_t n = static_cast<size_t>(std::clamp<LRESULT>(Got, 0, Length));
  const size_t nul = Buffer.find(u'\0');
  return Buffer.substr(0, std::min(n, nul));
}

}  // namespace

// ---- edit ----

void TUcCustomEdit::CreateWindowHandle(const TCreateParams& Params) {
  if (!PlatformIsUnicode && SysLocaleFarEast() && (Params.Style & ES_READONLY)) {
    // An East Asian ANSI system's read-only edit is made writable and then set read-only.
    TCreateParams p = Params;
    p.Style &= ~static_cast<DWORD>(ES_READONLY);
    CreateWideWindowHandle(this, p, WideWindowClass(), false);
    if (HandleAllocated()) SendMessageA(Handle(), EM_SETREADONLY, TRUE, 0);
    return;
  }
  TUcWideWinControl::CreateWindowHandle(Params);
}

void TUcCustomEdit::CreateWnd() {
  TCustomEdit::CreateWnd();
  if (password_char_ && HasUnicodeWindow(this)) SendMessageW(Handle(), EM_SETPASSWORDCHAR, password_char_, 0);
}

WideChar TUcCustomEdit::PasswordChar() {
  const char framework = TCustomEdit::PasswordChar();
  const char mine = password_char_ < 256 ? static_cast<char>(password_char_) : '*';
  if (framework != mine) return static_cast<WideChar>(static_cast<uint8_t>(framework));
  return password_char_;
}

void TUcCustomEdit::SetPasswordChar(WideChar Value) {
  if (Value == PasswordChar()) return;
  password_char_ = Value;
  const char byte = Value < 256 ? static_cast<char>(Value) : '*';
  if (!PlatformIsUnicode || !HasUnicodeWindow(this)) {
    TCustomEdit::SetPasswordChar(byte);
    return;
  }
  // The framework keeps the byte form without making the window again.
  HWND h = Handle();
  WinControlAccess::SetHandle(this, nullptr);
  try {
    TCustomEdit::SetPasswordChar(byte);
  } catch (...) {
    WinControlAccess::SetHandle(this, h);
    throw;
  }
  WinControlAccess::SetHandle(this, h);
  Assert(PlatformIsUnicode && HandleAllocated(), "Assertion failure");
  SendMessageW(h, EM_SETPASSWORDCHAR, Value, 0);
  Invalidate();
}

int TUcCustomEdit::GetSelStartW() {
  if (PlatformIsUnicode) return TCustomEdit::GetSelStart();
  const AnsiString text = TCustomEdit::Text();
  const size_t bytes = static_cast<size_t>(std::max(0, TCustomEdit::GetSelStart()));
  return static_cast<int>(AnsiToWide(text.substr(0, bytes)).size());
}

void TUcCustomEdit::SetSelStartW(int Value) {
  if (PlatformIsUnicode) {
    TCustomEdit::SetSelStart(Value);
    return;
  }
  const WideString text = Text();
  TCustomEdit::SetSelStart(static_cast<int>(WideToAnsi(text.substr(0, static_cast<size_t>(std::max(0, Value)))).size()));
}

int TUcCustomEdit::GetSelLengthW() {
  if (PlatformIsUnicode) return TCustomEdit::GetSelLength();
  return static_cast<int>(AnsiToWide(TCustomEdit::GetSelText()).size());
}

void TUcCustomEdit::SetSelLengthW(int Value) {
  if (PlatformIsUnicode) {
    TCustomEdit::SetSelLength(Value);
    return;
  }
  const WideString text = Text();
  const size_t start = std::min(text.size(), static_cast<size_t>(std::max(0, GetSelStartW())));
  const WideString part = text.substr(start, static_cast<size_t>(std::max(0, Value)));
  TCustomEdit::SetSelLength(static_cast<int>(WideToAnsi(part).size()));
}

WideString TUcCustomEdit::GetSelTextW() {
  if (!PlatformIsUnicode) return AnsiToWide(TCustomEdit::GetSelText());
  const WideString text = Text();
  const size_t start = std::min(text.size(), static_cast<size_t>(std::max(0, GetSelStartW())));
  return text.substr(start, static_cast<size_t>(std::max(0, GetSelLengthW())));
}

// ---- label ----

void TUcCustomLabel::DoDrawText(TRect& Rect, UINT Flags) {
  if (!PlatformIsUnicode) {
    TCustomLabel::DoDrawText(Rect, Flags);
    return;
  }
  WideString text = GetLabelTextW();
  if ((Flags & DT_CALCRECT) && (text.empty() || (ShowAccelChar() && text == u"&"))) text += u" ";
  if (!ShowAccelChar()) Flags |= DT_NOPREFIX;
  TCanvas* c = Canvas();
  c->SetFont(Font());
  WideCanvasPrepare(c);
  RECT r{Rect.left, Rect.top, Rect.right, Rect.bottom};
  const int n = static_cast<int>(text.size());
  if (Enabled()) {
    WideDrawText(c->Handle(), text.c_str(), n, &r, Flags);
  } else {
    OffsetRect(&r, 1, 1);
    c->Font()->SetColor(clBtnHighlight);
    WideCanvasPrepare(c);
    WideDrawText(c->Handle(), text.c_str(), n, &r, Flags);
    OffsetRect(&r, -1, -1);
    c->Font()->SetColor(clBtnShadow);
    WideCanvasPrepare(c);
    WideDrawText(c->Handle(), text.c_str(), n, &r, Flags);
  }
  Rect = TRect{r.left, r.top, r.right, r.bottom};
}

void TUcCustomLabel::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_DIALOGCHAR) {
    TWinControl* target = FocusControl();
    if (target && Enabled() && ShowAccelChar() && IsWideCharAccel(static_cast<Word>(Message.WParam), Caption()) &&
        target->CanFocus()) {
      target->SetFocus();
      Message.Result = 1;
    }
    return;
  }
  if (Message.Msg == CM_HINTSHOW && Message.LParam)
    PrepareWideHintInfo(this, *reinterpret_cast<THintInfo*>(Message.LParam));
  TCustomLabel::Dispatch(Message);
}

// ---- buttons ----

void TUcButton::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_DIALOGCHAR) {
    if (IsWideCharAccel(static_cast<Word>(Message.WParam), Caption()) && CanFocus()) {
      Click();
      Message.Result = 1;
    } else {
      Broadcast(Message);
    }
    return;
  }
  TButton::Dispatch(Message);
}

void TUcCustomCheckBox::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_DIALOGCHAR) {
    if (IsWideCharAccel(static_cast<Word>(Message.WParam), Caption()) && CanFocus()) {
      SetFocus();
      if (Focused()) Toggle();
      Message.Result = 1;
    } else {
      Broadcast(Message);
    }
    return;
  }
  TCustomCheckBox::Dispatch(Message);
}

void TUcRadioButton::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_DIALOGCHAR) {
    if (IsWideCharAccel(static_cast<Word>(Message.WParam), Caption()) && CanFocus()) {
      SetFocus();
      if (Focused()) SetChecked(true);
      Message.Result = 1;
    } else {
      Broadcast(Message);
    }
    return;
  }
  TRadioButton::Dispatch(Message);
}

// ---- group box ----

void TUcCustomGroupBox::Paint() {
  if (!PlatformIsUnicode) {
    TCustomGroupBox::Paint();
    return;
  }
  TCanvas* c = Canvas();
  c->SetFont(Font());
  const int h = WideCanvasTextHeight(c, u"0");
  const TRect r{0, h / 2 - 1, Width(), Height()};
  const TRect light{r.left + 1, r.top + 1, r.right, r.bottom};
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(clBtnHighlight);
  c->FrameRect(light);
  c->Brush()->SetColor(clBtnShadow);
  c->FrameRect(TRect{light.left - 1, light.top - 1, light.right - 1, light.bottom - 1});
  const WideString text = Caption();
  if (text.empty()) return;
  // 8 pixels in from the leading edge.
  RECT tr{8, 0, 0, h};
  if (UseRightToLeftAlignment()) tr.left = r.right - WideCanvasTextWidth(c, text) - 8;
  const UINT flags = DrawTextBiDiModeFlags(DT_SINGLELINE);
  WideCanvasPrepare(c);
  WideDrawText(c->Handle(), text.c_str(), static_cast<int>(text.size()), &tr, flags | DT_CALCRECT);
  c->Brush()->SetColor(Color());
  c->FillRect(TRect{tr.left, tr.top, tr.right, tr.bottom});
  SetBkMode(c->Handle(), TRANSPARENT);
  if (!Enabled()) c->Font()->SetColor(clGrayText);
  WideCanvasPrepare(c);
  WideDrawText(c->Handle(), text.c_str(), static_cast<int>(text.size()), &tr, flags);
}

void TUcCustomGroupBox::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_DIALOGCHAR) {
    if (IsWideCharAccel(static_cast<Word>(Message.WParam), Caption()) && CanFocus()) {
      SelectFirst();
      Message.Result = 1;
    } else {
      Broadcast(Message);
    }
    return;
  }
  TCustomGroupBox::Dispatch(Message);
}

// ---- list box ----

HWND TUcListBoxStrings::UnicodeWindow() const {
  return HasUnicodeWindow(list_) ? list_->Handle() : nullptr;
}

bool TUcListBoxStrings::KeptWide() const { return PlatformIsUnicode && !list_->HandleAllocated(); }

TStrings* TUcListBoxStrings::Framework() const { return list_->TCustomListBox::Items(); }

WideString TUcListBoxStrings::Get(int Index) {
  if (HWND h = UnicodeWindow()) {
    const LRESULT len = SendMessageW(h, LB_GETTEXTLEN, static_cast<WPARAM>(Index), 0);
    if (len == LB_ERR) Error(SListIndexError, Index);
    WideString buf(static_cast<size_t>(len) + 1, u'\0');
    const LRESULT got = SendMessageW(h, LB_GETTEXT, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(buf.data()));
    return got == LB_ERR ? WideString() : UnitsUpTo(buf, got, len);
  }
  if (KeptWide()) return list_->kept_->Get(Index);
  return AnsiToWide(Framework()->Strings(Index));
}

int TUcListBoxStrings::GetCount() { return KeptWide() ? list_->kept_->Count() : Framework()->Count(); }

TObject* TUcListBoxStrings::GetObject(int Index) {
  return KeptWide() ? list_->kept_->GetObject(Index) : Framework()->Objects(Index);
}

void TUcListBoxStrings::PutObject(int Index, TObject* AObject) {
  if (KeptWide()) list_->kept_->PutObject(Index, AObject);
  else Framework()->SetObjects(Index, AObject);
}

int TUcListBoxStrings::Add(const WideString& S) {
  if (HWND h = UnicodeWindow()) {
    const LRESULT r = SendMessageW(h, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(S.c_str()));
    if (r < 0) throw EOutOfResources(SInsertLineError);
    return static_cast<int>(r);
  }
  if (KeptWide()) return list_->kept_->Add(S);
  return Framework()->Add(WideToAnsi(S));
}

void TUcListBoxStrings::Insert(int Index, const WideString& S) {
  if (HWND h = UnicodeWindow()) {
    if (SendMessageW(h, LB_INSERTSTRING, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(S.c_str())) < 0)
      throw EOutOfResources(SInsertLineError);
    return;
  }
  if (KeptWide()) list_->kept_->Insert(Index, S);
  else Framework()->Insert(Index, WideToAnsi(S));
}

void TUcListBoxStrings::Clear() {
  if (KeptWide()) list_->kept_->Clear();
  else Framework()->Clear();
}

void TUcListBoxStrings::Delete(int Index) {
  if (KeptWide()) list_->kept_->Delete(Index);
  else Framework()->Delete(Index);
}

int TUcListBoxStrings::IndexOf(const WideString& S) {
  if (HWND h = UnicodeWindow())
    return static_cast<int>(SendMessageW(h, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(S.c_str())));
  if (KeptWide()) return list_->kept_->IndexOf(S);
  return Framework()->IndexOf(WideToAnsi(S));
}

void TUcListBoxStrings::SetUpdateState(bool Updating) {
  if (!KeptWide()) {
    if (Updating) Framework()->BeginUpdate();
    else Framework()->EndUpdate();
  }
}

void TUcListBoxStrings::Put(int Index, const WideString& S) {
  // The item keeps its object and the list its selection.
  const int selected = list_->ItemIndex();
  TObject* object = GetObject(Index);
  Delete(Index);
  InsertObject(Index, S, object);
  list_->SetItemIndex(selected);
}

void TUcListBoxStrings::Exchange(int Index1, int Index2) {
  if (Index1 == Index2) return;
  BeginUpdate();
  try {
    const int selected = list_->ItemIndex();
    const WideString s1 = Get(Index1), s2 = Get(Index2);
    TObject* o1 = GetObject(Index1);
    TObject* o2 = GetObject(Index2);
    Put(Index1, s2);
    PutObject(Index1, o2);
    Put(Index2, s1);
    PutObject(Index2, o1);
    if (selected == Index1) list_->SetItemIndex(Index2);
    else if (selected == Index2) list_->SetItemIndex(Index1);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TUcListBoxStrings::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  ListBoxAccess::SetMovingOf(list_, true);
  try {
    BeginUpdate();
    const WideString s = Get(CurIndex);
    TObject* o = GetObject(CurIndex);
    Delete(CurIndex);
    InsertObject(NewIndex, s, o);
    EndUpdate();
  } catch (...) {
    EndUpdate();
    ListBoxAccess::SetMovingOf(list_, false);
    throw;
  }
  ListBoxAccess::SetMovingOf(list_, false);
}

TUcCustomListBox::TUcCustomListBox(TComponent* AOwner)
    : TUcWideWinControl(AOwner),
      items_(std::make_unique<TUcListBoxStrings>(this)),
      kept_(std::make_unique<TUcStringList>()) {}

TUcCustomListBox::~TUcCustomListBox() = default;

void TUcCustomListBox::CreateWnd() {
  TCustomListBox::CreateWnd();
  if (kept_->Count() == 0) return;
  // The kept wide items go into the window, then the kept selection and scroll position.
  const int n = kept_->Count();
  const bool wide = HasUnicodeWindow(this);
  for (int i = 0; i < n; ++i) {
    const WideString s = kept_->Get(i);
    LRESULT at;
    if (wide) {
      at = SendMessageW(Handle(), Sorted() ? LB_ADDSTRING : LB_INSERTSTRING, Sorted() ? 0 : static_cast<WPARAM>(-1),
                        reinterpret_cast<LPARAM>(s.c_str()));
    } else {
      const AnsiString a = WideToAnsi(s);
      at = SendMessageA(Handle(), Sorted() ? LB_ADDSTRING : LB_INSERTSTRING, Sorted() ? 0 : static_cast<WPARAM>(-1),
                        reinterpret_cast<LPARAM>(a.c_str()));
    }
    if (at >= 0) SendMessageA(Handle(), LB_SETITEMDATA, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(kept_->GetObject(i)));
  }
  kept_->Clear();
  if (kept_top_ >= 0) SetTopIndex(kept_top_);
  SetItemIndex(kept_index_);
  kept_top_ = kept_index_ = -1;
}

void TUcCustomListBox::DestroyWnd() {
  if (!IsVirtual() && !ComponentState().Contains(csDestroying) && HasUnicodeWindow(this) &&
      SendMessageW(Handle(), LB_GETCOUNT, 0, 0) > 0) {
    // The framework would keep the items as ANSI text: they are kept wide here instead.
    kept_top_ = TopIndex();
    kept_index_ = ItemIndex();
    kept_->Clear();
    const int n = static_cast<int>(SendMessageW(Handle(), LB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) kept_->AddObject(items_->Get(i), items_->GetObject(i));
    SendMessageW(Handle(), LB_RESETCONTENT, 0, 0);
  }
  TCustomListBox::DestroyWnd();
}

void TUcCustomListBox::DrawItem(int Index, TRect Rect, TOwnerDrawState State) {
  if (OnDrawItem || !PlatformIsUnicode) {
    TCustomListBox::DrawItem(Index, Rect, State);
    return;
  }
  Canvas()->FillRect(Rect);
  if (Index < items_->Count()) {
    const WideString s = items_->Get(Index);
    // 2 pixels in from the leading edge.
    RECT r{Rect.left, Rect.top, Rect.right, Rect.bottom};
    if (UseRightToLeftAlignment()) r.right -= 2;
    else r.left += 2;
    WideCanvasPrepare(Canvas());
    WideDrawText(Canvas()->Handle(), s.c_str(), static_cast<int>(s.size()), &r,
                 DrawTextBiDiModeFlags(DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX));
  }
}

AnsiString TUcCustomListBox::DoGetData(int Index) {
  if (!OnData) return TCustomListBox::DoGetData(Index);
  WideString data;
  OnData(this, Index, data);
  return WideToAnsi(data);
}

void TUcCustomListBox::Dispatch(TMessage& Message) {
  if ((Message.Msg == LB_GETTEXT || Message.Msg == LB_GETTEXTLEN) && IsVirtual() && HandleAllocated()) {
    AnswerWideVirtualText(Message);
    return;
  }
  TUcWideWinControl<TCustomListBox>::Dispatch(Message);
}

void TUcCustomListBox::AnswerWideVirtualText(TMessage& Message) {
  const int index = static_cast<int>(Message.WParam);
  if (index < 0 || index >= Count() || (!OnData && !TCustomListBox::OnData)) {
    Message.Result = LB_ERR;
    return;
  }
  WideString data;
  if (OnData) OnData(this, index, data);
  else data = AnsiToWide(TCustomListBox::DoGetData(index));
  // In the characters the message came in.
  if (winplat::user::CallIsUnicode()) {
    if (Message.Msg == LB_GETTEXT) {
      if (!Message.LParam) {
        Message.Result = LB_ERR;
        return;
      }
      auto* out = reinterpret_cast<char16_t*>(Message.LParam);
      std::copy(data.begin(), data.end(), out);
      out[data.size()] = 0;
    }
    Message.Result = static_cast<LRESULT>(data.size());
    return;
  }
  const AnsiString ansi = WideToAnsi(data);
  if (Message.Msg == LB_GETTEXT) {
    if (!Message.LParam) {
      Message.Result = LB_ERR;
      return;
    }
    auto* out = reinterpret_cast<char*>(Message.LParam);
    std::copy(ansi.begin(), ansi.end(), out);
    out[ansi.size()] = 0;
  }
  Message.Result = static_cast<LRESULT>(ansi.size());
}

void TUcCustomListBox::AddItemW(const WideString& Item, TObject* AObject) { items_->AddObject(Item, AObject); }

void TUcCustomListBox::CopySelectionW(TControl* Destination) {
  if (!Destination) return;
  if (MultiSelect()) {
    for (int i = 0; i < items_->Count(); ++i)
      if (Selected(i)) AddWideListItem(Destination, items_->Get(i), items_->GetObject(i));
  } else if (const int i = ItemIndex(); i != -1) {
    AddWideListItem(Destination, items_->Get(i), items_->GetObject(i));
  }
}

// ---------------------------------------------------------------------------------------------
// Published wide texts.

namespace {
template <class T, class Base>
bool DeclareWide(const char* Name, const char* CaptionName = "Caption") {
  return PublishWideTexts(DeclareClass<T, Base>(Name), CaptionName).Done();
}
}  // namespace

static const bool registered =
    PublishWideTexts(DeclareClass<TUcCustomEdit, TCustomEdit>("TUcCustomEdit"), "Text")
        // The text is published as Text only: Caption, the same text, is not written twice.
        .WideString("Caption", [](TUcCustomEdit* e) { return e->Caption(); },
                    [](TUcCustomEdit* e, const WideString& v) { e->SetCaption(v); }, false)
        .Done() &&
    DeclareClass<TUcEdit, TUcCustomEdit>("TUcEdit")
        .WideChar("PasswordChar", &TUcEdit::PasswordChar, &TUcEdit::SetPasswordChar, Default(0))
        .Done() &&
    DeclareWide<TUcCustomLabel, TCustomLabel>("TUcCustomLabel") &&
    DeclareClass<TUcLabel, TUcCustomLabel>("TUcLabel").Done() &&
    DeclareWide<TUcButton, TButton>("TUcButton") &&
    DeclareWide<TUcCustomCheckBox, TCustomCheckBox>("TUcCustomCheckBox") &&
    DeclareClass<TUcCheckBox, TUcCustomCheckBox>("TUcCheckBox").Done() &&
    DeclareWide<TUcRadioButton, TRadioButton>("TUcRadioButton") &&
    DeclareWide<TUcCustomGroupBox, TCustomGroupBox>("TUcCustomGroupBox") &&
    DeclareClass<TUcGroupBox, TUcCustomGroupBox>("TUcGroupBox").Done() &&
    DeclareClass<TUcListBoxStrings, TUcStrings>("TUcListBoxStrings").Done() &&
    DeclareClass<TUcCustomListBox, TCustomListBox>("TUcCustomListBox")
        .WideString("Hint", [](TUcCustomListBox* c) { return c->Hint(); },
                    [](TUcCustomListBox* c, const WideString& v) { c->SetHint(v); },
                    [](TUcCustomListBox* c) { return HintNotLinked(c); })
        .Object("Items", &TUcCustomListBox::Items)
        .Done() &&
    DeclareClass<TUcListBox, TUcCustomListBox>("TUcListBox").Done();
