// A private PulseAudio server with a null sink, and a recorder of that
// sink's monitor, for the tests of real-time sound. Both are child processes
// that the test starts and ends by their process ids.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "AudioAnalysis.h"

extern char** environ;

namespace devices_test {

// A child process with its output in `logPath`, ended by its id.
class Child {
 public:
  Child(std::vector<std::string> argv, const std::string& outPath, const std::string& logPath,
        std::vector<std::string> extraEnv = {}) {
    std::vector<char*> args;
    for (auto& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    std::vector<std::string> envStore = std::move(extraEnv);
    for (char** e = environ; *e; ++e) envStore.emplace_back(*e);
    std::vector<char*> env;
    for (auto& e : envStore) env.push_back(e.data());
    env.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), env.data()) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~Child() { Stop(); }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  bool Started() const { return pid_ > 0; }
  bool Running() {
    if (pid_ <= 0) return false;
    if (waitpid(pid_, nullptr, WNOHANG) == pid_) pid_ = -1;
    return pid_ > 0;
  }
  // Asks it to end, then insists after two seconds.
  void Stop(int signal = SIGTERM) {
    if (pid_ <= 0) return;
    kill(pid_, signal);
    for (int i = 0; i < 200; ++i) {
      if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
        pid_ = -1;
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
};

inline std::string ReadText(const std::string& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The server listens on a socket in its own folder; clients find it through
// PULSE_SERVER (see Address()).
class PulseServer {
 public:
  static constexpr const char* kSink = "sonara_null";

  explicit PulseServer(const std::string& folder) : folder_(folder) {
    const std::string socket = folder_ + "/native";
    if (!std::filesystem::exists("/usr/bin/pulseaudio")) {
      why_ = "Debian's pulseaudio is not installed (scripts/setup installs it)";
      return;
    }
    server_ = std::make_unique<Child>(
        std::vector<std::string>{"/usr/bin/pulseaudio", "--daemonize=no", "--exit-idle-time=-1", "--system=false",
                                 "--use-pid-file=no", "--disable-shm=yes", "-n", "--log-target=stderr",
                                 "-L", std::string("module-null-sink sink_name=") + kSink + " rate=44100",
                                 "-L", "module-native-protocol-unix auth-anonymous=1 socket=" + socket},
        "/dev/null", folder_ + "/server.log",
        std::vector<std::string>{"HOME=" + folder_, "XDG_RUNTIME_DIR=" + folder_, "XDG_CONFIG_HOME=" + folder_});
    // Ready once its socket exists (a few hundred ms).
    for (int i = 0; i < 500 && server_->Running(); ++i) {
      if (std::filesystem::exists(socket)) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    why_ = "the PulseAudio server did not start: " + ReadText(folder_ + "/server.log");
    server_.reset();
  }

  bool Ready() const { return server_ != nullptr; }
  const std::string& WhyNot() const { return why_; }
  std::string Address() const { return "unix:" + folder_ + "/native"; }

 private:
  std::string folder_;
  std::string why_;
  std::unique_ptr<Child> server_;
};

inline Audio ReadRawStereo(const std::string& path, int rate);

// Records the null sink's monitor as raw 16-bit stereo at 44.1 kHz.
class MonitorRecorder {
 public:
  MonitorRecorder(const PulseServer& server, const std::string& folder)
      : raw_(folder + "/monitor.raw"),
        child_({"/usr/bin/parec", "--raw", "--format=s16le", "--rate=44100", "--channels=2",
                "--latency-msec=10", std::string("--device=") + PulseServer::kSink + ".monitor",
                "--server=" + server.Address()},
               raw_, folder + "/parec.log") {}

  // The null sink's clock makes the monitor deliver silence while nothing
  // plays, so data arriving means the recorder is connected.
  bool WaitUntilRecording() {
    for (int i = 0; i < 300 && child_.Running(); ++i) {
      std::error_code ec;
      if (std::filesystem::file_size(raw_, ec) > 4096) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }

  // Ends the recorder and reads what it recorded.
  Audio Finish();

 private:
  std::string raw_;
  Child child_;
};

// Raw 16-bit little-endian stereo as mono floats.
inline Audio ReadRawStereo(const std::string& path, int rate) {
  Audio a;
  a.rate = rate;
  a.channels = 2;
  std::ifstream in(path, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
  const size_t frames = bytes.size() / 4;
  a.frames = static_cast<int64_t>(frames);
  a.mono.resize(frames);
  for (size_t i = 0; i < frames; ++i) {
    int16_t l, r;
    std::memcpy(&l, &bytes[4 * i], 2);
    std::memcpy(&r, &bytes[4 * i + 2], 2);
    a.mono[i] = (static_cast<float>(l) + static_cast<float>(r)) / 65536.0f;
  }
  return a;
}

inline Audio MonitorRecorder::Finish() {
  child_.Stop(SIGINT);
  return ReadRawStereo(raw_, 44100);
}

}  // namespace devices_test
