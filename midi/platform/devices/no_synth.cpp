// Builds without FluidSynth: no synthesizer on the list, and a file renderer
// that refuses to open, saying why.
#include "file_renderer.h"
#include "synth_device.h"

namespace mm {

bool SynthAvailable() { return false; }
std::vector<std::shared_ptr<OutputDevice>> SynthDevices() { return {}; }

struct FileRenderer::State {
  std::string path;
};

FileRenderer::FileRenderer(std::string wavPath) : state_(std::make_unique<State>()) {
  state_->path = std::move(wavPath);
}
FileRenderer::~FileRenderer() = default;
std::string FileRenderer::Name() const { return "WAV file renderer"; }
MMRESULT FileRenderer::Open(std::string& reason) {
  reason = "cannot render " + state_->path + ": this build has no software synthesizer";
  return MMSYSERR_NODRIVER;
}
void FileRenderer::Close() {}
void FileRenderer::SendShortMessage(uint32_t) {}
void FileRenderer::Reset() {}
MMRESULT FileRenderer::GetVolume(uint32_t&) { return MMSYSERR_NOTSUPPORTED; }
MMRESULT FileRenderer::SetVolume(uint32_t) { return MMSYSERR_NOTSUPPORTED; }
const std::string& FileRenderer::Path() const noexcept { return state_->path; }
std::string FileRenderer::Error() const { return {}; }
int64_t FileRenderer::FramesWritten() const { return 0; }

}  // namespace mm
