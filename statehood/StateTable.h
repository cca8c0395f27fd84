#pragma once
// The 50 states in the order of their admission to the Union. Row k is the
// state admitted (k + 1)-th; k + 1 is the number the player has to pick.

#include <cstdint>
#include <string>
#include <string_view>

namespace statehood {

inline constexpr std::int16_t StateCount = 50;

// Name and date shown while the state is asked. Empty for k outside 0..49.
std::string_view StateName(int k);
std::string_view StateDate(int k);

// Qt resource path of the state's flag picture (embedded at build time from the
// installed flag collection). Empty for k outside 0..49.
std::string_view StateFlag(int k);

// The state's entry in the states list.
std::string_view StateListEntry(int k);

// TABs between the two entries of list line m (0..24): one where the first
// entry is long enough to reach the next tab stop by itself, else two.
int ListSeparatorTabs(int line);

// All 50 list entries, two to a line, 25 lines joined by CR LF.
std::string StatesListText();

}  // namespace statehood
