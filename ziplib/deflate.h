// The deflate compressor of the compression side: the match finder over a 64 KiB sliding window
// with hash chains, driving the block builder (trees.h) and the bit output (bits.h).
//
// How the archive engine uses it
// ------------------------------
// The engine owns one Deflater per run (it holds about 300 KiB of tables; allocate it on the
// heap, e.g. std::make_unique<Deflater>()) and reuses it for every file it adds. For one entry it
// derives a ZipEntryIO bound to the file and the archive stream, and calls
//
//     ZipDataResult r = deflater.zip_entry_data(io, level, method);
//
// after writing the local header. The compressor reads the file through io.file_read(), writes
// the entry's data (deflated, or stored when method is METHOD_STORED or level is 0) through
// io.write_out(), and returns:
//   r.code    ZE_OK; ZE_READ when file_read() reported an error (the data written is incomplete:
//             the entry must not be kept as it is); ZE_TEMP when a stored copy could not be
//             written; ZE_LOGIC with r.text "write error on zip file" when compressed output
//             could not be written, "bad pack level" for a level outside 1-9 with deflate,
//             "bad compression method" for a method other than store and deflate, or
//             "incorrect compressed size";
//   r.method  the method actually used: METHOD_DEFLATED, or METHOD_STORED when asked for, or when
//             a deflated file did not compress and went out whole as stored data (only when
//             io.seekable() said the local header can be rewritten);
//   r.flags   general purpose flag bits of the level (4 for levels 1-2, 2 for levels 8-9);
//   r.att     internal attributes: FILE_ASCII or FILE_BINARY guessed from the data (0 when
//             stored by request);
//   r.crc     CRC-32 of the bytes file_read() delivered (ziplib/crc32.h);
//   r.usize   bytes delivered; r.csize bytes written through write_out(). Both 64-bit.
// The engine then fills the entry and rewrites the local header (or writes a data descriptor).
// file_read() returning 0 on cancel simply ends the data; the engine checks its cancel flag
// afterwards. With line-end translation on, the engine warns "-l used on binary file" when
// deflate was asked for and r.att is FILE_BINARY.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "ziplib/bits.h"
#include "ziplib/consts.h"
#include "ziplib/trees.h"

namespace zipvault {

// Zip error codes the compressor reports (the compression side's error table).
inline constexpr int ZE_OK = 0;
inline constexpr int ZE_MEM = 4;
inline constexpr int ZE_LOGIC = 5;
inline constexpr int ZE_TEMP = 10;
inline constexpr int ZE_READ = 11;

// General purpose flag bits for the speed/size trade-off of the level.
inline constexpr uint16_t FLAG_DEFLATE_FAST = 4;   // levels 1 and 2
inline constexpr uint16_t FLAG_DEFLATE_SLOW = 2;   // levels 8 and 9

// What the compressor sees of one entry: its input and the archive stream.
class ZipEntryIO {
 public:
  virtual ~ZipEntryIO() = default;

  // Up to size bytes of the file's data into buf (the engine's input reader: line-end
  // translation, progress, cancel). Returns the count delivered, 0 at the end of the data or on
  // cancel, -1 on a read error. A count larger than size counts as a read error.
  virtual ptrdiff_t file_read(uint8_t* buf, size_t size) = 0;

  // Appends n bytes to the archive stream; false when they could not be written.
  virtual bool write_out(const uint8_t* buf, size_t n) = 0;

