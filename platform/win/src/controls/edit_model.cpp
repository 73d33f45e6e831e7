// Edit control text model: caret, selection and keyboard editing without a window.
#include "controls/edit_model.h"

#include <algorithm>

#include "internal/text.h"
#include "winuser.h"

namespace winplat::controls {

namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

}  // namespace

void EditModel::SetText(std::u16string_view text) {
  text_.assign(text);
  anchor_ = caret_ = 0;
  pendingHigh_ = 0;
  modified_ = false;
}

size_t EditModel::Clamp(size_t pos) const {
  if (pos > text_.size()) pos = text_.size();
  if (pos > 0 && pos < text_.size() && IsLowSurrogate(text_[pos]) && IsHighSurrogate(text_[pos - 1]))
    --pos;
  return pos;
}

size_t EditModel::NextPos(size_t pos) const {
  pos = Clamp(pos);
  if (pos >= text_.size()) return text_.size();
  if (IsHighSurrogate(text_[pos]) && pos + 1 < text_.size() && IsLowSurrogate(text_[pos + 1])) return pos + 2;
  // CR LF moves as one in a multi-line edit.
  if (multiline_ && text_[pos] == u'\r' && pos + 1 < text_.size() && text_[pos + 1] == u'\n') return pos + 2;
  return pos + 1;
}

size_t EditModel::PrevPos(size_t pos) const {
  pos = Clamp(pos);
  if (pos == 0) return 0;
  if (pos >= 2 && IsLowSurrogate(text_[pos - 1]) && IsHighSurrogate(text_[pos - 2])) return pos - 2;
  if (multiline_ && pos >= 2 && text_[pos - 1] == u'\n' && text_[pos - 2] == u'\r') return pos - 2;
  return pos - 1;
}

size_t EditModel::NextWord(size_t pos) const {
  pos = Clamp(pos);
  size_t n = text_.size();
  while (pos < n && !IsBlank(text_[pos])) ++pos;
  while (pos < n && IsBlank(text_[pos])) ++pos;
  return Clamp(pos);
}

size_t EditModel::PrevWord(size_t pos) const {
  pos = Clamp(pos);
  while (pos > 0 && IsBlank(text_[pos - 1])) --pos;
  while (pos > 0 && !IsBlank(text_[pos - 1])) --pos;
  return pos;
}

EditResult EditModel::SetSel(long long start, long long end) {
  EditResult r;
  size_t oldA = anchor_, oldC = caret_;
  if (start == -1) {
    anchor_ = caret_;
  } else {
    size_t n = text_.size();
    size_t s = start < 0 ? n : std::min<size_t>(static_cast<size_t>(start), n);
    size_t e = end < 0 ? n : std::min<size_t>(static_cast<size_t>(end), n);
    anchor_ = Clamp(s);
    caret_ = Clamp(e);
  }
  pendingHigh_ = 0;
  r.selMoved = oldA != anchor_ || oldC != caret_;
  return r;
}

size_t EditModel::Measure(std::u16string_view text) const {
  return countBytes_ ? WideToAnsi(text).size() : text.size();
}

EditResult EditModel::Insert(std::u16string_view text) {
  EditResult r;
  size_t s = SelStart(), e = SelEnd();
  const size_t kept = Measure(text_) - Measure(std::u16string_view(text_).substr(s, e - s));
  size_t room = limit_ > kept ? limit_ - kept : 0;
  std::u16string_view put = text;
  if (Measure(put) > room) {
    if (countBytes_) {
      // Whole characters while their bytes fit.
      size_t i = 0, bytes = 0;
      while (i < put.size()) {
        const size_t next = i + (IsHighSurrogate(put[i]) && i + 1 < put.size() && IsLowSurrogate(put[i + 1]) ? 2 : 1);
        const size_t len = Measure(put.substr(i, next - i));
        if (bytes + len > room) break;
        bytes += len;
        i = next;
      }
      put = put.substr(0, i);
    } else {
      put = put.substr(0, room);
      // Never keep half a pair at the cut.
      if (!put.empty() && IsHighSurrogate(put.back())) put.remove_suffix(1);
    }
    r.truncated = true;
  }
  if (put.empty() && s == e) {
    r.refused = r.truncated;
    return r;
  }
  text_.replace(s, e - s, put);
  anchor_ = caret_ = s + put.size();
  r.changed = true;
  r.selMoved = true;
  modified_ = true;
  return r;
}

EditResult EditModel::ReplaceSel(std::u16string_view text) {
  pendingHigh_ = 0;
  std::u16string t(text);
  if (!multiline_) {
    // A single-line edit keeps one line: the text stops at the first line break.
    size_t br = t.find_first_of(u"\r\n");
    if (br != std::u16string::npos) t.resize(br);
  }
  return Insert(t);
}

