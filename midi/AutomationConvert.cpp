#include "AutomationConvert.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "AutomationError.h"

namespace sonara {
namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return text;
}

// "&H" / "&O" texts: the digits' value, or nullopt-like false when the text is not of that form.
// widthBits tells how many bits the pattern may fill before it overflows.
bool ParseRadixText(std::string_view text, int widthBits, int64_t& out) {
  if (text.size() < 2 || text[0] != '&') return false;
  const char kind = static_cast<char>(std::toupper(static_cast<unsigned char>(text[1])));
  int base = 0;
  if (kind == 'H') base = 16;
  else if (kind == 'O') base = 8;
  else return false;
  std::string_view digits = text.substr(2);
  if (digits.empty()) throw AutomationError(kTypeMismatch);
  uint64_t value = 0;
  for (char c : digits) {
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else throw AutomationError(kTypeMismatch);
    if (d >= base) throw AutomationError(kTypeMismatch);
    value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
    if (value >> widthBits) throw AutomationError(kOverflow);
  }
  // The digits spell a bit pattern of the target width: the top bit is the sign.
  const uint64_t signBit = uint64_t{1} << (widthBits - 1);
  out = (value & signBit) ? static_cast<int64_t>(value) - static_cast<int64_t>(signBit << 1) : static_cast<int64_t>(value);
  return true;
}

double ParseDecimal(std::string_view text) {
  if (text.empty()) throw AutomationError(kTypeMismatch);
  std::string_view body = text;
  if (body.front() == '+') body.remove_prefix(1);
  double value = 0;
  const auto [end, ec] = std::from_chars(body.data(), body.data() + body.size(), value);
  if (ec == std::errc::result_out_of_range) throw AutomationError(kOverflow);
  if (ec != std::errc() || end != body.data() + body.size() || !std::isfinite(value)) {
    throw AutomationError(kTypeMismatch);
  }
  return value;
}

template <class Int>
Int RoundChecked(double value) {
  if (std::isnan(value)) throw AutomationError(kOverflow);
  const double rounded = std::nearbyint(value);  // default rounding mode: half to even
  if (rounded < static_cast<double>(std::numeric_limits<Int>::min()) ||
      rounded > static_cast<double>(std::numeric_limits<Int>::max())) {
    throw AutomationError(kOverflow);
  }
  return static_cast<Int>(rounded);
}

template <class Int>
Int TextToInt(std::string_view text, int widthBits) {
  text = Trim(text);
  int64_t pattern = 0;
  if (ParseRadixText(text, widthBits, pattern)) {
    if constexpr (std::is_unsigned_v<Int>) {
      if (pattern < 0) pattern += int64_t{1} << widthBits;
    }
    return static_cast<Int>(pattern);
  }
  return RoundChecked<Int>(ParseDecimal(text));
}

}  // namespace

int16_t TextToInt16(std::string_view text) { return TextToInt<int16_t>(text, 16); }
int32_t TextToInt32(std::string_view text) { return TextToInt<int32_t>(text, 32); }
uint8_t TextToByte(std::string_view text) { return TextToInt<uint8_t>(text, 8); }

double TextToDouble(std::string_view text) {
  text = Trim(text);
  int64_t pattern = 0;
  if (ParseRadixText(text, 32, pattern)) return static_cast<double>(pattern);
  return ParseDecimal(text);
}

int16_t DoubleToInt16(double value) { return RoundChecked<int16_t>(value); }
int32_t DoubleToInt32(double value) { return RoundChecked<int32_t>(value); }
uint8_t DoubleToByte(double value) { return RoundChecked<uint8_t>(value); }

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

std::string NumberToText(double value) {
  if (value == std::nearbyint(value) && std::fabs(value) < 1e15) {
    return std::to_string(static_cast<int64_t>(value));
  }
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.15g", value);
  return buffer;
}

}  // namespace sonara
