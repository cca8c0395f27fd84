#include "SongInfo.h"

#include <vector>

#include "TextSafety.h"

namespace midiplay {
namespace {

std::vector<std::string> LyricLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  while (!lines.empty() && lines.back().empty()) lines.pop_back();
  size_t first = 0;
  while (first < lines.size() && lines[first].empty()) ++first;
  lines.erase(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(first));
  return lines;
}

}  // namespace

void PrintSongInfo(sonara::clsMidi& midi, const DisplayState& state, std::FILE* out) {
  std::fprintf(out, "file: %s\n", EscapeControls(state.path).c_str());
  bool anyTitle = false;
  for (const std::string& title : state.titles) {
    if (title.empty() || title == state.path) continue;
    std::fprintf(out, "title: %s\n", EscapeControls(title).c_str());
    anyTitle = true;
  }
  if (!anyTitle) std::fprintf(out, "title: %s (no title in the song)\n", EscapeControls(ShownTitle(state)).c_str());
  std::fprintf(out, "length: %s (%d ticks)\n", EscapeControls(state.lengthText).c_str(), midi.get_TimeLength());
  std::fprintf(out, "time signature: %s\n", EscapeControls(state.timeSignature).c_str());
  std::fprintf(out, "channels:\n");
  for (int16_t ch = 0; ch < 16; ++ch) {
    if (midi.get_ValidChannel(ch) == sonara::kFalse) continue;
    const std::string name = ch == 9 ? "Drums" : EscapeControls(state.channels[static_cast<size_t>(ch)].instrument);
    std::fprintf(out, "  %2d  %s\n", ch + 1, name.c_str());
  }
  auto lines = LyricLines(midi.get_LyricText());
  if (lines.empty()) {
    std::fprintf(out, "lyrics: none\n");
    return;
  }
  std::fprintf(out, "lyrics:\n");
  for (const std::string& line : lines) std::fprintf(out, "  %s\n", EscapeControls(line).c_str());
}

}  // namespace midiplay