EditResult EditModel::DeleteRange(size_t from, size_t to) {
  EditResult r;
  if (from >= to) return r;
  text_.erase(from, to - from);
  anchor_ = caret_ = from;
  r.changed = r.selMoved = true;
  modified_ = true;
  return r;
}

EditResult EditModel::MoveTo(size_t pos, bool extend) {
  EditResult r;
  size_t oldA = anchor_, oldC = caret_;
  caret_ = Clamp(pos);
  if (!extend) anchor_ = caret_;
  r.selMoved = oldA != anchor_ || oldC != caret_;
  return r;
}

EditResult EditModel::Char(char16_t unit) {
  EditResult r;
  if (unit == 0x08) {  // backspace
    pendingHigh_ = 0;
    if (readOnly_) { r.refused = true; return r; }
    if (HasSelection()) return DeleteRange(SelStart(), SelEnd());
    return DeleteRange(PrevPos(caret_), caret_);
  }
  if (IsHighSurrogate(unit)) {
    pendingHigh_ = unit;
    return r;
  }
  std::u16string put;
  if (IsLowSurrogate(unit)) {
    if (!pendingHigh_) return r;  // a lone low half is dropped
    put.push_back(pendingHigh_);
    put.push_back(unit);
    pendingHigh_ = 0;
  } else {
    pendingHigh_ = 0;
    if (unit == u'\r') {
      if (!multiline_) return r;
      put = u"\r\n";
    } else if (unit == u'\t') {
      if (!multiline_) return r;
      put = u"\t";
    } else if (unit < 0x20 || unit == 0x7F) {
      return r;
    } else {
      if (numbersOnly_ && !(unit >= u'0' && unit <= u'9')) { r.refused = true; return r; }
      put.push_back(unit);
    }
  }
  if (readOnly_) { r.refused = true; return r; }
  return Insert(put);
}

EditResult EditModel::Key(UINT vk, bool shift, bool ctrl) {
  switch (vk) {
    case VK_LEFT:
      if (!shift && HasSelection() && !ctrl) return MoveTo(SelStart(), false);
      return MoveTo(ctrl ? PrevWord(caret_) : PrevPos(caret_), shift);
    case VK_RIGHT:
      if (!shift && HasSelection() && !ctrl) return MoveTo(SelEnd(), false);
      return MoveTo(ctrl ? NextWord(caret_) : NextPos(caret_), shift);
    case VK_HOME: {
      size_t p = 0;
      if (multiline_ && !ctrl) {
        size_t lf = caret_ == 0 ? std::u16string::npos : text_.rfind(u'\n', caret_ - 1);
        p = lf == std::u16string::npos ? 0 : lf + 1;
      }
      return MoveTo(p, shift);
    }
    case VK_END: {
      size_t p = text_.size();
      if (multiline_ && !ctrl) {
        size_t cr = text_.find(u'\r', caret_);
        if (cr != std::u16string::npos) p = cr;
      }
      return MoveTo(p, shift);
    }
    case VK_DELETE: {
      pendingHigh_ = 0;
      EditResult r;
      if (readOnly_) { r.refused = true; return r; }
      if (HasSelection()) return DeleteRange(SelStart(), SelEnd());
      return DeleteRange(caret_, NextPos(caret_));
    }
    case VK_BACK:
      return Char(0x08);
    default:
      return {};
  }
}

std::u16string EditModel::DisplayText() const {
  if (!password_) return text_;
  return std::u16string(DisplayPos(text_.size()), password_);
}

size_t EditModel::DisplayPos(size_t pos) const {
  pos = Clamp(pos);
  if (!password_) return pos;
  size_t n = 0;
  for (size_t i = 0; i < pos; i = NextPos(i)) ++n;
  return n;
}

size_t EditModel::TextPos(size_t displayPos) const {
  if (!password_) return Clamp(displayPos);
  size_t i = 0;
  for (size_t n = 0; n < displayPos && i < text_.size(); ++n) i = NextPos(i);
  return i;
}

size_t EditModel::ToAnsiPos(size_t pos) const {
  return WideToAnsi(std::u16string_view(text_).substr(0, Clamp(pos))).size();
}

size_t EditModel::FromAnsiPos(size_t bytePos) const {
  // Walk character by character so a byte position inside a double-byte pair snaps to its start.
  size_t bytes = 0;
  for (size_t i = 0; i < text_.size();) {
    size_t next = NextPos(i);
    size_t len = WideToAnsi(std::u16string_view(text_).substr(i, next - i)).size();
    if (bytes + len > bytePos) return i;
    bytes += len;
    i = next;
  }
  return text_.size();
}

}  // namespace winplat::controls
