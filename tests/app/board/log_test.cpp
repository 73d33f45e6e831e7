// The drawing log: record layout, saving and loading, replay, and live drawing against its replay.
#include <sstream>

#include "board_support.h"

namespace boardtest {
namespace {

std::string ReadFile(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), {});
}

// Bytes of a hex text; '#' starts a comment line.
std::string FromHex(const std::string& text) {
  std::string out, line;
  std::istringstream in(text);
  while (std::getline(in, line)) {
    if (!line.empty() && line[0] == '#') continue;
    std::string digits;
    for (char c : line)
      if (std::isxdigit(static_cast<unsigned char>(c))) digits += c;
    for (size_t i = 0; i + 1 < digits.size(); i += 2)
      out += static_cast<char>(std::stoi(digits.substr(i, 2), nullptr, 16));
  }
  return out;
}

std::vector<uint8_t> PageBytes(TBitmap* b) {
  std::vector<uint8_t> v;
  for (int y = 0; y < b->Height(); ++y) {
    const uint8_t* row = b->ScanLine(y);
    v.insert(v.end(), row, row + b->Width() * 3);
  }
  return v;
}

class Log : public ProgramFolderFixture {
 protected:
  std::unique_ptr<TBlackBoard> NewBoard() {
    auto b = std::make_unique<TBlackBoard>();
    b->LoadChalks("chalks\\option.ini", 48);
    b->SetScreenWidth(1024);
    b->SetScreenHeight(768);
    return b;
  }
  void SetUp() override {
    ProgramFolderFixture::SetUp();
    WriteTwoChalks();
  }
};

TEST_F(Log, RecordLayoutMatchesTheFixture) {
  const std::string want = FromHex(ReadFile(fs::path(TEST_DATA_DIR) / "app/board/one_side_record.hex"));
  ASSERT_EQ(want.size(), 40u);
  TLogList log;
  log.AddItem(lkSide, Point(16909060, -1), Point(100, 200), 5, -45, 10, -20, 30, -40);
  ASSERT_TRUE(log.SaveToFile(File("one.log").string()));
  EXPECT_EQ(ReadFile(File("one.log")), want);

  // Reading ignores the reserved bytes.
  std::string bytes = want;
  bytes[18] = '\x7f';
  bytes[19] = '\x01';
  WriteText(File("reserved.log"), bytes);
  TLogList back;
  ASSERT_TRUE(back.LoadFromFile(File("reserved.log").string()));
  ASSERT_EQ(back.Count(), 1);
  const TLogItem* i = back.Get(0);
  EXPECT_EQ(i->Kind, 2);
  EXPECT_EQ(i->X1, 16909060);
  EXPECT_EQ(i->Y1, -1);
  EXPECT_EQ(i->X2, 100);
  EXPECT_EQ(i->Y2, 200);
  EXPECT_EQ(i->ChalkIndex, 5);
  EXPECT_EQ(i->Angle, -45);
  EXPECT_EQ(i->Corner1X, 10);
  EXPECT_EQ(i->Corner1Y, -20);
  EXPECT_EQ(i->Corner2X, 30);
  EXPECT_EQ(i->Corner2Y, -40);
}

