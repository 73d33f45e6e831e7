// Window procedures as values, and the conversion of messages between ANSI and Unicode
// procedures.
#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>

#include "internal/text.h"
#include "internal/wide_calls.h"
#include "user_internal.h"
#include "winnls.h"

namespace winplat::user {

namespace {

// Handles: 0xFFFFFFFFFF000000 | (index + 1): a sign-extended 32-bit value no code lives at.
constexpr LONG_PTR kHandleBase = static_cast<LONG_PTR>(static_cast<int32_t>(0xFF000000u));
constexpr LONG_PTR kHandleMask = 0xFFFFFF;

std::mutex g_proc_mutex;
std::vector<Proc>& Entries() {
  static auto* v = new std::vector<Proc>;
  return *v;
}
std::map<std::pair<WNDPROC, bool>, size_t>& PlainIndex() {
  static auto* m = new std::map<std::pair<WNDPROC, bool>, size_t>;
  return *m;
}
std::map<const Callable*, size_t>& CallableIndex() {
  static auto* m = new std::map<const Callable*, size_t>;
  return *m;
}

thread_local bool t_call_unicode = false;

LRESULT Invoke(const Proc& p, HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  // The kind of this call while it runs; the caller's again after it.
  struct KindScope {
    bool saved;
    explicit KindScope(bool unicode) : saved(t_call_unicode) { t_call_unicode = unicode; }
    ~KindScope() { t_call_unicode = saved; }
  } scope(p.unicode);
  if (p.callable) return (*p.callable)(h, msg, wp, lp);
  if (p.fn) return p.fn(h, msg, wp, lp);
  return 0;
}

bool ListHasStrings(HWND h) {
  auto w = PeekWnd(h);
  if (!w || !(IsControlKind(*w, u"LISTBOX") || IsControlKind(*w, u"ComboLBox"))) return false;
  return !(w->style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) || (w->style & LBS_HASSTRINGS);
}

// A list without data holds no item data a caller could mean: the text of a row, when a
// procedure of the window answers it, is text, converted like a list's strings.
bool ListAnswersText(HWND h) {
  if (ListHasStrings(h)) return true;
  auto w = PeekWnd(h);
  return w && IsControlKind(*w, u"LISTBOX") && (w->style & LBS_NODATA);
}

bool IsStringInMessage(HWND h, UINT msg) {
  switch (msg) {
    case WM_SETTEXT: case WM_SETTINGCHANGE: case EM_REPLACESEL: return true;
    case LB_ADDSTRING: case LB_INSERTSTRING: case LB_FINDSTRING: case LB_FINDSTRINGEXACT:
    case LB_SELECTSTRING: return ListHasStrings(h);
    case LB_DIR: case LB_ADDFILE: return true;
    default: return false;
  }
}

bool IsCharMessage(UINT msg) {
  return msg == WM_CHAR || msg == WM_DEADCHAR || msg == WM_SYSCHAR || msg == WM_SYSDEADCHAR;
}

}  // namespace

bool AnsiCharToWide(CharPath path, UINT msg, WPARAM& wp) {
  // One waiting lead byte per thread and path, as the platform keeps them.
  thread_local uint8_t held[2] = {0, 0};
  uint8_t& lead = held[static_cast<int>(path)];
  const uint8_t low = static_cast<uint8_t>(wp & 0xFF), high = static_cast<uint8_t>((wp >> 8) & 0xFF);
  char bytes[2];
  int n = 0;
  if (msg == WM_CHAR) {
    if (high) {  // trail << 8 | lead: the whole character at once
      bytes[n++] = static_cast<char>(low);
      bytes[n++] = static_cast<char>(high);
      lead = 0;
    } else if (lead) {
      bytes[n++] = static_cast<char>(lead);
      bytes[n++] = static_cast<char>(low);
      lead = 0;
    } else if (IsDBCSLeadByte(low)) {
      lead = low;  // the trail byte completes the character
      return false;
    } else {
      bytes[n++] = static_cast<char>(low);
    }
  } else {
    // The other character messages carry the whole character; a lone lead byte is invalid.
    bytes[n++] = static_cast<char>(low);
    if (high) bytes[n++] = static_cast<char>(high);
  }
  const std::u16string w = A2W(bytes, n);
  wp = (wp & ~static_cast<WPARAM>(0xFFFF)) | (w.empty() ? 0 : w[0]);
  return true;
}

namespace {

// ANSI caller, Unicode procedure.
LRESULT CallAtoW(const Proc& p, HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (IsStringInMessage(h, msg)) {
    if (!lp) return Invoke(p, h, msg, wp, lp);
    const std::u16string w = A2W(reinterpret_cast<const char*>(lp));
    return Invoke(p, h, msg, wp, reinterpret_cast<LPARAM>(w.c_str()));
  }
  if (IsCharMessage(msg)) {
    if (!AnsiCharToWide(CharPath::Send, msg, wp)) return 0;
    return Invoke(p, h, msg, wp, lp);
  }
  switch (msg) {
    case WM_IME_CHAR: {
      char bytes[2];
      int n = 0;
      if (wp > 0xFF) bytes[n++] = static_cast<char>((wp >> 8) & 0xFF);
      bytes[n++] = static_cast<char>(wp & 0xFF);
      const std::u16string w = A2W(bytes, n);
      return Invoke(p, h, msg, w.empty() ? 0 : w[0], lp);
    }
    case EM_SETPASSWORDCHAR: {
      if (wp == 0) return Invoke(p, h, msg, 0, lp);
      char c = static_cast<char>(wp & 0xFF);
      const std::u16string w = A2W(&c, 1);
      return Invoke(p, h, msg, w.empty() ? 0 : w[0], lp);
    }
    case WM_GETTEXT: {
      if (wp == 0 || !lp) return 0;
      // The wide text may take more units than the bytes asked for (a surrogate pair narrows to
      // one byte): the window is asked for all of it, the bytes are cut below.
      const LRESULT units = Invoke(p, h, WM_GETTEXTLENGTH, 0, 0);
      const size_t room = std::max<size_t>(wp, units > 0 ? static_cast<size_t>(units) + 1 : 0);
      std::u16string buf(room + 1, u'\0');
      const LRESULT r = Invoke(p, h, msg, room, reinterpret_cast<LPARAM>(buf.data()));
      buf.resize(r > 0 && static_cast<size_t>(r) <= room ? static_cast<size_t>(r) : 0);
      buf = buf.c_str();
      std::string a = W2A(buf);
      size_t keep = a.size() < wp - 1 ? a.size() : wp - 1;
      // Never cut a double-byte character in two.
      size_t i = 0;
      while (i < keep) {
        const size_t step = IsDBCSLeadByte(static_cast<BYTE>(a[i])) && i + 1 < a.size() ? 2 : 1;
        if (i + step > keep) break;
        i += step;
      }
      keep = i;
      std::memcpy(reinterpret_cast<char*>(lp), a.data(), keep);
      reinterpret_cast<char*>(lp)[keep] = '\0';
      return static_cast<LRESULT>(keep);
    }
    case EM_GETLINE: {
      // The line in bytes of the code page; the buffer's first word gives its size in bytes.
      if (!lp) return Invoke(p, h, msg, wp, lp);
      const WORD cap = *reinterpret_cast<const WORD*>(lp);
      std::u16string buf(static_cast<size_t>(cap) + 2, u'\0');
      *reinterpret_cast<WORD*>(buf.data()) = cap;
      const LRESULT r = Invoke(p, h, msg, wp, reinterpret_cast<LPARAM>(buf.data()));
      if (r <= 0) return r;
      const std::string a = W2A(buf.substr(0, std::min<size_t>(static_cast<size_t>(r), cap)));
      size_t keep = 0;
      while (keep < a.size()) {
        const size_t step = IsDBCSLeadByte(static_cast<BYTE>(a[keep])) && keep + 1 < a.size() ? 2 : 1;
        if (keep + step > cap) break;
        keep += step;
      }
      std::memcpy(reinterpret_cast<char*>(lp), a.data(), keep);
      return static_cast<LRESULT>(keep);
    }
    case WM_GETTEXTLENGTH: {
      // The exact length in bytes: the wide text converted.
      const LRESULT units = Invoke(p, h, msg, wp, lp);
      if (units <= 0) return units;
      std::u16string buf(static_cast<size_t>(units) + 1, u'\0');
      const LRESULT r = Invoke(p, h, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()));
      if (r < 0) return units * 2;
      buf.resize(static_cast<size_t>(r));
      return static_cast<LRESULT>(W2A(buf).size());
    }
    case LB_GETTEXT:
    case LB_GETTEXTLEN: {
      if (!ListAnswersText(h)) return Invoke(p, h, msg, wp, lp);
      const LRESULT units = Invoke(p, h, LB_GETTEXTLEN, wp, 0);
      if (units < 0) return units;
      std::u16string buf(static_cast<size_t>(units) + 1, u'\0');
      Invoke(p, h, LB_GETTEXT, wp, reinterpret_cast<LPARAM>(buf.data()));
      buf.resize(static_cast<size_t>(units));
      const std::string a = W2A(buf.c_str());
      if (msg == LB_GETTEXT && lp) std::memcpy(reinterpret_cast<char*>(lp), a.c_str(), a.size() + 1);
      return static_cast<LRESULT>(a.size());
    }
    case WM_NCCREATE:
    case WM_CREATE: {
      auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
      if (!cs) return Invoke(p, h, msg, wp, lp);
      CREATESTRUCTW csw;
      std::memcpy(&csw, cs, sizeof csw);
      std::u16string name, cls;
      if (cs->lpszName) {
        name = A2W(cs->lpszName);
        csw.lpszName = name.c_str();
      }
      if (cs->lpszClass && !IS_INTRESOURCE(cs->lpszClass)) {
        cls = A2W(cs->lpszClass);
        csw.lpszClass = cls.c_str();
      }
      return Invoke(p, h, msg, wp, reinterpret_cast<LPARAM>(&csw));
    }
    default:
      return Invoke(p, h, msg, wp, lp);
  }
}

// Unicode caller, ANSI procedure.
LRESULT CallWtoA(const Proc& p, HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (IsStringInMessage(h, msg)) {
    if (!lp) return Invoke(p, h, msg, wp, lp);
    const std::string a = W2A(reinterpret_cast<const char16_t*>(lp));
    return Invoke(p, h, msg, wp, reinterpret_cast<LPARAM>(a.c_str()));
  }
  if (IsCharMessage(msg)) {
    auto win = PeekWnd(h);
    const char16_t u = static_cast<char16_t>(wp & 0xFFFF);
    std::u16string w;
    if (u >= 0xD800 && u <= 0xDBFF) {
      if (win) win->pendingHigh = u;  // waits for the low surrogate
      return 0;
    }
    if (u >= 0xDC00 && u <= 0xDFFF && win && win->pendingHigh) w.push_back(win->pendingHigh);
    if (win) win->pendingHigh = 0;
    w.push_back(u);
    const std::string a = W2A(w);
    LRESULT r = 0;
    // A double-byte character arrives as two messages: the lead byte, then the trail byte.
    for (char c : a) r = Invoke(p, h, msg, static_cast<uint8_t>(c), lp);
    return r;
  }
  switch (msg) {
    case WM_IME_CHAR: {
      const std::u16string w(1, static_cast<char16_t>(wp & 0xFFFF));
      const std::string a = W2A(w);
      WPARAM packed = 0;
      for (char c : a) packed = (packed << 8) | static_cast<uint8_t>(c);
      return Invoke(p, h, msg, packed, lp);
    }
    case EM_SETPASSWORDCHAR: {
      if (wp == 0) return Invoke(p, h, msg, 0, lp);
      const std::string a = W2A(std::u16string(1, static_cast<char16_t>(wp)));
      return Invoke(p, h, msg, a.empty() ? 0 : static_cast<uint8_t>(a[0]), lp);
    }
    case WM_GETTEXT: {
      if (wp == 0 || !lp) return 0;
      std::string buf(wp * 2 + 2, '\0');
      const LRESULT r = Invoke(p, h, msg, wp * 2 + 1, reinterpret_cast<LPARAM>(buf.data()));
      buf.resize(r > 0 && static_cast<size_t>(r) <= wp * 2 + 1 ? static_cast<size_t>(r) : 0);
      std::u16string w = A2W(buf.c_str());
      size_t keep = w.size() < wp - 1 ? w.size() : wp - 1;
      if (keep > 0 && keep < w.size() && w[keep - 1] >= 0xD800 && w[keep - 1] <= 0xDBFF) --keep;
      std::memcpy(reinterpret_cast<char16_t*>(lp), w.data(), keep * 2);
      reinterpret_cast<char16_t*>(lp)[keep] = 0;
      return static_cast<LRESULT>(keep);
    }
    case EM_GETLINE: {
      // The buffer's first word gives its size in UTF-16 units; the procedure writes bytes.
      if (!lp) return Invoke(p, h, msg, wp, lp);
      const WORD cap = *reinterpret_cast<const WORD*>(lp);
      const size_t bytes = std::min<size_t>(static_cast<size_t>(cap) * 2, 0xFFFF);
      std::string buf(bytes + 2, '\0');
      *reinterpret_cast<WORD*>(buf.data()) = static_cast<WORD>(bytes);
      const LRESULT r = Invoke(p, h, msg, wp, reinterpret_cast<LPARAM>(buf.data()));
      if (r <= 0) return r;
      const std::u16string w = A2W(buf.data(), static_cast<int>(std::min<size_t>(static_cast<size_t>(r), bytes)));
      size_t keep = std::min<size_t>(w.size(), cap);
      if (keep > 0 && keep < w.size() && w[keep - 1] >= 0xD800 && w[keep - 1] <= 0xDBFF) --keep;
      std::memcpy(reinterpret_cast<char16_t*>(lp), w.data(), keep * 2);
      return static_cast<LRESULT>(keep);
    }
    case WM_GETTEXTLENGTH: {
      const LRESULT bytes = Invoke(p, h, msg, wp, lp);
      if (bytes <= 0) return bytes;
      std::string buf(static_cast<size_t>(bytes) + 1, '\0');
      const LRESULT r = Invoke(p, h, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()));
      if (r < 0) return bytes;
      buf.resize(static_cast<size_t>(r));
      return static_cast<LRESULT>(A2W(buf.c_str()).size());
    }
    case LB_GETTEXT:
    case LB_GETTEXTLEN: {
      if (!ListAnswersText(h)) return Invoke(p, h, msg, wp, lp);
      const LRESULT bytes = Invoke(p, h, LB_GETTEXTLEN, wp, 0);
      if (bytes < 0) return bytes;
      std::string buf(static_cast<size_t>(bytes) + 1, '\0');
      Invoke(p, h, LB_GETTEXT, wp, reinterpret_cast<LPARAM>(buf.data()));
      const std::u16string w = A2W(buf.c_str());
      if (msg == LB_GETTEXT && lp) std::memcpy(reinterpret_cast<char16_t*>(lp), w.c_str(), (w.size() + 1) * 2);
      return static_cast<LRESULT>(w.size());
    }
    case WM_NCCREATE:
    case WM_CREATE: {
      auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
      if (!cs) return Invoke(p, h, msg, wp, lp);
      CREATESTRUCTA csa;
      std::memcpy(&csa, cs, sizeof csa);
      std::string name, cls;
      if (cs->lpszName) {
        name = W2A(cs->lpszName);
        csa.lpszName = name.c_str();
      }
      if (cs->lpszClass && !IS_INTRESOURCE(cs->lpszClass)) {
        cls = W2A(cs->lpszClass);
        csa.lpszClass = cls.c_str();
      }
      return Invoke(p, h, msg, wp, reinterpret_cast<LPARAM>(&csa));
    }
    default:
      return Invoke(p, h, msg, wp, lp);
  }
}

}  // namespace

