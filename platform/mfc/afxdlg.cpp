#include "mfc/afxdlg.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <vector>

#include "commctrl.h"
#include "mfc/resources.h"
#include "winplat_screen.h"
#include "winplat_user.h"

namespace screen = winplat::screen;

namespace {

// Posted by a modal dialog to itself when it starts, so an answerer sees it on the screen.
constexpr UINT WM_SCRIPTED_ANSWER = WM_APP + 0x3A0;

std::u16string AnsiToWide(const std::string& s) {
  if (s.empty()) return {};
  const int n = MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  if (n <= 0) return {};
  std::u16string w(static_cast<size_t>(n), u'\0');
  MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), reinterpret_cast<LPWSTR>(w.data()), n);
  return w;
}

std::u16string WideText(HWND h) {
  const int n = GetWindowTextLengthW(h);
  if (n <= 0) return {};
  std::u16string s(static_cast<size_t>(n) + 1, u'\0');
  const int got = GetWindowTextW(h, reinterpret_cast<LPWSTR>(s.data()), n + 1);
  s.resize(static_cast<size_t>(got > 0 ? got : 0));
  return s;
}

bool ClassIs(HWND h, const char* name) {
  char buf[32] = {};
  GetClassNameA(h, buf, sizeof buf);
  return lstrcmpiA(buf, name) == 0;
}

// A 32-bit top-down bitmap of ICON_SIZE x ICON_SIZE pixels.
HBITMAP IconSizedBitmap(const std::vector<uint32_t>& px) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = mfc::ICON_SIZE;
  bi.bmiHeader.biHeight = -mfc::ICON_SIZE;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bmp && bits) std::copy(px.begin(), px.end(), static_cast<uint32_t*>(bits));
  return bmp;
}

// The icon resource as an icon whose mask lets the dialog face show through, made once.
HICON IconHandle(UINT id) {
  static std::mutex mutex;
  static auto* made = new std::map<UINT, HICON>;
  std::lock_guard<std::mutex> lock(mutex);
  auto it = made->find(id);
  if (it != made->end()) return it->second;
  HICON icon = nullptr;
  const std::span<const uint32_t> px = mfc::LoadIconPixels(id);
  if (!px.empty()) {
    std::vector<uint32_t> color(px.size()), mask(px.size());
    for (size_t i = 0; i < px.size(); ++i) {
      const bool clear = px[i] == mfc::ICON_CLEAR;
      color[i] = clear ? 0 : px[i];
      mask[i] = clear ? 0x00FFFFFFu : 0;
    }
    ICONINFO ii{TRUE, 0, 0, IconSizedBitmap(mask), IconSizedBitmap(color)};
    if (ii.hbmMask && ii.hbmColor) icon = CreateIconIndirect(&ii);
    if (ii.hbmMask) DeleteObject(ii.hbmMask);
    if (ii.hbmColor) DeleteObject(ii.hbmColor);
  }
  (*made)[id] = icon;
  return icon;
}

}  // namespace

// ---------------------------------------------------------------- data exchange

void DDX_Text(CDataExchange* dx, int id, CString& value) {
  if (dx->m_bSaveAndValidate) value = dx->m_pDlgWnd->GetDlgItemText(id);
  else dx->m_pDlgWnd->SetDlgItemText(id, value);
}

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
  if (!control.m_hWnd) dx->m_pDlgWnd->BindControl(control, id);
}

void DDV_MaxChars(CDataExchange* dx, int id, int count) {
  if (dx->m_bSaveAndValidate) return;
  if (HWND c = dx->m_pDlgWnd->GetDlgItem(id)) SendMessageA(c, EM_LIMITTEXT, static_cast<WPARAM>(count), 0);
}

// ---------------------------------------------------------------- progress control

void CProgressCtrl::SetRange(int lo, int hi) {
  if (m_hWnd) SendMessageA(m_hWnd, PBM_SETRANGE32, static_cast<WPARAM>(lo), static_cast<LPARAM>(hi));
}

