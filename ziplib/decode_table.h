// Multi-level decoding tables for the Huffman (and Shannon-Fano) codes of inflate and explode.
#pragma once

#include <cstdint>
#include <vector>

#include "ziplib/consts.h"

namespace zipvault {

// One table slot. e: OP_LITERAL (n = byte), OP_END, 0..14 (n = length or distance base, e extra
// bits follow the code), above 16 (a sub-table at index n, indexed by e - 16 further bits), or
// OP_INVALID. b: the bits this slot consumes.
struct huft {
  uint8_t e;
  uint8_t b;
  uint16_t n;
};
static_assert(sizeof(huft) == 4);

// A primary table of 2^bits slots followed by its sub-tables, in one block.
struct DecodeTable {
  std::vector<huft> t;
  unsigned bits = 0;
};

// Builds the table for the canonical codes of the given lengths (0 = unused, at most 16).
// Values below `s` are literals (256: end of block); the others take their base and extra bits
// from base[v - s] and extra[v - s]. `bits` is the lookup width asked for; it comes back
// reduced when every code is shorter. Returns HUFT_COMPLETE, HUFT_INCOMPLETE (the table is
// built; unreached slots are invalid), HUFT_BAD (over-subscribed or a length above 16) or
// HUFT_NOMEM.
int build_decode_table(const uint8_t* lengths, unsigned n, unsigned s, const uint16_t* base,
                       const uint8_t* extra, DecodeTable& out, unsigned& bits);

void free_decode_table(DecodeTable& table);

}  // namespace zipvault
