#include "ziplib/unzip_ui.h"

#include "mfc/afx.h"
#include "mfc/rtlib.h"
#include "ziplib/dlgoverwrite.h"

namespace zipvault {

std::u16string bytes_to_wide(const std::string& s, UINT codepage) {
  if (s.empty()) return {};
  int n = MultiByteToWideChar(codepage, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  if (n <= 0) return {};
  std::u16string w(static_cast<size_t>(n), u'\0');
  MultiByteToWideChar(codepage, 0, s.data(), static_cast<int>(s.size()), reinterpret_cast<LPWSTR>(w.data()), n);
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

int ask_password_dialog(HWND owner, std::string* password) {
  CWnd parent;
  parent.m_hWnd = owner;
  CGetPassword dlg(&parent);
  if (dlg.DoModal() != IDOK) return IDCANCEL;
  // The password buffer holds 80 bytes: a double-byte character is never cut.
  const std::string& typed = dlg.m_password.str();
  size_t n = 0;
  while (n < typed.size()) {
    const size_t next = static_cast<size_t>(mfc::mb_inc(typed.c_str() + n) - typed.c_str());
    if (next > CGetPassword::MAX_CHARS) break;
    n = next;
  }
  *password = typed.substr(0, n);
  return IDOK;
}

std::string overwrite_size_text(uint64_t n) { return CDlgOverWrite::SizeText(n); }

int ask_overwrite_dialog(HWND owner, const std::string& name, const FILETIME& entry_time, uint64_t entry_size,
                         const FILETIME& file_time, uint64_t file_size, bool* all) {
  CWnd parent;
  parent.m_hWnd = owner;
  CDlgOverWrite dlg(&parent);
  dlg.m_name = name;
  dlg.m_entry_time = entry_time;
  dlg.m_entry_size = entry_size;
  dlg.m_file_time = file_time;
  dlg.m_file_size = file_size;
  const INT_PTR r = dlg.DoModal();
  *all = r == IDOK && dlg.m_all;
  return r == IDOK ? IDOK : IDCANCEL;
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
