// The archiver base every format derives from, and the builder of its command lines.
#pragma once
#include <functional>

#include "ArchiverDll.h"
#include "Archives_Options.h"

// Collects a command line item by item: each item is one blank and the item.
class TCmdOpt : public TObject {
 public:
  using TEscape = std::function<AnsiString(const AnsiString&)>;
  // Refuses (raises) a name the library would read as something else.
  using TNameCheck = std::function<void(const AnsiString&)>;

  bool QuoteStyle = false;
  TEscape Escape;
  TNameCheck NameCheck;
  const AnsiString& Text() const { return FText; }

  void Add(const AnsiString& Item);
  void AddSwitch(const AnsiString& Name, bool On);
  void AddNumber(const AnsiString& Name, int N);
  void AddQuoted(const AnsiString& Name, const AnsiString& Value);
  void AddFileName(const AnsiString& Name, const AnsiString& Value) { AddQuoted(Name, Value); }
  void AddFolder(const AnsiString& Name, const AnsiString& Dir);
  void AddEscapedName(const AnsiString& Name, const AnsiString& Value);
  int AddFileList(const TFileArgs& Files);
  int AddResponseFile(const TFileArgs& Files, const AnsiString& ResFile);

 private:
  std::unique_ptr<TStringList> CheckedNames(const TFileArgs& Files);
  AnsiString FText;
};

// Self-extractors: the output name (ArchiveName with the extension Ext, placed in Folder by its
// bare name when a folder is given), the search for a stub (SearchPathA in the default order;
// empty when missing), and the output written as the given files one after the other (sources
// opened read-only, deny-write).
AnsiString SfxOutputName(const AnsiString& ArchiveName, const AnsiString& Folder, const AnsiString& Ext);
AnsiString SearchStub(const AnsiString& Name);
void ConcatenateFiles(const AnsiString& Output, const std::vector<AnsiString>& Parts);

// Ends with a backslash unless it already does (the last character, taken multi-byte aware).
AnsiString WithTrailingBackslash(const AnsiString& Dir);

class TArchiver : public TObject {
 public:
  // Descendants load their library at the end of their constructors (LoadDLL).
  TArchiver() = default;

  virtual void LoadDLL();
  virtual void FreeDLL();
  virtual TCustomArchiverDll* GetDll();
  virtual HARC OpenArchive(HWND Wnd, const AnsiString& ArchiveName, DWORD Mode);
  virtual int FindFirst(HARC Handle, const AnsiString& WildName, TArchiveEntryInfoEx* Info);
  virtual int FindNext(HARC Handle, TArchiveEntryInfoEx* Info);
  virtual int CloseArchive(HARC Handle);
  virtual void EnumMember(TEnumMemberInfo64& EnumInfo, TArchiverOptions* Options, bool& Abort) {}
  virtual int Extract(HWND Wnd, const AnsiString& ArchiveName, AnsiString& Output, AnsiString& CmdLine,
                      bool UseResFile, const TFileArgs& Files, const AnsiString& DestDir, TArchiverOptions* Options);
  virtual int Pack(HWND Wnd, const AnsiString& ArchiveName, AnsiString& Output, AnsiString& CmdLine, bool UseResFile,
                   const TFileArgs& Files, const AnsiString& BaseDir, TArchiverOptions* Options);
  virtual int Delete(HWND Wnd, const AnsiString& ArchiveName, AnsiString& Output, AnsiString& CmdLine,
                     bool UseResFile, const TFileArgs& Files, const AnsiString& BaseDir, TArchiverOptions* Options);
  virtual int Update(HWND Wnd, const AnsiString& ArchiveName, AnsiString& Output, AnsiString& CmdLine,
                     bool UseResFile, const TFileArgs& Files, const AnsiString& BaseDir, TArchiverOptions* Options);
  virtual int MakeSfx(HWND Wnd, const AnsiString& ArchiveName, AnsiString& Output, AnsiString& CmdLine,
                      const AnsiString& Folder, TArchiverOptions* Options);
  virtual int ExtractMem(HWND Wnd, const AnsiString& ArchiveName, AnsiString& CmdLine, LPBYTE Buffer, DWORD Size,
                         LPDWORD WrittenSize, const AnsiString& MemberName, TArchiverOptions* Options);
  virtual bool CheckArchive(const AnsiString& ArchiveName, int Mode, int Flags);

