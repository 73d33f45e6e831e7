// The W calls a Windows 9x system lacks. On the ANSI-only platform they fail with
// ERROR_CALL_NOT_IMPLEMENTED, and every refusal is counted (WideCallViolations in
// winplat_mode.h) so tests can show that an ANSI path makes none.
#pragma once

namespace winplat {

// Refuses on the ANSI-only platform, whoever calls.
bool RefuseWideCall();
// Refuses on the ANSI-only platform when `caller` (a return address) lies outside this library:
// the platform's own controls and dialogs are Unicode inside and keep their W calls.
bool RefuseWideCallFrom(const void* caller);

}  // namespace winplat

// Used first thing in a W call's body, so the return address is that of the call's caller.
// The W calls are exported and interposable, so they are never inlined into the library's code.
#define VSE_WIDE_CALL_REFUSED() ::winplat::RefuseWideCallFrom(__builtin_return_address(0))
