// The automation collection that ListDevices returns: items counted from 1.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "AutomationError.h"

namespace sonara {

class Collection {
 public:
  void Add(std::string item) { items_.push_back(std::move(item)); }
  int32_t Count() const noexcept { return static_cast<int32_t>(items_.size()); }
  const std::string& Item(int32_t index) const { return items_.at(Offset(index)); }
  void Remove(int32_t index) { items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(Offset(index))); }
  auto begin() const noexcept { return items_.begin(); }
  auto end() const noexcept { return items_.end(); }

 private:
  size_t Offset(int32_t index) const {
    if (index < 1 || index > Count()) throw AutomationError(kSubscriptOutOfRange);
    return static_cast<size_t>(index - 1);
  }
  std::vector<std::string> items_;
};

}  // namespace sonara
