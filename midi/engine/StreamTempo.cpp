#include "engine/StreamTempo.h"

#include <algorithm>
#include <cmath>

#include "FormProc.h"
#include "loader/SongTiming.h"
#include "modMidi.h"

namespace sonara {

namespace {
constexpr uint32_t kMaxEventTempo = 0xFFFFFF;  // a tempo event carries 24 bits
}

double ScaledStreamTempo(int32_t fileTempo) {
  const double base = StreamTempoFor(fileTempo, modMidi.Division);
  return std::nearbyint(base / 10 * modMidi.SpeedSetting + base);
}

uint32_t StreamTempoEventValue(int32_t fileTempo) {
  return static_cast<uint32_t>(std::clamp(ScaledStreamTempo(fileTempo), 1.0, static_cast<double>(kMaxEventTempo)));
}

int32_t TempoBeforeRecord(int32_t index) {
  if (index <= 1) return modMidi.Tempo;
  return TempoAtTick(int64_t{modMidi.Timeline[index].AbsTick} - 1);
}

void FollowPlayedTempoRecords(int32_t first, int32_t count) {
  const auto& records = modMidi.Timeline.Items();
  for (int64_t i = std::max(first, 0); i < int64_t{first} + count && i < static_cast<int64_t>(records.size()); ++i) {
    const int32_t message = records[static_cast<size_t>(i)].Message;
    if (IsTempoRecord(message)) modMidi.TempoInForce = TempoRecordValue(message);
  }
}

namespace {

void SetStreamTempo(uint32_t tempo) {
  mm::MIDIPROPTEMPO property{sizeof(mm::MIDIPROPTEMPO), tempo};
  mm::midiStreamProperty(modMidi.StreamHandle, reinterpret_cast<uint8_t*>(&property),
                         mm::MIDIPROP_SET | mm::MIDIPROP_TEMPO);
}

// While a stream plays, Timer1 runs.
bool StreamRunning() {
  return modMidi.CallbackForm && modMidi.CallbackForm->Timer1.get_Enabled() && !modMidi.StopRequested;
}

}  // namespace

void ApplySpeedToStream() {
  const auto tempoNow = static_cast<uint32_t>(static_cast<int32_t>(ScaledStreamTempo(modMidi.TempoInForce)));
  if (!StreamRunning()) {
    SetStreamTempo(tempoNow);
    return;
  }
  // The queued buffer is read by the stream as it plays: hold the stream
  // while its tempo events are rewritten.
  mm::midiStreamPause(modMidi.StreamHandle);
  mm::MIDIHDR& header = modMidi.StreamHeader;
  const bool queued = (header.dwFlags & mm::MHDR_INQUEUE) != 0;
  if (queued) {
    SetStreamTempo(tempoNow);
    auto& events = modMidi.StreamBuffer.Items();
    for (int32_t k = 0; k < modMidi.BufferEventCount && k < static_cast<int32_t>(events.size()); ++k) {
      const EventRecord& r = modMidi.Timeline[int64_t{modMidi.NextEventIndex} + k];
      if (IsTempoRecord(r.Message)) {
        events[static_cast<size_t>(k)].dwEvent = (mm::MEVT_TEMPO << 24) | StreamTempoEventValue(TempoRecordValue(r.Message));
      }
    }
  } else {
    // The group has played but its notification is still on its way: its
    // tempo records are in force already.
    const int32_t saved = modMidi.TempoInForce;
    FollowPlayedTempoRecords(modMidi.NextEventIndex, modMidi.BufferEventCount);
    SetStreamTempo(static_cast<uint32_t>(static_cast<int32_t>(ScaledStreamTempo(modMidi.TempoInForce))));
    modMidi.TempoInForce = saved;  // the notification moves it on
  }
  mm::midiStreamRestart(modMidi.StreamHandle);
}

}  // namespace sonara
