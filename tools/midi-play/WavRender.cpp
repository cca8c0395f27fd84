#include "WavRender.h"

#include <filesystem>

#include "DeviceRegistration.h"
#include "StopSignals.h"
#include "platform/clock.h"
#include "platform/devices/file_renderer.h"

namespace midiplay {
namespace {

constexpr double kSampleRate = 44100.0;

}  // namespace

RenderOutcome RenderLoadedSong(sonara::clsMidi& midi, MessageCapture& messages, const std::string& wavPath,
                               const std::function<void()>& onProgress) {
  auto renderer = std::make_shared<mm::FileRenderer>(wavPath);
  DeviceRegistration registration(renderer);
  midi.put_SetDevice(registration.Id());
  mm::clock::VirtualClockGuard virtualTime;

  messages.TakeLast();
  midi.PlayMidi();
  if (midi.get_Status() != sonara::kStatusPlaying) {
    std::string why = messages.TakeLast();
    if (why.empty()) why = renderer->Error();
    return {RenderOutcome::Kind::Failed, why.empty() ? "the renderer did not start" : why, 0};
  }
  auto stopped = [&] { return StopSignals::StopRequested() || midi.get_Status() != sonara::kStatusPlaying; };
  mm::clock::RunAsFastAsPossible([&] {
    if (onProgress) onProgress();
    return stopped();
  });
  if (midi.get_Status() == sonara::kStatusPlaying) {
    // Interrupted, or the clock ran out of work before the song ended.
    midi.StopMidi();
    std::error_code ec;
    std::filesystem::remove(wavPath, ec);
    if (StopSignals::StopRequested()) return {RenderOutcome::Kind::Interrupted, "", 0};
    return {RenderOutcome::Kind::Failed, "rendering stopped before the end of the song", 0};
  }
  if (std::string error = renderer->Error(); !error.empty()) return {RenderOutcome::Kind::Failed, error, 0};
  return {RenderOutcome::Kind::Written, "", renderer->FramesWritten() / kSampleRate};
}


}  // namespace midiplay
