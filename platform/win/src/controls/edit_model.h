// The text of an edit control and what the keyboard does to it, apart from any window: caret,
// selection, limit, read-only, password display. Positions are UTF-16 units; a surrogate pair is
// one character that no position may split.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

#include "wintypes.h"

namespace winplat::controls {

// What an edit operation did, so the window can notify its parent (EN_UPDATE/EN_CHANGE,
// EN_MAXTEXT) and repaint.
struct EditResult {
  bool changed = false;      // the text changed
  bool selMoved = false;     // caret or selection moved
  bool truncated = false;    // the limit cut text off (EN_MAXTEXT)
  bool refused = false;      // read-only or filtered: nothing done (a beep on the platform)
};

class EditModel {
 public:
  // The platform's limit before EM_SETLIMITTEXT.
  static constexpr size_t kDefaultLimit = 32767;
  // EM_SETLIMITTEXT 0 gives the largest limit.
  static constexpr size_t kMaxLimit = 0x7FFFFFFE;

  const std::u16string& Text() const { return text_; }
  // WM_SETTEXT: ignores the limit, clears the modified flag, caret to the start.
  void SetText(std::u16string_view text);

  size_t Anchor() const { return anchor_; }
  size_t Caret() const { return caret_; }
  size_t SelStart() const { return anchor_ < caret_ ? anchor_ : caret_; }
  size_t SelEnd() const { return anchor_ < caret_ ? caret_ : anchor_; }
  bool HasSelection() const { return anchor_ != caret_; }
  std::u16string SelectedText() const { return text_.substr(SelStart(), SelEnd() - SelStart()); }
  // EM_SETSEL: start -1 deselects (caret kept), end -1 (or past the text) means the end.
  // The caret goes to end, the anchor to start; positions inside a pair move to its start.
  EditResult SetSel(long long start, long long end);
  void SelectAll() { SetSel(0, -1); }

  // EM_REPLACESEL and pasting: the text replaces the selection, cut to the limit.
  EditResult ReplaceSel(std::u16string_view text);
  // WM_CHAR of one UTF-16 unit. A high surrogate waits for its low half, so a pair goes in
  // whole or not at all. Backspace (8) deletes; other control characters are ignored, except
  // CR and tab in a multi-line edit (CR inserts CR LF).
  EditResult Char(char16_t unit);
  // Navigation and deletion keys (VK_LEFT, VK_RIGHT, VK_HOME, VK_END, VK_DELETE, VK_BACK).
  EditResult Key(UINT vk, bool shift, bool ctrl);

  // The limit counts UTF-16 units, or bytes of the ANSI code page in an ANSI edit.
  size_t Limit() const { return limit_; }
  void SetLimit(size_t limit) { limit_ = limit == 0 ? kMaxLimit : limit; }
  bool CountsBytes() const { return countBytes_; }
  void SetCountsBytes(bool on) { countBytes_ = on; }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool on) { readOnly_ = on; }
  bool Multiline() const { return multiline_; }
  void SetMultiline(bool on) { multiline_ = on; }
  bool NumbersOnly() const { return numbersOnly_; }
  void SetNumbersOnly(bool on) { numbersOnly_ = on; }
  char16_t PasswordChar() const { return password_; }
  void SetPasswordChar(char16_t c) { password_ = c; }
  bool Modified() const { return modified_; }
  void SetModified(bool on) { modified_ = on; }

  // The text as shown: with a password character, one mask per character (a pair shows one).
  std::u16string DisplayText() const;
  // The position in DisplayText() of a text position.
  size_t DisplayPos(size_t pos) const;
  // The text position of a position in DisplayText().
  size_t TextPos(size_t displayPos) const;

  // Character movement that keeps pairs whole.
  size_t NextPos(size_t pos) const;
  size_t PrevPos(size_t pos) const;
  // Word movement as the platform's default word break: forward to the start of the next word,
  // back to the start of this or the previous one. Blanks separate words.
  size_t NextWord(size_t pos) const;
  size_t PrevWord(size_t pos) const;
  // Snaps a position into the text and out of the middle of a pair.
  size_t Clamp(size_t pos) const;

  // Positions of an ANSI window (bytes of the ANSI code page) and back.
  size_t ToAnsiPos(size_t pos) const;
  size_t FromAnsiPos(size_t bytePos) const;

 private:
  EditResult Insert(std::u16string_view text);
  EditResult DeleteRange(size_t from, size_t to);
  EditResult MoveTo(size_t pos, bool extend);
  // Length in the unit the limit counts.
  size_t Measure(std::u16string_view text) const;

  std::u16string text_;
  size_t anchor_ = 0;
  size_t caret_ = 0;
  size_t limit_ = kDefaultLimit;
  bool readOnly_ = false;
  bool multiline_ = false;
  bool numbersOnly_ = false;
  bool modified_ = false;
  bool countBytes_ = false;
  char16_t password_ = 0;
  char16_t pendingHigh_ = 0;
};

// Surrogate helpers shared by the text controls.
inline bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
inline bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace winplat::controls
