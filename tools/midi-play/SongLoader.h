// Opening a song through the component, as every mode of midi-play does.
#pragma once

#include <string>

#include "MessageCapture.h"
#include "SongWatcher.h"
#include "clsMidi.h"

namespace midiplay {

// Loads `path` and fills the watcher's state with what a client learns
// from the load. "" when the song loaded; otherwise the reason, one line
// naming the file.
std::string LoadSong(sonara::clsMidi& midi, SongWatcher& watcher, MessageCapture& messages, const std::string& path);

}  // namespace midiplay
