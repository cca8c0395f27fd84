// What the track decoder keeps while it reads one file.
#pragma once

#include <cstdint>
#include <vector>

namespace sonara {

struct TrackDecodeState {
  int16_t Track = 0;             // track number being decoded
  uint8_t RunningStatus = 0;     // last channel status byte; carries over from track to track
  int64_t TrackTick = 0;         // sum of the delta times read in this track
  int32_t PendingDelta = 0;      // delta time of the event being decoded, until it is stored
  int16_t KaraokeTrack = -1;     // the karaoke text track, -1 when there is none
  bool KaraokeMode = false;
  int16_t TitleCount = 0;        // "@T" texts met so far
  int32_t CurrentPhrase = 2;     // the phrase being built
  // Syllables hold their file bytes while the tracks are decoded: the bytes
  // of all of them decide how they are read. Per syllable index, whether it is
  // a piece of its phrase's text (its offset is where it lands in the
  // phrase) rather than an entry with a fixed offset that carries no text.
  std::vector<bool> SyllableInPhrase{false};
};

}  // namespace sonara
