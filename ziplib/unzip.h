// The extraction engine: one CUnZip object serves one call of the library (an Unzip command, a
// record list, an archive check, a memory extraction). It reads the archive through one 8192-byte
// buffer, walks the central directory, and extracts, tests or lists the entries.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "mfc/afx.h"
#include "windows.h"
#include "ziplib/consts.h"
#include "ziplib/entry_io.h"
#include "ziplib/unzip_record.h"

namespace zipvault {

// Result codes of the extraction side beyond those the decoders share (consts.h).
inline constexpr int PK_WARN = 1;      // something skipped, a password problem, trailing data
inline constexpr int PK_BADERR = 3;    // archive damaged
inline constexpr int PK_MEM = 5;       // no memory (password, decryption, memory block)
inline constexpr int PK_NOZIP = 9;     // archive missing, unreadable or without an end record
inline constexpr int PK_FIND = 11;     // nothing matched
inline constexpr int PK_EOF = 51;      // unexpected end of the archive
inline constexpr int IZ_DIR = 76;      // the archive name is a folder
inline constexpr int MPN_FOLDER = 77;  // map_name: a folder entry, nothing to write
inline constexpr int PK_BUSY = -1;     // the library is already running a call

class CDlgExtMsg;

// Library-wide answers that outlive a call (reset only by options and answers), and the one
// progress dialog that may exist.
struct UnzipGlobals {
  CDlgExtMsg* progress = nullptr;
  int overwrite_never = 0;
  int overwrite_all[2] = {0, 0};
  bool overwrite_all_on() const { return overwrite_all[0] != 0 || overwrite_all[1] != 0; }
};
UnzipGlobals& unzip_globals();

class CUnZip {
 public:
  CUnZip();
  ~CUnZip();
  CUnZip(const CUnZip&) = delete;
  CUnZip& operator=(const CUnZip&) = delete;

  // ---- workers --------------------------------------------------------------------------------
  // The Unzip command: options, archive, destination, entry names. Result codes above; -1 when
  // the destination cannot be created.
  int run_command(HWND owner, const char* cmdline, char* out, uint32_t outsize);
  // Lists every entry into member records kept by the object (the listing handle).
  int open_record_list(const char* archive);
  int find_first_record(TArchiveEntryInfo* info);
  int find_next_record(TArchiveEntryInfo* info);
  void close_record_list();
  // Reads the archive's directory without extracting; mode 2 searches the whole file for the end
  // record and wants the directory on this disk.
  int check_archive(const char* archive, int mode);
  // Extracts the one entry of exactly this name into a movable global memory block, owned by the
  // caller afterwards. On failure *block is NULL and *size 1.
  int extract_to_memory(HWND owner, const char* archive, const char* entry, HGLOBAL* block, uint32_t* size);

  // ---- options of a run (public for the command runner's tests) -------------------------------
  struct Options {
    int aflag = 0, jflag = 0, lflag = 0, qflag = 1, L_flag = 0, zflag = 0, tflag = 0, fflag = 0,
        uflag = 0, V_flag = 0, volflag = 0, xflag = 0, process_all = 1;
    bool whole_file_search = false;  // archive check, mode 2
    bool mem_mode = false;
  };
  const Options& options() const { return opt_; }
  const std::vector<std::string>& names() const { return names_; }
  // Parses a command line into names and options (public for tests); false when a list file
  // cannot be read or has an empty line.
  bool split_command_line(const char* cmdline);

 private:
  friend class UnzipEntrySource;

  // Output buffer.
  void append_output(const char* text, size_t len);
  void append_output(const std::string& s) { append_output(s.data(), s.size()); }
  void append_name_line();

  // Archive reading.
  bool open_archive();
  void close_archive();
  int64_t read_at(int64_t pos, void* buf, size_t n);
  bool seek_archive(int64_t abs);
  bool refill_buffer();
  bool read_bytes(void* dst, size_t n);
  bool skip_bytes(uint64_t n);
  int64_t reading_position() const;

  int process_archive();
  int find_end_record(int64_t search_len);
  int extract_or_test_entries();
  int list_archive();
  int read_string_field(unsigned len, int kind);
  void decode_name(uint16_t flags);
  int read_central_header();
  int read_local_header();
  bool store_entry_info();

  // One entry.
  int map_name();
  int check_existing_file(const std::string& path);
  int ask_overwrite(const std::string& path);
  int decide_overwrite();
  int decrypt_entry();
  int test_password(const uint8_t* header);
  int extract_entry();
  int run_decoder();
  // The whole handling of one selected entry: a result code, or one of these.
  static constexpr int HANDLE_SKIPPED = -1, HANDLE_BAD_PASSWORD = -2, HANDLE_NOMEM = -3;
  int handle_entry(int64_t data_start);
  void discard_output();

