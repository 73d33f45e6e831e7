// The progress dialog (template 131): archive name, current file, progress bar and counters, and
// Cancel. Modeless; it pumps the thread's messages itself between steps.
#pragma once

#include <cstdint>
#include <string>

#include "mfc/afxdlg.h"

namespace zipvault {

class CDlgExtMsg : public CDialog {
 public:
  enum Mode { Extract = 0, Compress = 1 };
  static constexpr int IDC_FILE = 1006, IDC_PROGRESS = 1007, IDC_ARCHIVE = 1009, IDC_COUNT = 1010,
                       IDC_COUNT_LABEL = 1015, IDC_CANCEL = 2;

  CDlgExtMsg();

  // Creates the dialog hidden, owned by the parent's window (false without one).
  BOOL Create(CWnd* parent, Mode mode);
  void SetArchive(const char* name);
  void SetStep(const char* text);
  void SetFile(const char* name, int64_t done, int64_t total);
  void Update(int64_t done);
  // Moves source over destination (replacing it, copying across volumes) with the bar following.
  bool MoveWithProgress(const char* source, const char* destination);

  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;
  // Cancel, Escape or Enter: asks whether to stop; Yes sets the Cancel flag.
  void OnCancel() override;
  void PostNcDestroy() override { delete this; }

  bool Cancelled() const { return cancel_; }
  Mode GetMode() const { return mode_; }
  const CProgressCtrl& Progress() const { return progress_; }
  int64_t Total() const { return total_; }
  int64_t Done() const { return done_; }

  // The size texts of the overwrite question.
  static std::string SizeText(uint64_t n);

 private:
  void Pump() { AfxPumpMessages(this); }
  void SetCounter(const char* text);
  void SetBar(int64_t done, int64_t total);

  CProgressCtrl progress_;
  CString archive_, file_, count_;
  Mode mode_ = Compress;
  std::string step_;
  int64_t total_ = 0, done_ = 0;
  bool cancel_ = false;
  bool asking_ = false;
  friend DWORD CALLBACK move_progress_routine(LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER, DWORD,
                                              DWORD, HANDLE, HANDLE, LPVOID);
};

}  // namespace zipvault
