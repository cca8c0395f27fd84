// Output streams over the devices of the registry. Each open stream has a
// StreamCore under its own lock. A stream opened on the real clock is
// played at its due times by the thread that owns its callback window while
// that thread waits in its message loop, and otherwise by a driver thread of
// its own that sleeps on an alarm at the next due time (a little later when
// the owner plays, so that it only stands in for a busy owner). Whatever is
// due when a call returns has been played by the calling thread. A stream
// opened on the virtual clock is run by the clock itself (see clock.h).
// Streams only touch the core under its lock, send to the device and post
// messages; they never call client code.
#include "mmsystem.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#ifdef __linux__
#include <pthread.h>
#include <sched.h>
#include <sys/prctl.h>
#endif

#include "clock.h"
#include "driver_alarm.h"
#include "devices/registry.h"
#include "internal.h"
#include "stream_core.h"
#include "window.h"

namespace mm {
namespace {

struct Stream {
  HMIDISTRM handle = 0;
  std::shared_ptr<OutputDevice> device;
  HWND window = 0;  // 0: no notifications
  bool virtualDriven = false;

  std::mutex lock;
  StreamCore core{0};
  bool closed = false;
  DriverAlarm alarm;  // set, under the lock, to the core's next due time
  std::thread driver;
  // The thread that owns the callback window, and whether it runs a message
  // loop that plays the stream while it waits (see ArmDriver).
  std::optional<std::thread::id> owner;
  bool ownerPlays = false;

  // A stream keeps the clock it was opened on.
  int64_t Now() const { return virtualDriven ? clock::VirtualNowMicros() : clock::RealNowMicros(); }
};

// Plays into the device and announces returned buffers; used with the
// stream's lock held.
class DeviceSink : public StreamSink {
 public:
  explicit DeviceSink(Stream& s) : s_(s) {}
  void Play(uint32_t message) override { s_.device->SendShortMessage(message); }
  void Done(MIDIHDR* header) override {
    if (s_.window) PostMessageA(s_.window, MM_MOM_DONE, s_.handle, reinterpret_cast<LPARAM>(header));
  }

