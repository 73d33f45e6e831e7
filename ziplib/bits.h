// Bit output of the deflate compressor: codes go into a bit buffer from its least significant
// end, whole bytes into a 1024-byte output buffer, and full buffers to the archive stream.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zipvault {

class ZipEntryIO;

// A failure inside the compressor: a zip error code and its detail text. Thrown inside the
// compressor only; zip_entry_data() turns it into its result.
struct ZipError {
  int code;
  const char* text;
};

inline constexpr size_t OUTBUF_SIZE = 1024;

class BitWriter {
 public:
  // Starts output into io's archive stream: empty bit buffer, empty output buffer, count 0.
  void bi_init(ZipEntryIO* io);

  // Appends the low `length` bits of value (length <= 16).
  void send_bits(unsigned value, int length) {
    bi_buf_ |= static_cast<uint64_t>(value) << bi_valid_;
    bi_valid_ += length;
    if (bi_valid_ >= 32) {
      if (outcnt_ + 4 > OUTBUF_SIZE) flush_outbuf();
      uint8_t* p = outbuf_ + outcnt_;
      p[0] = static_cast<uint8_t>(bi_buf_);
      p[1] = static_cast<uint8_t>(bi_buf_ >> 8);
      p[2] = static_cast<uint8_t>(bi_buf_ >> 16);
      p[3] = static_cast<uint8_t>(bi_buf_ >> 24);
      outcnt_ += 4;
      bi_buf_ >>= 32;
      bi_valid_ -= 32;
    }
  }

  // Reverses the low len bits of code (Huffman codes are sent starting with their top bit).
  static unsigned bi_reverse(unsigned code, int len) {
    unsigned res = 0;
    do {
      res |= code & 1;
      code >>= 1;
      res <<= 1;
    } while (--len > 0);
    return res >> 1;
  }

  // Writes the pending bits up to a byte boundary, then the output buffer to the stream.
  void bi_windup();

  // A stored block's data: aligns, with header writes LEN and its one's complement, then the
  // bytes themselves go to the stream directly.
  void copy_block(const uint8_t* buf, size_t len, bool header);

  // Writes the output buffer to the stream.
  void flush_outbuf();

  // Bytes handed to the stream so far (the output buffer included once flushed).
  uint64_t bytes_written() const { return written_ + outcnt_; }

 private:
  void put_byte(uint8_t b) {
    if (outcnt_ == OUTBUF_SIZE) flush_outbuf();
    outbuf_[outcnt_++] = b;
  }
  void put_short(unsigned w) {
    put_byte(static_cast<uint8_t>(w));
    put_byte(static_cast<uint8_t>(w >> 8));
  }

  ZipEntryIO* io_ = nullptr;
  // Wider than the two bytes the format needs, so that whole 32-bit groups leave at once; the
  // bytes produced are the same.
  uint64_t bi_buf_ = 0;
  int bi_valid_ = 0;
  uint8_t outbuf_[OUTBUF_SIZE];
  size_t outcnt_ = 0;
  uint64_t written_ = 0;
};

}  // namespace zipvault
