// The overwrite question (template 130): the file's name, the archive entry's and the disk
// file's time and size, and Yes, No and All. Modal.
#pragma once

#include <cstdint>
#include <string>

#include "mfc/afxdlg.h"

namespace zipvault {

class CDlgOverWrite : public CDialog {
 public:
  static constexpr int IDC_NAME = 1005, IDC_ENTRY = 1001, IDC_DISK = 1002, IDC_ALL = 1003;

  explicit CDlgOverWrite(CWnd* parent);

  // IDOK for Yes and for All (m_all then set), IDCANCEL for No.
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;

  // " 2024-03-05  14:07:09   1.17MB": the local time of `time` and the size text of `size`.
  static std::string TimeAndSize(const FILETIME& time, uint64_t size);
  // "999,999 バイト", "976KB", "1.17MB", "150MB".
  static std::string SizeText(uint64_t n);

  CString m_name;
  FILETIME m_entry_time{}, m_file_time{};
  uint64_t m_entry_size = 0, m_file_size = 0;
  bool m_all = false;

 private:
  void OnAll();
  CString entry_text_, file_text_;
};

}  // namespace zipvault
