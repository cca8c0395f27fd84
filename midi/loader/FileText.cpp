#include "loader/FileText.h"

#include <array>

namespace sonara {

size_t Utf8SequenceLength(std::span<const uint8_t> bytes, size_t i) noexcept {
  const uint8_t b = bytes[i];
  if (b < 0x80) return 1;
  size_t extra = 0;
  uint32_t cp = 0;
  uint32_t min = 0;
  if ((b & 0xE0) == 0xC0) {
    extra = 1, cp = b & 0x1F, min = 0x80;
  } else if ((b & 0xF0) == 0xE0) {
    extra = 2, cp = b & 0x0F, min = 0x800;
  } else if ((b & 0xF8) == 0xF0) {
    extra = 3, cp = b & 0x07, min = 0x10000;
  } else {
    return 0;
  }
  if (bytes.size() - i <= extra) return 0;
  for (size_t k = 1; k <= extra; ++k) {
    const uint8_t c = bytes[i + k];
    if ((c & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (c & 0x3F);
  }
  // Overlong forms, surrogates and values beyond the last code point are not UTF-8.
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return extra + 1;
}

bool IsValidUtf8(std::span<const uint8_t> bytes) noexcept {
  for (size_t i = 0; i < bytes.size();) {
    const size_t length = Utf8SequenceLength(bytes, i);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

namespace {

// Code points of the bytes 0x80 to 0x9F in Windows-1252; the five bytes it
// leaves undefined keep their own value.
constexpr std::array<uint16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace

std::string DecodeFileText(std::span<const uint8_t> bytes) {
  if (IsValidUtf8(bytes)) return std::string(bytes.begin(), bytes.end());
  return DecodeWindows1252(bytes);
}

std::string DecodeWindows1252(std::span<const uint8_t> bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  for (const uint8_t b : bytes) {
    if (b >= 0x80 && b <= 0x9F) {
      AppendUtf8(out, kWindows1252High[b - 0x80]);
    } else {
      AppendUtf8(out, b);
    }
  }
  return out;
}

namespace {

std::span<const uint8_t> BytesOf(const std::string& s) noexcept {
  return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

// How many bytes at the end of valid UTF-8 text begin a character that the
// text does not complete.
size_t IncompleteTail(const std::string& text) noexcept {
  const size_t n = text.size();
  for (size_t back = 1; back <= 3 && back <= n; ++back) {
    const auto b = static_cast<uint8_t>(text[n - back]);
    if ((b & 0xC0) == 0x80) continue;  // a continuation byte: look further back
    const size_t length = b < 0x80 ? 1 : (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : 4;
    return length > back ? back : 0;
  }
  return 0;
}

}  // namespace

std::vector<std::string> DecodeTextStream(const std::vector<std::string>& pieces) {
  std::string stream;
  size_t total = 0;
  for (const auto& piece : pieces) total += piece.size();
  stream.reserve(total);
  for (const auto& piece : pieces) stream += piece;
  const bool utf8 = IsValidUtf8(BytesOf(stream));
  stream = std::string();

  std::vector<std::string> texts;
  texts.reserve(pieces.size());
  std::string carry;  // bytes of a character that a later piece completes
  for (const auto& piece : pieces) {
    if (!utf8) {
      texts.push_back(DecodeWindows1252(BytesOf(piece)));
      continue;
    }
    std::string text = std::move(carry) + piece;
    const size_t tail = IncompleteTail(text);
    carry = text.substr(text.size() - tail);
    text.resize(text.size() - tail);
    texts.push_back(std::move(text));
  }
  return texts;
}

int32_t CharacterCount(const std::string& utf8) noexcept {
  int32_t count = 0;
  for (const char c : utf8) {
    if ((static_cast<uint8_t>(c) & 0xC0) != 0x80) ++count;
  }
  return count;
}

}  // namespace sonara
