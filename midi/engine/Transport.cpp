// What the client drives: play, pause, stop and the position.
#include <algorithm>

#include "FormProc.h"
#include "clsMidi.h"
#include "engine/ChannelState.h"
#include "engine/StreamCycle.h"
#include "engine/StreamTempo.h"

namespace sonara {

namespace {

// The start record and the song position the stream's tick 0 stands for.
// The silence before a song's first event is not played: a start at or
// before it begins with that event at once. A start between two records
// waits only for the rest of the gap, so the position always reads the tick
// of what sounds.
struct StartPoint {
  int32_t index;
  int32_t base;
};

StartPoint FindStart(clsMidi& player) {
  int32_t index = player.FindEventAtTick(modMidi.StartTick);
  if (index <= 1) index = 1;  // past the last record: the song plays from its beginning
  const int32_t base = index == 1 ? modMidi.Timeline[1].AbsTick : modMidi.StartTick;
  return {index, base};
}

void ClearChannels(clsMidi& player) {
  for (int16_t ch = 0; ch < kChannelCount; ++ch) {
    player.RaiseNotesPlaying(ch, 0, "", 0, "", kFalse);
    player.RaiseMidiLevel(ch, 0);
  }
}

}  // namespace

int32_t clsMidi::FindEventAtTick(int32_t tick) {
  const int32_t last = modMidi.Timeline.UBound();  // error 9 without a song
  const auto& records = modMidi.Timeline.Items();
  for (int32_t i = 1; i <= last; ++i) {
    if (records[static_cast<size_t>(i)].AbsTick >= tick) return i;
  }
  return 0;
}

void clsMidi::PlayMidi() {
  if (modMidi.PlayerStatus == kStatusInvalidFile) return;
  // Without a song nothing is opened: the search fails first.
  const StartPoint start = FindStart(*this);
  if (modMidi.PlayerStatus == kStatusPlaying) CloseStream();
  if (modMidi.StreamHandle != 0) CloseStream();

  modMidi.TempoInForce = TempoBeforeRecord(start.index);
  if (!OpenStream()) return;
  modMidi.NextEventIndex = start.index;
  modMidi.BufferEventCount = 0;
  modMidi.PlayerStatus = kStatusPlaying;
  modMidi.PositionBase = start.base;
  RaiseStatus(kStatusPlaying, StatusText(kStatusPlaying));
  const mm::HMIDISTRM stream = modMidi.StreamHandle;
  SendChannelSetup();
  if (modMidi.StreamHandle != stream || modMidi.StopRequested != kFalse) return;  // a handler took over
  SendStateBeforeStart(start.index);
  StartStream(*this);
}

void clsMidi::StopMidi() {
  modMidi.PlayerStatus = kStatusStopped;
  RaiseStatus(kStatusStopped, StatusText(kStatusStopped));
  CloseStream();
  ClearChannels(*this);
  modMidi.StartTick = 0;
  RaiseProgress(0, "00:00:00");
  RaiseTextKar("", -1, "", "");
}

void clsMidi::Pause() {
  // Read while the stream still runs, so that the next start resumes where
  // the pause happened rather than at the last reading.
  const int32_t position = get_GetCurrentPosition();
  modMidi.PlayerStatus = kStatusPaused;
  CloseStream();
  ClearChannels(*this);
  RaiseStatus(kStatusPaused, StatusText(kStatusPaused));
  modMidi.PositionBase = position;
  modMidi.StartTick = position;
}

void clsMidi::put_SetCurrentPosition(int32_t value) { modMidi.StartTick = std::min(value, modMidi.SongTicks); }

// Reading the position also makes it the next start: a pause or a restart
// by PlayMidi goes on from there.
int32_t clsMidi::get_GetCurrentPosition() {
  modMidi.StartTick = ReadStreamPosition();
  return modMidi.StartTick;
}

}  // namespace sonara
