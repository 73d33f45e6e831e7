// The compression side's engine: one CZip runs one Zip command (split the command line, read the
// old archive, select files, write the new archive through a temporary file, replace the old one).
// Its state lives in the object; a run resets it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "mfc/afx.h"
#include "mfc/rtlib.h"
#include "ziplib/deflate.h"
#include "ziplib/ziperrors.h"
#include "ziplib/zipfile.h"

namespace zipvault {

class CDlgExtMsg;

// The data of one file being added. The engine reads files through this (tests substitute it).
class ZipInput {
 public:
  virtual ~ZipInput() = default;
  // Bytes read, 0 at the end, -1 on a read error.
  virtual ptrdiff_t read(uint8_t* buf, size_t n) = 0;
};

// The pieces in which a new archive is copied over the old one.
inline constexpr size_t kReplacePiece = 327680;

// Copies the new archive temp into dest in place, for an archive that cannot be renamed over
// (another program holds it open, allowing writes but not replacing), with the dialog's step
// "copying..." and its bar following each piece. When the copy fails for want of space, dest
// keeps its old bytes. 0, or the zip error code (10 when a file cannot be opened, 14 when
// writing fails).
int copy_archive_in_place(const std::string& dest, const std::string& temp, CDlgExtMsg* dlg);

class CZip {
 public:
  CZip();
  virtual ~CZip();
  CZip(const CZip&) = delete;
  CZip& operator=(const CZip&) = delete;

  // The Zip command worker: runs the command with the caller's window (may be null) and returns
  // 0 on success, else the zip error code of the run (9 when cancelled).
  int run_command(HWND hwnd, const char* cmdline);

  // After a run: the arguments it split (argument 0 is "Zip") and its working folder token.
  const std::vector<std::string>& arguments() const { return args_; }
  const std::string& working_dir() const { return work_dir_; }

  // Wildcard match of the file selection: 1 match, 0 no match, 2 no match possible. Literal
  // characters compare one by one, ignoring ASCII case.
  static int dosmatch(const char* pattern, const char* name);
  // Disk name to stored name (drive and leading separators removed, '\' to '/', -j, -k).
  std::string ex2in(const std::string& name, bool isdir, bool* dosflag);
  // Stored name to disk name.
  std::string in2ex(const std::string& name);

 protected:
  // Opens a file for adding; null when it cannot be opened for reading.
  virtual std::unique_ptr<ZipInput> open_input(const char* name);

 private:
  enum Action { ADD, UPDATE, FRESHEN, REMOVE };

  // ---- command line and main sequence
  void split_command_line(const char* cmd, int depth);
  void add_token(std::string tok, int depth);
  int zip_main();
  int apply_option(char c, int& pos, bool& have_action, bool names_given);
  int cancelled();

  // ---- reports
  int ziperr(int code, const char* text);
  void zipwarn(const char* a, const char* b);
  // The "zip warning" line of a system error (a run-time error number) on the standard error stream.
  static void zipwarn_system(int err);

  // ---- archive reading and records
  int readzipfile();
  int read_local_entries(mfc::RtStream& f, int64_t& pos, int64_t flen);
  int scan_for_descriptor(mfc::RtStream& f, ZEntry& z, int64_t data_start, int64_t flen, int64_t& pos);
  int scan_next_signature(mfc::RtStream& f, int64_t from, int64_t flen, int64_t* at);
  int read_central(mfc::RtStream& f, int64_t& pos, size_t& matched);
  int read_end(mfc::RtStream& f, int64_t& pos, size_t matched, int64_t flen, int64_t cen_start);
  int seek_error(mfc::RtStream& f);
  void build_sorted();
  ZEntry* zsearch(const std::string& iname);
  int putlocal(const ZEntry& z);
  int putextended(const ZEntry& z);
  int putcentral(const ZEntry& z);
  int putend(size_t count, uint64_t size, uint64_t offset);
  int write_central_and_end();
  int zipcopy(ZEntry& z, mfc::RtStream& in);
  int copy_prefix(mfc::RtStream& in);

  // ---- adding one file
  int zipup(ZEntry& z);
  ptrdiff_t file_read(uint8_t* buf, size_t size);
  std::string tempname();
  int replace(const std::string& dest, const std::string& temp);
  int finish();
  bool is_stored_by_suffix(const std::string& name) const;

  // ---- selection and names
  int wild(const std::string& name);
  int procname(const std::string& name);
  int newname(const std::string& name, bool isdir);
  int filter(const std::string& name) const;
  int build_patterns();
  int check_dups();
  uint32_t filetime(const std::string& name, uint32_t* attrs, int64_t* size);
  int destroy(const std::string& name);
  bool is_the_archive(const std::string& name);
  bool dos_volume(const std::string& name);
  static std::string to_dos_form(const std::string& component, bool keep_last_dot);

  // ---- state of the run
  HWND hwnd_ = nullptr;
  CWnd wnd_;
  CDlgExtMsg* dlg_ = nullptr;
  std::vector<std::string> args_;
  std::string work_dir_;

  Action action_ = ADD;
  int level_ = 6;
  bool store_only_ = false;
  bool recurse_ = false;
  bool pathput_ = true;
  bool dispose_ = false;
  std::string special_;
  int translate_eol_ = 0;
  bool dosify_ = false;
  bool dirnames_ = true;
  bool hidden_files_ = false;
  bool volume_label_ = false;
  bool extra_fields_ = true;
  int verbose_ = 0;
  bool noisy_ = true;
  int fix_ = 0;
  bool adjust_ = false;
  bool junk_sfx_ = false;
  bool grow_ = false;
  bool latest_ = false;
  uint32_t before_ = 0;
  bool have_before_ = false;
  std::string tempath_;
  bool comadd_ = false;

  std::string zipfile_;
  std::string tempzip_;
  std::unique_ptr<mfc::RtStream> tempzf_;   // the stream being written
  std::vector<std::unique_ptr<ZEntry>> zfiles_;
  std::vector<ZEntry*> zsort_;
  std::string zcomment_;
  int64_t zipbeg_ = 0;       // bytes before the first entry
  int64_t cenbeg_ = 0;       // offset of the old central directory
  uint64_t tempzn_ = 0;      // running output position
  std::vector<FEntry> found_;
  struct Pattern {
    std::string zname;
    char kind;
  };
  std::vector<Pattern> patterns_;
  size_t icount_ = 0;
  int archive_state_ = 0;    // 0 not known, 1 absent, 2 present
  mfc::RtIdentity archive_id_;
  int error_reports_ = 0;
  int result_ = 0;           // the run's first error
  bool incomplete_ = false;  // a file could not be archived
  std::unique_ptr<Deflater> deflater_;

  // Per-file input state.
  std::unique_ptr<ZipInput> ifile_;
  uint32_t crc_reg_ = 0xFFFFFFFFu;
  uint64_t isize_ = 0;
  int64_t progress_total_ = 0, progress_done_ = 0;
  std::vector<uint8_t> eol_buf_;
  int eol_pending_ = -1;   // CR LF to LF: a byte read ahead for the next piece
  bool read_error_ = false;
  int input_errno_ = 0;   // why the file could not be opened or read
  friend class EntryIOAdapter;
};

}  // namespace zipvault
