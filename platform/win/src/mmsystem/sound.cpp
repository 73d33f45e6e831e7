// sndPlaySound through the audio sink, and the multimedia clock.
#include <cstdio>
#include <vector>

#include "internal/modules.h"
#include "internal/paths.h"
#include "internal/text.h"
#include "mmsystem.h"
#include "winbase.h"
#include "internal/wide_calls.h"
#include "winplat_mode.h"
#include "winplat_screen.h"

namespace {

using winplat::screen::PcmSound;

constexpr size_t kMaxSound = 256u << 20;

bool ReadWaveFile(const std::u16string& name, std::vector<uint8_t>* out) {
  const std::string path = winplat::ResolvePath(name);
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  uint8_t buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
    out->insert(out->end(), buf, buf + n);
    if (out->size() > kMaxSound) break;
  }
  std::fclose(f);
  return out->size() <= kMaxSound;
}

BOOL PlayCore(const void* sound, bool memory, const std::u16string& name, UINT flags) {
  auto sink = winplat::screen::Audio();
  if (!sound || (flags & SND_PURGE)) {
    sink->Stop();
    return TRUE;
  }
  if ((flags & SND_NOSTOP) && sink->IsPlaying()) return FALSE;
  auto pcm = std::make_shared<PcmSound>();
  bool ok;
  if (memory) {
    // The image gives its own length; the caller keeps it valid for this call only, since the
    // samples are copied out.
    const auto* p = static_cast<const uint8_t*>(sound);
    const size_t size = winplat::screen::WaveImageSize(p);
    ok = size != 0 && size <= kMaxSound && winplat::screen::DecodeWave(p, size, pcm.get());
  } else {
    std::vector<uint8_t> bytes;
    ok = ReadWaveFile(name, &bytes) && winplat::screen::DecodeWave(bytes.data(), bytes.size(), pcm.get());
    if (!ok && !(flags & SND_NODEFAULT)) sink->Beep(800, 150, !(flags & SND_ASYNC));  // the default sound
  }
  if (!ok) return FALSE;
  if (!sink->Play(pcm)) return FALSE;
  if (!(flags & SND_ASYNC)) sink->WaitUntilDone();
  return TRUE;
}

}  // namespace

BOOL WINAPI sndPlaySoundA(LPCSTR sound, UINT flags) {
  const bool memory = (flags & SND_MEMORY) != 0;
  return PlayCore(sound, memory, memory || !sound ? std::u16string() : winplat::AnsiToWide(sound), flags);
}

BOOL WINAPI sndPlaySoundW(LPCWSTR sound, UINT flags) {
  if (winplat::RefuseWideCall()) return FALSE;
  const bool memory = (flags & SND_MEMORY) != 0;
  return PlayCore(sound, memory, memory || !sound ? std::u16string() : std::u16string(sound), flags);
}

DWORD WINAPI timeGetTime() { return GetTickCount(); }
MMRESULT WINAPI timeBeginPeriod(UINT period) { return period == 0 ? TIMERR_NOCANDO : TIMERR_NOERROR; }
MMRESULT WINAPI timeEndPeriod(UINT period) { return period == 0 ? TIMERR_NOCANDO : TIMERR_NOERROR; }

VSE_EXPORT("winmm.dll", sndPlaySoundA);
VSE_EXPORT("winmm.dll", sndPlaySoundW);
VSE_EXPORT("winmm.dll", timeGetTime);
VSE_EXPORT("winmm.dll", timeBeginPeriod);
VSE_EXPORT("winmm.dll", timeEndPeriod);