 private:
  Stream& s_;
};

// How long the driver lets a waiting owner thread play a due event before
// it plays it itself.
constexpr int64_t kOwnerGraceMicros = 1000;

// Sets the driver's alarm for the next due time. When the owner thread
// plays the stream from its message loop, the driver is only the stand-in
// for an owner that is busy elsewhere: its alarm rings a little after the
// due time, and is usually moved on before it rings. With nothing due the
// alarm is left as it is: the next buffer moves it, and a driver woken for
// nothing just sleeps again; a system call per buffer is saved.
void ArmDriver(Stream& s) {
  const auto due = s.core.NextDue();
  if (!due) return;
  s.alarm.Set(s.ownerPlays ? *due + kOwnerGraceMicros : *due);
}

// Makes the calling driver thread wake as close to its due times as the
// system allows: no timer slack (the default of 50 us is a good part of the
// lateness budget) and, where the process may, a real-time priority above
// ordinary threads. The thread sleeps between events, so it cannot starve
// anything; where the priority is refused it runs as it is.
void ServeInTime() {
#ifdef __linux__
  prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
  sched_param param{};
  param.sched_priority = std::max(1, sched_get_priority_min(SCHED_FIFO) + 9);
  pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
#endif
}

void Drive(Stream& s) {
  ServeInTime();
  DeviceSink sink(s);
  bool rang = false;
  for (;;) {
    {
      std::lock_guard lock(s.lock);
      if (s.closed) return;
      if (rang) s.alarm.Rang();
      s.core.RunUntil(s.Now(), sink);
      ArmDriver(s);
    }
    rang = s.alarm.Wait();
  }
}

// The stream is marked closed already.
void StopDriver(Stream& s) {
  s.alarm.Interrupt();
  if (s.driver.joinable()) s.driver.join();
}

// Handles start far from small device numbers, so a device number passed
// by mistake is refused; they are never reused.
constexpr HMIDISTRM kFirstHandle = 0x1001;

struct StreamTable {
  std::mutex lock;
  std::map<HMIDISTRM, std::shared_ptr<Stream>> open;
  HMIDISTRM next = kFirstHandle;
  // The reason the last device failed to start, for its error text.
  MMRESULT failedCode = MMSYSERR_NOERROR;
  std::string failedReason;

};

StreamTable& Table() {
  static detail::NoDestructor<StreamTable> table;
  return table.get();
}

std::shared_ptr<Stream> Find(HMIDIOUT h) {
  auto& t = Table();
  std::lock_guard lock(t.lock);
  auto it = t.open.find(h);
  return it == t.open.end() ? nullptr : it->second;
}

std::vector<std::shared_ptr<Stream>> AllOpen() {
  auto& t = Table();
  std::lock_guard lock(t.lock);
  std::vector<std::shared_ptr<Stream>> all;
  for (auto& [h, s] : t.open) all.push_back(s);
  return all;
}

// Runs `op` on the open stream under its lock; INVALHANDLE otherwise. The
// driver's alarm follows the next due time (moved only when that changed);
// the driver itself is not woken for it.
template <typename Op>
MMRESULT WithStream(HMIDIOUT h, Op op) {
  auto s = Find(h);
  if (!s) return MMSYSERR_INVALHANDLE;
  std::lock_guard lock(s->lock);
  if (s->closed) return MMSYSERR_INVALHANDLE;
  const MMRESULT r = op(*s);
  if (!s->virtualDriven) {
    // What is due already (a restart, a buffer that comes late) plays now,
    // on this thread, rather than after the driver has woken up.
    DeviceSink sink(*s);
    s->core.RunUntil(s->Now(), sink);
    ArmDriver(*s);
  }
  return r;
}

bool HeaderOk(const MIDIHDR* pmh, uint32_t cbmh) { return pmh != nullptr && cbmh >= sizeof(MIDIHDR); }

struct ErrorText {
  MMRESULT code;
  const char* text;
};

// Our own wording, one per code this layer returns.
constexpr ErrorText kErrorTexts[] = {
    {MMSYSERR_NOERROR, "The operation completed."},
    {MMSYSERR_ERROR, "The MIDI output failed for an unknown reason."},
    {MMSYSERR_BADDEVICEID, "There is no MIDI output device with that number."},
    {MMSYSERR_ALLOCATED, "The MIDI output device is in use."},
    {MMSYSERR_INVALHANDLE, "The MIDI output handle is not open."},
    {MMSYSERR_NODRIVER, "The MIDI output device could not be started."},
    {MMSYSERR_NOMEM, "There is not enough memory for the MIDI output."},
    {MMSYSERR_NOTSUPPORTED, "The MIDI output device cannot do this."},
    {MMSYSERR_BADERRNUM, "The error number is not known."},
    {MMSYSERR_INVALFLAG, "A flag passed to the MIDI output is not valid."},
    {MMSYSERR_INVALPARAM, "A parameter passed to the MIDI output is not valid."},
    {MIDIERR_UNPREPARED, "The MIDI buffer has not been prepared."},
    {MIDIERR_STILLPLAYING, "MIDI buffers are still queued on the stream."},
    {MIDIERR_NOTREADY, "The MIDI output device is busy."},
    {MIDIERR_NODEVICE, "The MIDI output device has nothing to play with."},
};

}  // namespace

uint32_t midiOutGetNumDevs() { return static_cast<uint32_t>(ListDevices().size()); }

MMRESULT midiOutGetDevCapsA(uintptr_t uDeviceID, MIDIOUTCAPSA* pmoc, uint32_t cbmoc) {
  if (!pmoc || cbmoc == 0) return MMSYSERR_INVALPARAM;
  uint32_t id = static_cast<uint32_t>(uDeviceID);
  auto device = DeviceAt(id == MIDI_MAPPER ? 0 : id);
  if (!device) return MMSYSERR_BADDEVICEID;
  MIDIOUTCAPSA caps{};
  caps.vDriverVersion = 0x0100;
  std::string name = device->Name();
  std::memcpy(caps.szPname, name.data(), std::min(name.size(), sizeof(caps.szPname) - 1));
  caps.wTechnology = device->Technology();
  caps.wChannelMask = 0xFFFF;
  caps.dwSupport = MIDICAPS_STREAM | (device->HasVolume() ? MIDICAPS_VOLUME | MIDICAPS_LRVOLUME : 0);
  std::memcpy(pmoc, &caps, std::min<size_t>(cbmoc, sizeof(caps)));
  return MMSYSERR_NOERROR;
}

MMRESULT midiOutGetErrorTextA(MMRESULT mmrError, char* pszText, uint32_t cchText) {
  if (!pszText || cchText == 0) return MMSYSERR_INVALPARAM;
  const ErrorText* found = std::find_if(std::begin(kErrorTexts), std::end(kErrorTexts),
                                        [mmrError](const ErrorText& e) { return e.code == mmrError; });
  MMRESULT result = MMSYSERR_NOERROR;
  std::string text;
  if (found == std::end(kErrorTexts)) {
    result = MMSYSERR_BADERRNUM;
    text = "The error number is not known.";
  } else {
    text = found->text;
    auto& t = Table();
    std::lock_guard lock(t.lock);
    if (mmrError != MMSYSERR_NOERROR && mmrError == t.failedCode && !t.failedReason.empty()) {
      text.pop_back();  // the full stop
      text += ": " + t.failedReason + ".";
    }
  }
  size_t n = std::min<size_t>(text.size(), cchText - 1);
  std::memcpy(pszText, text.data(), n);
  pszText[n] = '\0';
  return result;
}

MMRESULT midiStreamOpen(HMIDISTRM* phms, uint32_t* puDeviceID, uint32_t cMidi, uintptr_t dwCallback,
                        uintptr_t, uint32_t fdwOpen) {
  if (!phms || !puDeviceID || cMidi != 1) return MMSYSERR_INVALPARAM;
  uint32_t callbackType = fdwOpen & CALLBACK_TYPEMASK;
  if (callbackType != CALLBACK_NULL && callbackType != CALLBACK_WINDOW) return MMSYSERR_INVALFLAG;
  auto devices = ListDevices();
  uint32_t id = *puDeviceID == MIDI_MAPPER ? 0 : *puDeviceID;
  if (id >= devices.size()) return MMSYSERR_BADDEVICEID;

  auto s = std::make_shared<Stream>();
  s->device = devices[id];
  std::string reason;
  MMRESULT r = s->device->Open(reason);
  auto& t = Table();
  if (r != MMSYSERR_NOERROR) {
    std::lock_guard lock(t.lock);
    t.failedCode = r;
    t.failedReason = reason;
    return r;
  }
  s->window = callbackType == CALLBACK_WINDOW ? static_cast<HWND>(dwCallback) : 0;
  if (s->window) s->owner = detail::WindowOwner(s->window);
  s->virtualDriven = clock::IsVirtual();
  s->core = StreamCore(s->Now());
  {
    std::lock_guard lock(t.lock);
    s->handle = t.next++;
    t.open.emplace(s->handle, s);
  }
  if (!s->virtualDriven) s->driver = std::thread(Drive, std::ref(*s));
  *phms = s->handle;
  if (s->window) PostMessageA(s->window, MM_MOM_OPEN, s->handle, 0);
  return MMSYSERR_NOERROR;
}

// Closing with buffers still queued is refused, as the system does: a
// closed stream could never return them. Reset first.
MMRESULT midiStreamClose(HMIDISTRM hms) {
  std::shared_ptr<Stream> s;
  {
    auto& t = Table();
    std::lock_guard tableLock(t.lock);
    auto it = t.open.find(hms);
    if (it == t.open.end()) return MMSYSERR_INVALHANDLE;
    s = it->second;
    // Leaving the table and being marked closed are one step: no call can
    // find the stream and then act on it after this.
    std::lock_guard lock(s->lock);
    if (s->core.HasQueued()) return MIDIERR_STILLPLAYING;
    t.open.erase(it);
    s->closed = true;
  }
  StopDriver(*s);
  s->device->Close();
  if (s->window) PostMessageA(s->window, MM_MOM_CLOSE, s->handle, 0);
  return MMSYSERR_NOERROR;
}

MMRESULT midiOutPrepareHeader(HMIDIOUT hmo, MIDIHDR* pmh, uint32_t cbmh) {
  return WithStream(hmo, [&](Stream&) {
    if (!HeaderOk(pmh, cbmh) || !pmh->lpData) return MMSYSERR_INVALPARAM;
    pmh->dwFlags |= MHDR_PREPARED;
    return MMSYSERR_NOERROR;
  });
}

MMRESULT midiOutUnprepareHeader(HMIDIOUT hmo, MIDIHDR* pmh, uint32_t cbmh) {
  return WithStream(hmo, [&](Stream&) {
    if (!HeaderOk(pmh, cbmh)) return MMSYSERR_INVALPARAM;
    if (pmh->dwFlags & MHDR_INQUEUE) return MIDIERR_STILLPLAYING;
    pmh->dwFlags &= ~MHDR_PREPARED;
    return MMSYSERR_NOERROR;
  });
}

MMRESULT midiStreamOut(HMIDISTRM hms, MIDIHDR* pmh, uint32_t cbmh) {
  return WithStream(hms, [&](Stream& s) {
    if (!HeaderOk(pmh, cbmh)) return MMSYSERR_INVALPARAM;
    if (!(pmh->dwFlags & MHDR_PREPARED)) return MIDIERR_UNPREPARED;
    if (pmh->dwFlags & MHDR_INQUEUE) return MIDIERR_STILLPLAYING;
    if (pmh->dwBytesRecorded > pmh->dwBufferLength) return MMSYSERR_INVALPARAM;
    pmh->dwFlags = (pmh->dwFlags & ~MHDR_DONE) | MHDR_INQUEUE;
    s.core.Queue(pmh);
    return MMSYSERR_NOERROR;
  });
}

MMRESULT midiStreamPause(HMIDISTRM hms) {
  return WithStream(hms, [](Stream& s) {
    s.core.Pause(s.Now());
    return MMSYSERR_NOERROR;
  });
}

MMRESULT midiStreamRestart(HMIDISTRM hms) {
  return WithStream(hms, [](Stream& s) {
    s.core.Restart(s.Now());
    return MMSYSERR_NOERROR;
  });
}

// Stop also silences the device, so no note is left hanging.
MMRESULT midiStreamStop(HMIDISTRM hms) {
  return WithStream(hms, [](Stream& s) {
    DeviceSink sink(s);
    s.core.Stop(s.Now(), sink);
    s.device->Reset();
    return MMSYSERR_NOERROR;
  });
}

// Any time format other than ticks is answered in ticks, with wType set so.
MMRESULT midiStreamPosition(HMIDISTRM hms, MMTIME* lpmmt, uint32_t cbmmt) {
  return WithStream(hms, [&](Stream& s) {
    if (!lpmmt || cbmmt < sizeof(MMTIME)) return MMSYSERR_INVALPARAM;
    lpmmt->wType = TIME_TICKS;
    lpmmt->u.ticks = s.core.PositionTicks(s.Now());
    return MMSYSERR_NOERROR;
  });
}

MMRESULT midiStreamProperty(HMIDISTRM hms, uint8_t* lppropdata, uint32_t dwProperty) {
  return WithStream(hms, [&](Stream& s) {
    bool set = dwProperty & MIDIPROP_SET, get = dwProperty & MIDIPROP_GET;
    uint32_t which = dwProperty & ~(MIDIPROP_SET | MIDIPROP_GET);
    if (set == get || (which != MIDIPROP_TEMPO && which != MIDIPROP_TIMEDIV)) return MMSYSERR_INVALFLAG;
    if (!lppropdata) return MMSYSERR_INVALPARAM;
    // Both records are {cbStruct, value}.
    MIDIPROPTEMPO rec;
    static_assert(sizeof(MIDIPROPTEMPO) == sizeof(MIDIPROPTIMEDIV));
    std::memcpy(&rec, lppropdata, sizeof(rec));
    if (rec.cbStruct != sizeof(rec)) return MMSYSERR_INVALPARAM;
    bool tempo = which == MIDIPROP_TEMPO;
    if (get) {
      rec.dwTempo = tempo ? s.core.Tempo() : s.core.TimeDiv();
      std::memcpy(lppropdata, &rec, sizeof(rec));
      return MMSYSERR_NOERROR;
    }
    if (tempo) {
      if (rec.dwTempo == 0) return MMSYSERR_INVALPARAM;
      s.core.SetTempo(rec.dwTempo, s.Now());
    } else {
      // Only ticks per quarter note; time-code divisions are not played.
      if (rec.dwTempo == 0 || rec.dwTempo > 0x7FFF) return MMSYSERR_INVALPARAM;
      s.core.SetTimeDiv(rec.dwTempo, s.Now());
    }
    return MMSYSERR_NOERROR;
  });
}

MMRESULT midiOutShortMsg(HMIDIOUT hmo, uint32_t dwMsg) {
  return WithStream(hmo, [&](Stream& s) {
    s.device->SendShortMessage(dwMsg);
    return MMSYSERR_NOERROR;
  });
}

// Returns the queued buffers, then stops every note; a running stream stays
// running and plays the next buffer from the position reached.
MMRESULT midiOutReset(HMIDIOUT hmo) {
  return WithStream(hmo, [](Stream& s) {
    DeviceSink sink(s);
    s.core.Flush(s.Now(), sink);
    s.device->Reset();
    return MMSYSERR_NOERROR;
  });
}

MMRESULT midiOutGetVolume(HMIDIOUT hmo, uint32_t* pdwVolume) {
  if (hmo == 0) {
    if (!pdwVolume) return MMSYSERR_INVALPARAM;
    auto device = DeviceAt(0);
    return device ? device->GetVolume(*pdwVolume) : MMSYSERR_BADDEVICEID;
  }
  return WithStream(hmo, [&](Stream& s) { return pdwVolume ? s.device->GetVolume(*pdwVolume) : MMSYSERR_INVALPARAM; });
}

MMRESULT midiOutSetVolume(HMIDIOUT hmo, uint32_t dwVolume) {
  if (hmo == 0) {
    auto device = DeviceAt(0);
    return device ? device->SetVolume(dwVolume) : MMSYSERR_BADDEVICEID;
  }
  return WithStream(hmo, [&](Stream& s) { return s.device->SetVolume(dwVolume); });
}

namespace detail {

namespace {

// Real-time streams that notify the calling thread.
std::vector<std::shared_ptr<Stream>> OwnedStreams() {
  std::vector<std::shared_ptr<Stream>> owned;
  const auto self = std::this_thread::get_id();
  for (auto& s : AllOpen()) {
    if (!s->virtualDriven && s->owner == self) owned.push_back(std::move(s));
  }
  return owned;
}

}  // namespace

std::optional<int64_t> BeginOwnerWait() {
  std::optional<int64_t> earliest;
  for (auto& s : OwnedStreams()) {
    std::lock_guard lock(s->lock);
    if (s->closed) continue;
    if (!s->ownerPlays) {
      s->ownerPlays = true;
      ArmDriver(*s);
    }
    const auto due = s->core.NextDue();
    if (due && (!earliest || *due < *earliest)) earliest = due;
  }
#ifdef __linux__
  // The owner now keeps the stream's time: its waits end as close to the due
  // time as the driver's would.
  thread_local bool precise = false;
  if (earliest && !precise) precise = prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL) == 0;
#endif
  return earliest;
}

void EndOwnerWait() {
  for (auto& s : OwnedStreams()) {
    std::lock_guard lock(s->lock);
    if (s->closed) continue;
    DeviceSink sink(*s);
    s->core.RunUntil(s->Now(), sink);
    ArmDriver(*s);
  }
}

std::optional<int64_t> NextVirtualStreamDue() {
  std::optional<int64_t> best;
  for (auto& s : AllOpen()) {
    if (!s->virtualDriven) continue;
    std::lock_guard lock(s->lock);
    if (s->closed) continue;
    auto due = s->core.NextDue();
    if (due && (!best || *due < *best)) best = due;
  }
  return best;
}

void RunVirtualStreamsUntil(int64_t t) {
  for (auto& s : AllOpen()) {
    if (!s->virtualDriven) continue;
    std::lock_guard lock(s->lock);
    if (s->closed) continue;
    DeviceSink sink(*s);
    s->core.RunUntil(t, sink);
  }
}

}  // namespace detail
}  // namespace mm
