// The display backend in use, the input state and the message box answerer.
#include <cstdio>
#include <map>

#include "internal/text.h"
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

void SetMessageBoxAnswerer(MessageBoxAnswerer answerer) {
  std::lock_guard<std::mutex> lock(g_answerer_mutex);
  AnswererSlot() = std::move(answerer);
}

bool HasMessageBoxAnswerer() {
  std::lock_guard<std::mutex> lock(g_answerer_mutex);
  return static_cast<bool>(AnswererSlot());
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
void HeadlessBackend::SetDisplaySize(int width, int height) {
  std::lock_guard<std::mutex> lock(mutex_);
  size_ = SIZE{width, height};
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

void SetBackend(std::shared_ptr<Backend> backend) {
  std::lock_guard<std::mutex> lock(g_backend_mutex);
  BackendSlot() = backend ? std::move(backend) : std::make_shared<HeadlessBackend>();
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
