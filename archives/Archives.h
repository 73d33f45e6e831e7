// The archive component: reads and writes archives through the archiver of their format, chooses
// the format from the file name, selects the files to pack and carries named streams.
#pragma once
#include <memory>

#include "ARJ32.h"
#include "Archives_Archiver.h"
#include "Archives_Errors.h"
#include "Archives_Options.h"
#include "BGA32.h"
#include "CAB32.h"
#include "Controls.h"
#include "ExtStrms.h"
#include "FILTERS.h"
#include "LHA32.h"
#include "RAR32.h"
#include "SZIP32.h"
#include "TAR32.h"
#include "YZ132.h"
#include "ZIP32.h"

enum TArchiverType : uint8_t {
  atLha, atZip, atCab, atArj, atTar, atTgz, atBZ2, atRar, atBga, atYz1, atGCA, atBel, at7z, atNone, atAutoDetect
};
static_assert(sizeof(TArchiverType) == 1);

using TArchiverEnumMemberEvent = std::function<void(TObject* Sender, TEnumMemberInfo64& EnumInfo, bool& Abort)>;

// Pack's answer when the selection was stopped through OnProgress.
constexpr int kPackAborted = 32800;  // 0x8020

// The type for a file name: by its extension, or by asking every format's library about the
// file's content (the last positive answer wins).
TArchiverType DetectArchiverType(const AnsiString& FileName, bool ByExtension);

class TArchiveFile : public TComponent {
 public:
  explicit TArchiveFile(TComponent* AOwner);
  ~TArchiveFile() override;

  const AnsiString& FileName() const { return FFileName; }
  void SetFileName(const AnsiString& Value);
  int OutputSize() const { return static_cast<int>(FOutput.size()); }
  void SetOutputSize(int Value);
  TArchiverOptions* Options() const { return FOptions.get(); }
  TArchiverType ArchiverType() const { return FArchiverType; }
  void SetArchiverType(TArchiverType Value);
  TArchiverProgressEvent OnProgress;
  TArchiverEnumMemberEvent OnEnumMember;

  int Extract(HWND Wnd, TArchiverOptions* Options, const AnsiString& DestDir, const TFileArgs& Files);
  int Pack(HWND Wnd, TArchiverOptions* Options, const AnsiString& BaseDir, const TFileArgs& Files);

  TArchiver* Archiver() const { return FArchiver.get(); }
  // The command line built by the last Extract or Pack.
  const AnsiString& LastCommandLine() const { return FLastCommandLine; }
  // The text buffer lent to the library (OutputSize characters).
  const AnsiString& Output() const { return FOutput; }

  void DoProgress(int State, LPEXTRACTINGINFOEX lpEis, bool& Abort);
  void DoEnumMember(TEnumMemberInfo64& EnumInfo, bool& Abort);

  // For the form reader and designer: the component's state flags.
  void SetReading(bool Value) { Value ? IncludeState(csReading) : ExcludeState(csReading); }
  void SetDesigningState(bool Value) { Value ? IncludeState(csDesigning) : ExcludeState(csDesigning); }

 private:
  void CheckArchiver();
  void ResolveAutoDetect();
  bool NeedsEnumMembers(TArchiverOptions* Options) const;
  void BeginCallbacks(TArchiverOptions* Options);
  void EndCallbacks(TArchiverOptions* Options);
  int PackByArchiver(HWND Wnd, TArchiverOptions* Options, const AnsiString& BaseDir, const TFileArgs& Files);
  void CollectStreamFile(TObject* Sender, int State, LPEXTRACTINGINFOEX lpEis, bool& Abort);
  void ProgressWndProc(TMessage& Message);

  TArchiverType FArchiverType = atAutoDetect;
  std::unique_ptr<TArchiver> FArchiver;
  std::unique_ptr<TArchiverOptions> FOptions;
  AnsiString FFileName;
  AnsiString FLastCommandLine;
  AnsiString FOutput;
  HWND FProgressWnd = nullptr;
  TArchiverProgressEvent FInternalProgress;
  TArchiverOptions* FStreamOptions = nullptr;
  std::unique_ptr<TStringList> FStreamFiles;
};

// Frees every format's binding and library (each archiver's FreeDLL).
void FreeArchiverDlls();
