// Where rendered songs go: one file the user named, or a folder that gets
// NAME.wav per song. An existing file is never overwritten.
#pragma once

#include <optional>
#include <string>

namespace midiplay {

class WavDestination {
 public:
  // --wav OUT: a folder when OUT is one (or ends in '/') or when several
  // songs are rendered; otherwise the file OUT. Without --wav: the current folder.
  static WavDestination From(const std::optional<std::string>& wavOut, size_t songCount);

  // "" when the destination can be written; otherwise the reason, one line.
  std::string Check() const;
  // The file for a song: OUT, or FOLDER/NAME.wav where NAME is the song's
  // file name without its extension, with -2, -3, ... added while such a
  // file exists.
  std::string PathFor(const std::string& songPath) const;

 private:
  WavDestination(std::string path, bool isFolder) : path_(std::move(path)), isFolder_(isFolder) {}
  std::string path_;
  bool isFolder_;
};

}  // namespace midiplay
