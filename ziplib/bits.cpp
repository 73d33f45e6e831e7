#include "ziplib/bits.h"

#include "ziplib/deflate.h"

namespace zipvault {

void BitWriter::bi_init(ZipEntryIO* io) {
  io_ = io;
  bi_buf_ = 0;
  bi_valid_ = 0;
  outcnt_ = 0;
  written_ = 0;
}

void BitWriter::flush_outbuf() {
  if (outcnt_ == 0) return;
  if (!io_ || !io_->write_out(outbuf_, outcnt_)) throw ZipError{ZE_LOGIC, "write error on zip file"};
  written_ += outcnt_;
  outcnt_ = 0;
}

void BitWriter::bi_windup() {
  while (bi_valid_ > 0) {
    put_byte(static_cast<uint8_t>(bi_buf_));
    bi_buf_ >>= 8;
    bi_valid_ -= 8;
  }
  bi_buf_ = 0;
  bi_valid_ = 0;
  flush_outbuf();
}

void BitWriter::copy_block(const uint8_t* buf, size_t len, bool header) {
  bi_windup();
  if (header) {
    put_short(static_cast<unsigned>(len) & 0xFFFF);
    put_short(~static_cast<unsigned>(len) & 0xFFFF);
  }
  flush_outbuf();
  if (len == 0) return;
  if (!io_->write_out(buf, len)) throw ZipError{ZE_LOGIC, "write error on zip file"};
  written_ += len;
}

}  // namespace zipvault
