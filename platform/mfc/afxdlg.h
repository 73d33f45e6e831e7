// Dialogs of the class library. Until the window layer carries dialog windows, a dialog is its
// template's state in memory: control texts, the title, visibility and enabled controls, so its
// logic runs (and is tested) headless; message boxes it asks go through the platform.
#pragma once

#include <map>
#include <string>

#include "mfc/afx.h"

class CProgressCtrl {
 public:
  void SetRange(int lo, int hi) {
    lo_ = lo;
    hi_ = hi;
  }
  int SetPos(int pos) {
    int old = pos_;
    pos_ = pos < lo_ ? lo_ : pos > hi_ ? hi_ : pos;
    return old;
  }
  int GetPos() const { return pos_; }
  int Lower() const { return lo_; }
  int Upper() const { return hi_; }

 private:
  int lo_ = 0, hi_ = 100, pos_ = 0;
};

class CDialog : public CWnd {
 public:
  CDialog(UINT templateId, CWnd* parent) : template_id_(templateId), parent_(parent) {}
  ~CDialog() override = default;

  // Modeless: builds the dialog from its template, hidden, and runs OnInitDialog.
  BOOL Create(UINT templateId, CWnd* parent);
  // Ends a modeless dialog; PostNcDestroy follows (it may delete the object).
  BOOL DestroyWindow();

  virtual BOOL OnInitDialog() { return TRUE; }
  virtual void OnCancel() {}
  virtual void OnOK() {}
  virtual void PostNcDestroy() {}

  bool IsCreated() const { return created_; }
  void SetDlgItemText(int id, const char* text) { items_[id] = text ? text : ""; }
  std::string GetDlgItemText(int id) const {
    auto it = items_.find(id);
    return it == items_.end() ? std::string() : it->second;
  }
  void SetWindowText(const char* text) { title_ = text ? text : ""; }
  const std::string& GetWindowText() const { return title_; }
  void ShowWindow(bool show) { visible_ = show; }
  bool IsWindowVisible() const { return visible_; }
  void EnableItem(int id, bool enable) { disabled_[id] = !enable; }
  bool IsItemEnabled(int id) const {
    auto it = disabled_.find(id);
    return it == disabled_.end() || !it->second;
  }
  void CenterWindow() { centred_ = true; }
  bool IsCentred() const { return centred_; }
  // Redraws the dialog now (counted; the window layer paints).
  void UpdateWindow() { ++redraws_; }
  int Redraws() const { return redraws_; }
  CWnd* Parent() const { return parent_; }

 protected:
  UINT template_id_;
  CWnd* parent_;

 private:
  std::map<int, std::string> items_;
  std::map<int, bool> disabled_;
  std::string title_;
  bool created_ = false, visible_ = false, centred_ = false;
  int redraws_ = 0;
};

// Dispatches the thread's waiting messages (none until the window layer delivers them). A
// key-down of Escape or Enter calls the given dialog's OnCancel instead.
void AfxPumpMessages(CDialog* cancelTarget);
