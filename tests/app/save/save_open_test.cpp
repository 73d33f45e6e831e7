// Boards saved and opened through the program's actions, the archive component and the ZIP
// library: what peers read in the archive, the title rules, failed saves that keep the previous
// archive, and archives that are refused with the open board kept.
#include <signal.h>
#include <sys/resource.h>

#include "save_support.h"

namespace {

using namespace savetest;

constexpr TColor kClassical = 0x281E1E;  // RGB(30, 30, 40)

class SaveOpen : public ProgramTest {
 protected:
  // A small screen keeps the peers' work short.
  SaveOpen() {
    W = 640;
    H = 480;
  }
  // A stroke of the chalk in hand from (x1, y1) to (x2, y2).
  void Chalk(int x1, int y1, int x2, int y2) {
    TBlackBoard& b = Board();
    b.Chalk->LastX = x1;
    b.Chalk->LastY = y1;
    b.ChalkLine(x2, y2, false);
    b.LastPageDrawn = 1;
  }
  void GridOn(const char* Name) {
    TBlackBoard& b = Board();
    b.GridName = Name;
    b.LoadGrid();
    b.GridOn = 1;
  }
  // Pages 1 and 2 with a grid, page 3 without and in the classical colour, chalk on each.
  void ThreePages() {
    TBlackBoard& b = Board();
    GridOn("方眼");
    Chalk(100, 100, 500, 300);
    ASSERT_TRUE(b.NextPage());
    Chalk(200, 400, 500, 150);
    ASSERT_TRUE(b.NextPage());
    b.GridOn = 0;
    b.ReplaceColor(b.BackColor, kClassical);
    b.BackColor = b.DefaultBackColor = kClassical;
    Chalk(50, 380, 600, 380);
    ASSERT_EQ(b.PageCount, 3u);
  }
  // What the open board is: its numbers, its page on the board and its working folder.
  struct State {
    uint32_t page, count;
    uint8_t grid;
    TColor color;
    std::string pixels;
    std::map<std::string, std::string> files;
    bool operator==(const State&) const = default;
  };
  State Snapshot() {
    TBlackBoard& b = Board();
    TBitmap* p = b.Board.get();
    std::string px;
    for (int y = 0; y < p->Height(); ++y)
      px.append(reinterpret_cast<const char*>(p->ScanLine(y)), static_cast<size_t>(p->Width()) * 3);
    return State{b.CurrentPage, b.PageCount, b.GridOn, b.BackColor, px, FolderFiles(Tmp())};
  }
  std::vector<std::u16string> Messages() {
    std::vector<std::u16string> m;
    for (const auto& r : answers_->Shown()) m.push_back(r.text);
    return m;
  }
};

TEST_F(SaveOpen, ThreePagesSaveAsFiveBitmapsAndThreeRecordsThatPeersReadAlikeAndOpenAgain) {
  Start();
  TBlackBoard& b = Board();
  ThreePages();
  SaveAs(u"授業 1/2:3");
  EXPECT_EQ(Messages(), std::vector<std::u16string>{});
  // The title form offered the date and time, with hyphens for its slashes and colons.
  EXPECT_EQ(shownTitle.find_first_of(u"/:"), WideString::npos);
  EXPECT_NE(shownTitle.find(u"-"), WideString::npos);
  const fs::path archive = Boards(reinterpret_cast<const char*>(u8"授業 1-2-3.zip"));
  ASSERT_TRUE(fs::exists(archive));
  EXPECT_EQ(FolderFiles(Boards()).size(), 1u);

  // The working folder's page files, as the two peers read them from the archive.
  const fs::path byTar = folder_ / "tar", byPython = folder_ / "py";
  EXPECT_EQ(PythonList(archive, byPython), FolderList(Tmp()));
  EXPECT_EQ(BsdtarList(archive), "1.bmp\n1.dat\n1g.bmp\n2.bmp\n2.dat\n2g.bmp\n3.bmp\n3.dat\n");
  fs::create_directories(byTar);
  Shell("bsdtar -xf '" + archive.string() + "' -C '" + byTar.string() + "'");
  const auto saved = FolderFiles(Tmp());
  EXPECT_EQ(FolderFiles(byTar), saved);
  EXPECT_EQ(FolderFiles(byPython), saved);

  // The board goes on (a fourth page), then the saved board is opened from the list.
  ASSERT_TRUE(b.NextPage());
  Chalk(10, 10, 300, 300);
  b.SavePage();
  OpenByClick("授業 1-2-3.zip");
  EXPECT_EQ(Messages(), std::vector<std::u16string>{});
  EXPECT_FALSE(Form()->lstFiles->Visible());
  EXPECT_EQ(b.PageCount, 3u);
  EXPECT_EQ(b.CurrentPage, 1u);
  EXPECT_EQ(b.LastPageDrawn, 0);
  EXPECT_EQ(FolderFiles(Tmp()), saved);
  EXPECT_FALSE(fs::exists(folder_ / "tmp-open"));
  ASSERT_EQ(b.Previews->Count(), 3);
  struct Page {
    uint32_t n;
    uint8_t grid;
    TColor color;
  };
  for (const Page& p : {Page{1, 1, 0x005000}, Page{2, 1, 0x005000}, Page{3, 0, kClassical}}) {
    SCOPED_TRACE(p.n);
    b.LoadPage(p.n);
    b.CurrentPage = p.n;
    EXPECT_EQ(b.GridOn, p.grid);
    EXPECT_EQ(b.BackColor, p.color);
    // The page on the board is the saved picture: saving it again writes the same bytes.
    b.SavePage();
    EXPECT_EQ(ReadAll(Tmp(std::to_string(p.n) + ".bmp")), saved.at(std::to_string(p.n) + ".bmp"));
    // Its thumbnail shows the page's colour in a corner the chalk missed.
    TBitmap thumb;
    ASSERT_TRUE(b.Previews->GetBitmap(static_cast<int32_t>(p.n) - 1, &thumb));
    EXPECT_EQ(thumb.Canvas()->Pixels(159, 0), p.color);
  }
}

TEST_F(SaveOpen, TitlesBecomeFileNamesOnTheWideTextBeforeNarrowing) {
  struct Case {
    const char16_t* title;
    const char* stem;  // code page 932 bytes
  };
  const Case cases[] = {
      {u"a/b:c", "a-b-c"},
      {u"\\:*?\"/<>|", "---------"},
      {u"表とソ", "\x95\x5C\x82\xC6\x83\x5C"},  // trail bytes 0x5C kept
      {u"tab\there\x01\x1F\x7F", "tab-here---"},
      {u"caf\u00E9", "caf-"},          // no best fit to "e"
      {u"\u00A5100", "-100"},          // the yen sign never becomes a backslash
      {u"\u00A6|\uFF5C", "--\x81\x62"},  // the broken bar, the bar, the full-width bar
      {u"한글", "--"},
      {u"\U00020BB7野家", "-\x96\xEC\x89\xC6"},  // a surrogate pair is one character
      {u"授業 第1回", "\x8E\xF6\x8B\xC6 \x91\xE6\x31\x89\xF1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.stem));
    EXPECT_EQ(BoardFileTitle(c.title), AnsiString(c.stem));
  }
  for (const char16_t* blank : {u"", u"   ", u"\u3000", u"\t \r\n"}) EXPECT_FALSE(IsBoardTitle(blank));
  for (const char16_t* title : {u"a", u" -", u"\u3000x"}) EXPECT_TRUE(IsBoardTitle(title));
}

TEST_F(SaveOpen, ABlankTitleKeepsTheFormUpAndCancelSavesNothing) {
  Start();
  int shows = 0;
  onTitleForm = [&] { ++shows; };
  // Return with a blank title is refused; Escape then cancels.
  AnswerTitleForm(u" \u3000 ", {"enter", "escape"});
  Form()->actSaveExecute(Form());
  AnswerTitleForm(u"", {"ok", "cancel"});
  Form()->actSaveExecute(Form());
  AnswerTitleForm(u"not saved", {"cancel"});
  Form()->actSaveExecute(Form());
  EXPECT_EQ(shows, 3);
  EXPECT_TRUE(FolderFiles(Boards()).empty());
  EXPECT_FALSE(frmFileNameInput->Visible());
  // The program ticks again afterwards.
  EXPECT_TRUE(Form()->DXTimer->Enabled());
  EXPECT_TRUE(Form()->DXDraw->Enabled());
  // A click on OK with a title saves.
  AnswerTitleForm(u"ok", {"ok"});
  Form()->actSaveExecute(Form());
  EXPECT_TRUE(fs::exists(Boards("ok.zip")));
}

TEST_F(SaveOpen, TheTitleFormShowsOverTheBoardStandingStill) {
  Start();
  Chalk(100, 100, 500, 300);
  Tick();
  bool shot = false;
  bool ticking = true;
  onTitleForm = [&] {
    ticking = Form()->DXTimer->Enabled();
    // Once the form is drawn and waits for the teacher: its picture, then Return.
    Application->OnIdle = [&](TObject*, bool&) {
      if (shot) return;
      shot = true;
      Shot("save_title_form");
      screen->PressKey(VK_RETURN);
    };
  };
  AnswerTitleForm(u"授業の板書 2年1組", {});
  Form()->actSaveExecute(Form());
  EXPECT_TRUE(shot);
  EXPECT_FALSE(ticking);  // the board stood still while the form was up
  EXPECT_TRUE(Form()->DXTimer->Enabled());
  EXPECT_EQ(frmFileNameInput->Caption(), u"黒板の保存");
  EXPECT_EQ(frmFileNameInput->lblMes->Caption(), u"ファイルタイトルを入力してください。(拡張子を除く)");
  EXPECT_EQ(frmFileNameInput->btnOK->Caption(), u"OK(&O)");
  EXPECT_EQ(frmFileNameInput->btnCancel->Caption(), u"キャンセル(&C)");
  EXPECT_TRUE(fs::exists(Boards(reinterpret_cast<const char*>(u8"授業の板書 2年1組.zip"))));
}

TEST_F(SaveOpen, SavingAgainAtOnceHoldsTheLatestDrawing) {
  Start();
  Chalk(100, 100, 400, 400);
  SaveAs(u"twice");
  // Within the same two seconds of the archive's times: the new archive has every change.
  Chalk(50, 300, 600, 50);
  SaveAs(u"twice");
  EXPECT_EQ(PythonList(Boards("twice.zip")), FolderList(Tmp()));
  EXPECT_EQ(answers_->Shown().size(), 0u);
}

// ---------------------------------------------------------------- failed saves

class FailedSave : public SaveOpen {
 protected:
  // A board of two pages of noise (each page file passes a 1.2 MB limit, their archive does
  // not), saved once as "keep", then drawn on.
  void Prepare() {
    Start();
    StampNoise(1, W, 400);
    ASSERT_TRUE(Board().NextPage());
    StampNoise(2, W, 400);
    SaveAs(u"keep");
    ASSERT_TRUE(fs::exists(Boards("keep.zip")));
    before = ReadAll(Boards("keep.zip"));
    ASSERT_GT(before.size(), 1200000u);
    Chalk(100, 420, 600, 420);
    board = Snapshot();
  }
  void ExpectKept(size_t Messages) {
    EXPECT_EQ(ReadAll(Boards("keep.zip")), before);
    EXPECT_EQ(FolderFiles(Boards()).size(), 1u);  // nothing left beside it
    const State now = Snapshot();
    EXPECT_EQ(now.page, board.page);
    EXPECT_EQ(now.count, board.count);
    EXPECT_TRUE(now.pixels == board.pixels);
    EXPECT_EQ(answers_->Shown().size(), Messages);
    EXPECT_TRUE(Form()->DXTimer->Enabled());
  }
  std::string before;
  State board;
};

TEST_F(FailedSave, AFullDiskKeepsThePreviousArchiveAndTheBoard) {
  Prepare();
  struct Case {
    const char* what;
    rlim_t limit;
  };
  // 1.2 MB: the page is written, the archive is cut (Zipvault's message); 0.5 MB: the page itself
  // cannot be written (the program's message).
  for (const Case& c : {Case{"archive", 1200000}, Case{"page", 500000}}) {
    SCOPED_TRACE(c.what);
    const size_t shown = answers_->Shown().size();
    struct rlimit old;
    getrlimit(RLIMIT_FSIZE, &old);
    struct rlimit small = old;
    small.rlim_cur = c.limit;
    signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    SaveAs(u"keep");
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, SIG_DFL);
    ExpectKept(shown + 1);
  }
}

TEST_F(FailedSave, AReadOnlyArchiveStaysAsItWas) {
  Prepare();
  chmod(Boards("keep.zip").c_str(), 0444);
  SaveAs(u"keep");
  ExpectKept(1);
  struct stat st;
  ASSERT_EQ(stat(Boards("keep.zip").c_str(), &st), 0);
  EXPECT_FALSE(st.st_mode & S_IWUSR);
}

// ---------------------------------------------------------------- refused archives

TEST_F(SaveOpen, CorruptEmptyAndHostileArchivesLeaveTheOpenBoardAsItWas) {
  Start();
  ThreePages();
  TBlackBoard& b = Board();
  b.SavePage();
  // A small picture serves as every page: nothing is decoded before the members pass.
  TBitmap small;
  small.SetPixelFormat(pf24bit);
  small.SetSize(8, 8);
  small.SaveToFile((folder_ / "small.bmp").string());
  const std::string page = ReadAll(folder_ / "small.bmp");
  const std::string record = ReadAll(Tmp("1.dat"));
  struct Case {
    const char* name;
    Members members;  // empty: raw is the file
    std::string raw;
  };
  const std::vector<Case> cases = {
      {"corrupt.zip", {}, std::string(5000, 'x')},
      {"truncated.zip", {}, "PK\x03\x04\x14\x00\x00\x00\x08\x00"},
      {"empty.zip", {}, std::string("PK\x05\x06", 4) + std::string(18, '\0')},
      {"dotdot.zip", {{"1.bmp", page}, {"1.dat", record}, {"../2.bmp", page}}, ""},
      {"folder.zip", {{"1.bmp", page}, {"sub/", ""}, {"sub/2.bmp", page}}, ""},
      {"path.zip", {{"pages/1.bmp", page}, {"pages/1.dat", record}}, ""},
      {"stray.zip", {{"1.bmp", page}, {"1.dat", record}, {"photo.bmp", page}}, ""},
      {"thousand.zip", {{"1.bmp", page}, {"1000.bmp", page}}, ""},
      {"huge.zip", {{"1.bmp", page}, {"99999999.bmp", page}}, ""},
      {"zero.zip", {{"0.bmp", page}}, ""},
      {"leading.zip", {{"1.bmp", page}, {"01.bmp", page}}, ""},
      {"twice.zip", {{"1.bmp", page}, {"1.bmp", page}}, ""},
      {"recordsonly.zip", {{"1.dat", record}, {"2.dat", record}}, ""},
      {"notapicture.zip", {{"1.bmp", page}, {"1.dat", record}, {"2.bmp", std::string(3000, 'z')}}, ""},
  };
  std::vector<std::pair<fs::path, Members>> zips;
  for (const Case& c : cases) {
    if (c.members.empty()) std::ofstream(Boards(c.name), std::ios::binary) << c.raw;
    else zips.push_back({Boards(c.name), c.members});
  }
  MakeZips(zips);
  // The board on page 2, with its state as it is.
  ASSERT_TRUE(b.PrevPage());
  const State before = Snapshot();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const size_t shown = answers_->Shown().size();
    OpenByClick(c.name);
    EXPECT_TRUE(Snapshot() == before);
    EXPECT_EQ(answers_->Shown().size(), shown + 1);  // one message says why
    EXPECT_FALSE(fs::exists(folder_ / "tmp-open"));
    EXPECT_TRUE(Form()->DXTimer->Enabled());
  }
}

