#include "SongDump.h"

#include <array>
#include <cstdio>
#include <span>

#include "clsMidi.h"
#include "loader/FileText.h"
#include "loader/SongTiming.h"
#include "mixer/GeneralMidiNames.h"

namespace sonara {

namespace {

constexpr std::string_view kLegend =
    "The dump has these parts, in this order:\n"
    "\n"
    "  record tick delta message lyric event\n"
    "      The header of the timeline; then one line per record, in playing order:\n"
    "        record   number of the record, from 1\n"
    "        tick     absolute tick of the record\n"
    "        delta    ticks since the record before it (0 for the first record)\n"
    "        message  the stored message, eight hexadecimal digits read from the\n"
    "                 right: status, data 1, data 2 (00643C90: note-on, channel 1,\n"
    "                 key 60, velocity 100); a tempo record is 01 and microseconds\n"
    "                 per quarter note; a lyric event is 000000D0\n"
    "        lyric    index of the syllable a lyric event reports, 0 for none\n"
    "        event    the record in words: tempo 600000; note-on CHANNEL KEY VELOCITY,\n"
    "                 note-off, key-pressure, control CHANNEL NUMBER VALUE, program,\n"
    "                 channel-pressure, pitch-bend CHANNEL VALUE (channels 1 to 16);\n"
    "                 lyric \"TEXT\" for a syllable; line-change where the display\n"
    "                 moves on to the next line; nothing for a record that sends\n"
    "                 nothing\n"
    "  title N TEXT          the three titles (title 0 is the file name when the\n"
    "                        song has no \"@T\" title)\n"
    "  length HH:MM:SS       the song's length as the player announces it\n"
    "  time-signature N/D\n"
    "  start-tempo US        microseconds per quarter note at tick 0\n"
    "  ticks N               the song's length in ticks\n"
    "  channel N program P NAME   each channel in use (1 to 16) and its instrument;\n"
    "                        the drum channel 10 is named drums\n"
    "  lyrics                then the lyric text one line per phrase, indented by two\n"
    "                        blanks, or \"lyrics none\" for a song without lyrics\n"
    "  syllable K phrase P offset O length L |TEXT|\n"
    "                        each syllable: its phrase, its offset in the phrase and\n"
    "                        its length in characters (offset -1: a line change)\n"
    "  phrase P |TEXT|       each phrase (line) of the lyrics\n"
    "\n"
    "Control characters in texts are escaped (\\n, \\r, \\t, \\0, \\xHH, \\uHHHH) and a\n"
    "backslash is written as \\\\, so that every line of the dump is one line.\n";

std::string Hex(const char* format, uint32_t value) {
  std::array<char, 16> text{};
  std::snprintf(text.data(), text.size(), format, value);
  return text.data();
}

void AppendAsciiEscaped(std::string& out, uint8_t b) {
  switch (b) {
    case '\n': out += "\\n"; return;
    case '\r': out += "\\r"; return;
    case '\t': out += "\\t"; return;
    case '\0': out += "\\0"; return;
    case '\\': out += "\\\\"; return;
    default: break;
  }
  if (b < 0x20 || b >= 0x7F) {
    out += Hex("\\x%02X", b);
  } else {
    out += static_cast<char>(b);
  }
}

std::string ChannelEventText(int32_t message) {
  const int32_t channel = MessageChannel(message) + 1;
  const int32_t d1 = MessageData1(message);
  const int32_t d2 = MessageData2(message);
  const auto two = [&](const char* name) { return std::string(name) + " " + std::to_string(channel) + " " + std::to_string(d1); };
  const auto three = [&](const char* name) { return two(name) + " " + std::to_string(d2); };
  switch (MessageKind(message)) {
    case 0x80: return three("note-off");
    case 0x90: return three("note-on");
    case 0xA0: return three("key-pressure");
    case 0xB0: return three("control");
    case 0xC0: return two("program");
    case 0xD0: return two("channel-pressure");
    case 0xE0: return "pitch-bend " + std::to_string(channel) + " " + std::to_string(d1 + d2 * 128);
    default: return "";
  }
}

// The record in words.
std::string EventText(const EventRecord& r) {
  if (IsTempoRecord(r.Message)) return "tempo " + std::to_string(TempoRecordValue(r.Message));
  if (r.Message == kLyricCarrier && r.LyricIndex > 0 && r.LyricIndex <= modMidi.LyricSyllables.UBound()) {
    const SyllableRecord& s = modMidi.LyricSyllables[r.LyricIndex];
    if (s.PhraseOffset < 0) return "line-change";
    return "lyric \"" + EscapeText(s.Text) + "\"";
  }
  if (r.Message <= 127) return "";
  return ChannelEventText(r.Message);
}

void WriteTimeline(std::ostream& out) {
  out << "record tick delta message lyric event\n";
  const auto& timeline = modMidi.Timeline;
  if (!timeline.Created()) return;
  for (int32_t i = 1; i <= timeline.UBound(); ++i) {
    const EventRecord& r = timeline[i];
    out << i << ' ' << r.AbsTick << ' ' << r.DeltaTicks << ' ' << Hex("%08X", static_cast<uint32_t>(r.Message)) << ' '
        << r.LyricIndex;
    const std::string event = EventText(r);
    if (!event.empty()) out << ' ' << event;
    out << '\n';
  }
}

std::string InstrumentText(int16_t channel, int16_t program) {
  if (channel == kPercussionChannel) return "drums";
  return InstrumentName(program);
}

void WriteSongInformation(std::ostream& out, clsMidi& midi) {
  for (int16_t i = 0; i < 3; ++i) {
    const std::string title = midi.get_Titles(i);
    out << "title " << i << (title.empty() ? "" : " ") << EscapeText(title) << '\n';
  }
  out << "length " << ClockText(TicksToMilliseconds(modMidi.SongTicks)) << '\n';
  out << "time-signature " << modMidi.TimeSigNumerator << '/' << modMidi.TimeSigDenominator << '\n';
  out << "start-tempo " << modMidi.Tempo << '\n';
  out << "ticks " << midi.get_TimeLength() << '\n';
  for (int16_t ch = 0; ch < kChannelCount; ++ch) {
    if (midi.get_ValidChannel(ch) == kFalse) continue;
    const int16_t program = modMidi.ChannelProgram[static_cast<size_t>(ch)];
    out << "channel " << ch + 1 << " program " << program << ' ' << InstrumentText(ch, program) << '\n';
  }
}

// A song without lyrics has only syllable 0 and phrases 0 to 3, all empty.
bool HasLyrics() {
  const bool syllables = modMidi.LyricSyllables.Created() && modMidi.LyricSyllables.UBound() > 0;
  const bool phrases = modMidi.LyricPhrases.Created() && modMidi.LyricPhrases.UBound() > 3;
  return syllables || phrases;
}

// The lyric text one line per phrase, each line indented by two blanks.
void WriteLyricText(std::ostream& out, clsMidi& midi) {
  out << "lyrics\n";
  const std::string text = midi.get_LyricText();
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    out << "  " << EscapeText(std::string_view(text).substr(start, end - start)) << '\n';
    start = end + 2;
  }
}

void WriteLyricTables(std::ostream& out) {
  const auto& syllables = modMidi.LyricSyllables;
  for (int32_t i = syllables.LBound(); i <= syllables.UBound(); ++i) {
    const SyllableRecord& s = syllables[i];
    out << "syllable " << i << " phrase " << s.Phrase << " offset " << s.PhraseOffset << " length " << s.Length << " |"
        << EscapeText(s.Text) << "|\n";
  }
  const auto& phrases = modMidi.LyricPhrases;
  if (!phrases.Created()) return;
  for (int32_t i = phrases.LBound(); i <= phrases.UBound(); ++i) {
    out << "phrase " << i << " |" << EscapeText(phrases[i]) << "|\n";
  }
}

}  // namespace

std::string EscapeText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  const std::span bytes(reinterpret_cast<const uint8_t*>(text.data()), text.size());
  size_t i = 0;
  while (i < text.size()) {
    const auto b = static_cast<uint8_t>(text[i]);
    if (b < 0x80) {
      AppendAsciiEscaped(out, b);
      ++i;
      continue;
    }
    const size_t length = Utf8SequenceLength(bytes, i);
    if (length == 0) {
      out += Hex("\\x%02X", b);
      ++i;
      continue;
    }
    // U+0080 to U+009F are control characters too (C2 80 to C2 9F).
    const auto second = static_cast<uint8_t>(text[i + 1]);
    if (b == 0xC2 && second < 0xA0) {
      out += Hex("\\u%04X", second);
    } else {
      out.append(text.substr(i, length));
    }
    i += length;
  }
  return out;
}

std::string_view SongDumpLegend() { return kLegend; }

void WriteSongDump(std::ostream& out, clsMidi& midi) {
  WriteTimeline(out);
  WriteSongInformation(out, midi);
  if (!HasLyrics()) {
    out << "lyrics none\n";
    return;
  }
  WriteLyricText(out, midi);
  WriteLyricTables(out);
}

}  // namespace sonara
