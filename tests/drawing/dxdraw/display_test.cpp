// Display modes: the sorted mode list from the screen, the exact mode, and the fall-back rules.
#include <gtest/gtest.h>

#include "support.h"

using namespace dxdrawtest;
using winplat::screen::ScreenMode;

namespace {

struct Windowed {
  HeadlessScreen screen{640, 480};
  TDXForm* form = CreateNewForm<TDXForm>(Application);
  TDXDraw* draw = new TDXDraw(form);
  Windowed() {
    draw->SetParent(form);
    draw->Initialize();  // windowed: the mode stays; DDraw is there for the display's calls
  }
  ~Windowed() { FreeAndNil(form); }
};

TEST(DXDrawDisplay, ModesAreListedSorted) {
  Windowed w;
  w.screen.backend->SetScreenModes({{1024, 768, 32}, {800, 600, 16}, {1024, 768, 8}, {800, 600, 32}, {640, 480, 32}});
  TDXDrawDisplay* d = w.draw->Display();
  d->ClearModes();
  ASSERT_EQ(d->Count(), 5);
  std::vector<std::vector<int>> got;
  for (int i = 0; i < d->Count(); ++i) got.push_back({d->Items(i)->Width(), d->Items(i)->Height(), d->Items(i)->BitCount()});
  EXPECT_EQ(got, (std::vector<std::vector<int>>{{640, 480, 32}, {800, 600, 16}, {800, 600, 32}, {1024, 768, 8}, {1024, 768, 32}}));
  EXPECT_EQ(d->IndexOf(800, 600, 32), 2);
  EXPECT_EQ(d->IndexOf(800, 600, 8), -1);
}

TEST(DXDrawDisplay, FallBackToANearMode) {
  struct Case {
    const char* what;
    std::vector<ScreenMode> modes;
    bool fixedBitCount;
    int w, h, bits;
    bool ok;
    int gotW, gotH, gotBits;
  };
  const std::vector<ScreenMode> ratios = {{800, 600, 32}, {1280, 1024, 32}, {1600, 1200, 32}, {1280, 960, 32}, {1280, 960, 16}};
  const Case cases[] = {
      {"exact", ratios, true, 800, 600, 32, true, 800, 600, 32},
      {"same ratio first", ratios, true, 1024, 768, 32, true, 1280, 960, 32},
      {"then any ratio", {{1366, 768, 32}, {1280, 1024, 32}}, true, 1024, 768, 32, true, 1280, 1024, 32},
      {"fixed bit count", {{1280, 960, 16}}, true, 1024, 768, 32, false, 640, 480, 32},
      {"8 bits take 8 or more", {{1024, 768, 16}, {1024, 768, 32}}, false, 1024, 768, 8, true, 1024, 768, 32},
      {"16 bits take 24 and 32", {{1024, 768, 8}, {1024, 768, 24}}, false, 1024, 768, 16, true, 1024, 768, 24},
      {"16 bits never 8", {{1024, 768, 8}}, false, 1024, 768, 16, false, 640, 480, 32},
      {"the asked depth when listed", {{1280, 960, 32}, {1280, 960, 16}, {1280, 960, 24}}, false, 1024, 768, 16, true,
       1280, 960, 16},
      {"nothing large enough", ratios, true, 2000, 1500, 32, false, 640, 480, 32},
      {"no width", ratios, true, 0, 600, 32, false, 640, 480, 32},
      {"bad depth", ratios, true, 800, 600, 15, false, 640, 480, 32},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Windowed w;
    w.screen.backend->SetScreenModes(c.modes);
    TDXDrawDisplay* d = w.draw->Display();
    d->ClearModes();
    d->SetWidth(640);
    d->SetHeight(480);
    d->SetBitCount(32);
    d->SetFixedBitCount(c.fixedBitCount);
    EXPECT_EQ(d->SetDisplayMode(c.w, c.h, c.bits), c.ok);
    EXPECT_EQ(d->Width(), c.gotW);
    EXPECT_EQ(d->Height(), c.gotH);
    EXPECT_EQ(d->BitCount(), c.gotBits);
    if (c.ok) {
      EXPECT_EQ(w.screen.backend->DisplaySize().cx, c.gotW);
    }
  }
}

TEST(DXDrawDisplay, Values) {
  TDXDraw draw(nullptr);
  TDXDrawDisplay* d = draw.Display();
  EXPECT_EQ(d->Width(), 640);
  EXPECT_EQ(d->Height(), 480);
  EXPECT_EQ(d->BitCount(), 8);
  EXPECT_TRUE(d->FixedBitCount());
  EXPECT_TRUE(d->FixedRatio());
  EXPECT_FALSE(d->FixedSize());
  d->SetWidth(-5);
  EXPECT_EQ(d->Width(), 0);
  EXPECT_FALSE(d->SetDisplayMode(d->Width(), 480, 8));
  for (int bad : {0, 4, 15, 33}) {
    try {
      d->SetBitCount(bad);
      ADD_FAILURE() << bad;
    } catch (const EDirectDrawError& e) {
      EXPECT_EQ(e.Message(), AnsiString("8, 16, 24, 32 のいずれかの値でなければなりません"));
    }
  }
  EXPECT_EQ(d->BitCount(), 8);
  TDXDraw other(nullptr);
  other.Display()->SetWidth(1920);
  other.Display()->SetFixedSize(true);
  d->Assign(other.Display());
  EXPECT_EQ(d->Width(), 1920);
  EXPECT_TRUE(d->FixedSize());
}

}  // namespace
