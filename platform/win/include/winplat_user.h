// Our platform's additions to the user library: what the framework, the controls, DirectDraw
// and tests need beyond the Windows calls.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "winuser.h"

namespace winplat::user {

// Registers a callable as a window procedure of the given kind. The answer works wherever a
// WNDPROC does (SetWindowLongPtr(GWL_WNDPROC), WNDCLASS, CallWindowProc), also through the
// 32-bit SetWindowLong, and compares equal to itself. Stands in for the framework's object
// instances (no code is generated).
WNDPROC RegisterProcedure(std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)> callable, bool unicode);
// The same for a callable whose kind follows the call that installs it, as a generated thunk's
// does: SetWindowLongA or RegisterClassA make it an ANSI procedure, the W calls a Unicode one,
// and CallWindowProcA/W call it as the caller's kind without converting.
WNDPROC RegisterCallerKindProcedure(std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)> callable);
// Forgets a registered callable; calls through its value answer 0 afterwards.
void UnregisterProcedure(WNDPROC proc);
// Whether the window procedure running now on this thread was called with Unicode messages
// (a caller-kind procedure learns the characters of its buffers from it).
bool CallIsUnicode();
// While it lives, the calls made on this thread count as ANSI ones: for a framework that calls
// its own procedure directly with byte-string buffers.
class AnsiCallScope {
 public:
  AnsiCallScope();
  ~AnsiCallScope();
  AnsiCallScope(const AnsiCallScope&) = delete;
  AnsiCallScope& operator=(const AnsiCallScope&) = delete;

 private:
  bool saved_;
};

// Dialog templates by name (or MAKEINTRESOURCE number) for DialogBoxParam and CreateDialogParam.
// The template and what it points to must stay alive while it is registered.
void RegisterDialogTemplate(HINSTANCE instance, LPCWSTR name, const DLGTEMPLATEW* dialogTemplate);

// Called whenever a modal loop (DialogBox, MessageBox, a common dialog) has no message left:
// the modal window is shown and waits for the user. Headless tests drive it from here (scripted
// clicks and keys through the headless screen, SetWindowText, EndDialog...). Empty: none.
// Without a handler, a modal dialog on a screen with no display and no pending input or timer
// ends with IDCANCEL (its caption is written to standard error), so nothing hangs.
using ModalIdleHandler = std::function<void(HWND modalWindow)>;
void SetModalIdleHandler(ModalIdleHandler handler);

// The visible region of a window in screen coordinates, clipped by every window above it,
// its siblings and its children: what a DirectDraw clipper bound to the window lets through.
// Empty when the window is hidden or covered. `client`: the client area only.
std::vector<RECT> WindowVisibleRects(HWND hwnd, bool client);
// Changes whenever any window moves, shows, hides or changes z-order (clippers cache by it).
uint64_t VisibleRegionGeneration();

// Dispatches every message waiting (posted, input, paint, due timers) without blocking;
// answers how many were dispatched. For tests and for loops that must not sleep.
int PumpMessages();

// The screen's pixels were changed outside a DC (DirectDraw): present that screen rectangle.
void ScreenDamaged(const RECT& screenRect);
// Presents what changed on the screen now (the message loop does this before it waits).
void PresentScreen();

}  // namespace winplat::user
