// Constants shared by Zipvault's decoders and the extraction engine.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zipvault {

// The sliding window of inflate, explode and unreduce; output leaves it in pieces of this size.
inline constexpr unsigned WSIZE = 32768;
// The engine's window buffer: the window, the stored copy's staging area and unshrink's output
// buffer. The byte past 65536 is slack.
inline constexpr size_t WINDOW_BUFFER_SIZE = 65537;
// Unshrink writes its output in pieces of this size.
inline constexpr size_t UNSHRINK_OUTBUF = 65536;

// Compression methods of the ZIP format.
inline constexpr int METHOD_STORED = 0;
inline constexpr int METHOD_SHRUNK = 1;
inline constexpr int METHOD_REDUCED1 = 2;
inline constexpr int METHOD_REDUCED4 = 5;
inline constexpr int METHOD_IMPLODED = 6;
inline constexpr int METHOD_DEFLATED = 8;

// General purpose flag bits that change how an imploded entry is decoded.
inline constexpr uint16_t FLAG_IMPLODE_8K = 0x0002;        // 8K dictionary, else 4K
inline constexpr uint16_t FLAG_IMPLODE_LITTREE = 0x0004;   // literal tree present, minimum match 3

// Result codes of the extraction side that the decoders return.
inline constexpr int PK_OK = 0;
inline constexpr int PK_ERR = 2;         // damaged entry, or cancel
inline constexpr int PK_MEM3 = 6;        // out of memory inside a decompressor
inline constexpr int PK_DISK = 50;       // output cannot be written

// Codes of inflate and of the decoding-table builder.
inline constexpr int INFLATE_OK = 0;
inline constexpr int INFLATE_BAD = 1;     // damaged data or premature end
inline constexpr int INFLATE_STOP = 2;    // cancel, or a bad block type
inline constexpr int INFLATE_NOMEM = 3;

inline constexpr int HUFT_COMPLETE = 0;
inline constexpr int HUFT_INCOMPLETE = 1;
inline constexpr int HUFT_BAD = 2;        // over-subscribed or bad lengths
inline constexpr int HUFT_NOMEM = 3;

// Codes of explode beyond the builder's.
inline constexpr int EXPLODE_BAD_TREE = 4;
inline constexpr int EXPLODE_SIZE = 5;    // compressed data not consumed exactly

// Decoding-table operations.
inline constexpr uint8_t OP_LITERAL = 16;
inline constexpr uint8_t OP_END = 15;
inline constexpr uint8_t OP_INVALID = 99;

// Deflate's length and distance codes: bases and extra bits.
// Length codes 257..287 and distance codes 0..29 (RFC 1951, 3.2.5); 286 and 287 are invalid.
inline constexpr uint16_t cplens[31] = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13, 15,
                                        17, 19, 23, 27,  31,  35,  43,  51,  59, 67, 83,
                                        99, 115, 131, 163, 195, 227, 258, 0,  0};
inline constexpr uint8_t cplext[31] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2,
                                       3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0, OP_INVALID, OP_INVALID};
inline constexpr uint16_t cpdist[30] = {1,    2,    3,    4,    5,    7,     9,     13,    17,  25,
                                        33,   49,   65,   97,   129,  193,   257,   385,   513, 769,
                                        1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
inline constexpr uint8_t cpdext[30] = {0, 0, 0, 0, 1, 1, 2, 2, 3,  3,  4,  4,  5,  5,  6,
                                       6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

// Order in which a dynamic block sends the code-length code's lengths.
inline constexpr uint8_t border[19] = {16, 17, 18, 0,  8, 7,  9, 6, 10, 5,
                                       11, 4,  12, 3, 13, 2, 14, 1, 15};

}  // namespace zipvault
