// The file header and the track directory.
#include <algorithm>

#include "clsMidi.h"
#include "loader/ByteReader.h"
#include "loader/SongTiming.h"
#include "platform/dialogs.h"

namespace sonara {

namespace {

constexpr size_t kHeaderSize = 14;
constexpr size_t kChunkHeaderSize = 8;
constexpr int32_t kMinHeaderLength = 6;
constexpr int32_t kMaxTrackCount = 32767;  // the directory is numbered by a 16-bit value

std::string ChunkIdText(const uint8_t* id) { return std::string(reinterpret_cast<const char*>(id), 4); }

}  // namespace

uint32_t clsMidi::BytesToNumber(uint8_t b1, uint8_t b2, uint8_t b3, uint8_t b4, int count) noexcept {
  const uint8_t bytes[4] = {b1, b2, b3, b4};
  uint32_t value = 0;
  for (int i = 0; i < std::clamp(count, 0, 4); ++i) value = (value << 8) | bytes[i];
  return value;
}

void clsMidi::DecodeVarLen(uint8_t b1, uint8_t b2, uint8_t b3, uint8_t b4, int16_t& length,
                           int32_t& value) noexcept {
  const uint8_t bytes[4] = {b1, b2, b3, b4};
  int32_t v = 0;
  for (int16_t i = 0; i < 4; ++i) {
    v = v * 128 + (bytes[i] & 0x7F);
    if (bytes[i] < 0x80) {
      length = static_cast<int16_t>(i + 1);
      value = v;
      return;
    }
  }
  // A quantity that would need a fifth byte is no quantity.
  length = 0;
  value = 0;
}

void clsMidi::RejectFile(const std::string& message) {
  mm::MessageBoxA(0, message, "", mm::MB_OK);
  // The load goes on with its next statement whatever stopping the player meets.
  try {
    CloseDevice();
  } catch (...) {
  }
  modMidi.PlayerStatus = kStatusInvalidFile;
  RaiseStatus(kStatusInvalidFile, StatusText(kStatusInvalidFile));
}

bool clsMidi::ReadHeader(std::span<const uint8_t> file) {
  // A short file reads as if the missing header bytes were zero.
  const ByteReader reader(file);
  uint8_t h[kHeaderSize];
  for (size_t i = 0; i < kHeaderSize; ++i) h[i] = reader.Peek(i);

  modMidi.HeaderChunk = ChunkIdText(h);
  const uint32_t headerLength = BytesToNumber(h[4], h[5], h[6], h[7], 4);
  modMidi.HeaderLength = static_cast<int16_t>(std::min<uint32_t>(headerLength, 0x7FFF));
  modMidi.FileFormat = static_cast<int16_t>(BytesToNumber(h[8], h[9], 0, 0, 2));
  modMidi.TrackCount = static_cast<int16_t>(BytesToNumber(h[10], h[11], 0, 0, 2));
  modMidi.Division = static_cast<int16_t>(BytesToNumber(h[12], h[13], 0, 0, 2));

  // The three fields must lie inside the header, and the song must be timeable.
  const bool valid = modMidi.HeaderChunk == "MThd" && headerLength >= kMinHeaderLength &&
                     IsUsableDivision(modMidi.Division);
  if (!valid) RejectFile("Invalid file format");
  return valid;
}

void clsMidi::ScanTrackChunks(std::span<const uint8_t> file) {
  // The header count is unsigned in the file; only chunks that exist are listed.
  const uint32_t wanted = static_cast<uint16_t>(modMidi.TrackCount);
  modMidi.TrackChunks.Create(1, 0);
  modMidi.TrackEvents.Create(1, 0);

  ByteReader reader(file);
  const uint64_t firstChunk =
      kChunkHeaderSize + BytesToNumber(reader.Peek(4), reader.Peek(5), reader.Peek(6), reader.Peek(7), 4);
  int32_t found = 0;
  if (firstChunk <= file.size()) reader.Seek(static_cast<size_t>(firstChunk));
  else reader.Seek(file.size());

  while (static_cast<uint32_t>(found) < wanted && found < kMaxTrackCount) {
    const size_t position = reader.Position();
    std::span<const uint8_t> head;
    if (!reader.Take(kChunkHeaderSize, head)) break;  // no room for another chunk header
    const uint32_t declared = BytesToNumber(head[4], head[5], head[6], head[7], 4);
    // A chunk that runs past the end of the file ends with the file.
    const size_t length = std::min<size_t>(declared, reader.Remaining());
    if (ChunkIdText(head.data()) == "MTrk") {
      ChunkRecord chunk;
      chunk.ChunkId = "MTrk";
      chunk.ChunkLength = static_cast<int32_t>(length);
      chunk.TrackNumber = static_cast<int16_t>(++found);
      chunk.ChunkPosition = static_cast<int32_t>(position);
      modMidi.TrackChunks.Append(std::move(chunk));
      DynArray<EventRecord> events;
      events.Create(1, 0);
      modMidi.TrackEvents.Append(std::move(events));
    }
    // Chunks of other kinds are skipped, as readers of the format are asked to.
    reader.Skip(length);
  }
  modMidi.TrackCount = static_cast<int16_t>(found);
}

}  // namespace sonara
