// A MIDI output driver for tests only, built as midimap.dll: placed beside a
// test program and enabled with WINEDLLOVERRIDES=midimap=n it stands in for
// the system's MIDI mapper (device -1), so Wine's own stream scheduler plays
// the component's streams through it. It records every message with its
// time; the test reads them through SonaraReadCapture.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <mmsystem.h>
#include <mmddk.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

#include "CaptureEntry.h"

// In winmm's import library, missing from mingw-w64's headers.
extern "C" BOOL WINAPI DriverCallback(DWORD_PTR callback, DWORD flags, HDRVR device, DWORD message,
                                      DWORD_PTR user, DWORD_PTR param1, DWORD_PTR param2);

namespace {

using sonara::wintest::CaptureEntry;
using sonara::wintest::CaptureKind;

struct Capture {
  std::mutex lock;
  std::vector<CaptureEntry> entries;
  LARGE_INTEGER start{};
  LARGE_INTEGER frequency{};
  MIDIOPENDESC client{};  // of the one open
  DWORD callbackFlags = 0;
  DWORD volume = 0xFFFFFFFF;
  bool open = false;
};

Capture& State() {
  static Capture capture;
  return capture;
}

void Record(CaptureKind kind, uint32_t message) {
  auto& c = State();
  LARGE_INTEGER now;
  ::QueryPerformanceCounter(&now);
  std::lock_guard guard(c.lock);
  if (c.frequency.QuadPart == 0) {
    ::QueryPerformanceFrequency(&c.frequency);
    c.start = now;
  }
  const int64_t micros = (now.QuadPart - c.start.QuadPart) * 1000000 / c.frequency.QuadPart;
  c.entries.push_back(CaptureEntry{kind, message, micros});
}

void Notify(UINT message, DWORD_PTR param1) {
  auto& c = State();
  DriverCallback(c.client.dwCallback, HIWORD(c.callbackFlags), reinterpret_cast<HDRVR>(c.client.hMidi), message,
                 c.client.dwInstance, param1, 0);
}

DWORD DeviceCaps(MIDIOUTCAPSW* caps, DWORD_PTR size) {
  if (caps == nullptr) return MMSYSERR_INVALPARAM;
  MIDIOUTCAPSW filled{};
  filled.wMid = 0xFF;
  filled.wPid = 1;
  filled.vDriverVersion = 0x0100;
  std::wcscpy(filled.szPname, L"Sonara Capture");
  filled.wTechnology = MOD_MAPPER;
  filled.wVoices = 0;
  filled.wNotes = 0;
  filled.wChannelMask = 0xFFFF;
  filled.dwSupport = MIDICAPS_VOLUME | MIDICAPS_LRVOLUME;
  std::memcpy(caps, &filled, std::min<size_t>(size, sizeof filled));
  return MMSYSERR_NOERROR;
}

}  // namespace

extern "C" {

__declspec(dllexport) LRESULT CALLBACK DriverProc(DWORD_PTR id, HDRVR driver, UINT message, LPARAM param1,
                                                  LPARAM param2) {
  switch (message) {
    case DRV_LOAD:
    case DRV_FREE:
    case DRV_OPEN:
    case DRV_CLOSE:
    case DRV_ENABLE:
    case DRV_DISABLE:
      return 1;
    default:
      return ::DefDriverProc(id, driver, message, param1, param2);
  }
}

__declspec(dllexport) DWORD WINAPI modMessage(UINT device, UINT message, DWORD_PTR, DWORD_PTR param1,
                                              DWORD_PTR param2) {
  auto& c = State();
  switch (message) {
    case DRVM_INIT:
    case DRVM_EXIT:
    case DRVM_ENABLE:
    case DRVM_DISABLE:
      return MMSYSERR_NOERROR;
    case MODM_GETNUMDEVS:
      return 1;
    case MODM_GETDEVCAPS:
      return device == 0 ? DeviceCaps(reinterpret_cast<MIDIOUTCAPSW*>(param1), param2) : MMSYSERR_BADDEVICEID;
    case MODM_OPEN: {
      const auto* desc = reinterpret_cast<const MIDIOPENDESC*>(param1);
      if (desc == nullptr) return MMSYSERR_INVALPARAM;
      if (c.open) return MMSYSERR_ALLOCATED;
      c.client = *desc;
      c.callbackFlags = static_cast<DWORD>(param2);
      c.open = true;
      Record(CaptureKind::Open, 0);
      Notify(MOM_OPEN, 0);
      return MMSYSERR_NOERROR;
    }
    case MODM_CLOSE:
      if (!c.open) return MMSYSERR_INVALHANDLE;
      Record(CaptureKind::Close, 0);
      Notify(MOM_CLOSE, 0);
      c.open = false;
      return MMSYSERR_NOERROR;
    case MODM_PREPARE:
    case MODM_UNPREPARE: {
      // Answered here: the default handling does not apply to this driver.
      auto* header = reinterpret_cast<MIDIHDR*>(param1);
      if (header == nullptr) return MMSYSERR_INVALPARAM;
      if (message == MODM_PREPARE) {
        header->dwFlags |= MHDR_PREPARED;
      } else {
        if (header->dwFlags & MHDR_INQUEUE) return MIDIERR_STILLPLAYING;
        header->dwFlags &= ~static_cast<DWORD>(MHDR_PREPARED);
      }
      return MMSYSERR_NOERROR;
    }
    case MODM_DATA:
      Record(CaptureKind::Short, static_cast<uint32_t>(param1));
      return MMSYSERR_NOERROR;
    case MODM_LONGDATA: {
      auto* header = reinterpret_cast<MIDIHDR*>(param1);
      if (header == nullptr || !(header->dwFlags & MHDR_PREPARED)) return MIDIERR_UNPREPARED;
      Record(CaptureKind::Long, header->dwBufferLength);
      header->dwFlags = (header->dwFlags & ~static_cast<DWORD>(MHDR_INQUEUE)) | MHDR_DONE;
      Notify(MOM_DONE, param1);
      return MMSYSERR_NOERROR;
    }
    case MODM_RESET:
      Record(CaptureKind::Reset, 0);
      return MMSYSERR_NOERROR;
    case MODM_GETVOLUME:
      if (param1 == 0) return MMSYSERR_INVALPARAM;
      *reinterpret_cast<DWORD*>(param1) = c.volume;
      return MMSYSERR_NOERROR;
    case MODM_SETVOLUME:
      c.volume = static_cast<DWORD>(param1);
      return MMSYSERR_NOERROR;
    default:
      return MMSYSERR_NOTSUPPORTED;
  }
}

__declspec(dllexport) uint32_t __cdecl SonaraReadCapture(CaptureEntry* entries, uint32_t first, uint32_t capacity) {
  auto& c = State();
  std::lock_guard guard(c.lock);
  for (uint32_t i = 0; i < capacity && first + i < c.entries.size(); ++i) entries[i] = c.entries[first + i];
  return static_cast<uint32_t>(c.entries.size());
}

__declspec(dllexport) void __cdecl SonaraClearCapture() {
  auto& c = State();
  std::lock_guard guard(c.lock);
  c.entries.clear();
}

}  // extern "C"
