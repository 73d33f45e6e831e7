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

namespace {
bool g_escape_down = false;
bool g_enter_down = false;
}  // namespace

// Without dialog windows the keys are read from the input state: a key that went down since the
// last pump counts as one key-down.
void AfxPumpMessages(CDialog* cancelTarget) {
  const bool esc = (GetAsyncKeyState(VK_ESCAPE) & 0x8000) != 0;
  const bool enter = (GetAsyncKeyState(VK_RETURN) & 0x8000) != 0;
  const bool pressed = (esc && !g_escape_down) || (enter && !g_enter_down);
  g_escape_down = esc;
  g_enter_down = enter;
  if (pressed && cancelTarget && cancelTarget->IsCreated()) cancelTarget->OnCancel();
}
