#include "soft_synth.h"

#include <fluidsynth.h>

#ifdef SONARA_HAVE_ALSA
#include "alsa_seq_device.h"
#endif

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace mm {
namespace {

// FluidSynth reports failures through its log. Errors are kept for the
// thread that caused them, so an open can say why it failed; nothing is
// printed.
thread_local std::string lastFluidError;

void KeepError(int level, const char* message, void*) {
  if ((level == FLUID_PANIC || level == FLUID_ERR) && message) lastFluidError = message;
}
void Discard(int, const char*, void*) {}

void RouteFluidLog() {
  static std::once_flag once;
  std::call_once(once, [] {
    fluid_set_log_function(FLUID_PANIC, KeepError, nullptr);
    fluid_set_log_function(FLUID_ERR, KeepError, nullptr);
    fluid_set_log_function(FLUID_WARN, Discard, nullptr);
    fluid_set_log_function(FLUID_INFO, Discard, nullptr);
    fluid_set_log_function(FLUID_DBG, Discard, nullptr);
  });
}

std::string TakeFluidError(const char* fallback) {
  std::string e = lastFluidError.empty() ? fallback : lastFluidError;
  lastFluidError.clear();
  return e;
}

// FluidSynth's loaders say little about a missing file and complain on the
// terminal about one of another kind, so the file is checked first: it must
// be readable and a RIFF file of soundfont ("sfbk") or DLS ("DLS ") form.
bool SoundFontReadable(const std::string& path, std::string& reason) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!f) {
    reason = "cannot read the soundfont " + path + " (" + std::strerror(errno) + ")";
    return false;
  }
  char head[12] = {};
  size_t got = std::fread(head, 1, sizeof(head), f.get());
  bool riff = got == sizeof(head) && std::memcmp(head, "RIFF", 4) == 0;
  if (!riff || (std::memcmp(head + 8, "sfbk", 4) != 0 && std::memcmp(head + 8, "DLS ", 4) != 0)) {
    reason = "cannot load the soundfont " + path + " (not a soundfont file)";
    return false;
  }
  return true;
}

constexpr int kChannels = 16;
constexpr int kSustainPedal = 64, kSostenutoPedal = 66;

}  // namespace

void SoftSynth::SettingsDeleter::operator()(_fluid_hashtable_t* s) const { delete_fluid_settings(s); }
void SoftSynth::SynthDeleter::operator()(_fluid_synth_t* s) const { delete_fluid_synth(s); }
void SoftSynth::DriverDeleter::operator()(_fluid_audio_driver_t* d) const { delete_fluid_audio_driver(d); }

float GainForVolume(uint32_t word) {
  double mean = ((word & 0xFFFFu) + (word >> 16)) / 2.0;
  return static_cast<float>(kFullVolumeGain * mean / 0xFFFF);
}

std::unique_ptr<SoftSynth> SoftSynth::Create(const Options& options, std::string& reason) {
  RouteFluidLog();
  if (!SoundFontReadable(options.soundFont, reason)) return nullptr;
  auto s = std::make_unique<SoftSynth>(Key{});
  s->settings_.reset(new_fluid_settings());
  if (!s->settings_) {
    reason = "the synthesizer's settings could not be created";
    return nullptr;
  }
  fluid_settings_t* settings = s->settings_.get();
  fluid_settings_setnum(settings, "synth.sample-rate", options.sampleRate);
  fluid_settings_setnum(settings, "synth.gain", kFullVolumeGain);
  fluid_settings_setint(settings, "synth.dynamic-sample-loading", options.loadSamplesOnDemand ? 1 : 0);
  s->synth_.reset(new_fluid_synth(settings));
  if (!s->synth_) {
    reason = "the synthesizer could not be created (" + TakeFluidError("out of memory") + ")";
    return nullptr;
  }
  s->soundFont_ = options.soundFont;
  return s;
}

