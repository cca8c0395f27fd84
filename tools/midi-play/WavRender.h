// Rendering the loaded song into a WAV file: the file renderer device on the
// virtual clock, played as fast as possible.
#pragma once

#include <functional>
#include <string>

#include "MessageCapture.h"
#include "clsMidi.h"

namespace midiplay {

struct RenderOutcome {
  enum class Kind { Written, Failed, Interrupted };
  Kind kind = Kind::Failed;
  std::string error;     // Failed: why, one line
  double seconds = 0;    // Written: length of the audio
};

// Plays the song loaded in `midi` into wavPath. `onProgress` runs now and
// then while it renders (the song's events arrive meanwhile). A failed or
// interrupted render leaves no file behind. In a build without the
// synthesizer the renderer refuses to start and says so.
RenderOutcome RenderLoadedSong(sonara::clsMidi& midi, MessageCapture& messages, const std::string& wavPath,
                               const std::function<void()>& onProgress);

}  // namespace midiplay
