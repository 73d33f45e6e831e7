#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "mmsystem.h"
#include "winbase.h"
#include "winplat_mode.h"
#include "winplat_screen.h"

using winplat::screen::RecordingAudioSink;

namespace {

void Put32(std::vector<uint8_t>& v, uint32_t x) {
  for (int i = 0; i < 4; ++i) v.push_back(static_cast<uint8_t>(x >> (8 * i)));
}
void Put16(std::vector<uint8_t>& v, uint16_t x) {
  v.push_back(static_cast<uint8_t>(x));
  v.push_back(static_cast<uint8_t>(x >> 8));
}

std::vector<uint8_t> Wave(uint16_t channels, uint16_t bits, uint32_t rate, uint32_t frames, uint16_t tag = 1) {
  const uint32_t block = channels * bits / 8;
  std::vector<uint8_t> v;
  v.insert(v.end(), {'R', 'I', 'F', 'F'});
  Put32(v, 4 + 8 + 16 + 8 + 4 + 8 + frames * block);
  v.insert(v.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  Put32(v, 16);
  Put16(v, tag);
  Put16(v, channels);
  Put32(v, rate);
  Put32(v, rate * block);
  Put16(v, static_cast<uint16_t>(block));
  Put16(v, bits);
  v.insert(v.end(), {'L', 'I', 'S', 'T'});  // a chunk to skip
  Put32(v, 4);
  v.insert(v.end(), {'I', 'N', 'F', 'O'});
  v.insert(v.end(), {'d', 'a', 't', 'a'});
  Put32(v, frames * block);
  for (uint32_t i = 0; i < frames * block; ++i) v.push_back(static_cast<uint8_t>(i * 7));
  return v;
}

class Sound : public ::testing::Test {
 protected:
  void SetUp() override {
    sink_ = std::make_shared<RecordingAudioSink>();
    winplat::screen::SetAudioSink(sink_);
  }
  void TearDown() override { winplat::screen::SetAudioSink(std::make_shared<RecordingAudioSink>()); }
  std::shared_ptr<RecordingAudioSink> sink_;
};

}  // namespace

TEST_F(Sound, DecodesPcmFormats) {
  struct Case {
    uint16_t channels, bits;
    uint32_t rate, frames;
  };
  for (const Case& c : {Case{1, 8, 11025, 100}, Case{2, 8, 22050, 50}, Case{1, 16, 44100, 441}, Case{2, 16, 48000, 7}}) {
    const auto w = Wave(c.channels, c.bits, c.rate, c.frames);
    winplat::screen::PcmSound pcm;
    ASSERT_TRUE(winplat::screen::DecodeWave(w.data(), w.size(), &pcm));
    EXPECT_EQ(pcm.channels, c.channels);
    EXPECT_EQ(pcm.bits, c.bits);
    EXPECT_EQ(pcm.rate, c.rate);
    EXPECT_EQ(pcm.Frames(), c.frames);
    EXPECT_EQ(pcm.data[1], 7);
  }
}

TEST_F(Sound, AsyncPlayIsCutByTheNextAndStoppedByNull) {
  const auto tap = Wave(1, 16, 22050, 22050 * 2);  // two seconds
  const auto shutter = Wave(2, 8, 11025, 1102);
  ASSERT_TRUE(sndPlaySoundA(reinterpret_cast<LPCSTR>(tap.data()), SND_ASYNC | SND_MEMORY));
  ASSERT_TRUE(sndPlaySoundA(reinterpret_cast<LPCSTR>(shutter.data()), SND_ASYNC | SND_MEMORY));
  ASSERT_TRUE(sndPlaySoundA(nullptr, SND_MEMORY));
  const auto ev = sink_->Events();
  ASSERT_EQ(ev.size(), 3u);
  EXPECT_EQ(ev[0].kind, RecordingAudioSink::Event::Play);
  EXPECT_EQ(ev[0].sound->Milliseconds(), 2000u);
  EXPECT_FALSE(ev[0].cutPlaying);
  EXPECT_EQ(ev[1].kind, RecordingAudioSink::Event::Play);
  EXPECT_TRUE(ev[1].cutPlaying);  // the tap was still playing
  EXPECT_EQ(ev[1].sound->channels, 2);
  EXPECT_EQ(ev[2].kind, RecordingAudioSink::Event::Stop);
  EXPECT_TRUE(ev[2].cutPlaying);
  EXPECT_FALSE(sink_->IsPlaying());
  EXPECT_GE(ev[2].time, ev[0].time);
}

TEST_F(Sound, BadDataIsRefused) {
  auto good = Wave(1, 16, 22050, 10);
  std::vector<std::vector<uint8_t>> bad;
  bad.push_back({'R', 'I', 'F', 'X', 0, 0, 0, 0, 'W', 'A', 'V', 'E'});
  auto noData = good;
  std::memcpy(noData.data() + 48, "dat?", 4);
  bad.push_back(noData);
  bad.push_back(Wave(1, 16, 22050, 10, 2));  // ADPCM
  bad.push_back(Wave(3, 16, 22050, 10));
  bad.push_back(Wave(1, 12, 22050, 10));
  auto shortFmt = good;
  shortFmt[16] = 8;  // fmt chunk too short to hold a format
  bad.push_back(shortFmt);
  for (size_t i = 0; i < bad.size(); ++i) {
    bad[i].resize(bad[i].size() + 64);  // room for what the header claims
    EXPECT_FALSE(sndPlaySoundA(reinterpret_cast<LPCSTR>(bad[i].data()), SND_ASYNC | SND_MEMORY)) << i;
  }
  EXPECT_TRUE(sink_->Events().empty());
  // A cut data chunk plays the frames it has.
  auto cut = good;
  cut[4] = static_cast<uint8_t>(cut[4] - 10);
  winplat::screen::PcmSound pcm;
  ASSERT_TRUE(winplat::screen::DecodeWave(cut.data(), cut.size(), &pcm));
  EXPECT_EQ(pcm.Frames(), 5u);
  EXPECT_FALSE(sndPlaySoundA("no such file.wav", SND_ASYNC | SND_NODEFAULT));
  EXPECT_TRUE(sink_->Events().empty());
}

TEST_F(Sound, SyncNoStopFileAndBeeps) {
  const auto w = Wave(1, 8, 8000, 8000);
  ASSERT_TRUE(sndPlaySoundA(reinterpret_cast<LPCSTR>(w.data()), SND_ASYNC | SND_MEMORY));
  EXPECT_FALSE(sndPlaySoundA(reinterpret_cast<LPCSTR>(w.data()), SND_ASYNC | SND_MEMORY | SND_NOSTOP));
  EXPECT_TRUE(sndPlaySoundA(reinterpret_cast<LPCSTR>(w.data()), SND_SYNC | SND_MEMORY));
  EXPECT_FALSE(sink_->IsPlaying());  // a synchronous sound has ended when the call returns
  FILE* f = fopen("tap.wav", "wb");
  fwrite(w.data(), 1, w.size(), f);
  fclose(f);
  EXPECT_TRUE(sndPlaySoundA("TAP.WAV", SND_ASYNC));
  EXPECT_TRUE(sndPlaySoundW(u"tap.wav", SND_ASYNC));
  EXPECT_TRUE(Beep(440, 100));
  EXPECT_FALSE(Beep(10, 100));
  const auto ev = sink_->Events();
  ASSERT_EQ(ev.size(), 5u);
  EXPECT_EQ(ev[3].sound->Frames(), 8000u);
  EXPECT_EQ(ev[4].kind, RecordingAudioSink::Event::Beep);
  EXPECT_EQ(ev[4].freq, 440u);
  remove("tap.wav");
  winplat::SetAnsiOnlyPlatform(true);
  EXPECT_FALSE(sndPlaySoundW(u"tap.wav", SND_ASYNC));
  winplat::SetAnsiOnlyPlatform(false);
  EXPECT_NE(timeGetTime(), 0u);
  EXPECT_EQ(timeBeginPeriod(1), static_cast<MMRESULT>(TIMERR_NOERROR));
  EXPECT_EQ(timeEndPeriod(1), static_cast<MMRESULT>(TIMERR_NOERROR));
}

TEST(SdlAudio, PlaysWithoutAWindow) {
  // The dummy driver (ctest sets it too): the sink opens and plays, nothing is heard.
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  auto sink = winplat::screen::MakeSdlAudioSink();
  auto pcm = std::make_shared<winplat::screen::PcmSound>();
  pcm->rate = 22050;
  pcm->channels = 1;
  pcm->bits = 16;
  pcm->data.assign(2205 * 2, 0);
  EXPECT_TRUE(sink->Play(pcm));
  sink->Stop();
  EXPECT_FALSE(sink->IsPlaying());
}
