// The main form's tests: a program folder with the built assets, the headless screen, recorded
// sounds and a fresh application object; the main form started as the program starts it.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "../board/board_support.h"
#include "DXClass.h"
#include "Unit_Main.h"
#include "Unit_PageSelect.h"
#include "test_support.h"
#include "winplat_screen.h"
#include "winplat_user.h"

namespace maintest {

namespace fs = std::filesystem;
using boardtest::ProgramFolderFixture;

constexpr uint32_t kBoardGreen = 0x005000;  // RGB(0, 80, 0) on the screen

class Program : public ProgramFolderFixture {
 protected:
  void SetUp() override {
    ProgramFolderFixture::SetUp();
    const fs::path bin = VSE_BIN_DIR;
    ASSERT_TRUE(fs::exists(bin / "font.bmp")) << "the program folder's assets are not built";
    for (const char* dir : {"chalks", "overlay"}) fs::copy(bin / dir, File(dir), fs::copy_options::recursive);
    for (const auto& e : fs::directory_iterator(bin)) {
      const std::string ext = e.path().extension().string();
      if (ext == ".bmp" || ext == ".wav" || ext == ".ini") fs::copy_file(e.path(), File(e.path().filename().string()));
    }
    screen = std::make_shared<winplat::screen::HeadlessBackend>();
    screen->SetDisplaySize(W, H);
    winplat::screen::SetBackend(screen);
    sounds = std::make_shared<winplat::screen::RecordingAudioSink>();
    winplat::screen::SetAudioSink(sounds);
    saved = Application;
    Application = new TApplication(nullptr);
  }
  void TearDown() override {
    delete Application;
    Application = saved;
    TCustomDXTimer::SetClock(nullptr);
    winplat::screen::SetAudioSink(nullptr);
    winplat::screen::SetBackend(nullptr);
    winplat::screen::ResetKeyState();
    CameraCountdown = 0;
    TapTicks = 0;
    ProgramFolderFixture::TearDown();
  }
  // The main form as the program makes it, shown and drawn once.
  TfrmMain* Start() {
    TfrmMain* form = nullptr;
    Application->CreateForm(form);
    EXPECT_TRUE(form->Started());
    RandSeed = 20261211;  // the start seeds from the clock; the same scratches and dust every run
    TfrmPageSelect* strip = nullptr;
    Application->CreateForm(strip);
    form->Show();
    winplat::user::PumpMessages();
    Tick();
    return form;
  }
  TfrmMain* Form() const { return static_cast<TfrmMain*>(Application->MainForm()); }
  TBlackBoard& Board() const { return *Form()->Board(); }
  void Tick(int n = 1) {
    for (int i = 0; i < n; ++i) Form()->DXTimerTimer(Form()->DXTimer, 0);
  }
  uint32_t At(int x, int y) {
    int w = 0, h = 0;
    const std::vector<uint32_t> px = screen->Screenshot(&w, &h);
    return px[static_cast<size_t>(y) * w + x];
  }
  // How many pixels of the rectangle differ from Colour, from one screenshot.
  int CountOtherThan(uint32_t Colour, const TRect& R) {
    int w = 0, h = 0;
    const std::vector<uint32_t> px = screen->Screenshot(&w, &h);
    int n = 0;
    for (int y = R.top; y < R.bottom; ++y)
      for (int x = R.left; x < R.right; ++x) n += px[static_cast<size_t>(y) * w + x] != Colour;
    return n;
  }
  fs::path Tmp(const std::string& name) const { return folder_ / "tmp" / name; }
  void Shot(const std::string& name) { ASSERT_TRUE(test_support::WriteScreenshotPng("main_" + name + ".png")); }

  int W = 1024, H = 768;
  std::shared_ptr<winplat::screen::HeadlessBackend> screen;
  std::shared_ptr<winplat::screen::RecordingAudioSink> sounds;
  TApplication* saved = nullptr;
};

}  // namespace maintest
