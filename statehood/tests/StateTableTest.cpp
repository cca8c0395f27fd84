#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "StateTable.h"

namespace statehood {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t at; (at = text.find("\r\n", start)) != std::string::npos; start = at + 2) {
    lines.push_back(text.substr(start, at - start));
  }
  lines.push_back(text.substr(start));
  return lines;
}

TEST(StatesListText, HasTheExactSizeAndSeparators) {
  const std::string text = StatesListText();
  EXPECT_EQ(text.size(), 1354u);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\t'), 46);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), 24);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 24);
  EXPECT_EQ(Lines(text).size(), 25u);  // every CR is followed by its LF
  EXPECT_TRUE(text.starts_with("1 - Delaware Dec. 7,1787\t\t2 - Pennsylvania Dec. 12,1787\r\n"));
  EXPECT_EQ(text.back(), '9');  // no line break after the last line
  EXPECT_TRUE(text.ends_with("49 - Alaska Jan.3,1959\t\t50 - Hawaii Aug.21,1959"));
}

struct ListLine {
  int line;
  const char* text;
};

// Lines that are special in some way, each spelled out in full.
const ListLine SpecialLines[] = {
    {4, "9 - New Hampshire June 21,1788\t10 - Virginia June 25,1788"},       // single TAB
    {6, "13 - Rhode Island May 29,1790\t14 - Vermont Mar.4,1791"},           // single TAB
    {11, "23 - Maine Mar.15,1820\t\t24 - Missouri Aug.10,1821"},              // entry spells Mar. unlike the date text
    {15, "31 - California Sept.9,1850\t\t32 - Minnesota May11,1858"},         // missing blank kept
    {16, "33 - Oregon Feb.14,1859\t\t34 - Kansas Jan.29,1861 "},              // trailing blank of entry 34
    {17, "35 - West Virginia June 20,1863\t36 - Nevada Oct.31,1864"},        // single TAB
    {18, "37 - Nebraska Mar.1,1867\t\t38 - Colorado Aug.1.1876"},             // full stop for comma kept
    {19, "39 - North Dakota Nov.2,1889\t40 - South Dakota Nov.2,1889"},      // single TAB
};

TEST(StatesListText, SpecialLinesAreSpelledExactly) {
  const auto lines = Lines(StatesListText());
  for (const auto& c : SpecialLines) {
    EXPECT_EQ(lines.at(static_cast<std::size_t>(c.line)), c.text) << "line " << c.line;
  }
}

// Catches a row shifted against its neighbours: every entry must start with its
// own admission number and the name of the same row.
TEST(StateTable, EveryRowIsConsistent) {
  for (int k = 0; k < StateCount; ++k) {
    const std::string prefix = std::to_string(k + 1) + " - " + std::string(StateName(k)) + " ";
    EXPECT_TRUE(StateListEntry(k).starts_with(prefix)) << k;
    EXPECT_FALSE(StateDate(k).empty()) << k;
    EXPECT_TRUE(StateFlag(k).starts_with(":/flags/usa_")) << k;
  }
}

struct RowCase {
  int k;
  const char* name;
  const char* date;
};

const RowCase Rows[] = {
    {0, "Delaware", "Dec.7,1787"},      // first row
    {6, "Maryland", "April 28,1788"},   // month spelled out
    {22, "Maine", "MAr.15,1820"},       // odd capital kept
    {38, "North Dakota", "Nov.2,1889"},  // same date as the next row
    {39, "South Dakota", "Nov.2,1889"},
    {49, "Hawaii", "Aug.21,1959"},      // last row
    {-1, "", ""},                       // outside the table: nothing
    {50, "", ""},
};

TEST(StateTable, RowsHoldTheirTexts) {
  for (const auto& c : Rows) {
    EXPECT_EQ(StateName(c.k), c.name) << c.k;
    EXPECT_EQ(StateDate(c.k), c.date) << c.k;
  }
  EXPECT_TRUE(StateFlag(50).empty());
}

TEST(StateTable, FlagsAreFiftyDifferentPictures) {
  std::vector<std::string_view> flags;
  for (int k = 0; k < StateCount; ++k) flags.push_back(StateFlag(k));
  std::sort(flags.begin(), flags.end());
  EXPECT_EQ(std::adjacent_find(flags.begin(), flags.end()), flags.end());
}

}  // namespace
}  // namespace statehood
