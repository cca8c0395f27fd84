// Song files built byte by byte for the loader's tests, and a fixture that
// loads them through a fresh player with a recording sink.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "clsMidi.h"
#include "modMidi.h"
#include "platform/dialogs.h"
#include "support/RecordingSink.h"

namespace sonara::testing {

using Bytes = std::vector<uint8_t>;

inline Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

inline Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

// A variable-length quantity.
inline Bytes Vlq(uint32_t v) {
  Bytes out{static_cast<uint8_t>(v & 0x7F)};
  while (v >>= 7) out.insert(out.begin(), static_cast<uint8_t>(0x80 | (v & 0x7F)));
  return out;
}

inline Bytes Be32(uint32_t v) {
  return {static_cast<uint8_t>(v >> 24), static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8),
          static_cast<uint8_t>(v)};
}

// The file header: id, length, format, track count, division.
inline Bytes Header(uint16_t tracks, uint16_t division = 480, uint16_t format = 1, uint32_t length = 6,
                    const std::string& id = "MThd") {
  Bytes h = Text(id) + Be32(length) +
            Bytes{static_cast<uint8_t>(format >> 8), static_cast<uint8_t>(format),
                  static_cast<uint8_t>(tracks >> 8), static_cast<uint8_t>(tracks),
                  static_cast<uint8_t>(division >> 8), static_cast<uint8_t>(division)};
  // Header bytes beyond the six known ones.
  if (length > 6) h.resize(h.size() + (length - 6), 0);
  return h;
}

inline Bytes Chunk(const std::string& id, const Bytes& data) { return Text(id) + Be32(static_cast<uint32_t>(data.size())) + data; }
inline Bytes Track(const Bytes& events) { return Chunk("MTrk", events); }

// Events: delta time, then the event's bytes.
inline Bytes Ev(uint32_t delta, std::initializer_list<uint8_t> bytes) { return Vlq(delta) + Bytes(bytes); }
inline Bytes Meta(uint32_t delta, uint8_t type, const Bytes& data) {
  return Vlq(delta) + Bytes{0xFF, type} + Vlq(static_cast<uint32_t>(data.size())) + data;
}
inline Bytes TextEv(uint32_t delta, const std::string& s) { return Meta(delta, 0x01, Text(s)); }
inline Bytes LyricEv(uint32_t delta, const std::string& s) { return Meta(delta, 0x05, Text(s)); }
inline Bytes NameEv(uint32_t delta, const std::string& s) { return Meta(delta, 0x03, Text(s)); }
inline Bytes TempoEv(uint32_t delta, uint32_t us) {
  return Meta(delta, 0x51, {static_cast<uint8_t>(us >> 16), static_cast<uint8_t>(us >> 8), static_cast<uint8_t>(us)});
}
inline Bytes TimeSigEv(uint32_t delta, uint8_t num, uint8_t power) { return Meta(delta, 0x58, {num, power, 24, 8}); }
inline Bytes EndOfTrack(uint32_t delta = 0) { return Meta(delta, 0x2F, {}); }

// A Timeline record as "tick:MESSAGE" (8 hex digits), with "/index" for a lyric event.
inline std::string RecordText(const EventRecord& r) {
  char text[48];
  if (r.LyricIndex != 0) {
    std::snprintf(text, sizeof text, "%d:%08X/%d", r.AbsTick, static_cast<uint32_t>(r.Message), r.LyricIndex);
  } else {
    std::snprintf(text, sizeof text, "%d:%08X", r.AbsTick, static_cast<uint32_t>(r.Message));
  }
  return text;
}

// Records 1..n of the Timeline.
inline std::vector<std::string> TimelineText() {
  std::vector<std::string> out;
  const auto& items = modMidi.Timeline.Items();
  for (size_t i = 1; i < items.size(); ++i) out.push_back(RecordText(items[i]));
  return out;
}

inline std::vector<int32_t> TimelineDeltas() {
  std::vector<int32_t> out;
  const auto& items = modMidi.Timeline.Items();
  for (size_t i = 1; i < items.size(); ++i) out.push_back(items[i].DeltaTicks);
  return out;
}

class LoaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetPlayerStore();
    previousBox_ = mm::SetMessageBoxHandler([this](const std::string& text, const std::string& caption, uint32_t style) {
      boxes.push_back(text + "|" + caption + "|" + std::to_string(style));
      return mm::IDOK;
    });
    player = clsMidi::Create();
    sink = std::make_shared<RecordingSink>();
    player->Advise(sink);
  }
  void TearDown() override {
    mm::SetMessageBoxHandler(previousBox_);
    player.reset();
    ResetPlayerStore();
  }

  void Load(const Bytes& bytes, const std::string& name = "song.mid") {
    sink->lines.clear();
    player->OpenMidiData(name, bytes);
  }

  // The recorded events whose line starts with prefix.
  std::vector<std::string> Events(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const auto& line : sink->lines) {
      if (line.rfind(prefix, 0) == 0) out.push_back(line);
    }
    return out;
  }

  std::shared_ptr<clsMidi> player;
  std::shared_ptr<RecordingSink> sink;
  std::vector<std::string> boxes;

 private:
  mm::MessageBoxHandler previousBox_;
};

}  // namespace sonara::testing