  // True when the archive stream can be repositioned, so that the local header can be rewritten
  // with another method after the data. Only then may a deflated file become stored.
  virtual bool seekable() { return false; }
};

struct ZipDataResult {
  int code = ZE_OK;
  const char* text = "";
  uint16_t method = 0;
  uint16_t flags = 0;
  uint16_t att = 0;
  uint32_t crc = 0;
  uint64_t csize = 0;
  uint64_t usize = 0;
};

inline constexpr unsigned WINDOW_SIZE = 2 * 32768;   // history plus lookahead
inline constexpr unsigned HASH_BITS = 15;
inline constexpr unsigned HASH_SIZE = 1u << HASH_BITS;
inline constexpr unsigned HASH_MASK = HASH_SIZE - 1;
inline constexpr unsigned H_SHIFT = 5;                // three bytes make a hash
inline constexpr unsigned MIN_MATCH = 3;
inline constexpr unsigned MAX_MATCH = 258;
inline constexpr unsigned MIN_LOOKAHEAD = MAX_MATCH + MIN_MATCH + 1;
inline constexpr unsigned MAX_DIST = 32768 - MIN_LOOKAHEAD;
inline constexpr unsigned TOO_FAR = 4096;             // a 3-byte match farther is not worth it
// Zeroed bytes after the window: match comparisons read whole 8-byte words past the lookahead.
inline constexpr unsigned WINDOW_SLACK = 272;
inline constexpr size_t STORE_BUFSIZE = 16384;

// Limits per level: below good_length the chain is searched whole, a match of lazy (max_lazy)
// or more is not bettered at the next position (the fast loop inserts matches up to it), a match
// of nice_length ends the search, and at most max_chain candidates are looked at.
struct config {
  uint16_t good_length;
  uint16_t max_lazy;
  uint16_t nice_length;
  uint16_t max_chain;
};

inline constexpr config configuration_table[10] = {
    {0, 0, 0, 0},          // 0: store, not used here
    {4, 4, 8, 4},          // 1-3: the fast loop
    {4, 5, 16, 8},
    {4, 6, 32, 32},
    {4, 4, 16, 16},        // 4-9: lazy matching
    {8, 16, 32, 32},
    {8, 16, 128, 128},
    {8, 32, 128, 256},
    {32, 128, 258, 1024},
    {32, 258, 258, 4096},
};

class Deflater {
 public:
  Deflater();
  Deflater(const Deflater&) = delete;
  Deflater& operator=(const Deflater&) = delete;

  // The data of one entry; see the top of this file.
  ZipDataResult zip_entry_data(ZipEntryIO& io, int level, uint16_t method);

 private:
  void lm_init(int level, uint16_t* flags);
  uint64_t deflate();
  uint64_t deflate_fast();
  void fill_window();
  unsigned longest_match(unsigned cur_match);
  size_t read_buf(uint8_t* buf, size_t size);
  void store_copy();

  void update_hash(uint8_t c) { ins_h_ = ((ins_h_ << H_SHIFT) ^ c) & HASH_MASK; }
  // Inserts the string at s into its chain; returns the previous head of the chain.
  unsigned insert_string(unsigned s) {
    update_hash(window_[s + MIN_MATCH - 1]);
    unsigned match_head = head_[ins_h_];
    prev_[s & (HASH_SIZE - 1)] = static_cast<uint16_t>(match_head);
    head_[ins_h_] = static_cast<uint16_t>(s);
    return match_head;
  }
  bool tally(unsigned dist, unsigned lc) {
    return trees_.huffman_tally(dist, lc, static_cast<uint64_t>(static_cast<int64_t>(strstart_) - block_start_));
  }
  uint64_t flush_block(bool eof) {
    const uint8_t* buf = block_start_ >= 0 ? window_ + block_start_ : nullptr;
    return trees_.flush_block(buf, static_cast<uint64_t>(static_cast<int64_t>(strstart_) - block_start_), eof);
  }

  BitWriter bits_;
  Trees trees_;
  ZipEntryIO* io_ = nullptr;

  // A block of its own, exactly window plus slack, so that memory checkers see any read beyond.
  std::unique_ptr<uint8_t[]> window_buf_;
  uint8_t* window_;
  uint16_t prev_[HASH_SIZE];
  uint16_t head_[HASH_SIZE];

  unsigned ins_h_ = 0;
  unsigned strstart_ = 0;
  unsigned lookahead_ = 0;
  int64_t block_start_ = 0;      // negative once the block's start slid out of the window
  unsigned match_start_ = 0;
  unsigned match_length_ = 0;
  unsigned prev_length_ = 0;
  bool eofile_ = false;

  unsigned good_match_ = 0;
  unsigned max_lazy_match_ = 0;
  unsigned nice_match_ = 0;
  unsigned max_chain_length_ = 0;
  int level_ = 0;

  // Input accounting of the entry.
  uint32_t crc_reg_ = 0xFFFFFFFFu;
  uint64_t isize_ = 0;
  bool read_error_ = false;
  uint64_t stored_bytes_ = 0;   // bytes of a stored copy

  uint16_t att_ = FILE_UNKNOWN;
  uint16_t method_ = 0;
};

}  // namespace zipvault
