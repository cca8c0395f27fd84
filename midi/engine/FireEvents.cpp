// Events that module code raises through ActivePlayer: the karaoke text,
// the notes and levels of a fill, and the progress report.
#include <cmath>

#include "clsMidi.h"
#include "engine/StreamCycle.h"
#include "loader/SongTiming.h"

namespace sonara {

void clsMidi::FireTextKar(int32_t n) {
  if (n == 0) return;
  std::string text, phrase, next;
  int16_t start = 0;
  try {
    const SyllableRecord& y = modMidi.LyricSyllables[n];
    text = y.Text;
    start = static_cast<int16_t>(y.PhraseOffset);
    phrase = modMidi.LyricPhrases[y.Phrase];
    next = modMidi.LyricPhrases[int32_t{y.Phrase} + 1];
  } catch (...) {
    return;  // arguments that cannot be gathered: no TextKar for this syllable
  }
  try {
    RaiseTextKar(text, start, phrase, next);
  } catch (...) {
  }
}

void clsMidi::FireNoteEvent(int16_t Channel, int16_t Value, const std::string& NoteText, int16_t DrumsValue,
                            const std::string& DrumsText, VariantBool NoteOn, int16_t Kind) {
  const std::string note = NoteText, drums = DrumsText;  // a handler must not see them change
  if (Kind == 1) RaiseMidiLevel(Channel, Value);
  if (Kind == 2) RaiseNotesPlaying(Channel, Value, note, DrumsValue, drums, NoteOn);
}

void clsMidi::FireProgress() {
  const int32_t t = ReadStreamPosition();
  // Song time through the tempo map, whatever the speed: the clock shows where
  // in the song playback is, cut to whole milliseconds.
  RaiseProgress(t, ClockText(std::floor(TicksToMilliseconds(t))));
}

}  // namespace sonara
