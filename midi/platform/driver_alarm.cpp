#include "driver_alarm.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace mm {

namespace {

int Checked(int fd, const char* what) {
  if (fd < 0) throw std::system_error(errno, std::generic_category(), what);
  return fd;
}

}  // namespace

DriverAlarm::DriverAlarm()
    : timer_(Checked(timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC | TFD_NONBLOCK), "timerfd_create")),
      interrupt_(-1) {
  interrupt_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (interrupt_ < 0) {
    const int error = errno;
    close(timer_);
    throw std::system_error(error, std::generic_category(), "eventfd");
  }
}

DriverAlarm::~DriverAlarm() {
  close(timer_);
  close(interrupt_);
}

void DriverAlarm::Set(std::optional<int64_t> dueMicros) {
  if (dueMicros == set_) return;
  set_ = dueMicros;
  itimerspec spec{};
  if (dueMicros) {
    // The steady clock is CLOCK_MONOTONIC; an absolute time of 0 would
    // disarm the timer, so the earliest time is 1 ns.
    const int64_t due = *dueMicros > 0 ? *dueMicros : 0;
    spec.it_value.tv_sec = due / 1000000;
    spec.it_value.tv_nsec = (due % 1000000) * 1000;
    if (spec.it_value.tv_sec == 0 && spec.it_value.tv_nsec == 0) spec.it_value.tv_nsec = 1;
  }
  timerfd_settime(timer_, TFD_TIMER_ABSTIME, &spec, nullptr);
}

bool DriverAlarm::Wait() {
  pollfd fds[2] = {{timer_, POLLIN, 0}, {interrupt_, POLLIN, 0}};
  while (poll(fds, 2, -1) < 0 && errno == EINTR) {
  }
  uint64_t count = 0;
  if (fds[1].revents & POLLIN) (void)!read(interrupt_, &count, sizeof count);
  return (fds[0].revents & POLLIN) && read(timer_, &count, sizeof count) == sizeof count;
}

void DriverAlarm::Interrupt() {
  const uint64_t one = 1;
  (void)!write(interrupt_, &one, sizeof one);
}

}  // namespace mm
