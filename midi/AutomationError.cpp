#include "AutomationError.h"

namespace sonara {

std::string AutomationErrorText(int32_t number) {
  switch (number) {
    case kInvalidCall: return "Invalid procedure call or argument";
    case kOverflow: return "Overflow";
    case kSubscriptOutOfRange: return "Subscript out of range";
    case kTypeMismatch: return "Type mismatch";
    default: return "Application-defined or object-defined error";
  }
}

AutomationError::AutomationError(int32_t number)
    : std::runtime_error(AutomationErrorText(number)), number_(number) {}

AutomationError::AutomationError(int32_t number, const std::string& description)
    : std::runtime_error(description), number_(number) {}

}  // namespace sonara
