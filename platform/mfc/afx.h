// The class library of the ZIP library: its application object, strings, the out-of-memory
// exception, files, window wrappers and the library's message box.
//
// Strings are ANSI text (code page 932 bytes); nothing here scans them byte by byte for '\'.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <new>
#include <string>

#include "windows.h"

// ---------------------------------------------------------------- exceptions

class CException {
 public:
  virtual ~CException() = default;
};

// Raised when the class library cannot allocate; the library's entries catch it.
class CMemoryException : public CException {};

// new that raises CMemoryException instead of std::bad_alloc, as the class library's allocator does.
template <class T, class... A>
T* AfxNew(A&&... args) {
  T* p = new (std::nothrow) T(static_cast<A&&>(args)...);
  if (!p) throw CMemoryException();
  return p;
}

// ---------------------------------------------------------------- CString

class CString {
 public:
  CString() = default;
  CString(const char* s) : s_(s ? s : "") {}
  CString(const std::string& s) : s_(s) {}
  CString(const char* s, int n) : s_(s ? std::string(s, static_cast<size_t>(n)) : std::string()) {}

  int GetLength() const { return static_cast<int>(s_.size()); }
  bool IsEmpty() const { return s_.empty(); }
  void Empty() { s_.clear(); }
  operator const char*() const { return s_.c_str(); }
  const char* c_str() const { return s_.c_str(); }
  const std::string& str() const { return s_; }
  std::string& str() { return s_; }
  char GetAt(int i) const { return s_[static_cast<size_t>(i)]; }

  CString& operator=(const char* s) {
    s_ = s ? s : "";
    return *this;
  }
  CString& operator+=(const char* s) {
    if (s) s_ += s;
    return *this;
  }
  CString& operator+=(const CString& s) {
    s_ += s.s_;
    return *this;
  }
  CString& operator+=(char c) {
    s_ += c;
    return *this;
  }
  friend CString operator+(const CString& a, const CString& b) { return CString(a.s_ + b.s_); }
  friend CString operator+(const CString& a, const char* b) { return CString(a.s_ + (b ? b : "")); }
  friend CString operator+(const char* a, const CString& b) { return CString((a ? a : "") + b.s_); }
  bool operator==(const CString& o) const { return s_ == o.s_; }
  bool operator==(const char* o) const { return s_ == (o ? o : ""); }

  CString Left(int n) const { return CString(s_.substr(0, static_cast<size_t>(n < 0 ? 0 : n))); }
  CString Mid(int first) const {
    return first >= GetLength() ? CString() : CString(s_.substr(static_cast<size_t>(first < 0 ? 0 : first)));
  }
  // printf-style formatting into the string (any length).
  void Format(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
  void FormatV(const char* fmt, va_list ap);
  // A string-table string of the library (see resources.h); false when there is none.
  bool LoadString(UINT id);

 private:
  std::string s_;
};

// ---------------------------------------------------------------- CFile

// A binary file on the platform's kernel (names in the ANSI code page).
class CFile {
 public:
  enum OpenFlags : UINT {
    modeRead = 0x0000,
    modeWrite = 0x0001,
    modeReadWrite = 0x0002,
    shareCompat = 0x0000,
    shareExclusive = 0x0010,
    shareDenyWrite = 0x0020,
    shareDenyRead = 0x0030,
    shareDenyNone = 0x0040,
    modeNoTruncate = 0x2000,
    modeCreate = 0x1000,
    typeBinary = 0x8000,
    osSequentialScan = 0x10000,
  };
  enum SeekPosition { begin = 0, current = 1, end = 2 };

  CFile() = default;
  ~CFile();
  CFile(const CFile&) = delete;
  CFile& operator=(const CFile&) = delete;

  bool Open(const char* name, UINT flags);
  // Bytes read (fewer at the end), or -1 on an error.
  int64_t Read(void* buf, size_t n);
  bool Write(const void* buf, size_t n);
  // New position, or -1.
  int64_t Seek(int64_t offset, SeekPosition from);
  int64_t GetPosition() const;
  int64_t GetLength() const;
  bool SetLength(int64_t n);
  bool Flush();
  // False when closing reported an error.
  bool Close();
  bool IsOpen() const { return h_ != nullptr; }
  HANDLE Handle() const { return h_; }
  const std::string& GetFilePath() const { return name_; }

 private:
  HANDLE h_ = nullptr;
  std::string name_;
};

// ---------------------------------------------------------------- windows and the application

// A wrapper around a window handle: the caller's window, or a window the library made. The
// window calls do nothing (and answer false or empty) without a window.
class CWnd {
 public:
  virtual ~CWnd() = default;
  HWND m_hWnd = nullptr;
  bool Attach(HWND h) {
    if (m_hWnd || !h) return false;
    m_hWnd = h;
    return true;
  }
  HWND Detach() {
    HWND h = m_hWnd;
    m_hWnd = nullptr;
    return h;
  }
  HWND GetSafeHwnd() const { return m_hWnd; }
  int MessageBox(const char* text, const char* caption = nullptr, UINT type = MB_OK);

  void SetWindowText(const char* text);
  std::string GetWindowText() const;
  BOOL ShowWindow(int cmd);
  bool IsWindowVisible() const;
  BOOL EnableWindow(BOOL enable);
  bool IsWindowEnabled() const;
  // Paints what is invalid now.
  void UpdateWindow();
  // Centres the window over its owner (or parent), else over the screen; kept on the screen.
  void CenterWindow();
  HWND GetDlgItem(int id) const;
  void SetDlgItemText(int id, const char* text);
  std::string GetDlgItemText(int id) const;
  void BeginWaitCursor();
  void EndWaitCursor();
};

class CWinApp {
 public:
  explicit CWinApp(const char* appName = nullptr);
  virtual ~CWinApp();
  virtual BOOL InitInstance() { return TRUE; }
  virtual int ExitInstance() { return 0; }
  // The message box of the application: the caption is the application's name; a box without an
  // icon gets the one its buttons suggest (exclamation for OK, question for Yes/No).
  virtual int DoMessageBox(const char* text, UINT type, UINT helpId);
  // The hourglass: 1 shows it (nesting), -1 ends one level (the old cursor comes back at the
  // outermost), 0 shows it again while a level is open.
  virtual void DoWaitCursor(int code);
  void BeginWaitCursor() { DoWaitCursor(1); }
  void EndWaitCursor() { DoWaitCursor(-1); }
  const char* m_pszAppName = nullptr;
  CWnd* m_pMainWnd = nullptr;

 private:
  std::string name_;
  int wait_level_ = 0;
  HCURSOR wait_restore_ = nullptr;
};

CWinApp* AfxGetApp();

// The wait cursor for the life of the object.
class CWaitCursor {
 public:
  CWaitCursor();
  ~CWaitCursor();
  CWaitCursor(const CWaitCursor&) = delete;
  CWaitCursor& operator=(const CWaitCursor&) = delete;
  // Shows it again (after a message box changed the cursor).
  void Restore();
};

// The library's message box (OK unless other buttons are asked for).
int AfxMessageBox(const char* text, UINT type = MB_OK, UINT helpId = 0);
int AfxMessageBox(UINT stringId, UINT type = MB_OK, UINT helpId = 0);

// Start-up and tear-down of the class library for a library that links it: runs the
// application's InitInstance once (the first call), ExitInstance on detach.
bool AfxDllAttach();
void AfxDllDetach();
