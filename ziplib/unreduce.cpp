#include <cstring>

#include "ziplib/bitreader.h"
#include "ziplib/legacy.h"

namespace zipvault {
namespace {

constexpr unsigned DLE = 144;
constexpr unsigned MAX_FOLLOWERS = 32;

// Per factor 1..4.
constexpr unsigned L_mask[5] = {0, 0x7F, 0x3F, 0x1F, 0x0F};
constexpr unsigned D_shift[5] = {0, 7, 6, 5, 4};
constexpr unsigned D_mask[5] = {0, 0x01, 0x03, 0x07, 0x0F};

// Bits of an index into a follower set of n entries (n >= 1): a set of 1 still takes 1 bit.
constexpr unsigned B_table(unsigned n) {
  unsigned b = 1;
  while ((1u << b) < n) ++b;
  return b;
}

class Unreducer {
 public:
  Unreducer(EntryIO& io, uint8_t* slide) : io_(io), br_(io), slide_(slide) {}

  int run(unsigned factor) {
    if (io_.ucsize == 0) return io_.flush_output_window(slide_, 0);  // nothing to decode
    // Follower sets, from byte 255 down to 0.
    for (int j = 255; j >= 0; --j) {
      unsigned n = br_.get(6);
      if (n > MAX_FOLLOWERS) return PK_ERR;
      count_[j] = static_cast<uint8_t>(n);
      for (unsigned i = 0; i < n; ++i) followers_[j][i] = static_cast<uint8_t>(br_.get(8));
      if (br_.overrun()) return PK_ERR;
    }

    const unsigned lmask = L_mask[factor];
    remaining_ = io_.ucsize;
    unsigned state = 0, len = 0, v = 0;
    unsigned last = 0;
    while (remaining_ > 0) {
      // Next byte through the follower set of the byte before it.
      unsigned c;
      unsigned n = count_[last];
      if (n == 0 || br_.get(1)) {
        c = br_.get(8);
      } else {
        unsigned i = br_.get(B_table(n));
        if (i >= n) return PK_ERR;
        c = followers_[last][i];
      }
      if (br_.overrun()) return PK_ERR;
      last = c;

      switch (state) {
        case 0:
          if (c == DLE)
            state = 1;
          else if (int r = put(static_cast<uint8_t>(c)))
            return r;
          break;
        case 1:
          if (c == 0) {
            if (int r = put(DLE)) return r;
            state = 0;
          } else {
            v = c;
            len = v & lmask;
            state = len == lmask ? 2 : 3;
          }
          break;
        case 2:
          len += c;
          state = 3;
          break;
        default: {
          unsigned dist = ((v >> D_shift[factor]) & D_mask[factor]) * 256 + c + 1;
          if (int r = copy(dist, len + 3)) return r;
          state = 0;
          break;
        }
      }
    }
    io_.bytes_used = br_.used();
    return io_.flush_output_window(slide_, wp_);
  }

 private:
  EntryIO& io_;
  BitReader br_;
  uint8_t* slide_;
  unsigned wp_ = 0;
  uint64_t produced_ = 0;
  uint64_t remaining_ = 0;
  uint8_t count_[256] = {};
  uint8_t followers_[256][MAX_FOLLOWERS] = {};

  int put(uint8_t c) {
    slide_[wp_++] = c;
    ++produced_;
    --remaining_;
    if (wp_ == WSIZE) {
      wp_ = 0;
      return io_.flush_output_window(slide_, WSIZE);
    }
    return PK_OK;
  }

  int copy(unsigned dist, unsigned len) {
    if (len > remaining_) len = static_cast<unsigned>(remaining_);
    while (len--) {
      // Before the start of the output there is nothing: those bytes read as zero.
      uint8_t c = dist > produced_ ? 0 : slide_[(wp_ - dist) & (WSIZE - 1)];
      if (int r = put(c)) return r;
    }
    return PK_OK;
  }
};

}  // namespace

int unreduce(EntryIO& io) {
  if (io.method < METHOD_REDUCED1 || io.method > METHOD_REDUCED4) return PK_ERR;
  uint8_t* slide = io.window();
  std::unique_ptr<Unreducer> u(new (std::nothrow) Unreducer(io, slide));
  if (!slide || !u) return PK_MEM3;
  return u->run(io.method - 1);
}

}  // namespace zipvault
