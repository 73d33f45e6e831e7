// Toolbar buttons, string pool, layout and click rules.
#include "controls/toolbar_model.h"

#include <algorithm>

namespace winplat::controls {

namespace {

// Padding round the image of a button, and the separator's width, as the classic toolbar.
constexpr int kPadX = 7, kPadY = 7, kSepWidth = 8, kTextGap = 2;

}  // namespace

bool ToolbarModel::Insert(int index, Button b) {
  if (index < -1) return false;
  if (index == -1 || index > Count()) index = Count();
  buttons_.insert(buttons_.begin() + index, std::move(b));
  return true;
}

bool ToolbarModel::Delete(int index) {
  if (!At(index)) return false;
  buttons_.erase(buttons_.begin() + index);
  return true;
}

int ToolbarModel::CommandToIndex(int command) const {
  for (int i = 0; i < Count(); ++i)
    if (buttons_[static_cast<size_t>(i)].command == command) return i;
  return -1;
}

int ToolbarModel::AddStrings(const std::vector<std::u16string>& strings) {
  int first = StringCount();
  pool_.insert(pool_.end(), strings.begin(), strings.end());
  return strings.empty() ? -1 : first;
}

const std::u16string* ToolbarModel::PoolString(int i) const {
  return i >= 0 && i < StringCount() ? &pool_[static_cast<size_t>(i)] : nullptr;
}

std::u16string ToolbarModel::TextOf(const Button& b) const {
  if (!b.text.empty()) return b.text;
  const std::u16string* s = PoolString(static_cast<int>(b.string));
  return s ? *s : std::u16string();
}

SIZE ToolbarModel::ButtonSize(const Measure& measure) const {
  int w = bmpW_ + kPadX + 1, h = bmpH_ + kPadY;
  int tw = 0, th = 0;
  for (auto& b : buttons_) {
    if (b.style & kSep) continue;
    std::u16string t = TextOf(b);
    if (t.empty()) continue;
    SIZE s = measure(t);
    tw = std::max<int>(tw, static_cast<int>(s.cx));
    th = std::max<int>(th, static_cast<int>(s.cy));
  }
  if (th > 0) {
    if (list_) {
      w += tw + kTextGap * 2;
      h = std::max(h, th + kPadY);
    } else {
      w = std::max(w, tw + kPadX);
      h += th + kTextGap;
    }
  }
  return SIZE{std::max(w, btnW_), std::max(h, btnH_)};
}

int ToolbarModel::Layout(int width, const Measure& measure) {
  SIZE bs = ButtonSize(measure);
  const int rowH = static_cast<int>(bs.cy);
  int x = indent_, y = 0, bottom = 0;
  bool any = false;  // the current row has buttons
  for (auto& b : buttons_) {
    if (b.state & kHidden) {
      b.rect = RECT{0, 0, 0, 0};
      continue;
    }
    if ((b.style & kSep) && (b.state & kWrap)) {
      // A wrapping separator is a gap between rows (the divider of a vertical toolbar).
      if (any) y += rowH;
      int gap = b.image > 0 ? b.image : kSepWidth;
      b.rect = RECT{indent_, y, indent_ + static_cast<int>(bs.cx), y + gap};
      y += gap;
      bottom = std::max(bottom, y);
      x = indent_;
      any = false;
      continue;
    }
    int w = static_cast<int>(bs.cx);
    if (b.style & kSep) w = b.image > 0 ? b.image : kSepWidth;
    else if ((b.style & kAutoSize) && list_) {
      std::u16string t = TextOf(b);
      w = bmpW_ + kPadX + 1 + (t.empty() ? 0 : static_cast<int>(measure(t).cx) + kTextGap * 2);
    }
    if (wrapable_ && any && x + w > width && !(b.style & kSep)) {
      x = indent_;
      y += rowH;
    }
    b.rect = RECT{x, y, x + w, y + rowH};
    bottom = std::max(bottom, y + rowH);
    x += w;
    any = true;
    if (b.state & kWrap) {
      x = indent_;
      y += rowH;
      any = false;
    }
  }
  return std::max(bottom, rowH);
}

int ToolbarModel::HitTest(POINT p) const {
  for (int i = 0; i < Count(); ++i) {
    const Button& b = buttons_[static_cast<size_t>(i)];
    if ((b.style & kSep) || (b.state & kHidden)) continue;
    if (p.x >= b.rect.left && p.x < b.rect.right && p.y >= b.rect.top && p.y < b.rect.bottom) return i;
  }
  return -1;
}

bool ToolbarModel::SetChecked(int index, bool on) {
  Button* b = At(index);
  if (!b) return false;
  BYTE before = b->state;
  if (on && (b->style & kGroup) && (b->style & kCheck)) {
    // The group is the run of check-group buttons round this one.
    int lo = index, hi = index;
    auto inGroup = [&](int i) {
      const Button* g = At(i);
      return g && (g->style & kGroup) && (g->style & kCheck) && !(g->style & kSep);
    };
    while (inGroup(lo - 1)) --lo;
    while (inGroup(hi + 1)) ++hi;
    for (int i = lo; i <= hi; ++i)
      if (i != index) buttons_[static_cast<size_t>(i)].state &= static_cast<BYTE>(~kChecked);
  }
  if (on) b->state |= kChecked;
  else b->state &= static_cast<BYTE>(~kChecked);
  return before != b->state || on;
}

bool ToolbarModel::Click(int index) {
  Button* b = At(index);
  if (!b || !(b->state & kEnabled) || (b->style & kSep)) return false;
  if (!(b->style & kCheck)) return false;
  if (b->style & kGroup) {
    if (b->state & kChecked) return false;  // a checked group button stays checked
    return SetChecked(index, true);
  }
  return SetChecked(index, !(b->state & kChecked));
}

}  // namespace winplat::controls
