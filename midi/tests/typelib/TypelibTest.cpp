#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/RecordingSink.h"
#include "typelib/Dispatch.h"

namespace sonara::typelib {
namespace {

class TypelibTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetPlayerStore(); }
  void TearDown() override { ResetPlayerStore(); }
};

struct ExpectedMember {
  const char* name;
  int32_t dispid;
  MemberKind kind;
  int params;
};

using K = MemberKind;
// The interface in vtable order, as clients compiled against it expect.
const ExpectedMember kInterface[] = {
    {"ListDevices", 0x60030015, K::Method, 1},        {"PlayMidi", 0x60030019, K::Method, 0},
    {"Instrument", 0x68030012, K::PropertyPut, 2},    {"Instrument", 0x68030012, K::PropertyGet, 1},
    {"StopMidi", 0x6003001C, K::Method, 0},           {"Pause", 0x6003001D, K::Method, 0},
    {"ValidChannel", 0x68030011, K::PropertyGet, 1},  {"Volume", 0x68030010, K::PropertyPut, 2},
    {"Balance", 0x6803000F, K::PropertyPut, 2},       {"MasterVolume", 0x6803000E, K::PropertyPut, 1},
    {"SetDevice", 0x6803000C, K::PropertyPut, 1},     {"Transpose", 0x6803000B, K::PropertyPut, 1},
    {"Velocity", 0x6803000A, K::PropertyPut, 1},      {"SetCurrentPosition", 0x68030009, K::PropertyPut, 1},
    {"Phaser", 0x68030008, K::PropertyPut, 2},        {"Tremulo", 0x68030007, K::PropertyPut, 2},
    {"Celeste", 0x68030006, K::PropertyPut, 2},       {"Chorus", 0x68030005, K::PropertyPut, 2},
    {"Volume", 0x68030010, K::PropertyGet, 1},        {"Titles", 0x68030004, K::PropertyGet, 1},
    {"Balance", 0x6803000F, K::PropertyGet, 1},       {"MasterVolume", 0x6803000E, K::PropertyGet, 0},
    {"LyricText", 0x6803000D, K::PropertyGet, 0},     {"Transpose", 0x6803000B, K::PropertyGet, 0},
    {"TimeLength", 0x68030003, K::PropertyGet, 0},    {"Velocity", 0x6803000A, K::PropertyGet, 0},
    {"GetCurrentPosition", 0x68030002, K::PropertyGet, 0}, {"Status", 0x68030001, K::PropertyGet, 0},
    {"Celeste", 0x68030006, K::PropertyGet, 1},       {"Chorus", 0x68030005, K::PropertyGet, 1},
    {"Phaser", 0x68030008, K::PropertyGet, 1},        {"Tremulo", 0x68030007, K::PropertyGet, 1},
    {"MuteChannel", 0x68030000, K::PropertyPut, 2},   {"MuteChannel", 0x68030000, K::PropertyGet, 1},
    {"ChangePatch", 0x6003001F, K::Method, 2},        {"CloseDevice", 0x60030020, K::Method, 0},
    {"OpenMidiFile", 0x60030024, K::Method, 1},
};

TEST_F(TypelibTest, MemberTableIsTheInterfaceInVtableOrder) {
  const auto members = Members();
  ASSERT_EQ(members.size(), std::size(kInterface));
  for (size_t i = 0; i < members.size(); ++i) {
    SCOPED_TRACE(i + 1);
    EXPECT_EQ(members[i].name, kInterface[i].name);
    EXPECT_EQ(members[i].dispid, kInterface[i].dispid);
    EXPECT_EQ(members[i].kind, kInterface[i].kind);
    EXPECT_EQ(members[i].paramCount, kInterface[i].params);
  }
  // Only ListDevices passes an argument by reference, and only it returns an object.
  for (const auto& m : members) {
    const bool isList = m.name == "ListDevices";
    EXPECT_EQ(m.params[0].byRef, isList) << m.name;
    EXPECT_EQ(m.value == VarType::Object, isList) << m.name;
  }
}

TEST_F(TypelibTest, EventTableHasThirteenEventsNumberedOneToThirteen) {
  const char* names[] = {"NotesPlaying",      "MidiLevel",     "TextKar",         "Progress",
                         "MidiInfo",          "Status",        "VolumeChange",    "MasterVolumeChange",
                         "BalanceChange",     "InstrumentChange", "ChannelMuteChange", "TransposeChange",
                         "VelocityChange"};
  const int paramCounts[] = {6, 2, 4, 2, 2, 2, 2, 1, 2, 3, 2, 1, 1};
  const auto events = Events();
  ASSERT_EQ(events.size(), 13u);
  for (size_t i = 0; i < events.size(); ++i) {
    EXPECT_EQ(events[i].name, names[i]);
    EXPECT_EQ(events[i].dispid, static_cast<int32_t>(i + 1));
    EXPECT_EQ(events[i].paramCount, paramCounts[i]);
  }
}

TEST_F(TypelibTest, NamesAreFoundWhateverTheirCase) {
  EXPECT_EQ(Dispatch::GetIDOfName("OpenMidiFile"), 0x60030024);
  EXPECT_EQ(Dispatch::GetIDOfName("openmidifile"), 0x60030024);
  EXPECT_EQ(Dispatch::GetIDOfName("TREMULO"), 0x68030007);
  try {
    Dispatch::GetIDOfName("Tremolo");  // the interface spells it Tremulo
    FAIL();
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.Number(), kMemberNotFound);
  }
}

