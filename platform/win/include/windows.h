// The Windows-like platform, all areas.
#pragma once
#include "wintypes.h"
#include "winerror.h"
#if __has_include("winnls.h")
#include "winnls.h"
#endif
#if __has_include("winbase.h")
#include "winbase.h"
#endif
#if __has_include("winprofile.h")
#include "winprofile.h"
#endif
#if __has_include("wingdi.h")
#include "wingdi.h"
#endif
#if __has_include("wintext.h")
#include "wintext.h"
#endif
#if __has_include("winuser.h")
#include "winuser.h"
#endif
#if __has_include("winmdi.h")
#include "winmdi.h"
#endif
#if __has_include("mmsystem.h")
#include "mmsystem.h"
#endif
#if __has_include("winreg.h")
#include "winreg.h"
#endif
