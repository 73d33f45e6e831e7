// The ZIP format as the compression side writes it: the records' layouts, the DOS date and time,
// and the in-memory records of archive entries and of files selected for adding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace zipvault {

inline constexpr uint32_t LOCSIG = 0x04034B50;   // P K 3 4
inline constexpr uint32_t EXTLOCSIG = 0x08074B50;   // P K 7 8
inline constexpr uint32_t CENSIG = 0x02014B50;   // P K 1 2
inline constexpr uint32_t ENDSIG = 0x06054B50;   // P K 5 6
inline constexpr size_t LOCHEAD = 26;   // after the signature
inline constexpr size_t CENHEAD = 42;
inline constexpr size_t ENDHEAD = 18;
inline constexpr size_t EXTHEAD = 12;

inline constexpr uint16_t VEM_NEW = 0x0B15;   // made by: system 11, version 2.1
inline constexpr uint16_t VEM_DOS = 20;

// The largest values the records can hold; larger ones are refused before anything is written.
inline constexpr uint64_t ZIP_MAX32 = 0xFFFFFFFFull;
inline constexpr size_t ZIP_MAX_ENTRIES = 0xFFFF;

// DOS date and time of a local time: an odd second goes up to the next even one, years before
// 1980 become 1980-01-01 00:00:00 and years after 2107 become 2107-12-31 23:59:58.
uint32_t unix2dostime(time_t t);
// The DOS date (month, day, year) at 00:00:00; 0 when the date is not valid.
uint32_t dostime(int year, int month, int day, int hour, int minute, int second);
// Local time of a DOS date and time.
time_t dos2unixtime(uint32_t dost);

// One entry of the archive.
struct ZEntry {
  uint16_t vem = 0, ver = 0, flg = 0, how = 0;
  uint32_t tim = 0, crc = 0;
  uint64_t siz = 0, len = 0;   // compressed and uncompressed sizes
  uint16_t dsk = 0, att = 0, lflg = 0;
  uint32_t atx = 0;
  uint64_t off = 0;            // of the local header
  std::string name;            // disk name
  std::string iname;           // stored name
  std::string zname;           // name the patterns and the lookups use
  std::vector<uint8_t> extra, cextra;
  std::string comment;
  int mark = 0;                // 1: selected for the current action
  bool trash = false;          // its file goes with -m
  bool dosflag = false;
  bool written = false;        // its data reached the new archive in this run
};

// A file found on disk for adding.
struct FEntry {
  std::string name, iname, zname;
  bool dosflag = false;
};

// Little-endian record builders.
inline void put16(std::vector<uint8_t>& b, uint16_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
inline void put32(std::vector<uint8_t>& b, uint32_t v) {
  put16(b, static_cast<uint16_t>(v));
  put16(b, static_cast<uint16_t>(v >> 16));
}
inline uint16_t get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t get32(const uint8_t* p) { return get16(p) | (static_cast<uint32_t>(get16(p + 2)) << 16); }

// The records, or false when a value does not fit its field (nothing is built then).
bool build_local(const ZEntry& z, std::vector<uint8_t>& out);
bool build_extended(const ZEntry& z, std::vector<uint8_t>& out);
bool build_central(const ZEntry& z, std::vector<uint8_t>& out);
bool build_end(size_t count, uint64_t size, uint64_t offset, const std::string& comment, std::vector<uint8_t>& out);

}  // namespace zipvault
