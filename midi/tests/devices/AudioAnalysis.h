// Measuring rendered audio: reading a WAV, levels, the dominant frequency
// and note onsets.
#pragma once

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <string>
#include <vector>

namespace devices_test {

struct Audio {
  int rate = 0;
  int channels = 0;
  int64_t frames = 0;
  std::vector<float> mono;  // the mean of the channels, full scale at ±1

  double Seconds() const { return rate ? static_cast<double>(frames) / rate : 0; }
  size_t At(double seconds) const {
    return std::min(mono.size(), static_cast<size_t>(std::max(0.0, seconds) * rate + 0.5));
  }
};

// An empty Audio (rate 0) when the file cannot be read.
inline Audio ReadWav(const std::string& path) {
  Audio a;
  SF_INFO info{};
  SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
  if (!f) return a;
  std::vector<float> frames(static_cast<size_t>(info.frames) * info.channels);
  sf_count_t got = sf_readf_float(f, frames.data(), info.frames);
  sf_close(f);
  a.rate = info.samplerate;
  a.channels = info.channels;
  a.frames = got;
  a.mono.resize(static_cast<size_t>(got));
  for (sf_count_t i = 0; i < got; ++i) {
    float sum = 0;
    for (int c = 0; c < info.channels; ++c) sum += frames[static_cast<size_t>(i * info.channels + c)];
    a.mono[static_cast<size_t>(i)] = sum / static_cast<float>(info.channels);
  }
  return a;
}

inline double Rms(const Audio& a, double from, double to) {
  size_t b = a.At(from), e = a.At(to);
  if (e <= b) return 0;
  double sum = 0;
  for (size_t i = b; i < e; ++i) sum += static_cast<double>(a.mono[i]) * a.mono[i];
  return std::sqrt(sum / static_cast<double>(e - b));
}

// Whether [from, to) holds a run of at least `run` seconds of exact zeros:
// digital silence, which live sound with its reverberation never gives.
inline bool HasDigitalSilence(const Audio& a, double from, double to, double run) {
  const auto needed = static_cast<size_t>(run * a.rate);
  size_t zeros = 0;
  for (size_t i = a.At(from), e = a.At(to); i < e; ++i) {
    zeros = a.mono[i] == 0.0f ? zeros + 1 : 0;
    if (zeros >= needed) return true;
  }
  return false;
}

inline void Fft(std::vector<std::complex<double>>& x) {
  const size_t n = x.size();
  for (size_t i = 1, j = 0; i < n; ++i) {
    size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) std::swap(x[i], x[j]);
  }
  for (size_t len = 2; len <= n; len <<= 1) {
    std::complex<double> step = std::polar(1.0, -2 * std::numbers::pi / static_cast<double>(len));
    for (size_t i = 0; i < n; i += len) {
      std::complex<double> w = 1;
      for (size_t k = 0; k < len / 2; ++k, w *= step) {
        auto u = x[i + k], v = x[i + k + len / 2] * w;
        x[i + k] = u + v;
        x[i + k + len / 2] = u - v;
      }
    }
  }
}

// The strongest frequency between `from` and `to` seconds: a Hann-windowed
// FFT, zero-padded to at least 2^16 points, refined between bins by a
// parabola through the log magnitudes.
inline double DominantFrequency(const Audio& a, double from, double to) {
  size_t b = a.At(from), e = a.At(to);
  if (e <= b + 2) return 0;
  size_t n = 1u << 16;
  while (n < e - b) n <<= 1;
  std::vector<std::complex<double>> x(n);
  const double len = static_cast<double>(e - b);
  for (size_t i = b; i < e; ++i) {
    double w = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * static_cast<double>(i - b) / (len - 1));
    x[i - b] = a.mono[i] * w;
  }
  Fft(x);
  size_t best = 1;
  for (size_t k = 1; k < n / 2; ++k) {
    if (std::abs(x[k]) > std::abs(x[best])) best = k;
  }
  double l = std::log(std::abs(x[best - 1]) + 1e-12), c = std::log(std::abs(x[best]) + 1e-12),
         r = std::log(std::abs(x[best + 1]) + 1e-12);
  double shift = (l - r) / (2 * (l - 2 * c + r));
  return (static_cast<double>(best) + shift) * a.rate / static_cast<double>(n);
}

// Times (seconds) at which the sound first rises above `threshold` after at
// least `quiet` seconds below it.
inline std::vector<double> Onsets(const Audio& a, float threshold, double quiet = 0.05) {
  std::vector<double> out;
  const auto quietFrames = static_cast<int64_t>(quiet * a.rate);
  int64_t below = quietFrames;  // the start counts as quiet
  for (size_t i = 0; i < a.mono.size(); ++i) {
    if (std::fabs(a.mono[i]) > threshold) {
      if (below >= quietFrames) out.push_back(static_cast<double>(i) / a.rate);
      below = 0;
    } else {
      ++below;
    }
  }
  return out;
}

// Onsets by the level in frames of `frame` seconds: a frame whose RMS rises
// above `high` after the level has fallen below `low` since the previous
// onset, and at least `gap` seconds after it. For sustained sounds whose
// tails and breath noise defeat a plain threshold, recorded live (where a
// short dropout must not count as a new note). Digital silence amid sound
// is a dropout of the recording (the sound server was not fed in time on a
// starved machine), not the end of a note: a frame touched by one does not arm.
inline std::vector<double> LevelOnsets(const Audio& a, double high, double low, double frame, double gap) {
  std::vector<double> out;
  bool armed = true;
  for (double t = 0; t + frame <= a.Seconds(); t += frame) {
    if (!armed && HasDigitalSilence(a, t, t + frame, 0.002)) continue;
    const double level = Rms(a, t, t + frame);
    if (armed && level > high && (out.empty() || t - out.back() >= gap)) {
      out.push_back(t);
      armed = false;
    } else if (!armed && level < low) {
      armed = true;
    }
  }
  return out;
}

// The time of the last sample above `threshold`, or 0.
inline double LastSound(const Audio& a, float threshold) {
  for (size_t i = a.mono.size(); i-- > 0;) {
    if (std::fabs(a.mono[i]) > threshold) return static_cast<double>(i) / a.rate;
  }
  return 0;
}

}  // namespace devices_test
