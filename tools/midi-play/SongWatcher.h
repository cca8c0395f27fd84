// The player's sink for clsMidi's events: it keeps the DisplayState up to
// date and reports what the plain-line output prints (status changes, each
// lyric line as it starts, progress).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "DisplayState.h"
#include "clsMidiEvents.h"

namespace midiplay {

struct Notice {
  enum class Kind { Status, LyricLine, Progress };
  Kind kind;
  std::string text;   // status text, lyric line or clock text
  int32_t value = 0;  // status code or ticks
};

class SongWatcher : public sonara::clsMidiEvents {
 public:
  using NoticeHandler = std::function<void(const Notice&)>;

  void SetNoticeHandler(NoticeHandler handler) { onNotice_ = std::move(handler); }

  DisplayState& State() noexcept { return state_; }
  const DisplayState& State() const noexcept { return state_; }
  // Whether anything shown has changed since the last call.
  bool TakeChanged() noexcept { return std::exchange(changed_, false); }
  void MarkChanged() noexcept { changed_ = true; }
  // Lets the meters fall back by the time that has passed.
  void DecayMeters(double seconds);
  // Forgets the lyric lines seen, so that the next line counts as new (a
  // new song, or a seek).
  void ForgetLyricLine();

  void NotesPlaying(int16_t, int16_t, const std::string&, int16_t, const std::string&, int16_t) override {}
  void MidiLevel(int16_t channel, int16_t level) override;
  void TextKar(const std::string& syllable, int16_t start, const std::string& phrase,
               const std::string& nextPhrase) override;
  void Progress(int32_t ticks, const std::string& time) override;
  void MidiInfo(const std::string& length, const std::string& signature) override;
  void Status(int16_t status, const std::string& text) override;
  void InstrumentChange(int16_t channel, int16_t program, const std::string& name) override;
  void ChannelMuteChange(int16_t channel, int16_t muted) override;
  void TransposeChange(int16_t value) override;
  void VelocityChange(int16_t value) override;

 private:
  void Tell(Notice notice) {
    if (onNotice_) onNotice_(notice);
  }

  DisplayState state_;
  bool changed_ = true;
  NoticeHandler onNotice_;
  // The lyric line last started and the offset of its last syllable.
  std::string linePhrase_;
  int lineOffset_ = -1;
};

}  // namespace midiplay
