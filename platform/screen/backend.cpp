// The display backend in use, the input state and the message box answerer.
#include <atomic>
#include <cstdio>
#include <cstring>
#include <map>

#include "internal/text.h"
#include "winbase.h"
#include "winplat_screen.h"

namespace winplat::screen {

// ---------------------------------------------------------------- message boxes

int DefaultButton(UINT type) {
  static const std::vector<int> kButtons[] = {
      {1},        // MB_OK: IDOK
      {1, 2},     // MB_OKCANCEL
      {3, 4, 5},  // MB_ABORTRETRYIGNORE
      {6, 7, 2},  // MB_YESNOCANCEL
      {6, 7},     // MB_YESNO
      {4, 2},     // MB_RETRYCANCEL
      {2, 10, 11} // MB_CANCELTRYCONTINUE
  };
  const unsigned set = type & 0xF;
  const std::vector<int>& buttons = set < 7 ? kButtons[set] : kButtons[0];
  const unsigned index = (type >> 8) & 0xF;
  return buttons[index < buttons.size() ? index : 0];
}

namespace {
std::mutex g_answerer_mutex;
MessageBoxAnswerer& AnswererSlot() {
  static auto* a = new MessageBoxAnswerer;
  return *a;
}
}  // namespace

static MessageBoxWindow g_answerer_window = MessageBoxWindow::kShown;

void SetMessageBoxAnswerer(MessageBoxAnswerer answerer, MessageBoxWindow window) {
  std::lock_guard<std::mutex> lock(g_answerer_mutex);
  AnswererSlot() = std::move(answerer);
  g_answerer_window = window;
}

MessageBoxWindow CurrentMessageBoxWindow() {
  std::lock_guard<std::mutex> lock(g_answerer_mutex);
  return g_answerer_window;
}

bool HasMessageBoxAnswerer() {
  std::lock_guard<std::mutex> lock(g_answerer_mutex);
  return static_cast<bool>(AnswererSlot());
}

MessageBoxAnswerer CurrentMessageBoxAnswerer() {
  std::lock_guard<std::mutex> lock(g_answerer_mutex);
  return AnswererSlot();
}

int AnswerMessageBox(const MessageBoxRequest& request) {
  MessageBoxAnswerer answerer;
  {
    std::lock_guard<std::mutex> lock(g_answerer_mutex);
    answerer = AnswererSlot();
  }
  if (answerer) return answerer(request);
  auto backend = CurrentBackend();
  if (backend->HasDisplay()) return backend->ShowMessageBox(request);
  const std::string line = WideToUtf8(request.caption) + ": " + WideToUtf8(request.text) + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
  return request.defaultButton;
}

void ScriptedAnswerer::Push(int answer) {
  std::lock_guard<std::mutex> lock(mutex_);
  answers_.push_back(answer);
}

std::vector<MessageBoxRequest> ScriptedAnswerer::Shown() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return shown_;
}

size_t ScriptedAnswerer::Pending() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return answers_.size() - next_;
}

int ScriptedAnswerer::Answer(const MessageBoxRequest& request) {
  std::lock_guard<std::mutex> lock(mutex_);
  shown_.push_back(request);
  if (next_ < answers_.size()) return answers_[next_++];
  return request.defaultButton;
}

std::shared_ptr<ScriptedAnswerer> InstallScriptedAnswerer() {
  auto s = std::make_shared<ScriptedAnswerer>();
  SetMessageBoxAnswerer([s](const MessageBoxRequest& r) { return s->Answer(r); });
  return s;
}

// ---------------------------------------------------------------- backend

std::vector<uint32_t> Backend::Screenshot(int* width, int* height) {
  Framebuffer fb = GetFramebuffer();
  std::vector<uint32_t> out(static_cast<size_t>(fb.width) * fb.height);
  for (int y = 0; y < fb.height; ++y)
    std::memcpy(&out[static_cast<size_t>(y) * fb.width], fb.bits + y * fb.pitch, fb.width * 4u);
  if (width) *width = fb.width;
  if (height) *height = fb.height;
  return out;
}

HeadlessBackend::HeadlessBackend()
    : pixels_(std::make_shared<std::vector<uint32_t>>(static_cast<size_t>(size_.cx) * size_.cy)) {}

