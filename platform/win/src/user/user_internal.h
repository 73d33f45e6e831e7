// Inside the user library: windows, classes, procedures and the message queue. The window
// state is owned by the GUI thread (the thread that pumps messages); posting is thread-safe.
#pragma once
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gdi/gdi_internal.h"
#include "internal/handles.h"
#include "internal/modules.h"
#include "winplat_user.h"
#include "winuser.h"
#include "wintext.h"

namespace winplat::user {

using gdi::Region;

// ---- procedures -------------------------------------------------------------------------------

using Callable = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;

// A window procedure as the platform keeps it: a plain function or a registered callable, and
// the kind (ANSI or Unicode) it was installed as.
struct Proc {
  WNDPROC fn = nullptr;
  std::shared_ptr<Callable> callable;
  bool unicode = false;
  bool followsCaller = false;  // takes the kind of each call that installs or calls it
  bool Valid() const { return fn || callable; }
};

// A handle value naming a procedure (sign-extended 32 bits with the top byte 0xFF: never a code
// address), so it survives the 32-bit GetWindowLong.
bool IsProcHandle(LONG_PTR value);
LONG_PTR ProcHandleOf(const Proc& p);
// Resolves a value given to SetWindowLong/CallWindowProc: a handle gives its entry, a plain
// function takes `unicode` as its kind.
Proc ResolveProc(LONG_PTR value, bool unicode);
// What GetWindowLongPtr(GWL_WNDPROC) of the given kind answers for `p`.
LONG_PTR ProcValueFor(const Proc& p, bool callerUnicode, bool narrow32);

// Calls `p` with a message in the caller's kind, converting text and characters between ANSI
// and Unicode when the kinds differ.
LRESULT CallProc(const Proc& p, bool callerUnicode, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

// ---- classes ----------------------------------------------------------------------------------

struct WindowClass {
  std::u16string name;
  ATOM atom = 0;
  UINT style = 0;
  Proc proc;
  int clsExtra = 0, wndExtra = 0;
  HINSTANCE instance = nullptr;
  HICON icon = nullptr, iconSm = nullptr;
  HCURSOR cursor = nullptr;
  HBRUSH background = nullptr;
  std::u16string menuName;
  std::vector<uint8_t> extra;
  int windows = 0;
  bool system = false;  // built-in classes: found for any instance
  Proc ansiFace;        // see AnsiFaceOf
};
// A built-in class's Unicode procedure as an ANSI one, for windows made by the A calls: those
// windows are ANSI (IsWindowUnicode FALSE, messages reach them converted) like on the platform,
// where the built-in classes have a procedure of each kind.
Proc AnsiFaceOf(WindowClass& cls);
std::shared_ptr<WindowClass> FindClass(const std::u16string& name, ATOM atom, HINSTANCE instance);
// Name of a class argument: an atom (MAKEINTATOM) or a string.
std::u16string ClassArgName(LPCWSTR name, ATOM* atom);

// ---- windows ----------------------------------------------------------------------------------

struct Window : HandleObject {
  HWND handle = nullptr;
  std::shared_ptr<WindowClass> cls;
  HWND parent = nullptr;          // the desktop for top-level windows
  HWND owner = nullptr;
  std::vector<HWND> children;     // z-order, topmost first
  DWORD style = 0, exStyle = 0;
  RECT rect{};                    // window rectangle, parent client coordinates
  RECT client{};                  // client rectangle, parent client coordinates
  std::u16string text;
  Proc proc;
  LONG_PTR id = 0, userData = 0;
  HINSTANCE instance = nullptr;
  std::vector<uint8_t> extra;
  struct Prop { std::u16string name; ATOM atom = 0; HANDLE data = nullptr; };
  std::vector<Prop> props;
  // painting
  Region update;                  // client coordinates
  bool erase = false, ncPaint = false, internalPaint = false;
  // placement
  RECT normal{};                  // restored rectangle
  bool minimized = false, maximized = false;
  bool created = false, destroying = false;
  bool sentSizeMove = false;      // WM_SIZE/WM_MOVE sent once after creation
  HDC ownDC = nullptr;            // CS_OWNDC
  // dialogs
  bool dialog = false, dlgUnicode = false, dlgEnded = false;
  INT_PTR dlgResult = 0;
  HWND dlgFocus = nullptr;        // control to give the focus back to
  HFONT dlgFont = nullptr;
  // standard scroll bars (WS_HSCROLL, WS_VSCROLL)
  SCROLLINFO scroll[2]{{sizeof(SCROLLINFO), 0, 0, 100, 0, 0, 0}, {sizeof(SCROLLINFO), 0, 0, 100, 0, 0, 0}};
  UINT scrollDisabled[2]{};       // ESB_DISABLE_* arrows; kScrollKeptDisabled when nothing to scroll
  // character conversion state (high surrogate waiting for its partner)
  uint16_t pendingHigh = 0;
  // The standard control whose procedure runs this window (also when its class is another
  // name made from that control's class): the A/W conversions of its messages follow it.
  std::u16string controlKind;
};

std::shared_ptr<Window> GetWnd(HWND h);  // null and ERROR_INVALID_WINDOW_HANDLE for stale handles
std::shared_ptr<Window> PeekWnd(HWND h); // null without touching the last error
HWND Desktop();
bool IsTopLevel(const Window& w);        // a child of the desktop
bool IsReallyVisible(HWND h);            // it and all its ancestors visible
POINT ClientOrigin(HWND h);              // screen position of the client area's top-left
POINT WindowOrigin(HWND h);              // screen position of the window's top-left
RECT ScreenRect(HWND h, bool client);
std::vector<HWND> TopLevelWindows();     // z-order, topmost first
// Is the window's class one of these names (case-insensitive)?
bool ClassIs(const Window& w, const char16_t* name);
// Whether the window is of the standard control `name`: by its class or by what the control's
// procedure recorded with SetControlKind when it created the window.
bool IsControlKind(const Window& w, const char16_t* name);
void SetControlKind(HWND h, const char16_t* name);

// Sends to the window's procedure, in the caller's kind, through the call hooks.
LRESULT Send(HWND h, UINT msg, WPARAM wp, LPARAM lp, bool unicode);
inline LRESULT SendW(HWND h, UINT msg, WPARAM wp, LPARAM lp) { return Send(h, msg, wp, lp, true); }

// Non-client metrics from styles.
RECT FrameInsets(DWORD style, DWORD exStyle);
// What WM_GETMINMAXINFO starts from: maximized over the screen, the system's tracking limits.
MINMAXINFO DefaultMinMax(const Window& w);
// WM_SIZE then WM_MOVE with the window's present state.
void SendSizeMove(HWND h);
int CaptionHeight(DWORD style, DWORD exStyle);

// ---- painting and the screen -------------------------------------------------------------------

// Visible region of a window in screen coordinates (client area or whole window).
Region VisibleRegion(HWND h, bool client, bool clipChildren, bool clipSiblings);
// Something on the screen changed: every window under `screenArea` repaints that part.
void InvalidateScreen(const Region& screenArea, HWND except = nullptr);
void InvalidateWindowAll(HWND h, bool erase, bool frame);
// allChildren: the children under the area too (each further level unless it clips its children,
// or always with everyDescendant).
void AddUpdate(HWND h, const Region& clientArea, bool erase, bool allChildren, bool everyDescendant = false);
// A window that needs WM_PAINT, parents before children, or null.
HWND NextPaintWindow();
void PaintNonClient(HWND h);
void PaintScrollBars(HWND h, HDC windowDC);
bool ScrollBarClick(HWND h, int hit, POINT screen);
// The thumb of a bar `length` pixels long between its two arrow buttons of `arrow` pixels.
void ScrollThumbGeometry(const SCROLLINFO& s, int length, int arrow, int* start, int* size);
// The part of a window's bar under a screen point: SB_LINEUP, SB_PAGEUP, SB_THUMBTRACK (the
// thumb), SB_PAGEDOWN, SB_LINEDOWN, or -1 off the bar. The thumb is where the bar shows it.
int ScrollBarPartAt(HWND h, bool vert, POINT screen);
// Draws the bars now (not at the next paint), as a drag moves the thumb.
void DrawScrollBarsNow(HWND h);
// Set by SetScrollInfo's SIF_DISABLENOSCROLL when the range needs no bar: cleared when it does.
constexpr UINT kScrollKeptDisabled = 0x100;
// The bar part held down with the mouse: drawn pushed while the pointer is over it; a dragged
// thumb is drawn at `trackPos`.
struct ScrollPress {
  HWND hwnd = nullptr;
  int bar = -1;   // SB_HORZ, SB_VERT
  int part = -1;  // as ScrollBarPartAt
  bool over = false;
  int trackPos = 0;
};
ScrollPress& CurrentScrollPress();
// The drags, each in a loop of its own until the button goes up.
void TrackScrollThumb(HWND h, bool vert, POINT start);
// An arrow or page area held down: `code` is sent at once, then again after a delay and at a
// steady rate while the pointer stays over that part, and SB_ENDSCROLL on release.
void TrackScrollRepeat(HWND h, bool vert, int code);
constexpr UINT kScrollFirstDelay = 250, kScrollRepeatDelay = 50;  // milliseconds
// SC_MOVE / SC_SIZE: with the mouse from a caption or frame press (the command's low bits say
// which), else from the keyboard with the arrow keys.
void TrackMoveSize(HWND h, WPARAM command, POINT start);
void BumpVisGeneration();
void ReleaseWindowDCs(HWND h);

// ---- queue --------------------------------------------------------------------------------------

void WakeQueue();
void RemoveWindowMessages(HWND h);  // posted messages and timers of a destroyed window
void RemoveTimersOf(HWND h);
// Timers of the system itself: they post kSystemTimerMessage, which DefWindowProc handles;
// SetTimer and KillTimer never touch them and they keep no modal loop waiting.
constexpr UINT kSystemTimerMessage = 0x0118;
void SetSystemTimer(HWND h, UINT_PTR id, UINT elapse);
void KillSystemTimer(HWND h, UINT_PTR id);
constexpr UINT_PTR kCaretTimerId = 0xFFFF;
constexpr UINT_PTR kScrollTimerId = 0xFFFE;  // a held scroll bar arrow's repeat
void BlinkCaret(HWND h);
void CaretWindowDestroyed(HWND h);
// Calls the hooks of a chain; answers their result (0 when none).
LRESULT CallHooks(int idHook, int code, WPARAM wp, LPARAM lp, bool* called = nullptr);
bool HasHooks(int idHook);

// ---- focus and activation -----------------------------------------------------------------------

void OnWindowHidden(HWND h);      // moves focus and activation away from a window going away
void ActivateWindow(HWND h, int how, bool fromMouse);
HWND ActiveWindow();
void SetCaptureWindow(HWND h);
HWND CaptureWindow();
void ApplicationFocus(bool gained);

// ---- dialogs ------------------------------------------------------------------------------------

LRESULT CALLBACK DefDlgProcWImpl(HWND, UINT, WPARAM, LPARAM);
void RegisterSystemClasses();
// A push button taking the focus in a dialog becomes its default button while it has it;
// any other control gives the default back to the dialog's own (DM_GETDEFID).
void DialogFocusMoved(HWND to);
// Runs a modal loop until `done()` answers true (the dialog ended or its window went away).
// `filter`, when given, sees each message first and answers whether it took it.
void RunModalLoop(HWND modal, const std::function<bool()>& done,
                  const std::function<bool(const MSG&)>& filter = {});

HWND RootOfWindow(HWND h);
bool TimersExist();
void RelinkWindow(HWND h, HWND after);  // z-order move without messages
HWND WindowAt(POINT screen);            // deepest visible enabled window at a screen point
HWND TopLevelAt(POINT screen);
int CursorId(HCURSOR cursor);           // IDC_* number of a standard cursor, else 0
void PostInput(HWND h, UINT msg, WPARAM wp, LPARAM lp, POINT pt);
LONG_PTR WindowLong(HWND h, int index, bool unicode);

// The window atom table (class names, registered messages and clipboard formats).
ATOM AddAtomInternal(const std::u16string& name, bool pin);
// A destroyed window gives up the clipboard's ownership.
void ClipboardWindowDestroyed(HWND h);

// A built-in class (controls, dialogs): found for every instance, never unregistered.
ATOM RegisterSystemClassW(const WNDCLASSW& wc);

// Converts between the ANSI code page and UTF-16 for window text.
std::u16string A2W(const char* s, int len = -1);
// An ANSI character message's wParam made UTF-16 (WM_CHAR: lead byte, then trail byte, or
// trail << 8 | lead at once). False while a lead byte waits for its trail: nothing to deliver.
enum class CharPath { Post, Send };
bool AnsiCharToWide(CharPath path, UINT msg, WPARAM& wp);
std::string W2A(const std::u16string& s);

}  // namespace winplat::user
