#include "ziplib/trees.h"

#include <algorithm>
#include <iterator>

#include "ziplib/consts.h"
#include "ziplib/deflate.h"

namespace zipvault {
namespace {

constexpr int STORED_BLOCK = 0;
constexpr int STATIC_TREES = 1;
constexpr int DYN_TREES = 2;

// Codes of the bit-length alphabet that repeat.
constexpr int REP_3_6 = 16;
constexpr int REPZ_3_10 = 17;
constexpr int REPZ_11_138 = 18;

constexpr int extra_lbits[LENGTH_CODES] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2,
                                           3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr int extra_dbits[D_CODES] = {0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6,
                                      6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
constexpr int extra_blbits[BL_CODES] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 3, 7};

// The order in which the bit-length code lengths are sent.
constexpr uint8_t bl_order[BL_CODES] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

constexpr int SMALLEST = 1;

}  // namespace

Trees::Trees(BitWriter& bits) : bits_(bits) {
  l_desc_ = {dyn_ltree_, static_ltree_, extra_lbits, LITERALS + 1, L_CODES, MAX_BITS, 0};
  d_desc_ = {dyn_dtree_, static_dtree_, extra_dbits, 0, D_CODES, MAX_BITS, 0};
  bl_desc_ = {bl_tree_, nullptr, extra_blbits, 0, BL_CODES, MAX_BL_BITS, 0};

  // Length and distance code tables.
  int length = 0;
  int code = 0;
  for (code = 0; code < LENGTH_CODES - 1; ++code) {
    base_length_[code] = length;
    for (int n = 0; n < (1 << extra_lbits[code]); ++n) length_code_[length++] = static_cast<uint8_t>(code);
  }
  // Length 258 has a code of its own; it overrides the last entry of code 27's range.
  base_length_[LENGTH_CODES - 1] = 255;
  length_code_[length - 1] = static_cast<uint8_t>(code);

  int dist = 0;
  for (code = 0; code < 16; ++code) {
    base_dist_[code] = dist;
    for (int n = 0; n < (1 << extra_dbits[code]); ++n) dist_code_[dist++] = static_cast<uint8_t>(code);
  }
  dist >>= 7;  // from now on, all distances are divided by 128
  for (; code < D_CODES; ++code) {
    base_dist_[code] = dist << 7;
    for (int n = 0; n < (1 << (extra_dbits[code] - 7)); ++n) dist_code_[256 + dist++] = static_cast<uint8_t>(code);
  }

  // The fixed trees of the format.
  std::fill(std::begin(bl_count_), std::end(bl_count_), 0);
  int n = 0;
  while (n <= 143) static_ltree_[n++].dl = 8, bl_count_[8]++;
  while (n <= 255) static_ltree_[n++].dl = 9, bl_count_[9]++;
  while (n <= 279) static_ltree_[n++].dl = 7, bl_count_[7]++;
  while (n <= 287) static_ltree_[n++].dl = 8, bl_count_[8]++;
  gen_codes(static_ltree_, L_CODES + 1, bl_count_);
  for (n = 0; n < D_CODES; ++n) {
    static_dtree_[n].dl = 5;
    static_dtree_[n].fc = static_cast<uint16_t>(BitWriter::bi_reverse(n, 5));
  }
  init_block();
}

void Trees::ct_init(uint16_t* attr, uint16_t* method, int level, bool can_store_file) {
  file_type_ = attr;
  file_method_ = method;
  level_ = level;
  can_store_file_ = can_store_file;
  compressed_len_ = 0;
  input_len_ = 0;
  init_block();
}

void Trees::init_block() {
  for (int n = 0; n < L_CODES; ++n) dyn_ltree_[n].fc = 0;
  for (int n = 0; n < D_CODES; ++n) dyn_dtree_[n].fc = 0;
  for (int n = 0; n < BL_CODES; ++n) bl_tree_[n].fc = 0;
  dyn_ltree_[END_BLOCK].fc = 1;
  opt_len_ = static_len_ = 0;
  last_lit_ = last_dist_ = last_flags_ = 0;
  flags_ = 0;
  flag_bit_ = 1;
}

// A block that codes to less than half its input with few matches is worth ending early so the
// next part of the file gets codes of its own.
bool Trees::early_flush(uint64_t block_bytes) const {
  uint64_t out_length = static_cast<uint64_t>(last_lit_) * 8;
  for (int dcode = 0; dcode < D_CODES; ++dcode)
    out_length += static_cast<uint64_t>(dyn_dtree_[dcode].fc) * (5 + extra_dbits[dcode]);
  out_length >>= 3;
  return last_dist_ < last_lit_ / 2 && out_length < block_bytes / 2;
}

// Restores the heap property below node k, moving it down.
void Trees::pqdownheap(ct_data* tree, int k) {
  auto smaller = [&](int n, int m) {
    return tree[n].fc < tree[m].fc || (tree[n].fc == tree[m].fc && depth_[n] <= depth_[m]);
  };
  int v = heap_[k];
  int j = k << 1;
  while (j <= heap_len_) {
    if (j < heap_len_ && smaller(heap_[j + 1], heap_[j])) ++j;
    if (smaller(v, heap_[j])) break;
    heap_[k] = heap_[j];
    k = j;
    j <<= 1;
  }
  heap_[k] = v;
}

// Code lengths from the tree's shape, limited to the descriptor's maximum; opt_len and
// static_len grow by the block's cost under each tree.
void Trees::gen_bitlen(tree_desc* desc) {
  ct_data* tree = desc->dyn_tree;
  const ct_data* stree = desc->static_tree;
  const int* extra = desc->extra_bits;
  const int base = desc->extra_base;
  const int max_code = desc->max_code;
  const int max_length = desc->max_length;
  int overflow = 0;

  std::fill(std::begin(bl_count_), std::end(bl_count_), 0);
  tree[heap_[heap_max_]].dl = 0;  // the root

  int h;
  for (h = heap_max_ + 1; h < HEAP_SIZE; ++h) {
    int n = heap_[h];
    int bits = tree[tree[n].dl].dl + 1;
    if (bits > max_length) bits = max_length, ++overflow;
    tree[n].dl = static_cast<uint16_t>(bits);  // the parent is no longer needed
    if (n > max_code) continue;                // not a leaf
    bl_count_[bits]++;
    int xbits = n >= base ? extra[n - base] : 0;
    int64_t f = tree[n].fc;
    opt_len_ += f * (bits + xbits);
    if (stree) static_len_ += f * (stree[n].dl + xbits);
  }
  if (overflow == 0) return;

  // Move leaves from the deepest level up: each step frees room for two at the maximum depth.
  do {
    int bits = max_length - 1;
    while (bl_count_[bits] == 0) --bits;
    bl_count_[bits]--;
    bl_count_[bits + 1] += 2;
    bl_count_[max_length]--;
    overflow -= 2;
  } while (overflow > 0);

  // Hand the lengths out again in order of frequency.
  h = HEAP_SIZE;
  for (int bits = max_length; bits != 0; --bits) {
    int n = bl_count_[bits];
    while (n != 0) {
      int m = heap_[--h];
      if (m > max_code) continue;
      if (tree[m].dl != bits) {
        opt_len_ += (static_cast<int64_t>(bits) - tree[m].dl) * tree[m].fc;
        tree[m].dl = static_cast<uint16_t>(bits);
      }
      --n;
    }
  }
}

// Canonical codes from the lengths, stored bit-reversed for sending.
void Trees::gen_codes(ct_data* tree, int max_code, const uint16_t* bl_count) {
  uint16_t next_code[MAX_BITS + 1];
  unsigned code = 0;
  next_code[0] = 0;
  for (int bits = 1; bits <= MAX_BITS; ++bits) {
    code = (code + bl_count[bits - 1]) << 1;
    next_code[bits] = static_cast<uint16_t>(code);
  }
  for (int n = 0; n <= max_code; ++n) {
    int len = tree[n].dl;
    if (len == 0) continue;
    tree[n].fc = static_cast<uint16_t>(BitWriter::bi_reverse(next_code[len]++, len));
  }
}

void Trees::build_tree(tree_desc* desc) {
  ct_data* tree = desc->dyn_tree;
  const ct_data* stree = desc->static_tree;
  const int elems = desc->elems;
  int max_code = -1;
  int node = elems;

  heap_len_ = 0;
  heap_max_ = HEAP_SIZE;
  for (int n = 0; n < elems; ++n) {
    if (tree[n].fc != 0) {
      heap_[++heap_len_] = max_code = n;
      depth_[n] = 0;
    } else {
      tree[n].dl = 0;
    }
  }

  // The format needs at least two codes: force dummy nodes of frequency 1 in. Their cost is not
  // real, so it is taken off ahead.
  while (heap_len_ < 2) {
    int nw = heap_[++heap_len_] = (max_code < 2 ? ++max_code : 0);
    tree[nw].fc = 1;
    depth_[nw] = 0;
    --opt_len_;
    if (stree) static_len_ -= stree[nw].dl;
  }
  desc->max_code = max_code;

  for (int n = heap_len_ / 2; n >= 1; --n) pqdownheap(tree, n);

  // Join the two least frequent nodes until one is left; the sorted nodes collect at the top of
  // the heap array for gen_bitlen.
  do {
    int n = heap_[SMALLEST];
    heap_[SMALLEST] = heap_[heap_len_--];
    pqdownheap(tree, SMALLEST);
    int m = heap_[SMALLEST];

    heap_[--heap_max_] = n;
    heap_[--heap_max_] = m;
    tree[node].fc = static_cast<uint16_t>(tree[n].fc + tree[m].fc);
    depth_[node] = static_cast<uint8_t>(std::max(depth_[n], depth_[m]) + 1);
    tree[n].dl = tree[m].dl = static_cast<uint16_t>(node);
    heap_[SMALLEST] = node++;
    pqdownheap(tree, SMALLEST);
  } while (heap_len_ >= 2);
  heap_[--heap_max_] = heap_[SMALLEST];

  gen_bitlen(desc);
  gen_codes(tree, max_code, bl_count_);
}

// Counts the bit-length alphabet's use for the run-length coded lengths of a tree.
void Trees::scan_tree(ct_data* tree, int max_code) {
  int prevlen = -1;
  int nextlen = tree[0].dl;
  int count = 0;
  int max_count = 7, min_count = 4;
  if (nextlen == 0) max_count = 138, min_count = 3;
  tree[max_code + 1].dl = 0xFFFF;  // guard; this node is not a leaf in use

  for (int n = 0; n <= max_code; ++n) {
    int curlen = nextlen;
    nextlen = tree[n + 1].dl;
    if (++count < max_count && curlen == nextlen) continue;
    if (count < min_count) {
      bl_tree_[curlen].fc = static_cast<uint16_t>(bl_tree_[curlen].fc + count);
    } else if (curlen != 0) {
      if (curlen != prevlen) bl_tree_[curlen].fc++;
      bl_tree_[REP_3_6].fc++;
    } else if (count <= 10) {
      bl_tree_[REPZ_3_10].fc++;
    } else {
      bl_tree_[REPZ_11_138].fc++;
    }
    count = 0;
    prevlen = curlen;
    if (nextlen == 0) max_count = 138, min_count = 3;
    else if (curlen == nextlen) max_count = 6, min_count = 3;
    else max_count = 7, min_count = 4;
  }
}

// Sends a tree's lengths run-length coded (scan_tree set the guard).
void Trees::send_tree(const ct_data* tree, int max_code) {
  int prevlen = -1;
  int nextlen = tree[0].dl;
  int count = 0;
  int max_count = 7, min_count = 4;
  if (nextlen == 0) max_count = 138, min_count = 3;

  for (int n = 0; n <= max_code; ++n) {
    int curlen = nextlen;
    nextlen = tree[n + 1].dl;
    if (++count < max_count && curlen == nextlen) continue;
    if (count < min_count) {
      do send_code(curlen, bl_tree_); while (--count != 0);
    } else if (curlen != 0) {
      if (curlen != prevlen) {
        send_code(curlen, bl_tree_);
        --count;
      }
      send_code(REP_3_6, bl_tree_);
      bits_.send_bits(count - 3, 2);
    } else if (count <= 10) {
      send_code(REPZ_3_10, bl_tree_);
      bits_.send_bits(count - 3, 3);
    } else {
      send_code(REPZ_11_138, bl_tree_);
      bits_.send_bits(count - 11, 7);
    }
    count = 0;
    prevlen = curlen;
    if (nextlen == 0) max_count = 138, min_count = 3;
    else if (curlen == nextlen) max_count = 6, min_count = 3;
    else max_count = 7, min_count = 4;
  }
}

// Builds the bit-length tree; returns the index in bl_order of the last length to send.
int Trees::build_bl_tree() {
  scan_tree(dyn_ltree_, l_desc_.max_code);
  scan_tree(dyn_dtree_, d_desc_.max_code);
  build_tree(&bl_desc_);
  int max_blindex;
  for (max_blindex = BL_CODES - 1; max_blindex >= 3; --max_blindex)
    if (bl_tree_[bl_order[max_blindex]].dl != 0) break;
  opt_len_ += 3 * (max_blindex + 1) + 5 + 5 + 4;
  return max_blindex;
}

void Trees::send_all_trees(int lcodes, int dcodes, int blcodes) {
  bits_.send_bits(lcodes - 257, 5);
  bits_.send_bits(dcodes - 1, 5);
  bits_.send_bits(blcodes - 4, 4);
  for (int rank = 0; rank < blcodes; ++rank) bits_.send_bits(bl_tree_[bl_order[rank]].dl, 3);
  send_tree(dyn_ltree_, lcodes - 1);
  send_tree(dyn_dtree_, dcodes - 1);
}

void Trees::compress_block(const ct_data* ltree, const ct_data* dtree) {
  unsigned lx = 0, dx = 0, fx = 0;
  unsigned flag = 0;
  while (lx < last_lit_) {
    if ((lx & 7) == 0) flag = flag_buf_[fx++];
    unsigned lc = l_buf_[lx++];
    if ((flag & 1) == 0) {
      send_code(lc, ltree);
    } else {
      unsigned code = length_code_[lc];
      send_code(code + LITERALS + 1, ltree);
      if (int extra = extra_lbits[code]) bits_.send_bits(lc - base_length_[code], extra);
      unsigned dist = d_buf_[dx++];
      code = d_code(dist);
      send_code(code, dtree);
      if (int extra = extra_dbits[code]) bits_.send_bits(dist - base_dist_[code], extra);
    }
    flag >>= 1;
  }
  send_code(END_BLOCK, ltree);
}

// Text when the binary-looking literals (0-6, 128-255) are at most a quarter of the others.
void Trees::set_file_type() {
  uint64_t ascii_freq = 0, bin_freq = 0;
  int n = 0;
  while (n < 7) bin_freq += dyn_ltree_[n++].fc;
  while (n < 128) ascii_freq += dyn_ltree_[n++].fc;
  while (n < LITERALS) bin_freq += dyn_ltree_[n++].fc;
  *file_type_ = bin_freq > (ascii_freq >> 2) ? FILE_BINARY : FILE_ASCII;
}

uint64_t Trees::flush_block(const uint8_t* buf, uint64_t stored_len, bool eof) {
  flag_buf_[last_flags_] = flags_;  // the last partial flag byte
  if (file_type_ && *file_type_ == FILE_UNKNOWN) set_file_type();

  build_tree(&l_desc_);
  build_tree(&d_desc_);
  int max_blindex = build_bl_tree();

  uint64_t opt_lenb = static_cast<uint64_t>(opt_len_ + 3 + 7) >> 3;
  uint64_t static_lenb = static_cast<uint64_t>(static_len_ + 3 + 7) >> 3;
  input_len_ += stored_len;
  if (static_lenb <= opt_lenb) opt_lenb = static_lenb;

  // The whole file in one block that does not compress: it goes out as it is and the entry
  // becomes stored. Only while the block's data is still in the window.
  if (stored_len <= opt_lenb && eof && compressed_len_ == 0 && can_store_file_ && buf) {
    bits_.copy_block(buf, stored_len, false);
    compressed_len_ = stored_len << 3;
    if (file_method_) *file_method_ = METHOD_STORED;
  } else if (stored_len + 4 <= opt_lenb && buf && stored_len <= 0xFFFF) {
    bits_.send_bits((STORED_BLOCK << 1) + eof, 3);
    compressed_len_ = (compressed_len_ + 3 + 7) & ~uint64_t{7};
    compressed_len_ += (stored_len + 4) << 3;
    bits_.copy_block(buf, stored_len, true);
  } else if (static_lenb == opt_lenb) {
    bits_.send_bits((STATIC_TREES << 1) + eof, 3);
    compress_block(static_ltree_, static_dtree_);
    compressed_len_ += 3 + static_len_;
  } else {
    bits_.send_bits((DYN_TREES << 1) + eof, 3);
    send_all_trees(l_desc_.max_code + 1, d_desc_.max_code + 1, max_blindex + 1);
    compress_block(dyn_ltree_, dyn_dtree_);
    compressed_len_ += 3 + opt_len_;
  }
  init_block();
  if (eof) {
    bits_.bi_windup();
    compressed_len_ += 7;
  }
  return compressed_len_ >> 3;
}

}  // namespace zipvault
