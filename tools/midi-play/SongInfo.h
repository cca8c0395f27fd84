// --info: what a song holds, as the component reports it after loading:
// titles, length, time signature, the channels used with their instruments
// (channel 10 as drums) and the whole lyric text.
#pragma once

#include <cstdio>
#include <string>

#include "SongWatcher.h"
#include "clsMidi.h"

namespace midiplay {

void PrintSongInfo(sonara::clsMidi& midi, const DisplayState& state, std::FILE* out);

}  // namespace midiplay
