// The screen behind the platform: the display backend (size, cursor, message boxes on a real
// display), keyboard and mouse-button state, the message box answerer, and the audio sink.
//
// Headless by default: a 1024 x 768 display, no message box windows. Tests script what the user
// does (key state, message box answers) and read what the program showed and played.
#pragma once
#include <cstdint>
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
void SetMessageBoxAnswerer(MessageBoxAnswerer answerer);
bool HasMessageBoxAnswerer();
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

class Backend {
 public:
  virtual ~Backend() = default;
  virtual SIZE DisplaySize() const = 0;
  virtual POINT CursorPos() const = 0;
  virtual void SetCursorPos(POINT p) = 0;
  virtual void SetCursorVisible(bool visible) = 0;
  virtual bool CursorVisible() const = 0;
  // True when the backend shows message boxes itself (a real display).
  virtual bool HasDisplay() const { return false; }
  // Shows a message box and answers the button chosen; called only when HasDisplay().
  virtual int ShowMessageBox(const MessageBoxRequest& request) { return request.defaultButton; }
};

// The memory screen: a fixed display size (1024 x 768 unless a test sets another), a cursor
// position and visibility that the program sets and tests read or set.
class HeadlessBackend : public Backend {
 public:
  SIZE DisplaySize() const override;
  POINT CursorPos() const override;
  void SetCursorPos(POINT p) override;
  void SetCursorVisible(bool visible) override;
  bool CursorVisible() const override;
  void SetDisplaySize(int width, int height);

 private:
  mutable std::mutex mutex_;
  SIZE size_{1024, 768};
  POINT cursor_{0, 0};
  bool cursorVisible_ = true;
};

std::shared_ptr<Backend> CurrentBackend();
// Null puts back a fresh headless backend.
void SetBackend(std::shared_ptr<Backend> backend);
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
