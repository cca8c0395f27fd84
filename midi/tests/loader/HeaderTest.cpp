// The file header, the track directory and files that cannot be read.
#include <filesystem>
#include <fstream>

#include "SongBytes.h"

namespace sonara::testing {
namespace {

const Bytes kOneNote = Track(Ev(0, {0x90, 60, 100}) + Ev(10, {0x80, 60, 0}) + EndOfTrack());

struct HeaderCase {
  const char* name;
  Bytes file;
  bool accepted;
};

class HeaderCheck : public LoaderTest, public ::testing::WithParamInterface<HeaderCase> {};

TEST_P(HeaderCheck, AcceptsOrRejects) {
  Load(GetParam().file);
  if (GetParam().accepted) {
    EXPECT_EQ(player->get_Status(), kStatusFileOpen);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(Events("MidiInfo").size(), 1u);
  } else {
    EXPECT_EQ(player->get_Status(), kStatusInvalidFile);
    EXPECT_EQ(boxes, std::vector<std::string>{"Invalid file format||0"});
    // The player is stopped (and says so) before the file is declared invalid.
    EXPECT_EQ(Events("Status"), (std::vector<std::string>{"Status(0, \"Stopped\")", "Status(3, \"Invalid File\")"}));
    EXPECT_EQ(Events("Progress"), std::vector<std::string>{"Progress(0, \"00:00:00\")"});
    EXPECT_TRUE(Events("MidiInfo").empty());
    EXPECT_TRUE(Events("ChannelMuteChange").empty());  // no reset, no channel pass
  }
}

INSTANTIATE_TEST_SUITE_P(
    Files, HeaderCheck,
    ::testing::Values(
        // A plain format 1 file with one track.
        HeaderCase{"Valid", Header(1) + kOneNote, true},
        // Format 2 is loaded like format 1.
        HeaderCase{"FormatTwo", Header(1, 480, 2) + kOneNote, true},
        // The id check is exact: lower case is another id.
        HeaderCase{"LowerCaseId", Header(1, 480, 1, 6, "mthd") + kOneNote, false},
        // A track chunk where the header should be.
        HeaderCase{"TrackFirst", kOneNote, false},
        // Nothing at all: four zero characters as the id.
        HeaderCase{"EmptyFile", {}, false},
        // Only the id: the header length reads as 0.
        HeaderCase{"IdOnly", Text("MThd"), false},
        // A header length too short to hold format, count and division.
        HeaderCase{"HeaderLengthFive", Header(1, 480, 1, 5) + kOneNote, false},
        // Division 0 cannot be timed.
        HeaderCase{"DivisionZero", Header(1, 0) + kOneNote, false},
        // 25 frames a second, 40 ticks a frame: a time-code division.
        HeaderCase{"TimeCodeDivision", Header(1, 0xE728) + kOneNote, true},
        // A time-code division with no ticks per frame.
        HeaderCase{"TimeCodeWithoutTicks", Header(1, 0xE700) + kOneNote, false},
        // The header alone: a song without tracks.
        HeaderCase{"NoTracks", Header(0), true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LoaderTest, RejectedFileKeepsThePreviousSongButTakesItsHeaderFields) {
  Load(Header(1) + kOneNote);
  const auto song = TimelineText();
  Load(Header(7, 96, 2, 6, "RIFF"));
  EXPECT_EQ(TimelineText(), song);
  EXPECT_EQ(modMidi.FileFormat, 2);
  EXPECT_EQ(modMidi.TrackCount, 7);
  EXPECT_EQ(modMidi.Division, 96);
  // The next valid file loads normally.
  Load(Header(1) + kOneNote);
  EXPECT_EQ(player->get_Status(), kStatusFileOpen);
}

TEST_F(LoaderTest, LongerHeaderAndUnknownChunksAreSkipped) {
  // A header length of 10 and a chunk of unknown kind between the two tracks.
  const Bytes file = Header(2, 480, 1, 10) + Track(Ev(0, {0x90, 60, 100}) + EndOfTrack()) +
                     Chunk("XFIH", Ev(0, {0x91, 1, 2}) + EndOfTrack()) + Track(Ev(5, {0x92, 62, 90}) + EndOfTrack());
  Load(file);
  EXPECT_EQ(TimelineText(), (std::vector<std::string>{"0:00643C90", "5:005A3E92"}));
  ASSERT_EQ(modMidi.TrackCount, 2);
  EXPECT_EQ(modMidi.TrackChunks[1].ChunkPosition, 18);
  EXPECT_EQ(modMidi.TrackChunks[2].ChunkId, "MTrk");
  EXPECT_EQ(modMidi.TrackChunks[2].TrackNumber, 2);
  EXPECT_EQ(modMidi.TrackChunks[2].ChunkPosition, 18 + 16 + 16);
}

TEST_F(LoaderTest, DirectoryListsOnlyChunksThatExist) {
  // The header promises 65535 tracks; the file holds one and a half.
  const Bytes file = Header(65535) + kOneNote + Text("MTrk") + Be32(0x7FFFFFF0) + Bytes{0x00, 0x93};
  Load(file);
  EXPECT_EQ(player->get_Status(), kStatusFileOpen);
  ASSERT_EQ(modMidi.TrackCount, 2);
  EXPECT_EQ(modMidi.TrackChunks[2].ChunkLength, 2);  // clamped to the bytes the file has
  EXPECT_EQ(TimelineText(), (std::vector<std::string>{"0:00643C90", "10:00003C80"}));
}

class FileTest : public LoaderTest {
 protected:
  void SetUp() override {
    LoaderTest::SetUp();
    dir_ = std::filesystem::temp_directory_path() /
           ("loader-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override {
    std::filesystem::remove_all(dir_);
    LoaderTest::TearDown();
  }
  std::filesystem::path dir_;
};

TEST_F(FileTest, MissingFileIsRefusedAndNotCreated) {
  const std::string name = (dir_ / "missing.mid").string();
  sink->lines.clear();
  player->OpenMidiFile(name);
  EXPECT_FALSE(std::filesystem::exists(name));
  EXPECT_EQ(boxes, std::vector<std::string>{"Cannot open file: " + name + " (No such file or directory)||0"});
  EXPECT_EQ(player->get_Status(), kStatusInvalidFile);
  EXPECT_EQ(Events("Status"), (std::vector<std::string>{"Status(0, \"Stopped\")", "Status(3, \"Invalid File\")"}));
  EXPECT_TRUE(Events("MidiInfo").empty());
}

TEST_F(FileTest, DirectoryIsRefused) {
  player->OpenMidiFile(dir_.string());
  EXPECT_EQ(player->get_Status(), kStatusInvalidFile);
  EXPECT_EQ(boxes, std::vector<std::string>{"Cannot open file: " + dir_.string() + " (Is a directory)||0"});
}

TEST_F(FileTest, FileOnDiskLoadsLikeTheSameBytes) {
  const Bytes file = Header(1) + kOneNote;
  const auto path = dir_ / "song.mid";
  {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  }
  player->OpenMidiFile(path.string());
  EXPECT_EQ(player->get_Status(), kStatusFileOpen);
  EXPECT_EQ(TimelineText(), (std::vector<std::string>{"0:00643C90", "10:00003C80"}));
  EXPECT_EQ(player->get_Titles(0), path.string());
}

// Names are passed through as UTF-8 and, where the system allows it, as any
// bytes: a name that is not UTF-8 still names its file on Linux.
TEST_F(FileTest, NamesOutsideAsciiOpenTheirFile) {
  const Bytes file = Header(1) + kOneNote;
  for (const std::string leaf : {"Caf\xC3\xA9 \xE2\x99\xAA \xD0\x93\xD1\x80\xD1\x83\xD1\x81\xD1\x82\xD1\x8C.kar",
                                 "not-utf8-\xFF\xFE.mid"}) {
    SCOPED_TRACE(leaf);
    const std::string name = dir_.string() + "/" + leaf;
    {
      std::ofstream out(name, std::ios::binary);
      out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    }
    boxes.clear();
    player->OpenMidiFile(name);
    EXPECT_EQ(player->get_Status(), kStatusFileOpen);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(player->get_Titles(0), name);
  }
}

}  // namespace
}  // namespace sonara::testing
