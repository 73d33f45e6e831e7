#include "winerror.h"

namespace {
thread_local DWORD g_last_error = 0;
}

DWORD WINAPI GetLastError() { return g_last_error; }
void WINAPI SetLastError(DWORD code) { g_last_error = code; }