std::u16string A2W(const char* s, int len) {
  if (!s) return {};
  return AnsiToWide(len < 0 ? std::string_view(s) : std::string_view(s, static_cast<size_t>(len)));
}
std::string W2A(const std::u16string& s) { return WideToAnsi(s); }

bool IsProcHandle(LONG_PTR value) { return (value & ~kHandleMask) == kHandleBase && (value & kHandleMask) != 0; }

LONG_PTR ProcHandleOf(const Proc& p) {
  std::lock_guard<std::mutex> lock(g_proc_mutex);
  auto& entries = Entries();
  size_t index;
  if (p.callable) {
    auto it = CallableIndex().find(p.callable.get());
    if (it != CallableIndex().end()) return kHandleBase | static_cast<LONG_PTR>(it->second + 1);
    index = entries.size();
    entries.push_back(p);
    CallableIndex()[p.callable.get()] = index;
  } else {
    if (!p.fn) return 0;
    auto key = std::make_pair(p.fn, p.unicode);
    auto it = PlainIndex().find(key);
    if (it != PlainIndex().end()) return kHandleBase | static_cast<LONG_PTR>(it->second + 1);
    index = entries.size();
    entries.push_back(p);
    PlainIndex()[key] = index;
  }
  return kHandleBase | static_cast<LONG_PTR>(index + 1);
}

