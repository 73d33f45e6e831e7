// The library's application object.
#pragma once

#include "mfc/afx.h"

namespace zipvault {

class CZipvaultApp : public CWinApp {
 public:
  CZipvaultApp() : CWinApp("ZIPVAULT") {}
  ~CZipvaultApp() override = default;
};

// The one application object (constructed with the library); its message boxes carry its name.
CZipvaultApp& zipvault_app();

}  // namespace zipvault
