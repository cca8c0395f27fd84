// The critical section of the buffer-done handling. It is created by
// InitializeCriticalSection and released by DeleteCriticalSection, so an
// uninitialised one holds nothing and copies of it share one lock.
#pragma once

#include <memory>
#include <mutex>

namespace mm {

struct CRITICAL_SECTION {
  std::shared_ptr<std::recursive_mutex> lock;
};

inline void InitializeCriticalSection(CRITICAL_SECTION* cs) { cs->lock = std::make_shared<std::recursive_mutex>(); }
inline void EnterCriticalSection(CRITICAL_SECTION* cs) {
  if (cs->lock) cs->lock->lock();
}
inline void LeaveCriticalSection(CRITICAL_SECTION* cs) {
  if (cs->lock) cs->lock->unlock();
}
inline void DeleteCriticalSection(CRITICAL_SECTION* cs) { cs->lock.reset(); }

}  // namespace mm
