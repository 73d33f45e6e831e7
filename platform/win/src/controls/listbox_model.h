// The items and selection of a list box, apart from any window: strings and item data, sorted
// insertion, single, multiple and extended selection, caret and anchor, top index, and what the
// keyboard and the mouse do to them. Answers follow the LB_ messages (LB_ERR -1).
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "wintypes.h"

namespace winplat::controls {

class ListBoxModel {
 public:
  static constexpr int kErr = -1;
  static constexpr int kMaxRows = 1 << 24;  // rows a list without data may be given

  enum class Selection { Single, Multiple, Extended, None };

  struct Item {
    std::u16string text;
    ULONG_PTR data = 0;
    bool selected = false;
    int height = 0;  // owner-drawn lists of variable height: this item's rows in pixels
  };

  // What a key or a click changed: the parent hears LBN_SELCHANGE when selChanged.
  struct Change {
    bool selChanged = false;
    bool caretMoved = false;
    bool scrolled = false;
  };

  void SetSelection(Selection s) { sel_ = s; }
  Selection GetSelectionKind() const { return sel_; }
  bool MultiSel() const { return sel_ == Selection::Multiple || sel_ == Selection::Extended; }
  void SetSorted(bool on) { sorted_ = on; }
  void SetHasStrings(bool on) { hasStrings_ = on; }
  bool HasStrings() const { return hasStrings_; }
  // How many whole rows show; the top index keeps the caret in view with it.
  void SetVisibleRows(int rows) { rows_ = rows < 1 ? 1 : rows; }
  int VisibleRows() const { return rows_; }
  // A multi-column list shows `columns` whole columns of VisibleRows() items each and scrolls by
  // columns: its top index is always the first item of a column.
  void SetMultiColumn(bool on) { multiColumn_ = on; }
  bool MultiColumn() const { return multiColumn_; }
  void SetVisibleColumns(int columns) { columns_ = columns < 1 ? 1 : columns; }
  int VisibleColumns() const { return columns_; }
  // Items of their own heights: keeping an item in view then sums heights against the view's.
  void SetVariableHeight(bool on) { variable_ = on; }
  bool VariableHeight() const { return variable_; }
  void SetViewHeight(int pixels) { viewHeight_ = pixels; }
  int ItemHeight(int index) const { return Valid(index) ? items_[static_cast<size_t>(index)].height : 0; }
  bool SetItemHeight(int index, int height);
  // How many items fit from the top index on (at least one), for variable heights.
  int RowsFromTop() const;

  int Count() const { return static_cast<int>(items_.size()); }
  const Item* At(int i) const { return Valid(i) ? &items_[static_cast<size_t>(i)] : nullptr; }

  // LB_ADDSTRING: at the end, or in order when sorted. Answers the index.
  int Add(std::u16string_view text, ULONG_PTR data = 0);
  // LB_INSERTSTRING: index -1 is the end; never sorts. LB_ERR for an index past the end.
  int Insert(int index, std::u16string_view text, ULONG_PTR data = 0);
  // LB_DELETESTRING: answers the count left, or LB_ERR.
  int Delete(int index);
  void Reset();
  // LB_SETCOUNT of a list without data: Count() rows, the selection of the rows kept. LB_ERR
  // for a negative count, LB_ERRSPACE for more than kMaxRows or when they do not fit in memory.
  int SetCount(int count);

  // LB_GETTEXTLEN / LB_GETTEXT.
  int TextLength(int index) const;
  bool GetText(int index, std::u16string* out) const;
  ULONG_PTR Data(int index) const;  // LB_ERR as a value for a bad index
  bool SetData(int index, ULONG_PTR data);
  bool SetText(int index, std::u16string_view text);

  // LB_FINDSTRING (prefix) and LB_FINDSTRINGEXACT (whole): without case, starting after
  // `after` (-1: from the top), wrapping round once.
  int FindPrefix(int after, std::u16string_view text) const;
  int FindExact(int after, std::u16string_view text) const;

  // Single selection: LB_SETCURSEL (-1 clears; LB_ERR for a multiple-selection list or a bad
  // index) and LB_GETCURSEL (the selected item or LB_ERR; the caret for a multiple one).
  int SetCurSel(int index);
  int CurSel() const;
  // LB_GETSEL / LB_SETSEL (index -1: every item; only multiple-selection lists).
  int GetSel(int index) const;
  int SetSel(bool select, int index);
  int SelCount() const;  // LB_ERR for a single-selection list
  std::vector<int> SelItems() const;
  int SelItemRange(bool select, int first, int last);

  int Caret() const { return caret_; }
  int SetCaret(int index);
  int Anchor() const { return anchor_; }
  int SetAnchor(int index);
  int TopIndex() const { return top_; }
  int SetTopIndex(int index);

  // VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT (a column along in a multi-column list, else as up and
  // down), VK_HOME, VK_END, VK_PRIOR, VK_NEXT, VK_SPACE.
  Change Key(UINT vk, bool shift, bool ctrl);
  // A typed character moves to the next item starting with it.
  Change CharKey(char16_t c);
  // A left click on row `index` (counting from the first item, not the top) with its modifiers.
  Change Click(int index, bool shift, bool ctrl);

 private:
  bool Valid(int i) const { return i >= 0 && i < Count(); }
  int SortedPos(std::u16string_view text) const;
  Change MoveCaretTo(int index, bool shift, bool ctrl);
  void SelectOnly(int index);
  void SelectRange(int a, int b);
  bool EnsureVisible(int index);
  int PageStep() const;
  std::vector<bool> Snapshot() const;
  bool SameAs(const std::vector<bool>& before) const;

  std::vector<Item> items_;
  Selection sel_ = Selection::Single;
  bool sorted_ = false;
  bool hasStrings_ = true;
  bool multiColumn_ = false;
  bool variable_ = false;
  int columns_ = 1;
  int viewHeight_ = 0;
  int cur_ = -1;      // single selection
  int caret_ = 0;     // focus rectangle
  int anchor_ = 0;    // extended selection's fixed end
  int top_ = 0;
  int rows_ = 1;
};

}  // namespace winplat::controls
