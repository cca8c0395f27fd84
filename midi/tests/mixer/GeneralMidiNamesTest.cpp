// The note, instrument and drum name tables at their edges.
#include <gtest/gtest.h>

#include <string>

#include "mixer/GeneralMidiNames.h"

namespace sonara {
namespace {

struct NameCase {
  std::string (*table)(int16_t);
  int16_t n;
  const char* name;
};

class NameTables : public ::testing::TestWithParam<NameCase> {};

TEST_P(NameTables, GiveTheirTexts) { EXPECT_EQ(GetParam().table(GetParam().n), GetParam().name); }

INSTANTIATE_TEST_SUITE_P(
    Edges, NameTables,
    ::testing::Values(
        NameCase{NoteName, 0, "C"},                    // the lowest key
        NameCase{NoteName, 61, "C#"},                  // names carry no octave
        NameCase{NoteName, 120, "C"},                  // the last C
        NameCase{NoteName, 127, "G"},                  // the highest key
        NameCase{NoteName, 128, ""},                   // above the key range
        NameCase{NoteName, -1, ""},                    // below it
        NameCase{InstrumentName, 0, "Acoustic Grand"}, // program 1
        NameCase{InstrumentName, 21, "Accoridan"},     // spelled as the table has it
        NameCase{InstrumentName, 23, "Tango Accordian"},
        NameCase{InstrumentName, 77, "Skakuhachi"},
        NameCase{InstrumentName, 127, "Gunshot"},      // the last program
        NameCase{InstrumentName, 128, ""},             // no such program
        NameCase{InstrumentName, -1, ""},
        NameCase{DrumName, 34, ""},                    // below the percussion map
        NameCase{DrumName, 35, "Acoustic Bass Drum"},  // its first key
        NameCase{DrumName, 42, "Closed Hi-Hat"},
        NameCase{DrumName, 81, "Open Triangle"},       // its last key
        NameCase{DrumName, 82, ""}),                   // above it
    [](const auto& info) {
      const NameCase& c = info.param;
      const char* table = c.table == NoteName ? "Note" : c.table == InstrumentName ? "Instrument" : "Drum";
      return std::string(table) + (c.n < 0 ? "Minus" : "") + std::to_string(c.n < 0 ? -c.n : c.n);
    });

TEST(NameTables, EveryProgramAndKeyHasAName) {
  for (int16_t n = 0; n < 128; ++n) {
    EXPECT_FALSE(InstrumentName(n).empty()) << n;
    EXPECT_FALSE(NoteName(n).empty()) << n;
  }
  for (int16_t n = 35; n <= 81; ++n) EXPECT_FALSE(DrumName(n).empty()) << n;
}

}  // namespace
}  // namespace sonara
