#include "WavRender.h"

#if SONARA_PLAY_HAVE_RENDERER
#include <filesystem>

#include "StopSignals.h"
#include "platform/clock.h"
#include "platform/devices/file_renderer.h"
#include "platform/devices/registry.h"
#endif

namespace midiplay {

#if SONARA_PLAY_HAVE_RENDERER

namespace {

// A device in the registry for as long as the object lives.
class Registration {
 public:
  explicit Registration(std::shared_ptr<mm::OutputDevice> device)
      : device_(std::move(device)), id_(mm::RegisterDevice(device_)) {}
  ~Registration() { mm::UnregisterDevice(device_); }
  Registration(const Registration&) = delete;
  Registration& operator=(const Registration&) = delete;
  uint32_t Id() const noexcept { return id_; }

 private:
  std::shared_ptr<mm::OutputDevice> device_;
  uint32_t id_;
};

constexpr double kSampleRate = 44100.0;

}  // namespace

bool CanRenderWav() { return true; }

RenderOutcome RenderLoadedSong(sonara::clsMidi& midi, MessageCapture& messages, const std::string& wavPath,
                               const std::function<void()>& onProgress) {
  auto renderer = std::make_shared<mm::FileRenderer>(wavPath);
  Registration registration(renderer);
  midi.put_SetDevice(static_cast<int16_t>(registration.Id()));
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

#else  // this build has no file renderer

bool CanRenderWav() { return false; }

RenderOutcome RenderLoadedSong(sonara::clsMidi&, MessageCapture&, const std::string&, const std::function<void()>&) {
  return {RenderOutcome::Kind::Failed, "this build of midi-play cannot render WAV files", 0};
}

#endif

}  // namespace midiplay
