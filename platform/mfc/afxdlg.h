// Dialogs of the class library on windows of the platform: modal (DoModal) and modeless (Create)
// dialogs from the library's templates, data exchange between members and controls, command
// handlers in place of message maps, the progress control, and the message pump of long
// operations.
//
// A modal dialog shown while a message box answerer is installed is answered by it: the
// answerer sees the dialog as a box (its caption, its texts, its buttons) while it is on the
// screen, and the answer is carried out on the dialog itself (text typed into a control, then
// the chosen button pressed) through the screen's input.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "mfc/afx.h"

class CDialog;

// What UpdateData passes to DoDataExchange.
class CDataExchange {
 public:
  CDataExchange(CDialog* dlg, BOOL save) : m_pDlgWnd(dlg), m_bSaveAndValidate(save) {}
  CDialog* m_pDlgWnd;
  BOOL m_bSaveAndValidate;   // TRUE: controls to members; FALSE: members to controls
};

// The control's text and the member (ANSI).
void DDX_Text(CDataExchange* dx, int id, CString& value);
// Binds the member to the dialog's control (once).
void DDX_Control(CDataExchange* dx, int id, CWnd& control);
// Limits the control's input to `count` characters (when controls are filled).
void DDV_MaxChars(CDataExchange* dx, int id, int count);

// The platform's progress bar.
class CProgressCtrl : public CWnd {
 public:
  void SetRange(int lo, int hi);
  int SetPos(int pos);
  int GetPos() const;
};

class CDialog : public CWnd {
 public:
  CDialog(UINT templateId, CWnd* parent) : template_id_(templateId), parent_(parent) {}
  ~CDialog() override;

  // Modal: shows the dialog with its owner disabled until it ends; answers the result of
  // EndDialog (IDOK, IDCANCEL...), -1 when the dialog could not be made.
  virtual INT_PTR DoModal();
  // Modeless: builds the dialog from its template, hidden and owned by the parent's window, and
  // runs OnInitDialog. False when there is no such template, or a parent without a window.
  BOOL Create(UINT templateId, CWnd* parent);
  // Ends a modeless dialog's window; PostNcDestroy follows (it may delete the object).
  BOOL DestroyWindow();
  void EndDialog(int result);
  BOOL UpdateData(BOOL save = TRUE);

  virtual BOOL OnInitDialog();
  // Enter and the OK button: UpdateData, then EndDialog(IDOK).
  virtual void OnOK();
  // Escape, the close box and the Cancel button: EndDialog(IDCANCEL).
  virtual void OnCancel();
  virtual void PostNcDestroy() {}
  virtual void DoDataExchange(CDataExchange*) {}

  bool IsCreated() const { return m_hWnd != nullptr; }
  void EnableItem(int id, bool enable);
  bool IsItemEnabled(int id) const;
  CWnd* Parent() const { return parent_; }

 protected:
  // Command handlers (the message map): `handler` runs for a click of control `id`.
  void OnClicked(int id, std::function<void()> handler) { handlers_[id] = std::move(handler); }
  // What a box answerer is told the dialog's buttons are (MB_OKCANCEL unless changed), and the
  // control an answer presses: a button's own identifier, IDYES as IDOK, IDNO as IDCANCEL.
  void SetAnswerType(UINT type) { answer_type_ = type; }
  // Called with the button an answer is about to press; a dialog types its input here.
  virtual void OnScriptedAnswer(int /*button*/) {}
  // Types `text` (ANSI) into control `id` through the screen's keyboard, replacing its text.
  void TypeInto(int id, const std::string& text);
  // Presses button `id` through the screen's mouse.
  void PressButton(int id);

  UINT template_id_;
  CWnd* parent_;

 private:
  friend void DDX_Control(CDataExchange*, int, CWnd&);
  static INT_PTR CALLBACK DialogProc(HWND h, UINT msg, WPARAM wp, LPARAM lp);
  HWND OwnerWindow() const;
  void AnswerFromScript();
  BOOL OnCommand(WPARAM wp);
  void SetIcons();
  void BindControl(CWnd& control, int id);

  std::map<int, std::function<void()>> handlers_;
  std::vector<CWnd*> bound_;   // controls bound by DDX_Control, released with the window
  UINT answer_type_ = MB_OKCANCEL;
  bool modal_ = false;
  bool creating_ = false;
};

// Dispatches the thread's waiting messages, translated, and shows what they drew. A key-down of
// Escape or Enter calls the given dialog's OnCancel instead of being dispatched.
void AfxPumpMessages(CDialog* cancelTarget);
