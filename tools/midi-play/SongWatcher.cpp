#include "SongWatcher.h"

#include <algorithm>

#include "SongTiming.h"
#include "TextSafety.h"

namespace midiplay {
namespace {

// A meter falls from full scale to nothing in about two thirds of a second.
constexpr double kMeterFallPerSecond = 200.0;

bool InRange(int16_t channel) { return channel >= 0 && channel < 16; }

}  // namespace

std::string ShownTitle(const DisplayState& state) {
  const std::string& title = state.titles[0];
  if (!title.empty() && title != state.path) return title;
  size_t slash = state.path.find_last_of('/');
  return slash == std::string::npos ? state.path : state.path.substr(slash + 1);
}

double PlayedFraction(const DisplayState& state) {
  const auto played = ClockTextSeconds(state.clockText);
  const auto length = ClockTextSeconds(state.lengthText);
  double fraction = 0;
  if (played && length && *length > 0) {
    fraction = static_cast<double>(*played) / *length;
  } else if (state.songTicks > 0) {
    fraction = static_cast<double>(state.ticks) / state.songTicks;
  }
  return std::clamp(fraction, 0.0, 1.0);
}

void SongWatcher::DecayMeters(double seconds) {
  for (ChannelView& channel : state_.channels) {
    if (channel.level <= 0) continue;
    channel.level = std::max(0.0, channel.level - kMeterFallPerSecond * seconds);
    changed_ = true;
  }
}

void SongWatcher::ForgetLyricLine() {
  linePhrase_.clear();
  lineOffset_ = -1;
}

void SongWatcher::MidiLevel(int16_t channel, int16_t level) {
  if (!InRange(channel)) return;
  double& meter = state_.channels[static_cast<size_t>(channel)].level;
  meter = level <= 0 ? 0.0 : std::max(meter, static_cast<double>(std::min<int16_t>(level, 127)));
  changed_ = true;
}

void SongWatcher::TextKar(const std::string& syllable, int16_t start, const std::string& phrase,
                          const std::string& nextPhrase) {
  LyricView& lyric = state_.lyric;
  changed_ = true;
  lyric.phrase = phrase;
  lyric.nextPhrase = nextPhrase;
  if (start < 0) {
    // The clearing event, or the end of a line: the line (if any) is sung.
    lyric.sungChars = CharCount(phrase);
    if (phrase.empty() && nextPhrase.empty()) ForgetLyricLine();
    return;
  }
  lyric.sungChars = static_cast<size_t>(start) + CharCount(syllable);
  if (phrase.empty()) return;
  // A line starts when the phrase changes, or when the same text begins
  // again (a repeated line: the offset goes back).
  if (phrase != linePhrase_ || start <= lineOffset_) {
    linePhrase_ = phrase;
    Tell({Notice::Kind::LyricLine, phrase, 0});
  }
  lineOffset_ = start;
}

void SongWatcher::Progress(int32_t ticks, const std::string& time) {
  state_.ticks = ticks;
  state_.clockText = time;
  changed_ = true;
  if (state_.status == 1) Tell({Notice::Kind::Progress, time, ticks});
}

void SongWatcher::MidiInfo(const std::string& length, const std::string& signature) {
  state_.lengthText = length;
  state_.timeSignature = signature;
  changed_ = true;
}

void SongWatcher::Status(int16_t status, const std::string& text) {
  state_.status = status;
  changed_ = true;
  Tell({Notice::Kind::Status, text, status});
}

void SongWatcher::InstrumentChange(int16_t channel, int16_t, const std::string& name) {
  if (!InRange(channel)) return;
  state_.channels[static_cast<size_t>(channel)].instrument = name;
  changed_ = true;
}

void SongWatcher::ChannelMuteChange(int16_t channel, int16_t muted) {
  if (!InRange(channel)) return;
  state_.channels[static_cast<size_t>(channel)].muted = muted != 0;
  changed_ = true;
}

void SongWatcher::TransposeChange(int16_t value) {
  state_.transpose = value;
  changed_ = true;
}

void SongWatcher::VelocityChange(int16_t value) {
  state_.speed = value;
  changed_ = true;
}

}  // namespace midiplay
