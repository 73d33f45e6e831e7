// Helpers of the board tests: a program folder of their own, small pictures and INI files, a
// scripted random generator and a stand-in for the main form's picture collection.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "Graphics.h"
#include "Math.h"
#include "Unit_Slatora.h"
#include "winplat_screen.h"

namespace boardtest {

inline std::string R(const TRect& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
         std::to_string(r.bottom);
}

namespace fs = std::filesystem;

// The page pixel at (x, y) as a TColor.
inline TColor PixelAt(TBitmap* b, int x, int y) {
  const uint8_t* p = b->ScanLine(y) + x * 3;
  return static_cast<TColor>(p[2] | (p[1] << 8) | (p[0] << 16));
}

inline void WriteText(const fs::path& p, const std::string& text) {
  fs::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << text;
}

// A w x h stick of colour c on black, saved as a 24-bit BMP.
inline void WriteChalkPicture(const fs::path& p, int w, int h, TColor c) {
  fs::create_directories(p.parent_path());
  TBitmap b;
  b.SetPixelFormat(pf24bit);
  b.SetSize(w, h);
  for (int y = 1; y + 1 < h; ++y)
    for (int x = 1; x + 1 < w; ++x) {
      uint8_t* px = b.ScanLine(y) + x * 3;
      px[0] = static_cast<uint8_t>(c >> 16);
      px[1] = static_cast<uint8_t>(c >> 8);
      px[2] = static_cast<uint8_t>(c);
    }
  b.SaveToFile(p.string());
}

// Random(n) answers k when the generator gives the middle of k's share of the 32-bit range.
class ScriptedRandom {
 public:
  ScriptedRandom() {
    SetRandomGenerator([this]() -> uint32_t {
      if (values_.empty()) return 0x80000000u;
      uint32_t v = values_.front();
      values_.pop_front();
      return v;
    });
  }
  ~ScriptedRandom() { SetRandomGenerator({}); }
  ScriptedRandom& Want(uint32_t k, uint32_t n) {
    values_.push_back(static_cast<uint32_t>(((uint64_t{k} << 32) + (uint64_t{1} << 31)) / n));
    return *this;
  }
  size_t Left() const { return values_.size(); }

 private:
  std::deque<uint32_t> values_;
};

// A fresh program folder under the test's scratch folder, used by the board code as its own.
class ProgramFolderFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = fs::current_path() / "prog" / (std::string(info->test_suite_name()) + "." + info->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    SetProgramFolder(folder_.string() + "/");
    answers_ = winplat::screen::InstallScriptedAnswerer();
    RandSeed = 12345;
  }
  void TearDown() override {
    SetProgramFolder("");
    winplat::screen::SetMessageBoxAnswerer({});
    if (auto h = winplat::screen::Headless()) h->SetDisplaySize(1024, 768);
  }
  fs::path File(const std::string& name) const { return folder_ / name; }
  // Two 40 x 12 chalks, white and yellow, with the default layout.
  void WriteTwoChalks() {
    WriteText(File("chalks/option.ini"),
              "[General]\r\nLeftStart=32\r\nBetweenChalkSpace=10\r\n"
              "[White]\r\nr=250\r\ng=250\r\nb=250\r\nrr=10\r\nrg=10\r\nrb=10\r\nrange=20\r\nbmp=w.bmp\r\n"
              "[Yellow]\r\nr=255\r\ng=252\r\nb=30\r\nrr=40\r\nrg=200\r\nrb=0\r\nrange=0\r\nbmp=y.bmp\r\n");
    WriteChalkPicture(File("chalks/w.bmp"), 40, 12, 0xFAFAFA);
    WriteChalkPicture(File("chalks/y.bmp"), 40, 12, 0x1EFCFF);
  }
  size_t MessagesShown() const { return answers_->Shown().size(); }

  fs::path folder_;
  std::shared_ptr<winplat::screen::ScriptedAnswerer> answers_;
};

// Stand-in of the drawing layer's picture collection: named items holding pictures; Find
// raises for an unknown name as the real collection does.
class StandInItem {
 public:
  explicit StandInItem(const AnsiString& Name) : name(Name) {}
  TPicture* Picture() { return &picture; }
  void SetTransparentColor(TColor Value) { transparentColor = Value; }
  void SetTransparent(bool Value) { transparent = Value; }
  void Restore() { ++restores; }
  // The frame is drawn only onto a real drawing control's surfaces.
  int32_t Width() { return picture.Width(); }
  int32_t Height() { return picture.Height(); }
  void Draw(TDirectDrawSurface*, int32_t, int32_t, int32_t) {}
  void DrawAlpha(TDirectDrawSurface*, const TRect&, int32_t, int32_t) {}
  void DrawRotate(TDirectDrawSurface*, int32_t, int32_t, int32_t, int32_t, int32_t, double, double, int32_t) {}
  void DrawRotateAlpha(TDirectDrawSurface*, int32_t, int32_t, int32_t, int32_t, int32_t, double, double, int32_t,
                       int32_t) {}
  AnsiString name;
  TPicture picture;
  TColor transparentColor = clBlack;
  bool transparent = true;
  int restores = 0;
};

