#include "Archives_Options.h"

#include "SysUtils.h"

const AnsiString kNotGiven(1, '\0');

TArchiverOptions::TArchiverOptions() : F_jx(std::make_unique<TStringList>()) {
  FIncludeExtraStreams = true;
  FStreamSeparator = ";#";
  SetDefaults();
}

TArchiverOptions::~TArchiverOptions() = default;

void TArchiverOptions::SetDefaults() {
#define VSE_RESET_NUMBER(n) F_##n = -1;
  VSE_ARCHIVER_NUMBER_SWITCHES(VSE_RESET_NUMBER)
#undef VSE_RESET_NUMBER
#define VSE_RESET_TEXT(n) F_##n = kNotGiven;
  VSE_ARCHIVER_TEXT_SWITCHES(VSE_RESET_TEXT)
#undef VSE_RESET_TEXT
  F_jx->Clear();
  FUserOptions.clear();
  FUserFileList.clear();
  FPackFilter = pfComponent;
  FResFileName.clear();
  FResFileUsage = TResFileUsage{ruOnPack, ruOnUnpack, ruOnRemoveItem};
}

void TArchiverOptions::AssignTo(TPersistent* Dest) {
  auto* d = dynamic_cast<TArchiverOptions*>(Dest);
  if (!d) {
    TPersistent::AssignTo(Dest);
    return;
  }
#define VSE_COPY(n) d->F_##n = F_##n;
  VSE_ARCHIVER_NUMBER_SWITCHES(VSE_COPY)
  VSE_ARCHIVER_TEXT_SWITCHES(VSE_COPY)
#undef VSE_COPY
  d->F_jx->Assign(F_jx.get());
  d->FUserOptions = FUserOptions;
  d->FUserFileList = FUserFileList;
  d->FPackFilter = FPackFilter;
  d->FResFileName = FResFileName;
  d->FResFileUsage = FResFileUsage;
  d->FIncludeExtraStreams = FIncludeExtraStreams;
  d->FStreamSeparator = FStreamSeparator;
}

std::unique_ptr<TStringList> CollectNames(const TFileArgs& Files, bool SkipEmpty) {
  auto list = std::make_unique<TStringList>();
  auto add = [&](const AnsiString& s) {
    if (!SkipEmpty || !s.empty()) list->Add(s);
  };
  for (const TFileArg& f : Files) {
    switch (f.Kind()) {
      case TFileArg::fkText: add(f.Text()); break;
      case TFileArg::fkPointer:
        for (const char* const* p = f.Names(); p && *p; ++p) add(*p);
        break;
      case TFileArg::fkStrings:
        if (f.Strings())
          for (int i = 0; i < f.Strings()->Count(); ++i) add(f.Strings()->Strings(i));
        break;
      case TFileArg::fkWide: add(WideToAnsi(f.Wide())); break;
    }
  }
  return list;
}
