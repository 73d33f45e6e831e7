#include "ziplib/zipapp.h"

namespace zipvault {

namespace {
CZipvaultApp theApp;
// The class library's start-up and tear-down with the library's load and unload.
struct Attach {
  Attach() { AfxDllAttach(); }
  ~Attach() { AfxDllDetach(); }
} attach;
}  // namespace

CZipvaultApp& zipvault_app() { return theApp; }

}  // namespace zipvault
