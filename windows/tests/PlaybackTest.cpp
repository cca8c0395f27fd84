// Playback through Midi.dll under Wine: Wine's own stream scheduler plays
// the component's stream into the capture driver (capture/, loaded as the
// MIDI mapper), and the test checks the messages, their spacing and the stop
// at the end. Run by run-wine-tests with WINEDLLOVERRIDES=midimap=n.
#include <algorithm>
#include <vector>

#include "EventRecorder.h"
#include "MidiTypeLib.h"
#include "TestSupport.h"
#include "capture/CaptureEntry.h"

namespace sonara::wintest {
namespace {

constexpr DISPID kPlayMidi = 0x60030019;
constexpr DISPID kSetDevice = 0x6803000C;
constexpr DISPID kOpenMidiFile = 0x60030024;
constexpr DISPID kStatus = 0x68030001;

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

void PlayThreeNotes(Tally& t, ReadCaptureFn read, ClearCaptureFn clear) {
  ComPtr<IDispatch> object;
  HRESULT hr = ::CoCreateInstance(CLSID_clsMidi, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                  reinterpret_cast<void**>(object.GetAddressOf()));
  t.Expect(SUCCEEDED(hr), "create the object: " + HResultText(hr));
  if (FAILED(hr)) return;
  ComPtr<IConnectionPointContainer> container;
  ComPtr<IConnectionPoint> point;
  ComPtr<EventRecorder> recorder;
  recorder.Attach(new EventRecorder());
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
      t.Expect(gap > 250000 - 40000 && gap < 250000 + 40000,
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
    if (read && clear) PlayThreeNotes(t, read, clear);
  }
  ::CoUninitialize();
  return t.Finish();
}
