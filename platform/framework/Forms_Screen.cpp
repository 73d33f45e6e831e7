// TScreen: the display's size, the application-wide cursor and the cursor handles, the forms.
#include <algorithm>

#include "Forms.h"

TScreen::TScreen(TComponent* AOwner) : TComponent(AOwner), hint_font_(std::make_unique<TFont>()) {
  hint_font_->SetColor(clInfoText);
}

TScreen::~TScreen() = default;

int TScreen::Width() const { return GetSystemMetrics(SM_CXSCREEN); }
int TScreen::Height() const { return GetSystemMetrics(SM_CYSCREEN); }

HCURSOR TScreen::Cursors(int Index) const {
  for (const auto& c : cursors_)
    if (c.first == Index) return c.second;
  LPCSTR id = nullptr;
  switch (Index) {
    case crNone: return nullptr;
    case crDefault:
    case crArrow: id = IDC_ARROW; break;
    case crCross: id = IDC_CROSS; break;
    case crIBeam: id = IDC_IBEAM; break;
    case crSizeNESW: id = IDC_SIZENESW; break;
    case crSizeNS: id = IDC_SIZENS; break;
    case crSizeNWSE: id = IDC_SIZENWSE; break;
    case crSizeWE: id = IDC_SIZEWE; break;
    case crUpArrow: id = IDC_UPARROW; break;
    case crHourGlass:
    case crSQLWait: id = IDC_WAIT; break;
    case crNo:
    case crNoDrop: id = IDC_NO; break;
    case crAppStart: id = IDC_APPSTARTING; break;
    case crHelp: id = IDC_HELP; break;
    case crHandPoint: id = IDC_HAND; break;
    case crSizeAll: id = IDC_SIZEALL; break;
    default: id = IDC_ARROW; break;
  }
  return LoadCursorA(nullptr, id);
}

void TScreen::SetCursors(int Index, HCURSOR Handle) {
  for (auto& c : cursors_)
    if (c.first == Index) {
      c.second = Handle;
      return;
    }
  cursors_.emplace_back(Index, Handle);
}

void TScreen::SetCursor(TCursor Value) {
  if (cursor_ == Value) return;
  cursor_ = Value;
  if (Value == crDefault) {
    // Each window shows its own cursor again.
    POINT p;
    GetCursorPos(&p);
    if (HWND w = WindowFromPoint(p)) SendMessageA(w, WM_SETCURSOR, reinterpret_cast<WPARAM>(w), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  } else {
    ::SetCursor(Cursors(Value));
  }
}

void TScreen::AddForm(TCustomForm* Form) {
  custom_forms_.push_back(Form);
  if (auto* f = dynamic_cast<TForm*>(Form)) forms_.push_back(f);
}

void TScreen::RemoveForm(TCustomForm* Form) {
  custom_forms_.erase(std::remove(custom_forms_.begin(), custom_forms_.end(), Form), custom_forms_.end());
  forms_.erase(std::remove(forms_.begin(), forms_.end(), static_cast<TForm*>(nullptr)), forms_.end());
  forms_.erase(std::remove_if(forms_.begin(), forms_.end(),
                              [Form](TForm* f) { return static_cast<TCustomForm*>(f) == Form; }),
               forms_.end());
  // The active control belongs to the active form.
  if (active_custom_form_ == Form) {
    active_custom_form_ = nullptr;
    active_control_ = nullptr;
  }
  if (static_cast<TCustomForm*>(active_form_) == Form) active_form_ = nullptr;
  if (focused_form_ == Form) focused_form_ = nullptr;
}