Proc ResolveProc(LONG_PTR value, bool unicode) {
  if (IsProcHandle(value)) {
    std::lock_guard<std::mutex> lock(g_proc_mutex);
    const size_t index = static_cast<size_t>((value & kHandleMask) - 1);
    if (index >= Entries().size()) return Proc{};
    Proc p = Entries()[index];
    if (p.followsCaller) p.unicode = unicode;
    return p;
  }
  Proc p;
  p.fn = reinterpret_cast<WNDPROC>(value);
  p.unicode = unicode;
  return p;
}

LONG_PTR ProcValueFor(const Proc& p, bool callerUnicode, bool narrow32) {
  if (!p.Valid()) return 0;
  if (!narrow32 && p.fn && !p.callable && p.unicode == callerUnicode) return reinterpret_cast<LONG_PTR>(p.fn);
  return ProcHandleOf(p);
}

LRESULT CallProc(const Proc& p, bool callerUnicode, HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (!p.Valid()) return 0;
  if (p.unicode == callerUnicode) return Invoke(p, h, msg, wp, lp);
  return callerUnicode ? CallWtoA(p, h, msg, wp, lp) : CallAtoW(p, h, msg, wp, lp);
}

Proc AnsiFaceOf(WindowClass& cls) {
  if (!cls.proc.unicode) return cls.proc;
  if (!cls.ansiFace.Valid()) {
    const Proc unicodeProc = cls.proc;
    cls.ansiFace.callable = std::make_shared<Callable>([unicodeProc](HWND h, UINT msg, WPARAM wp, LPARAM lp) {
      return CallProc(unicodeProc, false, h, msg, wp, lp);
    });
    cls.ansiFace.unicode = false;
  }
  return cls.ansiFace;
}

