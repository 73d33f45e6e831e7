// NTFS named streams carried through archives as ordinary member files: each stream of a packed
// file becomes a temporary file beside it ("1.bmp;#Name;$DATA" for the stream :\x05Name:$DATA),
// and such members are written back into their streams after extraction.
#pragma once
#include <windows.h>

#include <functional>

#include "Archives_Options.h"
#include "SysUtils.h"

// ":" becomes Separator[0], and 0x05 right after such a colon Separator[1]; a separator whose
// length is not 2 leaves the name unchanged.
WideString EncodeStreamName(const WideString& StreamName, const WideString& Separator);
// The reverse, in the last path component only, from the first whole separator on.
AnsiString DecodeStreamName(const AnsiString& Path, const AnsiString& Separator);
// Whether the file system holding Path keeps named streams.
bool SupportsNamedStreams(const AnsiString& Path);

struct TStreamEnum {
  HANDLE Handle = INVALID_HANDLE_VALUE;
  LPVOID Context = nullptr;
  WCHAR Name[260] = {};  // the stream's name (":name:$DATA"), empty for the main data
  uint64_t Size = 0;
  DWORD Attributes = 0;
  bool NameTooLong = false;  // a name beyond the buffer: the stream is skipped
};
bool OpenStreamEnum(const AnsiString& FileName, TStreamEnum& Enum);
bool NextStream(TStreamEnum& Enum);
void CloseStreamEnum(TStreamEnum& Enum);

// Copies Size bytes of Source into a new file Dest (never over an existing one) with the given
// attributes and times. True when Dest was made and holds the bytes; *Created tells whether Dest
// was made at all. A failing read, write or time setting raises EOSError.
bool CopyStreamFile(const AnsiString& Source, const AnsiString& Dest, bool Overwrite, DWORD Attributes,
                    const FILETIME& WriteTime, const FILETIME& AccessTime, const FILETIME& CreationTime,
                    uint64_t Size, bool* Created = nullptr);

// Packing: the stream files of one selected file. Each one this call made is added to ResultList
// (as StoredName + encoded name) and, with its full name, to ExtraList (deleted after the pack).
void AddStreamFiles(TStrings* ResultList, TStrings* ExtraList, const AnsiString& FullName, TArchiverOptions* Options,
                    const TSearchRec& Entry, const AnsiString& Separator, const AnsiString& StoredName,
                    const std::function<bool(TStrings*, const AnsiString&)>& AddName);

// Extraction: writes each gathered stream file back into its stream and deletes the file once the
// stream holds its bytes; files whose stream cannot be written stay.
void AttachExtraStreams(TStringList* StreamFileList, TArchiverOptions* Options, const AnsiString& DestDir);
