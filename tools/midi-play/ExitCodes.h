// midi-play's exit codes: one per kind of failure, so that scripts can tell
// them apart. --help lists them.
#pragma once

namespace midiplay {

enum ExitCode : int {
  kExitOk = 0,
  kExitInternalError = 1,  // the player itself failed
  kExitUsage = 2,          // unknown option, bad value, no file given
  kExitFile = 3,           // a song (or soundfont) missing, unreadable or invalid
  kExitDevice = 4,         // the output device does not exist or cannot start
  kExitWavPath = 5,        // the WAV file cannot be written
  kExitInterrupted = 130,  // Ctrl-C (or another stop signal)
};

}  // namespace midiplay
