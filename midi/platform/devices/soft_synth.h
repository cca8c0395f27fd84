// One FluidSynth synthesizer with a soundfont loaded: what the synthesizer
// device and the file renderer share. It turns packed short messages into
// synthesizer calls and the volume word into its gain. FluidSynth's own API
// is thread-safe; the volume word kept here is atomic. Platform layer only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

struct _fluid_hashtable_t;
struct _fluid_synth_t;
struct _fluid_audio_driver_t;

namespace mm {

class SoftSynth {
  struct Key {};  // only Create can name it

 public:
  explicit SoftSynth(Key) {}

  struct Options {
    std::string soundFont;
    double sampleRate = 44100.0;
    // Load a preset's samples only when a channel selects it: quicker to
    // open and much smaller, at the price of reading samples from disk on a
    // program change (fine when rendering, not on a real-time thread).
    bool loadSamplesOnDemand = false;
  };

  // A synthesizer with no sounds yet; null with `reason` set when the
  // soundfont is not a readable soundfont file or the synthesizer cannot be
  // made.
  static std::unique_ptr<SoftSynth> Create(const Options& options, std::string& reason);
  // Loads the soundfont (the slow part: up to a second for a large one).
  bool LoadSoundFont(std::string& reason);
  ~SoftSynth();
  SoftSynth(const SoftSynth&) = delete;
  SoftSynth& operator=(const SoftSynth&) = delete;

  // Starts real-time output through the first audio driver that opens
  // (PulseAudio, then ALSA). False with `reason` saying what each one
  // answered when none does.
  bool StartAudio(std::string& reason);

  void Send(uint32_t message);
  // All notes off and all sound off on the 16 channels: silence at once.
  void Silence();
  // Pedals up and all notes off on the 16 channels: every note goes into
  // its release, so the sound ends naturally.
  void ReleaseAll();
  // Left level in the low 16 bits, right in the high 16 bits; the gain
  // follows their mean.
  void SetVolume(uint32_t word);

  // Renders `frames` interleaved stereo frames, full scale at ±1.
  void Render(float* interleaved, int frames);

 private:
  std::string soundFont_;

  struct SettingsDeleter {
    void operator()(_fluid_hashtable_t* s) const;
  };
  struct SynthDeleter {
    void operator()(_fluid_synth_t* s) const;
  };
  struct DriverDeleter {
    void operator()(_fluid_audio_driver_t* d) const;
  };

  std::unique_ptr<_fluid_hashtable_t, SettingsDeleter> settings_;
  std::unique_ptr<_fluid_synth_t, SynthDeleter> synth_;
  // Declared last so it stops before the synthesizer it plays goes away.
  std::unique_ptr<_fluid_audio_driver_t, DriverDeleter> driver_;
};

// The gain FluidSynth uses by default; full volume maps to it so that our
// renders and FluidSynth's own are at the same level.
constexpr float kFullVolumeGain = 0.2f;
float GainForVolume(uint32_t word);

}  // namespace mm