TEST_F(Log, FileSizesAndFailures) {
  struct Case { size_t bytes; int items; };
  const Case cases[] = {{0, 0}, {39, 0}, {40, 1}, {95, 2}, {120, 3}};
  for (const Case& c : cases) {
    std::string data(c.bytes, '\0');
    for (size_t i = 0; i < c.bytes; i += 40) data[i] = static_cast<char>(i / 40 + 1);
    WriteText(File("sized.log"), data);
    TLogList log;
    log.AddItem(lkChalk, Point(1, 1), Point(2, 2), 0, 0, 0, 0, 0, 0);
    ASSERT_TRUE(log.LoadFromFile(File("sized.log").string()));
    ASSERT_EQ(log.Count(), c.items) << c.bytes;
    for (int i = 0; i < log.Count(); ++i) EXPECT_EQ(log.Get(i)->Kind, i + 1);
  }
  // An empty log writes nothing.
  TLogList empty;
  EXPECT_FALSE(empty.SaveToFile(File("empty.log").string()));
  EXPECT_FALSE(fs::exists(File("empty.log")));
  // A missing file raises and leaves the list as it was.
  TLogList kept;
  kept.AddItem(lkTap, Point(3, 4), Point(0, 0), 1, 0, 0, 0, 0, 0);
  EXPECT_THROW(kept.LoadFromFile(File("nothing.log").string()), EFOpenError);
  EXPECT_EQ(kept.Count(), 1);
  // Saving truncates an older, longer file.
  WriteText(File("old.log"), std::string(400, 'x'));
  ASSERT_TRUE(kept.SaveToFile(File("old.log").string()));
  EXPECT_EQ(fs::file_size(File("old.log")), 40u);
}

TEST_F(Log, OneItemLogReplaysAndEnds) {
  auto b = NewBoard();
  b->Log->AddItem(lkTap, Point(200, 200), Point(0, 0), 1, 0, 0, 0, 0, 0);
  for (uint8_t loop : {uint8_t(0), uint8_t(1)}) {
    b->Log->Loop = loop;
    b->LogState = 2;
    b->ReplayIndex = 0;
    b->ReplayStep();
    EXPECT_EQ(b->LogState, 0);
    EXPECT_EQ(b->ReplayIndex, 0);
    EXPECT_EQ(b->Log->Loop, loop);
    EXPECT_EQ(b->Chalk->Index, 1);
    EXPECT_EQ(b->Chalk->Mode, 3);
    EXPECT_EQ(b->Log->LastPoint.x, 200);
    EXPECT_EQ(b->Log->LastPoint.y, 200);
  }
}

TEST_F(Log, ReplayStopsAtTheEndEvenOfAClearedLog) {
  auto b = NewBoard();
  for (int i = 0; i < 3; ++i) b->Log->AddItem(lkFinger, Point(10 * i, 10), Point(10 * i + 5, 10), 0, 0, 0, 0, 0, 0);
  b->LogState = 2;
  b->ReplayIndex = 0;
  b->ReplayStep();
  EXPECT_EQ(b->ReplayIndex, 1);
  EXPECT_EQ(b->LogState, 2);
  b->Log->Clear();
  b->ReplayStep();
  EXPECT_EQ(b->ReplayIndex, 0);
  EXPECT_EQ(b->LogState, 0);
  b->ReplayItem(5);
  EXPECT_EQ(b->LogState, 0);
}

TEST_F(Log, UnknownChalkIsSkippedButTheReplayGoesOn) {
  auto b = NewBoard();
  StandInCollection items;
  items.Add("NowTool");
  TBoardPicturesOf<StandInCollection> pictures(&items);
  b->ImageList = &pictures;
  b->Log->AddItem(lkChalk, Point(100, 100), Point(300, 300), 7, 0, 0, 0, 0, 0);
  b->Log->AddItem(lkRuler, Point(100, 100), Point(300, 300), 200, 0, 0, 0, 0, 0);
  b->Log->AddItem(lkTap, Point(100, 100), Point(0, 0), 1, 0, 0, 0, 0, 0);
  const std::vector<uint8_t> before = PageBytes(b->Board.get());
  ScriptedRandom rnd;
  b->LogState = 2;
  b->ReplayStep();
  b->ReplayStep();
  EXPECT_EQ(PageBytes(b->Board.get()), before);
  EXPECT_EQ(b->Dust->Count(), 0);
  EXPECT_EQ(b->Chalk->Index, 0);
  EXPECT_EQ(items.restores, 0);
  EXPECT_EQ(b->ReplayIndex, 2);
  rnd.Want(0, 5).Want(0, 6).Want(0, 1);  // tap shade, dust chance hit, three particles
  b->ReplayStep();
  EXPECT_EQ(b->LogState, 0);
  EXPECT_EQ(b->Chalk->Index, 1);
  EXPECT_EQ(b->Chalk->ShownIndex, 1);
  EXPECT_EQ(items.restores, 1);
  EXPECT_EQ(PixelAt(items.items[0]->picture.Bitmap(), 5, 5), 0x1EFCFF);
  EXPECT_EQ(b->Dust->Count(), 3);
  EXPECT_NE(PageBytes(b->Board.get()), before);
}

