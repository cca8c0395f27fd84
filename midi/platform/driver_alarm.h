// What a stream's driver thread sleeps on: an alarm at the next due time
// that any thread may move without waking the driver, and an interruption
// for closing. Moving the alarm costs the caller one system call and the
// driver nothing, so queueing a buffer does not switch to the driver thread
// just for it to go back to sleep.
#pragma once

#include <cstdint>
#include <optional>

namespace mm {

class DriverAlarm {
 public:
  DriverAlarm();
  ~DriverAlarm();
  DriverAlarm(const DriverAlarm&) = delete;
  DriverAlarm& operator=(const DriverAlarm&) = delete;

  // Rings at `dueMicros` on the steady clock (at once when it has passed);
  // nullopt silences it. Setting the time it is already set to costs nothing.
  // Set and Rang are called under the owner's lock.
  void Set(std::optional<int64_t> dueMicros);
  // After a Wait that the alarm ended: it is silent now.
  void Rang() { set_.reset(); }
  // Sleeps until the alarm rings or Interrupt is called; true when it rang.
  bool Wait();
  void Interrupt();

 private:
  int timer_;
  int interrupt_;
  std::optional<int64_t> set_;
};

}  // namespace mm
