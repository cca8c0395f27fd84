// The multimedia calls of platform/mmsystem.h on Windows: each one passes
// straight to the system library. Handles travel as integers of pointer
// width; the structures the library reads and writes in place have the
// system's layout, which the assertions below hold to.
//
// Our header comes first: after <windows.h> the mm:: constants would meet the
// system's macros of the same names, so this file uses only the latter.
#include "platform/mmsystem.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <mmsystem.h>

#include <cstddef>

namespace mm {
namespace {

static_assert(sizeof(mm::MIDIHDR) == sizeof(::MIDIHDR));
static_assert(offsetof(mm::MIDIHDR, lpData) == offsetof(::MIDIHDR, lpData));
static_assert(offsetof(mm::MIDIHDR, dwBufferLength) == offsetof(::MIDIHDR, dwBufferLength));
static_assert(offsetof(mm::MIDIHDR, dwBytesRecorded) == offsetof(::MIDIHDR, dwBytesRecorded));
static_assert(offsetof(mm::MIDIHDR, dwUser) == offsetof(::MIDIHDR, dwUser));
static_assert(offsetof(mm::MIDIHDR, dwFlags) == offsetof(::MIDIHDR, dwFlags));
static_assert(offsetof(mm::MIDIHDR, lpNext) == offsetof(::MIDIHDR, lpNext));
static_assert(offsetof(mm::MIDIHDR, reserved) == offsetof(::MIDIHDR, reserved));
static_assert(offsetof(mm::MIDIHDR, dwOffset) == offsetof(::MIDIHDR, dwOffset));
static_assert(offsetof(mm::MIDIHDR, dwReserved) == offsetof(::MIDIHDR, dwReserved));
static_assert(sizeof(mm::MMTIME) == sizeof(::MMTIME));
static_assert(offsetof(mm::MMTIME, u) == offsetof(::MMTIME, u));
static_assert(sizeof(mm::MIDIOUTCAPSA) == sizeof(::MIDIOUTCAPSA));
static_assert(offsetof(mm::MIDIOUTCAPSA, szPname) == offsetof(::MIDIOUTCAPSA, szPname));
static_assert(offsetof(mm::MIDIOUTCAPSA, dwSupport) == offsetof(::MIDIOUTCAPSA, dwSupport));
static_assert(sizeof(mm::MIDIPROPTEMPO) == sizeof(::MIDIPROPTEMPO));
// The short form of a stream event: the system's MIDIEVENT adds a parameter
// array that short events do not carry.
static_assert(sizeof(mm::MIDIEVENT) == 3 * sizeof(DWORD));

::HMIDISTRM Stream(HMIDISTRM h) { return reinterpret_cast<::HMIDISTRM>(h); }
::HMIDIOUT Out(HMIDIOUT h) { return reinterpret_cast<::HMIDIOUT>(h); }
::LPMIDIHDR Header(MIDIHDR* h) { return reinterpret_cast<::LPMIDIHDR>(h); }

}  // namespace

uint32_t midiOutGetNumDevs() { return ::midiOutGetNumDevs(); }

MMRESULT midiOutGetDevCapsA(uintptr_t uDeviceID, MIDIOUTCAPSA* pmoc, uint32_t cbmoc) {
  return ::midiOutGetDevCapsA(uDeviceID, reinterpret_cast<::LPMIDIOUTCAPSA>(pmoc), cbmoc);
}

MMRESULT midiOutGetErrorTextA(MMRESULT mmrError, char* pszText, uint32_t cchText) {
  return ::midiOutGetErrorTextA(mmrError, pszText, cchText);
}

MMRESULT midiStreamOpen(HMIDISTRM* phms, uint32_t* puDeviceID, uint32_t cMidi, uintptr_t dwCallback,
                        uintptr_t dwInstance, uint32_t fdwOpen) {
  ::HMIDISTRM stream = nullptr;
  UINT device = *puDeviceID;
  const MMRESULT result = ::midiStreamOpen(&stream, &device, cMidi, dwCallback, dwInstance, fdwOpen);
  *puDeviceID = device;
  if (result == MMSYSERR_NOERROR) *phms = reinterpret_cast<HMIDISTRM>(stream);
  return result;
}

MMRESULT midiStreamClose(HMIDISTRM hms) { return ::midiStreamClose(Stream(hms)); }

MMRESULT midiStreamOut(HMIDISTRM hms, MIDIHDR* pmh, uint32_t cbmh) {
  return ::midiStreamOut(Stream(hms), Header(pmh), cbmh);
}

MMRESULT midiStreamPause(HMIDISTRM hms) { return ::midiStreamPause(Stream(hms)); }
MMRESULT midiStreamRestart(HMIDISTRM hms) { return ::midiStreamRestart(Stream(hms)); }
MMRESULT midiStreamStop(HMIDISTRM hms) { return ::midiStreamStop(Stream(hms)); }

MMRESULT midiStreamPosition(HMIDISTRM hms, MMTIME* lpmmt, uint32_t cbmmt) {
  return ::midiStreamPosition(Stream(hms), reinterpret_cast<::LPMMTIME>(lpmmt), cbmmt);
}

MMRESULT midiStreamProperty(HMIDISTRM hms, uint8_t* lppropdata, uint32_t dwProperty) {
  return ::midiStreamProperty(Stream(hms), lppropdata, dwProperty);
}

MMRESULT midiOutPrepareHeader(HMIDIOUT hmo, MIDIHDR* pmh, uint32_t cbmh) {
  return ::midiOutPrepareHeader(Out(hmo), Header(pmh), cbmh);
}

MMRESULT midiOutUnprepareHeader(HMIDIOUT hmo, MIDIHDR* pmh, uint32_t cbmh) {
  return ::midiOutUnprepareHeader(Out(hmo), Header(pmh), cbmh);
}

MMRESULT midiOutShortMsg(HMIDIOUT hmo, uint32_t dwMsg) { return ::midiOutShortMsg(Out(hmo), dwMsg); }
MMRESULT midiOutReset(HMIDIOUT hmo) { return ::midiOutReset(Out(hmo)); }

MMRESULT midiOutGetVolume(HMIDIOUT hmo, uint32_t* pdwVolume) {
  DWORD volume = 0;
  const MMRESULT result = ::midiOutGetVolume(Out(hmo), &volume);
  if (result == MMSYSERR_NOERROR) *pdwVolume = volume;
  return result;
}

MMRESULT midiOutSetVolume(HMIDIOUT hmo, uint32_t dwVolume) { return ::midiOutSetVolume(Out(hmo), dwVolume); }

}  // namespace mm
