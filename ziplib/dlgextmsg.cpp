#include "ziplib/dlgextmsg.h"

#include <cstdio>
#include <cstring>

namespace zipvault {

namespace {
const char* const kZeroCount = "      0/      0";

std::string Commas(uint64_t v) {
  std::string d = std::to_string(v), out;
  for (size_t i = 0; i < d.size(); ++i) {
    if (i && (d.size() - i) % 3 == 0) out += ',';
    out += d[i];
  }
  return out;
}
}  // namespace

std::string CDlgExtMsg::SizeText(uint64_t n) {
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

BOOL CDlgExtMsg::Create(CWnd* parent, Mode mode) {
  mode_ = mode;
  return CDialog::Create(131, parent);
}

BOOL CDlgExtMsg::OnInitDialog() {
  CenterWindow();
  return TRUE;
}

void CDlgExtMsg::SetArchive(const char* name) {
  SetDlgItemText(IDC_ARCHIVE, name);
  progress_.SetRange(0, 100);
  if (mode_ == Compress) SetDlgItemText(IDC_COUNT_LABEL, "圧縮サイズ:");
  SetDlgItemText(IDC_COUNT, kZeroCount);
  if (IsWindowVisible()) UpdateWindow();
}

void CDlgExtMsg::SetStep(const char* text) {
  if (step_ == text) return;
  step_ = text;
  std::string title = mode_ == Compress ? "圧縮状況  " : "圧縮書庫の解凍  ";
  SetWindowText((title + text).c_str());
}

void CDlgExtMsg::SetFile(const char* name, int64_t done, int64_t total) {
  SetDlgItemText(IDC_FILE, name);
  total_ = total;
  done_ = done;
  Pump();
}

void CDlgExtMsg::SetCounter(int64_t done, int64_t total, bool wide) {
  char buf[64];
  if (wide)
    std::snprintf(buf, sizeof buf, "%7lld/%8lld", static_cast<long long>(done), static_cast<long long>(total));
  else
    std::snprintf(buf, sizeof buf, "%7ld/%8ld", static_cast<long>(done), static_cast<long>(total));
  SetDlgItemText(IDC_COUNT, buf);
}

void CDlgExtMsg::Update(int64_t done) {
  done_ = done;
  if (total_ != 0) {
    progress_.SetPos(static_cast<int>((static_cast<double>(done) / static_cast<double>(total_)) * 100.0 + 0.5));
    if (mode_ == Compress) SetCounter(done, total_, false);
  }
  if (done != total_ && !IsWindowVisible()) {
    ShowWindow(true);
    Pump();
    // Texts set while hidden are shown once more.
    for (int id : {IDC_ARCHIVE, IDC_FILE, IDC_COUNT}) SetDlgItemText(id, GetDlgItemText(id).c_str());
    Pump();
  }
  if (IsWindowVisible()) UpdateWindow();
  Pump();
}

void CDlgExtMsg::OnCancel() {
  const char* q = mode_ == Compress ? "圧縮を中断しますか？" : "解凍を中断しますか？";
  if (AfxMessageBox(q, MB_YESNO | MB_ICONQUESTION) == IDYES) cancel_ = true;
}

DWORD move_progress_routine(LARGE_INTEGER total, LARGE_INTEGER done, LARGE_INTEGER, LARGE_INTEGER, DWORD, DWORD,
                            HANDLE, HANDLE, LPVOID data) {
  auto* dlg = static_cast<CDlgExtMsg*>(data);
  if (total.QuadPart > 0)
    dlg->progress_.SetPos(static_cast<int>(static_cast<double>(done.QuadPart) / static_cast<double>(total.QuadPart) * 100.0 + 0.5));
  dlg->SetCounter(done.QuadPart, total.QuadPart, true);
  dlg->Pump();
  return PROGRESS_CONTINUE;
}

bool CDlgExtMsg::MoveWithProgress(const char* source, const char* destination) {
  SetDlgItemText(IDC_ARCHIVE, destination);
  SetDlgItemText(IDC_FILE, source);
  SetDlgItemText(IDC_COUNT_LABEL, "ファイルサイズ:");
  SetDlgItemText(IDC_COUNT, kZeroCount);
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
  const DWORD flags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED;
  BOOL ok = nt && move ? move(source, destination, move_progress_routine, this, flags)
                       : MoveFileExA(source, destination, flags);
  EnableItem(IDC_CANCEL, true);
  return ok != FALSE;
}

}  // namespace zipvault
