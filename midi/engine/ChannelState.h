// A start in the middle of a song: what playing from the beginning would
// have left on each channel, sent before the first buffer.
#pragma once

#include <cstdint>

namespace sonara {

// For every channel with records before Timeline index `start`: bank select
// and the last program change, the last value of every other controller
// 0-119, the parameter numbers and data entries of registered and
// non-registered parameters replayed so that each parameter gets its last
// value and the last selection stands, then the last channel pressure and
// pitch bend. Notes are not struck again. Nothing for a start at record 1.
void SendStateBeforeStart(int32_t start);

}  // namespace sonara
