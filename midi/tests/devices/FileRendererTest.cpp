// The WAV renderer with the real soundfont, driven through the stream calls
// on the virtual clock.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <thread>

#include "AudioAnalysis.h"
#include "RenderSupport.h"
#include "platform/devices/synth_device.h"

namespace devices_test {
namespace {

namespace fs = std::filesystem;
using mm::FileRenderer;

constexpr int kFlute = 73, kChurchOrgan = 19, kPiano = 0;
constexpr int kDrums = 9, kClosedHiHat = 42;

// A flute note held from 0 to `ms`.
std::vector<Timed> FluteNote(int key, int64_t ms) {
  auto t = Dry(0);
  t.push_back({0, Program(0, kFlute)});
  t.push_back({0, NoteOn(0, key)});
  t.push_back({ms, NoteOff(0, key)});
  return t;
}

class FileRendering : public ::testing::Test {
 protected:
  // Renders and reads back; the file must be complete and healthy.
  Audio RenderAndRead(const std::vector<Timed>& timed, int64_t closeMs, uint32_t volume = 0xFFFFFFFF) {
    auto renderer = std::make_shared<FileRenderer>(dir / "out.wav");
    renderer->SetVolume(volume);
    Render(renderer, timed, closeMs);
    EXPECT_EQ(renderer->Error(), "");
    EXPECT_FALSE(fs::exists(renderer->Path() + ".part"));
    Audio a = ReadWav(renderer->Path());
    EXPECT_EQ(a.frames, renderer->FramesWritten());
    return a;
  }
  TempDir dir;
};

// 44.1 kHz 16-bit stereo, as promised.
TEST_F(FileRendering, WritesCdQualityWav) {
  auto renderer = std::make_shared<FileRenderer>(dir / "format.wav");
  Render(renderer, FluteNote(69, 100), 200);
  SF_INFO info{};
  SNDFILE* f = sf_open(renderer->Path().c_str(), SFM_READ, &info);
  ASSERT_NE(f, nullptr);
  sf_close(f);
  EXPECT_EQ(info.samplerate, 44100);
  EXPECT_EQ(info.channels, 2);
  EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
}

struct Pitch {
  int key;
  double hertz;
};

// A sustained note renders at its frequency; an octave up doubles it.
TEST_F(FileRendering, NotesSoundAtTheirFrequency) {
  const Pitch pitches[] = {{57, 220.0}, {69, 440.0}, {81, 880.0}, {76, 659.255}};
  for (const auto& p : pitches) {
    Audio a = RenderAndRead(FluteNote(p.key, 1200), 1300);
    double f = DominantFrequency(a, 0.3, 1.1);
    EXPECT_NEAR(f, p.hertz, p.hertz * 0.01) << "key " << p.key;
  }
}

// Each event lands at its due time: hi-hat strokes (a sharp attack and a
// short decay) at irregular times start within 2 ms of them; the stream
// started at the open, time 0.
TEST_F(FileRendering, OnsetsFallOnTheirDueTimes) {
  const int64_t due[] = {0, 413, 1001, 1337, 2222, 2500};
  std::vector<Timed> timed = Dry(kDrums);
  for (int64_t ms : due) timed.push_back({ms, NoteOn(kDrums, kClosedHiHat, 120)});
  Audio a = RenderAndRead(timed, 2700);
  auto onsets = Onsets(a, 1e-3f);
  ASSERT_EQ(onsets.size(), std::size(due));
  for (size_t i = 0; i < onsets.size(); ++i) EXPECT_NEAR(onsets[i] * 1000, due[i], 2.0) << "stroke " << i;
}

// The file ends with the song's release: it runs past the stop, is silent at
// its end and is not padded for long after the sound has died.
TEST_F(FileRendering, EndsWithTheReleaseTail) {
  std::vector<Timed> timed = {{0, Program(0, kPiano)}, {0, NoteOn(0, 60)}, {800, NoteOff(0, 60)}};
  Audio a = RenderAndRead(timed, 800);
  EXPECT_GT(Rms(a, 0.80, 0.85), 1e-3) << "the release was cut at the stop";
  EXPECT_GT(a.Seconds(), 0.85);
  EXPECT_LT(a.Seconds(), 0.8 + 5.1);
  // Ends once the sound has stayed below -80 dB for a tenth of a second.
  EXPECT_LT(Rms(a, a.Seconds() - 0.05, a.Seconds()), 1e-4);
  EXPECT_LT(a.Seconds() - LastSound(a, 1e-4f), 0.2);  // 0.1 s of quiet, in whole blocks
}

// A reset releases every note, held pedal or not, so the file ends soon
// after; a note never released is cut after the longest tail.
TEST_F(FileRendering, ResetReleasesEveryNote) {
  std::vector<Timed> held = {{0, Program(0, kChurchOrgan)}, {0, Control(0, 64, 127)}, {0, NoteOn(0, 60)},
                             {0, NoteOn(0, 64)},           {0, NoteOn(0, 67)}};
  Audio reset = RenderAndRead(held, 500);  // Render resets the stream before closing
  EXPECT_GT(Rms(reset, 0.1, 0.4), 1e-2);
  EXPECT_LT(LastSound(reset, 1e-3f), 2.0);

  // Closed with no reset: the organ would sound for ever.
  auto renderer = std::make_shared<FileRenderer>(dir / "held.wav");
  {
    mm::clock::VirtualClockGuard clock;
    std::string reason;
    ASSERT_EQ(renderer->Open(reason), mm::MMSYSERR_NOERROR) << reason;
    for (const auto& t : held) renderer->SendShortMessage(t.message);
    mm::clock::AdvanceTo(500000);
    renderer->Close();
  }
  Audio cut = ReadWav(renderer->Path());
  EXPECT_NEAR(cut.Seconds(), 0.5 + 5.0, 0.05);
}

// The gain follows the mean of the two levels of the volume word.
TEST_F(FileRendering, VolumeWordSetsTheLevel) {
  const double full = Rms(RenderAndRead(FluteNote(69, 600), 700), 0.1, 0.5);
  ASSERT_GT(full, 1e-2);
  struct Case {
    uint32_t word;
    double ratio;
  };
  const Case cases[] = {
      {0x4CD04CD0, 0.3},  // MasterVolume 3
      {0x0000FFFF, 0.5},  // left only: the mean of the two
      {0xFFFF0000, 0.5},  // right only
      {0x00000000, 0.0},
  };
  for (const auto& c : cases) {
    double level = Rms(RenderAndRead(FluteNote(69, 600), 700, c.word), 0.1, 0.5);
    EXPECT_NEAR(level / full, c.ratio, 0.02) << std::hex << c.word;
  }
}

// A volume change mid-song applies from its time on.
TEST_F(FileRendering, VolumeChangeAppliesAtItsTime) {
  auto renderer = std::make_shared<FileRenderer>(dir / "ramp.wav");
  {
    mm::clock::VirtualClockGuard clock;
    std::string reason;
    ASSERT_EQ(renderer->Open(reason), mm::MMSYSERR_NOERROR) << reason;
    for (const auto& t : FluteNote(69, 0)) {
      if ((t.message & 0xF0) != 0x80) renderer->SendShortMessage(t.message);
    }
    mm::clock::AdvanceTo(600000);
    renderer->SetVolume(0x4CD04CD0);
    mm::clock::AdvanceTo(1000000);
    renderer->Reset();
    renderer->Close();
  }
  Audio a = ReadWav(renderer->Path());
  EXPECT_NEAR(Rms(a, 0.65, 0.95) / Rms(a, 0.25, 0.55), 0.3, 0.03);
}

std::string Read(const std::string& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Opens that cannot work fail at once, say which file is at fault, and leave
// nothing behind.
TEST_F(FileRendering, FailedOpensNameTheFile) {
  std::ofstream(dir / "plain-file") << "not a folder";
  std::ofstream(dir / "text.sf2") << "not a soundfont";
  struct Case {
    const char* what;
    std::string wav;
    std::string soundFont;
    std::string named;
  };
  const Case cases[] = {
      {"folder missing", dir / "no-such-folder/out.wav", "", dir / "no-such-folder/out.wav"},
      {"folder is a file", dir / "plain-file/out.wav", "", dir / "plain-file/out.wav"},
      {"soundfont missing", dir / "a.wav", dir / "missing.sf2", dir / "missing.sf2"},
      {"soundfont is text", dir / "b.wav", dir / "text.sf2", dir / "text.sf2"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    if (!c.soundFont.empty()) mm::SetSoundFont(c.soundFont);
    auto renderer = std::make_shared<FileRenderer>(c.wav);
    mm::clock::VirtualClockGuard clock;
    uint32_t id = mm::RegisterDevice(renderer);
    mm::HMIDISTRM h = 0;
    EXPECT_EQ(mm::midiStreamOpen(&h, &id, 1, 0, 0, mm::CALLBACK_NULL), mm::MMSYSERR_NODRIVER);
    std::string text = ErrorText(mm::MMSYSERR_NODRIVER);
    EXPECT_NE(text.find(c.named), std::string::npos) << text;
    EXPECT_FALSE(fs::exists(c.wav));
    EXPECT_FALSE(fs::exists(c.wav + ".part"));
    mm::UnregisterDevice(renderer);
    mm::SetSoundFont("");
  }
  EXPECT_EQ(Read(dir / "plain-file"), "not a folder");
}

// A folder the user may not write to fails the open with the file's name.
// As root, where permissions do not apply, the open runs in a child process
// that has become the unprivileged user "nobody".
TEST_F(FileRendering, NoPermissionNamesTheFile) {
  fs::create_directory(dir / "locked");
  fs::permissions(dir / "locked", fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
                                      fs::perms::others_exec);
  fs::permissions(dir.path(), fs::perms::others_exec, fs::perm_options::add);
  const std::string wav = dir / "locked/out.wav";
  auto openFails = [&wav] {
    FileRenderer renderer(wav);
    std::string reason;
    return renderer.Open(reason) == mm::MMSYSERR_NODRIVER && reason.find(wav) != std::string::npos &&
           reason.find("Permission denied") != std::string::npos;
  };
  if (geteuid() != 0) {
    EXPECT_TRUE(openFails());
  } else {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      constexpr uid_t kNobody = 65534;
      _exit(setgid(kNobody) == 0 && setuid(kNobody) == 0 && openFails() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  EXPECT_TRUE(fs::is_empty(dir / "locked"));
}

// A disk that fills up mid-render (here a file size limit): the error names
// the file and no file is left, neither complete nor partial.
TEST_F(FileRendering, FullDiskRemovesThePartialFile) {
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  rlimit small = old;
  small.rlim_cur = 64 * 1024;  // about 0.4 s of audio
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  auto renderer = std::make_shared<FileRenderer>(dir / "full.wav");
  Render(renderer, FluteNote(69, 2000), 2000);
  setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_NE(renderer->Error().find(renderer->Path()), std::string::npos) << renderer->Error();
  EXPECT_FALSE(fs::exists(renderer->Path()));
  EXPECT_FALSE(fs::exists(renderer->Path() + ".part"));
}

// One file, one writer: a second open while the first render runs is
// refused; after the close the renderer can write again.
TEST_F(FileRendering, OneRenderAtATime) {
  mm::clock::VirtualClockGuard clock;
  FileRenderer renderer(dir / "once.wav");
  std::string reason;
  ASSERT_EQ(renderer.Open(reason), mm::MMSYSERR_NOERROR) << reason;
  EXPECT_EQ(renderer.Open(reason), mm::MMSYSERR_ALLOCATED);
  EXPECT_NE(reason.find(renderer.Path()), std::string::npos);
  renderer.Close();
  ASSERT_EQ(renderer.Open(reason), mm::MMSYSERR_NOERROR) << reason;
  renderer.Close();
  EXPECT_TRUE(fs::exists(renderer.Path()));
  EXPECT_EQ(renderer.Error(), "");
}

// On the real clock the stream's thread renders while the client thread
// sends its own messages and volume changes: all of it lands in one sound
// file of the right length (checked for races by the sanitizer build).
TEST_F(FileRendering, StreamThreadAndClientTogether) {
  ASSERT_FALSE(mm::clock::IsVirtual());
  auto renderer = std::make_shared<FileRenderer>(dir / "threads.wav");
  uint32_t id = mm::RegisterDevice(renderer);
  mm::HMIDISTRM h = 0;
  ASSERT_EQ(mm::midiStreamOpen(&h, &id, 1, 0, 0, mm::CALLBACK_NULL), mm::MMSYSERR_NOERROR);
  std::vector<Timed> timed;
  for (int64_t ms = 0; ms < 300; ms += 3) timed.push_back({ms, NoteOn(0, static_cast<int>(40 + ms % 40))});
  TimedBuffer buffer(timed);
  StartStream(h, buffer);
  for (int i = 0; i < 100; ++i) {
    uint32_t v = 0;
    EXPECT_EQ(mm::midiOutSetVolume(h, 0xFFFFFFFF - static_cast<uint32_t>(i)), mm::MMSYSERR_NOERROR);
    EXPECT_EQ(mm::midiOutGetVolume(h, &v), mm::MMSYSERR_NOERROR);
    EXPECT_EQ(mm::midiOutShortMsg(h, NoteOn(1, 60 + i % 12)), mm::MMSYSERR_NOERROR);
    std::this_thread::sleep_for(std::chrono::milliseconds(4));
  }
  mm::midiOutReset(h);
  EXPECT_EQ(mm::midiStreamClose(h), mm::MMSYSERR_NOERROR);
  mm::UnregisterDevice(renderer);
  EXPECT_EQ(renderer->Error(), "");
  Audio a = ReadWav(renderer->Path());
  EXPECT_GT(a.Seconds(), 0.4);
  EXPECT_GT(Rms(a, 0.05, 0.3), 1e-2);
}

// A renderer dropped before its close leaves no file.
TEST_F(FileRendering, AbandonedRenderLeavesNoFile) {
  mm::clock::VirtualClockGuard clock;
  {
    FileRenderer renderer(dir / "abandoned.wav");
    std::string reason;
    ASSERT_EQ(renderer.Open(reason), mm::MMSYSERR_NOERROR) << reason;
    renderer.SendShortMessage(NoteOn(0, 60));
    mm::clock::AdvanceTo(300000);
    renderer.SendShortMessage(NoteOff(0, 60));
  }
  EXPECT_TRUE(fs::is_empty(dir.path()));
}

}  // namespace
}  // namespace devices_test
