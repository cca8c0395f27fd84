// The failure of a public member: an automation error number with its text.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace sonara {

enum AutomationErrorNumber : int32_t {
  kInvalidCall = 5,       // "Invalid procedure call or argument"
  kOverflow = 6,          // "Overflow"
  kSubscriptOutOfRange = 9,  // "Subscript out of range"
  kTypeMismatch = 13,     // "Type mismatch"
};

class AutomationError : public std::runtime_error {
 public:
  explicit AutomationError(int32_t number);
  AutomationError(int32_t number, const std::string& description);
  int32_t Number() const noexcept { return number_; }
  const char* Description() const noexcept { return what(); }

 private:
  int32_t number_;
};

// The standard description of an automation error number.
std::string AutomationErrorText(int32_t number);

}  // namespace sonara
