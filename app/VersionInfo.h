// The program's own version.
#pragma once
#include <cstdint>

#include "SysUtils.h"

struct TVersion {
  int32_t Major = 0;
  int32_t Minor = 0;
  int32_t Release = 0;
  int32_t Build = 0;
  AnsiString Version;
};

// The version the program is released as: 1.5.0.0.
extern const TVersion VersionInfo;
