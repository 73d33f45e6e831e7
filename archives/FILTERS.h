// The component's own selection of the files to pack: names and patterns expanded, the options'
// date window, attributes, recursion and exclusions applied, stream files added, every selected
// file reported, and a sorted list answered.
#pragma once
#include <functional>
#include <memory>

#include "ArchiverDll.h"
#include "Archives_Options.h"

using TArchiverProgressEvent = std::function<void(TObject* Sender, int State, LPEXTRACTINGINFOEX lpEis, bool& Abort)>;

// The progress state of a selected file.
constexpr int kSelectedFileState = 2053;  // 0x805

// Selects the files; alters Options (the caller's copy) so the library does not select again.
std::unique_ptr<TStringList> BuildFileList(TStrings* ExtraList, TArchiverOptions* Options, const AnsiString& BaseDir,
                                           TObject* Owner, const TArchiverProgressEvent& Progress,
                                           const TFileArgs& Files, bool& Abort);

// A date bound of jo or job: YYMMDD, YYYYMMDD, or either with hhmmss; a leading "l" is dropped;
// DefaultTime ("hhmmss") when no time is given. 0 (no bound) for any other length.
TDateTime ParseDateOption(const AnsiString& Text, const AnsiString& DefaultTime);

// The selection's list: sorted without regard to case, but only byte-equal names are the same
// file. Adds Name when it is new.
std::unique_ptr<TStringList> NewSelectionList();
bool AddSelected(TStrings* List, const AnsiString& Name);