SIZE HeadlessBackend::DisplaySize() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return size_;
}
POINT HeadlessBackend::CursorPos() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return cursor_;
}
void HeadlessBackend::SetCursorPos(POINT p) {
  std::lock_guard<std::mutex> lock(mutex_);
  cursor_ = p;
}
void HeadlessBackend::SetCursorVisible(bool visible) {
  std::lock_guard<std::mutex> lock(mutex_);
  cursorVisible_ = visible;
}
bool HeadlessBackend::CursorVisible() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return cursorVisible_;
}
uint64_t Backend::TimerClock() const { return GetTickCount64(); }

std::vector<ScreenMode> Backend::ScreenModes() const {
  std::vector<ScreenMode> out;
  for (const SIZE& s : DisplayModes())
    for (int bits : {8, 16, 24, 32}) out.push_back(ScreenMode{s.cx, s.cy, bits});
  return out;
}

bool Backend::SetScreenSize(int width, int height) {
  const SIZE s = DisplaySize();
  return s.cx == width && s.cy == height;
}

void HeadlessBackend::SetScreenModes(std::vector<ScreenMode> modes) {
  std::lock_guard<std::mutex> lock(mutex_);
  modes_ = std::move(modes);
}

std::vector<ScreenMode> HeadlessBackend::ScreenModes() const {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!modes_.empty()) return modes_;
  }
  return Backend::ScreenModes();
}

bool HeadlessBackend::SetScreenSize(int width, int height) {
  if (Backend::SetScreenSize(width, height)) return true;
  bool listed;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    listed = desktop_.cx == width && desktop_.cy == height;
  }
  for (const ScreenMode& m : ScreenModes()) listed = listed || (m.width == width && m.height == height);
  if (!listed) return false;
  const SIZE desktop = desktop_;
  SetDisplaySize(width, height);
  std::lock_guard<std::mutex> lock(mutex_);
  desktop_ = desktop;
  return true;
}

void HeadlessBackend::SetDisplaySize(int width, int height) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (width < 1) width = 1;
  if (height < 1) height = 1;
  size_ = SIZE{width, height};
  desktop_ = size_;
  // New memory: DCs still drawing on the old one keep it alive.
  pixels_ = std::make_shared<std::vector<uint32_t>>(static_cast<size_t>(width) * height);
  BumpScreenGeneration();
}
Framebuffer HeadlessBackend::GetFramebuffer() {
  std::lock_guard<std::mutex> lock(mutex_);
  Framebuffer fb;
  fb.bits = reinterpret_cast<uint8_t*>(pixels_->data());
  fb.pitch = static_cast<ptrdiff_t>(size_.cx) * 4;
  fb.width = size_.cx;
  fb.height = size_.cy;
  fb.keepAlive = pixels_;
  return fb;
}
bool HeadlessBackend::PollEvent(InputEvent* event) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (events_.empty()) return false;
  *event = std::move(events_.front());
  events_.pop_front();
  if (event->kind == InputEvent::Elapse) {
    if (scriptedClock_) clock_ += event->ms;
    else offset_ += event->ms;
  }
  // The pointer is where the scripted user put it, as on a real display.
  if (event->kind == InputEvent::MouseMove || event->kind == InputEvent::MouseButton ||
      event->kind == InputEvent::MouseWheel)
    cursor_ = event->pt;
  return true;
}
void HeadlessBackend::WaitEvent(int timeoutMs) {
  std::unique_lock<std::mutex> lock(mutex_);
  auto ready = [this] { return woken_ || !events_.empty(); };
  if (timeoutMs < 0) cv_.wait(lock, ready);
  else cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
  woken_ = false;
}
void HeadlessBackend::Wake() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    woken_ = true;
  }
  cv_.notify_all();
}
void HeadlessBackend::SetCursorShape(int idc) {
  std::lock_guard<std::mutex> lock(mutex_);
  cursorShape_ = idc;
}
int HeadlessBackend::CursorShape() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return cursorShape_;
}
void HeadlessBackend::Push(const InputEvent& event) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    events_.push_back(event);
  }
  cv_.notify_all();
}
size_t HeadlessBackend::PendingEvents() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return events_.size();
}
void HeadlessBackend::Elapse(UINT ms) {
  InputEvent e;
  e.kind = InputEvent::Elapse;
  e.ms = ms;
  Push(e);
}
void HeadlessBackend::SetScriptedClock(bool scripted) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (scripted && !scriptedClock_) clock_ = GetTickCount64() + offset_;
  scriptedClock_ = scripted;
}
uint64_t HeadlessBackend::TimerClock() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return scriptedClock_ ? clock_ : GetTickCount64() + offset_;
}
void HeadlessBackend::MouseMove(int x, int y) {
  InputEvent e;
  e.kind = InputEvent::MouseMove;
  e.pt = POINT{x, y};
  Push(e);
}
void HeadlessBackend::MouseDown(int x, int y, int button) {
  MouseMove(x, y);
  InputEvent e;
  e.kind = InputEvent::MouseButton;
  e.pt = POINT{x, y};
  e.button = button;
  e.down = true;
  Push(e);
}
void HeadlessBackend::MouseUp(int x, int y, int button) {
  InputEvent e;
  e.kind = InputEvent::MouseButton;
  e.pt = POINT{x, y};
  e.button = button;
  e.down = false;
  Push(e);
}
void HeadlessBackend::Click(int x, int y, int button) {
  MouseDown(x, y, button);
  MouseUp(x, y, button);
}
void HeadlessBackend::DoubleClick(int x, int y, int button) {
  Click(x, y, button);
  Click(x, y, button);
}
void HeadlessBackend::Wheel(int x, int y, int delta) {
  MouseMove(x, y);
  InputEvent e;
  e.kind = InputEvent::MouseWheel;
  e.pt = POINT{x, y};
  e.wheel = delta;
  Push(e);
}
void HeadlessBackend::KeyDown(UINT vk) {
  InputEvent e;
  e.kind = InputEvent::Key;
  e.vk = vk;
  e.down = true;
  Push(e);
}
void HeadlessBackend::KeyUp(UINT vk) {
  InputEvent e;
  e.kind = InputEvent::Key;
  e.vk = vk;
  e.down = false;
  Push(e);
}
void HeadlessBackend::PressKey(UINT vk) {
  KeyDown(vk);
  KeyUp(vk);
}
void HeadlessBackend::TypeText(const std::u16string& text) {
  InputEvent e;
  e.kind = InputEvent::Text;
  e.text = text;
  Push(e);
}
void HeadlessBackend::FocusLost() {
  InputEvent e;
  e.kind = InputEvent::FocusLost;
  Push(e);
}
void HeadlessBackend::FocusGained() {
  InputEvent e;
  e.kind = InputEvent::FocusGained;
  Push(e);
}
void HeadlessBackend::Quit() {
  InputEvent e;
  e.kind = InputEvent::Quit;
  Push(e);
}

