// The blackboard program: a full-screen board on the real display.
#include <cstdio>

#include "Unit_Main.h"
#include "winplat_screen.h"

int main() {
  auto screen = winplat::screen::MakeSdlBackend("VelSlatoraEdu");
  if (!screen) {
    std::fprintf(stderr, "VelSlatoraEdu: no display can be opened (is DISPLAY set?)\n");
    return 1;
  }
  winplat::screen::SetBackend(screen);
  const int code = RunVelSlatora();
  winplat::screen::SetBackend(nullptr);
  return code;
}
