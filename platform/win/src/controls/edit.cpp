// The EDIT class: one line or several (wrapped at word boundaries unless it scrolls sideways,
// scrolled up and down) of text with caret, selection, keyboard editing, any Unicode character
// by WM_CHAR (pairs included), password character, limit, read-only, one level of undo, the
// clipboard, and the parent's EN_ notifications.
#include <algorithm>
#include <vector>

#include "codepages/casemap.h"
#include "controls/control_window.h"
#include "controls/edit_model.h"
#include "controls/paint.h"
#include "winbase.h"
#include "wingdi.h"
#include "winplat_mode.h"
#include "wintext.h"

namespace winplat::controls {

namespace {

struct EditData {
  EditModel m;
  HFONT font = nullptr;
  int scrollX = 0;
  int firstLine = 0;
  int marginL = 1, marginR = 1;
  bool focused = false;
  bool tracking = false;
  bool vbar = false;  // made with WS_VSCROLL: shown while the lines overflow
  bool ansiWindow = false;  // made by CreateWindowExA
  // One level of undo: the state before the last change.
  bool canUndo = false;
  std::u16string undoText;
  size_t undoAnchor = 0, undoCaret = 0;
};

// A shown line: end excludes the line break. A wrapped line (soft) ends without one, where the
// next line starts; a position there belongs to the next line.
struct Line {
  size_t start, end;
  bool soft = false;
};

bool IsBlankUnit(char16_t c) { return c == u' ' || c == u'\t'; }

// A multi-line edit that does not scroll sideways wraps its lines at the client width.
bool WrapsWords(HWND h, const EditData& d) { return d.m.Multiline() && !(Style(h) & ES_AUTOHSCROLL); }

int WrapWidth(HWND h, const EditData& d) {
  RECT r;
  GetClientRect(h, &r);
  return static_cast<int>(r.right - r.left) - d.marginL - d.marginR;
}

// Breaks [start, end) of t into lines of at most `width` pixels: after the last blank that
// fits (blanks hang past the edge), or inside a word longer than the width.
void WrapLine(HDC dc, const EditData& d, const std::u16string& t, size_t start, size_t end, int width,
              std::vector<Line>& out) {
  size_t pos = start;
  for (;;) {
    std::u16string_view rest = std::u16string_view(t).substr(pos, end - pos);
    if (paint::TextWidth(dc, rest, rest.size()) <= width) {
      out.push_back({pos, end, false});
      return;
    }
    // The longest prefix that fits, found by halving (widths grow with the length).
    size_t lo = 0, hi = rest.size();
    while (lo < hi) {
      size_t mid = (lo + hi + 1) / 2;
      if (paint::TextWidth(dc, rest, mid) <= width) lo = mid;
      else hi = mid - 1;
    }
    size_t fit = d.m.Clamp(pos + lo);
    if (fit <= pos) fit = d.m.NextPos(pos);  // at least one character a line
    if (fit >= end) {
      out.push_back({pos, end, false});
      return;
    }
    size_t brk = fit;
    if (IsBlankUnit(t[fit])) {
      while (brk < end && IsBlankUnit(t[brk])) ++brk;
    } else {
      size_t b = fit;
      while (b > pos && !IsBlankUnit(t[b - 1])) --b;
      if (b > pos) brk = b;
    }
    if (brk >= end) {
      out.push_back({pos, end, false});
      return;
    }
    out.push_back({pos, brk, true});
    pos = brk;
  }
}

// The shown lines of t: one for a one-line edit; else broken at line breaks and wrapped.
std::vector<Line> Lines(HWND h, const EditData& d, const std::u16string& t) {
  if (!d.m.Multiline()) return {{0, t.size()}};
  std::vector<Line> hard;
  size_t s = 0;
  for (size_t i = 0; i < t.size(); ++i) {
    if (t[i] == u'\n' || t[i] == u'\r') {
      hard.push_back({s, i});
      if (t[i] == u'\r' && i + 1 < t.size() && t[i + 1] == u'\n') ++i;
      s = i + 1;
    }
  }
  hard.push_back({s, t.size()});
  int width = WrapWidth(h, d);
  if (!WrapsWords(h, d) || width <= 0) return hard;
  std::vector<Line> out;
  HDC dc = GetDC(h);
  HGDIOBJ old = SelectObject(dc, ControlFont(d.font));
  for (const Line& l : hard) WrapLine(dc, d, t, l.start, l.end, width, out);
  SelectObject(dc, old);
  ReleaseDC(h, dc);
  return out;
}

size_t LineOf(const std::vector<Line>& lines, size_t pos) {
  for (size_t i = 0; i < lines.size(); ++i)
    if (pos < lines[i].end || (pos == lines[i].end && !lines[i].soft)) return i;
  return lines.size() - 1;
}

int LineHeight(HWND h, EditData& d) { return FontHeight(h, d.font); }

// ES_CENTER and ES_RIGHT place a one-line text that fits inside its field.
int AlignOffset(HWND h, EditData& d) {
  DWORD style = Style(h);
  if (d.m.Multiline() || !(style & (ES_CENTER | ES_RIGHT))) return 0;
  RECT r;
  GetClientRect(h, &r);
  int width = static_cast<int>(r.right - r.left) - d.marginL - d.marginR;
  std::u16string shown = d.m.DisplayText();
  HDC dc = GetDC(h);
  HGDIOBJ old = SelectObject(dc, ControlFont(d.font));
  int tw = paint::TextWidth(dc, shown, shown.size());
  SelectObject(dc, old);
  ReleaseDC(h, dc);
  if (tw >= width) return 0;
  return (style & ES_CENTER) ? (width - tw) / 2 : width - tw - 1;
}

// Keeps the caret in view horizontally (one line: the shown text; several: the caret's line).
void ScrollToCaret(HWND h, EditData& d) {
  RECT r;
  GetClientRect(h, &r);
  int width = std::max(1, static_cast<int>(r.right - r.left) - d.marginL - d.marginR);
  std::u16string shown = d.m.DisplayText();
  auto lines = Lines(h, d, shown);
  size_t caret = d.m.DisplayPos(d.m.Caret());
  size_t li = LineOf(lines, caret);
  HDC dc = GetDC(h);
  HGDIOBJ old = SelectObject(dc, ControlFont(d.font));
  std::u16string_view line = std::u16string_view(shown).substr(lines[li].start, lines[li].end - lines[li].start);
  int x = paint::TextWidth(dc, line, caret - lines[li].start);
  int total = paint::TextWidth(dc, line, line.size());
  SelectObject(dc, old);
  ReleaseDC(h, dc);
  if (x - d.scrollX > width - 1) d.scrollX = x - width + 1 + width / 4;
  if (x < d.scrollX) d.scrollX = std::max(0, x - width / 4);
  // No empty room right of the text while the text could fill it.
  if (d.scrollX > 0 && total - d.scrollX < width - 1) d.scrollX = std::max(0, std::max(total - width + 1, x - width + 1));
  if (WrapsWords(h, d)) d.scrollX = 0;  // wrapped lines fit; only hanging blanks pass the edge
  if (d.m.Multiline()) {
    int rows = std::max(1, static_cast<int>(r.bottom - r.top) / LineHeight(h, d));
    int l = static_cast<int>(li);
    if (l < d.firstLine) d.firstLine = l;
    if (l >= d.firstLine + rows) d.firstLine = l - rows + 1;
  }
}

int VisibleLines(HWND h, EditData& d) {
  RECT r;
  GetClientRect(h, &r);
  return std::max(1, static_cast<int>(r.bottom - r.top) / LineHeight(h, d));
}

// The vertical scroll bar of a multi-line edit follows the first shown line; it shows while the
// text has more lines than the view and hides when they fit.
void UpdateScrollBar(HWND h, EditData& d) {
  if (!d.m.Multiline() || !d.vbar) return;
  SCROLLINFO si{};
  si.cbSize = sizeof(si);
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  si.nMin = 0;
  si.nMax = static_cast<int>(Lines(h, d, d.m.Text()).size()) - 1;
  si.nPage = static_cast<UINT>(VisibleLines(h, d));
  si.nPos = d.firstLine;
  SetScrollInfo(h, SB_VERT, &si, TRUE);
}

void Redraw(HWND h) {
  if (EditData* d = StateOf<EditData>(h)) UpdateScrollBar(h, *d);
  InvalidateRect(h, nullptr, FALSE);
}

// Scrolls a multi-line edit by lines, no further than the last line at the bottom. Answers
// how many lines it moved.
int ScrollLines(HWND h, EditData& d, int delta) {
  if (!d.m.Multiline()) return 0;
  int count = static_cast<int>(Lines(h, d, d.m.Text()).size());
  int top = std::clamp(d.firstLine + delta, 0, std::max(0, count - VisibleLines(h, d)));
  int moved = top - d.firstLine;
  d.firstLine = top;
  if (moved) Redraw(h);
  return moved;
}

// SB_ codes of WM_VSCROLL and EM_SCROLL.
int ScrollBy(HWND h, EditData& d, int code, int thumb) {
  int page = std::max(1, VisibleLines(h, d) - 1);
  switch (code) {
    case SB_LINEUP: return ScrollLines(h, d, -1);
    case SB_LINEDOWN: return ScrollLines(h, d, 1);
    case SB_PAGEUP: return ScrollLines(h, d, -page);
    case SB_PAGEDOWN: return ScrollLines(h, d, page);
    case SB_TOP: return ScrollLines(h, d, -d.firstLine);
    case SB_BOTTOM: return ScrollLines(h, d, 1 << 20);
    case SB_THUMBPOSITION: case SB_THUMBTRACK: return ScrollLines(h, d, thumb - d.firstLine);
    default: return 0;
  }
}

// After an edit: scroll, repaint and tell the parent.
void Changed(HWND h, EditData& d, const EditResult& r) {
  if (r.changed || r.selMoved) {
    ScrollToCaret(h, d);
    Redraw(h);
  }
  if (r.changed) {
    NotifyParent(h, EN_UPDATE);
    NotifyParent(h, EN_CHANGE);
  }
  if (r.truncated) NotifyParent(h, EN_MAXTEXT);
}

// Runs an operation that may change the text, keeping the undo state when it does.
template <class F>
void Edit(HWND h, EditData& d, F op) {
  std::u16string before = d.m.Text();
  size_t a = d.m.Anchor(), c = d.m.Caret();
  EditResult r = op();
  if (r.changed) {
    d.canUndo = true;
    d.undoText = std::move(before);
    d.undoAnchor = a;
    d.undoCaret = c;
  }
  Changed(h, d, r);
}

void Paint(HWND h, HDC dc, EditData& d) {
  DWORD style = Style(h);
  RECT r;
  GetClientRect(h, &r);
  HGDIOBJ oldFont = SelectObject(dc, ControlFont(d.font));
  bool disabled = (style & WS_DISABLED) != 0;
  bool ro = d.m.ReadOnly();
  HBRUSH bg = ParentBrush(h, dc, (disabled || ro) ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT);
  if (bg) FillRect(dc, &r, bg);
  std::u16string shown = d.m.DisplayText();
  size_t ss = d.m.DisplayPos(d.m.SelStart()), se = d.m.DisplayPos(d.m.SelEnd());
  size_t caret = d.m.DisplayPos(d.m.Caret());
  bool showSel = d.focused || (style & ES_NOHIDESEL);
  auto lines = Lines(h, d, shown);
  int lh = d.m.Multiline() ? LineHeight(h, d) : static_cast<int>(r.bottom - r.top);
  int caretX = -1, caretY = 0;
  int align = AlignOffset(h, d);
  for (size_t i = static_cast<size_t>(std::max(0, d.firstLine)); i < lines.size(); ++i) {
    int top = static_cast<int>(r.top) + (static_cast<int>(i) - d.firstLine) * lh;
    if (top >= r.bottom) break;
    RECT lr{r.left + d.marginL - 1 + align, top, r.right - d.marginR, top + lh};
    if (!d.m.Multiline()) lr.bottom = r.bottom;
    const Line& ln = lines[i];
    std::u16string_view text = std::u16string_view(shown).substr(ln.start, ln.end - ln.start);
    size_t ls = std::clamp(ss, ln.start, ln.end) - ln.start, le = std::clamp(se, ln.start, ln.end) - ln.start;
    size_t lc = std::clamp(caret, ln.start, ln.end) - ln.start;
    int x = paint::EditField(dc, lr, text, ls, le, lc, d.scrollX, showSel, disabled, ro);
    if (caret >= ln.start && caret <= ln.end && LineOf(lines, caret) == i) {
      caretX = x;
      caretY = top;
    }
  }
  // The caret is drawn, not blinked: a line at the caret while the edit has the focus.
  if (d.focused && caretX >= 0) {
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    int th = static_cast<int>(tm.tmHeight);
    int y = d.m.Multiline() ? caretY : static_cast<int>(r.top) + std::max(0, (static_cast<int>(r.bottom - r.top) - th) / 2);
    RECT cr{caretX, y, caretX + 1, y + th};
    paint::Fill(dc, cr, GetSysColor(COLOR_WINDOWTEXT));
  }
  SelectObject(dc, oldFont);
}

// The text position under a client point.
size_t PosAt(HWND h, EditData& d, int x, int y) {
  std::u16string shown = d.m.DisplayText();
  auto lines = Lines(h, d, shown);
  size_t li = 0;
  if (d.m.Multiline()) {
    int row = y < 0 ? -1 : y / LineHeight(h, d);
    li = static_cast<size_t>(std::clamp(d.firstLine + row, 0, static_cast<int>(lines.size()) - 1));
  }
  HDC dc = GetDC(h);
  HGDIOBJ old = SelectObject(dc, ControlFont(d.font));
  std::u16string_view line = std::u16string_view(shown).substr(lines[li].start, lines[li].end - lines[li].start);
  size_t p = paint::PosFromX(dc, line, x - d.marginL - AlignOffset(h, d), d.scrollX);
  SelectObject(dc, old);
  ReleaseDC(h, dc);
  return d.m.TextPos(lines[li].start + p);
}

// Up and down in a multi-line edit: the same x on the line above or below.
void MoveLine(HWND h, EditData& d, int delta, bool shift) {
  const std::u16string& t = d.m.Text();
  auto lines = Lines(h, d, t);
  size_t li = LineOf(lines, d.m.Caret());
  int target = std::clamp(static_cast<int>(li) + delta, 0, static_cast<int>(lines.size()) - 1);
  if (target == static_cast<int>(li)) return;
  HDC dc = GetDC(h);
  HGDIOBJ old = SelectObject(dc, ControlFont(d.font));
  std::u16string_view cur = std::u16string_view(t).substr(lines[li].start, lines[li].end - lines[li].start);
  int x = paint::TextWidth(dc, cur, d.m.Caret() - lines[li].start);
  const Line& tl = lines[static_cast<size_t>(target)];
  std::u16string_view dst = std::u16string_view(t).substr(tl.start, tl.end - tl.start);
  size_t p = tl.start + paint::PosFromX(dc, dst, x, 0);
  SelectObject(dc, old);
  ReleaseDC(h, dc);
  if (tl.soft && p == tl.end && p > tl.start) p = d.m.PrevPos(p);  // the end of a wrapped line is the next one's
  size_t anchor = shift ? d.m.Anchor() : p;
  d.m.SetSel(static_cast<long long>(anchor), static_cast<long long>(p));
  ScrollToCaret(h, d);
  Redraw(h);
}

// Home and End of a wrapped edit go to the ends of the shown line; the end of a wrapped line
// stops before its hanging blanks.
void MoveToLineEdge(HWND h, EditData& d, bool toEnd, bool shift) {
  const std::u16string& t = d.m.Text();
  auto lines = Lines(h, d, t);
  const Line& l = lines[LineOf(lines, d.m.Caret())];
  size_t p = l.start;
  if (toEnd) {
    p = l.end;
    if (l.soft)
      while (p > l.start && IsBlankUnit(t[p - 1])) --p;
  }
  size_t anchor = shift ? d.m.Anchor() : p;
  d.m.SetSel(static_cast<long long>(anchor), static_cast<long long>(p));
  ScrollToCaret(h, d);
  Redraw(h);
}

// Places text on the clipboard as CF_UNICODETEXT (the other text formats follow from it).
void PutOnClipboard(HWND h, std::u16string_view text) {
  if (!OpenClipboard(h)) return;
  EmptyClipboard();
  if (HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(char16_t))) {
    auto* p = static_cast<char16_t*>(GlobalLock(mem));
    std::copy(text.begin(), text.end(), p);
    p[text.size()] = 0;
    GlobalUnlock(mem);
    if (!SetClipboardData(CF_UNICODETEXT, mem)) GlobalFree(mem);
  }
  CloseClipboard();
}

// The clipboard's text, up to its terminator and never past its block; empty when it has none.
std::u16string ClipboardText(HWND h) {
  std::u16string out;
  if (!OpenClipboard(h)) return out;
  if (HANDLE mem = GetClipboardData(CF_UNICODETEXT)) {
    size_t cap = GlobalSize(mem) / sizeof(char16_t);
    if (const auto* p = static_cast<const char16_t*>(GlobalLock(mem))) {
      out.assign(p, std::find(p, p + cap, u'\0'));
      GlobalUnlock(mem);
    }
  }
  CloseClipboard();
  return out;
}

char16_t CaseFor(DWORD style, char16_t c) {
  if (style & ES_UPPERCASE) return cp::ToUpper(c);
  if (style & ES_LOWERCASE) return cp::ToLower(c);
  return c;
}

void ApplyStyle(EditData& d, DWORD style) {
  d.m.SetMultiline((style & ES_MULTILINE) != 0);
  d.m.SetReadOnly((style & ES_READONLY) != 0);
  d.m.SetNumbersOnly((style & ES_NUMBER) != 0);
  if ((style & ES_PASSWORD) && !(style & ES_MULTILINE) && !d.m.PasswordChar()) d.m.SetPasswordChar(u'*');
}

// Positions as the window's callers count them (bytes in an ANSI edit) and back.
size_t OutPos(const EditData& d, size_t pos) { return d.m.CountsBytes() ? d.m.ToAnsiPos(pos) : pos; }
size_t InPos(const EditData& d, size_t pos) { return d.m.CountsBytes() ? d.m.FromAnsiPos(pos) : pos; }

LRESULT CALLBACK EditProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  EditData* d = StateOf<EditData>(h);
  if (msg == WM_NCCREATE) {
    d = new EditData;
    SetState(h, d);
    SetControlKind(h, u"EDIT");
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
    ApplyStyle(*d, static_cast<DWORD>(cs->style));
    d->ansiWindow = !IsWindowUnicode(h);
    d->vbar = (cs->style & WS_VSCROLL) != 0;
    if (cs->lpszName && !IS_INTRESOURCE(cs->lpszName)) d->m.SetText(cs->lpszName);
  }
  if (!d) return DefWindowProcW(h, msg, wp, lp);
  // An edit made by the ANSI calls (and any edit on the ANSI-only platform) counts positions and
  // its limit in bytes of the ANSI code page, as the platform's ANSI edits do.
  d->m.SetCountsBytes(d->ansiWindow || IsAnsiOnlyPlatform());
  switch (msg) {
    case WM_NCDESTROY:
      SetState<EditData>(h, nullptr);
      delete d;
      break;
    case WM_STYLECHANGED:
      if (wp == static_cast<WPARAM>(GWL_STYLE)) {
        DWORD st = reinterpret_cast<const STYLESTRUCT*>(lp)->styleNew;
        d->m.SetReadOnly((st & ES_READONLY) != 0);
        d->m.SetNumbersOnly((st & ES_NUMBER) != 0);
        Redraw(h);
      }
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = wp ? reinterpret_cast<HDC>(wp) : BeginPaint(h, &ps);
      Paint(h, dc, *d);
      if (!wp) EndPaint(h, &ps);
      return 0;
    }
    case WM_PRINTCLIENT:
      Paint(h, reinterpret_cast<HDC>(wp), *d);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_GETDLGCODE: {
      LRESULT code = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
      if (d->m.Multiline()) code |= DLGC_WANTALLKEYS;
      return code;
    }
    case WM_SETTEXT: {
      d->m.SetText(lp ? reinterpret_cast<const char16_t*>(lp) : u"");
      d->canUndo = false;
      d->scrollX = 0;
      d->firstLine = 0;
      DefWindowProcW(h, msg, wp, lp);  // the window's own copy stays the same
      Redraw(h);
      NotifyParent(h, EN_UPDATE);
      NotifyParent(h, EN_CHANGE);
      return TRUE;
    }
    case WM_GETTEXT: {
      if (!lp || wp == 0) return 0;
      auto* out = reinterpret_cast<char16_t*>(lp);
      size_t n = std::min(d->m.Text().size(), static_cast<size_t>(wp) - 1);
      // Never end the copy between the halves of a pair.
      if (n > 0 && n < d->m.Text().size() && IsHighSurrogate(d->m.Text()[n - 1])) --n;
      std::copy_n(d->m.Text().data(), n, out);
      out[n] = 0;
      return static_cast<LRESULT>(n);
    }
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(d->m.Text().size());
    case WM_SETFONT:
      d->font = reinterpret_cast<HFONT>(wp);
      if (LOWORD(lp)) Redraw(h);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(d->font);
    case WM_ENABLE:
      Redraw(h);
      return 0;
    case WM_SETFOCUS:
      d->focused = true;
      Redraw(h);
      NotifyParent(h, EN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      d->focused = false;
      d->tracking = false;
      Redraw(h);
      NotifyParent(h, EN_KILLFOCUS);
      return 0;
    case WM_CHAR: {
      char16_t c = static_cast<char16_t>(wp);
      if (c == 1) {  // Ctrl+A
        d->m.SelectAll();
        Redraw(h);
        return 0;
      }
      if (c == 0x1A) {  // Ctrl+Z
        SendMessageW(h, EM_UNDO, 0, 0);
        return 0;
      }
      if (c == 0x03 || c == 0x18 || c == 0x16) {  // Ctrl+C, Ctrl+X, Ctrl+V
        SendMessageW(h, c == 0x03 ? WM_COPY : c == 0x18 ? WM_CUT : WM_PASTE, 0, 0);
        return 0;
      }
      if (c == 0x1B) return 0;
      c = CaseFor(Style(h), c);
      EditResult r;
      Edit(h, *d, [&] {
        r = d->m.Char(c);
        return r;
      });
      if (r.refused) MessageBeep(0xFFFFFFFFu);
      return 0;
    }
    case WM_KEYDOWN: {
      bool shift = ShiftDown(), ctrl = CtrlDown();
      switch (wp) {
        case VK_UP: case VK_DOWN:
          if (d->m.Multiline()) MoveLine(h, *d, wp == VK_UP ? -1 : 1, shift);
          return 0;
        case VK_PRIOR: case VK_NEXT:
          if (d->m.Multiline()) MoveLine(h, *d, (wp == VK_PRIOR ? -1 : 1) * std::max(1, VisibleLines(h, *d) - 1), shift);
          return 0;
        case VK_HOME: case VK_END:
          if (WrapsWords(h, *d) && !ctrl) {
            MoveToLineEdge(h, *d, wp == VK_END, shift);
            return 0;
          }
          Edit(h, *d, [&] { return d->m.Key(static_cast<UINT>(wp), shift, ctrl); });
          return 0;
        case VK_INSERT:
          // Ctrl+Insert copies, Shift+Insert pastes.
          if (ctrl) SendMessageW(h, WM_COPY, 0, 0);
          else if (shift) SendMessageW(h, WM_PASTE, 0, 0);
          return 0;
        case VK_DELETE:
          if (shift && !ctrl) {  // Shift+Delete cuts
            SendMessageW(h, WM_CUT, 0, 0);
            return 0;
          }
          Edit(h, *d, [&] { return d->m.Key(static_cast<UINT>(wp), shift, ctrl); });
          return 0;
        case VK_LEFT: case VK_RIGHT:
          Edit(h, *d, [&] { return d->m.Key(static_cast<UINT>(wp), shift, ctrl); });
          return 0;
        default:
          break;
      }
      break;
    }
    case WM_LBUTTONDOWN: {
      if (GetFocus() != h) SetFocus(h);
      size_t p = PosAt(h, *d, GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
      size_t anchor = (wp & MK_SHIFT) ? d->m.Anchor() : p;
      d->m.SetSel(static_cast<long long>(anchor), static_cast<long long>(p));
      d->tracking = true;
      SetCapture(h);
      ScrollToCaret(h, *d);
      Redraw(h);
      return 0;
    }
    case WM_MOUSEMOVE:
      if (d->tracking) {
        size_t p = PosAt(h, *d, GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        if (p != d->m.Caret()) {
          d->m.SetSel(static_cast<long long>(d->m.Anchor()), static_cast<long long>(p));
          ScrollToCaret(h, *d);
          Redraw(h);
        }
      }
      return 0;
    case WM_LBUTTONUP:
      if (d->tracking) {
        d->tracking = false;
        ReleaseCapture();
      }
      return 0;
    case WM_CAPTURECHANGED:
      d->tracking = false;
      return 0;
    case WM_LBUTTONDBLCLK: {
      // A double click selects the word under the pointer.
      size_t p = PosAt(h, *d, GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
      size_t s = d->m.PrevWord(d->m.NextPos(p) == p ? p : d->m.NextPos(p));
      size_t e = s;
      const std::u16string& t = d->m.Text();
      while (e < t.size() && t[e] != u' ' && t[e] != u'\t' && t[e] != u'\r' && t[e] != u'\n') e = d->m.NextPos(e);
      d->m.SetSel(static_cast<long long>(s), static_cast<long long>(e));
      ScrollToCaret(h, *d);
      Redraw(h);
      return 0;
    }
    case WM_CLEAR:
      if (d->m.ReadOnly() || !d->m.HasSelection()) return 0;
      Edit(h, *d, [&] { return d->m.Key(VK_DELETE, false, false); });
      return 0;
    case WM_COPY:
    case WM_CUT:
      // A password stays in its edit; a read-only edit gives its text but keeps it.
      if (d->m.PasswordChar() || !d->m.HasSelection()) return 0;
      PutOnClipboard(h, d->m.SelectedText());
      if (msg == WM_CUT) SendMessageW(h, WM_CLEAR, 0, 0);
      return 0;
    case WM_PASTE: {
      if (d->m.ReadOnly()) return 0;
      std::u16string text = ClipboardText(h);
      if (text.empty()) return 0;
      Edit(h, *d, [&] { return d->m.ReplaceSel(text); });
      return 0;
    }
    case EM_GETSEL: {
      DWORD s = static_cast<DWORD>(OutPos(*d, d->m.SelStart()));
      DWORD e = static_cast<DWORD>(OutPos(*d, d->m.SelEnd()));
      if (wp) *reinterpret_cast<DWORD*>(wp) = s;
      if (lp) *reinterpret_cast<DWORD*>(lp) = e;
      return static_cast<LRESULT>(static_cast<DWORD>(std::min<DWORD>(s, 0xFFFF) | (std::min<DWORD>(e, 0xFFFF) << 16)));
    }
    case EM_SETSEL: {
      long long s = static_cast<int>(static_cast<DWORD>(wp)), e = static_cast<int>(static_cast<DWORD>(lp));
      if (d->m.CountsBytes()) {
        if (s > 0) s = static_cast<long long>(d->m.FromAnsiPos(static_cast<size_t>(s)));
        if (e > 0) e = static_cast<long long>(d->m.FromAnsiPos(static_cast<size_t>(e)));
      }
      d->m.SetSel(s, e);
      ScrollToCaret(h, *d);
      Redraw(h);
      return 0;
    }
    case EM_REPLACESEL: {
      std::u16string_view text = lp ? std::u16string_view(reinterpret_cast<const char16_t*>(lp)) : std::u16string_view();
      Edit(h, *d, [&] { return d->m.ReplaceSel(text); });
      if (!wp) d->canUndo = false;
      return 0;
    }
    case EM_LIMITTEXT:  // EM_SETLIMITTEXT has the same number
      d->m.SetLimit(static_cast<size_t>(wp));
      return 0;
    case EM_GETLIMITTEXT:
      return static_cast<LRESULT>(d->m.Limit());
    case EM_SETREADONLY: {
      d->m.SetReadOnly(wp != 0);
      LONG st = GetWindowLongW(h, GWL_STYLE);
      st = wp ? (st | static_cast<LONG>(ES_READONLY)) : (st & ~static_cast<LONG>(ES_READONLY));
      SetWindowLongW(h, GWL_STYLE, st);
      Redraw(h);
      return TRUE;
    }
    case EM_SETPASSWORDCHAR:
      if (d->m.Multiline()) return 0;
      d->m.SetPasswordChar(static_cast<char16_t>(wp));
      {
        LONG st = GetWindowLongW(h, GWL_STYLE);
        st = wp ? (st | static_cast<LONG>(ES_PASSWORD)) : (st & ~static_cast<LONG>(ES_PASSWORD));
        SetWindowLongW(h, GWL_STYLE, st);
      }
      d->scrollX = 0;
      ScrollToCaret(h, *d);
      Redraw(h);
      return 0;
    case EM_GETPASSWORDCHAR:
      return d->m.PasswordChar();
    case EM_GETMODIFY:
      return d->m.Modified() ? TRUE : FALSE;
    case EM_SETMODIFY:
      d->m.SetModified(wp != 0);
      return 0;
    case EM_CANUNDO:
      return d->canUndo ? TRUE : FALSE;
    case EM_EMPTYUNDOBUFFER:
      d->canUndo = false;
      return 0;
    case EM_UNDO: {
      if (!d->canUndo) return FALSE;
      std::u16string cur = d->m.Text();
      size_t a = d->m.Anchor(), c = d->m.Caret();
      d->m.SetText(d->undoText);
      d->m.SetModified(true);
      d->m.SetSel(static_cast<long long>(d->undoAnchor), static_cast<long long>(d->undoCaret));
      // Undo again redoes.
      d->undoText = std::move(cur);
      d->undoAnchor = a;
      d->undoCaret = c;
      EditResult r;
      r.changed = r.selMoved = true;
      Changed(h, *d, r);
      return TRUE;
    }
    case EM_GETLINECOUNT:
      return static_cast<LRESULT>(Lines(h, *d, d->m.Text()).size());
    case EM_LINEINDEX: {
      auto lines = Lines(h, *d, d->m.Text());
      int l = static_cast<int>(wp) == -1 ? static_cast<int>(LineOf(lines, d->m.Caret())) : static_cast<int>(wp);
      if (l < 0 || l >= static_cast<int>(lines.size())) return -1;
      return static_cast<LRESULT>(OutPos(*d, lines[static_cast<size_t>(l)].start));
    }
    case EM_LINEFROMCHAR: {
      auto lines = Lines(h, *d, d->m.Text());
      size_t p = static_cast<int>(wp) == -1 ? d->m.Caret() : InPos(*d, static_cast<size_t>(wp));
      return static_cast<LRESULT>(LineOf(lines, p));
    }
    case EM_LINELENGTH: {
      auto lines = Lines(h, *d, d->m.Text());
      size_t p = static_cast<int>(wp) == -1 ? d->m.Caret() : InPos(*d, static_cast<size_t>(wp));
      const Line& l = lines[LineOf(lines, p)];
      return static_cast<LRESULT>(OutPos(*d, l.end) - OutPos(*d, l.start));
    }
    case EM_GETLINE: {
      // The buffer's first word gives its size; the line is not terminated.
      auto lines = Lines(h, *d, d->m.Text());
      if (!lp || wp >= lines.size()) return 0;
      auto* buf = reinterpret_cast<char16_t*>(lp);
      size_t cap = *reinterpret_cast<WORD*>(lp);
      const Line& l = lines[wp];
      size_t n = std::min(cap, l.end - l.start);
      std::copy_n(d->m.Text().data() + l.start, n, buf);
      return static_cast<LRESULT>(n);
    }
    case EM_POSFROMCHAR: {
      size_t p = d->m.Clamp(static_cast<size_t>(wp));
      std::u16string shown = d->m.DisplayText();
      auto lines = Lines(h, *d, shown);
      size_t dp = d->m.DisplayPos(p);
      size_t li = LineOf(lines, dp);
      HDC dc = GetDC(h);
      HGDIOBJ old = SelectObject(dc, ControlFont(d->font));
      int x = d->marginL + paint::TextWidth(dc, std::u16string_view(shown).substr(lines[li].start), dp - lines[li].start) -
              d->scrollX;
      SelectObject(dc, old);
      ReleaseDC(h, dc);
      x += AlignOffset(h, *d);
      dc = GetDC(h);
      old = SelectObject(dc, ControlFont(d->font));
      SelectObject(dc, old);
      ReleaseDC(h, dc);
      int y = d->m.Multiline() ? (static_cast<int>(li) - d->firstLine) * LineHeight(h, *d) : 0;
      return static_cast<LRESULT>(MAKELONG(x, y));
    }
    case EM_CHARFROMPOS: {
      size_t p = PosAt(h, *d, GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
      auto lines = Lines(h, *d, d->m.Text());
      return static_cast<LRESULT>(MAKELONG(static_cast<WORD>(p), static_cast<WORD>(LineOf(lines, p))));
    }
    case EM_SCROLLCARET:
      ScrollToCaret(h, *d);
      Redraw(h);
      return TRUE;
    case EM_SETMARGINS:
      if (wp & EC_LEFTMARGIN) d->marginL = LOWORD(lp);
      if (wp & EC_RIGHTMARGIN) d->marginR = HIWORD(lp);
      Redraw(h);
      return 0;
    case EM_GETMARGINS:
      return static_cast<LRESULT>(MAKELONG(d->marginL, d->marginR));
    case EM_GETRECT:
      if (lp) {
        RECT r;
        GetClientRect(h, &r);
        r.left += d->marginL;
        r.right -= d->marginR;
        *reinterpret_cast<RECT*>(lp) = r;
      }
      return 0;
    case EM_GETFIRSTVISIBLELINE:
      return d->m.Multiline() ? d->firstLine : 0;
    case WM_VSCROLL:
      ScrollBy(h, *d, LOWORD(wp), static_cast<short>(HIWORD(wp)));
      return 0;
    case EM_SCROLL: {
      if (!d->m.Multiline()) return FALSE;
      int moved = ScrollBy(h, *d, static_cast<int>(wp), 0);
      return static_cast<LRESULT>(MAKELONG(static_cast<WORD>(moved), TRUE));
    }
    case EM_LINESCROLL: {
      // Characters sideways (average widths, not while wrapping) and lines up and down.
      if (!d->m.Multiline()) return FALSE;
      if (wp && !WrapsWords(h, *d)) {
        const TEXTMETRICW tm = FontMetrics(h, d->font);
        d->scrollX = std::max(0, d->scrollX + static_cast<int>(static_cast<INT_PTR>(wp)) * static_cast<int>(tm.tmAveCharWidth));
        Redraw(h);
      }
      ScrollLines(h, *d, static_cast<int>(lp));
      return TRUE;
    }
    case WM_MOUSEWHEEL:
      if (!d->m.Multiline()) break;
      ScrollLines(h, *d, GET_WHEEL_DELTA_WPARAM(wp) > 0 ? -3 : 3);
      return 0;
    case WM_SIZE:
      // The lines may wrap anew; keep the first shown line in range and the caret's x valid.
      if (d->m.Multiline()) ScrollLines(h, *d, 0);
      Redraw(h);
      break;
    default:
      break;
  }
  return DefWindowProcW(h, msg, wp, lp);
}

}  // namespace

ATOM RegisterEditClass() {
  return RegisterControlClass(u"Edit", EditProc, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, IDC_IBEAM);
}

}  // namespace winplat::controls