  // The command lines of the operations.
  virtual AnsiString DoExtract(HWND Wnd, const AnsiString& ArchiveName, bool UseResFile, const TFileArgs& Files,
                               const AnsiString& DestDir, TArchiverOptions* Options) = 0;
  virtual AnsiString DoPack(HWND Wnd, const AnsiString& ArchiveName, bool UseResFile, const TFileArgs& Files,
                            const AnsiString& BaseDir, TArchiverOptions* Options);
  virtual AnsiString DoDelete(HWND Wnd, const AnsiString& ArchiveName, bool UseResFile, const TFileArgs& Files,
                              const AnsiString& BaseDir, TArchiverOptions* Options);
  virtual AnsiString DoUpdate(HWND Wnd, const AnsiString& ArchiveName, bool UseResFile, const TFileArgs& Files,
                              const AnsiString& BaseDir, TArchiverOptions* Options);
  virtual AnsiString DoMakeSfx(HWND Wnd, const AnsiString& ArchiveName, const AnsiString& Folder,
                               TArchiverOptions* Options);
  virtual AnsiString DoExtractMem(HWND Wnd, const AnsiString& ArchiveName, const AnsiString& MemberName,
                                  TArchiverOptions* Options);

  // The owner window is cleared again whenever the library refuses or fails.
  virtual bool SetOwnerWindow(HWND Wnd, void* Proc);
  virtual void KillOwnerWindow(HWND Wnd);
  virtual bool SetEnumMembersProc(void* Proc, DWORD StructSize);
  virtual bool ClearEnumMembersProc();
  virtual void EnsureLoaded() { LoadDLL(); }

  bool HasOwnerWindow() const { return FOwnerWindow != nullptr; }
  HWND OwnerWindow() const { return FOwnerWindow; }

 protected:
  void AddArchiveAndDir(TCmdOpt& Cmd, const AnsiString& ArchiveName, const AnsiString& Dir);
  int AddFiles(TCmdOpt& Cmd, TArchiverOptions* Options, bool UseResFile, const TFileArgs& Files);
  int RunCommand(HWND Wnd, const AnsiString& CmdLine, AnsiString& Output);
  int RunCommandOnArchive(HWND Wnd, const AnsiString& ArchiveName, const AnsiString& CmdLine, AnsiString& Output,
                          bool Replaces = false);

  HWND FOwnerWindow = nullptr;
};

// The action text of each command of a format; null where the format does not have it (the
// base's refusal then).
struct TFormatActions {
  const char* Extract;
  const char* Pack;
  const char* Delete;
  const char* Update;
  const char* MakeSfx;
  const char* ExtractMem;
};

// The archiver of a format served by one library (Prefix + suffix entries in DllName), over the
// format's one binding: made on first use and stored before it loads, shared by every archiver of
// the format, freed (with its library) by FreeDLL. Every command is the action text and the
// format's BuildCommand.
class TFormatArchiver : public TArchiver {
 public:
  TFormatArchiver(TArchiverDll*& Binding, const char* FormatText, const char* Prefix, const char* DllName,
                  const TFormatActions& Actions)
      : FBinding(Binding), FFormatText(FormatText), FPrefix(Prefix), FDllName(DllName), FActions(Actions) {}
  void LoadDLL() override;
  void FreeDLL() override;
  TCustomArchiverDll* GetDll() override;

  AnsiString DoExtract(HWND Wnd, const AnsiString& ArchiveName, bool UseResFile, const TFileArgs& Files,
                       const AnsiString& DestDir, TArchiverOptions* Options) override;
  AnsiString DoPack(HWND Wnd, const AnsiString& ArchiveName, bool UseResFile, const TFileArgs& Files,
                    const AnsiString& BaseDir, TArchiverOptions* Options) override;
  AnsiString DoDelete(HWND Wnd, const AnsiString& ArchiveName, bool UseResFile, const TFileArgs& Files,
                      const AnsiString& BaseDir, TArchiverOptions* Options) override;
  AnsiString DoUpdate(HWND Wnd, const AnsiString& ArchiveName, bool UseResFile, const TFileArgs& Files,
                      const AnsiString& BaseDir, TArchiverOptions* Options) override;
  AnsiString DoMakeSfx(HWND Wnd, const AnsiString& ArchiveName, const AnsiString& Folder,
                       TArchiverOptions* Options) override;
  AnsiString DoExtractMem(HWND Wnd, const AnsiString& ArchiveName, const AnsiString& MemberName,
                          TArchiverOptions* Options) override;
  virtual AnsiString BuildCommand(const AnsiString& Action, const AnsiString& ArchiveName, bool UseResFile,
                                  const TFileArgs& Files, const AnsiString& Dir, TArchiverOptions* Options) = 0;

 protected:
  TArchiverDll* Binding();
  TArchiverDll*& FBinding;
  const char* FFormatText;
  const char* FPrefix;
  const char* FDllName;
  TFormatActions FActions;
};

// Content tests of the library-served formats: OpenArchive(0, name, 8388610) and CloseArchive,
// true when the handle was not 0; any failure answers false.
bool OpenArchiveTest(TCustomArchiverDll* Dll, const AnsiString& ExpandedName);
