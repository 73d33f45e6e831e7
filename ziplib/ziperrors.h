// The compression side's error codes and their texts.
#pragma once

namespace zipvault {

inline constexpr int ZE_EOF = 2;      // unexpected end of zip file
inline constexpr int ZE_FORM = 3;     // zip file structure error
// ZE_MEM 4, ZE_LOGIC 5, ZE_TEMP 10, ZE_READ 11 come with the compressor (deflate.h).
inline constexpr int ZE_BIG = 6;
inline constexpr int ZE_NOTE = 7;
inline constexpr int ZE_TEST = 8;
inline constexpr int ZE_ABORT = 9;    // cancelled by the user
inline constexpr int ZE_NONE = 12;    // nothing to do
inline constexpr int ZE_NAME = 13;    // missing or empty zip file
inline constexpr int ZE_WRITE = 14;   // output write failure
inline constexpr int ZE_CREAT = 15;   // could not create the output
inline constexpr int ZE_PARMS = 16;   // bad command arguments
inline constexpr int ZE_OPEN = 18;    // file not found or not readable
inline constexpr int ZE_MAXERR = 18;

// The text of a code (1..18); "" for the others.
const char* zip_error_text(int code);

}  // namespace zipvault