class StandInCollection {
 public:
  StandInItem* Add(const AnsiString& Name) {
    items.push_back(std::make_unique<StandInItem>(Name));
    return items.back().get();
  }
  StandInItem* Find(const AnsiString& Name) {
    for (auto it = items.rbegin(); it != items.rend(); ++it)
      if (AnsiCompareText((*it)->name, Name) == 0) return it->get();
    throw Exception("画像 '%s' が見つかりません", {Name});
  }
  void Restore() { ++restores; }
  std::vector<std::unique_ptr<StandInItem>> items;
  int restores = 0;
};

// Live drawing, as the input handlers drive the board: each action draws, then appends its log
// record, then rolls for dust.
struct LiveHand {
  TBlackBoard& b;
  bool Recording() const { return b.LogState == 1; }
  TPoint Last() const { return Point(b.Chalk->LastX, b.Chalk->LastY); }
  void Press(int x, int y) {
    b.Chalk->LastX = x;
    b.Chalk->LastY = y;
    if (b.Chalk->Mode == 2) {
      const int dx = ArmCos(26, b.Chalk->Angle), dy = ArmSin(26, b.Chalk->Angle);
      b.Chalk->Corner1 = Point(x - dx, y - dy);
      b.Chalk->Corner2 = Point(x + dx, y + dy);
    }
  }
  void Dust(int chance, int x, int y, int max) {
    if (Random(chance) == 0) b.Dust->Spawn(x, y, b.ChalkColor(), 2, max);
  }
  void Move(int x, int y) {
    const TPoint from = Last();
    const uint8_t chalk = static_cast<uint8_t>(b.Chalk->Index);
    switch (b.Tool) {
      case tlEraser:
        b.EraseStroke(x, y, from.y, from.x);
        b.Log->AddItem(lkEraser, from, Point(x, y), b.Options & obYogore, 0, 0, 0, 0, 0);
        break;
      case tlLongEraser:
        b.LongEraseStroke(x, y, from.y, from.x);
        b.Log->AddItem(lkLongEraser, from, Point(x, y), 0, 0, 0, 0, 0, 0);
        break;
      case tlFinger:
        b.FingerStroke(from.x, from.y, y, x);
        b.Log->AddItem(lkFinger, from, Point(x, y), 0, 0, 0, 0, 0, 0);
        break;
      default:
        if (b.Chalk->Mode == 2) {
          const TPoint c1 = b.Chalk->Corner1, c2 = b.Chalk->Corner2;
          b.SideChalkStroke(x, y);
          b.Log->AddItem(lkSide, from, Point(x, y), chalk, b.Chalk->Angle, c1.x, c1.y, c2.x, c2.y);
        } else if (b.Chalk->Mode == 1) {
          b.ThinLine(x, y);
          b.Log->AddItem(lkThin, from, Point(x, y), chalk, 0, 0, 0, 0, 0);
        } else {
          b.ChalkLine(x, y, (b.Options & obChalkKasure) != 0);
          b.Log->AddItem(lkChalk, from, Point(x, y), chalk, 0, 0, 0, 0, 0);
        }
        Dust(50, x, y, 5);
    }
    b.Chalk->LastX = x;
    b.Chalk->LastY = y;
  }
  void Tap() {
    b.ChalkTap(b.Chalk->LastX, b.Chalk->LastY);
    Dust(6, b.Chalk->LastX, b.Chalk->LastY, 3);
    b.Log->AddItem(lkTap, Last(), Point(0, 0), static_cast<uint8_t>(b.Chalk->Index), 0, 0, 0, 0, 0);
  }
  void Ruler(int x0, int y0, int x1, int y1) {
    Press(x0, y0);
    b.ChalkLine(x1, y1, (b.Options & obChalkKasure) != 0);
    Dust(4, x1, y1, 4);
    b.Log->AddItem(lkRuler, Point(x0, y0), Point(x1, y1), static_cast<uint8_t>(b.Chalk->Index), 0, 0, 0, 0, 0);
  }
  // The wheel turning the side of the chalk, the corners swapped at the wrap.
  void WheelDown() {
    if (b.Chalk->Angle >= 90) {
      b.Chalk->Angle = -90;
      std::swap(b.Chalk->Corner1, b.Chalk->Corner2);
    }
    b.Chalk->Angle = static_cast<int8_t>(b.Chalk->Angle + 5);
  }
};

}  // namespace boardtest