TEST_F(SaveOpen, AMemberThatFailsItsCheckIsZipvaultsMessageAndTheBoardStays) {
  Start();
  TBlackBoard& b = Board();
  Chalk(100, 100, 400, 400);
  b.SavePage();
  MakeZip(Boards("bad.zip"), {{"1.bmp", ReadAll(Tmp("1.bmp"))}, {"1.dat", ReadAll(Tmp("1.dat"))}});
  // One byte of the compressed data changed: the member's CRC no longer matches.
  std::string zip = ReadAll(Boards("bad.zip"));
  zip[60] = static_cast<char>(zip[60] ^ 0x55);
  std::ofstream(Boards("bad.zip"), std::ios::binary) << zip;
  ASSERT_TRUE(b.NextPage());
  const State before = Snapshot();
  OpenByClick("bad.zip");
  EXPECT_TRUE(Snapshot() == before);
  EXPECT_EQ(answers_->Shown().size(), 1u);
  EXPECT_FALSE(fs::exists(folder_ / "tmp-open"));
}

TEST_F(SaveOpen, MissingPagesLoadBlankAndThePageCountIsTheHighestPage) {
  Start();
  TBlackBoard& b = Board();
  Chalk(100, 100, 400, 400);
  b.SavePage();
  const std::string page = ReadAll(Tmp("1.bmp"));
  std::string classical("\0\0\0\0\x1E\x1E\x28\0", 8);
  // Pages 1 and 3 in any case of letters, page 2 only a record.
  MakeZip(Boards("gaps.zip"), {{"1.BMP", page}, {"1.dat", ReadAll(Tmp("1.dat"))}, {"2.Dat", classical},
                               {"3.bmp", page}});
  b.LastPageDrawn = 1;
  OpenByClick("gaps.zip");
  EXPECT_EQ(Messages(), std::vector<std::u16string>{});
  EXPECT_EQ(b.PageCount, 3u);
  EXPECT_EQ(b.LastPageDrawn, 0);
  // The page files carry the names the page store writes.
  std::set<std::string> names;
  for (const auto& [n, d] : FolderFiles(Tmp())) names.insert(n);
  EXPECT_EQ(names, (std::set<std::string>{"1.bmp", "1.dat", "2.dat", "3.bmp"}));
  ASSERT_EQ(b.Previews->Count(), 3);
  TBitmap thumb;
  ASSERT_TRUE(b.Previews->GetBitmap(1, &thumb));
  EXPECT_EQ(thumb.Canvas()->Pixels(80, 60), kClassical);
  b.LoadPage(2);  // blank in its record's colour
  EXPECT_EQ(b.BackColor, kClassical);
  EXPECT_EQ(boardtest::PixelAt(b.Board.get(), 10, 10), kClassical);
}

