#include "ziplib/dlgextmsg.h"

#include <cstdio>

#include "mfc/resources.h"
#include "ziplib/dlgoverwrite.h"

namespace zipvault {

namespace {
const char* const kZeroCount = "      0/      0";
}  // namespace

CDlgExtMsg::CDlgExtMsg() : CDialog(mfc::IDD_EXTMSG, nullptr) {}

std::string CDlgExtMsg::SizeText(uint64_t n) { return CDlgOverWrite::SizeText(n); }

BOOL CDlgExtMsg::Create(CWnd* parent, Mode mode) {
  mode_ = mode;
  return CDialog::Create(mfc::IDD_EXTMSG, parent);
}

BOOL CDlgExtMsg::OnInitDialog() {
  CDialog::OnInitDialog();
  CenterWindow();
  return TRUE;
}

void CDlgExtMsg::DoDataExchange(CDataExchange* dx) { DDX_Control(dx, IDC_PROGRESS, progress_); }

void CDlgExtMsg::SetArchive(const char* name) {
  archive_ = name;
  SetDlgItemText(IDC_ARCHIVE, archive_);
  progress_.SetRange(0, 100);
  if (mode_ == Compress) SetDlgItemText(IDC_COUNT_LABEL, "圧縮サイズ:");
  SetCounter(kZeroCount);
  if (IsWindowVisible()) UpdateWindow();
}

void CDlgExtMsg::SetStep(const char* text) {
  if (step_ == text) return;
  step_ = text;
  std::string title = mode_ == Compress ? "圧縮状況  " : "圧縮書庫の解凍  ";
  SetWindowText((title + text).c_str());
}

void CDlgExtMsg::SetFile(const char* name, int64_t done, int64_t total) {
  file_ = name;
  SetDlgItemText(IDC_FILE, file_);
  total_ = total;
  done_ = done;
  Pump();
}

void CDlgExtMsg::SetCounter(const char* text) {
  count_ = text;
  SetDlgItemText(IDC_COUNT, count_);
}

void CDlgExtMsg::SetBar(int64_t done, int64_t total) {
  progress_.SetPos(static_cast<int>(static_cast<double>(done) / static_cast<double>(total) * 100.0 + 0.5));
}

void CDlgExtMsg::Update(int64_t done) {
  done_ = done;
  if (total_ != 0) {
    SetBar(done, total_);
    if (mode_ == Compress) {
      char buf[64];
      std::snprintf(buf, sizeof buf, "%7ld/%8ld", static_cast<long>(done), static_cast<long>(total_));
      SetCounter(buf);
    }
  }
  if (done != total_ && !IsWindowVisible()) {
    ShowWindow(SW_SHOW);
    Pump();
    // Texts set while hidden are shown once more.
    SetDlgItemText(IDC_ARCHIVE, archive_);
    SetDlgItemText(IDC_FILE, file_);
    SetDlgItemText(IDC_COUNT, count_);
    Pump();
  }
  if (IsWindowVisible()) UpdateWindow();
  Pump();
}

void CDlgExtMsg::OnCancel() {
  // While the archive is being moved into place there is nothing left to stop; and one question
  // at a time.
  if (!IsItemEnabled(IDC_CANCEL) || asking_) return;
  const char* q = mode_ == Compress ? "圧縮を中断しますか？" : "解凍を中断しますか？";
  asking_ = true;
  if (AfxMessageBox(q, MB_YESNO | MB_ICONQUESTION) == IDYES) cancel_ = true;
  asking_ = false;
}

DWORD CALLBACK move_progress_routine(LARGE_INTEGER total, LARGE_INTEGER done, LARGE_INTEGER, LARGE_INTEGER, DWORD,
                                     DWORD, HANDLE, HANDLE, LPVOID data) {
  auto* dlg = static_cast<CDlgExtMsg*>(data);
  if (total.QuadPart > 0) dlg->SetBar(done.QuadPart, total.QuadPart);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%7lld/%8lld", static_cast<long long>(done.QuadPart),
                static_cast<long long>(total.QuadPart));
  dlg->SetCounter(buf);
  dlg->Pump();
  return PROGRESS_CONTINUE;
}

bool CDlgExtMsg::MoveWithProgress(const char* source, const char* destination) {
  archive_ = destination;
  file_ = source;
  SetDlgItemText(IDC_ARCHIVE, archive_);
  SetDlgItemText(IDC_FILE, file_);
  SetDlgItemText(IDC_COUNT_LABEL, "ファイルサイズ:");
  SetCounter(kZeroCount);
  EnableItem(IDC_CANCEL, false);
  Pump();
  using MoveFn = BOOL(WINAPI*)(LPCSTR, LPCSTR, LPPROGRESS_ROUTINE, LPVOID, DWORD);
  static MoveFn move = nullptr;
  static bool looked = false;
  const bool nt = (GetVersion() & 0x80000000u) == 0;
  if (nt && !looked) {
    looked = true;
    if (HMODULE k = GetModuleHandleA("kernel32.dll"))
      move = reinterpret_cast<MoveFn>(reinterpret_cast<void*>(GetProcAddress(k, "MoveFileWithProgressA")));
  }
  const DWORD flags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH;
  BOOL ok = nt && move ? move(source, destination, move_progress_routine, this, flags)
                       : MoveFileExA(source, destination, flags);
  EnableItem(IDC_CANCEL, true);
  return ok != FALSE;
}

}  // namespace zipvault
