// midi-play [options] FILE...: the command-line karaoke player. See --help.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "ExitCodes.h"
#include "OutputDevices.h"
#include "PlaySession.h"
#include "SongReports.h"
#include "SoundFontChoice.h"
#include "StopSignals.h"
#include "TextSafety.h"
#include "WavDestination.h"

namespace {

using namespace midiplay;

int Fail(int code, const std::string& line) {
  std::fprintf(stderr, "midi-play: %s\n", line.c_str());
  return code;
}

int ListDevices() {
  auto names = OutputDeviceNames();
  if (names.empty()) std::printf("no output devices\n");
  for (size_t i = 0; i < names.size(); ++i) std::printf("%zu  %s\n", i, EscapeControls(names[i]).c_str());
  return kExitOk;
}

// What can be checked before anything plays or is written.
int CheckBeforeStart(const Options& options) {
  if (options.soundFont) {
    if (std::string problem = UseSoundFont(*options.soundFont); !problem.empty()) return Fail(kExitFile, problem);
  }
  if (options.mode != Mode::Play) return kExitOk;
  if (options.device && !options.wavOut) {
    if (std::string problem = DeviceProblem(*options.device); !problem.empty()) return Fail(kExitDevice, problem);
  }
  if (options.wavOut) {
    auto destination = WavDestination::From(options.wavOut, options.files.size());
    if (std::string problem = destination.Check(); !problem.empty()) return Fail(kExitWavPath, problem);
  }
  return kExitOk;
}

int Run(const Options& options) {
  switch (options.mode) {
    case Mode::Help:
      std::fputs(HelpText().c_str(), stdout);
      return kExitOk;
    case Mode::Version:
      std::fputs(VersionText().c_str(), stdout);
      return kExitOk;
    case Mode::ListDevices:
      return ListDevices();
    case Mode::Info:
    case Mode::Dump:
    case Mode::Play:
      break;
  }
  if (int code = CheckBeforeStart(options); code != kExitOk) return code;
  if (options.mode != Mode::Play) return PrintSongReports(options);
  StopSignals signals;
  PlaySession session(options);
  return session.Run();
}

}  // namespace

int main(int argc, char** argv) {
  ParsedCommandLine parsed = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  if (!parsed.Ok()) return Fail(kExitUsage, parsed.error);
  try {
    return Run(parsed.options);
  } catch (const std::exception& e) {
    return Fail(kExitInternalError, std::string("error: ") + e.what());
  }
}
