// Opens the songs written by scripts/make-sample-songs through clsMidi, as a
// client does, and checks what the player made of them against a second,
// deliberately plain reading of the same bytes done here: chunks, variable-
// length quantities, running status, meta and system exclusive data skipped
// by length, a stable merge by tick then track. The lyric and title rules
// are modelled just far enough for these files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "clsMidi.h"
#include "platform/dialogs.h"

namespace sonara {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

// ---- The plain reader ----

struct Reading {
  int division = 0;
  std::vector<EventRecord> timeline;  // records 1..n
  std::vector<std::pair<int32_t, int32_t>> tempos;  // (tick, µs per quarter) in timeline order
  std::array<std::string, 3> titles;
  std::vector<SyllableRecord> syllables{SyllableRecord{}};
  std::vector<std::string> phrases{"", "", ""};
  std::string lyricText;
  int timeSigNumerator = 4, timeSigDenominator = 4;
  bool karaoke = false;
  ChannelArray<int> program{}, volume{}, balance{};
  ChannelArray<bool> used{};
  int programChanges = 0;
  int maxChord = 0;  // most notes sounding at once on one melodic channel
};

// UTF-8 when it is valid, else the bytes as Latin-1 (all these files need of Windows-1252).
std::string Text(const Bytes& b) {
  bool valid = true;
  for (size_t i = 0; i < b.size() && valid;) {
    const int n = b[i] < 0x80 ? 0 : (b[i] & 0xE0) == 0xC0 ? 1 : (b[i] & 0xF0) == 0xE0 ? 2 : (b[i] & 0xF8) == 0xF0 ? 3 : -1;
    valid = n >= 0;
    for (int k = 1; valid && k <= n; ++k) valid = i + k < b.size() && (b[i + k] & 0xC0) == 0x80;
    i += n + 1;
  }
  if (valid) return std::string(b.begin(), b.end());
  std::string out;
  for (uint8_t c : b) {
    if (c < 0x80) out += char(c);
    else out += {char(0xC0 | (c >> 6)), char(0x80 | (c & 0x3F))};
  }
  return out;
}

int16_t Chars(const std::string& s) {
  return int16_t(std::count_if(s.begin(), s.end(), [](char c) { return (uint8_t(c) & 0xC0) != 0x80; }));
}

std::string StripMark(std::string s) {
  s.erase(0, s.find_first_not_of(' '));
  return s.substr(1);
}

char FirstAfterSpaces(const std::string& s) {
  const size_t i = s.find_first_not_of(' ');
  return i == std::string::npos ? '\0' : s[i];
}

class PlainReader {
 public:
  explicit PlainReader(const Bytes& file) : f_(file) {}

  Reading Read(const std::string& fileName) {
    r_.titles[0] = fileName;
    r_.balance.fill(63);  // the per-song default before the file's controllers
    r_.division = Be(12, 2);
    const uint32_t tracks = Be(10, 2);
    std::vector<Bytes> chunks;
    for (size_t pos = 8 + Be(4, 4); pos + 8 <= f_.size() && chunks.size() < tracks;) {
      const size_t length = Be(pos + 4, 4), begin = pos + 8, end = std::min(f_.size(), begin + length);
      if (std::equal(f_.begin() + pos, f_.begin() + pos + 4, "MTrk")) chunks.emplace_back(f_.begin() + begin, f_.begin() + end);
      pos = begin + length;
    }
    for (size_t t = 0; t < chunks.size() && karaokeTrack_ < 0; ++t) {
      const std::string s(chunks[t].begin(), chunks[t].end());
      std::string lower(s);
      std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
      if (lower.find("\xff\x03\x05words") != std::string::npos) karaokeTrack_ = int(t);
    }
    r_.karaoke = karaokeTrack_ >= 0;
    std::vector<std::vector<EventRecord>> perTrack;
    for (size_t t = 0; t < chunks.size(); ++t) perTrack.push_back(Decode(chunks[t], int(t) == karaokeTrack_));
    ClosePhrase();
    r_.phrases.push_back("");
    for (auto& track : perTrack) r_.timeline.insert(r_.timeline.end(), track.begin(), track.end());
    std::stable_sort(r_.timeline.begin(), r_.timeline.end(),
                     [](const EventRecord& a, const EventRecord& b) { return a.AbsTick < b.AbsTick; });
    for (size_t i = 0; i < r_.timeline.size(); ++i) {
      EventRecord& e = r_.timeline[i];
      e.DeltaTicks = i == 0 ? 0 : e.AbsTick - r_.timeline[i - 1].AbsTick;
      if (e.Message >> 24 == 1) r_.tempos.emplace_back(e.AbsTick, e.Message & 0xFFFFFF);
      else r_.used[e.Message & 0x0F] = true;
    }
    return r_;
  }

