// Texts found in song files: UTF-8 when the bytes are valid UTF-8, otherwise
// Windows-1252. Lengths and offsets of texts count characters (code points).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace sonara {

// The length of the UTF-8 character that starts at bytes[i] (1 for ASCII),
// or 0 when the bytes there are no valid UTF-8 character.
size_t Utf8SequenceLength(std::span<const uint8_t> bytes, size_t i) noexcept;
bool IsValidUtf8(std::span<const uint8_t> bytes) noexcept;
// The text of the bytes as UTF-8.
std::string DecodeFileText(std::span<const uint8_t> bytes);
// The text of the bytes read as Windows-1252, as UTF-8.
std::string DecodeWindows1252(std::span<const uint8_t> bytes);
// The texts of pieces that form one stream of bytes, such as a song's lyric
// syllables: UTF-8 when all their bytes in order are valid UTF-8, otherwise
// Windows-1252 for every piece. A character whose bytes are split over pieces
// belongs to the piece where it completes.
std::vector<std::string> DecodeTextStream(const std::vector<std::string>& pieces);
// Number of code points of a UTF-8 text.
int32_t CharacterCount(const std::string& utf8) noexcept;

}  // namespace sonara
