// The blackboard program: a full-screen board on the real display.
#include <cstdio>

#include "UcForms.h"
#include "Unit_Main.h"
#include "winplat_screen.h"

int main() {
  auto screen = winplat::screen::MakeSdlBackend("VelSlatoraEdu");
  if (!screen) {
    std::fprintf(stderr, "VelSlatoraEdu: no display can be opened (is DISPLAY set?)\n");
    return 1;
  }
  winplat::screen::SetBackend(screen);
  int code = RunVelSlatora();
  // The wide layer's end can fail (its message hook); said here, while the run can still tell it.
  try {
    DoneUcApplication();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "VelSlatoraEdu: %s\n", e.what());
    if (code == 0) code = 1;
  }
  winplat::screen::SetBackend(nullptr);
  return code;
}
