// Playback through Midi.dll under Wine: Wine's own stream scheduler plays
// the component's stream into the capture driver (capture/, loaded as the
// MIDI mapper), and the test checks the messages, their spacing and the stop
// at the end. Run by run-wine-tests with WINEDLLOVERRIDES=midimap=n.
#include <algorithm>
#include <vector>

#include "Adopt.h"
#include "Dispids.h"
#include "EventRecorder.h"
#include "MidiTypeLib.h"
#include "TestSupport.h"
#include "capture/CaptureEntry.h"

namespace sonara::wintest {
namespace {

// Three eighth notes on channel 1, 250 ms apart at the
// default tempo (480 ticks a quarter note, 500000 us).
Bytes ThreeNotes() {
  return Header(1, 480) + Track(Ev(0, {0x90, 60, 100}) + Ev(240, {0x80, 60, 0}) + Ev(0, {0x90, 62, 100}) +
                                Ev(240, {0x80, 62, 0}) + Ev(0, {0x90, 64, 100}) + Ev(240, {0x80, 64, 0}) +
                                Meta(0, 0x2F, ""));
}

std::vector<CaptureEntry> ReadCapture(ReadCaptureFn read) {
  std::vector<CaptureEntry> entries(read(nullptr, 0, 0));
  read(entries.data(), 0, static_cast<uint32_t>(entries.size()));
  return entries;
}

bool IsNoteOn(const CaptureEntry& e) {
  return e.kind == CaptureKind::Short && (e.message & 0xF0) == 0x90 && ((e.message >> 16) & 0x7F) != 0;
}
bool IsNoteOff(const CaptureEntry& e) {
  return e.kind == CaptureKind::Short &&
         ((e.message & 0xF0) == 0x80 || ((e.message & 0xF0) == 0x90 && ((e.message >> 16) & 0x7F) == 0));
}

// Runs the client's message loop until the recorder has heard `line` or
// `timeoutMs` has passed.
bool PumpUntil(const EventRecorder& recorder, const std::string& line, DWORD timeoutMs) {
  const DWORD start = ::GetTickCount();
  while (::GetTickCount() - start < timeoutMs) {
    if (std::find(recorder.lines.begin(), recorder.lines.end(), line) != recorder.lines.end()) return true;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }
  return std::find(recorder.lines.begin(), recorder.lines.end(), line) != recorder.lines.end();
}

// An object of the client with a recording sink connected to it.
struct Listener {
  ComPtr<IDispatch> object;
  ComPtr<IConnectionPoint> point;
  ComPtr<EventRecorder> recorder;
  DWORD cookie = 0;

