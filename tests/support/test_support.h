// Test helpers shared by the test areas.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace test_support {

// Writes 0x00RRGGBB pixels (row 0 at the top) as an 8-bit RGB PNG. False on any failure.
bool WritePng(const std::string& path, int width, int height, const std::vector<uint32_t>& pixels);

// The current screen (the backend's framebuffer) as a PNG.
bool WriteScreenshotPng(const std::string& path);

}  // namespace test_support
