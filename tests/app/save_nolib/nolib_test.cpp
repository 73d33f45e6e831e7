// Saving and opening boards when the ZIP library cannot be loaded: the archive component's
// exception is one message, and the board and the saved boards stay as they are.
#include "save_support.h"

namespace {

using namespace savetest;

class NoLibrary : public ProgramTest {
 protected:
  void SetUp() override {
    libraryFolder = (fs::current_path() / "nolib").string();  // a folder without the library
    fs::create_directories(libraryFolder);
    ProgramTest::SetUp();
  }
};

TEST_F(NoLibrary, SavingAndOpeningAreOneMessageOfTheComponentEach) {
  Start();
  TBlackBoard& b = Board();
  b.Chalk->LastX = 100;
  b.Chalk->LastY = 100;
  b.ChalkLine(400, 300, false);
  SaveAs(u"lesson");
  ASSERT_EQ(answers_->Shown().size(), 1u);
  EXPECT_NE(answers_->Shown()[0].text.find(u"ZIPVAULT.DLL"), std::u16string::npos);
  EXPECT_TRUE(FolderFiles(Boards()).empty());
  EXPECT_TRUE(Form()->DXTimer->Enabled());
  EXPECT_TRUE(Form()->DXDraw->Enabled());

  // An archive put there by hand cannot be opened either; the board stays.
  std::ofstream(Boards("other.zip"), std::ios::binary) << "PK";
  const auto before = FolderFiles(Tmp());
  OpenByClick("other.zip");
  ASSERT_EQ(answers_->Shown().size(), 2u);
  EXPECT_NE(answers_->Shown()[1].text.find(u"DLL"), std::u16string::npos);
  EXPECT_EQ(FolderFiles(Tmp()), before);
  EXPECT_EQ(b.PageCount, 1u);
}

}  // namespace
