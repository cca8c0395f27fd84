// The player session: plays the songs of the command line one after the
// other on an output device, drives clsMidi from the keys, keeps the
// display fed from its events, and renders to WAV files instead when asked
// to or when no audio output can start.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "DeviceRegistration.h"
#include "EventConnection.h"
#include "MessageCapture.h"
#include "PlainOutput.h"
#include "SongWatcher.h"
#include "WavDestination.h"
#include "clsMidi.h"

namespace midiplay {

class RawTerminal;
class TerminalDisplay;
struct KeyCommand;

class PlaySession {
 public:
  explicit PlaySession(const Options& options);
  ~PlaySession();
  PlaySession(const PlaySession&) = delete;
  PlaySession& operator=(const PlaySession&) = delete;

  // Plays (or renders) every song and returns the exit code.
  int Run();

 private:
  enum class SongEnd { Finished, Next, Previous, Quit, Interrupted };
  struct Settings {
    int16_t transpose = 0;
    int16_t speed = 0;
    std::array<bool, 16> muted{};
  };

  bool Load(size_t index);
  void ApplySettings();
  int PlayAll();
  SongEnd PlayLoadedSong();
  // nullopt: keep playing.
  std::optional<SongEnd> Handle(const KeyCommand& key);
  void TogglePause();
  void Seek(double seconds);
  void ToggleMute(int channel);
  int RenderAll(size_t first, const WavDestination& destination);
  void ReportError(const std::string& line);
  void OpenDisplay();
  void CloseDisplay();

  const Options& options_;
  std::shared_ptr<sonara::clsMidi> midi_;
  std::shared_ptr<SongWatcher> watcher_;
  std::unique_ptr<EventConnection> connection_;
  MessageCapture messages_;
  PlainOutput plain_;
  Settings settings_;
  int16_t deviceId_ = 0;
  bool deviceChosen_ = false;   // --device or --silent: no fallback to WAV
  std::unique_ptr<DeviceRegistration> silentDevice_;
  bool fileFailed_ = false;
  int32_t pausedAt_ = 0;
  std::unique_ptr<RawTerminal> rawTerminal_;
  std::unique_ptr<TerminalDisplay> display_;
  std::vector<std::string> heldErrors_;  // errors met while the display is up
};

}  // namespace midiplay
