// The one way the loader reads file bytes: a cursor over a span that never
// reads outside it. A read that would pass the end fails and leaves the
// position where it was, so a truncated event is never half taken.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace sonara {

class ByteReader {
 public:
  explicit ByteReader(std::span<const uint8_t> bytes) noexcept : bytes_(bytes) {}

  size_t Position() const noexcept { return pos_; }
  size_t Size() const noexcept { return bytes_.size(); }
  size_t Remaining() const noexcept { return bytes_.size() - pos_; }
  bool AtEnd() const noexcept { return pos_ >= bytes_.size(); }

  // The byte at offset ahead of the position, 0 beyond the end.
  uint8_t Peek(size_t ahead = 0) const noexcept {
    return ahead < Remaining() ? bytes_[pos_ + ahead] : uint8_t{0};
  }

  bool ReadByte(uint8_t& out) noexcept {
    if (AtEnd()) return false;
    out = bytes_[pos_++];
    return true;
  }

  // Takes count bytes as one piece.
  bool Take(size_t count, std::span<const uint8_t>& out) noexcept {
    if (count > Remaining()) return false;
    out = bytes_.subspan(pos_, count);
    pos_ += count;
    return true;
  }

  bool Skip(size_t count) noexcept {
    if (count > Remaining()) return false;
    pos_ += count;
    return true;
  }

  // Moves to an absolute offset; offsets past the end fail.
  bool Seek(size_t offset) noexcept {
    if (offset > bytes_.size()) return false;
    pos_ = offset;
    return true;
  }

 private:
  std::span<const uint8_t> bytes_;
  size_t pos_ = 0;
};

}  // namespace sonara
