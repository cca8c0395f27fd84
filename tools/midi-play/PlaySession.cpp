#include "PlaySession.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "ExitCodes.h"
#include "KeyInput.h"
#include "OutputDevices.h"
#include "RawTerminal.h"
#include "SongLoader.h"
#include "SongTiming.h"
#include "StopSignals.h"
#include "TerminalDisplay.h"
#include "TextSafety.h"
#include "WavRender.h"
#include "platform/devices/capture_device.h"
#include "platform/window.h"

namespace midiplay {
namespace {

using sonara::kStatusPaused;
using sonara::kStatusPlaying;
using sonara::kStatusStopped;

// The message loop waits at most this long for the component's messages
// before it looks at the keys again.
constexpr int kLoopWaitMs = 40;
constexpr double kSeekSeconds = 5.0;

template <class T>
T Clamp(int value, int low, int high) {
  return static_cast<T>(std::clamp(value, low, high));
}

}  // namespace

PlaySession::PlaySession(const Options& options) : options_(options), plain_(stdout) {
  midi_ = sonara::clsMidi::Create();
  watcher_ = std::make_shared<SongWatcher>();
  connection_ = std::make_unique<EventConnection>(midi_, watcher_);
  settings_.transpose = options.transpose;
  settings_.speed = options.speed;
  settings_.muted = options.muted;
  watcher_->State().fileCount = static_cast<int>(options.files.size());
}

PlaySession::~PlaySession() {
  CloseDisplay();
  try {
    midi_->CloseDevice();  // nothing goes on sounding after the player ends
  } catch (...) {
  }
  connection_.reset();
  silentDevice_.reset();
  for (const std::string& line : heldErrors_) std::fprintf(stderr, "midi-play: %s\n", line.c_str());
}

void PlaySession::ReportError(const std::string& line) {
  if (display_) {
    // Printed when the screen is back, once each (a broken file can be
    // passed again with n and p).
    if (std::find(heldErrors_.begin(), heldErrors_.end(), line) == heldErrors_.end()) heldErrors_.push_back(line);
  } else {
    std::fprintf(stderr, "midi-play: %s\n", line.c_str());
  }
}

bool PlaySession::Load(size_t index) {
  DisplayState& state = watcher_->State();
  state.fileNumber = static_cast<int>(index + 1);
  std::string problem = LoadSong(*midi_, *watcher_, messages_, options_.files[index]);
  if (!problem.empty()) {
    ReportError(problem);
    fileFailed_ = true;
    return false;
  }
  ApplySettings();
  return true;
}

// The user's settings outlive each song; loading a song resets the component's.
void PlaySession::ApplySettings() {
  if (settings_.transpose != 0) midi_->put_Transpose(settings_.transpose);
  if (settings_.speed != 0) midi_->put_Velocity(settings_.speed);
  for (int16_t ch = 0; ch < 16; ++ch) {
    if (!settings_.muted[static_cast<size_t>(ch)]) continue;
    midi_->put_MuteChannel(ch, sonara::kTrue);
    watcher_->State().channels[static_cast<size_t>(ch)].muted = true;
  }
  if (options_.start) {
    int32_t tick = options_.start->value;
    if (options_.start->unit == StartPosition::Unit::Seconds)
      tick = SongTiming(midi_->get_TimeLength(), watcher_->State().lengthText).TicksFor(options_.start->value);
    midi_->put_SetCurrentPosition(tick);
    watcher_->State().ticks = tick;
  }
}

int PlaySession::Run() {
  if (options_.wavOut) {
    WavDestination destination = WavDestination::From(options_.wavOut, options_.files.size());
    return RenderAll(0, destination);
  }
  if (options_.silent) {
    auto device = std::make_shared<mm::CaptureDevice>("Silent");
    device->SetSink(nullptr, false);  // keeps nothing: it only paces the song
    silentDevice_ = std::make_unique<DeviceRegistration>(device);
    deviceId_ = silentDevice_->Id();
    deviceChosen_ = true;
  } else if (options_.device) {
    deviceId_ = *options_.device;
    deviceChosen_ = true;
  }
  return PlayAll();
}

int PlaySession::PlayAll() {
  const size_t count = options_.files.size();
  bool started = false;
  int direction = 1;
  for (ptrdiff_t index = 0; index >= 0 && static_cast<size_t>(index) < count;) {
    watcher_->SetNoticeHandler(nullptr);  // the plain lines start once the song plays
    if (!Load(static_cast<size_t>(index))) {
      index += direction;
      if (index < 0) index = 0, direction = 1;
      continue;
    }
    midi_->put_SetDevice(deviceId_);
    watcher_->State().device = DeviceName(deviceId_);
    messages_.TakeLast();
    midi_->PlayMidi();
    if (midi_->get_Status() != kStatusPlaying) {
      std::string why = EscapeControls(messages_.TakeLast());
      if (why.empty() && midi_->get_Status() == kStatusStopped) {
        direction = 1;  // a song with nothing to play ended at once
        ++index;
        continue;
      }
      if (deviceChosen_ || started) {
        ReportError("output device " + std::to_string(deviceId_) + " cannot start: " + why);
        return kExitDevice;
      }
      if (why.ends_with('.')) why.pop_back();
      std::fprintf(stderr, "midi-play: no audio output is available; rendering to WAV files instead (%s)\n",
                   why.c_str());
      WavDestination destination = WavDestination::From(std::nullopt, count);
      return RenderAll(static_cast<size_t>(index), destination);
    }
    started = true;
    OpenDisplay();
    if (!display_) {
      plain_.SongStarted(watcher_->State());
      plain_.OnNotice({Notice::Kind::Status, sonara::StatusText(kStatusPlaying), kStatusPlaying});
      watcher_->SetNoticeHandler([this](const Notice& notice) { plain_.OnNotice(notice); });
    }
    switch (PlayLoadedSong()) {
      case SongEnd::Finished:
      case SongEnd::Next:
        direction = 1;
        ++index;
        break;
      case SongEnd::Previous:
        direction = index > 0 ? -1 : 1;
        index = std::max<ptrdiff_t>(index - 1, 0);
        break;
      case SongEnd::Quit:
        return fileFailed_ ? kExitFile : kExitOk;
      case SongEnd::Interrupted:
        return kExitInterrupted;
    }
  }
  if (StopSignals::StopRequested()) return kExitInterrupted;
  return fileFailed_ ? kExitFile : kExitOk;
}

// Keys when standard input is a terminal, the live display when standard
// output is one (otherwise the plain lines). Once for the whole session: a
// second raw mode would take the first one's settings for the terminal's own.
void PlaySession::OpenDisplay() {
  if (!rawTerminal_ && ::isatty(STDIN_FILENO)) rawTerminal_ = std::make_unique<RawTerminal>(STDIN_FILENO);
  if (!display_ && ::isatty(STDOUT_FILENO)) display_ = std::make_unique<TerminalDisplay>(STDOUT_FILENO);
}

void PlaySession::CloseDisplay() {
  display_.reset();
  rawTerminal_.reset();
  for (const std::string& line : heldErrors_) std::fprintf(stderr, "midi-play: %s\n", line.c_str());
  heldErrors_.clear();
}

PlaySession::SongEnd PlaySession::PlayLoadedSong() {
  using Clock = std::chrono::steady_clock;
  auto last = Clock::now();
  watcher_->MarkChanged();
  for (;;) {
    mm::WaitAndDispatch(kLoopWaitMs);
    if (StopSignals::StopRequested()) {
      midi_->StopMidi();
      return SongEnd::Interrupted;
    }
    if (rawTerminal_ && rawTerminal_->Active()) {
      for (const KeyCommand& key : ReadWaitingKeys(STDIN_FILENO)) {
        if (auto end = Handle(key)) return *end;
      }
    }
    if (midi_->get_Status() == kStatusStopped) return SongEnd::Finished;
    auto now = Clock::now();
    watcher_->DecayMeters(std::chrono::duration<double>(now - last).count());
    last = now;
    if (display_) {
      if (StopSignals::TakeResized()) {
        display_->Invalidate();
        watcher_->MarkChanged();
      }
      display_->Refresh(*watcher_);
    }
  }
}

std::optional<PlaySession::SongEnd> PlaySession::Handle(const KeyCommand& key) {
  using Kind = KeyCommand::Kind;
  DisplayState& state = watcher_->State();
  switch (key.kind) {
    case Kind::Quit:
      midi_->StopMidi();
      return SongEnd::Quit;
    case Kind::Interrupt:
      StopSignals::RequestStop();
      midi_->StopMidi();
      return SongEnd::Interrupted;
    case Kind::NextFile:
      midi_->StopMidi();
      return SongEnd::Next;
    case Kind::PreviousFile:
      midi_->StopMidi();
      return SongEnd::Previous;
    case Kind::PauseResume:
      TogglePause();
      break;
    case Kind::SeekBack:
    case Kind::SeekForward:
      Seek(key.kind == Kind::SeekForward ? kSeekSeconds : -kSeekSeconds);
      break;
    case Kind::TransposeUp:
    case Kind::TransposeDown:
      settings_.transpose = Clamp<int16_t>(state.transpose + (key.kind == Kind::TransposeUp ? 1 : -1),
                                           kMinTranspose, kMaxTranspose);
      midi_->put_Transpose(settings_.transpose);
      break;
    case Kind::Slower:
    case Kind::Faster:
      settings_.speed = Clamp<int16_t>(state.speed + (key.kind == Kind::Slower ? 1 : -1), kMinSpeed, kMaxSpeed);
      midi_->put_Velocity(settings_.speed);
      break;
    case Kind::ToggleMute:
      ToggleMute(key.channel);
      break;
  }
  return std::nullopt;
}

void PlaySession::TogglePause() {
  int16_t status = midi_->get_Status();
  if (status == kStatusPlaying) {
    // The position just before pausing: where a seek while paused starts from.
    pausedAt_ = midi_->get_GetCurrentPosition();
    midi_->Pause();
    SongTiming timing(midi_->get_TimeLength(), watcher_->State().lengthText);
    watcher_->State().ticks = pausedAt_;
    watcher_->State().clockText = timing.ClockText(pausedAt_);
  } else if (status == kStatusPaused) {
    midi_->put_SetCurrentPosition(pausedAt_);
    midi_->PlayMidi();
  }
  watcher_->MarkChanged();
}

// A seek is a restart at the new position, as any client of the component
// does it: position, converted distance, SetCurrentPosition, PlayMidi.
void PlaySession::Seek(double seconds) {
  int16_t status = midi_->get_Status();
  if (status != kStatusPlaying && status != kStatusPaused) return;
  SongTiming timing(midi_->get_TimeLength(), watcher_->State().lengthText);
  int32_t from = status == kStatusPlaying ? midi_->get_GetCurrentPosition() : pausedAt_;
  int64_t to = std::clamp<int64_t>(int64_t{from} + timing.TicksFor(seconds), 0, timing.SongTicks());
  int32_t target = static_cast<int32_t>(to);
  midi_->put_SetCurrentPosition(target);
  DisplayState& state = watcher_->State();
  state.ticks = target;
  state.clockText = timing.ClockText(target);
  watcher_->ForgetLyricLine();
  watcher_->MarkChanged();
  if (status == kStatusPlaying) {
    midi_->PlayMidi();
  } else {
    pausedAt_ = target;
  }
}

void PlaySession::ToggleMute(int channel) {
  if (channel < 0 || channel >= 16) return;
  ChannelView& view = watcher_->State().channels[static_cast<size_t>(channel)];
  bool mute = !view.muted;
  midi_->put_MuteChannel(static_cast<int16_t>(channel), sonara::ToVariantBool(mute));
  view.muted = mute;
  if (mute) view.level = 0;
  settings_.muted[static_cast<size_t>(channel)] = mute;
  watcher_->MarkChanged();
}

int PlaySession::RenderAll(size_t first, const WavDestination& destination) {
  if (std::string problem = destination.Check(); !problem.empty()) {
    ReportError(problem);
    return kExitWavPath;
  }
  const bool onTerminal = ::isatty(STDOUT_FILENO);
  if (!onTerminal) watcher_->SetNoticeHandler([this](const Notice& notice) { plain_.OnNotice(notice); });
  for (size_t index = first; index < options_.files.size(); ++index) {
    if (!Load(index)) continue;
    std::string path = destination.PathFor(options_.files[index]);
    if (!onTerminal) plain_.SongStarted(watcher_->State());
    RenderOutcome outcome;
    {
      std::unique_ptr<RenderProgressLine> progress;
      if (onTerminal) progress = std::make_unique<RenderProgressLine>(STDOUT_FILENO);
      outcome = RenderLoadedSong(*midi_, messages_, path, [&] {
        if (progress) progress->Show(watcher_->State(), path);
      });
    }
    switch (outcome.kind) {
      case RenderOutcome::Kind::Interrupted:
        ReportError("interrupted; " + EscapeControls(path) + " was not written");
        return kExitInterrupted;
      case RenderOutcome::Kind::Failed:
        ReportError(EscapeControls(outcome.error));
        return kExitWavPath;
      case RenderOutcome::Kind::Written: {
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%.1f", outcome.seconds);
        plain_.Line("wrote " + EscapeControls(path) + " (" + seconds + " s of audio)");
        break;
      }
    }
  }
  return fileFailed_ ? kExitFile : kExitOk;
}

}  // namespace midiplay
