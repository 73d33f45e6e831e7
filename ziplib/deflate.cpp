#include "ziplib/deflate.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "ziplib/consts.h"
#include "ziplib/crc32.h"

namespace zipvault {

namespace {
constexpr unsigned WSZ = 32768;   // the history half of the window
constexpr unsigned WMASK = WSZ - 1;

inline uint16_t load16(const uint8_t* p) {
  uint16_t v;
  std::memcpy(&v, p, 2);
  return v;
}

inline uint64_t load64(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}
}  // namespace

Deflater::Deflater()
    : trees_(bits_), window_buf_(new uint8_t[WINDOW_SIZE + WINDOW_SLACK]()), window_(window_buf_.get()) {
  std::memset(prev_, 0, sizeof prev_);
  std::memset(head_, 0, sizeof head_);
}

// Reads input for the window, keeping the entry's CRC and size. A read error ends the input
// like its end, but is remembered so the entry is not taken as complete.
size_t Deflater::read_buf(uint8_t* buf, size_t size) {
  if (read_error_) return 0;
  ptrdiff_t n = io_->file_read(buf, size);
  if (n < 0 || static_cast<size_t>(n) > size) {
    read_error_ = true;
    return 0;
  }
  if (n == 0) return 0;
  crc_reg_ = crc32_update(crc_reg_, buf, static_cast<size_t>(n));
  isize_ += static_cast<uint64_t>(n);
  return static_cast<size_t>(n);
}

void Deflater::lm_init(int level, uint16_t* flags) {
  if (level < 1 || level > 9) throw ZipError{ZE_LOGIC, "bad pack level"};
  level_ = level;
  std::memset(head_, 0, sizeof head_);
  // Bytes past the input are read by comparisons and hashes at the end of the data; clearing
  // them keeps the output a function of this file alone.
  std::memset(window_, 0, WINDOW_SIZE + WINDOW_SLACK);

  const config& c = configuration_table[level];
  good_match_ = c.good_length;
  max_lazy_match_ = c.max_lazy;
  nice_match_ = c.nice_length;
  max_chain_length_ = c.max_chain;
  if (level <= 2) *flags |= FLAG_DEFLATE_FAST;
  else if (level >= 8) *flags |= FLAG_DEFLATE_SLOW;

  strstart_ = 0;
  block_start_ = 0;
  match_start_ = 0;
  match_length_ = MIN_MATCH - 1;
  prev_length_ = MIN_MATCH - 1;
  eofile_ = false;

  lookahead_ = static_cast<unsigned>(read_buf(window_, WINDOW_SIZE));
  if (lookahead_ == 0) {
    eofile_ = true;
    return;
  }
  while (lookahead_ < MIN_LOOKAHEAD && !eofile_) fill_window();
  ins_h_ = 0;
  update_hash(window_[0]);
  update_hash(window_[1]);
}

void Deflater::fill_window() {
  unsigned more = WINDOW_SIZE - lookahead_ - strstart_;

  // Near the top of the window: the upper half becomes the history and positions drop by 32768;
  // chain entries that fall out of the window end their chains.
  if (strstart_ >= WSZ + MAX_DIST) {
    std::memcpy(window_, window_ + WSZ, WSZ);
    match_start_ = match_start_ >= WSZ ? match_start_ - WSZ : 0;
    strstart_ -= WSZ;
    block_start_ -= WSZ;
    for (unsigned n = 0; n < HASH_SIZE; ++n) {
      unsigned m = head_[n];
      head_[n] = static_cast<uint16_t>(m >= WSZ ? m - WSZ : 0);
    }
    for (unsigned n = 0; n < WSZ; ++n) {
      unsigned m = prev_[n];
      prev_[n] = static_cast<uint16_t>(m >= WSZ ? m - WSZ : 0);
    }
    more += WSZ;
  }

  size_t n = read_buf(window_ + strstart_ + lookahead_, more);
  if (n == 0) eofile_ = true;
  else lookahead_ += static_cast<unsigned>(n);
}

// The longest match of the string at strstart among the chain starting at cur_match, at least
// longer than prev_length to count; sets match_start. Never longer than the lookahead.
unsigned Deflater::longest_match(unsigned cur_match) {
  unsigned chain_length = max_chain_length_;
  const uint8_t* const scan = window_ + strstart_;
  unsigned best_len = prev_length_;
  const unsigned max_len = std::min(MAX_MATCH, lookahead_);
  const unsigned nice = std::min(nice_match_, max_len);
  const unsigned limit = strstart_ > MAX_DIST ? strstart_ - MAX_DIST : 0;
  if (prev_length_ >= good_match_) chain_length >>= 2;

  const uint8_t* const strend = scan + max_len;
  const uint16_t scan_start = load16(scan);
  uint16_t scan_end = load16(scan + best_len - 1);

  do {
    const uint8_t* match = window_ + cur_match;
    // Cheap rejection first: the two bytes that would make the match longer than the best, then
    // the first two.
    if (load16(match + best_len - 1) != scan_end || load16(match) != scan_start) continue;

    // The third byte is equal through the hash; compare eight bytes at a time from the fourth.
    const uint8_t* s = scan + 3;
    const uint8_t* m = match + 3;
    for (;;) {
      uint64_t diff = load64(s) ^ load64(m);
      if (diff != 0) {
        s += std::countr_zero(diff) >> 3;
        break;
      }
      s += 8;
      m += 8;
      if (s >= strend) break;
    }
    unsigned len = static_cast<unsigned>(std::min(s, strend) - scan);
    if (len > best_len) {
      match_start_ = cur_match;
      best_len = len;
      if (len >= nice) break;
      scan_end = load16(scan + best_len - 1);
    }
  } while ((cur_match = prev_[cur_match & WMASK]) > limit && --chain_length != 0);

  return best_len;
}

// Levels 1-3: take the match found at each position; short matches are inserted whole.
uint64_t Deflater::deflate_fast() {
  prev_length_ = MIN_MATCH - 1;
  while (lookahead_ != 0) {
    unsigned hash_head = insert_string(strstart_);
    match_length_ = MIN_MATCH - 1;
    if (hash_head != 0 && strstart_ - hash_head <= MAX_DIST) {
      match_length_ = std::min(longest_match(hash_head), lookahead_);
    }
    bool flush;
    if (match_length_ >= MIN_MATCH) {
      flush = tally(strstart_ - match_start_, match_length_ - MIN_MATCH);
      lookahead_ -= match_length_;
      if (match_length_ <= max_lazy_match_) {
        --match_length_;  // the string at strstart is already in
        do {
          ++strstart_;
          insert_string(strstart_);
        } while (--match_length_ != 0);
        ++strstart_;
      } else {
        strstart_ += match_length_;
        match_length_ = 0;
        ins_h_ = window_[strstart_];
        update_hash(window_[strstart_ + 1]);
      }
    } else {
      flush = tally(0, window_[strstart_]);
      --lookahead_;
      ++strstart_;
    }
    if (flush) {
      flush_block(false);
      block_start_ = strstart_;
    }
    while (lookahead_ < MIN_LOOKAHEAD && !eofile_) fill_window();
  }
  return flush_block(true);
}

// Levels 4-9: a match is kept only when the next position does not start a longer one.
uint64_t Deflater::deflate() {
  if (level_ <= 3) return deflate_fast();

  bool match_available = false;
  match_length_ = MIN_MATCH - 1;
  while (lookahead_ != 0) {
    unsigned hash_head = insert_string(strstart_);
    prev_length_ = match_length_;
    unsigned prev_match = match_start_;
    match_length_ = MIN_MATCH - 1;

    if (hash_head != 0 && prev_length_ < max_lazy_match_ && strstart_ - hash_head <= MAX_DIST) {
      match_length_ = std::min(longest_match(hash_head), lookahead_);
      if (match_length_ == MIN_MATCH && strstart_ - match_start_ > TOO_FAR) match_length_ = MIN_MATCH - 1;
    }

    if (prev_length_ >= MIN_MATCH && match_length_ <= prev_length_) {
      bool flush = tally(strstart_ - 1 - prev_match, prev_length_ - MIN_MATCH);
      // The match covers strstart - 1 ... ; both of its first positions are in already.
      lookahead_ -= prev_length_ - 1;
      prev_length_ -= 2;
      do {
        ++strstart_;
        insert_string(strstart_);
      } while (--prev_length_ != 0);
      match_available = false;
      match_length_ = MIN_MATCH - 1;
      ++strstart_;
      if (flush) {
        flush_block(false);
        block_start_ = strstart_;
      }
    } else if (match_available) {
      // The previous position's match lost to this one: it goes out as a literal.
      if (tally(0, window_[strstart_ - 1])) {
        flush_block(false);
        block_start_ = strstart_;
      }
      ++strstart_;
      --lookahead_;
    } else {
      match_available = true;
      ++strstart_;
      --lookahead_;
    }
    while (lookahead_ < MIN_LOOKAHEAD && !eofile_) fill_window();
  }
  if (match_available) tally(0, window_[strstart_ - 1]);
  return flush_block(true);
}

// A stored entry: the data copied as it is read.
void Deflater::store_copy() {
  uint8_t buf[STORE_BUFSIZE];
  for (;;) {
    size_t n = read_buf(buf, sizeof buf);
    if (n == 0) break;
    if (!io_->write_out(buf, n)) throw ZipError{ZE_TEMP, "write error on zip file"};
    stored_bytes_ += n;
  }
}

ZipDataResult Deflater::zip_entry_data(ZipEntryIO& io, int level, uint16_t method) {
  ZipDataResult r;
  io_ = &io;
  crc_reg_ = 0xFFFFFFFFu;
  isize_ = 0;
  read_error_ = false;
  stored_bytes_ = 0;
  bool store = method == METHOD_STORED || level == 0;
  try {
    if (store) {
      r.method = METHOD_STORED;
      r.att = 0;
      store_copy();
      r.csize = stored_bytes_;
    } else {
      if (method != METHOD_DEFLATED) throw ZipError{ZE_LOGIC, "bad compression method"};
      att_ = FILE_UNKNOWN;
      method_ = METHOD_DEFLATED;
      bits_.bi_init(&io);
      trees_.ct_init(&att_, &method_, level, io.seekable());
      lm_init(level, &r.flags);
      uint64_t clen = deflate();
      r.csize = bits_.bytes_written();
      if (clen != r.csize) throw ZipError{ZE_LOGIC, "incorrect compressed size"};
      r.method = method_;
      r.att = att_ == FILE_UNKNOWN ? FILE_BINARY : att_;
    }
  } catch (const ZipError& e) {
    r.code = e.code;
    r.text = e.text;
  }
  r.usize = isize_;
  r.crc = ~crc_reg_;
  if (r.code == ZE_OK && read_error_) {
    r.code = ZE_READ;
    r.text = "could not read input file";
  }
  io_ = nullptr;
  return r;
}

}  // namespace zipvault