 private:
  uint32_t Be(size_t at, int count) const {
    uint32_t v = 0;
    for (int i = 0; i < count; ++i) v = v << 8 | (at + i < f_.size() ? f_[at + i] : 0);
    return v;
  }

  static uint32_t Vlq(const Bytes& d, size_t& p) {
    uint32_t v = 0;
    for (int i = 0; i < 4 && p < d.size(); ++i) {
      v = v << 7 | (d[p] & 0x7F);
      if (!(d[p++] & 0x80)) break;
    }
    return v;
  }

  std::vector<EventRecord> Decode(const Bytes& d, bool karaokeTrack) {
    std::vector<EventRecord> out;
    const int32_t shift = karaokeTrack ? 1 : 0;  // the karaoke track plays one tick late
    auto store = [&](int32_t tick, int32_t message, int16_t lyric = 0) {
      out.push_back({0, tick + shift, message, lyric});
    };
    if (karaokeTrack) out.push_back({0, 1, 0xD0, 0});
    int32_t tick = 0;
    std::map<int, int> sounding;  // per channel
    for (size_t p = 0; p < d.size();) {
      const int32_t previous = tick;
      tick += int32_t(Vlq(d, p));
      if (p >= d.size()) break;
      const uint8_t s = d[p];
      if (s == 0xFF) {
        const uint8_t type = d[p + 1];
        p += 2;
        const size_t length = Vlq(d, p);
        const Bytes body(d.begin() + p, d.begin() + std::min(d.size(), p + length));
        p += length;
        if (type == 0x2F) break;
        if (type == 0x51) store(tick, 0x01000000 | (body[0] << 16 | body[1] << 8 | body[2]));
        if (type == 0x58) r_.timeSigNumerator = body[0], r_.timeSigDenominator = 1 << body[1];
        if (type == 0x01 && body.size() >= 2 && body[0] == '@' && body[1] == 'T' && titleCount_++ < 3)
          r_.titles[titleCount_ - 1] = Text(Bytes(body.begin() + 2, body.end()));
        if (type == 0x01 && karaokeTrack && tick > 0 && !body.empty() && body[0] != '@')
          KaraokeSyllable(Text(body), previous, tick, store);
        if (type == 0x05 && !r_.karaoke) LyricSyllable(body, tick, store);
      } else if (s == 0xF0 || s == 0xF7) {
        ++p;
        p += Vlq(d, p);
      } else {
        if (s & 0x80) running_ = s, ++p;
        const int kind = running_ & 0xF0, ch = running_ & 0x0F;
        const bool two = kind == 0xC0 || kind == 0xD0;
        const int d1 = d[p], d2 = two ? 0 : d[p + 1];
        p += two ? 1 : 2;
        store(tick, running_ | d1 << 8 | d2 << 16);
        if (kind == 0xB0 && d1 == 7) r_.volume[ch] = d2;
        if (kind == 0xB0 && d1 == 8) r_.balance[ch] = d2;
        if (kind == 0xC0) r_.program[ch] = d1, ++r_.programChanges;
        if (kind == 0x90 && ch != 9) sounding[ch] += d2 ? 1 : -1;
        if (kind == 0x80 && ch != 9) --sounding[ch];
        if (kind == 0x90 && d2 && ch != 9) r_.maxChord = std::max(r_.maxChord, sounding[ch]);
      }
    }
    return out;
  }

  void ClosePhrase() { r_.lyricText += r_.phrases[current_] + "\r\n"; }
  void StartPhrase(const std::string& s) {
    r_.phrases.push_back(s);
    current_ = int16_t(r_.phrases.size() - 1);
  }
  int16_t AddSyllable(const std::string& s, int32_t offset, int16_t phrase) {
    r_.syllables.push_back({s, Chars(s), offset, phrase});
    return int16_t(r_.syllables.size() - 1);
  }

  template <class Store>
  void KaraokeSyllable(std::string s, int32_t previous, int32_t tick, Store& store) {
    int32_t offset = 0;
    const char mark = FirstAfterSpaces(s);
    if (mark == '/' || mark == '\\') {
      s = StripMark(s);
      ClosePhrase();
      StartPhrase(s);
      // A new paragraph also announces the change of line halfway to the syllable.
      if (mark == '\\') store(previous + (tick - previous) / 2, 0xD0, AddSyllable("", -1, int16_t(current_ - 1)));
    } else {
      offset = Chars(r_.phrases[current_]);
      r_.phrases[current_] += s;
    }
    store(tick, 0xD0, AddSyllable(s, offset, current_));
  }