bool SoftSynth::LoadSoundFont(std::string& reason) {
  if (fluid_synth_sfload(synth_.get(), soundFont_.c_str(), 1) == FLUID_FAILED) {
    reason = "cannot load the soundfont " + soundFont_ + " (" + TakeFluidError("not a soundfont") + ")";
    return false;
  }
  return true;
}

SoftSynth::~SoftSynth() = default;

bool SoftSynth::StartAudio(std::string& reason) {
#ifdef SONARA_HAVE_ALSA
  QuietAlsaErrors();  // its failures go into the reason instead
  TakeAlsaError();
#endif
  // What desktops offer, most common first: PulseAudio (PipeWire serves it
  // too), then the sound card directly.
  static constexpr const char* kDrivers[] = {"pulseaudio", "alsa"};
  // Periods of 512 frames (12 ms), 8 of them: FluidSynth's default of 64
  // frames breaks up as soon as the machine is busy; the added latency is
  // the same for every note.
  fluid_settings_setint(settings_.get(), "audio.period-size", 512);
  fluid_settings_setint(settings_.get(), "audio.periods", 8);
  std::string answers;
  for (const char* name : kDrivers) {
    fluid_settings_setstr(settings_.get(), "audio.driver", name);
    driver_.reset(new_fluid_audio_driver(settings_.get(), synth_.get()));
    if (driver_) return true;
    std::string why = TakeFluidError("did not start");
    // The cause without FluidSynth's preamble, so the whole text fits the
    // player's 255 characters: PulseAudio's own words, or libasound's.
    if (auto at = why.rfind("error: "); at != std::string::npos) why.erase(0, at + 7);
#ifdef SONARA_HAVE_ALSA
    if (std::string alsa = TakeAlsaError(); !alsa.empty()) why = alsa;
#endif
    if (!answers.empty()) answers += "; ";
    answers += std::string(name) + ": " + why;
  }
  reason = "no audio output is available (" + answers + ")";
  return false;
}

void SoftSynth::Send(uint32_t message) {
  fluid_synth_t* s = synth_.get();
  const int status = message & 0xFF;
  const int channel = status & 0x0F;
  const int data1 = (message >> 8) & 0x7F;
  const int data2 = (message >> 16) & 0x7F;
  switch (status & 0xF0) {
    case 0x80: fluid_synth_noteoff(s, channel, data1); break;
    case 0x90: fluid_synth_noteon(s, channel, data1, data2); break;  // velocity 0 is a note-off
    case 0xA0: fluid_synth_key_pressure(s, channel, data1, data2); break;
    case 0xB0: fluid_synth_cc(s, channel, data1, data2); break;
    case 0xC0: fluid_synth_program_change(s, channel, data1); break;
    case 0xD0: fluid_synth_channel_pressure(s, channel, data1); break;
    case 0xE0: fluid_synth_pitch_bend(s, channel, data1 | (data2 << 7)); break;
    default: break;  // system messages and bytes without a status are not played
  }
}

void SoftSynth::Silence() {
  for (int ch = 0; ch < kChannels; ++ch) {
    fluid_synth_all_notes_off(synth_.get(), ch);
    fluid_synth_all_sounds_off(synth_.get(), ch);
  }
}

void SoftSynth::ReleaseAll() {
  for (int ch = 0; ch < kChannels; ++ch) {
    fluid_synth_cc(synth_.get(), ch, kSustainPedal, 0);
    fluid_synth_cc(synth_.get(), ch, kSostenutoPedal, 0);
    fluid_synth_all_notes_off(synth_.get(), ch);
  }
}

void SoftSynth::SetVolume(uint32_t word) { fluid_synth_set_gain(synth_.get(), GainForVolume(word)); }

void SoftSynth::Render(float* interleaved, int frames) {
  fluid_synth_write_float(synth_.get(), frames, interleaved, 0, 2, interleaved, 1, 2);
}

}  // namespace mm
