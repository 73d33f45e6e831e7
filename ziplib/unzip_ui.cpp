#include "ziplib/unzip_ui.h"

#include <cinttypes>
#include <cstdio>
#include <deque>
#include <mutex>

#include "mfc/afx.h"
#include "ziplib/dlgextmsg.h"
#include "winplat_screen.h"

namespace zipvault {

namespace {
std::mutex g_input_mutex;
std::deque<std::string> g_password_input;

constexpr size_t PASSWORD_MAX = 80;

std::string time_and_size(const FILETIME& ft, uint64_t size) {
  FILETIME local{};
  SYSTEMTIME st{};
  FileTimeToLocalFileTime(&ft, &local);
  FileTimeToSystemTime(&local, &st);
  char buf[128];
  snprintf(buf, sizeof buf, " %d-%02d-%02d  %02d:%02d:%02d   %s", st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute,
           st.wSecond, overwrite_size_text(size).c_str());
  return buf;
}

int answer(HWND owner, const std::string& text, const char* caption, UINT type) {
  winplat::screen::MessageBoxRequest r;
  r.owner = owner;
  r.text = ansi_to_wide(text);
  r.caption = ansi_to_wide(caption);
  r.type = type;
  r.defaultButton = winplat::screen::DefaultButton(type);
  return winplat::screen::AnswerMessageBox(r);
}
}  // namespace

std::u16string ansi_to_wide(const std::string& s) {
  if (s.empty()) return {};
  int n = MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  if (n <= 0) return {};
  std::u16string w(static_cast<size_t>(n), u'\0');
  MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), reinterpret_cast<LPWSTR>(w.data()), n);
  return w;
}

std::string wide_to_ansi(const std::u16string& w) {
  if (w.empty()) return {};
  auto src = reinterpret_cast<LPCWSTR>(w.data());
  int n = WideCharToMultiByte(CP_ACP, 0, src, static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string s(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, src, static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
  return s;
}

int unzip_message_box(HWND, const std::string& text, UINT type) { return AfxMessageBox(text.c_str(), type); }

void script_password_input(const std::string& text) {
  std::lock_guard<std::mutex> lock(g_input_mutex);
  g_password_input.push_back(text);
}

void clear_password_input() {
  std::lock_guard<std::mutex> lock(g_input_mutex);
  g_password_input.clear();
}

int ask_password_dialog(HWND owner, std::string* password) {
  int r = answer(owner, "この書庫は、パスワードにより保護されています。\nパスワードを入力してください。",
                 "パスワードの入力", MB_OKCANCEL | MB_ICONEXCLAMATION);
  std::string typed;
  {
    std::lock_guard<std::mutex> lock(g_input_mutex);
    if (!g_password_input.empty()) {
      typed = g_password_input.front();
      g_password_input.pop_front();
    }
  }
  if (r != IDOK) return IDCANCEL;
  // The edit control holds at most 80 characters.
  if (typed.size() > PASSWORD_MAX) typed.resize(PASSWORD_MAX);
  *password = typed;
  return IDOK;
}

std::string overwrite_size_text(uint64_t n) { return CDlgExtMsg::SizeText(n); }

int ask_overwrite_dialog(HWND owner, const std::string& name, const FILETIME& entry_time, uint64_t entry_size,
                         const FILETIME& file_time, uint64_t file_size, bool* all) {
  std::string text = "指定されたファイルがすでに存在します。\n" + name + "\n書庫内のファイル :" +
                     time_and_size(entry_time, entry_size) + "\nディスク内のファイル :" +
                     time_and_size(file_time, file_size) + "\n書庫内のファイルで上書きしますか？";
  *all = false;
  int r = answer(owner, text, "ファイルの上書き", MB_YESNO | MB_ICONEXCLAMATION);
  if (r == IDC_OVERWRITE_ALL) {
    *all = true;
    return IDOK;
  }
  return (r == IDYES || r == IDOK) ? IDOK : IDCANCEL;
}

bool dos_to_filetime(uint16_t date, uint16_t time, FILETIME* ft) {
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(1980 + (date >> 9));
  st.wMonth = static_cast<WORD>((date >> 5) & 0x0F);
  st.wDay = static_cast<WORD>(date & 0x1F);
  st.wHour = static_cast<WORD>(time >> 11);
  st.wMinute = static_cast<WORD>((time >> 5) & 0x3F);
  st.wSecond = static_cast<WORD>(2 * (time & 0x1F));
  if (st.wMonth < 1 || st.wMonth > 12 || st.wDay < 1 || st.wHour > 23 || st.wMinute > 59 || st.wSecond > 59)
    return false;
  FILETIME local{};
  if (!SystemTimeToFileTime(&st, &local)) return false;
  return LocalFileTimeToFileTime(&local, ft) != 0;
}

}  // namespace zipvault