  // Lets go of the object without disconnecting the sink, as a client that
  // simply drops its last reference does.
  void Drop() {
    point.Reset();
    object.Reset();
  }
  size_t Count(const std::string& line) const {
    return static_cast<size_t>(std::count(recorder->lines.begin(), recorder->lines.end(), line));
  }
};

Listener NewListener(Tally& t, const std::string& what) {
  Listener l;
  l.recorder = Adopt(new EventRecorder());
  ComPtr<IConnectionPointContainer> container;
  const HRESULT hr = ::CoCreateInstance(CLSID_clsMidi, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                        reinterpret_cast<void**>(l.object.GetAddressOf()));
  t.Expect(SUCCEEDED(hr) && SUCCEEDED(l.object.As(&container)) &&
               SUCCEEDED(container->FindConnectionPoint(DIID___clsMidi, &l.point)) &&
               SUCCEEDED(l.point->Advise(l.recorder.Get(), &l.cookie)),
           what + ": created with a sink connected");
  return l;
}

size_t NotesOn(const EventRecorder& r) {
  size_t n = 0;
  for (const auto& line : r.Named("NotesPlaying")) n += line.find(", -1)") != std::string::npos;
  return n;
}

void Pump(DWORD ms) {
  EventRecorder none;
  PumpUntil(none, "never", ms);
}

// Playback started through the first of two objects: the member's own
// events reach the first object's sinks, the events of the module code
// (notes, the stop at the end) the newest object's.
void TwoObjects(Tally& t, const std::string& song, ClearCaptureFn clear) {
  Listener first = NewListener(t, "first object");
  Listener second = NewListener(t, "second object");
  if (!first.object || !second.object) return;
  Call(first.object.Get(), kOpenMidiFile, DISPATCH_METHOD, Args(Value::Text(song)));
  Call(first.object.Get(), kSetDevice, DISPATCH_PROPERTYPUT, Args(Value::I2(-1)));
  clear();
  first.recorder->lines.clear();
  second.recorder->lines.clear();
  t.Expect(SUCCEEDED(Call(first.object.Get(), kPlayMidi, DISPATCH_METHOD).hr), "two objects: play through the first");
  t.Expect(PumpUntil(*second.recorder.Get(), "Status(0, \"Stopped\")", 10000),
           "two objects: the stop at the end reaches the newest object");
  t.ExpectEq(first.Count("Status(1, \"Playing\")"), size_t{1}, "two objects: Playing reaches the first object");
  t.ExpectEq(second.Count("Status(1, \"Playing\")"), size_t{0}, "two objects: ... and not the second");
  t.ExpectEq(NotesOn(*second.recorder.Get()), size_t{3}, "two objects: the notes reach the newest object");
  t.ExpectEq(NotesOn(*first.recorder.Get()), size_t{0}, "two objects: ... and not the first");
  first.point->Unadvise(first.cookie);
  second.point->Unadvise(second.cookie);
}

// The newest object outlives its client's last reference: the music goes on
// and the sinks still hear it, until the next object is created, which ends
// the old one and with it the playback.
void ReleaseWhilePlaying(Tally& t, const std::string& song, ReadCaptureFn read, ClearCaptureFn clear) {
  Listener old = NewListener(t, "released object");
  if (!old.object) return;
  Call(old.object.Get(), kOpenMidiFile, DISPATCH_METHOD, Args(Value::Text(song)));
  Call(old.object.Get(), kSetDevice, DISPATCH_PROPERTYPUT, Args(Value::I2(-1)));
  clear();
  t.Expect(SUCCEEDED(Call(old.object.Get(), kPlayMidi, DISPATCH_METHOD).hr), "released object: play");
  old.Drop();
  Pump(350);  // past the second note
  const auto heard = ReadCapture(read);
  t.ExpectEq(static_cast<size_t>(std::count_if(heard.begin(), heard.end(), IsNoteOn)), size_t{2},
             "released object: the music goes on");
  // Notes are announced as they are queued, a group ahead of their time.
  t.Expect(NotesOn(*old.recorder.Get()) >= 2, "released object: its sink still hears the notes");
  old.recorder->lines.clear();

  Listener next = NewListener(t, "next object");
  t.ExpectEq(old.Count("Status(0, \"Stopped\")"), size_t{1}, "next object: the old one stops as it ends");
  t.ExpectEq(Call(next.object.Get(), kStatus, DISPATCH_PROPERTYGET).value.AsLong(), 6L, "next object: status 6");
  Pump(600);  // past where the third note was due
  const auto after = ReadCapture(read);
  t.ExpectEq(static_cast<size_t>(std::count_if(after.begin(), after.end(), IsNoteOn)), size_t{2},
             "next object: the third note never sounds");
  if (next.point) next.point->Unadvise(next.cookie);
}

void PlayThreeNotes(Tally& t, ReadCaptureFn read, ClearCaptureFn clear) {
  ComPtr<IDispatch> object;
  HRESULT hr = ::CoCreateInstance(CLSID_clsMidi, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                  reinterpret_cast<void**>(object.GetAddressOf()));
  t.Expect(SUCCEEDED(hr), "create the object: " + HResultText(hr));
  if (FAILED(hr)) return;
  ComPtr<IConnectionPointContainer> container;
  ComPtr<IConnectionPoint> point;
  ComPtr<EventRecorder> recorder = Adopt(new EventRecorder());
  DWORD cookie = 0;
  t.Expect(SUCCEEDED(object.As(&container)) && SUCCEEDED(container->FindConnectionPoint(DIID___clsMidi, &point)) &&
               SUCCEEDED(point->Advise(recorder.Get(), &cookie)),
           "connect a sink");

  const std::string path = WriteTempFile("sonara-three-notes.mid", ThreeNotes());
  t.Expect(SUCCEEDED(Call(object.Get(), kOpenMidiFile, DISPATCH_METHOD, Args(Value::Text(path))).hr), "open the song");
  // Device -1: the MIDI mapper, which is the capture driver here.
  t.Expect(SUCCEEDED(Call(object.Get(), kSetDevice, DISPATCH_PROPERTYPUT, Args(Value::I2(-1))).hr), "SetDevice = -1");
  clear();
  recorder->lines.clear();
  hr = Call(object.Get(), kPlayMidi, DISPATCH_METHOD).hr;
  t.Expect(SUCCEEDED(hr), "PlayMidi: " + HResultText(hr));
  t.ExpectEq(Call(object.Get(), kStatus, DISPATCH_PROPERTYGET).value.AsLong(), 1L, "Status while playing");
  const bool stopped = PumpUntil(*recorder.Get(), "Status(0, \"Stopped\")", 10000);
  t.Expect(stopped, "the song stops by itself at its end");

  const auto lines = recorder->lines;
  const auto playing = std::find(lines.begin(), lines.end(), "Status(1, \"Playing\")");
  const auto stop = std::find(lines.begin(), lines.end(), "Status(0, \"Stopped\")");
  t.Expect(playing != lines.end() && playing < stop, "Status 1 comes before Status 0");
  t.Expect(std::find(stop, lines.end(), "Progress(0, \"00:00:00\")") != lines.end(),
           "the stop reports the position back at 0");
  size_t notesOn = 0;
  for (const auto& line : recorder->Named("NotesPlaying")) notesOn += line.find(", -1)") != std::string::npos;
  t.ExpectEq(notesOn, size_t{3}, "NotesPlaying announces the three notes");
  t.Expect(recorder->wrongTypes.empty(), "every event argument has its interface type");
  t.ExpectEq(Call(object.Get(), kStatus, DISPATCH_PROPERTYGET).value.AsLong(), 0L, "Status after the end");

  // What reached the device, in order and on time.
  const auto captured = ReadCapture(read);
  std::vector<CaptureEntry> on;
  std::copy_if(captured.begin(), captured.end(), std::back_inserter(on), IsNoteOn);
  t.ExpectEq(on.size(), size_t{3}, "three note-ons reach the device");
  if (on.size() == 3) {
    t.Expect(on[0].message == 0x643C90 && on[1].message == 0x643E90 && on[2].message == 0x644090,
             "the note-ons in order with their velocity");
    for (size_t i = 1; i < 3; ++i) {
      const int64_t gap = on[i].micros - on[i - 1].micros;
      // Wide enough for a machine that stalls a thread for a tenth of a
      // second now and then; a wrong tempo or division is still far outside.
      t.Expect(gap > 250000 - 100000 && gap < 250000 + 150000,
               "note " + std::to_string(i + 1) + " sounds 250 ms after the one before (" + std::to_string(gap) + " us)");
    }
    size_t off = 0;
    for (const auto& e : captured) off += IsNoteOff(e) && e.micros >= on[0].micros;
    t.Expect(off >= 3, "every note is released");
  }
  const bool reset = std::any_of(captured.begin(), captured.end(),
                                 [](const CaptureEntry& e) { return e.kind == CaptureKind::Reset; });
  const bool closed = !captured.empty() && captured.back().kind == CaptureKind::Close;
  t.Expect(reset && closed, "the stop resets the device and closes it");

  if (point) point->Unadvise(cookie);
}

}  // namespace
}  // namespace sonara::wintest

int main() {
  using namespace sonara::wintest;
  Tally t;
  if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
  {
    HMODULE driver = ::LoadLibraryW(L"midimap.dll");
    auto read = reinterpret_cast<ReadCaptureFn>(
        reinterpret_cast<void*>(driver ? ::GetProcAddress(driver, "SonaraReadCapture") : nullptr));
    auto clear = reinterpret_cast<ClearCaptureFn>(
        reinterpret_cast<void*>(driver ? ::GetProcAddress(driver, "SonaraClearCapture") : nullptr));
    t.Expect(read && clear, "the capture driver is loaded as midimap.dll");
    if (read && clear) {
      PlayThreeNotes(t, read, clear);
      const std::string song = WriteTempFile("sonara-three-notes.mid", ThreeNotes());
      TwoObjects(t, song, clear);
      ReleaseWhilePlaying(t, song, read, clear);
    }
  }
  ::CoUninitialize();
  return t.Finish();
}
