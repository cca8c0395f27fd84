// Conversions between texts and numbers as automation performs them: a text
// is a number when it holds one (spaces around it allowed, optional sign,
// fraction and exponent), or "&H"/"&O" followed by hexadecimal/octal digits,
// which spell a bit pattern of the target width. Fractions round to the
// nearest integer, ties to even. Failures are automation errors: 13 "Type
// mismatch" for a text that is no number, 6 "Overflow" for one outside the
// target's range.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace sonara {

int16_t TextToInt16(std::string_view text);
int32_t TextToInt32(std::string_view text);
uint8_t TextToByte(std::string_view text);
double TextToDouble(std::string_view text);

// Rounds half to even and checks the range (error 6 outside it).
int16_t DoubleToInt16(double value);
int32_t DoubleToInt32(double value);
uint8_t DoubleToByte(double value);

// Compares two texts as automation compares names: ASCII letters in any case.
bool EqualsNoCase(std::string_view a, std::string_view b);

// Decimal text of a number as automation writes it ("-5", "2.5").
std::string NumberToText(double value);

}  // namespace sonara
