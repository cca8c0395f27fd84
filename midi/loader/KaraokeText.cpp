// Karaoke text and titles: where the lyrics come from, their syllables and
// phrases, the whole lyric text and the song's titles.
#include <algorithm>
#include <string_view>

#include "clsMidi.h"
#include "loader/FileText.h"
#include "loader/TrackDecodeState.h"

namespace sonara {

namespace {

// Lyric indexes and phrase numbers are 16-bit: a file with more lyrics than
// that keeps the first ones.
constexpr int32_t kMaxLyricEntries = 32767;

constexpr uint8_t AsciiLower(uint8_t b) noexcept { return b >= 'A' && b <= 'Z' ? static_cast<uint8_t>(b + 32) : b; }

// Offset of the first occurrence of pattern in bytes from offset from on,
// letters compared without regard to case; npos when there is none.
size_t FindNoCase(std::span<const uint8_t> bytes, std::string_view pattern, size_t from = 0) {
  if (from > bytes.size()) return std::string_view::npos;
  const auto it = std::search(bytes.begin() + static_cast<std::ptrdiff_t>(from), bytes.end(), pattern.begin(),
                              pattern.end(), [](uint8_t a, char b) {
                                return AsciiLower(a) == AsciiLower(static_cast<uint8_t>(b));
                              });
  return it == bytes.end() ? std::string_view::npos : static_cast<size_t>(it - bytes.begin());
}

std::span<const uint8_t> TrackData(std::span<const uint8_t> file, int16_t track) {
  const ChunkRecord& chunk = modMidi.TrackChunks[track];
  return file.subspan(static_cast<size_t>(chunk.ChunkPosition) + 8, static_cast<size_t>(chunk.ChunkLength));
}

// The text after its leading spaces.
std::span<const uint8_t> SkipSpaces(std::span<const uint8_t> text) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  return text.subspan(i);
}

// The first character after the leading spaces, or 0.
uint8_t MarkOf(std::span<const uint8_t> text) {
  const auto rest = SkipSpaces(text);
  return rest.empty() ? uint8_t{0} : rest[0];
}

// The text without its leading spaces and its mark; spaces after the mark stay.
std::string StripMark(std::span<const uint8_t> text) { return DecodeFileText(SkipSpaces(text).subspan(1)); }

bool LyricTablesFull() {
  return modMidi.LyricSyllables.Count() >= kMaxLyricEntries || modMidi.LyricPhrases.Count() >= kMaxLyricEntries;
}

void ClosePhrase(const TrackDecodeState& state) {
  modMidi.LyricTextStore += modMidi.LyricPhrases[state.CurrentPhrase];
  modMidi.LyricTextStore += "\r\n";
}

void StartPhrase(TrackDecodeState& state, std::string text) {
  state.CurrentPhraseLength = CharacterCount(text);
  modMidi.LyricPhrases.Append(std::move(text));
  state.CurrentPhrase = modMidi.LyricPhrases.UBound();
}

// Appends text to the phrase being built; the result is the offset it starts at.
int32_t AppendToPhrase(TrackDecodeState& state, const std::string& text, int32_t length) {
  const int32_t offset = state.CurrentPhraseLength;
  modMidi.LyricPhrases[state.CurrentPhrase] += text;
  state.CurrentPhraseLength += length;
  return offset;
}

int16_t AddSyllable(std::string text, int32_t length, int32_t offset, int32_t phrase) {
  SyllableRecord syllable;
  syllable.Text = std::move(text);
  syllable.Length = static_cast<int16_t>(std::min(length, 32767));
  syllable.PhraseOffset = offset;
  syllable.Phrase = static_cast<int16_t>(phrase);
  modMidi.LyricSyllables.Append(std::move(syllable));
  return static_cast<int16_t>(modMidi.LyricSyllables.UBound());
}

}  // namespace

