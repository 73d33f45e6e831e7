#include "LHA32.h"

namespace {
TArchiverDll* g_lhaDll = nullptr;
}

TLha32::TLha32() : TLha32(g_lhaDll, "LHA 形式書庫", "Unlha", "UNLHA32.DLL") {}

TLha32::TLha32(TArchiverDll*& Binding, const char* FormatText, const char* Prefix, const char* DllName)
    : TFormatArchiver(Binding, FormatText, Prefix, DllName, {"x", "u", "d", "f", "s", ""}) {
  LoadDLL();
}

void FreeLha32Dll() {
  delete g_lhaDll;
  g_lhaDll = nullptr;
}

AnsiString TLha32::BuildCommand(const AnsiString& Action, const AnsiString& ArchiveName, bool UseResFile,
                                const TFileArgs& Files, const AnsiString& Dir, TArchiverOptions* o) {
  TCmdOpt cmd;
  cmd.Add("-+");
  if (Action == "x" && o->jse() == -1) throw EAssertionFailed(AnsiString("jse オプションが設定されていません。"));
  if (o->jso() == -1) throw EAssertionFailed(AnsiString("jso オプションが設定されていません。"));
  cmd.AddNumber("a", o->a());
  cmd.AddNumber("c", o->c());
  cmd.AddNumber("e", o->e());
  cmd.AddNumber("f", o->f());
  cmd.AddNumber("h", o->h());
  cmd.AddNumber("i", o->i());
  cmd.AddNumber("l", o->l());
  cmd.AddNumber("m", o->m());
  cmd.AddNumber("n", HasOwnerWindow() ? 1 : o->n());
  cmd.AddNumber("o", o->o());
  cmd.AddNumber("p", o->p());
  cmd.AddNumber("r", o->r());
  cmd.AddNumber("s", o->s());
  cmd.AddNumber("t", o->t());
  cmd.AddNumber("u", o->u());
  cmd.AddFolder("w", o->w());
  cmd.AddNumber("x", o->x());
  cmd.AddNumber("y", o->y());
  cmd.AddNumber("z", o->z());
  cmd.AddNumber("jc", o->jc());
  cmd.AddNumber("jd", o->jd());
  cmd.AddNumber("je", o->je());
  cmd.AddNumber("jf", o->jf());
  cmd.AddNumber("jh", o->jh());
  cmd.AddNumber("ji", o->ji());
  cmd.AddNumber("jm", o->jm());
  cmd.AddNumber("jn", o->jn());
  cmd.AddQuoted("jo", o->jo());
  cmd.AddQuoted("job", o->job());
  cmd.AddNumber("jp", o->jp());
  cmd.AddNumber("jr", o->jr());
  cmd.AddNumber("jsb", o->jsb());
  cmd.AddNumber("jsc", o->jsc());
  cmd.AddNumber("jsd", o->jsd());
  cmd.AddNumber("jse", o->jse());
  cmd.AddNumber("jsf", o->jsf());
  cmd.AddNumber("jsl", o->jsl());
  cmd.AddNumber("jso", o->jso());
  cmd.AddNumber("jss", o->jss());
  cmd.AddNumber("jst", o->jst());
  cmd.AddNumber("jsv", o->jsv());
  cmd.AddNumber("jsz", o->jsz());
  cmd.AddNumber("jw", o->jw());
  for (int i = 0; i < o->jx()->Count(); ++i) cmd.AddEscapedName("jx", o->jx()->Strings(i));
  cmd.AddNumber("jyc", o->jyc());
  cmd.AddNumber("jyd", o->jyd());
  cmd.AddNumber("jyk", o->jyk());
  cmd.AddNumber("jyn", o->jyn());
  cmd.AddNumber("jyo", o->jyo());
  cmd.AddQuoted("jz", o->jz());
  cmd.AddNumber("ga", o->ga());
  cmd.AddNumber("gd", o->gd());
  cmd.AddNumber("ge", o->ge());
  cmd.AddNumber("gf", o->gf());
  cmd.AddNumber("gj", o->gj());
  cmd.AddNumber("gm", o->gm());
  cmd.AddNumber("gn", o->gn());
  cmd.AddNumber("go", o->go());
  cmd.AddNumber("gp", o->gp());
  cmd.AddQuoted("gr", o->gr());
  cmd.AddNumber("gs", o->gs());
  cmd.AddNumber("gu", o->gu());
  cmd.AddNumber("gw", o->gw());
  cmd.AddNumber("gya", o->gya());
  cmd.AddNumber("gyc", o->gyc());
  cmd.AddQuoted("gyd", o->gyd());
  cmd.AddQuoted("gye", o->gye());
  cmd.AddNumber("gyo", o->gyo());
  cmd.AddNumber("gyq", o->gyq());
  cmd.AddNumber("gys", o->gys());
  cmd.AddQuoted("gyt", o->gyt());
  cmd.AddQuoted("gyw", o->gyw());
  cmd.AddNumber("gyx", o->gyx());
  cmd.Add(o->UserOptions());
  AddArchiveAndDir(cmd, ArchiveName, Dir);
  AddFiles(cmd, o, UseResFile, Files);
  return Action + cmd.Text();
}


bool IsLhaArchive(const AnsiString& FileName) {
  try {
    TLha32 lha;
    const AnsiString name = ExpandFileName(FileName);
    return lha.GetDll()->CheckArchive(name, 16) && OpenArchiveTest(lha.GetDll(), name);
  } catch (const std::exception&) {
    return false;
  }
}
