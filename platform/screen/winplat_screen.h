// The screen behind the platform: the display backend (size, cursor, message boxes on a real
// display), keyboard and mouse-button state, the message box answerer, and the audio sink.
//
// Headless by default: a 1024 x 768 display, no message box windows. Tests script what the user
// does (key state, message box answers) and read what the program showed and played.
#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "wintypes.h"

namespace winplat::screen {

// ---------------------------------------------------------------- message boxes

struct MessageBoxRequest {
  HWND owner = nullptr;
  std::u16string text;
  std::u16string caption;
  UINT type = 0;           // MB_* flags as given
  int defaultButton = 1;   // the ID* of the default button for `type`
};

// The ID* answer a box of this type gives by default (MB_DEFBUTTONn over its buttons).
int DefaultButton(UINT type);

// Answers message boxes instead of a user. Empty function: no answerer.
using MessageBoxAnswerer = std::function<int(const MessageBoxRequest&)>;
// With an answerer, a box is a real window (tests look at it) unless `window` is kNone: then the
// answerer answers at once (fuzzing, where the box is not what is tried and its window would
// take most of the time).
enum class MessageBoxWindow { kShown, kNone };
void SetMessageBoxAnswerer(MessageBoxAnswerer answerer, MessageBoxWindow window = MessageBoxWindow::kShown);
bool HasMessageBoxAnswerer();
MessageBoxAnswerer CurrentMessageBoxAnswerer();
MessageBoxWindow CurrentMessageBoxWindow();
// Called by MessageBox: the answerer's answer, else the backend's box on a real display, else the
// text written to standard error (UTF-8) and the default button.
int AnswerMessageBox(const MessageBoxRequest& request);

// Answers from a queue in order and records every box shown. With the queue empty it answers
// the default button.
class ScriptedAnswerer {
 public:
  void Push(int answer);
  std::vector<MessageBoxRequest> Shown() const;
  size_t Pending() const;
  int Answer(const MessageBoxRequest& request);

 private:
  mutable std::mutex mutex_;
  std::vector<int> answers_;
  size_t next_ = 0;
  std::vector<MessageBoxRequest> shown_;
};
// Installs a fresh scripted answerer and answers it; SetMessageBoxAnswerer({}) removes it.
std::shared_ptr<ScriptedAnswerer> InstallScriptedAnswerer();

// ---------------------------------------------------------------- display backend

// A mode the screen can be switched to. The framebuffer is always 32-bit XRGB; a smaller depth
// is the one DirectDraw's surfaces are made in and converted from when they reach the screen.
struct ScreenMode {
  int width = 0, height = 0, bits = 32;
};

// What the user did, as a backend reports it. Positions are screen (framebuffer) pixels.
struct InputEvent {
  enum Kind { MouseMove, MouseButton, MouseWheel, Key, Text, FocusGained, FocusLost, Quit, Expose, Elapse } kind = MouseMove;
  POINT pt{0, 0};
  int button = 0;            // MouseButton: 0 left, 1 right, 2 middle, 3 and 4 the extra buttons
  bool down = false;         // MouseButton, Key
  int wheel = 0;             // MouseWheel: WHEEL_DELTA units, positive away from the user
  UINT vk = 0;               // Key: Windows virtual-key code
  UINT scan = 0;             // Key: scan code
  bool repeat = false;       // Key: auto-repeat
  bool extended = false;     // Key: extended key (arrows, right Ctrl...)
  std::u16string text;       // Text: UTF-16, any character (surrogate pairs for those above U+FFFF)
  UINT ms = 0;               // Elapse: milliseconds of the timers' clock that pass here
};

// The screen's pixels: 32-bit XRGB (0x00RRGGBB), row 0 at the top.
struct Framebuffer {
  uint8_t* bits = nullptr;
  ptrdiff_t pitch = 0;       // bytes per row
  int width = 0, height = 0;
  std::shared_ptr<void> keepAlive;  // holds the memory while a DC draws on it
};

class Backend {
 public:
  virtual ~Backend() = default;
  virtual SIZE DisplaySize() const = 0;
  virtual POINT CursorPos() const = 0;
  virtual void SetCursorPos(POINT p) = 0;
  virtual void SetCursorVisible(bool visible) = 0;
  virtual bool CursorVisible() const = 0;
  // True when a user sees the screen (a real display).
  virtual bool HasDisplay() const { return false; }
  // Shows a message box and answers the button chosen; called only when HasDisplay().
  virtual int ShowMessageBox(const MessageBoxRequest& request) { return request.defaultButton; }

