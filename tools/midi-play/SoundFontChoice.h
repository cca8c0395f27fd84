// --soundfont: the soundfont of the software synthesizer and the WAV renderer.
#pragma once

#include <string>

namespace midiplay {

// "" when the soundfont is taken; otherwise why not, one line (a file
// that cannot be read or is no soundfont).
std::string UseSoundFont(const std::string& path);

}  // namespace midiplay
