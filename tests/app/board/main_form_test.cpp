// The board's helper that brings the main form back on the screen.
#include <gtest/gtest.h>

#include "Forms.h"
#include "Unit_Slatora.h"
#include "winplat_screen.h"

namespace {

TEST(ShowMainForm, ShowsTheApplicationsMainFormAndDoesNothingWithoutOne) {
  winplat::screen::SetBackend(nullptr);
  TApplication* saved = Application;
  Application = new TApplication(nullptr);
  ShowMainForm();  // no main form yet: nothing happens
  TForm* main = nullptr;
  Application->CreateForm(main);
  ASSERT_EQ(Application->MainForm(), main);
  TForm* other = nullptr;
  Application->CreateForm(other);  // a second form is not the main one
  EXPECT_FALSE(main->Visible());
  ShowMainForm();
  EXPECT_TRUE(main->Visible());
  EXPECT_TRUE(IsWindowVisible(main->Handle()));
  EXPECT_FALSE(other->Visible());
  main->Hide();
  ShowMainForm();
  EXPECT_TRUE(IsWindowVisible(main->Handle()));
  delete Application;
  Application = saved;
}

}  // namespace
