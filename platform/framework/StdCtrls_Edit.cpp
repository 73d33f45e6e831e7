// TCustomEdit: the platform's "EDIT" window with the framework's properties, kept while the
// window is recreated.
#include "StdCtrls.h"

#include <winplat_mode.h>

#include <algorithm>

#include "SysUtils.h"
#include "TypInfo.h"

namespace stdctrls_detail {

// The answer to a reflected WM_CTLCOLOR*: the control's font colour and brush.
void AnswerCtlColor(TWinControl* Control, TMessage& Message) {
  HDC dc = reinterpret_cast<HDC>(Message.WParam);
  SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(Control->Font()->Color())));
  SetBkColor(dc, static_cast<COLORREF>(ColorToRGB(Control->Brush()->Color())));
  Message.Result = reinterpret_cast<LRESULT>(Control->Brush()->Handle());
}

bool IsCtlColor(UINT Msg) { return Msg >= CN_CTLCOLORMSGBOX && Msg <= CN_CTLCOLORSTATIC; }

}  // namespace stdctrls_detail

using stdctrls_detail::AnswerCtlColor;
using stdctrls_detail::IsCtlColor;

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWinControl(AOwner) {
  control_style_ = TControlStyle{csClickEvents, csSetCaption, csDoubleClicks, csFixedHeight};
  width_ = 121;
  height_ = 25;
  SetTabStop(true);
  SetColor(clWindow);
  AdjustHeight();
}

void TCustomEdit::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, "EDIT");
  static constexpr DWORD kCase[] = {0, ES_UPPERCASE, ES_LOWERCASE};
  Params.Style |= ES_AUTOHSCROLL | ES_AUTOVSCROLL | kCase[char_case_];
  if (border_style_ == bsSingle) Params.ExStyle |= WS_EX_CLIENTEDGE;
  if (password_char_) Params.Style |= ES_PASSWORD;
  if (read_only_) Params.Style |= ES_READONLY;
  if (!hide_selection_) Params.Style |= ES_NOHIDESEL;
}

void TCustomEdit::CreateWnd() {
  creating_ = true;
  try {
    TWinControl::CreateWnd();
  } catch (...) {
    creating_ = false;
    throw;
  }
  creating_ = false;
  SendMessageA(handle_, EM_LIMITTEXT, static_cast<WPARAM>(max_length_), 0);
  SendMessageA(handle_, EM_SETMODIFY, modified_ ? 1 : 0, 0);
  if (password_char_) SendMessageA(handle_, EM_SETPASSWORDCHAR, static_cast<BYTE>(password_char_), 0);
}

void TCustomEdit::DestroyWnd() {
  modified_ = Modified();
  TWinControl::DestroyWnd();
}

void TCustomEdit::Loaded() {
  TWinControl::Loaded();
  AdjustHeight();
}

void TCustomEdit::AdjustHeight() {
  if (!auto_size_) return;
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font()->Handle());
  TEXTMETRICA tm{};
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  // The text's height, a little air, and the sunken border.
  int border = border_style_ == bsSingle ? 2 * GetSystemMetrics(SM_CYEDGE) : 0;
  SetHeight(static_cast<int>(tm.tmHeight) + static_cast<int>(tm.tmHeight) / 4 + 2 + border);
}

void TCustomEdit::SetAutoSize(bool Value) {
  if (auto_size_ == Value) return;
  auto_size_ = Value;
  AdjustHeight();
}

void TCustomEdit::SetBorderStyle(TBorderStyle Value) {
  if (border_style_ == Value) return;
  border_style_ = Value;
  AdjustHeight();
  RecreateWnd();
}

void TCustomEdit::SetCharCase(TEditCharCase Value) {
  if (char_case_ == Value) return;
  char_case_ = Value;
  RecreateWnd();
}

void TCustomEdit::SetHideSelection(bool Value) {
  if (hide_selection_ == Value) return;
  hide_selection_ = Value;
  RecreateWnd();
}

void TCustomEdit::SetMaxLength(int Value) {
  max_length_ = Value < 0 ? 0 : Value;
  if (HandleAllocated()) SendMessageA(handle_, EM_LIMITTEXT, static_cast<WPARAM>(max_length_), 0);
}

bool TCustomEdit::Modified() {
  if (HandleAllocated()) modified_ = SendMessageA(handle_, EM_GETMODIFY, 0, 0) != 0;
  return modified_;
}

void TCustomEdit::SetModified(bool Value) {
  modified_ = Value;
  if (HandleAllocated()) SendMessageA(handle_, EM_SETMODIFY, Value ? 1 : 0, 0);
}

void TCustomEdit::SetPasswordChar(char Value) {
  if (password_char_ == Value) return;
  password_char_ = Value;
  if (HandleAllocated()) {
    SendMessageA(handle_, EM_SETPASSWORDCHAR, static_cast<BYTE>(Value), 0);
    Invalidate();
  }
}

void TCustomEdit::SetReadOnly(bool Value) {
  if (read_only_ == Value) return;
  read_only_ = Value;
  if (HandleAllocated()) SendMessageA(handle_, EM_SETREADONLY, Value ? 1 : 0, 0);
}

