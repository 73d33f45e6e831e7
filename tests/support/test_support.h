// Test helpers shared by the test areas.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "windows.h"

namespace test_support {

// Writes 0x00RRGGBB pixels (row 0 at the top) as an 8-bit RGB PNG. False on any failure.
bool WritePng(const std::string& path, int width, int height, const std::vector<uint32_t>& pixels);

// The current screen (the backend's framebuffer) as a PNG.
bool WriteScreenshotPng(const std::string& path);

// A visible 1024 x 768 pop-up without caption at the screen's top-left, of a class that draws
// nothing but its face: the window of a program calling what a test shows.
HWND CreateOwnerWindow(const char16_t* title);

// While it lives: at the first timer tick at which `owner` has a visible, enabled pop-up of its
// own, reads the text of that pop-up's control `readId` and clicks its control `clickId` through
// the headless screen. For work that pumps messages itself while it runs (a progress dialog):
// the tick is dispatched by that pump.
class PopupClicker {
 public:
  PopupClicker(HWND owner, int clickId, int readId);
  ~PopupClicker();
  PopupClicker(const PopupClicker&) = delete;
  PopupClicker& operator=(const PopupClicker&) = delete;
  bool Clicked() const { return clicked_; }
  const std::string& ReadText() const { return text_; }   // ANSI

 private:
  HWND owner_;
  WNDPROC old_ = nullptr, spy_ = nullptr;
  bool clicked_ = false;
  std::string text_;
};

}  // namespace test_support
