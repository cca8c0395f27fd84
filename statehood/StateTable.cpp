#include "StateTable.h"

#include <array>

namespace statehood {
namespace {

struct StateRow {
  std::string_view name;
  std::string_view date;
  std::string_view listEntry;  // spelled on its own; its date need not match `date`
  std::string_view flag;       // one resource per row; the build embeds every path named here
};

// The texts are shown exactly as written, odd spacing and capitals included.
constexpr std::array<StateRow, StateCount> StateTable{{
    {"Delaware", "Dec.7,1787", "1 - Delaware Dec. 7,1787", ":/flags/usa_delaware.png"},
    {"Pennsylvania", "Dec.12,1787", "2 - Pennsylvania Dec. 12,1787", ":/flags/usa_pennsylvania.png"},
    {"New Jersey", "Dec.18,1787", "3 - New Jersey Dec. 18,1787", ":/flags/usa_new_jersey.png"},
    {"Georgia", "Jan.2,1788", "4 - Georgia Jan.2,1788", ":/flags/usa_georgia.png"},
    {"Connecticut", "Jan.9,1788", "5 - Connecticut Jan.9,1788", ":/flags/usa_connecticut.png"},
    {"Massachusetts", "Feb.6,1788", "6 - Massachusetts Feb. 6,1788", ":/flags/usa_massachusetts.png"},
    {"Maryland", "April 28,1788", "7 - Maryland April 28,1788", ":/flags/usa_maryland.png"},
    {"South Carolina", "May 23,1788", "8 - South Carolina May 23,1788", ":/flags/usa_south_carolina.png"},
    {"New Hampshire", "June 21,1788", "9 - New Hampshire June 21,1788", ":/flags/usa_new_hampshire.png"},
    {"Virginia", "June 25,1788", "10 - Virginia June 25,1788", ":/flags/usa_virginia.png"},
    {"New York", "July 26,1788", "11 - New York July 26,1788", ":/flags/usa_new_york.png"},
    {"North Carolina", "Nov.21,1789", "12 - North Carolina Nov. 21,1789", ":/flags/usa_north_carolina.png"},
    {"Rhode Island", "May 29,1790", "13 - Rhode Island May 29,1790", ":/flags/usa_rhode_island.png"},
    {"Vermont", "Mar.4,1791", "14 - Vermont Mar.4,1791", ":/flags/usa_vermont.png"},
    {"Kentucky", "June 1,1792", "15 - Kentucky June 1,1792", ":/flags/usa_kentucky.png"},
    {"Tennessee", "June 1,1796", "16 - Tennessee June 1,1796", ":/flags/usa_tennessee.png"},
    {"Ohio", "Mar.1,1803", "17 - Ohio Mar.1,1803", ":/flags/usa_ohio.png"},
    {"Louisiana", "Apr.30,1812", "18 - Louisiana Apr.30,1812", ":/flags/usa_louisiana.png"},
    {"Indiana", "Dec.11,1816", "19 - Indiana Dec.11,1816", ":/flags/usa_indiana.png"},
    {"Mississippi", "Dec.10,1817", "20 - Mississippi Dec.10,1817", ":/flags/usa_mississippi.png"},
    {"Illinois", "Dec.3,1818", "21 - Illinois Dec.3,1818", ":/flags/usa_illinois.png"},
    {"Alabama", "Dec.14,1819", "22 - Alabama Dec.14,1819", ":/flags/usa_alabama.png"},
    {"Maine", "MAr.15,1820", "23 - Maine Mar.15,1820", ":/flags/usa_maine.png"},
    {"Missouri", "Aug.10,1821", "24 - Missouri Aug.10,1821", ":/flags/usa_missouri.png"},
    {"Arkansas", "June 15,1836", "25 - Arkansas June 15,1836", ":/flags/usa_arkansas.png"},
    {"Michigan", "Jan.26,1837", "26 - Michigan Jan.26,1837", ":/flags/usa_michigan.png"},
    {"Florida", "Mar.3,1845", "27 - Florida Mar.3,1845", ":/flags/usa_florida.png"},
    {"Texas", "Dec.29,1845", "28 - Texas Dec.29,1845", ":/flags/usa_texas.png"},
    {"Iowa", "Dec.28,1846", "29 - Iowa Dec.28,1846", ":/flags/usa_iowa.png"},
    {"Wisconsin", "May 29,1848", "30 - Wisconsin May 29,1848", ":/flags/usa_wisconsin.png"},
    {"California", "Sept.9,1850", "31 - California Sept.9,1850", ":/flags/usa_california.png"},
    {"Minnesota", "May 11,1858", "32 - Minnesota May11,1858", ":/flags/usa_minnesota.png"},
    {"Oregon", "Feb.14,1859", "33 - Oregon Feb.14,1859", ":/flags/usa_oregon.png"},
    {"Kansas", "Jan.29,1861", "34 - Kansas Jan.29,1861 ", ":/flags/usa_kansas.png"},
    {"West Virginia", "June 20,1863", "35 - West Virginia June 20,1863", ":/flags/usa_west_virginia.png"},
    {"Nevada", "Oct.31,1864", "36 - Nevada Oct.31,1864", ":/flags/usa_nevada.png"},
    {"Nebraska", "Mar.1,1867", "37 - Nebraska Mar.1,1867", ":/flags/usa_nebraska.png"},
    {"Colorado", "Aug.1,1876", "38 - Colorado Aug.1.1876", ":/flags/usa_colorado.png"},
    {"North Dakota", "Nov.2,1889", "39 - North Dakota Nov.2,1889", ":/flags/usa_north_dakota.png"},
    {"South Dakota", "Nov.2,1889", "40 - South Dakota Nov.2,1889", ":/flags/usa_south_dakota.png"},
    {"Montana", "Nov.8,1889", "41 - Montana Nov.8,1889", ":/flags/usa_montana.png"},
    {"Washington", "Nov.11,1889", "42 - Washington Nov.11,1889", ":/flags/usa_washington.png"},
    {"Idaho", "July 3,1890", "43 - Idaho July 3,1890", ":/flags/usa_idaho.png"},
    {"Wyoming", "July 10,1890", "44 - Wyoming July 10,1890", ":/flags/usa_wyoming.png"},
    {"Utah", "Jan.4,1896", "45 - Utah Jan.4,1896", ":/flags/usa_utah.png"},
    {"Oklahoma", "Nov.16,1907", "46 - Oklahoma Nov.16,1907", ":/flags/usa_oklahoma.png"},
    {"New Mexico", "Jan.6,1912", "47 - New Mexico Jan.6,1912", ":/flags/usa_new_mexico.png"},
    {"Arizona", "Feb.14,1912", "48 - Arizona Feb.14,1912", ":/flags/usa_arizona.png"},
    {"Alaska", "Jan.3,1959", "49 - Alaska Jan.3,1959", ":/flags/usa_alaska.png"},
    {"Hawaii", "Aug.21,1959", "50 - Hawaii Aug.21,1959", ":/flags/usa_hawaii.png"},
}};

bool InTable(int k) { return k >= 0 && k < StateCount; }

}  // namespace

std::string_view StateName(int k) { return InTable(k) ? StateTable[k].name : std::string_view{}; }
std::string_view StateDate(int k) { return InTable(k) ? StateTable[k].date : std::string_view{}; }
std::string_view StateFlag(int k) { return InTable(k) ? StateTable[k].flag : std::string_view{}; }
std::string_view StateListEntry(int k) {
  return InTable(k) ? StateTable[k].listEntry : std::string_view{};
}

int ListSeparatorTabs(int line) {
  const int firstNumber = 2 * line + 1;
  return (firstNumber == 9 || firstNumber == 13 || firstNumber == 35 || firstNumber == 39) ? 1 : 2;
}

std::string StatesListText() {
  std::string text;
  for (int m = 0; m < StateCount / 2; ++m) {
    if (m > 0) text += "\r\n";
    text += StateTable[2 * m].listEntry;
    text.append(static_cast<std::size_t>(ListSeparatorTabs(m)), '\t');
    text += StateTable[2 * m + 1].listEntry;
  }
  return text;
}

}  // namespace statehood
