// Shared parts of the control windows, and their class registration.
#include "controls/control_window.h"

#include <algorithm>
#include <atomic>

#include "commctrl.h"
#include "internal/modules.h"
#include "user/user_internal.h"
#include "wingdi.h"

namespace winplat::controls {

HWND NotifyTarget(HWND h) {
  HWND p = GetParent(h);
  return p ? p : GetWindow(h, GW_OWNER);
}

LRESULT NotifyParent(HWND h, WORD code) {
  HWND p = NotifyTarget(h);
  if (!p) return 0;
  return SendMessageW(p, WM_COMMAND, CommandParam(GetDlgCtrlID(h), code), reinterpret_cast<LPARAM>(h));
}

HFONT ControlFont(HFONT given) { return given ? given : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

HBRUSH ParentBrush(HWND h, HDC dc, UINT msg) {
  HWND p = NotifyTarget(h);
  if (!p) return nullptr;
  return reinterpret_cast<HBRUSH>(SendMessageW(p, msg, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(h)));
}

std::u16string WindowText(HWND h) {
  int n = GetWindowTextLengthW(h);
  std::u16string s(static_cast<size_t>(n > 0 ? n : 0) + 1, u'\0');
  int got = GetWindowTextW(h, reinterpret_cast<LPWSTR>(s.data()), n + 1);
  s.resize(static_cast<size_t>(got > 0 ? got : 0));
  return s;
}

void SetControlKind(HWND h, const char16_t* kind) { user::SetControlKind(h, kind); }

bool ShiftDown() { return GetKeyState(VK_SHIFT) < 0; }
bool CtrlDown() { return GetKeyState(VK_CONTROL) < 0; }
DWORD Style(HWND h) { return static_cast<DWORD>(GetWindowLongW(h, GWL_STYLE)); }

TEXTMETRICW FontMetrics(HWND h, HFONT given) {
  HDC dc = GetDC(h);
  HGDIOBJ old = SelectObject(dc, ControlFont(given));
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(h, dc);
  return tm;
}

int FontHeight(HWND h, HFONT given) { return std::max<int>(1, static_cast<int>(FontMetrics(h, given).tmHeight)); }

ATOM RegisterControlClass(const WNDCLASSW& wc) { return user::RegisterSystemClassW(wc); }

ATOM RegisterControlClass(const char16_t* name, WNDPROC proc, UINT style, LPCSTR cursor) {
  WNDCLASSW wc{};
  wc.style = style;
  wc.lpfnWndProc = proc;
  wc.cbWndExtra = kStateExtra;
  wc.hCursor = LoadCursorA(nullptr, cursor);
  wc.lpszClassName = name;
  return RegisterControlClass(wc);
}

void RegisterControlClasses() {
  // Set before registering: a registration that looks classes up must not come back here.
  static std::atomic<bool> done{false};
  if (done.exchange(true)) return;
  {
    RegisterButtonClass();
    RegisterStaticClass();
    RegisterEditClass();
    RegisterListBoxClass();
    RegisterToolbarClass();
    RegisterProgressClass();
    RegisterUpDownClass();
    RegisterTooltipsClass();
    RegisterListViewClass();
    RegisterComboBoxExClass();
  }
}

namespace {
// The standard controls are there from the start, as on the platform. The user library keeps
// its tables in function-local statics, so registering while the library loads is safe.
[[maybe_unused]] const bool g_registered = (RegisterControlClasses(), true);
}  // namespace

}  // namespace winplat::controls

// The standard controls exist from the start; these also bring the common controls.
void WINAPI InitCommonControls() { winplat::controls::RegisterControlClasses(); }

BOOL WINAPI InitCommonControlsEx(const INITCOMMONCONTROLSEX* icc) {
  if (!icc || icc->dwSize != sizeof(INITCOMMONCONTROLSEX)) return FALSE;
  winplat::controls::RegisterControlClasses();
  return TRUE;
}

VSE_EXPORT("comctl32.dll", InitCommonControls);
VSE_EXPORT("comctl32.dll", InitCommonControlsEx);
