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

// While it lives: the first time a pop-up of `owner`'s own is shown, reads the text of that
// pop-up's control `readId` and queues a click on its control `clickId` on the headless screen.
// For work that pumps messages itself while it runs (a progress dialog): its next pump delivers
// the click. Nothing waits for a clock, so the click comes at the same point in every build.
class PopupClicker {
 public:
  PopupClicker(HWND owner, int clickId, int readId);
  ~PopupClicker();
  PopupClicker(const PopupClicker&) = delete;
  PopupClicker& operator=(const PopupClicker&) = delete;
  bool Clicked() const { return clicked_; }
  const std::string& ReadText() const { return text_; }   // ANSI

 private:
  static LRESULT CALLBACK Watch(int code, WPARAM wp, LPARAM lp);
  HWND owner_;
  int clickId_, readId_;
  HHOOK hook_ = nullptr;
  bool clicked_ = false;
  std::string text_;
};

}  // namespace test_support
