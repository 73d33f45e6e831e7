// The inflater of deflated (method 8) entries.
#pragma once

#include "ziplib/entry_io.h"

namespace zipvault {

// Decodes the entry's deflate stream into io's window, flushing it through
// io.flush_output_window() whenever it fills and once at the end. Returns INFLATE_OK,
// INFLATE_BAD (damaged data, a distance before the start of the output, or premature end of the
// data), INFLATE_STOP (cancel, or block type 3), INFLATE_NOMEM, or PK_DISK from the output.
int inflate(EntryIO& io);

}  // namespace zipvault