TEST_F(Log, EraserReplaysTheSmearItWasRecordedWith) {
  auto b = NewBoard();
  b->Options = obChalkKasure;  // no smear now
  b->Log->AddItem(lkEraser, Point(300, 300), Point(300, 300), obYogore, 0, 0, 0, 0, 0);
  b->Log->AddItem(lkLongEraser, Point(600, 0), Point(600, 0), 0, 0, 0, 0, 0, 0);
  b->Board->Canvas()->Brush()->SetColor(clRed);
  b->Board->Canvas()->FillRect(Rect(0, 0, 1024, 720));
  b->LogState = 2;
  b->ReplayStep();
  EXPECT_EQ(PixelAt(b->Board.get(), 300, 300), 0x045404);
  EXPECT_EQ(b->Tool, tlEraser);
  b->Options = obChalkKasure | obYogore;  // the long eraser was recorded without
  b->ReplayStep();
  EXPECT_EQ(PixelAt(b->Board.get(), 620, 300), 0x005000);
  EXPECT_EQ(b->Tool, tlLongEraser);
  EXPECT_EQ(b->Chalk->LastX, 600);
}

TEST_F(Log, ALogOfALargerScreenReplaysStraightOnASmallerOne) {
  // A line recorded on a 3840-wide screen runs on past this board's right edge; the part inside
  // the page lies where the recorded line does, not bent toward a nearer clamp.
  auto b = NewBoard();
  b->Options = 0;  // no scratchiness: every pixel of the line is drawn
  b->Log->AddItem(lkChalk, Point(100, 100), Point(3700, 460), 0, 0, 0, 0, 0, 0);
  b->LogState = 2;
  b->ReplayStep();
  const TColor back = b->BackColor;
  for (int x : {200, 500, 900}) {
    SCOPED_TRACE(x);
    const int onLine = 100 + (x - 100) * 360 / 3600;  // y = 110, 140, 180
    EXPECT_NE(PixelAt(b->Board.get(), x, onLine), back);
    EXPECT_EQ(PixelAt(b->Board.get(), x, onLine + 12), back);
    EXPECT_EQ(PixelAt(b->Board.get(), x, onLine - 12), back);
  }
}

TEST_F(Log, HostileLogReplaysToTheEnd) {
  auto b = NewBoard();
  ASSERT_TRUE(b->Log->LoadFromFile((fs::path(TEST_DATA_DIR) / "app/board/hostile.log").string()));
  ASSERT_EQ(b->Log->Count(), 240);
  b->LogState = 2;
  b->ReplayIndex = 0;
  int ticks = 0;
  while (b->LogState == 2 && ticks < 1000) {
    b->ReplayStep();
    b->Dust->Step();
    ++ticks;
  }
  EXPECT_EQ(ticks, 240);
  EXPECT_EQ(b->ReplayIndex, 0);
  EXPECT_EQ(b->Board->Width(), 1024);
  EXPECT_EQ(b->Board->Height(), 720);
}

