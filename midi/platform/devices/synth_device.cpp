// Device 0: the soundfont synthesizer playing in real time. It is started by
// the first open and stopped by the last close, so a program that never
// plays never touches the sound system. The volume word outlives the opens.
#include "synth_device.h"

#include <mutex>

#include "../internal.h"
#include "soft_synth.h"

namespace mm {
namespace {

class SynthDevice : public OutputDevice {
 public:
  std::string Name() const override { return "Sonara Software Synthesizer"; }
  uint16_t Technology() const override { return MOD_SWSYNTH; }
  bool HasVolume() const override { return true; }

  MMRESULT Open(std::string& reason) override {
    std::lock_guard lock(lock_);
    if (users_ == 0) {
      // Audio first: without an output the open fails at once, before the
      // soundfont's long load.
      auto synth = SoftSynth::Create({.soundFont = SoundFont()}, reason);
      if (!synth || !synth->StartAudio(reason) || !synth->LoadSoundFont(reason)) return MMSYSERR_NODRIVER;
      synth->SetVolume(volume_);
      synth_ = std::move(synth);
    }
    ++users_;
    return MMSYSERR_NOERROR;
  }

  void Close() override {
    std::unique_ptr<SoftSynth> stopping;
    {
      std::lock_guard lock(lock_);
      if (users_ == 0 || --users_ > 0) return;
      stopping = std::move(synth_);
    }
    // The audio thread is joined outside the lock.
  }

  // FluidSynth's calls are thread-safe; the lock only keeps the synthesizer
  // from being stopped under a caller.
  void SendShortMessage(uint32_t message) override {
    std::lock_guard lock(lock_);
    if (synth_) synth_->Send(message);
  }

  void Reset() override {
    std::lock_guard lock(lock_);
    if (synth_) synth_->Silence();
  }

  MMRESULT GetVolume(uint32_t& volume) override {
    std::lock_guard lock(lock_);
    volume = volume_;
    return MMSYSERR_NOERROR;
  }

  MMRESULT SetVolume(uint32_t volume) override {
    std::lock_guard lock(lock_);
    volume_ = volume;
    if (synth_) synth_->SetVolume(volume);
    return MMSYSERR_NOERROR;
  }

 private:
  std::mutex lock_;
  std::unique_ptr<SoftSynth> synth_;
  int users_ = 0;
  uint32_t volume_ = 0xFFFFFFFF;
};

}  // namespace

bool SynthAvailable() { return true; }

std::vector<std::shared_ptr<OutputDevice>> SynthDevices() {
  // One synthesizer for the whole process: its volume and its users are
  // shared by every stream and by the volume calls on handle 0.
  static detail::NoDestructor<std::shared_ptr<OutputDevice>> device(std::make_shared<SynthDevice>());
  return {device.get()};
}

}  // namespace mm
