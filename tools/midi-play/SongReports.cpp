#include "SongReports.h"

#include <cstdio>
#include <iostream>

#include "EventConnection.h"
#include "ExitCodes.h"
#include "MessageCapture.h"
#include "SongDump.h"
#include "SongInfo.h"
#include "SongLoader.h"

namespace midiplay {

int PrintSongReports(const Options& options) {
  MessageCapture messages;
  auto midi = sonara::clsMidi::Create();
  auto watcher = std::make_shared<SongWatcher>();
  EventConnection connection(midi, watcher);
  bool failed = false;
  bool first = true;
  for (const std::string& path : options.files) {
    std::string problem = LoadSong(*midi, *watcher, messages, path);
    if (!problem.empty()) {
      std::fprintf(stderr, "midi-play: %s\n", problem.c_str());
      failed = true;
      continue;
    }
    if (!first) std::fputc('\n', stdout);
    first = false;
    if (options.mode == Mode::Dump) {
      std::fflush(stdout);
      sonara::WriteSongDump(std::cout, *midi);
      std::cout.flush();
    } else {
      PrintSongInfo(*midi, watcher->State(), stdout);
    }
  }
  std::fflush(stdout);
  return failed ? kExitFile : kExitOk;
}

}  // namespace midiplay
