// A stand-in archiver library for tests, compiled once per entry prefix (FAKE_PREFIX=Unlha gives
// "Unlha", "UnlhaOpenArchive", ...). Every entry records its call; the answers are set by the test
// through the Fake* entries. FAKE_NO_TIMES and FAKE_NO_SIZES leave out the optional time and size
// entries, FAKE_COMMAND_ONLY every entry but the command.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#define FAKE_CAT2(a, b) a##b
#define FAKE_CAT(a, b) FAKE_CAT2(a, b)
#define ENTRY(suffix) FAKE_CAT(FAKE_PREFIX, suffix)
#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct Notice {
  std::string source, dest, content;
};

std::map<std::string, int> g_answers;
std::string g_lastCommand;
std::string g_log;
std::vector<std::vector<uint8_t>> g_members;  // 558-byte records for FindFirst/FindNext
size_t g_next = 0;
std::vector<Notice> g_notices;
HWND g_owner = nullptr;
void* g_enumProc = nullptr;
int g_passwordTries = 0;

int Answer(const char* entry, int fallback) {
  auto it = g_answers.find(entry);
  return it == g_answers.end() ? fallback : it->second;
}
void Log(const std::string& s) { g_log += s + ";"; }

}  // namespace

EXPORT void FakeReset() {
  g_answers.clear();
  g_lastCommand.clear();
  g_log.clear();
  g_members.clear();
  g_notices.clear();
  g_next = 0;
  g_owner = nullptr;
  g_enumProc = nullptr;
  g_passwordTries = 0;
}
EXPORT void FakeSetAnswer(const char* entry, int value) { g_answers[entry] = value; }
EXPORT const char* FakeLastCommand() { return g_lastCommand.c_str(); }
EXPORT const char* FakeCallLog() { return g_log.c_str(); }
EXPORT void FakeAddMember(const void* record558) {
  const auto* p = static_cast<const uint8_t*>(record558);
  g_members.emplace_back(p, p + 558);
}
// Extraction writes `content` to `dest` and, with an owner window, sends a State-1 notice.
EXPORT void FakeAddNotice(const char* source, const char* dest, const char* content) {
  g_notices.push_back({source, dest, content});
}
EXPORT HWND FakeOwnerWindow() { return g_owner; }

EXPORT int ENTRY()(HWND wnd, const char* cmd, char* out, uint32_t size) {
  g_lastCommand = cmd ? cmd : "";
  Log(std::string("Command ") + (out ? "buf" : "nil") + " " + std::to_string(size));
  if (out && size > 0) std::strncpy(out, "fake output", size - 1);
  const UINT msg = RegisterWindowMessageA("wm_arcextract");
  for (const Notice& n : g_notices) {
    HANDLE h = CreateFileA(n.dest.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      DWORD w = 0;
      WriteFile(h, n.content.data(), static_cast<DWORD>(n.content.size()), &w, nullptr);
      CloseHandle(h);
    }
    if (g_owner) {
      unsigned char info[1074] = {};
      std::strncpy(reinterpret_cast<char*>(info) + 8, n.source.c_str(), 512);
      std::strncpy(reinterpret_cast<char*>(info) + 524, n.dest.c_str(), 512);
      SendMessageA(g_owner, msg, 1, reinterpret_cast<LPARAM>(info));
    }
  }
  return Answer("Command", 0);
}

#ifndef FAKE_COMMAND_ONLY
EXPORT void* ENTRY(OpenArchive)(HWND, const char* name, uint32_t mode) {
  Log(std::string("OpenArchive ") + name + " " + std::to_string(mode));
  g_next = 0;
  return Answer("OpenArchive", 1) ? reinterpret_cast<void*>(0x1234) : nullptr;
}
EXPORT int ENTRY(CloseArchive)(void*) {
  Log("CloseArchive");
  return 0;
}
EXPORT int ENTRY(FindFirst)(void*, const char* wild, void* info) {
  Log(std::string("FindFirst ") + (wild ? wild : ""));
  g_next = 0;
  const int forced = Answer("FindFirst", 0);
  if (forced != 0) return forced;
  if (g_members.empty()) return -1;
  std::memcpy(info, g_members[g_next++].data(), 558);
  return 0;
}
EXPORT int ENTRY(FindNext)(void*, void* info) {
  Log("FindNext");
  if (g_next >= g_members.size()) return -1;
  std::memcpy(info, g_members[g_next++].data(), 558);
  return 0;
}
EXPORT int ENTRY(CheckArchive)(const char* name, int mode) {
  Log(std::string("CheckArchive ") + name + " " + std::to_string(mode));
  return Answer("CheckArchive", 0);
}
EXPORT int ENTRY(GetArchiveType)(const char* name) {
  Log(std::string("GetArchiveType ") + name);
  return Answer("GetArchiveType", 0);
}
EXPORT int ENTRY(SetOwnerWindowEx)(HWND wnd, void*) {
  Log("SetOwnerWindowEx");
  g_owner = wnd;
  return Answer("SetOwnerWindowEx", 1);
}
EXPORT int ENTRY(KillOwnerWindowEx)(HWND) {
  Log("KillOwnerWindowEx");
  g_owner = nullptr;
  return 1;
}
EXPORT int ENTRY(ExtractMem)(HWND, const char* cmd, uint8_t*, uint32_t, uint32_t*, uint16_t*, uint32_t* written) {
  g_lastCommand = cmd ? cmd : "";
  Log("ExtractMem");
  if (written) *written = 7;
  return 0;
}
EXPORT int ENTRY(SetEnumMembersProc64)(void* proc, uint32_t size) {
  Log("SetEnumMembersProc64 " + std::to_string(size));
  g_enumProc = proc;
  return 1;
}
EXPORT int ENTRY(ClearEnumMembersProc64)() {
  Log("ClearEnumMembersProc64");
  g_enumProc = nullptr;
  return 1;
}
// Answers 32778 (a password is needed) for FindFirst until a password was set "tries" times.
EXPORT int ENTRY(PasswordDialog)(HWND, char* buf, uint32_t size) {
  Log("PasswordDialog " + std::to_string(size));
  std::strncpy(buf, "secret", size - 1);
  return Answer("PasswordDialog", 0);
}
EXPORT int ENTRY(SetDefaultPassword)(void*, const char* pw) {
  Log(std::string("SetDefaultPassword ") + pw);
  if (++g_passwordTries >= Answer("PasswordTries", 1000)) g_answers["FindFirst"] = 0;
  return 0;
}
#ifndef FAKE_NO_TIMES
EXPORT int ENTRY(GetWriteTimeEx)(void*, FILETIME* t) {
  t->dwLowDateTime = 1;
  t->dwHighDateTime = 0;
  return 1;
}
EXPORT int ENTRY(GetAccessTimeEx)(void*, FILETIME* t) {
  t->dwLowDateTime = 2;
  t->dwHighDateTime = 0;
  return 1;
}
EXPORT int ENTRY(GetCreateTimeEx)(void*, FILETIME* t) {
  t->dwLowDateTime = 3;
  t->dwHighDateTime = 0;
  return 1;
}
#endif
#ifndef FAKE_NO_SIZES
EXPORT int ENTRY(GetOriginalSizeEx)(void*, uint64_t* s) {
  *s = 0x100000005ull;
  return 1;
}
EXPORT int ENTRY(GetCompressedSizeEx)(void*, uint64_t* s) {
  *s = 0x100000003ull;
  return 1;
}
#endif
#endif
