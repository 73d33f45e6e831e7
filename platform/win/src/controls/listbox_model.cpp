// List box items and selection without a window.
#include "controls/listbox_model.h"

#include <algorithm>
#include <new>
#include <stdexcept>

#include "codepages/casemap.h"
#include "winuser.h"

namespace winplat::controls {

int ListBoxModel::SortedPos(std::u16string_view text) const {
  // After the equal ones, so equal strings keep their order of adding.
  auto it = std::upper_bound(items_.begin(), items_.end(), text, [](std::u16string_view t, const Item& it) {
    return cp::CompareNoCase(t, it.text) < 0;
  });
  return static_cast<int>(it - items_.begin());
}

int ListBoxModel::Add(std::u16string_view text, ULONG_PTR data) {
  int at = sorted_ && hasStrings_ ? SortedPos(text) : Count();
  return Insert(at, text, data);
}

int ListBoxModel::Insert(int index, std::u16string_view text, ULONG_PTR data) {
  if (index == -1) index = Count();
  if (index < 0 || index > Count()) return kErr;
  Item it;
  if (hasStrings_) it.text.assign(text);
  it.data = data;
  items_.insert(items_.begin() + index, std::move(it));
  if (cur_ >= index) ++cur_;
  if (Count() > 1 && caret_ >= index) ++caret_;
  if (Count() > 1 && anchor_ >= index) ++anchor_;
  return index;
}

int ListBoxModel::Delete(int index) {
  if (!Valid(index)) return kErr;
  items_.erase(items_.begin() + index);
  auto fix = [&](int& v, int none) {
    if (v == index) v = none;
    else if (v > index) --v;
  };
  fix(cur_, -1);
  fix(caret_, std::max(0, std::min(index, Count() - 1)));
  fix(anchor_, std::max(0, std::min(index, Count() - 1)));
  if (top_ > 0 && top_ >= Count()) top_ = std::max(0, Count() - 1);
  if (top_ > index) --top_;
  return Count();
}

void ListBoxModel::Reset() {
  items_.clear();
  cur_ = -1;
  caret_ = anchor_ = top_ = 0;
}

int ListBoxModel::SetCount(int count) {
  if (count < 0) return kErr;
  // Each row keeps its selection and height: a bound keeps a wild count from taking the memory.
  if (count > kMaxRows) return LB_ERRSPACE;
  try {
    items_.resize(static_cast<size_t>(count));
  } catch (const std::bad_alloc&) {
    return LB_ERRSPACE;
  } catch (const std::length_error&) {
    return LB_ERRSPACE;
  }
  int last = count - 1;
  if (cur_ > last) cur_ = -1;
  if (caret_ > last) caret_ = std::max(0, last);
  if (anchor_ > last) anchor_ = std::max(0, last);
  if (top_ > last) top_ = std::max(0, last);
  return 0;
}

int ListBoxModel::TextLength(int index) const {
  if (!Valid(index)) return kErr;
  return static_cast<int>(items_[static_cast<size_t>(index)].text.size());
}

bool ListBoxModel::GetText(int index, std::u16string* out) const {
  if (!Valid(index)) return false;
  *out = items_[static_cast<size_t>(index)].text;
  return true;
}

ULONG_PTR ListBoxModel::Data(int index) const {
  if (!Valid(index)) return static_cast<ULONG_PTR>(static_cast<LONG_PTR>(kErr));
  return items_[static_cast<size_t>(index)].data;
}

bool ListBoxModel::SetData(int index, ULONG_PTR data) {
  if (!Valid(index)) return false;
  items_[static_cast<size_t>(index)].data = data;
  return true;
}

bool ListBoxModel::SetText(int index, std::u16string_view text) {
  if (!Valid(index)) return false;
  items_[static_cast<size_t>(index)].text.assign(text);
  return true;
}

int ListBoxModel::FindPrefix(int after, std::u16string_view text) const {
  int n = Count();
  if (n == 0) return kErr;
  int start = (after < -1 || after >= n) ? -1 : after;
  for (int k = 1; k <= n; ++k) {
    int i = (start + k) % n;
    std::u16string_view t = items_[static_cast<size_t>(i)].text;
    if (t.size() >= text.size() && cp::CompareNoCase(t.substr(0, text.size()), text) == 0) return i;
  }
  return kErr;
}

int ListBoxModel::FindExact(int after, std::u16string_view text) const {
  int n = Count();
  if (n == 0) return kErr;
  int start = (after < -1 || after >= n) ? -1 : after;
  for (int k = 1; k <= n; ++k) {
    int i = (start + k) % n;
    if (cp::CompareNoCase(items_[static_cast<size_t>(i)].text, text) == 0) return i;
  }
  return kErr;
}

int ListBoxModel::SetCurSel(int index) {
  if (MultiSel()) return kErr;
  if (index == -1) {
    cur_ = -1;
    return kErr;  // the platform answers LB_ERR when the selection is cleared
  }
  if (!Valid(index)) return kErr;
  cur_ = index;
  caret_ = anchor_ = index;
  EnsureVisible(index);
  return index;
}

int ListBoxModel::CurSel() const {
  if (MultiSel()) return Count() ? caret_ : kErr;
  return cur_;
}

int ListBoxModel::GetSel(int index) const {
  if (!Valid(index)) return kErr;
  if (MultiSel()) return items_[static_cast<size_t>(index)].selected ? 1 : 0;
  return cur_ == index ? 1 : 0;
}

int ListBoxModel::SetSel(bool select, int index) {
  if (!MultiSel()) return kErr;
  if (index == -1) {
    for (auto& it : items_) it.selected = select;
    return 0;
  }
  if (!Valid(index)) return kErr;
  items_[static_cast<size_t>(index)].selected = select;
  return 0;
}

int ListBoxModel::SelCount() const {
  if (!MultiSel()) return kErr;
  return static_cast<int>(std::count_if(items_.begin(), items_.end(), [](const Item& i) { return i.selected; }));
}

std::vector<int> ListBoxModel::SelItems() const {
  std::vector<int> out;
  if (!MultiSel()) return out;
  for (int i = 0; i < Count(); ++i)
    if (items_[static_cast<size_t>(i)].selected) out.push_back(i);
  return out;
}

int ListBoxModel::SelItemRange(bool select, int first, int last) {
  if (!MultiSel()) return kErr;
  if (first > last) std::swap(first, last);
  first = std::max(first, 0);
  last = std::min(last, Count() - 1);
  for (int i = first; i <= last; ++i) items_[static_cast<size_t>(i)].selected = select;
  return 0;
}

int ListBoxModel::SetCaret(int index) {
  if (!Valid(index)) return kErr;
  caret_ = index;
  if (!MultiSel()) cur_ = index;
  EnsureVisible(index);
  return 0;
}

int ListBoxModel::SetAnchor(int index) {
  if (!Valid(index)) return kErr;
  anchor_ = index;
  return 0;
}

int ListBoxModel::SetTopIndex(int index) {
  if (!Valid(index) && !(index == 0 && Count() == 0)) return kErr;
  top_ = index;
  return 0;
}

bool ListBoxModel::SetItemHeight(int index, int height) {
  if (!Valid(index)) return false;
  items_[static_cast<size_t>(index)].height = height;
  return true;
}

int ListBoxModel::RowsFromTop() const {
  int rows = 0, sum = 0;
  for (int i = top_; i < Count(); ++i) {
    sum += items_[static_cast<size_t>(i)].height;
    if (sum > viewHeight_) break;
    ++rows;
  }
  return std::max(1, rows);
}

bool ListBoxModel::EnsureVisible(int index) {
  int old = top_;
  if (multiColumn_) {
    int col = index / rows_, topCol = top_ / rows_;
    if (col < topCol) topCol = col;
    else if (col >= topCol + columns_) topCol = col - columns_ + 1;
    top_ = std::max(0, topCol) * rows_;
  } else if (variable_ && Valid(index)) {
    if (index < top_) {
      top_ = index;
    } else {
      // Drop items off the top until the item's bottom edge is inside the view.
      int sum = 0;
      for (int i = top_; i <= index; ++i) sum += items_[static_cast<size_t>(i)].height;
      while (sum > viewHeight_ && top_ < index) sum -= items_[static_cast<size_t>(top_++)].height;
    }
  } else {
    if (index < top_) top_ = index;
    else if (index >= top_ + rows_) top_ = index - rows_ + 1;
  }
  if (top_ < 0) top_ = 0;
  return old != top_;
}

std::vector<bool> ListBoxModel::Snapshot() const {
  std::vector<bool> s;
  s.reserve(items_.size() + 1);
  for (auto& it : items_) s.push_back(it.selected);
  s.push_back(false);
  return s;
}

bool ListBoxModel::SameAs(const std::vector<bool>& before) const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (before[i] != items_[i].selected) return false;
  return true;
}

