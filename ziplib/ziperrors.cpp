#include "ziplib/ziperrors.h"

namespace zipvault {

const char* zip_error_text(int code) {
  static const char* const texts[] = {
      "",
      "",
      "Unexpected end of zip file",
      "Zip file structure invalid",
      "Out of memory",
      "Internal logic error",
      "Entry too big to split",
      "Invalid comment format",
      "Zip file invalid or could not spawn unzip",
      "Interrupted",
      "Temporary file failure",
      "Input file read failure",
      "Nothing to do!",
      "Missing or empty zip file",
      "Output file write failure",
      "Could not create output file",
      "Invalid command arguments",
      "",
      "File not found or no read permission",
  };
  return code >= 0 && code <= ZE_MAXERR ? texts[code] : "";
}

}  // namespace zipvault
