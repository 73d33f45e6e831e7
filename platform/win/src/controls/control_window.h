// What every control window shares: its state object in the window's extra bytes, its font,
// the parent's notifications and colours.
#pragma once
#include <string>

#include "wintext.h"
#include "winuser.h"

namespace winplat::controls {

// The state of a control lives in the first pointer of its window extra bytes.
inline constexpr int kStateExtra = static_cast<int>(sizeof(void*));

template <class T>
T* StateOf(HWND h) {
  return reinterpret_cast<T*>(GetWindowLongPtrW(h, 0));
}
template <class T>
void SetState(HWND h, T* s) {
  SetWindowLongPtrW(h, 0, reinterpret_cast<LONG_PTR>(s));
}

inline WPARAM CommandParam(int id, WORD code) {
  return static_cast<WPARAM>(static_cast<DWORD>(static_cast<WORD>(id)) | (static_cast<DWORD>(code) << 16));
}
// WM_COMMAND with a notification code to the parent (the owner for a top-level control).
LRESULT NotifyParent(HWND h, WORD code);
HWND NotifyTarget(HWND h);
// The font a control draws with: the one WM_SETFONT gave, or the GUI font.
HFONT ControlFont(HFONT given);
// The metrics of that font on the window's DC, and its height (at least 1).
TEXTMETRICW FontMetrics(HWND h, HFONT given);
int FontHeight(HWND h, HFONT given);
// Asks the parent for the background brush (WM_CTLCOLOR*); null when it answers none.
HBRUSH ParentBrush(HWND h, HDC dc, UINT ctlColorMsg);
// The window's text.
std::u16string WindowText(HWND h);
// Records which standard control runs a window (at its WM_NCCREATE), so that the platform
// treats a window of a class made from the control's class as that control.
void SetControlKind(HWND h, const char16_t* kind);
bool ShiftDown();
bool CtrlDown();
DWORD Style(HWND h);
// Registers the standard controls' classes once (BUTTON, STATIC, EDIT, LISTBOX and the
// common controls).
void RegisterControlClasses();

// A built-in class: found for every instance, never unregistered.
ATOM RegisterControlClass(const WNDCLASSW& wc);
// The same for a control keeping its state in the window's extra bytes (kStateExtra).
ATOM RegisterControlClass(const char16_t* name, WNDPROC proc, UINT style, LPCSTR cursor);
ATOM RegisterButtonClass();
ATOM RegisterStaticClass();
ATOM RegisterEditClass();
ATOM RegisterListBoxClass();
ATOM RegisterToolbarClass();
ATOM RegisterProgressClass();
ATOM RegisterUpDownClass();
ATOM RegisterTooltipsClass();
ATOM RegisterListViewClass();
ATOM RegisterComboBoxExClass();

}  // namespace winplat::controls
