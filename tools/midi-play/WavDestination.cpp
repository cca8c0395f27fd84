#include "WavDestination.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "TextSafety.h"

namespace midiplay {
namespace fs = std::filesystem;

namespace {

std::string WritableFolderProblem(const fs::path& folder) {
  std::error_code ec;
  if (fs::exists(folder, ec) && !fs::is_directory(folder, ec)) return "not a folder";
  if (!fs::is_directory(folder, ec)) return "no such folder";
  if (::access(folder.c_str(), W_OK | X_OK) != 0) return std::strerror(errno);
  return "";
}

}  // namespace

WavDestination WavDestination::From(const std::optional<std::string>& wavOut, size_t songCount) {
  std::error_code ec;
  if (!wavOut) return {fs::current_path(ec).string(), true};
  bool folder = songCount > 1 || wavOut->ends_with('/') || fs::is_directory(*wavOut, ec);
  return {*wavOut, folder};
}

std::string WavDestination::Check() const {
  const std::string shown = EscapeControls(path_);
  if (isFolder_) {
    std::string problem = WritableFolderProblem(path_);
    return problem.empty() ? "" : "cannot write WAV files into " + shown + ": " + problem;
  }
  std::error_code ec;
  if (fs::exists(fs::symlink_status(path_, ec))) return shown + " already exists; not overwriting it";
  fs::path parent = fs::path(path_).parent_path();
  std::string problem = WritableFolderProblem(parent.empty() ? fs::path(".") : parent);
  return problem.empty() ? "" : "cannot write " + shown + ": " + problem;
}

std::string WavDestination::PathFor(const std::string& songPath) const {
  if (!isFolder_) return path_;
  std::string stem = fs::path(songPath).stem().string();
  if (stem.empty()) stem = "song";
  fs::path folder(path_);
  std::error_code ec;
  fs::path candidate = folder / (stem + ".wav");
  for (int n = 2; fs::exists(fs::symlink_status(candidate, ec)); ++n)
    candidate = folder / (stem + "-" + std::to_string(n) + ".wav");
  return candidate.string();
}

}  // namespace midiplay