namespace {
std::mutex g_backend_mutex;
std::shared_ptr<Backend>& BackendSlot() {
  static auto* b = new std::shared_ptr<Backend>(std::make_shared<HeadlessBackend>());
  return *b;
}
}  // namespace

std::shared_ptr<Backend> CurrentBackend() {
  std::lock_guard<std::mutex> lock(g_backend_mutex);
  return BackendSlot();
}

namespace {
std::atomic<uint64_t> g_screen_generation{1};
}

uint64_t ScreenGeneration() { return g_screen_generation.load(); }
void BumpScreenGeneration() { ++g_screen_generation; }

void SetBackend(std::shared_ptr<Backend> backend) {
  {
    std::lock_guard<std::mutex> lock(g_backend_mutex);
    BackendSlot() = backend ? std::move(backend) : std::make_shared<HeadlessBackend>();
  }
  BumpScreenGeneration();
}

std::shared_ptr<HeadlessBackend> Headless() {
  return std::dynamic_pointer_cast<HeadlessBackend>(CurrentBackend());
}

// ---------------------------------------------------------------- input state

namespace {
std::mutex g_keys_mutex;
uint8_t g_keys[256];  // bit 0 down, bit 1 toggled
}  // namespace

void SetKeyState(int vk, bool down, bool toggled) {
  std::lock_guard<std::mutex> lock(g_keys_mutex);
  g_keys[vk & 0xFF] = static_cast<uint8_t>((down ? 1 : 0) | (toggled ? 2 : 0));
}

bool KeyDown(int vk) {
  std::lock_guard<std::mutex> lock(g_keys_mutex);
  return (g_keys[vk & 0xFF] & 1) != 0;
}

bool KeyToggled(int vk) {
  std::lock_guard<std::mutex> lock(g_keys_mutex);
  return (g_keys[vk & 0xFF] & 2) != 0;
}

void ResetKeyState() {
  std::lock_guard<std::mutex> lock(g_keys_mutex);
  for (auto& k : g_keys) k = 0;
}

}  // namespace winplat::screen