void ListBoxModel::SelectOnly(int index) {
  for (size_t i = 0; i < items_.size(); ++i) items_[i].selected = static_cast<int>(i) == index;
}

void ListBoxModel::SelectRange(int a, int b) {
  if (a > b) std::swap(a, b);
  for (int i = 0; i < Count(); ++i) items_[static_cast<size_t>(i)].selected = i >= a && i <= b;
}

ListBoxModel::Change ListBoxModel::MoveCaretTo(int index, bool shift, bool ctrl) {
  Change c;
  if (Count() == 0) return c;
  index = std::clamp(index, 0, Count() - 1);
  int oldCur = cur_;
  auto before = Snapshot();
  c.caretMoved = index != caret_;
  caret_ = index;
  switch (sel_) {
    case Selection::Single:
      cur_ = index;
      anchor_ = index;
      break;
    case Selection::Extended:
      if (shift) SelectRange(anchor_, index);
      else if (!ctrl) { SelectOnly(index); anchor_ = index; }
      break;
    case Selection::Multiple:
    case Selection::None:
      break;
  }
  c.selChanged = cur_ != oldCur || !SameAs(before);
  c.scrolled = EnsureVisible(index);
  return c;
}

int ListBoxModel::PageStep() const {
  if (multiColumn_) return rows_ * columns_;
  return std::max(1, rows_ - 1);
}

