// Songs built byte by byte whose lyrics carry line breaks, characters split
// across events and texts in either code page; the loader's tests and the
// song dump's tests read the same ones.
#pragma once

#include <string>
#include <vector>

#include "SongBytes.h"

namespace sonara::testing {

using Lines = std::vector<std::string>;

// One track: a note held under the lyric events, each lyric 10 ticks after
// the one before it (the first at tick 10).
inline Bytes LyricEventSong(const Lines& lyrics) {
  Bytes events = Ev(0, {0x90, 60, 100});
  for (const auto& lyric : lyrics) events = events + LyricEv(10, lyric);
  return Header(1) + Track(events + Ev(10, {0x80, 60, 0}) + EndOfTrack());
}

// A karaoke file: a note track, then the text track named "words" with one
// text event every 10 ticks (the first at tick 10), after a title when one
// is given.
inline Bytes KaraokeSong(const Lines& texts, const std::string& title = "") {
  Bytes words = NameEv(0, "words");
  if (!title.empty()) words = words + TextEv(0, "@T" + title);
  for (const auto& text : texts) words = words + TextEv(10, text);
  return Header(2) + Track(Ev(0, {0x90, 60, 100}) + Ev(100, {0x80, 60, 0}) + EndOfTrack()) +
         Track(words + EndOfTrack());
}

// A karaoke file with one tick a quarter note whose text track sets the
// tempo at tick 0 (16 s a tick) and again at tick 2 (1 s a tick), where a
// syllable also stands; the song lasts 4 ticks: 2 × 16 s + 2 × 1 s.
inline Bytes KaraokeTempoSong() {
  return Header(2, 1) + Track(Ev(0, {0x90, 60, 100}) + Ev(4, {0x80, 60, 0}) + EndOfTrack()) +
         Track(NameEv(0, "words") + TempoEv(0, 16000000) + TextEv(2, "la") + TempoEv(0, 1000000) + EndOfTrack());
}

// The arguments of the TextKar event that each lyric record of the Timeline
// raises, read from the tables as playback reads them, as
// "text|offset|current line|next line".
inline Lines TextKarFromTables() {
  Lines out;
  const auto& phrases = modMidi.LyricPhrases;
  for (const EventRecord& r : modMidi.Timeline.Items()) {
    if (r.LyricIndex <= 0) continue;
    const SyllableRecord& s = modMidi.LyricSyllables[r.LyricIndex];
    out.push_back(s.Text + "|" + std::to_string(static_cast<int16_t>(s.PhraseOffset)) + "|" + phrases[s.Phrase] + "|" +
                  phrases[s.Phrase + 1]);
  }
  return out;
}

// A syllable as "text,length,offset,phrase", entries 1 on.
inline Lines SyllableTable() {
  Lines out;
  const auto& items = modMidi.LyricSyllables.Items();
  for (size_t k = 1; k < items.size(); ++k) {
    const auto& s = items[k];
    out.push_back(s.Text + "," + std::to_string(s.Length) + "," + std::to_string(s.PhraseOffset) + "," +
                  std::to_string(s.Phrase));
  }
  return out;
}

// The phrases from the first (2) up to the empty entry after the last.
inline Lines PhraseTable() {
  const auto& items = modMidi.LyricPhrases.Items();
  return items.size() > 3 ? Lines(items.begin() + 2, items.end() - 1) : Lines{};
}

}  // namespace sonara::testing
