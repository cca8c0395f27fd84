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

std::string BytesText(std::span<const uint8_t> bytes) { return std::string(bytes.begin(), bytes.end()); }

// The text's bytes without its leading spaces and its mark; spaces after the
// mark stay.
std::string StripMark(std::span<const uint8_t> text) { return BytesText(SkipSpaces(text).subspan(1)); }

// A lyric text split at its line breaks (CR LF, a lone CR or a lone LF): how
// many stand at its start, the text between, how many stand at its end. A
// text of breaks only has them all at its start.
struct BrokenText {
  int leading = 0;
  std::span<const uint8_t> body;
  int trailing = 0;
  bool HasBreaks() const noexcept { return leading + trailing > 0; }
};

BrokenText SplitLineBreaks(std::span<const uint8_t> text) {
  BrokenText t;
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && (text[begin] == '\r' || text[begin] == '\n')) {
    const bool pair = text[begin] == '\r' && begin + 1 < end && text[begin + 1] == '\n';
    begin += pair ? 2 : 1;
    ++t.leading;
  }
  while (end > begin && (text[end - 1] == '\r' || text[end - 1] == '\n')) {
    const bool pair = text[end - 1] == '\n' && end - 1 > begin && text[end - 2] == '\r';
    end -= pair ? 2 : 1;
    ++t.trailing;
  }
  t.body = text.subspan(begin, end - begin);
  return t;
}

bool LyricTablesFull() {
  return modMidi.LyricSyllables.Count() >= kMaxLyricEntries || modMidi.LyricPhrases.Count() >= kMaxLyricEntries;
}

// Ends the phrase being built: the next text starts a new one. The phrase
// texts and the lyric text are put together when the song's texts are read
// (FinishLyricTables).
void StartPhrase(TrackDecodeState& state) {
  modMidi.LyricPhrases.Append("");
  state.CurrentPhrase = modMidi.LyricPhrases.UBound();
}

// A line break in a lyric: the phrase ends here, unless the tables are full.
void BreakLine(TrackDecodeState& state) {
  if (!LyricTablesFull()) StartPhrase(state);
}

// A syllable that is a piece of its phrase's text, with its file bytes.
int16_t AddPhraseSyllable(TrackDecodeState& state, std::string bytes) {
  SyllableRecord syllable;
  syllable.Text = std::move(bytes);
  syllable.Phrase = static_cast<int16_t>(state.CurrentPhrase);
  modMidi.LyricSyllables.Append(std::move(syllable));
  state.SyllableInPhrase.push_back(true);
  return static_cast<int16_t>(modMidi.LyricSyllables.UBound());
}

// An entry without text that reports a phrase: offset -1 changes the line,
// offset 0 announces the coming phrase.
int16_t AddPhraseEntry(TrackDecodeState& state, int32_t offset, int32_t phrase) {
  SyllableRecord entry;
  entry.PhraseOffset = offset;
  entry.Phrase = static_cast<int16_t>(phrase);
  modMidi.LyricSyllables.Append(std::move(entry));
  state.SyllableInPhrase.push_back(false);
  return static_cast<int16_t>(modMidi.LyricSyllables.UBound());
}

// Reads the syllables' bytes as one stream and sets every text, length,
// offset and phrase from it; then the lyric text, one line per phrase.
void FinishLyricTables(const TrackDecodeState& state) {
  auto& syllables = modMidi.LyricSyllables.Items();
  std::vector<std::string> pieces;
  pieces.reserve(syllables.size());
  for (size_t k = 1; k < syllables.size(); ++k) pieces.push_back(std::move(syllables[k].Text));
  std::vector<std::string> texts = DecodeTextStream(pieces);

  auto& phrases = modMidi.LyricPhrases.Items();
  std::vector<int32_t> phraseLength(phrases.size(), 0);
  for (size_t k = 1; k < syllables.size(); ++k) {
    SyllableRecord& s = syllables[k];
    s.Text = std::move(texts[k - 1]);
    const int32_t length = CharacterCount(s.Text);
    s.Length = static_cast<int16_t>(std::min(length, 32767));
    if (k >= state.SyllableInPhrase.size() || !state.SyllableInPhrase[k]) continue;
    const auto phrase = static_cast<size_t>(s.Phrase);
    if (phrase >= phrases.size()) continue;
    s.PhraseOffset = phraseLength[phrase];
    phrases[phrase] += s.Text;
    phraseLength[phrase] += length;
  }
  // Every phrase from the first (2) to the last is closed once, in order.
  for (size_t p = 2; p < phrases.size(); ++p) {
    modMidi.LyricTextStore += phrases[p];
    modMidi.LyricTextStore += "\r\n";
  }
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
  const BrokenText t = SplitLineBreaks(text);
  const uint8_t mark = MarkOf(t.body);
  if (mark == '/' || mark == '\\') {
    // The mark starts the line; break bytes beside it add nothing.
    StartPhrase(state);
    int32_t half = 0;
    if (mark == '\\') {
      // A new paragraph: the display changes lines halfway to the syllable.
      const int16_t change = AddPhraseEntry(state, -1, state.CurrentPhrase - 1);
      half = state.PendingDelta / 2;
      StoreTrackEvent(half, kLyricCarrier, state.Track, change);
    }
    const int16_t index = AddPhraseSyllable(state, StripMark(t.body));
    StoreTrackEvent(state.PendingDelta - half, kLyricCarrier, state.Track, index);
    state.PendingDelta = 0;  // the syllable sits at its text's own tick
    return;
  }
  for (int i = 0; i < t.leading; ++i) BreakLine(state);
  if (!t.body.empty() || !t.HasBreaks()) {
    const int16_t index = AddPhraseSyllable(state, BytesText(t.body));
    StoreTrackEvent(state.PendingDelta, kLyricCarrier, state.Track, index);
    state.PendingDelta = 0;
  }
  for (int i = 0; i < t.trailing; ++i) BreakLine(state);
}

void clsMidi::LyricStep(TrackDecodeState& state, std::span<const uint8_t> text) {
  if (LyricTablesFull()) return;
  if (state.TrackTick == 0) {
    // A lyric at the start only announces the coming phrase.
    const int16_t index = AddPhraseEntry(state, 0, state.CurrentPhrase - 1);
    StoreTrackEvent(state.PendingDelta, kLyricCarrier, state.Track, index);
    state.PendingDelta = 0;
    return;
  }
  const BrokenText t = SplitLineBreaks(text);
  const uint8_t mark = MarkOf(t.body);
  if (mark == '/' || mark == '\\') {
    // A marked lyric opens its phrase and is not reported on its own; break
    // bytes beside the mark add nothing.
    StartPhrase(state);
    AddPhraseSyllable(state, StripMark(t.body));
    return;
  }
  // A break at the start ends the phrase before the syllable, one at the end
  // ends it after; the break bytes are no text of the syllable.
  for (int i = 0; i < t.leading; ++i) BreakLine(state);
  if (!t.body.empty() || !t.HasBreaks()) {
    const int16_t index = AddPhraseSyllable(state, BytesText(t.body));
    // The syllable sits at its own tick; the placeholder after it adds no time.
    StoreTrackEvent(state.PendingDelta, kLyricCarrier, state.Track, index);
    state.PendingDelta = 0;
  }
  for (int i = 0; i < t.trailing; ++i) BreakLine(state);
}

void clsMidi::CloseLyricText(TrackDecodeState& state) {
  FinishLyricTables(state);
  modMidi.LyricPhrases.Append("");
}

}  // namespace sonara
