// The WAV renderer. It writes to "<path>.part" and renames the file to its
// name only once it is complete, so a render that fails (or a process that
// dies) never leaves a file at the path that looks finished.
#include "file_renderer.h"

#include <sndfile.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <vector>

#include "../clock.h"
#include "soft_synth.h"
#include "synth_device.h"

namespace mm {
namespace {

constexpr int kSampleRate = 44100;
constexpr int kBlockFrames = 1024;
// FluidSynth applies a message at the start of its next internal block of
// 64 frames. Rendering up to the block boundary nearest the due time puts
// each event within half a block (0.7 ms) of its time, early or late, never
// adding up.
constexpr int64_t kSynthBlock = 64;
// Release tails and reverb die out well within this; a note that never ends
// (a held organ without its note-off) is cut here.
constexpr int64_t kMaxTailFrames = 5 * kSampleRate;
// The tail ends when the output stays below -80 dB (3 steps of 16 bits):
// the reverb's last whisper would otherwise keep it going for seconds.
constexpr float kSilent = 1e-4f;

struct SndFileCloser {
  void operator()(SNDFILE* f) const { sf_close(f); }
};

}  // namespace

struct FileRenderer::State {
  std::string path;
  std::string partPath;
  mutable std::mutex lock;
  std::unique_ptr<SoftSynth> synth;
  std::unique_ptr<SNDFILE, SndFileCloser> file;  // set while a render is open and healthy
  bool open = false;
  int64_t startMicros = 0;
  int64_t frames = 0;
  uint32_t volume = 0xFFFFFFFF;
  std::string error;
  std::vector<float> block = std::vector<float>(2 * kBlockFrames);
  std::vector<int16_t> pcm = std::vector<int16_t>(2 * kBlockFrames);

  // Drops the partial file and keeps why.
  void Fail(const std::string& why) {
    error = why;
    file.reset();
    std::remove(partPath.c_str());
  }

  // Renders `n` frames (n <= kBlockFrames) and appends them; the block's
  // peak, or a negative value when the write failed. The samples are
  // rounded to 16 bits here, clipped at full scale: libsndfile's clipping
  // conversion turns the synthesizer's tiny negative residue (its reverb's
  // guard against denormals) into a constant -1 where silence should be 0.
  float WriteBlock(int n) {
    synth->Render(block.data(), n);
    float peak = 0;
    for (int i = 0; i < 2 * n; ++i) {
      peak = std::max(peak, std::fabs(block[i]));
      pcm[i] = static_cast<int16_t>(std::lrintf(std::clamp(block[i], -1.0f, 1.0f) * 32767.0f));
    }
    if (sf_writef_short(file.get(), pcm.data(), n) != n) {
      Fail("cannot write " + path + " (" + sf_strerror(file.get()) + ")");
      return -1;
    }
    frames += n;
    return peak;
  }

  // Audio up to `micros` on the clock, counted from the open, so that the
  // next message lands where it is due.
  void RenderUntil(int64_t micros) {
    int64_t due = ((micros - startMicros) * kSampleRate + 500000) / 1000000;
    int64_t target = (due + kSynthBlock / 2) / kSynthBlock * kSynthBlock;
    while (file && frames < target) {
      WriteBlock(static_cast<int>(std::min<int64_t>(kBlockFrames, target - frames)));
    }
  }

  // Once we've run out of messages, keep rendering until the sound has
  // stayed below -80 dB for a tenth of a second: voices in the last of
  // their release, inaudible, would otherwise keep the file going.
  void RenderTail() {
    int64_t quiet = 0;
    for (int64_t tail = 0; file && tail < kMaxTailFrames && quiet < kSampleRate / 10; tail += kBlockFrames) {
      float peak = WriteBlock(kBlockFrames);
      quiet = peak >= 0 && peak < kSilent ? quiet + kBlockFrames : 0;
    }
  }

  void Finish() {
    if (!file) return;
    if (sf_close(file.release()) != 0) {
      Fail("cannot complete " + path + " (the data could not be written)");
      return;
    }
    if (std::rename(partPath.c_str(), path.c_str()) != 0) {
      Fail("cannot write " + path + " (" + std::strerror(errno) + ")");
    }
  }
};

FileRenderer::FileRenderer(std::string wavPath) : state_(std::make_unique<State>()) {
  state_->path = std::move(wavPath);
  state_->partPath = state_->path + ".part";
}

FileRenderer::~FileRenderer() {
  if (state_->file) state_->Fail("the render was never finished");
}

std::string FileRenderer::Name() const { return "WAV file renderer"; }

MMRESULT FileRenderer::Open(std::string& reason) {
  State& s = *state_;
  std::lock_guard lock(s.lock);
  if (s.open) {
    reason = s.path + " is already being written";
    return MMSYSERR_ALLOCATED;
  }
  s.error.clear();
  s.frames = 0;
  // Rendering reads each preset's samples when a channel first selects it.
  s.synth = SoftSynth::Create({.soundFont = SoundFont(), .sampleRate = kSampleRate, .loadSamplesOnDemand = true},
                              reason);
  if (!s.synth || !s.synth->LoadSoundFont(reason)) {
    s.synth.reset();
    return MMSYSERR_NODRIVER;
  }
  s.synth->SetVolume(s.volume);

  SF_INFO info{};
  info.samplerate = kSampleRate;
  info.channels = 2;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  errno = 0;
  s.file.reset(sf_open(s.partPath.c_str(), SFM_WRITE, &info));
  if (!s.file) {
    reason = "cannot create " + s.path + " (" + (errno ? std::strerror(errno) : sf_strerror(nullptr)) + ")";
    s.synth.reset();
    return MMSYSERR_NODRIVER;
  }
  s.startMicros = clock::NowMicros();
  s.open = true;
  return MMSYSERR_NOERROR;
}

void FileRenderer::Close() {
  State& s = *state_;
  std::lock_guard lock(s.lock);
  if (!s.open) return;
  s.open = false;
  s.RenderUntil(clock::NowMicros());
  s.RenderTail();
  s.Finish();
  s.synth.reset();
}

void FileRenderer::SendShortMessage(uint32_t message) {
  State& s = *state_;
  std::lock_guard lock(s.lock);
  if (!s.file) return;
  s.RenderUntil(clock::NowMicros());
  s.synth->Send(message);
}

// The notes are released rather than cut: the player resets the device as
// the song ends, and the file should end as the song does, with its tail.
void FileRenderer::Reset() {
  State& s = *state_;
  std::lock_guard lock(s.lock);
  if (!s.file) return;
  s.RenderUntil(clock::NowMicros());
  s.synth->ReleaseAll();
}

MMRESULT FileRenderer::GetVolume(uint32_t& volume) {
  std::lock_guard lock(state_->lock);
  volume = state_->volume;
  return MMSYSERR_NOERROR;
}

MMRESULT FileRenderer::SetVolume(uint32_t volume) {
  State& s = *state_;
  std::lock_guard lock(s.lock);
  s.volume = volume;
  if (s.file) {
    s.RenderUntil(clock::NowMicros());
    s.synth->SetVolume(volume);
  }
  return MMSYSERR_NOERROR;
}

const std::string& FileRenderer::Path() const noexcept { return state_->path; }

std::string FileRenderer::Error() const {
  std::lock_guard lock(state_->lock);
  return state_->error;
}

int64_t FileRenderer::FramesWritten() const {
  std::lock_guard lock(state_->lock);
  return state_->frames;
}

}  // namespace mm
