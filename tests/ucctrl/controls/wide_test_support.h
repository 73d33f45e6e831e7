// The headless screen of the framework's controls tests with the wide application object of the
// test's own application, and switches between the Unicode and the ANSI-only platform.
#pragma once
#include "Forms.h"
#include "UcForms.h"
#include "UcSysUtils.h"
#include "ui_fixture.h"
#include "winplat_mode.h"
#include "winplat_user.h"

class WideUiTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    UcApplication();
  }
  void TearDown() override {
    DoneUcApplication();
    UiTest::TearDown();
  }
  static void Pump() {
    Application->ProcessMessages();
    winplat::user::PumpMessages();
  }
  static void SwitchToAnsiPlatform() {
    DoneUcApplication();
    winplat::SetAnsiOnlyPlatform(true);
    InitPlatformFlags();
  }
  static void SwitchToUnicodePlatform() {
    DoneUcApplication();
    winplat::SetAnsiOnlyPlatform(false);
    winplat::ResetWideCallViolations();
    InitPlatformFlags();
  }
};
