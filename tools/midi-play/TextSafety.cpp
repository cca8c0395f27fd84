#include "TextSafety.h"

#include <algorithm>
#include <cstdint>

#include "SongDump.h"

namespace midiplay {
namespace {

// Length of the UTF-8 sequence starting at text[i], or 0 when the bytes
// there are no valid sequence.
size_t SequenceLength(std::string_view text, size_t i) {
  const auto byte = [&](size_t k) { return static_cast<uint8_t>(text[k]); };
  uint8_t b = byte(i);
  size_t length = b < 0x80 ? 1 : (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 ? 4 : 0;
  if (length == 0 || i + length > text.size()) return 0;
  for (size_t k = 1; k < length; ++k)
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
  if (length == 2 && b < 0xC2) return 0;  // overlong
  return length;
}

}  // namespace

// The same escapes as the song dump, so --dump and the display agree.
std::string EscapeControls(std::string_view text) { return sonara::EscapeText(text); }

size_t CharCount(std::string_view text) {
  size_t count = 0;
  for (size_t i = 0; i < text.size(); ++count) i += std::max<size_t>(SequenceLength(text, i), 1);
  return count;
}

size_t ByteOffsetOfChar(std::string_view text, size_t chars) {
  size_t i = 0;
  for (size_t n = 0; n < chars && i < text.size(); ++n) i += std::max<size_t>(SequenceLength(text, i), 1);
  return i;
}

std::string FirstChars(std::string_view text, size_t chars) {
  return std::string(text.substr(0, ByteOffsetOfChar(text, chars)));
}

}  // namespace midiplay
