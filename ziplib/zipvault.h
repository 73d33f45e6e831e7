// The exported interface of libzipvault.so, for the library and its callers. Handles are
// pointer-sized and opaque.
#pragma once

#include <cstdint>

#if defined(_WIN32) && !defined(_WIN64)
#define ZV_API __stdcall
#else
#define ZV_API
#endif

extern "C" {

typedef void* ZV_HWND;

// Runs a Zip command line. 0 on success; otherwise the zip error code of the run (2..18, 9 when
// cancelled), or -1 when the engine could not be allocated or another call of the library is
// running. The output buffer is not used.
int ZV_API Zip(ZV_HWND hwnd, const char* cmdline, char* outbuf, uint32_t outsize);

}
