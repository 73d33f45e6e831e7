// What a decoder sees of the entry it decodes: a byte source over the entry's compressed data,
// the window buffer, and the output path that CRCs and writes each flushed piece of the window.
//
// The extraction engine binds it by deriving from EntryIO:
//   - fill_input(): hand out the next piece of the entry's data (its input buffer after a refill
//     from the archive, limited to the entry's remaining compressed count and already decrypted),
//     or 0 bytes at the end of the entry's data. The pointer stays valid until the next call.
//   - write_output(): write one piece to the file, the memory block, or nowhere when testing;
//     0, or 50 when the output cannot be written (the engine keeps its disk-full state).
//   - cancelled(): the cancel flag copied from the progress dialog.
// and by filling the entry description (csize, ucsize, flags, method) before calling one of
// inflate(), explode(), unshrink(), unreduce(). CRC-32 and byte counts of the output are kept
// here; after the decoder returns, crc() is the entry's CRC-32 and bytes_used the count of
// compressed bytes it consumed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <span>
#include <vector>

#include "ziplib/consts.h"
#include "ziplib/crc32.h"

namespace zipvault {

class EntryIO {
 public:
  virtual ~EntryIO() = default;

  // The entry, as the local header (or the central directory) gives it.
  uint64_t csize = 0;    // bytes of compressed data the source delivers (no encryption header)
  uint64_t ucsize = 0;   // stated uncompressed size
  uint16_t flags = 0;    // general purpose flags (explode: FLAG_IMPLODE_8K, FLAG_IMPLODE_LITTREE)
  uint16_t method = 0;   // compression method (unreduce: factor = method - 1)

  // Compressed bytes the decoder consumed, set when it returns (bytes left whole in its bit
  // buffer are not counted).
  uint64_t bytes_used = 0;

  // Starts a new entry: CRC and counters back to their initial state, input forgotten.
  void reset_entry() {
    crc_ = 0xFFFFFFFFu;
    out_total_ = 0;
    in_next = in_end = nullptr;
    fetched_ = 0;
    bytes_used = 0;
    at_end_ = false;
  }

  // ---- byte source --------------------------------------------------------------------------
  // The current piece of input; decoders read [in_next, in_end) directly and call refill() when
  // it is empty.
  const uint8_t* in_next = nullptr;
  const uint8_t* in_end = nullptr;

  // Fetches the next piece; false at the end of the entry's data.
  bool refill() {
    if (at_end_) return false;
    const uint8_t* p = nullptr;
    size_t n = fill_input(p);
    if (n == 0 || p == nullptr) {
      at_end_ = true;
      in_next = in_end = nullptr;
      return false;
    }
    in_next = p;
    in_end = p + n;
    fetched_ += n;
    return true;
  }

  // Next byte of the entry's data, or -1 at the end of the data.
  int next_byte() {
    if (in_next == in_end && !refill()) return -1;
    return *in_next++;
  }

  // Bytes taken from the source so far.
  uint64_t bytes_fetched() const { return fetched_ - static_cast<uint64_t>(in_end - in_next); }

  // ---- output -------------------------------------------------------------------------------
  // The window buffer (WINDOW_BUFFER_SIZE bytes), allocated on first use; nullptr when memory is
  // short. Its contents are not cleared between entries: decoders never read what an entry did not
  // write.
  uint8_t* window() {
    if (!window_) window_.reset(new (std::nothrow) uint8_t[WINDOW_BUFFER_SIZE]);
    return window_.get();
  }

  // Takes one piece of output: CRC, write, progress. 0; 50 when it cannot be written; 2 when the
  // user cancelled.
  int flush_output_window(const uint8_t* buf, size_t n) {
    crc_ = crc32_update(crc_, buf, n);
    out_total_ += n;
    if (n != 0) {
      if (int r = write_output(buf, n)) return r;
    }
    return cancelled() ? PK_ERR : PK_OK;
  }

  uint32_t crc() const { return ~crc_; }
  uint64_t bytes_out() const { return out_total_; }

 protected:
  EntryIO() = default;

  virtual size_t fill_input(const uint8_t*& data) = 0;
  virtual int write_output(const uint8_t* buf, size_t n) = 0;
  virtual bool cancelled() const { return false; }

 private:
  std::unique_ptr<uint8_t[]> window_;
  uint32_t crc_ = 0xFFFFFFFFu;
  uint64_t out_total_ = 0;
  uint64_t fetched_ = 0;
  bool at_end_ = false;
};

// An entry in memory: input from a byte span (handed out in pieces of at most `piece` bytes),
// output collected in a vector. Used by memory extraction and by tests.
class MemoryEntryIO : public EntryIO {
 public:
  explicit MemoryEntryIO(std::span<const uint8_t> data, size_t piece = 8192)
      : data_(data), piece_(piece ? piece : 1) {
    csize = data.size();
  }
  std::vector<uint8_t> out;
  size_t flushes = 0;
  // Largest total output accepted; more is a write failure (50).
  uint64_t out_limit = UINT64_MAX;

 protected:
  size_t fill_input(const uint8_t*& p) override {
    size_t n = std::min(piece_, data_.size() - pos_);
    p = data_.data() + pos_;
    pos_ += n;
    return n;
  }
  int write_output(const uint8_t* buf, size_t n) override {
    ++flushes;
    if (out.size() + n > out_limit) return PK_DISK;
    out.insert(out.end(), buf, buf + n);
    return PK_OK;
  }

 private:
  std::span<const uint8_t> data_;
  size_t piece_;
  size_t pos_ = 0;
};

}  // namespace zipvault
