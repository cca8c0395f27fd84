#include "ScreenLayout.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "TextSafety.h"

namespace midiplay {
namespace {

constexpr int kLyricIndent = 2;
constexpr const char* kKeyHelp =
    "space pause  q quit  <- -> seek  + - transpose  [ ] speed  1-0 mute  n/p file";

std::string Padded(std::string text, size_t chars) {
  size_t count = CharCount(text);
  if (count > chars) return FirstChars(text, chars);
  text.append(chars - count, ' ');
  return text;
}

// Cuts a line to the screen's width, keeping its highlight inside it.
ScreenLine Fit(ScreenLine line, int columns) {
  size_t limit = ByteOffsetOfChar(line.text, static_cast<size_t>(std::max(columns, 0)));
  line.text.resize(std::min(line.text.size(), limit));
  line.highlightEnd = std::min(line.highlightEnd, line.text.size());
  line.highlightBegin = std::min(line.highlightBegin, line.highlightEnd);
  return line;
}

std::string StatusLine(const DisplayState& s) {
  char settings[96];
  std::snprintf(settings, sizeof settings, "transpose %+d  speed %d%%", s.transpose, SpeedPercent(s.speed));
  std::string line = " " + StatusWord(s.status);
  if (s.fileCount > 1) line += "   file " + std::to_string(s.fileNumber) + "/" + std::to_string(s.fileCount);
  line += "   " + std::string(settings);
  if (!s.device.empty()) line += "   " + EscapeControls(s.device);
  return line;
}

std::string SubtitleLine(const DisplayState& s) {
  std::string text = s.titles[1];
  if (!s.titles[2].empty()) text += (text.empty() ? "" : " - ") + s.titles[2];
  return " " + EscapeControls(text);
}

std::string ProgressLine(const DisplayState& s, int columns) {
  std::string left = " " + s.clockText + " [";
  std::string right = "] " + s.lengthText + (s.timeSignature.empty() ? "" : "  " + s.timeSignature);
  int width = columns - static_cast<int>(left.size() + right.size()) - 1;
  if (width < 4) return left + right;
  int filled = static_cast<int>(std::lround(PlayedFraction(s) * width));
  std::string bar(static_cast<size_t>(filled), '=');
  if (filled < width) bar += filled > 0 ? ">" : "-";
  bar.append(static_cast<size_t>(width) - bar.size(), '-');
  return EscapeControls(left) + bar + EscapeControls(right);
}

// The current lyric line with its sung part highlighted; a line too long
// for the screen scrolls so that the sung part stays in view.
ScreenLine LyricLine(const LyricView& lyric, int columns) {
  const size_t room = static_cast<size_t>(std::max(columns - kLyricIndent - 1, 8));
  size_t sung = std::min(lyric.sungChars, CharCount(lyric.phrase));
  size_t skip = sung + 8 > room ? sung + 8 - room : 0;
  std::string_view phrase = lyric.phrase;
  phrase.remove_prefix(ByteOffsetOfChar(phrase, skip));
  size_t split = ByteOffsetOfChar(phrase, sung - skip);
  ScreenLine line;
  line.text = std::string(kLyricIndent, ' ') + EscapeControls(phrase.substr(0, split));
  line.highlightBegin = kLyricIndent;
  line.highlightEnd = line.text.size();
  line.text += EscapeControls(phrase.substr(split));
  line.bold = true;
  return line;
}

std::string ChannelName(size_t index, const ChannelView& channel) {
  if (index == 9 && channel.used) return "Drums";
  return channel.used ? EscapeControls(channel.instrument) : "";
}

std::string MeterCell(size_t index, const ChannelView& channel, int width) {
  const int nameWidth = std::clamp(width - 24, 10, 24);
  const int barWidth = std::max(width - 3 - nameWidth - 2, 4);
  char number[8];
  std::snprintf(number, sizeof number, "%2zu ", index + 1);
  std::string cell = std::string(number) + Padded(ChannelName(index, channel), static_cast<size_t>(nameWidth)) + " ";
  if (channel.used && channel.muted) return cell + Padded("(muted)", static_cast<size_t>(barWidth));
  int filled = static_cast<int>(std::lround(std::clamp(channel.level, 0.0, 127.0) / 127.0 * barWidth));
  std::string bar(static_cast<size_t>(filled), '#');
  bar.append(static_cast<size_t>(barWidth - filled), channel.used ? '.' : ' ');
  return cell + bar;
}

// Channels 1-8 on the left, 9-16 on the right.
std::vector<ScreenLine> MeterLines(const DisplayState& s, int columns) {
  const int half = (columns - 1) / 2;
  std::vector<ScreenLine> lines;
  for (size_t row = 0; row < 8; ++row) {
    std::string text = " " + MeterCell(row, s.channels[row], half - 1) + "  " +
                       MeterCell(row + 8, s.channels[row + 8], half - 1);
    lines.push_back({text});
  }
  return lines;
}

}  // namespace

std::string StatusWord(int16_t status) {
  switch (status) {
    case 0: return "Stopped";
    case 1: return "Playing";
    case 2: return "Paused";
    case 3: return "Invalid file";
    case 5: return "Ready";
    default: return "No file";
  }
}

int SpeedPercent(int16_t speed) {
  double factor = 1.0 + speed / 10.0;
  return factor <= 0 ? 0 : static_cast<int>(std::lround(100.0 / factor));
}

std::vector<ScreenLine> LayoutScreen(const DisplayState& state, ScreenSize size) {
  const int columns = std::max(size.columns, 1);
  const size_t rows = static_cast<size_t>(std::max(size.rows, 1));
  std::vector<ScreenLine> top = {
      {StatusLine(state)},
      {},
      {" " + EscapeControls(ShownTitle(state)), 0, 0, true},
      {SubtitleLine(state)},
      {},
      {ProgressLine(state, columns)},
      {},
      LyricLine(state.lyric, columns),
      {std::string(kLyricIndent, ' ') + EscapeControls(state.lyric.nextPhrase)},
      {},
  };
  std::vector<ScreenLine> meters = MeterLines(state, columns);

  std::vector<ScreenLine> lines = top;
  // The key help takes the last row; the meters come only when they fit whole.
  if (top.size() + meters.size() + 2 <= rows) lines.insert(lines.end(), meters.begin(), meters.end());
  lines.resize(std::max(lines.size(), rows));
  lines.resize(rows);
  if (rows > top.size()) lines.back() = {std::string(" ") + kKeyHelp};
  for (ScreenLine& line : lines) line = Fit(std::move(line), columns);
  return lines;
}

}  // namespace midiplay
