// The decoders' view of the entry being extracted: bytes from the archive buffer (limited to the
// entry's remaining compressed count, decrypted when the entry is encrypted), output to a file, a
// memory block or nowhere, bounded by the entry's stated size.
#pragma once

#include "ziplib/entry_io.h"
#include "ziplib/unzip.h"

namespace zipvault {

class UnzipEntrySource : public EntryIO {
 public:
  explicit UnzipEntrySource(CUnZip& z) : z_(z) {}

 protected:
  size_t fill_input(const uint8_t*& data) override;
  int write_output(const uint8_t* buf, size_t n) override;
  int write_piece(const uint8_t* buf, size_t n);
  int write_progress(int r, size_t n);
  bool cancelled() const override { return z_.cancel_; }

 private:
  CUnZip& z_;
};

}  // namespace zipvault
