#include "VersionInfo.h"

// Kept in the program itself rather than read back from a version resource, so a missing or
// odd resource can never turn it into zeros or an exception.
const TVersion VersionInfo{1, 5, 0, 0, "1.5.0.0"};
