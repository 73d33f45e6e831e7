#include "mfc/afx.h"

#include <cstdio>
#include <vector>

#include "mfc/resources.h"

// ---------------------------------------------------------------- CString

void CString::FormatV(const char* fmt, va_list ap) {
  va_list copy;
  va_copy(copy, ap);
  char small[256];
  int n = std::vsnprintf(small, sizeof small, fmt, copy);
  va_end(copy);
  if (n < 0) {
    s_.clear();
    return;
  }
  if (static_cast<size_t>(n) < sizeof small) {
    s_.assign(small, static_cast<size_t>(n));
    return;
  }
  std::vector<char> big(static_cast<size_t>(n) + 1);
  std::vsnprintf(big.data(), big.size(), fmt, ap);
  s_.assign(big.data(), static_cast<size_t>(n));
}

void CString::Format(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  FormatV(fmt, ap);
  va_end(ap);
}

bool CString::LoadString(UINT id) {
  const char* s = mfc::LoadStringResource(id);
  if (!s) return false;
  s_ = s;
  return true;
}

// ---------------------------------------------------------------- CFile

CFile::~CFile() {
  if (h_) CloseHandle(h_);
}

bool CFile::Open(const char* name, UINT flags) {
  if (h_ || !name) return false;
  DWORD access = GENERIC_READ;
  if ((flags & 3) == modeWrite) access = GENERIC_WRITE;
  if ((flags & 3) == modeReadWrite) access = GENERIC_READ | GENERIC_WRITE;
  DWORD share = 0;
  switch (flags & 0x70) {
    case shareDenyWrite: share = FILE_SHARE_READ; break;
    case shareDenyRead: share = FILE_SHARE_WRITE; break;
    case shareDenyNone: share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE; break;
    case shareExclusive: share = 0; break;
    default: share = FILE_SHARE_READ | FILE_SHARE_WRITE; break;   // compatibility mode
  }
  DWORD disposition = OPEN_EXISTING;
  if (flags & modeCreate) disposition = (flags & modeNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS;
  DWORD attrs = FILE_ATTRIBUTE_NORMAL | ((flags & osSequentialScan) ? FILE_FLAG_SEQUENTIAL_SCAN : 0);
  HANDLE h = CreateFileA(name, access, share, nullptr, disposition, attrs, nullptr);
  if (h == INVALID_HANDLE_VALUE || !h) return false;
  h_ = h;
  name_ = name;
  return true;
}

int64_t CFile::Read(void* buf, size_t n) {
  if (!h_) return -1;
  size_t total = 0;
  auto* p = static_cast<uint8_t*>(buf);
  while (total < n) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(n - total, 1u << 30));
    DWORD got = 0;
    if (!ReadFile(h_, p + total, chunk, &got, nullptr)) return total ? static_cast<int64_t>(total) : -1;
    if (got == 0) break;
    total += got;
  }
  return static_cast<int64_t>(total);
}

bool CFile::Write(const void* buf, size_t n) {
  if (!h_) return false;
  const auto* p = static_cast<const uint8_t*>(buf);
  while (n) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(n, 1u << 30));
    DWORD put = 0;
    if (!WriteFile(h_, p, chunk, &put, nullptr) || put == 0) return false;
    p += put;
    n -= put;
  }
  return true;
}

int64_t CFile::Seek(int64_t offset, SeekPosition from) {
  if (!h_) return -1;
  LARGE_INTEGER d, out;
  d.QuadPart = offset;
  if (!SetFilePointerEx(h_, d, &out, static_cast<DWORD>(from))) return -1;
  return out.QuadPart;
}

int64_t CFile::GetPosition() const {
  if (!h_) return -1;
  LARGE_INTEGER d, out;
  d.QuadPart = 0;
  if (!SetFilePointerEx(h_, d, &out, FILE_CURRENT)) return -1;
  return out.QuadPart;
}

int64_t CFile::GetLength() const {
  if (!h_) return -1;
  LARGE_INTEGER s;
  if (!GetFileSizeEx(h_, &s)) return -1;
  return s.QuadPart;
}

bool CFile::SetLength(int64_t n) { return Seek(n, begin) == n && SetEndOfFile(h_); }

bool CFile::Flush() { return h_ && FlushFileBuffers(h_); }

bool CFile::Close() {
  if (!h_) return true;
  bool ok = CloseHandle(h_) != FALSE;
  h_ = nullptr;
  return ok;
}

// ---------------------------------------------------------------- windows and the application

namespace {
CWinApp* g_app = nullptr;
bool g_attached = false;
}  // namespace

int CWnd::MessageBox(const char* text, const char* caption, UINT type) {
  const char* cap = caption ? caption : (AfxGetApp() && AfxGetApp()->m_pszAppName ? AfxGetApp()->m_pszAppName : "");
  return MessageBoxA(m_hWnd, text, cap, type);
}

void CWnd::SetWindowText(const char* text) {
  if (m_hWnd) SetWindowTextA(m_hWnd, text ? text : "");
}

namespace {
std::string WindowTextOf(HWND h) {
  if (!h) return {};
  const int n = GetWindowTextLengthA(h);
  if (n <= 0) return {};
  std::string s(static_cast<size_t>(n) + 1, '\0');
  const int got = GetWindowTextA(h, s.data(), n + 1);
  s.resize(static_cast<size_t>(got > 0 ? got : 0));
  return s;
}
}  // namespace

