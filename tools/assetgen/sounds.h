#pragma once

#include <vector>

namespace ag {

std::vector<float> make_chalk_tap(int rate);  // start0.wav: about 0.18 s
std::vector<float> make_shutter(int rate);    // camera.wav: about 0.42 s

}  // namespace ag
