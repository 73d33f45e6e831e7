#include "FILTERS.h"

#include <cctype>
#include <cstring>

#include "ExtStrms.h"

namespace {

bool EndsWithSeparator(const AnsiString& F) {
  if (F.empty()) return false;
  const char c = F.back();
  return (c == '\\' || c == '/') && ByteType(F, static_cast<int>(F.size())) == mbSingleByte;
}

AnsiString JoinPath(const AnsiString& F, const AnsiString& N) {
  if (F.empty()) return N;
  if (EndsWithSeparator(F)) return F + N;
  return F + "\\" + N;
}

bool HasWildcard(const AnsiString& Text) { return Text.find_first_of("?*") != AnsiString::npos; }

// The part after the last "/", "\" or ":" (multi-byte aware).
AnsiString MaskOf(const AnsiString& Entry) {
  size_t cut = 0;
  for (size_t i = 0; i < Entry.size(); ++i) {
    const char c = Entry[i];
    if ((c == '/' || c == '\\' || c == ':') && ByteType(Entry, static_cast<int>(i) + 1) == mbSingleByte) cut = i + 1;
  }
  return Entry.substr(cut);
}

int IndexOfExact(TStrings* List, const AnsiString& Name) {
  auto* sorted = dynamic_cast<TStringList*>(List);
  int at = 0;
  if (sorted && sorted->Sorted()) {
    sorted->Find(Name, at);
    for (int i = at; i < List->Count() && AnsiCompareText(List->Strings(i), Name) == 0; ++i)
      if (List->Strings(i) == Name) return i;
    return -1;
  }
  for (int i = 0; i < List->Count(); ++i)
    if (List->Strings(i) == Name) return i;
  return -1;
}

struct TSelection {
  TStrings* ExtraList;
  TArchiverOptions* Options;
  AnsiString BaseDir;
  TObject* Owner;
  const TArchiverProgressEvent* Progress;
  bool* Abort;
  TDateTime From = 0, To = 0;
  int AttrMask = 0x21;
  TStringList* Exclusions = nullptr;
  TStringList* Result = nullptr;
  EXTRACTINGINFOEX Info{};

  bool InDateWindow(TDateTime T) const {
    if (From != 0 && T < From) return false;
    if (To != 0 && T > To) return false;
    return true;
  }

  AnsiString MakeEntryName(const AnsiString& Folder, const TSearchRec& Entry) const {
    AnsiString name = Entry.Name;
    if (Options->ji() >= 1 && Entry.FindData.cAlternateFileName[0]) name = Entry.FindData.cAlternateFileName;
    name = JoinPath(Folder, name);
    if (Options->jf() == -2 && !BaseDir.empty()) name = ExtractRelativePath(IncludeTrailingBackslash(BaseDir), name);
    return name;
  }

  void NotifySelected(const AnsiString& Name) {
    if (!*Progress) return;
    std::memset(Info.szSourceFileName, 0, sizeof Info.szSourceFileName);
    std::strncpy(Info.szSourceFileName, Name.c_str(), sizeof Info.szSourceFileName - 1);
    (*Progress)(Owner, kSelectedFileState, &Info, *Abort);
  }

  void AddSelectedFile(const AnsiString& Name, const AnsiString& FullName, const TSearchRec& Entry,
                       bool WithStreams) {
    if (Exclusions && IndexOfExact(Exclusions, Name) >= 0) return;
    const bool isNew = AddSelected(Result, Name);
    if (WithStreams)
      AddStreamFiles(Result, ExtraList, FullName, Options, Entry, Options->StreamSeparator(), Name, AddSelected);
    if (isNew) NotifySelected(Name);
  }

  void ScanFolder(const AnsiString& Folder, const AnsiString& Mask, bool WithStreams) {
    TSearchRec sr;
    if (FindFirst(JoinPath(Folder, Mask), AttrMask, sr) == 0) {
      do {
        if (*Abort) {
          FindClose(sr);
          return;
        }
        if (sr.Name == "." || sr.Name == "..") continue;
        const DWORD attrs = sr.FindData.dwFileAttributes;
        // Regular files only: no folders, pipes or devices (reading a pipe would block).
        if (attrs & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) continue;
        FILETIME local;
        SYSTEMTIME st;
        if (!FileTimeToLocalFileTime(&sr.FindData.ftLastWriteTime, &local) || !FileTimeToSystemTime(&local, &st))
          continue;
        if (!InDateWindow(SystemTimeToDateTime(st))) continue;
        const AnsiString stored = MakeEntryName(Folder, sr);
        AddSelectedFile(stored, JoinPath(Folder, sr.Name), sr, WithStreams);
      } while (FindNext(sr) == 0);
      FindClose(sr);
    }
    if (*Abort) return;
    if (Options->r() > 0 && (Options->p() <= 0 || HasWildcard(Mask))) {
      if (FindFirst(JoinPath(Folder, "*.*"), 0x16, sr) == 0) {
        do {
          if (*Abort) break;
          const DWORD attrs = sr.FindData.dwFileAttributes;
          if (!(attrs & FILE_ATTRIBUTE_DIRECTORY) || sr.Name == "." || sr.Name == "..") continue;
          // A link to a folder is not followed: it may lead back up and never end.
          if (attrs & FILE_ATTRIBUTE_REPARSE_POINT) continue;
          ScanFolder(MakeEntryName(Folder, sr), Mask, WithStreams);
        } while (FindNext(sr) == 0);
        FindClose(sr);
      }
    }
  }