std::string CWnd::GetWindowText() const { return WindowTextOf(m_hWnd); }

BOOL CWnd::ShowWindow(int cmd) { return m_hWnd ? ::ShowWindow(m_hWnd, cmd) : FALSE; }

bool CWnd::IsWindowVisible() const { return m_hWnd && ::IsWindowVisible(m_hWnd); }

BOOL CWnd::EnableWindow(BOOL enable) { return m_hWnd ? ::EnableWindow(m_hWnd, enable) : FALSE; }

bool CWnd::IsWindowEnabled() const { return m_hWnd && ::IsWindowEnabled(m_hWnd); }

void CWnd::UpdateWindow() {
  if (m_hWnd) RedrawWindow(m_hWnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void CWnd::CenterWindow() {
  if (!m_hWnd) return;
  HWND ref = GetWindow(m_hWnd, GW_OWNER);
  if (!ref) ref = GetParent(m_hWnd);
  const bool child = (GetWindowLongA(m_hWnd, GWL_STYLE) & WS_CHILD) != 0;
  RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  RECT over = area;
  if (ref && ::IsWindowVisible(ref)) GetWindowRect(ref, &over);
  RECT me;
  GetWindowRect(m_hWnd, &me);
  const int w = me.right - me.left, h = me.bottom - me.top;
  int x = over.left + (over.right - over.left - w) / 2;
  int y = over.top + (over.bottom - over.top - h) / 2;
  if (x + w > area.right) x = area.right - w;
  if (y + h > area.bottom) y = area.bottom - h;
  if (x < area.left) x = area.left;
  if (y < area.top) y = area.top;
  POINT p{x, y};
  if (child && GetParent(m_hWnd)) ScreenToClient(GetParent(m_hWnd), &p);
  SetWindowPos(m_hWnd, nullptr, p.x, p.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND CWnd::GetDlgItem(int id) const { return m_hWnd ? ::GetDlgItem(m_hWnd, id) : nullptr; }

void CWnd::SetDlgItemText(int id, const char* text) {
  if (HWND c = GetDlgItem(id)) SetWindowTextA(c, text ? text : "");
}

std::string CWnd::GetDlgItemText(int id) const { return WindowTextOf(GetDlgItem(id)); }

void CWnd::BeginWaitCursor() {
  if (CWinApp* app = AfxGetApp()) app->BeginWaitCursor();
}

void CWnd::EndWaitCursor() {
  if (CWinApp* app = AfxGetApp()) app->EndWaitCursor();
}

CWaitCursor::CWaitCursor() {
  if (CWinApp* app = AfxGetApp()) app->BeginWaitCursor();
}

CWaitCursor::~CWaitCursor() {
  if (CWinApp* app = AfxGetApp()) app->EndWaitCursor();
}

void CWaitCursor::Restore() {
  if (CWinApp* app = AfxGetApp()) app->DoWaitCursor(0);
}

CWinApp::CWinApp(const char* appName) : name_(appName ? appName : "") {
  m_pszAppName = name_.c_str();
  if (!g_app) g_app = this;
}

CWinApp::~CWinApp() {
  if (g_app == this) g_app = nullptr;
}

int CWinApp::DoMessageBox(const char* text, UINT type, UINT) {
  if ((type & MB_ICONMASK) == 0) {
    switch (type & MB_TYPEMASK) {
      case MB_OK:
      case MB_OKCANCEL: type |= MB_ICONEXCLAMATION; break;
      case MB_YESNO:
      case MB_YESNOCANCEL: type |= MB_ICONQUESTION; break;
      default: break;
    }
  }
  HWND owner = m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr;
  return MessageBoxA(owner, text ? text : "", m_pszAppName ? m_pszAppName : "", type);
}

void CWinApp::DoWaitCursor(int code) {
  if (code > 0) {
    HCURSOR wait = LoadCursorA(nullptr, IDC_WAIT);
    HCURSOR old = SetCursor(wait);
    if (wait_level_++ == 0) wait_restore_ = old;
  } else if (code < 0) {
    if (wait_level_ == 0) return;
    if (--wait_level_ == 0) SetCursor(wait_restore_);
  } else if (wait_level_ > 0) {
    SetCursor(LoadCursorA(nullptr, IDC_WAIT));
  }
}

CWinApp* AfxGetApp() { return g_app; }

int AfxMessageBox(const char* text, UINT type, UINT helpId) {
  if (CWinApp* app = AfxGetApp()) return app->DoMessageBox(text, type, helpId);
  return MessageBoxA(nullptr, text ? text : "", "", type);
}

int AfxMessageBox(UINT stringId, UINT type, UINT helpId) {
  const char* s = mfc::LoadStringResource(stringId);
  return AfxMessageBox(s ? s : "", type, helpId);
}

bool AfxDllAttach() {
  if (g_attached) return true;
  g_attached = true;
  return !g_app || g_app->InitInstance();
}

void AfxDllDetach() {
  if (!g_attached) return;
  g_attached = false;
  if (g_app) g_app->ExitInstance();
}
