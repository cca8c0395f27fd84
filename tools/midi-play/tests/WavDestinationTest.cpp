#include "WavDestination.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

namespace midiplay {
namespace {

namespace fs = std::filesystem;

class WavDestinationTest : public testing::Test {
 protected:
  WavDestinationTest() {
    folder = fs::temp_directory_path() / ("midi-play-wav-" + std::to_string(::getpid()));
    fs::create_directories(folder);
  }
  ~WavDestinationTest() override { fs::remove_all(folder); }
  void Touch(const fs::path& p) { std::ofstream(p) << "keep"; }

  fs::path folder;
};

TEST_F(WavDestinationTest, AFolderGetsTheSongsNameWithoutOverwriting) {
  auto destination = WavDestination::From(folder.string(), 1);
  EXPECT_EQ(destination.Check(), "");
  EXPECT_EQ(destination.PathFor("songs/tune.kar"), (folder / "tune.wav").string());
  Touch(folder / "tune.wav");
  Touch(folder / "tune-2.wav");
  EXPECT_EQ(destination.PathFor("songs/tune.kar"), (folder / "tune-3.wav").string());
}

TEST_F(WavDestinationTest, SeveralSongsMakeOutAFolder) {
  auto destination = WavDestination::From((folder / "out.wav").string(), 2);
  EXPECT_NE(destination.Check().find("no such folder"), std::string::npos);
}

TEST_F(WavDestinationTest, ANamedFileIsNeverOverwritten) {
  fs::path file = folder / "mine.wav";
  EXPECT_EQ(WavDestination::From(file.string(), 1).Check(), "");
  EXPECT_EQ(WavDestination::From(file.string(), 1).PathFor("a.mid"), file.string());
  Touch(file);
  EXPECT_NE(WavDestination::From(file.string(), 1).Check().find("already exists"), std::string::npos);
}

TEST_F(WavDestinationTest, AFileInAMissingFolderIsRefused) {
  auto problem = WavDestination::From((folder / "no" / "x.wav").string(), 1).Check();
  EXPECT_NE(problem.find("cannot write"), std::string::npos) << problem;
}

}  // namespace
}  // namespace midiplay