  template <class Store>
  void LyricSyllable(const Bytes& body, int32_t tick, Store& store) {
    std::string s = Text(body);
    const char mark = FirstAfterSpaces(s);
    if (tick == 0) {
      store(tick, 0xD0, AddSyllable("", 0, int16_t(current_ - 1)));
    } else if (mark == '/' || mark == '\\') {
      s = StripMark(s);
      ClosePhrase();
      StartPhrase(s);
      AddSyllable(s, 0, current_);  // part of the line, never reported on its own
    } else if (!body.empty() && body[0] == '\r') {
      ClosePhrase();
      StartPhrase("");
    } else {
      const int32_t offset = Chars(r_.phrases[current_]);
      r_.phrases[current_] += s;
      store(tick, 0xD0, AddSyllable(s, offset, current_));
    }
  }

  const Bytes& f_;
  Reading r_;
  int karaokeTrack_ = -1;
  int titleCount_ = 0;
  int16_t current_ = 2;
  uint8_t running_ = 0;  // carried from track to track
};

// The length of a song of that many ticks in milliseconds, through its tempo changes.
double LengthMs(const Reading& r, int32_t ticks) {
  double us = 0;
  int32_t at = 0, tempo = 500000;
  for (const auto& [tick, value] : r.tempos) {
    if (tick > ticks) break;
    us += double(tick - at) * tempo / r.division;
    at = tick, tempo = value;
  }
  us += double(ticks - at) * tempo / r.division;
  return us / 1000;
}

std::string ClockText(double ms) {
  const auto n = int64_t(std::nearbyint(ms));
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", int(n / 3600000), int(n / 60000 % 60), int(n / 1000 % 60));
  return text;
}

// ---- The songs ----

class InfoSink : public clsMidiEvents {
 public:
  void MidiInfo(const std::string& length, const std::string& signature) override {
    lengthText = length;
    timeSignature = signature;
  }
  std::string lengthText, timeSignature;
};

struct Song {
  const char* file;
  bool karaoke;        // words in a karaoke text track
  bool lyricEvents;    // words as lyric events
  int minTempoRecords;
};
void PrintTo(const Song& song, std::ostream* os) { *os << song.file; }

// Every song has several tracks, chords and drums on channel 10; each is
// special in the way its comment says.
const Song kSongs[] = {
    {"morning-walk.mid", false, false, 2},         // program change mid-song, balance and pan controllers
    {"harbour-waltz.mid", false, false, 3},        // 3/4, a system exclusive message, note-offs, pitch bend
    {"night-train.mid", false, false, 2},          // a chunk of unknown kind between the tracks
    {"lantern-on-the-hill.kar", true, false, 1},   // the karaoke sample: "words" track, "@" headers, line marks
    {"paper-boats.mid", false, true, 2},           // lyric events, a Windows-1252 syllable, a lone carriage return
};

class GeneratedSongTest : public ::testing::TestWithParam<Song> {
 protected:
  void SetUp() override {
    ResetPlayerStore();
    previousHandler = mm::SetMessageBoxHandler([this](const std::string& text, const std::string&, uint32_t) {
      messages += text;
      return mm::IDOK;
    });
    path = std::string(SONARA_SONGS_DIR) + "/" + GetParam().file;
    bytes = ReadFileBytes(path);
    ASSERT_GT(bytes.size(), 500u) << path << " was not generated";
    expected = PlainReader(bytes).Read(path);
    player = clsMidi::Create();
    info = std::make_shared<InfoSink>();
    player->Advise(info);
    player->OpenMidiFile(path);
    ASSERT_EQ(player->get_Status(), kStatusFileOpen) << messages;
  }
  void TearDown() override {
    player.reset();
    ResetPlayerStore();
    mm::SetMessageBoxHandler(previousHandler);
  }