  // Entry record of the current block.
  struct EntryRec {
    uint64_t offset = 0, csize = 0, ucsize = 0;
    uint32_t crc = 0;
    uint8_t hostnum = 0, attr = 0;
    bool encrypted = false, ext_header = false, textfile = false, lcflag = false, vollabel = false;
    bool name_cut = false;
  };
  struct CentralHeader {
    uint16_t version_made_by = 0, version_needed = 0, flags = 0, method = 0, time = 0, date = 0;
    uint32_t crc = 0, csize = 0, ucsize = 0;
    uint16_t fnlen = 0, extralen = 0, commentlen = 0, disk_start = 0, int_attr = 0;
    uint32_t ext_attr = 0, local_offset = 0;
  };
  struct LocalHeader {
    uint16_t version_needed = 0, flags = 0, method = 0, time = 0, date = 0;
    uint32_t crc = 0, csize = 0, ucsize = 0;
    uint16_t fnlen = 0, extralen = 0;
  };
  struct EndRecord {
    uint16_t this_disk = 0, cd_disk = 0, entries_this_disk = 0, total_entries = 0;
    uint64_t cd_size = 0, cd_offset = 0;
    uint16_t comment_len = 0;
  };

  void reset_options();
  void set_output(char* out, uint32_t outsize);

  Options opt_;
  std::vector<std::string> names_;
  std::string archive_;
  std::string dest_;   // destination prefix, with a trailing separator when not empty
  HWND owner_ = nullptr;
  CWnd wnd_;                     // the caller's window, parent of the progress dialog
  bool own_dialog_ = false;
  uint64_t progress_done_ = 0;   // bytes written of the current entry
  // Output pieces left before the dialog next hears of them, and the count it starts again from:
  // every piece for files, every fourth for a memory block.
  int progress_countdown_ = 1, progress_reload_ = 1;
  bool open_progress(HWND owner);
  // The wait cursor while a worker runs; the previous one comes back.
  using WaitCursor = CWaitCursor;
  void close_progress();

  // Output buffer.
  char* out_ = nullptr;
  uint64_t out_cap_ = 0, out_used_ = 0;

  // Archive.
  HANDLE file_ = INVALID_HANDLE_VALUE;
  int64_t size_ = 0;
  std::vector<uint8_t> inbuf_;   // 8192 bytes
  int64_t buf_pos_ = 0;          // file position of inbuf_[0]
  size_t buf_len_ = 0;           // valid bytes in inbuf_
  size_t buf_ptr_ = 0;           // next byte
  int64_t real_ecrec_offset_ = 0, expect_ecrec_offset_ = 0, extra_bytes_ = 0;
  bool saved_extra_bytes_ = false;
  int64_t saved_extra_value_ = 0;
  EndRecord ecrec_;
  CentralHeader crec_;
  LocalHeader lrec_;
  std::string filename_;        // name buffer (at most 260 bytes), in the ANSI code page
  std::u16string wide_name_;    // the same name as stored, exactly
  bool name_lossy_ = false;     // a UTF-8 name with characters outside the ANSI code page
  std::vector<uint8_t> extra_;
  EntryRec entries_[64];
  EntryRec* cur_ = nullptr;

  // Entry state.
  std::string outpath_;
  HANDLE outfile_ = INVALID_HANDLE_VALUE;
  HGLOBAL mem_block_ = nullptr;
  uint8_t* mem_ptr_ = nullptr;
  uint64_t mem_size_ = 0, mem_used_ = 0;
  bool mem_done_ = false;          // memory mode: the first match was extracted
  uint64_t entry_ucsize_ = 0, entry_csize_ = 0;
  uint32_t entry_crc_ = 0;
  bool overflow_ = false;          // the data were longer than the entry says
  bool data_bad_ = false;          // the entry's data were damaged (or wrongly decrypted)
  std::vector<uint8_t> plain_;     // decrypted input
  int disk_full_ = 0;
  int64_t remaining_ = 0;          // compressed bytes left to the byte source
  bool decrypting_ = false;
  uint32_t keys_[3] = {0, 0, 0};
  uint32_t saved_keys_[3] = {0, 0, 0};
  std::string password_;
  bool password_held_ = false;
  bool password_asked_ = false;    // asked in this archive run
  bool empty_password_ = false;
  bool password_failed_ = false;   // the held password decrypted an entry wrongly
  int attempts_left_ = 3;
  bool cancel_ = false;
  int entry_number_ = -1;

  // Record list.
  bool records_open_ = false;
  std::vector<TArchiveEntryInfo> records_;
  size_t record_next_ = 0;

  class UnzipEntrySource* io_ = nullptr;
};

// Creates every missing folder of path up to its last separator (the last component too when
// create_last); 1, or 0 after a failure that a message box has shown.
int make_directories(const std::string& path, bool create_last);

// Builds the Unzip command of UnzipExtractAll; false when a name cannot be quoted.
bool build_extract_all_command(const char* archive, const char* folder, uint32_t flags, std::string* cmd);

// Listing helpers (exposed for tests).
int unzip_ratio(uint64_t uncompressed, uint64_t compressed);
std::string unzip_method_name(uint16_t method, uint16_t flags);
std::string unzip_attribute_text(uint8_t attr);

}  // namespace zipvault
