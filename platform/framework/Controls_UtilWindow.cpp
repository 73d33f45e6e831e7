// The framework's utility windows: hidden windows that hand their messages to a method, for
// components that have no window of their own but must receive messages.
#include <map>

#include "Controls.h"

namespace {

// The method procedure of each utility window, freed with the window.
std::map<HWND, WNDPROC>& Instances() {
  static auto* m = new std::map<HWND, WNDPROC>;
  return *m;
}

constexpr char kUtilWindowClass[] = "TPUtilWindow";

void RegisterUtilClass() {
  static const bool registered = [] {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kUtilWindowClass;
    return RegisterClassA(&wc) != 0;
  }();
  (void)registered;
}

}  // namespace

HWND AllocateHWnd(TWndMethod Method) {
  RegisterUtilClass();
  HWND wnd = CreateWindowExA(WS_EX_TOOLWINDOW, kUtilWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
  if (wnd && Method) {
    WNDPROC proc = MakeObjectInstance(Method);
    SetWindowLongPtrA(wnd, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
    Instances()[wnd] = proc;
  }
  return wnd;
}

void DeallocateHWnd(HWND Wnd) {
  auto it = Instances().find(Wnd);
  WNDPROC proc = it == Instances().end() ? nullptr : it->second;
  if (it != Instances().end()) Instances().erase(it);
  if (Wnd && IsWindow(Wnd)) {
    // Back to the class procedure first, so no message of the destruction reaches the method.
    if (proc) SetWindowLongPtrA(Wnd, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(DefWindowProcA));
    DestroyWindow(Wnd);
  }
  if (proc) FreeObjectInstance(proc);
}
