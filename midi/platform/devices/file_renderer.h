// A device that renders what it is sent into a WAV file (44.1 kHz, 16-bit
// stereo) with the software synthesizer, in virtual time: a program
// registers it, switches the clock to virtual time and plays as fast as
// possible (clock::RunAsFastAsPossible). Audio is rendered up to each
// message's due time before the message is applied, so every event lands on
// its own sample; closing the stream renders the release tail and finishes
// the file.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "output_device.h"

namespace mm {

class FileRenderer : public OutputDevice {
 public:
  explicit FileRenderer(std::string wavPath);
  ~FileRenderer() override;
  FileRenderer(const FileRenderer&) = delete;
  FileRenderer& operator=(const FileRenderer&) = delete;

  std::string Name() const override;
  // Loads the soundfont and creates the file; fails (with the file's name
  // in the reason) when either cannot be had.
  MMRESULT Open(std::string& reason) override;
  // Renders the tail until the synthesizer is silent and completes the file.
  void Close() override;
  void SendShortMessage(uint32_t message) override;
  void Reset() override;
  MMRESULT GetVolume(uint32_t& volume) override;
  MMRESULT SetVolume(uint32_t volume) override;
  bool HasVolume() const override { return true; }
  uint16_t Technology() const override { return MOD_SWSYNTH; }

  const std::string& Path() const noexcept;
  // Empty while all is well; otherwise what went wrong, naming the file. A
  // file that failed is removed, never left behind as if complete.
  std::string Error() const;
  // Audio frames written so far.
  int64_t FramesWritten() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace mm