WNDPROC RegisterProcedure(std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)> callable, bool unicode) {
  Proc p;
  p.callable = std::make_shared<Callable>(std::move(callable));
  p.unicode = unicode;
  return reinterpret_cast<WNDPROC>(ProcHandleOf(p));
}

WNDPROC RegisterCallerKindProcedure(std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)> callable) {
  Proc p;
  p.callable = std::make_shared<Callable>(std::move(callable));
  p.followsCaller = true;
  return reinterpret_cast<WNDPROC>(ProcHandleOf(p));
}

bool CallIsUnicode() { return t_call_unicode; }

AnsiCallScope::AnsiCallScope() : saved_(t_call_unicode) { t_call_unicode = false; }
AnsiCallScope::~AnsiCallScope() { t_call_unicode = saved_; }

void UnregisterProcedure(WNDPROC proc) {
  const LONG_PTR v = reinterpret_cast<LONG_PTR>(proc);
  if (!IsProcHandle(v)) return;
  std::lock_guard<std::mutex> lock(g_proc_mutex);
  const size_t index = static_cast<size_t>((v & kHandleMask) - 1);
  if (index >= Entries().size() || !Entries()[index].callable) return;
  CallableIndex().erase(Entries()[index].callable.get());
  // The slot stays (values stay unique); calls through it answer 0.
  Entries()[index].callable = std::make_shared<Callable>([](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; });
}

}  // namespace winplat::user

using namespace winplat::user;

LRESULT WINAPI CallWindowProcA(WNDPROC prev, HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (!prev) return 0;
  return CallProc(ResolveProc(reinterpret_cast<LONG_PTR>(prev), false), false, h, msg, wp, lp);
}

LRESULT WINAPI CallWindowProcW(WNDPROC prev, HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (VSE_WIDE_CALL_REFUSED()) return 0;
  if (!prev) return 0;
  return CallProc(ResolveProc(reinterpret_cast<LONG_PTR>(prev), true), true, h, msg, wp, lp);
}

VSE_EXPORT("user32.dll", CallWindowProcA);
VSE_EXPORT("user32.dll", CallWindowProcW);