  std::unique_ptr<TStringList> CollectFiles(TStrings* Names, TStringList* Excl, bool ScanAllWhenEmpty,
                                            bool WithStreams) {
    Info = EXTRACTINGINFOEX{};
    auto result = NewSelectionList();
    Result = result.get();
    Exclusions = Excl;
    From = ParseDateOption(Options->jo(), "000000");
    To = ParseDateOption(Options->job(), "235959");
    AttrMask = 0x21 | (Options->a() >= 1 ? 0x06 : 0);
    const bool streams = WithStreams && Options->IncludeExtraStreams();
    if (Names && Names->Count() > 0) {
      for (int i = 0; i < Names->Count() && !*Abort; ++i) {
        const AnsiString entry = Names->Strings(i);
        const DWORD attrs = GetFileAttributesA(entry.c_str());
        if (Options->r() > 1 && attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY))
          ScanFolder(entry, "*.*", streams);
        else
          ScanFolder(ExtractFilePath(entry), MaskOf(entry), streams);
      }
    } else if (ScanAllWhenEmpty) {
      ScanFolder("", "*.*", streams);
    }
    Result = nullptr;
    return result;
  }
};

// The current folder, changed to BaseDir for the selection and put back afterwards.
class TSavedDir {
 public:
  explicit TSavedDir(const AnsiString& BaseDir) {
    if (BaseDir.empty()) return;
    saved_ = GetCurrentDir();
    if (BaseDir.size() >= 2 && BaseDir[1] == ':' && std::isalpha(static_cast<unsigned char>(BaseDir[0]))) {
      drive_ = static_cast<Byte>(std::toupper(static_cast<unsigned char>(BaseDir[0])) - 64);
      GetDir(drive_, driveDir_);
    }
    ChDir(BaseDir);
  }
  void Restore() {
    if (drive_) ChDir(driveDir_);
    if (!saved_.empty()) ChDir(saved_);
    drive_ = 0;
    saved_.clear();
  }
  ~TSavedDir() {
    try {
      Restore();
    } catch (const std::exception&) {
    }
  }

 private:
  AnsiString saved_;
  Byte drive_ = 0;
  AnsiString driveDir_;
};

Word ExpandYear(int YY) {
  Word year, month, day;
  DecodeDate(Date(), year, month, day);
  const int w = TwoDigitYearCenturyWindow;
  int y = YY + (year - w) / 100 * 100;
  if (w != 0 && y < year - w) y += 100;
  return static_cast<Word>(y);
}

}  // namespace

std::unique_ptr<TStringList> NewSelectionList() {
  auto list = std::make_unique<TStringList>();
  list->SetDuplicates(dupAccept);
  list->SetSorted(true);
  return list;
}

bool AddSelected(TStrings* List, const AnsiString& Name) {
  if (IndexOfExact(List, Name) >= 0) return false;
  List->Add(Name);
  return true;
}

TDateTime ParseDateOption(const AnsiString& Text, const AnsiString& DefaultTime) {
  AnsiString t = Text;
  if (t.size() > 1 && t[0] == 'l') t = t.substr(1, 99);
  Word year, month, day;
  AnsiString time;
  if (t.size() == 6 || t.size() == 12) {
    year = ExpandYear(StrToInt(t.substr(0, 2)));
    month = static_cast<Word>(StrToInt(t.substr(2, 2)));
    day = static_cast<Word>(StrToInt(t.substr(4, 2)));
    time = t.size() == 12 ? t.substr(6, 6) : DefaultTime;
  } else if (t.size() == 8 || t.size() == 14) {
    year = static_cast<Word>(StrToInt(t.substr(0, 4)));
    month = static_cast<Word>(StrToInt(t.substr(4, 2)));
    day = static_cast<Word>(StrToInt(t.substr(6, 2)));
    time = t.size() == 14 ? t.substr(8, 6) : DefaultTime;
  } else {
    return 0;
  }
  return EncodeDate(year, month, day) +
         EncodeTime(static_cast<Word>(StrToInt(time.substr(0, 2))), static_cast<Word>(StrToInt(time.substr(2, 2))),
                    static_cast<Word>(StrToInt(time.substr(4, 2))), 0);
}

std::unique_ptr<TStringList> BuildFileList(TStrings* ExtraList, TArchiverOptions* Options, const AnsiString& BaseDir,
                                           TObject* Owner, const TArchiverProgressEvent& Progress,
                                           const TFileArgs& Files, bool& Abort) {
  TSavedDir dir(BaseDir);
  auto names = CollectNames(Files, false);
  static const TArchiverProgressEvent none;
  TSelection exclusionPass{ExtraList, Options, BaseDir, Owner, &none, &Abort};
  auto exclusions = exclusionPass.CollectFiles(Options->jx(), nullptr, false, false);
  TSelection pass{ExtraList, Options, BaseDir, Owner, &Progress, &Abort};
  auto result = pass.CollectFiles(names.get(), exclusions.get(), true, true);
  Options->Setr(-1);
  Options->Setjo(kNotGiven);
  Options->Setjob(kNotGiven);
  Options->Setp(1);
  dir.Restore();
  return result;
}
