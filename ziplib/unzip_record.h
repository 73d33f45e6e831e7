// The 558-byte member record that UnzipFindFirst and UnzipFindNext hand to their caller.
#pragma once

#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)
struct TArchiveEntryInfo {
  uint32_t dwOriginalSize;     // uncompressed size
  uint32_t dwCompressedSize;   // compressed size, less the 12-byte header when encrypted
  uint32_t dwCRC;
  uint32_t uFlag;              // 0
  uint32_t uOSType;            // 0
  uint16_t wRatio;             // 0
  uint16_t wDate;              // DOS date
  uint16_t wTime;              // DOS time
  char szFileName[513];        // name as stored, NUL-terminated
  char dummy1[3];
  char szAttribute[8];         // "ashr"-style, 4 characters
  char szMode[8];              // method name
};
#pragma pack(pop)

static_assert(sizeof(TArchiveEntryInfo) == 558);
static_assert(offsetof(TArchiveEntryInfo, dwCompressedSize) == 4);
static_assert(offsetof(TArchiveEntryInfo, dwCRC) == 8);
static_assert(offsetof(TArchiveEntryInfo, uFlag) == 12);
static_assert(offsetof(TArchiveEntryInfo, uOSType) == 16);
static_assert(offsetof(TArchiveEntryInfo, wRatio) == 20);
static_assert(offsetof(TArchiveEntryInfo, wDate) == 22);
static_assert(offsetof(TArchiveEntryInfo, wTime) == 24);
static_assert(offsetof(TArchiveEntryInfo, szFileName) == 26);
static_assert(offsetof(TArchiveEntryInfo, dummy1) == 539);
static_assert(offsetof(TArchiveEntryInfo, szAttribute) == 542);
static_assert(offsetof(TArchiveEntryInfo, szMode) == 550);
