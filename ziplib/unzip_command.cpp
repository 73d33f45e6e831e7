// The Unzip command: splitting the command line, the option letters, the destination, the output
// buffer and the run.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "mfc/afxdlg.h"
#include "ziplib/dlgextmsg.h"
#include "ziplib/unzip.h"
#include "ziplib/unzip_ui.h"

namespace zipvault {

namespace {
// Whitespace of a list-file line, as wide characters (the ideographic space counts).
bool wide_blank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == 0x3000; }

bool read_list_file(const std::string& name, std::vector<std::string>* lines) {
  HANDLE h = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  std::string data;
  char buf[4096];
  DWORD got = 0;
  while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0) data.append(buf, got);
  CloseHandle(h);
  size_t i = 0;
  while (i < data.size()) {
    size_t j = data.find('\n', i);   // '\n' is never a trail byte
    if (j == std::string::npos) j = data.size();
    std::u16string w = ansi_to_wide(data.substr(i, j - i));
    while (!w.empty() && wide_blank(w.back())) w.pop_back();
    size_t k = 0;
    while (k < w.size() && wide_blank(w[k])) ++k;
    w.erase(0, k);
    if (!w.empty() && w.front() == u'"') w.erase(0, 1);
    if (!w.empty() && w.back() == u'"') w.pop_back();
    lines->push_back(wide_to_ansi(w));
    i = j + 1;
  }
  return true;
}
}  // namespace

void CUnZip::set_output(char* out, uint32_t outsize) {
  out_ = out;
  out_cap_ = out ? outsize : 0;   // no buffer, no capacity
  out_used_ = 0;
  if (out_cap_ > 0) out_[0] = '\0';
}

void CUnZip::append_output(const char* text, size_t len) {
  out_used_ += len;
  if (out_used_ < out_cap_) {
    memcpy(out_ + (out_used_ - len), text, len);
    out_[out_used_] = '\0';
  }
}

void CUnZip::append_name_line() {
  std::string s;
  for (unsigned char c : filename_) {
    if (c < 32) {
      s += '^';
      s += static_cast<char>(c + 64);
    } else {
      s += static_cast<char>(c);
    }
  }
  s += "\r\n";
  append_output(s);
}

bool CUnZip::split_command_line(const char* cmdline) {
  opt_.process_all = 1;
  names_.clear();
  std::vector<std::string> option_tokens;
  bool ok = true;
  // Tokens are cut on ASCII space and double quote, which are never trail bytes in the ANSI code
  // page, so the bytes can be scanned directly.
  const char* p = cmdline ? cmdline : "";
  for (;;) {
    while (*p == ' ') ++p;
    if (!*p) break;
    std::string tok;
    if (*p == '"') {
      ++p;
      const char* e = strchr(p, '"');
      if (!e) e = p + strlen(p);
      tok.assign(p, e);
      p = e;
    } else {
      const char* e = p;
      while (*e && *e != ' ') ++e;
      tok.assign(p, e);
      p = e;
    }
    if (!tok.empty() && tok[0] == '-') {
      option_tokens.push_back(tok);
    } else if (!tok.empty() && tok[0] == '@') {
      std::vector<std::string> lines;
      if (!read_list_file(tok.substr(1), &lines)) ok = false;
      for (auto& l : lines) {
        if (l.empty()) ok = false;
        else names_.push_back(l);
      }
    } else if (!tok.empty()) {
      names_.push_back(tok);
    }
    if (*p == '"') ++p;
    if (!*p) break;
    ++p;
  }
  if (names_.size() >= 3) opt_.process_all = 0;

  UnzipGlobals& g = unzip_globals();
  int neg = 0;
  auto sub = [&](int& v) {
    v = std::max(0, v - neg);
    neg = 0;
  };
  for (const std::string& t : option_tokens) {
    for (size_t i = 1; i < t.size(); ++i) {
      switch (t[i]) {
        case '-': ++neg; break;
        case '$': if (neg) sub(opt_.volflag); else ++opt_.volflag; break;
        case 'L': opt_.L_flag = neg ? 0 : 1; neg = 0; break;
        case 'V': opt_.V_flag = neg ? 0 : 1; neg = 0; break;
        case 'a': if (neg) sub(opt_.aflag); else ++opt_.aflag; break;
        case 'b': if (neg) neg = 0; else opt_.aflag = 0; break;
        case 'f': opt_.fflag = opt_.uflag = neg ? 0 : 1; neg = 0; break;
        case 'j': opt_.jflag = neg ? 0 : 1; neg = 0; break;
        case 'l': if (neg) sub(opt_.lflag); else ++opt_.lflag; break;
        case 'n': g.overwrite_never = neg ? 0 : 1; neg = 0; break;
        case 'o':
          if (neg) {
            g.overwrite_all[0] = std::max(0, g.overwrite_all[0] - neg);
            g.overwrite_all[1] = std::max(0, g.overwrite_all[1] - neg);
            neg = 0;
          } else {
            ++g.overwrite_all[0];
            ++g.overwrite_all[1];
          }
          break;
        case 't': opt_.tflag = neg ? 0 : 1; neg = 0; break;
        case 'u': opt_.uflag = neg ? 0 : 1; neg = 0; break;
        case 'v':
          if (neg) sub(opt_.lflag);
          else opt_.lflag = opt_.lflag == 0 ? 2 : opt_.lflag + 1;
          break;
        case 'x': opt_.xflag = 1; break;
        case 'z':
          if (neg) {
            opt_.zflag -= neg;
            neg = 0;
          } else {
            ++opt_.zflag;
          }
          break;
        default: break;
      }
    }
  }
  opt_.aflag = std::min(opt_.aflag, 2);
  if (g.overwrite_never && g.overwrite_all[0]) g.overwrite_all[0] = 0;
  return ok;
}

