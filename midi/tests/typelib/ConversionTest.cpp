#include <gtest/gtest.h>

#include <optional>

#include "AutomationConvert.h"
#include "AutomationError.h"

namespace sonara {
namespace {

struct IntCase {
  const char* text;
  std::optional<int32_t> int16;  // nullopt: the error below
  int32_t int16Error;
  std::optional<int32_t> int32;
  int32_t int32Error;
};

// Texts as the instrument and master-volume code hand them to the conversion.
const IntCase kIntCases[] = {
    {"25", 25, 0, 25, 0},
    {"  -3 ", -3, 0, -3, 0},                            // spaces around the number
    {"+7", 7, 0, 7, 0},
    {"2.5", 2, 0, 2, 0},                                // half rounds to even
    {"3.5", 4, 0, 4, 0},
    {"-2.5", -2, 0, -2, 0},
    {"1e2", 100, 0, 100, 0},
    {"&HFFFF", -1, 0, 65535, 0},                        // a 16-bit pattern; a positive 32-bit value
    {"&h7fff", 32767, 0, 32767, 0},                     // lower-case prefix and digits
    {"&HFFFFFFFF", std::nullopt, kOverflow, -1, 0},     // eight digits: the 32-bit pattern
    {"&H1199D1199D", std::nullopt, kOverflow, std::nullopt, kOverflow},  // ten digits
    {"&O17", 15, 0, 15, 0},
    {"32768", std::nullopt, kOverflow, 32768, 0},
    {"-32768", -32768, 0, -32768, 0},
    {"99999999999", std::nullopt, kOverflow, std::nullopt, kOverflow},
    {"", std::nullopt, kTypeMismatch, std::nullopt, kTypeMismatch},       // nothing to read
    {"abc", std::nullopt, kTypeMismatch, std::nullopt, kTypeMismatch},
    {"12abc", std::nullopt, kTypeMismatch, std::nullopt, kTypeMismatch},  // trailing garbage
    {"&H", std::nullopt, kTypeMismatch, std::nullopt, kTypeMismatch},     // prefix without digits
    {"&HFG", std::nullopt, kTypeMismatch, std::nullopt, kTypeMismatch},
    {"inf", std::nullopt, kTypeMismatch, std::nullopt, kTypeMismatch},
};

template <class F>
int32_t ErrorOf(F&& f) {
  try {
    f();
  } catch (const AutomationError& e) {
    return e.Number();
  }
  return 0;
}

TEST(ConversionTest, TextsBecomeNumbersOrFailAsAutomationDoes) {
  for (const auto& c : kIntCases) {
    SCOPED_TRACE(c.text);
    if (c.int16) EXPECT_EQ(TextToInt16(c.text), *c.int16);
    else EXPECT_EQ(ErrorOf([&] { TextToInt16(c.text); }), c.int16Error);
    if (c.int32) EXPECT_EQ(TextToInt32(c.text), *c.int32);
    else EXPECT_EQ(ErrorOf([&] { TextToInt32(c.text); }), c.int32Error);
  }
}

TEST(ConversionTest, ByteRangeIsZeroTo255) {
  EXPECT_EQ(TextToByte("255"), 255);
  EXPECT_EQ(TextToByte("&HFF"), 255);
  EXPECT_EQ(ErrorOf([] { TextToByte("256"); }), kOverflow);
  EXPECT_EQ(ErrorOf([] { TextToByte("-1"); }), kOverflow);
  EXPECT_EQ(ErrorOf([] { DoubleToByte(255.5); }), kOverflow);  // rounds to 256
}

}  // namespace
}  // namespace sonara