TEST_F(TypelibTest, ProgIdCreatesTheActiveObjectAndAnUnknownOneFails) {
  auto midi = CreateObject("sonara.CLSMIDI");
  EXPECT_EQ(modMidi.ActivePlayer, midi);
  EXPECT_EQ(midi->get_Status(), 6);
  try {
    CreateObject("Sonara.Player");
    FAIL();
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.Number(), kCannotCreateObject);
    EXPECT_NE(std::string(e.what()).find("Sonara.Player"), std::string::npos);
  }
  EXPECT_EQ(modMidi.ActivePlayer, midi) << "a failed creation replaces nothing";
}

TEST_F(TypelibTest, LateBoundCallsReachTheSameMembersAsDirectCalls) {
  Dispatch d(CreateObject("Sonara.clsMidi"));
  modMidi.ChannelVolume[3] = 100;
  modMidi.ChannelMuted[4] = kTrue;

  std::vector<Variant> none;
  EXPECT_EQ(d.Invoke("Status", DISPATCH_PROPERTYGET, none), Variant{int16_t{6}});
  // A getter is also reachable as a method call, as automation clients make it.
  EXPECT_EQ(d.Invoke(0x68030001, DISPATCH_METHOD | DISPATCH_PROPERTYGET, none), Variant{int16_t{6}});

  std::vector<Variant> ch3{int32_t{3}};  // coerced to 16 bits
  EXPECT_EQ(d.Invoke("Volume", DISPATCH_PROPERTYGET, ch3), Variant{int16_t{100}});
  std::vector<Variant> ch4{std::string("4")};  // a text that holds a number
  EXPECT_EQ(d.Invoke("MuteChannel", DISPATCH_PROPERTYGET, ch4), Variant{BoolValue{-1}});
  std::vector<Variant> ch0{int16_t{0}};
  EXPECT_EQ(d.Invoke("Instrument", DISPATCH_PROPERTYGET, ch0), Variant{std::string("0")});

  std::vector<Variant> put{std::string("-1")};
  d.Invoke("SetDevice", DISPATCH_PROPERTYPUT, put);
  EXPECT_EQ(modMidi.DeviceId, -1);
}

TEST_F(TypelibTest, LateBoundErrorsAreTheDirectCallsErrors) {
  Dispatch d(CreateObject("Sonara.clsMidi"));
  struct Case {
    const char* what;
    const char* name;
    uint16_t flags;
    std::vector<Variant> args;
    int32_t error;
  };
  const Case cases[] = {
      {"channel outside the store", "Volume", DISPATCH_PROPERTYGET, {int16_t{16}}, kSubscriptOutOfRange},
      {"title outside 0..2", "Titles", DISPATCH_PROPERTYGET, {int16_t{3}}, kSubscriptOutOfRange},
      {"argument that is no number", "Volume", DISPATCH_PROPERTYGET, {std::string("loud")}, kTypeMismatch},
      {"argument beyond 16 bits", "Volume", DISPATCH_PROPERTYGET, {int32_t{40000}}, kOverflow},
      {"object where a number belongs", "Volume", DISPATCH_PROPERTYGET,
       {std::make_shared<Collection>()}, kTypeMismatch},
      {"missing argument", "Volume", DISPATCH_PROPERTYGET, {}, kWrongArgCount},
      {"extra argument", "Status", DISPATCH_PROPERTYGET, {int16_t{1}}, kWrongArgCount},
      {"put on a read-only property", "Status", DISPATCH_PROPERTYPUT, {int16_t{1}}, kWrongArgCount},
      {"get on a write-only property", "SetDevice", DISPATCH_PROPERTYGET, {}, kWrongArgCount},
  };
  for (auto c : cases) {
    try {
      d.Invoke(c.name, c.flags, c.args);
      ADD_FAILURE() << c.what << ": no error";
    } catch (const AutomationError& e) {
      EXPECT_EQ(e.Number(), c.error) << c.what;
    }
  }
  std::vector<Variant> none;
  EXPECT_THROW(d.Invoke(0x12345, DISPATCH_METHOD, none), AutomationError);
}

TEST_F(TypelibTest, EventsArriveByDispIdWithTheirArguments) {
  auto midi = CreateObject("Sonara.clsMidi");
  std::vector<std::pair<int32_t, std::vector<Variant>>> received;
  const uint32_t cookie = midi->Advise(std::make_shared<DispatchEventSink>(
      [&](int32_t dispid, const std::vector<Variant>& args) { received.emplace_back(dispid, args); }));

  midi->RaiseTextKar("la", 3, "do re la", "next");
  midi->RaiseChannelMuteChange(9, kTrue);
  midi->RaiseVelocityChange(-5);

  ASSERT_EQ(received.size(), 3u);
  EXPECT_EQ(received[0].first, 3);
  EXPECT_EQ(received[0].second, (std::vector<Variant>{std::string("la"), int16_t{3}, std::string("do re la"),
                                                      std::string("next")}));
  EXPECT_EQ(received[1].first, 11);
  EXPECT_EQ(received[1].second, (std::vector<Variant>{int16_t{9}, BoolValue{-1}}));
  EXPECT_EQ(received[2].first, 13);
  EXPECT_EQ(received[2].second, (std::vector<Variant>{int16_t{-5}}));
  midi->Unadvise(cookie);  // the object outlives this scope as the active player
}

}  // namespace
}  // namespace sonara::typelib
