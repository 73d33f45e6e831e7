// Compresses the input and decodes it again with our inflate; any difference aborts.
// First byte: level (0-9) and whether the stored fallback is allowed; second: read piece size.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <span>
#include <vector>

#include "ziplib/deflate.h"
#include "ziplib/entry_io.h"
#include "ziplib/inflate.h"

namespace {

class FuzzIO : public zipvault::ZipEntryIO {
 public:
  FuzzIO(std::span<const uint8_t> in, size_t piece, bool seekable)
      : in_(in), piece_(piece), seekable_(seekable) {}
  std::vector<uint8_t> out;
  ptrdiff_t file_read(uint8_t* buf, size_t size) override {
    size_t n = std::min({size, piece_, in_.size() - pos_});
    if (n) std::memcpy(buf, in_.data() + pos_, n);
    pos_ += n;
    return static_cast<ptrdiff_t>(n);
  }
  bool write_out(const uint8_t* buf, size_t n) override {
    out.insert(out.end(), buf, buf + n);
    return true;
  }
  bool seekable() override { return seekable_; }

 private:
  std::span<const uint8_t> in_;
  size_t piece_;
  size_t pos_ = 0;
  bool seekable_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  static auto deflater = std::make_unique<zipvault::Deflater>();
  int level = data[0] % 10;
  bool seekable = (data[0] / 10) & 1;
  size_t piece = 1 + static_cast<size_t>(data[1]) * 257;
  std::span<const uint8_t> in(data + 2, size - 2);

  FuzzIO io(in, piece, seekable);
  zipvault::ZipDataResult r = deflater->zip_entry_data(io, level, zipvault::METHOD_DEFLATED);
  if (r.code != 0 || r.usize != in.size() || r.csize != io.out.size()) std::abort();
  if (r.method == zipvault::METHOD_STORED) {
    if (io.out.size() != in.size() || (in.size() && std::memcmp(io.out.data(), in.data(), in.size())))
      std::abort();
    return 0;
  }
  zipvault::MemoryEntryIO back(io.out);
  back.reset_entry();
  back.ucsize = in.size();
  if (zipvault::inflate(back) != 0 || back.out.size() != in.size() || back.crc() != r.crc ||
      (in.size() && std::memcmp(back.out.data(), in.data(), in.size())))
    std::abort();
  return 0;
}
