// Client calls made from inside the events of a fill, and the rule for which
// object's clients hear what.
#include <algorithm>
#include <functional>
#include <utility>

#include "FormProc.h"
#include "engine/PlaybackFixture.h"

namespace sonara::testing {
namespace {

// A recording sink that can also act when an event arrives.
class ActingSink : public RecordingSink {
 public:
  std::function<void(int16_t channel, int16_t note, int16_t on)> onNotes;
  std::function<void(const std::string& text)> onText;

  void NotesPlaying(int16_t Channel, int16_t NoteValue, const std::string& NoteText, int16_t DrumsValue,
                    const std::string& DrumsText, int16_t NoteOn) override {
    RecordingSink::NotesPlaying(Channel, NoteValue, NoteText, DrumsValue, DrumsText, NoteOn);
    if (onNotes) std::exchange(onNotes, nullptr)(Channel, NoteValue, NoteOn);  // acts once
  }
  void TextKar(const std::string& TxtString, int16_t TextStart, const std::string& AtualPhrase,
               const std::string& NextPhrase) override {
    RecordingSink::TextKar(TxtString, TextStart, AtualPhrase, NextPhrase);
    if (onText && !TxtString.empty()) std::exchange(onText, nullptr)(TxtString);
  }
};

// Chords on two channels: every group of the second chord raises two
// NotesPlaying, so a call from the first interrupts the fill.
const Bytes kChords = Song(Ev(0, {0x90, 60, 100}) + Ev(0, {0x91, 67, 100}) + Ev(96, {0x80, 60, 0}) +
                           Ev(0, {0x81, 67, 0}) + Ev(0, {0x90, 62, 100}) + Ev(0, {0x91, 69, 100}) +
                           Ev(96, {0x80, 62, 0}) + Ev(0, {0x81, 69, 0}));

class Reentry : public PlaybackTest {
 protected:
  void SetUp() override {
    PlaybackTest::SetUp();
    acting = std::make_shared<ActingSink>();
    player->Advise(acting);
  }
  std::shared_ptr<ActingSink> acting;
};

// Stop, pause or play from a handler in mid-fill: the fill is abandoned and
// nothing of it is queued; the call does what it does from anywhere.
struct HandlerCase {
  const char* name;
  int16_t statusAfter;
  void (clsMidi::*call)();
};

class CallFromNotesHandler : public Reentry, public ::testing::WithParamInterface<HandlerCase> {};

TEST_P(CallFromNotesHandler, AbandonsTheInterruptedFill) {
  LoadSong(kChords);
  player->PlayMidi();
  mm::clock::AdvanceTo(1);  // the second group is queued
  acting->onNotes = [this](int16_t, int16_t, int16_t) { ((*player).*GetParam().call)(); };
  mm::clock::AdvanceTo(600'000);  // the second group plays; the third one's fill is interrupted
  EXPECT_EQ(player->get_Status(), GetParam().statusAfter);
  RunToEnd();
  EXPECT_TRUE(boxes.empty());
  // The interrupted group's first record is announced, the rest of it not.
  EXPECT_EQ(Events("NotesPlaying(1, 67").size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Calls, CallFromNotesHandler,
                         ::testing::Values(HandlerCase{"Stop", kStatusStopped, &clsMidi::StopMidi},
                                           HandlerCase{"Pause", kStatusPaused, &clsMidi::Pause}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Reentry, StopFromNotesHandlerQueuesNothingMore) {
  LoadSong(kChords);
  player->PlayMidi();
  mm::clock::AdvanceTo(1);
  acting->onNotes = [this](int16_t, int16_t, int16_t) { player->StopMidi(); };
  mm::clock::AdvanceTo(10'000'000);
  // The group being filled at 500 ms never reaches the device.
  EXPECT_EQ(Notes(), (Timed{{0, 0x643C90}, {0, 0x644391}, {500000, 0x3C80}, {500000, 0x4381},
                            {500000, 0x643E90}, {500000, 0x644591}}));
  EXPECT_FALSE(modMidi.CallbackForm->Timer1.get_Enabled());
}

// PlayMidi from a handler opens a new stream in mid-fill: the old fill must
// not write into the new stream's buffer, and the song plays on once.
TEST_F(Reentry, PlayFromNotesHandlerRestartsCleanly) {
  LoadSong(kChords);
  player->PlayMidi();
  mm::clock::AdvanceTo(1);
  acting->onNotes = [this](int16_t, int16_t, int16_t) {
    player->put_SetCurrentPosition(96);
    player->PlayMidi();
  };
  mm::clock::AdvanceTo(600'000);  // the handler runs at 500 ms
  RunToEnd();
  EXPECT_EQ(Notes(500'000),
            (Timed{{0, 0x3C80}, {0, 0x4381}, {0, 0x643E90}, {0, 0x644591},  // the old stream's second group
                   {0, 0x3C80}, {0, 0x4381}, {0, 0x643E90}, {0, 0x644591},  // the new stream from tick 96
                   {500000, 0x3E80}, {500000, 0x4581}}));
  EXPECT_EQ(player->get_Status(), kStatusStopped);
  EXPECT_TRUE(boxes.empty());
}

// The same from the first fill, inside PlayMidi itself.
TEST_F(Reentry, PlayFromAHandlerInTheFirstFill) {
  LoadSong(Song(LyricEv(0, "") + Ev(0, {0x90, 60, 100}) + LyricEv(96, "la") + Ev(0, {0x80, 60, 0})));
  acting->onNotes = [this](int16_t, int16_t, int16_t) { player->PlayMidi(); };
  player->PlayMidi();
  RunToEnd();
  EXPECT_EQ(Events("Status"), (Lines{R"(Status(1, "Playing"))", R"(Status(1, "Playing"))",
                                     R"(Status(0, "Stopped"))"}));
  EXPECT_EQ(SongMessages().back(), (std::pair<int64_t, uint32_t>{500000, 0x3C80}));
  EXPECT_TRUE(boxes.empty());
}

// Members called by a client raise through the object called; what the
// component raises on its own (fill, progress, the end) goes to the newest
// object.
TEST_F(PlaybackTest, ModuleEventsGoToTheNewestObject) {
  LoadSong(Song(LyricEv(0, "") + Ev(0, {0x90, 60, 100}) + LyricEv(96, "la") + Ev(0, {0x80, 60, 0}) +
                Ev(300, {0x90, 62, 1}) + Ev(10, {0x80, 62, 0})));  // 406 ticks: 2.1 s
  auto newest = clsMidi::Create();
  auto newestSink = std::make_shared<RecordingSink>();
  newest->Advise(newestSink);
  player->PlayMidi();
  RunToEnd();
  EXPECT_EQ(sink->lines, (Lines{R"(Status(1, "Playing"))", "MasterVolumeChange(10)"}));
  Lines kinds;
  for (const auto& line : newestSink->lines) kinds.push_back(line.substr(0, line.find('(')));
  EXPECT_EQ(std::count(kinds.begin(), kinds.end(), "TextKar"), 3);   // two syllables, then the stop's
  EXPECT_EQ(std::count(kinds.begin(), kinds.end(), "Progress"), 3);  // two seconds, then the stop's
  EXPECT_EQ(newestSink->lines.front(), R"(TextKar("", 0, "", "la"))");
  EXPECT_EQ(std::count(newestSink->lines.begin(), newestSink->lines.end(), R"(Status(0, "Stopped"))"), 1);
}

}  // namespace
}  // namespace sonara::testing