  // The screen the window manager draws on; the same memory until the display size changes.
  virtual Framebuffer GetFramebuffer() = 0;
  // A screen rectangle was drawn on; Present() shows what was drawn since the last Present().
  virtual void Damage(const RECT& /*rect*/) {}
  virtual void Present() {}
  // The next event, or false when none is waiting.
  virtual bool PollEvent(InputEvent* event) = 0;
  // Sleeps until an event is waiting, Wake() is called or `timeoutMs` passes (-1: no limit).
  virtual void WaitEvent(int timeoutMs) = 0;
  // Ends a WaitEvent from any thread.
  virtual void Wake() = 0;
  // The pointer's shape (the IDC_* number of a standard cursor; 0 for none).
  virtual void SetCursorShape(int /*idc*/) {}
  // The clock the message queue's timers run by, in milliseconds: the system's tick count.
  virtual uint64_t TimerClock() const;
  // The display modes (the current one first); the headless screen has only its size.
  virtual std::vector<SIZE> DisplayModes() const { return {DisplaySize()}; }
  // The modes DirectDraw offers: every display mode at 8, 16, 24 and 32 bits.
  virtual std::vector<ScreenMode> ScreenModes() const;
  // Makes the screen width x height (one of the display modes); false when it cannot be.
  // Here only the current size can.
  virtual bool SetScreenSize(int width, int height);
  // The depth DirectDraw's surfaces are made in; a new screen starts at 32.
  int ScreenDepth() const { return depth_; }
  void SetScreenDepth(int bits) { depth_ = bits; }
  // Copy of the screen: width * height pixels, 0x00RRGGBB, row 0 at the top.
  std::vector<uint32_t> Screenshot(int* width, int* height);

 private:
  std::atomic<int> depth_{32};
};

// The memory screen: a fixed display size (1024 x 768 unless a test sets another), a
// framebuffer, a cursor position and visibility that the program sets and tests read or set,
// and scripted input: tests queue what a user would do, the message loop turns it into
// messages (hit testing, capture, focus) as it would a real display's events.
class HeadlessBackend : public Backend {
 public:
  HeadlessBackend();
  SIZE DisplaySize() const override;
  POINT CursorPos() const override;
  void SetCursorPos(POINT p) override;
  void SetCursorVisible(bool visible) override;
  bool CursorVisible() const override;
  void SetDisplaySize(int width, int height);
  // The modes offered (tests set them; empty: the current size at every depth). Switching to a
  // listed size changes the display size; the size last given to SetDisplaySize can always be
  // switched back to.
  void SetScreenModes(std::vector<ScreenMode> modes);
  std::vector<ScreenMode> ScreenModes() const override;
  bool SetScreenSize(int width, int height) override;
  Framebuffer GetFramebuffer() override;
  bool PollEvent(InputEvent* event) override;
  void WaitEvent(int timeoutMs) override;
  void Wake() override;
  void SetCursorShape(int idc) override;
  int CursorShape() const;

  // Scripted input. Positions are screen pixels; the pointer moves there first.
  void Push(const InputEvent& event);
  void MouseMove(int x, int y);
  void MouseDown(int x, int y, int button = 0);
  void MouseUp(int x, int y, int button = 0);
  void Click(int x, int y, int button = 0);      // down and up
  void DoubleClick(int x, int y, int button = 0);
  void Wheel(int x, int y, int delta);
  void KeyDown(UINT vk);
  void KeyUp(UINT vk);
  void PressKey(UINT vk);                        // down and up
  // Text input as a real keyboard's input method delivers it: WM_CHAR per UTF-16 unit.
  void TypeText(const std::u16string& text);
  void FocusLost();
  void FocusGained();
  void Quit();                                   // the user closed the program's window
  // Time passing in the script: the timers' clock moves on by `ms` when the queue reaches this
  // point, and the timers that came due then fire before the input queued after it.
  void Elapse(UINT ms);
  // With a scripted clock the timers' clock stands still except where the script says Elapse,
  // so what timers drive (auto-repeat, blinking) is tested without waiting. A message loop
  // waiting for such a timer waits for the next scripted event.
  void SetScriptedClock(bool scripted);
  uint64_t TimerClock() const override;
  size_t PendingEvents() const;

