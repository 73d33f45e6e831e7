#include "ziplib/getpassword.h"

#include <deque>
#include <mutex>

#include "mfc/resources.h"

namespace zipvault {

namespace {
std::mutex g_input_mutex;
std::deque<std::string> g_password_input;
}  // namespace

void script_password_input(const std::string& text) {
  std::lock_guard<std::mutex> lock(g_input_mutex);
  g_password_input.push_back(text);
}

void clear_password_input() {
  std::lock_guard<std::mutex> lock(g_input_mutex);
  g_password_input.clear();
}

CGetPassword::CGetPassword(CWnd* parent) : CDialog(mfc::IDD_PASSWORD, parent) {
  SetAnswerType(MB_OKCANCEL | MB_ICONEXCLAMATION);
}

void CGetPassword::DoDataExchange(CDataExchange* dx) {
  DDX_Text(dx, IDC_PASSWORD, m_password);
  DDV_MaxChars(dx, IDC_PASSWORD, MAX_CHARS);
}

void CGetPassword::OnScriptedAnswer(int button) {
  std::string typed;
  {
    std::lock_guard<std::mutex> lock(g_input_mutex);
    if (g_password_input.empty()) return;
    typed = g_password_input.front();
    g_password_input.pop_front();
  }
  if (button == IDOK) TypeInto(IDC_PASSWORD, typed);
}

}  // namespace zipvault
