// Reserving room for the loader's big event tables.
#pragma once

#include <cstddef>
#include <vector>

namespace sonara {

// Asks the system to back a large, freshly reserved buffer with large pages
// where it can: a big song touches tens of megabytes once, and taking them a
// small page at a time is what a load then mostly waits for. Only a hint.
void AdviseLargeBuffer(void* data, size_t bytes) noexcept;

// Reserves room for count elements and advises the system about it.
template <class T>
void ReserveLarge(std::vector<T>& items, size_t count) {
  items.reserve(count);
  AdviseLargeBuffer(items.data(), items.capacity() * sizeof(T));
}

}  // namespace sonara