 private:
  mutable std::mutex mutex_;
  std::condition_variable cv_;
  bool woken_ = false;
  SIZE size_{1024, 768};
  POINT cursor_{0, 0};
  bool cursorVisible_ = true;
  int cursorShape_ = 32512;
  std::shared_ptr<std::vector<uint32_t>> pixels_;
  std::deque<InputEvent> events_;
  std::vector<ScreenMode> modes_;
  SIZE desktop_{1024, 768};
  bool scriptedClock_ = false;
  uint64_t clock_ = 0;   // the scripted clock
  uint64_t offset_ = 0;  // what Elapse added to the system's clock
};

// The SDL2 screen: one real window (desktop full screen when the program asks for the
// display's size, else windowed), presented with vsync where available. Null when SDL's video
// does not start.
std::shared_ptr<Backend> MakeSdlBackend(const char* title = "VelSlatoraEdu");
// The window size the SDL screen opens with; a size equal to the desktop gives full screen.
void SetSdlWindowSize(int width, int height);

std::shared_ptr<Backend> CurrentBackend();
// Null puts back a fresh headless backend.
void SetBackend(std::shared_ptr<Backend> backend);
// Changes when the backend or its display size changes (the window manager then repaints all).
uint64_t ScreenGeneration();
void BumpScreenGeneration();
// The current backend when it is the headless one, else null.
std::shared_ptr<HeadlessBackend> Headless();

// ---------------------------------------------------------------- input state

// State of a virtual key (VK_* codes, mouse buttons included) as GetKeyState and
// GetAsyncKeyState report it. Nothing is pressed until a test or the backend says so.
void SetKeyState(int vk, bool down, bool toggled = false);
bool KeyDown(int vk);
bool KeyToggled(int vk);
void ResetKeyState();

// ---------------------------------------------------------------- audio

struct PcmSound {
  uint32_t rate = 0;
  uint16_t channels = 0;      // 1 or 2
  uint16_t bits = 0;          // 8 (unsigned) or 16 (signed, little-endian)
  std::vector<uint8_t> data;  // whole frames only
  size_t Frames() const { return channels && bits ? data.size() / (channels * bits / 8u) : 0; }
  uint32_t Milliseconds() const { return rate ? static_cast<uint32_t>(Frames() * 1000ull / rate) : 0; }
};

// Size of the RIFF image at `p` (its header's length + 8), 0 when it is not one. Reads 12 bytes.
size_t WaveImageSize(const uint8_t* p);
// Decodes a RIFF WAVE image of PCM, 8 or 16 bits, mono or stereo. False on anything else or on
// a damaged image; chunk sizes are checked against `size`.
bool DecodeWave(const uint8_t* p, size_t size, PcmSound* out);

class AudioSink {
 public:
  virtual ~AudioSink() = default;
  // Starts the sound, cutting the one that plays. False when nothing can be played.
  virtual bool Play(std::shared_ptr<const PcmSound> sound) = 0;
  virtual void Stop() = 0;
  virtual bool IsPlaying() = 0;
  // Returns when the current sound has ended or was stopped.
  virtual void WaitUntilDone() = 0;
  // A tone of `freq` Hz for `ms`; with `wait` returns when it has ended.
  virtual void Beep(uint32_t freq, uint32_t ms, bool wait) = 0;
};

// Records what was played, cut and stopped, and when (GetTickCount milliseconds). A sound
// "plays" for its length from its start; nothing is heard.
class RecordingAudioSink : public AudioSink {
 public:
  struct Event {
    enum Kind { Play, Stop, Beep } kind;
    std::shared_ptr<const PcmSound> sound;  // Play
    uint32_t freq = 0, ms = 0;              // Beep
    uint64_t time = 0;
    bool cutPlaying = false;                // Play or Stop while a sound was playing
  };
  bool Play(std::shared_ptr<const PcmSound> sound) override;
  void Stop() override;
  bool IsPlaying() override;
  void WaitUntilDone() override;
  void Beep(uint32_t freq, uint32_t ms, bool wait) override;
  std::vector<Event> Events() const;
  void Clear();

 private:
  bool PlayingLocked(uint64_t now) const;
  mutable std::mutex mutex_;
  std::vector<Event> events_;
  uint64_t playingUntil_ = 0;
};

// SDL2 audio (only the audio subsystem, no window), opened at the first sound. Where no audio
// device opens it stays silent and Play answers false.
std::shared_ptr<AudioSink> MakeSdlAudioSink();

// The sink sounds go to. Until a sink is set this is the SDL2 sink, created at the first use:
// the program needs no call to have sound; tests that look at sounds set a RecordingAudioSink.
std::shared_ptr<AudioSink> Audio();
// Null puts back the SDL2 sink.
void SetAudioSink(std::shared_ptr<AudioSink> sink);
void UseSdlAudio();

}  // namespace winplat::screen
