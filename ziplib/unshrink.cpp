#include <memory>
#include <new>

#include "ziplib/bitreader.h"
#include "ziplib/legacy.h"

namespace zipvault {
namespace {

constexpr unsigned HSIZE = 8192;       // dictionary size: codes of at most 13 bits
constexpr unsigned MAX_BITS = 13;
constexpr unsigned INIT_BITS = 9;
constexpr unsigned BOGUSCODE = 256;    // escape to a subcode
constexpr unsigned FIRST_FREE = 257;

struct Dictionary {
  uint16_t parent[HSIZE];
  uint8_t value[HSIZE];
  bool free[HSIZE];
  bool has_child[HSIZE];
  uint8_t stack[HSIZE];
};

class Unshrinker {
 public:
  Unshrinker(EntryIO& io, uint8_t* outbuf, Dictionary& d) : io_(io), br_(io), out_(outbuf), d_(d) {
    for (unsigned c = 0; c < HSIZE; ++c) {
      d_.parent[c] = 0;
      d_.value[c] = static_cast<uint8_t>(c);
      d_.free[c] = c >= FIRST_FREE;
      d_.has_child[c] = false;
    }
  }

  int run() {
    remaining_ = io_.ucsize;
    if (remaining_ == 0) return finish();
    unsigned code;
    if (!get_code(code)) return PK_ERR;
    // The first code has nothing before it: it must be a plain byte.
    if (code >= BOGUSCODE) return PK_ERR;
    unsigned oldcode = code;
    uint8_t finalval = static_cast<uint8_t>(code);
    if (int r = put(&finalval, 1)) return r;

    while (remaining_ > 0) {
      if (!get_code(code)) return PK_ERR;
      if (code == BOGUSCODE) {
        unsigned sub;
        if (!get_code(sub)) return PK_ERR;
        if (sub == 1) {
          if (++codesize_ > MAX_BITS) return PK_ERR;
        } else if (sub == 2) {
          partial_clear();
        } else {
          return PK_ERR;
        }
        continue;
      }

      // Build the string backwards on the stack.
      uint8_t* const top = d_.stack + HSIZE;
      uint8_t* sp = top;
      unsigned c = code;
      if (code >= FIRST_FREE && d_.free[code]) {
        // Not defined yet (KwKwK): only the code about to be assigned can be meant, and it
        // stands for the previous string followed by that string's first byte.
        if (code != freecode_) return PK_ERR;
        *--sp = finalval;
        c = oldcode;
      }
      while (c > BOGUSCODE) {
        if (sp == d_.stack || d_.free[c]) return PK_ERR;  // a loop, or a link to a freed code
        *--sp = d_.value[c];
        c = d_.parent[c];
      }
      if (c == BOGUSCODE || sp == d_.stack) return PK_ERR;
      *--sp = finalval = static_cast<uint8_t>(c);
      if (int r = put(sp, static_cast<size_t>(top - sp))) return r;

      // The new string: the previous one plus this one's first byte, at the lowest free code.
      if (freecode_ < HSIZE) {
        d_.parent[freecode_] = static_cast<uint16_t>(oldcode);
        d_.value[freecode_] = finalval;
        d_.free[freecode_] = false;
        while (++freecode_ < HSIZE && !d_.free[freecode_]) {
        }
      }
      oldcode = code;
    }
    return finish();
  }

 private:
  EntryIO& io_;
  BitReader br_;
  uint8_t* out_;
  Dictionary& d_;
  unsigned codesize_ = INIT_BITS;
  unsigned freecode_ = FIRST_FREE;
  size_t outpos_ = 0;
  uint64_t remaining_ = 0;

  bool get_code(unsigned& code) {
    code = br_.get(codesize_);
    return !br_.overrun();
  }

  // Frees every defined code above 256 that no defined code uses as its parent.
  void partial_clear() {
    for (unsigned c = FIRST_FREE; c < HSIZE; ++c)
      if (!d_.free[c]) d_.has_child[d_.parent[c]] = true;
    for (unsigned c = FIRST_FREE; c < HSIZE; ++c) {
      if (!d_.has_child[c]) d_.free[c] = true;
      d_.has_child[c] = false;
    }
    freecode_ = FIRST_FREE;
    while (freecode_ < HSIZE && !d_.free[freecode_]) ++freecode_;
  }

  // Output, cut at the stated size, in pieces of UNSHRINK_OUTBUF bytes.
  int put(const uint8_t* p, size_t n) {
    if (n > remaining_) n = static_cast<size_t>(remaining_);
    remaining_ -= n;
    while (n) {
      size_t k = std::min(n, UNSHRINK_OUTBUF - outpos_);
      std::memcpy(out_ + outpos_, p, k);
      outpos_ += k;
      p += k;
      n -= k;
      if (outpos_ == UNSHRINK_OUTBUF) {
        outpos_ = 0;
        if (int r = io_.flush_output_window(out_, UNSHRINK_OUTBUF)) return r;
      }
    }
    return PK_OK;
  }

  int finish() {
    io_.bytes_used = br_.used();
    return io_.flush_output_window(out_, outpos_);
  }
};

}  // namespace

int unshrink(EntryIO& io) {
  uint8_t* outbuf = io.window();
  std::unique_ptr<Dictionary> dict(new (std::nothrow) Dictionary);
  if (!outbuf || !dict) return PK_MEM3;
  Unshrinker u(io, outbuf, *dict);
  return u.run();
}

}  // namespace zipvault
