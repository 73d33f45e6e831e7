// The password prompt (template 135): a hidden-text edit of at most 80 characters, OK and
// Cancel. Modal.
#pragma once

#include <string>

#include "mfc/afxdlg.h"

namespace zipvault {

class CGetPassword : public CDialog {
 public:
  static constexpr int IDC_PASSWORD = 1016;
  static constexpr int MAX_CHARS = 80;

  explicit CGetPassword(CWnd* parent);
  void DoDataExchange(CDataExchange* dx) override;

  CString m_password;

 protected:
  // An answered prompt types the next scripted text (see script_password_input).
  void OnScriptedAnswer(int button) override;
};

// What answered password prompts type, in order, one text per prompt (headless input). The
// text is typed into the prompt's edit when the answer is OK.
void script_password_input(const std::string& text);
void clear_password_input();

}  // namespace zipvault
