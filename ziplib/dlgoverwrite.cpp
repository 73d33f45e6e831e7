#include "ziplib/dlgoverwrite.h"

#include <cstdio>

#include "mfc/resources.h"

namespace zipvault {

namespace {
std::string Commas(uint64_t v) {
  std::string d = std::to_string(v), out;
  for (size_t i = 0; i < d.size(); ++i) {
    if (i && (d.size() - i) % 3 == 0) out += ',';
    out += d[i];
  }
  return out;
}
}  // namespace

CDlgOverWrite::CDlgOverWrite(CWnd* parent) : CDialog(mfc::IDD_OVERWRITE, parent) {
  OnClicked(IDC_ALL, [this] { OnAll(); });
  SetAnswerType(MB_YESNO | MB_ICONEXCLAMATION);
}

std::string CDlgOverWrite::SizeText(uint64_t n) {
  if (n <= 999999) return Commas(n) + " バイト";
  if (n <= 1048576) return Commas(n / 1024) + "KB";
  if (n / 1048576 < 100) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.3f", static_cast<double>(n / 1024) / 1024.0);
    char out[64];
    std::snprintf(out, sizeof out, "%-4.4sMB", buf);
    return out;
  }
  return Commas(n / 1048576) + "MB";
}

std::string CDlgOverWrite::TimeAndSize(const FILETIME& time, uint64_t size) {
  FILETIME local{};
  SYSTEMTIME st{};
  FileTimeToLocalFileTime(&time, &local);
  FileTimeToSystemTime(&local, &st);
  char buf[128];
  std::snprintf(buf, sizeof buf, " %d-%02d-%02d  %02d:%02d:%02d   %s", st.wYear, st.wMonth, st.wDay, st.wHour,
                st.wMinute, st.wSecond, SizeText(size).c_str());
  return buf;
}

BOOL CDlgOverWrite::OnInitDialog() {
  m_all = false;
  entry_text_ = TimeAndSize(m_entry_time, m_entry_size);
  file_text_ = TimeAndSize(m_file_time, m_file_size);
  return CDialog::OnInitDialog();
}

void CDlgOverWrite::DoDataExchange(CDataExchange* dx) {
  DDX_Text(dx, IDC_NAME, m_name);
  DDX_Text(dx, IDC_ENTRY, entry_text_);
  DDX_Text(dx, IDC_DISK, file_text_);
}

void CDlgOverWrite::OnAll() {
  m_all = true;
  EndDialog(IDOK);
}

}  // namespace zipvault
