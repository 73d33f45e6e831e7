// Decoders of the methods of early ZIP programs: shrunk (1), reduced (2-5), imploded (6).
// Each reads through the entry's byte source and writes through io.flush_output_window(); each
// stops once the entry's stated uncompressed size (io.ucsize) has been produced, and ends with a
// non-zero code when the data run out first.
#pragma once

#include "ziplib/entry_io.h"

namespace zipvault {

// Method 1. Returns the entry's code: PK_OK; PK_ERR for damaged data (an invalid code or subcode,
// a width past 13 bits, a string deeper than the dictionary), premature end, or cancel; PK_MEM3;
// PK_DISK.
int unshrink(EntryIO& io);

// Methods 2 to 5 (factor io.method - 1). Returns PK_OK; PK_ERR for damaged data (a follower set
// longer than 32, an index outside its set), premature end, a method outside 2..5, or cancel;
// PK_MEM3; PK_DISK. Matches reaching before the start of the output copy zeros.
int unreduce(EntryIO& io);

// Method 6; io.flags selects the 8K dictionary (FLAG_IMPLODE_8K) and the literal tree
// (FLAG_IMPLODE_LITTREE). Returns 0; EXPLODE_BAD_TREE for a stored tree with too many or too few
// lengths; HUFT_INCOMPLETE/HUFT_BAD from building a tree; INFLATE_BAD (1) for an invalid code
// or premature end; HUFT_NOMEM (3); EXPLODE_SIZE when the compressed data were not consumed
// exactly (io.bytes_used has the count used); PK_ERR on cancel and PK_DISK from the output.
// Matches reaching before the start of the output copy zeros.
int explode(EntryIO& io);

}  // namespace zipvault
