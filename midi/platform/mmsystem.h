// The multimedia calls the player is written against: MIDI output streams,
// direct short messages, device volume and the device list. On Linux they are
// provided by this folder (namespace mm); a Windows build maps the same names
// to the system library.
#pragma once

#include <cstdint>

namespace mm {

using MMRESULT = uint32_t;
#if defined(_WIN32)
// The system's handles, carried as integers of pointer width (win32/).
using HMIDISTRM = uintptr_t;
using HMIDIOUT = uintptr_t;
using HWND = uintptr_t;
#else
using HMIDISTRM = uint32_t;  // stream handle; also usable where an HMIDIOUT is asked for
using HMIDIOUT = uint32_t;
using HWND = uint32_t;       // a message window (see window.h)
#endif

// Result codes.
constexpr MMRESULT MMSYSERR_NOERROR = 0;
constexpr MMRESULT MMSYSERR_ERROR = 1;
constexpr MMRESULT MMSYSERR_BADDEVICEID = 2;
constexpr MMRESULT MMSYSERR_ALLOCATED = 4;
constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
constexpr MMRESULT MMSYSERR_NODRIVER = 6;
constexpr MMRESULT MMSYSERR_NOMEM = 7;
constexpr MMRESULT MMSYSERR_NOTSUPPORTED = 8;
constexpr MMRESULT MMSYSERR_BADERRNUM = 9;
constexpr MMRESULT MMSYSERR_INVALFLAG = 10;
constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
constexpr MMRESULT MIDIERR_UNPREPARED = 64;
constexpr MMRESULT MIDIERR_STILLPLAYING = 65;
constexpr MMRESULT MIDIERR_NOTREADY = 67;
constexpr MMRESULT MIDIERR_NODEVICE = 68;

// Window messages posted by a stream to its callback window.
constexpr uint32_t MM_MOM_OPEN = 0x3C7;
constexpr uint32_t MM_MOM_CLOSE = 0x3C8;
constexpr uint32_t MM_MOM_DONE = 0x3C9;

constexpr uint32_t CALLBACK_NULL = 0x00000;
constexpr uint32_t CALLBACK_WINDOW = 0x10000;
constexpr uint32_t CALLBACK_TYPEMASK = 0x70000;
constexpr uint32_t MIDI_MAPPER = 0xFFFFFFFF;  // device -1

constexpr uint32_t MIDIPROP_SET = 0x80000000;
constexpr uint32_t MIDIPROP_GET = 0x40000000;
constexpr uint32_t MIDIPROP_TIMEDIV = 0x00000001;
constexpr uint32_t MIDIPROP_TEMPO = 0x00000002;

constexpr uint32_t TIME_MS = 0x0001;
constexpr uint32_t TIME_TICKS = 0x0020;

constexpr uint32_t MHDR_DONE = 0x1;
constexpr uint32_t MHDR_PREPARED = 0x2;
constexpr uint32_t MHDR_INQUEUE = 0x4;

// High byte of a stream event's dwEvent.
constexpr uint32_t MEVT_SHORTMSG = 0x00;
constexpr uint32_t MEVT_TEMPO = 0x01;
constexpr uint32_t MEVT_NOP = 0x02;

// One queued stream event in its short form (12 bytes).
struct MIDIEVENT {
  uint32_t dwDeltaTime;
  uint32_t dwStreamID;
  uint32_t dwEvent;
};
static_assert(sizeof(MIDIEVENT) == 12);

// The buffer header. The library reads and writes it in place, so on Windows
// it has the system's layout: byte-packed, eight reserved words (checked
// against the system header in win32/). Our own implementation keeps the
// player's declaration: natural alignment, five reserved words.
#if defined(_WIN32)
#pragma pack(push, 1)
inline constexpr int kMidiHdrReservedWords = 8;
#else
inline constexpr int kMidiHdrReservedWords = 5;
#endif
struct MIDIHDR {
  char* lpData;
  uint32_t dwBufferLength;
  uint32_t dwBytesRecorded;
  uintptr_t dwUser;
  uint32_t dwFlags;
  MIDIHDR* lpNext;
  uintptr_t reserved;
  uint32_t dwOffset;
  uintptr_t dwReserved[kMidiHdrReservedWords];
};
#if defined(_WIN32)
#pragma pack(pop)
#endif

struct MMTIME {
  uint32_t wType;
  union {
    uint32_t ms;
    uint32_t ticks;
    uint32_t cb;
    uint8_t pad[8];
  } u;
};

// MIDIOUTCAPSA technology and support bits.
constexpr uint16_t MOD_MIDIPORT = 1;
constexpr uint16_t MOD_SWSYNTH = 7;
constexpr uint32_t MIDICAPS_VOLUME = 0x0001;
constexpr uint32_t MIDICAPS_LRVOLUME = 0x0002;
constexpr uint32_t MIDICAPS_STREAM = 0x0008;

struct MIDIOUTCAPSA {
  uint16_t wMid;
  uint16_t wPid;
  uint32_t vDriverVersion;
  char szPname[32];
  uint16_t wTechnology;
  uint16_t wVoices;
  uint16_t wNotes;
  uint16_t wChannelMask;
  uint32_t dwSupport;
};

struct MIDIPROPTEMPO {
  uint32_t cbStruct;
  uint32_t dwTempo;
};

struct MIDIPROPTIMEDIV {
  uint32_t cbStruct;
  uint32_t dwTimeDiv;
};

uint32_t midiOutGetNumDevs();
MMRESULT midiOutGetDevCapsA(uintptr_t uDeviceID, MIDIOUTCAPSA* pmoc, uint32_t cbmoc);
MMRESULT midiOutGetErrorTextA(MMRESULT mmrError, char* pszText, uint32_t cchText);

// puDeviceID points at a device number, or at MIDI_MAPPER (-1) for the first
// device. With CALLBACK_WINDOW, dwCallback is the window that receives
// MM_MOM_DONE for every buffer played or returned.
MMRESULT midiStreamOpen(HMIDISTRM* phms, uint32_t* puDeviceID, uint32_t cMidi, uintptr_t dwCallback,
                        uintptr_t dwInstance, uint32_t fdwOpen);
MMRESULT midiStreamClose(HMIDISTRM hms);
MMRESULT midiStreamOut(HMIDISTRM hms, MIDIHDR* pmh, uint32_t cbmh);
MMRESULT midiStreamPause(HMIDISTRM hms);
MMRESULT midiStreamRestart(HMIDISTRM hms);
MMRESULT midiStreamStop(HMIDISTRM hms);
MMRESULT midiStreamPosition(HMIDISTRM hms, MMTIME* lpmmt, uint32_t cbmmt);
MMRESULT midiStreamProperty(HMIDISTRM hms, uint8_t* lppropdata, uint32_t dwProperty);

MMRESULT midiOutPrepareHeader(HMIDIOUT hmo, MIDIHDR* pmh, uint32_t cbmh);
MMRESULT midiOutUnprepareHeader(HMIDIOUT hmo, MIDIHDR* pmh, uint32_t cbmh);
MMRESULT midiOutShortMsg(HMIDIOUT hmo, uint32_t dwMsg);
MMRESULT midiOutReset(HMIDIOUT hmo);
// hmo 0 means output device 0.
MMRESULT midiOutGetVolume(HMIDIOUT hmo, uint32_t* pdwVolume);
MMRESULT midiOutSetVolume(HMIDIOUT hmo, uint32_t dwVolume);

}  // namespace mm