ListBoxModel::Change ListBoxModel::Key(UINT vk, bool shift, bool ctrl) {
  Change c;
  if (Count() == 0) return c;
  // With nothing selected yet in a single list, the first arrow selects the caret's item.
  int from = (sel_ == Selection::Single && cur_ < 0) ? caret_ - (vk == VK_DOWN ? 1 : 0) : caret_;
  switch (vk) {
    case VK_UP: return MoveCaretTo(from - 1, shift, ctrl);
    case VK_DOWN: return MoveCaretTo(from + 1, shift, ctrl);
    case VK_LEFT: return MoveCaretTo(multiColumn_ ? caret_ - rows_ : from - 1, shift, ctrl);
    case VK_RIGHT:
      return MoveCaretTo(multiColumn_ ? caret_ + rows_ : from + 1, shift, ctrl);
    case VK_HOME: return MoveCaretTo(0, shift, ctrl);
    case VK_END: return MoveCaretTo(Count() - 1, shift, ctrl);
    case VK_PRIOR: return MoveCaretTo(caret_ - PageStep(), shift, ctrl);
    case VK_NEXT: return MoveCaretTo(caret_ + PageStep(), shift, ctrl);
    case VK_SPACE:
      if (sel_ == Selection::Multiple || (sel_ == Selection::Extended && ctrl)) {
        auto& it = items_[static_cast<size_t>(caret_)];
        it.selected = !it.selected;
        anchor_ = caret_;
        c.selChanged = true;
      } else if (sel_ == Selection::Extended) {
        c = MoveCaretTo(caret_, shift, false);
      }
      return c;
    default:
      return c;
  }
}

ListBoxModel::Change ListBoxModel::CharKey(char16_t ch) {
  Change c;
  if (!hasStrings_ || ch < 0x20) return c;
  if (ch == u' ' && MultiSel()) return c;
  int i = FindPrefix(caret_, std::u16string_view(&ch, 1));
  if (i == kErr) return c;
  return MoveCaretTo(i, false, false);
}

ListBoxModel::Change ListBoxModel::Click(int index, bool shift, bool ctrl) {
  Change c;
  if (!Valid(index)) return c;
  switch (sel_) {
    case Selection::Single:
    case Selection::None:
      return MoveCaretTo(index, false, false);
    case Selection::Multiple: {
      c.caretMoved = caret_ != index;
      caret_ = index;
      auto& it = items_[static_cast<size_t>(index)];
      it.selected = !it.selected;
      c.selChanged = true;
      c.scrolled = EnsureVisible(index);
      return c;
    }
    case Selection::Extended:
      if (ctrl && !shift) {
        auto before = Snapshot();
        auto& it = items_[static_cast<size_t>(index)];
        it.selected = !it.selected;
        c.caretMoved = caret_ != index;
        caret_ = anchor_ = index;
        c.selChanged = !SameAs(before);
        c.scrolled = EnsureVisible(index);
        return c;
      }
      return MoveCaretTo(index, shift, false);
  }
  return c;
}

}  // namespace winplat::controls
