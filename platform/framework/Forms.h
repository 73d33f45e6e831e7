// Forms: the application object and the screen, so far as the board model needs them before the
// window system exists. The window system's TApplication and TScreen take their place later with
// the same globals and members.
#pragma once
#include "Classes.h"

class TApplication : public TComponent {
 public:
  explicit TApplication(TComponent* AOwner) : TComponent(AOwner) {}
  // The program's full file name.
  AnsiString ExeName() const;
};

class TScreen : public TComponent {
 public:
  explicit TScreen(TComponent* AOwner) : TComponent(AOwner) {}
  // The size of the display, in pixels.
  int Width() const;
  int Height() const;
};

extern TApplication* Application;
extern TScreen* Screen;
