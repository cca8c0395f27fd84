// Texts found in song files: UTF-8 when the bytes are valid UTF-8, otherwise
// Windows-1252. Lengths and offsets of texts count characters (code points).
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace sonara {

bool IsValidUtf8(std::span<const uint8_t> bytes) noexcept;
// The text of the bytes as UTF-8.
std::string DecodeFileText(std::span<const uint8_t> bytes);
// Number of code points of a UTF-8 text.
int32_t CharacterCount(const std::string& utf8) noexcept;

}  // namespace sonara
