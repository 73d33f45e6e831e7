// Shared by the common dialogs.
#pragma once
#include "wintypes.h"

namespace winplat::commdlg {

// What CommDlgExtendedError answers: the last dialog's error (0 for none or a cancel).
DWORD& LastError();

}  // namespace winplat::commdlg