int CUnZip::run_command(HWND owner, const char* cmdline, char* out, uint32_t outsize) {
  reset_options();
  owner_ = owner;
  set_output(out, outsize);
  if (!split_command_line(cmdline)) return PK_ERR;
  if (names_.empty()) return PK_NOZIP;
  // Names stay relative to the caller's current folder: it is never changed.
  dest_.clear();
  if (names_.size() >= 2 && !names_[1].empty()) {
    dest_ = names_[1];
    std::u16string w = ansi_to_wide(dest_);
    if (!w.empty() && w.back() != u'/' && w.back() != u'\\') dest_ += '/';
    if (!make_directories(dest_, false)) return -1;
  }
  archive_ = names_[0];
  WaitCursor wait;
  if (opt_.lflag == 0 || opt_.tflag) open_progress(owner);
  int r = process_archive();
  close_progress();
  if (cancel_) return PK_ERR;
  return std::max(r, 0);
}

bool CUnZip::open_progress(HWND owner) {
  UnzipGlobals& g = unzip_globals();
  if (!owner || g.progress) return false;
  wnd_.Attach(owner);
  auto* d = new (std::nothrow) CDlgExtMsg();
  if (!d || !d->Create(&wnd_, CDlgExtMsg::Extract)) {
    delete d;
    wnd_.Detach();
    return false;
  }
  g.progress = d;
  own_dialog_ = true;
  return true;
}

void CUnZip::close_progress() {
  UnzipGlobals& g = unzip_globals();
  if (g.progress && g.progress->Cancelled()) cancel_ = true;
  if (!own_dialog_) return;
  CDlgExtMsg* d = g.progress;
  g.progress = nullptr;
  own_dialog_ = false;
  if (d) d->DestroyWindow();   // deletes the dialog
  wnd_.Detach();
  AfxPumpMessages(nullptr);
}

bool build_extract_all_command(const char* archive, const char* folder, uint32_t flags, std::string* cmd) {
  std::string a = archive ? archive : "", f = folder ? folder : "";
  // A double quote cannot be carried inside a quoted name.
  if (a.find('"') != std::string::npos || f.find('"') != std::string::npos) return false;
  std::string s = (flags & 0x4) ? "-f " : (flags & 0x8) ? "-x " : "-u ";
  if (flags & 0x10) s += "-j ";
  if (flags & 0x2) s += "-o ";
  if (flags & 0x1) s += "-n ";
  s += "\"" + a + "\" \"" + f + "\"";
  *cmd = s;
  return true;
}

}  // namespace zipvault
