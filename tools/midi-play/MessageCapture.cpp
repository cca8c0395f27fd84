#include "MessageCapture.h"

#include <utility>

namespace midiplay {

MessageCapture::MessageCapture() {
  previous_ = mm::SetMessageBoxHandler([this](const std::string& text, const std::string&, uint32_t) {
    last_ = text;
    return mm::IDOK;
  });
}

MessageCapture::~MessageCapture() { mm::SetMessageBoxHandler(std::move(previous_)); }

std::string MessageCapture::TakeLast() { return std::exchange(last_, std::string()); }

}  // namespace midiplay
