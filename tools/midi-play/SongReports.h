// --info and --dump: load each song and print what the component reports,
// without playing anything.
#pragma once

#include "CommandLine.h"

namespace midiplay {

// Returns the exit code: a song that cannot be loaded is reported on
// standard error and the others are still printed.
int PrintSongReports(const Options& options);

}  // namespace midiplay