int CProgressCtrl::SetPos(int pos) {
  return m_hWnd ? static_cast<int>(SendMessageA(m_hWnd, PBM_SETPOS, static_cast<WPARAM>(pos), 0)) : 0;
}

int CProgressCtrl::GetPos() const { return m_hWnd ? static_cast<int>(SendMessageA(m_hWnd, PBM_GETPOS, 0, 0)) : 0; }

// ---------------------------------------------------------------- CDialog

CDialog::~CDialog() {
  if (HWND h = m_hWnd) {
    // Deleted with its window still there: the window goes without calling back into us.
    SetWindowLongPtrA(h, DWLP_USER, 0);
    m_hWnd = nullptr;
    ::DestroyWindow(h);
  }
}

HWND CDialog::OwnerWindow() const {
  HWND h = parent_ ? parent_->m_hWnd : nullptr;
  if (!h && AfxGetApp() && AfxGetApp()->m_pMainWnd) h = AfxGetApp()->m_pMainWnd->m_hWnd;
  return h && IsWindow(h) ? h : nullptr;
}

INT_PTR CDialog::DoModal() {
  const DLGTEMPLATEW* t = mfc::LoadDialogTemplate(template_id_);
  if (!t || m_hWnd) return -1;
  modal_ = true;
  const INT_PTR r = DialogBoxIndirectParamA(nullptr, t, OwnerWindow(), &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
  modal_ = false;
  return r;
}

BOOL CDialog::Create(UINT templateId, CWnd* parent) {
  const DLGTEMPLATEW* t = mfc::LoadDialogTemplate(templateId);
  if (!t || m_hWnd) return FALSE;
  HWND owner = parent ? parent->m_hWnd : nullptr;
  if (parent && !IsWindow(owner)) return FALSE;
  template_id_ = templateId;
  parent_ = parent;
  creating_ = true;
  HWND h = CreateDialogIndirectParamA(nullptr, t, owner, &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
  creating_ = false;
  if (!h) {
    m_hWnd = nullptr;
    return FALSE;
  }
  return TRUE;
}

BOOL CDialog::DestroyWindow() {
  if (!m_hWnd) return FALSE;
  return ::DestroyWindow(m_hWnd);
}

void CDialog::EndDialog(int result) {
  if (m_hWnd) ::EndDialog(m_hWnd, result);
}

BOOL CDialog::UpdateData(BOOL save) {
  if (!m_hWnd) return FALSE;
  CDataExchange dx(this, save);
  DoDataExchange(&dx);
  return TRUE;
}

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::OnOK() {
  if (UpdateData(TRUE)) EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::EnableItem(int id, bool enable) {
  if (HWND c = GetDlgItem(id)) ::EnableWindow(c, enable ? TRUE : FALSE);
}

bool CDialog::IsItemEnabled(int id) const {
  HWND c = GetDlgItem(id);
  return c && ::IsWindowEnabled(c);
}

void CDialog::BindControl(CWnd& control, int id) {
  control.m_hWnd = GetDlgItem(id);
  if (control.m_hWnd) bound_.push_back(&control);
}

BOOL CDialog::OnCommand(WPARAM wp) {
  const int id = LOWORD(wp);
  if (HIWORD(wp) != BN_CLICKED) return FALSE;
  if (id == IDOK) OnOK();
  else if (id == IDCANCEL) OnCancel();
  else if (auto it = handlers_.find(id); it != handlers_.end()) it->second();
  else return FALSE;
  return TRUE;
}

void CDialog::SetIcons() {
  const mfc::DialogTemplate* t = mfc::FindDialogTemplate(template_id_);
  if (!t) return;
  for (const mfc::ControlTemplate& c : t->controls)
    if (c.kind == mfc::ControlKind::Icon)
      if (HWND h = GetDlgItem(static_cast<int>(c.icon_id)))
        SendMessageA(h, STM_SETICON, reinterpret_cast<WPARAM>(IconHandle(c.icon_id)), 0);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_INITDIALOG) {
    auto* d = reinterpret_cast<CDialog*>(lp);
    SetWindowLongPtrA(h, DWLP_USER, lp);
    d->m_hWnd = h;
    d->SetIcons();
    const BOOL r = d->OnInitDialog();
    if (d->modal_ && screen::HasMessageBoxAnswerer()) PostMessageA(h, WM_SCRIPTED_ANSWER, 0, 0);
    return r;
  }
  auto* d = reinterpret_cast<CDialog*>(GetWindowLongPtrA(h, DWLP_USER));
  if (!d) return FALSE;
  switch (msg) {
    case WM_COMMAND:
      return d->OnCommand(wp);
    case WM_SCRIPTED_ANSWER:
      d->AnswerFromScript();
      return TRUE;
    case WM_NCDESTROY: {
      SetWindowLongPtrA(h, DWLP_USER, 0);
      for (CWnd* c : d->bound_) c->m_hWnd = nullptr;
      d->bound_.clear();
      d->m_hWnd = nullptr;
      // A window that failed while being made is the creator's to clean up.
      if (!d->creating_) d->PostNcDestroy();
      return FALSE;
    }
    default:
      return FALSE;
  }
}

// ---------------------------------------------------------------- scripted answers

void CDialog::AnswerFromScript() {
  const screen::MessageBoxAnswerer answerer = screen::CurrentMessageBoxAnswerer();
  if (!answerer || !m_hWnd) return;
  UpdateWindow();
  winplat::user::PresentScreen();
  // The dialog as a box: its caption, the texts of its statics in order, its buttons.
  screen::MessageBoxRequest r;
  r.owner = GetWindow(m_hWnd, GW_OWNER);
  r.caption = WideText(m_hWnd);
  for (HWND c = GetWindow(m_hWnd, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (!ClassIs(c, "STATIC")) continue;
    const std::u16string s = WideText(c);
    if (s.empty()) continue;
    if (!r.text.empty()) r.text += u'\n';
    r.text += s;
  }
  r.type = answer_type_;
  r.defaultButton = screen::DefaultButton(answer_type_);
  const int answer = answerer(r);
  if (!m_hWnd) return;   // the answerer ended it
  int button = answer;
  if (!GetDlgItem(button) || !ClassIs(GetDlgItem(button), "BUTTON")) button = answer == IDYES ? IDOK : answer == IDNO ? IDCANCEL : answer;
  if (!GetDlgItem(button)) button = IDCANCEL;
  OnScriptedAnswer(button);
  PressButton(button);
}

void CDialog::TypeInto(int id, const std::string& text) {
  HWND c = GetDlgItem(id);
  if (!c) return;
  SetFocus(c);
  SendMessageA(c, EM_SETSEL, 0, -1);
  const std::u16string w = AnsiToWide(text);
  if (auto hb = screen::Headless()) {
    if (!w.empty()) hb->TypeText(w);
    return;
  }
  for (char16_t u : w) SendMessageW(c, WM_CHAR, u, 1);
}

void CDialog::PressButton(int id) {
  HWND b = GetDlgItem(id);
  if (!b) return;
  if (auto hb = screen::Headless()) {
    RECT r;
    GetWindowRect(b, &r);
    hb->Click((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    return;
  }
  SendMessageA(b, BM_CLICK, 0, 0);
}

// ---------------------------------------------------------------- the pump

void AfxPumpMessages(CDialog* cancelTarget) {
  MSG m;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(m.wParam));   // left for the caller's own loop
      break;
    }
    if (m.message == WM_KEYDOWN && (m.wParam == VK_ESCAPE || m.wParam == VK_RETURN) && cancelTarget &&
        cancelTarget->IsCreated()) {
      cancelTarget->OnCancel();
      continue;
    }
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
  // A display may wait for its next frame on every present: a long operation pumps far more
  // often than that, so what it drew is shown at most about 60 times a second.
  static DWORD last_present = 0;
  const DWORD now = GetTickCount();
  if (now - last_present >= 16) {
    last_present = now;
    winplat::user::PresentScreen();
  }
}
