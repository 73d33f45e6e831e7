#include "mfc/afxdlg.h"

#include "mfc/resources.h"

BOOL CDialog::Create(UINT templateId, CWnd* parent) {
  const mfc::DialogTemplate* t = mfc::FindDialogTemplate(templateId);
  if (!t || created_) return FALSE;
  template_id_ = templateId;
  parent_ = parent;
  title_ = t->title;
  for (const mfc::ControlTemplate& c : t->controls)
    if (c.id >= 0 && c.text) items_[c.id] = c.text;
  created_ = true;
  visible_ = false;
  OnInitDialog();
  return TRUE;
}

BOOL CDialog::DestroyWindow() {
  if (!created_) return FALSE;
  created_ = false;
  visible_ = false;
  PostNcDestroy();
  return TRUE;
}

void AfxPumpMessages(CDialog*) {}