TEST_F(Log, LiveDrawingAndItsReplayGiveTheSamePage) {
  auto live = NewBoard();
  live->LogState = 1;
  RandSeed = 20261210;
  LiveHand h{*live};
  // Chalk lines in both chalks, every direction.
  for (int chalk = 0; chalk < 2; ++chalk) {
    live->Chalk->Index = chalk;
    live->Chalk->Mode = 0;
    h.Press(100 + 300 * chalk, 100);
    const int pts[][2] = {{180, 120}, {180, 200}, {120, 260}, {60, 200}, {60, 120}, {100, 100}, {100, 100}};
    for (auto& p : pts) h.Move(p[0] + 300 * chalk, p[1]);
  }
  // Thin lines.
  live->Chalk->Mode = 1;
  h.Press(700, 80);
  for (int i = 1; i <= 8; ++i) h.Move(700 + 25 * i, 80 + (i % 2) * 40);
  // The side of the chalk at several angles, turned through the wrap mid-stroke.
  live->Chalk->Mode = 2;
  live->Chalk->Index = 1;
  for (int8_t angle : {int8_t(0), int8_t(30), int8_t(-45), int8_t(85)}) {
    live->Chalk->Angle = angle;
    h.Press(120, 400 + angle);
    for (int i = 1; i <= 6; ++i) {
      if (angle == 85 && i == 3) { h.WheelDown(); h.WheelDown(); }
      h.Move(120 + 40 * i, 400 + angle + 10 * i);
    }
  }
  // Taps.
  live->Chalk->Mode = 3;
  live->Chalk->Index = 0;
  for (int i = 0; i < 5; ++i) {
    h.Press(600 + 15 * i, 300);
    h.Tap();
  }
  live->Chalk->Mode = 0;
  // The ruler.
  live->Tool = tlRuler;
  h.Ruler(50, 650, 900, 520);
  // Erasers with and without smear, the long eraser and the finger.
  live->Tool = tlEraser;
  live->Options = obChalkKasure | obYogore;
  h.Press(150, 150);
  h.Move(250, 190);
  h.Move(300, 120);
  live->Options = obChalkKasure;
  h.Press(450, 220);
  h.Move(380, 160);
  h.Move(470, 260);
  live->Tool = tlLongEraser;
  h.Press(950, 40);
  h.Move(990, 60);
  live->Tool = tlFinger;
  h.Press(640, 300);
  h.Move(700, 330);
  h.Move(720, 420);
  live->Tool = tlChalk;
  live->LogState = 0;

  ASSERT_GT(live->Log->Count(), 50);
  ASSERT_EQ(PixelAt(live->Board.get(), 150, 150), 0x045404);  // the smeared wipe
  ASSERT_EQ(PixelAt(live->Board.get(), 450, 220), 0x005000);  // the clean one
  ASSERT_TRUE(live->Log->SaveToFile(File("live.log").string()));
  EXPECT_EQ(fs::file_size(File("live.log")), 40u * live->Log->Count());

  auto replay = NewBoard();
  // Smear off as at the end of the recording (the finger's record has no smear bit); the first
  // eraser stroke, recorded with the smear, must still smear.
  replay->Options = obChalkKasure;
  ASSERT_TRUE(replay->Log->LoadFromFile(File("live.log").string()));
  ASSERT_EQ(replay->Log->Count(), live->Log->Count());
  RandSeed = 20261210;
  replay->LogState = 2;
  replay->ReplayIndex = 0;
  int ticks = 0;
  while (replay->LogState == 2) {
    replay->ReplayStep();
    ++ticks;
  }
  EXPECT_EQ(ticks, live->Log->Count());
  EXPECT_TRUE(PageBytes(replay->Board.get()) == PageBytes(live->Board.get()));
  EXPECT_EQ(replay->Chalk->LastX, live->Chalk->LastX);
  EXPECT_EQ(replay->Chalk->LastY, live->Chalk->LastY);
  EXPECT_EQ(replay->Tool, tlFinger);

  // A different seed gives a different page: the comparison sees the chalk's randomness.
  auto other = NewBoard();
  other->Options = obChalkKasure;
  ASSERT_TRUE(other->Log->LoadFromFile(File("live.log").string()));
  RandSeed = 1;
  other->LogState = 2;
  while (other->LogState == 2) other->ReplayStep();
  EXPECT_FALSE(PageBytes(other->Board.get()) == PageBytes(live->Board.get()));
}

}  // namespace
}  // namespace boardtest
