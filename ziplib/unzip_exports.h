// The extraction entries of libzipvault.so. Handles are pointer-sized and opaque; strings are
// ANSI (code page 932).
#pragma once

#include <cstdint>

#include "ziplib/unzip_record.h"

#ifndef ZV_API
#if defined(_WIN32) && !defined(_WIN64)
#define ZV_API __stdcall
#else
#define ZV_API
#endif
#endif

extern "C" {

typedef void* ZV_HWND;
typedef void* ZV_HARC;
typedef void* ZV_HGLOBAL;

// The Unzip command; -1 also when another call of the library is running.
int ZV_API Unzip(ZV_HWND hwnd, const char* cmdline, char* outbuf, uint32_t outsize);
// A listing handle, or NULL (any non-zero listing result, or the library busy).
ZV_HARC ZV_API UnzipOpenArchive(ZV_HWND hwnd, const char* archive, uint32_t mode);
int ZV_API UnzipCloseArchive(ZV_HARC harc);
// 0 when a record was delivered; -1 at the end, for an unknown handle or a null record pointer,
// or while another call of the library runs.
int ZV_API UnzipFindFirst(ZV_HARC harc, const char* wildname, TArchiveEntryInfo* info);
int ZV_API UnzipFindNext(ZV_HARC harc, TArchiveEntryInfo* info);
// 1 when the archive reads cleanly, else 0.
int ZV_API UnzipCheckArchive(const char* archive, int mode);
// 0 and a movable global block owned by the caller; otherwise a result code (-1 for a null
// out-pointer or a busy library) with *block NULL and *size 1 where they can be written.
int ZV_API UnzipExtractToMem(ZV_HWND hwnd, const char* archive, const char* entry, ZV_HGLOBAL* block,
                             uint32_t* size);
int ZV_API UnzipExtractAll(ZV_HWND hwnd, const char* archive, const char* folder, uint32_t flags);
int ZV_API UnzipGetVersion(void);
int ZV_API UnzipGetRunning(void);
int ZV_API UnzipGetBackGroundMode(void);
int ZV_API UnzipSetCursorMode(int mode);
int ZV_API UnzipSetBackGroundMode(int mode);
int ZV_API DllEntryPoint(void* module, uint32_t reason, void* reserved);

}
