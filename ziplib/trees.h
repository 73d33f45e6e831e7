// The block half of the deflate compressor: the literal/length and distance buffers of the
// current block, the Huffman trees built for it, the choice between stored, fixed and dynamic
// blocks, and the guess whether the file is text.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ziplib/bits.h"

namespace zipvault {

inline constexpr int MAX_BITS = 15;       // longest literal/length or distance code
inline constexpr int MAX_BL_BITS = 7;     // longest bit-length code
inline constexpr int LENGTH_CODES = 29;
inline constexpr int LITERALS = 256;
inline constexpr int END_BLOCK = 256;
inline constexpr int L_CODES = LITERALS + 1 + LENGTH_CODES;   // 286
inline constexpr int D_CODES = 30;
inline constexpr int BL_CODES = 19;
inline constexpr int HEAP_SIZE = 2 * L_CODES + 1;

inline constexpr size_t LIT_BUFSIZE = 0x8000;    // items per block (literal or length - 3)
inline constexpr size_t DIST_BUFSIZE = 0x8000;   // distances per block

// File type guess kept in the entry's internal attributes.
inline constexpr uint16_t FILE_BINARY = 0;
inline constexpr uint16_t FILE_ASCII = 1;
inline constexpr uint16_t FILE_UNKNOWN = 0xFFFF;

// One node: frequency or code, and parent or code length.
struct ct_data {
  uint16_t fc = 0;
  uint16_t dl = 0;
};

struct tree_desc {
  ct_data* dyn_tree;
  const ct_data* static_tree;
  const int* extra_bits;
  int extra_base;
  int elems;
  int max_length;
  int max_code;
};

class Trees {
 public:
  explicit Trees(BitWriter& bits);
  Trees(const Trees&) = delete;
  Trees& operator=(const Trees&) = delete;

  // Per file: the file type and method words the block builder updates, the pack level (the
  // early-flush test runs above level 2), and whether the stream could take the whole file
  // stored instead (the caller's output can be repositioned to rewrite the header).
  void ct_init(uint16_t* attr, uint16_t* method, int level, bool can_store_file);

  // Records a literal (dist 0) or a match of length lc + 3 at distance dist. block_bytes is the
  // input the current block covers so far. True when the block should be flushed now.
  bool huffman_tally(unsigned dist, unsigned lc, uint64_t block_bytes) {
    l_buf_[last_lit_++] = static_cast<uint8_t>(lc);
    if (dist == 0) {
      dyn_ltree_[lc].fc++;
    } else {
      --dist;
      dyn_ltree_[length_code_[lc] + LITERALS + 1].fc++;
      dyn_dtree_[d_code(dist)].fc++;
      d_buf_[last_dist_++] = static_cast<uint16_t>(dist);
      flags_ |= flag_bit_;
    }
    flag_bit_ <<= 1;
    if ((last_lit_ & 7) == 0) {
      flag_buf_[last_flags_++] = flags_;
      flags_ = 0;
      flag_bit_ = 1;
    }
    if (level_ > 2 && (last_lit_ & 0xFFF) == 0 && early_flush(block_bytes)) return true;
    return last_lit_ == LIT_BUFSIZE - 1 || last_dist_ == DIST_BUFSIZE;
  }

  // Ends the current block: buf is the block's input in the window (nullptr when it slid out),
  // stored_len its length. Returns the compressed length in bytes so far.
  uint64_t flush_block(const uint8_t* buf, uint64_t stored_len, bool eof);

  uint64_t input_len() const { return input_len_; }

 private:
  unsigned d_code(unsigned dist) const {
    return dist < 256 ? dist_code_[dist] : dist_code_[256 + (dist >> 7)];
  }
  void send_code(int c, const ct_data* tree) { bits_.send_bits(tree[c].fc, tree[c].dl); }

  bool early_flush(uint64_t block_bytes) const;
  void init_block();
  void set_file_type();
  void pqdownheap(ct_data* tree, int k);
  void gen_bitlen(tree_desc* desc);
  static void gen_codes(ct_data* tree, int max_code, const uint16_t* bl_count);
  void build_tree(tree_desc* desc);
  void scan_tree(ct_data* tree, int max_code);
  void send_tree(const ct_data* tree, int max_code);
  int build_bl_tree();
  void send_all_trees(int lcodes, int dcodes, int blcodes);
  void compress_block(const ct_data* ltree, const ct_data* dtree);

  BitWriter& bits_;

  ct_data dyn_ltree_[HEAP_SIZE];
  ct_data dyn_dtree_[2 * D_CODES + 1];
  ct_data static_ltree_[L_CODES + 2];
  ct_data static_dtree_[D_CODES];
  ct_data bl_tree_[2 * BL_CODES + 1];
  tree_desc l_desc_, d_desc_, bl_desc_;

  uint16_t bl_count_[MAX_BITS + 1];
  int heap_[2 * L_CODES + 1];
  int heap_len_ = 0, heap_max_ = 0;
  uint8_t depth_[2 * L_CODES + 1];

  uint8_t length_code_[256];
  uint8_t dist_code_[512];
  int base_length_[LENGTH_CODES];
  int base_dist_[D_CODES];

  uint8_t l_buf_[LIT_BUFSIZE];
  uint16_t d_buf_[DIST_BUFSIZE];
  uint8_t flag_buf_[LIT_BUFSIZE / 8];
  unsigned last_lit_ = 0, last_dist_ = 0, last_flags_ = 0;
  uint8_t flags_ = 0, flag_bit_ = 1;

  // Bit lengths of the current block coded with the dynamic and with the fixed trees; signed
  // because the forced dummy nodes are taken off before they are added.
  int64_t opt_len_ = 0, static_len_ = 0;
  uint64_t compressed_len_ = 0;   // bits
  uint64_t input_len_ = 0;        // bytes

  uint16_t* file_type_ = nullptr;
  uint16_t* file_method_ = nullptr;
  int level_ = 0;
  bool can_store_file_ = false;
};

}  // namespace zipvault