int16_t clsMidi::FindKaraokeTrack(std::span<const uint8_t> file) {
  const int16_t tracks = modMidi.TrackCount;
  // A track named "words" (exactly five letters) wins over every other sign.
  static constexpr char kWordsName[] = "\xFF\x03\x05words";
  for (int16_t t = 1; t <= tracks; ++t) {
    if (FindNoCase(TrackData(file, t), std::string_view(kWordsName, 8)) != std::string_view::npos) return t;
  }
  for (int16_t t = 1; t <= tracks; ++t) {
    const auto data = TrackData(file, t);
    if (FindNoCase(data, "@LENGL") != std::string_view::npos) return t;
    const size_t q = FindNoCase(data, "@T");
    if (q == std::string_view::npos) continue;
    // A title text event: its 0xFF 0x01 stands up to three bytes before the text.
    if (FindNoCase(data, std::string_view("\xFF\x01", 2), q >= 3 ? q - 3 : 0) != std::string_view::npos) return t;
  }
  return -1;
}

void clsMidi::ResetLyricTables() {
  modMidi.LyricPhrases.Create(0, 2);
  modMidi.LyricSyllables.Create(0, 0);
  modMidi.TitleList[0] = fileName_;
  modMidi.TitleList[1].clear();
  modMidi.TitleList[2].clear();
  modMidi.LyricTextStore.clear();
}

void clsMidi::TitleStep(TrackDecodeState& state, std::span<const uint8_t> text) {
  if (text.size() < 2 || text[0] != '@' || text[1] != 'T') return;
  if (state.TitleCount <= 2) modMidi.TitleList[static_cast<size_t>(state.TitleCount)] = DecodeFileText(text.subspan(2));
  if (state.TitleCount < 32767) ++state.TitleCount;
}

void clsMidi::KaraokeTextStep(TrackDecodeState& state, std::span<const uint8_t> text) {
  if (state.TrackTick <= 0) return;                 // texts at the start are headers, not lyrics
  if (!text.empty() && text[0] == '@') return;      // "@" texts are information
  if (LyricTablesFull()) return;
  const uint8_t mark = MarkOf(text);
  int32_t half = 0;
  int32_t offset = 0;
  std::string syllable;
  if (mark == '/' || mark == '\\') {
    syllable = StripMark(text);
    ClosePhrase(state);
    StartPhrase(state, syllable);
    if (mark == '\\') {
      // A new paragraph: the display changes lines halfway to the syllable.
      const int16_t change = AddSyllable("", 0, -1, state.CurrentPhrase - 1);
      half = state.PendingDelta / 2;
      StoreTrackEvent(half, kLyricCarrier, state.Track, change);
    }
  } else {
    syllable = DecodeFileText(text);
    offset = AppendToPhrase(state, syllable, CharacterCount(syllable));
  }
  const int32_t length = CharacterCount(syllable);
  const int16_t index = AddSyllable(std::move(syllable), length, offset, state.CurrentPhrase);
  StoreTrackEvent(state.PendingDelta - half, kLyricCarrier, state.Track, index);
  state.PendingDelta = 0;  // the syllable sits at its text's own tick
}

void clsMidi::LyricStep(TrackDecodeState& state, std::span<const uint8_t> text) {
  if (LyricTablesFull()) return;
  if (state.TrackTick == 0) {
    // A lyric at the start only announces the coming phrase.
    const int16_t index = AddSyllable("", 0, 0, state.CurrentPhrase - 1);
    StoreTrackEvent(state.PendingDelta, kLyricCarrier, state.Track, index);
    state.PendingDelta = 0;
    return;
  }
  const uint8_t mark = MarkOf(text);
  if (mark == '/' || mark == '\\') {
    std::string syllable = StripMark(text);
    ClosePhrase(state);
    StartPhrase(state, syllable);
    const int32_t length = CharacterCount(syllable);
    AddSyllable(std::move(syllable), length, 0, state.CurrentPhrase);
    return;
  }
  if (!text.empty() && text[0] == '\r') {
    ClosePhrase(state);
    StartPhrase(state, "");
    return;
  }
  std::string syllable = DecodeFileText(text);
  const int32_t length = CharacterCount(syllable);
  const int32_t offset = AppendToPhrase(state, syllable, length);
  const int16_t index = AddSyllable(std::move(syllable), length, offset, state.CurrentPhrase);
  // The syllable sits at its own tick; the placeholder after it adds no time.
  StoreTrackEvent(state.PendingDelta, kLyricCarrier, state.Track, index);
  state.PendingDelta = 0;
}

void clsMidi::CloseLyricText(TrackDecodeState& state) {
  ClosePhrase(state);
  modMidi.LyricPhrases.Append("");
}

}  // namespace sonara
