// Multimedia calls: the multimedia clock and playing WAVE sounds.
#pragma once
#include "wintypes.h"

using MMRESULT = UINT;
#define TIMERR_NOERROR 0
#define TIMERR_NOCANDO 97

#define SND_SYNC 0x0000u
#define SND_ASYNC 0x0001u
#define SND_NODEFAULT 0x0002u
#define SND_MEMORY 0x0004u
#define SND_LOOP 0x0008u
#define SND_NOSTOP 0x0010u
#define SND_PURGE 0x0040u

DWORD WINAPI timeGetTime();
MMRESULT WINAPI timeBeginPeriod(UINT uPeriod);
MMRESULT WINAPI timeEndPeriod(UINT uPeriod);

// Plays a WAVE sound: with SND_MEMORY lpszSound points at a RIFF image in memory, otherwise it
// names a file. A null sound (or SND_PURGE) stops the sound that plays. SND_ASYNC returns at once;
// a new sound cuts the previous one. FALSE when the sound cannot be played (bad or missing data).
// SND_LOOP is not supported: the sound plays once.
BOOL WINAPI sndPlaySoundA(LPCSTR lpszSound, UINT fuSound);
BOOL WINAPI sndPlaySoundW(LPCWSTR lpszSound, UINT fuSound);
