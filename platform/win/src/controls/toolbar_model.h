// A toolbar's buttons apart from any window: the records, the string pool, the layout in rows,
// hit testing, and the check and check-group rules of a click.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "wintypes.h"

namespace winplat::controls {

class ToolbarModel {
 public:
  // Button states and styles, as the toolbar's records keep them.
  static constexpr BYTE kChecked = 0x01, kPressed = 0x02, kEnabled = 0x04, kHidden = 0x08, kWrap = 0x20;
  static constexpr BYTE kSep = 0x01, kCheck = 0x02, kGroup = 0x04, kAutoSize = 0x10, kShowText = 0x40;

  struct Button {
    int image = 0;
    int command = 0;
    BYTE state = kEnabled;
    BYTE style = 0;
    DWORD_PTR data = 0;
    INT_PTR string = -1;     // an index into the pool, or -1
    std::u16string text;     // a text given with the button itself
    RECT rect{};             // from Layout()
  };

  // Measures a text in the toolbar's font: its width and height.
  using Measure = std::function<SIZE(std::u16string_view)>;

  int Count() const { return static_cast<int>(buttons_.size()); }
  Button* At(int i) { return i >= 0 && i < Count() ? &buttons_[static_cast<size_t>(i)] : nullptr; }
  const Button* At(int i) const { return i >= 0 && i < Count() ? &buttons_[static_cast<size_t>(i)] : nullptr; }
  // TB_INSERTBUTTON (index -1 or past the end: append). Answers false for a bad index.
  bool Insert(int index, Button b);
  bool Delete(int index);
  int CommandToIndex(int command) const;

  // TB_ADDSTRING: the strings are appended to the pool; answers the index of the first.
  int AddStrings(const std::vector<std::u16string>& strings);
  int StringCount() const { return static_cast<int>(pool_.size()); }
  const std::u16string* PoolString(int i) const;
  // What a button shows: its own text, else the pool's string at its index.
  std::u16string TextOf(const Button& b) const;

  void SetBitmapSize(int cx, int cy) { bmpW_ = cx; bmpH_ = cy; }
  int BitmapWidth() const { return bmpW_; }
  int BitmapHeight() const { return bmpH_; }
  // TB_SETBUTTONSIZE: the smallest size a button takes.
  void SetButtonSize(int cx, int cy) { btnW_ = cx; btnH_ = cy; }
  // Text beside the image (TBSTYLE_LIST) instead of below it.
  void SetListStyle(bool on) { list_ = on; }
  void SetWrapable(bool on) { wrapable_ = on; }
  void SetIndent(int px) { indent_ = px; }

  // The button size every plain button gets: the image with its padding, grown to the widest
  // and tallest text.
  SIZE ButtonSize(const Measure& measure) const;
  // Places the buttons in rows across `width` (wrapping only when wrapable or at kWrap);
  // answers the height the toolbar needs.
  int Layout(int width, const Measure& measure);
  // The button under a client point (separators and hidden buttons never), or -1.
  int HitTest(POINT p) const;

  // A completed click on an enabled button: a check button turns over; in a check group the
  // button is checked and the others of its group are cleared. Answers whether states changed.
  bool Click(int index);
  // TB_CHECKBUTTON keeps the group rule too.
  bool SetChecked(int index, bool on);

 private:
  std::vector<Button> buttons_;
  std::vector<std::u16string> pool_;
  int bmpW_ = 16, bmpH_ = 15;
  int btnW_ = 0, btnH_ = 0;
  int indent_ = 0;
  bool list_ = false;
  bool wrapable_ = false;
};

}  // namespace winplat::controls
