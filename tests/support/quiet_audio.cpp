// Compiled into every test program that uses the test support: sounds and beeps go to a
// recording sink, never to the machine's sound device.
#include <memory>

#include "winplat_screen.h"

namespace {

const bool kQuietAudio = [] {
  winplat::screen::SetAudioSink(std::make_shared<winplat::screen::RecordingAudioSink>());
  return true;
}();

}  // namespace
