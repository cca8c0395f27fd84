// Opening a song file: the loading steps in order, then the song's
// announcement with its length and time signature.
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <optional>

#include "clsMidi.h"
#include "loader/SongTiming.h"
#include "platform/dialogs.h"

namespace sonara {

namespace {

constexpr int kPointerDefault = 0;
constexpr int kPointerHourglass = 11;

// Positions in the track directory are 32-bit.
constexpr std::uintmax_t kMaxFileSize = std::numeric_limits<int32_t>::max();

// The whole file in memory, or why it could not be read. Nothing is created.
struct FileContents {
  std::unique_ptr<uint8_t[]> bytes;  // not zero-filled first: the read fills it
  size_t size = 0;
  std::string error;
};

// File names are UTF-8 everywhere in the component; built from a u8string the
// path opens the right file on systems whose narrow calls use another code page.
std::filesystem::path PathFromUtf8(const std::string& name) {
  return std::filesystem::path(std::u8string(name.begin(), name.end()));
}

FileContents ReadWholeFile(const std::string& fileName) {
  FileContents result;
  std::filesystem::path name;
  try {
    name = PathFromUtf8(fileName);
  } catch (const std::exception&) {  // not UTF-8 where the system needs it to be
    result.error = std::strerror(ENOENT);
    return result;
  }
  std::error_code ec;
  if (std::filesystem::is_directory(name, ec)) {
    result.error = std::strerror(EISDIR);
    return result;
  }
  errno = 0;
  std::ifstream in(name, std::ios::binary);
  if (!in) {
    result.error = std::strerror(errno != 0 ? errno : ENOENT);
    return result;
  }
  const auto size = std::filesystem::file_size(name, ec);
  if (ec) {
    result.error = ec.message();
    return result;
  }
  if (size > kMaxFileSize) {
    result.error = std::strerror(EFBIG);
    return result;
  }
  result.size = static_cast<size_t>(size);
  result.bytes = std::make_unique_for_overwrite<uint8_t[]>(result.size);
  in.read(reinterpret_cast<char*>(result.bytes.get()), static_cast<std::streamsize>(size));
  if (in.gcount() != static_cast<std::streamsize>(size)) {
    result.error = std::strerror(errno != 0 ? errno : EIO);
    result.size = 0;
  }
  return result;
}

// Runs one loading step; a failure ends that step only.
template <class Step>
void IgnoringFailure(Step&& step) {
  try {
    step();
  } catch (...) {
  }
}

std::string TimeSignatureText() {
  return std::to_string(modMidi.TimeSigNumerator) + "/" + std::to_string(modMidi.TimeSigDenominator);
}

}  // namespace

void clsMidi::OpenMidiFile(const std::string& FileName) {
  if (modMidi.PlayerStatus == kStatusPlaying) IgnoringFailure([&] { StopMidi(); });
  FileContents file = ReadWholeFile(FileName);
  if (!file.error.empty()) {
    // A file that cannot be read is refused like one with a bad header.
    IgnoringFailure([&] {
      mm::SetMousePointer(kPointerHourglass);
      RejectFile("Cannot open file: " + FileName + " (" + file.error + ")");
    });
    IgnoringFailure([] { mm::SetMousePointer(kPointerDefault); });
    return;
  }
  OpenMidiData(FileName, std::span<const uint8_t>(file.bytes.get(), file.size));
}

void clsMidi::OpenMidiData(const std::string& FileName, std::span<const uint8_t> data) {
  IgnoringFailure([] { mm::SetMousePointer(kPointerHourglass); });
  bool valid = false;
  IgnoringFailure([&] { valid = ReadHeader(data); });
  if (!valid) {
    IgnoringFailure([] { mm::SetMousePointer(kPointerDefault); });
    return;
  }
  fileName_ = FileName;
  IgnoringFailure([&] { ResetSongSettings(); });
  IgnoringFailure([&] { ScanTrackChunks(data); });
  IgnoringFailure([&] { ReadTracks(data); });
  IgnoringFailure([&] { MergeTracks(); });
  modMidi.StreamTempo = StreamTempoFor(modMidi.Tempo, modMidi.Division);
  modMidi.PlayerStatus = kStatusFileOpen;
  IgnoringFailure([&] { RaiseStatus(kStatusFileOpen, StatusText(kStatusFileOpen)); });
  IgnoringFailure([&] { RaiseMidiInfo(ClockText(TicksToMilliseconds(modMidi.SongTicks)), TimeSignatureText()); });
  IgnoringFailure([] { mm::SetMousePointer(kPointerDefault); });
}

}  // namespace sonara