  mm::MessageBoxHandler previousHandler;
  std::string messages, path;
  Bytes bytes;
  Reading expected;
  std::shared_ptr<clsMidi> player;
  std::shared_ptr<InfoSink> info;
};

TEST_P(GeneratedSongTest, SongHasTheMaterialItIsMeantToTest) {
  const Song& song = GetParam();
  EXPECT_EQ(expected.karaoke, song.karaoke);
  EXPECT_GE(expected.maxChord, 3) << "no chords";
  EXPECT_TRUE(expected.used[9]) << "no drums on channel 10";
  EXPECT_GE(expected.programChanges, 2);
  EXPECT_GE(int(expected.tempos.size()), song.minTempoRecords);
  EXPECT_EQ(expected.syllables.size() > 1, song.karaoke || song.lyricEvents);
}

TEST_P(GeneratedSongTest, TimelineMatchesThePlainReading) {
  const auto& timeline = modMidi.Timeline;
  ASSERT_TRUE(timeline.Created());
  ASSERT_EQ(timeline.UBound(), int32_t(expected.timeline.size()));
  EXPECT_EQ(timeline[0], EventRecord{});
  for (size_t i = 0; i < expected.timeline.size(); ++i) {
    const EventRecord& got = timeline[int64_t(i) + 1];
    const EventRecord& want = expected.timeline[i];
    ASSERT_EQ(got, want) << "record " << i + 1 << ": got tick " << got.AbsTick << " delta " << got.DeltaTicks
                         << " message " << std::hex << got.Message << std::dec << " lyric " << got.LyricIndex
                         << "; want tick " << want.AbsTick << " delta " << want.DeltaTicks << " message "
                         << std::hex << want.Message << std::dec << " lyric " << want.LyricIndex;
  }
  EXPECT_EQ(player->get_TimeLength(), expected.timeline.back().AbsTick);
}

TEST_P(GeneratedSongTest, SongInformationMatchesThePlainReading) {
  EXPECT_EQ(modMidi.Division, expected.division);
  EXPECT_EQ(modMidi.Tempo, expected.tempos.empty() || expected.tempos[0].first > 0 ? 500000 : expected.tempos[0].second);
  EXPECT_EQ(info->timeSignature,
            std::to_string(expected.timeSigNumerator) + "/" + std::to_string(expected.timeSigDenominator));
  EXPECT_EQ(info->lengthText, ClockText(LengthMs(expected, expected.timeline.back().AbsTick)));
  for (int16_t i = 0; i < 3; ++i) EXPECT_EQ(player->get_Titles(i), expected.titles[i]) << "title " << i;
}

TEST_P(GeneratedSongTest, ChannelSettingsMatchThePlainReading) {
  for (int16_t ch = 0; ch < kChannelCount; ++ch) {
    SCOPED_TRACE("channel index " + std::to_string(ch));
    const bool used = expected.used[ch];
    EXPECT_EQ(player->get_ValidChannel(ch), ToVariantBool(used));
    EXPECT_EQ(player->get_MuteChannel(ch), ToVariantBool(!used));
    const int volume = used ? (expected.volume[ch] ? expected.volume[ch] : 90) : 0;
    const int balance = used && expected.balance[ch] != 0 ? expected.balance[ch] : 64;
    EXPECT_EQ(player->get_Volume(ch), volume);
    EXPECT_EQ(player->get_Balance(ch), balance);
    EXPECT_EQ(player->get_Instrument(ch), std::to_string(used ? expected.program[ch] : 0));
  }
}

TEST_P(GeneratedSongTest, LyricTablesMatchThePlainReading) {
  EXPECT_EQ(modMidi.KaraokeMode, ToVariantBool(expected.karaoke));
  EXPECT_EQ(player->get_LyricText(), expected.lyricText);
  const auto& phrases = modMidi.LyricPhrases;
  ASSERT_TRUE(phrases.Created());
  EXPECT_EQ(phrases.Items(), expected.phrases);
  const auto& syllables = modMidi.LyricSyllables;
  ASSERT_TRUE(syllables.Created());
  ASSERT_EQ(syllables.Count(), int32_t(expected.syllables.size()));
  for (size_t i = 0; i < expected.syllables.size(); ++i) {
    const SyllableRecord& got = syllables.Items()[i];
    const SyllableRecord& want = expected.syllables[i];
    EXPECT_EQ(got.Text, want.Text) << "syllable " << i;
    EXPECT_EQ(got.Length, want.Length) << "syllable " << i;
    EXPECT_EQ(got.PhraseOffset, want.PhraseOffset) << "syllable " << i;
    EXPECT_EQ(got.Phrase, want.Phrase) << "syllable " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(Songs, GeneratedSongTest, ::testing::ValuesIn(kSongs),
                         [](const auto& info) {
                           std::string name = info.param.file;
                           name = name.substr(0, name.find('.'));
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name;
                         });

}  // namespace
}  // namespace sonara
