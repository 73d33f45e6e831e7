// The SDL2 audio sink: one voice, fed through SDL's queue. Only the audio subsystem is started,
// so it needs no window.
#include <SDL.h>

#include <cmath>

#include "winplat_screen.h"

namespace winplat::screen {
namespace {

constexpr int kRate = 44100;

class SdlAudioSink : public AudioSink {
 public:
  ~SdlAudioSink() override {
    if (device_) {
      SDL_CloseAudioDevice(device_);
      SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
  }

  bool Play(std::shared_ptr<const PcmSound> sound) override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!OpenLocked() || !sound) return false;
    SDL_ClearQueuedAudio(device_);
    if (sound->data.empty()) return true;
    SDL_AudioStream* stream = SDL_NewAudioStream(sound->bits == 8 ? AUDIO_U8 : AUDIO_S16LSB,
                                                 static_cast<Uint8>(sound->channels), static_cast<int>(sound->rate),
                                                 AUDIO_S16SYS, 2, kRate);
    if (!stream) return false;
    bool ok = SDL_AudioStreamPut(stream, sound->data.data(), static_cast<int>(sound->data.size())) == 0 &&
              SDL_AudioStreamFlush(stream) == 0;
    std::vector<uint8_t> out(static_cast<size_t>(SDL_AudioStreamAvailable(stream)));
    if (ok && !out.empty()) {
      const int got = SDL_AudioStreamGet(stream, out.data(), static_cast<int>(out.size()));
      ok = got >= 0 && SDL_QueueAudio(device_, out.data(), static_cast<Uint32>(got)) == 0;
    }
    SDL_FreeAudioStream(stream);
    SDL_PauseAudioDevice(device_, 0);
    return ok;
  }

  void Stop() override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (device_) SDL_ClearQueuedAudio(device_);
  }

  bool IsPlaying() override {
    std::lock_guard<std::mutex> lock(mutex_);
    return device_ && SDL_GetQueuedAudioSize(device_) > 0;
  }

  void WaitUntilDone() override {
    bool waited = false;
    while (IsPlaying()) {
      SDL_Delay(5);
      waited = true;
    }
    if (waited) SDL_Delay(30);  // the device's own buffer still plays
  }

  void Beep(uint32_t freq, uint32_t ms, bool wait) override {
    auto tone = std::make_shared<PcmSound>();
    tone->rate = kRate;
    tone->channels = 1;
    tone->bits = 16;
    const size_t frames = static_cast<size_t>(kRate) * ms / 1000;
    tone->data.resize(frames * 2);
    for (size_t i = 0; i < frames; ++i) {
      // A soft square wave with short fades, so the ends do not click.
      const double phase = std::fmod(static_cast<double>(i) * freq / kRate, 1.0);
      const double fade = std::min({1.0, i / 200.0, (frames - i) / 200.0});
      const auto v = static_cast<int16_t>((phase < 0.5 ? 6000 : -6000) * fade);
      tone->data[2 * i] = static_cast<uint8_t>(v & 0xFF);
      tone->data[2 * i + 1] = static_cast<uint8_t>((v >> 8) & 0xFF);
    }
    if (Play(tone) && wait) WaitUntilDone();
  }

 private:
  bool OpenLocked() {
    if (device_) return true;
    if (failed_) return false;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
      failed_ = true;
      return false;
    }
    SDL_AudioSpec want{};
    want.freq = kRate;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 1024;
    SDL_AudioSpec have{};
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (!device_) {
      SDL_QuitSubSystem(SDL_INIT_AUDIO);
      failed_ = true;
      return false;
    }
    return true;
  }

  std::mutex mutex_;
  SDL_AudioDeviceID device_ = 0;
  bool failed_ = false;
};

}  // namespace

std::shared_ptr<AudioSink> MakeSdlAudioSink() { return std::make_shared<SdlAudioSink>(); }

}  // namespace winplat::screen
