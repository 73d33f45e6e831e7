// WAVE decoding, the recording sink and the sink in use.
#include <cstring>

#include "winbase.h"
#include "winplat_screen.h"

namespace winplat::screen {

namespace {
uint32_t Le32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24); }
uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
}  // namespace

size_t WaveImageSize(const uint8_t* p) {
  if (!p || std::memcmp(p, "RIFF", 4) != 0 || std::memcmp(p + 8, "WAVE", 4) != 0) return 0;
  return static_cast<size_t>(Le32(p + 4)) + 8;
}

bool DecodeWave(const uint8_t* p, size_t size, PcmSound* out) {
  if (!p || !out || size < 12 || std::memcmp(p, "RIFF", 4) != 0 || std::memcmp(p + 8, "WAVE", 4) != 0) return false;
  const uint64_t declared = static_cast<uint64_t>(Le32(p + 4)) + 8;
  const size_t end = declared < size ? static_cast<size_t>(declared) : size;
  const uint8_t* fmt = nullptr;
  size_t fmtSize = 0;
  const uint8_t* data = nullptr;
  size_t dataSize = 0;
  size_t pos = 12;
  while (pos + 8 <= end) {
    const uint8_t* id = p + pos;
    const uint64_t csize = Le32(p + pos + 4);
    const size_t body = pos + 8;
    const size_t avail = end - body;
    if (std::memcmp(id, "fmt ", 4) == 0) {
      if (csize > avail || fmt) return false;
      fmt = p + body;
      fmtSize = static_cast<size_t>(csize);
    } else if (std::memcmp(id, "data", 4) == 0) {
      if (data) return false;
      data = p + body;
      dataSize = csize > avail ? avail : static_cast<size_t>(csize);  // a cut image plays what it has
    }
    if (csize > avail) break;
    pos = body + static_cast<size_t>(csize) + (csize & 1);
  }
  if (!fmt || !data || fmtSize < 16) return false;
  uint16_t tag = Le16(fmt);
  if (tag == 0xFFFE && fmtSize >= 26) tag = Le16(fmt + 24);  // extensible: the sub-format's tag
  const uint16_t channels = Le16(fmt + 2);
  const uint32_t rate = Le32(fmt + 4);
  const uint16_t blockAlign = Le16(fmt + 12);
  const uint16_t bits = Le16(fmt + 14);
  if (tag != 1 || (channels != 1 && channels != 2) || (bits != 8 && bits != 16) || rate < 1000 || rate > 192000 ||
      blockAlign != channels * bits / 8)
    return false;
  out->rate = rate;
  out->channels = channels;
  out->bits = bits;
  out->data.assign(data, data + (dataSize / blockAlign) * blockAlign);
  return true;
}

// ---------------------------------------------------------------- recording sink

bool RecordingAudioSink::PlayingLocked(uint64_t now) const { return now < playingUntil_; }

bool RecordingAudioSink::Play(std::shared_ptr<const PcmSound> sound) {
  std::lock_guard<std::mutex> lock(mutex_);
  const uint64_t now = GetTickCount64();
  Event e{Event::Play, sound, 0, 0, 0, false};
  e.time = now;
  e.cutPlaying = PlayingLocked(now);
  events_.push_back(e);
  playingUntil_ = now + (sound ? sound->Milliseconds() : 0);
  return true;
}

void RecordingAudioSink::Stop() {
  std::lock_guard<std::mutex> lock(mutex_);
  const uint64_t now = GetTickCount64();
  Event e{Event::Stop, nullptr, 0, 0, 0, false};
  e.time = now;
  e.cutPlaying = PlayingLocked(now);
  events_.push_back(e);
  playingUntil_ = 0;
}

bool RecordingAudioSink::IsPlaying() {
  std::lock_guard<std::mutex> lock(mutex_);
  return PlayingLocked(GetTickCount64());
}

void RecordingAudioSink::WaitUntilDone() {
  std::lock_guard<std::mutex> lock(mutex_);
  playingUntil_ = 0;  // nothing is heard, so nothing to wait for
}

void RecordingAudioSink::Beep(uint32_t freq, uint32_t ms, bool) {
  std::lock_guard<std::mutex> lock(mutex_);
  Event e{Event::Beep, nullptr, 0, 0, 0, false};
  e.freq = freq;
  e.ms = ms;
  e.time = GetTickCount64();
  events_.push_back(e);
}

std::vector<RecordingAudioSink::Event> RecordingAudioSink::Events() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return events_;
}

void RecordingAudioSink::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  events_.clear();
  playingUntil_ = 0;
}

// ---------------------------------------------------------------- sink in use

namespace {
std::mutex g_sink_mutex;
std::shared_ptr<AudioSink>& SinkSlot() {
  static auto* s = new std::shared_ptr<AudioSink>;
  return *s;
}
}  // namespace

std::shared_ptr<AudioSink> Audio() {
  std::lock_guard<std::mutex> lock(g_sink_mutex);
  auto& s = SinkSlot();
  if (!s) s = MakeSdlAudioSink();
  return s;
}

void SetAudioSink(std::shared_ptr<AudioSink> sink) {
  std::lock_guard<std::mutex> lock(g_sink_mutex);
  SinkSlot() = sink ? std::move(sink) : MakeSdlAudioSink();
}

void UseSdlAudio() { SetAudioSink(nullptr); }

}  // namespace winplat::screen