int TCustomEdit::GetSelStart() {
  DWORD start = 0;
  SendMessageA(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
  return static_cast<int>(start);
}

void TCustomEdit::SetSelStart(int Value) { SendMessageA(Handle(), EM_SETSEL, static_cast<WPARAM>(Value), Value); }

int TCustomEdit::GetSelLength() {
  DWORD start = 0, end = 0;
  SendMessageA(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return static_cast<int>(end - start);
}

void TCustomEdit::SetSelLength(int Value) {
  DWORD start = 0;
  SendMessageA(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
  SendMessageA(handle_, EM_SETSEL, start, static_cast<LPARAM>(start) + Value);
  SendMessageA(handle_, EM_SCROLLCARET, 0, 0);
}

AnsiString TCustomEdit::GetSelText() {
  // The window is an ANSI edit: its positions count bytes of the code page, as the text does.
  int start = GetSelStart(), length = GetSelLength();
  AnsiString text = Text();
  if (start > static_cast<int>(text.size())) return AnsiString();
  return text.substr(static_cast<size_t>(start), static_cast<size_t>(length));
}

void TCustomEdit::SetSelText(const AnsiString& Value) {
  SendMessageA(Handle(), EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(Value.c_str()));
}

void TCustomEdit::Clear() { SetText(AnsiString()); }
void TCustomEdit::ClearSelection() { SendMessageA(Handle(), WM_CLEAR, 0, 0); }
void TCustomEdit::CopyToClipboard() { SendMessageA(Handle(), WM_COPY, 0, 0); }
void TCustomEdit::CutToClipboard() { SendMessageA(Handle(), WM_CUT, 0, 0); }
void TCustomEdit::PasteFromClipboard() { SendMessageA(Handle(), WM_PASTE, 0, 0); }
void TCustomEdit::SelectAll() { SendMessageA(Handle(), EM_SETSEL, 0, -1); }
bool TCustomEdit::CanUndo() { return HandleAllocated() && SendMessageA(handle_, EM_CANUNDO, 0, 0) != 0; }
void TCustomEdit::Undo() {
  if (HandleAllocated()) SendMessageA(handle_, EM_UNDO, 0, 0);
}
void TCustomEdit::ClearUndo() {
  if (HandleAllocated()) SendMessageA(handle_, EM_EMPTYUNDOBUFFER, 0, 0);
}

void TCustomEdit::Change() {
  if (OnChange) OnChange(this);
}

void TCustomEdit::CNCommand(TMessage& Message) {
  // The window's text changed: by typing or by a program (not while the window is made).
  if (HIWORD(Message.WParam) == EN_CHANGE && !creating_) Change();
}

void TCustomEdit::Dispatch(TMessage& Message) {
  if (IsCtlColor(Message.Msg)) {
    AnswerCtlColor(this, Message);
    return;
  }
  switch (Message.Msg) {
    case CN_COMMAND:
      CNCommand(Message);
      return;
    case CM_ENTER:
      // Entering by keyboard selects the whole text; a click places the caret where it hit.
      if (auto_select_ && !control_state_.Contains(csLButtonDown) && HandleAllocated()) SelectAll();
      break;
    case CM_FONTCHANGED:
      TWinControl::Dispatch(Message);
      AdjustHeight();
      return;
    default:
      break;
  }
  TWinControl::Dispatch(Message);
}

static const bool registered =
    DeclareClass<TCustomEdit, TWinControl>("TCustomEdit")
        .Boolean("AutoSelect", &TCustomEdit::AutoSelect, &TCustomEdit::SetAutoSelect, Default(1))
        .Boolean("AutoSize", &TCustomEdit::AutoSize, &TCustomEdit::SetAutoSize, Default(1))
        .Enum("BorderStyle", {"bsNone", "bsSingle"}, &TCustomEdit::BorderStyle, &TCustomEdit::SetBorderStyle,
              Default(bsSingle))
        .Enum("CharCase", {"ecNormal", "ecUpperCase", "ecLowerCase"}, &TCustomEdit::CharCase,
              &TCustomEdit::SetCharCase, Default(ecNormal))
        .Boolean("HideSelection", &TCustomEdit::HideSelection, &TCustomEdit::SetHideSelection, Default(1))
        .Integer("MaxLength", &TCustomEdit::MaxLength, &TCustomEdit::SetMaxLength, Default(0))
        .Char("PasswordChar", &TCustomEdit::PasswordChar, &TCustomEdit::SetPasswordChar, Default(0))
        .Boolean("ReadOnly", &TCustomEdit::ReadOnly, &TCustomEdit::SetReadOnly, Default(0))
        .String("Text", [](TCustomEdit* e) { return e->Text(); },
                [](TCustomEdit* e, const AnsiString& v) { e->SetText(v); }, &TCustomEdit::IsCaptionStored)
        .Event("OnChange", &TCustomEdit::OnChange)
        .Done() &&
    DeclareClass<TEdit, TCustomEdit>("TEdit").Done();