TEST_F(SaveOpen, AClickWhileTheListShowsOtherFilesOpensNothing) {
  Start();
  TBlackBoard& b = Board();
  Chalk(100, 100, 400, 400);
  b.SavePage();
  SaveAs(u"one");
  ASSERT_TRUE(b.NextPage());
  const State before = Snapshot();
  // The same list box listing the grid pictures.
  TFileListBox* list = Form()->lstFiles;
  list->SetDirectory((folder_ / "overlay").string());
  list->SetMask("*.bmp");
  list->ReadFileNames();
  list->Show();
  ASSERT_GT(list->Items()->Count(), 0);
  list->SetItemIndex(0);
  Form()->lstFilesClick(list);
  // A click that selects no line opens nothing either.
  Form()->actOpenExecute(Form());
  list->SetItemIndex(-1);
  Form()->lstFilesClick(list);
  EXPECT_TRUE(Snapshot() == before);
  EXPECT_EQ(answers_->Shown().size(), 0u);
}

}  // namespace

TEST_F(SaveOpen, TheBoardTakesThePointerAgainOnceABoardIsOpenedFromTheList) {
  Start();
  SaveAs(u"lesson");
  OpenByClick("lesson.zip");
  ASSERT_EQ(Messages(), std::vector<std::u16string>{});
  // The first move over the board hides the toolbar, and a drag draws chalk.
  screen->MouseMove(500, 300);
  winplat::user::PumpMessages();
  EXPECT_FALSE(Form()->tbMain->Visible());
  screen->MouseDown(300, 300);
  for (int x = 310; x <= 600; x += 10) screen->MouseMove(x, 300);
  screen->MouseUp(600, 300);
  winplat::user::PumpMessages();
  Tick();
  EXPECT_GT(CountOtherThan(0x005000, TRect(320, 296, 580, 305)), 100);
}
